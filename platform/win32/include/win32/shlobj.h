// The shell namespace: item id lists, shell folders, special folders.
//
// The namespace stands over the Linux file system. The desktop (the empty
// list) holds the special folders: the user's folders (desktop, documents,
// templates, music, pictures, videos, downloads), the trash as the recycle
// bin, "Computer" holding the drive letters, and empty virtual folders where
// Linux has none (printers, control panel, network, history, favourites).
//
// Item ids use the documented framing (a 2-byte cb counting itself, a list
// ending in a 2-byte zero); what lies inside an item is the layer's own and
// callers must not read it. Every list comes from the task allocator.
#pragma once
#pragma GCC visibility push(default)

#include <win32/combaseapi.h>
#include <win32/fileapi.h>
#include <win32/oleidl.h>

#pragma pack(push, 1)
typedef struct _SHITEMID {
    USHORT cb; // size of the item, cb included
    BYTE abID[1];
} SHITEMID, *LPSHITEMID;
typedef const SHITEMID* LPCSHITEMID;

typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
#pragma pack(pop)
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;
typedef ITEMIDLIST* PIDLIST_RELATIVE;
typedef const ITEMIDLIST* PCUIDLIST_RELATIVE;
typedef ITEMIDLIST* PITEMID_CHILD;
typedef const ITEMIDLIST* PCUITEMID_CHILD;
typedef const ITEMIDLIST* const* PCUITEMID_CHILD_ARRAY;

// --- Item id list routines ----------------------------------------------------
UINT ILGetSize(PCUIDLIST_RELATIVE pidl); // bytes including the terminator; 0 for null
PIDLIST_RELATIVE ILGetNext(PCUIDLIST_RELATIVE pidl); // null at the end
PIDLIST_RELATIVE ILFindLastID(PCUIDLIST_RELATIVE pidl);
BOOL ILRemoveLastID(PIDLIST_RELATIVE pidl);
PIDLIST_RELATIVE ILClone(PCUIDLIST_RELATIVE pidl);
PITEMID_CHILD ILCloneFirst(PCUIDLIST_RELATIVE pidl);
PIDLIST_ABSOLUTE ILCombine(PCIDLIST_ABSOLUTE pidl1, PCUIDLIST_RELATIVE pidl2);
PIDLIST_RELATIVE ILAppendID(PIDLIST_RELATIVE pidl, LPCSHITEMID pmkid, BOOL fAppend);
void ILFree(PIDLIST_RELATIVE pidl);
// Same item: compares what names each item, not the cached data it carries.
BOOL ILIsEqual(PCIDLIST_ABSOLUTE pidl1, PCIDLIST_ABSOLUTE pidl2);
// pidlParent is a prefix of pidlBelow (fImmediate: exactly one item shorter).
BOOL ILIsParent(PCIDLIST_ABSOLUTE pidlParent, PCIDLIST_ABSOLUTE pidlBelow, BOOL fImmediate);
PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR pszPath);
PIDLIST_ABSOLUTE SHSimpleIDListFromPath(LPCWSTR pszPath);

HRESULT SHGetMalloc(IMalloc** ppMalloc);

// --- STRRET ---------------------------------------------------------------------
#define STRRET_WSTR 0x0000
#define STRRET_OFFSET 0x0001
#define STRRET_CSTR 0x0002

typedef struct _STRRET {
    UINT uType;
    union {
        LPWSTR pOleStr; // task-allocator string
        UINT uOffset;   // offset into the item id
        char cStr[MAX_PATH];
    };
} STRRET, *LPSTRRET;

// Copies the name out (and frees a STRRET_WSTR string).
HRESULT StrRetToBufW(STRRET* pstr, PCUITEMID_CHILD pidl, LPWSTR pszBuf, UINT cchBuf);
HRESULT StrRetToStrW(STRRET* pstr, PCUITEMID_CHILD pidl, LPWSTR* ppsz);

// --- Flags ------------------------------------------------------------------------
typedef DWORD SHGDNF;
#define SHGDN_NORMAL 0x0000
#define SHGDN_INFOLDER 0x0001
#define SHGDN_FOREDITING 0x1000
#define SHGDN_FORADDRESSBAR 0x4000
#define SHGDN_FORPARSING 0x8000

