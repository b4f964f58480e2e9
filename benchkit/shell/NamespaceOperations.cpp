// TNamespace: operations on the shell: context menus and their verbs, the
// verb operations on sibling items, drop effects and the details columns;
// and the unit's routines for paths, times, arrays and default icons. File
// operations always go through the shell's menu commands, so that the shell
// asks its own questions and shows its own errors.
#include "benchkit/shell/IDEVirtualResources.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"
#include "benchkit/shell/IDEVirtualUnicodeDefines.h"
#include "NamespaceExtras.h"

#include <quorlpak/Application.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Messages.h>
#include <quorlpak/WinControl.h>
#include <runpak/Strings.h>

#include <win32/shellapi.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstring>

namespace {

// Command ids of the menus run from 1 to 0x7FFF; a command's offset is its id - 1.
constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

// Critical-error boxes are off while the shell is asked.
class QuietErrors {
public:
    QuietErrors() : FOld(SetErrorMode(0x8001)) {}
    ~QuietErrors() { SetErrorMode(FOld); }

private:
    UINT FOld;
};

UnicodeString CommandString(IContextMenu* Menu, UINT Offset, UINT WideType, UINT AnsiType) {
    WCHAR wide[128] = {};
    if (SUCCEEDED(Menu->GetCommandString(Offset, WideType, nullptr, reinterpret_cast<LPSTR>(wide),
                                         128))) {
        wide[127] = 0;
        return UnicodeString(wide);
    }
    char narrow[128] = {};
    if (SUCCEEDED(Menu->GetCommandString(Offset, AnsiType, nullptr, narrow, 128))) {
        narrow[127] = 0;
        return UnicodeString(narrow, narrow + std::strlen(narrow));
    }
    return {};
}

// The invoke record of a command offset (as an integer resource) or a verb.
HRESULT Invoke(IContextMenu* Menu, HWND Owner, UINT Offset, const UnicodeString* Verb) {
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_UNICODE;
    info.hwnd = Owner;
    info.nShow = SW_SHOWNORMAL;
    std::string narrow;
    if (Verb) {
        for (char16_t c : *Verb)
            narrow += c < 0x80 ? char(c) : '?';
        info.lpVerb = narrow.c_str();
        info.lpVerbW = Verb->c_str();
    } else {
        info.lpVerb = reinterpret_cast<LPCSTR>(uintptr_t(Offset));
        info.lpVerbW = reinterpret_cast<LPCWSTR>(uintptr_t(Offset));
    }
    return Menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
}

} // namespace

// ---- context menus ---------------------------------------------------------------------------

InterfacePtr<IContextMenu>
TNamespace::InternalGetContextMenuInterface(const TPIDLArray& PIDLArray) {
    FCurrentContextMenu2.Reset();
    InterfacePtr<IContextMenu> menu;
    if (PIDLArray.empty()) return menu;
    if (IShellFolder* parent = GetParentShellFolder()) {
        std::vector<PCUITEMID_CHILD> items(PIDLArray.begin(), PIDLArray.end());
        if (FAILED(parent->GetUIObjectOf(nullptr, UINT(items.size()), items.data(),
                                         IID_IContextMenu, nullptr,
                                         reinterpret_cast<void**>(menu.Out()))))
            menu.Reset();
    }
    if (!menu && PIDLArray.size() == 1)
        if (IShellFolder* own = GetShellFolder())
            if (FAILED(own->CreateViewObject(nullptr, IID_IContextMenu,
                                             reinterpret_cast<void**>(menu.Out()))))
                menu.Reset();
    return menu;
}

InterfacePtr<IContextMenu> TNamespace::ContextMenuInterface() {
    return InternalGetContextMenuInterface({FRelativePIDL});
}

InterfacePtr<IContextMenu2> TNamespace::ContextMenu2Interface() {
    InterfacePtr<IContextMenu> menu = ContextMenuInterface();
    if (menu && FAILED(menu->QueryInterface(IID_IContextMenu2,
                                            reinterpret_cast<void**>(FCurrentContextMenu2.Out()))))
        FCurrentContextMenu2.Reset();
    return FCurrentContextMenu2;
}

