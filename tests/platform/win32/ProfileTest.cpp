#include <win32/TestSeams.h>
#include <win32/profileapi.h>
#include <win32/winbase.h>
#include <win32/winnls.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// The strings of a double-NUL list.
std::vector<std::u16string> List(const WCHAR* buffer, DWORD length) {
    std::vector<std::u16string> items;
    std::u16string flat(buffer, length);
    size_t start = 0;
    while (start < flat.size()) {
        size_t end = flat.find(u'\0', start);
        items.push_back(flat.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

// Each test gets its own, empty Windows directory.
class Profile : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::path(std::getenv("WINLAYER_HOME")) / "profile-tests" / info->name();
        fs::remove_all(folder);
        fs::create_directories(folder);
        TestSeams::SetWindowsFolder(folder.string());
    }
    void TearDown() override { TestSeams::SetWindowsFolder(""); }

    std::u16string Get(const char16_t* section, const char16_t* key, const char16_t* fallback = u"",
                       const char16_t* file = u"test.ini") {
        WCHAR buffer[256];
        DWORD length = GetPrivateProfileStringW(section, key, fallback, buffer, 256, file);
        return std::u16string(buffer, length);
    }

    fs::path folder;
};

TEST_F(Profile, RewriteKeepsCommentsBlankLinesOrderAndCase) {
    WriteFile(folder / "test.ini", "; settings of the panel\r\n"
                                   "\r\n"
                                   "[Serial]\r\n"
                                   "; the port last used\r\n"
                                   "Port=COM1\r\n"
                                   "Baud = 9600\r\n"
                                   "\r\n"
                                   "[Window]\r\n"
                                   "Left=10\r\n");
    EXPECT_TRUE(WritePrivateProfileStringW(u"serial", u"PORT", u"COM3", u"test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringW(u"SERIAL", u"Parity", u"None", u"test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringW(u"Drive", u"Axis", u"1", u"test.ini"));
    EXPECT_EQ(ReadFile(folder / "test.ini"), "; settings of the panel\r\n"
                                             "\r\n"
                                             "[Serial]\r\n"
                                             "; the port last used\r\n"
                                             "Port=COM3\r\n"
                                             "Baud = 9600\r\n"
                                             "Parity=None\r\n"
                                             "\r\n"
                                             "[Window]\r\n"
                                             "Left=10\r\n"
                                             "[Drive]\r\n"
                                             "Axis=1\r\n");
    EXPECT_EQ(Get(u"SeRiAl", u"baud"), u"9600");
}

TEST_F(Profile, ANewFileIsUtf8WithoutBomAndCrLf) {
    EXPECT_TRUE(
        WritePrivateProfileStringW(u"S\u00E9ction", u"Cl\u00E9", u"\u65E5\u672C", u"new.ini"));
    EXPECT_EQ(ReadFile(folder / "new.ini"), "[S\xC3\xA9"
                                            "ction]\r\nCl\xC3\xA9=\xE6\x97\xA5\xE6\x9C\xAC\r\n");
    EXPECT_EQ(Get(u"s\u00C9ction", u"CL\u00C9", u"", u"new.ini"), u"\u65E5\u672C");
}

TEST_F(Profile, Utf16FilesAreReadAndStayUtf16) {
    std::u16string text = u"\uFEFF[Main]\r\nName=\u00C4gypten\r\n";
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    WriteFile(folder / "wide.ini", bytes);
    EXPECT_EQ(Get(u"Main", u"Name", u"", u"wide.ini"), u"\u00C4gypten");
    ASSERT_TRUE(WritePrivateProfileStringW(u"Main", u"Other", u"x", u"wide.ini"));
    std::string rewritten = ReadFile(folder / "wide.ini");
    ASSERT_GE(rewritten.size(), 2u);
    EXPECT_EQ(rewritten.substr(0, 2), "\xFF\xFE");
    std::string tail("O\0t\0h\0e\0r\0=\0x\0\r\0\n\0", 18);
    EXPECT_EQ(rewritten.substr(rewritten.size() - tail.size()), tail);
    EXPECT_EQ(Get(u"Main", u"Name", u"", u"wide.ini"), u"\u00C4gypten");
}

TEST_F(Profile, BytesThatAreNotUtf8AreReadInTheAnsiCodePageAndKept) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
    WriteFile(folder / "ansi.ini", "[Main]\nName=M\xFC"
                                   "ller\nPrice=5\x80\n");
    EXPECT_EQ(Get(u"Main", u"Name", u"", u"ansi.ini"), u"M\u00FCller");
    EXPECT_EQ(Get(u"Main", u"Price", u"", u"ansi.ini"), u"5\u20AC");
    ASSERT_TRUE(WritePrivateProfileStringW(u"Main", u"City", u"K\u00F6ln", u"ansi.ini"));
    // Still 8-bit, still LF line ends, as the file was.
    EXPECT_EQ(ReadFile(folder / "ansi.ini"), "[Main]\nName=M\xFC"
                                             "ller\nPrice=5\x80\nCity=K\xF6ln\n");
    // Text the code page cannot hold turns the file into UTF-8 rather than losing it.
    ASSERT_TRUE(WritePrivateProfileStringW(u"Main", u"Land", u"\u65E5\u672C", u"ansi.ini"));
    EXPECT_EQ(Get(u"Main", u"Name", u"", u"ansi.ini"), u"M\u00FCller");
    EXPECT_EQ(Get(u"Main", u"Price", u"", u"ansi.ini"), u"5\u20AC");
    EXPECT_EQ(Get(u"Main", u"Land", u"", u"ansi.ini"), u"\u65E5\u672C");
}

TEST_F(Profile, BytesNoCodePageDecodesSurviveARewrite) {
    const std::string odd = "[Main]\nOdd=\x81\x8D\x8F\x90\x9D\xFF\n";
    WriteFile(folder / "odd.ini", odd);
    ASSERT_TRUE(WritePrivateProfileStringW(u"Main", u"k", u"v", u"odd.ini"));
    EXPECT_EQ(ReadFile(folder / "odd.ini"), odd + "k=v\n");
}

TEST_F(Profile, ValuesAreTrimmedAndUnquotedWhenRead) {
    WriteFile(folder / "test.ini", "[V]\n"
                                   "spaced =   some text \t\n"
                                   "double=\"  kept inside  \"\n"
                                   "single='x'\n"
                                   "unbalanced=\"x\n"
                                   "mixed=\"x'\n"
                                   "empty=\n"
                                   "equals=a=b\n");
    EXPECT_EQ(Get(u"V", u"spaced"), u"some text");
    EXPECT_EQ(Get(u"V", u"double"), u"  kept inside  ");
    EXPECT_EQ(Get(u"V", u"single"), u"x");
    EXPECT_EQ(Get(u"V", u"unbalanced"), u"\"x");
    EXPECT_EQ(Get(u"V", u"mixed"), u"\"x'");
    EXPECT_EQ(Get(u"V", u"empty", u"fallback"), u"");
    EXPECT_EQ(Get(u"V", u"equals"), u"a=b");
    // The default loses its trailing blanks.
    EXPECT_EQ(Get(u"V", u"missing", u"  dflt  "), u"  dflt");
    EXPECT_EQ(Get(u"V", u"missing", nullptr), u"");
}

TEST_F(Profile, MissingFileGivesTheDefaultAndFileNotFound) {
    SetLastError(0);
    EXPECT_EQ(Get(u"S", u"K", u"none", u"absent.ini"), u"none");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(folder / "absent.ini"));
}

