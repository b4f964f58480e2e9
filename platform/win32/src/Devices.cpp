// Placeholder until serial ports arrive: no device can be opened yet.
#include "Devices.h"

#include <win32/winbase.h>

namespace win32 {

HANDLE OpenDevice(const std::u16string& name, const std::string& target, DWORD access, DWORD share,
                  DWORD disposition, DWORD flagsAndAttributes) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

} // namespace win32
