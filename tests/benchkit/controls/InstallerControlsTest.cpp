// The installer's flat scroll bar (layout, auto-repeat by the clock, thumb
// drag), its flat button's colours and its list of install steps.
#include "ControlsTestSupport.h"

#include "benchkit/controls/ParvoInstallBtn.h"
#include "benchkit/controls/ParvoInstallStepsSlider.h"
#include "benchkit/controls/ParvoScrollBar.h"

#include <quorlpak/Bitmap.h>

namespace {

using InstallerControlsTest = ControlsTest;

void ExpectRect(const TRect& R, int l, int t, int r, int b, const char* what) {
    EXPECT_EQ(R.left, l) << what;
    EXPECT_EQ(R.top, t) << what;
    EXPECT_EQ(R.right, r) << what;
    EXPECT_EQ(R.bottom, b) << what;
}

TEST_F(InstallerControlsTest, ScrollBarLaysOutItsParts) {
    auto* bar = Place(new TParvoScrollBar(Form), 20, 200);
    bar->Repaint();
    ExpectRect(bar->GetUpRect(), 1, 1, 19, 19, "up arrow");
    ExpectRect(bar->GetDownRect(), 1, 181, 19, 199, "down arrow");
    ExpectRect(bar->GetTrackRect(), 1, 19, 19, 181, "track");
    ExpectRect(bar->GetThumbRect(), 1, 19, 19, 51, "thumb");
    ExpectRect(bar->GetPageDownRect(), 1, 51, 19, 181, "page down");
    // The border colour frames the bar; the thumb is outlined in grey.
    EXPECT_EQ(PixelOf(bar, 0, 100), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(PixelOf(bar, 5, 19), RGB(0x80, 0x80, 0x80));

    struct Case {
        int width, height, corner;
        TScrollBarKind kind;
        bool thumb;
    } cases[] = {
        {20, 44, 0, sbVertical, false}, // track 42 - 2 * 18 = 6 pixels: no thumb
        {200, 20, 30, sbHorizontal, true},
        {20, 200, -30, sbVertical, true},
    };
    for (const Case& c : cases) {
        bar->SetKind(c.kind);
        bar->SetIndentCorner(c.corner);
        bar->SetBounds(0, 0, c.width, c.height);
        bar->Repaint();
        TRect thumb = bar->GetThumbRect();
        EXPECT_EQ(!IsRectEmpty(&thumb), c.thumb) << c.width << "x" << c.height;
        if (c.thumb) EXPECT_GE(c.kind == sbVertical ? thumb.Height() : thumb.Width(), 10);
    }
    // Horizontal with a corner of 30 at the far end: the arrows sit inside it.
    bar->SetKind(sbHorizontal);
    bar->SetIndentCorner(30);
    bar->SetBounds(0, 0, 200, 20);
    bar->Repaint();
    ExpectRect(bar->GetDownRect(), 151, 1, 169, 19, "right arrow before the corner");
}

TEST_F(InstallerControlsTest, HoldingAnArrowRepeatsEveryTickUpToTheEnds) {
    auto* bar = Place(new TParvoScrollBar(Form), 20, 200);
    bar->Repaint();
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    HWND h = bar->GetHandle();
    TestSeams::MouseDown(TestSeams::ClientPoint(h, 10, 190));
    Pump();
    EXPECT_EQ(bar->GetPosition(), 0) << "nothing before the first tick";
    TestSeams::AdvanceClock(80);
    Pump();
    EXPECT_EQ(bar->GetPosition(), 5);
    for (int i = 0; i < 40; ++i) {
        TestSeams::AdvanceClock(80);
        Pump();
    }
    EXPECT_EQ(bar->GetPosition(), 80) << "stops at Max - PageSize";
    TestSeams::MouseUp(TestSeams::ClientPoint(h, 10, 190));
    Pump();
    EXPECT_EQ(changes, 16);

    TestSeams::MouseDown(TestSeams::ClientPoint(h, 10, 5));
    for (int i = 0; i < 40; ++i) {
        TestSeams::AdvanceClock(80);
        Pump();
    }
    TestSeams::MouseUp(TestSeams::ClientPoint(h, 10, 5));
    Pump();
    EXPECT_EQ(bar->GetPosition(), 0) << "stops at Min";
}

TEST_F(InstallerControlsTest, DraggingTheThumbMovesThePosition) {
    auto* bar = Place(new TParvoScrollBar(Form), 20, 200);
    bar->Repaint();
    HWND h = bar->GetHandle();
    TestSeams::MouseDown(TestSeams::ClientPoint(h, 10, 25));
    TestSeams::MouseMove(TestSeams::ClientPoint(h, 10, 25 + 81));
    Pump();
    // 81 pixels of a 162-pixel track are half the range.
    EXPECT_EQ(bar->GetPosition(), 50);
    TestSeams::MouseMove(TestSeams::ClientPoint(h, 10, 400));
    Pump();
    EXPECT_EQ(bar->GetPosition(), 80);
    TestSeams::MouseUp(TestSeams::ClientPoint(h, 10, 400));
    Pump();
}

TEST_F(InstallerControlsTest, InstallButtonColours) {
    auto* btn = Place(new TParvoInstallBtn(Form), 120, 30);
    btn->Repaint();
    EXPECT_EQ(btn->GetBkgColor(), TColor(0x765F15));
    EXPECT_EQ(PixelOf(btn, 0, 0), RGB(255, 255, 255)) << "white border";
    EXPECT_EQ(PixelOf(btn, 60, 15), COLORREF(0x765F15));

    HWND h = btn->GetHandle();
    TestSeams::MouseMove(TestSeams::ClientPoint(h, 60, 15));
    Pump();
    EXPECT_EQ(btn->GetBkgColor(), TColor(0xDBAB35));
    TestSeams::MouseMove(TestSeams::ClientPoint(Form->GetHandle(), 300, 200));
    Pump();
    EXPECT_EQ(btn->GetBkgColor(), TColor(0x765F15));

    btn->SetEnabled(false);
    btn->Repaint();
    EXPECT_EQ(btn->GetBkgColor(), TColor(0xAD8812));
    EXPECT_EQ(btn->GetBorderColor(), TColor(0xE6CC76));
    TestSeams::MouseMove(TestSeams::ClientPoint(h, 60, 15));
    Pump();
    TestSeams::MouseMove(TestSeams::ClientPoint(Form->GetHandle(), 300, 200));
    Pump();
    btn->Repaint();
    EXPECT_EQ(btn->GetBkgColor(), TColor(0xAD8812)) << "a disabled button stays disabled-looking";
    EXPECT_EQ(PixelOf(btn, 60, 15), COLORREF(0xAD8812));
}

TEST_F(InstallerControlsTest, StepsStackInTheOrderAddedAndTheLastOneShows) {
    auto* steps = Place(new TInstallStepSliderGrid(Form), 200, 120);
    TStepData last{u"unchanged", u"", u"", nullptr};
    EXPECT_FALSE(steps->GetLastStepData(last));
    EXPECT_EQ(last.Id, u"unchanged");
    steps->SetLastStepData(TStepData{u"x"}); // no rows: nothing happens
    EXPECT_EQ(steps->GetControlCount(), 0);

    TBitmap icon;
    icon.SetSize(16, 16);
    for (int i = 0; i < 4; ++i)
        steps->AddStep(TStepData{UnicodeString(u"id") + char16_t(u'0' + i), u"  Step  ", u"desc",
                                 i == 3 ? &icon : nullptr});
    Pump();
    ASSERT_EQ(steps->GetControlCount(), 4);
    for (int i = 0; i < 4; ++i) {
        auto* row = dynamic_cast<TInstallStepSlider*>(steps->GetControls(i));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->GetId(), UnicodeString(u"id") + char16_t(u'0' + i));
        EXPECT_EQ(row->GetHeight(), 50);
        EXPECT_EQ(row->GetWidth(), steps->GetClientRect().Width());
        if (i > 0) EXPECT_EQ(row->GetTop(), steps->GetControls(i - 1)->GetTop() + 50);
    }
    // Four rows of 50 in 120 pixels: the box scrolled so that the last row shows whole.
    TControl* newest = steps->GetControls(3);
    EXPECT_GT(steps->GetVertScrollBar()->GetPosition(), 0);
    EXPECT_GE(newest->GetTop(), 0);
    EXPECT_LE(newest->GetTop() + 50, steps->GetClientRect().Height());

    ASSERT_TRUE(steps->GetLastStepData(last));
    EXPECT_EQ(last.Id, u"id3");
    EXPECT_EQ(last.Title, u"Step"); // trimmed
    EXPECT_EQ(last.Desc, u"desc");
    EXPECT_EQ(last.Icon, &icon);

    steps->SetLastStepData(TStepData{u"new", u" Done ", u"", nullptr});
    ASSERT_TRUE(steps->GetLastStepData(last));
    EXPECT_EQ(last.Id, u"new");
    EXPECT_EQ(last.Title, u"Done");

    steps->Clear();
    EXPECT_EQ(steps->GetControlCount(), 0);
}

TEST_F(InstallerControlsTest, StepRowDrawsTitleAndDescriptionInTheirColours) {
    Form->SetColor(clBlack);
    auto* steps = Place(new TInstallStepSliderGrid(Form), 300, 60);
    steps->SetBorderStyle(bsNone);
    steps->AddStep(TStepData{u"a", u"WWWW", u"WWWW", nullptr});
    Pump();
    auto* row = static_cast<TWinControl*>(steps->GetControls(0));
    row->Repaint();
    auto count = [&](int top, int bottom, COLORREF colour) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 60; ++x)
                if (PixelOf(row, x, y) == colour) ++n;
        return n;
    };
    EXPECT_GT(count(9, 27, RGB(255, 255, 255)), 10);     // the title in white
    EXPECT_GT(count(29, 48, RGB(0x99, 0xCB, 0xE7)), 10); // the description in light blue
    EXPECT_EQ(count(29, 48, RGB(255, 255, 255)), 0);
}

} // namespace
