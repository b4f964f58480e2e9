// Pointer lists: TList, the owning TObjectList and the locked TThreadList.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Object.h>

#include <functional>
#include <mutex>
#include <vector>

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
enum TListAssignOp { laCopy, laAnd, laOr, laXor, laSrcUnique, laDestUnique };
enum TDuplicates { dupIgnore, dupAccept, dupError };

// Negative when item1 sorts before item2, zero when equal, positive after.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// A list of untyped pointers; nil items are allowed. Every index outside
// 0..Count-1 raises EListError "List index out of bounds (n)".
class TList : public TObject {
public:
    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    ~TList() override;

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    // Deletes the first occurrence of item; returns its former index or -1.
    int Remove(void* item);
    // Takes the first occurrence of item out without deleting it (lnExtracted);
    // returns the item, or nil when it is not in the list.
    void* Extract(void* item);
    int IndexOf(void* item) const;
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    // A stable sort, so that equal items keep their order.
    void Sort(const TListSortCompare& compare);
    // Removes the nil items.
    void Pack();
    void Clear();
    void* First() const;
    void* Last() const;
    // Makes room for one more item when the list is full.
    TList* Expand();
    // Combines the list with listA (and listB when given) as the operator says.
    void Assign(TList* listA, TListAssignOp op = laCopy, TList* listB = nullptr);

    void* GetItems(int index) const;
    void SetItems(int index, void* item);
    int GetCount() const { return static_cast<int>(FList.size()); }
    // Growing appends nil items; shrinking deletes the items past the new count.
    void SetCount(int newCount);
    int GetCapacity() const { return FCapacity; }
    void SetCapacity(int newCapacity);
    // The items as a contiguous array, valid until the list changes.
    void* const* GetList() const { return FList.data(); }

    [[noreturn]] static void Error(const char* messageFormat, long long data);

protected:
    // Called after an item has entered or left the list; nil items are not reported.
    virtual void Notify(void* item, TListNotification action) {}
    virtual void Grow();

private:
    std::vector<void*> FList;
    int FCapacity = 0;
};

// A list of objects that, while OwnsObjects is set, deletes an object when
// it leaves the list by Delete, Remove, Clear, replacement or destruction.
// Extract hands the object back without deleting it.
class TObjectList : public TList {
public:
    explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
    ~TObjectList() override;

    int Add(TObject* object) { return TList::Add(object); }
    void Insert(int index, TObject* object) { TList::Insert(index, object); }
    int Remove(TObject* object) { return TList::Remove(object); }
    TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
    int IndexOf(TObject* object) const { return TList::IndexOf(object); }
    TObject* First() const { return static_cast<TObject*>(TList::First()); }
    TObject* Last() const { return static_cast<TObject*>(TList::Last()); }

    TObject* GetItems(int index) const { return static_cast<TObject*>(TList::GetItems(index)); }
    void SetItems(int index, TObject* object) { TList::SetItems(index, object); }
    bool GetOwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

protected:
    void Notify(void* item, TListNotification action) override;

private:
    bool FOwnsObjects;
};

// A list shared between threads. LockList hands out the inner list under the
// lock, which the same thread may take again; UnlockList releases it.
class TThreadList : public TObject {
public:
    TThreadList() = default;
    TThreadList(const TThreadList&) = delete;
    TThreadList& operator=(const TThreadList&) = delete;

    // Adds unless the item is already there: dupIgnore skips it, dupError
    // raises EListError, dupAccept adds it again.
    void Add(void* item);
    void Remove(void* item);
    void Clear();
    TList* LockList();
    void UnlockList();

    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }

private:
    std::recursive_mutex FLock;
    TList FList;
    TDuplicates FDuplicates = dupIgnore;
};

#pragma GCC visibility pop
