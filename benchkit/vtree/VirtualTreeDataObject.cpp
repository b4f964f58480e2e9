// The clipboard format registry of the trees and the data object a tree
// hands to the clipboard and to drag and drop: it lists the tree's formats,
// has the tree render them on request, and keeps what consumers set into it.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/VirtualTreeDataObject.h"

#include <runpak/TypeInfo.h>
#include <win32/ole2.h>
#include <win32/windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

const char16_t* const StandardFormatNames[] = {
    u"Plain text",       u"Windows bitmap",     u"Windows metafile",         u"Symbolic link",
    u"Data interchange format", u"Tiff image",   u"OEM text",                 u"DIB image",
    u"Palette data",     u"Pen data",           u"Riff audio data",          u"Wav audio data",
    u"Unicode text",     u"Enhanced metafile image", u"File name(s)",        u"Locale descriptor",
    u"DIBV5 image"};

std::unique_ptr<TClipboardFormatList>& ListSlot() {
    static std::unique_ptr<TClipboardFormatList> list;
    return list;
}

bool SameText(const UnicodeString& A, const UnicodeString& B) {
    if (A.size() != B.size()) return false;
    for (size_t i = 0; i < A.size(); ++i) {
        char16_t a = A[i], b = B[i];
        if (a >= u'a' && a <= u'z') a = char16_t(a - 32);
        if (b >= u'a' && b <= u'z') b = char16_t(b - 32);
        if (a != b) return false;
    }
    return true;
}

bool Inherits(TClass Class, TClass Ancestor) {
    for (TClass run = Class; run; run = run->ClassParent())
        if (run == Ancestor) return true;
    return false;
}

} // namespace

// --- Registry ----------------------------------------------------------------------------

TClipboardFormatList* ClipboardFormats() {
    auto& slot = ListSlot();
    if (!slot) slot = std::make_unique<TClipboardFormatList>();
    return slot.get();
}

void FreeClipboardFormats() {
    ListSlot().reset();
}

void TClipboardFormatList::Add(const TClipboardFormatEntry& Entry) {
    FEntries.push_back(Entry);
    std::stable_sort(FEntries.begin(), FEntries.end(),
                     [](const auto& a, const auto& b) { return a.Priority < b.Priority; });
}

void TClipboardFormatList::Clear() {
    FEntries.clear();
}

void TClipboardFormatList::EnumerateFormats(TClass TreeClass, std::vector<FORMATETC>& Formats,
                                            const TStrings* AllowedFormats) const {
    Formats.clear();
    for (const auto& entry : FEntries) {
        if (!Inherits(TreeClass, entry.TreeClass)) continue;
        if (AllowedFormats && AllowedFormats->IndexOf(entry.Description) < 0) continue;
        Formats.push_back(entry.FormatEtc);
    }
}

const TClipboardFormatEntry* TClipboardFormatList::FindFormat(const UnicodeString& Description) const {
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
        if (SameText(it->Description, Description)) return &*it;
    return nullptr;
}

TClass TClipboardFormatList::FindFormat(const UnicodeString& Description, uint16_t& FormatId) const {
    const TClipboardFormatEntry* entry = FindFormat(Description);
    if (!entry) return nullptr;
    FormatId = entry->FormatEtc.cfFormat;
    return entry->TreeClass;
}

TClass TClipboardFormatList::FindFormat(uint16_t FormatId, UnicodeString& Description) const {
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
        if (it->FormatEtc.cfFormat == FormatId) {
            Description = it->Description;
            return it->TreeClass;
        }
    return nullptr;
}

uint16_t RegisterVTClipboardFormat(const UnicodeString& Description, TClass TreeClass,
                                   uint32_t Priority, DWORD Tymed, DVTARGETDEVICE* TargetDevice,
                                   DWORD Aspect, LONG Index) {
    TClipboardFormatEntry entry;
    entry.Description = Description;
    entry.TreeClass = TreeClass;
    entry.Priority = Priority;
    entry.FormatEtc.cfFormat = CLIPFORMAT(RegisterClipboardFormatW(Description.c_str()));
    entry.FormatEtc.ptd = TargetDevice;
    entry.FormatEtc.dwAspect = Aspect;
    entry.FormatEtc.lindex = Index;
    entry.FormatEtc.tymed = Tymed;
    ClipboardFormats()->Add(entry);
    return entry.FormatEtc.cfFormat;
}

