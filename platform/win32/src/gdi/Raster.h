// Pixel-level drawing shared by the entry points: spans filled with an ink
// through a binary raster operation, clipped to a region; ternary raster
// operations for blits.
#pragma once

#include "DeviceContext.h"

namespace win32 {

// What a fill puts down at each pixel: a solid colour or a brush pattern.
struct Ink {
    bool solid = true;
    uint32_t color = 0;
    // Pattern inks: an 8x8 (or bitmap-sized) pattern aligned to the brush origin.
    const Surface* pattern = nullptr;
    bool monoPattern = false; // black bits take `fore`, white bits take `back`
    uint32_t fore = 0;
    uint32_t back = 0;
    bool hatch = false;        // hatch bits: 1 = line (fore), 0 = background
    uint8_t hatchBits[8] = {}; // rows of a hatch, bit 7 = leftmost
    bool transparentBack = false;
    int orgX = 0;
    int orgY = 0;
    int rop2 = R2_COPYPEN;

    // The pattern colour at surface pixel (x, y); false where nothing is drawn.
    bool At(int x, int y, uint32_t& out) const;
};

// Ink of a brush on a DC (null brush: nullopt). rop2 is the DC's mix mode
// for brushes drawn by shape calls; fills such as FillRect pass R2_COPYPEN.
std::optional<Ink> BrushInk(DeviceContext& dc, const BrushObject& brush, int rop2);
Ink SolidInk(uint32_t color, int rop2);

// Combines pen (or pattern) P with destination D by a binary raster operation.
uint32_t ApplyRop2(int rop2, uint32_t p, uint32_t d);
// Combines pattern P, source S and destination D by a ternary raster operation
// (the operation index is bits 16..23 of the ROP code).
uint32_t ApplyRop3(uint8_t index, uint32_t p, uint32_t s, uint32_t d);
// Whether the ROP reads the source / the pattern.
bool RopUsesSource(DWORD rop);
bool RopUsesPattern(DWORD rop);

// Fills [x0, x1) of surface row y, clipped by `visible`.
void FillSpan(Surface& s, const Region& visible, int y, int x0, int x1, const Ink& ink);
// Fills every span of a region (surface coordinates).
void FillRegion(Surface& s, const Region& visible, const Region& area, const Ink& ink);
// Plots one pixel through the ink if visible.
void Plot(Surface& s, const Region& visible, int x, int y, const Ink& ink);

} // namespace win32
