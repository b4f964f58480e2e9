// IDEShellCtrls: a small layer over the shell namespace for the shell tree,
// combo box and list view, and a directory change notifier.
//
// Every item id list (PIDL) of this unit comes from the unit's own reference
// to the shell allocator; `TShellFolder` stands for one shell item in every
// control. The unit keeps its own desktop folder object, apart from the larger
// shell layer of benchkit/shell.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/Interfaces.h>
#include <runpak/Lists.h>
#include <runpak/Set.h>
#include <runpak/StringList.h>
#include <runpak/Thread.h>
#include <runpak/TypeInfo.h>
#include <win32/shlobj.h>

#include <functional>

class TWinControl;

using PItemIDList = LPITEMIDLIST;

enum TRootFolder {
    rfDesktop,
    rfMyComputer,
    rfNetwork,
    rfRecycleBin,
    rfAppData,
    rfCommonDesktopDirectory,
    rfCommonPrograms,
    rfCommonStartMenu,
    rfCommonStartup,
    rfControlPanel,
    rfDesktopDirectory,
    rfFavorites,
    rfFonts,
    rfInternet,
    rfPersonal,
    rfPrinters,
    rfPrintHood,
    rfPrograms,
    rfRecent,
    rfSendTo,
    rfStartMenu,
    rfStartup,
    rfTemplates
};
// The special-folder id (CSIDL) of each root, in the enumeration's order.
extern const int nFolder[rfTemplates + 1];
// The root's name as the Root properties take it ("rfDesktop"...).
UnicodeString RootFolderName(TRootFolder Root);

enum TShellFolderCapability {
    fcCanCopy,
    fcCanDelete,
    fcCanLink,
    fcCanMove,
    fcCanRename,
    fcDropTarget,
    fcHasPropSheet
};
using TShellFolderCapabilities = TSet<TShellFolderCapability>;

enum TShellFolderProperty {
    fpCut,
    fpIsLink,
    fpReadOnly,
    fpShared,
    fpFileSystem,
    fpFileSystemAncestor,
    fpRemovable,
    fpValidate,
    fpFolder
};
using TShellFolderProperties = TSet<TShellFolderProperty>;

enum TShellObjectType { otFolders, otNonFolders, otHidden };
using TShellObjectTypes = TSet<TShellObjectType>;

// A path that names nothing, or a folder whose details cannot be read.
class EInvalidPath : public Exception {
public:
    using Exception::Exception;
};

// A shell call that must not fail did; ErrorCode is its HRESULT.
class EShellOleError : public Exception {
public:
    EShellOleError(HRESULT code);
    HRESULT ErrorCode;
};
// Raises EShellOleError for a failure code.
void ShellOleCheck(HRESULT Result);

// A control that runs shell context-menu commands itself: the menu offers
// each chosen verb to it first and tells it how the command ended.
struct IShellCommandVerb : virtual IInterface {
    static constexpr InterfaceID<IShellCommandVerb> IID_{"{7D2A7245-2376-4D33-8008-A130935A2E8B}"};
    virtual void ExecuteCommand(const UnicodeString& Verb, bool& Handled) = 0;
    virtual void CommandCompleted(const UnicodeString& Verb, bool Succeeded) = 0;

protected:
    ~IShellCommandVerb() = default;
};

// One shell item: its ids, its parent and, for a folder, its IShellFolder.
class TShellFolder : public TObject {
public:
    // ID is copied; a missing parent becomes the unit's desktop folder object.
    TShellFolder(TShellFolder* AParent, PItemIDList ID, IShellFolder* SF);
    ~TShellFolder() override;
    TShellFolder(const TShellFolder&) = delete;
    TShellFolder& operator=(const TShellFolder&) = delete;

    TShellFolderCapabilities Capabilities();
    UnicodeString DisplayName();
    // Runs the item's default verb; true when the shell started it.
    bool ExecuteDefault();
    int ImageIndex(bool LargeIcon);
    bool IsFolder();
    IShellFolder* ParentShellFolder();
    UnicodeString PathName();
    TShellFolderProperties Properties();
    // False without the rename capability; raises when the shell refuses.
    bool Rename(const UnicodeString& NewName);
    bool SubFolders();

