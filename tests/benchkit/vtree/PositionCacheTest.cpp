// The position cache around its step (CacheThreshold nodes), finding nodes by position
// with and without it, and the shared worker thread that builds it.
#include "VirtualTreeTestSupport.h"

#include "benchkit/vtree/VirtualTreeWorker.h"

#include <chrono>
#include <functional>
#include <thread>

namespace {

class PositionCache : public VirtualTreeTest {
protected:
    // Builds the cache on this thread, as the worker would.
    static bool Validate(TTestTree* tree) {
        tree->DoStateChange({}, {tsStopValidation});
        return tree->DoValidateCache();
    }
    // The visible ordinal of every cache entry.
    static std::vector<uint32_t> EntryOrdinals(TTestTree* tree) {
        std::vector<uint32_t> out;
        for (const TCacheEntry& e : tree->GetPositionCache()) {
            uint32_t ordinal = 0;
            for (PVirtualNode n = tree->GetFirstVisibleNoInit(); n && n != e.Node;
                 n = tree->GetNextVisibleNoInit(n))
                ++ordinal;
            out.push_back(ordinal);
        }
        return out;
    }
    // Hands sent and posted messages out until done() holds; the worker is a
    // real thread, so this waits for it, but never longer than a bound.
    static bool PumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::yield();
        }
        return true;
    }
    // The node at content position Y by walking every visible row.
    static PVirtualNode NodeAtByWalking(TTestTree* tree, uint32_t y, uint32_t& top) {
        top = 0;
        for (PVirtualNode n = tree->GetFirstVisibleNoInit(); n; n = tree->GetNextVisibleNoInit(n)) {
            if (y < top + n->NodeHeight) return n;
            top += n->NodeHeight;
        }
        return nullptr;
    }
};

struct TCacheCase {
    uint32_t Visible;
    std::vector<uint32_t> Ordinals;
};

constexpr uint32_t T = CacheThreshold;

class CacheSize : public PositionCache, public testing::WithParamInterface<TCacheCase> {};

TEST_P(CacheSize, HoldsEveryStepthVisibleNode) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(GetParam().Visible);
    const bool built = Validate(tree);
    EXPECT_EQ(built, !GetParam().Ordinals.empty());
    EXPECT_EQ(EntryOrdinals(tree), GetParam().Ordinals);
    for (const TCacheEntry& e : tree->GetPositionCache())
        EXPECT_EQ(e.AbsoluteTop, e.Node->Index * 18u);
}

INSTANTIATE_TEST_SUITE_P(AroundTheStep, CacheSize,
                         testing::Values(TCacheCase{1, {}}, TCacheCase{T / 2, {}},
                                         TCacheCase{T, {}}, TCacheCase{T + 1, {0, T}},
                                         TCacheCase{2 * T, {0, T}},
                                         TCacheCase{2 * T + 1, {0, T, 2 * T}},
                                         TCacheCase{2 * T + T / 4, {0, T, 2 * T}}),
                         [](const testing::TestParamInfo<TCacheCase>& info) {
                             return "Visible" + std::to_string(info.param.Visible);
                         });

TEST_F(PositionCache, ShrinkingBelowTheStepEmptiesTheCache) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2 * T + T / 2);
    ASSERT_TRUE(Validate(tree));
    EXPECT_EQ(tree->CalculateCacheEntryCount(), 3u);
    tree->SetRootNodeCount(T / 2);
    EXPECT_FALSE(tree->HasState(tsUseCache));
    EXPECT_FALSE(Validate(tree));
    EXPECT_TRUE(tree->GetPositionCache().empty());
}

TEST_F(PositionCache, AStoppedValidationBuildsNothing) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(5000);
    tree->DoStateChange({tsStopValidation});
    EXPECT_FALSE(tree->DoValidateCache());
}

// A tree of folders with hidden rows and rows of other heights.
TEST_F(PositionCache, FindingByPositionGivesTheSameWithAndWithoutTheCache) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(900);
    PVirtualNode folder = NodeAt(tree, {0});
    for (uint32_t i = 0; i < 900; ++i, folder = folder->NextSibling) {
        if (i % 3) continue;
        tree->SetChildCount(folder, 30);
        if (i % 2 == 0) tree->SetExpanded(folder, true);
        tree->SetNodeHeight(folder->FirstChild, 30);
        tree->SetVisible(folder->FirstChild->NextSibling, false);
    }
    tree->SetVisible(NodeAt(tree, {7}), false);
    ASSERT_GT(tree->GetVisibleCount(), 2u * CacheThreshold);
    ASSERT_TRUE(TreeIsConsistent(tree));
    const uint32_t height = tree->GetContentHeight();

    std::vector<std::pair<PVirtualNode, int>> walked;
    for (uint32_t y = 0; y < height + 40; y += 13) {
        int top = -1;
        PVirtualNode node = tree->GetNodeAt(0, int(y), false, top);
        uint32_t expectedTop = 0;
        PVirtualNode expected = NodeAtByWalking(tree, y, expectedTop);
        ASSERT_EQ(node, expected) << "y " << y;
        if (node) {
            EXPECT_EQ(uint32_t(top), expectedTop) << "y " << y;
        }
        walked.push_back({node, top});
    }
    ASSERT_TRUE(Validate(tree));
    tree->DoStateChange({tsUseCache});
    size_t k = 0;
    for (uint32_t y = 0; y < height + 40; y += 13, ++k) {
        int top = -1;
        PVirtualNode node = tree->GetNodeAt(0, int(y), false, top);
        ASSERT_EQ(node, walked[k].first) << "y " << y;
        if (node) {
            EXPECT_EQ(top, walked[k].second) << "y " << y;
        }
    }
}

