// TMaskEdit: the text laid out in the mask, typing that fills only fitting
// input positions, backspace and delete leaving blanks, the value with and
// without literals, and validation of required positions.
#include "StdControlsTestSupport.h"

#include <quorlpak/Mask.h>

namespace {

TEST_F(StdControlsTest, MaskEditTypingFillsTheInputPositions) {
    auto* edit = Make<TMaskEdit>(10, 10, 150, 21);
    edit->SetEditMask(u"(999) 000-0000;1;_");
    EXPECT_EQ(edit->GetText(), u"(___) ___-____");
    Focus(edit);
    edit->SetSelStart(0);
    Type(u"55x5123"); // the letter does not fit a digit position
    EXPECT_EQ(edit->GetText(), u"(555) 123-____");
    EXPECT_EQ(edit->GetSelStart(), 10);
    Key(VK_BACK); // the last digit typed, across the literal
    EXPECT_EQ(edit->GetText(), u"(555) 12_-____");
    EXPECT_THROW(edit->ValidateEdit(), EDBEditError);
    EXPECT_EQ(edit->GetSelStart(), 8); // on the first blank required position
    Type(u"34567");
    EXPECT_EQ(edit->GetText(), u"(555) 123-4567");
    EXPECT_NO_THROW(edit->ValidateEdit());
    EXPECT_EQ(edit->GetMaskedValue(), u"(555) 123-4567");
    edit->SetEditMask(u"(999) 000-0000;0;_");
    EXPECT_EQ(edit->GetMaskedValue(), u"5551234567");
    EXPECT_EQ(edit->GetText(), u"(555) 123-4567");
}

TEST_F(StdControlsTest, MaskEditValuesLayOutInTheMask) {
    auto* edit = Make<TMaskEdit>(10, 10, 150, 21);
    struct Case {
        const char16_t* mask;
        const char16_t* value;
        const char16_t* text;
        const char16_t* back;
    } cases[] = {
        {u">LL-0000;1;*", u"ab-12", u"AB-12**", u"AB-12"},
        {u">LL-0000;0;*", u"ab12", u"AB-12**", u"AB12"},
        {u"\\A99;1", u"A7", u"A7_", u"A7"},
        {u"<ll>ll", u"aBcD", u"abCD", u"abCD"},
        {u"00:00", u"1x:30", u"1_:30", u"1 :30"},
    };
    for (const Case& c : cases) {
        edit->SetEditMask(u"");
        edit->SetText(u"");
        edit->SetEditMask(c.mask);
        edit->SetMaskedValue(c.value);
        EXPECT_EQ(edit->GetText(), c.text) << UnicodeString(c.mask).size();
        EXPECT_EQ(edit->GetMaskedValue(), c.back) << UnicodeString(c.mask).size();
    }
    // Without a mask the edit is a plain one.
    edit->SetEditMask(u"");
    Focus(edit);
    edit->SelectAll();
    Type(u"free text");
    EXPECT_EQ(edit->GetText(), u"free text");
    EXPECT_NO_THROW(edit->ValidateEdit());
}

TEST_F(StdControlsTest, MaskEditPastesAsTypedAndCutsToBlanks) {
    auto* edit = Make<TMaskEdit>(10, 10, 150, 21);
    edit->SetEditMask(u"00/00/0000;1;_");
    Focus(edit);
    edit->SetSelStart(0);
    edit->SetSelLength(0);
    // Clipboard text that does not fit the mask goes in only where it fits.
    ASSERT_TRUE(OpenClipboard(edit->GetHandle()));
    EmptyClipboard();
    const std::u16string text = u"12x0";
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* chars = static_cast<char16_t*>(GlobalLock(data));
    std::copy(text.begin(), text.end(), chars);
    chars[text.size()] = 0;
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->GetText(), u"12/0_/____");
    edit->SetSelStart(1);
    edit->SetSelLength(3);
    edit->Perform(WM_CUT, 0, 0);
    EXPECT_EQ(edit->GetText(), u"1_/__/____");
    edit->SelectAll();
    edit->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ(edit->GetText(), u"__/__/____");
    // The keys for pasting take the same way; the cut left "2/0" to paste.
    edit->SetSelStart(3);
    edit->SetSelLength(0);
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyPress('V');
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(edit->GetText(), u"__/20/____");
    edit->SetSelStart(0);
    TestSeams::KeyDown(VK_SHIFT);
    TestSeams::KeyPress(VK_INSERT);
    TestSeams::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(edit->GetText(), u"20/20/____");
}

} // namespace
