// A window class that records the messages it receives, for the window tests.
#pragma once

#include <win32/winuser.h>

#include <functional>
#include <string>
#include <vector>

struct Recorded {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Every window of the class "Recorder" logs into Log(); Hook() may answer a
// message instead of DefWindowProcW (return true and set the result).
std::vector<Recorded>& Log();
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>& Hook();
void RegisterRecorder();
HWND MakeWindow(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, int x = 10, int y = 10,
                int cx = 200, int cy = 100);
// The logged messages (of one window, when given) that are in `of`.
std::vector<UINT> Messages(const std::vector<UINT>& of, HWND only = nullptr);
