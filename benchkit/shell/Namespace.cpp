// TNamespace: construction, the lists it holds, binding the shell's folder
// interfaces, invalidation, cloning, parsing, renaming and enumeration.
#include "benchkit/shell/IDEVirtualShellUtilities.h"
#include "NamespaceExtras.h"

#include <win32/combaseapi.h>

#include <cstring>

namespace {

template <class I> void** Slot(InterfacePtr<I>& p) {
    return reinterpret_cast<void**>(p.Out());
}

} // namespace

TNamespace::TNamespace(PItemIDList PIDL, TNamespace* AParent) {
    FStates << nsShellDetailsSupported << nsShellFolder2Supported << nsShellOverlaySupported
            << nsFreePIDLOnDestroy;
    FParent = AParent;
    if (AParent && !AParent->IsDesktop()) {
        FAbsolutePIDL = PIDLMgr->AppendPIDL(AParent->GetAbsolutePIDL(), PIDL);
        PIDLMgr->FreePIDL(PIDL);
        FRelativePIDL = PIDLMgr->GetPointerToLastID(FAbsolutePIDL);
        return;
    }
    if (!AParent && !PIDL) SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &PIDL);
    FAbsolutePIDL = PIDL;
    FRelativePIDL =
        AParent || PIDLMgr->IsDesktopFolder(PIDL) ? PIDL : PIDLMgr->GetPointerToLastID(PIDL);
}

TNamespace::TNamespace(int ID, TNamespace* AParent) : FNamespaceID(ID), FParent(AParent) {
    FStates << nsShellOverlaySupported;
}

namespace {

PItemIDList PIDLOfPath(const UnicodeString& Path) {
    PItemIDList pidl = PathToPIDL(Path);
    if (!pidl)
        throw EQOZInvalidFileName(u"Trying to create a TNamespace on a non existant File object");
    return pidl;
}

} // namespace

TNamespace::TNamespace(const UnicodeString& Path) : TNamespace(PIDLOfPath(Path), nullptr) {}

TNamespace::~TNamespace() {
    // An item may outlive the unit's shut-down (a component of a form freed
    // after it); its list came from the task allocator all the same.
    if (FStates.Contains(nsFreePIDLOnDestroy)) {
        if (PIDLMgr)
            PIDLMgr->FreePIDL(FAbsolutePIDL);
        else
            CoTaskMemFree(FAbsolutePIDL);
    }
    FAbsolutePIDL = FRelativePIDL = nullptr;
    FWin32FindDataW.reset();
    FSHGetFileInfoRec.reset();
    FOwnedParent.reset();
    InvalidateThumbImage();
}

// ---- binding ------------------------------------------------------------------------------

IShellFolder* TNamespace::GetParentShellFolder() {
    if (FParent) return FParent->GetShellFolder();
    if (IsDesktop()) return GetShellFolder();
    if (!FAbsolutePIDL) return nullptr;
    PItemIDList parent = PIDLMgr->CopyPIDL(FAbsolutePIDL);
    if (!parent) return nullptr;
    PIDLMgr->StripLastID(parent);
    FOwnedParent = std::make_unique<TNamespace>(parent, nullptr);
    FParent = FOwnedParent.get();
    FStates << nsOwnsParent;
    return FParent->GetShellFolder();
}

IShellFolder* TNamespace::GetShellFolder() {
    if (FShellFolder || !FAbsolutePIDL) return FShellFolder.Get();
    if (IsDesktop()) {
        SHGetDesktopFolder(reinterpret_cast<IShellFolder**>(Slot(FShellFolder)));
    } else if (IShellFolder* parent = GetParentShellFolder()) {
        if (FAILED(
                parent->BindToObject(FRelativePIDL, nullptr, IID_IShellFolder, Slot(FShellFolder))))
            FShellFolder.Reset();
    }
    return FShellFolder.Get();
}

IShellFolder2* TNamespace::GetShellFolder2() {
    if (FShellFolder2 || !FStates.Contains(nsShellFolder2Supported)) return FShellFolder2.Get();
    IShellFolder* folder = GetShellFolder();
    if (!folder) return nullptr;
    HRESULT hr = folder->QueryInterface(IID_IShellFolder2, Slot(FShellFolder2));
    if (hr == E_NOINTERFACE) FStates >> nsShellFolder2Supported;
    if (FAILED(hr)) FShellFolder2.Reset();
    return FShellFolder2.Get();
}

IShellFolder2* TNamespace::GetParentShellFolder2() {
    if (FParent) return FParent->GetShellFolder2();
    GetParentShellFolder(); // creates the parent when the item can have one
    return FParent ? FParent->GetShellFolder2() : GetShellFolder2();
}