InterfacePtr<IContextMenu3> TNamespace::ContextMenu3Interface() {
    InterfacePtr<IContextMenu> menu = ContextMenuInterface();
    InterfacePtr<IContextMenu3> menu3;
    if (menu &&
        SUCCEEDED(menu->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(menu3.Out()))))
        FCurrentContextMenu2 = InterfacePtr<IContextMenu2>(menu3);
    else
        menu3.Reset();
    return menu3;
}

UnicodeString TNamespace::ContextMenuVerb(UINT MenuItemID) {
    if (!FCurrentContextMenu || MenuItemID == 0 || MenuItemID == UINT(-1)) return {};
    return CommandString(FCurrentContextMenu.Get(), MenuItemID - 1, GCS_VERBW, GCS_VERBA);
}

UnicodeString TNamespace::ContextMenuItemHelp(UINT MenuItemID) {
    if (!FCurrentContextMenu || MenuItemID == 0 || MenuItemID == UINT(-1)) return {};
    return CommandString(FCurrentContextMenu.Get(), MenuItemID - 1, GCS_HELPTEXTW, GCS_HELPTEXTA);
}

bool TNamespace::ExecuteContextMenuVerb(const UnicodeString& AVerb, const TPIDLArray& APIDLArray,
                                        HWND MessageWindowParent) {
    if (!GetParentShellFolder()) return false;
    InterfacePtr<IContextMenu> menu =
        APIDLArray.empty() ? ContextMenuInterface() : InternalGetContextMenuInterface(APIDLArray);
    if (!menu) return false;
    HMENU popup = CreatePopupMenu();
    if (!popup) return false;
    bool matched = false;
    UINT offset = 0;
    if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_EXPLORE))) {
        for (int i = 0, n = GetMenuItemCount(popup); i < n && !matched; ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id == 0 || id == UINT(-1)) continue;
            if (SameText(CommandString(menu.Get(), id - 1, GCS_VERBW, GCS_VERBA), AVerb)) {
                matched = true;
                offset = id - 1;
            }
        }
    }
    DestroyMenu(popup);
    return SUCCEEDED(Invoke(menu.Get(), MessageWindowParent, offset, matched ? nullptr : &AVerb));
}

// ---- showing a context menu ------------------------------------------------------------------

namespace {

template <class I> void** Slot(InterfacePtr<I>& p) {
    return reinterpret_cast<void**>(p.Out());
}

// Every id a menu uses, its sub-menus' included.
void CollectIds(HMENU Menu, std::vector<UINT>& Ids) {
    for (int i = 0, n = GetMenuItemCount(Menu); i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(Menu, UINT(i), TRUE, &info)) continue;
        Ids.push_back(info.wID);
        if (info.hSubMenu) CollectIds(info.hSubMenu, Ids);
    }
}

// The owner control's window method is the item's while the menu is up,
// and the control's own again afterwards, whatever happens between.
class WindowMethodHook {
public:
    WindowMethodHook(TWinControl* Owner, TNamespace* Item, std::function<void(TMessage&)>& Saved)
        : FOwner(Owner), FSaved(Saved) {
        FSaved = Owner->GetWindowProc();
        Owner->SetWindowProc([Item](TMessage& Message) { Item->WindowProcForContextMenu(Message); });
    }
    ~WindowMethodHook() {
        FOwner->SetWindowProc(FSaved);
        FSaved = nullptr;
    }

private:
    TWinControl* FOwner;
    std::function<void(TMessage&)>& FSaved;
};

} // namespace

HRESULT TNamespace::HandleContextMenuMsg(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
    if (!FCurrentContextMenu2) return E_FAIL;
    InterfacePtr<IContextMenu3> menu3;
    if (SUCCEEDED(FCurrentContextMenu2->QueryInterface(IID_IContextMenu3, Slot(menu3))) && menu3)
        return menu3->HandleMenuMsg2(Msg, wParam, lParam, &Result);
    return FCurrentContextMenu2->HandleMenuMsg(Msg, wParam, lParam);
}

