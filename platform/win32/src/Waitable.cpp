#include "Waitable.h"

#include "Clock.h"
#include "Threads.h"

namespace win32 {
namespace {

std::condition_variable_any& WaitCondition() {
    static auto* cv = new std::condition_variable_any; // never destroyed: waits may run at exit
    return *cv;
}

// Answers the wait's result when it can end now, taking what it waits for.
bool TryToEnd(const std::vector<std::shared_ptr<Waitable>>& objects, bool waitAll,
              const std::function<bool()>& wake, DWORD threadId, DWORD& result) {
    if (waitAll) {
        bool all = true;
        for (const auto& object : objects)
            all = all && object->IsSignalled(threadId);
        if (all && !objects.empty()) {
            DWORD abandoned = WAIT_FAILED;
            for (size_t i = 0; i < objects.size(); ++i)
                if (objects[i]->Acquire(threadId) && abandoned == WAIT_FAILED)
                    abandoned = WAIT_ABANDONED_0 + static_cast<DWORD>(i);
            result = abandoned != WAIT_FAILED ? abandoned : WAIT_OBJECT_0;
            return true;
        }
    } else {
        for (size_t i = 0; i < objects.size(); ++i) {
            if (!objects[i]->IsSignalled(threadId)) continue;
            bool abandoned = objects[i]->Acquire(threadId);
            result = (abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + static_cast<DWORD>(i);
            return true;
        }
    }
    if (wake && wake()) {
        result = WAIT_OBJECT_0 + static_cast<DWORD>(objects.size());
        return true;
    }
    return false;
}

} // namespace

std::mutex& WaitLock() {
    static auto* lock = new std::mutex; // never destroyed: handles may close at exit
    return *lock;
}

void NotifyWaitersLocked() {
    WaitCondition().notify_all();
}

void NotifyWaiters() {
    // Taking the lock orders this notification after any waiter's last check.
    std::lock_guard<std::mutex> guard(WaitLock());
    NotifyWaitersLocked();
}

uint64_t DeadlineAfter(DWORD milliseconds) {
    return milliseconds == INFINITE ? kForever : NowMs() + milliseconds;
}

DWORD WaitForObjects(const std::vector<std::shared_ptr<Waitable>>& objects, bool waitAll,
                     uint64_t deadlineMs, const std::function<bool()>& wake) {
    DWORD threadId = GetCurrentThreadId();
    DWORD result = WAIT_TIMEOUT;
    std::unique_lock<std::mutex> lock(WaitLock());
    auto ended = [&] { return TryToEnd(objects, waitAll, wake, threadId, result); };
    for (const auto& object : objects)
        object->WaitBegins(threadId);
    bool done = WaitUntil(WaitCondition(), lock, deadlineMs, ended);
    for (const auto& object : objects)
        object->WaitEnds(threadId);
    return done ? result : WAIT_TIMEOUT;
}

std::vector<std::shared_ptr<Waitable>> WaitablesOf(DWORD count, const HANDLE* handles) {
    std::vector<std::shared_ptr<Waitable>> objects;
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<Waitable> object = handles[i] == GetCurrentThread()
                                               ? CurrentThreadObject()
                                               : LookupHandleAs<Waitable>(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return {};
        }
        objects.push_back(std::move(object));
    }
    return objects;
}

} // namespace win32

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    auto objects = win32::WaitablesOf(count, handles);
    if (objects.empty()) return WAIT_FAILED;
    if (waitAll) {
        for (DWORD i = 0; i < count; ++i)
            for (DWORD j = i + 1; j < count; ++j)
                if (objects[i] == objects[j]) {
                    SetLastError(ERROR_INVALID_PARAMETER);
                    return WAIT_FAILED;
                }
    }
    return win32::WaitForObjects(objects, waitAll, win32::DeadlineAfter(milliseconds));
}
