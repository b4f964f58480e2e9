// The one worker thread that validates the position caches of all trees of
// the process. Trees queue themselves; the worker takes them one at a time
// and reports the cache states back to the tree's window with the
// synchronous WM_TREESTATES, which the GUI thread applies.
//
// Internal to the tree unit (and its tests).
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Thread.h>

#include <atomic>
#include <deque>
#include <mutex>

class TBaseVirtualTree;

namespace vtree {

class TWorkerThread : public TThread {
public:
    TWorkerThread();
    ~TWorkerThread() override;

    // Queues Tree (once) and wakes the worker.
    void AddTree(TBaseVirtualTree* Tree);
    // Takes Tree out of the queue and waits until the worker has let go of it.
    void RemoveTree(TBaseVirtualTree* Tree, bool Wait = true);
    bool IsQueued(TBaseVirtualTree* Tree);
    TBaseVirtualTree* CurrentTree() const { return FCurrentTree.load(); }
    // The GUI thread has applied the worker's last state message for Tree:
    // the worker reads it no more, so nobody needs to wait for it.
    void LetGo(TBaseVirtualTree* Tree);
    // Ends Execute: sets Terminated and wakes the thread.
    void Stop();

protected:
    void Execute() override;

private:
    void SendStateChange(TBaseVirtualTree* Tree, unsigned Enter, unsigned Leave);
    void WaitWhileValidating(TBaseVirtualTree* Tree);

    std::mutex FLock;
    std::deque<TBaseVirtualTree*> FWaiterList;
    std::atomic<TBaseVirtualTree*> FCurrentTree{nullptr};
    HANDLE FEvent = nullptr;
};

// The worker of the process, or null while no tree exists.
TWorkerThread* Worker();
// Each tree acquires the worker in its constructor and releases it in its
// destructor; the last release ends the worker.
void AcquireWorker();
void ReleaseWorker(TBaseVirtualTree* Tree);
// Whether the worker has Tree queued or is validating it: only then must the
// GUI thread wait before it touches what the worker reads.
bool WorkerHolds(TBaseVirtualTree* Tree);
// Forgets a request to start the worker (unit shut-down).
void ResetWorkerStart();

} // namespace vtree

#pragma GCC visibility pop
