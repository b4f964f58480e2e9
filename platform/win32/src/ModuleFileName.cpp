// The program's own file name.
#include <win32/libloaderapi.h>
#include <win32/winbase.h>

#include "Paths.h"

#include <unistd.h>

#include <algorithm>
#include <string>

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    if (module && module != GetModuleHandleW(nullptr)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string target(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
    if (length <= 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    target.resize(size_t(length));
    const std::u16string path = win32::ToWindowsPath(target);
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const size_t copied = std::min<size_t>(path.size(), size - 1);
    std::copy_n(path.data(), copied, buffer);
    buffer[copied] = u'\0';
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return DWORD(copied);
}
