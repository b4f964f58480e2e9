// The typed fields: how each converts text, checks values and writes them as text.
#include "benchkit/props/IDEPropSet.h"
#include "benchkit/props/PropMaskText.h"

#include <quorlpak/Colors.h>
#include <runpak/DateTime.h>
#include <runpak/Strings.h>

#include <cmath>

namespace {

bool IsBlank(const Variant& value) {
    return value.IsEmpty() || value.IsNull();
}

} // namespace

// ---- String ---------------------------------------------------------------------------------

TStringPropField::TStringPropField(TComponent* AOwner) : TPropField(AOwner) {
    FFieldType = ptString;
    FDisplayWidth = 20;
}

void TStringPropField::GetText(UnicodeString& Text, bool DisplayText) {
    Text = VarToStr(GetValue());
    if (DisplayText && !FEditMask.empty()) Text = benchkit::props::FormatMaskText(FEditMask, Text);
}

void TStringPropField::ConvertType(Variant& Value) {
    if (FOleStringsOnly && VarIsStr(Value)) Value = Variant::FromOleStr(Value.AsString());
}

// ---- Numeric ----------------------------------------------------------------------------------

TNumericPropField::TNumericPropField(TComponent* AOwner) : TPropField(AOwner) {
    FAlignment = taRightJustify;
}

void TNumericPropField::SetDisplayFormat(const UnicodeString& Value) {
    FDisplayFormat = Value;
    Change();
}

void TNumericPropField::SetEditFormat(const UnicodeString& Value) {
    FEditFormat = Value;
    Change();
}

// ---- Integer ----------------------------------------------------------------------------------

TIntegerPropField::TIntegerPropField(TComponent* AOwner) : TNumericPropField(AOwner) {
    FFieldType = ptInteger;
}

void TIntegerPropField::ConvertType(Variant& Value) {
    if (!VarIsStr(Value)) return;
    try {
        Value = StrToInt(Value.AsString());
    } catch (const EConvertError&) {
        PropError(u"Value must be a valid integer number");
    }
}

void TIntegerPropField::Validate(const Variant& Value) {
    // Both bounds 0 means no range; either one set turns on both.
    if (FMinValue != 0 || FMaxValue != 0) {
        int n = Value.AsInteger();
        if (n < FMinValue || n > FMaxValue)
            PropErrorFmt(u"Value not in the range %d to %d", {FMinValue, FMaxValue});
    }
    TPropField::Validate(Value);
}

void TIntegerPropField::GetText(UnicodeString& Text, bool DisplayText) {
    Variant value = GetValue();
    if (IsBlank(value)) {
        Text.clear();
        return;
    }
    const UnicodeString& format =
        (DisplayText || FEditFormat.empty()) ? FDisplayFormat : FEditFormat;
    if (!format.empty())
        Text = FormatFloat(format, value.AsDouble());
    else
        Text = IntToStr(value.AsInteger());
}

// ---- Float --------------------------------------------------------------------------------------

TFloatPropField::TFloatPropField(TComponent* AOwner) : TNumericPropField(AOwner) {
    FFieldType = ptReal;
}

void TFloatPropField::SetCurrency(bool Value) {
    if (Value == FCurrency) return;
    FCurrency = Value;
    Change();
}

void TFloatPropField::SetPrecision(int Value) {
    Value = Value < 2 ? 2 : Value > 15 ? 15 : Value;
    if (Value == FPrecision) return;
    FPrecision = Value;
    Change();
}

void TFloatPropField::SetMinValue(double Value) {
    if (Value == FMinValue) return;
    FMinValue = Value;
    UpdateCheckRange();
}

void TFloatPropField::SetMaxValue(double Value) {
    if (Value == FMaxValue) return;
    FMaxValue = Value;
    UpdateCheckRange();
}

void TFloatPropField::ConvertType(Variant& Value) {
    if (!VarIsStr(Value)) return;
    try {
        Value = double(StrToFloat(Value.AsString()));
    } catch (const EConvertError&) {
        PropError(u"Value must be a valid floating point number");
    }
}

void TFloatPropField::Validate(const Variant& Value) {
    if (FCheckRange) {
        double x = Value.AsDouble();
        if (x < FMinValue || x > FMaxValue)
            PropErrorFmt(u"Value not in the range %g to %g", {FMinValue, FMaxValue});
    }
    TPropField::Validate(Value);
}

