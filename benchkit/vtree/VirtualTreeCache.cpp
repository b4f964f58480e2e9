// The position cache (one entry per 2000 visible nodes) and the worker
// thread that rebuilds it for every tree of the process.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include "benchkit/vtree/VirtualTreeWorker.h"

#include <runpak/Strings.h>
#include <win32/windows.h>

#include <algorithm>
#include <thread>

namespace vtree {

namespace {

std::mutex& WorkerLock() {
    static std::mutex lock;
    return lock;
}
std::atomic<TWorkerThread*> TheWorker{nullptr};
int WorkerRefCount = 0;
bool StartRequested = false;

} // namespace

TWorkerThread::TWorkerThread() : TThread(true) {
    FEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!FEvent) {
        EOSError error(SysErrorMessage(GetLastError()));
        error.ErrorCode = GetLastError();
        throw error;
    }
}

TWorkerThread::~TWorkerThread() {
    Stop();
    if (GetStarted()) TerminateAndWait();
    if (FEvent) CloseHandle(FEvent);
}

void TWorkerThread::Stop() {
    Terminate();
    if (FEvent) SetEvent(FEvent);
}

void TWorkerThread::AddTree(TBaseVirtualTree* Tree) {
    Tree->DoStateChange({}, {tsStopValidation});
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (std::find(FWaiterList.begin(), FWaiterList.end(), Tree) == FWaiterList.end()) {
            FWaiterList.push_back(Tree);
            Tree->FWorkerQueued.store(true);
        }
    }
    SetEvent(FEvent);
}

bool TWorkerThread::IsQueued(TBaseVirtualTree* Tree) {
    std::lock_guard<std::mutex> guard(FLock);
    return std::find(FWaiterList.begin(), FWaiterList.end(), Tree) != FWaiterList.end();
}

void TWorkerThread::RemoveTree(TBaseVirtualTree* Tree, bool Wait) {
    {
        std::lock_guard<std::mutex> guard(FLock);
        FWaiterList.erase(std::remove(FWaiterList.begin(), FWaiterList.end(), Tree),
                          FWaiterList.end());
        Tree->FWorkerQueued.store(false);
    }
    if (Wait) WaitWhileValidating(Tree);
}

