#include "ControlTestSupport.h"

#include <win32/winbase.h>

#include <algorithm>

namespace {

class EditControl : public ControlTest {
protected:
    HWND MakeEdit(DWORD style = ES_AUTOHSCROLL, const char16_t* text = u"", int cx = 200,
                  int cy = 24) {
        HWND e = Make(u"Edit", text, WS_BORDER | WS_TABSTOP | style, 10, 10, cx, cy);
        SetFocus(e);
        Pump();
        Log().clear();
        return e;
    }
    static std::pair<int, int> Sel(HWND e) {
        DWORD s = 0, end = 0;
        Send(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(s), static_cast<int>(end)};
    }
    static int CharX(HWND e, int index) {
        return static_cast<short>(LOWORD(Send(e, EM_POSFROMCHAR, static_cast<WPARAM>(index))));
    }
    int Count(HWND e, int code) const {
        auto codes = Codes(e);
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
};

} // namespace

TEST_F(EditControl, TypingInsertsAtTheCaretAndReplacesTheSelection) {
    HWND e = MakeEdit();
    Type(u"hello");
    EXPECT_EQ(Text(e), u"hello");
    EXPECT_EQ(Sel(e), std::make_pair(5, 5));
    Send(e, EM_SETSEL, 1, 4);
    Type(u"X");
    EXPECT_EQ(Text(e), u"hXo");
    EXPECT_EQ(Sel(e), std::make_pair(2, 2));
    EXPECT_EQ(Send(e, EM_GETSEL), MAKELRESULT(2, 2));
}

TEST_F(EditControl, BackspaceAndDeleteRemoveAroundTheCaretOrTheSelection) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"abcdef");
    Send(e, EM_SETSEL, 3, 3);
    Press(VK_BACK);
    EXPECT_EQ(Text(e), u"abdef");
    Press(VK_DELETE);
    EXPECT_EQ(Text(e), u"abef");
    Send(e, EM_SETSEL, 0, 2);
    Press(VK_DELETE);
    EXPECT_EQ(Text(e), u"ef");
    Send(e, EM_SETSEL, 0, 0);
    Press(VK_BACK); // nothing before the caret
    EXPECT_EQ(Text(e), u"ef");
}

TEST_F(EditControl, ArrowsHomeEndAndShiftMoveAndSelect) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"one two three");
    Send(e, EM_SETSEL, 0, 0);
    Press(VK_END);
    EXPECT_EQ(Sel(e), std::make_pair(13, 13));
    Chord(VK_SHIFT, VK_LEFT);
    EXPECT_EQ(Sel(e), std::make_pair(12, 13));
    Chord(VK_SHIFT, VK_HOME);
    EXPECT_EQ(Sel(e), std::make_pair(0, 13)); // the anchor stays at the end
    Press(VK_RIGHT);
    EXPECT_EQ(Sel(e), std::make_pair(1, 1));
    Chord(VK_CONTROL, VK_RIGHT);
    EXPECT_EQ(Sel(e), std::make_pair(4, 4)); // the start of the next word
    Chord(VK_CONTROL, VK_RIGHT);
    EXPECT_EQ(Sel(e), std::make_pair(8, 8));
    Chord(VK_CONTROL, VK_LEFT);
    EXPECT_EQ(Sel(e), std::make_pair(4, 4));
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyDown(VK_SHIFT);
    TestSeams::KeyPress(VK_END);
    TestSeams::KeyUp(VK_SHIFT);
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(Sel(e), std::make_pair(4, 13));
}

TEST_F(EditControl, CtrlShortcutsSelectCopyCutPasteAndUndo) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"copy me");
    Chord(VK_CONTROL, 'A');
    EXPECT_EQ(Sel(e), std::make_pair(0, 7));
    Chord(VK_CONTROL, 'C');
    Press(VK_END);
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(Text(e), u"copy mecopy me");
    Send(e, EM_SETSEL, 0, 5);
    Chord(VK_CONTROL, 'X');
    EXPECT_EQ(Text(e), u"mecopy me");
    Chord(VK_CONTROL, 'Z');
    EXPECT_EQ(Text(e), u"copy mecopy me");

    HWND other = Make(u"Edit", u"", ES_AUTOHSCROLL, 10, 50, 200, 24, 101);
    SetFocus(other);
    Pump();
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(Text(other), u"copy ");
}

