#include "benchkit/shell/IDEVirtualNamespace.h"

#include "benchkit/shell/IDEVirtualShellNotifier.h"

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <runpak/TypeInfo.h>
#include <win32/combaseapi.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#ifndef SFGAO_CANMONIKER
#define SFGAO_CANMONIKER 0x00400000L
#endif
#ifndef SHGDN_INCLUDE_NONFILESYS
#define SHGDN_INCLUDE_NONFILESYS 0x2000
#endif

namespace {

// The shell flag of each member, in member order.
constexpr SFGAOF kAttributeFlags[] = {
    SFGAO_CANCOPY,      SFGAO_CANDELETE,     SFGAO_CANLINK,      SFGAO_CANMONIKER,
    SFGAO_CANMOVE,      SFGAO_CANRENAME,     SFGAO_DROPTARGET,   SFGAO_HASPROPSHEET,
    SFGAO_GHOSTED,      SFGAO_LINK,          SFGAO_READONLY,     SFGAO_SHARE,
    SFGAO_HASSUBFOLDER, SFGAO_BROWSABLE,     SFGAO_COMPRESSED,   SFGAO_FILESYSTEM,
    SFGAO_FILESYSANCESTOR, SFGAO_FOLDER,     SFGAO_NEWCONTENT,   SFGAO_NONENUMERATED,
    SFGAO_REMOVABLE,    SFGAO_VALIDATE};

template <class Set, class Member, size_t N>
Set FromFlags(DWORD Flags, const DWORD (&Table)[N], Member First) {
    Set out;
    for (size_t i = 0; i < N; ++i)
        if (Table[i] && (Flags & Table[i]) == Table[i]) out.Include(static_cast<Member>(First + i));
    return out;
}

// The item ids of a PIDL as an array of one-item lists, for the virtuals.
struct ItemArray {
    TPIDLList list;
    ItemArray(UINT Count, PCUITEMID_CHILD_ARRAY Items) {
        list.SetSharePIDLs(true);
        for (UINT i = 0; Items && i < Count; ++i)
            list.Add(const_cast<ITEMIDLIST*>(Items[i]));
    }
};

const ITEMIDLIST* LastItem(PItemIDList PIDL) {
    if (!PIDL || PIDL->mkid.cb == 0) return nullptr;
    const ITEMIDLIST* last = PIDL;
    for (const ITEMIDLIST* at = PIDL; at->mkid.cb != 0;
         at = reinterpret_cast<const ITEMIDLIST*>(reinterpret_cast<const BYTE*>(at) + at->mkid.cb))
        last = at;
    return last;
}

TPIDLManager* UnitPIDLMgr = nullptr; // the unit's own, made at start-up

TPIDLManager& PIDLs() {
    if (!UnitPIDLMgr) UnitPIDLMgr = new TPIDLManager;
    return *UnitPIDLMgr;
}

std::mutex FactoryMade;
TNamespaceExtensionFactory* TheFactory = nullptr;

const char16_t kHookName[] = u"Qozkits VirtualNamespace Hook";

} // namespace

// --- Flag mappings ------------------------------------------------------------------------

TFolderAttributes FolderAttributesFromShell(SFGAOF Flags) {
    TFolderAttributes out;
    for (size_t i = 0; i < std::size(kAttributeFlags); ++i)
        if (Flags & kAttributeFlags[i]) out.Include(static_cast<TFolderAttribute>(i));
    return out;
}

SFGAOF FolderAttributesToShell(TFolderAttributes Attributes) {
    SFGAOF out = 0;
    for (size_t i = 0; i < std::size(kAttributeFlags); ++i)
        if (Attributes.Contains(static_cast<TFolderAttribute>(i))) out |= kAttributeFlags[i];
    return out;
}

TDisplayNameFlags DisplayNameFlagsFromShell(SHGDNF Flags) {
    static const DWORD table[] = {0, SHGDN_INFOLDER, SHGDN_INCLUDE_NONFILESYS, SHGDN_FORADDRESSBAR,
                                  SHGDN_FORPARSING};
    TDisplayNameFlags out = FromFlags<TDisplayNameFlags>(Flags, table, dnfNormal);
    if (out.Empty()) out.Include(dnfNormal);
    return out;
}

TFolderEnumFlags FolderEnumFlagsFromShell(SHCONTF Flags) {
    static const DWORD table[] = {0x20, 0x40, 0x80};
    return FromFlags<TFolderEnumFlags>(Flags, table, fefFolders);
}

TSetNameFlags SetNameFlagsFromShell(SHGDNF Flags) {
    static const DWORD table[] = {0x20, 0x40, 0x80};
    return FromFlags<TSetNameFlags>(Flags, table, snfFolders);
}

