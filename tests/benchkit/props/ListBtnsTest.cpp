// The list button: where its list opens on a screen of two monitors, its
// size, and the keys that search, accept and cancel.
#include "benchkit/props/IDEListBtns.h"

#include <quorlpak/Application.h>
#include <quorlpak/Forms.h>
#include <runpak/Strings.h>
#include <win32/TestSeams.h>
#include <win32/monitors.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ListBtnsTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        // The primary monitor, and a second one to its right whose top is not 0.
        TestSeams::SetMonitors({{{0, 0, 1000, 800}, {0, 0, 1000, 800}},
                                {{1000, 600, 1600, 1400}, {1000, 600, 1600, 1360}}});
        InitializeQuorlpak();
        form = new TForm(Application);
        form->SetBounds(100, 100, 300, 200);
        button = new TListButton(form);
        button->SetParent(form);
        button->SetBounds(200, 20, 17, 17);
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override {
        delete form;
        FinalizeQuorlpak();
        TestSeams::SetMonitors({});
        TestSeams::UseRealClock();
    }
    RECT ListRect() {
        RECT r{};
        GetWindowRect(button->GetListBox()->GetHandle(), &r);
        return r;
    }
    void Press(char16_t key) {
        char16_t k = key;
        button->Perform(WM_CHAR, k, 0);
    }

    TForm* form = nullptr;
    TListButton* button = nullptr;
};

