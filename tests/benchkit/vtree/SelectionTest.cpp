// Selection and focus: the ordered selection array, constraints, ranges,
// click selection and the focus veto.
#include "VirtualTreeTestSupport.h"

#include <algorithm>

namespace {

class TSelectionTree : public TTestTree {
public:
    using TTestTree::TTestTree;
    using TBaseVirtualTree::FSelection;
    using TBaseVirtualTree::HandleClickSelection;
    using TBaseVirtualTree::InternalClearSelection;
};

// A (children A0, A1, A2, expanded), B, C
class Selection : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        tree = new TSelectionTree(Application);
        tree->SetRootNodeCount(3);
        tree->SetChildCount(NodeAt(tree, {0}), 3);
        tree->ToggleNode(NodeAt(tree, {0}));
    }
    void Multi(TVTSelectionOptions Extra = {}) {
        TVTSelectionOptions options = Extra;
        options.Include(toMultiSelect);
        tree->GetTreeOptions()->SetSelectionOptions(options);
    }
    PVirtualNode A() { return NodeAt(tree, {0}); }
    PVirtualNode A0() { return NodeAt(tree, {0, 0}); }
    PVirtualNode A1() { return NodeAt(tree, {0, 1}); }
    PVirtualNode A2() { return NodeAt(tree, {0, 2}); }
    PVirtualNode B() { return NodeAt(tree, {1}); }
    PVirtualNode C() { return NodeAt(tree, {2}); }
    std::vector<PVirtualNode> Selected() {
        std::vector<PVirtualNode> nodes;
        for (PVirtualNode n = tree->GetFirst(); n; n = tree->GetNext(n))
            if (tree->GetSelected(n)) nodes.push_back(n);
        return nodes;
    }
    // The array holds exactly the nodes flagged selected, ordered by address.
    testing::AssertionResult ArrayAgrees() {
        std::vector<PVirtualNode> flagged = Selected();
        std::sort(flagged.begin(), flagged.end());
        std::vector<PVirtualNode> held(tree->FSelection.begin(),
                                       tree->FSelection.begin() + tree->GetSelectedCount());
        if (held != flagged) return testing::AssertionFailure() << "array and flags differ";
        return testing::AssertionSuccess();
    }
    TSelectionTree* tree = nullptr;
};

TEST_F(Selection, ArrayStaysOrderedAndFindsEveryMember) {
    Multi();
    PVirtualNode nodes[] = {C(), A1(), B(), A()};
    tree->AddToSelection(nodes, 4);
    EXPECT_EQ(tree->GetSelectedCount(), 4u);
    EXPECT_TRUE(ArrayAgrees());
    for (PVirtualNode n : {C(), A1(), B(), A()}) {
        int index = -1;
        EXPECT_TRUE(tree->FindNodeInSelection(n, index));
        EXPECT_EQ(tree->FSelection[index], n);
    }
    int index = -1;
    EXPECT_FALSE(tree->FindNodeInSelection(A2(), index));
    tree->RemoveFromSelection(B());
    EXPECT_EQ(tree->GetSelectedCount(), 3u);
    EXPECT_TRUE(ArrayAgrees());
}

