// Initialisation on demand, expanding and collapsing, visibility, node
// heights and the other per-node properties.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include "benchkit/vtree/VirtualTreeWorker.h"

// --- Initialisation ---------------------------------------------------------------------

void TBaseVirtualTree::InitNode(PVirtualNode Node) {
    // The worker reads the same state word; it lets go of this tree first.
    const bool paused = vtree::WorkerHolds(this);
    if (paused) InterruptValidation();

    Node->States.Include(vsInitialized);
    TVirtualNodeInitStates initStates;
    DoInitNode(Node->Parent == FRoot ? nullptr : Node->Parent, Node, initStates);
    if (initStates.Contains(ivsDisabled)) Node->States.Include(vsDisabled);
    if (initStates.Contains(ivsHasChildren)) Node->States.Include(vsHasChildren);
    if (initStates.Contains(ivsSelected)) {
        FSingletonNodeArray[0] = Node;
        InternalAddToSelection(Node, false);
    }
    if (initStates.Contains(ivsMultiline)) Node->States.Include(vsMultiline);
    if (initStates.Contains(ivsExpanded) != Node->States.Contains(vsExpanded)) {
        if (initStates.Contains(ivsExpanded))
            ToggleNode(Node);
        else if (Node->States.Contains(vsHasChildren))
            InitChildren(Node);
    }
    if (paused && FUpdateCount == 0) ValidateCache();
}

void TBaseVirtualTree::DoInitNode(PVirtualNode Parent, PVirtualNode Node,
                                  TVirtualNodeInitStates& InitStates) {
    if (OnInitNode) OnInitNode(this, Parent, Node, InitStates);
}

void TBaseVirtualTree::InitChildren(PVirtualNode Node) {
    if (!Node || Node == FRoot || !Node->States.Contains(vsHasChildren)) return;
    uint32_t count = Node->ChildCount;
    DoInitChildren(Node, count);
    if (count == 0) {
        DeleteChildren(Node, false);
        InterruptValidation();
        Node->States.Exclude(vsHasChildren);
    } else {
        SetChildCount(Node, count);
    }
}

void TBaseVirtualTree::DoInitChildren(PVirtualNode Node, uint32_t& ChildCount) {
    if (OnInitChildren) OnInitChildren(this, Node, ChildCount);
}

void TBaseVirtualTree::ValidateNode(PVirtualNode Node, bool Recursive) {
    if (!Node)
        Node = FRoot;
    else if (!Node->States.Contains(vsInitialized))
        InitNode(Node);
    if (!Recursive) return;
    if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        ValidateNode(child, true);
}

void TBaseVirtualTree::ValidateChildren(PVirtualNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        ValidateNode(child, Recursive);
}

void TBaseVirtualTree::ReinitNode(PVirtualNode Node, bool Recursive) {
    if (!Node || Node == FRoot) return;
    Node->States -= TVirtualNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsHeightMeasured};
    InitNode(Node);
    if (Recursive) ReinitChildren(Node, true);
}

void TBaseVirtualTree::ReinitChildren(PVirtualNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    InitChildren(Node);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        ReinitNode(child, Recursive);
}

void TBaseVirtualTree::ResetNode(PVirtualNode Node) {
    auto check = CheckedChange();
    DoCancelEdit();
    if (!Node || Node == FRoot) {
        Clear();
        return;
    }
    DoReset(Node);
    DeleteChildren(Node, false);
    InterruptValidation();
    // Collapsing hides the children from the counters first.
    if (Node->States.Contains(vsExpanded)) {
        if (GetFullyVisible(Node)) FVisibleCount -= CountVisibleChildren(Node);
        Node->States.Exclude(vsExpanded);
        AdjustTotalHeight(Node, Node->NodeHeight);
    }
    Node->States -= TVirtualNodeStates{vsInitialized, vsChecking,    vsCutOrCopy,     vsDeleting,
                                       vsExpanded,    vsHasChildren, vsHeightMeasured};
    InvalidateCache();
    if (FUpdateCount == 0) ValidateCache();
    InvalidateNode(Node);
}

