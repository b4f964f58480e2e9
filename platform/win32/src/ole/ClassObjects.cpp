// The process's table of registered class objects.
#include <win32/objbase.h>

#include <mutex>
#include <vector>

namespace {

struct Registration {
    DWORD cookie;
    CLSID clsid;
    IUnknown* object; // held
    DWORD context;
};

struct ClassTable {
    std::mutex lock;
    std::vector<Registration> entries;
    DWORD nextCookie = 1;
};

ClassTable& Table() {
    static ClassTable* table = new ClassTable; // lives as long as the process
    return *table;
}

} // namespace

HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD,
                              LPDWORD lpdwRegister) {
    if (!pUnk || !lpdwRegister) return E_INVALIDARG;
    ClassTable& table = Table();
    pUnk->AddRef();
    std::lock_guard<std::mutex> guard(table.lock);
    const DWORD cookie = table.nextCookie++;
    table.entries.push_back({cookie, rclsid, pUnk, dwClsContext});
    *lpdwRegister = cookie;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister) {
    ClassTable& table = Table();
    IUnknown* released = nullptr;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
            if (it->cookie != dwRegister) continue;
            released = it->object;
            table.entries.erase(it);
            break;
        }
    }
    if (!released) return E_INVALIDARG;
    // Outside the lock: the object's last release may revoke others.
    released->Release();
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IUnknown* object = nullptr;
    {
        ClassTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        // The latest registration of the class that serves one of the contexts asked for.
        for (auto it = table.entries.rbegin(); it != table.entries.rend(); ++it) {
            if (it->clsid != rclsid || !(it->context & dwClsContext)) continue;
            object = it->object;
            object->AddRef();
            break;
        }
    }
    if (!object) return REGDB_E_CLASSNOTREG;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}
