// Regions, clipping, saved DC states, origins and DCs on shared surfaces.
#include "GdiTestCanvas.h"

#include <win32/internal/gdi/SurfaceDC.h>

#include <win32/readback.h>

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

RECT Box(HRGN r) {
    RECT b{};
    GetRgnBox(r, &b);
    return b;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct CombineCase {
    const char* name;
    RECT a;
    RECT b;
    int mode;
    int complexity;
    RECT box;
    int area;
};

void PrintTo(const CombineCase& c, std::ostream* os) {
    *os << c.name;
}

class GdiCombine : public ::testing::TestWithParam<CombineCase> {};

int Area(HRGN r) {
    int area = 0;
    RECT b = Box(r);
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            area += PtInRegion(r, x, y) ? 1 : 0;
    return area;
}

} // namespace

TEST_P(GdiCombine, GivesTheExpectedAreaBoxAndComplexity) {
    const CombineCase& c = GetParam();
    HRGN a = CreateRectRgnIndirect(&c.a), b = CreateRectRgnIndirect(&c.b),
         out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.complexity) << c.name;
    EXPECT_TRUE(Same(Box(out), c.box)) << c.name;
    EXPECT_EQ(Area(out), c.area) << c.name;
    // Combining into one of the sources is allowed.
    EXPECT_EQ(CombineRgn(a, a, b, c.mode), c.complexity) << c.name;
    EXPECT_TRUE(EqualRgn(a, out)) << c.name;
    for (HRGN r : {a, b, out})
        DeleteObject(r);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GdiCombine,
    ::testing::Values(
        CombineCase{"and overlap",
                    {0, 0, 10, 10},
                    {5, 5, 15, 15},
                    RGN_AND,
                    SIMPLEREGION,
                    {5, 5, 10, 10},
                    25},
        CombineCase{"and apart", {0, 0, 5, 5}, {6, 6, 9, 9}, RGN_AND, NULLREGION, {0, 0, 0, 0}, 0},
        CombineCase{"or overlap",
                    {0, 0, 10, 10},
                    {5, 5, 15, 15},
                    RGN_OR,
                    COMPLEXREGION,
                    {0, 0, 15, 15},
                    175},
        CombineCase{"or side by side",
                    {0, 0, 5, 10},
                    {5, 0, 10, 10},
                    RGN_OR,
                    SIMPLEREGION,
                    {0, 0, 10, 10},
                    100},
        CombineCase{
            "or stacked", {0, 0, 10, 5}, {0, 5, 10, 10}, RGN_OR, SIMPLEREGION, {0, 0, 10, 10}, 100},
        CombineCase{"xor overlap",
                    {0, 0, 10, 10},
                    {5, 5, 15, 15},
                    RGN_XOR,
                    COMPLEXREGION,
                    {0, 0, 15, 15},
                    150},
        CombineCase{
            "xor equal", {0, 0, 10, 10}, {0, 0, 10, 10}, RGN_XOR, NULLREGION, {0, 0, 0, 0}, 0},
        CombineCase{"diff strip",
                    {0, 0, 10, 10},
                    {0, 0, 10, 3},
                    RGN_DIFF,
                    SIMPLEREGION,
                    {0, 3, 10, 10},
                    70},
        CombineCase{
            "diff hole", {0, 0, 10, 10}, {3, 3, 6, 6}, RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, 91},
        CombineCase{
            "diff all", {2, 2, 4, 4}, {0, 0, 10, 10}, RGN_DIFF, NULLREGION, {0, 0, 0, 0}, 0},
        CombineCase{"copy", {1, 2, 3, 4}, {0, 0, 10, 10}, RGN_COPY, SIMPLEREGION, {1, 2, 3, 4}, 4}),
    [](const ::testing::TestParamInfo<CombineCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(GdiRegion, QueriesOffsetsAndData) {
    HRGN r = CreateRectRgn(10, 10, 0, 0); // corners in any order
    EXPECT_TRUE(Same(Box(r), {0, 0, 10, 10}));
    EXPECT_TRUE(PtInRegion(r, 0, 0));
    EXPECT_FALSE(PtInRegion(r, 10, 5)) << "right edge excluded";
    RECT probe{9, 9, 20, 20};
    EXPECT_TRUE(RectInRegion(r, &probe));
    probe = {10, 0, 20, 10};
    EXPECT_FALSE(RectInRegion(r, &probe));
    EXPECT_EQ(OffsetRgn(r, 5, -5), SIMPLEREGION);
    EXPECT_TRUE(Same(Box(r), {5, -5, 15, 5}));
    HRGN hole = CreateRectRgn(7, -3, 9, 0);
    CombineRgn(r, r, hole, RGN_DIFF);
    DWORD size = GetRegionData(r, 0, nullptr);
    std::vector<char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    EXPECT_EQ(GetRegionData(r, size, data), size);
    EXPECT_EQ(data->rdh.iType, static_cast<DWORD>(RDH_RECTANGLES));
    EXPECT_EQ(data->rdh.nCount, 4u) << "bands: above the hole, beside it on two sides, below it";
    EXPECT_EQ(GetRegionData(r, size - 1, data), 0u);
    EXPECT_TRUE(SetRectRgn(r, 1, 1, 2, 2));
    EXPECT_TRUE(Same(Box(r), {1, 1, 2, 2}));
    EXPECT_EQ(CombineRgn(r, r, reinterpret_cast<HRGN>(0x999), RGN_OR), ERROR);
    DeleteObject(r);
    DeleteObject(hole);
}

TEST(GdiRegion, EllipticAndRoundRegionsAreSymmetricInTheirBox) {
    HRGN e = CreateEllipticRgn(0, 0, 9, 7);
    EXPECT_TRUE(Same(Box(e), {0, 0, 9, 7}));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 8 - x, y));
            EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, x, 6 - y));
        }
    EXPECT_FALSE(PtInRegion(e, 0, 0));
    EXPECT_TRUE(PtInRegion(e, 4, 3));
    HRGN rr = CreateRoundRectRgn(0, 0, 20, 20, 8, 8);
    EXPECT_FALSE(PtInRegion(rr, 0, 0));
    EXPECT_TRUE(PtInRegion(rr, 10, 0));
    EXPECT_TRUE(PtInRegion(rr, 0, 10));
    POINT tri[] = {{0, 0}, {10, 0}, {0, 10}};
    HRGN p = CreatePolygonRgn(tri, 3, ALTERNATE);
    EXPECT_TRUE(PtInRegion(p, 1, 1));
    EXPECT_FALSE(PtInRegion(p, 8, 8));
    for (HRGN r : {e, rr, p})
        DeleteObject(r);
}

