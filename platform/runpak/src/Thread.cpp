// TThread's life: the system thread behind it, starting, suspending,
// terminating, waiting and freeing.
#include <runpak/Thread.h>

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>
#include <win32/winbase.h>

#include <memory>

namespace {

// The TThread running on the calling thread (null until CurrentThread asks
// for a thread TThread did not start).
TThread*& CurrentSlot() {
    thread_local TThread* current = nullptr;
    return current;
}

const int priorityValues[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                              THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                              THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                              THREAD_PRIORITY_TIME_CRITICAL};

class TAnonymousThread : public TThread {
public:
    explicit TAnonymousThread(TThreadProcedure proc) : TThread(true), FProc(std::move(proc)) {
        SetFreeOnTerminate(true);
    }

protected:
    void Execute() override { FProc(); }

private:
    TThreadProcedure FProc;
};

} // namespace

// The object CurrentThread hands out for threads that TThread did not start.
class TThread::TExternalThread : public TThread {
public:
    TExternalThread() : TThread(ExternalTag{}) {}

protected:
    void Execute() override {}
};

TThread::TThread(bool createSuspended) : FCreateSuspended(createSuspended) {
    runpak::MainThreadID(); // the first user of the class fixes the main thread
    // Always made suspended: a running thread starts in AfterConstruction,
    // once the derived object is complete.
    FSuspended = true;
    FHandle = CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &FThreadID);
    if (!FHandle) {
        DWORD code = GetLastError();
        throw EThread(u"Thread creation error: %s", {SysErrorMessage(code)});
    }
}

TThread::TThread(ExternalTag) : FExternalThread(true) {
    FThreadID = GetCurrentThreadId();
    FStarted = true;
}

TThread::~TThread() {
    try {
        TerminateAndWait();
    } catch (...) {
        // A queued method that failed while we waited must not end the process
        // from inside a destructor.
    }
    RemoveQueuedEvents(this);
    if (FHandle) CloseHandle(FHandle);
    if (CurrentSlot() == this) CurrentSlot() = nullptr;
}

TThread* TThread::CreateAnonymousThread(TThreadProcedure proc) {
    return new TAnonymousThread(std::move(proc));
}

void TThread::AfterConstruction() {
    if (!FCreateSuspended && !FStarted) Resume();
}

void TThread::BeforeDestruction() {
    TerminateAndWait();
}

void TThread::TerminateAndWait() {
    if (FExternalThread || !FHandle) return;
    // A thread freeing itself (FreeOnTerminate, or Execute deleting its own
    // object) must not wait for itself.
    if (FThreadID == GetCurrentThreadId()) return;
    // Whoever frees the object owns it now: the thread must not free it too.
    FFreeOnTerminate = false;
    Terminate();
    // A thread that never started runs out now: it sees Terminated and skips
    // Execute, so nothing of a half-destroyed object is called. A thread that
    // suspended itself is woken to see Terminated too.
    FStarted = true;
    for (DWORD previous = ResumeThread(FHandle); previous != DWORD(-1) && previous > 1;
         previous = ResumeThread(FHandle)) {
    }
    FSuspended = false;
    WaitFor();
}

void TThread::Start() {
    if (FExternalThread) throw EThread(u"Cannot call Start on an external thread");
    if (FStarted || FFinished) throw EThread(u"Cannot call Start on a running or suspended thread");
    Resume();
}

void TThread::Resume() {
    if (FExternalThread) return;
    // The flags change before the thread can run, so that what it does first
    // (suspending itself, say) is not overwritten afterwards.
    bool wasStarted = FStarted.exchange(true);
    bool wasSuspended = FSuspended.exchange(false);
    DWORD previous = ResumeThread(FHandle);
    // A thread that is suspending itself may not have reached the layer yet:
    // wait for it rather than lose the resume.
    while (previous == 0 && wasSuspended && wasStarted) {
        TThread::Yield();
        previous = ResumeThread(FHandle);
    }
    if (previous == DWORD(-1) || previous > 1) {
        FStarted = wasStarted;
        FSuspended = wasSuspended;
    }
    if (previous == DWORD(-1)) RaiseThreadError(GetLastError());
}

