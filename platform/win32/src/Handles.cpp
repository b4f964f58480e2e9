#include "HandleTable.h"

#include <win32/winbase.h>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
// The pseudo handle of the current process, as on Windows.
const HANDLE currentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
} // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

BOOL CloseHandle(HANDLE handle) {
    if (!win32::RemoveHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HANDLE GetCurrentProcess() { return currentProcess; }

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, PHANDLE target,
                     DWORD desiredAccess, BOOL inheritHandle, DWORD options) {
    if (sourceProcess != currentProcess || targetProcess != currentProcess || !target) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HANDLE copy = win32::DuplicateHandleOf(source);
    if (!copy) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (options & DUPLICATE_CLOSE_SOURCE) win32::RemoveHandle(source);
    *target = copy;
    return TRUE;
}
