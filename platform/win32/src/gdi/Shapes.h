// Pen strokes and brush fills shared by the shape calls and region painting.
#pragma once

#include "Raster.h"

namespace win32 {

// Strokes a path (surface coordinates) with the DC's pen through its mix mode.
void StrokePath(DeviceContext& dc, const std::vector<POINT>& points, bool closed);
// The DC's pen as an ink (nullopt for a null pen) and its width in pixels.
std::optional<Ink> PenInk(DeviceContext& dc);
int PenWidth(DeviceContext& dc);

} // namespace win32