void TWorkerThread::WaitWhileValidating(TBaseVirtualTree* Tree) {
    // The worker is blocked in its synchronous state message until this
    // thread handles it; pumping that message is what lets it finish.
    while (FCurrentTree.load() == Tree) {
        HWND window = Tree->FWorkerWindow.load();
        MSG msg;
        if (window && PeekMessageW(&msg, window, WM_TREESTATES, WM_TREESTATES, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        std::this_thread::yield();
    }
}

void TWorkerThread::LetGo(TBaseVirtualTree* Tree) {
    TBaseVirtualTree* expected = Tree;
    FCurrentTree.compare_exchange_strong(expected, nullptr);
}

void TWorkerThread::SendStateChange(TBaseVirtualTree* Tree, unsigned Enter, unsigned Leave) {
    if (HWND window = Tree->FWorkerWindow.load())
        SendMessageW(window, WM_TREESTATES, WPARAM(Enter), LPARAM(Leave));
}

void TWorkerThread::Execute() {
    NameThreadForDebugging(u"Arborix Worker Thread");
    const unsigned validating = 1u << csValidating;
    const unsigned useCache = 1u << csUseCache;
    const unsigned stop = 1u << csStopValidation;
    const unsigned needed = 1u << csValidationNeeded;
    while (!GetTerminated()) {
        WaitForSingleObject(FEvent, INFINITE);
        if (GetTerminated()) break;
        TBaseVirtualTree* tree = nullptr;
        {
            std::lock_guard<std::mutex> guard(FLock);
            if (!FWaiterList.empty()) {
                tree = FWaiterList.front();
                FWaiterList.pop_front();
                // Current before unqueued: the GUI thread never sees neither.
                FCurrentTree.store(tree);
                tree->FWorkerQueued.store(false);
                if (!FWaiterList.empty()) SetEvent(FEvent);
            }
        }
        if (!tree) continue;
        SendStateChange(tree, validating, useCache);
        bool valid = false;
        if (!tree->HasState(tsStopValidation)) valid = tree->DoValidateCache();
        if (valid)
            SendStateChange(tree, useCache, stop | validating | needed);
        else
            SendStateChange(tree, 0, stop | validating);
        // Usually done already by the GUI thread as it applied the last message.
        LetGo(tree);
    }
}

TWorkerThread* Worker() {
    return TheWorker.load();
}

void AcquireWorker() {
    std::lock_guard<std::mutex> guard(WorkerLock());
    if (!TheWorker.load()) {
        auto* worker = new TWorkerThread();
        TheWorker.store(worker);
        if (StartRequested) worker->Start();
    }
    ++WorkerRefCount;
}

void ReleaseWorker(TBaseVirtualTree* Tree) {
    TWorkerThread* doomed = nullptr;
    {
        std::lock_guard<std::mutex> guard(WorkerLock());
        if (!TheWorker.load()) return;
        --WorkerRefCount;
        if (WorkerRefCount > 0) {
            doomed = nullptr;
        } else {
            doomed = TheWorker.load();
        }
    }
    Tree->InterruptValidation();
    if (!doomed) return;
    TheWorker.store(nullptr);
    doomed->Stop();
    delete doomed;
}

bool WorkerHolds(TBaseVirtualTree* Tree) {
    TWorkerThread* worker = TheWorker.load();
    if (!worker) return false;
    return Tree->FWorkerQueued.load() || worker->CurrentTree() == Tree;
}

void ResetWorkerStart() {
    std::lock_guard<std::mutex> guard(WorkerLock());
    StartRequested = false;
}

} // namespace vtree

extern "C" void StartVirtualTreeWorkerThread() {
    std::lock_guard<std::mutex> guard(vtree::WorkerLock());
    vtree::StartRequested = true;
    if (vtree::TWorkerThread* worker = vtree::TheWorker.load())
        if (!worker->GetStarted()) worker->Start();
}

// --- The tree's side ---------------------------------------------------------------------

void TBaseVirtualTree::InvalidateCache() {
    DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TBaseVirtualTree::InterruptValidation() {
    DoStateChange({tsStopValidation}, {tsUseCache});
    vtree::TWorkerThread* worker = vtree::Worker();
    if (!worker || !vtree::WorkerHolds(this)) return;
    const bool wasValidating = HasState(tsValidating);
    // Inside the worker's own state message the worker is blocked in its
    // send and reads nothing; waiting for it here would never end.
    const bool wait = FTreeStatesDepth == 0;
    // Messages handled while waiting may queue the tree again: wait until
    // the worker holds it no more.
    do {
        worker->RemoveTree(this, wait);
    } while (wait && vtree::WorkerHolds(this));
    if (wasValidating) DoStateChange({tsValidationNeeded});
}

void TBaseVirtualTree::ValidateCache() {
    // A cache that is complete and wanted by no change stays in use: asking
    // for validation again must not leave the tree without it.
    const bool complete = HasState(tsUseCache) && !HasState(tsValidationNeeded);
    InterruptValidation();
    FStartIndex = 0;
    if (!HasState(tsValidationNeeded)) {
        if (complete) DoStateChange({tsUseCache}, {tsStopValidation});
        return;
    }
    // Only a tree with a window can hear the worker's answer.
    if (!FWorkerWindow.load()) return;
    if (FTreeStatesDepth > 0) {
        FDeferredValidation = true;
        return;
    }
    if (vtree::TWorkerThread* worker = vtree::Worker()) worker->AddTree(this);
}

uint32_t TBaseVirtualTree::CalculateCacheEntryCount() const {
    if (FVisibleCount < 2) return 0;
    return (FVisibleCount + CacheThreshold - 1) / CacheThreshold;
}

bool TBaseVirtualTree::DoValidateCache() {
    uint32_t count = 0;
    auto stopped = [this] { return HasState(tsStopValidation); };
    if (!stopped()) {
        if (FStartIndex == 0) FPositionCache.clear();
        if (FVisibleCount > CacheThreshold) {
            const uint32_t size = CalculateCacheEntryCount();
            FPositionCache.resize(size);
            if (FStartIndex > size) FStartIndex = size;
            uint32_t i = 0;
            uint32_t position = 0;
            PVirtualNode node;
            if (FStartIndex > 0 && FPositionCache[FStartIndex - 1].Node) {
                i = FStartIndex - 1;
                node = FPositionCache[i].Node;
                position = FPositionCache[i].AbsoluteTop;
            } else {
                node = GetFirstVisibleNoInit();
            }
            // Stored heights only: measuring would run application code here.
            while (node && !stopped()) {
                if (count % CacheThreshold == 0) {
                    FPositionCache[i] = {node, position};
                    ++i;
                }
                position += node->NodeHeight;
                PVirtualNode next = GetNextVisibleNoInit(node);
                if (!next || i == FPositionCache.size()) break;
                node = next;
                ++count;
            }
            if (!stopped() && FPositionCache.size() > i) {
                FPositionCache.resize(i + 1);
                FPositionCache[i] = {node, position};
            }
        }
    }
    return count > 0 && !stopped();
}

namespace {

bool IsRootNode(PVirtualNode Node) {
    return Node->NextSibling == Node;
}

uint32_t LevelOf(PVirtualNode Node) {
    uint32_t level = 0;
    while (!IsRootNode(Node)) {
        Node = Node->Parent;
        ++level;
    }
    return level;
}

bool IsAncestor(PVirtualNode Node, PVirtualNode Potential) {
    for (PVirtualNode run = Node->Parent; !IsRootNode(run); run = run->Parent)
        if (run == Potential) return true;
    return false;
}

} // namespace

int TBaseVirtualTree::CountLevelDifference(PVirtualNode Node1, PVirtualNode Node2) {
    return int(LevelOf(Node2)) - int(LevelOf(Node1));
}

int TBaseVirtualTree::CompareNodePositions(PVirtualNode Node1, PVirtualNode Node2) {
    if (Node1 == Node2) return 0;
    if (IsAncestor(Node1, Node2)) return 1;
    if (IsAncestor(Node2, Node1)) return -1;
    int diff = CountLevelDifference(Node1, Node2);
    for (; diff > 0; --diff)
        Node2 = Node2->Parent;
    for (; diff < 0; ++diff)
        Node1 = Node1->Parent;
    while (Node1->Parent != Node2->Parent) {
        Node1 = Node1->Parent;
        Node2 = Node2->Parent;
    }
    return Node1->Index < Node2->Index ? -1 : (Node1->Index > Node2->Index ? 1 : 0);
}

PVirtualNode TBaseVirtualTree::FindInPositionCache(uint32_t Position, uint32_t& CurrentPos) const {
    if (FPositionCache.empty()) {
        CurrentPos = 0;
        return nullptr;
    }
    // The last entry whose top is not below Position.
    auto it =
        std::upper_bound(FPositionCache.begin(), FPositionCache.end(), Position,
                         [](uint32_t pos, const TCacheEntry& e) { return pos < e.AbsoluteTop; });
    if (it != FPositionCache.begin()) --it;
    CurrentPos = it->AbsoluteTop;
    return it->Node;
}

PVirtualNode TBaseVirtualTree::FindInPositionCache(PVirtualNode Node, uint32_t& CurrentPos) const {
    if (FPositionCache.empty()) {
        CurrentPos = 0;
        return nullptr;
    }
    size_t low = 0;
    size_t high = FPositionCache.size();
    while (high - low > 1) {
        const size_t mid = (low + high) / 2;
        if (CompareNodePositions(FPositionCache[mid].Node, Node) <= 0)
            low = mid;
        else
            high = mid;
    }
    CurrentPos = FPositionCache[low].AbsoluteTop;
    return FPositionCache[low].Node;
}

uint32_t TBaseVirtualTree::InternalCacheNode(PVirtualNode Node) {
    if (FTempNodeCount == FTempNodeCache.size()) {
        const size_t grown =
            FTempNodeCache.empty()
                ? 100
                : std::max<size_t>(100, FTempNodeCache.size() + FTempNodeCache.size() / 10);
        FTempNodeCache.resize(grown);
    }
    FTempNodeCache[FTempNodeCount] = Node;
    return FTempNodeCount++;
}

void TBaseVirtualTree::ClearTempCache() {
    FTempNodeCache.clear();
    FTempNodeCount = 0;
}

PVirtualNode TBaseVirtualTree::GetNodeAt(int X, int Y) {
    int top = 0;
    return GetNodeAt(X, Y, true, top);
}

PVirtualNode TBaseVirtualTree::GetNodeAt(int X, int Y, bool Relative, int& NodeTop) {
    if (Y < 0) Y = 0;
    int64_t absolute = Relative ? int64_t(Y) - FOffsetY : Y;
    if (absolute < 0) absolute = 0;
    const uint32_t position = uint32_t(std::min<int64_t>(absolute, UINT32_MAX));
    uint32_t current = 0;
    PVirtualNode run = nullptr;
    if (HasState(tsUseCache)) run = FindInPositionCache(position, current);
    if (!run) {
        run = GetFirstVisibleNoInit();
        current = 0;
    }
    PVirtualNode result = nullptr;
    while (run && run != FRoot) {
        const bool visible = run->States.Contains(vsVisible);
        if (visible && position < uint64_t(current) + run->TotalHeight) {
            if (position < uint64_t(current) + run->NodeHeight || !run->FirstChild ||
                !run->States.Contains(vsExpanded)) {
                result = run;
                break;
            }
            current += run->NodeHeight;
            run = run->FirstChild;
            continue;
        }
        if (visible) current += run->TotalHeight;
        while (run != FRoot && !run->NextSibling)
            run = run->Parent;
        if (run == FRoot) break;
        run = run->NextSibling;
    }
    NodeTop = Relative ? int(int64_t(current) + FOffsetY) : int(current);
    return result;
}
