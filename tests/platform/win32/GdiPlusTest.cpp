// GDI+ on the layer's surfaces: paths of lines and curves filled and
// outlined, gradients along their axis with tiling, clipping and origins of
// the DC honoured, smoothing switched on and off.
#include "GdiTestCanvas.h"

#include <win32/gdiplus.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

int Red(COLORREF c) { return GetRValue(c); }

TEST(GdiPlus, AnAliasedSquareFillsExactlyItsPixels) {
    GdiTestCanvas canvas(8, 8);
    TGPGraphics g(canvas.dc());
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    TGPGraphicsPath path;
    // Pixel centres lie on whole numbers: the square -0.5..3.5 covers pixels 0..3 wholly.
    path.AddLine(1.5f, 1.5f, 5.5f, 1.5f);
    path.AddLine(5.5f, 5.5f, 1.5f, 5.5f);
    TGPSolidBrush brush(MakeColor(255, 0, 0, 255));
    ASSERT_EQ(g.FillPath(&brush, &path), Gdiplus::Ok);
    EXPECT_EQ(canvas.Map({0, 0, 8, 8}, RGB(0, 0, 255)),
              "........\n"
              "........\n"
              "..####..\n"
              "..####..\n"
              "..####..\n"
              "..####..\n"
              "........\n"
              "........\n");
}

TEST(GdiPlus, AOnePixelOutlineOnWholeCoordinatesIsCrispEvenWhenSmoothed) {
    GdiTestCanvas canvas(10, 6);
    TGPGraphics g(canvas.dc());
    TGPPen pen(MakeColor(255, 0, 0, 0));
    ASSERT_EQ(g.DrawLine(&pen, 1, 2, 8, 2), Gdiplus::Ok);
    for (int x = 2; x < 8; ++x) {
        EXPECT_EQ(canvas.At(x, 2), RGB(0, 0, 0)) << x;
        EXPECT_EQ(canvas.At(x, 1), kWhite) << x;
        EXPECT_EQ(canvas.At(x, 3), kWhite) << x;
    }
}

TEST(GdiPlus, SmoothedDiagonalEdgesBlend) {
    GdiTestCanvas canvas(20, 20);
    TGPGraphics g(canvas.dc());
    TGPGraphicsPath path;
    TGPPoint tri[] = {{0, 0}, {19, 0}, {0, 19}};
    path.AddLines(tri, 3);
    TGPSolidBrush black(MakeColor(255, 0, 0, 0));
    g.FillPath(&black, &path);
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(17, 17), kWhite);
    int grey = 0;
    for (int x = 0; x < 20; ++x) {
        int r = Red(canvas.At(x, 19 - x));
        if (r > 0 && r < 255) ++grey;
    }
    EXPECT_GT(grey, 10) << "the hypotenuse is anti-aliased";
}

TEST(GdiPlus, LinearGradientRunsAlongItsAxisAndTiles) {
    GdiTestCanvas canvas(4, 40);
    TGPGraphics g(canvas.dc());
    TGPLinearGradientBrush brush(TGPPoint{0, 10}, TGPPoint{0, 30}, MakeColor(255, 0, 0, 0),
                                 MakeColor(255, 200, 200, 200));
    EXPECT_EQ(brush.GetWrapMode(), Gdiplus::WrapModeTile);
    g.FillRectangle(&brush, -0.5f, -0.5f, 4, 40);
    struct Row {
        int y;
        int low, high; // red component expected within
    } rows[] = {
        {10, 0, 12},    // the start colour at the first point
        {20, 90, 110},  // halfway
        {29, 185, 200}, // near the end colour
        {31, 0, 25},    // tiled: the ramp starts again after the second point
        {9, 185, 200},  // and the copy before the first point ends just above it
    };
    for (const Row& r : rows) {
        int red = Red(canvas.At(1, r.y));
        EXPECT_GE(red, r.low) << r.y;
        EXPECT_LE(red, r.high) << r.y;
        EXPECT_EQ(canvas.At(1, r.y), canvas.At(3, r.y)) << "constant across the axis";
    }
}

TEST(GdiPlus, CardinalCurvePassesThroughItsPoints) {
    TGPGraphicsPath path;
    TGPPoint pts[] = {{0, 10}, {10, 0}, {20, 10}};
    ASSERT_EQ(path.AddCurve(pts, 3), Gdiplus::Ok);
    ASSERT_EQ(path.Figures().size(), 1u);
    const auto& f = path.Figures()[0];
    ASSERT_EQ(f.Pieces.size(), 6u); // two Bézier pieces
    EXPECT_FLOAT_EQ(f.Pieces[2].X, 10);
    EXPECT_FLOAT_EQ(f.Pieces[2].Y, 0);
    // Tension 0.5: the curve leaves the middle point along the chord of its neighbours.
    EXPECT_FLOAT_EQ(f.Pieces[3].X, 10 + 0.5f / 3 * 20);
    EXPECT_FLOAT_EQ(f.Pieces[3].Y, 0);
    // A later segment joins the figure with a line from the curve's end.
    path.AddLine(30, 10, 30, 20);
    EXPECT_EQ(path.Figures().size(), 1u);
    EXPECT_EQ(path.GetPointCount(), 1 + 6 + 3 + 3);
    path.Reset();
    EXPECT_EQ(path.GetPointCount(), 0);
    EXPECT_EQ(path.AddCurve(pts, 1), Gdiplus::InvalidParameter);
}

TEST(GdiPlus, DrawingHonoursTheClipAndTheOrigin) {
    GdiTestCanvas canvas(10, 10);
    HRGN clip = CreateRectRgn(0, 0, 5, 10);
    SelectClipRgn(canvas.dc(), clip);
    DeleteObject(clip);
    SetViewportOrgEx(canvas.dc(), 2, 0, nullptr);
    TGPGraphics g(canvas.dc());
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    TGPSolidBrush red(MakeColor(255, 255, 0, 0));
    g.FillRectangle(&red, -0.5f, -0.5f, 8, 1);
    EXPECT_EQ(canvas.Map({0, 0, 10, 1}, RGB(255, 0, 0)), "..###.....\n");
    EXPECT_EQ(g.FillPath(&red, nullptr), Gdiplus::InvalidParameter);
    EXPECT_EQ(g.GetLastStatus(), Gdiplus::InvalidParameter);
}

} // namespace
