// Update areas, window device contexts and the painting cycle.
//
// Each top-level window owns a surface holding the pixels of the whole
// window; its children paint into the same surface at their offset, clipped
// to what is visible of them (ancestors' client areas, siblings above them
// with WS_CLIPSIBLINGS, their own children with WS_CLIPCHILDREN).
#include "../gdi/GdiObjects.h"
#include "../gdi/SurfaceDC.h"
#include "../present/Presenter.h"
#include "NonClient.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>

using namespace win32::user;
using win32::Region;
using win32::RegionOp;

namespace {

RECT ClientBox(const Window& w) {
    return {0, 0, w.clientRect.right - w.clientRect.left, w.clientRect.bottom - w.clientRect.top};
}

bool VisibleLocked(Window* w) {
    while (w) {
        if (!(w->style & WS_VISIBLE)) return false;
        if (!w->parent) return true;
        w = Find(w->parent);
    }
    return false;
}

Window* TopOf(Window* w) {
    while (w && w->parent) w = Find(w->parent);
    return w;
}

// Offset of a window's client origin (or window origin) from its top-level
// window's origin, which is the surface's origin. Caller holds S().lock.
POINT SurfaceOffset(Window* w, bool client) {
    POINT p = client ? POINT{w->clientRect.left, w->clientRect.top}
                     : POINT{w->rect.left, w->rect.top};
    Window* at = w;
    while (at->parent) {
        at = Find(at->parent);
        p.x += at->clientRect.left;
        p.y += at->clientRect.top;
    }
    p.x -= at->rect.left;
    p.y -= at->rect.top;
    return p;
}

RECT InSurface(Window* w, const RECT& r, bool client) {
    POINT o = SurfaceOffset(w, client);
    RECT out = r;
    OffsetRect(&out, o.x, o.y);
    return out;
}

void SubtractSiblingsAbove(Window* w, Region& area) {
    if (!w->parent) return;
    Window* parent = Find(w->parent);
    for (HWND sib : parent->children) {
        if (sib == w->handle) break;
        Window* s = Find(sib);
        if (!s || !(s->style & WS_VISIBLE)) continue;
        area = area.Combine(Region(InSurface(s, {0, 0, s->rect.right - s->rect.left,
                                                 s->rect.bottom - s->rect.top},
                                             false)),
                            RegionOp::Diff);
    }
}

// What of a window (its client area, or the whole window) shows, in surface
// coordinates. Caller holds S().lock.
Region VisibleArea(Window* w, bool client) {
    if (!VisibleLocked(w)) return Region();
    RECT own = client ? ClientBox(*w)
                      : RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    Region area(InSurface(w, own, client));
    // A window and its ancestors show only inside their window regions.
    for (Window* at = w; at; at = at->parent ? Find(at->parent) : nullptr) {
        Region shape;
        if (!WindowRegionOf(at->handle, shape)) continue;
        POINT o = SurfaceOffset(at, false);
        shape.Offset(o.x, o.y);
        area = area.Combine(shape, RegionOp::And);
    }
    for (Window* at = w; at->parent; at = Find(at->parent)) {
        Window* parent = Find(at->parent);
        area = area.Intersect(InSurface(parent, ClientBox(*parent), true));
        if (at->style & WS_CLIPSIBLINGS) SubtractSiblingsAbove(at, area);
    }
    if (client && (w->style & WS_CLIPCHILDREN)) {
        for (HWND child : w->children) {
            Window* c = Find(child);
            if (!c || !(c->style & WS_VISIBLE)) continue;
            area = area.Combine(
                Region(InSurface(c, {0, 0, c->rect.right - c->rect.left, c->rect.bottom - c->rect.top},
                                 false)),
                RegionOp::Diff);
        }
    }
    return area;
}

// The surface of a window's top-level window, sized to it. A window larger
// than any display is painted as far as the largest one reaches: its pixels
// beyond that are never shown, and a surface of its full size may not fit in
// memory at all.
win32::SurfacePtr SurfaceOf(Window* w) {
    constexpr int kMaxSurfaceSide = 8192;
    Window* top = TopOf(w);
    const int width = std::clamp<int>(top->rect.right - top->rect.left, 1, kMaxSurfaceSide);
    const int height = std::clamp<int>(top->rect.bottom - top->rect.top, 1, kMaxSurfaceSide);
    if (!top->surface || top->surface->Width() != width || top->surface->Height() != height)
        top->surface = std::make_shared<win32::Surface>(width, height);
    return top->surface;
}

// True when the window lies in the tree of the window LockWindowUpdate holds.
bool UpdateLocked(Window* w) {
    for (; w; w = w->parent ? Find(w->parent) : nullptr)
        if (w->handle == S().lockedUpdate) return true;
    return false;
}

HDC MakeDC(HWND hwnd, bool client, const Region* within, bool ignoreLock = false) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    Region area = (!ignoreLock && UpdateLocked(w)) ? Region() : VisibleArea(w, client);
    if (within) {
        Region clip = *within;
        POINT o = SurfaceOffset(w, client);
        clip.Offset(o.x, o.y);
        area = area.Combine(clip, RegionOp::And);
    }
    win32::SurfacePtr surface = SurfaceOf(w);
    // Nothing is drawn beyond the surface, so no drawing call walks past it.
    area = area.Intersect(RECT{0, 0, surface->Width(), surface->Height()});
    HDC dc = win32::CreateSurfaceDC(surface, SurfaceOffset(w, client), area);
    win32::present::DrawingBegins(dc, TopOf(w)->handle, area);
    return dc;
}