void TNamespace::WindowProcForContextMenu(TMessage& Message) {
    if (FExtras && FExtras->OldWndProcForContextMenu) FExtras->OldWndProcForContextMenu(Message);
    switch (Message.Msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        HandleContextMenuMsg(Message.Msg, Message.WParam, Message.LParam, Message.Result);
        break;
    default:
        break;
    }
}

std::vector<UINT> TNamespace::InjectCustomSubMenu(HMENU Menu, const UnicodeString& Caption,
                                                  TPopupMenu* PopupMenu, HMENU& SubMenu) {
    std::vector<UINT> ids;
    SubMenu = nullptr;
    if (!Menu || !PopupMenu) return ids;
    // The ids come before the insertion: none may be one the shell's menu
    // uses anywhere, or choosing a shell entry would run the host's command.
    std::vector<UINT> used;
    CollectIds(Menu, used);
    TMenuItem* root = PopupMenu->GetItems();
    const int count = root ? root->GetCount() : 0;
    UINT last = 0;
    for (int i = 0; i < count; ++i) {
        do
            ++last;
        while (std::find(used.begin(), used.end(), last) != used.end());
        ids.push_back(last);
    }

    HMENU sub = CreatePopupMenu();
    if (!sub) return {};
    AppendMenuW(Menu, MF_SEPARATOR, 0, nullptr);
    UnicodeString text = Caption;
    MENUITEMINFOW holder{};
    holder.cbSize = sizeof holder;
    holder.fMask = MIIM_SUBMENU | MIIM_STRING;
    holder.hSubMenu = sub;
    holder.dwTypeData = text.data();
    if (!InsertMenuItemW(Menu, UINT(GetMenuItemCount(Menu)), TRUE, &holder)) {
        DestroyMenu(sub);
        return {};
    }
    SubMenu = sub;
    for (int i = count - 1; i >= 0; --i) {
        TMenuItem* item = root->GetItems(i);
        UnicodeString caption = item->GetCaption();
        MENUITEMINFOW entry{};
        entry.cbSize = sizeof entry;
        entry.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
        if (caption == u"-") {
            entry.fType = MFT_SEPARATOR;
        } else {
            entry.fType = MFT_STRING;
            entry.fMask |= MIIM_STRING;
            entry.dwTypeData = caption.data();
        }
        if (item->GetRadioItem()) entry.fType |= MFT_RADIOCHECK;
        if (item->GetBreak() == mbBreak) entry.fType |= MFT_MENUBREAK;
        if (item->GetBreak() == mbBarBreak) entry.fType |= MFT_MENUBARBREAK;
        if (item->GetChecked()) entry.fState |= MFS_CHECKED;
        if (item->GetDefault()) entry.fState |= MFS_DEFAULT;
        if (!item->GetEnabled()) entry.fState |= MFS_DISABLED | MFS_GRAYED;
        entry.wID = ids[size_t(i)];
        entry.dwItemData = reinterpret_cast<ULONG_PTR>(item);
        InsertMenuItemW(sub, 0, TRUE, &entry);
    }
    return ids;
}

bool TNamespace::ShowContextMenu(TWinControl* Owner, const TContextMenuCmdCallback& CmdCallback,
                                 const TContextMenuShowCallback& ShowCallback,
                                 const TContextMenuAfterCmdCallback& AfterCmdCallback,
                                 const POINT* Position, TPopupMenu* CustomShellSubMenu,
                                 const UnicodeString& CustomSubMenuCaption) {
    return InternalShowContextMenu(Owner, CmdCallback, ShowCallback, AfterCmdCallback,
                                   {FRelativePIDL}, Position, CustomShellSubMenu,
                                   CustomSubMenuCaption, false);
}

