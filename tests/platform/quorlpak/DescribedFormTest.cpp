// A form defined the way the programs define theirs: a C++ subclass with
// published fields and handlers, and a registered description. Created,
// shown and used headlessly: typing, tabbing, clicking, default and cancel
// keys, a timer on the manual clock (also inside a message box), and what
// the form painted read back.
#include "QuorlpakTestSupport.h"

#include <quorlpak/Buttons.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/FormDescriptions.h>
#include <quorlpak/StdCtrls.h>

#include <runpak/Filer.h>

namespace {

class TSetupForm : public TForm {
public:
    using TForm::TForm;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TLabel* AlarmLabel = nullptr;
    TEdit* SpeedEdit = nullptr;
    TEdit* CommentEdit = nullptr;
    TCheckBox* SaveCheck = nullptr;
    TComboBox* PortCombo = nullptr;
    TRadioGroup* ModeGroup = nullptr;
    TListBox* LogList = nullptr;
    TPanel* StatusPanel = nullptr;
    TButton* OkButton = nullptr;
    TBitBtn* CancelButton = nullptr;
    TTimer* PollTimer = nullptr;

    std::vector<std::string> Log;
    int Ticks = 0;
    int SpeedChanges = 0;

    void FormCreate(TObject*) { Log.push_back("create"); }
    void SpeedEditChange(TObject*) { ++SpeedChanges; }
    void EditEnter(TObject* Sender) { Log.push_back("enter " + NameOf(Sender)); }
    void EditExit(TObject* Sender) { Log.push_back("exit " + NameOf(Sender)); }
    void SaveCheckClick(TObject*) {
        Log.push_back("save " + std::to_string(SaveCheck->GetState()));
    }
    void PortComboChange(TObject*) { Log.push_back("port " + UnicodeToUtf8(PortCombo->GetText())); }
    void ModeGroupClick(TObject*) {
        Log.push_back("mode " + std::to_string(ModeGroup->GetItemIndex()));
    }
    void LogListClick(TObject*) { Log.push_back("log " + std::to_string(LogList->GetItemIndex())); }
    void OkButtonClick(TObject*) { Log.push_back("ok"); }
    void PollTimerTimer(TObject*) { ++Ticks; }

private:
    static std::string NameOf(TObject* Sender) {
        return UnicodeToUtf8(static_cast<TComponent*>(Sender)->GetName());
    }
};

TClass TSetupForm::StaticClass() {
    using F = TSetupForm;
    static const TMetaClass meta(TClassBuilder<F>(u"TSetupForm", TForm::StaticClass())
                                     .Field(u"AlarmLabel", &F::AlarmLabel)
                                     .Field(u"SpeedEdit", &F::SpeedEdit)
                                     .Field(u"CommentEdit", &F::CommentEdit)
                                     .Field(u"SaveCheck", &F::SaveCheck)
                                     .Field(u"PortCombo", &F::PortCombo)
                                     .Field(u"ModeGroup", &F::ModeGroup)
                                     .Field(u"LogList", &F::LogList)
                                     .Field(u"StatusPanel", &F::StatusPanel)
                                     .Field(u"OkButton", &F::OkButton)
                                     .Field(u"CancelButton", &F::CancelButton)
                                     .Field(u"PollTimer", &F::PollTimer)
                                     .Method(u"FormCreate", &F::FormCreate)
                                     .Method(u"SpeedEditChange", &F::SpeedEditChange)
                                     .Method(u"EditEnter", &F::EditEnter)
                                     .Method(u"EditExit", &F::EditExit)
                                     .Method(u"SaveCheckClick", &F::SaveCheckClick)
                                     .Method(u"PortComboChange", &F::PortComboChange)
                                     .Method(u"ModeGroupClick", &F::ModeGroupClick)
                                     .Method(u"LogListClick", &F::LogListClick)
                                     .Method(u"OkButtonClick", &F::OkButtonClick)
                                     .Method(u"PollTimerTimer", &F::PollTimerTimer));
    return &meta;
}

const char16_t* const kSetupFormText = uR"(
TSetupForm SetupForm {
    Left = 40
    Top = 30
    ClientWidth = 420
    ClientHeight = 300
    Caption = "軸の設定"
    OnCreate = FormCreate
    TLabel AlarmLabel {
        Left = 8
        Top = 12
        Caption = "アラーム："
        Font = { Color = 0x0000FF  Style = [fsBold] }
    }
    TEdit SpeedEdit {
        Left = 100
        Top = 8
        Width = 80
        Text = "1500"
        MaxLength = 6
        TabOrder = 0
        OnChange = SpeedEditChange
        OnEnter = EditEnter
        OnExit = EditExit
    }
    TEdit CommentEdit {
        Left = 190
        Top = 8
        Width = 220
        TabOrder = 1
        OnEnter = EditEnter
        OnExit = EditExit
    }
    TCheckBox SaveCheck {
        Left = 8
        Top = 40
        Width = 150
        Caption = "&Save on exit"
        TabOrder = 2
        OnClick = SaveCheckClick
    }
    TComboBox PortCombo {
        Left = 190
        Top = 40
        Style = csDropDownList
        Items.Strings = ("COM1", "COM2", "COM3")
        ItemIndex = 1
        TabOrder = 3
        OnChange = PortComboChange
    }
    TRadioGroup ModeGroup {
        Left = 8
        Top = 70
        Width = 200
        Height = 80
        Caption = "Mode"
        Columns = 2
        ItemIndex = 0
        Items = { Strings = ("Position", "Speed", "Torque") }
        TabOrder = 4
        OnClick = ModeGroupClick
    }
    TListBox LogList {
        Left = 220
        Top = 70
        Width = 190
        Height = 80
        Items.Strings = ("first", "second", "third")
        TabOrder = 5
        OnClick = LogListClick
    }
    TButton OkButton {
        Left = 250
        Top = 240
        Caption = "OK"
        Default = true
        ModalResult = 1
        TabOrder = 6
        OnClick = OkButtonClick
    }
    TBitBtn CancelButton {
        Left = 335
        Top = 240
        Kind = bkCancel
        TabOrder = 7
    }
    TPanel StatusPanel {
        Align = alBottom
        Height = 24
        Caption = "Ready"
        BevelOuter = bvLowered
        Alignment = taLeftJustify
    }
    TTimer PollTimer {
        Interval = 200
        OnTimer = PollTimerTimer
    }
}
)";

