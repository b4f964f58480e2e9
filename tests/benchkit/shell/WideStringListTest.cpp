#include "ShellTestSupport.h"
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

#include "CaseName.h"
#include <vector>

namespace {

std::vector<UnicodeString> Items(TWideStringList& list) {
    std::vector<UnicodeString> out;
    for (int i = 0; i < list.GetCount(); ++i) out.push_back(list.GetStrings(i));
    return out;
}

using V = std::vector<UnicodeString>;

struct Counted : TObject {
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() override { ++*deaths; }
    int* deaths;
};

} // namespace

TEST(WideStringList, SortedAddAndDuplicates) {
    TWideStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Add(u"pear"), 0);
    EXPECT_EQ(list.Add(u"Apple"), 0);
    EXPECT_EQ(list.Add(u"fig"), 1);
    EXPECT_EQ(list.Add(u"APPLE"), 0) << "dupIgnore answers the existing index";
    EXPECT_EQ(Items(list), (V{u"Apple", u"fig", u"pear"}));
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add(u"FIG"), EStringListError);
    list.SetDuplicates(dupAccept);
    list.Add(u"FIG");
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_THROW(list.Insert(0, u"x"), EStringListError);
    EXPECT_THROW(list.SetStrings(0, u"x"), EStringListError);
    int index = -1;
    EXPECT_FALSE(list.Find(u"grape", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.IndexOf(u"PEAR"), 3);
    EXPECT_EQ(list.IndexOf(u"kiwi"), -1);
}

TEST(WideStringList, FindAnswersTheFirstOfEqualItems) {
    TWideStringList list;
    list.SetDuplicates(dupAccept);
    for (auto s : {u"a", u"b", u"b", u"b", u"c"}) list.Add(s);
    list.SetSorted(true);
    list.SetDuplicates(dupIgnore);
    int index = -1;
    EXPECT_TRUE(list.Find(u"B", index));
    EXPECT_EQ(index, 1);
}

TEST(WideStringList, IndexErrorsAndCapacity) {
    TWideStringList list;
    list.Add(u"a");
    EXPECT_THROW(list.GetStrings(1), EStringListError);
    EXPECT_THROW(list.GetStrings(-1), EStringListError);
    EXPECT_THROW(list.Insert(2, u"x"), EStringListError);
    EXPECT_THROW(list.Delete(1), EStringListError);
    list.Insert(1, u"b");
    list.Insert(0, u"z");
    EXPECT_EQ(Items(list), (V{u"z", u"a", u"b"}));
}

TEST(WideStringList, OwnedObjectsAreFreedOnDeleteAndClear) {
    int deaths = 0;
    {
        TWideStringList list;
        list.SetOwnsObjects(true);
        list.AddObject(u"a", new Counted(&deaths));
        list.AddObject(u"b", new Counted(&deaths));
        list.AddObject(u"c", new Counted(&deaths));
        list.Delete(0);
        EXPECT_EQ(deaths, 1);
        list.Clear();
        EXPECT_EQ(deaths, 3);
        list.AddObject(u"d", new Counted(&deaths));
    }
    EXPECT_EQ(deaths, 4);
}

TEST(WideStringList, EventsBracketChangesButNotAnEmptyClear) {
    TWideStringList list;
    std::vector<char> log;
    list.OnChanging = [&](TObject*) { log.push_back('<'); };
    list.OnChange = [&](TObject*) { log.push_back('>'); };
    list.Clear();
    EXPECT_TRUE(log.empty());
    list.Add(u"x");
    EXPECT_EQ(log, (std::vector<char>{'<', '>'}));
}

TEST(WideStringList, NamesAndValues) {
    TWideStringList list;
    list.Add(u"Colour=red");
    list.Add(u"plain");
    list.Add(u"size=3=4");
    EXPECT_EQ(list.GetNames(0), u"Colour");
    EXPECT_EQ(list.GetNames(1), u"");
    EXPECT_EQ(list.GetValues(u"COLOUR"), u"red");
    EXPECT_EQ(list.GetValues(u"size"), u"3=4");
    EXPECT_EQ(list.GetValueFromIndex(2), u"3=4");
    EXPECT_EQ(list.IndexOfName(u"plain"), -1);
    list.SetValues(u"Colour", u"blue");
    EXPECT_EQ(list.GetStrings(0), u"Colour=blue");
    list.SetValues(u"new", u"1");
    EXPECT_EQ(list.GetStrings(3), u"new=1");
    list.SetValues(u"colour", u"");
    EXPECT_EQ(Items(list), (V{u"plain", u"size=3=4", u"new=1"}));
}

struct TextCase {
    UnicodeString text;
    V items;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.text);
}

