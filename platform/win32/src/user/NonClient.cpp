// The non-client area in the classic look: frames for the styles, the caption
// with its buttons (active and inactive colours), the menu bar, the client
// edge and the scroll bars; the hit test over them; window regions.
#include "NonClient.h"

#include "../gdi/GdiObjects.h"
#include "../ole/OleSupport.h"
#include "../present/Presenter.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>
#include <unordered_map>

using namespace win32::user;

namespace {

std::unordered_map<HWND, WindowExtras>& ExtrasTable() {
    static auto* table = new std::unordered_map<HWND, WindowExtras>;
    return *table;
}

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Deflate(RECT r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

int FrameWidth(DWORD style, DWORD exStyle) {
    if (style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
    if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        return GetSystemMetrics(SM_CXDLGFRAME);
    if (style & WS_BORDER) return GetSystemMetrics(SM_CXBORDER);
    return 0;
}

bool HasCaption(DWORD style) {
    return (style & WS_CAPTION) == WS_CAPTION;
}

// The caption buttons, right to left: close, then maximize and minimize.
void PlaceCaptionButtons(NonClientLayout& l) {
    if (!(l.style & WS_SYSMENU) || Empty(l.caption)) return;
    const bool tool = (l.exStyle & WS_EX_TOOLWINDOW) != 0;
    const int h = (l.caption.bottom - l.caption.top) - 4;
    const int w = tool ? h : h + 2;
    RECT box{l.caption.right - 2 - w, l.caption.top + 2, l.caption.right - 2,
             l.caption.top + 2 + h};
    l.closeBox = box;
    if (tool || !(l.style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) return;
    OffsetRect(&box, -(w + 2), 0);
    l.maxBox = box;
    OffsetRect(&box, -w, 0);
    l.minBox = box;
}

void Fill(HDC dc, const RECT& r, int colorIndex) {
    if (!Empty(r)) FillRect(dc, &r, GetSysColorBrush(colorIndex));
}

void DrawFrame(HDC dc, const NonClientLayout& l, bool active) {
    if (l.frame == 0) return;
    RECT r = l.window;
    if (l.style & WS_THICKFRAME) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        HBRUSH border = GetSysColorBrush(active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
        for (int i = 2; i < l.frame; ++i) {
            FrameRect(dc, &r, border);
            r = Deflate(r, 1);
        }
    } else if (l.frame >= 3) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int i = 2; i < l.frame; ++i) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            r = Deflate(r, 1);
        }
    } else {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
}

// A caption filled with the classic gradient, its text and its buttons.
void DrawCaption(HDC dc, HWND hwnd, const NonClientLayout& l, bool active) {
    if (Empty(l.caption)) return;
    RECT bar = l.caption;
    bar.bottom -= 1; // a line of the frame colour parts the caption from what lies below
    Fill(dc, {bar.left, bar.bottom, bar.right, l.caption.bottom}, COLOR_BTNFACE);
    const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const COLORREF to =
        GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    const int64_t width = std::max<LONG>(1, bar.right - bar.left);
    // Only the columns the window's surface holds: a caption may be far wider.
    RECT shown{bar.left, bar.top, bar.right, bar.bottom};
    if (GetClipBox(dc, &shown) == ERROR) shown = bar;
    const int first = std::max(bar.left, shown.left), last = std::min(bar.right, shown.right);
    for (int x = first; x < last; ++x) {
        const int64_t t = x - bar.left;
        auto mix = [&](int a, int b) { return static_cast<int>(a + (b - a) * t / width); };
        HBRUSH b = CreateSolidBrush(RGB(mix(GetRValue(from), GetRValue(to)),
                                        mix(GetGValue(from), GetGValue(to)),
                                        mix(GetBValue(from), GetBValue(to))));
        RECT column{x, bar.top, x + 1, bar.bottom};
        FillRect(dc, &column, b);
        DeleteObject(b);
    }
    WCHAR text[256];
    int n = GetWindowTextW(hwnd, text, 256);
    RECT textRect{bar.left + 3, bar.top, bar.right - 3, bar.bottom};
    if (!Empty(l.minBox))
        textRect.right = l.minBox.left - 2;
    else if (!Empty(l.closeBox))
        textRect.right = l.closeBox.left - 2;
    HGDIOBJ oldFont = SelectObject(dc, BoldMessageFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    DrawTextW(dc, text, n, &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);

    bool closePressed = false;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (WindowExtras* e = FindExtras(hwnd)) closePressed = e->closePressed;
    }
    RECT box = l.closeBox;
    if (!Empty(box))
        DrawFrameControl(dc, &box, DFC_CAPTION,
                         DFCS_CAPTIONCLOSE | (closePressed ? DFCS_PUSHED : 0));
    if (!Empty(l.maxBox)) {
        box = l.maxBox;
        DrawFrameControl(dc, &box, DFC_CAPTION,
                         (IsZoomed(hwnd) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                             ((l.style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
    }
    if (!Empty(l.minBox)) {
        box = l.minBox;
        DrawFrameControl(dc, &box, DFC_CAPTION,
                         DFCS_CAPTIONMIN | ((l.style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
    }
}

bool CaptionActive(HWND hwnd) {
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (WindowExtras* e = FindExtras(hwnd); e && e->captionActive >= 0)
            return e->captionActive != 0;
    }
    return GetActiveWindow() == hwnd;
}

} // namespace

namespace win32::user {

WindowExtras& ExtrasOf(HWND hwnd) {
    return ExtrasTable()[hwnd];
}

WindowExtras* FindExtras(HWND hwnd) {
    auto& table = ExtrasTable();
    auto it = table.find(hwnd);
    return it == table.end() ? nullptr : &it->second;
}

void ReleaseWindowExtras(HWND hwnd) {
    DestroyWindowMenu(hwnd);
    ClipboardWindowGone(hwnd);
    win32::ole::DropTargetWindowGone(hwnd);
    HRGN region = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        auto& table = ExtrasTable();
        auto it = table.find(hwnd);
        if (it == table.end()) return;
        region = it->second.regionHandle;
        table.erase(it);
    }
    if (region) DeleteObject(region);
}

POINT WindowOrigin(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top};
}

bool GetNonClientLayout(HWND hwnd, NonClientLayout& l) {
    RECT windowRect;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return false;
        l.style = w->style;
        l.exStyle = w->exStyle;
        l.menu = (w->style & WS_CHILD) ? nullptr : reinterpret_cast<HMENU>(w->id);
        windowRect = w->rect;
    }
    l.window = {0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};
    l.frame = FrameWidth(l.style, l.exStyle);
    RECT inner = Deflate(l.window, l.frame);
    if (HasCaption(l.style)) {
        const int height = (l.exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION)
                                                          : GetSystemMetrics(SM_CYCAPTION);
        l.caption = {inner.left, inner.top, inner.right, inner.top + height};
        inner.top += height;
        PlaceCaptionButtons(l);
    }
    if (l.menu) {
        l.menuBar = {inner.left, inner.top, inner.right, inner.top + GetSystemMetrics(SM_CYMENU)};
        inner.top += GetSystemMetrics(SM_CYMENU);
    }
    l.edged = inner;
    if (l.exStyle & WS_EX_CLIENTEDGE) l.edge += GetSystemMetrics(SM_CXEDGE);
    if (l.exStyle & WS_EX_STATICEDGE) l.edge += GetSystemMetrics(SM_CXBORDER);
    inner = Deflate(inner, l.edge);
    const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    const bool v = (l.style & WS_VSCROLL) != 0, h = (l.style & WS_HSCROLL) != 0;
    if (v) l.vscroll = {inner.right - cx, inner.top, inner.right, inner.bottom - (h ? cy : 0)};
    if (h) l.hscroll = {inner.left, inner.bottom - cy, inner.right - (v ? cx : 0), inner.bottom};
    if (v && h) l.sizeBox = {inner.right - cx, inner.bottom - cy, inner.right, inner.bottom};
    if (v) inner.right -= cx;
    if (h) inner.bottom -= cy;
    inner.right = std::max(inner.left, inner.right);
    inner.bottom = std::max(inner.top, inner.bottom);
    l.client = inner;
    return true;
}

LRESULT NonClientHitTest(HWND hwnd, POINT screen) {
    RECT windowRect{};
    if (!GetWindowRect(hwnd, &windowRect) || !PtInRect(&windowRect, screen)) return HTNOWHERE;
    if (!PointInWindowRegion(hwnd, screen)) return HTNOWHERE;
    // The client area as the window computed it (WM_NCCALCSIZE) comes first.
    POINT client = screen;
    ScreenToClient(hwnd, &client);
    RECT clientRect{};
    GetClientRect(hwnd, &clientRect);
    if (PtInRect(&clientRect, client)) return HTCLIENT;

    NonClientLayout l;
    if (!GetNonClientLayout(hwnd, l)) return HTNOWHERE;
    const POINT p{screen.x - windowRect.left, screen.y - windowRect.top};
    if (PtInRect(&l.vscroll, p)) return HTVSCROLL;
    if (PtInRect(&l.hscroll, p)) return HTHSCROLL;
    if (PtInRect(&l.sizeBox, p)) return (l.style & WS_THICKFRAME) ? HTGROWBOX : HTBORDER;
    if (PtInRect(&l.menuBar, p)) return HTMENU;
    if (PtInRect(&l.closeBox, p)) return HTCLOSE;
    if (PtInRect(&l.maxBox, p)) return HTMAXBUTTON;
    if (PtInRect(&l.minBox, p)) return HTMINBUTTON;
    if (PtInRect(&l.caption, p)) return HTCAPTION;
    RECT inside = Deflate(l.window, l.frame);
    if (PtInRect(&inside, p)) return HTBORDER; // the client edge
    if (!(l.style & WS_THICKFRAME)) return HTBORDER;
    // Sizing borders, with corners reaching a caption button's size along the edges.
    const int corner = GetSystemMetrics(SM_CXSIZE);
    const bool left = p.x < l.frame, right = p.x >= l.window.right - l.frame;
    const bool top = p.y < l.frame, bottom = p.y >= l.window.bottom - l.frame;
    const bool nearLeft = p.x < corner, nearRight = p.x >= l.window.right - corner;
    const bool nearTop = p.y < corner, nearBottom = p.y >= l.window.bottom - corner;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    return HTBOTTOM;
}

void PaintNonClient(HWND hwnd) {
    NonClientLayout l;
    if (!GetNonClientLayout(hwnd, l) || !IsWindowVisible(hwnd)) return;
    const bool nothing = l.frame == 0 && Empty(l.caption) && Empty(l.menuBar) && l.edge == 0 &&
                         Empty(l.vscroll) && Empty(l.hscroll);
    if (nothing) return; // most child windows: no frame to draw
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    const bool active = CaptionActive(hwnd);
    DrawFrame(dc, l, active);
    DrawCaption(dc, hwnd, l, active);
    if (!Empty(l.menuBar)) {
        int pressed = -1;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            if (WindowExtras* e = FindExtras(hwnd)) pressed = e->hotMenuItem;
        }
        if (IsMenu(l.menu))
            DrawMenuBarIn(dc, l.menu, l.menuBar, pressed);
        else
            Fill(dc, l.menuBar, COLOR_MENU);
    }
    if (l.edge) {
        RECT r = l.edged;
        if (l.exStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        if (l.exStyle & WS_EX_STATICEDGE) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (!Empty(l.vscroll)) DrawScrollBar(dc, hwnd, SB_VERT, l.vscroll);
    if (!Empty(l.hscroll)) DrawScrollBar(dc, hwnd, SB_HORZ, l.hscroll);
    if (!Empty(l.sizeBox)) Fill(dc, l.sizeBox, COLOR_BTNFACE);
    ReleaseDC(hwnd, dc);
}

LRESULT NonClientActivate(HWND hwnd, bool active) {
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return FALSE;
        ExtrasOf(hwnd).captionActive = active ? 1 : 0;
    }
    // The caption shows the change at once, not at the next paint.
    if (HasCaption(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)))) PaintNonClient(hwnd);
    return TRUE;
}

namespace {

// The close box: pressed while the mouse is held over it, closing on release there.
void TrackCloseBox(HWND hwnd) {
    auto setPressed = [&](bool pressed) {
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            if (!Find(hwnd)) return;
            WindowExtras& e = ExtrasOf(hwnd);
            if (e.closePressed == pressed) return;
            e.closePressed = pressed;
        }
        PaintNonClient(hwnd);
    };
    auto overClose = [&](POINT screen) {
        return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTCLOSE;
    };
    setPressed(true);
    SetCapture(hwnd);
    bool close = false;
    MSG m;
    while (IsWindow(hwnd) && GetCapture() == hwnd) {
        if (!GetMessageW(&m, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        POINT screen{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        const bool clientMessage = m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP;
        if (clientMessage) ClientToScreen(m.hwnd, &screen);
        if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
            setPressed(overClose(screen));
        } else if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) {
            close = overClose(screen);
            break;
        } else {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    setPressed(false);
    if (close && IsWindow(hwnd)) SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace

void NonClientButtonDown(HWND hwnd, int hit, POINT screen) {
    switch (hit) {
    case HTVSCROLL:
        TrackScrollBar(hwnd, SB_VERT, screen);
        break;
    case HTHSCROLL:
        TrackScrollBar(hwnd, SB_HORZ, screen);
        break;
    case HTCLOSE:
        TrackCloseBox(hwnd);
        break;
    case HTMENU: {
        POINT origin = WindowOrigin(hwnd);
        int item = MenuBarItemAt(hwnd, {screen.x - origin.x, screen.y - origin.y});
        if (item >= 0) TrackMenuBar(hwnd, item);
        break;
    }
    default:
        break;
    }
}

bool WindowRegionOf(HWND hwnd, win32::Region& region) {
    WindowExtras* e = FindExtras(hwnd);
    if (!e || !e->hasRegion) return false;
    region = e->region;
    return true;
}

bool PointInWindowRegion(HWND hwnd, POINT screen) {
    POINT origin = WindowOrigin(hwnd);
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    win32::Region region;
    if (!WindowRegionOf(hwnd, region)) return true;
    return region.Contains(screen.x - origin.x, screen.y - origin.y);
}

HFONT MessageFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT BoldMessageFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        GetObjectW(MessageFont(), sizeof lf, &lf);
        lf.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

bool EnsureLayerClass(LPCWSTR name, WNDPROC proc, UINT style, HBRUSH background) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(nullptr, name, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    ATOM atom = RegisterClassExW(&wc);
    for (auto& c : S().classes)
        if (c->atom == atom) c->system = true;
    return atom != 0;
}

bool InteractiveDisplay() {
    // With windows on a display, unscripted boxes and menus wait for their user.
    return win32::present::Active();
}

} // namespace win32::user

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
    win32::Region shape;
    if (region) {
        win32::GdiLock lock;
        auto r = win32::LookupGdi<win32::RegionObject>(region);
        if (!r) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        shape = r->region;
    }
    HRGN old = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd)) return 0;
        WindowExtras& e = ExtrasOf(hwnd);
        if (e.regionHandle != region) old = e.regionHandle;
        e.regionHandle = region;
        e.hasRegion = region != nullptr;
        e.region = shape;
    }
    if (old) DeleteObject(old);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                     (redraw ? 0 : SWP_NOREDRAW));
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
    auto target = win32::LookupGdi<win32::RegionObject>(region);
    if (!target) return ERROR;
    win32::Region shape;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!Find(hwnd) || !WindowRegionOf(hwnd, shape)) return ERROR;
    }
    win32::GdiLock lock;
    target->region = shape;
    return shape.Complexity();
}
