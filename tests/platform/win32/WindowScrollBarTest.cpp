#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <climits>
#include <thread>

namespace {

struct Scroll {
    HWND to;
    UINT msg;
    int code;
    int pos;
    LPARAM lParam;
    bool operator==(const Scroll& o) const {
        return to == o.to && msg == o.msg && code == o.code && pos == o.pos && lParam == o.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Scroll& s) {
    return out << "{msg " << s.msg << " code " << s.code << " pos " << s.pos << "}";
}

std::vector<Scroll> Scrolls() {
    std::vector<Scroll> out;
    for (const Recorded& r : Log())
        if (r.msg == WM_VSCROLL || r.msg == WM_HSCROLL)
            out.push_back(
                {r.hwnd, r.msg, LOWORD(r.wParam), static_cast<short>(HIWORD(r.wParam)), r.lParam});
    return out;
}

class ScrollBars : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorder();
        // A bare pop-up: its vertical bar is x 184..200 of the window; the arrows
        // are 16 high, the track 118.
        window = MakeWindow(WS_POPUP | WS_VISIBLE | WS_VSCROLL, nullptr, 100, 100, 200, 150);
        Pump();
        Log().clear();
    }
    void TearDown() override {
        Hook() = nullptr;
        DestroyWindow(window);
        Pump();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    void SetBar(int min, int max, UINT page, int pos) {
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, pos, 0};
        SetScrollInfo(window, SB_VERT, &si, TRUE);
    }
    POINT Bar(int y) { return {100 + 192, 100 + y}; }
    HWND window = nullptr;
};

} // namespace

TEST_F(ScrollBars, SetScrollInfoClampsPageAndPositionAsWindowsDoes) {
    struct Case {
        int min, max;
        UINT page;
        int pos;
        UINT pageAfter;
        int posAfter;
    };
    const Case cases[] = {
        {0, 100, 10, 50, 10, 50},  {0, 100, 10, 95, 10, 91},  {0, 100, 0, 150, 0, 100},
        {0, 100, 0, -5, 0, 0},     {0, 100, 200, 50, 101, 0}, {10, 20, 0, 5, 0, 10},
        {-50, 50, 20, 40, 20, 31}, {0, 0, 0, 3, 0, 0},        {0, 9, 10, 5, 10, 0},
        {5, 1, 3, 4, 0, 5}, // an upside-down range holds nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.min << ".." << c.max << " page " << c.page << " pos " << c.pos);
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                      c.min,     c.max,
                      c.page,    c.pos,
                      0};
        EXPECT_EQ(SetScrollInfo(window, SB_VERT, &si, FALSE), c.posAfter);
        SCROLLINFO out{sizeof out, SIF_ALL, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &out));
        EXPECT_EQ(out.nMin, c.min);
        EXPECT_EQ(out.nMax, c.max);
        EXPECT_EQ(out.nPage, c.pageAfter);
        EXPECT_EQ(out.nPos, c.posAfter);
        EXPECT_EQ(out.nTrackPos, c.posAfter);
    }
    // A new page alone re-clamps the position.
    SetBar(0, 100, 0, 100);
    SCROLLINFO page{sizeof page, SIF_PAGE, 0, 0, 50, 0, 0};
    EXPECT_EQ(SetScrollInfo(window, SB_VERT, &page, FALSE), 51);
}

TEST_F(ScrollBars, PositionAndRangeCallsWorkOnTheSameValues) {
    int min = -1, max = -1;
    ASSERT_TRUE(GetScrollRange(window, SB_VERT, &min, &max));
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 100); // a window's bars start with 0..100
    EXPECT_EQ(SetScrollPos(window, SB_VERT, 60, TRUE), 0);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 60);
    EXPECT_TRUE(SetScrollRange(window, SB_VERT, 0, 20, TRUE));
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 20);
    EXPECT_FALSE(SetScrollRange(window, SB_VERT, INT_MIN, INT_MAX, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SCROLLBAR_RANGE));
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    // The bars come into being together: the horizontal one has the default range.
    ASSERT_TRUE(GetScrollInfo(window, SB_HORZ, &si));
    EXPECT_EQ(si.nMax, 100);
}

