// Scrolling by itself: while a rubber band is drawn or something is dragged
// over the tree, resting the mouse at an edge (or beyond it) moves the
// content that way on the scroll timer.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/VirtualTreeDataObject.h"

#include <quorlpak/Forms.h>
#include <win32/windows.h>

#include <algorithm>
#include <cstdlib>

TBaseVirtualTree::TScrollDirections TBaseVirtualTree::DetermineScrollDirections(int X, int Y) {
    TScrollDirections result;
    if (!CanAutoScroll()) return result;
    const int clientWidth = GetClientWidth();
    const int clientHeight = GetClientHeight();
    if (HasState(tsWheelPanning) || HasState(tsWheelScrolling)) {
        const int dx = X - FLastClickPos.x, dy = Y - FLastClickPos.y;
        if (dx > 8) result.Include(sdRight);
        if (dx < -8) result.Include(sdLeft);
        if (dy < -8) result.Include(sdUp);
        if (dy > 8) result.Include(sdDown);
        return result;
    }
    const int zone = int(FDefaultNodeHeight);
    if (X < zone && FEffectiveOffsetX != 0) result.Include(sdLeft);
    if (clientWidth + FEffectiveOffsetX < FRangeX && X > clientWidth - zone)
        result.Include(sdRight);
    if (Y < zone && FOffsetY != 0) result.Include(sdUp);
    if (clientHeight - FOffsetY < FRangeY && Y > clientHeight - zone) result.Include(sdDown);
    if (result.Empty()) {
        // Away from the edges: the next contact waits the delay again.
        FDragScrollStart = 0;
        return result;
    }
    // Over the tree itself the mouse has to rest at the edge a while, so
    // that passing over it does not scroll; beyond the tree (a rubber band
    // pulled out of it) scrolling starts at once.
    bool delayed = FDragManager && FDragManager->GetIsDropTarget();
    if (!delayed && HandleAllocated()) {
        POINT screen{X, Y};
        ::ClientToScreen(GetHandle(), &screen);
        delayed = FindControl(WindowFromPoint(screen)) == this;
    }
    if (delayed) {
        const uint64_t now = std::max<uint64_t>(GetTickCount64(), 1);
        if (FDragScrollStart == 0) FDragScrollStart = now;
        if (now - FDragScrollStart < FAutoScrollDelay) result = {};
    }
    return result;
}

void TBaseVirtualTree::DoAutoScroll(int X, int Y) {
    FScrollDirections = DetermineScrollDirections(X, Y);
    if (HasState(tsWheelPanning) || HasState(tsWheelScrolling)) return;
    const bool scrolling = HasState(tsScrollPending) || HasState(tsScrolling);
    if (!FScrollDirections.Empty()) {
        if (!scrolling && HandleAllocated()) {
            DoStateChange({tsScrollPending});
            SetTimer(GetHandle(), ScrollTimer, FAutoScrollDelay, nullptr);
        }
        return;
    }
    if (scrolling) StopTimer(ScrollTimer);
    DoStateChange({}, {tsScrollPending, tsScrolling});
}

void TBaseVirtualTree::DoTimerScroll() {
    if (!HandleAllocated()) return;
    POINT p{};
    GetCursorPos(&p);
    ::ScreenToClient(GetHandle(), &p);
    const TRect client = GetClientRect();
    const bool inside = PtInRect(&client, p) != FALSE;
    const bool panning = HasState(tsWheelPanning) || HasState(tsWheelScrolling);
    const int clientWidth = client.right - client.left;
    const int clientHeight = client.bottom - client.top;
    if (IsMouseSelecting() || inside || panning) {
        // Beyond an edge the content moves faster the farther the mouse is.
        const int stepY = std::min<int>(int(FScrollBarOptions->GetVerticalIncrement()), clientHeight);
        const int stepX = int(FScrollBarOptions->GetHorizontalIncrement());
        int dx = 0, dy = 0;
        if (FScrollDirections.Contains(sdUp)) {
            dy = panning  ? FLastClickPos.y - p.y - 8
                 : inside ? stepY
                          : stepY * std::abs(client.top - p.y);
            if (FOffsetY == 0) FScrollDirections.Exclude(sdUp);
        }
        if (FScrollDirections.Contains(sdDown)) {
            dy = panning  ? FLastClickPos.y - p.y + 8
                 : inside ? -stepY
                          : -stepY * std::abs(p.y - client.bottom);
            if (clientHeight - FOffsetY == FRangeY) FScrollDirections.Exclude(sdDown);
        }
        if (FScrollDirections.Contains(sdLeft)) {
            dx = panning  ? FLastClickPos.x - p.x - 8
                 : inside ? stepX
                          : stepX * std::abs(client.left - p.x);
            if (FEffectiveOffsetX == 0) FScrollDirections.Exclude(sdLeft);
        }
        if (FScrollDirections.Contains(sdRight)) {
            dx = panning  ? FLastClickPos.x - p.x + 8
                 : inside ? -stepX
                          : -stepX * std::abs(p.x - client.right);
            if (clientWidth + FEffectiveOffsetX == FRangeX) FScrollDirections.Exclude(sdRight);
        }
        if (UseRightToLeftAlignment()) dx = -dx;

        if (IsMouseSelecting()) {
            // The band's corner stays under the mouse while the content
            // moves under it.
            TRect clip = client;
            OffsetRect(&clip, dx, dy);
            DoSetOffsetXY(TPoint{FOffsetX + dx, FOffsetY + dy}, DefaultScrollUpdateFlags, &clip);
            if (CalculateSelectionRect(p.x, p.y)) {
                if (HandleDrawSelection(p.x, p.y)) {
                    Invalidate();
                } else {
                    // The strip the move uncovered and the band's old and new extent.
                    TRect strip = client;
                    if (dy > 0) strip.bottom = std::min<LONG>(client.bottom, dy);
                    if (dy < 0) strip.top = std::max<LONG>(client.top, client.bottom + dy);
                    if (dy != 0) InvalidateRect(GetHandle(), &strip, FALSE);
                    strip = client;
                    if (dx > 0) strip.right = std::min<LONG>(client.right, dx);
                    if (dx < 0) strip.left = std::max<LONG>(client.left, client.right + dx);
                    if (dx != 0) InvalidateRect(GetHandle(), &strip, FALSE);
                    TRect band;
                    UnionRect(&band, &FLastSelRect, &FNewSelRect);
                    band = OrderRect(band);
                    OffsetRect(&band, FEffectiveOffsetX, FOffsetY);
                    InflateRect(&band, 1, 1);
                    InvalidateRect(GetHandle(), &band, FALSE);
                }
            }
        } else if (!(FDragManager && FDragManager->GetIsDropTarget()) && (dx != 0 || dy != 0)) {
            // An OLE drop target scrolls with each DragOver instead.
            DoSetOffsetXY(TPoint{FOffsetX + dx, FOffsetY + dy}, DefaultScrollUpdateFlags);
        }
        UpdateWindow(GetHandle());
    }
    if (FScrollDirections.Empty() && !panning) {
        StopTimer(ScrollTimer);
        DoStateChange({}, {tsScrollPending, tsScrolling});
    }
}
