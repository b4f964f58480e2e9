// DrawFrameControl in the classic look: buttons, check boxes, radio buttons,
// scroll arrows, size grips, caption buttons and menu marks.
#include "Geometry.h"
#include "UserDraw.h"

#include <algorithm>

using namespace win32;

namespace {

void Pixel(DeviceContext& dc, int x, int y, COLORREF c) {
    FillSolid(dc, {x, y, x + 1, y + 1}, c);
}

void Edge(DeviceContext& dc, RECT r, UINT edge, UINT flags) {
    DrawEdge(static_cast<HDC>(dc.handle), &r, edge, flags);
}

// A square of side `size` centred in r.
RECT CentredSquare(const RECT& r, int size) {
    int x = r.left + (r.right - r.left - size) / 2, y = r.top + (r.bottom - r.top - size) / 2;
    return {x, y, x + size, y + size};
}

// The classic check mark: seven columns of three pixels, a tick 7 x 5 wide.
void CheckMark(DeviceContext& dc, int x, int y, COLORREF c) {
    static const int tops[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        FillSolid(dc, {x + i, y + tops[i], x + i + 1, y + tops[i] + 3}, c);
}

void CheckBox(DeviceContext& dc, const RECT& r, UINT state) {
    RECT box = CentredSquare(r, std::min<LONG>({13, r.right - r.left, r.bottom - r.top}));
    bool grey = state & (DFCS_INACTIVE | DFCS_PUSHED);
    if (state & (DFCS_FLAT | DFCS_MONO)) {
        FillSolid(dc, box, GetSysColor((state & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
        FillSolid(dc, {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1},
                  GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
    } else {
        Edge(dc, box, EDGE_SUNKEN, BF_RECT);
        FillSolid(dc, {box.left + 2, box.top + 2, box.right - 2, box.bottom - 2},
                  GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
    }
    if (!(state & DFCS_CHECKED)) return;
    // A three-state box shows its third state as a grey check.
    bool third = state & DFCS_BUTTON3STATE;
    COLORREF mark = GetSysColor((state & DFCS_INACTIVE) || third ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    int size = box.right - box.left;
    CheckMark(dc, box.left + (size - 7) / 2, box.top + (size - 7) / 2, mark);
}

void RadioButton(DeviceContext& dc, const RECT& r, UINT state) {
    RECT box = CentredSquare(r, std::min<LONG>({12, r.right - r.left, r.bottom - r.top}));
    RECT s = ToSurfaceRect(dc, box);
    double cx = (s.left + s.right - 1) / 2.0, cy = (s.top + s.bottom - 1) / 2.0;
    bool grey = state & (DFCS_INACTIVE | DFCS_PUSHED);
    bool flat = state & (DFCS_FLAT | DFCS_MONO);
    // Rings shaded by which half they are in: light from the top left.
    auto ring = [&](int inset, int upper, int lower) {
        RECT outer{s.left + inset, s.top + inset, s.right - inset, s.bottom - inset};
        RECT inner{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
        Region band =
            RoundRectRegion(outer, outer.right - outer.left, outer.bottom - outer.top)
                .Combine(RoundRectRegion(inner, inner.right - inner.left, inner.bottom - inner.top),
                         RegionOp::Diff);
        Ink up = SolidInk(dc.PixelOf(GetSysColor(upper)), R2_COPYPEN);
        Ink down = SolidInk(dc.PixelOf(GetSysColor(lower)), R2_COPYPEN);
        for (const Band& b : band.Bands())
            for (int y = b.top; y < b.bottom; ++y)
                for (const Span& sp : b.spans)
                    for (int x = sp.left; x < sp.right; ++x)
                        Plot(dc.Target(), dc.Visible(), x, y, (x - cx) + (y - cy) < 0 ? up : down);
    };
    if (flat) {
        int frame = (state & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW;
        ring(0, frame, frame);
    } else {
        ring(0, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        ring(1, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
    }
    RECT inside{s.left + 2, s.top + 2, s.right - 2, s.bottom - 2};
    if (flat) inside = {s.left + 1, s.top + 1, s.right - 1, s.bottom - 1};
    FillRegion(dc.Target(), dc.Visible(),
               RoundRectRegion(inside, inside.right - inside.left, inside.bottom - inside.top),
               SolidInk(dc.PixelOf(GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW)), R2_COPYPEN));
    if (state & DFCS_CHECKED) {
        RECT dot{s.left + 4, s.top + 4, s.right - 4, s.bottom - 4};
        COLORREF c = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        FillRegion(dc.Target(), dc.Visible(),
                   RoundRectRegion(dot, dot.right - dot.left, dot.bottom - dot.top),
                   SolidInk(dc.PixelOf(c), R2_COPYPEN));
    }
}

// The face of a push-like button: raised, or sunken flat when pushed.
RECT ButtonFace(DeviceContext& dc, const RECT& r, UINT state) {
    RECT inner = r;
    if (state & DFCS_FLAT) {
        Edge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
        inner = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    } else if (state & DFCS_PUSHED) {
        FillSolid(dc, r, GetSysColor(COLOR_BTNSHADOW));
        inner = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    } else {
        Edge(dc, r, EDGE_RAISED, BF_RECT);
        inner = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    }
    if (inner.right > inner.left && inner.bottom > inner.top)
        FillSolid(dc, inner, GetSysColor(COLOR_BTNFACE));
    return inner;
}

// A filled triangle pointing in `direction` (DFCS_SCROLLUP ... RIGHT), centred in r.
void Arrow(DeviceContext& dc, const RECT& r, UINT direction, COLORREF c, int shift) {
    int w = r.right - r.left, h = r.bottom - r.top;
    int size = std::max(1, (std::min(w, h) + 1) / 3); // rows of the triangle
    int cx = r.left + w / 2 + shift, cy = r.top + h / 2 + shift;
    for (int i = 0; i < size; ++i) {
        int half = (direction == DFCS_SCROLLUP || direction == DFCS_SCROLLLEFT) ? i : size - 1 - i;
        int offset = i - size / 2;
        if (direction == DFCS_SCROLLUP || direction == DFCS_SCROLLDOWN)
            FillSolid(dc, {cx - half, cy + offset, cx + half + 1, cy + offset + 1}, c);
        else
            FillSolid(dc, {cx + offset, cy - half, cx + offset + 1, cy + half + 1}, c);
    }
}

void ScrollControl(DeviceContext& dc, const RECT& r, UINT state) {
    UINT kind = state & 0x1F;
    if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
        FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
        // Diagonal ridges in the bottom-right corner: highlight, shadow, shadow.
        int size = std::min(r.right - r.left, r.bottom - r.top);
        for (int line = 0; line < size; ++line) {
            int phase = line % 4;
            if (phase == 3) continue;
            COLORREF c = GetSysColor(phase == 0 ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
            for (int k = 0; k <= line; ++k)
                Pixel(dc, r.right - 1 - line + k, r.bottom - 1 - k, c);
        }
        return;
    }
    RECT face = ButtonFace(dc, r, state);
    UINT direction = kind == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : kind & 3;
    int shift = (state & DFCS_PUSHED) ? 1 : 0;
    if (state & DFCS_INACTIVE) {
        Arrow(dc, face, direction, GetSysColor(COLOR_BTNHIGHLIGHT), shift + 1);
        Arrow(dc, face, direction, GetSysColor(COLOR_BTNSHADOW), shift);
    } else {
        Arrow(dc, face, direction, GetSysColor(COLOR_BTNTEXT), shift);
    }
}

void CaptionControl(DeviceContext& dc, const RECT& r, UINT state) {
    RECT face = ButtonFace(dc, r, state);
    int shift = (state & DFCS_PUSHED) ? 1 : 0;
    COLORREF c = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    int w = face.right - face.left, h = face.bottom - face.top;
    int size = std::max(2, std::min(w, h) - 6);
    int x = face.left + (w - size) / 2 + shift, y = face.top + (h - size) / 2 + shift;
    switch (state & 0xF) {
    case DFCS_CAPTIONCLOSE:
        for (int i = 0; i < size; ++i) {
            FillSolid(dc, {x + i, y + i, x + i + 2, y + i + 1}, c);
            FillSolid(dc, {x + size - 2 - i, y + i, x + size - i, y + i + 1}, c);
        }
        break;
    case DFCS_CAPTIONMIN:
        FillSolid(dc, {x, y + size - 2, x + size - 2, y + size}, c);
        break;
    case DFCS_CAPTIONMAX:
        FillSolid(dc, {x, y, x + size, y + 2}, c);
        FillSolid(dc, {x, y, x + 1, y + size}, c);
        FillSolid(dc, {x + size - 1, y, x + size, y + size}, c);
        FillSolid(dc, {x, y + size - 1, x + size, y + size}, c);
        break;
    case DFCS_CAPTIONRESTORE: {
        int s = size * 2 / 3;
        for (int k : {0, 1}) {
            int bx = k ? x : x + size - s, by = k ? y + size - s : y;
            FillSolid(dc, {bx, by, bx + s, by + 2}, c);
            FillSolid(dc, {bx, by, bx + 1, by + s}, c);
            FillSolid(dc, {bx + s - 1, by, bx + s, by + s}, c);
            FillSolid(dc, {bx, by + s - 1, bx + s, by + s}, c);
        }
        break;
    }
    default:
        break;
    }
}

// Menu marks are drawn black on white so that callers can use them as masks.
void MenuControl(DeviceContext& dc, const RECT& r, UINT state) {
    FillSolid(dc, r, RGB(255, 255, 255));
    COLORREF black = RGB(0, 0, 0);
    int w = r.right - r.left, h = r.bottom - r.top;
    switch (state & 0xF) {
    case DFCS_MENUCHECK:
        CheckMark(dc, r.left + (w - 7) / 2, r.top + (h - 7) / 2, black);
        break;
    case DFCS_MENUBULLET: {
        RECT dot = CentredSquare(r, std::max(2, std::min(w, h) / 3));
        RECT s = ToSurfaceRect(dc, dot);
        FillRegion(dc.Target(), dc.Visible(),
                   RoundRectRegion(s, s.right - s.left, s.bottom - s.top), SolidInk(0, R2_COPYPEN));
        break;
    }
    default:
        Arrow(dc, r, DFCS_SCROLLRIGHT, black, 0);
        break;
    }
}

} // namespace

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !rect) return FALSE;
    switch (type) {
    case DFC_BUTTON:
        if (state & DFCS_BUTTONPUSH) {
            RECT inner = ButtonFace(*ctx, *rect, state);
            if (state & DFCS_ADJUSTRECT) *rect = inner;
        } else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
            RadioButton(*ctx, *rect, state);
        } else {
            CheckBox(*ctx, *rect, state);
        }
        return TRUE;
    case DFC_SCROLL:
        ScrollControl(*ctx, *rect, state);
        return TRUE;
    case DFC_CAPTION:
        CaptionControl(*ctx, *rect, state);
        return TRUE;
    case DFC_MENU:
    case DFC_POPUPMENU:
        MenuControl(*ctx, *rect, state);
        return TRUE;
    default:
        SetInvalidParameter();
        return FALSE;
    }
}
