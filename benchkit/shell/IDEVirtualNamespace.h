// Folders that exist only inside the process, shown in the shell namespace.
// A virtual folder derives from TBaseVirtualNamespaceExtension and overrides
// a few plain operations; the base answers the shell's folder interfaces.
// Its items are ids that carry the extension's class GUID, a version and the
// item's name. A process-wide factory keeps the registered classes and the
// real locations ("hooked" PIDLs) under which a virtual folder appears.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualPIDLTools.h"

#include <runpak/Component.h>
#include <runpak/Lists.h>
#include <runpak/Set.h>
#include <runpak/Streams.h>
#include <runpak/SyncObjs.h>
#include <win32/oleidl.h>
#include <win32/shellext.h>
#include <win32/shlobj.h>

#include <atomic>
#include <vector>

// --- Flags as sets, each member one platform flag ----------------------------------------
enum TFolderAttribute {
    faCanCopy, faDelete, faCanLink, faCanMoniker, faCanMove, faCanRename, faDropTarget,
    faHasPropSheet, faGhosted, faLink, faReadOnly, faShare, faHasSubFolder, faBrowsable,
    faCompressed, faFileSystem, faFileSysAncestor, faFolder, faNewContent, faNonEnumerated,
    faRemovable, faValidate
};
using TFolderAttributes = TSet<TFolderAttribute, 32>;
enum TDisplayNameFlag { dnfNormal, dnfInFolder, dnfIncludeNonFileSys, dnfForAddressBar, dnfForParsing };
using TDisplayNameFlags = TSet<TDisplayNameFlag, 8>;
enum TFolderEnumFlag { fefFolders, fefNonFolder, fefHidden };
using TFolderEnumFlags = TSet<TFolderEnumFlag, 8>;
enum TSetNameFlag { snfFolders, snfNonFolder, snfHidden };
using TSetNameFlags = TSet<TSetNameFlag, 8>;
enum TVirtualIconFlag { ifShell, ifOpen };
using TVirtualIconFlags = TSet<TVirtualIconFlag, 8>;
enum TVirtualDropKeyState {
    vdksControl, vdksShift, vdksAlt, vdksButton, vdksLeftButton, vdksMiddleButton, vdksRightButton
};
using TVirtualDropKeyStates = TSet<TVirtualDropKeyState, 8>;
enum TVirtualDropEffect { vdeNone, vdeCopy, vdeMove, vdeLink };
using TVirtualDropEffects = TSet<TVirtualDropEffect, 8>;
enum TSupportedInterface {
    siIDropTarget, siIContextMenu, siIContextMenu2, siIContextMenu3, siIDataObject,
    siIExtractIconA, siIExtractIconW, siIQueryInfo, siIShellDetails
};
using TSupportedInterfaces = TSet<TSupportedInterface, 16>;
enum TContextMenuFlag {
    cmDefaultOnly, cmExplore, cmNormal, cmVerbsOnly, cmCanRename, cmExtendedVerbs, cmIncludeStatic,
    cmNoDefault, cmNoVerbs
};
using TContextMenuFlags = TSet<TContextMenuFlag, 16>;
enum TCommandStringType { csHelpTextA, csHelpTextW, csValidate, csVerbA, csVerbW };
enum TDataObjectType { dotDragDrop, dotClipboard };
enum TVirtualColumnAlignment { vcaCenter, vcaLeft, vcaRight };

TFolderAttributes FolderAttributesFromShell(SFGAOF Flags);
SFGAOF FolderAttributesToShell(TFolderAttributes Attributes);
TDisplayNameFlags DisplayNameFlagsFromShell(SHGDNF Flags);
TFolderEnumFlags FolderEnumFlagsFromShell(SHCONTF Flags);
TSetNameFlags SetNameFlagsFromShell(SHGDNF Flags);
TVirtualIconFlags IconFlagsFromShell(UINT Flags);
TVirtualDropKeyStates DropKeyStatesFromShell(DWORD KeyState);
TVirtualDropEffects DropEffectsFromShell(DWORD Effect);
DWORD DropEffectsToShell(TVirtualDropEffects Effects);
TContextMenuFlags ContextMenuFlagsFromShell(UINT Flags);

