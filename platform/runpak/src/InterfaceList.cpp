#include <runpak/InterfaceList.h>

#include <runpak/Lists.h>

#include <utility>

// Items that leave the list are released after the lock is let go: the last
// release of an item may run code that uses this list again.

HRESULT TInterfaceList::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IInterfaceList>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TInterfaceList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= int(FList.size()))
        TList::Error("List index out of bounds (%lld)", Index);
}

InterfacePtr<IInterface> TInterfaceList::Get(int Index) {
    std::lock_guard guard(FLock);
    CheckIndex(Index);
    return FList[Index];
}

int TInterfaceList::GetCapacity() {
    std::lock_guard guard(FLock);
    return int(FList.capacity());
}

int TInterfaceList::GetCount() {
    std::lock_guard guard(FLock);
    return int(FList.size());
}

void TInterfaceList::Put(int Index, IInterface* Item) {
    InterfacePtr<IInterface> old;
    std::lock_guard guard(FLock);
    CheckIndex(Index);
    old = std::exchange(FList[Index], InterfacePtr<IInterface>(Item));
}

void TInterfaceList::SetCapacity(int NewCapacity) {
    std::lock_guard guard(FLock);
    if (NewCapacity < int(FList.size()))
        TList::Error("List capacity out of bounds (%lld)", NewCapacity);
    FList.reserve(size_t(NewCapacity));
}

void TInterfaceList::SetCount(int NewCount) {
    if (NewCount < 0) TList::Error("List count out of bounds (%lld)", NewCount);
    std::vector<InterfacePtr<IInterface>> dropped;
    std::lock_guard guard(FLock);
    for (size_t i = size_t(NewCount); i < FList.size(); ++i)
        dropped.push_back(std::move(FList[i]));
    FList.resize(size_t(NewCount));
}

void TInterfaceList::Clear() {
    std::vector<InterfacePtr<IInterface>> dropped;
    std::lock_guard guard(FLock);
    dropped.swap(FList);
}

void TInterfaceList::Delete(int Index) {
    InterfacePtr<IInterface> old;
    std::lock_guard guard(FLock);
    CheckIndex(Index);
    old = std::move(FList[Index]);
    FList.erase(FList.begin() + Index);
}

void TInterfaceList::Exchange(int Index1, int Index2) {
    std::lock_guard guard(FLock);
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FList[Index1], FList[Index2]);
}

InterfacePtr<IInterface> TInterfaceList::First() {
    return Get(0);
}

InterfacePtr<IInterface> TInterfaceList::Last() {
    std::lock_guard guard(FLock);
    return Get(int(FList.size()) - 1);
}

int TInterfaceList::IndexOf(IInterface* Item) {
    std::lock_guard guard(FLock);
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i].Get() == Item) return int(i);
    return -1;
}

int TInterfaceList::Add(IInterface* Item) {
    InterfacePtr<IInterface> held(Item);
    std::lock_guard guard(FLock);
    FList.push_back(std::move(held));
    return int(FList.size()) - 1;
}

void TInterfaceList::Insert(int Index, IInterface* Item) {
    InterfacePtr<IInterface> held(Item);
    std::lock_guard guard(FLock);
    if (Index < 0 || Index > int(FList.size()))
        TList::Error("List index out of bounds (%lld)", Index);
    FList.insert(FList.begin() + Index, std::move(held));
}

int TInterfaceList::Remove(IInterface* Item) {
    InterfacePtr<IInterface> old;
    std::lock_guard guard(FLock);
    int index = IndexOf(Item);
    if (index >= 0) {
        old = std::move(FList[index]);
        FList.erase(FList.begin() + index);
    }
    return index;
}

void TInterfaceList::Lock() {
    FLock.lock();
}

void TInterfaceList::Unlock() {
    FLock.unlock();
}
