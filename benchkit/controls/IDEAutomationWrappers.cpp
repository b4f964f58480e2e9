// The wrappers of the framework's classes: what each publishes for
// automation, forwarded to the wrapped object.
#include "benchkit/controls/IDEAutomation.h"

#include <quorlpak/CheckLst.h>
#include <quorlpak/Controls.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Grids.h>
#include <quorlpak/HeaderControl.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Picture.h>
#include <quorlpak/StatusBar.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Tabs.h>
#include <quorlpak/ToolWin.h>
#include <runpak/Collection.h>

#include <quorlpak/ComCtrls.h>
#include <quorlpak/TabControl.h>
#include <runpak/Strings.h>

namespace {

PTypeInfo TypeInfo_TBitmapHandleType() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TBitmapHandleType", {u"bmDIB", u"bmDDB"});
    return &info;
}

PTypeInfo Int64Info() {
    return Int64TypeInfo();
}

} // namespace

// --- TObjectWrapper, TComponentWrapper, TControlWrapper, TWinControlWrapper -----------------

TClass TObjectWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TObjectWrapper>(u"TObjectWrapper", TObject::StaticClass())
            .ReadOnlyProperty(u"ClassName", UnicodeStringTypeInfo, &TObjectWrapper::GetClassName)
            .ReadOnlyProperty(u"ParentClass", UnicodeStringTypeInfo, &TObjectWrapper::GetParentClass)
            .Callable(u"InheritsFrom", &TObjectWrapper::InheritsFrom));
    return &meta;
}

TClass TComponentWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TComponentWrapper>(u"TComponentWrapper", TObjectWrapper::StaticClass())
            .Property(u"Name", UnicodeStringTypeInfo, &TComponentWrapper::GetName,
                      &TComponentWrapper::SetName)
            .ReadOnlyProperty(u"ComponentCount", IntegerTypeInfo, &TComponentWrapper::GetComponentCount)
            .ReadOnlyProperty(u"ComponentIndex", IntegerTypeInfo, &TComponentWrapper::GetComponentIndex)
            .ReadOnlyProperty(u"DesignInfo", IntegerTypeInfo, &TComponentWrapper::GetDesignInfo)
            .ReadOnlyProperty(u"Owner", ClassTypeInfo<TComponent>, &TComponentWrapper::GetOwner)
            .Callable(u"GetComponent", &TComponentWrapper::GetComponent)
            .Callable(u"FindComponent", &TComponentWrapper::FindComponent));
    return &meta;
}

UnicodeString TComponentWrapper::GetName() const {
    return Wrapped<TComponent>()->GetName();
}
void TComponentWrapper::SetName(const UnicodeString& Value) {
    Wrapped<TComponent>()->SetName(Value);
}
int TComponentWrapper::GetComponentCount() const {
    return Wrapped<TComponent>()->GetComponentCount();
}
int TComponentWrapper::GetComponentIndex() const {
    return Wrapped<TComponent>()->GetComponentIndex();
}
int TComponentWrapper::GetDesignInfo() const {
    // The framework keeps no designer position for components in this host.
    return 0;
}
TComponent* TComponentWrapper::GetOwner() const {
    return Wrapped<TComponent>()->GetOwner();
}
TComponent* TComponentWrapper::GetComponent(int Index) const {
    return Wrapped<TComponent>()->GetComponents(Index);
}
TComponent* TComponentWrapper::FindComponent(const UnicodeString& Name) const {
    return Wrapped<TComponent>()->FindComponent(Name);
}

TClass TControlWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TControlWrapper>(u"TControlWrapper", TComponentWrapper::StaticClass())
            .Property(u"Enabled", BooleanTypeInfo, &TControlWrapper::GetEnabled, &TControlWrapper::SetEnabled)
            .ReadOnlyProperty(u"Parent", ClassTypeInfo<TWinControl>, &TControlWrapper::GetParent)
            .Property(u"Text", UnicodeStringTypeInfo, &TControlWrapper::GetText, &TControlWrapper::SetText)
            .Property(u"Visible", BooleanTypeInfo, &TControlWrapper::GetVisible, &TControlWrapper::SetVisible));
    return &meta;
}

bool TControlWrapper::GetEnabled() const {
    return Wrapped<TControl>()->GetEnabled();
}
void TControlWrapper::SetEnabled(bool Value) {
    Wrapped<TControl>()->SetEnabled(Value);
}
TWinControl* TControlWrapper::GetParent() const {
    return Wrapped<TControl>()->GetParent();
}
UnicodeString TControlWrapper::GetText() const {
    return Wrapped<TControl>()->GetText();
}
void TControlWrapper::SetText(const UnicodeString& Value) {
    Wrapped<TControl>()->SetText(Value);
}
bool TControlWrapper::GetVisible() const {
    return Wrapped<TControl>()->GetVisible();
}
void TControlWrapper::SetVisible(bool Value) {
    Wrapped<TControl>()->SetVisible(Value);
}

TClass TWinControlWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TWinControlWrapper>(u"TWinControlWrapper", TControlWrapper::StaticClass())
            .ReadOnlyProperty(u"Handle", Int64Info, &TWinControlWrapper::GetHandle)
            .ReadOnlyProperty(u"ControlCount", IntegerTypeInfo, &TWinControlWrapper::GetControlCount)
            .Callable(u"ControlAtPos", &TWinControlWrapper::ControlAtPos)
            .Callable(u"GetControls", &TWinControlWrapper::GetControls)
            .Callable(u"HandleAllocated", &TWinControlWrapper::HandleAllocated)
            .Callable(u"SetFocus", &TWinControlWrapper::SetFocus));
    return &meta;
}

