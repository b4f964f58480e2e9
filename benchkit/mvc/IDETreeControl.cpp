#include "benchkit/mvc/IDETreeControl.h"

#include "benchkit/mvc/IDEBasicViewManager.h"

#include <quorlpak/Font.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/TypeInfos.h>
#include <quorlpak/Messages.h>
#include <runpak/StringList.h>
#include <runpak/TypeInfo.h>
#include <win32/shellapi.h>

#include <memory>

TCustomTreeControl::TCustomTreeControl(TComponent* AOwner)
    : TTreeView2(AOwner), FImageChangeLink(new TChangeLink), FStateChangeLink(new TChangeLink) {
    SetBounds(GetLeft(), GetTop(), 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    InterfacePtr<IGraphModel> model(new TBasicTreeContainer);
    TTreeView2::SetModel(model.Get());
    SetupViewers();
    InterfacePtr<IWritableGraphSelection> selection(new TBasicGraphSelection);
    SetSelection(selection.Get());
    InterfacePtr<IWritableGraphSelection> drag(new TBasicGraphSelection);
    SetDragSelection(drag.Get());
}

TCustomTreeControl::~TCustomTreeControl() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink);
    if (FStateImages) FStateImages->UnRegisterChanges(FStateChangeLink);
    delete FImageChangeLink;
    delete FStateChangeLink;
}

void TCustomTreeControl::SetImages(TCustomImageList* Value) {
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink);
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink);
        FImages->FreeNotification(this);
    }
    SetupViewers();
}

void TCustomTreeControl::SetStateImages(TCustomImageList* Value) {
    if (FStateImages) {
        FStateImages->UnRegisterChanges(FStateChangeLink);
        FStateImages->RemoveFreeNotification(this);
    }
    FStateImages = Value;
    if (FStateImages) {
        FStateImages->RegisterChanges(FStateChangeLink);
        FStateImages->FreeNotification(this);
    }
    SetupViewers();
}

void TCustomTreeControl::Notification(TComponent* AComponent, TOperation Operation) {
    TTreeView2::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) SetImages(nullptr);
    if (AComponent == FStateImages) SetStateImages(nullptr);
}

void TCustomTreeControl::CreateWnd() {
    TTreeView2::CreateWnd();
    DragAcceptFiles(GetHandle(), FEnableDropFiles);
}

void TCustomTreeControl::SetEnableDropFiles(bool Value) {
    FEnableDropFiles = Value;
    if (HandleAllocated()) DragAcceptFiles(GetHandle(), Value);
}

void TCustomTreeControl::WMDropFiles(TMessage& Message) {
    auto drop = reinterpret_cast<HDROP>(Message.WParam);
    auto files = std::make_unique<TStringList>();
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::u16string buffer(4096, u'\0');
    for (UINT i = 0; i < count; ++i) {
        // A name longer than the usual buffer would arrive cut, naming
        // another file: the buffer grows to the name's length.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length + 1 > buffer.size()) buffer.resize(length + 1);
        const UINT n = DragQueryFileW(drop, i, reinterpret_cast<LPWSTR>(buffer.data()),
                                      UINT(buffer.size()));
        if (n > 0) files->Add(UnicodeString(buffer.data(), n));
    }
    DragFinish(drop);
    OnDropFiles(this, files.get());
}

void TCustomTreeControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_DROPFILES:
        if (!OnDropFiles) break;
        WMDropFiles(Message);
        return;
    case CM_HINTSHOW: {
        TTreeView2::WndProc(Message);
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        bool canShow = true;
        if (OnHintShow && info) OnHintShow(this, *info, canShow);
        if (!canShow) Message.Result = 1;
        return;
    }
    default:
        break;
    }
    TTreeView2::WndProc(Message);
}

TClass TCustomTreeControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomTreeControl>(u"TCustomTreeControl", TTreeView2::StaticClass()));
    return &meta;
}

namespace {

PTypeInfo TypeInfo_TTreeViewStyle() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TTreeViewStyle", {u"tvsPluses", u"tvsArrows"});
    return &info;
}

