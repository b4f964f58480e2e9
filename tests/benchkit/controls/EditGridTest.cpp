// Grids with per-cell edit styles: the pick list's type-ahead, dropping down
// and closing up by keys and clicks, where the list opens near the screen's
// edges, the ellipsis button, and the grid that asks whether it may edit.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEExGrid.h"
#include "benchkit/controls/IDEXGrid.h"

#include <runpak/StringList.h>
#include <win32/monitors.h>

#include <vector>

namespace {

class EditGridTest : public ControlsTest {
protected:
    // A 3 x 3 grid of 80 x 20 cells: column 1 has a pick list, column 2 an ellipsis button.
    TXGrid* MakeGrid() {
        auto* grid = new TXGrid(Form);
        grid->SetColCount(3);
        grid->SetRowCount(3);
        grid->SetDefaultColWidth(80);
        grid->SetDefaultRowHeight(20);
        grid->OnGetEditStyle = [grid](TObject*, TEditStyle& Style) {
            Style = grid->GetCol() == 1 ? esPickList : grid->GetCol() == 2 ? esEllipsis : esSimple;
        };
        grid->OnDropDown = [this](TObject* Sender, TStrings* Items, TRect& R, int& Index) {
            Dropped.push_back(R);
            DropSender = Sender;
            for (const char16_t* s : {u"apple", u"abacus", u"abbey", u"banana", u"cherry"})
                Items->Add(s);
            Index = 3;
            if (ListHeight) R.bottom = R.top + ListHeight;
        };
        grid->OnCloseUp = [this](TObject*, int Index, const UnicodeString& Text) {
            Closed.push_back({Index, Text});
        };
        grid->OnEditButtonClick = [this](TObject*) { ++ButtonClicks; };
        Place(grid, 260, 80);
        grid->SetFocus();
        Pump();
        return grid;
    }
    static TXGridInplaceEdit* Editor(TXGrid* Grid) {
        return static_cast<TXGridInplaceEdit*>(Grid->GetInplaceEditor());
    }
    static void AltDown() {
        TestSeams::KeyDown(VK_MENU);
        TestSeams::KeyPress(VK_DOWN);
        TestSeams::KeyUp(VK_MENU);
        Pump();
    }
    std::vector<TRect> Dropped;
    TObject* DropSender = nullptr;
    int ListHeight = 0;
    std::vector<std::pair<int, UnicodeString>> Closed;
    int ButtonClicks = 0;
};

TEST_F(EditGridTest, PickListDropsDownBelowTheEditorAndClosesByKeys) {
    TXGrid* grid = MakeGrid();
    TXGridInplaceEdit* editor = Editor(grid);
    ASSERT_NE(editor, nullptr); // always shown
    EXPECT_EQ(editor->GetEditStyle(), esPickList);

    AltDown();
    ASSERT_TRUE(editor->GetListVisible());
    ASSERT_EQ(Dropped.size(), 1u);
    EXPECT_EQ(DropSender, editor);
    const TPoint origin = editor->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(Dropped[0].left, origin.x);
    EXPECT_EQ(Dropped[0].top, origin.y + editor->GetHeight());
    EXPECT_EQ(Dropped[0].Width(), editor->GetWidth());
    TPopupListbox* list = editor->GetPickList();
    // Seven items of the list in the editor's font, and the border.
    EXPECT_EQ(Dropped[0].Height(), 7 * list->GetItemHeight() + 4);
    RECT shown;
    GetWindowRect(list->GetHandle(), &shown);
    EXPECT_EQ(shown.left, origin.x);
    EXPECT_EQ(shown.top, origin.y + editor->GetHeight());
    EXPECT_EQ(list->GetItemIndex(), 3);
    EXPECT_TRUE(editor->Focused());

    TestSeams::KeyPress(VK_UP); // goes to the list
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_FALSE(editor->GetListVisible());
    EXPECT_FALSE(IsWindowVisible(list->GetHandle()));
    ASSERT_EQ(Closed.size(), 1u);
    EXPECT_EQ(Closed[0], (std::pair<int, UnicodeString>{2, u"abbey"}));
    EXPECT_EQ(editor->GetText(), u"abbey");

    AltDown();
    TestSeams::KeyPress(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(editor->GetListVisible());
    ASSERT_EQ(Closed.size(), 2u);
    EXPECT_EQ(Closed[1], (std::pair<int, UnicodeString>{-1, u""}));
    EXPECT_EQ(editor->GetText(), u"abbey");
}

TEST_F(EditGridTest, TypeAheadSearchesWhatWasTypedRecently) {
    TXGrid* grid = MakeGrid();
    TXGridInplaceEdit* editor = Editor(grid);
    AltDown();
    TPopupListbox* list = editor->GetPickList();
    struct Step {
        std::u16string typed;
        int waitMs;
        const char16_t* search;
        int index;
    } steps[] = {
        {u"ab", 0, u"ab", 1},
        {u"b", 100, u"abb", 2},
        {u"c", 2500, u"c", 4},                     // a pause starts a new search
        {u"\b", 0, u"", 4},                        // Backspace clears the text only
        {std::u16string(40, u'x'), 0, nullptr, 4}, // nothing matches: the selection stays
    };
    for (const Step& s : steps) {
        TestSeams::AdvanceClock(s.waitMs);
        for (char16_t ch : s.typed)
            SendMessageW(editor->GetHandle(), WM_CHAR, ch, 0);
        Pump();
        if (s.search) EXPECT_EQ(list->GetSearchText(), s.search);
        EXPECT_EQ(list->GetItemIndex(), s.index);
    }
    EXPECT_EQ(list->GetSearchText().size(), 32u); // the 33rd character is not added
    EXPECT_TRUE(editor->GetListVisible());
}

TEST_F(EditGridTest, ClicksOnTheButtonAndTheList) {
    TXGrid* grid = MakeGrid();
    TXGridInplaceEdit* editor = Editor(grid);
    const TRect button = editor->ButtonRect();
    ClickAt(editor, button.left + 3, 5);
    ASSERT_TRUE(editor->GetListVisible());
    // A click on an item picks it.
    TPopupListbox* list = editor->GetPickList();
    const TRect item = list->ItemRect(4);
    ClickAt(list, item.left + 5, item.top + 3);
    EXPECT_FALSE(editor->GetListVisible());
    ASSERT_EQ(Closed.size(), 1u);
    EXPECT_EQ(Closed[0].second, u"cherry");
    EXPECT_EQ(editor->GetText(), u"cherry");

    // A click on the button of an open list closes it without taking anything.
    ClickAt(editor, button.left + 3, 5);
    ClickAt(editor, button.left + 3, 5);
    EXPECT_FALSE(editor->GetListVisible());
    EXPECT_EQ(Closed.back().first, -1);

    // The focus going elsewhere closes it too.
    ClickAt(editor, button.left + 3, 5);
    ASSERT_TRUE(editor->GetListVisible());
    auto* other = new TEdit(Form);
    other->SetBounds(0, 200, 50, 20);
    other->SetParent(Form);
    other->SetFocus();
    Pump();
    EXPECT_FALSE(editor->GetListVisible());
    EXPECT_EQ(Closed.back().first, -1);
    EXPECT_EQ(editor->GetText(), u"cherry");
}

TEST_F(EditGridTest, ListOpensWhereItFitsNearTheScreenEdges) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(Form->GetHandle(), MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT work = mi.rcWork;
    struct Case {
        const char* where;
        int formTop; // screen top of the form, from the work area's top (negative: from its bottom)
        int listHeight; // the handler's height (0: the default)
        bool above;
    } cases[] = {
        {"middle", 100, 0, false},
        {"bottom edge", -120, 0, true},
        {"handler's tall list near the bottom", -200, 200, true},
        {"top edge with a tall list", 0, 260, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Form->SetTop(c.formTop >= 0 ? work.top + c.formTop : work.bottom + c.formTop);
        Form->SetLeft(work.right - Form->GetWidth() + 40); // partly off the right edge
        Pump();
        ListHeight = c.listHeight;
        TXGrid* grid = MakeGrid();
        TXGridInplaceEdit* editor = Editor(grid);
        AltDown();
        ASSERT_TRUE(editor->GetListVisible());
        RECT r;
        GetWindowRect(editor->GetPickList()->GetHandle(), &r);
        const TPoint origin = editor->ClientToScreen(TPoint(0, 0));
        if (c.above)
            EXPECT_EQ(r.bottom, origin.y);
        else
            EXPECT_EQ(r.top, origin.y + editor->GetHeight());
        EXPECT_GE(r.top, work.top);
        EXPECT_LE(r.bottom, work.bottom);
        EXPECT_LE(r.right, work.right);
        if (c.listHeight && r.bottom - r.top < c.listHeight)
            EXPECT_TRUE(r.top == work.top || r.bottom == work.bottom); // cut only at the edge
        else if (c.listHeight)
            EXPECT_EQ(r.bottom - r.top, c.listHeight);
        TestSeams::KeyPress(VK_ESCAPE);
        Pump();
        delete grid;
    }
}

TEST_F(EditGridTest, EllipsisButtonByClickAndCtrlEnter) {
    TXGrid* grid = MakeGrid();
    grid->SetCol(2);
    Pump();
    TXGridInplaceEdit* editor = Editor(grid);
    ASSERT_EQ(editor->GetEditStyle(), esEllipsis);
    editor->Repaint();
    // Three black squares in the middle of the raised button.
    const TRect b = editor->ButtonRect();
    const int d = std::max(1, editor->GetButtonWidth() / 8);
    const int x = b.left + b.Width() / 2 - 1, y = editor->GetHeight() / 2;
    for (int dx : {-2 * d, 0, 2 * d})
        EXPECT_EQ(PixelOf(editor, x + dx, y), RGB(0, 0, 0)) << dx;
    EXPECT_NE(PixelOf(editor, x + d, y), RGB(0, 0, 0));

    ClickAt(editor, b.left + 3, 5);
    EXPECT_EQ(ButtonClicks, 1);
    // A press that leaves the button before it is released is no click.
    TestSeams::MouseDown(TestSeams::ClientPoint(editor->GetHandle(), b.left + 3, 5));
    Pump();
    EXPECT_TRUE(editor->GetPressed());
    TestSeams::MouseMove(TestSeams::ClientPoint(editor->GetHandle(), 5, 5));
    Pump();
    EXPECT_FALSE(editor->GetPressed());
    TestSeams::MouseUp(TestSeams::ClientPoint(editor->GetHandle(), 5, 5));
    Pump();
    EXPECT_EQ(ButtonClicks, 1);

    editor->SetText(u"x");
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyPress(VK_RETURN);
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(ButtonClicks, 2);
    EXPECT_EQ(editor->GetText(), u"x"); // no line feed typed
}

TEST_F(EditGridTest, EditRequestsAndHints) {
    auto* grid = Place(new TTDStringGrid(Form), 260, 80);
    grid->SetOptions(grid->GetOptions() + goEditing);
    grid->SetFocus();
    auto editing = [&] {
        TestSeams::KeyPress(VK_F2);
        Pump();
        const bool shown = grid->GetInplaceEditor() && grid->GetInplaceEditor()->GetVisible();
        TestSeams::KeyPress(VK_RETURN);
        Pump();
        return shown;
    };
    EXPECT_TRUE(editing()); // no handler: the grid's own answer
    std::vector<std::pair<int, int>> asked;
    grid->OnEditRequest = [&](TObject*, int c, int r, bool& CanEdit) {
        asked.push_back({c, r});
        CanEdit = c != 2;
    };
    EXPECT_TRUE(editing());
    grid->SetCol(2);
    EXPECT_FALSE(editing());
    EXPECT_EQ(asked.back(), (std::pair<int, int>{2, 1}));

    THintInfo info;
    info.HintStr = u"grid's own";
    grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, u"grid's own");
    grid->OnHint = [](TObject*, THintInfo* Info) { Info->HintStr = u"from handler"; };
    grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, u"from handler");
}

} // namespace