int64_t TWinControlWrapper::GetHandle() const {
    return int64_t(reinterpret_cast<intptr_t>(Wrapped<TWinControl>()->GetHandle()));
}
int TWinControlWrapper::GetControlCount() const {
    return Wrapped<TWinControl>()->GetControlCount();
}
TControl* TWinControlWrapper::ControlAtPos(int X, int Y) const {
    return Wrapped<TWinControl>()->ControlAtPos(TPoint(X, Y), true, false);
}
TControl* TWinControlWrapper::GetControls(int Index) const {
    return Wrapped<TWinControl>()->GetControls(Index);
}
bool TWinControlWrapper::HandleAllocated() const {
    return Wrapped<TWinControl>()->HandleAllocated();
}
void TWinControlWrapper::SetFocus() {
    Wrapped<TWinControl>()->SetFocus();
}

// --- Application, screen, services, collections ---------------------------------------------

TClass TServiceObject::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TServiceObject>(u"TServiceObject", TObject::StaticClass()));
    return &meta;
}

TClass TApplicationWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TApplicationWrapper>(u"TApplicationWrapper", TComponentWrapper::StaticClass())
            .ReadOnlyProperty(u"Handle", Int64Info, &TApplicationWrapper::GetHandle)
            .ReadOnlyProperty(u"MainForm", ClassTypeInfo<TCustomForm>, &TApplicationWrapper::GetMainForm)
            .ReadOnlyProperty(u"ExeName", UnicodeStringTypeInfo, &TApplicationWrapper::GetExeName)
            .ReadOnlyProperty(u"Screen", ClassTypeInfo<TScreen>, &TApplicationWrapper::GetScreen)
            .Callable(u"GetObjFromHandle", &TApplicationWrapper::GetObjFromHandle)
            .Callable(u"GetService", &TApplicationWrapper::GetService)
            .Callable(u"AddService", &TApplicationWrapper::AddService)
            .Callable(u"RemoveService", &TApplicationWrapper::RemoveService));
    return &meta;
}

TClass TScreenWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TScreenWrapper>(u"TScreenWrapper", TComponentWrapper::StaticClass())
            .ReadOnlyProperty(u"FormCount", IntegerTypeInfo, &TScreenWrapper::GetFormCount)
            .Callable(u"GetForm", &TScreenWrapper::GetForm));
    return &meta;
}
int TScreenWrapper::GetFormCount() const {
    return Wrapped<TScreen>()->GetFormCount();
}
TCustomForm* TScreenWrapper::GetForm(int Index) const {
    return Wrapped<TScreen>()->GetForms(Index);
}

TClass TCollectionItemWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCollectionItemWrapper>(u"TCollectionItemWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Index", IntegerTypeInfo, &TCollectionItemWrapper::GetIndex)
            .ReadOnlyProperty(u"ID", IntegerTypeInfo, &TCollectionItemWrapper::GetID));
    return &meta;
}
int TCollectionItemWrapper::GetIndex() const {
    return Wrapped<TCollectionItem>()->GetIndex();
}
int TCollectionItemWrapper::GetID() const {
    return Wrapped<TCollectionItem>()->GetID();
}

TClass THeaderSectionWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<THeaderSectionWrapper>(u"THeaderSectionWrapper", TCollectionItemWrapper::StaticClass())
            .ReadOnlyProperty(u"Left", IntegerTypeInfo, &THeaderSectionWrapper::GetLeft)
            .ReadOnlyProperty(u"Right", IntegerTypeInfo, &THeaderSectionWrapper::GetRight));
    return &meta;
}
int THeaderSectionWrapper::GetLeft() const {
    return Wrapped<THeaderSection>()->GetLeft();
}
int THeaderSectionWrapper::GetRight() const {
    return Wrapped<THeaderSection>()->GetRight();
}

TClass TStatusPanelWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStatusPanelWrapper>(u"TStatusPanelWrapper", TCollectionItemWrapper::StaticClass()));
    return &meta;
}

TClass TCollectionWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCollectionWrapper>(u"TCollectionWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TCollectionWrapper::GetCount)
            .Callable(u"GetItems", &TCollectionWrapper::GetItems));
    return &meta;
}
int TCollectionWrapper::GetCount() const {
    return Wrapped<TCollection>()->GetCount();
}
TCollectionItem* TCollectionWrapper::GetItems(int Index) const {
    return Wrapped<TCollection>()->GetItems(Index);
}

// --- Forms, buttons, menus ------------------------------------------------------------------

TClass TCustomFormWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomFormWrapper>(u"TCustomFormWrapper", TWinControlWrapper::StaticClass())
            .Property(u"Caption", UnicodeStringTypeInfo, &TCustomFormWrapper::GetCaption,
                      &TCustomFormWrapper::SetCaption)
            .Callable(u"WinStateNormal", &TCustomFormWrapper::WinStateNormal)
            .Callable(u"WinStateMinimized", &TCustomFormWrapper::WinStateMinimized)
            .Callable(u"WinStateMaximized", &TCustomFormWrapper::WinStateMaximized));
    return &meta;
}
UnicodeString TCustomFormWrapper::GetCaption() const {
    return Wrapped<TCustomForm>()->GetCaption();
}
void TCustomFormWrapper::SetCaption(const UnicodeString& Value) {
    Wrapped<TCustomForm>()->SetCaption(Value);
}
bool TCustomFormWrapper::WinStateNormal() const {
    return Wrapped<TCustomForm>()->GetWindowState() == wsNormal;
}
bool TCustomFormWrapper::WinStateMinimized() const {
    return Wrapped<TCustomForm>()->GetWindowState() == wsMinimized;
}
bool TCustomFormWrapper::WinStateMaximized() const {
    return Wrapped<TCustomForm>()->GetWindowState() == wsMaximized;
}

