// The parameter page: showing parameters and composing them back.
#include "PanelFixture.h"

class PageTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        CreatePanel();
    }
    void Show(int n, int32_t value) {
        Form4->ParamTable[n] = value;
        Form4->EditWrite(n);
    }
};

TEST_F(PageTest, StartsWithTheDesignedSelections) {
    EXPECT_EQ(Form4->RadioGroup1->GetItemIndex(), 1);
    for (TRadioGroup* group : {Form4->RadioGroup2, Form4->RadioGroup3, Form4->RadioGroup4,
                               Form4->RadioGroup5, Form4->RadioGroup6})
        EXPECT_EQ(group->GetItemIndex(), 0);
    EXPECT_EQ(Form4->GetEditValue(56), 0);
    EXPECT_EQ(Form4->Edit1->GetText(), u"");
    EXPECT_EQ(Form4->RadioGroup1->GetItems()->Get(0), u"CW、CCW新党");
    EXPECT_EQ(Form4->TabSheet1->GetCaption(), u"Page1");
}

TEST_F(PageTest, EditBoxesShowTheirParameterInDecimal) {
    struct Case {
        int n;
        TEdit* TForm4::*edit;
    } cases[] = {{0, &TForm4::Edit1}, {1, &TForm4::Edit2}, {2, &TForm4::Edit3},
                 {3, &TForm4::Edit4}, {6, &TForm4::Edit7}, {7, &TForm4::Edit8}};
    for (const Case& c : cases) {
        Show(c.n, -1000 - c.n);
        EXPECT_EQ((Form4->*c.edit)->GetText(), IntToStr(-1000 - c.n));
        EXPECT_EQ(Form4->GetEditValue(c.n), -1000 - c.n);
    }
}

