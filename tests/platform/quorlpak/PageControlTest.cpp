// The page control: pages and the active page, tabs clicked and hidden, the
// sheets' controls shown and hidden with their sheets, and the painting of
// the tabs.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ComCtrls.h>

namespace {

class PageControlTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        form = ShownForm(320, 240);
        pages = new TPageControl(form);
        pages->SetParent(form);
        pages->SetBounds(10, 10, 300, 200);
        for (const char16_t* caption : {u"Page1", u"Second page", u"Third"}) {
            auto* sheet = new TTabSheet(form);
            sheet->SetPageControl(pages);
            sheet->SetCaption(caption);
            auto* control = new TTestControl(form);
            control->SetParent(sheet);
            sheets.push_back(sheet);
            controls.push_back(control);
        }
        pages->OnChanging = [this](TObject*, bool& Allow) {
            events.push_back(u"changing");
            Allow = allowChange;
        };
        pages->OnChange = [this](TObject*) { events.push_back(u"change"); };
        Pump();
    }
    void ClickTab(int TabIndex) {
        TRect r = pages->TabRect(TabIndex);
        ASSERT_FALSE(r.IsEmpty());
        ClickAt(pages, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Which of the sheets' controls are on the screen (their windows and
    // every parent's visible).
    std::vector<bool> ShowingControls() {
        std::vector<bool> showing;
        for (TTestControl* control : controls)
            showing.push_back(IsWindowVisible(control->GetHandle()) != FALSE);
        return showing;
    }

    TForm* form = nullptr;
    TPageControl* pages = nullptr;
    std::vector<TTabSheet*> sheets;
    std::vector<TTestControl*> controls;
    std::vector<UnicodeString> events;
    bool allowChange = true;
};

} // namespace

TEST_F(PageControlTest, TheFirstPageIsActiveAndOnlyItsControlsShow) {
    ASSERT_EQ(pages->GetPageCount(), 3);
    EXPECT_EQ(pages->GetPages(1), sheets[1]);
    EXPECT_EQ(sheets[2]->GetPageIndex(), 2);
    EXPECT_EQ(sheets[0]->GetPageControl(), pages);
    EXPECT_EQ(pages->GetActivePage(), sheets[0]);
    EXPECT_EQ(pages->GetActivePageIndex(), 0);
    EXPECT_EQ(ShowingControls(), (std::vector<bool>{true, false, false}));
    EXPECT_THROW(pages->GetPages(3), EListError);
}

TEST_F(PageControlTest, TheActiveSheetFillsTheDisplayAreaUnderTheTabs) {
    TRect display = pages->GetDisplayRect();
    EXPECT_EQ(sheets[0]->GetBoundsRect(), display);
    EXPECT_GT(display.top, pages->TabRect(0).bottom);
    pages->SetBounds(10, 10, 260, 180);
    Pump();
    EXPECT_EQ(sheets[0]->GetBoundsRect(), pages->GetDisplayRect());
    EXPECT_EQ(pages->GetDisplayRect().right, 260 - 4);
}

TEST_F(PageControlTest, ClickingATabAsksThenSwitchesPagesAndTheirControls) {
    ClickTab(1);
    EXPECT_EQ(pages->GetActivePage(), sheets[1]);
    EXPECT_EQ(events, (std::vector<UnicodeString>{u"changing", u"change"}));
    EXPECT_EQ(ShowingControls(), (std::vector<bool>{false, true, false}));
    ClickTab(2);
    EXPECT_EQ(pages->GetActivePageIndex(), 2);
    EXPECT_EQ(ShowingControls(), (std::vector<bool>{false, false, true}));
    // A click on the active tab changes nothing.
    events.clear();
    ClickTab(2);
    EXPECT_TRUE(events.empty());
}

TEST_F(PageControlTest, OnChangingMayRefuseTheSwitch) {
    allowChange = false;
    ClickTab(1);
    EXPECT_EQ(pages->GetActivePage(), sheets[0]);
    EXPECT_EQ(events, std::vector<UnicodeString>{u"changing"});
    EXPECT_EQ(ShowingControls(), (std::vector<bool>{true, false, false}));
}

TEST_F(PageControlTest, SettingTheActivePageInCodeAsksNobody) {
    pages->SetActivePageIndex(2);
    EXPECT_EQ(pages->GetActivePage(), sheets[2]);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ShowingControls(), (std::vector<bool>{false, false, true}));
    pages->SetActivePage(nullptr);
    EXPECT_EQ(pages->GetActivePageIndex(), -1);
    EXPECT_EQ(ShowingControls(), (std::vector<bool>{false, false, false}));
    // A sheet of another page control is not taken.
    TPageControl other(nullptr);
    auto* stranger = new TTabSheet(&other);
    stranger->SetPageControl(&other);
    pages->SetActivePage(stranger);
    EXPECT_EQ(pages->GetActivePage(), nullptr);
}

