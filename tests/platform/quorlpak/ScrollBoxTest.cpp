// The scroll box: ranges that follow the children, scrolling a child into
// view, and children aligned to the top stacking over the scrolled content.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ScrollingWinControl.h>

namespace {

class ScrollBoxTest : public QuorlpakTest {
protected:
    TScrollBox* MakeBox() {
        TForm* form = ShownForm(300, 300);
        auto* box = new TScrollBox(form);
        box->SetBorderStyle(bsNone);
        box->SetBounds(0, 0, 200, 100);
        box->SetParent(form);
        Pump();
        return box;
    }
    static TTestControl* Child(TScrollBox* Box, int L, int T, int W, int H) {
        auto* c = new TTestControl(Box);
        c->SetBounds(L, T, W, H);
        c->SetParent(Box);
        return c;
    }
};

TEST_F(ScrollBoxTest, RangesFollowTheChildrenAndScrollInViewMovesTheLeast) {
    TScrollBox* box = MakeBox();
    Child(box, 10, 10, 20, 20);
    TTestControl* far = Child(box, 150, 300, 100, 30);
    TControlScrollBar* v = box->GetVertScrollBar();
    TControlScrollBar* h = box->GetHorzScrollBar();
    EXPECT_EQ(v->GetRange(), 330);
    EXPECT_EQ(h->GetRange(), 250);

    struct Case {
        int scrollX, scrollY; // before
        int expectX, expectY; // after
    } cases[] = {
        {0, 0, 250 - box->GetClientRect().Width(), 330 - box->GetClientRect().Height()},
        {h->GetRange(), v->GetRange(), 250 - box->GetClientRect().Width(),
         330 - box->GetClientRect().Height()}, // already in view: nothing moves
    };
    for (const Case& c : cases) {
        h->SetPosition(c.scrollX);
        v->SetPosition(c.scrollY);
        box->ScrollInView(far);
        EXPECT_EQ(h->GetPosition(), c.expectX);
        EXPECT_EQ(v->GetPosition(), c.expectY);
        EXPECT_EQ(far->GetTop() + far->GetHeight(), box->GetClientRect().Height());
    }
    // A child scrolled off the top comes back to the top edge.
    TTestControl* first = static_cast<TTestControl*>(box->GetControls(0));
    box->ScrollInView(first);
    EXPECT_EQ(first->GetTop(), 0);
    EXPECT_EQ(v->GetPosition(), 10);

    box->SetAutoScroll(false);
    EXPECT_EQ(v->GetRange(), 0);
}

TEST_F(ScrollBoxTest, TopAlignedChildrenStackOverTheWholeContent) {
    TScrollBox* box = MakeBox();
    for (int i = 0; i < 4; ++i) {
        TTestControl* c = Child(box, 0, 0, 10, 40);
        c->SetAlign(alBottom);
        c->SetAlign(alTop);
    }
    EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 160);
    box->GetVertScrollBar()->SetPosition(50);
    for (int i = 0; i < 4; ++i) {
        TControl* c = box->GetControls(i);
        EXPECT_EQ(c->GetTop(), i * 40 - 50) << i;
        EXPECT_EQ(c->GetWidth(), box->GetClientRect().Width()) << i;
    }
}

} // namespace
