// What streaming and the designer know of the field and set classes: their
// names, ancestors and published properties; and the unit's start-up.
#include "benchkit/props/IDEPropSet.h"

#include <runpak/TypeInfo.h>

namespace {

PTypeInfo TypeInfo_TAlignment() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TAlignment", {u"taLeftJustify", u"taRightJustify", u"taCenter"});
    return &info;
}

PTypeInfo TypeInfo_TPropFieldType() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TPropFieldType",
        {u"ptString", u"ptInteger", u"ptBoolean", u"ptReal", u"ptCurrency", u"ptDate", u"ptTime",
         u"ptDateTime", u"ptEnum", u"ptUnsupported", u"ptUserDefined", u"ptColor"});
    return &info;
}

// A typed field's description, starting with the four events every typed
// field republishes.
template <class T> TClassBuilder<T> FieldBuilder(UnicodeString name, TClass parent) {
    TClassBuilder<T> builder(std::move(name), parent);
    builder.Event(u"OnChange", static_cast<TPropFieldNotifyEvent T::*>(&TPropField::OnChange))
        .Event(u"OnGetText", static_cast<TPropFieldGetTextEvent T::*>(&TPropField::OnGetText))
        .Event(u"OnSetText", static_cast<TPropFieldSetTextEvent T::*>(&TPropField::OnSetText))
        .Event(u"OnValidate", static_cast<TPropFieldValidateEvent T::*>(&TPropField::OnValidate));
    return builder;
}

} // namespace

TClass TPropField::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPropField>(u"TPropField", TComponent::StaticClass())
            .Property(u"Alignment", TypeInfo_TAlignment, &TPropField::GetAlignment,
                      &TPropField::SetAlignment)
            .Default(taLeftJustify)
            .Property(u"Description", UnicodeStringTypeInfo, &TPropField::GetDescription,
                      &TPropField::SetDescription)
            .Property(u"DisplayLabel", UnicodeStringTypeInfo, &TPropField::GetDisplayLabelText,
                      &TPropField::SetDisplayLabel)
            .Property(
                u"DisplayWidth", IntegerTypeInfo, [](TPropField* f) { return f->FDisplayWidth; },
                &TPropField::SetDisplayWidth)
            .Property(u"FieldName", UnicodeStringTypeInfo, &TPropField::GetFieldName,
                      &TPropField::SetFieldName)
            .Property(u"ControlClass", UnicodeStringTypeInfo, &TPropField::GetControlClassText,
                      &TPropField::SetControlClass)
            .ReadOnlyProperty(u"FieldType", TypeInfo_TPropFieldType, &TPropField::GetFieldType)
            .Stored(false));
    return &meta;
}

TClass TStringPropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TStringPropField>(u"TStringPropField", TPropField::StaticClass())
            .Property(u"DefaultValue", UnicodeStringTypeInfo,
                      &TStringPropField::GetDefaultValueText, &TStringPropField::SetDefaultValue)
            .Property(u"OleStringsOnly", BooleanTypeInfo, &TStringPropField::GetOleStringsOnly,
                      &TStringPropField::SetOleStringsOnly)
            .Default(0)
            .Property(u"EditMask", UnicodeStringTypeInfo, &TPropField::GetEditMask,
                      &TPropField::SetEditMask));
    return &meta;
}

TClass TNumericPropField::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TNumericPropField>(u"TNumericPropField", TPropField::StaticClass())
            .Property(u"Alignment", TypeInfo_TAlignment, &TPropField::GetAlignment,
                      &TPropField::SetAlignment)
            .Default(taRightJustify)
            .Property(u"DisplayFormat", UnicodeStringTypeInfo, &TNumericPropField::GetDisplayFormat,
                      &TNumericPropField::SetDisplayFormat)
            .Property(u"EditFormat", UnicodeStringTypeInfo, &TNumericPropField::GetEditFormat,
                      &TNumericPropField::SetEditFormat));
    return &meta;
}

TClass TIntegerPropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TIntegerPropField>(u"TIntegerPropField", TNumericPropField::StaticClass())
            .Property(u"MinValue", IntegerTypeInfo, &TIntegerPropField::GetMinValue,
                      &TIntegerPropField::SetMinValue)
            .Default(0)
            .Property(u"MaxValue", IntegerTypeInfo, &TIntegerPropField::GetMaxValue,
                      &TIntegerPropField::SetMaxValue)
            .Default(0)
            .Property(u"DefaultValue", IntegerTypeInfo, &TIntegerPropField::GetDefaultValueInt,
                      &TIntegerPropField::SetDefaultValue)
            .Default(0));
    return &meta;
}