void TBaseVirtualTree::DoReset(PVirtualNode Node) {
    if (OnResetNode) OnResetNode(this, Node);
}

uint32_t TBaseVirtualTree::GetTotalCount() {
    ++FUpdateCount;
    auto uncount = runpak::ScopeExit([this] { --FUpdateCount; });
    ValidateNode(FRoot, true);
    return FRoot->TotalCount - 1;
}

// --- Expanding and collapsing -------------------------------------------------------------

void TBaseVirtualTree::ToggleNode(PVirtualNode Node) {
    auto check = CheckedChange();
    if (!Node || Node == FRoot) return;
    if (Node->States.Contains(vsToggling) || Node->States.Contains(vsDeleting)) return;
    Node->States.Include(vsToggling);
    auto toggled = runpak::ScopeExit([Node] { Node->States.Exclude(vsToggling); });
    bool allowed = false;
    if (Node->States.Contains(vsExpanded)) {
        allowed = DoCollapsing(Node);
        if (allowed) {
            AnimateToggle(Node, false, int64_t(Node->TotalHeight) - GetNodeHeight(Node));
            InterruptValidation();
            AdjustTotalHeight(Node, GetNodeHeight(Node));
            if (GetFullyVisible(Node)) FVisibleCount -= CountVisibleChildren(Node);
            Node->States.Exclude(vsExpanded);
            DoCollapsed(Node);
            if (FOptions->GetAutoOptions().Contains(toAutoFreeOnCollapse) && Node->ChildCount > 0) {
                DeleteChildren(Node, false);
                Node->States.Include(vsHasChildren);
            }
        }
    } else {
        allowed = DoExpanding(Node);
        if (allowed) {
            if (!Node->States.Contains(vsInitialized)) InitNode(Node);
            if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
            if (Node->ChildCount > 0) {
                InterruptValidation();
                int64_t delta = 0;
                for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
                    if (child->States.Contains(vsVisible)) delta += child->TotalHeight;
                AnimateToggle(Node, true, delta);
                Node->States.Include(vsExpanded);
                AdjustTotalHeight(Node, delta, true);
                if (GetFullyVisible(Node)) FVisibleCount += CountVisibleChildren(Node);
                DoExpanded(Node);
            }
        }
    }
    if (!allowed) return;
    InvalidateCache();
    if (FUpdateCount != 0) return;
    ValidateCache();
    if (Node->ChildCount == 0) {
        InvalidateNode(Node);
        return;
    }
    const int oldOffsetY = FOffsetY;
    UpdateScrollBars(true);
    if (Node->States.Contains(vsExpanded) &&
        FOptions->GetAutoOptions().Contains(toAutoScrollOnExpand)) {
        // A subtree taller than the window starts at its top; a smaller one
        // shows its end.
        if (GetClientHeight() < int(Node->TotalHeight))
            SetTopNode(Node);
        else
            ScrollIntoView(Node->LastChild,
                           FOptions->GetSelectionOptions().Contains(toCenterScrollIntoView));
    }
    if (FOffsetY == oldOffsetY)
        InvalidateToBottom(Node);
    else
        Invalidate();
}

void TBaseVirtualTree::SetExpanded(PVirtualNode Node, bool Value) {
    if (!Node || Node == FRoot) return;
    if (Node->States.Contains(vsExpanded) != Value) ToggleNode(Node);
}

bool TBaseVirtualTree::GetExpanded(PVirtualNode Node) const {
    return Node && Node->States.Contains(vsExpanded);
}

bool TBaseVirtualTree::DoExpanding(PVirtualNode Node) {
    bool allowed = true;
    if (OnExpanding) OnExpanding(this, Node, allowed);
    return allowed;
}

bool TBaseVirtualTree::DoCollapsing(PVirtualNode Node) {
    bool allowed = true;
    if (OnCollapsing) OnCollapsing(this, Node, allowed);
    return allowed;
}