TEST_F(Profile, SectionAndKeyNamesComeAsDoubleNulLists) {
    WriteFile(folder / "test.ini", "[One]\na=1\nB=2\na=3\n; c=4\n[Two]\n[one]\nz=9\n");
    WCHAR buffer[64];
    DWORD length = GetPrivateProfileSectionNamesW(buffer, 64, u"test.ini");
    EXPECT_EQ(length, 8u); // "One\0Two\0"
    EXPECT_EQ(buffer[length], 0);
    EXPECT_EQ(List(buffer, length), (std::vector<std::u16string>{u"One", u"Two"}));
    EXPECT_EQ(GetPrivateProfileStringW(nullptr, u"ignored", u"", buffer, 64, u"test.ini"), 8u);

    length = GetPrivateProfileStringW(u"ONE", nullptr, u"", buffer, 64, u"test.ini");
    EXPECT_EQ(List(buffer, length), (std::vector<std::u16string>{u"a", u"B"}));
    // The first of twice-written keys and sections counts.
    EXPECT_EQ(Get(u"one", u"a"), u"1");
    EXPECT_EQ(Get(u"one", u"z", u"first section only"), u"first section only");

    length = GetPrivateProfileStringW(u"Two", nullptr, u"", buffer, 64, u"test.ini");
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0);
}

