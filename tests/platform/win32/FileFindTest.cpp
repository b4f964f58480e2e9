#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

struct Found {
    std::u16string name;
    WIN32_FIND_DATAW data;
};

// Every entry FindFirstFileW/FindNextFileW report for a pattern; empty with
// `error` set when the search fails.
std::vector<Found> FindAll(const std::u16string& pattern, DWORD* error = nullptr) {
    std::vector<Found> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return found;
    }
    do {
        found.push_back({data.cFileName, data});
    } while (FindNextFileW(find, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(find));
    return found;
}

std::vector<std::u16string> Names(const std::vector<Found>& found) {
    std::vector<std::u16string> names;
    for (const Found& f : found)
        names.push_back(f.name);
    return names;
}

class FindFiles : public testing::Test {
protected:
    void SetUp() override {
        folder.Write("a.txt", "aaa");
        folder.Write("B.TXT", "bb");
        folder.Write("c.log", "c");
        folder.Write(".hidden", "");
        std::filesystem::create_directory(folder.Linux("sub"));
    }

    const Found* Entry(const std::vector<Found>& found, const std::u16string& name) {
        for (const Found& f : found)
            if (f.name == name) return &f;
        return nullptr;
    }

    TempFolder folder;
};

TEST_F(FindFiles, ListsAFolderWithDotEntriesInByteOrder) {
    auto found = FindAll(folder.Windows(u"*"));
    EXPECT_EQ(Names(found), (std::vector<std::u16string>{u".", u"..", u".hidden", u"B.TXT",
                                                         u"a.txt", u"c.log", u"sub"}));
    EXPECT_EQ(Entry(found, u".")->data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Entry(found, u"..")->data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Entry(found, u"sub")->data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Entry(found, u".hidden")->data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    const Found* a = Entry(found, u"a.txt");
    EXPECT_EQ(a->data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(a->data.nFileSizeLow, 3u);
    EXPECT_EQ(a->data.nFileSizeHigh, 0u);
    EXPECT_EQ(a->data.cAlternateFileName[0], 0);
}

TEST_F(FindFiles, WildcardsMatchWithoutCaseAndLiteralNamesExactly) {
    const std::pair<std::u16string, std::vector<std::u16string>> cases[] = {
        {u"*.txt", {u"B.TXT", u"a.txt"}},
        {u"*.TXT", {u"B.TXT", u"a.txt"}},
        {u"?.LOG", {u"c.log"}},
        {u"A*", {u"a.txt"}},
        {u"*b*", {u"B.TXT", u"sub"}},
        {u"s?b", {u"sub"}},
        {u"su*.*", {u"sub"}}, // the extension is optional
        {u"a.txt", {u"a.txt"}},
        {u"sub", {u"sub"}},
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(Names(FindAll(folder.Windows(pattern))), expected)
            << std::string(pattern.begin(), pattern.end());

    auto everything = Names(FindAll(folder.Windows(u"*.*")));
    EXPECT_EQ(everything.size(), 7u);
}

TEST_F(FindFiles, FailuresTellWhatIsMissing) {
    const std::pair<std::u16string, DWORD> cases[] = {
        {u"nomatch*", ERROR_FILE_NOT_FOUND},
        {u"A.TXT", ERROR_FILE_NOT_FOUND}, // case is significant without wildcards
        {u"missing\\*", ERROR_PATH_NOT_FOUND},
        {u"missing\\a.txt", ERROR_PATH_NOT_FOUND},
        {u"a.txt\\*", ERROR_PATH_NOT_FOUND},
        {u"sub\\", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& [pattern, expected] : cases) {
        DWORD error = 0;
        EXPECT_TRUE(FindAll(folder.Windows(pattern), &error).empty());
        EXPECT_EQ(error, expected) << std::string(pattern.begin(), pattern.end());
    }
}

TEST_F(FindFiles, FindCloseRefusesOtherHandles) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(folder.Windows(u"*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindNextFileW(find, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HANDLE file = CreateFileW(folder.Windows(u"a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(file);
}

TEST_F(FindFiles, ADriveRootHasNoDotEntries) {
    DriveGuard drive('e', folder.Linux());
    auto names = Names(FindAll(u"E:\\*"));
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u".hidden", u"B.TXT", u"a.txt", u"c.log", u"sub"}));
    auto relative = Names(FindAll(u"E:\\sub\\*"));
    EXPECT_EQ(relative, (std::vector<std::u16string>{u".", u".."}));
}

TEST_F(FindFiles, ReportsReadOnlyAndWriteTime) {
    chmod(folder.Linux("c.log").c_str(), 0444);
    timespec times[2] = {{1000000000, 0}, {1234567890, 123456700}};
    utimensat(AT_FDCWD, folder.Linux("c.log").c_str(), times, 0);

    auto found = FindAll(folder.Windows(u"c.log"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].data.dwFileAttributes, FILE_ATTRIBUTE_READONLY);
    ULONGLONG write = (ULONGLONG(found[0].data.ftLastWriteTime.dwHighDateTime) << 32) |
                      found[0].data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(write, 116444736000000000ULL + 1234567890ULL * 10000000ULL + 1234567ULL);
    ULONGLONG access = (ULONGLONG(found[0].data.ftLastAccessTime.dwHighDateTime) << 32) |
                       found[0].data.ftLastAccessTime.dwLowDateTime;
    EXPECT_EQ(access, 116444736000000000ULL + 1000000000ULL * 10000000ULL);
}

TEST(FindFilesBytes, ANameThatIsNotUtf8SurvivesFindAndCreateFile) {
    TempFolder folder;
    const std::string odd = "bad\xFF\xFEname\\x.bin";
    folder.Write(odd, "payload");

    auto found = FindAll(folder.Windows(u"*.bin"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, u"bad\xDCFF\xDCFEname\xF05Cx.bin");

    // The reported name opens the very file.
    std::u16string path = folder.Windows(found[0].name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16];
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "payload");
    CloseHandle(file);

    // And a name made on the Windows side lands with the same bytes.
    HANDLE created = CreateFileW(folder.Windows(u"new\xDC80\xDCC3.bin").c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    EXPECT_TRUE(folder.Exists("new\x80\xC3.bin"));
    EXPECT_EQ(Names(FindAll(folder.Windows(u"new*"))),
              std::vector<std::u16string>{u"new\xDC80\xDCC3.bin"});
}

} // namespace

namespace {

TEST(FindFilesCase, WildcardsFoldLettersBeyondAscii) {
    TempFolder folder;
    folder.Write("\xC3\xA4pfel.TXT", ""); // "äpfel.TXT"
    folder.Write("apfel.txt", "");
    std::vector<std::u16string> names;
    for (const Found& f : FindAll(folder.Windows(u"\u00C4*.txt")))
        names.push_back(f.name);
    EXPECT_EQ(names, std::vector<std::u16string>{u"\u00E4pfel.TXT"});
}

} // namespace
