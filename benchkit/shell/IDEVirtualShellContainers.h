// Two small lists of the shell layer: an object list that never frees its
// objects, and the list of shell items with a change notification.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <runpak/Lists.h>

#include <functional>
#include <typeinfo>

// The framework has an owning list of the same name; this unit's list only
// stores the flag, so it lives in the unit's namespace.
namespace IDEVirtualShellContainers {

class TObjectList : public TList {
public:
    TObjectList() : FOwnsObjects(true) {}
    explicit TObjectList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}

    int Add(TObject* AObject) { return TList::Add(AObject); }
    TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
    TObject* First() const { return static_cast<TObject*>(TList::First()); }
    TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
    int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
    void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
    int Remove(TObject* AObject) { return TList::Remove(AObject); }
    TObject* GetItems(int Index) const { return static_cast<TObject*>(TList::GetItems(Index)); }
    void SetItems(int Index, TObject* AObject) { TList::SetItems(Index, AObject); }
    bool GetOwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    // The first index >= AStartAt whose object is of exactly AClass (AExact)
    // or of AClass or a descendant; -1 when none.
    template <class C> int FindInstanceOf(bool AExact = true, int AStartAt = 0) const {
        for (int i = AStartAt < 0 ? 0 : AStartAt; i < GetCount(); ++i) {
            TObject* item = GetItems(i);
            if (!item) continue;
            if (AExact ? typeid(*item) == typeid(C) : dynamic_cast<C*>(item) != nullptr) return i;
        }
        return -1;
    }

private:
    bool FOwnsObjects;
};

} // namespace IDEVirtualShellContainers

class TVirtualNameSpaceList;
using TVirtualNamespaceListNotifyEvent =
    std::function<void(TVirtualNameSpaceList* List, TNamespace* Item, TListNotification Action)>;

class TVirtualNameSpaceList : public IDEVirtualShellContainers::TObjectList {
public:
    using IDEVirtualShellContainers::TObjectList::TObjectList;

    int Add(TNamespace* ANamespace) { return TObjectList::Add(ANamespace); }
    TNamespace* Extract(TNamespace* Item) { return Cast(TObjectList::Extract(Item)); }
    TNamespace* First() const { return Cast(TObjectList::First()); }
    TNamespace* Last() const { return Cast(TObjectList::Last()); }
    int IndexOf(TNamespace* ANamespace) const { return TObjectList::IndexOf(ANamespace); }
    void Insert(int Index, TNamespace* ANamespace) { TObjectList::Insert(Index, ANamespace); }
    int Remove(TNamespace* ANamespace) { return TObjectList::Remove(ANamespace); }
    TNamespace* GetItems(int Index) const { return Cast(TObjectList::GetItems(Index)); }
    void SetItems(int Index, TNamespace* ANamespace) { TObjectList::SetItems(Index, ANamespace); }

    // Frees every item and leaves nil in its slot; the count stays.
    void FreeNamespaces();
    // The items in order; the array does not own them.
    void FillArray(TNamespaceArray& NamespaceArray) const;

    TVirtualNamespaceListNotifyEvent OnChanged;

protected:
    void Notify(void* Ptr, TListNotification Action) override;

private:
    static TNamespace* Cast(TObject* Item) { return static_cast<TNamespace*>(Item); }
};

#pragma GCC visibility pop
