// The tree view over a linked tree: layout geometry, expansion of a large
// tree, keys, mouse, subfocus and selection, in-place editing, model
// reactions and the text query by WM_COPYDATA.
#include "PeerTestSupport.h"

#include "benchkit/mvc/IDEBasicViewManager.h"
#include <designpak/DesignServices.h>
#include "benchkit/mvc/IDETreeView.h"

#include <quorlpak/Colors.h>

namespace {

InterfacePtr<IInterface> Text(const std::u16string& s) {
    return InterfacePtr<IInterface>(static_cast<IStringObject*>(new TTextObject(s)));
}

std::u16string U(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

class TreeViewTest : public PeerTest {
protected:
    void SetUp() override {
        PeerTest::SetUp();
        Model = new TBasicTreeContainer(Text(u"root").Get());
        View = new TTreeView2(Form);
        View->SetBounds(0, 0, 280, 190);
        View->SetParent(Form);
        InterfacePtr<IGraphViewManager> vm(
            new TBasicViewManager(new TFocusableItemPainter(new TSelectableTextItemPainter),
                                  new TExpandingTextItemEditor));
        View->SetViewManager(vm.Get());
        InterfacePtr<IWritableGraphSelection> sel(new TBasicGraphSelection);
        View->SetSelection(sel.Get());
    }
    void TearDown() override {
        Model = nullptr;
        PeerTest::TearDown();
    }
    // Children "a".."c" under the root, "a1".."a3" under "a".
    void SmallTree() {
        InterfacePtr<IGraphLocation> root = Model->GetRoot();
        for (const char* n : {"a", "b", "c"}) {
            InterfacePtr<IGraphLocation> c = Model->AddChild(root.Get(), Text(U(n)).Get());
            if (std::string(n) == "a")
                for (const char* m : {"a1", "a2", "a3"})
                    Model->AddChild(c.Get(), Text(U(m)).Get());
        }
    }
    // The model in the view, its root opened.
    void Show() {
        View->SetModel(Model.Get());
        View->Expand(Model->GetRoot().Get());
        Pump();
    }
    InterfacePtr<IGraphLocation> Node(const std::u16string& text) {
        return Model->Find(FindData(text).Get());
    }
    InterfacePtr<IInterface> FindData(const std::u16string& text) {
        InterfacePtr<IInterface> found;
        std::function<void(IGraphLocation*)> walk = [&](IGraphLocation* n) {
            InterfacePtr<IInterface> d = Model->Get(n);
            if (d && InterfaceCast<IStringObject>(d.Get())->GetString() == text) found = d;
            InterfacePtr<IInterfaceList> ch = n->GetChildren();
            for (int i = 0; ch && i < ch->GetCount() && !found; ++i)
                walk(InterfaceCast<IGraphLocation>(ch->Get(i).Get()).Get());
        };
        walk(Model->GetRoot().Get());
        return found;
    }
    std::u16string SubfocusText() {
        InterfacePtr<IGraphLocation> s = View->GetSubfocus();
        return s ? InterfaceCast<IStringObject>(Model->Get(s.Get()).Get())->GetString() : u"";
    }
    void Key(int vk) {
        TestSeams::KeyPress(vk);
        Pump();
    }
    TNodeState* State(const std::u16string& text) { return View->GetViewState(Node(text).Get()); }

    InterfacePtr<TBasicTreeContainer> Model;
    TTreeView2* View = nullptr;
};

TEST_F(TreeViewTest, RowsSitByLevelWithAndWithoutRootAndRootLines) {
    SmallTree();
    struct Case {
        bool showRoot, rootLines;
        int aBoxLeft, aItemLeft, lines;
    } cases[] = {
        {true, true, 5 + 19, 5 + 19 + 14, 4},
        {false, true, 5, 5 + 14, 3},
        {true, false, 5 + 19 - 14, 5 + 19, 4},
    };
    for (const Case& c : cases) {
        View->SetModel(nullptr);
        View->SetShowRoot(c.showRoot);
        View->SetShowRootLines(c.rootLines);
        Show();
        TNodeState* a = State(u"a");
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->FBoxRect.Left, c.aBoxLeft);
        EXPECT_EQ(a->FItemRect.Left, c.aItemLeft);
        EXPECT_EQ(View->GetLineCount(), c.lines);
        EXPECT_EQ(a->FLevel, c.showRoot ? 1 : 0);
        // A point below the last row hits the last row.
        EXPECT_EQ(View->HitTestY(10000), State(u"c"));
    }
    // Collapsing the root row without root lines does nothing.
    View->Collapse(Model->GetRoot().Get());
    EXPECT_TRUE(View->IsExpanded(Model->GetRoot().Get()));
}

TEST_F(TreeViewTest, ExpandBeforeTheFirstLayoutIsAppliedThen) {
    SmallTree();
    // A view without a window has not laid out yet.
    View = new TTreeView2(Form);
    View->SetExpandByDefault(true);
    View->SetModel(Model.Get());
    View->Collapse(Node(u"a").Get());
    View->SetBounds(0, 0, 200, 150);
    View->SetParent(Form);
    Pump();
    EXPECT_FALSE(View->IsExpanded(Node(u"a").Get()));
    EXPECT_EQ(View->GetLineCount(), 4);
    View->Expand(Node(u"a").Get());
    EXPECT_EQ(View->GetLineCount(), 7);
    EXPECT_EQ(State(u"a2")->FLineNumber, 3);
}

TEST_F(TreeViewTest, HundredThousandNodesExpandScrollAndSelect) {
    InterfacePtr<IGraphLocation> root = Model->GetRoot();
    Model->EnableModelEvents(false);
    for (int i = 0; i < 100; ++i) {
        InterfacePtr<IGraphLocation> p =
            Model->AddChild(root.Get(), Text(U("n" + std::to_string(i))).Get());
        for (int j = 0; j < 999; ++j)
            Model->AddChild(p.Get(),
                            Text(U("n" + std::to_string(i) + "." + std::to_string(j))).Get());
    }
    Model->EnableModelEvents(true);
    Show();
    EXPECT_EQ(View->GetLineCount(), 101); // the root is open, its children closed
    View->ExpandAll(root.Get());
    Pump();
    EXPECT_EQ(View->GetLineCount(), 100001);
    EXPECT_EQ(View->GetVertScrollBar()->GetRange(), View->GetPreferredSize().Height);
    View->SetFocus();
    Pump();
    Key(VK_END);
    EXPECT_EQ(SubfocusText(), u"n99.998");
    TNodeState* last = State(u"n99.998");
    EXPECT_GE(last->FItemRect.Top, View->GetScrollPosition().y);
    EXPECT_LE(last->FItemRect.Top + last->FItemRect.Height,
              View->GetScrollPosition().y + View->GetViewportSize().Height);
    Key(VK_HOME);
    EXPECT_EQ(SubfocusText(), u"root");
    EXPECT_EQ(View->GetScrollPosition().y, 0);
    EXPECT_EQ(View->GetSelection()->GetCount(), 1);
}

struct KeyCase {
    const char* name;
    const char16_t* from;
    bool hiddenRoot;
    int key;
    const char16_t* to;
    int lines; // rows afterwards
};

const KeyCase KeyCases[] = {
    {"down", u"a", false, VK_DOWN, u"b", 4},
    {"up", u"b", false, VK_UP, u"a", 4},
    {"left to parent", u"b", false, VK_LEFT, u"root", 4},
    {"left not onto hidden root", u"b", true, VK_LEFT, u"b", 3},
    {"right expands", u"a", false, VK_RIGHT, u"a", 7},
    {"plus expands", u"a", false, VK_ADD, u"a", 7},
    {"star expands all", u"root", false, VK_MULTIPLY, u"root", 7},
    {"minus collapses", u"root", false, VK_SUBTRACT, u"root", 1},
};

class TreeViewKeyTest : public TreeViewTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(TreeViewKeyTest, MovesAndExpands) {
    const KeyCase& c = GetParam();
    SmallTree();
    View->SetShowRoot(!c.hiddenRoot);
    Show();
    View->SetFocus();
    View->SetSubfocus(Node(c.from).Get());
    Pump();
    Key(c.key);
    EXPECT_EQ(SubfocusText(), c.to);
    EXPECT_EQ(View->GetLineCount(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Tree, TreeViewKeyTest, testing::ValuesIn(KeyCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST_F(TreeViewTest, PageKeysOverRowsWithoutHeightMoveOneRow) {
    SmallTree();
    View->SetViewManager(nullptr); // nothing measures: every row is 0 high
    Show();
    View->SetFocus();
    View->SetSubfocus(Node(u"a").Get());
    Pump();
    Key(VK_NEXT);
    EXPECT_EQ(SubfocusText(), u"b");
    Key(VK_PRIOR);
    EXPECT_EQ(SubfocusText(), u"a");
}

// One wheel notch scrolls by the system's line count, whatever it is set to;
// the "page per notch" setting scrolls one page.
TEST_F(TreeViewTest, TheWheelScrollsByTheSystemsLineCount) {
    InterfacePtr<IGraphLocation> root = Model->GetRoot();
    for (int i = 0; i < 300; ++i) Model->AddChild(root.Get(), Text(U("n" + std::to_string(i))).Get());
    Show();
    View->SetFocus(); // the wheel goes to the focused window
    Pump();
    UINT saved = 0;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
    POINT p{50, 50};
    ClientToScreen(View->GetHandle(), &p);
    auto notch = [&](UINT lines) {
        SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
        const int before = View->GetScrollPosition().y;
        TestSeams::Wheel(p, -WHEEL_DELTA);
        Pump();
        return View->GetScrollPosition().y - before;
    };
    const int one = notch(1);
    ASSERT_GT(one, 0);
    EXPECT_EQ(notch(5), 5 * one);
    const int before = View->GetScrollPosition().y;
    SendMessageW(View->GetHandle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    const int page = View->GetScrollPosition().y - before;
    EXPECT_EQ(notch(WHEEL_PAGESCROLL), page);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
}

TEST_F(TreeViewTest, RemovingTheSubfocusedRowMovesToItsNeighbour) {
    SmallTree();
    Show();
    View->SetSubfocus(Node(u"b").Get());
    Model->Remove(Node(u"b").Get());
    Pump();
    EXPECT_EQ(SubfocusText(), u"c");
    Model->Remove(Node(u"c").Get());
    Pump();
    EXPECT_EQ(SubfocusText(), u"a");
    EXPECT_EQ(View->GetLineCount(), 2);
}

TEST_F(TreeViewTest, ShiftAndCtrlClicksBuildTheSelection) {
    SmallTree();
    Show();
    View->SetFocus();
    Pump();
    auto clickOn = [&](const char16_t* text, int vkModifier) {
        TNodeState* s = State(text);
        if (vkModifier) TestSeams::KeyDown(vkModifier);
        ClickAt(View, s->FItemRect.Left + 2, s->FItemRect.Top + 2 - View->GetScrollPosition().y);
        if (vkModifier) TestSeams::KeyUp(vkModifier);
        Pump();
    };
    clickOn(u"a", 0);
    clickOn(u"c", VK_CONTROL);
    EXPECT_EQ(View->GetSelection()->GetCount(), 2);
    clickOn(u"a", VK_CONTROL);
    EXPECT_EQ(View->GetSelection()->GetCount(), 1);
    EXPECT_EQ(SubfocusText(), u"a");
    clickOn(u"b", 0);
    EXPECT_EQ(View->GetSelection()->GetCount(), 1);
    EXPECT_TRUE(View->GetSelection()->Contains(Node(u"b").Get()));
}

TEST_F(TreeViewTest, ClickOnTheBoxTogglesTheNode) {
    SmallTree();
    Show();
    TNodeState* a = State(u"a");
    ClickAt(View, a->FBoxRect.Left + 4, a->FBoxRect.Top + 4);
    EXPECT_TRUE(View->IsExpanded(Node(u"a").Get()));
    ClickAt(View, a->FBoxRect.Left + 4, a->FBoxRect.Top + 4);
    EXPECT_FALSE(View->IsExpanded(Node(u"a").Get()));
}

TEST_F(TreeViewTest, EditWithF2PostsWithEnterAndCancelsWithEscape) {
    SmallTree();
    Show();
    View->SetFocus();
    View->SetSubfocus(Node(u"b").Get());
    Pump();
    Key(VK_F2);
    ASSERT_TRUE(View->IsEditing());
    TestSeams::TypeText(u"bee");
    Pump();
    auto* field = dynamic_cast<TTextField*>(View->GetEditor()->GetComponent());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetText(), u"bee");
    EXPECT_TRUE(field->Focused());
    Key(VK_RETURN);
    EXPECT_FALSE(View->IsEditing());
    EXPECT_TRUE(FindData(u"bee"));
    EXPECT_EQ(SubfocusText(), u"bee");
    EXPECT_TRUE(View->Focused());

    Key(VK_F2);
    ASSERT_TRUE(View->IsEditing());
    TestSeams::TypeText(u"zzz");
    Key(VK_ESCAPE);
    EXPECT_FALSE(View->IsEditing());
    EXPECT_FALSE(FindData(u"zzz"));
    EXPECT_EQ(SubfocusText(), u"bee");
}

TEST_F(TreeViewTest, TypingALetterStartsAnEditWithIt) {
    SmallTree();
    Show();
    View->SetFocus();
    View->SetSubfocus(Node(u"c").Get());
    Pump();
    for (char16_t ch : {u' ', u'+', u'-', u'*'}) {
        TestSeams::TypeText(std::u16string(1, ch));
        Pump();
        EXPECT_FALSE(View->IsEditing()) << char(ch);
    }
    TestSeams::TypeText(u"x");
    Pump();
    ASSERT_TRUE(View->IsEditing());
    auto* field = dynamic_cast<TTextField*>(View->GetEditor()->GetComponent());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetText(), u"x");
    View->EndEdit(true);
    EXPECT_TRUE(FindData(u"x"));
}

TEST_F(TreeViewTest, ASecondSlowClickEditsAndADoubleClickActs) {
    SmallTree();
    Show();
    std::vector<UnicodeString> actions;
    View->OnActionPerformed = [&](IActionEvent* E) { actions.push_back(E->GetActionCommand()); };
    View->SetFocus();
    Pump();
    TNodeState* b = State(u"b");
    const int x = b->FItemRect.Left + 2, y = b->FItemRect.Top + 2;
    ClickAt(View, x, y);
    ClickAt(View, x, y); // ClickAt waits a second: no double click
    EXPECT_FALSE(View->IsEditing());
    TestSeams::AdvanceClock(600);
    Pump();
    ASSERT_TRUE(View->IsEditing());
    View->CancelEdit();

    TestSeams::Click(TestSeams::ClientPoint(View->GetHandle(), x, y));
    Pump();
    TestSeams::Click(TestSeams::ClientPoint(View->GetHandle(), x, y));
    Pump();
    TestSeams::AdvanceClock(600);
    Pump();
    EXPECT_FALSE(View->IsEditing());
    EXPECT_EQ(actions, std::vector<UnicodeString>{u"b"});
}

TEST_F(TreeViewTest, ReadOnlyViewNeverEdits) {
    SmallTree();
    Show();
    View->SetReadOnly(true);
    View->StartEdit(Node(u"a").Get());
    EXPECT_FALSE(View->IsEditing());
    EXPECT_FALSE(View->CanModify(Node(u"a").Get()));
}

TEST_F(TreeViewTest, AfterAnEditTheManagerHandsOutAFreshExpandingEditor) {
    SmallTree();
    Show();
    InterfacePtr<IItemEditor> before = View->GetViewManager()->GetEditor(nullptr, nullptr, {});
    View->StartEdit(Node(u"a").Get());
    ASSERT_TRUE(View->IsEditing());
    View->EndEdit(true);
    Pump(); // the end-edit message
    InterfacePtr<IItemEditor> after = View->GetViewManager()->GetEditor(nullptr, nullptr, {});
    EXPECT_NE(after, before);
    EXPECT_NE(dynamic_cast<TExpandingTextItemEditor*>(after.Get()), nullptr);
}

struct CopyDataCase {
    const char* name;
    std::u16string text;
    ULONG_PTR dwData;
    bool showRoot;
    bool terminated;
    LRESULT line;
};

const CopyDataCase CopyDataCases[] = {
    {"case-insensitive", u"A2", 0, true, true, 3},
    {"case-sensitive miss", u"A2", 1, true, true, -1},
    {"case-sensitive hit", u"a2", 1, true, true, 3},
    {"hidden root first child", u"a", 0, false, true, 0},
    {"hidden root not found", u"root", 0, false, true, -1},
    {"collapsed nodes count", u"c", 0, true, true, 6},
    {"no terminator", u"b", 0, true, false, 5},
};

class TreeViewCopyDataTest : public TreeViewTest,
                             public testing::WithParamInterface<CopyDataCase> {};

TEST_P(TreeViewCopyDataTest, FindsTheLineOfAText) {
    const CopyDataCase& c = GetParam();
    SmallTree();
    View->SetShowRoot(c.showRoot);
    Show();
    std::u16string buffer = c.text;
    if (c.terminated)
        buffer.push_back(0);
    else
        buffer += u"ZZZZ"; // the bytes past cbData must not be read
    COPYDATASTRUCT cds{c.dwData, DWORD(c.text.size() * 2 + (c.terminated ? 2 : 0)), buffer.data()};
    EXPECT_EQ(SendMessageW(View->GetHandle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)),
              c.line);
}

INSTANTIATE_TEST_SUITE_P(Tree, TreeViewCopyDataTest, testing::ValuesIn(CopyDataCases),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST_F(TreeViewTest, PaintsSelectionAndTheGapsBetweenRows) {
    SmallTree();
    View->SetVgap(3);
    Show();
    View->Refresh();
    Pump();
    View->SetFocus();
    View->SetSubfocus(Node(u"b").Get());
    Pump();
    ASSERT_TRUE(View->Focused());
    TItemState st = View->GetState(State(u"b"));
    EXPECT_TRUE(st.Contains(isSelected));
    EXPECT_FALSE(st.Contains(isInactive));
    Pump();
    TNodeState* b = State(u"b");
    RECT upd;
    EXPECT_FALSE(GetUpdateRect(View->GetHandle(), &upd, FALSE));
    HDC dc = GetDC(View->GetHandle());
    COLORREF inside =
        GetPixel(dc, b->FItemRect.Left + b->FItemRect.Width - 3, b->FItemRect.Top + 3);
    COLORREF gap = GetPixel(dc, b->FItemRect.Left + 30, b->FItemRect.Top + b->FItemRect.Height + 1);
    ReleaseDC(View->GetHandle(), dc);
    EXPECT_EQ(inside, COLORREF(ColorToRGB(clHighlight)));
    EXPECT_EQ(gap, COLORREF(ColorToRGB(View->GetColor())));
}

TEST_F(TreeViewTest, ArrowStyleDrawsTheMarkOfEachStateTransparently) {
    SmallTree();
    View->SetStyle(tvsArrows);
    Show();
    EXPECT_EQ(View->GetBoxSize().Width, 12);
    auto pixelsOfBox = [&](const std::u16string& text) {
        View->Refresh();
        Pump();
        const TRectangle& box = State(text)->FBoxRect;
        HDC dc = GetDC(View->GetHandle());
        // The corner lies outside the mark; (4, 2) on the collapsed mark's
        // stem; (8, 4) on the expanded mark's top edge only.
        std::vector<COLORREF> at = {GetPixel(dc, box.Left, box.Top),
                                    GetPixel(dc, box.Left + 4, box.Top + 2),
                                    GetPixel(dc, box.Left + 8, box.Top + 4)};
        ReleaseDC(View->GetHandle(), dc);
        return at;
    };
    const COLORREF back = ColorToRGB(View->GetColor()), mark = RGB(0x40, 0x40, 0x40);
    EXPECT_EQ(pixelsOfBox(u"a"), (std::vector<COLORREF>{back, mark, back}));
    View->Expand(Node(u"a").Get());
    Pump();
    EXPECT_EQ(pixelsOfBox(u"a"), (std::vector<COLORREF>{back, back, mark}));
}

} // namespace

namespace {

class TTreeNotes : public TInterfacedObject, public ITreeListener {
public:
    explicit TTreeNotes(std::vector<std::string>* Log) : FLog(Log) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<ITreeListener, IEventListener>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    void NodeExpanded(ITreeEvent* E) override { FLog->push_back("listener expanded"); }
    void NodeCollapsed(ITreeEvent* E) override { FLog->push_back("listener collapsed"); }

private:
    std::vector<std::string>* FLog;
};

TEST_F(TreeViewTest, ExpandingAndCollapsingAreAnnouncedBeforeTheyHappen) {
    SmallTree();
    Show();
    InterfacePtr<TTreeNotes> notes(new TTreeNotes(&Log));
    View->AddTreeListener(notes.Get());
    View->OnNodeExpanded = [&](ITreeEvent* E) {
        Log.push_back(std::string("event expanded, was open ") +
                      (View->IsExpanded(E->GetLocation().Get()) ? "yes" : "no"));
    };
    View->OnNodeCollapsed = [&](ITreeEvent*) { Log.push_back("event collapsed"); };
    View->Expand(Node(u"a").Get());
    View->Expand(Node(u"a").Get()); // already open: nothing
    View->Collapse(Node(u"a").Get());
    EXPECT_EQ(Log, (std::vector<std::string>{"event expanded, was open no", "listener expanded",
                                             "event collapsed", "listener collapsed"}));
}

} // namespace
