// In-place editing and incremental search. The tree sequences an editor
// behind IVTEditLink (create, prepare, place, begin, end or cancel); the
// string tree brings a default one, TStringEditLink with its TVTEdit.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>
#include <quorlpak/Messages.h>
#include <runpak/ScopeGuard.h>
#include <win32/windows.h>

#include <algorithm>
#include <exception>

namespace {

// Runs its action only when the scope is left by an exception.
template <class F> class TScopeFail {
public:
    explicit TScopeFail(F Action) : FAction(std::move(Action)) {}
    ~TScopeFail() {
        if (std::uncaught_exceptions() > FCount) FAction();
    }
    TScopeFail(const TScopeFail&) = delete;
    TScopeFail& operator=(const TScopeFail&) = delete;

private:
    F FAction;
    int FCount = std::uncaught_exceptions();
};

} // namespace

// --- Editing ----------------------------------------------------------------------------------

bool TBaseVirtualTree::EditNode(PVirtualNode Node, TColumnIndex Column) {
    if (HasState(tsEditing) || FOptions->GetMiscOptions().Contains(toReadOnly))
        return HasState(tsEditing);
    SetFocusedNode(Node);
    if (Node && Node != FRoot && FFocusedNode == Node && CanEdit(Node, Column)) {
        FEditColumn = Column;
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        DoEdit();
    }
    return HasState(tsEditing);
}

bool TBaseVirtualTree::EndEditNode() {
    if (!HasState(tsEditing)) return true;
    return DoEndEdit();
}

bool TBaseVirtualTree::CancelEditNode() {
    if (!HandleAllocated() || !HasState(tsEditing)) return true;
    return DoCancelEdit();
}

TVTEditLinkRef TBaseVirtualTree::DoCreateEditor(PVirtualNode Node, TColumnIndex Column) {
    TVTEditLinkRef link;
    if (!OnCreateEditor) return link;
    OnCreateEditor(this, Node, Column, link);
    if (!link) ShowVirtualTreeError(hcTFEditLinkIsNil);
    return link;
}

void TBaseVirtualTree::DoEdit() {
    Application->CancelHint();
    StopTimer(ScrollTimer);
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (!FFocusedNode || FFocusedNode->States.Contains(vsDisabled) ||
        FOptions->GetMiscOptions().Contains(toReadOnly) || FEditLink)
        return;
    FEditLink = DoCreateEditor(FFocusedNode, FEditColumn);
    if (!FEditLink) return;
    DoStateChange({tsEditing}, {tsOLEDragPending, tsOLEDragging, tsClearPending, tsDrawSelPending,
                                tsDrawSelecting, tsScrollPending, tsScrolling, tsMouseCheckPending,
                                tsToggleFocusedSelection});
    // An editor that raises must not leave the tree editing with nobody
    // to end it.
    auto abandon = runpak::ScopeExit([this] {
        if (!HasState(tsEditing)) FEditLink.Reset();
    });
    TScopeFail failed([this] {
        DoStateChange({}, {tsEditing});
        FEditLink.Reset();
    });
    ScrollIntoView(FFocusedNode, FOptions->GetSelectionOptions().Contains(toCenterScrollIntoView),
                   !FOptions->GetAutoOptions().Contains(toDisableAutoscrollOnEdit));
    TVTEditLinkRef link = FEditLink;
    if (link->PrepareEdit(this, FFocusedNode, FEditColumn)) {
        UpdateEditBounds();
        InvalidateNode(FFocusedNode);
        if (!link->BeginEdit()) DoStateChange({}, {tsEditing});
    } else {
        DoStateChange({}, {tsEditing});
    }
}

