// TEMPORARY: stand-ins for kernel and gdi calls until those areas are merged.
#include "../Clock.h"
#include "TempStubs.h"

#include <win32/winbase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <unistd.h>
#include <sys/syscall.h>

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return 1920;
    case SM_CYSCREEN: return 1080;
    case SM_CXVSCROLL: case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CYMENU: return 19;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CYSMCAPTION: return 15;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    }
    return 0;
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
    r->left += dx; r->right += dx; r->top += dy; r->bottom += dy;
    return TRUE;
}
BOOL UnionRect(LPRECT d, const RECT* a, const RECT* b) {
    bool ae = a->right <= a->left || a->bottom <= a->top;
    bool be = b->right <= b->left || b->bottom <= b->top;
    if (ae) { *d = *b; return !be; }
    if (be) { *d = *a; return TRUE; }
    *d = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return TRUE;
}
int GetRgnBox(HRGN, LPRECT rect) { *rect = {}; return NULLREGION; }
BOOL SetRectRgn(HRGN, int, int, int, int) { return TRUE; }
HRGN CreateRectRgnIndirect(const RECT*) { return nullptr; }
int CombineRgn(HRGN, HRGN, HRGN, int) { return NULLREGION; }
BOOL DeleteObject(HGDIOBJ) { return TRUE; }
BOOL PtInRect(const RECT* r, POINT p) { return p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom; }
HBRUSH GetSysColorBrush(int) { return nullptr; }
int FillRect(HDC, const RECT*, HBRUSH) { return 1; }
