// Window geometry: rectangles, coordinates, positioning, showing and enabling.
#include "../present/Presenter.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>

using namespace win32::user;

namespace {

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(hwnd, msg, wParam, lParam);
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Screen position of a window's client origin. Caller holds S().lock.
POINT ClientOrigin(Window* w) {
    POINT p{w->clientRect.left, w->clientRect.top};
    while (w->parent) {
        w = Find(w->parent);
        if (!w) break;
        p.x += w->clientRect.left;
        p.y += w->clientRect.top;
    }
    return p;
}

} // namespace

namespace win32::user {

// The frame around the client area that the default non-client handling draws.
RECT NonClientInsets(DWORD style, DWORD exStyle, bool menu) {
    RECT in{};
    auto add = [&](int x, int y) {
        in.left += x;
        in.right += x;
        in.top += y;
        in.bottom += y;
    };
    if (style & WS_THICKFRAME) add(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        add(GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
    else if (style & WS_BORDER) add(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
    if (exStyle & WS_EX_CLIENTEDGE) add(GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
    if (exStyle & WS_EX_STATICEDGE) add(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
    if ((style & WS_CAPTION) == WS_CAPTION)
        in.top += (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION)
                                               : GetSystemMetrics(SM_CYCAPTION);
    if (menu && !(style & WS_CHILD)) in.top += GetSystemMetrics(SM_CYMENU);
    return in;
}

// Asks the window for its client area (WM_NCCALCSIZE) and stores it. When
// `pos` is given the window is being moved or sized: the message carries the
// new and old rectangles (wParam TRUE), as Windows sends it then.
void RecalcClientRect(HWND hwnd, WINDOWPOS* pos, const RECT* oldRect, const RECT* oldClient) {
    RECT r{};
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        r = w->rect;
    }
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = r;
    if (pos) {
        params.rgrc[1] = *oldRect;
        params.rgrc[2] = *oldClient;
        params.lppos = pos;
        Send(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    } else {
        Send(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&params.rgrc[0]));
    }
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return;
    RECT c = params.rgrc[0];
    c.right = std::max(c.left, c.right);
    c.bottom = std::max(c.top, c.bottom);
    w->clientRect = c;
}

MINMAXINFO DefaultMinMaxInfo(DWORD style) {
    MINMAXINFO info{};
    RECT frame = NonClientInsets(style, 0, false);
    info.ptMaxSize = {GetSystemMetrics(SM_CXSCREEN) + frame.left + frame.right,
                      GetSystemMetrics(SM_CYSCREEN) + frame.top + frame.bottom};
    info.ptMaxPosition = {-frame.left, -frame.top};
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    return info;
}

// WM_SIZE and WM_MOVE with the window's present client size and place.
void SendSizeAndMove(HWND hwnd) {
    RECT client{};
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        client = w->clientRect;
        w->sizePending = false;
    }
    WPARAM kind = IsZoomed(hwnd) ? SIZE_MAXIMIZED : IsIconic(hwnd) ? SIZE_MINIMIZED : SIZE_RESTORED;
    Send(hwnd, WM_SIZE, kind, MAKELPARAM(Width(client), Height(client)));
    Send(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
}

// A window that stopped showing gives up the focus and the activation: the
// focus goes to the parent of a hidden child; a hidden active window passes
// the activation to its owner or the next top-level window, or to none.
void AfterHide(HWND hwnd) {
    HWND focus = GetFocus();
    HWND parent = nullptr;
    bool child = false;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        child = (w->style & WS_CHILD) != 0;
        parent = w->parent;
    }
    const bool focusInside = focus && (focus == hwnd || IsChild(hwnd, focus));
    if (child) {
        if (focusInside) SetFocus(IsWindowVisible(parent) ? parent : nullptr);
        return;
    }
    if (GetActiveWindow() != hwnd) {
        if (focusInside) SetFocus(nullptr);
        return;
    }
    HWND next = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        auto usable = [&](HWND candidate) {
            Window* c = candidate ? Find(candidate) : nullptr;
            return c && candidate != hwnd && !c->destroying && (c->style & WS_VISIBLE) &&
                   !(c->style & WS_DISABLED);
        };
        Window* w = Find(hwnd);
        if (usable(w->owner)) next = w->owner;
        for (HWND top : S().topLevels)
            if (!next && usable(top)) next = top;
    }
    SetActiveWindow(next);
}

// DestroyWindow hides the window without WM_SHOWWINDOW, then lets go of the
// focus and the activation as hiding does.
void HideForDestruction(HWND hwnd) {
    if (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    else
        AfterHide(hwnd);
}

void ShowNewWindow(HWND hwnd) { ShowWindow(hwnd, SW_SHOW); }

} // namespace win32::user

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    if (w->parent) {
        POINT o = ClientOrigin(Find(w->parent));
        OffsetRect(rect, o.x, o.y);
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, Width(w->clientRect), Height(w->clientRect)};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !point) return FALSE;
    POINT o = ClientOrigin(w);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !point) return FALSE;
    POINT o = ClientOrigin(w);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    POINT a{}, b{};
    if (from && from != GetDesktopWindow()) {
        Window* w = Find(from);
        if (!w) return 0;
        a = ClientOrigin(w);
    }
    if (to && to != GetDesktopWindow()) {
        Window* w = Find(to);
        if (!w) return 0;
        b = ClientOrigin(w);
    }
    const int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    x = ClampWindowCoordinate(x);
    y = ClampWindowCoordinate(y);
    cx = ClampWindowCoordinate(cx);
    cy = ClampWindowCoordinate(cy);
    WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
    RECT oldRect{};
    bool wasVisible = false;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        oldRect = w->rect;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        if (flags & SWP_NOMOVE) {
            pos.x = oldRect.left;
            pos.y = oldRect.top;
        }
        if (flags & SWP_NOSIZE) {
            pos.cx = Width(oldRect);
            pos.cy = Height(oldRect);
        }
    }
    RECT oldClient{};
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) oldClient = w->clientRect;
    }
    if (!(flags & SWP_NOSENDCHANGING))
        Send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    pos.cx = std::max(pos.cx, 0);
    pos.cy = std::max(pos.cy, 0);
    const bool moved = pos.x != oldRect.left || pos.y != oldRect.top;
    const bool sized = pos.cx != Width(oldRect) || pos.cy != Height(oldRect);
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        w->rect = {pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        OffsetRect(&w->clientRect, pos.x - oldRect.left, pos.y - oldRect.top);
        if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
        if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
        if (!(flags & SWP_NOZORDER)) {
            auto& siblings = w->parent ? Find(w->parent)->children : S().topLevels;
            siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
            auto at = siblings.begin();
            if (pos.hwndInsertAfter == HWND_BOTTOM) at = siblings.end();
            else if (pos.hwndInsertAfter != HWND_TOP && pos.hwndInsertAfter != HWND_TOPMOST &&
                     pos.hwndInsertAfter != HWND_NOTOPMOST) {
                auto it = std::find(siblings.begin(), siblings.end(), pos.hwndInsertAfter);
                at = it == siblings.end() ? siblings.begin() : it + 1;
            }
            siblings.insert(at, hwnd);
        }
    }
    if (!(flags & SWP_NOSIZE) || (flags & SWP_FRAMECHANGED))
        RecalcClientRect(hwnd, &pos, &oldRect, &oldClient);
    bool visible = IsWindowVisible(hwnd);
    // A top-level window that comes to show is activated (and so focused)
    // before it hears that it shows.
    if ((flags & SWP_SHOWWINDOW) && !wasVisible && !(flags & SWP_NOACTIVATE) &&
        !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
        SetActiveWindow(hwnd);
    if (!(flags & SWP_NOREDRAW) && (moved || sized || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW |
                                                                 SWP_FRAMECHANGED)) ||
                                    !(flags & SWP_NOZORDER))) {
        if (wasVisible || visible) InvalidateAfterMove(hwnd, oldRect);
    }
    win32::present::WindowChanged(hwnd);
    if (!moved) pos.flags |= SWP_NOMOVE;
    if (!sized) pos.flags |= SWP_NOSIZE;
    Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if ((flags & SWP_HIDEWINDOW) && wasVisible) AfterHide(hwnd);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

