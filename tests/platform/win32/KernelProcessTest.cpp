#include "KernelTestSupport.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
std::u16string Variable(LPCWSTR name) {
    WCHAR buffer[256];
    DWORD length = GetEnvironmentVariableW(name, buffer, 256);
    return std::u16string(buffer, length);
}
} // namespace

TEST(KernelExitProcess, WithTheHookSetRecordsTheCodeAndThrowsInsteadOfExiting) {
    UINT recorded = 0;
    TestSeams::SetExitHook([&](UINT code) { recorded = code; });
    try {
        ExitProcess(3);
        ADD_FAILURE() << "ExitProcess returned";
    } catch (const TestSeams::ProcessExited& exited) {
        EXPECT_EQ(exited.code, 3u);
    }
    EXPECT_EQ(recorded, 3u);
    TestSeams::SetExitHook(nullptr);
}

TEST(KernelExitProcessDeathTest, WithoutTheHookEndsAtOnceWithTheCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit([] { std::_Exit(99); }); // exit handlers must not run
            ExitProcess(7);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST(KernelEnvironment, SetsGetsAndRemovesVariables) {
    ASSERT_TRUE(SetEnvironmentVariableW(u"KERNELTEST_VAR", u"value é"));
    EXPECT_EQ(Variable(u"KERNELTEST_VAR"), u"value é");
    EXPECT_EQ(Variable(u"kerneltest_var"), u"value é"); // names ignore case, as on Windows
    EXPECT_STREQ(std::getenv("KERNELTEST_VAR"), "value \xC3\xA9");

    WCHAR small[3];
    EXPECT_EQ(GetEnvironmentVariableW(u"KERNELTEST_VAR", small, 3),
              8u); // size needed, NUL included
    EXPECT_EQ(GetEnvironmentVariableW(u"KERNELTEST_VAR", nullptr, 0), 8u);

    ASSERT_TRUE(SetEnvironmentVariableW(u"KERNELTEST_VAR", nullptr));
    WCHAR buffer[8];
    EXPECT_EQ(GetEnvironmentVariableW(u"KERNELTEST_VAR", buffer, 8), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    EXPECT_FALSE(SetEnvironmentVariableW(u"BAD=NAME", u"x"));
}

TEST(KernelEnvironment, ExpandsKnownVariablesAndKeepsTheRest) {
    SetEnvironmentVariableW(u"KERNELTEST_DIR", u"C:\\Data");
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {u"%KERNELTEST_DIR%\\x", u"C:\\Data\\x"},
        {u"a %KERNELTEST_NONE% b", u"a %KERNELTEST_NONE% b"},
        {u"100% sure", u"100% sure"},
        {u"%%KERNELTEST_DIR%", u"%C:\\Data"},
        {u"%kerneltest_dir%%KERNELTEST_DIR%", u"C:\\DataC:\\Data"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        WCHAR buffer[128];
        DWORD size = ExpandEnvironmentStringsW(c.in.c_str(), buffer, 128);
        EXPECT_EQ(size, c.out.size() + 1);
        EXPECT_EQ(std::u16string(buffer), c.out);
    }
    WCHAR small[4];
    EXPECT_EQ(ExpandEnvironmentStringsW(u"%KERNELTEST_DIR%", small, 4), 8u);
    SetEnvironmentVariableW(u"KERNELTEST_DIR", nullptr);
}

TEST(KernelProcess, TheCommandLineNamesTheProgram) {
    std::u16string line = GetCommandLineW();
    EXPECT_NE(line.find(u"win32_tests"), std::u16string::npos);
    EXPECT_EQ(GetCommandLineW(), GetCommandLineW()); // stable storage
    EXPECT_NE(std::string(GetCommandLineA()).find("win32_tests"), std::string::npos);
}

TEST(KernelProcess, ReportsWindowsNt10) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, 10u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(LOBYTE(LOWORD(GetVersion())), 10);

    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&extended)));
    EXPECT_EQ(extended.wProductType, VER_NT_WORKSTATION);

    OSVERSIONINFOW unsized{};
    EXPECT_FALSE(GetVersionExW(&unsized));
}

TEST(KernelProcess, DescribesTheSystem) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwPageSize, static_cast<DWORD>(sysconf(_SC_PAGESIZE)));
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
    EXPECT_EQ(info.dwAllocationGranularity, 65536u);
}

TEST(KernelProcess, RemembersTheErrorMode) {
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(SetErrorMode(old),
              static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(GetErrorMode(), old);
    OutputDebugStringW(u"dropped unless WINLAYER_DEBUGSTRINGS is set\n");
}
