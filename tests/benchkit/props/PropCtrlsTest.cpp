// Bound controls over a set kept in memory: each pulls its field's value,
// marks its link when the user changes it, and pushes on leaving (or at once
// for toggles).
#include "PropTestSupport.h"

#include "benchkit/props/IDEPropCtrls.h"

#include <quorlpak/Application.h>
#include <quorlpak/Forms.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace {

class PropCtrlsTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        InitializeQuorlpak();
        form = new TForm(Application);
        form->AfterConstruction();
        form->Show();
        Application->ProcessMessages();
        set = std::make_unique<TIniPropSet>(nullptr);
        name = Field<TStringPropField>(u"Name");
        level = Field<TIntegerPropField>(u"Level");
        flag = Field<TBooleanPropField>(u"Flag");
        speed = Field<TIntegerPropField>(u"Speed");
        speed->GetValueNames()->AddValue(u"Slow", 1);
        speed->GetValueNames()->AddValue(u"Fast", 5);
        speed->SetValue(5);
        // Somewhere for the focus to go when a control is left.
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(0, 200, 50, 20);
    }
    void TearDown() override {
        delete form;
        set.reset();
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }
    template <class F> F* Field(const char16_t* fieldName) {
        auto* f = new F(set.get());
        f->SetFieldName(fieldName);
        f->SetPropSet(set.get());
        return f;
    }
    template <class C> C* Bound(const char16_t* fieldName) {
        auto* c = new C(form);
        c->SetParent(form);
        c->SetPropSet(set.get());
        c->SetPropField(fieldName);
        Application->ProcessMessages();
        return c;
    }
    // The first and last columns of a DC's area w x h (less a pixel all
    // round) that are not the window colour: where the text was drawn.
    static std::pair<int, int> Ink(HDC dc, int w, int h) {
        const COLORREF blank = static_cast<COLORREF>(ColorToRGB(clWindow));
        int lo = INT_MAX, hi = -1;
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x)
                if (GetPixel(dc, x, y) != blank) {
                    lo = std::min(lo, x);
                    hi = std::max(hi, x);
                }
        return {lo, hi};
    }
    static std::pair<int, int> Ink(TWinControl* c) {
        UpdateWindow(c->GetHandle());
        HDC dc = GetDC(c->GetHandle());
        auto ink = Ink(dc, c->GetClientWidth(), c->GetClientHeight());
        ReleaseDC(c->GetHandle(), dc);
        return ink;
    }
    void Leave(TWinControl* c) {
        c->SetFocus();
        other->SetFocus();
        Application->ProcessMessages();
    }

    TForm* form = nullptr;
    TEdit* other = nullptr;
    std::unique_ptr<TIniPropSet> set;
    TStringPropField* name;
    TIntegerPropField* level;
    TBooleanPropField* flag;
    TIntegerPropField* speed;
};

TEST_F(PropCtrlsTest, EditPullsTheFieldAndPushesOnLeaving) {
    name->SetValue(Variant(UnicodeString(u"first")));
    auto* edit = Bound<TPropEdit>(u"Name");
    EXPECT_EQ(edit->GetText(), u"first");
    edit->SetFocus();
    edit->SetText(u"second");
    EXPECT_TRUE(edit->GetPropLink()->GetModified());
    EXPECT_EQ(name->GetValue().AsString(), u"first");
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(name->GetValue().AsString(), u"second");
    EXPECT_FALSE(edit->GetPropLink()->GetModified());

    // A value the field refuses keeps the mark and the focus.
    auto* number = Bound<TPropEdit>(u"Level");
    number->SetFocus();
    number->SetText(u"many");
    std::vector<UnicodeString> shown;
    Application->OnException = [&](TObject*, Exception* e) { shown.push_back(e->GetMessage()); };
    try {
        other->SetFocus();
    } catch (const Exception& e) {
        shown.push_back(e.GetMessage());
    }
    Application->ProcessMessages();
    Application->OnException = nullptr;
    EXPECT_FALSE(shown.empty());
    EXPECT_TRUE(number->GetPropLink()->GetModified());
    EXPECT_TRUE(number->Focused());
    number->SetText(u"7");
    other->SetFocus();
    EXPECT_EQ(level->GetValue().AsInteger(), 7);
}