void TBaseVirtualTree::DoExpanded(PVirtualNode Node) {
    if (OnExpanded) OnExpanded(this, Node);
    NotifyAccessibleStateChange();
}

void TBaseVirtualTree::DoCollapsed(PVirtualNode Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
    NotifyAccessibleStateChange();
}

PVirtualNode TBaseVirtualTree::NextAfterSubtree(PVirtualNode Node) const {
    for (PVirtualNode run = Node; run && run != FRoot; run = run->Parent)
        if (run->NextSibling) return run->NextSibling;
    return nullptr;
}

void TBaseVirtualTree::FullExpand(PVirtualNode Node) {
    auto check = CheckedChange();
    if (FOptions->GetMiscOptions().Contains(toPreventFullExpand) || FRoot->TotalCount == 1) return;
    DoStateChange({tsExpanding});
    auto expanded = runpak::ScopeExit([this] { DoStateChange({}, {tsExpanding}); });
    auto update = runpak::UpdateBracket(*this);
    PVirtualNode stop = nullptr;
    PVirtualNode run;
    if (!Node || Node == FRoot) {
        run = GetFirst();
    } else {
        stop = NextAfterSubtree(Node);
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        run = Node;
    }
    while (run && run != stop) {
        if (!run->States.Contains(vsExpanded)) ToggleNode(run);
        run = GetNext(run);
    }
}

void TBaseVirtualTree::FullCollapse(PVirtualNode Node) {
    auto check = CheckedChange();
    if (FRoot->TotalCount == 1) return;
    if (Node == FRoot) Node = nullptr;
    DoStateChange({tsCollapsing});
    auto collapsed = runpak::ScopeExit([this] { DoStateChange({}, {tsCollapsing}); });
    auto update = runpak::UpdateBracket(*this);
    PVirtualNode run = GetLastVisibleNoInit(Node);
    while (run && run != Node) {
        if (run->States.Contains(vsHasChildren) && run->States.Contains(vsExpanded))
            ToggleNode(run);
        run = GetPreviousNoInit(run);
    }
    if (Node && Node->States.Contains(vsHasChildren) && Node->States.Contains(vsExpanded))
        ToggleNode(Node);
}

// --- Visibility -----------------------------------------------------------------------------

bool TBaseVirtualTree::GetVisible(PVirtualNode Node) {
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    return Node->States.Contains(vsVisible);
}

void TBaseVirtualTree::SetVisible(PVirtualNode Node, bool Value) {
    auto check = CheckedChange();
    if (!Node || Node == FRoot) return;
    if (Node->States.Contains(vsVisible) == Value) return;
    InterruptValidation();
    PVirtualNode parent = Node->Parent;
    const uint32_t oldVisibleCount = FVisibleCount;
    const bool path = GetVisiblePath(Node);
    if (Value) {
        Node->States.Include(vsVisible);
        if (parent->States.Contains(vsExpanded)) AdjustTotalHeight(parent, Node->TotalHeight, true);
        if (path) FVisibleCount += CountVisibleChildren(Node) + 1;
        parent->States.Exclude(vsAllChildrenHidden);
    } else {
        // Counted while the node still shows.
        if (path) FVisibleCount -= CountVisibleChildren(Node) + 1;
        Node->States.Exclude(vsVisible);
        if (parent->States.Contains(vsExpanded))
            AdjustTotalHeight(parent, -int64_t(Node->TotalHeight), true);
        if (FUpdateCount > 0)
            DoStateChange({tsUpdateHiddenChildrenNeeded});
        else if (parent != FRoot)
            DetermineHiddenChildrenFlag(parent);
    }
    InvalidateCache();
    if (FVisibleCount != oldVisibleCount && FUpdateCount == 0) {
        ValidateCache();
        UpdateScrollBars(true);
        Invalidate();
    } else if (FUpdateCount == 0) {
        ValidateCache();
    }
}

bool TBaseVirtualTree::GetFullyVisible(PVirtualNode Node) const {
    if (!Node) return false;
    if (Node == FRoot) return Node->States.Contains(vsVisible);
    if (!Node->States.Contains(vsVisible)) return false;
    return GetVisiblePath(Node);
}

