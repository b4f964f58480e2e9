// ScrollDC moves pixels inside a DC and tells what opened up; the desktop
// settings the controls ask for.
#include <win32/commctrl.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

namespace {

struct Memory {
    Memory(int W, int H) {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = W;
        info.bmiHeader.biHeight = -H;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Memory() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

TEST(ScrollDC, MovesPixelsAndReportsTheOpenedStrip) {
    Memory m(20, 10);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 10; ++y) SetPixelV(m.dc, x, y, RGB(x * 10, 0, 0));
    RECT area{0, 0, 20, 10};
    RECT opened{};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_TRUE(ScrollDC(m.dc, 5, 0, &area, &area, region, &opened));
    EXPECT_EQ(GetPixel(m.dc, 5, 3), RGB(0, 0, 0)) << "column 0 moved to 5";
    EXPECT_EQ(GetPixel(m.dc, 19, 3), RGB(140, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 2, 3), RGB(20, 0, 0)) << "the opened strip is left as it was";
    EXPECT_EQ(opened.left, 0);
    EXPECT_EQ(opened.right, 5);
    EXPECT_EQ(opened.bottom, 10);
    EXPECT_TRUE(PtInRegion(region, 4, 9));
    EXPECT_FALSE(PtInRegion(region, 5, 0));
    DeleteObject(region);
}

TEST(ScrollDC, StaysInsideTheClip) {
    Memory m(10, 10);
    for (int y = 0; y < 10; ++y) SetPixelV(m.dc, 0, y, RGB(0, 0, y * 20));
    RECT area{0, 0, 10, 10};
    RECT clip{0, 0, 10, 5};
    ScrollDC(m.dc, 0, 3, &area, &clip, nullptr, nullptr);
    EXPECT_EQ(GetPixel(m.dc, 0, 4), RGB(0, 0, 20));
    EXPECT_EQ(GetPixel(m.dc, 0, 6), RGB(0, 0, 120)) << "below the clip nothing changed";
}

TEST(SystemParameters, AnswerAFreshDesktopsSettings) {
    UINT lines = 0;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, 3u);
    BOOL full = FALSE;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0));
    EXPECT_FALSE(SystemParametersInfoW(0x7777, 0, &full, 0));
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, nullptr, 0));
}

TEST(ImageListDraw, BlendsWithTheForegroundAndRemoves) {
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    Memory strip(4, 2);
    RECT all{0, 0, 4, 2};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(strip.dc, &all, white);
    DeleteObject(white);
    SelectObject(strip.dc, strip.old);
    ASSERT_EQ(ImageList_AddMasked(list, strip.bitmap, RGB(0, 255, 0)), 0);
    SelectObject(strip.dc, strip.bitmap);
    ASSERT_EQ(ImageList_GetImageCount(list), 2);
    Memory target(2, 2);
    ImageList_DrawEx(list, 0, target.dc, 0, 0, 0, 0, CLR_NONE, RGB(0, 0, 0), ILD_BLEND50);
    EXPECT_EQ(GetPixel(target.dc, 1, 1), RGB(127, 127, 127));
    ImageList_DrawEx(list, 0, target.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_BLEND50);
    EXPECT_EQ(GetPixel(target.dc, 1, 1), RGB(255, 255, 255)) << "no colour: no mixing";
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 1);
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Remove(list, 0));
    ImageList_Destroy(list);
}

} // namespace