IShellDetails* TNamespace::GetShellDetailsInterface() {
    if (FShellDetailsInterface || !FStates.Contains(nsShellDetailsSupported))
        return FShellDetailsInterface.Get();
    HRESULT hr = E_FAIL;
    if (IShellFolder* folder = GetShellFolder())
        hr = folder->CreateViewObject(nullptr, IID_IShellDetails, Slot(FShellDetailsInterface));
    if (FAILED(hr)) {
        if (IShellFolder* parent = GetParentShellFolder()) {
            PCUITEMID_CHILD one[1] = {FRelativePIDL};
            hr = parent->GetUIObjectOf(nullptr, 1, one, IID_IShellDetails, nullptr,
                                       Slot(FShellDetailsInterface));
        }
    }
    if (FAILED(hr)) {
        FShellDetailsInterface.Reset();
        FStates >> nsShellDetailsSupported;
    }
    return FShellDetailsInterface.Get();
}

IShellDetails* TNamespace::GetParentShellDetailsInterface() {
    if (FParent) return FParent->GetShellDetailsInterface();
    GetParentShellFolder();
    return FParent ? FParent->GetShellDetailsInterface() : GetShellDetailsInterface();
}

bool TNamespace::GetAdvDetailsSupported() {
    if (!GetParentShellFolder()) return false;
    return GetParentShellFolder2() || GetParentShellDetailsInterface();
}

// ---- invalidation ----------------------------------------------------------------------------

void TNamespace::InvalidateThumbImage() {
    if (FImage) DeleteObject(FImage);
    FImage = nullptr;
    FStates >> nsThreadedImageLoaded >> nsThreadedImageLoading;
}

void TNamespace::InvalidateCache() {
    TCacheData& data = FShellCache.Data;
    int64_t folderSize = data.FolderSize;
    data = TCacheData{};
    data.FolderSize = folderSize; // kept, but no longer flagged as known
    FShellCache.ShellCacheFlags.Clear();
    FreeExtraObjects();
    InvalidateThumbImage();
}

void TNamespace::ReleaseInterfaces() {
    ReleaseExtraInterfaces();
    FCurrentContextMenu2.Reset();
    FShellDetailsInterface.Reset();
    FShellFolder2.Reset();
    FShellFolder.Reset();
}

void TNamespace::InvalidateNamespace(bool RefreshIcon) {
    const TShellCache flags = FShellCache.ShellCacheFlags;
    const int smallIcon = FShellCache.Data.SmallIcon;
    const int openIcon = FShellCache.Data.SmallOpenIcon;
    if (RefreshIcon) FStates >> nsThreadedIconLoading >> nsThreadedIconLoaded;
    InvalidateCache();
    if (FOwnedParent) {
        FOwnedParent.reset();
        FParent = nullptr;
        FStates >> nsOwnsParent;
    }
    ReleaseInterfaces();
    if (FParent && FParent->IsDesktop() && PhysicalDesktopFolder && PhysicalDesktopFolder != this)
        PhysicalDesktopFolder->InvalidateNamespace(true);
    FWin32FindDataW.reset();
    FFindFacts = {};
    FFindFacts.Refresh = true;
    FSHGetFileInfoRec.reset();
    FStates << nsShellDetailsSupported << nsShellFolder2Supported;
    if (!RefreshIcon) {
        if (flags.Contains(scSmallIcon)) {
            FShellCache.Data.SmallIcon = smallIcon;
            FShellCache.ShellCacheFlags << scSmallIcon;
        }
        if (flags.Contains(scSmallOpenIcon)) {
            FShellCache.Data.SmallOpenIcon = openIcon;
            FShellCache.ShellCacheFlags << scSmallOpenIcon;
        }
    }
}

bool TNamespace::InvalidateRelativePIDL(bool FileObjects, bool NonFolders, bool IncludeHidden) {
    IShellFolder* parent = GetParentShellFolder();
    if (!parent || !FRelativePIDL || IsDesktop()) return false;
    SHCONTF flags = (FileObjects ? SHCONTF_FOLDERS : 0) | (NonFolders ? SHCONTF_NONFOLDERS : 0) |
                    (IncludeHidden ? SHCONTF_INCLUDEHIDDEN : 0);
    InterfacePtr<IEnumIDList> list;
    if (FAILED(parent->EnumObjects(nullptr, flags, list.Out())) || !list) return false;
    PItemIDList found = nullptr;
    PITEMID_CHILD child = nullptr;
    ULONG fetched = 0;
    while (!found && list->Next(1, &child, &fetched) == S_OK && fetched == 1) {
        HRESULT hr = parent->CompareIDs(0, child, FRelativePIDL);
        if (SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) == 0)
            found = child;
        else
            PIDLMgr->FreePIDL(child);
    }
    // No match: the item keeps the lists it had.
    if (!found) return false;
    PItemIDList base = FParent ? FParent->GetAbsolutePIDL() : nullptr;
    PItemIDList absolute =
        PIDLMgr->AppendPIDL(base && !PIDLMgr->IsDesktopFolder(base) ? base : nullptr, found);
    PIDLMgr->FreePIDL(found);
    if (!absolute) return false;
    if (FStates.Contains(nsFreePIDLOnDestroy)) PIDLMgr->FreePIDL(FAbsolutePIDL);
    FAbsolutePIDL = absolute;
    FStates << nsFreePIDLOnDestroy;
    FRelativePIDL = PIDLMgr->GetPointerToLastID(FAbsolutePIDL);
    InvalidateNamespace(true);
    return true;
}

