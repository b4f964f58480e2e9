// The owner-drawn scroll bar: range rules, geometry, clicks, auto-repeat and
// the unstyled painting, on the manual clock.
#include "benchkit/shell/IDEVirtualScrollbars.h"

#include <ApplicationTest.h>

#include <win32/readback.h>

#include <vector>

namespace {

// An owner that records the scroll messages it is sent.
class ScrollOwner : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    struct Scroll {
        WORD code, pos;
        LPARAM bar;
    };
    std::vector<Scroll> scrolls;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_VSCROLL) {
            scrolls.push_back({Message.WParamLo(), Message.WParamHi(), Message.LParam});
            return;
        }
        TCustomControl::Dispatch(Message);
    }
};

class OwnerDrawScrollbarTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        form_ = ShownForm(200, 300);
    }
    TOwnerDrawScrollbar* Bar(int Height = 200) {
        auto* bar = new TOwnerDrawScrollbar(form_);
        bar->SetBounds(10, 10, 99, Height);
        bar->SetParent(form_);
        form_->Update();
        Pump();
        return bar;
    }
    void Press(TOwnerDrawScrollbar* bar, int y) {
        TestSeams::MouseDown(TestSeams::ClientPoint(bar->GetHandle(), 5, y));
        Pump();
    }
    void Release(TOwnerDrawScrollbar* bar, int y) {
        TestSeams::MouseUp(TestSeams::ClientPoint(bar->GetHandle(), 5, y));
        Pump();
        TestSeams::AdvanceClock(1000);
        Pump();
    }
    void Wait(uint64_t ms) {
        TestSeams::AdvanceClock(ms);
        Pump();
    }
    TForm* form_ = nullptr;
};

} // namespace

TEST_F(OwnerDrawScrollbarTest, RangeRulesKeepMinBelowMaxAndThePositionInside) {
    TOwnerDrawScrollbar* bar = Bar();
    EXPECT_EQ(bar->GetWidth(), GetSystemMetrics(SM_CXVSCROLL)); // the width follows the system's
    struct Case {
        int min, max, page, position;
        int wantMin, wantMax, wantPage, wantPosition;
    } cases[] = {
        {0, 100, 10, 95, 0, 90, 10, 90},       // Max reads the stored maximum less the page
        {100, 100, 1, 0, 99, 99, 1, 99},       // Min may not reach Max
        {0, 100, 500, 50, 0, 0, 100, 0},       // the page never exceeds the range
        {0, 100, 0, -5, 0, 99, 1, 0},          // nor falls below 1
        {50, 150, 10, 10, 50, 140, 10, 50},    // a position below Min is Min
        {-100, -20, 20, -30, -100, -40, 20, -40},
    };
    for (const Case& c : cases) {
        bar->SetRange(-1000, 1000);
        bar->SetPageSize(1);
        bar->SetMax(c.max);
        bar->SetMin(c.min);
        bar->SetPageSize(c.page);
        bar->SetPosition(c.position);
        EXPECT_EQ(bar->GetMin(), c.wantMin) << c.min << ".." << c.max;
        EXPECT_EQ(bar->GetMax(), c.wantMax) << c.min << ".." << c.max;
        EXPECT_EQ(bar->GetPageSize(), c.wantPage) << c.min << ".." << c.max;
        EXPECT_EQ(bar->GetPosition(), c.wantPosition) << c.min << ".." << c.max;
    }
}

TEST_F(OwnerDrawScrollbarTest, ThumbAndDragMappingHoldForRangesThatDoNotStartAtZero) {
    TOwnerDrawScrollbar* bar = Bar(200);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    struct Case {
        int min, max, page;
    } cases[] = {{0, 100, 10}, {50, 150, 10}, {-100, 0, 20}, {1000, 1050, 5}};
    // The last range starts above the maximum before it: SetRange must not
    // clamp its Min against the old maximum.
    for (const Case& c : cases) {
        bar->SetRange(c.min, c.max);
        bar->SetPageSize(c.page);
        const int half = bar->Metric(sbVThumbHeight) / 2;
        ASSERT_GT(half, 0);

        bar->SetPosition(c.min);
        EXPECT_EQ(bar->CalculateThumbCenterPixel(), arrow + half) << c.min;
        bar->SetPosition(bar->GetMax());
        EXPECT_EQ(bar->CalculateThumbCenterPixel(), 200 - arrow - half) << c.min;
        TRect thumb = bar->ScrollArea(saThumb);
        EXPECT_EQ(thumb.bottom - thumb.top, bar->Metric(sbVThumbHeight));
        EXPECT_EQ(bar->ScrollArea(saThumbPageDownClient).bottom,
                  bar->ScrollArea(saThumbPageDownClient).top); // nothing below the thumb

        // Dragging the thumb to where a position draws it finds that position.
        for (int p = c.min; p <= bar->GetMax(); ++p) {
            bar->SetPosition(p);
            EXPECT_EQ(bar->CalcuatePositionByPixel(bar->CalculateThumbCenterPixel()), p) << c.min;
        }
        EXPECT_EQ(bar->CalcuatePositionByPixel(0), c.min);
        EXPECT_EQ(bar->CalcuatePositionByPixel(199), bar->GetMax());
    }
}

