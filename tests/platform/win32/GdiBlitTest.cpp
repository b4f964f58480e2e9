// Blits, raster operations, colour conversion, DIBs and alpha blending.
#include "GdiTestCanvas.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

struct RopCase {
    const char* name;
    DWORD rop;
    COLORREF expected; // for P = 0x33.., S = 0x0F.., D = 0x55..
};

void PrintTo(const RopCase& c, std::ostream* os) {
    *os << c.name;
}

class GdiRop3 : public ::testing::TestWithParam<RopCase> {};

} // namespace

TEST_P(GdiRop3, CombinesPatternSourceAndDestination) {
    const RopCase& c = GetParam();
    GdiTestCanvas src(4, 4, RGB(0x0F, 0x0F, 0x0F));
    GdiTestCanvas dst(4, 4, RGB(0x55, 0x55, 0x55));
    HBRUSH pattern = CreateSolidBrush(RGB(0x33, 0x33, 0x33));
    HGDIOBJ old = SelectObject(dst.dc(), pattern);
    EXPECT_TRUE(BitBlt(dst.dc(), 1, 1, 2, 2, src.dc(), 0, 0, c.rop)) << c.name;
    EXPECT_EQ(dst.At(1, 1), c.expected) << c.name;
    EXPECT_EQ(dst.At(2, 2), c.expected) << c.name;
    EXPECT_EQ(dst.At(0, 0), RGB(0x55, 0x55, 0x55)) << c.name << ": outside the rectangle";
    EXPECT_EQ(dst.At(3, 3), RGB(0x55, 0x55, 0x55)) << c.name;
    SelectObject(dst.dc(), old);
    DeleteObject(pattern);
}

#define GRAY(v) RGB(v, v, v)
INSTANTIATE_TEST_SUITE_P(
    Codes, GdiRop3,
    ::testing::Values(
        RopCase{"SRCCOPY", SRCCOPY, GRAY(0x0F)}, RopCase{"SRCPAINT", SRCPAINT, GRAY(0x5F)},
        RopCase{"SRCAND", SRCAND, GRAY(0x05)}, RopCase{"SRCINVERT", SRCINVERT, GRAY(0x5A)},
        RopCase{"SRCERASE", SRCERASE, GRAY(0x0A)}, RopCase{"NOTSRCCOPY", NOTSRCCOPY, GRAY(0xF0)},
        RopCase{"NOTSRCERASE", NOTSRCERASE, GRAY(0xA0)},
        RopCase{"MERGECOPY", MERGECOPY, GRAY(0x03)}, RopCase{"MERGEPAINT", MERGEPAINT, GRAY(0xF5)},
        RopCase{"PATCOPY", PATCOPY, GRAY(0x33)}, RopCase{"PATPAINT", PATPAINT, GRAY(0xF7)},
        RopCase{"PATINVERT", PATINVERT, GRAY(0x66)}, RopCase{"DSTINVERT", DSTINVERT, GRAY(0xAA)},
        RopCase{"BLACKNESS", BLACKNESS, GRAY(0x00)}, RopCase{"WHITENESS", WHITENESS, GRAY(0xFF)},
        // An uncommon code: D xor (P and S) (0x6A).
        RopCase{"DPSax", 0x006A01E9, GRAY(0x55 ^ (0x33 & 0x0F))}),
    [](const ::testing::TestParamInfo<RopCase>& info) { return std::string(info.param.name); });

TEST(GdiBlit, PatBltRejectsSourceRopsAndNormalisesNegativeSizes) {
    GdiTestCanvas c(6, 6);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_TRUE(PatBlt(c.dc(), 4, 4, -2, -2, PATCOPY));
    EXPECT_EQ(c.Map({0, 0, 6, 6}, kBlack), "......\n"
                                           "......\n"
                                           "......\n"
                                           "...##.\n"
                                           "...##.\n"
                                           "......\n");
}

TEST(GdiBlit, MonochromeToColourUsesTextAndBackgroundColours) {
    // Row bits: 1010 0000 -> white, black, white, black.
    const uint8_t bits[] = {0xA0, 0x00};
    HBITMAP mask = CreateBitmap(4, 1, 1, 1, bits);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    GdiTestCanvas dst(4, 1);
    SetTextColor(dst.dc(), RGB(200, 0, 0));
    SetBkColor(dst.dc(), RGB(0, 0, 200));
    BitBlt(dst.dc(), 0, 0, 4, 1, mdc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 200)) << "set bits take the background colour";
    EXPECT_EQ(dst.At(1, 0), RGB(200, 0, 0)) << "clear bits take the text colour";
    EXPECT_EQ(dst.At(2, 0), RGB(0, 0, 200));
    SelectObject(mdc, old);
    DeleteDC(mdc);
    DeleteObject(mask);
}

