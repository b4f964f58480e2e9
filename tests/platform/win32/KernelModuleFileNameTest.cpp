#include <win32/libloaderapi.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ModuleFileNameTest, TheProgramsPathAsAWindowsPathCutToTheBuffer) {
    char16_t buffer[1024];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 1024);
    ASSERT_GT(length, 0u);
    const std::u16string path(buffer, length);
    EXPECT_EQ(path.substr(0, 3), u"C:\\");
    EXPECT_EQ(path.substr(path.size() - 11), u"win32_tests");
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 1024), length);

    char16_t small[5];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(small), path.substr(0, 4));

    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1234), buffer, 1024), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

} // namespace