TEST_F(PropCtrlsTest, CheckBoxMatchesValueTextsAndPushesOnToggle) {
    struct Case {
        const char* what;
        TPropField* field;
        const char16_t* valueChecked;
        Variant value;
        TCheckBoxState state;
    };
    const Case cases[] = {
        {"a Boolean field, default texts", flag, nullptr, Variant(true), cbChecked},
        {"an integer matching the checked text", level, u"1", Variant(1), cbChecked},
        {"an integer matching the unchecked text", level, u"1", Variant(0), cbUnchecked},
        {"an integer matching neither", level, u"1", Variant(2), cbGrayed},
        {"a value name, any letter case", speed, u"fast;quick", Variant(5), cbChecked},
    };
    for (const Case& c : cases) {
        auto* box = Bound<TPropCheckBox>(c.field->GetFieldName().c_str());
        if (c.valueChecked) box->SetValueChecked(c.valueChecked);
        c.field->SetValue(c.value);
        EXPECT_EQ(box->GetState(), c.state) << c.what;
        delete box;
    }

    // Checking a grayed box stores the first checked text at once.
    auto* box = Bound<TPropCheckBox>(u"Level");
    box->SetValueChecked(u"1");
    box->SetValueUnchecked(u"0");
    level->SetValue(2);
    ASSERT_EQ(box->GetState(), cbGrayed);
    box->SetState(cbUnchecked);
    TestSeams::Click(TestSeams::ClientPoint(box->GetHandle(), 5, 5));
    Application->ProcessMessages();
    EXPECT_EQ(level->GetValue().AsInteger(), 1);
}

TEST_F(PropCtrlsTest, ComboBoxListsValueNamesAndKeepsAnOpenList) {
    auto* combo = Bound<TPropComboBox>(u"Speed");
    combo->SetStyle(csDropDownList);
    combo->GetPropLink()->ActiveChanged();
    ASSERT_EQ(combo->GetItems()->GetCount(), 2);
    combo->GetPropLink()->Reset();
    EXPECT_EQ(combo->GetComboText(), u"Fast");
    EXPECT_EQ(combo->GetItemIndex(), 1);
    // Setting the text from the program marks nothing.
    combo->SetComboText(u"Slow");
    EXPECT_EQ(combo->GetItemIndex(), 0);
    EXPECT_FALSE(combo->GetPropLink()->GetModified());

    // While the list is open the field's changes wait.
    combo->SetDroppedDown(true);
    speed->SetValue(5);
    EXPECT_EQ(combo->GetComboText(), u"Slow");
    combo->SetDroppedDown(false);
    combo->GetPropLink()->Reset();
    EXPECT_EQ(combo->GetComboText(), u"Fast");

    combo->SetItemIndex(0);
    combo->GetPropLink()->Modified();
    Leave(combo);
    EXPECT_EQ(speed->GetValue().AsInteger(), 1);
}

TEST_F(PropCtrlsTest, RadioGroupValuesFallBackToCaptions) {
    auto* group = Bound<TPropRadioGroup>(u"Name");
    for (const char16_t* s : {u"Red", u"Green", u"Blue"})
        group->GetItems()->Add(s);
    TStringList values;
    values.Add(u"r");
    values.Add(u"");
    group->SetValues(&values);
    int changes = 0;
    group->OnChange = [&](TObject*) { ++changes; };
    name->SetValue(Variant(UnicodeString(u"Green")));
    EXPECT_EQ(group->GetItemIndex(), 1); // the caption stands in for the empty value
    name->SetValue(Variant(UnicodeString(u"r")));
    EXPECT_EQ(group->GetItemIndex(), 0);
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(group->GetPropLink()->GetModified());

    TestSeams::Click(TestSeams::ClientPoint(group->GetButtons(2)->GetHandle(), 4, 4));
    Application->ProcessMessages();
    EXPECT_EQ(group->GetValue(), u"Blue");
    EXPECT_TRUE(group->GetPropLink()->GetModified());
    Leave(group->GetButtons(2));
    EXPECT_EQ(name->GetValue().AsString(), u"Blue");
}

