// The library's own module: the instance its bitmaps and cursors are loaded
// from (LoadBitmapW, LoadCursorW, TBitmap::LoadFromResourceName).
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

// Registers the library's resource table with the layer on the first call.
HINSTANCE BenchkitInstance();

#pragma GCC visibility pop
