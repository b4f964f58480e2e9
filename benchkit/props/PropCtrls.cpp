// The bound controls: how each pulls its field's value and pushes its own.
#include "benchkit/props/IDEPropCtrls.h"

#include <quorlpak/Application.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Messages.h>
#include <quorlpak/TypeInfos.h>
#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <vector>

namespace {

std::vector<UnicodeString> SplitValues(const UnicodeString& Text) {
    std::vector<UnicodeString> out;
    size_t start = 0;
    while (start <= Text.size()) {
        const size_t end = Text.find(u';', start);
        out.push_back(Trim(
            Text.substr(start, end == UnicodeString::npos ? UnicodeString::npos : end - start)));
        if (end == UnicodeString::npos) break;
        start = end + 1;
    }
    return out;
}

bool InValues(const UnicodeString& Name, const UnicodeString& Values) {
    for (const UnicodeString& v : SplitValues(Values))
        if (AnsiSameText(v, Name)) return true;
    return false;
}

UnicodeString FirstValue(const UnicodeString& Values) {
    return SplitValues(Values).front();
}

// The field's value names, or null when it has none (the old items stay).
TPropValueNames* ValueNamesOf(TFieldPropLink* Link) {
    TCustomPropSet* set = Link->GetPropSet();
    if (!set || Link->GetFieldName().empty()) return nullptr;
    TPropValueNames* names = set->GetFieldValuesList(Link->GetFieldName());
    return names && names->GetCount() > 0 ? names : nullptr;
}

} // namespace

// ---- TPropEdit --------------------------------------------------------------------------------

TPropEdit::TPropEdit(TComponent* AOwner) : TPropBound<TCustomMaskEdit>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TClass TPropEdit::StaticClass() {
    using T = TPropEdit;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropEdit", TCustomMaskEdit::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange)));
    return &meta;
}

TPropEdit::~TPropEdit() { delete FCanvas; }

void TPropEdit::TakeAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    SetText(UnicodeString());
    FAlignment = Value;
    // The focused box lays its text out the same way as the painted one.
    SetAlignment(Value);
}

void TPropEdit::DataChange() {
    if (TPropField* field = GetField()) {
        TakeAlignment(field->GetAlignment());
        SetEditMask(field->GetEditMask());
        if (IsMasked()) {
            // The mask shows the literals around the value in either state.
            SetMaskedValue(field->GetEditText());
            if (!FFocused && FPropLink->GetModified()) SetModified(true);
        } else if (FFocused) {
            SetText(field->GetEditText());
        } else {
            SetText(field->GetDisplayText());
            // A value typed but not yet pushed still counts as typed.
            if (FPropLink->GetModified()) SetModified(true);
        }
    } else {
        TakeAlignment(taLeftJustify);
        SetEditMask(UnicodeString());
        SetText(Designing() ? GetName() : UnicodeString());
    }
}

void TPropEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT &&
        ((FAlignment != taLeftJustify && !FFocused) || GetControlState().Contains(csPaintCopy))) {
        PaintSelf(Message);
        return;
    }
    TPropBound<TCustomMaskEdit>::Dispatch(Message);
}

