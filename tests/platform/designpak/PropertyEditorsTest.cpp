// The editors over published properties, driven as an inspector drives them,
// on real controls of a form.
#include <designpak/DesignServices.h>
#include <designpak/PropertyEditors.h>

#include <quorlpak/Controls.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Graphics.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Exceptions.h>
#include <runpak/UString.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <map>

namespace {

// A form with a published handler, so that events can be bound by name.
class TEditedForm : public TForm {
public:
    using TForm::TForm;
    static TClass StaticClass() {
        static const TMetaClass meta(TClassBuilder<TEditedForm>(u"TEditedForm",
                                                                 TForm::StaticClass())
                                         .Method(u"ButtonClick", &TEditedForm::ButtonClick));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
    void ButtonClick(TObject*) { ++Clicks; }
    int Clicks = 0;
};

class PropertyEditorsTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        InitializeQuorlpak();
        form = new TEditedForm(Application);
        form->SetName(u"Form1");
        button = new TButton(form);
        button->SetName(u"Button1");
        button->SetParent(form);
        other = new TButton(form);
        other->SetName(u"Button2");
        other->SetParent(form);
    }
    void TearDown() override {
        delete form;
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }

    // The editors of the given objects by name.
    static std::map<UnicodeString, InterfacePtr<IProperty>> Editors(
        std::vector<TPersistent*> objects, TPropertyKinds kinds = pkProperties) {
        std::map<UnicodeString, InterfacePtr<IProperty>> out;
        GetComponentProperties(objects, kinds, [&](IProperty* p) { out[p->GetName()] = p; });
        return out;
    }
    static std::vector<UnicodeString> Values(IProperty* p) {
        std::vector<UnicodeString> out;
        p->GetValues([&](const UnicodeString& s) { out.push_back(s); });
        return out;
    }
    static InterfacePtr<IProperty> Sub(IProperty* p, const UnicodeString& name) {
        InterfacePtr<IProperty> found;
        p->GetProperties([&](IProperty* s) {
            if (s->GetName() == name) found = s;
        });
        return found;
    }

    TEditedForm* form = nullptr;
    TButton* button = nullptr;
    TButton* other = nullptr;
};

TEST_F(PropertyEditorsTest, ValuesReadAndWriteThroughTheRegistryByKind) {
    struct Case {
        const char16_t* name;
        const char16_t* written;
        const char16_t* shown;
        TPropertyAttributes attributes;
    };
    const Case cases[] = {
        {u"Left", u" 42 ", u"42", 0},
        {u"Caption", u"Go", u"Go", 0},
        {u"Visible", u"false", u"False", paValueList | paSortList | paRevertable},
        {u"Color", u"clRed", u"clRed", paValueList | paValueEditable},
        {u"Color", u"$00123456", u"$00123456", paValueList | paValueEditable},
    };
    auto editors = Editors({button});
    for (const Case& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(UnicodeString(c.name) + u"=" + c.written));
        IProperty* p = editors.at(c.name).Get();
        p->SetValue(c.written);
        EXPECT_EQ(p->GetValue(), c.shown);
        UnicodeString edit;
        EXPECT_TRUE(p->GetEditValue(edit));
        EXPECT_EQ(edit, c.shown);
        EXPECT_EQ(p->GetAttributes() & ~paDisplayReadOnly, c.attributes);
        EXPECT_EQ(GetDisplayValue(p), c.shown);
    }
    EXPECT_EQ(button->GetLeft(), 42);
    EXPECT_EQ(button->GetCaption(), u"Go");
    EXPECT_FALSE(button->GetVisible());
}

TEST_F(PropertyEditorsTest, RefusedTextsRaiseAndLeaveTheValue) {
    auto editors = Editors({button});
    button->SetLeft(7);
    EXPECT_THROW(editors.at(u"Left")->SetValue(u"seven"), EConvertError);
    EXPECT_THROW(editors.at(u"Visible")->SetValue(u"Maybe"), EPropertyError);
    EXPECT_THROW(editors.at(u"Color")->SetValue(u"clNoSuch"), EConvertError);
    EXPECT_EQ(button->GetLeft(), 7);
    EXPECT_TRUE(button->GetVisible());
}

