// The shell layer's own thread wrapper: a virtual Execute between two hooks,
// a wake-up event and a termination flag that Execute polls.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualUtilities.h"

#include <runpak/Object.h>
#include <runpak/Thread.h>

#include <atomic>
#include <cstdint>

class TVirtualThread : public TObject {
public:
    // Every user creates the thread suspended and resumes it later; without
    // CreateSuspended no thread is created.
    explicit TVirtualThread(bool CreateSuspended);
    // Ends the thread and waits for it before freeing anything; a thread that
    // has not begun to run by then never runs its hooks. A descendant calls
    // TerminateAndWait first in its own destructor, while its members (and
    // its Execute) still exist; the base can only stop a thread that is
    // already inside Execute or has not begun.
    ~TVirtualThread() override;
    TVirtualThread(const TVirtualThread&) = delete;
    TVirtualThread& operator=(const TVirtualThread&) = delete;

    void Resume() { SetSuspended(false); }
    // Sets the flag only: it neither wakes nor waits for the thread.
    void Terminate() { FTerminated = true; }
    // Terminate, wake (trigger event, resume) and join. Safe to call twice.
    void TerminateAndWait();

    int AddRef() { return ++FRefCount; }
    int Release() { return --FRefCount; } // reaching zero frees nothing

    HANDLE GetHandle() const { return FHandle; }
    DWORD GetThreadID() const { return FThreadID; }
    bool GetTerminated() const { return FTerminated; }
    bool GetSuspended() const { return FSuspended; }
    void SetSuspended(bool Value);
    bool GetFinished() const { return FFinished; }
    TThreadPriority GetPriority() const;
    void SetPriority(TThreadPriority Value);
    HANDLE GetTriggerEvent();
    void SetTriggerEvent();
    LPCRITICAL_SECTION GetLock();
    int GetRefCount() const { return FRefCount; }

    // The operating-system priority of each framework priority, in order.
    static int PriorityToOS(TThreadPriority Value);
    static TThreadPriority PriorityFromOS(int Value);

protected:
    virtual void Execute() = 0;
    virtual void FinalizeThread() {}
    virtual void InitializeThread() {}

private:
    DWORD ExecuteStub();

    HANDLE FHandle = nullptr;
    DWORD FThreadID = 0;
    TCallbackStub* FStub = nullptr;
    std::atomic<bool> FTerminated{false};
    bool FSuspended = false;
    std::atomic<bool> FFinished{false};
    HANDLE FEvent = nullptr;
    bool FCriticalSectionInitialized = false;
    CRITICAL_SECTION FLock{};
    std::atomic<int32_t> FRefCount{0};
    // 0 not begun, 1 running its hooks, 2 abandoned before it began.
    std::atomic<int> FRunState{0};
};

#pragma GCC visibility pop
