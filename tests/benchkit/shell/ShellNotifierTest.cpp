// The change notifier and its threads: registrations, reduction of events,
// batches on the layer's clock, and changes on disk reaching a control.
#include "ShellTestSupport.h"

#include "benchkit/shell/IDEVirtualShellNotifier.h"
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <quorlpak/Quorlpak.h>
#include <quorlpak/UtilWindow.h>
#include <quorlpak/WinControl.h>
#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct SeenEvent {
    TVirtualShellNotifyEvent kind;
    std::u16string path; // of PIDL1, empty for lists without a path
    DWORD number = 0;
    bool operator==(const SeenEvent&) const = default;
};

std::u16string PathOf(PItemIDList pidl) {
    if (!pidl) return {};
    WCHAR path[MAX_PATH] = {};
    if (pidl->mkid.cb == 0) return u"<desktop>";
    return SHGetPathFromIDListW(pidl, path) ? std::u16string(path) : u"<virtual>";
}

// A windowed control that records each batch it receives and releases it.
class Listener : public TWinControl {
public:
    explicit Listener(HWND host) : TWinControl(nullptr) {
        SetParentWindow(host);
        HandleNeeded();
    }
    void WndProc(TMessage& Message) override {
        if (Message.Msg != WM_SHELLNOTIFY) return TWinControl::WndProc(Message);
        auto* batch = reinterpret_cast<TVirtualShellEventList*>(Message.WParam);
        std::vector<SeenEvent> events;
        for (int i = 0; i < batch->Count(); ++i) {
            TVirtualShellEvent* e = batch->Get(i);
            events.push_back({e->FShellNotifyEvent, PathOf(e->FPIDL1), e->FDoubleWord1});
        }
        batches.push_back(events);
        batch->Release();
    }
    std::vector<std::vector<SeenEvent>> batches;
};

// The list of a path, whether or not anything is there yet.
PItemIDList Pidl(const UnicodeString& path) {
    PItemIDList pidl = SHSimpleIDListFromPath(path.c_str());
    EXPECT_NE(pidl, nullptr);
    return pidl;
}

class ShellNotifierTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(100000);
        InitializeQuorlpak();
        InitializeIDEVirtualShellNotifier();
        host_ = AllocateHWnd([](TMessage&) {});
        listener_ = std::make_unique<Listener>(host_);
    }
    void TearDown() override {
        FinalizeIDEVirtualShellNotifier();
        Pump(); // batches already on their way are released by the listener
        listener_.reset();
        DeallocateHWnd(host_);
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    // Lets quiet periods pass until the listener has `count` batches; then
    // two more periods, so that a batch too many would show.
    void WaitForBatches(size_t count) {
        for (int i = 0; i < 100000 && listener_->batches.size() < count; ++i) {
            TestSeams::AdvanceClock(VirtualShellNotifyRefreshRate);
            Pump();
        }
        ASSERT_GE(listener_->batches.size(), count);
        for (int i = 0; i < 2; ++i) {
            TestSeams::AdvanceClock(VirtualShellNotifyRefreshRate);
            Pump();
        }
    }
    TVirtualChangeNotifier* Object() { return ChangeNotifierObject(); }

    ShellTempFolder temp_;
    HWND host_ = nullptr;
    std::unique_ptr<Listener> listener_;
};

TEST(ShellNotifyEvents, TextsAndDriveLetters) {
    InitializeIDEVirtualShellNotifier();
    EXPECT_EQ(VirtualShellNotifyEventToStr(vsneAssoccChanged), u"Assocciation Changed");
    EXPECT_EQ(VirtualShellNotifyEventToStr(vsneUpdateItem), u"Update Item");
    EXPECT_EQ(VirtualShellNotifyEventToStr(vsneNone), u"");
    EXPECT_EQ(FreeSpaceNotifyToDrive(0), u' ');
    EXPECT_EQ(FreeSpaceNotifyToDrive(4), u'c');
    EXPECT_EQ(FreeSpaceNotifyToDrive(0x6), u'b');
    EXPECT_EQ(AllKernelNotifiers.ToInt(), 0xDFu);
    EXPECT_EQ(ShellNotifyFlagToEvent(SHCNE_MKDIR), vsneMkDir);
    // A flag with further bits set names no event.
    EXPECT_EQ(ShellNotifyFlagToEvent(SHCNE_MKDIR | SHCNE_CREATE), vsneNone);
    FinalizeIDEVirtualShellNotifier();
}