// ---- copies, parsing, renaming --------------------------------------------------------------

TNamespace* TNamespace::Clone(bool ReleasePIDLOnDestroy) {
    auto* copy = new TNamespace(PIDLMgr->CopyPIDL(FAbsolutePIDL), nullptr);
    copy->SetFreePIDLOnDestroy(ReleasePIDLOnDestroy);
    return copy;
}

PItemIDList TNamespace::ParseDisplayName() {
    return PathToPIDL(GetNameForParsing());
}

PItemIDList TNamespace::ParseDisplayName(const UnicodeString& Path) {
    return Path.empty() ? ParseDisplayName() : PathToPIDL(Path);
}

bool TNamespace::SetNameOf(const UnicodeString& NewName) {
    if (!GetCanRename()) return false;
    IShellFolder* parent = GetParentShellFolder();
    if (!parent) return false;
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    PItemIDList relative = PIDLMgr->CopyPIDL(FRelativePIDL);
    PITEMID_CHILD renamed = nullptr;
    HRESULT hr = parent->SetNameOf(nullptr, relative, NewName.c_str(),
                                   SHGDN_INFOLDER | SHGDN_FOREDITING, &renamed);
    PIDLMgr->FreePIDL(relative);
    SetCursor(old);
    if (FAILED(hr)) return false;
    if (renamed) {
        uint16_t lastCB = 0;
        PItemIDList lastID = nullptr;
        PIDLMgr->StripLastID(FAbsolutePIDL, lastCB, lastID);
        PItemIDList absolute = PIDLMgr->AppendPIDL(FAbsolutePIDL, renamed);
        if (lastID) std::memcpy(lastID, &lastCB, sizeof lastCB);
        PIDLMgr->FreePIDL(renamed);
        if (!absolute) return false;
        if (FStates.Contains(nsFreePIDLOnDestroy)) PIDLMgr->FreePIDL(FAbsolutePIDL);
        FAbsolutePIDL = absolute;
        FStates << nsFreePIDLOnDestroy;
        FRelativePIDL = PIDLMgr->GetPointerToLastID(FAbsolutePIDL);
        // The own folder was bound under the old name.
        FShellFolder2.Reset();
        FShellFolder.Reset();
    }
    return true;
}

// ---- enumeration -------------------------------------------------------------------------------

int TNamespace::EnumerateFolder(bool Folders, bool NonFolders, bool IncludeHidden,
                                const TEnumFolderCallback& EnumFunc, void* UserData) {
    IShellFolder* folder = GetShellFolder();
    if (!folder || !EnumFunc) return 0;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SHCONTF flags = (Folders ? SHCONTF_FOLDERS : 0) | (NonFolders ? SHCONTF_NONFOLDERS : 0) |
                    (IncludeHidden ? SHCONTF_INCLUDEHIDDEN : 0);
    int count = 0;
    InterfacePtr<IEnumIDList> list;
    if (SUCCEEDED(folder->EnumObjects(nullptr, flags, list.Out())) && list) {
        PITEMID_CHILD child = nullptr;
        ULONG fetched = 0;
        bool terminate = false;
        while (!terminate && list->Next(1, &child, &fetched) == S_OK && fetched == 1)
            if (EnumFunc(child, this, UserData, terminate)) ++count;
    }
    SetErrorMode(oldMode);
    return count;
}

bool TNamespace::InternalSubItems(SHCONTF Flags) {
    if (IsRecycleBin()) return true;
    if (!GetFolder()) return false;
    IShellFolder* folder = GetShellFolder();
    if (!folder) return false;
    InterfacePtr<IEnumIDList> list;
    if (FAILED(folder->EnumObjects(nullptr, Flags, list.Out())) || !list) return false;
    PITEMID_CHILD child = nullptr;
    ULONG fetched = 0;
    bool any = list->Next(1, &child, &fetched) == S_OK && fetched == 1;
    if (any) PIDLMgr->FreePIDL(child);
    return any;
}

bool TNamespace::GetSubFolders() {
    return InternalSubItems(SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN);
}

bool TNamespace::GetSubItems() {
    return InternalSubItems(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
}

bool TNamespace::SubFoldersEx(SHCONTF Flags) {
    return InternalSubItems(Flags);
}

bool TNamespace::SubItemsEx(SHCONTF Flags) {
    return InternalSubItems(Flags);
}