TEST_F(EditControl, UndoRevertsTheLastChangeAndUndoingAgainRedoes) {
    HWND e = MakeEdit();
    EXPECT_FALSE(Send(e, EM_CANUNDO));
    Type(u"ab");
    EXPECT_TRUE(Send(e, EM_CANUNDO));
    EXPECT_TRUE(Send(e, EM_UNDO));
    EXPECT_EQ(Text(e), u""); // typed characters form one step
    EXPECT_TRUE(Send(e, WM_UNDO));
    EXPECT_EQ(Text(e), u"ab");
    Send(e, EM_EMPTYUNDOBUFFER);
    EXPECT_FALSE(Send(e, EM_CANUNDO));
    Type(u"c");
    SetWindowTextW(e, u"set");
    EXPECT_FALSE(Send(e, EM_CANUNDO)) << "setting the text forgets the undo step";
}

TEST_F(EditControl, ChangeNotificationsForTypingAndSetText) {
    HWND e = MakeEdit();
    Type(u"abc");
    EXPECT_EQ(Count(e, EN_CHANGE), 3);
    EXPECT_EQ(Count(e, EN_UPDATE), 3);
    Log().clear();
    SetWindowTextW(e, u"new");
    EXPECT_EQ(Codes(e), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    Log().clear();
    Send(e, EM_SETSEL, 0, -1);
    Send(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"x"));
    EXPECT_EQ(Codes(e), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(Text(e), u"x");

    // A multi-line edit does not report WM_SETTEXT.
    HWND memo = Make(u"Edit", u"", ES_MULTILINE, 10, 50, 200, 80, 101);
    Log().clear();
    SetWindowTextW(memo, u"quiet");
    EXPECT_TRUE(Codes(memo).empty());
}

TEST_F(EditControl, FocusNotifications) {
    HWND e = MakeEdit();
    HWND other = Make(u"Edit", u"", 0, 10, 50, 200, 24, 101);
    Log().clear();
    SetFocus(other);
    SetFocus(e);
    EXPECT_EQ(Codes(e), (std::vector<int>{EN_KILLFOCUS, EN_SETFOCUS}));
}

TEST_F(EditControl, TheLimitStopsUserInputWithMaxTextButNotSetText) {
    HWND e = MakeEdit();
    EXPECT_EQ(Send(e, EM_GETLIMITTEXT), 30000);
    Send(e, EM_LIMITTEXT, 3);
    EXPECT_EQ(Send(e, EM_GETLIMITTEXT), 3);
    Type(u"abcd");
    EXPECT_EQ(Text(e), u"abc");
    EXPECT_EQ(Count(e, EN_MAXTEXT), 1);
    EXPECT_EQ(Count(e, EN_CHANGE), 3);
    Send(e, EM_SETSEL, 1, 1);
    Send(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"XY"));
    EXPECT_EQ(Text(e), u"abc");
    SetWindowTextW(e, u"longer than three");
    EXPECT_EQ(Text(e), u"longer than three");
    // Replacing a selection frees its room.
    Send(e, EM_LIMITTEXT, 5);
    SetWindowTextW(e, u"abcde");
    Send(e, EM_SETSEL, 0, 2);
    Log().clear();
    Type(u"Z");
    EXPECT_EQ(Text(e), u"Zcde");
    EXPECT_EQ(Count(e, EN_MAXTEXT), 0);
}

