// The task allocator and per-thread COM set-up.
//
// Every block that crosses the shell API (item id lists, STRRET strings) comes
// from the one task allocator: CoTaskMemAlloc, or SHGetMalloc's IMalloc, which
// is the same heap. A block from one may be freed by the other.
#pragma once
#pragma GCC visibility push(default)

#include <win32/unknwn.h>

struct IMalloc : virtual IUnknown {
    static constexpr InterfaceID<IMalloc> IID_{"{00000002-0000-0000-C000-000000000046}"};

    virtual void* STDMETHODCALLTYPE Alloc(SIZE_T cb) noexcept = 0;
    virtual void* STDMETHODCALLTYPE Realloc(void* pv, SIZE_T cb) noexcept = 0;
    virtual void STDMETHODCALLTYPE Free(void* pv) noexcept = 0;
    virtual SIZE_T STDMETHODCALLTYPE GetSize(void* pv) noexcept = 0;
    virtual int STDMETHODCALLTYPE DidAlloc(void* pv) noexcept = 0;
    virtual void STDMETHODCALLTYPE HeapMinimize() noexcept = 0;

protected:
    ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;
inline constexpr IID IID_IMalloc = IIDOf<IMalloc>();

void* CoTaskMemAlloc(SIZE_T cb);
void* CoTaskMemRealloc(void* pv, SIZE_T cb);
void CoTaskMemFree(void* pv);
// The process's task allocator (always the same object), counted.
HRESULT CoGetMalloc(DWORD dwMemContext, LPMALLOC* ppMalloc);

#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0
#define COINIT_DISABLE_OLE1DDE 0x4
#define COINIT_SPEED_OVER_MEMORY 0x8

// Counted per thread: S_OK the first time, S_FALSE on each repeat;
// RPC_E_CHANGED_MODE when the thread asks for the other concurrency model.
// Each successful call (S_OK or S_FALSE) needs one CoUninitialize.
HRESULT CoInitialize(LPVOID pvReserved);
HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
void CoUninitialize();
HRESULT OleInitialize(LPVOID pvReserved);
void OleUninitialize();

#pragma GCC visibility pop
