#include <runpak/Exceptions.h>
#include <runpak/Lists.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

// --- TList -----------------------------------------------------------------

TList::~TList() {
    // Descendants that react to lnDeleted clear themselves in their own
    // destructor, while their Notify is still theirs.
    FList.clear();
}

void TList::Error(const char* messageFormat, long long data) {
    char text[128];
    std::snprintf(text, sizeof text, messageFormat, data);
    throw EListError(Utf8ToUnicode(text));
}

static void CheckIndex(int index, int count) {
    if (index < 0 || index >= count) TList::Error("List index out of bounds (%lld)", index);
}

void TList::Grow() {
    int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    if (FCapacity > std::numeric_limits<int>::max() - delta) delta = 1;
    SetCapacity(FCapacity + delta);
}

TList* TList::Expand() {
    if (GetCount() == FCapacity) Grow();
    return this;
}

int TList::Add(void* item) {
    int index = GetCount();
    if (index == FCapacity) Grow();
    FList.push_back(item);
    if (item) Notify(item, lnAdded);
    return index;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > GetCount()) Error("List index out of bounds (%lld)", index);
    if (GetCount() == FCapacity) Grow();
    FList.insert(FList.begin() + index, item);
    if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
    CheckIndex(index, GetCount());
    void* item = FList[index];
    FList.erase(FList.begin() + index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
    int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* item) {
    int index = IndexOf(item);
    if (index < 0) return nullptr;
    void* found = FList[index];
    FList.erase(FList.begin() + index);
    Notify(found, lnExtracted);
    return found;
}

int TList::IndexOf(void* item) const {
    auto it = std::find(FList.begin(), FList.end(), item);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Exchange(int index1, int index2) {
    CheckIndex(index1, GetCount());
    CheckIndex(index2, GetCount());
    std::swap(FList[index1], FList[index2]);
}

void TList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    CheckIndex(curIndex, GetCount());
    CheckIndex(newIndex, GetCount());
    void* item = FList[curIndex];
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, item);
}

void TList::Sort(const TListSortCompare& compare) {
    std::stable_sort(FList.begin(), FList.end(),
                     [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Pack() {
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void* TList::First() const {
    return GetItems(0);
}

void* TList::Last() const {
    return GetItems(GetCount() - 1);
}

void* TList::GetItems(int index) const {
    CheckIndex(index, GetCount());
    return FList[index];
}

void TList::SetItems(int index, void* item) {
    CheckIndex(index, GetCount());
    void* old = FList[index];
    if (old == item) return;
    FList[index] = item;
    if (old) Notify(old, lnDeleted);
    if (item) Notify(item, lnAdded);
}

void TList::SetCount(int newCount) {
    if (newCount < 0) Error("List count out of bounds (%lld)", newCount);
    if (newCount > FCapacity) SetCapacity(newCount);
    if (newCount > GetCount()) {
        FList.resize(newCount, nullptr);
        return;
    }
    // One at a time from the end, so that each deletion is reported.
    for (int i = GetCount() - 1; i >= newCount; --i)
        Delete(i);
}

void TList::SetCapacity(int newCapacity) {
    if (newCapacity < GetCount()) Error("List capacity out of bounds (%lld)", newCapacity);
    FCapacity = newCapacity;
    if (newCapacity == 0) {
        FList.shrink_to_fit();
        return;
    }
    FList.reserve(newCapacity);
}

void TList::Assign(TList* listA, TListAssignOp op, TList* listB) {
    // With listB, the result is listA combined with listB; otherwise the list
    // itself is combined with listA.
    TList* source = listA;
    if (listB) {
        Assign(listA, laCopy);
        source = listB;
    }
    switch (op) {
    case laCopy:
        Clear();
        SetCapacity(source->GetCapacity());
        for (int i = 0; i < source->GetCount(); ++i)
            Add(source->FList[i]);
        break;
    case laAnd:
        for (int i = GetCount() - 1; i >= 0; --i)
            if (source->IndexOf(FList[i]) < 0) Delete(i);
        break;
    case laOr:
        for (int i = 0; i < source->GetCount(); ++i)
            if (IndexOf(source->FList[i]) < 0) Add(source->FList[i]);
        break;
    case laXor: {
        std::vector<void*> onlyInSource;
        for (void* item : source->FList)
            if (IndexOf(item) < 0) onlyInSource.push_back(item);
        for (int i = GetCount() - 1; i >= 0; --i)
            if (source->IndexOf(FList[i]) >= 0) Delete(i);
        for (void* item : onlyInSource)
            Add(item);
        break;
    }
    case laSrcUnique:
        for (int i = GetCount() - 1; i >= 0; --i)
            if (source->IndexOf(FList[i]) >= 0) Delete(i);
        break;
    case laDestUnique: {
        std::vector<void*> onlyInSource;
        for (void* item : source->FList)
            if (IndexOf(item) < 0) onlyInSource.push_back(item);
        Clear();
        for (void* item : onlyInSource)
            Add(item);
        break;
    }
    }
}

// --- TObjectList -----------------------------------------------------------

TObjectList::~TObjectList() {
    Clear();
}

void TObjectList::Notify(void* item, TListNotification action) {
    if (FOwnsObjects && action == lnDeleted) delete static_cast<TObject*>(item);
    TList::Notify(item, action);
}

// --- TThreadList -----------------------------------------------------------

void TThreadList::Add(void* item) {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    if (FDuplicates == dupAccept || FList.IndexOf(item) < 0) {
        FList.Add(item);
        return;
    }
    if (FDuplicates == dupError)
        TList::Error("List does not allow duplicates ($0%llx)",
                     static_cast<long long>(reinterpret_cast<intptr_t>(item)));
}

void TThreadList::Remove(void* item) {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    FList.Remove(item);
}

void TThreadList::Clear() {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    FList.Clear();
}

TList* TThreadList::LockList() {
    FLock.lock();
    return &FList;
}

void TThreadList::UnlockList() {
    FLock.unlock();
}
