// The tree edit links end to end in a virtual string tree: typing, Enter,
// Escape, Up and Down to the next node, multi-line nodes, validation, the
// buttoned edit and the combo boxes, with history.
#include "ControlsTestSupport.h"

#include "benchkit/controls/VTEditors.h"
#include "benchkit/props/IDEHistoryLists.h"
#include "benchkit/props/IDEPropCtrls.h"

#include <quorlpak/ImgList.h>

#include <map>
#include <string>

namespace {

class TreeEditLinksTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        InitializeIDEVirtualTrees();
        tree = Place(new TVirtualStringTree(Form), 300, 200);
        tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex, TQOZTextType,
                                 UnicodeString& text) { text = Text[node]; };
        tree->OnNewText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex,
                                 const UnicodeString& text) {
            Text[node] = text;
            ++written;
        };
        tree->SetRootNodeCount(3);
        Text[N(0)] = u"alpha";
        Text[N(1)] = u"beta";
        Text[N(2)] = u"gamma";
        TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
        misc.Include(toEditable);
        tree->GetTreeOptions()->SetMiscOptions(misc);
        tree->OnCreateEditor = [this](TBaseVirtualTree*, PVirtualNode, TColumnIndex,
                                      TVTEditLinkRef& Link) { Link = MakeLink(); };
        tree->SetFocus();
        Pump();
    }
    void TearDown() override {
        delete Form; // the tree and any editor with it
        Form = nullptr;
        Pump();
        FinalizeVTEditors();
        ControlsTest::TearDown();
        FinalizeIDEVirtualTrees();
    }
    PVirtualNode N(int index) {
        PVirtualNode node = tree->GetFirst();
        for (int i = 0; node && i < index; ++i) node = tree->GetNextSibling(node);
        return node;
    }
    void Key(int vk, bool ctrl = false) {
        if (ctrl) TestSeams::KeyDown(VK_CONTROL);
        TestSeams::KeyPress(vk);
        if (ctrl) TestSeams::KeyUp(VK_CONTROL);
        Pump();
    }
    void Type(std::u16string_view text) {
        TestSeams::TypeText(text);
        Pump();
    }
    // Starts editing node Index with the link MakeLink gives.
    TTreeLink* Edit(int index) {
        EXPECT_TRUE(tree->EditNode(N(index), NoColumn));
        Pump();
        return static_cast<TTreeLink*>(tree->GetEditLink());
    }

    std::function<TVTEditLinkRef()> MakeLink = [this] {
        return NewTreeLink<TTreeEditLink>(tree, Validate);
    };
    TValidateEvent Validate;
    TVirtualStringTree* tree = nullptr;
    std::map<PVirtualNode, UnicodeString> Text;
    int written = 0;
};

TEST_F(TreeEditLinksTest, EnterWritesEscapeRestoresAndCaseCounts) {
    TTreeLink* link = Edit(1);
    ASSERT_NE(link, nullptr);
    TWinControl* control = link->GetControl();
    EXPECT_TRUE(control->Focused());
    EXPECT_EQ(link->GetValue(), u"beta");
    EXPECT_EQ(control->GetBoundsRect(), tree->GetDisplayRect(N(1), NoColumn, false));

    struct Case {
        const char* what;
        std::u16string typed;
        int key;
        std::u16string stored;
        int writes;
    } cases[] = {
        {"typed and Enter", u"delta", VK_RETURN, u"delta", 1},
        {"unchanged and Enter", u"", VK_RETURN, u"delta", 0},
        {"only the letter case", u"DELTA", VK_RETURN, u"DELTA", 1},
        {"typed and Escape", u"omega", VK_ESCAPE, u"DELTA", 0},
    };
    bool first = true;
    for (const Case& c : cases) {
        if (!first) {
            ASSERT_NE(Edit(1), nullptr) << c.what;
        }
        first = false;
        written = 0;
        if (!c.typed.empty()) Type(c.typed); // the text is selected: typing replaces it
        Key(c.key);
        EXPECT_FALSE(tree->IsEditing()) << c.what;
        EXPECT_EQ(Text[N(1)], c.stored) << c.what;
        EXPECT_EQ(written, c.writes) << c.what;
        EXPECT_TRUE(tree->Focused()) << c.what;
    }
    Pump(); // the released editors go
}

TEST_F(TreeEditLinksTest, UpAndDownMoveToTheNeighbourAndStopAtTheEnds) {
    ASSERT_NE(Edit(1), nullptr);
    Type(u"b2");
    Key(VK_DOWN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(1)], u"b2");
    EXPECT_EQ(tree->GetFocusedNode(), N(2));

    // At the last node Down is swallowed and editing goes on.
    ASSERT_NE(Edit(2), nullptr);
    Type(u"g2");
    Key(VK_DOWN);
    EXPECT_TRUE(tree->IsEditing());
    EXPECT_EQ(Text[N(2)], u"gamma");
    Key(VK_UP);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(2)], u"g2");
    EXPECT_EQ(tree->GetFocusedNode(), N(1));

    ASSERT_NE(Edit(0), nullptr);
    Key(VK_UP);
    EXPECT_TRUE(tree->IsEditing());
    Key(VK_ESCAPE);
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(TreeEditLinksTest, MultiLineNodesKeepArrowsAndEndWithCtrlEnter) {
    N(1)->States.Include(vsMultiline);
    ASSERT_NE(Edit(1), nullptr);
    Type(u"x");
    Key(VK_DOWN); // the control's, not the tree's
    Key(VK_RETURN);
    EXPECT_TRUE(tree->IsEditing());
    EXPECT_EQ(tree->GetFocusedNode(), N(1));
    Key(VK_RETURN, true);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(1)], u"x");
}