// --- Item ids ---------------------------------------------------------------------------------
// Layout of one virtual item (little-endian): cb (2), class GUID (16),
// version (4), N = name characters + 2 (4), then N UTF-16 units: the name and
// two zeros.
constexpr int GetInFolderNameASCII_Offset = 26;

class TItemID : public TObject {
public:
    explicit TItemID(const GUID& ClassID) : FClassID(ClassID) {}

    virtual void LoadPIDLStream(TStream* Stream);
    virtual void SavePIDLStream(TStream* Stream);
    void Clear();

    // A one-item PIDL of this id from the task allocator; the caller frees it.
    PItemIDList GetItemID();
    // Reads the last item of PIDL back when it is one of this class. An item
    // whose stored name would run past its own size (cb) is refused, unread:
    // answers false and leaves the id cleared.
    bool SetItemID(PItemIDList PIDL);

    const GUID& GetClassID() const { return FClassID; }
    DWORD GetVersion() const { return FVersion; }
    void SetVersion(DWORD Value) { FVersion = Value; }
    const UnicodeString& GetInFolderName() const { return FInFolderNameASCII; }
    void SetInFolderName(const UnicodeString& Value) { FInFolderNameASCII = Value; }

protected:
    DWORD FVersion = 0;
    GUID FClassID;
    UnicodeString FInFolderNameASCII;
};

// The last item's GUID when that item is longer than 16 bytes, else the null GUID.
GUID ExtractGUID_FromPIDL(PItemIDList PIDL);

// --- Reference-counted persistent ------------------------------------------------------------
// Counts references like an interfaced object: the last Release frees it.
class TVirtualInterfacedPersistent : public TPersistent, public virtual IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    LONG GetRefCount() const { return FRefCount.load(); }

protected:
    std::atomic<LONG> FRefCount{0};
};

// --- The extension --------------------------------------------------------------------------
class TVirtualNamespaceEnum;

