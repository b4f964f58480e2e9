#include "UserState.h"

#include "../Waitable.h"

#include <win32/winbase.h>

#include <unistd.h>

namespace win32::user {

State& S() {
    static State* state = new State; // lives until the process ends
    return *state;
}

bool TreeLockHeld() {
    // The owner's thread id is what the C library keeps in a recursive mutex.
    return S().lock.native_handle()->__data.__owner == gettid();
}

Window* Find(HWND hwnd) {
    VERIFY(TreeLockHeld());
    auto& windows = S().windows;
    auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it == windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

std::shared_ptr<Window> FindShared(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto& windows = S().windows;
    auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it == windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return it->second;
}

std::u16string FoldName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return folded;
}

void MessageQueue::Wake() {
    wake.notify_all();
    if (inObjectWait.load()) win32::NotifyWaiters();
}

void MessageQueue::Notify(DWORD bits) {
    {
        std::lock_guard<std::mutex> guard(lock);
        changed |= bits;
    }
    Wake();
}

namespace {

// Ends a thread's queue when the thread ends: its windows go, and senders
// waiting on it are released with a zero result.
struct QueueOwner {
    std::shared_ptr<MessageQueue> queue;
    ~QueueOwner();
};

thread_local QueueOwner currentOwner;

void DestroyThreadWindows(DWORD threadId) {
    std::vector<HWND> mine;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        for (HWND top : S().topLevels) {
            Window* w = Find(top);
            if (w && w->threadId == threadId) mine.push_back(top);
        }
    }
    for (HWND hwnd : mine) DestroyWindow(hwnd);
}

QueueOwner::~QueueOwner() {
    if (!queue) return;
    DestroyThreadWindows(queue->threadId);
    std::deque<std::shared_ptr<SentMessage>> orphans;
    {
        std::lock_guard<std::mutex> guard(queue->lock);
        queue->alive = false;
        orphans.swap(queue->incoming);
    }
    for (auto& sent : orphans) {
        if (!sent->sender) continue;
        {
            std::lock_guard<std::mutex> guard(sent->sender->lock);
            sent->done = true;
        }
        sent->sender->Wake();
    }
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().queues.erase(queue->threadId);
}

} // namespace

std::shared_ptr<MessageQueue> CurrentQueue() {
    if (!currentOwner.queue) {
        auto queue = std::make_shared<MessageQueue>(GetCurrentThreadId());
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        S().queues[queue->threadId] = queue;
        currentOwner.queue = queue;
    }
    return currentOwner.queue;
}

std::shared_ptr<MessageQueue> QueueOfThread(DWORD threadId) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto it = S().queues.find(threadId);
    return it == S().queues.end() ? nullptr : it->second;
}

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

void SetNeedsPaint(Window& w, bool before) {
    bool after = w.NeedsPaint();
    if (before == after || !w.queue) return;
    if (after) {
        ++w.queue->windowsToPaint;
        w.queue->Notify(QS_PAINT);
    } else {
        --w.queue->windowsToPaint;
    }
}

} // namespace win32::user
