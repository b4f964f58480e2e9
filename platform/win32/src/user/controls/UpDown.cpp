// The up-down control (UPDOWN_CLASS): two arrow buttons over a position in a
// range. Every step the user makes is first offered to the parent
// (UDN_DELTAPOS, which may refuse it or change the step), then applied, shown
// in the buddy (UDS_SETBUDDYINT) and announced with WM_VSCROLL (WM_HSCROLL
// with UDS_HORZ) SB_THUMBPOSITION; letting go sends SB_ENDSCROLL. A held
// button repeats on the window's timer, its step growing by the accelerator
// table. With UDS_ARROWKEYS the buddy's arrow keys step too: the buddy is
// subclassed for as long as it is the buddy.
#include "Controls.h"

#include <win32/commctrl.h>
#include <win32/winbase.h>
#include <win32/winnls.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace win32::controls {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 400; // ms before a held button repeats
constexpr UINT kRepeatDelay = 100;
constexpr const char16_t* kBuddyProp = u"UpDownOfBuddy";

struct UpDownData : ControlData {
    HWND hwnd = nullptr;
    HWND buddy = nullptr;
    WNDPROC buddyProc = nullptr; // the buddy's own procedure while subclassed
    int lower = 0;
    int upper = 100;
    int pos = 0;
    int base = 10;
    std::vector<UDACCEL> accels{{0, 1}, {2, 5}, {5, 20}};
    int pressed = 0; // +1 towards upper, -1 towards lower, 0 none
    DWORD pressStart = 0;
};

bool Horizontal(HWND hwnd) {
    return (StyleOf(hwnd) & UDS_HORZ) != 0;
}

int Lowest(const UpDownData& u) {
    return std::min(u.lower, u.upper);
}
int Highest(const UpDownData& u) {
    return std::max(u.lower, u.upper);
}

std::u16string FormatPos(const UpDownData& u) {
    if (u.base == 16) {
        char buffer[16];
        snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(u.pos));
        return std::u16string(buffer, buffer + strlen(buffer));
    }
    const std::string digits = std::to_string(u.pos < 0 ? -static_cast<int64_t>(u.pos) : u.pos);
    std::u16string separator;
    if (!(StyleOf(u.hwnd) & UDS_NOTHOUSANDS)) {
        char16_t sep[8] = {};
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, 8) > 0) separator = sep;
    }
    std::u16string text;
    if (u.pos < 0) text += u'-';
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
        text += static_cast<char16_t>(digits[i]);
    }
    return text;
}

