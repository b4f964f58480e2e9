// Windows error codes for the errno values of failed Linux calls.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <string>

namespace win32 {

// The Windows error that matches a Linux errno; ERROR_GEN_FAILURE when none does.
DWORD ErrorFromErrno(int error);

// As ErrorFromErrno for a call on `linuxPath`, but tells a missing file
// (ERROR_FILE_NOT_FOUND) from a missing folder on the way (ERROR_PATH_NOT_FOUND).
DWORD ErrorFromErrnoAt(int error, const std::string& linuxPath);

} // namespace win32

#pragma GCC visibility pop
