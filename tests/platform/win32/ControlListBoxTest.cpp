#include "ControlTestSupport.h"

#include <algorithm>

namespace {

class ListBoxControl : public ControlTest {
protected:
    HWND MakeList(DWORD style, std::vector<const char16_t*> items = {}, int cy = 100, int x = 10) {
        HWND l = Make(u"ListBox", nullptr, WS_BORDER | WS_TABSTOP | style, x, 10, 150, cy);
        for (const char16_t* item : items)
            Send(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        Pump();
        Log().clear();
        return l;
    }
    static std::u16string Item(HWND l, int index) {
        const LRESULT length = Send(l, LB_GETTEXTLEN, static_cast<WPARAM>(index));
        if (length == LB_ERR) return u"<err>";
        std::u16string text(static_cast<size_t>(length) + 1, u'\0');
        Send(l, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    static std::vector<std::u16string> Items(HWND l) {
        std::vector<std::u16string> out;
        for (LRESULT i = 0; i < Send(l, LB_GETCOUNT); ++i)
            out.push_back(Item(l, static_cast<int>(i)));
        return out;
    }
    static int RowHeight(HWND l) { return static_cast<int>(Send(l, LB_GETITEMHEIGHT)); }
    void ClickRow(HWND l, int row) {
        RECT rc;
        Send(l, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
        Click(l, 10, (rc.top + rc.bottom) / 2);
    }
    int Count(HWND l, int code) const {
        auto codes = Codes(l);
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
};

} // namespace

TEST_F(ListBoxControl, SortedListsInsertInCaseInsensitiveOrder) {
    HWND l = MakeList(LBS_SORT, {u"pear", u"Apple", u"banana", u"apple"});
    EXPECT_EQ(Items(l), (std::vector<std::u16string>{u"Apple", u"apple", u"banana", u"pear"}));
    EXPECT_EQ(Send(l, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"zebra")), 0)
        << "LB_INSERTSTRING never sorts";
    EXPECT_EQ(Item(l, 0), u"zebra");
    EXPECT_EQ(Send(l, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"end")),
              5);
    EXPECT_EQ(Send(l, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(u"x")), LB_ERR);
    EXPECT_EQ(Send(l, LB_GETTEXTLEN, 9), LB_ERR);
    EXPECT_EQ(Send(l, LB_DELETESTRING, 0), 5);
    EXPECT_EQ(Send(l, LB_DELETESTRING, 5), LB_ERR);
    Send(l, LB_RESETCONTENT);
    EXPECT_EQ(Send(l, LB_GETCOUNT), 0);
}

TEST_F(ListBoxControl, UnsortedListsKeepTheOrderOfAdding) {
    HWND l = MakeList(0, {u"c", u"a", u"b"});
    EXPECT_EQ(Items(l), (std::vector<std::u16string>{u"c", u"a", u"b"}));
}

TEST_F(ListBoxControl, AClickSelectsAndNotifiesWithLbsNotify) {
    HWND l = MakeList(LBS_NOTIFY, {u"one", u"two", u"three"});
    ClickRow(l, 1);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 1);
    EXPECT_EQ(Send(l, LB_GETCARETINDEX), 1);
    EXPECT_EQ(Codes(l), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
    EXPECT_EQ(GetCapture(), nullptr);
    HWND quiet = MakeList(0, {u"one", u"two"}, 100, 200);
    ClickRow(quiet, 1);
    EXPECT_EQ(Send(quiet, LB_GETCURSEL), 1);
    EXPECT_TRUE(Codes(quiet).empty());
}

TEST_F(ListBoxControl, DraggingMovesTheSelectionAndReleaseNotifiesOnce) {
    HWND l = MakeList(LBS_NOTIFY, {u"a", u"b", u"c", u"d"});
    const int h = RowHeight(l);
    TestSeams::MouseDown(TestSeams::ClientPoint(l, 10, h / 2));
    TestSeams::MouseMove(TestSeams::ClientPoint(l, 10, 2 * h + h / 2));
    Pump();
    EXPECT_EQ(Send(l, LB_GETCURSEL), 2);
    TestSeams::MouseUp(TestSeams::ClientPoint(l, 10, 2 * h + h / 2));
    Pump();
    EXPECT_EQ(Count(l, LBN_SELCHANGE), 1);
}

TEST_F(ListBoxControl, DoubleClickNotifies) {
    HWND l = MakeList(LBS_NOTIFY, {u"a", u"b"});
    ClickRow(l, 0);
    ClickRow(l, 0);
    EXPECT_EQ(Count(l, LBN_DBLCLK), 1);
}

TEST_F(ListBoxControl, KeysMoveTheSelectionWithNotifications) {
    HWND l = MakeList(LBS_NOTIFY, {u"alpha", u"beta", u"gamma", u"delta", u"beta2"});
    SetFocus(l);
    Press(VK_DOWN);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 0) << "from no selection, the caret item";
    Press(VK_DOWN);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 1);
    Press(VK_END);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 4);
    Press(VK_HOME);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 0);
    EXPECT_EQ(Count(l, LBN_SELCHANGE), 4);
    Type(u"b");
    EXPECT_EQ(Send(l, LB_GETCURSEL), 1);
    Type(u"b"); // the next item with the letter
    EXPECT_EQ(Send(l, LB_GETCURSEL), 4);
    Type(u"b"); // and round again
    EXPECT_EQ(Send(l, LB_GETCURSEL), 1);
    Press(VK_UP);
    Press(VK_UP); // at the top already: no change, no notification
    EXPECT_EQ(Send(l, LB_GETCURSEL), 0);
    EXPECT_EQ(Count(l, LBN_SELCHANGE), 8);
}

