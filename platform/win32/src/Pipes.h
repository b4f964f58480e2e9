// Pipe ends and the standard handles, as the child-process code needs them.
#pragma once

#include <win32/windef.h>

namespace win32 {

// The Linux descriptor behind a handle that a child process can take as one
// of its standard streams (pipe end, file, standard stream), or -1.
int DescriptorForChild(HANDLE handle);

} // namespace win32
