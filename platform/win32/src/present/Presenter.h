// The window manager's side of the screen presenter: hooks it calls as
// top-level windows change and as they are drawn. While the layer is headless
// (no DISPLAY) each hook returns at once.
#pragma once

#include "../gdi/Region.h"

#include <win32/windef.h>

#include <optional>
#include <string>

namespace win32::present {

// Whether windows are shown on an X display. The first call that needs the
// answer (the first top-level window shown, a message box asking whether a
// person can answer it) looks at DISPLAY and starts the presenter.
bool Active();

// A window was shown, hidden, moved, sized or retitled (only top-level
// windows matter). Any thread, no lock of the window manager held.
void WindowChanged(HWND hwnd);
// A window is being freed.
void WindowDestroyed(HWND hwnd);

// A DC on the surface of top-level window `top` was made; it may draw in
// `area` (surface coordinates) until it is released. Caller may hold the
// window-tree lock.
void DrawingBegins(HDC dc, HWND top, const Region& area);
// The DC is being released: what it drew goes to the screen.
void DrawingEnds(HDC dc);
// Pixels of a top-level window's surface changed without a DC (scrolling).
// Caller may hold the window-tree lock.
void SurfaceChanged(HWND top, const Region& area);
// Sends to the screen what was drawn since the last flush (called after each
// dispatched message). No lock of the window manager held.
void Flush();

// The layer's clipboard got new content from this process: the presenter
// (started if DISPLAY is set) takes the desktop's clipboard for it.
void ClipboardChanged();
// Another program's clipboard data in one of the layer's formats, fetched
// from the desktop; nullopt when it cannot be had. Blocks the caller.
std::optional<std::string> FetchClipboard(UINT format);

} // namespace win32::present