TEST_F(PropertyEditorsTest, EnumerationsOfferTheirNamesAndRevertToTheDefault) {
    auto editors = Editors({button});
    EXPECT_EQ(Values(editors.at(u"Visible").Get()),
              (std::vector<UnicodeString>{u"False", u"True"}));
    const auto colours = Values(editors.at(u"Color").Get());
    EXPECT_NE(std::find(colours.begin(), colours.end(), u"clRed"), colours.end());
    EXPECT_NE(std::find(colours.begin(), colours.end(), u"clBtnFace"), colours.end());

    InterfacePtr<IProperty70> visible;
    ASSERT_TRUE(Supports(editors.at(u"Visible").Get(), visible));
    EXPECT_TRUE(visible->GetIsDefault());
    visible->SetValue(u"False");
    EXPECT_FALSE(visible->GetIsDefault());
    visible->Revert();
    EXPECT_TRUE(button->GetVisible());
    EXPECT_TRUE(visible->GetIsDefault());
}

TEST_F(PropertyEditorsTest, ClassPropertiesExpandIntoTheirObjectsAndSetsIntoElements) {
    auto editors = Editors({button});
    IProperty* font = editors.at(u"Font").Get();
    EXPECT_EQ(font->GetValue(), u"(TFont)");
    EXPECT_TRUE(font->GetAttributes() & paSubProperties);
    EXPECT_TRUE(font->GetAttributes() & paReadOnly);

    Sub(font, u"Size")->SetValue(u"14");
    EXPECT_EQ(button->GetFont()->GetSize(), 14);

    InterfacePtr<IProperty> style = Sub(font, u"Style");
    ASSERT_TRUE(style);
    EXPECT_EQ(style->GetValue(), u"[]");
    InterfacePtr<IProperty> bold = Sub(style.Get(), u"fsBold");
    ASSERT_TRUE(bold);
    EXPECT_EQ(Values(bold.Get()), (std::vector<UnicodeString>{u"False", u"True"}));
    bold->SetValue(u"True");
    EXPECT_TRUE(button->GetFont()->GetStyle().Contains(fsBold));
    EXPECT_EQ(style->GetValue(), u"[fsBold]");
    bold->SetValue(u"False");
    EXPECT_FALSE(button->GetFont()->GetStyle().Contains(fsBold));
}

TEST_F(PropertyEditorsTest, EventsAreListedApartAndBoundByMethodName) {
    auto properties = Editors({button});
    EXPECT_EQ(properties.count(u"OnClick"), 0u);
    auto events = Editors({button}, pkEvents);
    IProperty* onClick = events.at(u"OnClick").Get();
    EXPECT_EQ(onClick->GetValue(), u"");
    EXPECT_EQ(Values(onClick), (std::vector<UnicodeString>{u"ButtonClick"}));
    onClick->SetValue(u"ButtonClick");
    EXPECT_EQ(onClick->GetValue(), u"ButtonClick");
    button->Click();
    EXPECT_EQ(form->Clicks, 1);
    EXPECT_THROW(onClick->SetValue(u"NoSuchMethod"), EPropertyError);
    onClick->SetValue(u"");
    button->Click();
    EXPECT_EQ(form->Clicks, 1);
}

TEST_F(PropertyEditorsTest, SeveralObjectsShareTheirCommonPropertiesAndWriteAll) {
    button->SetLeft(1);
    other->SetLeft(2);
    auto editors = Editors({button, other});
    IProperty* left = editors.at(u"Left").Get();
    EXPECT_FALSE(left->AllEqual());
    EXPECT_EQ(GetDisplayValue(left), u"");
    left->SetValue(u"5");
    EXPECT_TRUE(left->AllEqual());
    EXPECT_EQ(other->GetLeft(), 5);

    // A button and its form have no "Cancel" in common.
    auto mixed = Editors({button, form});
    EXPECT_EQ(mixed.count(u"Cancel"), 0u);
    EXPECT_EQ(mixed.count(u"Caption"), 1u);
}

