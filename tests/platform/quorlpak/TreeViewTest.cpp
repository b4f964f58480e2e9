// TTreeView: nodes as a model that a new window is filled from, the events
// of expansion, selection and editing (once each, whether the user or code
// acts), sorting that keeps the window in the nodes' order, and images asked
// for as they are drawn.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ComCtrls.h>
#include <win32/TestSeams.h>
#include <win32/commctrl.h>

#include <string>
#include <vector>

namespace {

class TreeViewTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        Form = ShownForm(300, 250);
        Tree = new TTreeView(Form);
        Tree->SetBounds(0, 0, 250, 200);
        Tree->SetParent(Form);
        Pump();
    }
    // The texts of the window's items under `parent`, in the window's order.
    std::vector<UnicodeString> WindowChildren(HTREEITEM parent) {
        std::vector<UnicodeString> out;
        HWND hwnd = Tree->GetHandle();
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(
            hwnd, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
        while (item) {
            char16_t buffer[64] = {};
            TVITEMW tv{};
            tv.mask = TVIF_TEXT;
            tv.hItem = item;
            tv.pszText = buffer;
            tv.cchTextMax = 64;
            SendMessageW(hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
            out.push_back(buffer);
            item = reinterpret_cast<HTREEITEM>(
                SendMessageW(hwnd, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
        }
        return out;
    }
    static std::vector<UnicodeString> Texts(TTreeNode* first) {
        std::vector<UnicodeString> out;
        for (TTreeNode* n = first; n; n = n->getNextSibling())
            out.push_back(n->GetText());
        return out;
    }

    TForm* Form = nullptr;
    TTreeView* Tree = nullptr;
};

TEST_F(TreeViewTest, NodesKeepTheirPlacesAndSurviveANewWindow) {
    TTreeNodes* items = Tree->GetItems();
    TTreeNode* b = items->Add(nullptr, u"B");
    TTreeNode* a = items->AddFirst(b, u"A");
    TTreeNode* d = items->Add(b, u"D");
    TTreeNode* c = items->Insert(d, u"C");
    TTreeNode* b2 = items->AddChild(b, u"B2");
    TTreeNode* b1 = items->AddChildFirst(b, u"B1");
    TTreeNode* b1x = items->AddChildObject(b1, u"B1x", this);
    EXPECT_EQ(Texts(items->GetFirstNode()), (std::vector<UnicodeString>{u"A", u"B", u"C", u"D"}));
    EXPECT_EQ(WindowChildren(TVI_ROOT), (std::vector<UnicodeString>{u"A", u"B", u"C", u"D"}));
    EXPECT_EQ(WindowChildren(b->GetItemId()), (std::vector<UnicodeString>{u"B1", u"B2"}));
    EXPECT_EQ(items->GetCount(), 7);
    EXPECT_EQ(b1x->GetAbsoluteIndex(), 3);
    EXPECT_EQ(items->GetItem(3), b1x);
    EXPECT_EQ(b1x->GetLevel(), 2);
    EXPECT_EQ(b1x->GetParent(), b1);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b1x->GetNext(), b2);
    EXPECT_EQ(c->GetPrev(), b2);
    EXPECT_EQ(b1x->GetData(), this);
    EXPECT_TRUE(b1x->HasAsParent(b));
    EXPECT_EQ(items->GetNode(b2->GetItemId()), b2);

    b->Expand(false);
    b1->SetSelected(true);
    EXPECT_FALSE(b1->GetExpanded());
    EXPECT_FALSE(b1x->IsVisible());
    EXPECT_EQ(a->GetNextVisible(), b);
    EXPECT_EQ(b->GetNextVisible(), b1);
    b2->SetText(u"B2'");

    Tree->SetShowLines(false); // a new window
    ASSERT_TRUE(Tree->HandleAllocated());
    EXPECT_EQ(WindowChildren(b->GetItemId()), (std::vector<UnicodeString>{u"B1", u"B2'"}));
    EXPECT_TRUE(b->GetExpanded());
    EXPECT_EQ(Tree->GetSelected(), b1);

    // Deleting tells OnDeletion about every node, children first.
    std::vector<UnicodeString> deleted;
    Tree->OnDeletion = [&](TObject*, TTreeNode* Node) { deleted.push_back(Node->GetText()); };
    b->Delete();
    EXPECT_EQ(deleted, (std::vector<UnicodeString>{u"B2'", u"B1x", u"B1", u"B"}));
    EXPECT_EQ(WindowChildren(TVI_ROOT), (std::vector<UnicodeString>{u"A", u"C", u"D"}));
    EXPECT_EQ(items->GetCount(), 3);
    EXPECT_NE(Tree->GetSelected(), nullptr); // moved to a neighbour
    items->Clear();
    EXPECT_EQ(Tree->GetSelected(), nullptr);
    EXPECT_EQ(SendMessageW(Tree->GetHandle(), TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(TreeViewTest, ExpandingFillsOnDemandAndEachEventRunsOnce) {
    TTreeNode* folder = Tree->GetItems()->Add(nullptr, u"folder");
    folder->SetHasChildren(true);
    int expanding = 0, expanded = 0;
    bool allow = true;
    Tree->OnExpanding = [&](TObject*, TTreeNode* Node, bool& Allow) {
        ++expanding;
        Allow = allow;
        if (allow && Node->GetCount() == 0) Tree->GetItems()->AddChild(Node, u"child");
    };
    Tree->OnExpanded = [&](TObject*, TTreeNode*) { ++expanded; };

    allow = false;
    folder->Expand(false);
    EXPECT_FALSE(folder->GetExpanded());
    allow = true;
    folder->Expand(false); // by code
    EXPECT_TRUE(folder->GetExpanded());
    EXPECT_EQ(folder->GetCount(), 1);
    EXPECT_EQ(expanding, 2);
    EXPECT_EQ(expanded, 1);

    // By the user: a click on the button collapses, another expands again.
    int collapsed = 0;
    Tree->OnCollapsed = [&](TObject*, TTreeNode*) { ++collapsed; };
    const TRect label = folder->DisplayRect(true);
    ClickAt(Tree, label.left - 10, (label.top + label.bottom) / 2);
    EXPECT_FALSE(folder->GetExpanded());
    EXPECT_EQ(collapsed, 1);
    ClickAt(Tree, label.left - 10, (label.top + label.bottom) / 2);
    EXPECT_TRUE(folder->GetExpanded());
    EXPECT_EQ(expanding, 3);
    EXPECT_EQ(expanded, 2);
    EXPECT_EQ(folder->GetCount(), 1);
}

TEST_F(TreeViewTest, SelectionAndEditingGoThroughTheEvents) {
    TTreeNode* one = Tree->GetItems()->Add(nullptr, u"one");
    TTreeNode* two = Tree->GetItems()->Add(nullptr, u"two");
    std::vector<TTreeNode*> changes;
    bool allow = true;
    Tree->OnChanging = [&](TObject*, TTreeNode*, bool& Allow) { Allow = allow; };
    Tree->OnChange = [&](TObject*, TTreeNode* Node) { changes.push_back(Node); };
    Tree->SetSelected(one);
    allow = false;
    const TRect twoLabel = two->DisplayRect(true);
    ClickAt(Tree, twoLabel.left + 3, twoLabel.top + 3);
    EXPECT_EQ(Tree->GetSelected(), one);
    allow = true;
    ClickAt(Tree, twoLabel.left + 3, twoLabel.top + 3);
    EXPECT_EQ(Tree->GetSelected(), two);
    EXPECT_EQ(changes, (std::vector<TTreeNode*>{one, two}));

    // OnEdited sees the typed text and may change it; the node takes the result.
    Tree->OnEdited = [](TObject*, TTreeNode*, UnicodeString& S) { S = S + u"!"; };
    ASSERT_TRUE(two->EditText());
    EXPECT_TRUE(Tree->IsEditing());
    TestSeams::TypeText(u"renamed");
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_FALSE(Tree->IsEditing());
    EXPECT_EQ(two->GetText(), u"renamed!");
    // A read-only tree edits nothing.
    Tree->SetReadOnly(true);
    EXPECT_FALSE(two->EditText());
}

int ByLength(TTreeNode* a, TTreeNode* b, LPARAM direction) {
    return static_cast<int>(direction) *
           (static_cast<int>(a->GetText().size()) - static_cast<int>(b->GetText().size()));
}

TEST_F(TreeViewTest, SortingKeepsTheWindowInTheNodesOrder) {
    TTreeNodes* items = Tree->GetItems();
    for (const char16_t* t : {u"pear", u"Apple", u"fig", u"banana"})
        items->Add(nullptr, t);
    TTreeNode* fig = items->GetItem(2);
    items->AddChild(fig, u"zz");
    items->AddChild(fig, u"aa");
    Tree->AlphaSort(true);
    const std::vector<UnicodeString> alpha{u"Apple", u"banana", u"fig", u"pear"};
    EXPECT_EQ(Texts(items->GetFirstNode()), alpha);
    EXPECT_EQ(WindowChildren(TVI_ROOT), alpha);
    EXPECT_EQ(WindowChildren(fig->GetItemId()), (std::vector<UnicodeString>{u"aa", u"zz"}));
    Tree->CustomSort(&ByLength, -1, false);
    const std::vector<UnicodeString> longest{u"banana", u"Apple", u"pear", u"fig"};
    EXPECT_EQ(Texts(items->GetFirstNode()), longest);
    EXPECT_EQ(WindowChildren(TVI_ROOT), longest);
}

TEST_F(TreeViewTest, ImagesAreAskedForWhenDrawn) {
    TTreeNode* node = Tree->GetItems()->Add(nullptr, u"node");
    node->SetImageIndex(2);
    node->SetSelectedIndex(3);
    int asked = 0;
    Tree->OnGetImageIndex = [&](TObject*, TTreeNode* Node) {
        ++asked;
        Node->SetImageIndex(5);
    };
    TVITEMW tv{};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.hItem = node->GetItemId();
    SendMessageW(Tree->GetHandle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    EXPECT_EQ(tv.iImage, 5);
    EXPECT_EQ(tv.iSelectedImage, 3);
    EXPECT_EQ(asked, 1);
}

} // namespace
