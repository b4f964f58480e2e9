#include <runpak/Exceptions.h>

#include <gtest/gtest.h>

namespace {
class TSample : public TObject {};
class TDerivedSample : public TSample {};
} // namespace

TEST(TObject, ClassNameIsTheDynamicClassName) {
    TDerivedSample derived;
    const TObject& asBase = derived;
    EXPECT_EQ(asBase.ClassName(), u"TDerivedSample");
    EXPECT_TRUE(asBase.InheritsFrom<TSample>());
    EXPECT_FALSE(TSample().InheritsFrom<TDerivedSample>());
}

TEST(Exception, CarriesItsMessageAsUtf8ForDiagnostics) {
    try {
        throw EConvertError(u"'12a' は無効です");
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"'12a' は無効です");
        EXPECT_STREQ(e.what(), "'12a' は無効です");
        EXPECT_EQ(e.ClassName(), u"EConvertError");
    }
}

TEST(Utf8, RoundTripsAndReplacesIllFormedInput) {
    const std::u16string text = u"A\u00e9\u65e5\U0001F600";
    EXPECT_EQ(Utf8ToUnicode(UnicodeToUtf8(text)), text);
    EXPECT_EQ(Utf8ToUnicode("a\xff" "b"), u"a\ufffdb");
    EXPECT_EQ(Utf8ToUnicode("\xe0\x80\x80"), u"\ufffd\ufffd\ufffd"); // overlong
    EXPECT_EQ(UnicodeToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}
