// Combo boxes and list boxes: items kept by the control and mirrored in the
// window, selection and text, notifications, and windows made again.
#include "StdControlsTestSupport.h"

namespace {

std::vector<std::u16string> WindowItems(HWND hwnd, UINT countMsg, UINT lenMsg, UINT textMsg) {
    std::vector<std::u16string> items;
    const int count = int(SendMessageW(hwnd, countMsg, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int len = int(SendMessageW(hwnd, lenMsg, WPARAM(i), 0));
        std::u16string text(size_t(len) + 1, u'\0');
        SendMessageW(hwnd, textMsg, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(size_t(len));
        items.push_back(text);
    }
    return items;
}

class ComboBoxTest : public StdControlsTest {
protected:
    TComboBox* combo = nullptr;
    std::vector<std::string> log;
    void SetUp() override {
        StdControlsTest::SetUp();
        combo = Make<TComboBox>(10, 10, 150, 21);
        combo->GetItems()->SetCommaText(u"COM1,COM2,COM3");
        combo->OnChange = [this](TObject*) { log.push_back("change " + Text()); };
    }
    std::string Text() { return UnicodeToUtf8(combo->GetText()); }
    std::vector<std::u16string> Items() {
        return WindowItems(combo->GetHandle(), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
    }
};

TEST_F(ComboBoxTest, TheWindowShowsTheItems) {
    EXPECT_EQ(Items(), (std::vector<std::u16string>{u"COM1", u"COM2", u"COM3"}));
    combo->GetItems()->Add(u"USB シリアル");
    EXPECT_EQ(Items().back(), u"USB シリアル");
}

TEST_F(ComboBoxTest, ADropDownListsTextIsItsSelectedItem) {
    combo->SetStyle(csDropDownList);
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(Text(), "");
    combo->SetItemIndex(2);
    EXPECT_EQ(Text(), "COM3");
    combo->SetText(u"com2"); // items match regardless of case
    EXPECT_EQ(combo->GetItemIndex(), 1);
    combo->SetText(u"COM9");
    EXPECT_EQ(combo->GetItemIndex(), -1);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->GetItemIndex(), -1);
    // Changes by the program fire nothing.
    EXPECT_TRUE(log.empty());
}

TEST_F(ComboBoxTest, TypingInADropDownChangesTheTextAndFiresOnChange) {
    Focus(combo);
    Type(u"CO");
    EXPECT_EQ(Text(), "CO");
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"change C", "change CO"}));
    combo->SetText(u"COM2");
    EXPECT_EQ(Text(), "COM2");
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ComboBoxTest, PickingAnItemWithTheKeysFiresOnChangeOrOnSelect) {
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(0);
    Focus(combo);
    Key(VK_DOWN);
    EXPECT_EQ(combo->GetItemIndex(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"change COM2"}));
    int selects = 0;
    combo->OnSelect = [&](TObject*) { ++selects; };
    Key(VK_DOWN);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(Text(), "COM3");
}

TEST_F(ComboBoxTest, AutoCompleteFillsInTheFirstItemThatStartsWithTheTypedText) {
    combo->GetItems()->Add(u"Printer");
    Focus(combo);
    Type(u"P");
    EXPECT_EQ(Text(), "P"); // off unless asked for
    combo->SetText(u"");
    log.clear();
    combo->SetAutoComplete(true);
    auto selection = [this] {
        DWORD start = 0, end = 0;
        SendMessageW(combo->GetHandle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return std::pair<int, int>(int(start), int(end));
    };
    Type(u"p");
    EXPECT_EQ(Text(), "Printer");
    EXPECT_EQ(combo->GetItemIndex(), 3);
    EXPECT_EQ(selection(), (std::pair<int, int>(1, 7))); // the completed part, to be typed over
    Type(u"r");
    EXPECT_EQ(Text(), "Printer");
    EXPECT_EQ(selection(), (std::pair<int, int>(2, 7)));
    Type(u"x"); // nothing starts so: the text is what was typed
    EXPECT_EQ(Text(), "Prx");
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"change Printer", "change Prx"}));

    // The open list closes on a completion only with AutoCloseUp.
    combo->SetText(u"");
    combo->SetDroppedDown(true);
    Pump();
    Type(u"c");
    EXPECT_TRUE(combo->GetDroppedDown());
    EXPECT_EQ(Text(), "COM1");
    combo->SetAutoCloseUp(true);
    combo->SetText(u"");
    Type(u"p");
    EXPECT_FALSE(combo->GetDroppedDown());
    EXPECT_EQ(Text(), "Printer");

    // AutoDropDown: the first key typed opens the list.
    combo->SetAutoComplete(false);
    combo->SetAutoDropDown(true);
    combo->SetText(u"");
    Type(u"z");
    EXPECT_TRUE(combo->GetDroppedDown());
    EXPECT_EQ(Text(), "z");

    // A new window completes as the old one did.
    combo->SetDroppedDown(false);
    combo->SetAutoComplete(true);
    combo->SetStyle(csDropDownList);
    combo->SetStyle(csDropDown);
    combo->SetText(u"");
    Focus(combo);
    Type(u"com3");
    EXPECT_EQ(Text(), "COM3");
}

