// The shell's flat API: desktop, special folders, paths, file information and
// the exports of the shell library.
#include "../Config.h"
#include "../FileStat.h"
#include "../Modules.h"
#include "../Paths.h"
#include "ShellFolder.h"
#include "SpecialFolders.h"

#include <win32/shellapi.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace win32 {

namespace {

HRESULT ListOf(PCIDLIST_ABSOLUTE pidl, std::vector<Item>& items) {
    if (!pidl) return E_INVALIDARG;
    return DecodeList(pidl, items) ? S_OK : E_INVALIDARG;
}

// Copies text into a MAX_PATH buffer; false when it does not fit.
bool CopyPath(const std::u16string& text, LPWSTR buffer) {
    if (text.empty() || text.size() >= MAX_PATH) return false;
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return true;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void CopyTruncated(const std::u16string& text, WCHAR* buffer, size_t capacity) {
    size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), count * sizeof(WCHAR));
    buffer[count] = 0;
}

} // namespace

void RegisterShellModule() {
    RegisterShellWideEntryPoints();
    RegisterModule(
        u"SHELL32.DLL",
        {
            {nullptr, 21, reinterpret_cast<void*>(&ILIsEqual)},
            {nullptr, 23, reinterpret_cast<void*>(&ILIsParent)},
            {nullptr, 660, reinterpret_cast<void*>(&FileIconInit)},
            {nullptr, 2, reinterpret_cast<void*>(&SHChangeNotifyRegister)},
            {nullptr, 4, reinterpret_cast<void*>(&SHChangeNotifyDeregister)},
            {"SHChangeNotifyRegister", 0, reinterpret_cast<void*>(&SHChangeNotifyRegister)},
            {"SHChangeNotifyDeregister", 0, reinterpret_cast<void*>(&SHChangeNotifyDeregister)},
            {"SHChangeNotify", 0, reinterpret_cast<void*>(&SHChangeNotify)},
            {nullptr, 747, reinterpret_cast<void*>(&SHLimitInputEdit)},
            {"SHGetImageList", 727, reinterpret_cast<void*>(&SHGetImageList)},
            {"ILIsEqual", 0, reinterpret_cast<void*>(&ILIsEqual)},
            {"ILIsParent", 0, reinterpret_cast<void*>(&ILIsParent)},
            {"ILClone", 0, reinterpret_cast<void*>(&ILClone)},
            {"ILCloneFirst", 0, reinterpret_cast<void*>(&ILCloneFirst)},
            {"ILCombine", 0, reinterpret_cast<void*>(&ILCombine)},
            {"ILFindLastID", 0, reinterpret_cast<void*>(&ILFindLastID)},
            {"ILRemoveLastID", 0, reinterpret_cast<void*>(&ILRemoveLastID)},
            {"ILGetNext", 0, reinterpret_cast<void*>(&ILGetNext)},
            {"ILGetSize", 0, reinterpret_cast<void*>(&ILGetSize)},
            {"ILFree", 0, reinterpret_cast<void*>(&ILFree)},
            {"ILAppendID", 0, reinterpret_cast<void*>(&ILAppendID)},
            {"ILCreateFromPathW", 0, reinterpret_cast<void*>(&ILCreateFromPathW)},
            {"SHSimpleIDListFromPath", 0, reinterpret_cast<void*>(&SHSimpleIDListFromPath)},
            {"SHGetMalloc", 0, reinterpret_cast<void*>(&SHGetMalloc)},
            {"SHGetDesktopFolder", 0, reinterpret_cast<void*>(&SHGetDesktopFolder)},
            {"SHGetSpecialFolderLocation", 0,
             reinterpret_cast<void*>(&SHGetSpecialFolderLocation)},
            {"SHGetFolderLocation", 0, reinterpret_cast<void*>(&SHGetFolderLocation)},
            {"SHGetFolderPathW", 0, reinterpret_cast<void*>(&SHGetFolderPathW)},
            {"SHGetSpecialFolderPathW", 0, reinterpret_cast<void*>(&SHGetSpecialFolderPathW)},
            {"SHGetPathFromIDListW", 0, reinterpret_cast<void*>(&SHGetPathFromIDListW)},
            {"SHGetDataFromIDListW", 0, reinterpret_cast<void*>(&SHGetDataFromIDListW)},
            {"SHGetFileInfoW", 0, reinterpret_cast<void*>(&SHGetFileInfoW)},
            {"SHParseDisplayName", 0, reinterpret_cast<void*>(&SHParseDisplayName)},
            {"SHBindToParent", 0, reinterpret_cast<void*>(&SHBindToParent)},
            {"StrRetToBufW", 0, reinterpret_cast<void*>(&StrRetToBufW)},
        });
}

} // namespace win32

