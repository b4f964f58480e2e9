// The wildcard matcher and the filter box: when the host is asked to filter
// or to clear, and with what text.
#include "ControlsTestSupport.h"

#include "benchkit/controls/Filters.h"

#include <quorlpak/ImgList.h>

#include <string>
#include <vector>

namespace {

TEST(PatternMatchTest, Table) {
    struct Case {
        const char16_t* text;
        const char16_t* pattern;
        bool partial;
        bool caseSensitive;
        bool match;
        int position;
    } cases[] = {
        {u"", u"", false, false, true, -1},
        {u"", u"a", true, false, false, -1},
        {u"a", u"", true, false, false, -1},
        // Partial finds the pattern anywhere; otherwise only at the start.
        {u"Hello", u"ell", true, false, true, 2},
        {u"Hello", u"ell", false, false, false, -1},
        {u"Hello", u"hel", false, false, true, -1},
        {u"Hello", u"hel", false, true, false, -1},
        {u"Hello", u"Hel", false, true, true, -1},
        // A leading "?" with Partial needs a character before the rest.
        {u"ell", u"?ell", true, false, false, -1},
        {u"xell", u"?ell", true, false, true, 2},
        {u"Hello", u"h?l", false, false, true, -1},
        {u"Hello", u"h*o", false, false, true, 5},
        {u"Hello", u"h**o", false, false, true, 5},
        {u"Hello", u"h*x", false, false, false, -1},
        // A first try that fails is retried one character on.
        {u"abac", u"*ac", false, false, true, 3},
        {u"Form1.pas", u"*.pas", false, false, true, 6},
        {u"Form1.pas", u"*.cpp", false, false, false, -1},
        // Trailing "?" may match nothing.
        {u"ab", u"ab??", false, false, true, -1},
        {u"abc", u"abcd", false, false, false, -1},
    };
    for (const Case& c : cases) {
        int position = 0;
        EXPECT_EQ(PatternMatch(c.text, c.pattern, position, c.partial, c.caseSensitive), c.match)
            << std::string(c.text, c.text + std::u16string_view(c.text).size()) << " / "
            << std::string(c.pattern, c.pattern + std::u16string_view(c.pattern).size());
        if (c.match) {
            EXPECT_EQ(position, c.position)
                << std::string(c.pattern, c.pattern + std::u16string_view(c.pattern).size());
        }
        EXPECT_EQ(PatternMatch(c.text, c.pattern, c.partial, c.caseSensitive), c.match);
    }
}

class FilterEditTest : public ControlsTest {
protected:
    void TearDown() override {
        ControlsTest::TearDown();
        FinalizeFilters();
    }
    TFilterEdit* MakeEdit() {
        auto* edit = Place(new TFilterEdit(Form), 160, 22);
        edit->PerformFilter = [this](TObject*, const UnicodeString& Text) {
            events.push_back(u"filter:" + Text);
        };
        edit->ClearFilter = [this](TObject*) { events.push_back(u"clear"); };
        return edit;
    }
    static void Wait(unsigned Ms) {
        TestSeams::AdvanceClock(Ms);
        Pump();
    }
    std::vector<std::u16string> events;
};

TEST_F(FilterEditTest, FiltersOnceAfterThePause) {
    TFilterEdit* edit = MakeEdit();
    edit->SetFocus();
    Pump();
    for (const char16_t* key : {u"a", u"b", u"c"}) {
        TestSeams::TypeText(key);
        Pump();
        Wait(200);
    }
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(edit->FilterPending());
    Wait(399);
    EXPECT_TRUE(events.empty()); // 599 ms since the last key
    Wait(1);
    EXPECT_EQ(events, std::vector<std::u16string>{u"filter:abc"});
    EXPECT_FALSE(edit->FilterPending());
    Wait(5000);
    EXPECT_EQ(events.size(), 1u);

    // A longer interval, and Execute filtering at once.
    events.clear();
    edit->SetInterval(1000);
    TestSeams::TypeText(u"d");
    Pump();
    Wait(600);
    EXPECT_TRUE(events.empty());
    edit->Execute();
    EXPECT_EQ(events, std::vector<std::u16string>{u"filter:abcd"});
    Wait(2000);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FilterEditTest, EveryKindOfClearIsReportedOnceAndDropsAWaitingFilter) {
    TFilterEdit* edit = MakeEdit();
    edit->SetFocus();
    Pump();
    EXPECT_FALSE(edit->GetRightButton()->GetVisible());

    // Typing, then deleting before the pause: cleared at once, never filtered.
    TestSeams::TypeText(u"x");
    Pump();
    EXPECT_TRUE(edit->GetRightButton()->GetVisible());
    TestSeams::KeyPress(VK_BACK);
    Pump();
    EXPECT_EQ(events, std::vector<std::u16string>{u"clear"});
    EXPECT_FALSE(edit->GetRightButton()->GetVisible());
    Wait(1000);
    EXPECT_EQ(events, std::vector<std::u16string>{u"clear"});

    // Clear, with text and without.
    events.clear();
    edit->SetText(u"abc");
    edit->Clear();
    EXPECT_EQ(events, std::vector<std::u16string>{u"clear"});
    edit->Clear();
    EXPECT_EQ(events, (std::vector<std::u16string>{u"clear", u"clear"}));
    Wait(1000);
    EXPECT_EQ(events.size(), 2u);

    // The clear button, clicked with the mouse.
    events.clear();
    edit->SetText(u"abc");
    Pump();
    TCustomControl* button = edit->GetRightButton()->GetGlyph();
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->GetVisible());
    ClickAt(button, button->GetWidth() / 2, button->GetHeight() / 2);
    EXPECT_EQ(edit->GetText(), u"");
    EXPECT_EQ(events, std::vector<std::u16string>{u"clear"});
    EXPECT_FALSE(edit->GetRightButton()->GetVisible());
}

TEST_F(FilterEditTest, ImagesAreSharedAndTheTextKeepsClearOfTheButtons) {
    TFilterEdit* a = MakeEdit();
    auto* b = Place(new TFilterEdit(Form), 160, 22);
    b->SetTop(30);
    ASSERT_NE(a->GetImages(), nullptr);
    EXPECT_EQ(a->GetImages(), b->GetImages());
    EXPECT_EQ(a->GetImages()->GetCount(), 5);
    EXPECT_EQ(a->GetLeftButton()->GetImageIndex(), 1); // the plain magnifier
    EXPECT_EQ(a->GetTextHint(), u"Search");
    delete b;
    EXPECT_EQ(a->GetImages()->GetCount(), 5); // outlives the edits

    a->SetText(u"abc");
    Pump();
    const LRESULT margins = SendMessageW(a->GetHandle(), EM_GETMARGINS, 0, 0);
    EXPECT_EQ(LOWORD(margins), a->GetLeftButton()->Width());
    EXPECT_EQ(HIWORD(margins), a->GetRightButton()->Width());
    EXPECT_GT(a->GetRightButton()->Width(), 0);
}

} // namespace
