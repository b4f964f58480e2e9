// The directory change notifier: its thread's life, its options, and changes
// on disk reaching the main thread.
#include "ShellCtrlsTestSupport.h"

#include <atomic>
#include <memory>
#include <thread>

namespace {

class ShellChangeNotifierTest : public ShellCtrlsTest {
protected:
    // A notifier watching `path`, counting its events.
    std::unique_ptr<TIDEShellChangeNotifier> Watch(const UnicodeString& path, bool subTree) {
        auto notifier = std::make_unique<TIDEShellChangeNotifier>(nullptr);
        notifier->SetRoot(path);
        notifier->SetWatchSubTree(subTree);
        notifier->SetOnChange([this] { ++changes_; });
        return notifier;
    }
    // Lets a quiet period pass in which a wrong event would arrive.
    void Settle() { PumpUntil([] { return false; }, 200); }

    int changes_ = 0;
};

} // namespace

TEST_F(ShellChangeNotifierTest, NoThreadWithoutAnEvent) {
    auto notifier = std::make_unique<TIDEShellChangeNotifier>(nullptr);
    EXPECT_EQ(notifier->GetRoot(), u"C:\\");
    EXPECT_TRUE(notifier->GetWatchSubTree());
    EXPECT_EQ(notifier->GetNotifyFilters(), (TNotifyFilters{nfFileNameChange, nfDirNameChange}));
    notifier->SetRoot(temp_.Windows());
    EXPECT_FALSE(notifier->Watching());
    notifier.reset();
}

TEST_F(ShellChangeNotifierTest, ChangesInTheFolderFireOnTheMainThread) {
    temp_.MakeDir("sub");
    auto notifier = Watch(temp_.Windows(), false);
    ASSERT_TRUE(notifier->Watching());
    Settle();
    DWORD mainThread = GetCurrentThreadId();
    DWORD ranOn = 0;
    notifier->SetOnChange([&] {
        ++changes_;
        ranOn = GetCurrentThreadId();
    });

    temp_.Write("one.txt", "1");
    ASSERT_TRUE(PumpUntil([&] { return changes_ > 0; }));
    EXPECT_EQ(ranOn, mainThread);

    // Without the sub-tree, a file made below does not fire.
    Settle();
    changes_ = 0;
    temp_.Write("sub/deep.txt", "2");
    Settle();
    EXPECT_EQ(changes_, 0);

    // With it, it does.
    notifier->SetWatchSubTree(true);
    Settle();
    changes_ = 0;
    temp_.Write("sub/deeper.txt", "3");
    EXPECT_TRUE(PumpUntil([&] { return changes_ > 0; }));
}

TEST_F(ShellChangeNotifierTest, ANewRootIsWatchedAtOnce) {
    temp_.MakeDir("a");
    temp_.MakeDir("b");
    auto notifier = Watch(temp_.Windows(u"a"), true);
    Settle();

    // The same folder in other case changes nothing.
    UnicodeString upper = temp_.Windows(u"A");
    notifier->SetRoot(upper);
    EXPECT_EQ(notifier->GetRoot(), temp_.Windows(u"a"));

    // Moving to b: changes in b fire, changes in a no longer do.
    notifier->SetRoot(temp_.Windows(u"b"));
    Settle();
    changes_ = 0;
    temp_.Write("b/first.txt", "1");
    ASSERT_TRUE(PumpUntil([&] { return changes_ > 0; }));
    Settle();
    changes_ = 0;
    temp_.Write("a/ignored.txt", "1");
    Settle();
    EXPECT_EQ(changes_, 0);
}

// A folder that cannot be watched ends the thread quietly; the notifier lets
// go of it, and a later root that can be watched starts a fresh thread.
TEST_F(ShellChangeNotifierTest, AnUnwatchableRootFiresNothing) {
    auto notifier = Watch(temp_.Windows(u"missing"), true);
    EXPECT_TRUE(PumpUntil([&] { return !notifier->Watching(); }));
    temp_.Write("x.txt", "1");
    Settle();
    EXPECT_EQ(changes_, 0);

    notifier->SetRoot(temp_.Windows());
    EXPECT_TRUE(notifier->Watching());
    Settle();
    temp_.Write("y.txt", "1");
    EXPECT_TRUE(PumpUntil([&] { return changes_ > 0; }));
}

TEST_F(ShellChangeNotifierTest, NoEventAfterTheNotifierIsGone) {
    auto notifier = Watch(temp_.Windows(), true);
    Settle();
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 0; writing; ++i) {
            temp_.Write("busy" + std::to_string(i % 8) + ".txt", "x");
            std::filesystem::remove(temp_.Linux("busy" + std::to_string(i % 8) + ".txt"));
        }
    });
    ASSERT_TRUE(PumpUntil([&] { return changes_ > 0; }));
    notifier.reset();
    int atDestruction = changes_;
    Settle();
    writing = false;
    writer.join();
    EXPECT_EQ(changes_, atDestruction);
}
