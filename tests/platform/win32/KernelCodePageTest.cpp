#include "KernelTestSupport.h"

#include "CaseName.h"
#include <climits>
#include <cstdlib>
#include <string>

namespace {

// Whole-string conversions through the size query, as callers do.
std::u16string ToWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    int size = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                   nullptr, 0);
    std::u16string wide(size, u'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                            wide.data(), size);
    return wide;
}

std::string ToBytes(UINT codePage, const std::u16string& wide, BOOL* usedDefault = nullptr,
                    const char* defaultChar = nullptr) {
    int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, defaultChar, usedDefault);
    std::string bytes(size, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                            size, defaultChar, usedDefault);
    return bytes;
}

// Sets WINLAYER_ACP for one test and restores it afterwards.
class AnsiCodePage {
public:
    explicit AnsiCodePage(const char* value) {
        const char* old = std::getenv("WINLAYER_ACP");
        hadOld = old != nullptr;
        if (old) oldValue = old;
        if (value)
            setenv("WINLAYER_ACP", value, 1);
        else
            unsetenv("WINLAYER_ACP");
    }
    ~AnsiCodePage() {
        if (hadOld)
            setenv("WINLAYER_ACP", oldValue.c_str(), 1);
        else
            unsetenv("WINLAYER_ACP");
    }

private:
    bool hadOld;
    std::string oldValue;
};

} // namespace

// --- Round trips ---------------------------------------------------------------------------

struct RoundTrip {
    UINT codePage;
    std::string bytes;
    std::u16string text;
};

void PrintTo(const RoundTrip& c, std::ostream* os) {
    *os << "cp" << c.codePage;
}

class KernelCodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(KernelCodePageRoundTrip, ConvertsBothWaysWithoutLoss) {
    const RoundTrip& c = GetParam();
    EXPECT_EQ(ToWide(c.codePage, c.bytes, MB_ERR_INVALID_CHARS), c.text);
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToBytes(c.codePage, c.text, c.codePage == CP_UTF8 ? nullptr : &usedDefault), c.bytes);
    if (c.codePage != CP_UTF8) {
        EXPECT_FALSE(usedDefault);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KernelCodePageRoundTrip,
    ::testing::Values(
        RoundTrip{CP_UTF8, "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80", u"café 日 😀"},
        RoundTrip{932, "\x93\xFA\x96\x7B\x8C\xEA", u"日本語"},
        RoundTrip{932, "ABC\xB1\xB2", u"ABCｱｲ"},          // half-width katakana are single bytes
        RoundTrip{932, "\x87\x40\x81\x5F\x5C", u"①＼\\"}, // NEC row; 0x5C stays a backslash
        RoundTrip{932,
                  "\x82\xA0"
                  "a\x83\x41",
                  u"あaア"},
        RoundTrip{1252, "\x80\x93\xE9\xFF", u"€“éÿ"},
        RoundTrip{1252, "\x81\x8D", u"\u0081\u008D"}, // the unused bytes stay themselves
        RoundTrip{28591, "\x80\xE9\xFF", u"\u0080éÿ"},
        RoundTrip{20127, "plain ASCII", u"plain ASCII"}, RoundTrip{437, "\x82\xB0", u"é░"}),
    CaseName());

// --- Characters a code page lacks ------------------------------------------------------------

TEST(KernelCodePage, ShiftJisReplacesWhatItCannotRepresentWithTheDefaultChar) {
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(932, u"a\u00E9\U0001F600b", &usedDefault), "a??b"); // one per character
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToBytes(932, u"\u00E9日", &usedDefault, "*"), "*\x93\xFA");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToBytes(932, u"日", &usedDefault), "\x93\xFA");
    EXPECT_FALSE(usedDefault);
}

TEST(KernelCodePage, SingleBytePagesReplaceWhatTheyLack) {
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(1252, u"aあ", &usedDefault), "a?");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToBytes(20127, u"é", &usedDefault), "?");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToBytes(28591, u"€", &usedDefault, "#"), "#");
    EXPECT_EQ(ToBytes(1252, u"\xD800x", &usedDefault), "?x"); // a lone surrogate
    EXPECT_TRUE(usedDefault);
}

