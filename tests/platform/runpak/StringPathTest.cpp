#include <runpak/Strings.h>

#include <gtest/gtest.h>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

struct PathCase {
    const char16_t* path;
    const char* filePath;
    const char* fileDir;
    const char* fileName;
    const char* fileExt;
    const char* drive;
};

TEST(PathRoutinesTest, SplitWindowsPaths) {
    const PathCase cases[] = {
        {u"C:\\dir\\file.txt", "C:\\dir\\", "C:\\dir", "file.txt", ".txt", "C:"},
        {u"C:\\file", "C:\\", "C:\\", "file", "", "C:"},
        {u"C:file.ini", "C:", "C:", "file.ini", ".ini", "C:"},
        {u"KVDX.INI", "", "", "KVDX.INI", ".INI", ""},
        {u"a.b\\c", "a.b\\", "a.b", "c", "", ""},
        {u"dir\\.hidden", "dir\\", "dir", ".hidden", ".hidden", ""},
        {u"archive.tar.gz", "", "", "archive.tar.gz", ".gz", ""},
        {u"\\\\server\\share\\x.doc", "\\\\server\\share\\", "\\\\server\\share", "x.doc", ".doc",
         "\\\\server\\share"},
        {u"\\root.txt", "\\", "\\", "root.txt", ".txt", ""},
        {u"dir\\", "dir\\", "dir", "", "", ""},
        {u"", "", "", "", "", ""},
        {u"/home/me/x.txt", "", "", "/home/me/x.txt", ".txt", ""}, // '/' is not a delimiter
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(U8(c.path));
        EXPECT_EQ(U8(ExtractFilePath(c.path)), c.filePath);
        EXPECT_EQ(U8(ExtractFileDir(c.path)), c.fileDir);
        EXPECT_EQ(U8(ExtractFileName(c.path)), c.fileName);
        EXPECT_EQ(U8(ExtractFileExt(c.path)), c.fileExt);
        EXPECT_EQ(U8(ExtractFileDrive(c.path)), c.drive);
    }
}

TEST(PathRoutinesTest, ChangeFileExt) {
    EXPECT_EQ(U8(ChangeFileExt(u"C:\\app\\servo.exe", u".INI")), "C:\\app\\servo.INI");
    EXPECT_EQ(U8(ChangeFileExt(u"C:\\app.d\\servo", u".ini")), "C:\\app.d\\servo.ini");
    EXPECT_EQ(U8(ChangeFileExt(u"a.b.c", u"")), "a.b");
    EXPECT_EQ(U8(ChangeFileExt(u"", u".x")), ".x");
}

TEST(PathRoutinesTest, TrailingDelimiter) {
    EXPECT_EQ(U8(IncludeTrailingPathDelimiter(u"C:\\dir")), "C:\\dir\\");
    EXPECT_EQ(U8(IncludeTrailingPathDelimiter(u"C:\\dir\\")), "C:\\dir\\");
    EXPECT_EQ(U8(IncludeTrailingBackslash(u"")), "\\");
    EXPECT_EQ(U8(ExcludeTrailingPathDelimiter(u"C:\\dir\\")), "C:\\dir");
    EXPECT_EQ(U8(ExcludeTrailingPathDelimiter(u"C:\\dir")), "C:\\dir");
    EXPECT_EQ(U8(ExcludeTrailingBackslash(u"\\")), "");
}

TEST(PathRoutinesTest, DelimiterQueries) {
    EXPECT_EQ(LastDelimiter(u"\\.", u"a\\b.c"), 4);
    EXPECT_EQ(LastDelimiter(u"/", u"a\\b.c"), 0);
    EXPECT_TRUE(IsDelimiter(u",;", u"a;b", 2));
    EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 3));
    EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 0));
    EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 4));
    EXPECT_TRUE(IsPathDelimiter(u"a\\", 2));
    EXPECT_FALSE(IsPathDelimiter(u"a\\", 1));
    EXPECT_EQ(AnsiLastChar(u"abc"), u'c');
    EXPECT_EQ(AnsiLastChar(u""), 0);
    EXPECT_TRUE(SameFileName(u"C:\\Été.TXT", u"c:\\été.txt"));
}

TEST(WrapTextTest, BreaksAtBlanksAndKeepsQuotedText) {
    EXPECT_EQ(U8(WrapText(u"the quick brown fox", 10)), "the quick\r\nbrown fox");
    EXPECT_EQ(U8(WrapText(u"short", 10)), "short");
    EXPECT_EQ(U8(WrapText(u"aaa bbb ccc", u"\n", u" ", 4)), "aaa\nbbb\nccc");
    EXPECT_EQ(U8(WrapText(u"say 'a b c d' now", u"\n", u" ", 5)), "say\n'a b c d'\nnow");
    EXPECT_EQ(U8(WrapText(u"nobreakpossible", 5)), "nobreakpossible");
}

TEST(SysErrorMessageTest, KnownAndUnknownCodes) {
    EXPECT_EQ(U8(SysErrorMessage(5)), "Access is denied.");
    EXPECT_EQ(U8(SysErrorMessage(2)), "The system cannot find the file specified.");
    EXPECT_EQ(U8(SysErrorMessage(0xDEADBEEF)), "");
}

} // namespace
