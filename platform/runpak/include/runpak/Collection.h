// TCollection and TCollectionItem: an owned, ordered list of items of one
// item class, as streamed and edited in the designer (columns, panels, ...).
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>

#include <vector>

class TCollection;
class TCollectionItem;

// The item class of a collection: makes a new item inside the collection.
using TCollectionItemClass = TCollectionItem* (*)(TCollection* Collection);
template <class Item> TCollectionItem* NewCollectionItem(TCollection* Collection) {
    return new Item(Collection);
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
public:
    // Joins Collection (if any) at its end, with the collection's next ID.
    // The collection is told (Notify, Update) by Add, once the item is whole:
    // make items through the collection's Add or Insert.
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    // Leaves the collection while the item is still whole (FreeAndNil and the
    // collection's own deletes call it; a plain delete leaves in the destructor).
    void BeforeDestruction() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCollection* GetCollection() const { return FCollection; }
    // Moves the item to the end of Value (or out of any collection for null).
    virtual void SetCollection(TCollection* Value);
    // Position in the collection, -1 outside one. Setting moves the item
    // (EListError for a position out of range).
    int GetIndex() const;
    virtual void SetIndex(int Value);
    // Unique within the collection and never reused by it.
    int GetID() const { return FID; }
    // The class name unless a class says better.
    virtual UnicodeString GetDisplayName() const;
    virtual void SetDisplayName(const UnicodeString& Value);

    UnicodeString GetNamePath() const override;
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection that this item (or, with AllItems, every item)
    // changed; held back while the collection is being updated.
    virtual void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    // Deletes the items without telling Update.
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCollectionItem* Add();
    // A new item at Index (EListError when out of range 0..Count).
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;

    int GetCount() const { return int(FItems.size()); }
    // EListError "List index out of bounds (%d)" out of range.
    TCollectionItem* GetItems(int Index) const;
    // Assigns Value to the item at Index.
    void SetItems(int Index, TCollectionItem* Value);
    TCollectionItemClass GetItemClass() const { return FItemClass; }

    // Update(nil) runs once at the outermost EndUpdate.
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }

    // A collection source: clears this one and adds a copy of each item
    // (through the items' Assign), inside one update bracket.
    void Assign(TPersistent* Source) override;
    UnicodeString GetNamePath() const override;

    // Columns the designer's collection editor shows.
    virtual int GetAttrCount() const { return 0; }
    virtual UnicodeString GetAttr(int Index) const { return {}; }
    virtual UnicodeString GetItemAttr(int Index, int ItemIndex) const;

protected:
    // Told of each item joining (cnAdded), leaving (cnExtracting) and about
    // to be deleted by Delete (cnDeleting).
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
    // The collection changed: Item changed, or with null anything did.
    virtual void Update(TCollectionItem* Item) {}
    // Update(nil) unless an update is in progress.
    void Changed();
    // The name of the owner's published property that holds this collection.
    UnicodeString GetPropName() const;

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    TCollectionItemClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

// A collection that belongs to an object (a component's Columns, Panels, ...).
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
        : TCollection(ItemClass), FOwner(AOwner) {}

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};

#pragma GCC visibility pop
