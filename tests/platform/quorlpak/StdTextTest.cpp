// Labels (size, prefix, wrap, ellipsis, transparency), edits (limits,
// read-only, change events) and the client areas of panels and group boxes.
#include "CaseName.h"
#include "StdControlsTestSupport.h"

namespace {

// What DrawText makes of Text in Font: its size, and with an ellipsis flag
// and a width, the text it shows.
struct Measured {
    SIZE size{};
    std::u16string shown;
};

Measured Measure(TFont* font, std::u16string text, UINT flags, int width = 0) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->GetHandle());
    Measured m;
    RECT r{0, 0, width, 0};
    if (flags & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        std::u16string buffer = text + u"\0\0\0\0\0";
        r.bottom = 100;
        DrawTextW(dc, buffer.data(), int(text.size()), &r, flags | DT_MODIFYSTRING | DT_CALCRECT);
        m.shown = buffer.c_str();
    } else {
        DrawTextW(dc, text.c_str(), int(text.size()), &r, flags | DT_CALCRECT);
    }
    m.size = {r.right - r.left, r.bottom - r.top};
    SelectObject(dc, old);
    DeleteDC(dc);
    return m;
}

class LabelTest : public StdControlsTest {
protected:
    TLabel* MakeLabel(int left, int top, const char16_t* caption) {
        auto* label = new TLabel(form);
        label->SetLeft(left);
        label->SetTop(top);
        label->SetCaption(caption);
        label->SetParent(form);
        return label;
    }
    std::vector<COLORREF> LabelPixels(TLabel* label) {
        Pump();
        return Pixels(form->GetHandle(), label->GetBoundsRect());
    }
};

struct PrefixCase {
    const char16_t* caption;
    bool showAccelChar;
    const char16_t* measuredAs;
};

void PrintTo(const PrefixCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.caption) << (c.showAccelChar ? " accel" : " plain");
}

class LabelPrefixTest : public LabelTest, public testing::WithParamInterface<PrefixCase> {};

TEST_P(LabelPrefixTest, AutoSizeFitsTheTextAsShown) {
    TLabel* label = MakeLabel(10, 10, u"");
    label->SetShowAccelChar(GetParam().showAccelChar);
    label->SetCaption(GetParam().caption);
    Measured m = Measure(label->GetFont(), GetParam().measuredAs, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(label->GetWidth(), m.size.cx);
    EXPECT_EQ(label->GetHeight(), m.size.cy);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, LabelPrefixTest,
                         testing::Values(PrefixCase{u"&Save", true, u"Save"},
                                         PrefixCase{u"A&&B", true, u"A&B"},
                                         PrefixCase{u"&Save", false, u"&Save"},
                                         PrefixCase{u"アラーム：", true, u"アラーム："}),
                         CaseName());

TEST_F(LabelTest, AnEmptyCaptionKeepsALinesHeight) {
    TLabel* label = MakeLabel(10, 10, u"");
    EXPECT_EQ(label->GetHeight(), Measure(label->GetFont(), u" ", DT_SINGLELINE).size.cy);
    EXPECT_GT(label->GetHeight(), 5);
}

TEST_F(LabelTest, AFontChangeResizesAnAutoSizedLabel) {
    TLabel* label = MakeLabel(10, 10, u"Speed 速度");
    const int before = label->GetWidth();
    label->GetFont()->SetSize(20);
    EXPECT_GT(label->GetWidth(), before);
    label->SetAutoSize(false);
    label->GetFont()->SetSize(8);
    EXPECT_GT(label->GetWidth(), before); // no longer follows
}

TEST_F(LabelTest, RightAlignedAutoSizeKeepsTheRightEdge) {
    TLabel* label = MakeLabel(100, 10, u"ab");
    label->SetAlignment(taRightJustify);
    const int right = label->GetLeft() + label->GetWidth();
    label->SetCaption(u"a much longer caption");
    EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);
}

TEST_F(LabelTest, WordWrapKeepsTheWidthAndGrowsDown) {
    TLabel* label = MakeLabel(10, 10, u"");
    label->SetAutoSize(false);
    label->SetWidth(80);
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    label->SetCaption(u"one two three four five six seven");
    EXPECT_EQ(label->GetWidth(), 80);
    const int line = Measure(label->GetFont(), u"one", DT_SINGLELINE).size.cy;
    EXPECT_GE(label->GetHeight(), 3 * line);
    EXPECT_EQ(
        label->GetHeight(),
        Measure(label->GetFont(), u"one two three four five six seven", DT_WORDBREAK, 80).size.cy);
}