TEST_F(EditControl, WithoutAutoScrollTheTextMustFitTheWidth) {
    HWND e = MakeEdit(0, u"", 60, 24);
    Type(u"wwwwwwwwwwwwwwwwwwww");
    const std::u16string text = Text(e);
    EXPECT_LT(text.size(), 20u);
    EXPECT_GT(text.size(), 0u);
    EXPECT_GE(Count(e, EN_MAXTEXT), 1);
    RECT format;
    Send(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_LE(CharX(e, static_cast<int>(text.size())), format.right);
}

TEST_F(EditControl, AutoScrollKeepsTheCaretInSight) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"", 60, 24);
    Type(u"wwwwwwwwwwwwwwwwwwww");
    EXPECT_EQ(Text(e).size(), 20u);
    RECT format;
    Send(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int x = CharX(e, 20);
    EXPECT_GE(x, format.left);
    EXPECT_LE(x, format.right);
    EXPECT_LT(CharX(e, 0), format.left) << "the start scrolled out on the left";
    EXPECT_GT(Count(e, EN_HSCROLL), 0);
    Press(VK_HOME);
    EXPECT_EQ(CharX(e, 0), format.left);
    EXPECT_GT(Send(e, EM_GETFIRSTVISIBLELINE), -1);
}

TEST_F(EditControl, PasswordEditsHideTheTextAndKeepItOffTheClipboard) {
    HWND plain = MakeEdit(ES_AUTOHSCROLL, u"visible");
    Send(plain, EM_SETSEL, 0, -1);
    Send(plain, WM_COPY);
    HWND e = MakeEdit(ES_AUTOHSCROLL | ES_PASSWORD, u"secret");
    EXPECT_EQ(Send(e, EM_GETPASSWORDCHAR), u'*');
    EXPECT_EQ(Text(e), u"secret");
    Send(e, EM_SETSEL, 0, -1);
    Send(e, WM_COPY);
    Send(e, WM_CUT);
    EXPECT_EQ(Text(e), u"secret") << "no cut from a password edit";
    Send(plain, EM_SETSEL, 0, -1);
    Send(plain, WM_PASTE);
    EXPECT_EQ(Text(plain), u"visible") << "the clipboard still holds the plain text";

    Send(e, EM_SETPASSWORDCHAR, u'#');
    EXPECT_EQ(Send(e, EM_GETPASSWORDCHAR), u'#');
    Send(e, EM_SETPASSWORDCHAR, 0);
    EXPECT_FALSE(GetWindowLongW(e, GWL_STYLE) & ES_PASSWORD);
}

TEST_F(EditControl, ThePasswordCharacterIsWhatIsMeasured) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"iiii");
    const int narrow = CharX(e, 4) - CharX(e, 0);
    Send(e, EM_SETPASSWORDCHAR, u'W');
    const int wide = CharX(e, 4) - CharX(e, 0);
    EXPECT_GT(wide, narrow);
}

TEST_F(EditControl, ReadOnlyRefusesInputButSelectsAndCopies) {
    HWND e = MakeEdit(ES_AUTOHSCROLL | ES_READONLY, u"fixed");
    Type(u"x");
    Press(VK_BACK);
    EXPECT_EQ(Text(e), u"fixed");
    Chord(VK_CONTROL, 'A');
    EXPECT_EQ(Sel(e), std::make_pair(0, 5));
    EXPECT_TRUE(Send(e, EM_SETREADONLY, FALSE));
    Type(u"!");
    EXPECT_EQ(Text(e), u"!");
}

TEST_F(EditControl, NumberUpperAndLowerCaseStyles) {
    HWND number = MakeEdit(ES_AUTOHSCROLL | ES_NUMBER);
    Type(u"1a2-3");
    EXPECT_EQ(Text(number), u"123");
    HWND upper = MakeEdit(ES_AUTOHSCROLL | ES_UPPERCASE);
    Type(u"MiXed");
    EXPECT_EQ(Text(upper), u"MIXED");
    HWND lower = MakeEdit(ES_AUTOHSCROLL | ES_LOWERCASE, u"SET");
    EXPECT_EQ(Text(lower), u"set");
}