TEST_F(Profile, TruncationFollowsTheDocumentedResults) {
    WriteFile(folder / "test.ini", "[Section]\nKey=abcdef\nSecond=x\n");
    struct Case {
        const char16_t* section;
        const char16_t* key;
        DWORD size;
        DWORD result;
        std::u16string contents; // including the NULs written
    };
    const Case cases[] = {
        {u"Section", u"Key", 7, 6, std::u16string(u"abcdef\0", 7)},
        {u"Section", u"Key", 4, 3, std::u16string(u"abc\0", 4)}, // nSize - 1
        {u"Section", u"Key", 1, 0, std::u16string(u"\0", 1)},
        {u"Section", u"Missing", 3, 2, std::u16string(u"de\0", 3)}, // the default is cut too
        {u"Section", nullptr, 12, 11, std::u16string(u"Key\0Second\0\0", 12)},
        {u"Section", nullptr, 8, 6, std::u16string(u"Key\0Se\0\0", 8)}, // nSize - 2
        {u"Section", nullptr, 2, 0, std::u16string(u"\0\0", 2)},
        {nullptr, nullptr, 5, 3, std::u16string(u"Sec\0\0", 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << (c.key ? " key" : " list"));
        std::vector<WCHAR> buffer(c.size + 2, u'#');
        DWORD result = GetPrivateProfileStringW(c.section, c.key, u"default", buffer.data(), c.size,
                                                u"test.ini");
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(std::u16string(buffer.data(), c.contents.size()), c.contents);
        EXPECT_EQ(buffer[c.size], u'#'); // nothing past the buffer
    }
}

TEST_F(Profile, IntegersAreReadFromTheLeadingNumber) {
    WriteFile(folder / "test.ini", "[N]\n"
                                   "plain=42\n"
                                   "negative=-7\n"
                                   "trailing=12abc\n"
                                   "text=abc\n"
                                   "empty=\n"
                                   "spaced=  5  \n"
                                   "quoted=\"9\"\n"
                                   "hex=0x1F\n"
                                   "plus=+3\n");
    struct Case {
        const char16_t* key;
        UINT expected;
    };
    const Case cases[] = {
        {u"plain", 42},    {u"negative", static_cast<UINT>(-7)},
        {u"trailing", 12}, {u"text", 0},
        {u"empty", 77},    {u"missing", 77},
        {u"spaced", 5},    {u"quoted", 9},
        {u"hex", 31},      {u"plus", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key, c.key + std::char_traits<char16_t>::length(c.key)));
        EXPECT_EQ(GetPrivateProfileIntW(u"N", c.key, 77, u"test.ini"), c.expected);
    }
    EXPECT_EQ(GetPrivateProfileIntW(u"N", u"missing", -1, u"test.ini"), static_cast<UINT>(-1));
    EXPECT_EQ(GetPrivateProfileIntW(u"N", u"plain", 0, u"absent.ini"), 0u);
}

