#include <runpak/Streams.h>
#include <runpak/StringList.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Items = std::vector<UnicodeString>;

Items ItemsOf(const TStrings& list) {
    Items out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.Get(i));
    return out;
}

std::string Bytes(TBytesStream& stream) {
    TBytes bytes = stream.GetBytes();
    return std::string(bytes.begin(), bytes.end());
}

TBytes ToBytes(const std::string& s) {
    return TBytes(s.begin(), s.end());
}

const Items kJapanese = {u"設定ファイル", u"速度=1500", u"", u"ｶﾀｶﾅ and ASCII"};

} // namespace

TEST(TStringsStream, SavesUtf8WithoutMarkByDefault) {
    TStringList list;
    list.Add(u"é");
    list.Add(u"日本");
    TBytesStream stream;
    list.SaveToStream(&stream);
    EXPECT_EQ(Bytes(stream), "\xC3\xA9\r\n\xE6\x97\xA5\xE6\x9C\xAC\r\n");
}

TEST(TStringsStream, UnicodeEncodingsStartWithTheirMark) {
    TStringList list;
    list.Add(u"Aé");
    struct Case {
        TTextEncoding encoding;
        std::string bytes;
    };
    const Case cases[] = {
        {teUTF16LE, std::string("\xFF\xFE"
                                "A\0\xE9\0\r\0\n\0",
                                10)},
        {teUTF16BE, std::string("\xFE\xFF\0A\0\xE9\0\r\0\n", 10)},
        {teUTF8, "A\xC3\xA9\r\n"},
    };
    for (const Case& c : cases) {
        TBytesStream stream;
        list.SaveToStream(&stream, c.encoding);
        EXPECT_EQ(Bytes(stream), c.bytes) << c.encoding;
    }
}

TEST(TStringsStream, RoundTripsJapaneseTextInEveryUnicodeEncoding) {
    for (TTextEncoding encoding : {teUTF8, teUTF16LE, teUTF16BE}) {
        TStringList list;
        for (const UnicodeString& s : kJapanese)
            list.Add(s);
        TBytesStream stream;
        list.SaveToStream(&stream, encoding);
        stream.SetPosition(0);
        TStringList back;
        back.LoadFromStream(&stream);
        EXPECT_EQ(ItemsOf(back), kJapanese) << encoding;
    }
}

TEST(TStringsStream, LoadDetectsTheEncoding) {
    struct Case {
        const char* name;
        std::string bytes;
        Items items;
    };
    const Case cases[] = {
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "a\r\n\xC3\xA9",
         {u"a", u"é"}},
        {"UTF-8 without mark", "\xE6\x97\xA5\n", {u"日"}},
        {"UTF-16LE mark",
         std::string("\xFF\xFE"
                     "a\0\n\0\xE5\x65",
                     8),
         {u"a", u"日"}},
        {"UTF-16BE mark", std::string("\xFE\xFF\0a\0\r\x65\xE5", 8), {u"a", u"日"}},
        {"empty", "", {}},
        {"mark only", "\xEF\xBB\xBF", {}},
    };
    for (const Case& c : cases) {
        TBytesStream stream(ToBytes(c.bytes));
        TStringList list;
        list.LoadFromStream(&stream);
        EXPECT_EQ(ItemsOf(list), c.items) << c.name;
    }
}

TEST(TStringsStream, LoadWithAnEncodingSkipsOnlyItsOwnMark) {
    TBytesStream marked(ToBytes("\xEF\xBB\xBFx"));
    TStringList list;
    list.LoadFromStream(&marked, teUTF8);
    EXPECT_EQ(ItemsOf(list), (Items{u"x"}));

    TBytesStream utf16(ToBytes(std::string("x\0y\0", 4)));
    list.LoadFromStream(&utf16, teUTF16LE);
    EXPECT_EQ(ItemsOf(list), (Items{u"xy"}));
}

TEST(TStringsStream, LoadReadsFromThePositionToTheEnd) {
    TBytesStream stream(ToBytes("skip|one\r\ntwo"));
    stream.SetPosition(5);
    TStringList list;
    list.Add(u"replaced");
    list.LoadFromStream(&stream);
    EXPECT_EQ(ItemsOf(list), (Items{u"one", u"two"}));
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
}

TEST(TextEncoding, Utf8Validity) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"plain", true},
        {"\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC3", false},             // cut short
        {"\xC0\xAF", false},         // overlong
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"\xE9t\xE9", false},        // Latin-1
        {"\x82\xA0", false},         // Shift-JIS
    };
    for (const Case& c : cases)
        EXPECT_EQ(runpak::IsValidUtf8(c.bytes), c.valid) << c.bytes;
}
