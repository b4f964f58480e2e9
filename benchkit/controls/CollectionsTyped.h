// The machinery shared by the typed hash tables: what a key or value word
// holds for each kind, the key and value enumerators, and two templates that
// give a table its typed operations. The named tables (Collections.h) are
// thin classes over these.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/controls/CollectionsCore.h"
#include "benchkit/controls/CollectionsHash.h"

#include <runpak/Interfaces.h>
#include <runpak/ScopeGuard.h>

#include <string_view>

namespace benchkit::collections {

// A stored string is one block: a view of the characters that follow it.
// A word of a string kind points to a view, stored or on the caller's stack.
uintptr_t NewStringWord(std::u16string_view Text);
void FreeStringWord(uintptr_t Word);
inline std::u16string_view StringOfWord(uintptr_t Word) {
    return *reinterpret_cast<const std::u16string_view*>(Word);
}

// Hash and equality of object keys and values.
uint32_t ObjectHashCode(const TObject* Object);
bool ObjectEquals(const TObject* Object, const TObject* Other);

// What a word holds for each kind: how a key or value becomes a word for a
// call (TRef), what the table takes and releases, and how a word reads back.
struct TStringKind {
    using T = UnicodeString;
    struct TRef {
        std::u16string_view View;
        explicit TRef(const T& Value) : View(Value) {}
        uintptr_t Word() const { return reinterpret_cast<uintptr_t>(&View); }
    };
    static bool Absent(const T& Value) { return Value.empty(); }
    static uintptr_t Take(uintptr_t Word) { return NewStringWord(StringOfWord(Word)); }
    static void Release(uintptr_t Word) { FreeStringWord(Word); }
    static T FromWord(uintptr_t Word) { return Word ? T(StringOfWord(Word)) : T(); }
};

template <class V> struct TPlainKind {
    using T = V;
    struct TRef {
        uintptr_t W;
        explicit TRef(T Value) : W(ToWord(Value)) {}
        uintptr_t Word() const { return W; }
    };
    static uintptr_t ToWord(T Value) {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<uintptr_t>(Value);
        else
            return static_cast<uintptr_t>(static_cast<uint32_t>(Value));
    }
    static bool Absent(T) { return false; }
    static uintptr_t Take(uintptr_t Word) { return Word; }
    static void Release(uintptr_t) {}
    static T FromWord(uintptr_t Word) {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<T>(Word);
        else
            return static_cast<T>(static_cast<uint32_t>(Word));
    }
};
// Interfaces: the table holds one counted reference per word (none for null).
struct TInterfaceKind {
    using T = InterfacePtr<IInterface>;
    struct TRef {
        uintptr_t W;
        explicit TRef(const T& Value) : W(reinterpret_cast<uintptr_t>(Value.Get())) {}
        uintptr_t Word() const { return W; }
    };
    static bool Absent(const T&) { return false; }
    static uintptr_t Take(uintptr_t Word) {
        if (Word) reinterpret_cast<IInterface*>(Word)->AddRef();
        return Word;
    }
    static void Release(uintptr_t Word) {
        if (Word) reinterpret_cast<IInterface*>(Word)->Release();
    }
    static T FromWord(uintptr_t Word) { return T(reinterpret_cast<IInterface*>(Word)); }
};

using TIntegerKind = TPlainKind<int32_t>;
using TPointerKind = TPlainKind<void*>;
using TObjectKind = TPlainKind<TObject*>;

} // namespace benchkit::collections

// Key or value enumerators, by kind.
class TStrEnumerator : public THashEntryEnumerator {
public:
    using THashEntryEnumerator::THashEntryEnumerator;
    UnicodeString GetCurrent() const {
        return benchkit::collections::TStringKind::FromWord(CurrentWord());
    }
};
class TWideStrEnumerator : public TStrEnumerator {
public:
    using TStrEnumerator::TStrEnumerator;
};
class TObjEnumerator : public THashEntryEnumerator {
public:
    using THashEntryEnumerator::THashEntryEnumerator;
    TObject* GetCurrent() const { return reinterpret_cast<TObject*>(CurrentWord()); }
};
class TIntfEnumerator : public THashEntryEnumerator {
public:
    using THashEntryEnumerator::THashEntryEnumerator;
    // A counted copy.
    InterfacePtr<IInterface> GetCurrent() const {
        return benchkit::collections::TInterfaceKind::FromWord(CurrentWord());
    }
};
class TIntEnumerator : public THashEntryEnumerator {
public:
    using THashEntryEnumerator::THashEntryEnumerator;
    int32_t GetCurrent() const {
        return static_cast<int32_t>(static_cast<uint32_t>(CurrentWord()));
    }
};

