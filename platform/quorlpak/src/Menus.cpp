// TMenuItem, TMenu, TMainMenu and TPopupMenu: the item tree, command ids,
// the window-manager menus built from the tree, and pop-up menus on request.
#include <quorlpak/Application.h>
#include <quorlpak/Control.h>
#include <quorlpak/Form.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Screen.h>
#include <quorlpak/WinControl.h>

#include <runpak/Strings.h>

#include <algorithm>
#include <mutex>

namespace {

// Command ids are WM_COMMAND's low word; 0 means "no command".
class CommandPool {
public:
    UINT Allocate() {
        std::lock_guard<std::mutex> guard(FLock);
        for (unsigned n = 0; n < kCount; ++n) {
            FNext = FNext % (kCount - 1) + 1;
            if (!FUsed[FNext]) {
                FUsed[FNext] = true;
                return FNext;
            }
        }
        throw EMenuError(u"Too many menu items");
    }
    void Release(UINT Command) {
        std::lock_guard<std::mutex> guard(FLock);
        if (Command > 0 && Command < kCount) FUsed[Command] = false;
    }

private:
    static constexpr unsigned kCount = 0x10000;
    std::mutex FLock;
    std::vector<bool> FUsed = std::vector<bool>(kCount, false);
    UINT FNext = 0;
};

CommandPool& Commands() {
    static auto* pool = new CommandPool;
    return *pool;
}

} // namespace

// --- Type records ---------------------------------------------------------------------

PTypeInfo TypeInfo_TMenuBreak() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TMenuBreak", {u"mbNone", u"mbBreak", u"mbBarBreak"});
    return &info;
}

PTypeInfo TypeInfo_TPopupAlignment() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TPopupAlignment", {u"paLeft", u"paRight", u"paCenter"});
    return &info;
}

PTypeInfo TypeInfo_TShortCut() {
    static const TTypeInfo info = [] {
        TTypeInfo t = *IntegerTypeInfo();
        t.Name = u"TShortCut";
        return t;
    }();
    return &info;
}

// --- TMenuItem ------------------------------------------------------------------------

TClass TMenuItem::StaticClass() {
    using M = TMenuItem;
    static const TMetaClass meta(
        TClassBuilder<M>(u"TMenuItem", TComponent::StaticClass())
            .Property(u"AutoCheck", BooleanTypeInfo, &M::GetAutoCheck, &M::SetAutoCheck)
            .Default(0)
            .Property(u"Break", TypeInfo_TMenuBreak, &M::GetBreak, &M::SetBreak)
            .Default(mbNone)
            .Property(u"Caption", UnicodeStringTypeInfo, &M::GetCaption, &M::SetCaption)
            .Property(u"Checked", BooleanTypeInfo, &M::GetChecked, &M::SetChecked)
            .Default(0)
            .Property(u"Default", BooleanTypeInfo, &M::GetDefault, &M::SetDefault)
            .Default(0)
            .Property(u"Enabled", BooleanTypeInfo, &M::GetEnabled, &M::SetEnabled)
            .Default(1)
            .Property(u"GroupIndex", IntegerTypeInfo, &M::GetGroupIndex, &M::SetGroupIndex)
            .Default(0)
            .Property(u"HelpContext", IntegerTypeInfo, &M::GetHelpContext, &M::SetHelpContext)
            .Default(0)
            .Property(u"Hint", UnicodeStringTypeInfo, &M::GetHint, &M::SetHint)
            .Property(u"RadioItem", BooleanTypeInfo, &M::GetRadioItem, &M::SetRadioItem)
            .Default(0)
            .Property(u"ShortCut", TypeInfo_TShortCut, &M::GetShortCut, &M::SetShortCut)
            .Default(0)
            .Property(u"Visible", BooleanTypeInfo, &M::GetVisible, &M::SetVisible)
            .Default(1)
            .Event(u"OnClick", &M::OnClick));
    return &meta;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(Commands().Allocate()) {}

TMenuItem::~TMenuItem() {
    // The children go with the item, as a sub-menu goes with its entry.
    while (!FItems.empty()) {
        TMenuItem* child = FItems.back();
        FItems.pop_back();
        child->FParent = nullptr;
        delete child;
    }
    if (FParent) FParent->Remove(this);
    Commands().Release(FCommand);
}

TMenuItem* TMenuItem::GetItems(int Index) const {
    if (Index < 0 || Index >= GetCount())
        throw EMenuError(u"Menu index out of range (" + IntToStr(Index) + u")");
    return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(GetCount(), Item);
}

void TMenuItem::Add(const std::vector<TMenuItem*>& AItems) {
    for (TMenuItem* item : AItems)
        Add(item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) throw EMenuError(u"Cannot insert a null menu item");
    if (Item->FParent) throw EMenuError(u"Menu inserted twice");
    if (Index < 0 || Index > GetCount())
        throw EMenuError(u"Menu index out of range (" + IntToStr(Index) + u")");
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == Item) throw EMenuError(u"A menu item cannot contain itself");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = GetItems(Index);
    Remove(item);
    delete item;
}

