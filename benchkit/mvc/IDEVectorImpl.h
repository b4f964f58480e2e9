// The list-shaped model: a writable vector of interface items addressed by
// index, with its events, adapters and multicasters, and the selections of
// integer locations.
//
// Vector change codes (id = code and 15):
//   2 structure  SetItems, RemoveAll, EnableModelEvents(true)   location 0
//   17 content   Put                                            the index written
//   18 structure AddItem, InsertItem                            the new item's index
//   33 content   Touched                                        the index touched
//   34 structure Remove                                         the index removed
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEModelImpl.h"
#include "benchkit/mvc/IDESelectionImpl.h"
#include "benchkit/mvc/IDESubfocusImpl.h"
#include "benchkit/mvc/IDEUtil.h"

#include <memory>

enum : int {
    VECTOR_CHANGED = 2,
    VECTOR_ITEM_PUT = 0x11,
    VECTOR_ITEM_ADDED = 0x12,
    VECTOR_ITEM_TOUCHED = 0x21,
    VECTOR_ITEM_REMOVED = 0x22,
};

// --- Model ----------------------------------------------------------------------------

class TVectorModelEvent : public TModelEvent, public virtual IVectorModelEvent {
public:
    TVectorModelEvent(IVectorModel* Model, int Change, int Location = 0)
        : TModelEvent(Model, Change), FModel(Model), FChange(Change), FLocation(Location) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IVectorModel> GetModel() override { return FModel; }
    int GetChange() override { return FChange; }
    int GetLocation() override { return FLocation; }
    // ModelContentChanged for id 1, ModelStructureChanged for id 2.
    void Dispatch(IEventListener* Listener) override;

private:
    InterfacePtr<IVectorModel> FModel;
    int FChange, FLocation;
};

class TVectorSubfocusEvent : public TSubfocusEvent,
                             public virtual IVectorSubfocusEvent,
                             public IVetoableDispatch {
public:
    TVectorSubfocusEvent(IInterface* Source, int Id, int Location)
        : TSubfocusEvent(Source, Id), FLocation(Location) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int GetLocation() override { return FLocation; }
    // SubfocusChanging: the listener may refuse with EVetoException.
    void VetoableDispatch(IEventListener* Listener) override;
    // SubfocusChanged.
    void Dispatch(IEventListener* Listener) override;

private:
    int FLocation;
};

class TVectorModelAdapter : public TInterfacedObject, public IVectorModelListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void ModelStructureChanged(IVectorModelEvent* E) override {}
    void ModelContentChanged(IVectorModelEvent* E) override {}
};

class TVectorSubfocusAdapter : public TInterfacedObject, public IVectorSubfocusListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void SubfocusChanging(IVectorSubfocusEvent* E) override {}
    void SubfocusChanged(IVectorSubfocusEvent* E) override {}
};

class TVectorModelMulticaster : public TInterfacedObject, public IVectorModelMulticaster {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void ModelStructureChanged(IVectorModelEvent* E) override;
    void ModelContentChanged(IVectorModelEvent* E) override;
    virtual int Find(IVectorModelListener* Listener) { return FListeners.Find(Listener); }

    bool HasListeners() const { return FListeners.HasListeners(); }
    void Dispatch(IVectorModelEvent* E);
    void Add(IVectorModelListener* Listener) override { FListeners.Add(Listener); }
    void Remove(IVectorModelListener* Listener) override { FListeners.Remove(Listener); }

private:
    TListenerList FListeners;
};

// Items may be nil. A fixed-size container refuses AddItem, InsertItem,
// Remove, RemoveAll and SetCount silently, but Put still works.
class TBasicVectorContainer : public TInterfacedObject, public IWritableVectorModel {
public:
    TBasicVectorContainer();
    // Capacity for Size items.
    explicit TBasicVectorContainer(int Size);
    // Both start empty, as the default construction does: neither the Size
    // copies of Data nor NewArray become items.
    TBasicVectorContainer(int Size, IInterface* Data);
    explicit TBasicVectorContainer(IInterfaceList* NewArray);
    ~TBasicVectorContainer() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;

