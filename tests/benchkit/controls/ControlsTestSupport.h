// The application on the manual clock and a shown form to put workbench
// controls on; pixels are read back from the form's window.
#pragma once

#include <ApplicationTest.h>

class ControlsTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        Form = ShownForm(400, 300);
    }
    // Puts a control at (0, 0) on the form, in a fixed font.
    template <class T> T* Place(T* Control, int Width, int Height) {
        Control->GetFont()->SetName(u"DejaVu Sans");
        Control->GetFont()->SetHeight(-12);
        Control->SetBounds(0, 0, Width, Height);
        Control->SetParent(Form);
        Form->Update();
        Pump();
        return Control;
    }
    // A pixel of the form's client area (windowless controls draw there).
    COLORREF PixelAt(int X, int Y) { return PixelOf(Form, X, Y); }
    // A pixel of a windowed control's client area.
    static COLORREF PixelOf(TWinControl* Control, int X, int Y) {
        return ApplicationTest::PixelAt(Control, X, Y);
    }

    TForm* Form = nullptr;
};
