// Sorting: stability in both directions, relinking, the comparison events
// and what SortTree leaves alone.
#include "VirtualTreeTestSupport.h"

namespace {

class Sorting : public VirtualTreeTest {
protected:
    // Top-level nodes whose keys are given; the key lives in the node's data.
    TTestTree* MakeKeyed(const std::vector<int>& Keys) {
        TTestTree* tree = MakeTree();
        tree->SetNodeDataSize(sizeof(int));
        tree->SetRootNodeCount(uint32_t(Keys.size()));
        uint32_t i = 0;
        for (PVirtualNode run = tree->GetFirstNoInit(); run; run = run->NextSibling)
            *tree->GetNodeData<int>(run) = Keys[i++];
        tree->OnCompareNodes = [this, tree](TBaseVirtualTree*, PVirtualNode a, PVirtualNode b,
                                            TColumnIndex, int& result) {
            ++Comparisons;
            result = *tree->GetNodeData<int>(a) / 10 - *tree->GetNodeData<int>(b) / 10;
        };
        return tree;
    }
    static std::vector<int> Keys(TTestTree* Tree, PVirtualNode Parent = nullptr) {
        std::vector<int> keys;
        if (!Parent) Parent = Tree->GetRootNode();
        uint32_t index = 0;
        for (PVirtualNode run = Parent->FirstChild; run; run = run->NextSibling) {
            EXPECT_EQ(run->Index, index++);
            keys.push_back(*Tree->GetNodeData<int>(run));
        }
        return keys;
    }
    int Comparisons = 0;
};

TEST_F(Sorting, IsStableInBothDirections) {
    // Keys compare by their tens; the units tell equal keys apart.
    struct TRow {
        TSortDirection Direction;
        std::vector<int> In, Out;
    };
    const TRow rows[] = {
        {sdAscending, {31, 10, 32, 11, 20}, {10, 11, 20, 31, 32}},
        {sdDescending, {31, 10, 32, 11, 20}, {31, 32, 20, 10, 11}},
        {sdAscending, {12, 11, 10}, {12, 11, 10}},
        {sdDescending, {10, 11, 12, 13}, {10, 11, 12, 13}},
    };
    for (const TRow& row : rows) {
        TTestTree* tree = MakeKeyed(row.In);
        tree->Sort(nullptr, 0, row.Direction);
        EXPECT_EQ(Keys(tree), row.Out);
        tree->Sort(nullptr, 0, row.Direction);
        EXPECT_EQ(Keys(tree), row.Out) << "sorting twice";
        EXPECT_EQ(tree->GetRootNode()->LastChild->NextSibling, nullptr);
        EXPECT_EQ(tree->GetRootNode()->FirstChild->PrevSibling, nullptr);
        EXPECT_TRUE(TreeIsConsistent(tree));
        delete tree;
    }
}

TEST_F(Sorting, NavigationAgreesWithTheNewOrder) {
    TTestTree* tree = MakeKeyed({50, 40, 30, 20, 10});
    tree->Sort(nullptr, 0, sdAscending);
    std::vector<int> forward, backward;
    for (PVirtualNode run = tree->GetFirst(); run; run = tree->GetNext(run))
        forward.push_back(*tree->GetNodeData<int>(run));
    for (PVirtualNode run = tree->GetLast(); run; run = tree->GetPrevious(run))
        backward.insert(backward.begin(), *tree->GetNodeData<int>(run));
    EXPECT_EQ(forward, (std::vector<int>{10, 20, 30, 40, 50}));
    EXPECT_EQ(backward, forward);
}

TEST_F(Sorting, FewerThanTwoChildrenAskNothing) {
    for (int count : {0, 1}) {
        TTestTree* tree = MakeKeyed(std::vector<int>(size_t(count), 7));
        Comparisons = 0;
        tree->Sort(nullptr, 0, sdAscending);
        EXPECT_EQ(Comparisons, 0);
        delete tree;
    }
}

TEST_F(Sorting, WithoutACompareHandlerTheOrderStays) {
    TTestTree* tree = MakeKeyed({3, 1, 2});
    tree->OnCompareNodes = nullptr;
    tree->Sort(nullptr, 0, sdDescending);
    EXPECT_EQ(Keys(tree), (std::vector<int>{3, 1, 2}));
}

TEST_F(Sorting, SortTreeSortsEveryInitialisedLevelAndOnlyThoseWithoutDoInit) {
    TTestTree* tree = MakeKeyed({20, 10});
    // Children get keys when they are initialised: 2, 1 under every node.
    tree->OnInitNode = [tree](TBaseVirtualTree*, PVirtualNode parent, PVirtualNode node,
                              TVirtualNodeInitStates& states) {
        if (parent) *tree->GetNodeData<int>(node) = node->Index == 0 ? 20 : 10;
        if (!parent) states.Include(ivsHasChildren);
    };
    tree->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& count) { count = 2; };
    tree->SortTree(0, sdAscending, true);
    EXPECT_EQ(Keys(tree), (std::vector<int>{10, 20}));
    EXPECT_EQ(Keys(tree, NodeAt(tree, {0})), (std::vector<int>{10, 20}));

    TTestTree* lazy = MakeKeyed({20, 10});
    lazy->SetChildCount(NodeAt(lazy, {1}), 2);
    *lazy->GetNodeData<int>(NodeAt(lazy, {1, 0})) = 20;
    *lazy->GetNodeData<int>(NodeAt(lazy, {1, 1})) = 10;
    lazy->SortTree(0, sdAscending, false);
    // The top level is sorted; below a node nobody initialised nothing moves.
    EXPECT_EQ(Keys(lazy), (std::vector<int>{10, 20}));
    EXPECT_EQ(Keys(lazy, NodeAt(lazy, {0})), (std::vector<int>{20, 10}));
}

TEST_F(Sorting, SortTreeWithNoColumnStillValidatesAndRepaints) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetRootNodeCount(3);
    Pump();
    tree->TakeInvalidation();
    int compared = 0;
    tree->OnCompareNodes = [&](TBaseVirtualTree*, PVirtualNode, PVirtualNode, TColumnIndex,
                               int&) { ++compared; };
    tree->SortTree(InvalidColumn, sdAscending);
    EXPECT_EQ(compared, 0);
    EXPECT_TRUE(tree->TakeInvalidation());
}

} // namespace