void RegisterVTClipboardFormat(uint16_t Format, TClass TreeClass, uint32_t Priority) {
    TClipboardFormatEntry entry;
    if (Format < 18) {
        if (Format == 0 || Format > std::size(StandardFormatNames)) return;
        entry.Description = StandardFormatNames[Format - 1];
    } else {
        char16_t buffer[2049] = {};
        const int length = GetClipboardFormatNameW(Format, buffer, 2049);
        entry.Description.assign(buffer, size_t(std::max(length, 0)));
    }
    entry.TreeClass = TreeClass;
    entry.Priority = Priority;
    entry.FormatEtc = FORMATETC{Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ClipboardFormats()->Add(entry);
}

void EnumerateVTClipboardFormats(TClass TreeClass, std::vector<FORMATETC>& Formats) {
    ClipboardFormats()->EnumerateFormats(TreeClass, Formats, nullptr);
}

void EnumerateVTClipboardFormats(TClass TreeClass, TStrings* List) {
    for (const auto& entry : ClipboardFormats()->GetEntries())
        if (Inherits(TreeClass, entry.TreeClass)) List->Add(entry.Description);
}

UnicodeString GetVTClipboardFormatDescription(uint16_t Format) {
    UnicodeString description;
    ClipboardFormats()->FindFormat(Format, description);
    return description;
}

TClass VTClipboardFormatClass(const UnicodeString& Description) {
    const TClipboardFormatEntry* entry = ClipboardFormats()->FindFormat(Description);
    return entry ? entry->TreeClass : nullptr;
}

void ClearVTClipboardFormats() {
    FreeClipboardFormats();
}

// --- Format enumerator ------------------------------------------------------------------------

vtree::TEnumFormatEtc::TEnumFormatEtc(TBaseVirtualTree* Tree, std::vector<FORMATETC> Formats)
    : FTree(Tree), FFormatEtcArray(std::move(Formats)) {}

HRESULT vtree::TEnumFormatEtc::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IEnumFORMATETC>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT vtree::TEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) noexcept {
    ULONG fetched = 0;
    while (fetched < celt && FCurrentIndex < FFormatEtcArray.size())
        rgelt[fetched++] = FFormatEtcArray[FCurrentIndex++];
    if (pceltFetched) *pceltFetched = fetched;
    // Only a full answer is S_OK: a caller asking for more than is left
    // learns from S_FALSE that the list ended.
    return fetched == celt ? S_OK : S_FALSE;
}

HRESULT vtree::TEnumFormatEtc::Skip(ULONG celt) noexcept {
    if (FFormatEtcArray.size() - FCurrentIndex < celt) return S_FALSE;
    FCurrentIndex += celt;
    return S_OK;
}

HRESULT vtree::TEnumFormatEtc::Reset() noexcept {
    FCurrentIndex = 0;
    return S_OK;
}

HRESULT vtree::TEnumFormatEtc::Clone(IEnumFORMATETC** ppenum) noexcept {
    if (!ppenum) return E_FAIL;
    try {
        auto* clone = new vtree::TEnumFormatEtc(FTree, FFormatEtcArray);
        clone->FCurrentIndex = FCurrentIndex;
        *ppenum = clone;
        clone->AddRef();
        return S_OK;
    } catch (...) {
        *ppenum = nullptr;
        return E_FAIL;
    }
}

// --- Data object -------------------------------------------------------------------------------

TVTDataObject::TVTDataObject(TBaseVirtualTree* AOwner, bool ForClipboard)
    : FOwner(AOwner), FForClipboard(ForClipboard) {
    if (FOwner) FOwner->GetNativeClipboardFormats(FFormatEtcArray);
}

TVTDataObject::~TVTDataObject() {
    if (FOwner && FOwner->FClipboardDataObject == this) FOwner->FClipboardDataObject = nullptr;
    if (FForClipboard && FOwner && !FOwner->HasState(tsClipboardFlushing))
        FOwner->CancelCutOrCopy();
    for (auto& stored : FInternalStgMediumArray)
        ReleaseStgMedium(&stored.Medium);
}

