// X events back into the layer: pointer and keys through the same routing as
// synthetic input, text from the input method, focus as activation, the
// close button as SC_CLOSE, moves and sizes on screen as SetWindowPos, and
// exposures from the shadow images.
#include "XPresenter.h"

#include "../user/InputRouting.h"

#include <win32/winbase.h>
#include <win32/winnls.h>
#include <win32/winuser.h>

#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

namespace win32::present {

namespace {

std::u16string Utf16(const char* utf8, int size) {
    if (size <= 0) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, size, nullptr, 0);
    std::u16string out(static_cast<size_t>(std::max(n, 0)), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, size, reinterpret_cast<LPWSTR>(out.data()), n);
    return out;
}

// Latin-1 text from XLookupString (no input method) as UTF-16.
std::u16string FromLatin1(const char* text, int size) {
    std::u16string out;
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<unsigned char>(text[i]));
    return out;
}

} // namespace

bool XPresenter::Target(::Window xid, HWND& hwnd, POINT& origin, void** ic) {
    std::lock_guard<std::mutex> guard(P().lock);
    auto it = byXid_.find(xid);
    if (it == byXid_.end()) return false;
    auto pr = P().windows.find(it->second);
    if (pr == P().windows.end() || pr->second.destroyed) return false;
    hwnd = it->second;
    // Points in the X window are points in the layer's window: its origin
    // on the layer's screen follows the X window through ConfigureNotify.
    const RECT shown = ShownRect(pr->second);
    origin = {shown.left, shown.top};
    if (ic) *ic = pr->second.ic;
    return true;
}

void XPresenter::HandlePending() {
    while (XPending(d_)) {
        XEvent event;
        XNextEvent(d_, &event);
        // The input method sees every event first; what it takes is its own.
        if (XFilterEvent(&event, None)) continue;
        Handle(event);
    }
}

void XPresenter::Handle(XEvent& event) {
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
        dnd_->NoteTime(event.xbutton.time);
        break;
    case MotionNotify:
        dnd_->NoteTime(event.xmotion.time);
        break;
    case KeyPress:
    case KeyRelease:
        dnd_->NoteTime(event.xkey.time);
        break;
    default:
        break;
    }
    if (dnd_->Handle(event) || clipboard_->Handle(event)) return;
    HWND hwnd = nullptr;
    POINT origin{};
    switch (event.type) {
    case Expose: {
        std::lock_guard<std::mutex> guard(P().lock);
        auto it = byXid_.find(event.xexpose.window);
        if (it == byXid_.end()) return;
        auto pr = P().windows.find(it->second);
        if (pr == P().windows.end()) return;
        const XExposeEvent& e = event.xexpose;
        const POINT off = ShownOffset(pr->second);
        Push(P(), pr->second, RECT{e.x + off.x, e.y + off.y, e.x + off.x + e.width, e.y + off.y + e.height});
        return;
    }
    case ConfigureNotify:
        OnConfigure(event.xconfigure);
        return;
    case PropertyNotify:
        if (event.xproperty.atom == netWmState_ || event.xproperty.atom == wmState_)
            OnWindowState(event.xproperty.window);
        return;
    case MappingNotify:
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    case MotionNotify: {
        // Only where the pointer is now matters: skip to the last motion queued.
        while (XCheckTypedWindowEvent(d_, event.xmotion.window, MotionNotify, &event)) {
        }
        if (!Target(event.xmotion.window, hwnd, origin)) return;
        user::RouteMouseMove({origin.x + event.xmotion.x, origin.y + event.xmotion.y});
        FollowCursor(event.xmotion.window);
        return;
    }
    case EnterNotify:
    case LeaveNotify: {
        const XCrossingEvent& e = event.xcrossing;
        if (e.mode != NotifyNormal || !Target(e.window, hwnd, origin)) return;
        user::RouteMouseMove({origin.x + e.x, origin.y + e.y});
        if (event.type == EnterNotify) FollowCursor(e.window);
        return;
    }
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& e = event.xbutton;
        if (!Target(e.window, hwnd, origin)) return;
        const POINT at{origin.x + e.x, origin.y + e.y};
        const bool down = event.type == ButtonPress;
        switch (e.button) {
        case Button1:
        case Button2:
        case Button3: {
            const int vk = e.button == Button1   ? VK_LBUTTON
                           : e.button == Button2 ? VK_MBUTTON
                                                 : VK_RBUTTON;
            if (down)
                user::RouteMouseDown(at, vk);
            else
                user::RouteMouseUp(at, vk);
            FollowCursor(e.window);
            return;
        }
        case Button4: // the wheel: one press per notch, away from the user
        case Button5:
            if (down) user::RouteWheel(at, e.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA, false);
            return;
        case 6: // tilted left, right
        case 7:
            if (down) user::RouteWheel(at, e.button == 6 ? -WHEEL_DELTA : WHEEL_DELTA, true);
            return;
        default:
            return;
        }
    }
    case KeyPress:
    case KeyRelease:
        if (Target(event.xkey.window, hwnd, origin)) OnKey(event.xkey, hwnd);
        return;
    case FocusIn:
    case FocusOut:
        if (Target(event.xfocus.window, hwnd, origin)) OnFocus(event.xfocus, hwnd);
        return;
    case ClientMessage: {
        const XClientMessageEvent& e = event.xclient;
        if (e.message_type != wmProtocols_ || e.format != 32) return;
        const Atom protocol = static_cast<Atom>(e.data.l[0]);
        if (protocol == netWmPing_) {
            // The window manager asks whether we still answer.
            XEvent reply = event;
            reply.xclient.window = root_;
            XSendEvent(d_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
            return;
        }
        if (protocol != wmDelete_ || !Target(e.window, hwnd, origin)) return;
        // The frame's close button, as the caption's close box does it: a
        // disabled window (behind a modal dialog) does not close.
        if (IsWindowEnabled(hwnd)) PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
    default:
        return;
    }
}

