// Node memory, the counters every node carries, linking and unlinking, and
// the structural operations: creating by count, adding, inserting, deleting.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

uint16_t ClampHeight(int64_t Value) {
    if (Value < 0) return 0;
    if (Value > 0xFFFF) return 0xFFFF;
    return uint16_t(Value);
}

} // namespace

// --- Node memory ---------------------------------------------------------------------

void TBaseVirtualTree::ValidateNodeDataSize(int& Size) {
    Size = 0;
    DoGetNodeDataSize(Size);
}

void TBaseVirtualTree::DoGetNodeDataSize(int& Size) {
    if (OnGetNodeDataSize) OnGetNodeDataSize(this, Size);
}

size_t TBaseVirtualTree::NodeBlockSize() {
    if (FNodeDataSize == -1) ValidateNodeDataSize(FNodeDataSize);
    size_t size = sizeof(TVirtualNode) + FTotalInternalDataSize;
    if (!GetComponentState().Contains(csDesigning) && FNodeDataSize > 0)
        size += size_t(FNodeDataSize);
    return size;
}

PVirtualNode TBaseVirtualTree::MakeNewNode() {
    auto* node = static_cast<PVirtualNode>(std::calloc(1, NodeBlockSize()));
    if (!node) throw std::bad_alloc();
    node->TotalCount = 1;
    node->NodeHeight = ClampHeight(FDefaultNodeHeight);
    node->TotalHeight = node->NodeHeight;
    node->States.Include(vsVisible);
    node->Align = 50;
    return node;
}

void TBaseVirtualTree::FreeNodeBlock(PVirtualNode Node) {
    std::free(Node);
}

void TBaseVirtualTree::InitRootNode(uint32_t OldSize) {
    const size_t size = sizeof(TVirtualNode) + FTotalInternalDataSize;
    if (!FRoot) {
        FRoot = static_cast<PVirtualNode>(std::calloc(1, size));
        if (!FRoot) throw std::bad_alloc();
    } else {
        auto* grown = static_cast<PVirtualNode>(std::realloc(FRoot, size));
        if (!grown) throw std::bad_alloc();
        FRoot = grown;
        const size_t oldSize = sizeof(TVirtualNode) + OldSize;
        if (size > oldSize)
            std::memset(reinterpret_cast<uint8_t*>(FRoot) + oldSize, 0, size - oldSize);
    }
    FRoot->Parent = reinterpret_cast<PVirtualNode>(this);
    FRoot->PrevSibling = FRoot;
    FRoot->NextSibling = FRoot;
    FRoot->States = TVirtualNodeStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible};
    FRoot->TotalCount = 1;
    FRoot->NodeHeight = ClampHeight(FDefaultNodeHeight);
    FRoot->TotalHeight = FRoot->NodeHeight;
    FRoot->Align = 50;
    FCreatedRoot = true;
}

uint32_t TBaseVirtualTree::AllocateInternalDataArea(uint32_t Size) {
    // Existing nodes have no room for the new area: they are made again,
    // uninitialised, as a change of the user data size does.
    const uint32_t count = FRoot ? FRoot->ChildCount : 0;
    if (count) Clear();
    const uint32_t offset = uint32_t(sizeof(TVirtualNode)) + FTotalInternalDataSize;
    const uint32_t oldSize = FTotalInternalDataSize;
    FTotalInternalDataSize += (Size + 3) & ~3u;
    InitRootNode(oldSize);
    if (count) SetChildCount(FRoot, count);
    return offset;
}

void* TBaseVirtualTree::GetNodeData(PVirtualNode Node) const {
    if (!Node || Node == FRoot || FNodeDataSize <= 0) return nullptr;
    if (GetComponentState().Contains(csDesigning)) return nullptr;
    return Node->Data() + FTotalInternalDataSize;
}

void TBaseVirtualTree::SetNodeDataSize(int Value) {
    if (Value < -1) Value = -1;
    if (Value == FNodeDataSize) return;
    FNodeDataSize = Value;
    if (IsLoadingOrDesigning()) return;
    const uint32_t count = FRoot->ChildCount;
    Clear();
    SetRootNodeCount(count);
}

TBaseVirtualTree* TreeFromNode(PVirtualNode Node) {
    if (!Node) return nullptr;
    while (Node->NextSibling != Node)
        Node = Node->Parent;
    return reinterpret_cast<TBaseVirtualTree*>(Node->Parent);
}