TEST_F(OwnerDrawScrollbarTest, ABarShorterThanTwoArrowsHasHalfHeightArrowsAndNoThumb) {
    TOwnerDrawScrollbar* bar = Bar(20);
    EXPECT_EQ(bar->Metric(sbVArrowHeight), 10);
    EXPECT_EQ(bar->Metric(sbVThumbClientHeight), 0);
    EXPECT_EQ(bar->Metric(sbVThumbHeight), 0);
    EXPECT_EQ(bar->ScrollArea(saScrollDown).top, 10);
}

TEST_F(OwnerDrawScrollbarTest, ClicksGoToTheOwnerOrMoveTheBarItself) {
    const int down = 200 - 4, up = 4, pageDown = 150, pageUp = 40;
    struct Case {
        int y, start;
        WORD code;
        int moved; // the position without an owner
    } cases[] = {
        {down, 50, SB_LINEDOWN, 53}, {up, 50, SB_LINEUP, 47},
        {pageDown, 0, SB_PAGEDOWN, 10}, {pageUp, 90, SB_PAGEUP, 80},
    };
    TOwnerDrawScrollbar* bar = Bar(200);
    bar->SetPageSize(10);
    bar->SetSmallChange(3);
    bar->SetLargeChange(10);
    auto* owner = new ScrollOwner(form_);
    owner->SetParent(form_);
    for (const Case& c : cases) {
        bar->SetOwnerControl(owner);
        bar->SetPosition(c.start);
        owner->scrolls.clear();
        Press(bar, c.y);
        Release(bar, c.y);
        ASSERT_EQ(owner->scrolls.size(), 2u) << c.y;
        EXPECT_EQ(owner->scrolls[0].code, c.code);
        EXPECT_EQ(owner->scrolls[0].bar, reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(owner->scrolls[1].code, SB_ENDSCROLL);
        EXPECT_EQ(bar->GetPosition(), c.start) << "the owner sets the position";

        bar->SetOwnerControl(nullptr);
        Press(bar, c.y);
        Release(bar, c.y);
        EXPECT_EQ(bar->GetPosition(), c.moved) << c.y;
    }
}

TEST_F(OwnerDrawScrollbarTest, HoldingOnThePageAreaRepeatsUntilTheThumbReachesTheCursor) {
    TOwnerDrawScrollbar* bar = Bar(200);
    bar->SetPageSize(10);
    bar->SetLargeChange(10);
    const int cursor = 120;
    Press(bar, cursor);
    EXPECT_EQ(bar->GetPosition(), 10);
    Wait(499);
    EXPECT_EQ(bar->GetPosition(), 10) << "no repeat before the delay";
    Wait(1);  // the delay ends and the repeat starts
    Wait(100);
    EXPECT_EQ(bar->GetPosition(), 20);
    Wait(100);
    EXPECT_EQ(bar->GetPosition(), 30);
    for (int i = 0; i < 20; ++i)
        Wait(100);
    const int stopped = bar->GetPosition();
    EXPECT_LT(stopped, bar->GetMax());
    TRect thumb = bar->ScrollArea(saThumb);
    EXPECT_LE(thumb.top, cursor + 1) << "the thumb reached the cursor";
    EXPECT_TRUE(bar->GetState().Contains(ssPageDownPressed));
    EXPECT_FALSE(bar->GetState().Contains(ssPageScrollPause));
    Release(bar, cursor);
    EXPECT_FALSE(bar->GetState().Contains(ssPageDownPressed));
    Wait(1000);
    EXPECT_EQ(bar->GetPosition(), stopped) << "releasing stops the repeat";
}

TEST_F(OwnerDrawScrollbarTest, UnstyledArrowsAreTheSystemFrameControlsForTheirState) {
    struct Case {
        bool enabled, flat;
        UINT extra;
    } cases[] = {{true, false, 0}, {false, false, DFCS_INACTIVE}, {true, true, DFCS_FLAT},
                 {false, true, DFCS_INACTIVE | DFCS_FLAT}};
    TOwnerDrawScrollbar* bar = Bar(200);
    const int w = bar->GetWidth(), h = 200, arrow = GetSystemMetrics(SM_CYVSCROLL);
    HDC screen = GetDC(nullptr);
    for (const Case& c : cases) {
        bar->SetEnabled(c.enabled);
        bar->SetFlat(c.flat);
        HDC drawn = CreateCompatibleDC(screen), expected = CreateCompatibleDC(screen);
        HBITMAP drawnBits = CreateCompatibleBitmap(screen, w, h);
        HBITMAP expectedBits = CreateCompatibleBitmap(screen, w, h);
        SelectObject(drawn, drawnBits);
        SelectObject(expected, expectedBits);
        SendMessageW(bar->GetHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn),
                     PRF_CLIENT);
        RECT upRect{0, 0, w, arrow}, downRect{0, h - arrow, w, h};
        DrawFrameControl(expected, &upRect, DFC_SCROLL, DFCS_SCROLLUP | c.extra);
        DrawFrameControl(expected, &downRect, DFC_SCROLL, DFCS_SCROLLDOWN | c.extra);
        EXPECT_EQ(win32::ReadPixels(drawn, upRect), win32::ReadPixels(expected, upRect))
            << c.enabled << c.flat;
        EXPECT_EQ(win32::ReadPixels(drawn, downRect), win32::ReadPixels(expected, downRect))
            << c.enabled << c.flat;
        DeleteDC(drawn);
        DeleteDC(expected);
        DeleteObject(drawnBits);
        DeleteObject(expectedBits);
    }
    ReleaseDC(nullptr, screen);
}

