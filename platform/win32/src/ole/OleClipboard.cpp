// The OLE clipboard over the layer's clipboard. A data object put there is
// held by a hidden window of the thread that put it: every format it offers
// in global memory or a stream is promised to the clipboard and rendered on
// request, so readers of the plain clipboard and readers through
// OleGetClipboard see the same formats.
#include "OleSupport.h"
#include "user/NonClient.h"

#include <win32/winuser.h>

#include <algorithm>
#include <mutex>

namespace {

using namespace win32::ole;

constexpr DWORD kRenderable = TYMED_HGLOBAL | TYMED_ISTREAM;
constexpr const WCHAR* kWindowClass = u"CLIPBRDWNDCLASS";

struct OleClipboardState {
    std::mutex lock;
    IDataObject* data = nullptr; // counted; null when none of ours is on the clipboard
    HWND window = nullptr;       // the window that owns the clipboard for it
    std::vector<FORMATETC> formats;
};

OleClipboardState& G() {
    static auto* state = new OleClipboardState;
    return *state;
}

// The data object on the clipboard now, counted, or null when the clipboard
// holds something else.
IDataObject* CurrentObject(std::vector<FORMATETC>* formats = nullptr) {
    std::lock_guard guard(G().lock);
    if (!G().data || GetClipboardOwner() != G().window) return nullptr;
    G().data->AddRef();
    if (formats) *formats = G().formats;
    return G().data;
}

// Lets go of the object (when the clipboard was emptied or flushed).
void Forget(HWND window) {
    IDataObject* gone = nullptr;
    {
        std::lock_guard guard(G().lock);
        if (G().window != window) return;
        gone = G().data;
        G().data = nullptr;
        G().formats.clear();
    }
    if (gone) gone->Release();
}

// Asks the object for one format and hands it to the clipboard; called on
// the owner's thread, while the clipboard renders or is open.
void RenderFormat(HWND window, UINT cf) {
    IDataObject* data = nullptr;
    FORMATETC format{};
    {
        std::lock_guard guard(G().lock);
        if (G().window != window || !G().data) return;
        auto it = std::find_if(G().formats.begin(), G().formats.end(),
                               [&](const FORMATETC& f) { return f.cfFormat == cf; });
        if (it == G().formats.end()) return;
        format = *it;
        data = G().data;
        data->AddRef();
    }
    format.tymed &= kRenderable;
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        HGLOBAL block = nullptr;
        if (medium.tymed == TYMED_HGLOBAL && !medium.pUnkForRelease) {
            block = medium.hGlobal; // ours to keep: hand it over as it is
            medium = STGMEDIUM{};
        } else {
            block = GlobalFromMedium(medium);
        }
        ReleaseStgMedium(&medium);
        if (block && !SetClipboardData(cf, block)) GlobalFree(block);
    }
    data->Release();
}

void RenderAll(HWND window) {
    std::vector<FORMATETC> formats;
    {
        std::lock_guard guard(G().lock);
        if (G().window != window) return;
        formats = G().formats;
    }
    for (const FORMATETC& f : formats)
        RenderFormat(window, f.cfFormat);
}

LRESULT CALLBACK ClipboardWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_RENDERFORMAT:
        RenderFormat(hwnd, static_cast<UINT>(wParam));
        return 0;
    case WM_RENDERALLFORMATS:
        if (OpenClipboard(hwnd)) {
            if (GetClipboardOwner() == hwnd) RenderAll(hwnd);
            CloseClipboard();
        }
        return 0;
    case WM_DESTROYCLIPBOARD:
        Forget(hwnd);
        return 0;
    case WM_DESTROY:
        Forget(hwnd);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// The calling thread's clipboard window, made on first use.
HWND ThreadClipboardWindow() {
    thread_local HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    win32::user::EnsureLayerClass(kWindowClass, ClipboardWindowProc, 0, nullptr);
    window = CreateWindowExW(0, kWindowClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             nullptr, nullptr);
    return window;
}

bool FormatIsValid(const FORMATETC* format) {
    return format && format->cfFormat != 0;
}

