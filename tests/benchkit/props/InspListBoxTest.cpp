// The inspector list editing a live button: typing and Enter, Escape, the
// value list, refused writes, and the desktop lock.
#include "benchkit/props/IDEInspListBox.h"
#include "benchkit/props/IDEPropFieldProps.h"
#include "benchkit/props/IDERegIniPropSet.h"

#include <quorlpak/Application.h>
#include <quorlpak/Bitmap.h>
#include <quorlpak/Colors.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Messages.h>
#include <runpak/Exceptions.h>
#include <runpak/StringList.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

class InspListBoxTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        InitializeQuorlpak();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(400);
        form->SetClientHeight(500);
        button = new TButton(form);
        button->SetParent(form);
        button->SetName(u"Button1");
        button->SetCaption(u"Before");
        list = new TInspListBox(form);
        list->SetParent(form);
        list->SetBounds(0, 40, 300, 440);
        form->Show();
        Application->ProcessMessages();
        list->SetSelection(CreatePropertySelection({button}).Get());
    }
    void TearDown() override {
        delete form;
        SetDesktopLocked(false);
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }
    void Select(const char16_t* name) {
        const int row = list->FindItem(name);
        ASSERT_GE(row, 0);
        list->SelectItem(row);
    }
    void Type(char16_t key) { list->GetEdit()->Perform(WM_CHAR, key, 0); }
    // Real input at a client point of the list, delivered.
    POINT At(int x, int y) { return TestSeams::ClientPoint(list->GetHandle(), x, y); }
    void Deliver() { Application->ProcessMessages(); }
    int RowY(int row) { return (row - list->GetTopIndex()) * list->GetItemHeight() + 2; }
    // Keys typed into the name column.
    void Names(std::u16string_view keys) {
        for (char16_t k : keys)
            list->GetSelectionWindow()->Perform(WM_CHAR, k, 0);
    }
    void NameKey(uint16_t vk) { list->GetSelectionWindow()->Perform(WM_KEYDOWN, vk, 0); }
    UnicodeString Current() {
        TPropItem* item = list->CurItem();
        return item ? item->GetPropPath() : UnicodeString(u"(none)");
    }

    TForm* form = nullptr;
    TButton* button = nullptr;
    TInspListBox* list = nullptr;
};

TEST_F(InspListBoxTest, EnterWritesTheEditedTextAndEscapeWritesTheOldOneBack) {
    Select(u"Caption");
    EXPECT_EQ(list->GetEdit()->GetText(), u"Before");
    list->GetEdit()->SetText(u"After");
    Type(u'\r');
    EXPECT_EQ(button->GetCaption(), u"After");

    list->GetEdit()->SetText(u"Typed");
    list->GetEdit()->SetModified(true);
    Type(0x1B);
    EXPECT_EQ(list->GetEdit()->GetText(), u"After");
    EXPECT_EQ(button->GetCaption(), u"After");
}

TEST_F(InspListBoxTest, ValueListOffersTheEditorsValuesAndAcceptWritesTheChoice) {
    Select(u"Visible");
    EXPECT_TRUE(list->GetListButton()->GetVisible());
    list->GetListButton()->DropDown();
    ASSERT_TRUE(list->GetListButton()->GetDropped());
    ASSERT_EQ(list->GetListButton()->GetItemCount(), 2);
    EXPECT_EQ(list->GetListButton()->GetItemIndex(), 1); // True, the current value
    list->GetListButton()->SetItemIndex(0);
    list->GetListButton()->CloseUp(true);
    EXPECT_FALSE(button->GetVisible());
    EXPECT_EQ(list->GetEdit()->GetText(), u"False");
}

TEST_F(InspListBoxTest, ValueListButtonShowsTheArrowGlyphTransparently) {
    Select(u"Visible");
    TListButton* b = list->GetListButton();
    ASSERT_NE(b->GetGlyph(), nullptr);
    ASSERT_EQ(b->GetGlyph()->GetWidth(), 7);
    ASSERT_EQ(b->GetGlyph()->GetHeight(), 4);
    b->Repaint();
    const int x = (b->GetClientWidth() - 7) / 2, y = (b->GetClientHeight() - 4) / 2;
    HDC dc = GetDC(b->GetHandle());
    EXPECT_EQ(GetPixel(dc, x + 3, y + 3), COLORREF(0));                 // the arrow's tip
    EXPECT_EQ(GetPixel(dc, x, y + 3), COLORREF(ColorToRGB(clBtnFace))); // beside it, the face
    ReleaseDC(b->GetHandle(), dc);
}

