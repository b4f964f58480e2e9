// Mouse handling and hit testing: what lies under a point, the three
// buttons, rubber-band selection, hot tracking, check clicks, the popup
// menu, the cursor, focus changes and the input timers.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/IDEVTAccessibilityFactory.h"
#include "benchkit/vtree/VirtualTreeDataObject.h"

#include <quorlpak/Forms.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

TShiftState ShiftFromKeys(WPARAM Keys) {
    TShiftState shift;
    if (Keys & MK_SHIFT) shift.Include(ssShift);
    if (Keys & MK_CONTROL) shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    return shift;
}

TPoint PointOf(const TMessage& Message) {
    return TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

} // namespace

// --- Hit testing ------------------------------------------------------------------------------

void TBaseVirtualTree::GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo) {
    HitInfo = THitInfo{};
    if (X < 0) HitInfo.HitPositions.Include(hiToLeft);
    if (X > std::max(GetClientWidth(), FRangeX)) HitInfo.HitPositions.Include(hiToRight);
    if (Y < 0) HitInfo.HitPositions.Include(hiAbove);
    if (Y > std::max<int64_t>(GetClientHeight(), FRangeY)) HitInfo.HitPositions.Include(hiBelow);
    if (!HitInfo.HitPositions.Empty()) return;

    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (Relative) {
        if (X >= columns->GetVisibleFixedWidth()) X += FEffectiveOffsetX;
        Y -= FOffsetY;
    }
    int nodeTop = 0;
    HitInfo.HitNode = GetNodeAt(X, Y, false, nodeTop);
    if (HitInfo.HitNode && !HitInfo.HitNode->States.Contains(vsInitialized))
        InitNode(HitInfo.HitNode);

    int left = 0;
    int right = std::max(GetClientWidth(), FRangeX);
    if (FHeader->UseColumns()) {
        HitInfo.HitColumn = columns->GetColumnAndBounds(TPoint(X, 0), left, right, false);
        if (HitInfo.HitNode && columns->IsValidColumn(HitInfo.HitColumn) &&
            FOptions->GetAutoOptions().Contains(toAutoSpanColumns)) {
            // An empty cell belongs to the text that spills into it.
            while (ColumnIsEmpty(HitInfo.HitNode, HitInfo.HitColumn)) {
                const TColumnIndex previous =
                    columns->GetPreviousVisibleColumn(HitInfo.HitColumn);
                if (!columns->IsValidColumn(previous)) break;
                HitInfo.HitColumn = previous;
                left -= columns->GetItem(previous)->GetWidth();
            }
            for (TColumnIndex next = columns->GetNextVisibleColumn(HitInfo.HitColumn);
                 columns->IsValidColumn(next) && ColumnIsEmpty(HitInfo.HitNode, next);
                 next = columns->GetNextVisibleColumn(next))
                right += columns->GetItem(next)->GetWidth();
        }
    }
    X -= left;
    right -= left;

    if (HitInfo.HitNode && HitInfo.HitColumn > InvalidColumn) {
        HitInfo.HitPositions.Include(hiOnItem);
        TBiDiMode bidi = GetBiDiMode();
        TAlignment alignment = taLeftJustify;
        if (columns->IsValidColumn(HitInfo.HitColumn)) {
            bidi = columns->GetItem(HitInfo.HitColumn)->GetBiDiMode();
            alignment = columns->GetItem(HitInfo.HitColumn)->GetAlignment();
        }
        if (bidi == bdLeftToRight)
            DetermineHitPositionLTR(HitInfo, X, right, alignment);
        else
            DetermineHitPositionRTL(HitInfo, X, right, alignment);
    } else {
        HitInfo.HitPositions.Include(hiNowhere);
    }
}

