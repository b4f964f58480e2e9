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
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        return;
    case WM_LBUTTONDOWN:
        // A press on the row followed quickly by one in the edit is a
        // double-click: it opens the row's editor.
        if (FClickTime != 0 && UINT(GetMessageTime() - FClickTime) <= GetDoubleClickTime())
            Message.Msg = WM_LBUTTONDBLCLK;
        FClickTime = 0;
        break;
    case CM_CANCELMODE:
        if (TCustomForm* form = GetParentForm(); form && !FInCancel) {
            FInCancel = true;
            try {
                form->Perform(CM_CANCELMODE, Message.WParam, Message.LParam);
            } catch (...) {
                FInCancel = false;
                throw;
            }
            FInCancel = false;
            return;
        }
        break;
    default:
        break;
    }
    TEdit::Dispatch(Message);
}

void TPropInspEdit::Click() {
    if (OnClearNamesSelected) OnClearNamesSelected(this);
    TEdit::Click();
}

TPropSelection::TPropSelection(TComponent* AOwner, TInspListBox* List)
    : TCustomControl(AOwner), FList(List) {}

void TPropSelection::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
    Params.WindowClass.style &= ~DWORD(CS_HREDRAW | CS_VREDRAW);
}

void TPropSelection::PositionCaret() {
    TPropItem* item = FList->CurItem();
    if (!item || !HandleAllocated()) return;
    GetCanvas()->GetFont()->Assign(FList->GetFont());
    const int x = FList->ItemLevelOffset(item->GetItemLevel()) +
                  GetCanvas()->TextWidth(FList->GetSelectString()) + 12;
    SetCaretPos(x, 2);
}

void TPropSelection::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCHITTEST:
        // The list receives the mouse on the row's name.
        Message.Result = HTTRANSPARENT;
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        return;
    case WM_SETFOCUS:
        TCustomControl::Dispatch(Message);
        // A caret in the name column shows where the typed name search ends.
        CreateCaret(GetHandle(), nullptr, 1, std::max(GetHeight() - 3, 1));
        FList->ClearSelectString();
        PositionCaret();
        ShowCaret(GetHandle());
        return;
    case WM_KILLFOCUS:
        HideCaret(GetHandle());
        DestroyCaret();
        TCustomControl::Dispatch(Message);
        return;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

void TPropSelection::Click() {
    FList->SetNamesSelected(false);
    TCustomControl::Click();
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
    FSelectionWindow->OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) {
        SelectionKeyDown(s, k, sh);
    };
    FSelectionWindow->OnKeyPress = [this](TObject* s, char16_t& k) { SelectionKeyPress(s, k); };

    FEdit = new TPropInspEdit(this);
    FEdit->SetName(u"EditControl");
    FEdit->SetTabStop(false);
    FEdit->SetBorderStyle(bsNone);
    FEdit->SetParent(FSelectionWindow);
    FEdit->OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { EditKeyDown(s, k, sh); };
    FEdit->OnKeyPress = [this](TObject* s, char16_t& k) { EditKeyPress(s, k); };
    FEdit->OnChange = [this](TObject* s) { EditChange(s); };
    FEdit->OnDblClick = [this](TObject*) { EditDblClick(true); };
    FEdit->OnEnter = [this](TObject*) {
        if (FHighlightOnSelect)
            FEdit->SelectAll();
        else
            FEdit->SetSelStart(0);
    };
    FEdit->OnClearNamesSelected = [this](TObject*) { FNamesSelected = false; };

    FListButton = new TListButton(this);
    FListButton->SetName(u"ListButton");
    FListButton->SetParent(FSelectionWindow);
    FListButton->SetAutoWidth(true);
    FListButton->SetDropAlign(daRight);
    FListButton->SetSorted(false);
    FListButton->OnDropDown = [this](TObject* s, bool& allow) { ListDropDown(s, allow); };
    FListButton->OnAccept = [this](TObject* s) { ListAccept(s); };
    FListButton->OnCancel = [this](TObject* s) { ListCancel(s); };
    FListButton->OnClick = [this](TObject*) {
        if (OnListButtonClick)
            OnListButtonClick(this);
        else
            EditDblClick(false);
    };

    FQueryButton = new TPropQueryButton(this);
    FQueryButton->SetName(u"QueryButton");
    FQueryButton->SetParent(FSelectionWindow);
    FQueryButton->SetVisible(false);
    FQueryButton->OnClick = [this](TObject*) {
        if (OnQueryButtonClick) OnQueryButtonClick(this);
    };
}

