// Running an item: a file or folder opens with the desktop's default
// application for its type.
#include "../Paths.h"
#include "FileTypes.h"

#include <win32/shellapi.h>
#include <win32/winbase.h>
#include <win32/winerror.h>

#include <sys/stat.h>

namespace win32 {
namespace {

bool KnownVerb(LPCWSTR verb) {
    if (!verb || !*verb) return true;
    std::u16string text;
    for (; *verb; ++verb)
        text += (*verb >= u'A' && *verb <= u'Z') ? char16_t(*verb + 32) : *verb;
    return text == u"open" || text == u"explore";
}

// The SE_ERR_* code of a run (above 32 on success), with the last error set.
UINT_PTR Run(LPCWSTR verb, const std::u16string& windowsPath) {
    if (windowsPath.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return SE_ERR_FNF;
    }
    std::string path = ToLinuxPath(windowsPath);
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return SE_ERR_FNF;
    }
    if (!KnownVerb(verb)) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return SE_ERR_NOASSOC;
    }
    if (!OpenWithDefaultApplications({path}, nullptr)) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return SE_ERR_NOASSOC;
    }
    return 42;
}

} // namespace
} // namespace win32

using namespace win32;

HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR, LPCWSTR, INT) {
    return reinterpret_cast<HINSTANCE>(Run(lpOperation, lpFile ? lpFile : u""));
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
    if (!info || info->cbSize < sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string path;
    if (info->fMask & SEE_MASK_IDLIST) {
        WCHAR buffer[MAX_PATH] = {};
        if (info->lpIDList && SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(info->lpIDList),
                                                   buffer))
            path = buffer;
    } else if (info->lpFile) {
        path = info->lpFile;
    }
    UINT_PTR code = Run(info->lpVerb, path);
    info->hInstApp = reinterpret_cast<HINSTANCE>(code);
    info->hProcess = nullptr;
    return code > 32;
}