using namespace win32;

HRESULT SHGetMalloc(IMalloc** ppMalloc) {
    if (!ppMalloc) return E_INVALIDARG;
    *ppMalloc = TheTaskAllocator();
    return S_OK;
}

HRESULT SHGetDesktopFolder(IShellFolder** ppshf) {
    if (!ppshf) return E_INVALIDARG;
    try {
        return CreateShellFolder({}, IID_IShellFolder, reinterpret_cast<void**>(ppshf));
    } catch (...) {
        *ppshf = nullptr;
        return E_OUTOFMEMORY;
    }
}

HRESULT SHGetFolderLocation(HWND, int csidl, HANDLE, DWORD, PIDLIST_ABSOLUTE* ppidl) {
    if (!ppidl) return E_INVALIDARG;
    *ppidl = nullptr;
    int folder = csidl & ~CSIDL_FLAG_MASK;
    try {
        std::vector<Item> items;
        if (folder == CSIDL_DESKTOP) {
            // the empty list
        } else if (FindDesktopSpecialFolder(folder)) {
            Item item;
            item.kind = ItemKind::Special;
            item.id = static_cast<uint8_t>(folder);
            item.folder = true;
            items.push_back(item);
        } else {
            bool known = false;
            std::string path = SpecialFolderPath(folder, &known);
            if (!known || path.empty()) return E_INVALIDARG;
            if ((csidl & CSIDL_FLAG_CREATE) && !MakeFolders(path)) return E_FAIL;
            if (!IsFolder(path)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            if (!ItemsFromWindowsPath(ToWindowsPath(path), items)) return E_FAIL;
        }
        *ppidl = MakeList(items);
        return *ppidl ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl) {
    return SHGetFolderLocation(hwnd, csidl, nullptr, 0, ppidl);
}

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR pszPath) {
    if (!pszPath) return E_INVALIDARG;
    pszPath[0] = 0;
    try {
        bool known = false;
        std::string path = SpecialFolderPath(csidl, &known);
        if (!known) return E_INVALIDARG;
        if (path.empty()) return E_FAIL; // a virtual folder has no path
        if ((csidl & CSIDL_FLAG_CREATE) && !MakeFolders(path)) return E_FAIL;
        if (!CopyPath(ToWindowsPath(path), pszPath)) return E_FAIL;
        return IsFolder(path) ? S_OK : S_FALSE;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate) {
    return SHGetFolderPathW(hwnd, csidl | (fCreate ? CSIDL_FLAG_CREATE : 0), nullptr, 0,
                            pszPath) == S_OK;
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath) {
    if (!pszPath) return FALSE;
    pszPath[0] = 0;
    try {
        std::vector<Item> items;
        if (FAILED(ListOf(pidl, items))) return FALSE;
        Location where = Locate(items);
        if (!where.valid) return FALSE;
        std::string path = where.desktop ? SpecialFolderPath(CSIDL_DESKTOPDIRECTORY) : where.path;
        // The recycle bin is a folder of the shell, not a path callers may use.
        if (path.empty() || where.special == CSIDL_BITBUCKET) return FALSE;
        return CopyPath(ToWindowsPath(path), pszPath);
    } catch (...) {
        return FALSE;
    }
}

namespace {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (after any "::"); false when malformed.
bool ParseClassId(std::u16string_view text, GUID& out) {
    if (text.substr(0, 2) == u"::") text.remove_prefix(2);
    if (text.size() != 38 || text[0] != u'{' || text[37] != u'}') return false;
    uint8_t bytes[16];
    int n = 0;
    for (size_t i = 1; i < 37; ++i) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i] != u'-') return false;
            continue;
        }
        auto digit = [](char16_t c) {
            return c >= u'0' && c <= u'9'   ? c - u'0'
                   : c >= u'a' && c <= u'f' ? c - u'a' + 10
                   : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                            : -1;
        };
        int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[n++] = uint8_t(high << 4 | low);
        ++i;
    }
    out.Data1 = DWORD(bytes[0]) << 24 | DWORD(bytes[1]) << 16 | DWORD(bytes[2]) << 8 | bytes[3];
    out.Data2 = WORD(bytes[4] << 8 | bytes[5]);
    out.Data3 = WORD(bytes[6] << 8 | bytes[7]);
    std::memcpy(out.Data4, bytes + 8, 8);
    return true;
}

