// The shell item helpers of IDEShellCtrls: item id lists, attribute and name
// queries, the context menu, and TShellFolder.
#include "benchkit/controls/IDEShellCtrls.h"

#include <quorlpak/Application.h>
#include <quorlpak/WinControl.h>
#include <runpak/DateTime.h>
#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <win32/commctrl.h>
#include <win32/shellapi.h>
#include <win32/winnls.h>

#include <algorithm>
#include <cstring>

namespace {

IMalloc* ShellMalloc = nullptr;
TShellFolder* TheDesktopFolder = nullptr;
IContextMenu2* CurrentContextMenu = nullptr;
IShellFolder* CompareFolder = nullptr;
CRITICAL_SECTION CS;
bool Started = false;

IMalloc* Allocator() {
    if (!ShellMalloc) ShellOleCheck(SHGetMalloc(&ShellMalloc));
    return ShellMalloc;
}

UnicodeString AnsiText(const char* text) {
    int length = static_cast<int>(std::strlen(text));
    if (length == 0) return {};
    UnicodeString result(MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, result.data(), static_cast<int>(result.size()));
    return result;
}

// The attributes asked for, or none when the folder cannot answer.
SFGAOF Attributes(IShellFolder* folder, PItemIDList pidl, SFGAOF wanted) {
    if (!folder) return 0;
    PCUITEMID_CHILD items[] = {pidl};
    SFGAOF attributes = wanted;
    if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return 0;
    return attributes & wanted;
}

template <class E> void MapBit(TSet<E>& set, SFGAOF attributes, SFGAOF bit, E value) {
    if (attributes & bit) set.Include(value);
}

} // namespace

const int nFolder[rfTemplates + 1] = {0, 17, 18, 10, 26, 25, 23, 22, 24, 3,  16, 6,
                                      20, 1, 5,  4,  27, 2,  8,  9,  11, 7, 21};

UnicodeString RootFolderName(TRootFolder Root) {
    static const char16_t* const names[] = {
        u"rfDesktop",        u"rfMyComputer",    u"rfNetwork",
        u"rfRecycleBin",     u"rfAppData",       u"rfCommonDesktopDirectory",
        u"rfCommonPrograms", u"rfCommonStartMenu", u"rfCommonStartup",
        u"rfControlPanel",   u"rfDesktopDirectory", u"rfFavorites",
        u"rfFonts",          u"rfInternet",      u"rfPersonal",
        u"rfPrinters",       u"rfPrintHood",     u"rfPrograms",
        u"rfRecent",         u"rfSendTo",        u"rfStartMenu",
        u"rfStartup",        u"rfTemplates"};
    return names[Root];
}

EShellOleError::EShellOleError(HRESULT code)
    : Exception(u"Shell call failed: %s", {SysErrorMessage(static_cast<unsigned>(code))}),
      ErrorCode(code) {}

void ShellOleCheck(HRESULT Result) {
    if (FAILED(Result)) throw EShellOleError(Result);
}

// --- Item id lists --------------------------------------------------------------

PItemIDList CreatePIDL(int Size) {
    void* block = Allocator()->Alloc(static_cast<SIZE_T>(Size));
    if (block) std::memset(block, 0, static_cast<size_t>(Size));
    return static_cast<PItemIDList>(block);
}

PItemIDList NextPIDL(PItemIDList IDList) {
    return reinterpret_cast<PItemIDList>(reinterpret_cast<BYTE*>(IDList) + IDList->mkid.cb);
}

int GetPIDLSize(PItemIDList IDList) {
    if (!IDList) return 0;
    int size = 2;
    for (PItemIDList at = IDList; at->mkid.cb != 0; at = NextPIDL(at)) size += at->mkid.cb;
    return size;
}

int GetPIDLCount(PItemIDList IDList) {
    int count = 0;
    if (IDList)
        for (PItemIDList at = IDList; at->mkid.cb != 0; at = NextPIDL(at)) ++count;
    return count;
}

void StripLastID(PItemIDList IDList) {
    if (!IDList || IDList->mkid.cb == 0) return;
    PItemIDList last = IDList;
    for (PItemIDList at = IDList; at->mkid.cb != 0; at = NextPIDL(at)) last = at;
    last->mkid.cb = 0;
}