// The buddy's text as a number: blanks and thousands separators are skipped;
// false when anything else is in the way or it overflows.
bool ParseText(const UpDownData& u, std::u16string_view text, int& value) {
    char16_t sep[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, 8);
    std::u16string kept;
    for (char16_t c : text)
        if (c != u' ' && c != sep[0]) kept += c;
    bool negative = false;
    size_t i = 0;
    int radix = u.base == 16 ? 16 : 10;
    if (radix == 10 && i < kept.size() && (kept[i] == u'-' || kept[i] == u'+'))
        negative = kept[i++] == u'-';
    if (radix == 16 && kept.size() > 2 && kept[0] == u'0' && (kept[1] == u'x' || kept[1] == u'X'))
        i = 2;
    if (i >= kept.size()) return false;
    int64_t n = 0;
    for (; i < kept.size(); ++i) {
        char16_t c = kept[i];
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (radix == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (radix == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return false;
        n = n * radix + d;
        if (n > 0xFFFFFFFFLL) return false;
    }
    if (radix == 16) {
        value = static_cast<int>(static_cast<uint32_t>(n));
        return true;
    }
    if (negative) n = -n;
    if (n < INT32_MIN || n > INT32_MAX) return false;
    value = static_cast<int>(n);
    return true;
}

void ShowPos(UpDownData& u) {
    if (!u.buddy || !IsWindow(u.buddy) || !(StyleOf(u.hwnd) & UDS_SETBUDDYINT)) return;
    const std::u16string text = FormatPos(u);
    if (WindowText(u.buddy) != text) SetWindowTextW(u.buddy, text.c_str());
}

// Reads the buddy back: its number becomes the position when it is a number
// within the range. Answers false when it is not.
bool ReadBuddy(UpDownData& u) {
    if (!u.buddy || !IsWindow(u.buddy) || !(StyleOf(u.hwnd) & UDS_SETBUDDYINT)) return true;
    int value = 0;
    if (!ParseText(u, WindowText(u.buddy), value) || value < Lowest(u) || value > Highest(u))
        return false;
    u.pos = value;
    return true;
}

int Clamp(const UpDownData& u, int value) {
    return std::clamp(value, Lowest(u), Highest(u));
}

void Announce(UpDownData& u, int code) {
    HWND parent = GetParent(u.hwnd);
    if (!parent) return;
    const UINT msg = Horizontal(u.hwnd) ? WM_HSCROLL : WM_VSCROLL;
    SendMessageW(parent, msg, MAKEWPARAM(code, static_cast<WORD>(u.pos)),
                 reinterpret_cast<LPARAM>(u.hwnd));
}

UINT CurrentIncrement(const UpDownData& u, bool held) {
    if (u.accels.empty()) return 1;
    const DWORD seconds = held ? (GetTickCount() - u.pressStart) / 1000 : 0;
    UINT inc = u.accels.front().nInc;
    for (const UDACCEL& a : u.accels)
        if (a.nSec <= seconds) inc = a.nInc;
    return inc;
}

// One step by the user towards the upper end (direction +1) or the lower.
void Step(UpDownData& u, int direction, bool held) {
    HWND hwnd = u.hwnd;
    ReadBuddy(u);
    const int towardsUpper = u.upper >= u.lower ? 1 : -1;
    NMUPDOWN nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(hwnd, GWLP_ID));
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = u.pos;
    nm.iDelta = direction * towardsUpper * static_cast<int>(CurrentIncrement(u, held));
    if (HWND parent = GetParent(hwnd))
        if (SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)) != 0)
            return;
    if (!IsWindow(hwnd)) return;
    const int64_t wanted = static_cast<int64_t>(u.pos) + nm.iDelta;
    int next;
    if (wanted > Highest(u))
        next = (StyleOf(hwnd) & UDS_WRAP) && u.pos == Highest(u) ? Lowest(u) : Highest(u);
    else if (wanted < Lowest(u))
        next = (StyleOf(hwnd) & UDS_WRAP) && u.pos == Lowest(u) ? Highest(u) : Lowest(u);
    else
        next = static_cast<int>(wanted);
    u.pos = next;
    ShowPos(u);
    Announce(u, SB_THUMBPOSITION);
}

// Which button a client point is on: +1 the one towards the upper end.
int ButtonAt(HWND hwnd, POINT p) {
    RECT r;
    GetClientRect(hwnd, &r);
    if (Horizontal(hwnd)) return p.x >= (r.right - r.left) / 2 ? 1 : -1;
    return p.y < (r.bottom - r.top) / 2 ? 1 : -1;
}

void EndPress(UpDownData& u) {
    if (!u.pressed) return;
    u.pressed = 0;
    KillTimer(u.hwnd, kRepeatTimer);
    InvalidateRect(u.hwnd, nullptr, TRUE);
    Announce(u, SB_ENDSCROLL);
}

