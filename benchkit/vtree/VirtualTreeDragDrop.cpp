// The tree as OLE drag source and drop target and its clipboard
// operations. Nodes travel in the native format as node records; a paste or
// drop from another process always reads those records, never pointers.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/VirtualTreeDataObject.h"

#include <quorlpak/DragObjects.h>
#include <quorlpak/Messages.h>
#include <runpak/StreamAdapter.h>
#include <runpak/Streams.h>
#include <win32/ole2.h>
#include <win32/windows.h>

#include <cstring>

namespace {

TShiftState ShiftFromKeys(DWORD KeyState) {
    TShiftState shift;
    if (KeyState & MK_SHIFT) shift.Include(ssShift);
    if (KeyState & MK_CONTROL) shift.Include(ssCtrl);
    if (KeyState & MK_ALT) shift.Include(ssAlt);
    if (KeyState & MK_LBUTTON) shift.Include(ssLeft);
    if (KeyState & MK_RBUTTON) shift.Include(ssRight);
    if (KeyState & MK_MBUTTON) shift.Include(ssMiddle);
    return shift;
}

} // namespace

// --- Formats and rendering ---------------------------------------------------------------------

void TBaseVirtualTree::GetNativeClipboardFormats(std::vector<FORMATETC>& Formats) {
    ClipboardFormats()->EnumerateFormats(ClassType(), Formats, FClipboardFormats);
    DoGetUserClipboardFormats(Formats);
}

void TBaseVirtualTree::DoGetUserClipboardFormats(std::vector<FORMATETC>& Formats) {
    if (OnGetUserClipboardFormats) OnGetUserClipboardFormats(this, Formats);
}

TBaseVirtualTree* TBaseVirtualTree::GetTreeFromDataObject(IDataObject* DataObject) {
    if (!DataObject || !CF_VTREFERENCE) return nullptr;
    FORMATETC format{CF_VTREFERENCE, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (DataObject->GetData(&format, &medium) != S_OK) return nullptr;
    TBaseVirtualTree* result = nullptr;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal &&
        GlobalSize(medium.hGlobal) >= TVTDataObject::TreeReferenceSize) {
        const auto* bytes = static_cast<const uint8_t*>(GlobalLock(medium.hGlobal));
        uint32_t process = 0;
        std::memcpy(&process, bytes, 4);
        // The address means something only inside the process that wrote it.
        if (process == GetCurrentProcessId()) std::memcpy(&result, bytes + 4, sizeof result);
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return result;
}

HRESULT TBaseVirtualTree::RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                        bool ForClipboard) {
    std::memset(&Medium, 0, sizeof Medium);
    const bool native = CF_VIRTUALTREE && FormatEtcIn.cfFormat == CF_VIRTUALTREE;
    if (!native || !(FormatEtcIn.tymed & (TYMED_ISTREAM | TYMED_HGLOBAL)))
        return DoRenderOLEData(FormatEtcIn, Medium, ForClipboard);

    TMemoryStream data;
    for (PVirtualNode node : ForClipboard ? GetSortedCutCopySet(true) : GetSortedSelection(true))
        WriteNode(&data, node);
    const int64_t size = data.GetSize();
    if (FormatEtcIn.tymed & TYMED_ISTREAM) {
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return E_OUTOFMEMORY;
        ULONG written = 0;
        if (size) stream->Write(data.GetMemory(), ULONG(size), &written);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        Medium.tymed = TYMED_ISTREAM;
        Medium.pstm = stream;
        return S_OK;
    }
    if (size == 0) return E_FAIL;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, SIZE_T(size) + 4);
    if (!global) return E_OUTOFMEMORY;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(global));
    const uint32_t count = uint32_t(size);
    std::memcpy(bytes, &count, 4);
    std::memcpy(bytes + 4, data.GetMemory(), size_t(size));
    GlobalUnlock(global);
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = global;
    return S_OK;
}

HRESULT TBaseVirtualTree::DoRenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                          bool ForClipboard) {
    HRESULT result = E_FAIL;
    if (OnRenderOLEData) OnRenderOLEData(this, FormatEtcIn, Medium, ForClipboard, result);
    return result;
}

