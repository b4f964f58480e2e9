// The shell tree view over a real temporary folder tree: the root filled and
// expanded, paths selected and passed to linked controls without echo, a root
// that cannot be resolved, renaming in place, a refresh that keeps what was
// open, and a change on disk followed.
#include "ShellCtrlsTestSupport.h"

#include "benchkit/controls/IDEShellTreeView.h"

#include <quorlpak/Forms.h>
#include <win32/commctrl.h>
#include <win32/fileapi.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A linked partner that records what the tree tells it and, like the real
// partners, ignores what arrives while it is itself moving the tree.
class FakePartner : public TComponent, public IShellControlLink {
public:
    explicit FakePartner(TShellLinkRole Role) : TComponent(nullptr), role(Role) {}
    TComponent* LinkComponent() override { return this; }
    TShellLinkRole LinkRole() const override { return role; }
    void LinkSetRoot(const UnicodeString& Root) override { roots.push_back(Root); }
    void LinkFollow(PItemIDList AbsoluteID) override {
        if (updating) {
            ++echoes;
            return;
        }
        followed.push_back(GetDisplayName(DesktopShellFolder().Get(), AbsoluteID, SHGDN_FORPARSING));
    }
    void LinkBack(TShellLinkRole, IShellControlLink* Partner) override { back = Partner; }
    // The partner moves the tree, as a combo box choice would.
    void Lead(IShellControlLink* tree, PItemIDList id) {
        updating = true;
        tree->LinkFollow(id);
        updating = false;
    }

    TShellLinkRole role;
    std::vector<UnicodeString> roots;
    std::vector<UnicodeString> followed;
    IShellControlLink* back = nullptr;
    bool updating = false;
    int echoes = 0;
};

class ShellTreeViewTest : public ShellCtrlsTest {
protected:
    void SetUp() override {
        ShellCtrlsTest::SetUp();
        temp_.MakeDir("alpha/inner");
        temp_.MakeDir("alpha/other");
        temp_.MakeDir("beta");
        temp_.Write("note.txt", "text");
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(300);
        form->Show();
        tree = new TIDEShellTreeView(form);
        tree->SetBounds(0, 0, 280, 280);
        tree->SetRoot(temp_.Windows());
        tree->SetParent(form);
        Application->ProcessMessages();
    }
    void TearDown() override {
        delete form;
        Application->ProcessMessages();
        ShellCtrlsTest::TearDown();
    }
    static std::vector<UnicodeString> Children(TTreeNode* node) {
        std::vector<UnicodeString> out;
        for (TTreeNode* c = node ? node->getFirstChild() : nullptr; c; c = c->getNextSibling())
            out.push_back(c->GetText());
        return out;
    }
    TTreeNode* Find(TTreeNode* under, const UnicodeString& text) {
        for (TTreeNode* c = under->getFirstChild(); c; c = c->getNextSibling())
            if (c->GetText() == text) return c;
        return nullptr;
    }
    TTreeNode* Top() { return tree->GetItems()->GetFirstNode(); }

    TForm* form = nullptr;
    TIDEShellTreeView* tree = nullptr;
};

