// Menus: TMenuItem (a command or a sub-menu, with its child items), TMenu
// (a tree of items behind one window-manager menu), TMainMenu (a form's menu
// bar: the form's Menu) and TPopupMenu (shown at a point, or on a right click
// over a control whose PopupMenu it is).
//
// Every item has a command id of its own, unique in the process; WM_COMMAND
// with that id (the menu bar's, or a pop-up's) reaches the item's Click
// through the menu's DispatchCommand. The menu's window-manager handle is
// built on demand and rebuilt whenever an item changes, so items may be
// changed at any time, while the menu shows included.
//
// Streaming: a menu's items are child components of the menu (owned by the
// form), and an item's sub-items are children of the item:
//   TMainMenu MainMenu1 {
//       TMenuItem File1 { Caption = "&File"
//           TMenuItem Load1 { Caption = "&Load"  ShortCut = 16460  OnClick = Load1Click }
//           TMenuItem N1 { Caption = "-" }
//       }
//   }
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <quorlpak/Messages.h>
#include <quorlpak/Types.h>
#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>

#include <functional>
#include <vector>

class TMenu;
class TMenuItem;
class TControl;
class TWinControl;
// Builds the menu handles of the items, a friend of TMenuItem and not exported.
#pragma GCC visibility push(hidden)
struct TMenuBuilder;
#pragma GCC visibility pop

// --- Short cuts: a virtual key in the low byte, modifiers in the high bits ----------------
using TShortCut = uint16_t;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F5", "Alt+Del"; empty for scNone.
UnicodeString ShortCutToText(TShortCut ShortCut);
// The inverse of ShortCutToText; scNone for text it does not know.
TShortCut TextToShortCut(const UnicodeString& Text);

// A caption without its '&' marks ("&&" stays a literal '&').
UnicodeString StripHotkey(const UnicodeString& Text);
// The character after the single '&' of a caption (upper case), or 0.
char16_t GetHotkey(const UnicodeString& Text);
// The caption of a separator.
inline const char16_t* cLineCaption = u"-";

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };
enum TPopupAlignment { paLeft, paRight, paCenter };

using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Child items (the item owns none of them; their owner frees them) ---
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TMenuItem* GetItems(int Index) const;
    TMenuItem* operator[](int Index) const { return GetItems(Index); }
    void Add(TMenuItem* Item);
    void Add(const std::vector<TMenuItem*>& AItems);
    // EMenuError for an item that already has a parent, or an index out of range.
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out and frees it.
    void Delete(int Index);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* Item);
    // Frees every child item.
    void Clear();
    int IndexOf(TMenuItem* Item) const;
    // The child whose caption (without '&') is ACaption, or null.
    TMenuItem* Find(const UnicodeString& ACaption) const;
    TMenuItem* GetParent() const { return FParent; }
    // The menu the item's tree belongs to, or null.
    TMenu* GetParentMenu() const;
    int GetMenuIndex() const;
    void SetMenuIndex(int Value);

    // --- What the item is ---
    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value);
    bool IsLine() const { return FCaption == cLineCaption; }
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value);
    bool GetRadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    // Checking a radio item unchecks the others of its group in the same parent.
    uint8_t GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t Value);
    // A click toggles Checked first.
    bool GetAutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value) { FAutoCheck = Value; }
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    TMenuBreak GetBreak() const { return FBreak; }
    void SetBreak(TMenuBreak Value);
    const UnicodeString& GetHint() const { return FHint; }
    void SetHint(const UnicodeString& Value) { FHint = Value; }
    int GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    // --- Window-manager side ---
    // The item's command id (WM_COMMAND's low word of wParam).
    UINT GetCommand() const { return FCommand; }
    // The pop-up menu of the item's children (built with the menu's handle);
    // null for an item without children or whose menu has no handle yet.
    HMENU GetHandle() const { return FHandle; }

    // Fires OnClick (toggling Checked first for AutoCheck); nothing for a
    // disabled item.
    virtual void Click();
    // This item or the descendant with this command, or null.
    TMenuItem* FindCommand(UINT Command);

    // --- Streaming: children of the parent item, or of the menu for top items ---
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;

    TNotifyEvent OnClick;

