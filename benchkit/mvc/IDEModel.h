// Models and their events. Every change of a model is announced by an event
// carrying a change code; the event's id is the code and 15: 1 for a content
// change, 2 for a structure change.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEEvent.h"

#include <runpak/InterfaceList.h>

#include <vector>

enum TTriState { tsNo, tsYes, tsUnknown };

enum : int { MODEL_CONTENT_CHANGED = 1, MODEL_STRUCTURE_CHANGED = 2 };

struct IModelEvent : virtual IDispatchableEvent {
    static constexpr InterfaceID<IModelEvent> IID_{"{7861BFAF-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual int GetId() = 0;

protected:
    ~IModelEvent() = default;
};

// --- Singleton model ------------------------------------------------------------------

struct ISingletonModelEvent;

struct ISingletonModelListener : virtual IEventListener {
    static constexpr InterfaceID<ISingletonModelListener> IID_{
        "{AB3EB0C1-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void ModelContentChanged(ISingletonModelEvent* E) = 0;

protected:
    ~ISingletonModelListener() = default;
};

struct ISingletonModelMulticaster : virtual ISingletonModelListener {
    static constexpr InterfaceID<ISingletonModelMulticaster> IID_{
        "{AB3EB0D0-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void Add(ISingletonModelListener* Listener) = 0;
    virtual void Remove(ISingletonModelListener* Listener) = 0;

protected:
    ~ISingletonModelMulticaster() = default;
};

struct ISingletonModel : virtual IInterface {
    static constexpr InterfaceID<ISingletonModel> IID_{"{AB3EB0C2-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual InterfacePtr<IInterface> Get() = 0;
    virtual void AddModelListener(ISingletonModelListener* Listener) = 0;
    virtual void RemoveModelListener(ISingletonModelListener* Listener) = 0;

protected:
    ~ISingletonModel() = default;
};

struct IWritableSingletonModel : virtual ISingletonModel {
    static constexpr InterfaceID<IWritableSingletonModel> IID_{
        "{AB3EB0C3-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual bool CanModify() = 0;
    virtual void Put(IInterface* Data) = 0;
    virtual void Touched() = 0;
    virtual void EnableModelEvents(bool Enable) = 0;

protected:
    ~IWritableSingletonModel() = default;
};

struct ISingletonModelEvent : virtual IModelEvent {
    static constexpr InterfaceID<ISingletonModelEvent> IID_{
        "{7861BFB2-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<ISingletonModel> GetModel() = 0;

protected:
    ~ISingletonModelEvent() = default;
};

// --- Vector model ---------------------------------------------------------------------

struct IVectorModelEvent;

struct IVectorModelListener : virtual IEventListener {
    static constexpr InterfaceID<IVectorModelListener> IID_{
        "{AB3EB0CF-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void ModelStructureChanged(IVectorModelEvent* E) = 0;
    virtual void ModelContentChanged(IVectorModelEvent* E) = 0;

protected:
    ~IVectorModelListener() = default;
};

struct IVectorModel : virtual IInterface {
    static constexpr InterfaceID<IVectorModel> IID_{"{AB3EB0CE-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual InterfacePtr<IInterface> Get(int Index) = 0;
    virtual int GetCount() = 0;
    virtual int Find(IInterface* Data) = 0;
    virtual void AddModelListener(IVectorModelListener* Listener) = 0;
    virtual void RemoveModelListener(IVectorModelListener* Listener) = 0;

protected:
    ~IVectorModel() = default;
};

struct IWritableVectorModel : virtual IVectorModel {
    static constexpr InterfaceID<IWritableVectorModel> IID_{
        "{AB3EB0D3-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual bool CanModify(int Index) = 0;
    virtual void Put(int Index, IInterface* Data) = 0;
    virtual void Touched(int Index) = 0;
    virtual bool IsVariableSize() = 0;
    virtual void AddItem(IInterface* Data) = 0;
    virtual void InsertItem(int AheadOf, IInterface* Data) = 0;
    virtual void Remove(int Index) = 0;
    virtual void RemoveAll() = 0;
    virtual void EnableModelEvents(bool Enable) = 0;

protected:
    ~IWritableVectorModel() = default;
};

struct IVectorModelEvent : virtual IModelEvent {
    static constexpr InterfaceID<IVectorModelEvent> IID_{"{7861BFB3-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IVectorModel> GetModel() = 0;
    virtual int GetChange() = 0;
    virtual int GetLocation() = 0;

protected:
    ~IVectorModelEvent() = default;
};

struct IVectorModelMulticaster : virtual IVectorModelListener {
    static constexpr InterfaceID<IVectorModelMulticaster> IID_{
        "{CD8637D1-044E-11D1-AE93-0020AF32BB01}"};
    virtual void Add(IVectorModelListener* Listener) = 0;
    virtual void Remove(IVectorModelListener* Listener) = 0;

protected:
    ~IVectorModelMulticaster() = default;
};

// --- Graph model ----------------------------------------------------------------------

// One node of a graph model.
struct IGraphLocation : virtual IInterface {
    static constexpr InterfaceID<IGraphLocation> IID_{"{2EEFC3B0-01CF-11D1-9ADA-0000C0091B45}"};
    virtual InterfacePtr<IGraphLocation> GetParent() = 0;
    // A node that cannot tell without work may answer tsUnknown; views treat
    // every answer but tsNo as "has children".
    virtual TTriState HasChildren() = 0;
    virtual InterfacePtr<IInterfaceList> GetChildren() = 0;

protected:
    ~IGraphLocation() = default;
};

using TIGraphLocations = std::vector<InterfacePtr<IGraphLocation>>;

struct IGraphModelEvent;

struct IGraphModelListener : virtual IEventListener {
    static constexpr InterfaceID<IGraphModelListener> IID_{
        "{B66767E5-FED2-11D0-AE8B-0020AF32BB01}"};
    virtual void ModelStructureChanged(IGraphModelEvent* E) = 0;
    virtual void ModelContentChanged(IGraphModelEvent* E) = 0;

protected:
    ~IGraphModelListener() = default;
};

struct IGraphModel : virtual IInterface {
    static constexpr InterfaceID<IGraphModel> IID_{"{B66767E0-FED2-11D0-AE8B-0020AF32BB01}"};
    virtual InterfacePtr<IGraphLocation> GetRoot() = 0;
    virtual InterfacePtr<IInterface> Get(IGraphLocation* Location) = 0;
    virtual InterfacePtr<IGraphLocation> Find(IInterface* Data) = 0;
    virtual void AddModelListener(IGraphModelListener* Listener) = 0;
    virtual void RemoveModelListener(IGraphModelListener* Listener) = 0;

protected:
    ~IGraphModel() = default;
};

struct IWritableGraphModel : virtual IGraphModel {
    static constexpr InterfaceID<IWritableGraphModel> IID_{
        "{568C10E0-FEB5-11D0-8415-00A0248E4C5A}"};
    virtual InterfacePtr<IGraphLocation> SetRoot(IInterface* Data) = 0;
    virtual bool CanModify(IGraphLocation* Location) = 0;
    virtual void Put(IGraphLocation* Location, IInterface* Data) = 0;
    virtual void Touched(IGraphLocation* Location) = 0;
    virtual bool IsVariableSize() = 0;
    virtual InterfacePtr<IGraphLocation> AddChild(IGraphLocation* Parent, IInterface* Data) = 0;
    virtual InterfacePtr<IGraphLocation> InsertChild(IGraphLocation* Parent,
                                                     IGraphLocation* AheadOf, IInterface* Data) = 0;
    virtual void RemoveChildren(IGraphLocation* Parent) = 0;
    virtual void Remove(IGraphLocation* Location) = 0;
    virtual void RemoveAll() = 0;
    virtual void EnableModelEvents(bool Enable) = 0;

protected:
    ~IWritableGraphModel() = default;
};

struct IGraphModelEvent : virtual IModelEvent {
    static constexpr InterfaceID<IGraphModelEvent> IID_{"{7861BFB6-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IGraphModel> GetModel() = 0;
    virtual int GetChange() = 0;
    virtual InterfacePtr<IGraphLocation> GetLocation() = 0;

protected:
    ~IGraphModelEvent() = default;
};

struct IGraphModelMulticaster : virtual IGraphModelListener {
    static constexpr InterfaceID<IGraphModelMulticaster> IID_{
        "{A32F2E71-07B5-11D1-AE96-0020AF32BB01}"};
    virtual void Add(IGraphModelListener* Listener) = 0;
    virtual void Remove(IGraphModelListener* Listener) = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

protected:
    ~IGraphModelMulticaster() = default;
};

// A listener that wants to know when a batch of changes opens and closes.
struct IBatchUpdate : virtual IInterface {
    static constexpr InterfaceID<IBatchUpdate> IID_{"{61F0EE5D-E50E-11D1-B95E-00C04FB17609}"};
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

protected:
    ~IBatchUpdate() = default;
};

// --- Node capabilities a view may ask of a location -------------------------------------

struct IGraphData : virtual IInterface {
    static constexpr InterfaceID<IGraphData> IID_{"{F0DDFBA3-8EA2-491E-B63D-C6023955E3F6}"};
    virtual InterfacePtr<IInterface> GetData() = 0;
    virtual void SetData(IInterface* Data) = 0;

protected:
    ~IGraphData() = default;
};

struct ILinkedNode : virtual IInterface {
    static constexpr InterfaceID<ILinkedNode> IID_{"{923141FE-4BD0-11D1-9F0F-00A02457621F}"};
    virtual InterfacePtr<IGraphLocation> GetNextSibling() = 0;

protected:
    ~ILinkedNode() = default;
};

struct IStatefulNode : virtual IInterface {
    static constexpr InterfaceID<IStatefulNode> IID_{"{08A70B61-D4FB-11D1-AAEA-00C04FB17A72}"};
    // Whether the node starts expanded.
    virtual bool IsExpanded() = 0;

protected:
    ~IStatefulNode() = default;
};

struct IIsFocusedNode : virtual IInterface {
    static constexpr InterfaceID<IIsFocusedNode> IID_{"{4DB16F79-B626-4A36-A876-4724A7B7A96D}"};
    virtual bool IsFocused() = 0;

protected:
    ~IIsFocusedNode() = default;
};

struct IBatchUpdateHelper : virtual IInterface {
    static constexpr InterfaceID<IBatchUpdateHelper> IID_{"{0C8B8006-E529-11D1-B95E-00C04FB17609}"};
    virtual InterfacePtr<IBatchUpdate> GetBatchUpdate() = 0;

protected:
    ~IBatchUpdateHelper() = default;
};

#pragma GCC visibility pop
