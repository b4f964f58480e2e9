// Internal interface of the non-client area: the layout of frames, captions,
// menu bars and scroll bars, the per-window state behind them (scroll bar
// values, window region, caption activity), and the entry points that
// DefWindowProc, painting and hit testing call.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../gdi/Region.h"

#include <win32/winuser.h>

namespace win32::user {

struct Window;

// --- Per-window state --------------------------------------------------------------
struct ScrollBarState {
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;    // the thumb is being dragged
    UINT disabledArrows = 0;  // ESB_DISABLE_* bits
    int pressedPart = 0;      // a ScrollPart being held, for drawing
    bool initialized = false; // set, or created with the style
};

struct WindowExtras {
    ScrollBarState bars[3]; // SB_HORZ, SB_VERT, SB_CTL
    bool hasRegion = false;
    win32::Region region; // window coordinates
    HRGN regionHandle = nullptr;
    int captionActive = -1; // WM_NCACTIVATE state; -1 before the first one
    int hotMenuItem = -1;   // menu bar item drawn pressed while its pop-up is open
    bool closePressed = false;
};

// The extras of a window, created on first use. Caller holds S().lock.
WindowExtras& ExtrasOf(HWND hwnd);
WindowExtras* FindExtras(HWND hwnd);
// Drops a window's extras and whatever the window held (its menu, its
// clipboard ownership). Called as the window is freed.
void ReleaseWindowExtras(HWND hwnd);

// --- Layout (window coordinates) ------------------------------------------------------
struct NonClientLayout {
    RECT window{};  // 0, 0, width, height
    int frame = 0;  // width of the frame, the same on every side
    RECT caption{}; // empty without a caption
    RECT closeBox{}, maxBox{}, minBox{};
    RECT menuBar{}; // empty without a menu bar
    RECT edged{};   // the area inside caption and menu bar that the client edge surrounds
    int edge = 0;   // width of the client edge
    RECT vscroll{}, hscroll{}, sizeBox{};
    RECT client{};
    DWORD style = 0;
    DWORD exStyle = 0;
    HMENU menu = nullptr;
};
bool GetNonClientLayout(HWND hwnd, NonClientLayout& layout);
// Screen position of a window's top-left corner.
POINT WindowOrigin(HWND hwnd);

// --- Non-client messages (DefWindowProc) -------------------------------------------
LRESULT NonClientHitTest(HWND hwnd, POINT screen);
void PaintNonClient(HWND hwnd);
LRESULT NonClientActivate(HWND hwnd, bool active);
void NonClientButtonDown(HWND hwnd, int hit, POINT screen);

// --- Window regions ----------------------------------------------------------------
// The region of a window, in window coordinates. Caller holds S().lock.
bool WindowRegionOf(HWND hwnd, win32::Region& region);
bool PointInWindowRegion(HWND hwnd, POINT screen);

// --- Scroll bars ----------------------------------------------------------------------
enum ScrollPart { kNoPart = 0, kLineUp, kPageUp, kThumb, kPageDown, kLineDown };
// Draws a bar (SB_HORZ, SB_VERT or SB_CTL) into `rect` of a DC.
void DrawScrollBar(HDC dc, HWND hwnd, int bar, const RECT& rect);
// Repaints a window's bar at once (SB_CTL: the control's client area).
void RedrawScrollBar(HWND hwnd, int bar);
// The modal loop of a press on a bar: line and page repeats, thumb drags.
void TrackScrollBar(HWND hwnd, int bar, POINT screen);
void RegisterScrollBarClass();

// --- Menus ----------------------------------------------------------------------------
// Draws a menu bar into `rect` (window coordinates of the DC's window).
void DrawMenuBarIn(HDC dc, HMENU menu, const RECT& rect, int pressedItem);
// The bar item under a point of the bar (window coordinates), or -1.
int MenuBarItemAt(HWND hwnd, POINT windowPoint);
// The modal loop of a menu bar opened by a click on item `item`.
void TrackMenuBar(HWND hwnd, int item);
void DestroyWindowMenu(HWND hwnd);

// --- Clipboard -------------------------------------------------------------------------
void ClipboardWindowGone(HWND hwnd);
// Before a window is destroyed: a clipboard owner renders what it promised.
void ClipboardOwnerGoing(HWND hwnd);
// The desktop's side (the presenter): the formats this process offers, and
// one format's bytes (rendered on demand; may send WM_RENDERFORMAT, so never
// called on the presenter thread). Empty / nullopt for another program's data.
std::vector<UINT> ClipboardFormatsForDesktop();
std::optional<std::string> ClipboardBytesForDesktop(UINT format);
// Another program took the desktop's clipboard: the layer's clipboard now
// offers its formats, fetched when read. Does nothing (false) when the
// clipboard's sequence number is no longer `ifSequence`.
bool SetForeignClipboard(const std::vector<UINT>& formats, DWORD ifSequence);

// --- Modal loops ------------------------------------------------------------------------
// Registers a private class of the layer once; true when it exists.
bool EnsureLayerClass(LPCWSTR name, WNDPROC proc, UINT style, HBRUSH background);
// The font of message boxes and menus, and its bold variant; never deleted.
HFONT MessageFont();
HFONT BoldMessageFont();
// Whether a presenter shows windows to a person who can answer them.
bool InteractiveDisplay();

} // namespace win32::user