void TBaseVirtualTree::SetFullyVisible(PVirtualNode Node, bool Value) {
    if (!Node || Node == FRoot) return;
    SetVisible(Node, Value);
    if (!Value) return;
    for (PVirtualNode run = Node->Parent; run && run != FRoot; run = run->Parent) {
        if (!run->States.Contains(vsExpanded)) ToggleNode(run);
        if (!run->States.Contains(vsVisible)) SetVisible(run, true);
    }
}

bool TBaseVirtualTree::GetVisiblePath(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return true;
    for (PVirtualNode run = Node->Parent; run && run != FRoot; run = run->Parent)
        if (!run->States.Contains(vsExpanded) || !run->States.Contains(vsVisible)) return false;
    return true;
}

void TBaseVirtualTree::SetVisiblePath(PVirtualNode Node, bool Value) {
    if (!Value || !Node || Node == FRoot) return;
    for (PVirtualNode run = Node->Parent; run && run != FRoot; run = run->Parent)
        if (!run->States.Contains(vsExpanded)) ToggleNode(run);
}

// --- Heights -----------------------------------------------------------------------------

int TBaseVirtualTree::GetNodeHeight(PVirtualNode Node) {
    if (!Node || Node == FRoot) return 0;
    if (FOptions->GetMiscOptions().Contains(toVariableNodeHeight)) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        MeasureItemHeight(GetCanvas(), Node);
    }
    return Node->NodeHeight;
}

void TBaseVirtualTree::MeasureItemHeight(TCanvas* Canvas, PVirtualNode Node) {
    if (!Node || Node == FRoot || Node->States.Contains(vsHeightMeasured)) return;
    const bool paused = vtree::WorkerHolds(this);
    if (paused) InterruptValidation();
    Node->States.Include(vsHeightMeasured);
    int height = Node->NodeHeight;
    DoMeasureItem(Canvas, Node, height);
    if (height != Node->NodeHeight) SetNodeHeight(Node, height);
    if (paused && FUpdateCount == 0) ValidateCache();
}

void TBaseVirtualTree::DoMeasureItem(TCanvas* TargetCanvas, PVirtualNode Node, int& NodeHeight) {
    if (OnMeasureItem) OnMeasureItem(this, TargetCanvas, Node, NodeHeight);
}

void TBaseVirtualTree::SetNodeHeight(PVirtualNode Node, int Value) {
    auto check = CheckedChange();
    if (!Node || Node == FRoot || ReadOnly()) return;
    if (Value < 0) Value = 0;
    if (Value > 0xFFFF) Value = 0xFFFF;
    if (Value == Node->NodeHeight) return;
    InterruptValidation();
    const int old = Node->NodeHeight;
    Node->NodeHeight = uint16_t(Value);
    AdjustTotalHeight(Node, Value - old, true);
    UpdateEditBounds();
    if (!GetFullyVisible(Node)) {
        // Positions of shown rows did not move; a stopped validation resumes.
        if (FUpdateCount == 0) ValidateCache();
        return;
    }
    InvalidateCache();
    if (FUpdateCount == 0) {
        ValidateCache();
        InvalidateToBottom(Node);
        UpdateScrollBars(true);
    }
}

void TBaseVirtualTree::SetDefaultNodeHeight(uint32_t Value) {
    if (Value == 0) Value = 18;
    if (Value > 0xFFFF) Value = 0xFFFF;
    if (Value == FDefaultNodeHeight) return;
    InterruptValidation();
    DoStateChange({tsNeedScale});
    const int64_t diff = int64_t(Value) - int64_t(FDefaultNodeHeight);
    FRoot->TotalHeight = uint32_t(int64_t(FRoot->TotalHeight) + diff);
    FRoot->NodeHeight = uint16_t(int64_t(FRoot->NodeHeight) + diff);
    FDefaultNodeHeight = Value;
    InvalidateCache();
    if (FUpdateCount == 0 && HandleAllocated() && !GetComponentState().Contains(csLoading)) {
        ValidateCache();
        UpdateScrollBars(true);
        ScrollIntoView(FFocusedNode,
                       FOptions->GetSelectionOptions().Contains(toCenterScrollIntoView), true);
        Invalidate();
    } else if (FUpdateCount == 0) {
        ValidateCache();
    }
}

