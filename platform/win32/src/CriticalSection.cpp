// Critical sections: a recursive lock that the record points to.
#include <win32/winbase.h>

#include <atomic>
#include <mutex>

namespace {

struct SectionLock {
    std::recursive_mutex mutex;
    std::atomic<DWORD> owner{0};
    LONG depth = 0; // touched by the owner only
};

SectionLock* LockOf(LPCRITICAL_SECTION section) {
    return static_cast<SectionLock*>(section->DebugInfo);
}

void NoteEntered(SectionLock* lock) {
    lock->owner.store(GetCurrentThreadId());
    ++lock->depth;
}

} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    *section = CRITICAL_SECTION{};
    section->DebugInfo = new SectionLock;
    section->LockCount = -1;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount) {
    InitializeCriticalSection(section);
    section->SpinCount = spinCount;
    return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    SectionLock* lock = LockOf(section);
    lock->mutex.lock();
    NoteEntered(lock);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    SectionLock* lock = LockOf(section);
    if (!lock->mutex.try_lock()) return FALSE;
    NoteEntered(lock);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    SectionLock* lock = LockOf(section);
    // Leaving a section one does not hold would corrupt it: ignore it.
    if (!lock || lock->owner.load() != GetCurrentThreadId()) return;
    if (--lock->depth == 0) lock->owner.store(0);
    lock->mutex.unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    SectionLock* lock = LockOf(section);
    if (!lock) return;
    section->DebugInfo = nullptr;
    DWORD owner = lock->owner.load();
    if (owner != 0 && owner != GetCurrentThreadId()) return; // still held elsewhere: leave it be
    while (lock->depth > 0) {
        --lock->depth;
        lock->mutex.unlock();
    }
    delete lock;
}
