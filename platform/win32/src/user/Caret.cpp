// The caret: one per process, owned by a window, drawn by inverting its
// rectangle on the owner's client area and blinking on a thread timer.
#include "UserState.h"

#include <win32/winbase.h>

using namespace win32::user;

namespace {

struct CaretState {
    HWND owner = nullptr;
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{};
    int hidden = 1;     // created hidden: ShowCaret makes it visible
    bool drawn = false; // currently inverted on the screen
    UINT blinkTime = 530;
    UINT_PTR timer = 0;
};

CaretState& C() {
    static CaretState* state = new CaretState;
    return *state;
}

void Invert() {
    CaretState& c = C();
    if (!c.owner || !IsWindow(c.owner)) return;
    HDC dc = GetDC(c.owner);
    RECT r{c.pos.x, c.pos.y, c.pos.x + c.width, c.pos.y + c.height};
    if (c.bitmap && reinterpret_cast<ULONG_PTR>(c.bitmap) > 1) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, c.bitmap);
        BitBlt(dc, r.left, r.top, c.width, c.height, mem, 0, 0, SRCINVERT);
        SelectObject(mem, old);
        DeleteDC(mem);
    } else {
        PatBlt(dc, r.left, r.top, c.width, c.height, DSTINVERT);
    }
    ReleaseDC(c.owner, dc);
    c.drawn = !c.drawn;
}

void Erase() {
    if (C().drawn) Invert();
}

void CALLBACK Blink(HWND, UINT, UINT_PTR, DWORD) {
    if (C().hidden == 0) Invert();
}

void StopBlinking() {
    CaretState& c = C();
    if (c.timer) KillTimer(nullptr, c.timer);
    c.timer = 0;
}

void StartBlinking() {
    CaretState& c = C();
    StopBlinking();
    c.timer = SetTimer(nullptr, 0, c.blinkTime, Blink);
}

} // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
    if (!IsWindow(hwnd)) return FALSE;
    DestroyCaret();
    CaretState& c = C();
    c.owner = hwnd;
    c.bitmap = bitmap;
    if (bitmap && reinterpret_cast<ULONG_PTR>(bitmap) > 1) {
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        width = info.bmWidth;
        height = info.bmHeight;
    }
    c.width = width ? width : GetSystemMetrics(SM_CXBORDER);
    c.height = height ? height : GetSystemMetrics(SM_CYBORDER);
    c.pos = {0, 0};
    c.hidden = 1;
    c.drawn = false;
    return TRUE;
}

BOOL DestroyCaret() {
    CaretState& c = C();
    if (!c.owner) return FALSE;
    Erase();
    StopBlinking();
    c.owner = nullptr;
    c.bitmap = nullptr;
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    CaretState& c = C();
    if (!c.owner || (hwnd && hwnd != c.owner) || c.hidden == 0) return FALSE;
    if (--c.hidden == 0) {
        Invert();
        StartBlinking();
    }
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    CaretState& c = C();
    if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
    if (c.hidden++ == 0) {
        Erase();
        StopBlinking();
    }
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    CaretState& c = C();
    if (!c.owner) return FALSE;
    if (c.pos.x == x && c.pos.y == y) return TRUE;
    Erase();
    c.pos = {x, y};
    if (c.hidden == 0) {
        Invert();
        StartBlinking();
    }
    return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = C().pos;
    return TRUE;
}

UINT GetCaretBlinkTime() { return C().blinkTime; }

BOOL SetCaretBlinkTime(UINT ms) {
    C().blinkTime = ms ? ms : 530;
    return TRUE;
}

namespace win32::user {

// A window going away takes its caret with it.
void ForgetCaretOf(HWND hwnd) {
    if (C().owner == hwnd) {
        StopBlinking();
        C() = CaretState{0, nullptr, 0, 0, {}, 1, false, C().blinkTime, 0};
    }
}

} // namespace win32::user