TClass TButtonWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TButtonWrapper>(u"TButtonWrapper", TWinControlWrapper::StaticClass())
            .Property(u"Caption", UnicodeStringTypeInfo, &TButtonWrapper::GetCaption, &TButtonWrapper::SetCaption)
            .Callable(u"Click", &TButtonWrapper::Click));
    return &meta;
}
UnicodeString TButtonWrapper::GetCaption() const {
    return Wrapped<TButton>()->GetCaption();
}
void TButtonWrapper::SetCaption(const UnicodeString& Value) {
    Wrapped<TButton>()->SetCaption(Value);
}
void TButtonWrapper::Click() {
    PostAction(WM_AUTOMATION_CLICK);
}
void TButtonWrapper::WndMethod(TMessage& Message) {
    if (Message.Msg != WM_AUTOMATION_CLICK) return TWinControlWrapper::WndMethod(Message);
    Message.Result = 0;
    Wrapped<TButton>()->Click();
}

TClass TPopupMenuWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPopupMenuWrapper>(u"TPopupMenuWrapper", TComponentWrapper::StaticClass())
            .Property(u"AutoPopup", BooleanTypeInfo, &TPopupMenuWrapper::GetAutoPopup,
                      &TPopupMenuWrapper::SetAutoPopup)
            .Callable(u"GetItems", &TPopupMenuWrapper::GetItems)
            .Callable(u"Popup", &TPopupMenuWrapper::Popup)
            .Callable(u"CloseMenu", &TPopupMenuWrapper::CloseMenu));
    return &meta;
}
bool TPopupMenuWrapper::GetAutoPopup() const {
    return Wrapped<TPopupMenu>()->GetAutoPopup();
}
void TPopupMenuWrapper::SetAutoPopup(bool Value) {
    Wrapped<TPopupMenu>()->SetAutoPopup(Value);
}
TMenuItem* TPopupMenuWrapper::GetItems(int Index) const {
    return Wrapped<TPopupMenu>()->GetItems()->GetItems(Index);
}
void TPopupMenuWrapper::Popup(int X, int Y) {
    Wrapped<TPopupMenu>()->Popup(X, Y);
}
void TPopupMenuWrapper::CloseMenu() {
    Wrapped<TPopupMenu>();
    EndMenu();
}

TClass TMenuWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TMenuWrapper>(u"TMenuWrapper", TComponentWrapper::StaticClass())
            .Callable(u"FindItem", &TMenuWrapper::FindItem));
    return &meta;
}
TMenuItem* TMenuWrapper::FindItem(int Command) const {
    return Wrapped<TMenu>()->FindItem(UINT(Command), fkCommand);
}

TClass TMenuItemWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TMenuItemWrapper>(u"TMenuItemWrapper", TComponentWrapper::StaticClass())
            .ReadOnlyProperty(u"Handle", Int64Info, &TMenuItemWrapper::GetHandle)
            .ReadOnlyProperty(u"MenuItemIndex", IntegerTypeInfo, &TMenuItemWrapper::GetMenuItemIndex)
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TMenuItemWrapper::GetCount)
            .ReadOnlyProperty(u"Command", IntegerTypeInfo, &TMenuItemWrapper::GetCommand)
            .ReadOnlyProperty(u"Parent", ClassTypeInfo<TMenuItem>, &TMenuItemWrapper::GetParent)
            .Callable(u"GetItems", &TMenuItemWrapper::GetItems)
            .Callable(u"Click", &TMenuItemWrapper::Click));
    return &meta;
}
int64_t TMenuItemWrapper::GetHandle() const {
    return int64_t(reinterpret_cast<intptr_t>(Wrapped<TMenuItem>()->GetHandle()));
}
int TMenuItemWrapper::GetMenuItemIndex() const {
    return Wrapped<TMenuItem>()->GetMenuIndex();
}
int TMenuItemWrapper::GetCount() const {
    return Wrapped<TMenuItem>()->GetCount();
}
int TMenuItemWrapper::GetCommand() const {
    return int(Wrapped<TMenuItem>()->GetCommand());
}
TMenuItem* TMenuItemWrapper::GetParent() const {
    return Wrapped<TMenuItem>()->GetParent();
}
TMenuItem* TMenuItemWrapper::GetItems(int Index) const {
    return Wrapped<TMenuItem>()->GetItems(Index);
}
void TMenuItemWrapper::Click() {
    PostAction(WM_AUTOMATION_CLICK);
}
void TMenuItemWrapper::WndMethod(TMessage& Message) {
    if (Message.Msg != WM_AUTOMATION_CLICK) return TComponentWrapper::WndMethod(Message);
    Message.Result = 0;
    Wrapped<TMenuItem>()->Click();
}

// --- Panels, edits, combo and list boxes ----------------------------------------------------

TClass TPanelWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPanelWrapper>(u"TPanelWrapper", TWinControlWrapper::StaticClass())
            .Property(u"Caption", UnicodeStringTypeInfo, &TPanelWrapper::GetCaption, &TPanelWrapper::SetCaption));
    return &meta;
}
UnicodeString TPanelWrapper::GetCaption() const {
    return Wrapped<TPanel>()->GetCaption();
}
void TPanelWrapper::SetCaption(const UnicodeString& Value) {
    Wrapped<TPanel>()->SetCaption(Value);
}

