// TIDERegularExpression: properties, compilation on demand, match entries,
// replacement of entries and auto-matching.
#include "benchkit/controls/IDERegExpComp.h"
#include "benchkit/controls/IDERegExpConst.h"

#include <gtest/gtest.h>

namespace {

template <class F> std::u16string MessageOf(F f) {
    try {
        f();
    } catch (const EREError& e) {
        return e.GetMessage();
    }
    return u"(no exception)";
}

TEST(RegularExpression, StartsEmptyAndMatchesEmptyPattern) {
    TIDERegularExpression re(nullptr);
    EXPECT_EQ(re.GetPattern(), u"");
    EXPECT_TRUE(re.GetOptions().Empty());
    EXPECT_TRUE(re.GetBlankChars().Empty());
    EXPECT_FALSE(re.GetCompiled());
    EXPECT_TRUE(re.Match(u"anything"));
    EXPECT_EQ(re.GetMatchCount(), 1);
    EXPECT_EQ(re.GetMatchPos(0), 0);
    EXPECT_EQ(re.GetMatchLen(0), 0);
}

TEST(RegularExpression, ExposesGroupsAsStringsPositionsAndLengths) {
    TIDERegularExpression re(nullptr, u"(a|ab)(c|bcd)", {});
    ASSERT_TRUE(re.Match(u"xabcd"));
    EXPECT_EQ(re.GetMatchCount(), 3);
    EXPECT_EQ(re.GetMatches(0), u"abcd");
    EXPECT_EQ(re.GetMatches(1), u"a");
    EXPECT_EQ(re.GetMatches(2), u"bcd");
    EXPECT_EQ(re.GetMatchPos(2), 2);
    EXPECT_EQ(re.GetMatchLen(2), 3);
    EXPECT_EQ(re.GetMatchState(), imYes);
}

TEST(RegularExpression, CaseInsensitiveMatchReturnsTheTextsOwnCase) {
    TIDERegularExpression re(nullptr, u"abc", {reCaseInsensitive});
    ASSERT_TRUE(re.Match(u"xAbCx"));
    EXPECT_EQ(re.GetMatches(0), u"AbC");
}

TEST(RegularExpression, AGroupThatTookNoPartIsEmpty) {
    TIDERegularExpression re(nullptr, u"(x)|y", {});
    ASSERT_TRUE(re.Match(u"y"));
    EXPECT_EQ(re.GetMatches(1), u"");
    EXPECT_EQ(re.GetMatchLen(1), 0);
    EXPECT_EQ(re.GetMatchPos(1), -1);
    EXPECT_EQ(MessageOf([&] { re.SetMatches(1, u"z"); }), SErrorNotFound);
}

TEST(RegularExpression, EntriesOutOfRangeOrWithoutMatchRaise) {
    TIDERegularExpression re(nullptr, u"(a)", {});
    re.SetText(u"a");
    EXPECT_EQ(MessageOf([&] { re.GetMatches(5); }), SErrorNotFound);
    EXPECT_EQ(MessageOf([&] { re.GetMatches(-1); }), SErrorNotFound);
    EXPECT_EQ(MessageOf([&] { re.GetMatchPos(2); }), SErrorNotFound);
    EXPECT_EQ(re.GetMatches(1), u"a"); // IsMatch matched Text on demand
    re.SetText(u"b");
    EXPECT_EQ(re.GetMatchState(), imUnknown);
    EXPECT_EQ(MessageOf([&] { re.GetMatches(0); }), SErrorNotFound);
    EXPECT_EQ(re.GetMatchState(), imNo);
}

TEST(RegularExpression, ACompileErrorLeavesNoProgramAndRaisesAgain) {
    TIDERegularExpression re(nullptr);
    re.SetPattern(u"(a");
    EXPECT_EQ(MessageOf([&] { re.Compile(); }), SErrorUnmatchedParens);
    EXPECT_FALSE(re.GetCompiled());
    EXPECT_EQ(re.GetPattern(), u"(a");
    EXPECT_EQ(MessageOf([&] { re.Match(u"a"); }), SErrorUnmatchedParens);
    re.SetPattern(u"(a)");
    EXPECT_TRUE(re.Match(u"a"));
}

TEST(RegularExpression, SettingsInvalidateTheProgram) {
    TIDERegularExpression re(nullptr, u"a", {});
    re.Compile();
    re.SetOptions({});
    EXPECT_TRUE(re.GetCompiled()); // an equal value changes nothing
    re.SetOptions({reCaseInsensitive});
    EXPECT_FALSE(re.GetCompiled());
    re.Compile();
    re.SetPattern(u"a");
    EXPECT_FALSE(re.GetCompiled()); // the pattern always drops it
}

TEST(RegularExpression, EqualCharacterSetKeepsProgramAndState) {
    TIDERegularExpression re(nullptr, u"a\\_b", {});
    const TCharSet tab{'\t'};
    re.SetBlankChars(tab);
    ASSERT_TRUE(re.Match(u"a\tb"));
    re.SetBlankChars(tab);
    EXPECT_TRUE(re.GetCompiled());
    EXPECT_EQ(re.GetMatchState(), imYes);
    re.SetBlankChars({});
    EXPECT_FALSE(re.GetCompiled());
    EXPECT_FALSE(re.Match(u"a\tb"));
}

TEST(RegularExpression, AutoMatchFollowsEveryChange) {
    TIDERegularExpression re(nullptr, u"b+", {reAutoMatch});
    re.SetText(u"abbc");
    EXPECT_EQ(re.GetMatchState(), imYes);
    EXPECT_EQ(re.GetMatches(0), u"bb");
    re.SetPattern(u"c");
    EXPECT_EQ(re.GetMatchPos(0), 3);
    EXPECT_EQ(MessageOf([&] { re.SetPattern(u"*"); }), SErrorInvalidRepeat);
}

TEST(RegularExpression, ReplacingAnEntryShiftsTheLaterOnes) {
    TIDERegularExpression re(nullptr, u"(a+)(b+)(c+)", {});
    ASSERT_TRUE(re.Match(u"xaabbbcc"));
    re.SetMatches(2, u"B");
    EXPECT_EQ(re.GetText(), u"xaaBcc");
    EXPECT_EQ(re.GetMatches(1), u"aa");
    EXPECT_EQ(re.GetMatches(2), u"B");
    EXPECT_EQ(re.GetMatches(3), u"cc");
    EXPECT_EQ(re.GetMatches(0), u"aaBcc");
    EXPECT_EQ(re.GetMatchState(), imYes);
}

TEST(RegularExpression, ReplacingUnderAutoMatchMatchesAgain) {
    TIDERegularExpression re(nullptr, u"b+", {reAutoMatch});
    re.SetText(u"abbc");
    re.SetMatches(0, u"x");
    EXPECT_EQ(re.GetText(), u"axc");
    EXPECT_EQ(re.GetMatchState(), imNo);
}

TEST(RegularExpression, LoadingDefersAutoMatchUntilLoaded) {
    TIDERegularExpression re(nullptr);
    re.Loading();
    re.SetOptions({reAutoMatch});
    re.SetPattern(u"("); // not matched while loading
    re.SetPattern(u"o+");
    re.SetText(u"foo");
    EXPECT_EQ(re.GetMatchState(), imUnknown);
    re.Loaded();
    EXPECT_EQ(re.GetMatchState(), imYes);
    EXPECT_EQ(re.GetMatches(0), u"oo");
}

TEST(RegularExpression, PublishesOptionsPatternAndText) {
    TIDERegularExpression re(nullptr);
    SetStrProp(&re, u"Pattern", u"l+");
    SetStrProp(&re, u"Text", u"hello");
    SetOrdProp(&re, u"Options", TREOptions{reAutoMatch}.ToInt());
    EXPECT_EQ(re.GetMatches(0), u"ll");
    EXPECT_EQ(GetOrdProp(&re, u"Options"), 2);
}

TEST(RegularExpression, OwnerFreesIt) {
    TComponent owner(nullptr);
    auto* re = new TIDERegularExpression(&owner, u"a", {});
    re->Compile();
    EXPECT_EQ(owner.GetComponentCount(), 1);
}

} // namespace

