// The typed tables: keys and values of each kind, empty-string guards,
// ownership of objects, assignment, hash functions and the stream format.
#include "benchkit/controls/Collections.h"

#include <runpak/Streams.h>
#include <runpak/Strings.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <functional>
#include <vector>

namespace {

// An object that counts its destructions.
class TCounted : public TObject {
public:
    explicit TCounted(int& deaths) : FDeaths(deaths) {}
    ~TCounted() override { ++FDeaths; }

private:
    int& FDeaths;
};

template <class F> std::u16string MessageOf(F f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.GetMessage();
    }
    return u"(no exception)";
}

TEST(StringHashTable, CaseInsensitiveKeysAndValues) {
    TStringHashTable table(false);
    table.Add(u"Key", u"a");
    EXPECT_EQ(table.GetItem(u"KEY"), u"a");
    table.Add(u"KEY", u"b");
    EXPECT_EQ(table.GetCount(), 1);
    EXPECT_EQ(table[u"key"], u"b");
    EXPECT_TRUE(table.ContainsValue(u"B"));
    // The key keeps the spelling it was first stored with.
    EXPECT_EQ(table.GetKeys().MoveNext(), true);
    for (const auto& pair : table)
        EXPECT_EQ(pair.Key, u"Key");
}

TEST(StringHashTable, CaseSensitiveKeysAndValues) {
    TStringHashTable table(true);
    table.Add(u"Key", u"a");
    EXPECT_EQ(table.GetItem(u"KEY"), u"");
    table.Add(u"KEY", u"b");
    EXPECT_EQ(table.GetCount(), 2);
    EXPECT_FALSE(table.ContainsValue(u"B"));
    UnicodeString value = u"stale";
    EXPECT_FALSE(table.Contains(u"kEY", value));
    EXPECT_EQ(value, u"");
    EXPECT_TRUE(table.Contains(u"KEY", value));
    EXPECT_EQ(value, u"b");
}

TEST(StringHashTable, EmptyKeysAndValuesAreIgnored) {
    TStringHashTable table(true);
    table.Add(u"", u"x");
    table.Add(u"k", u"");
    table.SetItem(u"", u"y");
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_FALSE(table.ContainsKey(u""));
    EXPECT_FALSE(table.ContainsValue(u""));
    EXPECT_EQ(table.GetItem(u""), u"");
    table.Remove(u"");
}

TEST(StringHashTable, LongKeysSharingAPrefixStayApart) {
    TStringHashTable table(true);
    for (int i = 0; i < 500; ++i)
        table.Add(u"a shared prefix, then " + IntToStr(i), IntToStr(i * 2));
    EXPECT_EQ(table.GetCount(), 500);
    for (int i = 0; i < 500; i += 37)
        EXPECT_EQ(table[u"a shared prefix, then " + IntToStr(i)], IntToStr(i * 2));
}

// Keys equal under the case-insensitive comparison must hash alike, also
// outside Latin-1, or lookups miss them.
TEST(StringHashTable, CaseInsensitiveLookupFindsKeysBeyondLatin1) {
    struct {
        const char16_t* stored;
        const char16_t* asked;
    } cases[] = {{u"\u0100bc", u"\u0101BC"},
                 {u"stra\u00dfe", u"STRA\u00dfE"},
                 {u"\u00ff", u"\u0178"},
                 {u"\u0131", u"I"},
                 {u"\u017f", u"s"},
                 {u"\u03c3\u03bf\u03c6", u"\u03a3\u039f\u03a6"},
                 {u"\u0434\u043e\u043c", u"\u0414\u041e\u041c"},
                 {u"\uff41", u"\uff21"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(AnsiSameText(c.stored, c.asked)) << UnicodeToUtf8(c.stored);
        TStringHashTable table(false);
        table.Add(c.stored, u"v");
        EXPECT_EQ(table[c.asked], u"v") << UnicodeToUtf8(c.stored);
        // Wide tables fold to lower case, where dotless i and long s stay apart.
        TWideStringHashTable wide(false);
        wide.Add(c.stored, u"v");
        const bool sameLower = AnsiLowerCase(c.stored) == AnsiLowerCase(c.asked);
        EXPECT_EQ(wide[c.asked], sameLower ? u"v" : u"") << UnicodeToUtf8(c.stored);
    }
}

TEST(StringHashTable, IgnoreCaseHashAgreesWithEqualityOverTheWholePlane) {
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const UnicodeString one(1, static_cast<char16_t>(c));
        for (const UnicodeString& other : {AnsiUpperCase(one), AnsiLowerCase(one)}) {
            if (AnsiSameText(one, other)) {
                ASSERT_EQ(HashStringIgnoreCase(one), HashStringIgnoreCase(other)) << int(c);
            }
            if (AnsiLowerCase(one) == AnsiLowerCase(other)) {
                ASSERT_EQ(HashWideStringIgnoreCase(one), HashWideStringIgnoreCase(other)) << int(c);
            }
        }
    }
}

