#include "benchkit/mvc/IDEGraphImpl.h"

#include <unordered_set>

namespace {

TLinkedTreeNode* NodeOf(ILinkedTreeNode* Node) {
    return Node ? Node->Ptr() : nullptr;
}

using TNodeSet = std::unordered_set<TLinkedTreeNode*>;

} // namespace

// --- TLinkedTreeNode -----------------------------------------------------------------

TLinkedTreeNode::TLinkedTreeNode(ILinkedTreeNode* Parent) {
    // Joining the parent's children keeps the parent's count and chain in
    // step with the new node's parent link.
    if (Parent) Parent->Ptr()->AppendChild(this);
}

TLinkedTreeNode::~TLinkedTreeNode() {
    for (TLinkedTreeNode* c = NodeOf(FFirstChild.Get()); c; c = NodeOf(c->FNextSibling.Get()))
        if (c->FParent == this) c->FParent = nullptr;
    // Let go of the sibling chain one node at a time rather than by a
    // recursion as deep as the chain is long.
    InterfacePtr<ILinkedTreeNode> next = std::move(FNextSibling);
    while (next && next->Ptr()->GetRefCount() == 1) {
        InterfacePtr<ILinkedTreeNode> after = std::move(next->Ptr()->FNextSibling);
        next = std::move(after);
    }
}

HRESULT TLinkedTreeNode::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphLocation, ILinkedTreeNode>(this, iid, out)) return S_OK;
    return THashObject::QueryInterface(iid, out);
}

InterfacePtr<IGraphLocation> TLinkedTreeNode::GetParent() {
    return FParent ? static_cast<IGraphLocation*>(FParent) : nullptr;
}

InterfacePtr<IInterfaceList> TLinkedTreeNode::GetChildren() {
    InterfacePtr<IInterfaceList> list(new TInterfaceList);
    list->SetCapacity(FChildCount);
    for (TLinkedTreeNode* c = NodeOf(FFirstChild.Get()); c; c = NodeOf(c->FNextSibling.Get()))
        list->Add(static_cast<IGraphLocation*>(c));
    return list;
}

InterfacePtr<IForwardIterator> TLinkedTreeNode::GetChildIterator() {
    return static_cast<IForwardIterator*>(new TLinkedTreeIterator(FFirstChild.Get()));
}

void TLinkedTreeNode::AppendChild(ILinkedTreeNode* NewChild) {
    DoAddChild(NewChild, nullptr);
}

void TLinkedTreeNode::InsertChild(ILinkedTreeNode* NewChild) {
    DoAddChild(NewChild, FFirstChild.Get());
}

void TLinkedTreeNode::InsertChild2(ILinkedTreeNode* NewChild, ILinkedTreeNode* AheadOf) {
    DoAddChild(NewChild, AheadOf);
}

void TLinkedTreeNode::DoAddChild(ILinkedTreeNode* NewChild, ILinkedTreeNode* AheadOf) {
    if (!NewChild) return;
    InterfacePtr<ILinkedTreeNode> keep(NewChild);

    // The chain to add: no member may belong elsewhere, none may already be
    // one of our children (its parent link says so), none may repeat.
    TNodeSet chain;
    TLinkedTreeNode* last = nullptr;
    for (TLinkedTreeNode* n = NewChild->Ptr(); n; n = NodeOf(n->FNextSibling.Get())) {
        if (n->FParent && n->FParent != this) throw EIllegalArgumentException(u"Cannot add child");
        if (n->FParent == this || !chain.insert(n).second)
            throw EIllegalStateException(u"Tree node circularity");
        last = n;
    }

    // Where the chain goes: in front, or behind `after`, found by walking our
    // children as far as AheadOf (to the end when it is not a child).
    TLinkedTreeNode* first = NodeOf(FFirstChild.Get());
    TLinkedTreeNode* ahead = NodeOf(AheadOf);
    TLinkedTreeNode* after = nullptr;
    if (first && ahead != first) {
        after = first;
        for (;;) {
            TLinkedTreeNode* next = NodeOf(after->FNextSibling.Get());
            if (next == first) throw EIllegalStateException(u"Tree circularity");
            if (!next || next == ahead) break;
            after = next;
        }
    }

    // Nothing was refused: link.
    for (TLinkedTreeNode* n : chain)
        n->FParent = this;
    FChildCount += int(chain.size());
    if (!after) {
        last->FNextSibling = FFirstChild;
        FFirstChild = NewChild;
    } else {
        last->FNextSibling = after->FNextSibling;
        after->FNextSibling = NewChild;
    }
}

