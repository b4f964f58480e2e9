// Mouse and keyboard input: hit testing, routing to capture, activation and
// focus, double clicks on the layer's clock, mouse tracking, the keyboard
// layout, TranslateMessage and the synthetic input that tests and the screen
// presenter feed in.
#include "../Clock.h"
#include "InputRouting.h"
#include "NonClient.h"
#include "UserState.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <cstdlib>

using namespace win32::user;

namespace {

struct ClickState {
    uint64_t time = 0;
    int button = 0;
    POINT pos{};
    HWND hwnd = nullptr;
    UINT doubleClickTime = 500;
};

struct TrackState {
    HWND hwnd = nullptr;
    DWORD flags = 0;
    DWORD hoverTime = 400;
    UINT_PTR hoverTimer = 0;
    POINT hoverStart{};
};

ClickState& Clicks() {
    static ClickState* s = new ClickState;
    return *s;
}

TrackState& Track() {
    static TrackState* s = new TrackState;
    return *s;
}

// The deepest visible, enabled window under a screen point among `list`
// (z-order), asking WM_NCHITTEST and passing over transparent windows.
HWND HitIn(const std::vector<HWND>& list, POINT screen, LRESULT* hit) {
    for (HWND hwnd : list) {
        std::vector<HWND> children;
        bool disabled;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            Window* w = Find(hwnd);
            if (!w || !(w->style & WS_VISIBLE)) continue;
            RECT r;
            GetWindowRect(hwnd, &r);
            if (!PtInRect(&r, screen) || !PointInWindowRegion(hwnd, screen)) continue;
            children = w->children;
            disabled = (w->style & WS_DISABLED) != 0;
        }
        if (disabled && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) continue;
        POINT client = screen;
        ScreenToClient(hwnd, &client);
        RECT cr;
        GetClientRect(hwnd, &cr);
        if (!disabled && PtInRect(&cr, client))
            if (HWND child = HitIn(children, screen, hit)) return child;
        LRESULT code = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (code == HTTRANSPARENT) continue;
        *hit = disabled ? HTERROR : code;
        return hwnd;
    }
    return nullptr;
}

HWND HitWindow(POINT screen, LRESULT* hit) {
    std::vector<HWND> tops;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        tops = S().topLevels;
    }
    *hit = HTNOWHERE;
    return HitIn(tops, screen, hit);
}

void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = FindShared(hwnd);
    if (!w) return;
    MSG m{hwnd, msg, wParam, lParam, GetTickCount(), CurrentCursorPos()};
    {
        std::lock_guard<std::mutex> guard(w->queue->lock);
        w->queue->input.push_back(m);
        w->queue->changed |= (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ? QS_KEY : QS_MOUSEBUTTON;
    }
    w->queue->Wake();
}

// The mouse-key flags of an event, as the keys are when it happens.
WPARAM MouseKeys() {
    WPARAM k = 0;
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) k |= MK_LBUTTON;
    if (GetAsyncKeyState(VK_RBUTTON) & 0x8000) k |= MK_RBUTTON;
    if (GetAsyncKeyState(VK_MBUTTON) & 0x8000) k |= MK_MBUTTON;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) k |= MK_SHIFT;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) k |= MK_CONTROL;
    return k;
}

UINT ButtonMessage(int button, int kind /* 0 down, 1 up, 2 double */, bool client) {
    UINT base = button == VK_RBUTTON ? WM_RBUTTONDOWN
                : button == VK_MBUTTON ? WM_MBUTTONDOWN
                                       : WM_LBUTTONDOWN;
    if (!client) base = base - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
    return base + kind;
}

LPARAM ClientLParam(HWND hwnd, POINT screen) {
    POINT p = screen;
    ScreenToClient(hwnd, &p);
    return MAKELPARAM(p.x, p.y);
}

// The window that gets mouse input at a point, and the hit code.
HWND MouseTarget(POINT screen, LRESULT* hit) {
    if (HWND capture = GetCapture()) {
        *hit = HTCLIENT;
        return capture;
    }
    return HitWindow(screen, hit);
}

// The tracking and click states are shared by the threads that inject input
// (the presenter's among them) and the windows' threads; the tree lock guards
// them, never held across a send.
void LeaveTracked(HWND now) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    TrackState& t = Track();
    if (!t.hwnd || t.hwnd == now) return;
    HWND left = t.hwnd;
    DWORD flags = t.flags;
    if (t.hoverTimer) KillTimer(nullptr, t.hoverTimer);
    t = TrackState{};
    if (flags & TME_LEAVE)
        PostMessageW(left, (flags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
}

void CALLBACK HoverTimer(HWND, UINT, UINT_PTR id, DWORD) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    TrackState& t = Track();
    KillTimer(nullptr, id);
    if (t.hoverTimer != id || !t.hwnd) return;
    t.hoverTimer = 0;
    t.flags &= ~TME_HOVER;
    POINT p = CurrentCursorPos();
    PostMessageW(t.hwnd, WM_MOUSEHOVER, MouseKeys(), ClientLParam(t.hwnd, p));
}