TVirtualIconFlags IconFlagsFromShell(UINT Flags) {
    static const DWORD table[] = {GIL_FORSHELL, GIL_OPENICON};
    return FromFlags<TVirtualIconFlags>(Flags, table, ifShell);
}

TVirtualDropKeyStates DropKeyStatesFromShell(DWORD KeyState) {
    static const DWORD table[] = {MK_CONTROL, MK_SHIFT, MK_ALT, 0, MK_LBUTTON, MK_MBUTTON,
                                  MK_RBUTTON};
    TVirtualDropKeyStates out = FromFlags<TVirtualDropKeyStates>(KeyState, table, vdksControl);
    if (KeyState & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)) out.Include(vdksButton);
    return out;
}

TVirtualDropEffects DropEffectsFromShell(DWORD Effect) {
    static const DWORD table[] = {0, DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK};
    TVirtualDropEffects out = FromFlags<TVirtualDropEffects>(Effect, table, vdeNone);
    if (out.Empty()) out.Include(vdeNone);
    return out;
}

DWORD DropEffectsToShell(TVirtualDropEffects Effects) {
    DWORD out = DROPEFFECT_NONE;
    if (Effects.Contains(vdeCopy)) out |= DROPEFFECT_COPY;
    if (Effects.Contains(vdeMove)) out |= DROPEFFECT_MOVE;
    if (Effects.Contains(vdeLink)) out |= DROPEFFECT_LINK;
    return out;
}

TContextMenuFlags ContextMenuFlagsFromShell(UINT Flags) {
    // cmNormal has no flag of its own and is never produced.
    static const DWORD table[] = {CMF_DEFAULTONLY,   CMF_EXPLORE,       0,
                                  CMF_VERBSONLY,     CMF_CANRENAME,     CMF_EXTENDEDVERBS,
                                  CMF_INCLUDESTATIC, CMF_NODEFAULT,     CMF_NOVERBS};
    return FromFlags<TContextMenuFlags>(Flags, table, cmDefaultOnly);
}

// --- Item ids ------------------------------------------------------------------------------------

void TItemID::SavePIDLStream(TStream* Stream) {
    Stream->WriteBuffer(&FClassID, sizeof FClassID);
    uint32_t version = FVersion;
    Stream->WriteBuffer(&version, 4);
    uint32_t count = static_cast<uint32_t>(FInFolderNameASCII.size()) + 2;
    Stream->WriteBuffer(&count, 4);
    Stream->WriteBuffer(FInFolderNameASCII.data(), static_cast<int>(FInFolderNameASCII.size() * 2));
    const char16_t zeros[2] = {0, 0};
    Stream->WriteBuffer(zeros, 4);
}

void TItemID::LoadPIDLStream(TStream* Stream) {
    Stream->ReadBuffer(&FClassID, sizeof FClassID);
    uint32_t version = 0, count = 0;
    Stream->ReadBuffer(&version, 4);
    Stream->ReadBuffer(&count, 4);
    FVersion = version;
    if (count < 2) throw EReadError(u"Stream read error"); // no room for the two zeros
    FInFolderNameASCII.assign(count - 2, u'\0');
    Stream->ReadBuffer(FInFolderNameASCII.data(), static_cast<int>((count - 2) * 2));
    char16_t zeros[2];
    Stream->ReadBuffer(zeros, 4);
}

void TItemID::Clear() {
    FInFolderNameASCII.clear();
    FVersion = 0;
}

PItemIDList TItemID::GetItemID() {
    TMemoryStream stream;
    const uint16_t placeholder = 0;
    stream.WriteBuffer(&placeholder, 2);
    SavePIDLStream(&stream);
    const uint16_t cb = static_cast<uint16_t>(stream.GetSize());
    std::memcpy(stream.GetMemory(), &cb, 2);
    stream.WriteBuffer(&placeholder, 2); // the list's terminator
    auto* pidl = static_cast<PItemIDList>(CoTaskMemAlloc(static_cast<SIZE_T>(stream.GetSize())));
    if (pidl) std::memcpy(pidl, stream.GetMemory(), static_cast<size_t>(stream.GetSize()));
    return pidl;
}