// --- Counters --------------------------------------------------------------------------

void TBaseVirtualTree::AdjustTotalCount(PVirtualNode Node, int64_t Value, bool Relative) {
    if (!Relative) Value -= Node->TotalCount;
    if (Value == 0) return;
    for (PVirtualNode run = Node;; run = run->Parent) {
        run->TotalCount = uint32_t(int64_t(run->TotalCount) + Value);
        if (run == FRoot) break;
    }
}

void TBaseVirtualTree::AdjustTotalHeight(PVirtualNode Node, int64_t Value, bool Relative) {
    if (!Relative) Value -= Node->TotalHeight;
    if (Value == 0) return;
    PVirtualNode run = Node;
    for (;;) {
        run->TotalHeight = uint32_t(int64_t(run->TotalHeight) + Value);
        if (!run->States.Contains(vsVisible) || run == FRoot) break;
        run = run->Parent;
        if (!run || !run->States.Contains(vsExpanded)) break;
    }
}

void TBaseVirtualTree::FixupTotalCount(PVirtualNode Node) {
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
        FixupTotalCount(child);
        Node->TotalCount += child->TotalCount;
    }
}

void TBaseVirtualTree::FixupTotalHeight(PVirtualNode Node) {
    const bool expanded = Node->States.Contains(vsExpanded);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
        FixupTotalHeight(child);
        if (expanded && child->States.Contains(vsVisible)) Node->TotalHeight += child->TotalHeight;
    }
}

uint32_t TBaseVirtualTree::CountVisibleChildren(PVirtualNode Node) const {
    if (!Node->States.Contains(vsExpanded)) return 0;
    // Iterative, so that deep chains cannot exhaust the stack.
    uint32_t count = 0;
    PVirtualNode run = Node->FirstChild;
    while (run) {
        if (run->States.Contains(vsVisible)) {
            ++count;
            if (run->States.Contains(vsExpanded) && run->FirstChild) {
                run = run->FirstChild;
                continue;
            }
        }
        while (!run->NextSibling) {
            run = run->Parent;
            if (run == Node) return count;
        }
        run = run->NextSibling;
    }
    return count;
}

void TBaseVirtualTree::DetermineHiddenChildrenFlag(PVirtualNode Node) {
    if (!Node) return;
    if (Node->ChildCount > 0 && Node->FirstChild) {
        bool anyVisible = false;
        for (PVirtualNode run = Node->FirstChild; run; run = run->NextSibling)
            if (run->States.Contains(vsVisible)) {
                anyVisible = true;
                break;
            }
        if (anyVisible)
            Node->States.Exclude(vsAllChildrenHidden);
        else
            Node->States.Include(vsAllChildrenHidden);
    } else if (Node->States.Contains(vsHasChildren)) {
        Node->States.Exclude(vsAllChildrenHidden);
    } else {
        Node->States.Include(vsAllChildrenHidden);
    }
}

void TBaseVirtualTree::DetermineHiddenChildrenFlagAllNodes() {
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        DetermineHiddenChildrenFlag(run);
}

// --- Linking ----------------------------------------------------------------------------

namespace {

// Invariant 4 against the root of the tree that holds the node.
bool FullyVisibleUnder(PVirtualNode Root, PVirtualNode Node) {
    if (Node == Root) return Node->States.Contains(vsVisible);
    if (!Node->States.Contains(vsVisible)) return false;
    for (PVirtualNode run = Node->Parent; run && run != Root; run = run->Parent)
        if (!run->States.Contains(vsVisible) || !run->States.Contains(vsExpanded)) return false;
    return true;
}

} // namespace

