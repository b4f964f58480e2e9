// Pixels, lines, polygons, rectangles, ellipses and arcs.
#include "Shapes.h"

#include "Geometry.h"

#include <algorithm>

using namespace win32;

namespace win32 {

std::optional<Ink> PenInk(DeviceContext& dc) {
    DcState& st = dc.State();
    if (st.pen->LineStyle() == PS_NULL) return std::nullopt;
    COLORREF color = st.pen->color;
    if (st.pen->stock && st.pen->handle == StockObject(DC_PEN)->handle) color = st.dcPenColor;
    return SolidInk(dc.PixelOf(color), st.rop2);
}

int PenWidth(DeviceContext& dc) {
    const PenObject& pen = *dc.State().pen;
    if (pen.extended && (pen.style & PS_TYPE_MASK) == PS_COSMETIC) return 1;
    return std::max(1, pen.width);
}

namespace {

std::vector<DWORD> DashPattern(const PenObject& pen) {
    switch (pen.LineStyle()) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE:
        return {1, 1};
    case PS_USERSTYLE:
        return pen.userStyle;
    default:
        return {};
    }
}

} // namespace

void StrokePath(DeviceContext& dc, const std::vector<POINT>& points, bool closed) {
    std::optional<Ink> ink = PenInk(dc);
    if (!ink || points.empty()) return;
    Surface& s = dc.Target();
    const Region& visible = dc.Visible();
    int width = PenWidth(dc);
    if (width > 1) {
        DWORD style =
            dc.State().pen->extended ? dc.State().pen->style : PS_ENDCAP_ROUND | PS_JOIN_ROUND;
        FillRegion(s, visible, WideStroke(points, closed, width, style), *ink);
        return;
    }
    std::vector<DWORD> dashes = DashPattern(*dc.State().pen);
    DWORD period = 0;
    for (DWORD d : dashes)
        period += d;
    Ink gap = SolidInk(dc.PixelOf(dc.State().bkColor), dc.State().rop2);
    bool opaqueGaps = dc.State().bkMode == OPAQUE;
    DWORD step = 0; // the style runs on across the segments of one path
    auto plot = [&](int x, int y) {
        if (period == 0) {
            Plot(s, visible, x, y, *ink);
            return;
        }
        DWORD pos = step++ % period;
        size_t i = 0;
        while (pos >= dashes[i])
            pos -= dashes[i++];
        if (i % 2 == 0)
            Plot(s, visible, x, y, *ink);
        else if (opaqueGaps)
            Plot(s, visible, x, y, gap);
    };
    size_t n = points.size();
    size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i)
        ThinLine(points[i], points[(i + 1) % n], plot);
}

} // namespace win32