PItemIDList CopyPIDL(PItemIDList IDList) {
    int size = GetPIDLSize(IDList);
    if (size == 0) return nullptr;
    PItemIDList copy = CreatePIDL(size);
    if (copy) std::memcpy(copy, IDList, static_cast<size_t>(size));
    return copy;
}

PItemIDList ConcatPIDLs(PItemIDList IDList1, PItemIDList IDList2) {
    int size1 = IDList1 ? GetPIDLSize(IDList1) - 2 : 0;
    int size2 = IDList2 ? GetPIDLSize(IDList2) : 2;
    PItemIDList result = CreatePIDL(size1 + size2);
    if (!result) return nullptr;
    auto* bytes = reinterpret_cast<BYTE*>(result);
    if (size1 > 0) std::memcpy(bytes, IDList1, static_cast<size_t>(size1));
    if (IDList2) std::memcpy(bytes + size1, IDList2, static_cast<size_t>(size2));
    return result;
}

void DisposePIDL(PItemIDList PIDL) {
    if (PIDL) Allocator()->Free(PIDL);
}

TList* CreatePIDLList(PItemIDList ID) {
    auto* list = new TList;
    PItemIDList walk = CopyPIDL(ID);
    while (walk && walk->mkid.cb != 0) {
        StripLastID(walk);
        list->Insert(0, CopyPIDL(walk));
    }
    DisposePIDL(walk);
    return list;
}

void DestroyPIDLList(TList* List) {
    if (!List) return;
    for (int i = 0; i < List->GetCount(); ++i)
        DisposePIDL(static_cast<PItemIDList>(List->GetItems(i)));
    delete List;
}

// --- Shell queries ----------------------------------------------------------------

InterfacePtr<IShellFolder> DesktopShellFolder() {
    InterfacePtr<IShellFolder> desktop;
    ShellOleCheck(SHGetDesktopFolder(desktop.Out()));
    return desktop;
}

PItemIDList GetDesktopPidl() {
    PItemIDList pidl = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &pidl);
    return pidl;
}

bool SamePIDL(PItemIDList ID1, PItemIDList ID2) {
    return DesktopShellFolder()->CompareIDs(0, ID1, ID2) == 0;
}

TShellFolderCapabilities GetCaps(IShellFolder* ParentFolder, PItemIDList PIDL) {
    SFGAOF attributes = Attributes(ParentFolder, PIDL, SFGAO_CAPABILITYMASK);
    TShellFolderCapabilities caps;
    MapBit(caps, attributes, SFGAO_CANCOPY, fcCanCopy);
    MapBit(caps, attributes, SFGAO_CANDELETE, fcCanDelete);
    MapBit(caps, attributes, SFGAO_CANLINK, fcCanLink);
    MapBit(caps, attributes, SFGAO_CANMOVE, fcCanMove);
    MapBit(caps, attributes, SFGAO_CANRENAME, fcCanRename);
    MapBit(caps, attributes, SFGAO_DROPTARGET, fcDropTarget);
    MapBit(caps, attributes, SFGAO_HASPROPSHEET, fcHasPropSheet);
    return caps;
}

TShellFolderProperties GetProperties(IShellFolder* ParentFolder, PItemIDList PIDL) {
    TShellFolderProperties props;
    if (!ParentFolder) return props;
    SFGAOF display = Attributes(ParentFolder, PIDL, SFGAO_DISPLAYATTRMASK);
    MapBit(props, display, SFGAO_GHOSTED, fpCut);
    MapBit(props, display, SFGAO_LINK, fpIsLink);
    MapBit(props, display, SFGAO_READONLY, fpReadOnly);
    MapBit(props, display, SFGAO_SHARE, fpShared);
    SFGAOF other = Attributes(ParentFolder, PIDL,
                              SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE |
                                  SFGAO_VALIDATE | SFGAO_FOLDER);
    MapBit(props, other, SFGAO_FILESYSTEM, fpFileSystem);
    MapBit(props, other, SFGAO_FILESYSANCESTOR, fpFileSystemAncestor);
    MapBit(props, other, SFGAO_REMOVABLE, fpRemovable);
    MapBit(props, other, SFGAO_VALIDATE, fpValidate);
    MapBit(props, other, SFGAO_FOLDER, fpFolder);
    return props;
}

