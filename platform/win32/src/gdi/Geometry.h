// Shapes turned into pixels: polygon scan conversion, rounded rectangles and
// ellipses, thin lines and wide pen strokes. Coordinates are surface pixels;
// a pixel (x, y) is sampled at its centre.
#pragma once

#include "Region.h"

#include <functional>
#include <vector>

namespace win32 {

struct PointF {
    double x;
    double y;
};

// Pixels whose centres lie inside the polygons (ALTERNATE or WINDING rule).
// A vertex (x, y) is the corner of pixel (x, y): a polygon from (0,0) to
// (10,10) covers pixels 0..9.
Region PolygonRegion(const std::vector<std::vector<PointF>>& polygons, int fillMode);

// The row [x0, x1) of a rounded rectangle that covers pixels of `box`
// (right and bottom exclusive) with corner ellipses ew x eh; false if the
// row is outside. An ellipse is the case ew = width, eh = height.
bool RoundRectRow(int y, const RECT& box, int ew, int eh, int& x0, int& x1);
Region RoundRectRegion(const RECT& box, int ew, int eh);

// Visits the pixels of a one-pixel line from a to b, b excluded, as GDI does.
void ThinLine(POINT a, POINT b, const std::function<void(int, int)>& plot);

// The pixels of a wide stroke along points (a closed figure when `closed`),
// for a pen of the given width and end cap / join style bits.
Region WideStroke(const std::vector<POINT>& points, bool closed, int width, DWORD style);

// Points on the arc of the ellipse in `box` from the ray through `start` to
// the ray through `end`, counter-clockwise on screen.
std::vector<POINT> ArcPoints(const RECT& box, POINT start, POINT end);

} // namespace win32
