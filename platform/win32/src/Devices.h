// Opening devices by their Windows names ("COM3", "\\.\COM10"). CreateFileW
// hands every device path here; the serial-port area owns the implementation.
#pragma once

#include <win32/windef.h>

#include <string>

namespace win32 {

// Opens the device `name` (upper case, "COM3") whose devices-folder link points
// at `target`. Returns the handle, or INVALID_HANDLE_VALUE with the last error set.
HANDLE OpenDevice(const std::u16string& name, const std::string& target, DWORD access, DWORD share,
                  DWORD disposition, DWORD flagsAndAttributes);

} // namespace win32
