// Category buttons: layout and collapsing, selection and clicks, reordering
// by drag and the owner's veto of a drag, and where automation finds things.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDECategoryButtons.h"

#include <string>
#include <vector>

namespace {

class CategoryButtonsTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        buttons = Place(new TIDECategoryButtons(Form), 160, 250);
        TButtonCategory* files = buttons->GetCategories()->Add();
        files->SetCaption(u"Files");
        for (const char16_t* c : {u"New", u"Open", u"Save"}) files->Add()->SetCaption(c);
        TButtonCategory* tools = buttons->GetCategories()->Add();
        tools->SetCaption(u"Tools");
        for (const char16_t* c : {u"Options", u"Help"}) tools->Add()->SetCaption(c);
        Pump();
    }
    std::vector<std::u16string> Captions(int Category) {
        std::vector<std::u16string> out;
        TIDEButtonCategory* c = buttons->GetZombieItems(Category);
        for (int i = 0; i < c->GetCount(); ++i) out.push_back(c->GetItems(i)->GetCaption());
        return out;
    }
    POINT Screen(TIDEButtonItem* Item) {
        return TestSeams::ClientPoint(buttons->GetHandle(), Item->GetLeft() + 10,
                                      (Item->GetTop() + Item->GetBottom()) / 2);
    }
    TIDECategoryButtons* buttons = nullptr;
};

TEST_F(CategoryButtonsTest, LayoutCollapseAndAutomationEdges) {
    ASSERT_EQ(buttons->GetItemCount(), 2);
    TIDEButtonCategory* files = buttons->GetZombieItems(0);
    TIDEButtonCategory* tools = buttons->GetZombieCategories()->GetZombieItems(1);
    const int header = buttons->HeaderHeight();
    EXPECT_EQ(files->GetTop(), 0);
    EXPECT_EQ(files->GetBottom(), header + 3 * 24);
    EXPECT_EQ(tools->GetTop(), files->GetBottom() + 1);
    EXPECT_EQ(files->GetRight(), buttons->GetClientWidth());
    TIDEButtonItem* save = files->GetZombieItems(2);
    EXPECT_EQ(save->GetTop(), header + 2 * 24);
    EXPECT_EQ(save->GetBottom() - save->GetTop(), 24);
    EXPECT_EQ(save->GetZombieCategory(), files);

    // A click on the header folds the category away; the next one opens it.
    ClickAt(buttons, 20, header / 2);
    EXPECT_TRUE(files->GetCollapsed());
    EXPECT_EQ(tools->GetTop(), header + 1);
    EXPECT_EQ(save->GetBottom() - save->GetTop(), 0);
    ClickAt(buttons, 20, header / 2);
    EXPECT_FALSE(files->GetCollapsed());
}

TEST_F(CategoryButtonsTest, ClicksSelectAndReportTheButton) {
    EXPECT_EQ(buttons->GetZombieSelectedItem(), nullptr);
    std::vector<std::u16string> clicked;
    buttons->OnButtonClicked = [&](TObject*, TButtonItem* Item) { clicked.push_back(Item->GetCaption()); };
    TIDEButtonItem* help = buttons->GetZombieItems(1)->GetZombieItems(1);
    int own = 0;
    help->OnClick = [&](TObject*) { ++own; };
    TIDEButtonItem* open = buttons->GetZombieItems(0)->GetZombieItems(1);
    TestSeams::Click(Screen(open));
    Pump();
    TestSeams::AdvanceClock(1000);
    EXPECT_EQ(buttons->GetZombieSelectedItem(), open);
    TestSeams::Click(Screen(help));
    Pump();
    EXPECT_EQ(clicked, std::vector<std::u16string>{u"Open"});
    EXPECT_EQ(own, 1); // a button's own handler instead of the control's
    buttons->GetZombieItems(0)->GetZombieItems(0)->SelectItem();
    EXPECT_EQ(buttons->GetZombieSelectedItem()->GetCaption(), u"New");
    buttons->GetZombieItems(0)->Delete(0);
    EXPECT_EQ(buttons->GetZombieSelectedItem(), nullptr); // a deleted button is not selected
}

TEST_F(CategoryButtonsTest, DragReordersUnlessTheOwnerTakesTheDragOver) {
    TIDEButtonItem* first = buttons->GetZombieItems(0)->GetZombieItems(0);
    TIDEButtonItem* help = buttons->GetZombieItems(1)->GetZombieItems(1);
    auto drag = [&](TIDEButtonItem* From, TIDEButtonItem* To) {
        const POINT from = Screen(From);
        const POINT to = Screen(To);
        TestSeams::MouseMove(from);
        TestSeams::MouseDown(from);
        TestSeams::MouseMove(POINT{from.x, from.y + 8});
        TestSeams::MouseMove(to);
        TestSeams::MouseUp(to);
        Pump();
        TestSeams::AdvanceClock(1000);
        Pump();
    };
    bool handled = true;
    int asked = 0;
    buttons->OnBeginDrag = [&](TObject* Sender, bool& Handled) {
        EXPECT_EQ(Sender, buttons);
        ++asked;
        Handled = handled;
    };
    drag(first, help);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Captions(0), (std::vector<std::u16string>{u"New", u"Open", u"Save"}));
    EXPECT_FALSE(buttons->Dragging());

    // Left to the control, the button moves before the one it is dropped on.
    handled = false;
    drag(first, help);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Captions(0), (std::vector<std::u16string>{u"Open", u"Save"}));
    EXPECT_EQ(Captions(1), (std::vector<std::u16string>{u"Options", u"New", u"Help"}));
    EXPECT_EQ(first->GetZombieCategory(), buttons->GetZombieItems(1));
}

} // namespace