    // A copy of the items.
    virtual InterfacePtr<IInterfaceList> GetItems();
    // The items become a copy of NewItems; fires 2.
    virtual void SetItems(IInterfaceList* NewItems);
    // Nil for an index out of range.
    InterfacePtr<IInterface> Get(int Index) override;
    int GetCount() override { return FArray->GetCount(); }
    int Find(IInterface* Data) override { return FArray->IndexOf(Data); }
    // Pads with nil items or cuts from the end; fires nothing.
    virtual void SetCount(int Count);
    void AddModelListener(IVectorModelListener* Listener) override;
    void RemoveModelListener(IVectorModelListener* Listener) override;
    bool CanModify(int Index) override { return Index < GetCount(); }
    // EListError for an index out of range.
    void Put(int Index, IInterface* Data) override;
    void Touched(int Index) override;
    bool IsVariableSize() override { return FVariableSize; }
    virtual void SetVariableSize(bool Variable) { FVariableSize = Variable; }
    void AddItem(IInterface* Data) override;
    void InsertItem(int AheadOf, IInterface* Data) override;
    void Remove(int Index) override;
    void RemoveAll() override;
    // Turning events back on fires 2 so that listeners resynchronise.
    void EnableModelEvents(bool Enable) override;
    // Every change passes here: delivered when events are on and someone listens.
    virtual void ProcessModelEvent(IVectorModelEvent* E);
    // The live list.
    virtual IInterfaceList* GetArray() { return FArray.Get(); }

protected:
    void Fire(int Change, int Location = 0);

    InterfacePtr<IInterfaceList> FArray;
    bool FVariableSize = true;
    std::unique_ptr<TEventMulticaster> FModelListeners;
    bool FEvents = true;
};

// --- Selections -----------------------------------------------------------------------

class TVectorSelectionEvent : public TSelectionEvent, public virtual IVectorSelectionEvent {
public:
    TVectorSelectionEvent(IVectorSelection* Selection, int Change)
        : TVectorSelectionEvent(Selection, Change, 0, 0) {}
    TVectorSelectionEvent(IVectorSelection* Selection, int Change, int Location)
        : TVectorSelectionEvent(Selection, Change, Location, Location) {}
    // The location is RangeStart.
    TVectorSelectionEvent(IVectorSelection* Selection, int Change, int RangeStart, int RangeEnd)
        : TSelectionEvent(Selection, Change), FSelection(Selection), FLocation(RangeStart),
          FRangeStart(RangeStart), FRangeEnd(RangeEnd) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IVectorSelection> GetSelection() override { return FSelection; }
    int GetLocation() override { return FLocation; }
    int GetRangeStart() override { return FRangeStart; }
    int GetRangeEnd() override { return FRangeEnd; }
    // $1000 SelectionItemChanged, $2000 SelectionRangeChanged, $3000 SelectionChanged.
    void Dispatch(IEventListener* Listener) override;

private:
    InterfacePtr<IVectorSelection> FSelection;
    int FLocation, FRangeStart, FRangeEnd;
};

class TVectorSelectionMulticaster : public TInterfacedObject, public IVectorSelectionMulticaster {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void SelectionItemChanged(IVectorSelectionEvent* E) override;
    void SelectionRangeChanged(IVectorSelectionEvent* E) override;
    void SelectionChanged(IVectorSelectionEvent* E) override;
    virtual int Find(IVectorSelectionListener* Listener) { return FListeners.Find(Listener); }

    bool HasListeners() const { return FListeners.HasListeners(); }
    void Dispatch(IVectorSelectionEvent* E);
    void Add(IVectorSelectionListener* Listener) override { FListeners.Add(Listener); }
    void Remove(IVectorSelectionListener* Listener) override { FListeners.Remove(Listener); }

private:
    TListenerList FListeners;
};

