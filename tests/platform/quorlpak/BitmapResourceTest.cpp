// Bitmaps loaded from a module's resources by the framework.
#include <quorlpak/Bitmap.h>
#include <quorlpak/Colors.h>

#include <win32/ModuleResources.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// 3 x 1, 24 bits: silver, grey, red.
const BYTE kSwatch[] = {
    40, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xC0, 0xC0, 0x80, 0x80, 0x80, 0, 0, 0xFF, 0, 0, 0};

HINSTANCE SwatchModule() {
    static const win32::ResourceEntry entries[] = {{RT_BITMAP, u"SWATCH", kSwatch, sizeof(kSwatch)}};
    return win32::RegisterModuleResources(u"SWATCHES", entries, 1);
}

TColor PixelOf(TBitmap& bitmap, int x) {
    return bitmap.GetCanvas()->GetPixel(x, 0);
}

TEST(BitmapResourceTest, LoadsByNameOrRaisesWhenMissing) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(SwatchModule(), u"swatch");
    ASSERT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(PixelOf(bitmap, 0), clSilver);
    EXPECT_EQ(PixelOf(bitmap, 2), clRed);
    EXPECT_THROW(bitmap.LoadFromResourceName(SwatchModule(), u"NOSUCH"), EResNotFound);
    EXPECT_THROW(bitmap.LoadFromResourceID(SwatchModule(), 5), EResNotFound);
}

TEST(BitmapResourceTest, GrayMappedFollowsTheButtonColours) {
    TBitmap bitmap;
    bitmap.SetHandle(CreateGrayMappedRes(SwatchModule(), u"SWATCH"));
    EXPECT_EQ(PixelOf(bitmap, 0), TColor(ColorToRGB(clBtnFace)));
    EXPECT_EQ(PixelOf(bitmap, 1), TColor(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(PixelOf(bitmap, 2), clRed);
    EXPECT_THROW(CreateGrayMappedRes(SwatchModule(), u"NOSUCH"), EResNotFound);
}

} // namespace
