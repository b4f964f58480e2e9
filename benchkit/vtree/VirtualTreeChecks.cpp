// Check states: the veto, the propagation between tri-state parents and
// their check box children, radio groups, and the strips the images come from.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/VirtualTreeShared.h"

namespace {

bool IsBoxType(TCheckType Type) {
    return Type == ctCheckBox || Type == ctTriStateCheckBox;
}

bool IsChecked(TCheckState State) {
    return State == csCheckedNormal || State == csCheckedPressed;
}

} // namespace

void TBaseVirtualTree::SetCheckType(PVirtualNode Node, TCheckType Value) {
    if (!Node || Node == FRoot || Node->CheckType == Value || ReadOnly()) return;
    Node->CheckType = Value;
    Node->CheckState = csUncheckedNormal;
    PVirtualNode parent = Node->Parent;
    if (FOptions->GetAutoOptions().Contains(toAutoTristateTracking) && IsBoxType(Value) &&
        parent != FRoot) {
        if (!parent->States.Contains(vsInitialized)) InitNode(parent);
        // A new box under a settled tri-state parent takes the parent's state.
        if (parent->CheckType == ctTriStateCheckBox &&
            (parent->CheckState == csUncheckedNormal || parent->CheckState == csCheckedNormal))
            SetCheckState(Node, parent->CheckState);
    }
    InvalidateNode(Node);
}

void TBaseVirtualTree::SetCheckState(PVirtualNode Node, TCheckState Value) {
    if (!Node || Node == FRoot || Node->CheckState == Value) return;
    if (Node->States.Contains(vsDisabled)) return;
    if (DoChecking(Node, Value)) DoCheckClick(Node, Value);
}

bool TBaseVirtualTree::DoChecking(PVirtualNode Node, TCheckState& NewCheckState) {
    if (ReadOnly()) return false;
    bool allowed = true;
    if (OnChecking) OnChecking(this, Node, NewCheckState, allowed);
    return allowed;
}

void TBaseVirtualTree::DoCheckClick(PVirtualNode Node, TCheckState NewCheckState) {
    if (ChangeCheckState(Node, NewCheckState)) DoChecked(Node);
}

void TBaseVirtualTree::DoChecked(PVirtualNode Node) {
    if (OnChecked) OnChecked(this, Node);
    NotifyAccessibleStateChange();
}

bool TBaseVirtualTree::ChangeCheckState(PVirtualNode Node, TCheckState Value) {
    if (!Node || Node == FRoot || Node->States.Contains(vsChecking)) return false;
    Node->States.Include(vsChecking);
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    if (FCheckPropagationCount == 0) DoStateChange({tsCheckPropagation});
    ++FCheckPropagationCount;
    auto done = runpak::ScopeExit([this, Node] {
        Node->States.Exclude(vsChecking);
        if (--FCheckPropagationCount == 0) DoStateChange({}, {tsCheckPropagation});
    });

    const bool tracking = FOptions->GetAutoOptions().Contains(toAutoTristateTracking);
    if (Node->CheckType == ctTriStateCheckBox && tracking && Node->ChildCount > 0 &&
        (Value == csUncheckedNormal || Value == csCheckedNormal)) {
        for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
            if (IsBoxType(child->CheckType)) SetCheckState(child, Value);
        // Children that refused keep their state and make the parent mixed.
        bool anyMixed = false, anyChecked = false, anyUnchecked = false;
        for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
            if (!IsBoxType(child->CheckType)) continue;
            anyMixed |= child->CheckState == csMixedNormal;
            anyChecked |= child->CheckState == csCheckedNormal;
            anyUnchecked |= child->CheckState == csUncheckedNormal;
        }
        if (anyMixed)
            Value = csMixedNormal;
        else if (anyChecked)
            Value = anyUnchecked ? csMixedNormal : csCheckedNormal;
    }

    if (Node->CheckType == ctRadioButton && Value == csCheckedNormal) {
        for (PVirtualNode sibling = Node->Parent->FirstChild; sibling;
             sibling = sibling->NextSibling)
            if (sibling->CheckType == ctRadioButton) sibling->CheckState = csUncheckedNormal;
        Invalidate();
    }

    Node->CheckState = Value;

    bool result = true;
    PVirtualNode parent = Node->Parent;
    if (parent != FRoot) {
        if (!parent->States.Contains(vsInitialized)) InitNode(parent);
        if (tracking && !parent->States.Contains(vsDisabled) &&
            !parent->States.Contains(vsChecking) && IsBoxType(Node->CheckType) &&
            parent->CheckType == ctTriStateCheckBox)
            result = CheckParentCheckState(Node, Value);
    }
    InvalidateNode(Node);
    return result;
}

bool TBaseVirtualTree::CheckParentCheckState(PVirtualNode Node, TCheckState NewCheckState) {
    for (;;) {
        PVirtualNode parent = Node->Parent;
        uint32_t boxes = 0, checked = 0;
        bool mixed = false;
        for (PVirtualNode run = parent->FirstChild; run; run = run->NextSibling) {
            if (!IsBoxType(run->CheckType)) continue;
            ++boxes;
            const TCheckState state = run == Node ? NewCheckState : run->CheckState;
            if (IsChecked(state)) ++checked;
            if (state == csMixedNormal) mixed = true;
        }
        TCheckState state = csUncheckedNormal;
        if ((checked > 0 || mixed) && checked < boxes)
            state = csMixedNormal;
        else if (boxes > 0 && checked == boxes)
            state = csCheckedNormal;

        if (!DoChecking(parent, state)) return false;
        DoCheckClick(parent, state);

        PVirtualNode grand = parent->Parent;
        if (grand == FRoot) return true;
        if (!grand->States.Contains(vsInitialized)) InitNode(grand);
        if (grand->States.Contains(vsDisabled) || grand->States.Contains(vsChecking)) return true;
        if (grand->CheckType != ctTriStateCheckBox) return true;
        Node = parent;
        NewCheckState = state;
    }
}

TCheckState TBaseVirtualTree::DetermineNextCheckState(TCheckType CheckType,
                                                      TCheckState CheckState) {
    switch (CheckType) {
    case ctCheckBox:
    case ctTriStateCheckBox:
        return CheckState == csCheckedNormal ? csUncheckedNormal : csCheckedNormal;
    case ctRadioButton:
        return csCheckedNormal;
    case ctButton:
        return csUncheckedNormal;
    case ctNone:
        break;
    }
    return csMixedNormal;
}

void TBaseVirtualTree::ClearChecked() {
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        if (run->CheckState != csUncheckedNormal) SetCheckState(run, csUncheckedNormal);
}

TCustomImageList* TBaseVirtualTree::GetCheckImageListFor(TCheckImageKind Kind) {
    return vtree::SharedCheckImages(Kind);
}
