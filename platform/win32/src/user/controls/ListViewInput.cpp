// The list view's mouse, keyboard and label editing.
// A press on an item selects it (Ctrl toggles, Shift extends from the
// selection mark); moving the pressed mouse past the drag distance starts a
// drag (LVN_BEGINDRAG) instead of a click; releasing it clicks (NM_CLICK). A
// click on the label of the only selected, focused item of an LVS_EDITLABELS
// view starts editing once the double-click time has passed without a second
// click. Keys move the focus (LVN_KEYDOWN first), typed characters find an
// item by prefix, F2 edits.
#include "ListView.h"

#include <algorithm>

namespace win32::controls::listview {

namespace {

constexpr DWORD kTypeAheadTimeout = 1000; // ms between typed characters of one search

UINT KeyFlags() {
    UINT flags = 0;
    if (GetKeyState(VK_MENU) & 0x8000) flags |= LVKF_ALT;
    if (GetKeyState(VK_CONTROL) & 0x8000) flags |= LVKF_CONTROL;
    if (GetKeyState(VK_SHIFT) & 0x8000) flags |= LVKF_SHIFT;
    return flags;
}

LRESULT NotifyActivate(Data& d, UINT code, int item, int subItem, POINT p) {
    NMITEMACTIVATE n{};
    n.iItem = item;
    n.iSubItem = subItem;
    n.ptAction = p;
    n.uKeyFlags = KeyFlags();
    return NotifyParent(d, n.hdr, code);
}

std::shared_ptr<Data> OfEdit(HWND edit) {
    return win32::controls::Data<listview::Data>(GetParent(edit));
}

LRESULT CALLBACK EditSubclass(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto d = OfEdit(edit);
    WNDPROC original = d ? d->editProc : nullptr;
    if (!d || !original) return DefWindowProcW(edit, msg, wParam, lParam);
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | CallWindowProcW(original, edit, msg, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            if (d->edit == edit) EndEdit(*d, wParam == VK_RETURN);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == u'\r' || wParam == 27) return 0; // no beep for the keys handled above
        break;
    case WM_KILLFOCUS: {
        const LRESULT r = CallWindowProcW(original, edit, msg, wParam, lParam);
        if (d->edit == edit) EndEdit(*d, true);
        return r;
    }
    }
    return CallWindowProcW(original, edit, msg, wParam, lParam);
}

void FocusOn(Data& d, int item, bool extend, bool focusOnly) {
    if (item < 0) return;
    if (extend) {
        SelectRange(d, d.mark >= 0 ? d.mark : item, item, item, false);
    } else if (focusOnly) {
        SetState(d, item, LVIS_FOCUSED, LVIS_FOCUSED);
    } else {
        SelectOnly(d, item);
    }
    if (IsWindow(d.hwnd)) EnsureVisible(d, item, false);
}

} // namespace

void MouseDown(Data& d, POINT p, bool right, bool dbl, WPARAM keys) {
    HWND hwnd = d.hwnd;
    KillTimer(hwnd, kEditTimer);
    const bool hadFocus = GetFocus() == hwnd;
    if (d.edit) EndEdit(d, true);
    if (!hadFocus) SetFocus(hwnd);
    if (!IsWindow(hwnd)) return;
    UINT flags = 0;
    int subItem = 0;
    const int item = HitTest(d, p, &flags, &subItem);
    if (dbl) {
        NotifyActivate(d, right ? NM_RDBLCLK : NM_DBLCLK, item, subItem, p);
        if (!right && item >= 0 && IsWindow(hwnd))
            NotifyActivate(d, LVN_ITEMACTIVATE, item, subItem, p);
        return;
    }
    const bool ctrl = keys & MK_CONTROL;
    const bool shift = keys & MK_SHIFT;
    const bool single = d.Style() & LVS_SINGLESEL;
    d.pressing = true;
    d.pressItem = item;
    d.pressPoint = p;
    d.pressRight = right;
    d.pressWasSelected = false;
    d.editOnRelease = false;
    SetCapture(hwnd);
    if (item < 0) {
        if (!ctrl && !shift) SetState(d, -1, 0, LVIS_SELECTED);
        return;
    }
    const UINT state = StateOf(d, item, LVIS_SELECTED | LVIS_FOCUSED);
    if (!right && shift && !single) {
        SelectRange(d, d.mark >= 0 ? d.mark : item, item, item, ctrl);
    } else if (!right && ctrl && !single) {
        SetState(d, item, (state & LVIS_SELECTED) ? LVIS_FOCUSED : LVIS_SELECTED | LVIS_FOCUSED,
                 LVIS_SELECTED | LVIS_FOCUSED);
        d.mark = item;
    } else if (state & LVIS_SELECTED) {
        // Others stay selected until the release, so that they can be dragged together.
        d.pressWasSelected = true;
        d.editOnRelease = !right && hadFocus && (state & LVIS_FOCUSED) &&
                          (d.Style() & LVS_EDITLABELS) && (flags & LVHT_ONITEMLABEL) &&
                          SelectedCount(d) == 1;
        SetState(d, item, LVIS_FOCUSED, LVIS_FOCUSED);
    } else {
        SelectOnly(d, item);
    }
}

