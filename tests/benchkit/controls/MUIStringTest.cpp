// The translated-string registry and the expansion of references.
#include "benchkit/controls/IDEMUIStringSupport.h"

#include <runpak/TypeInfo.h>

#include "CaseName.h"
#include <gtest/gtest.h>

namespace {

class MUIStrings : public testing::Test {
protected:
    void SetUp() override {
        FinalizeIDEMUIStringSupport();
        RegisterMUIString(u"Menu", u"Open", u"Öffnen");
        RegisterMUIString(u"Menu", u"Save", u"Speichern");
    }
    void TearDown() override { FinalizeIDEMUIStringSupport(); }
};

TEST_F(MUIStrings, FirstRegistrationWins) {
    RegisterMUIString(u"Menu", u"Open", u"Aufmachen");
    EXPECT_EQ(LookupMUIString(u"Menu", u"Open"), u"Öffnen");
    EXPECT_EQ(LookupMUIString(u"Menu", u"Close"), u"");
    EXPECT_EQ(LookupMUIString(u"menu", u"Open"), u""); // keys keep their case
}

TEST_F(MUIStrings, LookupWithoutATableIsEmpty) {
    FinalizeIDEMUIStringSupport();
    EXPECT_EQ(LookupMUIString(u"Menu", u"Open"), u"");
    EXPECT_EQ(ExpandLocaleString(u"@(Menu,Open)"), u"");
}

TEST_F(MUIStrings, DataModuleItemsRegisterUnderTheirNames) {
    TComponent module(nullptr);
    auto* open = new TMUIResourceItem(&module);
    open->SetName(u"OpenItem");
    open->SetTranslatedName(u"Ouvrir");
    auto* missing = new TMUIResourceItem(&module);
    missing->SetName(u"CloseItem");
    auto* other = new TComponent(&module);
    other->SetName(u"NotAnItem");
    RegisterMUIStrings(&module, u"Dlg");
    EXPECT_EQ(LookupMUIString(u"Dlg", u"OpenItem"), u"Ouvrir");
    EXPECT_EQ(LookupMUIString(u"Dlg", u"CloseItem"), u"No translation found(CloseItem)");
    EXPECT_EQ(LookupMUIString(u"Dlg", u"NotAnItem"), u"");
    EXPECT_EQ(ExpandLocaleString(u"[@(Dlg, OpenItem)]"), u"[Ouvrir]");
}

TEST(MUIResourceItem, PublishesTranslatedName) {
    TMUIResourceItem item(nullptr);
    item.SetName(u"Caption");
    EXPECT_EQ(GetStrProp(&item, u"TranslatedName"), u"No translation found(Caption)");
    EXPECT_FALSE(IsStoredProp(&item, GetPropInfo(&item, u"TranslatedName")));
    SetStrProp(&item, u"TranslatedName", u"Titel");
    EXPECT_EQ(item.GetTranslatedName(), u"Titel");
    EXPECT_TRUE(IsStoredProp(&item, GetPropInfo(&item, u"TranslatedName")));
}

struct ExpandCase {
    const char16_t* text;
    const char16_t* expected;
};

void PrintTo(const ExpandCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.text);
}

class ExpandLocale : public MUIStrings, public testing::WithParamInterface<ExpandCase> {};

TEST_P(ExpandLocale, ReplacesReferences) {
    EXPECT_EQ(ExpandLocaleString(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExpandLocale,
    testing::Values(ExpandCase{u"", u""}, ExpandCase{u"plain text", u"plain text"},
                    ExpandCase{u"@(Menu,Open)", u"Öffnen"},
                    ExpandCase{u"@( Menu , Open )", u"Öffnen"},
                    ExpandCase{u"@(Menu,Open)@(Menu,Save)", u"ÖffnenSpeichern"},
                    ExpandCase{u"@(Menu,Quit)", u""}, ExpandCase{u"@@", u"@"},
                    ExpandCase{u"a@@b", u"a@b"}, ExpandCase{u"mail@host", u"mail@host"},
                    ExpandCase{u"@", u"@"},
                    // Text before a marker is kept, and a reference is found
                    // wherever it stands.
                    ExpandCase{u"&File: @(Menu,Open)...", u"&File: Öffnen..."},
                    ExpandCase{u"x @(Menu,Save) y @@ z", u"x Speichern y @ z"},
                    // A reference without its "," or ")" ends the text.
                    ExpandCase{u"a @(Menu", u"a "}, ExpandCase{u"a @(Menu,Open", u"a "}),
    CaseName());

} // namespace