void TPropEdit::PaintSelf(TMessage& Message) {
    if (!FCanvas) {
        FCanvas = new TControlCanvas;
        FCanvas->SetControl(this);
    }
    PAINTSTRUCT ps{};
    HDC dc = Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : BeginPaint(GetHandle(), &ps);
    auto done = runpak::ScopeExit([&] {
        FCanvas->SetHandle(nullptr);
        if (!Message.WParam) EndPaint(GetHandle(), &ps);
    });
    FCanvas->SetHandle(dc);
    FCanvas->SetFont(GetFont());
    TRect r = GetClientRect();
    const int clientWidth = r.right - r.left;
    if (!GetCtl3D() && GetBorderStyle() == bsSingle) {
        FCanvas->GetBrush()->SetColor(clWindowFrame);
        FCanvas->FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    FCanvas->GetBrush()->SetColor(GetColor());
    FCanvas->FillRect(r);

    UnicodeString text;
    TPropField* field = GetField();
    if (GetControlState().Contains(csPaintCopy) && field) {
        text = field->GetDisplayText();
        if (GetCharCase() == ecUpperCase)
            text = AnsiUpperCase(text);
        else if (GetCharCase() == ecLowerCase)
            text = AnsiLowerCase(text);
    } else {
        text = GetText();
    }
    if (GetPasswordChar() != 0) text = UnicodeString(text.size(), GetPasswordChar());

    const int border = GetBorderStyle() == bsNone ? 0 : GetCtl3D() ? 1 : 2;
    const int leftMargin =
        border + LOWORD(static_cast<DWORD>(SendMessageW(GetHandle(), EM_GETMARGINS, 0, 0)));
    const int textWidth = FCanvas->TextWidth(text);
    int x = leftMargin;
    if (FAlignment == taRightJustify)
        x = clientWidth - textWidth - leftMargin - 1;
    else if (FAlignment == taCenter)
        x = (clientWidth - textWidth) / 2;
    FCanvas->TextRect(r, x, border, text);
    Message.Result = 0;
}

void TPropEdit::UpdateData() {
    TPropField* field = GetField();
    if (!field) return;
    ValidateEdit();
    field->SetValue(Variant(GetMaskedValue()));
}

void TPropEdit::Change() {
    FPropLink->Modified();
    TCustomMaskEdit::Change();
}

void TPropEdit::Loaded() {
    TCustomMaskEdit::Loaded();
    if (Designing()) DataChange();
}

void TPropEdit::DoEnter() {
    FFocused = true;
    if (FAlignment != taLeftJustify && !IsMasked()) Invalidate();
    // The edit form of the value replaces the display form.
    if (!FPropLink->GetModified()) FPropLink->Reset();
    TCustomMaskEdit::DoEnter();
}

void TPropEdit::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        if (CanFocus()) SetFocus();
        throw;
    }
    FFocused = false;
    if (FAlignment != taLeftJustify && !IsMasked()) Invalidate();
    if (!FPropLink->GetModified()) FPropLink->Reset();
    TCustomMaskEdit::DoExit();
}

// ---- TPropCheckBox ----------------------------------------------------------------------------

TPropCheckBox::TPropCheckBox(TComponent* AOwner) : TPropBound<TCustomCheckBox>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TClass TPropCheckBox::StaticClass() {
    using T = TPropCheckBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropCheckBox", TCustomCheckBox::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Property(u"ValueChecked", UnicodeStringTypeInfo, &T::GetValueChecked,
                      &T::SetValueChecked)
            .Property(u"ValueUnchecked", UnicodeStringTypeInfo, &T::GetValueUnchecked,
                      &T::SetValueUnchecked));
    return &meta;
}

TCheckBoxState TPropCheckBox::GetFieldState() {
    TPropField* field = GetField();
    if (!field) return cbUnchecked;
    if (field->GetFieldType() == ptBoolean && !FNonDefaultCheckValue)
        return field->GetValue().AsBoolean() ? cbChecked : cbUnchecked;
    const UnicodeString name = field->GetValueName();
    if (InValues(name, FValueChecked)) return cbChecked;
    if (InValues(name, FValueUnchecked)) return cbUnchecked;
    return cbGrayed;
}

void TPropCheckBox::DataChange() {
    SetState(GetFieldState());
}

void TPropCheckBox::UpdateData() {
    TPropField* field = GetField();
    if (!field) return;
    if (field->GetFieldType() == ptBoolean && !FNonDefaultCheckValue)
        field->SetValue(Variant(GetState() == cbChecked));
    else
        field->SetValueName(FirstValue(GetState() == cbChecked ? FValueChecked : FValueUnchecked));
}

void TPropCheckBox::SetValueChecked(const UnicodeString& Value) {
    if (!AnsiSameText(Value, FValueChecked)) FNonDefaultCheckValue = true;
    FValueChecked = Value;
    DataChange();
}

void TPropCheckBox::SetValueUnchecked(const UnicodeString& Value) {
    if (!AnsiSameText(Value, FValueUnchecked)) FNonDefaultCheckValue = true;
    FValueUnchecked = Value;
    DataChange();
}

void TPropCheckBox::Toggle() {
    TCustomCheckBox::Toggle();
    FPropLink->Modified();
    FPropLink->UpdateRecord();
}

void TPropCheckBox::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomCheckBox::DoExit();
}

// ---- TPropComboBox ----------------------------------------------------------------------------

TPropComboBox::TPropComboBox(TComponent* AOwner) : TPropBound<TCustomComboBox>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
    FPropLink->OnAttributesChange = [this](TObject*) { AttributesChange(); };
    FPropLink->OnActiveChange = [this](TObject*) { AttributesChange(); };
}

