// The general data object and its format enumerator.
#include "benchkit/shell/IDEVirtualDataObject.h"

#include <win32/ole2.h>
#include <win32/winbase.h>

#include <cstdlib>
#include <cstring>

namespace {

bool SameDescription(const FORMATETC& A, const FORMATETC& B) {
    return A.cfFormat == B.cfFormat && A.ptd == B.ptd && A.dwAspect == B.dwAspect &&
           A.lindex == B.lindex && A.tymed == B.tymed;
}

IUnknown* Identity(IUnknown* Object) {
    if (!Object) return nullptr;
    IUnknown* identity = nullptr;
    if (FAILED(Object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity))))
        return nullptr;
    identity->Release(); // only compared, never used
    return identity;
}

} // namespace

TVirtualDataObject::~TVirtualDataObject() {
    for (TDataObjectInfo& info : FFormats)
        if (info.OwnedByDataObject) ReleaseStgMedium(&info.StgMedium);
    if (FAdviseHolder) FAdviseHolder->Release();
}

HRESULT TVirtualDataObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVirtualDataObject, IDataObject>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT TVirtualDataObject::StgMediumIncRef(const STGMEDIUM& In, STGMEDIUM& Out,
                                            bool CopyInMedium) {
    Out = In;
    switch (In.tymed) {
    case TYMED_HGLOBAL:
        if (CopyInMedium) {
            SIZE_T size = GlobalSize(In.hGlobal);
            HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
            if (!copy) return E_OUTOFMEMORY;
            void* to = GlobalLock(copy);
            const void* from = GlobalLock(In.hGlobal);
            if (to && from) std::memcpy(to, from, size);
            if (from) GlobalUnlock(In.hGlobal);
            GlobalUnlock(copy);
            if (!to || !from) {
                GlobalFree(copy);
                return E_OUTOFMEMORY;
            }
            Out.hGlobal = copy;
        } else {
            Out.pUnkForRelease = static_cast<IDataObject*>(this);
        }
        break;
    case TYMED_FILE:
        if (CopyInMedium) {
            size_t length = 0;
            while (In.lpszFileName && In.lpszFileName[length])
                ++length;
            auto* name = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(WCHAR)));
            if (!name) return E_OUTOFMEMORY;
            if (length) std::memcpy(name, In.lpszFileName, length * sizeof(WCHAR));
            name[length] = 0;
            Out.lpszFileName = name;
        } else {
            Out.pUnkForRelease = static_cast<IDataObject*>(this);
        }
        break;
    case TYMED_ISTREAM:
        if (Out.pstm) Out.pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        if (Out.pstg) reinterpret_cast<IUnknown*>(Out.pstg)->AddRef();
        break;
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        if (CopyInMedium) return DV_E_TYMED;
        Out.pUnkForRelease = static_cast<IDataObject*>(this);
        break;
    default: return DV_E_TYMED;
    }
    if (Out.pUnkForRelease) Out.pUnkForRelease->AddRef();
    return S_OK;
}

