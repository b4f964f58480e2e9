// DrawTextW: alignment, calculated rectangles, breaks, ellipses and prefixes.
#include "GdiTestCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace std::string_literals;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

class TextDraw : public ::testing::Test {
protected:
    GdiTestCanvas canvas{200, 100};
    HDC dc = canvas.dc();
    HFONT font =
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    void SetUp() override {
        GetTextMetricsW(dc, &tm);
        SetBkMode(dc, TRANSPARENT);
    }
    void TearDown() override {
        SelectObject(dc, old);
        DeleteObject(font);
    }
    int Width(const std::u16string& s) {
        SIZE size{};
        GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
        return size.cx;
    }
};

} // namespace

TEST_F(TextDraw, CalcRectMeasuresWithoutDrawing) {
    RECT r{10, 10, 10, 10};
    int height = DrawTextW(dc, u"Hello", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(height, tm.tmHeight);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 10 + Width(u"Hello"));
    EXPECT_EQ(r.bottom, 10 + tm.tmHeight);
    EXPECT_EQ(canvas.Count(kWhite), 200 * 100);

    RECT lines{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(dc, u"one\r\ntwo\nlonger three", -1, &lines, DT_CALCRECT), 3 * tm.tmHeight);
    EXPECT_EQ(lines.right, Width(u"longer three"));

    RECT empty{5, 5, 50, 50};
    EXPECT_EQ(DrawTextW(dc, u"", -1, &empty, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    EXPECT_EQ(empty.right, 5);
}

TEST_F(TextDraw, HorizontalAndVerticalAlignment) {
    int w = Width(u"Mid");
    struct Case {
        UINT format;
        int left;
        int top;
        int result;
    } cases[] = {
        {DT_LEFT | DT_TOP | DT_SINGLELINE, 20, 10, tm.tmHeight},
        {DT_CENTER | DT_SINGLELINE, 20 + (160 - w) / 2, 10, tm.tmHeight},
        {DT_RIGHT | DT_SINGLELINE, 180 - w, 10, tm.tmHeight},
        {DT_VCENTER | DT_SINGLELINE, 20, 10 + (80 - tm.tmHeight) / 2,
         (80 - tm.tmHeight) / 2 + tm.tmHeight},
        {DT_BOTTOM | DT_SINGLELINE, 20, 90 - tm.tmHeight, 80},
    };
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 255)); // the opaque cell shows where the line went
    for (const Case& c : cases) {
        canvas.Fill(kWhite);
        RECT r{20, 10, 180, 90};
        EXPECT_EQ(DrawTextW(dc, u"Mid", 3, &r, c.format), c.result) << c.format;
        RECT box = canvas.BoxOf(RGB(0, 0, 255));
        EXPECT_EQ(box.left, c.left) << c.format;
        EXPECT_EQ(box.top, c.top) << c.format;
        EXPECT_EQ(box.right - box.left, w) << c.format;
    }
}

TEST_F(TextDraw, WordBreakWrapsAtSpacesWithinTheWidth) {
    const char16_t* text = u"alpha beta gamma delta epsilon";
    int width = std::max({Width(u"alpha beta"), Width(u"gamma delta"), Width(u"epsilon")}) + 2;
    ASSERT_GT(Width(u"alpha beta gamma"), width);
    ASSERT_GT(Width(u"gamma delta epsilon"), width);
    RECT r{0, 0, width, 0};
    int height = DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(height, 3 * tm.tmHeight) << "alpha beta / gamma delta / epsilon";
    EXPECT_LE(r.right, width);
    RECT draw{0, 0, width, 100};
    EXPECT_EQ(DrawTextW(dc, text, -1, &draw, DT_WORDBREAK), 3 * tm.tmHeight);
    RECT ink = canvas.InkBox(kWhite);
    EXPECT_LE(ink.right, width);
    EXPECT_GT(ink.bottom, 2 * tm.tmHeight);

    // A word longer than the line stays whole, unless the text acts as an edit control.
    RECT narrow{0, 0, Width(u"abc"), 0};
    EXPECT_EQ(DrawTextW(dc, u"abcdefgh", -1, &narrow, DT_CALCRECT | DT_WORDBREAK), tm.tmHeight);
    RECT edit{0, 0, Width(u"abc"), 0};
    EXPECT_EQ(DrawTextW(dc, u"abcdefgh", -1, &edit, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL),
              3 * tm.tmHeight);
}

TEST_F(TextDraw, JapaneseTextBreaksBetweenCharacters) {
    const char16_t* text = u"日本語のテキストを折り返す";
    RECT r{0, 0, 5 * 12, 0};
    int height = DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GE(height, 3 * tm.tmHeight);
    EXPECT_LE(r.right, 5 * 12);
}

