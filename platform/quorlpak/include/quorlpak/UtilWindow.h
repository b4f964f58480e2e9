// Hidden windows whose messages go to a method (a std::function), for
// objects that need a window without being controls: timers, the
// application, helpers of the controls. Also a fixed pool of window
// procedures bound to methods, for code that subclasses a window with its
// own procedure: no code is generated at run time.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Messages.h>

#include <functional>

using TWndMethodProc = std::function<void(TMessage& Message)>;

// A hidden top-level window of this thread; unhandled messages (Result left
// 0 by the method) are the method's to pass to DefWindowProcW if it wants.
HWND AllocateHWnd(TWndMethodProc Method);
void DeallocateHWnd(HWND Wnd);

// A window procedure that calls Method; null when the pool (256) is used up.
WNDPROC MakeObjectInstance(TWndMethodProc Method);
void FreeObjectInstance(WNDPROC ObjectInstance);

#pragma GCC visibility pop
