// The default handling of window messages.
#include "../present/Presenter.h"
#include "NonClient.h"
#include "UserState.h"
#include "controls/Controls.h"

#include <win32/winbase.h>

#include <algorithm>

using namespace win32::user;

namespace {

LRESULT SetText(HWND hwnd, LPCWSTR text) {
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        w->text = text ? text : u"";
    }
    win32::present::WindowChanged(hwnd); // the caption is the screen window's title
    return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM size, LPWSTR buffer) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !buffer || size == 0) return 0;
    size_t n = std::min<size_t>(w->text.size(), size - 1);
    std::copy_n(w->text.begin(), n, buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

// Shrinks a window rectangle to its client area: frame, caption, menu, scroll bars.
void CalcClient(HWND hwnd, RECT* r) {
    DWORD style, exStyle;
    bool menu;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        style = w->style;
        exStyle = w->exStyle;
        menu = !(style & WS_CHILD) && w->id != 0;
    }
    RECT in = NonClientInsets(style, exStyle, menu);
    r->left += in.left;
    r->top += in.top;
    r->right -= in.right;
    r->bottom -= in.bottom;
    if (style & WS_VSCROLL) r->right -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) r->bottom -= GetSystemMetrics(SM_CYHSCROLL);
    r->right = std::max(r->right, r->left);
    r->bottom = std::max(r->bottom, r->top);
}

} // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName) SetText(hwnd, cs->lpszName);
        return TRUE;
    }
    case WM_NCCALCSIZE:
        if (lParam) CalcClient(hwnd, reinterpret_cast<RECT*>(lParam));
        return 0;
    case WM_NCHITTEST:
        return NonClientHitTest(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: PaintNonClient(hwnd); return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        NonClientButtonDown(hwnd, static_cast<int>(wParam),
                            {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_SETTEXT: return SetText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT: return GetText(hwnd, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
        if (!brush) return 0;
        // Classes may give a system colour index plus one instead of a brush.
        if (reinterpret_cast<ULONG_PTR>(brush) <= 31)
            brush = GetSysColorBrush(static_cast<int>(reinterpret_cast<ULONG_PTR>(brush)) - 1);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            win32::controls::DefaultControlColor(msg, reinterpret_cast<HDC>(wParam)));
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        RECT client;
        GetClientRect(hwnd, &client);
        if (!(pos->flags & SWP_NOMOVE)) {
            POINT origin{0, 0};
            ClientToScreen(hwnd, &origin);
            if (HWND parent = GetAncestor(hwnd, GA_PARENT); parent && parent != GetDesktopWindow())
                ScreenToClient(parent, &origin);
            SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        }
        if (!(pos->flags & SWP_NOSIZE) || (pos->flags & SWP_FRAMECHANGED)) {
            WPARAM kind = IsZoomed(hwnd) ? SIZE_MAXIMIZED : IsIconic(hwnd) ? SIZE_MINIMIZED
                                                                          : SIZE_RESTORED;
            SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
        }
        return 0;
    }
    case WM_SETREDRAW: {
        // Redraw off hides the window from painting without hiding it from the user.
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return 0;
        if (wParam) {
            if (!w->redraw) w->style |= WS_VISIBLE;
        } else if (w->style & WS_VISIBLE) {
            w->style &= ~WS_VISIBLE;
        } else {
            return 0;
        }
        w->redraw = wParam != 0;
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != hwnd && !IsChild(hwnd, focus)) SetFocus(hwnd);
        }
        return 0;
    case WM_NCACTIVATE: return NonClientActivate(hwnd, wParam != 0);
    case WM_MOUSEACTIVATE: {
        HWND parent = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
        if (parent) {
            LRESULT r = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (r) return r;
        }
        return MA_ACTIVATE;
    }
    case WM_SETCURSOR: {
        HWND parent = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
        if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
        if (LOWORD(lParam) == HTCLIENT) {
            HCURSOR c = reinterpret_cast<HCURSOR>(GetClassLongPtrW(hwnd, GCLP_HCURSOR));
            if (c) SetCursor(c);
        }
        return FALSE;
    }
    case WM_RBUTTONUP: {
        // Releasing the right button asks for the context menu at the mouse.
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &at);
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(at.x, at.y));
        return 0;
    }
    case WM_NCRBUTTONUP:
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
        return 0;
    case WM_SYSKEYDOWN:
        // Shift+F10 asks from the keyboard: no position, (-1, -1).
        if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000))
            SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), -1);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_APPS) SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), -1);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
        // Unhandled wheel and context-menu requests go up to the parent.
        if (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)
            return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == 0xF060) SendMessageW(hwnd, WM_CLOSE, 0, 0); // SC_CLOSE
        return 0;
    case WM_SHOWWINDOW:
    case WM_GETDLGCODE:
    case WM_QUERYUISTATE:
    case WM_GETFONT:
    case WM_GETICON:
        return 0;
    default: return 0;
    }
}
