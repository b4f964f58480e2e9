// The draw grid: cell geometry with fixed and scrolled cells, moving the
// current cell by keys and the mouse, the selection test, scrolling by the
// scroll bar, and painting through DrawCell.
#include "QuorlpakTestSupport.h"

#include <quorlpak/Grids.h>

#include <map>
#include <utility>

namespace {

class GridTest : public QuorlpakTest {
protected:
    // A 6 x 20 grid of 40 x 20 cells (lines 1 pixel) on a 200 x 150 client.
    TDrawGrid* MakeGrid() {
        TForm* form = ShownForm(300, 200);
        auto* grid = new TDrawGrid(form);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(TScrollStyle::ssNone);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 200, 150);
        grid->SetColCount(6);
        grid->SetRowCount(20);
        grid->SetDefaultColWidth(40);
        grid->SetDefaultRowHeight(20);
        grid->OnDrawCell = [this](TObject*, int c, int r, const TRect&, TGridDrawState s) {
            Drawn[{c, r}] = s;
        };
        Pump();
        return grid;
    }
    std::map<std::pair<int, int>, TGridDrawState> Drawn;
};

TEST_F(GridTest, CellGeometryFollowsFixedCellsSizesAndScrolling) {
    TDrawGrid* grid = MakeGrid();
    grid->SetColWidths(2, 60);
    grid->SetTopRow(5);
    struct Case {
        int col, row;
        TRect rect;
    } cases[] = {
        {0, 0, {0, 0, 40, 20}},    // fixed corner
        {1, 5, {41, 21, 81, 41}},  // first scrollable row is now row 5
        {2, 5, {82, 21, 142, 41}}, // the wider column
        {1, 4, {}},                // scrolled away
        {0, 6, {0, 42, 40, 62}},   // fixed column beside scrolled rows
        {5, 5, {}},                // beyond the right edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row);
        EXPECT_EQ(grid->CellRect(c.col, c.row), c.rect);
    }
    struct Hit {
        int x, y, col, row;
    } hits[] = {{5, 5, 0, 0}, {45, 25, 1, 5}, {141, 40, 2, 5}, {143, 43, 3, 6}, {199, 149, 4, 11}};
    for (const Hit& h : hits) {
        const TGridCoord c = grid->MouseCoord(h.x, h.y);
        EXPECT_EQ(c.X, h.col) << h.x << "," << h.y;
        EXPECT_EQ(c.Y, h.row) << h.x << "," << h.y;
    }
    EXPECT_EQ(grid->GetVisibleRowCount(), 6); // rows 5..10 end at 147
    EXPECT_EQ(grid->GetVisibleColCount(), 3);
}

TEST_F(GridTest, KeysMoveTheCurrentCellAndScrollItIntoView) {
    TDrawGrid* grid = MakeGrid();
    grid->SetFocus();
    Pump();
    struct Step {
        int vk;
        int col, row, top;
    } steps[] = {
        {VK_DOWN, 1, 2, 1}, {VK_RIGHT, 2, 2, 1}, {VK_NEXT, 2, 7, 6},  {VK_END, 5, 7, 6},
        {VK_HOME, 1, 7, 6}, {VK_UP, 1, 6, 6},    {VK_PRIOR, 1, 1, 1}, {VK_UP, 1, 1, 1},
    };
    for (const Step& s : steps) {
        TestSeams::KeyPress(s.vk);
        Pump();
        EXPECT_EQ(grid->GetCol(), s.col) << s.vk;
        EXPECT_EQ(grid->GetRow(), s.row) << s.vk;
        EXPECT_EQ(grid->GetTopRow(), s.top) << s.vk;
    }
}

TEST_F(GridTest, ARefusedCellStaysUnselectedAndShiftExtendsTheSelection) {
    TDrawGrid* grid = MakeGrid();
    grid->OnSelectCell = [](TObject*, int c, int, bool& can) { can = c != 3; };
    grid->SetCol(3);
    EXPECT_EQ(grid->GetCol(), 1);
    grid->SetCol(2);
    EXPECT_EQ(grid->GetCol(), 2);
    ClickAt(grid, 45, 65); // column 1, row 3
    EXPECT_EQ(grid->GetCol(), 1);
    EXPECT_EQ(grid->GetRow(), 3);
    TestSeams::KeyDown(VK_SHIFT);
    TestSeams::KeyPress(VK_DOWN);
    TestSeams::KeyPress(VK_RIGHT);
    TestSeams::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 3, 2, 4}));
}

TEST_F(GridTest, TheVerticalBarScrollsByRowsAndPages) {
    TDrawGrid* grid = MakeGrid();
    grid->SetScrollBars(TScrollStyle::ssVertical);
    Pump();
    int minPos = -1, maxPos = -1;
    GetScrollRange(grid->GetHandle(), SB_VERT, &minPos, &maxPos);
    EXPECT_EQ(minPos, 0);
    EXPECT_GT(maxPos, 0);
    grid->Perform(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(grid->GetTopRow(), 2);
    grid->Perform(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(grid->GetTopRow(), 2 + grid->GetVisibleRowCount());
    grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3)); // ignored without thumb tracking
    EXPECT_NE(grid->GetTopRow(), 4);
    grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3));
    EXPECT_EQ(grid->GetTopRow(), 4);
    EXPECT_EQ(GetScrollPos(grid->GetHandle(), SB_VERT), 3);
    grid->Perform(WM_VSCROLL, SB_BOTTOM); // stops where the last row fills the bottom
    EXPECT_EQ(grid->GetTopRow(), 20 - grid->GetVisibleRowCount());
}

TEST_F(GridTest, PaintingAsksForEveryVisibleCellWithItsState) {
    TDrawGrid* grid = MakeGrid();
    grid->SetFocus();
    grid->SetSelection({1, 1, 2, 2});
    Drawn.clear();
    grid->Invalidate();
    Pump();
    EXPECT_TRUE(Drawn.count(std::make_pair(4, 7)));
    EXPECT_FALSE(Drawn.count(std::make_pair(5, 0))); // beyond the right edge
    EXPECT_EQ(Drawn[std::make_pair(0, 3)], TGridDrawState{gdFixed});
    EXPECT_EQ(Drawn[std::make_pair(1, 1)],
              TGridDrawState{gdFocused}); // the focused cell is not filled
    EXPECT_EQ(Drawn[std::make_pair(2, 2)], TGridDrawState{gdSelected});
    EXPECT_EQ(Drawn[std::make_pair(3, 3)], TGridDrawState());
    EXPECT_EQ(PixelAt(grid, 90, 50), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(grid, 130, 70), ColorToRGB(clWindow));

    grid->SetOptions(grid->GetOptions() + goDrawFocusSelected);
    Pump();
    EXPECT_EQ(Drawn[std::make_pair(1, 1)], (TGridDrawState{gdFocused, gdSelected}));
}

} // namespace
