// Inside the layer: resource bytes by module, type and name, and the DIB
// decoding that the bitmap, cursor and icon loaders share.
#pragma once

#include <win32/windef.h>

#include <cstdint>
#include <vector>

namespace win32 {

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

// The resource, or empty with the last error set (module, type or name not
// found). A null module is the program's.
ResourceBytes FindResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name);

// A DIB (BITMAPINFOHEADER, colour table, bits) of 1, 4, 8, 24 or 32 bits a
// pixel, uncompressed, turned into 0x00RRGGBB pixels top row first.
// `height` overrides the header's (cursor and icon images stack their AND
// mask below the colour bits and double biHeight). Malformed or truncated data
// gives false.
struct DecodedDib {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;      // the colour (XOR) image
    std::vector<uint8_t> mask;         // 1 where transparent; empty without a mask
};
bool DecodeDib(const BYTE* data, size_t size, bool withMask, DecodedDib& out);

// A 32-bit device bitmap, or a 32-bit DIB section, holding the pixels.
HBITMAP BitmapFromPixels(const DecodedDib& dib, bool dibSection);

} // namespace win32

namespace win32 {

// A cursor or icon from the module's RT_GROUP_CURSOR/RT_GROUP_ICON `name`,
// the image of the group closest to cx × cy (0: 32 × 32). Shared ones are
// made once per module and name and survive DestroyCursor. Defined with the
// cursor objects (user/Cursors.cpp).
HICON LoadIconResource(HINSTANCE instance, LPCWSTR name, bool cursor, int cx, int cy,
                       bool shared);

} // namespace win32
