#include <runpak/Collection.h>
#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

class TColumn : public TCollectionItem {
public:
    explicit TColumn(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override {
        if (auto* other = dynamic_cast<TColumn*>(Source)) {
            Width = other->Width;
            Title = other->Title;
            return;
        }
        TCollectionItem::Assign(Source);
    }
    UnicodeString GetDisplayName() const override {
        return Title.empty() ? TCollectionItem::GetDisplayName() : Title;
    }
    void SetWidth(int value) {
        Width = value;
        Changed(false);
    }
    void TouchAll() { Changed(true); }

    int Width = 50;
    UnicodeString Title;
};

// Writes Notify and Update calls into a log, naming items by ID.
class TColumns : public TOwnedCollection {
public:
    TColumns(TPersistent* AOwner, Log* log)
        : TOwnedCollection(AOwner, &NewCollectionItem<TColumn>), FLog(log) {}
    TColumn* AddColumn() { return static_cast<TColumn*>(Add()); }
    TColumn* Column(int index) const { return static_cast<TColumn*>(GetItems(index)); }

protected:
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        const char* names[] = {"added ", "extracting ", "deleting "};
        FLog->push_back(names[Action] + std::to_string(Item->GetID()));
    }
    void Update(TCollectionItem* Item) override {
        FLog->push_back(Item ? "update " + std::to_string(Item->GetID()) : "update all");
    }

private:
    Log* FLog;
};

std::vector<int> IDs(const TCollection& collection) {
    std::vector<int> ids;
    for (int i = 0; i < collection.GetCount(); ++i)
        ids.push_back(collection.GetItems(i)->GetID());
    return ids;
}

class CollectionTest : public testing::Test {
protected:
    Log log;
    TColumns columns{nullptr, &log};
};

// A component that publishes its collection, for name paths.
class TGrid : public TComponent {
public:
    explicit TGrid(TComponent* AOwner) : TComponent(AOwner), FColumns(new TColumns(this, &FLog)) {}
    ~TGrid() override { delete FColumns; }
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    TColumns* GetColumns() const { return FColumns; }
    void SetColumns(TColumns* value) { FColumns->Assign(value); }

private:
    Log FLog;
    TColumns* FColumns;
};

TClass TGrid::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TGrid>(u"TGrid", TComponent::StaticClass())
                                     .Property(u"Columns", ClassTypeInfo<TCollection>,
                                               &TGrid::GetColumns, &TGrid::SetColumns));
    return &meta;
}

class TNotAColumn : public TPersistent {};

} // namespace

TEST_F(CollectionTest, AddGivesIncreasingIDsAndTellsTheCollection) {
    TColumn* first = columns.AddColumn();
    TColumn* second = columns.AddColumn();
    EXPECT_EQ(columns.GetCount(), 2);
    EXPECT_EQ(first->GetID(), 0);
    EXPECT_EQ(second->GetID(), 1);
    EXPECT_EQ(second->GetIndex(), 1);
    EXPECT_EQ(second->GetCollection(), &columns);
    EXPECT_EQ(second->GetOwner(), &columns);
    EXPECT_EQ(log, (Log{"added 0", "update all", "added 1", "update all"}));
}

TEST_F(CollectionTest, DeleteTellsAndNeverReusesIDs) {
    for (int i = 0; i < 3; ++i)
        columns.Add();
    log.clear();
    columns.Delete(1);
    EXPECT_EQ(log, (Log{"deleting 1", "extracting 1", "update all"}));
    EXPECT_EQ(IDs(columns), (std::vector<int>{0, 2}));
    EXPECT_EQ(columns.Add()->GetID(), 3);
    EXPECT_EQ(columns.FindItemID(2), columns.GetItems(1));
    EXPECT_EQ(columns.FindItemID(1), nullptr);
    EXPECT_THROW(columns.Delete(3), EListError);
}

TEST_F(CollectionTest, InsertPlacesTheNewItemAndRefusesBadPositions) {
    columns.Add();
    columns.Add();
    TCollectionItem* front = columns.Insert(0);
    EXPECT_EQ(IDs(columns), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(front->GetIndex(), 0);
    columns.Insert(3);
    EXPECT_EQ(IDs(columns), (std::vector<int>{2, 0, 1, 3}));
    EXPECT_THROW(columns.Insert(5), EListError);
    EXPECT_THROW(columns.Insert(-1), EListError);
    EXPECT_EQ(columns.GetCount(), 4);
}

TEST_F(CollectionTest, SettingIndexMovesTheItem) {
    for (int i = 0; i < 4; ++i)
        columns.Add();
    log.clear();
    columns.GetItems(0)->SetIndex(2);
    EXPECT_EQ(IDs(columns), (std::vector<int>{1, 2, 0, 3}));
    EXPECT_EQ(log, (Log{"update all"}));
    columns.GetItems(3)->SetIndex(0);
    EXPECT_EQ(IDs(columns), (std::vector<int>{3, 1, 2, 0}));
    EXPECT_EQ(columns.FindItemID(0)->GetIndex(), 3);
    try {
        columns.GetItems(0)->SetIndex(5);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.GetMessage(), u"List index out of bounds (5)");
    }
    EXPECT_EQ(IDs(columns), (std::vector<int>{3, 1, 2, 0}));
}

