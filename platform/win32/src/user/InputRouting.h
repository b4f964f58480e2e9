// The routing of input into the layer's queues, as the system routes it: hit
// test, capture, activation, focus, key state and double clicks. Synthetic
// input (tests) and the screen presenter (X input) both come in here.
// Points are screen coordinates; buttons are VK_LBUTTON, VK_RBUTTON, VK_MBUTTON.
#pragma once

#include <win32/winuser.h>

namespace win32::user {

void RouteMouseMove(POINT screen);
void RouteMouseDown(POINT screen, int button);
void RouteMouseUp(POINT screen, int button);
void RouteWheel(POINT screen, int delta, bool horizontal);
// A key going down or up: WM_(SYS)KEYDOWN/UP to the focus; TranslateMessage
// makes its character from the layer's keyboard layout.
void RouteKey(int vk, bool down);
// A character that no key of the layer's layout makes (input methods,
// other layouts): WM_CHAR to the focus.
void RouteChar(WCHAR ch);
// The character the layer's layout gives a key with these modifiers, or 0.
WCHAR LayoutChar(UINT vk, bool shift, bool caps, bool ctrl);

} // namespace win32::user
