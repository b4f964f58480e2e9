// Media and their helpers: ReleaseStgMedium, FORMATETC enumerators, streams on
// global memory and data advise holders.
#include "OleSupport.h"

#include <win32/shlobj.h>
#include <win32/wingdi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace win32::ole {

FORMATETC CopyFormatEtc(const FORMATETC& from) {
    FORMATETC copy = from;
    if (from.ptd) {
        copy.ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(from.ptd->tdSize));
        if (copy.ptd) std::memcpy(copy.ptd, from.ptd, from.ptd->tdSize);
    }
    return copy;
}

void FreeFormatEtc(FORMATETC& format) {
    CoTaskMemFree(format.ptd);
    format.ptd = nullptr;
}

HGLOBAL CopyGlobal(HGLOBAL from) {
    const SIZE_T size = GlobalSize(from);
    const void* source = GlobalLock(from);
    if (!source) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy) {
        std::memcpy(GlobalLock(copy), source, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(from);
    return copy;
}

HGLOBAL GlobalFromMedium(const STGMEDIUM& medium) {
    if (medium.tymed == TYMED_HGLOBAL) return medium.hGlobal ? CopyGlobal(medium.hGlobal) : nullptr;
    if (medium.tymed != TYMED_ISTREAM || !medium.pstm) return nullptr;
    // The whole stream, from its start, whatever the position left by its maker.
    IStream* stream = medium.pstm;
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return nullptr;
    const ULONGLONG size = stat.cbSize.QuadPart;
    if (size > 0x7FFFFFFF) return nullptr;
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
    if (!block) return nullptr;
    ULONG read = 0;
    const HRESULT hr = stream->Read(GlobalLock(block), static_cast<ULONG>(size), &read);
    GlobalUnlock(block);
    if (FAILED(hr)) {
        GlobalFree(block);
        return nullptr;
    }
    if (read < size) GlobalReAlloc(block, read, 0);
    return block;
}

namespace {

// --- Enumerators --------------------------------------------------------------------

struct FormatTraits {
    using Interface = IEnumFORMATETC;
    using Item = FORMATETC;
    static Item Copy(const Item& item) { return CopyFormatEtc(item); }
    static void Free(Item& item) { FreeFormatEtc(item); }
};

struct StatDataTraits {
    using Interface = IEnumSTATDATA;
    using Item = STATDATA;
    static Item Copy(const Item& item) {
        Item copy = item;
        copy.formatetc = CopyFormatEtc(item.formatetc);
        if (copy.pAdvSink) copy.pAdvSink->AddRef();
        return copy;
    }
    static void Free(Item& item) {
        FreeFormatEtc(item.formatetc);
        if (item.pAdvSink) item.pAdvSink->Release();
        item.pAdvSink = nullptr;
    }
};

// Walks its own copies of the items; each item handed out is a fresh copy.
template <class Traits> class Enumerator final : public ComObject<typename Traits::Interface> {
    using Item = typename Traits::Item;
    using Interface = typename Traits::Interface;

public:
    Enumerator(const std::vector<Item>& items, size_t position) : position_(position) {
        items_.reserve(items.size());
        for (const Item& item : items)
            items_.push_back(Traits::Copy(item));
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, Item* rgelt, ULONG* pceltFetched) noexcept override {
        if (!rgelt || (celt > 1 && !pceltFetched)) return E_POINTER;
        ULONG fetched = 0;
        while (fetched < celt && position_ < items_.size())
            rgelt[fetched++] = Traits::Copy(items_[position_++]);
        if (pceltFetched) *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) noexcept override {
        const size_t left = items_.size() - position_;
        position_ += std::min<size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** ppenum) noexcept override {
        if (!ppenum) return E_POINTER;
        try {
            *ppenum = new Enumerator(items_, position_);
        } catch (...) {
            *ppenum = nullptr;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    ~Enumerator() override {
        for (Item& item : items_)
            Traits::Free(item);
    }
    std::vector<Item> items_;
    size_t position_;
};

// --- A stream over global memory -------------------------------------------------------

// The block and the stream's logical size are shared by a stream and its clones.
struct SharedBlock {
    std::mutex lock;
    HGLOBAL block = nullptr;
    ULONGLONG size = 0;
    bool deleteOnRelease = false;
    ~SharedBlock() {
        if (deleteOnRelease && block) GlobalFree(block);
    }
};

class GlobalStream final : public ComObject<IStream> {
public:
    GlobalStream(std::shared_ptr<SharedBlock> shared, ULONGLONG position)
        : shared_(std::move(shared)), position_(position) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (ppv && riid == IID_ISequentialStream) {
            *ppv = static_cast<ISequentialStream*>(this);
            AddRef();
            return S_OK;
        }
        return ComObject<IStream>::QueryInterface(riid, ppv);
    }

    HGLOBAL Block() const { return shared_->block; }

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept override {
        if (!pv && cb) return STG_E_INVALIDPOINTER;
        std::lock_guard guard(shared_->lock);
        const ULONGLONG left = position_ < shared_->size ? shared_->size - position_ : 0;
        const ULONG n = static_cast<ULONG>(std::min<ULONGLONG>(cb, left));
        if (n) {
            const auto* data = static_cast<const BYTE*>(GlobalLock(shared_->block));
            std::memcpy(pv, data + position_, n);
            GlobalUnlock(shared_->block);
        }
        position_ += n;
        if (pcbRead) *pcbRead = n;
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) noexcept override {
        if (pcbWritten) *pcbWritten = 0;
        if (!pv && cb) return STG_E_INVALIDPOINTER;
        std::lock_guard guard(shared_->lock);
        const ULONGLONG end = position_ + cb;
        if (end > shared_->size && !Resize(end)) return STG_E_MEDIUMFULL;
        if (cb) {
            auto* data = static_cast<BYTE*>(GlobalLock(shared_->block));
            std::memcpy(data + position_, pv, cb);
            GlobalUnlock(shared_->block);
        }
        position_ = end;
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                   ULARGE_INTEGER* plibNewPosition) noexcept override {
        std::lock_guard guard(shared_->lock);
        LONGLONG base = 0;
        switch (dwOrigin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(position_); break;
        case STREAM_SEEK_END: base = static_cast<LONGLONG>(shared_->size); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        const LONGLONG target = base + dlibMove.QuadPart;
        if (target < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<ULONGLONG>(target);
        if (plibNewPosition) plibNewPosition->QuadPart = position_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) noexcept override {
        std::lock_guard guard(shared_->lock);
        return Resize(libNewSize.QuadPart) ? S_OK : STG_E_MEDIUMFULL;
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                     ULARGE_INTEGER* pcbWritten) noexcept override {
        if (!pstm) return STG_E_INVALIDPOINTER;
        ULONGLONG total = 0, written = 0;
        BYTE buffer[4096];
        HRESULT hr = S_OK;
        while (total < cb.QuadPart) {
            ULONG n = 0;
            Read(buffer, static_cast<ULONG>(std::min<ULONGLONG>(sizeof buffer, cb.QuadPart - total)),
                 &n);
            if (n == 0) break;
            total += n;
            ULONG put = 0;
            hr = pstm->Write(buffer, n, &put);
            written += put;
            if (FAILED(hr)) break;
        }
        if (pcbRead) pcbRead->QuadPart = total;
        if (pcbWritten) pcbWritten->QuadPart = written;
        return FAILED(hr) ? hr : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD) noexcept override {
        if (!pstatstg) return STG_E_INVALIDPOINTER;
        std::lock_guard guard(shared_->lock);
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = shared_->size;
        pstatstg->grfMode = STGM_READWRITE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) noexcept override {
        if (!ppstm) return STG_E_INVALIDPOINTER;
        try {
            *ppstm = new GlobalStream(shared_, position_);
        } catch (...) {
            *ppstm = nullptr;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    // Caller holds the lock. The block only grows; the stream's size is
    // what was written or set.
    bool Resize(ULONGLONG size) {
        if (size > 0x7FFFFFFF) return false;
        if (size > GlobalSize(shared_->block)) {
            const SIZE_T grown =
                static_cast<SIZE_T>(std::max<ULONGLONG>(size, GlobalSize(shared_->block) * 2));
            if (!GlobalReAlloc(shared_->block, std::min<SIZE_T>(grown, 0x7FFFFFFF),
                               GMEM_MOVEABLE | GMEM_ZEROINIT))
                return false;
        }
        shared_->size = size;
        return true;
    }
    std::shared_ptr<SharedBlock> shared_;
    ULONGLONG position_;
};

// --- Data advise holder -------------------------------------------------------------------

class AdviseHolder final : public ComObject<IDataAdviseHolder> {
public:
    HRESULT STDMETHODCALLTYPE Advise(IDataObject* pDataObject, FORMATETC* pFetc, DWORD advf,
                                     IAdviseSink* pAdvise, DWORD* pdwConnection) noexcept override {
        if (pdwConnection) *pdwConnection = 0;
        if (!pFetc || !pAdvise || !pdwConnection) return E_INVALIDARG;
        STATDATA entry{};
        try {
            entry.formatetc = CopyFormatEtc(*pFetc);
            entry.advf = advf;
            entry.pAdvSink = pAdvise;
            entry.dwConnection = ++lastConnection_;
            pAdvise->AddRef();
            connections_.push_back(entry);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        *pdwConnection = entry.dwConnection;
        if ((advf & ADVF_PRIMEFIRST) && pDataObject) Send(pDataObject, entry);
        if ((advf & ADVF_PRIMEFIRST) && (advf & ADVF_ONLYONCE)) Unadvise(entry.dwConnection);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) noexcept override {
        auto it = std::find_if(connections_.begin(), connections_.end(),
                               [&](const STATDATA& s) { return s.dwConnection == dwConnection; });
        if (it == connections_.end()) return OLE_E_NOCONNECTION;
        STATDATA gone = *it;
        connections_.erase(it);
        StatDataTraits::Free(gone);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) noexcept override {
        if (!ppenumAdvise) return E_POINTER;
        try {
            *ppenumAdvise = new Enumerator<StatDataTraits>(connections_, 0);
        } catch (...) {
            *ppenumAdvise = nullptr;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SendOnDataChange(IDataObject* pDataObject, DWORD,
                                               DWORD advf) noexcept override {
        // A sink may unadvise while it is told; walk a snapshot of the ids.
        std::vector<DWORD> ids;
        for (const STATDATA& s : connections_)
            ids.push_back(s.dwConnection);
        for (DWORD id : ids) {
            auto it = std::find_if(connections_.begin(), connections_.end(),
                                   [&](const STATDATA& s) { return s.dwConnection == id; });
            if (it == connections_.end()) continue;
            STATDATA entry = StatDataTraits::Copy(*it);
            entry.advf |= advf & ADVF_NODATA;
            Send(pDataObject, entry);
            if (entry.advf & ADVF_ONLYONCE) Unadvise(id);
            StatDataTraits::Free(entry);
        }
        return S_OK;
    }

private:
    ~AdviseHolder() override {
        for (STATDATA& s : connections_)
            StatDataTraits::Free(s);
    }
    static void Send(IDataObject* data, const STATDATA& entry) {
        FORMATETC format = entry.formatetc;
        STGMEDIUM medium{};
        if (!(entry.advf & ADVF_NODATA) && data && SUCCEEDED(data->GetData(&format, &medium))) {
            entry.pAdvSink->OnDataChange(&format, &medium);
            ReleaseStgMedium(&medium);
            return;
        }
        medium.tymed = TYMED_NULL;
        entry.pAdvSink->OnDataChange(&format, &medium);
    }
    std::vector<STATDATA> connections_;
    DWORD lastConnection_ = 0;
};

} // namespace

IEnumFORMATETC* MakeFormatEnumerator(const std::vector<FORMATETC>& formats) {
    try {
        return new Enumerator<FormatTraits>(formats, 0);
    } catch (...) {
        return nullptr;
    }
}

std::vector<FORMATETC> EnumerateFormats(IDataObject* data) {
    std::vector<FORMATETC> formats;
    IEnumFORMATETC* walker = nullptr;
    if (!data || FAILED(data->EnumFormatEtc(DATADIR_GET, &walker)) || !walker) return formats;
    FORMATETC format{};
    ULONG fetched = 0;
    while (walker->Next(1, &format, &fetched) == S_OK && fetched == 1) {
        formats.push_back(format);
        FreeFormatEtc(formats.back()); // the layer renders for the screen only
    }
    walker->Release();
    return formats;
}

} // namespace win32::ole

using namespace win32::ole;

void ReleaseStgMedium(STGMEDIUM* pmedium) {
    if (!pmedium) return;
    if (pmedium->pUnkForRelease) {
        pmedium->pUnkForRelease->Release();
    } else {
        switch (pmedium->tymed) {
        case TYMED_HGLOBAL:
            if (pmedium->hGlobal) GlobalFree(pmedium->hGlobal);
            break;
        case TYMED_FILE:
            CoTaskMemFree(pmedium->lpszFileName);
            break;
        case TYMED_ISTREAM:
            if (pmedium->pstm) pmedium->pstm->Release();
            break;
        // The layer has no storages: nothing makes a TYMED_ISTORAGE medium.
        case TYMED_GDI:
            if (pmedium->hBitmap) DeleteObject(pmedium->hBitmap);
            break;
        default:
            break;
        }
    }
    *pmedium = STGMEDIUM{};
}

HRESULT SHCreateStdEnumFmtEtc(UINT cfmt, const FORMATETC afmt[], IEnumFORMATETC** ppenumFormatEtc) {
    if (!ppenumFormatEtc) return E_INVALIDARG;
    *ppenumFormatEtc = nullptr;
    if (cfmt && !afmt) return E_INVALIDARG;
    *ppenumFormatEtc = MakeFormatEnumerator(std::vector<FORMATETC>(afmt, afmt + cfmt));
    return *ppenumFormatEtc ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm) {
    if (!ppstm) return E_INVALIDARG;
    *ppstm = nullptr;
    try {
        auto shared = std::make_shared<SharedBlock>();
        if (hGlobal) {
            if (!GlobalLock(hGlobal)) return E_INVALIDARG;
            GlobalUnlock(hGlobal);
            shared->block = hGlobal;
            shared->size = GlobalSize(hGlobal);
        } else {
            shared->block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 0);
            if (!shared->block) return E_OUTOFMEMORY;
        }
        shared->deleteOnRelease = fDeleteOnRelease != FALSE;
        *ppstm = new GlobalStream(std::move(shared), 0);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT GetHGlobalFromStream(LPSTREAM pstm, HGLOBAL* phglobal) {
    if (!phglobal) return E_INVALIDARG;
    *phglobal = nullptr;
    auto* stream = dynamic_cast<GlobalStream*>(pstm);
    if (!stream) return E_INVALIDARG;
    *phglobal = stream->Block();
    return S_OK;
}

HRESULT CreateDataAdviseHolder(LPDATAADVISEHOLDER* ppDAHolder) {
    if (!ppDAHolder) return E_INVALIDARG;
    try {
        *ppDAHolder = new AdviseHolder;
    } catch (...) {
        *ppDAHolder = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
