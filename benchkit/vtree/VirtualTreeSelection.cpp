// Selection and focus: the address-ordered selection array with lazy
// removal, the selection operations, click and rubber-band selection, and
// the focused node and column with their veto.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/ImgList.h>
#include <win32/windows.h>

#include <algorithm>
#include <limits>

namespace {

// Node blocks are at least 4-byte aligned, so bit 0 is free to mark an entry
// for removal without disturbing the order of the array.
bool IsMarked(PVirtualNode Node) {
    return reinterpret_cast<uintptr_t>(Node) & 1;
}

PVirtualNode Marked(PVirtualNode Node) {
    return reinterpret_cast<PVirtualNode>(reinterpret_cast<uintptr_t>(Node) | 1);
}

bool ByAddress(PVirtualNode A, PVirtualNode B) {
    return reinterpret_cast<uintptr_t>(A) < reinterpret_cast<uintptr_t>(B);
}

} // namespace

int PackArray(PVirtualNode* Array, int Count) {
    if (Count <= 0) return -1;
    int kept = 0;
    for (int i = 0; i < Count; ++i)
        if (!IsMarked(Array[i])) Array[kept++] = Array[i];
    return kept;
}

// --- The selection array --------------------------------------------------------------------

bool TBaseVirtualTree::FindNodeInSelection(PVirtualNode Node, int& Index, int LowBound,
                                           int HighBound) {
    int low = LowBound < 0 ? 0 : LowBound;
    int high = HighBound < 0 ? int(FSelectionCount) - 1 : HighBound;
    const auto key = reinterpret_cast<uintptr_t>(Node);
    while (low <= high) {
        const int mid = (low + high) / 2;
        const auto entry = reinterpret_cast<uintptr_t>(FSelection[mid]);
        if (entry < key)
            low = mid + 1;
        else if (entry > key)
            high = mid - 1;
        else {
            Index = mid;
            return true;
        }
    }
    Index = low;
    return false;
}

bool TBaseVirtualTree::InternalAddToSelection(PVirtualNode Node, bool ForceInsert) {
    FSingletonNodeArray[0] = Node;
    return InternalAddToSelection(FSingletonNodeArray.data(), 1, ForceInsert);
}

bool TBaseVirtualTree::InternalAddToSelection(PVirtualNode* NewItems, int NewLength,
                                              bool ForceInsert) {
    if (NewLength <= 0) return false;
    if (ForceInsert) {
        for (int i = 0; i < NewLength; ++i)
            NewItems[i]->States.Include(vsSelected);
    } else {
        const TVTSelectionOptions options = FOptions->GetSelectionOptions();
        const bool levelConstraint = options.Contains(toLevelSelectConstraint);
        const bool siblingConstraint = options.Contains(toSiblingSelectConstraint);
        if (levelConstraint && FLastSelectionLevel == -1)
            FLastSelectionLevel = int(GetNodeLevel(NewItems[0]));
        if (siblingConstraint && !FRangeAnchor) FRangeAnchor = NewItems[0];
        for (int i = 0; i < NewLength; ++i) {
            PVirtualNode node = NewItems[i];
            const bool reject =
                node->States.Contains(vsSelected) || node->States.Contains(vsDisabled) ||
                (levelConstraint && int(GetNodeLevel(node)) != FLastSelectionLevel) ||
                (siblingConstraint && node->Parent != FRangeAnchor->Parent);
            if (reject)
                NewItems[i] = Marked(node);
            else
                node->States.Include(vsSelected);
        }
        NewLength = PackArray(NewItems, NewLength);
        if (NewLength <= 0) return false;
    }

    std::sort(NewItems, NewItems + NewLength, ByAddress);
    const size_t oldCount = FSelectionCount;
    FSelection.resize(oldCount);
    FSelection.insert(FSelection.end(), NewItems, NewItems + NewLength);
    std::inplace_merge(FSelection.begin(), FSelection.begin() + oldCount, FSelection.end(),
                       ByAddress);
    FSelectionCount = uint32_t(FSelection.size());
    return true;
}