TClass TPropComboBox::StaticClass() {
    using T = TPropComboBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropComboBox", TCustomComboBox::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Event(u"OnGetHintText", &T::OnGetHintText));
    return &meta;
}

UnicodeString TPropComboBox::GetComboText() {
    if (GetStyle() == csDropDown || GetStyle() == csSimple) return GetText();
    const int index = GetItemIndex();
    return index >= 0 ? GetItems()->Get(index) : UnicodeString();
}

void TPropComboBox::SetComboText(const UnicodeString& Value) {
    if (Value == GetComboText()) return;
    const bool saved = FIgnoreTextChange;
    FIgnoreTextChange = true;
    try {
        if (GetStyle() != csDropDown) {
            const bool redraw = GetStyle() != csSimple && HandleAllocated();
            if (redraw) SendMessageW(GetHandle(), WM_SETREDRAW, FALSE, 0);
            const int index = Value.empty() ? -1 : GetItems()->IndexOf(Value);
            SetItemIndex(index);
            if (redraw) {
                SendMessageW(GetHandle(), WM_SETREDRAW, TRUE, 0);
                Invalidate();
            }
            if (index >= 0) {
                FIgnoreTextChange = saved;
                return;
            }
        }
        if (GetStyle() == csDropDown || GetStyle() == csSimple) SetText(Value);
    } catch (...) {
        FIgnoreTextChange = saved;
        throw;
    }
    FIgnoreTextChange = saved;
}

void TPropComboBox::DataChange() {
    // An open list is the user's choice in progress.
    if (GetDroppedDown()) return;
    if (TPropField* field = GetField())
        SetComboText(field->GetValueName());
    else
        SetComboText(Designing() ? GetName() : UnicodeString());
}

void TPropComboBox::UpdateData() {
    if (TPropField* field = GetField()) field->SetValueName(GetComboText());
}

void TPropComboBox::AttributesChange() {
    TStrings* items = GetItems();
    items->BeginUpdate();
    if (TPropValueNames* names = ValueNamesOf(FPropLink.get())) {
        const int index = GetItemIndex();
        items->Clear();
        for (int i = 0; i < names->GetCount(); ++i)
            items->Add(names->GetNames(i));
        if (index < items->GetCount()) SetItemIndex(index);
    }
    items->EndUpdate();
}

void TPropComboBox::Change() {
    if (!FIgnoreTextChange) FPropLink->Modified();
    TCustomComboBox::Change();
}

void TPropComboBox::Select() {
    FPropLink->Modified();
    TCustomComboBox::Select();
}

void TPropComboBox::Loaded() {
    TCustomComboBox::Loaded();
    if (Designing()) DataChange();
}

void TPropComboBox::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        if (HandleAllocated()) SendMessageW(GetHandle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomComboBox::DoExit();
}

void TPropComboBox::Dispatch(TMessage& Message) {
    if (Message.Msg != CM_HINTSHOW || !OnGetHintText) {
        TCustomComboBox::Dispatch(Message);
        return;
    }
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    TCustomComboBox::Dispatch(Message);
    if (!info) return;
    int timeout = Application ? Application->GetHintHidePause() : 2500;
    UnicodeString text;
    OnGetHintText(this, text, timeout);
    // The box's own text needs no hint when it fits.
    const UnicodeString own = GetText();
    if (text == own) {
        TCanvas canvas;
        HDC dc = GetDC(GetHandle());
        canvas.SetHandle(dc);
        canvas.GetFont()->Assign(GetFont());
        const int width = canvas.TextWidth(own);
        canvas.SetHandle(nullptr);
        ReleaseDC(GetHandle(), dc);
        if (GetWidth() - GetSystemMetrics(SM_CXVSCROLL) >= width) return;
    }
    info->HintStr = text;
    info->HideTimeout = timeout;
}

// ---- THistoryPropComboBox ---------------------------------------------------------------------

THistoryPropComboBox::THistoryPropComboBox(TComponent* AOwner) : TPropComboBox(AOwner) {
    FPropLink->OnAttributesChange = nullptr;
}

THistoryPropComboBox::~THistoryPropComboBox() {
    SetHistoryManager(nullptr);
}

