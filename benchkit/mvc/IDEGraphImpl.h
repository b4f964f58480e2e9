// The tree-shaped model that tree views show: linked tree nodes (parent,
// first child, next sibling), an iterator over a sibling chain, two writable
// graph models over such nodes, the graph events, the thread-safe batching
// multicaster of model listeners, and the selections of graph locations.
//
// Graph change codes (id = code and 15):
//   2 structure  SetRoot, Remove of the root, RemoveAll,    nil, or the root
//                EnableModelEvents(true), end of a batch    for a batch
//   17 content   Put of the same node, Put of data on a     the location written
//                basic tree node
//   18 structure AddChild, InsertChild                      the new child
//   33 content   Touched                                    the location touched
//   34 structure Remove of a non-root node                  the removed location
//   50 structure Put that replaces a node, RemoveChildren   the replaced location;
//                                                           the parent
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEJgl.h"
#include "benchkit/mvc/IDEModelImpl.h"
#include "benchkit/mvc/IDESelectionImpl.h"
#include "benchkit/mvc/IDESubfocusImpl.h"
#include "benchkit/mvc/IDEUtil.h"

#include <win32/winbase.h>

enum : int {
    GRAPH_CHANGED = 2,
    GRAPH_NODE_PUT = 0x11,
    GRAPH_NODE_ADDED = 0x12,
    GRAPH_NODE_TOUCHED = 0x21,
    GRAPH_NODE_REMOVED = 0x22,
    GRAPH_NODE_REPLACED = 0x32,
};

class TLinkedTreeNode;
class TLinkedTreeIterator;
class TBasicTreeNode;

// Each gives code that holds the interface the object behind it.
struct ILinkedTreeNode : virtual IInterface {
    static constexpr InterfaceID<ILinkedTreeNode> IID_{"{8A4A1801-0876-11D1-AE97-0020AF32BB01}"};
    virtual TLinkedTreeNode* Ptr() = 0;

protected:
    ~ILinkedTreeNode() = default;
};

struct ILinkedTreeIterator : virtual IInterface {
    static constexpr InterfaceID<ILinkedTreeIterator> IID_{
        "{287FCB81-0883-11D1-AE97-0020AF32BB01}"};
    virtual TLinkedTreeIterator* Ptr() = 0;

protected:
    ~ILinkedTreeIterator() = default;
};

struct IBasicTreeNode : virtual IInterface {
    static constexpr InterfaceID<IBasicTreeNode> IID_{"{287FCB85-0883-11D1-AE97-0020AF32BB01}"};
    virtual TBasicTreeNode* Ptr() = 0;

protected:
    ~IBasicTreeNode() = default;
};

// --- Nodes ----------------------------------------------------------------------------

// A node holds its first child and its next sibling by counted reference, so
// a chain keeps its members alive. The parent link is not counted (a counted
// one would make every tree a cycle that is never freed); a node that goes
// clears its children's parent links.
class TLinkedTreeNode : public THashObject, public IGraphLocation, public ILinkedTreeNode {
public:
    TLinkedTreeNode() = default;
    explicit TLinkedTreeNode(ILinkedTreeNode* Parent);
    ~TLinkedTreeNode() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TLinkedTreeNode* Ptr() override { return this; }

    InterfacePtr<IGraphLocation> GetParent() override;
    TTriState HasChildren() override { return FFirstChild ? tsYes : tsNo; }
    // A new list of the children in sibling order.
    InterfacePtr<IInterfaceList> GetChildren() override;
    virtual InterfacePtr<ILinkedTreeNode> GetFirstChild() { return FFirstChild; }
    virtual InterfacePtr<IForwardIterator> GetChildIterator();
    virtual InterfacePtr<ILinkedTreeNode> GetNextSibling() { return FNextSibling; }
    int GetChildCount() const { return FChildCount; }