// The parts of a cell from its reading edge: indentation (with the button in
// its last step), margin, check box, state image, image, then the label.
// Offsets grow away from the reading edge in both directions.
static void DetermineHitPosition(TBaseVirtualTree* Tree, THitInfo& HitInfo, int Offset, int Right,
                                 TAlignment Alignment, int Indent, int IndentStep, bool Buttons,
                                 bool MainColumn, bool ReportMode, int Margin, int CheckWidth,
                                 int StateWidth, int ImageWidth, int NodeWidth) {
    PVirtualNode node = HitInfo.HitNode;
    if (Offset < Indent) {
        if (Buttons && node->States.Contains(vsHasChildren) && Offset >= Indent - IndentStep)
            HitInfo.HitPositions.Include(hiOnItemButton);
        return;
    }
    if (!MainColumn && ReportMode) return;
    Indent += Margin;
    if (MainColumn && CheckWidth > 0) {
        Indent += CheckWidth + 2;
        if (Offset < Indent) {
            HitInfo.HitPositions.Include(hiOnItemCheckbox);
            return;
        }
    } else if (MainColumn && Offset < Indent) {
        return;
    }
    if (StateWidth > 0) {
        Indent += StateWidth + 2;
        if (Offset < Indent) {
            HitInfo.HitPositions.Include(hiOnStateIcon);
            return;
        }
    }
    if (ImageWidth > 0) {
        Indent += ImageWidth + 2;
        if (Offset < Indent) {
            HitInfo.HitPositions.Include(hiOnNormalIcon);
            return;
        }
    }
    if (Right - Indent < NodeWidth) {
        HitInfo.HitPositions.Include(hiOnItemLabel);
        return;
    }
    switch (Alignment) {
    case taLeftJustify:
        HitInfo.HitPositions.Include(Offset < Indent + NodeWidth ? hiOnItemLabel : hiOnItemRight);
        break;
    case taRightJustify:
        HitInfo.HitPositions.Include(Offset < Right - NodeWidth ? hiOnItemLeft : hiOnItemLabel);
        break;
    case taCenter: {
        const int start = (Indent + Right - NodeWidth) / 2;
        if (Offset < start)
            HitInfo.HitPositions.Include(hiOnItemLeft);
        else if (Offset < start + NodeWidth)
            HitInfo.HitPositions.Include(hiOnItemLabel);
        else
            HitInfo.HitPositions.Include(hiOnItemRight);
        break;
    }
    }
    (void)Tree;
}

void TBaseVirtualTree::DetermineHitPositionLTR(THitInfo& HitInfo, int Offset, int Right,
                                               TAlignment Alignment) {
    PVirtualNode node = HitInfo.HitNode;
    const TColumnIndex column = HitInfo.HitColumn;
    const bool main = column == FHeader->GetMainColumn() || !FHeader->UseColumns();
    int indent = 0;
    if (main) {
        indent = FIndent * int(GetNodeLevel(node));
        if (FOptions->GetPaintOptions().Contains(toShowRoot)) indent += FIndent;
    }
    int checkWidth = 0;
    if (main && FOptions->GetMiscOptions().Contains(toCheckSupport) && FCheckImages &&
        node->CheckType != ctNone)
        checkWidth = FCheckImages->GetWidth();
    bool ghosted = false;
    int index = -1;
    int stateWidth = 0;
    if (FStateImages && DoGetImageIndex(node, ikState, column, ghosted, index) && index >= 0)
        stateWidth = FStateImages->GetWidth();
    index = -1;
    int imageWidth = 0;
    if (FImages && DoGetImageIndex(node, ikNormal, column, ghosted, index) && index >= 0)
        imageWidth = FImages->GetWidth();
    DetermineHitPosition(this, HitInfo, Offset, Right, Alignment, indent, FIndent,
                         FOptions->GetPaintOptions().Contains(toShowButtons), main,
                         FOptions->GetMiscOptions().Contains(toReportMode), FMargin, checkWidth,
                         stateWidth, imageWidth, DoGetNodeWidth(node, column, nullptr));
}

void TBaseVirtualTree::DetermineHitPositionRTL(THitInfo& HitInfo, int Offset, int Right,
                                               TAlignment Alignment) {
    // Measured leftwards from the right edge, with the alignment mirrored.
    TAlignment mirrored = Alignment;
    if (Alignment == taLeftJustify)
        mirrored = taRightJustify;
    else if (Alignment == taRightJustify)
        mirrored = taLeftJustify;
    const THitPositions before = HitInfo.HitPositions;
    DetermineHitPositionLTR(HitInfo, Right - Offset, Right, mirrored);
    // Left and right of the label swap back to the screen's sides.
    const bool left = HitInfo.HitPositions.Contains(hiOnItemLeft) && !before.Contains(hiOnItemLeft);
    const bool right =
        HitInfo.HitPositions.Contains(hiOnItemRight) && !before.Contains(hiOnItemRight);
    if (left) {
        HitInfo.HitPositions.Exclude(hiOnItemLeft);
        HitInfo.HitPositions.Include(hiOnItemRight);
    }
    if (right) {
        HitInfo.HitPositions.Exclude(hiOnItemRight);
        HitInfo.HitPositions.Include(hiOnItemLeft);
    }
}

// --- Message routing ---------------------------------------------------------------------------

