#include "KernelTestSupport.h"

#include <cstring>

namespace {
bool AllZero(const void* data, size_t size) {
    auto bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i]) return false;
    return true;
}
const HGLOBAL bogus = reinterpret_cast<HGLOBAL>(0x7654320);
} // namespace

TEST(KernelGlobalMemory, AMoveableBlockCountsItsLocks) {
    HGLOBAL block = GlobalAlloc(GHND, 300);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 300u);
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);

    void* data = GlobalLock(block);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(data, block); // a moveable block has a handle of its own
    EXPECT_TRUE(AllZero(data, 300));
    EXPECT_EQ(GlobalHandle(data), block);
    EXPECT_EQ(GlobalLock(block), data);
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 2u);

    EXPECT_TRUE(GlobalUnlock(block)); // still locked once
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block); // the second free fails, harmlessly
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalLock(block), nullptr);
}

TEST(KernelGlobalMemory, AFixedBlockIsItsOwnAddress) {
    HGLOBAL block = GlobalAlloc(GPTR, 64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalLock(block), block);
    EXPECT_TRUE(AllZero(block, 64));
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalHandle(block), block);
    EXPECT_EQ(GlobalSize(block), 64u);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(KernelGlobalMemory, ReAllocKeepsTheContentAndZeroesWhatIsNew) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(block), "abcd", 4);
    // Locked, the block may not move unless the caller allows it.
    EXPECT_EQ(GlobalReAlloc(block, 1 << 20, GMEM_ZEROINIT), nullptr);
    GlobalUnlock(block);
    EXPECT_EQ(GlobalReAlloc(block, 1 << 20, GMEM_ZEROINIT), block);
    EXPECT_EQ(GlobalSize(block), 1u << 20);
    auto* data = static_cast<char*>(GlobalLock(block));
    EXPECT_EQ(std::memcmp(data, "abcd", 4), 0);
    EXPECT_TRUE(AllZero(data + 4, (1 << 20) - 4));
    GlobalUnlock(block);
    EXPECT_EQ(GlobalReAlloc(block, 2, 0), block);
    EXPECT_EQ(GlobalSize(block), 2u);
    GlobalFree(block);

    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
    std::memcpy(fixed, "wxyz", 4);
    HGLOBAL moved = GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(std::memcmp(moved, "wxyz", 4), 0);
    EXPECT_EQ(GlobalSize(moved), 1u << 20);
    GlobalFree(moved);
}

TEST(KernelGlobalMemory, BadHandlesFailWithoutHarm) {
    EXPECT_EQ(GlobalLock(bogus), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalSize(bogus), 0u);
    EXPECT_FALSE(GlobalUnlock(bogus));
    EXPECT_EQ(GlobalFlags(bogus), static_cast<UINT>(GMEM_INVALID_HANDLE));
    EXPECT_EQ(GlobalReAlloc(bogus, 10, 0), nullptr);
    EXPECT_EQ(GlobalHandle(bogus), nullptr);
    EXPECT_EQ(GlobalFree(bogus), bogus);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

TEST(KernelLocalMemory, SharesTheGlobalRules) {
    HLOCAL block = LocalAlloc(LHND, 10);
    auto* data = static_cast<char*>(LocalLock(block));
    EXPECT_TRUE(AllZero(data, 10));
    EXPECT_EQ(LocalSize(block), 10u);
    EXPECT_FALSE(LocalUnlock(block));
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(LocalFree(block), block);
}

TEST(KernelHeap, ZeroFillsSizesAndFreesBlocks) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(GetProcessHeap(), heap);
    auto* data = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 100));
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(AllZero(data, 100));
    EXPECT_EQ(HeapSize(heap, 0, data), 100u);
    std::memset(data, 'x', 100);

    data = static_cast<char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, data, 5000));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[99], 'x');
    EXPECT_TRUE(AllZero(data + 100, 4900));
    EXPECT_EQ(HeapSize(heap, 0, data), 5000u);
    EXPECT_TRUE(HeapFree(heap, 0, data));
    EXPECT_FALSE(HeapFree(heap, 0, data));
    EXPECT_EQ(HeapSize(heap, 0, data), static_cast<SIZE_T>(-1));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));

    EXPECT_EQ(HeapAlloc(bogus, 0, 10), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
