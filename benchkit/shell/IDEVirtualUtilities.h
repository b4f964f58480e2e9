// Small helpers of the shell layer: callbacks bound to one object, platform
// tests, rectangles, the wide message box and drag detection.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>
#include <win32/windows.h>

#include <functional>

// A callback of the operating system bound to one object's method: the
// stand-in for an executable thunk. A thread started with StubThreadProc and
// the stub as its argument runs Call(nullptr) on the new thread.
struct TCallbackStub {
    std::function<DWORD(void* Argument)> Call;
};
TCallbackStub* CreateStub(std::function<DWORD(void* Argument)> Method);
void DisposeStub(TCallbackStub* Stub);
DWORD WINAPI StubThreadProc(LPVOID Stub);

// Left <= Right and Top <= Bottom.
RECT AbsRect(const RECT& R);

// Nils the variable, then frees the old block (allocated with malloc).
void FreeMemAndNil(void*& P);

bool IsUnicode();
bool IsWin2000();
bool IsWinNT4();
bool IsWinXP();
bool IsWin95_SR1();
bool IsWinME();

// A wide message box owned by the active window; answers the button.
int WinMsgBox(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags);

// Whether the user starts a drag from Point (client coordinates of Window):
// true when the mouse leaves the drag rectangle with the button down; false
// when the button comes up, a double click or right-button up arrives, or
// the mode is cancelled (those messages are put back for their window).
bool DragDetectPlus(HWND Handle, POINT Pt);

#pragma GCC visibility pop
