#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <map>

namespace {

class NonClient : public ::testing::Test {
protected:
    void SetUp() override { RegisterRecorder(); }
    void TearDown() override {
        Hook() = nullptr;
        for (HWND hwnd : made)
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        Pump();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
    }
    HWND Make(DWORD exStyle, DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr) {
        HWND hwnd = CreateWindowExW(exStyle, u"Recorder", u"Panel", style, x, y, cx, cy, parent,
                                    nullptr, nullptr, nullptr);
        made.push_back(hwnd);
        return hwnd;
    }
    static COLORREF WindowPixel(HWND hwnd, int x, int y) {
        HDC dc = GetWindowDC(hwnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }
    static LRESULT Hit(HWND hwnd, int x, int y) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
    }
    std::vector<HWND> made;
};

} // namespace

TEST_F(NonClient, TheClientEdgeIsDrawnSunkenAroundTheClientArea) {
    HWND hwnd = Make(WS_EX_CLIENTEDGE, WS_POPUP | WS_VISIBLE, 10, 10, 100, 80);
    Pump();
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 96);
    EXPECT_EQ(client.bottom, 76);
    EXPECT_EQ(WindowPixel(hwnd, 0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(WindowPixel(hwnd, 50, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(WindowPixel(hwnd, 99, 79), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(WindowPixel(hwnd, 98, 40), GetSysColor(COLOR_3DLIGHT));
}

TEST_F(NonClient, FramesFollowTheStyles) {
    struct Case {
        DWORD style;
        DWORD exStyle;
        POINT at;
        int color;
    };
    const Case cases[] = {
        {WS_POPUP | WS_BORDER, 0, {0, 5}, COLOR_WINDOWFRAME},
        {WS_POPUP | WS_DLGFRAME,
         0,
         {1, 5},
         COLOR_BTNHIGHLIGHT}, // raised: light inside the outer line
        {WS_POPUP | WS_DLGFRAME, 0, {2, 5}, COLOR_BTNFACE},
        {WS_POPUP | WS_THICKFRAME, 0, {3, 20}, COLOR_INACTIVEBORDER},
        {WS_POPUP, WS_EX_STATICEDGE, {0, 5}, COLOR_BTNSHADOW},
        {WS_POPUP, WS_EX_STATICEDGE, {59, 5}, COLOR_BTNHIGHLIGHT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << std::hex << c.style << " ex " << c.exStyle);
        HWND hwnd = Make(c.exStyle, c.style | WS_VISIBLE, 10, 10, 60, 50);
        Pump();
        EXPECT_EQ(WindowPixel(hwnd, c.at.x, c.at.y), GetSysColor(c.color));
        DestroyWindow(hwnd);
    }
}

TEST_F(NonClient, TheCaptionShowsWhetherItsWindowIsActive) {
    HWND a = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
    Pump();
    ASSERT_EQ(GetActiveWindow(), a);
    // The left end of the caption holds the first colour of its gradient.
    const int frame = GetSystemMetrics(SM_CXFRAME);
    EXPECT_EQ(WindowPixel(a, frame, frame + 1), GetSysColor(COLOR_ACTIVECAPTION));
    HWND b = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 150, 300, 200);
    ASSERT_EQ(GetActiveWindow(), b);
    EXPECT_EQ(WindowPixel(a, frame, frame + 1), GetSysColor(COLOR_INACTIVECAPTION));
    SetActiveWindow(a);
    EXPECT_EQ(WindowPixel(a, frame, frame + 1), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(WindowPixel(b, frame, frame + 1), GetSysColor(COLOR_INACTIVECAPTION));
}

TEST_F(NonClient, TheHitTestKnowsEachPartOfTheFrame) {
    // Thick frame 4, caption 19 (4..22), menu bar 19 (23..41), vertical bar
    // x 280..296, horizontal bar y 180..196, the close box about x 277..294.
    HWND hwnd =
        Make(0, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 100, 100, 300, 200);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING, 1, u"&File");
    SetMenu(hwnd, bar);
    struct Case {
        POINT at;
        LRESULT hit;
    };
    const Case cases[] = {
        {{50, 10}, HTCAPTION},    {{285, 12}, HTCLOSE},     {{262, 12}, HTMAXBUTTON},
        {{245, 12}, HTMINBUTTON}, {{10, 30}, HTMENU},       {{288, 100}, HTVSCROLL},
        {{100, 188}, HTHSCROLL},  {{288, 188}, HTGROWBOX},  {{100, 100}, HTCLIENT},
        {{1, 100}, HTLEFT},       {{298, 100}, HTRIGHT},    {{150, 1}, HTTOP},
        {{150, 198}, HTBOTTOM},   {{1, 1}, HTTOPLEFT},      {{298, 198}, HTBOTTOMRIGHT},
        {{298, 2}, HTTOPRIGHT},   {{2, 198}, HTBOTTOMLEFT}, {{300, 100}, HTNOWHERE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at.x << "," << c.at.y);
        EXPECT_EQ(Hit(hwnd, c.at.x, c.at.y), c.hit);
    }
    HWND dialog = Make(0, WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 100, 100);
    EXPECT_EQ(Hit(dialog, 1, 50), HTBORDER); // a fixed frame does not size
}

TEST_F(NonClient, AClickOnTheCloseBoxClosesTheWindow) {
    HWND hwnd = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
    Pump();
    RECT r;
    GetWindowRect(hwnd, &r);
    TestSeams::Click({r.left + 285, r.top + 12});
    Pump();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(NonClient, APressOnTheCloseBoxReleasedElsewhereDoesNotClose) {
    HWND hwnd = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
    Pump();
    RECT r;
    GetWindowRect(hwnd, &r);
    TestSeams::MouseDown({r.left + 285, r.top + 12});
    TestSeams::MouseUp({r.left + 150, r.top + 100});
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(NonClient, AWindowRegionLimitsHitTestingAndPainting) {
    std::map<HWND, COLORREF> colors;
    Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_PAINT || !colors.count(hwnd)) return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT all;
        GetClientRect(hwnd, &all);
        HBRUSH brush = CreateSolidBrush(colors[hwnd]);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        result = 0;
        return true;
    };
    HWND top = Make(0, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND child = Make(0, WS_CHILD | WS_VISIBLE, 10, 10, 40, 40, top);
    colors[top] = RGB(255, 0, 0);
    colors[child] = RGB(0, 0, 255);
    Pump();
    EXPECT_EQ(WindowPixel(top, 45, 45), RGB(0, 0, 255));

    ASSERT_TRUE(SetWindowRgn(child, CreateRectRgn(0, 0, 20, 20), TRUE));
    InvalidateRect(top, nullptr, TRUE);
    Pump();
    EXPECT_EQ(WindowPixel(top, 15, 15), RGB(0, 0, 255));
    EXPECT_EQ(WindowPixel(top, 45, 45), RGB(255, 0, 0)); // outside the child's region
    EXPECT_EQ(WindowFromPoint({15, 15}), child);
    EXPECT_EQ(WindowFromPoint({45, 45}), top);

    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(child, copy), SIMPLEREGION);
    RECT box;
    GetRgnBox(copy, &box);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(GetWindowRgn(top, copy), ERROR); // no region
    DeleteObject(copy);

    ASSERT_TRUE(SetWindowRgn(child, nullptr, TRUE)); // back to the whole window
    Pump();
    EXPECT_EQ(WindowFromPoint({45, 45}), child);
}

TEST_F(NonClient, TheMenuBarIsDrawnInTheFrame) {
    HWND hwnd = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING, 1, u"&File");
    SetMenu(hwnd, bar);
    Pump();
    const int top = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(WindowPixel(hwnd, 200, top + 3), GetSysColor(COLOR_MENU));
    int dark = 0; // the label
    for (int x = 4; x < 60; ++x)
        for (int y = top; y < top + GetSystemMetrics(SM_CYMENU); ++y)
            dark += GetRValue(WindowPixel(hwnd, x, y)) < 0x60;
    EXPECT_GT(dark, 10);
}