bool TBaseVirtualTree::DispatchInput(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        WMButtonDown(Message, mbLeft, false);
        return true;
    case WM_LBUTTONDBLCLK:
        WMButtonDown(Message, mbLeft, true);
        return true;
    case WM_MBUTTONDOWN:
        WMButtonDown(Message, mbMiddle, false);
        return true;
    case WM_MBUTTONDBLCLK:
        WMButtonDown(Message, mbMiddle, true);
        return true;
    case WM_RBUTTONDOWN:
        WMButtonDown(Message, mbRight, false);
        return true;
    case WM_RBUTTONDBLCLK:
        WMButtonDown(Message, mbRight, true);
        return true;
    case WM_LBUTTONUP:
        WMButtonUp(Message, mbLeft);
        return true;
    case WM_MBUTTONUP:
        WMButtonUp(Message, mbMiddle);
        return true;
    case WM_RBUTTONUP:
        WMButtonUp(Message, mbRight);
        return true;
    case WM_SETCURSOR:
        WMSetCursor(Message);
        return true;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        return true;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return true;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return true;
    case WM_CANCELMODE:
        WMCancelMode(Message);
        return true;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        WMKeyDown(Message);
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyUp(Message);
        return true;
    case WM_CHAR:
        WMChar(Message);
        return true;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return true;
    case CM_HINTSHOW:
        CMHintShow(Message);
        return true;
    case CM_HINTSHOWPAUSE:
        CMHintShowPause(Message);
        return true;
    case WM_GETOBJECT:
        WMGetObject(Message);
        return true;
    default:
        return false;
    }
}

void TBaseVirtualTree::WMButtonDown(TMessage& Message, TMouseButton Button, bool Double) {
    const TVirtualTreeState down = Button == mbLeft    ? tsLeftButtonDown
                                   : Button == mbRight ? tsRightButtonDown
                                                       : tsMiddleButtonDown;
    const TVirtualTreeState dbl = Button == mbLeft    ? tsLeftDblClick
                                  : Button == mbRight ? tsRightDblClick
                                                      : tsMiddleDblClick;
    DoStateChange({down});
    if (Double) DoStateChange({dbl});
    auto leaveDouble = runpak::ScopeExit([this, Double, dbl] {
        if (Double) DoStateChange({}, {dbl});
    });
    TCustomControl::Dispatch(Message);

    THitInfo hit;
    const TPoint p = PointOf(Message);
    const TVTMiscOptions misc = FOptions->GetMiscOptions();
    const TVTSelectionOptions selection = FOptions->GetSelectionOptions();
    switch (Button) {
    case mbLeft:
        GetHitTestInfoAt(p.x, p.y, true, hit);
        if (Double)
            HandleMouseDblClick(Message, hit);
        else
            HandleMouseDown(Message, hit);
        break;
    case mbMiddle:
        if (!FHeader->GetStates().Empty()) break;
        if (misc.Contains(toWheelPanning) && !HasState(tsWheelPanning) &&
            !HasState(tsWheelScrolling) &&
            (FRangeX > GetClientWidth() || FRangeY > GetClientHeight())) {
            FLastClickPos = p;
            StartWheelPanning(p);
            break;
        }
        StopWheelPanning();
        if (selection.Contains(toMiddleClickSelect)) {
            GetHitTestInfoAt(p.x, p.y, true, hit);
            if (Double)
                HandleMouseDblClick(Message, hit);
            else
                HandleMouseDown(Message, hit);
        }
        break;
    case mbRight:
        if (!FHeader->GetStates().Empty()) break;
        if (selection.Contains(toRightClickSelect)) {
            GetHitTestInfoAt(p.x, p.y, true, hit);
            if (Double)
                HandleMouseDblClick(Message, hit);
            else
                HandleMouseDown(Message, hit);
        }
        break;
    }
}

void TBaseVirtualTree::WMButtonUp(TMessage& Message, TMouseButton Button) {
    THitInfo hit;
    const TPoint p = PointOf(Message);
    switch (Button) {
    case mbLeft:
        DoStateChange({}, {tsLeftButtonDown});
        GetHitTestInfoAt(p.x, p.y, true, hit);
        HandleMouseUp(Message, hit);
        break;
    case mbMiddle:
        DoStateChange({}, {tsMiddleButtonDown});
        if (HasState(tsWheelPanning) || HasState(tsWheelScrolling)) {
            // A press without a drag leaves the content scrolling until the next press.
            if (HasState(tsWheelScrolling))
                DoStateChange({}, {tsWheelPanning});
            else
                StopWheelPanning();
        } else if (FOptions->GetSelectionOptions().Contains(toMiddleClickSelect)) {
            GetHitTestInfoAt(p.x, p.y, true, hit);
            HandleMouseUp(Message, hit);
        }
        break;
    case mbRight:
        DoStateChange({}, {tsRightButtonDown, tsPopupMenuShown});
        Application->CancelHint();
        if (GetPopupMenu() && IsMouseSelecting()) {
            DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
            Invalidate();
        }
        GetHitTestInfoAt(p.x, p.y, true, hit);
        if (FOptions->GetSelectionOptions().Contains(toRightClickSelect))
            HandleMouseUp(Message, hit);
        DoPopupMenu(hit.HitNode, hit.HitColumn, p);
        break;
    }
    TCustomControl::Dispatch(Message);
}

