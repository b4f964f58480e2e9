// Construction, update brackets and the delayed change and structure-change
// events on the manual clock.
#include "VirtualTreeTestSupport.h"

namespace {

class LifeCycle : public VirtualTreeTest {
protected:
    struct TNotice {
        PVirtualNode Node;
        TChangeReason Reason;
        uint64_t At;
    };
    void Watch(TTestTree* tree) {
        tree->OnChange = [this](TBaseVirtualTree*, PVirtualNode n) {
            Changes.push_back({n, crIgnore, GetTickCount64()});
        };
        tree->OnStructureChange = [this](TBaseVirtualTree*, PVirtualNode n, TChangeReason r) {
            Structure.push_back({n, r, GetTickCount64()});
        };
        tree->OnUpdating = [this](TBaseVirtualTree*, TVTUpdateState s) { Updates.push_back(s); };
    }
    std::vector<TNotice> Changes;
    std::vector<TNotice> Structure;
    std::vector<TVTUpdateState> Updates;
};

TEST_F(LifeCycle, DefaultsOfANewTree) {
    TTestTree* tree = MakeTree();
    EXPECT_EQ(tree->GetWidth(), 200);
    EXPECT_EQ(tree->GetHeight(), 100);
    EXPECT_TRUE(tree->GetTabStop());
    EXPECT_EQ(tree->GetNodeDataSize(), -1);
    EXPECT_EQ(tree->GetDefaultNodeHeight(), 18u);
    EXPECT_EQ(tree->GetChangeDelay(), 0u);
    EXPECT_EQ(tree->GetFocusedColumn(), NoColumn);
    EXPECT_FALSE(tree->GetControlStyle().Contains(csSetCaption));
    EXPECT_TRUE(tree->GetControlStyle().Contains(csCaptureMouse));
    PVirtualNode root = tree->GetRootNode();
    EXPECT_EQ(root->States,
              (TVirtualNodeStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible}));
    EXPECT_EQ(root->TotalHeight, 18u);
    EXPECT_EQ(TreeFromNode(root), tree);
    EXPECT_NE(CF_VTREFERENCE, 0);
}

TEST_F(LifeCycle, ABurstOfChangesGivesOneDelayedEventNamingTheLast) {
    TTestTree* tree = MakeWindowedTree();
    Watch(tree);
    tree->SetChangeDelay(100);
    tree->SetRootNodeCount(3);
    const uint64_t start = GetTickCount64();
    for (uint32_t i = 0; i < 3; ++i) {
        tree->Change(NodeAt(tree, {i}));
        if (i < 2) Advance(30);
    }
    EXPECT_TRUE(Changes.empty());
    EXPECT_TRUE(tree->HasState(tsChangePending));
    Advance(99);
    EXPECT_TRUE(Changes.empty());
    Advance(1);
    ASSERT_EQ(Changes.size(), 1u);
    EXPECT_EQ(Changes[0].Node, NodeAt(tree, {2}));
    EXPECT_EQ(Changes[0].At - start, 160u);
    EXPECT_FALSE(tree->HasState(tsChangePending));
    Advance(500);
    EXPECT_EQ(Changes.size(), 1u);
}

TEST_F(LifeCycle, DelayedEventsComeFromTheirOwnTimers) {
    TTestTree* tree = MakeWindowedTree();
    Watch(tree);
    tree->SetChangeDelay(50);
    tree->SetRootNodeCount(2); // delivered by the bracket's end
    Structure.clear();
    tree->StructureChange(NodeAt(tree, {0}), crNodeMoved);
    tree->StructureChange(NodeAt(tree, {1}), crNodeAdded);
    tree->Change(NodeAt(tree, {1}));
    // Timer 6 alone delivers the structure change, with what it remembered.
    SendMessageW(tree->GetHandle(), WM_TIMER, StructureChangeTimer, 0);
    ASSERT_EQ(Structure.size(), 1u);
    EXPECT_EQ(Structure[0].Reason, crAccumulated);
    EXPECT_EQ(Structure[0].Node, NodeAt(tree, {1}));
    EXPECT_TRUE(Changes.empty());
    SendMessageW(tree->GetHandle(), WM_TIMER, ChangeTimer, 0);
    ASSERT_EQ(Changes.size(), 1u);
    EXPECT_EQ(Changes[0].Node, NodeAt(tree, {1}));
    Advance(100); // both timers were stopped by their delivery
    EXPECT_EQ(Changes.size(), 1u);
    EXPECT_EQ(Structure.size(), 1u);
}