TClass TFloatPropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TFloatPropField>(u"TFloatPropField", TNumericPropField::StaticClass())
            .Property(u"Currency", BooleanTypeInfo, &TFloatPropField::GetCurrency,
                      &TFloatPropField::SetCurrency)
            .Default(0)
            .Property(u"Precision", IntegerTypeInfo, &TFloatPropField::GetPrecision,
                      &TFloatPropField::SetPrecision)
            .Default(15)
            .Property(u"MinValue", DoubleTypeInfo, &TFloatPropField::GetMinValue,
                      &TFloatPropField::SetMinValue)
            .Property(u"MaxValue", DoubleTypeInfo, &TFloatPropField::GetMaxValue,
                      &TFloatPropField::SetMaxValue)
            .Property(u"DefaultValue", DoubleTypeInfo, &TFloatPropField::GetDefaultValueFloat,
                      &TFloatPropField::SetDefaultValue));
    return &meta;
}

TClass TDateTimePropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TDateTimePropField>(u"TDateTimePropField", TPropField::StaticClass())
            .Property(
                u"DefaultValue", DoubleTypeInfo,
                [](TDateTimePropField* f) { return f->GetDefaultValueDate().Val(); },
                [](TDateTimePropField* f, double v) { f->SetDefaultValue(v); })
            .Property(u"DisplayFormat", UnicodeStringTypeInfo,
                      &TDateTimePropField::GetDisplayFormat, &TDateTimePropField::SetDisplayFormat)
            .Property(u"EditMask", UnicodeStringTypeInfo, &TPropField::GetEditMask,
                      &TPropField::SetEditMask));
    return &meta;
}

TClass TDatePropField::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TDatePropField>(u"TDatePropField", TDateTimePropField::StaticClass()));
    return &meta;
}

TClass TTimePropField::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTimePropField>(u"TTimePropField", TDateTimePropField::StaticClass()));
    return &meta;
}

TClass TBooleanPropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TBooleanPropField>(u"TBooleanPropField", TPropField::StaticClass())
            .Property(u"DefaultValue", BooleanTypeInfo, &TBooleanPropField::GetDefaultValueBool,
                      &TBooleanPropField::SetDefaultValue)
            .Default(0));
    return &meta;
}

TClass TEnumPropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TEnumPropField>(u"TEnumPropField", TPropField::StaticClass())
            .Property(u"StrictValues", BooleanTypeInfo, &TEnumPropField::GetStrictValues,
                      &TEnumPropField::SetStrictValues)
            .Default(1)
            // Always stored, so that a 0 default survives streaming.
            .Property(u"DefaultValue", IntegerTypeInfo, &TEnumPropField::GetDefaultValueInt,
                      &TEnumPropField::SetDefaultValue)
            .Property(
                u"ValueNames", ClassTypeInfo<TPropValueNames>,
                [](TEnumPropField* f) { return f->GetValueNames(); },
                [](TEnumPropField* f, TPropValueNames* v) { f->SetValueNames(v); }));
    return &meta;
}

TClass TColorPropField::StaticClass() {
    static const TMetaClass meta(
        FieldBuilder<TColorPropField>(u"TColorPropField", TPropField::StaticClass())
            .Property(u"DefaultValue", IntegerTypeInfo, &TColorPropField::GetDefaultValueColor,
                      &TColorPropField::SetDefaultValue)
            .Default(0));
    return &meta;
}

TClass TCustomPropSet::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomPropSet>(u"TCustomPropSet", TComponent::StaticClass()));
    return &meta;
}

TClass TPropSet::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPropSet>(u"TPropSet", TCustomPropSet::StaticClass()));
    return &meta;
}

TClass TPropSetSource::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPropSetSource>(u"TPropSetSource", TCustomPropSet::StaticClass())
            .Property(u"PropSet", ClassTypeInfo<TCustomPropSet>, &TPropSetSource::GetPropSet,
                      &TPropSetSource::SetPropSet));
    return &meta;
}

void InitializeIDEPropSet() {
    RegisterClasses({TStringPropField::StaticClass(), TIntegerPropField::StaticClass(),
                     TFloatPropField::StaticClass(), TDateTimePropField::StaticClass(),
                     TDatePropField::StaticClass(), TTimePropField::StaticClass(),
                     TBooleanPropField::StaticClass(), TEnumPropField::StaticClass(),
                     TColorPropField::StaticClass(), TPropSetSource::StaticClass()});
}

void FinalizeIDEPropSet() {
    UnRegisterClasses({TStringPropField::StaticClass(), TIntegerPropField::StaticClass(),
                       TFloatPropField::StaticClass(), TDateTimePropField::StaticClass(),
                       TDatePropField::StaticClass(), TTimePropField::StaticClass(),
                       TBooleanPropField::StaticClass(), TEnumPropField::StaticClass(),
                       TColorPropField::StaticClass(), TPropSetSource::StaticClass()});
    RegisterPropFieldsProc = nullptr;
}
