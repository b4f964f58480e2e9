// Pixels, lines, rectangles and other shapes, pixel-exact where GDI is exact.
#include "GdiTestCanvas.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

class GdiDraw : public ::testing::Test {
protected:
    GdiTestCanvas canvas{12, 10};
    HDC dc = canvas.dc();
    void UsePen(int style, int width, COLORREF c) {
        HGDIOBJ old = SelectObject(dc, CreatePen(style, width, c));
        if (old != GetStockObject(BLACK_PEN)) DeleteObject(old);
    }
    void UseBrush(COLORREF c) {
        HGDIOBJ old = SelectObject(dc, CreateSolidBrush(c));
        if (old != GetStockObject(WHITE_BRUSH)) DeleteObject(old);
    }
    void TearDown() override {
        DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN)));
        DeleteObject(SelectObject(dc, GetStockObject(WHITE_BRUSH)));
    }
};

} // namespace

TEST_F(GdiDraw, PixelsSetAndGet) {
    EXPECT_EQ(SetPixel(dc, 3, 4, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 3, 4), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(3, 4), RGB(1, 2, 3));
    EXPECT_TRUE(SetPixelV(dc, 0, 0, kRed));
    EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
    EXPECT_EQ(GetPixel(dc, 12, 0), CLR_INVALID) << "outside the surface";
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc, 0, 10, kRed), CLR_INVALID);
    IntersectClipRect(dc, 0, 0, 2, 2);
    EXPECT_EQ(GetPixel(dc, 3, 4), CLR_INVALID) << "outside the clip";
    EXPECT_EQ(SetPixel(dc, 3, 4, kRed), CLR_INVALID);
    EXPECT_EQ(canvas.At(3, 4), RGB(1, 2, 3));
}

TEST_F(GdiDraw, LineToExcludesItsLastPixelAndMovesThePosition) {
    UsePen(PS_SOLID, 1, kRed);
    POINT old{};
    MoveToEx(dc, 1, 1, &old);
    EXPECT_EQ(old.x, 0);
    LineTo(dc, 5, 1);
    LineTo(dc, 5, 4);
    POINT cp{};
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp.x, 5);
    EXPECT_EQ(cp.y, 4);
    EXPECT_EQ(canvas.Map({0, 0, 7, 5}, kRed), ".......\n"
                                              ".#####.\n"
                                              ".....#.\n"
                                              ".....#.\n"
                                              ".......\n");
}

TEST_F(GdiDraw, DiagonalLinesAndPolylines) {
    UsePen(PS_SOLID, 1, kRed);
    POINT pts[] = {{0, 0}, {4, 4}, {8, 0}};
    Polyline(dc, pts, 3);
    EXPECT_EQ(canvas.Map({0, 0, 9, 5}, kRed), "#........\n"
                                              ".#.....#.\n"
                                              "..#...#..\n"
                                              "...#.#...\n"
                                              "....#....\n");
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(4, 4), kRed);
    EXPECT_EQ(canvas.At(7, 1), kRed);
    EXPECT_EQ(canvas.At(8, 0), kWhite) << "the polyline's last point is not drawn";
    EXPECT_EQ(canvas.Count(kRed), 8);
}

TEST_F(GdiDraw, RectangleFramesWithThePenAndFillsWithTheBrushRightBottomExclusive) {
    UsePen(PS_SOLID, 1, kRed);
    UseBrush(kBlue);
    Rectangle(dc, 1, 1, 6, 5);
    EXPECT_EQ(canvas.Map({0, 0, 7, 6}, kRed), ".......\n"
                                              ".#####.\n"
                                              ".#...#.\n"
                                              ".#...#.\n"
                                              ".#####.\n"
                                              ".......\n");
    EXPECT_EQ(canvas.Map({0, 0, 7, 6}, kBlue), ".......\n"
                                               ".......\n"
                                               "..###..\n"
                                               "..###..\n"
                                               ".......\n"
                                               ".......\n");
}

TEST_F(GdiDraw, RectangleWithNullPenFillsOnePixelShort) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    UseBrush(kBlue);
    Rectangle(dc, 1, 1, 5, 4);
    EXPECT_EQ(canvas.Map({0, 0, 6, 5}, kBlue), "......\n"
                                               ".###..\n"
                                               ".###..\n"
                                               "......\n"
                                               "......\n");
}

TEST_F(GdiDraw, NullBrushLeavesTheInside) {
    UsePen(PS_SOLID, 1, kRed);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    canvas.Fill(kBlue);
    Rectangle(dc, 0, 0, 4, 4);
    EXPECT_EQ(canvas.At(1, 1), kBlue);
    EXPECT_EQ(canvas.At(0, 0), kRed);
}