TEST_F(TreeEditLinksTest, ValidationRewritesOrRefuses) {
    Validate = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, UnicodeString& NewText,
                  bool& Accept) {
        if (NewText == u"bad")
            Accept = false;
        else
            NewText = NewText + u"!";
    };
    TTreeLink* link = Edit(1);
    Type(u"bad");
    EXPECT_FALSE(link->EndEdit());
    EXPECT_EQ(link->GetValue(), u"beta"); // the initial text is back
    EXPECT_TRUE(tree->IsEditing());

    TestSeams::KeyPress(VK_END);
    Type(u"2");
    Key(VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(1)], u"beta2!");
}

TEST_F(TreeEditLinksTest, ButtonedEditAsksTheHostAndKeepsEditingMeanwhile) {
    int clicks = 0;
    MakeLink = [&] {
        TVTEditLinkRef link = NewTreeLink<TTreeButtonedEditLink>(tree, nullptr);
        InterfacePtr<ITreeButtonedEditLink> buttoned;
        EXPECT_TRUE(Supports(link.Get(), buttoned));
        buttoned->SetRBClick([&](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex,
                                 UnicodeString& NewText, bool& Accept) {
            ++clicks;
            EXPECT_EQ(Node, N(0));
            EXPECT_FALSE(Accept);
            NewText = NewText + u"...";
            Accept = true;
        });
        return link;
    };
    auto* images = new TImageList(Form);
    images->SetSize(8, 8);
    auto* link = static_cast<TTreeButtonedEditLink*>(Edit(0));
    ASSERT_NE(link, nullptr);
    link->SetImages(images);
    TCustomButtonedEdit* edit = link->GetButtonedEdit();
    EXPECT_TRUE(edit->GetRightButton()->GetVisible());
    TCustomControl* button = edit->GetRightButton()->GetGlyph();
    ASSERT_NE(button, nullptr);
    ClickAt(button, button->GetWidth() / 2, button->GetHeight() / 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(tree->IsEditing());
    EXPECT_EQ(link->GetValue(), u"alpha...");

    // Leaving the edit ends editing and writes.
    auto* other = Place(new TEdit(Form), 50, 20);
    other->SetTop(250);
    other->SetFocus();
    Pump();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(0)], u"alpha...");
}

TEST_F(TreeEditLinksTest, ComboLinkChoosesFromItsListAndRespectsTheOpenList) {
    MakeLink = [&] {
        return NewTreeLink<TTreeComboBoxLink>(
            tree, std::vector<UnicodeString>{u"red", u"green", u"blue"}, nullptr);
    };
    auto* link = static_cast<TTreeComboBoxLink*>(Edit(1));
    ASSERT_NE(link, nullptr);
    TCustomComboBox* combo = link->GetComboBox();
    EXPECT_EQ(combo->GetItems()->GetCount(), 3);
    EXPECT_TRUE(link->GetEditable());
    EXPECT_EQ(combo->GetText(), u"beta");

    // Open the list, pick with the keys; Enter closes the list, a second Enter ends editing.
    Key(VK_F4);
    ASSERT_TRUE(combo->GetDroppedDown());
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_FALSE(combo->GetDroppedDown());
    EXPECT_TRUE(tree->IsEditing());
    EXPECT_EQ(link->GetValue(), u"red");
    Key(VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(1)], u"red");

    // A list-only combo selects the item of the cell's text.
    MakeLink = [&] {
        TVTEditLinkRef l = NewTreeLink<TTreeComboBoxLink>(
            tree, std::vector<UnicodeString>{u"red", u"green", u"blue"}, nullptr);
        static_cast<TTreeComboBoxLink*>(l.Get())->SetEditable(false);
        return l;
    };
    link = static_cast<TTreeComboBoxLink*>(Edit(1));
    EXPECT_FALSE(link->GetEditable());
    EXPECT_EQ(link->GetComboBox()->GetItemIndex(), 0);
    Key(VK_DOWN);
    EXPECT_FALSE(tree->IsEditing()); // closed: Down moves to the next node...
    EXPECT_EQ(Text[N(1)], u"red"); // ...with the value unchanged
    EXPECT_EQ(tree->GetFocusedNode(), N(2));
}

TEST_F(TreeEditLinksTest, HistoryComboMergesItsTextWhenReleased) {
    auto* manager = new TCustomHistoryManager(Form);
    TStringList lists;
    lists.Add(u"Names");
    manager->SetLists(&lists);
    manager->UpdateHistoryList(u"Names", u"older");
    MakeLink = [&] {
        return NewTreeLink<TTreeHistoryPropComboBoxLink>(tree, manager, u"Names", nullptr);
    };
    auto* link = static_cast<TTreeHistoryPropComboBoxLink*>(Edit(0));
    ASSERT_NE(link, nullptr);
    auto* combo = static_cast<THistoryPropComboBox*>(link->GetComboBox());
    EXPECT_EQ(combo->GetHistoryManager(), manager);
    EXPECT_EQ(combo->GetHistoryList(), u"Names");
    Type(u"newest");
    Key(VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N(0)], u"newest");
    TStringList history;
    manager->GetHistoryList(u"Names", &history);
    ASSERT_GE(history.GetCount(), 2);
    EXPECT_EQ(history.Get(0), u"newest");
    EXPECT_EQ(history.Get(1), u"older");

    // A link whose manager is gone leaves the history alone.
    link = static_cast<TTreeHistoryPropComboBoxLink*>(Edit(1));
    delete manager;
    Type(u"x");
    Key(VK_RETURN);
    EXPECT_EQ(Text[N(1)], u"x");
}

} // namespace
