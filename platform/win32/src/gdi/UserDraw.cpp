// FillRect, FrameRect, InvertRect, DrawFocusRect and DrawEdge.
#include "UserDraw.h"

#include <algorithm>

using namespace win32;

namespace win32 {

std::shared_ptr<BrushObject> ResolveBrush(HBRUSH brush) {
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_MENUBAR + 1)
        return LookupGdi<BrushObject>(GetSysColorBrush(static_cast<int>(value) - 1));
    return LookupGdi<BrushObject>(brush);
}

RECT ToSurfaceRect(DeviceContext& dc, const RECT& r) {
    POINT a = dc.ToSurface({r.left, r.top}), b = dc.ToSurface({r.right, r.bottom});
    return {a.x, a.y, b.x, b.y};
}

void FillSolid(DeviceContext& dc, const RECT& logical, COLORREF color) {
    RECT r = ToSurfaceRect(dc, logical);
    if (r.right <= r.left || r.bottom <= r.top) return;
    FillRegion(dc.Target(), dc.Visible(), Region(r), SolidInk(dc.PixelOf(color), R2_COPYPEN));
}

} // namespace win32

namespace {

void FillWith(DeviceContext& dc, const RECT& surfaceRect, const BrushObject& brush) {
    if (surfaceRect.right <= surfaceRect.left || surfaceRect.bottom <= surfaceRect.top) return;
    if (auto ink = BrushInk(dc, brush, R2_COPYPEN))
        FillRegion(dc.Target(), dc.Visible(), Region(surfaceRect), *ink);
}

} // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto b = ResolveBrush(brush);
    if (!ctx || !rect || !b) return FALSE;
    FillWith(*ctx, ToSurfaceRect(*ctx, *rect), *b);
    return TRUE;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto b = ResolveBrush(brush);
    if (!ctx || !rect || !b) return FALSE;
    RECT r = ToSurfaceRect(*ctx, *rect);
    if (r.right <= r.left || r.bottom <= r.top) return TRUE;
    FillWith(*ctx, {r.left, r.top, r.right, r.top + 1}, *b);
    FillWith(*ctx, {r.left, r.bottom - 1, r.right, r.bottom}, *b);
    FillWith(*ctx, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, *b);
    FillWith(*ctx, {r.right - 1, r.top + 1, r.right, r.bottom - 1}, *b);
    return TRUE;
}

BOOL InvertRect(HDC dc, const RECT* rect) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !rect) return FALSE;
    RECT r = ToSurfaceRect(*ctx, *rect);
    if (r.right > r.left && r.bottom > r.top)
        FillRegion(ctx->Target(), ctx->Visible(), Region(r), SolidInk(0, R2_NOT));
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !rect) return FALSE;
    RECT r = ToSurfaceRect(*ctx, *rect);
    if (r.right <= r.left || r.bottom <= r.top) return TRUE;
    // Every other pixel of the frame, inverted: drawing it twice removes it.
    Region frame = Region(r).Combine(Region(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}),
                                     RegionOp::Diff);
    Surface& s = ctx->Target();
    const Region& visible = ctx->Visible();
    Ink invert = SolidInk(0xFFFFFF, R2_XORPEN);
    for (const Band& band : frame.Bands())
        for (int y = band.top; y < band.bottom; ++y)
            for (const Span& sp : band.spans)
                for (int x = sp.left; x < sp.right; ++x)
                    if (((x + y) & 1) == 0) Plot(s, visible, x, y, invert);
    return TRUE;
}

namespace {

struct EdgeColors {
    int topLeft;
    int bottomRight;
};

// Colours of one layer of an edge by its two border bits (outer or inner).
EdgeColors LayerColors(UINT edge, bool outer, UINT flags) {
    bool raised = edge & (outer ? BDR_RAISEDOUTER : BDR_RAISEDINNER);
    bool soft = flags & BF_SOFT;
    if (flags & BF_MONO)
        return outer ? EdgeColors{COLOR_WINDOWFRAME, COLOR_WINDOWFRAME}
                     : EdgeColors{COLOR_WINDOW, COLOR_WINDOW};
    if (flags & BF_FLAT)
        return outer ? EdgeColors{COLOR_BTNSHADOW, COLOR_BTNSHADOW}
                     : EdgeColors{COLOR_BTNFACE, COLOR_BTNFACE};
    if (outer) {
        if (raised) return {soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
        return {soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
    }
    if (raised) return {soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    return {soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

// One pixel wide lines on the requested sides; the bottom and right lines
// take the corners they share with the top and left ones.
void DrawLayer(DeviceContext& dc, const RECT& r, UINT flags, EdgeColors c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    COLORREF tl = GetSysColor(c.topLeft), br = GetSysColor(c.bottomRight);
    if (flags & BF_TOP) FillSolid(dc, {r.left, r.top, r.right, r.top + 1}, tl);
    if (flags & BF_LEFT) FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom}, tl);
    if (flags & BF_BOTTOM) FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, br);
    if (flags & BF_RIGHT) FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, br);
}

RECT Inset(const RECT& r, UINT flags) {
    return {r.left + ((flags & BF_LEFT) ? 1 : 0), r.top + ((flags & BF_TOP) ? 1 : 0),
            r.right - ((flags & BF_RIGHT) ? 1 : 0), r.bottom - ((flags & BF_BOTTOM) ? 1 : 0)};
}

} // namespace

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !rect) return FALSE;
    RECT r = *rect;
    if (edge & BDR_OUTER) {
        DrawLayer(*ctx, r, flags, LayerColors(edge, true, flags));
        r = Inset(r, flags);
    }
    if (edge & BDR_INNER) {
        DrawLayer(*ctx, r, flags, LayerColors(edge, false, flags));
        r = Inset(r, flags);
    }
    if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
        FillSolid(*ctx, r, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flags & BF_ADJUST) *rect = r;
    return TRUE;
}