void TBaseVirtualTree::InternalConnectNode(PVirtualNode Node, PVirtualNode Destination,
                                           TVTNodeAttachMode Mode, TBaseVirtualTree* Target) {
    const bool wasVisible = Node->States.Contains(vsVisible);
    PVirtualNode parent = nullptr;
    switch (Mode) {
    case amInsertBefore: {
        parent = Destination->Parent;
        Node->PrevSibling = Destination->PrevSibling;
        Node->NextSibling = Destination;
        Destination->PrevSibling = Node;
        if (Node->PrevSibling)
            Node->PrevSibling->NextSibling = Node;
        else
            parent->FirstChild = Node;
        Node->Parent = parent;
        Node->Index = Destination->Index;
        for (PVirtualNode run = Destination; run; run = run->NextSibling)
            ++run->Index;
        break;
    }
    case amInsertAfter: {
        parent = Destination->Parent;
        Node->NextSibling = Destination->NextSibling;
        Node->PrevSibling = Destination;
        Destination->NextSibling = Node;
        if (Node->NextSibling)
            Node->NextSibling->PrevSibling = Node;
        else
            parent->LastChild = Node;
        Node->Parent = parent;
        Node->Index = Destination->Index + 1;
        for (PVirtualNode run = Node->NextSibling; run; run = run->NextSibling)
            ++run->Index;
        break;
    }
    case amAddChildFirst: {
        parent = Destination;
        Node->PrevSibling = nullptr;
        Node->NextSibling = parent->FirstChild;
        if (parent->FirstChild)
            parent->FirstChild->PrevSibling = Node;
        else
            parent->LastChild = Node;
        parent->FirstChild = Node;
        Node->Parent = parent;
        Node->Index = 0;
        for (PVirtualNode run = Node->NextSibling; run; run = run->NextSibling)
            ++run->Index;
        break;
    }
    case amAddChildLast: {
        parent = Destination;
        Node->NextSibling = nullptr;
        Node->PrevSibling = parent->LastChild;
        if (parent->LastChild)
            parent->LastChild->NextSibling = Node;
        else
            parent->FirstChild = Node;
        parent->LastChild = Node;
        Node->Parent = parent;
        Node->Index = Node->PrevSibling ? Node->PrevSibling->Index + 1 : 0;
        break;
    }
    case amNoWhere:
        break;
    }

    if (parent) {
        ++parent->ChildCount;
        parent->States.Include(vsHasChildren);
        Target->AdjustTotalCount(parent, Node->TotalCount, true);
        if (parent->States.Contains(vsExpanded) && wasVisible)
            Target->AdjustTotalHeight(parent, Node->TotalHeight, true);
        if (FullyVisibleUnder(Target->FRoot, Node))
            Target->FVisibleCount += Target->CountVisibleChildren(Node) + 1;
    }

    Node->States -= TVirtualNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsClearing};
    if (parent && parent != Target->FRoot) {
        if (wasVisible)
            parent->States.Exclude(vsAllChildrenHidden);
        else if (parent->ChildCount == 1)
            parent->States.Include(vsAllChildrenHidden);
    }
}

void TBaseVirtualTree::InternalDisconnectNode(PVirtualNode Node, bool KeepFocus, bool Reindex) {
    if (Node == FFocusedNode && !KeepFocus) DoFocusNode(nullptr, false);
    if (Node == FRangeAnchor) FRangeAnchor = nullptr;

    PVirtualNode parent = Node->Parent;
    if (Node->States.Contains(vsDeleting)) return; // the parent's DeleteChildren resets the totals

    Node->States.Exclude(vsChecking);
    // Measured while the parent is still expanded: collapsing the parent
    // below must not hide the node from its own visible count.
    const bool wasFullyVisible = FullyVisibleUnder(FRoot, Node);
    const bool adjustHeight =
        parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible);
    --parent->ChildCount;
    if (parent->ChildCount == 0) {
        parent->States -= TVirtualNodeStates{vsAllChildrenHidden, vsHasChildren};
        if (parent != FRoot) parent->States.Exclude(vsExpanded);
    }
    AdjustTotalCount(parent, -int64_t(Node->TotalCount), true);
    if (adjustHeight) AdjustTotalHeight(parent, -int64_t(Node->TotalHeight), true);
    if (wasFullyVisible) FVisibleCount -= CountVisibleChildren(Node) + 1;

    if (Node->PrevSibling)
        Node->PrevSibling->NextSibling = Node->NextSibling;
    else
        parent->FirstChild = Node->NextSibling;
    if (Node->NextSibling) {
        Node->NextSibling->PrevSibling = Node->PrevSibling;
        if (Reindex) {
            uint32_t index = Node->Index;
            for (PVirtualNode run = Node->NextSibling; run; run = run->NextSibling)
                run->Index = index++;
        }
    } else {
        parent->LastChild = Node->PrevSibling;
    }
    Node->PrevSibling = nullptr;
    Node->NextSibling = nullptr;

    // After unlinking, so that the flag no longer counts the node itself.
    if (parent != FRoot && !parent->States.Contains(vsClearing)) {
        if (FUpdateCount > 0)
            DoStateChange({tsUpdateHiddenChildrenNeeded});
        else
            DetermineHiddenChildrenFlag(parent);
    }
}

