// Repaints reach X as the rectangles that changed, never as whole windows.
#include "PresenterTestSupport.h"

namespace {

RECT InWindow(HWND hwnd, RECT client) {
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    RECT w;
    GetWindowRect(hwnd, &w);
    OffsetRect(&client, origin.x - w.left, origin.y - w.top);
    return client;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

TEST_F(PresenterTest, ARepaintOfASmallRegionSendsOnlyThatRegion) {
    HWND hwnd = MakeWindow(u"Repaint", 40, 40, 400, 300);
    TestSeams::RecordPresentedRects(true);
    paintColor = RGB(250, 200, 0);
    const RECT small{30, 40, 50, 52};
    InvalidateRect(hwnd, &small, FALSE);
    UpdateWindow(hwnd);
    Settle();
    const auto sent = TestSeams::PresentedRects();
    ASSERT_FALSE(sent.empty());
    const RECT where = InWindow(hwnd, small);
    long area = 0;
    for (const auto& s : sent) {
        EXPECT_EQ(s.hwnd, hwnd);
        EXPECT_TRUE(Inside(s.rect, where))
            << s.rect.left << "," << s.rect.top << " - " << s.rect.right << "," << s.rect.bottom;
        area += (s.rect.right - s.rect.left) * (s.rect.bottom - s.rect.top);
    }
    EXPECT_EQ(area, 20 * 12);
    EXPECT_EQ(XPixels(XOf(hwnd), {where.left, where.top, where.left + 1, where.top + 1}),
              (std::vector<uint32_t>{0xFAC800}));
    TestSeams::RecordPresentedRects(false);
}

TEST_F(PresenterTest, ARepaintThatChangesNoPixelSendsNothing) {
    HWND hwnd = MakeWindow(u"Same", 40, 40, 300, 200);
    TestSeams::RecordPresentedRects(true);
    InvalidateRect(hwnd, nullptr, FALSE); // painted again in the same colour
    UpdateWindow(hwnd);
    Settle();
    EXPECT_TRUE(TestSeams::PresentedRects().empty());
    TestSeams::RecordPresentedRects(false);
}

TEST_F(PresenterTest, AWholeWindowIsSentWhenAllOfItChanged) {
    HWND hwnd = MakeWindow(u"All", 40, 40, 300, 200);
    TestSeams::RecordPresentedRects(true);
    paintColor = RGB(10, 20, 30);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Settle();
    long area = 0;
    for (const auto& s : TestSeams::PresentedRects())
        area += (s.rect.right - s.rect.left) * (s.rect.bottom - s.rect.top);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(area, client.right * client.bottom) << "the client area changed, the frame did not";
    TestSeams::RecordPresentedRects(false);
}
