// The shell combo box over the desktop and a real temporary folder tree:
// its indented chain, paths, roots, and the controls linked to it.
#include "ControlsTestSupport.h"
#include "ShellCtrlsTestSupport.h"

#include "benchkit/controls/IDEShellComboBox.h"
#include "benchkit/controls/IDEShellListView.h"
#include "benchkit/controls/IDEShellTreeView.h"

#include <quorlpak/Forms.h>
#include <win32/comboboxex.h>
#include <win32/shellapi.h>

#include <vector>

namespace {

// A linked control that records what the combo box tells it.
class FakeLinked : public TComponent, public IShellControlLink {
public:
    explicit FakeLinked(TShellLinkRole role) : TComponent(nullptr), role_(role) {}
    TComponent* LinkComponent() override { return this; }
    TShellLinkRole LinkRole() const override { return role_; }
    void LinkSetRoot(const UnicodeString& Root) override { roots.push_back(Root); }
    void LinkFollow(PItemIDList AbsoluteID) override {
        WCHAR path[MAX_PATH] = {};
        SHGetPathFromIDListW(AbsoluteID, path);
        follows.push_back(path);
    }
    void LinkBack(TShellLinkRole Role, IShellControlLink* Partner) override {
        backs.push_back(Partner);
    }
    std::vector<UnicodeString> roots, follows;
    std::vector<IShellControlLink*> backs;

private:
    TShellLinkRole role_;
};

class ShellComboBoxTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        TestSeams::TrackTaskAllocations(true);
        InitializeIDEShellCtrls();
        temp_.MakeDir("a/b/c");
        temp_.MakeDir("a/zeta");
        temp_.MakeDir("a/alpha");
        temp_.Write("a/file.txt", "x");
    }
    void TearDown() override {
        delete Combo;
        FinalizeIDEShellCtrls();
        EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u) << "task allocator blocks leaked";
        TestSeams::TrackTaskAllocations(false);
        ControlsTest::TearDown();
    }
    TIDEShellComboBox* MakeCombo(const UnicodeString& root = u"") {
        Combo = new TIDEShellComboBox(nullptr);
        if (!root.empty()) Combo->SetRoot(root);
        Place(Combo, 300, 200);
        return Combo;
    }
    struct Row {
        UnicodeString caption;
        int indent;
    };
    std::vector<Row> Rows() {
        std::vector<Row> rows;
        TComboExItems* items = Combo->GetItemsEx();
        for (int i = 0; i < items->GetCount(); ++i)
            rows.push_back({items->GetComboItem(i)->GetCaption(),
                            items->GetComboItem(i)->GetIndent()});
        return rows;
    }
    int Find(const UnicodeString& caption) {
        TComboExItems* items = Combo->GetItemsEx();
        for (int i = 0; i < items->GetCount(); ++i)
            if (items->GetComboItem(i)->GetCaption() == caption) return i;
        return -1;
    }

    ShellTempFolder temp_;
    TIDEShellComboBox* Combo = nullptr;
};

} // namespace

