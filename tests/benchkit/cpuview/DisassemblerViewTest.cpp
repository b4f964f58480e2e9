// The disassembly view against a scripted host: texts without a host, row
// walks forward and back over labels, additional and source rows, selection
// and scrolling, the rows painted, and what the cache keeps.
#include "CPUViewTestSupport.h"

namespace {

class DisassemblerViewTest : public CPUViewTest {
protected:
    // A view without a border on a shown form, Rows rows high (the last one
    // only partly visible).
    TDisassemblerView* MakeView(int Rows = 10) {
        TForm* form = ShownForm(700, 400);
        Form = form;
        auto* view = new TDisassemblerView(form);
        view->SetBorderStyle(bsNone);
        Place(view, 600, 100);
        view->SetHeight(view->GetLineHeight() * (Rows - 1) + view->GetLineHeight() / 2);
        Pump();
        return view;
    }
    // The program most tests look at: rows 0x100, 0x101, label+0x103,
    // two additional rows+0x108, 0x109, then one-byte unknowns.
    void ScriptSmallProgram() {
        Host.Code = {{0x100, {u"push ebp", 1}},
                     {0x101, {u"mov ebp, esp", 2}},
                     {0x103, {u"call 0x2000", 5}},
                     {0x108, {u"ret", 1}},
                     {0x109, {u"nop", 1}}};
        Host.Labels[0x103] = u"start";
        Host.Additional[0x108] = {u"; a\n; b", 2};
    }
    TForm* Form = nullptr;
    ScriptedHost Host;
};

TEST_F(DisassemblerViewTest, WithoutAHostEveryByteIsAnUnknownInstruction) {
    auto* view = new TDisassemblerView(Application);
    struct Case {
        TAddressSize size;
        int64_t address;
        const char16_t* text;
    } cases[] = {
        {as32, 0x1234, u"00001234 ????"},
        {as32, 0x100000010, u"00000010 ????"}, // the low 32 bits
        {as64, 0x100000010, u"0000000100000010 ????"},
    };
    for (const Case& c : cases) {
        view->SetAddressSize(c.size);
        int64_t address = c.address;
        UnicodeString text;
        view->DisassembleAt(address, text);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(address, c.address + 1);
        EXPECT_EQ(view->GetNextAddr(c.address), c.address + 1);
        EXPECT_EQ(view->GetPrevAddr(c.address), c.address - 1);
    }
}

TEST_F(DisassemblerViewTest, GoForwardCountsLabelAndAdditionalRows) {
    TDisassemblerView* view = MakeView();
    ScriptSmallProgram();
    Host.Attach(view);
    struct Case {
        int32_t count;
        int64_t from, expected;
    } cases[] = {
        {0, 0x100, 0x100}, {1, 0x100, 0x101}, {2, 0x100, 0x103},
        {3, 0x100, 0x103}, {4, 0x100, 0x108}, {6, 0x100, 0x108},
        {7, 0x100, 0x109}, {1, 0x103, 0x103}, {1, 0x101, 0x103},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view->GoForward(c.count, c.from), c.expected) << c.count << " from " << c.from;
}

TEST_F(DisassemblerViewTest, GoBackCountsTheSourceRowAboveALineInEveryPartOfTheSpace) {
    struct Case {
        TAddressSize size;
        int64_t line; // first address of a 16-byte source line
        bool withSource;
        int64_t expected; // two rows above the line's second byte
    } cases[] = {
        {as32, 0x1000, true, 0x1000},
        {as32, 0x1000, false, 0x0FFF},
        {as32, 0x80001000, true, 0x80001000}, // upper half of the 32-bit space
        {as64, 0x100001000, true, 0x100001000},
    };
    for (const Case& c : cases) {
        auto* view = new TDisassemblerView(Application);
        ScriptedHost host;
        if (c.withSource) host.Lines = {{c.line, 16, 1, 7, u"x++;"}};
        host.Attach(view);
        view->SetAddressSize(c.size);
        EXPECT_EQ(view->GoBack(2, c.line + 1), c.expected) << std::hex << c.line;
        EXPECT_EQ(view->GoBack(1, c.line + 2), c.line + 1);
        delete view;
    }
}

TEST_F(DisassemblerViewTest, AnInstructionOfNoSizeIsAskedForAgain) {
    auto* view = new TDisassemblerView(Application);
    int calls = 0;
    int32_t size = 0;
    view->OnDisassemble = [&](TObject*, int64_t& Address, UnicodeString& Text, int32_t& InstSize) {
        ++calls;
        Text = u"?";
        InstSize = size;
        ++Address;
    };
    for (int32_t s : {0, 2}) {
        size = s;
        calls = 0;
        for (int i = 0; i < 2; ++i) {
            int64_t address = 0x40 + s;
            UnicodeString text;
            view->DisassembleAt(address, text);
        }
        EXPECT_EQ(calls, s == 0 ? 2 : 1) << "size " << s;
    }
}

TEST_F(DisassemblerViewTest, RowTextsOfSourceLabelAndAdditionalRows) {
    TDisassemblerView* view = MakeView();
    Host.Code = {{0x200, {u"mov [x], 1", 4}},
                 {0x300, {u"ret", 1}},
                 {0x400, {u"nop", 1}},
                 {0x500, {u"int3", 1}}};
    Host.Files[1] = u"C:\\src\\main.c";
    Host.Lines = {
        {0x200, 4, 1, 12, u"int x = 1;"}, {0x300, 1, 1, 13, u""}, {0x400, 1, 2, 5, u"y();"}};
    Host.Labels[0x300] = u"entry";
    Host.Additional[0x500] = {u"; one\n; two", 3};
    Host.Attach(view);
    struct Case {
        int64_t address;
        bool mixed;
        const char16_t* text;
    } cases[] = {
        {0x200, true, u"main.c.12: int x = 1;\r\nmov [x], 1"},
        {0x200, false, u"mov [x], 1"},
        {0x300, true, u"entry:\r\nret"}, // no source text: the label instead
        {0x400, true, u"<unknown file>.5: y();\r\nnop"},
        {0x500, true, u"; one\r\n; two\r\n; two\r\nint3"}, // three rows from two lines
    };
    for (const Case& c : cases) {
        view->SetMixedSource(c.mixed);
        view->InternalSetSelectedAddress(c.address);
        EXPECT_EQ(view->GetSelectedText(), c.text) << std::hex << c.address;
    }
}

TEST_F(DisassemblerViewTest, CopyingASelectionLeavesThePaintedRowsAlone) {
    TDisassemblerView* view = MakeView();
    ScriptSmallProgram();
    Host.Attach(view);
    view->SetTopAddress(0x100);
    Pump();
    ASSERT_EQ(view->GetRowAddress(2), 0x103);
    view->InternalSetSelectedAddress(0x108);
    view->SetEndSelectionAddress(0x101);
    EXPECT_EQ(view->GetSelectedText(),
              u"mov ebp, esp\r\nstart:\r\ncall 0x2000\r\n; a\r\n; b\r\nret");
    view->InternalSetSelectedAddress(0x500);
    view->GetSelectedText(); // off screen: made as if in row 0
    const int64_t rows[] = {0x100, 0x101, 0x103, 0x103, 0x108, 0x108, 0x108, 0x109};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(view->GetRowAddress(i), rows[i]) << i;
}

TEST_F(DisassemblerViewTest, SelectingNearTheBottomScrollsByRowsAndFarAwayJumps) {
    TDisassemblerView* view = MakeView();
    const int32_t lines = view->GetLineCount();
    const int64_t top = 0x1000;
    const int64_t bottom = top + lines - 1; // the partly visible last row
    struct Case {
        int64_t select, expectedTop;
    } cases[] = {
        {top + 2, top},
        {bottom, top + 1},
        {bottom + 1, top + 2},
        {0x5000, 0x5000},
    };
    for (const Case& c : cases) {
        view->SetTopAddress(top);
        view->InternalSetSelectedAddress(top);
        Pump();
        ASSERT_EQ(view->GetBottomAddress(), bottom);
        int64_t reported = -1;
        view->OnAddressChanged = [&](TObject*, int64_t Address) { reported = Address; };
        view->SetSelectedAddress(c.select);
        EXPECT_EQ(view->GetTopAddress(), c.expectedTop) << std::hex << c.select;
        EXPECT_EQ(reported, c.select);
    }
}

TEST_F(DisassemblerViewTest, PaintingStopsAtAGroupThatDoesNotFit) {
    TDisassemblerView* view = MakeView(10);
    const int32_t lines = view->GetLineCount();
    const int64_t crossing = 0x100 + lines - 3; // its three extra rows fill the screen
    Host.Additional[crossing] = {u"a\nb\nc", 3};
    Host.Attach(view);
    view->SetTopAddress(0x100);
    Pump();
    EXPECT_EQ(view->GetBottomAddress(), crossing);
    EXPECT_EQ(view->GetRowAddress(lines - 1), crossing);
}

TEST_F(DisassemblerViewTest, SelectionBreakpointAndGutterColours) {
    TDisassemblerView* view = MakeView();
    auto* other = new TDisassemblerView(Form);
    other->SetParent(Form);
    other->SetBounds(0, 200, 50, 50);
    Host.Breakpoints = {0x1002};
    Host.Attach(view);
    int gutters = 0;
    view->OnPaintGutter = [&](TObject*, int64_t, TCanvas* Canvas, const TRect& R, bool) {
        ++gutters;
        Canvas->FillRect(R);
    };
    view->SetTopAddress(0x1000);
    view->InternalSetSelectedAddress(0x1000);
    view->SetFocus();
    Pump();
    const int h = view->GetLineHeight();
    const int x = 250; // right of every text, left of the scroll bar
    EXPECT_EQ(PixelAt(view, x, h / 2), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(view, x, h + h / 2), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(view, x, 2 * h + h / 2), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(view, 5, h / 2), ColorToRGB(clBtnFace)); // the gutter keeps the colour
    EXPECT_GT(gutters, 0);

    other->SetFocus();
    Pump();
    EXPECT_EQ(PixelAt(view, x, h / 2), ColorToRGB(clInactiveCaption));

    // Scrolled further right than the gutter is wide, the gutter is not painted.
    view->SetFocus();
    view->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40));
    ASSERT_EQ(view->GetLeftCol(), 40);
    gutters = 0;
    view->Invalidate();
    Pump();
    EXPECT_EQ(gutters, 0);
}