void MouseMove(Data& d, POINT p, WPARAM keys) {
    if (!d.pressing || d.pressItem < 0) return;
    const bool held = keys & (d.pressRight ? MK_RBUTTON : MK_LBUTTON);
    if (!held) return;
    const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    if (std::abs(p.x - d.pressPoint.x) <= cx && std::abs(p.y - d.pressPoint.y) <= cy) return;
    const int item = d.pressItem;
    const bool right = d.pressRight;
    d.pressing = false;
    d.pressItem = -1;
    d.editOnRelease = false;
    ReleaseCapture();
    NotifyItem(d, right ? LVN_BEGINRDRAG : LVN_BEGINDRAG, item, 0, 0, 0, 0, d.pressPoint);
}

void MouseUp(Data& d, POINT p) {
    if (!d.pressing) return;
    HWND hwnd = d.hwnd;
    const int item = d.pressItem;
    const bool right = d.pressRight;
    const bool edit = d.editOnRelease;
    d.pressing = false;
    d.pressItem = -1;
    d.editOnRelease = false;
    if (GetCapture() == hwnd) ReleaseCapture();
    if (!IsWindow(hwnd)) return;
    if (d.pressWasSelected && !right && item >= 0) SelectOnly(d, item);
    if (!IsWindow(hwnd)) return;
    int subItem = 0;
    HitTest(d, p, nullptr, &subItem);
    if (right) {
        // Unless the owner handled the right click, it asks for a context menu.
        if (NotifyActivate(d, NM_RCLICK, item, subItem, p) == 0 && IsWindow(hwnd)) {
            POINT screen = p;
            ClientToScreen(hwnd, &screen);
            SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                         MAKELPARAM(screen.x, screen.y));
        }
        return;
    }
    NotifyActivate(d, NM_CLICK, item, subItem, p);
    if (edit && IsWindow(hwnd)) SetTimer(hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
}

void Timer(Data& d, UINT_PTR id) {
    if (id != kEditTimer) return;
    KillTimer(d.hwnd, kEditTimer);
    if (d.focused >= 0 && StateOf(d, d.focused, LVIS_SELECTED)) EditLabel(d, d.focused);
}

void KeyDown(Data& d, WPARAM vk) {
    HWND hwnd = d.hwnd;
    NMLVKEYDOWN n{};
    n.wVKey = static_cast<WORD>(vk);
    NotifyParent(d, n.hdr, LVN_KEYDOWN);
    if (!IsWindow(hwnd)) return;
    const bool ctrl = GetKeyState(VK_CONTROL) & 0x8000;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) && !(d.Style() & LVS_SINGLESEL);
    switch (vk) {
    case VK_F2:
        if ((d.Style() & LVS_EDITLABELS) && d.focused >= 0) EditLabel(d, d.focused);
        return;
    case VK_RETURN: {
        NMHDR h{};
        NotifyParent(d, h, NM_RETURN);
        if (IsWindow(hwnd) && d.focused >= 0)
            NotifyActivate(d, LVN_ITEMACTIVATE, d.focused, 0, POINT{});
        return;
    }
    case VK_SPACE:
        if (d.focused < 0) return;
        if (ctrl && !(d.Style() & LVS_SINGLESEL))
            SetState(d, d.focused, StateOf(d, d.focused, LVIS_SELECTED) ^ LVIS_SELECTED,
                     LVIS_SELECTED);
        else if (!StateOf(d, d.focused, LVIS_SELECTED))
            SelectOnly(d, d.focused);
        return;
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT: {
        const int next = Neighbour(d, d.focused, static_cast<UINT>(vk));
        if (next < 0) return;
        if (next == d.focused && StateOf(d, next, LVIS_SELECTED)) return;
        if (!shift && !ctrl) d.mark = next;
        FocusOn(d, next, shift, ctrl && !shift);
        return;
    }
    }
}

