// Menus: creation, items and their states, lookup by command or position,
// and a window's menu bar. Drawing and tracking are in MenuTracking.cpp.
#include "MenuData.h"
#include "NonClient.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

using namespace win32::user;

namespace {

struct Menu {
    bool popup = false;
    HMENU defaultItemOwner = nullptr;
    std::vector<MenuItem> items;
};

struct MenuTable {
    std::recursive_mutex lock;
    std::map<HMENU, std::shared_ptr<Menu>> menus;
    uintptr_t next = 0x00C00000; // apart from window handles
};

MenuTable& T() {
    static auto* table = new MenuTable;
    return *table;
}

using Guard = std::lock_guard<std::recursive_mutex>;

// Caller holds T().lock.
Menu* FindMenu(HMENU menu) {
    auto it = T().menus.find(menu);
    if (it == T().menus.end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

struct ItemRef {
    Menu* menu = nullptr;
    HMENU handle = nullptr;
    size_t index = 0;
    MenuItem& Item() const { return menu->items[index]; }
};

// Depth-first search for a command item, sub-menus included. Caller holds T().lock.
bool FindCommand(HMENU handle, UINT id, ItemRef& ref, int depth = 0) {
    Menu* menu = FindMenu(handle);
    if (!menu || depth > 32) return false;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItem& item = menu->items[i];
        if (item.sub) {
            if (FindCommand(item.sub, id, ref, depth + 1)) return true;
        } else if (item.id == id && !item.Separator()) {
            ref = {menu, handle, i};
            return true;
        }
    }
    return false;
}

// The item named by position or command (MF_BYPOSITION / MF_BYCOMMAND). Caller holds T().lock.
bool Locate(HMENU handle, UINT item, bool byPosition, ItemRef& ref) {
    if (!byPosition) {
        if (!FindMenu(handle)) return false;
        if (FindCommand(handle, item, ref)) return true;
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return false;
    }
    Menu* menu = FindMenu(handle);
    if (!menu) return false;
    if (item >= menu->items.size()) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return false;
    }
    ref = {menu, handle, item};
    return true;
}

MenuItem FromFlags(UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
    MenuItem item;
    item.type = flags & (MF_SEPARATOR | MF_OWNERDRAW | MF_BITMAP | MF_MENUBREAK | MF_MENUBARBREAK |
                         MF_RIGHTJUSTIFY);
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    if (flags & MF_POPUP) {
        item.sub = reinterpret_cast<HMENU>(idNewItem);
        item.id = static_cast<UINT>(idNewItem);
    } else {
        item.id = static_cast<UINT>(idNewItem);
    }
    if (flags & MF_BITMAP)
        item.bitmap = reinterpret_cast<HBITMAP>(const_cast<LPWSTR>(newItem));
    else if (flags & MF_OWNERDRAW)
        item.data = reinterpret_cast<ULONG_PTR>(newItem);
    else if (!(flags & MF_SEPARATOR) && newItem)
        item.text = newItem;
    return item;
}

bool InsertAt(HMENU handle, UINT position, bool byPosition, const MenuItem& item) {
    Guard guard(T().lock);
    Menu* menu = FindMenu(handle);
    if (!menu) return false;
    if (item.sub && !FindMenu(item.sub)) return false;
    if (byPosition) {
        size_t at = std::min<size_t>(position, menu->items.size()); // -1 appends
        menu->items.insert(menu->items.begin() + static_cast<long>(at), item);
        return true;
    }
    ItemRef ref;
    if (!FindCommand(handle, position, ref)) {
        // Inserting before an unknown command appends, as Windows does.
        menu->items.push_back(item);
        return true;
    }
    ref.menu->items.insert(ref.menu->items.begin() + static_cast<long>(ref.index), item);
    return true;
}

void DestroyTree(HMENU handle, int depth = 0) {
    std::shared_ptr<Menu> menu;
    {
        auto it = T().menus.find(handle);
        if (it == T().menus.end() || depth > 32) return;
        menu = it->second;
        T().menus.erase(it);
    }
    for (const MenuItem& item : menu->items)
        if (item.sub) DestroyTree(item.sub, depth + 1);
}

bool RemoveItem(HMENU handle, UINT position, UINT flags, bool destroySub) {
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(handle, position, (flags & MF_BYPOSITION) != 0, ref)) return false;
    HMENU sub = ref.Item().sub;
    ref.menu->items.erase(ref.menu->items.begin() + static_cast<long>(ref.index));
    if (destroySub && sub) DestroyTree(sub);
    return true;
}

HMENU Create(bool popup) {
    Guard guard(T().lock);
    auto menu = std::make_shared<Menu>();
    menu->popup = popup;
    HMENU handle = reinterpret_cast<HMENU>(T().next);
    T().next += 4;
    T().menus[handle] = menu;
    return handle;
}

void CopyText(const std::u16string& text, LPWSTR buffer, UINT capacity, UINT& length) {
    if (!buffer || capacity == 0) {
        length = static_cast<UINT>(text.size());
        return;
    }
    const size_t n = std::min<size_t>(text.size(), capacity - 1);
    std::copy_n(text.begin(), n, buffer);
    buffer[n] = 0;
    length = static_cast<UINT>(n);
}

