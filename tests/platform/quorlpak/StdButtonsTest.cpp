// Push buttons and their modal results, kind buttons, check boxes, radio
// buttons and radio groups.
#include "CaseName.h"
#include "StdControlsTestSupport.h"

namespace {

using ButtonTest = StdControlsTest;

TEST_F(ButtonTest, AClickSetsTheFormsModalResultBeforeOnClickRuns) {
    auto* button = Make<TButton>(10, 10, 75, 25);
    button->SetModalResult(mrYes);
    TModalResult seenInClick = -1;
    int clicks = 0;
    button->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, button);
        seenInClick = form->GetModalResult();
        ++clicks;
    };
    ClickAt(button, 10, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(seenInClick, mrYes);
    EXPECT_EQ(form->GetModalResult(), mrYes);
}

TEST_F(ButtonTest, AButtonWithoutModalResultLeavesTheFormsAlone) {
    auto* button = Make<TButton>(10, 10, 75, 25);
    form->SetModalResult(mrRetry);
    ClickAt(button, 10, 10);
    EXPECT_EQ(form->GetModalResult(), mrRetry);
}

TEST_F(ButtonTest, QuickClicksAreEachAClick) {
    auto* button = Make<TButton>(10, 10, 75, 25);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    const POINT at = TestSeams::ClientPoint(button->GetHandle(), 5, 5);
    TestSeams::Click(at);
    TestSeams::Click(at); // within the double-click time
    Pump();
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, EnterClicksTheFocusedButtonElseTheDefaultOne) {
    auto* edit = Make<TEdit>(10, 50, 100, 21);
    auto* other = Make<TButton>(10, 10, 75, 25);
    auto* ok = Make<TButton>(100, 10, 75, 25);
    ok->SetDefault(true);
    std::vector<std::string> log;
    other->OnClick = [&](TObject*) { log.push_back("other"); };
    ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    Focus(edit);
    EXPECT_TRUE(ok->IsActive());
    Key(VK_RETURN);
    Focus(other);
    EXPECT_FALSE(ok->IsActive());
    Key(VK_RETURN);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "other"}));
    // A disabled default button does not take Enter.
    Focus(edit);
    ok->SetEnabled(false);
    Key(VK_RETURN);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ButtonTest, EscapeClicksTheCancelButton) {
    auto* edit = Make<TEdit>(10, 50, 100, 21);
    auto* cancel = Make<TButton>(10, 10, 75, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    Focus(edit);
    Key(VK_ESCAPE);
    EXPECT_EQ(form->GetModalResult(), mrCancel);
}

TEST_F(ButtonTest, TheButtonEnterClicksWearsTheDarkFrame) {
    auto* plain = Make<TButton>(10, 10, 75, 25);
    auto* def = Make<TButton>(100, 10, 75, 25);
    auto* edit = Make<TEdit>(10, 50, 100, 21);
    def->SetDefault(true);
    Focus(edit);
    const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    EXPECT_EQ(PixelAt(def, 10, 0), frame);
    EXPECT_NE(PixelAt(plain, 10, 0), frame);
    // Focus on another button takes the frame over.
    Focus(plain);
    EXPECT_EQ(PixelAt(plain, 10, 0), frame);
    EXPECT_NE(PixelAt(def, 10, 0), frame);
}

TEST_F(ButtonTest, AcceleratorsClickButtonsToggleBoxesAndFocusWhatLabelsName) {
    auto* start = Make<TButton>(10, 10, 75, 25);
    start->SetCaption(u"Start");
    auto* save = Make<TButton>(100, 10, 75, 25);
    save->SetCaption(u"&Save");
    auto* box = Make<TCheckBox>(10, 50, 120, 17);
    box->SetCaption(u"&Auto && more");
    auto* edit = Make<TEdit>(10, 80, 100, 21);
    auto* label = new TLabel(form);
    label->SetCaption(u"&Port");
    label->SetFocusControl(edit);
    label->SetParent(form);
    int saves = 0;
    save->OnClick = [&](TObject*) { ++saves; };
    Focus(start); // a button takes no characters: they are accelerators
    Type(u"S");
    EXPECT_EQ(saves, 1);
    Type(u"a");
    EXPECT_TRUE(box->Focused());
    EXPECT_TRUE(box->GetChecked());
    Type(u"x"); // no accelerator
    EXPECT_TRUE(box->GetChecked());
    Type(u"p");
    EXPECT_TRUE(edit->Focused());
    Type(u"s"); // the edit takes it as text
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(edit->GetText(), u"s");
    EXPECT_TRUE(IsAccel(u'm', u"&&&more"));
    EXPECT_FALSE(IsAccel(u'a', u"&&a"));
}

// --- Kind buttons -------------------------------------------------------------------------

struct KindCase {
    TBitBtnKind kind;
    const char16_t* caption;
    TModalResult result;
    bool isDefault;
    bool isCancel;
};

class BitBtnKindTest : public StdControlsTest, public testing::WithParamInterface<KindCase> {};

TEST_P(BitBtnKindTest, AKindBringsItsCaptionResultAndRole) {
    const KindCase& c = GetParam();
    auto* button = Make<TBitBtn>(10, 10, 90, 25);
    button->SetKind(c.kind);
    EXPECT_EQ(button->GetKind(), c.kind);
    EXPECT_EQ(button->GetCaption(), c.caption);
    EXPECT_EQ(button->GetModalResult(), c.result);
    EXPECT_EQ(button->GetDefault(), c.isDefault);
    EXPECT_EQ(button->GetCancel(), c.isCancel);
    EXPECT_EQ(BitBtnCaption(c.kind), c.caption);
    EXPECT_EQ(BitBtnModalResult(c.kind), c.result);
    if (c.result != mrNone) {
        ClickAt(button, 5, 5);
        EXPECT_EQ(form->GetModalResult(), c.result);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BitBtnKindTest,
                         testing::Values(KindCase{bkOK, u"OK", mrOk, true, false},
                                         KindCase{bkCancel, u"Cancel", mrCancel, false, true},
                                         KindCase{bkHelp, u"&Help", mrNone, false, false},
                                         KindCase{bkYes, u"&Yes", mrYes, true, false},
                                         KindCase{bkNo, u"&No", mrNo, false, true},
                                         KindCase{bkClose, u"&Close", mrNone, false, false},
                                         KindCase{bkAbort, u"Abort", mrAbort, false, false},
                                         KindCase{bkRetry, u"&Retry", mrRetry, false, false},
                                         KindCase{bkIgnore, u"&Ignore", mrIgnore, false, false},
                                         KindCase{bkAll, u"&All", mrAll, false, false}),
                         [](const testing::TestParamInfo<KindCase>& info) {
                             return UnicodeToUtf8(
                                 GetEnumName(TypeInfo_TBitBtnKind(), info.param.kind));
                         });

using BitBtnTest = StdControlsTest;

TEST_F(BitBtnTest, AKindWhoseResultOrRoleChangedReadsAsCustom) {
    auto* button = Make<TBitBtn>(10, 10, 90, 25);
    button->SetKind(bkYes);
    button->SetModalResult(mrOk);
    EXPECT_EQ(button->GetKind(), bkCustom);
    button->SetKind(bkNo);
    EXPECT_EQ(button->GetKind(), bkNo);
    button->SetCancel(false);
    EXPECT_EQ(button->GetKind(), bkCustom);
}

TEST_F(BitBtnTest, ADescribedCaptionWinsOverTheKindsInEitherOrder) {
    auto* a = static_cast<TBitBtn*>(ObjectTextToComponent(
        uR"(TBitBtn A { Kind = bkYes  Caption = "はい" })", new TBitBtn(form)));
    auto* b = static_cast<TBitBtn*>(ObjectTextToComponent(
        uR"(TBitBtn B { Caption = "いいえ"  Kind = bkNo })", new TBitBtn(form)));
    auto* c = static_cast<TBitBtn*>(
        ObjectTextToComponent(uR"(TBitBtn C { Kind = bkAbort })", new TBitBtn(form)));
    EXPECT_EQ(a->GetCaption(), u"はい");
    EXPECT_EQ(a->GetModalResult(), mrYes);
    EXPECT_EQ(b->GetCaption(), u"いいえ");
    EXPECT_EQ(b->GetKind(), bkNo);
    EXPECT_EQ(c->GetCaption(), u"Abort");
    // Written back, a kind carries what it implies.
    std::string text = UnicodeToUtf8(ComponentToObjectText(b));
    EXPECT_NE(text.find("Kind = bkNo"), std::string::npos);
    EXPECT_EQ(text.find("ModalResult"), std::string::npos) << text;
}

TEST_F(BitBtnTest, ACloseButtonClosesItsForm) {
    auto* button = Make<TBitBtn>(10, 10, 90, 25);
    button->SetKind(bkClose);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    ClickAt(button, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form->GetVisible());
}

TEST_F(BitBtnTest, TheFontsColourAndBoldnessShow) {
    auto* plain = Make<TBitBtn>(10, 10, 90, 25);
    auto* styled = Make<TBitBtn>(110, 10, 90, 25);
    plain->SetKind(bkCancel);
    styled->SetKind(bkCancel);
    styled->GetFont()->SetColor(clRed);
    styled->GetFont()->SetStyle({fsBold});
    Pump();
    auto count = [](const std::vector<COLORREF>& pixels, auto match) {
        return std::count_if(pixels.begin(), pixels.end(), match);
    };
    auto red = [](COLORREF c) {
        return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
    };
    auto dark = [](COLORREF c) {
        return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90;
    };
    const RECT face{4, 4, 86, 21};
    auto plainPixels = Pixels(plain->GetHandle(), face);
    auto styledPixels = Pixels(styled->GetHandle(), face);
    EXPECT_EQ(count(plainPixels, red), 0);
    EXPECT_GT(count(styledPixels, red), 10);
    // Bold text covers more of the face than plain text.
    EXPECT_GT(count(styledPixels, red), count(plainPixels, dark));
}

// --- Check boxes ---------------------------------------------------------------------------------

struct ToggleCase {
    bool allowGrayed;
    std::vector<TCheckBoxState> states; // after each click
};

void PrintTo(const ToggleCase& c, std::ostream* os) {
    *os << (c.allowGrayed ? "AllowGrayed" : "TwoStates");
}

class CheckBoxToggleTest : public StdControlsTest,
                           public testing::WithParamInterface<ToggleCase> {};

TEST_P(CheckBoxToggleTest, ClicksStepThroughTheStates) {
    auto* box = Make<TCheckBox>(10, 10, 120, 17);
    box->SetAllowGrayed(GetParam().allowGrayed);
    std::vector<TCheckBoxState> seen;
    box->OnClick = [&](TObject*) { seen.push_back(box->GetState()); };
    for (size_t i = 0; i < GetParam().states.size(); ++i) {
        ClickAt(box, 5, 8);
        EXPECT_EQ(SendMessageW(box->GetHandle(), BM_GETCHECK, 0, 0), GetParam().states[i]);
    }
    EXPECT_EQ(seen, GetParam().states);
    EXPECT_EQ(box->GetChecked(), box->GetState() == cbChecked);
}

INSTANTIATE_TEST_SUITE_P(States, CheckBoxToggleTest,
                         testing::Values(ToggleCase{false, {cbChecked, cbUnchecked, cbChecked}},
                                         ToggleCase{true,
                                                    {cbGrayed, cbChecked, cbUnchecked, cbGrayed}}),
                         CaseName());

using CheckBoxTest = StdControlsTest;

TEST_F(CheckBoxTest, SpaceTogglesTheFocusedBox) {
    auto* box = Make<TCheckBox>(10, 10, 120, 17);
    Focus(box);
    Key(VK_SPACE);
    EXPECT_TRUE(box->GetChecked());
}

TEST_F(CheckBoxTest, TheProgramsChangesClickButReadingDoesNot) {
    int clicks = 0;
    auto* box = static_cast<TCheckBox*>(ObjectTextToComponent(
        uR"(TCheckBox Box { State = cbGrayed  AllowGrayed = true })", new TCheckBox(form)));
    box->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_EQ(box->GetState(), cbGrayed);
    box->SetParent(form);
    EXPECT_EQ(SendMessageW(box->GetHandle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
}

TEST_F(CheckBoxTest, TheStateSurvivesANewWindow) {
    auto* box = Make<TCheckBox>(10, 10, 120, 17);
    box->SetState(cbChecked);
    HWND before = box->GetHandle();
    box->SetAlignment(taLeftJustify); // a new window
    EXPECT_NE(box->GetHandle(), before);
    EXPECT_EQ(SendMessageW(box->GetHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(GetWindowLongW(box->GetHandle(), GWL_STYLE) & BS_LEFTTEXT);
}

TEST_F(CheckBoxTest, TheCaptionTakesTheFontsColour) {
    auto* box = Make<TCheckBox>(10, 10, 150, 17);
    box->SetCaption(u"Save 保存");
    box->GetFont()->SetColor(clBlue);
    Pump();
    auto pixels = Pixels(box->GetHandle(), RECT{18, 0, 150, 17});
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(),
                            [](COLORREF c) {
                                return GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60;
                            }),
              5);
}

// --- Radio buttons ------------------------------------------------------------------------------

using RadioButtonTest = StdControlsTest;

TEST_F(RadioButtonTest, CheckingOneUnchecksItsSiblingsOnly) {
    auto* a = Make<TRadioButton>(10, 10, 100, 17);
    auto* b = Make<TRadioButton>(10, 30, 100, 17);
    auto* panel = Make<TPanel>(150, 10, 200, 80);
    auto* c = Make<TRadioButton>(10, 10, 100, 17, panel);
    c->SetChecked(true);
    int clicksA = 0, clicksB = 0;
    a->OnClick = [&](TObject*) { ++clicksA; };
    b->OnClick = [&](TObject*) { ++clicksB; };
    ClickAt(a, 5, 8);
    EXPECT_TRUE(a->GetChecked());
    ClickAt(b, 5, 8);
    EXPECT_TRUE(b->GetChecked());
    EXPECT_FALSE(a->GetChecked());
    EXPECT_EQ(SendMessageW(a->GetHandle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(c->GetChecked()); // another parent, another group
    // Unchecking fires nothing; a click on the checked one neither.
    ClickAt(b, 5, 8);
    EXPECT_EQ(clicksA, 1);
    EXPECT_EQ(clicksB, 1);
    // The checked one is the group's tab stop.
    EXPECT_TRUE(b->GetTabStop());
    EXPECT_FALSE(a->GetTabStop());
}

// --- Radio groups -----------------------------------------------------------------------------

class RadioGroupTest : public StdControlsTest {
protected:
    TRadioGroup* group = nullptr;
    int clicks = 0;
    void SetUp() override {
        StdControlsTest::SetUp();
        group = Make<TRadioGroup>(10, 10, 220, 120);
        group->SetCaption(u"Mode");
        group->GetItems()->SetCommaText(u"Position,Speed,Torque,Home");
        group->OnClick = [this](TObject*) { ++clicks; };
    }
    std::vector<bool> Checked() const {
        std::vector<bool> checked;
        for (int i = 0; i < group->GetButtonCount(); ++i)
            checked.push_back(group->GetButtons(i)->GetChecked());
        return checked;
    }
};

TEST_F(RadioGroupTest, ItemsBecomeButtonsWithTheirCaptions) {
    ASSERT_EQ(group->GetButtonCount(), 4);
    EXPECT_EQ(group->GetButtons(2)->GetCaption(), u"Torque");
    EXPECT_EQ(group->GetButtons(0)->GetParent(), group);
    EXPECT_EQ(group->GetItemIndex(), -1);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, false, false}));
    EXPECT_THROW(group->GetButtons(4), EListError);
}

TEST_F(RadioGroupTest, SettingItemIndexChecksItsButtonAndClicksOnce) {
    group->SetItemIndex(1);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(clicks, 1);
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, 1);
    group->SetItemIndex(3);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(clicks, 2);
    group->SetItemIndex(-1);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(clicks, 2);
}

TEST_F(RadioGroupTest, ClickingAButtonSetsItemIndex) {
    ClickAt(group->GetButtons(2), 5, 5);
    EXPECT_EQ(group->GetItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    ClickAt(group->GetButtons(0), 5, 5);
    EXPECT_EQ(group->GetItemIndex(), 0);
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(clicks, 2);
}

TEST_F(RadioGroupTest, OutOfRangeIndexesClampAndFewerItemsPullTheIndexIn) {
    group->SetItemIndex(9);
    EXPECT_EQ(group->GetItemIndex(), 3);
    group->GetItems()->Delete(3);
    EXPECT_EQ(group->GetButtonCount(), 3);
    EXPECT_EQ(group->GetItemIndex(), 2);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true}));
    group->SetItemIndex(-5);
    EXPECT_EQ(group->GetItemIndex(), -1);
    group->GetItems()->Clear();
    EXPECT_EQ(group->GetButtonCount(), 0);
    EXPECT_EQ(group->GetItemIndex(), -1);
}

