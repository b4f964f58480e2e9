// A shown form to put standard controls on, and the keys and clicks the
// tests of those controls use.
#pragma once

#include "QuorlpakTestSupport.h"

#include <quorlpak/Buttons.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>

#include <runpak/Filer.h>

#include <string_view>

class StdControlsTest : public QuorlpakTest {
protected:
    TForm* form = nullptr;

    void SetUp() override {
        QuorlpakTest::SetUp();
        form = ShownForm(400, 300);
    }
    void TearDown() override {
        TestSeams::ScriptMessageBoxes(nullptr);
        QuorlpakTest::TearDown();
    }
    // A control of class T on Parent (the form by default), at the given bounds.
    template <class T>
    T* Make(int left, int top, int width, int height, TWinControl* parent = nullptr) {
        auto* control = new T(form);
        control->SetBounds(left, top, width, height);
        control->SetParent(parent ? parent : form);
        return control;
    }
    static void Key(int vk) {
        TestSeams::KeyPress(vk);
        Pump();
    }
    static void Type(std::u16string_view text) {
        TestSeams::TypeText(text);
        Pump();
    }
    static void Focus(TWinControl* control) {
        control->SetFocus();
        Pump();
    }
    // Pixels of a rectangle in a window's client area.
    static std::vector<COLORREF> Pixels(HWND hwnd, const RECT& r) {
        HDC dc = GetDC(hwnd);
        std::vector<COLORREF> pixels = win32::ReadPixels(dc, r);
        ReleaseDC(hwnd, dc);
        return pixels;
    }
};