// Applies the fields of a MENUITEMINFOW that its mask names.
bool ApplyInfo(MenuItem& item, const MENUITEMINFOW& info) {
    const UINT mask = info.fMask;
    if (mask & MIIM_TYPE) {
        item.type = info.fType;
        if (info.fType & MFT_BITMAP)
            item.bitmap = reinterpret_cast<HBITMAP>(info.dwTypeData);
        else if (!(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)))
            item.text = info.dwTypeData ? info.dwTypeData : u"";
    }
    if (mask & MIIM_FTYPE) item.type = info.fType;
    if (mask & MIIM_STRING) item.text = info.dwTypeData ? info.dwTypeData : u"";
    if (mask & MIIM_STATE) item.state = info.fState;
    if (mask & MIIM_ID) item.id = info.wID;
    if (mask & MIIM_SUBMENU) {
        if (info.hSubMenu && !FindMenu(info.hSubMenu)) return false;
        item.sub = info.hSubMenu;
    }
    if (mask & MIIM_CHECKMARKS) {
        item.checkedBitmap = info.hbmpChecked;
        item.uncheckedBitmap = info.hbmpUnchecked;
    }
    if (mask & MIIM_DATA) item.data = info.dwItemData;
    if (mask & MIIM_BITMAP) item.bitmap = info.hbmpItem;
    return true;
}

bool ValidInfo(const MENUITEMINFOW* info) {
    if (info && info->cbSize == sizeof(MENUITEMINFOW)) return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

} // namespace

namespace win32::user {

bool MenuItems(HMENU handle, std::vector<MenuItem>& items) {
    Guard guard(T().lock);
    Menu* menu = FindMenu(handle);
    if (!menu) return false;
    items = menu->items;
    return true;
}

void SetItemHilite(HMENU handle, int position, bool hilite) {
    Guard guard(T().lock);
    Menu* menu = FindMenu(handle);
    if (!menu || position < 0 || static_cast<size_t>(position) >= menu->items.size()) return;
    UINT& state = menu->items[static_cast<size_t>(position)].state;
    state = hilite ? (state | MFS_HILITE) : (state & ~MFS_HILITE);
}

char16_t Mnemonic(const std::u16string& label) {
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != u'&') continue;
        if (label[i + 1] == u'&') {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        char16_t c = label[i + 1];
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    return 0;
}

void DestroyWindowMenu(HWND hwnd) {
    HMENU menu = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w || (w->style & WS_CHILD)) return;
        menu = reinterpret_cast<HMENU>(w->id);
    }
    if (menu && IsMenu(menu)) DestroyMenu(menu);
}

} // namespace win32::user

HMENU CreateMenu() {
    return Create(false);
}

HMENU CreatePopupMenu() {
    return Create(true);
}

BOOL DestroyMenu(HMENU menu) {
    Guard guard(T().lock);
    if (!FindMenu(menu)) return FALSE;
    DestroyTree(menu);
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    Guard guard(T().lock);
    return T().menus.count(menu) ? TRUE : FALSE;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
    return InsertAt(menu, static_cast<UINT>(-1), true, FromFlags(flags, idNewItem, newItem));
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
    return InsertAt(menu, position, (flags & MF_BYPOSITION) != 0,
                    FromFlags(flags, idNewItem, newItem));
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    if (!ValidInfo(info)) return FALSE;
    MenuItem fresh;
    {
        Guard guard(T().lock);
        if (!ApplyInfo(fresh, *info)) return FALSE;
    }
    return InsertAt(menu, item, byPosition != FALSE, fresh);
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, position, (flags & MF_BYPOSITION) != 0, ref)) return FALSE;
    MenuItem fresh = FromFlags(flags, idNewItem, newItem);
    if (fresh.sub && !FindMenu(fresh.sub)) return FALSE;
    HMENU oldSub = ref.Item().sub;
    ref.Item() = fresh;
    // A replaced sub-menu goes with its item.
    if (oldSub && oldSub != fresh.sub) DestroyTree(oldSub);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    return RemoveItem(menu, position, flags, false);
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    return RemoveItem(menu, position, flags, true);
}