TEST_F(EditControl, ModifiedFlagFollowsUserChanges) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"start");
    EXPECT_FALSE(Send(e, EM_GETMODIFY));
    Type(u"x");
    EXPECT_TRUE(Send(e, EM_GETMODIFY));
    SetWindowTextW(e, u"reset");
    EXPECT_FALSE(Send(e, EM_GETMODIFY));
    Send(e, EM_SETMODIFY, TRUE);
    EXPECT_TRUE(Send(e, EM_GETMODIFY));
}

TEST_F(EditControl, ASingleLineKeepsTheFirstLineOfPastedText) {
    HWND memo = Make(u"Edit", u"first\r\nsecond", ES_MULTILINE, 10, 50, 200, 80, 101);
    Send(memo, EM_SETSEL, 0, -1);
    Send(memo, WM_COPY);
    HWND e = MakeEdit();
    Send(e, WM_PASTE);
    EXPECT_EQ(Text(e), u"first");
}

TEST_F(EditControl, MultiLineQueries) {
    HWND e =
        MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, u"one\r\ntwo\r\nthree", 200, 100);
    EXPECT_EQ(Send(e, EM_GETLINECOUNT), 3);
    EXPECT_EQ(Send(e, EM_LINEINDEX, 1), 5);
    EXPECT_EQ(Send(e, EM_LINEINDEX, 2), 10);
    EXPECT_EQ(Send(e, EM_LINEINDEX, 3), -1);
    EXPECT_EQ(Send(e, EM_LINELENGTH, 6), 3);
    EXPECT_EQ(Send(e, EM_LINELENGTH, 11), 5);
    EXPECT_EQ(Send(e, EM_LINEFROMCHAR, 0), 0);
    EXPECT_EQ(Send(e, EM_LINEFROMCHAR, 7), 1);
    EXPECT_EQ(Send(e, EM_LINEFROMCHAR, 14), 2);
    WCHAR buffer[16] = {};
    buffer[0] = 16;
    EXPECT_EQ(Send(e, EM_GETLINE, 2, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_EQ(std::u16string(buffer, 5), u"three");
    buffer[0] = 2; // a short buffer gets what fits, without a terminator
    EXPECT_EQ(Send(e, EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer)), 2);
    EXPECT_EQ(std::u16string(buffer, 2), u"tw");
    Send(e, EM_SETSEL, 6, 6);
    EXPECT_EQ(Send(e, EM_LINEINDEX, static_cast<WPARAM>(-1)), 5);
    const LRESULT under = Send(e, EM_POSFROMCHAR, 10);
    const LRESULT back = Send(e, EM_CHARFROMPOS, 0, under);
    EXPECT_EQ(LOWORD(back), 10);
    EXPECT_EQ(HIWORD(back), 2);
}

TEST_F(EditControl, MultiLineEnterBackspaceAndArrowsAcrossLines) {
    HWND e = MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN, u"", 200, 100);
    Type(u"ab");
    Press(VK_RETURN);
    Type(u"cd");
    EXPECT_EQ(Text(e), u"ab\r\ncd");
    Press(VK_UP);
    EXPECT_EQ(Send(e, EM_LINEFROMCHAR, static_cast<WPARAM>(-1)), 0);
    Press(VK_END);
    Press(VK_RIGHT); // over the line break in one step
    EXPECT_EQ(Sel(e), std::make_pair(4, 4));
    Press(VK_BACK); // removes the whole line break
    EXPECT_EQ(Text(e), u"abcd");
}

