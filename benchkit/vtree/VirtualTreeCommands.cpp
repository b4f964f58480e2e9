// Commands and queries on top of the node model: deleting the selection,
// completing a cut, the tree-view item queries that let generic code treat
// the tree like a system tree view, image and geometry queries, scaling and
// component notifications.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/ActnList.h>
#include <quorlpak/Font.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>
#include <win32/commctrl.h>

#include <algorithm>

void TBaseVirtualTree::DeleteSelectedNodes() {
    if (FSelectionCount == 0 || ReadOnly()) return;
    auto update = runpak::UpdateBracket(*this);
    const TNodeArray nodes = GetSortedSelection(true);
    // Siblings are renumbered once per parent: when the next node to go has
    // another parent (and always for the first one deleted).
    for (size_t i = nodes.size(); i-- > 0;) {
        const bool reindex = i == 0 || nodes[i - 1]->Parent != nodes[i]->Parent;
        DeleteNode(nodes[i], reindex || i + 1 == nodes.size());
    }
}

void TBaseVirtualTree::FinishCutOrCopy() {
    if (!HasState(tsCutPending)) return;
    PVirtualNode run = GetFirstNoInit();
    while (run) {
        if (run->States.Contains(vsCutOrCopy)) {
            PVirtualNode next = NextAfterSubtree(run);
            DeleteNode(run);
            run = next;
        } else {
            run = GetNextNoInit(run);
        }
    }
    DoStateChange({}, {tsCutPending});
}

bool TBaseVirtualTree::HasImage(PVirtualNode Node, TVTImageKind Kind, TColumnIndex Column) {
    bool ghosted = false;
    int index = -1;
    DoGetImageIndex(Node, Kind, Column, ghosted, index);
    return index >= 0;
}

TRect TBaseVirtualTree::GetTreeRect() {
    return TRect{0, 0, std::max(GetClientWidth(), FRangeX),
                 std::max(GetClientHeight(), FRangeY)};
}

UnicodeString TCustomVirtualStringTree::TreeViewItemText(PVirtualNode Node) {
    return GetText(Node, GetMainColumn());
}

// --- Tree-view item queries -----------------------------------------------------------------

bool TBaseVirtualTree::DispatchTreeViewQuery(TMessage& Message) {
    switch (Message.Msg) {
    case TVM_GETITEMA:
    case TVM_GETITEMW:
        Message.Result = TVMGetItem(reinterpret_cast<TVITEMW*>(Message.LParam));
        return true;
    case TVM_GETITEMRECT: {
        RECT* rect = reinterpret_cast<RECT*>(Message.LParam);
        PVirtualNode node = rect ? *reinterpret_cast<PVirtualNode*>(rect) : nullptr;
        Message.Result = 0;
        if (!node || node == FRoot) return true;
        Message.Result = GetVisible(node) ? 1 : 0;
        if (Message.Result) {
            const TRect r = GetDisplayRect(node, NoColumn, Message.WParam != 0);
            *rect = RECT{r.left, r.top, r.right, r.bottom};
        }
        return true;
    }
    case TVM_GETNEXTITEM:
        Message.Result = reinterpret_cast<LRESULT>(
            TVMGetNextItem(unsigned(Message.WParam), reinterpret_cast<PVirtualNode>(Message.LParam)));
        return true;
    default:
        return false;
    }
}

LRESULT TBaseVirtualTree::TVMGetItem(TVITEMW* Item) {
    if (!Item || !(Item->mask & TVIF_HANDLE) || !Item->hItem) return 0;
    PVirtualNode node = reinterpret_cast<PVirtualNode>(Item->hItem);
    if (Item->mask & TVIF_CHILDREN) Item->cChildren = int(node->ChildCount);
    auto image = [&](TVTImageKind kind) {
        bool ghosted = false;
        int index = -1;
        DoGetImageIndex(node, kind, NoColumn, ghosted, index);
        return index;
    };
    if (Item->mask & TVIF_IMAGE) Item->iImage = image(ikNormal);
    if (Item->mask & TVIF_SELECTEDIMAGE) Item->iSelectedImage = image(ikSelected);
    if (Item->mask & TVIF_STATE) {
        UINT state = 0;
        if (node == FFocusedNode) state |= TVIS_FOCUSED;
        if (node->States.Contains(vsSelected)) state |= TVIS_SELECTED;
        if (node->States.Contains(vsCutOrCopy)) state |= TVIS_CUT;
        if (node == FDropTargetNode) state |= TVIS_DROPHILITED;
        if (node->States.Contains(vsExpanded)) state |= TVIS_EXPANDED;
        state |= UINT((image(ikState) + 1) & 0xF) << 12;
        state |= UINT((image(ikOverlay) + 1) & 0xF) << 8;
        Item->stateMask = 0xFF2F;
        Item->state = state;
    }
    // A zero capacity leaves the caller's buffer untouched: there is no room
    // even for the terminator.
    if ((Item->mask & TVIF_TEXT) && Item->pszText && Item->cchTextMax > 0) {
        const UnicodeString text = TreeViewItemText(node);
        const size_t count = std::min<size_t>(text.size(), size_t(Item->cchTextMax - 1));
        std::copy_n(text.data(), count, Item->pszText);
        Item->pszText[count] = u'\0';
    }
    return 1;
}

