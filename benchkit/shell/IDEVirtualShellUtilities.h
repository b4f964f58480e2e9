// The shell item TNamespace over one item of the shell namespace, its sort
// helper, the special-folder items with the unit's start-up, the base classes
// of every object the explorer controls persist, and small reference-counted
// bases.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualPIDLTools.h"
#include "benchkit/shell/IDEVirtualShellTypes.h"
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <win32/shellext.h>

#include <runpak/DateTime.h>
#include <runpak/Exceptions.h>
#include <runpak/Interfaces.h>
#include <runpak/Set.h>

#include <runpak/Component.h>
#include <runpak/Lists.h>
#include <runpak/Streams.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Stream frame: an optional leading 32-bit version, then the descendant's
// fields. Descendants call the inherited load/save first, then branch on
// StreamVersion for fields whose format changed.
class TStreamableClass : public TPersistent {
public:
    virtual void LoadFromFile(const UnicodeString& FileName, int Version = 0,
                              bool ReadVerFromStream = false);
    virtual void LoadFromStream(TStream* S, int Version = 0, bool ReadVerFromStream = false);
    virtual void SaveToFile(const UnicodeString& FileName, int Version = 0,
                            bool WriteVerToStream = false);
    virtual void SaveToStream(TStream* S, int Version = 0, bool WriteVerToStream = false);

    int GetStreamVersion() const { return FStreamVersion; }

protected:
    int FStreamVersion = -1;
};

class TStreamableList : public TList {
public:
    // The list's own clear, which a load runs first; descendants that own
    // their items free them here.
    virtual void Clear() { TList::Clear(); }

    // A list file holds no version field: the file routines always stream
    // with version 0 and no version, whatever they are given.
    virtual void LoadFromFile(const UnicodeString& FileName, int Version = 0,
                              bool ReadVerFromStream = false);
    virtual void LoadFromStream(TStream* S, int Version = 0, bool ReadVerFromStream = false);
    virtual void SaveToFile(const UnicodeString& FileName, int Version = 0,
                            bool WriteVerToStream = false);
    virtual void SaveToStream(TStream* S, int Version = 0, bool WriteVerToStream = false);

    int GetStreamVersion() const { return FStreamVersion; }

protected:
    int FStreamVersion = -1;
};

// Freed by the Release that takes the count to zero or below. Counts may
// change on several threads.
class TReferenceCounted : public TObject {
public:
    void AddRef() { ++FRefCount; }
    void Release() {
        if (--FRefCount <= 0) delete this;
    }
    int GetRefCount() const { return FRefCount; }

protected:
    std::atomic<int32_t> FRefCount{0};
};

class TReferenceCountedList : public TList {
public:
    void AddRef() { ++FRefCount; }
    void Release() {
        if (--FRefCount <= 0) delete this;
    }
    int GetRefCount() const { return FRefCount; }

protected:
    std::atomic<int32_t> FRefCount{0};
};

// ---- the shell item ---------------------------------------------------------------

class TNamespace;

class EQOZInvalidFileName : public Exception {
public:
    using Exception::Exception;
};

enum TNamespaceState {
    nsFreePIDLOnDestroy,
    nsIsRecycleBin,
    nsRecycleBinChecked,
    nsOwnsParent,
    nsShellDetailsSupported,
    nsShellFolder2Supported,
    nsShellOverlaySupported,
    nsThreadedIconLoaded,
    nsThreadedIconLoading,
    nsThreadedImageLoaded,
    nsThreadedImageLoading,
    nsIconIndexChanged
};
using TNamespaceStates = TSet<TNamespaceState, 16>;

enum TShellCacheFlag {
    scInFolderName,
    scNormalName,
    scParsedName,
    scSmallIcon,
    scSmallOpenIcon,
    scCreationTime,
    scLastAccessTime,
    scLastWriteTime,
    scFileSize,
    scFileSizeKB,
    scFileType,
    scInvalidIDListData,
    scFileSystem,
    scFolder,
    scCanDelete,
    scCanRename,
    scGhosted,
    scCanCopy,
    scCanMove,
    scCanLink,
    scLink,
    scFileSysAncestor,
    scCompressed,
    scFileTimes,
    scSupportedColumns,
    scFolderSize,
    scVirtualHook,
    scHookedNamespace,
    scVirtualNamespace,
    scRootVirtualNamespace,
    scHardHookedNamespace
};
using TShellCache = TSet<TShellCacheFlag, 32>;