TEST_F(PageTest, EncoderPulseModeBothWays) {
    struct Case {
        int32_t value;
        int multiplier, poles, polarity, alarm;
        int32_t composed;
    } cases[] = {
        {0, 0, 0, 0, 0, 0},   {1, 1, 0, 0, 0, 1},       {2, 2, 0, 0, 0, 2},
        {3, 2, 0, 0, 0, 2},   {4, 0, 2, 0, 0, 4},       {16, 0, 1, 0, 0, 16},
        {20, 0, 2, 0, 0, 4},  {0x15, 1, 2, 0, 0, 5},    {32, 0, 0, 1, 0, 32},
        {64, 0, 0, 0, 1, 64}, {0x7F, 2, 2, 1, 1, 0x66}, {0x180, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Show(4, c.value);
        EXPECT_EQ(Form4->RadioGroup3->GetItemIndex(), c.multiplier) << c.value;
        EXPECT_EQ(Form4->RadioGroup4->GetItemIndex(), c.poles) << c.value;
        EXPECT_EQ(Form4->RadioGroup5->GetItemIndex(), c.polarity) << c.value;
        EXPECT_EQ(Form4->RadioGroup6->GetItemIndex(), c.alarm) << c.value;
        EXPECT_EQ(Form4->GetEditValue(4), c.composed) << c.value;
    }
    Show(4, 20);
    EXPECT_EQ(Form4->RadioGroup4->GetItems()->Get(Form4->RadioGroup4->GetItemIndex()), u"直流励磁");
    Show(4, 3);
    EXPECT_EQ(Form4->RadioGroup3->GetItems()->Get(Form4->RadioGroup3->GetItemIndex()), u"４逓倍");
}

TEST_F(PageTest, CommandPulseModeBothWays) {
    struct Case {
        int32_t value;
        int multiplier, signal;
        int32_t composed;
    } cases[] = {{0, 0, 0, 0}, {2, 1, 0, 2},    {4, 0, 1, 4},
                 {6, 1, 1, 6}, {0x21, 0, 0, 0}, {0xFF, 1, 1, 6}};
    for (const Case& c : cases) {
        Show(5, c.value);
        EXPECT_EQ(Form4->RadioGroup2->GetItemIndex(), c.multiplier) << c.value;
        EXPECT_EQ(Form4->RadioGroup1->GetItemIndex(), c.signal) << c.value;
        EXPECT_EQ(Form4->GetEditValue(5), c.composed) << c.value;
    }
}

TEST_F(PageTest, AlarmMaskChecksOneBoxPerBitFromPrmDown) {
    Show(56, 257);
    std::vector<UnicodeString> checked;
    for (TCheckBox* box :
         {Form4->CheckBox1, Form4->CheckBox2, Form4->CheckBox3, Form4->CheckBox4, Form4->CheckBox5,
          Form4->CheckBox6, Form4->CheckBox7, Form4->CheckBox8, Form4->CheckBox9})
        if (box->GetChecked()) checked.push_back(box->GetCaption());
    EXPECT_EQ(checked, (std::vector<UnicodeString>{u"PRM", u"FC"}));
    EXPECT_EQ(Form4->GetEditValue(56), 257);
    for (int32_t value : {0, 1, 2, 0x55, 0x1AA, 0x1FF}) {
        Show(56, value);
        EXPECT_EQ(Form4->GetEditValue(56), value);
    }
    Show(56, 0x7FFFFE00 | 0x3);
    EXPECT_EQ(Form4->GetEditValue(56), 3);
}

TEST_F(PageTest, OtherParameterNumbersChangeNothing) {
    Show(0, 11);
    Show(56, 5);
    for (int n : {8, 15, 16, 21, 55, 57, 63, 127, -1, 128}) {
        Form4->EditWrite(n);
    }
    EXPECT_EQ(Form4->Edit1->GetText(), u"11");
    EXPECT_EQ(Form4->GetEditValue(56), 5);
}

TEST_F(PageTest, TextThatIsNoIntegerRaisesOnComposing) {
    Form4->Edit2->SetText(u"12a");
    EXPECT_THROW(Form4->GetEditValue(1), EConvertError);
}

TEST_F(PageTest, LeavingAnEditBoxPutsBackItsParameterWhenTheTextIsNoInteger) {
    struct Case {
        int n;
        TEdit* TForm4::*edit;
        void (TForm4::*exit)(TObject*);
    } cases[] = {{0, &TForm4::Edit1, &TForm4::Edit1Exit}, {1, &TForm4::Edit2, &TForm4::Edit2Exit},
                 {2, &TForm4::Edit3, &TForm4::Edit3Exit}, {3, &TForm4::Edit4, &TForm4::Edit4Exit},
                 {6, &TForm4::Edit7, &TForm4::Edit7Exit}, {7, &TForm4::Edit8, &TForm4::Edit8Exit}};
    for (const Case& c : cases) {
        Form4->ParamTable[c.n] = 40 + c.n;
        TEdit* edit = Form4->*c.edit;
        edit->SetText(u"12a");
        (Form4->*c.exit)(edit);
        EXPECT_EQ(edit->GetText(), IntToStr(40 + c.n));
        edit->SetText(u"-5");
        (Form4->*c.exit)(edit);
        EXPECT_EQ(edit->GetText(), u"-5");
        EXPECT_EQ(Form4->ParamTable[c.n], 40 + c.n); // the table is not changed
    }
}

TEST_F(PageTest, TheTransferButtonReportsTheWrite) {
    Form4->Button1Click(Form4->Button1);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"転送に失敗しました。"});
    auto peer = InstallDrive(1);
    Form4->rsopen(1, 9600);
    OkEveryBox();
    Form4->Edit1->SetText(u"1");
    Form4->Edit2->SetText(u"2");
    Form4->Edit3->SetText(u"3");
    Form4->Edit4->SetText(u"4");
    Form4->Edit7->SetText(u"7");
    Form4->Edit8->SetText(u"8");
    Form4->Button1Click(Form4->Button1);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"転送しました。"});
    EXPECT_EQ(drive.Param(7), 8);
}
