// In-place editing of a grid's cells: TInplaceEdit and the grid's side of it
// (showing, moving and hiding the editor, keys that start and end editing,
// moving rows and columns).
#include <quorlpak/Grids.h>

#include <runpak/ScopeGuard.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>

// --- TInplaceEdit ----------------------------------------------------------------------------

TClass TInplaceEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TInplaceEdit>(u"TInplaceEdit", TCustomEdit::StaticClass()));
    return &meta;
}

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
    FGrid = dynamic_cast<TCustomGrid*>(AOwner);
    FParentCtl3D = false;
    FCtl3D = false;
    FTabStop = false;
    FBorderStyle = bsNone;
    FVisible = false;
    FDoubleBuffered = false;
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE | WS_CLIPSIBLINGS;
}

void TInplaceEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        // Arrows, Tab and Enter belong to the grid; the editor passes them on.
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (FGrid && FGrid->GetOptions().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
        return;
    case WM_KILLFOCUS:
        TCustomEdit::Dispatch(Message);
        if (FGrid) FGrid->UpdateText();
        return;
    default:
        break;
    }
    TCustomEdit::Dispatch(Message);
}

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!FGrid) return TCustomEdit::KeyDown(Key, Shift);
    auto sendToGrid = [&] {
        FGrid->KeyDown(Key, Shift);
        Key = 0;
    };
    // Sideways keys leave the editor only when it is always shown, and only
    // from the edge of the text the key moves towards.
    const bool forward = FGrid->GetOptions().Contains(goAlwaysShowEditor);
    const int start = GetSelStart();
    const int end = start + GetSelLength();
    const int length = GetTextLen();
    const bool leftSide = start == 0 && (end == 0 || end == length);
    const bool rightSide = end == length && (start == 0 || start == length);
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        sendToGrid();
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && leftSide) sendToGrid();
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && rightSide) sendToGrid();
        break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) sendToGrid();
        break;
    case VK_DELETE:
        if (!EditCanModify()) Key = 0;
        break;
    default:
        break;
    }
    if (Key != 0) TCustomEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(char16_t& Key) {
    if (FGrid) {
        FGrid->KeyPress(Key);
        if (Key >= 32 && !FGrid->CanEditAcceptKey(Key)) {
            Key = 0;
            MessageBeep(0);
        }
        switch (Key) {
        case 0:
            break;
        case u'\t':
        case 27:
        case u'\r':
            Key = 0;
            break;
        default:
            if (!EditCanModify()) Key = 0;
            break;
        }
    }
    if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TInplaceEdit::Change() {
    TCustomEdit::Change();
    if (!FUpdating && FGrid) FGrid->UpdateText();
}

void TInplaceEdit::DblClick() {
    if (FGrid) FGrid->DblClick();
}

bool TInplaceEdit::EditCanModify() {
    return FGrid ? FGrid->CanEditModify() : true;
}

void TInplaceEdit::BoundsChanged() {
    if (!HandleAllocated()) return;
    RECT r{2, 2, GetWidth() - 2, GetHeight()};
    SendMessageW(GetHandle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageW(GetHandle(), EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::Deselect() {
    if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
}

void TInplaceEdit::Hide() {
    if (!GetVisible()) return;
    // The focus goes back to the grid rather than wherever hiding would send it.
    const bool hadFocus = Focused();
    SetVisible(false);
    if (FGrid && hadFocus && FGrid->CanFocus()) FGrid->SetFocus();
}

bool TInplaceEdit::PosEqual(const TRect& Rect) {
    return GetLeft() == Rect.left && GetTop() == Rect.top && GetWidth() == Rect.Width() &&
           GetHeight() == Rect.Height();
}

void TInplaceEdit::Move(const TRect& Loc) {
    if (Loc.IsEmpty()) return Hide();
    if (!PosEqual(Loc)) SetBounds(Loc.left, Loc.top, Loc.Width(), Loc.Height());
    SetVisible(true);
    BoundsChanged();
    Invalidate();
}

void TInplaceEdit::UpdateLoc(const TRect& Loc) {
    Move(Loc);
}

void TInplaceEdit::SetFocus() {
    if (GetVisible() && CanFocus()) TCustomEdit::SetFocus();
}

void TInplaceEdit::UpdateContents() {
    if (!FGrid) return;
    FUpdating = true;
    auto done = runpak::ScopeExit([this] { FUpdating = false; });
    SetMaxLength(FGrid->GetEditLimit());
    SetReadOnly(!FGrid->CanEditModify());
    SetText(FGrid->GetEditText(FGrid->GetCol(), FGrid->GetRow()));
}

// --- The grid's side ----------------------------------------------------------------------------

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

bool TCustomGrid::CanEditShow() {
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) &&
           (FEditorMode || FOptions.Contains(goAlwaysShowEditor)) &&
           !GetComponentState().Contains(csDesigning) && HandleAllocated();
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (!Value) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->GetVisible()) FInplaceEdit->Deselect();
}

void TCustomGrid::ShowEditor() {
    FEditorMode = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    FEditorMode = false;
    HideEdit();
}

void TCustomGrid::ShowEditorChar(char16_t Ch) {
    ShowEditor();
    if (!FInplaceEdit || !FInplaceEdit->GetVisible()) return;
    FInplaceEdit->SetText(UnicodeString(1, Ch));
    FInplaceEdit->Deselect();
}

void TCustomGrid::UpdateText() {
    if (!FInplaceEdit || FInplaceCoord.X < 0 || FInplaceCoord.Y < 0) return;
    if (FInplaceEdit->FUpdating) return;
    SetEditText(FInplaceCoord.X, FInplaceCoord.Y, FInplaceEdit->GetText());
}

void TCustomGrid::HideEdit() {
    if (!FInplaceEdit) return;
    UpdateText();
    FInplaceCoord = {-1, -1};
    FInplaceEdit->Hide();
}

// Puts the editor over the current cell with its text, or hides it when the
// grid may not edit there.
void TCustomGrid::UpdateEdit() {
    if (!CanEditShow()) return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->FGrid = this;
        FInplaceEdit->SetParent(this);
    }
    const bool sameCell = FInplaceCoord == FCurrent && FInplaceEdit->GetVisible();
    if (!sameCell) {
        UpdateText();
        FInplaceCoord = FCurrent;
        FInplaceEdit->UpdateContents();
        FSavedText = FInplaceEdit->GetText();
        // The editor shows the current cell's text selected, as a fresh start.
        FInplaceEdit->SelectAll();
    }
    FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
    if (Focused() || FInplaceEdit->Focused() || FEditorMode) FInplaceEdit->SetFocus();
}

void TCustomGrid::InvalidateEditor() {
    if (!FInplaceEdit || !FInplaceEdit->GetVisible()) return;
    const TRect r = CellRect(FInplaceCoord.X, FInplaceCoord.Y);
    if (r.IsEmpty())
        FInplaceEdit->Hide();
    else
        FInplaceEdit->Move(r);
}

void TCustomGrid::KeyPress(char16_t& Key) {
    TCustomControl::KeyPress(Key);
    if (Key == 0 || !FOptions.Contains(goEditing)) return;
    if (Key == u'\r') {
        if (!FOptions.Contains(goAlwaysShowEditor)) {
            if (FEditorMode)
                HideEditor();
            else
                ShowEditor();
        }
        Key = 0;
        return;
    }
    if (Key >= 32 && !FEditorMode && CanEditModify() && CanEditAcceptKey(Key)) {
        ShowEditorChar(Key);
        Key = 0;
    }
}

void TCustomGrid::DblClick() {
    TCustomControl::DblClick();
    if (FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect)) ShowEditor();
}

// --- Moving rows and columns ---------------------------------------------------------------------

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount ||
        ToIndex >= FRowCount)
        return;
    HideEdit();
    if (!FRowHeights.empty()) {
        const int h = FRowHeights[FromIndex];
        FRowHeights.erase(FRowHeights.begin() + FromIndex);
        FRowHeights.insert(FRowHeights.begin() + ToIndex, h);
    }
    RowMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount ||
        ToIndex >= FColCount)
        return;
    HideEdit();
    if (!FColWidths.empty()) {
        const int w = FColWidths[FromIndex];
        FColWidths.erase(FColWidths.begin() + FromIndex);
        FColWidths.insert(FColWidths.begin() + ToIndex, w);
    }
    ColumnMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::DeleteRow(int ARow) {
    if (ARow < 0 || ARow >= FRowCount) return;
    MoveRow(ARow, FRowCount - 1);
    SetRowCount(FRowCount - 1);
}

void TCustomGrid::DeleteColumn(int ACol) {
    if (ACol < 0 || ACol >= FColCount) return;
    MoveColumn(ACol, FColCount - 1);
    SetColCount(FColCount - 1);
}