TClass THistoryPropComboBox::StaticClass() {
    using T = THistoryPropComboBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"THistoryPropComboBox", TPropComboBox::StaticClass())
            .Property(u"HistoryManager", ClassTypeInfo<TCustomHistoryManager>,
                      &T::GetHistoryManager, &T::SetHistoryManager)
            .Property(u"HistoryList", UnicodeStringTypeInfo, &T::GetHistoryList,
                      &T::SetHistoryList));
    return &meta;
}

bool THistoryPropComboBox::ListStyle() const {
    return GetStyle() == csDropDownList || GetStyle() == csOwnerDrawFixed ||
           GetStyle() == csOwnerDrawVariable;
}

void THistoryPropComboBox::SetHistoryManager(TCustomHistoryManager* Value) {
    if (Value == FHistoryManager) return;
    if (FHistoryManager) {
        FHistoryManager->RemoveUpdateEvent(this);
        FHistoryManager->RemoveFreeNotification(this);
    }
    FHistoryManager = Value;
    if (FHistoryManager) {
        FHistoryManager->AddUpdateEvent(
            this, [this](TObject* sender, bool newList) { UpdateHistoryList(sender, newList); });
        FHistoryManager->FreeNotification(this);
        if (GetStyle() == csSimple) FHistoryManager->GetHistoryList(FHistoryList, GetItems());
    } else if (HandleAllocated()) {
        GetItems()->Clear();
    }
}

void THistoryPropComboBox::SetHistoryList(const UnicodeString& Value) {
    if (Value == FHistoryList) return;
    FHistoryList = Value;
    if (FHistoryManager && !ListStyle()) FHistoryManager->GetHistoryList(FHistoryList, GetItems());
}

void THistoryPropComboBox::UpdateHistoryList(TObject*, bool NewList) {
    if (!FHistoryManager || !HandleAllocated() || ListStyle()) return;
    if (!NewList) FHistoryManager->UpdateHistoryList(FHistoryList, GetText());
    if (GetStyle() == csSimple ||
        (GetStyle() == csDropDown && (GetItems()->GetCount() > 0 || Focused())))
        FHistoryManager->GetHistoryList(FHistoryList, GetItems());
}

void THistoryPropComboBox::Notification(TComponent* AComponent, TOperation Operation) {
    TPropComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FHistoryManager) {
        // The manager is going: it keeps no callback of ours to call.
        FHistoryManager = nullptr;
    }
}

void THistoryPropComboBox::DoEnter() {
    if (FHistoryManager && GetItems()->GetCount() == 0)
        FHistoryManager->GetHistoryList(FHistoryList, GetItems());
    TPropComboBox::DoEnter();
}

void UpdateHistory(THistoryPropComboBox* Box, const UnicodeString& Value) {
    TCustomHistoryManager* manager = Box ? Box->GetHistoryManager() : nullptr;
    if (!manager) return;
    if (!Value.empty())
        manager->UpdateHistoryList(Box->GetHistoryList(), Value);
    else
        manager->UpdateHistoryLists(false);
}

// ---- TPropRadioGroup --------------------------------------------------------------------------

TPropRadioGroup::TPropRadioGroup(TComponent* AOwner)
    : TPropBound<TCustomRadioGroup>(AOwner), FValues(new TStringList) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
    FPropLink->OnAttributesChange = [this](TObject*) { AttributesChange(); };
}

TPropRadioGroup::~TPropRadioGroup() {
    delete FValues;
}

TClass TPropRadioGroup::StaticClass() {
    using T = TPropRadioGroup;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropRadioGroup", TCustomRadioGroup::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Property(u"Values", ClassTypeInfo<TStrings>, &T::GetValues, &T::SetValues)
            .Event(u"OnChange", &T::OnChange));
    return &meta;
}

void TPropRadioGroup::SetValues(TStrings* Value) {
    FValues->Assign(Value);
    DataChange();
}

void TPropRadioGroup::SetItems(TStrings* Value) {
    GetItems()->Assign(Value);
    DataChange();
}

UnicodeString TPropRadioGroup::GetButtonValue(int Index) {
    if (Index >= 0 && Index < FValues->GetCount() && !FValues->Get(Index).empty())
        return FValues->Get(Index);
    if (Index >= 0 && Index < GetItems()->GetCount()) return GetItems()->Get(Index);
    return UnicodeString();
}

