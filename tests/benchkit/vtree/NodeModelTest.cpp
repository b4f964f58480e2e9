// The node model: counters and links after every structural operation,
// initialisation on demand, expanding, visibility, heights and node memory.
#include "VirtualTreeTestSupport.h"

#include <functional>

namespace {

using TStep = std::function<void(TTestTree*)>;

struct TSequence {
    const char* Name;
    std::vector<std::pair<const char*, TStep>> Steps;
};

void PrintTo(const TSequence& s, std::ostream* os) {
    *os << s.Name;
}

PVirtualNode At(TTestTree* t, std::vector<uint32_t> path) {
    return NodeAt(t, path);
}

const TSequence Sequences[] = {
    {"CountsAndExpands",
     {{"root count 5", [](TTestTree* t) { t->SetRootNodeCount(5); }},
      {"children of 1", [](TTestTree* t) { t->SetChildCount(At(t, {1}), 4); }},
      {"expand 1", [](TTestTree* t) { t->SetExpanded(At(t, {1}), true); }},
      {"grandchildren",
       [](TTestTree* t) {
           t->SetChildCount(At(t, {1, 2}), 3);
       }},
      {"expand 1.2",
       [](TTestTree* t) {
           t->SetExpanded(At(t, {1, 2}), true);
       }},
      {"collapse 1", [](TTestTree* t) { t->SetExpanded(At(t, {1}), false); }},
      {"expand 1 again", [](TTestTree* t) { t->SetExpanded(At(t, {1}), true); }},
      {"shrink 1.2",
       [](TTestTree* t) {
           t->SetChildCount(At(t, {1, 2}), 1);
       }},
      {"shrink root", [](TTestTree* t) { t->SetRootNodeCount(2); }},
      {"clear", [](TTestTree* t) { t->Clear(); }}}},
    {"AddInsertDelete",
     {{"add 3",
       [](TTestTree* t) {
           for (int i = 0; i < 3; ++i)
               t->AddChild(nullptr);
       }},
      {"add under 0", [](TTestTree* t) { t->AddChild(At(t, {0})); }},
      {"expand 0", [](TTestTree* t) { t->SetExpanded(At(t, {0}), true); }},
      {"insert before 0.0",
       [](TTestTree* t) {
           t->InsertNode(At(t, {0, 0}), amInsertBefore);
       }},
      {"insert after 0.1",
       [](TTestTree* t) {
           t->InsertNode(At(t, {0, 1}), amInsertAfter);
       }},
      {"child first of 2", [](TTestTree* t) { t->InsertNode(At(t, {2}), amAddChildFirst); }},
      {"child last of 2", [](TTestTree* t) { t->InsertNode(At(t, {2}), amAddChildLast); }},
      {"insert before root", [](TTestTree* t) { t->InsertNode(nullptr, amInsertBefore); }},
      {"delete 1.0 (was 0.0)",
       [](TTestTree* t) {
           t->DeleteNode(At(t, {1, 0}));
       }},
      {"delete middle top", [](TTestTree* t) { t->DeleteNode(At(t, {2})); }},
      {"delete children of 1", [](TTestTree* t) { t->DeleteChildren(At(t, {1}), true); }},
      {"delete first", [](TTestTree* t) { t->DeleteNode(At(t, {0})); }}}},
    {"HideAndShow",
     {{"root count 3", [](TTestTree* t) { t->SetRootNodeCount(3); }},
      {"children of 0", [](TTestTree* t) { t->SetChildCount(At(t, {0}), 3); }},
      {"expand 0", [](TTestTree* t) { t->SetExpanded(At(t, {0}), true); }},
      {"hide 0.1",
       [](TTestTree* t) {
           t->SetVisible(At(t, {0, 1}), false);
       }},
      {"hide 0", [](TTestTree* t) { t->SetVisible(At(t, {0}), false); }},
      {"children of hidden 0.1",
       [](TTestTree* t) {
           t->SetChildCount(At(t, {0, 1}), 2);
       }},
      {"expand hidden 0.1",
       [](TTestTree* t) {
           t->SetExpanded(At(t, {0, 1}), true);
       }},
      {"show 0", [](TTestTree* t) { t->SetVisible(At(t, {0}), true); }},
      {"show 0.1",
       [](TTestTree* t) {
           t->SetVisible(At(t, {0, 1}), true);
       }},
      {"height of 0.1.0",
       [](TTestTree* t) {
           t->SetNodeHeight(At(t, {0, 1, 0}), 40);
       }},
      {"hide everything under 0",
       [](TTestTree* t) {
           for (uint32_t i = 0; i < 3; ++i)
               t->SetVisible(At(t, {0, i}), false);
       }},
      {"delete hidden 0.1",
       [](TTestTree* t) {
           t->DeleteNode(At(t, {0, 1}));
       }}}},
    {"MovesWithinATree",
     {{"root count 3", [](TTestTree* t) { t->SetRootNodeCount(3); }},
      {"children of 0", [](TTestTree* t) { t->SetChildCount(At(t, {0}), 3); }},
      {"expand 0", [](TTestTree* t) { t->SetExpanded(At(t, {0}), true); }},
      {"move 0.2 under 2",
       [](TTestTree* t) {
           t->MoveTo(At(t, {0, 2}), At(t, {2}), amAddChildLast, false);
       }},
      {"move 2 before 0",
       [](TTestTree* t) { t->MoveTo(At(t, {2}), At(t, {0}), amInsertBefore, false); }},
      {"move children of 1 after 2",
       [](TTestTree* t) { t->MoveTo(At(t, {1}), At(t, {2}), amInsertAfter, true); }},
      {"move last top to root first",
       [](TTestTree* t) {
           t->MoveTo(t->GetRootNode()->LastChild, PVirtualNode(nullptr), amAddChildLast, false);
       }},
      {"node parent", [](TTestTree* t) { t->SetNodeParent(At(t, {1}), At(t, {0})); }}}},
    {"CopiesWithinATree",
     {{"root count 2", [](TTestTree* t) { t->SetRootNodeCount(2); }},
      {"children of 0", [](TTestTree* t) { t->SetChildCount(At(t, {0}), 2); }},
      {"expand 0", [](TTestTree* t) { t->SetExpanded(At(t, {0}), true); }},
      {"copy 0 after 1",
       [](TTestTree* t) { t->CopyTo(At(t, {0}), At(t, {1}), amInsertAfter, false); }},
      {"copy 0 into its own child",
       [](TTestTree* t) {
           t->CopyTo(At(t, {0}), At(t, {0, 1}), amAddChildFirst, false);
       }},
      {"copy children of 2 to root",
       [](TTestTree* t) { t->CopyTo(At(t, {2}), PVirtualNode(nullptr), amAddChildLast, true); }}}},
    {"ExpandAndCollapseAll",
     {{"root count 3", [](TTestTree* t) { t->SetRootNodeCount(3); }},
      {"children everywhere",
       [](TTestTree* t) {
           for (uint32_t i = 0; i < 3; ++i)
               t->SetChildCount(At(t, {i}), 2);
           t->SetChildCount(At(t, {1, 1}), 2);
       }},
      {"full expand", [](TTestTree* t) { t->FullExpand(); }},
      {"full collapse 1", [](TTestTree* t) { t->FullCollapse(At(t, {1})); }},
      {"full collapse", [](TTestTree* t) { t->FullCollapse(); }},
      {"full expand 1", [](TTestTree* t) { t->FullExpand(At(t, {1})); }},
      {"reset 1", [](TTestTree* t) { t->ResetNode(At(t, {1})); }},
      {"default height", [](TTestTree* t) { t->SetDefaultNodeHeight(25); }},
      {"total count", [](TTestTree* t) { t->GetTotalCount(); }}}},
};

class NodeSequence : public VirtualTreeTest, public testing::WithParamInterface<TSequence> {};

TEST_P(NodeSequence, KeepsEveryCounterAndLinkAfterEachStep) {
    TTestTree* tree = MakeTree();
    for (const auto& [name, step] : GetParam().Steps) {
        step(tree);
        ASSERT_TRUE(TreeIsConsistent(tree)) << "after step: " << name;
    }
}

TEST_P(NodeSequence, KeepsThemInsideOneUpdateBracketToo) {
    TTestTree* tree = MakeTree();
    tree->BeginUpdate();
    for (const auto& [name, step] : GetParam().Steps) {
        step(tree);
        ASSERT_TRUE(TreeIsConsistent(tree)) << "after step: " << name;
    }
    tree->EndUpdate();
    EXPECT_TRUE(TreeIsConsistent(tree));
}

INSTANTIATE_TEST_SUITE_P(Sequences, NodeSequence, testing::ValuesIn(Sequences),
                         [](const testing::TestParamInfo<TSequence>& info) {
                             return info.param.Name;
                         });

class NodeModel : public VirtualTreeTest {};

TEST_F(NodeModel, RootNodeCountMakesUninitialisedNodesWithDenseIndexes) {
    TTestTree* tree = MakeTree();
    int inits = 0;
    tree->OnInitNode = [&](TBaseVirtualTree*, PVirtualNode, PVirtualNode, TVirtualNodeInitStates&) {
        ++inits;
    };
    tree->SetRootNodeCount(3);
    EXPECT_EQ(inits, 0);
    PVirtualNode root = tree->GetRootNode();
    EXPECT_EQ(root->TotalCount, 4u);
    EXPECT_EQ(tree->GetContentHeight(), 3u * 18u);
    uint32_t index = 0;
    for (PVirtualNode n = root->FirstChild; n; n = n->NextSibling) {
        EXPECT_EQ(n->Index, index++);
        EXPECT_FALSE(n->States.Contains(vsInitialized));
        EXPECT_EQ(n->Align, 50);
    }
    EXPECT_EQ(tree->GetTotalCount(), 3u);
    EXPECT_EQ(inits, 3);
    EXPECT_EQ(tree->GetVisibleCount(), 3u);
}

TEST_F(NodeModel, NodeRecordKeepsItsLayout) {
    EXPECT_EQ(offsetof(TVirtualNode, Index), 0u);
    EXPECT_EQ(offsetof(TVirtualNode, NodeHeight), 8u);
    EXPECT_EQ(offsetof(TVirtualNode, States), 10u);
    EXPECT_EQ(sizeof(TVirtualNodeStates), 2u);
    EXPECT_EQ(offsetof(TVirtualNode, TotalCount), 16u);
    EXPECT_EQ(offsetof(TVirtualNode, Parent), 24u);
    EXPECT_EQ(TVirtualNodeStates{vsToggling}.ToInt(), 1u << 14);
}

TEST_F(NodeModel, AHiddenInsertedNodeLeavesTheParentHeightAlone) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode parent = At(tree, {0});
    tree->SetChildCount(parent, 2);
    tree->SetExpanded(parent, true);
    const uint32_t height = parent->TotalHeight;
    const uint32_t visible = tree->GetVisibleCount();
    PVirtualNode hidden = tree->InsertNode(At(tree, {0, 0}), amInsertAfter);
    tree->SetVisible(hidden, false);
    EXPECT_EQ(parent->TotalHeight, height);
    EXPECT_EQ(tree->GetVisibleCount(), visible);
    tree->DeleteNode(hidden);
    EXPECT_EQ(parent->TotalHeight, height);
    EXPECT_EQ(parent->TotalCount, 3u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

// The visible count is taken before the parent collapses, or the child's
// row would stay counted.
TEST_F(NodeModel, DeletingTheOnlyChildOfAnExpandedNodeCollapsesItAndCountsRight) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode parent = At(tree, {0});
    tree->SetChildCount(parent, 1);
    tree->SetExpanded(parent, true);
    ASSERT_EQ(tree->GetVisibleCount(), 2u);
    tree->DeleteNode(parent->FirstChild);
    EXPECT_FALSE(parent->States.Contains(vsExpanded));
    EXPECT_FALSE(parent->States.Contains(vsHasChildren));
    EXPECT_EQ(tree->GetVisibleCount(), 1u);
    EXPECT_TRUE(TreeIsConsistent(tree));

    tree->DeleteNode(parent);
    EXPECT_TRUE(tree->GetRootNode()->States.Contains(vsExpanded));
    EXPECT_EQ(tree->GetVisibleCount(), 0u);
}

// Decided after the node is unlinked, so the leaving node does not count.
TEST_F(NodeModel, LosingTheLastShownChildMarksTheRestHidden) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode parent = At(tree, {0});
    tree->SetChildCount(parent, 2);
    tree->SetVisible(parent->LastChild, false);
    EXPECT_FALSE(parent->States.Contains(vsAllChildrenHidden));
    tree->DeleteNode(parent->FirstChild);
    EXPECT_TRUE(parent->States.Contains(vsAllChildrenHidden));
    tree->SetVisible(parent->FirstChild, true);
    EXPECT_FALSE(parent->States.Contains(vsAllChildrenHidden));
    // Moving the shown child away leaves only hidden ones behind.
    tree->AddChild(parent);
    tree->SetVisible(parent->LastChild, false);
    tree->MoveTo(parent->FirstChild, PVirtualNode(nullptr), amAddChildLast, false);
    EXPECT_TRUE(parent->States.Contains(vsAllChildrenHidden));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, ShrinkingDeletesFromTheEndAndFreesOnlyWhatTheApplicationSaw) {
    TTestTree* tree = MakeTree();
    tree->SetNodeDataSize(sizeof(void*));
    tree->SetRootNodeCount(5);
    tree->InitNode(At(tree, {2}));
    tree->InitNode(At(tree, {4}));
    int value = 0;
    tree->InsertNode(At(tree, {3}), amInsertAfter, &value); // index 4 now, with user data
    std::vector<uint32_t> freed;
    tree->OnFreeNode = [&](TBaseVirtualTree*, PVirtualNode n) { freed.push_back(n->Index); };
    tree->SetRootNodeCount(2);
    EXPECT_EQ(freed, (std::vector<uint32_t>{5, 4, 2}));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, ExpandingANodeWhoseChildrenTurnOutNoneLeavesItCollapsed) {
    TTestTree* tree = MakeTree();
    tree->OnInitNode = [](TBaseVirtualTree*, PVirtualNode, PVirtualNode,
                          TVirtualNodeInitStates& s) { s.Include(ivsHasChildren); };
    tree->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& count) { count = 0; };
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    tree->ToggleNode(node);
    EXPECT_FALSE(node->States.Contains(vsExpanded));
    EXPECT_FALSE(node->States.Contains(vsHasChildren));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, ToggleInsideOnExpandingOfTheSameNodeDoesNothing) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    tree->SetChildCount(node, 2);
    int expanding = 0;
    tree->OnExpanding = [&](TBaseVirtualTree* t, PVirtualNode n, bool&) {
        ++expanding;
        t->ToggleNode(n);
    };
    tree->ToggleNode(node);
    EXPECT_EQ(expanding, 1);
    EXPECT_TRUE(node->States.Contains(vsExpanded));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, ARefusedExpandChangesNothing) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    tree->SetChildCount(node, 2);
    tree->OnExpanding = [](TBaseVirtualTree*, PVirtualNode, bool& allowed) { allowed = false; };
    tree->ToggleNode(node);
    EXPECT_FALSE(node->States.Contains(vsExpanded));
    EXPECT_EQ(tree->GetVisibleCount(), 1u);
}

