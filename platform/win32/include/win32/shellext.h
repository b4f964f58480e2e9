// The interfaces through which a shell folder hands out per-item objects
// (context menus, icon extractors, info tips) and through which a folder is
// told where it lies and asked for icons. Folders of our own implement them;
// the layer's file-system folders do not offer them yet.
#pragma once
#pragma GCC visibility push(default)

#include <win32/shlobj.h>

// --- Where a folder lies -----------------------------------------------------------
struct IPersist : virtual IUnknown {
    static constexpr InterfaceID<IPersist> IID_{"{0000010C-0000-0000-C000-000000000046}"};
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) noexcept = 0;

protected:
    ~IPersist() = default;
};

struct IPersistFolder : virtual IPersist {
    static constexpr InterfaceID<IPersistFolder> IID_{"{000214EA-0000-0000-C000-000000000046}"};
    // The folder's absolute location; the folder keeps its own copy.
    virtual HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE pidl) noexcept = 0;

protected:
    ~IPersistFolder() = default;
};

// --- Icons ---------------------------------------------------------------------------
#define GIL_OPENICON 0x0001
#define GIL_FORSHELL 0x0002
#define GIL_ASYNC 0x0020
#define GIL_SIMULATEDOC 0x0001
#define GIL_PERINSTANCE 0x0002
#define GIL_PERCLASS 0x0004
#define GIL_NOTFILENAME 0x0008
#define GIL_DONTCACHE 0x0010

struct IShellIcon : virtual IUnknown {
    static constexpr InterfaceID<IShellIcon> IID_{"{000214E5-0000-0000-C000-000000000046}"};
    // An index into the system image list.
    virtual HRESULT STDMETHODCALLTYPE GetIconOf(PCUITEMID_CHILD pidl, UINT flags,
                                                int* pIconIndex) noexcept = 0;

protected:
    ~IShellIcon() = default;
};

struct IExtractIconA : virtual IUnknown {
    static constexpr InterfaceID<IExtractIconA> IID_{"{000214EB-0000-0000-C000-000000000046}"};
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(UINT uFlags, LPSTR pszIconFile, UINT cchMax,
                                                      int* piIndex, UINT* pwFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Extract(LPCSTR pszFile, UINT nIconIndex, HICON* phiconLarge,
                                              HICON* phiconSmall, UINT nIconSize) noexcept = 0;

protected:
    ~IExtractIconA() = default;
};

struct IExtractIconW : virtual IUnknown {
    static constexpr InterfaceID<IExtractIconW> IID_{"{000214FA-0000-0000-C000-000000000046}"};
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(UINT uFlags, LPWSTR pszIconFile, UINT cchMax,
                                                      int* piIndex, UINT* pwFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Extract(LPCWSTR pszFile, UINT nIconIndex,
                                              HICON* phiconLarge, HICON* phiconSmall,
                                              UINT nIconSize) noexcept = 0;

protected:
    ~IExtractIconW() = default;
};

// --- Info tips -------------------------------------------------------------------------
struct IQueryInfo : virtual IUnknown {
    static constexpr InterfaceID<IQueryInfo> IID_{"{00021500-0000-0000-C000-000000000046}"};
    // The tip as a task-allocator string.
    virtual HRESULT STDMETHODCALLTYPE GetInfoTip(DWORD dwFlags, LPWSTR* ppwszTip) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInfoFlags(DWORD* pdwFlags) noexcept = 0;

protected:
    ~IQueryInfo() = default;
};

// --- Context menus -----------------------------------------------------------------------
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

#define CMIC_MASK_UNICODE 0x00004000

typedef struct _CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    LPCSTR lpVerb; // a verb, or a command offset in its low word (high word 0)
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    HANDLE hIcon;
} CMINVOKECOMMANDINFO, *LPCMINVOKECOMMANDINFO;

struct IContextMenu : virtual IUnknown {
    static constexpr InterfaceID<IContextMenu> IID_{"{000214E4-0000-0000-C000-000000000046}"};
    // Adds the items at indexMenu with ids from idCmdFirst; answers a success
    // code whose low word is the number of ids used.
    virtual HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU hmenu, UINT indexMenu,
                                                       UINT idCmdFirst, UINT idCmdLast,
                                                       UINT uFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE InvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept = 0;
    // pszName is a CHAR or, for the W types, a WCHAR buffer of cchMax characters.
    virtual HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT uType,
                                                       UINT* pReserved, LPSTR pszName,
                                                       UINT cchMax) noexcept = 0;

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

inline constexpr IID IID_IPersist = IIDOf<IPersist>();
inline constexpr IID IID_IPersistFolder = IIDOf<IPersistFolder>();
inline constexpr IID IID_IShellIcon = IIDOf<IShellIcon>();
inline constexpr IID IID_IExtractIconA = IIDOf<IExtractIconA>();
inline constexpr IID IID_IExtractIconW = IIDOf<IExtractIconW>();
inline constexpr IID IID_IQueryInfo = IIDOf<IQueryInfo>();
inline constexpr IID IID_IContextMenu = IIDOf<IContextMenu>();
inline constexpr IID IID_IContextMenu2 = IIDOf<IContextMenu2>();
inline constexpr IID IID_IContextMenu3 = IIDOf<IContextMenu3>();

#pragma GCC visibility pop
