#include "WindowTestSupport.h"

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

namespace {

class WindowInput : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorder();
        top = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 100, 100, 300, 200);
        child = MakeWindow(WS_CHILD | WS_VISIBLE, top, 10, 10, 100, 50);
        Pump();
        Log().clear();
    }
    void TearDown() override {
        DestroyWindow(top);
        Pump();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    std::u16string Chars(HWND hwnd) {
        std::u16string out;
        for (const Recorded& r : Log())
            if (r.hwnd == hwnd && r.msg == WM_CHAR) out.push_back(static_cast<char16_t>(r.wParam));
        return out;
    }
    HWND top = nullptr;
    HWND child = nullptr;
};

} // namespace

TEST_F(WindowInput, AClickReachesTheWindowUnderTheMouseInClientCoordinates) {
    SetActiveWindow(nullptr);
    Log().clear();
    TestSeams::Click(TestSeams::ClientPoint(child, 5, 7));
    Pump();
    EXPECT_EQ(Messages({WM_MOUSEACTIVATE, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}, child),
              (std::vector<UINT>{WM_MOUSEACTIVATE, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    for (const Recorded& r : Log())
        if (r.hwnd == child && r.msg == WM_LBUTTONDOWN) {
            EXPECT_EQ(GET_X_LPARAM(r.lParam), 5);
            EXPECT_EQ(GET_Y_LPARAM(r.lParam), 7);
            EXPECT_EQ(r.wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
        }
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(Messages({WM_ACTIVATE}, top).size(), 1u);
}

TEST_F(WindowInput, CaptureTakesTheMouseWherEverItIs) {
    SetCapture(child);
    TestSeams::MouseMove(TestSeams::ClientPoint(top, 250, 150)); // outside the child
    Pump();
    ASSERT_EQ(Messages({WM_MOUSEMOVE}, child).size(), 1u);
    EXPECT_EQ(Messages({WM_MOUSEMOVE}, top).size(), 0u);
    ReleaseCapture();
    EXPECT_EQ(Messages({WM_CAPTURECHANGED}, child).size(), 1u);
}

TEST_F(WindowInput, ADisabledChildLetsTheClickFallToItsParent) {
    EnableWindow(child, FALSE);
    TestSeams::Click(TestSeams::ClientPoint(child, 5, 5));
    Pump();
    EXPECT_EQ(Messages({WM_LBUTTONDOWN}, child).size(), 0u);
    EXPECT_EQ(Messages({WM_LBUTTONDOWN}, top).size(), 1u);
}

TEST_F(WindowInput, DoubleClicksOnlyForClassesThatAskForThem) {
    POINT p = TestSeams::ClientPoint(child, 5, 5);
    TestSeams::Click(p);
    TestSeams::Click(p);
    Pump();
    EXPECT_EQ(Messages({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}, child),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
    SetClassLongPtrW(child, GCL_STYLE, CS_DBLCLKS);
    TestSeams::Click(TestSeams::ClientPoint(top, 250, 150)); // a click elsewhere breaks a pair
    Pump();
    Log().clear();
    TestSeams::Click(p);
    TestSeams::Click(p);
    TestSeams::Click(p); // a third click starts a new pair
    Pump();
    EXPECT_EQ(Messages({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}, child),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
    SetClassLongPtrW(child, GCL_STYLE, 0);
}

TEST_F(WindowInput, KeysGoToTheFocusAndTranslateToCharacters) {
    SetFocus(child);
    EXPECT_EQ(GetFocus(), child);
    EXPECT_EQ(GetActiveWindow(), top);
    TestSeams::TypeText(u"aB1!\u65e5");
    Pump();
    EXPECT_EQ(Chars(child), u"aB1!\u65e5");
    EXPECT_EQ(Chars(top), u"");
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);

    Log().clear();
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyPress('C');
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(Chars(child), std::u16string(1, char16_t(3)));
}

TEST_F(WindowInput, FocusMovesWithKillAndSetFocusInThatOrder) {
    HWND other = MakeWindow(WS_CHILD | WS_VISIBLE, top, 150, 10, 50, 50);
    SetFocus(child);
    Log().clear();
    EXPECT_EQ(SetFocus(other), child);
    std::vector<std::pair<HWND, UINT>> order;
    for (const Recorded& r : Log())
        if (r.msg == WM_KILLFOCUS || r.msg == WM_SETFOCUS) order.push_back({r.hwnd, r.msg});
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{child, WM_KILLFOCUS}, {other, WM_SETFOCUS}}));
    DestroyWindow(other);
    EXPECT_EQ(GetFocus(), top) << "a destroyed focused child hands the focus to its parent";
}
