// Accessible objects inside the process: WM_GETOBJECT answers are tokens
// for object references kept here until a client takes them, and
// accessibility events go straight to the hooks of this process.
#include <win32/oleacc.h>
#include <win32/winbase.h>
#include <win32/winuser.h>

#include <map>
#include <mutex>
#include <vector>

namespace {

struct Hook {
    HWINEVENTHOOK handle;
    DWORD eventMin, eventMax;
    WINEVENTPROC proc;
    DWORD process, thread;
};

struct Registry {
    std::mutex lock;
    // Answers not yet taken: token -> reference.
    std::map<LRESULT, IUnknown*> handed;
    LRESULT nextToken = 1;
    std::vector<Hook> hooks;
    uintptr_t nextHook = 1;
};

Registry& R() {
    static Registry registry;
    return registry;
}

} // namespace

LRESULT LresultFromObject(REFIID riid, WPARAM, IUnknown* punk) {
    if (!punk) return E_INVALIDARG;
    IUnknown* held = nullptr;
    if (FAILED(punk->QueryInterface(riid, reinterpret_cast<void**>(&held))) || !held)
        return E_NOINTERFACE;
    std::lock_guard guard(R().lock);
    const LRESULT token = R().nextToken++;
    R().handed[token] = held;
    return token;
}

HRESULT ObjectFromLresult(LRESULT lResult, REFIID riid, WPARAM, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    IUnknown* held = nullptr;
    {
        std::lock_guard guard(R().lock);
        auto it = R().handed.find(lResult);
        if (it == R().handed.end()) return E_INVALIDARG;
        held = it->second;
        R().handed.erase(it);
    }
    const HRESULT hr = held->QueryInterface(riid, ppvObject);
    held->Release();
    return hr;
}

HRESULT AccessibleObjectFromWindow(HWND hwnd, DWORD dwId, REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (!hwnd || !IsWindow(hwnd)) return E_INVALIDARG;
    const LRESULT answer = SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(LONG(dwId)));
    if (answer <= 0) return answer < 0 ? HRESULT(answer) : E_FAIL;
    return ObjectFromLresult(answer, riid, 0, ppvObject);
}

HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE, WINEVENTPROC pfnWinEventProc,
                              DWORD idProcess, DWORD idThread, DWORD) {
    if (!pfnWinEventProc || eventMin > eventMax) return nullptr;
    std::lock_guard guard(R().lock);
    const auto handle = reinterpret_cast<HWINEVENTHOOK>(R().nextHook++);
    R().hooks.push_back(Hook{handle, eventMin, eventMax, pfnWinEventProc, idProcess, idThread});
    return handle;
}

BOOL UnhookWinEvent(HWINEVENTHOOK hWinEventHook) {
    std::lock_guard guard(R().lock);
    auto& hooks = R().hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it)
        if (it->handle == hWinEventHook) {
            hooks.erase(it);
            return TRUE;
        }
    return FALSE;
}

void NotifyWinEvent(DWORD event, HWND hwnd, LONG idObject, LONG idChild) {
    const DWORD process = GetCurrentProcessId(), thread = GetCurrentThreadId();
    std::vector<Hook> due;
    {
        std::lock_guard guard(R().lock);
        for (const Hook& h : R().hooks)
            if (event >= h.eventMin && event <= h.eventMax &&
                (h.process == 0 || h.process == process) && (h.thread == 0 || h.thread == thread))
                due.push_back(h);
    }
    // Outside the lock: a hook may set or remove hooks.
    for (const Hook& h : due)
        h.proc(h.handle, event, hwnd, idObject, idChild, thread, GetTickCount());
}