bool GetIsFolder(IShellFolder* ParentFolder, PItemIDList PIDL) {
    return Attributes(ParentFolder, PIDL, SFGAO_FOLDER) != 0;
}

bool GetHasSubItems(IShellFolder* ShellFolder, DWORD Flags) {
    if (!ShellFolder) return false;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    auto restore = runpak::ScopeExit([&] { SetErrorMode(oldMode); });
    InterfacePtr<IEnumIDList> items;
    if (ShellFolder->EnumObjects(nullptr, Flags, items.Out()) != S_OK || !items) return false;
    PITEMID_CHILD first = nullptr;
    ULONG fetched = 0;
    bool any = items->Next(1, &first, &fetched) == S_OK && fetched == 1;
    DisposePIDL(first);
    return any;
}

UnicodeString StrRetToString(PItemIDList PIDL, STRRET& StrRet) {
    switch (StrRet.uType) {
    case STRRET_WSTR: {
        if (!StrRet.pOleStr) return {};
        UnicodeString text = StrRet.pOleStr;
        Allocator()->Free(StrRet.pOleStr);
        StrRet.pOleStr = nullptr;
        return text;
    }
    case STRRET_OFFSET:
        return PIDL ? AnsiText(reinterpret_cast<const char*>(PIDL) + StrRet.uOffset)
                    : UnicodeString();
    case STRRET_CSTR:
        return AnsiText(StrRet.cStr);
    }
    return {};
}

UnicodeString GetDisplayName(IShellFolder* ParentFolder, PItemIDList PIDL, DWORD Flags) {
    if (!ParentFolder) return u"parentfolder = nil";
    STRRET name{};
    if (FAILED(ParentFolder->GetDisplayNameOf(PIDL, Flags, &name))) return {};
    return StrRetToString(PIDL, name);
}

DWORD ObjectTypesToFlags(TShellObjectTypes ObjectTypes) {
    return static_cast<DWORD>(ObjectTypes.ToInt() * 32);
}

int GetShellImage(PItemIDList PIDL, bool Large, bool Open) {
    UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX;
    if (Open) flags |= SHGFI_OPENICON;
    if (!Large) flags |= SHGFI_SMALLICON;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(PIDL), 0, &info, sizeof info, flags);
    if (info.hIcon) DestroyIcon(info.hIcon);
    return info.iIcon;
}

InterfacePtr<IShellFolder> GetIShellFolder(IShellFolder* IFolder, PItemIDList PIDL,
                                           HWND Handle) {
    InterfacePtr<IShellFolder> result;
    if (IFolder) {
        PCUITEMID_CHILD items[] = {PIDL};
        if (SUCCEEDED(IFolder->BindToObject(PIDL, nullptr, IID_IShellFolder,
                                            reinterpret_cast<void**>(result.Out()))) &&
            result)
            return result;
        if (SUCCEEDED(IFolder->GetUIObjectOf(Handle, 1, items, IID_IShellFolder, nullptr,
                                             reinterpret_cast<void**>(result.Out()))) &&
            result)
            return result;
        if (SUCCEEDED(IFolder->CreateViewObject(Handle, IID_IShellFolder,
                                                reinterpret_cast<void**>(result.Out()))) &&
            result)
            return result;
    }
    InterfacePtr<IShellFolder> desktop = DesktopShellFolder();
    if (FAILED(desktop->BindToObject(PIDL, nullptr, IID_IShellFolder,
                                     reinterpret_cast<void**>(result.Out()))))
        result.Reset();
    return result;
}

TShellFolder* CreateFolderFromPIDL(PItemIDList PIDL) {
    InterfacePtr<IShellFolder> desktop = DesktopShellFolder();
    InterfacePtr<IShellFolder> folder = GetIShellFolder(desktop.Get(), PIDL);
    if (!folder) folder = desktop;
    return new TShellFolder(TheDesktopFolder, PIDL, folder.Get());
}