// The window was moved or sized on screen (by the user through the window
// manager, or by the manager placing it): the layer's window follows.
void XPresenter::OnConfigure(const XConfigureEvent& first) {
    XEvent latest;
    latest.xconfigure = first;
    while (XCheckTypedWindowEvent(d_, first.window, ConfigureNotify, &latest)) {
    }
    const XConfigureEvent& e = latest.xconfigure;
    HWND hwnd = nullptr;
    RECT got{};
    {
        std::lock_guard<std::mutex> guard(P().lock);
        auto it = byXid_.find(e.window);
        if (it == byXid_.end()) return;
        auto found = P().windows.find(it->second);
        if (found == P().windows.end()) return;
        Presented& pr = found->second;
        // A framed window's event gives its place in the frame: ask for the screen's.
        int x = e.x, y = e.y;
        ::Window child;
        if (!e.send_event) XTranslateCoordinates(d_, e.window, root_, 0, 0, &x, &y, &child);
        got = {x, y, x + e.width, y + e.height};
        auto same = [&](const RECT& r) {
            return r.left == got.left && r.top == got.top && r.right == got.right &&
                   r.bottom == got.bottom;
        };
        auto asked = std::find_if(pr.configuring.begin(), pr.configuring.end(), same);
        if (asked != pr.configuring.end()) {
            // Our own request coming back.
            pr.configuring.erase(pr.configuring.begin(), asked + 1);
            return;
        }
        pr.configuring.clear();
        pr.xRect = got;
        if (same(ShownRect(pr))) return;
        hwnd = pr.hwnd;
        if (pr.desktopFrame) {
            // The desktop placed or sized the client area: the window keeps
            // its own frame around it, as Windows geometry has it.
            got = {got.left - (pr.client.left - pr.rect.left), got.top - (pr.client.top - pr.rect.top),
                   got.right + (pr.rect.right - pr.client.right),
                   got.bottom + (pr.rect.bottom - pr.client.bottom)};
        }
    }
    SetWindowPos(hwnd, nullptr, got.left, got.top, got.right - got.left, got.bottom - got.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window manager's minimise, maximise and restore (from the frame's
// buttons, a task bar, a key) reach the window as its own would: the style
// says it (IsIconic, IsZoomed) and WM_SIZE tells the kind. The geometry comes
// on its own, through ConfigureNotify.
void XPresenter::OnWindowState(::Window xid) {
    auto atoms = [&](Atom property, Atom type) {
        std::vector<unsigned long> list;
        Atom got = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d_, xid, property, 0, 64, False, type, &got, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            list.assign(values, values + count);
        }
        if (data) XFree(data);
        return list;
    };
    const std::vector<unsigned long> state = atoms(netWmState_, XA_ATOM);
    const std::vector<unsigned long> wmState = atoms(wmState_, wmState_);
    auto has = [&](Atom a) { return std::find(state.begin(), state.end(), a) != state.end(); };
    constexpr unsigned long kIconic = 3;
    const bool minimized = has(netWmHidden_) || (!wmState.empty() && wmState[0] == kIconic);
    const bool maximized = has(netWmMaxVert_) && has(netWmMaxHorz_);
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::mutex> guard(P().lock);
        auto it = byXid_.find(xid);
        if (it == byXid_.end()) return;
        auto pr = P().windows.find(it->second);
        if (pr == P().windows.end() || pr->second.destroyed || !pr->second.desktopFrame) return;
        if (pr->second.xMinimized == minimized && pr->second.xMaximized == maximized) return;
        pr->second.xMinimized = minimized;
        pr->second.xMaximized = maximized;
        hwnd = pr->second.hwnd;
    }
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    const DWORD want = (style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | (minimized ? WS_MINIMIZE : 0) |
                       (maximized ? WS_MAXIMIZE : 0);
    if (want == style) return;
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(want));
    // WM_WINDOWPOSCHANGED, then WM_SIZE of the new kind.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Keys go through the layer's routing as virtual keys, so that TranslateMessage
// makes their characters. Text that the layer's keyboard layout would not make
// from that key (another layout, a compose sequence, an input method's
// committed text such as Japanese) goes in as WM_CHAR, one per UTF-16 unit.
void XPresenter::OnKey(XKeyEvent& event, HWND hwnd) {
    const bool down = event.type == KeyPress;
    if (!down) {
        auto it = keysDown_.find(event.keycode);
        if (it == keysDown_.end()) return;
        const int vk = it->second;
        keysDown_.erase(it);
        user::RouteKey(vk, false);
        return;
    }
    std::u16string text;
    KeySym sym = NoSymbol;
    char buffer[64];
    POINT unused;
    void* ic = nullptr;
    Target(event.window, hwnd, unused, &ic);
    if (ic) {
        Status status = 0;
        int n =
            Xutf8LookupString(static_cast<XIC>(ic), &event, buffer, sizeof buffer, &sym, &status);
        if (status == XBufferOverflow) {
            std::string big(static_cast<size_t>(n), '\0');
            n = Xutf8LookupString(static_cast<XIC>(ic), &event, big.data(), n, &sym, &status);
            text = Utf16(big.data(), n);
        } else if (status == XLookupChars || status == XLookupBoth) {
            text = Utf16(buffer, n);
        }
    } else {
        const int n = XLookupString(&event, buffer, sizeof buffer, &sym, nullptr);
        text = FromLatin1(buffer, n);
    }
    KeySym base = XLookupKeysym(&event, 0);
    if ((event.state & Mod2Mask) && base >= XK_KP_Space && base <= XK_KP_9) {
        // Num Lock on: the keypad gives its digits.
        const KeySym shifted = XLookupKeysym(&event, 1);
        if ((shifted >= XK_KP_0 && shifted <= XK_KP_9) || shifted == XK_KP_Decimal) base = shifted;
    }
    const int vk = event.keycode ? VirtualKeyOf(base) : 0;
    bool asKey = vk != 0;
    const bool control = text.size() == 1 && (text[0] < 0x20 || text[0] == 0x7F);
    if (!text.empty() && !control) {
        const bool shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
        const bool ctrl = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
        const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
        asKey = asKey && text.size() == 1 && user::LayoutChar(vk, shift, caps, ctrl) == text[0];
    }
    if (asKey) {
        keysDown_[event.keycode] = vk;
        user::RouteKey(vk, true);
        return;
    }
    for (char16_t ch : text)
        user::RouteChar(ch);
}

// The layer's standard cursors as the X cursor font has them; any other
// cursor shows as the arrow.
void XPresenter::FollowCursor(::Window xid) {
    const HCURSOR cursor = GetCursor();
    auto shown = shownCursor_.find(xid);
    if (!cursor || (shown != shownCursor_.end() && shown->second == cursor)) return;
    struct Shape {
        LPCWSTR id;
        unsigned shape;
    };
    static const Shape shapes[] = {
        {IDC_IBEAM, XC_xterm},
        {IDC_WAIT, XC_watch},
        {IDC_APPSTARTING, XC_watch},
        {IDC_CROSS, XC_crosshair},
        {IDC_UPARROW, XC_sb_up_arrow},
        {IDC_SIZEALL, XC_fleur},
        {IDC_SIZE, XC_fleur},
        {IDC_SIZENWSE, XC_bottom_right_corner},
        {IDC_SIZENESW, XC_bottom_left_corner},
        {IDC_SIZEWE, XC_sb_h_double_arrow},
        {IDC_SIZENS, XC_sb_v_double_arrow},
        {IDC_NO, XC_circle},
        {IDC_HAND, XC_hand2},
        {IDC_HELP, XC_question_arrow},
    };
    unsigned shape = XC_left_ptr;
    for (const Shape& s : shapes)
        if (LoadCursorW(nullptr, s.id) == cursor) shape = s.shape;
    Cursor& made = fontCursors_[shape];
    if (!made) made = XCreateFontCursor(d_, shape);
    XDefineCursor(d_, xid, made);
    shownCursor_[xid] = cursor;
}

void XPresenter::ReleaseKeys() {
    auto held = std::move(keysDown_);
    keysDown_.clear();
    for (auto& [code, vk] : held)
        user::RouteKey(vk, false);
}

// X focus is the layer's activation: the window with the X focus is the
// active window; losing it to another program leaves no window active.
void XPresenter::OnFocus(const XFocusChangeEvent& e, HWND hwnd) {
    if (e.detail == NotifyInferior || e.detail == NotifyPointer || e.detail == NotifyPointerRoot ||
        e.detail == NotifyDetailNone)
        return;
    void* ic = nullptr;
    POINT unused;
    Target(e.window, hwnd, unused, &ic);
    if (e.type == FocusIn) {
        if (ic) XSetICFocus(static_cast<XIC>(ic));
        if (GetActiveWindow() != hwnd && IsWindowEnabled(hwnd)) SetActiveWindow(hwnd);
        return;
    }
    if (ic) XUnsetICFocus(static_cast<XIC>(ic));
    ReleaseKeys();
    if (e.mode == NotifyNormal && GetActiveWindow() == hwnd) SetActiveWindow(nullptr);
}

} // namespace win32::present
