// The tree's window: the state set and its one entry point, message
// routing, window creation, non-client handling, size, colour, font and
// bidi changes, invalidation, and the header and column event dispatchers.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include "benchkit/vtree/VirtualTreeShared.h"
#include "benchkit/vtree/VirtualTreeWorker.h"

#include <quorlpak/ImgList.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

// WM_TREESTATES carries four states as bits.
TVirtualTreeStates FromChangeBits(uintptr_t Bits) {
    TVirtualTreeStates states;
    if (Bits & (1u << csStopValidation)) states.Include(tsStopValidation);
    if (Bits & (1u << csUseCache)) states.Include(tsUseCache);
    if (Bits & (1u << csValidating)) states.Include(tsValidating);
    if (Bits & (1u << csValidationNeeded)) states.Include(tsValidationNeeded);
    return states;
}

// The layer draws no visual styles.
bool ThemesEnabled() {
    return false;
}

} // namespace

void TBaseVirtualTree::DoStateChange(TVirtualTreeStates Enter, TVirtualTreeStates Leave) {
    const uint64_t enter = Enter.ToInt();
    const uint64_t leave = Leave.ToInt();
    const uint64_t current = FStates.load(std::memory_order_acquire);
    if (OnStateChange && ((enter & ~current) || (leave & current)))
        OnStateChange(this, Enter, Leave);
    // Only the GUI thread writes; the worker reads.
    FStates.fetch_or(enter, std::memory_order_acq_rel);
    FStates.fetch_and(~leave, std::memory_order_acq_rel);
}

void TBaseVirtualTree::WMTreeStates(TMessage& Message) {
    {
        ++FTreeStatesDepth;
        auto inside = runpak::ScopeExit([this] { --FTreeStatesDepth; });
        const TVirtualTreeStates leave = FromChangeBits(uintptr_t(Message.LParam));
        DoStateChange(FromChangeBits(Message.WParam), leave);
        // The worker's last message for this round: once its result is applied
        // the tree is no longer held. Were it held until the worker came round to
        // letting go, code running meanwhile would take the finished cache for
        // an interrupted one, drop it and never ask for it again.
        if (leave.Contains(tsValidating))
            if (vtree::TWorkerThread* worker = vtree::Worker()) worker->LetGo(this);
    }
    if (FTreeStatesDepth == 0 && FDeferredValidation) {
        // Asked for inside the message: let the worker go on first, or it
        // would wait for this very message.
        FDeferredValidation = false;
        ReplyMessage(0);
        ValidateCache();
    }
}

// --- Message routing ---------------------------------------------------------------------

