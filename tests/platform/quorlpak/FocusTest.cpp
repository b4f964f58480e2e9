// Focus, tab order and the keyboard: OnEnter/OnExit in order, Tab and
// Shift+Tab through the tab stops, key preview and key events.
#include "QuorlpakTestSupport.h"

namespace {

class FocusTest : public QuorlpakTest {
protected:
    std::vector<std::string> log;

    TTestControl* Stop(TWinControl* parent, const std::string& name, int x) {
        auto* c = new TTestControl(parent->GetOwner() ? parent->GetOwner() : parent);
        c->SetName(Utf8ToUnicode(name));
        c->SetTabStop(true);
        c->SetBounds(x, 10, 30, 20);
        c->SetParent(parent);
        Watch(c, name);
        return c;
    }
    void Watch(TWinControl* c, const std::string& name) {
        c->OnEnter = [this, name](TObject*) { log.push_back("enter " + name); };
        c->OnExit = [this, name](TObject*) { log.push_back("exit " + name); };
    }
    static void Tab(bool back = false) {
        if (back) TestSeams::KeyDown(VK_SHIFT);
        TestSeams::KeyPress(VK_TAB);
        if (back) TestSeams::KeyUp(VK_SHIFT);
        Pump();
    }
};

TEST_F(FocusTest, ShowingFocusesTheFirstTabStop) {
    auto* form = new TForm(Application);
    form->AfterConstruction();
    TTestControl* a = Stop(form, "A", 10);
    Stop(form, "B", 50);
    form->Show();
    Pump();
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->GetActiveControl(), a);
    EXPECT_EQ(Screen->GetActiveControl(), a);
    EXPECT_EQ(Screen->GetActiveForm(), form);
    EXPECT_EQ(log, (std::vector<std::string>{"enter A"}));
}

TEST_F(FocusTest, TabAndShiftTabWalkTheTabOrderWithExitBeforeEnter) {
    TForm* form = ShownForm();
    TTestControl* a = Stop(form, "A", 10);
    TTestControl* b = Stop(form, "B", 50);
    TTestControl* c = Stop(form, "C", 90);
    a->SetFocus();
    Pump();
    log.clear();
    Tab();
    EXPECT_TRUE(b->Focused());
    Tab();
    EXPECT_TRUE(c->Focused());
    Tab(); // wraps
    EXPECT_TRUE(a->Focused());
    Tab(true);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(log, (std::vector<std::string>{"exit A", "enter B", "exit B", "enter C", "exit C",
                                             "enter A", "exit A", "enter C"}));
}

TEST_F(FocusTest, TabOrderDisabledAndNonStopsAreHonoured) {
    TForm* form = ShownForm();
    TTestControl* a = Stop(form, "A", 10);
    TTestControl* b = Stop(form, "B", 50);
    TTestControl* c = Stop(form, "C", 90);
    TTestControl* d = Stop(form, "D", 130);
    c->SetTabOrder(0); // C A B D
    EXPECT_EQ(c->GetTabOrder(), 0);
    EXPECT_EQ(a->GetTabOrder(), 1);
    b->SetEnabled(false);
    d->SetTabStop(false);
    c->SetFocus();
    Pump();
    Tab();
    EXPECT_TRUE(a->Focused());
    Tab();
    EXPECT_TRUE(c->Focused()); // B disabled, D no tab stop
    EXPECT_FALSE(b->CanFocus());
    EXPECT_THROW(form->SetActiveControl(b), EInvalidOperation);
}

TEST_F(FocusTest, EnteringANestedControlEntersItsParentsFirst) {
    TForm* form = ShownForm();
    TTestControl* a = Stop(form, "A", 10);
    auto* panel = new TTestControl(form);
    panel->SetControlStyle(panel->GetControlStyle() + csAcceptsControls);
    panel->SetBounds(50, 40, 120, 60);
    panel->SetParent(form);
    Watch(panel, "Panel");
    TTestControl* inner = Stop(panel, "Inner", 5);
    a->SetFocus();
    Pump();
    log.clear();
    inner->SetFocus();
    Pump();
    a->SetFocus();
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"exit A", "enter Panel", "enter Inner", "exit Inner",
                                             "exit Panel", "enter A"}));
}

