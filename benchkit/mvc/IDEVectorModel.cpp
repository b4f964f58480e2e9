#include "benchkit/mvc/IDEVectorImpl.h"

// --- Events, adapters, multicaster ---------------------------------------------------

HRESULT TVectorModelEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorModelEvent>(this, iid, out)) return S_OK;
    return TModelEvent::QueryInterface(iid, out);
}

void TVectorModelEvent::Dispatch(IEventListener* Listener) {
    InterfacePtr<IVectorModelListener> listener = ListenerAs<IVectorModelListener>(Listener);
    if (GetId() == MODEL_CONTENT_CHANGED)
        listener->ModelContentChanged(this);
    else if (GetId() == MODEL_STRUCTURE_CHANGED)
        listener->ModelStructureChanged(this);
}

HRESULT TVectorSubfocusEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorSubfocusEvent, IVetoableDispatch>(this, iid, out)) return S_OK;
    return TSubfocusEvent::QueryInterface(iid, out);
}

void TVectorSubfocusEvent::VetoableDispatch(IEventListener* Listener) {
    ListenerAs<IVectorSubfocusListener>(Listener)->SubfocusChanging(this);
}

void TVectorSubfocusEvent::Dispatch(IEventListener* Listener) {
    ListenerAs<IVectorSubfocusListener>(Listener)->SubfocusChanged(this);
}

HRESULT TVectorModelAdapter::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorModelListener, IEventListener>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT TVectorSubfocusAdapter::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorSubfocusListener, IEventListener>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT TVectorModelMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorModelMulticaster, IVectorModelListener, IEventListener>(this, iid,
                                                                                        out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TVectorModelMulticaster::ModelStructureChanged(IVectorModelEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TVectorModelMulticaster::ModelContentChanged(IVectorModelEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TVectorModelMulticaster::Dispatch(IVectorModelEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IVectorModelListener>(snapshot.Get(), [E](IVectorModelListener* listener) {
        if (E->GetId() == MODEL_CONTENT_CHANGED)
            listener->ModelContentChanged(E);
        else if (E->GetId() == MODEL_STRUCTURE_CHANGED)
            listener->ModelStructureChanged(E);
    });
}

// --- TBasicVectorContainer -----------------------------------------------------------

TBasicVectorContainer::TBasicVectorContainer()
    : FArray(new TInterfaceList), FModelListeners(new TEventMulticaster) {}

TBasicVectorContainer::TBasicVectorContainer(int Size) : TBasicVectorContainer() {
    FArray->SetCapacity(Size);
}

TBasicVectorContainer::TBasicVectorContainer(int Size, IInterface* Data)
    : TBasicVectorContainer() {}

TBasicVectorContainer::TBasicVectorContainer(IInterfaceList* NewArray) : TBasicVectorContainer() {}

TBasicVectorContainer::~TBasicVectorContainer() = default;

HRESULT TBasicVectorContainer::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableVectorModel, IVectorModel>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterfaceList> TBasicVectorContainer::GetItems() {
    return CloneInterfaceList(FArray.Get());
}

void TBasicVectorContainer::SetItems(IInterfaceList* NewItems) {
    FArray = CloneInterfaceList(NewItems);
    Fire(VECTOR_CHANGED);
}

InterfacePtr<IInterface> TBasicVectorContainer::Get(int Index) {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return FArray->Get(Index);
}

void TBasicVectorContainer::SetCount(int Count) {
    if (FVariableSize && Count != GetCount()) FArray->SetCount(Count);
}

void TBasicVectorContainer::AddModelListener(IVectorModelListener* Listener) {
    FModelListeners->Add(Listener);
}

void TBasicVectorContainer::RemoveModelListener(IVectorModelListener* Listener) {
    FModelListeners->Remove(Listener);
}

void TBasicVectorContainer::Put(int Index, IInterface* Data) {
    FArray->Put(Index, Data);
    Fire(VECTOR_ITEM_PUT, Index);
}

void TBasicVectorContainer::Touched(int Index) {
    if (Index < GetCount()) Fire(VECTOR_ITEM_TOUCHED, Index);
}

void TBasicVectorContainer::AddItem(IInterface* Data) {
    if (!FVariableSize) return;
    Fire(VECTOR_ITEM_ADDED, FArray->Add(Data));
}

void TBasicVectorContainer::InsertItem(int AheadOf, IInterface* Data) {
    if (!FVariableSize) return;
    FArray->Insert(AheadOf, Data);
    Fire(VECTOR_ITEM_ADDED, AheadOf);
}

void TBasicVectorContainer::Remove(int Index) {
    if (!FVariableSize) return;
    FArray->Delete(Index);
    Fire(VECTOR_ITEM_REMOVED, Index);
}

void TBasicVectorContainer::RemoveAll() {
    if (!FVariableSize || GetCount() == 0) return;
    FArray->Clear();
    Fire(VECTOR_CHANGED);
}

void TBasicVectorContainer::EnableModelEvents(bool Enable) {
    if (Enable == FEvents) return;
    FEvents = Enable;
    if (Enable) Fire(VECTOR_CHANGED);
}

void TBasicVectorContainer::ProcessModelEvent(IVectorModelEvent* E) {
    if (FEvents && FModelListeners->HasListeners()) FModelListeners->Dispatch(E);
}

void TBasicVectorContainer::Fire(int Change, int Location) {
    InterfacePtr<IVectorModelEvent> event(new TVectorModelEvent(this, Change, Location));
    ProcessModelEvent(event.Get());
}