TEST_F(TextDraw, EndEllipsisFitsTheWidthAndCanModifyTheString) {
    std::u16string text = u"A rather long caption for a narrow column";
    int width = Width(u"A rather long");
    RECT r{0, 0, width, 20};
    std::u16string buffer = text + u"\0\0\0\0\0"s;
    DrawTextW(dc, buffer.data(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    std::u16string shown(buffer.c_str());
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
    EXPECT_LE(Width(shown), width);
    EXPECT_EQ(text.compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0);
    RECT ink = canvas.InkBox(kWhite);
    EXPECT_LE(ink.right, width);

    // Text that fits is left alone.
    std::u16string fits = u"Short";
    std::u16string copy = fits + u"\0\0\0\0\0"s;
    RECT wide{0, 0, 200, 20};
    DrawTextW(dc, copy.data(), 5, &wide, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_EQ(std::u16string(copy.c_str()), fits);
}

TEST_F(TextDraw, PathEllipsisKeepsTheFileName) {
    std::u16string path = u"C:\\Program Files\\Some Vendor\\A Product\\settings.ini";
    int width = Width(u"C:\\Prog...\\settings.ini");
    std::u16string buffer = path + u"\0\0\0\0\0"s;
    RECT r{0, 0, width, 20};
    DrawTextW(dc, buffer.data(), static_cast<int>(path.size()), &r,
              DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    std::u16string shown(buffer.c_str());
    EXPECT_NE(shown.find(u"..."), std::u16string::npos);
    EXPECT_EQ(shown.substr(shown.size() - 13), u"\\settings.ini");
    EXPECT_LE(Width(shown), width);
}

TEST_F(TextDraw, PrefixUnderlinesAndDoubleAmpersandIsLiteral) {
    RECT r{0, 0, 200, 40};
    RECT calc = r;
    DrawTextW(dc, u"&Save && Exit", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.right, Width(u"Save & Exit"));
    RECT none = r;
    DrawTextW(dc, u"&Save", -1, &none, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(none.right, Width(u"&Save"));

    // The underline sits below the baseline under the S only.
    DrawTextW(dc, u"&Save", -1, &r, DT_SINGLELINE);
    int belowBaseline = 0;
    for (int y = tm.tmAscent + 1; y < tm.tmHeight; ++y)
        for (int x = 0; x < Width(u"S"); ++x)
            belowBaseline += canvas.At(x, y) == RGB(0, 0, 0);
    EXPECT_GE(belowBaseline, Width(u"S") - 1);

    canvas.Fill(kWhite);
    DrawTextW(dc, u"&Save", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
    int hidden = 0;
    for (int y = tm.tmAscent + 1; y < tm.tmHeight; ++y)
        for (int x = 0; x < Width(u"S"); ++x)
            hidden += canvas.At(x, y) == RGB(0, 0, 0);
    EXPECT_EQ(hidden, 0);
}

TEST_F(TextDraw, ClipsToTheRectangleUnlessNoClip) {
    RECT r{0, 0, 10, 20};
    DrawTextW(dc, u"WWWWWWWW", -1, &r, DT_SINGLELINE);
    EXPECT_LE(canvas.InkBox(kWhite).right, 10);
    canvas.Fill(kWhite);
    DrawTextW(dc, u"WWWWWWWW", -1, &r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(canvas.InkBox(kWhite).right, 20);
}

TEST_F(TextDraw, ExpandTabsMovesToTabStops) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, u"a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + Width(u"b"));
    RECT stop{0, 0, 0, 0};
    DRAWTEXTPARAMS p{sizeof(DRAWTEXTPARAMS), 4, 0, 0, 0};
    std::u16string text = u"a\tb";
    DrawTextExW(dc, text.data(), -1, &stop, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS, &p);
    EXPECT_EQ(stop.right, 4 * tm.tmAveCharWidth + Width(u"b"));
}

TEST_F(TextDraw, EditControlDropsPartlyVisibleLines) {
    RECT r{0, 0, Width(u"word"), tm.tmHeight * 2 + tm.tmHeight / 2};
    DrawTextW(dc, u"word word word word", -1, &r, DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP);
    EXPECT_LE(canvas.InkBox(kWhite).bottom, 2 * tm.tmHeight);
}

TEST_F(TextDraw, DrawTextExMarginsAndLengthDrawn) {
    DRAWTEXTPARAMS p{sizeof(DRAWTEXTPARAMS), 0, 7, 3, 0};
    RECT r{0, 0, 0, 0};
    std::u16string text = u"margin";
    DrawTextExW(dc, text.data(), -1, &r, DT_CALCRECT | DT_SINGLELINE, &p);
    EXPECT_EQ(r.right, Width(text) + 10);
    EXPECT_EQ(p.uiLengthDrawn, text.size());
    DRAWTEXTPARAMS bad{0, 0, 0, 0, 0};
    EXPECT_EQ(DrawTextExW(dc, text.data(), -1, &r, DT_SINGLELINE, &bad), 0);
}