bool TBaseVirtualTree::DoEndEdit() {
    StopTimer(EditTimer);
    bool result = true;
    if (HasState(tsEditing) && FEditLink) {
        PVirtualNode node = FFocusedNode;
        const TColumnIndex column = FEditColumn;
        if (OnBeforeEndEditing) OnBeforeEndEditing(this, node, column);
        {
            auto after = runpak::ScopeExit([this, node, column] {
                if (OnAfterEndEditing) OnAfterEndEditing(this, node, column);
            });
            TVTEditLinkRef link = FEditLink;
            result = link->EndEdit();
        }
        if (result) {
            DoStateChange({}, {tsEditing});
            FEditLink.Reset();
            if (OnEdited) OnEdited(this, node, column);
        }
    }
    DoStateChange({}, {tsEditPending});
    return result;
}

bool TBaseVirtualTree::DoCancelEdit() {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (!HasState(tsEditing) || !FEditLink) return false;
    TVTEditLinkRef link = FEditLink;
    const bool result = link->CancelEdit();
    if (result) {
        DoStateChange({}, {tsEditing});
        if (OnEditCancelled) OnEditCancelled(this, FEditColumn);
        if (!FDestroying) FEditLink.Reset();
    }
    return result;
}

void TBaseVirtualTree::UpdateEditBounds() {
    if (!HasState(tsEditing) || !FEditLink || !FFocusedNode) return;
    const bool multiLine = FFocusedNode->States.Contains(vsMultiline);
    TRect r = GetDisplayRect(FFocusedNode, FEditColumn, !multiLine);
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (FOptions->GetMiscOptions().Contains(toGridExtensions)) {
        const TRect cell = GetDisplayRect(FFocusedNode, FEditColumn, false);
        TAlignment alignment = columns->IsValidColumn(FEditColumn)
                                   ? columns->GetItem(FEditColumn)->GetAlignment()
                                   : taLeftJustify;
        if (UseRightToLeftAlignment() && alignment != taCenter)
            alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
        if (alignment == taLeftJustify)
            r.right = cell.right;
        else if (alignment == taRightJustify)
            r.left = cell.left;
        else {
            r.left = cell.left;
            r.right = cell.right;
        }
    }
    if (FOptions->GetPaintOptions().Contains(toShowHorzGridLines)) r.bottom -= 1;
    FEditLink->SetBounds(r);
}

void TBaseVirtualTree::GetTextInfo(PVirtualNode Node, TColumnIndex Column, TFont* AFont,
                                   TRect& R, UnicodeString& Text) {
    R = GetDisplayRect(Node, Column, true);
    Text.clear();
}

// --- Incremental search --------------------------------------------------------------------------

int TBaseVirtualTree::DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text) {
    int result = 0;
    if (OnIncrementalSearch) OnIncrementalSearch(this, Node, Text, result);
    return result;
}

void TBaseVirtualTree::StopSearch() {
    StopTimer(SearchTimer);
    DoStateChange({}, {tsIncrementalSearching});
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
}