enum TCacheAttribute {
    caFileSystem,
    caFolder,
    caCanDelete,
    caCanRename,
    caGhosted,
    caCanCopy,
    caCanMove,
    caCanLink,
    caLink,
    caFileSysAncestor,
    caCompressed,
    caVirtualHook,
    caHookedNamespace,
    caVirtualNamespace,
    caRootVirtualNamespace,
    caHardHookedNamespace
};
using TCacheAttributes = TSet<TCacheAttribute, 16>;

struct TCacheData {
    TCacheAttributes Attributes;
    int SmallIcon = -1;
    int SmallOpenIcon = -1;
    UnicodeString InFolderName, NormalName, ParsedName, CreationTime, LastAccessTime, LastWriteTime,
        FileSize, FileSizeKB, FileType;
    int SupportedColumns = 0;
    int64_t FolderSize = 0;
    int OverlayIndex = -1;
    int OverlayIconIndex = -1;
};

struct TShellCacheRec {
    TShellCache ShellCacheFlags;
    TCacheData Data;
};

struct TSHGetFileInfoRec {
    UnicodeString FileType;
};

enum TIconSize { icSmall, icLarge };

enum TObjectDescription {
    odError,
    odRootRegistered,
    odFile,
    odDirectory,
    odUnidentifiedFileItem,
    od35Floppy,
    od525Floppy,
    odRemovableDisk,
    odFixedDrive,
    odMappedDrive,
    odCDROMDrive,
    odRAMDisk,
    odUnidentifiedDevice,
    odNetworkDomain,
    odNetworkServer,
    odNetworkShare,
    odNetworkRestOfNet,
    odUnidentifiedNetwork,
    odComputerImaging,
    odComputerAudio,
    odShareDocuments
};

class TWinControl;
class TPopupMenu;
class TBitmap;
struct TMessage;
class TExtractImage;
class TVirtualShellLink;

// Context-menu callbacks: a command the user chose (set Handled to keep the
// shell from running it), the menu about to be shown (clear Allow to show
// nothing), and a command the shell ran.
using TContextMenuCmdCallback = std::function<void(TNamespace* Namespace, const UnicodeString& Verb,
                                                   UINT MenuItemID, bool& Handled)>;
using TContextMenuShowCallback = std::function<void(TNamespace* Namespace, HMENU Menu, bool& Allow)>;
using TContextMenuAfterCmdCallback = std::function<void(
    TNamespace* Namespace, const UnicodeString& Verb, UINT MenuItemID, bool Successful)>;

// Receives each enumerated child id (and owns it); answers whether it took
// the item. Setting Terminate stops the walk.
using TEnumFolderCallback =
    std::function<bool(PItemIDList APIDL, TNamespace* AParent, void* Data, bool& Terminate)>;

// One item of the shell namespace. Properties are asked of the shell once and
// cached with a flag each until InvalidateCache/InvalidateNamespace. Getters
// never raise for a shell failure: they answer false, empty, 0, -1 or nil.
using TPIDLArray = std::vector<PItemIDList>;
using TNamespaceArray = std::vector<TNamespace*>;

// A details column's state, bit 0 first.
enum TSHColumnState {
    csTypeString,
    csTypeInt,
    csTypeDate,
    csOnByDefault,
    csSlow,
    csExtended,
    csSecondaryUI,
    csHidden
};
using TSHColumnStates = TSet<TSHColumnState, 8>;

class TNamespace : public TObject {
public:
    // PIDL: with a parent that is not the desktop, a child list that the item
    // takes over (and frees at once, keeping parent + child); otherwise an
    // absolute list it keeps. Nil and no parent: the desktop.
    TNamespace(PItemIDList PIDL, TNamespace* AParent);
    // An item without an id list, known by the caller's number.
    TNamespace(int ID, TNamespace* AParent);
    // From a Windows path; raises EQOZInvalidFileName when it names nothing.
    explicit TNamespace(const UnicodeString& Path);
    ~TNamespace() override;
    TNamespace(const TNamespace&) = delete;
    TNamespace& operator=(const TNamespace&) = delete;

