// Internal model of menus: one process-wide table of menus behind HMENU
// handles, each a list of items. The tracking code reads copies of it.
#pragma once

#include <win32/winuser.h>

#include <string>
#include <vector>

namespace win32::user {

struct MenuItem {
    UINT type = MFT_STRING; // MFT_* bits
    UINT state = 0;         // MFS_* bits
    UINT id = 0;
    HMENU sub = nullptr;
    std::u16string text;
    HBITMAP checkedBitmap = nullptr;
    HBITMAP uncheckedBitmap = nullptr;
    HBITMAP bitmap = nullptr;
    ULONG_PTR data = 0;

    bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool Grayed() const { return (state & MFS_GRAYED) != 0; }
    // The part before a tab is the label, after it the accelerator text.
    std::u16string Label() const { return text.substr(0, text.find(u'\t')); }
    std::u16string Accelerator() const {
        size_t tab = text.find(u'\t');
        return tab == std::u16string::npos ? std::u16string() : text.substr(tab + 1);
    }
};

// A copy of a menu's items; false for a bad handle.
bool MenuItems(HMENU menu, std::vector<MenuItem>& items);
// Sets or clears MFS_HILITE on an item by position.
void SetItemHilite(HMENU menu, int position, bool hilite);
// The mnemonic of a label ("&File" gives 'F', upper-cased), or 0.
char16_t Mnemonic(const std::u16string& label);

} // namespace win32::user
