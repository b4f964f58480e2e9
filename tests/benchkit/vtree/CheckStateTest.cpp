// Check states: propagation between tri-state parents and their boxes,
// vetoes, radio groups, the image table and the click successor table.
#include "VirtualTreeTestSupport.h"

#include <set>

namespace {

class CheckStates : public VirtualTreeTest {
protected:
    // A tri-state top node with three check box children, each with two
    // check box grandchildren under a tri-state child 2.
    TTestTree* MakeCheckTree() {
        TTestTree* tree = MakeTree();
        tree->SetRootNodeCount(1);
        PVirtualNode parent = NodeAt(tree, {0});
        tree->SetCheckType(parent, ctTriStateCheckBox);
        tree->SetChildCount(parent, 3);
        for (PVirtualNode child = parent->FirstChild; child; child = child->NextSibling)
            tree->SetCheckType(child, ctCheckBox);
        PVirtualNode last = parent->LastChild;
        tree->SetCheckType(last, ctTriStateCheckBox);
        tree->SetChildCount(last, 2);
        for (PVirtualNode child = last->FirstChild; child; child = child->NextSibling)
            tree->SetCheckType(child, ctCheckBox);
        return tree;
    }
};

struct TPropagationCase {
    const char* Name;
    // Steps: path and state to set; a refused path vetoes every change of that node.
    std::vector<std::pair<std::vector<uint32_t>, TCheckState>> Steps;
    std::vector<uint32_t> Refused;
    std::vector<uint32_t> Disabled;
    std::vector<uint32_t> Hidden;
    // Expected states of 0, 0.0, 0.1, 0.2, 0.2.0, 0.2.1.
    std::vector<TCheckState> Expected;
};

void PrintTo(const TPropagationCase& c, std::ostream* os) {
    *os << c.Name;
}

constexpr TCheckState U = csUncheckedNormal, C = csCheckedNormal, M = csMixedNormal;

const TPropagationCase PropagationCases[] = {
    {"CheckingTheParentChecksEveryBox", {{{0}, C}}, {}, {}, {}, {C, C, C, C, C, C}},
    {"ARefusingChildLeavesTheParentMixed", {{{0}, C}}, {0, 1}, {}, {}, {M, C, U, C, C, C}},
    {"ADisabledChildKeepsItsStateAndMixesTheParent",
     {{{0}, C}},
     {},
     {0, 0},
     {},
     {M, U, C, C, C, C}},
    {"AHiddenChildIsCheckedLikeAnyOther", {{{0}, C}}, {}, {}, {0, 1}, {C, C, C, C, C, C}},
    {"UncheckingOneOfThreeMixesTheParent",
     {{{0}, C}, {{0, 1}, U}},
     {},
     {},
     {},
     {M, C, U, C, C, C}},
    {"UncheckingAllUnchecksTheParent",
     {{{0}, C}, {{0, 0}, U}, {{0, 1}, U}, {{0, 2}, U}},
     {},
     {},
     {},
     {U, U, U, U, U, U}},
    {"AGrandchildMixesBothLevelsAbove", {{{0, 2, 0}, C}}, {}, {}, {}, {M, U, U, M, C, U}},
    {"BothGrandchildrenCheckTheirParent",
     {{{0, 2, 0}, C}, {{0, 2, 1}, C}},
     {},
     {},
     {},
     {M, U, U, C, C, C}},
    {"CheckingEveryBoxChecksTheTop",
     {{{0, 0}, C}, {{0, 1}, C}, {{0, 2}, C}},
     {},
     {},
     {},
     {C, C, C, C, C, C}},
};

class CheckPropagation : public CheckStates,
                         public testing::WithParamInterface<TPropagationCase> {};

TEST_P(CheckPropagation, EndsInTheExpectedStates) {
    const TPropagationCase& c = GetParam();
    TTestTree* tree = MakeCheckTree();
    if (!c.Disabled.empty()) tree->SetDisabled(NodeAt(tree, c.Disabled), true);
    if (!c.Hidden.empty()) tree->SetVisible(NodeAt(tree, c.Hidden), false);
    PVirtualNode refused = c.Refused.empty() ? nullptr : NodeAt(tree, c.Refused);
    tree->OnChecking = [&](TBaseVirtualTree*, PVirtualNode node, TCheckState&, bool& allowed) {
        if (node == refused) allowed = false;
    };
    for (const auto& [path, state] : c.Steps)
        tree->SetCheckState(NodeAt(tree, path), state);
    const std::vector<std::vector<uint32_t>> paths = {{0}, {0, 0}, {0, 1}, {0, 2}, {0, 2, 0}, {0, 2, 1}};
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(tree->GetCheckState(NodeAt(tree, paths[i])), c.Expected[i]) << "node " << i;
    EXPECT_FALSE(tree->HasState(tsCheckPropagation));
    for (PVirtualNode run = tree->GetFirstNoInit(); run; run = tree->GetNextNoInit(run))
        EXPECT_FALSE(run->States.Contains(vsChecking));
}

INSTANTIATE_TEST_SUITE_P(Table, CheckPropagation, testing::ValuesIn(PropagationCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(CheckStates, WithoutTrackingOnlyTheNodeChanges) {
    TTestTree* tree = MakeCheckTree();
    TVTAutoOptions options = tree->GetTreeOptions()->GetAutoOptions();
    tree->GetTreeOptions()->SetAutoOptions(options - TVTAutoOptions{toAutoTristateTracking});
    tree->SetCheckState(NodeAt(tree, {0}), csCheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {0})), csCheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {0, 0})), csUncheckedNormal);
}

