#include <runpak/Exceptions.h>
#include <runpak/StringList.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StreamTestFolder.h"

namespace {

using Items = std::vector<UnicodeString>;
using TStringListFileTest = TStreamTestFolder;

Items ItemsOf(const TStrings& list) {
    Items out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.Get(i));
    return out;
}

const Items kJapanese = {u"パラメータ設定", u"速度=1500", u"", u"ｶﾀｶﾅ と ASCII"};

} // namespace

TEST_F(TStringListFileTest, JapaneseTextRoundTripsAsUtf8WithoutMark) {
    TStringList list;
    for (const UnicodeString& s : kJapanese)
        list.Add(s);
    list.SaveToFile(WindowsPath("jp.txt"));
    std::string expected;
    for (const UnicodeString& s : kJapanese)
        expected += UnicodeToUtf8(s) + "\r\n";
    EXPECT_EQ(ReadLinuxFile("jp.txt"), expected);

    TStringList back;
    back.LoadFromFile(WindowsPath("jp.txt"));
    EXPECT_EQ(ItemsOf(back), kJapanese);
}

TEST_F(TStringListFileTest, JapaneseTextRoundTripsInUtf16) {
    for (TTextEncoding encoding : {teUTF16LE, teUTF16BE}) {
        TStringList list;
        for (const UnicodeString& s : kJapanese)
            list.Add(s);
        list.SaveToFile(WindowsPath("jp16.txt"), encoding);
        EXPECT_EQ(ReadLinuxFile("jp16.txt").substr(0, 2),
                  encoding == teUTF16LE ? "\xFF\xFE" : "\xFE\xFF");
        TStringList back;
        back.LoadFromFile(WindowsPath("jp16.txt"));
        EXPECT_EQ(ItemsOf(back), kJapanese) << encoding;
        back.LoadFromFile(WindowsPath("jp16.txt"), encoding);
        EXPECT_EQ(ItemsOf(back), kJapanese) << encoding;
    }
}

TEST_F(TStringListFileTest, TextThatIsNotUtf8IsReadInTheAnsiCodePage) {
    // The layer's ANSI code page is 1252 by default.
    WriteLinuxFile("ansi.txt", "caf\xE9\r\n\x80 5\n");
    TStringList list;
    list.LoadFromFile(WindowsPath("ansi.txt"));
    EXPECT_EQ(ItemsOf(list), (Items{u"café", u"€ 5"}));

    list.SaveToFile(WindowsPath("ansi-out.txt"), teAnsi);
    EXPECT_EQ(ReadLinuxFile("ansi-out.txt"), "caf\xE9\r\n\x80 5\r\n");
    list.LoadFromFile(WindowsPath("ansi-out.txt"), teAnsi);
    EXPECT_EQ(ItemsOf(list), (Items{u"café", u"€ 5"}));
}

TEST_F(TStringListFileTest, MissingFileRaisesAndKeepsTheList) {
    TStringList list;
    list.Add(u"kept");
    EXPECT_THROW(list.LoadFromFile(WindowsPath("missing.txt")), EFOpenError);
    EXPECT_EQ(ItemsOf(list), (Items{u"kept"}));
    EXPECT_THROW(list.SaveToFile(WindowsPath("no\\folder\\x.txt")), EFCreateError);
}
