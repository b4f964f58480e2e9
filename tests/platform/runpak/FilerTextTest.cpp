// The description text itself: what the parser accepts, and where it says
// malformed text goes wrong.
#include "FilerTestClasses.h"

#include <runpak/Exceptions.h>
#include <runpak/Filer.h>

#include <gtest/gtest.h>

#include "CaseName.h"
#include <cmath>
#include <memory>
#include <ostream>

using namespace filertest;

namespace {

class FilerTextTest : public testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

TEST_F(FilerTextTest, AcceptsCommentsCaseBlanksAndTrailingCommas) {
    TTestForm form(nullptr);
    LoadComponentFromText(&form, u"\uFEFF# a form\r\n"
                                 u"ttestform F{caption=\"c\"#comment\r"
                                 u"  WIDTH=0x10 visible=FALSE align = TACENTER\n"
                                 u"  Font={Style=[fsBold,]}Columns=({},{},)"
                                 u"  TTestControl{}TTestControl Named{}}\n# done");
    EXPECT_EQ(form.Caption, u"c");
    EXPECT_EQ(form.Width, 16);
    EXPECT_FALSE(form.Visible);
    EXPECT_EQ(form.Align, taCenter);
    EXPECT_EQ(form.GetFont()->Style, TFontStyles{fsBold});
    EXPECT_EQ(form.GetColumns()->GetCount(), 2);
    ASSERT_EQ(form.GetComponentCount(), 2);
    EXPECT_EQ(form.GetComponents(0)->GetName(), u"");
    EXPECT_EQ(form.GetComponents(1)->GetName(), u"Named");
}

TEST_F(FilerTextTest, ReadsNumbersInEveryForm) {
    TTestControl control(nullptr);
    ObjectTextToComponent(u"TTestControl { Width = -0x10  Big = -9223372036854775808 "
                          u"Ratio = -1.5e2  Small = 7  Precise = 0.5E+1 }",
                          &control);
    EXPECT_EQ(control.Width, -16);
    EXPECT_EQ(control.Big, INT64_MIN);
    EXPECT_EQ(control.Ratio, -150.0);
    EXPECT_EQ(control.Small, 7.0f);
    EXPECT_EQ(control.Precise, 5.0L);
}

struct MalformedCase {
    const char16_t* Text;
    const char16_t* Message;
    int Line;
    int Column;
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << UnicodeToUtf8(c.Message);
}

class FilerMalformedTest : public FilerTextTest,
                           public testing::WithParamInterface<MalformedCase> {};

// The parser fails before any component is made, so nothing is created.
TEST_P(FilerMalformedTest, ReportsWhatAndWhere) {
    const MalformedCase& c = GetParam();
    TTestForm form(nullptr);
    try {
        LoadComponentFromText(&form, c.Text);
        ADD_FAILURE() << "no error for " << UnicodeToUtf8(c.Text);
    } catch (const EParserError& error) {
        EXPECT_EQ(error.GetMessage(), c.Message);
        EXPECT_EQ(error.GetLine(), c.Line);
        EXPECT_EQ(error.GetColumn(), c.Column);
    }
    EXPECT_EQ(form.GetComponentCount(), 0);
    EXPECT_EQ(form.GetName(), u"");
    EXPECT_FALSE(form.GetComponentState().Contains(csLoading));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilerMalformedTest,
    testing::Values(
        MalformedCase{u"", u"Expected a class name on line 1, column 1", 1, 1},
        MalformedCase{u"TTestForm F {\n  Width 3\n}",
                      u"Expected '=' but found a number on line 2, column 9", 2, 9},
        MalformedCase{u"TTestForm F {\n  Width = \n}",
                      u"Expected a value but found '}' on line 3, column 1", 3, 1},
        MalformedCase{u"TTestForm F {\n  Caption = \"open\n}",
                      u"Unterminated string on line 2, column 13", 2, 13},
        MalformedCase{u"TTestForm F { Caption = \"bad \\q\" }",
                      u"Invalid escape in string on line 1, column 30", 1, 30},
        MalformedCase{u"TTestForm F { Caption = \"\\u12G4\" }",
                      u"Invalid escape in string on line 1, column 26", 1, 26},
        MalformedCase{u"TTestForm F {\n\n   Blob = <0A 1>\n}",
                      u"Odd number of hex digits in binary data on line 3, column 11", 3, 11},
        MalformedCase{u"TTestForm F { Blob = <0G> }",
                      u"Invalid hex digit in binary data on line 1, column 24", 1, 24},
        MalformedCase{u"TTestForm F { Blob = <00", u"Unterminated binary data on line 1, column 22",
                      1, 22},
        MalformedCase{u"TTestForm F { Width = 12ab }", u"Invalid number on line 1, column 23", 1,
                      23},
        MalformedCase{u"TTestForm F { Width = 1. }", u"Invalid number on line 1, column 23", 1, 23},
        MalformedCase{u"TTestForm F { Width = 99999999999999999999 }",
                      u"Integer out of range on line 1, column 23", 1, 23},
        MalformedCase{u"TTestForm F { Font.Style = [fsBold fsItalic] }",
                      u"Expected ']' but found 'fsItalic' on line 1, column 36", 1, 36},
        MalformedCase{u"TTestForm F { Columns = ({ } { }) }",
                      u"Expected ')' but found '{' on line 1, column 30", 1, 30},
        MalformedCase{u"TTestForm F { Font = { TTestControl X { } } }",
                      u"Expected '=' but found 'X' on line 1, column 37", 1, 37},
        MalformedCase{u"TTestForm F { Width = 1 ; }",
                      u"Unexpected character ';' on line 1, column 25", 1, 25},
        MalformedCase{u"TTestForm F { TTestControl B {\n Width = 1\n",
                      u"Expected a property or a component but found end of text on line 3, "
                      u"column 1",
                      3, 1},
        MalformedCase{u"TTestForm F { } TTestForm G { }",
                      u"Expected end of text on line 1, column 17", 1, 17}),
    CaseName());

TEST_F(FilerTextTest, HostileNestingFailsCleanly) {
    UnicodeString text = u"TTestForm F { Columns = ";
    for (int i = 0; i < 100000; ++i)
        text += u"(";
    TTestForm form(nullptr);
    try {
        LoadComponentFromText(&form, text);
        ADD_FAILURE() << "no error";
    } catch (const EParserError& error) {
        EXPECT_NE(error.GetMessage().find(u"Nesting too deep"), UnicodeString::npos);
    }
}

TEST_F(FilerTextTest, MalformedStreamTextFailsBeforeCreatingTheRoot) {
    TStringStream stream(u"TTestForm F { TTestControl B { Width = \"x }");
    EXPECT_THROW(ReadComponentFromStream(&stream, nullptr), EParserError);
}

} // namespace