TEST_F(ShellComboBoxTest, TheDesktopListsItsChildrenAndTheDrivesBelowTheComputer) {
    MakeCombo();
    std::vector<Row> rows = Rows();
    ASSERT_GT(rows.size(), 3u);
    EXPECT_EQ(rows[0].indent, 0);
    EXPECT_EQ(Combo->GetItemIndex(), 0);
    EXPECT_EQ(Combo->GetText(), rows[0].caption);

    PItemIDList computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    int at = Combo->IndexFromID(computer);
    DisposePIDL(computer);
    ASSERT_GT(at, 0);
    EXPECT_EQ(rows[at].indent, 1);
    // The drives follow the computer, one step further in.
    ASSERT_LT(at + 1, static_cast<int>(rows.size()));
    EXPECT_EQ(rows[at + 1].indent, 2);
    EXPECT_EQ(Combo->GetFolder(at + 1)->GetParent(), Combo->GetFolder(at));
    // Everything else sits right below the desktop.
    for (size_t i = 1; i < rows.size(); ++i)
        if (static_cast<int>(i) <= at || rows[i].indent != 2) EXPECT_EQ(rows[i].indent, 1) << i;
    // Each item shows the shell's icon for its folder.
    int image = Combo->GetItemsEx()->GetComboItem(at)->GetImageIndex();
    EXPECT_GE(image, 0);
    SHFILEINFOW info{};
    EXPECT_EQ(static_cast<DWORD_PTR>(SendMessageW(Combo->GetHandle(), CBEM_GETIMAGELIST, 0, 0)),
              SHGetFileInfoW(u"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

TEST_F(ShellComboBoxTest, ADeepPathShowsItsWholeChain) {
    MakeCombo();
    UnicodeString deep = temp_.Windows(u"a\\b\\c");
    Combo->SetPath(deep);
    EXPECT_EQ(Combo->GetPath(), deep);
    int selected = Combo->GetItemIndex();
    ASSERT_GE(selected, 0);
    EXPECT_EQ(Combo->GetItemsEx()->GetComboItem(selected)->GetCaption(), u"c");

    // Walking up from the folder: each item one step less indented, down to
    // the drive; the names are the path's parts.
    std::vector<UnicodeString> parts;
    int indent = Combo->GetItemsEx()->GetComboItem(selected)->GetIndent();
    for (int i = selected; i >= 0 && indent > 2; --i) {
        TComboExItem* item = Combo->GetItemsEx()->GetComboItem(i);
        if (item->GetIndent() != indent) continue;
        parts.insert(parts.begin(), item->GetCaption());
        --indent;
    }
    UnicodeString joined;
    for (const UnicodeString& part : parts) joined += u"\\" + part;
    EXPECT_EQ(u"C:" + joined, deep);

    // Back to the desktop's own child: the chain goes again.
    size_t before = Rows().size();
    Combo->SetItemIndex(0);
    PItemIDList desktop = GetDesktopPidl();
    Combo->TreeUpdate(desktop); // already there: nothing rebuilt
    DisposePIDL(desktop);
    EXPECT_EQ(Rows().size(), before);
}

TEST_F(ShellComboBoxTest, AFolderRootListsItsSortedChildren) {
    MakeCombo(temp_.Windows(u"a"));
    std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 4u); // files are not listed
    EXPECT_EQ(rows[0].caption, u"a");
    EXPECT_EQ(rows[1].caption, u"alpha");
    EXPECT_EQ(rows[2].caption, u"b");
    EXPECT_EQ(rows[3].caption, u"zeta");
    EXPECT_EQ(rows[1].indent, 1);

    // Files too, when asked.
    Combo->SetObjectTypes({otFolders, otNonFolders});
    EXPECT_NE(Find(u"file.txt"), -1);

    // A folder below the root: the chain below it.
    Combo->SetPath(temp_.Windows(u"a\\b\\c"));
    EXPECT_EQ(Combo->GetItemsEx()->GetComboItem(Combo->GetItemIndex())->GetIndent(), 2);
}

TEST_F(ShellComboBoxTest, BadPathsAndRootsChangeNothing) {
    MakeCombo(temp_.Windows(u"a"));
    std::vector<Row> before = Rows();
    EXPECT_THROW(Combo->SetPath(temp_.Windows(u"missing\\deeper")), EInvalidPath);
    EXPECT_EQ(Rows().size(), before.size());
    EXPECT_THROW(Combo->SetRoot(u"no such root"), Exception);
    EXPECT_EQ(Combo->GetRoot(), temp_.Windows(u"a"));
    EXPECT_EQ(Rows().size(), before.size());
    EXPECT_EQ(Rows()[0].caption, u"a");

    // Past the end is the last item; an empty list has none.
    EXPECT_EQ(Combo->GetFolder(1000), Combo->GetFolder(static_cast<int>(before.size()) - 1));
    TIDEShellComboBox empty(nullptr);
    EXPECT_EQ(empty.GetFolder(0), nullptr);
    EXPECT_EQ(empty.GetPath(), u"");
}

TEST_F(ShellComboBoxTest, LinkedControlsFollowWithoutEcho) {
    MakeCombo(temp_.Windows(u"a"));
    auto* tree = new FakeLinked(slTreeView);
    FakeLinked list(slListView);
    Combo->SetShellTreeView(tree);
    Combo->SetShellListView(&list);
    EXPECT_EQ(tree->roots, std::vector<UnicodeString>{temp_.Windows(u"a")});
    ASSERT_EQ(tree->backs.size(), 1u);
    EXPECT_EQ(tree->backs[0], static_cast<IShellControlLink*>(Combo));

    // The user chooses the next folder: both partners go there.
    Combo->SetFocus();
    Pump();
    TestSeams::KeyPress(VK_DOWN);
    Pump();
    ASSERT_EQ(tree->follows.size(), 1u);
    EXPECT_EQ(tree->follows[0], temp_.Windows(u"a\\alpha"));
    EXPECT_EQ(list.follows, tree->follows);

    // A partner moving the combo box hears nothing back.
    PItemIDList zeta = ShellCtrlsTest::Parse(temp_.Windows(u"a\\zeta"));
    Combo->LinkFollow(zeta);
    DisposePIDL(zeta);
    EXPECT_EQ(Combo->GetPath(), temp_.Windows(u"a\\zeta"));
    EXPECT_EQ(tree->follows.size(), 1u);

    // With the list open, moving through it moves nobody; Enter chooses.
    Combo->SetDroppedDown(true);
    Pump();
    TestSeams::KeyPress(VK_UP);
    Pump();
    EXPECT_EQ(tree->follows.size(), 1u);
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_FALSE(Combo->GetDroppedDown());
    ASSERT_EQ(tree->follows.size(), 2u);
    EXPECT_EQ(tree->follows[1], Combo->GetPath());

    // A partner that goes away leaves no link behind.
    delete tree;
    EXPECT_EQ(Combo->GetShellTreeView(), nullptr);
    Combo->SetShellListView(nullptr);
    EXPECT_EQ(list.backs.back(), nullptr);
}

// The real tree and list view linked with the combo box: a folder chosen in
// any of them shows in the other two.
TEST_F(ShellComboBoxTest, TheThreeShellControlsFollowEachOther) {
    MakeCombo();
    auto* tree = new TIDEShellTreeView(Form);
    tree->SetBounds(0, 40, 150, 200);
    tree->SetParent(Form);
    auto* list = new TIDEShellListView(Form);
    list->SetBounds(160, 40, 200, 200);
    list->SetParent(Form);
    tree->SetRoot(temp_.Windows(u"a"));
    tree->SetShellComboBox(Combo);
    tree->SetShellListView(list);
    Combo->SetShellListView(list);
    Pump();
    EXPECT_EQ(Combo->GetRoot(), temp_.Windows(u"a"));
    EXPECT_EQ(list->GetRoot(), temp_.Windows(u"a"));

    tree->SetPath(temp_.Windows(u"a\\b"));
    Pump();
    EXPECT_EQ(Combo->GetPath(), temp_.Windows(u"a\\b"));
    ASSERT_NE(list->GetRootFolder(), nullptr);
    EXPECT_EQ(list->GetRootFolder()->PathName(), temp_.Windows(u"a\\b"));

    // The next folder chosen in the combo box.
    Combo->SetFocus();
    Pump();
    TestSeams::KeyPress(VK_DOWN);
    Pump();
    UnicodeString chosen = Combo->GetPath();
    EXPECT_NE(chosen, temp_.Windows(u"a\\b"));
    EXPECT_EQ(tree->GetPath(), chosen);
    EXPECT_EQ(list->GetRootFolder()->PathName(), chosen);
    delete tree;
    delete list;
}
