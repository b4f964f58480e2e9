#include "benchkit/mvc/IDEVectorImpl.h"

#include <algorithm>

namespace {

int LocationOf(IInterface* Item) {
    return InterfaceCast<IIndexObject>(Item)->GetIndex();
}

InterfacePtr<IInterface> NewLocation(int Location) {
    return static_cast<IIndexObject*>(new TIntegerObject(Location));
}

} // namespace

// --- Event and multicaster -----------------------------------------------------------

HRESULT TVectorSelectionEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorSelectionEvent>(this, iid, out)) return S_OK;
    return TSelectionEvent::QueryInterface(iid, out);
}

void TVectorSelectionEvent::Dispatch(IEventListener* Listener) {
    InterfacePtr<IVectorSelectionListener> listener =
        ListenerAs<IVectorSelectionListener>(Listener);
    switch (GetId()) {
    case SELECTION_ITEM_CHANGED_ID:
        listener->SelectionItemChanged(this);
        break;
    case SELECTION_RANGE_CHANGED_ID:
        listener->SelectionRangeChanged(this);
        break;
    case SELECTION_CHANGED_ID:
        listener->SelectionChanged(this);
        break;
    default:
        break;
    }
}

HRESULT TVectorSelectionMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVectorSelectionMulticaster, IVectorSelectionListener, IEventListener>(
            this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TVectorSelectionMulticaster::SelectionItemChanged(IVectorSelectionEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TVectorSelectionMulticaster::SelectionRangeChanged(IVectorSelectionEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TVectorSelectionMulticaster::SelectionChanged(IVectorSelectionEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TVectorSelectionMulticaster::Dispatch(IVectorSelectionEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IVectorSelectionListener>(snapshot.Get(), [E](IVectorSelectionListener* l) {
        switch (E->GetId()) {
        case SELECTION_ITEM_CHANGED_ID:
            l->SelectionItemChanged(E);
            break;
        case SELECTION_RANGE_CHANGED_ID:
            l->SelectionRangeChanged(E);
            break;
        case SELECTION_CHANGED_ID:
            l->SelectionChanged(E);
            break;
        default:
            break;
        }
    });
}

// --- TSingleVectorSelection ----------------------------------------------------------

TSingleVectorSelection::TSingleVectorSelection() : FSelectionListeners(new TEventMulticaster) {}

TSingleVectorSelection::TSingleVectorSelection(int Location) : TSingleVectorSelection() {
    FIndex = Location;
}

TSingleVectorSelection::~TSingleVectorSelection() {
    delete FSelectionListeners;
}

HRESULT TSingleVectorSelection::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableVectorSelection, IVectorSelection>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterfaceList> TSingleVectorSelection::GetAll() {
    InterfacePtr<IInterfaceList> list(new TInterfaceList);
    if (FIndex >= 0) list->Add(NewLocation(FIndex).Get());
    return list;
}

void TSingleVectorSelection::AddSelectionListener(IVectorSelectionListener* Listener) {
    FSelectionListeners->Add(Listener);
}

void TSingleVectorSelection::RemoveSelectionListener(IVectorSelectionListener* Listener) {
    FSelectionListeners->Remove(Listener);
}

void TSingleVectorSelection::Select(int Location) {
    if (Location == FIndex) return;
    FIndex = Location;
    InterfacePtr<IVectorSelectionEvent> event(new TVectorSelectionEvent(this, SELECTION_CHANGED));
    ProcessSelectionEvent(event.Get());
}

void TSingleVectorSelection::Deselect() {
    FIndex = -1;
    InterfacePtr<IVectorSelectionEvent> event(new TVectorSelectionEvent(this, SELECTION_EMPTIED));
    ProcessSelectionEvent(event.Get());
}

void TSingleVectorSelection::Put(IInterfaceList* Locations) {
    Add2(Locations);
}

void TSingleVectorSelection::Add(int Location) {
    Select(Location);
}

void TSingleVectorSelection::Add2(IInterfaceList* Locations) {
    if (Locations->GetCount() > 0) Select(LocationOf(Locations->Get(0).Get()));
}

void TSingleVectorSelection::AddRange(int First, int Last) {
    Select(Last);
}

void TSingleVectorSelection::Remove(int Location) {
    if (FIndex >= 0 && Location == FIndex) Deselect();
}

void TSingleVectorSelection::Remove2(IInterfaceList* Locations) {
    if (FIndex < 0) return;
    for (int i = 0; i < Locations->GetCount(); ++i) {
        if (LocationOf(Locations->Get(i).Get()) == FIndex) {
            Deselect();
            return;
        }
    }
}

void TSingleVectorSelection::RemoveRange(int First, int Last) {
    if (FIndex >= 0 && First <= FIndex && FIndex <= Last) Deselect();
}

void TSingleVectorSelection::RemoveAll() {
    if (FIndex >= 0) Deselect();
}

void TSingleVectorSelection::EnableSelectionEvents(bool Enable) {
    if (Enable == FEvents) return;
    FEvents = Enable;
    if (!Enable) return;
    InterfacePtr<IVectorSelectionEvent> event(new TVectorSelectionEvent(this, SELECTION_CHANGED));
    ProcessSelectionEvent(event.Get());
}

void TSingleVectorSelection::ProcessSelectionEvent(IVectorSelectionEvent* E) {
    if (FEvents && FSelectionListeners->HasListeners()) FSelectionListeners->Dispatch(E);
}

// --- TBasicVectorSelection -----------------------------------------------------------

TBasicVectorSelection::TBasicVectorSelection(IInterfaceList* NewSet) {
    // Nobody can listen yet, and firing from a constructor would release the
    // object before anyone holds it.
    DoPut(NewSet);
}

HRESULT TBasicVectorSelection::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableVectorSelection, IVectorSelection>(this, iid, out)) return S_OK;
    return TBasicSelection::QueryInterface(iid, out);
}

int TBasicVectorSelection::IndexOfLocation(int Location) {
    for (int i = 0; i < FArray->GetCount(); ++i)
        if (LocationOf(FArray->Get(i).Get()) == Location) return i;
    return -1;
}

bool TBasicVectorSelection::AddLocation(int Location) {
    if (IndexOfLocation(Location) >= 0) return false;
    FArray->Add(NewLocation(Location).Get());
    return true;
}

bool TBasicVectorSelection::RemoveLocation(int Location) {
    int index = IndexOfLocation(Location);
    if (index < 0) return false;
    FArray->Delete(index);
    return true;
}

void TBasicVectorSelection::Fire(int Change, int RangeStart, int RangeEnd) {
    InterfacePtr<IVectorSelectionEvent> event(
        new TVectorSelectionEvent(this, Change, RangeStart, RangeEnd));
    ProcessSelectionEvent(event.Get());
}

InterfacePtr<IInterfaceList> TBasicVectorSelection::GetAll() {
    InterfacePtr<IInterfaceList> list(new TInterfaceList);
    for (int i = 0; i < FArray->GetCount(); ++i)
        list->Add(NewLocation(LocationOf(FArray->Get(i).Get())).Get());
    return list;
}

void TBasicVectorSelection::AddSelectionListener(IVectorSelectionListener* Listener) {
    FSelectionListeners->Add(Listener);
}

void TBasicVectorSelection::RemoveSelectionListener(IVectorSelectionListener* Listener) {
    FSelectionListeners->Remove(Listener);
}

void TBasicVectorSelection::DoPut(IInterfaceList* Locations) {
    FArray->Clear();
    for (int i = 0; i < Locations->GetCount(); ++i)
        FArray->Add(NewLocation(LocationOf(Locations->Get(i).Get())).Get());
}

void TBasicVectorSelection::Put(IInterfaceList* Locations) {
    DoPut(Locations);
    Fire(SELECTION_CHANGED);
}

void TBasicVectorSelection::Add(int Location) {
    if (AddLocation(Location)) Fire(SELECTION_ITEM_ADDED, Location, Location);
}

void TBasicVectorSelection::Remove(int Location) {
    if (RemoveLocation(Location)) Fire(SELECTION_ITEM_REMOVED, Location, Location);
}

void TBasicVectorSelection::Add2(IInterfaceList* Locations) {
    bool changed = false;
    for (int i = 0; i < Locations->GetCount(); ++i)
        changed |= AddLocation(LocationOf(Locations->Get(i).Get()));
    if (changed) Fire(SELECTION_CHANGED);
}

void TBasicVectorSelection::Remove2(IInterfaceList* Locations) {
    bool changed = false;
    for (int i = 0; i < Locations->GetCount(); ++i)
        changed |= RemoveLocation(LocationOf(Locations->Get(i).Get()));
    if (changed) Fire(SELECTION_CHANGED);
}

void TBasicVectorSelection::AddRange(int First, int Last) {
    bool changed = false;
    for (long long i = std::min(First, Last); i <= std::max(First, Last); ++i)
        changed |= AddLocation(int(i));
    if (changed) Fire(SELECTION_RANGE_ADDED, First, Last);
}

void TBasicVectorSelection::RemoveRange(int First, int Last) {
    bool changed = false;
    for (long long i = std::min(First, Last); i <= std::max(First, Last); ++i)
        changed |= RemoveLocation(int(i));
    if (changed) Fire(SELECTION_RANGE_REMOVED, First, Last);
}

void TBasicVectorSelection::RemoveAll() {
    if (DoRemoveAll()) Fire(SELECTION_EMPTIED);
}

void TBasicVectorSelection::EnableSelectionEvents(bool Enable) {
    if (Enable == FEvents) return;
    FEvents = Enable;
    if (Enable) Fire(SELECTION_CHANGED);
}

void TBasicVectorSelection::ProcessSelectionEvent(IVectorSelectionEvent* E) {
    if (FEvents && FSelectionListeners->HasListeners()) FSelectionListeners->Dispatch(E);
}

// --- TNullVectorSelection ------------------------------------------------------------

HRESULT TNullVectorSelection::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableVectorSelection, IVectorSelection>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterfaceList> TNullVectorSelection::GetAll() {
    return InterfacePtr<IInterfaceList>(new TInterfaceList);
}
