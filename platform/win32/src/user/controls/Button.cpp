// The "Button" class: push buttons, check boxes, radio buttons, group boxes
// and owner-drawn buttons, with the press, capture and release semantics of
// the system: a click only when the button is released over itself.
#include "Controls.h"

#include <algorithm>

namespace win32::controls {

namespace {

struct ButtonData : ControlData {
    HWND hwnd = nullptr;
    UINT state = 0;       // BST_* bits: check state, pushed, focus
    bool pressed = false; // the mouse or Space holds the button
    HFONT font = nullptr;
    HANDLE bitmap = nullptr;
    HANDLE icon = nullptr;
};

UINT TypeOf(DWORD style) {
    return style & BS_TYPEMASK;
}

bool IsCheckType(UINT type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsRadio(UINT type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsPush(UINT type) {
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

LRESULT DialogCode(UINT type) {
    switch (type) {
    case BS_DEFPUSHBUTTON:
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_PUSHBUTTON:
    case BS_USERBUTTON:
    case BS_PUSHBOX:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX:
        return DLGC_STATIC;
    default:
        return DLGC_BUTTON;
    }
}

// --- Painting ------------------------------------------------------------------------

UINT TextFormat(DWORD style, UINT type) {
    UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (style & BS_CENTER) {
    case BS_LEFT:
        format |= DT_LEFT;
        break;
    case BS_RIGHT:
        format |= DT_RIGHT;
        break;
    case BS_CENTER:
        format |= DT_CENTER;
        break;
    default:
        format |= (IsPush(type) || (style & BS_PUSHLIKE)) ? DT_CENTER : DT_LEFT;
        break;
    }
    switch (style & BS_VCENTER) {
    case BS_TOP:
        format |= DT_TOP;
        break;
    case BS_BOTTOM:
        format |= DT_BOTTOM;
        break;
    default:
        format |= DT_VCENTER;
        break;
    }
    return format;
}

SIZE BitmapSize(HANDLE bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

void DrawBitmap(HDC dc, HANDLE bitmap, int x, int y) {
    SIZE size = BitmapSize(bitmap);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(dc, x, y, size.cx, size.cy, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

// The caption (and the bitmap before it) inside `area`; returns the text's rectangle.
RECT DrawLabel(ButtonData& b, HDC dc, RECT area, DWORD style, UINT type) {
    const std::u16string text = WindowText(b.hwnd);
    const SIZE image = BitmapSize(b.bitmap);
    const bool imageOnly = (style & (BS_BITMAP | BS_ICON)) || text.empty();
    if (b.bitmap && image.cx > 0) {
        if (imageOnly) {
            DrawBitmap(dc, b.bitmap, area.left + (area.right - area.left - image.cx) / 2,
                       area.top + (area.bottom - area.top - image.cy) / 2);
            return {};
        }
        DrawBitmap(dc, b.bitmap, area.left + 2, area.top + (area.bottom - area.top - image.cy) / 2);
        area.left += image.cx + 4;
    }
    if (text.empty() || (style & (BS_BITMAP | BS_ICON))) return {};
    const UINT format = TextFormat(style, type);
    RECT measured = area;
    DrawTextW(dc, text.c_str(), -1, &measured, format | DT_CALCRECT);
    // Place the measured box where the alignment puts the text, for the focus rectangle.
    const int w = measured.right - measured.left, h = measured.bottom - measured.top;
    RECT box{area.left, area.top, area.left + w, area.top + h};
    if (format & DT_CENTER)
        OffsetRect(&box, (area.right - area.left - w) / 2, 0);
    else if (format & DT_RIGHT)
        OffsetRect(&box, area.right - area.left - w, 0);
    if (format & DT_VCENTER)
        OffsetRect(&box, 0, (area.bottom - area.top - h) / 2);
    else if (format & DT_BOTTOM)
        OffsetRect(&box, 0, area.bottom - area.top - h);
    DrawTextW(dc, text.c_str(), -1, &area, format);
    return box;
}

void PaintPush(ButtonData& b, HDC dc, DWORD style, UINT type, bool enabled) {
    RECT rc;
    GetClientRect(b.hwnd, &rc);
    FillRect(dc, &rc, ControlColor(b.hwnd, dc, WM_CTLCOLORBTN));
    if (type == BS_DEFPUSHBUTTON) {
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&rc, -1, -1);
    }
    const bool down = (b.state & BST_PUSHED) || ((style & BS_PUSHLIKE) && (b.state & 3));
    UINT face = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0) |
                ((style & BS_FLAT) ? DFCS_FLAT : 0);
    RECT inner = rc;
    DrawFrameControl(dc, &inner, DFC_BUTTON, face);
    if (down) OffsetRect(&inner, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawLabel(b, dc, inner, style, type);
    if (b.state & BST_FOCUS) {
        RECT focus = rc;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void PaintCheck(ButtonData& b, HDC dc, DWORD style, UINT type, bool enabled) {
    RECT rc;
    GetClientRect(b.hwnd, &rc);
    FillRect(dc, &rc, ControlColor(b.hwnd, dc, WM_CTLCOLORSTATIC));
    const int box = 13, gap = 4;
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    RECT mark{leftText ? rc.right - box : rc.left, 0, 0, 0};
    mark.right = mark.left + box;
    switch (style & BS_VCENTER) {
    case BS_TOP:
        mark.top = rc.top;
        break;
    case BS_BOTTOM:
        mark.top = rc.bottom - box;
        break;
    default:
        mark.top = rc.top + (rc.bottom - rc.top - box) / 2;
        break;
    }
    mark.bottom = mark.top + box;
    UINT state = IsRadio(type) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    if (b.state & BST_INDETERMINATE)
        state |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    else if (b.state & BST_CHECKED)
        state |= DFCS_CHECKED;
    if (b.state & BST_PUSHED) state |= DFCS_PUSHED;
    if (!enabled) state |= DFCS_INACTIVE;
    if (style & BS_FLAT) state |= DFCS_FLAT;
    DrawFrameControl(dc, &mark, DFC_BUTTON, state);
    RECT textArea = rc;
    if (leftText)
        textArea.right = mark.left - gap;
    else
        textArea.left = mark.right + gap;
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    RECT text = DrawLabel(b, dc, textArea, style, type);
    if ((b.state & BST_FOCUS) && !IsRectEmpty(&text)) {
        InflateRect(&text, 1, 1);
        IntersectRect(&text, &text, &rc);
        DrawFocusRect(dc, &text);
    }
}

void PaintGroup(ButtonData& b, HDC dc, DWORD style, bool enabled) {
    RECT rc;
    GetClientRect(b.hwnd, &rc);
    HBRUSH brush = ControlColor(b.hwnd, dc, WM_CTLCOLORSTATIC);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    // The caption row is the group box's own: a caption drawn before (in another
    // font, or longer) must not show through. Below it the box is transparent.
    RECT band{rc.left, rc.top, rc.right, std::min<LONG>(rc.bottom, rc.top + tm.tmHeight + 2)};
    FillRect(dc, &band, brush);
    RECT frame = rc;
    frame.top += tm.tmHeight / 2 - 1;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT | ((style & BS_FLAT) ? BF_FLAT : 0));
    const std::u16string text = WindowText(b.hwnd);
    if (text.empty()) return;
    RECT label{rc.left + 8, rc.top, rc.right - 8, rc.top + tm.tmHeight};
    DrawTextW(dc, text.c_str(), -1, &label, DT_SINGLELINE | DT_LEFT | DT_CALCRECT);
    InflateRect(&label, 2, 0);
    FillRect(dc, &label, brush);
    InflateRect(&label, -2, 0);
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), -1, &label, DT_SINGLELINE | DT_LEFT);
}

void PaintOwner(ButtonData& b, HDC dc, bool enabled, UINT action) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(b.hwnd));
    dis.itemAction = action;
    dis.itemState = ((b.state & BST_PUSHED) ? ODS_SELECTED : 0) |
                    ((b.state & BST_FOCUS) ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    dis.hwndItem = b.hwnd;
    dis.hDC = dc;
    GetClientRect(b.hwnd, &dis.rcItem);
    if (HWND parent = GetParent(b.hwnd))
        SendMessageW(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

void Paint(ButtonData& b) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(b.hwnd, &ps);
    if (!dc) return;
    const DWORD style = StyleOf(b.hwnd);
    const UINT type = TypeOf(style);
    const bool enabled = IsWindowEnabled(b.hwnd) != FALSE;
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(b.font));
    if (type == BS_OWNERDRAW)
        PaintOwner(b, dc, enabled, ODA_DRAWENTIRE);
    else if (type == BS_GROUPBOX)
        PaintGroup(b, dc, style, enabled);
    else if (IsCheckType(type) && !(style & BS_PUSHLIKE))
        PaintCheck(b, dc, style, type, enabled);
    else
        PaintPush(b, dc, style, type, enabled);
    SelectObject(dc, oldFont);
    EndPaint(b.hwnd, &ps);
}

// --- Behaviour ---------------------------------------------------------------------------

void Invalidate(ButtonData& b) {
    InvalidateRect(b.hwnd, nullptr, FALSE);
}

void SetCheck(ButtonData& b, WPARAM check) {
    const DWORD style = StyleOf(b.hwnd);
    const UINT type = TypeOf(style);
    if (!IsCheckType(type)) return;
    const UINT most =
        (type == BS_3STATE || type == BS_AUTO3STATE) ? BST_INDETERMINATE : BST_CHECKED;
    const UINT value = std::min<UINT>(static_cast<UINT>(check), most);
    if ((b.state & 3) != value) {
        b.state = (b.state & ~3u) | value;
        Invalidate(b);
    }
    // The checked radio button is its group's tab stop.
    if (IsRadio(type)) {
        const DWORD wanted = value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        if (wanted != style) SetWindowLongW(b.hwnd, GWL_STYLE, static_cast<LONG>(wanted));
    }
}

void SetPushed(ButtonData& b, bool pushed) {
    const UINT state = pushed ? (b.state | BST_PUSHED) : (b.state & ~BST_PUSHED);
    if (state == b.state) return;
    b.state = state;
    Invalidate(b);
}

void UncheckGroupSiblings(HWND hwnd) {
    for (HWND sibling : GroupOf(hwnd))
        if (sibling != hwnd && TypeOf(StyleOf(sibling)) == BS_AUTORADIOBUTTON)
            SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
}

void Press(ButtonData& b) {
    SetCapture(b.hwnd);
    b.pressed = true;
    SendMessageW(b.hwnd, BM_SETSTATE, TRUE, 0);
}

// The end of a press: a click when the button was still pushed (the mouse over it).
void Release(ButtonData& b, bool byKey, POINT at) {
    if (!b.pressed) return;
    b.pressed = false;
    const bool pushed = (b.state & BST_PUSHED) != 0;
    if (!pushed) {
        if (GetCapture() == b.hwnd) ReleaseCapture();
        return;
    }
    SendMessageW(b.hwnd, BM_SETSTATE, FALSE, 0);
    RECT rc;
    GetClientRect(b.hwnd, &rc);
    if (GetCapture() == b.hwnd) ReleaseCapture();
    if (!byKey && !PtInRect(&rc, at)) return;
    switch (TypeOf(StyleOf(b.hwnd))) {
    case BS_AUTOCHECKBOX:
        SendMessageW(b.hwnd, BM_SETCHECK, (b.state & BST_CHECKED) ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
    case BS_AUTORADIOBUTTON:
        SendMessageW(b.hwnd, BM_SETCHECK, BST_CHECKED, 0);
        UncheckGroupSiblings(b.hwnd);
        break;
    case BS_AUTO3STATE:
        // Unchecked, checked, indeterminate, and round again.
        SendMessageW(b.hwnd, BM_SETCHECK,
                     (b.state & BST_INDETERMINATE) ? BST_UNCHECKED : (b.state & 3) + 1, 0);
        break;
    default:
        break;
    }
    if (IsWindow(b.hwnd)) Notify(b.hwnd, BN_CLICKED);
}

LRESULT Messages(ButtonData& b, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const DWORD style = StyleOf(hwnd);
    const UINT type = TypeOf(style);
    switch (msg) {
    case WM_NCHITTEST:
        if (type == BS_GROUPBOX) return HTTRANSPARENT;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE:
        return DialogCode(type);
    case WM_PAINT:
        Paint(b);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting covers what it must; a group box shows through
    case WM_ENABLE:
        Invalidate(b);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        Invalidate(b);
        return r;
    }
    case WM_SETFONT:
        b.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Invalidate(b);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(b.font);
    case WM_LBUTTONDBLCLK:
        if ((style & BS_NOTIFY) || type == BS_RADIOBUTTON || type == BS_USERBUTTON ||
            type == BS_OWNERDRAW) {
            Notify(hwnd, BN_DOUBLECLICKED);
            return 0;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        if (IsWindow(hwnd)) Press(b);
        return 0;
    case WM_MOUSEMOVE:
        if (b.pressed && GetCapture() == hwnd) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            SendMessageW(hwnd, BM_SETSTATE,
                         PtInRect(&rc, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), 0);
        }
        return 0;
    case WM_LBUTTONUP:
        Release(b, false, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && !b.pressed) Press(b);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE) Release(b, true, {});
        return 0;
    case WM_CAPTURECHANGED:
        if (b.pressed) {
            b.pressed = false;
            SetPushed(b, false);
        }
        return 0;
    case WM_SETFOCUS:
        b.state |= BST_FOCUS;
        Invalidate(b);
        if (style & BS_NOTIFY) Notify(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        b.state &= ~BST_FOCUS;
        if (b.pressed && GetCapture() == hwnd) ReleaseCapture();
        Invalidate(b);
        if (style & BS_NOTIFY) Notify(hwnd, BN_KILLFOCUS);
        return 0;
    case BM_GETCHECK:
        return IsCheckType(type) ? (b.state & 3) : 0;
    case BM_SETCHECK:
        SetCheck(b, wParam);
        return 0;
    case BM_GETSTATE:
        return b.state;
    case BM_SETSTATE:
        SetPushed(b, wParam != 0);
        return 0;
    case BM_SETSTYLE:
        SetWindowLongW(hwnd, GWL_STYLE,
                       static_cast<LONG>((style & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
        if (LOWORD(lParam)) Invalidate(b);
        return 0;
    case BM_CLICK:
        SendMessageW(hwnd, WM_LBUTTONDOWN, 0, 0);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
        return 0;
    case BM_SETIMAGE: {
        HANDLE& slot = wParam == IMAGE_ICON ? b.icon : b.bitmap;
        if (wParam != IMAGE_ICON && wParam != IMAGE_BITMAP) return 0;
        HANDLE old = slot;
        slot = reinterpret_cast<HANDLE>(lParam);
        Invalidate(b);
        return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
        if (wParam == IMAGE_ICON) return reinterpret_cast<LRESULT>(b.icon);
        if (wParam == IMAGE_BITMAP) return reinterpret_cast<LRESULT>(b.bitmap);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto b = std::make_shared<ButtonData>();
        b->hwnd = hwnd;
        AttachData(hwnd, b);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto b = Data<ButtonData>(hwnd);
    if (!b) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*b, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
