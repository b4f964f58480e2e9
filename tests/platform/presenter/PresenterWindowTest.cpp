// Top-level windows of the layer on an X server: appearance, title, place,
// size, showing, hiding, destruction, and the pixels X shows.
#include "PresenterTestSupport.h"

#include <win32/readback.h>

#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>

namespace {

XWindowAttributes Attributes(::Display* x, ::Window xid) {
    XWindowAttributes a{};
    XGetWindowAttributes(x, xid, &a);
    return a;
}

std::vector<uint32_t> LayerPixels(HWND hwnd, const RECT& r) {
    HDC dc = GetWindowDC(hwnd);
    std::vector<COLORREF> colors = win32::ReadPixels(dc, r);
    ReleaseDC(hwnd, dc);
    std::vector<uint32_t> out;
    for (COLORREF c : colors)
        out.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    return out;
}

} // namespace

TEST_F(PresenterTest, AWindowAppearsWithItsTitlePlaceAndSize) {
    HWND hwnd = MakeWindow(u"Servo panel \u30b5\u30fc\u30dc", 40, 30, 320, 200);
    ASSERT_TRUE(TestSeams::PresenterRunning());
    const ::Window xid = XOf(hwnd);
    ASSERT_NE(xid, 0u);
    XWindowAttributes a = Attributes(x, xid);
    EXPECT_EQ(a.map_state, IsViewable);
    EXPECT_EQ(a.x, 40);
    EXPECT_EQ(a.y, 30);
    EXPECT_EQ(a.width, 320);
    EXPECT_EQ(a.height, 200);
    EXPECT_EQ(XProperty(xid, "_NET_WM_NAME"), "Servo panel \xe3\x82\xb5\xe3\x83\xbc\xe3\x83\x9c");

    SetWindowTextW(hwnd, u"Drive 1");
    Settle();
    EXPECT_EQ(XProperty(xid, "_NET_WM_NAME"), "Drive 1");
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(x, xid, &name));
    EXPECT_STREQ(name, "Drive 1");
    XFree(name);
}

TEST_F(PresenterTest, TheXWindowFollowsMovesSizesShowingHidingAndDestruction) {
    HWND hwnd = MakeWindow(u"Moving", 40, 30, 320, 200);
    const ::Window xid = XOf(hwnd);
    ASSERT_NE(xid, 0u);

    MoveWindow(hwnd, 100, 120, 400, 250, TRUE);
    Settle();
    XWindowAttributes a = Attributes(x, xid);
    EXPECT_EQ(a.x, 100);
    EXPECT_EQ(a.y, 120);
    EXPECT_EQ(a.width, 400);
    EXPECT_EQ(a.height, 250);
    EXPECT_EQ(XPixels(xid, {390, 240, 391, 241}), (std::vector<uint32_t>{0x2878C8}))
        << "the grown part shows what the window painted there";

    ShowWindow(hwnd, SW_HIDE);
    Settle();
    EXPECT_EQ(Attributes(x, xid).map_state, IsUnmapped);
    EXPECT_EQ(XOf(hwnd), 0u);

    ShowWindow(hwnd, SW_SHOW);
    Settle();
    EXPECT_EQ(Attributes(x, xid).map_state, IsViewable);

    DestroyWindow(hwnd);
    Settle();
    XWindowAttributes gone{};
    EXPECT_FALSE(XGetWindowAttributes(x, xid, &gone)) << "the X window was destroyed";
}

TEST_F(PresenterTest, HiddenAndChildWindowsGetNoXWindowOfTheirOwn) {
    HWND hidden = CreateWindowExW(0, u"Painted", u"Hidden", WS_OVERLAPPEDWINDOW, 10, 10, 100, 80,
                                  nullptr, nullptr, nullptr, nullptr);
    Settle();
    EXPECT_FALSE(TestSeams::PresenterRunning()) << "nothing shown yet: no connection";
    HWND top = MakeWindow(u"Top", 10, 10, 200, 150);
    HWND child = MakeChild(u"Button", u"OK", BS_PUSHBUTTON, top, 10, 10, 80, 24, 1);
    EXPECT_TRUE(TestSeams::PresenterRunning());
    EXPECT_EQ(XOf(hidden), 0u);
    EXPECT_EQ(XOf(child), 0u);
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(x, XOf(top), &root, &parent, &children, &count);
    if (children) XFree(children);
    EXPECT_EQ(count, 0u) << "children are drawn into their top-level window's pixels";
}