TEST_F(Profile, NullValueDeletesAKeyAndNullKeyASection) {
    WriteFile(folder / "test.ini", "[A]\nx=1\ny=2\n\n[B]\n; about B\nz=3\n\n[C]\nw=4\n");
    EXPECT_TRUE(WritePrivateProfileStringW(u"a", u"X", nullptr, u"test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringW(u"b", nullptr, nullptr, u"test.ini"));
    EXPECT_EQ(ReadFile(folder / "test.ini"), "[A]\ny=2\n\n[C]\nw=4\n");
    EXPECT_EQ(Get(u"A", u"x", u"gone"), u"gone");
    EXPECT_EQ(Get(u"B", u"z", u"gone"), u"gone");

    // Deleting what is not there changes nothing and creates no file.
    EXPECT_TRUE(WritePrivateProfileStringW(u"A", u"nothing", nullptr, u"test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringW(u"A", nullptr, nullptr, u"absent.ini"));
    EXPECT_FALSE(fs::exists(folder / "absent.ini"));

    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"k", u"v", u"test.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Profile, WholeSectionsAreReadAndReplaced) {
    WriteFile(folder / "test.ini",
              "[S]\r\n; kept\r\nold=1\r\n  other = \"q\" \r\n\r\n[T]\r\nt=1\r\n");
    WCHAR buffer[64];
    DWORD length = GetPrivateProfileSectionW(u"s", buffer, 64, u"test.ini");
    EXPECT_EQ(List(buffer, length), (std::vector<std::u16string>{u"old=1", u"other=\"q\""}));

    ASSERT_TRUE(WritePrivateProfileSectionW(u"S", u"a=1\0b=2\0", u"test.ini"));
    EXPECT_EQ(ReadFile(folder / "test.ini"), "[S]\r\n; kept\r\na=1\r\nb=2\r\n\r\n[T]\r\nt=1\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionW(u"New", u"n=5\0", u"test.ini"));
    EXPECT_EQ(Get(u"New", u"n"), u"5");

    length = GetPrivateProfileSectionW(u"S", buffer, 7, u"test.ini");
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::u16string(buffer, 7), std::u16string(u"a=1\0b\0\0", 7));
}

TEST_F(Profile, BareNamesLieInTheWindowsDirectoryAndPathsWhereTheyLead) {
    ASSERT_TRUE(WritePrivateProfileStringW(u"Panel", u"Admin", u"1", u"KVDX.INI"));
    EXPECT_TRUE(fs::exists(folder / "KVDX.INI"));
    EXPECT_EQ(GetPrivateProfileIntW(u"Panel", u"Admin", 0, u"KVDX.INI"), 1u);

    fs::path elsewhere = folder / "elsewhere";
    fs::create_directories(elsewhere);
    std::u16string windowsPath = u"C:" + Wide((elsewhere / "app.ini").string());
    std::replace(windowsPath.begin(), windowsPath.end(), u'/', u'\\');
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"K", u"V", windowsPath.c_str()));
    EXPECT_EQ(ReadFile(elsewhere / "app.ini"), "[S]\r\nK=V\r\n");

    // A folder that is not there cannot take a file.
    std::u16string missing = u"C:" + Wide((folder / "no" / "such" / "x.ini").string());
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"K", u"V", missing.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // Nor can a drive that is not mapped.
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"K", u"V", u"Q:\\nowhere\\x.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Get(u"S", u"K", u"dflt", u"Q:\\nowhere\\x.ini"), u"dflt");
}

TEST_F(Profile, ProfileCallsUseWinIni) {
    ASSERT_TRUE(WriteProfileStringW(u"windows", u"Device", u"printer"));
    EXPECT_EQ(ReadFile(folder / "win.ini"), "[windows]\r\nDevice=printer\r\n");
    WCHAR buffer[32];
    EXPECT_EQ(GetProfileStringW(u"Windows", u"device", u"", buffer, 32), 7u);
    EXPECT_EQ(std::u16string(buffer), u"printer");
    ASSERT_TRUE(WriteProfileStringW(u"windows", u"Count", u"12"));
    EXPECT_EQ(GetProfileIntW(u"windows", u"Count", 0), 12u);
}

TEST_F(Profile, AFileSurvivesARestartOfTheProcess) {
    // Nothing is cached: what one call wrote, the next reads from the file.
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"K", u"first", u"test.ini"));
    std::string text = ReadFile(folder / "test.ini");
    fs::remove(folder / "test.ini");
    EXPECT_EQ(Get(u"S", u"K", u"gone"), u"gone");
    WriteFile(folder / "test.ini", text);
    EXPECT_EQ(Get(u"S", u"K"), u"first");
}