PTypeInfo TypeInfo_TAlignments() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TAlignments", {u"aLeft", u"aCenter", u"aRight", u"aHorzStretch",
                                          u"aTop", u"aMiddle", u"aBottom", u"aVertStretch"});
    return &info;
}

PTypeInfo TypeInfo_TAlignmentSet() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TAlignment", TypeInfo_TAlignments());
    return &info;
}

// An event declared by a base class, as a member of the tree control.
template <class E, class B> E TTreeControl::*Member(E B::*Event) {
    return static_cast<E TTreeControl::*>(Event);
}

// The box size is published as its two halves.
int32_t BoxWidth(TTreeControl* c) {
    return c->GetBoxSize().Width;
}
void SetBoxWidth(TTreeControl* c, int32_t v) {
    c->SetBoxSize(Dimension(v, c->GetBoxSize().Height));
}
int32_t BoxHeight(TTreeControl* c) {
    return c->GetBoxSize().Height;
}
void SetBoxHeight(TTreeControl* c, int32_t v) {
    c->SetBoxSize(Dimension(c->GetBoxSize().Width, v));
}
bool Editing(TTreeControl* c) {
    return c->IsEditing();
}
TAlignmentSet Alignment(TTreeControl* c) {
    return c->GetAlignment();
}

} // namespace

