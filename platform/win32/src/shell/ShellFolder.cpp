// The folder objects of the namespace and their enumerator.
#include "ShellFolder.h"

#include "../Errno.h"
#include "../FileStat.h"
#include "../Paths.h"
#include "../RegistryText.h"
#include "FileTypes.h"
#include "SpecialFolders.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace win32 {
namespace {

std::u16string Lower(std::u16string text) {
    for (char16_t& c : text)
        if (c < 0x80) c = static_cast<char16_t>(std::tolower(c));
    return text;
}

std::u16string Extension(const std::u16string& name) {
    size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0 || dot + 1 == name.size()) return {};
    return name.substr(dot + 1);
}

std::u16string Ascii(const char* text) {
    return std::u16string(text, text + std::strlen(text));
}

// Item from a child list, or false for lists not made by the layer.
bool FirstItem(PCUIDLIST_RELATIVE pidl, Item& out) {
    return pidl && pidl->mkid.cb && DecodeItem(&pidl->mkid, out);
}

bool IsHiddenName(const std::string& name) {
    return name.size() > 1 && name[0] == '.' && name != "..";
}

int SpecialOrder(int csidl) {
    const auto& folders = DesktopSpecialFolders();
    for (size_t i = 0; i < folders.size(); ++i)
        if (folders[i].csidl == csidl) return int(i);
    return int(folders.size());
}

HRESULT ShortResult(int sign) {
    return MAKE_HRESULT(0, 0, static_cast<USHORT>(static_cast<short>(sign < 0 ? -1 : sign > 0)));
}

std::u16string DriveLabel(char16_t letter) {
    return u"Local Disk (" + std::u16string(1, letter) + u":)";
}

std::u16string FormatSize(uint64_t bytes) {
    uint64_t kb = (bytes + 1023) / 1024;
    std::string digits = std::to_string(kb), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return Ascii((grouped + " KB").c_str());
}

std::u16string FormatTime(uint64_t ticks) {
    if (!ticks) return {};
    timespec when = UnixFromFileTime(FileTimeFromTicks(ticks));
    time_t seconds = when.tv_sec;
    tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return Ascii(text);
}

// --- The enumerator -------------------------------------------------------------