typedef DWORD SHCONTF;
#define SHCONTF_CHECKING_FOR_CHILDREN 0x0010
#define SHCONTF_FOLDERS 0x0020
#define SHCONTF_NONFOLDERS 0x0040
#define SHCONTF_INCLUDEHIDDEN 0x0080
#define SHCONTF_INIT_ON_FIRST_NEXT 0x0100
#define SHCONTF_NETPRINTERSRCH 0x0200
#define SHCONTF_SHAREABLE 0x0400
#define SHCONTF_STORAGE 0x0800

typedef ULONG SFGAOF;
#define SFGAO_CANCOPY 0x00000001L
#define SFGAO_CANMOVE 0x00000002L
#define SFGAO_CANLINK 0x00000004L
#define SFGAO_STORAGE 0x00000008L
#define SFGAO_CANRENAME 0x00000010L
#define SFGAO_CANDELETE 0x00000020L
#define SFGAO_HASPROPSHEET 0x00000040L
#define SFGAO_DROPTARGET 0x00000100L
#define SFGAO_CAPABILITYMASK 0x00000177L
#define SFGAO_ENCRYPTED 0x00002000L
#define SFGAO_ISSLOW 0x00004000L
#define SFGAO_GHOSTED 0x00008000L
#define SFGAO_LINK 0x00010000L
#define SFGAO_SHARE 0x00020000L
#define SFGAO_READONLY 0x00040000L
#define SFGAO_HIDDEN 0x00080000L
#define SFGAO_DISPLAYATTRMASK 0x000FC000L
#define SFGAO_FILESYSANCESTOR 0x10000000L
#define SFGAO_FOLDER 0x20000000L
#define SFGAO_FILESYSTEM 0x40000000L
#define SFGAO_HASSUBFOLDER 0x80000000L
#define SFGAO_CONTENTSMASK 0x80000000L
#define SFGAO_VALIDATE 0x01000000L
#define SFGAO_REMOVABLE 0x02000000L
#define SFGAO_COMPRESSED 0x04000000L
#define SFGAO_BROWSABLE 0x08000000L
#define SFGAO_NONENUMERATED 0x00100000L
#define SFGAO_NEWCONTENT 0x00200000L
#define SFGAO_STREAM 0x00400000L
#define SFGAO_STORAGEANCESTOR 0x00800000L

// CompareIDs: the column in the low 16 bits of lParam.
#define SHCIDS_ALLFIELDS 0x80000000L
#define SHCIDS_CANONICALONLY 0x10000000L
#define SHCIDS_BITMASK 0xFFFF0000L
#define SHCIDS_COLUMNMASK 0x0000FFFFL

// --- Special folders --------------------------------------------------------------
#define CSIDL_DESKTOP 0x0000
#define CSIDL_INTERNET 0x0001
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_CONTROLS 0x0003
#define CSIDL_PRINTERS 0x0004
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_FAVORITES 0x0006
#define CSIDL_STARTUP 0x0007
#define CSIDL_RECENT 0x0008
#define CSIDL_SENDTO 0x0009
#define CSIDL_BITBUCKET 0x000a
#define CSIDL_STARTMENU 0x000b
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_DRIVES 0x0011
#define CSIDL_NETWORK 0x0012
#define CSIDL_NETHOOD 0x0013
#define CSIDL_FONTS 0x0014
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_COMMON_STARTMENU 0x0016
#define CSIDL_COMMON_PROGRAMS 0x0017
#define CSIDL_COMMON_STARTUP 0x0018
#define CSIDL_COMMON_DESKTOPDIRECTORY 0x0019
#define CSIDL_APPDATA 0x001a
#define CSIDL_PRINTHOOD 0x001b
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_FAVORITES 0x001f
#define CSIDL_INTERNET_CACHE 0x0020
#define CSIDL_COOKIES 0x0021
#define CSIDL_HISTORY 0x0022
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROFILE 0x0028
#define CSIDL_PROGRAM_FILES_COMMON 0x002b
#define CSIDL_COMMON_TEMPLATES 0x002d
#define CSIDL_COMMON_DOCUMENTS 0x002e
#define CSIDL_COMMON_ADMINTOOLS 0x002f
#define CSIDL_ADMINTOOLS 0x0030
#define CSIDL_COMMON_MUSIC 0x0035
#define CSIDL_COMMON_PICTURES 0x0036
#define CSIDL_COMMON_VIDEO 0x0037
#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

