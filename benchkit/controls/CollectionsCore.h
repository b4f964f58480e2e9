// The chained hash table under every typed table of the Collections unit:
// buckets, entries, growth, notifications and enumeration. Keys and values
// are untyped words here; the typed tables give them meaning.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Exceptions.h>
#include <runpak/Object.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <type_traits>

class TStream;

class THashEnumerator;

class TCustomHashTable : public TObject {
public:
    using TCompareProc = bool (*)(uintptr_t Ptr1, uintptr_t Ptr2);

    struct TBaseHashEntry {
        TBaseHashEntry* Next;
        uint32_t Hash;
        uintptr_t Key;
        uintptr_t Value;
    };
    using PBaseHashEntry = TBaseHashEntry*;
    using PHashEntryList = PBaseHashEntry*;

    enum THashTableNotification { htAdded, htRemoved, htValueChanging, htValueChanged };

    // A block of the entry pool (defined with the pool).
    struct TEntryBlock;

    // Raises EArgumentOutOfRangeException unless 0.1 <= LoadFactor <= 7.
    TCustomHashTable(uint32_t InitialCapacity, double LoadFactor);
    ~TCustomHashTable() override;
    TCustomHashTable(const TCustomHashTable&) = delete;
    TCustomHashTable& operator=(const TCustomHashTable&) = delete;

    virtual void Assign(TCustomHashTable* Source);
    virtual void Clear();
    // Over a file stream: read with writing denied to others, or created.
    virtual void LoadFromFile(const UnicodeString& FileName);
    virtual void SaveToFile(const UnicodeString& FileName);
    // Only the string-to-string tables store anything in a stream.
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream);

    int64_t GetCount() const { return FCount; }
    bool GetEmpty() const { return FCount == 0; }
    bool GetIsFixedSize() const { return FIsFixedSize; }
    void SetIsFixedSize(bool Value);

    // The bucket count and the count at which the next insertion grows the table.
    uint32_t GetTableLength() const { return FTableLength; }
    uint32_t GetGrowThreshold() const { return FGrowThreshold; }
    // Whether an enumerator of this table is alive (changes are refused then).
    bool GetIteratorActive() const { return FIterators != nullptr; }

protected:
    virtual uint32_t AdjustTableSize(uint32_t Size);
    virtual void AssignTo(TCustomHashTable* Dest);
    // htAdded after an entry is linked, htRemoved before it is freed,
    // htValueChanging and htValueChanged around a replaced value.
    virtual void Notify(PBaseHashEntry Entry, THashTableNotification Kind);

    // Whether Notify does nothing for this object and its key hash is the
    // plain one of its kind, so that the change paths may skip the virtual
    // calls. A class answers true only for objects of exactly its own class:
    // a descendant may override either. Asked once, on first use, when the
    // object's class is complete (during construction or destruction the
    // answer is the base class's false).
    virtual bool IsPlain() const { return false; }
    bool Plain() const {
        if (FPlain < 0) FPlain = IsPlain() ? 1 : 0;
        return FPlain != 0;
    }

    void Add(uintptr_t Key, uintptr_t Value, uint32_t Hash);
    void Remove(uintptr_t Key, uint32_t Hash);
    bool Contains(uintptr_t Key, uint32_t Hash, uintptr_t& Value) const {
        const PBaseHashEntry e = Find(Key, Hash);
        Value = e ? e->Value : 0;
        return e != nullptr;
    }
    bool ContainsKey(uintptr_t Key, uint32_t Hash) const { return Find(Key, Hash) != nullptr; }
    uintptr_t GetItem(uintptr_t Key, uint32_t Hash) const {
        const PBaseHashEntry e = Find(Key, Hash);
        return e ? e->Value : 0;
    }
    bool ContainsValue(uintptr_t Value) const;

    // Lookups run in the caller: keys compared as words walk the bucket
    // without leaving it.
    PBaseHashEntry Find(uintptr_t Key, uint32_t Hash) const {
        if (!FTable) return nullptr;
        PBaseHashEntry e = FTable[BucketOf(Hash)];
        if (FKeysByIdentity) {
            while (e && e->Key != Key)
                e = e->Next;
            return e;
        }
        return FindCompared(e, Key, Hash);
    }

    // For destructors of tables that release what entries hold: empties the
    // table while their own Notify is still the one that runs.
    void DestroyEntries();
    // Raises the assign error for Source into Dest ("nil" for no source).
    [[noreturn]] static void AssignError(const TObject* Source, const TObject* Dest);

    TCompareProc FCompareProc = nullptr;
    TCompareProc FCompareValuesProc = nullptr;
    // Keys are equal exactly when their words are (integers, pointers,
    // interfaces): lookups then compare words without calling FCompareProc.
    bool FKeysByIdentity = false;