TEST_F(Profile, ConcurrentWritersInOneProcessLoseNothing) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 6; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < 10; ++i) {
                std::u16string key =
                    u"k" + std::u16string(1, u'a' + t) + std::u16string(1, u'a' + i);
                WritePrivateProfileStringW(u"Shared", key.c_str(), u"v", u"test.ini");
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    WCHAR buffer[2048];
    DWORD length = GetPrivateProfileStringW(u"Shared", nullptr, u"", buffer, 2048, u"test.ini");
    EXPECT_EQ(List(buffer, length).size(), 60u);
}

TEST_F(Profile, AFileThatCannotBeReadIsNotOverwritten) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    WriteFile(folder / "locked.ini", "[S]\nK=precious\n");
    fs::permissions(folder / "locked.ini", fs::perms::none);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"Other", u"x", u"locked.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    fs::permissions(folder / "locked.ini", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFile(folder / "locked.ini"), "[S]\nK=precious\n");
}

} // namespace

namespace {

// Names with blanks around them once made a new line at each write, never
// found again by a read.
TEST_F(Profile, NamesCountWithoutTheBlanksAroundThem) {
    for (const char16_t* value : {u"1", u"2", u"3"})
        ASSERT_TRUE(WritePrivateProfileStringW(u" Sec\t", u"  Key ", value, u"test.ini"));
    std::string bytes = ReadFile(folder / "test.ini");
    EXPECT_EQ(bytes, "[Sec]\r\nKey=3\r\n");
    EXPECT_EQ(Get(u"Sec", u"Key"), u"3");
    EXPECT_EQ(Get(u" Sec ", u" Key "), u"3");
    ASSERT_TRUE(WritePrivateProfileStringW(u" Sec", u"Key ", nullptr, u"test.ini"));
    EXPECT_EQ(Get(u"Sec", u"Key", u"gone"), u"gone");
}

TEST_F(Profile, BytesItDoesNotUnderstandSurviveARewrite) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string value;  // written, then read back exactly
        std::string keptTail;  // the rewritten file ends with these bytes
    };
    const std::string wide("\xFF\xFE[\0M\0]\0\r\0\n\0", 12);
    const Case cases[] = {
        // The layer's escape for a name byte that is not UTF-8, as in a path
        // kept as a value: UTF-8 has no form for it.
        {"an escaped name byte in a UTF-8 file", "[M]\r\n",
         u"C:\\data\\caf\xDCE9\\run.txt", ""},
        {"an odd last byte of a UTF-16 file", wide + "\x41", u"v", "\x41"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(folder / "odd.ini", c.bytes);
        ASSERT_TRUE(WritePrivateProfileStringW(u"M", u"K", c.value.c_str(), u"odd.ini"));
        EXPECT_EQ(Get(u"M", u"K", u"", u"odd.ini"), c.value);
        std::string rewritten = ReadFile(folder / "odd.ini");
        EXPECT_EQ(rewritten.substr(rewritten.size() - c.keptTail.size()), c.keptTail);
        EXPECT_EQ(rewritten.substr(0, 2), "\xFF\xFE"); // both are UTF-16 now
    }
}

TEST_F(Profile, AWriteOnAFullDiskFailsAndLeavesTheFileWhole) {
    const std::string before = "[A]\r\nOne=1\r\n\r\n[B]\r\nTwo=2\r\n";
    WriteFile(folder / "full.ini", before);
    TestSeams::FailDiskWrites(8);
    EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"New", u"x", u"full.ini"));
    TestSeams::FailDiskWrites(-1);
    EXPECT_EQ(ReadFile(folder / "full.ini"), before);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), "full.ini"); // no temporary file left
}

} // namespace