// --- Pressing, releasing, double clicks -----------------------------------------------------

void TBaseVirtualTree::HandleMouseDown(TMessage& Message, const THitInfo& HitInfo) {
    if (HasState(tsWheelPanning) || HasState(tsWheelScrolling)) {
        StopWheelPanning();
        return;
    }
    if (HasState(tsEditPending)) {
        StopTimer(EditTimer);
        DoStateChange({}, {tsEditPending});
    }
    if (HasState(tsEditing) && !DoEndEdit()) return;

    bool focusingClick = false;
    if (!Focused() && CanFocus()) {
        SetFocus();
        focusingClick = true;
    }
    FHeader->GetColumns()->FClickIndex = HitInfo.HitColumn;

    const TVTSelectionOptions selection = FOptions->GetSelectionOptions();
    const TVTMiscOptions misc = FOptions->GetMiscOptions();
    const bool multiSelect = selection.Contains(toMultiSelect);
    const bool fullRow = selection.Contains(toFullRowSelect);
    const bool grid = misc.Contains(toGridExtensions);
    const THitPositions& at = HitInfo.HitPositions;
    PVirtualNode hitNode = HitInfo.HitNode;

    TColumnIndex newColumn = FFocusedColumn;
    bool columnChange = false;
    if (at.Contains(hiOnItemLabel) || fullRow || grid) {
        newColumn = HitInfo.HitColumn;
        if (!selection.Contains(toExtendedFocus)) newColumn = FHeader->GetMainColumn();
        columnChange = newColumn != FFocusedColumn;
    }
    const bool nodeChange = hitNode != FFocusedNode;

    TShiftState shift = ShiftFromKeys(Message.WParam);
    const bool altPressed = shift.Contains(ssAlt);
    shift.Exclude(ssAlt);
    const bool noModifiers = !shift.Contains(ssCtrl) && !shift.Contains(ssShift);

    const bool labelHit = !altPressed && (at.Contains(hiOnItemLabel) || at.Contains(hiOnNormalIcon));
    const bool cellHit = !altPressed && !labelHit && hitNode && !at.Contains(hiOnItemButton) &&
                         !at.Contains(hiOnItemCheckbox) && (fullRow || grid);
    const bool anyHit = labelHit || cellHit;
    const bool nodeSelected = anyHit && GetSelected(hitNode);
    const bool fullRowDrag = misc.Contains(toFullRowDrag);

    bool dragAllowed = (GetDragMode() == dmAutomatic || Dragging()) && (!cellHit || fullRowDrag);
    if (GetDragMode() == dmManual && hitNode)
        dragAllowed = DoBeforeDrag(hitNode, newColumn) && (!cellHit || fullRowDrag);

    if (at.Contains(hiOnItemButton) && hitNode && hitNode->States.Contains(vsHasChildren)) {
        ToggleNode(hitNode);
    } else if (at.Contains(hiOnItemCheckbox) && hitNode) {
        if (!HasState(tsKeyCheckPending) && !HasState(tsMouseCheckPending) &&
            !hitNode->States.Contains(vsDisabled)) {
            TCheckState next = InputNextCheckState(hitNode);
            if (InputCheckAllowed(hitNode, next)) {
                DoStateChange({tsMouseCheckPending});
                FCheckNode = hitNode;
                FPendingCheckState = next;
                // The pressed image of a state is the next index.
                if (hitNode->CheckState % 2 == 0)
                    hitNode->CheckState = TCheckState(hitNode->CheckState + 1);
                InvalidateNode(hitNode);
            }
        }
    } else {
        if ((FRoot->FirstChild && noModifiers) || FSelectionCount == 0) {
            PVirtualNode level = hitNode ? hitNode : GetLastVisible();
            FLastSelectionLevel = level ? int(GetNodeLevel(level)) : -1;
        }
        if (multiSelect && noModifiers && anyHit && dragAllowed && nodeSelected)
            DoStateChange({tsClearPending});

        const bool popupForNode = HasState(tsRightButtonDown) && GetPopupMenu();
        const bool clear =
            (!anyHit && !fullRowDrag && ((multiSelect && noModifiers) || !multiSelect)) ||
            (anyHit &&
             (!nodeSelected || (nodeSelected && !dragAllowed && !popupForNode)) &&
             (noModifiers || !multiSelect));
        if (clear) {
            if (nodeSelected || (altPressed && hitNode &&
                                 HitInfo.HitColumn == FHeader->GetMainColumn())) {
                // Keep the hit node, drop the rest.
                const bool several = FSelectionCount > 1;
                for (PVirtualNode node : TNodeArray(FSelection))
                    if (node != hitNode) InternalRemoveFromSelection(node);
                PackSelection();
                if (several) Invalidate();
                Change(nullptr);
            } else {
                ClearSelection();
            }
        }

        if (Focused() && !focusingClick &&
            (at.Contains(hiOnItemLabel) || (grid && at.Contains(hiOnItem))) && nodeSelected &&
            !columnChange && noModifiers)
            DoStateChange({tsEditPending});

        if (!selection.Contains(toDisableDrawSelection) && !labelHit && !fullRowDrag &&
            multiSelect) {
            SetCapture(GetHandle());
            DoStateChange({tsDrawSelPending});
            FDrawSelShiftState = shift;
            const TPoint p = PointOf(Message);
            FNewSelRect = TRect(p.x - FEffectiveOffsetX, p.y - FOffsetY, p.x - FEffectiveOffsetX,
                                p.y - FOffsetY);
            FLastSelRect = TRect();
            if (!cellHit) return;
        }

        FLastClickPos = PointOf(Message);
        if ((labelHit || cellHit) &&
            DoFocusChanging(FFocusedNode, hitNode, FFocusedColumn, newColumn)) {
            PVirtualNode lastFocused = FFocusedNode;
            if (columnChange) {
                InvalidateColumn(FFocusedColumn);
                InvalidateColumn(newColumn);
                FFocusedColumn = newColumn;
            }
            if (nodeChange || columnChange) DoFocusNode(hitNode, false);
            if (!multiSelect || noModifiers) {
                if (noModifiers) FRangeAnchor = hitNode;
                if (!GetSelected(hitNode)) AddToSelection(hitNode);
            } else {
                HandleClickSelection(lastFocused, hitNode, shift, dragAllowed);
            }
            if (nodeChange || columnChange) DoFocusChange(FFocusedNode, FFocusedColumn);
        }
    }

    if (dragAllowed && anyHit &&
        (HasState(tsLeftButtonDown) || HasState(tsMiddleButtonDown) ||
         HasState(tsRightButtonDown)))
        BeginDrag(false);
}

