// Dockable tool bars by scripted drags on synthetic input: docking into the
// cool bar, a refused client, tearing a band off (by distance and with
// Ctrl), following the pointer while floating, and docking again; the tool
// bar's button accessors and the control bar's drag veto.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEDockBar.h"
#include "benchkit/controls/IDEDockForm.h"
#include "benchkit/controls/IDEXControlBar.h"

#include <quorlpak/ActnList.h>
#include <quorlpak/DragObjects.h>
#include <quorlpak/ExtCtrls.h>
#include <runpak/Strings.h>

#include <climits>

namespace {

class DockingTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        InitializeIDEDockForm();
        cool = new TDockCoolBar(Form);
        cool->SetParent(Form);
        bar = MakeToolBar(u"Standard", 3);
        Pump();
    }
    void TearDown() override {
        FinalizeIDEDockForm();
        ControlsTest::TearDown();
    }
    TDockToolBar* MakeToolBar(const char16_t* caption, int buttons) {
        auto* toolBar = new TDockToolBar(Form);
        toolBar->SetCaption(caption);
        for (int i = 0; i < buttons; ++i) {
            auto* button = new TToolButton(toolBar);
            button->SetCaption(u"B" + IntToStr(i));
            button->SetParent(toolBar);
        }
        return toolBar;
    }
    // Drags a control by its body (a drag that starts on the press): press,
    // moves and release are all queued first, as the drag's own loop reads them.
    void DragBody(TWinControl* Control, TPoint From, std::vector<TPoint> Through,
                  bool Release = true) {
        const HWND wnd = Control->GetHandle();
        TestSeams::MouseMove(TestSeams::ClientPoint(wnd, From.x, From.y));
        TestSeams::MouseDown(TestSeams::ClientPoint(wnd, From.x, From.y));
        for (const TPoint& p : Through) TestSeams::MouseMove(TestSeams::ClientPoint(wnd, p.x, p.y));
        const TPoint last = Through.empty() ? From : Through.back();
        if (Release) TestSeams::MouseUp(TestSeams::ClientPoint(wnd, last.x, last.y));
        Settle();
    }
    // Pulls a band of the cool bar: the press is handled first (the bar takes
    // the mouse), then the moves and the release, with keys held meanwhile.
    void PullBand(TPoint From, std::vector<TPoint> Through, std::initializer_list<int> Held = {}) {
        const HWND wnd = cool->GetHandle();
        TestSeams::MouseMove(TestSeams::ClientPoint(wnd, From.x, From.y));
        TestSeams::MouseDown(TestSeams::ClientPoint(wnd, From.x, From.y));
        Pump();
        for (int k : Held) TestSeams::KeyDown(k);
        for (const TPoint& p : Through) TestSeams::MouseMove(TestSeams::ClientPoint(wnd, p.x, p.y));
        const TPoint last = Through.empty() ? From : Through.back();
        TestSeams::MouseUp(TestSeams::ClientPoint(wnd, last.x, last.y));
        for (int k : Held) TestSeams::KeyUp(k);
        Settle();
    }
    static void Settle() {
        Pump();
        TestSeams::AdvanceClock(1000);
        Pump();
    }
    // The floating tool windows there are.
    static int FloatingWindows() {
        int count = 0;
        for (int i = 0; i < Application->GetComponentCount(); ++i)
            if (dynamic_cast<TXToolDockForm*>(Application->GetComponents(i))) ++count;
        return count;
    }
    void DockIn() {
        ASSERT_TRUE(bar->ManualDock(cool));
        Pump();
        ASSERT_EQ(bar->GetHostDockSite(), cool);
    }
    TDockCoolBar* cool = nullptr;
    TDockToolBar* bar = nullptr;
};