TInspListBox::~TInspListBox() = default;

void TInspListBox::LoadGlyphs() {
    FListGlyph = std::make_unique<TBitmap>();
    FListGlyph->LoadFromResourceName(BenchkitInstance(), u"ARROW");
    FListGlyph->SetTransparent(true);
    FDialogGlyph = std::make_unique<TBitmap>();
    FDialogGlyph->LoadFromResourceName(BenchkitInstance(), u"DOTS");
    FQueryGlyph = std::make_unique<TBitmap>();
    FQueryGlyph->LoadFromResourceName(BenchkitInstance(), u"QUESTION");
    FQueryButton->SetGlyph(FQueryGlyph.get());
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
    FSaveTopIndex = GetTopIndex();
    FWasFocused = FEdit->Focused();
    // An auto-update commit resets the list under the user's typing: the
    // caret and selection come back where they were.
    if (FInAutoUpdate && FWasFocused) {
        FSaveSelStart = FEdit->GetSelStart();
        FSaveSelLength = FEdit->GetSelLength();
    } else {
        FSaveSelStart = FSaveSelLength = -1;
    }
    FListButton->CloseUp(false);
    HideControls();
}

void TInspListBox::AfterReset() {
    TCustomPropListBox::AfterReset();
    const int h = GetItemHeight();
    const int lastTop = std::max(GetCount() - (h > 0 ? GetClientHeight() / h : 0), 0);
    if (FSaveTopIndex >= 0 && FSaveTopIndex < GetCount() && FSaveTopIndex <= lastTop)
        SetTopIndex(FSaveTopIndex);
    ShowControls();
    if (FWasFocused) {
        EditFocus();
        FSaveSelStart = FSaveSelLength = -1;
    }
    FItemsReset = true;
}

void TInspListBox::BlankItems() {
    FListButton->CloseUp(false);
    HideControls();
    ClearRows();
    SetItemIndex(-1);
}

void TInspListBox::EditFocus() {
    if (FInEditFocus) return;
    for (TControl* c = this; c; c = c->GetParent())
        if (!c->GetVisible() || !c->GetEnabled()) return;
    if (!GetParentForm()) return;
    FInEditFocus = true;
    if (!FNamesSelected) {
        if (FEdit->GetVisible() && FEdit->GetEnabled() && FEdit->CanFocus()) {
            FEdit->SetFocus();
            if (FEdit->HandleAllocated() && GetFocus() != FEdit->GetHandle())
                ::SetFocus(FEdit->GetHandle());
            if (FSaveSelStart >= 0 && FSaveSelLength >= 0) {
                FEdit->SetSelStart(FSaveSelStart);
                FEdit->SetSelLength(FSaveSelLength);
            }
        }
    } else {
        ClearSelectString();
        if (FSelectionWindow->CanFocus()) FSelectionWindow->SetFocus();
    }
    FInEditFocus = false;
}