TClass TEditWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TEditWrapper>(u"TEditWrapper", TWinControlWrapper::StaticClass())
            .Property(u"Text", UnicodeStringTypeInfo, &TEditWrapper::GetText, &TEditWrapper::SetText));
    return &meta;
}
UnicodeString TEditWrapper::GetText() const {
    return Wrapped<TEdit>()->GetText();
}
void TEditWrapper::SetText(const UnicodeString& Value) {
    Wrapped<TEdit>()->SetText(Value);
}

TClass TComboBoxWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TComboBoxWrapper>(u"TComboBoxWrapper", TWinControlWrapper::StaticClass())
            .Property(u"Text", UnicodeStringTypeInfo, &TComboBoxWrapper::GetText, &TComboBoxWrapper::SetText)
            .Property(u"ItemIndex", IntegerTypeInfo, &TComboBoxWrapper::GetItemIndex,
                      &TComboBoxWrapper::SetItemIndex)
            .ReadOnlyProperty(u"Items", ClassTypeInfo<TStrings>, &TComboBoxWrapper::GetItems));
    return &meta;
}
UnicodeString TComboBoxWrapper::GetText() const {
    return Wrapped<TComboBox>()->GetText();
}
void TComboBoxWrapper::SetText(const UnicodeString& Value) {
    TComboBox* combo = Wrapped<TComboBox>();
    if (SameText(combo->GetText(), Value)) return;
    combo->SetText(Value);
    NotifyChange();
}
int TComboBoxWrapper::GetItemIndex() const {
    return Wrapped<TComboBox>()->GetItemIndex();
}
void TComboBoxWrapper::SetItemIndex(int Value) {
    TComboBox* combo = Wrapped<TComboBox>();
    if (combo->GetItemIndex() == Value) return;
    combo->SetItemIndex(Value);
    NotifyChange();
}
TStrings* TComboBoxWrapper::GetItems() const {
    return Wrapped<TComboBox>()->GetItems();
}
void TComboBoxWrapper::NotifyChange() const {
    TComboBox* combo = Wrapped<TComboBox>();
    if (combo->OnChange) combo->OnChange(combo);
}

TClass TCustomListboxWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomListboxWrapper>(u"TCustomListboxWrapper", TWinControlWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TCustomListboxWrapper::GetCount)
            .Property(u"Items", ClassTypeInfo<TStrings>, &TCustomListboxWrapper::GetItems,
                      &TCustomListboxWrapper::SetItems)
            .Callable(u"AddItem", &TCustomListboxWrapper::AddItem)
            .Callable(u"SelectAll", &TCustomListboxWrapper::SelectAll)
            .Callable(u"Clear", &TCustomListboxWrapper::Clear)
            .Callable(u"ClearSelection", &TCustomListboxWrapper::ClearSelection)
            .Callable(u"SetSelected", &TCustomListboxWrapper::SetSelected)
            .Callable(u"GetSelected", &TCustomListboxWrapper::GetSelected)
            .Callable(u"SetItemIndex", &TCustomListboxWrapper::SetItemIndex)
            .Callable(u"GetItemIndex", &TCustomListboxWrapper::GetItemIndex));
    return &meta;
}
int TCustomListboxWrapper::GetCount() const {
    return Wrapped<TCustomListBox>()->GetItems()->GetCount();
}
TStrings* TCustomListboxWrapper::GetItems() const {
    return Wrapped<TCustomListBox>()->GetItems();
}
void TCustomListboxWrapper::SetItems(TStrings* Value) {
    Wrapped<TCustomListBox>()->SetItems(Value);
}
void TCustomListboxWrapper::AddItem(const UnicodeString& Item, TObject* AObject) {
    Wrapped<TCustomListBox>()->GetItems()->AddObject(Item, AObject);
}
void TCustomListboxWrapper::SelectAll() {
    Wrapped<TCustomListBox>()->SelectAll();
}
void TCustomListboxWrapper::Clear() {
    Wrapped<TCustomListBox>()->Clear();
}
void TCustomListboxWrapper::ClearSelection() {
    Wrapped<TCustomListBox>()->ClearSelection();
}
void TCustomListboxWrapper::SetSelected(int Index, bool Value) {
    Wrapped<TCustomListBox>()->SetSelected(Index, Value);
}
bool TCustomListboxWrapper::GetSelected(int Index) const {
    return Wrapped<TCustomListBox>()->GetSelected(Index);
}
void TCustomListboxWrapper::SetItemIndex(int Value) {
    Wrapped<TCustomListBox>()->SetItemIndex(Value);
}
int TCustomListboxWrapper::GetItemIndex() const {
    return Wrapped<TCustomListBox>()->GetItemIndex();
}