TEST_F(PropCtrlsTest, HistoryComboBoxFollowsItsManager) {
    auto* manager = new TCustomHistoryManager(form);
    TStringList lists;
    lists.Add(u"Paths");
    manager->SetLists(&lists);
    manager->UpdateHistoryList(u"Paths", u"C:\\one");
    auto* combo = Bound<THistoryPropComboBox>(u"Name");
    combo->SetHistoryList(u"Paths");
    combo->SetHistoryManager(manager);
    // A drop-down box without items and without the focus ignores a reload.
    manager->UpdateHistoryLists(true);
    EXPECT_EQ(combo->GetItems()->GetCount(), 0);
    combo->SetFocus();
    Application->ProcessMessages();
    ASSERT_EQ(combo->GetItems()->GetCount(), 1);
    combo->SetText(u"C:\\two");
    UpdateHistory(combo, u"");
    EXPECT_EQ(combo->GetItems()->Get(0), u"C:\\two");
    delete manager;
    EXPECT_EQ(combo->GetHistoryManager(), nullptr);
}

TEST_F(PropCtrlsTest, BoundListBoxSelectsTheValueNameAndGrowsToShowAll) {
    auto* list = Bound<propctrls::TPropListBox>(u"Speed");
    list->GetPropLink()->ActiveChanged();
    ASSERT_EQ(list->GetItems()->GetCount(), 2);
    EXPECT_EQ(list->GetClientHeight(), 2 * list->GetItemHeight());
    list->GetPropLink()->Reset();
    EXPECT_EQ(list->GetItemIndex(), 1);
    list->SetItemIndex(0);
    list->GetPropLink()->Modified();
    Leave(list);
    EXPECT_EQ(speed->GetValue().AsInteger(), 1);
}

TEST_F(PropCtrlsTest, ControlsForgetASetThatGoes) {
    auto* edit = Bound<TPropEdit>(u"Name");
    TPropComponent component(nullptr);
    component.SetPropSet(set.get());
    set.reset();
    EXPECT_EQ(edit->GetPropSet(), nullptr);
    EXPECT_EQ(component.GetPropSet(), nullptr);
}

TEST_F(PropCtrlsTest, MemoShowsTheValueAsLinesAndPushesTheWholeText) {
    name->SetValue(Variant(UnicodeString(u"one\r\ntwo")));
    auto* memo = Bound<TPropMemo>(u"Name");
    ASSERT_EQ(memo->GetLines()->GetCount(), 2);
    EXPECT_EQ(memo->GetLines()->Get(1), u"two");
    memo->SetFocus();
    memo->SetSelStart(0);
    TestSeams::TypeText(u"zero\r");
    Application->ProcessMessages();
    EXPECT_TRUE(memo->GetPropLink()->GetModified());
    EXPECT_EQ(name->GetValue().AsString(), u"one\r\ntwo");
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(name->GetValue().AsString(), u"zero\r\none\r\ntwo");
    EXPECT_FALSE(memo->GetPropLink()->GetModified());
    // Unbound, it is empty.
    memo->SetPropField(u"");
    EXPECT_EQ(memo->GetText(), u"");
}

