// The system-wide settings the components read (wheel lines, drag style,
// animations, the work area). They live in memory, process-wide, starting
// from the desktop's usual defaults.
#include "../gdi/SurfaceDC.h"

#include <win32/winbase.h>
#include <win32/winuser.h>

#include <atomic>

namespace {

std::atomic<UINT> wheelLines{3};
std::atomic<BOOL> dragFullWindows{TRUE};
std::atomic<BOOL> comboAnimation{TRUE};
std::atomic<BOOL> tooltipAnimation{TRUE};
std::atomic<BOOL> tooltipFade{TRUE};

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

template <typename T> BOOL Answer(LPVOID out, T value) {
    if (!out) return Fail(ERROR_INVALID_PARAMETER);
    *static_cast<T*>(out) = value;
    return TRUE;
}

// Flags that are set through pvParam (as a BOOL cast to a pointer), as the
// animation and fade switches are.
BOOL SetFromPointer(std::atomic<BOOL>& flag, LPVOID value) {
    flag = value ? TRUE : FALSE;
    return TRUE;
}

} // namespace

BOOL SystemParametersInfoW(UINT action, UINT uiParam, LPVOID pvParam, UINT /*winIni*/) {
    switch (action) {
    case SPI_GETWHEELSCROLLLINES: return Answer<UINT>(pvParam, wheelLines);
    case SPI_SETWHEELSCROLLLINES: wheelLines = uiParam; return TRUE;
    case SPI_GETDRAGFULLWINDOWS: return Answer<BOOL>(pvParam, dragFullWindows);
    case SPI_SETDRAGFULLWINDOWS: dragFullWindows = uiParam ? TRUE : FALSE; return TRUE;
    case SPI_GETCOMBOBOXANIMATION: return Answer<BOOL>(pvParam, comboAnimation);
    case SPI_SETCOMBOBOXANIMATION: return SetFromPointer(comboAnimation, pvParam);
    case SPI_GETTOOLTIPANIMATION: return Answer<BOOL>(pvParam, tooltipAnimation);
    case SPI_SETTOOLTIPANIMATION: return SetFromPointer(tooltipAnimation, pvParam);
    case SPI_GETTOOLTIPFADE: return Answer<BOOL>(pvParam, tooltipFade);
    case SPI_SETTOOLTIPFADE: return SetFromPointer(tooltipFade, pvParam);
    case SPI_GETWORKAREA:
        // No task bar takes a share of the layer's screen.
        return Answer<RECT>(pvParam, RECT{0, 0, win32::kScreenWidth, win32::kScreenHeight});
    default: return Fail(ERROR_INVALID_PARAMETER);
    }
}