TEST_F(InspListBoxTest, RefusedAndFailingWritesKeepTheValue) {
    Select(u"Left");
    button->SetLeft(3);
    list->GetEdit()->SetText(u"not a number");
    std::vector<UnicodeString> shown;
    Application->OnException = [&](TObject*, Exception* e) { shown.push_back(e->GetMessage()); };
    EXPECT_FALSE(list->SetPropValue(false, true));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(list->GetEdit()->GetText(), u"3");
    list->GetEdit()->SetText(u"oops");
    EXPECT_THROW(list->SetPropValue(false, false), Exception);

    list->SetReadOnly(true);
    list->SetReadOnlyMsg(u"Read only here");
    list->GetEdit()->SetText(u"9");
    EXPECT_THROW(list->SetPropValue(false, true), Exception);
    EXPECT_EQ(button->GetLeft(), 3);
    Application->OnException = nullptr;
}

TEST_F(InspListBoxTest, LockedDesktopLeavesTheRowsAlone) {
    const int rows = list->GetCount();
    SetDesktopLocked(true);
    list->SetFilter(u"Caption");
    EXPECT_EQ(list->GetCount(), rows);
    SetDesktopLocked(false);
    list->Reset();
    EXPECT_EQ(list->GetCount(), 1);
}

TEST_F(InspListBoxTest, ClickMovesTheEditorToTheRowAndDraggingTheDividerNeverSelects) {
    const int h = list->GetItemHeight();
    const int row = list->FindItem(u"Caption");
    TestSeams::Click(At(list->GetMiddle() + 20, RowY(row)));
    Deliver();
    EXPECT_EQ(list->GetItemIndex(), row);
    // The editor lies on the clicked row and shows its value.
    EXPECT_EQ(list->GetSelectionWindow()->GetTop(), (row - list->GetTopIndex()) * h);
    EXPECT_EQ(list->GetEdit()->GetText(), u"Before");

    const int middle = list->GetMiddle();
    TestSeams::MouseDown(At(middle + 1, RowY(0)));
    Deliver();
    EXPECT_EQ(list->GetTrackMode(), tmResize);
    TestSeams::MouseMove(At(middle + 31, RowY(0)));
    Deliver();
    EXPECT_EQ(list->GetMiddle(), middle + 30);
    EXPECT_EQ(list->GetEdit()->GetLeft(), middle + 30 + 3);
    // Far to the left the divider stops two rows' height from the edge.
    TestSeams::MouseMove(At(-100, RowY(0)));
    Deliver();
    EXPECT_EQ(list->GetMiddle(), 2 * h);
    TestSeams::MouseUp(At(-100, RowY(0)));
    Deliver();
    EXPECT_EQ(list->GetTrackMode(), tmNone);
    EXPECT_EQ(list->GetItemIndex(), row);
}

TEST_F(InspListBoxTest, ClickOnTheExpandBoxTogglesTheRow) {
    const int font = list->FindItem(u"Font");
    list->SetTopIndex(font);
    Deliver();
    const int x = list->ItemLevelOffset(0) + 4;
    TestSeams::Click(At(x, RowY(font)));
    Deliver();
    ASSERT_TRUE(list->GetPropItem(font)->GetIsExpanded());
    EXPECT_EQ(list->GetPropItem(font + 1)->GetItemLevel(), 1);
    EXPECT_EQ(list->GetItemIndex(), font);
    TestSeams::Click(At(x, RowY(font)));
    Deliver();
    EXPECT_FALSE(list->GetPropItem(font)->GetIsExpanded());
}

TEST_F(InspListBoxTest, WheelScrollsBySystemLinesOrPagesAndTheEditorFollowsItsRow) {
    list->SetHeight(5 * list->GetItemHeight());
    Deliver();
    const int page = list->ItemVisibleCount();
    // Room below for a page from row 2 * page.
    ASSERT_GE(list->GetCount() - page, 3 * page);
    UINT saved = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
    struct Case {
        const char* what;
        UINT lines;
        int delta;
        uint16_t keys;
        int top; // expected top row from 2*page
    };
    const Case cases[] = {
        {"a notch down, 3 lines", 3, -WHEEL_DELTA, 0, 2 * page + 3},
        {"two notches up, 2 lines", 2, 2 * WHEEL_DELTA, 0, 2 * page - 4},
        {"Ctrl: a page", 3, -WHEEL_DELTA, MK_CONTROL, 3 * page - 1},
        {"a page per notch, never a loop", WHEEL_PAGESCROLL, -WHEEL_DELTA, 0, 3 * page - 1},
    };
    for (const Case& c : cases) {
        SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, c.lines, nullptr, 0);
        list->SelectItem(2 * page + 1);
        list->SetTopIndex(2 * page);
        const POINT p = At(10, 10);
        list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(c.keys, c.delta), MAKELPARAM(p.x, p.y));
        EXPECT_EQ(list->GetTopIndex(), c.top) << c.what;
        // The editor stays on its row, out of view or not.
        EXPECT_EQ(list->GetSelectionWindow()->GetTop(),
                  (list->GetItemIndex() - list->GetTopIndex()) * list->GetItemHeight())
            << c.what;
    }
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
}

