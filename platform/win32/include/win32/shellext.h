// The interfaces through which a shell folder hands out per-item objects
// (icon extractors, info tips, thumbnails, categories; context menus are in
// shlobj.h) and through which a folder is told where it lies and asked for
// icons and overlays. The layer's file-system folders answer icons, overlays
// and info tips; the rest are for folders of our own.
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

struct IPersistFile : virtual IPersist {
    static constexpr InterfaceID<IPersistFile> IID_{"{0000010B-0000-0000-C000-000000000046}"};
    virtual HRESULT STDMETHODCALLTYPE IsDirty() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(LPCWSTR pszFileName, DWORD dwMode) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(LPCWSTR pszFileName, BOOL fRemember) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveCompleted(LPCWSTR pszFileName) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurFile(LPWSTR* ppszFileName) noexcept = 0;

protected:
    ~IPersistFile() = default;
};

// --- Shell links ------------------------------------------------------------------------
// The layer's links are symbolic links: what Save writes, and what Load
// reads, is the target alone. The other fields live in the object.
#define SLGP_SHORTPATH 0x1
#define SLGP_UNCPRIORITY 0x2
#define SLGP_RAWPATH 0x4
#define SLR_NO_UI 0x1

struct IShellLinkW : virtual IUnknown {
    static constexpr InterfaceID<IShellLinkW> IID_{"{000214F9-0000-0000-C000-000000000046}"};
    virtual HRESULT STDMETHODCALLTYPE GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW* pfd,
                                              DWORD fFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE* ppidl) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE pidl) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR pszName, int cch) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR pszName) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR pszDir, int cch) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR pszDir) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR pszArgs, int cch) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR pszArgs) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHotkey(WORD* pwHotkey) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHotkey(WORD wHotkey) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetShowCmd(int* piShowCmd) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetShowCmd(int iShowCmd) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR pszIconPath, int cch,
                                                      int* piIcon) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR pszIconPath, int iIcon) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR pszPathRel,
                                                      DWORD dwReserved) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Resolve(HWND hwnd, DWORD fFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR pszFile) noexcept = 0;

protected:
    ~IShellLinkW() = default;
};

// The shell link's class, for CoCreateInstance.
inline constexpr CLSID CLSID_ShellLink = win32::ParseGUID("{00021401-0000-0000-C000-000000000046}");

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
// The classes the layer itself serves (the shell link); REGDB_E_CLASSNOTREG
// for any other, CLASS_E_NOAGGREGATION with an outer object.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv);

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

// --- Overlays on an item's icon ----------------------------------------------------------
struct IShellIconOverlay : virtual IUnknown {
    static constexpr InterfaceID<IShellIconOverlay> IID_{"{7D688A70-C613-11D0-999B-00C04FD655E1}"};
    // S_OK with the overlay's number (1 = the link arrow), S_FALSE for none.
    virtual HRESULT STDMETHODCALLTYPE GetOverlayIndex(PCUITEMID_CHILD pidl,
                                                      int* pIndex) noexcept = 0;
    // S_OK with the overlay image's index in the system image list, S_FALSE for none.
    virtual HRESULT STDMETHODCALLTYPE GetOverlayIconIndex(PCUITEMID_CHILD pidl,
                                                          int* pIconIndex) noexcept = 0;

protected:
    ~IShellIconOverlay() = default;
};

// --- Thumbnails -----------------------------------------------------------------------------
#define IEIFLAG_ASYNC 0x0001
#define IEIFLAG_CACHE 0x0002
#define IEIFLAG_ASPECT 0x0004
#define IEIFLAG_OFFLINE 0x0008
#define IEIFLAG_SCREEN 0x0020
#define IEIFLAG_ORIGSIZE 0x0040

