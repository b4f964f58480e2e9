// The colour helpers and controls colour choosers are made of: web colour
// names and notation, colour ordering, the colour box and colour list box,
// and the labelled edit.
#include "StdControlsTestSupport.h"

#include <quorlpak/ColorBox.h>
#include <quorlpak/ColorGrd.h>
#include <quorlpak/GraphUtil.h>
#include <quorlpak/LabeledEdit.h>

#include <set>

namespace {

TEST(WebColorsTest, NamedColorsAreUniqueAndPrefixed) {
    const TColorArray& colors = WebNamedColors();
    ASSERT_EQ(colors.size(), 138u);
    std::set<TColor> values;
    for (const TColorArrayEntry& c : colors) {
        EXPECT_EQ(c.Name.substr(0, 5), u"clWeb");
        EXPECT_GT(c.Name.size(), 5u);
        values.insert(c.Value);
    }
    EXPECT_EQ(values.size(), 138u);
}

TEST(WebColorsTest, StringsAndNames) {
    struct Case {
        TColor color;
        const char16_t* str;
        const char16_t* name;
    } cases[] = {
        {clRed, u"#FF0000", u"clWebRed"},
        {static_cast<TColor>(RGB(0xF0, 0xF8, 0xFF)), u"#F0F8FF", u"clWebAliceBlue"},
        {static_cast<TColor>(RGB(0xFF, 0x00, 0xFF)), u"#FF00FF", u"clWebFuchsia"},
        {static_cast<TColor>(RGB(0x12, 0x34, 0x56)), u"#123456", u"#123456"},
        {clBlack, u"#000000", u"clWebBlack"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColorToWebColorStr(c.color), c.str);
        EXPECT_EQ(RGBToWebColorStr(static_cast<COLORREF>(c.color)), c.str);
        EXPECT_EQ(ColorToWebColorName(c.color), c.name);
        EXPECT_EQ(RGBToWebColorName(static_cast<COLORREF>(c.color)), c.name);
    }
    // System colours are resolved to what they stand for.
    EXPECT_EQ(ColorToWebColorStr(clWindow), RGBToWebColorStr(GetSysColor(COLOR_WINDOW)));
}

TEST(WebColorsTest, SortingByLuminanceRunsFromBlackToWhiteWithinTheRange) {
    TColorArray colors = WebNamedColors();
    SortColorArray(colors, 0, int(colors.size()) - 1, 2);
    EXPECT_EQ(colors.front().Name, u"clWebBlack");
    EXPECT_EQ(colors.back().Name, u"clWebWhite");
    auto lum = [](TColor c) {
        uint16_t h, l, s;
        ColorRGBToHLS(static_cast<COLORREF>(c), h, l, s);
        return l;
    };
    for (size_t i = 1; i < colors.size(); ++i)
        EXPECT_LE(lum(colors[i - 1].Value), lum(colors[i].Value)) << i;
    SortColorArray(colors, 0, int(colors.size()) - 1, 2, true);
    EXPECT_EQ(colors.front().Name, u"clWebWhite");
    // Only the range given moves; an index past the end is cut to it.
    TColorArray part = WebNamedColors();
    SortColorArray(part, 2, 500, 2);
    EXPECT_EQ(part[0].Name, u"clWebAliceBlue");
    EXPECT_EQ(part[1].Name, u"clWebAntiqueWhite");
    EXPECT_EQ(part[2].Name, u"clWebBlack");
}

class ColorBoxTest : public StdControlsTest {
protected:
    static bool HasPixel(HWND hwnd, const RECT& r, COLORREF colour) {
        UpdateWindow(hwnd);
        for (COLORREF c : Pixels(hwnd, r)) {
            if (c == colour) return true;
        }
        return false;
    }
};

TEST_F(ColorBoxTest, StyleChoosesTheItemsAndTheirNames) {
    auto* box = Make<TColorBox>(10, 10, 160, 22);
    // Standard, extended and system colours by default.
    EXPECT_EQ(box->GetStyle(),
              (TColorBoxStyle{cbStandardColors, cbExtendedColors, cbSystemColors}));
    EXPECT_EQ(box->GetColors(0), clBlack);
    EXPECT_EQ(box->GetColorNames(0), u"clBlack");
    EXPECT_EQ(box->GetColors(16), clMoneyGreen);
    EXPECT_EQ(box->GetColors(20), clScrollBar);
    box->SetSelected(clRed);
    box->SetStyle(TColorBoxStyle{cbIncludeNone, cbStandardColors, cbSystemColors, cbPrettyNames});
    EXPECT_EQ(box->GetColors(0), clNone);
    EXPECT_EQ(box->GetColorNames(0), u"None");
    EXPECT_EQ(box->GetSelected(), clRed); // kept across the new items
    EXPECT_EQ(box->GetText(), u"Red");
    std::vector<UnicodeString> names;
    for (int i = 0; i < box->GetCount(); ++i)
        names.push_back(box->GetColorNames(i));
    for (const char16_t* pretty : {u"Active Border", u"3D Dk Shadow", u"Btn Face", u"Menu Bar"})
        EXPECT_NE(std::find(names.begin(), names.end(), pretty), names.end())
            << UnicodeString(pretty).size();
    // A colour it does not list, and the marker for none, select nothing.
    box->SetSelected(clMoneyGreen);
    EXPECT_EQ(box->GetItemIndex(), -1);
    EXPECT_EQ(box->GetSelected(), NoColorSelected);
    box->SetSelected(clBlue);
    box->SetSelected(NoColorSelected);
    EXPECT_EQ(box->GetItemIndex(), -1);
}

TEST_F(ColorBoxTest, TheBoxesDrawTheSwatchAndTheKeysSelect) {
    auto* box = Make<TColorBox>(10, 10, 160, 22);
    int selects = 0;
    box->OnSelect = [&](TObject*) { ++selects; };
    box->SetSelected(clLime);
    Pump();
    EXPECT_TRUE(HasPixel(box->GetHandle(), RECT{0, 0, 30, 20}, RGB(0, 255, 0)));
    Focus(box);
    Key(VK_DOWN);
    EXPECT_EQ(box->GetSelected(), clYellow);
    EXPECT_EQ(selects, 1);

    auto* list = Make<TColorListBox>(10, 50, 160, 120);
    list->SetStyle(TColorBoxStyle{cbSystemColors, cbPrettyNames});
    list->SetSelected(clActiveBorder);
    EXPECT_EQ(list->GetSelected(), clActiveBorder);
    EXPECT_EQ(list->GetItems()->Get(list->GetItemIndex()), u"Active Border");
    Pump();
    const TRect selected = list->ItemRect(list->GetItemIndex());
    EXPECT_TRUE(HasPixel(list->GetHandle(), selected, GetSysColor(COLOR_ACTIVEBORDER)));
}

TEST_F(StdControlsTest, LabeledEditKeepsItsLabelBesideIt) {
    auto* edit = Make<TLabeledEdit>(100, 100, 80, 21);
    TBoundLabel* label = edit->GetEditLabel();
    label->SetCaption(u"&Red:");
    EXPECT_EQ(label->GetParent(), form);
    struct Case {
        TLabelPosition pos;
        int left, top; // of the label, relative to the edit's corner
    } cases[] = {
        {lpAbove, 0, -label->GetHeight() - 3},
        {lpBelow, 0, 21 + 3},
        {lpLeft, -label->GetWidth() - 3, (21 - label->GetHeight()) / 2},
        {lpRight, 80 + 3, (21 - label->GetHeight()) / 2},
    };
    for (const Case& c : cases) {
        edit->SetLabelPosition(c.pos);
        EXPECT_EQ(label->GetLeft() - edit->GetLeft(), c.left) << c.pos;
        EXPECT_EQ(label->GetTop() - edit->GetTop(), c.top) << c.pos;
    }
    edit->SetLeft(150);
    EXPECT_EQ(label->GetLeft(), 150 + 80 + 3);
    edit->SetEnabled(false);
    EXPECT_FALSE(label->GetEnabled());
    edit->SetEnabled(true);
    edit->SetVisible(false);
    EXPECT_FALSE(label->GetVisible());
    edit->SetVisible(true);
    // The label's accelerator gives the edit the focus.
    auto* other = Make<TButton>(10, 10, 50, 21);
    Focus(other);
    Key('R');
    EXPECT_TRUE(edit->Focused());
}

// A list whose window holds no strings, as owner-drawn rows do.
class TNoStringsList : public TListBox {
public:
    using TListBox::TListBox;

protected:
    void CreateParams(TCreateParams& Params) override {
        TListBox::CreateParams(Params);
        Params.Style &= ~DWORD(LBS_HASSTRINGS);
    }
};

TEST_F(StdControlsTest, ListWithoutStringsKeepsItsSelectionWhenItemsChange) {
    auto* list = Make<TNoStringsList>(10, 10, 150, 120);
    list->SetStyle(lbOwnerDrawFixed);
    TObject rows[5];
    for (int i = 0; i < 4; ++i)
        list->GetItems()->AddObject(u"", &rows[i]);
    list->SetItemIndex(2);
    list->GetItems()->Add(u"after"); // after the selection
    EXPECT_EQ(list->GetItemIndex(), 2);
    list->GetItems()->InsertObject(0, u"", &rows[4]); // before it: the selection moves along
    EXPECT_EQ(list->GetItemIndex(), 3);
    EXPECT_EQ(list->GetItems()->GetObjects(3), &rows[2]);
    list->GetItems()->Delete(3); // the selected item itself
    EXPECT_EQ(list->GetItemIndex(), -1);
    // Items without objects keep the selection where the place remains.
    list->GetItems()->Clear();
    list->GetItems()->SetCommaText(u"a,b,c");
    list->SetItemIndex(1);
    list->GetItems()->Add(u"d");
    EXPECT_EQ(list->GetItemIndex(), 1);
}

} // namespace