TEST_F(ListBoxControl, MultipleSelectionTogglesWithClicksAndSpace) {
    HWND l = MakeList(LBS_MULTIPLESEL | LBS_NOTIFY, {u"a", u"b", u"c", u"d"});
    ClickRow(l, 0);
    ClickRow(l, 2);
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 2);
    ClickRow(l, 0);
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 1);
    Press(VK_DOWN); // the caret moves, the selection does not
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 1);
    Press(VK_SPACE);
    int selected[4] = {};
    EXPECT_EQ(Send(l, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(selected)), 2);
    EXPECT_EQ(selected[0], 1);
    EXPECT_EQ(selected[1], 2);
    EXPECT_EQ(Send(l, LB_SETCURSEL, 1), LB_ERR) << "LB_SETCURSEL is for single selection";
    Send(l, LB_SETSEL, TRUE, -1);
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 4);
    Send(l, LB_SETSEL, FALSE, 3);
    EXPECT_EQ(Send(l, LB_GETSEL, 3), 0);
    EXPECT_GT(Send(l, LB_GETSEL, 2), 0);
}

TEST_F(ListBoxControl, ExtendedSelectionWithShiftAndCtrl) {
    HWND l = MakeList(LBS_EXTENDEDSEL, {u"a", u"b", u"c", u"d", u"e"});
    ClickRow(l, 1);
    TestSeams::KeyDown(VK_SHIFT);
    ClickRow(l, 3);
    TestSeams::KeyUp(VK_SHIFT);
    Pump();
    int selected[5] = {};
    ASSERT_EQ(Send(l, LB_GETSELITEMS, 5, reinterpret_cast<LPARAM>(selected)), 3);
    EXPECT_EQ(selected[0], 1);
    EXPECT_EQ(selected[2], 3);
    TestSeams::KeyDown(VK_CONTROL);
    ClickRow(l, 2);
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 2);
    EXPECT_EQ(Send(l, LB_GETSEL, 2), 0);
    ClickRow(l, 4); // a plain click selects only that one
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 1);
    Chord(VK_SHIFT, VK_UP);
    EXPECT_EQ(Send(l, LB_GETSELCOUNT), 2);
}

TEST_F(ListBoxControl, FindingAndSelectingStrings) {
    HWND l = MakeList(0, {u"apple", u"Banana", u"band", u"cherry"});
    EXPECT_EQ(Send(l, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"BAN")), 1);
    EXPECT_EQ(Send(l, LB_FINDSTRING, 1, reinterpret_cast<LPARAM>(u"ban")), 2) << "after the start";
    EXPECT_EQ(Send(l, LB_FINDSTRING, 2, reinterpret_cast<LPARAM>(u"ban")), 1) << "wrapping round";
    EXPECT_EQ(Send(l, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"x")),
              LB_ERR);
    EXPECT_EQ(
        Send(l, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"BAND")), 2);
    EXPECT_EQ(
        Send(l, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"ban")),
        LB_ERR);
    EXPECT_EQ(Send(l, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"ch")),
              3);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 3);
    EXPECT_TRUE(Codes(l).empty());
}