TEST_F(CollectionTest, ItemsOutOfRangeRaise) {
    columns.Add();
    try {
        columns.GetItems(1);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.GetMessage(), u"List index out of bounds (1)");
    }
    EXPECT_THROW(columns.GetItems(-1), EListError);
}

TEST_F(CollectionTest, UpdatesInsideBracketsBecomeOneUpdateAtTheEnd) {
    columns.BeginUpdate();
    columns.BeginUpdate();
    TColumn* a = columns.AddColumn();
    columns.AddColumn();
    a->SetWidth(80);
    a->TouchAll();
    columns.Delete(1);
    columns.EndUpdate();
    EXPECT_EQ(log, (Log{"added 0", "added 1", "deleting 1", "extracting 1"}));
    log.clear();
    columns.EndUpdate();
    EXPECT_EQ(log, (Log{"update all"}));
    EXPECT_EQ(columns.GetUpdateCount(), 0);

    log.clear();
    a->SetWidth(90);
    a->TouchAll();
    EXPECT_EQ(log, (Log{"update 0", "update all"}));
}

TEST_F(CollectionTest, ClearDeletesEveryItemInOneUpdate) {
    for (int i = 0; i < 3; ++i)
        columns.Add();
    log.clear();
    columns.Clear();
    EXPECT_EQ(columns.GetCount(), 0);
    EXPECT_EQ(log, (Log{"extracting 2", "extracting 1", "extracting 0", "update all"}));
    log.clear();
    columns.Clear();
    EXPECT_TRUE(log.empty());
}

TEST_F(CollectionTest, AnItemDeletedOnItsOwnLeavesTheCollection) {
    columns.Add();
    TCollectionItem* doomed = columns.Add();
    columns.Add();
    log.clear();
    FreeAndNil(doomed);
    EXPECT_EQ(IDs(columns), (std::vector<int>{0, 2}));
    EXPECT_EQ(log, (Log{"extracting 1", "update all"}));
    delete columns.GetItems(0);
    EXPECT_EQ(IDs(columns), (std::vector<int>{2}));
}

TEST_F(CollectionTest, AnItemMovedToAnotherCollectionGetsItsNextID) {
    Log otherLog;
    TColumns other(nullptr, &otherLog);
    for (int i = 0; i < 3; ++i)
        other.Add();
    TCollectionItem* item = columns.Add();
    item->SetCollection(&other);
    EXPECT_EQ(columns.GetCount(), 0);
    EXPECT_EQ(item->GetCollection(), &other);
    EXPECT_EQ(item->GetID(), 3);
    EXPECT_EQ(item->GetIndex(), 3);
    EXPECT_EQ(otherLog.back(), "update all");
    item->SetCollection(nullptr);
    EXPECT_EQ(item->GetIndex(), -1);
    delete item;
}

TEST_F(CollectionTest, AssignCopiesItemsThroughTheirAssign) {
    Log otherLog;
    TColumns source(nullptr, &otherLog);
    for (int width : {10, 20, 30})
        source.AddColumn()->Width = width;
    source.Column(1)->Title = u"Size";
    columns.Add();
    log.clear();

    columns.Assign(&source);
    ASSERT_EQ(columns.GetCount(), 3);
    EXPECT_EQ(columns.Column(0)->Width, 10);
    EXPECT_EQ(columns.Column(2)->Width, 30);
    EXPECT_EQ(columns.Column(1)->Title, u"Size");
    EXPECT_EQ(IDs(columns), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "update all"), 1);
    EXPECT_EQ(log.back(), "update all");

    columns.Assign(&columns); // must not lose anything
    EXPECT_EQ(columns.GetCount(), 3);

    TNotAColumn stranger;
    try {
        columns.Assign(&stranger);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot assign a TNotAColumn to a TColumns");
    }
    EXPECT_THROW(columns.Column(0)->Assign(&stranger), EConvertError);
}

TEST(CollectionNames, PathsFollowTheOwnersPublishedProperty) {
    TGrid grid(nullptr);
    grid.SetName(u"Grid1");
    grid.GetColumns()->Add();
    TColumn* second = grid.GetColumns()->AddColumn();
    EXPECT_EQ(grid.GetColumns()->GetNamePath(), u"Grid1.Columns");
    EXPECT_EQ(second->GetNamePath(), u"Grid1.Columns[1]");
    EXPECT_EQ(second->GetDisplayName(), u"TColumn");
    second->Title = u"Width";
    EXPECT_EQ(grid.GetColumns()->GetItemAttr(0, 1), u"Width");
    EXPECT_EQ(grid.GetColumns()->GetItemAttr(1, 1), u"");

    Log log;
    TColumns loose(nullptr, &log);
    EXPECT_EQ(loose.GetNamePath(), u"TColumns");
    EXPECT_EQ(loose.Add()->GetNamePath(), u"TColumns[0]");
}