void TBaseVirtualTree::HandleIncrementalSearch(uint16_t CharCode) {
    StopTimer(SearchTimer);
    if (FIncrementalSearch == isNone) return;
    if (CharCode != 0) {
        DoStateChange({tsIncrementalSearching});
        // The layer's windows are wide: the character arrives in UTF-16
        // already, so typed text of any script reaches the search unchanged.
        const char16_t ch = char16_t(CharCode);
        const bool backspace = ch == 8;
        if (!(backspace && FSearchBuffer.size() <= 1)) {
            PVirtualNode start = nullptr;
            if (FSearchStart == ssLastHit)
                start = FLastSearchNode;
            else if (FSearchStart == ssFocusedNode)
                start = FFocusedNode;
            if (start && ((FIncrementalSearch == isInitializedOnly &&
                           !start->States.Contains(vsInitialized)) ||
                          (FIncrementalSearch == isVisibleOnly && !GetFullyVisible(start))))
                start = nullptr;

            bool forward = FSearchDirection == sdForward;
            if (backspace) forward = !forward;
            auto first = [&]() -> PVirtualNode {
                switch (FIncrementalSearch) {
                case isInitializedOnly:
                    return forward ? GetFirstNoInit() : GetLastNoInit();
                case isVisibleOnly:
                    return forward ? GetFirstVisible() : GetLastVisible();
                default:
                    return forward ? GetFirst() : GetLast();
                }
            };
            auto step = [&](PVirtualNode Node) -> PVirtualNode {
                PVirtualNode next;
                switch (FIncrementalSearch) {
                case isInitializedOnly:
                    next = forward ? GetNextNoInit(Node) : GetPreviousNoInit(Node);
                    break;
                case isVisibleOnly:
                    next = forward ? GetNextVisible(Node) : GetPreviousVisible(Node);
                    break;
                default:
                    next = forward ? GetNext(Node) : GetPrevious(Node);
                    break;
                }
                return next ? next : first();
            };

            const UnicodeString doubled = FSearchBuffer + ch;
            const bool cycle = FSearchBuffer.size() == 1 && !backspace && FSearchBuffer[0] == ch &&
                               (!start || DoIncrementalSearch(start, doubled) != 0);
            PVirtualNode node = start;
            if (FSearchBuffer.empty() || !start || cycle || backspace)
                node = start ? step(start) : first();

            UnicodeString text;
            if (cycle)
                text = FSearchBuffer;
            else if (backspace) {
                FSearchBuffer.pop_back();
                text = FSearchBuffer;
            } else
                text = doubled;

            PVirtualNode found = nullptr;
            PVirtualNode stop = node;
            while (node) {
                if (DoIncrementalSearch(node, text) == 0) {
                    found = node;
                    break;
                }
                node = step(node);
                if (node == stop) break;
            }
            if (found) {
                ClearSelection();
                FSearchBuffer = text;
                FLastSearchNode = found;
                SetFocusedNode(found);
                SetSelected(found, true);
            } else {
                MessageBeep(0);
            }
        }
    }
    SetTimer(GetHandle(), SearchTimer, FSearchTimeout, nullptr);
}

// --- The string tree's editor -------------------------------------------------------------------

TVTEdit::TVTEdit(TStringEditLink* Link) : TCustomEdit(nullptr), FRefLink(Link), FLink(Link) {
    SetShowHint(false);
    SetParentShowHint(false);
}

TVTEdit::~TVTEdit() {
    if (FLink) FLink->FEdit = nullptr;
    FLink = nullptr;
    FRefLink.Reset();
}

TClass TVTEdit::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVTEdit>(u"TVTEdit", TCustomEdit::StaticClass()));
    return &meta;
}

void TVTEdit::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    if (FLink && FLink->FNode && FLink->FNode->States.Contains(vsMultiline)) {
        Params.Style &= ~(ES_AUTOHSCROLL | WS_HSCROLL);
        Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    }
    Params.Style |= WS_BORDER;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TVTEdit::ReleaseLater() {
    if (HandleAllocated())
        PostMessageW(GetHandle(), CM_RELEASE, 0, 0);
    else
        delete this;
}

void TVTEdit::DetachLink() {
    FLink = nullptr;
    // The last reference may be this one: the link goes once nobody holds it.
    TVTEditLinkRef keep = std::move(FRefLink);
}

void TVTEdit::AutoAdjustSize() {
    if (!FLink || !FLink->FTree || !FLink->FNode || FLink->FNode->States.Contains(vsMultiline))
        return;
    SendMessageW(GetHandle(), WM_SETREDRAW, 0, 0);
    auto redraw = runpak::ScopeExit([this] { SendMessageW(GetHandle(), WM_SETREDRAW, 1, 0); });
    HDC dc = GetDC(GetHandle());
    HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
    const UnicodeString text = GetText();
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const WCHAR*>(text.c_str()), int(text.size()),
                          &size);
    SelectObject(dc, old);
    ReleaseDC(GetHandle(), dc);
    const int margin = FLink->FTree->GetTextMargin();
    const int width = int(size.cx) + 2 * margin;
    if (width < GetWidth()) FLink->FTree->InvalidateNode(FLink->FNode);
    TRect r = GetBoundsRect();
    if (FLink->FAlignment == taRightJustify)
        r.left = r.right - width;
    else
        r.right = r.left + width;
    FLink->SetBounds(r);
}

void TVTEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_RELEASE:
        delete this;
        return;
    case WM_GETDLGCODE:
        TCustomEdit::Dispatch(Message);
        Message.Result |= DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTARROWS;
        return;
    case WM_CHAR:
        if (Message.WParam == VK_TAB || Message.WParam == VK_ESCAPE) return;
        break;
    case WM_KEYDOWN:
        if (KeyDown(Message)) return;
        break;
    case CM_EXIT:
        if (FLink && !FLink->FStopping && FLink->FTree) {
            TBaseVirtualTree* tree = FLink->FTree;
            if (FLink->FTree->GetStringTreeOptions()->GetStringOptions().Contains(
                    toAutoAcceptEditChange))
                tree->EndEditNode();
            else
                tree->CancelEditNode();
        }
        break;
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == EN_UPDATE || HIWORD(Message.WParam) == EN_CHANGE) {
            if (FLink && FLink->FNode && !FLink->FNode->States.Contains(vsMultiline) &&
                !FLink->FTree->GetTreeOptions()->GetMiscOptions().Contains(toGridExtensions))
                AutoAdjustSize();
        }
        break;
    default:
        break;
    }
    TCustomEdit::Dispatch(Message);
}

// Enter ends, Escape cancels; arrows up and down move the caret of a single
// line the way left and right do.
bool TVTEdit::KeyDown(TMessage& Message) {
    if (!FLink || !FLink->FTree) return false;
    TStringEditLink* link = FLink;
    TCustomVirtualStringTree* tree = link->FTree;
    const bool multiLine = link->FNode && link->FNode->States.Contains(vsMultiline);
    switch (Message.WParam) {
    case VK_RETURN:
        if (multiLine && GetKeyState(VK_CONTROL) >= 0) return false;
        tree->InvalidateNode(link->FNode);
        if (tree->EndEditNode() && tree->CanFocus()) tree->SetFocus();
        return true;
    case VK_ESCAPE:
        if (tree->CancelEditNode() && tree->CanFocus()) tree->SetFocus();
        return true;
    case VK_UP:
        if (!multiLine) Message.WParam = VK_LEFT;
        return false;
    case VK_DOWN:
        if (!multiLine) Message.WParam = VK_RIGHT;
        return false;
    default:
        return false;
    }
}

TStringEditLink::TStringEditLink() {
    FEdit = new TVTEdit(this);
    FEdit->SetVisible(false);
    FEdit->SetBorderStyle(bsSingle);
}

TStringEditLink::~TStringEditLink() {
    if (FEdit) {
        FEdit->FLink = nullptr;
        FEdit->ReleaseLater();
    }
}

HRESULT TStringEditLink::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVTEditLink>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TStringEditLink::SetEdit(TVTEdit* Value) {
    if (FEdit == Value) return;
    if (FEdit) {
        FEdit->FLink = nullptr;
        FEdit->ReleaseLater();
    }
    FEdit = Value;
}

bool TStringEditLink::BeginEdit() {
    if (FStopping || !FEdit) return false;
    FEdit->Show();
    FEdit->SelectAll();
    FEdit->SetFocus();
    return true;
}

bool TStringEditLink::CancelEdit() {
    if (FStopping) return false;
    FStopping = true;
    if (FEdit) {
        FEdit->Hide();
        FTree->CancelEditNode();
        if (FEdit) FEdit->DetachLink();
    }
    return true;
}

bool TStringEditLink::EndEdit() {
    if (FStopping) return false;
    FStopping = true;
    TScopeFail failed([this] { FStopping = false; });
    if (FEdit) {
        if (FEdit->GetModified()) FTree->SetText(FNode, FColumn, FEdit->GetText());
        FEdit->Hide();
        FEdit->DetachLink();
    }
    return true;
}

