// Device contexts: creation, saved states, colours, modes and coordinates.
#include "DeviceContext.h"
#include "SurfaceDC.h"

#include <win32/winbase.h>

using namespace win32;

namespace win32 {

HDC CreateSurfaceDC(SurfacePtr surface, POINT origin, const Region& limit) {
    GdiLock lock;
    if (!surface) return nullptr;
    return static_cast<HDC>(
        InsertGdiObject(std::make_shared<DeviceContext>(std::move(surface), origin, limit)));
}

bool SetSurfaceDCLimits(HDC dc, POINT origin, const Region& limit) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || ctx->GetKind() != DeviceContext::Kind::Surface) return false;
    ctx->SetSurfaceLimits(origin, limit);
    return true;
}

SurfacePtr SurfaceOfDC(HDC dc) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    return ctx ? ctx->TargetPtr() : nullptr;
}

SurfacePtr ScreenSurface() {
    GdiLock lock;
    static SurfacePtr* screen =
        new SurfacePtr(std::make_shared<Surface>(kScreenWidth, kScreenHeight));
    return *screen;
}

HDC CreateScreenDC() {
    return CreateSurfaceDC(ScreenSurface(), POINT{0, 0},
                           Region(RECT{0, 0, kScreenWidth, kScreenHeight}));
}

} // namespace win32

HDC CreateCompatibleDC(HDC dc) {
    GdiLock lock;
    if (dc && !LookupDC(dc)) return nullptr;
    return static_cast<HDC>(InsertGdiObject(std::make_shared<DeviceContext>()));
}

BOOL DeleteDC(HDC dc) {
    GdiLock lock;
    if (!LookupDC(dc)) return FALSE;
    RemoveGdiObject(dc);
    return TRUE;
}

int SaveDC(HDC dc) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    return ctx ? ctx->Save() : 0;
}

BOOL RestoreDC(HDC dc, int saved) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return FALSE;
    if (!ctx->Restore(saved)) {
        SetInvalidParameter();
        return FALSE;
    }
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return 0;
    bool memory = ctx->GetKind() == DeviceContext::Kind::Memory;
    int width = memory ? ctx->Target().Width() : kScreenWidth;
    int height = memory ? ctx->Target().Height() : kScreenHeight;
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZRES:
    case DESKTOPHORZRES:
        return width;
    case VERTRES:
    case DESKTOPVERTRES:
        return height;
    case HORZSIZE:
        return width * 254 / 960; // millimetres at 96 dpi
    case VERTSIZE:
        return height * 254 / 960;
    case BITSPIXEL:
        return ctx->Target().Monochrome() ? 1 : 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case NUMBRUSHES:
    case NUMPENS:
        return -1;
    case NUMFONTS:
        return 0;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case SIZEPALETTE:
    case NUMRESERVED:
        return 0;
    case COLORRES:
        return 24;
    case VREFRESH:
        return 60;
    case BLTALIGNMENT:
        return 0;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case SHADEBLENDCAPS:
        return SB_CONST_ALPHA | SB_PIXEL_ALPHA;
    default:
        return 0;
    }
}

namespace {

// Runs f on the DC's state; `fail` when the handle is bad.
template <class R, class F> R WithState(HDC dc, R fail, F f) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return fail;
    return f(*ctx, ctx->State());
}

template <class T> T Exchange(T& slot, T value) {
    T old = slot;
    slot = value;
    return old;
}

BOOL SetPoint(POINT& slot, int x, int y, LPPOINT previous) {
    if (previous) *previous = slot;
    slot = {x, y};
    return TRUE;
}

} // namespace

COLORREF SetTextColor(HDC dc, COLORREF color) {
    return WithState(dc, CLR_INVALID,
                     [&](DeviceContext&, DcState& s) { return Exchange(s.textColor, color); });
}
COLORREF GetTextColor(HDC dc) {
    return WithState(dc, CLR_INVALID, [](DeviceContext&, DcState& s) { return s.textColor; });
}
COLORREF SetBkColor(HDC dc, COLORREF color) {
    return WithState(dc, CLR_INVALID,
                     [&](DeviceContext&, DcState& s) { return Exchange(s.bkColor, color); });
}
COLORREF GetBkColor(HDC dc) {
    return WithState(dc, CLR_INVALID, [](DeviceContext&, DcState& s) { return s.bkColor; });
}
COLORREF SetDCBrushColor(HDC dc, COLORREF color) {
    return WithState(dc, CLR_INVALID,
                     [&](DeviceContext&, DcState& s) { return Exchange(s.dcBrushColor, color); });
}
COLORREF SetDCPenColor(HDC dc, COLORREF color) {
    return WithState(dc, CLR_INVALID,
                     [&](DeviceContext&, DcState& s) { return Exchange(s.dcPenColor, color); });
}

