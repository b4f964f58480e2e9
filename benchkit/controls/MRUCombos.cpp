#include "MRUCombos.h"

#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/winuser.h>

namespace {

const char16_t* const SInsertLineError = u"Unable to insert a line";

} // namespace

int TMRUComboBoxStrings::Add(const UnicodeString& S) {
    int found = IndexOf(S); // the list's search ignores case
    if (found >= 0 && FOwner->GetCaseSensitive() && Get(found) != S) {
        // Look on for an entry of exactly this case, so no duplicate goes in.
        found = -1;
        for (int i = 0; i < GetCount(); ++i)
            if (Get(i) == S) {
                found = i;
                break;
            }
    }
    if (found >= 0) {
        if (found != 0) Move(found, 0);
    } else {
        Insert(0, S);
    }
    return 0;
}

void TMRUComboBoxStrings::Insert(int Index, const UnicodeString& S) {
    TItemStrings::Insert(Index, S);
    HWND wnd = FOwner->HandleAllocated() ? FOwner->GetHandle() : nullptr;
    if (wnd && GetUpdateCount() == 0 && SendMessageW(wnd, CB_GETCOUNT, 0, 0) != GetCount()) {
        TItemStrings::Delete(Index);
        throw EOutOfResources(SInsertLineError);
    }
    if (GetCount() > FOwner->GetMaxCount()) Delete(GetCount() - 1);
}

TClass TCustomMRUComboBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomMRUComboBox>(u"TCustomMRUComboBox", TCustomComboBox::StaticClass()));
    return &meta;
}

TMRUComboBox::TMRUComboBox(TComponent* AOwner) : TCustomMRUComboBox(AOwner) {
    SetAutoComplete(true);
}

TClass TMRUComboBox::StaticClass() {
    using T = TMRUComboBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TMRUComboBox", TCustomMRUComboBox::StaticClass())
            .Property(u"AutoComplete", BooleanTypeInfo, &T::GetAutoComplete, &T::SetAutoComplete)
            .Default(true)
            .Property(u"AutoDropDown", BooleanTypeInfo, &T::GetAutoDropDown, &T::SetAutoDropDown)
            .Default(false)
            .Property(u"AutoCloseUp", BooleanTypeInfo, &T::GetAutoCloseUp, &T::SetAutoCloseUp)
            .Default(false)
            .Property(u"CaseSensitive", BooleanTypeInfo, &T::GetCaseSensitive,
                      &T::SetCaseSensitive)
            .Default(false)
            .Property(u"MaxCount", IntegerTypeInfo, &T::GetMaxCount, &T::SetMaxCount)
            .Default(20));
    return &meta;
}

TCustomMRUComboBox::TCustomMRUComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
    // The list moves and trims itself as texts are added.
    FItems->OnChange = nullptr;
    delete FItems;
    FItems = new TMRUComboBoxStrings(this);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

void TCustomMRUComboBox::SetMaxCount(int Value) {
    if (Value < 0) Value = 0;
    if (Value == FMaxCount) return;
    FMaxCount = Value;
    FItems->BeginUpdate();
    while (FItems->GetCount() > FMaxCount) FItems->Delete(FItems->GetCount() - 1);
    FItems->EndUpdate();
}

void TCustomMRUComboBox::UpdateContents() {
    const UnicodeString text = GetText();
    if (!text.empty()) FItems->Add(text);
    SetItemIndex(0);
}

void TCustomMRUComboBox::DoExit() {
    TCustomComboBox::DoExit();
    UpdateContents();
}

void TCustomMRUComboBox::Dispatch(TMessage& Message) {
    TCustomComboBox::Dispatch(Message);
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == CBN_DROPDOWN) UpdateContents();
}
