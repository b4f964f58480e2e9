// The check list box: states kept with the items as they move and go, the
// box clicked or space pressed to turn a state over, and the boxes drawn.
#include "StdControlsTestSupport.h"

#include <quorlpak/CheckLst.h>
#include <quorlpak/Colors.h>

#include <algorithm>

namespace {

class CheckListBoxTest : public StdControlsTest {
protected:
    void SetUp() override {
        StdControlsTest::SetUp();
        list = Make<TCheckListBox>(10, 10, 200, 120);
        for (const char16_t* text : {u"alpha", u"beta", u"gamma"}) list->GetItems()->Add(text);
        list->OnClickCheck = [this](TObject*) { ++clicks; };
        Pump();
    }
    void ClickAt(int x, int index) {
        const int h = list->GetItemHeight();
        TestSeams::Click(list->ClientToScreen(TPoint(x, index * h + h / 2)));
        Pump();
    }
    static bool HasPixel(HWND hwnd, const RECT& r, COLORREF colour) {
        const std::vector<COLORREF> pixels = Pixels(hwnd, r);
        return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
    }
    TCheckListBox* list = nullptr;
    int clicks = 0;
};

TEST_F(CheckListBoxTest, StatesFollowTheirItemsAndKeepTheUsersObjects) {
    TObject marker;
    list->GetItems()->PutObject(1, &marker);
    list->SetState(1, cbGrayed);
    list->SetChecked(2, true);
    EXPECT_EQ(list->GetItems()->GetObject(1), &marker);
    EXPECT_FALSE(list->GetChecked(1)); // grayed is not checked
    EXPECT_TRUE(list->GetChecked(2));

    list->GetItems()->Insert(0, u"first");
    EXPECT_EQ(list->GetState(2), cbGrayed);
    EXPECT_EQ(list->GetItems()->GetObject(2), &marker);
    list->GetItems()->Exchange(2, 3);
    EXPECT_EQ(list->GetState(3), cbGrayed);
    EXPECT_TRUE(list->GetChecked(2));
    list->GetItems()->Delete(3);
    for (int i = 0; i < list->GetItems()->GetCount(); ++i) EXPECT_NE(list->GetState(i), cbGrayed);
    list->RecreateWnd();
    Pump();
    EXPECT_TRUE(list->GetChecked(2));
    EXPECT_THROW(list->GetChecked(9), EListError);
    EXPECT_THROW(list->SetHeader(-1, true), EListError);
    list->GetItems()->Clear();
    EXPECT_EQ(list->GetItems()->GetCount(), 0);
}

TEST_F(CheckListBoxTest, TheBoxOrSpaceTurnsTheStateOverUnlessHeaderOrDisabled) {
    ClickAt(list->CheckWidth() + 20, 0); // on the text: selects only
    EXPECT_EQ(list->GetItemIndex(), 0);
    EXPECT_EQ(clicks, 0);
    ClickAt(4, 0);
    EXPECT_TRUE(list->GetChecked(0));
    EXPECT_EQ(clicks, 1);

    list->SetAllowGrayed(true);
    struct Step {
        TCheckBoxState after;
    } steps[] = {{cbGrayed}, {cbUnchecked}, {cbChecked}};
    for (const Step& step : steps) {
        Focus(list);
        list->SetItemIndex(0);
        Key(VK_SPACE);
        EXPECT_EQ(list->GetState(0), step.after);
    }
    EXPECT_EQ(clicks, 4);

    list->SetHeader(1, true);
    list->SetItemEnabled(2, false);
    ClickAt(4, 1);
    ClickAt(4, 2);
    EXPECT_EQ(list->GetState(1), cbUnchecked);
    EXPECT_EQ(list->GetState(2), cbUnchecked);
    EXPECT_EQ(clicks, 4);
    list->CheckAll(cbChecked, true, false);
    EXPECT_TRUE(list->GetChecked(0));
    EXPECT_FALSE(list->GetChecked(1)); // headers are never checked
    EXPECT_FALSE(list->GetChecked(2));
}

TEST_F(CheckListBoxTest, CheckedBoxesAreDrawnAndHeadersAreNot) {
    list->SetChecked(0, true);
    list->SetHeader(1, true);
    Pump();
    const int h = list->GetItemHeight();
    auto dark = [](const std::vector<COLORREF>& pixels) {
        int n = 0;
        for (COLORREF c : pixels)
            if (GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80) ++n;
        return n;
    };
    const int checked = dark(Pixels(list->GetHandle(), RECT{0, 0, list->CheckWidth(), h}));
    const int unchecked = dark(Pixels(list->GetHandle(), RECT{0, 2 * h, list->CheckWidth(), 3 * h}));
    EXPECT_GT(checked, unchecked); // the tick
    // A header row is a caption band across the box column.
    EXPECT_TRUE(HasPixel(list->GetHandle(), RECT{0, h, list->CheckWidth(), 2 * h}, ColorToRGB(clInfoBk)));
    EXPECT_FALSE(HasPixel(list->GetHandle(), RECT{0, 0, list->CheckWidth(), h}, ColorToRGB(clInfoBk)));
}

} // namespace
