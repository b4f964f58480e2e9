// Synchronisation objects over the layer's kernel objects: critical sections,
// events, mutexes, semaphores, and a many-readers/one-writer lock.
// Time-outs run on the layer's clock.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Object.h>
#include <win32/winbase.h>

#include <condition_variable>
#include <map>
#include <mutex>

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

class TSynchroObject : public TObject {
public:
    virtual void Acquire() {}
    virtual void Release() {}
    virtual TWaitResult WaitFor(DWORD timeout = INFINITE) { return wrSignaled; }
};

// A kernel object behind a handle, closed with the object. Failure to create
// it raises ESyncObjectException with the system's text.
class THandleObject : public TSynchroObject {
public:
    ~THandleObject() override;
    THandleObject(const THandleObject&) = delete;
    THandleObject& operator=(const THandleObject&) = delete;

    // wrError leaves the system's error code in LastError.
    TWaitResult WaitFor(DWORD timeout = INFINITE) override;
    HANDLE GetHandle() const { return FHandle; }
    int GetLastError() const { return FLastError; }

protected:
    THandleObject() = default;
    // Takes a freshly created handle; null raises with GetLastError's text.
    void SetHandle(HANDLE handle);

    HANDLE FHandle = nullptr;
    int FLastError = 0;
};

class TEvent : public THandleObject {
public:
    // Manual reset, not signalled, unnamed.
    explicit TEvent(bool useCOMWait = false);
    // A named event is shared with every other user of the name in the process.
    TEvent(LPSECURITY_ATTRIBUTES attributes, bool manualReset, bool initialState,
           const UnicodeString& name, bool useCOMWait = false);

    void SetEvent();
    void ResetEvent();
};

// The same event under its older name.
class TSimpleEvent : public TEvent {
public:
    using TEvent::TEvent;
};

class TMutex : public THandleObject {
public:
    // Not owned, unnamed.
    explicit TMutex(bool useCOMWait = false);
    TMutex(LPSECURITY_ATTRIBUTES attributes, bool initialOwner, const UnicodeString& name,
           bool useCOMWait = false);

    void Acquire() override;
    // Raises ESyncObjectException when the caller does not own the mutex.
    void Release() override;
};

class TSemaphore : public THandleObject {
public:
    // One slot, free.
    explicit TSemaphore(bool useCOMWait = false);
    TSemaphore(LPSECURITY_ATTRIBUTES attributes, int initialCount, int maximumCount,
               const UnicodeString& name, bool useCOMWait = false);

    void Acquire() override;
    void Release() override;
    // Frees count slots and answers the count before; raises past the maximum.
    int Release(int count);
};

// A re-entrant lock over the layer's critical section.
class TCriticalSection : public TSynchroObject {
public:
    TCriticalSection();
    ~TCriticalSection() override;
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Acquire() override { Enter(); }
    void Release() override { Leave(); }
    void Enter();
    void Leave();
    bool TryEnter();

private:
    CRITICAL_SECTION FSection;
};

// Many readers or one writer. Both kinds nest in one thread; a thread that
// writes may also read, and a reader may ask to write: it gives up its reads
// while it waits and gets them back when it stops writing. Waiting writers
// go before new readers.
class TMultiReadExclusiveWriteSynchronizer : public TObject {
public:
    void BeginRead();
    void EndRead();
    // True when no other thread wrote between the call and getting the lock
    // (a reader that asked to write can trust what it read before).
    bool BeginWrite();
    void EndWrite();

    // The number of write locks taken since the object was made.
    unsigned GetRevisionLevel();

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::map<DWORD, int> FReads; // reads held, by thread
    DWORD FWriter = 0;
    int FWriteDepth = 0;
    int FReadsBeforeWrite = 0; // the writer's reads, given back at its EndWrite
    int FWaitingWriters = 0;
    unsigned FRevision = 0;
};

using TMREWSync = TMultiReadExclusiveWriteSynchronizer;

#pragma GCC visibility pop