    // NewChild may head a chain of siblings: all of them are added.
    virtual void AppendChild(ILinkedTreeNode* NewChild);
    // Ahead of the first child.
    virtual void InsertChild(ILinkedTreeNode* NewChild);
    // Ahead of AheadOf; appended when AheadOf is nil or not a child.
    virtual void InsertChild2(ILinkedTreeNode* NewChild, ILinkedTreeNode* AheadOf);
    // Checks everything first and links only then, so a refused add changes
    // nothing: "Cannot add child" (EIllegalArgumentException) when a chain
    // member has another parent; "Tree node circularity"
    // (EIllegalStateException) when the chain is already among the children
    // or loops; "Tree circularity" (EIllegalStateException) when the
    // children loop.
    virtual void DoAddChild(ILinkedTreeNode* NewChild, ILinkedTreeNode* AheadOf);
    // Puts the parentless chain NewSibling right behind this node, under
    // this node's parent.
    virtual void InsertSibling(ILinkedTreeNode* NewSibling);
    // EIllegalArgumentException "Tree node circularity" when it is not a child.
    virtual void RemoveChild(ILinkedTreeNode* UnwantedChild);
    // Takes this node out of the sibling chain that starts at Root and
    // answers the chain's first node afterwards.
    virtual InterfacePtr<ILinkedTreeNode> RemoveNode(ILinkedTreeNode* Root);
    virtual void SetParent(ILinkedTreeNode* Node);

protected:
    TLinkedTreeNode* FParent = nullptr;
    InterfacePtr<ILinkedTreeNode> FNextSibling;
    InterfacePtr<ILinkedTreeNode> FFirstChild;
    int FChildCount = 0;
};

// A node that carries data of any kind.
class TBasicTreeNode : public TLinkedTreeNode, public IBasicTreeNode {
public:
    TBasicTreeNode() = default;
    explicit TBasicTreeNode(IInterface* Data) : FData(Data) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TBasicTreeNode* Ptr() override { return this; }
    InterfacePtr<IInterface> GetData() const { return FData; }
    void SetData(IInterface* Data) { FData = Data; }

private:
    InterfacePtr<IInterface> FData;
};

// Walks a sibling chain.
class TLinkedTreeIterator : public TInterfacedObject,
                            public IForwardIterator,
                            public ILinkedTreeIterator {
public:
    explicit TLinkedTreeIterator(ILinkedTreeNode* FirstSibling)
        : FFirstSibling(FirstSibling), FSibling(FirstSibling) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TLinkedTreeIterator* Ptr() override { return this; }
    InterfacePtr<IInterface> NextElement() override;
    bool HasMoreElements() override { return bool(FSibling); }
    bool AtFirst() override { return FSibling == FFirstSibling; }
    bool AtLast() override { return !FSibling; }
    InterfacePtr<IInterface> Get() override { return FSibling; }
    void Advance() override;
    void Advance2(int Offset) override;
    // Not supported: EAbort.
    InterfacePtr<IInputIterator> Clone() override;
    virtual bool Equals(IInputIterator* That);
    // Data's node joins the siblings' parent ahead of the current node, or at
    // the end past the last (EIllegalStateException for a parentless chain).
    void Put(IInterface* Data) override;
    int Distance(IForwardIterator* That) override;
    InterfacePtr<IInterface> GetContainer() override { return nullptr; }

private:
    InterfacePtr<ILinkedTreeNode> FFirstSibling;
    InterfacePtr<ILinkedTreeNode> FSibling;
};

// --- Events ---------------------------------------------------------------------------

class TGraphModelEvent : public TModelEvent, public virtual IGraphModelEvent {
public:
    TGraphModelEvent(IGraphModel* Model, int Change, IGraphLocation* Location = nullptr)
        : TModelEvent(Model, Change), FModel(Model), FChange(Change), FLocation(Location) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IGraphModel> GetModel() override { return FModel; }
    int GetChange() override { return FChange; }
    InterfacePtr<IGraphLocation> GetLocation() override { return FLocation; }
    // ModelContentChanged for id 1, ModelStructureChanged for id 2.
    void Dispatch(IEventListener* Listener) override;

private:
    InterfacePtr<IGraphModel> FModel;
    int FChange;
    InterfacePtr<IGraphLocation> FLocation;
};

class TGraphSubfocusEvent : public TSubfocusEvent,
                            public virtual IGraphSubfocusEvent,
                            public IVetoableDispatch {
public:
    TGraphSubfocusEvent(IInterface* Source, int Id, IGraphLocation* Location)
        : TSubfocusEvent(Source, Id), FLocation(Location) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IGraphLocation> GetLocation() override { return FLocation; }
    void VetoableDispatch(IEventListener* Listener) override;
    void Dispatch(IEventListener* Listener) override;

private:
    InterfacePtr<IGraphLocation> FLocation;
};

// --- Containers -----------------------------------------------------------------------

