// Fonts, text metrics, measuring and text output.
#include "Raster.h"
#include "Text.h"

#include <algorithm>
#include <cstring>

using namespace win32;

namespace win32 {

FontInstance* CurrentFont(DeviceContext& dc) {
    return dc.State().font->Instance().get();
}

std::vector<int> UnitAdvances(DeviceContext& dc, FontInstance& font, const WCHAR* text,
                              int length) {
    std::vector<int> units;
    std::u32string chars = DecodeUtf16(text, length, &units);
    std::vector<int> out(length, 0);
    for (size_t i = 0; i < chars.size(); ++i)
        out[units[i]] = font.Advance(chars[i]) + dc.State().charExtra;
    return out;
}

void DrawGlyphRun(Surface& s, const Region& clip, FontInstance& font, int x, int y,
                  const std::u32string& chars, const std::vector<int>& advances, uint32_t color) {
    int baseline = y + font.Metrics().tmAscent;
    bool mono = s.Monochrome();
    int penX = x;
    for (size_t i = 0; i < chars.size(); ++i) {
        const Glyph& g = font.GlyphFor(chars[i]);
        int gx = penX + g.left, gy = baseline - g.top;
        penX += advances[i];
        for (int row = 0; row < g.rows; ++row) {
            const Band* band = clip.BandAt(gy + row);
            if (!band) continue;
            const uint8_t* cov = g.coverage.data() + static_cast<size_t>(row) * g.width;
            for (const Span& sp : band->spans) {
                int a = std::max(sp.left, gx), b = std::min(sp.right, gx + g.width);
                for (int px = a; px < b; ++px) {
                    unsigned c = cov[px - gx];
                    if (!c) continue;
                    if (mono) {
                        if (c >= 128) s.Put(px, gy + row, color);
                        continue;
                    }
                    if (c == 255) {
                        s.Put(px, gy + row, color);
                        continue;
                    }
                    uint32_t d = s.Get(px, gy + row), out = 0;
                    for (int sh = 0; sh < 32; sh += 8) {
                        unsigned dv = (d >> sh) & 0xFF, tv = (color >> sh) & 0xFF;
                        out |= ((dv * (255 - c) + tv * c + 127) / 255) << sh;
                    }
                    s.Put(px, gy + row, out);
                }
            }
        }
    }
}

} // namespace win32

namespace {

// Collapses per-unit advances to per-code-point advances.
std::vector<int> PerChar(const std::vector<int>& unitAdvances, const std::vector<int>& units,
                         int length) {
    std::vector<int> out(units.size(), 0);
    for (size_t i = 0; i < units.size(); ++i) {
        int end = i + 1 < units.size() ? units[i + 1] : length;
        for (int u = units[i]; u < end; ++u)
            out[i] += unitAdvances[u];
    }
    return out;
}

} // namespace

HFONT CreateFontIndirectW(const LOGFONTW* font) {
    GdiLock lock;
    if (!font) {
        SetInvalidParameter();
        return nullptr;
    }
    auto f = std::make_shared<FontObject>();
    f->logFont = *font;
    f->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    // No glyph is drawn larger than 16384 pixels; beyond that the sizes only
    // overflow the arithmetic made on them.
    auto clamp = [](LONG v) { return v < -16384 ? -16384 : v > 16384 ? 16384 : v; };
    f->logFont.lfHeight = clamp(f->logFont.lfHeight);
    f->logFont.lfWidth = clamp(f->logFont.lfWidth);
    return static_cast<HFONT>(InsertGdiObject(std::move(f)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    for (int i = 0; faceName && faceName[i] && i < LF_FACESIZE - 1; ++i)
        lf.lfFaceName[i] = faceName[i];
    return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !metrics) return FALSE;
    FontInstance* font = CurrentFont(*ctx);
    if (!font) return FALSE;
    *metrics = font->Metrics();
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int length, int maxExtent, LPINT fit,
                           LPINT partialExtents, LPSIZE size) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || length < 0 || (length > 0 && !text) || !size) {
        if (ctx) SetInvalidParameter();
        return FALSE;
    }
    FontInstance* font = CurrentFont(*ctx);
    if (!font) return FALSE;
    if (length == 0) {
        // Nothing measured has no height either.
        if (fit) *fit = 0;
        *size = {0, 0};
        return TRUE;
    }
    std::vector<int> adv = UnitAdvances(*ctx, *font, text, length);
    int total = 0, fitted = 0;
    bool fitting = true;
    for (int i = 0; i < length; ++i) {
        total += adv[i];
        if (partialExtents) partialExtents[i] = total;
        // A negative maximum sets no limit.
        if (fitting && (maxExtent < 0 || total <= maxExtent))
            fitted = i + 1;
        else
            fitting = false;
    }
    if (fit) *fit = fitted;
    *size = {total, font->Metrics().tmHeight};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size) {
    return GetTextExtentExPointW(dc, text, length, 0, nullptr, nullptr, size);
}

BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, LPINT widths) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !widths || last < first) return FALSE;
    FontInstance* font = CurrentFont(*ctx);
    if (!font) return FALSE;
    for (UINT c = first; c <= last; ++c)
        widths[c - first] = font->Advance(c);
    return TRUE;
}

BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, LPABC widths) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !widths || last < first) return FALSE;
    FontInstance* font = CurrentFont(*ctx);
    if (!font) return FALSE;
    for (UINT c = first; c <= last; ++c)
        widths[c - first] = font->AbcFor(c);
    return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR face) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return 0;
    // The face asked for, as the program named it; the installed family when none was.
    const LOGFONTW& lf = ctx->State().font->logFont;
    std::u16string name(lf.lfFaceName,
                        std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0'));
    if (name.empty())
        if (FontInstance* font = CurrentFont(*ctx)) name = font->FaceName();
    if (!face) return static_cast<int>(name.size()) + 1;
    if (count <= 0) return 0;
    int n = std::min<int>(count - 1, static_cast<int>(name.size()));
    std::copy(name.begin(), name.begin() + n, face);
    face[n] = 0;
    return n + 1; // characters written, the terminator included
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                 const INT* dx) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (length > 0 && !text) {
        SetInvalidParameter();
        return FALSE;
    }
    DcState& st = ctx->State();
    Surface& s = ctx->Target();
    Region clip = ctx->Visible();
    RECT surfRect{};
    if (rect) {
        POINT a = ctx->ToSurface({rect->left, rect->top}),
              b = ctx->ToSurface({rect->right, rect->bottom});
        surfRect = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        if (options & ETO_OPAQUE)
            FillRegion(s, clip, Region(surfRect), SolidInk(ctx->PixelOf(st.bkColor), R2_COPYPEN));
        if (options & ETO_CLIPPED) clip = clip.Intersect(surfRect);
    }
    if (length == 0) return TRUE;
    FontInstance* font = CurrentFont(*ctx);
    if (!font) return FALSE;
    int len = static_cast<int>(length);
    std::vector<int> units;
    std::u32string chars = DecodeUtf16(text, len, &units);
    std::vector<int> unitAdv;
    if (dx) {
        // Explicit spacing: one advance per unit (pairs of x, y with ETO_PDY).
        unitAdv.resize(len);
        for (int i = 0; i < len; ++i)
            unitAdv[i] = dx[(options & ETO_PDY) ? 2 * i : i];
    } else {
        unitAdv = UnitAdvances(*ctx, *font, text, len);
    }
    std::vector<int> adv = PerChar(unitAdv, units, len);
    int width = 0;
    for (int a : adv)
        width += a;

    const TEXTMETRICW& tm = font->Metrics();
    bool updateCP = st.textAlign & TA_UPDATECP;
    POINT ref = updateCP ? st.position : POINT{x, y};
    POINT p = ctx->ToSurface(ref);
    UINT h = st.textAlign & TA_CENTER, v = st.textAlign & TA_BASELINE;
    int left = h == TA_RIGHT ? p.x - width : h == TA_CENTER ? p.x - width / 2 : p.x;
    int top = v == TA_BASELINE ? p.y - tm.tmAscent : v == TA_BOTTOM ? p.y - tm.tmHeight : p.y;
    if (updateCP) {
        if (h == TA_LEFT)
            st.position.x += width;
        else if (h == TA_RIGHT)
            st.position.x -= width;
    }

    if (st.bkMode == OPAQUE)
        FillRegion(s, clip, Region(RECT{left, top, left + width, top + tm.tmHeight}),
                   SolidInk(ctx->PixelOf(st.bkColor), R2_COPYPEN));
    uint32_t color = ctx->PixelOf(st.textColor);
    DrawGlyphRun(s, clip, *font, left, top, chars, adv, color);
    Ink line = SolidInk(color, R2_COPYPEN);
    if (font->Underline())
        FillRegion(s, clip,
                   Region(RECT{left, top + font->UnderlineY(), left + width,
                               top + font->UnderlineY() + font->UnderlineThickness()}),
                   line);
    if (font->StrikeOut())
        FillRegion(s, clip,
                   Region(RECT{left, top + font->StrikeOutY(), left + width,
                               top + font->StrikeOutY() + font->StrikeOutThickness()}),
                   line);
    return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
    if (length < 0) {
        SetInvalidParameter();
        return FALSE;
    }
    return ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}