TEST_F(ShellTreeViewTest, RootIsFilledOnDemandAndPathsSelectTheirNodes) {
    TTreeNode* top = Top();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->getNextSibling(), nullptr);
    EXPECT_TRUE(top->GetExpanded());
    EXPECT_TRUE(top->GetSelected());
    EXPECT_EQ(tree->GetPath(), temp_.Windows());
    // Folders only, in the shell's order; deeper levels wait for their expansion.
    EXPECT_EQ(Children(top), (std::vector<UnicodeString>{u"alpha", u"beta"}));
    TTreeNode* alpha = Find(top, u"alpha");
    EXPECT_TRUE(alpha->GetHasChildren());
    EXPECT_EQ(alpha->GetCount(), 0);
    // The window shows the same nodes, with the shell's images.
    EXPECT_EQ(SendMessageW(tree->GetHandle(), TVM_GETCOUNT, 0, 0), 3);
    EXPECT_NE(SendMessageW(tree->GetHandle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0);

    tree->SetPath(temp_.Windows(u"alpha\\other"));
    TTreeNode* other = tree->GetSelected();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetText(), u"other");
    EXPECT_TRUE(alpha->GetExpanded());
    EXPECT_EQ(Children(alpha), (std::vector<UnicodeString>{u"inner", u"other"}));
    EXPECT_EQ(tree->GetPath(), temp_.Windows(u"alpha\\other"));
    EXPECT_EQ(tree->SelectedFolder()->PathName(), temp_.Windows(u"alpha\\other"));

    EXPECT_THROW(tree->SetPath(temp_.Windows(u"missing\\nowhere")), EInvalidPath);
    EXPECT_EQ(tree->GetSelected(), other);

    // Files show when asked for.
    TShellObjectTypes types{otFolders, otNonFolders};
    tree->SetObjectTypes(types);
    EXPECT_EQ(Children(Top()), (std::vector<UnicodeString>{u"alpha", u"beta", u"note.txt"}));
    EXPECT_FALSE(Find(Top(), u"note.txt")->GetHasChildren());
    // OnAddFolder may leave items out.
    tree->OnAddFolder = [](TObject*, PItemIDList AFolder, IShellFolder* Parent, bool& CanAdd) {
        CanAdd = GetDisplayName(Parent, AFolder, SHGDN_INFOLDER) != u"beta";
    };
    tree->SetObjectTypes(TShellObjectTypes{otFolders});
    EXPECT_EQ(Children(Top()), (std::vector<UnicodeString>{u"alpha"}));
}

TEST_F(ShellTreeViewTest, ARootThatCannotBeResolvedChangesNothing) {
    std::vector<UnicodeString> before = Children(Top());
    int changed = 0;
    tree->OnRootChanged = [&](TObject*) { ++changed; };
    EXPECT_ANY_THROW(tree->SetRoot(temp_.Windows(u"no such folder")));
    EXPECT_EQ(tree->GetRoot(), temp_.Windows());
    EXPECT_EQ(Children(Top()), before);
    EXPECT_EQ(changed, 0);
    tree->SetRoot(temp_.Windows(u"alpha"));
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Children(Top()), (std::vector<UnicodeString>{u"inner", u"other"}));
    // A special folder by name: the desktop itself, expanded and selected.
    tree->SetRoot(u"rfDesktop");
    EXPECT_EQ(changed, 2);
    ASSERT_NE(Top(), nullptr);
    PItemIDList desktop = GetDesktopPidl();
    EXPECT_EQ(Top()->GetText(), GetDisplayName(DesktopShellFolder().Get(), desktop, SHGDN_NORMAL));
    DisposePIDL(desktop);
    EXPECT_TRUE(Top()->GetSelected());
    EXPECT_EQ(tree->SelectedFolder()->GetAbsoluteID()->mkid.cb, 0);
}

TEST_F(ShellTreeViewTest, LinkedControlsFollowTheTreeWithoutEcho) {
    FakePartner combo(slComboBox), list(slListView);
    tree->SetShellComboBox(&combo);
    tree->SetShellListView(&list);
    EXPECT_EQ(combo.roots, std::vector<UnicodeString>{temp_.Windows()});
    EXPECT_EQ(combo.back, static_cast<IShellControlLink*>(tree));
    EXPECT_EQ(list.back, static_cast<IShellControlLink*>(tree));

    // A selection by the user moves both partners to the folder.
    TTreeNode* beta = Find(Top(), u"beta");
    const TRect r = beta->DisplayRect(true);
    TestSeams::Click(TestSeams::ClientPoint(tree->GetHandle(), r.left + 3, r.top + 3));
    Application->ProcessMessages();
    EXPECT_EQ(tree->GetSelected(), beta);
    EXPECT_EQ(combo.followed, std::vector<UnicodeString>{temp_.Windows(u"beta")});
    EXPECT_EQ(list.followed, std::vector<UnicodeString>{temp_.Windows(u"beta")});

    // The combo box leads: the tree follows and tells the others, the leader
    // ignores what comes back while it leads.
    PItemIDList inner = Parse(temp_.Windows(u"alpha\\inner"));
    combo.Lead(tree, inner);
    EXPECT_EQ(tree->GetSelected()->GetText(), u"inner");
    EXPECT_EQ(combo.followed.size(), 1u);
    EXPECT_EQ(combo.echoes, 1);
    EXPECT_EQ(list.followed.back(), temp_.Windows(u"alpha\\inner"));

    // A folder outside the root selects nothing and passes nothing on.
    const size_t told = list.followed.size();
    PItemIDList outside = Parse(UnicodeString(temp_.Windows()) + u"\\..");
    tree->SetPathFromID(outside);
    EXPECT_EQ(list.followed.size(), told);
    EXPECT_EQ(tree->GetSelected(), nullptr);
    DisposePIDL(inner);
    DisposePIDL(outside);

    // A root set in the tree reaches the partners; unlinking clears their back link.
    tree->SetRoot(temp_.Windows(u"alpha"));
    EXPECT_EQ(list.roots.back(), temp_.Windows(u"alpha"));
    tree->SetShellComboBox(nullptr);
    EXPECT_EQ(combo.back, nullptr);
    tree->SetShellListView(nullptr);
}