int SetBkMode(HDC dc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetInvalidParameter();
        return 0;
    }
    return WithState(dc, 0, [&](DeviceContext&, DcState& s) { return Exchange(s.bkMode, mode); });
}
int GetBkMode(HDC dc) {
    return WithState(dc, 0, [](DeviceContext&, DcState& s) { return s.bkMode; });
}

int SetROP2(HDC dc, int mode) {
    if (mode < R2_BLACK || mode > R2_WHITE) {
        SetInvalidParameter();
        return 0;
    }
    return WithState(dc, 0, [&](DeviceContext&, DcState& s) { return Exchange(s.rop2, mode); });
}
int GetROP2(HDC dc) {
    return WithState(dc, 0, [](DeviceContext&, DcState& s) { return s.rop2; });
}

UINT SetTextAlign(HDC dc, UINT align) {
    return WithState(dc, static_cast<UINT>(GDI_ERROR), [&](DeviceContext&, DcState& s) {
        return Exchange(s.textAlign, align & TA_MASK);
    });
}
UINT GetTextAlign(HDC dc) {
    return WithState(dc, static_cast<UINT>(GDI_ERROR),
                     [](DeviceContext&, DcState& s) { return s.textAlign; });
}

int SetStretchBltMode(HDC dc, int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetInvalidParameter();
        return 0;
    }
    return WithState(dc, 0,
                     [&](DeviceContext&, DcState& s) { return Exchange(s.stretchMode, mode); });
}
int GetStretchBltMode(HDC dc) {
    return WithState(dc, 0, [](DeviceContext&, DcState& s) { return s.stretchMode; });
}

int SetPolyFillMode(HDC dc, int mode) {
    if (mode != ALTERNATE && mode != WINDING) {
        SetInvalidParameter();
        return 0;
    }
    return WithState(dc, 0,
                     [&](DeviceContext&, DcState& s) { return Exchange(s.polyFillMode, mode); });
}
int GetPolyFillMode(HDC dc) {
    return WithState(dc, 0, [](DeviceContext&, DcState& s) { return s.polyFillMode; });
}

int SetTextCharacterExtra(HDC dc, int extra) {
    return WithState(dc, static_cast<int>(0x80000000),
                     [&](DeviceContext&, DcState& s) { return Exchange(s.charExtra, extra); });
}
int GetTextCharacterExtra(HDC dc) {
    return WithState(dc, static_cast<int>(0x80000000),
                     [](DeviceContext&, DcState& s) { return s.charExtra; });
}

int SetMapMode(HDC dc, int mode) {
    // Only the text mapping mode is supported; the others are refused.
    if (mode != MM_TEXT) {
        SetInvalidParameter();
        return 0;
    }
    return WithState(dc, 0, [&](DeviceContext&, DcState& s) { return Exchange(s.mapMode, mode); });
}
int GetMapMode(HDC dc) {
    return WithState(dc, 0, [](DeviceContext&, DcState& s) { return s.mapMode; });
}

BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        return SetPoint(s.brushOrg, x, y, previous);
    });
}
BOOL GetBrushOrgEx(HDC dc, LPPOINT origin) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        if (origin) *origin = s.brushOrg;
        return TRUE;
    });
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        return SetPoint(s.windowOrg, x, y, previous);
    });
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        if (origin) *origin = s.windowOrg;
        return TRUE;
    });
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        return SetPoint(s.windowOrg, s.windowOrg.x + dx, s.windowOrg.y + dy, previous);
    });
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        return SetPoint(s.viewportOrg, x, y, previous);
    });
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        if (origin) *origin = s.viewportOrg;
        return TRUE;
    });
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        return SetPoint(s.viewportOrg, s.viewportOrg.x + dx, s.viewportOrg.y + dy, previous);
    });
}

BOOL LPtoDP(HDC dc, LPPOINT points, int count) {
    return WithState(dc, FALSE, [&](DeviceContext& ctx, DcState&) {
        if (!points && count > 0) return FALSE;
        for (int i = 0; i < count; ++i)
            points[i] = ctx.ToDevice(points[i]);
        return TRUE;
    });
}
BOOL DPtoLP(HDC dc, LPPOINT points, int count) {
    return WithState(dc, FALSE, [&](DeviceContext& ctx, DcState&) {
        if (!points && count > 0) return FALSE;
        for (int i = 0; i < count; ++i)
            points[i] = ctx.ToLogical(points[i]);
        return TRUE;
    });
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT position) {
    return WithState(dc, FALSE, [&](DeviceContext&, DcState& s) {
        if (position) *position = s.position;
        return TRUE;
    });
}