struct IExtractImage : virtual IUnknown {
    static constexpr InterfaceID<IExtractImage> IID_{"{BB2E617C-0920-11D1-9A0B-00C04FC2D6C1}"};
    // Must come first: where the image comes from, for the size asked.
    virtual HRESULT STDMETHODCALLTYPE GetLocation(LPWSTR pszPathBuffer, DWORD cch,
                                                  DWORD* pdwPriority, const SIZE* prgSize,
                                                  DWORD dwRecClrDepth, DWORD* pdwFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Extract(HBITMAP* phBmpImage) noexcept = 0;

protected:
    ~IExtractImage() = default;
};

struct IExtractImage2 : virtual IExtractImage {
    static constexpr InterfaceID<IExtractImage2> IID_{"{953BB1EE-93B4-11D1-98A3-00C04FB687DA}"};
    virtual HRESULT STDMETHODCALLTYPE GetDateStamp(FILETIME* pDateStamp) noexcept = 0;

protected:
    ~IExtractImage2() = default;
};

// --- Grouping items by category -------------------------------------------------------------
struct ICategorizer : virtual IUnknown {
    static constexpr InterfaceID<ICategorizer> IID_{"{A3B14589-9174-49A8-89A3-06A1AE2B9BA7}"};
    virtual HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR pszDesc, UINT cch) noexcept = 0;
    // The category id of each item.
    virtual HRESULT STDMETHODCALLTYPE GetCategory(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                                  DWORD* rgCategoryIds) noexcept = 0;
    // The category's name into pszName (cch characters).
    virtual HRESULT STDMETHODCALLTYPE GetCategoryName(DWORD dwCategoryId, LPWSTR pszName,
                                                      UINT cch) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareCategory(DWORD csfFlags, DWORD dwCategoryId1,
                                                      DWORD dwCategoryId2) noexcept = 0;

protected:
    ~ICategorizer() = default;
};

struct ICategoryProvider : virtual IUnknown {
    static constexpr InterfaceID<ICategoryProvider> IID_{"{9AF64809-5864-4C26-A720-C1F78C086EE3}"};
    virtual HRESULT STDMETHODCALLTYPE CanCategorizeOnSCID(const SHCOLUMNID* pscid) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultCategory(GUID* pguid,
                                                         SHCOLUMNID* pscid) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCategoryForSCID(const SHCOLUMNID* pscid,
                                                         GUID* pguid) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCategoryName(const GUID* pguid, LPWSTR pszName,
                                                      UINT cch) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCategory(const GUID* pguid, REFIID riid,
                                                     void** ppv) noexcept = 0;

protected:
    ~ICategoryProvider() = default;
};

// --- How a folder wants its browser window, and its file associations -----------------------
struct IBrowserFrameOptions : virtual IUnknown {
    static constexpr InterfaceID<IBrowserFrameOptions> IID_{
        "{10DF43C8-1DBE-11D3-8B34-006097DF5BD4}"};
    virtual HRESULT STDMETHODCALLTYPE GetFrameOptions(DWORD dwMask,
                                                      DWORD* pdwOptions) noexcept = 0;

protected:
    ~IBrowserFrameOptions() = default;
};

struct IQueryAssociations : virtual IUnknown {
    static constexpr InterfaceID<IQueryAssociations> IID_{
        "{C46CA590-3C3F-11D2-BEE6-0000F805CA57}"};
    virtual HRESULT STDMETHODCALLTYPE Init(DWORD flags, LPCWSTR pszAssoc, HKEY hkProgid,
                                           HWND hwnd) noexcept = 0;
    // One of the association's texts (the type name, the command of a verb, ...).
    virtual HRESULT STDMETHODCALLTYPE GetString(DWORD flags, DWORD str, LPCWSTR pszExtra,
                                                LPWSTR pszOut, DWORD* pcchOut) noexcept = 0;

protected:
    ~IQueryAssociations() = default;
};

inline constexpr IID IID_IPersist = IIDOf<IPersist>();
inline constexpr IID IID_IPersistFolder = IIDOf<IPersistFolder>();
inline constexpr IID IID_IPersistFile = IIDOf<IPersistFile>();
inline constexpr IID IID_IShellLinkW = IIDOf<IShellLinkW>();
inline constexpr IID IID_IShellIcon = IIDOf<IShellIcon>();
inline constexpr IID IID_IExtractIconA = IIDOf<IExtractIconA>();
inline constexpr IID IID_IExtractIconW = IIDOf<IExtractIconW>();
inline constexpr IID IID_IQueryInfo = IIDOf<IQueryInfo>();
inline constexpr IID IID_IShellIconOverlay = IIDOf<IShellIconOverlay>();
inline constexpr IID IID_IExtractImage = IIDOf<IExtractImage>();
inline constexpr IID IID_IExtractImage2 = IIDOf<IExtractImage2>();
inline constexpr IID IID_ICategorizer = IIDOf<ICategorizer>();
inline constexpr IID IID_ICategoryProvider = IIDOf<ICategoryProvider>();
inline constexpr IID IID_IBrowserFrameOptions = IIDOf<IBrowserFrameOptions>();
inline constexpr IID IID_IQueryAssociations = IIDOf<IQueryAssociations>();

#pragma GCC visibility pop
