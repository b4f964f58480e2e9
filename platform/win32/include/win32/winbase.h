// Kernel area: handles, errors, time, threads and synchronisation, memory,
// modules, atoms and the process.
#pragma once

#include <win32/windef.h>
#include <win32/winerror.h>

// --- Errors and handles ----------------------------------------------------
DWORD GetLastError();
void SetLastError(DWORD code);
BOOL CloseHandle(HANDLE handle);

#define DUPLICATE_CLOSE_SOURCE 0x00000001
#define DUPLICATE_SAME_ACCESS 0x00000002
HANDLE GetCurrentProcess();
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, PHANDLE target,
                     DWORD desiredAccess, BOOL inheritHandle, DWORD options);
