// Measuring and shortening wide texts, wide message boxes and the system's folders.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>

#include <win32/TestSeams.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <gtest/gtest.h>

namespace {

class WidePaintTest : public testing::Test {
protected:
    void SetUp() override {
        dc_ = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc_, nullptr);
        font_.SetSize(12);
        old_ = SelectObject(dc_, font_.GetHandle());
    }
    void TearDown() override {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    int Width(const UnicodeString& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc_, text.c_str(), int(text.size()), &size);
        return size.cx;
    }
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    TFont font_;
};

TEST_F(WidePaintTest, ShortenedTextsFitAndKeepTheirEnds) {
    const UnicodeString text = u"C:\\Program Files\\A Rather Long Folder Name\\report.txt";
    const UnicodeString tail = u"\\report.txt";
    const int dots = Width(u"...");
    struct Case {
        TShortenStringEllipsis placement;
        int width;
    } cases[] = {{sseEnd, 120},    {sseEnd, dots + 1},  {sseFront, 120},
                 {sseMiddle, 160}, {sseMiddle, 60},      {sseFilePathMiddle, Width(tail) + dots + 40},
                 {sseFilePathMiddle, Width(tail) + dots - 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "placement " << c.placement << " width " << c.width);
        UnicodeString shown = ShortenStringEx(dc_, text, c.width, false, c.placement);
        ASSERT_NE(shown.find(u"..."), UnicodeString::npos);
        EXPECT_LE(Width(shown), c.width);
        const size_t cut = shown.find(u"...");
        const UnicodeString front = shown.substr(0, cut), back = shown.substr(cut + 3);
        EXPECT_EQ(text.compare(0, front.size(), front), 0) << "the front is the text's own";
        EXPECT_TRUE(text.size() >= back.size() &&
                    text.compare(text.size() - back.size(), back.size(), back) == 0)
            << "the back is the text's own";
        switch (c.placement) {
        case sseEnd: EXPECT_TRUE(back.empty()); break;
        case sseFront: EXPECT_TRUE(front.empty()); break;
        case sseMiddle: EXPECT_FALSE(front.empty()); break;
        case sseFilePathMiddle:
            // The file name stays whole when there is room for it.
            if (c.width >= Width(tail) + dots) EXPECT_EQ(back, tail);
            break;
        }
    }
    EXPECT_EQ(ShortenStringEx(dc_, u"", 100, false, sseEnd), u"");
    EXPECT_EQ(ShortenStringEx(dc_, text, 0, false, sseEnd), u"");
    EXPECT_EQ(ShortenStringEx(dc_, text, dots, false, sseMiddle), u"") << "not even ... fits";
}

TEST_F(WidePaintTest, ExtentsInEveryForm) {
    const UnicodeString text = u"Measured text";
    const SIZE direct = TextExtentW(text.c_str(), dc_);
    EXPECT_EQ(direct.cx, Width(text));
    EXPECT_GT(direct.cy, 0);

    const SIZE inFont = TextExtentW(text, &font_);
    EXPECT_EQ(inFont.cx, direct.cx);
    EXPECT_EQ(inFont.cy, direct.cy);

    TCanvas canvas;
    canvas.SetHandle(dc_);
    canvas.GetFont()->Assign(&font_);
    EXPECT_EQ(TextExtentW(text, &canvas).cx, direct.cx);
    EXPECT_EQ(TextExtentW(text.c_str(), &canvas).cx, direct.cx);
    EXPECT_TRUE(IsTextTrueType(&canvas));
    canvas.SetHandle(nullptr);

    for (SIZE none : {TextExtentW(u"", dc_), TextExtentW(static_cast<PCWideChar>(nullptr), dc_),
                      TextExtentW(text.c_str(), static_cast<HDC>(nullptr)),
                      TextExtentW(text, static_cast<TCanvas*>(nullptr)),
                      TextExtentW(text, static_cast<TFont*>(nullptr))}) {
        EXPECT_EQ(none.cx, 0);
        EXPECT_EQ(none.cy, 0);
    }

    // The canvas left its own font in the context.
    ASSERT_TRUE(IsTextTrueType(dc_));
    const SIZE now = TextExtentW(text.c_str(), dc_);
    int sum = 0;
    for (char16_t c : text) {
        ABC abc{};
        ASSERT_TRUE(GetCharABCWidthsW(dc_, c, c, &abc));
        sum += abc.abcA + int(abc.abcB) + abc.abcC;
    }
    EXPECT_EQ(TextTrueExtentsW(text, dc_).cx, sum);
    EXPECT_EQ(TextTrueExtentsW(text, dc_).cy, now.cy);
    EXPECT_FALSE(IsTextTrueType(static_cast<HDC>(nullptr)));
}

TEST(WideMessages, BoxesAndSystemFolders) {
    TestSeams::AnswerMessageBoxes({IDNO, IDOK});
    EXPECT_EQ(MessageBoxWide(nullptr, u"Question", u"Go on?", MB_YESNO), IDNO);
    ShowWideMessage(nullptr, u"Careful", u"Something to know");
    auto boxes = TestSeams::MessageBoxes();
    TestSeams::ScriptMessageBoxes({});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, u"Question");
    EXPECT_EQ(boxes[0].text, u"Go on?");
    EXPECT_EQ(boxes[0].type, UINT(MB_YESNO));
    EXPECT_EQ(boxes[1].caption, u"Careful");
    EXPECT_EQ(boxes[1].text, u"Something to know");
    EXPECT_EQ(boxes[1].type, UINT(MB_ICONWARNING | MB_OK));

    WCHAR system[MAX_PATH], windows[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_EQ(SystemDirectory(), UnicodeString(system));
    EXPECT_EQ(WindowsDirectory(), UnicodeString(windows));
}

} // namespace
