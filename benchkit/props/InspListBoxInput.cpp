// The inspector list's input: mouse (row selection, expand boxes, the
// divider drag), the wheel, scrolling, the name column's keys and search, and
// the value edit's completion from the value list.
#include "benchkit/props/IDEInspListBox.h"

#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/Messages.h>
#include <quorlpak/Screen.h>
#include <runpak/Exceptions.h>
#include <runpak/Strings.h>
#include <win32/windows.h>

#include <algorithm>
#include <climits>

namespace {

// Letters and digits of any script (names are identifiers).
bool IsNameLetter(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c >= 0xC0;
}

bool SamePrefix(const UnicodeString& Text, const UnicodeString& Prefix) {
    return Text.size() >= Prefix.size() && AnsiSameText(Text.substr(0, Prefix.size()), Prefix);
}

} // namespace

// ---- Mouse ------------------------------------------------------------------------------------

void TInspListBox::EndTracking() {
    if (FTrackMode != tmNone && GetCapture() == GetHandle()) ReleaseCapture();
    FTrackMode = tmNone;
    FDragDelta = 0;
}

bool TInspListBox::CommitBeforeMove() {
    return SetPropValue(true, true);
}

void TInspListBox::WMLButtonDown(TMessage& Message) {
    FListButton->CloseUp(false);
    const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
    const int h = GetItemHeight();
    if (!Populated() || h <= 0 || !CommitBeforeMove()) {
        TCustomPropListBox::Dispatch(Message);
        return;
    }
    // The row's editor may take the press itself.
    if (ItemMouseDown(mbLeft, KeysToShiftState(uint16_t(Message.WParam)), x, y)) return;
    const int oldIndex = GetItemIndex(), oldTop = GetTopIndex();
    if (std::abs(x - GetMiddle()) > 2) {
        FNamesSelected = false;
        const int row = GetTopIndex() + y / h;
        if (row < GetCount()) {
            SelectItem(row);
            TPropItem* item = GetPropItem(row);
            if (item && item->IsOverExpandBox(x, y)) {
                AdjustItem(row);
                SelectItem(GetTopIndex() + y / h);
            } else {
                EditFocus();
                // A second press soon after, in the edit, opens the row's editor.
                FEdit->SetClickTime(GetMessageTime());
                if ((Message.WParam & MK_LBUTTON) && y < (GetCount() - GetTopIndex()) * h)
                    FTrackMode = tmSelect;
            }
        }
    } else {
        FDragDelta = GetMiddle() - x;
        FDragPos = GetMiddle();
        FTrackMode = tmResize;
    }
    if (FTrackMode != tmNone) {
        SetCapture(GetHandle());
        Message.Result = 0;
        return;
    }
    TCustomPropListBox::Dispatch(Message);
    if (GetItemIndex() != oldIndex) {
        HideControls();
        ShowControls();
    }
    if (GetTopIndex() != oldTop) EditFocus();
}

void TInspListBox::MouseMove(TShiftState Shift, int X, int Y) {
    switch (FTrackMode) {
    case tmSelect: {
        const int h = GetItemHeight();
        if (h <= 0) break;
        if (Y < 0) Y = -h;
        if (Y > GetClientHeight()) Y = GetClientHeight();
        const int row = std::clamp(GetTopIndex() + Y / h, 0, std::max(GetCount() - 1, 0));
        if (row != GetItemIndex()) SelectItem(row);
        break;
    }
    case tmResize: {
        const int pos = CalcNewMiddle(X + FDragDelta);
        if (pos == FDragPos) break;
        const int from = std::min(pos, FDragPos);
        FDragPos = pos;
        RECT r = {from, 0, GetClientWidth(), GetClientHeight()};
        InvalidateRect(GetHandle(), &r, FALSE);
        SetMiddle(pos);
        ResizeControls();
        FSelectionWindow->Invalidate();
        break;
    }
    case tmNone:
        break;
    }
    TCustomPropListBox::MouseMove(Shift, X, Y);
}

void TInspListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    EndTracking();
    TCustomPropListBox::MouseUp(Button, Shift, X, Y);
}

void TInspListBox::WMLButtonDblClk(TMessage& Message) {
    const int y = GET_Y_LPARAM(Message.LParam);
    const int h = GetItemHeight();
    if (h <= 0 || y >= (GetCount() - GetTopIndex()) * h) {
        // Below the rows a double-click is one more press.
        Message.Msg = WM_LBUTTONDOWN;
        WMLButtonDown(Message);
        return;
    }
    const int row = GetTopIndex() + y / h;
    AdjustItem(row);
    try {
        DblClick();
    } catch (const Exception&) {
        Application->HandleException(this);
    }
}

