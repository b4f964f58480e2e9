// GDI+ drawing through cairo. Each call copies the part of the DC's surface
// it may touch into a cairo image, draws there and copies back only the
// pixels inside the DC's visible region, so clipping, origins and 24-bit
// surfaces behave as for GDI calls on the same DC.
#include <win32/gdiplus.h>

#include "gdi/DeviceContext.h"
#include "gdi/Surface.h"

#include <cairo.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace Gdiplus;
using namespace win32;

namespace {

void SetSource(cairo_t* cr, ARGB c) {
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                          (c & 0xFF) / 255.0, ((c >> 24) & 0xFF) / 255.0);
}

void AddPath(cairo_t* cr, const TGPGraphicsPath& path) {
    for (const TGPGraphicsPath::Figure& f : path.Figures()) {
        cairo_move_to(cr, f.Start.X, f.Start.Y);
        for (size_t i = 0; i + 2 < f.Pieces.size(); i += 3)
            cairo_curve_to(cr, f.Pieces[i].X, f.Pieces[i].Y, f.Pieces[i + 1].X, f.Pieces[i + 1].Y,
                           f.Pieces[i + 2].X, f.Pieces[i + 2].Y);
        if (f.Closed) cairo_close_path(cr);
    }
}

// A cairo pattern for a brush, or null for a brush we do not know.
cairo_pattern_t* PatternOf(const TGPBrush* brush) {
    if (auto* solid = dynamic_cast<const TGPSolidBrush*>(brush)) {
        ARGB c = solid->GetColor();
        return cairo_pattern_create_rgba(((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                         (c & 0xFF) / 255.0, ((c >> 24) & 0xFF) / 255.0);
    }
    auto* linear = dynamic_cast<const TGPLinearGradientBrush*>(brush);
    if (!linear) return nullptr;
    TGPPointF a = linear->GetPoint1(), b = linear->GetPoint2();
    cairo_pattern_t* p = cairo_pattern_create_linear(a.X, a.Y, b.X, b.Y);
    auto stop = [&](double at, ARGB c) {
        cairo_pattern_add_color_stop_rgba(p, at, ((c >> 16) & 0xFF) / 255.0,
                                          ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                                          ((c >> 24) & 0xFF) / 255.0);
    };
    stop(0, linear->GetColor1());
    stop(1, linear->GetColor2());
    // Tiling repeats the ramp; the flipped modes mirror every other copy.
    cairo_pattern_set_extend(p, linear->GetWrapMode() == WrapModeTile ? CAIRO_EXTEND_REPEAT
                                                                      : CAIRO_EXTEND_REFLECT);
    return p;
}

// Runs `draw` on a cairo context over the DC's drawable area, in the DC's
// logical coordinates, and writes the result back inside the visible region.
Status DrawOnDC(HDC dc, SmoothingMode smoothing, const std::function<void(cairo_t*)>& draw) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return InvalidParameter;
    Surface& target = ctx->Target();
    const Region& visible = ctx->Visible();
    if (visible.Empty()) return Ok;
    const RECT box = visible.Box();
    const int w = box.right - box.left, h = box.bottom - box.top;

    using SurfaceHolder = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    SurfaceHolder image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h),
                        cairo_surface_destroy);
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return OutOfMemory;
    uint8_t* data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    auto pixel = [&](int x, int y) -> uint32_t& {
        return *reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y - box.top) * stride +
                                            (x - box.left) * 4);
    };
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            pixel(x, y) = target.Get(x, y) & 0xFFFFFF;
    cairo_surface_mark_dirty(image.get());

    cairo_t* cr = cairo_create(image.get());
    // Surface pixel (x, y) is cairo's square x..x+1; GDI+ centres it on x.
    cairo_translate(cr, ctx->DxSurface() - box.left + 0.5, ctx->DySurface() - box.top + 0.5);
    bool aliased = smoothing == SmoothingModeNone || smoothing == SmoothingModeHighSpeed;
    cairo_set_antialias(cr, aliased ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image.get());

    for (const Band& band : visible.Bands())
        for (int y = band.top; y < band.bottom; ++y)
            for (const Span& s : band.spans)
                for (int x = s.left; x < s.right; ++x)
                    target.Put(x, y, (target.Get(x, y) & 0xFF000000) | (pixel(x, y) & 0xFFFFFF));
    return Ok;
}

} // namespace

Status TGPGraphics::SetSmoothingMode(SmoothingMode Mode) {
    if (Mode < SmoothingModeDefault || Mode > SmoothingModeAntiAlias)
        return Remember(InvalidParameter);
    FSmoothing = Mode;
    return Remember(Ok);
}

Status TGPGraphics::FillPath(const TGPBrush* Brush, const TGPGraphicsPath* Path) {
    if (!Brush || !Path) return Remember(InvalidParameter);
    cairo_pattern_t* pattern = PatternOf(Brush);
    if (!pattern) return Remember(InvalidParameter);
    Status s = DrawOnDC(FDC, FSmoothing, [&](cairo_t* cr) {
        AddPath(cr, *Path);
        cairo_set_fill_rule(cr, Path->GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING
                                                                       : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_set_source(cr, pattern);
        cairo_fill(cr);
    });
    cairo_pattern_destroy(pattern);
    return Remember(s);
}

Status TGPGraphics::DrawPath(const TGPPen* Pen, const TGPGraphicsPath* Path) {
    if (!Pen || !Path) return Remember(InvalidParameter);
    return Remember(DrawOnDC(FDC, FSmoothing, [&](cairo_t* cr) {
        AddPath(cr, *Path);
        SetSource(cr, Pen->GetColor());
        cairo_set_line_width(cr, std::max(1.0f, Pen->GetWidth()));
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        cairo_stroke(cr);
    }));
}

Status TGPGraphics::DrawLine(const TGPPen* Pen, float X1, float Y1, float X2, float Y2) {
    TGPGraphicsPath path;
    path.AddLine(X1, Y1, X2, Y2);
    return DrawPath(Pen, &path);
}

Status TGPGraphics::FillRectangle(const TGPBrush* Brush, float X, float Y, float Width,
                                  float Height) {
    if (Width < 0 || Height < 0) return Remember(InvalidParameter);
    TGPGraphicsPath path;
    path.AddLine(X, Y, X + Width, Y);
    path.AddLine(X + Width, Y + Height, X, Y + Height);
    path.CloseFigure();
    return FillPath(Brush, &path);
}
