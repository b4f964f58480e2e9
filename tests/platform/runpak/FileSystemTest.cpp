// File and folder routines against real temporary folders.
#include "../win32/FileTestSupport.h"

#include <runpak/FileSystem.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

class FileSystemTest : public testing::Test {
protected:
    TempFolder folder;
};

TEST_F(FileSystemTest, FileExistsOnlyForFilesAndDirectoryExistsOnlyForFolders) {
    folder.Write("file.txt", "x");
    std::filesystem::create_directory(folder.Linux("dir"));
    EXPECT_TRUE(FileExists(folder.Windows(u"file.txt")));
    EXPECT_FALSE(FileExists(folder.Windows(u"dir")));
    EXPECT_FALSE(FileExists(folder.Windows(u"none.txt")));
    EXPECT_TRUE(DirectoryExists(folder.Windows(u"dir")));
    EXPECT_TRUE(DirectoryExists(folder.Windows(u"dir\\")));
    EXPECT_FALSE(DirectoryExists(folder.Windows(u"file.txt")));
    EXPECT_FALSE(DirectoryExists(folder.Windows(u"none")));
    EXPECT_EQ(FileGetAttr(folder.Windows(u"none")), -1);
    EXPECT_TRUE(FileGetAttr(folder.Windows(u"dir")) & faDirectory);
}

TEST_F(FileSystemTest, ForceDirectoriesCreatesTheWholeChain) {
    UnicodeString deep = folder.Windows(u"a\\b\\c");
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep + u"\\")); // already there
    EXPECT_THROW(ForceDirectories(u""), EInOutError);
    folder.Write("a/file", "x");
    EXPECT_FALSE(ForceDirectories(folder.Windows(u"a\\file\\sub")));
}

TEST_F(FileSystemTest, CreateRemoveDeleteAndRename) {
    EXPECT_TRUE(CreateDir(folder.Windows(u"d")));
    EXPECT_FALSE(CreateDir(folder.Windows(u"d")));
    EXPECT_FALSE(CreateDir(folder.Windows(u"x\\y"))); // no parent
    EXPECT_TRUE(RemoveDir(folder.Windows(u"d")));
    EXPECT_FALSE(DirectoryExists(folder.Windows(u"d")));

    folder.Write("old.txt", "1");
    folder.Write("taken.txt", "2");
    EXPECT_TRUE(RenameFile(folder.Windows(u"old.txt"), folder.Windows(u"new.txt")));
    EXPECT_FALSE(RenameFile(folder.Windows(u"new.txt"), folder.Windows(u"taken.txt")));
    EXPECT_EQ(folder.Read("taken.txt"), "2");
    EXPECT_TRUE(DeleteFile(folder.Windows(u"new.txt")));
    EXPECT_FALSE(DeleteFile(folder.Windows(u"new.txt")));
    EXPECT_FALSE(FileExists(folder.Windows(u"new.txt")));
}

TEST_F(FileSystemTest, CurrentFolderAndExpandedNames) {
    CurrentDirectoryGuard guard;
    ASSERT_TRUE(SetCurrentDir(folder.Windows()));
    EXPECT_TRUE(SameFileName(GetCurrentDir(), folder.Windows()));
    EXPECT_EQ(ExpandFileName(u"x.txt"), folder.Windows(u"x.txt"));
    EXPECT_EQ(ExpandFileName(u"sub\\..\\y.txt"), folder.Windows(u"y.txt"));
    EXPECT_EQ(ExpandFileName(u""), u"");
    EXPECT_TRUE(ForceDirectories(u"rel\\tree"));
    EXPECT_TRUE(DirectoryExists(folder.Windows(u"rel\\tree")));
    EXPECT_FALSE(SetCurrentDir(folder.Windows(u"none")));
}

TEST_F(FileSystemTest, FileDatesPackLocalTimeInTwoSecondSteps) {
    TDateTime when = EncodeDateTime(2021, 6, 15, 10, 30, 45, 0);
    int packed = DateTimeToFileDate(when);
    EXPECT_EQ(packed, int((41u << 25) | (6u << 21) | (15u << 16) | (10u << 11) | (30u << 5) | 22u));
    EXPECT_EQ(FileDateToDateTime(packed).Val(), EncodeDateTime(2021, 6, 15, 10, 30, 44, 0).Val());
}

TEST_F(FileSystemTest, FileAgeIsTheLocalLastWriteTime) {
    folder.Write("f.txt", "x");
    TDateTime before = Now();
    TDateTime age;
    ASSERT_TRUE(FileAge(folder.Windows(u"f.txt"), age));
    EXPECT_NEAR(age.Val(), before.Val(), 60.0 / SecsPerDay);
    EXPECT_NE(FileAge(folder.Windows(u"f.txt")), -1);
    EXPECT_EQ(FileAge(folder.Windows(u"none")), -1);
    EXPECT_FALSE(FileAge(folder.Windows(u"none"), age));
    EXPECT_EQ(FileAge(folder.Windows()), -1); // a folder has no file age
}

TEST_F(FileSystemTest, FindFirstFiltersByAttributeAndFillsTheRecord) {
    folder.Write("a.txt", "12345");
    folder.Write("b.log", "1");
    folder.Write(".hidden.txt", "");
    std::filesystem::create_directory(folder.Linux("sub.txt"));

    auto find = [&](const UnicodeString& pattern, int attr) {
        std::map<UnicodeString, TSearchRec> found;
        TSearchRec rec;
        if (FindFirst(folder.Windows(pattern), attr, rec) == 0) {
            do
                found[rec.Name] = rec;
            while (FindNext(rec) == 0);
            FindClose(rec);
        }
        found.erase(u".");
        found.erase(u"..");
        return found;
    };

    auto plain = find(u"*.txt", 0);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[u"a.txt"].Size, 5);
    EXPECT_EQ(plain[u"a.txt"].Attr & faDirectory, 0);
    EXPECT_EQ(plain[u"a.txt"].Time, FileAge(folder.Windows(u"a.txt")));

    auto withFolders = find(u"*.txt", faDirectory);
    EXPECT_EQ(withFolders.size(), 2u);
    EXPECT_TRUE(withFolders[u"sub.txt"].Attr & faDirectory);

    EXPECT_EQ(find(u"*.txt", faHidden).count(u".hidden.txt"), 1u);
    EXPECT_EQ(find(u"*", faAnyFile).size(), 4u);

    TSearchRec rec;
    EXPECT_EQ(FindFirst(folder.Windows(u"*.none"), faAnyFile, rec), ERROR_FILE_NOT_FOUND);
    FindClose(rec); // harmless after a failed search
}

} // namespace
