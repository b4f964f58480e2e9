// Synchronisation objects over the layer's events, mutexes, semaphores and
// critical sections, and the many-readers/one-writer lock.
#include <runpak/SyncObjs.h>

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

namespace {

[[noreturn]] void RaiseSyncError(DWORD code) {
    throw ESyncObjectException(u"%s (%d)", {SysErrorMessage(code), int(code)});
}

LPCWSTR NameOrNull(const UnicodeString& name) {
    return name.empty() ? nullptr : name.c_str();
}

} // namespace

// --- Kernel objects ------------------------------------------------------------

THandleObject::~THandleObject() {
    if (FHandle) CloseHandle(FHandle);
}

void THandleObject::SetHandle(HANDLE handle) {
    if (!handle) RaiseSyncError(::GetLastError());
    FHandle = handle;
}

TWaitResult THandleObject::WaitFor(DWORD timeout) {
    switch (WaitForSingleObject(FHandle, timeout)) {
    case WAIT_OBJECT_0:
        return wrSignaled;
    case WAIT_TIMEOUT:
        return wrTimeout;
    case WAIT_ABANDONED:
        return wrAbandoned;
    default:
        FLastError = int(::GetLastError());
        return wrError;
    }
}

TEvent::TEvent(bool useCOMWait) : TEvent(nullptr, true, false, {}, useCOMWait) {}

TEvent::TEvent(LPSECURITY_ATTRIBUTES attributes, bool manualReset, bool initialState,
               const UnicodeString& name, bool) {
    SetHandle(CreateEventW(attributes, manualReset, initialState, NameOrNull(name)));
}

void TEvent::SetEvent() {
    ::SetEvent(FHandle);
}

void TEvent::ResetEvent() {
    ::ResetEvent(FHandle);
}

TMutex::TMutex(bool useCOMWait) : TMutex(nullptr, false, {}, useCOMWait) {}

TMutex::TMutex(LPSECURITY_ATTRIBUTES attributes, bool initialOwner, const UnicodeString& name,
               bool) {
    SetHandle(CreateMutexW(attributes, initialOwner, NameOrNull(name)));
}

void TMutex::Acquire() {
    if (WaitFor(INFINITE) == wrError) RaiseSyncError(DWORD(FLastError));
}

void TMutex::Release() {
    if (!ReleaseMutex(FHandle)) RaiseSyncError(::GetLastError());
}

TSemaphore::TSemaphore(bool useCOMWait) : TSemaphore(nullptr, 1, 1, {}, useCOMWait) {}

TSemaphore::TSemaphore(LPSECURITY_ATTRIBUTES attributes, int initialCount, int maximumCount,
                       const UnicodeString& name, bool) {
    SetHandle(CreateSemaphoreW(attributes, initialCount, maximumCount, NameOrNull(name)));
}

void TSemaphore::Acquire() {
    if (WaitFor(INFINITE) == wrError) RaiseSyncError(DWORD(FLastError));
}

void TSemaphore::Release() {
    Release(1);
}

int TSemaphore::Release(int count) {
    LONG previous = 0;
    if (!ReleaseSemaphore(FHandle, count, &previous)) RaiseSyncError(::GetLastError());
    return previous;
}

// --- Critical section ----------------------------------------------------------

TCriticalSection::TCriticalSection() {
    InitializeCriticalSection(&FSection);
}

TCriticalSection::~TCriticalSection() {
    DeleteCriticalSection(&FSection);
}

void TCriticalSection::Enter() {
    EnterCriticalSection(&FSection);
}

void TCriticalSection::Leave() {
    LeaveCriticalSection(&FSection);
}

bool TCriticalSection::TryEnter() {
    return TryEnterCriticalSection(&FSection) != FALSE;
}

// --- Many readers, one writer ------------------------------------------------

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
    DWORD self = GetCurrentThreadId();
    std::unique_lock<std::mutex> lock(FLock);
    // Nested reads, and reads inside one's own write, never wait: waiting
    // there could only deadlock.
    if (FWriter != self && FReads.find(self) == FReads.end())
        FChanged.wait(lock, [&] { return FWriter == 0 && FWaitingWriters == 0; });
    ++FReads[self];
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
    DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(FLock);
    auto held = FReads.find(self);
    if (held == FReads.end()) throw ESyncObjectException(u"EndRead without BeginRead");
    if (--held->second == 0) {
        FReads.erase(held);
        FChanged.notify_all();
    }
}

bool TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
    DWORD self = GetCurrentThreadId();
    std::unique_lock<std::mutex> lock(FLock);
    if (FWriter == self) {
        ++FWriteDepth;
        return true;
    }
    unsigned revision = FRevision;
    // Give up our own reads while waiting, so that two readers asking to
    // write at once do not wait for each other for ever.
    int ownReads = 0;
    if (auto held = FReads.find(self); held != FReads.end()) {
        ownReads = held->second;
        FReads.erase(held);
        FChanged.notify_all();
    }
    ++FWaitingWriters;
    FChanged.wait(lock, [&] { return FWriter == 0 && FReads.empty(); });
    --FWaitingWriters;
    FWriter = self;
    FWriteDepth = 1;
    FReadsBeforeWrite = ownReads;
    bool untouched = FRevision == revision;
    ++FRevision;
    return untouched;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
    DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(FLock);
    if (FWriter != self) throw ESyncObjectException(u"EndWrite without BeginWrite");
    if (--FWriteDepth > 0) return;
    FWriter = 0;
    if (FReadsBeforeWrite > 0) FReads[self] += FReadsBeforeWrite;
    FReadsBeforeWrite = 0;
    FChanged.notify_all();
}

unsigned TMultiReadExclusiveWriteSynchronizer::GetRevisionLevel() {
    std::lock_guard<std::mutex> guard(FLock);
    return FRevision;
}