typedef enum { SHGFP_TYPE_CURRENT = 0, SHGFP_TYPE_DEFAULT = 1 } SHGFP_TYPE;

HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl);
HRESULT SHGetFolderLocation(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags,
                            PIDLIST_ABSOLUTE* ppidl);
// pszPath holds MAX_PATH characters. S_FALSE when the folder does not exist
// (and CSIDL_FLAG_CREATE was not given); E_FAIL for folders with no path.
HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);
BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate);
// pszPath holds MAX_PATH characters; FALSE for items with no file-system path.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath);

#define SHGDFIL_FINDDATA 1
#define SHGDFIL_NETRESOURCE 2
#define SHGDFIL_DESCRIPTIONID 3
// SHGDFIL_FINDDATA fills a WIN32_FIND_DATAW of the last item;
// SHGDFIL_DESCRIPTIONID an SHDESCRIPTIONID saying what kind of item it is.
typedef struct _SHDESCRIPTIONID {
    DWORD dwDescriptionId;
    CLSID clsid; // of a virtual folder (SHDID_ROOT_REGITEM), else null
} SHDESCRIPTIONID, *LPSHDESCRIPTIONID;
#define SHDID_ROOT_REGITEM 1
#define SHDID_FS_FILE 2
#define SHDID_FS_DIRECTORY 3
#define SHDID_FS_OTHER 4
#define SHDID_COMPUTER_DRIVE35 5
#define SHDID_COMPUTER_DRIVE525 6
#define SHDID_COMPUTER_REMOVABLE 7
#define SHDID_COMPUTER_FIXED 8
#define SHDID_COMPUTER_NETDRIVE 9
#define SHDID_COMPUTER_CDROM 10
#define SHDID_COMPUTER_RAMDISK 11
#define SHDID_COMPUTER_OTHER 12
HRESULT SHGetDataFromIDListW(struct IShellFolder* psf, PCUITEMID_CHILD pidl, int nFormat,
                             void* pv, int cb);

// --- Folder interfaces ----------------------------------------------------------
struct IBindCtx;
struct IEnumExtraSearch;
struct tagVARIANT;
typedef tagVARIANT VARIANT;

typedef struct {
    GUID fmtid;
    DWORD pid;
} SHCOLUMNID;
typedef const SHCOLUMNID* LPCSHCOLUMNID;

#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002

typedef struct _SHELLDETAILS {
    int fmt;     // LVCFMT_*
    int cxChar;  // column width in characters
    STRRET str;
} SHELLDETAILS, *LPSHELLDETAILS;

typedef DWORD SHCOLSTATEF;
#define SHCOLSTATE_TYPE_STR 0x00000001
#define SHCOLSTATE_TYPE_INT 0x00000002
#define SHCOLSTATE_TYPE_DATE 0x00000003
#define SHCOLSTATE_ONBYDEFAULT 0x00000010
#define SHCOLSTATE_SLOW 0x00000020

struct IEnumIDList : virtual IUnknown {
    static constexpr InterfaceID<IEnumIDList> IID_{"{000214F2-0000-0000-C000-000000000046}"};

    // celt child ids, each a task-allocator list; S_FALSE when fewer remain.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, PITEMID_CHILD* rgelt,
                                           ULONG* pceltFetched) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** ppenum) noexcept = 0;

protected:
    ~IEnumIDList() = default;
};
typedef IEnumIDList* LPENUMIDLIST;

struct IShellFolder : virtual IUnknown {
    static constexpr InterfaceID<IShellFolder> IID_{"{000214E6-0000-0000-C000-000000000046}"};