void TPropRadioGroup::SetValue(const UnicodeString& Text) {
    if (Text == FValue) return;
    FInSetValue = true;
    try {
        int found = -1;
        for (int i = 0; i < GetItems()->GetCount() && found < 0; ++i)
            if (GetButtonValue(i) == Text) found = i;
        SetItemIndex(found);
    } catch (...) {
        FInSetValue = false;
        throw;
    }
    FInSetValue = false;
    FValue = Text;
    if (OnChange) OnChange(this);
}

void TPropRadioGroup::Click() {
    if (FInSetValue) return;
    TCustomRadioGroup::Click();
    FValue = GetButtonValue(GetItemIndex());
    FPropLink->Modified();
}

void TPropRadioGroup::DataChange() {
    TPropField* field = GetField();
    SetValue(field ? field->GetValueName() : UnicodeString());
}

void TPropRadioGroup::UpdateData() {
    if (TPropField* field = GetField()) field->SetValueName(FValue);
}

void TPropRadioGroup::AttributesChange() {
    TPropValueNames* names = ValueNamesOf(FPropLink.get());
    if (!names) return;
    GetItems()->Clear();
    FValues->Clear();
    FValue.clear();
    for (int i = 0; i < names->GetCount(); ++i) {
        GetItems()->Add(names->GetNames(i));
        FValues->Add(names->GetNames(i));
    }
    if (GetButtonCount() > 0) {
        TCanvas canvas;
        HDC dc = GetDC(nullptr);
        canvas.SetHandle(dc);
        canvas.GetFont()->Assign(GetFont());
        const int h = canvas.TextHeight(u"0");
        canvas.SetHandle(nullptr);
        ReleaseDC(nullptr, dc);
        SetHeight(h * (GetButtonCount() + 2));
    }
}

void TPropRadioGroup::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        const int index = GetItemIndex() >= 0 ? GetItemIndex() : 0;
        if (index < GetButtonCount() && GetButtons(index)->CanFocus())
            GetButtons(index)->SetFocus();
        throw;
    }
    TCustomRadioGroup::DoExit();
}

// ---- TPropComponent ---------------------------------------------------------------------------

TPropComponent::TPropComponent(TComponent* AOwner)
    : TComponent(AOwner), FPropLink(std::make_unique<TFieldPropLink>(this)) {}

TPropComponent::~TPropComponent() {
    if (TCustomPropSet* set = FPropLink->GetPropSet()) set->RemoveFreeNotification(this);
}

TClass TPropComponent::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPropComponent>(u"TPropComponent", TComponent::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &TPropComponent::GetPropSet,
                      &TPropComponent::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &TPropComponent::GetPropField,
                      &TPropComponent::SetPropField));
    return &meta;
}

void TPropComponent::SetPropSet(TCustomPropSet* Value) {
    if (TCustomPropSet* old = FPropLink->GetPropSet()) old->RemoveFreeNotification(this);
    FPropLink->SetPropSet(Value);
    if (Value) Value->FreeNotification(this);
}

void TPropComponent::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPropLink->GetPropSet()) SetPropSet(nullptr);
}

// ---- The bound list box -----------------------------------------------------------------------

namespace propctrls {

TPropListBox::TPropListBox(TComponent* AOwner) : TPropBound<TCustomListBox>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
    FPropLink->OnAttributesChange = [this](TObject*) { AttributesChange(); };
    FPropLink->OnActiveChange = [this](TObject*) { AttributesChange(); };
}

TClass TPropListBox::StaticClass() {
    using T = TPropListBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropListBox", TCustomListBox::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField));
    return &meta;
}

void TPropListBox::DataChange() {
    TPropField* field = GetField();
    SetItemIndex(field ? GetItems()->IndexOf(field->GetValueName()) : -1);
}

void TPropListBox::UpdateData() {
    TPropField* field = GetField();
    if (!field) return;
    const int index = GetItemIndex();
    field->SetValueName(index >= 0 ? GetItems()->Get(index) : UnicodeString());
}

void TPropListBox::AttributesChange() {
    TStrings* items = GetItems();
    items->BeginUpdate();
    int added = 0;
    if (TPropValueNames* names = ValueNamesOf(FPropLink.get())) {
        const int index = GetItemIndex();
        items->Clear();
        for (int i = 0; i < names->GetCount(); ++i)
            items->Add(names->GetNames(i));
        added = names->GetCount();
        if (index < items->GetCount()) SetItemIndex(index);
    }
    items->EndUpdate();
    // Tall enough to show every item.
    const int sum = added * GetItemHeight();
    if (sum > 0) SetHeight(GetHeight() - GetClientHeight() + sum);
}

