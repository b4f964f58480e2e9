#include "Geometry.h"

#include <win32/wingdi.h>

#include <algorithm>
#include <cmath>

namespace win32 {
namespace {

struct Crossing {
    double x;
    int dir;
};

} // namespace

Region PolygonRegion(const std::vector<std::vector<PointF>>& polygons, int fillMode) {
    double minY = 1e18, maxY = -1e18;
    for (const auto& poly : polygons)
        for (const PointF& p : poly) {
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    if (minY > maxY) return Region();
    int top = static_cast<int>(std::floor(minY)), bottom = static_cast<int>(std::ceil(maxY)) + 1;
    std::vector<Crossing> xs;
    return Region::FromRows(top, bottom, [&](int y, std::vector<Span>& out) {
        double yc = y + 0.5;
        xs.clear();
        for (const auto& poly : polygons) {
            size_t n = poly.size();
            for (size_t i = 0; i < n; ++i) {
                const PointF& a = poly[i];
                const PointF& b = poly[(i + 1) % n];
                if (a.y == b.y) continue;
                double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
                if (yc < lo || yc >= hi) continue;
                double x = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
                xs.push_back({x, b.y > a.y ? 1 : -1});
            }
        }
        std::sort(xs.begin(), xs.end(),
                  [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int winding = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            winding += xs[i].dir;
            bool inside = fillMode == WINDING ? winding != 0 : (i % 2) == 0;
            if (!inside) continue;
            int x0 = static_cast<int>(std::ceil(xs[i].x - 0.5));
            int x1 = static_cast<int>(std::ceil(xs[i + 1].x - 0.5));
            if (x1 > x0) out.push_back({x0, x1});
        }
    });
}

bool RoundRectRow(int y, const RECT& box, int ew, int eh, int& x0, int& x1) {
    int w = box.right - box.left, h = box.bottom - box.top;
    if (w <= 0 || h <= 0 || y < box.top || y >= box.bottom) return false;
    ew = std::min(std::abs(ew), w);
    eh = std::min(std::abs(eh), h);
    x0 = box.left;
    x1 = box.right;
    if (ew <= 1 || eh <= 1) return true;
    double rx = (ew - 1) / 2.0, ry = (eh - 1) / 2.0;
    double dy;
    if (y < box.top + ry)
        dy = y - (box.top + ry);
    else if (y > box.bottom - 1 - ry)
        dy = y - (box.bottom - 1 - ry);
    else
        return true;
    double f = dy / (ry + 0.5);
    if (std::abs(f) >= 1) return false;
    double half = (rx + 0.5) * std::sqrt(1 - f * f);
    x0 = static_cast<int>(std::ceil(box.left + rx - half - 1e-9));
    x1 = box.right - (x0 - box.left);
    return x1 > x0;
}

Region RoundRectRegion(const RECT& box, int ew, int eh) {
    return Region::FromRows(box.top, box.bottom, [&](int y, std::vector<Span>& out) {
        int x0, x1;
        if (RoundRectRow(y, box, ew, eh, x0, x1)) out.push_back({x0, x1});
    });
}

void ThinLine(POINT a, POINT b, const std::function<void(int, int)>& plot) {
    int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
    int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int x = a.x, y = a.y;
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            plot(x, y);
            if (err > 0 || (err == 0 && sx < 0)) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            plot(x, y);
            if (err > 0 || (err == 0 && sy < 0)) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

namespace {

Region Disc(PointF c, double radius) {
    int top = static_cast<int>(std::floor(c.y - radius)) - 1;
    int bottom = static_cast<int>(std::ceil(c.y + radius)) + 1;
    return Region::FromRows(top, bottom, [&](int y, std::vector<Span>& out) {
        double dy = y + 0.5 - c.y;
        double d2 = radius * radius - dy * dy;
        if (d2 < 0) return;
        double half = std::sqrt(d2);
        int x0 = static_cast<int>(std::ceil(c.x - half - 0.5));
        int x1 = static_cast<int>(std::floor(c.x + half - 0.5)) + 1;
        if (x1 > x0) out.push_back({x0, x1});
    });
}

} // namespace

Region WideStroke(const std::vector<POINT>& points, bool closed, int width, DWORD style) {
    Region out;
    double hw = width / 2.0;
    DWORD cap = style & PS_ENDCAP_MASK, join = style & PS_JOIN_MASK;
    size_t n = points.size();
    size_t segments = closed ? n : n - 1;
    auto centre = [&](size_t i) { return PointF{points[i % n].x + 0.5, points[i % n].y + 0.5}; };
    for (size_t i = 0; i < segments; ++i) {
        PointF a = centre(i), b = centre(i + 1);
        double len = std::hypot(b.x - a.x, b.y - a.y);
        if (len == 0) continue;
        double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
        bool first = !closed && i == 0, last = !closed && i + 1 == segments;
        if (cap == PS_ENDCAP_SQUARE) {
            if (first) a = {a.x - ux * hw, a.y - uy * hw};
            if (last) b = {b.x + ux * hw, b.y + uy * hw};
        }
        double nx = -uy * hw, ny = ux * hw;
        out = out.Combine(PolygonRegion({{{a.x + nx, a.y + ny},
                                          {b.x + nx, b.y + ny},
                                          {b.x - nx, b.y - ny},
                                          {a.x - nx, a.y - ny}}},
                                        WINDING),
                          RegionOp::Or);
    }
    for (size_t i = 0; i < n; ++i) {
        bool end = !closed && (i == 0 || i + 1 == n);
        bool round = end ? cap == PS_ENDCAP_ROUND : join == PS_JOIN_ROUND;
        if (round || n == 1) out = out.Combine(Disc(centre(i), hw), RegionOp::Or);
    }
    return out;
}

std::vector<POINT> ArcPoints(const RECT& box, POINT start, POINT end) {
    double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
    double rx = (box.right - box.left - 1) / 2.0, ry = (box.bottom - box.top - 1) / 2.0;
    // Angles measured with y up, so that increasing angles run counter-clockwise on screen.
    double a0 = std::atan2(-(start.y - cy) * rx, (start.x - cx) * ry);
    double a1 = std::atan2(-(end.y - cy) * rx, (end.x - cx) * ry);
    if (a1 <= a0) a1 += 2 * M_PI;
    int steps = std::max(8, static_cast<int>((a1 - a0) * std::max(rx, ry) / 2));
    std::vector<POINT> out;
    for (int i = 0; i <= steps; ++i) {
        double a = a0 + (a1 - a0) * i / steps;
        POINT p{static_cast<LONG>(std::lround(cx + rx * std::cos(a))),
                static_cast<LONG>(std::lround(cy - ry * std::sin(a)))};
        if (out.empty() || out.back().x != p.x || out.back().y != p.y) out.push_back(p);
    }
    return out;
}

} // namespace win32
