// The animation driver on the manual clock, and rows sliding open and shut
// when a node is toggled, read back from the window's pixels.
#include "VirtualTreeTestSupport.h"

#include <atomic>
#include <thread>
#include <utility>

namespace {

class TAnimatedTree : public TVirtualDrawTree {
public:
    using TVirtualDrawTree::TVirtualDrawTree;
};

class Animation : public VirtualTreeTest {};

using Calls = std::vector<std::pair<int, int>>;

// Each call of the step costs Cost ms of the clock, so no wait is needed
// when it costs at least its share.
Calls RunSteps(TBaseVirtualTree* Tree, uint32_t Steps, uint32_t Duration, int Cost, int StopAfter = -1) {
    Calls calls;
    Tree->Animate(
        Steps, Duration,
        [&](int Step, int StepSize, void*) {
            calls.emplace_back(Step, StepSize);
            TestSeams::AdvanceClock(uint64_t(Cost));
            return StopAfter < 0 || int(calls.size()) < StopAfter;
        },
        nullptr);
    return calls;
}

TEST_F(Animation, StepsShareTheDurationAndGrowWhenBehind) {
    TAnimatedTree* tree = new TAnimatedTree(Application);
    struct Case {
        uint32_t Steps, Duration;
        int Cost;
        Calls Expected;
    } cases[] = {
        // On time: one pixel per step, then the closing call.
        {4, 40, 10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {0, 0}}},
        // 2.5 pixels a millisecond round to 2 (halves go to even).
        {5, 2, 1, {{0, 2}, {4, 2}, {0, 0}}},
        // A slow first step leaves less time than steps: the steps grow.
        {100, 200, 150, {{0, 1}, {75, 2}, {0, 0}}},
        // The time runs out before the steps do.
        {10, 100, 30, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {0, 0}}},
        // No duration: no animation at all.
        {10, 0, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunSteps(tree, c.Steps, c.Duration, c.Cost), c.Expected)
            << c.Steps << " steps in " << c.Duration << " ms";
    // A step that answers false ends it; the closing call still comes.
    EXPECT_EQ(RunSteps(tree, 4, 40, 10, 2), (Calls{{0, 1}, {1, 1}, {0, 0}}));
    EXPECT_FALSE(tree->HasState(tsInAnimation));
}

TEST_F(Animation, OneAnimationAtATime) {
    TAnimatedTree* tree = new TAnimatedTree(Application);
    Calls inner;
    int outer = 0;
    tree->Animate(
        2, 20,
        [&](int, int, void*) {
            ++outer;
            EXPECT_TRUE(tree->HasState(tsInAnimation));
            inner = RunSteps(tree, 2, 20, 10);
            TestSeams::AdvanceClock(10);
            return true;
        },
        nullptr);
    EXPECT_EQ(outer, 3);
    EXPECT_TRUE(inner.empty());
    EXPECT_FALSE(tree->HasState(tsInAnimation));
}