    // ---- virtual getters, in the class's slot order --------------------------------
    virtual bool GetArchive();
    virtual UnicodeString GetAttributesString();
    virtual bool GetCanCopy();
    virtual bool GetCanDelete();
    virtual bool GetCanLink();
    virtual bool GetCanMove();
    virtual bool GetCanRename();
    virtual bool GetCompressed();
    virtual UnicodeString GetCreationTime();
    virtual FILETIME GetCreationTimeRaw();
    virtual bool GetDirectory();
    virtual bool GetDropTarget();
    virtual UnicodeString GetExtension();
    virtual UnicodeString GetFileName();
    virtual bool GetFileSysAncestor();
    virtual bool GetFileSystem();
    virtual UnicodeString GetFileType();
    virtual bool GetFolder();
    virtual bool GetGhosted();
    virtual bool GetHasPropSheet();
    virtual bool GetHasSubFolder();
    virtual bool GetHidden();
    virtual UnicodeString GetInfoTip();
    virtual UnicodeString GetLastAccessTime();
    virtual FILETIME GetLastAccessTimeRaw();
    virtual UnicodeString GetLastWriteTime();
    virtual FILETIME GetLastWriteTimeRaw();
    virtual bool GetLink();
    virtual UnicodeString GetNameAddressbar();
    virtual UnicodeString GetNameAddressbarInFolder();
    virtual UnicodeString GetNameForEditing();
    virtual UnicodeString GetNameForEditingInFolder();
    virtual UnicodeString GetNameForParsing();
    virtual UnicodeString GetNameForParsingInFolder();
    virtual UnicodeString GetNameInFolder();
    virtual UnicodeString GetNameNormal();
    virtual UnicodeString GetNameParseAddress();
    virtual UnicodeString GetNameParseAddressInFolder();
    virtual bool GetNewContent();
    virtual bool GetNonEnumerated();
    virtual bool GetNormal();
    virtual bool GetOffLine();
    virtual IShellFolder* GetParentShellFolder();
    virtual bool GetReadOnly();
    virtual bool GetReadOnlyFile();
    virtual bool GetRemovable();
    virtual UnicodeString GetSizeOfFile();
    virtual UnicodeString GetSizeOfFileDiskUsage();
    virtual int64_t GetSizeOfFileInt64();
    virtual UnicodeString GetSizeOfFileKB();
    virtual bool GetShare();
    virtual UnicodeString GetShortFileName();
    virtual bool GetSubItems();
    virtual bool GetSystem(); // backs SystemFile
    virtual bool GetTemporary();
    virtual TNamespace* Clone(bool ReleasePIDLOnDestroy);
    virtual UnicodeString DetailsDefaultColumnTitle(int ColumnIndex);
    virtual UnicodeString DetailsDefaultOf(int ColumnIndex);
    virtual int DetailsDefaultSupportedColumns();
    virtual int GetIconIndex(bool OpenIcon, TIconSize IconSize, bool ForceLoad = false);

    bool GetSystemFile() { return GetSystem(); }

    // ---- fields as properties ----------------------------------------------------
    PItemIDList GetAbsolutePIDL() const { return FAbsolutePIDL; }
    PItemIDList GetRelativePIDL() const { return FRelativePIDL; }
    TNamespace* GetParent() const { return FParent; }
    int GetNamespaceID() const { return FNamespaceID; }
    int GetTag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    TNamespaceStates GetStates() const { return FStates; }
    void SetStates(TNamespaceStates Value) { FStates = Value; }
    bool GetFreePIDLOnDestroy() const { return FStates.Contains(nsFreePIDLOnDestroy); }
    void SetFreePIDLOnDestroy(bool Value) { SetState(nsFreePIDLOnDestroy, Value); }
    bool GetIconIndexChanged() const { return FStates.Contains(nsIconIndexChanged); }
    void SetIconIndexChanged(bool Value) { SetState(nsIconIndexChanged, Value); }
    bool GetThreadIconLoading() const { return FStates.Contains(nsThreadedIconLoading); }
    void SetThreadIconLoading(bool Value) { SetState(nsThreadedIconLoading, Value); }
    bool GetThreadImageLoading() const { return FStates.Contains(nsThreadedImageLoading); }
    void SetThreadImageLoading(bool Value) { SetState(nsThreadedImageLoading, Value); }
    bool GetThreadedIconLoaded() const { return FStates.Contains(nsThreadedIconLoaded); }
    bool GetThreadImageLoaded() const { return FStates.Contains(nsThreadedImageLoaded); }
    const TShellCacheRec& GetShellCache() const { return FShellCache; }
    // The item's find record (names included), read from its id list on
    // first use; nil when the item has none.
    WIN32_FIND_DATAW* GetWin32FindDataW();

