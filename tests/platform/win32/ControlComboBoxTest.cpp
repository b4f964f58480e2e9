#include "ControlTestSupport.h"

#include <algorithm>

namespace {

class ComboBoxControl : public ControlTest {
protected:
    HWND MakeCombo(DWORD style, std::vector<const char16_t*> items = {u"red", u"green", u"blue"},
                   int cy = 150) {
        HWND c = Make(u"ComboBox", nullptr, WS_TABSTOP | style, 10, 10, 150, cy, 7);
        for (const char16_t* item : items)
            Send(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        Pump();
        Log().clear();
        return c;
    }
    static COMBOBOXINFO Info(HWND c) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetComboBoxInfo(c, &info));
        return info;
    }
    static RECT ScreenRect(HWND hwnd) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return r;
    }
    // Clicks the middle of an item of the open list.
    void ClickItem(HWND combo, int index) {
        HWND list = Info(combo).hwndList;
        RECT item;
        Send(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        Click(list, 10, (item.top + item.bottom) / 2);
    }
    void ClickButton(HWND combo) {
        RECT button = Info(combo).rcButton;
        Click(combo, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
    }
};

} // namespace

TEST_F(ComboBoxControl, ADropDownIsAsHighAsItsFieldAndRemembersTheListHeight) {
    HWND c = MakeCombo(CBS_DROPDOWNLIST);
    RECT window = ScreenRect(c);
    EXPECT_LT(window.bottom - window.top, 40);
    RECT dropped;
    Send(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.top, window.top);
    EXPECT_EQ(dropped.bottom - dropped.top, 150);
    EXPECT_EQ(Send(c, CB_GETDROPPEDWIDTH), 150);
    Send(c, CB_SETDROPPEDWIDTH, 220);
    EXPECT_EQ(Send(c, CB_GETDROPPEDWIDTH), 220);
    const COMBOBOXINFO info = Info(c);
    EXPECT_EQ(info.hwndCombo, c);
    EXPECT_EQ(info.hwndItem, c) << "a drop-down list draws its own field";
    EXPECT_FALSE(IsWindowVisible(info.hwndList));

    // A bigger font makes a higher field; the list keeps its own height.
    HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    Send(c, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    RECT higher = ScreenRect(c);
    EXPECT_GT(higher.bottom - higher.top, window.bottom - window.top);
    RECT droppedNow;
    Send(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&droppedNow));
    EXPECT_EQ(droppedNow.bottom - higher.bottom, dropped.bottom - window.bottom);
    DestroyWindow(c);
    DeleteObject(big);
}

TEST_F(ComboBoxControl, ClickingOpensTheListAndClickingAnItemChoosesIt) {
    HWND c = MakeCombo(CBS_DROPDOWNLIST);
    Click(c, 20, 8);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE));
    const COMBOBOXINFO info = Info(c);
    EXPECT_TRUE(IsWindowVisible(info.hwndList));
    EXPECT_EQ(GetCapture(), info.hwndList);
    RECT list = ScreenRect(info.hwndList), field = ScreenRect(c);
    EXPECT_EQ(list.top, field.bottom) << "below the field";
    EXPECT_EQ(list.left, field.left);
    EXPECT_EQ(GetFocus(), c);
    EXPECT_EQ(Codes(c), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN}));

    Log().clear();
    ClickItem(c, 1);
    EXPECT_EQ(Codes(c), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_FALSE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_FALSE(IsWindowVisible(info.hwndList));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Send(c, CB_GETCURSEL), 1);
    EXPECT_EQ(Text(c), u"green");
    EXPECT_GT(DarkPixels(c, Info(c).rcItem), 0) << "the chosen text is drawn in the field";
}