    virtual HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND hwnd, IBindCtx* pbc,
                                                       LPWSTR pszDisplayName, ULONG* pchEaten,
                                                       PIDLIST_RELATIVE* ppidl,
                                                       ULONG* pdwAttributes) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumObjects(HWND hwnd, SHCONTF grfFlags,
                                                  IEnumIDList** ppenumIDList) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc,
                                                   REFIID riid, void** ppv) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc,
                                                    REFIID riid, void** ppv) noexcept = 0;
    // The sign of the comparison in the low 16 bits of the code (short).
    virtual HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                                 PCUIDLIST_RELATIVE pidl2) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateViewObject(HWND hwndOwner, REFIID riid,
                                                       void** ppv) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                                      SFGAOF* rgfInOut) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND hwndOwner, UINT cidl,
                                                    PCUITEMID_CHILD_ARRAY apidl, REFIID riid,
                                                    UINT* rgfReserved, void** ppv) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags,
                                                       STRRET* pName) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName,
                                                SHGDNF uFlags,
                                                PITEMID_CHILD* ppidlOut) noexcept = 0;

protected:
    ~IShellFolder() = default;
};
typedef IShellFolder* LPSHELLFOLDER;

struct IShellFolder2 : virtual IShellFolder {
    static constexpr InterfaceID<IShellFolder2> IID_{"{93F2F68C-1D1B-11D3-A30E-00C04F79ABD1}"};

    virtual HRESULT STDMETHODCALLTYPE GetDefaultSearchGUID(GUID* pguid) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumSearches(IEnumExtraSearch** ppenum) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultColumn(DWORD dwRes, ULONG* pSort,
                                                       ULONG* pDisplay) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultColumnState(UINT iColumn,
                                                            SHCOLSTATEF* pcsFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDetailsEx(PCUITEMID_CHILD pidl, const SHCOLUMNID* pscid,
                                                   VARIANT* pv) noexcept = 0;
    // Columns 0 name, 1 size, 2 type, 3 modified; a null pidl asks for the title.
    virtual HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn,
                                                   SHELLDETAILS* psd) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE MapColumnToSCID(UINT iColumn, SHCOLUMNID* pscid) noexcept = 0;

protected:
    ~IShellFolder2() = default;
};

struct IShellDetails : virtual IUnknown {
    static constexpr InterfaceID<IShellDetails> IID_{"{000214EC-0000-0000-C000-000000000046}"};

    virtual HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn,
                                                   SHELLDETAILS* pDetails) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ColumnClick(UINT iColumn) noexcept = 0;

protected:
    ~IShellDetails() = default;
};

inline constexpr IID IID_IEnumIDList = IIDOf<IEnumIDList>();
inline constexpr IID IID_IShellFolder = IIDOf<IShellFolder>();
inline constexpr IID IID_IShellFolder2 = IIDOf<IShellFolder2>();
inline constexpr IID IID_IShellDetails = IIDOf<IShellDetails>();

// --- Context menus ----------------------------------------------------------------
// A folder hands out a context menu for some of its children (GetUIObjectOf)
// or for itself as the background of its view (CreateViewObject).
#define CMF_NORMAL 0x00000000
#define CMF_DEFAULTONLY 0x00000001
#define CMF_VERBSONLY 0x00000002
#define CMF_EXPLORE 0x00000004
#define CMF_NOVERBS 0x00000008
#define CMF_CANRENAME 0x00000010
#define CMF_NODEFAULT 0x00000020
#define CMF_INCLUDESTATIC 0x00000040
#define CMF_EXTENDEDVERBS 0x00000100

#define GCS_VERBA 0x00000000
#define GCS_HELPTEXTA 0x00000001
#define GCS_VALIDATEA 0x00000002
#define GCS_VERBW 0x00000004
#define GCS_HELPTEXTW 0x00000005
#define GCS_VALIDATEW 0x00000006
#define GCS_UNICODE 0x00000004

#define CMIC_MASK_HOTKEY 0x00000020
#define CMIC_MASK_ICON 0x00000010
#define CMIC_MASK_NOASYNC 0x00000100
#define CMIC_MASK_FLAG_NO_UI 0x00000400
#define CMIC_MASK_UNICODE 0x00004000
#define CMIC_MASK_SHIFT_DOWN 0x10000000
#define CMIC_MASK_CONTROL_DOWN 0x40000000
#define CMIC_MASK_PTINVOKE 0x20000000

