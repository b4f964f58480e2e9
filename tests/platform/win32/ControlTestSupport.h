// A fixture for the system control tests: a visible top-level "Recorder"
// window as the parent, the manual clock (no caret blinks behind a test's
// back), and helpers to create controls, feed input and read what the parent
// was told.
#pragma once

#include "WindowTestSupport.h"

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Make(const char16_t* cls, const char16_t* text, DWORD style, int x, int y, int cx, int cy,
              int id = 100, HWND in = nullptr);
    static void Pump();
    static LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(hwnd, msg, wParam, lParam);
    }
    static std::u16string Text(HWND hwnd);
    // Notification codes the parent got by WM_COMMAND from a control.
    std::vector<int> Codes(HWND from) const;
    // Every WM_COMMAND code the parent got, in order, with the sender's id.
    std::vector<std::pair<int, int>> Commands() const;
    void Click(HWND hwnd, int x, int y);
    void Press(int vk);               // a key down and up, then pumped
    void Chord(int modifier, int vk); // modifier held around a key
    void Type(std::u16string_view text);
    static COLORREF Pixel(HWND hwnd, int x, int y);
    // Dark pixels (sum of channels below 384) in a client rectangle.
    static int DarkPixels(HWND hwnd, const RECT& r);

    HWND parent = nullptr;
};