// What the id kept of the entry's stat. An id made before its access and
// creation times were kept has them read from the file system now.
HRESULT FindData(IShellFolder* folder, PCUITEMID_CHILD pidl, const Item& item, void* pv, int cb) {
    if (cb < static_cast<int>(sizeof(WIN32_FIND_DATAW))) return E_INVALIDARG;
    if (item.kind != ItemKind::Entry) return E_INVALIDARG;
    auto* data = static_cast<WIN32_FIND_DATAW*>(pv);
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = item.attributes;
    data->nFileSizeHigh = static_cast<DWORD>(item.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(item.size);
    data->ftLastWriteTime = FileTimeFromTicks(item.writeTime);
    if (item.timesKnown) {
        data->ftCreationTime = FileTimeFromTicks(item.creationTime);
        data->ftLastAccessTime = FileTimeFromTicks(item.accessTime);
    } else {
        data->ftCreationTime = data->ftLastWriteTime;
        data->ftLastAccessTime = data->ftLastWriteTime;
        STRRET parsed{};
        if (folder && SUCCEEDED(folder->GetDisplayNameOf(pidl, SHGDN_FORPARSING, &parsed))) {
            WCHAR path[MAX_PATH];
            FileStat stat;
            if (SUCCEEDED(StrRetToBufW(&parsed, pidl, path, MAX_PATH)) &&
                StatPath(ToLinuxPath(path), item.name, stat) == 0) {
                data->ftCreationTime = stat.creationTime;
                data->ftLastAccessTime = stat.lastAccessTime;
            }
        }
    }
    CopyTruncated(NameToWindows(item.name), data->cFileName, MAX_PATH);
    return S_OK;
}

// Virtual folders are registered items with their class; the user's folders
// and entries are the file system's; drive letters are fixed drives.
HRESULT Description(const Item& item, void* pv, int cb) {
    if (cb < static_cast<int>(sizeof(SHDESCRIPTIONID))) return E_INVALIDARG;
    SHDESCRIPTIONID id{};
    switch (item.kind) {
    case ItemKind::Special: {
        const SpecialFolder* folder = FindDesktopSpecialFolder(item.id);
        if (folder && folder->parsingName && ParseClassId(folder->parsingName, id.clsid))
            id.dwDescriptionId = SHDID_ROOT_REGITEM;
        else
            id.dwDescriptionId = SHDID_FS_DIRECTORY;
        break;
    }
    case ItemKind::Drive: id.dwDescriptionId = SHDID_COMPUTER_FIXED; break;
    case ItemKind::Entry:
        id.dwDescriptionId = item.folder ? SHDID_FS_DIRECTORY : SHDID_FS_FILE;
        break;
    }
    std::memcpy(pv, &id, sizeof id);
    return S_OK;
}

} // namespace