void TBaseVirtualTree::HandleMouseUp(TMessage& Message, const THitInfo& HitInfo) {
    if (GetCapture() == GetHandle()) ReleaseCapture();
    if (HasState(tsQUORLDragPending)) return;
    if (IsMouseSelecting()) {
        DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
        Invalidate();
    }
    if (HasState(tsClearPending)) {
        const bool reselect = GetSelected(FFocusedNode);
        ClearSelection();
        if (reselect) AddToSelection(FFocusedNode);
    }
    if (HasState(tsToggleFocusedSelection) && HitInfo.HitNode == FFocusedNode && FFocusedNode) {
        if (GetSelected(FFocusedNode))
            RemoveFromSelection(FFocusedNode);
        else
            AddToSelection(FFocusedNode);
        InvalidateNode(FFocusedNode);
    }
    DoStateChange({}, {tsOLEDragPending, tsOLEDragging, tsClearPending, tsDrawSelPending,
                       tsToggleFocusedSelection, tsScrollPending, tsScrolling});
    StopTimer(ScrollTimer);

    if (HasState(tsMouseCheckPending)) {
        DoStateChange({}, {tsMouseCheckPending});
        PVirtualNode node = FCheckNode;
        if (node) {
            if (node->CheckState % 2 == 1) node->CheckState = TCheckState(node->CheckState - 1);
            if (HitInfo.HitPositions.Contains(hiOnItem) && HitInfo.HitNode == node)
                InputCheckClick(node, FPendingCheckState);
            InvalidateNode(node);
        }
        FCheckNode = nullptr;
    }

    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (columns->FClickIndex > NoColumn && columns->FClickIndex == HitInfo.HitColumn)
        DoColumnClick(HitInfo.HitColumn, ShiftFromKeys(Message.WParam));

    if (HasState(tsEditPending)) {
        if (HitInfo.HitNode == FFocusedNode && HitInfo.HitPositions.Contains(hiOnItem) &&
            CanEdit(FFocusedNode, HitInfo.HitColumn)) {
            FEditColumn = FFocusedColumn;
            SetTimer(GetHandle(), EditTimer, FEditDelay, nullptr);
        } else {
            DoStateChange({}, {tsEditPending});
        }
    }
}

