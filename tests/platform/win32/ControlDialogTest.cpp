#include "ControlTestSupport.h"

namespace {

// A window of controls driven through IsDialogMessageW, as a dialog's loop does.
class DialogKeys : public ControlTest {
protected:
    void PumpDialog() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(parent, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
    }
    void Key(int vk) {
        TestSeams::KeyPress(vk);
        PumpDialog();
    }
    void ShiftKey(int vk) {
        TestSeams::KeyDown(VK_SHIFT);
        TestSeams::KeyPress(vk);
        TestSeams::KeyUp(VK_SHIFT);
        PumpDialog();
    }
    void AltKey(int vk) {
        TestSeams::KeyDown(VK_MENU);
        TestSeams::KeyPress(vk);
        TestSeams::KeyUp(VK_MENU);
        PumpDialog();
    }
};

} // namespace

TEST_F(DialogKeys, TabMovesAmongTabStopsInCreationOrder) {
    HWND name = Make(u"Edit", u"text", WS_TABSTOP | ES_AUTOHSCROLL, 10, 10, 100, 20, 1);
    Make(u"Static", u"label", 0, 10, 40, 100, 20, 2); // not a tab stop
    HWND check = Make(u"Button", u"check", WS_TABSTOP | BS_AUTOCHECKBOX, 10, 70, 100, 20, 3);
    HWND off =
        Make(u"Button", u"off", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 10, 100, 100, 20, 4);
    HWND ok = Make(u"Button", u"OK", WS_TABSTOP | BS_PUSHBUTTON, 10, 130, 100, 20, IDOK);
    (void)off;
    EXPECT_EQ(GetNextDlgTabItem(parent, name, FALSE), check);
    EXPECT_EQ(GetNextDlgTabItem(parent, check, FALSE), ok);
    EXPECT_EQ(GetNextDlgTabItem(parent, ok, FALSE), name) << "round to the first";
    EXPECT_EQ(GetNextDlgTabItem(parent, name, TRUE), ok);
    EXPECT_EQ(GetNextDlgTabItem(parent, nullptr, FALSE), name);

    SetFocus(ok);
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), name);
    DWORD start = 1, end = 0;
    Send(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u) << "tabbing into an edit selects its text";
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), check);
    ShiftKey(VK_TAB);
    EXPECT_EQ(GetFocus(), name);
    EXPECT_EQ(Text(name), u"text") << "the Tab character never reaches the edit";
}

TEST_F(DialogKeys, AMultiLineEditKeepsTabAndEnter) {
    HWND memo = Make(u"Edit", u"", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, 10, 10, 150, 60, 1);
    Make(u"Button", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 100, 100, 20, IDOK);
    SetFocus(memo);
    Key('A');
    Key(VK_TAB);
    Key(VK_RETURN);
    EXPECT_EQ(GetFocus(), memo);
    EXPECT_EQ(Text(memo), u"a\t\r\n");
    for (const auto& [id, code] : Commands())
        EXPECT_EQ(id, 1) << "only the edit's own notices";
}

TEST_F(DialogKeys, ArrowsMoveWithinARadioGroupAndCheckAutoRadios) {
    HWND a = Make(u"Button", u"a", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 10, 10, 100, 20, 1);
    HWND b = Make(u"Button", u"b", BS_AUTORADIOBUTTON, 10, 40, 100, 20, 2);
    HWND c = Make(u"Button", u"c", BS_AUTORADIOBUTTON, 10, 70, 100, 20, 3);
    HWND next =
        Make(u"Button", u"next", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 10, 100, 100, 20, 4);
    Send(a, BM_SETCHECK, BST_CHECKED);
    SetFocus(a);
    Key(VK_DOWN);
    EXPECT_EQ(GetFocus(), b);
    EXPECT_EQ(Send(b, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(a, BM_GETCHECK), BST_UNCHECKED);
    Key(VK_DOWN);
    Key(VK_DOWN); // wraps within the group, never to the push button
    EXPECT_EQ(GetFocus(), a);
    Key(VK_UP);
    EXPECT_EQ(GetFocus(), c);
    EXPECT_EQ(Send(c, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(GetNextDlgGroupItem(parent, next, FALSE), next) << "alone in its group";
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), next) << "the checked radio stands for its group";
}

TEST_F(DialogKeys, EnterPressesTheDefaultButtonAndEscapeCancels) {
    HWND e = Make(u"Edit", u"", WS_TABSTOP | ES_AUTOHSCROLL, 10, 10, 100, 20, 1);
    Make(u"Button", u"Apply", WS_TABSTOP | BS_PUSHBUTTON, 10, 40, 100, 20, 5);
    HWND save = Make(u"Button", u"Save", WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 70, 100, 20, 6);
    SetFocus(e);
    Log().clear();
    Key(VK_RETURN);
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{6, BN_CLICKED}}));
    Log().clear();
    Key(VK_ESCAPE);
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{IDCANCEL, 0}}));
    Log().clear();
    SetFocus(save);
    Hook() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != DM_GETDEFID) return false;
        result = MAKELRESULT(5, DC_HASDEFID);
        return true;
    };
    SetFocus(e);
    Log().clear();
    Key(VK_RETURN);
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{5, BN_CLICKED}}))
        << "DM_GETDEFID rules";
}