HRESULT SHGetDataFromIDListW(IShellFolder* psf, PCUITEMID_CHILD pidl, int nFormat, void* pv,
                             int cb) {
    if (!pv) return E_INVALIDARG;
    Item item;
    if (!pidl || !DecodeItem(&pidl->mkid, item)) return E_INVALIDARG;
    try {
        if (nFormat == SHGDFIL_FINDDATA) return FindData(psf, pidl, item, pv, cb);
        if (nFormat == SHGDFIL_DESCRIPTIONID) return Description(item, pv, cb);
        return E_INVALIDARG;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SHParseDisplayName(LPCWSTR pszName, IBindCtx* pbc, PIDLIST_ABSOLUTE* ppidl, SFGAOF sfgaoIn,
                           SFGAOF* psfgaoOut) {
    if (!ppidl) return E_INVALIDARG;
    *ppidl = nullptr;
    if (!pszName) return E_INVALIDARG;
    IShellFolder* desktop = nullptr;
    HRESULT hr = SHGetDesktopFolder(&desktop);
    if (FAILED(hr)) return hr;
    std::u16string text(pszName);
    ULONG attributes = sfgaoIn;
    hr = desktop->ParseDisplayName(nullptr, pbc, text.data(), nullptr, ppidl,
                                   psfgaoOut ? &attributes : nullptr);
    desktop->Release();
    if (psfgaoOut) *psfgaoOut = SUCCEEDED(hr) ? attributes : 0;
    return hr;
}

HRESULT SHBindToParent(PCIDLIST_ABSOLUTE pidl, REFIID riid, void** ppv,
                       PCUITEMID_CHILD* ppidlLast) {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (ppidlLast) *ppidlLast = nullptr;
    try {
        std::vector<Item> items;
        if (FAILED(ListOf(pidl, items))) return E_INVALIDARG;
        if (items.empty()) return E_INVALIDARG; // the desktop has no parent
        items.pop_back();
        HRESULT hr = CreateShellFolder(items, riid, ppv);
        if (SUCCEEDED(hr) && ppidlLast) *ppidlLast = ILFindLastID(pidl);
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT StrRetToStrW(STRRET* pstr, PCUITEMID_CHILD pidl, LPWSTR* ppsz) {
    if (!pstr || !ppsz) return E_INVALIDARG;
    *ppsz = nullptr;
    std::u16string text;
    switch (pstr->uType) {
    case STRRET_WSTR:
        if (!pstr->pOleStr) return E_INVALIDARG;
        *ppsz = pstr->pOleStr; // hands the string over
        pstr->pOleStr = nullptr;
        return S_OK;
    case STRRET_OFFSET:
        if (!pidl) return E_INVALIDARG;
        for (const char* c = reinterpret_cast<const char*>(pidl) + pstr->uOffset; *c; ++c)
            text += static_cast<char16_t>(static_cast<unsigned char>(*c));
        break;
    case STRRET_CSTR:
        for (size_t i = 0; i < MAX_PATH && pstr->cStr[i]; ++i)
            text += static_cast<char16_t>(static_cast<unsigned char>(pstr->cStr[i]));
        break;
    default: return E_INVALIDARG;
    }
    *ppsz = TaskString(text);
    return *ppsz ? S_OK : E_OUTOFMEMORY;
}

HRESULT StrRetToBufW(STRRET* pstr, PCUITEMID_CHILD pidl, LPWSTR pszBuf, UINT cchBuf) {
    if (!pszBuf || cchBuf == 0) return E_INVALIDARG;
    pszBuf[0] = 0;
    LPWSTR text = nullptr;
    HRESULT hr = StrRetToStrW(pstr, pidl, &text);
    if (FAILED(hr)) return hr;
    CopyTruncated(text, pszBuf, cchBuf);
    CoTaskMemFree(text);
    return S_OK;
}

HRESULT SHLimitInputEdit(HWND, IShellFolder*) {
    return S_OK;
}

BOOL FileIconInit(BOOL) {
    SystemImageList(true);
    return TRUE;
}

DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi,
                         UINT cbFileInfo, UINT uFlags) {
    if (!pszPath) return 0;
    if (psfi && cbFileInfo < sizeof(SHFILEINFOW)) return 0;
    try {
        // What the item is: a name, whether it is a folder, its attributes.
        std::vector<Item> items;
        std::u16string name, parsing;
        bool folder = false;
        SFGAOF attributes = 0;
        bool trash = false;
        if (uFlags & SHGFI_PIDL) {
            auto pidl = reinterpret_cast<PCIDLIST_ABSOLUTE>(pszPath);
            if (!DecodeList(pidl, items)) return 0;
        } else if (uFlags & SHGFI_USEFILEATTRIBUTES) {
            parsing = pszPath;
            size_t cut = parsing.find_last_of(u"\\/");
            name = cut == std::u16string::npos ? parsing : parsing.substr(cut + 1);
            folder = (dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            attributes = folder ? SFGAO_FOLDER | SFGAO_FILESYSTEM : SFGAO_FILESYSTEM | SFGAO_STREAM;
        } else {
            PIDLIST_ABSOLUTE pidl = nullptr;
            if (FAILED(SHParseDisplayName(pszPath, nullptr, &pidl, 0, nullptr))) return 0;
            bool ok = DecodeList(pidl, items);
            ILFree(pidl);
            if (!ok) return 0;
        }
        if (!(uFlags & SHGFI_USEFILEATTRIBUTES)) {
            if (items.empty()) {
                name = u"Desktop";
                folder = true;
                attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
            } else {
                std::vector<Item> parent(items.begin(), items.end() - 1);
                IShellFolder* holder = nullptr;
                if (FAILED(CreateShellFolder(parent, IID_IShellFolder,
                                             reinterpret_cast<void**>(&holder))))
                    return 0;
                PITEMID_CHILD last = EncodeItem(items.back());
                PCUITEMID_CHILD one[1] = {last};
                STRRET text{};
                if (SUCCEEDED(holder->GetDisplayNameOf(last, SHGDN_INFOLDER, &text))) {
                    name = text.pOleStr;
                    CoTaskMemFree(text.pOleStr);
                }
                attributes = (uFlags & SHGFI_ATTRIBUTES) && (uFlags & SHGFI_ATTR_SPECIFIED) && psfi
                                 ? psfi->dwAttributes
                                 : ~SFGAOF(SFGAO_VALIDATE);
                holder->GetAttributesOf(1, one, &attributes);
                ILFree(last);
                holder->Release();
                folder = (attributes & SFGAO_FOLDER) != 0;
                trash = items.size() == 1 && items[0].kind == ItemKind::Special &&
                        items[0].id == CSIDL_BITBUCKET;
            }
        }

        std::error_code quiet; // a missing trash counts as empty
        int icon = IconIndexOf(name, folder, (uFlags & SHGFI_OPENICON) != 0);
        if (trash) {
            std::string bin = SpecialFolderPath(CSIDL_BITBUCKET);
            bool full = std::filesystem::exists(bin, quiet) && !std::filesystem::is_empty(bin, quiet);
            icon = full ? kIconTrashFull : kIconTrashEmpty;
        }
        else if (items.size() == 1 && items[0].kind == ItemKind::Special &&
                 items[0].id == CSIDL_DRIVES)
            icon = kIconComputer;
        else if (!items.empty() && items.back().kind == ItemKind::Drive)
            icon = kIconDrive;

        if (psfi) {
            if (uFlags & SHGFI_DISPLAYNAME) CopyTruncated(name, psfi->szDisplayName, MAX_PATH);
            if (uFlags & SHGFI_TYPENAME) {
                std::u16string type = TypeNameOf(name, folder);
                if (!items.empty() && items.back().kind == ItemKind::Drive) type = u"Local Disk";
                else if (!items.empty() && items.back().kind == ItemKind::Special)
                    type = u"System Folder";
                CopyTruncated(type, psfi->szTypeName, 80);
            }
            if (uFlags & SHGFI_ATTRIBUTES) psfi->dwAttributes = attributes;
            if (uFlags & (SHGFI_SYSICONINDEX | SHGFI_ICON)) psfi->iIcon = icon;
            if (uFlags & SHGFI_ICON) psfi->hIcon = nullptr; // no icon handles yet
            // The link arrow rides in the overlay byte, as SHGFI_OVERLAYINDEX asks.
            if ((uFlags & SHGFI_OVERLAYINDEX) && (attributes & SFGAO_LINK))
                psfi->iIcon |= 1 << 24;
        }
        if (uFlags & SHGFI_SYSICONINDEX)
            return reinterpret_cast<DWORD_PTR>(SystemImageList((uFlags & SHGFI_SMALLICON) != 0));
        return 1;
    } catch (...) {
        return 0;
    }
}

HRESULT SHGetImageList(int iImageList, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IImageList) return E_NOINTERFACE;
    HIMAGELIST list = nullptr;
    switch (iImageList) {
    case SHIL_LARGE: list = SystemImageList(false); break;
    case SHIL_SMALL:
    case SHIL_SYSSMALL: list = SystemImageList(true); break;
    case SHIL_EXTRALARGE:
    case SHIL_JUMBO: list = ExtraLargeSystemImageList(); break;
    default: return E_INVALIDARG;
    }
    *ppv = list;
    return list ? S_OK : E_FAIL;
}