TEST_F(PropCtrlsTest, UpDownTakesTheNumberAndPushesItsPositionOnLeaving) {
    level->SetValue(42);
    auto* updown = Bound<TPropUpDown>(u"Level");
    updown->SetBounds(100, 10, 16, 30);
    Application->ProcessMessages();
    EXPECT_EQ(updown->GetPosition(), 42);
    updown->SetFocus();
    TestSeams::Click(TestSeams::ClientPoint(updown->GetHandle(), 8, 3));
    Application->ProcessMessages();
    EXPECT_EQ(updown->GetPosition(), 43);
    EXPECT_TRUE(updown->GetPropLink()->GetModified());
    EXPECT_EQ(level->GetValue().AsInteger(), 42);
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(level->GetValue().AsInteger(), 43);
    // Without a field the position stays.
    updown->SetPropField(u"");
    EXPECT_EQ(updown->GetPosition(), 43);
}

TEST_F(PropCtrlsTest, ColorBoxPushesTheChosenColourAtOnce) {
    name->SetValue(Variant(UnicodeString(u"clRed")));
    auto* box = Bound<TPropColorBox>(u"Name");
    EXPECT_EQ(box->GetStyle().ToInt(), 7u);
    EXPECT_EQ(box->GetSelected(), clRed);
    box->SetFocus();
    TestSeams::KeyPress(VK_DOWN);
    Application->ProcessMessages();
    EXPECT_EQ(box->GetSelected(), clLime);
    EXPECT_EQ(name->GetValue().AsString(), u"clLime");
    EXPECT_FALSE(box->GetPropLink()->GetModified());
    name->SetValue(Variant(UnicodeString(u"$00FF0000")));
    EXPECT_EQ(box->GetSelected(), clBlue);
    box->SetPropField(u"");
    EXPECT_EQ(box->GetSelected(), NoColorSelected);
    EXPECT_EQ(box->GetItemIndex(), -1);
}

TEST_F(PropCtrlsTest, ColorGridPullsFourFieldsAndPushesEveryChange) {
    auto* back = Field<TIntegerPropField>(u"Back");
    auto* foreOff = Field<TBooleanPropField>(u"ForeOff");
    auto* backOff = Field<TBooleanPropField>(u"BackOff");
    level->SetValue(3);
    back->SetValue(12);
    foreOff->SetValue(true);
    auto* grid = new TPropColorGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 160, 160);
    grid->SetPropSet(set.get());
    grid->SetForeColorPropField(u"Level");
    grid->SetBackColorPropField(u"Back");
    grid->SetEnabledForePropField(u"ForeOff");
    grid->SetEnabledBackPropField(u"BackOff");
    Application->ProcessMessages();
    EXPECT_EQ(grid->GetForegroundIndex(), 3);
    EXPECT_EQ(grid->GetBackgroundIndex(), 12);
    EXPECT_FALSE(grid->GetForegroundEnabled()); // true, inverted: off
    EXPECT_TRUE(grid->GetBackgroundEnabled());
    // A right click chooses the background: pushed at once.
    TestSeams::Click(TestSeams::ClientPoint(grid->GetHandle(), 60, 20), VK_RBUTTON);
    Application->ProcessMessages();
    EXPECT_EQ(back->GetValue().AsInteger(), 1);
    EXPECT_FALSE(grid->GetPropLink(1)->GetModified());
    // Turning the inversion off pushes the enables as they now read.
    grid->SetInvertEnables(false);
    EXPECT_FALSE(foreOff->GetValue().AsBoolean());
    EXPECT_TRUE(backOff->GetValue().AsBoolean());
    EXPECT_EQ(level->GetValue().AsInteger(), 3);
}

