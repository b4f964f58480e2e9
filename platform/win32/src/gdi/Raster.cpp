#include "Raster.h"

#include <algorithm>

namespace win32 {
namespace {

const uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}, // HS_HORIZONTAL
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}, // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // HS_BDIAGONAL
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF}, // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // HS_DIAGCROSS
};

int Mod(int a, int m) {
    int r = a % m;
    return r < 0 ? r + m : r;
}

} // namespace

bool Ink::At(int x, int y, uint32_t& out) const {
    if (solid) {
        out = color;
        return true;
    }
    if (hatch) {
        int px = Mod(x - orgX, 8), py = Mod(y - orgY, 8);
        bool line = (hatchBits[py] >> (7 - px)) & 1;
        if (!line && transparentBack) return false;
        out = line ? fore : back;
        return true;
    }
    int px = Mod(x - orgX, pattern->Width()), py = Mod(y - orgY, pattern->Height());
    uint32_t v = pattern->Get(px, py);
    if (monoPattern) v = (v & 0xFFFFFF) ? back : fore;
    out = v;
    return true;
}

Ink SolidInk(uint32_t color, int rop2) {
    Ink ink;
    ink.color = color;
    ink.rop2 = rop2;
    return ink;
}

std::optional<Ink> BrushInk(DeviceContext& dc, const BrushObject& brush, int rop2) {
    DcState& st = dc.State();
    Ink ink;
    ink.rop2 = rop2;
    ink.orgX = st.brushOrg.x + dc.Origin().x;
    ink.orgY = st.brushOrg.y + dc.Origin().y;
    COLORREF color = brush.color;
    if (brush.stock && brush.handle == StockObject(DC_BRUSH)->handle) color = st.dcBrushColor;
    switch (brush.style) {
    case BS_NULL:
        return std::nullopt;
    case BS_HATCHED:
        ink.solid = false;
        ink.hatch = true;
        std::copy(kHatches[std::clamp(brush.hatch, 0, 5)],
                  kHatches[std::clamp(brush.hatch, 0, 5)] + 8, ink.hatchBits);
        ink.fore = dc.PixelOf(color);
        ink.back = dc.PixelOf(st.bkColor);
        ink.transparentBack = st.bkMode == TRANSPARENT;
        return ink;
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (!brush.pattern) return std::nullopt;
        ink.solid = false;
        ink.pattern = brush.pattern.get();
        ink.monoPattern = brush.pattern->Monochrome();
        ink.fore = dc.PixelOf(st.textColor);
        ink.back = dc.PixelOf(st.bkColor);
        return ink;
    default:
        ink.color = dc.PixelOf(color);
        return ink;
    }
}

uint32_t ApplyRop2(int rop2, uint32_t p, uint32_t d) {
    // The mix mode minus one is the truth table over (pen, destination) bit pairs.
    unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF;
    switch (rop2) {
    case R2_COPYPEN:
        return p;
    case R2_NOP:
        return d;
    case R2_XORPEN:
        return p ^ d;
    case R2_NOT:
        return ~d;
    default:
        break;
    }
    uint32_t r = 0;
    for (int pb = 0; pb < 2; ++pb)
        for (int db = 0; db < 2; ++db)
            if ((table >> (pb * 2 + db)) & 1) r |= (pb ? p : ~p) & (db ? d : ~d);
    return r;
}

uint32_t ApplyRop3(uint8_t index, uint32_t p, uint32_t s, uint32_t d) {
    switch (index) {
    case 0xCC:
        return s;
    case 0xF0:
        return p;
    case 0xAA:
        return d;
    case 0x00:
        return 0;
    case 0xFF:
        return 0xFFFFFFFF;
    case 0x66:
        return s ^ d;
    case 0x88:
        return s & d;
    case 0xEE:
        return s | d;
    case 0x55:
        return ~d;
    case 0x5A:
        return p ^ d;
    default:
        break;
    }
    uint32_t r = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (!((index >> bit) & 1)) continue;
        bool pb = bit & 4, sb = bit & 2, db = bit & 1;
        r |= (pb ? p : ~p) & (sb ? s : ~s) & (db ? d : ~d);
    }
    return r;
}

bool RopUsesSource(DWORD rop) {
    uint8_t i = (rop >> 16) & 0xFF;
    return ((i >> 2) & 0x33) != (i & 0x33);
}

bool RopUsesPattern(DWORD rop) {
    uint8_t i = (rop >> 16) & 0xFF;
    return ((i >> 4) & 0x0F) != (i & 0x0F);
}

void FillSpan(Surface& s, const Region& visible, int y, int x0, int x1, const Ink& ink) {
    if (x1 <= x0) return;
    const Band* band = visible.BandAt(y);
    if (!band) return;
    bool mono = s.Monochrome();
    for (const Span& sp : band->spans) {
        int a = std::max(x0, sp.left), b = std::min(x1, sp.right);
        if (a >= b) continue;
        if (ink.solid && ink.rop2 == R2_COPYPEN && s.BitsPerPixel() == 32 && !mono) {
            std::fill_n(reinterpret_cast<uint32_t*>(s.Row(y)) + a, b - a, ink.color);
            continue;
        }
        for (int x = a; x < b; ++x) {
            uint32_t p;
            if (!ink.At(x, y, p)) continue;
            s.Put(x, y, ApplyRop2(ink.rop2, p, s.Get(x, y)) & (mono ? 0xFFFFFF : 0xFFFFFFFF));
        }
    }
}

void FillRegion(Surface& s, const Region& visible, const Region& area, const Ink& ink) {
    if (visible.Bands().empty()) return;
    // Only the rows the visible area has: a huge area costs no more than the surface.
    const int top = visible.Bands().front().top, bottom = visible.Bands().back().bottom;
    for (const Band& b : area.Bands())
        for (int y = std::max(b.top, top); y < std::min(b.bottom, bottom); ++y)
            for (const Span& sp : b.spans)
                FillSpan(s, visible, y, sp.left, sp.right, ink);
}

void Plot(Surface& s, const Region& visible, int x, int y, const Ink& ink) {
    FillSpan(s, visible, y, x, x + 1, ink);
}

} // namespace win32