bool TNamespace::ShowContextMenuMulti(TWinControl* Owner,
                                      const TContextMenuCmdCallback& CmdCallback,
                                      const TContextMenuShowCallback& ShowCallback,
                                      const TContextMenuAfterCmdCallback& AfterCmdCallback,
                                      const TNamespaceArray& NamespaceArray, const POINT* Position,
                                      TPopupMenu* CustomShellSubMenu,
                                      const UnicodeString& CustomSubMenuCaption,
                                      bool ForceFromDesktop) {
    TPIDLArray lists = ForceFromDesktop ? NamespaceToAbsolutePIDLArray(NamespaceArray)
                                        : NamespaceToRelativePIDLArray(NamespaceArray);
    return InternalShowContextMenu(Owner, CmdCallback, ShowCallback, AfterCmdCallback, lists,
                                   Position, CustomShellSubMenu, CustomSubMenuCaption,
                                   ForceFromDesktop);
}

bool TNamespace::InternalShowContextMenu(TWinControl* Owner,
                                         const TContextMenuCmdCallback& CmdCallback,
                                         const TContextMenuShowCallback& ShowCallback,
                                         const TContextMenuAfterCmdCallback& AfterCmdCallback,
                                         const TPIDLArray& PIDLArray, const POINT* Position,
                                         TPopupMenu* CustomShellSubMenu,
                                         const UnicodeString& Caption, bool ForceFromDesktop) {
    if (!Owner) return false;
    WindowMethodHook hook(Owner, this, Extras().OldWndProcForContextMenu);
    if (PIDLArray.empty()) return false;
    POINT at{};
    if (Position)
        at = *Position;
    else
        GetCursorPos(&at);

    HMENU popup = CreatePopupMenu();
    if (!popup) return false;
    QuietErrors quiet;
    struct Cleanup {
        TNamespace* Item;
        HMENU Popup;
        ~Cleanup() {
            DestroyMenu(Popup);
            Item->FCurrentContextMenu.Reset();
            Item->FCurrentContextMenu2.Reset();
        }
    } cleanup{this, popup};

    UINT flags = CMF_EXPLORE;
    if (CmdCallback && PIDLArray.size() == 1) flags |= CMF_CANRENAME;
    if (GetKeyState(VK_SHIFT) < 0) flags |= CMF_EXTENDEDVERBS;

    InterfacePtr<IContextMenu> menu;
    if (ForceFromDesktop) {
        IShellFolder* desktop = DesktopFolder ? DesktopFolder->GetShellFolder() : nullptr;
        std::vector<PCUITEMID_CHILD> items(PIDLArray.begin(), PIDLArray.end());
        if (!desktop || FAILED(desktop->GetUIObjectOf(nullptr, UINT(items.size()), items.data(),
                                                      IID_IContextMenu, nullptr, Slot(menu))))
            menu.Reset();
    } else {
        menu = InternalGetContextMenuInterface(PIDLArray);
    }
    if (!menu) return false;
    FCurrentContextMenu = menu;
    InterfacePtr<IContextMenu3> menu3;
    if (SUCCEEDED(menu->QueryInterface(IID_IContextMenu3, Slot(menu3))) && menu3)
        FCurrentContextMenu2 = InterfacePtr<IContextMenu2>(menu3);
    else if (FAILED(menu->QueryInterface(IID_IContextMenu2, Slot(FCurrentContextMenu2))))
        FCurrentContextMenu2.Reset();

    IContextMenu* newest = FCurrentContextMenu2 ? static_cast<IContextMenu*>(FCurrentContextMenu2.Get())
                                                : menu.Get();
    if (FAILED(newest->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, flags)))
        return false;

    std::vector<UINT> custom;
    HMENU subMenu = nullptr;
    if (CustomShellSubMenu) custom = InjectCustomSubMenu(popup, Caption, CustomShellSubMenu, subMenu);

    bool allow = true;
    if (ShowCallback) ShowCallback(this, popup, allow);
    if (!allow) return false;
    const UINT chosen = UINT(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y,
                                              Owner->GetHandle(), nullptr));
    if (chosen == 0) return false;

    // The verb of a command the host injected is not the shell's to tell.
    auto injected = std::find(custom.begin(), custom.end(), chosen);
    UnicodeString verb;
    bool success = false;
    if (injected == custom.end()) {
        verb = CommandString(menu.Get(), chosen - 1, GCS_VERBW, GCS_VERBA);
        success = !verb.empty();
    }
    if (verb.empty()) verb = UnicodeString(_STR_UNKNOWNCOMMAN);

    bool handled = false;
    if (injected != custom.end()) {
        TMenuItem* item = CustomShellSubMenu->GetItems()->GetItems(int(injected - custom.begin()));
        item->Click();
        handled = true;
        success = true;
    } else if (CmdCallback) {
        CmdCallback(this, verb, chosen, handled);
    }
    if (!handled) {
        HWND owner = Application ? Application->GetHandle() : nullptr;
        success = SUCCEEDED(Invoke(menu.Get(), owner, chosen - 1, nullptr));
        if (AfterCmdCallback) AfterCmdCallback(this, verb, chosen, success);
    }
    return success;
}