TEST_F(ComboBoxControl, AClickOutsideClosesWithoutChoosing) {
    HWND c = MakeCombo(CBS_DROPDOWNLIST);
    Send(c, CB_SETCURSEL, 0);
    ClickButton(c);
    HWND list = Info(c).hwndList;
    RECT item;
    Send(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    TestSeams::MouseMove(TestSeams::ClientPoint(list, 10, (item.top + item.bottom) / 2));
    Pump();
    EXPECT_EQ(Send(list, LB_GETCURSEL), 2) << "the item under the mouse is highlighted";
    Log().clear();
    Click(parent, 380, 250);
    EXPECT_EQ(Codes(c), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_FALSE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_EQ(Send(c, CB_GETCURSEL), 0) << "hovering chose nothing";
    EXPECT_EQ(Text(c), u"red");
}

TEST_F(ComboBoxControl, KeysChooseWithTheListClosedAndOpen) {
    HWND c = MakeCombo(CBS_DROPDOWNLIST);
    SetFocus(c);
    Pump();
    Log().clear();
    Press(VK_DOWN);
    EXPECT_EQ(Send(c, CB_GETCURSEL), 0);
    Press(VK_DOWN);
    EXPECT_EQ(Text(c), u"green");
    EXPECT_EQ(Codes(c),
              (std::vector<int>{CBN_SELENDOK, CBN_SELCHANGE, CBN_SELENDOK, CBN_SELCHANGE}));

    Log().clear();
    Press(VK_F4);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE));
    Press(VK_DOWN);
    EXPECT_EQ(Send(c, CB_GETCURSEL), 2);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE)) << "arrows keep the list open";
    Press(VK_RETURN);
    EXPECT_FALSE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_EQ(Codes(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(Text(c), u"blue");

    Log().clear();
    Chord(VK_MENU, VK_DOWN);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE));
    Press(VK_ESCAPE);
    EXPECT_FALSE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_EQ(Codes(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    Type(u"r");
    EXPECT_EQ(Text(c), u"red") << "type-ahead";
}

TEST_F(ComboBoxControl, ADropDownHasAnEditThatFollowsTheChoice) {
    HWND c = MakeCombo(CBS_DROPDOWN | CBS_AUTOHSCROLL);
    const COMBOBOXINFO info = Info(c);
    ASSERT_NE(info.hwndItem, c);
    EXPECT_EQ(GetDlgCtrlID(info.hwndItem), 1001);
    EXPECT_EQ(GetParent(info.hwndItem), c);
    SetFocus(c);
    Pump();
    EXPECT_EQ(GetFocus(), info.hwndItem) << "the focus goes to the edit";
    Log().clear();
    Type(u"gr");
    EXPECT_EQ(Text(c), u"gr");
    auto codes = Codes(c);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITCHANGE), 2);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITUPDATE), 2);
    EXPECT_EQ(Send(c, CB_GETCURSEL), CB_ERR) << "typing chooses no item";

    ClickButton(c);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_EQ(Send(info.hwndList, LB_GETCURSEL), 1) << "the list opens on the typed text";
    Log().clear();
    ClickItem(c, 2);
    EXPECT_EQ(Text(c), u"blue");
    DWORD start = 0, end = 0;
    Send(c, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
    codes = Codes(c);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITCHANGE), 0)
        << "choosing is not editing";

    SetWindowTextW(c, u"typed");
    EXPECT_EQ(Text(info.hwndItem), u"typed");
    Send(c, CB_LIMITTEXT, 3);
    Send(c, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    Type(u"abcdef");
    EXPECT_EQ(Text(c), u"abc");
}

TEST_F(ComboBoxControl, SelectionAndSearchMessages) {
    HWND c = MakeCombo(CBS_DROPDOWNLIST | CBS_SORT, {u"pear", u"apple", u"fig"});
    EXPECT_EQ(Send(c, CB_GETCOUNT), 3);
    WCHAR buffer[16];
    EXPECT_EQ(Send(c, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_EQ(std::u16string(buffer), u"apple");
    EXPECT_EQ(Send(c, CB_GETLBTEXTLEN, 2), 4);
    EXPECT_EQ(Send(c, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"F")), 1);
    EXPECT_EQ(
        Send(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"PEAR")), 2);
    EXPECT_EQ(Send(c, CB_SETCURSEL, 2), 2);
    EXPECT_EQ(Text(c), u"pear");
    EXPECT_EQ(Send(c, CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
    EXPECT_EQ(Text(c), u"");
    EXPECT_EQ(Send(c, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"ap")),
              0);
    EXPECT_EQ(Send(c, CB_GETCURSEL), 0);
    EXPECT_EQ(Send(c, CB_SETITEMDATA, 1, 77), TRUE);
    EXPECT_EQ(Send(c, CB_GETITEMDATA, 1), 77);
    EXPECT_EQ(Send(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"zz")), 0);
    EXPECT_EQ(Send(c, CB_DELETESTRING, 0), 3);
    EXPECT_EQ(Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"x")), CB_ERR)
        << "a drop-down list has no text of its own";
    EXPECT_TRUE(Codes(c).empty()) << "messages are not user choices";
    Send(c, CB_RESETCONTENT);
    EXPECT_EQ(Send(c, CB_GETCOUNT), 0);
    EXPECT_EQ(Send(c, CB_GETCURSEL), CB_ERR);
}