class TBaseVirtualNamespaceExtension : public TVirtualInterfacedPersistent,
                                       public IShellIcon,
                                       public IShellFolder,
                                       public IPersistFolder {
public:
    TBaseVirtualNamespaceExtension() = default;
    ~TBaseVirtualNamespaceExtension() override;
    // The class's item id and supported interfaces, asked once after
    // construction (the factory calls it; so must anyone constructing directly).
    void AfterCreate();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }

    // IShellFolder
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                               ULONG*) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND hwnd, SHCONTF grfFlags,
                                          IEnumIDList** ppenumIDList) noexcept override;
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                           void**) noexcept override;
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void**) noexcept override;
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                         PCUIDLIST_RELATIVE pidl2) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND hwndOwner, REFIID riid,
                                               void** ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                              SFGAOF* rgfInOut) noexcept override;
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND hwndOwner, UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                            REFIID riid, UINT* rgfReserved,
                                            void** ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags,
                                               STRRET* pName) noexcept override;
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName,
                                        SHGDNF uFlags, PITEMID_CHILD* ppidlOut) noexcept override;
    // IPersist, IPersistFolder
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) noexcept override;
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE pidl) noexcept override;
    // IShellIcon
    HRESULT STDMETHODCALLTYPE GetIconOf(PCUITEMID_CHILD pidl, UINT flags,
                                        int* pIconIndex) noexcept override;

    PItemIDList GetAbsolutePIDL() const { return FAbsolutePIDL; }
    TItemID* GetItemID() const { return FItemID; }
    TSupportedInterfaces GetSupportedInterfacesSet() const { return FSupportedInterfaces; }

    // --- what a descendant overrides ---
    virtual TFolderAttributes Attributes(TPIDLList* PIDLList, TFolderAttributes Requested) {
        return {};
    }
    virtual int CompareItems(int Column, PItemIDList PIDL1, PItemIDList PIDL2) { return 0; }
    virtual IContextMenu* CreateIContextMenu(TPIDLList* PIDLList) { return nullptr; }
    virtual IDataObject* CreateIDataObject(TPIDLList* PIDLList, TDataObjectType DataObjectType) {
        return nullptr;
    }
    virtual IDropTarget* CreateIDropTarget(TPIDLList* PIDLList) { return nullptr; }
    virtual IDropTarget* CreateIDropTarget() { return nullptr; }
    virtual IExtractIconA* CreateIExtractIconA(TPIDLList* PIDLList) { return nullptr; }
    virtual IExtractIconW* CreateIExtractIconW(TPIDLList* PIDLList) { return nullptr; }
    virtual IShellDetails* CreateIShellDetails(PItemIDList PIDL) { return nullptr; }
    virtual IQueryInfo* CreateIQueryInfo(TPIDLList* PIDLList) { return nullptr; }
    virtual TItemID* CreateItemID() = 0;
    virtual void DisplayName(PItemIDList PIDL, TDisplayNameFlags Flags, STRRET& StrRet) {}
    virtual PItemIDList EnumFirstChild(TFolderEnumFlags Flags) { return nullptr; }
    virtual PItemIDList EnumNextChild(TFolderEnumFlags Flags) { return nullptr; }
    virtual TSupportedInterfaces GetSupportedInterfaces() { return {}; }
    virtual void IconIndex(PItemIDList PIDL, TVirtualIconFlags Flags, int& Index) { Index = 0; }
    virtual void InitializeNamespace(bool& Success) { Success = true; }
    virtual GUID GetExtensionClassID() = 0;
    virtual bool SetName(PItemIDList PIDL, const UnicodeString& Name, TSetNameFlags Flags,
                         PItemIDList& NewPIDL) {
        NewPIDL = nullptr;
        return false;
    }

protected:
    IDataObject* FDataObject = nullptr;
    TSupportedInterfaces FSupportedInterfaces;
    PItemIDList FDropTargetPIDL = nullptr;
    PItemIDList FAbsolutePIDL = nullptr;
    TItemID* FItemID = nullptr;
};

// Hands out the extension's children one per Next.
class TVirtualNamespaceEnum : public TVirtualInterfacedPersistent, public IEnumIDList {
public:
    TVirtualNamespaceEnum(TBaseVirtualNamespaceExtension* AOwner, TFolderEnumFlags AFlags);
    ~TVirtualNamespaceEnum() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, PITEMID_CHILD* rgelt,
                                   ULONG* pceltFetched) noexcept override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList**) noexcept override { return E_NOTIMPL; }

private:
    TBaseVirtualNamespaceExtension* FOwner; // referenced while the enumerator lives
    int FIndex = 0;
    TFolderEnumFlags FFlags;
};

// --- Per-selection objects -----------------------------------------------------------------
class TVirtualUIObjects : public TVirtualInterfacedPersistent {
public:
    TVirtualUIObjects(PItemIDList ParentPIDL, TPIDLList* PIDLs);
    ~TVirtualUIObjects() override;
    PItemIDList GetParentPIDL() const { return FParentPIDL; }
    TPIDLList* GetChildPIDLs() const { return FChildPIDLs; }

protected:
    PItemIDList FParentPIDL = nullptr;
    TPIDLList* FChildPIDLs;
};

struct TVirtualContextMenuItem {
    UINT FCommandID;
    UnicodeString FHelp;
    UnicodeString FVerb;
};

