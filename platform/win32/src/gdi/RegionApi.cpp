// Region objects and the clip region of a DC.
#include "Geometry.h"
#include "Raster.h"

#include <cstring>

using namespace win32;

namespace {

HRGN InsertRegion(Region region) {
    auto obj = std::make_shared<RegionObject>();
    obj->region = std::move(region);
    return static_cast<HRGN>(InsertGdiObject(std::move(obj)));
}

RECT Ordered(int l, int t, int r, int b) {
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

std::shared_ptr<RegionObject> LookupRegion(HRGN region) {
    auto obj = LookupGdi<RegionObject>(region);
    if (!obj) SetInvalidHandle();
    return obj;
}

// The DC's clip in device coordinates, its device area when it has none.
Region ClipOrBounds(DeviceContext& dc) {
    if (dc.State().clip) return *dc.State().clip;
    return Region(dc.DeviceBounds());
}

int SetClip(DeviceContext& dc, std::optional<Region> clip) {
    dc.State().clip = std::move(clip);
    dc.ClipChanged();
    return dc.Visible().Complexity();
}

RECT LogicalRect(DeviceContext& dc, int l, int t, int r, int b) {
    POINT a = dc.ToDevice({l, t}), c = dc.ToDevice({r, b});
    return Ordered(a.x, a.y, c.x, c.y);
}

// A region given in logical coordinates, moved to the DC's surface.
Region OnSurface(DeviceContext& dc, const Region& region) {
    Region r = region;
    r.Offset(dc.DxSurface(), dc.DySurface());
    return r;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    GdiLock lock;
    return InsertRegion(Region(Ordered(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) {
        SetInvalidParameter();
        return nullptr;
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
    GdiLock lock;
    return InsertRegion(RoundRectRegion(Ordered(left, top, right, bottom), width, height));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    GdiLock lock;
    RECT box = Ordered(left, top, right, bottom);
    return InsertRegion(RoundRectRegion(box, box.right - box.left, box.bottom - box.top));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
    if (!rect) {
        SetInvalidParameter();
        return nullptr;
    }
    return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    GdiLock lock;
    if (!points || count < 2 || (fillMode != ALTERNATE && fillMode != WINDING)) {
        SetInvalidParameter();
        return nullptr;
    }
    std::vector<PointF> poly;
    for (int i = 0; i < count; ++i)
        poly.push_back({double(points[i].x), double(points[i].y)});
    return InsertRegion(PolygonRegion({poly}, fillMode));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    GdiLock lock;
    auto d = LookupRegion(dest);
    auto a = LookupRegion(src1);
    if (!d || !a) return ERROR;
    if (mode == RGN_COPY) {
        d->region = a->region;
        return d->region.Complexity();
    }
    auto b = LookupRegion(src2);
    if (!b) return ERROR;
    RegionOp op;
    switch (mode) {
    case RGN_AND:
        op = RegionOp::And;
        break;
    case RGN_OR:
        op = RegionOp::Or;
        break;
    case RGN_XOR:
        op = RegionOp::Xor;
        break;
    case RGN_DIFF:
        op = RegionOp::Diff;
        break;
    default:
        SetInvalidParameter();
        return ERROR;
    }
    d->region = a->region.Combine(b->region, op);
    return d->region.Complexity();
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    GdiLock lock;
    auto r = LookupRegion(region);
    if (!r) return FALSE;
    r->region.SetRect(Ordered(left, top, right, bottom));
    return TRUE;
}

int OffsetRgn(HRGN region, int dx, int dy) {
    GdiLock lock;
    auto r = LookupRegion(region);
    if (!r) return ERROR;
    r->region.Offset(dx, dy);
    return r->region.Complexity();
}

int GetRgnBox(HRGN region, LPRECT box) {
    GdiLock lock;
    auto r = LookupRegion(region);
    if (!r || !box) return ERROR;
    *box = r->region.Box();
    return r->region.Complexity();
}

BOOL PtInRegion(HRGN region, int x, int y) {
    GdiLock lock;
    auto r = LookupRegion(region);
    return r && r->region.Contains(x, y);
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
    GdiLock lock;
    auto r = LookupRegion(region);
    return r && rect &&
           r->region.Intersects(Ordered(rect->left, rect->top, rect->right, rect->bottom));
}

BOOL EqualRgn(HRGN a, HRGN b) {
    GdiLock lock;
    auto ra = LookupRegion(a), rb = LookupRegion(b);
    if (!ra || !rb) return ERROR;
    return ra->region == rb->region;
}

DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data) {
    GdiLock lock;
    auto r = LookupRegion(region);
    if (!r) return 0;
    std::vector<RECT> rects = r->region.Rects();
    DWORD needed = sizeof(RGNDATAHEADER) + static_cast<DWORD>(rects.size() * sizeof(RECT));
    if (!data) return needed;
    if (size < needed) return 0;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    data->rdh.rcBound = r->region.Box();
    if (!rects.empty()) std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
    return size;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto r = LookupRegion(region);
    auto b = LookupGdi<BrushObject>(brush);
    if (!ctx || !r || !b) return FALSE;
    if (auto ink = BrushInk(*ctx, *b, R2_COPYPEN))
        FillRegion(ctx->Target(), ctx->Visible(), OnSurface(*ctx, r->region), *ink);
    return TRUE;
}

BOOL PaintRgn(HDC dc, HRGN region) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    return FillRgn(dc, region, static_cast<HBRUSH>(ctx->State().brush->handle));
}

BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto r = LookupRegion(region);
    auto b = LookupGdi<BrushObject>(brush);
    if (!ctx || !r || !b) return FALSE;
    // The frame is what the region loses when shrunk by width and height.
    Region inner = r->region;
    for (POINT d : {POINT{width, 0}, POINT{-width, 0}, POINT{0, height}, POINT{0, -height}}) {
        Region moved = r->region;
        moved.Offset(d.x, d.y);
        inner = inner.Combine(moved, RegionOp::And);
    }
    if (auto ink = BrushInk(*ctx, *b, R2_COPYPEN))
        FillRegion(ctx->Target(), ctx->Visible(),
                   OnSurface(*ctx, r->region.Combine(inner, RegionOp::Diff)), *ink);
    return TRUE;
}

BOOL InvertRgn(HDC dc, HRGN region) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto r = LookupRegion(region);
    if (!ctx || !r) return FALSE;
    FillRegion(ctx->Target(), ctx->Visible(), OnSurface(*ctx, r->region), SolidInk(0, R2_NOT));
    return TRUE;
}

// --- Clipping -------------------------------------------------------------------

int SelectClipRgn(HDC dc, HRGN region) {
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC dc, HRGN region, int mode) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return ERROR;
    if (!region) {
        if (mode != RGN_COPY) {
            SetInvalidParameter();
            return ERROR;
        }
        return SetClip(*ctx, std::nullopt);
    }
    auto r = LookupRegion(region);
    if (!r) return ERROR;
    // The DC keeps its own copy: the caller may change or delete the region.
    Region base = ClipOrBounds(*ctx);
    switch (mode) {
    case RGN_COPY:
        return SetClip(*ctx, r->region);
    case RGN_AND:
        return SetClip(*ctx, base.Combine(r->region, RegionOp::And));
    case RGN_OR:
        return SetClip(*ctx, base.Combine(r->region, RegionOp::Or));
    case RGN_XOR:
        return SetClip(*ctx, base.Combine(r->region, RegionOp::Xor));
    case RGN_DIFF:
        return SetClip(*ctx, base.Combine(r->region, RegionOp::Diff));
    default:
        SetInvalidParameter();
        return ERROR;
    }
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return ERROR;
    RECT r = LogicalRect(*ctx, left, top, right, bottom);
    return SetClip(*ctx, ClipOrBounds(*ctx).Intersect(r));
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return ERROR;
    RECT r = LogicalRect(*ctx, left, top, right, bottom);
    return SetClip(*ctx, ClipOrBounds(*ctx).Combine(Region(r), RegionOp::Diff));
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return ERROR;
    if (!ctx->State().clip) return ctx->Visible().Complexity();
    Region moved = *ctx->State().clip;
    moved.Offset(dx, dy);
    return SetClip(*ctx, std::move(moved));
}

int GetClipBox(HDC dc, LPRECT box) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !box) return ERROR;
    const Region& visible = ctx->Visible();
    RECT b = visible.Box();
    int dx = ctx->DxSurface(), dy = ctx->DySurface();
    *box = {b.left - dx, b.top - dy, b.right - dx, b.bottom - dy};
    return visible.Complexity();
}

int GetClipRgn(HDC dc, HRGN region) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto r = LookupRegion(region);
    if (!ctx || !r) return -1;
    if (!ctx->State().clip) return 0;
    r->region = *ctx->State().clip;
    return 1;
}

BOOL PtVisible(HDC dc, int x, int y) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return -1;
    POINT p = ctx->ToSurface({x, y});
    return ctx->Visible().Contains(p.x, p.y);
}

BOOL RectVisible(HDC dc, const RECT* rect) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !rect) return FALSE;
    RECT r = LogicalRect(*ctx, rect->left, rect->top, rect->right, rect->bottom);
    return ctx->Visible().Intersects({r.left + ctx->Origin().x, r.top + ctx->Origin().y,
                                      r.right + ctx->Origin().x, r.bottom + ctx->Origin().y});
}