    // ---- interfaces (not counted for the caller: the item keeps them) ---------------
    // Each is nil where the shell offers nothing of the kind for the item.
    IShellIcon* GetShellIconInterface();
    IShellIconOverlay* GetShellIconOverlayInterface();
    IDropTarget* GetDropTargetInterface();
    IQueryInfo* GetQueryInfoInterface();
    IBrowserFrameOptions* GetBrowserFrameOptionsInterface();
    IQueryAssociations* GetQueryAssociationsInterface();
    ICategoryProvider* GetCategoryProviderInterface();
    // Not kept: counted for the caller.
    InterfacePtr<IExtractIconW> GetExtractIconWInterface();
    InterfacePtr<IExtractIconA> GetExtractIconAInterface();
    InterfacePtr<IDataObject> DataObjectInterface();
    // The thumbnail extractor and the link reader, made on first use; owned by the item.
    TExtractImage* GetExtractImage();
    TVirtualShellLink* GetShellLink();
    // A categorizer of the item's folder (counted), nil when it has none.
    InterfacePtr<ICategorizer> CreateCategory(const GUID& CategoryID);
    InterfacePtr<ICategorizer> GetCategoryAlphabetical();
    InterfacePtr<ICategorizer> GetCategoryDriveSize();
    InterfacePtr<ICategorizer> GetCategoryDriveType();
    InterfacePtr<ICategorizer> GetCategoryFreeSpace();
    InterfacePtr<ICategorizer> GetCategorySize();
    InterfacePtr<ICategorizer> GetCategoryTime();
    IShellFolder* GetShellFolder();
    IShellFolder2* GetShellFolder2();
    IShellFolder2* GetParentShellFolder2();
    IShellDetails* GetShellDetailsInterface();
    IShellDetails* GetParentShellDetailsInterface();

    bool GetAdvDetailsSupported();
    GUID GetCLSID();
    TObjectDescription GetDescription();
    TDateTime GetCreationDateTime();
    TDateTime GetLastAccessDateTime();
    TDateTime GetLastWriteDateTime();
    int GetOverlayIndex();
    int GetOverlayIconIndex();
    bool GetBrowsable();
    bool GetCanMoniker();
    bool GetEncrypted();
    bool GetHasStorage();
    bool GetIsSlow();
    bool GetStorage();
    bool GetStorageAncestor();
    bool GetStream();
    bool GetSubFolders();
    HBITMAP GetImage() const { return FImage; }

