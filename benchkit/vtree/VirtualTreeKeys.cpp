// Keyboard handling: navigation keys move the focus (and with modifiers
// extend the selection or scroll), other keys expand, collapse, edit, check,
// open the popup menu or the help, and printable keys feed the search.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

TShiftState CurrentShift() {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    return shift;
}

bool IsNavigationKey(uint16_t Key) {
    switch (Key) {
    case VK_BACK:
    case VK_TAB:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TBaseVirtualTree::DoKeyAction(uint16_t& CharCode, TShiftState& Shift) {
    bool doDefault = true;
    if (OnKeyAction) OnKeyAction(this, CharCode, Shift, doDefault);
    return doDefault;
}

void TBaseVirtualTree::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
}

void TBaseVirtualTree::WMKeyDown(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    uint16_t charCode = uint16_t(Message.WParam);
    if (charCode == 0) return;
    TShiftState shift = CurrentShift();
    if (!DoKeyAction(charCode, shift)) return;

    if (HasState(tsKeyCheckPending) && charCode != VK_SPACE) {
        DoStateChange({}, {tsKeyCheckPending});
        if (FCheckNode) {
            if (FCheckNode->CheckState % 2 == 1)
                FCheckNode->CheckState = TCheckState(FCheckNode->CheckState - 1);
            InvalidateNode(FCheckNode);
        }
        FCheckNode = nullptr;
    }

    const TVTSelectionOptions selection = FOptions->GetSelectionOptions();
    const TVTMiscOptions misc = FOptions->GetMiscOptions();
    const bool ctrl = shift.Contains(ssCtrl);
    const bool shiftHeld = shift.Contains(ssShift);
    const bool noModifiers = !ctrl && !shiftHeld && !shift.Contains(ssAlt);
    const bool rightToLeft = UseRightToLeftAlignment();

    if (IsNavigationKey(charCode)) {
        const bool multiSelect = selection.Contains(toMultiSelect);
        const bool extending = shiftHeld && multiSelect && !HasState(tsEditing);
        bool rangeSelect = extending && (charCode == VK_PRIOR || charCode == VK_NEXT ||
                                         charCode == VK_END || charCode == VK_HOME);
        const bool invalidateAll = rangeSelect || FSelectionCount > 1;
        const bool grid = misc.Contains(toGridExtensions);
        const bool clearPending = noModifiers || (grid && !shiftHeld) || !multiSelect ||
                                  charCode == VK_BACK || charCode == VK_TAB;
        PVirtualNode lastFocused = FFocusedNode;
        if (!lastFocused && !noModifiers) lastFocused = GetFirstVisible();
        if (!FRangeAnchor) FRangeAnchor = FSelectionCount > 0 ? GetFirstSelected() : GetFirst();
        const uint32_t countBefore = FSelectionCount;
        const TColumnIndex focusedColumnBefore = FFocusedColumn;
        TVirtualTreeColumns* columns = FHeader->GetColumns();
        const bool centre = selection.Contains(toCenterScrollIntoView);
        const bool horizontally = !FOptions->GetAutoOptions().Contains(toDisableAutoscrollOnFocus);

        // A node and column that DoFocusChanging accepts, trying the columns
        // from Column on in Step direction.
        auto focusWithColumn = [&](PVirtualNode node, TColumnIndex column, bool forward) {
            if (!columns->IsValidColumn(column)) {
                SetFocusedNode(node);
                return;
            }
            while (columns->IsValidColumn(column) &&
                   !DoFocusChanging(FFocusedNode, node, FFocusedColumn, column))
                column = forward ? columns->GetNextVisibleColumn(column, true)
                                 : columns->GetPreviousVisibleColumn(column, true);
            if (!columns->IsValidColumn(column)) return;
            if (grid && !ctrl)
                node = FFocusedNode;
            if (selection.Contains(toFullRowSelect))
                SetFocusedNode(node);
            else
                SetFocusedNodeAndColumn(node, column);
        };

        switch (charCode) {
        case VK_HOME:
        case VK_END: {
            const bool home = (charCode == VK_HOME) != rightToLeft;
            if (ctrl && !grid && !shiftHeld) {
                PVirtualNode node = charCode == VK_HOME ? GetFirstVisible() : GetLastVisible();
                if (node) ScrollIntoView(node, centre, horizontally);
                SetOffsetX(charCode == VK_HOME && !rightToLeft ? 0 : -2147483647);
                break;
            }
            PVirtualNode node = charCode == VK_HOME ? GetFirstVisible() : GetLastVisible();
            if (!node) break;
            const TColumnIndex column =
                home ? columns->GetFirstVisibleColumn(true) : columns->GetLastVisibleColumn(true);
            focusWithColumn(node, column, home);
            break;
        }
        case VK_PRIOR:
        case VK_NEXT: {
            if (ctrl) {
                SetOffsetY(FOffsetY + (charCode == VK_PRIOR ? 1 : -1) * GetClientHeight());
                break;
            }
            const int clientHeight = GetClientHeight();
            PVirtualNode node = FFocusedNode;
            if (!node) {
                node = charCode == VK_PRIOR ? GetFirstVisible() : GetLastVisible();
            } else if (charCode == VK_PRIOR) {
                int sum = 0;
                while (PVirtualNode previous = GetPreviousVisible(node)) {
                    if (sum + GetNodeHeight(node) >= clientHeight) break;
                    node = previous;
                    sum += GetNodeHeight(node);
                }
            } else {
                int sum = 0;
                while (PVirtualNode next = GetNextVisible(node)) {
                    if (sum + GetNodeHeight(node) >= clientHeight) break;
                    sum += GetNodeHeight(node);
                    node = next;
                }
            }
            if (node) SetFocusedNode(node);
            break;
        }
        case VK_UP:
        case VK_DOWN: {
            if (ctrl) {
                SetOffsetY(FOffsetY + (charCode == VK_UP ? 1 : -1) * int(FDefaultNodeHeight));
                break;
            }
            PVirtualNode node;
            if (charCode == VK_UP)
                node = FFocusedNode ? GetPreviousVisible(FFocusedNode) : GetLastVisible();
            else
                node = FFocusedNode ? GetNextVisible(FFocusedNode) : GetFirstVisible();
            if (!node) {
                if (FFocusedNode) InvalidateNode(FFocusedNode);
                break;
            }
            if (HasState(tsEditing) && !DoEndEdit()) break;
            if (extending && lastFocused && FRangeAnchor) {
                const int order = CompareNodePositions(lastFocused, FRangeAnchor);
                if ((charCode == VK_UP && order > 0) || (charCode == VK_DOWN && order < 0))
                    RemoveFromSelection(lastFocused);
            }
            if (FFocusedColumn == NoColumn || !columns->IsValidColumn(FFocusedColumn))
                FFocusedColumn = FHeader->GetMainColumn();
            SetFocusedNode(node);
            break;
        }
        case VK_LEFT:
        case VK_RIGHT: {
            const bool backwards = (charCode == VK_LEFT) != rightToLeft;
            if (ctrl) {
                SetOffsetX(FOffsetX + (backwards ? 1 : -1) * FIndent);
                break;
            }
            if (selection.Contains(toExtendedFocus) && grid && FHeader->UseColumns()) {
                const TColumnIndex column =
                    backwards ? columns->GetPreviousVisibleColumn(FFocusedColumn, true)
                              : columns->GetNextVisibleColumn(FFocusedColumn, true);
                if (columns->IsValidColumn(column) &&
                    DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, column))
                    SetFocusedColumn(column);
                break;
            }
            if (!FFocusedNode) {
                if (PVirtualNode first = GetFirstVisible()) SetFocusedNode(first);
                break;
            }
            const bool expanded = FFocusedNode->States.Contains(vsExpanded);
            const bool hasChildren = FFocusedNode->States.Contains(vsHasChildren);
            if (charCode == VK_LEFT) {
                if (expanded && hasChildren && noModifiers) {
                    ToggleNode(FFocusedNode);
                } else if (FFocusedNode->Parent != FRoot) {
                    PVirtualNode parent = FFocusedNode->Parent;
                    if (extending) {
                        if (FFocusedNode != parent->FirstChild)
                            rangeSelect = true;
                        else if (FRangeAnchor && CompareNodePositions(parent, FRangeAnchor) > 0)
                            RemoveFromSelection(FFocusedNode);
                    }
                    SetFocusedNode(parent);
                }
            } else {
                if (!expanded && hasChildren && noModifiers) {
                    ToggleNode(FFocusedNode);
                } else if (PVirtualNode child = GetFirstVisibleChild(FFocusedNode)) {
                    if (extending && FRangeAnchor && CompareNodePositions(child, FRangeAnchor) < 0)
                        RemoveFromSelection(FFocusedNode);
                    SetFocusedNode(child);
                }
            }
            break;
        }
        case VK_BACK:
            if (HasState(tsIncrementalSearching))
                DoStateChange({tsIncrementalSearchPending});
            else if (FFocusedNode && FFocusedNode->Parent != FRoot)
                SetFocusedNode(FFocusedNode->Parent);
            break;
        case VK_TAB: {
            if (!selection.Contains(toExtendedFocus) || !FHeader->UseColumns() || !FFocusedNode)
                break;
            const bool forward = !shiftHeld;
            PVirtualNode node = FFocusedNode;
            TColumnIndex column = FFocusedColumn;
            for (;;) {
                column = forward ? columns->GetNextVisibleColumn(column, true)
                                 : columns->GetPreviousVisibleColumn(column, true);
                if (!columns->IsValidColumn(column)) {
                    node = forward ? GetNextVisible(node) : GetPreviousVisible(node);
                    if (!node) break;
                    column = forward ? columns->GetFirstVisibleColumn(true)
                                     : columns->GetLastVisibleColumn(true);
                }
                if (DoFocusChanging(FFocusedNode, node, FFocusedColumn, column)) {
                    SetFocusedNodeAndColumn(node, column);
                    break;
                }
            }
            break;
        }
        }

        if (clearPending && (lastFocused != FFocusedNode || FSelectionCount != 1))
            ClearSelection();
        if (noModifiers && FFocusedNode) {
            FRangeAnchor = FFocusedNode;
            FLastSelectionLevel = int(GetNodeLevel(FFocusedNode));
        }
        if (rangeSelect) ToggleSelection(lastFocused, FFocusedNode);
        if (FFocusedNode && !(lastFocused == FFocusedNode && countBefore == FSelectionCount &&
                              !clearPending))
            AddToSelection(FFocusedNode);
        (void)focusedColumnBefore;
        if (invalidateAll) Invalidate();
        return;
    }

    // Typed characters of the numeric pad keys count as those keys.
    switch (charCode) {
    case '*':
        charCode = VK_MULTIPLY;
        break;
    case '+':
    case VK_OEM_PLUS:
        if (shiftHeld || charCode == '+') charCode = VK_ADD;
        break;
    case '-':
    case VK_OEM_MINUS:
        charCode = VK_SUBTRACT;
        break;
    case '/':
        charCode = VK_DIVIDE;
        break;
    default:
        break;
    }
    if (HasState(tsIncrementalSearching) &&
        (charCode == VK_MULTIPLY || charCode == VK_ADD || charCode == VK_SUBTRACT ||
         charCode == VK_DIVIDE)) {
        DoStateChange({tsIncrementalSearchPending});
        return;
    }

    switch (charCode) {
    case VK_MULTIPLY:
        if (FFocusedNode) FullExpand(FFocusedNode);
        break;
    case VK_ADD:
        if (ctrl && shiftHeld)
            FullExpand(nullptr);
        else if (ctrl)
            FHeader->AutoFitColumns(true);
        else if (FFocusedNode && !FFocusedNode->States.Contains(vsExpanded))
            ToggleNode(FFocusedNode);
        break;
    case VK_SUBTRACT:
        if (ctrl && shiftHeld)
            FullCollapse(nullptr);
        else if (ctrl)
            FHeader->RestoreColumns();
        else if (FFocusedNode && FFocusedNode->States.Contains(vsExpanded))
            ToggleNode(FFocusedNode);
        break;
    case VK_DIVIDE:
        if (FFocusedNode) FullCollapse(FFocusedNode);
        break;
    case VK_F1:
        ShowHelpFor(FFocusedNode, FFocusedColumn);
        break;
    case VK_F2:
        if (noModifiers && FFocusedNode && CanEdit(FFocusedNode, FFocusedColumn)) {
            FEditColumn = FFocusedColumn;
            DoEdit();
        }
        break;
    case VK_ESCAPE:
        if (IsMouseSelecting()) {
            DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
            Invalidate();
        } else {
            DoCancelEdit();
        }
        break;
    case VK_SPACE:
        if (misc.Contains(toCheckSupport) && FFocusedNode && FFocusedNode->CheckType != ctNone) {
            if (HasState(tsKeyCheckPending) || HasState(tsMouseCheckPending) ||
                FFocusedNode->States.Contains(vsDisabled))
                break;
            TCheckState next = InputNextCheckState(FFocusedNode);
            if (InputCheckAllowed(FFocusedNode, next)) {
                DoStateChange({tsKeyCheckPending});
                FCheckNode = FFocusedNode;
                FPendingCheckState = next;
                if (FCheckNode->CheckState % 2 == 0)
                    FCheckNode->CheckState = TCheckState(FCheckNode->CheckState + 1);
                InvalidateNode(FCheckNode);
            }
        } else if (!ctrl && !shift.Contains(ssAlt)) {
            DoStateChange({tsIncrementalSearchPending});
        }
        break;
    case VK_APPS:
        if (FFocusedNode) {
            const TRect r = GetDisplayRect(FFocusedNode, FFocusedColumn, true);
            int width = DoGetNodeWidth(FFocusedNode, FFocusedColumn, nullptr);
            const int space = FHeader->GetColumns()->IsValidColumn(FFocusedColumn)
                                  ? FHeader->GetColumns()->GetItem(FFocusedColumn)->GetWidth()
                                  : GetClientWidth();
            width = std::min(width, space);
            DoPopupMenu(FFocusedNode, FFocusedColumn,
                        TPoint(r.left + width / 2, (r.top + r.bottom) / 2));
        }
        break;
    case 'A':
    case 'a':
        if (ctrl) {
            SelectAll(true);
            break;
        }
        [[fallthrough]];
    default:
        if (!ctrl && !shift.Contains(ssAlt) && charCode >= 32)
            DoStateChange({tsIncrementalSearchPending});
        break;
    }
}

void TBaseVirtualTree::WMKeyUp(TMessage& Message) {
    if (Message.WParam == VK_SPACE && HasState(tsKeyCheckPending)) {
        DoStateChange({}, {tsKeyCheckPending});
        if (PVirtualNode node = FCheckNode) {
            if (node->CheckState % 2 == 1) node->CheckState = TCheckState(node->CheckState - 1);
            if (node == FFocusedNode) InputCheckClick(node, FPendingCheckState);
            InvalidateNode(node);
        }
        FCheckNode = nullptr;
    }
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::WMChar(TMessage& Message) {
    if (HasState(tsIncrementalSearchPending)) {
        HandleIncrementalSearch(uint16_t(Message.WParam));
        DoStateChange({}, {tsIncrementalSearchPending});
    }
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::ShowHelpFor(PVirtualNode Node, TColumnIndex Column) {
    int context = 0;
    if (OnGetHelpContext) {
        for (PVirtualNode run = Node; run && run != FRoot && context == 0; run = run->Parent)
            OnGetHelpContext(this, run, Column, context);
    }
    for (TControl* control = this; control && context == 0; control = control->GetParent())
        context = control->GetHelpContext();
    if (context != 0) Application->HelpContext(context);
}
