// Selections: the items of a view that the user has selected, kept apart
// from the model. Vector selections hold integer locations, graph selections
// IGraphLocation references. The list forms Add2 and Remove2 take lists of
// IIndexObject (vector) or of locations (graph).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEModel.h"

#include <runpak/Set.h>

// How a click or key changes a selection.
enum TSelectFlag {
    sfClear,
    sfAddItem,
    sfRemoveItem,
    sfToggleItem,
    sfAddRange,
    sfRemoverange,
    sfResetAnchor
};
using TSelectFlags = TSet<TSelectFlag, 8>;

// Change codes; the event's id is the code and $F000.
enum : int {
    SELECTION_ITEM_ADDED = 0x1001,
    SELECTION_ITEM_REMOVED = 0x1002,
    SELECTION_RANGE_ADDED = 0x2001,
    SELECTION_RANGE_REMOVED = 0x2002,
    SELECTION_EMPTIED = 0x3001,
    SELECTION_CHANGED = 0x3002,
    SELECTION_ITEM_CHANGED_ID = 0x1000,
    SELECTION_RANGE_CHANGED_ID = 0x2000,
    SELECTION_CHANGED_ID = 0x3000,
};

struct ISelectionEvent : virtual IDispatchableEvent {
    static constexpr InterfaceID<ISelectionEvent> IID_{"{7861BFB0-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual int GetId() = 0;
    virtual int GetChange() = 0;

protected:
    ~ISelectionEvent() = default;
};

// --- Vector selections ----------------------------------------------------------------

struct IVectorSelectionEvent;

struct IVectorSelectionListener : virtual IEventListener {
    static constexpr InterfaceID<IVectorSelectionListener> IID_{
        "{EBDF7DD0-F955-11D0-9AD3-0000C0091B45}"};
    virtual void SelectionItemChanged(IVectorSelectionEvent* E) = 0;
    virtual void SelectionRangeChanged(IVectorSelectionEvent* E) = 0;
    virtual void SelectionChanged(IVectorSelectionEvent* E) = 0;

protected:
    ~IVectorSelectionListener() = default;
};

struct IVectorSelection : virtual IInterface {
    static constexpr InterfaceID<IVectorSelection> IID_{"{EBDF7DD1-F955-11D0-9AD3-0000C0091B45}"};
    virtual bool Contains(int Location) = 0;
    virtual int GetCount() = 0;
    // A new list of IIndexObject, in selection order.
    virtual InterfacePtr<IInterfaceList> GetAll() = 0;
    virtual void AddSelectionListener(IVectorSelectionListener* Listener) = 0;
    virtual void RemoveSelectionListener(IVectorSelectionListener* Listener) = 0;

protected:
    ~IVectorSelection() = default;
};

struct IWritableVectorSelection : virtual IVectorSelection {
    static constexpr InterfaceID<IWritableVectorSelection> IID_{
        "{EBDF7DD3-F955-11D0-9AD3-0000C0091B45}"};
    virtual void Put(IInterfaceList* Locations) = 0;
    virtual void Add(int Location) = 0;
    virtual void Add2(IInterfaceList* Locations) = 0;
    virtual void AddRange(int First, int Last) = 0;
    virtual void Remove(int Location) = 0;
    virtual void Remove2(IInterfaceList* Locations) = 0;
    virtual void RemoveRange(int First, int Last) = 0;
    virtual void RemoveAll() = 0;
    virtual void EnableSelectionEvents(bool Enable) = 0;

protected:
    ~IWritableVectorSelection() = default;
};

struct IVectorSelectionEvent : virtual ISelectionEvent {
    static constexpr InterfaceID<IVectorSelectionEvent> IID_{
        "{7861BFB5-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IVectorSelection> GetSelection() = 0;
    virtual int GetLocation() = 0;
    virtual int GetRangeStart() = 0;
    virtual int GetRangeEnd() = 0;

protected:
    ~IVectorSelectionEvent() = default;
};

struct IVectorSelectionMulticaster : virtual IVectorSelectionListener {
    static constexpr InterfaceID<IVectorSelectionMulticaster> IID_{
        "{CD8637D3-044E-11D1-AE93-0020AF32BB01}"};
    virtual void Add(IVectorSelectionListener* Listener) = 0;
    virtual void Remove(IVectorSelectionListener* Listener) = 0;

protected:
    ~IVectorSelectionMulticaster() = default;
};

// --- Graph selections -----------------------------------------------------------------

struct IGraphSelectionEvent;

struct IGraphSelectionListener : virtual IEventListener {
    static constexpr InterfaceID<IGraphSelectionListener> IID_{
        "{BE4B2033-FEF2-11D0-AE8B-0020AF32BB01}"};
    virtual void SelectionItemChanged(IGraphSelectionEvent* E) = 0;
    virtual void SelectionChanged(IGraphSelectionEvent* E) = 0;

protected:
    ~IGraphSelectionListener() = default;
};

struct IGraphSelection : virtual IInterface {
    static constexpr InterfaceID<IGraphSelection> IID_{"{EBC71563-FEAB-11D0-8415-00A0248E4C5A}"};
    virtual bool Contains(IGraphLocation* Location) = 0;
    virtual int GetCount() = 0;
    virtual InterfacePtr<IInterfaceList> GetAll() = 0;
    virtual void AddSelectionListener(IGraphSelectionListener* Listener) = 0;
    virtual void RemoveSelectionListener(IGraphSelectionListener* Listener) = 0;

protected:
    ~IGraphSelection() = default;
};

struct IWritableGraphSelection : virtual IGraphSelection {
    static constexpr InterfaceID<IWritableGraphSelection> IID_{
        "{568C10E2-FEB5-11D0-8415-00A0248E4C5A}"};
    virtual void Put(IInterfaceList* Locations) = 0;
    virtual void Add(IGraphLocation* Location) = 0;
    virtual void Add2(IInterfaceList* Locations) = 0;
    virtual void Remove(IGraphLocation* Location) = 0;
    virtual void Remove2(IInterfaceList* Locations) = 0;
    virtual void RemoveAll() = 0;
    virtual void EnableSelectionEvents(bool Enable) = 0;

protected:
    ~IWritableGraphSelection() = default;
};

struct IGraphSelectionEvent : virtual ISelectionEvent {
    static constexpr InterfaceID<IGraphSelectionEvent> IID_{
        "{7861BFB8-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IGraphSelection> GetSelection() = 0;
    virtual InterfacePtr<IGraphLocation> GetLocation() = 0;

protected:
    ~IGraphSelectionEvent() = default;
};

struct IGraphSelectionMulticaster : virtual IGraphSelectionListener {
    static constexpr InterfaceID<IGraphSelectionMulticaster> IID_{
        "{A32F2E72-07B5-11D1-AE96-0020AF32BB01}"};
    virtual void Add(IGraphSelectionListener* Listener) = 0;
    virtual void Remove(IGraphSelectionListener* Listener) = 0;

protected:
    ~IGraphSelectionMulticaster() = default;
};

#pragma GCC visibility pop
