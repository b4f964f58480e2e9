// Helpers shared by the user area's drawing calls.
#pragma once

#include "Raster.h"

#include <win32/winuser.h>

namespace win32 {

// A brush handle or a system colour index plus one, as FillRect accepts.
std::shared_ptr<BrushObject> ResolveBrush(HBRUSH brush);
// Fills a logical rectangle with a solid colour, ignoring the mix mode.
void FillSolid(DeviceContext& dc, const RECT& logical, COLORREF color);
// A logical rectangle on the DC's surface.
RECT ToSurfaceRect(DeviceContext& dc, const RECT& r);

} // namespace win32
