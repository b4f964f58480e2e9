#include "benchkit/mvc/IDEGraphImpl.h"

// --- Event and multicaster -----------------------------------------------------------

HRESULT TGraphSelectionEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphSelectionEvent>(this, iid, out)) return S_OK;
    return TSelectionEvent::QueryInterface(iid, out);
}

void TGraphSelectionEvent::Dispatch(IEventListener* Listener) {
    InterfacePtr<IGraphSelectionListener> listener = ListenerAs<IGraphSelectionListener>(Listener);
    if (GetId() == SELECTION_ITEM_CHANGED_ID)
        listener->SelectionItemChanged(this);
    else if (GetId() == SELECTION_CHANGED_ID)
        listener->SelectionChanged(this);
}

HRESULT TGraphSelectionMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphSelectionMulticaster, IGraphSelectionListener, IEventListener>(
            this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TGraphSelectionMulticaster::SelectionItemChanged(IGraphSelectionEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TGraphSelectionMulticaster::SelectionChanged(IGraphSelectionEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TGraphSelectionMulticaster::Dispatch(IGraphSelectionEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IGraphSelectionListener>(snapshot.Get(), [E](IGraphSelectionListener* l) {
        if (E->GetId() == SELECTION_ITEM_CHANGED_ID)
            l->SelectionItemChanged(E);
        else if (E->GetId() == SELECTION_CHANGED_ID)
            l->SelectionChanged(E);
    });
}

// --- TBasicGraphSelection ------------------------------------------------------------

TBasicGraphSelection::TBasicGraphSelection(IInterfaceList* NewSet) {
    // Nobody can listen yet, and firing from a constructor would release the
    // object before anyone holds it.
    DoPut(NewSet);
}

HRESULT TBasicGraphSelection::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableGraphSelection, IGraphSelection>(this, iid, out)) return S_OK;
    return TBasicSelection::QueryInterface(iid, out);
}

void TBasicGraphSelection::Fire(int Change, IGraphLocation* Location) {
    InterfacePtr<IGraphSelectionEvent> event(new TGraphSelectionEvent(this, Change, Location));
    ProcessSelectionEvent(event.Get());
}

bool TBasicGraphSelection::Contains(IGraphLocation* Location) {
    return Location && IndexOfItem(Location) >= 0;
}

InterfacePtr<IInterfaceList> TBasicGraphSelection::GetAll() {
    return CloneInterfaceList(FArray.Get());
}

void TBasicGraphSelection::AddSelectionListener(IGraphSelectionListener* Listener) {
    FSelectionListeners->Add(Listener);
}

void TBasicGraphSelection::RemoveSelectionListener(IGraphSelectionListener* Listener) {
    FSelectionListeners->Remove(Listener);
}

void TBasicGraphSelection::DoPut(IInterfaceList* Locations) {
    FArray->Clear();
    for (int i = 0; i < Locations->GetCount(); ++i)
        FArray->Add(Locations->Get(i).Get());
}

void TBasicGraphSelection::Put(IInterfaceList* Locations) {
    DoPut(Locations);
    Fire(SELECTION_CHANGED);
}

void TBasicGraphSelection::Add(IGraphLocation* Location) {
    if (DoAdd(Location)) Fire(SELECTION_ITEM_ADDED, Location);
}

void TBasicGraphSelection::Remove(IGraphLocation* Location) {
    if (DoRemove(Location)) Fire(SELECTION_ITEM_REMOVED, Location);
}

void TBasicGraphSelection::Add2(IInterfaceList* Locations) {
    bool changed = false;
    for (int i = 0; i < Locations->GetCount(); ++i)
        changed |= DoAdd(Locations->Get(i).Get());
    if (changed) Fire(SELECTION_CHANGED);
}

void TBasicGraphSelection::Remove2(IInterfaceList* Locations) {
    bool changed = false;
    for (int i = 0; i < Locations->GetCount(); ++i)
        changed |= DoRemove(Locations->Get(i).Get());
    if (changed) Fire(SELECTION_CHANGED);
}

void TBasicGraphSelection::RemoveAll() {
    if (DoRemoveAll()) Fire(SELECTION_EMPTIED);
}

void TBasicGraphSelection::EnableSelectionEvents(bool Enable) {
    if (Enable == FEvents) return;
    FEvents = Enable;
    if (Enable) Fire(SELECTION_CHANGED);
}

void TBasicGraphSelection::ProcessSelectionEvent(IGraphSelectionEvent* E) {
    if (FEvents && FSelectionListeners->HasListeners()) FSelectionListeners->Dispatch(E);
}

// --- TNullGraphSelection -------------------------------------------------------------

HRESULT TNullGraphSelection::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableGraphSelection, IGraphSelection>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterfaceList> TNullGraphSelection::GetAll() {
    return InterfacePtr<IInterfaceList>(new TInterfaceList);
}
