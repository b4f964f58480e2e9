// A fixture for the presenter tests: a private Xvfb, DISPLAY pointing at it,
// a connection of the test's own to look at the screen and to send input
// through XTEST, and a window class that records its messages and paints its
// client area in one colour.
#pragma once

#include "XServer.h"

#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) must come after every other header.
#include <X11/Xlib.h>

#include <string>
#include <vector>

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class PresenterTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A visible top-level window of the "Painted" class.
    HWND MakeWindow(const char16_t* title, int x, int y, int cx, int cy,
                    DWORD style = WS_OVERLAPPEDWINDOW);
    HWND MakeChild(const char16_t* cls, const char16_t* text, DWORD style, HWND parent, int x,
                   int y, int cx, int cy, int id);
    // Delivers every queued message, painting included.
    static void Pump();
    // Lets the presenter catch up, then pumps what it routed in, until both rest.
    void Settle();
    // The X window that shows a layer window (0 when none).
    static ::Window XOf(HWND hwnd) { return TestSeams::PresentedXWindow(hwnd); }

    // Input through the X server, as a user would give it.
    void XClick(POINT screen, unsigned button = 1);
    void XKey(unsigned long keysym, bool shift = false);
    // A key code that no key symbol uses yet, now giving `keysym`.
    unsigned MapSpareKey(unsigned long keysym);

    // Pixels of an X window as the X server has them (0x00RRGGBB).
    std::vector<uint32_t> XPixels(::Window xid, const RECT& r);
    std::string XProperty(::Window xid, const char* name);

    std::vector<Seen> Messages(HWND hwnd, UINT msg) const;

    XServer server;
    ::Display* x = nullptr;

public:
    static COLORREF paintColor; // what "Painted" windows fill their update area with
    static std::vector<Seen> log;
};
