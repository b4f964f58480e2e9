// The process-wide task allocator and the per-thread COM set-up count.
//
// Each block carries a small header with its size, so that GetSize and
// Realloc need no outside table. In tracking mode (tests) every live block is
// recorded, and a free of a block that is not live is counted as a fault
// instead of corrupting the heap.
#include "ShellFolder.h"

#include <win32/combaseapi.h>
#include <win32/TestSeams.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace win32 {
namespace {

struct BlockHeader {
    SIZE_T size;
    SIZE_T reserved; // keeps the user block 16-byte aligned
};

struct Tracking {
    std::mutex lock;
    bool enabled = false;
    std::set<void*> live;
    size_t faults = 0;
};

Tracking& TheTracking() {
    static Tracking tracking;
    return tracking;
}

BlockHeader* HeaderOf(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

void* AllocateBlock(SIZE_T cb) {
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + cb));
    if (!header) return nullptr;
    header->size = cb;
    void* block = header + 1;
    Tracking& t = TheTracking();
    std::lock_guard guard(t.lock);
    if (t.enabled) t.live.insert(block);
    return block;
}

// False when tracking knows the block is not live (double or foreign free).
bool ForgetBlock(void* block) {
    Tracking& t = TheTracking();
    std::lock_guard guard(t.lock);
    if (!t.enabled) return true;
    if (t.live.erase(block) == 1) return true;
    ++t.faults;
    return false;
}

bool IsLive(void* block) {
    Tracking& t = TheTracking();
    std::lock_guard guard(t.lock);
    return !t.enabled || t.live.count(block) == 1;
}

class TaskAllocator final : public IMalloc {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IMalloc) {
            *ppv = static_cast<IMalloc*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The allocator lives as long as the process: counting is a formality.
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }

    void* STDMETHODCALLTYPE Alloc(SIZE_T cb) noexcept override { return CoTaskMemAlloc(cb); }
    void* STDMETHODCALLTYPE Realloc(void* pv, SIZE_T cb) noexcept override {
        return CoTaskMemRealloc(pv, cb);
    }
    void STDMETHODCALLTYPE Free(void* pv) noexcept override { CoTaskMemFree(pv); }
    SIZE_T STDMETHODCALLTYPE GetSize(void* pv) noexcept override {
        if (!pv || !IsLive(pv)) return SIZE_T(-1);
        return HeaderOf(pv)->size;
    }
    int STDMETHODCALLTYPE DidAlloc(void* pv) noexcept override {
        if (!pv) return -1;
        Tracking& t = TheTracking();
        std::lock_guard guard(t.lock);
        return t.enabled ? (t.live.count(pv) ? 1 : 0) : -1;
    }
    void STDMETHODCALLTYPE HeapMinimize() noexcept override {}
};

struct ThreadCom {
    int count = 0;
    DWORD model = 0;
    int oleCount = 0;
};
thread_local ThreadCom threadCom;

} // namespace

IMalloc* TheTaskAllocator() {
    static TaskAllocator allocator;
    return &allocator;
}

} // namespace win32

using namespace win32;

void* CoTaskMemAlloc(SIZE_T cb) {
    return AllocateBlock(cb);
}

void* CoTaskMemRealloc(void* pv, SIZE_T cb) {
    if (!pv) return AllocateBlock(cb);
    if (!IsLive(pv)) {
        ForgetBlock(pv); // counts the fault
        return nullptr;
    }
    void* fresh = AllocateBlock(cb);
    if (!fresh) return nullptr; // the old block stays valid, as documented
    std::memcpy(fresh, pv, std::min(cb, HeaderOf(pv)->size));
    CoTaskMemFree(pv);
    return fresh;
}

void CoTaskMemFree(void* pv) {
    if (!pv) return;
    if (ForgetBlock(pv)) std::free(HeaderOf(pv));
}

HRESULT CoGetMalloc(DWORD, LPMALLOC* ppMalloc) {
    if (!ppMalloc) return E_INVALIDARG;
    *ppMalloc = TheTaskAllocator();
    return S_OK;
}

HRESULT CoInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID, DWORD dwCoInit) {
    DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (threadCom.count > 0) {
        if (threadCom.model != model) return RPC_E_CHANGED_MODE;
        ++threadCom.count;
        return S_FALSE;
    }
    threadCom.count = 1;
    threadCom.model = model;
    return S_OK;
}

void CoUninitialize() {
    if (threadCom.count > 0) --threadCom.count;
}

HRESULT OleInitialize(LPVOID) {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) return hr;
    ++threadCom.oleCount;
    return threadCom.oleCount == 1 ? S_OK : S_FALSE;
}

void OleUninitialize() {
    if (threadCom.oleCount == 0) return;
    --threadCom.oleCount;
    CoUninitialize();
}

namespace TestSeams {

void TrackTaskAllocations(bool enabled) {
    Tracking& t = TheTracking();
    std::lock_guard guard(t.lock);
    t.enabled = enabled;
    t.live.clear();
    t.faults = 0;
}

size_t LiveTaskAllocations() {
    Tracking& t = TheTracking();
    std::lock_guard guard(t.lock);
    return t.live.size();
}

size_t TaskAllocatorFaults() {
    Tracking& t = TheTracking();
    std::lock_guard guard(t.lock);
    return t.faults;
}

} // namespace TestSeams