void TInspListBox::WMSetCursor(TMessage& Message) {
    // The split cursor while dragging the divider, or when the last position
    // lies on it.
    const bool onDivider = FMousePos > 1 && FMousePos <= GetClientWidth() - 2 &&
                           std::abs(FMousePos - GetMiddle()) < 3;
    if (FTrackMode == tmResize || (LOWORD(Message.LParam) == HTCLIENT && onDivider)) {
        ::SetCursor(Screen->GetCursors(crHSplit));
        Message.Result = 1;
        return;
    }
    TCustomPropListBox::Dispatch(Message);
}

bool TInspListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomPropListBox::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (FListButton->GetDropped()) return false;
    const bool down = WheelDelta < 0;
    if (Shift.Contains(ssShift)) {
        uint16_t key = down ? VK_DOWN : VK_UP;
        EditKeyDown(this, key, {});
        return true;
    }
    if (Shift.Contains(ssCtrl)) {
        Perform(WM_VSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0);
        return true;
    }
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    // "A page per notch" is a huge count; it must scroll a page, not loop.
    if (lines == WHEEL_PAGESCROLL || int(lines) > GetCount()) {
        Perform(WM_VSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0);
        return true;
    }
    const int notches = std::max(1, std::abs(WheelDelta) / WHEEL_DELTA);
    for (int n = 0; n < notches; ++n)
        for (UINT i = 0; i < lines; ++i)
            Perform(WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP, 0);
    return true;
}

void TInspListBox::WMVScroll(TMessage& Message) {
    // The selection window lies on its row: it hides while the rows move
    // and comes back where the row went.
    // A row scrolled out of view keeps its window (clipped by the list), and
    // with it the edit keeps the focus.
    const bool shown = !FControlsHidden;
    if (shown) FSelectionWindow->SetVisible(false);
    TCustomPropListBox::Dispatch(Message);
    if (shown) {
        ResizeControls();
        FSelectionWindow->SetVisible(true);
        FEdit->Invalidate();
        FListButton->Invalidate();
    }
}

void TInspListBox::ScrollItemIndexIntoView() {
    const int index = GetItemIndex();
    if (index < 0) return;
    const int visible = ItemVisibleCount();
    int top = GetTopIndex();
    if (index < top)
        top = index;
    else if (index >= top + visible)
        top = index - visible + 1;
    else
        return;
    const bool shown = !FControlsHidden;
    if (shown) FSelectionWindow->SetVisible(false);
    SetTopIndex(std::max(top, 0));
    if (shown) {
        ResizeControls();
        FSelectionWindow->SetVisible(true);
        FEdit->Invalidate();
        FListButton->Invalidate();
    }
}

int TInspListBox::ItemVisibleCount() {
    const int h = GetItemHeight();
    const int height = GetClientHeight() == 0 ? 304 : GetClientHeight();
    return h > 0 ? height / h : 0;
}

bool TInspListBox::ItemIsVisible(int I) {
    return GetVisible() && I >= GetTopIndex() && I < GetTopIndex() + ItemVisibleCount();
}

void TInspListBox::InvalidateItem(int Index) {
    if (!HandleAllocated()) return;
    RECT r;
    if (SendMessageW(GetHandle(), LB_GETITEMRECT, WPARAM(Index), LPARAM(&r)) != LB_ERR)
        InvalidateRect(GetHandle(), &r, FALSE);
}

// ---- Name column ------------------------------------------------------------------------------

void TInspListBox::ClearSelectString() {
    FSelectString.clear();
    if (FSelectionWindow->Focused()) FSelectionWindow->PositionCaret();
}

void TInspListBox::SetSelectString(const UnicodeString& Text) {
    TPropItem* item = CurItem();
    if (!item) return;
    // The current row's sibling group: back while the rows above lie at the
    // same depth or deeper, forward to the first shallower row.
    const int offset = ItemLevelOffset(item->GetItemLevel());
    int first = GetItemIndex();
    while (first > 0 && ItemLevelOffset(GetPropItem(first - 1)->GetItemLevel()) >= offset)
        --first;
    for (int i = first; i < GetCount(); ++i) {
        TPropItem* row = GetPropItem(i);
        const int rowOffset = ItemLevelOffset(row->GetItemLevel());
        if (i > first && rowOffset < offset) break;
        if (rowOffset != offset) continue;
        const UnicodeString name = row->GetPropName();
        if (!SamePrefix(name, Text)) continue;
        SelectItem(i);
        FSelectString = name.substr(0, Text.size());
        FSelectionWindow->PositionCaret();
        return;
    }
}