PVirtualNode TBaseVirtualTree::TVMGetNextItem(unsigned Code, PVirtualNode Node) {
    const bool needsNode = Code == TVGN_NEXT || Code == TVGN_PREVIOUS || Code == TVGN_CHILD ||
                           Code == TVGN_NEXTVISIBLE || Code == TVGN_PREVIOUSVISIBLE;
    if (needsNode && !Node) return nullptr;
    switch (Code) {
    case TVGN_ROOT: return GetFirst();
    case TVGN_NEXT: return GetNextSibling(Node);
    case TVGN_PREVIOUS: return GetPreviousSibling(Node);
    case TVGN_PARENT:
        if (!Node || Node == FRoot || Node->Parent == FRoot) return nullptr;
        return Node->Parent;
    case TVGN_CHILD: return GetFirstChild(Node);
    case TVGN_FIRSTVISIBLE: return GetFirstVisible();
    case TVGN_NEXTVISIBLE: return GetNextVisible(Node);
    case TVGN_PREVIOUSVISIBLE: return GetPreviousVisible(Node);
    case TVGN_DROPHILITE: return FDropTargetNode;
    case TVGN_CARET: return FFocusedNode;
    case TVGN_LASTVISIBLE: return GetLastVisible(nullptr);
    default: return nullptr;
    }
}

// --- Scaling and notifications ----------------------------------------------------------------

void TBaseVirtualTree::ChangeScale(int M, int D, bool IsDpiChange) {
    TCustomControl::ChangeScale(M, D, IsDpiChange);
    if (M == D || D == 0 || !FOptions->GetAutoOptions().Contains(toAutoChangeScale)) return;
    if (GetComponentState().Contains(csLoading) && !HasState(tsNeedScale)) return;
    SetDefaultNodeHeight(uint32_t(MulDiv(int(FDefaultNodeHeight), M, D)));
    FHeader->ChangeScale(M, D);
}

void TBaseVirtualTree::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent != this) {
        const bool repaint = !GetComponentState().Contains(csDestroying);
        if (AComponent == FImages) {
            SetImages(nullptr);
        } else if (AComponent == FStateImages) {
            SetStateImages(nullptr);
        } else if (AComponent == FCustomCheckImages) {
            SetCustomCheckImages(nullptr);
            SetCheckImageKind(ckLightCheck);
        } else if (AComponent == GetPopupMenu()) {
            SetPopupMenu(nullptr);
        } else if (FHeader && AComponent == FHeader->GetImages()) {
            FHeader->SetImages(nullptr);
        } else if (FHeader && AComponent == FHeader->GetPopupMenu()) {
            FHeader->SetPopupMenu(nullptr);
        }
        if (repaint && HandleAllocated()) Invalidate();
    }
    TCustomControl::Notification(AComponent, Operation);
}

// --- Assignment ---------------------------------------------------------------------------------

