// The check list box: per-item check states kept with the items.
#include <quorlpak/CheckLst.h>

#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <runpak/Lists.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>

// What the list keeps of an item besides its text: the item's own data
// object travels inside, so the items' objects stay the user's.
class TCheckListBox::TItemState : public TObject {
public:
    TObject* Data = nullptr;
    TCheckBoxState State = cbUnchecked;
    bool Enabled = true;
    bool Header = false;
};

TClass TCheckListBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCheckListBox>(u"TCheckListBox", TCustomListBox::StaticClass())
            .Property(u"AllowGrayed", BooleanTypeInfo, &TCheckListBox::GetAllowGrayed,
                      &TCheckListBox::SetAllowGrayed)
            .Property(u"Items", ClassTypeInfo<TStrings>, &TCheckListBox::GetItems, &TCheckListBox::SetItems)
            .Property(u"ItemIndex", IntegerTypeInfo, &TCheckListBox::GetItemIndex, &TCheckListBox::SetItemIndex)
            .Event(u"OnClickCheck", &TCheckListBox::OnClickCheck));
    return &meta;
}

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {
    FStyle = lbOwnerDrawFixed;
}

TCheckListBox::~TCheckListBox() {
    FreeItemStates();
}

int TCheckListBox::CheckWidth() {
    return 16;
}

void TCheckListBox::FreeItemStates() {
    for (int i = 0; i < FItems->GetCount(); ++i) {
        delete InternalGetItemData(i);
        InternalSetItemData(i, nullptr);
    }
}

void TCheckListBox::CheckIndex(int Index) const {
    if (Index < 0 || Index >= FItems->GetCount())
        TList::Error("List index out of bounds (%lld)", Index);
}

TCheckListBox::TItemState* TCheckListBox::ItemState(int Index, bool Create) {
    CheckIndex(Index);
    auto* state = static_cast<TItemState*>(InternalGetItemData(Index));
    if (!state && Create) {
        state = new TItemState;
        InternalSetItemData(Index, state);
    }
    return state;
}

TObject* TCheckListBox::GetItemData(int Index) {
    TItemState* state = ItemState(Index, false);
    return state ? state->Data : nullptr;
}

void TCheckListBox::SetItemData(int Index, TObject* AData) {
    ItemState(Index, true)->Data = AData;
}

void TCheckListBox::DeleteString(int Index) {
    delete InternalGetItemData(Index);
    InternalSetItemData(Index, nullptr);
}

void TCheckListBox::ResetContent() {
    FreeItemStates();
}

bool TCheckListBox::GetChecked(int Index) {
    return GetState(Index) == cbChecked;
}

void TCheckListBox::SetChecked(int Index, bool Checked) {
    SetState(Index, Checked ? cbChecked : cbUnchecked);
}

TCheckBoxState TCheckListBox::GetState(int Index) {
    TItemState* state = ItemState(Index, false);
    return state ? state->State : cbUnchecked;
}

void TCheckListBox::SetState(int Index, TCheckBoxState State) {
    TItemState* state = ItemState(Index, true);
    if (state->State == State) return;
    state->State = State;
    InvalidateCheck(Index);
}

bool TCheckListBox::GetItemEnabled(int Index) {
    TItemState* state = ItemState(Index, false);
    return !state || state->Enabled;
}

void TCheckListBox::SetItemEnabled(int Index, bool Enabled) {
    TItemState* state = ItemState(Index, true);
    if (state->Enabled == Enabled) return;
    state->Enabled = Enabled;
    InvalidateCheck(Index);
}

bool TCheckListBox::GetHeader(int Index) {
    TItemState* state = ItemState(Index, false);
    return state && state->Header;
}

void TCheckListBox::SetHeader(int Index, bool Header) {
    TItemState* state = ItemState(Index, true);
    if (state->Header == Header) return;
    state->Header = Header;
    InvalidateCheck(Index);
}

void TCheckListBox::CheckAll(TCheckBoxState State, bool AllowGrayed, bool AllowDisabled) {
    for (int i = 0; i < FItems->GetCount(); ++i) {
        if (GetHeader(i)) continue;
        if (!AllowGrayed && GetState(i) == cbGrayed) continue;
        if (!AllowDisabled && !GetItemEnabled(i)) continue;
        SetState(i, State);
    }
}

void TCheckListBox::InvalidateCheck(int Index) {
    if (!HandleAllocated()) return;
    RECT r = ItemRect(Index);
    InvalidateRect(GetHandle(), &r, TRUE);
}

void TCheckListBox::ToggleClickCheck(int Index) {
    if (Index < 0 || Index >= FItems->GetCount() || !GetItemEnabled(Index) || GetHeader(Index)) return;
    TCheckBoxState next = cbUnchecked;
    switch (GetState(Index)) {
    case cbUnchecked: next = cbChecked; break;
    case cbChecked: next = FAllowGrayed ? cbGrayed : cbUnchecked; break;
    case cbGrayed: next = cbUnchecked; break;
    }
    SetState(Index, next);
    ClickCheck();
}

void TCheckListBox::ClickCheck() {
    if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomListBox::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || X >= CheckWidth()) return;
    const int index = ItemAtPos(TPoint(X, Y), true);
    ToggleClickCheck(index);
}

void TCheckListBox::KeyPress(char16_t& Key) {
    TCustomListBox::KeyPress(Key);
    if (Key == u' ') ToggleClickCheck(GetItemIndex());
}

void TCheckListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    TCanvas* canvas = GetCanvas();
    const bool header = Index >= 0 && Index < FItems->GetCount() && GetHeader(Index);
    if (header) {
        canvas->GetBrush()->SetColor(clInfoBk);
        canvas->GetFont()->SetColor(clInfoText);
        canvas->FillRect(Rect);
        canvas->TextOut(Rect.left + 2, Rect.top, FItems->Get(Index));
        return;
    }
    // The box stands on the window's own colour, the item beside it.
    TRect box(Rect.left, Rect.top, Rect.left + CheckWidth(), Rect.bottom);
    TRect item(box.right, Rect.top, Rect.right, Rect.bottom);
    const bool enabled = Index < 0 || Index >= FItems->GetCount() || GetItemEnabled(Index);
    if (!enabled) canvas->GetFont()->SetColor(clGrayText);
    if (OnDrawItem)
        OnDrawItem(this, Index, item, State);
    else {
        canvas->FillRect(item);
        if (Index >= 0 && Index < FItems->GetCount()) canvas->TextOut(item.left + 2, item.top, FItems->Get(Index));
    }
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(box);
    if (Index < 0 || Index >= FItems->GetCount()) return;
    const int side = std::min(13, Rect.Height());
    RECT r{box.left + (CheckWidth() - side) / 2, box.top + (box.Height() - side) / 2, 0, 0};
    r.right = r.left + side;
    r.bottom = r.top + side;
    UINT flags = DFCS_BUTTONCHECK;
    switch (GetState(Index)) {
    case cbUnchecked: break;
    case cbChecked: flags |= DFCS_CHECKED; break;
    case cbGrayed: flags = DFCS_BUTTON3STATE | DFCS_CHECKED; break;
    }
    if (!enabled) flags |= DFCS_INACTIVE;
    DrawFrameControl(canvas->GetHandle(), &r, DFC_BUTTON, flags);
}