// --- Creating children by count ---------------------------------------------------------

void TBaseVirtualTree::SetChildCount(PVirtualNode Node, uint32_t NewChildCount) {
    auto check = CheckedChange();
    if (ReadOnly()) return;
    if (!Node) Node = FRoot;
    if (NewChildCount == 0) {
        DeleteChildren(Node, false);
        return;
    }
    if (NewChildCount == Node->ChildCount) return;
    InterruptValidation();

    if (NewChildCount < Node->ChildCount) {
        for (uint32_t remove = Node->ChildCount - NewChildCount; remove > 0; --remove)
            DeleteNode(Node->LastChild, true);
    } else {
        if (Node->ChildCount == 0) Node->States.Include(vsHasChildren);
        Node->States -= TVirtualNodeStates{vsAllChildrenHidden, vsHeightMeasured};

        // The hot path of bulk creation: one zero-filled block per node,
        // linked in place, with the totals added once at the end.
        const size_t size = NodeBlockSize();
        const uint16_t height = ClampHeight(FDefaultNodeHeight);
        const TVirtualNodeStates states{vsVisible};
        PVirtualNode last = Node->LastChild;
        uint32_t index = Node->ChildCount;
        uint32_t added = 0;
        bool outOfMemory = false;
        for (uint32_t wanted = NewChildCount - Node->ChildCount; added < wanted; ++added) {
            auto* child = static_cast<PVirtualNode>(std::calloc(1, size));
            if (!child) {
                outOfMemory = true;
                break;
            }
            child->Index = index++;
            child->NodeHeight = height;
            child->States = states;
            child->Align = 50;
            child->TotalCount = 1;
            child->TotalHeight = height;
            child->Parent = Node;
            child->PrevSibling = last;
            if (last)
                last->NextSibling = child;
            else
                Node->FirstChild = child;
            last = child;
        }
        Node->LastChild = last;
        if (Node->States.Contains(vsExpanded)) {
            AdjustTotalHeight(Node, int64_t(added) * height, true);
            if (FullyVisibleUnder(FRoot, Node)) FVisibleCount += added;
        }
        AdjustTotalCount(Node, added, true);
        Node->ChildCount += added;
        if (outOfMemory) throw std::bad_alloc();
        AutoSortAfter(Node);
        InvalidateCache();
    }

    if (FUpdateCount == 0) {
        ValidateCache();
        UpdateScrollBars(true);
        Invalidate();
    }
    StructureChange(Node == FRoot ? nullptr : Node, crChildAdded);
}

uint32_t TBaseVirtualTree::GetChildCount(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return FRoot->ChildCount;
    return Node->ChildCount;
}

uint32_t TBaseVirtualTree::GetRootNodeCount() const {
    return FRoot->ChildCount;
}

void TBaseVirtualTree::SetRootNodeCount(uint32_t Value) {
    if (GetComponentState().Contains(csLoading)) {
        // Loaded makes them once every property has been read.
        FRoot->ChildCount = Value;
        DoStateChange({tsNeedRootCountUpdate});
        return;
    }
    if (FRoot->ChildCount == Value) return;
    auto update = runpak::UpdateBracket(*this);
    InterruptValidation();
    SetChildCount(FRoot, Value);
}

void TBaseVirtualTree::AutoSortAfter(PVirtualNode Node) {
    if (FUpdateCount == 0 && FOptions->GetAutoOptions().Contains(toAutoSort))
        Sort(Node, FHeader->GetSortColumn(), FHeader->GetSortDirection(), true);
}

bool TBaseVirtualTree::ReadOnly() const {
    return FOptions->GetMiscOptions().Contains(toReadOnly);
}

// --- Adding and inserting --------------------------------------------------------------