// ---- verb operations ------------------------------------------------------------------------

bool TNamespace::VerifyPIDLRelationship(const TNamespaceArray& NamespaceArray, bool Silent) {
    GetParentShellFolder(); // binds the parent when the item has one
    bool related = true;
    if (!FParent) {
        related = NamespaceArray.size() == 1 && NamespaceArray[0] && NamespaceArray[0]->IsDesktop();
    } else {
        for (TNamespace* item : NamespaceArray)
            if (!item || !ILIsParent(FParent->GetAbsolutePIDL(), item->GetAbsolutePIDL(), true)) {
                related = false;
                break;
            }
    }
    if (!related && !Silent && !IsDesktop())
        ShowWideMessage(Application ? Application->GetHandle() : nullptr, UnicodeString(_S_ERROR),
                        UnicodeString(_STR_ERR_BAD_PIDL_RELATIONSHIP));
    return related;
}

bool TNamespace::CanCopyAll(const TNamespaceArray& NamespaceArray) {
    if (NamespaceArray.empty()) return false;
    for (TNamespace* item : NamespaceArray)
        if (!item->GetCanCopy()) return false;
    return true;
}

bool TNamespace::CanDeleteAll(const TNamespaceArray& NamespaceArray) {
    if (NamespaceArray.empty()) return false;
    for (TNamespace* item : NamespaceArray)
        if (!item->GetCanDelete()) return false;
    return true;
}

bool TNamespace::CanCutAll(const TNamespaceArray& NamespaceArray) {
    return CanDeleteAll(NamespaceArray);
}

bool TNamespace::CanPasteToAll(const TNamespaceArray& NamespaceArray) {
    return !NamespaceArray.empty();
}

bool TNamespace::CanShowPropertiesOfAll(const TNamespaceArray& NamespaceArray) {
    if (NamespaceArray.empty()) return false;
    for (TNamespace* item : NamespaceArray)
        if (!item->GetHasPropSheet()) return false;
    return true;
}

bool TNamespace::Copy(const TNamespaceArray& NamespaceArray) {
    return VerifyPIDLRelationship(NamespaceArray) &&
           ExecuteContextMenuVerb(u"copy", NamespaceToRelativePIDLArray(NamespaceArray));
}

bool TNamespace::Cut(const TNamespaceArray& NamespaceArray) {
    return CanCutAll(NamespaceArray) && VerifyPIDLRelationship(NamespaceArray) &&
           ExecuteContextMenuVerb(u"cut", NamespaceToRelativePIDLArray(NamespaceArray));
}

bool TNamespace::Delete(const TNamespaceArray& NamespaceArray) {
    return CanDeleteAll(NamespaceArray) && VerifyPIDLRelationship(NamespaceArray) &&
           ExecuteContextMenuVerb(u"delete", NamespaceToRelativePIDLArray(NamespaceArray));
}

