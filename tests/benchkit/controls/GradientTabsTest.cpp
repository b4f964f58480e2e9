// The gradient tab drawer and tab set: the picture of a strip against a
// reference drawn once and judged by eye, the drawer's lazily rebuilt
// brushes, text clipped with an ellipsis, and the strip's scrolling,
// selection and hit testing.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDE.GradientTabs.h"

#include <quorlpak/Bitmap.h>
#include <runpak/Exceptions.h>

#include <cstdlib>
#include <filesystem>

namespace {

class GradientTabsTest : public ControlsTest {
protected:
    // A tab set 300 pixels wide at its own height.
    template <class T> T* PlaceSet() {
        auto* set = new T(Form);
        return Place(set, 300, set->GetHeight());
    }
};

// A strip of three tabs, the middle one active, in each drawing style.
std::unique_ptr<TBitmap> DrawStrip() {
    auto bitmap = std::make_unique<TBitmap>(240, 3 * 26);
    TCanvas* c = bitmap->GetCanvas();
    c->GetFont()->SetName(u"DejaVu Sans");
    c->GetFont()->SetHeight(-11);
    c->GetBrush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, 240, 3 * 26));
    for (int style = 0; style < 3; ++style) {
        TBitmap row(240, 26);
        TCanvas* rc = row.GetCanvas();
        rc->SetFont(c->GetFont());
        rc->GetBrush()->SetColor(clBtnFace);
        rc->FillRect(TRect(0, 0, 240, 26));
        TGradientTabDrawer drawer(rc);
        drawer.SetDrawingStyle(static_cast<TTabDrawingStyle>(style));
        drawer.SetDrawingOffsets(0, 26, 240);
        drawer.DrawInactiveTab(0, 60, u"First", -1, -1);
        drawer.DrawInactiveTab(140, 70, u"Third tab", -1, -1);
        drawer.DrawActiveTab(60, 80, u"Second", -1, -1);
        BitBlt(c->GetHandle(), 0, style * 26, 240, 26, rc->GetHandle(), 0, 0, SRCCOPY);
    }
    return bitmap;
}

TEST_F(GradientTabsTest, StripMatchesItsReferencePicture) {
    const std::filesystem::path reference =
        std::filesystem::path(GRADIENT_TABS_REFERENCE_DIR) / "gradient-tabs.png";
    auto strip = DrawStrip();
    if (std::getenv("UPDATE_REFERENCE_PICTURES")) {
        ASSERT_TRUE(win32::SaveBitmapAsPng(strip->GetHandle(), reference.string()));
        GTEST_SKIP() << "reference written to " << reference;
    }
    HBITMAP expected = win32::LoadPngAsBitmap(reference.string());
    ASSERT_NE(expected, nullptr) << reference;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, expected);
    std::vector<COLORREF> want = win32::ReadPixels(dc, RECT{0, 0, 240, 78});
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(expected);
    std::vector<COLORREF> got =
        win32::ReadPixels(strip->GetCanvas()->GetHandle(), RECT{0, 0, 240, 78});
    ASSERT_EQ(got.size(), want.size());
    // Anti-aliased edges may shift a little between library versions; text and
    // shapes may not.
    int off = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        int d = std::max({std::abs(int(GetRValue(got[i])) - int(GetRValue(want[i]))),
                          std::abs(int(GetGValue(got[i])) - int(GetGValue(want[i]))),
                          std::abs(int(GetBValue(got[i])) - int(GetBValue(want[i])))});
        if (d > 24) ++off;
    }
    EXPECT_LT(off, int(got.size() / 200)) << off << " pixels differ";
}

TEST_F(GradientTabsTest, ActiveTabIsAGradientAndInactiveModernTabsOnlySeparate) {
    auto strip = DrawStrip();
    TCanvas* c = strip->GetCanvas();
    // Squared style (row 1): inside the active tab the colour darkens downward
    // (the ramp tiles, so its seam lies near the tab's top edge).
    COLORREF top = c->GetPixel(132, 26 + 6), bottom = c->GetPixel(132, 26 + 22);
    EXPECT_GT(GetRValue(top) + GetGValue(top), GetRValue(bottom) + GetGValue(bottom));
    // Modern style (row 2): an inactive tab leaves its area as it was, apart
    // from the separator at its right edge.
    EXPECT_EQ(c->GetPixel(20, 52 + 3), ColorToRGB(clBtnFace));
    EXPECT_NE(c->GetPixel(60, 52 + 12), ColorToRGB(clBtnFace));
}

TEST_F(GradientTabsTest, BrushesAreRebuiltOnlyForRealColourChanges) {
    TBitmap bitmap(100, 30);
    TGradientTabDrawer drawer(bitmap.GetCanvas());
    drawer.SetDrawingOffsets(0, 30, 100);
    drawer.DrawActiveTab(0, 50, u"A", -1, -1);
    ASSERT_TRUE(drawer.HasBrushes());
    drawer.GetTabColors()->SetActiveStart(drawer.GetTabColors()->GetActiveStart());
    EXPECT_TRUE(drawer.HasBrushes());
    drawer.GetTabColors()->SetActiveStart(clRed);
    EXPECT_FALSE(drawer.HasBrushes());
    // Assigned colours are copied; the caller's object stays the caller's.
    TTabColors mine;
    mine.SetInActiveEnd(clBlue);
    drawer.SetTabColors(&mine);
    EXPECT_EQ(drawer.GetTabColors()->GetInActiveEnd(), clBlue);
    EXPECT_NE(drawer.GetTabColors(), &mine);
    mine.SetInActiveEnd(clLime);
    EXPECT_EQ(drawer.GetTabColors()->GetInActiveEnd(), clBlue);
}