void TMenuItem::Remove(TMenuItem* Item) {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) throw EMenuError(u"Menu item not found");
    FItems.erase(it);
    Item->FParent = nullptr;
    MenuChanged(true);
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        Delete(GetCount() - 1);
}

int TMenuItem::IndexOf(TMenuItem* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const UnicodeString& ACaption) const {
    const UnicodeString wanted = StripHotkey(ACaption);
    for (TMenuItem* item : FItems)
        if (SameText(StripHotkey(item->FCaption), wanted)) return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

int TMenuItem::GetMenuIndex() const {
    return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1;
}

void TMenuItem::SetMenuIndex(int Value) {
    if (!FParent) return;
    TMenuItem* parent = FParent;
    int count = parent->GetCount();
    Value = std::clamp(Value, 0, count - 1);
    if (Value == GetMenuIndex()) return;
    auto& items = parent->FItems;
    items.erase(std::find(items.begin(), items.end(), this));
    items.insert(items.begin() + Value, this);
    MenuChanged(true);
}

void TMenuItem::SetCaption(const UnicodeString& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    MenuChanged(true);
}

void TMenuItem::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    if (Value && FRadioItem) TurnSiblingsOff();
    MenuChanged(FRadioItem); // unchecked siblings change too
}

void TMenuItem::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    MenuChanged(true);
}

