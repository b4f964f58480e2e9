// TEMPORARY: stand-ins for kernel and gdi calls until those areas are merged.
#pragma once
#include <win32/winbase.h>
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CYMENU 15
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CYSMCAPTION 51
int GetSystemMetrics(int index);
BOOL OffsetRect(LPRECT r, int dx, int dy);
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b);
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_OR 2
int GetRgnBox(HRGN rgn, LPRECT rect);
BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b);
HRGN CreateRectRgnIndirect(const RECT* r);
int CombineRgn(HRGN d, HRGN a, HRGN b, int mode);
BOOL DeleteObject(HGDIOBJ o);
BOOL PtInRect(const RECT* r, POINT p);
HBRUSH GetSysColorBrush(int index);
int FillRect(HDC dc, const RECT* r, HBRUSH brush);
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXDRAG 68
#define SM_CYDRAG 69