TEST(KernelCodePage, ShiftJisRejectsBrokenDoubleBytes) {
    const char truncated[] = "a\x93";
    EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, truncated, 2, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(ToWide(932, "a\x93"), u"a\u30FB");
    EXPECT_EQ(ToWide(932, "\x81\x20"), u"\u30FB "); // a trail byte that cannot be one
}

// --- UTF-8 ----------------------------------------------------------------------------------

class KernelUtf8Invalid : public ::testing::TestWithParam<std::string> {};

TEST_P(KernelUtf8Invalid, FailsUnderMbErrInvalidCharsAndIsReplacedOtherwise) {
    const std::string& bytes = GetParam();
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                  static_cast<int>(bytes.size()), nullptr, 0),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    std::u16string replaced = ToWide(CP_UTF8, bytes);
    EXPECT_NE(replaced.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_EQ(replaced.front(), u'a');
    EXPECT_EQ(replaced.back(), u'z');
}

INSTANTIATE_TEST_SUITE_P(Cases, KernelUtf8Invalid,
                         ::testing::Values("a\xC3z",             // truncated
                                           "a\xC0\x80z",         // overlong NUL
                                           "a\xE0\x80\xAFz",     // overlong slash
                                           "a\xED\xA0\x80z",     // an encoded surrogate
                                           "a\xF4\x90\x80\x80z", // beyond U+10FFFF
                                           "a\x80z", "a\xFFz"),
                         CaseName());

TEST(KernelCodePage, Utf8RefusesDefaultCharsAndRepairsLoneSurrogates) {
    BOOL used;
    const WCHAR text[] = u"a\xDC00";
    char out[16];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 2, out, 16, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 2, out, 16, nullptr, &used), 0);
    EXPECT_EQ(ToBytes(CP_UTF8, text), "a\xEF\xBF\xBD");
    EXPECT_EQ(
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, 2, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

// --- Sizes and arguments -------------------------------------------------------------------------

TEST(KernelCodePage, MinusOneMeansNulTerminatedAndCountsTheNul) {
    WCHAR wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "h\xC3\xA9", -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "h\xC3\xA9", -1, wide, 8), 3);
    EXPECT_EQ(std::u16string(wide), u"hé");
    char bytes[8];
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"日x", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"日x", -1, bytes, 8, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(bytes), "\x93\xFAx");
}

TEST(KernelCodePage, ASmallBufferFailsWithInsufficientBuffer) {
    WCHAR wide[2];
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "hello", 5, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char bytes[3];
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"日本", 2, bytes, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(KernelCodePage, BadArgumentsFail) {
    WCHAR wide[4];
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 0, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, nullptr, 1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, nullptr, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(
        WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, u"a", 1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

// --- Code page queries and the ANSI code page ----------------------------------------------------

TEST(KernelCodePage, DescribesShiftJisLeadBytes) {
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x81));
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x9F));
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0xE0));
    EXPECT_FALSE(IsDBCSLeadByteEx(932, 0x41));
    EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA1)); // half-width katakana
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));

    CPINFO info;
    ASSERT_TRUE(GetCPInfo(932, &info));
    EXPECT_EQ(info.MaxCharSize, 2u);
    EXPECT_EQ(info.DefaultChar[0], '?');
    const BYTE leads[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(info.LeadByte[i], leads[i]) << i;
    ASSERT_TRUE(GetCPInfo(CP_UTF8, &info));
    EXPECT_EQ(info.MaxCharSize, 4u);
    ASSERT_TRUE(GetCPInfo(1252, &info));
    EXPECT_EQ(info.MaxCharSize, 1u);
    EXPECT_EQ(info.LeadByte[0], 0);
    EXPECT_FALSE(GetCPInfo(12345, &info));

    for (UINT valid : {1252u, 28591u, 20127u, 437u, 932u, 65001u})
        EXPECT_TRUE(IsValidCodePage(valid));
    for (UINT invalid : {0u, 1u, 12345u})
        EXPECT_FALSE(IsValidCodePage(invalid));
}

