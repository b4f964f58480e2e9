#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

TEST(StringsPos, FindsOneBasedAndReportsAbsenceAsZero) {
    EXPECT_EQ(Pos(u"b", u"abcb"), 2);
    EXPECT_EQ(Pos(u"cb", u"abcb"), 3);
    EXPECT_EQ(Pos(u"x", u"abcb"), 0);
    EXPECT_EQ(Pos(u"", u"abc"), 0);
    EXPECT_EQ(Pos(u"abc", u"ab"), 0);
    EXPECT_EQ(PosEx(u"b", u"abcb", 3), 4);
    EXPECT_EQ(PosEx(u"b", u"abcb", 5), 0);
    EXPECT_EQ(PosEx(u"b", u"abcb", 0), 0);
}

struct CopyCase {
    int index, count;
    const char16_t* expected;
};

TEST(StringsCopy, ClampsIndexAndCount) {
    const CopyCase cases[] = {
        {1, 3, u"abc"}, {2, 2, u"bc"}, {4, 10, u"def"}, {0, 2, u"ab"}, {-5, 2, u"ab"},
        {6, 1, u"f"},   {7, 1, u""},   {3, 0, u""},     {3, -1, u""},
    };
    for (const CopyCase& c : cases)
        EXPECT_EQ(U8(Copy(u"abcdef", c.index, c.count)), U8(c.expected))
            << "index " << c.index << " count " << c.count;
    EXPECT_EQ(U8(Copy(u"abcdef", 4)), "def");
}

TEST(StringsEdit, DeleteAndInsertIgnoreOutOfRangeParts) {
    UnicodeString s = u"abcdef";
    Delete(s, 2, 2);
    EXPECT_EQ(U8(s), "adef");
    Delete(s, 3, 100);
    EXPECT_EQ(U8(s), "ad");
    Delete(s, 0, 1);
    Delete(s, 5, 1);
    EXPECT_EQ(U8(s), "ad");
    Insert(u"XY", s, 2);
    EXPECT_EQ(U8(s), "aXYd");
    Insert(u"!", s, 99);
    EXPECT_EQ(U8(s), "aXYd!");
    Insert(u"<", s, 0);
    EXPECT_EQ(U8(s), "<aXYd!");
}

TEST(StringsReplace, FirstAllAndIgnoringCase) {
    EXPECT_EQ(U8(StringReplace(u"a-b-c", u"-", u"+")), "a+b-c");
    EXPECT_EQ(U8(StringReplace(u"a-b-c", u"-", u"+", {rfReplaceAll})), "a+b+c");
    EXPECT_EQ(U8(StringReplace(u"Abc abc", u"ABC", u"x", {rfReplaceAll, rfIgnoreCase})), "x x");
    EXPECT_EQ(U8(StringReplace(u"Abc abc", u"ABC", u"x", {rfReplaceAll})), "Abc abc");
    EXPECT_EQ(U8(StringReplace(u"ÉTÉ été", u"été", u"summer", {rfReplaceAll, rfIgnoreCase})),
              "summer summer");
    // A replacement that contains the pattern is not replaced again.
    EXPECT_EQ(U8(StringReplace(u"aa", u"a", u"aa", {rfReplaceAll})), "aaaa");
    EXPECT_EQ(U8(StringReplace(u"abc", u"", u"x", {rfReplaceAll})), "abc");
}

TEST(StringsRepeat, StringOfCharAndDupeString) {
    EXPECT_EQ(U8(StringOfChar(u'-', 3)), "---");
    EXPECT_EQ(U8(StringOfChar(u'-', -1)), "");
    EXPECT_EQ(U8(DupeString(u"ab", 3)), "ababab");
    EXPECT_EQ(U8(DupeString(u"ab", 0)), "");
}

TEST(StringsTrim, RemovesControlCharactersAndBlanksOnly) {
    EXPECT_EQ(U8(Trim(u" \t\r\n ab c \x01")), "ab c");
    EXPECT_EQ(U8(TrimLeft(u"  ab  ")), "ab  ");
    EXPECT_EQ(U8(TrimRight(u"  ab  ")), "  ab");
    EXPECT_EQ(U8(Trim(u"   ")), "");
    EXPECT_EQ(U8(Trim(u"")), "");
    // A no-break space is not a blank.
    EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");
}

TEST(StringsCase, AsciiRoutinesLeaveOtherLettersAlone) {
    EXPECT_EQ(U8(UpperCase(u"abz été")), "ABZ éTé");
    EXPECT_EQ(U8(LowerCase(u"ABZ ÉTÉ")), "abz ÉtÉ");
}

struct CaseMapCase {
    const char16_t* lower;
    const char16_t* upper;
};