TClass TCheckListBoxWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCheckListBoxWrapper>(u"TCheckListBoxWrapper", TCustomListboxWrapper::StaticClass())
            .Callable(u"GetChecked", &TCheckListBoxWrapper::GetChecked)
            .Callable(u"GetState", &TCheckListBoxWrapper::GetState)
            .Callable(u"GetHeader", &TCheckListBoxWrapper::GetHeader)
            .Callable(u"GetItemEnabled", &TCheckListBoxWrapper::GetItemEnabled)
            .Callable(u"SetChecked", &TCheckListBoxWrapper::SetChecked)
            .Callable(u"SetState", &TCheckListBoxWrapper::SetState)
            .Callable(u"SetHeader", &TCheckListBoxWrapper::SetHeader)
            .Callable(u"SetItemEnabled", &TCheckListBoxWrapper::SetItemEnabled));
    return &meta;
}
bool TCheckListBoxWrapper::GetChecked(int Index) const {
    return Wrapped<TCheckListBox>()->GetChecked(Index);
}
int TCheckListBoxWrapper::GetState(int Index) const {
    return int(Wrapped<TCheckListBox>()->GetState(Index));
}
bool TCheckListBoxWrapper::GetHeader(int Index) const {
    return Wrapped<TCheckListBox>()->GetHeader(Index);
}
bool TCheckListBoxWrapper::GetItemEnabled(int Index) const {
    return Wrapped<TCheckListBox>()->GetItemEnabled(Index);
}
void TCheckListBoxWrapper::SetChecked(int Index, bool Value) {
    Wrapped<TCheckListBox>()->SetChecked(Index, Value);
}
void TCheckListBoxWrapper::SetState(int Index, int Value) {
    if (Value < cbUnchecked || Value > cbGrayed)
        throw EConvertError(u"Invalid check box state: " + IntToStr(Value));
    Wrapped<TCheckListBox>()->SetState(Index, TCheckBoxState(Value));
}
void TCheckListBoxWrapper::SetHeader(int Index, bool Value) {
    Wrapped<TCheckListBox>()->SetHeader(Index, Value);
}
void TCheckListBoxWrapper::SetItemEnabled(int Index, bool Value) {
    Wrapped<TCheckListBox>()->SetItemEnabled(Index, Value);
}

TClass TStringsWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStringsWrapper>(u"TStringsWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TStringsWrapper::GetCount)
            .Callable(u"GetStrings", &TStringsWrapper::GetStrings)
            .Callable(u"GetObjects", &TStringsWrapper::GetObjects));
    return &meta;
}
int TStringsWrapper::GetCount() const {
    return Wrapped<TStrings>()->GetCount();
}
UnicodeString TStringsWrapper::GetStrings(int Index) const {
    return Wrapped<TStrings>()->GetStrings(Index);
}
TObject* TStringsWrapper::GetObjects(int Index) const {
    return Wrapped<TStrings>()->GetObjects(Index);
}

// --- Tool buttons ----------------------------------------------------------------------------

TClass TToolButtonWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TToolButtonWrapper>(u"TToolButtonWrapper", TWinControlWrapper::StaticClass())
            .Property(u"ShowHint", BooleanTypeInfo, &TToolButtonWrapper::GetShowHint,
                      &TToolButtonWrapper::SetShowHint)
            .Property(u"Hint", UnicodeStringTypeInfo, &TToolButtonWrapper::GetHint, &TToolButtonWrapper::SetHint)
            .Property(u"Caption", UnicodeStringTypeInfo, &TToolButtonWrapper::GetCaption,
                      &TToolButtonWrapper::SetCaption)
            .Property(u"PopupMenu", ClassTypeInfo<TPopupMenu>, &TToolButtonWrapper::GetPopupMenu,
                      &TToolButtonWrapper::SetPopupMenu)
            .Property(u"DropdownMenu", ClassTypeInfo<TPopupMenu>, &TToolButtonWrapper::GetDropdownMenu,
                      &TToolButtonWrapper::SetDropdownMenu)
            .Callable(u"Click", &TToolButtonWrapper::Click)
            .Callable(u"CheckMenuDropdown", &TToolButtonWrapper::CheckMenuDropdown)
            .Callable(u"Hide", &TToolButtonWrapper::Hide));
    return &meta;
}
bool TToolButtonWrapper::GetShowHint() const {
    return Wrapped<TToolButton>()->GetShowHint();
}
void TToolButtonWrapper::SetShowHint(bool Value) {
    Wrapped<TToolButton>()->SetShowHint(Value);
}
UnicodeString TToolButtonWrapper::GetHint() const {
    return Wrapped<TToolButton>()->GetHint();
}
void TToolButtonWrapper::SetHint(const UnicodeString& Value) {
    // The framework's hint setter only stores the text.
    Wrapped<TToolButton>()->SetHint(Value);
}
UnicodeString TToolButtonWrapper::GetCaption() const {
    return Wrapped<TToolButton>()->GetCaption();
}
void TToolButtonWrapper::SetCaption(const UnicodeString& Value) {
    Wrapped<TToolButton>()->SetCaption(Value);
}
TPopupMenu* TToolButtonWrapper::GetPopupMenu() const {
    return Wrapped<TToolButton>()->GetPopupMenu();
}
void TToolButtonWrapper::SetPopupMenu(TPopupMenu* Value) {
    Wrapped<TToolButton>()->SetPopupMenu(Value);
}
TPopupMenu* TToolButtonWrapper::GetDropdownMenu() const {
    return Wrapped<TToolButton>()->GetDropdownMenu();
}
void TToolButtonWrapper::SetDropdownMenu(TPopupMenu* Value) {
    Wrapped<TToolButton>()->SetDropdownMenu(Value);
}
void TToolButtonWrapper::Click() {
    PostAction(WM_AUTOMATION_CLICK);
}
void TToolButtonWrapper::CheckMenuDropdown() {
    PostAction(WM_AUTOMATION_CHECKMENUDROPDOWN);
}
void TToolButtonWrapper::Hide() {
    Wrapped<TToolButton>()->Hide();
}
void TToolButtonWrapper::WndMethod(TMessage& Message) {
    if (Message.Msg != WM_AUTOMATION_CLICK && Message.Msg != WM_AUTOMATION_CHECKMENUDROPDOWN)
        return TWinControlWrapper::WndMethod(Message);
    Message.Result = 0;
    TToolButton* button = Wrapped<TToolButton>();
    if (Message.Msg == WM_AUTOMATION_CLICK)
        button->Click();
    else
        button->CheckMenuDropdown();
}

