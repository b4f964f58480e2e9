// X key symbols to the layer's virtual keys. The key's unshifted symbol
// decides, so that the virtual key follows the X keyboard layout (a key that
// gives 'z' is VK 'Z' wherever the layout puts it).
#include "XPresenter.h"

#include <win32/winuser.h>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace win32::present {

int VirtualKeyOf(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<int>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<int>(sym);
    if (sym >= XK_0 && sym <= XK_9) return static_cast<int>(sym);
    if (sym >= XK_F1 && sym <= XK_F24) return VK_F1 + static_cast<int>(sym - XK_F1);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return VK_NUMPAD0 + static_cast<int>(sym - XK_KP_0);
    struct Entry {
        KeySym sym;
        int vk;
    };
    static const Entry table[] = {
        {XK_BackSpace, VK_BACK},
        {XK_Tab, VK_TAB},
        {XK_ISO_Left_Tab, VK_TAB},
        {XK_Return, VK_RETURN},
        {XK_KP_Enter, VK_RETURN},
        {XK_Escape, VK_ESCAPE},
        {XK_space, VK_SPACE},
        {XK_Delete, VK_DELETE},
        {XK_Insert, VK_INSERT},
        {XK_Home, VK_HOME},
        {XK_End, VK_END},
        {XK_Prior, VK_PRIOR},
        {XK_Next, VK_NEXT},
        {XK_Left, VK_LEFT},
        {XK_Right, VK_RIGHT},
        {XK_Up, VK_UP},
        {XK_Down, VK_DOWN},
        {XK_KP_Home, VK_HOME},
        {XK_KP_End, VK_END},
        {XK_KP_Prior, VK_PRIOR},
        {XK_KP_Next, VK_NEXT},
        {XK_KP_Left, VK_LEFT},
        {XK_KP_Right, VK_RIGHT},
        {XK_KP_Up, VK_UP},
        {XK_KP_Down, VK_DOWN},
        {XK_KP_Insert, VK_INSERT},
        {XK_KP_Delete, VK_DELETE},
        {XK_KP_Begin, VK_CLEAR},
        {XK_KP_Multiply, VK_MULTIPLY},
        {XK_KP_Add, VK_ADD},
        {XK_KP_Subtract, VK_SUBTRACT},
        {XK_KP_Decimal, VK_DECIMAL},
        {XK_KP_Divide, VK_DIVIDE},
        {XK_KP_Separator, VK_SEPARATOR},
        {XK_Shift_L, VK_LSHIFT},
        {XK_Shift_R, VK_RSHIFT},
        {XK_Control_L, VK_LCONTROL},
        {XK_Control_R, VK_RCONTROL},
        {XK_Alt_L, VK_LMENU},
        {XK_Alt_R, VK_RMENU},
        {XK_ISO_Level3_Shift, VK_RMENU},
        {XK_Meta_L, VK_LMENU},
        {XK_Super_L, VK_LWIN},
        {XK_Super_R, VK_RWIN},
        {XK_Menu, VK_APPS},
        {XK_Caps_Lock, VK_CAPITAL},
        {XK_Num_Lock, VK_NUMLOCK},
        {XK_Scroll_Lock, VK_SCROLL},
        {XK_Pause, VK_PAUSE},
        {XK_Print, VK_SNAPSHOT},
        {XK_semicolon, VK_OEM_1},
        {XK_equal, VK_OEM_PLUS},
        {XK_comma, VK_OEM_COMMA},
        {XK_minus, VK_OEM_MINUS},
        {XK_period, VK_OEM_PERIOD},
        {XK_slash, VK_OEM_2},
        {XK_grave, VK_OEM_3},
        {XK_bracketleft, VK_OEM_4},
        {XK_backslash, VK_OEM_5},
        {XK_bracketright, VK_OEM_6},
        {XK_apostrophe, VK_OEM_7},
        {XK_less, 0xE2 /* the key left of Z on 102-key boards */},
        {XK_Kanji, VK_KANJI},
        {XK_Muhenkan, VK_NONCONVERT},
        {XK_Henkan, VK_CONVERT},
    };
    for (const Entry& e : table)
        if (e.sym == sym) return e.vk;
    return 0;
}

} // namespace win32::present