HWND KeyTarget() {
    HWND focus = GetFocus();
    return focus ? focus : GetActiveWindow();
}

// The US layout: the character of a key with the current modifier state, or 0.
WCHAR KeyChar(UINT vk, bool shift, bool caps, bool ctrl) {
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return static_cast<WCHAR>(vk - 'A' + 1);
        return static_cast<WCHAR>((shift != caps) ? vk : vk - 'A' + 'a');
    }
    if (ctrl) {
        if (vk == VK_RETURN) return u'\n';
        if (vk == VK_BACK) return 0x7F;
        if (vk == VK_ESCAPE) return 0x1B;
        return 0;
    }
    if (vk >= '0' && vk <= '9') return shift ? u")!@#$%^&*("[vk - '0'] : static_cast<WCHAR>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<WCHAR>(u'0' + vk - VK_NUMPAD0);
    struct Oem {
        UINT vk;
        WCHAR plain, shifted;
    };
    static const Oem oem[] = {{VK_SPACE, u' ', u' '},      {VK_RETURN, u'\r', u'\r'},
                              {VK_BACK, u'\b', u'\b'},     {VK_TAB, u'\t', u'\t'},
                              {VK_ESCAPE, 0x1B, 0x1B},     {VK_OEM_1, u';', u':'},
                              {VK_OEM_PLUS, u'=', u'+'},   {VK_OEM_COMMA, u',', u'<'},
                              {VK_OEM_MINUS, u'-', u'_'},  {VK_OEM_PERIOD, u'.', u'>'},
                              {VK_OEM_2, u'/', u'?'},      {VK_OEM_3, u'`', u'~'},
                              {VK_OEM_4, u'[', u'{'},      {VK_OEM_5, u'\\', u'|'},
                              {VK_OEM_6, u']', u'}'},      {VK_OEM_7, u'\'', u'"'},
                              {VK_MULTIPLY, u'*', u'*'},   {VK_ADD, u'+', u'+'},
                              {VK_SUBTRACT, u'-', u'-'},   {VK_DECIMAL, u'.', u'.'},
                              {VK_DIVIDE, u'/', u'/'}};
    for (const Oem& o : oem)
        if (o.vk == vk) return shift ? o.shifted : o.plain;
    return 0;
}

void Key(int vk, bool down) {
    // Messages carry the generic modifier keys; the state knows both.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT || vk == VK_LCONTROL || vk == VK_RCONTROL ||
        vk == VK_LMENU || vk == VK_RMENU) {
        SetKeyDown(vk, down);
        vk = vk <= VK_RSHIFT ? VK_SHIFT : vk <= VK_RCONTROL ? VK_CONTROL : VK_MENU;
    }
    const bool wasDown = (GetAsyncKeyState(vk) & 0x8000) != 0;
    SetKeyDown(vk, down);
    HWND target = KeyTarget();
    if (!target) return;
    const bool alt =
        (GetAsyncKeyState(VK_MENU) & 0x8000) && !(GetAsyncKeyState(VK_CONTROL) & 0x8000);
    const bool sys = alt || vk == VK_MENU || vk == VK_F10 || !GetFocus();
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, 0) & 0xFF) << 16);
    if (alt) lParam |= 1 << 29;
    if (wasDown) lParam |= 1 << 30;
    if (!down) lParam |= (1 << 30) | (static_cast<LPARAM>(1) << 31);
    PostInput(target, msg, static_cast<WPARAM>(vk), lParam);
}

} // namespace