    // Column texts, 1-based; LoadColumnDetails fills them.
    UnicodeString GetDetails(int Index);
    void SetDetails(int Index, const UnicodeString& Value);
    void LoadColumnDetails(TShellFolder* RootFolder, HWND Handle, int ColumnCount);
    int DetailCount() const { return FDetails->GetCount(); }

    IUnknown* GetDetailInterface();
    IShellDetails* GetShellDetails();
    IShellFolder2* GetShellFolder2();

    PItemIDList GetAbsoluteID() const { return FFullPIDL; }
    PItemIDList GetRelativeID() const { return FPIDL; }
    TShellFolder* GetParent() const { return FParent; }
    IShellFolder* GetShellFolder() const { return FIShellFolder.Get(); }
    int GetLevel() const { return FLevel; }
    HWND GetViewHandle() const { return FViewHandle; }
    void SetViewHandle(HWND Value) { FViewHandle = Value; }

private:
    PItemIDList FPIDL = nullptr;
    PItemIDList FFullPIDL = nullptr;
    TShellFolder* FParent = nullptr;
    InterfacePtr<IShellFolder> FIShellFolder;
    InterfacePtr<IShellFolder2> FIShellFolder2;
    InterfacePtr<IShellDetails> FIShellDetails;
    IUnknown* FDetailInterface = nullptr; // one of the two above, not counted
    int FLevel = 0;
    HWND FViewHandle = nullptr;
    TStringList* FDetails = nullptr;
};

// --- Item id lists, from the unit's shell allocator -------------------------
PItemIDList CreatePIDL(int Size);
int GetPIDLSize(PItemIDList IDList);
PItemIDList CopyPIDL(PItemIDList IDList);
PItemIDList ConcatPIDLs(PItemIDList IDList1, PItemIDList IDList2);
void DisposePIDL(PItemIDList PIDL);
PItemIDList NextPIDL(PItemIDList IDList);
void StripLastID(PItemIDList IDList);
int GetPIDLCount(PItemIDList IDList);
// Copies of every proper ancestor of PIDL, the desktop's empty list first.
TList* CreatePIDLList(PItemIDList ID);
void DestroyPIDLList(TList* List);

// --- Shell queries -------------------------------------------------------------
// The desktop's IShellFolder, counted for the caller; raises on failure.
InterfacePtr<IShellFolder> DesktopShellFolder();
PItemIDList GetDesktopPidl();
bool SamePIDL(PItemIDList ID1, PItemIDList ID2);
TShellFolderCapabilities GetCaps(IShellFolder* ParentFolder, PItemIDList PIDL);
TShellFolderProperties GetProperties(IShellFolder* ParentFolder, PItemIDList PIDL);
bool GetIsFolder(IShellFolder* ParentFolder, PItemIDList PIDL);
bool GetHasSubItems(IShellFolder* ShellFolder, DWORD Flags);
UnicodeString GetDisplayName(IShellFolder* ParentFolder, PItemIDList PIDL, DWORD Flags);
UnicodeString StrRetToString(PItemIDList PIDL, STRRET& StrRet);
DWORD ObjectTypesToFlags(TShellObjectTypes ObjectTypes);
int GetShellImage(PItemIDList PIDL, bool Large, bool Open);
// The item's IShellFolder, counted for the caller; null for a non-folder.
InterfacePtr<IShellFolder> GetIShellFolder(IShellFolder* IFolder, PItemIDList PIDL,
                                           HWND Handle = nullptr);
TShellFolder* CreateFolderFromPIDL(PItemIDList PIDL);
// Root is a TRootFolder name or a path; on failure Root returns to OldRoot
// and the call raises. OldFolder is freed on success.
TShellFolder* CreateRootFolder(TShellFolder* OldFolder, const UnicodeString& OldRoot,
                               UnicodeString& Root);
bool InvokeVerb(TShellFolder* Folder, const char* Verb);
// Shows the item's shell context menu at (X, Y) of Owner's client area.
void InvokeContextMenu(TWinControl* Owner, TShellFolder* AFolder, int X, int Y);

// The unit's state that the controls share.
TShellFolder* ShellCtrlsDesktopFolder();
// The context menu being shown, for forwarding menu-drawing messages.
IContextMenu2* ShellCtrlsContextMenu();
// The folder whose children are being sorted (for the comparison routines).
IShellFolder* ShellCtrlsCompareFolder();
void SetShellCtrlsCompareFolder(IShellFolder* Folder);
// The unit's lock (change threads and the notifier's options).
void LockShellCtrls();
void UnlockShellCtrls();