TEST(GdiBlit, ColourToMonochromeMatchesTheSourceBackground) {
    GdiTestCanvas src(3, 1, RGB(10, 20, 30));
    SetPixel(src.dc(), 1, 0, RGB(250, 250, 250));
    SetBkColor(src.dc(), RGB(10, 20, 30));
    HBITMAP mask = CreateBitmap(3, 1, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    BitBlt(mdc, 0, 0, 3, 1, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(mdc, 0, 0), kWhite) << "background-coloured pixels become white";
    EXPECT_EQ(GetPixel(mdc, 1, 0), kBlack) << "every other colour becomes black, even a light one";
    uint8_t out[2] = {};
    EXPECT_EQ(GetBitmapBits(mask, 2, out), 2);
    SelectObject(mdc, old);
    EXPECT_EQ(out[0], 0xA0);
    DeleteDC(mdc);
    DeleteObject(mask);
}

TEST(GdiBlit, MaskBltPicksForegroundOrBackgroundRopByMask) {
    GdiTestCanvas src(4, 1, RGB(9, 9, 9));
    GdiTestCanvas dst(4, 1, RGB(1, 1, 1));
    const uint8_t bits[] = {0x50, 0x00}; // 0101: pixels 1 and 3 set
    HBITMAP mask = CreateBitmap(4, 1, 1, 1, bits);
    EXPECT_TRUE(
        MaskBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
    EXPECT_EQ(dst.At(0, 0), RGB(1, 1, 1)) << "clear mask bits keep the destination";
    EXPECT_EQ(dst.At(1, 0), RGB(9, 9, 9)) << "set mask bits copy the source";
    EXPECT_EQ(dst.At(3, 0), RGB(9, 9, 9));
    DeleteObject(mask);
}

TEST(GdiBlit, TransparentBltSkipsTheKeyColour) {
    GdiTestCanvas src(2, 2, RGB(255, 0, 255));
    SetPixel(src.dc(), 1, 1, RGB(1, 2, 3));
    GdiTestCanvas dst(4, 4, RGB(7, 7, 7));
    EXPECT_TRUE(TransparentBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, RGB(255, 0, 255)));
    EXPECT_EQ(dst.At(0, 0), RGB(7, 7, 7));
    EXPECT_EQ(dst.At(2, 2), RGB(1, 2, 3));
    EXPECT_EQ(dst.At(3, 3), RGB(1, 2, 3));
    EXPECT_EQ(dst.Count(RGB(1, 2, 3)), 4);
}

TEST(GdiBlit, StretchBltScalesAndMirrors) {
    GdiTestCanvas src(2, 1);
    SetPixel(src.dc(), 0, 0, RGB(255, 0, 0));
    SetPixel(src.dc(), 1, 0, RGB(0, 0, 255));
    GdiTestCanvas dst(4, 2);
    StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.Map({0, 0, 4, 2}, RGB(255, 0, 0)), "##..\n##..\n");
    // A negative destination width mirrors.
    StretchBlt(dst.dc(), 3, 0, -4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.Map({0, 0, 4, 1}, RGB(0, 0, 255)), "##..\n");

    // A vertical flip, as thumbnails are drawn upside down from bottom-up data.
    GdiTestCanvas col(1, 2);
    SetPixel(col.dc(), 0, 0, RGB(1, 1, 1));
    SetPixel(col.dc(), 0, 1, RGB(2, 2, 2));
    GdiTestCanvas flip(1, 2);
    StretchBlt(flip.dc(), 0, 1, 1, -2, col.dc(), 0, 0, 1, 2, SRCCOPY);
    EXPECT_EQ(flip.At(0, 0), RGB(2, 2, 2));
    EXPECT_EQ(flip.At(0, 1), RGB(1, 1, 1));
}

TEST(GdiBlit, HalftoneAveragesWhenShrinkingColorOnColorSamples) {
    GdiTestCanvas src(2, 2, kBlack);
    SetPixel(src.dc(), 0, 0, kWhite);
    SetPixel(src.dc(), 1, 1, kWhite);
    GdiTestCanvas dst(1, 1);
    EXPECT_EQ(SetStretchBltMode(dst.dc(), HALFTONE), BLACKONWHITE);
    StretchBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(128, 128, 128));
    SetStretchBltMode(dst.dc(), COLORONCOLOR);
    StretchBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 2, 2, SRCCOPY);
    COLORREF sampled = dst.At(0, 0);
    EXPECT_TRUE(sampled == kWhite || sampled == kBlack);
}

