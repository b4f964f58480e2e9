// The layer's internal API for DCs on surfaces it owns elsewhere: the window
// manager creates window DCs with it (a child window paints into its
// top-level window's surface at an offset, clipped to what is visible of it).
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include "Region.h"
#include "Surface.h"

#include <win32/windef.h>

namespace win32 {

// A DC whose device point (0,0) is `origin` on the surface and that never
// draws outside `limit` (surface coordinates). Free it with DeleteDC.
HDC CreateSurfaceDC(SurfacePtr surface, POINT origin, const Region& limit);
// Moves an existing surface DC (the window moved or its visible part changed).
bool SetSurfaceDCLimits(HDC dc, POINT origin, const Region& limit);
// The surface a DC draws on (its selected bitmap's for memory DCs), or null.
SurfacePtr SurfaceOfDC(HDC dc);

// The screen: a fixed 1920 x 1080 surface until a presenter provides one.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
SurfacePtr ScreenSurface();
// A DC on the whole screen, for measuring text and for GetDC(NULL).
HDC CreateScreenDC();

} // namespace win32

#pragma GCC visibility pop