void TLinkedTreeNode::InsertSibling(ILinkedTreeNode* NewSibling) {
    if (!NewSibling) return;
    InterfacePtr<ILinkedTreeNode> keep(NewSibling);
    TNodeSet chain;
    TLinkedTreeNode* last = nullptr;
    for (TLinkedTreeNode* n = NewSibling->Ptr(); n; n = NodeOf(n->FNextSibling.Get())) {
        if (n->FParent) throw EIllegalArgumentException(u"Tree node circularity");
        if (n == this || !chain.insert(n).second)
            throw EIllegalStateException(u"Tree node circularity");
        last = n;
    }
    // Members that already follow this node would close a loop.
    for (TLinkedTreeNode* n = NodeOf(FNextSibling.Get()); n; n = NodeOf(n->FNextSibling.Get()))
        if (chain.count(n)) throw EIllegalStateException(u"Tree node circularity");

    for (TLinkedTreeNode* n : chain)
        n->FParent = FParent;
    if (FParent) FParent->FChildCount += int(chain.size());
    last->FNextSibling = FNextSibling;
    FNextSibling = NewSibling;
}

void TLinkedTreeNode::RemoveChild(ILinkedTreeNode* UnwantedChild) {
    if (!FFirstChild || !UnwantedChild) return;
    InterfacePtr<ILinkedTreeNode> keep(UnwantedChild); // unlinking may drop the last reference
    TLinkedTreeNode* unwanted = UnwantedChild->Ptr();
    if (NodeOf(FFirstChild.Get()) == unwanted) {
        FFirstChild = unwanted->FNextSibling;
    } else {
        TLinkedTreeNode* c = NodeOf(FFirstChild.Get());
        while (c && NodeOf(c->FNextSibling.Get()) != unwanted)
            c = NodeOf(c->FNextSibling.Get());
        if (!c) throw EIllegalArgumentException(u"Tree node circularity");
        c->FNextSibling = unwanted->FNextSibling;
    }
    unwanted->FParent = nullptr;
    unwanted->FNextSibling.Reset();
    --FChildCount;
}

InterfacePtr<ILinkedTreeNode> TLinkedTreeNode::RemoveNode(ILinkedTreeNode* Root) {
    InterfacePtr<ILinkedTreeNode> keep(static_cast<ILinkedTreeNode*>(this));
    if (FParent) {
        FParent->RemoveChild(this);
        return Root;
    }
    if (NodeOf(Root) == this) {
        InterfacePtr<ILinkedTreeNode> next = std::move(FNextSibling);
        return next;
    }
    TLinkedTreeNode* before = NodeOf(Root);
    while (before && NodeOf(before->FNextSibling.Get()) != this)
        before = NodeOf(before->FNextSibling.Get());
    if (!before) throw EIllegalArgumentException(u"Tree node circularity");
    before->FNextSibling = FNextSibling;
    FNextSibling.Reset();
    return Root;
}

void TLinkedTreeNode::SetParent(ILinkedTreeNode* Node) {
    FParent = NodeOf(Node);
}

HRESULT TBasicTreeNode::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IBasicTreeNode>(this, iid, out)) return S_OK;
    return TLinkedTreeNode::QueryInterface(iid, out);
}

// --- TLinkedTreeIterator -------------------------------------------------------------

HRESULT TLinkedTreeIterator::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IForwardIterator, IOutputIterator, IInputIterator, IEnumeration,
                         ILinkedTreeIterator>(this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterface> TLinkedTreeIterator::NextElement() {
    InterfacePtr<IInterface> current = FSibling;
    Advance();
    return current;
}

void TLinkedTreeIterator::Advance() {
    if (FSibling) FSibling = FSibling->Ptr()->GetNextSibling();
}

void TLinkedTreeIterator::Advance2(int Offset) {
    for (int i = 0; i < Offset && FSibling; ++i)
        Advance();
}

InterfacePtr<IInputIterator> TLinkedTreeIterator::Clone() {
    throw EAbort(u"Operation aborted");
}

bool TLinkedTreeIterator::Equals(IInputIterator* That) {
    throw EAbort(u"Operation aborted");
}

void TLinkedTreeIterator::Put(IInterface* Data) {
    InterfacePtr<ILinkedTreeNode> node = InterfaceCast<ILinkedTreeNode>(Data);
    InterfacePtr<IGraphLocation> parentLocation;
    if (FFirstSibling) parentLocation = FFirstSibling->Ptr()->GetParent();
    if (!parentLocation) throw EIllegalStateException(u"No parent to receive the node");
    TLinkedTreeNode* parent = InterfaceCast<ILinkedTreeNode>(parentLocation.Get())->Ptr();
    if (FSibling)
        parent->InsertChild2(node.Get(), FSibling.Get());
    else
        parent->AppendChild(node.Get());
}

int TLinkedTreeIterator::Distance(IForwardIterator* That) {
    InterfacePtr<IInterface> start = That->Get();
    InterfacePtr<ILinkedTreeNode> current;
    if (start) current = InterfaceCast<ILinkedTreeNode>(start.Get());
    for (int steps = 0;; ++steps) {
        if (NodeOf(current.Get()) == NodeOf(FSibling.Get())) return steps;
        if (!current) return -1;
        current = current->Ptr()->GetNextSibling();
    }
}
