// The up-down control (UPDOWN_CLASS): a pair of arrow buttons that step a
// position within a range, optionally showing it in a buddy window (usually
// an edit to its left). Holding a button repeats the step; the accelerator
// table makes the step grow the longer it is held.
#pragma once
#pragma GCC visibility push(default)

#include <win32/winuser.h>

#define UPDOWN_CLASSW u"msctls_updown32"
#define UPDOWN_CLASS UPDOWN_CLASSW

#define UD_MAXVAL 0x7fff
#define UD_MINVAL (-UD_MAXVAL)

#define UDS_WRAP 0x0001        // past one end of the range to the other
#define UDS_SETBUDDYINT 0x0002 // the buddy's text shows the position
#define UDS_ALIGNRIGHT 0x0004  // sits on the buddy's right edge, as tall as it
#define UDS_ALIGNLEFT 0x0008
#define UDS_AUTOBUDDY 0x0010   // the previous sibling becomes the buddy
#define UDS_ARROWKEYS 0x0020   // the up and down keys step while the buddy has the focus
#define UDS_HORZ 0x0040        // left and right arrows
#define UDS_NOTHOUSANDS 0x0080 // no thousands separator in the buddy's text
#define UDS_HOTTRACK 0x0100

#define UDM_SETRANGE (WM_USER + 101) // lParam: MAKELONG(upper, lower)
#define UDM_GETRANGE (WM_USER + 102) // answers MAKELONG(upper, lower)
#define UDM_SETPOS (WM_USER + 103)   // lParam: the position (16 bits); answers the old one
#define UDM_GETPOS (WM_USER + 104)   // answers MAKELONG(position, error)
#define UDM_SETBUDDY (WM_USER + 105) // wParam: the buddy; answers the old one
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETACCEL (WM_USER + 107) // wParam: count, lParam: UDACCEL*
#define UDM_GETACCEL (WM_USER + 108) // wParam: room, lParam: UDACCEL*; answers the count
#define UDM_SETBASE (WM_USER + 109)  // wParam: 10 or 16; answers the old base or 0
#define UDM_GETBASE (WM_USER + 110)
#define UDM_SETRANGE32 (WM_USER + 111) // wParam: lower, lParam: upper
#define UDM_GETRANGE32 (WM_USER + 112) // wParam: int* lower, lParam: int* upper
#define UDM_SETPOS32 (WM_USER + 113)   // lParam: the position; answers the old one
#define UDM_GETPOS32 (WM_USER + 114)   // lParam: BOOL* set when the buddy's text is no number

// After nSec seconds of holding a button, each step is nInc.
typedef struct _UDACCEL {
    UINT nSec;
    UINT nInc;
} UDACCEL, *LPUDACCEL;

// Sent before every step by the user (WM_NOTIFY): a non-zero answer refuses
// it; the parent may change iDelta.
typedef struct _NM_UPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
} NMUPDOWN, *LPNMUPDOWN;

#define UDN_FIRST (0U - 721U)
#define UDN_DELTAPOS (UDN_FIRST - 1)

#pragma GCC visibility pop
