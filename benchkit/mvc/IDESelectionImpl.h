// The base of selection events and of the list-backed selections.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEMulticast.h"
#include "benchkit/mvc/IDESelection.h"

// The id is the change code and $F000: $1000 one item, $2000 a range, $3000
// the whole selection.
class TSelectionEvent : public TDispatchableEvent, public virtual ISelectionEvent {
public:
    TSelectionEvent(IInterface* Source, int Change) : TDispatchableEvent(Source), FChange(Change) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int GetId() override { return FChange & 0xF000; }
    int GetChange() override { return FChange; }

protected:
    int FChange;
};

// The selected items in selection order, each once.
class TBasicSelection : public TInterfacedObject {
public:
    TBasicSelection();
    ~TBasicSelection() override;

    virtual int GetCount() { return FArray->GetCount(); }

protected:
    // Appends Item unless present; answers whether it did.
    virtual bool DoAdd(IInterface* Item);
    // Deletes Item when present; answers whether it did.
    virtual bool DoRemove(IInterface* Item);
    // Empties a non-empty list; answers whether there was anything.
    virtual bool DoRemoveAll();
    // Where Item is, -1 when absent: the same object.
    virtual int IndexOfItem(IInterface* Item) { return FArray->IndexOf(Item); }

    InterfacePtr<IInterfaceList> FArray;
    TEventMulticaster* FSelectionListeners;
    bool FEvents = true;
};

#pragma GCC visibility pop