TEST_F(OwnerDrawScrollbarTest, PageAreasShowTheCheckerOfBackgroundAndBlend) {
    TOwnerDrawScrollbar* bar = Bar(200);
    bar->GetColors()->SetBackGround(0x0000FF);
    bar->GetColors()->SetBackgroundBlend(0x00FF00);
    bar->SetPosition(0);
    bar->Invalidate();
    Pump();
    const int y = 150; // below the thumb
    COLORREF a = PixelAt(bar, 4, y), b = PixelAt(bar, 5, y), c = PixelAt(bar, 4, y + 1);
    EXPECT_NE(a, b);
    EXPECT_EQ(b, c);
    EXPECT_TRUE((a == 0x0000FF && b == 0x00FF00) || (a == 0x00FF00 && b == 0x0000FF));
}

TEST_F(OwnerDrawScrollbarTest, ACustomPainterSeesEachPartAndCanTakeItsPaintingOver) {
    TOwnerDrawScrollbar* bar = Bar(200);
    bar->SetPageSize(20);
    std::vector<std::pair<TScrollPaintCycle, TRect>> seen;
    bar->OnScrollCustomPaint = [&](TObject*, TScrollPaintCycle cycle, TScrollPaintState,
                                   const TRect& r, TCanvas* canvas, bool& handled) {
        seen.push_back({cycle, r});
        if (cycle != pcThumb) return;
        canvas->GetBrush()->SetColor(TColor(0x0000FF));
        canvas->FillRect(r);
        handled = true;
    };
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bits = CreateCompatibleBitmap(screen, bar->GetWidth(), 200);
    SelectObject(dc, bits);
    SendMessageW(bar->GetHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ASSERT_EQ(seen.size(), 4u);
    const TScrollPaintCycle order[] = {pcBackground, pcScrollUp, pcScrollDown, pcThumb};
    const TScrollArea areas[] = {saBackground, saScrollUp, saScrollDown, saThumb};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(seen[i].first, order[i]);
        const TRect want = bar->ScrollArea(areas[i]);
        EXPECT_TRUE(seen[i].second.left == want.left && seen[i].second.top == want.top &&
                    seen[i].second.right == want.right && seen[i].second.bottom == want.bottom)
            << i;
    }
    const TRect thumb = bar->ScrollArea(saThumb);
    const RECT inside{thumb.left + 3, thumb.top + 3, thumb.left + 4, thumb.top + 4};
    EXPECT_EQ(win32::ReadPixels(dc, inside).at(0), COLORREF(0x0000FF)) << "no edge drawn over it";
    DeleteDC(dc);
    DeleteObject(bits);
    ReleaseDC(nullptr, screen);
}
