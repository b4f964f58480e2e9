// The application's hints: the mouse resting over a control shows its hint
// after HintPause, the hint goes after HintHidePause or on a click, a key or
// leaving; moving on while one shows waits HintShortPause; the control has
// its say through CM_HINTSHOWPAUSE and CM_HINTSHOW. All on the manual clock.
#include "QuorlpakTestSupport.h"

#include <quorlpak/HintWindow.h>

#include <functional>

namespace {

// A control that answers the hint messages the way a test wants.
class THintedControl : public TTestControl {
public:
    explicit THintedControl(TComponent* AOwner) : TTestControl(AOwner) {}
    std::function<void(THintInfo&, LRESULT&)> OnHintShow;
    int PauseAnswer = -1; // -1: leave the application's pause
    int HintShows = 0;
    std::vector<WPARAM> PauseAsks; // whether a hint was up, per ask

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_HINTSHOWPAUSE) {
            PauseAsks.push_back(Message.WParam);
            if (PauseAnswer >= 0) *reinterpret_cast<int*>(Message.LParam) = PauseAnswer;
            return;
        }
        if (Message.Msg == CM_HINTSHOW) {
            ++HintShows;
            TTestControl::Dispatch(Message);
            if (OnHintShow) OnHintShow(*reinterpret_cast<THintInfo*>(Message.LParam), Message.Result);
            return;
        }
        TTestControl::Dispatch(Message);
    }
};

// A hint window class of a control's own.
class TOwnHintWindow : public THintWindow {
public:
    using THintWindow::THintWindow;
    static THintWindow* Make(TComponent* AOwner) { return new TOwnHintWindow(AOwner); }
};

class HintTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        form = ShownForm(300, 200);
        a = Add(10, 10, u"Alpha|The first control");
        b = Add(120, 10, u"Beta");
        TForm* other = ShownForm(100, 100);
        other->SetLeft(form->GetLeft() + form->GetWidth() + 50);
        outside = other;
    }
    THintedControl* Add(int x, int y, const UnicodeString& hint) {
        auto* c = new THintedControl(form);
        c->SetBounds(x, y, 100, 60);
        c->SetHint(hint);
        c->SetShowHint(true);
        c->SetParent(form);
        return c;
    }
    static void MoveTo(TWinControl* control, int x, int y) {
        TestSeams::MouseMove(TestSeams::ClientPoint(control->GetHandle(), x, y));
        Pump();
    }
    static void Wait(int ms) {
        TestSeams::AdvanceClock(ms);
        Pump();
    }
    static bool Shown() {
        THintWindow* w = Application->GetHintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->GetHandle());
    }
    static UnicodeString ShownText() { return Shown() ? Application->GetHintWindow()->GetCaption() : u""; }

public:
    TForm* form = nullptr;
    TForm* outside = nullptr;
    THintedControl* a = nullptr;
    THintedControl* b = nullptr;
};

TEST_F(HintTest, RestingShowsTheShortHintBelowTheMouseUntilTheHidePause) {
    MoveTo(a, 20, 20);
    Wait(Application->GetHintPause() - 1);
    EXPECT_FALSE(Shown());
    Wait(1);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(ShownText(), u"Alpha");
    RECT r;
    GetWindowRect(Application->GetHintWindow()->GetHandle(), &r);
    const POINT mouse = TestSeams::ClientPoint(a->GetHandle(), 20, 20);
    EXPECT_EQ(r.left, mouse.x);
    EXPECT_GT(r.top, mouse.y);
    // The mouse passes through the hint to the control under it.
    EXPECT_EQ(WindowFromPoint(POINT{r.left + 2, r.top + 2}), a->GetHandle());

    MoveTo(a, 30, 25); // still inside the control: the hint stays
    EXPECT_TRUE(Shown());
    Wait(Application->GetHintHidePause());
    EXPECT_FALSE(Shown());
    MoveTo(a, 40, 30); // and does not come back until the mouse leaves
    Wait(Application->GetHintPause() * 2);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(a->HintShows, 1);
}

TEST_F(HintTest, MovingOnWhileAHintShowsWaitsOnlyTheShortPause) {
    MoveTo(a, 20, 20);
    Wait(Application->GetHintPause());
    ASSERT_TRUE(Shown());
    MoveTo(b, 20, 20);
    EXPECT_FALSE(Shown());
    ASSERT_EQ(b->PauseAsks, std::vector<WPARAM>{1});
    Wait(Application->GetHintShortPause() - 1);
    EXPECT_FALSE(Shown());
    Wait(1);
    EXPECT_EQ(ShownText(), u"Beta");
}