// At most one location; every addition that changes it fires $3002, every
// removal $3001.
class TSingleVectorSelection : public TInterfacedObject, public IWritableVectorSelection {
public:
    TSingleVectorSelection();
    explicit TSingleVectorSelection(int Location);
    ~TSingleVectorSelection() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool Contains(int Location) override { return FIndex >= 0 && Location == FIndex; }
    int GetCount() override { return FIndex >= 0 ? 1 : 0; }
    InterfacePtr<IInterfaceList> GetAll() override;
    void AddSelectionListener(IVectorSelectionListener* Listener) override;
    void RemoveSelectionListener(IVectorSelectionListener* Listener) override;
    // Put, Add2: the first location of a non-empty list counts.
    void Put(IInterfaceList* Locations) override;
    void Add(int Location) override;
    void Add2(IInterfaceList* Locations) override;
    // Last becomes the selection.
    void AddRange(int First, int Last) override;
    void Remove(int Location) override;
    // The first listed location equal to the selection deselects it.
    void Remove2(IInterfaceList* Locations) override;
    void RemoveRange(int First, int Last) override;
    void RemoveAll() override;
    void EnableSelectionEvents(bool Enable) override;
    virtual void ProcessSelectionEvent(IVectorSelectionEvent* E);

private:
    void Select(int Location);
    void Deselect();

    int FIndex = -1;
    TEventMulticaster* FSelectionListeners;
    bool FEvents = true;
};

// Any number of locations, kept as TIntegerObject items; membership goes by
// location value.
class TBasicVectorSelection : public TBasicSelection, public IWritableVectorSelection {
public:
    TBasicVectorSelection() = default;
    // The locations of NewSet selected, without an event.
    explicit TBasicVectorSelection(IInterfaceList* NewSet);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool Contains(int Location) override { return IndexOfLocation(Location) >= 0; }
    int GetCount() override { return TBasicSelection::GetCount(); }
    // New TIntegerObject copies, in selection order.
    InterfacePtr<IInterfaceList> GetAll() override;
    void AddSelectionListener(IVectorSelectionListener* Listener) override;
    void RemoveSelectionListener(IVectorSelectionListener* Listener) override;
    // Replaces the selection by Locations (duplicates kept); always fires $3002.
    void Put(IInterfaceList* Locations) override;
    void Add(int Location) override;
    void Add2(IInterfaceList* Locations) override;
    // Every index between the two, in either order; one $2001 with the
    // range as given.
    void AddRange(int First, int Last) override;
    void Remove(int Location) override;
    void Remove2(IInterfaceList* Locations) override;
    void RemoveRange(int First, int Last) override;
    void RemoveAll() override;
    void EnableSelectionEvents(bool Enable) override;
    virtual void ProcessSelectionEvent(IVectorSelectionEvent* E);

private:
    int IndexOfLocation(int Location);
    bool AddLocation(int Location);
    bool RemoveLocation(int Location);
    void DoPut(IInterfaceList* Locations);
    void Fire(int Change, int RangeStart = 0, int RangeEnd = 0);
};

// Always empty; changes do nothing.
class TNullVectorSelection : public TInterfacedObject, public IWritableVectorSelection {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool Contains(int Location) override { return false; }
    int GetCount() override { return 0; }
    InterfacePtr<IInterfaceList> GetAll() override;
    void AddSelectionListener(IVectorSelectionListener* Listener) override {}
    void RemoveSelectionListener(IVectorSelectionListener* Listener) override {}
    void Put(IInterfaceList* Locations) override {}
    void Add(int Location) override {}
    void Add2(IInterfaceList* Locations) override {}
    void AddRange(int First, int Last) override {}
    void Remove(int Location) override {}
    void Remove2(IInterfaceList* Locations) override {}
    void RemoveRange(int First, int Last) override {}
    void RemoveAll() override {}
    void EnableSelectionEvents(bool Enable) override {}
};

#pragma GCC visibility pop
