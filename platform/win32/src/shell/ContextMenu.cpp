// The context menu of file-system items: open with the desktop's default
// application, cut, copy, paste, create shortcut, delete, rename, properties,
// and for items in the recycle bin, restore. Cut and copy put the items on the
// clipboard as a dropped-file block (which other X programs read as a URI
// list); paste copies or moves what the clipboard holds into the folder.
// Shortcuts are symbolic links: the namespace shows them as links, and every
// program on the system follows them.
#include "FileTypes.h"
#include "ShellFolder.h"
#include "SpecialFolders.h"
#include "Trash.h"

#include "../Paths.h"

#include <win32/shellapi.h>
#include <win32/winbase.h>
#include <win32/winerror.h>
#include <win32/winuser.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

namespace fs = std::filesystem;

// The menu's commands; a command's offset is its place here.
enum Command : UINT {
    kOpen,
    kRestore,
    kCut,
    kCopy,
    kPaste,
    kCreateLink,
    kDelete,
    kRename,
    kProperties,
    kCommandCount
};

struct CommandText {
    const char* verb;
    const char16_t* text;
    const char* help;
};

const CommandText kCommands[kCommandCount] = {
    {"open", u"&Open", "Opens the selected items with their default application."},
    {"undelete", u"&Restore", "Puts the selected items back where they were deleted from."},
    {"cut", u"Cu&t", "Moves the selected items to the clipboard."},
    {"copy", u"&Copy", "Copies the selected items to the clipboard."},
    {"paste", u"&Paste", "Puts the items on the clipboard into this folder."},
    {"link", u"Create &Shortcut", "Makes a shortcut to each selected item beside it."},
    {"delete", u"&Delete", "Deletes the selected items."},
    {"rename", u"Rena&me", "Renames the selected item."},
    {"properties", u"P&roperties", "Shows the properties of the selected items."},
};

bool IsFolderPath(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A double-null list of Windows paths, as SHFileOperationW takes them.
std::u16string PathList(const std::vector<std::string>& paths) {
    std::u16string list;
    for (const std::string& path : paths)
        list += ToWindowsPath(path) + u'\0';
    return list + u'\0';
}

UINT PreferredDropEffectFormat() {
    return RegisterClipboardFormatW(u"Preferred DropEffect");
}

HGLOBAL DropFilesBlock(const std::vector<std::string>& paths) {
    std::u16string names = PathList(paths);
    SIZE_T size = sizeof(DROPFILES) + names.size() * sizeof(char16_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    if (!bytes) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(bytes, &header, sizeof header);
    std::memcpy(bytes + sizeof header, names.data(), names.size() * sizeof(char16_t));
    GlobalUnlock(block);
    return block;
}

// What the clipboard offers to paste: the files and whether they were cut.
bool ClipboardFiles(std::vector<std::string>& paths, bool& cut) {
    paths.clear();
    cut = false;
    if (!OpenClipboard(nullptr)) return false;
    if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
        UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::u16string name(DragQueryFileW(drop, i, nullptr, 0), u'\0');
            DragQueryFileW(drop, i, name.data(), UINT(name.size() + 1));
            paths.push_back(ToLinuxPath(name));
        }
    }
    if (HANDLE effect = GetClipboardData(PreferredDropEffectFormat())) {
        if (GlobalSize(effect) >= sizeof(DWORD)) {
            DWORD value = 0;
            std::memcpy(&value, GlobalLock(effect), sizeof value);
            GlobalUnlock(effect);
            cut = (value & DROPEFFECT_MOVE) != 0;
        }
    }
    CloseClipboard();
    return !paths.empty();
}

std::string SizeText(uint64_t bytes) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

