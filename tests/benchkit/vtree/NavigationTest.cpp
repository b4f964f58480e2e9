// Walks over the nodes: every order, with and without initialisation.
#include "VirtualTreeTestSupport.h"

#include <functional>
#include <map>

namespace {

// A (expanded): A0, A1 (hidden), A2 (collapsed, child A2a)
// B (hidden, expanded): B0
// C (collapsed): C0
class Navigation : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        tree = MakeTree();
        tree->SetRootNodeCount(3);
        PVirtualNode a = NodeAt(tree, {0});
        tree->SetChildCount(a, 3);
        tree->ToggleNode(a);
        tree->SetVisible(NodeAt(tree, {0, 1}), false);
        tree->SetChildCount(NodeAt(tree, {0, 2}), 1);
        PVirtualNode b = NodeAt(tree, {1});
        tree->SetVisible(b, false);
        tree->SetChildCount(b, 1);
        tree->ToggleNode(b);
        tree->SetChildCount(NodeAt(tree, {2}), 1);
        const std::pair<const char*, std::vector<uint32_t>> names[] = {
            {"A", {0}}, {"A0", {0, 0}}, {"A1", {0, 1}}, {"A2", {0, 2}}, {"A2a", {0, 2, 0}},
            {"B", {1}}, {"B0", {1, 0}}, {"C", {2}},     {"C0", {2, 0}}};
        for (const auto& [name, path] : names)
            Name[NodeAt(tree, path)] = name;
        tree->OnInitNode = [this](TBaseVirtualTree*, PVirtualNode, PVirtualNode,
                                  TVirtualNodeInitStates&) { ++Inits; };
        ASSERT_TRUE(TreeIsConsistent(tree));
    }

    PVirtualNode Named(const std::string& name) {
        for (auto& [node, n] : Name)
            if (n == name) return node;
        return nullptr;
    }

    std::vector<std::string> Walk(const std::function<PVirtualNode()>& first,
                                  const std::function<PVirtualNode(PVirtualNode)>& step) {
        std::vector<std::string> seen;
        for (PVirtualNode n = first(); n && seen.size() < 20; n = step(n)) {
            seen.push_back(Name[n]);
            if (!n->States.Contains(vsInitialized)) UninitialisedSeen = true;
        }
        return seen;
    }

    TTestTree* tree = nullptr;
    std::map<PVirtualNode, std::string> Name;
    int Inits = 0;
    bool UninitialisedSeen = false;
};

using TWalkFirst = std::function<PVirtualNode(TTestTree*)>;
using TWalkStep = std::function<PVirtualNode(TTestTree*, PVirtualNode)>;

struct TWalk {
    const char* Name;
    bool Initialising;
    TWalkFirst First;
    TWalkStep Step;
    std::vector<std::string> Expected;
};

void PrintTo(const TWalk& w, std::ostream* os) {
    *os << w.Name;
}

const std::vector<std::string> DocumentOrder = {"A", "A0", "A1", "A2", "A2a", "B", "B0", "C", "C0"};
const std::vector<std::string> Reverse = {"C0", "C", "B0", "B", "A2a", "A2", "A1", "A0", "A"};

