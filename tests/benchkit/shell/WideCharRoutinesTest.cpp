#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include "CaseName.h"
#include <gtest/gtest.h>

TEST(WideCharRoutines, LengthEndAndCopies) {
    EXPECT_EQ(StrLenW(u"abc"), 3u);
    EXPECT_EQ(StrLenW(u""), 0u);
    EXPECT_EQ(StrLenW(nullptr), 0u);
    const char16_t* s = u"hello";
    EXPECT_EQ(StrEndW(s), s + 5);

    char16_t buf[16] = {};
    EXPECT_EQ(StrECopyW(buf, u"abc"), buf + 3);
    EXPECT_EQ(UnicodeString(buf), u"abc");
    StrLCopyW(buf, u"abcdef", 4);
    EXPECT_EQ(UnicodeString(buf), u"abcd");
    StrCatW(buf, u"XY");
    EXPECT_EQ(UnicodeString(buf), u"abcdXY");
    StrLCatW(buf, u"123456", 8);
    EXPECT_EQ(UnicodeString(buf), u"abcdXY12");
}

TEST(WideCharRoutines, MoveHandlesOverlap) {
    char16_t buf[8] = u"abcdef";
    StrMoveW(buf + 1, buf, 5);
    EXPECT_EQ(UnicodeString(buf, 6), u"aabcde");
}

TEST(WideCharRoutines, FrameworkStringCopies) {
    char16_t buf[8] = u"zzzzzzz";
    StrPCopyW(buf, u"");
    EXPECT_EQ(buf[0], u'z') << "an empty string copies nothing";
    StrPLCopyW(buf, u"abcdef", 3);
    EXPECT_EQ(UnicodeString(buf), u"abc");
    StrPCopyW(buf, u"xy");
    EXPECT_EQ(UnicodeString(buf), u"xy");
}

struct CompareCase {
    const char16_t* a;
    const char16_t* b;
    int sign;
};

void PrintTo(const CompareCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.a) << " " << testing::PrintToString(c.b);
}

class StrCompWTest : public testing::TestWithParam<CompareCase> {};

TEST_P(StrCompWTest, OrdersByCodePoint) {
    int r = StrCompW(GetParam().a, GetParam().b);
    EXPECT_EQ((r > 0) - (r < 0), GetParam().sign);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrCompWTest,
                         testing::Values(CompareCase{u"abc", u"abc", 0},
                                         CompareCase{u"abc", u"abd", -1},
                                         CompareCase{u"ab", u"abc", -1}, CompareCase{u"b", u"a", 1},
                                         // U+FFFD sorts before a surrogate pair (U+1F600).
                                         CompareCase{u"\uFFFD", u"\U0001F600", -1},
                                         CompareCase{u"\U0001F600", u"\uE000", 1},
                                         CompareCase{u"\uE000", u"\uD7FF", 1}),
                         CaseName());

TEST(WideCharRoutines, BoundedComparisonsHonourTheBound) {
    EXPECT_EQ(StrLCompW(u"abcX", u"abcY", 3), 0);
    EXPECT_LT(StrLCompW(u"abcX", u"abcY", 4), 0);
    EXPECT_EQ(StrICompW(u"Hello", u"hELLO"), 0);
    EXPECT_NE(StrICompW(u"Hello", u"Help"), 0);
    EXPECT_EQ(StrLICompW(u"HELLO world", u"hello THERE", 5), 0);
    EXPECT_NE(StrLICompW(u"HELLO world", u"hello THERE", 7), 0);
}

TEST(WideCharRoutines, CaseChangesInPlace) {
    char16_t buf[] = u"MiXeD Ä";
    StrLowerW(buf);
    EXPECT_EQ(UnicodeString(buf), u"mixed ä");
    StrUpperW(buf);
    EXPECT_EQ(UnicodeString(buf), u"MIXED Ä");
}

TEST(WideCharRoutines, Scans) {
    const char16_t* s = u"a/b/c";
    EXPECT_EQ(StrScanW(s, u'/'), s + 1);
    EXPECT_EQ(StrScanW(s, u'\0'), s + 5) << "the terminator is found";
    EXPECT_EQ(StrScanW(s, u'x'), nullptr);
    EXPECT_EQ(StrScanW(nullptr, u'x'), nullptr);
    EXPECT_EQ(StrRScanW(s, u'/'), s + 3);
    EXPECT_EQ(StrScanW(s, u'/', 1), nullptr);
    EXPECT_EQ(StrScanW(s, u'/', 2), s + 1);
    EXPECT_EQ(StrScanW(s, u'x', 0), s);
    EXPECT_EQ(StrNScanW(u"hello", u"lo"), 2);
    EXPECT_EQ(StrNScanW(u"hello", u"xyz"), 5);
    EXPECT_EQ(StrNScanW(nullptr, u"xyz"), -1);
    EXPECT_EQ(StrRNScanW(u"hello", u"lh"), 3);
    EXPECT_EQ(StrRNScanW(u"hello", u"z"), -1);
    EXPECT_EQ(StrPosW(u"hello", u"ll"), StrScanW(u"hello", u'l'));
    const char16_t* h = u"hello";
    EXPECT_EQ(StrPosW(h, u"llo"), h + 2);
    EXPECT_EQ(StrPosW(h, u"lloo"), nullptr) << "a match may not run past the end";
    EXPECT_EQ(StrPosW(h, u""), nullptr);
    EXPECT_EQ(StrPosW(nullptr, u"a"), nullptr);
}

TEST(WideCharRoutines, BuffersKnowTheirSize) {
    char16_t* buf = StrAllocW(10);
    EXPECT_EQ(StrBufSizeW(buf), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(buf[i], 0);
    StrDisposeW(buf);

    char16_t* copy = StrNewW(u"text");
    EXPECT_EQ(UnicodeString(copy), u"text");
    EXPECT_EQ(StrBufSizeW(copy), 5u);
    StrDisposeW(copy);
    EXPECT_EQ(StrNewW(nullptr), nullptr);
    StrDisposeW(nullptr);
}

TEST(WideCharRoutines, SwapByteOrder) {
    char16_t buf[] = {0x4100, 0x0042, 0};
    StrSwapByteOrder(buf);
    EXPECT_EQ(buf[0], 0x0041);
    EXPECT_EQ(buf[1], 0x4200);
}
