// The string grid and in-place editing: cell texts and objects through
// resizing and moving rows and columns, and the editor driven by keys and
// clicks (starting, following, ending and taking back an edit).
#include "QuorlpakTestSupport.h"

#include <quorlpak/Grids.h>

namespace {

// Opens the protected moves to the test.
class TTestStringGrid : public TStringGrid {
public:
    using TStringGrid::DeleteColumn;
    using TStringGrid::DeleteRow;
    using TStringGrid::MoveRow;
    using TStringGrid::TStringGrid;
};

class StringGridTest : public QuorlpakTest {
protected:
    // A 3 x 4 grid of 50 x 20 cells, one fixed row and column, shown and focused.
    TTestStringGrid* MakeGrid(TGridOptions Extra = {}) {
        TForm* form = ShownForm(300, 200);
        auto* grid = new TTestStringGrid(form);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(TScrollStyle::ssNone);
        grid->SetColCount(3);
        grid->SetRowCount(4);
        grid->SetDefaultColWidth(50);
        grid->SetDefaultRowHeight(20);
        grid->SetBounds(0, 0, 200, 150);
        grid->SetOptions(grid->GetOptions() + Extra);
        grid->SetParent(form);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                grid->SetCells(c, r, UnicodeString(1, char16_t(u'a' + r * 3 + c)));
        Pump();
        grid->SetFocus();
        Pump();
        return grid;
    }
    static bool Editing(TCustomGrid* grid) {
        TInplaceEdit* e = grid->GetInplaceEditor();
        return e && e->GetVisible();
    }
};

TEST_F(StringGridTest, CellsAndObjectsFollowResizingAndMoves) {
    TTestStringGrid* grid = MakeGrid();
    TObject marker;
    grid->SetObjects(2, 3, &marker);
    EXPECT_EQ(grid->GetCells(2, 3), u"l");
    EXPECT_THROW(grid->SetCells(3, 0, u"x"), EListError);
    EXPECT_EQ(grid->GetCells(7, 7), u""); // reading outside answers empty

    grid->MoveRow(3, 1); // rows: a, j, d, g
    EXPECT_EQ(grid->GetCells(0, 1), u"j");
    EXPECT_EQ(grid->GetObjects(2, 1), &marker);
    EXPECT_EQ(grid->GetCells(0, 3), u"g");

    grid->DeleteRow(1);
    EXPECT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetCells(0, 1), u"d");
    EXPECT_EQ(grid->GetObjects(2, 1), nullptr);

    grid->DeleteColumn(0); // columns: b, c
    EXPECT_EQ(grid->GetCells(0, 0), u"b");
    EXPECT_EQ(grid->GetCells(1, 2), u"i");

    // Growing again shows empty cells, not the forgotten ones.
    grid->SetRowCount(4);
    grid->SetColCount(3);
    EXPECT_EQ(grid->GetCells(0, 3), u"");
    EXPECT_EQ(grid->GetCells(2, 0), u"");
}

TEST_F(StringGridTest, EditorWithoutEditingOptionNeverShows) {
    TTestStringGrid* grid = MakeGrid();
    TestSeams::TypeText(u"z");
    TestSeams::KeyPress(VK_F2);
    Pump();
    EXPECT_FALSE(Editing(grid));
    EXPECT_EQ(grid->GetCells(1, 1), u"e");
}

TEST_F(StringGridTest, TypingEditsTheCellInPlace) {
    TTestStringGrid* grid = MakeGrid({goEditing});
    TestSeams::TypeText(u"xy");
    Pump();
    ASSERT_TRUE(Editing(grid));
    TInplaceEdit* editor = grid->GetInplaceEditor();
    EXPECT_EQ(editor->GetBoundsRect(), grid->CellRect(1, 1));
    EXPECT_EQ(editor->GetText(), u"xy");
    EXPECT_EQ(grid->GetCells(1, 1), u"xy"); // the cell follows every change

    TestSeams::KeyPress(VK_RETURN); // ends editing
    Pump();
    EXPECT_FALSE(Editing(grid));
    EXPECT_FALSE(grid->GetEditorMode());
    EXPECT_EQ(grid->GetCells(1, 1), u"xy");
    EXPECT_TRUE(grid->Focused());
}

TEST_F(StringGridTest, EscapeTakesBackTheEdit) {
    TTestStringGrid* grid = MakeGrid({goEditing});
    TestSeams::KeyPress(VK_F2); // edit the existing text
    Pump();
    ASSERT_TRUE(Editing(grid));
    EXPECT_EQ(grid->GetInplaceEditor()->GetText(), u"e");
    TestSeams::KeyPress(VK_END);
    TestSeams::TypeText(u"123");
    Pump();
    EXPECT_EQ(grid->GetCells(1, 1), u"e123");
    TestSeams::KeyPress(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(Editing(grid));
    EXPECT_EQ(grid->GetCells(1, 1), u"e");
}

TEST_F(StringGridTest, MovingEndsEditingUnlessTheEditorIsAlwaysShown) {
    struct Case {
        TGridOptions options;
        bool editingAfterMove;
    } cases[] = {{{goEditing}, false}, {{goEditing, goAlwaysShowEditor}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.editingAfterMove);
        TTestStringGrid* grid = MakeGrid(c.options);
        TestSeams::TypeText(u"q");
        TestSeams::KeyPress(VK_DOWN);
        Pump();
        EXPECT_EQ(grid->GetRow(), 2);
        EXPECT_EQ(grid->GetCells(1, 1), u"q");
        EXPECT_EQ(Editing(grid), c.editingAfterMove);
        if (c.editingAfterMove) {
            EXPECT_EQ(grid->GetInplaceEditor()->GetText(), u"h");
            EXPECT_EQ(grid->GetInplaceEditor()->GetBoundsRect(), grid->CellRect(1, 2));
        }
        delete grid->GetOwner();
    }
}

TEST_F(StringGridTest, SecondClickOnTheCurrentCellStartsEditing) {
    TTestStringGrid* grid = MakeGrid({goEditing});
    const TRect cell = grid->CellRect(2, 2);
    ClickAt(grid, cell.left + 5, cell.top + 5); // makes it current
    EXPECT_EQ(grid->GetCol(), 2);
    EXPECT_FALSE(Editing(grid));
    ClickAt(grid, cell.left + 5, cell.top + 5);
    ASSERT_TRUE(Editing(grid));
    EXPECT_EQ(grid->GetInplaceEditor()->GetText(), u"i");
    EXPECT_TRUE(grid->GetInplaceEditor()->Focused());
}

TEST_F(StringGridTest, CellsArePaintedWithTheirText) {
    TTestStringGrid* grid = MakeGrid();
    grid->SetCells(1, 1, u"WWWW");
    grid->Update();
    const TRect cell = grid->CellRect(1, 1);
    int dark = 0;
    for (int x = cell.left; x < cell.right; ++x)
        for (int y = cell.top; y < cell.bottom; ++y)
            if (PixelAt(grid, x, y) == RGB(0, 0, 0)) ++dark;
    EXPECT_GT(dark, 10);
}

} // namespace
