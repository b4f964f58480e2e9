// Field properties for the host's inspector.
#include "benchkit/props/IDEPropFieldProps.h"

#include <runpak/Strings.h>

const char16_t* const SPropFieldYes = u"Yes";
const char16_t* const SPropFieldNo = u"No";

HRESULT TPropFieldProperty::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWidePropertyDescription, IProperty80, IProperty70, IProperty,
                         ISupportErrorInfo, IDispatch>(this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

UnicodeString TPropFieldProperty::GetDescription() {
    return FPropField->GetDescription();
}

UnicodeString TPropFieldProperty::GetName() {
    return FPropField->GetDisplayLabel();
}

UnicodeString TPropFieldProperty::GetValue() {
    return FPropField->GetValue().AsString();
}

bool TPropFieldProperty::GetEditValue(UnicodeString& Value) {
    Value = FPropField->GetEditText();
    return true;
}

void TPropFieldProperty::SetValue(const UnicodeString& Value) {
    FPropField->SetValue(Variant(Value));
}

// ---- Boolean ------------------------------------------------------------------------------

UnicodeString TBooleanPropFieldProperty::GetValue() {
    return FPropField->GetValue().AsBoolean() ? SPropFieldYes : SPropFieldNo;
}

bool TBooleanPropFieldProperty::GetEditValue(UnicodeString& Value) {
    Value = GetValue();
    return true;
}

void TBooleanPropFieldProperty::GetValues(const TGetStrProc& Proc) {
    Proc(SPropFieldNo);
    Proc(SPropFieldYes);
}

void TBooleanPropFieldProperty::SetValue(const UnicodeString& Value) {
    if (AnsiSameText(Value, SPropFieldYes))
        FPropField->SetValue(Variant(true));
    else if (AnsiSameText(Value, SPropFieldNo))
        FPropField->SetValue(Variant(false));
}

// ---- Enumerations -----------------------------------------------------------------------------

UnicodeString TEnumPropFieldProperty::GetValue() {
    TPropValueNames* names = FPropField->GetValueNames();
    const Variant value = FPropField->GetValue();
    if (value.IsEmpty() || value.IsNull()) return {};
    const int n = value.AsInteger();
    if (n < 0) return {};
    // A value without a name shows as its number rather than failing.
    const int line = names->IndexOfValue(n);
    return line >= 0 ? names->GetNames(line) : IntToStr(n);
}

bool TEnumPropFieldProperty::GetEditValue(UnicodeString& Value) {
    Value = GetValue();
    return true;
}

void TEnumPropFieldProperty::GetValues(const TGetStrProc& Proc) {
    TPropValueNames* names = FPropField->GetValueNames();
    for (int i = 0; i < names->GetCount(); ++i)
        Proc(names->GetNames(i));
}

void TEnumPropFieldProperty::SetValue(const UnicodeString& Value) {
    TPropValueNames* names = FPropField->GetValueNames();
    const int line = names->IndexOfName(Value);
    // An unknown name is refused as the field refuses a value outside its list.
    if (line < 0) PropError(u"Invalid enumeration value");
    FPropField->SetValue(Variant(StrToInt(names->GetValueFromIndex(line))));
}
