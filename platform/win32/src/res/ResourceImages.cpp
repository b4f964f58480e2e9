// Bitmaps from module resources: LoadBitmapW, LoadImageW and
// CreateMappedBitmap, with their colour mappings.
#include "res/Resources.h"

#include <win32/commctrl.h>
#include <win32/winbase.h>
#include <win32/winerror.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <vector>

using namespace win32;

namespace {

uint32_t Pixel(COLORREF c) { // COLORREF (red low) to 0x00RRGGBB
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

struct Mapping {
    COLORREF from, to;
};

void MapColors(DecodedDib& dib, const std::vector<Mapping>& map) {
    for (uint32_t& p : dib.pixels)
        for (const Mapping& m : map)
            if (p == Pixel(m.from)) {
                p = Pixel(m.to);
                break;
            }
}

bool LoadDib(HINSTANCE instance, LPCWSTR name, DecodedDib& dib) {
    ResourceBytes bytes = FindResourceBytes(instance, RT_BITMAP, name);
    if (!bytes.data) return false;
    if (!DecodeDib(bytes.data, bytes.size, false, dib)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

HBITMAP LoadBitmapResource(HINSTANCE instance, LPCWSTR name, UINT flags) {
    DecodedDib dib;
    if (!LoadDib(instance, name, dib)) return nullptr;
    std::vector<Mapping> map;
    // The first pixel's colour goes first so that it wins over a grey.
    if ((flags & LR_LOADTRANSPARENT) && !dib.pixels.empty()) {
        const uint32_t p = dib.pixels[0];
        map.push_back({RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF), GetSysColor(COLOR_WINDOW)});
    }
    if (flags & LR_LOADMAP3DCOLORS) {
        map.push_back({RGB(128, 128, 128), GetSysColor(COLOR_3DSHADOW)});
        map.push_back({RGB(192, 192, 192), GetSysColor(COLOR_3DFACE)});
        map.push_back({RGB(223, 223, 223), GetSysColor(COLOR_3DLIGHT)});
    }
    MapColors(dib, map);
    return BitmapFromPixels(dib, (flags & LR_CREATEDIBSECTION) != 0);
}

} // namespace

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The system's own bitmaps (a null instance) are not offered.
    if (!instance) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return LoadBitmapResource(instance, name, 0);
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    if (!name || (flags & LR_LOADFROMFILE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (type) {
    case IMAGE_BITMAP:
        if (!instance) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return LoadBitmapResource(instance, name, flags);
    case IMAGE_CURSOR:
    case IMAGE_ICON:
        if (!instance)
            return type == IMAGE_CURSOR ? LoadCursorW(nullptr, name) : LoadIconW(nullptr, name);
        return LoadIconResource(instance, name, type == IMAGE_CURSOR, cx, cy,
                                (flags & LR_SHARED) != 0);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HBITMAP CreateMappedBitmap(HINSTANCE instance, INT_PTR idBitmap, UINT flags, LPCOLORMAP colorMap,
                           int numMaps) {
    DecodedDib dib;
    if (!LoadDib(instance, reinterpret_cast<LPCWSTR>(idBitmap), dib)) return nullptr;
    std::vector<Mapping> map;
    if (colorMap) {
        for (int i = 0; i < numMaps; ++i)
            map.push_back({colorMap[i].from, colorMap[i].to});
    } else {
        map = {{RGB(0, 0, 0), GetSysColor(COLOR_BTNTEXT)},
               {RGB(128, 128, 128), GetSysColor(COLOR_BTNSHADOW)},
               {RGB(192, 192, 192), GetSysColor(COLOR_BTNFACE)},
               {RGB(255, 255, 255), GetSysColor(COLOR_BTNHIGHLIGHT)}};
    }
    MapColors(dib, map);
    return BitmapFromPixels(dib, true);
}
