// The "ComboBox" class and its drop-down list, "ComboLBox": a selection field
// (an edit child, or the selected item drawn by the combo box itself), a
// button, and a list that is a child (CBS_SIMPLE) or a popup shown below the
// field that holds the mouse capture while it is open.
#include "Controls.h"

#include <algorithm>

namespace win32::controls {

namespace {

struct ComboData : ControlData {
    HWND hwnd = nullptr;
    HWND edit = nullptr;
    HWND list = nullptr;
    HFONT font = nullptr;
    bool dropped = false;
    bool focused = false;
    bool buttonDown = false;
    bool pressFromField = false; // the press that opened the list began on the field
    bool extendedUI = false;
    bool quietEdit = false;  // the combo box sets its edit's text itself
    int requestedHeight = 0; // the height given at creation
    int fieldHeight = 22;
    int droppedHeight = 100;
    int droppedWidth = 0;
    int itemHeight = 16; // of the selection field
    int committed = -1;  // the selection the owner has been told about
    RECT itemRect{};
    RECT buttonRect{};

    DWORD Style() const { return StyleOf(hwnd); }
    DWORD Type() const { return Style() & 3; }
    bool Simple() const { return Type() == CBS_SIMPLE; }
    bool DropList() const { return Type() == CBS_DROPDOWNLIST; }
};

LRESULT ToList(const ComboData& c, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return c.list ? SendMessageW(c.list, msg, wParam, lParam) : CB_ERR;
}

int CurSel(const ComboData& c) {
    return static_cast<int>(ToList(c, LB_GETCURSEL));
}

std::u16string ItemText(const ComboData& c, int index) {
    const LRESULT length = ToList(c, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0) return {};
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    ToList(c, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void CbNotify(const ComboData& c, UINT code) {
    if (HWND parent = GetParent(c.hwnd)) Notify(c.hwnd, code, parent);
}

// The field shows the selection: the edit's text, or the item drawn by the combo.
void ShowSelection(ComboData& c, int index) {
    if (c.edit) {
        c.quietEdit = true;
        const std::u16string text = index >= 0 ? ItemText(c, index) : std::u16string();
        SetWindowTextW(c.edit, text.c_str());
        SendMessageW(c.edit, EM_SETSEL, 0, -1);
        c.quietEdit = false;
    }
    InvalidateRect(c.hwnd, nullptr, FALSE);
}

void Layout(ComboData& c) {
    RECT rc;
    GetClientRect(c.hwnd, &rc);
    RECT field{0, 0, rc.right, c.fieldHeight};
    RECT inner = field;
    InflateRect(&inner, -2, -2);
    c.buttonRect = {};
    c.itemRect = inner;
    if (!c.Simple()) {
        c.buttonRect = {std::max(inner.left, inner.right - GetSystemMetrics(SM_CXVSCROLL)),
                        inner.top, inner.right, inner.bottom};
        c.itemRect.right = c.buttonRect.left;
    }
    if (c.edit)
        MoveWindow(c.edit, c.itemRect.left + 1, c.itemRect.top,
                   c.itemRect.right - c.itemRect.left - 1, c.itemRect.bottom - c.itemRect.top,
                   TRUE);
    if (c.Simple() && c.list)
        MoveWindow(c.list, 0, c.fieldHeight, rc.right, std::max<LONG>(0, rc.bottom - c.fieldHeight),
                   TRUE);
}

void MeasureField(ComboData& c) {
    MeasureDC m(c.font);
    c.itemHeight = m.LineHeight() + 2;
    if (c.Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
        // The owner tells the height of the selection field as item -1.
        MEASUREITEMSTRUCT mis{ODT_COMBOBOX,
                              static_cast<UINT>(GetDlgCtrlID(c.hwnd)),
                              static_cast<UINT>(-1),
                              0,
                              static_cast<UINT>(c.itemHeight),
                              0};
        if (HWND parent = GetParent(c.hwnd))
            SendMessageW(parent, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
        c.itemHeight = std::max(1, static_cast<int>(mis.itemHeight));
    }
    c.fieldHeight = c.itemHeight + 4;
}

// Resizes a drop-down combo box to its field; the rest of the height given is the list's.
void FitField(ComboData& c, int height) {
    RECT window;
    GetWindowRect(c.hwnd, &window);
    SetWindowPos(c.hwnd, nullptr, 0, 0, window.right - window.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(c);
}

// The window height that keeps the list's height: the field (and frame) plus the list.
int HeightWithList(const ComboData& c) {
    RECT window, client;
    GetWindowRect(c.hwnd, &window);
    GetClientRect(c.hwnd, &client);
    if (c.Simple()) return window.bottom - window.top;
    return (window.bottom - window.top) - client.bottom + c.fieldHeight + c.droppedHeight;
}

// --- The drop-down list ---------------------------------------------------------------

void DropDown(ComboData& c) {
    if (c.dropped || c.Simple() || !c.list) return;
    CbNotify(c, CBN_DROPDOWN);
    if (!IsWindow(c.hwnd)) return;
    if (c.edit) {
        // The list opens on the first item the typed text begins.
        const std::u16string text = WindowText(c.edit);
        const LRESULT found = text.empty() ? LB_ERR
                                           : ToList(c, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(text.c_str()));
        ToList(c, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
    c.committed = CurSel(c);
    RECT window;
    GetWindowRect(c.hwnd, &window);
    const int width = std::max<int>(c.droppedWidth, window.right - window.left);
    const int count = static_cast<int>(ToList(c, LB_GETCOUNT));
    int rows = 0;
    for (int i = 0; i < count && rows < c.droppedHeight; ++i)
        rows += static_cast<int>(ToList(c, LB_GETITEMHEIGHT, static_cast<WPARAM>(i)));
    const int border = 2;
    const int height =
        count == 0 ? c.itemHeight + border : std::min(c.droppedHeight, rows + border);
    SetWindowPos(c.list, HWND_TOP, window.left, window.bottom, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (c.committed >= 0) ToList(c, LB_SETCARETINDEX, static_cast<WPARAM>(c.committed), 0);
    c.dropped = true;
    c.buttonDown = true;
    SetCapture(c.list);
    InvalidateRect(c.hwnd, nullptr, FALSE);
}

void CloseUp(ComboData& c, bool ok) {
    if (!c.dropped) return;
    c.dropped = false;
    c.buttonDown = false;
    c.pressFromField = false;
    // What only the mouse hovered over was never chosen.
    if (!ok && CurSel(c) != c.committed) ToList(c, LB_SETCURSEL, static_cast<WPARAM>(c.committed));
    CbNotify(c, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (!IsWindow(c.hwnd)) return;
    SetWindowPos(c.list, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (GetCapture() == c.list) ReleaseCapture();
    InvalidateRect(c.hwnd, nullptr, FALSE);
    CbNotify(c, CBN_CLOSEUP);
}

// The user chose an item in the open list.
void Choose(ComboData& c, int index) {
    ToList(c, LB_SETCURSEL, static_cast<WPARAM>(index));
    c.committed = index;
    CloseUp(c, true);
    if (!IsWindow(c.hwnd)) return;
    CbNotify(c, CBN_SELCHANGE);
    if (IsWindow(c.hwnd)) ShowSelection(c, index);
}

// A selection made with the keys (or the wheel), open or closed.
void Step(ComboData& c, int index) {
    const int count = static_cast<int>(ToList(c, LB_GETCOUNT));
    if (count == 0) return;
    index = std::clamp(index, 0, count - 1);
    if (index == CurSel(c) && index == c.committed) return;
    ToList(c, LB_SETCURSEL, static_cast<WPARAM>(index));
    c.committed = index;
    if (!c.dropped && !c.Simple()) CbNotify(c, CBN_SELENDOK);
    if (!IsWindow(c.hwnd)) return;
    CbNotify(c, CBN_SELCHANGE);
    if (IsWindow(c.hwnd)) ShowSelection(c, index);
}

void KeyDown(ComboData& c, WPARAM vk, bool alt) {
    const int current = CurSel(c);
    const int page =
        c.dropped ? std::max(1, static_cast<int>(c.droppedHeight / c.itemHeight) - 1) : 1;
    if (vk == VK_F4 || (alt && (vk == VK_UP || vk == VK_DOWN))) {
        if (c.dropped)
            CloseUp(c, false);
        else
            DropDown(c);
        return;
    }
    if (c.dropped && (vk == VK_RETURN || vk == VK_ESCAPE)) {
        CloseUp(c, vk == VK_RETURN);
        return;
    }
    if (vk == VK_DOWN && c.extendedUI && !c.dropped && !c.Simple()) {
        DropDown(c);
        return;
    }
    switch (vk) {
    case VK_UP:
        Step(c, current < 0 ? 0 : current - 1);
        break;
    case VK_DOWN:
        Step(c, current + 1);
        break;
    case VK_PRIOR:
        Step(c, current - page);
        break;
    case VK_NEXT:
        Step(c, current + page);
        break;
    case VK_HOME:
        if (!c.edit) Step(c, 0);
        break;
    case VK_END:
        if (!c.edit) Step(c, static_cast<int>(ToList(c, LB_GETCOUNT)) - 1);
        break;
    default:
        break;
    }
}

void FocusGained(ComboData& c) {
    if (c.focused) return;
    c.focused = true;
    if (c.edit) SendMessageW(c.edit, EM_SETSEL, 0, -1);
    InvalidateRect(c.hwnd, nullptr, FALSE);
    CbNotify(c, CBN_SETFOCUS);
}

void FocusLost(ComboData& c, HWND to) {
    if (!c.focused || to == c.hwnd || (to && (to == c.edit || to == c.list))) return;
    c.focused = false;
    CloseUp(c, false);
    if (!IsWindow(c.hwnd)) return;
    InvalidateRect(c.hwnd, nullptr, FALSE);
    CbNotify(c, CBN_KILLFOCUS);
}

void ChildCommand(ComboData& c, WPARAM wParam, LPARAM lParam) {
    HWND from = reinterpret_cast<HWND>(lParam);
    const UINT code = HIWORD(wParam);
    if (from && from == c.edit) {
        switch (code) {
        case EN_CHANGE:
            if (c.quietEdit) return;
            {
                // Typing chooses no item; with the list open it shows the closest one.
                const std::u16string text = WindowText(c.edit);
                LRESULT found = LB_ERR;
                if (!text.empty())
                    found = ToList(c, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text.c_str()));
                ToList(c, LB_SETCURSEL,
                       c.dropped ? static_cast<WPARAM>(found) : static_cast<WPARAM>(-1));
                c.committed = CurSel(c);
            }
            CbNotify(c, CBN_EDITCHANGE);
            return;
        case EN_UPDATE:
            if (!c.quietEdit) CbNotify(c, CBN_EDITUPDATE);
            return;
        case EN_SETFOCUS:
            FocusGained(c);
            return;
        case EN_KILLFOCUS:
            FocusLost(c, GetFocus());
            return;
        default:
            return;
        }
    }
    if (from && from == c.list) {
        if (code == LBN_SELCHANGE && !c.dropped) {
            // A click in the list of a simple combo box.
            c.committed = CurSel(c);
            CbNotify(c, CBN_SELCHANGE);
            if (IsWindow(c.hwnd)) ShowSelection(c, c.committed);
        } else if (code == LBN_DBLCLK) {
            CbNotify(c, CBN_DBLCLK);
        }
    }
}

// --- Painting ---------------------------------------------------------------------------

void Paint(ComboData& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(c.hwnd, &ps);
    if (!dc) return;
    const bool enabled = IsWindowEnabled(c.hwnd) != FALSE;
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(c.font));
    HBRUSH brush = ControlColor(c.hwnd, dc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    RECT rc;
    GetClientRect(c.hwnd, &rc);
    RECT field{0, 0, rc.right, c.fieldHeight};
    FillRect(dc, &field, brush);
    DrawEdge(dc, &field, EDGE_SUNKEN, BF_RECT);
    if (!c.Simple()) {
        RECT button = c.buttonRect;
        DrawFrameControl(dc, &button, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (c.buttonDown ? DFCS_PUSHED | DFCS_FLAT : 0) |
                             (enabled ? 0 : DFCS_INACTIVE));
    }
    if (c.DropList()) {
        const int index = CurSel(c);
        const bool highlight = c.focused && !c.dropped;
        RECT item = c.itemRect;
        if (c.Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_COMBOBOX;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID(c.hwnd));
            dis.itemID = static_cast<UINT>(index);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = ODS_COMBOBOXEDIT | (highlight ? ODS_SELECTED | ODS_FOCUS : 0) |
                            (enabled ? 0 : ODS_DISABLED);
            dis.hwndItem = c.hwnd;
            dis.hDC = dc;
            dis.rcItem = item;
            dis.itemData =
                index >= 0 ? static_cast<ULONG_PTR>(ToList(c, LB_GETITEMDATA, index)) : 0;
            if (HWND parent = GetParent(c.hwnd))
                SendMessageW(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        } else {
            if (highlight) FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, !enabled    ? GetSysColor(COLOR_GRAYTEXT)
                             : highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                         : GetTextColor(dc));
            const std::u16string text = index >= 0 ? ItemText(c, index) : std::u16string();
            RECT textRect = item;
            textRect.left += 2;
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            if (highlight) DrawFocusRect(dc, &item);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(c.hwnd, &ps);
}

// --- Creation ----------------------------------------------------------------------------

DWORD ListStyleFor(DWORD style) {
    DWORD out = LBS_COMBOBOX | LBS_NOTIFY | WS_VSCROLL | WS_BORDER;
    if (style & CBS_SORT) out |= LBS_SORT;
    if (style & CBS_HASSTRINGS) out |= LBS_HASSTRINGS;
    if (style & CBS_OWNERDRAWFIXED) out |= LBS_OWNERDRAWFIXED;
    if (style & CBS_OWNERDRAWVARIABLE) out |= LBS_OWNERDRAWVARIABLE;
    if (style & CBS_DISABLENOSCROLL) out |= LBS_DISABLENOSCROLL;
    if (style & CBS_NOINTEGRALHEIGHT) out |= LBS_NOINTEGRALHEIGHT;
    return out;
}

void Create(ComboData& c) {
    const DWORD style = c.Style();
    MeasureField(c);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(c.hwnd, GWLP_HINSTANCE));
    if (c.Simple()) {
        RECT rc;
        GetClientRect(c.hwnd, &rc);
        c.list = CreateWindowExW(
            0, u"ComboLBox", nullptr,
            ListStyleFor(style) | WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, c.fieldHeight,
            rc.right, std::max<LONG>(0, rc.bottom - c.fieldHeight), c.hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboListId)), instance, c.hwnd);
    } else {
        // A popup's "menu" would be a menu bar: the open list goes without an id.
        c.list =
            CreateWindowExW(WS_EX_TOOLWINDOW, u"ComboLBox", nullptr, ListStyleFor(style) | WS_POPUP,
                            0, 0, 10, 10, c.hwnd, nullptr, instance, c.hwnd);
    }
    if (!c.DropList()) {
        DWORD editStyle = WS_CHILD | WS_VISIBLE | ES_LEFT;
        if (style & CBS_AUTOHSCROLL) editStyle |= ES_AUTOHSCROLL;
        if (style & CBS_UPPERCASE) editStyle |= ES_UPPERCASE;
        if (style & CBS_LOWERCASE) editStyle |= ES_LOWERCASE;
        if (style & WS_DISABLED) editStyle |= WS_DISABLED;
        c.edit = CreateWindowExW(0, u"Edit", nullptr, editStyle, 0, 0, 10, 10, c.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboEditId)),
                                 instance, nullptr);
    }
    FitField(c, c.requestedHeight);
}

LRESULT ComboInfo(ComboData& c, COMBOBOXINFO* info) {
    if (!info || info->cbSize != sizeof(COMBOBOXINFO)) return FALSE;
    info->rcItem = c.itemRect;
    info->rcButton = c.buttonRect;
    info->stateButton =
        c.Simple() ? STATE_SYSTEM_INVISIBLE : (c.dropped ? STATE_SYSTEM_PRESSED : 0);
    info->hwndCombo = c.hwnd;
    info->hwndItem = c.edit ? c.edit : c.hwnd;
    info->hwndList = c.list;
    return TRUE;
}

LRESULT ComboMessages(ComboData& c, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case CB_ADDSTRING:
        return ToList(c, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING:
        return ToList(c, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
        const LRESULT r = ToList(c, LB_DELETESTRING, wParam, lParam);
        if (c.committed == static_cast<int>(wParam))
            c.committed = -1;
        else if (c.committed > static_cast<int>(wParam))
            --c.committed;
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case CB_RESETCONTENT:
        ToList(c, LB_RESETCONTENT);
        c.committed = -1;
        ShowSelection(c, -1);
        return CB_OKAY;
    case CB_GETCOUNT:
        return ToList(c, LB_GETCOUNT);
    case CB_GETLBTEXT:
        return ToList(c, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
        return ToList(c, LB_GETTEXTLEN, wParam, lParam);
    case CB_FINDSTRING:
        return ToList(c, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
        return ToList(c, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETITEMDATA:
        return ToList(c, LB_GETITEMDATA, wParam, lParam);
    case CB_SETITEMDATA:
        return ToList(c, LB_SETITEMDATA, wParam, lParam);
    case CB_GETTOPINDEX:
        return ToList(c, LB_GETTOPINDEX);
    case CB_SETTOPINDEX:
        return ToList(c, LB_SETTOPINDEX, wParam) == LB_ERR ? CB_ERR : CB_OKAY;
    case CB_INITSTORAGE:
        return ToList(c, LB_INITSTORAGE, wParam, lParam);
    case CB_SETHORIZONTALEXTENT:
        return ToList(c, LB_SETHORIZONTALEXTENT, wParam);
    case CB_GETHORIZONTALEXTENT:
        return ToList(c, LB_GETHORIZONTALEXTENT);
    case CB_GETCURSEL:
        return CurSel(c);
    case CB_SETCURSEL: {
        const LRESULT r = ToList(c, LB_SETCURSEL, wParam);
        if (r >= 0) ToList(c, LB_SETTOPINDEX, wParam);
        c.committed = CurSel(c);
        ShowSelection(c, c.committed);
        return r;
    }
    case CB_SELECTSTRING: {
        const LRESULT r = ToList(c, LB_SELECTSTRING, wParam, lParam);
        if (r != LB_ERR) {
            c.committed = static_cast<int>(r);
            ShowSelection(c, c.committed);
        }
        return r;
    }
    case CB_SHOWDROPDOWN:
        if (wParam)
            DropDown(c);
        else
            CloseUp(c, false);
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return c.dropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT: {
        if (!lParam) return CB_ERR;
        RECT window;
        GetWindowRect(hwnd, &window);
        window.right = window.left + std::max<LONG>(c.droppedWidth, window.right - window.left);
        window.bottom += c.droppedHeight;
        *reinterpret_cast<RECT*>(lParam) = window;
        return CB_OKAY;
    }
    case CB_SETDROPPEDWIDTH:
    case CB_GETDROPPEDWIDTH: {
        if (msg == CB_SETDROPPEDWIDTH) {
            if (static_cast<int>(wParam) < 0) return CB_ERR;
            c.droppedWidth = static_cast<int>(wParam);
        }
        RECT window;
        GetWindowRect(hwnd, &window);
        return std::max<LONG>(c.droppedWidth, window.right - window.left);
    }
    case CB_LIMITTEXT:
        if (c.edit) SendMessageW(c.edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    case CB_GETEDITSEL:
        if (!c.edit) return CB_ERR;
        return SendMessageW(c.edit, EM_GETSEL, wParam, lParam);
    case CB_SETEDITSEL:
        if (!c.edit) return CB_ERR;
        SendMessageW(c.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(lParam))),
                     static_cast<LPARAM>(static_cast<short>(HIWORD(lParam))));
        return TRUE;
    case CB_SETITEMHEIGHT:
        if (static_cast<int>(wParam) == -1) {
            const int height = static_cast<int>(lParam);
            if (height <= 0 || height > 255) return CB_ERR;
            c.itemHeight = height;
            c.fieldHeight = height + 4;
            FitField(c, HeightWithList(c));
            InvalidateRect(hwnd, nullptr, FALSE);
            return CB_OKAY;
        }
        return ToList(c, LB_SETITEMHEIGHT, wParam, lParam);
    case CB_GETITEMHEIGHT:
        if (static_cast<int>(wParam) == -1) return c.itemHeight;
        return ToList(c, LB_GETITEMHEIGHT, wParam);
    case CB_SETEXTENDEDUI:
        c.extendedUI = wParam != 0;
        return CB_OKAY;
    case CB_GETEXTENDEDUI:
        return c.extendedUI ? TRUE : FALSE;
    case CB_GETCOMBOBOXINFO:
        return ComboInfo(c, reinterpret_cast<COMBOBOXINFO*>(lParam));
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT Messages(ComboData& c, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        Create(c);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // A drop-down combo box is as high as its field; the rest goes to its list.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (c.Simple() || (pos->flags & SWP_NOSIZE)) return 0;
        RECT window, client;
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        const int frame = (window.bottom - window.top) - client.bottom;
        const int wanted = c.fieldHeight + frame;
        if (pos->cy != wanted) {
            c.droppedHeight = std::max(c.itemHeight + 2, pos->cy - wanted);
            pos->cy = wanted;
        }
        return 0;
    }
    case WM_SIZE:
        Layout(c);
        return 0;
    case WM_PAINT:
        Paint(c);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        if (c.edit) EnableWindow(c.edit, wParam ? TRUE : FALSE);
        if (!wParam) CloseUp(c, false);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        c.font = reinterpret_cast<HFONT>(wParam);
        if (c.edit) SendMessageW(c.edit, WM_SETFONT, wParam, lParam);
        if (c.list) SendMessageW(c.list, WM_SETFONT, wParam, lParam);
        MeasureField(c);
        FitField(c, HeightWithList(c));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(c.font);
    case WM_SETTEXT:
        if (!c.edit) return CB_ERR;
        c.quietEdit = true;
        SendMessageW(c.edit, WM_SETTEXT, wParam, lParam);
        c.quietEdit = false;
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        if (c.edit) return SendMessageW(c.edit, msg, wParam, lParam);
        const int index = CurSel(c);
        const std::u16string text = index >= 0 ? ItemText(c, index) : std::u16string();
        if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (!out || wParam == 0) return 0;
        const size_t n = std::min(text.size(), static_cast<size_t>(wParam) - 1);
        std::copy_n(text.begin(), n, out);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
        return c.edit ? SendMessageW(c.edit, msg, wParam, lParam) : 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
        const auto* m = reinterpret_cast<const MSG*>(lParam);
        if (m && m->message == WM_KEYDOWN && c.dropped &&
            (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_SETFOCUS:
        if (c.edit)
            SetFocus(c.edit);
        else
            FocusGained(c);
        return 0;
    case WM_KILLFOCUS:
        FocusLost(c, reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetFocus(hwnd);
        if (!IsWindow(hwnd)) return 0;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (c.DropList() || PtInRect(&c.buttonRect, p)) {
            c.pressFromField = true;
            DropDown(c);
        }
        return 0;
    }
    case WM_KEYDOWN:
        KeyDown(c, wParam, false);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN) {
            KeyDown(c, wParam, true);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CHAR:
        if (c.DropList() && wParam >= 0x20) {
            const char16_t typed[2] = {static_cast<char16_t>(wParam), 0};
            const LRESULT found = ToList(c, LB_FINDSTRING, static_cast<WPARAM>(CurSel(c)),
                                         reinterpret_cast<LPARAM>(typed));
            if (found != LB_ERR) Step(c, static_cast<int>(found));
        }
        return 0;
    case WM_MOUSEWHEEL:
        if (!c.dropped) {
            KeyDown(c, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? VK_UP : VK_DOWN, false);
            return 0;
        }
        return ToList(c, msg, wParam, lParam);
    case WM_COMMAND:
        if (lParam) {
            ChildCommand(c, wParam, lParam);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // The colours of the parts are the owner's to choose.
        if (HWND parent = GetParent(hwnd)) return SendMessageW(parent, msg, wParam, lParam);
        return 0;
    case WM_DESTROY:
        if (c.list && !c.Simple() && IsWindow(c.list)) DestroyWindow(c.list);
        c.list = nullptr;
        return 0;
    default:
        return ComboMessages(c, hwnd, msg, wParam, lParam);
    }
}

// --- The list while it is dropped --------------------------------------------------------

bool InsideList(HWND list, LPARAM lParam) {
    RECT rc;
    GetClientRect(list, &rc);
    return PtInRect(&rc, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
}

int ItemUnder(HWND list, LPARAM lParam) {
    const LRESULT r = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
    return HIWORD(r) ? -1 : static_cast<int>(LOWORD(r));
}

// Mouse input of the open list; false for what the list box handles as usual.
bool DroppedMouse(ComboData& c, HWND list, UINT msg, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        // The item under the mouse is highlighted but not yet chosen.
        if (InsideList(list, lParam)) {
            const int index = ItemUnder(list, lParam);
            if (index >= 0 && index != CurSel(c)) SendMessageW(list, LB_SETCURSEL, index, 0);
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        c.pressFromField = false;
        if (!InsideList(list, lParam)) CloseUp(c, false); // a click outside closes it
        return true;
    case WM_LBUTTONUP:
        if (InsideList(list, lParam)) {
            const int index = ItemUnder(list, lParam);
            if (index >= 0) Choose(c, index);
        }
        c.pressFromField = false;
        return true;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != list) CloseUp(c, false);
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsComboBox(HWND hwnd) {
    return Data<ComboData>(hwnd) != nullptr;
}

bool ComboIsDropped(HWND combo) {
    auto c = Data<ComboData>(combo);
    return c && c->dropped;
}

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto c = std::make_shared<ComboData>();
        c->hwnd = hwnd;
        if (const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam))
            c->requestedHeight = cs->cy;
        AttachData(hwnd, c);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto c = Data<ComboData>(hwnd);
    if (!c) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*c, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ComboListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The open list never takes the activation from the window of its combo box.
    if (msg == WM_MOUSEACTIVATE && (StyleOf(hwnd) & WS_POPUP)) return MA_NOACTIVATE;
    auto c = Data<ComboData>(ComboOfList(hwnd));
    if (c && c->dropped && DroppedMouse(*c, hwnd, msg, lParam)) return 0;
    return ListBoxProc(hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
