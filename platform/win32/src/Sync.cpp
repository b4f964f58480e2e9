// Events, mutexes and semaphores, with optional names shared by the three kinds.
#include "Threads.h"
#include "Waitable.h"

#include <map>
#include <set>
#include <string>

namespace win32 {
namespace {

class EventObject : public Waitable {
public:
    EventObject(bool manualReset, bool signalled)
        : manualReset(manualReset), signalled(signalled) {}
    const char* Kind() const override { return "event"; }

    bool IsSignalled(DWORD threadId) const override {
        return signalled || pulsed.count(threadId) != 0;
    }
    bool Acquire(DWORD threadId) override {
        if (!pulsed.erase(threadId) && !manualReset) signalled = false;
        return false;
    }
    void WaitBegins(DWORD threadId) override { waiting.insert(threadId); }
    void WaitEnds(DWORD threadId) override {
        waiting.erase(threadId);
        pulsed.erase(threadId);
    }

    // A pulse releases the threads waiting right now (one of them for an
    // auto-reset event) and leaves the event reset.
    void Pulse() {
        if (manualReset) {
            pulsed = waiting;
        } else if (!waiting.empty()) {
            pulsed = {*waiting.begin()};
        }
        signalled = false;
    }

    const bool manualReset;
    bool signalled;

private:
    std::set<DWORD> waiting;
    std::set<DWORD> pulsed;
};

class MutexObject : public Waitable, public std::enable_shared_from_this<MutexObject> {
public:
    const char* Kind() const override { return "mutex"; }
    bool IsSignalled(DWORD threadId) const override { return owner == 0 || owner == threadId; }

    bool Acquire(DWORD threadId) override {
        if (owner == threadId) {
            ++recursion;
            return false;
        }
        owner = threadId;
        recursion = 1;
        NoteOwned(shared_from_this());
        bool wasAbandoned = abandoned;
        abandoned = false;
        return wasAbandoned;
    }

    void OwnerEnded(DWORD threadId) override {
        if (owner != threadId) return;
        owner = 0;
        recursion = 0;
        abandoned = true;
    }

    bool Release(DWORD threadId) {
        if (owner != threadId) return false;
        if (--recursion == 0) {
            owner = 0;
            NoteReleased(this);
        }
        return true;
    }

private:
    DWORD owner = 0;
    LONG recursion = 0;
    bool abandoned = false;
};

class SemaphoreObject : public Waitable {
public:
    SemaphoreObject(LONG count, LONG maximum) : count(count), maximum(maximum) {}
    const char* Kind() const override { return "semaphore"; }
    bool IsSignalled(DWORD) const override { return count > 0; }
    bool Acquire(DWORD) override {
        --count;
        return false;
    }

    LONG count;
    const LONG maximum;
};

// Names of events, mutexes and semaphores. Entries expire with their object.
struct NamedObjects {
    std::mutex lock;
    std::map<std::u16string, std::weak_ptr<Waitable>> byName;
};

NamedObjects& Names() {
    static auto* names = new NamedObjects;
    return *names;
}

// "Local\" and "Global\" name the one namespace of this process.
std::u16string NameKey(LPCWSTR name) {
    std::u16string key(name);
    for (std::u16string prefix : {u"Local\\", u"Global\\"})
        if (key.compare(0, prefix.size(), prefix) == 0) return key.substr(prefix.size());
    return key;
}

// Creates an object, or opens the one of that name (ERROR_ALREADY_EXISTS) when
// it is of the same kind.
template <class T, class Make> HANDLE CreateNamed(LPCWSTR name, Make make) {
    if (!name || !*name) {
        HANDLE handle = InsertHandle(make());
        SetLastError(ERROR_SUCCESS);
        return handle;
    }
    if (std::char_traits<char16_t>::length(name) > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    NamedObjects& names = Names();
    std::lock_guard<std::mutex> guard(names.lock);
    std::u16string key = NameKey(name);
    if (auto existing = names.byName[key].lock()) {
        auto same = std::dynamic_pointer_cast<T>(existing);
        if (!same) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        HANDLE handle = InsertHandle(same);
        SetLastError(ERROR_ALREADY_EXISTS);
        return handle;
    }
    std::shared_ptr<T> object = make();
    names.byName[key] = object;
    for (auto it = names.byName.begin(); it != names.byName.end();)
        it = it->second.expired() ? names.byName.erase(it) : std::next(it);
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(object);
}

template <class T> HANDLE OpenNamed(LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    NamedObjects& names = Names();
    std::lock_guard<std::mutex> guard(names.lock);
    auto it = names.byName.find(NameKey(name));
    auto existing = it == names.byName.end() ? nullptr : it->second.lock();
    if (!existing) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto same = std::dynamic_pointer_cast<T>(existing);
    if (!same) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return InsertHandle(same);
}

template <class T> std::shared_ptr<T> ObjectOf(HANDLE handle) {
    auto object = LookupHandleAs<T>(handle);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

} // namespace
} // namespace win32

using namespace win32;

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    return CreateNamed<EventObject>(name, [&] {
        return std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
    });
}

HANDLE OpenEventW(DWORD, BOOL, LPCWSTR name) {
    return OpenNamed<EventObject>(name);
}

BOOL SetEvent(HANDLE handle) {
    auto event = ObjectOf<EventObject>(handle);
    if (!event) return FALSE;
    std::lock_guard<std::mutex> guard(WaitLock());
    event->signalled = true;
    NotifyWaitersLocked();
    return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
    auto event = ObjectOf<EventObject>(handle);
    if (!event) return FALSE;
    std::lock_guard<std::mutex> guard(WaitLock());
    event->signalled = false;
    return TRUE;
}

BOOL PulseEvent(HANDLE handle) {
    auto event = ObjectOf<EventObject>(handle);
    if (!event) return FALSE;
    std::lock_guard<std::mutex> guard(WaitLock());
    event->Pulse();
    NotifyWaitersLocked();
    return TRUE;
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
    bool created = false;
    HANDLE handle = CreateNamed<MutexObject>(name, [&] {
        created = true;
        return std::make_shared<MutexObject>();
    });
    // The creator's claim counts only for a new mutex, as on Windows.
    if (handle && created && initialOwner) {
        DWORD error = GetLastError();
        auto mutex = LookupHandleAs<MutexObject>(handle);
        std::lock_guard<std::mutex> guard(WaitLock());
        mutex->Acquire(GetCurrentThreadId());
        SetLastError(error);
    }
    return handle;
}

HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR name) {
    return OpenNamed<MutexObject>(name);
}

BOOL ReleaseMutex(HANDLE handle) {
    auto mutex = ObjectOf<MutexObject>(handle);
    if (!mutex) return FALSE;
    std::lock_guard<std::mutex> guard(WaitLock());
    if (!mutex->Release(GetCurrentThreadId())) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    NotifyWaitersLocked();
    return TRUE;
}

HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCWSTR name) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateNamed<SemaphoreObject>(
        name, [&] { return std::make_shared<SemaphoreObject>(initialCount, maximumCount); });
}

HANDLE OpenSemaphoreW(DWORD, BOOL, LPCWSTR name) {
    return OpenNamed<SemaphoreObject>(name);
}

BOOL ReleaseSemaphore(HANDLE handle, LONG releaseCount, PLONG previousCount) {
    auto semaphore = ObjectOf<SemaphoreObject>(handle);
    if (!semaphore) return FALSE;
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(WaitLock());
    if (releaseCount > semaphore->maximum - semaphore->count) {
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (previousCount) *previousCount = semaphore->count;
    semaphore->count += releaseCount;
    NotifyWaitersLocked();
    return TRUE;
}