namespace {

std::vector<POINT> ToSurface(DeviceContext& dc, const POINT* points, int count) {
    std::vector<POINT> out(count);
    for (int i = 0; i < count; ++i)
        out[i] = dc.ToSurface(points[i]);
    return out;
}

RECT SurfaceRect(DeviceContext& dc, int left, int top, int right, int bottom) {
    POINT a = dc.ToSurface({left, top}), b = dc.ToSurface({right, bottom});
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void FillWithBrush(DeviceContext& dc, const Region& area) {
    if (auto ink = BrushInk(dc, *dc.State().brush, dc.State().rop2))
        FillRegion(dc.Target(), dc.Visible(), area, *ink);
}

// Draws a rounded rectangle (an ellipse when the corners span the box):
// brush inside, pen ring around, both inside the box as GDI draws them.
void DrawRounded(DeviceContext& dc, RECT box, int ew, int eh, bool ellipse) {
    std::optional<Ink> pen = PenInk(dc);
    auto shape = [&](const RECT& b, int cw, int ch) {
        if (ellipse) return RoundRectRegion(b, b.right - b.left, b.bottom - b.top);
        return RoundRectRegion(b, cw, ch);
    };
    if (!pen) {
        // Without a pen the fill stops one pixel short on the right and bottom.
        FillWithBrush(dc, shape({box.left, box.top, box.right - 1, box.bottom - 1}, ew, eh));
        return;
    }
    int w = PenWidth(dc);
    if (w > 1 && dc.State().pen->LineStyle() != PS_INSIDEFRAME) {
        box = {box.left - (w - 1) / 2, box.top - (w - 1) / 2, box.right + w / 2,
               box.bottom + w / 2};
    }
    Region outer = shape(box, ew, eh);
    Region inner =
        shape({box.left + w, box.top + w, box.right - w, box.bottom - w}, ew - 2 * w, eh - 2 * w);
    FillWithBrush(dc, inner);
    bool styled = w == 1 && dc.State().pen->LineStyle() != PS_SOLID &&
                  dc.State().pen->LineStyle() != PS_INSIDEFRAME;
    if (styled && !ellipse && ew <= 1 && eh <= 1) {
        StrokePath(dc,
                   {{box.left, box.top},
                    {box.right - 1, box.top},
                    {box.right - 1, box.bottom - 1},
                    {box.left, box.bottom - 1}},
                   true);
        return;
    }
    FillRegion(dc.Target(), dc.Visible(), outer.Combine(inner, RegionOp::Diff), *pen);
}

void FillPolygons(DeviceContext& dc, const std::vector<std::vector<POINT>>& polys) {
    std::vector<std::vector<PointF>> fl;
    for (const auto& poly : polys) {
        std::vector<PointF> p;
        for (const POINT& pt : poly)
            p.push_back({double(pt.x), double(pt.y)});
        fl.push_back(std::move(p));
    }
    FillWithBrush(dc, PolygonRegion(fl, dc.State().polyFillMode));
    for (const auto& poly : polys)
        StrokePath(dc, poly, true);
}

} // namespace

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return CLR_INVALID;
    POINT p = ctx->ToSurface({x, y});
    if (!ctx->Visible().Contains(p.x, p.y)) return CLR_INVALID;
    uint32_t pixel = ctx->PixelOf(color);
    ctx->Target().Put(p.x, p.y, pixel);
    return ColorFromPixel(pixel);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
    return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return CLR_INVALID;
    POINT p = ctx->ToSurface({x, y});
    if (!ctx->Visible().Contains(p.x, p.y)) return CLR_INVALID;
    return ColorFromPixel(ctx->Target().Get(p.x, p.y) & 0xFFFFFF);
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (previous) *previous = ctx->State().position;
    ctx->State().position = {x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    StrokePath(*ctx, {ctx->ToSurface(ctx->State().position), ctx->ToSurface({x, y})}, false);
    ctx->State().position = {x, y};
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (!points || count < 2) {
        SetInvalidParameter();
        return FALSE;
    }
    StrokePath(*ctx, ToSurface(*ctx, points, count), false);
    return TRUE;
}

BOOL PolylineTo(HDC dc, const POINT* points, DWORD count) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (!points || count == 0) return count == 0;
    std::vector<POINT> path{ctx->ToSurface(ctx->State().position)};
    for (DWORD i = 0; i < count; ++i)
        path.push_back(ctx->ToSurface(points[i]));
    StrokePath(*ctx, path, false);
    ctx->State().position = points[count - 1];
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (!points || count < 2) {
        SetInvalidParameter();
        return FALSE;
    }
    FillPolygons(*ctx, {ToSurface(*ctx, points, count)});
    return TRUE;
}

BOOL PolyPolygon(HDC dc, const POINT* points, const INT* counts, int polygons) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (!points || !counts || polygons <= 0) {
        SetInvalidParameter();
        return FALSE;
    }
    std::vector<std::vector<POINT>> polys;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 2) {
            SetInvalidParameter();
            return FALSE;
        }
        polys.push_back(ToSurface(*ctx, points, counts[i]));
        points += counts[i];
    }
    FillPolygons(*ctx, polys);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    DrawRounded(*ctx, SurfaceRect(*ctx, left, top, right, bottom), 0, 0, false);
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    DrawRounded(*ctx, SurfaceRect(*ctx, left, top, right, bottom), width, height, false);
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    DrawRounded(*ctx, SurfaceRect(*ctx, left, top, right, bottom), 0, 0, true);
    return TRUE;
}

namespace {

enum class ArcKind { Arc, Pie, Chord };

BOOL DrawArc(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye, ArcKind kind) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    RECT box = SurfaceRect(*ctx, l, t, r, b);
    std::vector<POINT> arc = ArcPoints(box, ctx->ToSurface({xs, ys}), ctx->ToSurface({xe, ye}));
    if (kind == ArcKind::Arc) {
        StrokePath(*ctx, arc, false);
        return TRUE;
    }
    if (kind == ArcKind::Pie)
        arc.push_back({(box.left + box.right - 1) / 2, (box.top + box.bottom - 1) / 2});
    FillPolygons(*ctx, {arc});
    return TRUE;
}

} // namespace

BOOL Arc(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return DrawArc(dc, l, t, r, b, xs, ys, xe, ye, ArcKind::Arc);
}
BOOL Pie(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return DrawArc(dc, l, t, r, b, xs, ys, xe, ye, ArcKind::Pie);
}
BOOL Chord(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return DrawArc(dc, l, t, r, b, xs, ys, xe, ye, ArcKind::Chord);
}