void TBaseVirtualTree::Assign(TPersistent* Source) {
    auto* tree = dynamic_cast<TBaseVirtualTree*>(Source);
    if (!tree) {
        TCustomControl::Assign(Source);
        return;
    }
    SetAlign(tree->GetAlign());
    SetAnchors(tree->GetAnchors());
    SetBackground(tree->GetBackground());
    SetBiDiMode(tree->GetBiDiMode());
    SetBorderStyle(tree->GetBorderStyle());
    SetBorderWidth(tree->GetBorderWidth());
    SetChangeDelay(tree->GetChangeDelay());
    SetCheckImageKind(tree->GetCheckImageKind());
    SetColor(tree->GetColor());
    SetColors(tree->GetColors());
    SetDefaultNodeHeight(tree->GetDefaultNodeHeight());
    SetDefaultPasteMode(tree->GetDefaultPasteMode());
    SetDragCursor(tree->GetDragCursor());
    SetDragImageKind(tree->GetDragImageKind());
    SetDragKind(tree->GetDragKind());
    SetDragMode(tree->GetDragMode());
    SetEnabled(tree->GetEnabled());
    SetFont(tree->GetFont());
    SetHeader(tree->GetHeader());
    SetImages(tree->GetImages());
    SetIndent(tree->GetIndent());
    SetMargin(tree->GetMargin());
    SetNodeAlignment(tree->GetNodeAlignment());
    SetNodeDataSize(tree->GetNodeDataSize());
    SetTreeOptions(tree->GetTreeOptions());
    SetParentColor(tree->GetParentColor());
    SetParentFont(tree->GetParentFont());
    SetPopupMenu(tree->GetPopupMenu());
    SetRootNodeCount(tree->GetRootNodeCount());
    SetScrollBarOptions(tree->GetScrollBarOptions());
    SetShowHint(tree->GetShowHint());
    SetStateImages(tree->GetStateImages());
    SetTabStop(tree->GetTabStop());
    TControl::SetVisible(tree->TControl::GetVisible());
    SetSelectionCurveRadius(tree->GetSelectionCurveRadius());
    SetSelectionBlendFactor(tree->GetSelectionBlendFactor());
}

// --- Window geometry and simple properties ------------------------------------------------------

TSize TBaseVirtualTree::GetBorderDimensions() {
    TSize result{0, 0};
    if (!HandleAllocated()) return result;
    const LONG style = GetWindowLongW(GetHandle(), GWL_STYLE);
    if (style & WS_BORDER) {
        --result.cx;
        --result.cy;
    }
    if (style & WS_THICKFRAME) {
        result.cx -= GetSystemMetrics(SM_CXDLGFRAME);
        result.cy -= GetSystemMetrics(SM_CYDLGFRAME);
    }
    if (GetWindowLongW(GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        result.cx -= GetSystemMetrics(SM_CXEDGE);
        result.cy -= GetSystemMetrics(SM_CYEDGE);
    }
    return result;
}

void TBaseVirtualTree::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    if (!GetComponentState().Contains(csLoading) && HandleAllocated()) Invalidate();
}

void TBaseVirtualTree::SetBottomSpace(uint32_t Value) {
    if (FBottomSpace == Value) return;
    FBottomSpace = Value;
    UpdateVerticalScrollBar(true);
}

// --- Edit actions ---------------------------------------------------------------------------------

bool TBaseVirtualTree::ExecuteAction(TBasicAction* Action) {
    if (!Action) return false;
    if (Action->HandlesTarget(this)) {
        Action->ExecuteTarget(this);
        return true;
    }
    if (dynamic_cast<TEditSelectAll*>(Action)) {
        SelectAll(false);
        return true;
    }
    if (dynamic_cast<TEditCopy*>(Action)) {
        CopyToClipBoard();
        return true;
    }
    if (ReadOnly()) return false;
    if (dynamic_cast<TEditCut*>(Action)) {
        CutToClipBoard();
        return true;
    }
    if (dynamic_cast<TEditPaste*>(Action)) {
        PasteFromClipboard();
        return true;
    }
    if (dynamic_cast<TEditDelete*>(Action)) {
        DeleteSelectedNodes();
        return true;
    }
    return false;
}

bool TBaseVirtualTree::UpdateAction(TBasicAction* Action) {
    auto* action = dynamic_cast<TCustomAction*>(Action);
    if (!action || !Focused()) return false;
    const bool selected = FSelectionCount > 0;
    const bool formats = FClipboardFormats->GetCount() > 0;
    if (dynamic_cast<TEditCut*>(Action) || dynamic_cast<TEditCopy*>(Action)) {
        action->SetEnabled(selected && formats);
        return true;
    }
    if (dynamic_cast<TEditDelete*>(Action)) {
        action->SetEnabled(selected);
        return true;
    }
    if (dynamic_cast<TEditPaste*>(Action)) {
        action->SetEnabled(true);
        return true;
    }
    if (dynamic_cast<TEditSelectAll*>(Action)) {
        action->SetEnabled(FOptions->GetSelectionOptions().Contains(toMultiSelect) &&
                           FVisibleCount > 0);
        return true;
    }
    if (Action->HandlesTarget(this)) {
        Action->UpdateTarget(this);
        return true;
    }
    return false;
}