class TVirtualIContextMenu : public TVirtualUIObjects, public IContextMenu3 {
public:
    using TVirtualUIObjects::TVirtualUIObjects;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT uFlags) noexcept override;
    HRESULT STDMETHODCALLTYPE InvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept override;
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved,
                                               LPSTR pszName, UINT cchMax) noexcept override;
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT, WPARAM, LPARAM) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT, WPARAM, LPARAM, LRESULT*) noexcept override {
        return E_NOTIMPL;
    }

    // Adds an item above those added before it.
    void AddMenuItem(HMENU Menu, UINT CommandID, const UnicodeString& Help,
                     const UnicodeString& Verb, const UnicodeString& Text);
    void AddMenuItemDivider(HMENU Menu);
    const std::vector<TVirtualContextMenuItem>& GetMenuItems() const { return FMenuItemList; }

protected:
    // Fill the menu with AddMenuItem; false adds nothing.
    virtual bool FillMenu(HMENU Menu, UINT IDFirst, UINT IDLast, TContextMenuFlags Flags) {
        return false;
    }
    virtual void Invoke(const TVirtualContextMenuItem& Item, LPCMINVOKECOMMANDINFO Info) {}
    virtual void CommandString(UINT CommandID, TCommandStringType Type, UnicodeString& Text) {}

    std::vector<TVirtualContextMenuItem> FMenuItemList;
};

class TVirtualIDropTarget : public TVirtualUIObjects, public IDropTarget {
public:
    using TVirtualUIObjects::TVirtualUIObjects;
    ~TVirtualIDropTarget() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                        DWORD* pdwEffect) noexcept override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt,
                                       DWORD* pdwEffect) noexcept override;
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                   DWORD* pdwEffect) noexcept override;
    IDataObject* GetDataObject() const { return FDataObject; }

protected:
    virtual TVirtualDropEffects Drag_Enter(IDataObject* DataObject, TVirtualDropKeyStates KeyState,
                                           POINTL Pt, TVirtualDropEffects Effects) {
        return {};
    }
    virtual void Drag_Leave() {}
    virtual TVirtualDropEffects Drag_Over(TVirtualDropKeyStates KeyState, POINTL Pt,
                                          TVirtualDropEffects Effects) {
        return {};
    }
    virtual TVirtualDropEffects Drag_Drop(IDataObject* DataObject, TVirtualDropKeyStates KeyState,
                                          POINTL Pt, TVirtualDropEffects Effects) {
        return {};
    }

private:
    void SetDataObject(IDataObject* Value);
    IDataObject* FDataObject = nullptr;
};

class TVirtualIQueryInfo : public TVirtualUIObjects, public IQueryInfo {
public:
    using TVirtualUIObjects::TVirtualUIObjects;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE GetInfoTip(DWORD dwFlags, LPWSTR* ppwszTip) noexcept override;
    HRESULT STDMETHODCALLTYPE GetInfoFlags(DWORD*) noexcept override { return E_NOTIMPL; }

protected:
    virtual UnicodeString GetQueryInfoTip() { return {}; }
};

class TVirtualIExtractIconA : public TVirtualUIObjects, public IExtractIconA {
public:
    using TVirtualUIObjects::TVirtualUIObjects;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE GetIconLocation(UINT, LPSTR, UINT, int*, UINT*) noexcept override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Extract(LPCSTR, UINT, HICON*, HICON*, UINT) noexcept override {
        return S_FALSE;
    }
};

class TVirtualIExtractIconW : public TVirtualUIObjects, public IExtractIconW {
public:
    using TVirtualUIObjects::TVirtualUIObjects;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE GetIconLocation(UINT, LPWSTR, UINT, int*, UINT*) noexcept override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Extract(LPCWSTR, UINT, HICON*, HICON*, UINT) noexcept override {
        return S_FALSE;
    }
};

class TVirtualIShellDetails : public TVirtualInterfacedPersistent, public IShellDetails {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return TVirtualInterfacedPersistent::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return TVirtualInterfacedPersistent::Release();
    }
    HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn,
                                           SHELLDETAILS* pDetails) noexcept override;
    HRESULT STDMETHODCALLTYPE ColumnClick(UINT) noexcept override { return E_NOTIMPL; }

