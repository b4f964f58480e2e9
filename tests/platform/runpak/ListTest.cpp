#include <runpak/Exceptions.h>
#include <runpak/Lists.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Pointers to distinct ints, so that tests can tell items apart by value.
int gValues[8] = {0, 1, 2, 3, 4, 5, 6, 7};
void* P(int i) {
    return &gValues[i];
}
int V(void* p) {
    return *static_cast<int*>(p);
}

std::vector<int> Values(const TList& list) {
    std::vector<int> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.GetItems(i) ? V(list.GetItems(i)) : -1);
    return out;
}

// Records every notification, to check which operations report what.
class TRecordingList : public TList {
public:
    std::vector<std::pair<int, TListNotification>> Log;

protected:
    void Notify(void* item, TListNotification action) override { Log.push_back({V(item), action}); }
};

std::string MessageOf(const Exception& e) {
    return e.what();
}

} // namespace

TEST(TList, AddInsertDeleteKeepOrder) {
    TList list;
    EXPECT_EQ(list.Add(P(1)), 0);
    EXPECT_EQ(list.Add(P(3)), 1);
    list.Insert(1, P(2));
    list.Insert(0, P(0));
    list.Insert(4, P(4));
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4}));
    list.Delete(2);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(list.Remove(P(3)), 2);
    EXPECT_EQ(list.Remove(P(7)), -1);
    EXPECT_EQ(list.IndexOf(P(4)), 2);
    EXPECT_EQ(V(list.First()), 0);
    EXPECT_EQ(V(list.Last()), 4);
}

TEST(TList, IndexOutsideTheListRaisesWithTheIndex) {
    TList list;
    list.Add(P(0));
    list.Add(P(1));
    struct Case {
        const char* name;
        std::function<void()> call;
        const char* message;
    };
    const Case cases[] = {
        {"Get -1", [&] { list.GetItems(-1); }, "List index out of bounds (-1)"},
        {"Get Count", [&] { list.GetItems(2); }, "List index out of bounds (2)"},
        {"Set", [&] { list.SetItems(5, nullptr); }, "List index out of bounds (5)"},
        {"Delete", [&] { list.Delete(2); }, "List index out of bounds (2)"},
        {"Insert past end", [&] { list.Insert(3, P(0)); }, "List index out of bounds (3)"},
        {"Exchange", [&] { list.Exchange(0, 9); }, "List index out of bounds (9)"},
        {"Move", [&] { list.Move(-2, 0); }, "List index out of bounds (-2)"},
        {"SetCount", [&] { list.SetCount(-1); }, "List count out of bounds (-1)"},
        {"SetCapacity", [&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << " did not raise";
        } catch (const EListError& e) {
            EXPECT_EQ(MessageOf(e), c.message) << c.name;
        }
    }
    EXPECT_EQ(list.GetCount(), 2);
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);
}

TEST(TList, ExchangeMoveSortAndPack) {
    TList list;
    for (int i : {3, 1, 4, 0, 2})
        list.Add(P(i));
    list.Exchange(0, 4);
    EXPECT_EQ(Values(list), (std::vector<int>{2, 1, 4, 0, 3}));
    list.Move(0, 3);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 4, 0, 2, 3}));
    list.Move(4, 0);
    EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 4, 0, 2}));
    list.Sort([](void* a, void* b) { return V(a) - V(b); });
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4}));

    list.Insert(1, nullptr);
    list.Add(nullptr);
    list.SetCount(9);
    EXPECT_EQ(list.GetCount(), 9);
    list.Pack();
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(TList, SortIsStable) {
    // Pairs compared by their first member only.
    std::pair<int, int> items[] = {{1, 0}, {0, 1}, {1, 2}, {0, 3}, {1, 4}};
    TList list;
    for (auto& item : items)
        list.Add(&item);
    list.Sort([](void* a, void* b) {
        return static_cast<std::pair<int, int>*>(a)->first -
               static_cast<std::pair<int, int>*>(b)->first;
    });
    std::vector<int> order;
    for (int i = 0; i < list.GetCount(); ++i)
        order.push_back(static_cast<std::pair<int, int>*>(list.GetItems(i))->second);
    EXPECT_EQ(order, (std::vector<int>{1, 3, 0, 2, 4}));
}

TEST(TList, CountAndCapacity) {
    TList list;
    EXPECT_EQ(list.GetCapacity(), 0);
    list.Add(P(0));
    EXPECT_GE(list.GetCapacity(), 1);
    list.SetCapacity(100);
    EXPECT_EQ(list.GetCapacity(), 100);
    list.SetCount(3);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetItems(2), nullptr);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 0);
    list.SetCount(2);
    EXPECT_EQ(list.Expand()->GetCapacity(), list.GetCount() + 4);
}

TEST(TList, NotifiesAddedExtractedAndDeletedButNotNil) {
    TRecordingList list;
    list.Add(P(1));
    list.Add(nullptr);
    list.Insert(0, P(2));
    list.SetItems(0, P(3));
    list.Extract(P(1));
    list.Delete(0);
    list.Add(P(4));
    list.Add(P(5));
    list.Clear();
    using L = std::vector<std::pair<int, TListNotification>>;
    EXPECT_EQ(list.Log, (L{{1, lnAdded},
                           {2, lnAdded},
                           {2, lnDeleted},
                           {3, lnAdded},
                           {1, lnExtracted},
                           {3, lnDeleted},
                           {4, lnAdded},
                           {5, lnAdded},
                           {5, lnDeleted},
                           {4, lnDeleted}}));
    EXPECT_EQ(list.Extract(P(7)), nullptr);
}

