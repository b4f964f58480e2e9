#include "benchkit/mvc/IDEGraphImpl.h"

namespace {

InterfacePtr<ILinkedTreeNode> NodeOf(IInterface* Location) {
    return Location ? InterfaceCast<ILinkedTreeNode>(Location) : nullptr;
}

InterfacePtr<IGraphLocation> LocationOf(ILinkedTreeNode* Node) {
    return Node ? static_cast<IGraphLocation*>(Node->Ptr()) : nullptr;
}

} // namespace

// --- Events --------------------------------------------------------------------------

HRESULT TGraphModelEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphModelEvent>(this, iid, out)) return S_OK;
    return TModelEvent::QueryInterface(iid, out);
}

void TGraphModelEvent::Dispatch(IEventListener* Listener) {
    InterfacePtr<IGraphModelListener> listener = ListenerAs<IGraphModelListener>(Listener);
    if (GetId() == MODEL_CONTENT_CHANGED)
        listener->ModelContentChanged(this);
    else if (GetId() == MODEL_STRUCTURE_CHANGED)
        listener->ModelStructureChanged(this);
}

HRESULT TGraphSubfocusEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphSubfocusEvent, IVetoableDispatch>(this, iid, out)) return S_OK;
    return TSubfocusEvent::QueryInterface(iid, out);
}

void TGraphSubfocusEvent::VetoableDispatch(IEventListener* Listener) {
    ListenerAs<IGraphSubfocusListener>(Listener)->SubfocusChanging(this);
}

void TGraphSubfocusEvent::Dispatch(IEventListener* Listener) {
    ListenerAs<IGraphSubfocusListener>(Listener)->SubfocusChanged(this);
}

// --- TLinkedTreeContainer ------------------------------------------------------------

TLinkedTreeContainer::TLinkedTreeContainer() : FListeners(new TEventMulticaster) {}

TLinkedTreeContainer::TLinkedTreeContainer(ILinkedTreeNode* Root) : TLinkedTreeContainer() {
    FRoot = Root;
}

TLinkedTreeContainer::~TLinkedTreeContainer() {
    delete FListeners;
}

HRESULT TLinkedTreeContainer::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWritableGraphModel, IGraphModel>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TLinkedTreeContainer::Fire(int Change, IGraphLocation* Location) {
    InterfacePtr<IGraphModelEvent> event(new TGraphModelEvent(this, Change, Location));
    ProcessModelEvent(event.Get());
}

void TLinkedTreeContainer::ProcessModelEvent(IGraphModelEvent* E) {
    if (FEvents && FListeners->HasListeners()) FListeners->Dispatch(E);
}

InterfacePtr<IGraphLocation> TLinkedTreeContainer::GetRoot() {
    return LocationOf(FRoot.Get());
}

InterfacePtr<IInterface> TLinkedTreeContainer::Get(IGraphLocation* Location) {
    return Location;
}

InterfacePtr<IGraphLocation> TLinkedTreeContainer::Find(IInterface* Data) {
    InterfacePtr<IGraphLocation> location;
    Supports(Data, location);
    return location;
}

void TLinkedTreeContainer::AddModelListener(IGraphModelListener* Listener) {
    FListeners->Add(Listener);
}

void TLinkedTreeContainer::RemoveModelListener(IGraphModelListener* Listener) {
    FListeners->Remove(Listener);
}

InterfacePtr<IGraphLocation> TLinkedTreeContainer::SetRoot(IInterface* Data) {
    FRoot = NodeOf(Data);
    Fire(GRAPH_CHANGED);
    return GetRoot();
}

void TLinkedTreeContainer::Put(IGraphLocation* Location, IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> old = NodeOf(Location);
    InterfacePtr<ILinkedTreeNode> node = NodeOf(Data);
    if (old->Ptr() == node->Ptr()) {
        Fire(GRAPH_NODE_PUT, Location);
        return;
    }
    InterfacePtr<IGraphLocation> parentLocation = Location->GetParent();
    if (!parentLocation) throw EIllegalArgumentException(u"Cannot add child");
    TLinkedTreeNode* parent = NodeOf(parentLocation.Get())->Ptr();
    parent->InsertChild2(node.Get(), old.Get());
    parent->RemoveChild(old.Get());
    Fire(GRAPH_NODE_REPLACED, Location);
}

void TLinkedTreeContainer::Touched(IGraphLocation* Location) {
    Fire(GRAPH_NODE_TOUCHED, Location);
}

InterfacePtr<IGraphLocation> TLinkedTreeContainer::AddChild(IGraphLocation* Parent,
                                                            IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node = NodeOf(Data);
    NodeOf(Parent)->Ptr()->AppendChild(node.Get());
    InterfacePtr<IGraphLocation> child = LocationOf(node.Get());
    Fire(GRAPH_NODE_ADDED, child.Get());
    return child;
}