TEST(KernelCodePage, TheAnsiCodePageIs1252UnlessTheEnvironmentSaysOtherwise) {
    {
        AnsiCodePage unset(nullptr);
        EXPECT_EQ(GetACP(), 1252u);
        EXPECT_EQ(GetOEMCP(), 437u);
        EXPECT_EQ(ToWide(CP_ACP, "\x80"), u"€");
        EXPECT_EQ(GetUserDefaultLangID(), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    }
    {
        AnsiCodePage japanese("932");
        EXPECT_EQ(GetACP(), 932u);
        EXPECT_EQ(GetOEMCP(), 932u);
        EXPECT_EQ(ToWide(CP_ACP, "\x93\xFA"), u"日");
        EXPECT_TRUE(IsDBCSLeadByte(0x93));
        EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
    }
    {
        AnsiCodePage unsupported("12345");
        EXPECT_EQ(GetACP(), 1252u);
    }
}

TEST(KernelLocale, AnswersTheAnsiCodePageOfALanguage) {
    AnsiCodePage unset(nullptr);
    struct Case {
        LCID locale;
        std::u16string codePage;
    } cases[] = {{LOCALE_USER_DEFAULT, u"1252"},
                 {0x0409, u"1252"},
                 {0x0411, u"932"},
                 {MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT), SORT_DEFAULT), u"1252"}};
    for (const Case& c : cases) {
        WCHAR buffer[8];
        int size = GetLocaleInfoW(c.locale, LOCALE_IDEFAULTANSICODEPAGE, nullptr, 0);
        EXPECT_EQ(size, static_cast<int>(c.codePage.size() + 1));
        EXPECT_EQ(GetLocaleInfoW(c.locale, LOCALE_IDEFAULTANSICODEPAGE, buffer, 8), size);
        EXPECT_EQ(std::u16string(buffer), c.codePage);
    }
    DWORD number = 0;
    EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                             reinterpret_cast<LPWSTR>(&number), sizeof number / sizeof(WCHAR)),
              2);
    EXPECT_EQ(number, 932u);

    WCHAR list[4];
    EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, list, 4), 2);
    EXPECT_EQ(std::u16string(list), u",");
    WCHAR tiny[2];
    EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_IDEFAULTANSICODEPAGE, tiny, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetLocaleInfoW(0x0409, 0x7777, list, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

// --- MulDiv
// ----------------------------------------------------------------------------------------

struct MulDivCase {
    int a, b, c, expected;
};

void PrintTo(const MulDivCase& c, std::ostream* os) {
    *os << c.a << " " << c.b << " " << c.c;
}

class KernelMulDiv : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(KernelMulDiv, RoundsHalvesAwayFromZeroWithA64BitProduct) {
    const MulDivCase& m = GetParam();
    EXPECT_EQ(MulDiv(m.a, m.b, m.c), m.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KernelMulDiv,
    ::testing::Values(MulDivCase{10, 20, 3, 67},                        // 66.67
                      MulDivCase{10, 20, 6, 33},                        // 33.33
                      MulDivCase{1, 1, 2, 1},                           // 0.5
                      MulDivCase{-1, 1, 2, -1},                         // -0.5
                      MulDivCase{3, 1, 2, 2},                           // 1.5
                      MulDivCase{-3, 1, 2, -2},                         // -1.5
                      MulDivCase{5, 3, -2, -8},                         // -7.5
                      MulDivCase{-7, -3, 2, 11},                        // 10.5
                      MulDivCase{-7, -3, -2, -11},                      // -10.5
                      MulDivCase{100, 96, 72, 133},                     // 133.33: font scaling
                      MulDivCase{0, 5, -3, 0}, MulDivCase{1, 1, 0, -1}, // division by zero
                      MulDivCase{INT_MAX, INT_MAX, INT_MAX, INT_MAX},   // needs 64 bits inside
                      MulDivCase{INT_MAX, 2, 1, -1},                    // does not fit
                      MulDivCase{INT_MIN, 1, 1, INT_MIN}),
    CaseName());