typedef struct _CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    LPCSTR lpVerb; // a verb, or (high bits zero) a command offset
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    HANDLE hIcon;
} CMINVOKECOMMANDINFO, *LPCMINVOKECOMMANDINFO;

typedef struct _CMINVOKECOMMANDINFOEX {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    LPCSTR lpVerb;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    HANDLE hIcon;
    LPCSTR lpTitle;
    LPCWSTR lpVerbW; // read instead of lpVerb with CMIC_MASK_UNICODE
    LPCWSTR lpParametersW;
    LPCWSTR lpDirectoryW;
    LPCWSTR lpTitleW;
    POINT ptInvoke;
} CMINVOKECOMMANDINFOEX, *LPCMINVOKECOMMANDINFOEX;

struct IContextMenu : virtual IUnknown {
    static constexpr InterfaceID<IContextMenu> IID_{"{000214E4-0000-0000-C000-000000000046}"};

    // Adds the entries at indexMenu with ids idCmdFirst + offset; answers
    // MAKE_HRESULT(SEVERITY_SUCCESS, 0, largest offset used + 1).
    virtual HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                                       UINT idCmdLast, UINT uFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved,
                                                       LPSTR pszName, UINT cchMax) noexcept = 0;

protected:
    ~IContextMenu() = default;
};

struct IContextMenu2 : virtual IContextMenu {
    static constexpr InterfaceID<IContextMenu2> IID_{"{000214F4-0000-0000-C000-000000000046}"};
    virtual HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT uMsg, WPARAM wParam,
                                                    LPARAM lParam) noexcept = 0;

protected:
    ~IContextMenu2() = default;
};

struct IContextMenu3 : virtual IContextMenu2 {
    static constexpr InterfaceID<IContextMenu3> IID_{"{BCFCE0A0-EC17-11D0-8D10-00A0C90F2719}"};
    virtual HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                                     LRESULT* plResult) noexcept = 0;

protected:
    ~IContextMenu3() = default;
};

inline constexpr IID IID_IContextMenu = IIDOf<IContextMenu>();
inline constexpr IID IID_IContextMenu2 = IIDOf<IContextMenu2>();
inline constexpr IID IID_IContextMenu3 = IIDOf<IContextMenu3>();

HRESULT SHGetDesktopFolder(IShellFolder** ppshf);
HRESULT SHParseDisplayName(LPCWSTR pszName, IBindCtx* pbc, PIDLIST_ABSOLUTE* ppidl,
                           SFGAOF sfgaoIn, SFGAOF* psfgaoOut);
// The folder holding the last item (as riid) and, in *ppidlLast, that item
// (pointing into pidl, not a copy).
HRESULT SHBindToParent(PCIDLIST_ABSOLUTE pidl, REFIID riid, void** ppv,
                       PCUITEMID_CHILD* ppidlLast);

// Accepted and ignored: edits get no input limit here.
HRESULT SHLimitInputEdit(HWND hwndEdit, IShellFolder* psf);
// The system image list is built on first use; answers TRUE.
BOOL FileIconInit(BOOL fRestoreCache);

// --- Change notification of the shell -----------------------------------------------
// What changed (one event per call), for SHChangeNotify and registrations.
#define SHCNE_RENAMEITEM 0x00000001L
#define SHCNE_CREATE 0x00000002L
#define SHCNE_DELETE 0x00000004L
#define SHCNE_MKDIR 0x00000008L
#define SHCNE_RMDIR 0x00000010L
#define SHCNE_MEDIAINSERTED 0x00000020L
#define SHCNE_MEDIAREMOVED 0x00000040L
#define SHCNE_DRIVEREMOVED 0x00000080L
#define SHCNE_DRIVEADD 0x00000100L
#define SHCNE_NETSHARE 0x00000200L
#define SHCNE_NETUNSHARE 0x00000400L
#define SHCNE_ATTRIBUTES 0x00000800L
#define SHCNE_UPDATEDIR 0x00001000L
#define SHCNE_UPDATEITEM 0x00002000L
#define SHCNE_SERVERDISCONNECT 0x00004000L
#define SHCNE_UPDATEIMAGE 0x00008000L
#define SHCNE_DRIVEADDGUI 0x00010000L
#define SHCNE_RENAMEFOLDER 0x00020000L
#define SHCNE_FREESPACE 0x00040000L
#define SHCNE_ASSOCCHANGED 0x08000000L
#define SHCNE_ALLEVENTS 0x7FFFFFFFL
#define SHCNE_INTERRUPT 0x80000000L

