// Sorting: a stable merge sort on the sibling links, per level or for the
// whole tree. Nodes are relinked in place, never copied.
#include "benchkit/vtree/IDEVirtualTrees.h"

namespace {

// Sorts the chain of Count nodes that starts at Head (linked by NextSibling)
// and answers the new head; the last node's NextSibling ends up nil.
template <class Compare>
PVirtualNode MergeSort(PVirtualNode Head, uint32_t Count, const Compare& TakeSecond) {
    if (Count <= 1) {
        if (Head) Head->NextSibling = nullptr;
        return Head;
    }
    const uint32_t firstCount = Count / 2;
    PVirtualNode second = Head;
    for (uint32_t i = 0; i < firstCount; ++i)
        second = second->NextSibling;
    PVirtualNode a = MergeSort(Head, firstCount, TakeSecond);
    PVirtualNode b = MergeSort(second, Count - firstCount, TakeSecond);
    PVirtualNode head = nullptr;
    PVirtualNode* tail = &head;
    while (a && b) {
        // Equal nodes come from the first half first: the sort is stable.
        if (TakeSecond(a, b)) {
            *tail = b;
            b = b->NextSibling;
        } else {
            *tail = a;
            a = a->NextSibling;
        }
        tail = &(*tail)->NextSibling;
    }
    *tail = a ? a : b;
    return head;
}

} // namespace

int TBaseVirtualTree::DoCompare(PVirtualNode Node1, PVirtualNode Node2, TColumnIndex Column) {
    int result = 0;
    if (OnCompareNodes) OnCompareNodes(this, Node1, Node2, Column, result);
    return result;
}

void TBaseVirtualTree::Sort(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                            bool DoInit) {
    InterruptValidation();
    if (HasState(tsEditPending)) {
        StopTimer(EditTimer);
        DoStateChange({}, {tsEditPending});
    }
    if (HasState(tsEditing) && !EndEditForSort()) return;

    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsHasChildren)) return;
    if (DoInit) {
        if (Node->ChildCount == 0) InitChildren(Node);
        ValidateChildren(Node == FRoot ? nullptr : Node, false);
    }
    if (Node->ChildCount <= 1) return;

    auto check = CheckedChange();
    const bool ascending = Direction == sdAscending;
    auto takeSecond = [&](PVirtualNode A, PVirtualNode B) {
        const int result = DoCompare(A, B, Column);
        return ascending ? result > 0 : result < 0;
    };
    PVirtualNode head = MergeSort(Node->FirstChild, Node->ChildCount, takeSecond);
    Node->FirstChild = head;
    PVirtualNode previous = nullptr;
    uint32_t index = 0;
    for (PVirtualNode run = head; run; run = run->NextSibling) {
        run->PrevSibling = previous;
        run->Index = index++;
        previous = run;
    }
    Node->LastChild = previous;
    InvalidateCache();
    if (FUpdateCount == 0) {
        ValidateCache();
        Invalidate();
    }
}

void TBaseVirtualTree::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
    ++FUpdateCount;
    {
        auto close = runpak::ScopeExit([this] {
            if (--FUpdateCount == 0) {
                ValidateCache();
                Invalidate();
            }
        });
        if (Column >= NoColumn) SortLevel(FRoot, Column, Direction, DoInit);
        InvalidateCache();
    }
}

void TBaseVirtualTree::SortLevel(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                                 bool DoInit) {
    Sort(Node, Column, Direction, DoInit);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
        if (DoInit && !child->States.Contains(vsInitialized)) InitNode(child);
        // Without initialising, subtrees nobody has looked at keep their order.
        if (child->States.Contains(vsInitialized)) SortLevel(child, Column, Direction, DoInit);
    }
}