void Paint(UpDownData& u, HDC given) {
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(u.hwnd, &ps);
    RECT r;
    GetClientRect(u.hwnd, &r);
    RECT first = r, second = r;
    const bool horz = Horizontal(u.hwnd);
    if (horz)
        first.right = second.left = (r.left + r.right) / 2;
    else
        first.bottom = second.top = (r.top + r.bottom) / 2;
    const UINT inactive = IsWindowEnabled(u.hwnd) ? 0 : DFCS_INACTIVE;
    // first: up (vertical) or left (horizontal), the lower-end button when horizontal.
    const int firstDir = horz ? -1 : 1;
    DrawFrameControl(dc, &first, DFC_SCROLL,
                     (horz ? DFCS_SCROLLLEFT : DFCS_SCROLLUP) | inactive |
                         (u.pressed == firstDir ? DFCS_PUSHED : 0));
    DrawFrameControl(dc, &second, DFC_SCROLL,
                     (horz ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN) | inactive |
                         (u.pressed == -firstDir ? DFCS_PUSHED : 0));
    if (!given) EndPaint(u.hwnd, &ps);
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

void Unhook(UpDownData& u) {
    if (!u.buddy) return;
    if (u.buddyProc && IsWindow(u.buddy)) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(u.buddy, GWLP_WNDPROC)) == BuddyProc)
            SetWindowLongPtrW(u.buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(u.buddyProc));
        RemovePropW(u.buddy, kBuddyProp);
    }
    u.buddyProc = nullptr;
    u.buddy = nullptr;
}

