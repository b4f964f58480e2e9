// The compiler and matcher on their own: syntax, errors, program shape,
// search rules and robustness on large inputs.
#include "benchkit/controls/IDERegExpConst.h"
#include "benchkit/controls/IDERegExpProgram.h"

#include <gtest/gtest.h>

#include "CaseName.h"
#include <string>
#include <vector>

namespace {

const TCharSet kNoSets[2] = {};

std::u16string U(const char* s) {
    return Utf8ToUnicode(s);
}

// "pos:len" of every entry, "-" for one that took no part, or "no match".
std::string MatchOf(const std::u16string& pattern, const std::u16string& text,
                    TREOptions options = {}, const TCharSet (&sets)[2] = kNoSets) {
    TCompiledRE re(pattern, options, sets);
    std::vector<int> starts, ends;
    if (!re.Match(text, starts, ends)) return "no match";
    std::string out;
    for (size_t i = 0; i < starts.size(); ++i) {
        if (i) out += ' ';
        if (starts[i] < 0 || ends[i] < 0)
            out += '-';
        else
            out += std::to_string(starts[i]) + ":" + std::to_string(ends[i] - starts[i]);
    }
    return out;
}

std::u16string CompileError(const std::u16string& pattern) {
    try {
        TCompiledRE re(pattern, {}, kNoSets);
    } catch (const EREError& e) {
        return e.GetMessage();
    }
    return u"(compiled)";
}

const char* KindName(TNodeKind k) {
    static const char* names[] = {"END",    "BOL",     "EOL",     "ANY",  "ANYOF", "ANYBUT",
                                  "BRANCH", "EXACTLY", "NOTHING", "STAR", "PLUS",  "OPEN"};
    if (k <= tnOPEN) return names[k];
    return k < tnCLOSE ? "OPENn" : "CLOSEn";
}

// The program's nodes in buffer order, with their character operands.
std::string Dump(const TCompiledRE& re) {
    std::string out;
    const uint8_t* p = re.GetNodes();
    const uint8_t* end = p + re.GetCodeSize();
    while (p < end) {
        const TNode* node = reinterpret_cast<const TNode*>(p);
        if (!out.empty()) out += ' ';
        out += KindName(node->Kind());
        p += sizeof(TNode);
        const TNodeKind k = node->Kind();
        if (k == tnEXACTLY || k == tnANYOF || k == tnANYBUT) {
            const char16_t* c = reinterpret_cast<const char16_t*>(p);
            std::u16string chars;
            while (*c)
                chars += *c++;
            out += "(" + UnicodeToUtf8(chars) + ")";
            size_t bytes = (chars.size() + 1) * 2;
            bytes += bytes % 4;
            p += bytes;
        }
    }
    return out;
}

struct MatchCase {
    const char* pattern;
    const char* text;
    const char* expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << c.pattern << " in " << c.text;
}

class RegExpMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(RegExpMatch, FindsLeftmostFirstAlternative) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(MatchOf(U(c.pattern), U(c.text)), c.expected) << c.pattern << " on " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegExpMatch,
    testing::Values(
        // Empty patterns and empty alternatives match empty at the first position.
        MatchCase{"", "abc", "0:0"}, MatchCase{"a|", "b", "0:0"}, MatchCase{"|a", "a", "0:0"},
        MatchCase{"a.", "a", "no match"}, MatchCase{"a.", "ab", "0:2"},
        MatchCase{"x*", "bbb", "0:0"}, MatchCase{"$", "abc", "3:0"},
        MatchCase{"^b", "ab", "no match"}, MatchCase{"^a", "ab", "0:1"},
        MatchCase{"a$", "aba", "2:1"}, MatchCase{"b^", "b", "no match"},
        // The first alternative that succeeds wins, not the longest.
        MatchCase{"a|ab", "ab", "0:1"}, MatchCase{"(a|ab)c", "abc", "0:3 0:2"},
        MatchCase{"(a|ab)(c|bcd)", "abcd", "0:4 0:1 1:3"},
        // A repeated group reports its last repetition.
        MatchCase{"(a)+", "aaa", "0:3 2:1"}, MatchCase{"(ab)*c", "ababc", "0:5 2:2"},
        MatchCase{"(a|b)*abb", "babb", "0:4 0:1"}, MatchCase{"(a|(b))+", "ba", "0:2 1:1 0:1"},
        MatchCase{"a+b", "aaac", "no match"}, MatchCase{"a*b", "aaab", "0:4"},
        MatchCase{"a*ab", "aaab", "0:4"}, MatchCase{"a+a", "aaa", "0:3"},
        MatchCase{"xy", "axbxy", "3:2"}, MatchCase{"(x)|y", "y", "0:1 -"},
        MatchCase{"a?b", "b", "0:1"}, MatchCase{"a?b", "ab", "0:2"},
        MatchCase{"(a*)?b", "aab", "0:3 0:2"}, MatchCase{"[a-z]+ing", "The thing sings", "4:5"},
        MatchCase{"[^a-c]+", "abcdef", "3:3"}, MatchCase{"[]a]+", "x]a]", "1:3"},
        MatchCase{"[a-]+", "x-a", "1:2"}, MatchCase{"[a-a]", "b", "no match"},
        MatchCase{"[^]]", "]x", "1:1"}, MatchCase{"[a\\]", "\\", "0:1"},
        MatchCase{"\\.", "a.b", "1:1"}, MatchCase{"\\n", "n", "0:1"},
        MatchCase{"\\(\\)", "()", "0:2"}, MatchCase{"a.c", "abbc", "no match"},
        MatchCase{".*c", "abcabc", "0:6"}, MatchCase{"b*c", "abbc", "1:3"},
        MatchCase{"ab*", "abbb", "0:4"}, MatchCase{"a{2}", "a{2}", "0:4"},
        MatchCase{"é+", "xéé", "1:2"}, MatchCase{"[α-ω]+", "abγδε", "2:3"},
        MatchCase{"[^α]", "α", "no match"}, MatchCase{".*x", "abxcx", "0:5"},
        MatchCase{".+b", "ab", "0:2"}, MatchCase{".*^a", "ba", "no match"},
        MatchCase{"(Sherlock|Watson)", "Dr Watson", "3:6 3:6"},
        MatchCase{"[A-Z][a-z]+", "the Street", "4:6"}),
    CaseName());

