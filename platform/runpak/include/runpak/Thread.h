// TThread: a worker thread object over the layer's threads, and the hand-over
// of work from workers to the main thread (Synchronize, Queue, CheckSynchronize).
//
// Life of a thread object:
//   - TThread(true) makes the thread suspended; Start (or Resume) runs Execute.
//   - TThread(false) asks for a running thread. C++ cannot run code after the
//     most-derived constructor, and Execute must not start before it is done,
//     so a running thread starts in AfterConstruction(). Create it with
//     TThread::Create<TMyThread>(args...), which constructs and then calls
//     AfterConstruction(); `new TMyThread(false)` alone leaves it suspended.
//   - Freeing a thread that never ran ends its system thread without calling
//     Execute at all (Execute is never called once Terminated is set).
//   - Freeing a running thread sets Terminated and waits for it. Free such a
//     thread with FreeAndNil (or call TerminateAndWait in the derived class's
//     destructor): a plain `delete` waits only in ~TThread, after the derived
//     part, which Execute may still be using, has gone.
//   - With FreeOnTerminate the thread deletes itself after Execute (and after
//     OnTerminate); nobody else may free it or wait for it then.
//   - An exception escaping Execute ends the thread quietly; FatalException
//     holds it.
//
// The main thread is the one that called runpak::SetMainThread() or, until
// then, the first thread that created a TThread or called CheckSynchronize,
// Synchronize or Queue. The application object sets it explicitly.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Object.h>
#include <win32/windef.h>

#include <atomic>
#include <exception>
#include <functional>
#include <utility>

using TThreadMethod = std::function<void()>;
using TThreadProcedure = std::function<void()>;
using TNotifyEvent = std::function<void(TObject* sender)>;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject {
public:
    explicit TThread(bool createSuspended);
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Constructs a T and starts it unless it was created suspended.
    template <class T, class... Args> static T* Create(Args&&... args) {
        T* thread = new T(std::forward<Args>(args)...);
        thread->AfterConstruction();
        return thread;
    }
    // A self-freeing, suspended thread that runs proc; Start it.
    static TThread* CreateAnonymousThread(TThreadProcedure proc);

    // Starts a thread constructed with createSuspended = false.
    void AfterConstruction();
    // Terminates and waits while the object is still whole (FreeAndNil calls it).
    void BeforeDestruction() override;

    // Runs a thread that has not run yet; EThread for any other thread.
    void Start();
    // The older pair: Resume counts a suspension down and runs the thread when
    // the count reaches zero. Suspend works on a thread that has not run yet
    // and on the calling thread itself (it sleeps until resumed); suspending
    // another running thread raises EThread, as the layer cannot stop it.
    void Resume();
    void Suspend();
    // Asks Execute to stop: sets Terminated, which Execute polls.
    void Terminate();
    // Waits until the thread has ended and answers its ReturnValue. On the
    // main thread the wait keeps running Synchronize and Queue work, so a
    // worker that synchronizes while the main thread waits does not deadlock.
    // Raises EThread for an external thread, for the thread itself and for a
    // thread that was never started (it would wait for ever).
    unsigned WaitFor();
    // Terminate, then WaitFor, as freeing does; harmless when already ended.
    void TerminateAndWait();

    bool GetTerminated() const { return FTerminated; }
    bool GetFinished() const { return FFinished; }
    bool GetStarted() const { return FStarted; }
    bool GetSuspended() const { return FSuspended; }
    void SetSuspended(bool value);
    bool GetFreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
    // Recorded by the layer; the scheduler is not changed.
    TThreadPriority GetPriority() const;
    void SetPriority(TThreadPriority value);
    HANDLE GetHandle() const { return FHandle; }
    DWORD GetThreadID() const { return FThreadID; }
    int GetReturnValue() const { return FReturnValue; }
    // The exception that escaped Execute (or OnTerminate), or null.
    std::exception_ptr GetFatalException() const { return FFatalException; }
    // True for the objects CurrentThread makes for threads TThread did not start.
    bool GetExternalThread() const { return FExternalThread; }

    // Fired after Execute, on the main thread (through Synchronize).
    TNotifyEvent OnTerminate;

    // --- Hand-over to the main thread ------------------------------------
    // Runs method on the main thread and waits until it has run there; an
    // exception it raises comes back to the caller. On the main thread the
    // method runs at once.
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    static void Synchronize(TThread* thread, const TThreadMethod& method);
    // Hands method to the main thread and returns at once; methods run in the
    // order they were queued (together with synchronized ones). On the main
    // thread the method runs at once.
    void Queue(TThreadMethod method) { Queue(this, std::move(method)); }
    static void Queue(TThread* thread, TThreadMethod method);
    // Drops the queued methods of thread (all unattributed ones for null).
    // Freeing a thread drops its own, so none of them outlives it.
    static void RemoveQueuedEvents(TThread* thread);

    // --- The calling thread ----------------------------------------------
    // The TThread running the caller, or an external thread object for
    // threads that TThread did not start (made on first use, freed when the
    // thread ends; its Handle is null).
    static TThread* CurrentThread();
    // Terminated of the current thread.
    static bool CheckTerminated();
    static void Sleep(int milliseconds);
    static void Yield();
    // No debugger sees our threads' names; accepted and ignored.
    static void NameThreadForDebugging(const UnicodeString& name, DWORD threadId = DWORD(-1)) {}

protected:
    virtual void Execute() = 0;
    // Fires OnTerminate through Synchronize when it is assigned.
    virtual void DoTerminate();
    void SetReturnValue(int value) { FReturnValue = value; }

private:
    struct ExternalTag {};
    explicit TThread(ExternalTag);
    class TExternalThread;
    static DWORD ThreadProc(void* parameter);
    [[noreturn]] static void RaiseThreadError(DWORD code);

    HANDLE FHandle = nullptr;
    DWORD FThreadID = 0;
    bool FCreateSuspended = false;
    bool FExternalThread = false;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FStarted{false};
    std::atomic<bool> FSuspended{false};
    std::atomic<bool> FFreeOnTerminate{false};
    std::atomic<int> FReturnValue{0};
    std::exception_ptr FFatalException;
};

// Runs the work that workers handed to the main thread, in order. Waits up to
// timeout milliseconds (on the layer's clock; INFINITE allowed) for work when
// there is none. Answers true when it ran something. Only the main thread may
// call it (EThread otherwise). An exception from a queued method propagates;
// the methods after it stay queued for the next call.
bool CheckSynchronize(unsigned timeout = 0);

namespace runpak {

// Makes the calling thread the main thread.
void SetMainThread();
DWORD MainThreadID();
// Called (on the worker) whenever work is handed to the main thread, so that
// a main loop sleeping in its message wait notices: the application posts a
// message to its main window here. An empty function removes the hook.
void SetWakeMainThread(std::function<void()> hook);
// An auto-reset event set whenever work is handed to the main thread; a main
// loop may wait for it beside its messages.
HANDLE SyncEvent();

} // namespace runpak

#pragma GCC visibility pop
