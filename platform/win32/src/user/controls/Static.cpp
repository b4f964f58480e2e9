// The "Static" class: text labels, frames and rectangles, etched lines,
// bitmaps, icons and owner-drawn statics. Without SS_NOTIFY a static is
// transparent to the mouse.
#include "Controls.h"

#include <algorithm>

namespace win32::controls {

namespace {

struct StaticData : ControlData {
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HANDLE bitmap = nullptr;
    HANDLE icon = nullptr;
};

UINT TypeOf(DWORD style) {
    return style & SS_TYPEMASK;
}

UINT TextFormat(HWND hwnd, DWORD style) {
    UINT format = 0;
    switch (TypeOf(style)) {
    case SS_CENTER:
        format = DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format = DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK;
        break;
    case SS_SIMPLE:
        format = DT_LEFT | DT_SINGLELINE;
        break;
    case SS_LEFTNOWORDWRAP:
        format = DT_LEFT | DT_EXPANDTABS;
        break;
    default:
        format = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK;
        break;
    }
    if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_RIGHT)
        format = DT_RIGHT | (format & ~static_cast<UINT>(DT_CENTER));
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (TypeOf(style) != SS_SIMPLE) {
        if (style & SS_CENTERIMAGE) format |= DT_SINGLELINE | DT_VCENTER;
        if (style & SS_EDITCONTROL) format |= DT_EDITCONTROL;
        switch (style & SS_ELLIPSISMASK) {
        case SS_ENDELLIPSIS:
            format |= DT_SINGLELINE | DT_END_ELLIPSIS;
            break;
        case SS_PATHELLIPSIS:
            format |= DT_SINGLELINE | DT_PATH_ELLIPSIS;
            break;
        case SS_WORDELLIPSIS:
            format |= DT_SINGLELINE | DT_WORD_ELLIPSIS;
            break;
        default:
            break;
        }
    }
    return format;
}

void PaintText(StaticData& s, HDC dc, DWORD style, bool enabled) {
    RECT rc;
    GetClientRect(s.hwnd, &rc);
    HBRUSH brush = ControlColor(s.hwnd, dc, WM_CTLCOLORSTATIC);
    FillRect(dc, &rc, brush);
    const std::u16string text = WindowText(s.hwnd);
    if (text.empty()) return;
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), -1, &rc, TextFormat(s.hwnd, style));
}

void PaintBitmap(StaticData& s, HDC dc, DWORD style) {
    RECT rc;
    GetClientRect(s.hwnd, &rc);
    FillRect(dc, &rc, ControlColor(s.hwnd, dc, WM_CTLCOLORSTATIC));
    BITMAP info{};
    if (!s.bitmap || !GetObjectW(s.bitmap, sizeof info, &info)) return;
    int x = 0, y = 0;
    if (style & SS_CENTERIMAGE) {
        x = (rc.right - info.bmWidth) / 2;
        y = (rc.bottom - info.bmHeight) / 2;
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, s.bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void PaintOwner(StaticData& s, HDC dc, bool enabled) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_STATIC;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(s.hwnd));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = enabled ? 0 : ODS_DISABLED;
    dis.hwndItem = s.hwnd;
    dis.hDC = dc;
    GetClientRect(s.hwnd, &dis.rcItem);
    if (HWND parent = GetParent(s.hwnd))
        SendMessageW(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

void Paint(StaticData& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.hwnd, &ps);
    if (!dc) return;
    const DWORD style = StyleOf(s.hwnd);
    const bool enabled = IsWindowEnabled(s.hwnd) != FALSE;
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(s.font));
    RECT rc;
    GetClientRect(s.hwnd, &rc);
    switch (TypeOf(style)) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        PaintText(s, dc, style, enabled);
        break;
    case SS_BITMAP:
        PaintBitmap(s, dc, style);
        break;
    case SS_ICON:
        FillRect(dc, &rc, ControlColor(s.hwnd, dc, WM_CTLCOLORSTATIC));
        break;
    case SS_OWNERDRAW:
        PaintOwner(s, dc, enabled);
        break;
    case SS_BLACKRECT:
        FillRect(dc, &rc, GetSysColorBrush(COLOR_3DDKSHADOW));
        break;
    case SS_GRAYRECT:
        FillRect(dc, &rc, GetSysColorBrush(COLOR_3DSHADOW));
        break;
    case SS_WHITERECT:
        FillRect(dc, &rc, GetSysColorBrush(COLOR_3DHIGHLIGHT));
        break;
    case SS_BLACKFRAME:
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_3DDKSHADOW));
        break;
    case SS_GRAYFRAME:
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_3DSHADOW));
        break;
    case SS_WHITEFRAME:
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_3DHIGHLIGHT));
        break;
    case SS_ETCHEDHORZ:
        DrawEdge(dc, &rc, EDGE_ETCHED, BF_TOP);
        break;
    case SS_ETCHEDVERT:
        DrawEdge(dc, &rc, EDGE_ETCHED, BF_LEFT);
        break;
    case SS_ETCHEDFRAME:
        DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT);
        break;
    default:
        break;
    }
    SelectObject(dc, oldFont);
    EndPaint(s.hwnd, &ps);
}