TEST_F(Selection, DeletingInsideAnUpdateCountsAfterTheUpdate) {
    Multi();
    PVirtualNode nodes[] = {A0(), A1(), A2()};
    tree->AddToSelection(nodes, 3);
    tree->BeginUpdate();
    tree->DeleteNode(A1());
    tree->EndUpdate();
    EXPECT_EQ(tree->GetSelectedCount(), 2u);
    EXPECT_TRUE(ArrayAgrees());
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(Selection, ConstraintsRejectOtherLevelsAndParents) {
    Multi({toLevelSelectConstraint});
    tree->SetSelected(A(), true);
    tree->SetSelected(A0(), true);
    EXPECT_FALSE(tree->GetSelected(A0()));
    tree->ClearSelection();
    tree->SetSelected(A0(), true);
    EXPECT_TRUE(tree->GetSelected(A0()));

    Multi({toSiblingSelectConstraint});
    tree->SetSelected(A0(), true);
    tree->SetSelected(A2(), true);
    tree->SetSelected(B(), true);
    EXPECT_EQ(Selected(), (std::vector<PVirtualNode>{A0(), A2()}));
}

TEST_F(Selection, DisabledNodesAreNotSelected) {
    Multi();
    tree->SetDisabled(B(), true);
    tree->SelectAll(false);
    EXPECT_FALSE(tree->GetSelected(B()));
    EXPECT_EQ(tree->GetSelectedCount(), 5u);
}

TEST_F(Selection, SingleSelectKeepsOneNode) {
    tree->SetSelected(A(), true);
    tree->SetSelected(B(), true);
    EXPECT_EQ(Selected(), std::vector<PVirtualNode>{B()});
    EXPECT_TRUE(ArrayAgrees());
}

TEST_F(Selection, ClickSelectionTable) {
    Multi();
    struct Case {
        const char* name;
        TShiftState shift;
        bool anchorFirst; // anchor on A0 before the click, else none
        std::vector<uint32_t> click;
        std::vector<std::vector<uint32_t>> selected;
    };
    const Case cases[] = {
        {"plain", {}, true, {1}, {{0, 0}, {1}}},
        {"shift from anchor", {ssShift}, true, {0, 2}, {{0, 0}, {0, 1}, {0, 2}}},
        {"shift without anchor", {ssShift}, false, {0, 1}, {{0}, {0, 0}, {0, 1}}},
        {"ctrl toggles off", {ssCtrl}, true, {0, 0}, {}},
        {"ctrl+shift adds", {ssCtrl, ssShift}, true, {1}, {{0, 0}, {0, 1}, {0, 2}, {1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree->ClearSelection();
        tree->ResetRangeAnchor();
        if (c.anchorFirst) tree->HandleClickSelection(nullptr, A0(), {}, false);
        else
            ASSERT_EQ(tree->GetRangeAnchor(), nullptr);
        tree->HandleClickSelection(A0(), NodeAt(tree, c.click), c.shift, false);
        std::vector<PVirtualNode> expected;
        for (const auto& path : c.selected)
            expected.push_back(NodeAt(tree, path));
        EXPECT_EQ(Selected(), expected);
        EXPECT_TRUE(ArrayAgrees());
    }
}

TEST_F(Selection, ToggleKeepsTheAnchorAndFlipsTheRest) {
    Multi();
    tree->SetSelected(A0(), true); // anchor
    tree->SetSelected(A2(), true);
    tree->ToggleSelection(A0(), B());
    EXPECT_EQ(Selected(), (std::vector<PVirtualNode>{A0(), A1(), B()}));
    EXPECT_TRUE(ArrayAgrees());
}

TEST_F(Selection, InvertAndUnselect) {
    Multi();
    tree->SetSelected(A(), true);
    tree->SetSelected(C(), true);
    tree->InvertSelection(false);
    EXPECT_EQ(Selected(), (std::vector<PVirtualNode>{A0(), A1(), A2(), B()}));
    tree->UnselectNodes(A1(), B());
    EXPECT_EQ(Selected(), (std::vector<PVirtualNode>{A0()}));
    EXPECT_TRUE(ArrayAgrees());
}

TEST_F(Selection, ClearingReportsEachNodeLastEntryFirst) {
    Multi();
    PVirtualNode nodes[] = {A(), B(), C()};
    tree->AddToSelection(nodes, 3);
    std::vector<PVirtualNode> expected(tree->FSelection.rbegin(), tree->FSelection.rend());
    std::vector<PVirtualNode> reported;
    tree->OnChange = [&](TBaseVirtualTree*, PVirtualNode n) { reported.push_back(n); };
    tree->InternalClearSelection();
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(tree->GetSelectedCount(), 0u);
}

TEST_F(Selection, FocusVetoKeepsTheOldNodeAndTellsNobody) {
    int changed = 0;
    tree->OnFocusChanged = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex) { ++changed; };
    tree->SetFocusedNode(A());
    EXPECT_EQ(changed, 1);
    tree->OnFocusChanging = [](TBaseVirtualTree*, PVirtualNode, PVirtualNode, TColumnIndex,
                               TColumnIndex, bool& allowed) { allowed = false; };
    tree->SetFocusedNode(B());
    EXPECT_EQ(tree->GetFocusedNode(), A());
    EXPECT_EQ(changed, 1);
}

// A change of the focused column alone tells the handler the old column
// first and the new one second.
TEST_F(Selection, ColumnChangeReportsOldThenNewColumn) {
    for (int i = 0; i < 3; ++i)
        tree->GetHeader()->GetColumns()->Add();
    tree->SetFocusedNode(A());
    tree->SetFocusedColumn(0);
    TColumnIndex oldSeen = -9, newSeen = -9;
    tree->OnFocusChanging = [&](TBaseVirtualTree*, PVirtualNode, PVirtualNode, TColumnIndex o,
                                TColumnIndex n, bool&) {
        oldSeen = o;
        newSeen = n;
    };
    tree->SetFocusedColumn(2);
    EXPECT_EQ(oldSeen, 0);
    EXPECT_EQ(newSeen, 2);
    EXPECT_EQ(tree->GetFocusedColumn(), 2);
}

TEST_F(Selection, AnchorFollowsFocusWhenSelectionEmpties) {
    Multi();
    tree->SetFocusedNode(B());
    tree->SetSelected(A(), true);
    EXPECT_EQ(tree->GetRangeAnchor(), A());
    tree->RemoveFromSelection(A());
    EXPECT_EQ(tree->GetRangeAnchor(), B());
}

} // namespace

namespace {

TEST_F(Selection, DeletingAParentDropsItsSelectedChildren) {
    Multi();
    PVirtualNode b = B(), c = C();
    tree->SetChildCount(b, 2);
    PVirtualNode nodes[] = {A0(), A2(), c, NodeAt(tree, {1, 1})};
    tree->AddToSelection(nodes, 4);
    tree->DeleteNode(A());
    EXPECT_EQ(tree->GetSelectedCount(), 2u);
    EXPECT_TRUE(ArrayAgrees());
    tree->BeginUpdate();
    tree->DeleteChildren(b);
    tree->DeleteNode(c);
    tree->AddToSelection(b);
    tree->EndUpdate();
    EXPECT_EQ(tree->GetSelectedCount(), 1u);
    EXPECT_TRUE(ArrayAgrees());
}

} // namespace