HRESULT TCustomVirtualStringTree::RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                                bool ForClipboard) {
    HRESULT result = TBaseVirtualTree::RenderOLEData(FormatEtcIn, Medium, ForClipboard);
    if (SUCCEEDED(result) || !(FormatEtcIn.tymed & TYMED_HGLOBAL)) return result;
    try {
        HGLOBAL global =
            ContentToClipboard(FormatEtcIn.cfFormat, ForClipboard ? tstCutCopySet : tstSelected);
        if (!global) return result;
        Medium.tymed = TYMED_HGLOBAL;
        Medium.hGlobal = global;
        Medium.pUnkForRelease = nullptr;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

// --- Inserting the nodes of a data object -----------------------------------------------------

bool TBaseVirtualTree::ProcessOLEData(TBaseVirtualTree* Source, IDataObject* DataObject,
                                      PVirtualNode TargetNode, TVTNodeAttachMode Mode,
                                      bool Optimized) {
    if (!DataObject || !CF_VIRTUALTREE) return false;
    FORMATETC format{CF_VIRTUALTREE, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM | TYMED_HGLOBAL};
    if (DataObject->QueryGetData(&format) != S_OK) return false;
    if (ReadOnly()) return true;

    auto check = CheckedChange();
    auto update = runpak::UpdateBracket(*this);
    if (!TargetNode) TargetNode = FRoot;
    if (TargetNode == FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }

    if (Optimized && Source) {
        const TNodeArray nodes = Source->HasState(tsOLEDragging) ? Source->FDragSelection
                                                                 : Source->GetSortedCutCopySet(true);
        const bool forward = Mode == amInsertBefore || Mode == amAddChildLast;
        for (size_t i = 0; i < nodes.size(); ++i) {
            PVirtualNode node = nodes[forward ? i : nodes.size() - 1 - i];
            if (node == TargetNode || HasAsParent(TargetNode, node)) continue;
            Source->MoveTo(node, TargetNode, Mode, false);
        }
        return true;
    }

    STGMEDIUM medium{};
    if (DataObject->GetData(&format, &medium) != S_OK) return false;
    auto release = runpak::ScopeExit([&] { ReleaseStgMedium(&medium); });
    // The records are copied out of the medium first: what the reader checks
    // against is the data really handed over.
    TMemoryStream records;
    if (medium.tymed == TYMED_ISTREAM && medium.pstm) {
        TOleStream stream(medium.pstm);
        records.CopyFrom(&stream, 0);
    } else if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        const SIZE_T size = GlobalSize(medium.hGlobal);
        const auto* bytes = static_cast<const uint8_t*>(GlobalLock(medium.hGlobal));
        uint32_t count = 0;
        if (bytes && size >= 4) std::memcpy(&count, bytes, 4);
        const bool fits = bytes && size >= 4 && count <= size - 4;
        if (fits && count) records.WriteBuffer(bytes + 4, int(count));
        GlobalUnlock(medium.hGlobal);
        if (!fits) ShowVirtualTreeError(hcTFCorruptStream2);
    } else {
        return false;
    }
    records.SetPosition(0);
    TReadOnlyMemoryStream stream(records.GetMemory(), records.GetSize());
    PVirtualNode asked = TargetNode == FRoot ? nullptr : TargetNode;
    if (TargetNode != FRoot && !TargetNode->States.Contains(vsInitialized)) InitNode(TargetNode);
    ReadNodesFromStream(&stream, 2, UINT32_MAX, TargetNode, Mode, [&](PVirtualNode node) {
        if (!DoNodeCopying(node, asked)) {
            DeleteNode(node);
            return false;
        }
        DoNodeCopied(node);
        StructureChange(node, Source == this ? crNodeCopied : crNodeAdded);
        return true;
    });
    return true;
}

// --- Clipboard -----------------------------------------------------------------------------------

void TBaseVirtualTree::MarkCutCopyNodes() {
    for (PVirtualNode node : GetSortedSelection(false))
        if (!node->States.Contains(vsDisabled)) node->States.Include(vsCutOrCopy);
}

void TBaseVirtualTree::CancelCutOrCopy() {
    if (!HasState(tsCutPending) && !HasState(tsCopyPending)) return;
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        run->States.Exclude(vsCutOrCopy);
    DoStateChange({}, {tsCutPending, tsCopyPending});
    if (HandleAllocated()) Invalidate();
}

bool TBaseVirtualTree::PutOnClipboard(TVirtualTreeState Pending) {
    if (FSelectionCount == 0) return false;
    auto* object = new TVTDataObject(this, true);
    InterfacePtr<IDataObject> data(object);
    if (OleSetClipboard(data.Get()) != S_OK) return false;
    FClipboardDataObject = object;
    MarkCutCopyNodes();
    DoStateChange({Pending}, {Pending == tsCutPending ? tsCopyPending : tsCutPending});
    if (HandleAllocated()) Invalidate();
    return true;
}

void TBaseVirtualTree::CopyToClipBoard() {
    PutOnClipboard(tsCopyPending);
}

void TBaseVirtualTree::CutToClipBoard() {
    if (!ReadOnly()) PutOnClipboard(tsCutPending);
}

bool TBaseVirtualTree::PasteFromClipboard() {
    if (ReadOnly()) return false;
    InterfacePtr<IDataObject> data;
    if (OleGetClipboard(data.Out()) != S_OK || !data) ShowVirtualTreeError(hcTFClipboardFailed);
    TBaseVirtualTree* source = GetTreeFromDataObject(data.Get());
    const bool result = ProcessOLEData(source, data.Get(), FFocusedNode, FDefaultPasteMode,
                                       source && source->HasState(tsCutPending));
    if (source == this)
        DoStateChange({}, {tsCutPending});
    else if (source)
        source->FinishCutOrCopy();
    return result;
}

void TBaseVirtualTree::ReleaseClipboardData() {
    if (TVTDataObject* object = FClipboardDataObject) {
        DoStateChange({tsClipboardFlushing});
        if (OleIsCurrentClipboard(object) == S_OK) OleFlushClipboard();
        DoStateChange({}, {tsClipboardFlushing});
        // Still held elsewhere: it renders nothing more from this tree.
        if (FClipboardDataObject) {
            FClipboardDataObject->FOwner = nullptr;
            FClipboardDataObject = nullptr;
        }
    }
    CancelCutOrCopy();
}

void TBaseVirtualTree::FlushClipboard() {
    if (!HasState(tsCutPending) && !HasState(tsCopyPending)) return;
    DoStateChange({tsClipboardFlushing});
    OleFlushClipboard();
    CancelCutOrCopy();
    DoStateChange({}, {tsClipboardFlushing});
}

bool TBaseVirtualTree::DispatchDataMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COPY:
        CopyToClipBoard();
        return true;
    case WM_CUT:
        CutToClipBoard();
        return true;
    case WM_PASTE:
        PasteFromClipboard();
        return true;
    case CM_DRAG:
        CMDrag(Message);
        return true;
    case CM_ACTIONEXECUTE:
        Message.Result = ExecuteAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
        return true;
    case CM_ACTIONUPDATE:
        Message.Result = UpdateAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
        return true;
    default:
        return DispatchTreeViewQuery(Message);
    }
}