TEST(RegExpMatch, NulInTextIsACharacter) {
    const std::u16string text(u"a\0b", 3);
    EXPECT_EQ(MatchOf(u"a.b$", text), "0:3");
    EXPECT_EQ(MatchOf(u"$", text), "3:0");
    EXPECT_EQ(MatchOf(u"[^x]+", text), "0:3");
}

TEST(RegExpMatch, CaseInsensitiveFoldsPatternAndText) {
    EXPECT_EQ(MatchOf(u"abc", u"xAbCx", {reCaseInsensitive}), "1:3");
    EXPECT_EQ(MatchOf(u"[a-c]+", u"xAbCx", {reCaseInsensitive}), "1:3");
    EXPECT_EQ(MatchOf(u"abc", u"xAbCx"), "no match");
}

TEST(RegExpMatch, BlankAndWordClassesDefaultToLineBreaksAndSpace) {
    EXPECT_EQ(MatchOf(u"a\\_b", u"a b"), "0:3");
    EXPECT_EQ(MatchOf(u"a\\_b", u"a\nb"), "0:3");
    EXPECT_EQ(MatchOf(u"a\\_b", u"a\tb"), "no match");
    EXPECT_EQ(MatchOf(u"\\w+", u"  ab\tc d"), "2:4");
    EXPECT_EQ(MatchOf(u"\\W+", u"  ab\tc d"), "2:4");
}

TEST(RegExpMatch, BlankAndWordClassesFollowTheCharacterSets) {
    TCharSet sets[2];
    sets[0] = TCharSet{'\t'};
    for (int c = 'a'; c <= 'z'; ++c)
        sets[1].Include(static_cast<unsigned char>(c));
    EXPECT_EQ(MatchOf(u"a\\_b", u"a\tb", {}, sets), "0:3");
    EXPECT_EQ(MatchOf(u"a\\_b", u"a b", {}, sets), "no match");
    EXPECT_EQ(MatchOf(u"\\w+", u"12ab3", {}, sets), "2:2");
    // A class of 128 members or more lists the others, so characters above 255 belong to it.
    TCharSet wide[2];
    for (int c = 1; c <= 200; ++c)
        wide[1].Include(static_cast<unsigned char>(c));
    EXPECT_EQ(MatchOf(u"\\w+", u"\u00ffa\u4e00", {}, wide), "1:2");
}

struct ErrorCase {
    const char* pattern;
    const char16_t* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.pattern;
}

class RegExpError : public testing::TestWithParam<ErrorCase> {};