TEST_F(ComboBoxTest, AutoCompleteInADropDownListAddsUpKeysTypedInQuickSuccession) {
    combo->GetItems()->Add(u"Printer");
    combo->SetStyle(csDropDownList);
    combo->SetAutoComplete(true);
    Focus(combo);
    Type(u"com3");
    EXPECT_EQ(combo->GetItemIndex(), 2);
    Type(u"p"); // "com3p" names no item: the list's own search by the key
    EXPECT_EQ(Text(), "Printer");
    TestSeams::AdvanceClock(600);
    Type(u"c");
    EXPECT_EQ(Text(), "COM1"); // a pause starts the search afresh
    Type(u"om2");
    EXPECT_EQ(Text(), "COM2");
}

TEST_F(ComboBoxTest, EditingTheItemsKeepsTheSelectedItem) {
    combo->SetItemIndex(1);
    combo->GetItems()->Insert(0, u"COM0");
    EXPECT_EQ(combo->GetItemIndex(), 2);
    EXPECT_EQ(Text(), "COM2");
    combo->GetItems()->Delete(2);
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(Items().size(), 3u);
}

TEST_F(ComboBoxTest, HidingAndShowingKeepsItemsAndSelection) {
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(2);
    combo->SetVisible(false);
    Pump();
    EXPECT_FALSE(IsWindowVisible(combo->GetHandle()));
    combo->SetItemIndex(1);
    combo->SetVisible(true);
    Pump();
    EXPECT_TRUE(IsWindowVisible(combo->GetHandle()));
    EXPECT_EQ(combo->GetItemIndex(), 1);
    EXPECT_EQ(Items().size(), 3u);
    EXPECT_EQ(Text(), "COM2");
}

