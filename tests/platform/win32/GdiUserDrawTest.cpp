// The user area's drawing: fills, frames, focus rectangles, edges, frame
// controls, system colours and metrics, rectangle helpers.
#include "GdiTestCanvas.h"

#include <gtest/gtest.h>

namespace {
const COLORREF kWhite = RGB(255, 255, 255);
}

TEST(GdiUserDraw, FillRectAcceptsSystemColourIndexBrushes) {
    GdiTestCanvas c(6, 6);
    RECT r{1, 1, 4, 3};
    EXPECT_TRUE(FillRect(c.dc(), &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(c.Count(GetSysColor(COLOR_BTNFACE)), 6);
    EXPECT_EQ(c.At(3, 2), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(c.At(4, 2), kWhite) << "right edge excluded";
    EXPECT_TRUE(FillRect(c.dc(), &r, GetSysColorBrush(COLOR_HIGHLIGHT)));
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_HIGHLIGHT));
    DeleteObject(GetSysColorBrush(COLOR_HIGHLIGHT)); // system brushes are never deleted
    EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_HIGHLIGHT)), static_cast<DWORD>(OBJ_BRUSH));
    // Fills ignore the mix mode.
    SetROP2(c.dc(), R2_XORPEN);
    FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.At(1, 1), RGB(0, 0, 0));
}

TEST(GdiUserDraw, FrameRectAndInvertRect) {
    GdiTestCanvas c(6, 5);
    RECT r{1, 1, 5, 4};
    FrameRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.Map({0, 0, 6, 5}, RGB(0, 0, 0)), "......\n"
                                                 ".####.\n"
                                                 ".#..#.\n"
                                                 ".####.\n"
                                                 "......\n");
    InvertRect(c.dc(), &r);
    EXPECT_EQ(c.At(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(c.At(1, 1), kWhite);
    InvertRect(c.dc(), &r);
    EXPECT_EQ(c.At(2, 2), kWhite);
}

TEST(GdiUserDraw, FocusRectIsDottedAndTogglesOff) {
    GdiTestCanvas c(8, 6, RGB(0, 0, 0));
    RECT r{1, 1, 7, 5};
    DrawFocusRect(c.dc(), &r);
    std::string top = c.Map({1, 1, 7, 2}, kWhite);
    EXPECT_EQ(top, "#.#.#.\n");
    EXPECT_EQ(c.At(3, 3), RGB(0, 0, 0)) << "the inside is untouched";
    DrawFocusRect(c.dc(), &r);
    EXPECT_EQ(c.Count(RGB(0, 0, 0)), 48);
}

TEST(GdiUserDraw, RaisedEdgeColoursItsSidesAndAdjusts) {
    GdiTestCanvas c(10, 10);
    RECT r{0, 0, 10, 10};
    EXPECT_TRUE(DrawEdge(c.dc(), &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(9, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(8, 8), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(9, 0), GetSysColor(COLOR_3DDKSHADOW))
        << "the bottom-right colour takes the far corners";
    EXPECT_EQ(c.At(0, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(5, 5), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(r.bottom, 8);
}

TEST(GdiUserDraw, EdgeKindsAndFlags) {
    struct Case {
        UINT edge;
        UINT flags;
        COLORREF outerTopLeft;
        COLORREF innerTopLeft;
        COLORREF outerBottomRight;
    } cases[] = {
        {EDGE_SUNKEN, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DDKSHADOW),
         GetSysColor(COLOR_BTNHIGHLIGHT)},
        {EDGE_ETCHED, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT),
         GetSysColor(COLOR_BTNHIGHLIGHT)},
        {EDGE_BUMP, BF_RECT, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW),
         GetSysColor(COLOR_3DDKSHADOW)},
        {EDGE_RAISED, BF_RECT | BF_SOFT, GetSysColor(COLOR_BTNHIGHLIGHT),
         GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW)},
        {EDGE_RAISED, BF_RECT | BF_FLAT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE),
         GetSysColor(COLOR_BTNSHADOW)},
        {EDGE_SUNKEN, BF_RECT | BF_MONO, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOW),
         GetSysColor(COLOR_WINDOWFRAME)},
    };
    for (const Case& k : cases) {
        GdiTestCanvas c(10, 10, RGB(1, 2, 3));
        RECT r{0, 0, 10, 10};
        DrawEdge(c.dc(), &r, k.edge, k.flags);
        EXPECT_EQ(c.At(0, 4), k.outerTopLeft) << k.edge << "/" << k.flags;
        EXPECT_EQ(c.At(1, 4), k.innerTopLeft) << k.edge << "/" << k.flags;
        EXPECT_EQ(c.At(9, 4), k.outerBottomRight) << k.edge << "/" << k.flags;
        EXPECT_EQ(c.At(4, 4), RGB(1, 2, 3)) << "no BF_MIDDLE: the inside stays";
    }
    // Only the sides asked for are drawn.
    GdiTestCanvas c(10, 10, RGB(1, 2, 3));
    RECT r{0, 0, 10, 10};
    DrawEdge(c.dc(), &r, BDR_RAISEDINNER, BF_BOTTOM | BF_ADJUST);
    EXPECT_EQ(c.At(4, 9), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(0, 4), RGB(1, 2, 3));
    EXPECT_EQ(r.bottom, 9);
    EXPECT_EQ(r.top, 0);
}

