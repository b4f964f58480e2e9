// The hash table core, driven through the integer and pointer tables:
// construction, growth, replacement, removal, clearing, fixed size,
// notifications, enumeration order and the iteration guard.
#include "benchkit/controls/Collections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A pointer table that records its notifications.
class TRecordingTable : public TPointerHashTable {
public:
    using TPointerHashTable::TPointerHashTable;
    ~TRecordingTable() override { DestroyEntries(); }
    std::vector<std::string> Log;
    std::vector<std::string>* Sink = nullptr; // also records here, past the table's end

protected:
    void Notify(PBaseHashEntry Entry, THashTableNotification Kind) override {
        static const char* names[] = {"added", "removed", "changing", "changed"};
        Log.push_back(std::string(names[Kind]) + ":" + std::to_string(Entry->Key) + "=" +
                      std::to_string(Entry->Value));
        if (Sink) Sink->push_back(Log.back());
        TPointerHashTable::Notify(Entry, Kind);
    }
};

void* P(uintptr_t n) {
    return reinterpret_cast<void*>(n);
}

template <class F> std::u16string MessageOf(F f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.GetMessage();
    }
    return u"(no exception)";
}

TEST(HashTableCore, CapacityZeroGetsThirtyTwoBucketsOnFirstAdd) {
    TIntegerObjHashTable table(okNone, 0, 0.75);
    EXPECT_EQ(table.GetTableLength(), 0u);
    EXPECT_EQ(table.GetGrowThreshold(), 0u);
    table.Add(1, nullptr);
    EXPECT_EQ(table.GetTableLength(), 32u);
    EXPECT_EQ(table.GetGrowThreshold(), 24u);
}

TEST(HashTableCore, GrowsBeforeTheInsertionThatPassesTheThreshold) {
    TIntegerObjHashTable table(okNone, 10, 0.75);
    EXPECT_EQ(table.GetGrowThreshold(), 8u); // 7.5 rounds to even
    for (int i = 0; i < 8; ++i)
        table.Add(i, nullptr);
    EXPECT_EQ(table.GetTableLength(), 10u);
    table.Add(8, nullptr);
    EXPECT_EQ(table.GetTableLength(), 20u);
    EXPECT_EQ(table.GetGrowThreshold(), 15u);
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(table.ContainsKey(i)) << i;

    TIntegerObjHashTable one(okNone, 32, 1.0);
    for (int i = 0; i < 32; ++i)
        one.Add(i, nullptr);
    EXPECT_EQ(one.GetTableLength(), 32u);
    one.Add(32, nullptr);
    EXPECT_EQ(one.GetTableLength(), 64u);
}

TEST(HashTableCore, ThresholdRoundsHalfToEven) {
    EXPECT_EQ(TPointerHashTable(5, 0.5).GetGrowThreshold(), 2u); // 2.5
    EXPECT_EQ(TPointerHashTable(7, 0.5).GetGrowThreshold(), 4u); // 3.5
    EXPECT_EQ(TPointerHashTable(3, 0.5).GetGrowThreshold(), 2u); // 1.5
}

TEST(HashTableCore, LoadFactorMustLieBetweenOneTenthAndSeven) {
    EXPECT_NO_THROW(TPointerHashTable(0, 0.1));
    EXPECT_NO_THROW(TPointerHashTable(0, 7));
    for (double bad : {0.099, 7.01, 0.0, -1.0}) {
        EXPECT_THROW(TPointerHashTable(0, bad), EArgumentOutOfRangeException) << bad;
        EXPECT_EQ(MessageOf([&] { TPointerHashTable t(0, bad); }), u"Argument out of range");
    }
}

TEST(HashTableCore, AddingAnExistingKeyReplacesTheValue) {
    TRecordingTable table;
    table.Add(P(1), P(10));
    table.Add(P(1), P(11));
    EXPECT_EQ(table.GetCount(), 1);
    EXPECT_EQ(table.GetItem(P(1)), P(11));
    EXPECT_EQ(table.Log, (std::vector<std::string>{"added:1=10", "changing:1=10", "changed:1=11"}));
}

TEST(HashTableCore, RemovingAMissingKeyDoesNothing) {
    TRecordingTable empty;
    empty.Remove(P(3)); // no buckets at all
    TRecordingTable table;
    table.Add(P(1), P(10));
    table.Remove(P(2));
    EXPECT_EQ(table.GetCount(), 1);
    table.Remove(P(1));
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_EQ(table.Log, (std::vector<std::string>{"added:1=10", "removed:1=10"}));
}

TEST(HashTableCore, ClearReturnsToTheInitialCapacityAndNotifiesEveryEntry) {
    TRecordingTable table(16);
    for (uintptr_t i = 1; i <= 40; ++i)
        table.Add(P(i), P(i));
    EXPECT_EQ(table.GetTableLength(), 64u);
    table.Log.clear();
    table.Clear();
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_EQ(table.GetTableLength(), 16u);
    EXPECT_EQ(table.Log.size(), 40u);

    TPointerHashTable none(0);
    none.Add(P(1), P(1));
    none.Clear();
    EXPECT_EQ(none.GetTableLength(), 0u);
}

TEST(HashTableCore, DestructionNotifiesEveryEntryAsRemoved) {
    std::vector<std::string> log;
    {
        TRecordingTable table;
        table.Sink = &log;
        table.Add(P(1), P(2));
        table.Add(P(3), P(4));
    }
    std::sort(log.begin(), log.end());
    EXPECT_EQ(log,
              (std::vector<std::string>{"added:1=2", "added:3=4", "removed:1=2", "removed:3=4"}));
}

