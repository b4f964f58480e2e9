#include "ControlTestSupport.h"

#include <win32/readback.h>

void ControlTest::SetUp() {
    TestSeams::UseManualClock(100000);
    RegisterRecorder();
    parent = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 50, 50, 420, 320);
    SetActiveWindow(parent);
    Pump();
    Log().clear();
}

void ControlTest::TearDown() {
    for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON})
        if (GetAsyncKeyState(vk) & 0x8000) {
            if (vk == VK_LBUTTON)
                TestSeams::MouseUp({0, 0});
            else
                TestSeams::KeyUp(vk);
        }
    Hook() = nullptr;
    ReleaseCapture();
    DestroyWindow(parent);
    Pump();
    TestSeams::UseRealClock();
}

HWND ControlTest::Make(const char16_t* cls, const char16_t* text, DWORD style, int x, int y, int cx,
                       int cy, int id, HWND in) {
    HWND hwnd =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, in ? in : parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    Pump();
    return hwnd;
}

void ControlTest::Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

std::u16string ControlTest::Text(HWND hwnd) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<int> ControlTest::Codes(HWND from) const {
    std::vector<int> out;
    for (const Recorded& r : Log())
        if (r.hwnd == parent && r.msg == WM_COMMAND && reinterpret_cast<HWND>(r.lParam) == from)
            out.push_back(static_cast<short>(HIWORD(r.wParam)));
    return out;
}

std::vector<std::pair<int, int>> ControlTest::Commands() const {
    std::vector<std::pair<int, int>> out;
    for (const Recorded& r : Log())
        if (r.hwnd == parent && r.msg == WM_COMMAND)
            out.push_back({LOWORD(r.wParam), static_cast<short>(HIWORD(r.wParam))});
    return out;
}

void ControlTest::Click(HWND hwnd, int x, int y) {
    TestSeams::Click(TestSeams::ClientPoint(hwnd, x, y));
    Pump();
}

void ControlTest::Press(int vk) {
    TestSeams::KeyPress(vk);
    Pump();
}

void ControlTest::Chord(int modifier, int vk) {
    TestSeams::KeyDown(modifier);
    TestSeams::KeyPress(vk);
    TestSeams::KeyUp(modifier);
    Pump();
}

void ControlTest::Type(std::u16string_view text) {
    TestSeams::TypeText(text);
    Pump();
}

COLORREF ControlTest::Pixel(HWND hwnd, int x, int y) {
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

int ControlTest::DarkPixels(HWND hwnd, const RECT& r) {
    HDC dc = GetDC(hwnd);
    std::vector<COLORREF> pixels = win32::ReadPixels(dc, r);
    ReleaseDC(hwnd, dc);
    int n = 0;
    for (COLORREF c : pixels)
        if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 384) ++n;
    return n;
}