TEST_F(PositionCache, FindsTheEntryAtOrBeforeANodeOrPosition) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(2 * T + T / 4);
    ASSERT_TRUE(Validate(tree));
    uint32_t pos = 0;
    EXPECT_EQ(tree->FindInPositionCache(uint32_t(T * 18 - 1), pos), NodeAt(tree, {0}));
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(tree->FindInPositionCache(uint32_t(T * 18), pos), NodeAt(tree, {T}));
    EXPECT_EQ(pos, T * 18u);
    EXPECT_EQ(tree->FindInPositionCache(uint32_t(1u << 30), pos), NodeAt(tree, {2 * T}));
    EXPECT_EQ(tree->FindInPositionCache(NodeAt(tree, {2 * T - 1}), pos), NodeAt(tree, {T}));
    EXPECT_EQ(tree->FindInPositionCache(NodeAt(tree, {2 * T}), pos), NodeAt(tree, {2 * T}));
    EXPECT_EQ(pos, 2 * T * 18u);
}

TEST_F(PositionCache, NodePositionsCompareInDocumentOrder) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(3);
    tree->SetChildCount(NodeAt(tree, {0}), 2);
    tree->SetChildCount(NodeAt(tree, {0, 1}), 2);
    PVirtualNode a = NodeAt(tree, {0});
    PVirtualNode a11 = NodeAt(tree, {0, 1, 1});
    PVirtualNode c = NodeAt(tree, {2});
    EXPECT_EQ(TBaseVirtualTree::CompareNodePositions(a, a), 0);
    EXPECT_EQ(TBaseVirtualTree::CompareNodePositions(a11, a), 1);
    EXPECT_EQ(TBaseVirtualTree::CompareNodePositions(a, a11), -1);
    EXPECT_LT(TBaseVirtualTree::CompareNodePositions(a11, c), 0);
    EXPECT_GT(TBaseVirtualTree::CompareNodePositions(c, NodeAt(tree, {0, 0})), 0);
    EXPECT_EQ(TBaseVirtualTree::CountLevelDifference(a, a11), 2);
}

TEST_F(PositionCache, TheTemporaryNodeCacheGrowsByATenth) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(tree->InternalCacheNode(NodeAt(tree, {0})), uint32_t(i));
    EXPECT_EQ(tree->FTempNodeCache.size(), 100u);
    tree->InternalCacheNode(NodeAt(tree, {0}));
    EXPECT_EQ(tree->FTempNodeCache.size(), 110u);
}

// --- The worker thread ---------------------------------------------------------------------

TEST_F(PositionCache, TheWorkerBuildsTheCacheAndTheTreeUsesIt) {
    StartVirtualTreeWorkerThread();
    TTestTree* tree = MakeWindowedTree();
    std::vector<bool> seenValidating;
    tree->OnStateChange = [&](TBaseVirtualTree*, TVirtualTreeStates enter, TVirtualTreeStates) {
        if (enter.Contains(tsValidating)) seenValidating.push_back(true);
    };
    tree->SetRootNodeCount(5000);
    ASSERT_TRUE(PumpUntil([&] { return tree->HasState(tsUseCache); }));
    EXPECT_FALSE(seenValidating.empty());
    EXPECT_FALSE(tree->HasState(tsValidating));
    EXPECT_FALSE(tree->HasState(tsValidationNeeded));
    EXPECT_EQ(tree->GetPositionCache().size(), (5000u + T - 1) / T);
    int top = 0;
    EXPECT_EQ(tree->GetNodeAt(0, 4321 * 18 + 5, false, top), NodeAt(tree, {4321}));
    EXPECT_EQ(top, 4321 * 18);
    // A change drops the cache until the worker has built it again.
    tree->SetNodeHeight(NodeAt(tree, {10}), 40);
    EXPECT_FALSE(tree->HasState(tsUseCache));
    ASSERT_TRUE(PumpUntil([&] { return tree->HasState(tsUseCache); }));
    EXPECT_EQ(tree->GetNodeAt(0, 4321 * 18 + 5 + 22, false, top), NodeAt(tree, {4321}));
    tree->OnStateChange = nullptr; // its locals end here
}

