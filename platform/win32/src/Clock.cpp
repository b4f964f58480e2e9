// The one clock of the layer, real (monotonic) or manual.
//
// Every WaitUntil registers its condition variable here, so that advancing the
// manual clock can wake it. The registry lock is taken together with the
// caller's lock while a waiter checks its deadline and goes to sleep, and by
// AdvanceClock while it moves time and notifies: an advance can therefore
// never slip between a waiter's deadline check and its sleep.
//
// Lock order: the caller's lock, then the registry lock. AdvanceClock takes
// only the registry lock.
#include "Clock.h"

#include <win32/TestSeams.h>

#include <atomic>
#include <chrono>
#include <list>

namespace win32 {
namespace {

struct Registration {
    std::condition_variable_any* cv;
    uint64_t seenGeneration; // last clock advance this waiter has rechecked
};

struct ClockState {
    std::atomic<bool> manual{false};
    std::atomic<uint64_t> manualNow{0};
    std::mutex lock; // the registry lock
    std::list<Registration> waiters;
    uint64_t generation = 0;         // bumped by every advance
    std::condition_variable recheck; // a waiter rechecked or left; someone registered
};

ClockState& State() {
    static ClockState* state = new ClockState; // never destroyed: waits may run during exit
    return *state;
}

uint64_t RealNowMs() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
}

// Both locks as one lockable, for the condition variable to release and retake.
struct CallerAndClockLocks {
    std::unique_lock<std::mutex>& caller;
    std::unique_lock<std::mutex>& clock;
    void lock() {
        caller.lock();
        clock.lock();
    }
    void unlock() {
        clock.unlock();
        caller.unlock();
    }
};

void WakeEveryWaiter(ClockState& s) {
    for (Registration& r : s.waiters)
        r.cv->notify_all();
}

bool EveryWaiterRechecked(const ClockState& s) {
    for (const Registration& r : s.waiters)
        if (r.seenGeneration != s.generation) return false;
    return true;
}

} // namespace

uint64_t NowMs() {
    ClockState& s = State();
    return s.manual.load() ? s.manualNow.load() : RealNowMs();
}

bool WaitUntil(std::condition_variable_any& cv, std::unique_lock<std::mutex>& lock,
               uint64_t deadlineMs, const std::function<bool()>& ready) {
    ClockState& s = State();
    std::unique_lock<std::mutex> clockLock(s.lock);
    auto self = s.waiters.insert(s.waiters.end(), Registration{&cv, s.generation});
    s.recheck.notify_all();
    clockLock.unlock();

    bool result = false;
    for (;;) {
        // ready() runs under the caller's lock only: it may take locks of its own.
        if (ready()) {
            result = true;
            clockLock.lock();
            break;
        }
        clockLock.lock();
        self->seenGeneration = s.generation;
        s.recheck.notify_all();
        if (NowMs() >= deadlineMs) break;
        CallerAndClockLocks both{lock, clockLock};
        if (s.manual.load() || deadlineMs == kForever) {
            cv.wait(both);
        } else {
            auto when =
                std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadlineMs));
            cv.wait_until(both, when);
        }
        clockLock.unlock();
    }
    s.waiters.erase(self);
    s.recheck.notify_all();
    return result;
}

} // namespace win32

namespace TestSeams {

void UseManualClock(uint64_t startMs) {
    win32::ClockState& s = win32::State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.manualNow.store(startMs);
    s.manual.store(true);
    win32::WakeEveryWaiter(s);
}

void UseRealClock() {
    win32::ClockState& s = win32::State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.manual.store(false);
    win32::WakeEveryWaiter(s);
}

bool ClockIsManual() {
    return win32::State().manual.load();
}

void AdvanceClock(uint64_t ms) {
    win32::ClockState& s = win32::State();
    std::unique_lock<std::mutex> guard(s.lock);
    if (!s.manual.load()) return;
    s.manualNow.fetch_add(ms);
    ++s.generation;
    win32::WakeEveryWaiter(s);
    s.recheck.wait(guard, [&] { return win32::EveryWaiterRechecked(s); });
}

size_t ClockWaiterCount() {
    win32::ClockState& s = win32::State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.waiters.size();
}

void WaitForClockWaiters(size_t count) {
    win32::ClockState& s = win32::State();
    std::unique_lock<std::mutex> guard(s.lock);
    s.recheck.wait(guard, [&] { return s.waiters.size() >= count; });
}

} // namespace TestSeams