TClass TTreeControl::StaticClass() {
    using T = TTreeControl;
    // Only the framework's own properties and MultiSelect carry stream
    // defaults: everything else of the view is written when streamed.
    static const TMetaClass meta(
        TClassBuilder<T>(u"TTreeControl", TCustomTreeControl::StaticClass())
            .Property(u"Align", TypeInfo_TAlign, &T::GetAlign, &T::SetAlign)
            .Default(alNone)
            .Property(u"BevelEdges", TypeInfo_TBevelEdges, &T::GetBevelEdges, &T::SetBevelEdges)
            .Property(u"BevelInner", TypeInfo_TBevelCut, &T::GetBevelInner, &T::SetBevelInner)
            .Property(u"BevelOuter", TypeInfo_TBevelCut, &T::GetBevelOuter, &T::SetBevelOuter)
            .Property(u"BevelKind", TypeInfo_TBevelKind, &T::GetBevelKind, &T::SetBevelKind)
            .Property(u"BevelWidth", IntegerTypeInfo, &T::GetBevelWidth, &T::SetBevelWidth)
            .Default(1)
            .Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
            .Property(u"BorderWidth", IntegerTypeInfo, &T::GetBorderWidth, &T::SetBorderWidth)
            .Default(0)
            .Property(u"DragCursor", TypeInfo_TCursor, &T::GetDragCursor, &T::SetDragCursor)
            .Default(crDrag)
            .Property(u"DragMode", TypeInfo_TDragMode, &T::GetDragMode, &T::SetDragMode)
            .Default(dmManual)
            .Property(u"Enabled", BooleanTypeInfo, &T::GetEnabled, &T::SetEnabled)
            .Default(1)
            .Property(u"Color", TypeInfo_TColor, &T::GetColor, &T::SetColor)
            .Stored([](T* c) { return !c->GetParentColor(); })
            .Property(u"Ctl3D", BooleanTypeInfo, &T::GetCtl3D, &T::SetCtl3D)
            .Property(u"Font", ClassTypeInfo<TFont>, &T::GetFont, &T::SetFont)
            .Stored([](T* c) { return !c->GetParentFont(); })
            .Property(u"ParentColor", BooleanTypeInfo, &T::GetParentColor, &T::SetParentColor)
            .Property(u"ParentCtl3D", BooleanTypeInfo, &T::GetParentCtl3D, &T::SetParentCtl3D)
            .Default(1)
            .Property(u"ParentFont", BooleanTypeInfo, &T::GetParentFont, &T::SetParentFont)
            .Default(1)
            .Property(u"ParentShowHint", BooleanTypeInfo, &T::GetParentShowHint,
                      &T::SetParentShowHint)
            .Default(1)
            .Property(u"PopupMenu", ClassTypeInfo<TPopupMenu>, &T::GetPopupMenu, &T::SetPopupMenu)
            .Property(u"ShowHint", BooleanTypeInfo, &T::GetShowHint, &T::SetShowHint)
            .Stored([](T* c) { return !c->GetParentShowHint(); })
            .Property(u"TabOrder", IntegerTypeInfo, &T::GetTabOrder, &T::SetTabOrder)
            .Property(u"TabStop", BooleanTypeInfo, &T::GetTabStop, &T::SetTabStop)
            .Property(u"Visible", BooleanTypeInfo, &T::GetVisible, &T::SetVisible)
            .Default(1)
            .Event(u"OnClick", static_cast<TNotifyEvent T::*>(&TControl::OnClick))
            .Event(u"OnDblClick", static_cast<TNotifyEvent T::*>(&TControl::OnDblClick))
            .Event(u"OnDragDrop", static_cast<TDragDropEvent T::*>(&TControl::OnDragDrop))
            .Event(u"OnDragOver", static_cast<TDragOverEvent T::*>(&TControl::OnDragOver))
            .Event(u"OnEndDrag", static_cast<TEndDragEvent T::*>(&TControl::OnEndDrag))
            .Event(u"OnEnter", static_cast<TNotifyEvent T::*>(&TWinControl::OnEnter))
            .Event(u"OnExit", static_cast<TNotifyEvent T::*>(&TWinControl::OnExit))
            .Event(u"OnMouseDown", static_cast<TMouseEvent T::*>(&TControl::OnMouseDown))
            .Event(u"OnMouseMove", static_cast<TMouseMoveEvent T::*>(&TControl::OnMouseMove))
            .Event(u"OnMouseUp", static_cast<TMouseEvent T::*>(&TControl::OnMouseUp))
            .Event(u"OnResize", static_cast<TNotifyEvent T::*>(&TControl::OnResize))
            .Event(u"OnStartDrag", static_cast<TStartDragEvent T::*>(&TControl::OnStartDrag))
            .Property(u"Images", ClassTypeInfo<TCustomImageList>, &T::GetImages, &T::SetImages)
            .Property(u"StateImages", ClassTypeInfo<TCustomImageList>, &T::GetStateImages,
                      &T::SetStateImages)
            .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
            .Property(u"PostOnEndEdit", BooleanTypeInfo, &T::GetPostOnEndEdit,
                      &T::SetPostOnEndEdit)
            .Property(u"ShowFocus", BooleanTypeInfo, &T::GetShowFocus, &T::SetShowFocus)
            .Property(u"DragSubfocus", BooleanTypeInfo, &T::GetDragSubfocus, &T::SetDragSubfocus)
            .Property(u"SnapOrigin", BooleanTypeInfo, &T::GetSnapOrigin, &T::SetSnapOrigin)
            .Property(u"HorzSnap", BooleanTypeInfo, &T::GetHSnap, &T::SetHSnap)
            .Property(u"DoubleBuffer", BooleanTypeInfo, &T::GetDoubleBuffer, &T::SetDoubleBuffer)
            .Property(u"EditInPlace", BooleanTypeInfo, &T::GetEditInPlace, &T::SetEditInPlace)
            .Property(u"AutoEdit", BooleanTypeInfo, &T::GetAutoEdit, &T::SetAutoEdit)
            .ReadOnlyProperty(u"Editing", BooleanTypeInfo, &Editing)
            .Property(u"BatchMode", BooleanTypeInfo, &T::GetBatchMode, &T::SetBatchMode)
            .Property(u"ShowRoot", BooleanTypeInfo, &T::GetShowRoot, &T::SetShowRoot)
            .Property(u"ShowRootLines", BooleanTypeInfo, &T::GetShowRootLines,
                      &T::SetShowRootLines)
            .Property(u"ExpandByDefault", BooleanTypeInfo, &T::GetExpandByDefault,
                      &T::SetExpandByDefault)
            .Property(u"Style", TypeInfo_TTreeViewStyle, &T::GetStyle, &T::SetStyle)
            .Property(u"Alignment", TypeInfo_TAlignmentSet, &Alignment, &T::SetAlignment)
            .Property(u"ItemMargins", ClassTypeInfo<TInsets>, &T::GetMargins, &T::SetItemMargins)
            .Property(u"LeftMargin", IntegerTypeInfo, &T::GetLeftMargin, &T::SetLeftMargin)
            .Property(u"TopMargin", IntegerTypeInfo, &T::GetTopMargin, &T::SetTopMargin)
            .Property(u"BoxWidth", IntegerTypeInfo, &BoxWidth, &SetBoxWidth)
            .Property(u"BoxHeight", IntegerTypeInfo, &BoxHeight, &SetBoxHeight)
            .Property(u"VertGap", IntegerTypeInfo, &T::GetVgap, &T::SetVgap)
            .Property(u"Indent", IntegerTypeInfo, &T::GetHIndent, &T::SetHIndent)
            .Property(u"ItemOffset", IntegerTypeInfo, &T::GetItemOffset, &T::SetItemOffset)
            .Property(u"MultiSelect", BooleanTypeInfo, &T::GetMultiSelect, &T::SetMultiSelect)
            .Default(1)
            .Event(u"OnComponentResized", Member(&T::OnComponentResized))
            .Event(u"OnComponentMoved", Member(&T::OnComponentMoved))
            .Event(u"OnComponentShown", Member(&T::OnComponentShown))
            .Event(u"OnComponentHidden", Member(&T::OnComponentHidden))
            .Event(u"OnComponentAdded", Member(&T::OnComponentAdded))
            .Event(u"OnComponentRemoved", Member(&T::OnComponentRemoved))
            .Event(u"OnFocusGained", Member(&T::OnFocusGained))
            .Event(u"OnFocusLost", Member(&T::OnFocusLost))
            .Event(u"OnKeyPressed", Member(&T::OnKeyPressed))
            .Event(u"OnKeyReleased", Member(&T::OnKeyReleased))
            .Event(u"OnKeyTyped", Member(&T::OnKeyTyped))
            .Event(u"OnMousePressed", Member(&T::OnMousePressed))
            .Event(u"OnMouseReleased", Member(&T::OnMouseReleased))
            .Event(u"OnMouseClicked", Member(&T::OnMouseClicked))
            .Event(u"OnMouseEntered", Member(&T::OnMouseEntered))
            .Event(u"OnMouseExited", Member(&T::OnMouseExited))
            .Event(u"OnMouseMoved", Member(&T::OnMouseMoved))
            .Event(u"OnMouseDragged", Member(&T::OnMouseDragged))
            .Event(u"OnActionPerformed", Member(&T::OnActionPerformed))
            .Event(u"OnItemStateChanged", Member(&T::OnItemStateChanged))
            .Event(u"OnAdjustmentValueChanged", Member(&T::OnAdjustmentValueChanged))
            .Event(u"OnTextValueChanged", Member(&T::OnTextValueChanged))
            .Event(u"OnDragEntered", Member(&T::OnDragEntered))
            .Event(u"OnDragExited", Member(&T::OnDragExited))
            .Event(u"OnDragMoved", Member(&T::OnDragMoved))
            .Event(u"OnDragDropped", Member(&T::OnDragDropped))
            .Event(u"OnDragCancelled", Member(&T::OnDragCancelled))
            .Event(u"OnDragTargeted", Member(&T::OnDragTargeted))
            .Event(u"OnModelStructureChanged", Member(&T::OnModelStructureChanged))
            .Event(u"OnModelContentChanged", Member(&T::OnModelContentChanged))
            .Event(u"OnSubfocusChanging", Member(&T::OnSubfocusChanging))
            .Event(u"OnSubfocusChanged", Member(&T::OnSubfocusChanged))
            .Event(u"OnSelectionItemChanged", Member(&T::OnSelectionItemChanged))
            .Event(u"OnSelectionChanged", Member(&T::OnSelectionChanged))
            .Event(u"OnNodeExpanded", Member(&T::OnNodeExpanded))
            .Event(u"OnNodeCollapsed", Member(&T::OnNodeCollapsed))
            .Property(u"EnableDropFiles", BooleanTypeInfo, &T::GetEnableDropFiles,
                      &T::SetEnableDropFiles)
            .Event(u"OnDropFiles", Member(&T::OnDropFiles))
            .Event(u"OnHintShow", Member(&T::OnHintShow)));
    return &meta;
}

