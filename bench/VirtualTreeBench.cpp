// The virtual tree on a million nodes: making them by count (flat, and as
// 1000 x 1000), expanding everything, finding the node at a vertical
// position with and without the position cache, and the memory per node.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <random>

namespace {

constexpr uint32_t kMillion = 1000000;

class TBenchTree : public TBaseVirtualTree {
public:
    explicit TBenchTree(TComponent* AOwner) : TBaseVirtualTree(AOwner) {}
    // Builds the cache on the calling thread and lets the tree use it.
    void BuildCache() {
        DoStateChange({}, {tsStopValidation});
        DoValidateCache();
        DoStateChange({tsUseCache});
    }
};

void MakeSquare(TBaseVirtualTree* tree) {
    tree->BeginUpdate();
    tree->SetRootNodeCount(1000);
    for (PVirtualNode n = tree->GetFirstNoInit(); n; n = n->NextSibling)
        tree->SetChildCount(n, 1000);
    tree->EndUpdate();
}

// Warm: the heap already holds the memory (a first build from fresh pages
// measures the system's page faults more than the tree).
void BM_RootNodeCount(benchmark::State& state) {
    TBenchTree tree(nullptr);
    tree.SetNodeDataSize(0);
    tree.SetRootNodeCount(kMillion);
    tree.Clear();
    for (auto _ : state) {
        tree.SetRootNodeCount(kMillion);
        state.PauseTiming();
        tree.Clear();
        state.ResumeTiming();
    }
    state.counters["nodes"] = kMillion;
}
BENCHMARK(BM_RootNodeCount)->Unit(benchmark::kMillisecond);

void BM_ChildCount1000x1000(benchmark::State& state) {
    TBenchTree tree(nullptr);
    tree.SetNodeDataSize(0);
    for (auto _ : state) {
        MakeSquare(&tree);
        state.PauseTiming();
        tree.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChildCount1000x1000)->Unit(benchmark::kMillisecond);

void BM_FullExpand1000x1000(benchmark::State& state) {
    TBenchTree tree(nullptr);
    tree.SetNodeDataSize(0);
    for (auto _ : state) {
        state.PauseTiming();
        tree.Clear();
        MakeSquare(&tree);
        state.ResumeTiming();
        tree.FullExpand();
    }
    state.counters["visible"] = tree.GetVisibleCount();
}
BENCHMARK(BM_FullExpand1000x1000)->Unit(benchmark::kMillisecond);

// Random rows of a flat million-node tree.
void NodeAt(benchmark::State& state, TBenchTree& tree, bool cached) {
    if (cached) tree.BuildCache();
    std::mt19937 rng(11);
    const uint32_t height = tree.GetContentHeight();
    PVirtualNode found = nullptr;
    for (auto _ : state) {
        int top = 0;
        found = tree.GetNodeAt(0, int(rng() % height), false, top);
        benchmark::DoNotOptimize(found);
    }
}

void BM_NodeAtFlat(benchmark::State& state) {
    TBenchTree tree(nullptr);
    tree.SetNodeDataSize(0);
    tree.SetRootNodeCount(kMillion);
    NodeAt(state, tree, state.range(0) != 0);
}
BENCHMARK(BM_NodeAtFlat)->ArgName("cache")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_NodeAtExpandedSquare(benchmark::State& state) {
    TBenchTree tree(nullptr);
    tree.SetNodeDataSize(0);
    MakeSquare(&tree);
    tree.FullExpand();
    NodeAt(state, tree, state.range(0) != 0);
}
BENCHMARK(BM_NodeAtExpandedSquare)->ArgName("cache")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Heap bytes per node, the node block and the allocator's overhead together.
void BM_MemoryPerNode(benchmark::State& state) {
    const int dataSize = int(state.range(0));
    double perNode = 0;
    for (auto _ : state) {
        TBenchTree tree(nullptr);
        tree.SetNodeDataSize(dataSize);
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        tree.SetRootNodeCount(kMillion);
        const size_t after = mallinfo2().uordblks;
        perNode = double(after - before) / kMillion;
    }
    state.counters["bytes_per_node"] = perNode;
    state.counters["besides_data"] = perNode - dataSize;
}
BENCHMARK(BM_MemoryPerNode)
    ->ArgName("data")
    ->Arg(0)
    ->Arg(8)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    InitializeQuorlpak();
    InitializeIDEVirtualTrees();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FinalizeIDEVirtualTrees();
    FinalizeQuorlpak();
    return 0;
}
