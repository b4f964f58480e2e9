// Scrolling: the offsets and how a new pair is applied, the scroll bars,
// scroll bar and wheel messages, scrolling a node into view, and a node's
// display rectangle.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Messages.h>
#include <quorlpak/Picture.h>

#include <algorithm>

namespace {

bool HorizontalBarEnabled(TScrollBarOptions* Options) {
    return Options->GetScrollBars() == TScrollStyle::ssHorizontal ||
           Options->GetScrollBars() == TScrollStyle::ssBoth;
}

bool VerticalBarEnabled(TScrollBarOptions* Options) {
    return Options->GetScrollBars() == TScrollStyle::ssVertical ||
           Options->GetScrollBars() == TScrollStyle::ssBoth;
}

} // namespace

bool TBaseVirtualTree::IsWindowVisibleOnScreen() const {
    return HandleAllocated() && IsWindowVisible(FHandle);
}

void TBaseVirtualTree::DoScroll(int DeltaX, int DeltaY) {
    if (OnScroll) OnScroll(this, DeltaX, DeltaY);
}

void TBaseVirtualTree::SetOffsetX(int Value) {
    DoSetOffsetXY(TPoint{Value, FOffsetY}, DefaultScrollUpdateFlags);
}

void TBaseVirtualTree::SetOffsetY(int Value) {
    DoSetOffsetXY(TPoint{FOffsetX, Value}, DefaultScrollUpdateFlags);
}

void TBaseVirtualTree::SetOffsetXY(TPoint Value) {
    DoSetOffsetXY(Value, DefaultScrollUpdateFlags);
}