HRESULT TCustomTreeControl::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableGraphModel, IGraphModel>(this, iid, out)) return S_OK;
    return TTreeView2::QueryInterface(iid, out);
}

void TCustomTreeControl::SetupViewers() {
    // Without images the icon half measures nothing and adds no gap.
    InterfacePtr<IItemPainter> painter(new TCompositeItemPainter(
        new TImageListItemPainter(FImages),
        new TFocusableItemPainter(new TSelectableTextItemPainter), oHorizontal, 4));
    InterfacePtr<IItemEditor> editor(new TPairItemEditor(new TExpandingTextItemEditor, 1));
    InterfacePtr<IGraphViewManager> manager(new TBasicViewManager(painter.Get(), editor.Get()));
    SetViewManager(manager.Get());
}

void TCustomTreeControl::SetModel(IGraphModel* Model) {
    if (Model && SameObject(Model, static_cast<IGraphModel*>(this)))
        throw EIllegalArgumentException(u"Recursive model");
    TTreeView2::SetModel(Model);
}

InterfacePtr<IGraphLocation> TCustomTreeControl::GetRoot() {
    return FModel ? FModel->GetRoot() : nullptr;
}

InterfacePtr<IInterface> TCustomTreeControl::Get(IGraphLocation* Location) {
    return FModel ? FModel->Get(Location) : nullptr;
}

