// The colour grid: size snapping, colour look-up, the keyboard table, the
// foreground and background marks, and choosing with the mouse.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEColorGrdEx.h"

namespace {

class ColorGridTest : public ControlsTest {
protected:
    // A 12 x 18 grid whose square i has red i, green 255 - i and blue 7.
    TIDEColorGridEx* PlaceGrid(int Width = 324, int Height = 288) {
        auto* grid = new TIDEColorGridEx(Form);
        for (int i = 0; i < TIDEColorGridEx::kSquares; ++i)
            grid->PaletteEntries()[i] = {uint8_t(i), uint8_t(255 - i), 7, 0};
        return Place(grid, Width, Height);
    }
};

TEST_F(ColorGridTest, BoundsSnapToWholeCells) {
    auto* grid = PlaceGrid(324, 290);
    EXPECT_EQ(grid->GetWidth(), 324);
    EXPECT_EQ(grid->GetHeight(), 288);
    EXPECT_EQ(grid->GetCellXSize(), 27);
    EXPECT_EQ(grid->GetCellYSize(), 16);
    EXPECT_EQ(grid->SquareFromPos(28, 17), 13);
    EXPECT_EQ(grid->SquareFromPos(-5, 9999), 17 * 12) << "clamped into the grid";
    grid->SetGridOrdering(go8x2);
    EXPECT_EQ(grid->GetColumnCount(), 8);
    EXPECT_EQ(grid->GetRowCount(), 2);
}

TEST_F(ColorGridTest, ColoursAndWebNames) {
    auto* grid = PlaceGrid();
    EXPECT_EQ(grid->ColorToIndex(TColor(RGB(10, 245, 7))), 10);
    EXPECT_EQ(grid->ColorToIndex(clWhite), -1);
    grid->SetSelection(10);
    EXPECT_EQ(grid->GetWebColor(), u"#0af507");
    grid->SetSelection(-1);
    EXPECT_EQ(grid->GetWebColor(), u"") << "no square, no colour";
    grid->SetSelection(300);
    EXPECT_EQ(grid->GetSelection(), -1) << "past the palette";
}

TEST_F(ColorGridTest, KeysMoveTheSelection) {
    auto* grid = PlaceGrid();
    const int last = 12 * 18 - 1;
    struct Case {
        int from;
        uint16_t key;
        int to;
    } cases[] = {
        {0, VK_RIGHT, 1},     {last, VK_RIGHT, 0},   {5, VK_SPACE, 6},
        {0, VK_LEFT, last},   {13, VK_UP, 1},        {0, VK_UP, last},
        {5, VK_UP, 208}, {1, VK_DOWN, 13}, {last, VK_DOWN, 0},
        {last - 3, VK_DOWN, 212 % 12 + 1}, {50, VK_HOME, 0}, {50, VK_END, last},
    };
    grid->SetFocus();
    for (const Case& c : cases) {
        grid->SetSelection(c.from);
        TestSeams::KeyPress(c.key);
        Pump();
        EXPECT_EQ(grid->GetSelection(), c.to) << c.from << " key " << c.key;
    }
}

TEST_F(ColorGridTest, MarksFollowTheChoices) {
    auto* grid = PlaceGrid();
    grid->SetFocus();
    grid->SetSelection(3);
    TestSeams::KeyPress('F');
    TestSeams::KeyPress('B');
    Pump();
    EXPECT_EQ(grid->GetForegroundIndex(), 3);
    EXPECT_EQ(grid->GetBackgroundIndex(), 3);
    // Disabled foreground is not moved by the key unless a click may enable it.
    grid->SetForegroundEnabled(false);
    grid->SetSelection(4);
    TestSeams::KeyPress('F');
    Pump();
    EXPECT_EQ(grid->GetForegroundIndex(), 3);
    grid->SetClickEnablesColor(true);
    TestSeams::KeyPress('F');
    Pump();
    EXPECT_TRUE(grid->GetForegroundEnabled());
    EXPECT_EQ(grid->GetForegroundIndex(), 4);
}

TEST_F(ColorGridTest, RightDragMovesTheBackgroundAndClicksOnce) {
    auto* grid = PlaceGrid();
    int clicks = 0, changes = 0;
    grid->OnClick = [&](TObject*) { ++clicks; };
    grid->OnChange = [&](TObject*) { ++changes; };
    HWND h = grid->GetHandle();
    TestSeams::MouseDown(TestSeams::ClientPoint(h, 5, 5), VK_RBUTTON);
    Pump();
    EXPECT_EQ(grid->GetBackgroundIndex(), 0);
    TestSeams::MouseMove(TestSeams::ClientPoint(h, 27 + 5, 5));
    Pump();
    EXPECT_EQ(grid->GetBackgroundIndex(), 1);
    TestSeams::MouseMove(TestSeams::ClientPoint(h, 2 * 27 + 5, 5));
    Pump();
    EXPECT_EQ(grid->GetBackgroundIndex(), 2);
    EXPECT_EQ(grid->GetSelection(), 2);
    TestSeams::MouseUp(TestSeams::ClientPoint(h, 2 * 27 + 5, 5), VK_RBUTTON);
    Pump();
    EXPECT_EQ(clicks, 1);
    EXPECT_GT(changes, 2);
    EXPECT_EQ(grid->GetForegroundIndex(), 0) << "the right button leaves the foreground";
}

} // namespace
