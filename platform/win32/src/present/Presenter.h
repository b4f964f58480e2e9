// The window manager's side of the screen presenter: hooks it calls as
// top-level windows change and as they are drawn. While the layer is headless
// (no DISPLAY) each hook returns at once.
#pragma once

#include "../gdi/Region.h"

#include <win32/windef.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
// from the desktop; nullopt when it cannot be had. Blocks the caller. The
// data of another program's drag comes the same way from `selection` (an X
// atom) at the drop's X time.
std::optional<std::string> FetchClipboard(UINT format, unsigned long selection = 0,
                                          unsigned long time = 0);

// A drag of this process (DoDragDrop) and the desktop. Without windows on
// screen each call returns at once: the layer's windows are all there is.
// Layer formats with their bytes, offered to other programs.
using DragData = std::vector<std::pair<UINT, std::string>>;
struct DesktopDragState {
    bool overDesktop = false; // not over a window of ours: the layer's windows are left
    DWORD effect = 0;         // what another program's window there would do
};
// The drag's pointer is at `screen`; `data` is asked for once, the first
// time another program's window could take the drop. nullopt when headless.
std::optional<DesktopDragState> DragOverDesktop(POINT screen, DWORD keys, DWORD allowed,
                                                const std::function<DragData()>& data);
// Drops on the other program's window under the pointer; the effect it
// reported, 0 when it refused or did not answer in time.
DWORD DropOnDesktop(POINT screen, DWORD keys);
// The drag ends (dropped, cancelled or left): another program's window under
// the pointer is left.
void EndDesktopDrag();
// A drop target's answer to another program's drag, from the window's thread.
void DropAnswered(uint64_t serial, bool dropped, DWORD effect);

} // namespace win32::present
