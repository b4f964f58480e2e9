// The tree's hints on screen: the application's hint machinery asks the tree,
// the tree's hint window shows a tooltip over a cut cell or a node hint below
// its row, fades or slides in on the manual clock, and goes away on a click
// or with the tree.
#include "VirtualTreeTestSupport.h"

#include <win32/readback.h>

#include <functional>
#include <map>

namespace {

// A string tree of four rows in a window too narrow for the second row's text.
class TreeHints : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TVirtualStringTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 160, 150);
        tree->SetBorderStyle(bsNone);
        tree->SetShowHint(true);
        tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex,
                                 TQOZTextType, UnicodeString& text) { text = Text[node]; };
        tree->SetRootNodeCount(4);
        const char16_t* names[] = {u"alpha", u"a long text that the narrow window has to cut",
                                   u"bravo", u"charlie"};
        for (uint32_t i = 0; i < 4; ++i) {
            Text[NodeAt(tree, {i})] = names[i];
            tree->InvalidateNode(NodeAt(tree, {i})); // widths measured before the texts were there
        }
        tree->HandleNeeded();
        tree->SetFocus();
        Pump();
    }
    PVirtualNode N(uint32_t index) { return NodeAt(tree, {index}); }
    // Screen point a few pixels into a node's text.
    POINT OnText(PVirtualNode node) {
        const TRect r = tree->GetDisplayRect(node, NoColumn, true);
        return TestSeams::ClientPoint(tree->GetHandle(), r.left + 6, (r.top + r.bottom) / 2);
    }
    void MoveTo(POINT p) {
        TestSeams::MouseMove(p);
        Pump();
    }
    static TVirtualTreeHintWindow* HintWindow() {
        auto* w = dynamic_cast<TVirtualTreeHintWindow*>(Application->GetHintWindow());
        return w && w->HandleAllocated() && IsWindowVisible(w->GetHandle()) ? w : nullptr;
    }
    static RECT WindowRect(TWinControl* control) {
        RECT r;
        GetWindowRect(control->GetHandle(), &r);
        return r;
    }
    static COLORREF Pixel(TWinControl* control, int x, int y) {
        HDC dc = GetDC(control->GetHandle());
        std::vector<COLORREF> p = win32::ReadPixels(dc, RECT{x, y, x + 1, y + 1});
        ReleaseDC(control->GetHandle(), dc);
        return p.empty() ? CLR_INVALID : p[0];
    }

    TForm* form = nullptr;
    TVirtualStringTree* tree = nullptr;
    std::map<PVirtualNode, UnicodeString> Text;
};

TEST_F(TreeHints, ATooltipCoversTheCutTextAtOnceAndOnlyThere) {
    tree->SetHintMode(hmTooltip);
    tree->SetHintAnimation(hatNone);
    MoveTo(OnText(N(0))); // "alpha" fits: nothing
    EXPECT_EQ(HintWindow(), nullptr);
    MoveTo(OnText(N(1)));
    TVirtualTreeHintWindow* hint = HintWindow();
    ASSERT_NE(hint, nullptr); // no pause for tooltips
    const TRect text = tree->GetDisplayRect(N(1), NoColumn, true, true);
    const RECT r = WindowRect(hint);
    const POINT corner = TestSeams::ClientPoint(tree->GetHandle(), text.left - 1, text.top - 1);
    EXPECT_EQ(r.left, corner.x);
    EXPECT_EQ(r.top, corner.y);
    EXPECT_GT(r.right, WindowRect(tree).right); // the whole text, past the tree's edge
    EXPECT_EQ(hint->GetHintData().HintText, Text[N(1)]);
    EXPECT_EQ(Pixel(hint, 2, 2), ColorToRGB(clInfoBk));
    EXPECT_EQ(Pixel(hint, 0, 0), RGB(0, 0, 0));

    // Keys typed while it shows reach the tree once and leave it up.
    tree->SetFocusedNode(N(0));
    TestSeams::KeyPress(VK_DOWN);
    Pump();
    EXPECT_EQ(tree->GetFocusedNode(), N(1));
    EXPECT_EQ(HintWindow(), hint);

    // Over the tooltip the mouse still reaches the tree: no new question inside it.
    MoveTo(POINT{OnText(N(1)).x + 20, OnText(N(1)).y});
    EXPECT_EQ(HintWindow(), hint);
    MoveTo(OnText(N(2)));
    EXPECT_EQ(HintWindow(), nullptr);
}