void TBaseVirtualTree::AddToSelection(PVirtualNode Node) {
    if (!Node || Node == FRoot) return;
    if (!InternalAddToSelection(Node, false)) return;
    InvalidateNode(Node);
    Change(Node);
}

void TBaseVirtualTree::AddToSelection(PVirtualNode* NewItems, int NewLength, bool ForceInsert) {
    // The caller's array is only read; marking and sorting happen on a copy.
    TNodeArray items(NewItems, NewItems + std::max(NewLength, 0));
    if (!InternalAddToSelection(items.data(), int(items.size()), ForceInsert)) return;
    if (NewLength == 1) {
        InvalidateNode(NewItems[0]);
        Change(NewItems[0]);
    } else {
        Invalidate();
        Change(nullptr);
    }
}

void TBaseVirtualTree::InternalRemoveFromSelection(PVirtualNode Node) {
    int index;
    Node->States.Exclude(vsSelected);
    if (FindNodeInSelection(Node, index)) FSelection[index] = Marked(Node);
}

void TBaseVirtualTree::PackSelection() {
    const int count = PackArray(FSelection.data(), int(FSelectionCount));
    if (count < 0) return;
    FSelectionCount = uint32_t(count);
    FSelection.resize(FSelectionCount);
}

void TBaseVirtualTree::RemoveFromSelection(PVirtualNode Node) {
    if (!GetSelected(Node)) return;
    Node->States.Exclude(vsSelected);
    int index;
    if (FindNodeInSelection(Node, index)) {
        FSelection.erase(FSelection.begin() + index);
        FSelectionCount = uint32_t(FSelection.size());
    }
    if (FSelectionCount == 0) ResetRangeAnchor();
    InvalidateNode(Node);
    Change(Node);
}

void TBaseVirtualTree::InternalClearSelection() {
    if (FUpdateCount > 0) PackSelection();
    while (FSelectionCount > 0) {
        --FSelectionCount;
        PVirtualNode node = FSelection[FSelectionCount];
        FSelection.pop_back();
        if (IsMarked(node)) continue;
        node->States.Exclude(vsSelected);
        DoChange(node);
    }
    ResetRangeAnchor();
    FSelection.clear();
    DoStateChange({}, {tsClearPending});
}

void TBaseVirtualTree::ClearSelection() {
    if (FSelectionCount == 0 || FDestroying) return;
    if (FUpdateCount == 0 && HandleAllocated() && FVisibleCount > 0) {
        // Only the selected rows in view need painting again.
        uint32_t met = 0;
        const int bottom = GetClientHeight();
        int top = 0;
        PVirtualNode run = GetNodeAt(0, 0, true, top);
        while (run && top < bottom && met < FSelectionCount) {
            if (run->States.Contains(vsSelected)) {
                ++met;
                InvalidateNode(run);
            }
            top += int(run->NodeHeight);
            run = GetNextVisibleNoInit(run);
        }
    }
    InternalClearSelection();
    Change(nullptr);
}

void TBaseVirtualTree::ResetRangeAnchor() {
    FRangeAnchor = FFocusedNode;
    FLastSelectionLevel = -1;
}

void TBaseVirtualTree::SetSelected(PVirtualNode Node, bool Value) {
    if (!Node || Node == FRoot || GetSelected(Node) == Value) return;
    if (Value) {
        if (FSelectionCount == 0)
            FRangeAnchor = Node;
        else if (!FOptions->GetSelectionOptions().Contains(toMultiSelect))
            ClearSelection();
        AddToSelection(Node);
        TVirtualTreeColumns* columns = FHeader->GetColumns();
        const TColumnIndex main = FHeader->GetMainColumn();
        const bool focusedShown = columns->IsValidColumn(FFocusedColumn) &&
                                  columns->GetItem(FFocusedColumn)->GetOptions().Contains(coVisible);
        if (!focusedShown && columns->IsValidColumn(main)) {
            if (columns->GetItem(main)->GetOptions().Contains(coVisible))
                FFocusedColumn = main;
            else
                FFocusedColumn = columns->GetFirstVisibleColumn();
        }
        if (!FRangeAnchor) FRangeAnchor = Node;
    } else {
        RemoveFromSelection(Node);
        if (FSelectionCount == 0) ResetRangeAnchor();
    }
    if (GetFullyVisible(Node)) InvalidateNode(Node);
}