TEST_F(PageControlTest, SheetsShowAndHideWithOnShowAndOnHide) {
    std::vector<UnicodeString> seen;
    for (TTabSheet* sheet : sheets) {
        sheet->OnShow = [&seen, sheet](TObject*) {
            seen.push_back(u"show " + sheet->GetCaption());
        };
        sheet->OnHide = [&seen, sheet](TObject*) {
            seen.push_back(u"hide " + sheet->GetCaption());
        };
    }
    pages->SetActivePage(sheets[2]);
    EXPECT_EQ(seen, (std::vector<UnicodeString>{u"hide Page1", u"show Third"}));
}

TEST_F(PageControlTest, AHiddenTabIsSkippedAndItsPageCannotStayActive) {
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pages->GetTabCount(), 2);
    EXPECT_EQ(sheets[1]->GetTabIndex(), -1);
    EXPECT_EQ(sheets[2]->GetTabIndex(), 1);
    ClickTab(1); // now the third page's tab
    EXPECT_EQ(pages->GetActivePage(), sheets[2]);
    sheets[2]->SetTabVisible(false);
    EXPECT_EQ(pages->GetActivePage(), sheets[0]);
    EXPECT_TRUE(pages->TabRect(1).IsEmpty());
    EXPECT_EQ(pages->FindNextPage(sheets[0], true, true), sheets[0]);
    EXPECT_EQ(pages->FindNextPage(sheets[0], true, false), sheets[1]);
    EXPECT_EQ(pages->FindNextPage(sheets[0], false, false), sheets[2]);
}

TEST_F(PageControlTest, TabsAreAsWideAsTheirCaptionsOrTheFixedWidth) {
    TRect first = pages->TabRect(0);
    TRect second = pages->TabRect(1);
    EXPECT_EQ(first.right, second.left);
    EXPECT_GT(second.Width(), first.Width()); // "Second page" is longer than "Page1"
    EXPECT_EQ(pages->IndexOfTabAt(second.left + 2, second.top + 2), 1);
    EXPECT_EQ(pages->IndexOfTabAt(first.left + 2, pages->GetDisplayRect().top + 5), -1);
    pages->SetTabWidth(50);
    EXPECT_EQ(pages->TabRect(0).Width(), 50);
    EXPECT_EQ(pages->TabRect(1).Width(), 50);
}

TEST_F(PageControlTest, RemovingTheActivePageActivatesTheNextOne) {
    delete sheets[0];
    ASSERT_EQ(pages->GetPageCount(), 2);
    EXPECT_EQ(pages->GetActivePage(), sheets[1]);
    EXPECT_EQ(sheets[1]->GetPageIndex(), 0);
    sheets[2]->SetPageControl(nullptr);
    EXPECT_EQ(pages->GetPageCount(), 1);
    EXPECT_EQ(sheets[2]->GetPageIndex(), -1);
    EXPECT_EQ(sheets[2]->GetParent(), nullptr);
    delete sheets[2];
}

TEST_F(PageControlTest, PageIndexReordersThePagesAndTheirTabs) {
    sheets[2]->SetPageIndex(0);
    EXPECT_EQ(pages->GetPages(0), sheets[2]);
    EXPECT_EQ(pages->GetPages(1), sheets[0]);
    EXPECT_EQ(sheets[0]->GetTabIndex(), 1);
    sheets[2]->SetPageIndex(99);
    EXPECT_EQ(pages->GetPages(2), sheets[2]);
}

TEST_F(PageControlTest, ASheetPutOnThePageControlByParentBecomesAPage) {
    auto* sheet = new TTabSheet(form);
    sheet->SetParent(pages);
    EXPECT_EQ(sheet->GetPageControl(), pages);
    EXPECT_EQ(sheet->GetPageIndex(), 3);
    sheet->SetParent(form);
    EXPECT_EQ(sheet->GetPageControl(), nullptr);
    EXPECT_EQ(pages->GetPageCount(), 3);
}

TEST_F(PageControlTest, CtrlTabMovesToTheNextPage) {
    pages->SetFocus();
    Pump();
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyPress(VK_TAB);
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(pages->GetActivePage(), sheets[1]);
    EXPECT_EQ(events, (std::vector<UnicodeString>{u"changing", u"change"}));
}

TEST_F(PageControlTest, TheActiveTabIsDrawnRaisedAboveTheOthers) {
    pages->Repaint();
    // The active tab rises above the strip; above an inactive tab is background.
    TRect active = pages->TabRect(0);
    TRect inactive = pages->TabRect(1);
    const COLORREF face = ColorToRGB(clBtnFace);
    EXPECT_NE(PixelAt(pages, (active.left + active.right) / 2, active.top - 1), face);
    EXPECT_EQ(PixelAt(pages, (inactive.left + inactive.right) / 2, inactive.top - 1), face);
    // Some caption text is drawn inside the tab.
    bool text = false;
    for (int x = inactive.left + 3; x < inactive.right - 3 && !text; ++x)
        text = PixelAt(pages, x, (inactive.top + inactive.bottom) / 2) != face;
    EXPECT_TRUE(text);
}