HRESULT TVirtualDataObject::QueryGetData(FORMATETC* FormatEtc) noexcept {
    try {
        if (!FormatEtc) return E_INVALIDARG;
        bool available = false, handled = false;
        if (OnQueryGetData) OnQueryGetData(this, *FormatEtc, available, handled);
        if (handled) return available ? S_OK : DV_E_FORMATETC;
        if (available) return S_OK;
        if (FFormats.empty()) return E_UNEXPECTED;
        HRESULT result = DV_E_FORMATETC;
        for (size_t i = 0; i < FFormats.size() && result == DV_E_FORMATETC; ++i) {
            const FORMATETC& stored = FFormats[i].FormatEtc;
            if (stored.cfFormat != FormatEtc->cfFormat) continue;
            if (stored.dwAspect != FormatEtc->dwAspect)
                result = DV_E_DVASPECT;
            else
                result = (stored.tymed & FormatEtc->tymed) ? S_OK : DV_E_TYMED;
        }
        return result;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualDataObject::GetData(FORMATETC* FormatEtcIn, STGMEDIUM* Medium) noexcept {
    try {
        if (!FormatEtcIn || !Medium) return E_INVALIDARG;
        bool handled = false;
        if (OnGetData) OnGetData(this, *FormatEtcIn, *Medium, handled);
        if (handled) return S_OK;
        if (FFormats.empty()) return E_UNEXPECTED;
        HRESULT result = QueryGetData(FormatEtcIn);
        if (FAILED(result)) return result;
        for (const TDataObjectInfo& info : FFormats)
            if (info.FormatEtc.cfFormat == FormatEtcIn->cfFormat &&
                info.FormatEtc.dwAspect == FormatEtcIn->dwAspect &&
                (info.FormatEtc.tymed & FormatEtcIn->tymed) &&
                info.FormatEtc.lindex == FormatEtcIn->lindex)
                return StgMediumIncRef(info.StgMedium, *Medium, true);
        return GetUserData(*FormatEtcIn, *Medium) ? S_OK : E_UNEXPECTED;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) noexcept {
    if (Out) Out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TVirtualDataObject::SetData(FORMATETC* FormatEtc, STGMEDIUM* Medium,
                                    BOOL DoRelease) noexcept {
    try {
        if (!FormatEtc || !Medium) return E_INVALIDARG;
        STGMEDIUM stored{};
        if (DoRelease) {
            stored = *Medium;
        } else {
            HRESULT result = StgMediumIncRef(*Medium, stored, true);
            if (FAILED(result)) return result;
        }
        // A medium released by this object itself would keep it alive for ever.
        if (stored.pUnkForRelease &&
            Identity(stored.pUnkForRelease) == Identity(static_cast<IDataObject*>(this))) {
            stored.pUnkForRelease->Release();
            stored.pUnkForRelease = nullptr;
        }
        TDataObjectInfo* entry = nullptr;
        for (TDataObjectInfo& info : FFormats)
            if (SameDescription(info.FormatEtc, *FormatEtc)) entry = &info;
        if (entry) {
            if (entry->OwnedByDataObject) ReleaseStgMedium(&entry->StgMedium);
        } else {
            FFormats.push_back(TDataObjectInfo{*FormatEtc, {}, false});
            entry = &FFormats.back();
        }
        entry->StgMedium = stored;
        entry->OwnedByDataObject = true;
        if (FAdviseHolder) FAdviseHolder->SendOnDataChange(this, 0, 0);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualDataObject::EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Enum) noexcept {
    try {
        if (!Enum) return E_INVALIDARG;
        *Enum = nullptr;
        if (Direction != DATADIR_GET) return E_NOTIMPL;
        if (FFormats.empty()) return E_UNEXPECTED;
        TFormatEtcArray formats;
        for (const TDataObjectInfo& info : FFormats)
            formats.push_back(info.FormatEtc);
        auto* enumerator = new TEnumFormatEtc(std::move(formats));
        return enumerator->QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(Enum));
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualDataObject::DAdvise(FORMATETC* FormatEtc, DWORD advf, IAdviseSink* AdvSink,
                                    DWORD* Connection) noexcept {
    if (!FAdviseHolder && FAILED(CreateDataAdviseHolder(&FAdviseHolder)))
        return OLE_E_ADVISENOTSUPPORTED;
    return FAdviseHolder->Advise(this, FormatEtc, advf, AdvSink, Connection);
}

HRESULT TVirtualDataObject::DUnadvise(DWORD Connection) noexcept {
    if (!FAdviseHolder && FAILED(CreateDataAdviseHolder(&FAdviseHolder)))
        return OLE_E_ADVISENOTSUPPORTED;
    return FAdviseHolder->Unadvise(Connection);
}

HRESULT TVirtualDataObject::EnumDAdvise(IEnumSTATDATA** EnumAdvise) noexcept {
    if (!FAdviseHolder && FAILED(CreateDataAdviseHolder(&FAdviseHolder)))
        return OLE_E_ADVISENOTSUPPORTED;
    return FAdviseHolder->EnumAdvise(EnumAdvise);
}

bool TVirtualDataObject::AssignDragImage(HBITMAP, POINT, COLORREF) {
    return false;
}

bool TVirtualDataObject::SaveGlobalBlock(CLIPFORMAT Format, const void* Block, size_t Size) {
    try {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, Size);
        if (!memory) return false;
        void* data = GlobalLock(memory);
        if (!data) {
            GlobalFree(memory);
            return false;
        }
        if (Size) std::memcpy(data, Block, Size);
        GlobalUnlock(memory);
        FORMATETC format{Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = memory;
        if (FAILED(SetData(&format, &medium, TRUE))) {
            GlobalFree(memory);
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TVirtualDataObject::LoadGlobalBlock(CLIPFORMAT Format, void*& Block, size_t& Size) {
    Block = nullptr;
    Size = 0;
    FORMATETC format{Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (QueryGetData(&format) != S_OK) return false;
    STGMEDIUM medium{};
    if (FAILED(GetData(&format, &medium))) return false;
    bool ok = false;
    if (medium.tymed == TYMED_HGLOBAL) {
        SIZE_T size = GlobalSize(medium.hGlobal);
        const void* data = GlobalLock(medium.hGlobal);
        if (data) {
            Block = std::malloc(size ? size : 1);
            if (Block) {
                std::memcpy(Block, data, size);
                Size = size;
                ok = true;
            }
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return ok;
}

// ---- enumerator ---------------------------------------------------------------------------

HRESULT TEnumFormatEtc::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IEnumFORMATETC>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT TEnumFormatEtc::Next(ULONG Count, FORMATETC* Items, ULONG* Fetched) noexcept {
    if (!Items) return E_INVALIDARG;
    ULONG copied = 0;
    while (copied < Count && FInternalIndex < static_cast<int>(FFormats.size()))
        Items[copied++] = FFormats[FInternalIndex++];
    if (Fetched) *Fetched = copied;
    return copied == Count ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(ULONG Count) noexcept {
    if (FInternalIndex + static_cast<int64_t>(Count) >= static_cast<int64_t>(FFormats.size()))
        return S_FALSE;
    FInternalIndex += static_cast<int>(Count);
    return S_OK;
}

HRESULT TEnumFormatEtc::Reset() noexcept {
    FInternalIndex = 0;
    return S_OK;
}

HRESULT TEnumFormatEtc::Clone(IEnumFORMATETC** Enum) noexcept {
    if (!Enum) return E_INVALIDARG;
    auto* copy = new TEnumFormatEtc(FFormats, FInternalIndex);
    return copy->QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(Enum));
}