// --- Ranges -------------------------------------------------------------------------------------

void TBaseVirtualTree::NormalizeRange(PVirtualNode& StartNode, PVirtualNode& EndNode) {
    if (!StartNode)
        StartNode = GetFirstChild(nullptr);
    else if (!GetFullyVisible(StartNode)) {
        PVirtualNode previous = GetPreviousVisible(StartNode);
        StartNode = previous ? previous : GetFirstChild(nullptr);
    }
    if (!EndNode) EndNode = StartNode;
    if (StartNode && EndNode && CompareNodePositions(StartNode, EndNode) > 0)
        std::swap(StartNode, EndNode);
}

void TBaseVirtualTree::SelectNodes(PVirtualNode StartNode, PVirtualNode EndNode, bool AddOnly) {
    NormalizeRange(StartNode, EndNode);
    if (!StartNode) return;
    PVirtualNode anchor = FRangeAnchor;
    if (!AddOnly) InternalClearSelection();
    TNodeArray collected;
    for (PVirtualNode run = StartNode; run; run = GetNextVisible(run)) {
        collected.push_back(run);
        if (run == EndNode) break;
    }
    AddToSelection(collected.data(), int(collected.size()));
    if (anchor && GetSelected(anchor)) FRangeAnchor = anchor;
}

void TBaseVirtualTree::ToggleSelection(PVirtualNode StartNode, PVirtualNode EndNode) {
    if (StartNode == EndNode) return;
    NormalizeRange(StartNode, EndNode);
    if (!StartNode) return;
    PVirtualNode anchor = FRangeAnchor;
    TNodeArray collected;
    auto toggle = [&](PVirtualNode node) {
        if (node->States.Contains(vsSelected))
            InternalRemoveFromSelection(node);
        else
            collected.push_back(node);
    };
    for (PVirtualNode run = StartNode; run; run = GetNextVisible(run)) {
        const bool first = run == StartNode;
        const bool last = run == EndNode;
        if (!anchor || (!first && !last) ||
            (first && CompareNodePositions(run, anchor) < 0) ||
            (last && !first && CompareNodePositions(run, anchor) > 0))
            toggle(run);
        if (last) break;
    }
    PackSelection();
    if (anchor && !anchor->States.Contains(vsSelected) &&
        std::find(collected.begin(), collected.end(), anchor) == collected.end())
        collected.push_back(anchor);
    AddToSelection(collected.data(), int(collected.size()));
}

void TBaseVirtualTree::UnselectNodes(PVirtualNode StartNode, PVirtualNode EndNode) {
    NormalizeRange(StartNode, EndNode);
    if (!StartNode) return;
    for (PVirtualNode run = StartNode; run; run = GetNextVisible(run)) {
        InternalRemoveFromSelection(run);
        if (run == EndNode) break;
    }
    PackSelection();
    Invalidate();
}

void TBaseVirtualTree::SelectAll(bool VisibleOnly) {
    if (!FOptions->GetSelectionOptions().Contains(toMultiSelect)) return;
    TNodeArray collected;
    for (PVirtualNode run = VisibleOnly ? GetFirstVisible() : GetFirst(); run;
         run = VisibleOnly ? GetNextVisible(run) : GetNext(run))
        if (!run->States.Contains(vsSelected)) collected.push_back(run);
    AddToSelection(collected.data(), int(collected.size()));
    Invalidate();
}

void TBaseVirtualTree::InvertSelection(bool VisibleOnly) {
    if (!FOptions->GetSelectionOptions().Contains(toMultiSelect)) return;
    TNodeArray collected;
    for (PVirtualNode run = VisibleOnly ? GetFirstVisibleNoInit() : GetFirstNoInit(); run;
         run = VisibleOnly ? GetNextVisibleNoInit(run) : GetNextNoInit(run)) {
        if (run->States.Contains(vsSelected))
            InternalRemoveFromSelection(run);
        else
            collected.push_back(run);
    }
    PackSelection();
    const uint32_t before = FSelectionCount;
    AddToSelection(collected.data(), int(collected.size()));
    Invalidate();
    if (FSelectionCount == before) Change(nullptr);
}