TEST(GdiClip, SelectClipRgnCopiesTheRegionAndNullRemovesIt) {
    GdiTestCanvas c(10, 10);
    HRGN r = CreateRectRgn(2, 2, 5, 5);
    EXPECT_EQ(SelectClipRgn(c.dc(), r), SIMPLEREGION);
    SetRectRgn(r, 0, 0, 10, 10); // later changes do not reach the DC
    DeleteObject(r);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    PatBlt(c.dc(), 0, 0, 10, 10, PATCOPY);
    EXPECT_EQ(c.InkBox(RGB(255, 255, 255)).left, 2);
    EXPECT_EQ(c.Count(RGB(0, 0, 0)), 9);
    RECT box{};
    EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
    EXPECT_TRUE(Same(box, {2, 2, 5, 5}));
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.dc(), got), 1);
    EXPECT_TRUE(Same(Box(got), {2, 2, 5, 5}));
    EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(c.dc(), got), 0);
    GetClipBox(c.dc(), &box);
    EXPECT_TRUE(Same(box, {0, 0, 10, 10}));
    DeleteObject(got);
}

TEST(GdiClip, IntersectAndExcludeNarrowTheClip) {
    GdiTestCanvas c(10, 10);
    EXPECT_EQ(IntersectClipRect(c.dc(), 1, 1, 9, 9), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(c.dc(), 3, 3, 6, 6), COMPLEXREGION);
    EXPECT_TRUE(PtVisible(c.dc(), 1, 1));
    EXPECT_FALSE(PtVisible(c.dc(), 4, 4));
    EXPECT_FALSE(PtVisible(c.dc(), 0, 0));
    RECT inHole{3, 3, 6, 6}, crossing{5, 5, 7, 7};
    EXPECT_FALSE(RectVisible(c.dc(), &inHole));
    EXPECT_TRUE(RectVisible(c.dc(), &crossing));
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    PatBlt(c.dc(), 0, 0, 10, 10, PATCOPY);
    EXPECT_EQ(c.Count(RGB(0, 0, 0)), 64 - 9);
    EXPECT_EQ(OffsetClipRgn(c.dc(), 1, 1), COMPLEXREGION);
    EXPECT_FALSE(PtVisible(c.dc(), 1, 1));
    EXPECT_TRUE(PtVisible(c.dc(), 2, 2));
    HRGN extra = CreateRectRgn(0, 0, 2, 2);
    EXPECT_EQ(ExtSelectClipRgn(c.dc(), extra, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtVisible(c.dc(), 0, 0));
    EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_AND), ERROR);
    EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_COPY), SIMPLEREGION);
    DeleteObject(extra);
}

TEST(GdiClip, ClipRectanglesAreLogicalAndTheRegionIsInDeviceUnits) {
    GdiTestCanvas c(10, 10);
    SetWindowOrgEx(c.dc(), 5, 0, nullptr);
    IntersectClipRect(c.dc(), 5, 0, 7, 10); // logical 5..7 is device 0..2
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    GetClipRgn(c.dc(), got);
    EXPECT_TRUE(Same(Box(got), {0, 0, 2, 10}));
    RECT box{};
    GetClipBox(c.dc(), &box);
    EXPECT_TRUE(Same(box, {5, 0, 7, 10})) << "the clip box is logical";
    DeleteObject(got);
}