    // ---- methods -----------------------------------------------------------------------
    // Negative when PIDLToCompare sorts before this item in Column.
    int ComparePIDL(PItemIDList PIDLToCompare, bool IsAbsolutePIDL, int Column = 0);
    UnicodeString DisplayNameOf(DWORD Flags);
    bool TestAttributesOf(SFGAOF Flags, bool FlushCache, bool SoftFlush = false);
    void GetDataFromIDList();
    void GetFileTimes();
    void GetSHFileInfo();
    void SetIconIndexByThread(int IconIndex, bool ClearThreadLoading);
    void SetImageByThread(HBITMAP Bitmap, bool ClearThreadLoading);
    void InvalidateThumbImage();
    void InvalidateCache();
    void InvalidateNamespace(bool RefreshIcon = true);
    // Re-finds the item in its parent after an outside rename; false (and the
    // lists untouched) when no child of the parent matches.
    bool InvalidateRelativePIDL(bool FileObjects, bool NonFolders = true,
                                bool IncludeHidden = true);
    PItemIDList ParseDisplayName();
    PItemIDList ParseDisplayName(const UnicodeString& Path);
    bool SetNameOf(const UnicodeString& NewName);
    int64_t FolderSize(bool Invalidate, bool RecurseFolder = false);
    bool SubFoldersEx(SHCONTF Flags = SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN);
    bool SubItemsEx(SHCONTF Flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
    UnicodeString ExplorerStyleAttributeStringList(bool CapitalLetters);
    int EnumerateFolder(bool Folders, bool NonFolders, bool IncludeHidden,
                        const TEnumFolderCallback& EnumFunc, void* UserData);

    bool IsDesktop();
    bool IsRecycleBin();
    bool IsMyComputer();
    bool IsControlPanel();
    bool IsControlPanelChildFolder();
    bool IsNetworkNeighborhood();
    bool IsNetworkNeighborhoodChild();
    bool IsChildOfRemovableDrive();
    bool IsChildByNamespace(TNamespace* TestNamespace, bool Immediate);
    bool IsChildByPIDL(PItemIDList TestPIDL, bool Immediate);
    bool IsParentByNamespace(TNamespace* TestNamespace, bool Immediate);
    bool IsParentByPIDL(PItemIDList TestPIDL, bool Immediate);

    // ---- operations on the shell -------------------------------------------------------
    // Context menus (counted for the caller). The menu of some siblings of this
    // item (their relative lists) from the parent folder; for one list, failing
    // that, the item's own folder's menu; nil otherwise.
    InterfacePtr<IContextMenu> InternalGetContextMenuInterface(const TPIDLArray& PIDLArray);
    InterfacePtr<IContextMenu> ContextMenuInterface();
    // The item's menu asked for the newer interfaces; kept as the current one.
    InterfacePtr<IContextMenu2> ContextMenu2Interface();
    InterfacePtr<IContextMenu3> ContextMenu3Interface();
    // Shows the shell's context menu of this item (or of some siblings; with
    // ForceFromDesktop, of any items by their absolute lists) at Position (or
    // the mouse), with the host's popup appended as a sub-menu. Owner's window
    // method is hooked while the menu is up, so that the shell draws its
    // entries. False without an owner or items, when nothing was chosen, or
    // when the command failed.
    bool ShowContextMenu(TWinControl* Owner, const TContextMenuCmdCallback& ContextMenuCmdCallback,
                         const TContextMenuShowCallback& ContextMenuShowCallback,
                         const TContextMenuAfterCmdCallback& ContextMenuAfterCmdCallback,
                         const POINT* Position = nullptr, TPopupMenu* CustomShellSubMenu = nullptr,
                         const UnicodeString& CustomSubMenuCaption = {});
    bool ShowContextMenuMulti(TWinControl* Owner,
                              const TContextMenuCmdCallback& ContextMenuCmdCallback,
                              const TContextMenuShowCallback& ContextMenuShowCallback,
                              const TContextMenuAfterCmdCallback& ContextMenuAfterCmdCallback,
                              const TNamespaceArray& NamespaceArray, const POINT* Position = nullptr,
                              TPopupMenu* CustomShellSubMenu = nullptr,
                              const UnicodeString& CustomSubMenuCaption = {},
                              bool ForceFromDesktop = false);
    // Passes an owner-draw or menu message to the menu that is up.
    HRESULT HandleContextMenuMsg(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
    void WindowProcForContextMenu(TMessage& Message);
    // Appends a separator and a sub-menu named Caption holding PopupMenu's
    // items to Menu; answers the ids given to them, in the popup's order,
    // none of them an id that any entry of Menu (sub-menus included) uses.
    std::vector<UINT> InjectCustomSubMenu(HMENU Menu, const UnicodeString& Caption,
                                          TPopupMenu* PopupMenu, HMENU& SubMenu);
    // The verb and help text of an entry of the menu that is up (ids from 1).
    UnicodeString ContextMenuVerb(UINT MenuItemID);
    UnicodeString ContextMenuItemHelp(UINT MenuItemID);
    // Runs a verb of the menu of APIDLArray (or of the item itself) by name.
    bool ExecuteContextMenuVerb(const UnicodeString& AVerb, const TPIDLArray& APIDLArray,
                                HWND MessageWindowParent = nullptr);
    // The verb operations on siblings of this item.
    bool Copy(const TNamespaceArray& NamespaceArray);
    bool Cut(const TNamespaceArray& NamespaceArray);
    bool Delete(const TNamespaceArray& NamespaceArray);
    bool Paste(const TNamespaceArray& NamespaceArray);
    bool ShowPropertySheet();
    bool ShowPropertySheetMulti(const TNamespaceArray& NamespaceArray);
    bool CanCopyAll(const TNamespaceArray& NamespaceArray);
    bool CanCutAll(const TNamespaceArray& NamespaceArray);
    bool CanDeleteAll(const TNamespaceArray& NamespaceArray);
    bool CanPasteToAll(const TNamespaceArray& NamespaceArray);
    bool CanShowPropertiesOfAll(const TNamespaceArray& NamespaceArray);
    // Whether the items are children of this item's parent; says so in a
    // message box when not (unless this is the desktop).
    bool VerifyPIDLRelationship(const TNamespaceArray& NamespaceArray, bool Silent = false);
    // The drop effect the keys ask for, as far as the item allows it.
    int DragEffect(int grfKeyState);

    // Details columns (of this folder's children) and the details of this item.
    int DetailsSupportedColumns();
    std::vector<int> DetailsSupportedVisibleColumns();
    bool DetailsValidIndex(int DetailsIndex);
    UnicodeString DetailsColumnTitle(int ColumnIndex);
    int DetailsColumnTitleInfo(int ColumnIndex);
    TSHColumnStates DetailsGetDefaultColumnState(int ColumnIndex);
    UnicodeString DetailsOf(int ColumnIndex);
    UnicodeString DetailsOfEx(int ColumnIndex);

private:
    void SetState(TNamespaceState State, bool Value) {
        if (Value)
            FStates.Include(State);
        else
            FStates.Exclude(State);
    }
    bool CachedAttribute(SFGAOF Flag, TShellCacheFlag Cache, TCacheAttribute Attribute);
    bool FindDataAttribute(DWORD Bit);
    int QueryIconIndex(bool OpenIcon, TIconSize IconSize);
    UnicodeString CachedName(DWORD Flags, TShellCacheFlag Cache, UnicodeString& Slot);
    UnicodeString TimeString(const FILETIME& Time, TShellCacheFlag Cache, UnicodeString& Slot);
    bool InternalSubItems(SHCONTF Flags);
    void ReleaseInterfaces();

    PItemIDList FAbsolutePIDL = nullptr;
    HBITMAP FImage = nullptr;
    int FNamespaceID = -1;
    TNamespace* FParent = nullptr;
    std::unique_ptr<TNamespace> FOwnedParent; // FParent when this item made it (nsOwnsParent)
    PItemIDList FRelativePIDL = nullptr;
    InterfacePtr<IShellDetails> FShellDetailsInterface;
    InterfacePtr<IShellFolder> FShellFolder;
    InterfacePtr<IShellFolder2> FShellFolder2;
    std::unique_ptr<TSHGetFileInfoRec> FSHGetFileInfoRec;
    TNamespaceStates FStates;
    int FTag = 0;
    std::unique_ptr<WIN32_FIND_DATAW> FWin32FindDataW;
    // What the id list says of the file, kept without the find record's name
    // buffers: attribute, size and time queries answer from it.
    struct TFindFacts {
        bool Known = false;
        bool Refresh = false; // asked of the file system once the item was invalidated
        DWORD Attributes = 0;
        uint64_t Size = 0;
        FILETIME CreationTime{}, LastAccessTime{}, LastWriteTime{};
    } FFindFacts;
    bool FSystemIsSuperHidden = false;
    TShellCacheRec FShellCache;
    InterfacePtr<IContextMenu> FCurrentContextMenu;
    InterfacePtr<IContextMenu2> FCurrentContextMenu2;
    // The interfaces few items are asked for, the objects made on first use
    // and the owner's window method while a context menu is up, apart so that
    // an item nobody asks costs one pointer for them.
    struct TExtras;
    std::unique_ptr<TExtras> FExtras;
    TExtras& Extras();
    void ReleaseExtraInterfaces();
    void FreeExtraObjects();

    bool InternalShowContextMenu(TWinControl* Owner, const TContextMenuCmdCallback& CmdCallback,
                                 const TContextMenuShowCallback& ShowCallback,
                                 const TContextMenuAfterCmdCallback& AfterCmdCallback,
                                 const TPIDLArray& PIDLArray, const POINT* Position,
                                 TPopupMenu* CustomShellSubMenu, const UnicodeString& Caption,
                                 bool ForceFromDesktop);
};

// Orders items for the explorer views: negative when NS1 sorts first.
enum TFileSort { fsFileType, fsFileExtension };

class TShellSortHelper : public TObject {
public:
    virtual int CompareIDSort(int SortColumn, TNamespace* NS1, TNamespace* NS2);
    virtual int DiscriminateFolders(TNamespace* NS1, TNamespace* NS2);
    virtual int SortFileSize(TNamespace* NS1, TNamespace* NS2);
    virtual int SortFileTime(FILETIME FT1, FILETIME FT2, TNamespace* NS1, TNamespace* NS2);
    virtual int SortString(const UnicodeString& S1, const UnicodeString& S2, TNamespace* NS1,
                           TNamespace* NS2);
    virtual int SortType(TNamespace* NS1, TNamespace* NS2);

    TFileSort GetFileSort() const { return FFileSort; }
    void SetFileSort(TFileSort Value) { FFileSort = Value; }

private:
    TFileSort FFileSort = fsFileType;
};

// ---- thumbnails and links -----------------------------------------------------------------

enum THotKeyModifier { hkmAlt, hkmControl, hkmExtendedKey, hkmShift };
using THotKeyModifiers = TSet<THotKeyModifier, 8>;

// The thumbnail of an item through the shell's image extractor.
class TExtractImage : public TObject {
public:
    TExtractImage() = default;
    ~TExtractImage() override;
    TExtractImage(const TExtractImage&) = delete;
    TExtractImage& operator=(const TExtractImage&) = delete;

    uint32_t GetWidth() const { return FWidth; }
    void SetWidth(uint32_t Value) { FWidth = Value; }
    uint32_t GetHeight() const { return FHeight; }
    void SetHeight(uint32_t Value) { FHeight = Value; }
    uint32_t GetColorDepth() const { return FColorDepth; }
    void SetColorDepth(uint32_t Value) { FColorDepth = Value; }
    uint32_t GetFlags() const { return FFlags; }
    void SetFlags(uint32_t Value) { FFlags = Value; }
    TNamespace* GetOwner() const { return FOwner; }
    void SetOwner(TNamespace* Value) { FOwner = Value; }
    uint32_t GetPriority() const { return FPriority; }
    bool GetPathExtracted() const { return FPathExtracted; }
    // Where the image comes from; must be asked before the image. Empty when
    // the shell has no extractor for the item.
    UnicodeString GetImagePath();
    // A new bitmap the caller owns, or nil.
    TBitmap* GetImage();
    IExtractImage* GetExtractImageInterface();
    IExtractImage2* GetExtractImage2Interface();

private:
    uint32_t FFlags = 32;
    uint32_t FPriority = 0;
    uint32_t FHeight = 200;
    uint32_t FWidth = 200;
    uint32_t FColorDepth = 32;
    InterfacePtr<IExtractImage> FExtractImageInterface;
    InterfacePtr<IExtractImage2> FExtractImage2Interface;
    TNamespace* FOwner = nullptr;
    bool FPathExtracted = false;
};

enum TCmdShow {
    swHide,
    swMaximize,
    swMinimize,
    swRestore,
    swShow,
    swShowDefault,
    swShowMinimized,
    swShowMinNoActive,
    swShowNA,
    swShowNoActive,
    swShowNormal
};

// A shell link file read and written through the shell's link object. The
// shell's links are symbolic links: what a link file keeps is its target.
class TVirtualShellLink : public TComponent {
public:
    explicit TVirtualShellLink(TComponent* AOwner = nullptr);
    ~TVirtualShellLink() override;

    // Loads LinkFileName; false (and an empty FileName) when it is no link.
    bool ReadLink(const UnicodeString& LinkFileName);
    // Writes the link; false when there is no target (after saying so,
    // unless SilentWrite) or the file could not be written.
    bool WriteLink(const UnicodeString& LinkFileName);

    UnicodeString FileName, TargetPath, Arguments, Description, WorkingDirectory, IconLocation;
    int IconIndex = 0;
    TCmdShow ShowCmd = swShowNormal;
    THotKeyModifiers HotKeyModifiers;
    uint16_t HotKey = 0;
    bool SilentWrite = false;

    PItemIDList GetTargetIDList() const { return FTargetIDList; }
    // Takes a copy of the list.
    void SetTargetIDList(PItemIDList Value);
    IShellLinkW* GetShellLinkWInterface();

private:
    PItemIDList FTargetIDList = nullptr;
    InterfacePtr<IShellLinkW> FShellLinkW;
};

// Makes a link file to AssociatedFile; false when it was not written.
bool CreateShellLink(const UnicodeString& LinkFileName, const UnicodeString& AssociatedFile,
                     const UnicodeString& Parameters = {}, const UnicodeString& WorkingDir = {},
                     const UnicodeString& Description = {}, TCmdShow ShowCmd = swShowNormal,
                     uint16_t HotKey = 0, THotKeyModifiers HotKeyModifiers = {},
                     const UnicodeString& IconFile = {}, int IconIndex = 0);

// ---- item routines ----------------------------------------------------------------------

// The desktop's absolute list of a Windows path (or special name), or nil.
PItemIDList PathToPIDL(const UnicodeString& APath);
// Empty for a zero time or a failure; else the local time as the framework
// formats date and time.
UnicodeString ConvertTFileTimeToLocalStr(FILETIME AFileTime);
TDateTime ConvertFileTimetoDateTime(FILETIME AFileTime);
// The text of a shell string record; frees the record's string.
UnicodeString StrRetToStr(STRRET& StrRet, PItemIDList APIDL);
// The inverse of ConvertTFileTimeToLocalStr: the shown local time back to a
// file time; false when the text does not parse.
bool ConvertLocalStrToTFileTime(const UnicodeString& LocalStr, FILETIME& AFileTime);
// The parsing name of an absolute list (the list is not freed).
UnicodeString PIDLToPath(PItemIDList APIDL);
int RectWidth(const RECT& ARect);
int RectHeight(const RECT& ARect);
// The items' own lists (not copies; the items keep them).
TPIDLArray NamespaceToRelativePIDLArray(const TNamespaceArray& NamespaceArray);
TPIDLArray NamespaceToAbsolutePIDLArray(const TNamespaceArray& NamespaceArray);

enum TDefaultFolderIcon { diNormalFolder, diOpenFolder, diUnknownFile, diLink, diMyDocuments };
int DefaultSystemImageIndex(TDefaultFolderIcon FolderType);

UnicodeString HotKeyModifiersToStr(THotKeyModifiers HotKeyMod);

// ---- special folders and start-up ------------------------------------------------------

extern TPIDLManager* PIDLMgr;
extern TNamespace* DesktopFolder;
extern TNamespace* RecycleBinFolder;
extern TNamespace* PhysicalDesktopFolder;
extern TNamespace* DrivesFolder;
extern TNamespace* PrinterFolder;
extern TNamespace* HistoryFolder;
extern TNamespace* ControlPanelFolder;
extern TNamespace* NetworkNeighborHoodFolder;
extern TNamespace* TemplatesFolder;
extern TNamespace* MyDocumentsFolder;
extern TNamespace* FavoritesFolder;

// A special folder's item with its parent bound, or nil when the shell has
// no such folder. The caller owns it.
TNamespace* CreateSpecialNamespace(int FolderID);

// Names the platform also uses for its own routines live in the unit's
// namespace.
namespace IDEVirtualShellUtilities {
using TAnimateWindow = BOOL (*)(HWND, DWORD, DWORD);
using TSHLimitInputEdit = HRESULT (*)(HWND, IShellFolder*);
// Bound at start-up; nil when the library lacks them.
extern TAnimateWindow AnimateWindow;
extern TSHLimitInputEdit SHLimitInputEdit;

// Asks the shell to fill its system image list (ordinal 660); false when the
// routine is missing.
bool FileIconInit(bool FullInit);
// Binds AnimateWindow and the shell ordinals 21, 23 and 747; true only when
// 21 and 23 were both found.
bool InitShellOrdinals();
} // namespace IDEVirtualShellUtilities

// Start-up fails with EOSError when the shell lacks the list comparisons
// (ordinals 21 and 23); nothing is left half made.
void InitializeIDEVirtualShellUtilities();
void FinalizeIDEVirtualShellUtilities();

#pragma GCC visibility pop