TEST_F(RadioGroupTest, ColumnsLayTheButtonsOutTopToBottomThenAcross) {
    group->SetColumns(2);
    TRadioButton* b0 = group->GetButtons(0);
    TRadioButton* b1 = group->GetButtons(1);
    TRadioButton* b2 = group->GetButtons(2);
    EXPECT_EQ(b0->GetLeft(), b1->GetLeft());
    EXPECT_GT(b1->GetTop(), b0->GetTop());
    EXPECT_EQ(b2->GetTop(), b0->GetTop());
    EXPECT_GE(b2->GetLeft(), b0->GetLeft() + b0->GetWidth());
    // Every button lies inside the group, below its caption.
    for (int i = 0; i < group->GetButtonCount(); ++i) {
        TRect r = group->GetButtons(i)->GetBoundsRect();
        EXPECT_GT(r.top, 8);
        EXPECT_LE(r.right, group->GetWidth());
        EXPECT_LE(r.bottom, group->GetHeight());
    }
}

TEST_F(RadioGroupTest, ADescriptionMayGiveTheIndexBeforeTheItems) {
    auto* read = static_cast<TRadioGroup*>(ObjectTextToComponent(
        uR"(TRadioGroup Read { ItemIndex = 2  Items.Strings = ("a", "b", "c")  Caption = "x" })",
        new TRadioGroup(form)));
    read->SetParent(form);
    EXPECT_EQ(read->GetItemIndex(), 2);
    ASSERT_EQ(read->GetButtonCount(), 3);
    EXPECT_TRUE(read->GetButtons(2)->GetChecked());
}

TEST_F(RadioGroupTest, DisablingTheGroupDisablesItsButtons) {
    group->SetEnabled(false);
    for (int i = 0; i < group->GetButtonCount(); ++i)
        EXPECT_FALSE(IsWindowEnabled(group->GetButtons(i)->GetHandle()));
}

} // namespace