void TPropListBox::Click() {
    FPropLink->Modified();
    TCustomListBox::Click();
}

void TPropListBox::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomListBox::DoExit();
}

} // namespace propctrls

// ---- TPropMemo --------------------------------------------------------------------------------

TPropMemo::TPropMemo(TComponent* AOwner) : TPropBound<TCustomMemo>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TClass TPropMemo::StaticClass() {
    using T = TPropMemo;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropMemo", TCustomMemo::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Property(u"Lines", ClassTypeInfo<TStrings>, &T::GetLines, &T::SetLines)
            .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
            .Default(0)
            .Property(u"ScrollBars", TypeInfo_TMemoScrollBars, &T::GetScrollBars, &T::SetScrollBars)
            .Default(ssMemoNone)
            .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
            .Default(1)
            .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange)));
    return &meta;
}

void TPropMemo::DataChange() {
    if (TPropField* field = GetField()) {
        try {
            GetLines()->SetText(VarToStr(field->GetValue()));
        } catch (const EInvalidOperation& e) {
            GetLines()->Clear();
            GetLines()->Add(u"(" + e.GetMessage() + u")");
        }
    } else {
        SetText(Designing() ? GetName() : UnicodeString());
    }
    if (HandleAllocated())
        RedrawWindow(GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

void TPropMemo::UpdateData() {
    if (TPropField* field = GetField()) field->SetValue(Variant(GetText()));
}

void TPropMemo::Change() {
    FPropLink->Modified();
    TCustomMemo::Change();
}

void TPropMemo::Loaded() {
    TCustomMemo::Loaded();
    if (Designing()) DataChange();
}

void TPropMemo::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomMemo::DoExit();
}

// ---- TPropUpDown ------------------------------------------------------------------------------

TPropUpDown::TPropUpDown(TComponent* AOwner) : TPropBound<TCustomUpDown>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TClass TPropUpDown::StaticClass() {
    using T = TPropUpDown;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropUpDown", TCustomUpDown::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Property(u"Associate", ClassTypeInfo<TWinControl>, &T::GetAssociate, &T::SetAssociate)
            .Property(u"Min", IntegerTypeInfo, &T::GetMin, &T::SetMin)
            .Default(0)
            .Property(u"Max", IntegerTypeInfo, &T::GetMax, &T::SetMax)
            .Default(100)
            .Property(u"Increment", IntegerTypeInfo, &T::GetIncrement, &T::SetIncrement)
            .Default(1)
            .Property(u"Position", IntegerTypeInfo, &T::GetPosition, &T::SetPosition)
            .Default(0));
    return &meta;
}

void TPropUpDown::DataChange() {
    if (TPropField* field = GetField()) SetPosition(field->GetValue().AsInteger());
}

void TPropUpDown::UpdateData() {
    if (TPropField* field = GetField()) field->SetValue(Variant(int32_t(GetPosition())));
}

void TPropUpDown::Click(TUDBtnType Button) {
    FPropLink->Modified();
    TCustomUpDown::Click(Button);
}

void TPropUpDown::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomUpDown::DoExit();
}

// ---- TPropColorBox ----------------------------------------------------------------------------

TPropColorBox::TPropColorBox(TComponent* AOwner) : TPropBound<TCustomColorBox>(AOwner) {
    FPropLink->OnDataChange = [this](TObject*) { DataChange(); };
    FPropLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TClass TPropColorBox::StaticClass() {
    using T = TPropColorBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropColorBox", TCustomColorBox::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"PropField", UnicodeStringTypeInfo, &T::GetPropField, &T::SetPropField)
            .Property(u"Style", TypeInfo_TColorBoxStyle, &T::GetStyle, &T::SetStyle)
            .Default(7)
            .Property(u"Selected", TypeInfo_TColor, &T::GetSelected, &T::SetSelected)
            .Event(u"OnSelect", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnSelect)));
    return &meta;
}

void TPropColorBox::DataChange() {
    TPropField* field = GetField();
    SetSelected(field ? StringToColor(VarToStr(field->GetValue())) : NoColorSelected);
}

void TPropColorBox::UpdateData() {
    if (TPropField* field = GetField()) field->SetValue(Variant(ColorToString(GetSelected())));
}

void TPropColorBox::Select() {
    TCustomColorBox::Select();
    FPropLink->Modified();
    FPropLink->UpdateRecord();
}

