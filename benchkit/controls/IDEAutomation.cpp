// The automation dispatch, the class map, the wrapper base and the
// application wrapper with its named services.
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
#include <quorlpak/ToolWin.h>
#include <quorlpak/TabControl.h>
#include <quorlpak/Tabs.h>
#include <runpak/Collection.h>

#include <quorlpak/UtilWindow.h>
#include <runpak/Strings.h>
#include <win32/libloaderapi.h>

#include <vector>

// --- Dispatch -------------------------------------------------------------------------------

TAutoObjectDispatch::TAutoObjectDispatch(TObjectWrapper* Wrapper) : TObjectDispatch(Wrapper, true) {}

IDispatch* TAutoObjectDispatch::Create(TObject* Obj) {
    TObjectWrapperClass wrapperClass = ClassMap()->FindObjectWrapper(Obj->ClassType());
    if (!wrapperClass) return nullptr;
    auto* dispatch = new TAutoObjectDispatch(wrapperClass->Create(Obj));
    dispatch->AddRef();
    return dispatch;
}

TObject* TAutoObjectDispatch::GetArgumentObject() const {
    if (auto* wrapper = dynamic_cast<TObjectWrapper*>(GetInstance())) return wrapper->GetObject();
    return GetInstance();
}

IDispatch* TAutoObjectDispatch::GetObjectDispatch(TObject* Obj) {
    return Create(Obj);
}

PMethodInfo TAutoObjectDispatch::GetMethodInfo(const UnicodeString& Name, TObject*& Instance) {
    if (PMethodInfo method = TObjectDispatch::GetMethodInfo(Name, Instance)) return method;
    auto* wrapper = dynamic_cast<TObjectWrapper*>(Instance);
    if (!wrapper) return nullptr;
    TObject* wrapped = wrapper->GetObject();
    PMethodInfo method = TObjectDispatch::GetMethodInfo(Name, wrapped);
    if (method) Instance = wrapped;
    return method;
}

PPropInfo TAutoObjectDispatch::GetPropInfo(const UnicodeString& Name, TObject*& Instance,
                                           int& CompIndex) {
    if (Instance)
        if (PPropInfo prop = ::GetPropInfo(Instance, Name)) return prop;
    auto* wrapper = dynamic_cast<TObjectWrapper*>(Instance);
    if (!wrapper) return nullptr;
    TObject* wrapped = wrapper->GetObject();
    if (PPropInfo prop = ::GetPropInfo(wrapped, Name)) {
        Instance = wrapped;
        return prop;
    }
    if (auto* component = dynamic_cast<TComponent*>(wrapped)) {
        if (TComponent* owned = component->FindComponent(Name)) {
            Instance = wrapped;
            CompIndex = owned->GetComponentIndex();
        }
        return nullptr;
    }
    Instance = nullptr;
    return nullptr;
}

// --- Class map ------------------------------------------------------------------------------

void TClassMap::AddClass(TClass AClass, TObjectWrapperClass AObjWrapper) {
    for (int i = 0; i < GetCount(); ++i) {
        TAutoRecord* record = GetRecords(i);
        if (!AClass->InheritsFrom(record->FClass)) continue;
        if (record->FClass == AClass)
            throw Exception(u"Class '%s', already in class map", {AClass->ClassName()});
        Insert(i, new TAutoRecord(AClass, AObjWrapper));
        return;
    }
    Add(new TAutoRecord(AClass, AObjWrapper));
}

TObjectWrapperClass TClassMap::FindObjectWrapper(TClass AClass) const {
    for (int i = 0; i < GetCount(); ++i) {
        TAutoRecord* record = GetRecords(i);
        if (AClass->InheritsFrom(record->FClass)) return record->FObjWrapper;
    }
    return nullptr;
}

void TClassMap::RemoveClass(TClass AClass, TObjectWrapperClass AObjWrapper) {
    // Wrapper classes are compared by their class: the same wrapper reached
    // from another module is the same kind.
    for (int i = GetCount() - 1; i >= 0; --i) {
        TAutoRecord* record = GetRecords(i);
        if (record->FClass == AClass && record->FObjWrapper->Class == AObjWrapper->Class) Delete(i);
    }
}