// --- Drop target --------------------------------------------------------------------------------

uint32_t TBaseVirtualTree::SuggestDropEffect(TObject* Source, TShiftState Shift, TPoint Pt,
                                             uint32_t AllowedEffects) {
    uint32_t result = AllowedEffects;
    if (Source == this && (AllowedEffects & DROPEFFECT_MOVE))
        result = DROPEFFECT_MOVE;
    else if (Source != this && (AllowedEffects & DROPEFFECT_COPY))
        result = DROPEFFECT_COPY;
    auto pick = [&](uint32_t effect) { return (AllowedEffects & effect) ? effect : result; };
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    if (ctrl && shift) return pick(DROPEFFECT_LINK);
    if (ctrl) return pick(DROPEFFECT_COPY);
    if (shift) return pick(DROPEFFECT_MOVE);
    if (Shift.Contains(ssAlt)) return pick(DROPEFFECT_LINK);
    return result;
}

bool TBaseVirtualTree::DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt,
                                  TDropMode Mode, uint32_t& Effect) {
    bool accept = false;
    if (OnDragOver) OnDragOver(this, Source, Shift, State, Pt, Mode, Effect, accept);
    return accept;
}

void TBaseVirtualTree::DoDragDrop(TObject* Source, IDataObject* DataObject,
                                  const TFormatArray& Formats, TShiftState Shift, TPoint Pt,
                                  uint32_t& Effect, TDropMode Mode) {
    if (OnDragDrop) OnDragDrop(this, Source, DataObject, Formats, Shift, Pt, Effect, Mode);
}

TDropMode TBaseVirtualTree::DropModeAt(PVirtualNode Node, TPoint Pt) {
    if (!Node) return dmNowhere;
    const TRect label = GetDisplayRect(Node, GetMainColumn(), true);
    if (Pt.x >= label.left && Pt.x < label.right) return dmOnNode;
    if (!FOptions->GetPaintOptions().Contains(toShowDropmark)) return dmOnNode;
    const TRect row = GetDisplayRect(Node, NoColumn, false);
    return Pt.y < (row.top + row.bottom) / 2 ? dmAbove : dmBelow;
}

