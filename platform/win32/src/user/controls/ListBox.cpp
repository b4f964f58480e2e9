// The "ListBox" class: layout and painting of the rows (plain or owner
// drawn), scrolling, keyboard and mouse selection, and the LB_ messages.
#include "ListBox.h"

#include <algorithm>

namespace win32::controls {

// --- View ------------------------------------------------------------------------------

RECT ListBoxData::ItemRect(int index) const {
    RECT rc;
    GetClientRect(hwnd, &rc);
    int y = 0;
    if (!Variable()) {
        y = (index - top) * itemHeight;
        return {-hOffset, y, std::max<LONG>(rc.right, horizontalExtent) - hOffset, y + itemHeight};
    }
    if (index >= top)
        for (int i = top; i < index; ++i)
            y += items[static_cast<size_t>(i)].height;
    else
        for (int i = index; i < top; ++i)
            y -= items[static_cast<size_t>(i)].height;
    const int h = Valid(index) ? items[static_cast<size_t>(index)].height : itemHeight;
    return {-hOffset, y, std::max<LONG>(rc.right, horizontalExtent) - hOffset, y + h};
}

int ListBoxData::ItemAt(POINT p) const {
    if (Count() == 0) return -1;
    int index = top;
    if (!Variable()) {
        index = top + (p.y >= 0 ? p.y / itemHeight : -1 - (-p.y - 1) / itemHeight);
    } else if (p.y >= 0) {
        for (int y = 0; index < Count(); ++index) {
            y += items[static_cast<size_t>(index)].height;
            if (p.y < y) break;
        }
    } else {
        for (int y = 0; index > 0 && p.y < y;)
            y -= items[static_cast<size_t>(--index)].height;
    }
    if (index < 0) return 0;
    return index >= Count() ? -1 : index;
}

int ListBoxData::VisibleRows() const {
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!Variable()) return std::max(1, static_cast<int>(rc.bottom / itemHeight));
    int rows = 0, y = 0;
    for (int i = top; i < Count(); ++i) {
        y += items[static_cast<size_t>(i)].height;
        if (y > rc.bottom) break;
        ++rows;
    }
    return std::max(1, rows);
}

void ListBoxData::SetTop(int index) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    int most = 0;
    if (!Variable()) {
        most = std::max(0, Count() - std::max(1, static_cast<int>(rc.bottom / itemHeight)));
    } else {
        int y = 0;
        most = Count();
        while (most > 0 && y + items[static_cast<size_t>(most - 1)].height <= rc.bottom)
            y += items[static_cast<size_t>(--most)].height;
        most = std::min(most, std::max(0, Count() - 1));
    }
    index = std::clamp(index, 0, most);
    if (index == top) return;
    top = index;
    Invalidate();
    UpdateScrollBars();
}

void ListBoxData::EnsureVisible(int index) {
    if (!Valid(index)) return;
    if (index < top) {
        SetTop(index);
        return;
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!Variable()) {
        const int rows = std::max(1, static_cast<int>(rc.bottom / itemHeight));
        if (index >= top + rows) SetTop(index - rows + 1);
        return;
    }
    // The first top from which the item shows whole.
    auto bottomFrom = [&](int first) {
        int y = 0;
        for (int i = first; i <= index; ++i)
            y += items[static_cast<size_t>(i)].height;
        return y;
    };
    int first = top;
    while (first < index && bottomFrom(first) > rc.bottom)
        ++first;
    SetTop(first);
}

void ListBoxData::SetCaret(int index) {
    if (!Valid(index) || index == caretIndex) return;
    caretIndex = index;
    Invalidate();
}

void ListBoxData::UpdateScrollBars() {
    const DWORD style = Style();
    const bool keep = (style & LBS_DISABLENOSCROLL) != 0;
    if (wantsVScroll) SetScrollBar(hwnd, SB_VERT, 0, Count() - 1, VisibleRows(), top, keep);
    if (wantsHScroll) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        SetScrollBar(hwnd, SB_HORZ, 0, horizontalExtent - 1, rc.right, hOffset, keep);
    }
}

void ListBoxData::Invalidate() const {
    InvalidateRect(hwnd, nullptr, FALSE);
}

