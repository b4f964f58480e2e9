#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

struct FloatTextCase {
    long double value;
    const char* expected;
};

TEST(FloatToStrTest, GeneralFormatWithFifteenDigits) {
    const FloatTextCase cases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-0.001, "-0.001"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {-1.5e20, "-1.5E20"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5e-7, "1.5E-7"},
        {-0.0, "0"},
        {9.999999999999999, "10"},
    };
    for (const FloatTextCase& c : cases)
        EXPECT_EQ(U8(FloatToStr(c.value)), c.expected) << c.expected;
    EXPECT_EQ(U8(FloatToStr(NAN)), "NAN");
    EXPECT_EQ(U8(FloatToStr(INFINITY)), "INF");
    EXPECT_EQ(U8(FloatToStr(-INFINITY)), "-INF");
}

struct FloatToStrFCase {
    long double value;
    TFloatFormat format;
    int precision, digits;
    const char* expected;
};

TEST(FloatToStrFTest, EachFormat) {
    const FloatToStrFCase cases[] = {
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {1234.5678, ffFixed, 15, 0, "1235"},
        {-0.5, ffFixed, 15, 0, "-1"},
        {0.005, ffFixed, 15, 2, "0.01"},
        {1.005, ffFixed, 15, 2, "1.00"}, // 1.005 is 1.00499999... in binary
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-1234.0, ffNumber, 15, 0, "-1,234"},
        {999.0, ffNumber, 15, 1, "999.0"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {1500, ffExponent, 4, 2, "1.500E+03"},
        {-0.000123, ffExponent, 3, 0, "-1.23E-4"},
        {0, ffExponent, 3, 2, "0.00E+00"},
        {1234.5678, ffGeneral, 6, 0, "1234.57"},
        {1234.5678, ffGeneral, 3, 0, "1.23E3"},
        {123456.0, ffGeneral, 15, 0, "123456"},
    };
    for (const FloatToStrFCase& c : cases)
        EXPECT_EQ(U8(FloatToStrF(c.value, c.format, c.precision, c.digits)), c.expected)
            << c.expected;
}

struct FormatFloatCase {
    const char16_t* format;
    long double value;
    const char* expected;
};

TEST(FormatFloatTest, PictureFormats) {
    const FormatFloatCase cases[] = {
        {u"0.00", 3.14159, "3.14"},
        {u"0.00", -3.145, "-3.15"},
        {u"0.00", 0, "0.00"},
        {u"0", 2.5, "3"},
        {u"000", 7, "007"},
        {u"#.##", 1.5, "1.5"},
        {u"#.##", 2, "2"},
        {u"#.##", 0.25, ".25"},
        {u"0.##", 0.25, "0.25"},
        {u"#,##0.##", 1234567.891, "1,234,567.89"},
        {u"#,##0.00", 0.5, "0.50"},
        {u"#,##0", 999, "999"},
        {u"#,##0", 1000, "1,000"},
        {u"#,##0", -1234567, "-1,234,567"},
        {u"0.###E+00", 12345, "1.235E+04"},
        {u"0.###E+00", 0.00012, "1.2E-04"},
        {u"0.00E-0", 1500, "1.50E3"},
        {u"0.00E+000", -0.5, "-5.00E-001"},
        {u"0.0 'kg'", 2.25, "2.3 kg"},
        {u"\"#\"0", 5, "#5"},
        {u"0.0;(0.0)", -2.5, "(2.5)"},
        {u"0.0;(0.0);'zero'", 0, "zero"},
        {u"0.0;;'zero'", -1, "-1.0"},
        {u"0 %", 50, "50 %"},
        {u"", 1.5, "1.5"},
    };
    for (const FormatFloatCase& c : cases)
        EXPECT_EQ(U8(FormatFloat(c.format, c.value)), c.expected) << U8(c.format);
}

TEST(FormatFloatTest, UsesTheSettingsSeparators) {
    TFormatSettings fs;
    fs.DecimalSeparator = u',';
    fs.ThousandSeparator = u'.';
    EXPECT_EQ(U8(FormatFloat(u"#,##0.00", 1234.5, fs)), "1.234,50");
    EXPECT_EQ(U8(FloatToStr(0.5, fs)), "0,5");
}

struct StrToFloatCase {
    const char16_t* text;
    bool ok;
    long double value;
};

TEST(StrToFloatTest, AcceptsPlainDecimalForms) {
    const StrToFloatCase cases[] = {
        {u"1.5", true, 1.5},      {u"-1.5", true, -1.5},    {u"+2", true, 2},
        {u"  3.25 ", true, 3.25}, {u".5", true, 0.5},       {u"5.", true, 5},
        {u"1e3", true, 1000},     {u"1.5E-2", true, 0.015}, {u"12", true, 12},
        {u"", false, 0},          {u"abc", false, 0},       {u"1.2.3", false, 0},
        {u"1,5", false, 0},       {u"1e", false, 0},        {u"e5", false, 0},
        {u"1 000", false, 0},     {u".", false, 0},         {u"-", false, 0},
        {u"1e99999", false, 0},
    };
    for (const StrToFloatCase& c : cases) {
        SCOPED_TRACE(U8(c.text));
        long double value = 0;
        EXPECT_EQ(TryStrToFloat(c.text, value), c.ok);
        if (c.ok)
            EXPECT_DOUBLE_EQ(static_cast<double>(value), static_cast<double>(c.value));
        else
            EXPECT_THROW(StrToFloat(c.text), EConvertError);
    }
    EXPECT_EQ(StrToFloatDef(u"x", 2.5), 2.5);
}

TEST(StrToFloatTest, ErrorMessageAndSettings) {
    try {
        StrToFloat(u"x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(U8(e.GetMessage()), "'x1' is not a valid floating point value");
    }
    TFormatSettings fs;
    fs.DecimalSeparator = u',';
    EXPECT_EQ(StrToFloat(u"1,25", fs), 1.25L);
    EXPECT_THROW(StrToFloat(u"1.25", fs), EConvertError);
}

TEST(StrToFloatTest, RoundTripsFloatToStr) {
    for (long double v : {0.1L, -123.456L, 1e-10L, 6.02214076e23L, 1.0L / 7}) {
        long double back = StrToFloat(FloatToStr(v));
        EXPECT_NEAR(static_cast<double>(back), static_cast<double>(v),
                    std::fabs(static_cast<double>(v)) * 1e-14);
    }
    EXPECT_TRUE(std::isnan(StrToFloat(u"NAN")));
    EXPECT_EQ(StrToFloat(u"-INF"), -INFINITY);
}

} // namespace