class IdListEnumerator final : public IEnumIDList {
public:
    explicit IdListEnumerator(std::vector<Item> items, size_t position = 0)
        : items_(std::move(items)), position_(position) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IEnumIDList) {
            *ppv = static_cast<IEnumIDList*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        ULONG left = --count_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, PITEMID_CHILD* rgelt,
                                   ULONG* pceltFetched) noexcept override {
        if (!rgelt || (celt > 1 && !pceltFetched)) return E_POINTER;
        ULONG fetched = 0;
        while (fetched < celt && position_ < items_.size()) {
            rgelt[fetched] = EncodeItem(items_[position_]);
            if (!rgelt[fetched]) break;
            ++fetched;
            ++position_;
        }
        if (pceltFetched) *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) noexcept override {
        size_t left = items_.size() - position_;
        position_ += std::min<size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** ppenum) noexcept override {
        if (!ppenum) return E_POINTER;
        try {
            *ppenum = new IdListEnumerator(items_, position_);
        } catch (...) {
            *ppenum = nullptr;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    ~IdListEnumerator() = default;
    std::atomic<ULONG> count_{1};
    std::vector<Item> items_;
    size_t position_;
};

// --- The folder ---------------------------------------------------------------------

class ShellFolder final : public IShellFolder2, public IShellDetails {
public:
    ShellFolder(std::vector<Item> absolute, Location where)
        : absolute_(std::move(absolute)), where_(std::move(where)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown)
            *ppv = static_cast<IUnknown*>(static_cast<IShellFolder*>(this));
        else if (riid == IID_IShellFolder)
            *ppv = static_cast<IShellFolder*>(this);
        else if (riid == IID_IShellFolder2)
            *ppv = static_cast<IShellFolder2*>(this);
        else if (riid == IID_IShellDetails)
            *ppv = static_cast<IShellDetails*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        ULONG left = --count_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR pszDisplayName,
                                               ULONG* pchEaten, PIDLIST_RELATIVE* ppidl,
                                               ULONG* pdwAttributes) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF grfFlags,
                                          IEnumIDList** ppenumIDList) noexcept override;
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx*, REFIID riid,
                                           void** ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void** ppv) noexcept override {
        if (ppv) *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                         PCUIDLIST_RELATIVE pidl2) noexcept override;
    // The details of the folder's children come from the folder itself.
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IShellDetails) return QueryInterface(riid, ppv);
        if (riid == IID_IContextMenu && !where_.path.empty())
            return CreateFileContextMenu(where_.path, {}, riid, ppv);
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                              SFGAOF* rgfInOut) noexcept override;
    // Context menus, data objects, icon extractors and drop targets come from
    // here once they exist; until then every request is declined.
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                            REFIID riid, UINT*, void** ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags,
                                               STRRET* pName) noexcept override;
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF,
                                        PITEMID_CHILD* ppidlOut) noexcept override;

    HRESULT STDMETHODCALLTYPE GetDefaultSearchGUID(GUID*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumSearches(IEnumExtraSearch**) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultColumn(DWORD, ULONG* pSort,
                                               ULONG* pDisplay) noexcept override {
        if (pSort) *pSort = 0;
        if (pDisplay) *pDisplay = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultColumnState(UINT iColumn,
                                                    SHCOLSTATEF* pcsFlags) noexcept override {
        if (!pcsFlags) return E_POINTER;
        if (iColumn >= kColumnCount) return E_INVALIDARG;
        static const SHCOLSTATEF states[kColumnCount] = {SHCOLSTATE_TYPE_STR, SHCOLSTATE_TYPE_INT,
                                                         SHCOLSTATE_TYPE_STR, SHCOLSTATE_TYPE_DATE};
        *pcsFlags = states[iColumn] | SHCOLSTATE_ONBYDEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDetailsEx(PCUITEMID_CHILD, const SHCOLUMNID*,
                                           VARIANT*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn,
                                           SHELLDETAILS* psd) noexcept override;
    HRESULT STDMETHODCALLTYPE MapColumnToSCID(UINT, SHCOLUMNID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ColumnClick(UINT) noexcept override {
        return S_FALSE; // the caller sorts
    }

private:
    static constexpr UINT kColumnCount = 4;
    ~ShellFolder() = default;

    Location ChildLocation(const std::vector<Item>& relative) const {
        std::vector<Item> full = absolute_;
        full.insert(full.end(), relative.begin(), relative.end());
        return Locate(full);
    }
    std::u16string NameOf(const Item& item, const Location& where, SHGDNF flags) const;
    // The attributes of the last item of a relative list (the desktop is
    // handed absolute lists).
    SFGAOF AttributesOf(const std::vector<Item>& relative, SFGAOF asked) const;
    std::vector<Item> Children(SHCONTF flags) const;
    HRESULT ParseBelowPath(std::u16string_view text, std::vector<Item>& out) const;

    std::atomic<ULONG> count_{1};
    std::vector<Item> absolute_;
    Location where_;
};

std::vector<Item> ShellFolder::Children(SHCONTF flags) const {
    std::vector<Item> children;
    if (where_.desktop) {
        if (!(flags & SHCONTF_FOLDERS)) return children;
        for (const SpecialFolder& folder : DesktopSpecialFolders()) {
            Item item;
            item.kind = ItemKind::Special;
            item.id = static_cast<uint8_t>(folder.csidl);
            item.folder = true;
            item.attributes = FILE_ATTRIBUTE_DIRECTORY;
            children.push_back(item);
        }
        return children;
    }
    if (where_.drives) {
        if (!(flags & SHCONTF_FOLDERS)) return children;
        for (const DriveMapping& mapping : DriveMappings()) {
            Item item;
            item.kind = ItemKind::Drive;
            item.id = static_cast<uint8_t>(mapping.letter);
            item.folder = true;
            item.attributes = FILE_ATTRIBUTE_DIRECTORY;
            children.push_back(item);
        }
        return children;
    }
    if (where_.path.empty()) return children; // an empty virtual folder
    DIR* dir = opendir(where_.path.c_str());
    if (!dir) return children;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (IsHiddenName(name) && !(flags & SHCONTF_INCLUDEHIDDEN)) continue;
        std::string path = where_.path == "/" ? "/" + name : where_.path + "/" + name;
        Item item = EntryItem(path, name, entry->d_type);
        if (item.folder ? !(flags & SHCONTF_FOLDERS) : !(flags & SHCONTF_NONFOLDERS)) continue;
        children.push_back(std::move(item));
    }
    closedir(dir);
    std::sort(children.begin(), children.end(),
              [](const Item& a, const Item& b) { return a.name < b.name; });
    return children;
}

HRESULT ShellFolder::EnumObjects(HWND, SHCONTF grfFlags, IEnumIDList** ppenumIDList) noexcept {
    if (!ppenumIDList) return E_POINTER;
    *ppenumIDList = nullptr;
    try {
        if (!where_.path.empty() && !where_.desktop) {
            struct stat info;
            if (stat(where_.path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
                return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
            // A folder that cannot be read is a failure, not an empty folder.
            DIR* probe = opendir(where_.path.c_str());
            if (!probe) return HRESULT_FROM_WIN32(win32::ErrorFromErrno(errno));
            closedir(probe);
        }
        *ppenumIDList = new IdListEnumerator(Children(grfFlags));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT ShellFolder::BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx*, REFIID riid,
                                  void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    std::vector<Item> relative;
    if (!pidl || !DecodeList(pidl, relative) || relative.empty()) return E_INVALIDARG;
    try {
        std::vector<Item> full = absolute_;
        full.insert(full.end(), relative.begin(), relative.end());
        return CreateShellFolder(full, riid, ppv);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ShellFolder::CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                PCUIDLIST_RELATIVE pidl2) noexcept {
    UINT column = static_cast<UINT>(lParam & SHCIDS_COLUMNMASK);
    std::vector<Item> a, b;
    if (!DecodeList(pidl1, a) || !DecodeList(pidl2, b)) return E_INVALIDARG;
    try {
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const Item& x = a[i];
            const Item& y = b[i];
            if (x.kind != y.kind) return ShortResult(int(x.kind) - int(y.kind));
            if (x.kind == ItemKind::Special) {
                if (x.id != y.id) return ShortResult(SpecialOrder(x.id) - SpecialOrder(y.id));
                continue;
            }
            if (x.kind == ItemKind::Drive) {
                if (x.id != y.id) return ShortResult(int(x.id) - int(y.id));
                continue;
            }
            if (x.folder != y.folder) return ShortResult(x.folder ? -1 : 1);
            std::u16string nx = NameToWindows(x.name), ny = NameToWindows(y.name);
            int sign = 0;
            switch (column) {
            case 1:
                sign = x.size < y.size ? -1 : x.size > y.size;
                break;
            case 2: {
                std::u16string tx = Lower(TypeNameOf(nx, x.folder));
                std::u16string ty = Lower(TypeNameOf(ny, y.folder));
                sign = tx.compare(ty);
                break;
            }
            case 3:
                sign = x.writeTime < y.writeTime ? -1 : x.writeTime > y.writeTime;
                break;
            default:
                break;
            }
            if (sign == 0) sign = Lower(nx).compare(Lower(ny));
            if (sign == 0) sign = x.name.compare(y.name); // names differing only in case
            if (sign != 0) return ShortResult(sign);
        }
        return ShortResult(a.size() < b.size() ? -1 : a.size() > b.size());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

SFGAOF ShellFolder::AttributesOf(const std::vector<Item>& relative, SFGAOF asked) const {
    const Item& item = relative.back();
    // What the id recorded answers until the caller asks to validate; then
    // the entry's place on Linux is not needed unless its subfolders are asked.
    const bool fresh = item.kind == ItemKind::Entry && !(asked & SFGAO_VALIDATE) && item.statKnown;
    Location where;
    if (!fresh || (item.folder && (asked & SFGAO_HASSUBFOLDER))) where = ChildLocation(relative);
    switch (item.kind) {
    case ItemKind::Special: {
        SFGAOF flags = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
        if (item.id == CSIDL_DRIVES)
            flags |= SFGAO_FILESYSANCESTOR;
        else if (item.id == CSIDL_BITBUCKET)
            flags |= SFGAO_DROPTARGET;
        else if (!where.path.empty())
            flags |= SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET | SFGAO_STORAGE;
        return flags;
    }
    case ItemKind::Drive: {
        SFGAOF flags = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR |
                       SFGAO_HASSUBFOLDER | SFGAO_CANLINK | SFGAO_DROPTARGET | SFGAO_STORAGE;
        if (where.path.rfind("/media/", 0) == 0 || where.path.rfind("/run/media/", 0) == 0)
            flags |= SFGAO_REMOVABLE;
        return flags;
    }
    case ItemKind::Entry:
        break;
    }
    // Entries have a context menu, and its properties entry.
    SFGAOF flags = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANDELETE |
                   SFGAO_CANRENAME | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
    FileStat stat;
    bool exists = fresh || StatPath(where.path, item.name, stat) == 0;
    DWORD attributes = fresh ? item.attributes : exists ? stat.attributes : item.attributes;
    bool folder = fresh    ? item.folder
                  : exists ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                           : item.folder;
    if (folder) {
        flags |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_STORAGE | SFGAO_DROPTARGET;
        if (asked & SFGAO_HASSUBFOLDER) {
            // Costs a directory scan, so only when asked.
            if (DIR* dir = opendir(where.path.c_str())) {
                while (dirent* entry = readdir(dir)) {
                    std::string name = entry->d_name;
                    if (name == "." || name == "..") continue;
                    struct stat info;
                    if (::stat((where.path + "/" + name).c_str(), &info) == 0 &&
                        S_ISDIR(info.st_mode)) {
                        flags |= SFGAO_HASSUBFOLDER;
                        break;
                    }
                }
                closedir(dir);
            }
        }
    } else {
        flags |= SFGAO_STREAM;
    }
    FileStat link;
    if (fresh ? item.link
              : StatLink(where.path, item.name, link) == 0 && (link.mode & S_IFMT) == S_IFLNK)
        flags |= SFGAO_LINK;
    if (attributes & FILE_ATTRIBUTE_HIDDEN) flags |= SFGAO_HIDDEN | SFGAO_GHOSTED;
    if (attributes & FILE_ATTRIBUTE_READONLY) flags |= SFGAO_READONLY;
    if ((asked & SFGAO_VALIDATE) && !exists && !(flags & SFGAO_LINK)) return 0;
    return flags;
}

// Context menus for items of the file system; the items may lie deeper than
// the folder's children (the desktop is handed absolute lists), but must share
// one folder.
HRESULT ShellFolder::GetUIObjectOf(HWND, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid, UINT*,
                                   void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IContextMenu) return E_NOINTERFACE;
    if (cidl == 0 || !apidl) return E_INVALIDARG;
    try {
        std::vector<std::string> paths;
        std::string folder;
        for (UINT i = 0; i < cidl; ++i) {
            std::vector<Item> relative;
            if (!apidl[i] || !DecodeList(apidl[i], relative) || relative.empty())
                return E_INVALIDARG;
            Location where = ChildLocation(relative);
            if (!where.valid || where.path.empty() || where.drive) return E_NOINTERFACE;
            std::string parent = where.path.substr(0, where.path.find_last_of('/'));
            if (parent.empty()) parent = "/";
            if (i == 0)
                folder = parent;
            else if (parent != folder)
                return E_INVALIDARG;
            paths.push_back(where.path);
        }
        return CreateFileContextMenu(folder, paths, riid, ppv);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ShellFolder::GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                     SFGAOF* rgfInOut) noexcept {
    if (!rgfInOut) return E_POINTER;
    const SFGAOF self = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR |
                        (where_.path.empty() ? 0 : SFGAO_FILESYSTEM);
    if (cidl == 0) { // the folder itself
        *rgfInOut &= self;
        return S_OK;
    }
    if (!apidl) return E_POINTER;
    try {
        SFGAOF asked = *rgfInOut;
        SFGAOF result = ~SFGAOF(0);
        for (UINT i = 0; i < cidl; ++i) {
            // An empty list names the folder itself, as the desktop's item is named.
            if (apidl[i] && apidl[i]->mkid.cb == 0) {
                result &= self;
                continue;
            }
            std::vector<Item> relative;
            if (!DecodeList(apidl[i], relative) || relative.empty()) return E_INVALIDARG;
            SFGAOF flags = AttributesOf(relative, asked);
            if ((asked & SFGAO_VALIDATE) && flags == 0)
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            result &= flags;
        }
        *rgfInOut = asked & result & ~SFGAOF(SFGAO_VALIDATE);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

std::u16string ShellFolder::NameOf(const Item& item, const Location& where, SHGDNF flags) const {
    bool parsing = (flags & (SHGDN_FORPARSING | SHGDN_FORADDRESSBAR)) != 0;
    bool inFolder = (flags & SHGDN_INFOLDER) != 0;
    switch (item.kind) {
    case ItemKind::Special: {
        const SpecialFolder* folder = FindDesktopSpecialFolder(item.id);
        if (!folder) return {};
        if (flags & SHGDN_FORPARSING) {
            // The recycle bin has a folder behind it, but parses by its class id.
            if (folder->parsingName) return folder->parsingName;
            if (!where.path.empty() && !inFolder) return ToWindowsPath(where.path);
        }
        return folder->displayName;
    }
    case ItemKind::Drive: {
        std::u16string root = std::u16string(1, char16_t(item.id)) + u":\\";
        return parsing ? root : DriveLabel(char16_t(item.id));
    }
    case ItemKind::Entry:
        if (parsing && !inFolder) return ToWindowsPath(where.path);
        return NameToWindows(item.name);
    }
    return {};
}

HRESULT ShellFolder::GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) noexcept {
    if (!pName) return E_POINTER;
    try {
        std::u16string name;
        if (!pidl || pidl->mkid.cb == 0) {
            // The folder itself: only the desktop is asked this way.
            name = where_.desktop ? ((uFlags & SHGDN_FORPARSING)
                                         ? ToWindowsPath(SpecialFolderPath(CSIDL_DESKTOP))
                                         : u"Desktop")
                                  : std::u16string();
        } else {
            std::vector<Item> relative;
            if (!DecodeList(pidl, relative)) return E_INVALIDARG;
            // A child entry's own name needs no trip through the drive
            // mappings: it is valid wherever this folder's listing is.
            const Item& last = relative.back();
            const bool ownName = relative.size() == 1 && last.kind == ItemKind::Entry &&
                                 !(uFlags & (SHGDN_FORPARSING | SHGDN_FORADDRESSBAR)) &&
                                 where_.valid && !where_.path.empty() && !last.name.empty() &&
                                 last.name.find('/') == std::string::npos;
            Location where = ownName ? Location{} : ChildLocation(relative);
            if (!ownName && !where.valid) return E_INVALIDARG;
            name = NameOf(last, where, uFlags);
            // A deeper relative list shows its path below this folder.
            if (relative.size() > 1 && (uFlags & SHGDN_FORPARSING) && (uFlags & SHGDN_INFOLDER)) {
                name.clear();
                for (const Item& item : relative)
                    name += (name.empty() ? u"" : u"\\") + NameToWindows(item.name);
            }
        }
        pName->uType = STRRET_WSTR;
        pName->pOleStr = TaskString(name);
        return pName->pOleStr ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ShellFolder::ParseBelowPath(std::u16string_view text, std::vector<Item>& out) const {
    std::string path = where_.path;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\\', start);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        std::string name;
        if (!NameToLinux(part, name) || name == "." || name == "..")
            return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
        path = path == "/" ? "/" + name : path + "/" + name;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        out.push_back(EntryItem(path, name));
    }
    return out.empty() ? E_INVALIDARG : S_OK;
}

HRESULT ShellFolder::ParseDisplayName(HWND, IBindCtx*, LPWSTR pszDisplayName, ULONG* pchEaten,
                                      PIDLIST_RELATIVE* ppidl, ULONG* pdwAttributes) noexcept {
    if (!ppidl) return E_POINTER;
    *ppidl = nullptr;
    if (!pszDisplayName) return E_INVALIDARG;
    try {
        std::u16string_view text(pszDisplayName);
        std::vector<Item> items;
        HRESULT hr = E_INVALIDARG;
        if (where_.desktop) {
            // "::{CLSID}" or a special folder's name, optionally followed by "\rest".
            size_t cut = text.find(u'\\');
            std::u16string head = Lower(std::u16string(text.substr(0, cut)));
            for (const SpecialFolder& folder : DesktopSpecialFolders()) {
                bool byClsid = (folder.parsingName && head == Lower(folder.parsingName)) ||
                               (folder.classAlias && head == Lower(folder.classAlias));
                if (!byClsid && head != Lower(folder.displayName)) continue;
                Item item;
                item.kind = ItemKind::Special;
                item.id = static_cast<uint8_t>(folder.csidl);
                item.folder = true;
                items.push_back(item);
                hr = S_OK;
                if (cut != std::u16string_view::npos && cut + 1 < text.size()) {
                    IShellFolder* below = nullptr;
                    hr = CreateShellFolder(items, IID_IShellFolder,
                                           reinterpret_cast<void**>(&below));
                    if (FAILED(hr)) return hr;
                    std::u16string rest(text.substr(cut + 1));
                    PIDLIST_RELATIVE tail = nullptr;
                    hr = below->ParseDisplayName(nullptr, nullptr, rest.data(), nullptr, &tail,
                                                 nullptr);
                    below->Release();
                    if (FAILED(hr)) return hr;
                    std::vector<Item> more;
                    DecodeList(tail, more);
                    ILFree(tail);
                    items.insert(items.end(), more.begin(), more.end());
                }
                break;
            }
            if (items.empty()) {
                if (!ItemsFromWindowsPath(text, items)) return E_INVALIDARG;
                Location where = Locate(items);
                struct stat info;
                if (!where.valid || lstat(where.path.c_str(), &info) != 0)
                    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
                hr = S_OK;
            }
        } else if (where_.drives) {
            if (!ItemsFromWindowsPath(text, items)) return E_INVALIDARG;
            Location where = Locate(items);
            struct stat info;
            if (!where.valid || lstat(where.path.c_str(), &info) != 0)
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            items.erase(items.begin()); // relative to Computer
            hr = S_OK;
        } else if (!where_.path.empty()) {
            hr = ParseBelowPath(text, items);
        }
        if (FAILED(hr)) return hr;
        *ppidl = MakeList(items);
        if (!*ppidl) return E_OUTOFMEMORY;
        if (pchEaten) *pchEaten = static_cast<ULONG>(text.size());
        if (pdwAttributes && *pdwAttributes) {
            // Attributes of the last item, asked of the folder that holds it.
            std::vector<Item> parent = absolute_;
            parent.insert(parent.end(), items.begin(), items.end() - 1);
            IShellFolder* holder = nullptr;
            if (SUCCEEDED(CreateShellFolder(parent, IID_IShellFolder,
                                            reinterpret_cast<void**>(&holder)))) {
                PITEMID_CHILD last = EncodeItem(items.back());
                PCUITEMID_CHILD one[1] = {last};
                holder->GetAttributesOf(1, one, pdwAttributes);
                ILFree(last);
                holder->Release();
            }
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ShellFolder::SetNameOf(HWND, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF,
                               PITEMID_CHILD* ppidlOut) noexcept {
    if (ppidlOut) *ppidlOut = nullptr;
    Item item;
    if (!FirstItem(pidl, item) || !pszName) return E_INVALIDARG;
    if (item.kind != ItemKind::Entry || where_.path.empty()) return E_FAIL;
    try {
        std::string name;
        if (!NameToLinux(pszName, name) || name.empty() || name == "." || name == ".." ||
            name.find('/') != std::string::npos)
            return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
        Location where = ChildLocation({item});
        std::string target = where_.path == "/" ? "/" + name : where_.path + "/" + name;
        if (target != where.path) {
            // Never replace what already bears the new name.
            if (renameat2(AT_FDCWD, where.path.c_str(), AT_FDCWD, target.c_str(),
                          RENAME_NOREPLACE) != 0)
                return errno == EEXIST ? HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)
                                       : HRESULT_FROM_WIN32(ErrorFromErrno(errno));
        }
        if (ppidlOut) {
            *ppidlOut = EncodeItem(EntryItem(target, name));
            if (!*ppidlOut) return E_OUTOFMEMORY;
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ShellFolder::GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn, SHELLDETAILS* psd) noexcept {
    if (!psd) return E_POINTER;
    if (iColumn >= kColumnCount) return E_FAIL;
    static const int formats[kColumnCount] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT, LVCFMT_LEFT};
    static const int widths[kColumnCount] = {30, 10, 20, 16};
    static const char16_t* titles[kColumnCount] = {u"Name", u"Size", u"Type", u"Date Modified"};
    try {
        psd->fmt = formats[iColumn];
        psd->cxChar = widths[iColumn];
        std::u16string text;
        if (!pidl) {
            text = titles[iColumn];
        } else {
            Item item;
            if (!FirstItem(pidl, item)) return E_INVALIDARG;
            Location where = ChildLocation({item});
            std::u16string name = NameOf(item, where, SHGDN_INFOLDER);
            switch (iColumn) {
            case 0:
                text = name;
                break;
            case 1:
                if (item.kind == ItemKind::Entry && !item.folder) text = FormatSize(item.size);
                break;
            case 2:
                text = item.kind == ItemKind::Entry   ? TypeNameOf(name, item.folder)
                       : item.kind == ItemKind::Drive ? u"Local Disk"
                                                      : u"System Folder";
                break;
            case 3:
                if (item.kind == ItemKind::Entry) text = FormatTime(item.writeTime);
                break;
            }
        }
        psd->str.uType = STRRET_WSTR;
        psd->str.pOleStr = TaskString(text);
        return psd->str.pOleStr ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT CreateShellFolder(const std::vector<Item>& absolute, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    Location where = Locate(absolute);
    if (!where.valid) return E_INVALIDARG;
    if (!where.desktop && !where.path.empty()) {
        struct stat info;
        if (stat(where.path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return E_INVALIDARG;
    }
    auto* folder = new ShellFolder(absolute, where);
    HRESULT hr = static_cast<IShellFolder*>(folder)->QueryInterface(riid, ppv);
    static_cast<IShellFolder*>(folder)->Release();
    return hr;
}

std::u16string TypeNameOf(const std::u16string& name, bool folder) {
    // Folders keep the shell's own word for them, which callers show and sort by.
    if (folder) return u"File folder";
    const FileType& type = FileTypeOf(ContentTypeOfName(ToUtf8(name), false));
    if (!type.unknown && !type.description.empty()) {
        // The database writes sentences in lower case; a column of types reads
        // as names.
        std::u16string text = type.description;
        if (text[0] < 0x80) text[0] = static_cast<char16_t>(std::toupper(text[0]));
        return text;
    }
    // A name the database does not know is shown by its extension.
    std::u16string upper = Extension(name);
    if (upper.empty()) return u"File";
    for (char16_t& c : upper)
        if (c < 0x80) c = static_cast<char16_t>(std::toupper(c));
    return upper + u" File";
}

int IconIndexOf(const std::u16string& name, bool folder, bool open) {
    if (folder) return open ? kIconFolderOpen : kIconFolder;
    return SystemIconOfType(ContentTypeOfName(ToUtf8(name), false));
}

LPWSTR TaskString(const std::u16string& text) {
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (!copy) return nullptr;
    std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return copy;
}

} // namespace win32
