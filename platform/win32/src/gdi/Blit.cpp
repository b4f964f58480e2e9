#include "Blit.h"

#include <algorithm>
#include <cstring>

using namespace win32;

namespace win32 {
namespace {

struct Axis {
    int start;  // first pixel, lowest coordinate
    int length; // pixels
    bool flip;
};

Axis MakeAxis(int pos, int size) {
    if (size < 0) return {pos + size + 1, -size, true};
    return {pos, size, false};
}

// Converts a source pixel to the destination's format by GDI's colour rules.
uint32_t ConvertPixel(uint32_t s, const Surface& src, const Surface& dst, uint32_t srcBack,
                      uint32_t dstText, uint32_t dstBack) {
    if (src.Monochrome() && !dst.Monochrome()) return (s & 0xFFFFFF) ? dstBack : dstText;
    if (!src.Monochrome() && dst.Monochrome()) return (s & 0xFFFFFF) == srcBack ? 0xFFFFFF : 0;
    return s;
}

uint8_t Channel(uint32_t v, int shift) {
    return (v >> shift) & 0xFF;
}

uint32_t BlendPixel(uint32_t s, uint32_t d, const BLENDFUNCTION& bf) {
    unsigned sca = bf.SourceConstantAlpha;
    // With per-pixel alpha the source is premultiplied; the constant scales it all.
    unsigned srcA = (bf.AlphaFormat & AC_SRC_ALPHA) ? (Channel(s, 24) * sca + 127) / 255 : sca;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        unsigned v =
            (Channel(s, shift) * sca + 127) / 255 + (Channel(d, shift) * (255 - srcA) + 127) / 255;
        out |= std::min(v, 255u) << shift;
    }
    return out;
}

// Averages the source box that one destination pixel covers (halftone shrink).
uint32_t BoxAverage(const Surface& s, int x0, int x1, int y0, int y1) {
    unsigned sum[4] = {0, 0, 0, 0}, n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            if (!s.Contains(x, y)) continue;
            uint32_t v = s.Get(x, y);
            for (int c = 0; c < 4; ++c)
                sum[c] += Channel(v, c * 8);
            ++n;
        }
    if (!n) return 0;
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c)
        out |= ((sum[c] + n / 2) / n) << (c * 8);
    return out;
}

SurfacePtr Snapshot(const Surface& s, const RECT& r) {
    auto copy = std::make_shared<Surface>(r.right - r.left, r.bottom - r.top, s.Monochrome());
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (s.Contains(x, y)) copy->Put(x - r.left, y - r.top, s.Get(x, y));
    return copy;
}

} // namespace

BlitSource SourceFromDC(DeviceContext& src, int x, int y, int width, int height) {
    BlitSource s;
    s.surface = &src.Target();
    POINT p = src.ToSurface({x, y});
    s.rect = {p.x, p.y, p.x + width, p.y + height};
    s.backPixel = PixelFromColor(src.State().bkColor);
    return s;
}