void TPropColorBox::DoExit() {
    try {
        if (!Leaving()) FPropLink->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomColorBox::DoExit();
}

// ---- TPropColorGrid ---------------------------------------------------------------------------

namespace {

// A control that goes with its form pushes nothing on the way out.
bool GoingAway(const TComponent* Control) {
    for (const TComponent* c = Control; c; c = c->GetOwner())
        if (c->GetComponentState().Contains(csDestroying)) return true;
    return false;
}

} // namespace

TPropColorGrid::TPropColorGrid(TComponent* AOwner) : TColorGrid(AOwner) {
    for (int i = 0; i < 4; ++i) {
        FLinks[i] = std::make_unique<TFieldPropLink>(this);
        FLinks[i]->OnDataChange = [this, i](TObject*) { DataChange(i); };
        FLinks[i]->OnUpdateData = [this, i](TObject*) { UpdateData(i); };
    }
}

TPropColorGrid::~TPropColorGrid() {
    if (TCustomPropSet* set = GetPropSet()) set->RemoveFreeNotification(this);
}

TClass TPropColorGrid::StaticClass() {
    using T = TPropColorGrid;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropColorGrid", TColorGrid::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &T::GetPropSet, &T::SetPropSet)
            .Property(u"ForeColorPropField", UnicodeStringTypeInfo, &T::GetForeColorPropField,
                      &T::SetForeColorPropField)
            .Property(u"BackColorPropField", UnicodeStringTypeInfo, &T::GetBackColorPropField,
                      &T::SetBackColorPropField)
            .Property(u"EnabledForePropField", UnicodeStringTypeInfo, &T::GetEnabledForePropField,
                      &T::SetEnabledForePropField)
            .Property(u"EnabledBackPropField", UnicodeStringTypeInfo, &T::GetEnabledBackPropField,
                      &T::SetEnabledBackPropField)
            .Property(u"InvertEnables", BooleanTypeInfo, &T::GetInvertEnables, &T::SetInvertEnables)
            .Default(1));
    return &meta;
}

void TPropColorGrid::SetPropSet(TCustomPropSet* Value) {
    if (TCustomPropSet* old = GetPropSet()) old->RemoveFreeNotification(this);
    for (auto& link : FLinks)
        link->SetPropSet(Value);
    if (Value) Value->FreeNotification(this);
}

void TPropColorGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TColorGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == GetPropSet()) SetPropSet(nullptr);
}

void TPropColorGrid::SetInvertEnables(bool Value) {
    if (FInvertEnables == Value) return;
    FInvertEnables = Value;
    Change();
}

void TPropColorGrid::DataChange(int Link) {
    TPropField* field = FLinks[Link]->GetField();
    if (!field) return;
    const bool saved = FUpdating;
    FUpdating = true;
    auto restore = runpak::ScopeExit([this, saved] { FUpdating = saved; });
    const Variant value = field->GetValue();
    switch (Link) {
    case 0:
        SetForegroundIndex(value.AsInteger());
        break;
    case 1:
        SetBackgroundIndex(value.AsInteger());
        break;
    case 2:
        SetForegroundEnabled(FInvertEnables != value.AsBoolean());
        break;
    default:
        SetBackgroundEnabled(FInvertEnables != value.AsBoolean());
        break;
    }
}

void TPropColorGrid::UpdateData(int Link) {
    TPropField* field = FLinks[Link]->GetField();
    if (!field) return;
    switch (Link) {
    case 0:
        field->SetValue(Variant(int32_t(GetForegroundIndex())));
        break;
    case 1:
        field->SetValue(Variant(int32_t(GetBackgroundIndex())));
        break;
    case 2:
        field->SetValue(Variant(FInvertEnables != GetForegroundEnabled()));
        break;
    default:
        field->SetValue(Variant(FInvertEnables != GetBackgroundEnabled()));
        break;
    }
}

void TPropColorGrid::Change() {
    TColorGrid::Change();
    TCustomPropSet* set = GetPropSet();
    if (FUpdating || !set || GoingAway(this)) return;
    set->BeginUpdate();
    auto close = runpak::ScopeExit([set] { set->EndUpdate(); });
    for (auto& link : FLinks) {
        link->Modified();
        link->UpdateRecord();
    }
}

void TPropColorGrid::DoExit() {
    try {
        if (!GoingAway(this))
            for (auto& link : FLinks)
                link->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TColorGrid::DoExit();
}