void TMenuItem::SetDefault(bool Value) {
    if (FDefault == Value) return;
    if (Value && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            sibling->FDefault = false;
    FDefault = Value;
    MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool Value) {
    if (FRadioItem == Value) return;
    FRadioItem = Value;
    if (FChecked && Value) TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetGroupIndex(uint8_t Value) {
    if (FGroupIndex == Value) return;
    FGroupIndex = Value;
    if (FChecked && FRadioItem) TurnSiblingsOff();
}

void TMenuItem::SetShortCut(TShortCut Value) {
    if (FShortCut == Value) return;
    FShortCut = Value;
    MenuChanged(true);
}

void TMenuItem::SetBreak(TMenuBreak Value) {
    if (FBreak == Value) return;
    FBreak = Value;
    MenuChanged(true);
}

void TMenuItem::TurnSiblingsOff() {
    // While loading, the items of a group are not all read yet: the last
    // checked one would win by accident.
    if (!FParent || GetComponentState().Contains(csLoading)) return;
    for (TMenuItem* sibling : FParent->FItems)
        if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
            sibling->FChecked = false;
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck && !(FRadioItem && FChecked)) SetChecked(!FChecked);
    if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindCommand(UINT Command) {
    if (FCommand == Command) return this;
    for (TMenuItem* item : FItems)
        if (TMenuItem* found = item->FindCommand(Command)) return found;
    return nullptr;
}

UINT TMenuItem::MenuFlags() const {
    UINT flags = MF_STRING;
    if (IsLine()) return MF_SEPARATOR;
    if (FChecked) flags |= MF_CHECKED;
    if (!FEnabled) flags |= MF_GRAYED;
    if (FBreak == mbBreak) flags |= MF_MENUBREAK;
    if (FBreak == mbBarBreak) flags |= MF_MENUBARBREAK;
    return flags;
}

UnicodeString TMenuItem::MenuText() const {
    UnicodeString text = FCaption;
    // Short cuts show right-aligned in pop-ups; the bar has no room for them.
    if (FShortCut != scNone && FParent && FParent->FParent) {
        UnicodeString keys = ShortCutToText(FShortCut);
        if (!keys.empty()) text += u"\t" + keys;
    }
    return text;
}

void TMenuItem::MenuChanged(bool Rebuild) {
    TMenu* menu = GetParentMenu();
    if (menu) menu->MenuChanged(menu, this, Rebuild);
}

void TMenuItem::Loaded() {
    TComponent::Loaded();
    if (FChecked && FRadioItem) TurnSiblingsOff();
}

TComponent* TMenuItem::GetParentComponent() const {
    if (FParent && FParent->FMenu) return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
    if (FParent) FParent->Remove(this);
    if (!Value) return;
    if (auto* menu = dynamic_cast<TMenu*>(Value))
        menu->GetItems()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(Value))
        item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TMenuItem* item : std::vector<TMenuItem*>(FItems))
        if (item->GetOwner() == Root) Proc(item);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order) {
    if (auto* item = dynamic_cast<TMenuItem*>(Child))
        if (item->FParent == this) item->SetMenuIndex(Order);
}

// --- TMenu ------------------------------------------------------------------------------

// Builds the window-manager menus of an item tree and forgets them again.
struct TMenuBuilder {
    static void Build(HMENU Menu, TMenuItem* Parent) {
        for (int i = 0; i < Parent->GetCount(); ++i) {
            TMenuItem* item = Parent->GetItems(i);
            if (!item->GetVisible()) continue;
            UINT flags = item->MenuFlags();
            UnicodeString text = item->MenuText();
            if (item->GetCount() > 0 && !item->IsLine()) {
                HMENU sub = CreatePopupMenu();
                item->FHandle = sub;
                Build(sub, item);
                AppendMenuW(Menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
            } else {
                item->FHandle = nullptr;
                AppendMenuW(Menu, flags, item->FCommand,
                            flags & MF_SEPARATOR ? nullptr : text.c_str());
            }
            if (item->GetDefault()) SetMenuDefaultItem(Menu, item->FCommand, FALSE);
        }
    }
    static void Clear(TMenuItem* Item) {
        Item->FHandle = nullptr;
        for (TMenuItem* child : Item->FItems)
            Clear(child);
    }
};

TClass TMenu::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TMenu>(u"TMenu", TComponent::StaticClass()));
    return &meta;
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    // The items go with the menu (each leaves its owner as it goes).
    DestroyHandle();
    FItems->FMenu = nullptr;
    delete FItems;
}

HMENU TMenu::GetHandle() {
    if (!FHandle) {
        FHandle = CreateMenuHandle();
        TMenuBuilder::Build(FHandle, FItems);
    }
    return FHandle;
}

void TMenu::DestroyHandle() {
    if (!FHandle) return;
    HMENU old = FHandle;
    FHandle = nullptr;
    TMenuBuilder::Clear(FItems);
    if (IsMenu(old)) DestroyMenu(old);
}

