#include "PresenterTestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>

COLORREF PresenterTest::paintColor = RGB(40, 120, 200);
std::vector<Seen> PresenterTest::log;

namespace {

LRESULT CALLBACK PaintedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PresenterTest::log.push_back({hwnd, msg, wParam, lParam});
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(PresenterTest::paintColor);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        return 0; // recorded only; the test decides when windows go
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void PresenterTest::SetUp() {
    if (!XServer::Installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps)";
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    setenv("DISPLAY", server.Name().c_str(), 1);
    x = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(x, nullptr);
    int event, error, major, minor;
    ASSERT_TRUE(XTestQueryExtension(x, &event, &error, &major, &minor)) << "no XTEST";
    // Double clicks and caret blinks follow the layer's clock, not the test's pace.
    TestSeams::UseManualClock(1000);
    log.clear();
    paintColor = RGB(40, 120, 200);
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PaintedProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"Painted";
    RegisterClassW(&wc);
}

void PresenterTest::TearDown() {
    std::vector<HWND> mine;
    EnumWindows(
        [](HWND hwnd, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&mine));
    for (HWND hwnd : mine)
        DestroyWindow(hwnd);
    Pump();
    // The presenter lets go of the server before the server goes.
    TestSeams::StopPresenter();
    unsetenv("DISPLAY");
    if (x) XCloseDisplay(x);
    x = nullptr;
    server.Stop();
    UnregisterClassW(u"Painted", nullptr);
    TestSeams::UseRealClock();
}

HWND PresenterTest::MakeWindow(const char16_t* title, int left, int top, int cx, int cy,
                               DWORD style) {
    HWND hwnd = CreateWindowExW(0, u"Painted", title, style | WS_VISIBLE, left, top, cx, cy,
                                nullptr, nullptr, nullptr, nullptr);
    Settle();
    return hwnd;
}

HWND PresenterTest::MakeChild(const char16_t* cls, const char16_t* text, DWORD style, HWND parent,
                              int left, int top, int cx, int cy, int id) {
    HWND hwnd =
        CreateWindowExW(0, cls, text, style | WS_CHILD | WS_VISIBLE, left, top, cx, cy, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    Settle();
    return hwnd;
}

void PresenterTest::Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void PresenterTest::Settle() {
    if (x) XSync(x, False);
    // Routed input may paint, and painting sends pixels: twice reaches rest.
    for (int i = 0; i < 3; ++i) {
        TestSeams::WaitForPresenter();
        Pump();
    }
    TestSeams::WaitForPresenter();
}

void PresenterTest::XClick(POINT screen, unsigned button) {
    XTestFakeMotionEvent(x, 0, screen.x, screen.y, CurrentTime);
    XTestFakeButtonEvent(x, button, True, CurrentTime);
    XTestFakeButtonEvent(x, button, False, CurrentTime);
    XSync(x, False);
}

void PresenterTest::XKey(unsigned long keysym, bool shift) {
    const KeyCode shiftCode = XKeysymToKeycode(x, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(x, keysym);
    ASSERT_NE(code, 0) << "no key gives " << keysym;
    if (shift) XTestFakeKeyEvent(x, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(x, code, True, CurrentTime);
    XTestFakeKeyEvent(x, code, False, CurrentTime);
    if (shift) XTestFakeKeyEvent(x, shiftCode, False, CurrentTime);
    XSync(x, False);
}

unsigned PresenterTest::MapSpareKey(unsigned long keysym) {
    int minCode, maxCode, perCode;
    XDisplayKeycodes(x, &minCode, &maxCode);
    KeySym* map =
        XGetKeyboardMapping(x, static_cast<KeyCode>(minCode), maxCode - minCode + 1, &perCode);
    unsigned spare = 0;
    for (int code = maxCode; code >= minCode && !spare; --code) {
        bool unused = true;
        for (int i = 0; i < perCode; ++i)
            unused = unused && map[(code - minCode) * perCode + i] == NoSymbol;
        if (unused) spare = static_cast<unsigned>(code);
    }
    XFree(map);
    if (!spare) return 0;
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(x, static_cast<int>(spare), 2, syms, 1);
    XSync(x, False);
    return spare;
}

std::vector<uint32_t> PresenterTest::XPixels(::Window xid, const RECT& r) {
    std::vector<uint32_t> out;
    XImage* image = XGetImage(x, xid, r.left, r.top, static_cast<unsigned>(r.right - r.left),
                              static_cast<unsigned>(r.bottom - r.top), AllPlanes, ZPixmap);
    if (!image) return out;
    for (int y = 0; y < r.bottom - r.top; ++y)
        for (int i = 0; i < r.right - r.left; ++i)
            out.push_back(static_cast<uint32_t>(XGetPixel(image, i, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
}

std::string PresenterTest::XProperty(::Window xid, const char* name) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, xid, XInternAtom(x, name, False), 0, 4096, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) != Success ||
        !data)
        return {};
    std::string value(reinterpret_cast<char*>(data), count * (format / 8));
    XFree(data);
    return value;
}

std::vector<Seen> PresenterTest::Messages(HWND hwnd, UINT msg) const {
    std::vector<Seen> out;
    for (const Seen& s : log)
        if (s.hwnd == hwnd && s.msg == msg) out.push_back(s);
    return out;
}
