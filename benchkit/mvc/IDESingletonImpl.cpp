#include "benchkit/mvc/IDESingletonImpl.h"

// --- TSingletonModelEvent ------------------------------------------------------------

HRESULT TSingletonModelEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ISingletonModelEvent>(this, iid, out)) return S_OK;
    return TModelEvent::QueryInterface(iid, out);
}

void TSingletonModelEvent::Dispatch(IEventListener* Listener) {
    ListenerAs<ISingletonModelListener>(Listener)->ModelContentChanged(this);
}

// --- TSingletonModelMulticaster ------------------------------------------------------

HRESULT TSingletonModelMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ISingletonModelMulticaster, ISingletonModelListener, IEventListener>(
            this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TSingletonModelMulticaster::ModelContentChanged(ISingletonModelEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TSingletonModelMulticaster::Dispatch(ISingletonModelEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<ISingletonModelListener>(
        snapshot.Get(),
        [E](ISingletonModelListener* listener) { listener->ModelContentChanged(E); });
}

// --- TBasicSingletonContainer --------------------------------------------------------

TBasicSingletonContainer::TBasicSingletonContainer()
    : FItem(new TTextObject(UnicodeString())), FModelListeners(new TEventMulticaster) {}

// Once the delegated constructor is done the destructor cleans up, also when
// the cast below raises.
TBasicSingletonContainer::TBasicSingletonContainer(IInterface* Data) : TBasicSingletonContainer() {
    FItem = InterfaceCast<IStringObject>(Data);
}

TBasicSingletonContainer::~TBasicSingletonContainer() = default;

HRESULT TBasicSingletonContainer::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableSingletonModel, ISingletonModel>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterface> TBasicSingletonContainer::Get() {
    return FItem;
}

void TBasicSingletonContainer::AddModelListener(ISingletonModelListener* Listener) {
    FModelListeners->Add(Listener);
}

void TBasicSingletonContainer::RemoveModelListener(ISingletonModelListener* Listener) {
    FModelListeners->Remove(Listener);
}

void TBasicSingletonContainer::Put(IInterface* Data) {
    FItem = InterfaceCast<IStringObject>(Data);
    FireChange();
}

void TBasicSingletonContainer::Touched() {
    FireChange();
}

void TBasicSingletonContainer::EnableModelEvents(bool Enable) {
    if (Enable == FEvents) return;
    FEvents = Enable;
    if (Enable) FireChange();
}

void TBasicSingletonContainer::ProcessModelEvent(ISingletonModelEvent* E) {
    if (FEvents && FModelListeners->HasListeners()) FModelListeners->Dispatch(E);
}

void TBasicSingletonContainer::FireChange() {
    InterfacePtr<ISingletonModelEvent> event(new TSingletonModelEvent(this));
    ProcessModelEvent(event.Get());
}