class DescribedFormTest : public QuorlpakTest {
protected:
    TSetupForm* form = nullptr;

    void SetUp() override {
        QuorlpakTest::SetUp();
        RegisterFormClass(TSetupForm::StaticClass(), kSetupFormText);
        Application->CreateForm(form);
    }
    void TearDown() override {
        TestSeams::ScriptMessageBoxes(nullptr);
        QuorlpakTest::TearDown();
        UnRegisterFormClass(TSetupForm::StaticClass());
    }
    void ShowAndPump() {
        form->Show();
        Pump();
    }
    static void Tab() {
        TestSeams::KeyPress(VK_TAB);
        Pump();
    }
    static void Type(std::u16string_view text) {
        TestSeams::TypeText(text);
        Pump();
    }
    static void Key(int vk) {
        TestSeams::KeyPress(vk);
        Pump();
    }
    // Pixels of a client rectangle of a window.
    static std::vector<COLORREF> Pixels(HWND hwnd, const RECT& r) {
        HDC dc = GetDC(hwnd);
        std::vector<COLORREF> pixels = win32::ReadPixels(dc, r);
        ReleaseDC(hwnd, dc);
        return pixels;
    }
    static int CountPixels(const std::vector<COLORREF>& pixels, bool (*match)(COLORREF)) {
        int n = 0;
        for (COLORREF c : pixels)
            n += match(c) ? 1 : 0;
        return n;
    }
};

