// Hooks for tests only: they make the layer deterministic and observable.
// Programs never call these.
#pragma once

#include <win32/windef.h>

#include <functional>
#include <string>
#include <string_view>

namespace TestSeams {

// --- Configuration folder -------------------------------------------------
// Redirects the layer's configuration folder (registry hives, devices) and the
// Windows directory (profile files by bare name). An empty path restores the
// default from the environment.
void SetConfigFolder(const std::string& path);
void SetWindowsFolder(const std::string& path);

} // namespace TestSeams

namespace TestSeams {

// --- Synthetic input --------------------------------------------------------------
// Input routed as the system routes it: hit testing, capture, activation,
// focus, key state and double clicks (timed on the layer's clock). Points are
// screen coordinates. Messages land in the input queue of the window's thread;
// pump them to deliver.
void MouseMove(POINT screen);
void MouseDown(POINT screen, int button = 0x01 /* VK_LBUTTON */);
void MouseUp(POINT screen, int button = 0x01);
void Click(POINT screen, int button = 0x01);
void Wheel(POINT screen, int delta, bool horizontal = false);
void KeyDown(int vk);
void KeyUp(int vk);
void KeyPress(int vk); // down and up
// Types text: characters of the keyboard layout as key strokes (so that
// TranslateMessage makes their WM_CHAR), others as WM_CHAR directly.
void TypeText(std::u16string_view text);
// Screen position of a window's client point.
POINT ClientPoint(HWND hwnd, int x, int y);

} // namespace TestSeams
