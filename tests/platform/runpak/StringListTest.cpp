#include <runpak/Exceptions.h>
#include <runpak/StringList.h>
#include <runpak/TypeInfo.h>

#include <gtest/gtest.h>

#include <functional>
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

void Fill(TStrings& list, const Items& items) {
    for (const UnicodeString& s : items)
        list.Add(s);
}

std::string Utf8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

// Runs call and answers the message of the EStringListError it raises.
std::string ListError(const std::function<void()>& call) {
    try {
        call();
    } catch (const EStringListError& e) {
        return e.what();
    }
    return "(no error)";
}

struct TTracked : TObject {
    explicit TTracked(int& live) : Live(live) { ++Live; }
    ~TTracked() override { --Live; }
    int& Live;
};

} // namespace

TEST(TStringList, EditsItemsAndObjects) {
    TStringList list;
    TObject a, b;
    EXPECT_EQ(list.Add(u"one"), 0);
    EXPECT_EQ(list.AddObject(u"three", &b), 1);
    list.InsertObject(1, u"two", &a);
    list.Append(u"four");
    list.Insert(0, u"zero");
    EXPECT_EQ(ItemsOf(list), (Items{u"zero", u"one", u"two", u"three", u"four"}));
    EXPECT_EQ(list.GetObjects(2), &a);
    EXPECT_EQ(list.IndexOfObject(&b), 3);
    EXPECT_EQ(list.IndexOfObject(nullptr), 0);

    list.SetStrings(0, u"nil");
    list.SetObjects(0, &b);
    list.Delete(1);
    EXPECT_EQ(ItemsOf(list), (Items{u"nil", u"two", u"three", u"four"}));
    list.Exchange(0, 3);
    EXPECT_EQ(ItemsOf(list), (Items{u"four", u"two", u"three", u"nil"}));
    EXPECT_EQ(list.GetObjects(3), &b);
    list.Move(3, 1);
    EXPECT_EQ(ItemsOf(list), (Items{u"four", u"nil", u"two", u"three"}));
    EXPECT_EQ(list.GetObjects(1), &b);
    EXPECT_EQ(list.IndexOf(u"TWO"), 2);
    EXPECT_EQ(list.IndexOf(u"five"), -1);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(TStringList, IndexErrorsNameTheIndex) {
    TStringList list;
    Fill(list, {u"a", u"b"});
    struct Case {
        const char* name;
        std::function<void()> call;
        const char* message;
    };
    const Case cases[] = {
        {"Get", [&] { list.Get(2); }, "List index out of bounds (2)"},
        {"Get negative", [&] { list.Get(-1); }, "List index out of bounds (-1)"},
        {"Put", [&] { list.Put(7, u"x"); }, "List index out of bounds (7)"},
        {"GetObject", [&] { list.GetObject(2); }, "List index out of bounds (2)"},
        {"PutObject", [&] { list.PutObject(-3, nullptr); }, "List index out of bounds (-3)"},
        {"Delete", [&] { list.Delete(2); }, "List index out of bounds (2)"},
        {"Insert", [&] { list.Insert(3, u"x"); }, "List index out of bounds (3)"},
        {"Exchange", [&] { list.Exchange(0, 2); }, "List index out of bounds (2)"},
        {"Move", [&] { list.Move(0, 5); }, "List index out of bounds (5)"},
        {"Capacity", [&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListError(c.call), c.message) << c.name;
    // A refused move keeps every item.
    EXPECT_EQ(ItemsOf(list), (Items{u"a", u"b"}));
    EXPECT_EQ(list.GetValueFromIndex(-1), u"");
}

TEST(TStringList, SortedListHonoursDuplicates) {
    struct Case {
        TDuplicates duplicates;
        Items expected;
        bool raises;
    };
    const Case cases[] = {
        {dupIgnore, {u"apple", u"Banana", u"cherry"}, false},
        // A duplicate goes before the equal strings already there.
        {dupAccept, {u"apple", u"banana", u"Banana", u"cherry"}, false},
        {dupError, {u"apple", u"Banana", u"cherry"}, true},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.duplicates);
        Fill(list, {u"cherry", u"Banana", u"apple"});
        std::string error = ListError([&] { list.Add(u"banana"); });
        EXPECT_EQ(error, c.raises ? "String list does not allow duplicates" : "(no error)")
            << c.duplicates;
        EXPECT_EQ(ItemsOf(list), c.expected) << c.duplicates;
    }

    TStringList list;
    list.SetSorted(true);
    Fill(list, {u"b", u"a"});
    // Adding an existing string with dupIgnore answers its index.
    EXPECT_EQ(list.Add(u"B"), 1);
    EXPECT_EQ(ListError([&] { list.Insert(0, u"c"); }), "Operation not allowed on sorted list");
    EXPECT_EQ(ListError([&] { list.Put(0, u"c"); }), "Operation not allowed on sorted list");
    EXPECT_EQ(ListError([&] { list.Move(0, 1); }), "Operation not allowed on sorted list");
    EXPECT_EQ(ItemsOf(list), (Items{u"a", u"b"}));

    // An unsorted list accepts duplicates whatever Duplicates says.
    TStringList plain;
    plain.SetDuplicates(dupError);
    Fill(plain, {u"x", u"x"});
    EXPECT_EQ(plain.GetCount(), 2);
}

TEST(TStringList, CaseSensitivityIncludesNonAsciiLetters) {
    TStringList list;
    Fill(list, {u"é", u"straße", u"Ωmega"});
    EXPECT_EQ(list.IndexOf(u"É"), 0);
    EXPECT_EQ(list.IndexOf(u"ωMEGA"), 2);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf(u"É"), -1);
    EXPECT_EQ(list.IndexOf(u"é"), 0);

    for (bool caseSensitive : {false, true}) {
        TStringList sorted;
        sorted.SetCaseSensitive(caseSensitive);
        sorted.SetSorted(true);
        sorted.SetDuplicates(dupError);
        sorted.Add(u"é");
        std::string error = ListError([&] { sorted.Add(u"É"); });
        EXPECT_EQ(error, caseSensitive ? "(no error)" : "String list does not allow duplicates");
        EXPECT_EQ(sorted.GetCount(), caseSensitive ? 2 : 1);
    }
}

TEST(TStringList, SortsAndFinds) {
    TStringList list;
    Fill(list, {u"delta", u"Alpha", u"charlie", u"bravo", u"ALPHA"});
    list.Sort();
    // Stable: the two spellings of alpha keep their order.
    EXPECT_EQ(ItemsOf(list), (Items{u"Alpha", u"ALPHA", u"bravo", u"charlie", u"delta"}));
    list.SetSorted(true);
    int index = -1;
    EXPECT_TRUE(list.Find(u"alpha", index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(list.Find(u"CHARLIE", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find(u"beta", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find(u"zulu", index));
    EXPECT_EQ(index, 5);
    EXPECT_EQ(list.IndexOf(u"Delta"), 4);
    EXPECT_EQ(list.IndexOf(u"echo"), -1);
    EXPECT_EQ(list.Add(u"beta"), 2);

    // Turning case sensitivity on re-sorts a sorted list (lower case first).
    TStringList mixed;
    Fill(mixed, {u"B", u"A", u"a"});
    mixed.SetSorted(true);
    EXPECT_EQ(ItemsOf(mixed), (Items{u"A", u"a", u"B"}));
    mixed.SetCaseSensitive(true);
    EXPECT_EQ(ItemsOf(mixed), (Items{u"a", u"A", u"B"}));
    EXPECT_TRUE(mixed.Find(u"A", index));
    EXPECT_EQ(index, 1);
}

TEST(TStringList, CustomSortReadsItemsByIndex) {
    TStringList list;
    Fill(list, {u"ccc", u"a", u"bb", u"dd", u"e"});
    list.CustomSort([](TStringList* l, int i, int j) {
        return static_cast<int>(l->Get(i).size()) - static_cast<int>(l->Get(j).size());
    });
    EXPECT_EQ(ItemsOf(list), (Items{u"a", u"e", u"bb", u"dd", u"ccc"}));
}

TEST(TStrings, NamesAndValues) {
    TStringList list;
    Fill(list, {u"Port=COM1", u"Baud=9600", u"plain", u"Empty=", u"Eq=a=b"});
    EXPECT_EQ(list.GetNames(0), u"Port");
    EXPECT_EQ(list.GetNames(2), u"");
    EXPECT_EQ(list.GetValues(u"port"), u"COM1");
    EXPECT_EQ(list.GetValues(u"Eq"), u"a=b");
    EXPECT_EQ(list.GetValues(u"Empty"), u"");
    EXPECT_EQ(list.GetValues(u"missing"), u"");
    EXPECT_EQ(list.GetValues(u"plain"), u"");
    EXPECT_EQ(list.IndexOfName(u"BAUD"), 1);
    EXPECT_EQ(list.IndexOfName(u"plain"), -1);
    EXPECT_EQ(list.GetValueFromIndex(4), u"a=b");
    EXPECT_EQ(list.GetValueFromIndex(2), u"");

    list.SetValues(u"Baud", u"19200");
    list.SetValues(u"Parity", u"None");
    list.SetValues(u"Port", u"");
    EXPECT_EQ(ItemsOf(list),
              (Items{u"Baud=19200", u"plain", u"Empty=", u"Eq=a=b", u"Parity=None"}));
    list.SetValueFromIndex(0, u"4800");
    EXPECT_EQ(list.Get(0), u"Baud=4800");

    list.SetNameValueSeparator(u':');
    list.Add(u"Key:Value");
    EXPECT_EQ(list.GetValues(u"key"), u"Value");
    EXPECT_EQ(list.GetNames(0), u"");
}

TEST(TStrings, TextSplitsAtEveryLineBreak) {
    struct Case {
        const char16_t* text;
        Items items;
    };
    const Case cases[] = {
        {u"", {}},
        {u"one", {u"one"}},
        {u"one\r\ntwo", {u"one", u"two"}},
        {u"one\ntwo\rthree", {u"one", u"two", u"three"}},
        {u"one\r\n", {u"one"}},
        {u"one\n", {u"one"}},
        {u"one\r", {u"one"}},
        {u"\r\n", {u""}},
        {u"a\r\n\r\nb", {u"a", u"", u"b"}},
        {u"a\n\nb\n", {u"a", u"", u"b"}},
        {u"a\n\rb", {u"a", u"", u"b"}},
        {u"a\r\n\r\n", {u"a", u""}},
        {u" spaced \r\n\tkept", {u" spaced ", u"\tkept"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add(u"old");
        list.SetText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items) << Utf8(c.text);
    }
}

TEST(TStrings, TextJoinsWithLineBreak) {
    TStringList list;
    EXPECT_EQ(list.GetText(), u"");
    Fill(list, {u"a", u"", u"b"});
    EXPECT_EQ(list.GetText(), u"a\r\n\r\nb\r\n");
    list.SetLineBreak(u"|");
    EXPECT_EQ(list.GetText(), u"a||b|");
    list.SetText(u"x|y\r\nz|");
    EXPECT_EQ(ItemsOf(list), (Items{u"x", u"y\r\nz"}));
}

TEST(TStrings, CommaTextQuotesWhatNeedsIt) {
    struct Case {
        Items items;
        const char16_t* text;
    };
    const Case cases[] = {
        {{}, u""},
        {{u""}, u"\"\""},
        {{u"a", u"b", u"c"}, u"a,b,c"},
        {{u"a", u"", u"c"}, u"a,,c"},
        {{u"two words", u"x"}, u"\"two words\",x"},
        {{u"a,b"}, u"\"a,b\""},
        {{u"say \"hi\""}, u"\"say \"\"hi\"\"\""},
        {{u"tab\there"}, u"\"tab\there\""},
        {{u"日本", u"é"}, u"日本,é"},
    };
    for (const Case& c : cases) {
        TStringList list;
        Fill(list, c.items);
        EXPECT_EQ(list.GetCommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(ItemsOf(back), c.items) << Utf8(c.text);
    }
}

TEST(TStrings, CommaTextParsesLooseInput) {
    struct Case {
        const char16_t* text;
        Items items;
    };
    const Case cases[] = {
        {u"  a, b ,c", {u"a", u"b", u"c"}},
        {u"a b", {u"a", u"b"}},
        {u"a,", {u"a", u""}},
        {u"a, ,b", {u"a", u"", u"b"}},
        {u"\"unterminated", {u"unterminated"}},
        {u"\"q\"rest,x", {u"q", u"rest", u"x"}},
        {u"   ", {}},
        {u",", {u"", u""}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetCommaText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items) << Utf8(c.text);
    }
}

TEST(TStrings, DelimitedTextWithOwnDelimiterAndQuote) {
    struct Case {
        bool strict;
        Items items;
        const char16_t* text;
    };
    // Delimiter ';', quote '\''.
    const Case cases[] = {
        {false, {u"a b", u"c"}, u"'a b';c"},
        {true, {u"a b", u"c"}, u"a b;c"},
        {true, {u"x;y", u"it's"}, u"'x;y';'it''s'"},
        {true, {u" padded "}, u" padded "},
        {false, {u"a,b"}, u"a,b"},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetDelimiter(u';');
        list.SetQuoteChar(u'\'');
        list.SetStrictDelimiter(c.strict);
        Fill(list, c.items);
        EXPECT_EQ(list.GetDelimitedText(), c.text) << c.strict;
        list.SetDelimitedText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items) << Utf8(c.text);
    }
    // Comma text keeps its own rules whatever the list's delimiter.
    TStringList list;
    list.SetDelimiter(u';');
    list.SetStrictDelimiter(true);
    list.SetCommaText(u"a b,c");
    EXPECT_EQ(ItemsOf(list), (Items{u"a", u"b", u"c"}));
    EXPECT_EQ(list.GetDelimitedText(), u"a;b;c");
}

TEST(TStringList, ChangeEventsFireOutsideUpdateBracketsOnly) {
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changing;
    };
    list.OnChange = [&](TObject*) { ++changed; };

    list.Add(u"a");
    list.Add(u"b");
    EXPECT_EQ(changing, 2);
    EXPECT_EQ(changed, 2);

    list.BeginUpdate();
    EXPECT_EQ(changing, 3); // the bracket opens with one OnChanging
    list.BeginUpdate();
    list.Add(u"c");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changed, 2);
    list.EndUpdate();
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(changed, 3);

    // Bulk operations bracket themselves.
    list.SetText(u"x\ny\nz");
    EXPECT_EQ(changed, 4);
    list.SetCommaText(u"1,2");
    EXPECT_EQ(changed, 5);
    list.Sort();
    EXPECT_EQ(changed, 6);
    // An extra EndUpdate neither fires nor breaks later brackets.
    list.EndUpdate();
    EXPECT_EQ(changed, 6);
    list.Add(u"3");
    EXPECT_EQ(changed, 7);
    // A failed change still closes its bracket.
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.SetCommaText(u"a,a"), EStringListError);
    list.Add(u"b");
    EXPECT_EQ(changing, changed);
}

TEST(TStringList, OwnsObjectsDeletesThemWithTheirItems) {
    int live = 0;
    {
        TStringList list(true);
        list.AddObject(u"a", new TTracked(live));
        list.AddObject(u"b", new TTracked(live));
        list.AddObject(u"c", new TTracked(live));
        list.AddObject(u"d", nullptr);
        list.Delete(0);
        EXPECT_EQ(live, 2);
        list.Clear();
        EXPECT_EQ(live, 0);
        list.AddObject(u"e", new TTracked(live));
    }
    EXPECT_EQ(live, 0);

    TTracked kept(live);
    {
        TStringList list;
        list.AddObject(u"a", &kept);
        list.Delete(0);
        list.AddObject(u"a", &kept);
    }
    EXPECT_EQ(live, 1);
}

TEST(TStrings, AssignAddStringsAndEquals) {
    TObject tag;
    TStringList source;
    source.SetSorted(true);
    source.SetDuplicates(dupAccept);
    source.SetCaseSensitive(true);
    source.SetDelimiter(u';');
    Fill(source, {u"b", u"a", u"b"});
    source.SetObjects(0, &tag);

    TStringList copy;
    copy.Add(u"old");
    copy.Assign(&source);
    EXPECT_EQ(ItemsOf(copy), (Items{u"a", u"b", u"b"}));
    EXPECT_EQ(copy.GetObjects(0), &tag);
    EXPECT_TRUE(copy.GetSorted());
    EXPECT_EQ(copy.GetDuplicates(), dupAccept);
    EXPECT_TRUE(copy.GetCaseSensitive());
    EXPECT_EQ(copy.GetDelimiter(), u';');
    EXPECT_TRUE(copy.Equals(&source));

    TStringList other;
    Fill(other, {u"a", u"B", u"b"});
    EXPECT_FALSE(other.Equals(&source));
    other.Delete(1);
    EXPECT_FALSE(other.Equals(&source));

    other.AddStrings(&source);
    EXPECT_EQ(ItemsOf(other), (Items{u"a", u"b", u"a", u"b", u"b"}));
    EXPECT_EQ(other.GetObjects(2), &tag);

    // Anything but strings is refused, and the list stays as it was.
    TPersistent stranger;
    EXPECT_THROW(other.Assign(&stranger), EConvertError);
    EXPECT_THROW(other.Assign(nullptr), EConvertError);
    EXPECT_EQ(other.GetCount(), 5);
    EXPECT_TRUE(other.ClassType()->InheritsFrom(TStrings::StaticClass()));
    EXPECT_EQ(other.ClassType()->ClassName(), u"TStringList");
}