TEST_F(ShellNotifierTest, ThreadsLiveWhileRegistrationsHoldThem) {
    IVirtualChangeNotifier* notifier = ChangeNotifier();
    ASSERT_TRUE(notifier->RegisterKernelChangeNotify(listener_.get(), {vkneFileName}));
    ASSERT_TRUE(notifier->RegisterKernelChangeNotify(listener_.get(), AllKernelNotifiers));
    EXPECT_TRUE(Object()->HasKernelChangeThread());
    EXPECT_TRUE(Object()->HasChangeDispatchThread());
    ASSERT_TRUE(notifier->RegisterShellChangeNotify(listener_.get()));
    EXPECT_TRUE(notifier->UnRegisterKernelChangeNotify(listener_.get()));
    EXPECT_FALSE(Object()->HasKernelChangeThread());
    EXPECT_TRUE(Object()->HasChangeDispatchThread()); // the shell thread still holds it
    EXPECT_TRUE(notifier->UnRegisterShellChangeNotify(listener_.get()));
    EXPECT_FALSE(Object()->HasShellChangeThread());
    EXPECT_FALSE(Object()->HasChangeDispatchThread());
    EXPECT_FALSE(notifier->UnRegisterShellChangeNotify(listener_.get())); // no longer listed
    EXPECT_FALSE(notifier->NotifyWatchFolder(listener_.get(), temp_.Windows()));
}

struct ReductionCase {
    const char* name;
    bool filter;
    std::vector<std::pair<TVirtualShellNotifyEvent, std::pair<std::u16string, std::u16string>>> in;
    std::vector<SeenEvent> out; // paths relative to the temporary folder
};

TEST_F(ShellNotifierTest, EventsAreReducedIntoOneBatch) {
    temp_.MakeDir("a");
    temp_.MakeDir("b");
    std::vector<std::pair<TVirtualShellNotifyEvent, std::pair<std::u16string, std::u16string>>>
        tenCreates;
    for (int i = 0; i < 10; ++i)
        tenCreates.push_back({vsneCreate, {u"a\\f" + std::u16string(1, u'0' + i), u""}});
    const ReductionCase cases[] = {
        {"ten creations", true, tenCreates, {{vsneUpdateDir, u"a"}}},
        {"rename within a folder", true, {{vsneRenameItem, {u"a\\x", u"a\\y"}}},
         {{vsneUpdateDir, u"a"}}},
        {"rename across folders", true, {{vsneRenameItem, {u"a\\x", u"b\\x"}}},
         {{vsneUpdateDir, u"a"}, {vsneUpdateDir, u"b"}}},
        {"repeated item updates", true,
         {{vsneUpdateItem, {u"a\\x", u""}}, {vsneUpdateItem, {u"a\\x", u""}},
          {vsneUpdateItem, {u"b\\x", u""}}},
         {{vsneUpdateItem, u"a\\x"}, {vsneUpdateItem, u"b\\x"}}},
        {"unfiltered", false,
         {{vsneCreate, {u"a\\x", u""}}, {vsneCreate, {u"a\\x", u""}}},
         {{vsneCreate, u"a\\x"}, {vsneCreate, u"a\\x"}}},
    };
    IVirtualChangeNotifier* notifier = ChangeNotifier();
    ASSERT_TRUE(notifier->RegisterShellChangeNotify(listener_.get()));
    for (const ReductionCase& c : cases) {
        SCOPED_TRACE(c.name);
        listener_->batches.clear();
        notifier->SetFilterEvents(c.filter);
        for (const auto& [kind, paths] : c.in) {
            PItemIDList one = Pidl(temp_.Windows(paths.first));
            PItemIDList two = paths.second.empty() ? nullptr : Pidl(temp_.Windows(paths.second));
            notifier->AddEvent(kind, one, two, nullptr);
            ILFree(one);
            if (two) ILFree(two);
        }
        WaitForBatches(1);
        ASSERT_EQ(listener_->batches.size(), 1u);
        std::vector<SeenEvent> expected;
        for (SeenEvent e : c.out) {
            e.path = temp_.Windows(e.path);
            expected.push_back(e);
        }
        EXPECT_EQ(listener_->batches[0], expected);
    }
    notifier->UnRegisterShellChangeNotify(listener_.get());
}