TEST_F(LabelTest, AnEndEllipsisShowsWhatDrawTextCutsTheCaptionTo) {
    const char16_t* caption = u"AL.16 Encoder communication error エンコーダ通信異常";
    TLabel* cut = MakeLabel(10, 10, caption);
    cut->SetEllipsisPosition(epEndEllipsis);
    EXPECT_FALSE(cut->GetAutoSize());
    cut->SetWidth(120);
    Measured m = Measure(cut->GetFont(), caption, DT_SINGLELINE | DT_END_ELLIPSIS, 120);
    ASSERT_NE(m.shown, caption);
    ASSERT_NE(m.shown.find(u"..."), std::u16string::npos);
    // The same picture as a label that shows the cut text plainly...
    TLabel* plain = MakeLabel(10, 40, m.shown.c_str());
    plain->SetAutoSize(false);
    plain->SetBounds(10, 40, 120, cut->GetHeight());
    EXPECT_EQ(LabelPixels(cut), LabelPixels(plain));
    // ...and not the one of the whole caption clipped.
    TLabel* clipped = MakeLabel(10, 70, caption);
    clipped->SetAutoSize(false);
    clipped->SetBounds(10, 70, 120, cut->GetHeight());
    EXPECT_NE(LabelPixels(cut), LabelPixels(clipped));
}

TEST_F(LabelTest, AnOpaqueLabelFillsWithItsColourATransparentOneShowsTheParent) {
    TLabel* label = MakeLabel(10, 10, u"x");
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 60, 20);
    label->SetColor(clYellow);
    Pump();
    const RECT corner{50, 12, 52, 14}; // right of the text
    EXPECT_EQ(Pixels(form->GetHandle(), corner)[0], ColorToRGB(clYellow));
    label->SetTransparent(true);
    Pump();
    EXPECT_EQ(Pixels(form->GetHandle(), corner)[0], ColorToRGB(form->GetColor()));
}

TEST_F(LabelTest, ALabelTakesItsParentsFontUntilItHasItsOwn) {
    TLabel* label = MakeLabel(10, 10, u"Ready");
    form->GetFont()->SetSize(14);
    EXPECT_EQ(label->GetFont()->GetSize(), 14);
    label->GetFont()->SetColor(clRed);
    EXPECT_FALSE(label->GetParentFont());
    form->GetFont()->SetSize(9);
    EXPECT_EQ(label->GetFont()->GetSize(), 14);
}

// --- Edits
// ----------------------------------------------------------------------------------------

class EditTest : public StdControlsTest {
protected:
    TEdit* edit = nullptr;
    int changes = 0;
    void SetUp() override {
        StdControlsTest::SetUp();
        edit = Make<TEdit>(10, 10, 150, 21);
        edit->OnChange = [this](TObject*) { ++changes; };
    }
};

TEST_F(EditTest, TypingChangesTheTextWithAChangeEachKey) {
    Focus(edit);
    Type(u"3000 rpm");
    EXPECT_EQ(edit->GetText(), u"3000 rpm");
    EXPECT_EQ(changes, 8);
    EXPECT_TRUE(edit->GetModified());
    // Text from the program changes too, and clears Modified.
    edit->SetText(u"1500");
    EXPECT_EQ(changes, 9);
    EXPECT_FALSE(edit->GetModified());
    edit->SetText(u"1500"); // the same text: no change
    EXPECT_EQ(changes, 9);
}

TEST_F(EditTest, MaxLengthStopsTypingButNotTheProgram) {
    edit->SetMaxLength(4);
    Focus(edit);
    Type(u"123456");
    EXPECT_EQ(edit->GetText(), u"1234");
    edit->SetText(u"abcdefgh");
    EXPECT_EQ(edit->GetText(), u"abcdefgh");
}

TEST_F(EditTest, ReadOnlyRefusesTyping) {
    edit->SetText(u"fixed");
    edit->SetReadOnly(true);
    Focus(edit);
    Type(u"x");
    EXPECT_EQ(edit->GetText(), u"fixed");
    edit->SetReadOnly(false);
    Type(u"y");
    EXPECT_EQ(edit->GetText(), u"y"); // entered by the keyboard: all was selected
}

TEST_F(EditTest, SelectionCanBeReadAndReplaced) {
    edit->SetText(u"speed 3000");
    edit->SetSelStart(6);
    edit->SetSelLength(4);
    EXPECT_EQ(edit->GetSelText(), u"3000");
    edit->SetSelText(u"1500");
    EXPECT_EQ(edit->GetText(), u"speed 1500");
}