TEST(GdiSaveDC, RestoresObjectsColoursModesClipAndOrigins) {
    GdiTestCanvas c(10, 10);
    HDC dc = c.dc();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 1, 1));
    int first = SaveDC(dc);
    EXPECT_EQ(first, 1);
    SelectObject(dc, pen);
    SetTextColor(dc, RGB(9, 9, 9));
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_XORPEN);
    SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
    SetWindowOrgEx(dc, 3, 4, nullptr);
    IntersectClipRect(dc, 0, 0, 2, 2);
    EXPECT_EQ(SaveDC(dc), 2);
    SetTextColor(dc, RGB(7, 7, 7));
    EXPECT_TRUE(RestoreDC(dc, -1));
    EXPECT_EQ(GetTextColor(dc), RGB(9, 9, 9));
    EXPECT_TRUE(RestoreDC(dc, first));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_LEFT | TA_TOP));
    POINT org{};
    GetWindowOrgEx(dc, &org);
    EXPECT_EQ(org.x, 0);
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, got), 0);
    EXPECT_FALSE(RestoreDC(dc, 1)) << "that level was consumed";
    EXPECT_FALSE(RestoreDC(dc, -1));
    DeleteObject(got);
    DeleteObject(pen);
}

TEST(GdiCoordinates, OriginsMapLogicalToDevicePoints) {
    GdiTestCanvas c(20, 20);
    HDC dc = c.dc();
    POINT prev{};
    SetWindowOrgEx(dc, 10, 5, &prev);
    EXPECT_EQ(prev.x, 0);
    SetViewportOrgEx(dc, 2, 3, nullptr);
    OffsetWindowOrgEx(dc, 1, 1, &prev);
    EXPECT_EQ(prev.x, 10);
    OffsetViewportOrgEx(dc, 1, 0, nullptr);
    POINT pts[2] = {{11, 6}, {0, 0}};
    LPtoDP(dc, pts, 2);
    EXPECT_EQ(pts[0].x, 3);
    EXPECT_EQ(pts[0].y, 3);
    EXPECT_EQ(pts[1].x, -8);
    EXPECT_EQ(pts[1].y, -3);
    DPtoLP(dc, pts, 2);
    EXPECT_EQ(pts[0].x, 11);
    EXPECT_EQ(pts[1].y, 0);
    SetPixel(dc, 11, 6, RGB(1, 2, 3));
    EXPECT_EQ(c.At(3, 3), RGB(1, 2, 3));
    EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
    EXPECT_EQ(SetMapMode(dc, MM_TWIPS), 0) << "only MM_TEXT is supported";
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
}

TEST(GdiSurfaceDC, ChildPaintsIntoItsParentsSurfaceAtAnOffsetInsideItsClip) {
    auto surface = std::make_shared<win32::Surface>(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            surface->Put(x, y, 0xFFFFFF);
    // A child at (10, 5) whose visible part is cut to 8 x 6 by its parent.
    win32::Region visible(RECT{10, 5, 18, 11});
    HDC dc = win32::CreateSurfaceDC(surface, POINT{10, 5}, visible);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    RECT box{};
    GetClipBox(dc, &box);
    EXPECT_TRUE(Same(box, {0, 0, 8, 6}));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, -5, -5, 50, 50);
    int black = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if ((surface->Get(x, y) & 0xFFFFFF) == 0) {
                ++black;
                EXPECT_TRUE(x >= 10 && x < 18 && y >= 5 && y < 11) << x << "," << y;
            }
    EXPECT_EQ(black, 48);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 8, 0), CLR_INVALID);
    // Its own clip narrows further, in the child's device coordinates.
    IntersectClipRect(dc, 0, 0, 2, 2);
    GetClipBox(dc, &box);
    EXPECT_TRUE(Same(box, {0, 0, 2, 2}));
    // The window moved: the same DC now lands elsewhere.
    EXPECT_TRUE(win32::SetSurfaceDCLimits(dc, POINT{0, 0}, win32::Region(RECT{0, 0, 40, 30})));
    EXPECT_EQ(win32::SurfaceOfDC(dc), surface);
    DeleteDC(dc);
}

TEST(GdiSurfaceDC, ScreenDCMeasuresAtNinetySixDpi) {
    HDC screen = win32::CreateScreenDC();
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1920);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 1080);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(screen, u"Hello", 5, &size));
    EXPECT_GT(size.cx, 0);
    DeleteDC(screen);
}

TEST(GdiRegionPaint, FillFrameInvertAndPaintRegions) {
    GdiTestCanvas c(10, 10);
    HRGN r = CreateRectRgn(1, 1, 6, 6);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FrameRgn(c.dc(), r, red, 1, 1);
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), 16);
    EXPECT_EQ(c.At(3, 3), RGB(255, 255, 255));
    FillRgn(c.dc(), r, red);
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), 25);
    InvertRgn(c.dc(), r);
    EXPECT_EQ(c.At(3, 3), RGB(0, 255, 255));
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    PaintRgn(c.dc(), r);
    EXPECT_EQ(c.Count(RGB(0, 0, 0)), 25);
    DeleteObject(r);
    DeleteObject(red);
}