TEST_F(LifeCycle, AStructureChangeInsideABracketComesOnceAtTheOutermostEnd) {
    TTestTree* tree = MakeTree();
    Watch(tree);
    tree->SetRootNodeCount(3);
    Structure.clear();
    Updates.clear();
    tree->BeginUpdate();
    tree->BeginUpdate();
    tree->AddChild(nullptr);
    tree->DeleteNode(NodeAt(tree, {0}));
    tree->EndUpdate();
    EXPECT_TRUE(Structure.empty());
    EXPECT_TRUE(tree->HasState(tsUpdating));
    tree->EndUpdate();
    ASSERT_EQ(Structure.size(), 1u);
    EXPECT_EQ(Structure[0].Reason, crAccumulated);
    EXPECT_FALSE(tree->HasState(tsUpdating));
    EXPECT_EQ(Updates, (std::vector<TVTUpdateState>{usBegin, usUpdate, usUpdate, usEnd}));
    tree->EndUpdate(); // one too many: the count stays at 0
    EXPECT_EQ(tree->GetUpdateCount(), 0);
}

TEST_F(LifeCycle, OneChangeKeepsItsReasonAndSeveralAccumulate) {
    TTestTree* tree = MakeTree();
    Watch(tree);
    tree->BeginUpdate();
    tree->AddChild(nullptr);
    tree->EndUpdate();
    ASSERT_EQ(Structure.size(), 1u);
    EXPECT_EQ(Structure[0].Reason, crChildAdded);
    EXPECT_EQ(Structure[0].Node, nullptr); // the hidden root is reported as nil
    tree->BeginUpdate();
    tree->AddChild(nullptr);
    tree->AddChild(nullptr);
    tree->EndUpdate();
    ASSERT_EQ(Structure.size(), 2u);
    EXPECT_EQ(Structure[1].Reason, crAccumulated);
}

TEST_F(LifeCycle, BeginSynchDeliversPendingChangesAtOnce) {
    TTestTree* tree = MakeWindowedTree();
    Watch(tree);
    tree->SetChangeDelay(100);
    tree->SetRootNodeCount(1);
    tree->Change(NodeAt(tree, {0}));
    Structure.clear();
    Updates.clear();
    tree->StructureChange(NodeAt(tree, {0}), crNodeMoved);
    tree->BeginSynch();
    EXPECT_EQ(Changes.size(), 1u);
    EXPECT_EQ(Structure.size(), 1u);
    EXPECT_TRUE(tree->HasState(tsSynchMode));
    tree->BeginSynch();
    tree->Change(NodeAt(tree, {0})); // synchronous mode: no delay
    EXPECT_EQ(Changes.size(), 2u);
    tree->EndSynch();
    EXPECT_TRUE(tree->HasState(tsSynchMode));
    tree->EndSynch();
    EXPECT_FALSE(tree->HasState(tsSynchMode));
    EXPECT_EQ(Updates, (std::vector<TVTUpdateState>{usBeginSynch, usSynch, usSynch, usEndSynch}));
}

TEST_F(LifeCycle, ClearOnAReadOnlyTreeDoesNothingButDestructionClearsIt) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(3);
    tree->GetTotalCount();
    tree->GetTreeOptions()->SetMiscOptions(tree->GetTreeOptions()->GetMiscOptions() + toReadOnly);
    int freed = 0;
    tree->OnFreeNode = [&](TBaseVirtualTree*, PVirtualNode) { ++freed; };
    tree->Clear();
    EXPECT_EQ(tree->GetRootNodeCount(), 3u);
    delete tree;
    EXPECT_EQ(freed, 3);
}

TEST_F(LifeCycle, ATreeWithAWindowCanBeDeletedOnItsOwn) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetRootNodeCount(3);
    HWND window = tree->GetHandle();
    delete tree;
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(LifeCycle, ClearForgetsEverythingAndEmptiesTheTree) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(4);
    tree->InternalAddToSelection(NodeAt(tree, {1}), false);
    tree->Clear();
    EXPECT_EQ(tree->GetRootNodeCount(), 0u);
    EXPECT_EQ(tree->GetVisibleCount(), 0u);
    EXPECT_EQ(tree->GetSelectedCount(), 0u);
    EXPECT_FALSE(tree->GetRootNode()->States.Contains(vsHasChildren));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(LifeCycle, ARootCountReadFromAStreamMakesNodesOnlyWhenLoaded) {
    TTestTree* tree = MakeTree();
    tree->Loading();
    tree->SetRootNodeCount(10);
    EXPECT_EQ(tree->GetRootNode()->FirstChild, nullptr);
    EXPECT_TRUE(tree->HasState(tsNeedRootCountUpdate));
    tree->Loaded();
    EXPECT_EQ(tree->GetRootNodeCount(), 10u);
    EXPECT_FALSE(tree->HasState(tsNeedRootCountUpdate));
    EXPECT_TRUE(TreeIsConsistent(tree));
}

