// Kernel objects that a thread can wait for (events, mutexes, semaphores,
// threads, anything else with a signalled state), and the one wait routine
// that every wait call of the layer uses.
//
// All waitable state is guarded by one process-wide lock, WaitLock(). That
// makes a wait for several objects at once (wait-all) atomic without any lock
// ordering between objects. Waiters sleep on one condition variable; every
// change of state wakes them all and each rechecks its own objects.
//
// Writing a new waitable kind:
//   - derive from Waitable and implement IsSignalled (and Acquire when a
//     successful wait changes the object: auto-reset, counts, ownership);
//   - change its state only while holding WaitLock(), then call
//     NotifyWaitersLocked() before releasing it (or NotifyWaiters() after).
//
// Waiting for objects and for something else at once (MsgWaitForMultipleObjects):
//   WaitForObjects(objects, waitAll, timeout, wake) also ends when wake()
//   returns true, with the result WAIT_OBJECT_0 + objects.size(). wake() is
//   called with WaitLock() held: it may take locks of its own (lock order:
//   WaitLock, then yours) but must not wait. Whoever makes it true (a message
//   posted to the queue, say) must call NotifyWaiters() afterwards, without
//   holding the locks that wake() takes. With waitAll the wait ends when all
//   objects are signalled or when wake() is true, whichever comes first.
#pragma once

#include "HandleTable.h"

#include <win32/winbase.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace win32 {

class Waitable : public KernelObject {
public:
    // Both are called with WaitLock() held, by the waiting thread.
    virtual bool IsSignalled(DWORD threadId) const = 0;
    // Takes the object for the waiting thread after a successful wait;
    // answers true when the wait is to report it as abandoned.
    virtual bool Acquire(DWORD threadId) { return false; }
    // A thread starts or stops waiting for this object (with WaitLock() held),
    // for objects whose signal depends on who waits (PulseEvent).
    virtual void WaitBegins(DWORD threadId) {}
    virtual void WaitEnds(DWORD threadId) {}
    // The owning thread of an object it holds (a mutex) has ended.
    virtual void OwnerEnded(DWORD threadId) {}
};

std::mutex& WaitLock();
// Wakes every waiting thread to recheck. The Locked form expects WaitLock() held.
void NotifyWaiters();
void NotifyWaitersLocked();

// Milliseconds as the wait calls take them (INFINITE = no time-out) to a
// deadline on the layer's clock.
uint64_t DeadlineAfter(DWORD milliseconds);

// Waits for one (waitAll false) or all of `objects` until `deadlineMs`.
// Answers WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i, WAIT_OBJECT_0 + size when
// wake() became true, or WAIT_TIMEOUT. The objects must be distinct for waitAll.
DWORD WaitForObjects(const std::vector<std::shared_ptr<Waitable>>& objects, bool waitAll,
                     uint64_t deadlineMs, const std::function<bool()>& wake = nullptr);

// The waitable objects behind handles, resolving GetCurrentThread()'s pseudo
// handle. On a bad handle: empty, with ERROR_INVALID_HANDLE set.
std::vector<std::shared_ptr<Waitable>> WaitablesOf(DWORD count, const HANDLE* handles);

} // namespace win32