TEST_F(ComboBoxControl, ShowDropDownAndFocusLossClose) {
    HWND c = MakeCombo(CBS_DROPDOWNLIST);
    HWND other = Make(u"Button", u"x", BS_PUSHBUTTON, 200, 200, 50, 20, 9);
    SetFocus(c);
    Send(c, CB_SHOWDROPDOWN, TRUE);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE));
    Log().clear();
    SetFocus(other);
    EXPECT_FALSE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_EQ(Codes(c), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
}

TEST_F(ComboBoxControl, ASimpleComboShowsItsListBelowTheEdit) {
    HWND c = MakeCombo(CBS_SIMPLE, {u"one", u"two"}, 120);
    const COMBOBOXINFO info = Info(c);
    EXPECT_EQ(GetParent(info.hwndList), c);
    EXPECT_TRUE(IsWindowVisible(info.hwndList));
    EXPECT_EQ(info.stateButton, static_cast<DWORD>(STATE_SYSTEM_INVISIBLE));
    RECT window = ScreenRect(c);
    EXPECT_EQ(window.bottom - window.top, 120);
    RECT item;
    Send(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    Click(info.hwndList, 10, (item.top + item.bottom) / 2);
    EXPECT_EQ(Text(c), u"two");
    auto codes = Codes(c);
    EXPECT_NE(std::find(codes.begin(), codes.end(), CBN_SELCHANGE), codes.end());
    EXPECT_EQ(GetFocus(), info.hwndItem);
}

TEST_F(ComboBoxControl, OwnerDrawnCombosDrawTheFieldAndItemsThroughTheParent) {
    std::vector<DRAWITEMSTRUCT> draws;
    std::vector<UINT> measured;
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        if (msg == WM_MEASUREITEM) {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            EXPECT_EQ(mis->CtlType, static_cast<UINT>(ODT_COMBOBOX));
            measured.push_back(mis->itemID);
            mis->itemHeight = 18;
            result = TRUE;
            return true;
        }
        if (msg == WM_DRAWITEM) {
            draws.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        }
        return false;
    };
    HWND c = MakeCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
    EXPECT_NE(std::find(measured.begin(), measured.end(), static_cast<UINT>(-1)), measured.end())
        << "the field is measured as item -1";
    EXPECT_EQ(Send(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)), 18);
    Send(c, CB_SETCURSEL, 1);
    draws.clear();
    UpdateWindow(c);
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws.back().CtlID, 7u);
    EXPECT_EQ(draws.back().hwndItem, c);
    EXPECT_EQ(draws.back().itemID, 1u);
    EXPECT_TRUE(draws.back().itemState & ODS_COMBOBOXEDIT);
    draws.clear();
    Send(c, CB_SHOWDROPDOWN, TRUE);
    UpdateWindow(Info(c).hwndList);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].CtlType, static_cast<UINT>(ODT_COMBOBOX));
    EXPECT_EQ(draws[0].hwndItem, c);
    EXPECT_FALSE(draws[0].itemState & ODS_COMBOBOXEDIT);
    EXPECT_TRUE(draws[1].itemState & ODS_SELECTED);
    Send(c, CB_SHOWDROPDOWN, FALSE);
}

TEST_F(ComboBoxControl, ColoursOfThePartsAreAskedOfTheParent) {
    HWND c = MakeCombo(CBS_DROPDOWN);
    Log().clear();
    InvalidateRect(Info(c).hwndItem, nullptr, TRUE);
    UpdateWindow(Info(c).hwndItem);
    bool asked = false;
    for (const Recorded& r : Log())
        if (r.hwnd == parent && r.msg == WM_CTLCOLOREDIT &&
            reinterpret_cast<HWND>(r.lParam) == Info(c).hwndItem)
            asked = true;
    EXPECT_TRUE(asked);
}