HRESULT TVTDataObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IDataObject>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

bool TVTDataObject::EqualFormatEtc(const FORMATETC& A, const FORMATETC& B) {
    return A.cfFormat == B.cfFormat && A.ptd == B.ptd && A.dwAspect == B.dwAspect &&
           A.lindex == B.lindex && (A.tymed & B.tymed) != 0;
}

int TVTDataObject::FindFormatEtc(const FORMATETC& Test) const {
    for (size_t i = 0; i < FFormatEtcArray.size(); ++i)
        if (EqualFormatEtc(Test, FFormatEtcArray[i])) return int(i);
    return -1;
}

STGMEDIUM* TVTDataObject::FindInternalStgMedium(uint16_t Format) {
    for (auto& stored : FInternalStgMediumArray)
        if (stored.Format == Format) return &stored.Medium;
    return nullptr;
}

IUnknown* TVTDataObject::CanonicalIUnknown(IUnknown* Test) {
    if (!Test) return nullptr;
    IUnknown* unknown = nullptr;
    if (FAILED(Test->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)))) return Test;
    unknown->Release();
    return unknown;
}

HGLOBAL TVTDataObject::HGlobalClone(HGLOBAL Source) {
    const SIZE_T size = GlobalSize(Source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size);
    if (!copy) return nullptr;
    void* from = GlobalLock(Source);
    void* to = GlobalLock(copy);
    if (from && to && size) std::memcpy(to, from, size);
    GlobalUnlock(copy);
    GlobalUnlock(Source);
    return copy;
}

HRESULT TVTDataObject::StgMediumIncRef(const STGMEDIUM& Source, STGMEDIUM& Destination,
                                       bool CopyInMedium, IDataObject* DataObject) {
    Destination.tymed = Source.tymed;
    Destination.hGlobal = Source.hGlobal;
    Destination.pUnkForRelease = Source.pUnkForRelease;
    HRESULT result = S_OK;
    switch (Source.tymed) {
    case TYMED_HGLOBAL:
        if (CopyInMedium) {
            Destination.hGlobal = HGlobalClone(Source.hGlobal);
            if (!Destination.hGlobal) result = E_OUTOFMEMORY;
        } else {
            Destination.pUnkForRelease = DataObject;
        }
        break;
    case TYMED_FILE: {
        const size_t length = std::char_traits<char16_t>::length(Source.lpszFileName);
        auto* name = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(char16_t)));
        if (!name) {
            result = E_OUTOFMEMORY;
            break;
        }
        std::memcpy(name, Source.lpszFileName, (length + 1) * sizeof(char16_t));
        Destination.lpszFileName = name;
        break;
    }
    case TYMED_ISTREAM:
        Destination.pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        reinterpret_cast<IUnknown*>(Destination.pstg)->AddRef();
        break;
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        if (CopyInMedium)
            result = DV_E_TYMED;
        else
            Destination.pUnkForRelease = DataObject;
        break;
    default:
        result = DV_E_TYMED;
    }
    if (SUCCEEDED(result) && Destination.pUnkForRelease) Destination.pUnkForRelease->AddRef();
    return result;
}

HRESULT TVTDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) noexcept {
    if (!pformatetcIn || !pmedium) return E_INVALIDARG;
    try {
        std::memset(pmedium, 0, sizeof *pmedium);
        if (pformatetcIn->cfFormat == CF_VTREFERENCE && CF_VTREFERENCE) {
            if (!FOwner || FOwner->HasState(tsClipboardFlushing)) return E_FAIL;
            pmedium->hGlobal = RenderTreeReference(FOwner);
            if (!pmedium->hGlobal) return E_OUTOFMEMORY;
            pmedium->tymed = TYMED_HGLOBAL;
            return S_OK;
        }
        HRESULT result = QueryGetData(pformatetcIn);
        if (result != S_OK) return result;
        for (const FORMATETC& offered : FFormatEtcArray) {
            if (!EqualFormatEtc(*pformatetcIn, offered)) continue;
            if (STGMEDIUM* stored = FindInternalStgMedium(offered.cfFormat))
                return StgMediumIncRef(*stored, *pmedium, false, this);
            if (!FOwner) return E_FAIL;
            return FOwner->RenderOLEData(*pformatetcIn, *pmedium, FForClipboard);
        }
        return DV_E_FORMATETC;
    } catch (...) {
        std::memset(pmedium, 0, sizeof *pmedium);
        return E_FAIL;
    }
}

