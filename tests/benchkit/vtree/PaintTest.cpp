// Painting rows into a bitmap and reading the pixels back: tree lines,
// buttons, selection, grid lines, check images, background columns, the
// row filter of drag images, custom row drawing, and the geometry helpers.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>

namespace {

class TPaintTree : public TVirtualDrawTree {
public:
    using TVirtualDrawTree::TVirtualDrawTree;
    using TBaseVirtualTree::CalculateVerticalAlignments;
    using TBaseVirtualTree::InitializeLineImageAndSelectLevel;
    using TBaseVirtualTree::FNewSelRect;
};

// A over B with alpha 128, channel by channel, as the blend computes it.
COLORREF Half(TColor Over, TColor Under) {
    const COLORREF o = ColorToRGB(Over), u = ColorToRGB(Under);
    auto mix = [](int a, int b) { return (128 * a + 128 * b) / 256; };
    return RGB(mix(GetRValue(o), GetRValue(u)), mix(GetGValue(o), GetGValue(u)),
               mix(GetBValue(o), GetBValue(u)));
}

constexpr int Row = 18;

class Paint : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TPaintTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 200, 120);
        tree->HandleNeeded();
        // A (children A0, A1, expanded), B (one child, collapsed).
        tree->SetRootNodeCount(2);
        a = tree->GetFirst();
        b = tree->GetNextSibling(a);
        tree->SetChildCount(a, 2);
        tree->SetChildCount(b, 1);
        tree->SetExpanded(a, true);
        a0 = tree->GetFirstChild(a);
        a1 = tree->GetNextSibling(a0);
        Pump();
    }

    // Paints the content from the top into a 200 x 100 bitmap first filled with Fill.
    void PaintAll(TVTInternalPaintOptions Options = WindowPaintOptions, TColor Fill = clFuchsia) {
        target.SetPixelFormat(pf32bit);
        target.SetSize(200, 100);
        target.GetCanvas()->GetBrush()->SetColor(Fill);
        target.GetCanvas()->FillRect(TRect{0, 0, 200, 100});
        tree->PaintTree(target.GetCanvas(), TRect{0, 0, 200, 100}, TPoint{0, 0}, Options);
    }
    COLORREF At(int X, int Y) { return ColorToRGB(target.GetCanvas()->GetPixel(X, Y)); }
    int CountInColumn(int X, int Top, int Bottom, TColor Colour) {
        int n = 0;
        for (int y = Top; y < Bottom; ++y) n += At(X, y) == ColorToRGB(Colour);
        return n;
    }
    int CountInRow(int Y, int Left, int Right, TColor Colour) {
        int n = 0;
        for (int x = Left; x < Right; ++x) n += At(x, Y) == ColorToRGB(Colour);
        return n;
    }

    TPaintTree* tree = nullptr;
    PVirtualNode a = nullptr, a0 = nullptr, a1 = nullptr, b = nullptr;
    TBitmap target;
};

TEST_F(Paint, ButtonsShowWhetherANodeIsOpen) {
    PaintAll();
    // Buttons sit in the first indentation level: x 4..12, y 5..13 of their row.
    const COLORREF text = ColorToRGB(tree->GetFont()->GetColor());
    EXPECT_EQ(At(8, 9), text) << "the minus of A";
    EXPECT_NE(At(8, 7), text) << "A is open: no vertical bar";
    EXPECT_EQ(At(8, 3 * Row + 7), text) << "the plus of B";
    EXPECT_EQ(At(4, 3 * Row + 9), ColorToRGB(tree->GetColors()->GetTreeLineColor()));
    // Children have no button.
    EXPECT_NE(At(26, Row + 9), text);
}

TEST_F(Paint, TreeLinesEndAtTheLastChild) {
    PaintAll();
    const TColor line = tree->GetColors()->GetTreeLineColor();
    const int x = Row + Row / 2; // the second level's middle
    // A0 has a sibling below: its line runs through the whole row, dotted.
    EXPECT_EQ(CountInColumn(x, Row, 2 * Row, line), Row / 2);
    // A1 is the last child: the line stops at its middle.
    EXPECT_GT(CountInColumn(x, 2 * Row, 2 * Row + 9, line), 0);
    EXPECT_EQ(CountInColumn(x, 2 * Row + 10, 3 * Row, line), 0);
    // The horizontal stub reaches to the level's end.
    EXPECT_GT(CountInRow(Row + 9, x + 1, 2 * Row, line), 0);
}

