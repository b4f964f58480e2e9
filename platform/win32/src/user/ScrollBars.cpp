// Scroll bars: the values of a window's two bars and of the "ScrollBar"
// control, their drawing (arrows, dithered track, thumb sized by the page),
// and the modal loop of a press on them that sends WM_VSCROLL/WM_HSCROLL.
#include "NonClient.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>
#include <climits>

using namespace win32::user;

namespace {

constexpr UINT kFirstRepeatMs = 250; // a held arrow repeats after this, then every kRepeatMs
constexpr UINT kRepeatMs = 50;
constexpr int kMinThumb = 8;

bool ValidBar(int bar) {
    return bar == SB_HORZ || bar == SB_VERT || bar == SB_CTL;
}

DWORD StyleBit(int bar) {
    return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
}

ScrollBarState Defaults(int bar) {
    ScrollBarState s;
    if (bar == SB_CTL) s.max = 0; // a control starts with an empty range
    s.initialized = true;
    return s;
}

// The state of a bar, created with the defaults on first use. Caller holds S().lock.
ScrollBarState& StateOf(HWND hwnd, int bar) {
    WindowExtras& extras = ExtrasOf(hwnd);
    ScrollBarState& s = extras.bars[bar];
    if (!s.initialized) s = Defaults(bar);
    // A window's two bars come into being together: the other one has the
    // default range from then on.
    if (bar != SB_CTL) {
        ScrollBarState& other = extras.bars[bar == SB_HORZ ? SB_VERT : SB_HORZ];
        if (!other.initialized) other = Defaults(bar == SB_HORZ ? SB_VERT : SB_HORZ);
    }
    return s;
}

// Whether a window has the bar at all: its style, or values set on it before.
bool HasBar(HWND hwnd, int bar) {
    Window* w = Find(hwnd);
    if (!w) return false;
    if (w->style & StyleBit(bar)) return true;
    WindowExtras* e = FindExtras(hwnd);
    return e && e->bars[bar].initialized;
}

int MaxPos(const ScrollBarState& s) {
    return s.max - std::max(static_cast<int>(s.page) - 1, 0);
}

bool Scrollable(const ScrollBarState& s) {
    return s.min < MaxPos(s);
}

void Clamp(ScrollBarState& s) {
    const long long range = std::max(0LL, static_cast<long long>(s.max) - s.min + 1);
    if (s.page > range) s.page = static_cast<UINT>(range);
    s.pos = std::clamp(s.pos, s.min, std::max(s.min, MaxPos(s)));
    s.trackPos = std::clamp(s.trackPos, s.min, std::max(s.min, MaxPos(s)));
}

bool IsVertical(HWND hwnd, int bar) {
    if (bar != SB_CTL) return bar == SB_VERT;
    return (GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0;
}

// Where a bar lies on the screen.
bool BarScreenRect(HWND hwnd, int bar, RECT& rect) {
    if (bar == SB_CTL) {
        if (!GetClientRect(hwnd, &rect)) return false;
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return true;
    }
    NonClientLayout l;
    if (!GetNonClientLayout(hwnd, l)) return false;
    rect = bar == SB_VERT ? l.vscroll : l.hscroll;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return false;
    POINT o = WindowOrigin(hwnd);
    OffsetRect(&rect, o.x, o.y);
    return true;
}

// The parts of a bar along its axis: arrows, track and thumb.
struct Geometry {
    bool vertical = true;
    int length = 0;
    int arrow = 0;
    int thumbStart = 0;  // from the start of the bar
    int thumbLength = 0; // 0: no thumb
    bool enabled = false;
    int Track() const { return length - 2 * arrow; }
};

Geometry Measure(const ScrollBarState& s, const RECT& r, bool vertical, bool windowEnabled) {
    Geometry g;
    g.vertical = vertical;
    g.length = vertical ? r.bottom - r.top : r.right - r.left;
    const int thickness = vertical ? r.right - r.left : r.bottom - r.top;
    g.arrow = std::min(thickness, g.length / 2);
    g.enabled = windowEnabled && Scrollable(s) && s.disabledArrows != ESB_DISABLE_BOTH;
    const int track = g.Track();
    if (!g.enabled || track <= 0) return g;
    const long long range = static_cast<long long>(s.max) - s.min + 1;
    int thumb = s.page ? static_cast<int>(track * static_cast<long long>(s.page) / range)
                       : GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
    thumb = std::max(thumb, kMinThumb);
    if (thumb > track) return g; // too short to hold a thumb
    const long long span = static_cast<long long>(MaxPos(s)) - s.min;
    const int at = (s.tracking ? s.trackPos : s.pos) - s.min;
    g.thumbLength = thumb;
    g.thumbStart = g.arrow + static_cast<int>((track - thumb) * static_cast<long long>(at) / span);
    return g;
}

int PartAt(const Geometry& g, int along, UINT disabledArrows) {
    if (!g.enabled || along < 0 || along >= g.length) return kNoPart;
    if (along < g.arrow) return (disabledArrows & ESB_DISABLE_LTUP) ? kNoPart : kLineUp;
    if (along >= g.length - g.arrow)
        return (disabledArrows & ESB_DISABLE_RTDN) ? kNoPart : kLineDown;
    if (g.thumbLength == 0) return along < g.length / 2 ? kPageUp : kPageDown;
    if (along < g.thumbStart) return kPageUp;
    if (along < g.thumbStart + g.thumbLength) return kThumb;
    return kPageDown;
}

// The position of a thumb whose top (or left) lies at `start`.
int PosForThumb(const ScrollBarState& s, const Geometry& g, int start) {
    const int room = g.Track() - g.thumbLength;
    if (room <= 0) return s.min;
    start = std::clamp(start, g.arrow, g.arrow + room);
    const long long span = static_cast<long long>(MaxPos(s)) - s.min;
    return s.min + static_cast<int>(((start - g.arrow) * span + room / 2) / room);
}

// The classic track: a dither of the highlight and the scroll bar colour.
HBRUSH DitherBrush() {
    static HBRUSH brush = [] {
        uint32_t bits[64];
        const uint32_t light = 0x00FFFFFF;
        const COLORREF c = GetSysColor(COLOR_SCROLLBAR);
        const uint32_t face = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                bits[y * 8 + x] = ((x + y) & 1) ? face : light;
        HBITMAP pattern = CreateBitmap(8, 8, 1, 32, bits);
        HBRUSH b = CreatePatternBrush(pattern);
        DeleteObject(pattern);
        return b;
    }();
    return brush;
}

RECT AlongRect(const RECT& r, bool vertical, int from, int to) {
    return vertical ? RECT{r.left, r.top + from, r.right, r.top + to}
                    : RECT{r.left + from, r.top, r.left + to, r.bottom};
}

struct ScrollTarget {
    HWND to;
    UINT msg;
    LPARAM lParam;
};

ScrollTarget TargetOf(HWND hwnd, int bar) {
    const UINT msg = IsVertical(hwnd, bar) ? WM_VSCROLL : WM_HSCROLL;
    if (bar == SB_CTL) return {GetParent(hwnd), msg, reinterpret_cast<LPARAM>(hwnd)};
    return {hwnd, msg, 0};
}

void Notify(const ScrollTarget& t, int code, int pos = 0) {
    if (t.to) SendMessageW(t.to, t.msg, MAKEWPARAM(code, pos), t.lParam);
}

int CodeOf(int part) {
    switch (part) {
    case kLineUp:
        return SB_LINEUP;
    case kLineDown:
        return SB_LINEDOWN;
    case kPageUp:
        return SB_PAGEUP;
    default:
        return SB_PAGEDOWN;
    }
}

// Copies of a bar's state and geometry at this moment.
bool Snapshot(HWND hwnd, int bar, ScrollBarState& s, Geometry& g, RECT& screenRect) {
    if (!BarScreenRect(hwnd, bar, screenRect)) return false;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return false;
        s = StateOf(hwnd, bar);
    }
    g = Measure(s, screenRect, IsVertical(hwnd, bar), enabled);
    return true;
}

int Along(const RECT& r, bool vertical, POINT screen) {
    return vertical ? screen.y - r.top : screen.x - r.left;
}

// Applies SCROLLINFO values as SetScrollInfo does and answers the position;
// `show` tells whether the bar should now appear (1), disappear (-1) or stay.
int Apply(HWND hwnd, int bar, const SCROLLINFO& si, int& show) {
    show = 0;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (!Find(hwnd)) return 0;
    ScrollBarState& s = StateOf(hwnd, bar);
    const UINT mask = si.fMask;
    if (mask & SIF_RANGE) {
        s.min = si.nMin;
        s.max = si.nMax;
    }
    if (mask & SIF_PAGE) s.page = si.nPage;
    if (mask & SIF_POS) s.pos = si.nPos;
    Clamp(s);
    const bool paramsChanged = (mask & (SIF_RANGE | SIF_PAGE)) != 0;
    if (mask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
        if (!Scrollable(s)) {
            if (mask & SIF_DISABLENOSCROLL)
                s.disabledArrows = ESB_DISABLE_BOTH;
            else if (bar != SB_CTL && paramsChanged)
                show = -1;
        } else if ((mask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) != SIF_PAGE) {
            // A new page alone does not bring back a bar the range had removed.
            s.disabledArrows = ESB_ENABLE_BOTH;
            if (bar != SB_CTL && paramsChanged) show = 1;
        }
    }
    return s.pos;
}

int SetInfo(HWND hwnd, int bar, const SCROLLINFO& si, BOOL redraw) {
    int show = 0;
    const int pos = Apply(hwnd, bar, si, show);
    bool shown = false;
    if (bar != SB_CTL) {
        const bool has = (GetWindowLongW(hwnd, GWL_STYLE) & StyleBit(bar)) != 0;
        if (show > 0 && !has) {
            ShowScrollBar(hwnd, bar, TRUE); // shows it drawn with the new values
            shown = true;
        }
        if (show < 0 && has) ShowScrollBar(hwnd, bar, FALSE);
    }
    if (redraw && !shown) RedrawScrollBar(hwnd, bar);
    return pos;
}

bool GetInfo(HWND hwnd, int bar, SCROLLINFO& si) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (!Find(hwnd)) return false;
    if (bar != SB_CTL && !HasBar(hwnd, bar)) {
        SetLastError(ERROR_NO_SCROLLBARS);
        return false;
    }
    const ScrollBarState& s = StateOf(hwnd, bar);
    if (si.fMask & SIF_RANGE) {
        si.nMin = s.min;
        si.nMax = s.max;
    }
    if (si.fMask & SIF_PAGE) si.nPage = s.page;
    if (si.fMask & SIF_POS) si.nPos = s.pos;
    if (si.fMask & SIF_TRACKPOS) si.nTrackPos = s.tracking ? s.trackPos : s.pos;
    return (si.fMask & SIF_ALL) != 0;
}

