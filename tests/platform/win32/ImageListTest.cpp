// Image lists: adding strips of images with masks, and drawing them back.
#include "GdiTestCanvas.h"

#include <win32/commctrl.h>

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kMagenta = RGB(255, 0, 255); // the transparent colour of the strip
const COLORREF kWhite = RGB(255, 255, 255);

// Two 4x4 images side by side: a red square with a transparent centre, and a
// blue dot in the top-left corner on transparency.
void PaintStrip(GdiTestCanvas& strip) {
    strip.Fill(kMagenta);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            if (x == 0 || y == 0 || x == 3 || y == 3) SetPixelV(strip.dc(), x, y, kRed);
    SetPixelV(strip.dc(), 4, 0, kBlue);
}

} // namespace

TEST(ImageListTest, AddMaskedAndDrawWithOverlay) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 2, 2);
    ASSERT_NE(list, nullptr);
    GdiTestCanvas strip(8, 4);
    PaintStrip(strip);
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), kMagenta), 0);
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), kMagenta), 2); // indexes go on
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 4);
    EXPECT_EQ(cy, 4);

    GdiTestCanvas canvas(6, 6, kWhite);
    ASSERT_TRUE(ImageList_Draw(list, 0, canvas.dc(), 1, 1, ILD_TRANSPARENT));
    EXPECT_EQ(canvas.Map({0, 0, 6, 6}, kRed), "......\n"
                                              ".####.\n"
                                              ".#..#.\n"
                                              ".#..#.\n"
                                              ".####.\n"
                                              "......\n");
    EXPECT_EQ(canvas.At(2, 2), kWhite); // the transparent centre kept the background

    // Image 1 as overlay 1 on top of image 0.
    ASSERT_TRUE(ImageList_SetOverlayImage(list, 1, 1));
    canvas.Fill(kWhite);
    ASSERT_TRUE(ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL | INDEXTOOVERLAYMASK(1)));
    EXPECT_EQ(canvas.At(0, 0), kBlue);
    EXPECT_EQ(canvas.At(1, 0), kRed);

    // A background colour fills the transparent pixels unless drawn transparent.
    ImageList_SetBkColor(list, RGB(0, 255, 0));
    canvas.Fill(kWhite);
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(canvas.At(1, 1), RGB(0, 255, 0));
    canvas.Fill(kWhite);
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(1, 1), kWhite);

    // Selected images are blended with the highlight colour.
    canvas.Fill(kWhite);
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT | ILD_SELECTED);
    EXPECT_NE(canvas.At(0, 0), kRed);

    EXPECT_FALSE(ImageList_Draw(list, 9, canvas.dc(), 0, 0, ILD_NORMAL));
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list)); // stale handles are refused
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
}

TEST(ImageListTest, AddWithMaskBitmap) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1);
    GdiTestCanvas image(4, 4, kBlue);
    GdiTestCanvas mask(4, 4, RGB(0, 0, 0));
    SetPixelV(mask.dc(), 2, 2, kWhite); // set mask bits are transparent
    EXPECT_EQ(ImageList_Add(list, image.bitmap(), mask.bitmap()), 0);
    GdiTestCanvas canvas(4, 4, kWhite);
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(0, 0), kBlue);
    EXPECT_EQ(canvas.At(2, 2), kWhite);
    EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1);
    ImageList_Destroy(list);
}
