// Peer controls: window messages become events, filtered by mask and
// listeners and delivered in order; scroll panes add geometry, batch
// updates and a deferred layout; text fields add selection and ownership.
#include "PeerTestSupport.h"

#include <designpak/DesignServices.h>

namespace {

struct MessageCase {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<std::string> events;
};

LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

const MessageCase PanelMessages[] = {
    {"letter down", WM_KEYDOWN, 'A', 0, {"401 code 65 char 65 m0"}},
    {"F1 down", WM_KEYDOWN, VK_F1, 0, {"401 code 112 char 0 m0"}},
    {"keypad digit", WM_KEYDOWN, VK_NUMPAD1, 0, {"401 code 97 char 0 m0"}},
    {"backspace", WM_KEYDOWN, VK_BACK, 0, {"401 code 8 char 0 m0"}},
    {"enter up", WM_KEYUP, VK_RETURN, 0, {"402 code 13 char 13 m0"}},
    {"character", WM_CHAR, u'x', 0, {"400 code 0 char 120 m0"}},
    {"character 0", WM_CHAR, 0, 0, {}},
    // A single press takes the focus (its hook runs before the listeners).
    {"left down with shift",
     WM_LBUTTONDOWN,
     MK_LBUTTON | MK_SHIFT,
     Point(5, 7),
     {"1004", "501 5,7 c1 m17"}},
    {"right up inside",
     WM_RBUTTONUP,
     0,
     Point(5, 7),
     {"500 5,7 c1 popup m0", "502 5,7 c1 popup m0"}},
    {"right up outside", WM_RBUTTONUP, 0, Point(-3, 7), {"502 -3,7 c1 popup m0"}},
    {"middle double", WM_MBUTTONDBLCLK, MK_MBUTTON | MK_CONTROL, Point(1, 2), {"501 1,2 c2 m10"}},
    {"right double", WM_RBUTTONDBLCLK, MK_RBUTTON, Point(1, 2), {"501 1,2 c2 popup m4"}},
    {"move", WM_MOUSEMOVE, 0, Point(9, 9), {"503 9,9 c1 m0"}},
    {"enter", CM_MOUSEENTER, 0, 0, {"504 0,0 c1 m0"}},
    {"leave", CM_MOUSELEAVE, 0, 0, {"505 0,0 c1 m0"}},
    {"wheel", 0x020A, 0, 0, {}},
};

class PanelMessageTest : public PeerTest, public testing::WithParamInterface<MessageCase> {};

TEST_P(PanelMessageTest, BecomeEvents) {
    auto* panel = new TBeanPanel(Form);
    panel->SetBounds(10, 10, 100, 50);
    panel->SetParent(Form);
    ListenToAll(panel);
    const MessageCase& c = GetParam();
    SendMessageW(panel->GetHandle(), c.msg, c.wParam, c.lParam);
    // The framework announces the pointer's arrival on its first mouse message.
    if (c.msg != CM_MOUSEENTER) std::erase(Log, "504 0,0 c1 m0");
    EXPECT_EQ(Log, c.events);
}

INSTANTIATE_TEST_SUITE_P(Peer, PanelMessageTest, testing::ValuesIn(PanelMessages),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST_F(PeerTest, AMethodEventAloneEnablesNothing) {
    auto* panel = new TJPanel(Form);
    panel->SetParent(Form);
    int clicks = 0;
    panel->OnMouseClicked = [&](IMouseEvent*) { ++clicks; };
    SendMessageW(panel->GetHandle(), WM_LBUTTONUP, 0, Point(1, 1));
    EXPECT_EQ(clicks, 0);
    panel->EnableEvents(MOUSE_EVENT_MASK);
    SendMessageW(panel->GetHandle(), WM_LBUTTONUP, 0, Point(1, 1));
    EXPECT_EQ(clicks, 1);
}

TEST_F(PeerTest, ListenersOfOneKindHearInTheOrderTheyCame) {
    auto* panel = new TJPanel(Form);
    panel->SetParent(Form);
    InterfacePtr<TEventLog> a(new TEventLog(&Log, "a ")), b(new TEventLog(&Log, "b "));
    panel->AddKeyListener(a.Get());
    panel->AddKeyListener(b.Get());
    panel->OnKeyReleased = [&](IKeyEvent*) { Log.push_back("method"); };
    SendMessageW(panel->GetHandle(), WM_KEYUP, 'Q', 0);
    EXPECT_EQ(Log, (std::vector<std::string>{"method", "a 402 code 81 char 81 m0",
                                             "b 402 code 81 char 81 m0"}));
    Log.clear();
    panel->RemoveKeyListener(a.Get());
    panel->RemoveKeyListener(a.Get()); // not registered any more: nothing changes
    SendMessageW(panel->GetHandle(), WM_KEYUP, 'Q', 0);
    EXPECT_EQ(Log, (std::vector<std::string>{"method", "b 402 code 81 char 81 m0"}));
}

TEST_F(PeerTest, BeanPanelFollowsFocusAndTakesItOnASingleClick) {
    auto* panel = new TBeanPanel(Form);
    panel->SetBounds(10, 10, 100, 50);
    panel->SetParent(Form);
    auto* other = new TBeanPanel(Form);
    other->SetBounds(150, 10, 100, 50);
    other->SetParent(Form);
    other->SetFocus();
    Pump();
    EXPECT_TRUE(other->GetFocusState().Contains(isFocused));
    ClickAt(panel, 5, 5);
    EXPECT_TRUE(panel->Focused());
    EXPECT_TRUE(panel->GetFocusState().Contains(isFocused));
    EXPECT_TRUE(other->GetFocusState().Contains(isInactive));
    // A double click's press carries click count 2 and takes no focus.
    other->SetFocus();
    Pump();
    SendMessageW(panel->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 5));
    EXPECT_TRUE(other->Focused());
}

TEST_F(PeerTest, ARefusingFormHidesTheFocusFromThePanel) {
    class TRefusingForm : public TForm {
    public:
        using TForm::TForm;
        bool SetFocusedControl(TWinControl*) override { return false; }
    };
    auto* form = new TRefusingForm(Application);
    form->AfterConstruction();
    form->Show();
    auto* panel = new TBeanPanel(form);
    panel->SetParent(form);
    ListenToAll(panel);
    SendMessageW(panel->GetHandle(), WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(Log.empty());
    EXPECT_TRUE(panel->GetFocusState().Contains(isInactive));
}

TEST_F(PeerTest, ActionListenersHearWhatTheDescendantFires) {
    auto* panel = new TBeanPanel(Form);
    std::vector<UnicodeString> heard;
    panel->OnActionPerformed = [&](IActionEvent* E) { heard.push_back(E->GetActionCommand()); };
    panel->RemoveActionListener(nullptr); // no adapter yet: nothing happens
    InterfacePtr<IActionEvent> e(new TActionEvent(UnknownOf(panel), ACTION_PERFORMED, u"go"));
    panel->ProcessActionEvent(e.Get());
    EXPECT_EQ(heard, std::vector<UnicodeString>{u"go"});
}

// --- Scroll panes -------------------------------------------------------------------------

// A pane with content to lay out: its preferred size is what the test says.
class TContentPane : public TScrollPane {
public:
    using TScrollPane::TScrollPane;
    TDimension Content = Dimension(500, 400);
    int Asked = 0;
    TDimension GetPreferredSize() override {
        ++Asked;
        return Content;
    }

protected:
    bool HasLayoutContent() override { return true; }
};

TEST_F(PeerTest, PaneReportsMovesSizesVisibilityAndChildren) {
    auto* pane = new TScrollPane(Form);
    pane->SetBounds(0, 0, 100, 80);
    pane->SetParent(Form);
    ListenToAll(pane);
    pane->SetBounds(5, 5, 120, 90);
    EXPECT_EQ(Log, (std::vector<std::string>{"100", "101"}));
    Log.clear();
    pane->SetBounds(6, 6, 120, 90);
    EXPECT_EQ(Log, std::vector<std::string>{"100"});
    Log.clear();
    pane->SetVisible(false);
    pane->SetVisible(true);
    EXPECT_EQ(Log, (std::vector<std::string>{"103", "102"}));
    Log.clear();
    auto* child = new TJPanel(Form);
    child->SetParent(pane);
    child->SetParent(nullptr);
    EXPECT_EQ(Log, (std::vector<std::string>{"300", "301"}));
    Log.clear();
    SendMessageW(pane->GetHandle(), CM_DRAG, 3, 0);
    EXPECT_EQ(Log, std::vector<std::string>{"2003"});
    delete child;
}

TEST_F(PeerTest, PaneMouseEventsFollowTheFrameworksOwnHandling) {
    auto* pane = new TScrollPane(Form);
    pane->SetBounds(0, 0, 100, 80);
    pane->SetParent(Form);
    ListenToAll(pane);
    pane->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        Log.push_back("down");
    };
    pane->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("up"); };
    ClickAt(pane, 10, 12, VK_RBUTTON);
    std::erase(Log, "1004"); // the click also focuses the pane
    EXPECT_EQ(Log, (std::vector<std::string>{"down", "501 10,12 c1 popup m4", "up",
                                             "500 10,12 c1 popup m4", "502 10,12 c1 popup m4"}));
}