bool TItemID::SetItemID(PItemIDList PIDL) {
    Clear();
    const ITEMIDLIST* last = LastItem(PIDL);
    if (!last || last->mkid.cb <= 16 + 2) return false;
    GUID id;
    std::memcpy(&id, reinterpret_cast<const BYTE*>(last) + 2, sizeof id);
    if (id != FClassID) return false;
    // The name's stored length must fit the item: a bad length is refused
    // before a single unit of the name is read.
    const BYTE* bytes = reinterpret_cast<const BYTE*>(last);
    const uint32_t cb = last->mkid.cb;
    if (cb < GetInFolderNameASCII_Offset) return false;
    uint32_t count = 0;
    std::memcpy(&count, bytes + 22, 4);
    if (count < 2 || uint64_t(count) * 2 > cb - GetInFolderNameASCII_Offset) return false;
    TMemoryStream stream;
    stream.WriteBuffer(bytes + 2, static_cast<int>(cb - 2));
    stream.SetPosition(0);
    LoadPIDLStream(&stream);
    return true;
}

GUID ExtractGUID_FromPIDL(PItemIDList PIDL) {
    GUID id{};
    const ITEMIDLIST* last = LastItem(PIDL);
    if (last && last->mkid.cb > 16 + 2)
        std::memcpy(&id, reinterpret_cast<const BYTE*>(last) + 2, sizeof id);
    return id;
}

// --- Reference counting --------------------------------------------------------------------------

HRESULT TVirtualInterfacedPersistent::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG TVirtualInterfacedPersistent::AddRef() noexcept {
    return static_cast<ULONG>(++FRefCount);
}

ULONG TVirtualInterfacedPersistent::Release() noexcept {
    LONG count = --FRefCount;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

// --- The extension --------------------------------------------------------------------------------

TBaseVirtualNamespaceExtension::~TBaseVirtualNamespaceExtension() {
    delete FItemID;
    PIDLs().FreePIDL(FDropTargetPIDL);
    PIDLs().FreePIDL(FAbsolutePIDL);
}

void TBaseVirtualNamespaceExtension::AfterCreate() {
    if (!FItemID) FItemID = CreateItemID();
    FSupportedInterfaces = GetSupportedInterfaces();
}

HRESULT TBaseVirtualNamespaceExtension::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IShellFolder, IShellIcon, IPersistFolder, IPersist>(this, iid, out))
        return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TBaseVirtualNamespaceExtension::ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*,
                                                         PIDLIST_RELATIVE*, ULONG*) noexcept {
    return E_NOTIMPL;
}

HRESULT TBaseVirtualNamespaceExtension::BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                                     void**) noexcept {
    return E_NOTIMPL;
}

HRESULT TBaseVirtualNamespaceExtension::BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                                      void**) noexcept {
    return E_NOTIMPL;
}

HRESULT TBaseVirtualNamespaceExtension::EnumObjects(HWND, SHCONTF grfFlags,
                                                    IEnumIDList** ppenumIDList) noexcept {
    if (!ppenumIDList) return E_POINTER;
    try {
        auto* enumerator = new TVirtualNamespaceEnum(this, FolderEnumFlagsFromShell(grfFlags));
        enumerator->AddRef();
        *ppenumIDList = enumerator;
        return S_OK;
    } catch (...) {
        *ppenumIDList = nullptr;
        return E_OUTOFMEMORY;
    }
}