TEST_F(InspListBoxTest, NameColumnKeysSearchSiblingsAndWalkTheTree) {
    Select(u"Caption");
    Type(u'\t');
    ASSERT_TRUE(list->GetNamesSelected());
    Names(u"fO");
    EXPECT_EQ(Current(), u"Font");
    EXPECT_EQ(list->GetSelectString(), u"Fo"); // the name's own letter case
    Names(u"x");
    EXPECT_EQ(Current(), u"Font"); // no sibling starts with "Fox"
    Names(u"\b");
    EXPECT_EQ(list->GetSelectString(), u"F");

    // "." opens the row and steps onto its first child; the search then
    // stays among the children.
    Names(u".");
    EXPECT_EQ(list->CurItem()->GetItemLevel(), 1);
    EXPECT_TRUE(list->GetSelectString().empty());
    Names(u"s");
    EXPECT_EQ(Current(), u"Font.Size");
    // Escape clears the search; without one it goes up to the parent row
    // and closes it.
    Names(u"\x1b");
    EXPECT_EQ(Current(), u"Font.Size");
    Names(u"\x1b");
    EXPECT_EQ(Current(), u"Font") << list->GetItemIndex() << " of " << list->GetCount();
    EXPECT_FALSE(list->CurItem()->GetIsExpanded());

    NameKey(VK_RIGHT);
    EXPECT_TRUE(list->CurItem()->GetIsExpanded());
    EXPECT_EQ(Current(), u"Font");
    NameKey(VK_LEFT);
    EXPECT_FALSE(list->CurItem()->GetIsExpanded());
    Names(u"+");
    EXPECT_TRUE(list->CurItem()->GetIsExpanded());
    Names(u"-");
    EXPECT_FALSE(list->CurItem()->GetIsExpanded());

    Names(u"\r");
    EXPECT_FALSE(list->GetNamesSelected());
}

TEST_F(InspListBoxTest, ExpandedPathsAreWrittenAndRestored) {
    list->AdjustItem(list->FindItem(u"Font"));
    list->AdjustItem(list->FindItem(u"Font.Style"));
    TStringList saved;
    list->ValidateExpandedItemPaths(&saved);
    EXPECT_EQ(saved.GetValues(u"Font"), u"1");
    EXPECT_EQ(saved.GetValues(u"Font.Style"), u"1");
    EXPECT_EQ(saved.GetValues(u"Constraints"), u"0");
    EXPECT_EQ(saved.IndexOfName(u"Caption"), -1);

    list->Reset();
    ASSERT_EQ(list->FindItem(u"Font.Style"), -1);
    list->ReexpandItemPaths(&saved, false);
    EXPECT_GE(list->FindItem(u"Font.Style.fsBold"), 0);
    EXPECT_EQ(list->FindItem(u"Constraints.MaxHeight"), -1);

    // Without entries every expandable top row opens.
    list->Reset();
    TStringList none;
    list->ReexpandItemPaths(&none, true);
    EXPECT_GE(list->FindItem(u"Font.Size"), 0);
    EXPECT_GE(list->FindItem(u"Constraints.MaxHeight"), 0);
}

TEST_F(InspListBoxTest, HintsShowOnlyWhatItsColumnCutsOff) {
    THintInfo info;
    const auto hint = [&](int x, int row) {
        info = THintInfo();
        info.CursorPos = TPoint(x, RowY(row));
        const bool show = list->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
        return show ? info.HintStr : UnicodeString(u"(dropped)");
    };
    Select(u"Caption");
    const int caption = list->FindItem(u"Caption"), name = list->FindItem(u"Name");
    button->SetCaption(u"A caption far too long for the value column to show whole");
    list->Invalidate();
    const int valueX = list->GetMiddle() + 10;
    EXPECT_EQ(hint(10, name), u"");        // the name fits
    EXPECT_EQ(hint(valueX, caption), u""); // the selected row has the edit
    Select(u"Name");
    EXPECT_EQ(hint(valueX, caption), button->GetCaption());
    EXPECT_EQ(info.HintData, list);
    EXPECT_EQ(info.HideTimeout, INT_MAX);
    EXPECT_EQ(info.CursorRect.top, RowY(caption) - 2);
    EXPECT_EQ(hint(10, list->GetCount() + 5), u"(dropped)"); // below the rows

    // A narrow name column cuts the name off; a handler may always show one.
    list->SetMiddle(2 * list->GetItemHeight());
    const int constraints = list->FindItem(u"Constraints");
    EXPECT_EQ(hint(10, constraints), u"Constraints");
    list->SetMiddle(200);
    list->OnGetHintString = [](TObject*, UnicodeString& text, TRect&) { text = u"told"; };
    EXPECT_EQ(hint(10, name), u"told");

    // Typing keeps the hint; the wheel and characters end it.
    TPropertyHintWindow window(nullptr);
    EXPECT_FALSE(window.IsHintMsg(MSG{nullptr, WM_KEYDOWN, VK_DOWN, 0, 0, {}}));
    EXPECT_FALSE(window.IsHintMsg(MSG{nullptr, WM_MOUSEMOVE, 0, 0, 0, {}}));
    EXPECT_TRUE(window.IsHintMsg(MSG{nullptr, WM_MOUSEWHEEL, 0, 0, 0, {}}));
    EXPECT_TRUE(window.IsHintMsg(MSG{nullptr, WM_CHAR, u'a', 0, 0, {}}));
}

