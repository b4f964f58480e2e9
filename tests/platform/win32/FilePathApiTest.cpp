#include "FileTestSupport.h"

#include <gtest/gtest.h>
#include <win32/TestSeams.h>

#include <filesystem>

namespace {

std::u16string FullPath(const std::u16string& name, LPWSTR* filePart = nullptr) {
    WCHAR buffer[MAX_PATH];
    DWORD length = GetFullPathNameW(name.c_str(), MAX_PATH, buffer, filePart);
    if (length == 0 || length >= MAX_PATH) return u"<failed>";
    return std::u16string(buffer, length);
}

class PathApi : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder.Linux("work"));
        std::filesystem::current_path(folder.Linux("work"));
        here = folder.Windows(u"work");
    }

    TempFolder folder;
    CurrentDirectoryGuard restoreCurrentDirectory;
    std::u16string here;
};

TEST_F(PathApi, FullPathNamesResolveByText) {
    std::u16string parent = folder.Windows();
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a.txt", here + u"\\a.txt"},
        {u".\\x\\..\\a.txt", here + u"\\a.txt"},
        {u"..\\b", parent + u"\\b"},
        {u"sub\\", here + u"\\sub\\"},
        {u".", here},
        {u"C:\\one\\two\\..\\three", u"C:\\one\\three"},
        {u"c:/mixed/seps", u"C:\\mixed\\seps"},
        {u"C:\\..", u"C:\\"},
        {u"\\rooted", u"C:\\rooted"},
        {u"C:rel", here + u"\\rel"},
        {u"\\\\?\\C:\\long", u"C:\\long"},
        {u"COM1", u"\\\\.\\COM1"},
        {u"C:\\does\\not\\exist", u"C:\\does\\not\\exist"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(FullPath(input), expected) << std::string(input.begin(), input.end());
}

TEST_F(PathApi, FullPathNameAnswersSizesAndTheFilePart) {
    WCHAR buffer[MAX_PATH];
    LPWSTR part = nullptr;
    DWORD length = GetFullPathNameW(u"C:\\dir\\name.ext", MAX_PATH, buffer, &part);
    EXPECT_EQ(length, 15u);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(std::u16string(part), u"name.ext");
    EXPECT_EQ(part, buffer + 7);

    EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\", MAX_PATH, buffer, &part), 7u);
    EXPECT_EQ(part, nullptr);

    // Too small: the size needed, terminator included.
    EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\name.ext", 15, buffer, nullptr), 16u);
    EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\name.ext", 0, nullptr, nullptr), 16u);
    EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\name.ext", 16, buffer, nullptr), 15u);

    EXPECT_EQ(GetFullPathNameW(u"", MAX_PATH, buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST_F(PathApi, CurrentDirectoryFollowsSetCurrentDirectory) {
    WCHAR buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    EXPECT_EQ(std::u16string(buffer, length), here);
    EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), here.size() + 1);

    ASSERT_TRUE(SetCurrentDirectoryW(u".."));
    length = GetCurrentDirectoryW(MAX_PATH, buffer);
    EXPECT_EQ(std::u16string(buffer, length), folder.Windows());

    // Relative names now land in the new current directory.
    HANDLE file = CreateFileW(u"made-here.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(folder.Exists("made-here.txt"));

    folder.Write("file.txt", "");
    EXPECT_FALSE(SetCurrentDirectoryW(u"file.txt"));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_FALSE(SetCurrentDirectoryW(u"missing"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(SetCurrentDirectoryW(u"missing\\deeper"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    length = GetCurrentDirectoryW(MAX_PATH, buffer);
    EXPECT_EQ(std::u16string(buffer, length), folder.Windows());
}

TEST_F(PathApi, TempPathEndsInABackslash) {
    const char* saved = std::getenv("TMPDIR");
    std::string savedValue = saved ? saved : "";
    setenv("TMPDIR", folder.Linux().c_str(), 1);
    WCHAR buffer[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    EXPECT_EQ(std::u16string(buffer, length), folder.Windows() + u"\\");
    EXPECT_EQ(GetTempPathW(2, buffer), length + 1);
    if (saved)
        setenv("TMPDIR", savedValue.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST_F(PathApi, WindowsAndSystemDirectoriesLieInTheLayersWindowsFolder) {
    TestSeams::SetWindowsFolder(folder.Linux("windows"));
    struct Case {
        UINT (*call)(LPWSTR, UINT);
        std::u16string expected;
    } cases[] = {
        {&GetWindowsDirectoryW, folder.Windows(u"windows")},
        {&GetSystemDirectoryW, folder.Windows(u"windows\\system32")},
    };
    for (const Case& c : cases) {
        UINT needed = c.call(nullptr, 0);
        EXPECT_EQ(needed, c.expected.size() + 1);
        WCHAR buffer[MAX_PATH];
        EXPECT_EQ(c.call(buffer, needed - 1), needed) << "a buffer one short is a size query";
        EXPECT_EQ(c.call(buffer, needed), needed - 1);
        EXPECT_EQ(std::u16string(buffer), c.expected);
        EXPECT_TRUE(std::filesystem::is_directory(folder.Linux("windows")));
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.Linux("windows/system32")));
    HMODULE kernel = GetModuleHandleW(u"kernel32");
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetWindowsDirectoryW")),
              reinterpret_cast<void*>(&GetWindowsDirectoryW));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemDirectoryW")),
              reinterpret_cast<void*>(&GetSystemDirectoryW));
    TestSeams::SetWindowsFolder("");
}

TEST_F(PathApi, TempFileNamesAreCreatedUniqueOrJustFormatted) {
    std::u16string base = folder.Windows();
    WCHAR first[MAX_PATH], second[MAX_PATH];
    UINT a = GetTempFileNameW(base.c_str(), u"abcdef", 0, first);
    UINT b = GetTempFileNameW((base + u"\\").c_str(), u"abcdef", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    std::u16string name(first);
    EXPECT_TRUE(name.starts_with(base + u"\\abc"));
    EXPECT_TRUE(name.ends_with(u".TMP"));
    EXPECT_EQ(name.size(), base.size() + 1 + 3 + 4 + 4);
    EXPECT_NE(GetFileAttributesW(first), INVALID_FILE_ATTRIBUTES); // created
    EXPECT_NE(GetFileAttributesW(second), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(GetTempFileNameW(base.c_str(), u"x", 0x1A2B, first), 0x1A2Bu);
    EXPECT_EQ(std::u16string(first), base + u"\\x1A2B.TMP");
    EXPECT_EQ(GetFileAttributesW(first), INVALID_FILE_ATTRIBUTES); // only named

    EXPECT_EQ(GetTempFileNameW((base + u"\\missing").c_str(), u"x", 0, first), 0u);
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST_F(PathApi, LongAndShortNamesAreThePathItself) {
    folder.Write("work/Some Long Name.text", "");
    WCHAR buffer[MAX_PATH];
    std::u16string name = u"Some Long Name.text";
    EXPECT_EQ(GetLongPathNameW(name.c_str(), buffer, MAX_PATH), name.size());
    EXPECT_EQ(std::u16string(buffer), name);
    EXPECT_EQ(GetShortPathNameW(name.c_str(), buffer, MAX_PATH), name.size());
    EXPECT_EQ(GetLongPathNameW(name.c_str(), buffer, 3), name.size() + 1);
    EXPECT_EQ(GetLongPathNameW(u"absent.txt", buffer, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(PathApi, DrivesComeFromTheDevicesFolder) {
    std::filesystem::create_directory(folder.Linux("data"));
    DriveGuard d('d', folder.Linux("data"));
    DriveGuard m('m', folder.Linux("missing-target"));

    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 12));
    WCHAR buffer[32];
    DWORD length = GetLogicalDriveStringsW(32, buffer);
    EXPECT_EQ(length, 12u);
    EXPECT_EQ(std::u16string(buffer, length + 1), std::u16string(u"C:\\\0D:\\\0M:\\\0\0", 13));
    EXPECT_EQ(GetLogicalDriveStringsW(5, buffer), 13u);

    EXPECT_EQ(GetDriveTypeW(u"C:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(u"d:"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(nullptr), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(u"M:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeW(u"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST_F(PathApi, DiskFreeSpaceOfADrive) {
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_LE(available.QuadPart, free.QuadPart);

    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(nullptr, &sectors, &bytes, &freeClusters, &clusters));
    EXPECT_EQ(bytes, 512u);
    EXPECT_GE(sectors, 1u);
    EXPECT_GT(clusters, 0u);

    EXPECT_FALSE(GetDiskFreeSpaceExW(u"Q:\\", &available, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

} // namespace