bool Blit(DeviceContext& dest, int x, int y, int width, int height, const BlitSource* source,
          const BlitParams& params) {
    Surface& dst = dest.Target();
    POINT p = dest.ToSurface({x, y});
    Axis ax = MakeAxis(p.x, width), ay = MakeAxis(p.y, height);
    if (ax.length == 0 || ay.length == 0) return true;
    RECT destRect{ax.start, ay.start, ax.start + ax.length, ay.start + ay.length};
    Region area = dest.Visible().Intersect(destRect);
    if (area.Empty()) return true;

    DcState& st = dest.State();
    std::optional<Ink> pattern = BrushInk(dest, *st.brush, R2_COPYPEN);
    uint32_t text = dest.PixelOf(st.textColor), back = dest.PixelOf(st.bkColor);

    // Source geometry; a copy within one surface reads a snapshot so that
    // overlapping moves (scrolling) see the original pixels.
    const Surface* src = nullptr;
    SurfacePtr snapshot;
    Axis sx{0, 0, false}, sy{0, 0, false};
    uint32_t srcBack = 0;
    if (source && source->surface) {
        sx = MakeAxis(source->rect.left, source->rect.right - source->rect.left);
        sy = MakeAxis(source->rect.top, source->rect.bottom - source->rect.top);
        if (sx.length == 0 || sy.length == 0) return true;
        src = source->surface;
        srcBack = source->backPixel;
        if (src == &dst) {
            snapshot =
                Snapshot(*src, {sx.start, sy.start, sx.start + sx.length, sy.start + sy.length});
            src = snapshot.get();
            sx.start = 0;
            sy.start = 0;
        }
    }
    bool mirrorX = ax.flip != sx.flip, mirrorY = ay.flip != sy.flip;
    // Halftone averages when shrinking; mirrored or enlarged copies sample.
    bool halftone = params.stretchMode == HALFTONE && params.mode == BlitMode::Rop && src &&
                    !mirrorX && !mirrorY && (sx.length > ax.length || sy.length > ay.length);
    uint8_t fore = (params.rop >> 16) & 0xFF, backRop = (params.rop >> 24) & 0xFF;

    // A plain 1:1 colour copy moves whole rows.
    bool plainCopy = src && params.mode == BlitMode::Rop && fore == 0xCC && !params.mask &&
                     sx.length == ax.length && sy.length == ay.length && !mirrorX && !mirrorY &&
                     src->BitsPerPixel() == 32 && dst.BitsPerPixel() == 32 && !src->Monochrome() &&
                     !dst.Monochrome();
    if (plainCopy) {
        int dx = sx.start - ax.start, dy = sy.start - ay.start;
        for (const Band& band : area.Bands())
            for (int yy = band.top; yy < band.bottom; ++yy) {
                int srcY = yy + dy;
                if (srcY < 0 || srcY >= src->Height()) continue;
                for (const Span& span : band.spans) {
                    int a = std::max(span.left, -dx), b = std::min(span.right, src->Width() - dx);
                    if (a >= b) continue;
                    std::memcpy(dst.Row(yy) + 4 * a, src->Row(srcY) + 4 * (a + dx),
                                4 * static_cast<size_t>(b - a));
                }
            }
        return true;
    }

    auto sample = [](const Axis& d, const Axis& s, bool mirror, int pos) {
        long long off =
            (static_cast<long long>(pos - d.start) * 2 + 1) * s.length / (2LL * d.length);
        if (mirror) off = s.length - 1 - off;
        return s.start + static_cast<int>(off);
    };

    for (const Band& band : area.Bands()) {
        for (int yy = band.top; yy < band.bottom; ++yy) {
            int srcY = src ? sample(ay, sy, mirrorY, yy) : 0;
            for (const Span& span : band.spans) {
                for (int xx = span.left; xx < span.right; ++xx) {
                    uint32_t s = 0;
                    if (src) {
                        int srcX = sample(ax, sx, mirrorX, xx);
                        if (!src->Contains(srcX, srcY)) continue;
                        if (halftone) {
                            auto lo = [](const Axis& d, const Axis& a, int pos) {
                                return a.start +
                                       int((long long)(pos - d.start) * a.length / d.length);
                            };
                            int x0 = lo(ax, sx, xx), x1 = std::max(lo(ax, sx, xx + 1), x0 + 1);
                            int y0 = lo(ay, sy, yy), y1 = std::max(lo(ay, sy, yy + 1), y0 + 1);
                            s = BoxAverage(*src, x0, x1, y0, y1);
                        } else {
                            s = src->Get(srcX, srcY);
                        }
                        if (params.mode == BlitMode::Transparent &&
                            (s & 0xFFFFFF) == (params.transparent & 0xFFFFFF))
                            continue;
                        s = ConvertPixel(s, *src, dst, srcBack, text, back);
                    }
                    uint32_t d = dst.Get(xx, yy);
                    uint32_t out;
                    if (params.mode == BlitMode::Alpha) {
                        out = BlendPixel(s, d, params.blend);
                    } else if (params.mode == BlitMode::Transparent) {
                        out = s;
                    } else {
                        uint8_t index = fore;
                        if (params.mask) {
                            int mx = params.maskOrigin.x + (xx - ax.start);
                            int my = params.maskOrigin.y + (yy - ay.start);
                            bool white = params.mask->Contains(mx, my) &&
                                         (params.mask->Get(mx, my) & 0xFFFFFF);
                            index = white ? fore : backRop;
                        }
                        uint32_t pat = 0;
                        if (pattern && !pattern->At(xx, yy, pat)) pat = d;
                        out = ApplyRop3(index, pat, s, d);
                    }
                    dst.Put(xx, yy, dst.Monochrome() ? out & 0xFFFFFF : out);
                }
            }
        }
    }
    return true;
}

} // namespace win32

