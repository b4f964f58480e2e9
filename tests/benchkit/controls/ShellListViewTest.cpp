// The shell list view over a real temporary folder: the listing (folders
// first, or the shell's order unsorted), report columns, navigation into
// folders and back, refresh, typed-prefix finds, in-place rename, the "open"
// command's working directory, and linked partners followed without echo.
#include "ShellCtrlsTestSupport.h"

#include "benchkit/controls/IDEShellListView.h"

#include <quorlpak/Forms.h>
#include <runpak/StringList.h>
#include <win32/commctrl.h>
#include <win32/fileapi.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace ComCtrls;

namespace {

// A partner that records what the list tells it, and may call back into the
// list while it is told (as a real tree or combo box would).
class FakeLink : public TComponent, public IShellControlLink {
public:
    using TComponent::TComponent;
    TComponent* LinkComponent() override { return this; }
    TShellLinkRole LinkRole() const override { return slTreeView; }
    void LinkSetRoot(const UnicodeString& Root) override { calls.push_back(u"root " + Root); }
    void LinkFollow(PItemIDList AbsoluteID) override {
        calls.push_back(u"follow");
        if (echo) echo->LinkFollow(AbsoluteID);
    }
    void LinkBack(TShellLinkRole Role, IShellControlLink* Partner) override {
        calls.push_back(Partner ? u"back" : u"unlinked");
    }
    std::vector<UnicodeString> calls;
    IShellControlLink* echo = nullptr;
};

class ShellListViewTest : public ShellCtrlsTest {
protected:
    void SetUp() override {
        ShellCtrlsTest::SetUp();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(500);
        form->SetClientHeight(300);
        form->Show();
        temp_.MakeDir("folder b");
        temp_.MakeDir("Folder a");
        temp_.Write("zeta.txt", "z");
        temp_.Write("alpha.txt", "aaaa");
        temp_.Write("beta.txt", "bb");
    }
    void TearDown() override {
        delete form;
        ShellCtrlsTest::TearDown();
    }
    TIDEShellListView* MakeList(TViewStyle style = vsReport) {
        auto* list = new TIDEShellListView(form);
        list->SetViewStyle(style);
        list->SetBounds(0, 0, 480, 280);
        list->SetParent(form);
        list->SetRoot(temp_.Windows());
        Pump();
        return list;
    }
    static void Pump() { Application->ProcessMessages(); }
    static std::vector<UnicodeString> Names(TCustomShellListView* list) {
        std::vector<UnicodeString> out;
        for (int i = 0; i < list->FolderCount(); ++i)
            out.push_back(list->GetFolder(i)->DisplayName());
        return out;
    }
    static int Find(TCustomShellListView* list, int start, const char16_t* text, bool wrap) {
        LVFINDINFOW info{};
        info.flags = LVFI_STRING | LVFI_PARTIAL | (wrap ? LVFI_WRAP : 0);
        info.psz = text;
        return static_cast<int>(SendMessageW(list->GetHandle(), LVM_FINDITEMW,
                                             static_cast<WPARAM>(start),
                                             reinterpret_cast<LPARAM>(&info)));
    }
    static UnicodeString CurrentDirectory() {
        char16_t buffer[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, buffer);
        return buffer;
    }

