// The Windows API subset, for targets that link win32.
#include <win32/windows.h>
