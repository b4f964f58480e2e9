// The fixed system colours (classic scheme) and system metrics at 96 dpi.
#include "GdiObjects.h"
#include "SurfaceDC.h"

#include <win32/winuser.h>

#include <array>

using namespace win32;

namespace {

constexpr int kColorCount = 31;

constexpr std::array<COLORREF, kColorCount> kColors{
    RGB(212, 208, 200), // COLOR_SCROLLBAR
    RGB(58, 110, 165),  // COLOR_BACKGROUND
    RGB(10, 36, 106),   // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(212, 208, 200), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(212, 208, 200), // COLOR_ACTIVEBORDER
    RGB(212, 208, 200), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(10, 36, 106),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),    // COLOR_3DDKSHADOW
    RGB(212, 208, 200), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(181, 181, 181), // 25: unused
    RGB(0, 0, 128),     // COLOR_HOTLIGHT
    RGB(166, 202, 240), // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192), // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),   // COLOR_MENUHILIGHT
    RGB(212, 208, 200), // COLOR_MENUBAR
};

} // namespace

DWORD GetSysColor(int index) {
    if (index < 0 || index >= kColorCount) return 0;
    return kColors[index];
}

HBRUSH GetSysColorBrush(int index) {
    GdiLock lock;
    if (index < 0 || index >= kColorCount) return nullptr;
    static std::array<HGDIOBJ, kColorCount>* brushes = new std::array<HGDIOBJ, kColorCount>{};
    HGDIOBJ& slot = (*brushes)[index];
    if (!slot) {
        auto b = std::make_shared<BrushObject>();
        b->color = kColors[index];
        b->stock = true;
        slot = InsertGdiObject(std::move(b));
    }
    return static_cast<HBRUSH>(slot);
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN:
        return kScreenWidth;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return kScreenHeight;
    case SM_CYFULLSCREEN:
        return kScreenHeight - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CYCAPTION:
        return 19;
    case SM_CYMENU:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYSMCAPTION:
        return 16;
    case SM_CXSMSIZE:
        return 12;
    case SM_CYSMSIZE:
        return 15;
    case SM_CXSIZE:
    case SM_CYSIZE:
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE:
        return 18;
    case SM_CXMIN:
    case SM_CXMINTRACK:
        return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
        return 27;
    case SM_CXMAXTRACK:
        return kScreenWidth + 12;
    case SM_CYMAXTRACK:
        return kScreenHeight + 12;
    case SM_CXMAXIMIZED:
        return kScreenWidth + 8;
    case SM_CYMAXIMIZED:
        return kScreenHeight + 8;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
        return 75;
    case SM_CXMINSPACING:
    case SM_CXMINIMIZED:
        return 160;
    case SM_CYMINSPACING:
    case SM_CYMINIMIZED:
        return 24;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_ARRANGE:
        return 8;
    case SM_NETWORK:
        return 3;
    case SM_CMOUSEBUTTONS:
        return 3;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_CMONITORS:
    case SM_SAMEDISPLAYFORMAT:
        return 1;
    default:
        return 0; // SM_SWAPBUTTON, SM_DEBUG, SM_XVIRTUALSCREEN, SM_REMOTESESSION, ...
    }
}