TEST(HashFunctions, KnownValues) {
    EXPECT_EQ(HashWideString(u"a"), 0x61u);
    EXPECT_EQ(HashWideString(u"ab"), 0x672u);
    EXPECT_EQ(HashWideString(u"abc"), 0x6783u);
    EXPECT_EQ(HashWideStringIgnoreCase(u"ABC"), 0x6783u);
    EXPECT_EQ(HashStringCaseSensitive(u""), 0u);
    EXPECT_EQ(HashStringIgnoreCase(u""), 0u);
    // Every byte of the UTF-16LE storage: 61 00 62 00.
    EXPECT_EQ(HashStringCaseSensitive(u"ab"), ((0x61u << 15) ^ (0x62u << 5)));
    EXPECT_NE(HashStringCaseSensitive(u"Item1234"), HashStringCaseSensitive(u"Item9999"));
    EXPECT_EQ(HashStringIgnoreCase(u"abcd"), HashStringIgnoreCase(u"ABCD"));
}

TEST(WideStringHashTable, KeepsItsOwnCopies) {
    TWideStringHashTable table(true);
    {
        UnicodeString key = u"a key long enough to live on the heap";
        UnicodeString value = u"a value long enough to live on the heap";
        table.Add(key, value);
        key.assign(key.size(), u'x');
        value.assign(value.size(), u'y');
    }
    EXPECT_EQ(table[u"a key long enough to live on the heap"],
              u"a value long enough to live on the heap");
    table.Add(u"a key long enough to live on the heap", u"replaced");
    EXPECT_EQ(table.GetCount(), 1);
    std::vector<UnicodeString> values;
    for (const UnicodeString& v : table.GetValues())
        values.push_back(v);
    EXPECT_EQ(values, std::vector<UnicodeString>{u"replaced"});
}

// ---- Objects and ownership -------------------------------------------------

TEST(StringObjHashTable, OwningTableFreesRemovedAndReplacedValues) {
    int deaths = 0;
    {
        TStringObjHashTable table(true, okValues);
        table.Add(u"a", new TCounted(deaths));
        table.Add(u"b", new TCounted(deaths));
        table.Add(u"c", new TCounted(deaths));
        table.Remove(u"a");
        EXPECT_EQ(deaths, 1);
        table.Add(u"b", new TCounted(deaths)); // replaces, frees the old one
        EXPECT_EQ(deaths, 2);
        TObject* kept = table.Extract(u"c");
        EXPECT_EQ(deaths, 2);
        EXPECT_FALSE(table.ContainsKey(u"c"));
        EXPECT_EQ(table.GetOwnershipKind(), okValues);
        delete kept;
        EXPECT_EQ(deaths, 3);
        EXPECT_EQ(table.Extract(u"missing"), nullptr);
    }
    EXPECT_EQ(deaths, 4); // the table still owned "b"
}

TEST(StringObjHashTable, NonOwningTableFreesNothing) {
    int deaths = 0;
    TCounted a(deaths);
    {
        TStringObjHashTable table(false, okNone);
        table.Add(u"a", &a);
        EXPECT_EQ(table[u"A"], &a);
        EXPECT_TRUE(table.ContainsValue(&a));
        table.Remove(u"A");
    }
    EXPECT_EQ(deaths, 0);
}

TEST(ObjectHashTable, NeverFreesAValueThatIsItsOwnKey) {
    int deaths = 0;
    auto* self = new TCounted(deaths);
    auto* key = new TCounted(deaths);
    {
        TObjectHashTable table(okValues);
        table.Add(self, self);
        table.Add(key, new TCounted(deaths));
        table.Remove(self);
        EXPECT_EQ(deaths, 0);
        EXPECT_TRUE(table.ContainsKey(key));
    }
    EXPECT_EQ(deaths, 1);
    delete self;
    delete key;
}

