// Fonts, metrics, measuring and text output through FreeType.
#include "GdiTestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>


namespace {

const COLORREF kWhite = RGB(255, 255, 255);

HFONT MakeFont(int height, const char16_t* face, int weight = FW_NORMAL,
               BYTE quality = DEFAULT_QUALITY, BYTE charset = DEFAULT_CHARSET) {
    return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, face);
}

int Len(const char16_t* s) {
    return static_cast<int>(std::char_traits<char16_t>::length(s));
}

class TextFixture : public ::testing::Test {
protected:
    GdiTestCanvas canvas{300, 60};
    HDC dc = canvas.dc();
    HFONT font = MakeFont(-12, u"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    void TearDown() override {
        SelectObject(dc, old);
        DeleteObject(font);
    }
    SIZE Extent(const char16_t* s) {
        SIZE size{};
        GetTextExtentPoint32W(dc, s, Len(s), &size);
        return size;
    }
};

} // namespace

TEST_F(TextFixture, NegativeHeightIsTheCharacterHeightAndPositiveTheCell) {
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(dc, &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GT(tm.tmAveCharWidth, 3);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "set means variable pitch";

    HFONT cell = MakeFont(16, u"Tahoma");
    SelectObject(dc, cell);
    GetTextMetricsW(dc, &tm);
    EXPECT_EQ(tm.tmHeight, 16);
    SelectObject(dc, font);
    DeleteObject(cell);
}

TEST_F(TextFixture, WindowsFaceNamesResolveToInstalledFonts) {
    for (const char16_t* face :
         {u"MS Sans Serif", u"Microsoft Sans Serif", u"Tahoma", u"Segoe UI", u"Arial", u"Verdana",
          u"Courier New", u"MS Shell Dlg", u"MS UI Gothic", u"ＭＳ Ｐゴシック", u"ＭＳ ゴシック",
          u"Meiryo", u"No Such Face"}) {
        HFONT f = MakeFont(-12, face);
        SelectObject(dc, f);
        TEXTMETRICW tm{};
        EXPECT_TRUE(GetTextMetricsW(dc, &tm));
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
        WCHAR name[LF_FACESIZE] = {};
        EXPECT_EQ(GetTextFaceW(dc, LF_FACESIZE, name), Len(face) + 1);
        EXPECT_EQ(GetTextFaceW(dc, 0, nullptr), Len(face) + 1);
        EXPECT_EQ(std::u16string(name), std::u16string(face))
            << "the face keeps the name it was asked by";
        SelectObject(dc, font);
        DeleteObject(f);
    }
    // Courier New is fixed pitch; Japanese faces report the Japanese character set.
    HFONT mono = MakeFont(-12, u"Courier New");
    SelectObject(dc, mono);
    EXPECT_EQ(Extent(u"iiii").cx, Extent(u"WWWW").cx);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
    HFONT ja = MakeFont(-12, u"ＭＳ Ｐゴシック");
    SelectObject(dc, ja);
    GetTextMetricsW(dc, &tm);
    EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
    SelectObject(dc, font);
    DeleteObject(mono);
    DeleteObject(ja);
}

TEST_F(TextFixture, BoldIsWiderAndSizesScale) {
    SIZE normal = Extent(u"Servo drive");
    HFONT bold = MakeFont(-12, u"Tahoma", FW_BOLD);
    HFONT big = MakeFont(-24, u"Tahoma");
    SelectObject(dc, bold);
    EXPECT_GT(Extent(u"Servo drive").cx, normal.cx);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    SelectObject(dc, big);
    SIZE large = Extent(u"Servo drive");
    EXPECT_NEAR(large.cx, 2 * normal.cx, normal.cx / 5);
    SelectObject(dc, font);
    DeleteObject(bold);
    DeleteObject(big);
}

TEST_F(TextFixture, ExtentIsTheSumOfCharacterWidths) {
    const char16_t* text = u"Hello, World";
    INT widths[128] = {};
    ASSERT_TRUE(GetCharWidth32W(dc, 0, 127, widths));
    int sum = 0;
    for (int i = 0; i < Len(text); ++i)
        sum += widths[text[i]];
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SIZE size = Extent(text);
    EXPECT_EQ(size.cx, sum);
    EXPECT_EQ(size.cy, tm.tmHeight);
    ABC abc{};
    ASSERT_TRUE(GetCharABCWidthsW(dc, 'H', 'H', &abc));
    EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, widths['H']);
    SetTextCharacterExtra(dc, 2);
    EXPECT_EQ(Extent(text).cx, sum + 2 * Len(text));
    SetTextCharacterExtra(dc, 0);
}