namespace {

TEST_F(StdControlsTest, ColorGridChoosesForegroundAndBackground) {
    auto* grid = Make<TColorGrid>(10, 10, 160, 160); // 4 x 4 squares of 40
    int changes = 0;
    grid->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(grid->GetForegroundColor(), clBlack);
    EXPECT_EQ(grid->GetBackgroundColor(), clWhite);
    ClickAt(grid, 60, 20); // square 1
    EXPECT_EQ(grid->GetForegroundIndex(), 1);
    EXPECT_EQ(grid->GetForegroundColor(), clMaroon);
    TestSeams::Click(TestSeams::ClientPoint(grid->GetHandle(), 20, 60), VK_RBUTTON);
    Pump();
    EXPECT_EQ(grid->GetBackgroundIndex(), 4);
    EXPECT_EQ(changes, 2);
    // The keys: move the selection, then make it the foreground or background.
    Key(VK_DOWN); // 4 -> 8
    Key(VK_RIGHT);
    Key('F');
    EXPECT_EQ(grid->GetForegroundIndex(), 9);
    EXPECT_EQ(grid->GetForegroundColor(), clRed);
    // A switched-off choice ignores clicks unless a click switches it on.
    grid->SetForegroundEnabled(false);
    ClickAt(grid, 140, 140);
    EXPECT_EQ(grid->GetForegroundIndex(), 9);
    grid->SetClickEnablesColor(true);
    ClickAt(grid, 140, 140);
    EXPECT_TRUE(grid->GetForegroundEnabled());
    EXPECT_EQ(grid->GetForegroundIndex(), 15);
    grid->SetGridOrdering(go16x1);
    EXPECT_EQ(grid->SquareFromPos(15, 5), 1);
    EXPECT_EQ(grid->SquareFromPos(5, 200), -1);
}

} // namespace
