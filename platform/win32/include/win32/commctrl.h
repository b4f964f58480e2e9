// Common controls. So far only the image list, as far as the system image
// list needs it.
#pragma once
#pragma GCC visibility push(default)

#include <win32/wingdi.h>

struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST;

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_MASK 0x00000010
#define ILD_BLEND25 0x00000002
#define ILD_BLEND50 0x00000004
#define ILD_OVERLAYMASK 0x00000F00
#define INDEXTOOVERLAYMASK(i) ((i) << 8)
#define ILD_SELECTED ILD_BLEND50
#define ILD_FOCUS ILD_BLEND25

// Images are kept as pixels; cx, cy give every image's size. flags: ILC_*.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);

// --- Mapped bitmaps -----------------------------------------------------------------------
typedef struct _COLORMAP {
    COLORREF from;
    COLORREF to;
} COLORMAP, *LPCOLORMAP;
#define CMB_MASKED 0x02
// The module's RT_BITMAP (an integer id or a name passed as INT_PTR) with each
// `from` colour replaced by its `to`. Without a map: black, grey 128, grey 192
// and white become the button text, shadow, face and highlight colours.
HBITMAP CreateMappedBitmap(HINSTANCE instance, INT_PTR idBitmap, UINT flags, LPCOLORMAP colorMap,
                           int numMaps);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// A bitmap as wide as n images adds n images; answers the first index or -1.
// Mask pixels that are set (non-black) are transparent.
int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
// Pixels of the colour crMask are transparent.
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
// Overlay iOverlay (1..15) is image iImage, drawn with INDEXTOOVERLAYMASK(iOverlay).
// Index -1 removes every image.
BOOL ImageList_Remove(HIMAGELIST himl, int i);
BOOL ImageList_SetOverlayImage(HIMAGELIST himl, int iImage, int iOverlay);
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
// dx, dy of 0 draw the whole image; rgbBk/rgbFg: CLR_NONE, CLR_DEFAULT or a colour.
// ILD_BLEND25/50 mix the image with rgbFg (CLR_DEFAULT: the highlight colour;
// CLR_NONE: no mixing).
BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                      COLORREF rgbBk, COLORREF rgbFg, UINT fStyle);

// --- Tree-view item queries (answered by controls that stand in for a tree view) ---
typedef struct _TREEITEM* HTREEITEM;
#define TV_FIRST 0x1100
#define TVM_GETITEMRECT (TV_FIRST + 4)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_GETITEMA (TV_FIRST + 12)
#define TVM_GETITEMW (TV_FIRST + 62)
#define TVGN_ROOT 0x0000
#define TVGN_NEXT 0x0001
#define TVGN_PREVIOUS 0x0002
#define TVGN_PARENT 0x0003
#define TVGN_CHILD 0x0004
#define TVGN_FIRSTVISIBLE 0x0005
#define TVGN_NEXTVISIBLE 0x0006
#define TVGN_PREVIOUSVISIBLE 0x0007
#define TVGN_DROPHILITE 0x0008
#define TVGN_CARET 0x0009
#define TVGN_LASTVISIBLE 0x000A
#define TVIF_TEXT 0x0001
#define TVIF_IMAGE 0x0002
#define TVIF_PARAM 0x0004
#define TVIF_STATE 0x0008
#define TVIF_HANDLE 0x0010
#define TVIF_SELECTEDIMAGE 0x0020
#define TVIF_CHILDREN 0x0040
#define TVIS_FOCUSED 0x0001
#define TVIS_SELECTED 0x0002
#define TVIS_CUT 0x0004
#define TVIS_DROPHILITED 0x0008
#define TVIS_EXPANDED 0x0020
#define TVIS_OVERLAYMASK 0x0F00
#define TVIS_STATEIMAGEMASK 0xF000
typedef struct tagTVITEMW {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
} TVITEMW, *LPTVITEMW;

#pragma GCC visibility pop