TShellFolder* CreateRootFolder(TShellFolder* OldFolder, const UnicodeString& OldRoot,
                               UnicodeString& Root) {
    if (Root.empty()) Root = u"rfDesktop";
    PItemIDList pidl = nullptr;
    HRESULT result = E_FAIL;
    int special = -1;
    for (int i = rfDesktop; i <= rfTemplates; ++i)
        if (SameText(Root, RootFolderName(static_cast<TRootFolder>(i)))) special = i;
    if (special >= 0) {
        result = SHGetSpecialFolderLocation(nullptr, nFolder[special], &pidl);
    } else {
        UnicodeString path = Root;
        if (path.back() == u':') path += u'\\';
        ULONG eaten = 0;
        result = DesktopShellFolder()->ParseDisplayName(nullptr, nullptr, path.data(), &eaten,
                                                        &pidl, nullptr);
    }
    if (FAILED(result) || !pidl) {
        UnicodeString rejected = Root;
        Root = OldRoot;
        throw Exception(u"Could not set the path to '%s'", {rejected});
    }
    auto freeList = runpak::ScopeExit([&] { DisposePIDL(pidl); });
    delete OldFolder;
    return CreateFolderFromPIDL(pidl);
}

bool InvokeVerb(TShellFolder* Folder, const char* Verb) {
    if (!Folder) return false;
    IShellFolder* parent = Folder->ParentShellFolder();
    if (!parent) return false;
    PCUITEMID_CHILD items[] = {Folder->GetRelativeID()};
    InterfacePtr<IContextMenu> menu;
    if (FAILED(parent->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(menu.Out()))) ||
        !menu)
        return false;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = 0x100000; // asynchronous execution allowed
    info.lpVerb = Verb;
    info.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(menu->InvokeCommand(&info));
}

void InvokeContextMenu(TWinControl* Owner, TShellFolder* AFolder, int X, int Y) {
    if (!AFolder || !Owner) return;
    IShellFolder* parent = AFolder->ParentShellFolder();
    if (!parent) return;
    HWND owner = Owner->GetHandle();
    PCUITEMID_CHILD items[] = {AFolder->GetRelativeID()};
    InterfacePtr<IContextMenu> menu;
    if (FAILED(parent->GetUIObjectOf(owner, 1, items, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(menu.Out()))) ||
        !menu)
        return;
    POINT at{X, Y};
    ClientToScreen(owner, &at);
    HMENU popup = CreatePopupMenu();
    auto destroyMenu = runpak::ScopeExit([&] { DestroyMenu(popup); });
    menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME);

    InterfacePtr<IContextMenu2> menu2;
    menu->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(menu2.Out()));
    CurrentContextMenu = menu2.Get();
    UINT command = 0;
    {
        auto clear = runpak::ScopeExit([&] { CurrentContextMenu = nullptr; });
        command = static_cast<UINT>(
            TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    }
    if (command == 0) return;

    char verbText[256] = {};
    menu->GetCommandString(command - 1, GCS_VERBA, nullptr, verbText, sizeof verbText);
    UnicodeString verb = AnsiText(verbText);
    auto* handler = dynamic_cast<IShellCommandVerb*>(Owner);
    bool handled = false;
    if (handler) handler->ExecuteCommand(verb, handled);
    bool succeeded = handled;
    if (!handled) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.lpVerb = reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(command - 1));
        info.nShow = SW_SHOWNORMAL;
        succeeded = SUCCEEDED(menu->InvokeCommand(&info));
    }
    if (handler) handler->CommandCompleted(verb, succeeded);
}

// --- Unit state -------------------------------------------------------------------

TShellFolder* ShellCtrlsDesktopFolder() { return TheDesktopFolder; }
IContextMenu2* ShellCtrlsContextMenu() { return CurrentContextMenu; }
IShellFolder* ShellCtrlsCompareFolder() { return CompareFolder; }
void SetShellCtrlsCompareFolder(IShellFolder* Folder) { CompareFolder = Folder; }
void LockShellCtrls() { EnterCriticalSection(&CS); }
void UnlockShellCtrls() { LeaveCriticalSection(&CS); }

void WaitForShellChangeThreads(); // ShellCtrlsNotifier.cpp

void InitializeIDEShellCtrls() {
    if (Started) return;
    InitializeCriticalSection(&CS);
    OleInitialize(nullptr);
    Allocator();
    InterfacePtr<IShellFolder> desktop = DesktopShellFolder();
    PItemIDList pidl = GetDesktopPidl();
    TheDesktopFolder = new TShellFolder(nullptr, pidl, desktop.Get());
    DisposePIDL(pidl);
    Started = true;
}