void TMenu::RebuildHandle() {
    if (!FHandle) return;
    HMENU old = FHandle;
    FHandle = nullptr;
    TMenuBuilder::Clear(FItems);
    GetHandle();
    // The new menu goes in before the old one goes, so that a window never
    // holds a destroyed menu.
    MenuHandleChanged();
    if (IsMenu(old)) DestroyMenu(old);
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying))
        return;
    if (Source && FHandle) {
        // A command's check mark or state changes in place, so that a menu
        // open on the screen keeps its handle; anything else rebuilds (the
        // window-manager menu is small, and hidden items have no position).
        if (!Rebuild && Source->GetCount() == 0 && !Source->IsLine() && Source->GetVisible()) {
            const UINT command = Source->GetCommand();
            CheckMenuItem(FHandle, command,
                          MF_BYCOMMAND | (Source->GetChecked() ? MF_CHECKED : MF_UNCHECKED));
            EnableMenuItem(FHandle, command,
                           MF_BYCOMMAND | (Source->GetEnabled() ? MF_ENABLED : MF_GRAYED));
            MenuHandleChanged();
        } else {
            RebuildHandle();
        }
    }
    if (OnChange) OnChange(Sender, Source, Rebuild);
}

void TMenu::Loaded() {
    TComponent::Loaded();
    if (FHandle) RebuildHandle();
}

bool TMenu::DispatchCommand(UINT ACommand) {
    if (ACommand == 0) return false;
    TMenuItem* item = FItems->FindCommand(ACommand);
    if (!item || item == FItems) return false;
    item->Click();
    return true;
}

namespace {

TMenuItem* FindIn(TMenuItem* Parent, UINT Value, TFindItemKind Kind) {
    for (int i = 0; i < Parent->GetCount(); ++i) {
        TMenuItem* item = Parent->GetItems(i);
        switch (Kind) {
        case fkCommand:
            if (item->GetCommand() == Value) return item;
            break;
        case fkHandle:
            if (item->GetHandle() && reinterpret_cast<UINT_PTR>(item->GetHandle()) == Value)
                return item;
            break;
        case fkShortCut:
            if (item->GetShortCut() == Value && item->GetShortCut() != scNone) return item;
            break;
        }
        if (TMenuItem* found = FindIn(item, Value, Kind)) return found;
    }
    return nullptr;
}

} // namespace

TMenuItem* TMenu::FindItem(UINT Value, TFindItemKind Kind) {
    return FindIn(FItems, Value, Kind);
}

bool TMenu::IsShortCut(uint16_t Key, TShiftState Shift) {
    TShortCut shortCut = ShortCut(Key, Shift * TShiftState{ssShift, ssCtrl, ssAlt});
    if ((shortCut & 0xFF) == 0) return false;
    TMenuItem* item = FindItem(shortCut, fkShortCut);
    if (!item) return false;
    // A short cut works only where a user could reach the item.
    for (TMenuItem* p = item; p && p != FItems; p = p->GetParent())
        if (!p->GetEnabled() || !p->GetVisible()) return false;
    item->Click();
    return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    FItems->GetChildren(Proc, Root);
}

void TMenu::SetChildOrder(TComponent* Child, int Order) {
    FItems->SetChildOrder(Child, Order);
}

// --- TMainMenu ---------------------------------------------------------------------------