namespace {

std::unique_ptr<TClassMap> theClassMap;

void FillClassMap(TClassMap& map) {
    const std::pair<TClass, TObjectWrapperClass> rows[] = {
        {TObject::StaticClass(), WrapperClassOf<TObjectWrapper>()},
        {TApplication::StaticClass(), WrapperClassOf<TApplicationWrapper>()},
        {TComponent::StaticClass(), WrapperClassOf<TComponentWrapper>()},
        {TControl::StaticClass(), WrapperClassOf<TControlWrapper>()},
        {TWinControl::StaticClass(), WrapperClassOf<TWinControlWrapper>()},
        {TRectClass::StaticClass(), WrapperClassOf<TRectPointWrapper>()},
        {TPointClass::StaticClass(), WrapperClassOf<TRectPointWrapper>()},
        {TScreen::StaticClass(), WrapperClassOf<TScreenWrapper>()},
        {TCollectionItem::StaticClass(), WrapperClassOf<TCollectionItemWrapper>()},
        {TCollection::StaticClass(), WrapperClassOf<TCollectionWrapper>()},
        {TCustomForm::StaticClass(), WrapperClassOf<TCustomFormWrapper>()},
        {TButton::StaticClass(), WrapperClassOf<TButtonWrapper>()},
        {TPopupMenu::StaticClass(), WrapperClassOf<TPopupMenuWrapper>()},
        {TToolButton::StaticClass(), WrapperClassOf<TToolButtonWrapper>()},
        {TPanel::StaticClass(), WrapperClassOf<TPanelWrapper>()},
        {TComboBox::StaticClass(), WrapperClassOf<TComboBoxWrapper>()},
        {TEdit::StaticClass(), WrapperClassOf<TEditWrapper>()},
        {TTabSheet::StaticClass(), WrapperClassOf<TTabSheetWrapper>()},
        {TCustomTabControl::StaticClass(), WrapperClassOf<TCustomTabControlWrapper>()},
        {TCustomGrid::StaticClass(), WrapperClassOf<TCustomGridWrapper>()},
        {TStringGrid::StaticClass(), WrapperClassOf<TStringGridWrapper>()},
        {TStrings::StaticClass(), WrapperClassOf<TStringsWrapper>()},
        {TCustomTreeView::StaticClass(), WrapperClassOf<TCustomTreeViewWrapper>()},
        {TTreeView::StaticClass(), WrapperClassOf<TTreeViewWrapper>()},
        {TTreeNodes::StaticClass(), WrapperClassOf<TTreeNodesWrapper>()},
        {TTreeNode::StaticClass(), WrapperClassOf<TTreeNodeWrapper>()},
        {TCustomListView::StaticClass(), WrapperClassOf<TCustomListViewWrapper>()},
        {TListItems::StaticClass(), WrapperClassOf<TListItemsWrapper>()},
        {TListItem::StaticClass(), WrapperClassOf<TListItemWrapper>()},
        {THeaderSection::StaticClass(), WrapperClassOf<THeaderSectionWrapper>()},
        {TStatusPanel::StaticClass(), WrapperClassOf<TStatusPanelWrapper>()},
        {TMenu::StaticClass(), WrapperClassOf<TMenuWrapper>()},
        {TMenuItem::StaticClass(), WrapperClassOf<TMenuItemWrapper>()},
        {TCustomListBox::StaticClass(), WrapperClassOf<TCustomListboxWrapper>()},
        {TCheckListBox::StaticClass(), WrapperClassOf<TCheckListBoxWrapper>()},
        {TTabSet::StaticClass(), WrapperClassOf<TTabSetWrapper>()},
        {TPicture::StaticClass(), WrapperClassOf<TPictureWrapper>()},
        {TGraphic::StaticClass(), WrapperClassOf<TGraphicWrapper>()},
        {TBitmap::StaticClass(), WrapperClassOf<TBitmapWrapper>()},
    };
    for (const auto& [objectClass, wrapper] : rows) map.AddClass(objectClass, wrapper);
}

} // namespace