// --- Tree views -------------------------------------------------------------------------------

namespace {
PTypeInfo TreeNodeTypeInfo() {
    return TTreeNode::StaticClass()->ClassInfo();
}
} // namespace

TClass TCustomTreeViewWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomTreeViewWrapper>(u"TCustomTreeViewWrapper", TWinControlWrapper::StaticClass())
            .ReadOnlyProperty(u"Selected", TreeNodeTypeInfo, &TCustomTreeViewWrapper::GetSelected));
    return &meta;
}
TTreeNode* TCustomTreeViewWrapper::GetSelected() const {
    return Wrapped<TCustomTreeView>()->GetSelected();
}

TClass TTreeViewWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTreeViewWrapper>(u"TTreeViewWrapper", TCustomTreeViewWrapper::StaticClass())
            .Callable(u"GetItem", &TTreeViewWrapper::GetItem));
    return &meta;
}
TTreeNode* TTreeViewWrapper::GetItem(int Index) const {
    return Wrapped<TTreeView>()->GetItems()->GetItem(Index);
}

TClass TTreeNodesWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTreeNodesWrapper>(u"TTreeNodesWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TTreeNodesWrapper::GetCount)
            .Callable(u"GetItem", &TTreeNodesWrapper::GetItem));
    return &meta;
}
int TTreeNodesWrapper::GetCount() const {
    return Wrapped<TTreeNodes>()->GetCount();
}
TTreeNode* TTreeNodesWrapper::GetItem(int Index) const {
    return Wrapped<TTreeNodes>()->GetItem(Index);
}

TClass TTreeNodeWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTreeNodeWrapper>(u"TTreeNodeWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TTreeNodeWrapper::GetCount)
            .Property(u"Text", UnicodeStringTypeInfo, &TTreeNodeWrapper::GetText, &TTreeNodeWrapper::SetText)
            .ReadOnlyProperty(u"SelectedIndex", IntegerTypeInfo, &TTreeNodeWrapper::GetSelectedIndex)
            .Property(u"Selected", BooleanTypeInfo, &TTreeNodeWrapper::GetSelected,
                      &TTreeNodeWrapper::SetSelected)
            .Property(u"Expanded", BooleanTypeInfo, &TTreeNodeWrapper::GetExpanded,
                      &TTreeNodeWrapper::SetExpanded)
            .ReadOnlyProperty(u"HasChildren", BooleanTypeInfo, &TTreeNodeWrapper::GetHasChildren)
            .ReadOnlyProperty(u"IsVisible", BooleanTypeInfo, &TTreeNodeWrapper::GetIsVisible)
            .ReadOnlyProperty(u"Index", IntegerTypeInfo, &TTreeNodeWrapper::GetIndex)
            .Property(u"Focused", BooleanTypeInfo, &TTreeNodeWrapper::GetFocused, &TTreeNodeWrapper::SetFocused)
            .ReadOnlyProperty(u"Level", IntegerTypeInfo, &TTreeNodeWrapper::GetLevel)
            .Callable(u"GetItem", &TTreeNodeWrapper::GetItem)
            .Callable(u"Expand", &TTreeNodeWrapper::Expand));
    return &meta;
}
int TTreeNodeWrapper::GetCount() const {
    return Wrapped<TTreeNode>()->GetCount();
}
UnicodeString TTreeNodeWrapper::GetText() const {
    return Wrapped<TTreeNode>()->GetText();
}
void TTreeNodeWrapper::SetText(const UnicodeString& Value) {
    Wrapped<TTreeNode>()->SetText(Value);
}
int TTreeNodeWrapper::GetSelectedIndex() const {
    return Wrapped<TTreeNode>()->GetSelectedIndex();
}
bool TTreeNodeWrapper::GetSelected() const {
    return Wrapped<TTreeNode>()->GetSelected();
}
void TTreeNodeWrapper::SetSelected(bool Value) {
    Wrapped<TTreeNode>()->SetSelected(Value);
}
bool TTreeNodeWrapper::GetExpanded() const {
    return Wrapped<TTreeNode>()->GetExpanded();
}
void TTreeNodeWrapper::SetExpanded(bool Value) {
    Wrapped<TTreeNode>()->SetExpanded(Value);
}
bool TTreeNodeWrapper::GetHasChildren() const {
    return Wrapped<TTreeNode>()->GetHasChildren();
}
bool TTreeNodeWrapper::GetIsVisible() const {
    return Wrapped<TTreeNode>()->IsVisible();
}
int TTreeNodeWrapper::GetIndex() const {
    return Wrapped<TTreeNode>()->GetIndex();
}
bool TTreeNodeWrapper::GetFocused() const {
    return Wrapped<TTreeNode>()->GetFocused();
}
void TTreeNodeWrapper::SetFocused(bool Value) {
    TTreeNode* node = Wrapped<TTreeNode>();
    if (!Value) return; // the focus belongs to the tree, not to a node
    node->SetSelected(true);
    if (TCustomTreeView* tree = node->GetTreeView(); tree && tree->CanFocus()) tree->SetFocus();
}
int TTreeNodeWrapper::GetLevel() const {
    return Wrapped<TTreeNode>()->GetLevel();
}
TTreeNode* TTreeNodeWrapper::GetItem(int Index) const {
    return Wrapped<TTreeNode>()->GetItem(Index);
}
void TTreeNodeWrapper::Expand(bool Recurse) {
    Wrapped<TTreeNode>()->Expand(Recurse);
}

// --- List views -------------------------------------------------------------------------------