TEST_F(ComboBoxTest, ANewStyleMakesANewWindowWithTheSameItemsAndSelection) {
    combo->SetItemIndex(1);
    HWND before = combo->GetHandle();
    combo->SetStyle(csDropDownList);
    EXPECT_NE(combo->GetHandle(), before);
    EXPECT_EQ(GetWindowLongW(combo->GetHandle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(Items().size(), 3u);
    EXPECT_EQ(combo->GetItemIndex(), 1);
    // A typed text survives a new window too.
    combo->SetStyle(csDropDown);
    combo->SetText(u"COM7");
    combo->SetStyle(csSimple);
    combo->SetStyle(csDropDown);
    EXPECT_EQ(Text(), "COM7");
}

TEST_F(ComboBoxTest, SettingsBeforeTheWindowExistsShowOnceItDoes) {
    auto* late = new TComboBox(form);
    late->SetStyle(csDropDownList);
    late->GetItems()->SetCommaText(u"a,b,c");
    late->SetItemIndex(2);
    EXPECT_EQ(late->GetText(), u"c");
    EXPECT_FALSE(late->HandleAllocated());
    late->SetParent(form);
    EXPECT_EQ(SendMessageW(late->GetHandle(), CB_GETCURSEL, 0, 0), 2);
}

TEST_F(ComboBoxTest, SortedItemsStayInOrder) {
    combo->GetItems()->SetCommaText(u"b,c,a");
    combo->SetSorted(true);
    combo->GetItems()->Add(u"ab");
    EXPECT_EQ(Items(), (std::vector<std::u16string>{u"a", u"ab", u"b", u"c"}));
}

// --- List boxes
// -----------------------------------------------------------------------------------

class ListBoxTest : public StdControlsTest {
protected:
    TListBox* list = nullptr;
    int clicks = 0;
    void SetUp() override {
        StdControlsTest::SetUp();
        list = Make<TListBox>(10, 10, 150, 120);
        list->GetItems()->SetCommaText(u"one,two,three,four");
        list->OnClick = [this](TObject*) { ++clicks; };
    }
    void ClickItem(int index, bool ctrl = false) {
        const int h = list->GetItemHeight();
        if (ctrl) TestSeams::KeyDown(VK_CONTROL);
        ClickAt(list, 10, index * h + h / 2);
        if (ctrl) TestSeams::KeyUp(VK_CONTROL);
        Pump();
    }
};

TEST_F(ListBoxTest, ClickingAnItemSelectsItAndClicks) {
    ClickItem(2);
    EXPECT_EQ(list->GetItemIndex(), 2);
    EXPECT_TRUE(list->GetSelected(2));
    EXPECT_FALSE(list->GetSelected(1));
    EXPECT_EQ(clicks, 1);
    Key(VK_DOWN);
    EXPECT_EQ(list->GetItemIndex(), 3);
    EXPECT_EQ(clicks, 2);
    // The program's changes do not click.
    list->SetItemIndex(0);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(list->ItemAtPos(TPoint(5, list->GetItemHeight() + 1)), 1);
}

TEST_F(ListBoxTest, MultiSelectKeepsSeveralItems) {
    list->SetMultiSelect(true);
    ClickItem(0);
    ClickItem(2, true);
    EXPECT_EQ(list->GetSelCount(), 2);
    EXPECT_TRUE(list->GetSelected(0));
    EXPECT_FALSE(list->GetSelected(1));
    EXPECT_TRUE(list->GetSelected(2));
    EXPECT_EQ(list->GetItemIndex(), 2);
    list->SetSelected(3, true);
    EXPECT_EQ(list->GetSelCount(), 3);
    list->ClearSelection();
    EXPECT_EQ(list->GetSelCount(), 0);
    list->SelectAll();
    EXPECT_EQ(list->GetSelCount(), 4);
}

TEST_F(ListBoxTest, TheSelectionSurvivesANewWindow) {
    list->SetMultiSelect(true);
    list->SetSelected(1, true);
    list->SetSelected(3, true);
    HWND before = list->GetHandle();
    list->SetBorderStyle(bsNone);
    EXPECT_NE(list->GetHandle(), before);
    EXPECT_EQ(list->GetSelCount(), 2);
    EXPECT_TRUE(list->GetSelected(3));
    list->SetMultiSelect(false);
    list->SetItemIndex(2);
    list->SetBorderStyle(bsSingle);
    EXPECT_EQ(list->GetItemIndex(), 2);
}

TEST_F(ListBoxTest, EditingTheItemsKeepsTheSelectedItem) {
    list->SetItemIndex(2);
    list->GetItems()->Insert(0, u"zero");
    EXPECT_EQ(list->GetItemIndex(), 3);
    list->GetItems()->Delete(3);
    EXPECT_EQ(list->GetItemIndex(), -1);
    EXPECT_EQ(WindowItems(list->GetHandle(), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT),
              (std::vector<std::u16string>{u"zero", u"one", u"two", u"four"}));
}

TEST_F(ListBoxTest, SelectedOutsideTheItemsIsAnError) {
    EXPECT_THROW(list->GetSelected(4), EListError);
    EXPECT_THROW(list->SetSelected(-1, true), EListError);
}

TEST_F(ListBoxTest, ItemsStreamAsAList) {
    std::string text = UnicodeToUtf8(ComponentToObjectText(list));
    EXPECT_NE(text.find("Strings = (\"one\", \"two\", \"three\", \"four\")"), std::string::npos)
        << text;
    auto* copy = static_cast<TListBox*>(
        ObjectTextToComponent(ComponentToObjectText(list), new TListBox(nullptr)));
    EXPECT_TRUE(copy->GetItems()->Equals(list->GetItems()));
    delete copy;
}

} // namespace