// Invalidates or validates `area` (client coordinates of w), and children as the flags say.
// The part of a window's client area inside all its ancestors' client areas,
// in its client coordinates: only that part can need painting.
RECT VisibleClientBox(Window* w) {
    RECT box = InSurface(w, ClientBox(*w), true);
    for (Window* at = w; at->parent; at = Find(at->parent)) {
        Window* parent = Find(at->parent);
        RECT outer = InSurface(parent, ClientBox(*parent), true);
        IntersectRect(&box, &box, &outer);
    }
    POINT o = SurfaceOffset(w, true);
    OffsetRect(&box, -o.x, -o.y);
    return box;
}

void Update(Window* w, const Region& area, UINT flags) {
    Region mine = area.Intersect((flags & RDW_INVALIDATE) ? VisibleClientBox(w) : ClientBox(*w));
    const bool before = w->NeedsPaint();
    if ((flags & RDW_INVALIDATE) && VisibleLocked(w)) {
        w->update = w->update.Combine(mine, RegionOp::Or);
        if (flags & RDW_ERASE) w->eraseNeeded = true;
        if (flags & RDW_FRAME) w->frameNeeded = true;
    }
    if (flags & RDW_VALIDATE) {
        w->update = w->update.Combine(mine, RegionOp::Diff);
        if ((flags & RDW_NOERASE) || w->update.Empty()) w->eraseNeeded = false;
        if (flags & RDW_NOFRAME) w->frameNeeded = false;
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
        Region part = mine.Intersect(c->clientRect);
        if (part.Empty()) continue;
        part.Offset(-c->clientRect.left, -c->clientRect.top);
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
        needs = !w->update.Empty() || w->frameNeeded;
        if (children) kids = w->children;
    }
    if (needs) SendMessageW(hwnd, WM_PAINT, 0, 0);
    for (HWND k : kids) PaintNow(k, true);
}

} // namespace

namespace win32::user {

// A window that comes to show, moves or changes size repaints with all its
// children: while it was hidden they could keep no update area (and so
// painted nothing that shows), and a resized top-level window starts from a
// fresh surface.
void InvalidateWhole(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

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
    RedrawWindow(parent, &oldRect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    RedrawWindow(parent, &newRect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
}

void ValidateAfterUnhandledPaint(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !w->NeedsPaint()) return;
    w->update = Region();
    w->eraseNeeded = false;
    w->internalPaint = false;
    SetNeedsPaint(*w, true);
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
        Region area(ClientBox(*w));
        if (region) {
            auto r = win32::LookupGdi<win32::RegionObject>(region);
            if (!r) return FALSE;
            area = r->region;
        } else if (update) {
            area = Region(*update);
        }
        Update(w, area, flags);
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
    // Unlike InvalidateRect, the region calls have no whole-desktop form.
    if (!hwnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    if (!hwnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    RECT box = w->update.Box();
    if (rect) *rect = box;
    return w->update.Empty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
    auto target = win32::LookupGdi<win32::RegionObject>(region);
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !target) return ERROR;
    target->region = w->update;
    return w->update.Complexity();
}

BOOL UpdateWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return FALSE;
    PaintNow(hwnd, false);
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) return win32::CreateScreenDC();
    return MakeDC(hwnd, true, nullptr);
}

HDC GetWindowDC(HWND hwnd) {
    if (!hwnd) return win32::CreateScreenDC();
    return MakeDC(hwnd, false, nullptr);
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
    if (!hwnd) return win32::CreateScreenDC();
    const bool client = !(flags & DCX_WINDOW);
    if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
        auto r = win32::LookupGdi<win32::RegionObject>(clip);
        if (!r) return nullptr;
        Region within = r->region;
        if (flags & DCX_EXCLUDERGN) {
            RECT all{-0x4000000, -0x4000000, 0x4000000, 0x4000000};
            within = Region(all).Combine(within, RegionOp::Diff);
        }
        return MakeDC(hwnd, client, &within, flags & DCX_LOCKWINDOWUPDATE);
    }
    return MakeDC(hwnd, client, nullptr, flags & DCX_LOCKWINDOWUPDATE);
}

