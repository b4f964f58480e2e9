// A hash table from IHashObject keys to interface values: separate chaining,
// growth to twice the buckets plus one when the entry count reaches the
// load-factor threshold. Keys are equal only when they are the same object
// (their hash codes must also agree); keys and values are counted references.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEJgl.h"
#include "benchkit/mvc/IDEUtil.h"

#include <runpak/Lists.h>

class THashtableEntry;

struct ICloneable : virtual IInterface {
    static constexpr InterfaceID<ICloneable> IID_{"{10778B84-086A-11D1-AE97-0020AF32BB01}"};

protected:
    ~ICloneable() = default;
};

struct IHashtableEntry : virtual IInterface {
    static constexpr InterfaceID<IHashtableEntry> IID_{"{73F07FB1-0D25-11D1-AE9C-0020AF32BB01}"};
    virtual THashtableEntry* Ptr() = 0;

protected:
    ~IHashtableEntry() = default;
};

class TDictionary : public TInterfacedObject {
public:
    virtual int Size() = 0;
    virtual bool IsEmpty() = 0;
    virtual InterfacePtr<IEnumeration> Keys() = 0;
    virtual InterfacePtr<IEnumeration> Elements() = 0;
    virtual InterfacePtr<IInterface> Get(IHashObject* Key) = 0;
    virtual InterfacePtr<IInterface> Put(IHashObject* Key, IInterface* Value) = 0;
    virtual InterfacePtr<IInterface> Remove(IHashObject* Key) = 0;
};

class THashtable : public TDictionary {
public:
    // Both must be above 0 (EIllegalArgumentException).
    THashtable(int InitialCapacity, int LoadFactor);
    explicit THashtable(int InitialCapacity) : THashtable(InitialCapacity, 75) {}
    THashtable() : THashtable(101, 75) {}
    ~THashtable() override;

    int Size() override { return FCount; }
    bool IsEmpty() override { return FCount == 0; }
    // Enumerators go from the last bucket to the first, each chain newest
    // first. What one sees after the table changes is not settled.
    InterfacePtr<IEnumeration> Keys() override;
    InterfacePtr<IEnumeration> Elements() override;
    // The value stored under Key, or nil.
    InterfacePtr<IInterface> Get(IHashObject* Key) override;
    // Stores Value (ENullPointerException for nil) and answers the value it
    // replaced, nil for a new key.
    InterfacePtr<IInterface> Put(IHashObject* Key, IInterface* Value) override;
    // Answers the value removed, nil when the key was absent.
    InterfacePtr<IInterface> Remove(IHashObject* Key) override;
    // Whether some entry holds this very value (ENullPointerException for nil).
    virtual bool Contains(IInterface* Value);
    virtual bool ContainsKey(IHashObject* Key);
    virtual void Rehash();
    virtual void Clear();
    // Not supported: raises.
    virtual InterfacePtr<IInterface> Clone();

    int GetBucketCount() const { return FTable.GetCount(); }
    int GetThreshold() const { return FThreshold; }

private:
    friend class THashtableEnumerator;
    int BucketOf(int32_t Hash) const;
    THashtableEntry* Bucket(int Index) const;
    // The entry of Key and the one before it in its chain (nil for the head).
    THashtableEntry* Lookup(IHashObject* Key, int32_t Hash, THashtableEntry** Before) const;

    TList FTable; // bucket heads, each holding one reference
    int FCount = 0;
    int FThreshold = 0;
    int FLoadFactor;
};

class THashtableEntry : public TInterfacedObject, public IHashtableEntry {
public:
    THashtableEntry(int32_t Hash, IHashObject* Key, IInterface* Value)
        : FHash(Hash), FKey(Key), FValue(Value) {}
    ~THashtableEntry() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    THashtableEntry* Ptr() override { return this; }
    // Not supported: raises.
    virtual InterfacePtr<IInterface> Clone();

private:
    friend class THashtable;
    friend class THashtableEnumerator;
    int32_t FHash;
    InterfacePtr<IHashObject> FKey;
    InterfacePtr<IInterface> FValue;
    THashtableEntry* FNext = nullptr; // the rest of the chain, one reference held
};

class THashtableEnumerator : public TInterfacedObject, public IEnumeration {
public:
    THashtableEnumerator(THashtable* Table, bool Keys);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool HasMoreElements() override;
    // ENoSuchElementException "HashtableEnumerator" past the end.
    InterfacePtr<IInterface> NextElement() override;

private:
    bool FKeys;
    int FIndex;
    TList* FTable;
    InterfacePtr<IHashtableEntry> FEntry;
    InterfacePtr<IInterface> FOwner; // keeps the table, and so FTable, alive
};

#pragma GCC visibility pop
