#include "ControlTestSupport.h"

#include <win32/readback.h>

#include "CaseName.h"
#include <algorithm>

namespace {

class ButtonControl : public ControlTest {
protected:
    HWND MakeButton(DWORD style, const char16_t* text = u"&Press", int id = 100, int x = 10,
                    int y = 10) {
        return Make(u"Button", text, style | WS_TABSTOP, x, y, 100, 24, id);
    }
};

} // namespace

TEST_F(ButtonControl, AClickSendsBnClickedToTheParent) {
    HWND b = MakeButton(BS_PUSHBUTTON);
    Click(b, 50, 12);
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_CLICKED}));
    EXPECT_EQ(GetFocus(), b);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Send(b, BM_GETSTATE) & BST_PUSHED, 0);
}

TEST_F(ButtonControl, ReleasingOutsideDoesNotClickAndComingBackDoes) {
    HWND b = MakeButton(BS_PUSHBUTTON);
    TestSeams::MouseDown(TestSeams::ClientPoint(b, 50, 12));
    Pump();
    EXPECT_TRUE(Send(b, BM_GETSTATE) & BST_PUSHED);
    EXPECT_EQ(GetCapture(), b);
    TestSeams::MouseMove(TestSeams::ClientPoint(b, 150, 12));
    Pump();
    EXPECT_FALSE(Send(b, BM_GETSTATE) & BST_PUSHED) << "pops up when the mouse leaves";
    TestSeams::MouseUp(TestSeams::ClientPoint(b, 150, 12));
    Pump();
    EXPECT_TRUE(Codes(b).empty());
    EXPECT_EQ(GetCapture(), nullptr);

    TestSeams::MouseDown(TestSeams::ClientPoint(b, 50, 12));
    TestSeams::MouseMove(TestSeams::ClientPoint(b, 150, 12));
    TestSeams::MouseMove(TestSeams::ClientPoint(b, 60, 12));
    TestSeams::MouseUp(TestSeams::ClientPoint(b, 60, 12));
    Pump();
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_CLICKED}));
}

TEST_F(ButtonControl, SpaceClicksOnRelease) {
    HWND b = MakeButton(BS_PUSHBUTTON);
    SetFocus(b);
    TestSeams::KeyDown(VK_SPACE);
    Pump();
    EXPECT_TRUE(Send(b, BM_GETSTATE) & BST_PUSHED);
    EXPECT_TRUE(Codes(b).empty());
    TestSeams::KeyUp(VK_SPACE);
    Pump();
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_CLICKED}));
    EXPECT_FALSE(Send(b, BM_GETSTATE) & BST_PUSHED);
}

TEST_F(ButtonControl, BmClickClicks) {
    HWND b = MakeButton(BS_AUTOCHECKBOX);
    Send(b, BM_CLICK);
    EXPECT_EQ(Send(b, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_CLICKED}));
}

struct CheckCase {
    DWORD style;
    std::vector<LRESULT> afterClicks; // the check state after each of three clicks
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << "style " << c.style;
}

class ButtonChecks : public ButtonControl, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ButtonChecks, ClicksStepTheCheckState) {
    HWND b = MakeButton(GetParam().style);
    std::vector<LRESULT> seen;
    for (int i = 0; i < 3; ++i) {
        Click(b, 5, 12);
        seen.push_back(Send(b, BM_GETCHECK));
    }
    EXPECT_EQ(seen, GetParam().afterClicks);
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_CLICKED, BN_CLICKED, BN_CLICKED}));
}

INSTANTIATE_TEST_SUITE_P(
    Types, ButtonChecks,
    ::testing::Values(CheckCase{BS_AUTOCHECKBOX, {BST_CHECKED, BST_UNCHECKED, BST_CHECKED}},
                      CheckCase{BS_AUTO3STATE, {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}},
                      CheckCase{BS_CHECKBOX, {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}},
                      CheckCase{BS_AUTORADIOBUTTON, {BST_CHECKED, BST_CHECKED, BST_CHECKED}},
                      CheckCase{BS_PUSHBUTTON, {0, 0, 0}}),
    CaseName());

