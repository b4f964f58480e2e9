// The shell link object: a symbolic link read and written through the link
// interfaces. The target is what the file system keeps; arguments, the
// description, the working folder, the icon, the hot key and the show
// command live in the object only (a symbolic link has no room for them).
#include "../Paths.h"

#include <win32/combaseapi.h>
#include <win32/shellext.h>
#include <win32/shlobj.h>
#include <win32/winerror.h>
#include <win32/winuser.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

HRESULT CopyText(const std::u16string& text, LPWSTR out, int cch) {
    if (!out || cch <= 0) return E_INVALIDARG;
    size_t count = std::min<size_t>(text.size(), size_t(cch) - 1);
    std::memcpy(out, text.data(), count * sizeof(char16_t));
    out[count] = 0;
    return S_OK;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

class ShellLink final : public IShellLinkW, public IPersistFile {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IShellLinkW)
            *ppv = static_cast<IShellLinkW*>(this);
        else if (riid == IID_IPersistFile || riid == IID_IPersist)
            *ppv = static_cast<IPersistFile*>(this);
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
        if (!left) delete this;
        return left;
    }

    // --- the link -------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW* pfd,
                                      DWORD) noexcept override {
        if (pfd) {
            std::memset(pfd, 0, sizeof *pfd);
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (!target_.empty() &&
                GetFileAttributesExW(target_.c_str(), GetFileExInfoStandard, &data)) {
                pfd->dwFileAttributes = data.dwFileAttributes;
                pfd->ftCreationTime = data.ftCreationTime;
                pfd->ftLastAccessTime = data.ftLastAccessTime;
                pfd->ftLastWriteTime = data.ftLastWriteTime;
                pfd->nFileSizeHigh = data.nFileSizeHigh;
                pfd->nFileSizeLow = data.nFileSizeLow;
            }
            std::u16string name = target_.substr(target_.find_last_of(u'\\') + 1);
            CopyText(name, pfd->cFileName, MAX_PATH);
        }
        HRESULT hr = CopyText(target_, pszFile, cch);
        return FAILED(hr) ? hr : target_.empty() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE* ppidl) noexcept override {
        if (!ppidl) return E_POINTER;
        *ppidl = nullptr;
        if (target_.empty()) return S_FALSE;
        *ppidl = ILCreateFromPathW(target_.c_str());
        if (!*ppidl) *ppidl = SHSimpleIDListFromPath(target_.c_str());
        return *ppidl ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE pidl) noexcept override {
        WCHAR path[MAX_PATH];
        if (!pidl || !SHGetPathFromIDListW(pidl, path)) return E_INVALIDARG;
        return Set(target_, path);
    }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR out, int cch) noexcept override {
        return CopyText(description_, out, cch);
    }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR text) noexcept override {
        return Set(description_, text);
    }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR out, int cch) noexcept override {
        return CopyText(folder_, out, cch);
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR text) noexcept override {
        return Set(folder_, text);
    }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR out, int cch) noexcept override {
        return CopyText(arguments_, out, cch);
    }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR text) noexcept override {
        return Set(arguments_, text);
    }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD* key) noexcept override {
        if (!key) return E_POINTER;
        *key = hotKey_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD key) noexcept override {
        hotKey_ = key;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int* show) noexcept override {
        if (!show) return E_POINTER;
        *show = show_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int show) noexcept override {
        show_ = show;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR out, int cch, int* icon) noexcept override {
        if (icon) *icon = icon_;
        return CopyText(iconPath_, out, cch);
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR path, int icon) noexcept override {
        icon_ = icon;
        return Set(iconPath_, path);
    }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR, DWORD) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Resolve(HWND, DWORD) noexcept override {
        return !target_.empty() && GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES
                   ? S_OK
                   : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR path) noexcept override { return Set(target_, path); }

    // --- the file -------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) noexcept override {
        if (!id) return E_POINTER;
        *id = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() noexcept override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPCWSTR name, DWORD) noexcept override {
        if (!name) return E_INVALIDARG;
        try {
            std::string link = ToLinuxPath(name);
            struct stat info;
            if (link.empty() || lstat(link.c_str(), &info) != 0) return STG_E_FILENOTFOUND;
            if (!S_ISLNK(info.st_mode)) return E_FAIL; // not a link of ours
            std::string target(size_t(info.st_size ? info.st_size : PATH_MAX) + 1, '\0');
            ssize_t length = readlink(link.c_str(), target.data(), target.size());
            if (length < 0 || size_t(length) >= target.size()) return E_FAIL;
            target.resize(size_t(length));
            if (target.empty()) return E_FAIL;
            if (target[0] != '/') target = FolderOf(link) + "/" + target;
            target_ = ToWindowsPath(NormaliseLinuxPath(target));
            file_ = name;
            dirty_ = false;
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    // Writes the link; an existing link of that name is replaced, anything
    // else that bears the name is left alone and the save fails.
    HRESULT STDMETHODCALLTYPE Save(LPCWSTR name, BOOL remember) noexcept override {
        try {
            std::u16string windowsName = name ? std::u16string(name) : file_;
            if (windowsName.empty() || target_.empty()) return E_INVALIDARG;
            std::string link = ToLinuxPath(windowsName), target = ToLinuxPath(target_);
            if (link.empty() || target.empty()) return E_INVALIDARG;
            struct stat info;
            if (lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
                return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
            std::string temporary = link + ".link-" + std::to_string(getpid());
            unlink(temporary.c_str());
            if (symlink(target.c_str(), temporary.c_str()) != 0)
                return HRESULT_FROM_WIN32(errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                                          : ERROR_ACCESS_DENIED);
            if (rename(temporary.c_str(), link.c_str()) != 0) {
                unlink(temporary.c_str());
                return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
            }
            if (remember || file_.empty()) file_ = windowsName;
            dirty_ = false;
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCWSTR) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPWSTR* out) noexcept override {
        if (!out) return E_POINTER;
        *out = static_cast<LPWSTR>(CoTaskMemAlloc((file_.size() + 1) * sizeof(char16_t)));
        if (!*out) return E_OUTOFMEMORY;
        std::memcpy(*out, file_.c_str(), (file_.size() + 1) * sizeof(char16_t));
        return file_.empty() ? S_FALSE : S_OK;
    }

private:
    ~ShellLink() = default;
    HRESULT Set(std::u16string& field, LPCWSTR text) {
        try {
            field = text ? text : u"";
            dirty_ = true;
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    std::atomic<ULONG> count_{1};
    std::u16string target_, description_, folder_, arguments_, iconPath_, file_;
    int icon_ = 0;
    WORD hotKey_ = 0;
    int show_ = SW_SHOWNORMAL;
    bool dirty_ = false;
};

} // namespace
} // namespace win32

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (!IsEqualCLSID(rclsid, CLSID_ShellLink)) return REGDB_E_CLASSNOTREG;
    try {
        auto* link = new win32::ShellLink;
        HRESULT hr = static_cast<IShellLinkW*>(link)->QueryInterface(riid, ppv);
        static_cast<IShellLinkW*>(link)->Release();
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