void TInspListBox::SelectionKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if (!Populated()) return;
    EndTracking();
    TPropItem* item = CurItem();
    switch (Key) {
    case VK_LEFT:
        if (item->GetIsExpanded()) {
            AdjustItem(GetItemIndex());
            Key = 0;
        } else {
            Key = VK_UP;
        }
        break;
    case VK_RIGHT:
        if (!item->GetIsExpanded()) {
            AdjustItem(GetItemIndex());
            Key = 0;
        } else {
            Key = VK_DOWN;
        }
        break;
    default:
        break;
    }
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
    case VK_F1:
        EditKeyDown(this, Key, Shift);
        Key = 0;
        break;
    default:
        break;
    }
    if (OnSelectionKeyDown) OnSelectionKeyDown(this, Key, Shift);
    if (Key == 0) ClearSelectString();
}

void TInspListBox::SelectionKeyPress(TObject*, char16_t& Key) {
    if (!Populated()) return;
    EndTracking();
    if (OnSelectionKeyPress) OnSelectionKeyPress(this, Key);
    const char16_t key = Key;
    Key = 0;
    if (key == 0) return;
    const int index = GetItemIndex();
    TPropItem* item = CurItem();
    switch (key) {
    case u'\b':
    case 0x1B:
        if (!FSelectString.empty()) {
            if (key == u'\b') {
                const UnicodeString shorter = FSelectString.substr(0, FSelectString.size() - 1);
                FSelectString = shorter;
                if (!shorter.empty()) SetSelectString(shorter);
                FSelectionWindow->PositionCaret();
            } else {
                ClearSelectString();
            }
        } else if (TPropItem* parent = item->GetParent()) {
            // Up to the group's parent row, which closes.
            const int parentIndex = GetPropItemIndex(parent);
            SelectItem(parentIndex);
            FSelectionWindow->PositionCaret();
            AdjustItem(parentIndex);
        } else if (key == u'\b') {
            SelectItem(0);
        } else {
            FNamesSelected = false;
            EditFocus();
        }
        return;
    case u'\t':
    case u'\n':
    case u'\r':
        FNamesSelected = false;
        EditFocus();
        if (key == u'\n') EditDblClick(false);
        return;
    case u'+':
        if (!item->GetIsExpanded()) AdjustItem(index);
        return;
    case u'-':
        if (item->GetIsExpanded()) AdjustItem(index);
        return;
    case u'.':
        if (!item->GetIsExpanded()) AdjustItem(index);
        if (TPropItem* next = GetPropItem(index + 1);
            next && next->GetItemLevel() > item->GetItemLevel()) {
            SelectItem(index + 1);
            ClearSelectString();
        }
        return;
    default:
        if (key == u' ' || key == u'(' || key == u')' || key == u'_' || IsNameLetter(key))
            SetSelectString(FSelectString + key);
        return;
    }
}

// ---- Value edit: completion from the value list -------------------------------------------------

bool TInspListBox::ProcessEditChange(int Len, const UnicodeString& Text) {
    TPropItem* item = CurItem();
    if (!item) return false;
    bool allow = true;
    ListDropDown(FListButton, allow);
    // The list fills only for plain value lists; completion wants the values
    // of every list row.
    if (!allow) {
        TStrings* items = FListButton->GetItems();
        items->Clear();
        item->GetProp()->GetValues([items](const UnicodeString& s) { items->Add(s); });
    }
    const int found = FListButton->SearchItem(Text);
    if (found < 0) return false;
    FListButton->SetItemIndex(found);
    FStillProcessingChange = true;
    ++FInPropAccess;
    FEdit->SetText(FListButton->GetItemText(found));
    FEdit->SetSelStart(Len);
    FEdit->SetSelLength(int(FEdit->GetText().size()) - Len);
    --FInPropAccess;
    FStillProcessingChange = false;
    FEdit->SetModified(true);
    return true;
}

void TInspListBox::EditChange(TObject*) {
    if (FInPropAccess > 0) return;
    TPropItem* item = CurItem();
    if (!item) return;
    ScrollItemIndexIntoView();
    const TPropertyAttributes attrs = item->GetAttributes();
    if (attrs & paAutoUpdate) {
        FInAutoUpdate = true;
        SetPropValue(false, true);
        FInAutoUpdate = false;
    }
    if (FProcessChange && !FStillProcessingChange && (attrs & paValueList) &&
        item->GetAutoFill()) {
        const UnicodeString text = FEdit->GetText();
        ProcessEditChange(int(text.size()), text);
    }
}

void TInspListBox::EditDblClick(bool DblClick) {
    try {
        if (OnEditDblClick) OnEditDblClick(this, DblClick);
    } catch (const Exception&) {
        Application->HandleException(this);
    }
}