namespace benchkit::collections {

// The key half of a table: key kind K, enumerated by KE.
template <class K, class KE> class TKeyedHashTable : public TCustomHashTable {
public:
    using TKey = typename K::T;
    using TKeyKind = K;

    ~TKeyedHashTable() override { DestroyEntries(); }

    bool Contains(const TKey& Key) const { return ContainsKey(Key); }
    bool ContainsKey(const TKey& Key) const {
        if (K::Absent(Key)) return false;
        const typename K::TRef ref(Key);
        return TCustomHashTable::ContainsKey(ref.Word(), HashOf(Key));
    }
    void Remove(const TKey& Key) {
        if (K::Absent(Key)) return;
        const typename K::TRef ref(Key);
        TCustomHashTable::Remove(ref.Word(), HashOf(Key));
    }
    KE GetKeys() const { return KE(this, THashEntryEnumerator::eoKey); }

protected:
    TKeyedHashTable(uint32_t InitialCapacity, double LoadFactor)
        : TCustomHashTable(InitialCapacity, LoadFactor) {}

    virtual uint32_t HashOf(const TKey& Key) const = 0;

    void Notify(PBaseHashEntry Entry, THashTableNotification Kind) override {
        if (Kind == htAdded)
            Entry->Key = K::Take(Entry->Key);
        else if (Kind == htRemoved)
            K::Release(Entry->Key);
    }
};

// The value half: a table over the keyed base B with values of kind V,
// enumerated by VE.
template <class B, class V, class VE> class THashTableOf : public B {
public:
    using typename B::TKey;
    using TValue = typename V::T;
    using K = typename B::TKeyKind;
    using PBaseHashEntry = TCustomHashTable::PBaseHashEntry;
    using THashTableNotification = TCustomHashTable::THashTableNotification;

    ~THashTableOf() override { this->DestroyEntries(); }

    struct TPair {
        TKey Key;
        TValue Value;
    };
    class TPairEnumerator : public THashEnumerator {
    public:
        using THashEnumerator::THashEnumerator;
        TPair GetCurrent() const { return {K::FromWord(FEntry->Key), V::FromWord(FEntry->Value)}; }
    };

    // These repeat the key half's operations so that the hash is called
    // through the leaf's key class, where a final one is a direct call.
    bool ContainsKey(const TKey& Key) const {
        if (K::Absent(Key)) return false;
        const typename K::TRef ref(Key);
        return TCustomHashTable::ContainsKey(ref.Word(), this->HashOf(Key));
    }
    void Remove(const TKey& Key) {
        if (K::Absent(Key)) return;
        const typename K::TRef ref(Key);
        TCustomHashTable::Remove(ref.Word(), this->HashOf(Key));
    }

    // Inserts, or replaces the value of an existing key.
    void Add(const TKey& Key, const TValue& Value) {
        // A plain table's value filter is the default one, which skips nothing.
        if (K::Absent(Key) || (!this->Plain() && SkipsValue(Value))) return;
        const typename K::TRef key(Key);
        const typename V::TRef value(Value);
        TCustomHashTable::Add(key.Word(), value.Word(), this->HashOf(Key));
    }
    // The value, or an empty one when the key is absent.
    TValue GetItem(const TKey& Key) const {
        TValue value{};
        Contains(Key, value);
        return value;
    }
    void SetItem(const TKey& Key, const TValue& Value) { Add(Key, Value); }
    TValue operator[](const TKey& Key) const { return GetItem(Key); }

    bool Contains(const TKey& Key) const { return ContainsKey(Key); }
    bool Contains(const TKey& Key, TValue& Value) const {
        uintptr_t word = 0;
        bool found = false;
        if (!K::Absent(Key)) {
            const typename K::TRef key(Key);
            found = TCustomHashTable::Contains(key.Word(), this->HashOf(Key), word);
        }
        Value = found ? V::FromWord(word) : TValue{};
        return found;
    }
    bool ContainsValue(const TValue& Value) const {
        if (SkipsValue(Value)) return false;
        const typename V::TRef value(Value);
        return TCustomHashTable::ContainsValue(value.Word());
    }

    TPairEnumerator GetEnumerator() const { return TPairEnumerator(this); }
    THashOwningIterator<TPairEnumerator> begin() const {
        return THashOwningIterator<TPairEnumerator>(std::make_unique<TPairEnumerator>(this));
    }
    std::default_sentinel_t end() const { return {}; }
    VE GetValues() const { return VE(this, THashEntryEnumerator::eoValue); }

protected:
    using B::B;

    // Whether Add ignores this value (the string-to-string tables skip empty ones).
    virtual bool SkipsValue(const TValue&) const { return false; }
    // Releases what the entry's value word holds.
    virtual void ReleaseValue(PBaseHashEntry Entry) { V::Release(Entry->Value); }

    void Notify(PBaseHashEntry Entry, THashTableNotification Kind) override {
        switch (Kind) {
        case TCustomHashTable::htAdded: {
            const uintptr_t value = V::Take(Entry->Value);
            auto release = runpak::ScopeExit([value] { V::Release(value); });
            B::Notify(Entry, Kind);
            release.Release();
            Entry->Value = value;
            break;
        }
        case TCustomHashTable::htValueChanged: {
            auto clear =
                runpak::ScopeExit([Entry] { Entry->Value = 0; }); // never keep the caller's word
            Entry->Value = V::Take(Entry->Value);
            clear.Release();
            break;
        }
        case TCustomHashTable::htRemoved:
            ReleaseValue(Entry);
            B::Notify(Entry, Kind);
            break;
        case TCustomHashTable::htValueChanging:
            ReleaseValue(Entry);
            break;
        }
    }

    // AssignTo for a leaf class Self: Dest must be a Self (or descend from it).
    template <class Self> void AssignAs(TCustomHashTable* Dest) const {
        auto* dest = dynamic_cast<Self*>(Dest);
        if (!dest) TCustomHashTable::AssignError(this, Dest);
        CopyPairsTo(dest);
    }

    // Clears Dest and adds every pair of this table to it, hashed Dest's way.
    void CopyPairsTo(THashTableOf* Dest) const {
        if (Dest == this) return;
        Dest->Clear();
        for (TPairEnumerator pairs(this); pairs.MoveNext();) {
            const TPair pair = pairs.GetCurrent();
            Dest->Add(pair.Key, pair.Value);
        }
    }
};

} // namespace benchkit::collections

#pragma GCC visibility pop