uint32_t TBaseVirtualTree::GetContentHeight() const {
    return FRoot->TotalHeight - FRoot->NodeHeight + FBottomSpace;
}

// --- Other node properties ---------------------------------------------------------------

bool TBaseVirtualTree::GetChildrenInitialized(PVirtualNode Node) const {
    if (!Node) Node = FRoot;
    return !(Node->States.Contains(vsHasChildren) && Node->ChildCount == 0);
}

bool TBaseVirtualTree::GetHasChildren(PVirtualNode Node) const {
    if (!Node) Node = FRoot;
    return Node->States.Contains(vsHasChildren);
}

void TBaseVirtualTree::SetHasChildren(PVirtualNode Node, bool Value) {
    if (!Node || ReadOnly()) return;
    if (Value) {
        if (Node->States.Contains(vsHasChildren)) return;
        InterruptValidation();
        Node->States.Include(vsHasChildren);
        if (Node->ChildCount == 0) Node->States.Exclude(vsAllChildrenHidden);
        if (FUpdateCount == 0) ValidateCache();
    } else {
        if (Node->ChildCount > 0) DeleteChildren(Node, true);
        if (!Node->States.Contains(vsHasChildren)) return;
        InterruptValidation();
        Node->States.Exclude(vsHasChildren);
        if (FUpdateCount == 0) ValidateCache();
    }
    InvalidateNode(Node);
}

bool TBaseVirtualTree::GetDisabled(PVirtualNode Node) const {
    return Node && Node->States.Contains(vsDisabled);
}

void TBaseVirtualTree::SetDisabled(PVirtualNode Node, bool Value) {
    if (!Node || Node == FRoot || Node->States.Contains(vsDisabled) == Value) return;
    const bool paused = vtree::WorkerHolds(this);
    if (paused) InterruptValidation();
    if (Value)
        Node->States.Include(vsDisabled);
    else
        Node->States.Exclude(vsDisabled);
    if (paused && FUpdateCount == 0) ValidateCache();
    if (FUpdateCount == 0) InvalidateNode(Node);
}

bool TBaseVirtualTree::GetMultiLine(PVirtualNode Node) const {
    return Node && Node != FRoot && Node->States.Contains(vsMultiline);
}

void TBaseVirtualTree::SetMultiLine(PVirtualNode Node, bool Value) {
    if (!Node || Node == FRoot || Node->States.Contains(vsMultiline) == Value) return;
    const bool paused = vtree::WorkerHolds(this);
    if (paused) InterruptValidation();
    if (Value)
        Node->States.Include(vsMultiline);
    else
        Node->States.Exclude(vsMultiline);
    if (paused && FUpdateCount == 0) ValidateCache();
    if (FUpdateCount == 0) InvalidateNode(Node);
}

PVirtualNode TBaseVirtualTree::GetNodeParent(PVirtualNode Node) const {
    if (!Node || Node == FRoot || Node->Parent == FRoot) return nullptr;
    return Node->Parent;
}

void TBaseVirtualTree::SetNodeParent(PVirtualNode Node, PVirtualNode Value) {
    if (Node && Value && Node->Parent != Value) MoveTo(Node, Value, amAddChildLast, false);
}

uint8_t TBaseVirtualTree::GetVerticalAlignment(PVirtualNode Node) const {
    return Node ? Node->Align : 0;
}

void TBaseVirtualTree::SetVerticalAlignment(PVirtualNode Node, uint8_t Value) {
    if (!Node || Node == FRoot) return;
    if (Value > 100) Value = 100;
    if (Node->Align == Value) return;
    Node->Align = Value;
    if (FUpdateCount == 0 && GetFullyVisible(Node)) InvalidateNode(Node);
}
