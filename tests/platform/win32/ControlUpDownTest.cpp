// The up-down control: range and position through its buddy's text, the
// steps the parent may refuse or change, wrapping, the held button's repeat
// with growing steps, and the buddy's arrow keys.
#include "ControlTestSupport.h"

#include <win32/commctrl.h>

namespace {

class ControlUpDownTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        Hook() = [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent || msg != WM_NOTIFY) return false;
            auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
            if (nm->hdr.code != UDN_DELTAPOS) return false;
            asked.push_back({nm->iPos, nm->iDelta});
            if (changeDelta) nm->iDelta = changeDelta;
            result = refuse ? 1 : 0;
            return true;
        };
    }
    HWND MakeEdit(const char16_t* text = u"") {
        return Make(u"Edit", text, WS_BORDER, 10, 10, 100, 24, 101);
    }
    HWND MakeUpDown(DWORD style, int lower, int upper, int pos) {
        HWND ud = Make(UPDOWN_CLASS, u"", style, 0, 0, 16, 30, 102);
        Send(ud, UDM_SETRANGE32, static_cast<WPARAM>(lower), upper);
        Send(ud, UDM_SETPOS32, 0, pos);
        Log().clear();
        asked.clear();
        return ud;
    }
    int Pos(HWND ud, BOOL* error = nullptr) {
        return static_cast<int>(Send(ud, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
    }
    // The scroll codes the parent was sent, with the position they carried.
    std::vector<std::pair<int, int>> Scrolls(UINT msg = WM_VSCROLL) const {
        std::vector<std::pair<int, int>> out;
        for (const Recorded& r : Log())
            if (r.hwnd == parent && r.msg == msg)
                out.push_back({LOWORD(r.wParam), static_cast<short>(HIWORD(r.wParam))});
        return out;
    }
    void ClickButton(HWND ud, bool upper) {
        RECT r;
        GetClientRect(ud, &r);
        const bool horz = (GetWindowLongW(ud, GWL_STYLE) & UDS_HORZ) != 0;
        const int x = horz ? (upper ? r.right - 3 : 3) : r.right / 2;
        const int y = horz ? r.bottom / 2 : (upper ? 3 : r.bottom - 3);
        Click(ud, x, y);
    }

    std::vector<std::pair<int, int>> asked; // UDN_DELTAPOS: position and step
    bool refuse = false;
    int changeDelta = 0;
};

TEST_F(ControlUpDownTest, BuddyShowsThePositionAndIsReadBack) {
    HWND edit = MakeEdit();
    HWND ud = Make(UPDOWN_CLASS, u"", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 16,
                   10, 102);
    EXPECT_EQ(reinterpret_cast<HWND>(Send(ud, UDM_GETBUDDY)), edit);
    // It sits inside the buddy's old bounds, on its right edge and as tall as it.
    RECT e, u;
    GetWindowRect(edit, &e);
    GetWindowRect(ud, &u);
    EXPECT_EQ(u.right, e.right + 16);
    EXPECT_EQ(u.left, e.right);
    EXPECT_EQ(u.bottom - u.top, 24);
    EXPECT_EQ(e.right - e.left, 100 - 16);

    Send(ud, UDM_SETRANGE32, static_cast<WPARAM>(-5000), 5000);
    int lower = 0, upper = 0;
    Send(ud, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, -5000);
    EXPECT_EQ(upper, 5000);
    Send(ud, UDM_SETPOS32, 0, -1234);
    EXPECT_EQ(Text(edit), u"-1,234");
    EXPECT_EQ(Send(ud, UDM_SETPOS32, 0, 9000), -1234); // clamped; answers the old one
    EXPECT_EQ(Text(edit), u"5,000");

    struct Case {
        const char16_t* text;
        int pos;
        BOOL error;
    } cases[] = {
        {u"42", 42, FALSE},         {u"1,200", 1200, FALSE}, {u"-7", -7, FALSE},
        {u"abc", -7, TRUE},         {u"6000", -7, TRUE},     {u"", -7, TRUE},
        {u"99999999999", -7, TRUE},
    };
    for (const Case& c : cases) {
        SetWindowTextW(edit, c.text);
        BOOL error = 2;
        EXPECT_EQ(Pos(ud, &error), c.pos) << Text(edit).size();
        EXPECT_EQ(error, c.error);
    }
    Send(ud, UDM_SETPOS32, 0, 255);
    SetWindowLongW(ud, GWL_STYLE, GetWindowLongW(ud, GWL_STYLE) | UDS_NOTHOUSANDS);
    Send(ud, UDM_SETPOS32, 0, 4096);
    EXPECT_EQ(Text(edit), u"4096");
    EXPECT_EQ(Send(ud, UDM_SETBASE, 16), 10);
    EXPECT_EQ(Text(edit), u"0x1000");
    SetWindowTextW(edit, u"0x1F");
    EXPECT_EQ(Pos(ud), 31);
    EXPECT_EQ(Send(ud, UDM_SETBASE, 8), 0); // refused
}

TEST_F(ControlUpDownTest, StepsAskTheParentAndStayInTheRange) {
    struct Case {
        const char* name;
        DWORD style;
        int lower, upper, pos;
        bool upperButton;
        bool refuse;
        int changeDelta;
        int askedDelta, after;
    } cases[] = {
        {"up", 0, 0, 10, 5, true, false, 0, 1, 6},
        {"down", 0, 0, 10, 5, false, false, 0, -1, 4},
        {"at the top", 0, 0, 10, 10, true, false, 0, 1, 10},
        {"wraps at the top", UDS_WRAP, 0, 10, 10, true, false, 0, 1, 0},
        {"wraps at the bottom", UDS_WRAP, 0, 10, 0, false, false, 0, -1, 10},
        {"refused", 0, 0, 10, 5, true, true, 0, 1, 5},
        {"parent's step", 0, 0, 10, 5, true, false, 3, 1, 8},
        {"parent's step past the end", 0, 0, 10, 5, true, false, 30, 1, 10},
        {"reversed range: up goes to upper", 0, 10, 0, 5, true, false, 0, -1, 4},
        {"horizontal right", UDS_HORZ, 0, 10, 5, true, false, 0, 1, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND ud = MakeUpDown(c.style, c.lower, c.upper, c.pos);
        refuse = c.refuse;
        changeDelta = c.changeDelta;
        ClickButton(ud, c.upperButton);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0], std::make_pair(c.pos, c.askedDelta));
        EXPECT_EQ(Pos(ud), c.after);
        const UINT msg = (c.style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        std::vector<std::pair<int, int>> expected;
        if (!c.refuse) expected.push_back({SB_THUMBPOSITION, c.after});
        expected.push_back({SB_ENDSCROLL, c.after});
        EXPECT_EQ(Scrolls(msg), expected);
        DestroyWindow(ud);
    }
}

TEST_F(ControlUpDownTest, HeldButtonRepeatsWithGrowingSteps) {
    HWND ud = MakeUpDown(0, 0, 1000, 0);
    UDACCEL table[] = {{0, 1}, {1, 10}};
    EXPECT_TRUE(Send(ud, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(table)));
    UDACCEL back[4] = {};
    EXPECT_EQ(Send(ud, UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(back)), 2);
    EXPECT_EQ(back[1].nInc, 10u);

    TestSeams::MouseDown(TestSeams::ClientPoint(ud, 8, 3));
    Pump();
    EXPECT_EQ(Pos(ud), 1);
    TestSeams::AdvanceClock(399);
    Pump();
    EXPECT_EQ(Pos(ud), 1); // not yet repeating
    TestSeams::AdvanceClock(1);
    Pump();
    EXPECT_EQ(Pos(ud), 2);
    for (int i = 0; i < 5; ++i) {
        TestSeams::AdvanceClock(100);
        Pump();
    }
    EXPECT_EQ(Pos(ud), 7); // 900 ms held: still steps of one
    TestSeams::AdvanceClock(100);
    Pump();
    EXPECT_EQ(Pos(ud), 17); // a second held: steps of ten
    TestSeams::MouseUp(TestSeams::ClientPoint(ud, 8, 3));
    Pump();
    TestSeams::AdvanceClock(1000);
    Pump();
    EXPECT_EQ(Pos(ud), 17); // letting go stops it
    EXPECT_EQ(Scrolls().back(), std::make_pair(static_cast<int>(SB_ENDSCROLL), 17));
}

TEST_F(ControlUpDownTest, BuddysArrowKeysStepOnlyWithArrowKeysStyle) {
    for (DWORD style : {DWORD{0}, DWORD{UDS_ARROWKEYS}}) {
        HWND edit = MakeEdit();
        HWND ud = Make(UPDOWN_CLASS, u"", UDS_AUTOBUDDY | UDS_SETBUDDYINT | style, 0, 0, 16, 30);
        Send(ud, UDM_SETRANGE32, 0, 10);
        Send(ud, UDM_SETPOS32, 0, 3);
        SetFocus(edit);
        Press(VK_UP);
        Press(VK_UP);
        Press(VK_DOWN);
        EXPECT_EQ(Text(edit), style ? u"4" : u"3") << style;
        EXPECT_EQ(Pos(ud), style ? 4 : 3);
        // The buddy keeps working once the up-down has gone.
        DestroyWindow(ud);
        Type(u"7");
        EXPECT_NE(Text(edit).find(u'7'), std::u16string::npos);
        DestroyWindow(edit);
    }
}

} // namespace