TEST_F(ListBtnsTest, ListOpensWhereTheButtonsMonitorHasRoom) {
    struct Case {
        const char* what;
        TPoint origin;
        TDropAlign align;
        TRect expected;
    };
    const TSize button{17, 17}, list{100, 200};
    const Case cases[] = {
        {"below on the primary", {50, 100}, daLeft, Bounds(50, 116, 100, 200)},
        {"above near the primary's bottom", {50, 700}, daLeft, Bounds(50, 501, 100, 200)},
        // 900 is past the primary's height, yet the second monitor has room below.
        {"below on the second", {1100, 900}, daLeft, Bounds(1100, 916, 100, 200)},
        {"above near the second's bottom", {1100, 1300}, daLeft, Bounds(1100, 1101, 100, 200)},
        {"right-aligned, kept on the second", {1005, 900}, daRight, Bounds(1000, 916, 100, 200)},
        {"right-aligned", {500, 100}, daRight, Bounds(417, 116, 100, 200)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListDropRect(c.origin, button, list, c.align), c.expected) << c.what;
}

TEST_F(ListBtnsTest, DroppedListShowsAtMostTwentyItemsAndFitsTheWidestWithItsScrollBar) {
    for (int i = 0; i < 30; ++i)
        button->GetItems()->Add(u"Item " + IntToStr(100 + i) + (i == 7 ? u" is the widest" : u""));
    button->SetAutoWidth(true);
    button->DropDown();
    ASSERT_TRUE(button->GetDropped());
    const RECT r = ListRect();
    const int itemHeight = button->GetListBox()->GetItemHeight();
    EXPECT_EQ(r.bottom - r.top, 2 + 20 * itemHeight);
    const int widest = button->GetCanvas()->TextWidth(u"Item 107 is the widest");
    EXPECT_EQ(r.right - r.left, widest + 5 + GetSystemMetrics(SM_CXVSCROLL));
    const TPoint origin = button->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(r.top, origin.y + 17 - 1);
    button->CloseUp(false);
    EXPECT_FALSE(button->GetDropped());
}

TEST_F(ListBtnsTest, KeysSearchAcceptAndCancel) {
    for (const char16_t* s : {u"Alpha", u"Beta", u"Bravo", u"Charlie"})
        button->GetItems()->Add(s);
    int accepted = 0, cancelled = 0;
    button->OnAccept = [&](TObject*) { ++accepted; };
    button->OnCancel = [&](TObject*) { ++cancelled; };

    button->DropDown();
    Press(u'b');
    Press(u'R');
    EXPECT_EQ(button->GetItemIndex(), 2);
    EXPECT_EQ(button->GetSelectString(), u"Br");
    Press(u'x'); // no match: nothing changes
    EXPECT_EQ(button->GetItemIndex(), 2);
    EXPECT_EQ(button->GetSelectString(), u"Br");
    Press(u'\r');
    EXPECT_FALSE(button->GetDropped());
    EXPECT_EQ(accepted, 1);

    button->DropDown();
    EXPECT_EQ(button->GetSelectString(), u"");
    Press(u'\b'); // without a prefix, the first item
    EXPECT_EQ(button->GetItemIndex(), 0);
    Press(0x1B);
    EXPECT_FALSE(button->GetDropped());
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(accepted, 1);
}

TEST_F(ListBtnsTest, DropDownCanBeVetoed) {
    button->GetItems()->Add(u"One");
    button->OnDropDown = [](TObject*, bool& canDrop) { canDrop = false; };
    button->DropDown();
    EXPECT_FALSE(button->GetDropped());
}

// A control to drop down; once it really has the focus (inside the panel's
// loop) it gives the input the case asks for.
class THosted : public TListBox {
public:
    using TListBox::TListBox;
    std::function<void()> OnFocused;
    void Dispatch(TMessage& Message) override {
        TListBox::Dispatch(Message);
        if (Message.Msg == WM_SETFOCUS && OnFocused) {
            auto once = std::move(OnFocused);
            OnFocused = nullptr;
            once();
        }
    }
};

// The panel's modal loop runs until Escape inside it or a press outside it;
// a press inside keeps it open.
TEST_F(ListBtnsTest, PanelClosesOnEscapeInsideOrAPressOutsideButNotOnAPressInside) {
    auto* hosted = new THosted(form);
    hosted->SetBounds(0, 0, 120, 80);
    const TPoint origin = button->ClientToScreen(TPoint(0, 0));
    struct Case {
        const char* what;
        std::function<void()> input;
        bool pressInside;
    };
    const auto inside = [&] { return TestSeams::ClientPoint(hosted->GetHandle(), 10, 10); };
    const Case cases[] = {
        {"Escape inside", [] { TestSeams::KeyPress(VK_ESCAPE); }, false},
        {"a press outside", [&] { TestSeams::Click(POINT{origin.x - 60, origin.y + 40}); }, false},
        {"a press inside, then Escape",
         [&] {
             TestSeams::Click(inside());
             TestSeams::KeyPress(VK_ESCAPE);
         },
         true},
    };
    for (const Case& c : cases) {
        bool given = false;
        int openAtPress = -1;
        hosted->OnFocused = [&] {
            given = true;
            c.input();
        };
        hosted->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
            openAtPress = button->GetDropped() && button->GetPopupPanel()->GetModalResult() == mrNone;
        };
        button->DropDown(hosted);
        EXPECT_TRUE(given) << c.what;
        EXPECT_FALSE(button->GetDropped()) << c.what;
        EXPECT_EQ(button->GetPopupPanel()->GetModalResult(), mrCancel) << c.what;
        if (c.pressInside) EXPECT_EQ(openAtPress, 1) << c.what;
        Application->ProcessMessages();
    }
}

TEST_F(ListBtnsTest, PanelTakesTheControlsSizeAndOpensBelowTheButtonRightAligned) {
    auto* hosted = new THosted(form);
    hosted->SetBounds(0, 0, 150, 90);
    button->SetDropAlign(daRight);
    RECT placed{};
    hosted->OnFocused = [&] {
        GetWindowRect(button->GetPopupPanel()->GetHandle(), &placed);
        TestSeams::KeyPress(VK_ESCAPE);
    };
    button->DropDown(hosted);
    const TPoint origin = button->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(placed.right - placed.left, 152);
    EXPECT_EQ(placed.bottom - placed.top, 92);
    EXPECT_EQ(placed.top, origin.y + 17 - 1);
    EXPECT_EQ(placed.left, origin.x + 17 - 152 - 2);
}

} // namespace