TClass TCustomListViewWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomListViewWrapper>(u"TCustomListViewWrapper", TWinControlWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TCustomListViewWrapper::GetCount)
            .Callable(u"GetItem", &TCustomListViewWrapper::GetItem));
    return &meta;
}
int TCustomListViewWrapper::GetCount() const {
    return Wrapped<TCustomListView>()->GetItems()->GetCount();
}
TListItem* TCustomListViewWrapper::GetItem(int Index) const {
    return Wrapped<TCustomListView>()->GetItems()->GetItem(Index);
}

TClass TListItemsWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListItemsWrapper>(u"TListItemsWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &TListItemsWrapper::GetCount)
            .Callable(u"GetItem", &TListItemsWrapper::GetItem));
    return &meta;
}
int TListItemsWrapper::GetCount() const {
    return Wrapped<TListItems>()->GetCount();
}
TListItem* TListItemsWrapper::GetItem(int Index) const {
    return Wrapped<TListItems>()->GetItem(Index);
}

TClass TListItemWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListItemWrapper>(u"TListItemWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"SubItems", ClassTypeInfo<TStrings>, &TListItemWrapper::GetSubItems)
            .Property(u"Caption", UnicodeStringTypeInfo, &TListItemWrapper::GetCaption,
                      &TListItemWrapper::SetCaption)
            .Property(u"Focused", BooleanTypeInfo, &TListItemWrapper::GetFocused, &TListItemWrapper::SetFocused)
            .Property(u"Indent", IntegerTypeInfo, &TListItemWrapper::GetIndent, &TListItemWrapper::SetIndent)
            .ReadOnlyProperty(u"Index", IntegerTypeInfo, &TListItemWrapper::GetIndex)
            .Property(u"Selected", BooleanTypeInfo, &TListItemWrapper::GetSelected,
                      &TListItemWrapper::SetSelected)
            .ReadOnlyProperty(u"Left", IntegerTypeInfo, &TListItemWrapper::GetLeft)
            .ReadOnlyProperty(u"Top", IntegerTypeInfo, &TListItemWrapper::GetTop));
    return &meta;
}
TStrings* TListItemWrapper::GetSubItems() const {
    return Wrapped<TListItem>()->GetSubItems();
}
UnicodeString TListItemWrapper::GetCaption() const {
    return Wrapped<TListItem>()->GetCaption();
}
void TListItemWrapper::SetCaption(const UnicodeString& Value) {
    Wrapped<TListItem>()->SetCaption(Value);
}
bool TListItemWrapper::GetFocused() const {
    return Wrapped<TListItem>()->GetFocused();
}
void TListItemWrapper::SetFocused(bool Value) {
    Wrapped<TListItem>()->SetFocused(Value);
}
int TListItemWrapper::GetIndent() const {
    return Wrapped<TListItem>()->GetIndent();
}
void TListItemWrapper::SetIndent(int Value) {
    Wrapped<TListItem>()->SetIndent(Value);
}
int TListItemWrapper::GetIndex() const {
    return Wrapped<TListItem>()->GetIndex();
}
bool TListItemWrapper::GetSelected() const {
    return Wrapped<TListItem>()->GetSelected();
}
void TListItemWrapper::SetSelected(bool Value) {
    Wrapped<TListItem>()->SetSelected(Value);
}
int TListItemWrapper::GetLeft() const {
    return Wrapped<TListItem>()->GetPosition().x;
}
int TListItemWrapper::GetTop() const {
    return Wrapped<TListItem>()->GetPosition().y;
}

// --- Tabs and grids -------------------------------------------------------------------------

TClass TTabSheetWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTabSheetWrapper>(u"TTabSheetWrapper", TWinControlWrapper::StaticClass())
            .ReadOnlyProperty(u"TabIndex", IntegerTypeInfo, &TTabSheetWrapper::GetTabIndex));
    return &meta;
}
int TTabSheetWrapper::GetTabIndex() const {
    return Wrapped<TTabSheet>()->GetTabIndex();
}

TClass TCustomTabControlWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomTabControlWrapper>(u"TCustomTabControlWrapper",
                                                TWinControlWrapper::StaticClass())
            .ReadOnlyProperty(u"Tabs", ClassTypeInfo<TStrings>, &TCustomTabControlWrapper::GetTabs)
            .Callable(u"GetTabRect", &TCustomTabControlWrapper::GetTabRect));
    return &meta;
}
TStrings* TCustomTabControlWrapper::GetTabs() const {
    return Wrapped<TCustomTabControl>()->GetTabs();
}
TRectClass* TCustomTabControlWrapper::GetTabRect(int Index) const {
    return new TRectClass(Wrapped<TCustomTabControl>()->TabRect(Index));
}

TClass TCustomGridWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomGridWrapper>(u"TCustomGridWrapper", TWinControlWrapper::StaticClass())
            .Callable(u"GetCellRect", &TCustomGridWrapper::GetCellRect));
    return &meta;
}
TRectClass* TCustomGridWrapper::GetCellRect(int ACol, int ARow) const {
    return new TRectClass(Wrapped<TCustomGrid>()->CellRect(ACol, ARow));
}

TClass TStringGridWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStringGridWrapper>(u"TStringGridWrapper", TCustomGridWrapper::StaticClass())
            .Callable(u"GetCells", &TStringGridWrapper::GetCells));
    return &meta;
}
UnicodeString TStringGridWrapper::GetCells(int ACol, int ARow) const {
    return Wrapped<TStringGrid>()->GetCells(ACol, ARow);
}

