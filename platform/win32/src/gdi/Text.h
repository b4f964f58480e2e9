// Text output shared by TextOutW, ExtTextOutW and DrawTextW.
#pragma once

#include "DeviceContext.h"
#include "Fonts.h"

namespace win32 {

// The DC's font instance, or null when no font could be opened.
FontInstance* CurrentFont(DeviceContext& dc);

// Advances (whole pixels) of each UTF-16 unit of a run; the second unit of a
// surrogate pair advances by 0. Includes the DC's character extra spacing.
std::vector<int> UnitAdvances(DeviceContext& dc, FontInstance& font, const WCHAR* text, int length);

// Draws glyphs with their cell's top-left at surface point (x, y), clipped to
// `clip` (surface coordinates), in the given colour.
void DrawGlyphRun(Surface& s, const Region& clip, FontInstance& font, int x, int y,
                  const std::u32string& chars, const std::vector<int>& advances, uint32_t color);

} // namespace win32