// A graph model whose data are the nodes themselves.
class TLinkedTreeContainer : public TInterfacedObject, public IWritableGraphModel {
public:
    TLinkedTreeContainer();
    // Root set without an event.
    explicit TLinkedTreeContainer(ILinkedTreeNode* Root);
    ~TLinkedTreeContainer() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IGraphLocation> GetRoot() override;
    InterfacePtr<IInterface> Get(IGraphLocation* Location) override;
    InterfacePtr<IGraphLocation> Find(IInterface* Data) override;
    void AddModelListener(IGraphModelListener* Listener) override;
    void RemoveModelListener(IGraphModelListener* Listener) override;
    // Data must be a linked tree node (nil clears the root); fires 2.
    InterfacePtr<IGraphLocation> SetRoot(IInterface* Data) override;
    bool CanModify(IGraphLocation* Location) override { return true; }
    // The same node: fires 17. Another node takes the old one's place under
    // its parent: fires 50. The root is replaced through SetRoot.
    void Put(IGraphLocation* Location, IInterface* Data) override;
    void Touched(IGraphLocation* Location) override;
    bool IsVariableSize() override { return true; }
    InterfacePtr<IGraphLocation> AddChild(IGraphLocation* Parent, IInterface* Data) override;
    // AheadOf must be a child of Parent (AddChild appends).
    InterfacePtr<IGraphLocation> InsertChild(IGraphLocation* Parent, IGraphLocation* AheadOf,
                                             IInterface* Data) override;
    void RemoveChildren(IGraphLocation* Parent) override;
    // A child is detached (34); for the root only a whole-model change (2)
    // is announced and the root stays.
    void Remove(IGraphLocation* Location) override;
    // Announces a whole-model change; the tree stays as it is.
    void RemoveAll() override;
    void EnableModelEvents(bool Enable) override;
    // Not supported: EAbort.
    virtual InterfacePtr<IEnumeration> Elements();
    virtual void FillNodes(IGraphLocation* Location, IInterfaceList* Nodes);
    // Every change passes here: delivered when events are on and someone listens.
    virtual void ProcessModelEvent(IGraphModelEvent* E);

protected:
    void Fire(int Change, IGraphLocation* Location = nullptr);

    InterfacePtr<ILinkedTreeNode> FRoot;
    TEventMulticaster* FListeners;
    bool FEvents = true;
};

// A graph model over data of any kind: data that is not a linked tree node is
// wrapped in a new TBasicTreeNode.
class TBasicTreeContainer : public TLinkedTreeContainer {
public:
    TBasicTreeContainer() = default;
    // The root set (wrapped when needed) without an event.
    explicit TBasicTreeContainer(IInterface* Root);

    // A basic node's data, otherwise the location itself.
    InterfacePtr<IInterface> Get(IGraphLocation* Location) override;
    // The first node in pre-order whose data is Data, or nil.
    InterfacePtr<IGraphLocation> Find(IInterface* Data) override;
    InterfacePtr<IGraphLocation> SetRoot(IInterface* Data) override;
    void Put(IGraphLocation* Location, IInterface* Data) override;
    // A nil Parent makes the new node the root (fires 2).
    InterfacePtr<IGraphLocation> AddChild(IGraphLocation* Parent, IInterface* Data) override;
    InterfacePtr<IGraphLocation> InsertChild(IGraphLocation* Parent, IGraphLocation* AheadOf,
                                             IInterface* Data) override;
    virtual void TreeSearch(ILinkedTreeNode* Node, IInterface* Data,
                            InterfacePtr<ILinkedTreeNode>& Result);

protected:
    static InterfacePtr<ILinkedTreeNode> Wrap(IInterface* Data);
};

// --- Thread-safe batching multicaster ----------------------------------------------------

// The tree view's list of model listeners. Between BeginUpdate and the
// matching EndUpdate events are queued; the batch reaches listeners as one
// structure change at the root, bracketed by their own BeginUpdate and
// EndUpdate when they implement IBatchUpdate. Events are delivered outside
// the lock on the thread that dispatched them or closed the batch; the
// BeginUpdate/EndUpdate notices are sent under it.
class TGraphModelMulticaster : public TInterfacedObject, public IGraphModelMulticaster {
public:
    TGraphModelMulticaster();
    ~TGraphModelMulticaster() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void ModelContentChanged(IGraphModelEvent* E) override { Dispatch(E); }
    void ModelStructureChanged(IGraphModelEvent* E) override { Dispatch(E); }
    virtual int Find(IGraphModelListener* Listener);