// Two tables owning the same objects would free them twice.
TEST(ObjectHashTableAssign, IntoAnOwningTableRaisesAndCopiesNothing) {
    int deaths = 0;
    const char16_t message[] = u"Cannot assign to or from collections that lifetime-manage objects";
    {
        TIntegerObjHashTable source(okValues), owning(okValues), plain(okNone);
        source.Add(1, new TCounted(deaths));
        EXPECT_EQ(MessageOf([&] { owning.Assign(&source); }), message);
        EXPECT_EQ(owning.GetCount(), 0);
        plain.Assign(&source);
        EXPECT_EQ(plain[1], source[1]);

        TObjectHashTable objects(okValues), objectsOwning(okValues);
        TObject key;
        objects.Add(&key, new TCounted(deaths));
        EXPECT_EQ(MessageOf([&] { objectsOwning.Assign(&objects); }), message);

        TStringObjHashTable strings(true, okNone), stringsOwning(true, okValues);
        EXPECT_EQ(MessageOf([&] { stringsOwning.Assign(&strings); }), message);
    }
    EXPECT_EQ(deaths, 2);
}

TEST(WideStringObjHashTable, CannotBeAssignedFrom) {
    TWideStringObjHashTable source(true, okNone), dest(true, okNone);
    EXPECT_THROW(dest.Assign(&source), EConvertError);
}

TEST(StringHashTableAssign, DestinationHashesTheKeysItsOwnWay) {
    TStringHashTable source(true);
    source.Add(u"a", u"1");
    source.Add(u"A", u"2");
    TStringHashTable folding(false);
    folding.Add(u"old", u"gone");
    folding.Assign(&source);
    EXPECT_EQ(folding.GetCount(), 1);
    EXPECT_FALSE(folding.ContainsKey(u"old"));
    TStringHashTable same(true);
    same.Assign(&source);
    EXPECT_EQ(same.GetCount(), 2);
    TWideStringHashTable wide(true);
    EXPECT_THROW(wide.Assign(&source), EConvertError);
}

TEST(IntegerAndPointerTables, StoreTheirWords) {
    int deaths = 0;
    TIntegerObjHashTable ints(okValues);
    ints.Add(-5, new TCounted(deaths));
    ints.Add(7, nullptr);
    EXPECT_TRUE(ints.ContainsKey(-5));
    EXPECT_NE(ints[-5], nullptr);
    std::map<int, bool> keys;
    for (int key : ints.GetKeys())
        keys[key] = true;
    EXPECT_EQ(keys.size(), 2u);
    ints.Clear();
    EXPECT_EQ(deaths, 1);

    TPointerHashTable ptrs;
    int a = 0, b = 0;
    ptrs.Add(&a, &b);
    EXPECT_EQ(ptrs[&a], &b);
    EXPECT_TRUE(ptrs.ContainsValue(&b));
    EXPECT_EQ(ptrs[&b], nullptr);
}

// The integer table skips its notifications when they would do nothing; an
// owning table must still free what it owns, whatever its first operation
// was, and a descendant must still hear of every change.
TEST(IntegerAndPointerTables, OwnershipHoldsWhateverTheFirstOperation) {
    const std::function<void(TIntegerObjHashTable&)> firsts[] = {
        [](TIntegerObjHashTable& t) { t.Extract(99); },
        [](TIntegerObjHashTable& t) { t.Remove(99); },
        [](TIntegerObjHashTable& t) { t.Add(98, nullptr); },
        [](TIntegerObjHashTable&) {},
    };
    for (size_t i = 0; i < std::size(firsts); ++i) {
        int deaths = 0;
        {
            TIntegerObjHashTable table(okValues, 16);
            firsts[i](table);
            table.Add(1, new TCounted(deaths));
            table.Add(2, new TCounted(deaths));
            table.Add(2, new TCounted(deaths)); // frees the one it replaces
            EXPECT_EQ(deaths, 1) << i;
            table.Remove(1);
            EXPECT_EQ(deaths, 2) << i;
            table.Add(3, new TCounted(deaths));
            delete table.Extract(3);
            EXPECT_EQ(deaths, 3) << i;
        }
        EXPECT_EQ(deaths, 4) << i; // the table's end frees the last one
    }

    struct TNoting : TIntegerObjHashTable {
        using TIntegerObjHashTable::TIntegerObjHashTable;
        ~TNoting() override { DestroyEntries(); }
        int Notes = 0;
        void Notify(PBaseHashEntry Entry, THashTableNotification Kind) override {
            ++Notes;
            TIntegerObjHashTable::Notify(Entry, Kind);
        }
    } noting(okNone);
    noting.Add(1, nullptr);
    noting.Add(1, nullptr);
    noting.Remove(1);
    EXPECT_EQ(noting.Notes, 4); // added, changing, changed, removed
}