HRESULT TVTDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) noexcept {
    return E_NOTIMPL;
}

HRESULT TVTDataObject::QueryGetData(FORMATETC* pformatetc) noexcept {
    if (!pformatetc) return E_INVALIDARG;
    HRESULT result = DV_E_CLIPFORMAT;
    for (const FORMATETC& offered : FFormatEtcArray) {
        if (offered.cfFormat != pformatetc->cfFormat) continue;
        if ((offered.tymed & pformatetc->tymed) == 0)
            result = DV_E_TYMED;
        else if (offered.dwAspect != pformatetc->dwAspect)
            result = DV_E_DVASPECT;
        else if (offered.lindex != pformatetc->lindex)
            result = DV_E_LINDEX;
        else
            return S_OK;
    }
    return result;
}

HRESULT TVTDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept {
    return DATA_S_SAMEFORMATETC;
}

HRESULT TVTDataObject::SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) noexcept {
    if (!pformatetc || !pmedium) return E_INVALIDARG;
    try {
        STGMEDIUM* stored = nullptr;
        if (FindFormatEtc(*pformatetc) < 0) {
            FFormatEtcArray.push_back(*pformatetc);
            FInternalStgMediumArray.push_back({pformatetc->cfFormat, STGMEDIUM{}});
            stored = &FInternalStgMediumArray.back().Medium;
        } else {
            stored = FindInternalStgMedium(pformatetc->cfFormat);
            if (!stored) {
                FInternalStgMediumArray.push_back({pformatetc->cfFormat, STGMEDIUM{}});
                stored = &FInternalStgMediumArray.back().Medium;
            } else {
                ReleaseStgMedium(stored);
                std::memset(stored, 0, sizeof *stored);
            }
        }
        HRESULT result = S_OK;
        if (fRelease) {
            *stored = *pmedium;
        } else {
            result = StgMediumIncRef(*pmedium, *stored, true, this);
            // A medium that this object would release would keep it alive for ever.
            if (SUCCEEDED(result) &&
                CanonicalIUnknown(stored->pUnkForRelease) == CanonicalIUnknown(static_cast<IDataObject*>(this))) {
                stored->pUnkForRelease->Release();
                stored->pUnkForRelease = nullptr;
            }
        }
        if (FAdviseHolder) FAdviseHolder->SendOnDataChange(this, 0, 0);
        return result;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVTDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) noexcept {
    if (!ppenumFormatEtc) return E_INVALIDARG;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET) return OLE_S_USEREG;
    try {
        auto* enumerator = new vtree::TEnumFormatEtc(FOwner, FFormatEtcArray);
        enumerator->AddRef();
        *ppenumFormatEtc = enumerator;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVTDataObject::DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                               DWORD* pdwConnection) noexcept {
    if (!FAdviseHolder && FAILED(CreateDataAdviseHolder(FAdviseHolder.Out()))) return E_FAIL;
    return FAdviseHolder->Advise(this, pformatetc, advf, pAdvSink, pdwConnection);
}

HRESULT TVTDataObject::DUnadvise(DWORD dwConnection) noexcept {
    if (!FAdviseHolder) return E_NOTIMPL;
    return FAdviseHolder->Unadvise(dwConnection);
}

HRESULT TVTDataObject::EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept {
    if (!FAdviseHolder) return OLE_E_ADVISENOTSUPPORTED;
    return FAdviseHolder->EnumAdvise(ppenumAdvise);
}

HGLOBAL TVTDataObject::RenderTreeReference(TBaseVirtualTree* Tree) {
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, TreeReferenceSize);
    if (!global) return nullptr;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(global));
    const uint32_t process = GetCurrentProcessId();
    std::memcpy(bytes, &process, 4);
    std::memcpy(bytes + 4, &Tree, sizeof Tree);
    GlobalUnlock(global);
    return global;
}
