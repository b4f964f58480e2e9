// Typed fields: conversion of entered text, validation, text forms, value
// names, and the write pipeline, against an in-memory set on a fixed locale.
#include "PropTestSupport.h"

#include <quorlpak/Colors.h>
#include <runpak/DateTime.h>

#include "CaseName.h"
#include <memory>

namespace {

class PropFieldTest : public FixedLocale {
protected:
    void SetUp() override {
        FixedLocale::SetUp();
        set = std::make_unique<TIniPropSet>(nullptr);
    }
    void TearDown() override {
        set.reset();
        FixedLocale::TearDown();
    }
    template <class F> F* Add(const UnicodeString& name) {
        auto* field = new F(set.get());
        field->SetFieldName(name);
        field->SetPropSet(set.get());
        return field;
    }

    std::unique_ptr<TIniPropSet> set;
};

// ---- Conversion of entered text ------------------------------------------------------------

struct ConvertCase {
    const char* name;
    TPropFieldType type;
    const char16_t* text;
    const char16_t* stored; // the value read back as text, or null when the entry fails
    const char16_t* error;
};

TPropField* MakeField(TPropSet* set, TPropFieldType type) {
    TPropField* field;
    switch (type) {
    case ptInteger:
        field = new TIntegerPropField(set);
        break;
    case ptReal:
        field = new TFloatPropField(set);
        break;
    case ptDate:
        field = new TDatePropField(set);
        break;
    case ptTime:
        field = new TTimePropField(set);
        break;
    case ptDateTime:
        field = new TDateTimePropField(set);
        break;
    case ptColor:
        field = new TColorPropField(set);
        break;
    default:
        field = new TStringPropField(set);
        break;
    }
    field->SetFieldName(u"F");
    field->SetPropSet(set);
    return field;
}

class ConvertTest : public FixedLocale, public testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertTest, EnteredTextIsConvertedOrRefusedWithoutWriting) {
    const ConvertCase& c = GetParam();
    TIniPropSet set(nullptr);
    TPropField* field = MakeField(&set, c.type);
    UnicodeString before = field->GetEditText();
    if (c.stored) {
        field->SetEditText(c.text);
        EXPECT_EQ(field->GetEditText(), UnicodeString(c.stored));
    } else {
        try {
            field->SetEditText(c.text);
            FAIL() << "no error for " << c.name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetMessage(), UnicodeString(c.error));
        }
        EXPECT_EQ(field->GetEditText(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PerType, ConvertTest,
    testing::Values(
        ConvertCase{"StringKeepsText", ptString, u" a b ", u" a b ", nullptr},
        ConvertCase{"Integer", ptInteger, u"-42", u"-42", nullptr},
        ConvertCase{"IntegerHex", ptInteger, u"$10", u"16", nullptr},
        ConvertCase{"IntegerBad", ptInteger, u"12a", nullptr,
                    u"Value must be a valid integer number"},
        ConvertCase{"IntegerTooBig", ptInteger, u"4294967296", nullptr,
                    u"Value must be a valid integer number"},
        ConvertCase{"Float", ptReal, u"2.5", u"2.5", nullptr},
        ConvertCase{"FloatExponent", ptReal, u"1E3", u"1000", nullptr},
        ConvertCase{"FloatBad", ptReal, u"2,5x", nullptr,
                    u"Value must be a valid floating point number"},
        ConvertCase{"Date", ptDate, u"2024-02-29", u"2024-02-29", nullptr},
        ConvertCase{"DateBad", ptDate, u"2024-02-30", nullptr, u"Value must be a valid date/time"},
        ConvertCase{"Time", ptTime, u"13:05:09", u"13:05:09", nullptr},
        ConvertCase{"DateTime", ptDateTime, u"2024-01-02 03:04:05", u"2024-01-02 03:04:05",
                    nullptr},
        ConvertCase{"ColorName", ptColor, u"clRed", u"clRed", nullptr},
        ConvertCase{"ColorNumberOfNamedColor", ptColor, u"$0000FF", u"clRed", nullptr},
        ConvertCase{"ColorNumber", ptColor, u"$00123456", u"$00123456", nullptr},
        ConvertCase{"ColorBad", ptColor, u"reddish", nullptr, u"Value must be a valid color"}),
    [](const testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

// ---- Validation -------------------------------------------------------------------------------

struct RangeCase {
    int min, max, value;
    bool accepted;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.min << " to " << c.max << " value " << c.value;
}

class IntegerRangeTest : public FixedLocale, public testing::WithParamInterface<RangeCase> {};

TEST_P(IntegerRangeTest, BoundsApplyWhenEitherIsSet) {
    const RangeCase& c = GetParam();
    TIniPropSet set(nullptr);
    auto* field = static_cast<TIntegerPropField*>(MakeField(&set, ptInteger));
    field->SetMinValue(c.min);
    field->SetMaxValue(c.max);
    if (c.accepted) {
        field->SetValue(c.value);
        EXPECT_EQ(field->GetValue().AsInteger(), c.value);
    } else {
        try {
            field->SetValue(c.value);
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetMessage(), Format(u"Value not in the range %d to %d", c.min, c.max));
        }
        EXPECT_EQ(field->GetValue().AsInteger(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerRangeTest,
                         testing::Values(RangeCase{0, 0, 2147483647, true},
                                         RangeCase{0, 0, -2147483647 - 1, true},
                                         RangeCase{1, 10, 10, true}, RangeCase{1, 10, 11, false},
                                         RangeCase{1, 10, 0, false},
                                         // A single non-zero bound turns on both.
                                         RangeCase{1, 0, 1, false}, RangeCase{1, 0, 0, false},
                                         RangeCase{0, 5, -1, false}),
                         CaseName());

TEST_F(PropFieldTest, FloatRangeFollowsTheBoundsAsTheyChange) {
    auto* field = Add<TFloatPropField>(u"Ratio");
    EXPECT_FALSE(field->GetCheckRange());
    field->SetValue(1e300);
    field->SetMaxValue(1.5);
    EXPECT_TRUE(field->GetCheckRange());
    EXPECT_THROW(field->SetValue(1.75), Exception);
    field->SetValue(-0.0);
    try {
        field->SetValue(-0.5);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Value not in the range 0 to 1.5");
    }
    field->SetMaxValue(0);
    EXPECT_FALSE(field->GetCheckRange());
    field->SetValue(-0.5);
    EXPECT_EQ(field->GetValue().AsDouble(), -0.5);
}

TEST_F(PropFieldTest, StrictEnumRefusesUnknownValuesAndLaxOneShowsTheNumber) {
    auto* field = Add<TEnumPropField>(u"Mode");
    field->GetValueNames()->AddValue(u"Fast", 1);
    field->GetValueNames()->AddValue(u"Safe", 2);
    try {
        field->SetValue(3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Invalid enumeration value");
    }
    field->SetValueName(u"Safe");
    EXPECT_EQ(field->GetValue().AsInteger(), 2);
    EXPECT_EQ(field->GetDisplayText(), u"Safe");
    field->SetStrictValues(false);
    field->SetValue(3);
    EXPECT_EQ(field->GetDisplayText(), u"3");
    EXPECT_EQ(field->GetValueName(), u"3");
}

TEST_F(PropFieldTest, OnValidateRunsAfterTheTypeCheckAndCanRefuse) {
    auto* field = Add<TIntegerPropField>(u"N");
    field->SetMaxValue(10);
    std::vector<int> seen;
    field->OnValidate = [&](TPropField*, const Variant& v) {
        seen.push_back(v.AsInteger());
        if (v.AsInteger() == 7) throw Exception(u"no sevens");
    };
    EXPECT_THROW(field->SetEditText(u"11"), Exception);
    EXPECT_TRUE(seen.empty());
    EXPECT_THROW(field->SetEditText(u"7"), Exception);
    field->SetEditText(u"8");
    EXPECT_EQ(seen, (std::vector<int>{7, 8}));
    EXPECT_EQ(field->GetValue().AsInteger(), 8);
}

// ---- Text forms
// ----------------------------------------------------------------------------------

struct TextCase {
    const char* name;
    std::function<TPropField*(TPropSet*)> make;
    Variant value;
    const char16_t* display;
    const char16_t* edit;
};

class TextFormTest : public FixedLocale, public testing::WithParamInterface<TextCase> {};

TEST_P(TextFormTest, DisplayAndEditText) {
    const TextCase& c = GetParam();
    TIniPropSet set(nullptr);
    TPropField* field = c.make(&set);
    field->SetValue(c.value);
    EXPECT_EQ(field->GetDisplayText(), UnicodeString(c.display));
    EXPECT_EQ(field->GetEditText(), UnicodeString(c.edit));
}

template <class F, class Setup> std::function<TPropField*(TPropSet*)> Maker(Setup setup) {
    return [setup](TPropSet* set) -> TPropField* {
        auto* field = new F(set);
        field->SetFieldName(u"F");
        field->SetPropSet(set);
        setup(field);
        return field;
    };
}

INSTANTIATE_TEST_SUITE_P(
    PerType, TextFormTest,
    testing::Values(
        TextCase{"IntegerPlain", Maker<TIntegerPropField>([](auto*) {}), 1234, u"1234", u"1234"},
        TextCase{"IntegerDisplayFormat",
                 Maker<TIntegerPropField>([](auto* f) { f->SetDisplayFormat(u"#,##0"); }), 1234,
                 u"1,234", u"1,234"},
        TextCase{"IntegerEditFormat", Maker<TIntegerPropField>([](auto* f) {
                     f->SetDisplayFormat(u"#,##0 pcs");
                     f->SetEditFormat(u"0");
                 }),
                 1234, u"1,234 pcs", u"1234"},
        TextCase{"FloatGeneral", Maker<TFloatPropField>([](auto*) {}), 2.5, u"2.5", u"2.5"},
        TextCase{"FloatPrecision", Maker<TFloatPropField>([](auto* f) { f->SetPrecision(4); }),
                 3.14159, u"3.142", u"3.142"},
        TextCase{"FloatCurrency", Maker<TFloatPropField>([](auto* f) { f->SetCurrency(true); }),
                 1234.5, u"$1,234.50", u"1234.50"},
        TextCase{"FloatFormats", Maker<TFloatPropField>([](auto* f) {
                     f->SetDisplayFormat(u"0.00 mm");
                     f->SetEditFormat(u"0.###");
                 }),
                 1.5, u"1.50 mm", u"1.5"},
        TextCase{"Date", Maker<TDatePropField>([](auto*) {}), EncodeDate(2024, 3, 9), u"2024-03-09",
                 u"2024-03-09"},
        TextCase{"DateDisplayFormat",
                 Maker<TDatePropField>([](auto* f) { f->SetDisplayFormat(u"d mmm yyyy"); }),
                 EncodeDate(2024, 3, 9), u"9 Mar 2024", u"2024-03-09"},
        TextCase{"Time", Maker<TTimePropField>([](auto*) {}), EncodeTime(7, 8, 9, 0), u"07:08:09",
                 u"07:08:09"},
        TextCase{"DateTime", Maker<TDateTimePropField>([](auto*) {}),
                 EncodeDateTime(2024, 3, 9, 7, 8, 9, 0), u"2024-03-09 07:08:09",
                 u"2024-03-09 07:08:09"},
        TextCase{"StringMask",
                 Maker<TStringPropField>([](auto* f) { f->SetEditMask(u"000-0000;0;_"); }),
                 u"5551234", u"555-1234", u"5551234"},
        TextCase{"BooleanInIniShowsItsNumber", Maker<TBooleanPropField>([](auto*) {}), true, u"-1",
                 u"-1"},
        TextCase{"Enum",
                 Maker<TEnumPropField>([](auto* f) { f->GetValueNames()->AddValue(u"Red", 4); }), 4,
                 u"Red", u"Red"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST_F(PropFieldTest, OnGetTextAndOnSetTextReplaceTheTextForms) {
    auto* field = Add<TIntegerPropField>(u"N");
    field->OnGetText = [](TPropField*, UnicodeString& text, bool display) {
        text = display ? u"shown" : u"edited";
    };
    std::vector<UnicodeString> entered;
    field->OnSetText = [&](TPropField*, const UnicodeString& text) { entered.push_back(text); };
    EXPECT_EQ(field->GetDisplayText(), u"shown");
    EXPECT_EQ(field->GetEditText(), u"edited");
    field->SetEditText(u"12");
    EXPECT_EQ(entered, std::vector<UnicodeString>{u"12"});
    EXPECT_EQ(field->GetValue().AsInteger(), 0);
}

// ---- Value names
// --------------------------------------------------------------------------------------

TEST_F(PropFieldTest, BooleanValueNamesReadTheFirstMatchingLine) {
    auto* field = Add<TBooleanPropField>(u"On");
    EXPECT_EQ(field->GetValueNames()->GetText(),
              u"True=-1\r\nFalse=0\r\nYes=-1\r\nNo=0\r\n1=-1\r\n0=0\r\n");
    field->SetValueName(u"Yes");
    EXPECT_TRUE(field->GetValue().AsBoolean());
    EXPECT_EQ(field->GetValueName(), u"True");
    field->SetValueName(u"0");
    EXPECT_EQ(field->GetValueName(), u"False");
    // A text that names no line goes on as itself.
    field->SetValueName(u"-1");
    EXPECT_EQ(field->GetValueName(), u"True");
}

TEST_F(PropFieldTest, AddValueFollowsTheDuplicatesSetting) {
    TPropValueNames names;
    names.AddValue(u"A", 1);
    names.AddValue(u"B", 1); // ignored
    EXPECT_EQ(names.GetCount(), 1);
    names.SetDuplicates(dupError);
    try {
        names.AddValue(u"C", 1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Duplicate Value: 1");
    }
    names.SetDuplicates(dupAccept);
    names.AddValue(u"D", true);
    names.AddValue(u"E", 1);
    EXPECT_EQ(names.GetText(), u"A=1\r\nD=-1\r\nE=1\r\n");
    EXPECT_EQ(names.IndexOfValue(1), 0);
    EXPECT_EQ(names.IndexOfValue(-1), 1);
    EXPECT_EQ(names.IndexOfValue(5), -1);
}

TEST_F(PropFieldTest, ColoursInAnySpellingCompareEqualOnceConverted) {
    auto* field = Add<TColorPropField>(u"Back");
    int changes = 0;
    field->OnChange = [&](TPropField*) { ++changes; };
    field->SetEditText(u"clBlue");
    int afterFirst = changes;
    EXPECT_GT(afterFirst, 0);
    field->SetEditText(u"$FF0000");
    EXPECT_EQ(changes, afterFirst);
    EXPECT_EQ(field->GetColor(), clBlue);
    field->SetColor(clLime);
    EXPECT_EQ(VarToStr(field->GetValue()), u"clLime");
}

// ---- The write pipeline
// --------------------------------------------------------------------------------

TEST_F(PropFieldTest, WritingTheStoredValueAgainWritesAndAnnouncesNothing) {
    auto* field = Add<TStringPropField>(u"Name");
    std::vector<THeard> log;
    TRecordingLink link(1, &log);
    link.SetPropSet(set.get());
    log.clear();
    int changes = 0;
    field->OnChange = [&](TPropField*) { ++changes; };
    field->SetValue(u"x");
    // The store announces the change, then the field once more.
    EXPECT_EQ(log, (std::vector<THeard>{{1, peFieldChange, field}, {1, peFieldChange, field}}));
    EXPECT_EQ(changes, 2);
    log.clear();
    field->SetValue(u"x");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(changes, 2);
}

TEST_F(PropFieldTest, AFieldWithoutASetReadsEmptyAndIgnoresWrites) {
    TIntegerPropField field(nullptr);
    field.SetValue(5);
    EXPECT_TRUE(field.GetValue().IsEmpty());
    EXPECT_EQ(field.GetDisplayText(), u"");
    EXPECT_THROW(field.SetEditText(u"five"), Exception); // conversion still applies
}

TEST_F(PropFieldTest, FieldNamesAreSetOnceAndUniqueInTheirSet) {
    auto* a = Add<TIntegerPropField>(u"Width");
    try {
        a->SetFieldName(u"Height");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Field name can't be modified");
    }
    auto* b = new TIntegerPropField(set.get());
    try {
        b->SetPropSet(set.get());
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Field name missing");
    }
    b->SetFieldName(u"WIDTH");
    try {
        b->SetPropSet(set.get());
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Duplicate field name 'WIDTH'");
    }
    EXPECT_EQ(b->GetPropSet(), nullptr);
    EXPECT_EQ(set->GetFieldCount(), 1);
    EXPECT_EQ(set->FieldByName(u"WiDtH"), a);
}

TEST_F(PropFieldTest, SettersAndDefaults) {
    auto* f = Add<TFloatPropField>(u"F");
    f->SetPrecision(1);
    EXPECT_EQ(f->GetPrecision(), 2);
    f->SetPrecision(20);
    EXPECT_EQ(f->GetPrecision(), 15);
    EXPECT_EQ(f->GetAlignment(), taRightJustify);
    EXPECT_EQ(f->GetDisplayWidth(), 20);
    EXPECT_EQ(f->GetDisplayLabel(), u"F");
    f->SetDisplayLabel(u"Factor");
    EXPECT_EQ(f->GetDisplayLabel(), u"Factor");

    auto* d = Add<TDatePropField>(u"D");
    d->SetDefaultValue(45000.75);
    EXPECT_EQ(d->GetDefaultValueDate().Val(), 45000.0);
    auto* t = Add<TTimePropField>(u"T");
    t->SetDefaultValue(45000.75);
    EXPECT_EQ(t->GetDefaultValueDate().Val(), 0.75);

    EXPECT_EQ(Add<TBooleanPropField>(u"B")->GetControlClass(), u"TPropCheckBox");
    EXPECT_EQ(Add<TEnumPropField>(u"E")->GetControlClass(), u"TPropComboBox");
    EXPECT_EQ(Add<TColorPropField>(u"C")->GetControlClass(), u"TPropColorBox");
    auto* s = Add<TStringPropField>(u"S");
    EXPECT_EQ(s->GetControlClass(), u"TPropEdit");
    s->SetControlClass(u"TPropMemo");
    EXPECT_EQ(s->GetControlClass(), u"TPropMemo");
    EXPECT_EQ(TCustomPropSet::GetDefaultControlClass(TPropField::StaticClass()), u"TPropEdit");
}

TEST_F(PropFieldTest, OleStringsOnlyStoresWideStrings) {
    auto* s = Add<TStringPropField>(u"S");
    Variant v = u"abc";
    s->ConvertType(v);
    EXPECT_EQ(v.VarType(), varUString);
    s->SetOleStringsOnly(true);
    s->ConvertType(v);
    EXPECT_EQ(v.VarType(), varOleStr);
    Variant n = 5;
    s->ConvertType(n);
    EXPECT_EQ(n.VarType(), varInteger);
}

} // namespace
