#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Exceptions.h>

#include <gtest/gtest.h>

TEST(WideStrings, QuotedStrings) {
    EXPECT_EQ(WideQuotedStr(u"it's", u'\''), u"'it''s'");
    EXPECT_EQ(WideQuotedStr(u"", u'"'), u"\"\"");

    const char16_t* text = u"\"a \"\"b\"\" c\",rest";
    const char16_t* p = text;
    EXPECT_EQ(WideExtractQuotedStr(p, u'"'), u"a \"b\" c");
    EXPECT_EQ(UnicodeString(p), u",rest");

    const char16_t* plain = u"abc";
    p = plain;
    EXPECT_EQ(WideExtractQuotedStr(p, u'"'), u"");
    EXPECT_EQ(p, plain);
}

TEST(WideStrings, CharPosAndInsert) {
    EXPECT_EQ(WideCharPos(u"abcabc", u'b', 1), 2);
    EXPECT_EQ(WideCharPos(u"abcabc", u'b', 3), 5);
    EXPECT_EQ(WideCharPos(u"abcabc", u'x', 1), 0);
    EXPECT_EQ(WideStringOfChar(u'-', 3), u"---");

    UnicodeString s = u"held";
    InsertW(u"llo wor", s, 2);
    EXPECT_EQ(s, u"hello world");
    InsertW(u"X", s, 99);
    InsertW(u"X", s, -1);
    EXPECT_EQ(s, u"hello world");
    InsertW(u"!", s, 11);
    EXPECT_EQ(s, u"hello world!");
}

TEST(WideStrings, AdjustLineBreaksGivesOneSeparatorPerBreak) {
    EXPECT_EQ(WideAdjustLineBreaks(u"a\r\nb\rc\nd"), u"a\u2028b\u2028c\u2028d");
    EXPECT_EQ(WideAdjustLineBreaks(u"\r\r\n"), u"\u2028\u2028");
}

TEST(WideStrings, AddCommasGroupsFromTheRight) {
    EXPECT_EQ(AddCommas(u"1234567"), u"1,234,567");
    EXPECT_EQ(AddCommas(u"123456"), u"123,456");
    EXPECT_EQ(AddCommas(u"12"), u"12");
    EXPECT_EQ(AddCommas(u""), u"");
}

TEST(WideStrings, LengthPrefixedRoundTrip) {
    TMemoryStream stream;
    SaveWideString(&stream, u"h\u00e9llo");
    SaveWideString(&stream, u"");
    EXPECT_EQ(stream.GetSize(), 4 + 10 + 4);
    const uint8_t* bytes = static_cast<const uint8_t*>(stream.GetMemory());
    EXPECT_EQ(bytes[0], 5);
    EXPECT_EQ(bytes[4], 'h');
    EXPECT_EQ(bytes[6], 0xE9);
    stream.SetPosition(0);
    EXPECT_EQ(LoadWideString(&stream), u"h\u00e9llo");
    EXPECT_EQ(LoadWideString(&stream), u"");
}

TEST(WideStrings, CorruptLengthPrefixRaisesAndReadsNothingBeyond) {
    struct Case {
        int32_t count;
        int payloadBytes;
    };
    for (Case c : {Case{-1, 0}, Case{3, 4}, Case{0x7FFFFFFF, 8}}) {
        TMemoryStream stream;
        stream.WriteBuffer(&c.count, 4);
        std::string payload(c.payloadBytes, 'x');
        if (c.payloadBytes) stream.WriteBuffer(payload.data(), c.payloadBytes);
        stream.SetPosition(0);
        EXPECT_THROW(LoadWideString(&stream), EReadError) << c.count;
    }
    TMemoryStream shortStream;
    shortStream.WriteBuffer("\x01\x00", 2);
    shortStream.SetPosition(0);
    EXPECT_THROW(LoadWideString(&shortStream), EReadError);
}