TEST_F(HintTest, ClicksKeysAndLeavingEndTheHint) {
    const struct {
        const char* name;
        std::function<void(HintTest&)> end;
    } cases[] = {
        {"click", [](HintTest& t) { TestSeams::Click(TestSeams::ClientPoint(t.a->GetHandle(), 20, 20)); }},
        {"key", [](HintTest&) { TestSeams::KeyPress(VK_SHIFT); }},
        {"bare form", [](HintTest& t) { MoveTo(t.form, 250, 150); }},
        {"other window", [](HintTest& t) { MoveTo(t.outside, 50, 50); }},
        {"cancel", [](HintTest&) { Application->CancelHint(); }},
    };
    a->SetFocus();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MoveTo(b, 50, 50); // start afresh from the other control
        Application->CancelHint();
        MoveTo(a, 20, 20);
        Wait(Application->GetHintPause());
        ASSERT_TRUE(Shown());
        c.end(*this);
        Pump();
        EXPECT_FALSE(Shown());
        // The next hint waits the full pause again.
        MoveTo(a, 25, 25);
        Wait(Application->GetHintShortPause());
        EXPECT_FALSE(Shown());
        Wait(Application->GetHintPause());
        EXPECT_TRUE(Shown());
        TestSeams::AdvanceClock(1000); // no double click with the next case
    }
}

TEST_F(HintTest, APendingHintGivesWayToTyping) {
    a->SetFocus();
    MoveTo(a, 20, 20);
    Wait(Application->GetHintPause() / 2);
    TestSeams::KeyPress('X');
    Pump();
    Wait(Application->GetHintPause());
    EXPECT_FALSE(Shown());
}

TEST_F(HintTest, TheControlChoosesPauseTextPlaceCursorRectAndWindowClass) {
    a->PauseAnswer = 0;
    a->OnHintShow = [&](THintInfo& info, LRESULT&) {
        EXPECT_EQ(info.HintControl, a);
        if (a->HintShows == 1) EXPECT_EQ(info.CursorPos, TPoint(20, 20));
        EXPECT_EQ(info.HintStr, u"Alpha");
        info.HintStr = u"Cell text";
        info.CursorRect = TRect(0, 0, 50, 60); // only the left half
        info.HintPos = a->ClientToScreen(TPoint(5, 5));
        info.HideTimeout = 100;
        info.HintWindowClass = &TOwnHintWindow::Make;
    };
    MoveTo(a, 20, 20); // a pause of 0 shows at once
    ASSERT_TRUE(Shown());
    EXPECT_EQ(ShownText(), u"Cell text");
    EXPECT_NE(dynamic_cast<TOwnHintWindow*>(Application->GetHintWindow()), nullptr);
    RECT r;
    GetWindowRect(Application->GetHintWindow()->GetHandle(), &r);
    const POINT corner = TestSeams::ClientPoint(a->GetHandle(), 5, 5);
    EXPECT_EQ(r.left, corner.x);
    EXPECT_EQ(r.top, corner.y);
    MoveTo(a, 45, 40); // inside the cursor rectangle: not asked again
    EXPECT_EQ(a->HintShows, 1);
    MoveTo(a, 60, 40); // beyond it: asked again
    EXPECT_EQ(a->HintShows, 2);
    EXPECT_TRUE(Shown());
    Wait(100); // the control's hide timeout
    EXPECT_FALSE(Shown());

    // A control that refuses shows nothing; the application's class is back for others.
    a->OnHintShow = [](THintInfo&, LRESULT& result) { result = 1; };
    MoveTo(b, 20, 20);
    MoveTo(a, 20, 20);
    EXPECT_FALSE(Shown());
    Wait(Application->GetHintPause());
    MoveTo(b, 30, 30);
    Wait(Application->GetHintPause());
    EXPECT_EQ(ShownText(), u"Beta");
    EXPECT_EQ(dynamic_cast<TOwnHintWindow*>(Application->GetHintWindow()), nullptr);
}

TEST_F(HintTest, NoHintWithoutShowHintOrAfterTheControlIsGone) {
    b->SetShowHint(false);
    MoveTo(b, 20, 20);
    Wait(Application->GetHintPause());
    EXPECT_FALSE(Shown());

    Application->SetShowHint(false);
    MoveTo(a, 20, 20);
    Wait(Application->GetHintPause());
    EXPECT_FALSE(Shown());
    Application->SetShowHint(true);

    MoveTo(a, 25, 25);
    Wait(Application->GetHintPause() / 2);
    delete a;
    Wait(Application->GetHintPause());
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Application->GetHintControl(), nullptr);
}

} // namespace