private:
    friend class THashEnumerator;

    PBaseHashEntry FindCompared(PBaseHashEntry First, uintptr_t Key, uint32_t Hash) const;
    void CheckNotIterating() const;
    // Entries come from blocks owned by the table and go back to a free
    // list, so that an insertion rarely reaches the heap; an entry keeps its
    // address for its whole life, as notifications and enumerators expect.
    PBaseHashEntry NewEntry() {
        if (PBaseHashEntry e = FFreeEntries) {
            FFreeEntries = e->Next;
            return e;
        }
        if (FUnused == FUnusedEnd) GrowPool();
        return FUnused++;
    }
    void FreeEntry(PBaseHashEntry Entry) {
        Entry->Next = FFreeEntries;
        FFreeEntries = Entry;
    }
    void GrowPool();
    void FreePool();
    void AdjustTable();
    void ClearEntries();
    uint32_t ThresholdFor(uint32_t Length) const;
    void SetTableLength(uint32_t Length);
    uint32_t BucketOf(uint32_t Hash) const {
        return FTableMask ? Hash & FTableMask : Hash % FTableLength;
    }

    int64_t FCount = 0;
    uint32_t FInitialCapacity;
    bool FIsFixedSize = false;
    // The live enumerators, linked through themselves: while any is alive
    // the table refuses changes, and a dying table detaches them.
    mutable THashEnumerator* FIterators = nullptr;
    double FLoadFactor;
    uint32_t FGrowThreshold;
    PHashEntryList FTable = nullptr;
    uint32_t FTableLength;
    uint32_t FTableMask = 0; // FTableLength - 1 when that is a power of two, else 0
    mutable int8_t FPlain = -1; // IsPlain's answer once asked
    PBaseHashEntry FFreeEntries = nullptr;
    TEntryBlock* FBlocks = nullptr;
    PBaseHashEntry FUnused = nullptr; // the newest block's entries never handed out
    PBaseHashEntry FUnusedEnd = nullptr;
    uint32_t FPooled = 0; // entries in all blocks
};

// Walks a table's entries in bucket order, newest first within a bucket.
class THashEnumerator : public TObject {
public:
    explicit THashEnumerator(const TCustomHashTable* AHashTable);
    THashEnumerator(THashEnumerator&& Other) noexcept;
    THashEnumerator(const THashEnumerator&) = delete;
    THashEnumerator& operator=(const THashEnumerator&) = delete;
    THashEnumerator& operator=(THashEnumerator&&) = delete;
    ~THashEnumerator() override;

    bool MoveNext();

protected:
    const TCustomHashTable* FHashTable;
    uint32_t FIndex = 0;
    TCustomHashTable::PBaseHashEntry FEntry = nullptr;

private:
    friend class TCustomHashTable;
    void Attach(const TCustomHashTable* Table);
    void Detach();

    THashEnumerator* FPrevLive = nullptr;
    THashEnumerator* FNextLive = nullptr;
};

// Yields the key word (AOffset 0) or the value word (AOffset 1) of each entry.
class THashEntryEnumerator : public THashEnumerator {
public:
    enum { eoKey = 0, eoValue = 1 };
    THashEntryEnumerator(const TCustomHashTable* AHashTable, int AOffset)
        : THashEnumerator(AHashTable), FOffset(AOffset) {}

protected:
    uintptr_t CurrentWord() const { return FOffset == eoKey ? FEntry->Key : FEntry->Value; }
    int FOffset;
};

// Range-for over an enumerator: `for (auto x : enumerator)`.
template <class E> class THashEnumIterator {
public:
    explicit THashEnumIterator(E* Enum) : FEnum(Enum), FDone(!Enum->MoveNext()) {}
    auto operator*() const { return FEnum->GetCurrent(); }
    THashEnumIterator& operator++() {
        FDone = !FEnum->MoveNext();
        return *this;
    }
    bool operator!=(std::default_sentinel_t) const { return !FDone; }

private:
    E* FEnum;
    bool FDone;
};

// Range-for over a table: the iterator owns the enumerator, so the table
// stays guarded for exactly the length of the loop.
template <class E> class THashOwningIterator {
public:
    explicit THashOwningIterator(std::unique_ptr<E> Enum)
        : FEnum(std::move(Enum)), FDone(!FEnum->MoveNext()) {}
    auto operator*() const { return FEnum->GetCurrent(); }
    THashOwningIterator& operator++() {
        FDone = !FEnum->MoveNext();
        return *this;
    }
    bool operator!=(std::default_sentinel_t) const { return !FDone; }

private:
    std::unique_ptr<E> FEnum;
    bool FDone;
};

template <class E>
requires std::is_base_of_v<THashEnumerator, E> THashEnumIterator<E> begin(E& Enum) {
    return THashEnumIterator<E>(&Enum);
}
template <class E>
requires std::is_base_of_v<THashEnumerator, E> std::default_sentinel_t end(E&) {
    return {};
}

// The value words as pointers, as the base class hands them out.
class TPtrEnumerator : public THashEntryEnumerator {
public:
    using THashEntryEnumerator::THashEntryEnumerator;
    void* GetCurrent() const { return reinterpret_cast<void*>(CurrentWord()); }
};

#pragma GCC visibility pop