TEST_F(ListBoxControl, ItemDataAndDeleteItemNotices) {
    std::vector<ULONG_PTR> deleted;
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        if (msg != WM_DELETEITEM) return false;
        deleted.push_back(reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->itemData);
        result = TRUE;
        return true;
    };
    HWND l = MakeList(0, {u"a", u"b", u"c"});
    EXPECT_EQ(Send(l, LB_SETITEMDATA, 1, 0x1234), TRUE);
    EXPECT_EQ(Send(l, LB_GETITEMDATA, 1), 0x1234);
    EXPECT_EQ(Send(l, LB_GETITEMDATA, 7), LB_ERR);
    Send(l, LB_DELETESTRING, 0); // no data: nothing to free
    EXPECT_TRUE(deleted.empty());
    Send(l, LB_RESETCONTENT);
    EXPECT_EQ(deleted, (std::vector<ULONG_PTR>{0x1234}));
}

TEST_F(ListBoxControl, ScrollingKeepsTheCaretInSightAndShowsTheBarWhenNeeded) {
    HWND l = MakeList(WS_VSCROLL | LBS_NOTIFY, {}, 100);
    EXPECT_FALSE(GetWindowLongW(l, GWL_STYLE) & WS_VSCROLL) << "nothing to scroll yet";
    for (int i = 0; i < 30; ++i) {
        std::u16string text = u"item " + std::u16string(1, static_cast<char16_t>(u'A' + i));
        Send(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    EXPECT_TRUE(GetWindowLongW(l, GWL_STYLE) & WS_VSCROLL);
    RECT client;
    GetClientRect(l, &client);
    const int rows = client.bottom / RowHeight(l);
    EXPECT_EQ(client.bottom % RowHeight(l), 0) << "integral height";
    SetFocus(l);
    Press(VK_END);
    EXPECT_EQ(Send(l, LB_GETTOPINDEX), 30 - rows);
    Press(VK_HOME);
    EXPECT_EQ(Send(l, LB_GETTOPINDEX), 0);
    Send(l, LB_SETTOPINDEX, 29);
    EXPECT_EQ(Send(l, LB_GETTOPINDEX), 30 - rows) << "no scrolling past the last page";
    Send(l, WM_VSCROLL, 0 /* SB_LINEUP */, 0);
    EXPECT_EQ(Send(l, LB_GETTOPINDEX), 29 - rows);
    RECT item;
    EXPECT_EQ(
        Send(l, LB_GETITEMRECT, static_cast<WPARAM>(30 - rows), reinterpret_cast<LPARAM>(&item)),
        1);
    EXPECT_EQ(item.top, RowHeight(l));
    const LRESULT hit = Send(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, RowHeight(l) + 1));
    EXPECT_EQ(LOWORD(hit), 30 - rows);
    EXPECT_EQ(HIWORD(hit), 0);
    EXPECT_EQ(HIWORD(Send(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 500))), 1);
    Send(l, LB_RESETCONTENT);
    EXPECT_FALSE(GetWindowLongW(l, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ListBoxControl, OwnerDrawnRowsAreMeasuredAndDrawnByTheParent) {
    std::vector<DRAWITEMSTRUCT> draws;
    int measured = 0;
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        if (msg == WM_MEASUREITEM) {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            EXPECT_EQ(mis->CtlType, static_cast<UINT>(ODT_LISTBOX));
            mis->itemHeight = 20;
            ++measured;
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
    HWND l = MakeList(LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, {}, 100);
    EXPECT_EQ(measured, 1) << "a fixed list is measured once";
    EXPECT_EQ(RowHeight(l), 20);
    Send(l, LB_ADDSTRING, 0, 111);
    Send(l, LB_ADDSTRING, 0, 222);
    EXPECT_EQ(Send(l, LB_GETITEMDATA, 1), 222) << "without LBS_HASSTRINGS the value is the data";
    Send(l, LB_SETCURSEL, 1);
    draws.clear();
    InvalidateRect(l, nullptr, TRUE);
    UpdateWindow(l);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[1].itemID, 1u);
    EXPECT_EQ(draws[1].itemData, 222u);
    EXPECT_EQ(draws[1].rcItem.top, 20);
    EXPECT_TRUE(draws[1].itemState & ODS_SELECTED);
    EXPECT_FALSE(draws[0].itemState & ODS_SELECTED);
    EXPECT_EQ(draws[0].itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
}

TEST_F(ListBoxControl, VariableRowsAreMeasuredOneByOne) {
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        if (msg != WM_MEASUREITEM) return false;
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mis->itemHeight = 10 + 5 * static_cast<UINT>(mis->itemData);
        result = TRUE;
        return true;
    };
    HWND l = MakeList(LBS_OWNERDRAWVARIABLE, {}, 100);
    for (LPARAM i = 0; i < 3; ++i)
        Send(l, LB_ADDSTRING, 0, i);
    EXPECT_EQ(Send(l, LB_GETITEMHEIGHT, 2), 20);
    RECT rc;
    Send(l, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rc));
    EXPECT_EQ(rc.top, 10 + 15);
    EXPECT_EQ(LOWORD(Send(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 26))), 2);
}