// Entries are reused after removal; the table stays whole through many
// rounds of growth, removal and clearing.
TEST(IntegerAndPointerTables, ManyRoundsKeepEveryKey) {
    TIntegerObjHashTable table(okNone);
    TObject value;
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < 5000; ++k)
            table.Add(k * 7919, &value);
        for (int k = 0; k < 5000; k += 2)
            table.Remove(k * 7919);
        EXPECT_EQ(table.GetCount(), 2500) << round;
        for (int k = 0; k < 5000; ++k)
            ASSERT_EQ(table.ContainsKey(k * 7919), k % 2 == 1) << round << " " << k;
        int seen = 0;
        for (int key : table.GetKeys())
            seen += key % 7919 == 0;
        EXPECT_EQ(seen, 2500) << round;
        if (round == 1) table.Clear();
    }
}

// ---- Stream format -------------------------------------------------------------

TBytes Bytes(std::initializer_list<int> values) {
    TBytes out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

TEST(StringHashTableStream, SavesTheDocumentedRecord) {
    TStringHashTable table(true);
    table.Add(u"ab", u"xyz");
    TBytesStream stream;
    table.SaveToStream(&stream);
    EXPECT_EQ(stream.GetBytes(),
              Bytes({2, 0, 0, 0, 0x61, 0, 0x62, 0, 3, 0, 0, 0, 0x78, 0, 0x79, 0, 0x7A, 0}));
    stream.SetPosition(0);
    TWideStringHashTable loaded(true);
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded[u"ab"], u"xyz");
}

TEST(StringHashTableStream, RoundTripsManyPairs) {
    TStringHashTable table(false);
    for (int i = 0; i < 300; ++i)
        table.Add(u"k\u00e9y" + IntToStr(i), u"v\u65e5" + IntToStr(i));
    TBytesStream stream;
    table.SaveToStream(&stream);
    stream.SetPosition(0);
    TStringHashTable loaded(false);
    loaded.Add(u"dropped", u"by the load");
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.GetCount(), 300);
    EXPECT_EQ(loaded[u"K\u00c9Y299"], u"v\u65e5299");
}

TEST(StringHashTableStream, EmptyRecordsAreDroppedAndLaterDuplicatesWin) {
    TBytesStream stream(Bytes({0, 0, 0, 0, 1,    0, 0, 0, 0x78, 0,             // "" -> "x"
                               1, 0, 0, 0, 0x6B, 0, 0, 0, 0,    0,             // "k" -> ""
                               1, 0, 0, 0, 0x6B, 0, 1, 0, 0,    0, 0x31, 0,    // "k" -> "1"
                               1, 0, 0, 0, 0x6B, 0, 1, 0, 0,    0, 0x32, 0})); // "k" -> "2"
    TStringHashTable table(true);
    table.LoadFromStream(&stream);
    EXPECT_EQ(table.GetCount(), 1);
    EXPECT_EQ(table[u"k"], u"2");

    TBytesStream empty;
    table.LoadFromStream(&empty);
    EXPECT_EQ(table.GetCount(), 0);
}

