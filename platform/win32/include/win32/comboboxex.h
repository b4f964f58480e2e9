// The extended combo box (WC_COMBOBOXEX, "ComboBoxEx32"): a combo box whose
// items carry images from an image list and an indentation. The control owns
// a combo box child (CBEM_GETCOMBOCONTROL) that it draws, and for the
// CBS_DROPDOWN style an edit over the selection field (CBEM_GETEDITCONTROL).
// The combo box messages (CB_GETCURSEL, CB_SETCURSEL, CB_GETCOUNT,
// CB_SHOWDROPDOWN...) are answered as the child answers them; CB_GETITEMDATA
// and CB_SETITEMDATA read and write an item's lParam. The child's WM_COMMAND
// notifications reach the parent as the extended combo box's own.
#pragma once
#pragma GCC visibility push(default)

#include <win32/commnotify.h>
#include <win32/winuser.h>

struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST;

#define WC_COMBOBOXEXW u"ComboBoxEx32"
#define WC_COMBOBOXEX WC_COMBOBOXEXW

#define CBEIF_TEXT 0x00000001
#define CBEIF_IMAGE 0x00000002
#define CBEIF_SELECTEDIMAGE 0x00000004
#define CBEIF_OVERLAY 0x00000008
#define CBEIF_INDENT 0x00000010
#define CBEIF_LPARAM 0x00000020
#define CBEIF_DI_SETITEM 0x10000000

// An item's image or text is asked of the parent (CBEN_GETDISPINFOW) when
// drawn: I_IMAGECALLBACK, LPSTR_TEXTCALLBACKW (win32/commnotify.h).

typedef struct tagCOMBOBOXEXITEMW {
    UINT mask;
    INT_PTR iItem; // -1 on insertion: at the end
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int iOverlay;
    int iIndent; // in steps of CBE_INDENT pixels
    LPARAM lParam;
} COMBOBOXEXITEMW, *PCOMBOBOXEXITEMW;
typedef const COMBOBOXEXITEMW* PCCOMBOEXITEMW;
typedef COMBOBOXEXITEMW COMBOBOXEXITEM;

// Pixels per indentation step.
#define CBE_INDENT 10

#define CBEM_SETIMAGELIST (WM_USER + 2)
#define CBEM_GETIMAGELIST (WM_USER + 3)
#define CBEM_DELETEITEM CB_DELETESTRING
#define CBEM_GETCOMBOCONTROL (WM_USER + 6)
#define CBEM_GETEDITCONTROL (WM_USER + 7)
#define CBEM_SETEXSTYLE (WM_USER + 8)
#define CBEM_GETEXTENDEDSTYLE (WM_USER + 9)
#define CBEM_GETEXSTYLE CBEM_GETEXTENDEDSTYLE
#define CBEM_HASEDITCHANGED (WM_USER + 10)
#define CBEM_INSERTITEMW (WM_USER + 11)
#define CBEM_SETITEMW (WM_USER + 12)
#define CBEM_GETITEMW (WM_USER + 13)
#define CBEM_SETEXTENDEDSTYLE (WM_USER + 14) // wParam: mask (0: all), lParam: styles
#define CBEM_INSERTITEM CBEM_INSERTITEMW
#define CBEM_SETITEM CBEM_SETITEMW
#define CBEM_GETITEM CBEM_GETITEMW

#define CBES_EX_NOEDITIMAGE 0x00000001
#define CBES_EX_NOEDITIMAGEINDENT 0x00000002
#define CBES_EX_PATHWORDBREAKPROC 0x00000004
#define CBES_EX_NOSIZELIMIT 0x00000008
#define CBES_EX_CASESENSITIVE 0x00000010

// Notifications (WM_NOTIFY to the parent).
#define CBEN_FIRST (0U - 800U)
#define CBEN_GETDISPINFOW (CBEN_FIRST - 7)
#define CBEN_INSERTITEM (CBEN_FIRST - 1)
#define CBEN_DELETEITEM (CBEN_FIRST - 2)
#define CBEN_BEGINEDIT (CBEN_FIRST - 4)
#define CBEN_ENDEDITW (CBEN_FIRST - 6)
#define CBEN_DRAGBEGINW (CBEN_FIRST - 9)
#define CBEN_GETDISPINFO CBEN_GETDISPINFOW
#define CBEN_ENDEDIT CBEN_ENDEDITW

// Why an edit ended (NMCBEENDEDITW.iWhy).
#define CBENF_KILLFOCUS 1
#define CBENF_RETURN 2
#define CBENF_ESCAPE 3
#define CBENF_DROPDOWN 4

#define CBEMAXSTRLEN 260

typedef struct {
    NMHDR hdr;
    COMBOBOXEXITEMW ceItem;
} NMCOMBOBOXEXW, *PNMCOMBOBOXEXW;
typedef NMCOMBOBOXEXW NMCOMBOBOXEX;

typedef struct {
    NMHDR hdr;
    BOOL fChanged;
    int iNewSelection; // CB_ERR when the text matches no item
    WCHAR szText[CBEMAXSTRLEN];
    int iWhy;
} NMCBEENDEDITW, *PNMCBEENDEDITW;
typedef NMCBEENDEDITW NMCBEENDEDIT;

#pragma GCC visibility pop