// --- Click selection ----------------------------------------------------------------------------

void TBaseVirtualTree::HandleClickSelection(PVirtualNode LastFocused, PVirtualNode NewNode,
                                            TShiftState Shift, bool DragPending) {
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    if (ctrl && shift) {
        SelectNodes(FRangeAnchor, NewNode, true);
        Invalidate();
    } else if (ctrl) {
        if (!FOptions->GetSelectionOptions().Contains(toSiblingSelectConstraint))
            FRangeAnchor = NewNode;
        if (DragPending)
            DoStateChange({tsToggleFocusedSelection});
        else if (GetSelected(NewNode))
            RemoveFromSelection(NewNode);
        else
            AddToSelection(NewNode);
    } else if (shift) {
        if (!FRangeAnchor) FRangeAnchor = GetFirstChild(nullptr);
        SelectNodes(FRangeAnchor, NewNode, false);
        Invalidate();
    } else {
        if (!GetSelected(NewNode)) {
            AddToSelection(NewNode);
            InvalidateNode(NewNode);
        }
        FRangeAnchor = NewNode;
    }
}

// --- Rectangle selection ------------------------------------------------------------------------

bool TBaseVirtualTree::CalculateSelectionRect(int X, int Y) {
    if (HasState(tsDrawSelecting)) FLastSelRect = FNewSelRect;
    FNewSelRect.right = X - FEffectiveOffsetX;
    FNewSelRect.bottom = Y - FOffsetY;
    FNewSelRect.right = std::clamp<LONG>(FNewSelRect.right, 0, std::max(GetClientWidth(), FRangeX));
    FNewSelRect.bottom =
        std::clamp<LONG>(FNewSelRect.bottom, 0, LONG(std::max<int64_t>(GetClientHeight(), FRangeY)));
    return !EqualRect(&FNewSelRect, &FLastSelRect);
}

bool TBaseVirtualTree::HandleDrawSelection(int X, int Y) {
    if (!HasState(tsDrawSelecting) || FRoot->TotalCount <= 1) return false;
    const TRect oldRect = OrderRect(FLastSelRect);
    const TRect newRect = OrderRect(FNewSelRect);
    FTempNodeCache.clear();
    FTempNodeCount = 0;
    const TColumnIndex main = FHeader->GetMainColumn();
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    bool rightToLeft = GetBiDiMode() != bdLeftToRight;
    TAlignment alignment = taLeftJustify;
    int left = 0;
    int right = GetClientWidth();
    if (columns->IsValidColumn(main)) {
        TVirtualTreeColumn* column = columns->GetItem(main);
        rightToLeft = column->GetBiDiMode() != bdLeftToRight;
        alignment = column->GetAlignment();
        columns->GetColumnBounds(main, left, right);
        left -= FEffectiveOffsetX;
        right -= FEffectiveOffsetX;
    }
    if (!FHeader->UseColumns()) {
        left = 0;
        right = std::max(GetClientWidth(), FRangeX);
    }
    const bool changed =
        CollectSelectedNodes(rightToLeft, main, left, right, alignment, oldRect, newRect);
    if (changed) {
        PackSelection();
        if (!FTempNodeCache.empty())
            InternalAddToSelection(FTempNodeCache.data(), int(FTempNodeCache.size()), false);
        FTempNodeCache.clear();
        Change(nullptr);
    }
    return changed;
}