TEST_F(TreeHints, TheTooltipFadesOrSlidesInOnTheClock) {
    tree->SetHintMode(hmTooltip);
    tree->SetAnimationDuration(200);
    const COLORREF info = ColorToRGB(clInfoBk);
    const COLORREF under = ColorToRGB(tree->GetColor());
    const struct {
        THintAnimationType type;
        bool mmx;
        unsigned half; // half of the animation's time
    } cases[] = {{hatFade, true, 200}, {hatSlide, true, 100},
                 {hatFade, false, 100}}; // no blending: the fade slides instead
    const bool savedMMX = MMXAvailable;
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type) * 2 + c.mmx);
        MMXAvailable = c.mmx;
        tree->SetHintAnimation(c.type);
        MoveTo(OnText(N(2)));
        Application->CancelHint();
        MoveTo(OnText(N(1)));
        TVirtualTreeHintWindow* hint = HintWindow();
        ASSERT_NE(hint, nullptr);
        const int bottom = hint->GetHeight() - 2;
        EXPECT_TRUE(hint->GetAnimating());
        EXPECT_TRUE(tree->HasState(tsInAnimation)); // no row animation meanwhile
        EXPECT_EQ(Pixel(hint, 2, bottom), under); // first the tree shows through
        Advance(c.half);
        const COLORREF middle = Pixel(hint, 2, bottom);
        if (c.type == hatFade && c.mmx) {
            EXPECT_NE(middle, under);
            EXPECT_NE(middle, info);
        } else {
            EXPECT_EQ(middle, under); // the lower half has not come down yet
            EXPECT_EQ(Pixel(hint, 2, 1), info);
        }
        Advance(c.half);
        EXPECT_FALSE(hint->GetAnimating());
        EXPECT_FALSE(tree->HasState(tsInAnimation));
        EXPECT_EQ(Pixel(hint, 2, bottom), info);
    }
    MMXAvailable = savedMMX;
}

// A hint that goes, or gives way to another, while it fades in hands the
// tree's animation state back; a tree busy with its own animation shows the
// hint at once.
TEST_F(TreeHints, AFadeHoldsTheTreesAnimationStateOnlyWhileItRuns) {
    tree->SetHintMode(hmTooltip);
    tree->SetHintAnimation(hatFade);
    tree->SetAnimationDuration(200);
    std::vector<std::pair<TVirtualTreeStates, TVirtualTreeStates>> changes;
    tree->OnStateChange = [&](TBaseVirtualTree*, TVirtualTreeStates Enter, TVirtualTreeStates Leave) {
        if (Enter.Contains(tsInAnimation) || Leave.Contains(tsInAnimation) ||
            Enter.Contains(tsCancelHintAnimation))
            changes.emplace_back(Enter, Leave);
    };
    MoveTo(OnText(N(1)));
    TVirtualTreeHintWindow* hint = HintWindow();
    ASSERT_NE(hint, nullptr);
    Advance(50);
    ASSERT_TRUE(tree->HasState(tsInAnimation));
    Application->CancelHint();
    EXPECT_FALSE(tree->HasState(tsInAnimation));
    EXPECT_FALSE(hint->GetAnimating());

    // The same tooltip again while the first still fades: the old fade is
    // cancelled, the new one starts from the beginning.
    changes.clear();
    MoveTo(OnText(N(2)));
    MoveTo(OnText(N(1)));
    ASSERT_TRUE(hint->GetAnimating());
    hint->ActivateHint(hint->GetBoundsRect(), u" ");
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_TRUE(changes[0].first.Contains(tsInAnimation));
    EXPECT_TRUE(changes[1].first.Contains(tsCancelHintAnimation));
    EXPECT_TRUE(changes[2].second.Contains(tsInAnimation));
    EXPECT_TRUE(changes[3].first.Contains(tsInAnimation));
    EXPECT_TRUE(tree->HasState(tsInAnimation));
    EXPECT_FALSE(tree->HasState(tsCancelHintAnimation));
    Advance(400);
    EXPECT_FALSE(tree->HasState(tsInAnimation));

    // Busy: no fade.
    Application->CancelHint();
    MoveTo(OnText(N(2)));
    tree->DoStateChange({tsInAnimation});
    MoveTo(OnText(N(1)));
    ASSERT_NE(HintWindow(), nullptr);
    EXPECT_FALSE(HintWindow()->GetAnimating());
    tree->DoStateChange({}, {tsInAnimation});
}