TEST_P(RegExpError, RaisesTheMessage) {
    EXPECT_EQ(CompileError(U(GetParam().pattern)), GetParam().message) << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegExpError,
    testing::Values(ErrorCase{"a**", SErrorNestedRepeat}, ErrorCase{"a+?", SErrorNestedRepeat},
                    ErrorCase{"a?*", SErrorNestedRepeat}, ErrorCase{"*a", SErrorInvalidRepeat},
                    ErrorCase{"a|+", SErrorInvalidRepeat}, ErrorCase{"(a*)*", SErrorInvalidRepeat},
                    ErrorCase{"()+", SErrorInvalidRepeat}, ErrorCase{"^*", SErrorInvalidRepeat},
                    ErrorCase{"(a|)+", SErrorInvalidRepeat}, ErrorCase{")", SErrorUnmatchedParens},
                    ErrorCase{"a)", SErrorUnmatchedParens}, ErrorCase{"(a", SErrorUnmatchedParens},
                    ErrorCase{"((a)", SErrorUnmatchedParens},
                    ErrorCase{"[a", SErrorUnmatchedBracket},
                    ErrorCase{"[a-", SErrorUnmatchedBracket},
                    ErrorCase{"[", SErrorUnmatchedBracket},
                    ErrorCase{"a\\", SErrorTrailingBackslash},
                    ErrorCase{"[z-a]", SErrorInvalidRange}, ErrorCase{"(a*)?", u"(compiled)"},
                    ErrorCase{"^?", u"(compiled)"}, ErrorCase{"[a-a]", u"(compiled)"}),
    CaseName());

TEST(RegExpError, MessagesAreTheSystemsTexts) {
    EXPECT_EQ(std::u16string(SErrorTrailingBackslash), u"Trailing \"\\\" not allowed");
    EXPECT_EQ(std::u16string(SErrorUnmatchedParens), u"Unmatched \"(\"");
}

TEST(RegExpProgram, ShapesOfPieces) {
    struct {
        const char16_t* pattern;
        const char* program;
    } cases[] = {
        {u"", "BRANCH NOTHING END"},
        {u"ab*", "BRANCH EXACTLY(a) STAR EXACTLY(b) END"},
        {u"ab+c", "BRANCH EXACTLY(a) PLUS EXACTLY(b) EXACTLY(c) END"},
        {u"[]a]", "BRANCH ANYOF(]a) END"},
        {u"[a-]", "BRANCH ANYOF(a-) END"},
        {u"[a-a]", "BRANCH ANYOF(a) END"},
        {u"[^a-c]", "BRANCH ANYBUT(abc) END"},
        {u"\\_", "BRANCH ANYOF(\n\r ) END"},
        {u"(a)?", "BRANCH BRANCH OPENn BRANCH EXACTLY(a) CLOSEn BRANCH NOTHING END"},
        {u"(a)*", "BRANCH BRANCH OPENn BRANCH EXACTLY(a) CLOSEn NOTHING BRANCH NOTHING END"},
        {u"(a)+", "BRANCH OPENn BRANCH EXACTLY(a) CLOSEn BRANCH NOTHING BRANCH NOTHING END"},
        {u"a|b", "BRANCH EXACTLY(a) BRANCH EXACTLY(b) END"},
    };
    for (const auto& c : cases) {
        TCompiledRE re(c.pattern, {}, kNoSets);
        EXPECT_EQ(Dump(re), c.program) << UnicodeToUtf8(c.pattern);
    }
}

TEST(RegExpProgram, SearchHints) {
    TCompiledRE begin(u"xy", {}, kNoSets);
    EXPECT_EQ(begin.GetBegin(), u'x');
    EXPECT_FALSE(begin.GetAnchor());
    TCompiledRE anchor(u"^ab", {}, kNoSets);
    EXPECT_TRUE(anchor.GetAnchor());
    TCompiledRE must(u"a*foo.b*longest", {}, kNoSets);
    EXPECT_EQ(must.GetOptMatch(), u"longest");
    TCompiledRE tie(u".*ab.cd", {}, kNoSets);
    EXPECT_EQ(tie.GetOptMatch(), u"cd"); // on equal lengths the later literal wins
    TCompiledRE two(u"a*foo|bar", {}, kNoSets);
    EXPECT_EQ(two.GetBegin(), 0);
    EXPECT_EQ(two.GetOptMatch(), u"");
}