TEST_F(ButtonControl, SetCheckIsBoundedByTheType) {
    HWND two = MakeButton(BS_CHECKBOX);
    Send(two, BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_EQ(Send(two, BM_GETCHECK), BST_CHECKED);
    HWND three = MakeButton(BS_3STATE, u"3", 101, 10, 40);
    Send(three, BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_EQ(Send(three, BM_GETCHECK), BST_INDETERMINATE);
    EXPECT_EQ(Send(three, BM_GETSTATE) & 3, BST_INDETERMINATE);
    EXPECT_TRUE(Codes(three).empty()) << "setting the check is not a click";
}

TEST_F(ButtonControl, AutoRadioButtonsUncheckTheirGroupOnly) {
    HWND a = MakeButton(BS_AUTORADIOBUTTON | WS_GROUP, u"A", 1, 10, 10);
    HWND b = MakeButton(BS_AUTORADIOBUTTON, u"B", 2, 10, 40);
    HWND c = MakeButton(BS_AUTORADIOBUTTON, u"C", 3, 10, 70);
    HWND x = MakeButton(BS_AUTORADIOBUTTON | WS_GROUP, u"X", 4, 150, 10);
    Send(x, BM_SETCHECK, BST_CHECKED);
    Click(a, 5, 12);
    Click(b, 5, 12);
    EXPECT_EQ(Send(a, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Send(b, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(c, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Send(x, BM_GETCHECK), BST_CHECKED) << "another group";
    EXPECT_TRUE(GetWindowLongW(b, GWL_STYLE) & WS_TABSTOP) << "the checked radio is the tab stop";
    EXPECT_FALSE(GetWindowLongW(a, GWL_STYLE) & WS_TABSTOP);
}

TEST_F(ButtonControl, AGroupBoxLetsTheMouseThrough) {
    HWND g = MakeButton(BS_GROUPBOX, u"Group");
    Click(g, 50, 12);
    EXPECT_TRUE(Codes(g).empty());
    EXPECT_EQ(Messages({WM_LBUTTONDOWN}, parent).size(), 1u);
    EXPECT_EQ(Send(g, WM_GETDLGCODE), DLGC_STATIC);
}

TEST_F(ButtonControl, DialogCodesByType) {
    const std::pair<DWORD, LRESULT> cases[] = {
        {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
        {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
        {BS_AUTOCHECKBOX, DLGC_BUTTON},
        {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
        {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
        {BS_GROUPBOX, DLGC_STATIC},
    };
    for (const auto& [style, code] : cases) {
        HWND b = MakeButton(style);
        EXPECT_EQ(Send(b, WM_GETDLGCODE), code) << std::hex << style;
        DestroyWindow(b);
    }
    HWND b = MakeButton(BS_PUSHBUTTON);
    Send(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(Send(b, WM_GETDLGCODE), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongW(b, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(ButtonControl, NotifyStyleReportsDoubleClicksAndFocus) {
    HWND b = MakeButton(BS_PUSHBUTTON | BS_NOTIFY);
    Click(b, 50, 12);
    Click(b, 50, 12);
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_SETFOCUS, BN_CLICKED, BN_DOUBLECLICKED}));
    Log().clear();
    SetFocus(parent);
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_KILLFOCUS}));
    HWND quiet = MakeButton(BS_PUSHBUTTON, u"q", 101, 10, 40);
    Log().clear();
    Click(quiet, 50, 12);
    Click(quiet, 50, 12);
    EXPECT_EQ(Codes(quiet), (std::vector<int>{BN_CLICKED, BN_CLICKED}))
        << "without BS_NOTIFY a double click is a second click";
}

TEST_F(ButtonControl, OwnerDrawnButtonsAskTheParentToDraw) {
    std::vector<DRAWITEMSTRUCT> draws;
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        if (msg != WM_DRAWITEM) return false;
        draws.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    };
    HWND b = MakeButton(BS_OWNERDRAW, u"", 42);
    UpdateWindow(b);
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws.back().CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(draws.back().CtlID, 42u);
    EXPECT_EQ(draws.back().hwndItem, b);
    EXPECT_EQ(draws.back().itemState & ODS_SELECTED, 0u);
    TestSeams::MouseDown(TestSeams::ClientPoint(b, 5, 5));
    Pump();
    UpdateWindow(b);
    EXPECT_TRUE(draws.back().itemState & ODS_SELECTED);
    EXPECT_TRUE(draws.back().itemState & ODS_FOCUS);
    TestSeams::MouseUp(TestSeams::ClientPoint(b, 5, 5));
    Pump();
    EXPECT_EQ(Codes(b), (std::vector<int>{BN_CLICKED}));
}

TEST_F(ButtonControl, ImagesAreKeptAndSwapped) {
    HWND b = MakeButton(BS_PUSHBUTTON);
    HBITMAP one = CreateBitmap(8, 8, 1, 32, nullptr);
    HBITMAP two = CreateBitmap(8, 8, 1, 32, nullptr);
    EXPECT_EQ(Send(b, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(one)), 0);
    EXPECT_EQ(Send(b, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(two)),
              reinterpret_cast<LRESULT>(one));
    EXPECT_EQ(Send(b, BM_GETIMAGE, IMAGE_BITMAP), reinterpret_cast<LRESULT>(two));
    EXPECT_EQ(Send(b, BM_GETIMAGE, IMAGE_ICON), 0);
    UpdateWindow(b);
    DestroyWindow(b);
    DeleteObject(one);
    DeleteObject(two);
}

TEST_F(ButtonControl, ACheckedBoxShowsItsMarkAndTheFocusShowsItsRectangle) {
    HWND b = MakeButton(BS_AUTOCHECKBOX, u"Check");
    const RECT inside{3, 8, 10, 15}; // within the 13-pixel box, vertically centred
    const int empty = DarkPixels(b, inside);
    Send(b, BM_SETCHECK, BST_CHECKED);
    UpdateWindow(b);
    EXPECT_GE(DarkPixels(b, inside), empty + 10) << "the tick inside the box";

    // Focus adds a dotted frame around the caption and nothing else.
    const RECT all{0, 0, 100, 24};
    auto read = [&] {
        UpdateWindow(b);
        HDC dc = GetDC(b);
        std::vector<COLORREF> pixels = win32::ReadPixels(dc, all);
        ReleaseDC(b, dc);
        return pixels;
    };
    const std::vector<COLORREF> before = read();
    SetFocus(b);
    const std::vector<COLORREF> after = read();
    RECT changed{100, 24, -1, -1};
    int count = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 100; ++x)
            if (before[static_cast<size_t>(y * 100 + x)] !=
                after[static_cast<size_t>(y * 100 + x)]) {
                ++count;
                changed = {std::min<LONG>(changed.left, x), std::min<LONG>(changed.top, y),
                           std::max<LONG>(changed.right, x), std::max<LONG>(changed.bottom, y)};
            }
    ASSERT_GT(count, 10);
    EXPECT_GT(changed.left, 13) << "the frame is around the caption, not the box";
    for (int y = changed.top + 1; y < changed.bottom; ++y)
        for (int x = changed.left + 1; x < changed.right; ++x)
            EXPECT_EQ(before[static_cast<size_t>(y * 100 + x)],
                      after[static_cast<size_t>(y * 100 + x)])
                << "inside the frame at " << x << "," << y;
}

TEST_F(ButtonControl, PushButtonCaptionIsDrawnCentredWithItsPrefixUnderline) {
    HWND b = MakeButton(BS_PUSHBUTTON, u"&W");
    HWND plain = MakeButton(BS_PUSHBUTTON, u"W", 101, 10, 40);
    UpdateWindow(b);
    UpdateWindow(plain);
    const int underlined = DarkPixels(b, {3, 3, 97, 21});
    const int bare = DarkPixels(plain, {3, 3, 97, 21});
    EXPECT_GT(underlined, bare) << "the mnemonic is underlined";
    // The caption sits in the middle: as many dark pixels left of centre as right of it.
    const int left = DarkPixels(plain, {3, 3, 50, 21});
    const int right = DarkPixels(plain, {50, 3, 97, 21});
    EXPECT_NEAR(left, right, (left + right) / 4 + 2);
}