// A bitmap static takes the size of its bitmap unless told to keep its own.
void FitToImage(StaticData& s, DWORD style) {
    if (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL)) return;
    BITMAP info{};
    if (!s.bitmap || !GetObjectW(s.bitmap, sizeof info, &info)) return;
    RECT window, client;
    GetWindowRect(s.hwnd, &window);
    GetClientRect(s.hwnd, &client);
    const int frameX = (window.right - window.left) - client.right;
    const int frameY = (window.bottom - window.top) - client.bottom;
    SetWindowPos(s.hwnd, nullptr, 0, 0, info.bmWidth + frameX, info.bmHeight + frameY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SetImage(StaticData& s, WPARAM type, HANDLE image) {
    const DWORD style = StyleOf(s.hwnd);
    HANDLE old = nullptr;
    if (type == IMAGE_BITMAP) {
        if (TypeOf(style) != SS_BITMAP) return 0;
        old = s.bitmap;
        s.bitmap = image;
        FitToImage(s, style);
    } else if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        if (TypeOf(style) != SS_ICON) return 0;
        old = s.icon;
        s.icon = image;
    } else {
        return 0;
    }
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(old);
}

LRESULT Messages(StaticData& s, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const DWORD style = StyleOf(hwnd);
    switch (msg) {
    case WM_NCHITTEST:
        if (!(style & SS_NOTIFY)) return HTTRANSPARENT;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_PAINT:
        Paint(s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        if (style & SS_NOTIFY) Notify(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case WM_SETFONT:
        s.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.font);
    case WM_LBUTTONDOWN:
        if (style & SS_NOTIFY) Notify(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (style & SS_NOTIFY) Notify(hwnd, STN_DBLCLK);
        return 0;
    case STM_SETIMAGE:
        return SetImage(s, wParam, reinterpret_cast<HANDLE>(lParam));
    case STM_GETIMAGE:
        if (wParam == IMAGE_BITMAP) return reinterpret_cast<LRESULT>(s.bitmap);
        if (wParam == IMAGE_ICON || wParam == IMAGE_CURSOR)
            return reinterpret_cast<LRESULT>(s.icon);
        return 0;
    case STM_SETICON:
        return SetImage(s, IMAGE_ICON, reinterpret_cast<HANDLE>(wParam));
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(s.icon);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto s = std::make_shared<StaticData>();
        s->hwnd = hwnd;
        AttachData(hwnd, s);
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        // A sunken static is a static with the static edge.
        if (cs && (cs->style & SS_SUNKEN))
            SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_STATICEDGE);
        const DWORD type = cs ? (static_cast<DWORD>(cs->style) & SS_TYPEMASK) : 0;
        // The window text of an image static names a resource, not a caption.
        if (type == SS_BITMAP || type == SS_ICON) return TRUE;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto s = Data<StaticData>(hwnd);
    if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*s, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