const TWalk Walks[] = {
    {"Next", true, [](TTestTree* t) { return t->GetFirst(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNext(n); }, DocumentOrder},
    {"NextNoInit", false, [](TTestTree* t) { return t->GetFirstNoInit(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextNoInit(n); }, DocumentOrder},
    {"Previous", true, [](TTestTree* t) { return t->GetLast(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPrevious(n); }, Reverse},
    {"PreviousNoInit", false, [](TTestTree* t) { return t->GetLastNoInit(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPreviousNoInit(n); }, Reverse},
    {"NextVisible",
     true,
     [](TTestTree* t) { return t->GetFirstVisible(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextVisible(n); },
     {"A", "A0", "A2", "C"}},
    {"NextVisibleNoInit",
     false,
     [](TTestTree* t) { return t->GetFirstVisibleNoInit(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextVisibleNoInit(n); },
     {"A", "A0", "A2", "C"}},
    {"PreviousVisible",
     true,
     [](TTestTree* t) { return t->GetLastVisible(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPreviousVisible(n); },
     {"C", "A2", "A0", "A"}},
    {"PreviousVisibleNoInit",
     false,
     [](TTestTree* t) { return t->GetLastVisibleNoInit(); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPreviousVisibleNoInit(n); },
     {"C", "A2", "A0", "A"}},
    {"Siblings",
     true,
     [](TTestTree* t) { return t->GetFirstChild(nullptr); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextSibling(n); },
     {"A", "B", "C"}},
    {"SiblingsBackwards",
     true,
     [](TTestTree* t) { return t->GetLastChild(nullptr); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPreviousSibling(n); },
     {"C", "B", "A"}},
    {"VisibleSiblings",
     true,
     [](TTestTree* t) { return t->GetFirstVisibleChild(nullptr); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextVisibleSibling(n); },
     {"A", "C"}},
    {"VisibleSiblingsNoInit",
     false,
     [](TTestTree* t) { return t->GetFirstVisibleChildNoInit(nullptr); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextVisibleSiblingNoInit(n); },
     {"A", "C"}},
    {"VisibleSiblingsBackwards",
     true,
     [](TTestTree* t) { return t->GetLastVisibleChild(nullptr); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPreviousVisibleSibling(n); },
     {"C", "A"}},
    {"VisibleSiblingsBackwardsNoInit",
     false,
     [](TTestTree* t) { return t->GetLastVisibleChildNoInit(nullptr); },
     [](TTestTree* t, PVirtualNode n) { return t->GetPreviousVisibleSiblingNoInit(n); },
     {"C", "A"}},
    {"ChildrenOfA",
     true,
     [](TTestTree* t) { return t->GetFirstChild(NodeAt(t, {0})); },
     [](TTestTree* t, PVirtualNode n) { return t->GetNextSibling(n); },
     {"A0", "A1", "A2"}},
};

class WalkOrder : public Navigation, public testing::WithParamInterface<TWalk> {};

TEST_P(WalkOrder, VisitsTheNodesInItsOrder) {
    const TWalk& walk = GetParam();
    auto seen =
        Walk([&] { return walk.First(tree); }, [&](PVirtualNode n) { return walk.Step(tree, n); });
    EXPECT_EQ(seen, walk.Expected);
}

TEST_P(WalkOrder, InitialisesOnlyInItsInitialisingForm) {
    const TWalk& walk = GetParam();
    std::vector<PVirtualNode> handed;
    for (PVirtualNode n = walk.First(tree); n && handed.size() < 20; n = walk.Step(tree, n))
        handed.push_back(n);
    if (walk.Initialising) {
        EXPECT_GT(Inits, 0);
        for (PVirtualNode n : handed)
            EXPECT_TRUE(n->States.Contains(vsInitialized)) << Name[n];
    } else {
        EXPECT_EQ(Inits, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Walks, WalkOrder, testing::ValuesIn(Walks),
                         [](const testing::TestParamInfo<TWalk>& info) { return info.param.Name; });

TEST_F(Navigation, WalksEndWithNilAtBothEnds) {
    EXPECT_EQ(tree->GetNext(Named("C0")), nullptr);
    EXPECT_EQ(tree->GetPrevious(Named("A")), nullptr);
    EXPECT_EQ(tree->GetNextVisible(Named("C")), nullptr);
    EXPECT_EQ(tree->GetPreviousVisible(Named("A")), nullptr);
    EXPECT_EQ(tree->GetNext(nullptr), nullptr);
    EXPECT_EQ(tree->GetNext(tree->GetRootNode()), nullptr);
}

// Nothing folded into a collapsed row shows, so the walk goes on after it.
TEST_F(Navigation, AHiddenNodeContinuesAfterTheRowItIsFoldedInto) {
    EXPECT_EQ(Name[tree->GetNextVisible(Named("A2a"))], "C");
    EXPECT_EQ(Name[tree->GetNextVisibleNoInit(Named("A2a"))], "C");
    EXPECT_EQ(Name[tree->GetPreviousVisible(Named("A2a"))], "A2");
    EXPECT_EQ(Name[tree->GetNextVisible(Named("A1"))], "A2");
    EXPECT_EQ(Name[tree->GetPreviousVisible(Named("A1"))], "A0");
    EXPECT_EQ(Name[tree->GetNextVisible(Named("B0"))], "C");
    EXPECT_EQ(Name[tree->GetPreviousVisibleNoInit(Named("B0"))], "A2");
    EXPECT_EQ(Name[tree->GetVisibleParent(Named("A2a"))], "A2");
    EXPECT_EQ(tree->GetVisibleParent(Named("B0")), tree->GetRootNode());
}

TEST_F(Navigation, NoFirstVisibleWhenEveryTopNodeIsHidden) {
    tree->SetVisible(Named("A"), false);
    tree->SetVisible(Named("C"), false);
    EXPECT_TRUE(Named("B0")->States.Contains(vsVisible));
    EXPECT_EQ(tree->GetFirstVisible(), nullptr);
    EXPECT_EQ(tree->GetFirstVisibleNoInit(), nullptr);
    EXPECT_EQ(tree->GetLastVisibleNoInit(), nullptr);
}

TEST_F(Navigation, CheckedNodesAreFoundByTheirStoredStateAndInitialised) {
    PVirtualNode b0 = Named("B0");
    b0->CheckState = csCheckedNormal;
    Named("C0")->CheckState = csCheckedNormal;
    ASSERT_FALSE(b0->States.Contains(vsInitialized));
    PVirtualNode found = tree->GetFirstChecked(csCheckedNormal);
    EXPECT_EQ(found, b0);
    EXPECT_TRUE(b0->States.Contains(vsInitialized));
    EXPECT_EQ(Name[tree->GetNextChecked(found, csCheckedNormal)], "C0");
    EXPECT_EQ(tree->GetNextChecked(Named("C0"), csCheckedNormal), nullptr);
    EXPECT_EQ(tree->GetFirstChecked(csMixedNormal), nullptr);
}

TEST_F(Navigation, InitialisedWalksSkipTheOthers) {
    // A and B were initialised by their expansion.
    EXPECT_EQ(Name[tree->GetFirstInitialized()], "A");
    EXPECT_EQ(Name[tree->GetNextInitialized(Named("A"))], "B");
    EXPECT_EQ(tree->GetNextInitialized(Named("B")), nullptr);
    EXPECT_EQ(Name[tree->GetLastInitialized()], "B");
    EXPECT_EQ(Name[tree->GetPreviousInitialized(Named("B"))], "A");
}

TEST_F(Navigation, IteratingChildrenOfALeafCallsNothing) {
    int calls = 0;
    auto count = [&](TBaseVirtualTree*, PVirtualNode, void*, bool&) { ++calls; };
    EXPECT_EQ(tree->IterateSubtree(Named("A0"), count, nullptr, {}, false, true), nullptr);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(tree->IterateSubtree(Named("A"), count, nullptr, {}, false, true), nullptr);
    EXPECT_EQ(calls, 4); // A0, A1, A2, A2a
}

TEST_F(Navigation, IteratingFiltersAbortsAndMarksTheTree) {
    std::vector<std::string> seen;
    bool iterating = false;
    auto visit = [&](TBaseVirtualTree* t, PVirtualNode n, void* data, bool& abort) {
        seen.push_back(Name[n]);
        iterating = t->HasState(tsIterating);
        abort = Name[n] == *static_cast<std::string*>(data);
    };
    std::string stopAt = "B0";
    PVirtualNode stopped =
        tree->IterateSubtree(nullptr, visit, &stopAt, TVirtualNodeStates{vsExpanded}, false);
    EXPECT_EQ(stopped, nullptr); // B0 is not expanded: the filter never lets it through
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(iterating);
    EXPECT_FALSE(tree->HasState(tsIterating));
    seen.clear();
    stopAt = "A2";
    EXPECT_EQ(Name[tree->IterateSubtree(nullptr, visit, &stopAt, {}, true)], "A2");
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "A0", "A1", "A2"}));
    seen.clear();
    stopAt = "none";
    tree->IterateSubtree(Named("A2"), visit, &stopAt, {}, true);
    EXPECT_EQ(seen, (std::vector<std::string>{"A2", "A2a"}));
}

TEST_F(Navigation, AbsoluteIndexCountsWholeEarlierSubtrees) {
    TTestTree* t = MakeTree();
    t->SetRootNodeCount(3);
    t->SetChildCount(NodeAt(t, {0}), 2);
    t->SetExpanded(NodeAt(t, {0}), true);
    EXPECT_EQ(t->AbsoluteIndex(NodeAt(t, {2})), 4u);
    EXPECT_EQ(t->AbsoluteIndex(NodeAt(t, {0, 1})), 2u);
    EXPECT_EQ(tree->AbsoluteIndex(Named("C0")), 8u);
}

TEST_F(Navigation, LevelsAndParents) {
    EXPECT_EQ(tree->GetNodeLevel(Named("A")), 0u);
    EXPECT_EQ(tree->GetNodeLevel(Named("A2a")), 2u);
    EXPECT_EQ(tree->GetNodeLevel(nullptr), 0u);
    EXPECT_TRUE(tree->HasAsParent(Named("A2a"), Named("A")));
    EXPECT_FALSE(tree->HasAsParent(Named("A"), Named("A")));
    EXPECT_FALSE(tree->HasAsParent(Named("B0"), Named("A")));
    EXPECT_TRUE(tree->HasVisibleNextSibling(Named("A0")));
    EXPECT_FALSE(tree->HasVisibleNextSibling(Named("A2")));
    EXPECT_TRUE(tree->IsFirstVisibleChild(nullptr, Named("A")));
    EXPECT_TRUE(tree->IsLastVisibleChild(Named("A"), Named("A2")));
    EXPECT_FALSE(tree->IsLastVisibleChild(Named("A"), Named("A1")));
}

TEST_F(Navigation, SortedSelectionResolvesSelectedAncestors) {
    tree->InternalAddToSelection(Named("A"), false);
    tree->InternalAddToSelection(Named("A2"), false);
    tree->InternalAddToSelection(Named("C"), false);
    auto names = [&](const TNodeArray& nodes) {
        std::vector<std::string> out;
        for (PVirtualNode n : nodes)
            out.push_back(Name[n]);
        return out;
    };
    EXPECT_EQ(names(tree->GetSortedSelection(true)), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(names(tree->GetSortedSelection(false)), (std::vector<std::string>{"A", "A2", "C"}));
    EXPECT_EQ(Name[tree->GetFirstSelected()], "A");
    EXPECT_EQ(Name[tree->GetNextSelected(Named("A"))], "A2");
}

TEST_F(Navigation, TheTopNodeFollowsTheVerticalOffset) {
    // A window lower than the content, so that the offset has room to move.
    tree->SetBounds(0, 0, 200, 20);
    EXPECT_EQ(Name[tree->GetTopNode()], "A");
    tree->SetTopNode(Named("A2a")); // folded into A2: A2 opens
    EXPECT_TRUE(Named("A2")->States.Contains(vsExpanded));
    EXPECT_EQ(tree->GetOffsetY(), -3 * 18); // A, A0 and A2 above it (A1 is hidden)
    EXPECT_EQ(Name[tree->GetTopNode()], "A2a");
    tree->SetTopNode(nullptr);
    EXPECT_EQ(tree->GetOffsetY(), -3 * 18);
}

TEST_F(Navigation, CutCopyWalksNeedAPendingClipboardState) {
    Named("A0")->States.Include(vsCutOrCopy);
    EXPECT_EQ(tree->GetFirstCutCopy(), nullptr);
    tree->DoStateChange({tsCopyPending});
    EXPECT_EQ(Name[tree->GetFirstCutCopy()], "A0");
    EXPECT_EQ(tree->GetSortedCutCopySet(false).size(), 1u);
}

} // namespace
