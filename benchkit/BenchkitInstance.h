// The library's own module: the instance its bitmaps and cursors are loaded
// from (LoadBitmapW, LoadCursorW, TBitmap::LoadFromResourceName).
#pragma once

#include <win32/windef.h>

// Registers the library's resource table with the layer on the first call.
HINSTANCE BenchkitInstance();