TEST_F(TreeHints, ANodeHintWaitsThePauseShowsBelowTheRowAndEndsOnAClickNotOnKeys) {
    tree->SetHintMode(hmHint);
    tree->SetHintAnimation(hatNone);
    tree->OnGetHint = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVTTooltipLineBreakStyle&,
                         UnicodeString& text) { text = u"about this node"; };
    MoveTo(OnText(N(2)));
    Advance(Application->GetHintPause() - 1);
    EXPECT_EQ(HintWindow(), nullptr);
    Advance(1);
    TVirtualTreeHintWindow* hint = HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->GetHintData().HintText, u"about this node");
    EXPECT_EQ(hint->GetHintData().Node, N(2));
    const TRect row = tree->GetDisplayRect(N(2), NoColumn, false);
    EXPECT_GE(WindowRect(hint).top, TestSeams::ClientPoint(tree->GetHandle(), 0, row.bottom + 2).y);
    TestSeams::KeyPress(VK_SHIFT);
    Pump();
    EXPECT_NE(HintWindow(), nullptr);
    TestSeams::Click(OnText(N(2)));
    Pump();
    EXPECT_EQ(HintWindow(), nullptr);
}

TEST_F(TreeHints, AHintAtTheDesktopsCornerIsMovedOntoIt) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    form->SetBounds(width - form->GetWidth(), height - form->GetHeight(), form->GetWidth(),
                    form->GetHeight());
    tree->SetBounds(140, 120, 160, 80);
    tree->SetHintMode(hmHint);
    tree->SetHintAnimation(hatNone);
    tree->OnGetHint = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVTTooltipLineBreakStyle&,
                         UnicodeString& text) {
        text = u"a hint long enough to pass the right edge of the desktop";
    };
    Pump();
    MoveTo(OnText(N(3)));
    Advance(Application->GetHintPause());
    TVirtualTreeHintWindow* hint = HintWindow();
    ASSERT_NE(hint, nullptr);
    const RECT r = WindowRect(hint);
    EXPECT_GT(r.right - r.left, 200);
    EXPECT_EQ(r.right, width);
    EXPECT_EQ(r.bottom, height);
}

TEST_F(TreeHints, AColumnHintShowsOverTheHeader) {
    TVTHeader* header = tree->GetHeader();
    TVirtualTreeColumn* first = header->GetColumns()->Add();
    first->SetWidth(80);
    first->SetHint(u"the first column");
    header->GetColumns()->Add()->SetWidth(80); // no hint of its own
    header->SetOptions(header->GetOptions() + hoVisible + hoShowHint);
    Pump();
    const POINT overFirst = TestSeams::ClientPoint(tree->GetHandle(), 20, -header->GetHeight() / 2);
    MoveTo(overFirst);
    Advance(Application->GetHintPause());
    TVirtualTreeHintWindow* hint = HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->GetHintData().HintText, u"the first column");
    EXPECT_GE(WindowRect(hint).top, TestSeams::ClientPoint(tree->GetHandle(), 0, 0).y);
    MoveTo(POINT{overFirst.x + 80, overFirst.y});
    Advance(Application->GetHintPause());
    EXPECT_EQ(HintWindow(), nullptr);
}

TEST_F(TreeHints, DestroyingTheTreeDuringAFadeEndsTheHint) {
    tree->SetHintMode(hmTooltip);
    tree->SetHintAnimation(hatFade);
    MoveTo(OnText(N(1)));
    ASSERT_NE(HintWindow(), nullptr);
    Advance(50);
    delete form;
    Advance(500);
    EXPECT_EQ(HintWindow(), nullptr);
    EXPECT_EQ(Application->GetHintControl(), nullptr);
}

} // namespace
