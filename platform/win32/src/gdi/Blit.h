// The one blit routine behind BitBlt, StretchBlt, MaskBlt, TransparentBlt,
// AlphaBlend, PatBlt and the DIB-to-device calls.
#pragma once

#include "Raster.h"

namespace win32 {

struct BlitSource {
    const Surface* surface = nullptr;
    RECT rect{};            // surface coordinates; right < left mirrors
    uint32_t backPixel = 0; // the source DC's background: white when made monochrome
};

enum class BlitMode { Rop, Transparent, Alpha };

struct BlitParams {
    BlitMode mode = BlitMode::Rop;
    DWORD rop = SRCCOPY; // Rop: ternary code; MaskBlt: the background code too
    const Surface* mask = nullptr;
    POINT maskOrigin{0, 0};
    uint32_t transparent = 0; // Transparent: source pixels of this colour are skipped
    BLENDFUNCTION blend{};    // Alpha
    int stretchMode = BLACKONWHITE;
};

// Draws onto `dest` inside `destRect` (logical coordinates; a negative width
// or height mirrors) from `source` (may be null when the operation does not
// read a source).
bool Blit(DeviceContext& dest, int x, int y, int width, int height, const BlitSource* source,
          const BlitParams& params);

// The source of a blit from a DC: its surface and the logical rectangle in it.
BlitSource SourceFromDC(DeviceContext& src, int x, int y, int width, int height);

} // namespace win32
