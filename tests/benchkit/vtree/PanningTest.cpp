// Wheel panning: the shaped window at the press point, the cursor for the
// pointer's direction, the scroll timer moving the content, and the middle
// button starting it from the mouse.
#include "VirtualTreeTestSupport.h"

#include <functional>

#include "benchkit/BenchkitInstance.h"
#include "benchkit/vtree/IDEVirtualTrees.h"

namespace {

class Panning : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TVirtualDrawTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 200, 120);
        tree->HandleNeeded();
        tree->SetRootNodeCount(100); // far taller than the client
        tree->UpdateScrollBars(false);
        Pump();
    }
    // Makes the content wider than the client too.
    void MakeWide() {
        tree->GetHeader()->GetColumns()->Add()->SetWidth(1000);
        tree->UpdateScrollBars(false);
    }
    POINT Screen(int X, int Y) {
        POINT p{X, Y};
        ClientToScreen(tree->GetHandle(), &p);
        return p;
    }
    HCURSOR Cursor(const char16_t* Name) { return LoadCursorW(BenchkitInstance(), Name); }

    TVirtualDrawTree* tree = nullptr;
};

TEST_F(Panning, StartsAShapedWindowAtThePressAndStopsCleanly) {
    tree->StartWheelPanning(TPoint{60, 50});
    EXPECT_TRUE(tree->HasState(tsWheelPanning));
    EXPECT_TRUE(tree->HasState(tsWheelScrolling));
    HWND window = tree->GetPanningWindow();
    ASSERT_TRUE(IsWindow(window));
    RECT r;
    GetWindowRect(window, &r);
    const POINT press = Screen(60, 50);
    EXPECT_EQ(r.left, press.x - 16);
    EXPECT_EQ(r.top, press.y - 16);
    EXPECT_EQ(r.right - r.left, 32);
    // The magenta corners of the image are cut away; the middle stays.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 16, 16));
    DeleteObject(region);
    EXPECT_EQ(GetCapture(), tree->GetHandle());

    tree->StopWheelPanning();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(tree->GetPanningWindow(), nullptr);
    EXPECT_FALSE(tree->HasState(tsWheelPanning));
    EXPECT_NE(GetCapture(), tree->GetHandle());
}

TEST_F(Panning, TheCursorShowsTheDirectionBeyondTheDeadZone) {
    struct Case {
        bool wide;
        int dx, dy;
        const char16_t* cursor;
    } cases[] = {
        {false, 3, 3, u"VT_MOVENS"},   {false, 0, -9, u"VT_MOVEN"},   {false, 20, 9, u"VT_MOVES"},
        {true, 3, -3, u"VT_MOVEALL"},  {true, 8, 0, u"VT_MOVES"},     {true, 8, -1, u"VT_MOVEN"},
        {true, 9, 0, u"VT_MOVEE"},     {true, 9, -9, u"VT_MOVENE"},   {true, 9, 9, u"VT_MOVESE"},
        {true, -9, 8, u"VT_MOVEW"},    {true, -9, -9, u"VT_MOVENW"},  {true, -9, 9, u"VT_MOVESW"},
        {true, 0, -8, u"VT_MOVEN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        if (c.wide) MakeWide();
        tree->StartWheelPanning(TPoint{100, 60});
        tree->AdjustPanningCursor(100 + c.dx, 60 + c.dy);
        EXPECT_EQ(tree->GetPanningCursor(), Cursor(c.cursor));
        EXPECT_EQ(GetCursor(), Cursor(c.cursor));
        tree->StopWheelPanning();
    }
}

TEST_F(Panning, TheTimerScrollsByTheDistanceBeyondTheDeadZone) {
    tree->StartWheelPanning(TPoint{100, 60});
    TestSeams::MouseMove(Screen(100, 100)); // 40 below the start
    Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), -(40 - 8));
    Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), -2 * (40 - 8));
    // Within the dead zone nothing moves; the top stops an upward pan.
    TestSeams::MouseMove(Screen(100, 66));
    Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), -64);
    TestSeams::MouseMove(Screen(100, 0));
    for (int i = 0; i < 5; ++i)
        Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), 0);
    tree->StopWheelPanning();
    Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), 0);
}

TEST_F(Panning, PressDragAndReleaseOfTheMiddleButtonPans) {
    TestSeams::MouseDown(Screen(100, 60), VK_MBUTTON);
    Pump();
    ASSERT_TRUE(IsWindow(tree->GetPanningWindow()));
    EXPECT_TRUE(tree->HasState(tsWheelScrolling));
    TestSeams::MouseMove(Screen(100, 90));
    Pump();
    EXPECT_EQ(tree->GetPanningCursor(), Cursor(u"VT_MOVES"));
    EXPECT_FALSE(tree->HasState(tsWheelScrolling)); // a drag, not a click
    Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), -(30 - 8));
    TestSeams::MouseUp(Screen(100, 90), VK_MBUTTON);
    Pump();
    EXPECT_EQ(tree->GetPanningWindow(), nullptr);
    EXPECT_FALSE(tree->HasState(tsWheelPanning));
    Advance(20);
    EXPECT_EQ(tree->GetOffsetY(), -22);
}

TEST_F(Panning, AMiddleClickKeepsPanningUntilAPressOrFocusLoss) {
    const struct {
        const char* name;
        std::function<void()> end;
    } ends[] = {
        {"left press", [&] { TestSeams::Click(Screen(150, 20)); }},
        {"middle press", [&] { TestSeams::Click(Screen(150, 20), VK_MBUTTON); }},
        {"focus loss", [] { SetFocus(nullptr); }},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.name);
        tree->SetOffsetY(0);
        tree->SetFocus();
        TestSeams::Click(Screen(100, 60), VK_MBUTTON);
        Pump();
        ASSERT_TRUE(IsWindow(tree->GetPanningWindow()));
        EXPECT_FALSE(tree->HasState(tsWheelPanning));
        EXPECT_TRUE(tree->HasState(tsWheelScrolling));
        TestSeams::MouseMove(Screen(100, 100));
        Advance(20);
        EXPECT_EQ(tree->GetOffsetY(), -32);
        end.end();
        Pump();
        EXPECT_EQ(tree->GetPanningWindow(), nullptr);
        EXPECT_FALSE(tree->HasState(tsWheelScrolling));
        Advance(20);
        EXPECT_EQ(tree->GetOffsetY(), -32);
        TestSeams::AdvanceClock(1000); // no double click with the next press
    }
}

} // namespace
