// The inspector list: reading and writing the selected row's value, its
// editor controls, the value list and the keys of the edit.
#include "benchkit/props/IDEInspListBox.h"

#include "benchkit/BenchkitInstance.h"

#include <quorlpak/Application.h>
#include <quorlpak/Bitmap.h>
#include <quorlpak/Messages.h>
#include <runpak/Exceptions.h>
#include <win32/windows.h>

#include <algorithm>

// ---- TPropInspEdit and TPropSelection ----------------------------------------------------------

void TPropInspEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        return;
    }
    TEdit::Dispatch(Message);
}

TPropSelection::TPropSelection(TComponent* AOwner, TInspListBox* List)
    : TCustomControl(AOwner), FList(List) {}

void TPropSelection::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCHITTEST:
        // The list receives the mouse on the row's name.
        Message.Result = HTTRANSPARENT;
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

void TPropSelection::Paint() {
    TPropItem* item = FList->CurItem();
    if (!item || !FList->HandleAllocated()) return;
    GetCanvas()->GetFont()->Assign(FList->GetFont());
    FList->DrawPropItem(FList->GetItemIndex(), item, GetCanvas(), TRect(GetClientRect()), true,
                        FList->FEdit->GetReadOnly());
}

// ---- TInspListBox
// ---------------------------------------------------------------------------------

TClass TInspListBox::StaticClass() {
    using T = TInspListBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TInspListBox", TCustomPropListBox::StaticClass())
            .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
            .Default(0)
            .Property(u"ReadOnlyMsg", UnicodeStringTypeInfo, &T::GetReadOnlyMsg,
                      &T::SetReadOnlyMsg));
    return &meta;
}

TInspListBox::TInspListBox(TComponent* AOwner) : TCustomPropListBox(AOwner) {
    FSelectionWindow = new TPropSelection(this, this);
    FSelectionWindow->SetName(u"Selection");
    FSelectionWindow->SetTabStop(false);
    FSelectionWindow->SetVisible(false);
    FSelectionWindow->SetParent(this);

    FEdit = new TPropInspEdit(this);
    FEdit->SetName(u"EditControl");
    FEdit->SetTabStop(false);
    FEdit->SetBorderStyle(bsNone);
    FEdit->SetParent(FSelectionWindow);
    FEdit->OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { EditKeyDown(s, k, sh); };
    FEdit->OnKeyPress = [this](TObject* s, char16_t& k) { EditKeyPress(s, k); };

    FListButton = new TListButton(this);
    FListButton->SetName(u"ListButton");
    FListButton->SetParent(FSelectionWindow);
    FListButton->SetAutoWidth(true);
    FListButton->SetDropAlign(daRight);
    FListButton->SetSorted(false);
    FListButton->OnDropDown = [this](TObject* s, bool& allow) { ListDropDown(s, allow); };
    FListButton->OnAccept = [this](TObject* s) { ListAccept(s); };
    FListButton->OnCancel = [this](TObject* s) { ListCancel(s); };
}

TInspListBox::~TInspListBox() = default;

void TInspListBox::LoadGlyphs() {
    FListGlyph = std::make_unique<TBitmap>();
    FListGlyph->LoadFromResourceName(BenchkitInstance(), u"ARROW");
    FListGlyph->SetTransparent(true);
    FDialogGlyph = std::make_unique<TBitmap>();
    FDialogGlyph->LoadFromResourceName(BenchkitInstance(), u"DOTS");
}

HRESULT TInspListBox::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IPropertyHost, IPropertyHost20>(this, iid, out)) return S_OK;
    return TCustomPropListBox::QueryInterface(iid, out);
}

void TInspListBox::Reset() {
    // While the host rearranges its desktop the rows stay as they are.
    if (IsDesktopLocked()) return;
    TCustomPropListBox::Reset();
}

void TInspListBox::BeforeReset() {
    TCustomPropListBox::BeforeReset();
    FListButton->CloseUp(false);
    HideControls();
}

