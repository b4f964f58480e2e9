// The shell's interfaces, identifiers and records as the shell layer uses
// them: the platform publishes them; this header gathers them in one place.
#pragma once
#pragma GCC visibility push(default)

#include <win32/combaseapi.h>
#include <win32/commctrl.h>
#include <win32/shellapi.h>
#include <win32/shlobj.h>

#pragma GCC visibility pop