void TThread::Suspend() {
    if (FExternalThread) throw EThread(u"Cannot suspend an external thread");
    bool self = FThreadID == GetCurrentThreadId();
    bool wasSuspended = FSuspended.exchange(true);
    // A thread suspending itself sleeps inside SuspendThread until resumed.
    if (SuspendThread(self ? GetCurrentThread() : FHandle) == DWORD(-1)) {
        FSuspended = wasSuspended;
        RaiseThreadError(GetLastError());
    }
}

void TThread::SetSuspended(bool value) {
    if (value == FSuspended) return;
    if (value)
        Suspend();
    else
        Resume();
}

void TThread::Terminate() {
    FTerminated = true;
}

unsigned TThread::WaitFor() {
    if (FExternalThread) throw EThread(u"Cannot call WaitFor on an external thread");
    if (FThreadID == GetCurrentThreadId()) throw EThread(u"A thread cannot wait for itself");
    if (!FStarted) throw EThread(u"Cannot wait for a thread that was never started");
    bool ended = WaitForSingleObject(FHandle, 0) == WAIT_OBJECT_0;
    if (ended) {
        // Nothing to wait for, and no queued work is run on the way.
    } else if (GetCurrentThreadId() == runpak::MainThreadID()) {
        // Keep serving the worker's Synchronize and Queue calls while waiting.
        HANDLE handles[2] = {FHandle, runpak::SyncEvent()};
        for (;;) {
            CheckSynchronize(0);
            DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (result == WAIT_OBJECT_0) break;
            if (result != WAIT_OBJECT_0 + 1) RaiseThreadError(GetLastError());
        }
    } else if (WaitForSingleObject(FHandle, INFINITE) != WAIT_OBJECT_0) {
        RaiseThreadError(GetLastError());
    }
    DWORD exitCode = 0;
    GetExitCodeThread(FHandle, &exitCode);
    return exitCode;
}

TThreadPriority TThread::GetPriority() const {
    int value = FHandle ? GetThreadPriority(FHandle) : THREAD_PRIORITY_NORMAL;
    for (int p = tpIdle; p <= tpTimeCritical; ++p)
        if (priorityValues[p] == value) return TThreadPriority(p);
    return tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
    if (FHandle && !SetThreadPriority(FHandle, priorityValues[value]))
        RaiseThreadError(GetLastError());
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

DWORD TThread::ThreadProc(void* parameter) {
    auto* thread = static_cast<TThread*>(parameter);
    CurrentSlot() = thread;
    if (!thread->FTerminated) {
        try {
            thread->Execute();
        } catch (...) {
            thread->FFatalException = std::current_exception();
        }
    }
    bool freeThread = thread->FFreeOnTerminate;
    DWORD result = static_cast<DWORD>(thread->FReturnValue.load());
    thread->FFinished = true;
    try {
        thread->DoTerminate();
    } catch (...) {
        if (!thread->FFatalException) thread->FFatalException = std::current_exception();
    }
    CurrentSlot() = nullptr;
    if (freeThread) delete thread;
    return result;
}

TThread* TThread::CurrentThread() {
    TThread*& current = CurrentSlot();
    if (!current) {
        thread_local std::unique_ptr<TThread> external;
        external = std::make_unique<TExternalThread>();
        current = external.get();
    }
    return current;
}

bool TThread::CheckTerminated() {
    return CurrentThread()->GetTerminated();
}

void TThread::Sleep(int milliseconds) {
    ::Sleep(milliseconds < 0 ? 0 : DWORD(milliseconds));
}

void TThread::Yield() {
    SwitchToThread();
}

void TThread::RaiseThreadError(DWORD code) {
    throw EThread(u"Thread Error: %s (%d)", {SysErrorMessage(code), int(code)});
}