bool TBaseVirtualTree::DoSetOffsetXY(TPoint Value, TScrollUpdateOptions Options,
                                     const TRect* ClipRect) {
    const int clientWidth = GetClientWidth();
    const int clientHeight = GetClientHeight();
    // The vertical range follows the node heights at all times.
    FRangeY = int(std::max(FRoot->TotalHeight, FDefaultNodeHeight)) + int(FBottomSpace) -
              int(FRoot->NodeHeight);
    Value.x = std::min(0, std::max(Value.x, clientWidth - FRangeX));
    Value.y = std::min(0, std::max(Value.y, clientHeight - FRangeY));
    int deltaX = Value.x - FOffsetX;
    if (UseRightToLeftAlignment()) deltaX = -deltaX;
    const int deltaY = Value.y - FOffsetY;
    if (deltaX == 0 && deltaY == 0) return false;
    FOffsetX = Value.x;
    FOffsetY = Value.y;
    if (UseRightToLeftAlignment())
        FEffectiveOffsetX = std::max(0, FRangeX + FOffsetX - clientWidth);
    else
        FEffectiveOffsetX = -FOffsetX;
    Application->CancelHint();
    if (FUpdateCount == 0 && HandleAllocated()) {
        if (Options.Contains(suoScrollClientArea)) {
            TPicture* background = FBackground;
            const bool pictureShown = FOptions->GetPaintOptions().Contains(toShowBackground) &&
                                      background && background->GetGraphic();
            RECT clip = ClipRect ? RECT(*ClipRect) : RECT(GetClientRect());
            if (pictureShown) {
                // A picture does not scroll: the children move and everything repaints.
                HDWP positions = BeginDeferWindowPos(GetControlCount());
                for (int i = 0; i < GetControlCount(); ++i) {
                    auto* child = dynamic_cast<TWinControl*>(GetControls(i));
                    if (!child || !child->HandleAllocated()) continue;
                    positions = DeferWindowPos(positions, child->GetHandle(), nullptr,
                                               child->GetLeft() + deltaX, child->GetTop() + deltaY, 0,
                                               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                }
                EndDeferWindowPos(positions);
                InvalidateRect(FHandle, nullptr, FALSE);
            } else {
                const int fixed = FHeader->GetColumns()->GetVisibleFixedWidth();
                if (deltaX != 0 && fixed > 0) {
                    RECT scrolled = clip;
                    scrolled.left = std::max<int>(scrolled.left, fixed);
                    ScrollWindowEx(FHandle, deltaX, 0, &scrolled, &scrolled, nullptr, nullptr,
                                   SW_INVALIDATE);
                    if (deltaY != 0)
                        ScrollWindowEx(FHandle, 0, deltaY, &clip, &clip, nullptr, nullptr,
                                       SW_INVALIDATE);
                } else {
                    ScrollWindowEx(FHandle, deltaX, deltaY, &clip, &clip, nullptr, nullptr,
                                   SW_INVALIDATE | SW_SCROLLCHILDREN);
                }
            }
        }
        if (Options.Contains(suoUpdateNCArea)) {
            if (deltaX != 0) {
                if (Options.Contains(suoRepaintHeader) && FHeader->GetOptions().Contains(hoVisible))
                    FHeader->Invalidate(nullptr);
                if (!HasState(tsSizing) && HorizontalBarEnabled(FScrollBarOptions))
                    UpdateHorizontalScrollBar(Options.Contains(suoRepaintScrollbars));
            }
            if (deltaY != 0 && !HasState(tsSizing) && !HasState(tsThumbTracking)) {
                UpdateVerticalScrollBar(Options.Contains(suoRepaintScrollbars));
                if (!FHeader->UseColumns() && !HasState(tsDrawSelecting))
                    UpdateHorizontalScrollBar(Options.Contains(suoRepaintScrollbars));
            }
        }
    }
    DoScroll(deltaX, deltaY);
    return true;
}

// --- Scroll bars -----------------------------------------------------------------------------------

int TBaseVirtualTree::GetMaxRightExtend() {
    int result = 0;
    const bool showRoot = FOptions->GetPaintOptions().Contains(toShowRoot);
    const bool checks = FOptions->GetMiscOptions().Contains(toCheckSupport) && FCheckImages;
    const int levelOffset = showRoot ? 1 : 0;
    int runTop = 0;
    PVirtualNode run = GetNodeAt(0, 0, true, runTop);
    // From the top row to the bottom of the window: measuring every row of
    // a million would make each scroll bar update cost a full walk.
    int y = runTop;
    const int bottom = GetClientHeight();
    while (run && y < bottom) {
        if (!run->States.Contains(vsInitialized)) InitNode(run);
        int width = (int(GetNodeLevel(run)) + levelOffset) * FIndent;
        if (FStateImages) width += FStateImages->GetWidth() + 2;
        if (FImages) width += FImages->GetWidth() + 2;
        if (checks && run->CheckType != ctNone) width += FCheckImages->GetWidth() + 2;
        width += DoGetNodeWidth(run, NoColumn, nullptr);
        result = std::max(result, width);
        y += int(GetNodeHeight(run));
        run = GetNextVisible(run);
    }
    return result + FMargin;
}

void TBaseVirtualTree::UpdateHorizontalScrollBar(bool DoRepaint) {
    if (!HandleAllocated()) return;
    if (FHeader->UseColumns())
        FRangeX = FHeader->GetColumns()->TotalWidth();
    else
        FRangeX = GetMaxRightExtend();
    const int clientWidth = GetClientWidth();
    if (UseRightToLeftAlignment())
        FEffectiveOffsetX = std::max(0, FRangeX + FOffsetX - clientWidth);
    else
        FEffectiveOffsetX = -FOffsetX;
    if (!HorizontalBarEnabled(FScrollBarOptions)) {
        ShowScrollBar(FHandle, SB_HORZ, FALSE);
        SetOffsetX(FOffsetX);
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (clientWidth < FRangeX || FScrollBarOptions->GetAlwaysVisible()) {
        ShowScrollBar(FHandle, SB_HORZ, TRUE);
        info.nMin = 0;
        info.nMax = FRangeX;
        info.nPage = UINT(std::max(0, clientWidth + 1));
        info.nPos = FEffectiveOffsetX;
        if (FScrollBarOptions->GetAlwaysVisible()) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(FHandle, SB_HORZ, &info, DoRepaint);
    } else {
        SetScrollInfo(FHandle, SB_HORZ, &info, FALSE);
        ShowScrollBar(FHandle, SB_HORZ, FALSE);
    }
    // The bar may have clamped the position: take it back.
    SCROLLINFO read{};
    read.cbSize = sizeof read;
    read.fMask = SIF_POS;
    GetScrollInfo(FHandle, SB_HORZ, &read);
    const int width = GetClientWidth();
    if (UseRightToLeftAlignment())
        SetOffsetX(width + read.nPos - FRangeX);
    else
        SetOffsetX(-read.nPos);
}

void TBaseVirtualTree::UpdateVerticalScrollBar(bool DoRepaint) {
    if (!HandleAllocated()) return;
    // An empty tree still has one row's height of range.
    if (FRoot->TotalHeight < FDefaultNodeHeight) FRoot->TotalHeight = FDefaultNodeHeight;
    FRangeY = int(FRoot->TotalHeight) + int(FBottomSpace) - int(FRoot->NodeHeight);
    if (!VerticalBarEnabled(FScrollBarOptions)) {
        ShowScrollBar(FHandle, SB_VERT, FALSE);
        SetOffsetY(FOffsetY);
        return;
    }
    const int clientHeight = GetClientHeight();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (clientHeight < FRangeY || FScrollBarOptions->GetAlwaysVisible()) {
        ShowScrollBar(FHandle, SB_VERT, TRUE);
        info.nMin = 0;
        info.nMax = FRangeY;
        info.nPage = UINT(std::max(0, clientHeight + 1));
        info.nPos = -FOffsetY;
        if (FScrollBarOptions->GetAlwaysVisible()) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(FHandle, SB_VERT, &info, DoRepaint);
    } else {
        SetScrollInfo(FHandle, SB_VERT, &info, FALSE);
        ShowScrollBar(FHandle, SB_VERT, FALSE);
    }
    SCROLLINFO read{};
    read.cbSize = sizeof read;
    read.fMask = SIF_POS;
    GetScrollInfo(FHandle, SB_VERT, &read);
    SetOffsetY(-read.nPos);
}

void TBaseVirtualTree::UpdateScrollBars(bool DoRepaint) {
    if (!HandleAllocated()) return;
    UpdateVerticalScrollBar(DoRepaint);
    UpdateHorizontalScrollBar(DoRepaint);
}

void TBaseVirtualTree::WMHScroll(TMessage& Message) {
    const int code = LOWORD(Message.WParam);
    const int d = UseRightToLeftAlignment() ? -1 : 1;
    const int increment = int(FScrollBarOptions->GetHorizontalIncrement());
    switch (code) {
    case SB_LINEUP:
        SetOffsetX(FOffsetX + d * increment);
        break;
    case SB_LINEDOWN:
        SetOffsetX(FOffsetX - d * increment);
        break;
    case SB_PAGEUP:
        SetOffsetX(FOffsetX + d * GetClientWidth());
        break;
    case SB_PAGEDOWN:
        SetOffsetX(FOffsetX - d * GetClientWidth());
        break;
    case SB_TOP:
        SetOffsetX(0);
        break;
    case SB_BOTTOM:
        SetOffsetX(-FRangeX);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        DoStateChange({tsThumbTracking});
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(FHandle, SB_HORZ, &info);
        if (UseRightToLeftAlignment())
            SetOffsetX(GetClientWidth() + info.nTrackPos - FRangeX);
        else
            SetOffsetX(-info.nTrackPos);
        break;
    }
    case SB_ENDSCROLL:
        DoStateChange({}, {tsThumbTracking});
        UpdateHorizontalScrollBar(false);
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TBaseVirtualTree::WMVScroll(TMessage& Message) {
    const int code = LOWORD(Message.WParam);
    const int increment = int(FScrollBarOptions->GetVerticalIncrement());
    switch (code) {
    case SB_LINEUP:
        SetOffsetY(FOffsetY + increment);
        break;
    case SB_LINEDOWN:
        SetOffsetY(FOffsetY - increment);
        break;
    case SB_PAGEUP:
        SetOffsetY(FOffsetY + GetClientHeight());
        break;
    case SB_PAGEDOWN:
        SetOffsetY(FOffsetY - GetClientHeight());
        break;
    case SB_TOP:
        SetOffsetY(0);
        break;
    case SB_BOTTOM:
        SetOffsetY(-int(FRoot->TotalHeight));
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        DoStateChange({tsThumbTracking});
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(FHandle, SB_VERT, &info);
        SetOffsetY(-info.nTrackPos);
        break;
    }
    case SB_ENDSCROLL:
        DoStateChange({}, {tsThumbTracking});
        UpdateScrollBars(true);
        RedrawWindow(FHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TBaseVirtualTree::CMMouseWheel(TMessage& Message) {
    // The framework's handlers (OnMouseWheel) may take the wheel first.
    TCustomControl::Dispatch(Message);
    if (Message.Result != 0) return;
    TCMMouseWheel wheel(Message);
    const bool ctrl = (wheel.ShiftBits & MK_CONTROL) != 0 ||
                      TShiftState::FromInt(wheel.ShiftBits).Contains(ssCtrl);
    UINT systemLines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &systemLines, 0);
    const int notches = wheel.WheelDelta / WHEEL_DELTA;
    if (FRangeY > GetClientHeight()) {
        int lines;
        if (ctrl || systemLines == WHEEL_PAGESCROLL)
            lines = (GetClientHeight() / int(FDefaultNodeHeight)) * notches;
        else
            lines = wheel.WheelDelta * int(systemLines) / WHEEL_DELTA;
        SetOffsetY(FOffsetY + lines * int(FDefaultNodeHeight));
    } else {
        int steps = ctrl ? GetClientWidth() * notches : notches;
        if (UseRightToLeftAlignment()) steps = -steps;
        SetOffsetX(FOffsetX + steps * FIndent);
    }
    Message.Result = 1;
}

// --- Into view and display rectangles --------------------------------------------------------------

bool TBaseVirtualTree::ScrollIntoView(PVirtualNode Node, bool Center, bool Horizontally) {
    if (!Node || Node == FRoot || !HandleAllocated()) return false;
    bool changed = false;
    for (PVirtualNode run = Node->Parent; run && run != FRoot; run = run->Parent)
        if (!run->States.Contains(vsExpanded)) ToggleNode(run);
    const TColumnIndex column = FHeader->GetColumns()->IsValidColumn(FFocusedColumn)
                                    ? FFocusedColumn
                                    : NoColumn;
    TRect r = GetDisplayRect(Node, column, false,
                             !FOptions->GetMiscOptions().Contains(toGridExtensions));
    if (IsRectEmpty(&r) && r.top == 0 && r.bottom == 0) return false;
    const int clientHeight = GetClientHeight();
    const int clientWidth = GetClientWidth();
    if (r.top < 0) {
        int y = FOffsetY - r.top;
        if (Center) y += clientHeight / 2;
        const int old = FOffsetY;
        SetOffsetY(y);
        changed = FOffsetY != old;
    } else if (r.bottom > clientHeight || Center) {
        int y = FOffsetY + (Center ? clientHeight / 2 : clientHeight) - r.bottom;
        // A horizontal bar about to appear will cover the bottom row.
        if (!FHeader->UseColumns() && clientWidth < FRangeX &&
            !(GetWindowLongW(FHandle, GWL_STYLE) & WS_HSCROLL))
            y -= GetSystemMetrics(SM_CYHSCROLL);
        const int old = FOffsetY;
        SetOffsetY(y);
        changed = FOffsetY != old;
    }
    if (Horizontally) {
        const int fixed = FHeader->GetColumns()->GetVisibleFixedWidth();
        int effective = FEffectiveOffsetX;
        bool move = false;
        if (fixed == 0) {
            if (r.left < 0 || r.right > clientWidth) {
                effective = FEffectiveOffsetX + (r.left + r.right) / 2 - clientWidth / 2;
                move = true;
            }
        } else if (std::abs(r.left - fixed) >= 2) {
            effective = FEffectiveOffsetX + (r.left - fixed);
            move = true;
        }
        if (move) {
            const int old = FOffsetX;
            if (UseRightToLeftAlignment())
                SetOffsetX(clientWidth + effective - FRangeX);
            else
                SetOffsetX(-effective);
            changed = changed || FOffsetX != old;
        }
    }
    return changed;
}

TRect TBaseVirtualTree::GetDisplayRect(PVirtualNode Node, TColumnIndex Column, bool TextOnly,
                                       bool Unclipped) {
    TRect result{0, 0, 0, 0};
    if (!Node || Node == FRoot) return result;
    const bool mainRules = Column == NoColumn || Column == GetMainColumn();
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    if (!Node->States.Contains(vsVisible)) return result;
    int indent = 0;
    for (PVirtualNode run = Node->Parent; run && run != FRoot; run = run->Parent) {
        if (!run->States.Contains(vsVisible) || !run->States.Contains(vsExpanded)) return result;
        if (mainRules) indent += FIndent;
    }
    uint32_t top = 0;
    if (!GetNodeTop(Node, top)) return result;
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (Column == NoColumn || !columns->IsValidColumn(Column)) {
        result = TRect{0, int(top), std::max(GetClientWidth(), FRangeX), int(top) + Node->NodeHeight};
        OffsetRect(&result, -FEffectiveOffsetX, FOffsetY);
    } else {
        int left = 0, right = 0;
        columns->GetColumnBounds(Column, left, right);
        result = TRect{left, int(top), right - 1, int(top) + Node->NodeHeight};
        OffsetRect(&result, 0, FOffsetY);
    }
    if (!TextOnly) return result;
    int start = FMargin + indent;
    if (mainRules) {
        if (FOptions->GetPaintOptions().Contains(toShowRoot)) start += FIndent;
        if (FOptions->GetMiscOptions().Contains(toCheckSupport) && FCheckImages &&
            Node->CheckType != ctNone)
            start += FCheckImages->GetWidth() + 2;
    }
    bool ghosted = false;
    int index = -1;
    TCustomImageList* list = DoGetImageIndex(Node, ikState, Column, ghosted, index);
    if (!list) list = FStateImages;
    if (index >= 0 && list) start += list->GetWidth() + 2;
    index = -1;
    list = DoGetImageIndex(Node, Node->States.Contains(vsSelected) ? ikSelected : ikNormal, Column,
                           ghosted, index);
    if (!list) list = FImages;
    if (index >= 0 && list) start += list->GetWidth() + 2;
    TBiDiMode bidi = GetBiDiMode();
    TAlignment alignment = taLeftJustify;
    if (columns->IsValidColumn(Column)) {
        bidi = columns->GetItem(Column)->GetBiDiMode();
        alignment = columns->GetItem(Column)->GetAlignment();
    }
    if (bidi != bdLeftToRight) {
        result.right -= start;
        if (alignment == taLeftJustify)
            alignment = taRightJustify;
        else if (alignment == taRightJustify)
            alignment = taLeftJustify;
    } else {
        result.left += start;
    }
    const int width = DoGetNodeWidth(Node, Column, nullptr);
    if (!Unclipped && width > result.right - result.left) return result;
    if (Unclipped && width > result.right - result.left)
        alignment = bidi != bdLeftToRight ? taRightJustify : taLeftJustify;
    switch (alignment) {
    case taRightJustify:
        result.left = result.right - width;
        break;
    case taCenter:
        result.left = (result.left + result.right - width) / 2;
        result.right = result.left + width;
        break;
    default:
        result.right = result.left + width;
        break;
    }
    return result;
}

// --- Header geometry ---------------------------------------------------------------------------------

void TBaseVirtualTree::UpdateHeaderRect() {
    FHeaderRect = TRect{0, 0, GetWidth(), 0};
    if (FHeader->GetOptions().Contains(hoVisible)) FHeaderRect.bottom = FHeader->GetHeight();
}

void TBaseVirtualTree::MainColumnChanged() {
    if (HandleAllocated() && !GetComponentState().Contains(csLoading)) Invalidate();
}