TEST_F(NodeModel, TheDataSizeIsAskedOnceWhenTheFirstNodeIsMade) {
    TTestTree* tree = MakeTree();
    int asked = 0;
    tree->OnGetNodeDataSize = [&](TBaseVirtualTree*, int& size) {
        ++asked;
        size = 8;
    };
    EXPECT_EQ(tree->GetNodeDataSize(), -1);
    tree->SetRootNodeCount(3);
    tree->AddChild(nullptr);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tree->GetNodeDataSize(), 8);
    ASSERT_NE(tree->GetNodeData(At(tree, {0})), nullptr);
    EXPECT_EQ(tree->GetNodeData(nullptr), nullptr);
    EXPECT_EQ(tree->GetNodeData(tree->GetRootNode()), nullptr);
}

TEST_F(NodeModel, ChangingTheDataSizeRemakesTheNodesUninitialised) {
    TTestTree* tree = MakeTree();
    tree->SetNodeDataSize(4);
    tree->SetRootNodeCount(3);
    tree->GetTotalCount();
    tree->SetNodeDataSize(16);
    EXPECT_EQ(tree->GetRootNodeCount(), 3u);
    EXPECT_FALSE(At(tree, {0})->States.Contains(vsInitialized));
    auto* data = static_cast<uint8_t*>(tree->GetNodeData(At(tree, {2})));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(data[i], 0);
    // Below -1 means "ask"; remaking the nodes asks at once (0 without a handler).
    tree->SetNodeDataSize(-5);
    EXPECT_EQ(tree->GetNodeDataSize(), 0);
    EXPECT_EQ(MakeTree()->GetNodeDataSize(), -1);
}