bool TStringEditLink::PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node,
                                  TColumnIndex Column) {
    auto* tree = dynamic_cast<TCustomVirtualStringTree*>(Tree);
    if (!tree || !FEdit) return false;
    FTree = tree;
    FNode = Node;
    FColumn = Column;
    UnicodeString text;
    FTree->GetTextInfo(Node, Column, FEdit->GetFont(), FTextBounds, text);
    FEdit->GetFont()->SetColor(clWindowText);
    FEdit->SetParent(FTree);
    FEdit->RecreateWnd();
    FEdit->HandleNeeded();
    FEdit->SetText(text);
    FEdit->SetModified(false);
    TVirtualTreeColumns* columns = FTree->GetHeader()->GetColumns();
    if (columns->IsValidColumn(Column)) {
        FEdit->SetBiDiMode(columns->GetItem(Column)->GetBiDiMode());
        FAlignment = columns->GetItem(Column)->GetAlignment();
    } else {
        FEdit->SetBiDiMode(FTree->GetBiDiMode());
        FAlignment = taLeftJustify;
    }
    if (FEdit->GetBiDiMode() != bdLeftToRight && FAlignment != taCenter)
        FAlignment = FAlignment == taLeftJustify ? taRightJustify : taLeftJustify;
    return true;
}

TRect TStringEditLink::GetBounds() {
    return FEdit ? FEdit->GetBoundsRect() : TRect();
}

void TStringEditLink::ProcessMessage(TMessage& Message) {
    if (FEdit) FEdit->GetWindowProc()(Message);
}

void TStringEditLink::SetBounds(TRect R) {
    if (FStopping || !FEdit || !FTree) return;
    R.left = std::max<LONG>(R.left, 0);
    if (R.right - R.left < 30) {
        if (FAlignment == taRightJustify)
            R.left = R.right - 30;
        else
            R.right = R.left + 30;
    }
    R.right = std::min<LONG>(R.right, FTree->GetClientWidth());
    FEdit->SetBoundsRect(R);
}

// --- The string tree's part ------------------------------------------------------------------------

TVTEditLinkRef TCustomVirtualStringTree::DoCreateEditor(PVirtualNode Node, TColumnIndex Column) {
    TVTEditLinkRef link = TBaseVirtualTree::DoCreateEditor(Node, Column);
    if (!link) link = TVTEditLinkRef(new TStringEditLink());
    return link;
}

int TCustomVirtualStringTree::DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text) {
    if (OnIncrementalSearch) return TBaseVirtualTree::DoIncrementalSearch(Node, Text);
    const UnicodeString cell = GetText(Node, FFocusedColumn);
    return cell.compare(0, Text.size(), Text) == 0 && cell.size() >= Text.size() ? 0 : 1;
}

void TCustomVirtualStringTree::GetTextInfo(PVirtualNode Node, TColumnIndex Column, TFont* AFont,
                                           TRect& R, UnicodeString& Text) {
    TBaseVirtualTree::GetTextInfo(Node, Column, AFont, R, Text);
    TCanvas* canvas = GetCanvas();
    canvas->GetFont()->Assign(AFont ? static_cast<TPersistent*>(AFont) : GetFont());
    FFontChanged = false;
    DoPaintText(Node, canvas, Column, ttNormal);
    int textHeight = FTextHeight;
    if (AFont) {
        AFont->Assign(canvas->GetFont());
        TEXTMETRICW metrics{};
        HDC dc = canvas->GetHandle();
        GetTextMetricsW(dc, &metrics);
        textHeight = metrics.tmHeight;
    }
    Text = GetText(Node, Column);
    const bool multiLine = Node->States.Contains(vsMultiline);
    R = GetDisplayRect(Node, Column, true, !multiLine);
    if (FOptions->GetPaintOptions().Contains(toShowHorzGridLines)) R.bottom -= 1;
    const int shrink = (R.top + textHeight - R.bottom) / 2;
    InflateRect(&R, 0, shrink);
}
