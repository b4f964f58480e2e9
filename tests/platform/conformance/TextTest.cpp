// DrawText formats and the calculated rectangle, text extents and clip regions.
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <gtest/gtest.h>

namespace {

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, 200, 100);
        SelectObject(dc, bitmap);
        GetTextMetricsW(dc, &tm);
    }
    void TearDown() override {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    int Width(const std::u16string& text) {
        SIZE s{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
        return s.cx;
    }
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    TEXTMETRICW tm{};
};

} // namespace

TEST_F(Text, EmptyTextsTakeALine) {
    const RECT start{10, 10, 60, 40};
    struct Case {
        const char* what;
        int count;
        UINT format;
        RECT expected;
    } cases[] = {
        {"count 0 measured: the rectangle stays", 0, DT_CALCRECT, start},
        {"count 0 single line measured", 0, DT_CALCRECT | DT_SINGLELINE, start},
        {"\"\" measured: an empty rectangle", -1, DT_CALCRECT, {10, 10, 10, 10}},
        {"\"\" drawn", -1, 0, start},
        {"count 0 drawn", 0, DT_SINGLELINE, start},
    };
    for (const Case& c : cases) {
        RECT r = start;
        EXPECT_EQ(DrawTextW(dc, u"", c.count, &r, c.format), tm.tmHeight) << c.what;
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.what;
    }
}

TEST_F(Text, VerticalPlacementReturnsTheOffsetOfTheTextsBottom) {
    struct Case {
        UINT format;
        RECT rect;
        int expected;
    } cases[] = {
        {DT_SINGLELINE | DT_BOTTOM, {0, 0, 100, 50}, 50},
        {DT_SINGLELINE | DT_VCENTER, {0, 0, 100, 50}, (50 - tm.tmHeight) / 2 + tm.tmHeight},
        {DT_SINGLELINE | DT_BOTTOM, {0, 0, 100, 0}, 1}, // 0 would read as failure
        {DT_SINGLELINE, {0, 0, 100, 50}, tm.tmHeight},
    };
    for (const Case& c : cases) {
        RECT r = c.rect;
        EXPECT_EQ(DrawTextW(dc, u"Text", -1, &r, c.format), c.expected) << std::hex << c.format;
    }
}

TEST_F(Text, MeasuringExpandsTabsAtTheirStops) {
    const int stop = 8 * tm.tmAveCharWidth;
    struct Case {
        UINT format;
        int expected;
    } cases[] = {
        {DT_CALCRECT | DT_EXPANDTABS, stop + Width(u"b")},
        // The tab length shares its bits with DT_CALCRECT (4) and DT_EXTERNALLEADING (2).
        {DT_CALCRECT | DT_EXPANDTABS | DT_TABSTOP, 4 * tm.tmAveCharWidth + Width(u"b")},
        {DT_CALCRECT | DT_EXPANDTABS | DT_TABSTOP | DT_EXTERNALLEADING, 6 * tm.tmAveCharWidth + Width(u"b")},
    };
    for (const Case& c : cases) {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, u"a\tb", -1, &r, c.format);
        EXPECT_EQ(r.right, c.expected) << std::hex << c.format;
    }
}

TEST_F(Text, Extents) {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, u"abc", 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    struct Case {
        int maxExtent;
        int fit;
    } cases[] = {{-1, 5}, {0, 0}, {Width(u"ab"), 2}, {100000, 5}};
    for (const Case& c : cases) {
        INT fit = -1;
        ASSERT_TRUE(GetTextExtentExPointW(dc, u"abcde", 5, c.maxExtent, &fit, nullptr, &size));
        EXPECT_EQ(fit, c.fit) << c.maxExtent;
        EXPECT_EQ(size.cx, Width(u"abcde"));
    }
}

TEST_F(Text, ADcWithoutAClipRegionHasNone) {
    HRGN out = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(GetClipRgn(dc, out), 0);
    HRGN clip = CreateRectRgn(0, 0, 5, 5);
    SelectClipRgn(dc, clip);
    EXPECT_EQ(GetClipRgn(dc, out), 1);
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GetClipRgn(dc, out), 0);
    DeleteObject(clip);
    DeleteObject(out);
}