TClassMap* ClassMap() {
    if (!theClassMap) {
        auto map = std::make_unique<TClassMap>();
        FillClassMap(*map);
        theClassMap = std::move(map);
    }
    return theClassMap.get();
}

// --- TObjectWrapper -------------------------------------------------------------------------

TObjectWrapper::TObjectWrapper(TObject* AObject)
    : FObject(nullptr), FWrapperHandle(AllocateHWnd([this](TMessage& Message) { WndMethod(Message); })) {
    FObject = AObject;
}

TObjectWrapper::~TObjectWrapper() {
    // Posted actions not yet delivered go with the window.
    if (FWrapperHandle) DeallocateHWnd(FWrapperHandle);
}

UnicodeString TObjectWrapper::GetClassName() const {
    return FObject->ClassType()->ClassName();
}

UnicodeString TObjectWrapper::GetParentClass() const {
    TClass parent = FObject->ClassType()->ClassParent();
    return parent ? parent->ClassName() : UnicodeString();
}

bool TObjectWrapper::InheritsFrom(const UnicodeString& ClassName) const {
    for (TClass c = FObject->ClassType(); c; c = c->ClassParent())
        if (SameText(c->ClassName(), ClassName)) return true;
    return false;
}

void TObjectWrapper::WndMethod(TMessage& Message) {
    Message.Result = DefWindowProcW(FWrapperHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TObjectWrapper::PostAction(UINT Msg) {
    PostMessageW(FWrapperHandle, Msg, 0, 0);
}

// --- TApplicationWrapper --------------------------------------------------------------------

std::map<UnicodeString, std::unique_ptr<TServiceObject>>* TApplicationWrapper::FServices = nullptr;

TApplicationWrapper::TApplicationWrapper(TObject* AObject)
    : TComponentWrapper((AObject && AObject == Application)
                            ? AObject
                            : throw Exception(u"Automation wrapper for the Application can only be "
                                              u"created with a TApplication")) {}

int64_t TApplicationWrapper::GetHandle() const {
    return int64_t(reinterpret_cast<intptr_t>(Wrapped<TApplication>()->GetHandle()));
}

TCustomForm* TApplicationWrapper::GetMainForm() const {
    return Wrapped<TApplication>()->GetMainForm();
}

UnicodeString TApplicationWrapper::GetExeName() const {
    std::vector<char16_t> buffer(1024);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length < buffer.size()) return UnicodeString(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

TScreen* TApplicationWrapper::GetScreen() const {
    return Screen;
}

TControl* TApplicationWrapper::GetObjFromHandle(int64_t Handle) const {
    return FindControl(reinterpret_cast<HWND>(intptr_t(Handle)));
}

TServiceObject* TApplicationWrapper::GetService(const UnicodeString& Name) const {
    if (!FServices) return nullptr;
    auto found = FServices->find(Name);
    return found == FServices->end() ? nullptr : found->second.get();
}

void TApplicationWrapper::AddService(const UnicodeString& Name, TServiceObject* Service) {
    std::unique_ptr<TServiceObject> owned(Service);
    if (!FServices) CreateServices();
    if (FServices->count(Name)) throw EListError(u"Duplicates not allowed");
    FServices->emplace(Name, std::move(owned));
}

void TApplicationWrapper::RemoveService(const UnicodeString& Name) {
    if (FServices) FServices->erase(Name);
}

void TApplicationWrapper::CreateServices() {
    if (!FServices) FServices = new std::map<UnicodeString, std::unique_ptr<TServiceObject>>();
}

void TApplicationWrapper::DestroyServices() {
    delete FServices;
    FServices = nullptr;
}

// --- Unit -----------------------------------------------------------------------------------

void InitializeIDEAutomation() {
    TApplicationWrapper::CreateServices();
}

void FinalizeIDEAutomation() {
    TApplicationWrapper::DestroyServices();
    theClassMap.reset();
}
