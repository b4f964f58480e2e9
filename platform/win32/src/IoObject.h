// Base of every kernel object that ReadFile and WriteFile reach: files and
// serial ports. The calls are synchronous.
#pragma once

#include "HandleTable.h"

#include <win32/winerror.h>

namespace win32 {

class IoObject : public KernelObject {
public:
    // Each returns ERROR_SUCCESS or the Windows error, and sets `done` to the
    // bytes moved. A read at the end of a file succeeds with none.
    virtual DWORD Read(void* buffer, DWORD size, DWORD& done) = 0;
    virtual DWORD Write(const void* buffer, DWORD size, DWORD& done) = 0;
    // FlushFileBuffers: wait until written data has left the process.
    virtual DWORD Flush() { return ERROR_SUCCESS; }
    // FILE_TYPE_DISK, FILE_TYPE_CHAR or FILE_TYPE_PIPE.
    virtual DWORD FileType() const = 0;
};

} // namespace win32