namespace {

bool BadOrFail(bool cond) {
    if (cond) SetInvalidParameter();
    return cond;
}

} // namespace

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (BadOrFail(RopUsesSource(rop))) return FALSE;
    BlitParams params;
    params.rop = rop;
    return Blit(*ctx, x, y, width, height, nullptr, params);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
    GdiLock lock;
    auto d = LookupDC(dest);
    if (!d) return FALSE;
    BlitParams params;
    params.rop = rop;
    if (!RopUsesSource(rop)) return Blit(*d, x, y, width, height, nullptr, params);
    auto s = LookupDC(src);
    if (!s) return FALSE;
    // BitBlt never mirrors: a negative size only moves both rectangles.
    if (width < 0) {
        x += width + 1;
        xSrc += width + 1;
        width = -width;
    }
    if (height < 0) {
        y += height + 1;
        ySrc += height + 1;
        height = -height;
    }
    BlitSource source = SourceFromDC(*s, xSrc, ySrc, width, height);
    return Blit(*d, x, y, width, height, &source, params);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop) {
    GdiLock lock;
    auto d = LookupDC(dest);
    if (!d) return FALSE;
    BlitParams params;
    params.rop = rop;
    params.stretchMode = d->State().stretchMode;
    if (!RopUsesSource(rop)) return Blit(*d, x, y, width, height, nullptr, params);
    auto s = LookupDC(src);
    if (!s) return FALSE;
    BlitSource source = SourceFromDC(*s, xSrc, ySrc, srcWidth, srcHeight);
    return Blit(*d, x, y, width, height, &source, params);
}

BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
             HBITMAP mask, int xMask, int yMask, DWORD rop) {
    GdiLock lock;
    auto d = LookupDC(dest);
    if (!d) return FALSE;
    BlitParams params;
    params.rop = rop;
    std::shared_ptr<BitmapObject> m;
    if (mask) {
        m = LookupGdi<BitmapObject>(mask);
        if (!m || !m->surface->Monochrome()) {
            SetInvalidParameter();
            return FALSE;
        }
        params.mask = m->surface.get();
        params.maskOrigin = {xMask, yMask};
    } else {
        params.rop = (rop & 0x00FFFFFF) | ((rop & 0x00FF0000) << 8);
    }
    bool needsSource = RopUsesSource(rop) || RopUsesSource((rop >> 8) & 0x00FF0000);
    if (!needsSource) return Blit(*d, x, y, width, height, nullptr, params);
    auto s = LookupDC(src);
    if (!s) return FALSE;
    BlitSource source = SourceFromDC(*s, xSrc, ySrc, width, height);
    return Blit(*d, x, y, width, height, &source, params);
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, UINT transparent) {
    GdiLock lock;
    auto d = LookupDC(dest);
    auto s = LookupDC(src);
    if (!d || !s) return FALSE;
    if (BadOrFail(width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0)) return FALSE;
    BlitParams params;
    params.mode = BlitMode::Transparent;
    params.transparent = PixelFromColor(transparent);
    BlitSource source = SourceFromDC(*s, xSrc, ySrc, srcWidth, srcHeight);
    return Blit(*d, x, y, width, height, &source, params);
}

BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, BLENDFUNCTION blend) {
    GdiLock lock;
    auto d = LookupDC(dest);
    auto s = LookupDC(src);
    if (!d || !s) return FALSE;
    BlitSource source = SourceFromDC(*s, xSrc, ySrc, srcWidth, srcHeight);
    const RECT& r = source.rect;
    const Surface& ss = *source.surface;
    // The source rectangle must lie inside the source surface, as GDI demands.
    bool bad = width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0 ||
               blend.BlendOp != AC_SRC_OVER || r.left < 0 || r.top < 0 || r.right > ss.Width() ||
               r.bottom > ss.Height();
    if (BadOrFail(bad)) return FALSE;
    BlitParams params;
    params.mode = BlitMode::Alpha;
    params.blend = blend;
    return Blit(*d, x, y, width, height, &source, params);
}
