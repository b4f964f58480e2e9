// Reading pixels back from the layer's surfaces, and PNG files: functions of
// our own, not of the Windows API. Tests use them to check what was drawn;
// the layer uses them to save any window or DC as an image.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

// Pixels of a rectangle (logical coordinates of the DC), row by row, as
// COLORREF values; CLR_INVALID where the DC cannot draw (outside its surface
// or clip). Empty when the DC is invalid.
std::vector<COLORREF> ReadPixels(HDC dc, const RECT& rect);

// Saves the whole surface behind a DC (for a window DC: the window's own
// area) as an opaque RGB PNG file. False on a bad handle or a write error.
bool SaveDCAsPng(HDC dc, const std::string& path);
// Saves a bitmap as a PNG file; with `keepAlpha` a 32-bit bitmap's alpha
// channel is written too (its colours taken as premultiplied, as AlphaBlend
// reads them, and written straight, as PNG stores them).
bool SaveBitmapAsPng(HBITMAP bitmap, const std::string& path, bool keepAlpha = false);

// Loads a PNG file into a new 32-bit top-down DIB section (premultiplied
// alpha, ready for AlphaBlend); null when the file is not a readable PNG.
HBITMAP LoadPngAsBitmap(const std::string& path);

} // namespace win32

#pragma GCC visibility pop
