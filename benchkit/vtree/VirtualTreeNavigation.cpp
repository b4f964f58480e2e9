// Walks over the nodes in document order. Each walk has an initialising
// form, which hands out only initialised nodes and makes children on
// demand, and a NoInit form, which follows only existing links and never
// fires an event (the position cache's worker relies on that).
#include "benchkit/vtree/IDEVirtualTrees.h"

namespace {

inline bool Has(PVirtualNode Node, TVirtualNodeState State) {
    return Node->States.Contains(State);
}

} // namespace

// Initialises a node handed out for the first time.
#define VT_INIT(node)                                                                              \
    do {                                                                                           \
        if ((node) && !Has((node), vsInitialized)) InitNode(node);                                 \
    } while (0)

PVirtualNode TBaseVirtualTree::GetFirst() {
    PVirtualNode result = FRoot->FirstChild;
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirstNoInit() const {
    return FRoot->FirstChild;
}

PVirtualNode TBaseVirtualTree::GetFirstInitialized() const {
    PVirtualNode result = GetFirstNoInit();
    if (result && !Has(result, vsInitialized)) result = GetNextInitialized(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirstChild(PVirtualNode Node) {
    PVirtualNode result;
    if (!Node || Node == FRoot) {
        result = FRoot->FirstChild;
    } else {
        VT_INIT(Node);
        if (!Has(Node, vsHasChildren)) return nullptr;
        if (Node->ChildCount == 0) InitChildren(Node);
        result = Node->FirstChild;
    }
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastChild(PVirtualNode Node) {
    PVirtualNode result;
    if (!Node || Node == FRoot) {
        result = FRoot->LastChild;
    } else {
        VT_INIT(Node);
        if (!Has(Node, vsHasChildren)) return nullptr;
        if (Node->ChildCount == 0) InitChildren(Node);
        result = Node->LastChild;
    }
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastChildNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return FRoot->LastChild;
    return Has(Node, vsHasChildren) ? Node->LastChild : nullptr;
}

PVirtualNode TBaseVirtualTree::GetFirstVisibleChild(PVirtualNode Node) {
    PVirtualNode result = GetFirstChild(Node);
    if (result && !Has(result, vsVisible)) result = GetNextVisibleSibling(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirstVisibleChildNoInit(PVirtualNode Node) const {
    if (!Node) Node = FRoot;
    PVirtualNode result = Node->FirstChild;
    if (result && !Has(result, vsVisible)) result = GetNextVisibleSiblingNoInit(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastVisibleChild(PVirtualNode Node) {
    PVirtualNode result;
    if (!Node || Node == FRoot) {
        result = FRoot->LastChild;
    } else {
        if (!GetFullyVisible(Node) || !Has(Node, vsExpanded)) return nullptr;
        result = GetLastChild(Node);
    }
    if (result && !Has(result, vsVisible)) result = GetPreviousVisibleSibling(result);
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastVisibleChildNoInit(PVirtualNode Node) const {
    PVirtualNode result;
    if (!Node || Node == FRoot) {
        result = FRoot->LastChild;
    } else {
        if (!GetFullyVisible(Node) || !Has(Node, vsExpanded)) return nullptr;
        result = Node->LastChild;
    }
    if (result && !Has(result, vsVisible)) result = GetPreviousVisibleSiblingNoInit(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetLast(PVirtualNode Node) {
    PVirtualNode next = GetLastChild(Node);
    PVirtualNode result = nullptr;
    while (next) {
        result = next;
        next = GetLastChild(next);
    }
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastNoInit(PVirtualNode Node) const {
    PVirtualNode next = GetLastChildNoInit(Node);
    PVirtualNode result = nullptr;
    while (next) {
        result = next;
        next = GetLastChildNoInit(next);
    }
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastInitialized(PVirtualNode Node) const {
    PVirtualNode result = GetLastNoInit(Node);
    if (result && !Has(result, vsInitialized)) result = GetPreviousInitialized(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastVisible(PVirtualNode Node) {
    PVirtualNode next = GetLastVisibleChild(Node);
    PVirtualNode result = nullptr;
    while (next) {
        result = next;
        next = GetLastVisibleChild(next);
    }
    return result;
}

PVirtualNode TBaseVirtualTree::GetLastVisibleNoInit(PVirtualNode Node) const {
    PVirtualNode next = GetLastVisibleChildNoInit(Node);
    PVirtualNode result = nullptr;
    while (next) {
        result = next;
        next = GetLastVisibleChildNoInit(next);
    }
    return result;
}

PVirtualNode TBaseVirtualTree::GetNext(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    if (Has(Node, vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    PVirtualNode result = Node->FirstChild;
    if (!result) {
        for (PVirtualNode run = Node; run != FRoot; run = run->Parent)
            if (run->NextSibling) {
                result = run->NextSibling;
                break;
            }
    }
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetNextNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return nullptr;
    if (Node->FirstChild) return Node->FirstChild;
    for (PVirtualNode run = Node; run != FRoot; run = run->Parent)
        if (run->NextSibling) return run->NextSibling;
    return nullptr;
}

PVirtualNode TBaseVirtualTree::GetNextInitialized(PVirtualNode Node) const {
    PVirtualNode result = Node;
    do {
        result = GetNextNoInit(result);
    } while (result && !Has(result, vsInitialized));
    return result;
}

PVirtualNode TBaseVirtualTree::GetPrevious(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode result;
    if (Node->PrevSibling) {
        result = Node->PrevSibling;
        VT_INIT(result);
        if (PVirtualNode last = GetLast(result)) result = last;
    } else {
        result = Node->Parent == FRoot ? nullptr : Node->Parent;
    }
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return nullptr;
    if (Node->PrevSibling) {
        PVirtualNode last = GetLastNoInit(Node->PrevSibling);
        return last ? last : Node->PrevSibling;
    }
    return Node->Parent == FRoot ? nullptr : Node->Parent;
}

PVirtualNode TBaseVirtualTree::GetPreviousInitialized(PVirtualNode Node) const {
    PVirtualNode result = Node;
    do {
        result = GetPreviousNoInit(result);
    } while (result && !Has(result, vsInitialized));
    return result;
}

PVirtualNode TBaseVirtualTree::GetNextSibling(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode result = Node->NextSibling;
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousSibling(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode result = Node->PrevSibling;
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetNextVisibleSibling(PVirtualNode Node) {
    PVirtualNode result = Node;
    do {
        result = GetNextSibling(result);
    } while (result && !Has(result, vsVisible));
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousVisibleSibling(PVirtualNode Node) {
    PVirtualNode result = Node;
    do {
        result = GetPreviousSibling(result);
    } while (result && !Has(result, vsVisible));
    return result;
}

PVirtualNode TBaseVirtualTree::GetNextVisibleSiblingNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode result = Node->NextSibling;
    while (result && !Has(result, vsVisible))
        result = result->NextSibling;
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousVisibleSiblingNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode result = Node->PrevSibling;
    while (result && !Has(result, vsVisible))
        result = result->PrevSibling;
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirstVisible() {
    if (!Has(FRoot, vsHasChildren)) return nullptr;
    for (PVirtualNode run = GetFirstChild(FRoot); run; run = GetNextSibling(run))
        if (Has(run, vsVisible)) return run;
    return nullptr;
}

PVirtualNode TBaseVirtualTree::GetFirstVisibleNoInit() const {
    if (!Has(FRoot, vsHasChildren)) return nullptr;
    PVirtualNode run = FRoot->FirstChild;
    while (run && !Has(run, vsVisible))
        run = run->NextSibling;
    return run;
}

PVirtualNode TBaseVirtualTree::GetVisibleParent(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return FRoot;
    PVirtualNode result = Node->Parent;
    while (result != FRoot && !GetFullyVisible(result))
        result = result->Parent;
    return result;
}

// For a node that does not show: its outermost ancestor-or-self whose parent
// shows its children (or is the root). That node is either the shown row
// the node is folded into, or a hidden subtree among shown siblings.
PVirtualNode TBaseVirtualTree::OutermostHidden(PVirtualNode Node) const {
    PVirtualNode run = Node;
    while (run->Parent != FRoot && !(Has(run->Parent, vsExpanded) && GetFullyVisible(run->Parent)))
        run = run->Parent;
    return run;
}

PVirtualNode TBaseVirtualTree::GetNextVisible(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode run = Node;
    if (!GetFullyVisible(run)) {
        // Nothing inside the folded row or hidden subtree shows: go past it.
        run = OutermostHidden(run);
    } else {
        if (Has(run, vsHasChildren) && Has(run, vsExpanded) && run->ChildCount == 0)
            InitChildren(run);
        if (Has(run, vsExpanded) && run->FirstChild) {
            PVirtualNode child = GetFirstChild(run);
            if (Has(child, vsVisible)) return child;
            run = child;
        }
    }
    for (;;) {
        PVirtualNode next = GetNextSibling(run);
        if (next) {
            if (Has(next, vsVisible)) return next;
            run = next;
            continue;
        }
        run = run->Parent;
        if (run == FRoot) return nullptr;
    }
}

PVirtualNode TBaseVirtualTree::GetNextVisibleNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode run = Node;
    if (!GetFullyVisible(run)) {
        run = OutermostHidden(run);
    } else if (Has(run, vsExpanded) && run->FirstChild) {
        PVirtualNode child = run->FirstChild;
        if (Has(child, vsVisible)) return child;
        run = child;
    }
    for (;;) {
        PVirtualNode next = run->NextSibling;
        if (next) {
            if (Has(next, vsVisible)) return next;
            run = next;
            continue;
        }
        run = run->Parent;
        if (run == FRoot) return nullptr;
    }
}

PVirtualNode TBaseVirtualTree::GetPreviousVisible(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode run = Node;
    if (!GetFullyVisible(run)) {
        run = OutermostHidden(run);
        // A node folded into a shown row comes right after that row.
        if (GetFullyVisible(run)) {
            VT_INIT(run);
            return run;
        }
    }
    PVirtualNode result = nullptr;
    for (PVirtualNode prev = GetPreviousSibling(run); prev; prev = GetPreviousSibling(prev))
        if (Has(prev, vsVisible)) {
            PVirtualNode last = GetLastVisible(prev);
            result = last ? last : prev;
            VT_INIT(result);
            return result;
        }
    result = run->Parent == FRoot ? nullptr : run->Parent;
    VT_INIT(result);
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousVisibleNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return nullptr;
    PVirtualNode run = Node;
    if (!GetFullyVisible(run)) {
        run = OutermostHidden(run);
        if (GetFullyVisible(run)) return run;
    }
    for (PVirtualNode prev = run->PrevSibling; prev; prev = prev->PrevSibling)
        if (Has(prev, vsVisible)) {
            PVirtualNode last = GetLastVisibleNoInit(prev);
            return last ? last : prev;
        }
    return run->Parent == FRoot ? nullptr : run->Parent;
}

PVirtualNode TBaseVirtualTree::GetTopNode() {
    int top = 0;
    return GetNodeAt(0, 0, true, top);
}

void TBaseVirtualTree::SetTopNode(PVirtualNode Node) {
    if (!Node || Node == FRoot) return;
    for (PVirtualNode run = Node->Parent; run != FRoot; run = run->Parent)
        if (!Has(run, vsExpanded)) ToggleNode(run);
    uint32_t top = 0;
    if (GetNodeTop(Node, top)) SetOffsetY(-int(top));
}

PVirtualNode TBaseVirtualTree::GetFirstChecked(TCheckState State) {
    return GetNextChecked(nullptr, State);
}

PVirtualNode TBaseVirtualTree::GetNextChecked(PVirtualNode Node, TCheckState State) {
    PVirtualNode run = (!Node || Node == FRoot) ? GetFirstNoInit() : GetNextNoInit(Node);
    while (run && run->CheckState != State)
        run = GetNextNoInit(run);
    VT_INIT(run);
    return run;
}

PVirtualNode TBaseVirtualTree::GetFirstSelected() {
    return GetNextSelected(nullptr);
}

PVirtualNode TBaseVirtualTree::GetNextSelected(PVirtualNode Node) {
    if (FSelectionCount == 0) return nullptr;
    PVirtualNode run = (!Node || Node == FRoot) ? GetFirstNoInit() : GetNextNoInit(Node);
    while (run && !Has(run, vsSelected))
        run = GetNextNoInit(run);
    VT_INIT(run);
    return run;
}

PVirtualNode TBaseVirtualTree::GetFirstCutCopy() {
    return GetNextCutCopy(nullptr);
}

PVirtualNode TBaseVirtualTree::GetNextCutCopy(PVirtualNode Node) {
    if (!HasState(tsCutPending) && !HasState(tsCopyPending)) return nullptr;
    PVirtualNode run = (!Node || Node == FRoot) ? GetFirstNoInit() : GetNextNoInit(Node);
    while (run && !Has(run, vsCutOrCopy))
        run = GetNextNoInit(run);
    VT_INIT(run);
    return run;
}

uint32_t TBaseVirtualTree::GetNodeLevel(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return 0;
    uint32_t level = 0;
    for (PVirtualNode run = Node->Parent; run != FRoot; run = run->Parent)
        ++level;
    return level;
}

uint32_t TBaseVirtualTree::AbsoluteIndex(PVirtualNode Node) {
    uint32_t result = 0;
    while (Node && Node != FRoot) {
        VT_INIT(Node);
        if (Node->PrevSibling) {
            Node = Node->PrevSibling;
            result += Node->TotalCount;
        } else {
            Node = Node->Parent;
            if (Node != FRoot) ++result;
        }
    }
    return result;
}

bool TBaseVirtualTree::HasAsParent(PVirtualNode Node, PVirtualNode PotentialParent) const {
    if (!Node || !PotentialParent || Node == PotentialParent) return false;
    for (PVirtualNode run = Node->Parent; run && run != FRoot; run = run->Parent)
        if (run == PotentialParent) return true;
    return false;
}

bool TBaseVirtualTree::HasVisibleNextSibling(PVirtualNode Node) const {
    for (PVirtualNode run = Node->NextSibling; run; run = run->NextSibling)
        if (Has(run, vsVisible)) return true;
    return false;
}

bool TBaseVirtualTree::IsFirstVisibleChild(PVirtualNode Parent, PVirtualNode Node) const {
    if (!Parent) Parent = FRoot;
    PVirtualNode run = Parent->FirstChild;
    while (run && !Has(run, vsVisible))
        run = run->NextSibling;
    return run && run == Node;
}

bool TBaseVirtualTree::IsLastVisibleChild(PVirtualNode Parent, PVirtualNode Node) const {
    if (!Parent) Parent = FRoot;
    PVirtualNode run = Parent->LastChild;
    while (run && !Has(run, vsVisible))
        run = run->PrevSibling;
    return run && run == Node;
}

namespace {

// The subtree after Node in document order, or null at the end.
PVirtualNode SkipSubtree(PVirtualNode Root, PVirtualNode Node) {
    for (PVirtualNode run = Node; run && run != Root; run = run->Parent)
        if (run->NextSibling) return run->NextSibling;
    return nullptr;
}

} // namespace

TNodeArray TBaseVirtualTree::GetSortedSelection(bool Resolve) {
    TNodeArray result;
    if (FSelectionCount == 0) return result;
    result.reserve(FSelectionCount);
    PVirtualNode run = GetFirstNoInit();
    while (run) {
        if (Has(run, vsSelected)) {
            result.push_back(run);
            if (Resolve) {
                run = SkipSubtree(FRoot, run);
                continue;
            }
        }
        run = GetNextNoInit(run);
    }
    return result;
}

TNodeArray TBaseVirtualTree::GetSortedCutCopySet(bool Resolve) {
    TNodeArray result;
    size_t count = 0;
    PVirtualNode run = GetFirstNoInit();
    while (run) {
        if (Has(run, vsCutOrCopy)) {
            if (count == result.size())
                result.resize(result.empty() ? 100 : result.size() + result.size() / 10);
            result[count++] = run;
            if (Resolve) {
                run = SkipSubtree(FRoot, run);
                continue;
            }
        }
        run = GetNextNoInit(run);
    }
    result.resize(count);
    return result;
}

PVirtualNode TBaseVirtualTree::IterateSubtree(PVirtualNode Node, const TVTGetNodeProc& Callback,
                                              void* Data, TVirtualNodeStates Filter, bool DoInit,
                                              bool ChildNodesOnly) {
    const bool wasIterating = HasState(tsIterating);
    if (!wasIterating) DoStateChange({tsIterating});
    struct Leave {
        TBaseVirtualTree* tree;
        bool active;
        ~Leave() {
            if (active) tree->DoStateChange({}, {tsIterating});
        }
    } leave{this, !wasIterating};

    auto step = [this, DoInit](PVirtualNode n) { return DoInit ? GetNext(n) : GetNextNoInit(n); };
    PVirtualNode stop = nullptr;
    if (!Node || Node == FRoot) {
        Node = DoInit ? GetFirst() : GetFirstNoInit();
        ChildNodesOnly = false;
    } else {
        stop = SkipSubtree(FRoot, Node);
        if (DoInit) VT_INIT(Node);
        if (ChildNodesOnly) {
            if (DoInit && Has(Node, vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
            if (!Node->FirstChild) return nullptr;
            Node = step(Node);
        }
    }
    bool abort = false;
    for (PVirtualNode run = Node; run && run != stop; run = step(run)) {
        if (Filter.Empty() || Filter <= run->States) {
            Callback(this, run, Data, abort);
            if (abort) return run;
        }
    }
    return nullptr;
}

#undef VT_INIT