// A bad stream raises and leaves the table as it was.
TEST(StringHashTableStream, CorruptOrTruncatedStreamsRaiseAndChangeNothing) {
    const TBytes cases[] = {
        Bytes({1, 0, 0}),                                     // cut inside a length
        Bytes({2, 0, 0, 0, 0x61, 0}),                         // key cut short
        Bytes({1, 0, 0, 0, 0x61, 0}),                         // no value length
        Bytes({1, 0, 0, 0, 0x61, 0, 5, 0, 0, 0, 0x62, 0}),    // value cut short
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0}),             // negative length
        Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0x61, 0}),             // length far past the end
        Bytes({1, 0, 0, 0, 0x61, 0, 1, 0, 0, 0, 0x62, 0, 9}), // a good record, then junk
    };
    for (const TBytes& bytes : cases) {
        TStringHashTable table(true);
        table.Add(u"kept", u"as it was");
        TBytesStream stream(bytes);
        EXPECT_THROW(table.LoadFromStream(&stream), EReadError);
        EXPECT_EQ(table.GetCount(), 1);
        EXPECT_EQ(table[u"kept"], u"as it was");
    }
    TStringHashTable table(true);
    TBytesStream stream(cases[0]);
    EXPECT_EQ(MessageOf([&] { table.LoadFromStream(&stream); }),
              u"Hash table stream is corrupt or truncated");
}

TEST(StringHashTableStream, OtherTablesStoreNothing) {
    TPointerHashTable table;
    int a = 0;
    table.Add(&a, &a);
    TBytesStream stream;
    table.SaveToStream(&stream);
    EXPECT_EQ(stream.GetSize(), 0);
}

} // namespace

namespace {

// A counted object that reports its count.
struct ICounted : virtual IUnknown {
    static constexpr InterfaceID<ICounted> IID_{"{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F1}"};
};
class TCountedIntf : public TInterfacedObject, public ICounted {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<ICounted>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
};

IInterface* Unknown(TCountedIntf* object) {
    return static_cast<IInterface*>(object);
}

TEST(InterfaceTables, HoldOneReferencePerKeyAndValue) {
    InterfacePtr<IInterface> a(Unknown(new TCountedIntf)), b(Unknown(new TCountedIntf));
    auto* objA = dynamic_cast<TCountedIntf*>(a.Get());
    auto* objB = dynamic_cast<TCountedIntf*>(b.Get());
    {
        TInterfaceStrHashTable byInterface;
        byInterface.Add(a, u"first");
        EXPECT_EQ(objA->GetRefCount(), 2);
        UnicodeString value;
        EXPECT_TRUE(byInterface.Contains(a, value));
        EXPECT_EQ(value, u"first");
        EXPECT_TRUE(byInterface.ContainsValue(u"FIRST"));
        EXPECT_FALSE(byInterface.ContainsKey(b));

        TStringIHashTable byName(false);
        byName.Add(u"a", a);
        byName.Add(u"b", b);
        byName.Add(u"none", nullptr);
        EXPECT_EQ(byName.GetCount(), 3);
        EXPECT_EQ(objA->GetRefCount(), 3);
        byName.Add(u"A", b); // replaced: a released, b taken
        EXPECT_EQ(objA->GetRefCount(), 2);
        EXPECT_EQ(objB->GetRefCount(), 3);
        EXPECT_EQ(byName[u"a"].Get(), b.Get());
        EXPECT_TRUE(byName.ContainsValue(b));
        byName.Remove(u"b");
        EXPECT_EQ(objB->GetRefCount(), 2);

        TIntegerIHashTable byInt;
        byInt.Add(1, a);
        TIntegerIHashTable copy;
        copy.Assign(&byInt);
        EXPECT_EQ(objA->GetRefCount(), 4);
        int seen = 0;
        for (const auto& v : copy.GetValues())
            seen += v.Get() == a.Get();
        EXPECT_EQ(seen, 1);
    }
    EXPECT_EQ(objA->GetRefCount(), 1);
    EXPECT_EQ(objB->GetRefCount(), 1);
}

} // namespace

TEST(StringHashTableStream, SavesToAFileAndLoadsItBack) {
    std::string home = std::getenv("WINLAYER_HOME");
    UnicodeString path = u"C:" + Utf8ToUnicode(home) + u"\\table.dat";
    TStringHashTable table(true);
    table.Add(u"\u65e5\u672c", u"Japan");
    table.Add(u"key", u"value");
    table.SaveToFile(path);
    TStringHashTable loaded(true);
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.GetCount(), 2);
    EXPECT_EQ(loaded[u"\u65e5\u672c"], u"Japan");
    EXPECT_THROW(loaded.LoadFromFile(path + u".missing"), EFOpenError);
    EXPECT_EQ(loaded.GetCount(), 2);
}
