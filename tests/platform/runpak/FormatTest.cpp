#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/FormatSettings.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

TEST(FormatTest, IntegerDirectives) {
    EXPECT_EQ(U8(Format(u"%d", 42)), "42");
    EXPECT_EQ(U8(Format(u"%d", -42)), "-42");
    EXPECT_EQ(U8(Format(u"%5d|", 42)), "   42|");
    EXPECT_EQ(U8(Format(u"%-5d|", 42)), "42   |");
    EXPECT_EQ(U8(Format(u"%.4d", 42)), "0042");
    EXPECT_EQ(U8(Format(u"%.4d", -42)), "-0042");
    EXPECT_EQ(U8(Format(u"%03d", 5)), "  5"); // no zero padding from the width
    EXPECT_EQ(U8(Format(u"%d", int64_t(1) << 40)), "1099511627776");
    EXPECT_EQ(U8(Format(u"%u", -1)), "4294967295");
    EXPECT_EQ(U8(Format(u"%u", 7u)), "7");
    EXPECT_EQ(U8(Format(u"%x", 255)), "ff");
    EXPECT_EQ(U8(Format(u"%X", 255)), "FF");
    EXPECT_EQ(U8(Format(u"%.4x", 255)), "00ff");
    EXPECT_EQ(U8(Format(u"%.4X", 255)), "00FF");
    EXPECT_EQ(U8(Format(u"#%.2x%.2x%.2x", 255, 128, 0)), "#ff8000");
    EXPECT_EQ(U8(Format(u"%x", -1)), "ffffffff");
    EXPECT_EQ(U8(Format(u"%.16x", int64_t(-2))), "fffffffffffffffe");
    EXPECT_EQ(U8(Format(u"%.8x", uint64_t(0x1234567890))), "1234567890");
    EXPECT_EQ(U8(Format(u"%D", 3)), "3");
}

TEST(FormatTest, StringDirectives) {
    UnicodeString name = u"abc";
    EXPECT_EQ(U8(Format(u"[%s]", name)), "[abc]");
    EXPECT_EQ(U8(Format(u"[%s]", u"lit")), "[lit]");
    EXPECT_EQ(U8(Format(u"[%s]", "8bit")), "[8bit]");
    EXPECT_EQ(U8(Format(u"[%s]", u'c')), "[c]");
    EXPECT_EQ(U8(Format(u"[%5s]", u"ab")), "[   ab]");
    EXPECT_EQ(U8(Format(u"[%-5s]", u"ab")), "[ab   ]");
    EXPECT_EQ(U8(Format(u"[%.2s]", u"abcdef")), "[ab]");
    // The panel's three-place field: right-aligned, padded with blanks.
    EXPECT_EQ(U8(Format(u"%03s", u"7")), "  7");
    EXPECT_EQ(U8(Format(u"%03s", u"1234")), "1234");
    EXPECT_EQ(U8(Format(u"[%s]", UnicodeString())), "[]");
    const char16_t* none = nullptr;
    EXPECT_EQ(U8(Format(u"[%s]", none)), "[]");
}

TEST(FormatTest, IndexStarAndPercent) {
    EXPECT_EQ(U8(Format(u"%1:s %0:s", u"a", u"b")), "b a");
    EXPECT_EQ(U8(Format(u"%1:s %s", u"a", u"b", u"c")), "b c"); // continues after the index
    EXPECT_EQ(U8(Format(u"%0:s-%0:s", u"x")), "x-x");
    EXPECT_EQ(U8(Format(u"%*d|", 4, 7)), "   7|");
    EXPECT_EQ(U8(Format(u"%-*d|", 4, 7)), "7   |");
    EXPECT_EQ(U8(Format(u"%.*f", 1, 2.25)), "2.3");
    EXPECT_EQ(U8(Format(u"%*.*f", 6, 1, 2.25)), "   2.3");
    EXPECT_EQ(U8(Format(u"100%%")), "100%");
    EXPECT_EQ(U8(Format(u"no directives")), "no directives");
}