void Char(Data& d, char16_t c) {
    if (c < 32 || d.Count() == 0) return;
    const DWORD now = GetTickCount();
    if (now - d.typedTime > kTypeAheadTimeout) d.typed.clear();
    d.typedTime = now;
    d.typed += c;
    // A new search looks past the focused item; a longer prefix may still match it.
    const int start = d.typed.size() == 1 ? d.focused : d.focused - 1;
    LVFINDINFOW info{};
    info.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
    info.psz = d.typed.c_str();
    const int found = FindItem(d, start, info);
    if (found >= 0 && IsWindow(d.hwnd)) {
        SelectOnly(d, found);
        if (IsWindow(d.hwnd)) EnsureVisible(d, found, false);
    }
}

HWND EditLabel(Data& d, int item) {
    HWND hwnd = d.hwnd;
    KillTimer(hwnd, kEditTimer);
    if (d.edit) EndEdit(d, true);
    if (item < 0 || item >= d.Count() || !IsWindow(hwnd)) return nullptr;
    if (GetFocus() != hwnd) SetFocus(hwnd);
    EnsureVisible(d, item, false);
    const Shown s = Fetch(d, item, 0, LVIF_TEXT | LVIF_PARAM);
    RECT r = ItemRect(d, item, LVIR_LABEL);
    if (d.View() == LVS_ICON)
        r.bottom = r.top + RowHeight(d) + 4;
    else
        InflateRect(&r, 0, 1);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    HWND edit = CreateWindowExW(0, u"Edit", s.text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL,
                                r.left, r.top, std::max(40, static_cast<int>(r.right - r.left)),
                                r.bottom - r.top, hwnd, nullptr, instance, nullptr);
    if (!edit) return nullptr;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(FontOrSystem(d.font)), FALSE);
    d.edit = edit;
    d.editItem = item;
    // The owner may refuse; it can reach the edit control meanwhile.
    NMLVDISPINFOW n{};
    n.item.mask = LVIF_TEXT | LVIF_PARAM;
    n.item.iItem = item;
    std::u16string text = s.text;
    n.item.pszText = text.data();
    n.item.lParam = s.param;
    const bool refused = NotifyParent(d, n.hdr, LVN_BEGINLABELEDITW) != 0;
    if (!IsWindow(hwnd) || refused || d.edit != edit) {
        if (IsWindow(hwnd) && d.edit == edit) d.edit = nullptr, d.editItem = -1;
        if (IsWindow(edit)) DestroyWindow(edit);
        return nullptr;
    }
    d.editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditSubclass)));
    ShowWindow(edit, SW_SHOW);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return edit;
}

void EndEdit(Data& d, bool save) {
    if (!d.edit) return;
    HWND hwnd = d.hwnd;
    HWND edit = d.edit;
    const int item = d.editItem;
    d.edit = nullptr;
    d.editItem = -1;
    std::u16string text = WindowText(edit);
    if (!d.destroying && item >= 0 && item < d.Count()) {
        NMLVDISPINFOW n{};
        n.item.mask = LVIF_TEXT | LVIF_PARAM;
        n.item.iItem = item;
        n.item.pszText = save ? text.data() : nullptr;
        n.item.cchTextMax = static_cast<int>(text.size()) + 1;
        n.item.lParam = d.ownerData ? 0 : d.items[static_cast<size_t>(item)].param;
        const bool keep = NotifyParent(d, n.hdr, LVN_ENDLABELEDITW) != 0;
        if (IsWindow(hwnd) && save && keep && !d.ownerData && item < d.Count()) {
            Item& it = d.items[static_cast<size_t>(item)];
            if (!it.callback) it.text = text;
        }
        if (IsWindow(hwnd)) InvalidateItem(d, item);
    }
    if (IsWindow(hwnd) && GetFocus() == edit && !d.destroying) SetFocus(hwnd);
    if (IsWindow(edit)) DestroyWindow(edit);
}

} // namespace win32::controls::listview