TEST_F(ShellTreeViewTest, RenamingInPlaceRenamesTheFolderOnDisk) {
    TTreeNode* beta = Find(Top(), u"beta");
    beta->SetSelected(true);
    UnicodeString edited;
    tree->OnEdited = [&](TObject*, TTreeNode*, UnicodeString& S) {
        edited = S;
        S = S + u"2";
    };
    bool handled = false;
    tree->ExecuteCommand(u"Rename", handled);
    EXPECT_TRUE(handled);
    ASSERT_TRUE(tree->IsEditing());
    TestSeams::TypeText(u"gamma");
    TestSeams::KeyPress(VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(edited, u"gamma");
    EXPECT_EQ(beta->GetText(), u"gamma2");
    EXPECT_TRUE(std::filesystem::is_directory(temp_.Linux("gamma2")));
    EXPECT_FALSE(std::filesystem::exists(temp_.Linux("beta")));
}

TEST_F(ShellTreeViewTest, RefreshKeepsWhatWasOpenAndSelected) {
    tree->SetPath(temp_.Windows(u"alpha\\inner"));
    temp_.MakeDir("alpha/added");
    temp_.MakeDir("delta");
    tree->Refresh(Top());
    TTreeNode* top = Top();
    EXPECT_EQ(top->getNextSibling(), nullptr);
    EXPECT_EQ(Children(top), (std::vector<UnicodeString>{u"alpha", u"beta", u"delta"}));
    TTreeNode* alpha = Find(top, u"alpha");
    EXPECT_TRUE(top->GetExpanded());
    EXPECT_TRUE(alpha->GetExpanded());
    EXPECT_EQ(Children(alpha), (std::vector<UnicodeString>{u"added", u"inner", u"other"}));
    ASSERT_NE(tree->GetSelected(), nullptr);
    EXPECT_EQ(tree->GetSelected()->GetText(), u"inner");
}

TEST_F(ShellTreeViewTest, ChangesOnDiskAreFollowed) {
    tree->SetPath(temp_.Windows(u"beta"));
    tree->SetAutoRefresh(true);
    // The watch starts on the notifier's thread: a folder made before it is
    // in place goes unseen, so folders are made until one shows.
    bool seen = false;
    for (int i = 0; i < 20 && !seen; ++i) {
        temp_.MakeDir("beta/fresh" + std::to_string(i));
        seen = PumpUntil(
            [&] {
                Application->ProcessMessages();
                TTreeNode* beta = Find(Top(), u"beta");
                return beta && beta->GetCount() > 0;
            },
            250);
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(tree->GetSelected()->GetText(), u"beta");
    tree->SetAutoRefresh(false);
}

TEST_F(ShellTreeViewTest, AnOpenPutsTheWorkingDirectoryBackHoweverItEnds) {
    char16_t before[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, before);
    for (bool succeeded : {true, false}) {
        tree->SetPath(temp_.Windows(u"alpha\\inner"));
        bool handled = false;
        tree->ExecuteCommand(u"open", handled);
        EXPECT_FALSE(handled);
        char16_t during[MAX_PATH + 1] = {};
        GetCurrentDirectoryW(MAX_PATH + 1, during);
        EXPECT_EQ(UnicodeString(during), temp_.Windows(u"alpha")) << succeeded;
        tree->CommandCompleted(u"OPEN", succeeded);
        char16_t after[MAX_PATH + 1] = {};
        GetCurrentDirectoryW(MAX_PATH + 1, after);
        EXPECT_EQ(UnicodeString(after), UnicodeString(before)) << succeeded;
    }
}

} // namespace
