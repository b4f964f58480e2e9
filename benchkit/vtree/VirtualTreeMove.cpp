// Moving and copying nodes, within a tree and between trees. A move inside
// one tree relinks the nodes; everything else re-creates them from their
// structure, as a tree stream carries it (user data travels through the
// application's streaming events, not in memory).
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <runpak/Streams.h>

void TBaseVirtualTree::WriteTransfer(TStream* Stream, PVirtualNode Source, bool ChildrenOnly) {
    if (!ChildrenOnly) {
        WriteNode(Stream, Source);
    } else {
        // Children made on demand for the writing belong to the transfer too.
        if (FOptions->GetMiscOptions().Contains(toInitOnSave)) {
            if (!Source->States.Contains(vsInitialized)) InitNode(Source);
            if (Source->States.Contains(vsHasChildren) && Source->ChildCount == 0)
                InitChildren(Source);
        }
        for (PVirtualNode child = Source->FirstChild; child; child = child->NextSibling)
            WriteNode(Stream, child);
    }
    Stream->SetPosition(0);
}

void TBaseVirtualTree::MoveTo(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                              bool ChildrenOnly) {
    auto check = CheckedChange();
    const bool siblingMode = Mode == amInsertBefore || Mode == amInsertAfter;
    if (Target == Source && !(siblingMode && ChildrenOnly)) return;
    if (Mode == amNoWhere || !Source || Source == FRoot || ReadOnly()) return;

    TBaseVirtualTree* targetTree = this;
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    } else {
        targetTree = TreeFromNode(Target);
    }
    if (Target == targetTree->FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    if (!Target->States.Contains(vsInitialized))
        targetTree->InitNode(Target);
    else if (Target->States.Contains(vsHasChildren) && Target->ChildCount == 0)
        targetTree->InitChildren(Target);

    const bool allowed = DoNodeMoving(Source, Target == targetTree->FRoot ? nullptr : Target);
    if (allowed) {
        if (targetTree == this) {
            if (Target != Source && HasAsParent(Target, Source))
                ShowVirtualTreeError(hcTFWrongMoveError);
            InterruptValidation();
            if (!ChildrenOnly) {
                InternalDisconnectNode(Source, true, true);
                InternalConnectNode(Source, Target, Mode, this);
                DoNodeMoved(Source);
            } else {
                // Each child goes right at the target: walking from the far
                // end keeps the children's order there.
                const bool backwards = Mode == amAddChildFirst || Mode == amInsertAfter;
                PVirtualNode run = backwards ? Source->LastChild : Source->FirstChild;
                while (run) {
                    PVirtualNode next = backwards ? run->PrevSibling : run->NextSibling;
                    InternalDisconnectNode(run, true, false);
                    InternalConnectNode(run, Target, Mode, this);
                    DoNodeMoved(run);
                    run = next;
                }
            }
        } else {
            TMemoryStream stream;
            WriteTransfer(&stream, Source, ChildrenOnly);
            {
                auto update = runpak::UpdateBracket(*targetTree);
                targetTree->InterruptValidation();
                targetTree->ReadNodesFromStream(&stream, 2, UINT32_MAX, Target, Mode,
                                                [this](PVirtualNode node) {
                                                    DoNodeMoved(node);
                                                    return true;
                                                });
            }
            {
                auto update = runpak::UpdateBracket(*this);
                if (ChildrenOnly)
                    DeleteChildren(Source, false);
                else
                    DeleteNode(Source);
            }
        }
    }

    InvalidateCache();
    if (FUpdateCount == 0 && allowed) {
        ValidateCache();
        UpdateScrollBars(true);
        Invalidate();
        if (targetTree != this) targetTree->Invalidate();
    }
    const bool sourceGone = ChildrenOnly || targetTree != this;
    StructureChange(sourceGone ? nullptr : Source, crNodeMoved);
}

void TBaseVirtualTree::MoveTo(PVirtualNode Source, TBaseVirtualTree* Tree, TVTNodeAttachMode Mode,
                              bool ChildrenOnly) {
    if (Tree) MoveTo(Source, Tree->FRoot, Mode, ChildrenOnly);
}

PVirtualNode TBaseVirtualTree::CopyTo(PVirtualNode Source, PVirtualNode Target,
                                      TVTNodeAttachMode Mode, bool ChildrenOnly) {
    auto check = CheckedChange();
    if (Mode == amNoWhere || !Source || Source == FRoot) return nullptr;
    TBaseVirtualTree* targetTree = this;
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    } else {
        targetTree = TreeFromNode(Target);
    }
    if (targetTree->ReadOnly()) return nullptr;
    if (Target == targetTree->FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    PVirtualNode const asked = Target == targetTree->FRoot ? nullptr : Target;

    // Written before anything is added, so a copy into the source's own
    // subtree copies what was there.
    TMemoryStream stream;
    WriteTransfer(&stream, Source, ChildrenOnly);
    PVirtualNode result = nullptr;
    {
        auto update = runpak::UpdateBracket(*targetTree);
        targetTree->InterruptValidation();
        targetTree->ReadNodesFromStream(&stream, 2, UINT32_MAX, Target, Mode,
                                        [&](PVirtualNode node) {
                                            if (DoNodeCopying(node, asked)) {
                                                DoNodeCopied(node);
                                                result = node;
                                                return true;
                                            }
                                            targetTree->DeleteNode(node);
                                            result = nullptr;
                                            return false;
                                        });
    }

    targetTree->InvalidateCache();
    if (targetTree->FUpdateCount == 0) {
        targetTree->ValidateCache();
        targetTree->UpdateScrollBars(true);
        targetTree->Invalidate();
    }
    targetTree->StructureChange(ChildrenOnly ? nullptr : Source, crNodeCopied);
    return ChildrenOnly ? asked : result;
}

PVirtualNode TBaseVirtualTree::CopyTo(PVirtualNode Source, TBaseVirtualTree* Tree,
                                      TVTNodeAttachMode Mode, bool ChildrenOnly) {
    return Tree ? CopyTo(Source, Tree->FRoot, Mode, ChildrenOnly) : nullptr;
}

bool TBaseVirtualTree::DoNodeMoving(PVirtualNode Node, PVirtualNode Target) {
    bool allowed = true;
    if (OnNodeMoving) OnNodeMoving(this, Node, Target, allowed);
    return allowed;
}

bool TBaseVirtualTree::DoNodeCopying(PVirtualNode Node, PVirtualNode Target) {
    bool allowed = true;
    if (OnNodeCopying) OnNodeCopying(this, Node, Target, allowed);
    return allowed;
}

void TBaseVirtualTree::DoNodeMoved(PVirtualNode Node) {
    if (OnNodeMoved) OnNodeMoved(this, Node);
}

void TBaseVirtualTree::DoNodeCopied(PVirtualNode Node) {
    if (OnNodeCopied) OnNodeCopied(this, Node);
}