void TBaseVirtualTree::WndProc(TMessage& Message) {
    // The header sees every message first and may take it.
    if (FHeader && HandleAllocated() && !GetComponentState().Contains(csDesigning) &&
        FHeader->HandleMessage(Message))
        return;
    switch (Message.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        if (!Focused() && CanFocus()) SetFocus();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(Message);
}

void TBaseVirtualTree::Dispatch(TMessage& Message) {
    if (DispatchDataMessage(Message)) return;
    switch (Message.Msg) {
    case WM_TREESTATES:
        WMTreeStates(Message);
        return;
    case WM_TIMER:
        WMTimer(Message);
        return;
    case WM_NCDESTROY:
        WMNCDestroy(Message);
        return;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_NCHITTEST:
        WMNCHitTest(Message);
        return;
    case WM_NCCALCSIZE:
        WMNCCalcSize(Message);
        return;
    case WM_NCPAINT:
        WMNCPaint(Message);
        return;
    case WM_PRINT:
        WMPrint(Message);
        return;
    case WM_PRINTCLIENT:
        WMPrintClient(Message);
        return;
    case WM_ERASEBKGND:
        // Every pixel is painted by the rows; erasing would only flicker.
        Message.Result = 1;
        return;
    case WM_HSCROLL:
        WMHScroll(Message);
        return;
    case WM_VSCROLL:
        WMVScroll(Message);
        return;
    case CM_MOUSEWHEEL:
        CMMouseWheel(Message);
        return;
    case CM_PARENTFONTCHANGED:
        TCustomControl::Dispatch(Message);
        FHeader->ParentFontChanged();
        return;
    case WM_THEMECHANGED:
        TCustomControl::Dispatch(Message);
        UpdateThemeState();
        if (HandleAllocated())
            RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
        return;
    case WM_ENABLE:
        TCustomControl::Dispatch(Message);
        if (HandleAllocated())
            RedrawWindow(FHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
        return;
    case CM_ENABLEDCHANGED:
        TCustomControl::Dispatch(Message);
        if (GetComponentState().Contains(csDesigning) && HandleAllocated())
            RedrawWindow(FHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
        return;
    case CM_COLORCHANGED:
        TCustomControl::Dispatch(Message);
        if (!GetComponentState().Contains(csLoading)) {
            PrepareBitmaps(true, false);
            Invalidate();
        }
        return;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        if (!GetComponentState().Contains(csLoading)) {
            PrepareBitmaps(true, false);
            Invalidate();
        }
        return;
    case CM_SYSCOLORCHANGE:
        // The shared check images follow the system colours.
        vtree::ReloadSharedCheckImages();
        Message.Msg = WM_SYSCOLORCHANGE;
        DefaultHandler(Message);
        return;
    case CM_CTL3DCHANGED:
        TCustomControl::Dispatch(Message);
        if (FBorderStyle == bsSingle && HandleAllocated()) RecreateWnd();
        return;
    case CM_BIDIMODECHANGED:
        CMBiDiModeChanged(Message);
        return;
    case CM_DENYSUBCLASSING:
        Message.Result = 1;
        return;
    default:
        if (DispatchInput(Message)) return;
        TCustomControl::Dispatch(Message);
        return;
    }
}

void TBaseVirtualTree::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    switch (FScrollBarOptions->GetScrollBars()) {
    case TScrollStyle::ssHorizontal:
        Params.Style |= WS_HSCROLL;
        break;
    case TScrollStyle::ssVertical:
        Params.Style |= WS_VSCROLL;
        break;
    case TScrollStyle::ssBoth:
        Params.Style |= WS_HSCROLL | WS_VSCROLL;
        break;
    case TScrollStyle::ssNone:
        break;
    }
    if (FOptions->GetMiscOptions().Contains(toFullRepaintOnResize))
        Params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
    else
        Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
    if (FBorderStyle == bsSingle) {
        if (GetCtl3D()) {
            Params.ExStyle |= WS_EX_CLIENTEDGE;
            Params.Style &= ~DWORD(WS_BORDER);
        } else {
            Params.Style |= WS_BORDER;
        }
    } else {
        Params.Style &= ~DWORD(WS_BORDER);
        Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    }
}

void TBaseVirtualTree::CreateWnd() {
    DoStateChange({tsWindowCreating});
    {
        auto created = runpak::ScopeExit([this] { DoStateChange({}, {tsWindowCreating}); });
        TCustomControl::CreateWnd();
    }
    FWorkerWindow.store(FHandle);
    UpdateThemeState();
    PrepareBitmaps(true, true);
    if (!GetComponentState().Contains(csDesigning) &&
        FOptions->GetMiscOptions().Contains(toAcceptOLEDrop))
        RegisterDropTarget();
    UpdateScrollBars(true);
    // A cache that waited for a window to report to can be built now.
    if (HasState(tsValidationNeeded) && FUpdateCount == 0) ValidateCache();
}

void TBaseVirtualTree::UpdateThemeState() {
    if (FOptions->GetPaintOptions().Contains(toThemeAware) && ThemesEnabled())
        DoStateChange({tsUseThemes});
    else
        DoStateChange({}, {tsUseThemes});
}

void TBaseVirtualTree::WMNCDestroy(TMessage& Message) {
    InterruptValidation();
    StopTimer(ChangeTimer);
    StopTimer(StructureChangeTimer);
    if (!GetComponentState().Contains(csDesigning) &&
        FOptions->GetMiscOptions().Contains(toAcceptOLEDrop))
        RevokeDropTarget();
    FWorkerWindow.store(nullptr);
    // A hint fading in over this tree stops at its next step and no longer
    // reaches back to it.
    if (HasState(tsInAnimation)) {
        HintWindowDestroyed = true;
        DoStateChange({}, {tsInAnimation, tsCancelHintAnimation});
    }
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::WMSize(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (!HandleAllocated() || HasState(tsSizing) || HasState(tsWindowCreating)) return;
    if (GetClientHeight() < 1) return;
    DoStateChange({tsSizing});
    auto sized = runpak::ScopeExit([this] { DoStateChange({}, {tsSizing}); });
    UpdateScrollBars(true);
    if (HasState(tsEditing)) UpdateEditBounds();
}

void TBaseVirtualTree::WMNCHitTest(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (!HandleAllocated() || !FHeader->GetOptions().Contains(hoVisible)) return;
    POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    ::ScreenToClient(FHandle, &p);
    // The header strip answers as border, so that its mouse messages arrive as
    // non-client ones.
    if (FHeader->InHeader(TPoint{p.x, p.y})) Message.Result = HTBORDER;
}

void TBaseVirtualTree::WMNCCalcSize(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (!FHeader || !FHeader->GetOptions().Contains(hoVisible)) return;
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
    if (!params) return;
    params->rgrc[0].top += FHeader->GetHeight();
    if (params->rgrc[0].top > params->rgrc[0].bottom) params->rgrc[0].top = params->rgrc[0].bottom;
}

void TBaseVirtualTree::CMBiDiModeChanged(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    FHeader->ParentBiDiModeChanged();
    if (FOptions->GetAutoOptions().Contains(toAutoBidiColumnOrdering))
        FHeader->GetColumns()->ReorderColumns(UseRightToLeftAlignment());
    if (UseRightToLeftScrollBar())
        FEffectiveOffsetX = std::max(0, FRangeX + FOffsetX - GetClientWidth());
    else
        FEffectiveOffsetX = std::max(0, -FOffsetX);
}

// --- Invalidation --------------------------------------------------------------------------

void TBaseVirtualTree::Invalidate() {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    TCustomControl::Invalidate();
}

bool TBaseVirtualTree::GetNodeTop(PVirtualNode Node, uint32_t& Top) {
    if (!Node || Node == FRoot || !GetFullyVisible(Node)) return false;
    uint32_t position = 0;
    PVirtualNode run = nullptr;
    if (HasState(tsUseCache)) run = FindInPositionCache(Node, position);
    if (!run) {
        run = GetFirstVisibleNoInit();
        position = 0;
    }
    while (run && run != Node) {
        position += run->NodeHeight;
        run = GetNextVisibleNoInit(run);
    }
    if (!run) return false;
    Top = position;
    return true;
}

namespace {

bool NodeTop(TBaseVirtualTree* Tree, PVirtualNode Node, int64_t& Top) {
    uint32_t top = 0;
    if (!Tree->GetNodeTop(Node, top)) return false;
    Top = top;
    return true;
}

} // namespace

void TBaseVirtualTree::InvalidateNode(PVirtualNode Node) {
    if (!Node || Node == FRoot || FUpdateCount > 0 || !HandleAllocated()) return;
    int64_t top;
    if (!NodeTop(this, Node, top)) return;
    top += FOffsetY;
    const TRect client = GetClientRect();
    RECT r{client.left, int(top), std::max<int>(client.right, FRangeX),
           int(top + Node->NodeHeight)};
    InvalidateRect(FHandle, &r, FALSE);
}

void TBaseVirtualTree::InvalidateChildren(PVirtualNode Node, bool Recursive) {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    if (Node && Node != FRoot) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        InvalidateNode(Node);
        if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    } else {
        Node = FRoot;
    }
    for (PVirtualNode run = Node->FirstChild; run; run = run->NextSibling) {
        InvalidateNode(run);
        if (Recursive) InvalidateChildren(run, true);
    }
}

void TBaseVirtualTree::InvalidateColumn(TColumnIndex Column) {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (!columns->IsValidColumn(Column)) return;
    int left = 0, right = 0;
    columns->GetColumnBounds(Column, left, right);
    RECT r{left, 0, right, GetClientHeight()};
    InvalidateRect(FHandle, &r, FALSE);
}

void TBaseVirtualTree::InvalidateToBottom(PVirtualNode Node) {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    if (!Node || Node == FRoot) {
        Invalidate();
        return;
    }
    if (!Node->States.Contains(vsInitialized)) return;
    int64_t top;
    if (!NodeTop(this, Node, top)) return;
    top += FOffsetY;
    const TRect client = GetClientRect();
    if (top >= client.bottom) return;
    RECT r{client.left, int(std::max<int64_t>(top, client.top)), client.right, client.bottom};
    InvalidateRect(FHandle, &r, FALSE);
}

void TBaseVirtualTree::RepaintNode(PVirtualNode Node) {
    if (!Node || Node == FRoot || FUpdateCount > 0 || !HandleAllocated()) return;
    int64_t top;
    if (!NodeTop(this, Node, top)) return;
    top += FOffsetY;
    const TRect client = GetClientRect();
    RECT r{client.left, int(top), client.right, int(top + Node->NodeHeight)};
    RedrawWindow(FHandle, &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
}

// --- Header and column events ---------------------------------------------------------------

void TBaseVirtualTree::DoColumnClick(TColumnIndex Column, TShiftState Shift) {
    if (OnColumnClick) OnColumnClick(this, Column, Shift);
}

void TBaseVirtualTree::DoColumnDblClick(TColumnIndex Column, TShiftState Shift) {
    if (OnColumnDblClick) OnColumnDblClick(this, Column, Shift);
}

void TBaseVirtualTree::DoColumnResize(TColumnIndex Column) {
    if (GetComponentState().Contains(csLoading) || !HandleAllocated()) return;
    // Wrapped text takes another height in another width.
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        if (run->States.Contains(vsInitialized) && run->States.Contains(vsMultiline))
            run->States.Exclude(vsHeightMeasured);
    UpdateScrollBars(true);
    Invalidate();
    if (!HasState(tsUpdating)) UpdateDesigner();
    if (OnColumnResize) OnColumnResize(FHeader, Column);
    if (HasState(tsEditing)) UpdateEditBounds();
}

void TBaseVirtualTree::DoHeaderClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift,
                                     int X, int Y) {
    if (OnHeaderClick) OnHeaderClick(FHeader, Column, Button, Shift, X, Y);
}

void TBaseVirtualTree::DoHeaderDblClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift,
                                        int X, int Y) {
    if (OnHeaderDblClick) OnHeaderDblClick(FHeader, Column, Button, Shift, X, Y);
}

void TBaseVirtualTree::DoHeaderDragged(TColumnIndex Column, TColumnPosition OldPosition) {
    if (OnHeaderDragged) OnHeaderDragged(FHeader, Column, int(OldPosition));
}

void TBaseVirtualTree::DoHeaderDraggedOut(TColumnIndex Column, TPoint DropPosition) {
    if (OnHeaderDraggedOut) OnHeaderDraggedOut(FHeader, Column, DropPosition);
}

bool TBaseVirtualTree::DoHeaderDragging(TColumnIndex Column) {
    bool allowed = true;
    if (OnHeaderDragging) OnHeaderDragging(FHeader, Column, allowed);
    return allowed;
}

void TBaseVirtualTree::DoHeaderDraw(TCanvas* Canvas, TVirtualTreeColumn* Column, TRect R,
                                    bool Hover, bool Pressed, TVTDropMarkMode DropMark) {
    if (OnHeaderDraw) OnHeaderDraw(FHeader, Canvas, Column, R, Hover, Pressed, DropMark);
}

void TBaseVirtualTree::DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo,
                                                 THeaderPaintElements& Elements) {
    if (OnHeaderDrawQueryElements) OnHeaderDrawQueryElements(FHeader, PaintInfo, Elements);
}

