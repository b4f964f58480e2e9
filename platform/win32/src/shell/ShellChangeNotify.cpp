// The shell's change notification: registrations of windows for changes
// below folders, and SHChangeNotify, by which the layer's own file
// operations (and anyone else) report what they changed.
#include <win32/shlobj.h>
#include <win32/winuser.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace win32 {
namespace {

struct Entry {
    std::vector<BYTE> pidl; // with its terminator; just the terminator for everything
    bool recursive;
};

struct Registration {
    ULONG id;
    HWND window;
    LONG events;
    UINT message;
    std::vector<Entry> entries;
};

std::mutex& Lock() {
    static auto* lock = new std::mutex; // never destroyed: calls may come at exit
    return *lock;
}

std::vector<Registration>& Registrations() {
    static auto* list = new std::vector<Registration>;
    return *list;
}

ULONG nextId = 1;

bool Covers(const Entry& entry, PCIDLIST_ABSOLUTE item) {
    if (!item) return false;
    auto folder = reinterpret_cast<PCIDLIST_ABSOLUTE>(entry.pidl.data());
    if (folder->mkid.cb == 0 && entry.recursive) return true;
    return ILIsEqual(folder, item) || ILIsParent(folder, item, entry.recursive ? FALSE : TRUE);
}

std::vector<BYTE> CopyOf(PCIDLIST_ABSOLUTE pidl) {
    UINT size = pidl ? ILGetSize(pidl) : 0;
    if (size < 2) return {0, 0};
    auto* bytes = reinterpret_cast<const BYTE*>(pidl);
    return std::vector<BYTE>(bytes, bytes + size);
}

} // namespace
} // namespace win32

using namespace win32;

ULONG SHChangeNotifyRegister(HWND hwnd, int fSources, LONG fEvents, UINT wMsg, int cEntries,
                             const SHChangeNotifyEntry* pshcne) {
    if (!hwnd || !IsWindow(hwnd) || cEntries <= 0 || !pshcne || fEvents == 0) return 0;
    Registration registration{0, hwnd, fEvents, wMsg, {}};
    for (int i = 0; i < cEntries; ++i)
        registration.entries.push_back({CopyOf(pshcne[i].pidl), pshcne[i].fRecursive != FALSE});
    std::lock_guard<std::mutex> guard(Lock());
    registration.id = nextId++;
    Registrations().push_back(std::move(registration));
    return Registrations().back().id;
}

BOOL SHChangeNotifyDeregister(ULONG ulID) {
    std::lock_guard<std::mutex> guard(Lock());
    auto& list = Registrations();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->id == ulID) {
            list.erase(it);
            return TRUE;
        }
    return FALSE;
}

void SHChangeNotify(LONG wEventId, UINT uFlags, LPCVOID dwItem1, LPCVOID dwItem2) {
    PIDLIST_ABSOLUTE owned[2] = {nullptr, nullptr};
    PCIDLIST_ABSOLUTE items[2] = {nullptr, nullptr};
    // Numbers travel as one item holding both, as the shell passes them.
#pragma pack(push, 1)
    struct {
        USHORT cb;
        DWORD one, two;
        USHORT end;
    } numbers{10, 0, 0, 0};
#pragma pack(pop)
    switch (uFlags & SHCNF_TYPE) {
    case SHCNF_IDLIST:
        items[0] = static_cast<PCIDLIST_ABSOLUTE>(dwItem1);
        items[1] = static_cast<PCIDLIST_ABSOLUTE>(dwItem2);
        break;
    case SHCNF_PATHW:
        for (int i = 0; i < 2; ++i) {
            auto path = static_cast<LPCWSTR>(i == 0 ? dwItem1 : dwItem2);
            if (path) owned[i] = SHSimpleIDListFromPath(path);
            items[i] = owned[i];
        }
        break;
    case SHCNF_DWORD:
        numbers.one = static_cast<DWORD>(reinterpret_cast<uintptr_t>(dwItem1));
        numbers.two = static_cast<DWORD>(reinterpret_cast<uintptr_t>(dwItem2));
        items[0] = reinterpret_cast<PCIDLIST_ABSOLUTE>(&numbers);
        break;
    default: return;
    }
    struct Target {
        HWND window;
        UINT message;
    };
    std::vector<Target> targets;
    {
        std::lock_guard<std::mutex> guard(Lock());
        bool numbersOnly = (uFlags & SHCNF_TYPE) == SHCNF_DWORD;
        for (const Registration& r : Registrations()) {
            if (!(r.events & wEventId)) continue;
            bool covered = false;
            for (const Entry& entry : r.entries)
                covered = covered || numbersOnly || Covers(entry, items[0]) ||
                          Covers(entry, items[1]);
            if (covered) targets.push_back({r.window, r.message});
        }
    }
    // Sent outside the lock: a receiver may register or report changes itself.
    for (const Target& target : targets)
        if (IsWindow(target.window))
            SendMessageW(target.window, target.message, reinterpret_cast<WPARAM>(items),
                         static_cast<LPARAM>(wEventId));
    for (PIDLIST_ABSOLUTE pidl : owned)
        if (pidl) ILFree(pidl);
}
