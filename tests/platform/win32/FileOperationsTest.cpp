#include <win32/internal/Errno.h>
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

mode_t Mode(const std::string& path) {
    struct stat st;
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class FileOperations : public testing::Test {
protected:
    const WCHAR* W(const std::u16string& name) {
        keep.push_back(folder.Windows(name));
        return keep.back().c_str();
    }

    TempFolder folder;
    std::vector<std::u16string> keep{};
};

TEST_F(FileOperations, AttributesOfFilesFoldersAndMissingPaths) {
    folder.Write("f.txt", "12345");
    folder.Write(".dot", "");
    std::filesystem::create_directory(folder.Linux("sub"));
    EXPECT_EQ(GetFileAttributesW(W(u"f.txt")), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW(W(u".dot")), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesW(W(u"sub")), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(W(u"sub\\")), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(u"C:\\"), FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_EQ(GetFileAttributesW(W(u"none.txt")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesW(W(u"none\\f.txt")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(W(u"f.txt"), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_FALSE(GetFileAttributesExW(W(u"none.txt"), GetFileExInfoStandard, &data));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(GetFileAttributesExW(W(u"f.txt"), GetFileExMaxInfoLevel, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileOperations, ReadOnlyAttributeIsTheWritePermission) {
    folder.Write("f.txt", "x");
    chmod(folder.Linux("f.txt").c_str(), 0664);
    ASSERT_TRUE(SetFileAttributesW(W(u"f.txt"), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Mode(folder.Linux("f.txt")), 0444u);
    EXPECT_EQ(GetFileAttributesW(W(u"f.txt")), FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(SetFileAttributesW(W(u"f.txt"), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(Mode(folder.Linux("f.txt")), 0644u);
    EXPECT_EQ(GetFileAttributesW(W(u"f.txt")), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(SetFileAttributesW(W(u"none.txt"), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOperations, CreatesAndRemovesFolders) {
    EXPECT_TRUE(CreateDirectoryW(W(u"new"), nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Linux("new")));
    EXPECT_FALSE(CreateDirectoryW(W(u"new"), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(W(u"none\\new"), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    folder.Write("new/inside.txt", "x");
    EXPECT_FALSE(RemoveDirectoryW(W(u"new")));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(std::filesystem::exists(folder.Linux("new/inside.txt")));

    EXPECT_FALSE(RemoveDirectoryW(W(u"new\\inside.txt")));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_FALSE(RemoveDirectoryW(W(u"gone")));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    std::filesystem::remove(folder.Linux("new/inside.txt"));
    EXPECT_TRUE(RemoveDirectoryW(W(u"new")));
    EXPECT_FALSE(folder.Exists("new"));
}

TEST_F(FileOperations, TheCurrentDirectoryCannotBeRemoved) {
    std::filesystem::create_directory(folder.Linux("here"));
    CurrentDirectoryGuard restore;
    std::filesystem::current_path(folder.Linux("here"));
    EXPECT_FALSE(RemoveDirectoryW(W(u"here")));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST_F(FileOperations, DeleteFileRefusesFoldersReadOnlyFilesAndMissingOnes) {
    folder.Write("ro.txt", "x");
    chmod(folder.Linux("ro.txt").c_str(), 0444);
    std::filesystem::create_directory(folder.Linux("sub"));
    const std::pair<std::u16string, DWORD> cases[] = {
        {u"none.txt", ERROR_FILE_NOT_FOUND},
        {u"none\\f.txt", ERROR_PATH_NOT_FOUND},
        {u"sub", ERROR_ACCESS_DENIED},
        {u"ro.txt", ERROR_ACCESS_DENIED},
    };
    for (const auto& [name, error] : cases) {
        EXPECT_FALSE(DeleteFileW(W(name)));
        EXPECT_EQ(GetLastError(), error) << std::string(name.begin(), name.end());
    }
    EXPECT_TRUE(folder.Exists("ro.txt"));

    folder.Write("f.txt", "x");
    EXPECT_TRUE(DeleteFileW(W(u"f.txt")));
    EXPECT_FALSE(folder.Exists("f.txt"));
}

TEST_F(FileOperations, MoveKeepsAnExistingTargetUnlessAskedToReplace) {
    folder.Write("a.txt", "A");
    folder.Write("b.txt", "B");
    EXPECT_FALSE(MoveFileW(W(u"a.txt"), W(u"b.txt")));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(MoveFileExW(W(u"a.txt"), W(u"b.txt"), 0));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(folder.Read("a.txt"), "A");
    EXPECT_EQ(folder.Read("b.txt"), "B");

    EXPECT_TRUE(MoveFileExW(W(u"a.txt"), W(u"b.txt"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(folder.Exists("a.txt"));
    EXPECT_EQ(folder.Read("b.txt"), "A");

    EXPECT_TRUE(MoveFileW(W(u"b.txt"), W(u"c.txt")));
    EXPECT_EQ(folder.Read("c.txt"), "A");
}

TEST_F(FileOperations, MoveFailuresAndFolders) {
    folder.Write("a.txt", "A");
    std::filesystem::create_directories(folder.Linux("dir/inner"));
    EXPECT_FALSE(MoveFileW(W(u"none.txt"), W(u"x.txt")));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(MoveFileW(W(u"a.txt"), W(u"none\\x.txt")));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(MoveFileExW(W(u"a.txt"), W(u"dir"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(folder.Exists("a.txt"));

    EXPECT_TRUE(MoveFileW(W(u"dir"), W(u"moved")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Linux("moved/inner")));
}

TEST_F(FileOperations, MoveAcrossFileSystemsCopiesOnlyWhenAllowed) {
    std::string shm = "/dev/shm";
    struct stat here, there;
    if (stat(shm.c_str(), &there) != 0 || stat(folder.Linux().c_str(), &here) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    std::string target = shm + "/winlayer-move-" + std::to_string(getpid());
    std::u16string targetW = win32::ToWindowsPath(target);
    folder.Write("a.txt", "across");

    EXPECT_FALSE(MoveFileExW(W(u"a.txt"), targetW.c_str(), 0));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
    EXPECT_TRUE(folder.Exists("a.txt"));

    EXPECT_TRUE(MoveFileExW(W(u"a.txt"), targetW.c_str(), MOVEFILE_COPY_ALLOWED));
    EXPECT_FALSE(folder.Exists("a.txt"));
    std::ifstream in(target);
    std::string contents;
    std::getline(in, contents);
    EXPECT_EQ(contents, "across");
    std::filesystem::remove(target);
}

TEST_F(FileOperations, CopyHonoursFailIfExists) {
    folder.Write("a.txt", "source");
    folder.Write("b.txt", "target");
    EXPECT_FALSE(CopyFileW(W(u"a.txt"), W(u"b.txt"), TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(folder.Read("b.txt"), "target");

    EXPECT_TRUE(CopyFileW(W(u"a.txt"), W(u"b.txt"), FALSE));
    EXPECT_EQ(folder.Read("b.txt"), "source");
    EXPECT_TRUE(CopyFileW(W(u"a.txt"), W(u"c.txt"), TRUE));
    EXPECT_EQ(folder.Read("c.txt"), "source");
    EXPECT_EQ(folder.Read("a.txt"), "source");
}

TEST_F(FileOperations, CopyKeepsWriteTimeAndReadOnly) {
    folder.Write("a.txt", std::string(200000, 'q')); // more than one buffer
    timespec times[2] = {{UTIME_OMIT, UTIME_OMIT}, {1500000000, 0}};
    utimensat(AT_FDCWD, folder.Linux("a.txt").c_str(), times, 0);
    chmod(folder.Linux("a.txt").c_str(), 0444);
    ASSERT_TRUE(CopyFileW(W(u"a.txt"), W(u"b.txt"), TRUE));
    EXPECT_EQ(folder.Read("b.txt"), std::string(200000, 'q'));
    EXPECT_EQ(std::filesystem::last_write_time(folder.Linux("b.txt")),
              std::filesystem::last_write_time(folder.Linux("a.txt")));
    EXPECT_EQ(GetFileAttributesW(W(u"b.txt")), FILE_ATTRIBUTE_READONLY);

    // A read-only target is not overwritten.
    folder.Write("c.txt", "other");
    EXPECT_FALSE(CopyFileW(W(u"c.txt"), W(u"b.txt"), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileOperations, CopyFailuresLoseNothing) {
    folder.Write("a.txt", "keep me");
    std::filesystem::create_directory(folder.Linux("dir"));
    EXPECT_FALSE(CopyFileW(W(u"none.txt"), W(u"x.txt"), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(folder.Exists("x.txt"));
    EXPECT_FALSE(CopyFileW(W(u"a.txt"), W(u"dir"), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(CopyFileW(W(u"dir"), W(u"x.txt"), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    // Copying a file onto itself must not empty it.
    EXPECT_FALSE(CopyFileW(W(u"a.txt"), W(u"a.txt"), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(folder.Read("a.txt"), "keep me");
}

TEST(ErrorFromErrno, MapsTheCommonFailures) {
    const std::pair<int, DWORD> cases[] = {
        {0, ERROR_SUCCESS},
        {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EACCES, ERROR_ACCESS_DENIED},
        {EPERM, ERROR_ACCESS_DENIED},
        {EEXIST, ERROR_ALREADY_EXISTS},
        {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
        {ENOSPC, ERROR_DISK_FULL},
        {EXDEV, ERROR_NOT_SAME_DEVICE},
        {EBADF, ERROR_INVALID_HANDLE},
        {EINVAL, ERROR_INVALID_PARAMETER},
        {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
        {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
        {EIO, ERROR_GEN_FAILURE},
    };
    for (const auto& [error, expected] : cases)
        EXPECT_EQ(win32::ErrorFromErrno(error), expected) << error;
}

TEST(ErrorFromErrno, TellsAMissingFileFromAMissingFolder) {
    TempFolder folder;
    EXPECT_EQ(win32::ErrorFromErrnoAt(ENOENT, folder.Linux("none")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32::ErrorFromErrnoAt(ENOENT, folder.Linux("none/x")), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(win32::ErrorFromErrnoAt(ENOENT, folder.Linux("none") + "/"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32::ErrorFromErrnoAt(EACCES, folder.Linux("none/x")), ERROR_ACCESS_DENIED);
}

} // namespace
