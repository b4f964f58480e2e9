// History managers: the merge rules, client callbacks, and load/save through
// a real INI file and through the registry.
#include "PropTestSupport.h"

#include "benchkit/props/IDEHistoryLists.h"

#include <runpak/Strings.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <memory>

namespace {

std::vector<UnicodeString> Items(TStrings* strings) {
    std::vector<UnicodeString> items;
    for (int i = 0; strings && i < strings->GetCount(); ++i)
        items.push_back(strings->GetStrings(i));
    return items;
}

class HistoryTest : public testing::Test {
protected:
    void SetUp() override {
        TStringList names;
        names.Add(u"Find");
        names.Add(u"Paths");
        manager.SetLists(&names);
    }
    // Merges in order, so that the last one ends first.
    void Merge(const UnicodeString& list, std::initializer_list<const char16_t*> values) {
        for (const char16_t* v : values)
            manager.UpdateHistoryList(list, v);
    }

    TCustomHistoryManager manager{nullptr};
};

struct MergeCase {
    const char* name;
    std::vector<UnicodeString> before; // most recent first
    UnicodeString value;
    std::vector<UnicodeString> after;
    int maxItems = 30;
};

class HistoryMergeTest : public HistoryTest, public testing::WithParamInterface<MergeCase> {};

TEST_P(HistoryMergeTest, FollowsTheMoveToFrontRules) {
    const MergeCase& c = GetParam();
    manager.SetMaxItems(c.maxItems);
    for (auto it = c.before.rbegin(); it != c.before.rend(); ++it)
        manager.UpdateHistoryList(u"Paths", *it);
    ASSERT_EQ(Items(manager.GetHistory(u"Paths")), c.before);
    manager.UpdateHistoryList(u"Paths", c.value);
    EXPECT_EQ(Items(manager.GetHistory(u"Paths")), c.after);
}

std::vector<UnicodeString> Numbered(int from, int to) {
    std::vector<UnicodeString> out;
    for (int i = from; i <= to; ++i)
        out.push_back(u"e" + IntToStr(i));
    return out;
}

std::vector<UnicodeString> With(UnicodeString first, std::vector<UnicodeString> rest) {
    rest.insert(rest.begin(), std::move(first));
    return rest;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryMergeTest,
    testing::Values(
        MergeCase{"FirstStays", {u"a", u"b", u"c"}, u"a", {u"a", u"b", u"c"}},
        MergeCase{"ThirdMovesToFront", {u"a", u"b", u"c"}, u"c", {u"c", u"a", u"b"}},
        MergeCase{"NewGoesFirst", {u"a", u"b"}, u"n", {u"n", u"a", u"b"}},
        MergeCase{"FullListDropsItsLast", Numbered(1, 30), u"n", With(u"n", Numbered(1, 29))},
        MergeCase{"CaseOnlyDifferenceReplacesTheEntry",
                  {u"C:\\a", u"C:\\Tools", u"C:\\b"},
                  u"c:\\TOOLS",
                  {u"c:\\TOOLS", u"C:\\a", u"C:\\b"}},
        MergeCase{"CaseOnlyDifferenceOfTheFirstKeepsTheOldText",
                  {u"C:\\Tools", u"C:\\a"},
                  u"c:\\tools",
                  {u"C:\\Tools", u"C:\\a"}},
        MergeCase{"EmptyValueIsIgnored", {u"a"}, u"", {u"a"}},
        MergeCase{"ExistingEntryMovesInAFullList", Numbered(1, 3), u"e3", {u"e3", u"e1", u"e2"}, 3},
        MergeCase{"NewEntryInAFullShortList", Numbered(1, 3), u"n", With(u"n", Numbered(1, 2)), 3}),
    [](const testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST_F(HistoryTest, AListLongerThanTheLimitIsNotTrimmed) {
    Merge(u"Paths", {u"a", u"b", u"c", u"d"});
    manager.SetMaxItems(2);
    manager.UpdateHistoryList(u"Paths", u"e");
    EXPECT_EQ(Items(manager.GetHistory(u"Paths")),
              (std::vector<UnicodeString>{u"e", u"d", u"c", u"b", u"a"}));
}

// MaxItems 0 allows no entries: merging must not fail (there is no last
// entry to drop), and the list keeps nothing new.
TEST_F(HistoryTest, ALimitOfZeroKeepsNothingNewAndNeverFails) {
    manager.SetMaxItems(0);
    EXPECT_NO_THROW(manager.UpdateHistoryList(u"Find", u"first"));
    EXPECT_NO_THROW(manager.UpdateHistoryList(u"Find", u"second"));
    EXPECT_EQ(manager.GetHistory(u"Find"), nullptr);
    manager.SetMaxItems(30);
    Merge(u"Paths", {u"a", u"b"});
    manager.SetMaxItems(0);
    manager.UpdateHistoryList(u"Paths", u"c");
    manager.UpdateHistoryList(u"Paths", u"a");
    EXPECT_EQ(Items(manager.GetHistory(u"Paths")), (std::vector<UnicodeString>{u"b", u"a"}));
}

TEST_F(HistoryTest, UnknownNamesAreIgnoredAndNamesMatchWithoutCase) {
    manager.UpdateHistoryList(u"Nowhere", u"x");
    EXPECT_EQ(manager.GetHistory(u"Nowhere"), nullptr);
    manager.UpdateHistoryList(u"FIND", u"x");
    EXPECT_EQ(Items(manager.GetHistory(u"find")), std::vector<UnicodeString>{u"x"});
}

TEST_F(HistoryTest, GetHistoryListSkipsEmptyEntriesAndLeavesTheTargetForUnknownLists) {
    TStringList target;
    target.Add(u"untouched");
    manager.GetHistoryList(u"Find", &target); // no history yet
    EXPECT_EQ(Items(&target), std::vector<UnicodeString>{u"untouched"});
    Merge(u"Find", {u"a", u"b"});
    manager.GetHistory(u"Find")->Insert(1, u"");
    manager.GetHistoryList(u"Find", &target);
    EXPECT_EQ(Items(&target), (std::vector<UnicodeString>{u"b", u"a"}));
}

TEST_F(HistoryTest, ClientsAreCalledInOrderOncePerObject) {
    TObject one, two;
    std::vector<std::string> calls;
    manager.AddUpdateEvent(&one, [&](TObject* s, bool n) {
        EXPECT_EQ(s, &manager);
        calls.push_back(n ? "one:new" : "one:merge");
    });
    manager.AddUpdateEvent(&two, [&](TObject*, bool n) { calls.push_back("two"); });
    manager.AddUpdateEvent(&one, [&](TObject*, bool) { calls.push_back("again"); });
    manager.AddUpdateEvent(&two, nullptr);
    manager.UpdateHistoryLists(true);
    manager.UpdateHistoryLists(false);
    EXPECT_EQ(calls, (std::vector<std::string>{"one:new", "two", "one:merge", "two"}));
    manager.RemoveUpdateEvent(&one);
    calls.clear();
    manager.UpdateHistoryLists(true);
    EXPECT_EQ(calls, std::vector<std::string>{"two"});
}

// Assigning one manager's lists to another copies the histories: each
// manager frees only its own.
TEST_F(HistoryTest, AssignedListsBringCopiesOfTheirHistories) {
    Merge(u"Find", {u"a", u"b"});
    auto other = std::make_unique<TCustomHistoryManager>(nullptr);
    other->SetLists(manager.GetLists());
    EXPECT_NE(other->GetHistory(u"Find"), manager.GetHistory(u"Find"));
    EXPECT_EQ(Items(other->GetHistory(u"Find")), (std::vector<UnicodeString>{u"b", u"a"}));
    EXPECT_EQ(other->GetHistory(u"Paths"), nullptr);
    other.reset();
    EXPECT_EQ(Items(manager.GetHistory(u"Find")), (std::vector<UnicodeString>{u"b", u"a"}));
}

TEST_F(HistoryTest, SettingTheListsDropsEveryHistory) {
    Merge(u"Find", {u"a"});
    TStringList names;
    names.Add(u"Find");
    manager.SetLists(&names);
    EXPECT_EQ(manager.GetHistory(u"Find"), nullptr);
    EXPECT_EQ(manager.GetLists()->GetCount(), 1);
}

// ---- Stores ---------------------------------------------------------------------------------

class HistoryStoreTest : public HistoryTest {};

TEST_F(HistoryStoreTest, SavingWritesCountAndItemsAndLoadingReadsThemBack) {
    PropTempFolder folder;
    UnicodeString file = folder.Windows("history.ini");
    TObject client;
    manager.AddUpdateEvent(&client, [&](TObject*, bool newList) {
        if (!newList) manager.UpdateHistoryList(u"Find", u"typed"); // its current text
    });
    Merge(u"Find", {u"one", u"two"});
    {
        TMemIniFile ini(file);
        manager.SaveHistoryLists(&ini, u"Base");
        ini.UpdateFile();
        EXPECT_EQ(ini.ReadInteger(u"Base\\Find", u"Count", 0), 3);
        EXPECT_EQ(ini.ReadString(u"Base\\Find", u"Item0", u""), u"typed");
        EXPECT_EQ(ini.ReadString(u"Base\\Find", u"Item2", u""), u"one");
        EXPECT_FALSE(ini.SectionExists(u"Base\\Paths"));
    }
    TCustomHistoryManager other(nullptr);
    other.SetLists(manager.GetLists());
    std::vector<bool> announced;
    other.AddUpdateEvent(&client, [&](TObject*, bool newList) { announced.push_back(newList); });
    TMemIniFile ini(file);
    other.LoadHistoryLists(&ini, u"Base");
    EXPECT_EQ(Items(other.GetHistory(u"Find")),
              (std::vector<UnicodeString>{u"typed", u"two", u"one"}));
    EXPECT_EQ(other.GetHistory(u"Paths"), nullptr);
    EXPECT_EQ(announced, std::vector<bool>{true});
}

TEST_F(HistoryStoreTest, CountGovernsReadingAndAnEmptyHistoryErasesItsSection) {
    TMemIniFile ini(u"");
    ini.WriteInteger(u"B\\Find", u"Count", 3);
    ini.WriteString(u"B\\Find", u"Item0", u"x");
    ini.WriteString(u"B\\Find", u"Item2", u"z");
    ini.WriteString(u"B\\Find", u"Item3", u"beyond");
    ini.WriteString(u"B\\Paths", u"Item0", u"no count");
    manager.LoadHistoryLists(&ini, u"B");
    EXPECT_EQ(Items(manager.GetHistory(u"Find")), (std::vector<UnicodeString>{u"x", u"", u"z"}));
    EXPECT_EQ(manager.GetHistory(u"Paths"), nullptr);

    manager.GetHistory(u"Find")->Clear();
    manager.SaveHistoryLists(&ini, u"B");
    EXPECT_FALSE(ini.SectionExists(u"B\\Find"));
    EXPECT_FALSE(ini.SectionExists(u"B\\Paths"));
    manager.LoadHistoryLists(&ini, u"B");
    EXPECT_EQ(manager.GetHistory(u"Find"), nullptr);
}

// A stored count of 2147483647 was once taken at its word: gigabytes of
// empty entries, and still loading.
TEST_F(HistoryStoreTest, AStoredCountIsCappedByTheLimitAndTheEntriesPresent) {
    struct Case {
        const char* name;
        const char16_t* count;
        int items;    // Item0.. stored
        int maxItems;
        size_t loaded;
    };
    const Case cases[] = {
        {"huge count, few items", u"2147483647", 3, 30, 3},
        {"more items than the limit", u"50", 50, 30, 30},
        {"negative count", u"-5", 3, 30, 0},
        {"no room at all", u"3", 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemIniFile ini(u"");
        ini.WriteString(u"B\\Find", u"Count", c.count);
        for (int k = 0; k < c.items; ++k)
            ini.WriteString(u"B\\Find", u"Item" + IntToStr(k), u"i" + IntToStr(k));
        manager.SetMaxItems(c.maxItems);
        manager.LoadHistoryLists(&ini, u"B");
        TStrings* history = manager.GetHistory(u"Find");
        ASSERT_NE(history, nullptr);
        EXPECT_EQ(static_cast<size_t>(history->GetCount()), c.loaded);
        if (c.loaded) EXPECT_EQ(history->GetStrings(0), u"i0");
    }
}

TEST_F(HistoryStoreTest, AShorterListLeavesStaleItemsThatCountHides) {
    TMemIniFile ini(u"");
    Merge(u"Find", {u"a", u"b", u"c"});
    manager.SaveHistoryLists(&ini, u"B");
    manager.GetHistory(u"Find")->Delete(0);
    manager.SaveHistoryLists(&ini, u"B");
    EXPECT_EQ(ini.ReadInteger(u"B\\Find", u"Count", 0), 2);
    EXPECT_TRUE(ini.ValueExists(u"B\\Find", u"Item2"));
    manager.LoadHistoryLists(&ini, u"B");
    EXPECT_EQ(Items(manager.GetHistory(u"Find")), (std::vector<UnicodeString>{u"b", u"a"}));
}

class RegistryHistoryTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::ResetRegistry();
        TStringList names;
        names.Add(u"Find");
        manager.SetLists(&names);
    }
    THistoryManager manager{nullptr};
};

TEST_F(RegistryHistoryTest, ListsLiveUnderRootKeyPathAndListName) {
    manager.SetKeyPath(u"Software\\BenchkitTest\\History");
    manager.UpdateHistoryList(u"Find", u"alpha");
    manager.UpdateHistoryList(u"Find", u"beta");
    manager.SaveHistory();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKeyReadOnly(u"Software\\BenchkitTest\\History\\Find"));
        EXPECT_EQ(reg.GetDataType(u"Count"), rdInteger);
        EXPECT_EQ(reg.ReadInteger(u"Count"), 2);
        EXPECT_EQ(reg.ReadString(u"Item0"), u"beta");
        EXPECT_EQ(reg.ReadString(u"Item1"), u"alpha");
    }
    ASSERT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    TestSeams::ReloadRegistry();
    THistoryManager other(nullptr);
    other.SetLists(manager.GetLists());
    other.SetKeyPath(u"Software\\BenchkitTest\\History");
    other.LoadHistory();
    EXPECT_EQ(Items(other.GetHistory(u"Find")), (std::vector<UnicodeString>{u"beta", u"alpha"}));
}