void FinalizeIDEShellCtrls() {
    if (!Started) return;
    WaitForShellChangeThreads();
    delete TheDesktopFolder;
    TheDesktopFolder = nullptr;
    DeleteCriticalSection(&CS);
    OleUninitialize();
    if (ShellMalloc) ShellMalloc->Release();
    ShellMalloc = nullptr;
    Started = false;
}

// --- TShellFolder -------------------------------------------------------------------

TShellFolder::TShellFolder(TShellFolder* AParent, PItemIDList ID, IShellFolder* SF)
    : FIShellFolder(SF), FDetails(new TStringList) {
    FPIDL = CopyPIDL(ID);
    if (AParent) {
        FFullPIDL = ConcatPIDLs(AParent->FFullPIDL, ID);
    } else {
        PItemIDList desktop = GetDesktopPidl();
        FFullPIDL = ConcatPIDLs(desktop, ID);
        DisposePIDL(desktop);
    }
    FParent = AParent ? AParent : TheDesktopFolder;
    for (TShellFolder* above = AParent ? AParent->FParent : nullptr; above; above = above->FParent)
        ++FLevel;
}

TShellFolder::~TShellFolder() {
    delete FDetails;
    DisposePIDL(FPIDL);
    DisposePIDL(FFullPIDL);
}

IShellFolder* TShellFolder::ParentShellFolder() {
    if (FParent && FParent->FIShellFolder) return FParent->FIShellFolder.Get();
    // The desktop's folder object outlives every other, so its interface can
    // be handed out uncounted.
    if (TheDesktopFolder && TheDesktopFolder->FIShellFolder)
        return TheDesktopFolder->FIShellFolder.Get();
    return nullptr;
}

TShellFolderCapabilities TShellFolder::Capabilities() {
    return GetCaps(ParentShellFolder(), FPIDL);
}

TShellFolderProperties TShellFolder::Properties() {
    return GetProperties(ParentShellFolder(), FPIDL);
}

bool TShellFolder::IsFolder() { return GetIsFolder(ParentShellFolder(), FPIDL); }

bool TShellFolder::SubFolders() { return GetIsFolder(ParentShellFolder(), FPIDL); }

UnicodeString TShellFolder::DisplayName() {
    return GetDisplayName(ParentShellFolder(), FPIDL, SHGDN_INFOLDER);
}

UnicodeString TShellFolder::PathName() {
    return GetDisplayName(DesktopShellFolder().Get(), FFullPIDL, SHGDN_FORPARSING);
}

int TShellFolder::ImageIndex(bool LargeIcon) { return GetShellImage(FFullPIDL, LargeIcon, false); }

bool TShellFolder::ExecuteDefault() {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = Application ? Application->GetHandle() : nullptr;
    info.lpIDList = FFullPIDL;
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
}

bool TShellFolder::Rename(const UnicodeString& NewName) {
    if (!Capabilities().Contains(fcCanRename)) return false;
    IShellFolder* parent = ParentShellFolder();
    PITEMID_CHILD newPIDL = nullptr;
    HWND owner = Application ? Application->GetHandle() : nullptr;
    if (!parent || FAILED(parent->SetNameOf(owner, FPIDL, NewName.c_str(), 0, &newPIDL)) ||
        !newPIDL)
        throw Exception(u"Rename to %s failed", {NewName});
    DisposePIDL(FPIDL);
    DisposePIDL(FFullPIDL);
    FPIDL = newPIDL;
    // The new absolute id is the parent's absolute id and the new name.
    FFullPIDL = FParent ? ConcatPIDLs(FParent->FFullPIDL, FPIDL) : CopyPIDL(FPIDL);
    return true;
}

