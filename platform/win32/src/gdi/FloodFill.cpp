// Flood fills: the area connected to a point (4-connected, inside what the DC
// may draw on) is found first and then painted with the brush in one pass, so
// that a brush of the very colour being searched cannot make the fill loop.
#include "Raster.h"

#include <win32/wingdi.h>

#include <map>
#include <vector>

using namespace win32;

namespace {

BOOL FillConnected(HDC dc, int x, int y, COLORREF color, UINT type) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (type != FLOODFILLBORDER && type != FLOODFILLSURFACE) {
        SetInvalidParameter();
        return FALSE;
    }
    const Surface& s = ctx->Target();
    const Region& visible = ctx->Visible();
    POINT start = ctx->ToSurface({x, y});
    if (!visible.Contains(start.x, start.y)) return FALSE;
    const uint32_t key = ctx->PixelOf(color) & 0xFFFFFF;
    auto inside = [&](int px, int py) {
        if (!visible.Contains(px, py)) return false;
        bool same = (s.Get(px, py) & 0xFFFFFF) == key;
        return type == FLOODFILLSURFACE ? same : !same;
    };
    if (!inside(start.x, start.y)) return FALSE;

    // Scan-line fill into a per-row list of spans; `seen` marks visited pixels.
    const RECT box = visible.Box();
    const int w = box.right - box.left;
    std::vector<bool> seen(static_cast<size_t>(w) * (box.bottom - box.top), false);
    auto mark = [&](int px, int py) -> std::vector<bool>::reference {
        return seen[static_cast<size_t>(py - box.top) * w + (px - box.left)];
    };
    std::map<int, std::vector<Span>> rows;
    std::vector<POINT> stack{start};
    while (!stack.empty()) {
        POINT p = stack.back();
        stack.pop_back();
        if (mark(p.x, p.y) || !inside(p.x, p.y)) continue;
        int l = p.x, r = p.x;
        while (l - 1 >= box.left && !mark(l - 1, p.y) && inside(l - 1, p.y))
            --l;
        while (r + 1 < box.right && !mark(r + 1, p.y) && inside(r + 1, p.y))
            ++r;
        for (int i = l; i <= r; ++i)
            mark(i, p.y) = true;
        rows[p.y].push_back({l, r + 1});
        for (int ny : {p.y - 1, p.y + 1}) {
            if (ny < box.top || ny >= box.bottom) continue;
            for (int i = l; i <= r; ++i)
                if (!mark(i, ny) && inside(i, ny)) stack.push_back({i, ny});
        }
    }
    Region area = Region::FromRows(rows.begin()->first, rows.rbegin()->first + 1,
                                   [&](int row, std::vector<Span>& out) {
                                       auto it = rows.find(row);
                                       if (it != rows.end())
                                           out.insert(out.end(), it->second.begin(),
                                                      it->second.end());
                                   });
    if (auto ink = BrushInk(*ctx, *ctx->State().brush, ctx->State().rop2))
        FillRegion(ctx->Target(), visible, area, *ink);
    return TRUE;
}

} // namespace

BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type) {
    return FillConnected(dc, x, y, color, type);
}

BOOL FloodFill(HDC dc, int x, int y, COLORREF color) {
    return FillConnected(dc, x, y, color, FLOODFILLBORDER);
}