TEST_F(EditControl, WordWrapBreaksLongLinesAtSpaces) {
    HWND e = MakeEdit(ES_MULTILINE, u"alpha beta gamma delta epsilon", 80, 120);
    const LRESULT lines = Send(e, EM_GETLINECOUNT);
    EXPECT_GT(lines, 1);
    for (LRESULT i = 1; i < lines; ++i) {
        const LRESULT start = Send(e, EM_LINEINDEX, static_cast<WPARAM>(i));
        EXPECT_EQ(Text(e)[static_cast<size_t>(start) - 1], u' ')
            << "a wrapped line starts after a space";
    }
    RECT format;
    Send(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(static_cast<short>(
                  LOWORD(Send(e, EM_POSFROMCHAR, static_cast<WPARAM>(Send(e, EM_LINEINDEX, 1))))),
              format.left);
}

TEST_F(EditControl, MouseClickPlacesTheCaretDragSelectsDoubleClickTakesAWord) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"hello world");
    Send(e, EM_SETSEL, 0, 0);
    const int y = 5;
    Click(e, CharX(e, 3) + 1, y);
    EXPECT_EQ(Sel(e), std::make_pair(3, 3));
    TestSeams::MouseDown(TestSeams::ClientPoint(e, CharX(e, 1) + 1, y));
    TestSeams::MouseMove(TestSeams::ClientPoint(e, CharX(e, 4) + 1, y));
    TestSeams::MouseUp(TestSeams::ClientPoint(e, CharX(e, 4) + 1, y));
    Pump();
    EXPECT_EQ(Sel(e), std::make_pair(1, 4));
    EXPECT_EQ(GetCapture(), nullptr);
    POINT p = TestSeams::ClientPoint(e, CharX(e, 8), y);
    TestSeams::Click(p);
    TestSeams::Click(p);
    Pump();
    EXPECT_EQ(Sel(e), std::make_pair(6, 11));
}

TEST_F(EditControl, TheSelectionIsDrawnInTheHighlightColour) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"WWWW");
    Send(e, EM_SETSEL, 0, 4);
    UpdateWindow(e);
    const int midX = (CharX(e, 1) + CharX(e, 2)) / 2;
    int highlighted = 0;
    for (int y = 0; y < 16; ++y)
        if (Pixel(e, midX, y) == GetSysColor(COLOR_HIGHLIGHT)) ++highlighted;
    EXPECT_GT(highlighted, 4);
    // Without the focus the selection hides (no ES_NOHIDESEL).
    SetFocus(nullptr);
    highlighted = 0;
    for (int y = 0; y < 16; ++y)
        if (Pixel(e, midX, y) == GetSysColor(COLOR_HIGHLIGHT)) ++highlighted;
    EXPECT_EQ(highlighted, 0);
}

TEST_F(EditControl, ColoursComeFromTheParentEditOrStaticByState) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"x");
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_CTLCOLOREDIT) return false;
        result = reinterpret_cast<LRESULT>(red);
        return true;
    };
    InvalidateRect(e, nullptr, TRUE);
    EXPECT_EQ(Pixel(e, 150, 10), RGB(255, 0, 0));
    Log().clear();
    Send(e, EM_SETREADONLY, TRUE);
    InvalidateRect(e, nullptr, TRUE);
    UpdateWindow(e);
    EXPECT_EQ(Messages({WM_CTLCOLOREDIT}, parent).size(), 0u);
    EXPECT_EQ(Messages({WM_CTLCOLORSTATIC}, parent).size(), 1u);
    EXPECT_EQ(Pixel(e, 150, 10), GetSysColor(COLOR_BTNFACE)) << "the default for read-only";
    Hook() = nullptr;
    DeleteObject(red);
}