TEST_F(FocusTest, FocusingTheFormTakesTheFocusBackToItsActiveControl) {
    TForm* form = ShownForm();
    Stop(form, "A", 10);
    TTestControl* b = Stop(form, "B", 50);
    b->SetFocus();
    Pump();
    TForm* other = ShownForm();
    EXPECT_FALSE(b->Focused());
    (void)other;
    form->SetFocus();
    Pump();
    EXPECT_TRUE(b->Focused());
}

TEST_F(FocusTest, HidingOrDestroyingTheFocusedControlClearsTheFormsActiveControl) {
    TForm* form = ShownForm();
    TTestControl* a = Stop(form, "A", 10);
    TTestControl* b = Stop(form, "B", 50);
    b->SetFocus();
    Pump();
    b->SetVisible(false);
    EXPECT_EQ(form->GetActiveControl(), nullptr);
    a->SetFocus();
    Pump();
    delete a;
    EXPECT_EQ(form->GetActiveControl(), nullptr);
    // The focus falls back to the form itself.
    EXPECT_EQ(Screen->GetActiveControl(), form);
    EXPECT_EQ(form->GetFocusedControl(), form);
    EXPECT_EQ(GetFocus(), form->GetHandle());
}

TEST_F(FocusTest, KeyEventsWithPreviewByTheForm) {
    TForm* form = ShownForm();
    TTestControl* a = Stop(form, "A", 10);
    a->SetFocus();
    Pump();
    std::u16string typed;
    std::vector<std::string> keys;
    a->OnKeyPress = [&](TObject*, char16_t& key) { typed += key; };
    a->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
        keys.push_back("down " + std::to_string(key));
    };
    a->OnKeyUp = [&](TObject*, uint16_t& key, TShiftState) {
        keys.push_back("up " + std::to_string(key));
    };
    TestSeams::TypeText(u"Hi");
    Pump();
    EXPECT_EQ(typed, u"Hi");
    EXPECT_EQ(keys.front(), "down " + std::to_string(VK_SHIFT));

    // The form sees keys first and may swallow them.
    form->SetKeyPreview(true);
    form->OnKeyPress = [](TObject*, char16_t& key) {
        if (key == u'x') key = 0;
    };
    typed.clear();
    TestSeams::TypeText(u"axb");
    Pump();
    EXPECT_EQ(typed, u"ab");
}

TEST_F(FocusTest, AControlThatWantsTabKeepsIt) {
    struct TWantsTab : TTestControl {
        using TTestControl::TTestControl;
        void Dispatch(TMessage& Message) override {
            if (Message.Msg == WM_GETDLGCODE) {
                Message.Result = 0x0002; // wants Tab
                return;
            }
            TTestControl::Dispatch(Message);
        }
    };
    TForm* form = ShownForm();
    auto* a = new TWantsTab(form);
    a->SetTabStop(true);
    a->SetParent(form);
    Stop(form, "B", 50);
    std::vector<uint16_t> keys;
    a->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); };
    a->SetFocus();
    Pump();
    Tab();
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(keys, std::vector<uint16_t>{VK_TAB});
}

TEST_F(FocusTest, ArrowKeysMoveBetweenSiblingsWithoutTabStops) {
    TForm* form = ShownForm();
    TTestControl* a = Stop(form, "A", 10);
    TTestControl* b = Stop(form, "B", 50);
    b->SetTabStop(false);
    a->SetFocus();
    Pump();
    TestSeams::KeyPress(VK_RIGHT);
    Pump();
    EXPECT_TRUE(b->Focused());
}

} // namespace
