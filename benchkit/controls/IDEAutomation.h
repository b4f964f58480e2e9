// Late-bound automation of the live user interface: a client reaches the
// application, its forms and their controls through IDispatch, reads and
// writes their state by name and clicks buttons and menu items.
//
// Every object handed to the client is presented through a wrapper chosen by
// the object's class from the class map (most derived mapped class wins);
// the wrapper's published members are the automation surface, with fall-backs
// to the wrapped object's published members and owned components.
//
//   InterfacePtr<IDispatch> app(TAutoObjectDispatch::Create(Application));
//   // app.MainForm.Button1.Click()  -- the click runs when the loop delivers it
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Bitmap.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Messages.h>
#include <quorlpak/Types.h>
#include <runpak/Lists.h>
#include <runpak/ObjectDispatch.h>

#include <map>
#include <memory>

class TCollectionItem;
class TComponent;
class TControl;
class TCustomForm;
class TGraphic;
class TIcon;
class TListItem;
class TListItems;
class TMenuItem;
class TPopupMenu;
class TScreen;
class TStrings;
class TTreeNode;
class TTreeNodes;
class TWinControl;

class TObjectWrapper;

// A wrapper class: its description and the constructor of its kind.
struct TObjectWrapperClassInfo {
    TClass Class;
    TObjectWrapper* (*Create)(TObject* AObject);
};
using TObjectWrapperClass = const TObjectWrapperClassInfo*;

template <class W> TObjectWrapperClass WrapperClassOf() {
    static const TObjectWrapperClassInfo info{W::StaticClass(),
                                              [](TObject* AObject) -> TObjectWrapper* {
                                                  return new W(AObject);
                                              }};
    return &info;
}

// --- Dispatch -------------------------------------------------------------------------------
class TAutoObjectDispatch : public TObjectDispatch {
public:
    // Owns the wrapper: frees it when the last reference goes.
    explicit TAutoObjectDispatch(TObjectWrapper* Wrapper);
    // A counted dispatch object over Obj's wrapper, or null when no wrapper
    // class fits (the map always has one for TObject).
    static IDispatch* Create(TObject* Obj);

    TObject* GetArgumentObject() const override;

protected:
    IDispatch* GetObjectDispatch(TObject* Obj) override;
    PMethodInfo GetMethodInfo(const UnicodeString& Name, TObject*& Instance) override;
    PPropInfo GetPropInfo(const UnicodeString& Name, TObject*& Instance, int& CompIndex) override;
};

// --- Class map ------------------------------------------------------------------------------
class TAutoRecord : public TObject {
public:
    TAutoRecord(TClass AClass, TObjectWrapperClass AObjWrapper)
        : FClass(AClass), FObjWrapper(AObjWrapper) {}
    TClass FClass;
    TObjectWrapperClass FObjWrapper;
};

// Ordered so that a class stands before every mapped ancestor of it.
class TClassMap : public TObjectList {
public:
    TClassMap() : TObjectList(true) {}
    // Raises "Class '%s', already in class map" for a class already mapped.
    void AddClass(TClass AClass, TObjectWrapperClass AObjWrapper);
    // The wrapper class of the most derived mapped class of AClass, or null.
    TObjectWrapperClass FindObjectWrapper(TClass AClass) const;
    void RemoveClass(TClass AClass, TObjectWrapperClass AObjWrapper);

    TAutoRecord* GetRecords(int Index) const { return static_cast<TAutoRecord*>(GetItems(Index)); }
};

// The process's class map, filled with the framework's classes on first use.
TClassMap* ClassMap();


// --- Wrappers -------------------------------------------------------------------------------
// Ids of the messages a wrapper posts to itself to run a click later.
constexpr UINT WM_AUTOMATION_CLICK = WM_USER + 1000;
constexpr UINT WM_AUTOMATION_CHECKMENUDROPDOWN = WM_USER + 1001;

class TObjectWrapper : public TObject {
public:
    explicit TObjectWrapper(TObject* AObject);
    ~TObjectWrapper() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TObject* GetObject() const { return FObject; }
    HWND GetWrapperHandle() const { return FWrapperHandle; }

    UnicodeString GetClassName() const;
    UnicodeString GetParentClass() const;
    bool InheritsFrom(const UnicodeString& ClassName) const;

protected:
    virtual void WndMethod(TMessage& Message);
    // Runs the wrapped object's action for a posted message id later.
    void PostAction(UINT Msg);
    // The wrapped object as the class the wrapper serves (EInvalidCast otherwise).
    template <class T> T* Wrapped() const { return runpak::InstanceOf<T>(FObject); }

    TObject* FObject;
    HWND FWrapperHandle;
};

class TComponentWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetName() const;
    void SetName(const UnicodeString& Value);
    int GetComponentCount() const;
    int GetComponentIndex() const;
    int GetDesignInfo() const;
    TComponent* GetOwner() const;
    TComponent* GetComponent(int Index) const;
    TComponent* FindComponent(const UnicodeString& Name) const;
};