TEST(StringsCase, AnsiRoutinesMapBeyondAscii) {
    const CaseMapCase cases[] = {
        {u"été", u"ÉTÉ"},           {u"ωmega", u"ΩMEGA"},
        {u"\uFF41bc", u"\uFF21BC"},                                 // fullwidth a -> fullwidth A
        {u"привет", u"ПРИВЕТ"},     {u"\U00010428", u"\U00010400"}, // Deseret, outside the BMP
    };
    for (const CaseMapCase& c : cases) {
        EXPECT_EQ(AnsiUpperCase(c.lower), c.upper) << U8(c.lower);
        EXPECT_EQ(AnsiLowerCase(c.upper), c.lower) << U8(c.upper);
    }
}

TEST(StringsCase, AnsiUpperCaseKeepsTheLength) {
    // Full upper-casing would make "SS"; callers rely on positions.
    EXPECT_EQ(AnsiUpperCase(u"straße"), u"STRAßE");
    UnicodeString lone = u"a\xD800z";
    EXPECT_EQ(AnsiUpperCase(lone), UnicodeString(u"A\xD800Z"));
}

int SignOf(int v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

struct CompareCase {
    const char16_t* a;
    const char16_t* b;
    int compareStr, compareText, ansiCompareStr, ansiCompareText;
};

TEST(StringsCompare, OrdinalCaseInsensitiveAndLocaleAware) {
    const CompareCase cases[] = {
        {u"abc", u"abc", 0, 0, 0, 0},  {u"abc", u"ABC", 1, 0, -1, 0},   {u"a", u"B", 1, -1, -1, -1},
        {u"B", u"a", -1, 1, 1, 1},     {u"ab", u"abc", -1, -1, -1, -1}, {u"", u"", 0, 0, 0, 0},
        {u"", u"a", -1, -1, -1, -1},   {u"_a", u"b", -1, 1, -1, 1}, // '_' sorts after letters once
                                                                    // upper-cased
        {u"été", u"ÉTÉ", 1, 1, -1, 0},                              // CompareText leaves é alone
        {u"Ω", u"ω", -1, -1, 1, 0},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(U8(c.a) + " vs " + U8(c.b));
        EXPECT_EQ(SignOf(CompareStr(c.a, c.b)), c.compareStr);
        EXPECT_EQ(SignOf(CompareText(c.a, c.b)), c.compareText);
        EXPECT_EQ(SignOf(AnsiCompareStr(c.a, c.b)), c.ansiCompareStr);
        EXPECT_EQ(SignOf(AnsiCompareText(c.a, c.b)), c.ansiCompareText);
    }
}

TEST(StringsCompare, SameAndAffixRoutines) {
    EXPECT_TRUE(SameText(u"Hello", u"hELLO"));
    EXPECT_FALSE(SameText(u"Hello", u"Hell"));
    EXPECT_FALSE(SameText(u"é", u"É"));
    EXPECT_TRUE(AnsiSameText(u"é", u"É"));
    EXPECT_TRUE(SameStr(u"a", u"a"));
    EXPECT_FALSE(SameStr(u"a", u"A"));
    EXPECT_TRUE(StartsText(u"HE", u"hello"));
    EXPECT_TRUE(EndsText(u"LO", u"hello"));
    EXPECT_FALSE(StartsStr(u"HE", u"hello"));
    EXPECT_TRUE(StartsStr(u"he", u"hello"));
    EXPECT_TRUE(EndsStr(u"lo", u"hello"));
    EXPECT_FALSE(EndsStr(u"hello!", u"hello"));
    EXPECT_TRUE(ContainsText(u"Hello World", u"o w"));
    EXPECT_TRUE(ContainsStr(u"Hello World", u"o W"));
    EXPECT_FALSE(ContainsStr(u"Hello World", u"o w"));
    EXPECT_EQ(AnsiPosText(u"WOR", u"hello world"), 7);
}

TEST(StringsQuote, QuoteAndDequoteRoundTrip) {
    EXPECT_EQ(U8(QuotedStr(u"it's")), "'it''s'");
    EXPECT_EQ(U8(AnsiQuotedStr(u"say \"hi\"", u'"')), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(U8(AnsiDequotedStr(u"'it''s'", u'\'')), "it's");
    EXPECT_EQ(U8(AnsiDequotedStr(u"plain", u'\'')), "plain");
    EXPECT_EQ(U8(AnsiDequotedStr(u"'open", u'\'')), "'open");
    EXPECT_EQ(U8(AnsiDequotedStr(u"'a'rest", u'\'')), "a");
    EXPECT_EQ(U8(AnsiDequotedStr(u"''", u'\'')), "");
}

} // namespace