TEST(HashTableCore, FixedSizeTableKeepsItsBuckets) {
    TPointerHashTable table(64, 1.0);
    table.SetIsFixedSize(true);
    for (uintptr_t i = 1; i <= 200; ++i)
        table.Add(P(i), P(i));
    EXPECT_EQ(table.GetTableLength(), 64u);
    EXPECT_EQ(table.GetCount(), 200);
    EXPECT_EQ(table.GetItem(P(150)), P(150));
}

TEST(HashTableCore, FixedSizeNeedsBuckets) {
    TPointerHashTable none(0);
    EXPECT_THROW(none.SetIsFixedSize(true), EArgumentException);
    EXPECT_EQ(MessageOf([&] { none.SetIsFixedSize(true); }), u"Hash table is fixed with size 0");

    // A fixed table of initial capacity 0 loses its buckets on Clear.
    TPointerHashTable table(0);
    table.Add(P(1), P(1));
    table.SetIsFixedSize(true);
    table.Clear();
    EXPECT_THROW(table.Add(P(1), P(1)), ENotSupportedException);
    EXPECT_EQ(MessageOf([&] { table.Add(P(1), P(1)); }), u"Hash table is fixed with size 0");
}

TEST(HashTableCore, EnumeratesInBucketOrderNewestFirst) {
    TIntegerObjHashTable table(okNone, 4, 7);
    for (int key : {1, 5, 2, 9})
        table.Add(key, nullptr);
    std::vector<int> keys;
    for (int key : table.GetKeys())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<int>{9, 5, 1, 2}));
}

// ---- The iteration guard --------------------------------------------------

constexpr char16_t kIterating[] = u"Can not modify a collection while iterating";

TEST(HashTableIteration, ChangesInsideALoopRaiseAndSucceedAfterIt) {
    TPointerHashTable table;
    table.Add(P(1), P(1));
    for (const auto& pair : table) {
        (void)pair;
        EXPECT_EQ(MessageOf([&] { table.Add(P(2), P(2)); }), kIterating);
        EXPECT_EQ(MessageOf([&] { table.Remove(P(1)); }), kIterating);
        EXPECT_EQ(MessageOf([&] { table.Clear(); }), kIterating);
        EXPECT_EQ(table.GetItem(P(1)), P(1)); // reading is fine
    }
    table.Add(P(2), P(2));
    EXPECT_EQ(table.GetCount(), 2);
}

// Ending one of two live enumerators must not lift the guard for the other.
TEST(HashTableIteration, NestedAndInterleavedEnumeratorsKeepTheGuard) {
    TPointerHashTable table;
    for (uintptr_t i = 1; i <= 3; ++i)
        table.Add(P(i), P(i));
    for (const auto& outer : table) {
        (void)outer;
        for (const auto& inner : table)
            (void)inner;
        EXPECT_TRUE(table.GetIteratorActive());
        EXPECT_THROW(table.Remove(P(1)), ENotSupportedException);
    }
    EXPECT_FALSE(table.GetIteratorActive());

    auto first = table.GetEnumerator();
    {
        auto second = table.GetValues();
        second.MoveNext();
    }
    EXPECT_THROW(table.Clear(), ENotSupportedException);
}

TEST(HashTableIteration, ContainsValueInsideALoopKeepsTheGuard) {
    TPointerHashTable table;
    table.Add(P(1), P(7));
    for (const auto& pair : table) {
        (void)pair;
        EXPECT_TRUE(table.ContainsValue(P(7)));
        EXPECT_FALSE(table.ContainsValue(P(8)));
        EXPECT_THROW(table.Add(P(3), P(3)), ENotSupportedException);
    }
}

TEST(HashTableIteration, AnEnumeratorOutlivingItsTableEndsQuietly) {
    auto table = std::make_unique<TPointerHashTable>();
    table->Add(P(1), P(1));
    table->Add(P(2), P(2));
    auto pairs = table->GetEnumerator();
    ASSERT_TRUE(pairs.MoveNext());
    table.reset();
    EXPECT_FALSE(pairs.MoveNext());
}

TEST(HashTableIteration, AMovedEnumeratorStillGuards) {
    TPointerHashTable table;
    table.Add(P(1), P(1));
    auto make = [&] { return table.GetKeys(); };
    auto keys = make();
    EXPECT_THROW(table.Add(P(2), P(2)), ENotSupportedException);
    ASSERT_TRUE(keys.MoveNext());
    EXPECT_EQ(keys.GetCurrent(), P(1));
}

TEST(HashTableAssign, NeedsASourceOfTheSameClass) {
    TPointerHashTable table;
    EXPECT_THROW(table.Assign(nullptr), EConvertError);
    EXPECT_EQ(MessageOf([&] { table.Assign(nullptr); }),
              u"Cannot assign a nil to a TPointerHashTable");
    TIntegerObjHashTable other(okNone);
    EXPECT_EQ(MessageOf([&] { table.Assign(&other); }),
              u"Cannot assign a TIntegerObjHashTable to a TPointerHashTable");
}

TEST(HashTableAssign, CopiesThePairsAndAssigningToItselfKeepsThem) {
    TPointerHashTable source, dest;
    source.Add(P(1), P(10));
    source.Add(P(2), P(20));
    dest.Add(P(3), P(30));
    dest.Assign(&source);
    EXPECT_EQ(dest.GetCount(), 2);
    EXPECT_EQ(dest.GetItem(P(2)), P(20));
    EXPECT_FALSE(dest.ContainsKey(P(3)));
    source.Assign(&source);
    EXPECT_EQ(source.GetCount(), 2);
}

} // namespace