// How SHChangeNotify's items are given.
#define SHCNF_IDLIST 0x0000
#define SHCNF_PATHW 0x0005
#define SHCNF_DWORD 0x0003
#define SHCNF_TYPE 0x00FF
#define SHCNF_FLUSH 0x1000

// Registration sources: changes from the file system, from the shell's own
// calls; SHCNRF_NewDelivery hands a lock handle and the process id instead
// of the lists (SHChangeNotification_Lock reads them).
#define SHCNRF_InterruptLevel 0x0001
#define SHCNRF_ShellLevel 0x0002
#define SHCNRF_RecursiveInterrupt 0x1000
#define SHCNRF_NewDelivery 0x8000

typedef struct _SHChangeNotifyEntry {
    PCIDLIST_ABSOLUTE pidl; // null or the desktop: everything
    BOOL fRecursive;
} SHChangeNotifyEntry;

// Reports a change to every registration that covers it. The window of a
// registration receives its message synchronously (wParam: two item lists,
// valid during the call; lParam: the event); registrations of other threads
// are sent to, so the caller waits until they have taken the event.
void SHChangeNotify(LONG wEventId, UINT uFlags, LPCVOID dwItem1, LPCVOID dwItem2);
// 0 on failure; the registration ends with SHChangeNotifyDeregister (a
// window destroyed meanwhile is skipped).
ULONG SHChangeNotifyRegister(HWND hwnd, int fSources, LONG fEvents, UINT wMsg, int cEntries,
                             const SHChangeNotifyEntry* pshcne);
BOOL SHChangeNotifyDeregister(ULONG ulID);

// --- Data transfer formats of the shell ------------------------------------------------
// Registered clipboard format names (RegisterClipboardFormatW).
#define CFSTR_SHELLIDLIST u"Shell IDList Array"
#define CFSTR_PREFERREDDROPEFFECT u"Preferred DropEffect"
#define CFSTR_PERFORMEDDROPEFFECT u"Performed DropEffect"
#define CFSTR_LOGICALPERFORMEDDROPEFFECT u"Logical Performed DropEffect"
#define CFSTR_FILEDESCRIPTORA u"FileGroupDescriptor"
#define CFSTR_FILEDESCRIPTORW u"FileGroupDescriptorW"
#define CFSTR_FILECONTENTS u"FileContents"
#define CFSTR_FILENAMEW u"FileNameW"

// CF_HDROP data: the header, then the names (each with its terminator,
// UTF-16 when fWide, else 8-bit) from pFiles on, ended by one more terminator.
#pragma pack(push, 1)
typedef struct _DROPFILES {
    DWORD pFiles; // offset of the first name from the start of the block
    POINT pt;     // drop point, client coordinates (window ones with fNC)
    BOOL fNC;
    BOOL fWide;
} DROPFILES, *LPDROPFILES;
#pragma pack(pop)
static_assert(sizeof(DROPFILES) == 20, "DROPFILES is a 20-byte header");

// "Shell IDList Array" data: cidl items; aoffset[0] is the offset of the
// parent folder's absolute list, aoffset[1..cidl] those of the items relative
// to it, all from the start of the block.
typedef struct _CIDA {
    UINT cidl;
    UINT aoffset[1];
} CIDA, *LPIDA;

// An enumerator over a copy of a FORMATETC array (for data objects).
HRESULT SHCreateStdEnumFmtEtc(UINT cfmt, const FORMATETC afmt[], IEnumFORMATETC** ppenumFormatEtc);

#pragma GCC visibility pop
