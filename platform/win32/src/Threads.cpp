// Threads on pthreads. Each thread the layer starts is detached and holds its
// own reference to its object, so closing the handle neither ends nor leaks it.
// A thread created suspended is started at once but waits at a gate until its
// suspend count falls to zero; that way CreateThread reports a thread that
// cannot start (no memory for its stack) right away.
#include "Threads.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace win32 {
namespace {

const HANDLE currentThreadPseudo = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

struct ThreadInfo;
void EndThread(ThreadInfo& info);

// What the layer knows of the calling thread. Its destructor runs when the
// thread ends, however it ends.
struct ThreadInfo {
    DWORD id = static_cast<DWORD>(gettid());
    std::shared_ptr<ThreadObject> self;
    std::vector<std::weak_ptr<Waitable>> owned;
    DWORD exitCode = 0; // set by ExitThread or the start routine's return
    bool ended = false;
    ~ThreadInfo() { EndThread(*this); }
};

ThreadInfo& Current() {
    thread_local ThreadInfo info;
    return info;
}

// Tells owned objects and waiters that the calling thread is done.
void EndThread(ThreadInfo& info) {
    if (info.ended) return;
    info.ended = true;
    std::shared_ptr<ThreadObject> self;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        for (auto& weak : info.owned)
            if (auto object = weak.lock()) object->OwnerEnded(info.id);
        info.owned.clear();
        self = std::move(info.self);
        if (self) {
            self->exitCode = info.exitCode;
            self->ended = true;
        }
        NotifyWaitersLocked();
    }
}

struct EndsThreadOnExit {
    ~EndsThreadOnExit() { EndThread(Current()); }
};

void* Trampoline(void* argument) {
    auto* handedOver = static_cast<std::shared_ptr<ThreadObject>*>(argument);
    std::shared_ptr<ThreadObject> self = std::move(*handedOver);
    delete handedOver;

    ThreadInfo& info = Current();
    {
        std::unique_lock<std::mutex> lock(WaitLock());
        info.self = self;
        self->id = info.id;
        self->gate.notify_all(); // CreateThread waits for the id
        self->gate.wait(lock, [&] { return self->suspendCount == 0; });
        self->started = true;
    }
    // Runs on return and when ExitThread unwinds the stack.
    EndsThreadOnExit ending;
    info.exitCode = self->start(self->parameter);
    return nullptr;
}

} // namespace

std::shared_ptr<ThreadObject> CurrentThreadObject() {
    ThreadInfo& info = Current();
    std::lock_guard<std::mutex> guard(WaitLock());
    if (!info.self && !info.ended) {
        info.self = std::make_shared<ThreadObject>();
        info.self->id = info.id;
        info.self->started = true;
    }
    return info.self;
}

std::shared_ptr<ThreadObject> ThreadOf(HANDLE handle) {
    auto thread = handle == currentThreadPseudo ? CurrentThreadObject()
                                                : LookupHandleAs<ThreadObject>(handle);
    if (!thread) SetLastError(ERROR_INVALID_HANDLE);
    return thread;
}

void NoteOwned(const std::shared_ptr<Waitable>& object) {
    Current().owned.push_back(object);
}

void NoteReleased(const Waitable* object) {
    auto& owned = Current().owned;
    owned.erase(std::remove_if(owned.begin(), owned.end(),
                               [&](const std::weak_ptr<Waitable>& weak) {
                                   auto held = weak.lock();
                                   return !held || held.get() == object;
                               }),
                owned.end());
}

} // namespace win32

using win32::ThreadObject;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    thread->start = start;
    thread->parameter = parameter;
    thread->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    int error = 0;
    if (stackSize != 0) {
        size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        if (stackSize > SIZE_MAX - page) {
            error = ENOMEM;
        } else {
            size_t size = std::max<size_t>(stackSize, PTHREAD_STACK_MIN);
            size = (size + page - 1) / page * page;
            error = pthread_attr_setstacksize(&attr, size);
        }
    }
    pthread_t id;
    auto* handedOver = new std::shared_ptr<ThreadObject>(thread);
    if (error == 0) error = pthread_create(&id, &attr, win32::Trampoline, handedOver);
    pthread_attr_destroy(&attr);
    if (error != 0) {
        delete handedOver;
        SetLastError(error == EINVAL ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        std::unique_lock<std::mutex> lock(win32::WaitLock());
        thread->gate.wait(lock, [&] { return thread->id != 0; });
    }
    if (threadId) *threadId = thread->id;
    SetLastError(ERROR_SUCCESS);
    return win32::InsertHandle(thread);
}

DWORD SuspendThread(HANDLE handle) {
    auto thread = win32::ThreadOf(handle);
    if (!thread) return static_cast<DWORD>(-1);
    std::unique_lock<std::mutex> lock(win32::WaitLock());
    if (thread->ended) {
        SetLastError(ERROR_ACCESS_DENIED);
        return static_cast<DWORD>(-1);
    }
    bool self = thread->id == GetCurrentThreadId();
    if (thread->started && !self) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return static_cast<DWORD>(-1);
    }
    DWORD previous = static_cast<DWORD>(thread->suspendCount++);
    if (self) thread->gate.wait(lock, [&] { return thread->suspendCount == 0; });
    return previous;
}

DWORD ResumeThread(HANDLE handle) {
    auto thread = win32::ThreadOf(handle);
    if (!thread) return static_cast<DWORD>(-1);
    std::lock_guard<std::mutex> guard(win32::WaitLock());
    DWORD previous = static_cast<DWORD>(thread->suspendCount);
    if (thread->suspendCount > 0 && --thread->suspendCount == 0) thread->gate.notify_all();
    return previous;
}

void ExitThread(DWORD exitCode) {
    win32::Current().exitCode = exitCode;
    // Unwinds the thread's stack; the thread's end is recorded on the way out.
    pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    auto thread = win32::ThreadOf(handle);
    if (!thread) return FALSE;
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(win32::WaitLock());
    *exitCode = thread->ended ? thread->exitCode : STILL_ACTIVE;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
    bool known = (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
                 priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
    if (!known) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto thread = win32::ThreadOf(handle);
    if (!thread) return FALSE;
    std::lock_guard<std::mutex> guard(win32::WaitLock());
    thread->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE handle) {
    auto thread = win32::ThreadOf(handle);
    if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
    std::lock_guard<std::mutex> guard(win32::WaitLock());
    return thread->priority;
}

HANDLE GetCurrentThread() {
    return win32::currentThreadPseudo;
}

DWORD GetCurrentThreadId() {
    thread_local DWORD id = static_cast<DWORD>(gettid());
    return id;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

BOOL SwitchToThread() {
    sched_yield();
    return TRUE;
}
