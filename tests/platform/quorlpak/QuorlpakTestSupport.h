// A fixture with the application up and the clock manual, and small
// controls the tests put on forms.
#pragma once

#include <quorlpak/Controls.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Graphics.h>
#include <quorlpak/Timer.h>

#include <ApplicationTest.h>

#include <win32/TestSeams.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class QuorlpakTest : public ApplicationTest {};

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