// What the X server shows is, pixel for pixel, what the layer painted: text in
// Latin and Japanese, a frame, controls. With WINLAYER_TEST_SCREENSHOT=<file>
// the test also saves the X server's picture of the window as a PNG.
TEST_F(PresenterTest, XShowsExactlyWhatTheLayerPainted) {
    paintColor = RGB(236, 233, 216);
    HWND form = MakeWindow(u"Servo panel \u2014 \u30b5\u30fc\u30dc\u30d1\u30cd\u30eb", 20, 20, 420,
                           220, WS_OVERLAPPEDWINDOW);
    MakeChild(u"Static", u"Drive ready \u2014 \u30b5\u30fc\u30dc\u6e96\u5099\u5b8c\u4e86", 0, form,
              16, 16, 380, 24, 1);
    MakeChild(u"Static", u"Position / \u4f4d\u7f6e:", 0, form, 16, 56, 120, 22, 2);
    MakeChild(u"Edit", u"1234 \u30d1\u30eb\u30b9", WS_BORDER, form, 140, 54, 200, 24, 3);
    MakeChild(u"Button", u"Go online / \u63a5\u7d9a", BS_PUSHBUTTON, form, 140, 100, 200, 30, 4);
    Settle();
    RECT r;
    GetWindowRect(form, &r);
    const RECT all{0, 0, r.right - r.left, r.bottom - r.top};
    const std::vector<uint32_t> shown = XPixels(XOf(form), all);
    const std::vector<uint32_t> painted = LayerPixels(form, all);
    ASSERT_EQ(shown.size(), painted.size());
    size_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        differing += shown[i] != painted[i];
    EXPECT_EQ(differing, 0u);

    if (const char* path = std::getenv("WINLAYER_TEST_SCREENSHOT")) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = all.right;
        info.bmiHeader.biHeight = -all.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP shot = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        std::copy(shown.begin(), shown.end(), static_cast<uint32_t*>(bits));
        EXPECT_TRUE(win32::SaveBitmapAsPng(shot, path));
        DeleteObject(shot);
    }
}

TEST_F(PresenterTest, WinlayerSnapshotSavesTheWindowAndClosesItWhenAsked) {
    const std::string path = std::string(std::getenv("WINLAYER_HOME")) + "/shot.png";
    setenv("WINLAYER_SNAPSHOT", path.c_str(), 1);
    setenv("WINLAYER_SNAPSHOT_DELAY_MS", "0", 1);
    setenv("WINLAYER_SNAPSHOT_CLOSE", "1", 1);
    paintColor = RGB(200, 30, 60);
    HWND hwnd = MakeWindow(u"Snapshot", 50, 50, 160, 120);
    unsetenv("WINLAYER_SNAPSHOT");
    unsetenv("WINLAYER_SNAPSHOT_DELAY_MS");
    unsetenv("WINLAYER_SNAPSHOT_CLOSE");
    ASSERT_TRUE(std::filesystem::exists(path));
    HBITMAP shot = win32::LoadPngAsBitmap(path);
    ASSERT_NE(shot, nullptr);
    BITMAP bm{};
    GetObjectW(shot, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 160);
    EXPECT_EQ(bm.bmHeight, 120);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, shot);
    POINT inside{80, 80};
    EXPECT_EQ(GetPixel(dc, inside.x, inside.y), RGB(200, 30, 60));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(shot);
    EXPECT_EQ(Messages(hwnd, WM_CLOSE).size(), 1u);
}