TEST_F(PropCtrlsTest, EditFollowsTheFieldsMaskAndRefusesAnUnfilledOne) {
    name->SetEditMask(u"000-00;0;_");
    name->SetValue(Variant(UnicodeString(u"12345")));
    auto* edit = Bound<TPropEdit>(u"Name");
    EXPECT_EQ(edit->GetEditMask(), u"000-00;0;_");
    EXPECT_EQ(edit->GetText(), u"123-45");
    edit->SetFocus();
    edit->SelectAll();
    edit->SetSelStart(4);
    TestSeams::KeyPress(VK_DELETE);
    Application->ProcessMessages();
    EXPECT_EQ(edit->GetText(), u"123-_5");
    EXPECT_TRUE(edit->GetPropLink()->GetModified());
    std::vector<UnicodeString> shown;
    Application->OnException = [&](TObject*, Exception* e) { shown.push_back(e->GetMessage()); };
    try {
        other->SetFocus();
    } catch (const Exception& e) {
        shown.push_back(e.GetMessage());
    }
    Application->ProcessMessages();
    Application->OnException = nullptr;
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], u"Invalid input value.  Use escape key to abandon changes");
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(name->GetValue().AsString(), u"12345");
    edit->SetSelStart(4);
    TestSeams::TypeText(u"9");
    Application->ProcessMessages();
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(name->GetValue().AsString(), u"12395");
    // A field without a mask leaves the edit plain.
    edit->SetPropField(u"Level");
    EXPECT_EQ(edit->GetEditMask(), u"");
}

TEST_F(PropCtrlsTest, EditTakesTheFieldsAlignmentFocusedOrNot) {
    level->SetValue(42);
    name->SetValue(Variant(UnicodeString(u"left")));
    auto* edit = Bound<TPropEdit>(u"Level");
    const int width = edit->GetClientWidth();
    EXPECT_EQ(edit->GetAlignment(), taRightJustify) << "numbers lie on the right";
    EXPECT_EQ(edit->GetText(), u"42");
    auto [lo, hi] = Ink(edit);
    EXPECT_GT(lo, width / 2);
    EXPECT_GE(hi, width - 8);
    edit->SetFocus();
    Application->ProcessMessages();
    std::tie(lo, hi) = Ink(edit);
    EXPECT_GT(lo, width / 2) << "the focused box keeps the alignment";
    Leave(edit);

    level->SetAlignment(taCenter);
    Application->ProcessMessages();
    EXPECT_EQ(edit->GetAlignment(), taCenter);
    EXPECT_EQ(edit->GetText(), u"42");
    std::tie(lo, hi) = Ink(edit);
    EXPECT_NEAR(lo, width - 1 - hi, 3);

    edit->SetPropField(u"Name");
    Application->ProcessMessages();
    EXPECT_EQ(edit->GetAlignment(), taLeftJustify);
    EXPECT_EQ(edit->GetText(), u"left");
    EXPECT_LT(Ink(edit).first, 6);
    edit->SetPropField(u"");
    EXPECT_EQ(edit->GetAlignment(), taLeftJustify);
    EXPECT_EQ(edit->GetText(), u"");
}

TEST_F(PropCtrlsTest, EditPaintedAsACopyShowsTheDisplayText) {
    auto* ratio = Field<TFloatPropField>(u"Ratio");
    ratio->SetDisplayFormat(u"0.0000");
    ratio->SetEditFormat(u"0.0");
    ratio->SetValue(1.5);
    auto* edit = Bound<TPropEdit>(u"Ratio");
    edit->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(edit->GetText(), u"1.5") << "the edit form while focused";
    const int w = edit->GetClientWidth(), h = edit->GetClientHeight();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto paint = [&](bool copy) {
        TControlState state = edit->GetControlState();
        if (copy) state << csPaintCopy;
        edit->SetControlState(state);
        SendMessageW(edit->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        state >> csPaintCopy;
        edit->SetControlState(state);
        auto [lo, hi] = Ink(dc, w, h);
        return std::make_pair(lo, hi);
    };
    const auto copy = paint(true);
    EXPECT_GE(copy.second, w - 8) << "on the right, as the field says";
    edit->SetPasswordChar(u'*');
    const auto hidden = paint(true);
    EXPECT_NE(hidden, copy) << "password characters stand for the text";
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    // "1.5000" is wider than "1.5" in the same place.
    edit->SetPasswordChar(0);
    Leave(edit);
    EXPECT_EQ(edit->GetText(), u"1.5000");
    auto [lo, hi] = Ink(edit);
    EXPECT_NEAR(lo, copy.first, 1);
    EXPECT_NEAR(hi, copy.second, 1);
}

} // namespace