void TBaseVirtualTree::HandleMouseDblClick(TMessage& Message, const THitInfo& HitInfo) {
    if (HasState(tsEditPending)) {
        StopTimer(EditTimer);
        DoStateChange({}, {tsEditPending});
    }
    if (HasState(tsEditing) && !DoEndEdit()) return;
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (HitInfo.HitColumn == columns->FClickIndex)
        DoColumnDblClick(HitInfo.HitColumn, ShiftFromKeys(Message.WParam));

    PVirtualNode node = HitInfo.HitNode;
    const THitPositions& at = HitInfo.HitPositions;
    if (!node) return;
    if (at.Contains(hiOnItemCheckbox)) {
        if (!HasState(tsKeyCheckPending) && !HasState(tsMouseCheckPending) &&
            !node->States.Contains(vsDisabled)) {
            TCheckState next = InputNextCheckState(node);
            if (InputCheckAllowed(node, next)) {
                DoStateChange({tsMouseCheckPending});
                FCheckNode = node;
                FPendingCheckState = next;
                if (node->CheckState % 2 == 0) node->CheckState = TCheckState(node->CheckState + 1);
                InvalidateNode(node);
            }
        }
        return;
    }
    const bool toggleOnDbl = FOptions->GetMiscOptions().Contains(toToggleOnDblClick);
    if (at.Contains(hiOnItemButton) ||
        (toggleOnDbl && (at.Contains(hiOnItemLabel) || at.Contains(hiOnNormalIcon) ||
                         at.Contains(hiOnStateIcon))) ||
        (toggleOnDbl && FOptions->GetSelectionOptions().Contains(toFullRowSelect)))
        ToggleNode(node);
}

// --- Moving ----------------------------------------------------------------------------------------

void TBaseVirtualTree::MouseMove(TShiftState Shift, int X, int Y) {
    if (!HasState(tsDrawSelPending)) {
        if (HasState(tsWheelPanning) && HasState(tsWheelScrolling) &&
            (std::abs(FLastClickPos.x - X) >= GetSystemMetrics(SM_CXDRAG) ||
             std::abs(FLastClickPos.y - Y) >= GetSystemMetrics(SM_CYDRAG)))
            DoStateChange({}, {tsWheelScrolling});
        if (HasState(tsOLEDragPending)) {
            if (std::abs(FLastClickPos.x - X) >= FDragThreshold ||
                std::abs(FLastClickPos.y - Y) >= FDragThreshold) {
                DoDragging(FLastClickPos);
                return;
            }
        }
        if (CanAutoScroll()) DoAutoScroll(X, Y);
        if (HasState(tsWheelPanning) || HasState(tsWheelScrolling)) AdjustPanningCursor(X, Y);
        if (IsMouseSelecting() && !HasState(tsScrolling)) {
            if (CalculateSelectionRect(X, Y)) {
                if (HandleDrawSelection(X, Y))
                    Invalidate();
                else {
                    TRect band;
                    UnionRect(&band, &FLastSelRect, &FNewSelRect);
                    band = OrderRect(band);
                    OffsetRect(&band, FEffectiveOffsetX, FOffsetY);
                    InflateRect(&band, 1, 1);
                    InvalidateRect(GetHandle(), &band, FALSE);
                }
                UpdateWindow(GetHandle());
            }
        } else {
            HandleHotTrack(X, Y);
            TCustomControl::MouseMove(Shift, X, Y);
        }
        return;
    }
    // A rubber band waits for the mouse to move far enough.
    if (CalculateSelectionRect(X, Y)) {
        TRect band = OrderRect(FNewSelRect);
        OffsetRect(&band, FEffectiveOffsetX, FOffsetY);
        InflateRect(&band, 1, 1);
        InvalidateRect(GetHandle(), &band, FALSE);
        UpdateWindow(GetHandle());
    }
    const TRect band = OrderRect(FNewSelRect);
    if (band.right - band.left > GetSystemMetrics(SM_CXDRAG) ||
        band.bottom - band.top > GetSystemMetrics(SM_CYDRAG)) {
        if (HasState(tsClearPending)) {
            DoStateChange({}, {tsClearPending});
            ClearSelection();
        }
        DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
        FFocusedColumn = FHeader->GetMainColumn();
        FLastSelRect = TRect(FNewSelRect.left, FNewSelRect.top, FNewSelRect.left,
                             FNewSelRect.top);
        if (HandleDrawSelection(X, Y)) Invalidate();
    }
}

