// Keyboard focus, activation and mouse capture, the key state table and the cursor.
// One input state for the whole process: the layer has a single desktop.
#include "UserState.h"

#include <win32/winbase.h>

using namespace win32::user;

namespace {

struct InputState {
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    BYTE keys[256] = {};      // as of the input messages retrieved so far
    BYTE asyncKeys[256] = {}; // as of the input injected so far
    POINT cursorPos{};
    HCURSOR cursor = nullptr;
    int cursorCount = 0;
};

InputState& I() {
    static InputState* state = new InputState;
    return *state;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(hwnd, msg, wParam, lParam);
}

HWND Root(HWND hwnd) { return hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr; }

} // namespace

namespace win32::user {

POINT CurrentCursorPos() {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return I().cursorPos;
}

void SetCursorPosition(POINT p) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    I().cursorPos = p;
}

namespace {
void Press(BYTE& k, bool down) {
    if (down) {
        if (!(k & 0x80)) k ^= 0x01; // toggled on every press
        k |= 0x80;
    } else {
        k &= ~0x80;
    }
}
} // namespace

void SetKeyDown(int vk, bool down) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Press(I().asyncKeys[vk & 0xFF], down);
}

// GetKeyState follows the input messages as they are retrieved, so that a
// key message sees the modifiers as they were when it was typed.
void ApplyRetrievedInput(const MSG& m) {
    int vk = 0;
    bool down = false;
    switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: vk = static_cast<int>(m.wParam); down = true; break;
    case WM_KEYUP:
    case WM_SYSKEYUP: vk = static_cast<int>(m.wParam); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
        vk = VK_LBUTTON; down = true; break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: vk = VK_LBUTTON; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN:
        vk = VK_RBUTTON; down = true; break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: vk = VK_RBUTTON; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: vk = VK_MBUTTON; down = true; break;
    case WM_MBUTTONUP: vk = VK_MBUTTON; break;
    default: return;
    }
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Press(I().keys[vk & 0xFF], down);
}

void ReleaseWindowState(HWND hwnd) {
    ForgetCaretOf(hwnd);
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    InputState& in = I();
    if (in.focus == hwnd) in.focus = nullptr;
    if (in.active == hwnd) in.active = nullptr;
    if (in.capture == hwnd) in.capture = nullptr;
}

} // namespace win32::user

HWND SetFocus(HWND hwnd) {
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        old = I().focus;
        if (hwnd && !Find(hwnd)) return nullptr;
    }
    if (hwnd == old) return old;
    if (hwnd) {
        if (!IsWindowEnabled(hwnd)) return nullptr;
        HWND root = Root(hwnd);
        if (GetActiveWindow() != root) SetActiveWindow(root);
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        old = I().focus; // activation may have moved the focus
        if (old == hwnd) return old;
    }
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        I().focus = hwnd;
    }
    if (old && IsWindow(old)) Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd));
    if (hwnd && GetFocus() == hwnd) Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
    return old;
}

HWND GetFocus() {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return I().focus;
}

HWND SetActiveWindow(HWND hwnd) {
    hwnd = Root(hwnd);
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        old = I().active;
        if (hwnd == old) return old;
        I().active = hwnd;
    }
    if (old && IsWindow(old)) {
        Send(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(hwnd));
        Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old)),
             reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd) {
        bool onTop;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            onTop = !S().topLevels.empty() && S().topLevels.front() == hwnd;
        }
        if (!onTop) BringWindowToTop(hwnd);
        Send(hwnd, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
        Send(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(hwnd)),
             reinterpret_cast<LPARAM>(old));
    } else if (old) {
        // Nothing active: nothing keeps the focus.
        HWND focus = GetFocus();
        if (focus && Root(focus) == old) SetFocus(nullptr);
    }
    return old;
}

HWND GetActiveWindow() {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return I().active;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

BOOL SetForegroundWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return FALSE;
    SetActiveWindow(hwnd);
    return TRUE;
}

HWND SetCapture(HWND hwnd) {
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (hwnd && !Find(hwnd)) return nullptr;
        old = I().capture;
        I().capture = hwnd;
    }
    if (old && old != hwnd && IsWindow(old))
        Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture() {
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        old = I().capture;
        I().capture = nullptr;
    }
    if (old && IsWindow(old)) Send(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return I().capture;
}

SHORT GetKeyState(int virtKey) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    BYTE k = I().keys[virtKey & 0xFF];
    return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int virtKey) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return (I().asyncKeys[virtKey & 0xFF] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

BOOL GetKeyboardState(LPBYTE keyState) {
    if (!keyState) return FALSE;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::copy(std::begin(I().keys), std::end(I().keys), keyState);
    return TRUE;
}

BOOL SetKeyboardState(LPBYTE keyState) {
    if (!keyState) return FALSE;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::copy(keyState, keyState + 256, I().keys);
    return TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = CurrentCursorPos();
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    SetCursorPosition({x, y});
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    HCURSOR old = I().cursor;
    I().cursor = cursor;
    return old;
}

HCURSOR GetCursor() {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return I().cursor;
}

int ShowCursor(BOOL show) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return show ? ++I().cursorCount : --I().cursorCount;
}