namespace {

// Patterns whose backtracking grows exponentially once ran for minutes; the
// component now ends them with its error, and ordinary searches are untouched.
TEST(RegularExpressionLimits, ARunawayMatchEndsWithTheMatchLimitError) {
    struct Case {
        const char16_t* pattern;
        std::u16string text;
        const char16_t* ordinary; // a text it matches
    };
    const Case cases[] = {
        {u"(a|aa)+$", std::u16string(40, u'a') + u"b", u"baa"},
        // The text holds the "b" every match needs, so the quick refusal of
        // texts without it does not apply and the backtracking runs away.
        {u"(a+)+b", std::u16string(30, u'a') + u"cb", u"aab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern)));
        TIDERegularExpression re(nullptr);
        re.SetPattern(c.pattern);
        EXPECT_EQ(MessageOf([&] { re.Match(c.text); }), SMatchLimit);
        EXPECT_TRUE(re.Match(c.ordinary)); // the same component searches on afterwards
    }
    // A long search of the ordinary kind stays far below the limit.
    TIDERegularExpression re(nullptr);
    re.SetPattern(u"(x|y)*z");
    EXPECT_TRUE(re.Match(std::u16string(200000, u'x') + u"z"));
    // A text that lacks a literal every match must contain is refused at once.
    re.SetPattern(u"(a+)+b");
    EXPECT_FALSE(re.Match(std::u16string(30, u'a')));
}

TEST(RegularExpressionLimits, WideClassesMatchTheirMembersWhateverTheirSize) {
    auto members = [](int count) {
        std::u16string set;
        for (int i = 0; i < count; ++i)
            set += static_cast<char16_t>(0x3042 + 2 * i);
        return set;
    };
    for (int count : {1, 2, 32, 33, 200}) {
        SCOPED_TRACE(count);
        std::u16string set = members(count);
        TIDERegularExpression in(nullptr), out(nullptr);
        in.SetPattern(u"[a" + set + u"]+");
        out.SetPattern(u"[^a" + set + u"]");
        for (char16_t member : set) {
            EXPECT_TRUE(in.Match(std::u16string(1, member)));
            EXPECT_FALSE(out.Match(std::u16string(1, member)));
        }
        const std::u16string strangers{static_cast<char16_t>(0x3043), u'b', u'\u0100'};
        for (char16_t stranger : strangers) {
            EXPECT_FALSE(in.Match(std::u16string(1, stranger)));
            EXPECT_TRUE(out.Match(std::u16string(1, stranger)));
        }
        EXPECT_EQ(in.Match(u"b" + set + u"b") ? in.GetMatchLen(0) : -1, count);
    }
    // A long pattern of one-character classes compiles and searches.
    std::u16string pattern, text;
    for (int i = 0; i < 20000; ++i) {
        char16_t c = static_cast<char16_t>(0x4E00 + i % 500);
        pattern += u"[" + std::u16string(1, c) + u"]";
        text += c;
    }
    TIDERegularExpression re(nullptr);
    re.SetPattern(pattern);
    EXPECT_TRUE(re.Match(u"x" + text));
    EXPECT_EQ(re.GetMatchPos(0), 1);
}

} // namespace
