#include "benchkit/mvc/IDETreeControl.h"

#include "benchkit/mvc/IDEBasicViewManager.h"

#include <runpak/TypeInfo.h>

TCustomTreeControl::TCustomTreeControl(TComponent* AOwner) : TTreeView2(AOwner) {
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

TClass TCustomTreeControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomTreeControl>(u"TCustomTreeControl", TTreeView2::StaticClass()));
    return &meta;
}

TClass TTreeControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTreeControl>(u"TTreeControl", TCustomTreeControl::StaticClass()));
    return &meta;
}

HRESULT TCustomTreeControl::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableGraphModel, IGraphModel>(this, iid, out)) return S_OK;
    return TTreeView2::QueryInterface(iid, out);
}

void TCustomTreeControl::SetupViewers() {
    // The icon half is empty until the control carries image lists: it
    // measures nothing and adds no gap.
    InterfacePtr<IItemPainter> painter(new TCompositeItemPainter(
        nullptr, new TFocusableItemPainter(new TSelectableTextItemPainter), oHorizontal, 4));
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

InterfacePtr<IGraphLocation> TCustomTreeControl::InsertChild(IGraphLocation* Parent,
                                                             IGraphLocation* AheadOf,
                                                             IInterface* Data) {
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
