// The component types that UI events carry: a component, a container of
// components and a top-level window. They are the framework's own controls
// under the names the event model speaks, so an event's component is the
// very control that raised it; the few operations the model adds are free
// functions beside them.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Control.h>
#include <quorlpak/WinControl.h>

using TKomponent = TControl;
using TContainer = TWinControl;
using TWindow = TWinControl;

struct TRectangle;

// Focus requests are answered by the window layer; a plain component takes none.
void KomponentRequestFocus(TKomponent* Component);
// The component's left, top, width and height in its parent.
TRectangle KomponentGetBounds(TKomponent* Component);

#pragma GCC visibility pop