InterfacePtr<IGraphLocation> TCustomTreeControl::Find(IInterface* Data) {
    return FModel ? FModel->Find(Data) : nullptr;
}

InterfacePtr<IGraphLocation> TCustomTreeControl::SetRoot(IInterface* Data) {
    InterfacePtr<IWritableGraphModel> w = GetWriteModel();
    return w ? w->SetRoot(Data) : nullptr;
}

bool TCustomTreeControl::CanModify(IGraphLocation* Location) {
    InterfacePtr<IWritableGraphModel> w = GetWriteModel();
    return w && w->CanModify(Location);
}

void TCustomTreeControl::Put(IGraphLocation* Location, IInterface* Data) {
    if (InterfacePtr<IWritableGraphModel> w = GetWriteModel()) w->Put(Location, Data);
}

void TCustomTreeControl::Touched(IGraphLocation* Location) {
    if (InterfacePtr<IWritableGraphModel> w = GetWriteModel()) w->Touched(Location);
}

bool TCustomTreeControl::IsVariableSize() {
    InterfacePtr<IWritableGraphModel> w = GetWriteModel();
    return w && w->IsVariableSize();
}

InterfacePtr<IGraphLocation> TCustomTreeControl::AddChild(IGraphLocation* Parent,
                                                          IInterface* Data) {
    InterfacePtr<IWritableGraphModel> w = GetWriteModel();
    return w ? w->AddChild(Parent, Data) : nullptr;
}

InterfacePtr<IGraphLocation>
TCustomTreeControl::InsertChild(IGraphLocation* Parent, IGraphLocation* AheadOf, IInterface* Data) {
    InterfacePtr<IWritableGraphModel> w = GetWriteModel();
    return w ? w->InsertChild(Parent, AheadOf, Data) : nullptr;
}

void TCustomTreeControl::RemoveChildren(IGraphLocation* Parent) {
    if (InterfacePtr<IWritableGraphModel> w = GetWriteModel()) w->RemoveChildren(Parent);
}

void TCustomTreeControl::Remove(IGraphLocation* Location) {
    if (InterfacePtr<IWritableGraphModel> w = GetWriteModel()) w->Remove(Location);
}

void TCustomTreeControl::RemoveAll() {
    if (InterfacePtr<IWritableGraphModel> w = GetWriteModel()) w->RemoveAll();
}

void TCustomTreeControl::EnableModelEvents(bool Enable) {
    if (InterfacePtr<IWritableGraphModel> w = GetWriteModel()) w->EnableModelEvents(Enable);
}