// A pointer is 8 bytes here: a smaller area would cut it.
TEST_F(NodeModel, InitialUserDataNeedsRoomForAWholePointer) {
    TTestTree* tree = MakeTree();
    tree->SetNodeDataSize(4);
    int value = 0;
    try {
        tree->AddChild(nullptr, &value);
        FAIL() << "no error";
    } catch (const EVirtualTreeError& e) {
        EXPECT_EQ(e.ErrorCode, 2008);
    }
    EXPECT_EQ(tree->GetRootNodeCount(), 1u);
    EXPECT_TRUE(TreeIsConsistent(tree));

    TTestTree* roomy = MakeTree();
    roomy->SetNodeDataSize(sizeof(void*));
    int freed = 0;
    roomy->OnFreeNode = [&](TBaseVirtualTree*, PVirtualNode) { ++freed; };
    PVirtualNode node = roomy->AddChild(nullptr, &value);
    EXPECT_EQ(*roomy->GetNodeData<int*>(node), &value);
    EXPECT_TRUE(node->States.Contains(vsInitialUserData));
    roomy->DeleteNode(node);
    EXPECT_EQ(freed, 1); // never initialised, but it carried data
}

TEST_F(NodeModel, AutoFreeOnCollapseKeepsTheButton) {
    TTestTree* tree = MakeTree();
    tree->GetTreeOptions()->SetAutoOptions(tree->GetTreeOptions()->GetAutoOptions() +
                                           toAutoFreeOnCollapse);
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    tree->SetChildCount(node, 3);
    tree->SetExpanded(node, true);
    tree->SetExpanded(node, false);
    EXPECT_EQ(node->ChildCount, 0u);
    EXPECT_TRUE(node->States.Contains(vsHasChildren));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, MovingANodeIntoItsOwnSubtreeRaisesAndMovesNothing) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2);
    PVirtualNode a = At(tree, {0});
    tree->SetChildCount(a, 2);
    try {
        tree->MoveTo(a, a->FirstChild, amAddChildLast, false);
        FAIL() << "no error";
    } catch (const EVirtualTreeError& e) {
        EXPECT_EQ(e.ErrorCode, 2001);
        EXPECT_EQ(e.GetMessage(),
                  UnicodeString(u"Target node cannot be a child node of the node to be moved."));
    }
    EXPECT_EQ(At(tree, {0}), a);
    EXPECT_EQ(a->ChildCount, 2u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

// Each moved child lands right at the target, so the walk starts from the
// far end for both modes that insert at the front of the run.
TEST_F(NodeModel, MovingChildrenKeepsTheirOrderInEveryMode) {
    for (TVTNodeAttachMode mode :
         {amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast}) {
        TTestTree* tree = MakeTree();
        tree->SetNodeDataSize(sizeof(int));
        tree->SetRootNodeCount(2);
        PVirtualNode source = At(tree, {0});
        tree->SetChildCount(source, 3);
        for (uint32_t i = 0; i < 3; ++i)
            *tree->GetNodeData<int>(At(tree, {0, i})) = int(i) + 1;
        PVirtualNode target = At(tree, {1});
        if (mode == amAddChildFirst || mode == amAddChildLast) tree->SetChildCount(target, 1);
        tree->MoveTo(source, mode == amAddChildFirst || mode == amAddChildLast ? target : target,
                     mode, true);
        std::vector<int> order;
        PVirtualNode first = (mode == amAddChildFirst)  ? target->FirstChild
                             : (mode == amAddChildLast) ? target->FirstChild->NextSibling
                             : (mode == amInsertBefore) ? At(tree, {1})
                                                        : target->NextSibling;
        for (PVirtualNode n = first; n && order.size() < 3; n = n->NextSibling)
            order.push_back(*tree->GetNodeData<int>(n));
        EXPECT_EQ(order, (std::vector<int>{1, 2, 3})) << "mode " << mode;
        EXPECT_TRUE(TreeIsConsistent(tree)) << "mode " << mode;
    }
}

TEST_F(NodeModel, MovingToAnotherTreeRemakesTheStructureThere) {
    TTestTree* source = MakeTree();
    TTestTree* target = MakeTree();
    source->SetRootNodeCount(2);
    PVirtualNode a = At(source, {0});
    source->InitNode(a);
    source->SetChildCount(a, 3);
    source->SetExpanded(a, true);
    source->SetVisible(At(source, {0, 1}), false);
    target->SetRootNodeCount(1);
    int moved = 0;
    source->OnNodeMoved = [&](TBaseVirtualTree*, PVirtualNode) { ++moved; };
    source->MoveTo(a, target->GetRootNode(), amAddChildLast, false);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(source->GetRootNodeCount(), 1u);
    PVirtualNode copy = At(target, {1});
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ChildCount, 3u);
    EXPECT_TRUE(copy->States.Contains(vsExpanded));
    EXPECT_FALSE(copy->FirstChild->NextSibling->States.Contains(vsVisible));
    EXPECT_EQ(TreeFromNode(copy), target);
    EXPECT_TRUE(TreeIsConsistent(source));
    EXPECT_TRUE(TreeIsConsistent(target));
}

