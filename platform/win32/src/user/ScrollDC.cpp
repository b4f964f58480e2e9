// ScrollDC: moves pixels inside a device context, without touching any
// window's update region (the caller repaints what opened up).
#include <win32/windows.h>

#include <algorithm>

BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRgn,
              LPRECT updateRect) {
    if (!dc) return FALSE;
    RECT area{};
    if (scroll) {
        area = *scroll;
    } else if (GetClipBox(dc, &area) == ERROR) {
        return FALSE;
    }
    RECT limit = area;
    if (clip) IntersectRect(&limit, &limit, clip);
    // Where the moved pixels land, inside the clip.
    RECT target = area;
    OffsetRect(&target, dx, dy);
    IntersectRect(&target, &target, &limit);
    const int width = target.right - target.left;
    const int height = target.bottom - target.top;
    if (width > 0 && height > 0) {
        // Through a copy: source and target overlap.
        HDC copy = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(copy, bitmap);
        BitBlt(copy, 0, 0, width, height, dc, target.left - dx, target.top - dy, SRCCOPY);
        BitBlt(dc, target.left, target.top, width, height, copy, 0, 0, SRCCOPY);
        SelectObject(copy, old);
        DeleteObject(bitmap);
        DeleteDC(copy);
    }
    // What no moved pixel covers must be repainted.
    HRGN opened = CreateRectRgnIndirect(&limit);
    HRGN covered = CreateRectRgnIndirect(&target);
    CombineRgn(opened, opened, covered, RGN_DIFF);
    if (updateRgn) CombineRgn(updateRgn, opened, nullptr, RGN_COPY);
    if (updateRect) GetRgnBox(opened, updateRect);
    DeleteObject(opened);
    DeleteObject(covered);
    return TRUE;
}