TEST_F(GradientTabsTest, ALongCaptionEndsInAnEllipsisInsideTheTab) {
    TBitmap bitmap(200, 30);
    TCanvas* c = bitmap.GetCanvas();
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 200, 30));
    TGradientTabDrawer drawer(c);
    drawer.SetDrawingStyle(tdsModern);
    drawer.SetDrawingOffsets(0, 30, 200);
    drawer.DrawInactiveTab(0, 60, u"A caption far too wide for it", -1, -1);
    // Nothing of the text lies past R - 3 = 57 (the separator is at 60).
    for (int y = 0; y < 30; ++y)
        for (int x = 58; x < 60; ++x)
            EXPECT_EQ(c->GetPixel(x, y), RGB(255, 255, 255)) << x << "," << y;
    bool inked = false;
    for (int y = 0; y < 30; ++y)
        inked |= c->GetPixel(52, y) != RGB(255, 255, 255);
    EXPECT_TRUE(inked) << "the ellipsis reaches the end of the room";
}

TEST_F(GradientTabsTest, TabsThatFitNeedNoScroller) {
    auto* set = PlaceSet<TGradientTabSet>();
    set->GetItems()->Add(u"One");
    set->GetItems()->Add(u"Two");
    set->Repaint();
    EXPECT_FALSE(set->GetScroller()->GetVisible());
    EXPECT_EQ(set->GetLeftOffset(), 0);
    EXPECT_EQ(set->GetTabIndex(), -1);
    EXPECT_EQ(set->ItemAtPos(2, set->GetHeight() - 3), 0);
    EXPECT_EQ(set->ItemAtPos(-1, 3), -1);
}

TEST_F(GradientTabsTest, ScrollingAStripWiderThanTheControl) {
    auto* set = PlaceSet<TGradientTabSet>();
    // Widen tabs until the strip passes the control by a little.
    for (int i = 0; i < 8; ++i)
        set->GetItems()->Add(u"Tab number " + UnicodeString(1, char16_t(u'A' + i)));
    set->Repaint();
    ASSERT_TRUE(set->GetScroller()->GetVisible());
    EXPECT_FALSE(set->GetScroller()->GetLeftButton()->GetEnabled());
    EXPECT_TRUE(set->GetScroller()->GetRightButton()->GetEnabled());
    set->GetScroller()->GetRightButton()->Click();
    set->Repaint();
    EXPECT_GT(set->GetLeftOffset(), 0);
    set->GetScroller()->GetLeftButton()->Click();
    set->Repaint();
    EXPECT_EQ(set->GetLeftOffset(), 0);

    // Selecting the last tab scrolls it into view.
    set->SetTabIndex(7);
    TRect r = set->ItemRect(7);
    EXPECT_LE(r.right, set->GetScroller()->GetLeft());
    EXPECT_GE(r.left, 0);
    EXPECT_EQ(set->LastShownIndex(), 7);
}

TEST_F(GradientTabsTest, SelectionFollowsInsertionsAndDeletions) {
    auto* set = PlaceSet<TGradientTabSet>();
    for (const char16_t* s : {u"A", u"B", u"C", u"D"})
        set->GetItems()->Add(s);
    std::vector<int> changes;
    set->OnChange = [&](TObject*) { changes.push_back(set->GetTabIndex()); };
    set->SetTabIndex(2);
    set->GetItems()->Insert(0, u"Z");
    EXPECT_EQ(set->GetTabIndex(), 3) << "still on C";
    set->GetItems()->Delete(0);
    EXPECT_EQ(set->GetTabIndex(), 2) << "still on C";
    set->SetTabIndex(3);
    set->GetItems()->Delete(3);
    EXPECT_EQ(set->GetTabIndex(), 2) << "the new last tab";
    EXPECT_EQ(changes, (std::vector<int>{2, 3, 2}));
    set->SetTabIndex(-1);
    EXPECT_EQ(set->GetTabIndex(), -1);
    EXPECT_THROW(set->SetTabIndex(5), Exception);
    bool refuse = true;
    set->OnChanging = [&](TObject*, bool& allow) { allow = !refuse; };
    set->SetTabIndex(1);
    EXPECT_EQ(set->GetTabIndex(), -1);
    set->GetItems()->Clear();
    EXPECT_EQ(set->GetTabIndex(), -1);
}

TEST_F(GradientTabsTest, SelectNextWrapsAround) {
    auto* set = PlaceSet<TGradientTabSet>();
    for (const char16_t* s : {u"A", u"B", u"C"})
        set->GetItems()->Add(s);
    set->SetTabIndex(2);
    set->SelectNext(true);
    EXPECT_EQ(set->GetTabIndex(), 0);
    set->SelectNext(false);
    EXPECT_EQ(set->GetTabIndex(), 2);
}

TEST_F(GradientTabsTest, TheIdeSetKeepsItsViewButtonsWhenTabsFit) {
    auto* set = PlaceSet<TIDEGradientTabSet>();
    set->GetTabs()->Add(u"Unit1");
    set->Repaint();
    TClosableTabScroller* scroller = set->GetScroller();
    EXPECT_TRUE(scroller->GetVisible());
    EXPECT_FALSE(scroller->GetLeftButton()->GetVisible());
    EXPECT_TRUE(scroller->GetDropDownButton()->GetVisible());
    EXPECT_EQ(scroller->GetWidth(), 2 * 16 + 8);
    EXPECT_EQ(scroller->GetLeft(), 300 - scroller->GetWidth());
}

} // namespace