TEST_F(NodeModel, RefusedCopiesAreDeletedAgain) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2);
    tree->OnNodeCopying = [](TBaseVirtualTree*, PVirtualNode, PVirtualNode, bool& allowed) {
        allowed = false;
    };
    EXPECT_EQ(tree->CopyTo(At(tree, {0}), At(tree, {1}), amInsertAfter, false), nullptr);
    EXPECT_EQ(tree->GetRootNodeCount(), 2u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, ReadOnlyTurnsStructuralChangesIntoNothing) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2);
    tree->GetTreeOptions()->SetMiscOptions(tree->GetTreeOptions()->GetMiscOptions() + toReadOnly);
    EXPECT_EQ(tree->AddChild(nullptr), nullptr);
    tree->SetRootNodeCount(5);
    tree->DeleteNode(At(tree, {0}));
    tree->DeleteChildren(tree->GetRootNode());
    tree->MoveTo(At(tree, {0}), At(tree, {1}), amAddChildLast, false);
    tree->Clear();
    tree->SetNodeHeight(At(tree, {0}), 40);
    EXPECT_EQ(tree->GetRootNodeCount(), 2u);
    EXPECT_EQ(At(tree, {0})->NodeHeight, 18);
    EXPECT_EQ(At(tree, {1})->ChildCount, 0u);
}

