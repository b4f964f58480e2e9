// Wide-text controls: character messages, synced texts and the wide edit
// painting and editing Japanese text.
#include "benchkit/shell/IDEVirtualUnicodeControls.h"

#include <ApplicationTest.h>

#include <vector>

TEST(WideCharMessages, CharactersBeyond8BitsTravelParkedInTheHighWord) {
    struct Case {
        WPARAM in;
        WORD low, high;
        char16_t whole;
    } cases[] = {
        {u'a', u'a', 0, u'a'},
        {0xE9, 0xE9, 0, 0xE9},                     // still 8 bits
        {0x3042, 255, 0x3042, 0x3042},             // "あ" waits in the high word
        {MAKEWPARAM(0x42, 0x30), 255, 0x3042, 0x3042}, // two bytes are joined first
    };
    for (const Case& c : cases) {
        TMessage m;
        m.Msg = WM_CHAR;
        m.WParam = c.in;
        MakeWMCharMsgSafeForAnsi(m);
        EXPECT_EQ(LOWORD(m.WParam), c.low) << std::hex << c.in;
        EXPECT_EQ(HIWORD(m.WParam), c.high) << std::hex << c.in;
        EXPECT_EQ(GetWideCharFromWMCharMsg(m), c.whole);
        RestoreWMCharMsg(m);
        EXPECT_EQ(m.WParam, WPARAM(c.whole));

        TMessage set;
        SetWideCharForWMCharMsg(set, c.whole);
        EXPECT_EQ(GetWideCharFromWMCharMsg(set), c.whole);
    }
    EXPECT_TRUE(IsTextMessage(WM_GETTEXTLENGTH));
    EXPECT_FALSE(IsTextMessage(WM_CHAR));
    EXPECT_TRUE(Wem_Is_IntResource(MAKEINTRESOURCEW(7)));
    EXPECT_FALSE(Wem_Is_IntResource(u"MENU"));
}

TEST(WideSyncedText, FollowsAnOutsideChangeAndAnnouncesLossyValues) {
    UnicodeString wide = u"abc";
    EXPECT_EQ(GetSyncedWideString(wide, AnsiString("abc")), u"abc");
    EXPECT_EQ(GetSyncedWideString(wide, AnsiString("xyz")), u"xyz") << "changed elsewhere";

    std::vector<std::string> set;
    auto record = [&](const AnsiString& v) { set.push_back(v.Bytes()); };
    const UnicodeString lossy = u"한글"; // no 8-bit code page has these
    const AnsiString narrow(std::u16string_view(lossy), CP_ACP);
    // The 8-bit text already equals the lossy form: an empty text goes first.
    SetSyncedWideString(lossy, wide, narrow, record);
    EXPECT_EQ(wide, lossy);
    EXPECT_EQ(set, (std::vector<std::string>{"", narrow.Bytes()}));
    set.clear();
    SetSyncedWideString(lossy, wide, narrow, record);
    EXPECT_TRUE(set.empty()) << "the same value changes nothing";
}

namespace {

class WideEditTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        InitializeIDEVirtualUnicodeControls();
        form_ = ShownForm(300, 100);
        edit_ = new TWideEdit(form_);
        edit_->GetFont()->SetName(u"DejaVu Sans");
        edit_->SetBounds(10, 10, 260, 30);
        edit_->SetParent(form_);
        Pump();
    }
    void TearDown() override {
        ApplicationTest::TearDown();
        FinalizeIDEVirtualUnicodeControls();
    }
    TForm* form_ = nullptr;
    TWideEdit* edit_ = nullptr;
};

} // namespace

TEST_F(WideEditTest, TheWindowComesFromTheUnicodeTwinOfTheEditClass) {
    WCHAR name[64];
    int length = GetClassNameW(edit_->GetHandle(), name, 64);
    EXPECT_EQ(std::u16string(name, length).substr(length > 13 ? length - 13 : 0), u".UnicodeClass");
    EXPECT_EQ(FindControl(edit_->GetHandle()), edit_) << "the framework finds its control";
}

TEST_F(WideEditTest, ShowsAndEditsJapaneseText) {
    edit_->SetText(u"日本語のファイル.txt");
    EXPECT_EQ(edit_->GetText(), u"日本語のファイル.txt");
    Pump();
    // Something was drawn where the text stands.
    const COLORREF blank = PixelAt(edit_, 250, 15);
    int inked = 0;
    for (int x = 4; x < 80; ++x)
        for (int y = 4; y < 24; ++y)
            inked += PixelAt(edit_, x, y) != blank;
    EXPECT_GT(inked, 20);

    edit_->SetFocus();
    Pump();
    edit_->SelectText(0, 3);
    Pump();
    EXPECT_EQ(edit_->GetSelText(), u"日本語");
    edit_->SetSelText(u"漢字");
    EXPECT_EQ(edit_->GetText(), u"漢字のファイル.txt");
    SendMessageW(edit_->GetHandle(), EM_SETSEL, 100, 100);
    TestSeams::TypeText(u"テスト");
    Pump();
    EXPECT_EQ(edit_->GetText(), u"漢字のファイル.txtテスト");
}

TEST_F(WideEditTest, ReCreatingTheWindowKeepsTheUnicodeText) {
    edit_->SetText(u"データ");
    HWND first = edit_->GetHandle();
    edit_->SetReadOnly(true); // a property the window is made again for
    edit_->RecreateWnd();
    Pump();
    EXPECT_NE(edit_->GetHandle(), first);
    EXPECT_EQ(edit_->GetText(), u"データ");
}
