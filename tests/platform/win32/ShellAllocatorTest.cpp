// The task allocator: one heap behind CoTaskMem* and SHGetMalloc, and a
// tracking mode that catches leaks and double frees.
#include <win32/TestSeams.h>
#include <win32/combaseapi.h>
#include <win32/shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

class ShellAllocatorTest : public testing::Test {
protected:
    void SetUp() override { TestSeams::TrackTaskAllocations(true); }
    void TearDown() override { TestSeams::TrackTaskAllocations(false); }
};

TEST_F(ShellAllocatorTest, TrackingSeesLeaksAndDoubleFrees) {
    void* a = CoTaskMemAlloc(10);
    void* b = CoTaskMemAlloc(20);
    EXPECT_EQ(TestSeams::LiveTaskAllocations(), 2u);
    CoTaskMemFree(a);
    EXPECT_EQ(TestSeams::LiveTaskAllocations(), 1u); // b would be reported as a leak
    CoTaskMemFree(a);                                // double free: caught, not executed
    EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 1u);
    int local = 0;
    CoTaskMemFree(&local); // never from this heap
    EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 2u);
    CoTaskMemFree(b);
    CoTaskMemFree(nullptr); // allowed
    EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u);
    EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 2u);
}

TEST_F(ShellAllocatorTest, ShellMallocSharesTheHeapAndKeepsSizes) {
    IMalloc* malloc = nullptr;
    ASSERT_EQ(SHGetMalloc(&malloc), S_OK);
    IMalloc* again = nullptr;
    ASSERT_EQ(CoGetMalloc(1, &again), S_OK);
    EXPECT_EQ(malloc, again);

    auto* block = static_cast<char*>(malloc->Alloc(5));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abcde", 5);
    EXPECT_EQ(malloc->GetSize(block), 5u);
    EXPECT_EQ(malloc->DidAlloc(block), 1);
    block = static_cast<char*>(CoTaskMemRealloc(block, 4000));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, "abcde", 5), 0); // contents survive the move
    EXPECT_EQ(malloc->GetSize(block), 4000u);
    CoTaskMemFree(block); // freed by the other entry point: same heap
    EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u);
    EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 0u);
}

TEST(ShellComInitTest, CountsPerThreadAndAnswersSFalseOnRepeat) {
    std::thread([] {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(OleInitialize(nullptr), S_OK);
        EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
        OleUninitialize();
        OleUninitialize();
        CoUninitialize();
        CoUninitialize();
        // Fully undone: the thread may now choose the other model.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
    std::thread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); // another thread: fresh
        CoUninitialize();
    }).join();
}