void TBaseVirtualTree::DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo,
                                            THeaderPaintElements Elements) {
    if (OnAdvancedHeaderDraw) OnAdvancedHeaderDraw(FHeader, PaintInfo, Elements);
}

void TBaseVirtualTree::DoHeaderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnHeaderMouseDown) OnHeaderMouseDown(FHeader, Button, Shift, X, Y);
}

void TBaseVirtualTree::DoHeaderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnHeaderMouseUp) OnHeaderMouseUp(FHeader, Button, Shift, X, Y);
}

void TBaseVirtualTree::DoHeaderMouseMove(TShiftState Shift, int X, int Y) {
    if (OnHeaderMouseMove) OnHeaderMouseMove(FHeader, Shift, X, Y);
}

void TBaseVirtualTree::DoGetHeaderCursor(HCURSOR& Cursor) {
    if (OnGetHeaderCursor) OnGetHeaderCursor(FHeader, Cursor);
}

int TBaseVirtualTree::GetMaxColumnWidth(TColumnIndex Column) {
    const bool mainColumn = Column == NoColumn || Column == GetMainColumn();
    const int showRoot = FOptions->GetPaintOptions().Contains(toShowRoot) ? 1 : 0;
    int result = 0;
    PVirtualNode run = GetFirstVisible();
    while (run) {
        int width = FMargin;
        if (mainColumn) {
            width += int(GetNodeLevel(run) + showRoot) * FIndent;
            if (FOptions->GetMiscOptions().Contains(toCheckSupport) && FCheckImages &&
                run->CheckType != ctNone)
                width += FCheckImages->GetWidth() + 2;
        }
        // Images take their width and a gap before the text.
        for (TVTImageKind kind : {ikState, run->States.Contains(vsSelected) ? ikSelected : ikNormal}) {
            bool ghosted = false;
            int index = -1;
            TCustomImageList* list = DoGetImageIndex(run, kind, Column, ghosted, index);
            if (!list) list = kind == ikState ? FStateImages : FImages;
            if (index >= 0 && list) width += list->GetWidth() + 2;
        }
        width += DoGetNodeWidth(run, Column, GetCanvas());
        result = std::max(result, width);
        run = GetNextVisible(run);
    }
    if (FOptions->GetPaintOptions().Contains(toShowVertGridLines)) ++result;
    return result;
}
