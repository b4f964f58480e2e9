// Painting: a form's windowed and windowless children paint through their
// canvases, and what they paint can be read back.
#include "QuorlpakTestSupport.h"

namespace {

class ControlPaintTest : public QuorlpakTest {};

TEST_F(ControlPaintTest, CustomControlPaintsThroughItsCanvas) {
    TForm* form = ShownForm();
    auto* control = new TTestControl(form);
    control->SetColor(clRed);
    control->SetBounds(10, 20, 50, 40);
    control->SetParent(form);
    Pump();
    EXPECT_GE(control->Paints, 1);
    EXPECT_EQ(PixelAt(control, 0, 0), ColorToRGB(clRed));
    EXPECT_EQ(PixelAt(control, 49, 39), ColorToRGB(clRed));
    EXPECT_EQ(control->GetClientOrigin(), TestSeams::ClientPoint(form->GetHandle(), 10, 20));
    EXPECT_EQ(PixelAt(form, 5, 5), ColorToRGB(clBtnFace)); // the form's background
}

TEST_F(ControlPaintTest, GraphicControlPaintsOnItsParentAtItsPlace) {
    TForm* form = ShownForm();
    auto* graphic = new TTestGraphic(form);
    graphic->SetColor(clBlue);
    graphic->SetBounds(30, 40, 10, 10);
    graphic->SetParent(form);
    Pump();
    EXPECT_GE(graphic->Paints, 1);
    EXPECT_EQ(PixelAt(form, 30, 40), ColorToRGB(clBlue));
    EXPECT_EQ(PixelAt(form, 39, 49), ColorToRGB(clBlue));
    EXPECT_EQ(PixelAt(form, 40, 50), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(form, 29, 40), ColorToRGB(clBtnFace));
}

TEST_F(ControlPaintTest, MovingAGraphicControlRepaintsBothPlaces) {
    TForm* form = ShownForm();
    auto* graphic = new TTestGraphic(form);
    graphic->SetColor(clLime);
    graphic->SetParent(form);
    Pump();
    graphic->SetBounds(100, 100, 20, 20);
    Pump();
    EXPECT_EQ(PixelAt(form, 5, 5), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(form, 105, 105), ColorToRGB(clLime));
}

TEST_F(ControlPaintTest, ColourChangeRepaintsAndInvisibleControlsDoNotPaint) {
    TForm* form = ShownForm();
    auto* control = new TTestControl(form);
    control->SetParent(form);
    control->SetColor(clYellow);
    Pump();
    EXPECT_EQ(PixelAt(control, 1, 1), ColorToRGB(clYellow));
    control->SetColor(clNavy);
    Pump();
    EXPECT_EQ(PixelAt(control, 1, 1), ColorToRGB(clNavy));

    auto* graphic = new TTestGraphic(form);
    graphic->SetColor(clRed);
    graphic->SetBounds(100, 10, 10, 10);
    graphic->SetVisible(false);
    graphic->SetParent(form);
    Pump();
    EXPECT_EQ(graphic->Paints, 0);
    EXPECT_EQ(PixelAt(form, 105, 15), ColorToRGB(clBtnFace));
    graphic->SetVisible(true);
    Pump();
    EXPECT_EQ(PixelAt(form, 105, 15), ColorToRGB(clRed));
}

TEST_F(ControlPaintTest, CanvasOutsidePaintDrawsOnTheWindow) {
    TForm* form = ShownForm();
    auto* control = new TTestControl(form);
    control->SetColor(clWhite);
    control->SetParent(form);
    Pump();
    control->GetCanvas()->GetPen()->SetColor(clRed);
    control->GetCanvas()->MoveTo(0, 5);
    control->GetCanvas()->LineTo(40, 5);
    EXPECT_EQ(PixelAt(control, 20, 5), ColorToRGB(clRed));
    EXPECT_EQ(PixelAt(control, 20, 6), ColorToRGB(clWhite));
}

TEST_F(ControlPaintTest, GraphicCanvasOutsidePaintFollowsTheControlAfterAMove) {
    TForm* form = ShownForm();
    auto* g = new TTestGraphic(form);
    g->SetBounds(10, 10, 20, 20);
    g->SetParent(form);
    Pump();
    g->GetCanvas()->SetPixel(1, 1, clRed);
    EXPECT_EQ(PixelAt(form, 11, 11), ColorToRGB(clRed));
    g->SetBounds(60, 60, 20, 20);
    Pump(); // the canvas gives its DC back after the messages
    g->GetCanvas()->SetPixel(2, 2, clBlue);
    EXPECT_EQ(PixelAt(form, 62, 62), ColorToRGB(clBlue));
    EXPECT_NE(PixelAt(form, 12, 12), ColorToRGB(clBlue));
}

TEST_F(ControlPaintTest, RepaintGoesThroughTheVirtualUpdate) {
    struct TCounting : TTestControl {
        using TTestControl::TTestControl;
        int Updates = 0;
        void Update() override {
            ++Updates;
            TTestControl::Update();
        }
    };
    TForm* form = ShownForm();
    auto* control = new TCounting(form);
    control->SetParent(form);
    Pump();
    int paints = control->Paints;
    control->Repaint();
    EXPECT_EQ(control->Updates, 1);
    EXPECT_EQ(control->Paints, paints + 1); // painted at once, not later
}

TEST_F(ControlPaintTest, FormOnPaintDrawsOnTheFormCanvas) {
    TForm* form = ShownForm();
    form->OnPaint = [form](TObject*) {
        form->GetCanvas()->GetBrush()->SetColor(clFuchsia);
        form->GetCanvas()->FillRect(Rect(0, 0, 10, 10));
    };
    form->Invalidate();
    Pump();
    EXPECT_EQ(PixelAt(form, 5, 5), ColorToRGB(clFuchsia));
}

TEST_F(ControlPaintTest, DoubleBufferedControlPaintsTheSame) {
    TForm* form = ShownForm();
    auto* control = new TTestControl(form);
    control->SetDoubleBuffered(true);
    control->SetColor(clTeal);
    control->SetParent(form);
    Pump();
    EXPECT_EQ(PixelAt(control, 3, 3), ColorToRGB(clTeal));
}

} // namespace