IUnknown* TShellFolder::GetDetailInterface() {
    if (FDetailInterface) return FDetailInterface;
    if (FIShellFolder) {
        auto asDetails = [&](auto&& ask) {
            InterfacePtr<IShellDetails> found;
            if (SUCCEEDED(ask(reinterpret_cast<void**>(found.Out()), IID_IShellDetails)) && found)
                FIShellDetails = found;
            return static_cast<bool>(FIShellDetails);
        };
        auto asFolder2 = [&](auto&& ask) {
            InterfacePtr<IShellFolder2> found;
            if (SUCCEEDED(ask(reinterpret_cast<void**>(found.Out()), IID_IShellFolder2)) && found)
                FIShellFolder2 = found;
            return static_cast<bool>(FIShellFolder2);
        };
        IShellFolder* self = FIShellFolder.Get();
        IShellFolder* parent = ParentShellFolder();
        PCUITEMID_CHILD items[] = {FPIDL};
        auto bind = [&](void** out, REFIID iid) {
            return parent ? parent->BindToObject(FPIDL, nullptr, iid, out) : E_FAIL;
        };
        auto uiObject = [&](void** out, REFIID iid) {
            return parent ? parent->GetUIObjectOf(FViewHandle, 1, items, iid, nullptr, out)
                          : E_FAIL;
        };
        auto viewObject = [&](void** out, REFIID iid) {
            return self->CreateViewObject(FViewHandle, iid, out);
        };
        auto desktopBind = [&](void** out, REFIID iid) {
            return DesktopShellFolder()->BindToObject(FFullPIDL, nullptr, iid, out);
        };
        if (asDetails(bind) || asDetails(uiObject) || asDetails(viewObject) ||
            asDetails(desktopBind)) {
            FDetailInterface = FIShellDetails.Get();
        } else if (asFolder2(desktopBind) || asFolder2(uiObject) || asFolder2(bind)) {
            FDetailInterface = FIShellFolder2.Get();
        } else {
            InterfacePtr<IShellFolder2> own;
            if (SUCCEEDED(self->QueryInterface(IID_IShellFolder2,
                                               reinterpret_cast<void**>(own.Out()))) &&
                own) {
                FIShellFolder2 = own;
                FDetailInterface = FIShellFolder2.Get();
            }
        }
    }
    return FDetailInterface;
}

IShellFolder2* TShellFolder::GetShellFolder2() {
    GetDetailInterface();
    return FIShellFolder2.Get();
}

IShellDetails* TShellFolder::GetShellDetails() {
    GetDetailInterface();
    return FIShellDetails.Get();
}

void TShellFolder::LoadColumnDetails(TShellFolder* RootFolder, HWND Handle, int ColumnCount) {
    if (FDetails->GetCount() >= ColumnCount) return;
    FDetails->Clear();
    FViewHandle = Handle;
    IShellFolder2* folder2 = RootFolder ? RootFolder->GetShellFolder2() : nullptr;
    IShellDetails* details = RootFolder && !folder2 ? RootFolder->GetShellDetails() : nullptr;
    if (folder2 || details) {
        for (int column = 1; column <= ColumnCount; ++column) {
            SHELLDETAILS sd{};
            HRESULT result = folder2 ? folder2->GetDetailsOf(FPIDL, column, &sd)
                                     : details->GetDetailsOf(FPIDL, column, &sd);
            FDetails->Add(SUCCEEDED(result) ? StrRetToString(FPIDL, sd.str) : UnicodeString());
        }
        return;
    }
    if (!RootFolder || !RootFolder->Properties().Contains(fpFileSystem)) return;

    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(PathName().c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        throw EInvalidPath(u"Unable to retrieve folder details for \"%s\". Error code $%x",
                           {DisplayName(), static_cast<int>(error)});
    }
    FindClose(find);
    int64_t size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                       ? -1
                       : static_cast<int64_t>(data.nFileSizeHigh) * 4294967296LL +
                             data.nFileSizeLow;
    FDetails->Add(IntToStr(size));
    FDetails->Add(ExtractFileExt(UnicodeString(data.cFileName)));
    FILETIME local{};
    SYSTEMTIME system{};
    TDateTime when = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
        FileTimeToSystemTime(&local, &system))
        when = SystemTimeToDateTime(system);
    FDetails->Add(DateTimeToStr(when));
    FDetails->Add(IntToStr(static_cast<int64_t>(data.dwFileAttributes)));
}

UnicodeString TShellFolder::GetDetails(int Index) {
    if (FDetails->GetCount() == 0)
        throw Exception(u"%s: Missing call to LoadColumnDetails", {DisplayName()});
    return FDetails->Get(Index - 1);
}

void TShellFolder::SetDetails(int Index, const UnicodeString& Value) {
    if (Index >= 1 && Index <= FDetails->GetCount())
        FDetails->Put(Index - 1, Value);
    else
        FDetails->Insert(std::min(std::max(Index - 1, 0), FDetails->GetCount()), Value);
}