HRESULT TBaseVirtualNamespaceExtension::CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                                   PCUIDLIST_RELATIVE pidl2) noexcept {
    try {
        int order = CompareItems(static_cast<int>(lParam), const_cast<PItemIDList>(pidl1),
                                 const_cast<PItemIDList>(pidl2));
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<uint16_t>(static_cast<int16_t>(order)));
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::CreateViewObject(HWND, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IDropTarget) return E_NOINTERFACE;
    try {
        IDropTarget* target = CreateIDropTarget();
        if (!target) return E_NOINTERFACE;
        target->AddRef();
        *ppv = target;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                                        SFGAOF* rgfInOut) noexcept {
    if (!rgfInOut) return E_POINTER;
    try {
        TPIDLList items;
        if (cidl > 0 && apidl && apidl[0])
            PIDLs().ParsePIDL(const_cast<PItemIDList>(apidl[0]), &items, false);
        *rgfInOut = FolderAttributesToShell(
            Attributes(&items, FolderAttributesFromShell(*rgfInOut)));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::GetUIObjectOf(HWND, UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                                      REFIID riid, UINT*, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    try {
        ItemArray items(cidl, apidl);
        TPIDLList* list = &items.list;
        const int count = list->GetCount();
        const TSupportedInterfaces& has = FSupportedInterfaces;
        IUnknown* made = nullptr;
        if (riid == IID_IDropTarget && count == 1)
            made = CreateIDropTarget(list);
        else if (riid == IID_IShellDetails && has.Contains(siIShellDetails) && count <= 1)
            made = CreateIShellDetails(count ? list->GetPIDL(0) : nullptr);
        else if ((riid == IID_IContextMenu && has.Contains(siIContextMenu)) ||
                 (riid == IID_IContextMenu2 && has.Contains(siIContextMenu2)) ||
                 (riid == IID_IContextMenu3 && has.Contains(siIContextMenu3)))
            made = CreateIContextMenu(list);
        else if (riid == IID_IDataObject && has.Contains(siIDataObject))
            made = CreateIDataObject(list, dotDragDrop);
        else if (riid == IID_IExtractIconA && has.Contains(siIExtractIconA) && count == 1)
            made = CreateIExtractIconA(list);
        else if (riid == IID_IExtractIconW && has.Contains(siIExtractIconW) && count == 1)
            made = CreateIExtractIconW(list);
        else if (riid == IID_IQueryInfo && has.Contains(siIQueryInfo) && count == 1)
            made = CreateIQueryInfo(list);
        if (!made) return E_NOTIMPL;
        // Hand out the asked interface; an object made without it is dropped.
        made->AddRef();
        HRESULT result = made->QueryInterface(riid, ppv);
        made->Release();
        return SUCCEEDED(result) ? S_OK : E_NOTIMPL;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags,
                                                         STRRET* pName) noexcept {
    if (!pName) return E_POINTER;
    try {
        DisplayName(const_cast<PItemIDList>(pidl), DisplayNameFlagsFromShell(uFlags), *pName);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::SetNameOf(HWND, PCUITEMID_CHILD pidl, LPCWSTR pszName,
                                                  SHGDNF uFlags, PITEMID_CHILD* ppidlOut) noexcept {
    try {
        PItemIDList made = nullptr;
        bool done = SetName(const_cast<PItemIDList>(pidl), pszName ? pszName : u"",
                            SetNameFlagsFromShell(uFlags), made);
        if (ppidlOut) *ppidlOut = made;
        else PIDLs().FreePIDL(made);
        return done ? S_OK : E_FAIL;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::GetClassID(CLSID* pClassID) noexcept {
    if (!pClassID) return E_POINTER;
    try {
        *pClassID = GetExtensionClassID();
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::Initialize(PCIDLIST_ABSOLUTE pidl) noexcept {
    try {
        bool success = true;
        InitializeNamespace(success);
        if (!success) return E_FAIL;
        PItemIDList copy = pidl ? PIDLs().CopyPIDL(const_cast<PItemIDList>(pidl)) : nullptr;
        if (pidl && !copy) return E_OUTOFMEMORY;
        PIDLs().FreePIDL(FAbsolutePIDL);
        FAbsolutePIDL = copy;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TBaseVirtualNamespaceExtension::GetIconOf(PCUITEMID_CHILD pidl, UINT flags,
                                                  int* pIconIndex) noexcept {
    if (!pIconIndex) return E_POINTER;
    try {
        int index = -1;
        IconIndex(const_cast<PItemIDList>(pidl), IconFlagsFromShell(flags), index);
        *pIconIndex = index;
        return index < 0 ? E_NOTIMPL : S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

// --- Enumerator -----------------------------------------------------------------------------------

TVirtualNamespaceEnum::TVirtualNamespaceEnum(TBaseVirtualNamespaceExtension* AOwner,
                                             TFolderEnumFlags AFlags)
    : FOwner(AOwner), FFlags(AFlags) {
    FOwner->AddRef();
}

TVirtualNamespaceEnum::~TVirtualNamespaceEnum() {
    FOwner->Release();
}

HRESULT TVirtualNamespaceEnum::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IEnumIDList>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualNamespaceEnum::Next(ULONG celt, PITEMID_CHILD* rgelt, ULONG* pceltFetched) noexcept {
    if (pceltFetched) *pceltFetched = 0;
    if (celt != 1 || !rgelt) return E_FAIL;
    try {
        PItemIDList item = FIndex++ == 0 ? FOwner->EnumFirstChild(FFlags)
                                         : FOwner->EnumNextChild(FFlags);
        *rgelt = item;
        if (!item) return S_FALSE;
        if (pceltFetched) *pceltFetched = 1;
        return S_OK;
    } catch (...) {
        *rgelt = nullptr;
        return E_FAIL;
    }
}

// --- Per-selection objects ----------------------------------------------------------------------

TVirtualUIObjects::TVirtualUIObjects(PItemIDList ParentPIDL, TPIDLList* PIDLs_)
    : FChildPIDLs(new TPIDLList) {
    if (ParentPIDL) FParentPIDL = PIDLs().CopyPIDL(ParentPIDL);
    if (PIDLs_) FChildPIDLs->CloneList(PIDLs_);
}

TVirtualUIObjects::~TVirtualUIObjects() {
    PIDLs().FreePIDL(FParentPIDL);
    delete FChildPIDLs;
}

HRESULT TVirtualIContextMenu::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IContextMenu, IContextMenu2, IContextMenu3>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualIContextMenu::QueryContextMenu(HMENU hmenu, UINT, UINT idCmdFirst, UINT idCmdLast,
                                               UINT uFlags) noexcept {
    try {
        FMenuItemList.clear();
        if (!FillMenu(hmenu, idCmdFirst, idCmdLast, ContextMenuFlagsFromShell(uFlags)))
            return E_NOTIMPL;
        UINT used = 0;
        for (const TVirtualContextMenuItem& item : FMenuItemList)
            used = std::max(used, item.FCommandID - idCmdFirst + 1);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
    } catch (...) {
        return E_FAIL;
    }
}

void TVirtualIContextMenu::AddMenuItem(HMENU Menu, UINT CommandID, const UnicodeString& Help,
                                       const UnicodeString& Verb, const UnicodeString& Text) {
    FMenuItemList.push_back({CommandID, Help, Verb});
    InsertMenuW(Menu, 0, MF_BYPOSITION | MF_STRING, CommandID, Text.c_str());
}

void TVirtualIContextMenu::AddMenuItemDivider(HMENU Menu) {
    InsertMenuW(Menu, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

HRESULT TVirtualIContextMenu::InvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept {
    if (!pici) return E_INVALIDARG;
    try {
        const auto verb = reinterpret_cast<uintptr_t>(pici->lpVerb);
        for (const TVirtualContextMenuItem& item : FMenuItemList) {
            // A verb is a string; otherwise the low word is the command offset,
            // counted from the first id handed out.
            bool match = (verb >> 16) != 0
                             ? Utf8ToUnicode(pici->lpVerb) == item.FVerb
                             : item.FCommandID == verb + 1;
            if (match) {
                Invoke(item, pici);
                return S_OK;
            }
        }
        return E_FAIL;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualIContextMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, LPSTR pszName,
                                               UINT cchMax) noexcept {
    try {
        const UINT command = static_cast<UINT>(idCmd) + 1;
        if (uType == GCS_VALIDATEA || uType == GCS_VALIDATEW) {
            for (const TVirtualContextMenuItem& item : FMenuItemList)
                if (item.FCommandID == command) return S_OK;
            return S_FALSE;
        }
        TCommandStringType type;
        switch (uType) {
        case GCS_HELPTEXTA: type = csHelpTextA; break;
        case GCS_HELPTEXTW: type = csHelpTextW; break;
        case GCS_VERBA: type = csVerbA; break;
        case GCS_VERBW: type = csVerbW; break;
        default: return E_INVALIDARG;
        }
        UnicodeString text;
        CommandString(command, type, text);
        if (!pszName || cchMax == 0) return E_INVALIDARG;
        if (uType & GCS_UNICODE) {
            auto* out = reinterpret_cast<char16_t*>(pszName);
            size_t n = std::min<size_t>(text.size(), cchMax - 1);
            std::memcpy(out, text.data(), n * 2);
            out[n] = 0;
        } else {
            std::string bytes = UnicodeToUtf8(text);
            size_t n = std::min<size_t>(bytes.size(), cchMax - 1);
            std::memcpy(pszName, bytes.data(), n);
            pszName[n] = 0;
        }
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

TVirtualIDropTarget::~TVirtualIDropTarget() {
    SetDataObject(nullptr);
}

void TVirtualIDropTarget::SetDataObject(IDataObject* Value) {
    if (Value) Value->AddRef();
    if (FDataObject) FDataObject->Release();
    FDataObject = Value;
}

HRESULT TVirtualIDropTarget::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IDropTarget>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualIDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                       DWORD* pdwEffect) noexcept {
    if (!pdwEffect) return E_INVALIDARG;
    try {
        SetDataObject(pDataObj);
        *pdwEffect = DropEffectsToShell(Drag_Enter(pDataObj, DropKeyStatesFromShell(grfKeyState), pt,
                                                   DropEffectsFromShell(*pdwEffect)));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualIDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) noexcept {
    if (!pdwEffect) return E_INVALIDARG;
    try {
        *pdwEffect = DropEffectsToShell(
            Drag_Over(DropKeyStatesFromShell(grfKeyState), pt, DropEffectsFromShell(*pdwEffect)));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualIDropTarget::DragLeave() noexcept {
    try {
        Drag_Leave();
    } catch (...) {
    }
    SetDataObject(nullptr);
    return S_OK;
}

HRESULT TVirtualIDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                  DWORD* pdwEffect) noexcept {
    if (!pdwEffect) return E_INVALIDARG;
    HRESULT result = S_OK;
    try {
        *pdwEffect = DropEffectsToShell(Drag_Drop(pDataObj, DropKeyStatesFromShell(grfKeyState), pt,
                                                  DropEffectsFromShell(*pdwEffect)));
    } catch (...) {
        result = E_FAIL;
    }
    SetDataObject(nullptr);
    return result;
}

HRESULT TVirtualIQueryInfo::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IQueryInfo>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualIQueryInfo::GetInfoTip(DWORD, LPWSTR* ppwszTip) noexcept {
    if (!ppwszTip) return E_POINTER;
    try {
        *ppwszTip = PIDLs().AllocStrGlobal(GetQueryInfoTip());
        return *ppwszTip ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualIExtractIconA::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IExtractIconA>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualIExtractIconW::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IExtractIconW>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualIShellDetails::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IShellDetails>(this, iid, out)) return S_OK;
    return TVirtualInterfacedPersistent::QueryInterface(iid, out);
}

HRESULT TVirtualIShellDetails::GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn,
                                            SHELLDETAILS* pDetails) noexcept {
    if (!pDetails) return E_POINTER;
    try {
        const int column = static_cast<int>(iColumn);
        if (column >= GetColumnCount()) return E_FAIL;
        UnicodeString text = pidl ? GetColumnDetails(const_cast<PItemIDList>(pidl), column)
                                  : GetColumnTitle(column);
        static const int formats[] = {LVCFMT_CENTER, LVCFMT_LEFT, LVCFMT_RIGHT};
        pDetails->fmt = formats[GetColumnAlignment(column)];
        pDetails->cxChar = 0;
        pDetails->str.uType = STRRET_WSTR;
        pDetails->str.pOleStr = PIDLs().AllocStrGlobal(text);
        return pDetails->str.pOleStr ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// --- Factory ----------------------------------------------------------------------------------------

THookedPIDLItem::THookedPIDLItem(PItemIDList PIDL, const GUID& ClassID, bool HardHooked)
    : FPIDLIDCount(PIDLs().IDCount(PIDL)), FPIDL(PIDLs().CopyPIDL(PIDL)),
      FNamespaceExtClassID(ClassID), FHardHooked(HardHooked) {}

THookedPIDLItem::~THookedPIDLItem() {
    PIDLs().FreePIDL(FPIDL);
}

TNamespaceExtensionFactory::TNamespaceExtensionFactory()
    : FLock(new TCriticalSection), FPIDLMgr(new TPIDLManager) {
    SHGetDesktopFolder(&FDesktop);
}

TNamespaceExtensionFactory::~TNamespaceExtensionFactory() {
    for (THookedPIDLItem* item : FHookedPIDLItems)
        delete item;
    if (FDesktop) FDesktop->Release();
    delete FPIDLMgr;
    delete FLock;
}

#define FACTORY_LOCKED                                                                             \
    FLock->Enter();                                                                                \
    auto unlock = runpak::ScopeExit([this] { FLock->Leave(); })

void TNamespaceExtensionFactory::RegisterNamespaceExtension(TClass Class, const GUID& ClassID,
                                                            const GUID& RootHookClassID,
                                                            TClass RootHookClass) {
    FACTORY_LOCKED;
    if (Class && !GetClass(Class->ClassName())) RegisterClass(Class);
    FNSExtList.push_back({Class, ClassID, RootHookClassID, RootHookClass});
}

void TNamespaceExtensionFactory::UnRegisterNamespaceExtension(const GUID& ClassID) {
    FACTORY_LOCKED;
    int index;
    if (FindNamespaceItem(ClassID, index)) FNSExtList.erase(FNSExtList.begin() + index);
}

void TNamespaceExtensionFactory::ClearExtensions() {
    FACTORY_LOCKED;
    FNSExtList.clear();
}

int TNamespaceExtensionFactory::GetCount() {
    FACTORY_LOCKED;
    return static_cast<int>(FNSExtList.size());
}

bool TNamespaceExtensionFactory::FindNamespaceItem(const GUID& ID, int& Index) {
    FACTORY_LOCKED;
    for (size_t i = 0; i < FNSExtList.size(); ++i)
        if (FNSExtList[i].FNamespaceExtClassID == ID) {
            Index = static_cast<int>(i);
            return true;
        }
    Index = -1;
    return false;
}

bool TNamespaceExtensionFactory::RegisteredGUID(const GUID& ID) {
    int index;
    return FindNamespaceItem(ID, index);
}

const TNamespaceFactoryItem* TNamespaceExtensionFactory::GetNamespaceItems(int Index) {
    FACTORY_LOCKED;
    if (Index < 0 || Index >= static_cast<int>(FNSExtList.size())) return nullptr;
    return &FNSExtList[Index];
}

GUID TNamespaceExtensionFactory::ExtractVirtualGUID(PItemIDList PIDL, bool& Found) {
    FACTORY_LOCKED;
    GUID id = ExtractGUID_FromPIDL(PIDL);
    Found = id != GUID{} && RegisteredGUID(id);
    return Found ? id : GUID{};
}

GUID TNamespaceExtensionFactory::ExtractVirtualGUID(PItemIDList PIDL) {
    bool found;
    return ExtractVirtualGUID(PIDL, found);
}

bool TNamespaceExtensionFactory::IsVirtualPIDL(PItemIDList PIDL) {
    bool found;
    ExtractVirtualGUID(PIDL, found);
    return found;
}

bool TNamespaceExtensionFactory::IsRootVirtualPIDL(PItemIDList PIDL) {
    FACTORY_LOCKED;
    if (!IsVirtualPIDL(PIDL)) return false;
    if (FPIDLMgr->IDCount(PIDL) == 1) return true;
    PItemIDList parent = FPIDLMgr->CopyPIDL(PIDL);
    FPIDLMgr->StripLastID(parent);
    bool parentVirtual = IsVirtualPIDL(parent);
    FPIDLMgr->FreePIDL(parent);
    return !parentVirtual;
}

IShellFolder* TNamespaceExtensionFactory::Construct(TClass Class, PItemIDList InitializeWith) {
    if (!Class) return nullptr;
    auto* made = dynamic_cast<TBaseVirtualNamespaceExtension*>(Class->CreateInstance());
    if (!made) return nullptr;
    made->AfterCreate();
    IShellFolder* folder = made;
    folder->AddRef();
    if (InitializeWith && FAILED(made->Initialize(InitializeWith))) {
        folder->Release();
        return nullptr;
    }
    return folder;
}

IShellFolder* TNamespaceExtensionFactory::CreateNamespaceExtension(const GUID& ClassID) {
    FACTORY_LOCKED;
    int index;
    if (!FindNamespaceItem(ClassID, index)) return nullptr;
    return Construct(FNSExtList[index].FNamespaceExtClass, nullptr);
}

IShellFolder* TNamespaceExtensionFactory::BindToVirtualObject(PItemIDList PIDL) {
    FACTORY_LOCKED;
    if (!PIDL) return nullptr;
    bool found;
    GUID id = ExtractVirtualGUID(PIDL, found);
    if (found) {
        int index;
        FindNamespaceItem(id, index);
        return Construct(FNSExtList[index].FNamespaceExtClass, PIDL);
    }
    if (!FDesktop) return nullptr;
    if (PIDL->mkid.cb == 0) {
        FDesktop->AddRef();
        return FDesktop;
    }
    IShellFolder* folder = nullptr;
    if (FAILED(FDesktop->BindToObject(PIDL, nullptr, IID_IShellFolder,
                                      reinterpret_cast<void**>(&folder))))
        return nullptr;
    return folder;
}

IShellFolder* TNamespaceExtensionFactory::BindToVirtualParentObject(PItemIDList PIDL) {
    FACTORY_LOCKED;
    if (!PIDL) return nullptr;
    if (IsRootVirtualPIDL(PIDL)) {
        PItemIDList parent = FPIDLMgr->CopyPIDL(PIDL);
        FPIDLMgr->StripLastID(parent);
        IShellFolder* hook = VirtualHook(parent);
        FPIDLMgr->FreePIDL(parent);
        return hook;
    }
    PItemIDList parent = FPIDLMgr->CopyPIDL(PIDL);
    auto free = runpak::ScopeExit([&] { FPIDLMgr->FreePIDL(parent); });
    FPIDLMgr->StripLastID(parent);
    return BindToVirtualObject(parent);
}

void TNamespaceExtensionFactory::HookPIDL(PItemIDList PIDL, const GUID& ClassID, bool HardHooked) {
    FACTORY_LOCKED;
    int index;
    if (!PIDL || IsHookedPIDL(PIDL, index)) return;
    FHookedPIDLItems.push_back(new THookedPIDLItem(PIDL, ClassID, HardHooked));
}

void TNamespaceExtensionFactory::UnHookPIDL(PItemIDList PIDL) {
    FACTORY_LOCKED;
    int index;
    if (!IsHookedPIDL(PIDL, index)) return;
    delete FHookedPIDLItems[index];
    FHookedPIDLItems.erase(FHookedPIDLItems.begin() + index);
}

bool TNamespaceExtensionFactory::IsHookedPIDL(PItemIDList PIDL, int& Index) {
    FACTORY_LOCKED;
    Index = -1;
    if (!PIDL) return false;
    const int count = FPIDLMgr->IDCount(PIDL);
    for (size_t i = 0; i < FHookedPIDLItems.size(); ++i)
        if (FHookedPIDLItems[i]->FPIDLIDCount == count && ILIsEqual(FHookedPIDLItems[i]->FPIDL, PIDL)) {
            Index = static_cast<int>(i);
            return true;
        }
    return false;
}

bool TNamespaceExtensionFactory::IsHardHookedPIDL(PItemIDList PIDL) {
    FACTORY_LOCKED;
    int index;
    return IsHookedPIDL(PIDL, index) && FHookedPIDLItems[index]->FHardHooked;
}

IShellFolder* TNamespaceExtensionFactory::VirtualHook(PItemIDList PIDL) {
    FACTORY_LOCKED;
    int hook, item;
    if (!IsHookedPIDL(PIDL, hook) ||
        !FindNamespaceItem(FHookedPIDLItems[hook]->FNamespaceExtClassID, item))
        return nullptr;
    return Construct(FNSExtList[item].FRootHookClass, PIDL);
}

IShellFolder* TNamespaceExtensionFactory::VirtualHook(const GUID& ClassID) {
    FACTORY_LOCKED;
    int item;
    if (!FindNamespaceItem(ClassID, item)) return nullptr;
    return Construct(FNSExtList[item].FRootHookClass, nullptr);
}

PItemIDList TNamespaceExtensionFactory::RootVirtualNamespaceHookPIDL(PItemIDList PIDL) {
    FACTORY_LOCKED;
    int item;
    if (!FindNamespaceItem(ExtractGUID_FromPIDL(PIDL), item)) return nullptr;
    TItemID id(FNSExtList[item].FRootHookClassID);
    id.SetInFolderName(kHookName);
    return id.GetItemID();
}

void TNamespaceExtensionFactory::ChangeNotify(DWORD EventFlag, PItemIDList PIDL1,
                                              PItemIDList PIDL2) {
    FACTORY_LOCKED;
    if (IVirtualChangeNotifier* notifier = ChangeNotifier())
        notifier->PostShellNotifyEvent(EventFlag, PIDL1, PIDL2);
}

void TNamespaceExtensionFactory::SaveToStream(TStream* S) {
    FACTORY_LOCKED;
    int32_t count = static_cast<int32_t>(FNSExtList.size());
    S->WriteBuffer(&count, 4);
    for (const TNamespaceFactoryItem& item : FNSExtList) {
        S->WriteBuffer(&item.FNamespaceExtClassID, sizeof(GUID));
        UnicodeString name = item.FNamespaceExtClass ? item.FNamespaceExtClass->ClassName() : u"";
        int32_t length = static_cast<int32_t>(name.size());
        S->WriteBuffer(&length, 4);
        S->WriteBuffer(name.data(), length * 2);
    }
}

bool TNamespaceExtensionFactory::LoadFromStream(TStream* S) {
    FACTORY_LOCKED;
    FNSExtList.clear();
    int32_t count = 0;
    if (S->Read(&count, 4) != 4 || count < 0) return false;
    for (int32_t i = 0; i < count; ++i) {
        GUID id;
        int32_t length = 0;
        if (S->Read(&id, sizeof id) != sizeof id || S->Read(&length, 4) != 4 || length < 0 ||
            int64_t(length) * 2 > S->GetSize() - S->GetPosition())
            return false;
        UnicodeString name(static_cast<size_t>(length), u'\0');
        if (S->Read(name.data(), length * 2) != length * 2) return false;
        TClass found = GetClass(name);
        if (!found) return false;
        FNSExtList.push_back({found, id, GUID{}, nullptr});
    }
    return true;
}

TNamespaceExtensionFactory* NamespaceExtensionFactory() {
    std::lock_guard<std::mutex> guard(FactoryMade);
    if (!TheFactory) TheFactory = new TNamespaceExtensionFactory;
    return TheFactory;
}

void InitializeIDEVirtualNamespace() {
    PIDLs();
}

void FinalizeIDEVirtualNamespace() {
    {
        std::lock_guard<std::mutex> guard(FactoryMade);
        delete TheFactory;
        TheFactory = nullptr;
    }
    delete UnitPIDLMgr;
    UnitPIDLMgr = nullptr;
}
