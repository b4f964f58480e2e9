// Where a module was loaded from.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

// The full Windows path of the program's file (module null or the program's
// handle), copied into buffer with a null when it fits. Returns the length
// copied without the null; when the buffer is too small, the path is cut to
// size - 1 characters, the result is size and the last error
// ERROR_INSUFFICIENT_BUFFER. Other modules: 0 and ERROR_MOD_NOT_FOUND.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

#pragma GCC visibility pop