void TInspListBox::DoExit() {
    try {
        SetPropValue(true, true);
    } catch (...) {
        TCustomPropListBox::DoExit();
        throw;
    }
    TCustomPropListBox::DoExit();
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
    TColor back = FEdit->GetReadOnly() ? FBackgroundColor : FEditBackgroundColor;
    TColor fore = FEdit->GetReadOnly() ? FPropValueColor : FEditValueColor;
    if (attrs & paDisplayReadOnly) {
        back = FBackgroundColor;
        fore = FReadOnlyColor;
    }
    FEdit->SetColor(back);
    TFont* font = FEdit->GetFont();
    font->SetColor(fore);
    TFontStyles style = font->GetStyle() - FNonDefaultFontStyle;
    InterfacePtr<IProperty70> v70;
    if (!(attrs & paDisplayReadOnly) && Supports(prop, v70) && !v70->GetIsDefault())
        style = style + FNonDefaultFontStyle;
    font->SetStyle(style);
    FEdit->SetVisible(!(attrs & paFullWidthName));
    --FInPropAccess;
    FEdit->SetModified(false);
    if (FHighlightOnSelect && FInPropAccess == 0) FEdit->SelectAll();
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
    // A debugger's property may show the query button, up or down.
    InterfacePtr<IDebugInspectProperty> debug;
    const uint32_t flags = Supports(item->GetProp(), debug) ? debug->GetDebugInspectFlags() : 0;
    if ((flags & diShowQueryButton) && !FListGlyph) LoadGlyphs();
    FQueryButton->SetVisible((flags & diShowQueryButton) != 0);
    FQueryButton->SetDown((flags & diQueryButtonDown) != 0);
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
    const bool query = FQueryButton->GetVisible();
    int editWidth = w - GetMiddle() - 2;
    if (FButtonVisible) editWidth -= h;
    if (query) editWidth -= h;
    FEdit->SetBounds(GetMiddle() + 3, 1, std::max(editWidth, 0), h - 3);
    FListButton->SetMinListWidth(w - GetMiddle());
    // The query button takes the far right; the list button goes left of it.
    FQueryButton->SetBounds(w - h + 1, 0, h - 1, h - 1);
    const int d = query ? 2 : 1;
    FListButton->SetBounds(w - d * h + d, 0, h - 1, h - 1);
}

void TInspListBox::SelectItem(int Index) {
    if (GetCount() > 0) {
        Index = std::clamp(Index, 0, GetCount() - 1);
        if (Index == GetItemIndex() && !FItemsReset && !FControlsHidden) {
            GetPropValue();
        } else {
            FItemsReset = false;
            HideControls();
            SetItemIndex(Index);
            ScrollItemIndexIntoView();
            ShowControls();
            Update();
        }
        EditFocus();
    }
    if (OnSelectItem) OnSelectItem(this);
}

