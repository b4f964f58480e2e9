// SystemParametersInfo: the few desktop settings controls ask for, with the
// values of a freshly installed desktop.
#include <win32/windows.h>

BOOL SystemParametersInfoW(UINT action, UINT, void* param, UINT) {
    switch (action) {
    case SPI_GETWHEELSCROLLLINES:
        if (!param) return FALSE;
        *static_cast<UINT*>(param) = 3;
        return TRUE;
    case SPI_GETDRAGFULLWINDOWS:
        if (!param) return FALSE;
        *static_cast<BOOL*>(param) = TRUE;
        return TRUE;
    case SPI_GETTOOLTIPANIMATION:
    case SPI_GETTOOLTIPFADE:
        if (!param) return FALSE;
        *static_cast<BOOL*>(param) = FALSE;
        return TRUE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}