TEST_F(DescribedFormTest, CreationBuildsTheControlsFillsTheFieldsAndBindsTheHandlers) {
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetName(), u"SetupForm");
    EXPECT_EQ(form->GetCaption(), u"軸の設定");
    EXPECT_EQ(form->GetClientWidth(), 420);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"create"}));
    ASSERT_NE(form->AlarmLabel, nullptr);
    ASSERT_NE(form->SpeedEdit, nullptr);
    ASSERT_NE(form->CommentEdit, nullptr);
    ASSERT_NE(form->SaveCheck, nullptr);
    ASSERT_NE(form->PortCombo, nullptr);
    ASSERT_NE(form->ModeGroup, nullptr);
    ASSERT_NE(form->LogList, nullptr);
    ASSERT_NE(form->StatusPanel, nullptr);
    ASSERT_NE(form->OkButton, nullptr);
    ASSERT_NE(form->CancelButton, nullptr);
    ASSERT_NE(form->PollTimer, nullptr);

    EXPECT_EQ(form->AlarmLabel->GetParent(), form);
    EXPECT_EQ(form->AlarmLabel->GetFont()->GetColor(), TColor(0x0000FF));
    EXPECT_TRUE(form->AlarmLabel->GetFont()->GetStyle().Contains(fsBold));
    EXPECT_EQ(form->SpeedEdit->GetText(), u"1500");
    EXPECT_EQ(form->SpeedEdit->GetMaxLength(), 6);
    EXPECT_EQ(form->PortCombo->GetItems()->GetCount(), 3);
    EXPECT_EQ(form->PortCombo->GetItemIndex(), 1);
    EXPECT_EQ(form->PortCombo->GetText(), u"COM2");
    EXPECT_EQ(form->ModeGroup->GetButtonCount(), 3);
    EXPECT_EQ(form->ModeGroup->GetItemIndex(), 0);
    EXPECT_TRUE(form->ModeGroup->GetButtons(0)->GetChecked());
    EXPECT_EQ(form->LogList->GetItems()->Get(2), u"third");
    EXPECT_TRUE(form->OkButton->GetDefault());
    EXPECT_EQ(form->OkButton->GetModalResult(), mrOk);
    EXPECT_EQ(form->CancelButton->GetKind(), bkCancel);
    EXPECT_EQ(form->CancelButton->GetCaption(), u"Cancel");
    EXPECT_TRUE(form->CancelButton->GetCancel());
    EXPECT_EQ(form->CancelButton->GetModalResult(), mrCancel);
    EXPECT_EQ(form->PollTimer->GetInterval(), 200u);
    // The bottom-aligned panel spans the client width at the bottom.
    EXPECT_EQ(form->StatusPanel->GetBoundsRect(), TRect(0, 276, 420, 300));
    // No handler ran while the description was read.
    EXPECT_EQ(form->SpeedChanges, 0);
}

TEST_F(DescribedFormTest, TypingTabbingAndClickingReachTheHandlersInOrder) {
    ShowAndPump();
    // The first tab stop has the focus, its text selected as entered by the keyboard.
    ASSERT_TRUE(form->SpeedEdit->Focused());
    Type(u"2000");
    EXPECT_EQ(form->SpeedEdit->GetText(), u"2000");
    EXPECT_EQ(form->SpeedChanges, 4);
    Type(u"123"); // MaxLength = 6
    EXPECT_EQ(form->SpeedEdit->GetText(), u"200012");

    Tab();
    EXPECT_TRUE(form->CommentEdit->Focused());
    Type(u"セーブファイルコメント");
    EXPECT_EQ(form->CommentEdit->GetText(), u"セーブファイルコメント");

    Tab();
    EXPECT_TRUE(form->SaveCheck->Focused());
    Key(VK_SPACE);
    EXPECT_TRUE(form->SaveCheck->GetChecked());

    ClickAt(form->ModeGroup->GetButtons(2), 4, 4);
    EXPECT_EQ(form->ModeGroup->GetItemIndex(), 2);
    EXPECT_FALSE(form->ModeGroup->GetButtons(0)->GetChecked());

    const int itemHeight = form->LogList->GetItemHeight();
    ClickAt(form->LogList, 10, itemHeight + itemHeight / 2);
    EXPECT_EQ(form->LogList->GetItemIndex(), 1);

    EXPECT_EQ(form->Log, (std::vector<std::string>{"create", "enter SpeedEdit", "exit SpeedEdit",
                                                   "enter CommentEdit", "exit CommentEdit",
                                                   "save 1", "mode 2", "log 1"}));
}

TEST_F(DescribedFormTest, ShiftTabGoesBackAndTheDropDownListChangesWithTheArrows) {
    ShowAndPump();
    form->PortCombo->SetFocus();
    Pump();
    form->Log.clear();
    Key(VK_DOWN);
    EXPECT_EQ(form->PortCombo->GetItemIndex(), 2);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"port COM3"}));
    TestSeams::KeyDown(VK_SHIFT);
    Key(VK_TAB);
    TestSeams::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_TRUE(form->SaveCheck->Focused());
}

TEST_F(DescribedFormTest, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
    ShowAndPump();
    Key(VK_RETURN);
    EXPECT_EQ(form->GetModalResult(), mrOk);
    EXPECT_EQ(form->Log.back(), "ok");
    form->SetModalResult(mrNone);
    Key(VK_ESCAPE);
    EXPECT_EQ(form->GetModalResult(), mrCancel);
}

TEST_F(DescribedFormTest, ShowModalEndsWithTheResultOfTheButtonClicked) {
    Application->OnIdle = [](TObject*, bool& done) {
        TestSeams::AdvanceClock(50);
        done = false;
    };
    form->PollTimer->OnTimer = [this](TObject*) {
        ++form->Ticks;
        if (form->Ticks == 2)
            TestSeams::Click(TestSeams::ClientPoint(form->CancelButton->GetHandle(), 5, 5));
    };
    int result = form->ShowModal();
    Application->OnIdle = nullptr;
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(form->Ticks, 2);
}

