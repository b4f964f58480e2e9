// A fixture with the application up and the clock manual, and small
// controls the tests put on forms.
#pragma once

#include <quorlpak/Controls.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Graphics.h>
#include <quorlpak/Timer.h>

#include <win32/TestSeams.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class QuorlpakTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(100000);
        InitializeQuorlpak();
    }
    void TearDown() override {
        FinalizeQuorlpak();
        // Messages left for windows that are gone are dropped here.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        TestSeams::UseRealClock();
    }
    static void Pump() { Application->ProcessMessages(); }
    // A shown form of the given client size, owned by the application.
    static TForm* ShownForm(int clientWidth = 200, int clientHeight = 150) {
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(clientHeight);
        form->Show();
        Pump();
        return form;
    }
    // The colour of a client pixel of a windowed control, as painted.
    static COLORREF PixelAt(TWinControl* control, int x, int y) {
        HDC dc = GetDC(control->GetHandle());
        std::vector<COLORREF> p = win32::ReadPixels(dc, RECT{x, y, x + 1, y + 1});
        ReleaseDC(control->GetHandle(), dc);
        return p.empty() ? CLR_INVALID : p[0];
    }
    // A single click: time passes afterwards, so that the next one is not a double click.
    static void ClickAt(TWinControl* control, int x, int y) {
        TestSeams::Click(TestSeams::ClientPoint(control->GetHandle(), x, y));
        Pump();
        TestSeams::AdvanceClock(1000);
    }
};

// A windowed control that fills itself with its colour and counts clicks.
class TTestControl : public TCustomControl {
public:
    explicit TTestControl(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 40, 30); }
    int Paints = 0;
    int Clicks = 0;
    TModalResult ModalResult = mrNone; // set on the form by a click, like a button
    std::vector<UINT> Seen;            // component and reflected messages seen
    using TCustomControl::GetCanvas;

protected:
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(GetColor());
        GetCanvas()->FillRect(GetClientRect());
    }
    void Click() override {
        ++Clicks;
        TCustomControl::Click();
        if (ModalResult != mrNone)
            if (TCustomForm* form = GetParentForm()) form->SetModalResult(ModalResult);
    }
    void Dispatch(TMessage& Message) override {
        if (Message.Msg >= CM_BASE) Seen.push_back(Message.Msg);
        TCustomControl::Dispatch(Message);
    }
};

// A windowless control that fills itself with its colour.
class TTestGraphic : public TGraphicControl {
public:
    explicit TTestGraphic(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 20, 20); }
    int Paints = 0;
    int Clicks = 0;
    using TGraphicControl::GetCanvas;

protected:
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(GetColor());
        GetCanvas()->FillRect(GetClientRect());
    }
    void Click() override {
        ++Clicks;
        TGraphicControl::Click();
    }
};
