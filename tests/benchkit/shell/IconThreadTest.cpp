// The icon thread's queue and answers, and the system image list wrappers.
#include "ShellTestSupport.h"

#include "benchkit/shell/IDEVirtualIconThread.h"
#include "benchkit/shell/IDEVirtualSystemImageLists.h"

#include <quorlpak/Quorlpak.h>
#include <quorlpak/UtilWindow.h>
#include <quorlpak/WinControl.h>
#include <win32/shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const UINT kAnswer = 0x8034;

// Records each answer (its tag and index) and frees the record.
class Requester : public TWinControl {
public:
    explicit Requester(HWND host) : TWinControl(nullptr) {
        SetParentWindow(host);
        HandleNeeded();
    }
    void WndProc(TMessage& Message) override {
        if (Message.Msg != kAnswer) return TWinControl::WndProc(Message);
        auto* info = reinterpret_cast<PVirtualThreadIconInfo>(Message.WParam);
        tags.push_back(info->Tag);
        indexes.push_back(info->IconIndex);
        userData2.push_back(info->UserData2);
        ImageThreadManager()->ReleaseItem(info, nullptr);
    }
    std::vector<int> tags, indexes;
    std::vector<void*> userData2;
};

class IconThreadTest : public testing::Test {
protected:
    void SetUp() override {
        InitializeQuorlpak();
        host_ = AllocateHWnd([](TMessage&) {});
        requester_ = std::make_unique<Requester>(host_);
        temp_.Write("notes.txt", "x");
        temp_.MakeDir("folder");
    }
    void TearDown() override {
        FinalizeIDEVirtualIconThread();
        FinalizeIDEVirtualSystemImageLists();
        requester_.reset();
        DeallocateHWnd(host_);
        FinalizeQuorlpak();
    }
    PItemIDList Pidl(const UnicodeString& name) {
        return SHSimpleIDListFromPath(temp_.Windows(name).c_str());
    }
    int ShellIndex(const UnicodeString& name) {
        PItemIDList pidl = Pidl(name);
        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON);
        ILFree(pidl);
        return info.iIcon;
    }
    void WaitForAnswers(size_t count) {
        MSG msg;
        while (requester_->tags.size() < count && GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }

    ShellTempFolder temp_;
    HWND host_ = nullptr;
    std::unique_ptr<Requester> requester_;
};

// Requests queued while the thread is held at the queue are served newest
// first; queued at the front, last.
TEST_F(IconThreadTest, NewestRequestIsAnsweredFirst) {
    IVirtualImageThreadManager* manager = ImageThreadManager();
    manager->RegisterControl(requester_.get());
    PItemIDList text = Pidl(u"notes.txt"), folder = Pidl(u"folder");
    TList* queue = manager->LockThread();
    ASSERT_NE(queue, nullptr);
    manager->AddNewItem(requester_.get(), kAnswer, text, false, nullptr, 1);
    manager->AddNewItem(requester_.get(), kAnswer, folder, false, nullptr, 2);
    manager->AddNewItem(requester_.get(), kAnswer, text, false, nullptr, 3);
    manager->InsertNewItem(requester_.get(), kAnswer, folder, false, nullptr, 4);
    auto* fresh = static_cast<PVirtualThreadIconInfo>(queue->GetItems(1));
    EXPECT_EQ(fresh->IconIndex, 0);
    EXPECT_EQ(fresh->UserData2, nullptr);
    manager->UnLockThread();
    WaitForAnswers(4);
    EXPECT_EQ(requester_->tags, (std::vector<int>{3, 2, 1, 4}));
    std::vector<int> expected{ShellIndex(u"notes.txt"), ShellIndex(u"folder"),
                              ShellIndex(u"notes.txt"), ShellIndex(u"folder")};
    EXPECT_EQ(requester_->indexes, expected);
    EXPECT_NE(expected[0], expected[1]); // a file and a folder differ
    ILFree(text);
    ILFree(folder);
    manager->UnRegisterControl(requester_.get());
}

TEST_F(IconThreadTest, DroppedRequestsAreNeitherAnsweredNorLeaked) {
    IVirtualImageThreadManager* manager = ImageThreadManager();
    manager->RegisterControl(requester_.get());
    PItemIDList text = Pidl(u"notes.txt");
    int keep = 0, drop = 0;
    manager->LockThread();
    manager->AddNewItem(requester_.get(), kAnswer, text, false, &keep, 1);
    manager->AddNewItem(requester_.get(), kAnswer, text, false, &drop, 2);
    manager->AddNewItem(requester_.get(), kAnswer, text, false, &drop, 3);
    manager->ClearPendingItem(requester_.get(), &drop, kAnswer, nullptr);
    manager->UnLockThread();
    WaitForAnswers(1);
    EXPECT_EQ(requester_->tags, std::vector<int>{1});
    // Everything still queued or already posted is gone after ClearPendingItems.
    manager->LockThread();
    for (int tag = 10; tag < 20; ++tag)
        manager->AddNewItem(requester_.get(), kAnswer, text, false, nullptr, tag);
    manager->UnLockThread();
    manager->ClearPendingItems(requester_.get(), kAnswer, nullptr);
    size_t answered = requester_->tags.size();
    TList* queue = manager->LockThread();
    EXPECT_EQ(queue->GetCount(), 0);
    manager->UnLockThread();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(requester_->tags.size(), answered);
    ILFree(text);
    manager->UnRegisterControl(requester_.get());
}

TEST_F(IconThreadTest, ThreadLivesWhileAnyRegistrationDoes) {
    IVirtualImageThreadManager* manager = ImageThreadManager();
    auto* object = static_cast<TVirtualImageThreadManager*>(manager);
    PItemIDList text = Pidl(u"notes.txt");
    manager->AddNewItem(requester_.get(), kAnswer, text, false, nullptr, 1); // no thread: ignored
    EXPECT_EQ(manager->LockThread(), nullptr);
    manager->RegisterControl(requester_.get());
    manager->RegisterControl(requester_.get());
    manager->UnRegisterControl(requester_.get());
    EXPECT_TRUE(object->HasThread());
    manager->UnRegisterControl(requester_.get());
    EXPECT_FALSE(object->HasThread());
    ILFree(text);
}

TEST_F(IconThreadTest, SystemImageListsShareTheShellsLists) {
    VirtualSysImages* small = SmallSysImages();
    EXPECT_EQ(SmallSysImages(), small);
    EXPECT_EQ(small->GetWidth(), 16);
    EXPECT_EQ(LargeSysImages()->GetWidth(), 32);
    EXPECT_EQ(ExtraLargeSysImages()->GetWidth(), 48);
    EXPECT_EQ(ExtraLargeSysImages()->GetCount(), LargeSysImages()->GetCount());
    EXPECT_GT(small->GetCount(), 0);
    EXPECT_EQ(small->GetIconIndex(u""), -1);
    EXPECT_NE(small->GetIconIndex(u"whatever.txt"), -1);
    HIMAGELIST shared = small->GetHandle();
    FlushImageLists();
    EXPECT_EQ(small->GetHandle(), shared);
    // Freeing the wrappers leaves the shell's list whole.
    FinalizeIDEVirtualSystemImageLists();
    EXPECT_GT(ImageList_GetImageCount(shared), 0);
}

} // namespace