TEST_F(DisassemblerViewTest, KeysMoveTheSelectionByPaintedRows) {
    TDisassemblerView* view = MakeView();
    ScriptSmallProgram();
    Host.Attach(view);
    view->SetTopAddress(0x100);
    view->InternalSetSelectedAddress(0x101);
    view->SetFocus();
    Pump();
    struct Step {
        int vk;
        bool ctrl;
        int64_t selected, top;
    } steps[] = {
        {VK_DOWN, false, 0x103, 0x100},
        {VK_DOWN, false, 0x108, 0x100},
        {VK_UP, false, 0x103, 0x100},
        {VK_UP, false, 0x101, 0x100},
        {VK_UP, false, 0x100, 0x100},
        {VK_RIGHT, true, 0x101, 0x101}, // the selection follows the top
        {VK_RIGHT, true, 0x102, 0x102},
    };
    for (const Step& s : steps) {
        if (s.ctrl) TestSeams::KeyDown(VK_CONTROL);
        TestSeams::KeyPress(s.vk);
        if (s.ctrl) TestSeams::KeyUp(VK_CONTROL);
        Pump();
        EXPECT_EQ(view->GetSelectedAddress(), s.selected) << s.vk;
        EXPECT_EQ(view->GetTopAddress(), s.top) << s.vk;
    }
}

TEST_F(DisassemblerViewTest, TheCacheIsEmptiedByDisablingAndByANarrowerDisplay) {
    TDisassemblerView* view = MakeView();
    Host.Attach(view);
    view->SetTopAddress(0x9000); // keep painting away from the address asked
    Pump();
    auto ask = [&] {
        Host.Disassembled = 0;
        int64_t address = 0x100;
        UnicodeString text;
        view->DisassembleAt(address, text);
        return Host.Disassembled;
    };
    EXPECT_EQ(ask(), 1);
    EXPECT_EQ(ask(), 0);
    view->SetDisableCaching(true);
    EXPECT_EQ(ask(), 1);
    EXPECT_EQ(ask(), 1);
    view->SetDisableCaching(false);
    EXPECT_EQ(ask(), 1);
    EXPECT_EQ(ask(), 0);
    ASSERT_FALSE(view->GetSmallDisplay());
    view->SetWidth(60);
    Pump();
    EXPECT_TRUE(view->GetSmallDisplay());
    EXPECT_EQ(ask(), 1);
}

} // namespace
