// The desktop's trash (the recycle bin): a deleted item moves into
// Trash/files, and Trash/info keeps where it came from, so that it can go back.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <string>

namespace win32 {

// Moves a file or folder into the trash; 0 or the Windows error. `trashed`
// receives the item's path inside the trash.
DWORD MoveToTrash(const std::string& path, std::string* trashed = nullptr);

// Puts an item of Trash/files back where it was deleted from; 0 or the
// Windows error (ERROR_ALREADY_EXISTS when something took its place).
// `restored` receives the original path.
DWORD RestoreFromTrash(const std::string& trashed, std::string* restored = nullptr);

} // namespace win32

#pragma GCC visibility pop
