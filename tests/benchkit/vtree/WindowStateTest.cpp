// The tree's window: the state set, the worker's state message, window
// styles, size handling, invalidation and the header and column events.
#include "CaseName.h"
#include "VirtualTreeTestSupport.h"

namespace {

class WindowState : public VirtualTreeTest {};

TEST_F(WindowState, OnlyAnEffectiveChangeFiresOnStateChangeAndBeforeTheChange) {
    TTestTree* tree = MakeTree();
    std::vector<std::pair<TVirtualTreeStates, TVirtualTreeStates>> fired;
    bool setDuringEvent = true;
    tree->OnStateChange = [&](TBaseVirtualTree* t, TVirtualTreeStates enter,
                              TVirtualTreeStates leave) {
        fired.push_back({enter, leave});
        setDuringEvent = t->HasState(tsEditing);
    };
    tree->DoStateChange({tsEditing});
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_FALSE(setDuringEvent);
    EXPECT_TRUE(tree->HasState(tsEditing));
    tree->DoStateChange({tsEditing});  // already set
    tree->DoStateChange({}, {tsHint}); // not set
    EXPECT_EQ(fired.size(), 1u);
    tree->DoStateChange({tsHint}, {tsEditing});
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1].first, TVirtualTreeStates{tsHint});
    EXPECT_EQ(fired[1].second, TVirtualTreeStates{tsEditing});
    EXPECT_EQ(tree->GetTreeStates(), TVirtualTreeStates{tsHint});
    // Entering and leaving the same state leaves it.
    tree->DoStateChange({tsWheelPanning}, {tsWheelPanning});
    EXPECT_FALSE(tree->HasState(tsWheelPanning));
    tree->OnStateChange = nullptr; // its locals end here
}

TEST_F(WindowState, TheStateMessageCarriesFourStatesAsBits) {
    TTestTree* tree = MakeWindowedTree();
    tree->DoStateChange({tsStopValidation});
    const WPARAM enter = (1u << csUseCache) | (1u << csValidating);
    const LPARAM leave = (1u << csStopValidation) | (1u << csValidationNeeded);
    SendMessageW(tree->GetHandle(), WM_TREESTATES, enter, leave);
    EXPECT_TRUE(tree->HasState(tsUseCache));
    EXPECT_TRUE(tree->HasState(tsValidating));
    EXPECT_FALSE(tree->HasState(tsStopValidation));
    EXPECT_FALSE(tree->HasState(tsValidationNeeded));
    EXPECT_EQ(WM_TREESTATES, 0x8020u);
}

struct TStyleCase {
    TScrollStyle Bars;
    TBorderStyle Border;
    bool Ctl3D;
    DWORD Style;   // expected among the bits checked
    DWORD ExStyle; // expected client edge
};

void PrintTo(const TStyleCase& c, std::ostream* os) {
    *os << "bars " << int(c.Bars) << " border " << int(c.Border) << (c.Ctl3D ? " 3d" : " flat");
}

class WindowStyles : public WindowState, public testing::WithParamInterface<TStyleCase> {};

TEST_P(WindowStyles, FollowScrollBarsAndBorder) {
    const TStyleCase& c = GetParam();
    TTestTree* tree = MakeTree();
    tree->GetScrollBarOptions()->SetScrollBars(c.Bars);
    tree->SetBorderStyle(c.Border);
    tree->SetCtl3D(c.Ctl3D);
    TCreateParams params;
    tree->CreateParams(params);
    const DWORD checked = WS_HSCROLL | WS_VSCROLL | WS_BORDER | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    EXPECT_EQ(params.Style & checked, c.Style);
    EXPECT_EQ(params.ExStyle & WS_EX_CLIENTEDGE, c.ExStyle);
    EXPECT_EQ(params.WindowClass.style & (CS_HREDRAW | CS_VREDRAW), UINT(CS_HREDRAW | CS_VREDRAW));
}

constexpr DWORD kClip = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
INSTANTIATE_TEST_SUITE_P(
    Cases, WindowStyles,
    testing::Values(TStyleCase{TScrollStyle::ssBoth, bsSingle, true,
                               kClip | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE},
                    TStyleCase{TScrollStyle::ssVertical, bsSingle, false,
                               kClip | WS_VSCROLL | WS_BORDER, 0},
                    TStyleCase{TScrollStyle::ssHorizontal, bsNone, true, kClip | WS_HSCROLL, 0},
                    TStyleCase{TScrollStyle::ssNone, bsNone, false, kClip, 0}),
    CaseName());

TEST_F(WindowState, FullRepaintOnResizeDecidesTheClassRedrawStyles) {
    TTestTree* tree = MakeTree();
    tree->GetTreeOptions()->SetMiscOptions(tree->GetTreeOptions()->GetMiscOptions() -
                                           TVTMiscOptions{toFullRepaintOnResize});
    TCreateParams params;
    tree->CreateParams(params);
    EXPECT_EQ(params.WindowClass.style & (CS_HREDRAW | CS_VREDRAW), 0u);
}

TEST_F(WindowState, AClientHeightOfZeroDoesNotRecomputeScrollBars) {
    TTestTree* tree = MakeWindowedTree();
    tree->ScrollBarUpdates = 0;
    tree->SetHeight(2); // all border
    EXPECT_EQ(tree->GetClientHeight(), 0);
    EXPECT_EQ(tree->ScrollBarUpdates, 0);
    tree->SetHeight(120);
    EXPECT_EQ(tree->ScrollBarUpdates, 1);
    EXPECT_FALSE(tree->HasState(tsSizing));
}

