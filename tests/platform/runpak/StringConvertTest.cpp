#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

TEST(IntToStrTest, AllIntegerKinds) {
    EXPECT_EQ(U8(IntToStr(0)), "0");
    EXPECT_EQ(U8(IntToStr(-42)), "-42");
    EXPECT_EQ(U8(IntToStr(INT_MIN)), "-2147483648");
    EXPECT_EQ(U8(IntToStr(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(U8(IntToStr(UINT64_MAX)), "18446744073709551615");
    EXPECT_EQ(U8(IntToStr(4000000000u)), "4000000000");
}

TEST(IntToHexTest, UpperCaseWithMinimumDigits) {
    EXPECT_EQ(U8(IntToHex(255, 2)), "FF");
    EXPECT_EQ(U8(IntToHex(255, 8)), "000000FF");
    EXPECT_EQ(U8(IntToHex(0x12345, 2)), "12345");
    EXPECT_EQ(U8(IntToHex(0, 0)), "0");
    EXPECT_EQ(U8(IntToHex(-1, 2)), "FFFFFFFF");
    EXPECT_EQ(U8(IntToHex(int64_t(-1), 2)), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(U8(IntToHex(uint32_t(0xDEADBEEF), 8)), "DEADBEEF");
}

struct IntCase {
    const char16_t* text;
    bool ok;
    int value;
};

TEST(StrToIntTest, AcceptsWhatTheFrameworkAccepts) {
    const IntCase cases[] = {
        {u"0", true, 0},
        {u"12", true, 12},
        {u"-12", true, -12},
        {u"+12", true, 12},
        {u"  12", true, 12}, // leading blanks are skipped
        {u"007", true, 7},
        {u"2147483647", true, INT_MAX},
        {u"-2147483648", true, INT_MIN},
        {u"$FF", true, 255},
        {u"0x1f", true, 31},
        {u"x10", true, 16},
        {u"-$10", true, -16},
        {u"$FFFFFFFF", true, -1}, // hex uses all 32 bits
        {u"12a", false, 0},
        {u"12 ", false, 0}, // trailing blanks are not
        {u"", false, 0},
        {u" ", false, 0},
        {u"-", false, 0},
        {u"$", false, 0},
        {u"1.5", false, 0},
        {u"2147483648", false, 0},
        {u"-2147483649", false, 0},
        {u"$100000000", false, 0},
        {u"99999999999999999999", false, 0},
        {u"\t12", false, 0},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(U8(c.text));
        int value = 12345;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(StrToInt(c.text), c.value);
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError);
            EXPECT_EQ(StrToIntDef(c.text, -7), -7);
        }
    }
}

TEST(StrToIntTest, ErrorMessageQuotesTheText) {
    try {
        StrToInt(u"12a");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(U8(e.GetMessage()), "'12a' is not a valid integer value");
    }
}

TEST(StrToInt64Test, RangeOfSixtyFourBits) {
    EXPECT_EQ(StrToInt64(u"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64(u"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64(u"4294967296"), 4294967296LL);
    EXPECT_THROW(StrToInt64(u"9223372036854775808"), EConvertError);
    EXPECT_EQ(StrToInt64Def(u"x", 5), 5);
    int64_t v = 0;
    EXPECT_FALSE(TryStrToInt64(u"1e3", v));
}

TEST(StrToUIntTest, RejectsNegativeValues) {
    EXPECT_EQ(StrToUInt(u"4294967295"), 4294967295u);
    EXPECT_THROW(StrToUInt(u"4294967296"), EConvertError);
    EXPECT_THROW(StrToUInt(u"-1"), EConvertError);
    EXPECT_EQ(StrToUInt(u"-0"), 0u);
    EXPECT_EQ(StrToUInt64(u"18446744073709551615"), UINT64_MAX);
}

TEST(BoolTextTest, BothDirections) {
    EXPECT_EQ(U8(BoolToStr(true)), "-1");
    EXPECT_EQ(U8(BoolToStr(false)), "0");
    EXPECT_EQ(U8(BoolToStr(true, true)), "True");
    EXPECT_EQ(U8(BoolToStr(false, true)), "False");
    EXPECT_TRUE(StrToBool(u"true"));
    EXPECT_FALSE(StrToBool(u"FALSE"));
    EXPECT_TRUE(StrToBool(u"-1"));
    EXPECT_TRUE(StrToBool(u"2.5"));
    EXPECT_FALSE(StrToBool(u"0"));
    EXPECT_THROW(StrToBool(u"yes"), EConvertError);
    bool b = true;
    EXPECT_FALSE(TryStrToBool(u"", b));
    EXPECT_TRUE(StrToBoolDef(u"maybe", true));
}

} // namespace
