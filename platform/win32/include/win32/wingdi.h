// GDI area: device contexts over 32-bit surfaces, pens, brushes, fonts,
// bitmaps and DIB sections, regions and clipping, drawing, blits and text.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

// Not in windef.h yet; a repeated typedef of the same type is harmless.
typedef INT* LPINT;

// --- Objects ---------------------------------------------------------------
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13
#define OBJ_COLORSPACE 14

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HANDLE)(LONG_PTR)-1)
#define CLR_INVALID 0xFFFFFFFF
#define CLR_NONE 0xFFFFFFFFL
#define CLR_DEFAULT 0xFF000000L

#define PALETTERGB(r, g, b) (0x02000000 | RGB(r, g, b))
#define PALETTEINDEX(i) ((COLORREF)(0x01000000 | (DWORD)(WORD)(i)))

HGDIOBJ GetStockObject(int object);
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
DWORD GetObjectType(HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
BOOL GdiFlush();

// --- Pens -----------------------------------------------------------------
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *LPLOGPEN;

typedef struct tagEXTLOGPEN {
    DWORD elpPenStyle;
    DWORD elpWidth;
    UINT elpBrushStyle;
    COLORREF elpColor;
    ULONG_PTR elpHatch;
    DWORD elpNumEntries;
    DWORD elpStyleEntry[1];
} EXTLOGPEN, *PEXTLOGPEN;

// --- Brushes ----------------------------------------------------------------
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_INDEXED 4
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define BS_PATTERN8X8 7
#define BS_DIBPATTERN8X8 8

#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *LPLOGBRUSH;

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                  const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL GetBrushOrgEx(HDC dc, LPPOINT origin);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetDCPenColor(HDC dc, COLORREF color);

// --- Device contexts --------------------------------------------------------
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);

#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
#define BLTALIGNMENT 119
#define SHADEBLENDCAPS 120
#define DT_RASDISPLAY 1
#define RC_BITBLT 1
#define RC_BITMAP64 8
#define RC_DI_BITMAP 0x0080
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define RC_STRETCHDIB 0x2000
#define SB_CONST_ALPHA 0x00000001
#define SB_PIXEL_ALPHA 0x00000002
int GetDeviceCaps(HDC dc, int index);

#define TRANSPARENT 1
#define OPAQUE 2
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);

#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define TA_MASK (TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING)
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

#define ALTERNATE 1
#define WINDING 2
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);

// --- Coordinates ------------------------------------------------------------
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8
int SetMapMode(HDC dc, int mode); // only MM_TEXT is accepted
int GetMapMode(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
BOOL LPtoDP(HDC dc, LPPOINT points, int count);
BOOL DPtoLP(HDC dc, LPPOINT points, int count);
BOOL GetCurrentPositionEx(HDC dc, LPPOINT position);

// --- Bitmaps and DIBs -------------------------------------------------------
typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

typedef struct tagDIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
} DIBSECTION, *PDIBSECTION;

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// 32-bit (top-down or bottom-up) and 24-bit DIB sections; the bits stay
// shared with any DC the bitmap is selected into.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
              UINT usage);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop);
LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits);
BOOL GetBitmapDimensionEx(HBITMAP bitmap, LPSIZE size);

// --- Raster operations and blits -------------------------------------------
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062
#define NOMIRRORBITMAP 0x80000000
#define CAPTUREBLT 0x40000000
#define MAKEROP4(fore, back) ((DWORD)((((back) << 8) & 0xFF000000) | (fore)))

typedef struct _BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
} BLENDFUNCTION, *PBLENDFUNCTION;
#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop);
BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
             HBITMAP mask, int xMask, int yMask, DWORD rop);
BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, UINT transparent);
BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, BLENDFUNCTION blend);

// --- Pixels, lines and shapes -----------------------------------------------
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL PolylineTo(HDC dc, const POINT* points, DWORD count);
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL PolyPolygon(HDC dc, const POINT* points, const INT* counts, int polygons);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd);
BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
           int yEnd);

// Flood fills with the selected brush: FLOODFILLBORDER fills outward from the
// point up to pixels of `color`; FLOODFILLSURFACE fills the pixels of `color`
// connected to the point (4-connected).
#define FLOODFILLBORDER 0
#define FLOODFILLSURFACE 1
BOOL FloodFill(HDC dc, int x, int y, COLORREF color);
BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type);

// --- Regions and clipping ---------------------------------------------------
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RDH_RECTANGLES 1

typedef struct _RGNDATAHEADER {
    DWORD dwSize;
    DWORD iType;
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
} RGNDATAHEADER;

typedef struct _RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
} RGNDATA, *LPRGNDATA;

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, LPRECT box);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
BOOL PaintRgn(HDC dc, HRGN region);
BOOL InvertRgn(HDC dc, HRGN region);

int SelectClipRgn(HDC dc, HRGN region);
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
int GetClipBox(HDC dc, LPRECT box);
int GetClipRgn(HDC dc, HRGN region);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* rect);

// --- Fonts and text -----------------------------------------------------------
#define LF_FACESIZE 32

typedef struct tagLOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *PLOGFONTW, *LPLOGFONTW;

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_ULTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_DEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_ULTRABOLD 800
#define FW_HEAVY 900
#define FW_BLACK 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2

#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

typedef struct tagTEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICW, *PTEXTMETRICW, *LPTEXTMETRICW;

// In tmPitchAndFamily: set for a variable-pitch font (the name says otherwise).
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

typedef struct _ABC {
    int abcA;
    UINT abcB;
    int abcC;
} ABC, *LPABC;

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_RTLREADING 0x0080
#define ETO_IGNORELANGUAGE 0x1000
#define ETO_PDY 0x2000

// lfEscapement and lfOrientation are not supported: text is always horizontal.
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size);
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int length, int maxExtent, LPINT fit,
                           LPINT partialExtents, LPSIZE size);
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, LPINT widths);
BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, LPABC widths);
int GetTextFaceW(HDC dc, int count, LPWSTR face);
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                 const INT* dx);
int SetTextCharacterExtra(HDC dc, int extra);
int GetTextCharacterExtra(HDC dc);

#pragma GCC visibility pop
