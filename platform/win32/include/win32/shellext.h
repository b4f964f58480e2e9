// The interfaces through which a shell folder hands out per-item objects
// (icon extractors, info tips; context menus are in shlobj.h) and through which a folder is
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

inline constexpr IID IID_IPersist = IIDOf<IPersist>();
inline constexpr IID IID_IPersistFolder = IIDOf<IPersistFolder>();
inline constexpr IID IID_IShellIcon = IIDOf<IShellIcon>();
inline constexpr IID IID_IExtractIconA = IIDOf<IExtractIconA>();
inline constexpr IID IID_IExtractIconW = IIDOf<IExtractIconW>();
inline constexpr IID IID_IQueryInfo = IIDOf<IQueryInfo>();

#pragma GCC visibility pop