bool TBaseVirtualTree::CollectSelectedNodes(bool RightToLeft, TColumnIndex MainColumn,
                                            int NodeLeft, int NodeRight, TAlignment Alignment,
                                            const TRect& OldRect, const TRect& NewRect) {
    if (IsRectEmpty(&OldRect) && OldRect.left == OldRect.right && OldRect.top == OldRect.bottom &&
        !HasState(tsDrawSelecting))
        return false;
    const bool simple = FOptions->GetSelectionOptions().Contains(toSimpleDrawSelection);
    const bool toggle = FDrawSelShiftState.Contains(ssCtrl);
    const bool withCheck = FOptions->GetMiscOptions().Contains(toCheckSupport) && FCheckImages;
    const bool showRoot = FOptions->GetPaintOptions().Contains(toShowRoot);
    const bool span = FOptions->GetAutoOptions().Contains(toAutoSpanColumns);
    TVirtualTreeColumns* columns = FHeader->GetColumns();

    const int top = std::min(OldRect.top, NewRect.top);
    const int bottom = std::max(OldRect.bottom, NewRect.bottom);
    int nodeTop = 0;
    PVirtualNode run = GetNodeAt(0, top, false, nodeTop);
    if (!run) return false;
    bool changed = false;
    auto rectHits = [](const TRect& R, int L, int Rt, int T, int B) {
        return R.left < Rt && L < R.right && R.top < B && T < R.bottom;
    };
    while (run && nodeTop <= bottom) {
        const int level = int(GetNodeLevel(run)) - (showRoot ? 0 : 1);
        int contentLeft = FMargin + level * FIndent;
        if (withCheck && run->CheckType != ctNone) contentLeft += FCheckImages->GetWidth() + 2;
        bool ghosted = false;
        int index = -1;
        if (FImages && DoGetImageIndex(run, ikNormal, MainColumn, ghosted, index) && index >= 0)
            contentLeft += FImages->GetWidth() + 2;
        index = -1;
        if (FStateImages && DoGetImageIndex(run, ikState, MainColumn, ghosted, index) && index >= 0)
            contentLeft += FStateImages->GetWidth() + 2;
        const int nodeHeight = GetNodeHeight(run);
        const int nodeBottom = nodeTop + nodeHeight;

        int areaLeft = NodeLeft;
        int areaRight = NodeRight;
        if (!simple) {
            int textLeft = RightToLeft ? NodeLeft : NodeLeft + contentLeft;
            int textRight = RightToLeft ? NodeRight - contentLeft : NodeRight;
            if (!RightToLeft && span && columns->IsValidColumn(MainColumn)) {
                for (TColumnIndex next = columns->GetNextVisibleColumn(MainColumn);
                     columns->IsValidColumn(next) && ColumnIsEmpty(run, next);
                     next = columns->GetNextVisibleColumn(next))
                    textRight += columns->GetItem(next)->GetWidth();
            }
            const int width = DoGetNodeWidth(run, MainColumn, nullptr);
            TAlignment alignment = Alignment;
            if (RightToLeft && alignment != taCenter)
                alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
            const bool wholeArea =
                width >= textRight - textLeft ||
                (alignment == taLeftJustify && textLeft > OldRect.left && textLeft > NewRect.left &&
                 !RightToLeft);
            areaLeft = textLeft;
            areaRight = textRight;
            if (!wholeArea) {
                if (alignment == taLeftJustify)
                    areaRight = textLeft + width;
                else if (alignment == taRightJustify)
                    areaLeft = textRight - width;
                else {
                    areaLeft = (textLeft + textRight - width) / 2;
                    areaRight = areaLeft + width;
                }
            }
        } else {
            areaLeft = std::numeric_limits<int>::min() / 2;
            areaRight = std::numeric_limits<int>::max() / 2;
        }
        const bool inOld = rectHits(OldRect, areaLeft, areaRight, nodeTop, nodeBottom);
        const bool inNew = rectHits(NewRect, areaLeft, areaRight, nodeTop, nodeBottom);
        if (inOld != inNew) {
            if (toggle) {
                if (run->States.Contains(vsSelected))
                    InternalRemoveFromSelection(run);
                else
                    FTempNodeCache.push_back(run);
            } else if (inNew) {
                if (!run->States.Contains(vsSelected)) FTempNodeCache.push_back(run);
            } else if (run->States.Contains(vsSelected)) {
                InternalRemoveFromSelection(run);
            }
            changed = true;
        }
        nodeTop = nodeBottom;
        run = GetNextVisibleNoInit(run);
    }
    FTempNodeCount = uint32_t(FTempNodeCache.size());
    return changed;
}

// --- Focus ----------------------------------------------------------------------------------------