// --- Links between the shell tree, combo box and list view -------------------
enum TShellLinkRole { slTreeView, slComboBox, slListView };

// What a linked shell control asks of its partners.
class IShellControlLink {
public:
    virtual TComponent* LinkComponent() = 0;
    virtual TShellLinkRole LinkRole() const = 0;
    // The partner's root changed: take it over.
    virtual void LinkSetRoot(const UnicodeString& Root) = 0;
    // The partner moved to this folder: follow it (a tree selects it, the
    // combo box and list view show it).
    virtual void LinkFollow(PItemIDList AbsoluteID) = 0;
    // Partner linked itself to this control (or unlinked, with null).
    virtual void LinkBack(TShellLinkRole Role, IShellControlLink* Partner) = 0;

protected:
    ~IShellControlLink() = default;
};

// --- Directory change notifier --------------------------------------------------
enum TNotifyFilter {
    nfFileNameChange,
    nfDirNameChange,
    nfAttributeChange,
    nfSizeChange,
    nfWriteChange,
    nfSecurityChange
};
using TNotifyFilters = TSet<TNotifyFilter>;
DWORD NotifyFiltersToFlags(TNotifyFilters Filters);
PTypeInfo TypeInfo_TNotifyFilter();
PTypeInfo TypeInfo_TNotifyFilters();

class TCustomShellChangeNotifier;

// Waits on the system's change notification of one folder and runs its
// event on the main thread for each change. It frees itself when it ends.
class TShellChangeThread : public TThread {
public:
    TShellChangeThread(TThreadMethod ChangeEvent, TCustomShellChangeNotifier* Notifier);
    ~TShellChangeThread() override;

    // Stores new options and wakes the thread, which watches them from then on.
    void SetDirectoryOptions(const UnicodeString& Directory, bool WatchSubTree,
                             DWORD NotifyOptionFlags);
    void SetChangeEvent(TThreadMethod ChangeEvent);
    // Asks the thread to end; no event runs after this returns.
    void Stop();
    HANDLE GetStopMutex() const { return FMutex; }

protected:
    void Execute() override;

private:
    friend class TCustomShellChangeNotifier;
    void DeliverChange();

    HANDLE FMutex = nullptr;
    HANDLE FWaitHandle = INVALID_HANDLE_VALUE;
    HANDLE FOptionsChanged = nullptr; // wakes the wait when the options change
    TThreadMethod FChangeEvent;
    UnicodeString FDirectory;
    bool FWatchSubTree = false;
    bool FWaitChanged = false;
    DWORD FNotifyOptionFlags = 0;
    TCustomShellChangeNotifier* FNotifier; // cleared under the lock by either side
};

class TCustomShellChangeNotifier : public TComponent {
public:
    explicit TCustomShellChangeNotifier(TComponent* AOwner);
    ~TCustomShellChangeNotifier() override;

    TNotifyFilters GetNotifyFilters() const { return FFilters; }
    void SetFilters(TNotifyFilters Value);
    const UnicodeString& GetRoot() const { return FRoot; }
    void SetRoot(const UnicodeString& Value);
    bool GetWatchSubTree() const { return FWatchSubTree; }
    void SetWatchSubTree(bool Value);
    const TThreadMethod& GetOnChange() const { return FOnChange; }
    void SetOnChange(TThreadMethod Value);

    // Whether a change thread is running for this notifier.
    bool Watching();

protected:
    void Change();
    void Start();

private:
    friend class TShellChangeThread;
    TNotifyFilters FFilters{nfFileNameChange, nfDirNameChange};
    bool FWatchSubTree = true;
    UnicodeString FRoot = u"C:\\";
    TShellChangeThread* FThread = nullptr; // guarded by the unit's lock
    TThreadMethod FOnChange;
};

class TIDEShellChangeNotifier : public TCustomShellChangeNotifier {
public:
    using TCustomShellChangeNotifier::TCustomShellChangeNotifier;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// Unit start-up and shut-down, run by the package.
void InitializeIDEShellCtrls();
void FinalizeIDEShellCtrls();

#pragma GCC visibility pop