TEST(GdiBlit, OverlappingCopyWithinOneBitmapScrolls) {
    GdiTestCanvas c(1, 5);
    for (int y = 0; y < 5; ++y)
        SetPixel(c.dc(), 0, y, RGB(y, y, y));
    BitBlt(c.dc(), 0, 1, 1, 4, c.dc(), 0, 0, SRCCOPY);
    for (int y = 1; y < 5; ++y)
        EXPECT_EQ(c.At(0, y), RGB(y - 1, y - 1, y - 1)) << y;
}

TEST(GdiBlit, BlitIsClippedAndOffsetByTheOrigins) {
    GdiTestCanvas src(4, 4, RGB(5, 5, 5));
    GdiTestCanvas dst(6, 6);
    SetViewportOrgEx(dst.dc(), 1, 1, nullptr);
    IntersectClipRect(dst.dc(), 0, 0, 2, 6);
    BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Map({0, 0, 6, 6}, RGB(5, 5, 5)), "......\n"
                                                   ".##...\n"
                                                   ".##...\n"
                                                   ".##...\n"
                                                   ".##...\n"
                                                   "......\n");
}

TEST(GdiBlit, AlphaBlendWithConstantAndPerPixelAlpha) {
    GdiTestCanvas dst(2, 1, RGB(0, 0, 0));
    GdiTestCanvas src(2, 1);
    // Premultiplied: pixel 0 is red at alpha 128, pixel 1 fully transparent.
    src.bits()[0] = 0x80800000;
    src.bits()[1] = 0x00000000;
    BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, perPixel));
    EXPECT_EQ(dst.At(0, 0), RGB(128, 0, 0));
    EXPECT_EQ(dst.At(1, 0), RGB(0, 0, 0));

    GdiTestCanvas white(1, 1, RGB(255, 255, 255));
    dst.bits()[1] = 0x00C8C8C8; // 200, 200, 200 under a transparent pixel
    src.bits()[1] = 0x80000000; // black at alpha 128, premultiplied
    AlphaBlend(dst.dc(), 1, 0, 1, 1, src.dc(), 1, 0, 1, 1, perPixel);
    EXPECT_EQ(dst.At(1, 0), RGB(100, 100, 100));

    GdiTestCanvas base(1, 1, RGB(0, 0, 0));
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    AlphaBlend(base.dc(), 0, 0, 1, 1, white.dc(), 0, 0, 1, 1, half);
    EXPECT_EQ(base.At(0, 0), RGB(128, 128, 128));

    EXPECT_FALSE(AlphaBlend(base.dc(), 0, 0, 1, 1, white.dc(), 0, 0, 2, 2, half))
        << "the source rectangle must lie inside the source";
}

TEST(GdiDib, BitsAreSharedWithTheDCTopDownAndBottomUp) {
    for (bool bottomUp : {false, true}) {
        GdiTestCanvas c(3, 2, RGB(255, 255, 255), bottomUp);
        SetPixel(c.dc(), 0, 0, RGB(1, 2, 3)); // top-left
        size_t topLeft = bottomUp ? 3 : 0;    // bottom-up DIBs store the bottom row first
        EXPECT_EQ(c.bits()[topLeft], 0x00010203u) << bottomUp;
        c.bits()[bottomUp ? 0 : 3] = 0x00AABBCC; // bottom-left, written directly
        EXPECT_EQ(GetPixel(c.dc(), 0, 1), RGB(0xAA, 0xBB, 0xCC)) << bottomUp;
    }
}

TEST(GdiDib, TwentyFourBitSectionsShareTheirPaddedRows) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    SetPixel(dc, 2, 1, RGB(0x11, 0x22, 0x33));
    auto* b = static_cast<uint8_t*>(bits);
    // Row stride is 12 bytes (9 padded to 4); pixel 2 of row 1 starts at 12 + 6.
    EXPECT_EQ(b[18], 0x33);
    EXPECT_EQ(b[19], 0x22);
    EXPECT_EQ(b[20], 0x11);
    b[0] = 0x44;
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0x44));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
}