TEST_F(EditTest, ReadingADescriptionFiresNoChange) {
    auto* read = static_cast<TEdit*>(ObjectTextToComponent(
        uR"(TEdit E { Text = "1500"  MaxLength = 5  ReadOnly = true })", new TEdit(form)));
    int readChanges = 0;
    read->OnChange = [&](TObject*) { ++readChanges; };
    read->SetParent(form);
    EXPECT_EQ(read->GetText(), u"1500");
    EXPECT_EQ(SendMessageW(read->GetHandle(), EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_TRUE(GetWindowLongW(read->GetHandle(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(readChanges, 0);
}

TEST_F(EditTest, EnterAndExitFollowTheFocusInOrder) {
    auto* second = Make<TEdit>(10, 40, 150, 21);
    std::vector<std::string> log;
    edit->OnEnter = [&](TObject*) { log.push_back("enter 1"); };
    edit->OnExit = [&](TObject*) { log.push_back("exit 1"); };
    second->OnEnter = [&](TObject*) { log.push_back("enter 2"); };
    second->OnExit = [&](TObject*) { log.push_back("exit 2"); };
    Focus(edit);
    Key(VK_TAB);
    ClickAt(edit, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"enter 1", "exit 1", "enter 2", "exit 2", "enter 1"}));
}

TEST_F(EditTest, AlignmentPlacesTheTextAndTheCaretAndKeepsTheText) {
    edit->SetText(u"3000");
    Focus(edit);
    edit->SetSelStart(4);
    struct Case {
        TAlignment alignment;
        DWORD style;
    } cases[] = {{taRightJustify, ES_RIGHT}, {taCenter, ES_CENTER}, {taLeftJustify, ES_LEFT}};
    for (const Case& c : cases) {
        edit->SetAlignment(c.alignment);
        const HWND h = edit->GetHandle();
        EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (ES_CENTER | ES_RIGHT), c.style) << c.alignment;
        EXPECT_EQ(edit->GetText(), u"3000");
        RECT format;
        SendMessageW(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        auto x = [&](int i) { return short(LOWORD(SendMessageW(h, EM_POSFROMCHAR, i, 0))); };
        const int gapLeft = x(0) - format.left, gapRight = format.right - x(4);
        if (c.alignment == taRightJustify) EXPECT_LE(gapRight, 1);
        if (c.alignment == taCenter) EXPECT_NEAR(gapLeft, gapRight, 1);
        if (c.alignment == taLeftJustify) EXPECT_EQ(gapLeft, 0);
    }
    EXPECT_EQ(changes, 1) << "recreating the window is no change of the text";
    auto* read = static_cast<TEdit*>(ObjectTextToComponent(
        uR"(TEdit E { Alignment = taRightJustify })", new TEdit(form)));
    EXPECT_EQ(read->GetAlignment(), taRightJustify);
}

// --- Panels and group boxes ------------------------------------------------------------------

using ContainerTest = StdControlsTest;

TEST_F(ContainerTest, APanelsBevelsAndBorderNarrowItsClientArea) {
    auto* panel = Make<TPanel>(10, 10, 200, 100);
    panel->SetBevelInner(bvLowered);
    panel->SetBorderWidth(2);
    auto* inside = Make<TEdit>(0, 0, 10, 10, panel);
    inside->SetAlign(alClient);
    // Outer bevel 1, border 2, inner bevel 1.
    EXPECT_EQ(inside->GetBoundsRect(), TRect(4, 4, 196, 96));
    panel->SetBevelOuter(bvNone);
    EXPECT_EQ(inside->GetBoundsRect(), TRect(3, 3, 197, 97));
}

TEST_F(ContainerTest, APanelPaintsItsBevelsAndCaption) {
    auto* panel = Make<TPanel>(10, 10, 200, 40);
    panel->SetCaption(u"Ready 準備完了");
    panel->SetColor(clWhite);
    Pump();
    EXPECT_EQ(PixelAt(panel, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(panel, 199, 39), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(panel, 5, 5), ColorToRGB(clWhite));
    auto pixels = Pixels(panel->GetHandle(), RECT{1, 1, 199, 39});
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(),
                            [](COLORREF c) { return c != ColorToRGB(clWhite); }),
              20);
}

TEST_F(ContainerTest, AGroupBoxsControlsLieBelowItsCaption) {
    auto* box = Make<TGroupBox>(10, 10, 200, 100);
    box->SetCaption(u"Limits 制限");
    auto* inside = Make<TEdit>(0, 0, 10, 10, box);
    inside->SetAlign(alClient);
    const int line = Measure(box->GetFont(), u"0", DT_SINGLELINE).size.cy;
    EXPECT_GE(inside->GetTop(), line);
    EXPECT_LT(inside->GetTop(), line + 4);
    EXPECT_GT(inside->GetLeft(), 0);
    EXPECT_LT(inside->GetBoundsRect().bottom, 100);
}

} // namespace