TEST_F(Paint, FullRowSelectionFillsTheRow) {
    TVTSelectionOptions selection = tree->GetTreeOptions()->GetSelectionOptions();
    tree->GetTreeOptions()->SetSelectionOptions(selection + toFullRowSelect);
    tree->SetSelected(a0, true);
    PaintAll();
    const TColor unfocused = tree->GetColors()->GetColor(TVTColors::UnfocusedSelectionColorIndex);
    EXPECT_EQ(At(150, Row + 9), ColorToRGB(unfocused));
    EXPECT_EQ(At(150, 9), ColorToRGB(tree->GetColor()));
}

// Blended selection and the blended rubber band need the blending
// instructions; without them the plain fill and the dotted frame stand in.
TEST_F(Paint, BlendedSelectionAndRubberBandMixTheirColourWithTheRow) {
    EXPECT_TRUE(HasMMX()) << "every x86-64 processor has them";
    const bool saved = MMXAvailable;
    TCustomVirtualTreeOptions* options = tree->GetTreeOptions();
    options->SetSelectionOptions(options->GetSelectionOptions() + toFullRowSelect);
    options->SetPaintOptions(options->GetPaintOptions() + toUseBlendedSelection);
    tree->SetDrawSelectionMode(smBlendedRectangle);
    tree->SetSelected(a0, true);
    TVTColors* colours = tree->GetColors();
    const TColor selection = colours->GetColor(TVTColors::UnfocusedSelectionColorIndex);
    const TColor band = colours->GetColor(TVTColors::SelectionRectangleBlendColorIndex);
    const TColor bandBorder = colours->GetColor(TVTColors::SelectionRectangleBorderColorIndex);
    const TColor background = tree->GetColor();
    // A band over rows B and below (content coordinates), right of the texts.
    tree->FNewSelRect = TRect{180, 4 * Row - 5, 120, 3 * Row + 4};
    tree->DoStateChange({tsDrawSelecting});
    for (bool mmx : {true, false}) {
        SCOPED_TRACE(mmx);
        MMXAvailable = mmx;
        PaintAll();
        EXPECT_EQ(At(150, Row + 9), mmx ? Half(selection, background) : ColorToRGB(selection));
        EXPECT_EQ(At(150, 3 * Row + 9), mmx ? Half(band, background) : ColorToRGB(background))
            << "inside the band";
        EXPECT_EQ(At(150, 4 * Row + 5), ColorToRGB(background)) << "below the band";
        if (mmx) {
            EXPECT_EQ(At(120, 3 * Row + 9), ColorToRGB(bandBorder));
            EXPECT_EQ(At(179, 3 * Row + 9), ColorToRGB(bandBorder));
            EXPECT_EQ(At(150, 4 * Row - 6), ColorToRGB(bandBorder)) << "its bottom edge";
        } else {
            const COLORREF plain = ColorToRGB(background);
            EXPECT_TRUE(At(120, 3 * Row + 8) != plain || At(120, 3 * Row + 9) != plain)
                << "the dotted frame";
        }
    }
    tree->DoStateChange({}, {tsDrawSelecting});
    MMXAvailable = saved;
}

TEST_F(Paint, HorizontalGridLinesTakeTheCellsLastRow) {
    tree->GetTreeOptions()->SetPaintOptions(tree->GetTreeOptions()->GetPaintOptions() +
                                            toShowHorzGridLines);
    PaintAll();
    const TColor grid = tree->GetColors()->GetColor(TVTColors::GridLineColorIndex);
    EXPECT_GE(CountInRow(Row - 1, 0, 200, grid), 90);
    EXPECT_EQ(CountInRow(Row - 2, 40, 200, grid), 0);
}