void TBaseVirtualTree::SetInitialUserData(PVirtualNode Node, void* UserData) {
    // The whole pointer is kept: a data area shorter than a pointer cannot hold it.
    if (FNodeDataSize < int(sizeof(void*)) || GetComponentState().Contains(csDesigning))
        ShowVirtualTreeError(hcTFCannotSetUserData);
    std::memcpy(Node->Data() + FTotalInternalDataSize, &UserData, sizeof(void*));
    Node->States.Include(vsInitialUserData);
}

PVirtualNode TBaseVirtualTree::AddChild(PVirtualNode Parent, void* UserData) {
    auto check = CheckedChange();
    if (ReadOnly()) return nullptr;
    CancelEditNode();
    if (!Parent) Parent = FRoot;
    if (!Parent->States.Contains(vsInitialized)) InitNode(Parent);

    {
        ++FUpdateCount;
        auto uncount = runpak::ScopeExit([this] { --FUpdateCount; });
        SetChildCount(Parent, Parent->ChildCount + 1);
    }
    Parent->States.Exclude(vsAllChildrenHidden);
    PVirtualNode result = Parent->LastChild;

    bool userDataFailed = false;
    if (UserData) {
        try {
            SetInitialUserData(result, UserData);
        } catch (const EVirtualTreeError&) {
            userDataFailed = true;
        }
    }

    InvalidateCache();
    if (FUpdateCount == 0) {
        ValidateCache();
        if (HasState(tsStructureChangePending))
            StructureChange(Parent == FRoot ? nullptr : Parent, crChildAdded);
        AutoSortAfter(Parent);
        InvalidateToBottom(Parent);
        UpdateScrollBars(true);
    }
    // Raised after the bookkeeping: the node exists and the tree stays consistent.
    if (userDataFailed) ShowVirtualTreeError(hcTFCannotSetUserData);
    return result;
}