TEST_F(DockingTest, OnlyDockToolBarsMayDockAndBecomeBandsWithTheirMinimumSize) {
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    TRect influence;
    bool canDock = true;
    cool->GetSiteInfo(panel, influence, TPoint(0, 0), canDock);
    EXPECT_FALSE(canDock);
    canDock = true;
    cool->GetSiteInfo(bar, influence, TPoint(0, 0), canDock);
    EXPECT_TRUE(canDock);

    DockIn();
    EXPECT_EQ(bar->GetParent(), cool);
    EXPECT_FALSE(bar->GetFloating());
    TCoolBand* band = cool->GetBands()->FindBand(bar);
    ASSERT_NE(band, nullptr);
    int w = INT_MAX;
    int h = 0;
    bar->CanAutoSize(w, h);
    EXPECT_EQ(band->GetMinWidth(), w);
    EXPECT_EQ(band->GetMinHeight(), h);
    EXPECT_EQ(w, 3 * bar->GetButtonWidth());
    EXPECT_FALSE(band->GetBreak());
    EXPECT_EQ(bar->GetDragMode(), dmManual);
    // The cool bar fits its one row of bands.
    EXPECT_EQ(cool->GetClientHeight(), band->GetHeight());

    // A plain panel dragged for docking over the bar is refused: it floats instead.
    panel->SetDragKind(dkDock);
    panel->SetDragMode(dmAutomatic);
    panel->SetBounds(50, 150, 60, 40);
    const TPoint overBar = panel->ScreenToClient(cool->ClientToScreen(TPoint(60, 5)));
    DragBody(panel, TPoint(5, 5), {TPoint(20, 5), overBar});
    EXPECT_NE(panel->GetParent(), cool);
    EXPECT_TRUE(panel->GetFloating());
    EXPECT_EQ(cool->GetBands()->GetCount(), 1);
}

TEST_F(DockingTest, PullingABandOutFloatsItOnlyBeyondItsHeight) {
    DockIn();
    TCoolBand* band = cool->GetBands()->FindBand(bar);
    const int h = band->GetHeight();
    const int bottom = cool->GetClientHeight();
    // Pressed on the grip, pulled h pixels below the bar (not more), and released.
    PullBand(TPoint(4, h / 2), {TPoint(4, bottom + 1), TPoint(4, bottom + h)});
    EXPECT_EQ(bar->GetHostDockSite(), cool);
    EXPECT_EQ(cool->GetTrackBand(), nullptr);

    // Beyond the band's height it floats in the tool-dock form and follows the
    // pointer, over a site that refuses it, showing a frame where it would go.
    auto* site = new TPanel(Form);
    site->SetParent(Form);
    site->SetBounds(100, cool->GetHeight() + 40, 60, 30);
    site->SetDockSite(true);
    RECT frame{};
    int over = 0;
    site->OnDockOver = [&](TObject*, TDragDockObject* Source, int, int, TDragState State,
                           bool& Accept) {
        if (State == dsDragLeave) return;
        ++over;
        HWND edge = FindWindowW(u"QuorlpakDockFrame", nullptr);
        if (edge && IsWindowVisible(edge)) GetWindowRect(edge, &frame);
        EXPECT_EQ(Source->GetControl(), bar);
        Accept = false;
    };
    PullBand(TPoint(4, h / 2), {TPoint(4, bottom + h + 2), TPoint(120, bottom + 55),
                                TPoint(40, bottom + 90)});
    EXPECT_GT(over, 0);
    EXPECT_GT(frame.right - frame.left, 0);
    EXPECT_EQ(FindWindowW(u"QuorlpakDockFrame", nullptr), nullptr); // gone with the drag
    ASSERT_TRUE(bar->GetFloating());
    auto* form = dynamic_cast<TXToolDockForm*>(bar->GetHostDockSite());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(cool->GetBands()->GetCount(), 0);
    EXPECT_TRUE(form->GetVisible());
    EXPECT_TRUE(bar->GetAutoSize());
    EXPECT_TRUE(bar->GetWrapable());
    EXPECT_EQ(bar->GetDragMode(), dmAutomatic);
    // The window moved with the pointer: its client area is near where it was let go.
    const TPoint drop = cool->ClientToScreen(TPoint(40, bottom + 90));
    const TPoint client = form->ClientToScreen(TPoint(0, 0));
    EXPECT_NEAR(client.x, drop.x - 2, 4);
    EXPECT_LT(std::abs(client.y - drop.y), h + 4);
    EXPECT_EQ(form->GetClientWidth(), bar->GetWidth());
}