void TInspListBox::EditKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if (!Populated()) return;
    EndTracking();
    TPropItem* item = CurItem();
    const TPropertyAttributes attrs = item->GetAttributes();
    if (Key == VK_DELETE && !(attrs & (paDisplayReadOnly | paValueList)) && FEdit->GetReadOnly() &&
        (attrs & paRevertable)) {
        item->Revert();
        GetPropValue();
    }
    if (Key == VK_DELETE) FProcessChange = false;
    if (Key == VK_DOWN && Shift.Contains(ssAlt)) {
        ScrollItemIndexIntoView();
        if (((attrs & paDialog) && !(attrs & paValueList)) || (attrs & paCustomDropDown)) {
            EditDblClick(false);
        } else {
            FListButton->DropDown();
        }
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_RIGHT:
        ScrollItemIndexIntoView();
        break;
    default:
        break;
    }
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TInspListBox::EditKeyPress(TObject*, char16_t& Key) {
    if (!Populated()) return;
    EndTracking();
    if (OnEditKeyPress) OnEditKeyPress(this, Key);
    FProcessChange = Key != u'\b';
    switch (Key) {
    case 0:
        return;
    case u'\t':
        ScrollItemIndexIntoView();
        FNamesSelected = true;
        EditFocus();
        Key = 0;
        return;
    case u'\n':
        ScrollItemIndexIntoView();
        EditDblClick(true);
        Key = 0;
        return;
    case u'\r':
        ScrollItemIndexIntoView();
        FInAutoUpdate = true;
        if (SetPropValue(false, true)) {
            FInAutoUpdate = false;
            GetPropValue();
        }
        FInAutoUpdate = false;
        Key = 0;
        return;
    case 0x1B:
        ScrollItemIndexIntoView();
        if (FEdit->GetText() != FCancelValue) {
            FEdit->SetText(FCancelValue);
            SetPropValue(false, true);
            GetPropValue();
        }
        FEdit->SelectAll();
        Key = 0;
        return;
    default:
        break;
    }
    // A value list that the edit shows read-only but whose value may be
    // typed: each key completes from the list.
    const TPropertyAttributes attrs = CurItem()->GetAttributes();
    if ((attrs & (paValueEditable | paDisplayReadOnly | paReadOnly | paValueList)) !=
        (paValueEditable | paReadOnly | paValueList))
        return;
    const bool wasReadOnly = FEdit->GetReadOnly();
    FEdit->SetReadOnly(false);
    const int caret = FEdit->GetSelStart();
    const UnicodeString text = FEdit->GetText();
    UnicodeString candidate;
    if (Key == u'\b')
        candidate = text.substr(0, size_t(std::max(caret - 1, 0)));
    else
        candidate = text.substr(0, size_t(std::clamp<int>(caret, 0, int(text.size())))) + Key;
    if (candidate.empty()) {
        ++FInPropAccess;
        FEdit->SetText(FCancelValue);
        --FInPropAccess;
        FEdit->SelectAll();
        Key = 0;
    } else if (ProcessEditChange(int(candidate.size()), candidate)) {
        Key = 0;
    }
    FEdit->SetReadOnly(wasReadOnly);
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
    switch (Message.Msg) {
    case WM_SIZE:
        if (IsDesktopLocked()) return;
        break;
    case WM_LBUTTONDOWN:
        WMLButtonDown(Message);
        return;
    case WM_LBUTTONDBLCLK:
        WMLButtonDblClk(Message);
        return;
    case WM_NCLBUTTONDOWN:
        FListButton->CloseUp(false);
        break;
    case WM_CANCELMODE:
        EndTracking();
        break;
    case WM_NCHITTEST:
        TCustomPropListBox::Dispatch(Message);
        FMousePos =
            ScreenToClient(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam))).x;
        return;
    case WM_SETCURSOR:
        WMSetCursor(Message);
        return;
    case WM_VSCROLL:
        WMVScroll(Message);
        return;
    case CM_HINTSHOW:
        CMHintShow(Message);
        return;
    case WM_HELP:
        if (Populated() && OnHelp)
            OnHelp(this);
        else if (GetHelpContext() != 0 && Application)
            Application->HelpContext(GetHelpContext());
        Message.Result = 1;
        return;
    case WM_PROPBOX_UPDATEDIRTY:
        // Typing comes first: the host refreshes once the input is handled.
        if (HIWORD(GetQueueStatus(QS_INPUT)) != 0) {
            PostMessageW(GetHandle(), WM_PROPBOX_UPDATEDIRTY, 0, 0);
            return;
        }
        break;
    default:
        break;
    }
    TCustomPropListBox::Dispatch(Message);
}

void TInspListBox::DropDownControl(TControl* Control) {
    if (!Control) throw EInvalidOperation(u"The drop-down needs a control");
    FListButton->DropDown(Control);
}

Variant TInspListBox::GetListItem(int Index) {
    TPropItem* item = Index >= 0 && Index < GetCount() ? GetPropItem(Index) : nullptr;
    if (!item) return Variant();
    return VarArrayOf({Variant(0), Variant(item->GetPropValue())});
}

// ---- TPropQueryButton -------------------------------------------------------------------------

TPropQueryButton::TPropQueryButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 16, 16);
}

void TPropQueryButton::SetDown(bool Value) {
    if (FDown == Value) return;
    FDown = Value;
    Invalidate();
}

void TPropQueryButton::SetGlyph(TBitmap* Value) {
    FGlyph = Value;
    Invalidate();
}

void TPropQueryButton::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    c->GetBrush()->SetColor(clBtnFace);
    c->FillRect(r);
    RECT edge = r;
    const bool sunken = FDown || FPressed;
    DrawEdge(c->GetHandle(), &edge, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (!FGlyph || FGlyph->GetEmpty()) return;
    const int shift = sunken ? 1 : 0;
    c->Draw((r.Width() - FGlyph->GetWidth()) / 2 + shift,
            (r.Height() - FGlyph->GetHeight()) / 2 + shift, FGlyph);
}

void TPropQueryButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FPressed = true;
    Invalidate();
}

void TPropQueryButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool inside = FPressed && GetClientRect().Contains(TPoint(X, Y));
    FPressed = false;
    // A click toggles it: up and down in turn.
    if (inside) FDown = !FDown;
    Invalidate();
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}