TEST(FormatTest, FloatDirectives) {
    EXPECT_EQ(U8(Format(u"%f", 1.5)), "1.50");
    EXPECT_EQ(U8(Format(u"%.3f", 2.0)), "2.000");
    EXPECT_EQ(U8(Format(u"%.0f", 2.5)), "3"); // half away from zero
    EXPECT_EQ(U8(Format(u"%.2f", -0.125)), "-0.13");
    EXPECT_EQ(U8(Format(u"%.2f", -0.001)), "0.00");
    EXPECT_EQ(U8(Format(u"%e", 1500.0)), "1.50000000000000E+003");
    EXPECT_EQ(U8(Format(u"%.3e", -0.00012345)), "-1.23E-004");
    EXPECT_EQ(U8(Format(u"%g", 1.5)), "1.5");
    EXPECT_EQ(U8(Format(u"%g", 0.1)), "0.1");
    EXPECT_EQ(U8(Format(u"%.3g", 3.14159)), "3.14");
    EXPECT_EQ(U8(Format(u"%8.3g|", 3.14159)), "    3.14|");
    EXPECT_EQ(U8(Format(u"%g", 100.0f)), "100");
    EXPECT_EQ(U8(Format(u"%g", 1e20)), "1E020");
    EXPECT_EQ(U8(Format(u"%g", 1.5e-7)), "1.5E-007");
    EXPECT_EQ(U8(Format(u"%n", 1234567.891)), "1,234,567.89");
    EXPECT_EQ(U8(Format(u"%.0n", 1234567.0)), "1,234,567");
    EXPECT_EQ(U8(Format(u"%.0n", -999.0)), "-999");
    EXPECT_EQ(U8(Format(u"%m", 1234.5)), "$1,234.50");
    EXPECT_EQ(U8(Format(u"%m", -3.0)), "($3.00)");
    EXPECT_EQ(U8(Format(u"%g", 0.0 / 0.0)), "NAN");
    EXPECT_EQ(U8(Format(u"%f", -1.0 / 0.0)), "-INF");
}

TEST(FormatTest, PointerDirective) {
    EXPECT_EQ(U8(Format(u"%p", reinterpret_cast<void*>(0xABC))), "0000000000000ABC");
    EXPECT_EQ(U8(Format(u"%p", nullptr)), "0000000000000000");
}

TEST(FormatTest, ExplicitSettings) {
    TFormatSettings fs;
    fs.DecimalSeparator = u',';
    fs.ThousandSeparator = u'.';
    EXPECT_EQ(U8(FormatS(fs, u"%n", 1234.5)), "1.234,50");
    EXPECT_EQ(U8(FormatS(fs, u"%.1f", 0.25)), "0,3");
}

struct BadFormat {
    const char* name;
    UnicodeString (*run)();
};

TEST(FormatTest, MismatchedArgumentsRaise) {
    const BadFormat cases[] = {
        {"%d with string", [] { return Format(u"%d", u"x"); }},
        {"%d with float", [] { return Format(u"%d", 1.5); }},
        {"%f with integer", [] { return Format(u"%f", 1); }},
        {"%s with integer", [] { return Format(u"%s", 1); }},
        {"%s with bool", [] { return Format(u"%s", true); }},
        {"%p with integer", [] { return Format(u"%p", 1); }},
        {"unknown type", [] { return Format(u"%q", 1); }},
        {"trailing percent", [] { return Format(u"50%", 1); }},
        {"star with string", [] { return Format(u"%*d", u"x", 1); }},
        // Absurd widths are refused instead of allocating gigabytes.
        {"huge width", [] { return Format(u"%2000000000d", 1); }},
        {"huge star width", [] { return Format(u"%*d", 2000000000, 1); }},
    };
    for (const BadFormat& c : cases)
        EXPECT_THROW(c.run(), EConvertError) << c.name;
    try {
        Format(u"%d", u"x");
    } catch (const EConvertError& e) {
        EXPECT_EQ(U8(e.GetMessage()), "Format '%d' invalid or incompatible with argument");
    }
}

TEST(FormatTest, MissingArgumentRaises) {
    EXPECT_THROW(Format(u"%d %d", 1), EConvertError);
    EXPECT_THROW(Format(u"%2:d", 1, 2), EConvertError);
    try {
        Format(u"%s");
    } catch (const EConvertError& e) {
        EXPECT_EQ(U8(e.GetMessage()), "No argument for format '%s'");
    }
}

TEST(FormatTest, ExceptionBuiltFromFormat) {
    EConvertError e(u"'%s' is not a valid integer value", {u"12a"});
    EXPECT_EQ(U8(e.GetMessage()), "'12a' is not a valid integer value");
    EXPECT_STREQ(EListError(u"List index out of bounds (%d)", {5}).what(),
                 "List index out of bounds (5)");
}

} // namespace