TEST_F(DockingTest, CtrlTearsOffAtOnceAndAFloatingBarDocksAgain) {
    DockIn();
    const int h = cool->GetBands()->FindBand(bar)->GetHeight();
    // Ctrl held: the first move floats it, and no site takes it while Ctrl is down.
    PullBand(TPoint(4, h / 2), {TPoint(5, h / 2), TPoint(30, h / 2 + 5)}, {VK_CONTROL});
    ASSERT_TRUE(bar->GetFloating());
    TWinControl* form = bar->GetHostDockSite();
    EXPECT_EQ(FloatingWindows(), 1);

    // Dragged by its own body back over the bar: it docks again at once, the
    // floating window goes, and the bar goes on pulling the band until the
    // button is let go.
    const TPoint client = form->ClientToScreen(TPoint(0, 0));
    const TPoint caption(client.x + 10, (form->GetTop() + client.y) / 2);
    const TPoint overBar = cool->ClientToScreen(TPoint(30, h / 2));
    TestSeams::MouseDown(caption);
    TestSeams::MouseMove(TPoint(caption.x + 10, caption.y));
    TestSeams::MouseMove(overBar);
    Settle();
    EXPECT_EQ(bar->GetHostDockSite(), cool);
    EXPECT_EQ(cool->GetTrackBand(), cool->GetBands()->FindBand(bar));
    TestSeams::MouseUp(TestSeams::ClientPoint(cool->GetHandle(), 30, h / 2));
    Settle();
    EXPECT_EQ(bar->GetParent(), cool);
    EXPECT_EQ(cool->GetBands()->GetCount(), 1);
    EXPECT_FALSE(bar->GetWrapable());
    EXPECT_EQ(FloatingWindows(), 0); // the empty floating window went
    EXPECT_EQ(cool->GetTrackBand(), nullptr);

    // Torn off again and let go with Escape: the drag ends, the bar floats where it was torn off.
    TestSeams::MouseDown(TestSeams::ClientPoint(cool->GetHandle(), 4, h / 2));
    Pump();
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::MouseMove(TestSeams::ClientPoint(cool->GetHandle(), 6, h / 2));
    TestSeams::KeyUp(VK_CONTROL);
    TestSeams::KeyPress(VK_ESCAPE);
    Settle();
    EXPECT_TRUE(bar->GetFloating());
    EXPECT_FALSE(bar->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    TestSeams::MouseUp(TestSeams::ClientPoint(cool->GetHandle(), 6, h / 2));
    Settle();
}

TEST_F(DockingTest, ManualFloatAndDockMoveTheBarBetweenHosts) {
    const TRect where(300, 200, 420, 240);
    ASSERT_TRUE(bar->ManualFloat(where));
    ASSERT_TRUE(bar->GetFloating());
    TWinControl* form = bar->GetHostDockSite();
    EXPECT_EQ(form->ClientToScreen(TPoint(0, 0)), TPoint(300, 200));
    EXPECT_EQ(form->GetDockClientCount(), 1);
    // The floating window wraps the bar, which shows its buttons in rows of the window's width.
    Pump();
    EXPECT_EQ(bar->GetHeight(), bar->GetButtonHeight());
    EXPECT_EQ(form->GetClientHeight(), bar->GetHeight());
    EXPECT_EQ(form->GetClientWidth(), bar->GetWidth());
    EXPECT_TRUE(bar->GetShowing());
    EXPECT_EQ(bar->GetButtons(2)->GetLeft(), 2 * bar->GetButtonWidth());
    // The same from the cool bar.
    DockIn();
    Pump();
    ASSERT_TRUE(bar->ManualFloat(Bounds(300, 200, bar->GetWidth(), bar->GetHeight())));
    Pump();
    form = bar->GetHostDockSite();
    EXPECT_EQ(bar->GetHeight(), bar->GetButtonHeight());
    EXPECT_EQ(form->GetClientHeight(), bar->GetHeight());
    EXPECT_EQ(form->GetClientWidth(), bar->GetWidth());
    EXPECT_EQ(bar->GetWidth(), 3 * bar->GetButtonWidth());
    EXPECT_EQ(bar->GetBoundsRect(), TRect(0, 0, bar->GetWidth(), bar->GetHeight()));

    DockIn();
    EXPECT_FALSE(bar->GetFloating());
    Pump(); // the empty floating window frees itself
    EXPECT_EQ(cool->GetDockClientCount(), 1);
    delete bar; // a docked bar that goes takes its band with it
    EXPECT_EQ(cool->GetBands()->GetCount(), 0);
    EXPECT_EQ(cool->GetDockClientCount(), 0);
}

TEST_F(DockingTest, ButtonAccessorsFindActionsByExactName) {
    auto* actions = new TAction(Form);
    actions->SetName(u"actOpen");
    auto* save = new TAction(Form);
    save->SetName(u"actSave");
    save->SetCaption(UnicodeString(u"Save as"));
    bar->GetButtons(0)->SetAction(actions);
    bar->GetButtons(2)->SetAction(save);
    DockIn();
    EXPECT_EQ(bar->GetZButtonCount(), 3);
    EXPECT_EQ(bar->GetZButtonName(0), u"actOpen");
    EXPECT_EQ(bar->GetZButtonName(1), u"");
    EXPECT_EQ(bar->GetZButtonIndex(u"actSave"), 2);
    EXPECT_EQ(bar->GetZButtonIndex(u"actsave"), -1);
    EXPECT_EQ(bar->GetZButtonIndex(u"none"), -1);
    EXPECT_EQ(bar->GetZButtonLeft(1), bar->GetButtons(1)->GetLeft());
    EXPECT_EQ(bar->GetZButtonTop(2), bar->GetButtons(2)->GetTop());
    EXPECT_EQ(bar->GetButtons(2)->GetCaption(), u"Save as");
    int executed = 0;
    save->OnExecute = [&](TObject*) { ++executed; };
    bar->GetButtons(2)->Click();
    EXPECT_EQ(executed, 1);
}

// Presses on the grip of the bar's control at (20, 5) and pulls it 85 pixels right, 2 down.
void DragBar(TWinControl* Bar) {
    const HWND wnd = Bar->GetHandle();
    TestSeams::MouseDown(TestSeams::ClientPoint(wnd, 15, 10));
    Application->ProcessMessages();
    TestSeams::MouseMove(TestSeams::ClientPoint(wnd, 60, 10));
    TestSeams::MouseMove(TestSeams::ClientPoint(wnd, 100, 12));
    TestSeams::MouseUp(TestSeams::ClientPoint(wnd, 100, 12));
    Application->ProcessMessages();
    TestSeams::AdvanceClock(1000);
}

TEST_F(DockingTest, ControlBarOwnerMayStopABandDrag) {
    auto* controlBar = Place(new TXControlBar(Form), 300, 60);
    controlBar->SetTop(120);
    auto* panel = new TPanel(Form);
    panel->SetParent(controlBar);
    panel->SetBounds(20, 5, 60, 30);
    Pump();
    bool allow = false;
    int asked = 0;
    controlBar->OnBandDrag = [&](TObject* Sender, TControl* Control, bool& Drag) {
        EXPECT_EQ(Sender, controlBar);
        EXPECT_EQ(Control, panel);
        ++asked;
        Drag = allow;
    };
    DragBar(controlBar);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(panel->GetLeft(), 20);
    allow = true;
    DragBar(controlBar);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(panel->GetLeft(), 20 + 85);
    EXPECT_EQ(panel->GetTop(), 5 + 2);
}

} // namespace
