// Threads as kernel objects: the waitable object behind a thread handle, and
// the bookkeeping of the calling thread (its id, the objects it owns).
#pragma once

#include "Waitable.h"

#include <condition_variable>

namespace win32 {

class ThreadObject : public Waitable {
public:
    const char* Kind() const override { return "thread"; }
    bool IsSignalled(DWORD threadId) const override { return ended; }

    // Guarded by WaitLock().
    DWORD id = 0;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
    int suspendCount = 0;
    bool started = false; // has left its start gate (always so for threads the layer did not start)
    int priority = THREAD_PRIORITY_NORMAL;
    std::condition_variable_any gate; // a suspended thread sleeps here

    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
};

// The calling thread's object; made on first use for threads that the layer
// did not create (the main thread, say), and ended when that thread ends.
std::shared_ptr<ThreadObject> CurrentThreadObject();

// The thread behind a handle or GetCurrentThread(); null with
// ERROR_INVALID_HANDLE set otherwise.
std::shared_ptr<ThreadObject> ThreadOf(HANDLE handle);

// With WaitLock() held, the calling thread took or gave up an object that it
// owns (a mutex). When the thread ends, the objects still owned are told
// through Waitable::OwnerEnded.
void NoteOwned(const std::shared_ptr<Waitable>& object);
void NoteReleased(const Waitable* object);

} // namespace win32
