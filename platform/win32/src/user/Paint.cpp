// Update areas and the painting cycle: invalidation, validation, WM_PAINT.
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>

using namespace win32::user;

namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT ClientBox(const Window& w) {
    return {0, 0, w.clientRect.right - w.clientRect.left, w.clientRect.bottom - w.clientRect.top};
}

// Adds a rectangle to an update area, keeping it free of rectangles that others contain.
void AddArea(std::vector<RECT>& area, const RECT& r) {
    if (Empty(r)) return;
    for (const RECT& have : area)
        if (Contains(have, r)) return;
    area.erase(std::remove_if(area.begin(), area.end(),
                              [&](const RECT& have) { return Contains(r, have); }),
               area.end());
    area.push_back(r);
}

// Removes a rectangle from an update area, splitting what it cuts.
void SubtractArea(std::vector<RECT>& area, const RECT& r) {
    std::vector<RECT> out;
    for (const RECT& a : area) {
        RECT cut = Intersect(a, r);
        if (Empty(cut)) {
            out.push_back(a);
            continue;
        }
        RECT pieces[4] = {{a.left, a.top, a.right, cut.top},
                          {a.left, cut.bottom, a.right, a.bottom},
                          {a.left, cut.top, cut.left, cut.bottom},
                          {cut.right, cut.top, a.right, cut.bottom}};
        for (const RECT& p : pieces)
            if (!Empty(p)) out.push_back(p);
    }
    area.swap(out);
}

bool VisibleLocked(Window* w) {
    while (w) {
        if (!(w->style & WS_VISIBLE)) return false;
        if (!w->parent) return true;
        w = Find(w->parent);
    }
    return false;
}

// Invalidates or validates `r` (client coordinates of w), and children as the flags say.
void Update(Window* w, const RECT& r, UINT flags) {
    const bool invalidate = (flags & RDW_INVALIDATE) != 0;
    const bool validate = (flags & RDW_VALIDATE) != 0;
    RECT area = Intersect(r, ClientBox(*w));
    bool before = w->NeedsPaint();
    if (invalidate && VisibleLocked(w)) {
        AddArea(w->update, area);
        if (flags & RDW_ERASE) w->eraseNeeded = true;
    }
    if (validate) {
        SubtractArea(w->update, area);
        if (flags & RDW_NOERASE) w->eraseNeeded = false;
        if (w->update.empty()) w->eraseNeeded = false;
    }
    if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
    SetNeedsPaint(*w, before);

    const bool children = (flags & RDW_ALLCHILDREN) ||
                          (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
    if (!children) return;
    for (HWND hwnd : w->children) {
        Window* c = Find(hwnd);
        if (!c) continue;
        // The child's client area, in w's client coordinates.
        RECT inParent = c->clientRect;
        RECT part = Intersect(area, inParent);
        if (Empty(part)) continue;
        OffsetRect(&part, -inParent.left, -inParent.top);
        Update(c, part, flags);
    }
}

void PaintNow(HWND hwnd, bool children) {
    bool needs;
    std::vector<HWND> kids;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        needs = !w->update.empty();
        if (children) kids = w->children;
    }
    if (needs) SendMessageW(hwnd, WM_PAINT, 0, 0);
    for (HWND k : kids) PaintNow(k, true);
}

} // namespace

namespace win32::user {

void InvalidateWhole(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE); }

void InvalidateAfterMove(HWND hwnd, const RECT& oldRect) {
    HWND parent = nullptr;
    RECT newRect{};
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        parent = w->parent;
        newRect = w->rect;
    }
    InvalidateWhole(hwnd);
    if (!parent) return;
    // The parent shows through where the window was, and is covered where it is now.
    RedrawWindow(parent, &oldRect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
    RedrawWindow(parent, &newRect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
}

void ValidateAfterUnhandledPaint(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !w->NeedsPaint()) return;
    bool before = w->NeedsPaint();
    w->update.clear();
    w->eraseNeeded = false;
    w->internalPaint = false;
    SetNeedsPaint(*w, before);
}

// The update area's bounding box and the erase flag; clears both.
bool TakeUpdate(HWND hwnd, RECT& box, bool& erase) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return false;
    box = {0, 0, 0, 0};
    for (const RECT& r : w->update) UnionRect(&box, &box, &r);
    erase = w->eraseNeeded;
    bool before = w->NeedsPaint();
    w->update.clear();
    w->eraseNeeded = false;
    w->internalPaint = false;
    SetNeedsPaint(*w, before);
    return true;
}

// The update area as rectangles in client coordinates.
std::vector<RECT> UpdateArea(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    return w ? w->update : std::vector<RECT>{};
}

} // namespace win32::user

BOOL RedrawWindow(HWND hwnd, const RECT* update, HRGN region, UINT flags) {
    if (!hwnd) {
        std::vector<HWND> tops;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            tops = S().topLevels;
        }
        for (HWND top : tops) RedrawWindow(top, update, region, flags);
        return TRUE;
    }
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        if (region) {
            RECT box{};
            GetRgnBox(region, &box);
            Update(w, box, flags);
        } else {
            Update(w, update ? *update : ClientBox(*w), flags);
        }
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        PaintNow(hwnd, (flags & RDW_ALLCHILDREN) || !(flags & RDW_NOCHILDREN));
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    RECT box{0, 0, 0, 0};
    for (const RECT& r : w->update) UnionRect(&box, &box, &r);
    if (rect) *rect = box;
    return Empty(box) ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
    std::vector<RECT> area = win32::user::UpdateArea(hwnd);
    SetRectRgn(region, 0, 0, 0, 0);
    for (const RECT& r : area) {
        HRGN piece = CreateRectRgnIndirect(&r);
        CombineRgn(region, region, piece, RGN_OR);
        DeleteObject(piece);
    }
    if (area.empty()) return NULLREGION;
    return area.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL UpdateWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return FALSE;
    PaintNow(hwnd, false);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    if (!paint) return nullptr;
    *paint = PAINTSTRUCT{};
    RECT box{};
    bool erase = false;
    if (!win32::user::TakeUpdate(hwnd, box, erase)) return nullptr;
    HDC dc = nullptr; // the window's DC arrives with the surfaces
    paint->hdc = dc;
    paint->rcPaint = box;
    // fErase tells the painter that the background still needs erasing.
    if (erase)
        paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE
                                                                                            : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) { return paint != nullptr; }