TClass TTabSetWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTabSetWrapper>(u"TTabSetWrapper", TWinControlWrapper::StaticClass())
            .Callable(u"GetItemRect", &TTabSetWrapper::GetItemRect));
    return &meta;
}
TRectClass* TTabSetWrapper::GetItemRect(int Item) const {
    return new TRectClass(Wrapped<TTabSet>()->ItemRect(Item));
}

// --- Pictures and graphics ------------------------------------------------------------------

TClass TPictureWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPictureWrapper>(u"TPictureWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Bitmap", ClassTypeInfo<TBitmap>, &TPictureWrapper::GetBitmap)
            .ReadOnlyProperty(u"Graphic", ClassTypeInfo<TGraphic>, &TPictureWrapper::GetGraphic)
            .ReadOnlyProperty(u"Height", IntegerTypeInfo, &TPictureWrapper::GetHeight)
            .ReadOnlyProperty(u"Icon", ClassTypeInfo<TIcon>, &TPictureWrapper::GetIcon)
            .ReadOnlyProperty(u"Width", IntegerTypeInfo, &TPictureWrapper::GetWidth));
    return &meta;
}
TBitmap* TPictureWrapper::GetBitmap() const {
    return Wrapped<TPicture>()->GetBitmap();
}
TGraphic* TPictureWrapper::GetGraphic() const {
    return Wrapped<TPicture>()->GetGraphic();
}
int TPictureWrapper::GetHeight() const {
    return Wrapped<TPicture>()->GetHeight();
}
TIcon* TPictureWrapper::GetIcon() const {
    return Wrapped<TPicture>()->GetIcon();
}
int TPictureWrapper::GetWidth() const {
    return Wrapped<TPicture>()->GetWidth();
}

TClass TGraphicWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TGraphicWrapper>(u"TGraphicWrapper", TObjectWrapper::StaticClass())
            .ReadOnlyProperty(u"Height", IntegerTypeInfo, &TGraphicWrapper::GetHeight)
            .ReadOnlyProperty(u"Modified", BooleanTypeInfo, &TGraphicWrapper::GetModified)
            .ReadOnlyProperty(u"Transparent", BooleanTypeInfo, &TGraphicWrapper::GetTransparent)
            .ReadOnlyProperty(u"Width", IntegerTypeInfo, &TGraphicWrapper::GetWidth));
    return &meta;
}
int TGraphicWrapper::GetHeight() const {
    return Wrapped<TGraphic>()->GetHeight();
}
bool TGraphicWrapper::GetModified() const {
    return Wrapped<TGraphic>()->GetModified();
}
bool TGraphicWrapper::GetTransparent() const {
    return Wrapped<TGraphic>()->GetTransparent();
}
int TGraphicWrapper::GetWidth() const {
    return Wrapped<TGraphic>()->GetWidth();
}

TClass TBitmapWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TBitmapWrapper>(u"TBitmapWrapper", TGraphicWrapper::StaticClass())
            .ReadOnlyProperty(u"HandleType", TypeInfo_TBitmapHandleType, &TBitmapWrapper::GetHandleType)
            .ReadOnlyProperty(u"Height", IntegerTypeInfo, &TBitmapWrapper::GetHeight)
            .ReadOnlyProperty(u"Monochrome", BooleanTypeInfo, &TBitmapWrapper::GetMonochrome)
            .ReadOnlyProperty(u"TransparentColor", IntegerTypeInfo, &TBitmapWrapper::GetTransparentColor)
            .ReadOnlyProperty(u"Width", IntegerTypeInfo, &TBitmapWrapper::GetWidth));
    return &meta;
}
TBitmapHandleType TBitmapWrapper::GetHandleType() const {
    return Wrapped<TBitmap>()->GetHandleType();
}
bool TBitmapWrapper::GetMonochrome() const {
    return Wrapped<TBitmap>()->GetMonochrome();
}
int TBitmapWrapper::GetTransparentColor() const {
    return int(Wrapped<TBitmap>()->GetTransparentColor());
}

// --- Boxed rectangles and points ------------------------------------------------------------

TClass TPointClass::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TPointClass>(u"TPointClass", TObject::StaticClass())
                                     .Property(u"X", IntegerTypeInfo, &TPointClass::X, &TPointClass::X)
                                     .Property(u"Y", IntegerTypeInfo, &TPointClass::Y, &TPointClass::Y));
    return &meta;
}

TClass TRectClass::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TRectClass>(u"TRectClass", TObject::StaticClass())
            .Property(u"Left", IntegerTypeInfo, &TRectClass::Left, &TRectClass::Left)
            .Property(u"Top", IntegerTypeInfo, &TRectClass::Top, &TRectClass::Top)
            .Property(u"Right", IntegerTypeInfo, &TRectClass::Right, &TRectClass::Right)
            .Property(u"Bottom", IntegerTypeInfo, &TRectClass::Bottom, &TRectClass::Bottom)
            .ReadOnlyProperty(u"TopLeft", ClassTypeInfo<TPointClass>, &TRectClass::GetTopLeft)
            .ReadOnlyProperty(u"BottomRight", ClassTypeInfo<TPointClass>, &TRectClass::GetBottomRight));
    return &meta;
}
TPointClass* TRectClass::GetTopLeft() const {
    return new TPointClass(TPoint(Left, Top));
}
TPointClass* TRectClass::GetBottomRight() const {
    return new TPointClass(TPoint(Right, Bottom));
}

TClass TRectPointWrapper::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TRectPointWrapper>(u"TRectPointWrapper", TObjectWrapper::StaticClass()));
    return &meta;
}
TRectPointWrapper::~TRectPointWrapper() {
    FreeAndNil(FObject);
}