TEST_F(InspListBoxTest, AnswersAsThePropertyHost) {
    InterfacePtr<IPropertyHost20> host;
    ASSERT_TRUE(Supports(static_cast<TObject*>(list), host));
    EXPECT_EQ(host->GetDropDownWidth(), list->GetClientWidth() - list->GetMiddle());
}

// A field property that also answers as a debugger's property.
class TDebugFieldProperty : public TPropFieldProperty, public IDebugInspectProperty {
public:
    TDebugFieldProperty(TPropField* Field, uint32_t Flags)
        : TPropFieldProperty(Field), FFlags(Flags) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IDebugInspectProperty>(this, iid, out)) return S_OK;
        return TPropFieldProperty::QueryInterface(iid, out);
    }
    uint32_t GetDebugInspectFlags() override { return FFlags; }

private:
    uint32_t FFlags;
};

TEST_F(InspListBoxTest, QueryButtonHelpAndListItems) {
    TIniPropSet set(nullptr);
    auto* field = new TStringPropField(&set);
    field->SetFieldName(u"Watch");
    field->SetPropSet(&set);
    field->SetValue(Variant(UnicodeString(u"x + 1")));
    std::vector<InterfacePtr<IProperty>> props{
        InterfacePtr<IProperty>(new TDebugFieldProperty(field, 0)),
        InterfacePtr<IProperty>(new TDebugFieldProperty(field, diShowQueryButton)),
        InterfacePtr<IProperty>(
            new TDebugFieldProperty(field, diShowQueryButton | diQueryButtonDown))};
    list->OnGetProperties = [&props](TObject*, const TGetPropProc& add) {
        for (auto& p : props)
            add(p.Get());
    };
    list->Reset();
    Deliver();
    ASSERT_EQ(list->GetCount(), 3);
    const int h = list->GetItemHeight(), w = list->GetClientWidth();
    struct Case {
        int row;
        bool shown, down;
    } cases[] = {{0, false, false}, {1, true, false}, {2, true, true}};
    for (const Case& c : cases) {
        list->SelectItem(c.row);
        Deliver();
        TPropQueryButton* query = list->GetQueryButton();
        EXPECT_EQ(query->GetVisible(), c.shown) << c.row;
        EXPECT_EQ(list->IsQueryButtonDown(), c.down) << c.row;
        // The edit makes room for the button on the right.
        const int right = list->GetEdit()->GetLeft() + list->GetEdit()->GetWidth();
        EXPECT_EQ(right, list->GetMiddle() + 3 + w - list->GetMiddle() - 2 - (c.shown ? h : 0))
            << c.row;
        if (c.shown) EXPECT_EQ(query->GetLeft(), w - h + 1);
    }
    // A click on the button toggles it and tells the host.
    int clicks = 0;
    list->OnQueryButtonClick = [&](TObject*) { ++clicks; };
    list->SelectItem(1);
    Deliver();
    TPropQueryButton* query = list->GetQueryButton();
    TestSeams::Click(
        TestSeams::ClientPoint(list->GetSelectionWindow()->GetHandle(), query->GetLeft() + 3, 3));
    Deliver();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(list->IsQueryButtonDown());

    // Help goes to the host's handler while there are rows.
    int helps = 0;
    list->OnHelp = [&](TObject*) { ++helps; };
    list->Perform(WM_HELP, 0, 0);
    EXPECT_EQ(helps, 1);

    const Variant item = list->GetListItem(1);
    ASSERT_TRUE(VarIsArray(item));
    EXPECT_EQ(item[0].AsInteger(), 0);
    EXPECT_EQ(item[1].AsString(), u"x + 1");
    EXPECT_TRUE(list->GetListItem(7).IsEmpty());
}

} // namespace