bool TBaseVirtualTree::DoFocusChanging(PVirtualNode OldNode, PVirtualNode NewNode,
                                       TColumnIndex OldColumn, TColumnIndex NewColumn) {
    bool allowed = true;
    if (OnFocusChanging) OnFocusChanging(this, OldNode, NewNode, OldColumn, NewColumn, allowed);
    return allowed;
}

void TBaseVirtualTree::DoFocusChange(PVirtualNode Node, TColumnIndex Column) {
    if (OnFocusChanged) OnFocusChanged(this, Node, Column);
    if (!HandleAllocated()) return;
    // Assistive programs re-read the focused item.
    for (DWORD event : {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_NAMECHANGE,
                        EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_SELECTION,
                        EVENT_OBJECT_FOCUS})
        NotifyWinEvent(event, GetHandle(), OBJID_CLIENT, CHILDID_SELF);
}

void TBaseVirtualTree::DoFocusNode(PVirtualNode Node, bool Ask) {
    if (HasState(tsEditing) && !DoEndEdit()) return;
    if (Node == FRoot) Node = nullptr;
    const TVTAutoOptions autoOptions = FOptions->GetAutoOptions();
    if (Node != FFocusedNode) {
        if (Ask && !DoFocusChanging(FFocusedNode, Node, FFocusedColumn, FFocusedColumn)) return;
        PVirtualNode old = FFocusedNode;
        if (old) {
            if (autoOptions.Contains(toAutoExpand) && Node && Node->Parent == old->Parent &&
                old->States.Contains(vsExpanded))
                ToggleNode(old);
            else
                InvalidateNode(old);
        }
        FFocusedNode = Node;
    }
    if (FFocusedNode && !FDestroying) {
        if (FHeader->UseColumns() && !FHeader->GetColumns()->IsValidColumn(FFocusedColumn))
            FFocusedColumn = 0;
        if (autoOptions.Contains(toAutoExpand) && !FFocusedNode->States.Contains(vsExpanded) &&
            FFocusedNode->States.Contains(vsHasChildren))
            ToggleNode(FFocusedNode);
        InvalidateNode(FFocusedNode);
        if (FUpdateCount == 0) {
            const bool buttonDown = HasState(tsLeftButtonDown) || HasState(tsMiddleButtonDown) ||
                                    HasState(tsRightButtonDown);
            ScrollIntoView(FFocusedNode,
                           FOptions->GetSelectionOptions().Contains(toCenterScrollIntoView) &&
                               !buttonDown,
                           !autoOptions.Contains(toDisableAutoscrollOnFocus));
        }
    }
    if (FSelectionCount == 0) ResetRangeAnchor();
}

void TBaseVirtualTree::SetFocusedNode(PVirtualNode Node) {
    if (Node == FRoot) Node = nullptr;
    if (Node == FFocusedNode) return;
    StopTimer(EditTimer);
    DoFocusNode(Node, true);
    if (FFocusedNode == Node) DoFocusChange(FFocusedNode, FFocusedColumn);
}

void TBaseVirtualTree::SetFocusedColumn(TColumnIndex Column) {
    if (Column == FFocusedColumn) return;
    // The handler learns the old column first, as its signature says.
    if (!DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, Column)) return;
    DoCancelEdit();
    FFocusedColumn = Column;
    if (FFocusedNode) {
        ScrollIntoView(FFocusedNode,
                       FOptions->GetSelectionOptions().Contains(toCenterScrollIntoView),
                       !FOptions->GetAutoOptions().Contains(toDisableAutoscrollOnFocus));
        InvalidateNode(FFocusedNode);
    }
    if (FDropTargetNode) InvalidateNode(FDropTargetNode);
    DoFocusChange(FFocusedNode, FFocusedColumn);
}

void TBaseVirtualTree::SetFocusedNodeAndColumn(PVirtualNode Node, TColumnIndex Column) {
    if (Node == FRoot) Node = nullptr;
    const TColumnIndex oldColumn = FFocusedColumn;
    PVirtualNode oldNode = FFocusedNode;
    FFocusedColumn = Column;
    DoFocusNode(Node, true);
    if (FFocusedNode == Node) {
        DoCancelEdit();
        if (oldNode != Node || oldColumn != Column) DoFocusChange(Node, Column);
    } else {
        FFocusedColumn = oldColumn;
    }
}