TEST_F(ShellNotifierTest, FreeSpaceAndShellThreadEvents) {
    IVirtualChangeNotifier* notifier = ChangeNotifier();
    ASSERT_TRUE(notifier->RegisterShellChangeNotify(listener_.get()));
    // The shell passes the numbers of a free-space event in place of a list.
    struct {
        uint16_t cb;
        DWORD one, two;
        uint16_t end;
    } __attribute__((packed)) numbers{10, 4, 0, 0};
    auto* asList = reinterpret_cast<PItemIDList>(&numbers);
    notifier->PostShellNotifyEvent(SHCNE_FREESPACE, asList, nullptr);
    notifier->PostShellNotifyEvent(SHCNE_FREESPACE, asList, nullptr);
    PItemIDList made = Pidl(temp_.Windows(u"x"));
    notifier->PostShellNotifyEvent(SHCNE_MKDIR, made, nullptr);
    notifier->PostShellNotifyEvent(SHCNE_MKDIR | SHCNE_CREATE, made, nullptr); // not an event
    ILFree(made);
    // The shell thread hands the events over on its own time, in one batch or
    // in more; equal events merge only within one batch, so the two free-space
    // reports arrive once or twice.
    std::vector<SeenEvent> all;
    for (int i = 0; i < 100000 && all.size() < 2; ++i) {
        WaitForBatches(1);
        all.clear();
        for (const auto& batch : listener_->batches)
            for (const SeenEvent& e : batch)
                if (std::find(all.begin(), all.end(), e) == all.end()) all.push_back(e);
    }
    std::vector<SeenEvent> expected{{vsneFreeSpace, u"", 4}, {vsneUpdateDir, temp_.Windows()}};
    std::sort(all.begin(), all.end(), [](auto& x, auto& y) { return x.kind < y.kind; });
    EXPECT_EQ(all, expected);
    notifier->UnRegisterShellChangeNotify(listener_.get());
}

// The layer reports its own changes to the shell thread's registration.
TEST_F(ShellNotifierTest, ShellReportsReachRegisteredControls) {
    IVirtualChangeNotifier* notifier = ChangeNotifier();
    ASSERT_TRUE(notifier->RegisterShellChangeNotify(listener_.get()));
    Object()->GetShellChangeThread()->WaitForWindow();
    ASSERT_TRUE(CreateDirW(temp_.Windows(u"made")));
    WaitForBatches(1);
    ASSERT_EQ(listener_->batches.size(), 1u);
    EXPECT_EQ(listener_->batches[0],
              (std::vector<SeenEvent>{{vsneUpdateDir, temp_.Windows()}}));
    notifier->UnRegisterShellChangeNotify(listener_.get());
}

TEST_F(ShellNotifierTest, BatchWithoutListenersIsFreed) {
    IVirtualChangeNotifier* notifier = ChangeNotifier();
    auto* other = new TWinControl(nullptr); // registered, but without a window
    ASSERT_TRUE(notifier->RegisterShellChangeNotify(other));
    PItemIDList pidl = Pidl(temp_.Windows(u"gone"));
    notifier->AddEvent(vsneUpdateItem, pidl, nullptr, nullptr);
    ILFree(pidl);
    for (int i = 0; i < 4; ++i) {
        TestSeams::AdvanceClock(VirtualShellNotifyRefreshRate);
        Pump();
    }
    EXPECT_TRUE(listener_->batches.empty());
    notifier->UnRegisterAllNotify();
    delete other;
    // The sanitizer build proves the batch and its lists were freed.
}