TEST_F(ScrollBars, BarsComeAndGoWithTheRangeAndTheClientAreaFollows) {
    HWND plain = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 200, 100);
    RECT client;
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_FALSE(GetScrollInfo(plain, SB_VERT, &si));

    SCROLLINFO big{sizeof big, SIF_RANGE | SIF_PAGE, 0, 99, 10, 0, 0};
    SetScrollInfo(plain, SB_VERT, &big, TRUE);
    EXPECT_TRUE(GetWindowLongW(plain, GWL_STYLE) & WS_VSCROLL);
    GetClientRect(plain, &client);
    EXPECT_EQ(client.right, 200 - GetSystemMetrics(SM_CXVSCROLL));

    SCROLLINFO small{sizeof small, SIF_RANGE | SIF_PAGE, 0, 9, 10, 0, 0};
    SetScrollInfo(plain, SB_VERT, &small, TRUE);
    EXPECT_FALSE(GetWindowLongW(plain, GWL_STYLE) & WS_VSCROLL);
    GetClientRect(plain, &client);
    EXPECT_EQ(client.right, 200);

    // With SIF_DISABLENOSCROLL the bar stays, disabled.
    SetScrollInfo(plain, SB_VERT, &big, TRUE);
    small.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(plain, SB_VERT, &small, TRUE);
    EXPECT_TRUE(GetWindowLongW(plain, GWL_STYLE) & WS_VSCROLL);
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetScrollBarInfo(plain, OBJID_VSCROLL, &info));
    EXPECT_TRUE(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    SetScrollInfo(plain, SB_VERT, &big, TRUE);
    ASSERT_TRUE(GetScrollBarInfo(plain, OBJID_VSCROLL, &info));
    EXPECT_FALSE(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(info.rcScrollBar.left, 200 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(info.dxyLineButton, GetSystemMetrics(SM_CYVSCROLL));
    DestroyWindow(plain);
}

TEST_F(ScrollBars, ShowScrollBarTogglesTheStylesAndRecalculatesTheFrame) {
    HWND plain = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 200, 100);
    Log().clear();
    ASSERT_TRUE(ShowScrollBar(plain, SB_BOTH, TRUE));
    EXPECT_EQ(GetWindowLongW(plain, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL),
              WS_HSCROLL | WS_VSCROLL);
    EXPECT_EQ(Messages({WM_NCCALCSIZE}, plain).size(), 1u);
    RECT client;
    GetClientRect(plain, &client);
    EXPECT_EQ(client.right, 184);
    EXPECT_EQ(client.bottom, 84);
    ShowScrollBar(plain, SB_HORZ, FALSE);
    GetClientRect(plain, &client);
    EXPECT_EQ(client.right, 184);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_FALSE(ShowScrollBar(plain, 7, TRUE));
    DestroyWindow(plain);
}

TEST_F(ScrollBars, ClicksOnArrowsAndTrackSendTheirCodes) {
    SetBar(0, 99, 20, 50); // thumb 23 long at 75..98
    struct Case {
        int y;
        int code;
    };
    const Case cases[] = {{5, SB_LINEUP}, {140, SB_LINEDOWN}, {40, SB_PAGEUP}, {120, SB_PAGEDOWN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y);
        Log().clear();
        EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(Bar(c.y).x, Bar(c.y).y)),
                  HTVSCROLL);
        TestSeams::Click(Bar(c.y));
        Pump();
        EXPECT_EQ(Scrolls(), (std::vector<Scroll>{{window, WM_VSCROLL, c.code, 0, 0},
                                                  {window, WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
        EXPECT_EQ(GetCapture(), nullptr);
    }
    // A disabled bar takes no clicks.
    EnableScrollBar(window, SB_VERT, ESB_DISABLE_BOTH);
    Log().clear();
    TestSeams::Click(Bar(140));
    Pump();
    EXPECT_TRUE(Scrolls().empty());
}

TEST_F(ScrollBars, DraggingTheThumbTracksThenSetsThePosition) {
    SetBar(0, 99, 20, 0); // thumb at 16..39, 95 pixels of travel for 80 positions
    std::vector<int> trackPosSeen;
    Hook() = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
        if (msg == WM_VSCROLL && LOWORD(wParam) == SB_THUMBTRACK) {
            SCROLLINFO si{sizeof si, SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd, SB_VERT, &si);
            trackPosSeen.push_back(si.nTrackPos);
            EXPECT_EQ(si.nPos, 0); // the window moves the position itself, later
        }
        return false;
    };
    TestSeams::MouseDown(Bar(20));
    TestSeams::MouseMove(Bar(60));
    TestSeams::MouseMove(Bar(145)); // past the end: the thumb stops at the bottom
    TestSeams::MouseUp(Bar(145));
    Pump();
    EXPECT_EQ(Scrolls(), (std::vector<Scroll>{{window, WM_VSCROLL, SB_THUMBTRACK, 34, 0},
                                              {window, WM_VSCROLL, SB_THUMBTRACK, 80, 0},
                                              {window, WM_VSCROLL, SB_THUMBPOSITION, 80, 0},
                                              {window, WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
    EXPECT_EQ(trackPosSeen, (std::vector<int>{34, 80}));
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(window, SB_VERT, &si);
    EXPECT_EQ(si.nTrackPos, 0); // no longer tracking: the position
}

TEST_F(ScrollBars, AHeldArrowRepeatsOnTheClock) {
    TestSeams::UseManualClock(10000);
    SetBar(0, 99, 20, 0);
    TestSeams::MouseDown(Bar(140));
    std::thread user([this] {
        // 250 ms to the first repeat, then every 50 ms.
        for (int step : {249, 1, 50, 50}) {
            TestSeams::WaitForClockWaiters(1);
            TestSeams::AdvanceClock(step);
        }
        TestSeams::WaitForClockWaiters(1);
        TestSeams::MouseUp(Bar(140));
    });
    Pump(); // runs the bar's loop until the button comes up
    user.join();
    TestSeams::UseRealClock();
    int lines = 0;
    for (const Scroll& s : Scrolls())
        lines += s.code == SB_LINEDOWN;
    EXPECT_EQ(lines, 4);
    EXPECT_EQ(Scrolls().back().code, SB_ENDSCROLL);
}

TEST_F(ScrollBars, TheScrollBarControlNotifiesItsParent) {
    HWND control =
        CreateWindowExW(0, u"ScrollBar", nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ, 10, 10, 150, 16,
                        window, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    ASSERT_TRUE(control);
    int min = -1, max = -1;
    GetScrollRange(control, SB_CTL, &min, &max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 0); // a control starts empty
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 10, 2, 4, 0};
    EXPECT_EQ(SetScrollInfo(control, SB_CTL, &si, TRUE), 4);
    EXPECT_EQ(SetScrollPos(control, SB_CTL, 20, TRUE), 4);
    EXPECT_EQ(GetScrollPos(control, SB_CTL), 9);
    Log().clear();
    TestSeams::Click(TestSeams::ClientPoint(control, 145, 8)); // the right arrow
    Pump();
    EXPECT_EQ(Scrolls(),
              (std::vector<Scroll>{
                  {window, WM_HSCROLL, SB_LINERIGHT, 0, reinterpret_cast<LPARAM>(control)},
                  {window, WM_HSCROLL, SB_ENDSCROLL, 0, reinterpret_cast<LPARAM>(control)}}));
    EXPECT_FALSE(UnregisterClassW(u"ScrollBar", nullptr));
}
