#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <gtest/gtest.h>

#include "CaseName.h"
#include <functional>

struct PathCase {
    const char* routine;
    std::function<UnicodeString(const UnicodeString&)> fn;
    UnicodeString input;
    UnicodeString expected;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.routine << " " << testing::PrintToString(c.input);
}

class WidePathTest : public testing::TestWithParam<PathCase> {};

TEST_P(WidePathTest, Answers) {
    const PathCase& c = GetParam();
    EXPECT_EQ(c.fn(c.input), c.expected) << c.routine;
}

namespace {
auto Dir = [](const UnicodeString& s) { return ExtractFileDirW(s); };
auto Drive = [](const UnicodeString& s) { return ExtractFileDriveW(s); };
auto Name = [](const UnicodeString& s) { return ExtractFileNameW(s); };
auto Ext = [](const UnicodeString& s) { return ExtractFileExtW(s); };
auto Strip = [](const UnicodeString& s) { return StripExtW(s); };
auto Include = [](const UnicodeString& s) { return IncludeTrailingBackslashW(s); };
auto StripSlash = [](const UnicodeString& s) { return StripTrailingBackslashW(s, false); };
auto StripSlashForced = [](const UnicodeString& s) { return StripTrailingBackslashW(s, true); };
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, WidePathTest,
    testing::Values(PathCase{"dir", Dir, u"C:\\dir\\file", u"C:\\dir"},
                    PathCase{"dir", Dir, u"C:\\file", u"C:\\"},
                    PathCase{"dir", Dir, u"c:", u"c:\\"}, PathCase{"dir", Dir, u"d", u"d:\\"},
                    PathCase{"dir", Dir, u"\\\\server\\share\\f", u""},
                    PathCase{"drive", Drive, u"C:\\dir\\file", u"C:"},
                    PathCase{"drive", Drive, u"relative\\file", u""},
                    PathCase{"name", Name, u"C:\\dir\\file.txt", u"file.txt"},
                    PathCase{"name", Name, u"C:\\", u""}, PathCase{"name", Name, u"abcd", u""},
                    PathCase{"ext", Ext, u"C:\\dir\\file.txt", u".txt"},
                    PathCase{"ext", Ext, u"C:\\a.tar.gz", u".gz"},
                    // Only the last component counts: a dotted folder is no extension.
                    PathCase{"ext", Ext, u"C:\\a.b\\file", u""},
                    PathCase{"ext", Ext, u"C:/a.b/file", u""}, PathCase{"ext", Ext, u"noext", u""},
                    PathCase{"strip", Strip, u"C:\\dir\\file.txt", u"C:\\dir\\file"},
                    PathCase{"strip", Strip, u"C:\\a.b\\file", u"C:\\a.b\\file"},
                    PathCase{"strip", Strip, u"plain", u"plain"},
                    PathCase{"include", Include, u"C:\\dir", u"C:\\dir\\"},
                    PathCase{"include", Include, u"C:\\dir\\", u"C:\\dir\\"},
                    PathCase{"include", Include, u"", u"\\"},
                    PathCase{"stripslash", StripSlash, u"C:\\", u"C:\\"},
                    PathCase{"stripslash", StripSlashForced, u"C:\\", u"C:"},
                    PathCase{"stripslash", StripSlash, u"C:\\dir\\", u"C:\\dir"},
                    PathCase{"stripslash", StripSlash, u"C:\\dir/", u"C:\\dir"},
                    PathCase{"stripslash", StripSlash, u"", u""}),
    CaseName());

struct PredicateCase {
    UnicodeString input;
    bool drive, floppy, ftp;
};

TEST(WidePaths, Predicates) {
    const PredicateCase cases[] = {
        {u"C:", true, false, false},    {u"c:\\", true, false, false},
        {u"a:", true, true, false},     {u"B:\\", true, true, false},
        {u"C:\\x", false, false, false}, {u"1:", false, false, false},
        {u"ftp.x", false, false, true}, {u"FTP", false, false, false},
        {u"Ftp://h", false, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsDriveW(c.input), c.drive) << UnicodeToUtf8(c.input);
        EXPECT_EQ(IsFloppyW(c.input), c.floppy) << UnicodeToUtf8(c.input);
        EXPECT_EQ(IsFTPPath(c.input), c.ftp) << UnicodeToUtf8(c.input);
    }
    EXPECT_TRUE(IsPathDelimiterW(u"a\\b", 2));
    EXPECT_FALSE(IsPathDelimiterW(u"a\\b", 1));
    EXPECT_FALSE(IsPathDelimiterW(u"a\\b", 4));
    EXPECT_FALSE(IsUNCPath(u"\\\\nosuchserver\\share"));
    EXPECT_EQ(ExtractRemoteComputerW(u"C:\\dir"), u"");
    EXPECT_EQ(StripRemoteComputerW(u"C:\\dir"), u"");
}