namespace {

// Deferred positioning: the handle is the list of positions to apply.
std::mutex deferLock;
std::vector<std::vector<WINDOWPOS>*> deferLists;

std::vector<WINDOWPOS>* DeferList(HDWP info) {
    std::lock_guard<std::mutex> guard(deferLock);
    auto* list = static_cast<std::vector<WINDOWPOS>*>(info);
    return std::find(deferLists.begin(), deferLists.end(), list) == deferLists.end() ? nullptr
                                                                                      : list;
}

} // namespace

HDWP BeginDeferWindowPos(int count) {
    if (count < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* list = new std::vector<WINDOWPOS>;
    list->reserve(static_cast<size_t>(count));
    std::lock_guard<std::mutex> guard(deferLock);
    deferLists.push_back(list);
    return list;
}

HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags) {
    auto* list = DeferList(info);
    if (!list || !IsWindow(hwnd)) {
        if (list) EndDeferWindowPos(info); // Windows frees the list on failure
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    list->push_back({hwnd, insertAfter, x, y, cx, cy, flags});
    return info;
}

BOOL EndDeferWindowPos(HDWP info) {
    auto* list = DeferList(info);
    if (!list) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(deferLock);
        deferLists.erase(std::find(deferLists.begin(), deferLists.end(), list));
    }
    std::unique_ptr<std::vector<WINDOWPOS>> owned(list);
    for (const WINDOWPOS& p : *owned)
        SetWindowPos(p.hwnd, p.hwndInsertAfter, p.x, p.y, p.cx, p.cy, p.flags);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
    bool wasVisible;
    DWORD style;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        style = w->style;
    }
    const bool show = cmd != SW_HIDE;
    UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
    if (cmd == SW_SHOWNOACTIVATE || cmd == SW_SHOWNA || cmd == SW_SHOWMINNOACTIVE || cmd == SW_HIDE ||
        (style & WS_CHILD))
        flags |= SWP_NOACTIVATE;
    DWORD newStyle = style & ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (cmd == SW_SHOWMINIMIZED || cmd == SW_MINIMIZE || cmd == SW_SHOWMINNOACTIVE)
        newStyle |= WS_MINIMIZE;
    else if (cmd == SW_SHOWMAXIMIZED) newStyle |= WS_MAXIMIZE;
    else if (cmd == SW_HIDE) newStyle = style;
    if (show == wasVisible && newStyle == style) return wasVisible;
    if (show != wasVisible) Send(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    // A child of a hidden parent only changes its style: nothing of it shows
    // either way, so it is neither positioned nor painted now.
    HWND parent = (style & WS_CHILD) ? GetAncestor(hwnd, GA_PARENT) : nullptr;
    if (parent && !IsWindowVisible(parent) && show != wasVisible) {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) w->style = show ? (newStyle | WS_VISIBLE) : (newStyle & ~WS_VISIBLE);
        return wasVisible;
    }
    if (newStyle != style) {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) w->style = newStyle;
    }
    if (cmd == SW_SHOWMAXIMIZED && !(style & WS_CHILD)) {
        SetWindowPos(hwnd, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                     GetSystemMetrics(SM_CYSCREEN), (flags & ~(SWP_NOSIZE | SWP_NOMOVE)) |
                                                        SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    } else {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    if (show && !(flags & SWP_NOACTIVATE) && GetActiveWindow() != hwnd) SetActiveWindow(hwnd);
    bool sizePending = false;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) sizePending = w->sizePending;
    }
    if (show && sizePending) SendSizeAndMove(hwnd);
    return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (!w->parent) return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) ? TRUE : FALSE; }

BOOL IsZoomed(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE) ? TRUE : FALSE; }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    bool wasDisabled;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (wasDisabled == !enable) return wasDisabled;
        if (enable) w->style &= ~WS_DISABLED;
        else w->style |= WS_DISABLED;
    }
    if (!enable) {
        // A disabled window cannot keep the focus or the mouse; a focused
        // child of it keeps the focus, as it does on Windows.
        if (GetFocus() == hwnd) SetFocus(nullptr);
        if (GetCapture() == hwnd) ReleaseCapture();
    }
    Send(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT in = NonClientInsets(style, exStyle, menu != FALSE);
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}