// Sits on the chosen edge of the buddy, as tall as it, taking its own width
// out of the buddy's.
void Align(UpDownData& u) {
    const DWORD style = StyleOf(u.hwnd);
    if (!u.buddy || !(style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT))) return;
    HWND parent = GetParent(u.hwnd);
    if (!parent || GetParent(u.buddy) != parent) return;
    RECT b, self;
    GetWindowRect(u.buddy, &b);
    GetWindowRect(u.hwnd, &self);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&b), 2);
    int width = self.right - self.left;
    if (width <= 0) width = GetSystemMetrics(SM_CXVSCROLL);
    const int height = b.bottom - b.top;
    if (style & UDS_ALIGNRIGHT) {
        SetWindowPos(u.buddy, nullptr, b.left, b.top, b.right - b.left - width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(u.hwnd, nullptr, b.right - width, b.top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(u.buddy, nullptr, b.left + width, b.top, b.right - b.left - width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(u.hwnd, nullptr, b.left, b.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND SetBuddy(UpDownData& u, HWND buddy) {
    HWND old = u.buddy;
    Unhook(u);
    if (buddy && !IsWindow(buddy)) buddy = nullptr;
    u.buddy = buddy;
    if (!buddy) return old;
    if (StyleOf(u.hwnd) & UDS_ARROWKEYS) {
        SetPropW(buddy, kBuddyProp, u.hwnd);
        u.buddyProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BuddyProc)));
    }
    Align(u);
    ShowPos(u);
    return old;
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND owner = static_cast<HWND>(GetPropW(hwnd, kBuddyProp));
    auto u = owner ? Data<UpDownData>(owner) : nullptr;
    if (!u || !u->buddyProc) return DefWindowProcW(hwnd, msg, wParam, lParam);
    WNDPROC own = u->buddyProc;
    const bool horz = Horizontal(owner);
    const int up = horz ? VK_RIGHT : VK_UP, down = horz ? VK_LEFT : VK_DOWN;
    if (msg == WM_KEYDOWN && (static_cast<int>(wParam) == up || static_cast<int>(wParam) == down)) {
        Step(*u, static_cast<int>(wParam) == up ? 1 : -1, false);
        return 0;
    }
    if (msg == WM_KEYUP && (static_cast<int>(wParam) == up || static_cast<int>(wParam) == down)) {
        Announce(*u, SB_ENDSCROLL);
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        u->buddyProc = nullptr;
        u->buddy = nullptr;
        RemovePropW(hwnd, kBuddyProp);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    }
    return CallWindowProcW(own, hwnd, msg, wParam, lParam);
}

LRESULT Messages(UpDownData& u, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        if (StyleOf(hwnd) & UDS_AUTOBUDDY) SetBuddy(u, GetWindow(hwnd, GW_HWNDPREV));
        return 0;
    case UDM_SETRANGE:
        u.upper = static_cast<short>(LOWORD(lParam));
        u.lower = static_cast<short>(HIWORD(lParam));
        u.pos = Clamp(u, u.pos);
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(u.upper), static_cast<WORD>(u.lower));
    case UDM_SETRANGE32:
        u.lower = static_cast<int>(wParam);
        u.upper = static_cast<int>(lParam);
        u.pos = Clamp(u, u.pos);
        return 0;
    case UDM_GETRANGE32:
        if (wParam) *reinterpret_cast<int*>(wParam) = u.lower;
        if (lParam) *reinterpret_cast<int*>(lParam) = u.upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        const int old = u.pos;
        const int value =
            msg == UDM_SETPOS ? static_cast<short>(LOWORD(lParam)) : static_cast<int>(lParam);
        u.pos = Clamp(u, value);
        ShowPos(u);
        return old;
    }
    case UDM_GETPOS: {
        const bool ok = ReadBuddy(u);
        return MAKELONG(static_cast<WORD>(u.pos), ok ? 0 : 1);
    }
    case UDM_GETPOS32: {
        const bool ok = ReadBuddy(u);
        if (lParam) *reinterpret_cast<BOOL*>(lParam) = ok ? FALSE : TRUE;
        return u.pos;
    }
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(u, reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(u.buddy);
    case UDM_SETACCEL: {
        const auto* table = reinterpret_cast<const UDACCEL*>(lParam);
        if (!table || wParam == 0) return FALSE;
        u.accels.assign(table, table + wParam);
        std::stable_sort(u.accels.begin(), u.accels.end(),
                         [](const UDACCEL& a, const UDACCEL& b) { return a.nSec < b.nSec; });
        return TRUE;
    }
    case UDM_GETACCEL: {
        auto* table = reinterpret_cast<UDACCEL*>(lParam);
        const size_t n = std::min(static_cast<size_t>(wParam), u.accels.size());
        if (table) std::copy_n(u.accels.begin(), n, table);
        return static_cast<LRESULT>(u.accels.size());
    }
    case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16) return 0;
        const int old = u.base;
        u.base = static_cast<int>(wParam);
        ShowPos(u);
        return old;
    }
    case UDM_GETBASE:
        return u.base;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!IsWindowEnabled(hwnd)) return 0;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetCapture(hwnd);
        u.pressed = ButtonAt(hwnd, p);
        u.pressStart = GetTickCount();
        InvalidateRect(hwnd, nullptr, TRUE);
        Step(u, u.pressed, true);
        if (IsWindow(hwnd) && u.pressed) SetTimer(hwnd, kRepeatTimer, kFirstDelay, nullptr);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kRepeatTimer) return 0;
        if (!u.pressed) {
            KillTimer(hwnd, kRepeatTimer);
            return 0;
        }
        SetTimer(hwnd, kRepeatTimer, kRepeatDelay, nullptr);
        Step(u, u.pressed, true);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) ReleaseCapture();
        EndPress(u);
        return 0;
    case WM_CAPTURECHANGED:
        EndPress(u);
        return 0;
    case WM_KEYDOWN: {
        if (!(StyleOf(hwnd) & UDS_ARROWKEYS)) return 0;
        const bool horz = Horizontal(hwnd);
        const int key = static_cast<int>(wParam);
        if (key == (horz ? VK_RIGHT : VK_UP)) Step(u, 1, false);
        if (key == (horz ? VK_LEFT : VK_DOWN)) Step(u, -1, false);
        return 0;
    }
    case WM_KEYUP:
        if (StyleOf(hwnd) & UDS_ARROWKEYS) Announce(u, SB_ENDSCROLL);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_PAINT:
        Paint(u, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kRepeatTimer);
        Unhook(u);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto u = std::make_shared<UpDownData>();
        u->hwnd = hwnd;
        AttachData(hwnd, u);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto u = Data<UpDownData>(hwnd);
    if (!u) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        Unhook(*u);
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*u, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