class TControlWrapper : public TComponentWrapper {
public:
    using TComponentWrapper::TComponentWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetEnabled() const;
    void SetEnabled(bool Value);
    TWinControl* GetParent() const;
    UnicodeString GetText() const;
    void SetText(const UnicodeString& Value);
    bool GetVisible() const;
    void SetVisible(bool Value);
};

class TWinControlWrapper : public TControlWrapper {
public:
    using TControlWrapper::TControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int64_t GetHandle() const;
    int GetControlCount() const;
    TControl* ControlAtPos(int X, int Y) const;
    TControl* GetControls(int Index) const;
    bool HandleAllocated() const;
    void SetFocus();
};

// The named services a host registers for automation clients.
class TServiceObject : public TObject {
public:
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

class TApplicationWrapper : public TComponentWrapper {
public:
    // Raises unless AObject is the global Application.
    explicit TApplicationWrapper(TObject* AObject);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int64_t GetHandle() const;
    TCustomForm* GetMainForm() const;
    UnicodeString GetExeName() const;
    TScreen* GetScreen() const;
    TControl* GetObjFromHandle(int64_t Handle) const;
    TServiceObject* GetService(const UnicodeString& Name) const;
    // Takes ownership of the service; a name already registered raises.
    void AddService(const UnicodeString& Name, TServiceObject* Service);
    // Frees the service registered under the name (nothing when none is).
    void RemoveService(const UnicodeString& Name);

    // The service registry's life, run by the unit's start-up and shut-down.
    static void CreateServices();
    static void DestroyServices();

private:
    static std::map<UnicodeString, std::unique_ptr<TServiceObject>>* FServices;
};

class TScreenWrapper : public TComponentWrapper {
public:
    using TComponentWrapper::TComponentWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetFormCount() const;
    TCustomForm* GetForm(int Index) const;
};

class TCollectionItemWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetIndex() const;
    int GetID() const;
};

class THeaderSectionWrapper : public TCollectionItemWrapper {
public:
    using TCollectionItemWrapper::TCollectionItemWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetLeft() const;
    int GetRight() const;
};

// A status panel answers as any collection item, with its own published
// members behind it.
class TStatusPanelWrapper : public TCollectionItemWrapper {
public:
    using TCollectionItemWrapper::TCollectionItemWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

class TCollectionWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    TCollectionItem* GetItems(int Index) const;
};

class TCustomFormWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetCaption() const;
    void SetCaption(const UnicodeString& Value);
    bool WinStateNormal() const;
    bool WinStateMinimized() const;
    bool WinStateMaximized() const;
};

class TButtonWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetCaption() const;
    void SetCaption(const UnicodeString& Value);
    // Returns at once; the button's click runs when the loop delivers it.
    void Click();

protected:
    void WndMethod(TMessage& Message) override;
};

class TPopupMenuWrapper : public TComponentWrapper {
public:
    using TComponentWrapper::TComponentWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetAutoPopup() const;
    void SetAutoPopup(bool Value);
    TMenuItem* GetItems(int Index) const;
    void Popup(int X, int Y);
    void CloseMenu();
};

// A tool button is a graphic control: the windowed members of its base
// raise the framework's invalid-cast error for it.
class TToolButtonWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetShowHint() const;
    void SetShowHint(bool Value);
    UnicodeString GetHint() const;
    void SetHint(const UnicodeString& Value);
    UnicodeString GetCaption() const;
    void SetCaption(const UnicodeString& Value);
    TPopupMenu* GetPopupMenu() const;
    void SetPopupMenu(TPopupMenu* Value);
    TPopupMenu* GetDropdownMenu() const;
    void SetDropdownMenu(TPopupMenu* Value);
    // Both return at once; the action runs when the loop delivers it.
    void Click();
    void CheckMenuDropdown();
    void Hide();

protected:
    void WndMethod(TMessage& Message) override;
};

class TPanelWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetCaption() const;
    void SetCaption(const UnicodeString& Value);
};

class TComboBoxWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetText() const;
    // Changes the text only when it differs ignoring case, then tells the
    // combo box's change handler as a user's edit would.
    void SetText(const UnicodeString& Value);
    int GetItemIndex() const;
    void SetItemIndex(int Value);
    TStrings* GetItems() const;

private:
    void NotifyChange() const;
};

class TEditWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetText() const;
    void SetText(const UnicodeString& Value);
};

class TTabSheetWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetTabIndex() const;
};

class TRectClass;
class TPointClass;

class TCustomTabControlWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetTabs() const;
    TRectClass* GetTabRect(int Index) const;
};

class TCustomTreeViewWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TTreeNode* GetSelected() const;
};

class TTreeViewWrapper : public TCustomTreeViewWrapper {
public:
    using TCustomTreeViewWrapper::TCustomTreeViewWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The node at that position of the whole tree, depth first.
    TTreeNode* GetItem(int Index) const;
};

class TTreeNodesWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    TTreeNode* GetItem(int Index) const;
};

class TTreeNodeWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    UnicodeString GetText() const;
    void SetText(const UnicodeString& Value);
    int GetSelectedIndex() const;
    bool GetSelected() const;
    void SetSelected(bool Value);
    bool GetExpanded() const;
    void SetExpanded(bool Value);
    bool GetHasChildren() const;
    bool GetIsVisible() const;
    int GetIndex() const;
    bool GetFocused() const;
    // Focusing a node selects it and gives its tree the focus.
    void SetFocused(bool Value);
    int GetLevel() const;
    // The child at that position.
    TTreeNode* GetItem(int Index) const;
    void Expand(bool Recurse);
};

class TCustomListViewWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    TListItem* GetItem(int Index) const;
};

class TListItemsWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    TListItem* GetItem(int Index) const;
};

class TListItemWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetSubItems() const;
    UnicodeString GetCaption() const;
    void SetCaption(const UnicodeString& Value);
    bool GetFocused() const;
    void SetFocused(bool Value);
    int GetIndent() const;
    void SetIndent(int Value);
    int GetIndex() const;
    bool GetSelected() const;
    void SetSelected(bool Value);
    // The item's position in its list view.
    int GetLeft() const;
    int GetTop() const;
};

class TCustomGridWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TRectClass* GetCellRect(int ACol, int ARow) const;
};

class TStringGridWrapper : public TCustomGridWrapper {
public:
    using TCustomGridWrapper::TCustomGridWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetCells(int ACol, int ARow) const;
};

class TMenuWrapper : public TComponentWrapper {
public:
    using TComponentWrapper::TComponentWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TMenuItem* FindItem(int Command) const;
};

class TMenuItemWrapper : public TComponentWrapper {
public:
    using TComponentWrapper::TComponentWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int64_t GetHandle() const;
    int GetMenuItemIndex() const;
    int GetCount() const;
    int GetCommand() const;
    TMenuItem* GetParent() const;
    TMenuItem* GetItems(int Index) const;
    // Returns at once; the item's click runs when the loop delivers it.
    void Click();

protected:
    void WndMethod(TMessage& Message) override;
};

class TCustomListboxWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    TStrings* GetItems() const;
    void SetItems(TStrings* Value);
    void AddItem(const UnicodeString& Item, TObject* AObject);
    void SelectAll();
    void Clear();
    void ClearSelection();
    void SetSelected(int Index, bool Value);
    bool GetSelected(int Index) const;
    void SetItemIndex(int Value);
    int GetItemIndex() const;
};

class TCheckListBoxWrapper : public TCustomListboxWrapper {
public:
    using TCustomListboxWrapper::TCustomListboxWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetChecked(int Index) const;
    // The three-valued state: 0 unchecked, 1 checked, 2 grayed.
    int GetState(int Index) const;
    bool GetHeader(int Index) const;
    bool GetItemEnabled(int Index) const;
    void SetChecked(int Index, bool Value);
    // Raises for a number that is none of the three.
    void SetState(int Index, int Value);
    void SetHeader(int Index, bool Value);
    void SetItemEnabled(int Index, bool Value);
};

class TTabSetWrapper : public TWinControlWrapper {
public:
    using TWinControlWrapper::TWinControlWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TRectClass* GetItemRect(int Item) const;
};

class TStringsWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetCount() const;
    UnicodeString GetStrings(int Index) const;
    TObject* GetObjects(int Index) const;
};

class TPictureWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBitmap* GetBitmap() const;
    TGraphic* GetGraphic() const;
    int GetHeight() const;
    TIcon* GetIcon() const;
    int GetWidth() const;
};

class TGraphicWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetHeight() const;
    bool GetModified() const;
    bool GetTransparent() const;
    int GetWidth() const;
};

class TBitmapWrapper : public TGraphicWrapper {
public:
    using TGraphicWrapper::TGraphicWrapper;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBitmapHandleType GetHandleType() const;
    bool GetMonochrome() const;
    int GetTransparentColor() const;
};

// --- Boxed rectangles and points ------------------------------------------------------------
class TPointClass : public TObject {
public:
    explicit TPointClass(const TPoint& P) : X(P.x), Y(P.y) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int X;
    int Y;
};

class TRectClass : public TObject {
public:
    explicit TRectClass(const TRect& R) : Left(R.left), Top(R.top), Right(R.right), Bottom(R.bottom) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int Left;
    int Top;
    int Right;
    int Bottom;
    // A new point object on each read; the caller owns it.
    TPointClass* GetTopLeft() const;
    TPointClass* GetBottomRight() const;
};

// Owns the boxed rectangle or point it wraps.
class TRectPointWrapper : public TObjectWrapper {
public:
    using TObjectWrapper::TObjectWrapper;
    ~TRectPointWrapper() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// The unit's start-up and shut-down.
void InitializeIDEAutomation();
void FinalizeIDEAutomation();

#pragma GCC visibility pop