void SetPressed(HWND hwnd, int bar, int part) {
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return;
        ScrollBarState& s = StateOf(hwnd, bar);
        if (s.pressedPart == part) return;
        s.pressedPart = part;
    }
    RedrawScrollBar(hwnd, bar);
}

void SetTracking(HWND hwnd, int bar, bool tracking, int trackPos) {
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return;
        ScrollBarState& s = StateOf(hwnd, bar);
        s.tracking = tracking;
        s.trackPos = trackPos;
    }
    RedrawScrollBar(hwnd, bar);
}

// Mouse messages of the loop, as a screen point; false for other messages.
bool MousePoint(const MSG& m, POINT& screen, bool& up) {
    up = false;
    switch (m.message) {
    case WM_LBUTTONUP:
        up = true;
        [[fallthrough]];
    case WM_MOUSEMOVE:
        screen = {GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        ClientToScreen(m.hwnd, &screen);
        return true;
    case WM_NCLBUTTONUP:
        up = true;
        [[fallthrough]];
    case WM_NCMOUSEMOVE:
        screen = {GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        ExtrasOf(hwnd).bars[SB_CTL] = Defaults(SB_CTL);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        DrawScrollBar(dc, hwnd, SB_CTL, r);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &p);
        TrackScrollBar(hwnd, SB_CTL, p);
        return 0;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case SBM_SETPOS: {
        const int old = GetScrollPos(hwnd, SB_CTL);
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
        SetInfo(hwnd, SB_CTL, si, static_cast<BOOL>(lParam));
        return old;
    }
    case SBM_GETPOS: {
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
        GetInfo(hwnd, SB_CTL, si);
        return si.nPos;
    }
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        const int old = GetScrollPos(hwnd, SB_CTL);
        SCROLLINFO si{sizeof si, SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0,
                      0,         0};
        SetInfo(hwnd, SB_CTL, si, msg == SBM_SETRANGEREDRAW);
        return old;
    }
    case SBM_GETRANGE: {
        SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
        GetInfo(hwnd, SB_CTL, si);
        if (wParam) *reinterpret_cast<int*>(wParam) = si.nMin;
        if (lParam) *reinterpret_cast<int*>(lParam) = si.nMax;
        return 0;
    }
    case SBM_ENABLE_ARROWS: {
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            StateOf(hwnd, SB_CTL).disabledArrows = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
        }
        RedrawScrollBar(hwnd, SB_CTL);
        return TRUE;
    }
    case SBM_SETSCROLLINFO:
        if (!lParam) return 0;
        return SetInfo(hwnd, SB_CTL, *reinterpret_cast<SCROLLINFO*>(lParam),
                       static_cast<BOOL>(wParam));
    case SBM_GETSCROLLINFO:
        if (!lParam) return FALSE;
        return GetInfo(hwnd, SB_CTL, *reinterpret_cast<SCROLLINFO*>(lParam)) ? TRUE : FALSE;
    case SBM_GETSCROLLBARINFO:
        return GetScrollBarInfo(hwnd, OBJID_CLIENT, reinterpret_cast<PSCROLLBARINFO>(lParam));
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

namespace win32::user {

void RegisterScrollBarClass() {
    // Called from the class lookup with the tree lock held; registering comes
    // back through the lookup and must find the flag set.
    static bool registered = false;
    if (registered) return;
    registered = true;
    EnsureLayerClass(u"ScrollBar", ScrollBarProc,
                     CS_DBLCLKS | CS_VREDRAW | CS_HREDRAW | CS_PARENTDC, nullptr);
}

void DrawScrollBar(HDC dc, HWND hwnd, int bar, const RECT& rect) {
    ScrollBarState s;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return;
        s = StateOf(hwnd, bar);
    }
    const bool vertical = IsVertical(hwnd, bar);
    const Geometry g = Measure(s, rect, vertical, IsWindowEnabled(hwnd) != FALSE);
    auto arrow = [&](int from, int to, UINT direction, int part, UINT disabledBit) {
        RECT r = AlongRect(rect, vertical, from, to);
        UINT state = direction;
        if (!g.enabled || (s.disabledArrows & disabledBit))
            state |= DFCS_INACTIVE;
        else if (s.pressedPart == part)
            state |= DFCS_PUSHED | DFCS_FLAT;
        DrawFrameControl(dc, &r, DFC_SCROLL, state);
    };
    arrow(0, g.arrow, vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, kLineUp, ESB_DISABLE_LTUP);
    arrow(g.length - g.arrow, g.length, vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, kLineDown,
          ESB_DISABLE_RTDN);
    const int trackEnd = g.length - g.arrow;
    auto track = [&](int from, int to, bool pressed) {
        if (to <= from) return;
        RECT r = AlongRect(rect, vertical, from, to);
        if (pressed) {
            FillRect(dc, &r, GetSysColorBrush(COLOR_3DDKSHADOW));
        } else {
            SetBrushOrgEx(dc, 0, 0, nullptr);
            FillRect(dc, &r, DitherBrush());
        }
    };
    if (g.thumbLength == 0) {
        track(g.arrow, trackEnd, false);
        return;
    }
    track(g.arrow, g.thumbStart, s.pressedPart == kPageUp);
    track(g.thumbStart + g.thumbLength, trackEnd, s.pressedPart == kPageDown);
    RECT thumb = AlongRect(rect, vertical, g.thumbStart, g.thumbStart + g.thumbLength);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

void RedrawScrollBar(HWND hwnd, int bar) {
    if (!IsWindowVisible(hwnd)) return;
    if (bar == SB_CTL) {
        HDC dc = GetDC(hwnd);
        RECT r;
        GetClientRect(hwnd, &r);
        DrawScrollBar(dc, hwnd, SB_CTL, r);
        ReleaseDC(hwnd, dc);
        return;
    }
    NonClientLayout l;
    if (!GetNonClientLayout(hwnd, l)) return;
    const RECT r = bar == SB_VERT ? l.vscroll : l.hscroll;
    if (r.right <= r.left || r.bottom <= r.top) return;
    HDC dc = GetWindowDC(hwnd);
    DrawScrollBar(dc, hwnd, bar, r);
    ReleaseDC(hwnd, dc);
}

void TrackScrollBar(HWND hwnd, int bar, POINT screen) {
    ScrollBarState s;
    Geometry g;
    RECT rect;
    if (!Snapshot(hwnd, bar, s, g, rect)) return;
    const int part = PartAt(g, Along(rect, g.vertical, screen), s.disabledArrows);
    if (part == kNoPart) return;
    const ScrollTarget target = TargetOf(hwnd, bar);
    SetCapture(hwnd);

    const int grab = Along(rect, g.vertical, screen) - g.thumbStart; // where the thumb was taken
    int trackPos = s.pos;
    UINT_PTR timer = 0;
    if (part == kThumb) {
        SetTracking(hwnd, bar, true, trackPos);
    } else {
        SetPressed(hwnd, bar, part);
        Notify(target, CodeOf(part));
        timer = SetTimer(nullptr, 0, kFirstRepeatMs, nullptr);
    }
    bool repeating = false;
    POINT last = screen;
    MSG m;
    while (IsWindow(hwnd) && GetCapture() == hwnd) {
        if (!GetMessageW(&m, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        bool up = false;
        if (MousePoint(m, last, up)) {
            if (!Snapshot(hwnd, bar, s, g, rect)) break;
            const int along = Along(rect, g.vertical, last);
            if (part == kThumb) {
                const int pos = PosForThumb(s, g, along - grab);
                if (pos != trackPos) {
                    trackPos = pos;
                    SetTracking(hwnd, bar, true, trackPos);
                    Notify(target, SB_THUMBTRACK, trackPos);
                }
            } else {
                SetPressed(hwnd, bar, PartAt(g, along, s.disabledArrows) == part ? part : kNoPart);
            }
            if (up) break;
            continue;
        }
        if (m.message == WM_TIMER && !m.hwnd && m.wParam == timer) {
            // Repeats while the mouse stays on the part; paging stops once
            // the thumb has reached the mouse.
            if (!Snapshot(hwnd, bar, s, g, rect)) break;
            if (PartAt(g, Along(rect, g.vertical, last), s.disabledArrows) == part)
                Notify(target, CodeOf(part));
            if (!repeating) {
                repeating = true;
                SetTimer(nullptr, timer, kRepeatMs, nullptr);
            }
            continue;
        }
        if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) continue; // keys wait
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (timer) KillTimer(nullptr, timer);
    if (part == kThumb) {
        SetTracking(hwnd, bar, false, trackPos);
        Notify(target, SB_THUMBPOSITION, trackPos);
    } else {
        SetPressed(hwnd, bar, kNoPart);
    }
    Notify(target, SB_ENDSCROLL);
    if (GetCapture() == hwnd) ReleaseCapture();
}

} // namespace win32::user

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
    if (!info || !ValidBar(bar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (bar == SB_CTL)
        return static_cast<int>(
            SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
    if (!IsWindow(hwnd)) return 0;
    return SetInfo(hwnd, bar, *info, redraw);
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
    if (!info || !ValidBar(bar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (bar == SB_CTL)
        return static_cast<BOOL>(
            SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
    return GetInfo(hwnd, bar, *info) ? TRUE : FALSE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_SETPOS, pos, redraw));
    SCROLLINFO old{sizeof old, SIF_POS, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &old) && !IsWindow(hwnd)) return 0;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old.nPos;
}

int GetScrollPos(HWND hwnd, int bar) {
    if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_GETPOS, 0, 0));
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
    if (static_cast<long long>(maxPos) - minPos > INT_MAX) {
        SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
        return FALSE;
    }
    if (bar == SB_CTL) {
        SendMessageW(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, minPos, maxPos);
        return TRUE;
    }
    if (!IsWindow(hwnd)) return FALSE;
    SCROLLINFO si{sizeof si, SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
    if (!minPos || !maxPos) return FALSE;
    *minPos = *maxPos = 0;
    if (bar == SB_CTL) {
        SendMessageW(hwnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos),
                     reinterpret_cast<LPARAM>(maxPos));
        return TRUE;
    }
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    if (GetScrollInfo(hwnd, bar, &si)) {
        *minPos = si.nMin;
        *maxPos = si.nMax;
    }
    return IsWindow(hwnd);
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    if (bar == SB_CTL) {
        if (!IsWindow(hwnd)) return FALSE;
        ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
        return TRUE;
    }
    if (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : StyleBit(bar);
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        const DWORD style = show ? (w->style | bits) : (w->style & ~bits);
        if (style == w->style) return TRUE;
        w->style = style;
        if (show) {
            if (bits & WS_HSCROLL) StateOf(hwnd, SB_HORZ);
            if (bits & WS_VSCROLL) StateOf(hwnd, SB_VERT);
        }
    }
    // The client area grows or shrinks by the bar.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
    arrows &= ESB_DISABLE_BOTH;
    if (bar == SB_CTL) {
        if (!IsWindow(hwnd)) return FALSE;
        SendMessageW(hwnd, SBM_ENABLE_ARROWS, arrows, 0);
        if (arrows == ESB_DISABLE_BOTH || arrows == ESB_ENABLE_BOTH)
            EnableWindow(hwnd, arrows == ESB_ENABLE_BOTH);
        return TRUE;
    }
    if (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return FALSE;
        for (int b : {SB_HORZ, SB_VERT}) {
            if (bar != SB_BOTH && static_cast<int>(bar) != b) continue;
            ScrollBarState& s = StateOf(hwnd, b);
            changed |= s.disabledArrows != arrows;
            s.disabledArrows = arrows;
        }
    }
    RedrawScrollBar(hwnd, SB_HORZ);
    RedrawScrollBar(hwnd, SB_VERT);
    return changed ? TRUE : FALSE;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, PSCROLLBARINFO info) {
    if (!info || info->cbSize != sizeof(SCROLLBARINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int bar;
    if (idObject == OBJID_VSCROLL)
        bar = SB_VERT;
    else if (idObject == OBJID_HSCROLL)
        bar = SB_HORZ;
    else if (idObject == OBJID_CLIENT)
        bar = SB_CTL;
    else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsWindow(hwnd)) return FALSE;
    *info = SCROLLBARINFO{sizeof(SCROLLBARINFO), {}, 0, 0, 0, 0, {}};
    ScrollBarState s;
    Geometry g;
    RECT rect{};
    if (!Snapshot(hwnd, bar, s, g, rect)) {
        info->rgstate[0] = STATE_SYSTEM_INVISIBLE;
        return TRUE;
    }
    info->rcScrollBar = rect;
    info->dxyLineButton = g.arrow;
    info->xyThumbTop = g.thumbStart;
    info->xyThumbBottom = g.thumbStart + g.thumbLength;
    if (!g.enabled) info->rgstate[0] = STATE_SYSTEM_UNAVAILABLE;
    if (s.disabledArrows & ESB_DISABLE_LTUP) info->rgstate[1] = STATE_SYSTEM_UNAVAILABLE;
    if (s.disabledArrows & ESB_DISABLE_RTDN) info->rgstate[5] = STATE_SYSTEM_UNAVAILABLE;
    if (s.pressedPart > 0 && s.pressedPart <= 5)
        info->rgstate[s.pressedPart] |= STATE_SYSTEM_PRESSED;
    return TRUE;
}