TEST_F(WindowState, InvalidationInsideAnUpdateBracketDoesNothing) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetRootNodeCount(5);
    Pump();
    tree->TakeInvalidation();
    tree->BeginUpdate();
    tree->Invalidate();
    tree->InvalidateNode(NodeAt(tree, {1}));
    tree->InvalidateToBottom(NodeAt(tree, {1}));
    tree->InvalidateChildren(nullptr, true);
    tree->RepaintNode(NodeAt(tree, {1}));
    EXPECT_FALSE(tree->TakeInvalidation());
    tree->EndUpdate();
    EXPECT_TRUE(tree->TakeInvalidation());
}

TEST_F(WindowState, InvalidatingANodeMarksItsRow) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetRootNodeCount(5);
    Pump();
    tree->TakeInvalidation();
    tree->InvalidateNode(NodeAt(tree, {2}));
    RECT r;
    ASSERT_TRUE(GetUpdateRect(tree->GetHandle(), &r, FALSE));
    EXPECT_EQ(r.top, 36);
    EXPECT_EQ(r.bottom, 54);
    tree->TakeInvalidation();
    tree->InvalidateNode(tree->GetRootNode());
    tree->InvalidateNode(nullptr);
    EXPECT_FALSE(tree->TakeInvalidation());
}

TEST_F(WindowState, DenySubclassingAnswersOne) {
    TTestTree* tree = MakeWindowedTree();
    EXPECT_EQ(SendMessageW(tree->GetHandle(), CM_DENYSUBCLASSING, 0, 0), 1);
}

TEST_F(WindowState, ARightToLeftTreeKeepsANonNegativeOffset) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetOffsets(-30, 0, 100);
    tree->SetBiDiMode(bdRightToLeft);
    EXPECT_GE(tree->GetEffectiveOffsetX(), 0);
    EXPECT_EQ(tree->GetEffectiveOffsetX(), std::max(0, 100 - 30 - tree->GetClientWidth()));
    tree->SetOffsets(-30, 0, 1000);
    tree->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(tree->GetEffectiveOffsetX(), 30);
}

TEST_F(WindowState, DestroyingTheWindowStopsTheDelayedEvents) {
    TTestTree* tree = MakeWindowedTree();
    int changes = 0;
    tree->OnChange = [&](TBaseVirtualTree*, PVirtualNode) { ++changes; };
    tree->SetChangeDelay(100);
    tree->SetRootNodeCount(1);
    tree->Change(NodeAt(tree, {0}));
    DestroyWindow(tree->GetHandle());
    Advance(500);
    EXPECT_EQ(changes, 0);
}

TEST_F(WindowState, HeaderEventsComeFromTheHeaderAndAllowByDefault) {
    TTestTree* tree = MakeTree();
    EXPECT_TRUE(tree->DoHeaderDragging(0));
    TVTHeader* sender = reinterpret_cast<TVTHeader*>(1);
    TColumnIndex clicked = InvalidColumn;
    tree->OnHeaderClick = [&](TVTHeader* s, TColumnIndex c, TMouseButton, TShiftState, int, int) {
        sender = s;
        clicked = c;
    };
    tree->OnHeaderDragging = [](TVTHeader*, TColumnIndex, bool& allowed) { allowed = false; };
    tree->DoHeaderClick(2, mbLeft, {}, 5, 5);
    EXPECT_EQ(clicked, 2);
    EXPECT_EQ(sender, tree->GetHeader());
    EXPECT_FALSE(tree->DoHeaderDragging(0));
}

TEST_F(WindowState, AColumnResizeMeasuresWrappedRowsAgain) {
    TTestTree* tree = MakeWindowedTree();
    tree->SetRootNodeCount(2);
    tree->InitNode(NodeAt(tree, {0}));
    tree->SetMultiLine(NodeAt(tree, {0}), true);
    NodeAt(tree, {0})->States.Include(vsHeightMeasured);
    NodeAt(tree, {1})->States.Include(vsHeightMeasured);
    int resized = 0;
    tree->OnColumnResize = [&](TVTHeader*, TColumnIndex) { ++resized; };
    tree->DoColumnResize(0);
    EXPECT_FALSE(NodeAt(tree, {0})->States.Contains(vsHeightMeasured));
    EXPECT_TRUE(NodeAt(tree, {1})->States.Contains(vsHeightMeasured));
    EXPECT_EQ(resized, 1);
}

TEST_F(WindowState, TheWidestRowOfAColumnCountsItsIndentation) {
    class TWideTree : public TTestTree {
    public:
        using TTestTree::TTestTree;
        int DoGetNodeWidth(PVirtualNode, TColumnIndex, TCanvas*) override { return 50; }
    };
    auto* tree = new TWideTree(Application);
    tree->SetRootNodeCount(2);
    tree->SetChildCount(NodeAt(tree, {1}), 1);
    tree->SetExpanded(NodeAt(tree, {1}), true);
    EXPECT_EQ(tree->GetMaxColumnWidth(NoColumn), 4 + 2 * 18 + 50);
    tree->GetTreeOptions()->SetPaintOptions(tree->GetTreeOptions()->GetPaintOptions() -
                                            TVTPaintOptions{toShowRoot} + toShowVertGridLines);
    EXPECT_EQ(tree->GetMaxColumnWidth(NoColumn), 4 + 18 + 50 + 1);
}

} // namespace