BOOL LockWindowUpdate(HWND hwnd) {
    HWND released = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (hwnd) {
            if (!Find(hwnd)) return FALSE;
            if (S().lockedUpdate) return FALSE; // one window at a time
            S().lockedUpdate = hwnd;
            return TRUE;
        }
        released = S().lockedUpdate;
        S().lockedUpdate = nullptr;
    }
    // Whatever was drawn while locked never reached the screen: repaint it all.
    if (released && IsWindow(released))
        RedrawWindow(released, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

int ReleaseDC(HWND hwnd, HDC dc) {
    win32::present::DrawingEnds(dc);
    return DeleteDC(dc) ? 1 : 0;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    if (!paint) return nullptr;
    *paint = PAINTSTRUCT{};
    Region area;
    bool erase = false, frame = false;
    HDC dc = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        area = w->update;
        erase = w->eraseNeeded;
        frame = w->frameNeeded;
        // The client DC opens before the window counts as painted, under the
        // same lock: an observer of open DCs (the snapshot) sees either a
        // window still to paint or a paint under way, never a window that is
        // validated and not drawn yet. It stays open while the frame is drawn.
        dc = MakeDC(hwnd, true, &area);
        const bool before = w->NeedsPaint();
        w->update = Region();
        w->eraseNeeded = false;
        w->internalPaint = false;
        w->frameNeeded = false;
        SetNeedsPaint(*w, before);
    }
    HideCaret(hwnd);
    if (frame) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    paint->hdc = dc;
    paint->rcPaint = area.Box();
    // fErase tells the painter that the background still needs erasing.
    if (erase)
        paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE
                                                                                            : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    if (paint->hdc) {
        win32::present::DrawingEnds(paint->hdc);
        DeleteDC(paint->hdc);
    }
    ShowCaret(hwnd);
    return TRUE;
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRgn,
                   LPRECT updateRect, UINT flags) {
    Region invalid;
    std::vector<HWND> children;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return ERROR;
        RECT area = scroll ? *scroll : ClientBox(*w);
        RECT box = ClientBox(*w);
        IntersectRect(&area, &area, &box);
        if (clip) IntersectRect(&area, &area, clip);
        Region target(area);
        if (VisibleLocked(w)) {
            // Move the pixels that show and land inside the area; the rest must repaint.
            POINT o = SurfaceOffset(w, true);
            Region visible = VisibleArea(w, true);
            visible.Offset(-o.x, -o.y);
            Region source = visible.Combine(target, RegionOp::And);
            Region moved = source;
            moved.Offset(dx, dy);
            moved = moved.Combine(target, RegionOp::And).Combine(visible, RegionOp::And);
            win32::SurfacePtr surface = SurfaceOf(w);
            // Read every source pixel before writing any: source and target overlap.
            std::vector<uint32_t> pixels;
            const std::vector<RECT> rects = moved.Rects();
            for (const RECT& r : rects)
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x) {
                        int sx = x - dx + o.x, sy = y - dy + o.y;
                        pixels.push_back(surface->Contains(sx, sy) ? surface->Get(sx, sy) : 0);
                    }
            size_t i = 0;
            for (const RECT& r : rects)
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x, ++i)
                        if (surface->Contains(x + o.x, y + o.y))
                            surface->Put(x + o.x, y + o.y, pixels[i]);
            invalid = target.Combine(moved, RegionOp::Diff);
            Region shown = moved;
            shown.Offset(o.x, o.y);
            win32::present::SurfaceChanged(TopOf(w)->handle, shown);
        } else {
            invalid = target;
        }
        // What was already waiting to be painted moves with the pixels.
        Region pending = w->update.Combine(target, RegionOp::And);
        w->update = w->update.Combine(target, RegionOp::Diff);
        pending.Offset(dx, dy);
        w->update = w->update.Combine(pending.Combine(target, RegionOp::And), RegionOp::Or);
        if (flags & SW_SCROLLCHILDREN) children = w->children;
    }
    for (HWND child : children) {
        RECT r{};
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            if (Window* c = Find(child)) r = c->rect;
        }
        SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    if (flags & SW_INVALIDATE) {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) Update(w, invalid, RDW_INVALIDATE |
                                                          ((flags & SW_ERASE) ? RDW_ERASE : 0));
    }
    if (updateRgn)
        if (auto r = win32::LookupGdi<win32::RegionObject>(updateRgn)) r->region = invalid;
    if (updateRect) *updateRect = invalid.Box();
    return invalid.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
    return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr,
                          SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != ERROR;
}

HWND WindowFromDC(HDC dc) { return nullptr; }
