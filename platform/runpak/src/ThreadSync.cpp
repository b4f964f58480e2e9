// The main thread and the queue of work that other threads hand to it
// (Synchronize, Queue), run by CheckSynchronize.
#include <runpak/Thread.h>

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <win32/winbase.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace {

std::atomic<DWORD> mainThreadId{0};

// One synchronous call: the worker sleeps until the main thread has run it.
struct SyncCall {
    bool done = false;
    std::exception_ptr error;
};

struct SyncEntry {
    TThread* thread;
    TThreadMethod method;
    std::shared_ptr<SyncCall> call; // null for queued (asynchronous) entries
};

struct SyncQueue {
    std::mutex lock;
    std::condition_variable done; // a synchronous call finished
    std::deque<SyncEntry> entries;
    std::function<void()> wake;
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

SyncQueue& TheQueue() {
    static SyncQueue queue;
    return queue;
}

bool OnMainThread() {
    return GetCurrentThreadId() == runpak::MainThreadID();
}

// Adds an entry and tells the main thread.
void Post(SyncEntry entry) {
    SyncQueue& queue = TheQueue();
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> guard(queue.lock);
        queue.entries.push_back(std::move(entry));
        wake = queue.wake;
    }
    SetEvent(queue.event);
    if (wake) wake();
}

} // namespace

namespace runpak {

void SetMainThread() {
    mainThreadId = GetCurrentThreadId();
}

DWORD MainThreadID() {
    DWORD id = mainThreadId;
    if (id != 0) return id;
    DWORD self = GetCurrentThreadId();
    // The first to ask becomes the main thread, unless another thread won.
    return mainThreadId.compare_exchange_strong(id, self) ? self : id;
}

void SetWakeMainThread(std::function<void()> hook) {
    SyncQueue& queue = TheQueue();
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.wake = std::move(hook);
}

HANDLE SyncEvent() {
    return TheQueue().event;
}

} // namespace runpak

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
    if (OnMainThread()) {
        method();
        return;
    }
    auto call = std::make_shared<SyncCall>();
    Post({thread, method, call});
    SyncQueue& queue = TheQueue();
    {
        std::unique_lock<std::mutex> lock(queue.lock);
        queue.done.wait(lock, [&] { return call->done; });
    }
    if (call->error) std::rethrow_exception(call->error);
}

void TThread::Queue(TThread* thread, TThreadMethod method) {
    if (OnMainThread()) {
        method();
        return;
    }
    Post({thread, std::move(method), nullptr});
}

void TThread::RemoveQueuedEvents(TThread* thread) {
    SyncQueue& queue = TheQueue();
    std::lock_guard<std::mutex> guard(queue.lock);
    // Synchronous entries stay: their callers are waiting for them.
    std::erase_if(queue.entries,
                  [&](const SyncEntry& entry) { return !entry.call && entry.thread == thread; });
}

bool CheckSynchronize(unsigned timeout) {
    if (!OnMainThread())
        throw EThread(u"CheckSynchronize called from thread $%x, which is NOT the main thread",
                      {unsigned(GetCurrentThreadId())});
    SyncQueue& queue = TheQueue();
    std::deque<SyncEntry> work;
    {
        std::lock_guard<std::mutex> guard(queue.lock);
        work.swap(queue.entries);
    }
    if (work.empty() && timeout != 0) {
        WaitForSingleObject(queue.event, timeout);
        std::lock_guard<std::mutex> guard(queue.lock);
        work.swap(queue.entries);
    }
    if (work.empty()) return false;

    while (!work.empty()) {
        SyncEntry entry = std::move(work.front());
        work.pop_front();
        if (entry.call) {
            std::exception_ptr error;
            try {
                entry.method();
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard<std::mutex> guard(queue.lock);
            entry.call->error = error;
            entry.call->done = true;
            queue.done.notify_all();
            continue;
        }
        // When a method fails, what was not run yet goes back to the front, in order.
        auto requeue = runpak::ScopeExit([&] {
            std::lock_guard<std::mutex> guard(queue.lock);
            queue.entries.insert(queue.entries.begin(), std::make_move_iterator(work.begin()),
                                 std::make_move_iterator(work.end()));
            if (!queue.entries.empty()) SetEvent(queue.event);
        });
        entry.method();
        requeue.Release();
    }
    return true;
}