void TFloatPropField::GetText(UnicodeString& Text, bool DisplayText) {
    Variant value = GetValue();
    if (IsBlank(value)) {
        Text.clear();
        return;
    }
    double x = value.AsDouble();
    const UnicodeString& format =
        (!DisplayText && !FEditFormat.empty()) ? FEditFormat : FDisplayFormat;
    if (!format.empty())
        Text = FormatFloat(format, x);
    else if (FCurrency)
        Text = FloatToStrF(x, DisplayText ? ffCurrency : ffFixed, FPrecision,
                           FormatSettings().CurrencyDecimals);
    else
        Text = FloatToStrF(x, ffGeneral, FPrecision, 0);
}

// ---- Date and time
// ----------------------------------------------------------------------------------

TDateTimePropField::TDateTimePropField(TComponent* AOwner) : TPropField(AOwner) {
    FFieldType = ptDateTime;
}

void TDateTimePropField::SetDefaultValue(TDateTime Value) {
    double v = Value.Val();
    if (FFieldType == ptDate)
        v = std::trunc(v);
    else if (FFieldType == ptTime)
        v = v - std::trunc(v);
    FDefaultValue = v;
}

void TDateTimePropField::SetDisplayFormat(const UnicodeString& Value) {
    if (Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    Change();
}

void TDateTimePropField::ConvertType(Variant& Value) {
    if (!VarIsStr(Value)) return;
    try {
        Value = Value.AsDateTime();
    } catch (const EConvertError&) {
        PropError(u"Value must be a valid date/time");
    } catch (const EVariantError&) {
        PropError(u"Value must be a valid date/time");
    }
}

void TDateTimePropField::GetText(UnicodeString& Text, bool DisplayText) {
    Variant value = GetValue();
    if (IsBlank(value)) {
        Text.clear();
        return;
    }
    TDateTime t = value.AsDateTime();
    if (DisplayText && !FDisplayFormat.empty())
        Text = FormatDateTime(FDisplayFormat, t);
    else if (FFieldType == ptDate)
        Text = FormatDateTime(FormatSettings().ShortDateFormat, t);
    else if (FFieldType == ptTime)
        Text = FormatDateTime(FormatSettings().LongTimeFormat, t);
    else
        Text = FormatDateTime(u"", t);
}

TDatePropField::TDatePropField(TComponent* AOwner) : TDateTimePropField(AOwner) {
    FFieldType = ptDate;
}

TTimePropField::TTimePropField(TComponent* AOwner) : TDateTimePropField(AOwner) {
    FFieldType = ptTime;
}

// ---- Boolean
// ---------------------------------------------------------------------------------------

TBooleanPropField::TBooleanPropField(TComponent* AOwner) : TPropField(AOwner) {
    FFieldType = ptBoolean;
    FValueNames->SetDuplicates(dupAccept);
    FValueNames->AddValue(u"True", true);
    FValueNames->AddValue(u"False", false);
    FValueNames->AddValue(u"Yes", true);
    FValueNames->AddValue(u"No", false);
    FValueNames->AddValue(u"1", true);
    FValueNames->AddValue(u"0", false);
}

// ---- Enumeration
// -------------------------------------------------------------------------------------

TEnumPropField::TEnumPropField(TComponent* AOwner) : TPropField(AOwner) {
    FFieldType = ptEnum;
}

void TEnumPropField::Validate(const Variant& Value) {
    if (FStrictValues && FValueNames->IndexOfValue(Value.AsInteger()) < 0)
        PropError(u"Invalid enumeration value");
    TPropField::Validate(Value);
}

void TEnumPropField::GetText(UnicodeString& Text, bool DisplayText) {
    Variant value = GetValue();
    if (!IsBlank(value)) {
        int n = 0;
        bool numeric = true;
        try {
            n = value.AsInteger();
        } catch (const EVariantError&) {
            numeric = false;
        }
        int index = numeric ? FValueNames->IndexOfValue(n) : -1;
        if (index >= 0) {
            Text = FValueNames->GetNames(index);
            return;
        }
    }
    TPropField::GetText(Text, DisplayText);
}

// ---- Colour
// --------------------------------------------------------------------------------------------

TColorPropField::TColorPropField(TComponent* AOwner) : TPropField(AOwner) {
    FFieldType = ptColor;
    FAlignment = taRightJustify;
}

Variant TColorPropField::GetDefaultValue() const {
    return Variant(ColorToString(FDefaultValue));
}

int32_t TColorPropField::GetColor() {
    return StringToColor(VarToStr(GetValue()));
}

void TColorPropField::SetColor(int32_t Value) {
    SetValue(Variant(ColorToString(Value)));
}

void TColorPropField::ConvertType(Variant& Value) {
    if (!VarIsStr(Value)) return;
    try {
        Value = ColorToString(StringToColor(Value.AsString()));
    } catch (const EConvertError&) {
        PropError(u"Value must be a valid color");
    }
}
