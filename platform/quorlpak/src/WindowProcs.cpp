// The binding of windows to their controls: a class procedure that meets the
// window's first message, records the control being created in a window
// property and then routes every message to the control's MainWndProc.
#include "WindowProcs.h"

#include <quorlpak/WinControl.h>

#include <win32/winuser.h>

namespace {

constexpr const char16_t* kControlProperty = u"QuorlpakControl";

// The control whose window CreateWindowExW is making on this thread.
thread_local TWinControl* tCreationControl = nullptr;

LRESULT CALLBACK StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<TWinControl*>(GetPropW(hwnd, kControlProperty));
    if (!control) return DefWindowProcW(hwnd, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    control->MainWndProc(message);
    if (msg == WM_NCDESTROY) RemovePropW(hwnd, kControlProperty);
    return message.Result;
}

} // namespace

namespace quorlpak {

void SetCreationControl(TWinControl* Control) {
    tCreationControl = Control;
}

} // namespace quorlpak

LRESULT CALLBACK InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* control = tCreationControl;
    tCreationControl = nullptr;
    if (!control) {
        // A window of a control class made by someone else: nothing to route to.
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    control->FHandle = hwnd;
    SetPropW(hwnd, kControlProperty, reinterpret_cast<HANDLE>(control));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc));
    return StdWndProc(hwnd, msg, wParam, lParam);
}

TWinControl* FindControl(HWND Handle) {
    if (!Handle) return nullptr;
    return reinterpret_cast<TWinControl*>(GetPropW(Handle, kControlProperty));
}

bool IsQuorlpakWindow(HWND Handle) {
    return FindControl(Handle) != nullptr;
}

TWinControl* FindWinControlAt(const TPoint& Pos) {
    for (HWND hwnd = WindowFromPoint(Pos); hwnd; hwnd = GetParent(hwnd))
        if (TWinControl* control = FindControl(hwnd)) return control;
    return nullptr;
}
