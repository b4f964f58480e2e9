// The dialog-manager helpers: keyboard navigation among controls (Tab,
// arrows within a group, Enter, Escape, mnemonics), control groups and tab
// order, and the SendDlgItemMessage family. They work for any window that
// holds controls: this layer has no dialog boxes of its own.
#include "Controls.h"

#include <win32/winbase.h>

#include <algorithm>
#include <string>

using namespace win32::controls;

namespace {

bool Usable(HWND hwnd) {
    return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        out.push_back(c);
    return out;
}

// The controls of a dialog in tab order: z-order, entering WS_EX_CONTROLPARENT children.
void Collect(HWND parent, std::vector<HWND>& out) {
    for (HWND c : ChildrenOf(parent)) {
        if ((GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && Usable(c)) {
            Collect(c, out);
            continue;
        }
        out.push_back(c);
    }
}

// The control of `order` that is `hwnd` or holds it (the edit of a combo box).
int PositionOf(const std::vector<HWND>& order, HWND hwnd) {
    for (HWND at = hwnd; at; at = GetAncestor(at, GA_PARENT)) {
        auto it = std::find(order.begin(), order.end(), at);
        if (it != order.end()) return static_cast<int>(it - order.begin());
        if (at == GetDesktopWindow()) break;
    }
    return -1;
}

LRESULT DialogCode(HWND hwnd, const MSG* msg = nullptr) {
    return SendMessageW(hwnd, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
}

// Focus moved by the keyboard selects all of an edit's text.
void MoveFocus(HWND to) {
    if (!to) return;
    SetFocus(to);
    if (DialogCode(to) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
}

void Command(HWND dialog, int id, HWND control) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void PressDefault(HWND dialog) {
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus) &&
        (DialogCode(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        Command(dialog, GetDlgCtrlID(focus), focus);
        return;
    }
    const LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) {
        HWND button = GetDlgItem(dialog, LOWORD(def));
        if (!button || IsWindowEnabled(button)) Command(dialog, LOWORD(def), button);
        return;
    }
    std::vector<HWND> order;
    Collect(dialog, order);
    for (HWND c : order)
        if (Usable(c) && (DialogCode(c) & DLGC_DEFPUSHBUTTON)) {
            Command(dialog, GetDlgCtrlID(c), c);
            return;
        }
    SendMessageW(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

void Arrow(HWND dialog, HWND from, bool previous) {
    HWND next = GetNextDlgGroupItem(dialog, from, previous);
    if (!next) return;
    if (DialogCode(next) == (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
        SetFocus(next);
        // Moving onto an automatic radio button checks it.
        if ((GetWindowLongW(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
            SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageW(next, BM_CLICK, 0, 0);
        return;
    }
    MoveFocus(next);
}

// A caption's mnemonic: a button is clicked, a label hands the focus on.
bool UseMnemonic(HWND dialog, HWND from, WCHAR ch) {
    const char16_t key = UpperChar(static_cast<char16_t>(ch));
    std::vector<HWND> order;
    Collect(dialog, order);
    const int count = static_cast<int>(order.size());
    const int start = PositionOf(order, from);
    for (int step = 1; step <= count; ++step) {
        HWND c = order[static_cast<size_t>((start + step + count) % count)];
        if (!Usable(c)) continue;
        const LRESULT code = DialogCode(c);
        if (!(code & (DLGC_BUTTON | DLGC_STATIC))) continue;
        if ((code & DLGC_STATIC) && (GetWindowLongW(c, GWL_STYLE) & SS_NOPREFIX) &&
            !(code & DLGC_BUTTON))
            continue;
        if (win32::controls::Mnemonic(WindowText(c)) != key) continue;
        if (code & DLGC_BUTTON)
            SendMessageW(c, BM_CLICK, 0, 0);
        else
            MoveFocus(GetNextDlgTabItem(dialog, c, FALSE));
        return true;
    }
    return false;
}

} // namespace

namespace win32::controls {

std::vector<HWND> GroupOf(HWND control) {
    HWND parent = GetAncestor(control, GA_PARENT);
    std::vector<HWND> siblings = ChildrenOf(parent);
    auto at = std::find(siblings.begin(), siblings.end(), control);
    if (at == siblings.end()) return {control};
    auto first = at;
    while (first != siblings.begin() && !(GetWindowLongW(*first, GWL_STYLE) & WS_GROUP))
        --first;
    auto last = at + 1;
    while (last != siblings.end() && !(GetWindowLongW(*last, GWL_STYLE) & WS_GROUP))
        ++last;
    return {first, last};
}

} // namespace win32::controls

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    if (!IsWindow(dialog)) return nullptr;
    std::vector<HWND> order;
    Collect(dialog, order);
    const int count = static_cast<int>(order.size());
    if (count == 0) return nullptr;
    int start = control ? PositionOf(order, control) : -1;
    if (start < 0) start = previous ? 0 : count - 1; // from nothing: the first (or last) stop
    for (int step = 1; step <= count; ++step) {
        const int i = previous ? start - step : start + step;
        HWND c = order[static_cast<size_t>((i % count + count) % count)];
        if (Usable(c) && (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP)) return c;
    }
    return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    if (!IsWindow(dialog) || !IsWindow(control)) return nullptr;
    std::vector<HWND> group = GroupOf(control);
    const int count = static_cast<int>(group.size());
    const int start =
        static_cast<int>(std::find(group.begin(), group.end(), control) - group.begin());
    for (int step = 1; step < count; ++step) {
        const int i = previous ? start - step : start + step;
        HWND c = group[static_cast<size_t>((i % count + count) % count)];
        if (Usable(c)) return c;
    }
    return control;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
    if (!msg || !dialog || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
    switch (msg->message) {
    case WM_KEYDOWN: {
        const LRESULT code = DialogCode(msg->hwnd, msg);
        if (code & DLGC_WANTMESSAGE) break;
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        switch (msg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB) break;
            MoveFocus(GetNextDlgTabItem(dialog, GetFocus(), shift));
            return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (code & DLGC_WANTARROWS) break;
            Arrow(dialog, msg->hwnd, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
            return TRUE;
        case VK_RETURN:
            PressDefault(dialog);
            return TRUE;
        case VK_ESCAPE:
            SendMessageW(dialog, WM_COMMAND, IDCANCEL,
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            return TRUE;
        default:
            break;
        }
        break;
    }
    case WM_CHAR: {
        const LRESULT code = DialogCode(msg->hwnd, msg);
        if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) break;
        if (msg->wParam == u'\t') return TRUE;
        if (UseMnemonic(dialog, msg->hwnd, static_cast<WCHAR>(msg->wParam))) return TRUE;
        break;
    }
    case WM_SYSCHAR:
        if (UseMnemonic(dialog, msg->hwnd, static_cast<WCHAR>(msg->wParam))) return TRUE;
        break;
    default:
        break;
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageW(item, msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount) {
    if (text && maxCount > 0) text[0] = 0;
    HWND item = GetDlgItem(dialog, id);
    return item ? static_cast<UINT>(GetWindowTextW(item, text, maxCount)) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    std::string digits = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    std::u16string text(digits.begin(), digits.end());
    return SetDlgItemTextW(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated) *translated = FALSE;
    HWND item = GetDlgItem(dialog, id);
    if (!item) return 0;
    const std::u16string text = WindowText(item);
    size_t i = 0, end = text.size();
    while (i < end && text[i] == u' ')
        ++i;
    while (end > i && text[end - 1] == u' ')
        --end;
    bool negative = false;
    if (i < end && isSigned && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    if (i == end) return 0;
    unsigned long long value = 0;
    for (; i < end; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return 0;
        value = value * 10 + static_cast<unsigned>(text[i] - u'0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
    if (translated) *translated = TRUE;
    return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return FALSE;
    SendMessageW(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        if (HWND item = GetDlgItem(dialog, id))
            SendMessageW(item, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    if (!rect || !IsWindow(dialog)) return FALSE;
    constexpr int kBaseX = 6, kBaseY = 13;
    rect->left = MulDiv(rect->left, kBaseX, 4);
    rect->right = MulDiv(rect->right, kBaseX, 4);
    rect->top = MulDiv(rect->top, kBaseY, 8);
    rect->bottom = MulDiv(rect->bottom, kBaseY, 8);
    return TRUE;
}

LONG GetDialogBaseUnits() {
    return MAKELONG(8, 16);
}

BOOL GetComboBoxInfo(HWND combo, PCOMBOBOXINFO info) {
    return SendMessageW(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE
                                                                                      : FALSE;
}