HRESULT TBaseVirtualTree::DragEnter(DWORD KeyState, TPoint Pt, DWORD& Effect) {
    FDragScrollStart = 0;
    try {
        const TShiftState shift = ShiftFromKeys(KeyState);
        ::ScreenToClient(GetHandle(), reinterpret_cast<POINT*>(&Pt));
        TObject* source = FDragManager ? FDragManager->GetDragSource() : nullptr;
        Effect = SuggestDropEffect(source, shift, Pt, Effect);
        FLastDropMode = dmOnNode;
        if (DoDragOver(source, shift, dsDragEnter, Pt, FLastDropMode, Effect)) {
            int top = 0;
            FDropTargetNode = GetNodeAt(Pt.x, Pt.y, true, top);
            FLastDropMode = DropModeAt(FDropTargetNode, Pt);
            if (FDropTargetNode) InvalidateNode(FDropTargetNode);
        } else {
            Effect = DROPEFFECT_NONE;
        }
        // Nobody else draws an image for the target, so a tree that is the
        // drag source shows its own.
        if (auto* tree = dynamic_cast<TBaseVirtualTree*>(source))
            tree->GetDragImage()->ShowDragImage();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TBaseVirtualTree::DragOver(TObject* Source, DWORD KeyState, TDragState State, TPoint Pt,
                                   DWORD& Effect) {
    try {
        const TShiftState shift = ShiftFromKeys(KeyState);
        const TPoint screen = Pt;
        ::ScreenToClient(GetHandle(), reinterpret_cast<POINT*>(&Pt));
        // With the source's own image on the screen, repaints go around it
        // and refresh what it keeps of the background.
        TVTDragImage* image = VisibleDragImageOf(Source);

        // Resting at an edge scrolls one increment per call; the image
        // under the mouse must not be scrolled along.
        bool scrolled = false;
        FScrollDirections = DetermineScrollDirections(Pt.x, Pt.y);
        if (!FScrollDirections.Empty()) {
            const int clientWidth = GetClientWidth(), clientHeight = GetClientHeight();
            int dx = 0, dy = 0;
            if (FScrollDirections.Contains(sdUp) && FOffsetY != 0)
                dy = std::min<int>(int(FScrollBarOptions->GetVerticalIncrement()), clientHeight);
            if (FScrollDirections.Contains(sdDown) && clientHeight - FOffsetY != FRangeY)
                dy = -std::min<int>(int(FScrollBarOptions->GetVerticalIncrement()), clientHeight);
            if (FScrollDirections.Contains(sdLeft) && FEffectiveOffsetX != 0)
                dx = int(FScrollBarOptions->GetHorizontalIncrement());
            if (FScrollDirections.Contains(sdRight) && clientWidth + FEffectiveOffsetX != FRangeX)
                dx = -int(FScrollBarOptions->GetHorizontalIncrement());
            if (dx != 0 || dy != 0) {
                const TScrollUpdateOptions options =
                    image ? TScrollUpdateOptions{suoUpdateNCArea} : DefaultScrollUpdateFlags;
                scrolled = DoSetOffsetXY(TPoint{FOffsetX + dx, FOffsetY + dy}, options);
            }
        }

        int top = 0;
        PVirtualNode node = GetNodeAt(Pt.x, Pt.y, true, top);
        const TDropMode mode = DropModeAt(node, Pt);
        const bool imageMoves = image && image->WillMove(screen);
        auto repaint = [&](PVirtualNode Old, PVirtualNode New) {
            if (!image) {
                InvalidateNode(Old);
                if (New != Old) InvalidateNode(New);
                return;
            }
            TRect area{};
            for (PVirtualNode n : {Old, New})
                if (n) {
                    const RECT r = GetDisplayRect(n, NoColumn, false);
                    UnionRect(&area, &area, &r);
                }
            UpdateWindowAndDragImage(dynamic_cast<TBaseVirtualTree*>(Source), area, false,
                                     !imageMoves);
        };
        if (node != FDropTargetNode || mode != FLastDropMode) {
            FLastDropMode = mode;
            if (node != FDropTargetNode) {
                StopTimer(ExpandTimer);
                PVirtualNode old = FDropTargetNode;
                FDropTargetNode = node;
                if (FFocusedColumn <= NoColumn) SetFocusedColumnDirect(GetMainColumn());
                if (scrolled && image)
                    UpdateWindowAndDragImage(dynamic_cast<TBaseVirtualTree*>(Source),
                                             GetClientRect(), false, !imageMoves);
                else
                    repaint(old, node);
                if (node && FOptions->GetAutoOptions().Contains(toAutoDropExpand) &&
                    node->States.Contains(vsHasChildren) && HandleAllocated())
                    SetTimer(GetHandle(), ExpandTimer, FAutoExpandDelay, nullptr);
            } else {
                repaint(node, node);
            }
        } else if (scrolled && image) {
            UpdateWindowAndDragImage(dynamic_cast<TBaseVirtualTree*>(Source), GetClientRect(), false,
                                     !imageMoves);
        }
        if (HandleAllocated()) UpdateWindow(GetHandle());
        if (imageMoves) image->DragTo(screen);
        Effect = SuggestDropEffect(Source, shift, Pt, Effect);
        if (!DoDragOver(Source, shift, State, Pt, FLastDropMode, Effect)) Effect = DROPEFFECT_NONE;
        if (scrolled) Effect |= DROPEFFECT_SCROLL;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void TBaseVirtualTree::DragLeave() {
    StopTimer(ExpandTimer);
    if (TVTDragImage* image =
            VisibleDragImageOf(FDragManager ? FDragManager->GetDragSource() : nullptr))
        image->HideDragImage();
    InvalidateNode(FDropTargetNode);
    FDropTargetNode = nullptr;
    if (HandleAllocated()) UpdateWindow(GetHandle());
    uint32_t effect = DROPEFFECT_NONE;
    DoDragOver(nullptr, {}, dsDragLeave, TPoint{0, 0}, FLastDropMode, effect);
}

HRESULT TBaseVirtualTree::DragDrop(IDataObject* DataObject, DWORD KeyState, TPoint Pt,
                                   DWORD& Effect) {
    HRESULT result = E_FAIL;
    TObject* source = FDragManager ? FDragManager->GetDragSource() : nullptr;
    try {
        StopTimer(ExpandTimer);
        StopTimer(ScrollTimer);
        DoStateChange({}, {tsScrollPending, tsScrolling});
        if (SUCCEEDED(DragOver(source, KeyState, dsDragMove, Pt, Effect)) &&
            (Effect & ~DROPEFFECT_SCROLL) != DROPEFFECT_NONE) {
            const TShiftState shift = ShiftFromKeys(KeyState);
            TPoint client = Pt;
            ::ScreenToClient(GetHandle(), reinterpret_cast<POINT*>(&client));
            TFormatArray formats;
            InterfacePtr<IEnumFORMATETC> enumerator;
            if (SUCCEEDED(DataObject->EnumFormatEtc(DATADIR_GET, enumerator.Out())) && enumerator &&
                SUCCEEDED(enumerator->Reset())) {
                FORMATETC format;
                while (enumerator->Next(1, &format, nullptr) == S_OK)
                    formats.push_back(format.cfFormat);
                uint32_t effect = Effect;
                DoDragDrop(source, DataObject, formats, shift, client, effect, FLastDropMode);
                Effect = effect;
            }
            result = S_OK;
        }
    } catch (...) {
        result = E_FAIL;
    }
    InvalidateNode(FDropTargetNode);
    FDropTargetNode = nullptr;
    return result;
}

void TBaseVirtualTree::DoDragExpand() {
    StopTimer(ExpandTimer);
    if (!FDropTargetNode || !FDropTargetNode->States.Contains(vsHasChildren) ||
        FDropTargetNode->States.Contains(vsExpanded))
        return;
    // The expansion scrolls pixels the image sits on: it steps aside meanwhile.
    TVTDragImage* image =
        VisibleDragImageOf(FDragManager ? FDragManager->GetDragSource() : nullptr);
    if (image) image->HideDragImage();
    ToggleNode(FDropTargetNode);
    if (HandleAllocated()) UpdateWindow(GetHandle());
    if (image) image->ShowDragImage();
}

TVTDragImage* TBaseVirtualTree::VisibleDragImageOf(TObject* Source) {
    auto* tree = dynamic_cast<TBaseVirtualTree*>(Source);
    if (!tree || !tree->FDragImage || !tree->FDragImage->Visible()) return nullptr;
    return tree->FDragImage.get();
}

TVTDragImage* TBaseVirtualTree::GetDragImage() {
    if (!FDragImage) {
        FDragImage = std::make_unique<TVTDragImage>(this);
        FDragImage->SetFade(true);
        FDragImage->SetTransparency(200);
    }
    return FDragImage.get();
}

bool TBaseVirtualTree::Dragging() const {
    return HasState(tsOLEDragPending) || HasState(tsOLEDragging) || TCustomControl::Dragging();
}

void TBaseVirtualTree::UpdateWindowAndDragImage(TBaseVirtualTree* Tree, TRect TreeRect,
                                                bool UpdateNCArea, bool ReshowDragImage) {
    if (!HandleAllocated()) return;
    RECT client = GetClientRect();
    RECT area;
    if (!IntersectRect(&area, &TreeRect, &client)) return;
    TVTDragImage* image = VisibleDragImageOf(Tree);
    if (!image) {
        RedrawWindow(GetHandle(), &area, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE | RDW_NOCHILDREN |
                         (UpdateNCArea ? RDW_FRAME : 0));
        return;
    }
    RECT window;
    GetWindowRect(GetHandle(), &window);
    HRGN visible = CreateRectRgnIndirect(&window);
    image->RecaptureBackground(this, area, visible, UpdateNCArea, ReshowDragImage);
    DeleteObject(visible);
    // The image already shows what lies under it; repainting there would
    // draw over it.
    RECT imageRect = image->GetDragImageRect();
    POINT origin{0, 0};
    ::ClientToScreen(GetHandle(), &origin);
    OffsetRect(&imageRect, -origin.x, -origin.y);
    HRGN under = CreateRectRgnIndirect(&imageRect);
    if (UpdateNCArea) {
        HRGN frame = CreateRectRgn(0, 0, 0, 0);
        RECT all{window.left - origin.x, window.top - origin.y, window.right - origin.x,
                 window.bottom - origin.y};
        HRGN whole = CreateRectRgnIndirect(&all);
        HRGN inside = CreateRectRgnIndirect(&client);
        CombineRgn(frame, whole, inside, RGN_DIFF);
        CombineRgn(frame, frame, under, RGN_DIFF);
        RedrawWindow(GetHandle(), nullptr, frame,
                     RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
        DeleteObject(inside);
        DeleteObject(whole);
        DeleteObject(frame);
    }
    HRGN update = CreateRectRgnIndirect(&area);
    CombineRgn(update, update, under, RGN_DIFF);
    RedrawWindow(GetHandle(), nullptr, update,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE | RDW_NOCHILDREN);
    DeleteObject(update);
    DeleteObject(under);
}

TVTDragManager* TBaseVirtualTree::GetDragManager() {
    if (!FDragManager) FDragManager = new TVTDragManager(this);
    return FDragManager.Get();
}

void TBaseVirtualTree::RegisterDropTarget() {
    if (!HandleAllocated()) return;
    RegisterDragDrop(GetHandle(), static_cast<IDropTarget*>(GetDragManager()));
}

void TBaseVirtualTree::RevokeDropTarget() {
    if (HandleAllocated()) RevokeDragDrop(GetHandle());
}

// --- The framework's drag and drop -------------------------------------------------------------

namespace {

DWORD CurrentKeyState() {
    DWORD keys = 0;
    auto down = [](int Key) { return (GetKeyState(Key) & 0x8000) != 0; };
    if (down(VK_SHIFT)) keys |= MK_SHIFT;
    if (down(VK_CONTROL)) keys |= MK_CONTROL;
    if (down(VK_MENU)) keys |= MK_ALT;
    if (down(VK_LBUTTON)) keys |= MK_LBUTTON;
    if (down(VK_RBUTTON)) keys |= MK_RBUTTON;
    if (down(VK_MBUTTON)) keys |= MK_MBUTTON;
    return keys;
}

} // namespace

void TBaseVirtualTree::CMDrag(TMessage& Message) {
    auto* record = reinterpret_cast<TDragRec*>(Message.LParam);
    TDragObject* object = record ? record->Source : nullptr;
    if (!object || dynamic_cast<TDragDockObject*>(object)) {
        TCustomControl::Dispatch(Message);
        return;
    }
    // The dragged control stands as source, unless the application made
    // its own drag object.
    TObject* source = object;
    if (auto* control = dynamic_cast<TBaseDragControlObject*>(object);
        control && !HasState(tsUserDragObject))
        source = control->GetControl();
    switch (TDragMessage(Message.WParam)) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
        const auto message = TDragMessage(Message.WParam);
        TDragState state = dsDragMove;
        if (message == dmDragEnter) {
            DoStateChange({tsQUORLDragging});
            state = dsDragEnter;
        } else if (message == dmDragLeave) {
            DoStateChange({}, {tsQUORLDragging});
            state = dsDragLeave;
        }
        if (message == dmDragMove) {
            const TPoint client = ScreenToClient(record->Pos);
            DoAutoScroll(client.x, client.y);
        }
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        DragOver(source, CurrentKeyState(), state, record->Pos, effect);
        effect &= ~DROPEFFECT_SCROLL;
        Message.Result = LRESULT(effect);
        FLastQUORLDragTarget = FDropTargetNode;
        FQUORLDragEffect = effect;
        if (message == dmDragLeave) {
            InvalidateNode(FDropTargetNode);
            FDropTargetNode = nullptr;
            FLastQUORLDragTarget = nullptr;
        }
        break;
    }
    case dmDragDrop: {
        FDropTargetNode = FLastQUORLDragTarget;
        TPoint client = ScreenToClient(record->Pos);
        uint32_t effect = FQUORLDragEffect;
        DoDragDrop(source, nullptr, TFormatArray(), ShiftFromKeys(CurrentKeyState()), client,
                   effect, FLastDropMode);
        InvalidateNode(FDropTargetNode);
        FDropTargetNode = nullptr;
        FLastQUORLDragTarget = nullptr;
        DoStateChange({}, {tsQUORLDragging});
        break;
    }
    case dmFindTarget: {
        TControl* child = ControlAtPos(ScreenToClient(record->Pos), false);
        Message.Result = LRESULT(child ? child : static_cast<TControl*>(this));
        if (HasState(tsQUORLDragPending))
            DoStateChange({tsQUORLDragging}, {tsQUORLDragPending, tsEditPending, tsClearPending});
        break;
    }
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}

// --- Drag source --------------------------------------------------------------------------------

uint32_t TBaseVirtualTree::AllowedDragEffects() const {
    uint32_t effects = 0;
    if (FDragOperations.Contains(doCopy)) effects |= DROPEFFECT_COPY;
    if (FDragOperations.Contains(doMove)) effects |= DROPEFFECT_MOVE;
    if (FDragOperations.Contains(doLink)) effects |= DROPEFFECT_LINK;
    return effects ? effects : DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
}

void TBaseVirtualTree::StartOLEDrag(TPoint P) {
    CancelEditNode();
    if (FCurrentHotNode) {
        InvalidateNode(FCurrentHotNode);
        FCurrentHotNode = nullptr;
    }
    if (FFocusedNode && !FFocusedNode->States.Contains(vsSelected)) {
        InternalAddToSelection(FFocusedNode, false);
        InvalidateNode(FFocusedNode);
    }
    if (HandleAllocated()) UpdateWindow(GetHandle());
    FDragSelection = GetSortedSelection(true);
    DoStateChange({tsOLEDragging}, {tsOLEDragPending, tsClearPending});
    auto leave = runpak::ScopeExit([this] {
        FDragSelection.clear();
        DoStateChange({}, {tsOLEDragging});
    });
    TDragObject* supplied = nullptr;
    DoStartDrag(supplied);
    TVTDragManager* manager = GetDragManager();
    InterfacePtr<IDataObject> data(manager->GetDataObject());
    PrepareDragImage(P, data.Get());
    FLastDropMode = dmOnNode;
    DWORD effect = DROPEFFECT_NONE;
    manager->SetDragSource(this);
    {
        // Whatever happens inside the loop, the image leaves the screen.
        auto endImage = runpak::ScopeExit([this] {
            if (FDragImage) FDragImage->EndDrag();
        });
        DragAndDrop(AllowedDragEffects(), data.Get(), effect);
        manager->ForceDragLeave();
        POINT cursor{};
        GetCursorPos(&cursor);
        if (HandleAllocated()) ::ScreenToClient(GetHandle(), &cursor);
        DoEndDrag(nullptr, cursor.x, cursor.y);
    }
    manager->SetDragSource(nullptr);
    manager->ForgetDataObject();
    if (effect == DROPEFFECT_MOVE && FOptions->GetAutoOptions().Contains(toAutoDeleteMovedNodes)) {
        auto update = runpak::UpdateBracket(*this);
        // A move inside this tree relinked the nodes already; only those
        // still marked as dragged and not moved away are deleted.
        for (PVirtualNode node : TNodeArray(FDragSelection))
            if (StillOwned(node)) DeleteNode(node);
    }
}

void TBaseVirtualTree::DragAndDrop(DWORD AllowedEffects, IDataObject* DataObject,
                                   DWORD& DragEffect) {
    ::DoDragDrop(DataObject, static_cast<IDropSource*>(GetDragManager()), AllowedEffects,
                 &DragEffect);
}

void TBaseVirtualTree::PrepareDragImage(TPoint HotSpot, IDataObject* DataObject) {
    if (!CanShowDragImage() || !HandleAllocated() || FDragWidth <= 0 || FDragHeight <= 0) return;
    // The image's area in tree coordinates, centred on the hot spot; what
    // lies left of or above the tree's origin stays empty.
    const int width = FDragWidth, height = FDragHeight;
    TRect treeRect{HotSpot.x - width / 2 + FEffectiveOffsetX, HotSpot.y - height / 2 - FOffsetY, 0,
                   0};
    treeRect.right = treeRect.left + width;
    treeRect.bottom = treeRect.top + height;
    TPoint targetOffset{0, 0};
    if (treeRect.left < 0) {
        targetOffset.x = -treeRect.left;
        treeRect.left = 0;
    }
    if (treeRect.top < 0) {
        targetOffset.y = -treeRect.top;
        treeRect.top = 0;
    }
    TBitmap image;
    image.SetPixelFormat(pf32bit);
    image.SetSize(width, height);
    TCanvas* canvas = image.GetCanvas();
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(TRect{0, 0, width, height});
    TVTInternalPaintOptions options{poDrawSelection, poSelectedOnly};
    if (FDragImageKind == diMainColumnOnly) options.Include(poMainOnly);
    PaintTree(canvas, treeRect, targetOffset, options, pf32bit);

    POINT position{HotSpot.x - width / 2, HotSpot.y - height / 2};
    ::ClientToScreen(GetHandle(), &position);
    POINT hot = HotSpot;
    ::ClientToScreen(GetHandle(), &hot);
    TVTDragImage* dragImage = GetDragImage();
    dragImage->SetColorKey(GetColor());
    dragImage->PrepareDrag(&image, position, hot, DataObject);
}

void TBaseVirtualTree::DoStartDrag(TDragObject*& DragObject) {
    TCustomControl::DoStartDrag(DragObject);
    if (DragObject) DoStateChange({tsUserDragObject});
}

void TBaseVirtualTree::DoEndDrag(TObject* Target, int X, int Y) {
    TCustomControl::DoEndDrag(Target, X, Y);
    DragFinished();
}

void TBaseVirtualTree::DragFinished() {
    DoStateChange({}, {tsQUORLDragPending, tsQUORLDragging, tsUserDragObject});
    if (!HandleAllocated()) return;
    // The drag loop took the button's release; the tree hears it so that
    // its own button states end.
    POINT cursor{};
    GetCursorPos(&cursor);
    ::ScreenToClient(GetHandle(), &cursor);
    const UINT message = HasState(tsRightButtonDown)    ? WM_RBUTTONUP
                         : HasState(tsMiddleButtonDown) ? WM_MBUTTONUP
                                                        : WM_LBUTTONUP;
    SendMessageW(GetHandle(), message, 0, MAKELPARAM(cursor.x, cursor.y));
}

bool TBaseVirtualTree::StillOwned(PVirtualNode Node) const {
    for (PVirtualNode run = FRoot->FirstChild; run; run = GetNextNoInit(run))
        if (run == Node) return true;
    return false;
}

// --- Drag manager -------------------------------------------------------------------------------

TVTDragManager::TVTDragManager(TBaseVirtualTree* AOwner) : FOwner(AOwner) {}

TVTDragManager::~TVTDragManager() {}

HRESULT TVTDragManager::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IDropTarget, IDropSource>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

IDataObject* TVTDragManager::GetDataObject() {
    if (!FDataObject) FDataObject = new TVTDataObject(FOwner, false);
    return FDataObject.Get();
}

HRESULT TVTDragManager::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                  DWORD* pdwEffect) noexcept {
    if (!pdwEffect) return E_INVALIDARG;
    FDataObject = pDataObj;
    FIsDropTarget = true;
    BOOL full = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    FFullDragging = full != FALSE;
    if (!FFullDragging) LockWindowUpdate(nullptr);
    try {
        FDragSource = FOwner->GetTreeFromDataObject(pDataObj);
    } catch (...) {
        FDragSource = nullptr;
    }
    return FOwner->DragEnter(grfKeyState, TPoint{pt.x, pt.y}, *pdwEffect);
}

HRESULT TVTDragManager::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) noexcept {
    if (!pdwEffect) return E_INVALIDARG;
    return FOwner->DragOver(FDragSource, grfKeyState, dsDragMove, TPoint{pt.x, pt.y}, *pdwEffect);
}

HRESULT TVTDragManager::DragLeave() noexcept {
    try {
        FOwner->DragLeave();
    } catch (...) {
    }
    FIsDropTarget = false;
    FDragSource = nullptr;
    FDataObject.Reset();
    return S_OK;
}

HRESULT TVTDragManager::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                             DWORD* pdwEffect) noexcept {
    if (!pdwEffect) return E_INVALIDARG;
    const HRESULT result = FOwner->DragDrop(pDataObj, grfKeyState, TPoint{pt.x, pt.y}, *pdwEffect);
    FIsDropTarget = false;
    FDataObject.Reset();
    return result;
}

HRESULT TVTDragManager::GiveFeedback(DWORD) noexcept {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT TVTDragManager::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) noexcept {
    const bool left = grfKeyState & MK_LBUTTON, right = grfKeyState & MK_RBUTTON;
    if ((left && right) || fEscapePressed) return DRAGDROP_S_CANCEL;
    if (left || right) return S_OK;
    return DRAGDROP_S_DROP;
}