TEST_F(DialogKeys, EnterWithoutADefaultButtonSendsIdOk) {
    HWND e = Make(u"Edit", u"", WS_TABSTOP | ES_AUTOHSCROLL, 10, 10, 100, 20, 1);
    SetFocus(e);
    Log().clear();
    Key(VK_RETURN);
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{IDOK, 0}}));
}

TEST_F(DialogKeys, MnemonicsClickButtonsAndLabelsFocusTheirControl) {
    Make(u"Static", u"&Name:", 0, 10, 10, 60, 20, 1);
    HWND name = Make(u"Edit", u"", WS_TABSTOP | ES_AUTOHSCROLL, 80, 10, 100, 20, 2);
    HWND check = Make(u"Button", u"&Verbose", WS_TABSTOP | BS_AUTOCHECKBOX, 10, 40, 100, 20, 3);
    Make(u"Button", u"&Go", WS_TABSTOP | BS_PUSHBUTTON, 10, 70, 100, 20, 4);
    SetFocus(check);
    Log().clear();
    AltKey('N');
    EXPECT_EQ(GetFocus(), name);
    AltKey('V');
    EXPECT_EQ(Send(check, BM_GETCHECK), BST_CHECKED);
    Log().clear();
    AltKey('G');
    EXPECT_EQ(Commands(), (std::vector<std::pair<int, int>>{{4, BN_CLICKED}}));
    // Without Alt a letter is the edit's own.
    SetFocus(name);
    Key('G');
    EXPECT_EQ(Text(name), u"g");
}

TEST_F(DialogKeys, KeysOfOtherWindowsAreNotTaken) {
    HWND other = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, 500, 500, 50, 50);
    MSG m{other, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(IsDialogMessageW(parent, &m));
    DestroyWindow(other);
}

class DialogItems : public ControlTest {};

TEST_F(DialogItems, TextAndIntegersOfItems) {
    Make(u"Edit", u"", ES_AUTOHSCROLL, 10, 10, 100, 20, 11);
    EXPECT_TRUE(SetDlgItemTextW(parent, 11, u"hello"));
    WCHAR buffer[8];
    EXPECT_EQ(GetDlgItemTextW(parent, 11, buffer, 8), 5u);
    EXPECT_EQ(std::u16string(buffer), u"hello");
    EXPECT_EQ(GetDlgItemTextW(parent, 99, buffer, 8), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_FALSE(SetDlgItemTextW(parent, 99, u"x"));
    EXPECT_EQ(SendDlgItemMessageW(parent, 11, WM_GETTEXTLENGTH, 0, 0), 5);

    SetDlgItemInt(parent, 11, static_cast<UINT>(-42), TRUE);
    EXPECT_EQ(Text(GetDlgItem(parent, 11)), u"-42");
    SetDlgItemInt(parent, 11, 4000000000u, FALSE);
    EXPECT_EQ(Text(GetDlgItem(parent, 11)), u"4000000000");

    struct Case {
        const char16_t* text;
        BOOL isSigned;
        BOOL ok;
        UINT value;
    };
    const Case cases[] = {
        {u"  42 ", FALSE, TRUE, 42},
        {u"-5", TRUE, TRUE, static_cast<UINT>(-5)},
        {u"-5", FALSE, FALSE, 0},
        {u"4x", TRUE, FALSE, 0},
        {u"", TRUE, FALSE, 0},
        {u"4294967295", FALSE, TRUE, 4294967295u},
        {u"4294967296", FALSE, FALSE, 0},
        {u"2147483648", TRUE, FALSE, 0},
        {u"-2147483648", TRUE, TRUE, 0x80000000u},
    };
    for (const Case& c : cases) {
        SetDlgItemTextW(parent, 11, c.text);
        BOOL ok = -1;
        const UINT value = GetDlgItemInt(parent, 11, &ok, c.isSigned);
        EXPECT_EQ(ok, c.ok) << std::string(c.text,
                                           c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(DialogItems, CheckButtonsByIdAndRadioRanges) {
    for (int id = 20; id <= 22; ++id)
        Make(u"Button", u"r", BS_RADIOBUTTON | (id == 20 ? WS_GROUP : 0), 10, 10 + 30 * (id - 20),
             100, 20, id);
    Make(u"Button", u"c", BS_CHECKBOX, 150, 10, 100, 20, 30);
    EXPECT_TRUE(CheckRadioButton(parent, 20, 22, 21));
    EXPECT_EQ(IsDlgButtonChecked(parent, 21), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(parent, 20), static_cast<UINT>(BST_UNCHECKED));
    CheckRadioButton(parent, 20, 22, 22);
    EXPECT_EQ(IsDlgButtonChecked(parent, 21), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(CheckDlgButton(parent, 30, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(parent, 30), static_cast<UINT>(BST_CHECKED));
    EXPECT_FALSE(CheckDlgButton(parent, 99, BST_CHECKED));
}

TEST_F(DialogItems, DialogUnitsMapWithTheFixedBase) {
    RECT r{4, 8, 40, 16};
    EXPECT_TRUE(MapDialogRect(parent, &r));
    EXPECT_EQ(r.left, 6);
    EXPECT_EQ(r.top, 13);
    EXPECT_EQ(r.right, 60);
    EXPECT_EQ(r.bottom, 26);
    EXPECT_FALSE(MapDialogRect(nullptr, &r));
}