TEST_F(EditControl, DialogCodesAndFont) {
    HWND e = MakeEdit();
    EXPECT_EQ(Send(e, WM_GETDLGCODE), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
    HWND memo = Make(u"Edit", u"", ES_MULTILINE, 10, 50, 200, 80, 101);
    EXPECT_TRUE(Send(memo, WM_GETDLGCODE) & DLGC_WANTALLKEYS);
    MSG enter{memo, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(Send(memo, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                 DLGC_WANTALLKEYS)
        << "without ES_WANTRETURN Enter belongs to the dialog";

    EXPECT_EQ(Send(e, WM_GETFONT), 0);
    HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    SetWindowTextW(e, u"abc");
    const int before = CharX(e, 3) - CharX(e, 0);
    Send(e, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(Send(e, WM_GETFONT), reinterpret_cast<LRESULT>(font));
    EXPECT_NE(CharX(e, 3) - CharX(e, 0), before);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, u"abc", 3, &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(CharX(e, 3) - CharX(e, 0), size.cx) << "measured with the edit's own font";
    DestroyWindow(e);
    DeleteObject(font);
}

TEST_F(EditControl, MarginsMoveTheFormattingRectangle) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"abc");
    Send(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(7, 9));
    EXPECT_EQ(Send(e, EM_GETMARGINS), MAKELRESULT(7, 9));
    RECT format, client;
    Send(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    GetClientRect(e, &client);
    EXPECT_EQ(format.left, 7);
    EXPECT_EQ(format.right, client.right - 9);
    EXPECT_EQ(CharX(e, 0), 7);
}

TEST_F(EditControl, MultiLineScrollsDownWithTheCaretOrStopsWithoutAutoVScroll) {
    HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, u"", 150, 40);
    for (int i = 0; i < 6; ++i) {
        Type(u"x");
        Press(VK_RETURN);
    }
    EXPECT_EQ(Send(e, EM_GETLINECOUNT), 7);
    EXPECT_GT(Send(e, EM_GETFIRSTVISIBLELINE), 0);
    EXPECT_GT(Count(e, EN_VSCROLL), 0);
    Chord(VK_CONTROL, VK_HOME);
    EXPECT_EQ(Send(e, EM_GETFIRSTVISIBLELINE), 0);

    HWND fixed = MakeEdit(ES_MULTILINE | ES_WANTRETURN, u"", 150, 40);
    for (int i = 0; i < 6; ++i)
        Press(VK_RETURN);
    EXPECT_LT(Send(fixed, EM_GETLINECOUNT), 7) << "no more lines than the edit shows";
    EXPECT_GT(Count(fixed, EN_MAXTEXT), 0);
}

TEST_F(EditControl, AlignmentPlacesTheTextInTheFormattingRectangle) {
    HWND left = MakeEdit(ES_MULTILINE, u"abc", 150, 40);
    HWND centre = MakeEdit(ES_MULTILINE | ES_CENTER, u"abc", 150, 40);
    HWND right = MakeEdit(ES_MULTILINE | ES_RIGHT, u"abc", 150, 40);
    RECT format;
    Send(right, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int width = CharX(left, 3) - CharX(left, 0);
    EXPECT_EQ(CharX(left, 0), format.left);
    EXPECT_EQ(CharX(right, 3), format.right);
    EXPECT_NEAR(CharX(centre, 0) - format.left, format.right - CharX(centre, 3), 1);
    EXPECT_EQ(CharX(centre, 3) - CharX(centre, 0), width);
}

TEST_F(EditControl, CutCopyAndPasteGoThroughTheClipboard) {
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"clip board");
    Send(e, EM_SETSEL, 0, 4);
    Send(e, WM_COPY);
    ASSERT_TRUE(OpenClipboard(parent));
    auto* copied = static_cast<const char16_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(std::u16string(copied), u"clip");
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    // What another program put there is pasted.
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 8 * sizeof(char16_t));
    auto* out = static_cast<char16_t*>(GlobalLock(memory));
    std::u16string_view from = u"paste";
    std::copy(from.begin(), from.end(), out);
    out[from.size()] = 0;
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    Send(e, EM_SETSEL, 5, 10);
    Send(e, WM_PASTE);
    EXPECT_EQ(Text(e), u"clip paste");
    Send(e, EM_SETSEL, 0, 5);
    Send(e, WM_CUT);
    EXPECT_EQ(Text(e), u"paste");
    Send(e, WM_PASTE);
    Send(e, WM_PASTE);
    EXPECT_EQ(Text(e), u"clip clip paste");
}

TEST_F(EditControl, AMultiLineScrollBarFollowsTheFirstVisibleLine) {
    HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL,
                      u"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8", 150, 60);
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(e, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 7);
    Send(e, WM_VSCROLL, SB_PAGEDOWN, 0);
    const LRESULT first = Send(e, EM_GETFIRSTVISIBLELINE);
    EXPECT_GT(first, 0);
    ASSERT_TRUE(GetScrollInfo(e, SB_VERT, &si));
    EXPECT_EQ(si.nPos, first);
}