TEST_F(NodeModel, VisibilityFollowsTheFlagsOfEveryAncestor) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode a = At(tree, {0});
    tree->SetChildCount(a, 1);
    PVirtualNode b = a->FirstChild;
    EXPECT_FALSE(tree->GetFullyVisible(b));
    EXPECT_FALSE(tree->GetVisiblePath(b));
    tree->SetVisible(a, false);
    tree->SetFullyVisible(b, true);
    EXPECT_TRUE(tree->GetFullyVisible(b));
    EXPECT_TRUE(a->States.Contains(vsVisible));
    EXPECT_TRUE(a->States.Contains(vsExpanded));
    EXPECT_EQ(tree->GetVisibleCount(), 2u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, HeightsReachTheRootOnlyThroughExpandedVisibleAncestors) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2);
    PVirtualNode a = At(tree, {0});
    tree->SetChildCount(a, 2);
    tree->SetNodeHeight(a->FirstChild, 30);
    EXPECT_EQ(tree->GetContentHeight(), 36u); // collapsed: the child's row is not shown
    tree->SetExpanded(a, true);
    EXPECT_EQ(tree->GetContentHeight(), 36u + 30u + 18u);
    EXPECT_EQ(tree->GetNodeHeight(tree->GetRootNode()), 0);
    tree->SetDefaultNodeHeight(0);
    EXPECT_EQ(tree->GetDefaultNodeHeight(), 18u);
    tree->SetDefaultNodeHeight(20);
    EXPECT_EQ(tree->GetContentHeight(), 36u + 30u + 18u); // existing nodes keep theirs
    tree->AddChild(nullptr);
    EXPECT_EQ(tree->GetContentHeight(), 36u + 30u + 18u + 20u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, VariableHeightsAreMeasuredOnceOnFirstRead) {
    TTestTree* tree = MakeTree();
    tree->GetTreeOptions()->SetMiscOptions(tree->GetTreeOptions()->GetMiscOptions() +
                                           toVariableNodeHeight);
    int measured = 0;
    tree->OnMeasureItem = [&](TBaseVirtualTree*, TCanvas*, PVirtualNode, int& h) {
        ++measured;
        h = 25;
    };
    tree->SetRootNodeCount(2);
    EXPECT_EQ(tree->GetNodeHeight(At(tree, {0})), 25);
    EXPECT_EQ(tree->GetNodeHeight(At(tree, {0})), 25);
    EXPECT_EQ(measured, 1);
    EXPECT_EQ(tree->GetContentHeight(), 25u + 18u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, InitialStatesFromOnInitNodeApply) {
    TTestTree* tree = MakeTree();
    tree->OnInitNode = [](TBaseVirtualTree*, PVirtualNode parent, PVirtualNode n,
                          TVirtualNodeInitStates& s) {
        if (!parent && n->Index == 0)
            s += TVirtualNodeInitStates{ivsHasChildren, ivsExpanded, ivsSelected};
        // A disabled node is never selected, not even by its initial states.
        if (!parent && n->Index == 1)
            s += TVirtualNodeInitStates{ivsDisabled, ivsMultiline, ivsSelected};
    };
    tree->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& count) { count = 2; };
    tree->SetRootNodeCount(2);
    tree->GetTotalCount();
    PVirtualNode a = At(tree, {0});
    EXPECT_TRUE(a->States.Contains(vsExpanded));
    EXPECT_EQ(a->ChildCount, 2u);
    PVirtualNode b = At(tree, {1});
    EXPECT_TRUE(b->States.Contains(vsDisabled));
    EXPECT_TRUE(b->States.Contains(vsMultiline));
    EXPECT_FALSE(b->States.Contains(vsSelected));
    EXPECT_TRUE(a->States.Contains(vsSelected));
    EXPECT_EQ(tree->GetSelectedCount(), 1u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, ReinitAndResetRunTheInitialisationAgain) {
    TTestTree* tree = MakeTree();
    int inits = 0;
    int resets = 0;
    tree->OnInitNode = [&](TBaseVirtualTree*, PVirtualNode, PVirtualNode, TVirtualNodeInitStates&) {
        ++inits;
    };
    tree->OnResetNode = [&](TBaseVirtualTree*, PVirtualNode) { ++resets; };
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    tree->SetChildCount(node, 2);
    tree->ValidateNode(nullptr, true);
    EXPECT_EQ(inits, 3);
    tree->ReinitNode(node, true);
    EXPECT_EQ(inits, 6);
    tree->ResetNode(node);
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(node->States.Contains(vsInitialized));
    EXPECT_EQ(node->ChildCount, 0u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, HasChildrenFalseDeletesTheChildren) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    tree->SetChildCount(node, 3);
    EXPECT_FALSE(tree->GetChildrenInitialized(nullptr) == false);
    tree->SetHasChildren(node, false);
    EXPECT_EQ(node->ChildCount, 0u);
    EXPECT_FALSE(tree->GetHasChildren(node));
    tree->SetHasChildren(node, true);
    EXPECT_FALSE(tree->GetChildrenInitialized(node));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(NodeModel, PropertiesOnNilAndTheRootAreIgnored) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2);
    tree->DeleteNode(nullptr);
    tree->DeleteNode(tree->GetRootNode());
    tree->SetExpanded(tree->GetRootNode(), false);
    tree->SetMultiLine(nullptr, true);
    EXPECT_FALSE(tree->GetExpanded(nullptr));
    EXPECT_EQ(tree->GetNodeParent(At(tree, {0})), nullptr);
    EXPECT_EQ(tree->GetChildCount(nullptr), 2u);
    EXPECT_EQ(tree->InsertNode(At(tree, {0}), amNoWhere), nullptr);
    EXPECT_EQ(TreeFromNode(nullptr), nullptr);
    EXPECT_EQ(TreeFromNode(At(tree, {1})), tree);
    tree->SetVerticalAlignment(At(tree, {0}), 200);
    EXPECT_EQ(tree->GetVerticalAlignment(At(tree, {0})), 100);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

class TInternalDataTree : public TTestTree {
public:
    explicit TInternalDataTree(TComponent* AOwner) : TTestTree(AOwner) {
        Offset = AllocateInternalDataArea(6);
    }
    uint32_t Offset;
};

TEST_F(NodeModel, InternalAreasComeBeforeTheUserData) {
    auto* tree = new TInternalDataTree(Application);
    EXPECT_EQ(tree->Offset, sizeof(TVirtualNode));
    tree->SetNodeDataSize(4);
    tree->SetRootNodeCount(1);
    PVirtualNode node = At(tree, {0});
    EXPECT_EQ(static_cast<uint8_t*>(tree->GetNodeData(node)),
              reinterpret_cast<uint8_t*>(node) + sizeof(TVirtualNode) + 8);
    // A late area remakes the nodes with room for it.
    EXPECT_EQ(tree->AllocateInternalDataArea(4), sizeof(TVirtualNode) + 8);
    EXPECT_EQ(tree->GetRootNodeCount(), 1u);
    EXPECT_EQ(TreeFromNode(At(tree, {0})), tree);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

} // namespace