TEST_F(TextFixture, ExtentExReportsFitAndPartialExtents) {
    const char16_t* text = u"abcdefgh";
    INT partial[8] = {};
    INT fit = -1;
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(dc, text, 8, 1 << 20, &fit, partial, &size));
    EXPECT_EQ(fit, 8);
    EXPECT_EQ(partial[7], size.cx);
    for (int i = 1; i < 8; ++i)
        EXPECT_GT(partial[i], partial[i - 1]);
    ASSERT_TRUE(GetTextExtentExPointW(dc, text, 8, partial[3], &fit, nullptr, &size));
    EXPECT_EQ(fit, 4);
    ASSERT_TRUE(GetTextExtentExPointW(dc, text, 8, partial[3] - 1, &fit, nullptr, &size));
    EXPECT_EQ(fit, 3);
    ASSERT_TRUE(GetTextExtentExPointW(dc, text, 8, 0, &fit, nullptr, &size));
    EXPECT_EQ(fit, 0);
    EXPECT_FALSE(GetTextExtentExPointW(dc, text, -1, 0, &fit, nullptr, &size));
}

TEST_F(TextFixture, DrawnInkLiesWithinTheMeasuredBox) {
    const char16_t* text = u"Hamburgefonts 0123";
    SIZE size = Extent(text);
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(TextOutW(dc, 10, 10, text, Len(text)));
    RECT ink = canvas.InkBox(kWhite);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + size.cx);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + size.cy);
    // Most of the width is inked: measuring and drawing use the same advances.
    EXPECT_GT(ink.right - ink.left, size.cx - 4);
}

TEST_F(TextFixture, AlignmentMovesTheReferencePoint) {
    SIZE size = Extent(u"Text");
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SetBkColor(dc, RGB(0, 0, 255)); // opaque cells show the exact text box
    struct Case {
        UINT align;
        int left;
        int top;
    } cases[] = {{TA_LEFT | TA_TOP, 100, 30},
                 {TA_RIGHT | TA_TOP, 100 - size.cx, 30},
                 {TA_CENTER | TA_TOP, 100 - size.cx / 2, 30},
                 {TA_LEFT | TA_BOTTOM, 100, 30 - tm.tmHeight},
                 {TA_LEFT | TA_BASELINE, 100, 30 - tm.tmAscent}};
    for (const Case& c : cases) {
        canvas.Fill(kWhite);
        SetTextAlign(dc, c.align);
        TextOutW(dc, 100, 30, u"Text", 4);
        RECT box = canvas.BoxOf(RGB(0, 0, 255)); // glyphs may overhang the cell by a pixel
        EXPECT_EQ(box.left, c.left) << c.align;
        EXPECT_EQ(box.top, c.top) << c.align;
        EXPECT_EQ(box.right - box.left, size.cx) << c.align;
        EXPECT_EQ(box.bottom - box.top, tm.tmHeight) << c.align;
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_UPDATECP);
    MoveToEx(dc, 5, 5, nullptr);
    TextOutW(dc, 0, 0, u"Text", 4);
    POINT cp{};
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp.x, 5 + size.cx);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

TEST_F(TextFixture, ExtTextOutOpaqueClippedAndSpaced) {
    SetBkColor(dc, RGB(0, 255, 0));
    RECT r{10, 10, 40, 30};
    ExtTextOutW(dc, 12, 12, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    EXPECT_EQ(canvas.Count(RGB(0, 255, 0)), 30 * 20);

    canvas.Fill(kWhite);
    SetBkMode(dc, TRANSPARENT);
    RECT clip{10, 10, 20, 30};
    ExtTextOutW(dc, 10, 10, ETO_CLIPPED, &clip, u"WWWWWW", 6, nullptr);
    RECT ink = canvas.InkBox(kWhite);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 20);

    canvas.Fill(kWhite);
    INT dx[3] = {40, 40, 40};
    ExtTextOutW(dc, 0, 0, 0, nullptr, u"III", 3, dx);
    // Three narrow strokes, 40 pixels apart.
    auto inked = [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            for (int y = 0; y < 20; ++y)
                if (canvas.At(x, y) != kWhite) return true;
        return false;
    };
    EXPECT_TRUE(inked(0, 15));
    EXPECT_FALSE(inked(15, 40));
    EXPECT_TRUE(inked(40, 55));
    EXPECT_FALSE(inked(55, 80));
    EXPECT_TRUE(inked(80, 95));
}

