// Folder change notification handles against a real folder.
#include "FileTestSupport.h"

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace {

constexpr DWORD kEverything = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                              FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                              FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION |
                              FILE_NOTIFY_CHANGE_SECURITY;
// Long enough for the kernel to report; a signalled handle ends the wait at once.
constexpr DWORD kReport = 20000;

class ChangeNotificationTest : public testing::Test {
protected:
    void TearDown() override { TestSeams::LimitFolderWatches(-1); }

    HANDLE Watch(const std::u16string& folder, bool subtree, DWORD filter) {
        HANDLE handle = FindFirstChangeNotificationW(folder.c_str(), subtree, filter);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE) << GetLastError();
        return handle;
    }

    TempFolder temp_;
};

struct FilterCase {
    const char* name;
    DWORD filter;
    std::function<void(const TempFolder&)> change;
    bool signalled;
};

// Each change is watched by the handle under test and by one that sees
// everything; once the second has seen the change, the first has had its chance.
TEST_F(ChangeNotificationTest, FilterDecidesWhichChangesSignal) {
    const FilterCase cases[] = {
        {"file created, file names", FILE_NOTIFY_CHANGE_FILE_NAME,
         [](const TempFolder& t) { t.Write("new.txt", "x"); }, true},
        {"file created, folder names", FILE_NOTIFY_CHANGE_DIR_NAME,
         [](const TempFolder& t) { t.Write("new.txt", "x"); }, false},
        {"folder made, folder names", FILE_NOTIFY_CHANGE_DIR_NAME,
         [](const TempFolder& t) { std::filesystem::create_directory(t.Linux("sub")); }, true},
        {"folder made, file names", FILE_NOTIFY_CHANGE_FILE_NAME,
         [](const TempFolder& t) { std::filesystem::create_directory(t.Linux("sub")); }, false},
        {"file renamed", FILE_NOTIFY_CHANGE_FILE_NAME,
         [](const TempFolder& t) {
             std::filesystem::rename(t.Linux("old.txt"), t.Linux("renamed.txt"));
         },
         true},
        {"file deleted", FILE_NOTIFY_CHANGE_FILE_NAME,
         [](const TempFolder& t) { std::filesystem::remove(t.Linux("old.txt")); }, true},
        {"mode changed, attributes", FILE_NOTIFY_CHANGE_ATTRIBUTES,
         [](const TempFolder& t) { chmod(t.Linux("old.txt").c_str(), 0400); }, true},
        {"mode changed, last write", FILE_NOTIFY_CHANGE_LAST_WRITE,
         [](const TempFolder& t) { chmod(t.Linux("old.txt").c_str(), 0400); }, false},
        {"contents written, last write", FILE_NOTIFY_CHANGE_LAST_WRITE,
         [](const TempFolder& t) { t.Write("old.txt", "longer contents"); }, true},
        {"contents written, file names", FILE_NOTIFY_CHANGE_FILE_NAME,
         [](const TempFolder& t) { t.Write("old.txt", "longer contents"); }, false},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.Write("old.txt", "old");
        HANDLE tested = Watch(folder.Windows(), false, c.filter);
        HANDLE all = Watch(folder.Windows(), false, kEverything);
        EXPECT_EQ(WaitForSingleObject(tested, 0), WAIT_TIMEOUT);
        c.change(folder);
        ASSERT_EQ(WaitForSingleObject(all, kReport), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(tested, 0) == WAIT_OBJECT_0, c.signalled);
        EXPECT_TRUE(FindCloseChangeNotification(tested));
        EXPECT_TRUE(FindCloseChangeNotification(all));
    }
}

TEST_F(ChangeNotificationTest, StaysSignalledUntilRearmed) {
    HANDLE handle = Watch(temp_.Windows(), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    temp_.Write("a", "");
    temp_.Write("b", "");
    ASSERT_EQ(WaitForSingleObject(handle, kReport), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0); // a wait does not reset it
    // Re-armed after the burst has been read, the next change signals it again.
    HANDLE probe = Watch(temp_.Windows(), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    temp_.Write("marker", "");
    ASSERT_EQ(WaitForSingleObject(probe, kReport), WAIT_OBJECT_0);
    ASSERT_TRUE(FindNextChangeNotification(handle));
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_TIMEOUT);
    temp_.Write("c", "");
    EXPECT_EQ(WaitForSingleObject(handle, kReport), WAIT_OBJECT_0);
    FindCloseChangeNotification(probe);
    FindCloseChangeNotification(handle);
}

TEST_F(ChangeNotificationTest, SubtreeSeesNestedAndNewFolders) {
    temp_.Write("top", "");
    std::filesystem::create_directories(temp_.Linux("a/b"));
    HANDLE tree = Watch(temp_.Windows(), true, FILE_NOTIFY_CHANGE_FILE_NAME);
    HANDLE flat = Watch(temp_.Windows(), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    HANDLE inner = Watch(temp_.Windows(u"a\\b"), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    temp_.Write("a/b/deep.txt", "");
    ASSERT_EQ(WaitForSingleObject(inner, kReport), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(tree, kReport), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(flat, 0), WAIT_TIMEOUT);

    // A folder made after the watch began is watched too.
    HANDLE dirs = Watch(temp_.Windows(), false, FILE_NOTIFY_CHANGE_DIR_NAME);
    std::filesystem::create_directory(temp_.Linux("later"));
    ASSERT_EQ(WaitForSingleObject(dirs, kReport), WAIT_OBJECT_0);
    FindNextChangeNotification(tree);
    HANDLE later = Watch(temp_.Windows(u"later"), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    temp_.Write("later/file", "");
    ASSERT_EQ(WaitForSingleObject(later, kReport), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(tree, kReport), WAIT_OBJECT_0);
    for (HANDLE h : {tree, flat, inner, dirs, later})
        FindCloseChangeNotification(h);
}

TEST_F(ChangeNotificationTest, RefusedWatchIsReported) {
    std::filesystem::create_directories(temp_.Linux("a/b"));
    TestSeams::LimitFolderWatches(0);
    SetLastError(0);
    EXPECT_EQ(FindFirstChangeNotificationW(temp_.Windows().c_str(), FALSE, kEverything),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    // A tree that would only be partly watched is refused whole.
    TestSeams::LimitFolderWatches(2);
    EXPECT_EQ(FindFirstChangeNotificationW(temp_.Windows().c_str(), TRUE, kEverything),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    // The refused tree left no watch behind: the limit still admits two.
    HANDLE one = Watch(temp_.Windows(), false, kEverything);
    HANDLE two = Watch(temp_.Windows(u"a"), false, kEverything);
    FindCloseChangeNotification(one);
    FindCloseChangeNotification(two);
}

TEST_F(ChangeNotificationTest, BadArgumentsFail) {
    temp_.Write("file", "");
    struct {
        std::u16string path;
        DWORD filter;
        DWORD error;
    } cases[] = {
        {temp_.Windows(u"missing"), kEverything, ERROR_FILE_NOT_FOUND},
        {temp_.Windows(u"file"), kEverything, ERROR_DIRECTORY},
        {temp_.Windows(), 0, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFirstChangeNotificationW(c.path.c_str(), FALSE, c.filter),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(FindNextChangeNotification(nullptr));
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(FindCloseChangeNotification(event)); // not a change handle
    CloseHandle(event);
}

} // namespace