TEST(GdiUserDraw, FrameControlsShowTheirState) {
    auto draw = [](UINT type, UINT state) {
        GdiTestCanvas c(16, 16, RGB(1, 2, 3));
        RECT r{0, 0, 16, 16};
        EXPECT_TRUE(DrawFrameControl(c.dc(), &r, type, state));
        std::string map;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                map += std::to_string(c.At(x, y)) + ",";
        return map;
    };
    EXPECT_NE(draw(DFC_BUTTON, DFCS_BUTTONCHECK),
              draw(DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
    EXPECT_NE(draw(DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED),
              draw(DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE));
    EXPECT_NE(draw(DFC_BUTTON, DFCS_BUTTONCHECK), draw(DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT));
    EXPECT_NE(draw(DFC_BUTTON, DFCS_BUTTONRADIO),
              draw(DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED));
    EXPECT_NE(draw(DFC_BUTTON, DFCS_BUTTONPUSH), draw(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED));
    EXPECT_NE(draw(DFC_SCROLL, DFCS_SCROLLUP), draw(DFC_SCROLL, DFCS_SCROLLDOWN));
    EXPECT_NE(draw(DFC_SCROLL, DFCS_SCROLLCOMBOBOX),
              draw(DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE));
    EXPECT_NE(draw(DFC_CAPTION, DFCS_CAPTIONCLOSE), draw(DFC_CAPTION, DFCS_CAPTIONMAX));
    EXPECT_EQ(draw(DFC_SCROLL, DFCS_SCROLLCOMBOBOX), draw(DFC_SCROLL, DFCS_SCROLLDOWN));

    // A checked box has a dark mark on a white well.
    GdiTestCanvas c(13, 13);
    RECT r{0, 0, 13, 13};
    DrawFrameControl(c.dc(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(c.Count(GetSysColor(COLOR_BTNTEXT)), 15);
    EXPECT_GT(c.Count(GetSysColor(COLOR_WINDOW)), 20);
    RECT bad{0, 0, 13, 13};
    EXPECT_FALSE(DrawFrameControl(c.dc(), &bad, 99, 0));
}

TEST(GdiUserDraw, SystemColoursAndMetricsComeFromFixedTables) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), RGB(128, 128, 128));
    struct Metric {
        int index;
        int value;
    } metrics[] = {
        {SM_CXSCREEN, 1920},  {SM_CYSCREEN, 1080}, {SM_CXVSCROLL, 16}, {SM_CYHSCROLL, 16},
        {SM_CXDLGFRAME, 3},   {SM_CYDLGFRAME, 3},  {SM_CXEDGE, 2},     {SM_CYEDGE, 2},
        {SM_CXDRAG, 4},       {SM_CYDRAG, 4},      {SM_CXICON, 32},    {SM_CXSMICON, 16},
        {SM_CXBORDER, 1},     {SM_CXFRAME, 4},     {SM_SWAPBUTTON, 0}, {SM_CXDOUBLECLK, 4},
        {SM_CXMENUCHECK, 13}, {SM_CYCAPTION, 19},  {SM_CYMENU, 19},    {SM_CXICONSPACING, 75}};
    for (const Metric& m : metrics)
        EXPECT_EQ(GetSystemMetrics(m.index), m.value) << m.index;
    EXPECT_EQ(GetSystemMetrics(-5), 0);
}

TEST(GdiRects, HelpersFollowTheUserArea) {
    RECT a, b, out;
    SetRect(&a, 0, 0, 10, 10);
    SetRect(&b, 5, 5, 15, 15);
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    RECT expected{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&out, &expected));
    EXPECT_TRUE(UnionRect(&out, &a, &b));
    EXPECT_EQ(out.right, 15);
    RECT far{20, 20, 30, 30};
    EXPECT_FALSE(IntersectRect(&out, &a, &far));
    EXPECT_TRUE(IsRectEmpty(&out));
    RECT strip{0, 0, 10, 4};
    EXPECT_TRUE(SubtractRect(&out, &a, &strip));
    EXPECT_EQ(out.top, 4);
    EXPECT_TRUE(SubtractRect(&out, &a, &b));
    EXPECT_EQ(out.right, 10) << "a corner cut leaves the rectangle whole";
    EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
    OffsetRect(&a, 2, 3);
    InflateRect(&a, 1, -1);
    EXPECT_EQ(a.left, 1);
    EXPECT_EQ(a.top, 4);
    EXPECT_EQ(a.right, 13);
    EXPECT_EQ(a.bottom, 12);
    CopyRect(&b, &a);
    EXPECT_TRUE(EqualRect(&a, &b));
    SetRectEmpty(&b);
    EXPECT_TRUE(IsRectEmpty(&b));
    RECT empty{0, 0, 0, 0};
    EXPECT_TRUE(UnionRect(&out, &empty, &a));
    EXPECT_TRUE(EqualRect(&out, &a));
}
