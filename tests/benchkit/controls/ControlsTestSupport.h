// The application on the manual clock and a shown form to put workbench
// controls on; pixels are read back from the form's window.
#pragma once

#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>
#include <win32/TestSeams.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

class ControlsTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(100000);
        InitializeQuorlpak();
        Form = new TForm(Application);
        Form->AfterConstruction();
        Form->SetClientWidth(400);
        Form->SetClientHeight(300);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        FinalizeQuorlpak();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        TestSeams::UseRealClock();
    }
    static void Pump() { Application->ProcessMessages(); }
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
        HDC dc = GetDC(Control->GetHandle());
        std::vector<COLORREF> p = win32::ReadPixels(dc, RECT{X, Y, X + 1, Y + 1});
        ReleaseDC(Control->GetHandle(), dc);
        return p.empty() ? CLR_INVALID : p[0];
    }

    TForm* Form = nullptr;
};
