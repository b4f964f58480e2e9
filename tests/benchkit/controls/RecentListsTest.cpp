// The most-recently-used combo box and the desktop-layout combo box: what
// the lists keep, and which user actions count as a choice.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEDesktopComboBox.h"
#include "benchkit/controls/MRUCombos.h"

#include <runpak/Strings.h>

#include <string>
#include <vector>

namespace {

using RecentListsTest = ControlsTest;

std::vector<std::u16string> ItemsOf(TCustomComboBox* Combo) {
    std::vector<std::u16string> items;
    for (int i = 0; i < Combo->GetItems()->GetCount(); ++i)
        items.push_back(Combo->GetItems()->Get(i));
    return items;
}

using Items = std::vector<std::u16string>;

TEST_F(RecentListsTest, MRUAddMovesToTopByCase) {
    struct Case {
        bool caseSensitive;
        Items start;
        std::u16string add;
        Items expected;
    } cases[] = {
        {false, {u"a", u"b", u"c"}, u"c", {u"c", u"a", u"b"}},
        {false, {u"a", u"b", u"c"}, u"d", {u"d", u"a", u"b", u"c"}},
        // Found regardless of case: the first entry keeps its letters.
        {false, {u"abc", u"x"}, u"x", {u"x", u"abc"}},
        {false, {u"x", u"abc"}, u"ABC", {u"abc", u"x"}},
        // Case-sensitive: a different case is a new entry...
        {true, {u"x", u"abc"}, u"ABC", {u"ABC", u"x", u"abc"}},
        // ...and an exact one later in the list is moved, not inserted again.
        {true, {u"abc", u"x", u"ABC"}, u"ABC", {u"ABC", u"abc", u"x"}},
    };
    for (const Case& c : cases) {
        auto* combo = Place(new TMRUComboBox(Form), 150, 21);
        combo->SetCaseSensitive(c.caseSensitive);
        for (auto it = c.start.rbegin(); it != c.start.rend(); ++it) combo->GetItems()->Add(*it);
        ASSERT_EQ(ItemsOf(combo), c.start);
        EXPECT_EQ(combo->GetItems()->Add(c.add), 0);
        EXPECT_EQ(ItemsOf(combo), c.expected) << std::string(c.add.begin(), c.add.end());
        // The window shows the same list.
        EXPECT_EQ(SendMessageW(combo->GetHandle(), CB_GETCOUNT, 0, 0), LRESULT(c.expected.size()));
        delete combo;
    }
}

TEST_F(RecentListsTest, MRUKeepsAtMostMaxCount) {
    auto* combo = Place(new TMRUComboBox(Form), 150, 21);
    EXPECT_EQ(combo->GetMaxCount(), 20);
    for (int i = 1; i <= 21; ++i) combo->GetItems()->Add(u"entry" + IntToStr(i));
    ASSERT_EQ(combo->GetItems()->GetCount(), 20);
    EXPECT_EQ(combo->GetItems()->Get(0), u"entry21");
    EXPECT_EQ(combo->GetItems()->Get(19), u"entry2"); // the oldest went

    combo->SetMaxCount(3);
    EXPECT_EQ(ItemsOf(combo), (Items{u"entry21", u"entry20", u"entry19"}));
    combo->SetMaxCount(-5); // counts as none
    EXPECT_EQ(combo->GetMaxCount(), 0);
    EXPECT_TRUE(ItemsOf(combo).empty());
    combo->GetItems()->Add(u"x");
    EXPECT_TRUE(ItemsOf(combo).empty());
}

TEST_F(RecentListsTest, MRULeavingTakesTheTextAndSelectsTheFirst) {
    auto* combo = Place(new TMRUComboBox(Form), 150, 21);
    auto* other = Place(new TEdit(Form), 100, 21);
    other->SetTop(40);
    combo->GetItems()->Add(u"two");
    combo->GetItems()->Add(u"one");

    // An empty text only selects the first item.
    combo->SetFocus();
    Pump();
    other->SetFocus();
    Pump();
    EXPECT_EQ(ItemsOf(combo), (Items{u"one", u"two"}));
    EXPECT_EQ(combo->GetItemIndex(), 0);

    combo->SetFocus();
    Pump();
    combo->SetText(u"two");
    other->SetFocus();
    Pump();
    EXPECT_EQ(ItemsOf(combo), (Items{u"two", u"one"}));
    EXPECT_EQ(combo->GetItemIndex(), 0);
    EXPECT_EQ(combo->GetText(), u"two");

    // Opening the list takes the typed text too.
    combo->SetFocus();
    Pump();
    combo->SetText(u"three");
    combo->SetDroppedDown(true);
    Pump();
    EXPECT_EQ(ItemsOf(combo), (Items{u"three", u"two", u"one"}));
    combo->SetDroppedDown(false);
    Pump();
}

TEST_F(RecentListsTest, MRUCompletesTypedTextFromItsEntries) {
    auto* combo = Place(new TMRUComboBox(Form), 150, 21);
    EXPECT_TRUE(combo->GetAutoComplete());
    EXPECT_FALSE(combo->GetAutoDropDown());
    EXPECT_FALSE(combo->GetAutoCloseUp());
    combo->GetItems()->Add(u"release");
    combo->GetItems()->Add(u"debug");
    combo->SetFocus();
    Pump();
    TestSeams::TypeText(u"rel");
    Pump();
    EXPECT_EQ(combo->GetText(), u"release");
    EXPECT_EQ(ItemsOf(combo), (Items{u"debug", u"release"}));
}

// The desktop combo: a layout is switched (clicked) only by a choice made in the open list.
TEST_F(RecentListsTest, DesktopComboActsOnConfirmedChoicesOnly) {
    auto* combo = Place(new TDesktopComboBox(Form), 150, 21);
    combo->SetStyle(csDropDownList);
    for (const char16_t* t : {u"Default", u"Debug", u"Classic"}) combo->GetItems()->Add(t);
    combo->SetItemIndex(0);
    int clicks = 0;
    combo->OnClick = [&](TObject*) { ++clicks; };
    combo->SetFocus();
    Pump();

    struct Case {
        const char* what;
        std::vector<int> keys;
        int clicks;
        std::u16string text;
    } cases[] = {
        {"browse and cancel", {VK_F4, VK_DOWN, VK_DOWN, VK_ESCAPE}, 0, u"Default"},
        {"arrows on the closed list", {VK_DOWN}, 0, u"Debug"},
        {"again after a cancel", {VK_F4, VK_ESCAPE, VK_DOWN}, 0, u"Classic"},
        {"browse and confirm", {VK_F4, VK_UP, VK_UP, VK_RETURN}, 1, u"Default"},
        {"arrows after a confirmed choice", {VK_DOWN}, 0, u"Debug"},
        {"open and close with the list key", {VK_F4, VK_F4}, 0, u"Debug"},
    };
    for (const Case& c : cases) {
        clicks = 0;
        for (int vk : c.keys) {
            TestSeams::KeyPress(vk);
            Pump();
        }
        EXPECT_EQ(clicks, c.clicks) << c.what;
        EXPECT_EQ(combo->GetText(), c.text) << c.what;
        EXPECT_FALSE(combo->GetDroppedDown()) << c.what;
        EXPECT_FALSE(combo->GetWasDropped()) << c.what;
    }

    // A click on an item of the open list sets the text and clicks once.
    clicks = 0;
    TestSeams::KeyPress(VK_F4);
    Pump();
    ASSERT_TRUE(combo->GetDroppedDown());
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    SendMessageW(combo->GetHandle(), CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.hwndList, nullptr);
    const int itemHeight = static_cast<int>(SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
    TestSeams::Click(TestSeams::ClientPoint(info.hwndList, 10, itemHeight * 2 + itemHeight / 2));
    Pump();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(combo->GetText(), u"Classic");
    EXPECT_FALSE(combo->GetDroppedDown());
}

} // namespace