void TInspListBox::AfterReset() {
    TCustomPropListBox::AfterReset();
    ShowControls();
}

void TInspListBox::AfterAdjustItem(int) {
    if (FControlsHidden) ShowControls();
}

void TInspListBox::GetPropValue() {
    TPropItem* item = CurItem();
    if (!item) return;
    ++FInPropAccess;
    IProperty* prop = item->GetProp();
    UnicodeString value;
    bool editable;
    InterfacePtr<IWidePropertyValue> wide;
    if (Supports(prop, wide))
        editable = wide->GetWideEditValue(value);
    else
        editable = prop->GetEditValue(value);
    if (!FInAutoUpdate) {
        FCancelValue = value;
        FEdit->SetText(value);
    }
    FEdit->SetMaxLength(std::max(prop->GetEditLimit(), 0));
    const TPropertyAttributes attrs = item->GetAttributes();
    FEdit->SetReadOnly(!editable || (attrs & paReadOnly));
    FEdit->SetColor(FEdit->GetReadOnly() ? FBackgroundColor : FEditBackgroundColor);
    FEdit->GetFont()->SetColor(FEdit->GetReadOnly() ? FPropValueColor : FEditValueColor);
    FEdit->SetVisible(!(attrs & paFullWidthName));
    --FInPropAccess;
    FEdit->SetModified(false);
    if (FInPropAccess == 0) FEdit->SelectAll();
}

bool TInspListBox::SetPropValue(bool CheckModified, bool HandleException) {
    TPropItem* item = CurItem();
    if (!item || (CheckModified && !FEdit->GetModified())) return true;
    const TPropertyAttributes attrs = item->GetAttributes();
    if (FReadOnly || ((attrs & paReadOnly) && !(attrs & paValueEditable))) {
        GetPropValue();
        if (!FReadOnlyMsg.empty()) throw Exception(FReadOnlyMsg);
        return false;
    }
    FEdit->SetModified(false);
    ++FInPropAccess;
    try {
        InterfacePtr<IWidePropertyValue> wide;
        if (Supports(item->GetProp(), wide))
            wide->SetWideValue(FEdit->GetText());
        else
            item->GetProp()->SetValue(FEdit->GetText());
    } catch (const Exception&) {
        --FInPropAccess;
        if (!HandleException) throw;
        Application->HandleException(this);
        GetPropValue();
        return false;
    }
    --FInPropAccess;
    Invalidate();
    FSelectionWindow->Invalidate();
    return true;
}

void TInspListBox::ShowControls() {
    TPropItem* item = CurItem();
    if (!item || !HandleAllocated()) return;
    item->GetProp()->Activate();
    const TPropertyAttributes attrs = item->GetAttributes();
    FButtonVisible =
        (attrs & (paValueList | paDialog | paCustomDropDown)) && !(attrs & paDisplayReadOnly);
    ResizeControls();
    GetPropValue();
    if (FButtonVisible) {
        if (!FListGlyph) LoadGlyphs();
        FListButton->SetGlyph((attrs & (paValueList | paCustomDropDown)) ? FListGlyph.get()
                                                                           : FDialogGlyph.get());
    }
    FListButton->SetVisible(FButtonVisible);
    FSelectionWindow->SetVisible(true);
    FSelectionWindow->Invalidate();
    FControlsHidden = false;
}

void TInspListBox::HideControls() {
    FSelectionWindow->SetVisible(false);
    FControlsHidden = true;
}

void TInspListBox::ResizeControls() {
    if (!CurItem() || !HandleAllocated()) return;
    const int h = GetItemHeight();
    const int w = GetClientWidth();
    FSelectionWindow->SetBounds(0, (GetItemIndex() - GetTopIndex()) * h, w, h);
    int editWidth = w - GetMiddle() - 2;
    if (FButtonVisible) editWidth -= h;
    FEdit->SetBounds(GetMiddle() + 3, 1, std::max(editWidth, 0), h - 3);
    FListButton->SetMinListWidth(w - GetMiddle());
    FListButton->SetBounds(w - h + 1, 0, h - 1, h - 1);
}