TEST_F(GdiDraw, InsideFramePenStaysInsideTheBox) {
    UsePen(PS_INSIDEFRAME, 3, kRed);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 2, 2, 10, 9);
    RECT box = canvas.InkBox(kWhite);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 9);
    EXPECT_EQ(canvas.At(4, 4), kRed);
    EXPECT_EQ(canvas.At(5, 5), kWhite);
}

TEST_F(GdiDraw, EllipseIsSymmetricInsideItsBox) {
    UsePen(PS_SOLID, 1, kRed);
    UseBrush(kBlue);
    Ellipse(dc, 1, 1, 11, 9);
    RECT box = canvas.InkBox(kWhite);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 11);
    EXPECT_EQ(box.bottom, 9);
    for (int y = 1; y < 9; ++y)
        for (int x = 1; x < 11; ++x) {
            EXPECT_EQ(canvas.At(x, y), canvas.At(11 - x, y)) << x << "," << y;
            EXPECT_EQ(canvas.At(x, y), canvas.At(x, 9 - y)) << x << "," << y;
        }
    EXPECT_EQ(canvas.At(1, 1), kWhite) << "corners stay outside";
    EXPECT_EQ(canvas.At(6, 5), kBlue);
    EXPECT_EQ(canvas.At(1, 5), kRed);
}

TEST_F(GdiDraw, RoundRectRoundsOnlyItsCorners) {
    UsePen(PS_SOLID, 1, kRed);
    UseBrush(kBlue);
    RoundRect(dc, 0, 0, 12, 10, 6, 6);
    EXPECT_EQ(canvas.At(0, 0), kWhite);
    EXPECT_EQ(canvas.At(11, 9), kWhite);
    EXPECT_EQ(canvas.At(6, 0), kRed);
    EXPECT_EQ(canvas.At(0, 5), kRed);
    EXPECT_EQ(canvas.At(11, 5), kRed);
    EXPECT_EQ(canvas.At(6, 9), kRed);
    EXPECT_EQ(canvas.At(6, 5), kBlue);
}

TEST_F(GdiDraw, PolygonFillsAndOutlinesWithEitherRule) {
    UsePen(PS_SOLID, 1, kRed);
    UseBrush(kBlue);
    POINT square[] = {{1, 1}, {8, 1}, {8, 8}, {1, 8}};
    Polygon(dc, square, 4);
    EXPECT_EQ(canvas.At(8, 8), kRed) << "a polygon's outline closes through every vertex";
    EXPECT_EQ(canvas.At(4, 4), kBlue);
    EXPECT_EQ(canvas.At(9, 4), kWhite);

    // Two nested squares, same direction: the hole is filled only with WINDING.
    canvas.Fill(kWhite);
    SelectObject(dc, GetStockObject(NULL_PEN));
    POINT nested[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {3, 3}, {7, 3}, {7, 7}, {3, 7}};
    INT counts[] = {4, 4};
    EXPECT_EQ(SetPolyFillMode(dc, ALTERNATE), ALTERNATE);
    PolyPolygon(dc, nested, counts, 2);
    EXPECT_EQ(canvas.At(5, 5), kWhite);
    EXPECT_EQ(canvas.At(1, 1), kBlue);
    SetPolyFillMode(dc, WINDING);
    PolyPolygon(dc, nested, counts, 2);
    EXPECT_EQ(canvas.At(5, 5), kBlue);
    EXPECT_FALSE(Polygon(dc, square, 1));
}

TEST_F(GdiDraw, StyledPensPaintGapsOnlyInOpaqueMode) {
    UsePen(PS_DOT, 1, kRed);
    SetBkColor(dc, kBlue);
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, 0, 1, nullptr);
    LineTo(dc, 12, 1);
    EXPECT_EQ(canvas.Map({0, 1, 12, 2}, kRed), "###...###...\n");
    EXPECT_EQ(canvas.At(4, 1), kWhite);
    SetBkMode(dc, OPAQUE);
    MoveToEx(dc, 0, 2, nullptr);
    LineTo(dc, 12, 2);
    EXPECT_EQ(canvas.Map({0, 2, 12, 3}, kBlue), "...###...###\n");
}

TEST_F(GdiDraw, WidePensAreSolidAndCentredOnTheLine) {
    UsePen(PS_DASH, 3, kRed);
    MoveToEx(dc, 2, 5, nullptr);
    LineTo(dc, 10, 5);
    for (int x = 3; x < 9; ++x) {
        EXPECT_EQ(canvas.At(x, 4), kRed) << x;
        EXPECT_EQ(canvas.At(x, 5), kRed) << x;
        EXPECT_EQ(canvas.At(x, 6), kRed) << x;
        EXPECT_EQ(canvas.At(x, 3), kWhite) << x;
        EXPECT_EQ(canvas.At(x, 7), kWhite) << x;
    }
}

