// Bounds, alignment, anchors and constraints, before and after the windows exist.
#include "QuorlpakTestSupport.h"

namespace {

class LayoutTest : public QuorlpakTest {};

TEST_F(LayoutTest, AlignedControlsShareTheClientAreaAndFollowResizes) {
    TForm* form = ShownForm(200, 150);
    auto make = [&](TAlign align) {
        auto* c = new TTestControl(form);
        c->SetBounds(0, 0, 40, 20);
        c->SetAlign(align);
        c->SetParent(form);
        return c;
    };
    TTestControl* top = make(alTop);
    TTestControl* bottom = make(alBottom);
    TTestControl* left = make(alLeft);
    TTestControl* client = make(alClient);
    EXPECT_EQ(top->GetBoundsRect(), Rect(0, 0, 200, 20));
    EXPECT_EQ(bottom->GetBoundsRect(), Rect(0, 130, 200, 150));
    EXPECT_EQ(left->GetBoundsRect(), Rect(0, 20, 40, 130));
    EXPECT_EQ(client->GetBoundsRect(), Rect(40, 20, 200, 130));

    form->SetClientWidth(300);
    form->SetClientHeight(200);
    Pump();
    EXPECT_EQ(top->GetBoundsRect(), Rect(0, 0, 300, 20));
    EXPECT_EQ(bottom->GetBoundsRect(), Rect(0, 180, 300, 200));
    EXPECT_EQ(left->GetBoundsRect(), Rect(0, 20, 40, 180));
    EXPECT_EQ(client->GetBoundsRect(), Rect(40, 20, 300, 180));
    // The windows are where the controls say.
    RECT r;
    GetWindowRect(client->GetHandle(), &r);
    POINT origin = TestSeams::ClientPoint(form->GetHandle(), 40, 20);
    EXPECT_EQ(r.left, origin.x);
    EXPECT_EQ(r.top, origin.y);
    EXPECT_EQ(r.right - r.left, 260);
}

TEST_F(LayoutTest, TwoTopAlignedControlsStackInTheirOrder) {
    TForm* form = ShownForm(100, 100);
    auto* first = new TTestControl(form);
    first->SetBounds(0, 0, 10, 15);
    first->SetAlign(alTop);
    first->SetParent(form);
    auto* second = new TTestControl(form);
    second->SetBounds(0, 50, 10, 25);
    second->SetAlign(alTop);
    second->SetParent(form);
    EXPECT_EQ(first->GetTop(), 0);
    EXPECT_EQ(second->GetTop(), 15);
    // Hiding the first lets the second move up.
    first->SetVisible(false);
    EXPECT_EQ(second->GetTop(), 0);
}

TEST_F(LayoutTest, BorderWidthInsetsAlignedChildren) {
    TForm* form = ShownForm(100, 100);
    form->SetBorderWidth(5);
    auto* c = new TTestControl(form);
    c->SetAlign(alClient);
    c->SetParent(form);
    EXPECT_EQ(c->GetBoundsRect(), Rect(5, 5, 95, 95));
}

struct AnchorCase {
    const char* name;
    TAnchors anchors;
    TRect after; // bounds after the client grows from 200x150 to 300x250
};

class AnchorTest : public LayoutTest, public testing::WithParamInterface<AnchorCase> {};

TEST_P(AnchorTest, ControlsKeepTheirDistancesToAnchoredEdges) {
    TForm* form = ShownForm(200, 150);
    auto* c = new TTestGraphic(form);
    c->SetBounds(50, 40, 60, 30);
    c->SetParent(form);
    c->SetAnchors(GetParam().anchors);
    form->SetClientWidth(300);
    form->SetClientHeight(250);
    Pump();
    EXPECT_EQ(c->GetBoundsRect(), GetParam().after) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, AnchorTest,
    testing::Values(AnchorCase{"left top", {akLeft, akTop}, Rect(50, 40, 110, 70)},
                    AnchorCase{"right bottom", {akRight, akBottom}, Rect(150, 140, 210, 170)},
                    AnchorCase{"left right", {akLeft, akTop, akRight}, Rect(50, 40, 210, 70)},
                    AnchorCase{"all", {akLeft, akTop, akRight, akBottom}, Rect(50, 40, 210, 170)},
                    // Unanchored: the centre keeps its proportion of the parent.
                    AnchorCase{"none", {}, Rect(90, 77, 150, 107)}),
    [](const testing::TestParamInfo<AnchorCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST_F(LayoutTest, AnchorsWorkBeforeTheWindowsExist) {
    TForm form(nullptr);
    form.AfterConstruction();
    form.SetBounds(0, 0, 300, 200);
    auto* c = new TTestGraphic(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 20, 20);
    c->SetAnchors({akRight, akBottom});
    EXPECT_FALSE(form.HandleAllocated());
    int right = form.GetClientWidth() - c->GetLeft();
    form.SetWidth(400);
    EXPECT_FALSE(form.HandleAllocated());
    EXPECT_EQ(form.GetClientWidth() - c->GetLeft(), right);
    form.Show();
    Pump();
    EXPECT_EQ(form.GetClientWidth() - c->GetLeft(), right);
}

TEST_F(LayoutTest, ClientSizeWithoutAWindowAgreesWithTheWindow) {
    TForm form(nullptr);
    form.AfterConstruction();
    form.SetClientWidth(250);
    form.SetClientHeight(120);
    EXPECT_FALSE(form.HandleAllocated());
    TRect before = form.GetClientRect();
    TRect windowRect = form.GetBoundsRect();
    form.Show();
    Pump();
    EXPECT_EQ(form.GetClientRect(), before);
    EXPECT_EQ(form.GetClientWidth(), 250);
    EXPECT_EQ(form.GetClientHeight(), 120);
    EXPECT_EQ(form.GetWidth(), windowRect.Width());
}

TEST_F(LayoutTest, ConstraintsClampEverySize) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->GetConstraints()->SetMinWidth(30);
    c->GetConstraints()->SetMaxWidth(60);
    c->GetConstraints()->SetMaxHeight(25);
    c->SetBounds(0, 0, 10, 100);
    EXPECT_EQ(c->GetWidth(), 30);
    EXPECT_EQ(c->GetHeight(), 25);
    c->SetWidth(500);
    EXPECT_EQ(c->GetWidth(), 60);
    // A minimum above the maximum lifts the maximum.
    c->GetConstraints()->SetMinWidth(80);
    EXPECT_EQ(c->GetConstraints()->GetMaxWidth(), 80);
    EXPECT_EQ(c->GetWidth(), 80);
}

TEST_F(LayoutTest, OnCanResizeMayRefuseAndOnResizeFollowsEveryChange) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    int resizes = 0;
    c->OnResize = [&](TObject*) { ++resizes; };
    c->OnCanResize = [](TObject*, int& w, int&, bool& resize) { resize = w < 100; };
    c->SetWidth(80);
    EXPECT_EQ(c->GetWidth(), 80);
    EXPECT_EQ(resizes, 1);
    c->SetWidth(120);
    EXPECT_EQ(c->GetWidth(), 80);
    EXPECT_EQ(resizes, 1);
}

TEST_F(LayoutTest, ScreenAndClientCoordinatesConvert) {
    TForm* form = ShownForm();
    auto* panel = new TTestControl(form);
    panel->SetBounds(20, 30, 100, 80);
    panel->SetParent(form);
    auto* inner = new TTestGraphic(form);
    inner->SetBounds(5, 6, 10, 10);
    inner->SetParent(panel);
    TPoint screen = inner->ClientToScreen(TPoint(1, 2));
    EXPECT_EQ(screen, TestSeams::ClientPoint(panel->GetHandle(), 6, 8));
    EXPECT_EQ(inner->ScreenToClient(screen), TPoint(1, 2));
    EXPECT_EQ(inner->ClientToParent(TPoint(0, 0), form), TPoint(25, 36));
}

TEST_F(LayoutTest, ChangeScaleScalesBoundsAndFont) {
    TForm* form = ShownForm();
    auto* c = new TTestGraphic(form);
    c->SetParent(form);
    c->SetBounds(10, 20, 30, 40);
    c->SetParentFont(false);
    c->GetFont()->SetHeight(-12);
    c->ChangeScale(3, 2);
    EXPECT_EQ(c->GetBoundsRect(), Rect(15, 30, 60, 90));
    EXPECT_EQ(c->GetFont()->GetHeight(), -18);
}

TEST_F(LayoutTest, ChangeScaleOfAParentScalesItsChildren) {
    TForm* form = ShownForm();
    auto* panel = new TTestControl(form);
    panel->SetBounds(10, 10, 100, 50);
    panel->SetParent(form);
    auto* inner = new TTestGraphic(form);
    inner->SetBounds(4, 6, 20, 10);
    inner->SetParent(panel);
    panel->ChangeScale(2, 1);
    EXPECT_EQ(panel->GetBoundsRect(), Rect(20, 20, 220, 120));
    EXPECT_EQ(inner->GetBoundsRect(), Rect(8, 12, 48, 32));
}

TEST_F(LayoutTest, ZOrderOfWindowlessChildren) {
    TForm* form = ShownForm();
    auto* a = new TTestGraphic(form);
    auto* b = new TTestGraphic(form);
    a->SetParent(form);
    b->SetParent(form);
    EXPECT_EQ(form->GetControls(1), b);
    a->BringToFront();
    EXPECT_EQ(form->GetControls(1), a);
    EXPECT_EQ(form->ControlAtPos(TPoint(5, 5), false), a);
    a->SendToBack();
    EXPECT_EQ(form->ControlAtPos(TPoint(5, 5), false), b);
}

} // namespace
