// Message sequences of window creation, showing, activation, sizing and
// destruction, as Windows sends them.
#include "MessageSequence.h"

#include <gtest/gtest.h>

using namespace conformance;

namespace {

class WindowSequence : public ::testing::Test {
protected:
    void SetUp() override { RegisterSequenceRecorder(); }
    void TearDown() override {
        Hook() = nullptr;
        for (HWND hwnd : made)
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        PumpPosted();
    }
    HWND Make(DWORD style, HWND parent = nullptr, RECT at = {10, 10, 210, 110}) {
        HWND hwnd = MakeRecorded(style, parent, at);
        made.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> made;
};

// What Windows sends while an active top-level window stops showing.
const std::vector<Expected> kHideActive = {
    {WM_WINDOWPOSCHANGING},
    {WM_WINDOWPOSCHANGED},
    {WM_NCACTIVATE, kWParam, FALSE},
    {WM_ACTIVATE, kWParam, WA_INACTIVE},
    {WM_ACTIVATEAPP, kWParam | kOptional, FALSE},
    {WM_KILLFOCUS, kWParam, 0},
};

} // namespace

TEST_F(WindowSequence, Creation) {
    struct Case {
        const char* what;
        DWORD style;
        std::vector<Expected> expected;
    } cases[] = {
        {"overlapped, hidden: no size or place before the first showing",
         WS_OVERLAPPEDWINDOW,
         {{WM_GETMINMAXINFO}, {WM_NCCREATE}, {WM_NCCALCSIZE, kWParam, FALSE}, {WM_CREATE}}},
        {"pop-up: size and place at once",
         WS_POPUP,
         {{WM_NCCREATE}, {WM_NCCALCSIZE, kWParam, FALSE}, {WM_CREATE}, {WM_SIZE, kWParam, SIZE_RESTORED},
          {WM_MOVE}}},
        {"sizable pop-up: asked for its limits first",
         WS_POPUP | WS_THICKFRAME,
         {{WM_GETMINMAXINFO}, {WM_NCCREATE}, {WM_NCCALCSIZE, kWParam, FALSE}, {WM_CREATE},
          {WM_SIZE, kWParam, SIZE_RESTORED}, {WM_MOVE}}},
    };
    for (const Case& c : cases) {
        Log().clear();
        Make(c.style);
        ExpectSequence(c.expected, c.what);
    }
    HWND parent = Make(WS_OVERLAPPEDWINDOW);
    Log().clear();
    HWND child = Make(WS_CHILD, parent, {1, 2, 31, 22});
    ExpectSequence({{WM_NCCREATE}, {WM_NCCALCSIZE, kWParam, FALSE}, {WM_CREATE},
                    {WM_SIZE, kWParam | kLParam, SIZE_RESTORED, MAKELPARAM(30, 20)},
                    {WM_MOVE, kLParam, 0, MAKELPARAM(1, 2)}},
                   "child", child);
}

TEST_F(WindowSequence, ShowingATopLevelWindowActivatesAndFocusesItBeforeItHearsItShows) {
    HWND top = Make(WS_OVERLAPPEDWINDOW);
    Log().clear();
    ShowWindow(top, SW_SHOW);
    ExpectSequence({{WM_SHOWWINDOW, kWParam, TRUE},
                    {WM_WINDOWPOSCHANGING},
                    {WM_ACTIVATEAPP, kWParam | kOptional, TRUE},
                    {WM_NCACTIVATE, kWParam, TRUE},
                    {WM_ACTIVATE, kWParam, WA_ACTIVE},
                    {WM_SETFOCUS, kWParam, 0},
                    {WM_WINDOWPOSCHANGED},
                    {WM_SIZE, kWParam, SIZE_RESTORED},
                    {WM_MOVE}},
                   "first showing");
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(GetFocus(), top);

    Log().clear();
    ShowWindow(top, SW_HIDE);
    std::vector<Expected> hide = kHideActive;
    hide.insert(hide.begin(), {WM_SHOWWINDOW, kWParam, FALSE});
    ExpectSequence(hide, "hiding the active window");
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowSequence, ShowingChildren) {
    HWND hidden = Make(WS_OVERLAPPEDWINDOW);
    HWND child = Make(WS_CHILD, hidden);
    Log().clear();
    ShowWindow(child, SW_SHOW);
    ExpectSequence({{WM_SHOWWINDOW, kWParam, TRUE}}, "child of a hidden parent");
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);

    HWND shown = Make(WS_POPUP | WS_VISIBLE);
    HWND other = Make(WS_CHILD, shown);
    Log().clear();
    ShowWindow(other, SW_SHOW);
    ExpectSequence({{WM_SHOWWINDOW, kWParam, TRUE}, {WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}},
                   "child of a shown parent");
}

TEST_F(WindowSequence, MovingAndSizing) {
    HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    struct Case {
        const char* what;
        RECT to;
        std::vector<Expected> expected;
    } cases[] = {
        {"move and size",
         {20, 30, 320, 230},
         {{WM_WINDOWPOSCHANGING}, {WM_GETMINMAXINFO, kOptional}, {WM_NCCALCSIZE, kWParam, TRUE},
          {WM_WINDOWPOSCHANGED}, {WM_MOVE}, {WM_SIZE, kWParam, SIZE_RESTORED}}},
        {"move only",
         {40, 50, 340, 250},
         {{WM_WINDOWPOSCHANGING}, {WM_NCCALCSIZE, kWParam, TRUE}, {WM_WINDOWPOSCHANGED}, {WM_MOVE}}},
    };
    for (const Case& c : cases) {
        Log().clear();
        MoveWindow(top, c.to.left, c.to.top, c.to.right - c.to.left, c.to.bottom - c.to.top, TRUE);
        ExpectSequence(c.expected, c.what, top);
    }
}

TEST_F(WindowSequence, DestroyingTheActiveWindowHidesAndDeactivatesItWithoutWmShowWindow) {
    HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_EQ(GetFocus(), top);
    Log().clear();
    DestroyWindow(top);
    std::vector<Expected> expected = kHideActive;
    expected.push_back({WM_DESTROY});
    expected.push_back({WM_NCDESTROY});
    ExpectSequence(expected, "destroy");
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowSequence, HidingTheActiveWindowActivatesItsOwner) {
    HWND owner = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND owned = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, owner);
    ASSERT_EQ(GetActiveWindow(), owned);
    Log().clear();
    ShowWindow(owned, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetFocus(), owner);
    ExpectSequence({{WM_WINDOWPOSCHANGING, kOptional},
                    {WM_WINDOWPOSCHANGED, kOptional},
                    {WM_NCACTIVATE, kWParam, TRUE},
                    {WM_ACTIVATE, kWParam, WA_ACTIVE},
                    {WM_SETFOCUS}},
                   "owner", owner);
}
