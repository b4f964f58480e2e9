// The INI store against real files: sections from field names, round trips,
// and stored values that are missing, malformed or out of range.
#include "PropTestSupport.h"

#include <runpak/DateTime.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

class IniPropSetTest : public FixedLocale {
protected:
    void SetUp() override {
        FixedLocale::SetUp();
        set = std::make_unique<TIniPropSet>(nullptr);
        set->SetFileName(folder.Windows("options.ini"));
        set->SetRootName(u"Options");
        width = Add<TIntegerPropField>(u"Width");
        width->SetDefaultValue(640);
        width->SetMaxValue(4096);
        font = Add<TStringPropField>(u"Editor\\Font");
        font->SetDefaultValue(u"Mono");
        on = Add<TBooleanPropField>(u"Editor\\On");
        ratio = Add<TFloatPropField>(u"Ratio");
        ratio->SetDefaultValue(1.5);
        since = Add<TDatePropField>(u"Since");
        since->SetDefaultValue(EncodeDate(2020, 5, 17));
    }
    template <class F> F* Add(const UnicodeString& fieldName) {
        auto* field = new F(set.get());
        field->SetFieldName(fieldName);
        field->SetPropSet(set.get());
        return field;
    }
    void WriteFile(const std::string& text) {
        std::ofstream(folder.Linux("options.ini"), std::ios::binary) << text;
    }
    std::string ReadFile() {
        std::ifstream in(folder.Linux("options.ini"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    PropTempFolder folder;
    std::unique_ptr<TIniPropSet> set;
    TIntegerPropField* width;
    TStringPropField* font;
    TBooleanPropField* on;
    TFloatPropField* ratio;
    TDatePropField* since;
};

TEST_F(IniPropSetTest, FieldNamesGiveSectionsBelowTheRootName) {
    EXPECT_EQ(set->GetFieldSection(u"Width"), u"Options");
    EXPECT_EQ(set->GetFieldSection(u"Editor\\Font"), u"Options\\Editor\\");
    EXPECT_EQ(set->GetFieldSection(u"\\Editor\\Font"), u"Options\\Editor\\");
    set->SetRootName(u"");
    EXPECT_EQ(set->GetFieldSection(u"Width"), u"");
}

TEST_F(IniPropSetTest, ValuesSurviveASaveAndALoadByAnotherSet) {
    width->SetValue(800);
    font->SetValue(u"Serif");
    on->SetValue(true);
    ratio->SetEditText(u"0.75");
    since->SetEditText(u"2024-02-29");
    set->SavePropValues();
    std::string text = ReadFile();
    EXPECT_NE(text.find("[Options]"), std::string::npos);
    EXPECT_NE(text.find("Width=800"), std::string::npos);
    EXPECT_NE(text.find("[Options\\Editor\\]"), std::string::npos);
    EXPECT_NE(text.find("Font=Serif"), std::string::npos);
    EXPECT_NE(text.find("On=True"), std::string::npos);

    TIniPropSet other(nullptr);
    other.SetFileName(set->GetFileName());
    other.SetRootName(u"Options");
    auto add = [&](TPropField* f, const UnicodeString& n) {
        f->SetFieldName(n);
        f->SetPropSet(&other);
        return f;
    };
    TPropField* w = add(new TIntegerPropField(&other), u"Width");
    TPropField* f = add(new TStringPropField(&other), u"Editor\\Font");
    TPropField* o = add(new TBooleanPropField(&other), u"Editor\\On");
    TPropField* r = add(new TFloatPropField(&other), u"Ratio");
    TPropField* d = add(new TDatePropField(&other), u"Since");
    other.LoadPropValues();
    EXPECT_EQ(w->GetValue().AsInteger(), 800);
    EXPECT_EQ(VarToStr(f->GetValue()), u"Serif");
    EXPECT_TRUE(o->GetValue().AsBoolean());
    EXPECT_EQ(o->GetValueName(), u"True");
    EXPECT_EQ(r->GetValue().AsDouble(), 0.75);
    EXPECT_EQ(d->GetEditText(), u"2024-02-29");
}

TEST_F(IniPropSetTest, AMissingFileGivesTheDefaults) {
    set->LoadPropValues();
    EXPECT_EQ(width->GetValue().AsInteger(), 640);
    EXPECT_EQ(VarToStr(font->GetValue()), u"Mono");
    EXPECT_FALSE(on->GetValue().AsBoolean());
    EXPECT_EQ(ratio->GetValue().AsDouble(), 1.5);
    EXPECT_EQ(since->GetEditText(), u"2020-05-17");
}

struct BadValueCase {
    const char* name;
    const char* line; // in [Options]
};

class IniBadValueTest : public IniPropSetTest, public testing::WithParamInterface<BadValueCase> {};

// Each bad value reads as its field's default; the rest of the file is kept,
// through a load and a save.
TEST_P(IniBadValueTest, ReadsAsTheDefaultAndLosesNothingElse) {
    WriteFile(std::string("; kept comment\r\n[Options]\r\n") + GetParam().line +
              "\r\nOther=1\r\n[Options\\Editor\\]\r\nFont=Serif\r\n[Elsewhere]\r\nX=y\r\n");
    set->LoadPropValues();
    EXPECT_EQ(width->GetValue().AsInteger(), 640);
    EXPECT_EQ(ratio->GetValue().AsDouble(), 1.5);
    EXPECT_EQ(since->GetEditText(), u"2020-05-17");
    EXPECT_EQ(VarToStr(font->GetValue()), u"Serif");
    set->SavePropValues();
    std::string text = ReadFile();
    for (const char* kept : {"; kept comment", "Other=1", "Font=Serif", "[Elsewhere]", "X=y"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
}

INSTANTIATE_TEST_SUITE_P(Cases, IniBadValueTest,
                         testing::Values(BadValueCase{"IntegerNotANumber", "Width=wide"},
                                         BadValueCase{"IntegerBeyond32Bits", "Width=99999999999"},
                                         BadValueCase{"IntegerAboveItsBound", "Width=5000"},
                                         BadValueCase{"FloatNotANumber", "Ratio=1,5,6"},
                                         BadValueCase{"DateNotADate", "Since=2024-02-30"},
                                         BadValueCase{"Empty", "Width="}),
                         [](const testing::TestParamInfo<BadValueCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(IniPropSetTest, LoadAndSaveSendNoEventsAndDoNotAskControlsToPush) {
    std::vector<THeard> log;
    TRecordingLink link(1, &log);
    link.SetPropSet(set.get());
    log.clear();
    set->SavePropValues();
    set->LoadPropValues();
    EXPECT_TRUE(log.empty());
}

TEST_F(IniPropSetTest, SettingTheFileNameDoesNotReadIt) {
    WriteFile("[Options]\r\nWidth=900\r\n");
    set->SetFileName(folder.Windows("options.ini"));
    EXPECT_EQ(width->GetValue().AsInteger(), 640);
    set->LoadPropValues();
    EXPECT_EQ(width->GetValue().AsInteger(), 900);
}

} // namespace
