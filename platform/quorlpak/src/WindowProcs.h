// The binding of windows to their controls, internal to the library.
#pragma once

#include <quorlpak/WinControl.h>

namespace quorlpak {

// Names the control whose window CreateWindowExW is about to make on this
// thread; the window's first message binds the two. Null after the call.
void SetCreationControl(TWinControl* Control);

} // namespace quorlpak