TEST_F(PeerTest, PaneDoubleClickPressTakesNoFocus) {
    auto* pane = new TScrollPane(Form);
    pane->SetBounds(0, 0, 100, 80);
    pane->SetParent(Form);
    auto* other = new TBeanPanel(Form);
    other->SetBounds(150, 0, 50, 50);
    other->SetParent(Form);
    ListenToAll(pane);
    TestSeams::Click(TestSeams::ClientPoint(pane->GetHandle(), 10, 10));
    Pump();
    other->SetFocus();
    Pump();
    Log.clear();
    TestSeams::Click(TestSeams::ClientPoint(pane->GetHandle(), 10, 10));
    Pump();
    EXPECT_NE(std::find(Log.begin(), Log.end(), "501 10,10 c2 m16"), Log.end());
    EXPECT_TRUE(other->Focused());
}

TEST_F(PeerTest, BatchUpdateSilencesInputWithoutReplay) {
    auto* pane = new TScrollPane(Form);
    pane->SetBounds(0, 0, 100, 80);
    pane->SetParent(Form);
    ListenToAll(pane);
    int downs = 0;
    pane->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    pane->BeginUpdate();
    ClickAt(pane, 5, 5);
    SendMessageW(pane->GetHandle(), WM_KEYDOWN, 'A', 0);
    SendMessageW(pane->GetHandle(), CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(downs, 0);
    EXPECT_TRUE(Log.empty());
    pane->EndUpdate();
    pane->EndUpdate(); // one too many: the count stays at 0
    EXPECT_EQ(pane->GetUpdateCount(), 0);
    Pump();
    EXPECT_TRUE(Log.empty());
    SendMessageW(pane->GetHandle(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(Log, std::vector<std::string>{"401 code 65 char 65 m0"});
}

TEST_F(PeerTest, LayoutRequestsCoalesceIntoOneAndSetTheRanges) {
    auto* pane = new TContentPane(Form);
    pane->SetBounds(0, 0, 100, 80);
    pane->SetParent(Form);
    Pump();
    pane->Asked = 0;
    pane->Content = Dimension(640, 900);
    pane->DoLayout();
    pane->DoLayout();
    pane->DoLayout();
    Pump();
    EXPECT_EQ(pane->Asked, 1);
    EXPECT_EQ(pane->GetHorzScrollBar()->GetRange(), 640);
    EXPECT_EQ(pane->GetVertScrollBar()->GetRange(), 900);
    pane->OnOverrideScrollRange = [](TObject*, TDimension& d) { d.Height += 100; };
    pane->DoLayout();
    Pump();
    EXPECT_EQ(pane->GetVertScrollBar()->GetRange(), 1000);
    pane->SetScrollPosition(30, 40);
    EXPECT_EQ(pane->GetScrollPosition().x, 30);
    EXPECT_EQ(pane->GetScrollPosition().y, 40);
}

TEST_F(PeerTest, APlainPaneNeverGetsTheDeferredLayout) {
    auto* pane = new TScrollPane(Form);
    pane->SetParent(Form);
    pane->DoLayout();
    MSG msg;
    EXPECT_FALSE(
        PeekMessageW(&msg, pane->GetHandle(), DeferDoLayoutMsg(), DeferDoLayoutMsg(), PM_NOREMOVE));
    SendMessageW(pane->GetHandle(), DeferDoLayoutMsg(), 0, 0); // even sent, it is harmless
    EXPECT_EQ(pane->GetVertScrollBar()->GetRange(), 0);
}

TEST_F(PeerTest, PaneHoldsOneDragListener) {
    auto* pane = new TScrollPane(Form);
    InterfacePtr<TEventLog> a(new TEventLog(&Log, "a ")), b(new TEventLog(&Log, "b "));
    pane->AddDragListener(a.Get());
    EXPECT_THROW(pane->AddDragListener(b.Get()), EIntfCastError);
    pane->SetParent(Form);
    SendMessageW(pane->GetHandle(), CM_DRAG, 0, 0);
    EXPECT_EQ(Log, std::vector<std::string>{"a 2000"});
}

TEST_F(PeerTest, PaneViewportIsTheClientLessTheInsets) {
    auto* pane = new TScrollPane(Form);
    pane->SetBorderStyle(bsNone);
    pane->SetBounds(0, 0, 100, 80);
    pane->SetParent(Form);
    pane->GetInsets()->SetLeft(3);
    pane->GetInsets()->SetBottom(5);
    EXPECT_EQ(pane->GetViewportSize(),
              Dimension(pane->GetClientWidth() - 3, pane->GetClientHeight() - 5));
}

// --- Text fields --------------------------------------------------------------------------

TEST_F(PeerTest, AnOwnerlessFieldGoesWithItsLastReference) {
    bool freed = false;
    class TWatchedField : public TTextField {
    public:
        TWatchedField(TComponent* owner, bool* freed) : TTextField(owner), FFreed(freed) {}
        ~TWatchedField() override { *FFreed = true; }

    private:
        bool* FFreed;
    };
    auto* owned = new TWatchedField(Form, &freed);
    owned->AddRef();
    owned->Release();
    EXPECT_FALSE(freed);
    delete owned;
    bool ownerlessFreed = false;
    auto* loose = new TWatchedField(nullptr, &ownerlessFreed);
    loose->AddRef();
    loose->AddRef();
    loose->Release();
    EXPECT_FALSE(ownerlessFreed);
    loose->Release();
    EXPECT_TRUE(ownerlessFreed);
}

TEST_F(PeerTest, FieldSelectionByEndOrByLength) {
    auto* field = new TTextField(Form);
    field->SetParent(Form);
    field->SetText(u"abcdefgh");
    field->SetSelectionStart(2);
    field->SetSelectionEnd(5);
    EXPECT_EQ(field->GetSelText(), u"cde");
    field->Select(0, 0);
    field->Select(2, 3);
    EXPECT_EQ(field->GetSelectionStart(), 2);
    EXPECT_EQ(field->GetSelectionEnd(), 5);
}

TEST_F(PeerTest, FieldClickEventsComeBeforeTheEditsOwnProcessing) {
    auto* field = new TTextField(Form);
    field->SetBounds(10, 10, 120, 24);
    field->SetParent(Form);
    ListenToAll(field);
    field->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        Log.push_back("down");
    };
    ClickAt(field, 4, 4);
    std::vector<std::string> mouse;
    for (const std::string& s : Log)
        if (s != "504 0,0 c1 m0" && s.rfind("503", 0) != 0 && s.rfind("1004", 0) != 0)
            mouse.push_back(s);
    EXPECT_EQ(mouse, (std::vector<std::string>{"501 4,4 c1 m16", "down", "500 4,4 c1 m0",
                                               "502 4,4 c1 m0"}));
}

TEST_F(PeerTest, FieldTakesJapaneseTypingAsKeyTypedEvents) {
    auto* field = new TTextField(Form);
    field->SetBounds(10, 10, 120, 24);
    field->SetParent(Form);
    field->SetFocus();
    Pump();
    std::u16string typed;
    field->OnKeyTyped = [&](IKeyEvent* E) { typed += E->GetKeyChar(); };
    TestSeams::TypeText(u"日本語");
    Pump();
    EXPECT_EQ(typed, u"日本語");
    EXPECT_EQ(field->GetText(), u"日本語");
    EXPECT_GT(field->GetPreferredSize().Width, 10);
}

} // namespace