HWND WindowFromPoint(POINT point) {
    LRESULT hit;
    return HitWindow(point, &hit);
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
    // point is in parent's client coordinates; only direct children count.
    RECT cr;
    if (!GetClientRect(parent, &cr) || !PtInRect(&cr, point)) return nullptr;
    std::vector<HWND> children;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* p = Find(parent)) children = p->children; // gone since the rectangle was read
    }
    for (HWND child : children) {
        DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        if ((flags & CWP_SKIPINVISIBLE) && !(style & WS_VISIBLE)) continue;
        if ((flags & CWP_SKIPDISABLED) && (style & WS_DISABLED)) continue;
        if ((flags & CWP_SKIPTRANSPARENT) &&
            (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
            continue;
        RECT r;
        GetWindowRect(child, &r);
        POINT s = point;
        ClientToScreen(parent, &s);
        if (PtInRect(&r, s)) return child;
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TrackState& t = Track();
    std::unique_lock<std::recursive_mutex> guard(S().lock);
    if (track->dwFlags & TME_QUERY) {
        track->hwndTrack = t.hwnd;
        track->dwFlags = t.flags;
        track->dwHoverTime = t.hoverTime;
        return TRUE;
    }
    if (!IsWindow(track->hwndTrack)) return FALSE;
    if (track->dwFlags & TME_CANCEL) {
        if (t.hwnd == track->hwndTrack) {
            t.flags &= ~track->dwFlags;
            if (!(t.flags & (TME_HOVER | TME_LEAVE))) t = TrackState{};
        }
        return TRUE;
    }
    // Leaving is reported at once when the mouse is not over the window now.
    guard.unlock();
    LRESULT hit;
    POINT now = CurrentCursorPos();
    const HWND under = MouseTarget(now, &hit);
    guard.lock();
    if (under != track->hwndTrack) {
        if (track->dwFlags & TME_LEAVE) PostMessageW(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (t.hwnd != track->hwndTrack) LeaveTracked(track->hwndTrack);
    t.hwnd = track->hwndTrack;
    t.flags |= track->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
    if (track->dwFlags & TME_HOVER) {
        t.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? 400 : track->dwHoverTime;
        t.hoverStart = now;
        t.hoverTimer = SetTimer(nullptr, 0, t.hoverTime, HoverTimer);
    }
    return TRUE;
}

UINT GetDoubleClickTime() { return Clicks().doubleClickTime; }

BOOL SetDoubleClickTime(UINT ms) {
    Clicks().doubleClickTime = ms ? ms : 500;
    return TRUE;
}

BOOL DragDetect(HWND hwnd, POINT pt) {
    // The drag starts once the mouse has moved past the drag distance with the
    // button held; decided from the current input state without a modal loop.
    POINT now = CurrentCursorPos();
    return (std::abs(now.x - pt.x) > GetSystemMetrics(SM_CXDRAG) ||
            std::abs(now.y - pt.y) > GetSystemMetrics(SM_CYDRAG)) &&
           (GetAsyncKeyState(VK_LBUTTON) & 0x8000);
}

HKL GetKeyboardLayout(DWORD) { return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(0x04090409)); }

UINT MapVirtualKeyW(UINT code, UINT mapType) {
    switch (mapType) {
    case 0: // virtual key to scan code: the set-1 codes of the common keys
        if (code >= 'A' && code <= 'Z') {
            static const BYTE letters[] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                           0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                           0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
            return letters[code - 'A'];
        }
        if (code >= '1' && code <= '9') return 0x02 + (code - '1');
        switch (code) {
        case '0': return 0x0B;
        case VK_ESCAPE: return 0x01;
        case VK_BACK: return 0x0E;
        case VK_TAB: return 0x0F;
        case VK_RETURN: return 0x1C;
        case VK_CONTROL: return 0x1D;
        case VK_SHIFT: return 0x2A;
        case VK_MENU: return 0x38;
        case VK_SPACE: return 0x39;
        case VK_UP: return 0x48;
        case VK_LEFT: return 0x4B;
        case VK_RIGHT: return 0x4D;
        case VK_DOWN: return 0x50;
        case VK_DELETE: return 0x53;
        }
        if (code >= VK_F1 && code <= VK_F10) return 0x3B + (code - VK_F1);
        return 0;
    case 2: return KeyChar(code, false, false, false);
    default: return 0;
    }
}

SHORT VkKeyScanW(WCHAR ch) {
    for (UINT vk = 1; vk < 256; ++vk) {
        if (vk == VK_RETURN && ch == u'\n') continue;
        if (KeyChar(vk, false, false, false) == ch) return static_cast<SHORT>(vk);
        if (KeyChar(vk, true, false, false) == ch) return static_cast<SHORT>(0x100 | vk);
    }
    return -1;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg) return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
        return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    }
    WCHAR ch = KeyChar(static_cast<UINT>(msg->wParam), (GetKeyState(VK_SHIFT) & 0x8000) != 0,
                       (GetKeyState(VK_CAPITAL) & 0x0001) != 0,
                       (GetKeyState(VK_CONTROL) & 0x8000) != 0);
    if (ch)
        PostMessageW(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch,
                     msg->lParam);
    return TRUE;
}

namespace win32::user {

void RouteMouseMove(POINT screen) {
    SetCursorPosition(screen);
    LRESULT hit;
    HWND target = MouseTarget(screen, &hit);
    LeaveTracked(target);
    if (!target) return;
    if (!GetCapture())
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(hit, WM_MOUSEMOVE));
    if (hit == HTCLIENT) PostInput(target, WM_MOUSEMOVE, MouseKeys(), ClientLParam(target, screen));
    else if (hit != HTERROR) PostInput(target, WM_NCMOUSEMOVE, hit, MAKELPARAM(screen.x, screen.y));
}

void RouteMouseDown(POINT screen, int button) {
    SetCursorPosition(screen);
    LRESULT hit;
    HWND target = MouseTarget(screen, &hit);
    SetKeyDown(button, true);
    if (!target || hit == HTERROR) return;
    const UINT down = ButtonMessage(button, 0, true);
    HWND top = GetAncestor(target, GA_ROOT);
    if (!GetCapture() && top != GetActiveWindow()) {
        LRESULT how = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                   MAKELPARAM(hit, down));
        if (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT) SetActiveWindow(top);
        if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT) return;
        if (!IsWindow(target)) return;
    }
    if (!GetCapture())
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, down));

    std::unique_lock<std::recursive_mutex> guard(S().lock);
    ClickState& c = Clicks();
    const uint64_t now = win32::NowMs();
    const bool dblClass = (GetClassLongPtrW(target, GCL_STYLE) & CS_DBLCLKS) != 0;
    const bool isDouble = dblClass && c.hwnd == target && c.button == button &&
                          now - c.time <= c.doubleClickTime &&
                          std::abs(screen.x - c.pos.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                          std::abs(screen.y - c.pos.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (isDouble) c = ClickState{0, 0, {}, nullptr, c.doubleClickTime};
    else c = ClickState{now, button, screen, target, c.doubleClickTime};
    guard.unlock();
    const bool client = hit == HTCLIENT;
    const UINT msg = ButtonMessage(button, isDouble ? 2 : 0, client);
    PostInput(target, msg, client ? MouseKeys() : static_cast<WPARAM>(hit),
              client ? ClientLParam(target, screen) : MAKELPARAM(screen.x, screen.y));
}

void RouteMouseUp(POINT screen, int button) {
    SetCursorPosition(screen);
    SetKeyDown(button, false);
    LRESULT hit;
    HWND target = MouseTarget(screen, &hit);
    if (!target || hit == HTERROR) return;
    const bool client = hit == HTCLIENT;
    PostInput(target, ButtonMessage(button, 1, client),
              client ? MouseKeys() : static_cast<WPARAM>(hit),
              client ? ClientLParam(target, screen) : MAKELPARAM(screen.x, screen.y));
}

void RouteWheel(POINT screen, int delta, bool horizontal) {
    SetCursorPosition(screen);
    HWND target = KeyTarget();
    if (!target) return;
    PostInput(target, horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
              MAKEWPARAM(MouseKeys(), static_cast<WORD>(delta)), MAKELPARAM(screen.x, screen.y));
}

void RouteKey(int vk, bool down) { Key(vk, down); }

void RouteChar(WCHAR ch) {
    if (HWND target = KeyTarget()) PostInput(target, WM_CHAR, ch, 1);
}

WCHAR LayoutChar(UINT vk, bool shift, bool caps, bool ctrl) { return KeyChar(vk, shift, caps, ctrl); }

} // namespace win32::user

namespace TestSeams {

void MouseMove(POINT screen) { RouteMouseMove(screen); }

void MouseDown(POINT screen, int button) { RouteMouseDown(screen, button); }

void MouseUp(POINT screen, int button) { RouteMouseUp(screen, button); }

void Click(POINT screen, int button) {
    RouteMouseDown(screen, button);
    RouteMouseUp(screen, button);
}

void Wheel(POINT screen, int delta, bool horizontal) { RouteWheel(screen, delta, horizontal); }

void KeyDown(int vk) { Key(vk, true); }

void KeyUp(int vk) { Key(vk, false); }

void KeyPress(int vk) {
    Key(vk, true);
    Key(vk, false);
}

void TypeText(std::u16string_view text) {
    for (char16_t ch : text) {
        SHORT scan = VkKeyScanW(ch);
        if (scan == -1) {
            RouteChar(ch);
            continue;
        }
        const bool shift = (scan & 0x100) != 0;
        if (shift) Key(VK_SHIFT, true);
        KeyPress(scan & 0xFF);
        if (shift) Key(VK_SHIFT, false);
    }
}

POINT ClientPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

} // namespace TestSeams
