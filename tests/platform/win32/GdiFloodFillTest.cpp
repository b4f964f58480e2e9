// Flood fills: border and surface fills stop where they should, stay inside
// the clip and fail where there is nothing to fill.
#include "GdiTestCanvas.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A 7x7 canvas with a red ring (a 5x5 frame) around its centre.
void DrawRing(GdiTestCanvas& c) {
    HBRUSH red = CreateSolidBrush(kRed);
    RECT ring{1, 1, 6, 6};
    FrameRect(c.dc(), &ring, red);
    DeleteObject(red);
}

TEST(GdiFloodFill, FillsTheConnectedAreaOnly) {
    struct Case {
        const char* name;
        int x, y;
        UINT type;
        COLORREF color;
        const char* map; // '#' where blue afterwards
    } cases[] = {
        {"border inside the ring", 3, 3, FLOODFILLBORDER, kRed,
         ".......\n"
         ".......\n"
         "..###..\n"
         "..###..\n"
         "..###..\n"
         ".......\n"
         ".......\n"},
        {"border outside the ring", 0, 0, FLOODFILLBORDER, kRed,
         "#######\n"
         "#.....#\n"
         "#.....#\n"
         "#.....#\n"
         "#.....#\n"
         "#.....#\n"
         "#######\n"},
        {"surface of the ring", 1, 1, FLOODFILLSURFACE, kRed,
         ".......\n"
         ".#####.\n"
         ".#...#.\n"
         ".#...#.\n"
         ".#...#.\n"
         ".#####.\n"
         ".......\n"},
    };
    for (const Case& c : cases) {
        GdiTestCanvas canvas(7, 7);
        DrawRing(canvas);
        HBRUSH blue = CreateSolidBrush(kBlue);
        HGDIOBJ old = SelectObject(canvas.dc(), blue);
        EXPECT_TRUE(ExtFloodFill(canvas.dc(), c.x, c.y, c.color, c.type)) << c.name;
        SelectObject(canvas.dc(), old);
        DeleteObject(blue);
        EXPECT_EQ(canvas.Map({0, 0, 7, 7}, kBlue), c.map) << c.name;
    }
}

TEST(GdiFloodFill, FailsWhereThereIsNothingToFill) {
    GdiTestCanvas canvas(7, 7);
    DrawRing(canvas);
    HBRUSH blue = CreateSolidBrush(kBlue);
    HGDIOBJ old = SelectObject(canvas.dc(), blue);
    EXPECT_FALSE(FloodFill(canvas.dc(), 1, 1, kRed)) << "start on the border colour";
    EXPECT_FALSE(ExtFloodFill(canvas.dc(), 3, 3, kRed, FLOODFILLSURFACE)) << "start off the surface";
    EXPECT_FALSE(FloodFill(canvas.dc(), 40, 40, kRed)) << "start outside the bitmap";
    EXPECT_FALSE(ExtFloodFill(canvas.dc(), 3, 3, kRed, 7)) << "unknown fill type";
    EXPECT_EQ(canvas.Map({0, 0, 7, 7}, kBlue).find('#'), std::string::npos);
    SelectObject(canvas.dc(), old);
    DeleteObject(blue);
}

TEST(GdiFloodFill, StaysInsideTheClipAndFillsWithABrushOfTheSearchedColour) {
    GdiTestCanvas canvas(7, 7);
    HRGN clip = CreateRectRgn(0, 0, 4, 7);
    SelectClipRgn(canvas.dc(), clip);
    DeleteObject(clip);
    // A white brush on a white surface fill must end, not loop.
    HBRUSH white = CreateSolidBrush(kWhite);
    HGDIOBJ old = SelectObject(canvas.dc(), white);
    EXPECT_TRUE(ExtFloodFill(canvas.dc(), 0, 0, kWhite, FLOODFILLSURFACE));
    HBRUSH blue = CreateSolidBrush(kBlue);
    SelectObject(canvas.dc(), blue);
    EXPECT_TRUE(ExtFloodFill(canvas.dc(), 0, 0, kWhite, FLOODFILLSURFACE));
    SelectObject(canvas.dc(), old);
    DeleteObject(white);
    DeleteObject(blue);
    EXPECT_EQ(canvas.Map({0, 0, 7, 1}, kBlue), "####...\n");
}

} // namespace
