// The tree as OLE drag source and drop target and its clipboard
// operations. Nodes travel in the native format as node records; a paste or
// drop from another process always reads those records, never pointers.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/VirtualTreeDataObject.h"

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
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TBaseVirtualTree::DragOver(TObject* Source, DWORD KeyState, TDragState State, TPoint Pt,
                                   DWORD& Effect) {
    try {
        const TShiftState shift = ShiftFromKeys(KeyState);
        ::ScreenToClient(GetHandle(), reinterpret_cast<POINT*>(&Pt));
        int top = 0;
        PVirtualNode node = GetNodeAt(Pt.x, Pt.y, true, top);
        const TDropMode mode = DropModeAt(node, Pt);
        if (node != FDropTargetNode || mode != FLastDropMode) {
            FLastDropMode = mode;
            if (node != FDropTargetNode) {
                StopTimer(ExpandTimer);
                InvalidateNode(FDropTargetNode);
                FDropTargetNode = node;
                if (FFocusedColumn <= NoColumn) SetFocusedColumnDirect(GetMainColumn());
                if (node && FOptions->GetAutoOptions().Contains(toAutoDropExpand) &&
                    node->States.Contains(vsHasChildren) && HandleAllocated())
                    SetTimer(GetHandle(), ExpandTimer, FAutoExpandDelay, nullptr);
            }
            InvalidateNode(FDropTargetNode);
        }
        Effect = SuggestDropEffect(Source, shift, Pt, Effect);
        if (!DoDragOver(Source, shift, State, Pt, FLastDropMode, Effect)) Effect = DROPEFFECT_NONE;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void TBaseVirtualTree::DragLeave() {
    StopTimer(ExpandTimer);
    InvalidateNode(FDropTargetNode);
    FDropTargetNode = nullptr;
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
    if (FDropTargetNode && FDropTargetNode->States.Contains(vsHasChildren) &&
        !FDropTargetNode->States.Contains(vsExpanded))
        ToggleNode(FDropTargetNode);
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

// --- Drag source --------------------------------------------------------------------------------

uint32_t TBaseVirtualTree::AllowedDragEffects() const {
    uint32_t effects = 0;
    if (FDragOperations.Contains(doCopy)) effects |= DROPEFFECT_COPY;
    if (FDragOperations.Contains(doMove)) effects |= DROPEFFECT_MOVE;
    if (FDragOperations.Contains(doLink)) effects |= DROPEFFECT_LINK;
    return effects ? effects : DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
}

void TBaseVirtualTree::StartOLEDrag(TPoint P) {
    if (FFocusedNode && !FFocusedNode->States.Contains(vsSelected)) {
        InternalAddToSelection(FFocusedNode, false);
        InvalidateNode(FFocusedNode);
    }
    FDragSelection = GetSortedSelection(true);
    DoStateChange({tsOLEDragging}, {tsOLEDragPending, tsClearPending});
    auto leave = runpak::ScopeExit([this] {
        FDragSelection.clear();
        DoStateChange({}, {tsOLEDragging});
    });
    TVTDragManager* manager = GetDragManager();
    InterfacePtr<IDataObject> data(manager->GetDataObject());
    FLastDropMode = dmOnNode;
    DWORD effect = DROPEFFECT_NONE;
    manager->SetDragSource(this);
    ::DoDragDrop(data.Get(), static_cast<IDropSource*>(manager), AllowedDragEffects(), &effect);
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