bool TNamespace::Paste(const TNamespaceArray& NamespaceArray) {
    if (!CanPasteToAll(NamespaceArray)) return false;
    if (IsDesktop() && PhysicalDesktopFolder) {
        // The desktop pastes into the folder that holds its files.
        std::vector<std::unique_ptr<TNamespace>> items;
        TNamespaceArray physical;
        for (TNamespace* item : NamespaceArray) {
            PItemIDList pidl = PathToPIDL(item->GetNameForParsing());
            if (!pidl) return false;
            items.push_back(std::make_unique<TNamespace>(pidl, nullptr));
            physical.push_back(items.back().get());
        }
        return PhysicalDesktopFolder->Paste(physical);
    }
    return VerifyPIDLRelationship(NamespaceArray) &&
           ExecuteContextMenuVerb(u"paste", NamespaceToRelativePIDLArray(NamespaceArray));
}

bool TNamespace::ShowPropertySheet() {
    TNamespaceArray self{this};
    return GetHasPropSheet() && VerifyPIDLRelationship(self) &&
           ExecuteContextMenuVerb(u"properties", NamespaceToRelativePIDLArray(self));
}

bool TNamespace::ShowPropertySheetMulti(const TNamespaceArray& NamespaceArray) {
    if (!CanShowPropertiesOfAll(NamespaceArray)) return false;
    if (SHMultiFileProperties_QOZ && DesktopFolder) {
        TPIDLArray lists = NamespaceToAbsolutePIDLArray(NamespaceArray);
        std::vector<PCUITEMID_CHILD> items(lists.begin(), lists.end());
        IDataObject* data = nullptr;
        IShellFolder* desktop = DesktopFolder->GetShellFolder();
        if (desktop && SUCCEEDED(desktop->GetUIObjectOf(nullptr, UINT(items.size()), items.data(),
                                                        IID_IDataObject, nullptr,
                                                        reinterpret_cast<void**>(&data)))) {
            bool shown = SUCCEEDED(SHMultiFileProperties_QOZ(data, 0));
            data->Release();
            return shown;
        }
    }
    return VerifyPIDLRelationship(NamespaceArray) &&
           ExecuteContextMenuVerb(u"properties", NamespaceToRelativePIDLArray(NamespaceArray));
}