TEST_F(Paint, ACheckedBoxShowsItsMark) {
    tree->GetTreeOptions()->SetMiscOptions(tree->GetTreeOptions()->GetMiscOptions() + toCheckSupport);
    tree->SetCheckType(b, ctCheckBox);
    tree->SetCheckState(b, csCheckedNormal);
    EXPECT_EQ(tree->GetCheckImage(b), 13);
    PaintAll();
    // The box follows the button level of B, right of the indentation.
    int dark = 0;
    for (int x = Row; x < Row + 20; ++x)
        for (int y = 3 * Row; y < 4 * Row; ++y) dark += GetRValue(At(x, y)) < 64;
    EXPECT_GT(dark, 6);
}

TEST_F(Paint, SelectedOnlySkipsOtherRows) {
    tree->SetSelected(a0, true);
    PaintAll(WindowPaintOptions + poSelectedOnly);
    EXPECT_EQ(At(100, 9), ColorToRGB(clFuchsia)) << "A is not selected";
    EXPECT_NE(At(100, Row + 9), ColorToRGB(clFuchsia)) << "A0 is";
    EXPECT_EQ(At(100, 2 * Row + 9), ColorToRGB(clFuchsia));
}

TEST_F(Paint, ACustomDrawnRowIsLeftToItsHandlerAndStillCopied) {
    tree->OnBeforeItemPaint = [&](TBaseVirtualTree*, TCanvas* Canvas, PVirtualNode Node,
                                  const TRect& R, bool& Custom) {
        if (Node != a1) return;
        Canvas->GetBrush()->SetColor(clLime);
        Canvas->FillRect(R);
        Custom = true;
    };
    PaintAll();
    EXPECT_EQ(At(Row + Row / 2, 2 * Row + 4), ColorToRGB(clLime)) << "no tree line over it";
    EXPECT_EQ(At(150, 2 * Row + 9), ColorToRGB(clLime));
}

TEST_F(Paint, BelowTheLastRowColumnsShowTheirColours) {
    tree->Clear();
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    columns->Add()->SetColor(clRed);
    columns->Add()->SetColor(clBlue);
    PaintAll();
    EXPECT_EQ(At(10, 10), ColorToRGB(clRed));
    EXPECT_EQ(At(60, 50), ColorToRGB(clBlue));
    EXPECT_EQ(At(150, 50), ColorToRGB(tree->GetColor()));
}

