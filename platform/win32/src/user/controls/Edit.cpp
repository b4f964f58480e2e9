// The "Edit" class: messages, keyboard and mouse of single- and multi-line
// edit controls.
#include "Edit.h"

#include <algorithm>

namespace win32::controls {

namespace {

bool Down(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

void Changed(EditData& e) {
    if (e.noNotify) return;
    Notify(e.hwnd, EN_UPDATE);
    Notify(e.hwnd, EN_CHANGE);
}

void TypeChar(EditData& e, char16_t ch) {
    const DWORD style = e.Style();
    switch (ch) {
    case 0x01: // Ctrl+A
        e.Select(0, e.text.size());
        return;
    case 0x03: // Ctrl+C
        e.Copy();
        return;
    case 0x16: // Ctrl+V
        e.Paste();
        return;
    case 0x18: // Ctrl+X
        e.Cut();
        return;
    case 0x1A: // Ctrl+Z
        e.Undo();
        return;
    case u'\b':
        e.Backspace();
        return;
    default:
        break;
    }
    if (style & ES_READONLY) return;
    std::u16string insert;
    if (ch == u'\r' || ch == u'\n') {
        if (!(style & ES_MULTILINE)) return;
        insert = u"\r\n";
    } else if (ch == u'\t') {
        if (!(style & ES_MULTILINE)) return;
        insert = u"\t";
    } else if (ch < 0x20 || ch == 0x7F) {
        return;
    } else {
        if ((style & ES_NUMBER) && !(ch >= u'0' && ch <= u'9')) return;
        insert.assign(1, ch);
    }
    if (e.Replace(insert, true, EditSource::Typing)) Changed(e);
}

// Keys a combo box takes from its edit field.
bool ForComboBox(EditData& e, WPARAM vk) {
    if (!e.inCombo) return false;
    HWND combo = GetParent(e.hwnd);
    const bool dropped = ComboIsDropped(combo);
    if (vk == VK_UP || vk == VK_DOWN || vk == VK_F4 || vk == VK_PRIOR || vk == VK_NEXT ||
        (dropped && (vk == VK_RETURN || vk == VK_ESCAPE))) {
        return true;
    }
    return false;
}

void KeyDown(EditData& e, WPARAM vk, LPARAM lParam, UINT msg) {
    if (ForComboBox(e, vk)) {
        SendMessageW(GetParent(e.hwnd), msg, vk, lParam);
        return;
    }
    const bool shift = Down(VK_SHIFT), ctrl = Down(VK_CONTROL), multi = e.Multi();
    const EditLine& line = e.lines[static_cast<size_t>(e.LineOf(e.caret))];
    auto vertical = [&](int delta) {
        if (!multi) return delta < 0 ? e.CharLeft(e.caret) : e.CharRight(e.caret);
        const int target =
            std::clamp(e.LineOf(e.caret) + delta, 0, static_cast<int>(e.lines.size()) - 1);
        POINT p = e.PosFromChar(e.caret);
        p.y = e.format.top + (target - e.firstLine) * e.lineHeight;
        return e.CharFromPoint(p);
    };
    switch (vk) {
    case VK_LEFT:
        e.MoveTo(ctrl ? e.WordLeft(e.caret) : e.CharLeft(e.caret), shift);
        break;
    case VK_RIGHT:
        e.MoveTo(ctrl ? e.WordRight(e.caret) : e.CharRight(e.caret), shift);
        break;
    case VK_UP:
        e.MoveTo(vertical(-1), shift);
        break;
    case VK_DOWN:
        e.MoveTo(vertical(1), shift);
        break;
    case VK_PRIOR:
        e.MoveTo(vertical(-e.VisibleLines()), shift);
        break;
    case VK_NEXT:
        e.MoveTo(vertical(e.VisibleLines()), shift);
        break;
    case VK_HOME:
        e.MoveTo(ctrl ? 0 : line.start, shift);
        break;
    case VK_END:
        e.MoveTo(ctrl ? e.text.size() : line.End(), shift);
        break;
    case VK_DELETE:
        if (shift)
            e.Cut();
        else
            e.DeleteForward();
        break;
    case VK_INSERT:
        if (shift)
            e.Paste();
        else if (ctrl)
            e.Copy();
        break;
    default:
        break;
    }
}

void ButtonDown(EditData& e, LPARAM lParam) {
    if (GetFocus() != e.hwnd) SetFocus(e.hwnd);
    if (!IsWindow(e.hwnd)) return;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    e.MoveTo(e.CharFromPoint(p), Down(VK_SHIFT));
    e.tracking = true;
    SetCapture(e.hwnd);
}

void MouseMove(EditData& e, LPARAM lParam) {
    if (!e.tracking || GetCapture() != e.hwnd) return;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    e.MoveTo(e.CharFromPoint(p), true);
}

void DoubleClick(EditData& e, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const size_t at = e.CharFromPoint(p);
    size_t start = at;
    while (start > 0 && e.text[start - 1] != u' ' && e.text[start - 1] != u'\t' &&
           e.text[start - 1] != u'\n' && e.text[start - 1] != u'\r')
        --start;
    e.Select(start, e.WordRight(start));
}

void SetFocusState(EditData& e, bool focused) {
    e.focused = focused;
    if (focused) {
        CreateCaret(e.hwnd, nullptr, 1, e.lineHeight);
        e.UpdateCaret();
        ShowCaret(e.hwnd);
    } else {
        DestroyCaret();
        if (e.tracking && GetCapture() == e.hwnd) ReleaseCapture();
        e.tracking = false;
    }
    e.Invalidate();
    Notify(e.hwnd, focused ? EN_SETFOCUS : EN_KILLFOCUS);
}

LRESULT DialogCode(EditData& e, LPARAM lParam) {
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    const bool key = m && m->message == WM_KEYDOWN;
    if (e.Multi()) {
        // Enter and Escape go to the dialog unless the edit wants Enter.
        const bool enter = key && m->wParam == VK_RETURN, escape = key && m->wParam == VK_ESCAPE;
        if (!(enter && !(e.Style() & ES_WANTRETURN)) && !escape) code |= DLGC_WANTALLKEYS;
    }
    if (e.inCombo && key && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) &&
        ComboIsDropped(GetParent(e.hwnd)))
        code |= DLGC_WANTMESSAGE;
    return code;
}

// EM_LINELENGTH with -1: what is not selected on the lines the selection touches.
LRESULT UnselectedOnSelectionLines(EditData& e) {
    const EditLine& first = e.lines[static_cast<size_t>(e.LineOf(e.SelStart()))];
    const EditLine& last = e.lines[static_cast<size_t>(e.LineOf(e.SelEnd()))];
    return static_cast<LRESULT>((e.SelStart() - first.start) +
                                (last.End() - std::min(e.SelEnd(), last.End())));
}

void VerticalScroll(EditData& e, int code, int thumb) {
    const int rows = e.VisibleLines();
    int first = e.firstLine;
    switch (code) {
    case SB_LINEUP:
        --first;
        break;
    case SB_LINEDOWN:
        ++first;
        break;
    case SB_PAGEUP:
        first -= rows;
        break;
    case SB_PAGEDOWN:
        first += rows;
        break;
    case SB_TOP:
        first = 0;
        break;
    case SB_BOTTOM:
        first = static_cast<int>(e.lines.size());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        first = thumb;
        break;
    default:
        return;
    }
    e.ScrollTo(e.xOffset, std::min(first, std::max(0, static_cast<int>(e.lines.size()) - rows)));
}

LRESULT Messages(EditData& e, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        e.ResetFormat();
        e.Layout();
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName && *cs->lpszName) {
            e.noNotify = true;
            e.SetText(cs->lpszName);
            e.noNotify = false;
        }
        e.UpdateScrollBars();
        return 0;
    }
    case WM_SIZE:
        if (!e.customFormat) e.ResetFormat();
        e.Layout();
        e.ScrollCaret();
        e.Invalidate();
        return 0;
    case WM_STYLECHANGED:
        e.Layout();
        e.Invalidate();
        return 0;
    case WM_PAINT:
        e.Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills the whole client area
    case WM_ENABLE:
        e.Invalidate();
        return 0;
    case WM_SETFONT:
        e.ApplyFont(reinterpret_cast<HFONT>(wParam));
        if (LOWORD(lParam)) e.Invalidate();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(e.font);
    case WM_SETTEXT:
        e.SetText(lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
        return TRUE;
    case WM_GETTEXT: {
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (!out || wParam == 0) return 0;
        const size_t n = std::min(e.text.size(), static_cast<size_t>(wParam) - 1);
        std::copy_n(e.text.begin(), n, out);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(e.text.size());
    case WM_GETDLGCODE:
        return DialogCode(e, lParam);
    case WM_SETFOCUS:
        SetFocusState(e, true);
        return 0;
    case WM_KILLFOCUS:
        SetFocusState(e, false);
        return 0;
    case WM_CHAR:
        TypeChar(e, static_cast<char16_t>(wParam));
        return 0;
    case WM_KEYDOWN:
        KeyDown(e, wParam, lParam, msg);
        return 0;
    case WM_SYSKEYDOWN:
        if (e.inCombo && (wParam == VK_UP || wParam == VK_DOWN)) {
            SendMessageW(GetParent(hwnd), msg, wParam, lParam);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN:
        ButtonDown(e, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        DoubleClick(e, lParam);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(e, lParam);
        return 0;
    case WM_LBUTTONUP:
        if (e.tracking && GetCapture() == hwnd) ReleaseCapture();
        e.tracking = false;
        return 0;
    case WM_CAPTURECHANGED:
        e.tracking = false;
        return 0;
    case WM_MOUSEWHEEL:
        if (!e.Multi()) return DefWindowProcW(hwnd, msg, wParam, lParam);
        VerticalScroll(e, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        return 0;
    case WM_VSCROLL:
        if (e.Multi()) VerticalScroll(e, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_HSCROLL: {
        const int width = e.format.right - e.format.left;
        int x = e.xOffset;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            x -= e.averageWidth;
            break;
        case SB_LINEDOWN:
            x += e.averageWidth;
            break;
        case SB_PAGEUP:
            x -= width;
            break;
        case SB_PAGEDOWN:
            x += width;
            break;
        case SB_TOP:
            x = 0;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            x = static_cast<short>(HIWORD(wParam));
            break;
        default:
            return 0;
        }
        e.ScrollTo(x, e.firstLine);
        return 0;
    }
    case WM_COPY:
        e.Copy();
        return 0;
    case WM_CUT:
        e.Cut();
        return 0;
    case WM_PASTE:
        e.Paste();
        return 0;
    case WM_CLEAR:
        e.Clear();
        return 0;
    case WM_UNDO:
    case EM_UNDO:
        return e.Undo() ? TRUE : FALSE;
    case EM_CANUNDO:
        return e.canUndo ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
        e.EmptyUndo();
        return 0;
    case EM_GETSEL: {
        const auto s = static_cast<DWORD>(e.SelStart()), end = static_cast<DWORD>(e.SelEnd());
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = s;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
        return (s > 0xFFFF || end > 0xFFFF) ? -1 : MAKELRESULT(s, end);
    }
    case EM_SETSEL: {
        const auto start = static_cast<int>(wParam), end = static_cast<int>(lParam);
        if (start == -1) { // only deselects
            e.Select(e.caret, e.caret);
            return 0;
        }
        const size_t length = e.text.size();
        const size_t a = start < 0 ? length : std::min<size_t>(static_cast<size_t>(start), length);
        const size_t c = end < 0 ? length : std::min<size_t>(static_cast<size_t>(end), length);
        e.Select(a, c);
        return 0;
    }
    case EM_REPLACESEL: {
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        if (e.Replace(text ? std::u16string(text) : std::u16string(), wParam != 0,
                      EditSource::ReplaceSel))
            Changed(e);
        return 0;
    }
    case EM_LIMITTEXT:
        e.limit = wParam ? static_cast<size_t>(wParam) : (e.Multi() ? 0xFFFFFFFFu : 0x7FFFFFFEu);
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(e.limit);
    case EM_GETMODIFY:
        return e.modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        e.modified = wParam != 0;
        return 0;
    case EM_SETREADONLY: {
        const DWORD style = e.Style();
        SetWindowLongW(hwnd, GWL_STYLE,
                       static_cast<LONG>(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
        e.Invalidate();
        return TRUE;
    }
    case EM_SETPASSWORDCHAR: {
        if (e.Multi()) return 0;
        const auto ch = static_cast<char16_t>(wParam);
        const DWORD style = e.Style();
        e.passwordChar = ch;
        SetWindowLongW(hwnd, GWL_STYLE,
                       static_cast<LONG>(ch ? (style | ES_PASSWORD) : (style & ~ES_PASSWORD)));
        e.Layout();
        e.ScrollCaret();
        e.Invalidate();
        e.UpdateCaret();
        return 0;
    }
    case EM_GETPASSWORDCHAR:
        return e.passwordChar;
    case EM_GETLINECOUNT:
        return static_cast<LRESULT>(e.lines.size());
    case EM_LINEINDEX: {
        const int line =
            static_cast<int>(wParam) == -1 ? e.LineOf(e.caret) : static_cast<int>(wParam);
        if (line < 0 || line >= static_cast<int>(e.lines.size())) return -1;
        return static_cast<LRESULT>(e.lines[static_cast<size_t>(line)].start);
    }
    case EM_LINELENGTH:
        if (!e.Multi()) return static_cast<LRESULT>(e.text.size());
        if (static_cast<int>(wParam) == -1) return UnselectedOnSelectionLines(e);
        if (wParam > e.text.size()) return 0;
        return static_cast<LRESULT>(e.lines[static_cast<size_t>(e.LineOf(wParam))].length);
    case EM_GETLINE: {
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (!out) return 0;
        const size_t room = *reinterpret_cast<const WORD*>(out);
        const size_t line = e.Multi() ? static_cast<size_t>(wParam) : 0;
        if (line >= e.lines.size()) return 0;
        const EditLine& l = e.lines[line];
        const size_t n = std::min(room, l.length);
        std::copy_n(e.text.begin() + static_cast<std::ptrdiff_t>(l.start), n, out);
        if (n < room) out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case EM_LINEFROMCHAR: {
        if (!e.Multi()) return 0;
        const size_t index = static_cast<int>(wParam) == -1
                                 ? (e.SelStart() != e.SelEnd() ? e.SelStart() : e.caret)
                                 : std::min<size_t>(wParam, e.text.size());
        return e.LineOf(index);
    }
    case EM_GETFIRSTVISIBLELINE:
        if (e.Multi()) return e.firstLine;
        return static_cast<LRESULT>(e.CharFromPoint({e.format.left, e.format.top}));
    case EM_SCROLLCARET:
        e.ScrollCaret();
        return TRUE;
    case EM_LINESCROLL:
        if (!e.Multi()) return FALSE;
        e.ScrollTo(e.xOffset + static_cast<int>(wParam) * e.averageWidth,
                   e.firstLine + static_cast<int>(lParam));
        return TRUE;
    case EM_SCROLL: {
        if (!e.Multi()) return FALSE;
        const int before = e.firstLine;
        VerticalScroll(e, static_cast<int>(wParam), 0);
        return MAKELRESULT(static_cast<WORD>(e.firstLine - before), TRUE);
    }
    case EM_SETMARGINS:
        e.SetMargins(wParam, LOWORD(lParam), HIWORD(lParam));
        e.UpdateCaret();
        return 0;
    case EM_GETMARGINS:
        return MAKELRESULT(e.leftMargin, e.rightMargin);
    case EM_GETRECT:
        if (lParam) *reinterpret_cast<RECT*>(lParam) = e.format;
        return 0;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (lParam) {
            e.format = *reinterpret_cast<const RECT*>(lParam);
            if (!e.Multi()) e.format.bottom = e.format.top + e.lineHeight;
            e.customFormat = true;
        } else {
            e.customFormat = false;
            e.ResetFormat();
        }
        e.Layout();
        e.ScrollCaret();
        if (msg == EM_SETRECT) e.Invalidate();
        e.UpdateCaret();
        return 0;
    case EM_POSFROMCHAR: {
        if (wParam > e.text.size()) return -1;
        POINT p = e.PosFromChar(wParam);
        return MAKELRESULT(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    }
    case EM_CHARFROMPOS: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const size_t index = e.CharFromPoint(p);
        return MAKELRESULT(static_cast<WORD>(index), static_cast<WORD>(e.LineOf(index)));
    }
    case EM_SETTABSTOPS:
        return TRUE;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto e = std::make_shared<EditData>();
        e->hwnd = hwnd;
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const DWORD style = cs ? static_cast<DWORD>(cs->style) : 0;
        if ((style & ES_PASSWORD) && !(style & ES_MULTILINE)) e->passwordChar = u'*';
        HWND parent = cs ? cs->hwndParent : nullptr;
        e->inCombo = parent && (style & WS_CHILD) && IsComboBox(parent);
        AttachData(hwnd, e);
        e->ApplyFont(nullptr);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto e = Data<EditData>(hwnd);
    if (!e) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*e, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
