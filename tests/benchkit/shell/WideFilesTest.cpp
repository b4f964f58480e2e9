#include "ShellTestSupport.h"
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

#include <filesystem>

class WideFilesTest : public testing::Test {
protected:
    ShellTempFolder dir;
};

TEST_F(WideFilesTest, ExistenceQueries) {
    dir.Write("f.txt", "x");
    dir.MakeDir("sub");
    EXPECT_TRUE(FileExistsW(dir.Windows(u"f.txt")));
    EXPECT_TRUE(FileExistsW(dir.Windows(u"sub"))) << "a file search finds directories too";
    EXPECT_TRUE(FileExistsW(dir.Windows(u"*.txt"))) << "and answers to wildcards";
    EXPECT_FALSE(FileExistsW(dir.Windows(u"nothing")));
    EXPECT_FALSE(FileExistsW(u""));
    EXPECT_TRUE(DirExistsW(dir.Windows(u"sub")));
    EXPECT_TRUE(DirExistsW(dir.Windows(u"sub").c_str()));
    EXPECT_FALSE(DirExistsW(dir.Windows(u"f.txt")));
    EXPECT_FALSE(DirExistsW(u""));
    EXPECT_FALSE(DirExistsW(static_cast<PCWideChar>(nullptr)));
}

TEST_F(WideFilesTest, CreateDirAndFiles) {
    EXPECT_TRUE(CreateDirW(dir.Windows(u"new")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Linux("new")));
    EXPECT_FALSE(CreateDirW(dir.Windows(u"new")));

    dir.Write("old.bin", "previous contents");
    HANDLE h = WideFileCreate(dir.Windows(u"old.bin"));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(dir.Read("old.bin"), "") << "create truncates";

    EXPECT_EQ(WideFileOpen(dir.Windows(u"missing"), fmOpenRead), INVALID_HANDLE_VALUE);
    EXPECT_THROW(WideFileOpen(dir.Windows(u"old.bin"), 3), ERangeError);
    EXPECT_THROW(WideFileOpen(dir.Windows(u"old.bin"), 0x50), ERangeError);
}

TEST_F(WideFilesTest, FileStreamCreatesOpensAndReportsFailure) {
    {
        TWideFileStream out(dir.Windows(u"s.bin"), fmCreate);
        out.WriteBuffer("abc", 3);
    }
    {
        TWideFileStream in(dir.Windows(u"s.bin"), fmOpenRead | fmShareDenyNone);
        char buf[3];
        in.ReadBuffer(buf, 3);
        EXPECT_EQ(std::string(buf, 3), "abc");
    }
    {
        // Create with exclusive sharing, as the persisted objects do.
        TWideFileStream out(dir.Windows(u"s2.bin"), fmCreate | fmShareExclusive);
        out.WriteBuffer("z", 1);
    }
    EXPECT_EQ(dir.Read("s2.bin"), "z");
    EXPECT_THROW(TWideFileStream(dir.Windows(u"missing"), fmOpenRead), EFCreateError);
}

TEST_F(WideFilesTest, NewFolderNameCountsUpAndGivesUp) {
    EXPECT_EQ(NewFolderNameW(dir.Windows() + u"\\", u"Stuff"), dir.Windows(u"Stuff"));
    dir.MakeDir("New Folder");
    EXPECT_EQ(NewFolderNameW(dir.Windows()), dir.Windows(u"New Folder (1)"));
    for (int n = 1; n <= 20; ++n) dir.MakeDir("New Folder (" + std::to_string(n) + ")");
    EXPECT_EQ(NewFolderNameW(dir.Windows()), u"");
}

TEST_F(WideFilesTest, UniqueFileNameNeverAnswersAnExistingName) {
    EXPECT_EQ(UniqueFileName(dir.Windows(u"a.txt")), dir.Windows(u"a.txt"));
    dir.Write("a.txt", "");
    EXPECT_EQ(UniqueFileName(dir.Windows(u"a.txt")), dir.Windows(u"a (2).txt"));
    for (int n = 2; n <= 19; ++n) dir.Write("a (" + std::to_string(n) + ").txt", "");
    EXPECT_EQ(UniqueFileName(dir.Windows(u"a.txt")), u"");
    dir.Write("plain", "");
    EXPECT_EQ(UniqueFileName(dir.Windows(u"plain")), u"");
    // A dot in a folder name is no extension.
    dir.MakeDir("v1.2");
    dir.Write("v1.2/notes", "");
    EXPECT_EQ(UniqueFileName(dir.Windows(u"v1.2\\notes")), u"");
    dir.Write("v1.2/notes.md", "");
    EXPECT_EQ(UniqueFileName(dir.Windows(u"v1.2\\notes.md")), dir.Windows(u"v1.2\\notes (2).md"));
}

TEST_F(WideFilesTest, UniqueDirName) {
    EXPECT_EQ(UniqueDirName(dir.Windows(u"d")), dir.Windows(u"d"));
    dir.MakeDir("d");
    dir.MakeDir("d (2)");
    EXPECT_EQ(UniqueDirName(dir.Windows(u"d")), dir.Windows(u"d (3)"));
}

TEST_F(WideFilesTest, FolderSizeSumsFilesAndRecurses) {
    dir.Write("a", std::string(100, 'x'));
    dir.Write("b.dat", std::string(23, 'x'));
    dir.MakeDir("sub");
    dir.Write("sub/c", std::string(1000, 'x'));
    EXPECT_EQ(CalcuateFolderSize(dir.Windows(u"sub"), false), 1000);
    EXPECT_EQ(CalcuateFolderSize(dir.Windows(), true), 1123);
    EXPECT_GE(CalcuateFolderSize(dir.Windows(), false), 123);
    EXPECT_EQ(CalcuateFolderSize(dir.Windows(u"missing"), true), 0);
}

TEST_F(WideFilesTest, FolderSizeBeyondFourGiB) {
    // A sparse file: 5 GiB of size without the disk space.
    std::filesystem::path big = dir.Linux("big");
    dir.Write("big", "");
    std::error_code error;
    std::filesystem::resize_file(big, 5ull << 30, error);
    if (error) GTEST_SKIP() << "no sparse files here";
    EXPECT_GE(CalcuateFolderSize(dir.Windows(), false), int64_t(5) << 30);
}

TEST_F(WideFilesTest, ExpandFileName) {
    EXPECT_EQ(ExpandFileNameW(dir.Windows(u"x\\..\\y")), dir.Windows(u"y"));
}