// The worker holds the tree and waits in its first state message; the GUI
// thread interrupts, which must hand that message out to let the worker go.
TEST_F(PositionCache, AValidationInterruptedFromTheGuiThreadLetsGoOfTheTree) {
    StartVirtualTreeWorkerThread();
    TTestTree* tree = MakeWindowedTree();
    tree->BeginUpdate();
    tree->SetRootNodeCount(5000);
    tree->EndUpdate(); // queues the tree; nothing is pumped from here on
    vtree::TWorkerThread* worker = vtree::Worker();
    ASSERT_NE(worker, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (worker->CurrentTree() != tree && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(worker->CurrentTree(), tree);

    tree->InterruptValidation();
    EXPECT_NE(worker->CurrentTree(), tree);
    EXPECT_FALSE(worker->IsQueued(tree));
    EXPECT_FALSE(tree->HasState(tsValidating));
    EXPECT_FALSE(tree->HasState(tsUseCache));
    EXPECT_TRUE(tree->HasState(tsValidationNeeded));

    tree->ValidateCache();
    ASSERT_TRUE(PumpUntil([&] { return tree->HasState(tsUseCache); }));
    EXPECT_EQ(tree->GetPositionCache().size(), (5000u + T - 1) / T);
}

// Once the worker's result is applied the tree is its own again: code that
// runs right then (painting initialises rows) must neither wait for the
// worker nor take the finished cache for an interrupted one and drop it.
TEST_F(PositionCache, AFinishedValidationLetsGoOfTheTreeAsItsResultIsApplied) {
    StartVirtualTreeWorkerThread();
    TTestTree* tree = MakeWindowedTree();
    vtree::TWorkerThread* worker = vtree::Worker();
    ASSERT_NE(worker, nullptr);
    for (int round = 0; round < 20; ++round) {
        tree->SetRootNodeCount(5000 + round);
        // Only the worker's messages: nothing else may touch the tree meanwhile.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!tree->HasState(tsUseCache) && std::chrono::steady_clock::now() < deadline) {
            MSG msg;
            if (HWND window = tree->GetHandle();
                PeekMessageW(&msg, window, WM_TREESTATES, WM_TREESTATES, PM_REMOVE))
                DispatchMessageW(&msg);
            std::this_thread::yield();
        }
        ASSERT_TRUE(tree->HasState(tsUseCache)) << "round " << round;
        EXPECT_FALSE(vtree::WorkerHolds(tree)) << "round " << round;
        tree->InitNode(NodeAt(tree, {uint32_t(round)}));
        EXPECT_TRUE(tree->HasState(tsUseCache)) << "round " << round;
        EXPECT_FALSE(tree->HasState(tsValidationNeeded)) << "round " << round;
        EXPECT_FALSE(tree->HasState(tsStopValidation)) << "round " << round;
    }
}

TEST_F(PositionCache, InterruptingATreeThatIsOnlyQueuedReturnsAtOnce) {
    TTestTree* tree = MakeWindowedTree(); // the worker never runs in this test
    tree->SetRootNodeCount(5000);
    vtree::TWorkerThread* worker = vtree::Worker();
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(worker->IsQueued(tree));
    tree->InterruptValidation();
    EXPECT_FALSE(worker->IsQueued(tree));
    EXPECT_TRUE(tree->HasState(tsStopValidation));
    EXPECT_FALSE(tree->HasState(tsUseCache));
}

// Changing the tree from inside the worker's own state message must neither
// wait for the worker (which waits for this message) nor let it read a tree
// that is being changed.
TEST_F(PositionCache, ChangingTheTreeFromAStateEventOfTheWorkerDoesNotHang) {
    StartVirtualTreeWorkerThread();
    TTestTree* tree = MakeWindowedTree();
    int changes = 0;
    tree->OnStateChange = [&](TBaseVirtualTree* t, TVirtualTreeStates enter, TVirtualTreeStates) {
        if (enter.Contains(tsValidating) && changes < 3) {
            ++changes;
            t->AddChild(nullptr);
        }
    };
    tree->SetRootNodeCount(5000);
    ASSERT_TRUE(PumpUntil([&] { return changes == 3 && tree->HasState(tsUseCache); }));
    EXPECT_EQ(tree->GetRootNodeCount(), 5003u);
    EXPECT_EQ(tree->GetPositionCache().size(), (5000u + T - 1) / T);
    EXPECT_TRUE(TreeIsConsistent(tree));
    tree->OnStateChange = nullptr; // its locals end here
}

TEST_F(PositionCache, TheLastTreeEndsAWorkerThatNeverRan) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetRootNodeCount(5000);
    ASSERT_NE(vtree::Worker(), nullptr);
    EXPECT_FALSE(vtree::Worker()->GetStarted());
    delete tree->GetParent();
    EXPECT_EQ(vtree::Worker(), nullptr);
}

TEST_F(PositionCache, AWindowlessTreeIsNotQueued) {
    StartVirtualTreeWorkerThread();
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(5000);
    EXPECT_FALSE(vtree::Worker()->IsQueued(tree));
    EXPECT_TRUE(tree->HasState(tsValidationNeeded));
}

} // namespace