int GetMenuItemCount(HMENU menu) {
    Guard guard(T().lock);
    Menu* m = FindMenu(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    Guard guard(T().lock);
    Menu* m = FindMenu(menu);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size())
        return static_cast<UINT>(-1);
    const MenuItem& item = m->items[static_cast<size_t>(position)];
    return item.sub ? static_cast<UINT>(-1) : item.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
    Guard guard(T().lock);
    Menu* m = FindMenu(menu);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
    return m->items[static_cast<size_t>(position)].sub;
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info) {
    if (!ValidInfo(info)) return FALSE;
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, item, byPosition != FALSE, ref)) return FALSE;
    const MenuItem& it = ref.Item();
    const UINT mask = info->fMask;
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.type;
    if (mask & MIIM_TYPE) {
        if (it.type & MFT_BITMAP)
            info->dwTypeData = reinterpret_cast<LPWSTR>(it.bitmap);
        else if (!(it.type & (MFT_SEPARATOR | MFT_OWNERDRAW)))
            CopyText(it.text, info->dwTypeData, info->cch, info->cch);
    }
    if (mask & MIIM_STRING) CopyText(it.text, info->dwTypeData, info->cch, info->cch);
    if (mask & MIIM_STATE) info->fState = it.state;
    if (mask & MIIM_ID) info->wID = it.id;
    if (mask & MIIM_SUBMENU) info->hSubMenu = it.sub;
    if (mask & MIIM_CHECKMARKS) {
        info->hbmpChecked = it.checkedBitmap;
        info->hbmpUnchecked = it.uncheckedBitmap;
    }
    if (mask & MIIM_DATA) info->dwItemData = it.data;
    if (mask & MIIM_BITMAP) info->hbmpItem = it.bitmap;
    return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    if (!ValidInfo(info)) return FALSE;
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, item, byPosition != FALSE, ref)) return FALSE;
    MenuItem changed = ref.Item();
    if (!ApplyInfo(changed, *info)) return FALSE;
    ref.Item() = changed;
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, item, (check & MF_BYPOSITION) != 0, ref)) return static_cast<DWORD>(-1);
    UINT& state = ref.Item().state;
    const DWORD old = state & MF_CHECKED;
    state = (check & MF_CHECKED) ? (state | MF_CHECKED) : (state & ~MF_CHECKED);
    return old;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    Guard guard(T().lock);
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    ItemRef a, b, c;
    if (!Locate(menu, first, byPosition, a) || !Locate(menu, last, byPosition, b) ||
        !Locate(menu, check, byPosition, c) || a.menu != b.menu || a.menu != c.menu)
        return FALSE;
    for (size_t i = std::min(a.index, b.index); i <= std::max(a.index, b.index); ++i) {
        MenuItem& item = a.menu->items[i];
        if (i == c.index) {
            item.type |= MFT_RADIOCHECK;
            item.state |= MFS_CHECKED;
        } else {
            item.state &= ~MFS_CHECKED;
        }
    }
    return TRUE;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, item, (enable & MF_BYPOSITION) != 0, ref)) return -1;
    UINT& state = ref.Item().state;
    const UINT old = state & (MF_GRAYED | MF_DISABLED);
    state = (state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(old);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, item, (flags & MF_BYPOSITION) != 0, ref)) return static_cast<UINT>(-1);
    const MenuItem& it = ref.Item();
    const UINT bits = it.type | it.state;
    if (!it.sub) return bits & 0xFFFF;
    // A sub-menu's item count sits in the high byte.
    Menu* sub = FindMenu(it.sub);
    const UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
    return ((count & 0xFF) << 8) | ((bits | MF_POPUP) & 0xFF);
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int maxCount, UINT flags) {
    Guard guard(T().lock);
    ItemRef ref;
    if (!Locate(menu, item, (flags & MF_BYPOSITION) != 0, ref)) return 0;
    UINT length = 0;
    CopyText(ref.Item().text, text, maxCount > 0 ? static_cast<UINT>(maxCount) : 0, length);
    return static_cast<int>(length);
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition) {
    Guard guard(T().lock);
    Menu* m = FindMenu(menu);
    if (!m) return FALSE;
    ItemRef ref;
    if (item != static_cast<UINT>(-1) && !Locate(menu, item, byPosition != 0, ref)) return FALSE;
    for (MenuItem& it : m->items)
        it.state &= ~MFS_DEFAULT;
    if (ref.menu == m) ref.Item().state |= MFS_DEFAULT;
    return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT) {
    Guard guard(T().lock);
    Menu* m = FindMenu(menu);
    if (!m) return static_cast<UINT>(-1);
    for (size_t i = 0; i < m->items.size(); ++i)
        if (m->items[i].state & MFS_DEFAULT)
            return byPosition ? static_cast<UINT>(i) : m->items[i].id;
    return static_cast<UINT>(-1);
}

BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite) {
    {
        Guard guard(T().lock);
        ItemRef ref;
        if (!Locate(menu, item, (hilite & MF_BYPOSITION) != 0, ref)) return FALSE;
        UINT& state = ref.Item().state;
        state = (hilite & MF_HILITE) ? (state | MFS_HILITE) : (state & ~MFS_HILITE);
    }
    if (GetMenu(hwnd) == menu) DrawMenuBar(hwnd);
    return TRUE;
}

HMENU GetMenu(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || (w->style & WS_CHILD)) return nullptr;
    return reinterpret_cast<HMENU>(w->id);
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    if (menu && !IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        if (w->style & WS_CHILD) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        w->id = reinterpret_cast<LONG_PTR>(menu);
    }
    // The bar takes its height from the frame: the client area changes.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

HMENU GetSystemMenu(HWND, BOOL) {
    return nullptr;
}
