// Points, sizes and rectangles as the framework's code writes them: the
// Windows structures with constructors and the usual helpers.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

struct TPoint : POINT {
    constexpr TPoint() : POINT{0, 0} {}
    constexpr TPoint(int ax, int ay) : POINT{ax, ay} {}
    constexpr TPoint(const POINT& p) : POINT(p) {}
    friend constexpr bool operator==(const TPoint& a, const TPoint& b) {
        return a.x == b.x && a.y == b.y;
    }
};

struct TSize : SIZE {
    constexpr TSize() : SIZE{0, 0} {}
    constexpr TSize(int w, int h) : SIZE{w, h} {}
    constexpr TSize(const SIZE& s) : SIZE(s) {}
    friend constexpr bool operator==(const TSize& a, const TSize& b) {
        return a.cx == b.cx && a.cy == b.cy;
    }
};

struct TRect : RECT {
    constexpr TRect() : RECT{0, 0, 0, 0} {}
    constexpr TRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr TRect(const RECT& r) : RECT(r) {}
    constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr TPoint TopLeft() const { return {left, top}; }
    constexpr TPoint BottomRight() const { return {right, bottom}; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    // Right and bottom edges are outside, as for every Windows rectangle.
    constexpr bool Contains(const TPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend constexpr bool operator==(const TRect& a, const TRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

constexpr TPoint Point(int x, int y) {
    return {x, y};
}
constexpr TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

#pragma GCC visibility pop