protected:
    friend class TMenu;
    friend struct TMenuBuilder;
    // Tells the menu that the item changed (its handle is rebuilt).
    void MenuChanged(bool Rebuild);
    void Loaded() override;

private:
    void TurnSiblingsOff();
    UINT MenuFlags() const;
    UnicodeString MenuText() const;

    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the menu's root item only
    UnicodeString FCaption;
    UnicodeString FHint;
    UINT FCommand;
    HMENU FHandle = nullptr;
    TShortCut FShortCut = scNone;
    TMenuBreak FBreak = mbNone;
    uint8_t FGroupIndex = 0;
    int FHelpContext = 0;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    bool FRadioItem = false;
    bool FAutoCheck = false;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The root item: the menu's top items are its children.
    TMenuItem* GetItems() const { return FItems; }
    // The window-manager menu, built on first use.
    HMENU GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Runs the Click of the item with this command; false when none has it.
    bool DispatchCommand(UINT ACommand);
    // The item with this command, pop-up handle (of its children) or short cut.
    TMenuItem* FindItem(UINT Value, TFindItemKind Kind);
    // Runs the item whose short cut the key is (with the keyboard's shift state).
    bool IsShortCut(uint16_t Key, TShiftState Shift);
    // Rebuilds the window-manager menu now (the items changed).
    void RebuildHandle();

    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;

    TMenuChangeEvent OnChange;

protected:
    friend class TMenuItem;
    virtual HMENU CreateMenuHandle() = 0;
    // An item changed: updates the window-manager menu, then fires OnChange.
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
    // The window-manager menu was rebuilt or changed in place.
    virtual void MenuHandleChanged() {}
    void Loaded() override;
    void DestroyHandle();

    TMenuItem* FItems;
    HMENU FHandle = nullptr;
};

// A form's menu bar. The form whose Menu it is shows it in its window's frame.
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The window whose menu bar this is (set by the form).
    HWND GetWindowHandle() const { return FWindowHandle; }
    void SetWindowHandle(HWND Value);
    bool GetAutoMerge() const { return FAutoMerge; }
    void SetAutoMerge(bool Value) { FAutoMerge = Value; }

protected:
    HMENU CreateMenuHandle() override;
    // Shows the new or changed menu in the window's frame.
    void MenuHandleChanged() override;

private:
    HWND FWindowHandle = nullptr;
    bool FAutoMerge = false;
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Shows the menu at a screen point and runs the chosen item's Click
    // before returning (modal; in tests the pop-up menu script answers it).
    virtual void Popup(int X, int Y);
    // The control the menu was last shown for (right click), or null.
    TComponent* GetPopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
    TPoint GetPopupPoint() const { return FPopupPoint; }
    TPopupAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    // Shown on a right click over a control whose PopupMenu it is.
    bool GetAutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }

    TNotifyEvent OnPopup;
    TNotifyEvent OnClose;

protected:
    HMENU CreateMenuHandle() override;
    virtual void DoPopup(TObject* Sender);
    virtual void DoClose();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* FPopupComponent = nullptr;
    TPoint FPopupPoint{-1, -1};
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
};

class EMenuError : public Exception {
public:
    using Exception::Exception;
};

// What a control does with a WM_CONTEXTMENU it did not handle otherwise:
// shows its PopupMenu (with AutoPopup) at the point, or under the control
// for a keyboard request (-1, -1). True when a menu was shown.
bool ShowControlPopupMenu(TControl* Control, TPoint ScreenPos);

// Runs the menu item whose short cut a key is, for a key going to Control:
// the pop-up menus of the control and its parents first, then the menu bar
// of its form. True when an item took the key.
bool IsMenuKey(TWinControl* Control, uint16_t Key, TShiftState Shift);

// Makes the menu classes findable by name for streaming (start-up calls it).
void RegisterMenuClasses();

// Type records of the menus' enumerations.
PTypeInfo TypeInfo_TMenuBreak();
PTypeInfo TypeInfo_TPopupAlignment();
PTypeInfo TypeInfo_TShortCut();

#pragma GCC visibility pop