TEST(GdiDib, GetDIBitsAndSetDIBitsRoundTrip) {
    GdiTestCanvas c(2, 2);
    SetPixel(c.dc(), 0, 0, RGB(1, 2, 3));
    SetPixel(c.dc(), 1, 1, RGB(4, 5, 6));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_NE(GetDIBits(c.dc(), c.bitmap(), 0, 2, nullptr, &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(info.bmiHeader.biWidth, 2);
    EXPECT_EQ(info.bmiHeader.biHeight, 2);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    // Bottom-up request: the first scan line is the bottom row.
    uint32_t px[4] = {};
    EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 2, px, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0x040506u);
    EXPECT_EQ(px[2] & 0xFFFFFF, 0x010203u);

    HBITMAP other = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_EQ(SetDIBits(c.dc(), other, 0, 2, px, &info, DIB_RGB_COLORS), 2);
    HDC odc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(odc, other);
    EXPECT_EQ(GetPixel(odc, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(odc, 1, 1), RGB(4, 5, 6));
    SelectObject(odc, old);
    DeleteDC(odc);
    DeleteObject(other);
}

TEST(GdiDib, StretchDIBitsAndSetDIBitsToDeviceDrawPackedBits) {
    // A bottom-up 2x2 DIB: the first row in memory is the bottom row.
    uint32_t bits[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GdiTestCanvas c(4, 4, RGB(0, 0, 0));
    EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 2, 2, bits, &info, DIB_RGB_COLORS, SRCCOPY),
              2);
    EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255)) << "top-left comes from the last row in memory";
    EXPECT_EQ(c.At(3, 3), RGB(0, 255, 0));
    EXPECT_EQ(c.At(0, 3), RGB(255, 0, 0));
    GdiTestCanvas d(2, 2, RGB(0, 0, 0));
    EXPECT_EQ(SetDIBitsToDevice(d.dc(), 0, 0, 2, 2, 0, 0, 0, 2, bits, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(d.At(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(d.At(0, 1), RGB(255, 0, 0));
}

TEST(GdiBrush, MonochromePatternBrushUsesTextAndBackgroundFromItsOrigin) {
    // 8x8 pattern: a vertical line in column 0 (clear bits), the rest set.
    uint8_t rows[16];
    for (int i = 0; i < 8; ++i) {
        rows[2 * i] = 0x7F;
        rows[2 * i + 1] = 0;
    }
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(pattern);
    DeleteObject(pattern); // the brush keeps its own copy
    GdiTestCanvas c(10, 1);
    SetTextColor(c.dc(), RGB(255, 0, 0));
    SetBkColor(c.dc(), RGB(0, 0, 255));
    RECT r{0, 0, 10, 1};
    FillRect(c.dc(), &r, brush);
    EXPECT_EQ(c.Map(r, RGB(255, 0, 0)), "#.......#.\n");
    EXPECT_EQ(c.At(1, 0), RGB(0, 0, 255));
    SetBrushOrgEx(c.dc(), 3, 0, nullptr);
    FillRect(c.dc(), &r, brush);
    EXPECT_EQ(c.Map(r, RGB(255, 0, 0)), "...#......\n");
    DeleteObject(brush);
}

TEST(GdiBrush, HatchBrushLeavesTheBackgroundInTransparentMode) {
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
    GdiTestCanvas c(8, 8, RGB(0, 255, 0));
    SetBkColor(c.dc(), RGB(0, 0, 255));
    RECT r{0, 0, 8, 8};
    FillRect(c.dc(), &r, hatch);
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), 8);
    EXPECT_EQ(c.Count(RGB(0, 0, 255)), 56);
    c.Fill(RGB(0, 255, 0));
    SetBkMode(c.dc(), TRANSPARENT);
    FillRect(c.dc(), &r, hatch);
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), 8);
    EXPECT_EQ(c.Count(RGB(0, 255, 0)), 56);
    DeleteObject(hatch);
}

TEST(GdiBlit, SourcePixelsOutsideTheSourceBitmapAreNotCopied) {
    GdiTestCanvas src(2, 2, RGB(3, 3, 3));
    GdiTestCanvas dst(4, 4, RGB(7, 7, 7));
    BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), -1, 0, SRCCOPY);
    EXPECT_EQ(dst.Map({0, 0, 4, 4}, RGB(3, 3, 3)), ".##.\n"
                                                   ".##.\n"
                                                   "....\n"
                                                   "....\n");
    EXPECT_EQ(dst.Count(RGB(7, 7, 7)), 12);
}
