// The tab control and the tab set: tabs kept through a new window, a click
// that OnChanging may refuse, children on the panel, and the tab set's layout
// and veto.
#include "QuorlpakTestSupport.h"

#include <quorlpak/TabControl.h>
#include <quorlpak/Tabs.h>
#include <runpak/StringList.h>

namespace {

class TabControlTest : public QuorlpakTest {
protected:
    template <class T> T* Put(T* Control, int Width, int Height) {
        Control->SetBounds(0, 0, Width, Height);
        Control->SetParent(Form);
        Pump();
        return Control;
    }
    void SetUp() override {
        QuorlpakTest::SetUp();
        Form = ShownForm(400, 300);
    }
    TForm* Form = nullptr;
};

TEST_F(TabControlTest, ClickAsksOnChangingAndTabsSurviveANewWindow) {
    auto* tabs = Put(new TTabControl(Form), 300, 200);
    for (const char16_t* t : {u"First", u"Second", u"Third"})
        tabs->GetTabs()->Add(t);
    tabs->SetTabIndex(0);
    bool allow = false;
    int changes = 0;
    tabs->OnChanging = [&](TObject*, bool& Allow) { Allow = allow; };
    tabs->OnChange = [&](TObject*) { ++changes; };

    const TRect second = tabs->TabRect(1);
    ASSERT_FALSE(second.IsEmpty());
    EXPECT_EQ(tabs->IndexOfTabAt(second.left + 4, second.top + 4), 1);
    ClickAt(tabs, second.left + 4, second.top + 4);
    EXPECT_EQ(tabs->GetTabIndex(), 0);
    EXPECT_EQ(changes, 0);
    allow = true;
    ClickAt(tabs, second.left + 4, second.top + 4);
    EXPECT_EQ(tabs->GetTabIndex(), 1);
    EXPECT_EQ(changes, 1);

    EXPECT_EQ(tabs->GetHitTestInfoAt(second.left + 4, second.top + 4),
              (THitTests{htOnItem, htOnLabel}));
    EXPECT_EQ(tabs->GetHitTestInfoAt(150, 150), THitTests{htNowhere});
    EXPECT_EQ(tabs->GetHitTestInfoAt(-5, 10), THitTests{htToLeft});

    tabs->SetStyle(tsButtons); // a new window
    EXPECT_EQ(tabs->GetTabIndex(), 1);
    tabs->GetTabs()->Delete(0);
    EXPECT_EQ(tabs->GetTabs()->GetCount(), 2);
    EXPECT_EQ(changes, 1); // changes by code fire nothing
}

TEST_F(TabControlTest, ChildrenLieOnThePanel) {
    auto* tabs = Put(new TTabControl(Form), 300, 200);
    tabs->GetTabs()->Add(u"Only");
    auto* child = new TTestControl(tabs);
    child->SetParent(tabs);
    child->SetAlign(alClient);
    Pump();
    const TRect display = tabs->GetDisplayRect();
    EXPECT_EQ(child->GetBoundsRect(), display);
    EXPECT_GT(display.top, tabs->TabRect(0).bottom);
    // A click on the child reaches it, not the tab control.
    ClickAt(child, 10, 10);
    EXPECT_EQ(child->Clicks, 1);
}

TEST_F(TabControlTest, TabSetLaysOutFromItsMarginsAndAsksBeforeChanging) {
    auto* set = Put(new TTabSet(Form), 200, 24);
    set->SetStartMargin(10);
    set->SetEndMargin(10);
    for (const char16_t* t : {u"alpha", u"beta", u"a much longer tab name", u"end"})
        set->GetTabs()->Add(t);
    const TRect first = set->ItemRect(0), second = set->ItemRect(1);
    EXPECT_EQ(first.left, 10);
    EXPECT_EQ(second.left, first.right);
    EXPECT_TRUE(set->ItemRect(2).IsEmpty()); // past the end margin
    EXPECT_TRUE(set->ItemRect(3).IsEmpty());
    EXPECT_EQ(set->ItemAtPos(TPoint(second.left + 2, 5)), 1);
    EXPECT_EQ(set->ItemAtPos(TPoint(5, 5)), -1);

    std::vector<int> asked;
    bool allow = true;
    int clicks = 0;
    set->OnChange = [&](TObject*, int NewTab, bool& Allow) {
        asked.push_back(NewTab);
        Allow = allow;
    };
    set->OnClick = [&](TObject*) { ++clicks; };
    ClickAt(set, second.left + 2, 5);
    EXPECT_EQ(set->GetTabIndex(), 1);
    allow = false;
    ClickAt(set, first.left + 2, 5);
    EXPECT_EQ(set->GetTabIndex(), 1);
    EXPECT_EQ(asked, (std::vector<int>{1, 0}));
    EXPECT_EQ(clicks, 1);
    EXPECT_THROW(set->SetTabIndex(9), EListError);
}

} // namespace