TClass TMainMenu::StaticClass() {
    using M = TMainMenu;
    static const TMetaClass meta(
        TClassBuilder<M>(u"TMainMenu", TMenu::StaticClass())
            .Property(u"AutoMerge", BooleanTypeInfo, &M::GetAutoMerge, &M::SetAutoMerge)
            .Default(0)
            .Event(u"OnChange", static_cast<TMenuChangeEvent M::*>(&TMenu::OnChange)));
    return &meta;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() {
    SetWindowHandle(nullptr);
}

HMENU TMainMenu::CreateMenuHandle() {
    return CreateMenu();
}

void TMainMenu::SetWindowHandle(HWND Value) {
    if (FWindowHandle && FWindowHandle != Value && IsWindow(FWindowHandle) && FHandle &&
        GetMenu(FWindowHandle) == FHandle)
        ::SetMenu(FWindowHandle, nullptr);
    FWindowHandle = Value;
    if (FWindowHandle) {
        ::SetMenu(FWindowHandle, GetHandle());
        DrawMenuBar(FWindowHandle);
    }
}

void TMainMenu::MenuHandleChanged() {
    if (FWindowHandle && FHandle && IsWindow(FWindowHandle)) {
        ::SetMenu(FWindowHandle, FHandle);
        DrawMenuBar(FWindowHandle);
    }
}

// --- TPopupMenu -------------------------------------------------------------------------

TClass TPopupMenu::StaticClass() {
    using M = TPopupMenu;
    static const TMetaClass meta(
        TClassBuilder<M>(u"TPopupMenu", TMenu::StaticClass())
            .Property(u"Alignment", TypeInfo_TPopupAlignment, &M::GetAlignment, &M::SetAlignment)
            .Default(paLeft)
            .Property(u"AutoPopup", BooleanTypeInfo, &M::GetAutoPopup, &M::SetAutoPopup)
            .Default(1)
            .Event(u"OnChange", static_cast<TMenuChangeEvent M::*>(&TMenu::OnChange))
            .Event(u"OnClose", &M::OnClose)
            .Event(u"OnPopup", &M::OnPopup));
    return &meta;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

namespace {

void ForgetPopupMenu(TControl* Control, TPopupMenu* Menu) {
    if (Control->GetPopupMenu() == Menu) Control->SetPopupMenu(nullptr);
    if (auto* parent = dynamic_cast<TWinControl*>(Control))
        for (int i = 0; i < parent->GetControlCount(); ++i)
            ForgetPopupMenu(parent->GetControls(i), Menu);
}

} // namespace

TPopupMenu::~TPopupMenu() {
    // Controls keep a plain pointer to their pop-up menu: none may keep this one.
    if (Screen)
        for (int i = 0; i < Screen->GetFormCount(); ++i)
            ForgetPopupMenu(Screen->GetForms(i), this);
    if (TComponent* owner = GetOwner())
        for (int i = 0; i < owner->GetComponentCount(); ++i)
            if (auto* control = dynamic_cast<TControl*>(owner->GetComponents(i)))
                if (control->GetPopupMenu() == this) control->SetPopupMenu(nullptr);
}

HMENU TPopupMenu::CreateMenuHandle() {
    return CreatePopupMenu();
}

void TPopupMenu::DoPopup(TObject* Sender) {
    if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::DoClose() {
    if (OnClose) OnClose(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
    FPopupPoint = {X, Y};
    DoPopup(this); // may change the items: the handle is taken afterwards
    HMENU menu = GetHandle();
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
    if (FAlignment == paRight) flags |= TPM_RIGHTALIGN;
    if (FAlignment == paCenter) flags |= TPM_CENTERALIGN;
    HWND owner = nullptr;
    if (Application) {
        owner = Application->GetActiveFormHandle();
        if (!owner) owner = Application->GetHandle();
    }
    UINT command = static_cast<UINT>(TrackPopupMenu(menu, flags, X, Y, 0, owner, nullptr));
    DoClose();
    if (command) DispatchCommand(command);
}

bool ShowControlPopupMenu(TControl* Control, TPoint ScreenPos) {
    if (!Control) return false;
    TPopupMenu* menu = Control->GetPopupMenu();
    if (!menu || !menu->GetAutoPopup()) return false;
    if (ScreenPos.x == -1 && ScreenPos.y == -1) ScreenPos = Control->ClientToScreen(TPoint(0, 0));
    menu->SetPopupComponent(Control);
    menu->Popup(ScreenPos.x, ScreenPos.y);
    return true;
}

bool IsMenuKey(TWinControl* Control, uint16_t Key, TShiftState Shift) {
    if (!Control || Control->GetComponentState().Contains(csDesigning)) return false;
    for (TControl* c = Control; c; c = c->GetParent())
        if (TPopupMenu* popup = c->GetPopupMenu())
            if (popup->IsShortCut(Key, Shift)) return true;
    TCustomForm* form = Control->GetParentForm();
    return form && form->GetMenu() && form->GetMenu()->IsShortCut(Key, Shift);
}

void RegisterMenuClasses() {
    RegisterClasses(
        {TMenuItem::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass()});
}