TEST_F(Paint, AFixedColumnStaysWhileTheRestScrolls) {
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    TVirtualTreeColumn* fixed = columns->Add();
    fixed->SetOptions(fixed->GetOptions() + coFixed);
    fixed->SetColor(clRed);
    TVirtualTreeColumn* wide = columns->Add();
    wide->SetWidth(400);
    wide->SetColor(clBlue);
    TVirtualTreeColumn* last = columns->Add();
    last->SetColor(clLime);
    tree->Clear();
    tree->UpdateScrollBars(false);
    tree->SetOffsetX(-300);
    ASSERT_EQ(tree->GetEffectiveOffsetX(), 300);
    RedrawWindow(tree->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(tree->GetHandle());
    EXPECT_EQ(GetPixel(dc, 10, 10), ColorToRGB(clRed));
    EXPECT_EQ(GetPixel(dc, 60, 10), ColorToRGB(clBlue));
    EXPECT_EQ(GetPixel(dc, 160, 10), ColorToRGB(clLime));
    ReleaseDC(tree->GetHandle(), dc);
}

// --- Geometry -------------------------------------------------------------------------------

TEST_F(Paint, VerticalAlignmentFollowsTheNodeAlignment) {
    TCustomImageList images(16, 16);
    struct Case {
        TVTNodeAlignment Alignment;
        bool Images;
        int VAlign;
    } cases[] = {{naProportional, true, 9}, {naProportional, false, 9}, {naFromTop, false, 50},
                 {naFromBottom, false, -32}};
    for (const Case& c : cases) {
        tree->SetNodeAlignment(c.Alignment);
        tree->SetImages(c.Images ? &images : nullptr);
        int vAlign = 0, button = 0;
        tree->CalculateVerticalAlignments(c.Images, false, a, vAlign, button);
        EXPECT_EQ(vAlign, c.VAlign) << int(c.Alignment) << " images " << c.Images;
        EXPECT_EQ(button, c.VAlign - 4);
    }
    tree->SetImages(nullptr);
}

TEST_F(Paint, LineImagesDescribeEachLevel) {
    TLineImage image;
    EXPECT_EQ(tree->InitializeLineImageAndSelectLevel(a, image), 0);
    EXPECT_EQ(image, (TLineImage{ltBottomRight}));
    tree->InitializeLineImageAndSelectLevel(a0, image);
    EXPECT_EQ(image, (TLineImage{ltTopDown, ltTopDownRight}));
    tree->InitializeLineImageAndSelectLevel(a1, image);
    EXPECT_EQ(image, (TLineImage{ltTopDown, ltTopRight}));
    tree->InitializeLineImageAndSelectLevel(b, image);
    EXPECT_EQ(image, (TLineImage{ltTopRight}));
    tree->SetSelected(a, true);
    EXPECT_EQ(tree->InitializeLineImageAndSelectLevel(a0, image), 1);
    tree->DeleteNode(b);
    tree->InitializeLineImageAndSelectLevel(a, image);
    EXPECT_EQ(image, (TLineImage{ltRight}));
}

// --- Offsets and display rectangles ---------------------------------------------------------

TEST_F(Paint, OffsetsStayWithinTheContent) {
    tree->SetRootNodeCount(40);
    tree->UpdateScrollBars(false);
    const int range = tree->GetRangeY();
    tree->SetOffsetY(50);
    EXPECT_EQ(tree->GetOffsetY(), 0);
    tree->SetOffsetY(-100000);
    EXPECT_EQ(tree->GetOffsetY(), tree->GetClientHeight() - range);
}

TEST_F(Paint, TheWidestRowOnScreenSetsTheRightExtend) {
    // Node widths: A 30, A0 100, A1 40, B 50; A0 is the widest with its level.
    tree->OnGetNodeWidth = [&](TBaseVirtualTree*, TCanvas*, PVirtualNode Node, TColumnIndex,
                               int& Width) {
        Width = Node == a0 ? 100 : Node == a ? 30 : Node == a1 ? 40 : 50;
    };
    TCustomImageList images(16, 16);
    struct Case {
        const char* What;
        std::function<void()> Arrange;
        int Expected;
    } cases[] = {
        // Margin 4 once; A0 is on level 1, plus one with the root shown.
        {"plain", [] {}, 2 * Row + 100 + 4},
        {"images", [&] { tree->SetImages(&images); }, 2 * Row + 18 + 100 + 4},
        {"check boxes", [&] {
             TCustomVirtualTreeOptions* o = tree->GetTreeOptions();
             o->SetMiscOptions(o->GetMiscOptions() + toCheckSupport);
             tree->SetCheckType(a0, ctCheckBox);
         }, 2 * Row + 18 + tree->GetCheckImages()->GetWidth() + 2 + 100 + 4},
        // Scrolled past A0, the widest row left is B (level 0).
        {"scrolled", [&] {
             tree->SetRootNodeCount(12);
             tree->UpdateScrollBars(false);
             tree->SetOffsetY(-3 * Row);
         }, Row + 18 + 50 + 4},
    };
    for (const Case& c : cases) {
        c.Arrange();
        EXPECT_EQ(tree->GetMaxRightExtend(), c.Expected) << c.What;
    }
    tree->SetImages(nullptr);
}

TEST_F(Paint, TheWheelScrollsThreeRowsAPageWithControl) {
    tree->SetRootNodeCount(40);
    tree->UpdateScrollBars(false);
    tree->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(tree->GetOffsetY(), -3 * Row);
    tree->Perform(CM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(tree->GetOffsetY(), -3 * Row - (tree->GetClientHeight() / Row) * Row);
}

TEST_F(Paint, ScrollingIntoViewOpensTheParents) {
    tree->SetRootNodeCount(40);
    PVirtualNode child = tree->GetFirstChild(b);
    EXPECT_TRUE(tree->GetDisplayRect(child, NoColumn, false).bottom == 0);
    tree->UpdateScrollBars(false);
    PVirtualNode last = tree->GetLast();
    EXPECT_TRUE(tree->ScrollIntoView(last, false));
    const TRect r = tree->GetDisplayRect(last, NoColumn, false);
    EXPECT_EQ(r.bottom, tree->GetClientHeight());
    EXPECT_FALSE(tree->ScrollIntoView(last, false)) << "already in view";
    tree->ScrollIntoView(child, false);
    EXPECT_TRUE(tree->GetExpanded(b));
}

} // namespace
