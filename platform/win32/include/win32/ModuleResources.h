// How a library or the program gives its module resources: a table of typed,
// named blocks of bytes compiled into it (bitmaps as DIBs, cursors and icons
// in their resource layouts). FindResourceW and the loaders on top of it
// (LoadBitmapW, LoadImageW, LoadCursorW, CreateMappedBitmap) read them back.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <cstddef>

namespace win32 {

struct ResourceEntry {
    LPCWSTR type; // RT_BITMAP, RT_CURSOR, ... or a type name
    LPCWSTR name; // a name or MAKEINTRESOURCEW(id)
    const BYTE* data;
    DWORD size;
};

// Adds `entries` (which must outlive the process, as static data does) to the
// module named `moduleName` ("BENCHKIT"; null for the program's own module)
// and returns the module's handle, its HINSTANCE. Entries added again for the
// same module are kept once. A library calls this from its instance accessor
// on first use, never at load time.
HMODULE RegisterModuleResources(LPCWSTR moduleName, const ResourceEntry* entries, size_t count);

} // namespace win32

#pragma GCC visibility pop
