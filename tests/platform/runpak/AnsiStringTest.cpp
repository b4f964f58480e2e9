#include <runpak/AnsiString.h>
#include <runpak/Format.h>

#include <win32/winnls.h>

#include <gtest/gtest.h>

namespace {

TEST(AnsiStringTest, CarriesTheAnsiCodePage) {
    AnsiString empty;
    EXPECT_EQ(empty.CodePage(), GetACP());
    EXPECT_TRUE(empty.IsEmpty());
    AnsiString a(u"caf\u00e9");
    EXPECT_EQ(a.CodePage(), GetACP());
    EXPECT_EQ(StringCodePage(a), GetACP());
}

TEST(AnsiStringTest, ConvertsThroughItsCodePage) {
    AnsiString latin(u"caf\u00e9", 1252);
    EXPECT_EQ(latin.Bytes(), "caf\xe9");
    EXPECT_EQ(latin.ToUnicode(), u"caf\u00e9");
    AnsiString japanese(u"\u65e5\u672c", 932); // two Shift-JIS characters
    EXPECT_EQ(japanese.Length(), 4);
    EXPECT_EQ(UnicodeString(japanese), u"\u65e5\u672c");
    // A character the code page lacks becomes its default character.
    AnsiString lossy(u"\u65e5", 1252);
    EXPECT_EQ(lossy.Bytes(), "?");
}

TEST(AnsiStringTest, ChangingTheCodePage) {
    AnsiString s(u"\u00e9t\u00e9", 1252);
    s.SetCodePage(CP_UTF8);
    EXPECT_EQ(s.Bytes(), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(s.ToUnicode(), u"\u00e9t\u00e9");
    AnsiString raw(std::string("\xc3\xa9"), 1252);
    raw.SetCodePage(CP_UTF8, false); // the bytes stay, read as UTF-8 now
    EXPECT_EQ(raw.ToUnicode(), u"\u00e9");
}

TEST(AnsiStringTest, ConcatenationAndComparisonAcrossCodePages) {
    AnsiString a(u"\u00e9", 1252);
    UTF8String b(u"\u00e8");
    AnsiString joined = a + b;
    EXPECT_EQ(joined.CodePage(), 1252u);
    EXPECT_EQ(joined.Bytes(), "\xe9\xe8");
    EXPECT_TRUE(AnsiString(u"x", 1252) == UTF8String(u"x"));
    EXPECT_TRUE(AnsiString(u"\u00e9", 1252) == UTF8String(u"\u00e9"));
    EXPECT_FALSE(AnsiString("a") == AnsiString("b"));
    EXPECT_TRUE(AnsiString("a") < AnsiString("b"));
}

TEST(AnsiStringTest, Utf8Helpers) {
    UTF8String u = UTF8Encode(u"\u03a9");
    EXPECT_EQ(u.CodePage(), 65001u);
    EXPECT_EQ(u.Bytes(), "\xce\xa9");
    EXPECT_EQ(UTF8ToString(UTF8String::FromBytes("\xce\xa9")), u"\u03a9");
    EXPECT_EQ(UTF8Decode(u), u"\u03a9");
}

TEST(AnsiStringTest, EightBitFormatArgumentsUseTheAnsiCodePage) {
    // 1252 is the layer's default ANSI code page.
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(Format(u"[%s]", "\x80"), u"[\u20ac]"); // the euro sign in 1252
    EXPECT_EQ(Format(u"[%s]", 'A'), u"[A]");
}

} // namespace