int TNamespace::DragEffect(int grfKeyState) {
    const bool control = grfKeyState & MK_CONTROL, shift = grfKeyState & MK_SHIFT;
    int wished = control && shift ? DROPEFFECT_LINK
                 : control        ? DROPEFFECT_COPY
                 : shift          ? DROPEFFECT_NONE
                                  : DROPEFFECT_MOVE;
    int allowed = (GetCanMove() ? DROPEFFECT_MOVE : 0) | (GetCanCopy() ? DROPEFFECT_COPY : 0) |
                  (GetCanLink() ? DROPEFFECT_LINK : 0);
    if (wished != DROPEFFECT_NONE && (allowed & wished)) return wished;
    if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

// ---- details -----------------------------------------------------------------------------------

int TNamespace::DetailsSupportedColumns() {
    if (FShellCache.ShellCacheFlags.Contains(scSupportedColumns))
        return FShellCache.Data.SupportedColumns;
    // Counting stops at a bound: a folder that answers every index has no
    // real columns to offer.
    constexpr int kBound = 200;
    int count = 0;
    if (IShellFolder2* folder = GetShellFolder2()) {
        SHCOLSTATEF state = 0;
        while (count < kBound && SUCCEEDED(folder->GetDefaultColumnState(count, &state)))
            ++count;
        if (count == kBound) count = 0;
        if (count < 1) {
            SHELLDETAILS details{};
            while (count < kBound && SUCCEEDED(folder->GetDetailsOf(nullptr, count, &details))) {
                if (details.str.uType == STRRET_WSTR) CoTaskMemFree(details.str.pOleStr);
                ++count;
            }
            if (count == kBound) count = 0;
        }
    }
    if (count < 1)
        if (IShellDetails* details = GetShellDetailsInterface()) {
            SHELLDETAILS column{};
            while (count < kBound && SUCCEEDED(details->GetDetailsOf(nullptr, count, &column))) {
                if (column.str.uType == STRRET_WSTR) CoTaskMemFree(column.str.pOleStr);
                ++count;
            }
            if (count == kBound) count = 0;
        }
    if (count == 0) count = DetailsDefaultSupportedColumns();
    FShellCache.Data.SupportedColumns = count;
    FShellCache.ShellCacheFlags << scSupportedColumns;
    return count;
}

bool TNamespace::DetailsValidIndex(int DetailsIndex) {
    return DetailsIndex >= 0 && DetailsIndex < DetailsSupportedColumns();
}

UnicodeString TNamespace::DetailsColumnTitle(int ColumnIndex) {
    if (!DetailsValidIndex(ColumnIndex)) return {};
    SHELLDETAILS details{};
    IShellFolder2* folder = GetShellFolder2();
    if (folder && SUCCEEDED(folder->GetDetailsOf(nullptr, ColumnIndex, &details)))
        return StrRetToStr(details.str, nullptr);
    IShellDetails* shellDetails = GetShellDetailsInterface();
    if (shellDetails && SUCCEEDED(shellDetails->GetDetailsOf(nullptr, ColumnIndex, &details)))
        return StrRetToStr(details.str, nullptr);
    return DetailsDefaultColumnTitle(ColumnIndex);
}

int TNamespace::DetailsColumnTitleInfo(int ColumnIndex) {
    if (!DetailsValidIndex(ColumnIndex)) return 1;
    SHELLDETAILS details{};
    HRESULT hr = E_FAIL;
    if (IShellFolder2* folder = GetShellFolder2())
        hr = folder->GetDetailsOf(nullptr, ColumnIndex, &details);
    if (FAILED(hr))
        if (IShellDetails* shellDetails = GetShellDetailsInterface())
            hr = shellDetails->GetDetailsOf(nullptr, ColumnIndex, &details);
    if (FAILED(hr)) return 1;
    if (details.str.uType == STRRET_WSTR) CoTaskMemFree(details.str.pOleStr);
    switch (details.fmt) {
    case 0:
        return 1; // left
    case 1:
        return 2; // right
    case 2:
        return 0; // centre
    case 0x8000:
        return 3; // an image column
    default:
        return 1;
    }
}

TSHColumnStates TNamespace::DetailsGetDefaultColumnState(int ColumnIndex) {
    TSHColumnStates states;
    if (!DetailsValidIndex(ColumnIndex)) return states;
    SHCOLSTATEF flags = 0;
    IShellFolder2* folder = GetShellFolder2();
    if (!folder || FAILED(folder->GetDefaultColumnState(ColumnIndex, &flags)))
        return states << csOnByDefault;
    // The low bits hold the column's type as a value (1 text, 2 number,
    // 3 date), not as separate bits: a date column is not also text.
    switch (flags & 0xF) {
    case SHCOLSTATE_TYPE_STR:
        states << csTypeString;
        break;
    case SHCOLSTATE_TYPE_INT:
        states << csTypeInt;
        break;
    case SHCOLSTATE_TYPE_DATE:
        states << csTypeDate;
        break;
    default:
        break;
    }
    if (flags & 0x10) states << csOnByDefault;
    if (flags & 0x20) states << csSlow;
    if (flags & 0x40) states << csExtended;
    if (flags & 0x80) states << csSecondaryUI;
    if (flags & 0x100) states << csHidden;
    return states;
}

std::vector<int> TNamespace::DetailsSupportedVisibleColumns() {
    std::vector<int> columns;
    for (int i = 0, n = DetailsSupportedColumns(); i < n; ++i)
        if (DetailsGetDefaultColumnState(i).Contains(csOnByDefault) &&
            !DetailsColumnTitle(i).empty())
            columns.push_back(i);
    return columns;
}

UnicodeString TNamespace::DetailsOf(int ColumnIndex) {
    QuietErrors quiet;
    if (!GetParentShellFolder() || IsDesktop() || !FParent ||
        !FParent->DetailsValidIndex(ColumnIndex))
        return {};
    SHELLDETAILS details{};
    IShellDetails* parentDetails = GetParentShellDetailsInterface();
    if (IShellFolder2* parent = GetParentShellFolder2()) {
        if (SUCCEEDED(parent->GetDetailsOf(FRelativePIDL, ColumnIndex, &details)))
            return StrRetToStr(details.str, FRelativePIDL);
        if (parentDetails &&
            SUCCEEDED(parentDetails->GetDetailsOf(FRelativePIDL, ColumnIndex, &details)))
            return StrRetToStr(details.str, FRelativePIDL);
        return DetailsDefaultOf(ColumnIndex);
    }
    if (parentDetails) {
        if (SUCCEEDED(parentDetails->GetDetailsOf(FRelativePIDL, ColumnIndex, &details)))
            return StrRetToStr(details.str, FRelativePIDL);
        return {};
    }
    return DetailsDefaultOf(ColumnIndex);
}

UnicodeString TNamespace::DetailsOfEx(int ColumnIndex) {
    // Asked of the parent, which knows the details of files too (they have no
    // folder of their own). A column without a property key reads as the
    // default details; one with a key reads through the parent's text.
    IShellFolder2* parent = GetParentShellFolder2();
    SHCOLUMNID key{};
    if (!parent || FAILED(parent->MapColumnToSCID(ColumnIndex, &key)))
        return DetailsDefaultOf(ColumnIndex);
    return DetailsOf(ColumnIndex);
}

// ---- unit routines ---------------------------------------------------------------------------

UnicodeString PIDLToPath(PItemIDList APIDL) {
    TNamespace item(APIDL, nullptr);
    item.SetFreePIDLOnDestroy(false);
    return item.GetNameForParsing();
}

int RectWidth(const RECT& ARect) {
    return ARect.right - ARect.left;
}

int RectHeight(const RECT& ARect) {
    return ARect.bottom - ARect.top;
}

TPIDLArray NamespaceToRelativePIDLArray(const TNamespaceArray& NamespaceArray) {
    TPIDLArray lists;
    for (TNamespace* item : NamespaceArray)
        lists.push_back(item->GetRelativePIDL());
    return lists;
}

TPIDLArray NamespaceToAbsolutePIDLArray(const TNamespaceArray& NamespaceArray) {
    TPIDLArray lists;
    for (TNamespace* item : NamespaceArray)
        lists.push_back(item->GetAbsolutePIDL());
    return lists;
}

bool ConvertLocalStrToTFileTime(const UnicodeString& LocalStr, FILETIME& AFileTime) {
    TDateTime when = 0;
    if (!TryStrToDateTime(LocalStr, when)) return false;
    SYSTEMTIME time{};
    FILETIME local{};
    DateTimeToSystemTime(when, time);
    // The text shows local time: undo the time-zone conversion the display
    // made, so that a shown time parses back to the same file time.
    return SystemTimeToFileTime(&time, &local) && LocalFileTimeToFileTime(&local, &AFileTime);
}

int DefaultSystemImageIndex(TDefaultFolderIcon FolderType) {
    SHFILEINFOW info{};
    switch (FolderType) {
    case diNormalFolder:
    case diOpenFolder:
        SHGetFileInfoW(u"*.*", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       FolderType == diOpenFolder ? 0x4016 : 0x4014);
        return info.iIcon;
    case diUnknownFile:
        SHGetFileInfoW(u"*.zyxwv", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, 0x4014);
        return info.iIcon;
    case diLink:
        return 29;
    case diMyDocuments: {
        if (!DesktopFolder) return DefaultSystemImageIndex(diNormalFolder);
        PItemIDList pidl = PathToPIDL(u"::{450d8fba-ad25-11d0-98a8-0800361b1103}");
        if (!pidl) return -1;
        TNamespace documents(pidl, nullptr);
        return documents.GetIconIndex(false, icSmall, true);
    }
    }
    return -1;
}

UnicodeString HotKeyModifiersToStr(THotKeyModifiers HotKeyMod) {
    UnicodeString text;
    if (HotKeyMod.Contains(hkmAlt)) text += u" Alt";
    if (HotKeyMod.Contains(hkmControl)) text += u" Control";
    if (HotKeyMod.Contains(hkmExtendedKey)) text += u" ExtendedKey";
    if (HotKeyMod.Contains(hkmShift)) text += u" Shift";
    return text;
}
