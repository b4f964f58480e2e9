#include <quorlpak/ControlTypes.h>

#include <win32/winuser.h>

TShiftState KeysToShiftState(uint16_t Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT) s.Include(ssShift);
    if (Keys & MK_CONTROL) s.Include(ssCtrl);
    if (Keys & MK_LBUTTON) s.Include(ssLeft);
    if (Keys & MK_RBUTTON) s.Include(ssRight);
    if (Keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(intptr_t KeyData) {
    constexpr intptr_t kAltDown = 0x20000000;
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (KeyData & kAltDown) s.Include(ssAlt);
    return s;
}

TShiftState KeyboardStateToShiftState() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
    if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
    if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
    return s;
}