TEST_F(CheckStates, CheckingARadioButtonUnchecksItsSiblingsWithoutAsking) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(3);
    for (uint32_t i = 0; i < 3; ++i)
        tree->SetCheckType(NodeAt(tree, {i}), ctRadioButton);
    tree->SetCheckState(NodeAt(tree, {0}), csCheckedNormal);
    std::vector<PVirtualNode> asked, told;
    tree->OnChecking = [&](TBaseVirtualTree*, PVirtualNode node, TCheckState&, bool&) {
        asked.push_back(node);
    };
    tree->OnChecked = [&](TBaseVirtualTree*, PVirtualNode node) { told.push_back(node); };
    tree->SetCheckState(NodeAt(tree, {2}), csCheckedNormal);
    EXPECT_EQ(asked, std::vector<PVirtualNode>{NodeAt(tree, {2})});
    EXPECT_EQ(told, std::vector<PVirtualNode>{NodeAt(tree, {2})});
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {0})), csUncheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {2})), csCheckedNormal);
}

TEST_F(CheckStates, ANewBoxUnderACheckedTriStateParentIsCheckedAtOnce) {
    TTestTree* tree = MakeCheckTree();
    tree->SetCheckState(NodeAt(tree, {0}), csCheckedNormal);
    tree->AddChild(NodeAt(tree, {0}));
    PVirtualNode added = NodeAt(tree, {0})->LastChild;
    tree->SetCheckType(added, ctCheckBox);
    EXPECT_EQ(tree->GetCheckState(added), csCheckedNormal);
}

TEST_F(CheckStates, TheHandlerMayChangeTheNewState) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    tree->SetCheckType(NodeAt(tree, {0}), ctCheckBox);
    tree->OnChecking = [](TBaseVirtualTree*, PVirtualNode, TCheckState& state, bool&) {
        state = csMixedNormal;
    };
    tree->SetCheckState(NodeAt(tree, {0}), csCheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {0})), csMixedNormal);
}

TEST_F(CheckStates, ReadOnlyAndDisabledNodesRefuseEveryChange) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2);
    tree->SetCheckType(NodeAt(tree, {0}), ctCheckBox);
    tree->SetCheckType(NodeAt(tree, {1}), ctCheckBox);
    tree->SetDisabled(NodeAt(tree, {1}), true);
    tree->SetCheckState(NodeAt(tree, {1}), csCheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {1})), csUncheckedNormal);
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    tree->GetTreeOptions()->SetMiscOptions(misc + TVTMiscOptions{toReadOnly});
    tree->SetCheckState(NodeAt(tree, {0}), csCheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {0})), csUncheckedNormal);
}

TEST_F(CheckStates, ClearCheckedUnchecksEverythingButWhatIsRefused) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(3);
    for (uint32_t i = 0; i < 3; ++i) {
        tree->SetCheckType(NodeAt(tree, {i}), ctCheckBox);
        tree->SetCheckState(NodeAt(tree, {i}), csCheckedNormal);
    }
    tree->OnChecking = [&](TBaseVirtualTree*, PVirtualNode node, TCheckState&, bool& allowed) {
        allowed = node != NodeAt(tree, {1});
    };
    tree->ClearChecked();
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {0})), csUncheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {1})), csCheckedNormal);
    EXPECT_EQ(tree->GetCheckState(NodeAt(tree, {2})), csUncheckedNormal);
}

TEST_F(CheckStates, ImagesFollowTypeStateAndEnabledness) {
    struct TRow {
        TCheckType Type;
        TCheckState State;
        bool Disabled;
        int Image;
    };
    const TRow rows[] = {
        {ctNone, csCheckedNormal, false, -1},       {ctCheckBox, csUncheckedNormal, false, 9},
        {ctCheckBox, csCheckedNormal, true, 16},    {ctTriStateCheckBox, csMixedNormal, false, 17},
        {ctCheckBox, csCheckedPressed, false, 15},  {ctRadioButton, csCheckedNormal, false, 5},
        {ctRadioButton, csUncheckedNormal, true, 4}, {ctButton, csCheckedNormal, false, 21},
        {ctButton, csUncheckedPressed, true, 24},   {ctRadioButton, csMixedPressed, false, 19},
    };
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode node = NodeAt(tree, {0});
    for (const TRow& row : rows) {
        node->CheckType = row.Type;
        node->CheckState = row.State;
        tree->SetDisabled(node, row.Disabled);
        EXPECT_EQ(tree->GetCheckImage(node), row.Image) << int(row.Type) << "/" << int(row.State);
    }
}

TEST_F(CheckStates, AClickLeadsToTheNextState) {
    TTestTree* tree = MakeTree();
    EXPECT_EQ(tree->DetermineNextCheckState(ctCheckBox, csCheckedNormal), csUncheckedNormal);
    EXPECT_EQ(tree->DetermineNextCheckState(ctTriStateCheckBox, csMixedNormal), csCheckedNormal);
    EXPECT_EQ(tree->DetermineNextCheckState(ctRadioButton, csCheckedNormal), csCheckedNormal);
    EXPECT_EQ(tree->DetermineNextCheckState(ctButton, csCheckedNormal), csUncheckedNormal);
    EXPECT_EQ(tree->DetermineNextCheckState(ctNone, csUncheckedNormal), csMixedNormal);
}

} // namespace