    void Lock() { EnterCriticalSection(&FLock); }
    void Unlock() { LeaveCriticalSection(&FLock); }
    bool HasListeners();
    void Dispatch(IGraphModelEvent* E);
    void Add(IGraphModelListener* Listener) override;
    void Remove(IGraphModelListener* Listener) override;
    void BeginUpdate() override;
    // Closing the outermost batch delivers the summary, then the EndUpdate
    // notices. "Multiple models" (Exception) when the batch queued events of
    // two models: the queue is dropped and the notices are still sent.
    void EndUpdate() override;
    int GetUpdateCount();

protected:
    void DispatchUpdates();

private:
    void NotifyBatchListeners(bool Begin);

    InterfacePtr<IInterfaceList> FListeners;
    InterfacePtr<IInterfaceList> FUpdates;
    InterfacePtr<IInterfaceList> FModels;
    int FUpdateCount = 0;
    CRITICAL_SECTION FLock;
};

// --- Selections -----------------------------------------------------------------------

class TGraphSelectionEvent : public TSelectionEvent, public virtual IGraphSelectionEvent {
public:
    TGraphSelectionEvent(IGraphSelection* Selection, int Change, IGraphLocation* Location = nullptr)
        : TSelectionEvent(Selection, Change), FSelection(Selection), FLocation(Location) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IGraphSelection> GetSelection() override { return FSelection; }
    InterfacePtr<IGraphLocation> GetLocation() override { return FLocation; }
    // $1000 SelectionItemChanged, $3000 SelectionChanged; $2000 reaches nobody.
    void Dispatch(IEventListener* Listener) override;

private:
    InterfacePtr<IGraphSelection> FSelection;
    InterfacePtr<IGraphLocation> FLocation;
};

class TGraphSelectionMulticaster : public TInterfacedObject, public IGraphSelectionMulticaster {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void SelectionItemChanged(IGraphSelectionEvent* E) override;
    void SelectionChanged(IGraphSelectionEvent* E) override;
    virtual int Find(IGraphSelectionListener* Listener) { return FListeners.Find(Listener); }

    bool HasListeners() const { return FListeners.HasListeners(); }
    void Dispatch(IGraphSelectionEvent* E);
    void Add(IGraphSelectionListener* Listener) override { FListeners.Add(Listener); }
    void Remove(IGraphSelectionListener* Listener) override { FListeners.Remove(Listener); }

private:
    TListenerList FListeners;
};

// Locations held by reference: a node removed from the model stays selected
// until the view removes it.
class TBasicGraphSelection : public TBasicSelection, public IWritableGraphSelection {
public:
    TBasicGraphSelection() = default;
    // The locations of NewSet selected, without an event.
    explicit TBasicGraphSelection(IInterfaceList* NewSet);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool Contains(IGraphLocation* Location) override;
    int GetCount() override { return TBasicSelection::GetCount(); }
    // A copy of the list.
    InterfacePtr<IInterfaceList> GetAll() override;
    void AddSelectionListener(IGraphSelectionListener* Listener) override;
    void RemoveSelectionListener(IGraphSelectionListener* Listener) override;
    // Replaces the selection (duplicates kept); always fires $3002.
    void Put(IInterfaceList* Locations) override;
    void Add(IGraphLocation* Location) override;
    void Add2(IInterfaceList* Locations) override;
    void Remove(IGraphLocation* Location) override;
    void Remove2(IInterfaceList* Locations) override;
    void RemoveAll() override;
    void EnableSelectionEvents(bool Enable) override;
    virtual void ProcessSelectionEvent(IGraphSelectionEvent* E);

private:
    void DoPut(IInterfaceList* Locations);
    void Fire(int Change, IGraphLocation* Location = nullptr);
};

class TNullGraphSelection : public TInterfacedObject, public IWritableGraphSelection {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool Contains(IGraphLocation* Location) override { return false; }
    int GetCount() override { return 0; }
    InterfacePtr<IInterfaceList> GetAll() override;
    void AddSelectionListener(IGraphSelectionListener* Listener) override {}
    void RemoveSelectionListener(IGraphSelectionListener* Listener) override {}
    void Put(IInterfaceList* Locations) override {}
    void Add(IGraphLocation* Location) override {}
    void Add2(IInterfaceList* Locations) override {}
    void Remove(IGraphLocation* Location) override {}
    void Remove2(IInterfaceList* Locations) override {}
    void RemoveAll() override {}
    void EnableSelectionEvents(bool Enable) override {}
};

#pragma GCC visibility pop