// What OleGetClipboard hands out: the clipboard seen as a data object. While
// an object of this process is on the clipboard, calls go to that object
// itself (streams and all); otherwise the data comes from the clipboard's
// formats, as copies the caller owns.
class ClipboardDataObject final : public ComObject<IDataObject> {
public:
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn,
                                      STGMEDIUM* pmedium) noexcept override {
        if (!FormatIsValid(pformatetcIn) || !pmedium) return E_INVALIDARG;
        *pmedium = STGMEDIUM{};
        if (IDataObject* source = CurrentObject()) {
            const HRESULT hr = source->GetData(pformatetcIn, pmedium);
            source->Release();
            return hr;
        }
        if (pformatetcIn->ptd) return DV_E_DVTARGETDEVICE;
        if (!(pformatetcIn->tymed & kRenderable)) return DV_E_TYMED;
        if (!OpenClipboard(nullptr)) return CLIPBRD_E_CANT_OPEN;
        HANDLE held = GetClipboardData(pformatetcIn->cfFormat);
        HGLOBAL copy = held && GlobalSize(held) ? CopyGlobal(held) : nullptr;
        CloseClipboard();
        if (!copy) return DV_E_FORMATETC;
        if (pformatetcIn->tymed & TYMED_HGLOBAL) {
            pmedium->tymed = TYMED_HGLOBAL;
            pmedium->hGlobal = copy;
            return S_OK;
        }
        IStream* stream = nullptr;
        const HRESULT hr = CreateStreamOnHGlobal(copy, TRUE, &stream);
        if (FAILED(hr)) {
            GlobalFree(copy);
            return hr;
        }
        pmedium->tymed = TYMED_ISTREAM;
        pmedium->pstm = stream;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc,
                                          STGMEDIUM* pmedium) noexcept override {
        if (IDataObject* source = CurrentObject()) {
            const HRESULT hr = source->GetDataHere(pformatetc, pmedium);
            source->Release();
            return hr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) noexcept override {
        if (!FormatIsValid(pformatetc)) return E_INVALIDARG;
        if (IDataObject* source = CurrentObject()) {
            const HRESULT hr = source->QueryGetData(pformatetc);
            source->Release();
            return hr;
        }
        if (pformatetc->ptd) return DV_E_DVTARGETDEVICE;
        if (!(pformatetc->tymed & kRenderable)) return DV_E_TYMED;
        return IsClipboardFormatAvailable(pformatetc->cfFormat) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn,
                                                    FORMATETC* pformatetcOut) noexcept override {
        if (!pformatectIn || !pformatetcOut) return E_INVALIDARG;
        *pformatetcOut = *pformatectIn;
        pformatetcOut->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection,
                                            IEnumFORMATETC** ppenumFormatEtc) noexcept override {
        if (!ppenumFormatEtc) return E_INVALIDARG;
        *ppenumFormatEtc = nullptr;
        if (dwDirection != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        if (IDataObject* source = CurrentObject(&formats)) {
            source->Release();
        } else {
            if (!OpenClipboard(nullptr)) return CLIPBRD_E_CANT_OPEN;
            for (UINT cf = EnumClipboardFormats(0); cf; cf = EnumClipboardFormats(cf))
                formats.push_back({static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1,
                                   TYMED_HGLOBAL});
            CloseClipboard();
        }
        *ppenumFormatEtc = MakeFormatEnumerator(formats);
        return *ppenumFormatEtc ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*,
                                      DWORD* pdwConnection) noexcept override {
        if (pdwConnection) *pdwConnection = 0;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept override {
        if (ppenumAdvise) *ppenumAdvise = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }
};

} // namespace

HRESULT OleSetClipboard(IDataObject* pDataObj) {
    HWND window = ThreadClipboardWindow();
    if (!window) return E_OUTOFMEMORY;
    if (!pDataObj) {
        // Null clears only what this process put there: text another
        // program copied stays.
        {
            std::lock_guard guard(G().lock);
            if (!G().data || GetClipboardOwner() != G().window) return S_OK;
        }
        if (!OpenClipboard(window)) return CLIPBRD_E_CANT_OPEN;
        EmptyClipboard(); // the owner hears WM_DESTROYCLIPBOARD and lets the object go
        CloseClipboard();
        return S_OK;
    }
    std::vector<FORMATETC> formats;
    for (const FORMATETC& f : EnumerateFormats(pDataObj))
        if ((f.tymed & kRenderable) && f.dwAspect == DVASPECT_CONTENT && f.cfFormat &&
            std::none_of(formats.begin(), formats.end(),
                         [&](const FORMATETC& g) { return g.cfFormat == f.cfFormat; }))
            formats.push_back(f);
    if (!OpenClipboard(window)) return CLIPBRD_E_CANT_OPEN;
    if (!EmptyClipboard()) {
        CloseClipboard();
        return CLIPBRD_E_CANT_EMPTY;
    }
    pDataObj->AddRef();
    {
        std::lock_guard guard(G().lock);
        G().data = pDataObj;
        G().window = window;
        G().formats = formats;
    }
    for (const FORMATETC& f : formats)
        SetClipboardData(f.cfFormat, nullptr);
    CloseClipboard();
    return S_OK;
}

HRESULT OleGetClipboard(IDataObject** ppDataObj) {
    if (!ppDataObj) return E_INVALIDARG;
    try {
        *ppDataObj = new ClipboardDataObject;
    } catch (...) {
        *ppDataObj = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT OleFlushClipboard() {
    HWND window;
    {
        std::lock_guard guard(G().lock);
        if (!G().data || GetClipboardOwner() != G().window) return S_OK;
        window = G().window;
    }
    // The owner's thread renders, with the clipboard open, as it would for
    // WM_RENDERFORMAT; then the object goes and its data stays.
    SendMessageW(window, WM_RENDERALLFORMATS, 0, 0);
    Forget(window);
    return S_OK;
}

HRESULT OleIsCurrentClipboard(IDataObject* pDataObj) {
    if (!pDataObj) return S_FALSE;
    std::lock_guard guard(G().lock);
    return G().data == pDataObj && GetClipboardOwner() == G().window ? S_OK : S_FALSE;
}