TEST_F(DescribedFormTest, TheTimerTicksOnTheClockAlsoWhileAMessageBoxIsOpen) {
    ShowAndPump();
    TestSeams::AdvanceClock(200);
    Pump();
    EXPECT_EQ(form->Ticks, 1);
    int ticksWhenAnswered = -1;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord&) {
        return TestSeams::MessageBoxAnswer{IDOK, 1000};
    });
    form->OkButton->OnClick = [&](TObject*) {
        Application->MessageBox(u"アラーム：過電流", u"Servo", MB_OK);
        ticksWhenAnswered = form->Ticks;
    };
    ClickAt(form->OkButton, 10, 10);
    EXPECT_EQ(ticksWhenAnswered, 1 + 5);
    std::vector<TestSeams::MessageBoxRecord> boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"アラーム：過電流");
    EXPECT_EQ(boxes[0].result, IDOK);
}

TEST_F(DescribedFormTest, TheFormPaintsItsTextAndColoursWhereTheControlsAre) {
    ShowAndPump();
    TLabel* label = form->AlarmLabel;
    // An autosized label is as large as its text measures on its canvas.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, label->GetFont()->GetHandle());
    SIZE extent{};
    GetTextExtentPoint32W(dc, u"アラーム：", 5, &extent);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(label->GetWidth(), extent.cx);
    EXPECT_EQ(label->GetHeight(), extent.cy);
    EXPECT_GT(extent.cx, 40);

    auto red = [](COLORREF c) {
        return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
    };
    const RECT labelRect = label->GetBoundsRect();
    EXPECT_GT(CountPixels(Pixels(form->GetHandle(), labelRect), red), 20);
    // Nothing red beside the label.
    EXPECT_EQ(CountPixels(Pixels(form->GetHandle(), RECT{0, 60, 8, 240}), red), 0);

    // A button's font colour shows on its face.
    auto blue = [](COLORREF c) {
        return GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60;
    };
    HWND ok = form->OkButton->GetHandle();
    const RECT face{0, 0, form->OkButton->GetWidth(), form->OkButton->GetHeight()};
    EXPECT_EQ(CountPixels(Pixels(ok, face), blue), 0);
    form->OkButton->GetFont()->SetColor(clBlue);
    Pump();
    EXPECT_GT(CountPixels(Pixels(ok, face), blue), 5);
    // The panel's caption is drawn on its face, the face in the panel's colour.
    EXPECT_EQ(PixelAt(form->StatusPanel, form->StatusPanel->GetWidth() - 10, 12),
              ColorToRGB(clBtnFace));
}

TEST_F(DescribedFormTest, TheDescriptionStreamsBackWithItemsAsLists) {
    UnicodeString text = ComponentToObjectText(form);
    std::string utf8 = UnicodeToUtf8(text);
    EXPECT_NE(utf8.find("TComboBox PortCombo"), std::string::npos);
    EXPECT_NE(utf8.find("Strings = (\"COM1\", \"COM2\", \"COM3\")"), std::string::npos) << utf8;
    EXPECT_NE(utf8.find("OnClick = ModeGroupClick"), std::string::npos);
    EXPECT_NE(utf8.find("Kind = bkCancel"), std::string::npos);
    // The radio group's own buttons are not part of the description.
    EXPECT_EQ(utf8.find("TRadioButton"), std::string::npos);

    // Read into a plain form of the same class: the same controls come back.
    UnRegisterComponentText(u"TSetupForm");
    TSetupForm* copy = nullptr;
    Application->CreateForm(copy);
    EXPECT_EQ(copy->PortCombo, nullptr);
    LoadComponentFromText(copy, text);
    ASSERT_NE(copy->PortCombo, nullptr);
    EXPECT_EQ(copy->PortCombo->GetItems()->GetCommaText(), u"COM1,COM2,COM3");
    EXPECT_EQ(copy->PortCombo->GetItemIndex(), 1);
    EXPECT_EQ(copy->ModeGroup->GetItems()->GetCount(), 3);
    EXPECT_EQ(copy->CancelButton->GetKind(), bkCancel);
    EXPECT_EQ(copy->AlarmLabel->GetCaption(), u"アラーム：");
    ASSERT_TRUE(copy->ModeGroup->OnClick);
}

TEST_F(DescribedFormTest, AnUnknownHandlerInTheDescriptionFailsTheCreation) {
    RegisterComponentText(u"TSetupForm", uR"(TSetupForm SetupForm {
        TButton B { OnClick = NoSuchHandler }
    })");
    TSetupForm* broken = nullptr;
    EXPECT_THROW(Application->CreateForm(broken), EReadError);
}

} // namespace
