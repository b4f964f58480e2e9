#include "benchkit/mvc/IDESelectionImpl.h"

HRESULT TSelectionEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ISelectionEvent>(this, iid, out)) return S_OK;
    return TDispatchableEvent::QueryInterface(iid, out);
}

TBasicSelection::TBasicSelection()
    : FArray(new TInterfaceList), FSelectionListeners(new TEventMulticaster) {}

TBasicSelection::~TBasicSelection() {
    delete FSelectionListeners;
}

bool TBasicSelection::DoAdd(IInterface* Item) {
    if (IndexOfItem(Item) >= 0) return false;
    FArray->Add(Item);
    return true;
}

bool TBasicSelection::DoRemove(IInterface* Item) {
    int index = IndexOfItem(Item);
    if (index < 0) return false;
    FArray->Delete(index);
    return true;
}

bool TBasicSelection::DoRemoveAll() {
    if (FArray->GetCount() == 0) return false;
    FArray->Clear();
    return true;
}
