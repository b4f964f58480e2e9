// The mouse: clicks on windowed and windowless controls, press and release
// events with client coordinates, double clicks, capture, enter and leave.
#include "QuorlpakTestSupport.h"

namespace {

class MouseTest : public QuorlpakTest {};

TEST_F(MouseTest, ClickOnAWindowedControl) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetBounds(10, 10, 50, 30);
    c->SetParent(form);
    int clicks = 0;
    c->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, c);
        ++clicks;
    };
    ClickAt(c, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(c->Clicks, 1);
}

TEST_F(MouseTest, ClickOnAWindowlessControlGoesThroughItsParent) {
    TForm* form = ShownForm();
    auto* g = new TTestGraphic(form);
    g->SetBounds(60, 50, 20, 20);
    g->SetParent(form);
    int clicks = 0, formClicks = 0;
    g->OnClick = [&](TObject*) { ++clicks; };
    form->OnClick = [&](TObject*) { ++formClicks; };
    std::vector<TPoint> downs;
    g->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        EXPECT_EQ(button, mbLeft);
        EXPECT_TRUE(shift.Contains(ssLeft));
        downs.push_back(TPoint(x, y));
    };
    ClickAt(form, 65, 57);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(formClicks, 0);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], TPoint(5, 7)); // the control's own coordinates
    ClickAt(form, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(formClicks, 1);
}

TEST_F(MouseTest, ReleasingOutsideTheControlIsNoClickAndCaptureFollowsTheButton) {
    TForm* form = ShownForm();
    auto* g = new TTestGraphic(form);
    g->SetBounds(10, 10, 20, 20);
    g->SetParent(form);
    std::vector<TPoint> ups;
    g->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        ups.push_back(TPoint(x, y));
    };
    TestSeams::MouseDown(TestSeams::ClientPoint(form->GetHandle(), 15, 15));
    Pump();
    EXPECT_TRUE(g->GetMouseCapture());
    EXPECT_EQ(GetCaptureControl(), g);
    TestSeams::MouseUp(TestSeams::ClientPoint(form->GetHandle(), 100, 100));
    Pump();
    EXPECT_EQ(g->Clicks, 0);
    ASSERT_EQ(ups.size(), 1u); // the captured control still hears the release
    EXPECT_EQ(ups[0], TPoint(90, 90));
    EXPECT_FALSE(g->GetMouseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseTest, DoubleClickFiresOnDblClick) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    int doubles = 0;
    std::vector<bool> doubleFlags;
    c->OnDblClick = [&](TObject*) { ++doubles; };
    c->OnMouseDown = [&](TObject*, TMouseButton, TShiftState shift, int, int) {
        doubleFlags.push_back(shift.Contains(ssDouble));
    };
    TestSeams::Click(TestSeams::ClientPoint(c->GetHandle(), 5, 5));
    TestSeams::AdvanceClock(50);
    TestSeams::Click(TestSeams::ClientPoint(c->GetHandle(), 5, 5));
    Pump();
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(doubleFlags, (std::vector<bool>{false, true}));
}

TEST_F(MouseTest, EnterAndLeaveFollowTheMouse) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetBounds(10, 10, 40, 30);
    c->SetParent(form);
    auto* g = new TTestGraphic(form);
    g->SetBounds(100, 10, 20, 20);
    g->SetParent(form);
    std::vector<std::string> log;
    c->OnMouseEnter = [&](TObject*) { log.push_back("enter c"); };
    c->OnMouseLeave = [&](TObject*) { log.push_back("leave c"); };
    g->OnMouseEnter = [&](TObject*) { log.push_back("enter g"); };
    g->OnMouseLeave = [&](TObject*) { log.push_back("leave g"); };
    auto move = [&](int x, int y) {
        TestSeams::MouseMove(TestSeams::ClientPoint(form->GetHandle(), x, y));
        Pump();
    };
    move(20, 20);
    move(21, 21);
    move(105, 15);
    move(150, 100);
    EXPECT_EQ(log, (std::vector<std::string>{"enter c", "leave c", "enter g", "leave g"}));
}

TEST_F(MouseTest, WheelGoesToTheFocusedControlThenItsParents) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetTabStop(true);
    c->SetParent(form);
    c->SetFocus();
    Pump();
    std::vector<std::string> log;
    c->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
        log.push_back("down");
        handled = false;
    };
    form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        log.push_back("form " + std::to_string(delta));
        handled = true;
    };
    TestSeams::Wheel(TestSeams::ClientPoint(c->GetHandle(), 5, 5), -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"down", "form -120"}));
}

TEST_F(MouseTest, DisabledWindowlessControlsLetTheParentHaveTheMouse) {
    TForm* form = ShownForm();
    auto* g = new TTestGraphic(form);
    g->SetBounds(10, 10, 20, 20);
    g->SetEnabled(false);
    g->SetParent(form);
    int formClicks = 0;
    form->OnClick = [&](TObject*) { ++formClicks; };
    ClickAt(form, 15, 15);
    EXPECT_EQ(g->Clicks, 0);
    EXPECT_EQ(formClicks, 1);
}

TEST_F(MouseTest, CursorOfTheControlUnderTheMouse) {
    TForm* form = ShownForm();
    auto* g = new TTestGraphic(form);
    g->SetBounds(10, 10, 20, 20);
    g->SetCursor(crHandPoint);
    g->SetParent(form);
    TestSeams::MouseMove(TestSeams::ClientPoint(form->GetHandle(), 15, 15));
    Pump();
    EXPECT_EQ(GetCursor(), Screen->GetCursors(crHandPoint));
    TestSeams::MouseMove(TestSeams::ClientPoint(form->GetHandle(), 100, 100));
    Pump();
    EXPECT_NE(GetCursor(), Screen->GetCursors(crHandPoint));
    Screen->SetCursor(crHourGlass);
    TestSeams::MouseMove(TestSeams::ClientPoint(form->GetHandle(), 15, 15));
    Pump();
    EXPECT_EQ(GetCursor(), Screen->GetCursors(crHourGlass));
}

} // namespace