void TBaseVirtualTree::HandleHotTrack(int X, int Y) {
    THitInfo hit;
    GetHitTestInfoAt(X, Y, true, hit);
    PVirtualNode hot = nullptr;
    if (hit.HitNode &&
        (hit.HitPositions.Contains(hiOnItemLabel) || hit.HitPositions.Contains(hiOnItemCheckbox) ||
         FOptions->GetSelectionOptions().Contains(toFullRowSelect)))
        hot = hit.HitNode;
    if (hot == FCurrentHotNode) return;
    PVirtualNode old = FCurrentHotNode;
    DoHotChange(old, hot);
    FCurrentHotNode = hot;
    if (FOptions->GetPaintOptions().Contains(toHotTrack) ||
        FOptions->GetMiscOptions().Contains(toCheckSupport)) {
        if (old) InvalidateNode(old);
        if (hot) InvalidateNode(hot);
    }
}

void TBaseVirtualTree::DoHotChange(PVirtualNode Old, PVirtualNode New) {
    if (OnHotChange) OnHotChange(this, Old, New);
}

void TBaseVirtualTree::CMMouseLeave(TMessage& Message) {
    FLastHintRect = TRect();
    DoStateChange({}, {tsHint});
    if (!HasState(tsWheelPanning) && !HasState(tsWheelScrolling)) {
        StopTimer(ScrollTimer);
        DoStateChange({}, {tsScrollPending, tsScrolling});
    }
    if (FCurrentHotNode) {
        PVirtualNode old = FCurrentHotNode;
        DoHotChange(old, nullptr);
        FCurrentHotNode = nullptr;
        InvalidateNode(old);
    }
    FHeader->GetColumns()->FDownIndex = NoColumn;
    FHeader->GetColumns()->FHoverIndex = NoColumn;
    TCustomControl::Dispatch(Message);
}

// --- Cursor, popup menu, focus ---------------------------------------------------------------

void TBaseVirtualTree::WMSetCursor(TMessage& Message) {
    if (reinterpret_cast<HWND>(Message.WParam) == GetHandle() &&
        !GetComponentState().Contains(csDesigning) && !HasState(tsWheelPanning) &&
        !HasState(tsWheelScrolling) && LOWORD(Message.LParam) == HTCLIENT) {
        HCURSOR cursor = Screen ? Screen->GetCursors(GetCursor()) : nullptr;
        if (FOptions->GetPaintOptions().Contains(toHotTrack) && FCurrentHotNode && FHotCursor)
            cursor = FHotCursor;
        DoGetCursor(cursor);
        if (cursor) {
            ::SetCursor(cursor);
            Message.Result = 1;
            return;
        }
    }
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::DoGetCursor(HCURSOR& Cursor) {
    if (OnGetCursor) OnGetCursor(this, Cursor);
}

TPopupMenu* TBaseVirtualTree::DoGetPopupMenu(PVirtualNode Node, TColumnIndex Column,
                                             TPoint Position) {
    if (!OnGetPopupMenu) return nullptr;
    TPopupMenu* menu = nullptr;
    bool askParent = true;
    if (!Node) {
        OnGetPopupMenu(this, nullptr, NoColumn, Position, askParent, menu);
        return menu;
    }
    for (PVirtualNode run = Node; run && run != FRoot; run = run->Parent) {
        askParent = true;
        OnGetPopupMenu(this, run, Column, Position, askParent, menu);
        if (menu || !askParent) break;
    }
    return menu;
}

void TBaseVirtualTree::DoPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position) {
    TPopupMenu* menu = DoGetPopupMenu(Node, Column, Position);
    if (!menu) return;
    DoStateChange({tsPopupMenuShown});
    StopTimer(EditTimer);
    menu->SetPopupComponent(this);
    const TPoint screen = ClientToScreen(Position);
    menu->Popup(screen.x, screen.y);
}

void TBaseVirtualTree::WMContextMenu(TMessage& Message) {
    DoStateChange({}, {tsClearPending, tsEditPending, tsOLEDragPending, tsQUORLDragPending});
    if (HasState(tsPopupMenuShown)) return;
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::WMSetFocus(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (FSelectionCount > 0 || !FOptions->GetPaintOptions().Contains(toGhostedIfUnfocused))
        Invalidate();
}

void TBaseVirtualTree::WMKillFocus(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    StopWheelPanning();
    for (unsigned id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer})
        StopTimer(id);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({}, {tsLeftButtonDown, tsMiddleButtonDown, tsRightButtonDown, tsOLEDragPending,
                       tsQUORLDragPending, tsEditPending, tsIncrementalSearching, tsScrollPending,
                       tsScrolling});
    if (FSelectionCount > 0 || !FOptions->GetPaintOptions().Contains(toGhostedIfUnfocused))
        Invalidate();
    else if (FFocusedNode)
        InvalidateNode(FFocusedNode);
}