TEST_F(PropertyEditorsTest, SelectionListsTopLevelPropertiesAndTheActiveOnesChildren) {
    auto selection = CreatePropertySelection({button});
    ASSERT_GT(selection->GetCount(), 0);
    InterfacePtr<IProperty> font;
    for (int i = 0; i < selection->GetCount(); ++i)
        if (selection->GetProperty(i)->GetName() == u"Font") font = selection->GetProperty(i);
    ASSERT_TRUE(font);
    EXPECT_FALSE(selection->GetProperty(selection->GetCount()));
    selection->SetActiveProperty(font.Get());
    EXPECT_EQ(selection->GetActiveProperty(), font);
    EXPECT_GT(selection->GetSubPropertyCount(), 2);
    selection->SetActiveProperty(nullptr);
    EXPECT_EQ(selection->GetSubPropertyCount(), 0);
}

// An editor whose reading fails: the value column shows why.
class TFailingProperty : public TInterfacedObject, public IProperty {
public:
    void Activate() override {}
    bool AllEqual() override { return true; }
    bool AutoFill() override { return true; }
    void Edit() override {}
    TPropertyAttributes GetAttributes() override { return 0; }
    int GetEditLimit() override { return -1; }
    bool GetEditValue(UnicodeString&) override { return false; }
    UnicodeString GetName() override { return u"Broken"; }
    void GetProperties(const TGetPropProc&) override {}
    PPropInfo GetPropInfo() override { return nullptr; }
    PTypeInfo GetPropType() override { return nullptr; }
    UnicodeString GetValue() override { throw EInvalidOperation(u"no value"); }
    void GetValues(const TGetStrProc&) override {}
    void Revert() override {}
    void SetValue(const UnicodeString&) override {}
    bool ValueAvailable() override { return false; }
};

TEST_F(PropertyEditorsTest, DisplayValueOfAFailingEditorShowsTheFailure) {
    InterfacePtr<IProperty> broken(new TFailingProperty);
    EXPECT_EQ(GetDisplayValue(broken.Get()), u"(no value)");
    EXPECT_EQ(GetDisplayValue(nullptr), u"");
}

TEST(DesignServicesTest, LayoutMessagesAreRegisteredByName) {
    const UINT recalc = DeferRecalcVisibleMsg();
    const UINT layout = DeferDoLayoutMsg();
    EXPECT_GE(recalc, 0xC000u);
    EXPECT_GE(layout, 0xC000u);
    EXPECT_NE(recalc, layout);
    EXPECT_EQ(recalc, RegisterWindowMessageW(u"DeferRecalcVisibleMsg"));
    EXPECT_EQ(layout, RegisterWindowMessageW(u"DeferDoLayoutMsg"));
}

TEST(DesignServicesTest, ServicesAnswerWhatThisHostOffers) {
    IInterface* services = OrvaneIDEServices();
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(services, OrvaneIDEServices());
    InterfacePtr<IDebuggerInspectServices> debug;
    ASSERT_TRUE(Supports(services, debug));
    EXPECT_FALSE(debug->GetCurrentDebugger());
    InterfacePtr<IProperty> notOne;
    EXPECT_FALSE(Supports(services, notOne));
}

TEST(DesignServicesTest, DesktopLockIsHeldUntilReleased) {
    EXPECT_FALSE(IsDesktopLocked());
    SetDesktopLocked(true);
    EXPECT_TRUE(IsDesktopLocked());
    SetDesktopLocked(false);
    EXPECT_FALSE(IsDesktopLocked());
}

} // namespace
