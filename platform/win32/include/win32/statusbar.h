// The status bar (STATUSCLASSNAME): a row of parts along the bottom of a
// window, each with its text, or one simple part across the whole bar.
#pragma once
#pragma GCC visibility push(default)

#include <win32/winuser.h>

#define STATUSCLASSNAMEW u"msctls_statusbar32"
#define STATUSCLASSNAME STATUSCLASSNAMEW

// Parts: wParam the count, lParam the right edges (-1: to the bar's end).
#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_SETMINHEIGHT (WM_USER + 8)
// wParam TRUE shows the simple part instead of the parts.
#define SB_SIMPLE (WM_USER + 9)
#define SB_GETRECT (WM_USER + 10)
// wParam: the part (SB_SIMPLEID for the simple part) ORed with the drawing type.
#define SB_SETTEXTW (WM_USER + 11)
#define SB_GETTEXTLENGTHW (WM_USER + 12)
#define SB_GETTEXTW (WM_USER + 13)
#define SB_ISSIMPLE (WM_USER + 14)
#define SB_SETTEXT SB_SETTEXTW
#define SB_GETTEXT SB_GETTEXTW
#define SB_GETTEXTLENGTH SB_GETTEXTLENGTHW

#define SB_SIMPLEID 0x00ff

// Drawing types (the high byte of SB_SETTEXT's part).
#define SBT_NOBORDERS 0x0100
#define SBT_POPOUT 0x0200
#define SBT_RTLREADING 0x0400

#define SBARS_SIZEGRIP 0x0100

#pragma GCC visibility pop