TEST_F(TextFixture, JapaneseTextDrawsWithTheFallbackFont) {
    // The Latin face has no kanji: they come from the Japanese font, in one call.
    const char16_t* mixed = u"Speed 速度 OK";
    SIZE size = Extent(mixed);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, mixed, Len(mixed));
    INT w[1] = {};
    GetCharWidth32W(dc, 0x901F, 0x901F, w); // 速
    EXPECT_GE(w[0], 10) << "a kanji is about one em wide";
    EXPECT_LE(w[0], 14);
    int start = Extent(u"Speed ").cx;
    int inked = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = start; x < start + 2 * w[0]; ++x)
            inked += canvas.At(x, y) != kWhite;
    EXPECT_GT(inked, 40) << "the kanji have glyph pixels, not empty boxes";
    RECT ink = canvas.InkBox(kWhite);
    EXPECT_LE(ink.right, size.cx);
}

TEST_F(TextFixture, NonAntialiasedTextHasOnlyTwoColours) {
    HFONT sharp = MakeFont(-12, u"Arial", FW_NORMAL, NONANTIALIASED_QUALITY);
    SelectObject(dc, sharp);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, u"Sharp edges", 11);
    EXPECT_GT(canvas.Count(RGB(0, 0, 0)), 30);
    EXPECT_EQ(canvas.Count(RGB(0, 0, 0)) + canvas.Count(kWhite), 300 * 60);
    HFONT smooth = MakeFont(-12, u"Arial", FW_NORMAL, ANTIALIASED_QUALITY);
    SelectObject(dc, smooth);
    canvas.Fill(kWhite);
    TextOutW(dc, 0, 0, u"Sharp edges", 11);
    EXPECT_LT(canvas.Count(RGB(0, 0, 0)) + canvas.Count(kWhite), 300 * 60) << "grey edge pixels";
    SelectObject(dc, font);
    DeleteObject(sharp);
    DeleteObject(smooth);
}

TEST_F(TextFixture, UnderlineAndStrikeOutSpanTheText) {
    HFONT lined = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, TRUE, TRUE, DEFAULT_CHARSET, 0, 0,
                              NONANTIALIASED_QUALITY, 0, u"Arial");
    SelectObject(dc, lined);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    EXPECT_TRUE(tm.tmUnderlined);
    EXPECT_TRUE(tm.tmStruckOut);
    SetBkMode(dc, TRANSPARENT);
    SIZE size = Extent(u"a b");
    TextOutW(dc, 0, 0, u"a b", 3);
    int fullRows = 0;
    for (int y = 0; y < size.cy; ++y) {
        bool full = true;
        for (int x = 0; x < size.cx; ++x)
            full &= canvas.At(x, y) == RGB(0, 0, 0);
        fullRows += full;
    }
    EXPECT_GE(fullRows, 2) << "one row for each line, across the space too";
    SelectObject(dc, font);
    DeleteObject(lined);
}

TEST(TextThreads, WorkerThreadsDrawTheSameTextAsTheMainThread) {
    auto render = [] {
        GdiTestCanvas c(120, 20);
        HFONT f = MakeFont(-12, u"Segoe UI");
        HGDIOBJ old = SelectObject(c.dc(), f);
        for (int i = 0; i < 20; ++i)
            TextOutW(c.dc(), 0, 0, u"Thumbnail 速度", 12);
        SelectObject(c.dc(), old);
        DeleteObject(f);
        return std::vector<uint32_t>(c.bits(), c.bits() + 120 * 20);
    };
    std::vector<uint32_t> expected = render();
    std::vector<uint32_t> results[4];
    std::vector<std::thread> threads;
    for (auto& r : results)
        threads.emplace_back([&r, &render] { r = render(); });
    for (auto& t : threads)
        t.join();
    for (const auto& r : results)
        EXPECT_EQ(r, expected);
}
