// Pieces shared by the layer's data transfer code: a base for COM objects,
// FORMATETC copies, media copies and the hooks the window manager calls.
#pragma once

#include <win32/ole2.h>
#include <win32/winbase.h>

#include <atomic>
#include <vector>

namespace win32::ole {

// QueryInterface, AddRef and Release for an object implementing the listed
// interfaces; IUnknown is reached through the first one.
template <class First, class... Rest> class ComObject : public First, public Rest... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown)
            *ppv = static_cast<IUnknown*>(static_cast<First*>(this));
        else
            Find<First, Rest...>(riid, ppv);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --count_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    template <class I, class... More> void Find(REFIID riid, void** ppv) {
        if (riid == IIDOf<I>()) {
            *ppv = static_cast<I*>(this);
            return;
        }
        if constexpr (sizeof...(More) > 0) Find<More...>(riid, ppv);
    }
    std::atomic<ULONG> count_{1};
};

// A FORMATETC with its own copy of the device block (CoTaskMemAlloc).
FORMATETC CopyFormatEtc(const FORMATETC& from);
void FreeFormatEtc(FORMATETC& format);
// An enumerator over copies of `formats`.
IEnumFORMATETC* MakeFormatEnumerator(const std::vector<FORMATETC>& formats);
// Every format a data object offers for reading; empty when it enumerates none.
std::vector<FORMATETC> EnumerateFormats(IDataObject* data);
// A new global block holding a copy of another one.
HGLOBAL CopyGlobal(HGLOBAL from);
// The bytes of a medium in global memory or a stream, as a new global block.
HGLOBAL GlobalFromMedium(const STGMEDIUM& medium);

// The window manager calls this when a window is destroyed.
void DropTargetWindowGone(HWND hwnd);

} // namespace win32::ole