// Rows: X (two children), Y (selected, full row); 200 x 120 client.
class ToggleAnimation : public VirtualTreeTest {
protected:
    static constexpr int Row = 18;
    void SetUp() override {
        VirtualTreeTest::SetUp();
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TAnimatedTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 200, 120);
        tree->SetBorderStyle(bsNone);
        tree->HandleNeeded();
        TCustomVirtualTreeOptions* options = tree->GetTreeOptions();
        options->SetSelectionOptions(options->GetSelectionOptions() + toFullRowSelect);
        options->SetAutoOptions(options->GetAutoOptions() - toAutoScrollOnExpand);
        tree->SetRootNodeCount(2);
        x = tree->GetFirst();
        y = tree->GetNextSibling(x);
        tree->SetChildCount(x, 2);
        tree->SetSelected(y, true);
        tree->OnStateChange = [this](TBaseVirtualTree*, TVirtualTreeStates Enter,
                                     TVirtualTreeStates) {
            if (Enter.Contains(tsInAnimation)) ++animations;
        };
    }
    void Repaint() { RedrawWindow(tree->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    COLORREF At(int X, int Y) {
        HDC dc = GetDC(tree->GetHandle());
        const COLORREF c = GetPixel(dc, X, Y);
        ReleaseDC(tree->GetHandle(), dc);
        return c;
    }
    // Toggles X while a helper ends the animation's first wait by moving
    // the clock past its whole duration: exactly one slide step is made.
    void ToggleWithOneStep() {
        std::atomic<bool> done{false};
        std::thread helper([&] {
            while (!done) {
                if (TestSeams::ClockWaiterCount() > 0) TestSeams::AdvanceClock(1000);
                std::this_thread::yield();
            }
        });
        tree->ToggleNode(x);
        done = true;
        helper.join();
    }
    COLORREF Selection() {
        return ColorToRGB(tree->GetColors()->GetColor(TVTColors::UnfocusedSelectionColorIndex));
    }

    TAnimatedTree* tree = nullptr;
    PVirtualNode x = nullptr, y = nullptr;
    int animations = 0;
};

TEST_F(ToggleAnimation, RowsBelowSlideByTheFirstStep) {
    // 36 pixels in 9 ms: steps of 4.
    tree->SetAnimationDuration(9);
    Repaint();
    ASSERT_EQ(At(150, Row + 2), Selection());
    ToggleWithOneStep();
    EXPECT_EQ(animations, 1);
    EXPECT_TRUE(tree->GetExpanded(x));
    // Y moved down by 4; the band it left (4 + 1 rows of pixels) has the tree's colour.
    EXPECT_EQ(At(150, Row + 2), ColorToRGB(tree->GetColor()));
    EXPECT_EQ(At(150, Row + 4), ColorToRGB(tree->GetColor()));
    EXPECT_EQ(At(150, Row + 5), Selection());
    EXPECT_EQ(At(150, 2 * Row + 3), Selection());

    // Closing: Y (now at 54) comes up by 4; the bottom band is filled.
    Repaint();
    ASSERT_EQ(At(150, 3 * Row), Selection());
    ASSERT_NE(At(150, 3 * Row - 2), Selection());
    ToggleWithOneStep();
    EXPECT_EQ(animations, 2);
    EXPECT_FALSE(tree->GetExpanded(x));
    EXPECT_EQ(At(150, 3 * Row - 2), Selection());
    EXPECT_EQ(At(150, 3 * Row + 13), Selection());
    EXPECT_NE(At(150, 3 * Row + 15), Selection());
}

TEST_F(ToggleAnimation, TheOpenedBandTakesTheColumnColoursWhereTheyAreShown) {
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    columns->Add()->SetColor(clRed);
    columns->Add()->SetColor(clBlue);
    tree->SetAnimationDuration(9);
    Repaint();
    ToggleWithOneStep();
    EXPECT_EQ(At(10, Row + 2), ColorToRGB(clRed));
    EXPECT_EQ(At(60, Row + 2), ColorToRGB(clBlue));
    EXPECT_EQ(At(150, Row + 2), ColorToRGB(tree->GetColor()));

    // Scrolled by 100: red shows from 0 to 50, blue from 50 to 200.
    tree->SetAnimationDuration(0);
    tree->ToggleNode(x);
    columns->GetItem(0)->SetWidth(150);
    columns->GetItem(1)->SetWidth(150);
    tree->UpdateScrollBars(false);
    tree->SetOffsetX(-100);
    ASSERT_EQ(tree->GetEffectiveOffsetX(), 100);
    tree->SetAnimationDuration(9);
    Repaint();
    ToggleWithOneStep();
    EXPECT_EQ(At(10, Row + 2), ColorToRGB(clRed));
    EXPECT_EQ(At(60, Row + 2), ColorToRGB(clBlue));
    EXPECT_EQ(At(190, Row + 2), ColorToRGB(clBlue));
}

TEST_F(ToggleAnimation, NoSlideWhereNothingMoves) {
    struct Case {
        const char* What;
        std::function<void()> Arrange;
    } cases[] = {
        {"animation off", [&] { tree->SetAnimationDuration(0); }},
        {"inside an update", [&] { tree->BeginUpdate(); }},
        {"nothing below the node", [&] { tree->DeleteNode(y); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        tree->SetAnimationDuration(200);
        c.Arrange();
        tree->ToggleNode(x); // would wait for the clock forever if it animated
        EXPECT_EQ(animations, 0);
        if (tree->GetUpdateCount() > 0) tree->EndUpdate();
        tree->SetAnimationDuration(0);
        if (tree->GetExpanded(x)) tree->ToggleNode(x);
        animations = 0;
    }
}

} // namespace
