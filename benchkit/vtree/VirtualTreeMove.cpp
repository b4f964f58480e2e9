// Moving and copying nodes, within a tree and between trees. A move inside
// one tree relinks the nodes; everything else re-creates them from their
// structure, as a tree stream carries it (user data travels through the
// application's streaming events, not in memory).
#include "benchkit/vtree/IDEVirtualTrees.h"

// A node's structure as the base chunk of a tree stream holds it.
struct TNodeChunk {
    uint32_t ChildCount;
    uint16_t NodeHeight;
    uint16_t States;
    uint8_t Align;
    TCheckState CheckState;
    TCheckType CheckType;
};

namespace {

// The states a copied node keeps: the temporary ones stay behind.
constexpr uint16_t CopiedStatesMask = 0xDDE9;

// Children are kept only for initialised nodes, as a stream writes them.
void WriteChunks(PVirtualNode Node, std::vector<TNodeChunk>& Out) {
    const bool withChildren = Node->States.Contains(vsInitialized);
    Out.push_back({withChildren ? Node->ChildCount : 0, Node->NodeHeight,
                   uint16_t(Node->States.ToInt() & CopiedStatesMask), Node->Align, Node->CheckState,
                   Node->CheckType});
    if (withChildren)
        for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
            WriteChunks(child, Out);
}

// The chunks of Source, or of each of its children, and where each top node starts.
std::vector<size_t> Snapshot(PVirtualNode Source, bool ChildrenOnly, std::vector<TNodeChunk>& Out) {
    std::vector<size_t> starts;
    if (!ChildrenOnly) {
        starts.push_back(0);
        WriteChunks(Source, Out);
        return starts;
    }
    for (PVirtualNode child = Source->FirstChild; child; child = child->NextSibling) {
        starts.push_back(Out.size());
        WriteChunks(child, Out);
    }
    return starts;
}

} // namespace

void TBaseVirtualTree::ReadChunks(const std::vector<TNodeChunk>& Chunks, size_t& Pos,
                                  PVirtualNode Node) {
    const TNodeChunk chunk = Chunks[Pos++];
    Node->States = TVirtualNodeStates::FromInt(chunk.States);
    Node->NodeHeight = chunk.NodeHeight;
    Node->TotalHeight = chunk.NodeHeight;
    Node->Align = chunk.Align;
    Node->CheckState = chunk.CheckState;
    Node->CheckType = chunk.CheckType;
    for (uint32_t i = 0; i < chunk.ChildCount; ++i) {
        PVirtualNode child = MakeNewNode();
        child->Parent = Node;
        child->PrevSibling = Node->LastChild;
        if (Node->LastChild) {
            Node->LastChild->NextSibling = child;
            child->Index = Node->LastChild->Index + 1;
        } else {
            Node->FirstChild = child;
        }
        Node->LastChild = child;
        ++Node->ChildCount;
        ReadChunks(Chunks, Pos, child);
    }
}

void TBaseVirtualTree::InternalAddChunks(const std::vector<TNodeChunk>& Chunks, size_t& Pos,
                                         PVirtualNode Node) {
    PVirtualNode parent = Node->Parent;
    const uint32_t oldHeight = Node->TotalHeight;
    const bool wasVisible = Node->States.Contains(vsVisible);
    const bool wasFullyVisible = GetFullyVisible(Node);

    ReadChunks(Chunks, Pos, Node);
    FixupTotalCount(Node);
    AdjustTotalCount(parent, int64_t(Node->TotalCount) - 1, true);
    FixupTotalHeight(Node);
    // What the parent sees of the node may change with its visibility too.
    if (parent->States.Contains(vsExpanded)) {
        const int64_t before = wasVisible ? oldHeight : 0;
        const int64_t after = Node->States.Contains(vsVisible) ? Node->TotalHeight : 0;
        AdjustTotalHeight(parent, after - before, true);
    }
    if (GetFullyVisible(Node))
        FVisibleCount += CountVisibleChildren(Node) + (wasFullyVisible ? 0 : 1);
    else if (wasFullyVisible)
        --FVisibleCount;
    if (parent != FRoot) DetermineHiddenChildrenFlag(parent);

    // Selection arrives only where the tree allows several selected nodes.
    const bool multi = FOptions->GetSelectionOptions().Contains(toMultiSelect);
    PVirtualNode stop = Node->NextSibling;
    for (PVirtualNode run = Node; run && run != stop; run = GetNextNoInit(run)) {
        if (!run->States.Contains(vsSelected)) continue;
        if (multi) {
            run->States.Exclude(vsSelected);
            InternalAddToSelection(run, true);
        } else {
            run->States.Exclude(vsSelected);
        }
    }
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
            std::vector<TNodeChunk> chunks;
            const std::vector<size_t> starts = Snapshot(Source, ChildrenOnly, chunks);
            {
                auto update = runpak::UpdateBracket(*targetTree);
                targetTree->InterruptValidation();
                size_t pos = 0;
                for (size_t i = 0; i < starts.size(); ++i) {
                    PVirtualNode node = targetTree->MakeNewNode();
                    targetTree->InternalConnectNode(node, Target, Mode, targetTree);
                    targetTree->InternalAddChunks(chunks, pos, node);
                    DoNodeMoved(node);
                    // The next one follows this one, so the order holds.
                    if (Mode != amInsertBefore && Mode != amAddChildLast) {
                        Target = node;
                        Mode = amInsertAfter;
                    }
                }
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

    // Taken before anything is added, so a copy into the source's own
    // subtree copies what was there.
    std::vector<TNodeChunk> chunks;
    const std::vector<size_t> starts = Snapshot(Source, ChildrenOnly, chunks);
    PVirtualNode result = nullptr;
    {
        auto update = runpak::UpdateBracket(*targetTree);
        targetTree->InterruptValidation();
        size_t pos = 0;
        for (size_t i = 0; i < starts.size(); ++i) {
            PVirtualNode node = targetTree->MakeNewNode();
            targetTree->InternalConnectNode(node, Target, Mode, targetTree);
            targetTree->InternalAddChunks(chunks, pos, node);
            if (DoNodeCopying(node, asked)) {
                DoNodeCopied(node);
                result = node;
                if (Mode != amInsertBefore && Mode != amAddChildLast) {
                    Target = node;
                    Mode = amInsertAfter;
                }
            } else {
                targetTree->DeleteNode(node);
                result = nullptr;
            }
        }
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