PVirtualNode TBaseVirtualTree::InsertNode(PVirtualNode Node, TVTNodeAttachMode Mode,
                                          void* UserData) {
    auto check = CheckedChange();
    if (Mode == amNoWhere) return nullptr;
    CancelEditNode();
    if (!Node) Node = FRoot;
    if (Node == FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    if ((Mode == amAddChildFirst || Mode == amAddChildLast) &&
        !Node->States.Contains(vsInitialized))
        InitNode(Node);

    InterruptValidation();
    PVirtualNode result = MakeNewNode();
    InternalConnectNode(result, Node, Mode, this);
    bool userDataFailed = false;
    if (UserData) {
        try {
            SetInitialUserData(result, UserData);
        } catch (const EVirtualTreeError&) {
            userDataFailed = true;
        }
    }
    InvalidateCache();
    if (FUpdateCount == 0) {
        ValidateCache();
        AutoSortAfter((Mode == amInsertBefore || Mode == amInsertAfter) ? result->Parent : Node);
        UpdateScrollBars(true);
        InvalidateToBottom(Mode == amInsertBefore ? result : Node);
    }
    StructureChange(result, crNodeAdded);
    if (userDataFailed) ShowVirtualTreeError(hcTFCannotSetUserData);
    return result;
}

// --- Deleting ---------------------------------------------------------------------------

void TBaseVirtualTree::DeleteNode(PVirtualNode Node, bool Reindex) {
    auto check = CheckedChange(Reindex);
    if (!Node || Node == FRoot || ReadOnly()) return;
    PVirtualNode parent = Node->Parent;
    const bool parentClearing = parent->States.Contains(vsClearing);
    if (!parentClearing) {
        InterruptValidation();
        StructureChange(parent == FRoot ? nullptr : parent, crChildDeleted);
    }
    const int oldOffsetX = FOffsetX;
    const int oldOffsetY = FOffsetY;

    if (Node->States.Contains(vsSelected)) {
        InternalRemoveFromSelection(Node);
        if (FUpdateCount == 0) {
            // The application learns at once that its selected node went,
            // while the node is still whole.
            const bool wasSynch = HasState(tsSynchMode);
            DoStateChange({tsSynchMode});
            Change(Node);
            if (!wasSynch) DoStateChange({}, {tsSynchMode});
        }
        InvalidateToBottom(parent);
    } else {
        InvalidateToBottom(parent);
    }
    if (HasState(tsHint)) {
        Application->CancelHint();
        DoStateChange({}, {tsHint});
    }

    DeleteChildren(Node, false);
    InternalDisconnectNode(Node, false, Reindex);
    DoFreeNode(Node);

    if (!parentClearing) {
        DetermineHiddenChildrenFlag(parent);
        InvalidateCache();
        if (FUpdateCount == 0) {
            ValidateCache();
            UpdateScrollBars(true);
            if (oldOffsetX != FOffsetX || oldOffsetY != FOffsetY) Invalidate();
        }
    }
}

void TBaseVirtualTree::DoFreeNode(PVirtualNode Node) {
    // Nothing may keep pointing at freed memory.
    if (Node == FLastChangedNode) FLastChangedNode = nullptr;
    if (Node == FLastStructureChangeNode) FLastStructureChangeNode = nullptr;
    if (Node == FCurrentHotNode) FCurrentHotNode = nullptr;
    if (Node == FDropTargetNode) FDropTargetNode = nullptr;
    if (Node == FLastSelected) FLastSelected = nullptr;
    if (Node == FCheckNode) FCheckNode = nullptr;
    if (Node == FLastSearchNode) FLastSearchNode = nullptr;
    if (Node == FFocusedNode) FFocusedNode = nullptr;
    if (Node == FRangeAnchor) FRangeAnchor = nullptr;
    if (Node->States.Contains(vsInitialized) || Node->States.Contains(vsInitialUserData))
        if (OnFreeNode) OnFreeNode(this, Node);
    FreeNodeBlock(Node);
}

void TBaseVirtualTree::DeleteChildren(PVirtualNode Node, bool ResetHasChildren) {
    auto check = CheckedChange();
    // Without children nothing changes: a node the application said has
    // children keeps its button.
    if (!Node || Node->ChildCount == 0 || !Node->FirstChild || ReadOnly()) return;
    {
        ++FUpdateCount;
        auto uncount = runpak::ScopeExit([this] { --FUpdateCount; });
        InterruptValidation();
        const bool countChildren =
            Node == FRoot || (FullyVisibleUnder(FRoot, Node) && Node->States.Contains(vsExpanded));
        Node->States.Include(vsClearing);
        PVirtualNode run = Node->LastChild;
        while (run) {
            PVirtualNode mark = run;
            run = run->PrevSibling;
            if (countChildren && mark->States.Contains(vsVisible)) --FVisibleCount;
            mark->States.Include(vsDeleting);
            if (run) run->NextSibling = nullptr;
            DeleteNode(mark, true);
        }
        Node->States.Exclude(vsClearing);
        if (ResetHasChildren) Node->States.Exclude(vsHasChildren);
        if (Node != FRoot) Node->States.Exclude(vsExpanded);
        Node->ChildCount = 0;
        Node->FirstChild = nullptr;
        Node->LastChild = nullptr;
        if (Node == FRoot || Node->States.Contains(vsDeleting)) {
            Node->TotalCount = 1;
            Node->TotalHeight = Node->NodeHeight;
        } else {
            AdjustTotalHeight(Node, Node->NodeHeight);
            AdjustTotalCount(Node, 1);
        }
    }

    InvalidateCache();
    if (FUpdateCount == 0) {
        PackSelection();
        ValidateCache();
        UpdateScrollBars(true);
        InvalidateToBottom(Node);
    }
    StructureChange(Node == FRoot ? nullptr : Node, crChildDeleted);
}

void TBaseVirtualTree::Clear() {
    auto check = CheckedChange();
    if (ReadOnly() && !FDestroying) return;
    auto update = runpak::UpdateBracket(*this);
    InterruptValidation();
    DoCancelEdit();
    if (HasState(tsCutPending) || HasState(tsCopyPending))
        DoStateChange({}, {tsCutPending, tsCopyPending});
    ClearSelection();
    FFocusedNode = nullptr;
    FLastSelected = nullptr;
    FCurrentHotNode = nullptr;
    FDropTargetNode = nullptr;
    FLastChangedNode = nullptr;
    FRangeAnchor = nullptr;
    FCheckNode = nullptr;
    FLastSearchNode = nullptr;
    DeleteChildren(FRoot, true);
    FVisibleCount = 0;
    FOffsetX = 0;
    FOffsetY = 0;
}

bool TBaseVirtualTree::IsLoadingOrDesigning() const {
    const TComponentState state = GetComponentState();
    return state.Contains(csLoading) || state.Contains(csDesigning);
}
