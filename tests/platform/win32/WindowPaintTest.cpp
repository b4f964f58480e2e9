#include "WindowTestSupport.h"

#include <win32/readback.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <map>

namespace {

// Windows that paint their whole client area in one colour each.
class WindowPaint : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorder();
        Hook() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
            if (msg != WM_PAINT || !colors.count(hwnd)) return false;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT all;
            GetClientRect(hwnd, &all);
            HBRUSH brush = CreateSolidBrush(colors[hwnd]);
            FillRect(dc, &all, brush); // clipped to the update area by BeginPaint
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            result = 0;
            return true;
        };
        top = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 100, 80);
        child = MakeWindow(WS_CHILD | WS_VISIBLE, top, 20, 10, 30, 20);
        colors[top] = RGB(255, 0, 0);
        colors[child] = RGB(0, 0, 255);
        Pump();
    }
    void TearDown() override {
        Hook() = nullptr;
        DestroyWindow(top);
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    COLORREF Pixel(int x, int y) {
        // Reads what the window shows, also while LockWindowUpdate holds it.
        HDC dc = GetDCEx(top, nullptr, DCX_WINDOW | DCX_LOCKWINDOWUPDATE);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(top, dc);
        return c;
    }
    std::map<HWND, COLORREF> colors;
    HWND top = nullptr;
    HWND child = nullptr;
};

} // namespace

TEST_F(WindowPaint, ChildrenPaintIntoTheirTopLevelSurfaceAtTheirPlace) {
    EXPECT_EQ(Pixel(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(20, 10), RGB(0, 0, 255));
    EXPECT_EQ(Pixel(49, 29), RGB(0, 0, 255));
    EXPECT_EQ(Pixel(50, 30), RGB(255, 0, 0));
}

TEST_F(WindowPaint, PaintingIsClippedToTheUpdateArea) {
    colors[top] = RGB(0, 255, 0);
    RECT strip{0, 0, 100, 5};
    InvalidateRect(top, &strip, FALSE);
    Pump();
    EXPECT_EQ(Pixel(60, 2), RGB(0, 255, 0));
    EXPECT_EQ(Pixel(60, 50), RGB(255, 0, 0)); // outside the update area: untouched
}

TEST_F(WindowPaint, ClipChildrenKeepsTheParentOffItsChildren) {
    SetWindowLongW(top, GWL_STYLE, GetWindowLongW(top, GWL_STYLE) | WS_CLIPCHILDREN);
    colors[top] = RGB(0, 255, 0);
    colors.erase(child); // the child no longer repaints
    InvalidateRect(top, nullptr, FALSE);
    Pump();
    EXPECT_EQ(Pixel(5, 5), RGB(0, 255, 0));
    EXPECT_EQ(Pixel(25, 15), RGB(0, 0, 255));
}

TEST_F(WindowPaint, ScrollingMovesPixelsAndInvalidatesWhatIsUncovered) {
    colors.erase(top);
    colors.erase(child);
    ShowWindow(child, SW_HIDE);
    Pump();
    // A marker at (60,40), scrolled up by 10.
    HDC dc = GetDC(top);
    SetPixel(dc, 60, 40, RGB(1, 2, 3));
    ReleaseDC(top, dc);
    RECT update{};
    ScrollWindowEx(top, 0, -10, nullptr, nullptr, nullptr, &update, SW_INVALIDATE);
    EXPECT_EQ(Pixel(60, 30), RGB(1, 2, 3));
    EXPECT_NE(Pixel(60, 40), RGB(1, 2, 3));
    EXPECT_EQ(update.top, 70);
    EXPECT_EQ(update.bottom, 80);
    RECT pending{};
    ASSERT_TRUE(GetUpdateRect(top, &pending, FALSE));
    EXPECT_EQ(pending.right, 100);
    EXPECT_EQ(pending.left, 0);
}

TEST_F(WindowPaint, AWindowCanBeSavedAsAPicture) {
    HDC dc = GetWindowDC(top);
    std::string path = std::string(getenv("WINLAYER_HOME")) + "/window.png";
    EXPECT_TRUE(win32::SaveDCAsPng(dc, path));
    ReleaseDC(top, dc);
    HBITMAP back = win32::LoadPngAsBitmap(path);
    ASSERT_TRUE(back);
    HDC mem = CreateCompatibleDC(nullptr);
    SelectObject(mem, back);
    EXPECT_EQ(GetPixel(mem, 25, 15), RGB(0, 0, 255));
    DeleteDC(mem);
    DeleteObject(back);
}

TEST_F(WindowPaint, LockedWindowDrawsNothingUntilUnlockedThenRepaints) {
    ASSERT_TRUE(LockWindowUpdate(top));
    EXPECT_FALSE(LockWindowUpdate(child)) << "only one window is locked at a time";
    for (HWND target : {top, child}) {
        HDC dc = GetDC(target);
        RECT all{0, 0, 100, 100};
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        FillRect(dc, &all, green);
        DeleteObject(green);
        ReleaseDC(target, dc);
    }
    EXPECT_EQ(Pixel(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(25, 15), RGB(0, 0, 255));
    // The lock's own drawing still reaches the window.
    HDC dc = GetDCEx(top, nullptr, DCX_LOCKWINDOWUPDATE);
    SetPixel(dc, 1, 1, RGB(0, 255, 0));
    ReleaseDC(top, dc);
    EXPECT_EQ(Pixel(1, 1), RGB(0, 255, 0));

    ASSERT_TRUE(LockWindowUpdate(nullptr));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_TRUE(GetUpdateRect(child, &update, FALSE)) << "children repaint too";
    Pump();
    EXPECT_EQ(Pixel(1, 1), RGB(255, 0, 0));
}

TEST_F(WindowPaint, DestroyingTheLockedWindowReleasesTheLock) {
    HWND other = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 10, 10);
    ASSERT_TRUE(LockWindowUpdate(other));
    DestroyWindow(other);
    EXPECT_TRUE(LockWindowUpdate(top));
    EXPECT_TRUE(LockWindowUpdate(nullptr));
}

TEST_F(WindowPaint, ControlsMadeWhileTheirFormWasHiddenPaintWhenItShows) {
    HWND form = MakeWindow(WS_POPUP | WS_CLIPCHILDREN, nullptr, 0, 0, 100, 80);
    HWND control = MakeWindow(WS_CHILD | WS_VISIBLE, form, 10, 10, 30, 20);
    colors[form] = RGB(255, 255, 0);
    colors[control] = RGB(0, 128, 0);
    Pump();
    ShowWindow(form, SW_SHOWNA);
    Pump();
    HDC dc = GetWindowDC(form);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 0));
    EXPECT_EQ(GetPixel(dc, 15, 15), RGB(0, 128, 0));
    ReleaseDC(form, dc);
    DestroyWindow(form);
}