InterfacePtr<IGraphLocation> TLinkedTreeContainer::InsertChild(IGraphLocation* Parent,
                                                               IGraphLocation* AheadOf,
                                                               IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node = NodeOf(Data);
    NodeOf(Parent)->Ptr()->InsertChild2(node.Get(), NodeOf(AheadOf).Get());
    InterfacePtr<IGraphLocation> child = LocationOf(node.Get());
    Fire(GRAPH_NODE_ADDED, child.Get());
    return child;
}

void TLinkedTreeContainer::RemoveChildren(IGraphLocation* Parent) {
    TLinkedTreeNode* parent = NodeOf(Parent)->Ptr();
    while (InterfacePtr<ILinkedTreeNode> child = parent->GetFirstChild())
        parent->RemoveChild(child.Get());
    Fire(GRAPH_NODE_REPLACED, Parent);
}

void TLinkedTreeContainer::Remove(IGraphLocation* Location) {
    InterfacePtr<ILinkedTreeNode> node = NodeOf(Location);
    if (InterfacePtr<IGraphLocation> parent = Location->GetParent()) {
        NodeOf(parent.Get())->Ptr()->RemoveChild(node.Get());
        Fire(GRAPH_NODE_REMOVED, Location);
    } else if (FRoot && node->Ptr() == FRoot->Ptr()) {
        Fire(GRAPH_CHANGED);
    }
}

void TLinkedTreeContainer::RemoveAll() {
    Fire(GRAPH_CHANGED);
}

void TLinkedTreeContainer::EnableModelEvents(bool Enable) {
    if (Enable == FEvents) return;
    FEvents = Enable;
    if (Enable) Fire(GRAPH_CHANGED);
}

InterfacePtr<IEnumeration> TLinkedTreeContainer::Elements() {
    throw EAbort(u"Operation aborted");
}

void TLinkedTreeContainer::FillNodes(IGraphLocation* Location, IInterfaceList* Nodes) {
    throw EAbort(u"Operation aborted");
}

// --- TBasicTreeContainer -------------------------------------------------------------

InterfacePtr<ILinkedTreeNode> TBasicTreeContainer::Wrap(IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node;
    if (Supports(Data, node)) return node;
    return static_cast<ILinkedTreeNode*>(new TBasicTreeNode(Data));
}

TBasicTreeContainer::TBasicTreeContainer(IInterface* Root) {
    // Nobody can listen yet, and firing from a constructor would release the
    // object before anyone holds it.
    FRoot = Wrap(Root);
}

InterfacePtr<IInterface> TBasicTreeContainer::Get(IGraphLocation* Location) {
    InterfacePtr<IBasicTreeNode> basic;
    if (Supports(Location, basic)) return basic->Ptr()->GetData();
    return Location;
}

void TBasicTreeContainer::TreeSearch(ILinkedTreeNode* Node, IInterface* Data,
                                     InterfacePtr<ILinkedTreeNode>& Result) {
    if (Get(static_cast<IGraphLocation*>(Node->Ptr())).Get() == Data) {
        Result = Node;
        return;
    }
    for (InterfacePtr<ILinkedTreeNode> c = Node->Ptr()->GetFirstChild(); c && !Result;
         c = c->Ptr()->GetNextSibling())
        TreeSearch(c.Get(), Data, Result);
}

InterfacePtr<IGraphLocation> TBasicTreeContainer::Find(IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> found;
    if (FRoot) TreeSearch(FRoot.Get(), Data, found);
    return LocationOf(found.Get());
}

InterfacePtr<IGraphLocation> TBasicTreeContainer::SetRoot(IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node = Data ? Wrap(Data) : nullptr;
    return TLinkedTreeContainer::SetRoot(node.Get());
}

void TBasicTreeContainer::Put(IGraphLocation* Location, IInterface* Data) {
    InterfacePtr<IBasicTreeNode> basic;
    if (!Supports(Location, basic)) {
        TLinkedTreeContainer::Put(Location, Data);
        return;
    }
    basic->Ptr()->SetData(Data);
    Fire(GRAPH_NODE_PUT, Location);
}

InterfacePtr<IGraphLocation> TBasicTreeContainer::AddChild(IGraphLocation* Parent,
                                                           IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node = Wrap(Data);
    if (!Parent) return TLinkedTreeContainer::SetRoot(node.Get());
    return TLinkedTreeContainer::AddChild(Parent, node.Get());
}

InterfacePtr<IGraphLocation> TBasicTreeContainer::InsertChild(IGraphLocation* Parent,
                                                              IGraphLocation* AheadOf,
                                                              IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node = Wrap(Data);
    if (!Parent) return TLinkedTreeContainer::SetRoot(node.Get());
    return TLinkedTreeContainer::InsertChild(Parent, AheadOf, node.Get());
}