TEST_F(LifeCycle, UpdateBracketsTurnRedrawOffAndOn) {
    TTestTree* tree = MakeWindowedTree();
    std::vector<WPARAM> redraw;
    tree->SetWindowProc([&, tree](TMessage& m) {
        if (m.Msg == WM_SETREDRAW) redraw.push_back(m.WParam);
        tree->WndProc(m);
    });
    tree->BeginUpdate();
    tree->BeginUpdate();
    tree->EndUpdate();
    tree->EndUpdate();
    EXPECT_EQ(redraw, (std::vector<WPARAM>{0, 1}));
}

// An event that raises in the middle of an operation that brackets its work:
// the bracket still closes, and the tree is whole.
struct TRaisingCase {
    const char* Name;
    std::function<void(TTestTree* tree, TTestTree* other)> Arm;
    std::function<void(TTestTree* tree, TTestTree* other)> Run;
};

TEST_F(LifeCycle, AnEventRaisingInsideABracketLeavesNoUpdateOpen) {
    auto fail = [] { throw Exception(u"refused"); };
    const TRaisingCase cases[] = {
        {"full expand",
         [&](TTestTree* t, TTestTree*) {
             t->OnExpanding = [&](TBaseVirtualTree*, PVirtualNode n, bool&) {
                 if (n->Index == 1) fail();
             };
         },
         [](TTestTree* t, TTestTree*) { t->FullExpand(); }},
        {"full collapse",
         [&](TTestTree* t, TTestTree*) {
             t->FullExpand();
             t->OnCollapsing = [&](TBaseVirtualTree*, PVirtualNode n, bool&) {
                 if (n->Index == 1) fail();
             };
         },
         [](TTestTree* t, TTestTree*) { t->FullCollapse(); }},
        {"copy into another tree",
         [&](TTestTree* t, TTestTree*) {
             t->OnNodeCopied = [&](TBaseVirtualTree*, PVirtualNode) { fail(); };
         },
         [](TTestTree* t, TTestTree* o) { t->CopyTo(NodeAt(t, {0}), o, amAddChildLast, false); }},
        {"move into another tree",
         [&](TTestTree* t, TTestTree*) {
             t->OnNodeMoved = [&](TBaseVirtualTree*, PVirtualNode) { fail(); };
         },
         [](TTestTree* t, TTestTree* o) { t->MoveTo(NodeAt(t, {2}), o, amAddChildLast, false); }},
        {"root count set inside the caller's own bracket",
         [&](TTestTree* t, TTestTree*) {
             t->OnStructureChange = [&](TBaseVirtualTree*, PVirtualNode, TChangeReason) { fail(); };
         },
         [](TTestTree* t, TTestTree*) {
             auto update = runpak::UpdateBracket(*t);
             t->SetRootNodeCount(5);
         }},
    };
    for (const TRaisingCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestTree* tree = MakeTree();
        TTestTree* other = MakeTree();
        for (TTestTree* t : {tree, other}) {
            t->OnInitNode = [](TBaseVirtualTree*, PVirtualNode parent, PVirtualNode,
                               TVirtualNodeInitStates& s) {
                if (!parent) s.Include(ivsHasChildren);
            };
            t->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& count) { count = 2; };
            t->SetRootNodeCount(3);
        }
        c.Arm(tree, other);
        EXPECT_THROW(c.Run(tree, other), Exception);
        for (TTestTree* t : {tree, other}) {
            EXPECT_EQ(t->GetUpdateCount(), 0);
            EXPECT_FALSE(t->HasState(tsUpdating));
            EXPECT_FALSE(t->HasState(tsExpanding));
            EXPECT_FALSE(t->HasState(tsCollapsing));
            EXPECT_TRUE(TreeIsConsistent(t));
            for (PVirtualNode n = t->GetFirstNoInit(); n; n = t->GetNextNoInit(n))
                EXPECT_FALSE(n->States.Contains(vsToggling));
        }
        delete tree;
        delete other;
    }
}

TEST_F(LifeCycle, ErrorsCarryTheirCodeAndMessage) {
    try {
        ShowVirtualTreeError(2004);
        FAIL();
    } catch (const EVirtualTreeError& e) {
        EXPECT_EQ(e.ErrorCode, 2004);
        EXPECT_EQ(e.GetMessage(),
                  UnicodeString(u"Unable to load tree structure, not enough data available."));
    }
}

} // namespace