void TBaseVirtualTree::WMCancelMode(TMessage& Message) {
    for (unsigned id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer})
        StopTimer(id);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({}, {tsClearPending, tsDrawSelPending, tsDrawSelecting, tsEditPending,
                       tsIncrementalSearching, tsOLEDragPending, tsQUORLDragPending});
    TCustomControl::Dispatch(Message);
}

// --- Timers -----------------------------------------------------------------------------------------

bool TBaseVirtualTree::InputTimer(unsigned ID) {
    switch (ID) {
    case EditTimer:
        DoEdit();
        return true;
    case ScrollTimer:
        if (HasState(tsScrollPending)) {
            Application->CancelHint();
            SetTimer(GetHandle(), ScrollTimer, FAutoScrollInterval, nullptr);
            DoStateChange({tsScrolling}, {tsScrollPending});
        }
        DoTimerScroll();
        return true;
    case SearchTimer:
        StopSearch();
        return true;
    default:
        return false;
    }
}

// --- Check clicks ----------------------------------------------------------------------------------

TCheckState TBaseVirtualTree::InputNextCheckState(PVirtualNode Node) {
    // The pressed form shown while the button is down is not a state of its own.
    return DetermineNextCheckState(Node->CheckType, TCheckState(Node->CheckState & ~1));
}

bool TBaseVirtualTree::InputCheckAllowed(PVirtualNode Node, TCheckState& State) {
    return DoChecking(Node, State);
}

void TBaseVirtualTree::InputCheckClick(PVirtualNode Node, TCheckState State) {
    DoCheckClick(Node, State);
}

// --- Hooks -------------------------------------------------------------------------------------------

bool TBaseVirtualTree::DoBeforeDrag(PVirtualNode Node, TColumnIndex Column) {
    bool allowed = false;
    if (OnDragAllowed) OnDragAllowed(this, Node, Column, allowed);
    return allowed;
}

void TBaseVirtualTree::DoDragging(TPoint P) {
    StartOLEDrag(P);
}

void TBaseVirtualTree::BeginDrag(bool Immediate, int Threshold) {
    if (FDragType == dtQUORL) {
        DoStateChange({tsQUORLDragPending});
        TCustomControl::BeginDrag(Immediate, Threshold);
        return;
    }
    if (HasState(tsOLEDragPending) || HasState(tsOLEDragging)) return;
    FDragThreshold = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;
    if (Immediate)
        DoDragging(FLastClickPos);
    else
        DoStateChange({tsOLEDragPending});
}

bool TBaseVirtualTree::CanAutoScroll() {
    const bool panning = HasState(tsWheelPanning) || HasState(tsWheelScrolling);
    if (!FOptions->GetAutoOptions().Contains(toAutoScroll) && !panning) return false;
    const THeaderStates header = FHeader->GetStates();
    if (header.Contains(hsTracking) || header.Contains(hsDragging)) return false;
    return IsMouseSelecting() || (FDragManager && FDragManager->GetIsDropTarget()) ||
           HasState(tsQUORLDragging) || panning;
}

bool TBaseVirtualTree::CanEdit(PVirtualNode Node, TColumnIndex Column) {
    bool allowed = FOptions->GetMiscOptions().Contains(toEditable) && GetEnabled() &&
                   !FOptions->GetMiscOptions().Contains(toReadOnly);
    DoCanEdit(Node, Column, allowed);
    return allowed;
}

void TBaseVirtualTree::DoCanEdit(PVirtualNode Node, TColumnIndex Column, bool& Allowed) {
    if (OnEditing) OnEditing(this, Node, Column, Allowed);
}

// --- Accessibility ---------------------------------------------------------------------------------

void TBaseVirtualTree::WMGetObject(TMessage& Message) {
    TVTAccessibilityFactory* factory = GetAccessibilityFactory();
    if (!FAccessible) FAccessible = factory->CreateIAccessible(this);
    if (!FAccessibleItem) FAccessibleItem = factory->CreateIAccessible(this);
    if (LONG(Message.LParam) == OBJID_CLIENT) {
        Message.Result =
            FAccessible ? LresultFromObject(IIDOf<IAccessible>(), Message.WParam, FAccessible.Get())
                        : 0;
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::NotifyAccessibleStateChange() {
    if (HandleAllocated())
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, GetHandle(), OBJID_CLIENT, CHILDID_SELF);
}
