// Reading pixels back and PNG files.
#include "GdiTestCanvas.h"

#include <win32/readback.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::path(std::getenv("WINLAYER_HOME")) / name).string();
}

} // namespace

TEST(GdiReadback, ReadPixelsHonoursOriginsAndClip) {
    GdiTestCanvas c(4, 4);
    SetPixel(c.dc(), 1, 1, RGB(9, 8, 7));
    IntersectClipRect(c.dc(), 0, 0, 2, 2);
    std::vector<COLORREF> px = win32::ReadPixels(c.dc(), RECT{1, 1, 3, 2});
    ASSERT_EQ(px.size(), 2u);
    EXPECT_EQ(px[0], RGB(9, 8, 7));
    EXPECT_EQ(px[1], CLR_INVALID);
    EXPECT_TRUE(win32::ReadPixels(reinterpret_cast<HDC>(0x77), RECT{0, 0, 1, 1}).empty());
}

TEST(GdiReadback, PngIsWrittenAndReadsBackTheSamePixels) {
    GdiTestCanvas c(40, 20);
    HBRUSH red = CreateSolidBrush(RGB(200, 10, 20));
    RECT r{5, 5, 30, 15};
    FillRect(c.dc(), &r, red);
    SetBkMode(c.dc(), TRANSPARENT);
    TextOutW(c.dc(), 2, 2, u"Ab", 2);
    std::string path = TempPath("canvas.png");
    ASSERT_TRUE(win32::SaveDCAsPng(c.dc(), path));
    HBITMAP loaded = win32::LoadPngAsBitmap(path);
    ASSERT_NE(loaded, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, loaded);
    BITMAP bm{};
    GetObjectW(loaded, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 40);
    EXPECT_EQ(bm.bmHeight, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(GetPixel(dc, x, y), c.At(x, y)) << x << "," << y;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(loaded);
    DeleteObject(red);
    EXPECT_FALSE(win32::SaveDCAsPng(c.dc(), "/nonexistent-folder/x.png"));
    EXPECT_EQ(win32::LoadPngAsBitmap(TempPath("missing.png")), nullptr);
}

TEST(GdiReadback, BitmapPngKeepsAlphaWhenAsked) {
    GdiTestCanvas c(2, 1);
    c.bits()[0] = 0x80400000; // premultiplied red 0x40 at alpha 0x80
    c.bits()[1] = 0xFF00FF00;
    std::string path = TempPath("alpha.png");
    ASSERT_TRUE(win32::SaveBitmapAsPng(c.bitmap(), path, true));
    HBITMAP loaded = win32::LoadPngAsBitmap(path);
    ASSERT_NE(loaded, nullptr);
    DIBSECTION ds{};
    GetObjectW(loaded, sizeof(ds), &ds);
    auto* px = static_cast<uint32_t*>(ds.dsBm.bmBits);
    EXPECT_EQ(px[1], 0xFF00FF00u);
    EXPECT_EQ(px[0], 0x80400000u) << "premultiplied colour survives the round trip";
    DeleteObject(loaded);
}