TEST(TList, AssignCombinesLists) {
    struct Case {
        TListAssignOp op;
        std::vector<int> expected;
    };
    // Self = {0,1,2,3}, source = {2,3,4,5}.
    const Case cases[] = {
        {laCopy, {2, 3, 4, 5}}, {laAnd, {2, 3}},       {laOr, {0, 1, 2, 3, 4, 5}},
        {laXor, {0, 1, 4, 5}},  {laSrcUnique, {0, 1}}, {laDestUnique, {4, 5}},
    };
    for (const Case& c : cases) {
        TList self, source;
        for (int i : {0, 1, 2, 3})
            self.Add(P(i));
        for (int i : {2, 3, 4, 5})
            source.Add(P(i));
        self.Assign(&source, c.op);
        EXPECT_EQ(Values(self), c.expected) << "op " << c.op;
    }
    TList a, b, target;
    for (int i : {0, 1, 2})
        a.Add(P(i));
    for (int i : {1, 2, 3})
        b.Add(P(i));
    target.Add(P(7));
    // With a second list, the target's own items play no part.
    target.Assign(&a, laAnd, &b);
    EXPECT_EQ(Values(target), (std::vector<int>{1, 2}));
    target.Assign(&a, laXor, &b);
    EXPECT_EQ(Values(target), (std::vector<int>{0, 3}));
}

namespace {
// Counts live instances, to see which operations delete the object.
struct TTracked : TObject {
    explicit TTracked(int& live) : Live(live) { ++Live; }
    ~TTracked() override { --Live; }
    int& Live;
};
} // namespace

TEST(TObjectList, OwnedObjectsAreDeletedWhenTheyLeaveExceptByExtract) {
    int live = 0;
    TTracked* extracted;
    {
        TObjectList list;
        for (int i = 0; i < 6; ++i)
            list.Add(new TTracked(live));
        EXPECT_EQ(live, 6);
        list.Delete(0);
        EXPECT_EQ(live, 5);
        list.Remove(list.GetItems(0));
        EXPECT_EQ(live, 4);
        list.SetItems(0, new TTracked(live));
        EXPECT_EQ(live, 4);
        extracted = static_cast<TTracked*>(list.Extract(list.Last()));
        EXPECT_EQ(list.GetCount(), 3);
        EXPECT_EQ(live, 4);
        list.SetCount(2);
        EXPECT_EQ(live, 3);
    }
    EXPECT_EQ(live, 1);
    delete extracted;
    EXPECT_EQ(live, 0);
}

TEST(TObjectList, NotOwningLeavesObjectsAlive) {
    int live = 0;
    TTracked a(live), b(live);
    {
        TObjectList list(false);
        list.Add(&a);
        list.Add(&b);
        list.Delete(0);
        list.Clear();
        list.Add(&a);
    }
    EXPECT_EQ(live, 2);

    TObjectList list;
    list.Add(new TTracked(live));
    list.SetOwnsObjects(false);
    TObject* kept = list.First();
    list.Clear();
    EXPECT_EQ(live, 3);
    delete kept;
}

TEST(TThreadList, AddHonoursDuplicates) {
    TThreadList list;
    list.Add(P(1));
    list.Add(P(1));
    EXPECT_EQ(list.LockList()->GetCount(), 1);
    list.UnlockList();

    list.SetDuplicates(dupAccept);
    list.Add(P(1));
    EXPECT_EQ(list.LockList()->GetCount(), 2);
    list.UnlockList();

    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add(P(1)), EListError);
    list.Add(P(2));
    list.Remove(P(1));
    TList* inner = list.LockList();
    EXPECT_EQ(Values(*inner), (std::vector<int>{1, 2}));
    list.UnlockList();
    list.Clear();
    EXPECT_EQ(list.LockList()->GetCount(), 0);
    list.UnlockList();
}

TEST(TThreadList, LockIsReentrantAndExcludesOtherThreads) {
    TThreadList list;
    list.SetDuplicates(dupAccept);
    TList* inner = list.LockList();
    // The owning thread may lock again and add while holding the list.
    list.Add(P(0));
    list.LockList();
    list.UnlockList();

    std::atomic<bool> added{false};
    std::thread other([&] {
        list.Add(P(1));
        added = true;
    });
    // The other thread cannot add while the list is locked here.
    for (int i = 0; i < 1000; ++i)
        std::this_thread::yield();
    EXPECT_FALSE(added.load());
    EXPECT_EQ(inner->GetCount(), 1);
    list.UnlockList();
    other.join();
    EXPECT_TRUE(added.load());
    EXPECT_EQ(list.LockList()->GetCount(), 2);
    list.UnlockList();
}

TEST(TThreadList, ConcurrentAddsAreAllKept) {
    TThreadList list;
    list.SetDuplicates(dupAccept);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i)
                list.Add(P(i % 8));
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(list.LockList()->GetCount(), 4000);
    list.UnlockList();
}