TEST_F(RegistryHistoryTest, AnotherRootKeepsItsOwnLists) {
    manager.SetKeyPath(u"Software\\BenchkitTest\\History");
    manager.SetRootKey(hkLocalMachine);
    EXPECT_EQ(manager.GetRootKey(), hkLocalMachine);
    manager.SetRootKey(hkNone); // changes nothing
    EXPECT_EQ(manager.GetRootKey(), hkLocalMachine);
    manager.UpdateHistoryList(u"Find", u"machine");
    manager.SaveHistory();
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(u"Software\\BenchkitTest\\History\\Find"));
    EXPECT_EQ(reg.ReadString(u"Item0"), u"machine");
}

TEST_F(RegistryHistoryTest, ARegistrySetLendsItsOpenKeyUntilTheBindingIsDropped) {
    auto set = std::make_unique<TRegistryPropSet>(nullptr);
    set->SetKeyPath(u"Software\\BenchkitTest\\Panel");
    set->LoadPropValues(); // opens the key
    manager.SetRegistryPropSet(set.get());
    EXPECT_EQ(manager.GetKeyPath(), u"Software\\BenchkitTest\\Panel");
    EXPECT_EQ(manager.GetRootKey(), hkCurrentUser);
    manager.UpdateHistoryList(u"Find", u"x");
    manager.SaveHistory();
    EXPECT_TRUE(TRegistry().KeyExists(u"Software\\BenchkitTest\\Panel\\Find"));

    // A new key path drops the binding and with it the root: nothing is
    // loaded or saved until a root is set again.
    manager.SetKeyPath(u"Software\\BenchkitTest\\Other");
    EXPECT_EQ(manager.GetRegistryPropSet(), nullptr);
    EXPECT_EQ(manager.GetRootKey(), hkNone);
    manager.SaveHistory();
    EXPECT_FALSE(TRegistry().KeyExists(u"Software\\BenchkitTest\\Other"));
    manager.SetRootKey(hkCurrentUser);
    manager.SaveHistory();
    EXPECT_TRUE(TRegistry().KeyExists(u"Software\\BenchkitTest\\Other\\Find"));

    manager.SetRegistryPropSet(set.get());
    set.reset();
    EXPECT_EQ(manager.GetRegistryPropSet(), nullptr);
    EXPECT_EQ(manager.GetKeyPath(), u"");
    EXPECT_EQ(manager.GetRootKey(), hkNone);
}

} // namespace