// Every case mixes pen 0x333333 into destination RGB(0x0F, 0xF0, 0x55).
struct Rop2Case {
    const char* name;
    int mode;
    COLORREF expected;
};

void PrintTo(const Rop2Case& c, std::ostream* os) {
    *os << c.name;
}

class GdiRop2 : public ::testing::TestWithParam<Rop2Case> {};

TEST_P(GdiRop2, MixesThePenWithTheDestination) {
    const Rop2Case& c = GetParam();
    const COLORREF dest = RGB(0x0F, 0xF0, 0x55);
    GdiTestCanvas canvas(4, 4, dest);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x33, 0x33, 0x33));
    HGDIOBJ old = SelectObject(canvas.dc(), pen);
    EXPECT_EQ(SetROP2(canvas.dc(), c.mode), R2_COPYPEN);
    EXPECT_EQ(GetROP2(canvas.dc()), c.mode);
    MoveToEx(canvas.dc(), 0, 1, nullptr);
    LineTo(canvas.dc(), 4, 1);
    EXPECT_EQ(canvas.At(2, 1), c.expected);
    EXPECT_EQ(canvas.At(2, 2), dest);
    SelectObject(canvas.dc(), old);
    DeleteObject(pen);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, GdiRop2,
    ::testing::Values(Rop2Case{"R2_COPYPEN", R2_COPYPEN, RGB(0x33, 0x33, 0x33)},
                      Rop2Case{"R2_NOT", R2_NOT, RGB(0xF0, 0x0F, 0xAA)},
                      Rop2Case{"R2_XORPEN", R2_XORPEN, RGB(0x3C, 0xC3, 0x66)},
                      Rop2Case{"R2_NOTXORPEN", R2_NOTXORPEN, RGB(0xC3, 0x3C, 0x99)},
                      Rop2Case{"R2_MASKPEN", R2_MASKPEN, RGB(0x03, 0x30, 0x11)},
                      Rop2Case{"R2_MERGEPEN", R2_MERGEPEN, RGB(0x3F, 0xF3, 0x77)},
                      Rop2Case{"R2_NOTCOPYPEN", R2_NOTCOPYPEN, RGB(0xCC, 0xCC, 0xCC)},
                      Rop2Case{"R2_MASKPENNOT", R2_MASKPENNOT, RGB(0x30, 0x03, 0x22)},
                      Rop2Case{"R2_NOTMERGEPEN", R2_NOTMERGEPEN, RGB(0xC0, 0x0C, 0x88)},
                      Rop2Case{"R2_BLACK", R2_BLACK, RGB(0, 0, 0)},
                      Rop2Case{"R2_WHITE", R2_WHITE, RGB(255, 255, 255)},
                      Rop2Case{"R2_NOP", R2_NOP, RGB(0x0F, 0xF0, 0x55)}),
    [](const ::testing::TestParamInfo<Rop2Case>& info) { return std::string(info.param.name); });

TEST_F(GdiDraw, XorTwiceRestoresAndAppliesToBrushesToo) {
    canvas.Fill(RGB(10, 20, 30));
    UsePen(PS_SOLID, 1, RGB(255, 255, 255));
    UseBrush(RGB(255, 255, 255));
    SetROP2(dc, R2_XORPEN);
    Rectangle(dc, 1, 1, 8, 8);
    EXPECT_EQ(canvas.At(1, 1), RGB(245, 235, 225));
    EXPECT_EQ(canvas.At(4, 4), RGB(245, 235, 225));
    Rectangle(dc, 1, 1, 8, 8);
    EXPECT_EQ(canvas.Count(RGB(10, 20, 30)), 12 * 10);
    EXPECT_EQ(SetROP2(dc, 0), 0) << "out of range";
}

TEST_F(GdiDraw, PieCoversTheCounterClockwiseSector) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    UseBrush(kBlue);
    // From the right (angle 0) counter-clockwise to the top: the top-right quarter.
    Pie(dc, 0, 0, 11, 11, 11, 5, 5, 0);
    EXPECT_EQ(canvas.At(8, 2), kBlue);
    EXPECT_EQ(canvas.At(2, 2), kWhite);
    EXPECT_EQ(canvas.At(8, 8), kWhite);
    EXPECT_EQ(canvas.At(2, 8), kWhite);
}
