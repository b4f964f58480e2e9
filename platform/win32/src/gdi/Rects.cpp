// Rectangle helpers of the user area.
#include <win32/winuser.h>

#include <algorithm>

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT dest, const RECT* src) {
    if (!dest || !src) return FALSE;
    *dest = *src;
    return TRUE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    *rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    *rect = {rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    if (ea)
        *dest = *b;
    else if (eb)
        *dest = *a;
    else
        *dest = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                 std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r = *a;
    RECT cut;
    // Only a cut that spans the whole rectangle in one direction shrinks it.
    if (IntersectRect(&cut, a, b)) {
        if (cut.top == r.top && cut.bottom == r.bottom) {
            if (cut.left == r.left)
                r.left = cut.right;
            else if (cut.right == r.right)
                r.right = cut.left;
        } else if (cut.left == r.left && cut.right == r.right) {
            if (cut.top == r.top)
                r.top = cut.bottom;
            else if (cut.bottom == r.bottom)
                r.bottom = cut.top;
        }
    }
    if (IsRectEmpty(&r)) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT p) {
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}