class ContextMenu final : public IContextMenu {
public:
    // Items of `folder`, or, with none, the folder itself as the background.
    ContextMenu(std::string folder, std::vector<std::string> items)
        : folder_(std::move(folder)), items_(std::move(items)) {
        std::string trash = SpecialFolderPath(CSIDL_BITBUCKET);
        inTrash_ = !items_.empty() && !trash.empty() && folder_ == trash;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IContextMenu) {
            *ppv = static_cast<IContextMenu*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        ULONG left = --count_;
        if (!left) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                               UINT flags) noexcept override {
        if (flags & CMF_DEFAULTONLY) flags |= CMF_NOVERBS; // only the default entry matters
        UINT used = 0;
        UINT at = index;
        bool separate = false;
        auto add = [&](Command command, bool enabled = true) {
            if (first + command > last) return;
            if (separate && at > index)
                InsertMenuW(menu, at++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            separate = false;
            InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING | (enabled ? 0 : MF_GRAYED),
                        first + command, kCommands[command].text);
            if (command == kOpen || command == kRestore)
                if (!(flags & CMF_NODEFAULT)) SetMenuDefaultItem(menu, at, TRUE);
            ++at;
            used = std::max<UINT>(used, command + 1);
        };
        try {
            if (items_.empty()) {
                std::vector<std::string> pasted;
                bool cut = false;
                add(kPaste, ClipboardFiles(pasted, cut));
                separate = true;
                add(kProperties);
                return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
            }
            if (inTrash_) {
                add(kRestore);
                separate = true;
                add(kCut);
                separate = true;
                add(kDelete);
                separate = true;
                add(kProperties);
                return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
            }
            add(kOpen);
            if (flags & CMF_NOVERBS) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
            separate = true;
            add(kCut);
            add(kCopy);
            if (items_.size() == 1 && IsFolderPath(items_[0])) {
                std::vector<std::string> pasted;
                bool cut = false;
                add(kPaste, ClipboardFiles(pasted, cut));
            }
            separate = true;
            add(kCreateLink);
            add(kDelete);
            if ((flags & CMF_CANRENAME) && items_.size() == 1) add(kRename);
            separate = true;
            add(kProperties);
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override {
        if (!info || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
        try {
            int command = CommandOf(*info);
            if (command < 0 || !Offered(Command(command))) return E_INVALIDARG;
            return Run(Command(command), *info);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR id, UINT type, UINT*, LPSTR name,
                                               UINT size) noexcept override {
        if (id >= kCommandCount) return E_INVALIDARG;
        const CommandText& command = kCommands[id];
        switch (type) {
        case GCS_VALIDATEA:
        case GCS_VALIDATEW:
            return Offered(Command(id)) ? S_OK : S_FALSE;
        case GCS_VERBA:
        case GCS_HELPTEXTA:
        case GCS_VERBW:
        case GCS_HELPTEXTW:
            break;
        default:
            return E_INVALIDARG;
        }
        if (!name || size == 0) return E_INVALIDARG;
        std::string text = (type & ~GCS_UNICODE) == GCS_VERBA ? command.verb : command.help;
        if (type & GCS_UNICODE) {
            auto* out = reinterpret_cast<LPWSTR>(name);
            size_t n = std::min<size_t>(text.size(), size - 1);
            for (size_t i = 0; i < n; ++i)
                out[i] = static_cast<char16_t>(text[i]);
            out[n] = 0;
        } else {
            size_t n = std::min<size_t>(text.size(), size - 1);
            std::memcpy(name, text.data(), n);
            name[n] = 0;
        }
        return S_OK;
    }

private:
    ~ContextMenu() = default;

    // A command offset, or a verb named in 8-bit or (CMIC_MASK_UNICODE) wide text.
    static int CommandOf(const CMINVOKECOMMANDINFO& info) {
        const auto* ex = info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX)
                             ? reinterpret_cast<const CMINVOKECOMMANDINFOEX*>(&info)
                             : nullptr;
        std::string verb;
        if (ex && (info.fMask & CMIC_MASK_UNICODE) && ex->lpVerbW) {
            if ((reinterpret_cast<uintptr_t>(ex->lpVerbW) >> 16) == 0)
                return int(reinterpret_cast<uintptr_t>(ex->lpVerbW));
            for (LPCWSTR c = ex->lpVerbW; *c; ++c)
                verb += *c < 0x80 ? char(*c) : '?';
        } else {
            if ((reinterpret_cast<uintptr_t>(info.lpVerb) >> 16) == 0)
                return int(reinterpret_cast<uintptr_t>(info.lpVerb));
            verb = info.lpVerb;
        }
        for (UINT i = 0; i < kCommandCount; ++i)
            if (strcasecmp(verb.c_str(), kCommands[i].verb) == 0) return int(i);
        return -1;
    }

    bool Offered(Command command) const {
        if (items_.empty()) return command == kPaste || command == kProperties;
        if (inTrash_)
            return command == kRestore || command == kCut || command == kDelete ||
                   command == kProperties;
        if (command == kRestore) return false;
        if (command == kPaste) return items_.size() == 1 && IsFolderPath(items_[0]);
        if (command == kRename) return items_.size() == 1;
        return true;
    }

    HRESULT Run(Command command, const CMINVOKECOMMANDINFO& info) {
        HWND owner = info.hwnd;
        bool quiet = (info.fMask & CMIC_MASK_FLAG_NO_UI) != 0;
        switch (command) {
        case kOpen: {
            std::string failed;
            if (OpenWithDefaultApplications(items_, &failed)) return S_OK;
            if (!quiet) {
                std::u16string text = u"There is no application to open \"" +
                                      NameToWindows(fs::path(failed).filename().string()) + u"\".";
                MessageBoxW(owner, text.c_str(), u"Open", MB_OK | MB_ICONERROR);
            }
            return HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION);
        }
        case kRestore:
            for (const std::string& item : items_) {
                std::string restored;
                if (DWORD error = RestoreFromTrash(item, &restored))
                    return HRESULT_FROM_WIN32(error);
                std::u16string from = ToWindowsPath(item), to = ToWindowsPath(restored);
                SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, from.c_str(), nullptr);
                SHChangeNotify(IsFolderPath(restored) ? SHCNE_MKDIR : SHCNE_CREATE, SHCNF_PATHW,
                               to.c_str(), nullptr);
            }
            return S_OK;
        case kCut:
        case kCopy:
            return PutOnClipboard(owner, command == kCut ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
        case kPaste:
            return Paste(owner, items_.empty() ? folder_ : items_[0]);
        case kCreateLink:
            return CreateLinks();
        case kDelete: {
            std::u16string from = PathList(items_);
            SHFILEOPSTRUCTW op{};
            op.hwnd = owner;
            op.wFunc = FO_DELETE;
            op.pFrom = from.c_str();
            // Shift deletes for good, as does anything already in the trash.
            bool permanent = inTrash_ || (info.fMask & CMIC_MASK_SHIFT_DOWN);
            op.fFlags = FILEOP_FLAGS((permanent ? 0 : FOF_ALLOWUNDO) |
                                     (quiet ? FOF_NOCONFIRMATION | FOF_NOERRORUI : 0));
            int result = SHFileOperationW(&op);
            if (result == 0 && inTrash_)
                for (const std::string& item : items_) {
                    std::string info = fs::path(folder_).parent_path() / "info" /
                                       (fs::path(item).filename().string() + ".trashinfo");
                    unlink(info.c_str());
                }
            return result == 0                      ? S_OK
                   : result == int(ERROR_CANCELLED) ? HRESULT_FROM_WIN32(ERROR_CANCELLED)
                                                    : E_FAIL;
        }
        case kRename:
            return E_NOTIMPL; // the view edits the name in place
        case kProperties:
            return ShowProperties(owner);
        case kCommandCount:
            break;
        }
        return E_INVALIDARG;
    }

    HRESULT PutOnClipboard(HWND owner, DWORD effect) {
        HGLOBAL files = DropFilesBlock(items_);
        HGLOBAL preferred = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
        if (!files || !preferred) {
            if (files) GlobalFree(files);
            if (preferred) GlobalFree(preferred);
            return E_OUTOFMEMORY;
        }
        std::memcpy(GlobalLock(preferred), &effect, sizeof effect);
        GlobalUnlock(preferred);
        if (!OpenClipboard(owner)) {
            GlobalFree(files);
            GlobalFree(preferred);
            return CLIPBRD_E_CANT_OPEN;
        }
        EmptyClipboard();
        SetClipboardData(CF_HDROP, files);
        SetClipboardData(PreferredDropEffectFormat(), preferred);
        CloseClipboard();
        return S_OK;
    }

    HRESULT Paste(HWND owner, const std::string& target) {
        std::vector<std::string> sources;
        bool cut = false;
        if (!ClipboardFiles(sources, cut)) return S_FALSE; // nothing to paste
        std::u16string from = PathList(sources), to = PathList({target});
        SHFILEOPSTRUCTW op{};
        op.hwnd = owner;
        op.wFunc = cut ? FO_MOVE : FO_COPY;
        op.pFrom = from.c_str();
        op.pTo = to.c_str();
        // Pasting a copy beside its original makes "name - Copy".
        for (const std::string& source : sources)
            if (fs::path(source).parent_path() == fs::path(target))
                op.fFlags |= FOF_RENAMEONCOLLISION;
        int result = SHFileOperationW(&op);
        if (result != 0)
            return result == int(ERROR_CANCELLED) ? HRESULT_FROM_WIN32(ERROR_CANCELLED) : E_FAIL;
        // Moved items are no longer where the clipboard says.
        if (cut && OpenClipboard(owner)) {
            EmptyClipboard();
            CloseClipboard();
        }
        return S_OK;
    }

    // "name - Shortcut.ext" beside each item, pointing at it by its name.
    HRESULT CreateLinks() {
        for (const std::string& item : items_) {
            fs::path path(item);
            std::string stem = path.stem().string(), extension = path.extension().string();
            if (IsFolderPath(item)) stem = path.filename().string(), extension.clear();
            for (int n = 1;; ++n) {
                std::string name = stem + " - Shortcut" +
                                   (n > 1 ? " (" + std::to_string(n) + ")" : "") + extension;
                std::string link = (path.parent_path() / name).string();
                if (symlink(path.filename().c_str(), link.c_str()) == 0) {
                    std::u16string shown = ToWindowsPath(link);
                    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, shown.c_str(), nullptr);
                    break;
                }
                if (errno != EEXIST) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
            }
        }
        return S_OK;
    }

    // What the namespace knows of the items, in a message box of its own.
    HRESULT ShowProperties(HWND owner) {
        std::vector<std::string> items =
            items_.empty() ? std::vector<std::string>{folder_} : items_;
        std::u16string text;
        uint64_t total = 0;
        for (const std::string& item : items) {
            struct stat info;
            if (lstat(item.c_str(), &info) != 0) continue;
            bool folder = S_ISDIR(info.st_mode);
            std::string name = fs::path(item).filename().string();
            if (!text.empty()) text += u"\n\n";
            text += NameToWindows(name) + u"\nType: " + TypeNameOf(NameToWindows(name), folder) +
                    u"\nLocation: " + ToWindowsPath(fs::path(item).parent_path().string());
            if (!folder) {
                text += u"\nSize: " + NameToWindows(SizeText(uint64_t(info.st_size)));
                total += uint64_t(info.st_size);
            }
            char when[64];
            std::tm local{};
            localtime_r(&info.st_mtime, &local);
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
            text += u"\nModified: " + NameToWindows(when);
            std::u16string flags;
            if (access(item.c_str(), W_OK) != 0) flags += u"Read-only ";
            if (!name.empty() && name[0] == '.') flags += u"Hidden ";
            if (S_ISLNK(info.st_mode)) flags += u"Shortcut ";
            if (!flags.empty()) text += u"\nAttributes: " + flags.substr(0, flags.size() - 1);
        }
        if (text.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (items.size() > 1) text += u"\n\nTotal size: " + NameToWindows(SizeText(total));
        MessageBoxW(owner, text.c_str(), u"Properties", MB_OK | MB_ICONINFORMATION);
        return S_OK;
    }

    std::atomic<ULONG> count_{1};
    std::string folder_;
    std::vector<std::string> items_;
    bool inTrash_ = false;
};

} // namespace

HRESULT CreateFileContextMenu(const std::string& folder, const std::vector<std::string>& items,
                              REFIID riid, void** ppv) {
    auto* menu = new ContextMenu(folder, items);
    HRESULT hr = menu->QueryInterface(riid, ppv);
    menu->Release();
    return hr;
}

} // namespace win32