TEST_F(ShellNotifierTest, StripDuplicatesKeepsAncestorsAndFirstOfEquals) {
    temp_.MakeDir("a/b");
    PItemIDList a = Pidl(temp_.Windows(u"a")), ab = Pidl(temp_.Windows(u"a\\b")),
                c = Pidl(temp_.Windows(u"c"));
    TList list;
    for (PItemIDList p : {ab, a, c, a})
        list.Add(new TVirtualShellEvent(vsneUpdateDir, p, p));
    ChangeNotifier()->StripDuplicates(&list);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(PathOf(static_cast<TVirtualShellEvent*>(list.GetItems(0))->FPIDL1),
              temp_.Windows(u"a"));
    EXPECT_EQ(PathOf(static_cast<TVirtualShellEvent*>(list.GetItems(1))->FPIDL1),
              temp_.Windows(u"c"));
    for (int i = 0; i < list.GetCount(); ++i)
        delete static_cast<TVirtualShellEvent*>(list.GetItems(i));
    for (PItemIDList p : {a, ab, c})
        ILFree(p);
}

// Files created on disk reach the control watching the folder as one folder
// refresh; more folders are watched than one wait can hold.
TEST_F(ShellNotifierTest, ChangesOnDiskReachTheWatchingControl) {
    IVirtualChangeNotifier* notifier = ChangeNotifier();
    std::vector<std::unique_ptr<TWinControl>> others;
    for (int i = 0; i < 70; ++i) {
        temp_.MakeDir("w" + std::to_string(i));
        others.push_back(std::make_unique<TWinControl>(nullptr));
        ASSERT_TRUE(notifier->RegisterKernelChangeNotify(others.back().get(), AllKernelNotifiers));
        notifier->NotifyWatchFolder(others.back().get(),
                                    temp_.Windows(u"w" + IntToStrW(i)));
    }
    temp_.MakeDir("watched");
    ASSERT_TRUE(notifier->RegisterKernelChangeNotify(listener_.get(), AllKernelNotifiers));
    ASSERT_TRUE(notifier->NotifyWatchFolder(listener_.get(), temp_.Windows(u"watched")));
    // The kernel thread picks the folders up on its own time, and the kernel
    // reports on its own time: a file is written every few quiet periods
    // until changes in both folders have been seen.
    auto seen = [&](const std::u16string& folder) {
        for (const auto& batch : listener_->batches)
            for (const SeenEvent& e : batch)
                if (e == SeenEvent{vsneUpdateDir, temp_.Windows(folder)}) return true;
        return false;
    };
    for (int i = 0; i < 20000 && !(seen(u"watched") && seen(u"w69")); ++i) {
        if (i % 4 == 0) {
            temp_.Write("watched/f" + std::to_string(i), "x");
            temp_.Write("w69/f" + std::to_string(i), "x");
        }
        TestSeams::AdvanceClock(VirtualShellNotifyRefreshRate);
        Pump();
    }
    EXPECT_TRUE(seen(u"watched"));
    EXPECT_TRUE(seen(u"w69"));
    // However many files a burst held, a batch names each folder once.
    for (const auto& batch : listener_->batches)
        for (size_t i = 0; i < batch.size(); ++i) {
            EXPECT_EQ(batch[i].kind, vsneUpdateDir);
            for (size_t j = i + 1; j < batch.size(); ++j)
                EXPECT_NE(batch[i].path, batch[j].path);
        }
    notifier->UnRegisterAllNotify();
    EXPECT_FALSE(Object()->HasKernelChangeThread());
}

} // namespace
