// The framework's application up on the manual clock, for tests of controls:
// shown forms, pixels read back as painted, and clicks that never make a
// double click with the next one.
#pragma once

#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>

#include <win32/TestSeams.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <vector>

class ApplicationTest : public testing::Test {
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
    static void ClickAt(TWinControl* control, int x, int y, int button = VK_LBUTTON) {
        TestSeams::Click(TestSeams::ClientPoint(control->GetHandle(), x, y), button);
        Pump();
        TestSeams::AdvanceClock(1000);
    }
};
