// The process-wide table of kernel handles. Every kernel object (file, event,
// thread, serial port, ...) lives behind a HANDLE taken from this table.
#pragma once

#include <win32/windef.h>

#include <memory>

namespace win32 {

// Base of every object that a kernel HANDLE refers to.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // A short name of the kind ("file", "event", ...), for diagnostics.
    virtual const char* Kind() const = 0;
};

// Adds an object and returns its new handle (never null, never INVALID_HANDLE_VALUE).
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null when the handle is not open.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

// The object behind a handle when it is of kind T, or null.
template <class T> std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

// Removes a handle from the table; the object lives on while others hold it.
// False when the handle is not open.
bool RemoveHandle(HANDLE handle);

// Gives a second handle to the object behind a handle; null when it is not open.
HANDLE DuplicateHandleOf(HANDLE handle);

} // namespace win32