class WideStringListText : public testing::TestWithParam<TextCase> {};

TEST_P(WideStringListText, SplitsLines) {
    TWideStringList list;
    list.SetText(GetParam().text);
    EXPECT_EQ(Items(list), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideStringListText,
    testing::Values(TextCase{u"a\r\nb\n", {u"a", u"b"}}, TextCase{u"a\r\rb", {u"a", u"", u"b"}},
                    TextCase{u"a\u2028b\u2029c\vd\fe", {u"a", u"b", u"c", u"d", u"e"}},
                    TextCase{u"", {}}, TextCase{u"\n", {u""}}, TextCase{u"last", {u"last"}}),
    CaseName());

TEST(WideStringList, TextJoinsWithCrLf) {
    TWideStringList list;
    list.Add(u"a");
    list.Add(u"b");
    EXPECT_EQ(list.GetText(), u"a\r\nb\r\n");
}

TEST(WideStringList, CommaText) {
    TWideStringList list;
    list.Add(u"a b");
    list.Add(u"c");
    EXPECT_EQ(list.GetCommaText(), u"\"a b\",c");
    list.Clear();
    list.Add(u"");
    EXPECT_EQ(list.GetCommaText(), u"\"\"");
    list.Clear();
    list.Add(u"say \"hi\"");
    list.Add(u"x,y");
    EXPECT_EQ(list.GetCommaText(), u"\"say \"\"hi\"\"\",\"x,y\"");

    list.SetCommaText(u"  one, \"two three\" ,four five,\"q\"\"\"");
    EXPECT_EQ(Items(list), (V{u"one", u"two three", u"four", u"five", u"q\""}));
}

TEST(WideStringList, CustomSortAndSortedFlag) {
    TWideStringList list;
    for (auto s : {u"d", u"B", u"a", u"C", u"e", u"b"}) list.Add(s);
    list.Sort();
    EXPECT_EQ(list.GetStrings(0), u"a");
    EXPECT_EQ(list.GetStrings(5), u"e");
    list.CustomSort([](TWideStringList* l, int i, int j) {
        return -AnsiCompareText(l->GetStrings(i), l->GetStrings(j));
    });
    EXPECT_EQ(list.GetStrings(0), u"e");
    list.SetSorted(true);
    EXPECT_EQ(list.GetStrings(0), u"a");
}

TEST(WideStringList, AssignBetweenListKinds) {
    TWideStringList wide;
    wide.Add(u"x");
    wide.Add(u"y");
    TStringList plain;
    wide.AssignTo(&plain);
    EXPECT_EQ(plain.GetCount(), 2);
    EXPECT_EQ(plain.GetStrings(1), u"y");
    plain.Add(u"z");
    TWideStringList other;
    other.Add(u"gone");
    other.Assign(&plain);
    EXPECT_EQ(Items(other), (V{u"x", u"y", u"z"}));
    TWideStringList third;
    third.Assign(static_cast<TPersistent*>(&other));
    EXPECT_EQ(Items(third), (V{u"x", u"y", u"z"}));
}

TEST(WideStringList, FileRoundTripIsUtf16WithBom) {
    ShellTempFolder dir;
    TWideStringList list;
    list.Add(u"first");
    list.Add(u"\u65e5\u672c");
    list.SaveToFile(dir.Windows(u"list.txt"));
    std::string bytes = dir.Read("list.txt");
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\r\0\n\0", 4));
    TWideStringList back;
    back.LoadFromFile(dir.Windows(u"list.txt"));
    EXPECT_EQ(Items(back), Items(list));
    EXPECT_THROW(back.LoadFromFile(dir.Windows(u"missing.txt")), EOSError);
}

TEST(WideStringList, LoadsBigEndianAndEightBitText) {
    TWideStringList list;
    TBytesStream big(TBytes{0xFE, 0xFF, 0x00, 'h', 0x00, 'i', 0x00, '\n', 0x00, '!'});
    list.LoadFromStream(&big);
    EXPECT_EQ(Items(list), (V{u"hi", u"!"}));

    TBytesStream ansi(TBytes{'c', 'a', 'f', 0xE9, '\r', '\n', 'x'});
    list.LoadFromStream(&ansi);
    EXPECT_EQ(Items(list), (V{u"caf\u00e9", u"x"}));

    TBytesStream odd(TBytes{0xFF, 0xFE, 'a', 0, 'b'});
    list.LoadFromStream(&odd);
    EXPECT_EQ(Items(list), (V{u"a"})) << "a stray odd byte is dropped";

    TBytesStream one(TBytes{'z'});
    list.LoadFromStream(&one);
    EXPECT_EQ(Items(list), (V{u"z"}));
}