protected:
    virtual TVirtualColumnAlignment GetColumnAlignment(int Column) { return vcaLeft; }
    virtual int GetColumnCount() { return 1; }
    virtual UnicodeString GetColumnDetails(PItemIDList PIDL, int Column) { return {}; }
    virtual UnicodeString GetColumnTitle(int Column) { return {}; }
};

// --- The factory -----------------------------------------------------------------------------
struct TNamespaceFactoryItem {
    TClass FNamespaceExtClass;
    GUID FNamespaceExtClassID;
    GUID FRootHookClassID;
    TClass FRootHookClass;
};

class THookedPIDLItem : public TObject {
public:
    THookedPIDLItem(PItemIDList PIDL, const GUID& ClassID, bool HardHooked);
    ~THookedPIDLItem() override;
    int FPIDLIDCount;
    PItemIDList FPIDL; // own copy
    GUID FNamespaceExtClassID;
    bool FHardHooked;
};

class TNamespaceExtensionFactory : public TObject {
public:
    TNamespaceExtensionFactory();
    ~TNamespaceExtensionFactory() override;

    // Class must derive from TBaseVirtualNamespaceExtension.
    void RegisterNamespaceExtension(TClass Class, const GUID& ClassID, const GUID& RootHookClassID,
                                    TClass RootHookClass);
    void UnRegisterNamespaceExtension(const GUID& ClassID);
    void ClearExtensions();
    int GetCount();

    bool RegisteredGUID(const GUID& ID);
    bool FindNamespaceItem(const GUID& ID, int& Index);
    const TNamespaceFactoryItem* GetNamespaceItems(int Index);
    bool IsVirtualPIDL(PItemIDList PIDL);
    bool IsRootVirtualPIDL(PItemIDList PIDL);
    GUID ExtractVirtualGUID(PItemIDList PIDL);
    GUID ExtractVirtualGUID(PItemIDList PIDL, bool& Found);

    // A new extension object of the class as its IShellFolder (referenced), or nil.
    IShellFolder* CreateNamespaceExtension(const GUID& ClassID);
    IShellFolder* BindToVirtualObject(PItemIDList PIDL);
    IShellFolder* BindToVirtualParentObject(PItemIDList PIDL);

    void HookPIDL(PItemIDList PIDL, const GUID& ClassID, bool HardHooked);
    void UnHookPIDL(PItemIDList PIDL);
    bool IsHookedPIDL(PItemIDList PIDL, int& Index);
    bool IsHardHookedPIDL(PItemIDList PIDL);
    IShellFolder* VirtualHook(PItemIDList PIDL);
    IShellFolder* VirtualHook(const GUID& ClassID);
    // A one-item PIDL naming the root hook class of PIDL's extension; the caller frees it.
    PItemIDList RootVirtualNamespaceHookPIDL(PItemIDList PIDL);

    void ChangeNotify(DWORD EventFlag, PItemIDList PIDL1, PItemIDList PIDL2);

    void SaveToStream(TStream* S);
    // False when the stream is short or names a class that is not registered
    // with the framework; the items read before stay.
    bool LoadFromStream(TStream* S);

private:
    IShellFolder* Construct(TClass Class, PItemIDList InitializeWith);

    std::vector<TNamespaceFactoryItem> FNSExtList;
    IShellFolder* FDesktop = nullptr;
    TCriticalSection* FLock;
    std::vector<THookedPIDLItem*> FHookedPIDLItems; // owned
    TPIDLManager* FPIDLMgr;
};

// The process-wide factory, made on first use.
TNamespaceExtensionFactory* NamespaceExtensionFactory();

void InitializeIDEVirtualNamespace();
void FinalizeIDEVirtualNamespace();

#pragma GCC visibility pop
