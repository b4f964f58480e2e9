// The field base class and the value-name list.
#include "benchkit/props/IDEPropSet.h"

#include <runpak/Filer.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

void PropError(const UnicodeString& Message) {
    throw Exception(Message);
}

void PropErrorFmt(std::u16string_view Format, std::initializer_list<TVarRec> Args) {
    throw Exception(Format, Args);
}

// ---- TPropValueNames ----------------------------------------------------------------------

TClass TPropValueNames::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPropValueNames>(u"TPropValueNames", TStringList::StaticClass()));
    return &meta;
}

void TPropValueNames::AddValue(const UnicodeString& Name, const Variant& Value) {
    int n = Value.AsInteger();
    if (GetDuplicates() == dupAccept || IndexOfValue(n) == -1) {
        Add(Format(u"%s=%d", Name, n));
        return;
    }
    if (GetDuplicates() == dupError) PropErrorFmt(u"Duplicate Value: %d", {n});
}

int TPropValueNames::IndexOfValue(int N) const {
    UnicodeString text = IntToStr(N);
    for (int i = 0; i < GetCount(); ++i)
        if (GetValues(GetNames(i)) == text) return i;
    return -1;
}

// ---- TPropField: value access --------------------------------------------------------------

TPropField::TPropField(TComponent* AOwner) : TComponent(AOwner), FValueNames(new TPropValueNames) {}

TPropField::~TPropField() {
    if (FPropSet) FPropSet->RemoveField(this);
    delete FValueNames;
}

Variant TPropField::GetValue() {
    Variant result;
    if (FPropSet) FPropSet->GetFieldData(this, result);
    return result;
}

void TPropField::SetValue(const Variant& Value) {
    Variant copy = Value;
    ConvertType(copy);
    Validate(copy);
    if (!FPropSet) return;
    Variant current;
    FPropSet->GetFieldData(this, current);
    if (copy != current) {
        FPropSet->SetFieldData(this, copy);
        Change();
    }
}

UnicodeString TPropField::GetValueName() {
    Variant value = GetValue();
    if (FValueNames->GetCount() > 0 && !value.IsEmpty() && !value.IsNull()) {
        int n = 0;
        bool numeric = true;
        try {
            n = value.AsInteger();
        } catch (const EVariantError&) {
            numeric = false;
        }
        if (numeric) {
            int index = FValueNames->IndexOfValue(n);
            if (index >= 0) return FValueNames->GetNames(index);
        }
    }
    return VarToStr(value);
}

void TPropField::SetValueName(const UnicodeString& Text) {
    UnicodeString text = Text;
    if (FValueNames->GetCount() > 0) {
        int index = FValueNames->IndexOfName(Text);
        if (index >= 0) text = FValueNames->GetValueFromIndex(index);
    }
    SetValue(Variant(text));
}

UnicodeString TPropField::GetDisplayText() {
    UnicodeString text;
    if (OnGetText)
        OnGetText(this, text, true);
    else
        GetText(text, true);
    return text;
}

UnicodeString TPropField::GetEditText() {
    UnicodeString text;
    if (OnGetText)
        OnGetText(this, text, false);
    else
        GetText(text, false);
    return text;
}

void TPropField::SetEditText(const UnicodeString& Text) {
    if (OnSetText)
        OnSetText(this, Text);
    else
        SetValue(Variant(Text));
}

// ---- TPropField: notifications ---------------------------------------------------------------

void TPropField::Change() {
    if (FPropSet) FPropSet->DataEvent(peFieldChange, this);
}

void TPropField::Changed() {
    if (OnChange) OnChange(this);
}

void TPropField::FocusControl() {
    TPropField* field = this;
    if (FPropSet) FPropSet->DataEvent(peFocusControl, &field);
}

void TPropField::UpdateAttributes(TComponent* Component) {
    if (FPropSet) FPropSet->DataEvent(peUpdateAttributes, Component);
}

// ---- TPropField: description ------------------------------------------------------------------

void TPropField::SetPropSet(TCustomPropSet* Value) {
    if (Value == FPropSet) return;
    if (Value) Value->CheckFieldName(FFieldName);
    if (FPropSet) FPropSet->RemoveField(this);
    if (Value) Value->AddField(this);
}

void TPropField::SetFieldName(const TFieldName& Value) {
    if (!FFieldName.empty()) PropError(u"Field name can't be modified");
    if (FPropSet) FPropSet->CheckFieldName(Value);
    FFieldName = Value;
    if (FPropSet) FPropSet->DataEvent(peFieldListChange, nullptr);
}

void TPropField::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Change();
}

void TPropField::SetDescription(const UnicodeString& Value) {
    FDescription = Value;
    Change();
}

UnicodeString TPropField::GetDisplayLabel() const {
    return FDisplayLabel.empty() ? FFieldName : FDisplayLabel;
}

void TPropField::SetDisplayLabel(const UnicodeString& Value) {
    FDisplayLabel = Value;
    Change();
}

int TPropField::GetDisplayWidth() const {
    return FDisplayWidth == 0 ? 20 : FDisplayWidth;
}

void TPropField::SetDisplayWidth(int Value) {
    FDisplayWidth = Value;
    Change();
}

void TPropField::SetEditMask(const UnicodeString& Value) {
    FEditMask = Value;
    Change();
}

UnicodeString TPropField::GetControlClass() {
    return FControlClass.empty() ? GetDefaultControlClass() : FControlClass;
}

UnicodeString TPropField::GetDefaultControlClass() {
    return TCustomPropSet::GetDefaultControlClass(ClassType());
}

void TPropField::SetValueNames(TStrings* Value) {
    FValueNames->Assign(Value);
    UpdateAttributes(this);
}

void TPropField::GetText(UnicodeString& Text, bool DisplayText) {
    Text = VarToStr(GetValue());
}

void TPropField::Validate(const Variant& Value) {
    if (OnValidate) OnValidate(this, Value);
}

void TPropField::ConvertType(Variant& Value) {}

// ---- TPropField: streaming parentage
// --------------------------------------------------------------

TComponent* TPropField::GetParentComponent() const {
    return FPropSet;
}

void TPropField::SetParentComponent(TComponent* Value) {
    if (GetComponentState().Contains(csLoading)) return;
    SetPropSet(dynamic_cast<TPropSet*>(Value));
}

void TPropField::ReadState(TReader* Reader) {
    // Attach once the properties (the field name above all) are read.
    TComponent::ReadState(Reader);
    if (auto* set = dynamic_cast<TPropSet*>(Reader->GetParent())) SetPropSet(set);
}
