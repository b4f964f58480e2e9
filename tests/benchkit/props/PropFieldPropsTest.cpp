// Fields as inspector properties: texts, value lists and the errors of the
// field's own checks, through the host's property interface.
#include "PropTestSupport.h"

#include "benchkit/props/IDEPropFieldProps.h"

#include <memory>

namespace {

class PropFieldPropsTest : public FixedLocale {
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
    static std::vector<UnicodeString> Values(IProperty* p) {
        std::vector<UnicodeString> out;
        p->GetValues([&](const UnicodeString& s) { out.push_back(s); });
        return out;
    }

    std::unique_ptr<TIniPropSet> set;
};

TEST_F(PropFieldPropsTest, PlainFieldShowsItsLabelTextAndDescription) {
    auto* field = Add<TIntegerPropField>(u"Width");
    field->SetDescription(u"How wide");
    InterfacePtr<IProperty> p(new TPropFieldProperty(field));
    EXPECT_EQ(p->GetName(), u"Width");
    field->SetDisplayLabel(u"Box width");
    EXPECT_EQ(p->GetName(), u"Box width");
    p->SetValue(u"12");
    EXPECT_EQ(field->GetValue().AsInteger(), 12);
    EXPECT_EQ(p->GetValue(), u"12");
    EXPECT_THROW(p->SetValue(u"wide"), Exception);
    EXPECT_EQ(field->GetValue().AsInteger(), 12);
    EXPECT_EQ(p->GetAttributes(), 0u);
    EXPECT_EQ(p->GetEditLimit(), -1);
    InterfacePtr<IWidePropertyDescription> description;
    ASSERT_TRUE(Supports(p.Get(), description));
    EXPECT_EQ(description->GetDescription(), u"How wide");
    InterfacePtr<IProperty80> v80;
    EXPECT_TRUE(Supports(p.Get(), v80));
    // Failures carry error information; late-bound calls are not offered.
    InterfacePtr<ISupportErrorInfo> errors;
    ASSERT_TRUE(Supports(p.Get(), errors));
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IIDOf<IProperty>()), S_OK);
    InterfacePtr<IDispatch> dispatch;
    ASSERT_TRUE(Supports(p.Get(), dispatch));
    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(dispatch->GetIDsOfNames(IIDOf<IProperty>(), nullptr, 0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(dispatch->Invoke(1, IIDOf<IProperty>(), 0, 1, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);
}

TEST_F(PropFieldPropsTest, BooleanFieldChoosesBetweenNoAndYes) {
    auto* field = Add<TBooleanPropField>(u"Wrap");
    InterfacePtr<IProperty> p(new TBooleanPropFieldProperty(field));
    EXPECT_EQ(p->GetAttributes(), paValueList);
    EXPECT_EQ(Values(p.Get()), (std::vector<UnicodeString>{u"No", u"Yes"}));
    struct Case {
        const char16_t* text;
        bool stored;
    };
    // Only the two texts count, in any letter case; anything else changes nothing.
    const Case cases[] = {{u"yES", true}, {u"True", true}, {u"no", false}, {u"1", false}};
    for (const Case& c : cases) {
        p->SetValue(c.text);
        EXPECT_EQ(field->GetValue().AsBoolean(), c.stored) << UnicodeToUtf8(c.text);
        EXPECT_EQ(p->GetValue(), c.stored ? u"Yes" : u"No");
    }
}

TEST_F(PropFieldPropsTest, EnumFieldMapsNamesToTheirValuesBothWays) {
    auto* field = Add<TEnumPropField>(u"Colour");
    field->GetValueNames()->AddValue(u"Red", 0);
    field->GetValueNames()->AddValue(u"Green", 5);
    InterfacePtr<IProperty> p(new TEnumPropFieldProperty(field));
    EXPECT_EQ(p->GetAttributes(), paValueList | paAutoUpdate);
    EXPECT_EQ(Values(p.Get()), (std::vector<UnicodeString>{u"Red", u"Green"}));

    p->SetValue(u"Green");
    EXPECT_EQ(field->GetValue().AsInteger(), 5);
    EXPECT_EQ(p->GetValue(), u"Green");
    UnicodeString edit;
    EXPECT_TRUE(p->GetEditValue(edit));
    EXPECT_EQ(edit, u"Green");

    // An unknown name is refused with the field's own error, and nothing is stored.
    try {
        p->SetValue(u"Blue");
        ADD_FAILURE() << "an unknown name was taken";
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Invalid enumeration value");
    }
    EXPECT_EQ(field->GetValue().AsInteger(), 5);
}

TEST_F(PropFieldPropsTest, EnumValueWithoutANameShowsAsItsNumberAndNegativeAsEmpty) {
    auto* field = Add<TEnumPropField>(u"Mode");
    field->SetStrictValues(false);
    field->GetValueNames()->AddValue(u"Off", 0);
    field->GetValueNames()->AddValue(u"On", 1);
    InterfacePtr<IProperty> p(new TEnumPropFieldProperty(field));
    struct Case {
        int stored;
        const char16_t* shown;
    };
    const Case cases[] = {{0, u"Off"}, {1, u"On"}, {7, u"7"}, {-1, u""}};
    for (const Case& c : cases) {
        field->SetValue(Variant(c.stored));
        EXPECT_EQ(p->GetValue(), c.shown) << c.stored;
    }
}

TEST_F(PropFieldPropsTest, DesignerQuietsLinksForADesignAndGoesWithItsSet) {
    auto* width = Add<TIntegerPropField>(u"Width");
    std::vector<THeard> log;
    TRecordingLink link(1, &log);
    link.SetPropSet(set.get());
    auto* designer = new TPropSetDesigner(set.get());
    EXPECT_EQ(set->GetDesigner(), designer);
    log.clear();
    designer->BeginDesign();
    width->SetValue(3);
    designer->EndDesign();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().Event, peFieldListChange);
    for (const THeard& h : log)
        EXPECT_NE(h.Event, peFieldChange);
    link.SetPropSet(nullptr);

    // A designer freed by its owner leaves the set without one; a new one replaces the old.
    delete designer;
    EXPECT_EQ(set->GetDesigner(), nullptr);
    auto* first = new TPropSetDesigner(set.get());
    auto* second = new TPropSetDesigner(set.get());
    EXPECT_NE(first, second);
    EXPECT_EQ(set->GetDesigner(), second);
}

} // namespace