void ListBoxData::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(font));
    HBRUSH brush = ControlColor(hwnd, dc, WM_CTLCOLORLISTBOX, OwnerTarget());
    const COLORREF textColor = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush);
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                        ((Style() & LBS_USETABSTOPS) ? DT_EXPANDTABS : 0);
    for (int i = top; i < Count(); ++i) {
        RECT rc = ItemRect(i);
        if (rc.top >= client.bottom) break;
        // Only the items the update touches are drawn (owners count on it).
        RECT touched;
        if (!IntersectRect(&touched, &rc, &ps.rcPaint)) continue;
        const bool isSelected = IsSelected(i), hasFocus = focused && i == caretIndex;
        if (OwnerDraw()) {
            DRAWITEMSTRUCT dis{};
            FillOwnerFields(dis.CtlType, dis.CtlID, dis.hwndItem);
            dis.itemID = static_cast<UINT>(i);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (isSelected ? ODS_SELECTED : 0) | (hasFocus ? ODS_FOCUS : 0) |
                            (enabled ? 0 : ODS_DISABLED);
            dis.hDC = dc;
            dis.rcItem = rc;
            dis.itemData = items[static_cast<size_t>(i)].data;
            if (HWND owner = OwnerTarget())
                SendMessageW(owner, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            continue;
        }
        if (isSelected) FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, isSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor);
        RECT textRect = rc;
        textRect.left += 2;
        const std::u16string& text = items[static_cast<size_t>(i)].text;
        DRAWTEXTPARAMS params{sizeof params, std::max(1, tabInterval / std::max(1, averageWidth)),
                              0, 0, 0};
        DrawTextExW(dc, const_cast<LPWSTR>(text.c_str()), static_cast<int>(text.size()), &textRect,
                    format, &params);
        if (hasFocus) DrawFocusRect(dc, &rc);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

namespace {

bool Down(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

// Moves the caret to an item and selects as the style says, as keys do.
void MoveCaret(ListBoxData& l, int index, bool shift, bool ctrl) {
    if (l.Count() == 0) return;
    index = std::clamp(index, 0, l.Count() - 1);
    const DWORD style = l.Style();
    bool changed = false;
    l.SetCaret(index);
    if (style & LBS_NOSEL) {
    } else if (!l.Multiple()) {
        changed = l.SetSelection(index);
    } else if (l.Extended()) {
        if (shift) {
            changed = l.SelectOnly(-1);
            changed = l.SelectRange(l.anchorIndex, index, true) || changed;
        } else if (!ctrl) {
            changed = l.SelectOnly(index);
            l.anchorIndex = index;
        }
    }
    l.EnsureVisible(index);
    if (changed) l.NotifyCode(LBN_SELCHANGE);
}

void KeyDown(ListBoxData& l, WPARAM vk) {
    if (l.Style() & LBS_WANTKEYBOARDINPUT) {
        const LRESULT r = SendMessageW(l.OwnerTarget(), WM_VKEYTOITEM, MAKEWPARAM(vk, l.caretIndex),
                                       reinterpret_cast<LPARAM>(l.hwnd));
        if (r == -2 || !IsWindow(l.hwnd)) return;
        if (r >= 0) {
            MoveCaret(l, static_cast<int>(r), false, false);
            return;
        }
    }
    const int page = std::max(1, l.VisibleRows() - 1);
    const bool shift = Down(VK_SHIFT), ctrl = Down(VK_CONTROL);
    int to = l.caretIndex;
    switch (vk) {
    case VK_UP:
    case VK_LEFT:
        to -= 1;
        break;
    case VK_DOWN:
    case VK_RIGHT:
        to += 1;
        break;
    case VK_PRIOR:
        to -= page;
        break;
    case VK_NEXT:
        to += page;
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = l.Count() - 1;
        break;
    case VK_SPACE:
        if ((l.Style() & LBS_MULTIPLESEL) && l.Valid(l.caretIndex)) {
            const bool on = !l.IsSelected(l.caretIndex);
            l.SelectRange(l.caretIndex, l.caretIndex, on);
            l.NotifyCode(LBN_SELCHANGE);
        } else if (l.Extended()) {
            MoveCaret(l, l.caretIndex, shift, false);
        }
        return;
    default:
        return;
    }
    // With nothing selected, an arrow first selects the item with the caret.
    const bool arrow = vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT;
    if (arrow && !l.Multiple() && l.selected < 0) to = l.caretIndex;
    MoveCaret(l, to, shift, ctrl);
}

void CharTyped(ListBoxData& l, WPARAM ch) {
    if (!l.HasStrings()) {
        if (!(l.Style() & LBS_WANTKEYBOARDINPUT)) return;
        const LRESULT r = SendMessageW(l.OwnerTarget(), WM_CHARTOITEM, MAKEWPARAM(ch, l.caretIndex),
                                       reinterpret_cast<LPARAM>(l.hwnd));
        if (r >= 0 && IsWindow(l.hwnd)) MoveCaret(l, static_cast<int>(r), false, false);
        return;
    }
    if (ch < 0x20) return;
    // Type-ahead: the next item after the caret that starts with the character.
    const char16_t typed[2] = {static_cast<char16_t>(ch), 0};
    const int found = l.Find(l.caretIndex, typed, 0, false);
    if (found != LB_ERR) MoveCaret(l, found, false, false);
}

void ButtonDown(ListBoxData& l, LPARAM lParam, bool doubleClick) {
    HWND focusTo = l.combo ? l.combo : l.hwnd;
    // A list told it has the focus (a pop-up list that an edit keeps the
    // focus for) does not take it away on a click.
    if (!l.focused && GetFocus() != focusTo && !(l.combo && IsChild(l.combo, GetFocus())))
        SetFocus(focusTo);
    if (!IsWindow(l.hwnd)) return;
    if (doubleClick) {
        l.NotifyCode(LBN_DBLCLK);
        return;
    }
    const int index = l.ItemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (index < 0) return;
    const DWORD style = l.Style();
    l.SetCaret(index);
    if (style & LBS_NOSEL) {
    } else if (!l.Multiple()) {
        l.SetSelection(index);
    } else if (style & LBS_MULTIPLESEL) {
        l.SelectRange(index, index, !l.IsSelected(index));
    } else if (Down(VK_SHIFT)) {
        l.SelectOnly(-1);
        l.SelectRange(l.anchorIndex, index, true);
    } else if (Down(VK_CONTROL)) {
        l.SelectRange(index, index, !l.IsSelected(index));
        l.anchorIndex = index;
    } else {
        l.SelectOnly(index);
        l.anchorIndex = index;
    }
    l.tracking = true;
    SetCapture(l.hwnd);
}

void MouseMove(ListBoxData& l, LPARAM lParam) {
    if (!l.tracking || GetCapture() != l.hwnd || l.Count() == 0) return;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT rc;
    GetClientRect(l.hwnd, &rc);
    int index = l.ItemAt(p);
    // Dragging past an edge scrolls a row at a time.
    if (p.y < 0)
        index = std::max(0, l.top - 1);
    else if (p.y >= rc.bottom || index < 0)
        index = std::min(l.Count() - 1, l.top + l.VisibleRows());
    const DWORD style = l.Style();
    if (style & (LBS_NOSEL | LBS_MULTIPLESEL)) return;
    l.SetCaret(index);
    if (!l.Multiple())
        l.SetSelection(index);
    else if (!Down(VK_CONTROL)) {
        l.SelectOnly(-1);
        l.SelectRange(l.anchorIndex, index, true);
    }
    l.EnsureVisible(index);
}

void ButtonUp(ListBoxData& l) {
    if (!l.tracking) return;
    l.tracking = false;
    if (GetCapture() == l.hwnd) ReleaseCapture();
    // A click reports a selection change even on the item already selected.
    if (l.Count() > 0) l.NotifyCode(LBN_SELCHANGE);
}

void Scroll(ListBoxData& l, int code, int thumb) {
    const int page = std::max(1, l.VisibleRows() - 1);
    switch (code) {
    case SB_LINEUP:
        l.SetTop(l.top - 1);
        break;
    case SB_LINEDOWN:
        l.SetTop(l.top + 1);
        break;
    case SB_PAGEUP:
        l.SetTop(l.top - page);
        break;
    case SB_PAGEDOWN:
        l.SetTop(l.top + page);
        break;
    case SB_TOP:
        l.SetTop(0);
        break;
    case SB_BOTTOM:
        l.SetTop(l.Count());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        l.SetTop(thumb);
        break;
    default:
        break;
    }
}

void FixHeight(ListBoxData& l) {
    // Without LBS_NOINTEGRALHEIGHT a list box shows whole rows only.
    const DWORD style = l.Style();
    if ((style & (LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWVARIABLE)) || l.combo) return;
    RECT rc, window;
    GetClientRect(l.hwnd, &rc);
    const int extra = rc.bottom % l.itemHeight;
    if (extra == 0 || rc.bottom < l.itemHeight) return;
    GetWindowRect(l.hwnd, &window);
    SetWindowPos(l.hwnd, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top - extra, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ApplyFont(ListBoxData& l, HFONT font) {
    l.font = font;
    MeasureDC m(font);
    TEXTMETRICW tm{};
    GetTextMetricsW(m.dc(), &tm);
    l.averageWidth = std::max(1, static_cast<int>(tm.tmAveCharWidth));
    if (!l.OwnerDraw()) l.itemHeight = std::max(1, static_cast<int>(tm.tmHeight));
}

void MeasureFixed(ListBoxData& l) {
    if (!(l.Style() & LBS_OWNERDRAWFIXED)) return;
    MEASUREITEMSTRUCT mis{};
    HWND item = nullptr;
    l.FillOwnerFields(mis.CtlType, mis.CtlID, item);
    RECT rc;
    GetClientRect(l.hwnd, &rc);
    mis.itemWidth = static_cast<UINT>(rc.right);
    mis.itemHeight = static_cast<UINT>(l.itemHeight);
    if (HWND owner = l.OwnerTarget())
        SendMessageW(owner, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    l.itemHeight = std::max(1, static_cast<int>(mis.itemHeight));
}

LRESULT CopyText(const ListBoxData& l, int index, LPARAM lParam) {
    if (!l.Valid(index)) return LB_ERR;
    const ListItem& item = l.items[static_cast<size_t>(index)];
    if (!l.HasStrings()) {
        if (lParam) *reinterpret_cast<ULONG_PTR*>(lParam) = item.data;
        return sizeof(ULONG_PTR);
    }
    if (auto* out = reinterpret_cast<LPWSTR>(lParam)) {
        std::copy(item.text.begin(), item.text.end(), out);
        out[item.text.size()] = 0;
    }
    return static_cast<LRESULT>(item.text.size());
}

LRESULT ListMessages(ListBoxData& l, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(wParam);
    switch (msg) {
    case LB_ADDSTRING:
        return l.Add(reinterpret_cast<LPCWSTR>(lParam), lParam);
    case LB_INSERTSTRING:
        return l.Insert(index, reinterpret_cast<LPCWSTR>(lParam), lParam);
    case LB_DELETESTRING:
        return l.Delete(index);
    case LB_RESETCONTENT:
        l.Reset();
        return LB_OKAY;
    case LB_GETCOUNT:
        return l.Count();
    case LB_GETTEXT:
        return CopyText(l, index, lParam);
    case LB_GETTEXTLEN:
        if (!l.Valid(index)) return LB_ERR;
        return l.HasStrings()
                   ? static_cast<LRESULT>(l.items[static_cast<size_t>(index)].text.size())
                   : static_cast<LRESULT>(sizeof(ULONG_PTR));
    case LB_SETCURSEL:
        if (l.Multiple()) return LB_ERR;
        l.SetSelection(index);
        if (l.Valid(index)) {
            l.SetCaret(index);
            l.EnsureVisible(index);
        }
        return l.Valid(index) ? index : LB_ERR;
    case LB_GETCURSEL:
        if (!l.Multiple()) return l.selected;
        return l.Count() ? l.caretIndex : LB_ERR;
    case LB_SETSEL: {
        if (!l.Multiple()) return LB_ERR;
        const int item = static_cast<int>(lParam);
        if (item == -1)
            l.SelectRange(0, l.Count() - 1, wParam != 0);
        else if (!l.Valid(item))
            return LB_ERR;
        else
            l.SelectRange(item, item, wParam != 0);
        if (wParam && l.Valid(item)) {
            l.anchorIndex = item;
            l.SetCaret(item);
        }
        return LB_OKAY;
    }
    case LB_GETSEL:
        return l.Valid(index) ? (l.IsSelected(index) ? 1 : 0) : LB_ERR;
    case LB_GETSELCOUNT:
        return l.Multiple() ? l.SelectedCount() : LB_ERR;
    case LB_GETSELITEMS: {
        if (!l.Multiple()) return LB_ERR;
        auto* out = reinterpret_cast<int*>(lParam);
        int n = 0;
        for (int i = 0; i < l.Count() && n < index; ++i)
            if (l.items[static_cast<size_t>(i)].selected) out[n++] = i;
        return n;
    }
    case LB_SELITEMRANGE:
        if (!l.Multiple()) return LB_ERR;
        l.SelectRange(LOWORD(lParam), HIWORD(lParam), wParam != 0);
        return LB_OKAY;
    case LB_SELITEMRANGEEX: {
        if (!l.Multiple()) return LB_ERR;
        const int last = static_cast<int>(lParam);
        l.SelectRange(index, last, index <= last);
        return LB_OKAY;
    }
    case LB_SETANCHORINDEX:
        if (!l.Valid(index)) return LB_ERR;
        l.anchorIndex = index;
        return LB_OKAY;
    case LB_GETANCHORINDEX:
        return l.anchorIndex;
    case LB_SELECTSTRING: {
        const int found = l.Find(index, reinterpret_cast<LPCWSTR>(lParam), lParam, false);
        if (found == LB_ERR) return LB_ERR;
        if (l.Multiple())
            l.SelectRange(found, found, true);
        else
            l.SetSelection(found);
        l.SetCaret(found);
        l.EnsureVisible(found);
        return found;
    }
    case LB_FINDSTRING:
        return l.Find(index, reinterpret_cast<LPCWSTR>(lParam), lParam, false);
    case LB_FINDSTRINGEXACT:
        return l.Find(index, reinterpret_cast<LPCWSTR>(lParam), lParam, true);
    case LB_SETITEMDATA:
        if (!l.Valid(index)) return LB_ERR;
        l.items[static_cast<size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
        return TRUE;
    case LB_GETITEMDATA:
        if (!l.Valid(index)) return LB_ERR;
        return static_cast<LRESULT>(l.items[static_cast<size_t>(index)].data);
    case LB_SETTOPINDEX:
        if (!l.Valid(index) && !(index == 0 && l.Count() == 0)) return LB_ERR;
        l.SetTop(index);
        return LB_OKAY;
    case LB_GETTOPINDEX:
        return l.top;
    case LB_GETITEMRECT: {
        if (!l.Valid(index) && !(index == 0 && l.Count() == 0)) return LB_ERR;
        RECT rc = l.ItemRect(index);
        if (lParam) *reinterpret_cast<RECT*>(lParam) = rc;
        RECT client;
        GetClientRect(hwnd, &client);
        return rc.top < client.bottom && rc.bottom > 0 ? 1 : 0;
    }
    case LB_ITEMFROMPOINT: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT client;
        GetClientRect(hwnd, &client);
        bool outside = !PtInRect(&client, p);
        int item = l.ItemAt(p);
        if (item < 0) {
            item = std::max(0, l.Count() - 1);
            outside = true;
        }
        return MAKELRESULT(static_cast<WORD>(item), outside ? 1 : 0);
    }
    case LB_SETITEMHEIGHT: {
        const int height = static_cast<int>(LOWORD(lParam));
        if (height <= 0 || height > 255) return LB_ERR;
        if (l.Variable()) {
            if (!l.Valid(index)) return LB_ERR;
            l.items[static_cast<size_t>(index)].height = height;
        } else {
            l.itemHeight = height;
            FixHeight(l);
        }
        l.UpdateScrollBars();
        l.Invalidate();
        return LB_OKAY;
    }
    case LB_GETITEMHEIGHT:
        if (l.Variable())
            return l.Valid(index) ? l.items[static_cast<size_t>(index)].height : LB_ERR;
        return l.itemHeight;
    case LB_SETCARETINDEX:
        if (!l.Valid(index)) return LB_ERR;
        l.SetCaret(index);
        l.EnsureVisible(index);
        return LB_OKAY;
    case LB_GETCARETINDEX:
        return l.Count() ? l.caretIndex : 0;
    case LB_INITSTORAGE:
        l.items.reserve(l.items.size() + wParam);
        return static_cast<LRESULT>(l.items.capacity());
    case LB_SETHORIZONTALEXTENT:
        l.horizontalExtent = index;
        l.UpdateScrollBars();
        l.Invalidate();
        return 0;
    case LB_GETHORIZONTALEXTENT:
        return l.horizontalExtent;
    case LB_SETTABSTOPS:
        // Dialog units of the fixed dialog base: 4 units are 6 pixels.
        if (wParam == 0)
            l.tabInterval = 32 * 6 / 4;
        else if (lParam)
            l.tabInterval = std::max(1, *reinterpret_cast<const int*>(lParam) * 6 / 4);
        return TRUE;
    case LB_SETCOUNT:
        if (!(l.Style() & LBS_NODATA) || l.HasStrings()) return LB_ERR;
        l.items.assign(static_cast<size_t>(std::max(0, index)),
                       ListItem{{}, 0, false, l.itemHeight});
        l.selected = -1;
        l.caretIndex = l.anchorIndex = 0;
        l.SetTop(l.top);
        l.UpdateScrollBars();
        l.Invalidate();
        return LB_OKAY;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT Messages(ListBoxData& l, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        MeasureFixed(l);
        FixHeight(l);
        l.UpdateScrollBars();
        return 0;
    case WM_SIZE:
        FixHeight(l);
        l.SetTop(l.top);
        l.UpdateScrollBars();
        l.Invalidate();
        return 0;
    case WM_PAINT:
        l.Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        l.Invalidate();
        return 0;
    case WM_SETFONT:
        ApplyFont(l, reinterpret_cast<HFONT>(wParam));
        FixHeight(l);
        l.UpdateScrollBars();
        if (LOWORD(lParam)) l.Invalidate();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(l.font);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        l.focused = true;
        l.Invalidate();
        l.NotifyCode(LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        l.focused = false;
        if (l.tracking && GetCapture() == hwnd) ReleaseCapture();
        l.tracking = false;
        l.Invalidate();
        l.NotifyCode(LBN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN:
        KeyDown(l, wParam);
        return 0;
    case WM_CHAR:
        CharTyped(l, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        ButtonDown(l, lParam, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        ButtonDown(l, lParam, true);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(l, lParam);
        return 0;
    case WM_LBUTTONUP:
        ButtonUp(l);
        return 0;
    case WM_CAPTURECHANGED:
        l.tracking = false;
        return 0;
    case WM_MOUSEWHEEL:
        l.SetTop(l.top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        return 0;
    case WM_VSCROLL:
        Scroll(l, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_HSCROLL: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        int x = l.hOffset;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            x -= l.averageWidth;
            break;
        case SB_LINEDOWN:
            x += l.averageWidth;
            break;
        case SB_PAGEUP:
            x -= rc.right;
            break;
        case SB_PAGEDOWN:
            x += rc.right;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            x = static_cast<short>(HIWORD(wParam));
            break;
        default:
            return 0;
        }
        l.hOffset = std::clamp(x, 0, std::max(0, l.horizontalExtent - static_cast<int>(rc.right)));
        l.Invalidate();
        return 0;
    }
    default:
        return ListMessages(l, hwnd, msg, wParam, lParam);
    }
}

} // namespace

HWND ComboOfList(HWND list) {
    auto l = Data<ListBoxData>(list);
    return l ? l->combo : nullptr;
}

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto l = std::make_shared<ListBoxData>();
        l->hwnd = hwnd;
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs) {
            l->wantsVScroll = (cs->style & WS_VSCROLL) != 0;
            l->wantsHScroll = (cs->style & WS_HSCROLL) != 0;
            // A combo box passes itself when it creates its list.
            HWND combo = static_cast<HWND>(cs->lpCreateParams);
            if ((cs->style & LBS_COMBOBOX) && combo && IsComboBox(combo)) l->combo = combo;
        }
        AttachData(hwnd, l);
        ApplyFont(*l, nullptr);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto l = Data<ListBoxData>(hwnd);
    if (!l) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        l->Reset(); // the owner frees its item data
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*l, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