// The search shortcuts (first character, start set, must-contain literal,
// anchors) only skip attempts that cannot succeed.
TEST(RegExpProgram, ShortcutsNeverChangeTheResult) {
    const char* patterns[] = {"(Sherlock|Watson)",
                              "[A-Z][a-z]+ [A-Z]",
                              ".*x",
                              ".+b",
                              "a*b|c",
                              "x?[0-9]+z",
                              "(ab|cd)+x",
                              "[^a-z]+",
                              "^a|b",
                              "(a|)b",
                              "b*",
                              ".*^a",
                              "$",
                              "\\w+",
                              "(a*)?c",
                              "(x|y*)z",
                              "k.*k",
                              "[a-z]+ing",
                              "a*ab",
                              "[ab]*b",
                              "b+c",
                              "[^ ]+$",
                              "a*",
                              // groups of one-character alternatives, run as one repeat
                              "(a|b|c)+z",
                              "x(a|[0-9])*b",
                              "([a-c]|b)+c",
                              "(a|b)+(a|b)+",
                              "((a|b)+k)+",
                              "(a|.)*b",
                              "(a|b)*$",
                              // a first character inside the repeat that follows it
                              "[a-z][a-z0-9]*\\(",
                              "[ab][abc]*c",
                              "a[ab]*b"};
    const char* texts[] = {"",
                           "a",
                           "ab",
                           "Watson and Sherlock",
                           "Baker Street",
                           "xxaxbx",
                           "zz9z x12z",
                           "ababcdx",
                           "abc DEF",
                           "aab",
                           "k1k2k",
                           "cab",
                           "singing ring",
                           "aaab",
                           "bbbc",
                           "ab ba abab",
                           "xabca9b abcz",
                           "k2(x ab1(",
                           "babkabk abbak"};
    for (const char* p : patterns) {
        for (const char* t : texts) {
            const TCharSet sets[2] = {};
            TCompiledRE fast(U(p), {}, sets), slow(U(p), {}, sets);
            slow.SetUseShortcuts(false);
            std::vector<int> fs, fe, ss, se;
            const bool f = fast.Match(U(t), fs, fe);
            const bool s = slow.Match(U(t), ss, se);
            EXPECT_EQ(f, s) << p << " on " << t;
            EXPECT_EQ(fs, ss) << p << " on " << t;
            EXPECT_EQ(fe, se) << p << " on " << t;
        }
    }
}

TEST(RegExpProgram, MustContainLiteralRejectsButNeverHidesAMatch) {
    EXPECT_EQ(MatchOf(u".*needle", u"hay hay"), "no match");
    EXPECT_EQ(MatchOf(u".*needle", u"hay needle hay"), "0:10");
}

// Groups past the ninth have their own numbers, up to the stated limit.
TEST(RegExpGroups, TenAndMoreGroupsKeepTheirEntries) {
    EXPECT_EQ(MatchOf(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", u"xabcdefghijkl"),
              "1:12 1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1 9:1 10:1 11:1 12:1");
    EXPECT_EQ(MatchOf(u"((((((((((x))))))))))y", u"xy"),
              "0:2 0:1 0:1 0:1 0:1 0:1 0:1 0:1 0:1 0:1 0:1");
}

TEST(RegExpGroups, LimitIsSixThousandGroups) {
    std::u16string ok;
    for (int i = 0; i < MaxREGroups; ++i)
        ok += u"(a)";
    TCompiledRE re(ok, {}, kNoSets);
    EXPECT_EQ(re.GetMatchCount(), MaxREGroups + 1);
    std::vector<int> starts, ends;
    ASSERT_TRUE(re.Match(std::u16string(MaxREGroups, u'a'), starts, ends));
    EXPECT_EQ(starts[MaxREGroups], MaxREGroups - 1);
    EXPECT_EQ(CompileError(ok + u"(a)"), SErrorTooManySubExps);
}

// The compiler recurses per nesting level: nesting is bounded with a clear
// error rather than left to exhaust the stack.
TEST(RegExpGroups, NestingIsBounded) {
    auto nested = [](int depth) {
        return std::u16string(depth, u'(') + u"a" + std::u16string(depth, u')');
    };
    EXPECT_EQ(MatchOf(nested(MaxREGroupNesting), u"a").substr(0, 7), "0:1 0:1");
    EXPECT_EQ(CompileError(nested(MaxREGroupNesting + 1)), SErrorNestedTooDeep);
    EXPECT_EQ(CompileError(nested(100000)), SErrorNestedTooDeep);
}

// Long texts: repeats of every kind run without using the machine stack.
TEST(RegExpRobustness, LongTextsDoNotExhaustTheStack) {
    const std::u16string as(2'000'000, u'a');
    EXPECT_EQ(MatchOf(u"(a)*b", as), "no match");
    EXPECT_EQ(MatchOf(u"(a|b)*$", as), "0:2000000 1999999:1");
    EXPECT_EQ(MatchOf(u"(aa)+", as), "0:2000000 1999998:2");
    EXPECT_EQ(MatchOf(u"a*$", as), "0:2000000");
}

TEST(RegExpRobustness, LiteralsNeverReadPastTheText) {
    // The text is a view of exactly its characters; a literal longer than the
    // rest of the text must fail without looking further.
    std::u16string buf = u"abcab";
    EXPECT_EQ(MatchOf(u"abc", std::u16string(buf.data() + 3, 2)), "no match");
    EXPECT_EQ(MatchOf(u"b+c", u"xbbb"), "no match");
}

TEST(RegExpRobustness, NulInPatternIsALiteral) {
    const std::u16string p(u"a\0b", 3);
    EXPECT_EQ(MatchOf(p, std::u16string(u"xa\0b", 4)), "1:3");
    EXPECT_EQ(MatchOf(p, u"ab"), "no match");
}

} // namespace