TEST_F(ListBoxControl, SelectedRowsUseTheHighlightColours) {
    HWND l = MakeList(0, {u"one", u"two"});
    Send(l, LB_SETCURSEL, 1);
    const int h = RowHeight(l);
    EXPECT_EQ(Pixel(l, 140, h + h / 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(l, 140, h / 2), GetSysColor(COLOR_WINDOW));
}

TEST_F(ListBoxControl, KeyboardInputCanBeTakenByTheOwner) {
    std::vector<WPARAM> keys;
    Hook() = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg != WM_VKEYTOITEM) return false;
        keys.push_back(wParam);
        result = LOWORD(wParam) == VK_DOWN ? -2 : 2; // swallow Down, send anything else to item 2
        return true;
    };
    HWND l = MakeList(LBS_WANTKEYBOARDINPUT | LBS_NOTIFY, {u"a", u"b", u"c"});
    SetFocus(l);
    Send(l, LB_SETCURSEL, 0);
    Press(VK_DOWN);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 0);
    Press(VK_END);
    EXPECT_EQ(Send(l, LB_GETCURSEL), 2);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], MAKEWPARAM(VK_DOWN, 0)) << "the key and the caret item";
}

TEST_F(ListBoxControl, ANoDataListHasACountOnly) {
    int draws = 0;
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_DRAWITEM) return false;
        ++draws;
        result = TRUE;
        return true;
    };
    HWND l = MakeList(LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, {}, 100);
    EXPECT_EQ(Send(l, LB_SETCOUNT, 1000), LB_OKAY);
    EXPECT_EQ(Send(l, LB_GETCOUNT), 1000);
    UpdateWindow(l);
    RECT client;
    GetClientRect(l, &client);
    EXPECT_EQ(draws, (client.bottom + RowHeight(l) - 1) / RowHeight(l))
        << "only the visible rows are drawn";
    HWND strings = MakeList(0, {u"a"}, 100, 200);
    EXPECT_EQ(Send(strings, LB_SETCOUNT, 5), LB_ERR);
}

TEST_F(ListBoxControl, TheScrollBarFollowsTheListAndScrollsIt) {
    HWND l = MakeList(WS_VSCROLL, {}, 100);
    for (int i = 0; i < 20; ++i)
        Send(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"row"));
    RECT client;
    GetClientRect(l, &client);
    const int rows = client.bottom / RowHeight(l);
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(l, SB_VERT, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 19);
    EXPECT_EQ(si.nPage, static_cast<UINT>(rows));
    EXPECT_EQ(si.nPos, 0);

    // A click on the bar's down arrow scrolls by a row.
    RECT window;
    GetWindowRect(l, &window);
    const int border = GetSystemMetrics(SM_CXBORDER);
    POINT arrow{window.right - border - GetSystemMetrics(SM_CXVSCROLL) / 2,
                window.bottom - border - GetSystemMetrics(SM_CYVSCROLL) / 2};
    TestSeams::Click(arrow);
    Pump();
    EXPECT_EQ(Send(l, LB_GETTOPINDEX), 1);
    ASSERT_TRUE(GetScrollInfo(l, SB_VERT, &si));
    EXPECT_EQ(si.nPos, 1);
    Send(l, LB_SETTOPINDEX, 5);
    ASSERT_TRUE(GetScrollInfo(l, SB_VERT, &si));
    EXPECT_EQ(si.nPos, 5);
}
