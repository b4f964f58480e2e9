// Registry, profile file and file calls and their error codes.
#include <win32/TestSeams.h>
#include <win32/fileapi.h>
#include <win32/profileapi.h>
#include <win32/winbase.h>
#include <win32/winreg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fresh folder for each test, with its name as Windows sees it (C: is /).
class Storage : public ::testing::Test {
protected:
    void SetUp() override {
        TestSeams::ResetRegistry();
        folder = fs::temp_directory_path() / ("conformance-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        TestSeams::SetWindowsFolder(folder.string());
    }
    void TearDown() override {
        TestSeams::SetWindowsFolder("");
        fs::remove_all(folder);
    }
    std::u16string Windows(const std::string& name) {
        std::string path = (folder / name).string();
        std::u16string out = u"C:";
        for (char c : path) out += c == '/' ? u'\\' : static_cast<char16_t>(c);
        return out;
    }
    fs::path folder;
};

} // namespace

TEST_F(Storage, RegistryKeys) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Conf", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, nullptr, nullptr),
              ERROR_BADKEY);
    struct Case {
        const char* what;
        LPCWSTR subKey;
        LONG expected;
    } opens[] = {
        {"leading backslash", u"\\Software", ERROR_BAD_PATHNAME},
        {"missing", u"Software\\Missing", ERROR_FILE_NOT_FOUND},
        {"present", u"Software", ERROR_SUCCESS},
    };
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"Software", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    for (const Case& c : opens) {
        key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, c.subKey, 0, KEY_READ, &key), c.expected) << c.what;
        if (key) RegCloseKey(key);
    }
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
    key = nullptr;
    EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"", &key), ERROR_SUCCESS);
    EXPECT_EQ(key, HKEY_CURRENT_USER) << "no subkey: the key given comes back";
}

TEST_F(Storage, RegistryValueSizes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\Conf", &key), ERROR_SUCCESS);
    const BYTE data[12] = {1, 2, 3};
    RegSetValueExW(key, u"LongValueName", 0, REG_BINARY, data, sizeof data);

    DWORD size = 1234;
    EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);

    WCHAR name[4];
    DWORD nameLength = 4, type = 0;
    size = 0;
    EXPECT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, &type, nullptr, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof data) << "the data size is reported despite the short name buffer";
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    RegCloseKey(key);
}

TEST_F(Storage, ProfileFiles) {
    std::ofstream(folder / "cr.ini", std::ios::binary) << "[one]\rkey=value\r[two]\rother=2\r";
    WCHAR buffer[64];
    EXPECT_EQ(GetPrivateProfileStringW(u"one", u"key", u"", buffer, 64, u"cr.ini"), 5u);
    EXPECT_EQ(std::u16string(buffer), u"value") << "a lone CR ends a line";
    EXPECT_EQ(GetPrivateProfileIntW(u"two", u"other", 0, u"cr.ini"), 2u);

    // "one\0two\0" and the closing NUL fill nine characters exactly.
    WCHAR names[9];
    EXPECT_EQ(GetPrivateProfileSectionNamesW(names, 9, u"cr.ini"), 8u);
    EXPECT_EQ(std::u16string(names, 8), std::u16string(u"one\0two\0", 8));

    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"key", u"v", u"cr.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Storage, NamesWithWildcards) {
    std::ofstream(folder / "plain.txt") << "x";
    struct Case {
        const char* what;
        std::function<bool()> call;
    } cases[] = {
        {"CreateFile *",
         [&] {
             return CreateFileW(Windows("a*.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr) != INVALID_HANDLE_VALUE;
         }},
        {"CreateFile ?",
         [&] {
             return CreateFileW(Windows("plain.tx?").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                0, nullptr) != INVALID_HANDLE_VALUE;
         }},
        {"MoveFile onto *",
         [&] { return MoveFileW(Windows("plain.txt").c_str(), Windows("b*.txt").c_str()) != FALSE; }},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << c.what;
    }
    EXPECT_TRUE(fs::exists(folder / "plain.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}