void TInspListBox::SelectItem(int Index) {
    if (GetCount() > 0) {
        Index = std::clamp(Index, 0, GetCount() - 1);
        if (Index == GetItemIndex() && !FControlsHidden) {
            GetPropValue();
        } else {
            HideControls();
            SetItemIndex(Index);
            ShowControls();
        }
        if (FEdit->CanFocus()) FEdit->SetFocus();
    }
    if (OnSelectItem) OnSelectItem(this);
}

void TInspListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) FListButton->CloseUp(false);
    if (Button != mbLeft || !Populated() || !SetPropValue(true, true)) {
        TCustomPropListBox::MouseDown(Button, Shift, X, Y);
        return;
    }
    const int h = GetItemHeight();
    if (std::abs(X - GetMiddle()) <= 2 || h <= 0) return;
    const int row = GetTopIndex() + Y / h;
    if (row >= GetCount()) return;
    SelectItem(row);
    TPropItem* item = GetPropItem(row);
    if (item && X < GetMiddle() && item->IsOverExpandBox(X, Y)) {
        AdjustItem(row);
        SelectItem(row);
    }
}

void TInspListBox::EditKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if (!Populated()) return;
    TPropItem* item = CurItem();
    const TPropertyAttributes attrs = item->GetAttributes();
    if (Key == VK_DELETE && !(attrs & (paDisplayReadOnly | paValueList)) && FEdit->GetReadOnly() &&
        (attrs & paRevertable)) {
        item->Revert();
        GetPropValue();
    }
    if (Key == VK_DOWN && Shift.Contains(ssAlt)) {
        if (((attrs & paDialog) && !(attrs & paValueList)) || (attrs & paCustomDropDown)) {
            if (OnEditDblClick) OnEditDblClick(this, false);
        } else {
            FListButton->DropDown();
        }
        Key = 0;
        return;
    }
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TInspListBox::EditKeyPress(TObject*, char16_t& Key) {
    if (!Populated()) return;
    switch (Key) {
    case u'\r':
        FInAutoUpdate = true;
        if (SetPropValue(false, true)) {
            FInAutoUpdate = false;
            GetPropValue();
        }
        FInAutoUpdate = false;
        Key = 0;
        return;
    case 0x1B:
        if (FEdit->GetText() != FCancelValue) {
            FEdit->SetText(FCancelValue);
            SetPropValue(false, true);
            GetPropValue();
        }
        FEdit->SelectAll();
        Key = 0;
        return;
    default:
        return;
    }
}

void TInspListBox::ListDropDown(TObject*, bool& Allow) {
    TPropItem* item = CurItem();
    const TPropertyAttributes attrs = item ? item->GetAttributes() : 0;
    Allow = (attrs & paValueList) && !(attrs & (paCustomDropDown | paDisplayReadOnly));
    if (!Allow) return;
    TStrings* items = FListButton->GetItems();
    items->BeginUpdate();
    items->Clear();
    InterfacePtr<IWidePropertyName> wide;
    const TGetStrProc add = [items](const UnicodeString& s) { items->Add(s); };
    if (Supports(item->GetProp(), wide))
        wide->GetWideValues(add);
    else
        item->GetProp()->GetValues(add);
    items->EndUpdate();
    FListButton->SetItemIndex(items->IndexOf(FEdit->GetText()));
}

void TInspListBox::ListAccept(TObject*) {
    const int index = FListButton->GetItemIndex();
    if (index >= 0) {
        FEdit->SetText(FListButton->GetItemText(index));
        FInAutoUpdate = true;
        SetPropValue(false, true);
        FInAutoUpdate = false;
    }
    GetPropValue();
    if (FEdit->CanFocus()) FEdit->SetFocus();
}

void TInspListBox::ListCancel(TObject*) {
    GetPropValue();
}

void TInspListBox::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_SIZE && IsDesktopLocked()) return;
    TCustomPropListBox::Dispatch(Message);
}