    TForm* form = nullptr;
};

TEST_F(ShellListViewTest, FoldersComeFirstAndTheWindowAsksForWhatItShows) {
    TIDEShellListView* list = MakeList();
    const std::vector<UnicodeString> names = Names(list);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_TRUE(list->GetFolder(0)->IsFolder());
    EXPECT_TRUE(list->GetFolder(1)->IsFolder());
    for (int i = 2; i < 5; ++i)
        EXPECT_FALSE(list->GetFolder(i)->IsFolder()) << i;
    EXPECT_EQ(list->GetItems()->GetCount(), 5);
    EXPECT_EQ(SendMessageW(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 5);
    // The window's texts come from the folder objects, with the columns' details.
    TListItem* item = list->GetItems()->GetItem(2);
    EXPECT_EQ(item->GetCaption(), names[2]);
    ASSERT_GE(list->GetColumns()->GetCount(), 2);
    EXPECT_EQ(item->GetSubItems()->GetCount(), list->GetColumns()->GetCount() - 1);
    // Unsorted, the items keep the shell's enumeration order.
    std::vector<UnicodeString> enumerated;
    {
        InterfacePtr<IEnumIDList> e;
        list->GetRootFolder()->GetShellFolder()->EnumObjects(
            nullptr, ObjectTypesToFlags({otFolders, otNonFolders}), e.Out());
        PITEMID_CHILD id = nullptr;
        ULONG n = 0;
        while (e->Next(1, &id, &n) == S_OK) {
            enumerated.push_back(
                GetDisplayName(list->GetRootFolder()->GetShellFolder(), id, SHGDN_INFOLDER));
            DisposePIDL(id);
        }
    }
    list->SetSorted(false);
    EXPECT_EQ(Names(list), enumerated);
    // Only folders, when asked.
    list->SetObjectTypes({otFolders});
    EXPECT_EQ(list->FolderCount(), 2);
}

TEST_F(ShellListViewTest, NavigationGoesIntoFoldersAndBack) {
    temp_.Write("Folder a/inner.txt", "x");
    TIDEShellListView* list = MakeList();
    int changes = 0;
    list->OnRootChanged = [&](TObject*) { ++changes; };
    const UnicodeString rootPath = list->GetRootFolder()->PathName();
    int a = -1;
    for (int i = 0; i < list->FolderCount(); ++i)
        if (list->GetFolder(i)->DisplayName() == u"Folder a") a = i;
    ASSERT_GE(a, 0);
    list->SetItemIndex(a);
    list->SetFocus();
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_EQ(Names(list), std::vector<UnicodeString>{u"inner.txt"});
    EXPECT_EQ(changes, 1);
    TestSeams::KeyPress(VK_BACK);
    Pump();
    EXPECT_EQ(list->GetRootFolder()->PathName(), rootPath);
    EXPECT_EQ(list->FolderCount(), 5);
    // At the desktop, back stays at the desktop.
    list->SetRoot(u"rfDesktop");
    const int desktopItems = list->FolderCount();
    list->Back();
    EXPECT_EQ(GetPIDLSize(list->GetRootFolder()->GetAbsoluteID()), 2);
    EXPECT_EQ(list->FolderCount(), desktopItems);
    // An unusable root raises and leaves the root as it was.
    EXPECT_THROW(list->SetRoot(u"no such root at all"), Exception);
    EXPECT_EQ(list->GetRoot(), u"rfDesktop");
    EXPECT_EQ(list->FolderCount(), desktopItems);
}

TEST_F(ShellListViewTest, RefreshReadsTheFolderAgainAndKeepsTheSelectedPosition) {
    TIDEShellListView* list = MakeList();
    list->SetItemIndex(4);
    temp_.Write("omega.txt", "o");
    list->Refresh();
    EXPECT_EQ(list->FolderCount(), 6);
    EXPECT_EQ(list->GetItemIndex(), 4);
    // A position past the new end stays unselected.
    list->SetItemIndex(5);
    std::filesystem::remove(temp_.Linux("omega.txt"));
    std::filesystem::remove(temp_.Linux("zeta.txt"));
    list->Refresh();
    EXPECT_EQ(list->FolderCount(), 4);
    EXPECT_EQ(list->GetItemIndex(), -1);
}

// Typed text is found from the start position, round once when asked, and
// the last item counts like any other.
TEST_F(ShellListViewTest, TypedPrefixFindsFromTheStartWrappingOnce) {
    TIDEShellListView* list = MakeList();
    const std::vector<UnicodeString> names = Names(list);
    auto at = [&](const UnicodeString& name) {
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    const int last = list->FolderCount() - 1;
    const int zeta = at(u"zeta.txt");
    ASSERT_EQ(zeta, last);
    struct Case {
        int start; // the item the window searches after
        const char16_t* text;
        bool wrap;
        int expected;
    } cases[] = {
        {-1, u"ZE", false, zeta},                 // the last item is compared
        {-1, u"folder", false, 0},                // upper and lower case alike
        {0, u"folder", false, 1},                 // from after the start
        {1, u"folder", false, -1},                // no wrap: nothing after
        {1, u"folder", true, 0},                  // wrapped once
        {last, u"alpha", true, at(u"alpha.txt")}, // from past the end, round to the top
        {-1, u"nothing", true, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(list, c.start, c.text, c.wrap), c.expected) << c.start << " " << c.wrap;
}

TEST_F(ShellListViewTest, EditingRenamesTheFileOnDisk) {
    TIDEShellListView* list = MakeList();
    int beta = -1;
    for (int i = 0; i < list->FolderCount(); ++i)
        if (list->GetFolder(i)->DisplayName() == u"beta.txt") beta = i;
    ASSERT_GE(beta, 0);
    list->SetItemIndex(beta);
    list->SetFocus();
    bool handled = false;
    list->ExecuteCommand(u"RENAME", handled); // verbs in any case
    EXPECT_TRUE(handled);
    ASSERT_TRUE(list->IsEditing());
    // Backspace edits the text; the list stays in its folder.
    const UnicodeString shown = list->GetRootFolder()->PathName();
    TestSeams::TypeText(u"gamma.txtx");
    Pump();
    TestSeams::KeyPress(VK_BACK);
    Pump();
    EXPECT_EQ(list->GetRootFolder()->PathName(), shown);
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_FALSE(list->IsEditing());
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("gamma.txt")));
    EXPECT_FALSE(std::filesystem::exists(temp_.Linux("beta.txt")));
    EXPECT_EQ(list->GetFolder(beta)->DisplayName(), u"gamma.txt");
}

TEST_F(ShellListViewTest, OpenRestoresTheWorkingDirectoryWhetherOrNotItWorked) {
    temp_.Write("Folder a/inner.txt", "x");
    TIDEShellListView* list = MakeList();
    list->SetRoot(temp_.Windows(u"Folder a"));
    list->SetItemIndex(0);
    const UnicodeString before = CurrentDirectory();
    for (bool succeeded : {false, true}) {
        bool handled = false;
        list->ExecuteCommand(u"open", handled);
        EXPECT_FALSE(handled); // the shell runs it
        EXPECT_EQ(CurrentDirectory(), temp_.Windows(u"Folder a"));
        list->CommandCompleted(u"open", succeeded);
        EXPECT_EQ(CurrentDirectory(), before) << succeeded;
    }
}

TEST_F(ShellListViewTest, LinkedPartnersFollowWithoutEcho) {
    TIDEShellListView* list = MakeList();
    auto* partner = new FakeLink(form);
    list->SetShellTreeView(partner);
    EXPECT_EQ(partner->calls, (std::vector<UnicodeString>{u"root " + temp_.Windows(), u"back"}));
    // Navigation moves the partner, whose answer back is ignored.
    partner->calls.clear();
    partner->echo = list;
    PItemIDList folder = Parse(temp_.Windows(u"folder b"));
    list->SetPathFromID(folder);
    EXPECT_EQ(partner->calls, std::vector<UnicodeString>{u"follow"});
    EXPECT_TRUE(SamePIDL(list->GetRootFolder()->GetAbsoluteID(), folder));
    // The partner moving the list shows the folder without telling it back.
    partner->calls.clear();
    PItemIDList parent = Parse(temp_.Windows());
    list->LinkFollow(parent);
    EXPECT_TRUE(SamePIDL(list->GetRootFolder()->GetAbsoluteID(), parent));
    EXPECT_EQ(partner->calls, std::vector<UnicodeString>{u"follow"});
    DisposePIDL(folder);
    DisposePIDL(parent);
    // A partner that goes away is forgotten.
    delete partner;
    EXPECT_EQ(list->GetShellTreeView(), nullptr);
    list->Back();
}

} // namespace
