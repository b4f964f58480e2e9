// The tab-control tree: nodes that mirror a tab control or nested page
// controls, the tab or page a selected node brings up, and nodes that follow
// the mirrored control and its pages out when they are freed or replaced.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEPgCtrlTree.h"

#include <quorlpak/TabControl.h>

#include <vector>

namespace {

class TabCtrlTreeTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        tree = Place(new TTabCtrlTree(Form), 150, 250);
        // Three outer pages; the second holds a page control of two pages.
        outer = AddPages(Form, {u"General", u"Build", u"Debug"}, 160, outerPages);
        inner = AddPages(outerPages[1], {u"Compile", u"Link"}, 0, innerPages);
        Pump();
    }
    TPageControl* AddPages(TWinControl* Parent, std::initializer_list<const char16_t*> Captions,
                           int Left, std::vector<TTabSheet*>& Sheets) {
        auto* pages = new TPageControl(Form);
        pages->SetParent(Parent);
        pages->SetBounds(Left, 0, 200, 200);
        for (const char16_t* caption : Captions) {
            auto* sheet = new TTabSheet(Form);
            sheet->SetPageControl(pages);
            sheet->SetCaption(caption);
            Sheets.push_back(sheet);
        }
        return pages;
    }
    TTabControl* NewTabs() {
        auto* tabs = new TTabControl(Form);
        tabs->SetParent(Form);
        tabs->SetBounds(160, 210, 200, 60);
        for (const char16_t* text : {u"One", u"Two", u"Three"}) tabs->GetTabs()->Add(text);
        return tabs;
    }
    // Every node as "text" with its children in brackets, depth first.
    static std::vector<UnicodeString> Outline(TTreeNode* First) {
        std::vector<UnicodeString> out;
        for (TTreeNode* n = First; n; n = n->getNextSibling()) {
            UnicodeString line = n->GetText();
            if (n->GetCount() > 0) {
                line += u"[";
                for (const UnicodeString& child : Outline(n->getFirstChild())) line += child + u";";
                line += u"]";
            }
            out.push_back(line);
        }
        return out;
    }
    std::vector<UnicodeString> Outline() { return Outline(tree->GetItems()->GetFirstNode()); }
    TTreeNode* Node(int Root, int Child = -1) {
        TTreeNode* n = tree->GetItems()->GetFirstNode();
        for (int i = 0; i < Root; ++i) n = n->getNextSibling();
        return Child < 0 ? n : n->GetItem(Child);
    }

    TTabCtrlTree* tree = nullptr;
    TPageControl* outer = nullptr;
    TPageControl* inner = nullptr;
    std::vector<TTabSheet*> outerPages;
    std::vector<TTabSheet*> innerPages;
};

using Lines = std::vector<UnicodeString>;

TEST_F(TabCtrlTreeTest, NestedPagesBecomeChildNodesAndSelectingOneBringsItsPagesUp) {
    tree->SetTabControl(outer);
    EXPECT_EQ(Outline(), (Lines{u"General", u"Build[Compile;Link;]", u"Debug"}));
    EXPECT_EQ(TTabCtrlTree::PageOf(Node(1, 1)), innerPages[1]);

    // A nested page: the outer page holding it comes to the front as well.
    tree->SetSelected(Node(1, 1));
    EXPECT_EQ(outer->GetActivePage(), outerPages[1]);
    EXPECT_EQ(inner->GetActivePage(), innerPages[1]);

    tree->SetSelected(Node(2));
    EXPECT_EQ(outer->GetActivePage(), outerPages[2]);
    EXPECT_EQ(inner->GetActivePage(), innerPages[1]); // the inner choice stays

    // A page whose page control shows nothing yet gets its first page shown.
    inner->SetActivePage(nullptr);
    tree->SetSelected(Node(1));
    EXPECT_EQ(outer->GetActivePage(), outerPages[1]);
    EXPECT_EQ(inner->GetActivePage(), innerPages[0]);

    // The user's arrow keys walk the nodes and the pages follow.
    tree->SetSelected(Node(0));
    tree->SetFocus();
    Pump();
    TestSeams::KeyPress(VK_DOWN);
    Pump();
    EXPECT_EQ(tree->GetSelected(), Node(1));
    EXPECT_EQ(outer->GetActivePage(), outerPages[1]);
}

TEST_F(TabCtrlTreeTest, TabsBecomeNodesAndANodeSelectsItsTab) {
    TTabControl* tabs = NewTabs();
    tree->SetTabControl(tabs);
    EXPECT_EQ(Outline(), (Lines{u"One", u"Two", u"Three"}));
    EXPECT_EQ(TTabCtrlTree::PageOf(Node(2)), nullptr);
    tree->SetSelected(Node(2));
    EXPECT_EQ(tabs->GetTabIndex(), 2);
    const TRect label = Node(1)->DisplayRect(true);
    ClickAt(tree, label.left + 3, (label.top + label.bottom) / 2);
    EXPECT_EQ(tree->GetSelected(), Node(1));
    EXPECT_EQ(tabs->GetTabIndex(), 1);
}

TEST_F(TabCtrlTreeTest, FreedPagesAndControlsTakeTheirNodesAlong) {
    tree->SetTabControl(outer);
    tree->SetSelected(Node(1, 0));
    delete innerPages[0]; // the selected node goes, the rest stays
    EXPECT_EQ(Outline(), (Lines{u"General", u"Build[Link;]", u"Debug"}));
    delete outerPages[0];
    EXPECT_EQ(Outline(), (Lines{u"Build[Link;]", u"Debug"}));
    delete outerPages[1]; // with the page control on it and that one's page
    EXPECT_EQ(Outline(), (Lines{u"Debug"}));
    delete outer;
    EXPECT_TRUE(Outline().empty());
    EXPECT_EQ(tree->GetTabControl(), nullptr);

    // A plain tab control takes its nodes along too.
    TTabControl* tabs = NewTabs();
    tree->SetTabControl(tabs);
    tree->SetSelected(Node(1));
    delete tabs;
    EXPECT_TRUE(Outline().empty());
    EXPECT_EQ(tree->GetTabControl(), nullptr);
}

TEST_F(TabCtrlTreeTest, AnotherControlReplacesTheNodesAndTheOldOneIsNoLongerWatched) {
    tree->SetTabControl(outer);
    TTabControl* tabs = NewTabs();
    tree->SetTabControl(tabs);
    EXPECT_EQ(Outline(), (Lines{u"One", u"Two", u"Three"}));
    // Pages of the old control come and go without touching the tree.
    delete innerPages[0];
    delete outer;
    EXPECT_EQ(Outline(), (Lines{u"One", u"Two", u"Three"}));
    EXPECT_EQ(tree->GetTabControl(), tabs);

    tree->SetTabControl(nullptr);
    EXPECT_TRUE(Outline().empty());
    delete tabs;
    EXPECT_EQ(tree->GetTabControl(), nullptr);
}

TEST_F(TabCtrlTreeTest, ATreeFreedFirstLeavesTheControlsSound) {
    tree->SetTabControl(outer);
    delete tree;
    tree = nullptr;
    delete innerPages[0];
    delete outer;
    Pump();
}

} // namespace
