// The Collections unit: hash tables keyed by strings, wide strings, objects,
// integers or pointers, for the host's packages. Nothing in the library uses
// them. Every table is used from one thread.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/controls/CollectionsCore.h"
#include "benchkit/controls/CollectionsHash.h"
#include "benchkit/controls/CollectionsTyped.h"

enum TObjectOwnershipKind { okNone, okValues };

// Default bucket count and load factor of the typed tables: no buckets until
// the first insertion, one entry per bucket on average.
inline constexpr uint32_t DefaultHashCapacity = 0;
inline constexpr double DefaultLoadFactor = 1.0;

// ---- Key classes ------------------------------------------------------------

class TCustomStringHashTable
    : public benchkit::collections::TKeyedHashTable<benchkit::collections::TStringKind,
                                                    TStrEnumerator> {
public:
    TCustomStringHashTable(bool CaseSensitive, uint32_t InitialCapacity = DefaultHashCapacity,
                           double LoadFactor = DefaultLoadFactor);

protected:
    uint32_t HashOf(const UnicodeString& Key) const override {
        return ScrambleHash(FHashProc(Key));
    }
    bool FCaseSensitive;
    THashProc FHashProc;
};

class TCustomWideStringHashTable
    : public benchkit::collections::TKeyedHashTable<benchkit::collections::TStringKind,
                                                    TWideStrEnumerator> {
public:
    TCustomWideStringHashTable(bool CaseSensitive, uint32_t InitialCapacity = DefaultHashCapacity,
                               double LoadFactor = DefaultLoadFactor);

protected:
    uint32_t HashOf(const UnicodeString& Key) const override {
        return ScrambleHash(FHashProc(Key));
    }
    bool FCaseSensitive;
    THashProc FHashProc;
};

// Object keys must not be null: they are hashed and compared by the objects.
class TCustomObjectHashTable
    : public benchkit::collections::TKeyedHashTable<benchkit::collections::TObjectKind,
                                                    TObjEnumerator> {
public:
    TCustomObjectHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                           double LoadFactor = DefaultLoadFactor);

protected:
    uint32_t HashOf(TObject* const& Key) const override;
};

class TCustomIntegerHashTable
    : public benchkit::collections::TKeyedHashTable<benchkit::collections::TIntegerKind,
                                                    TIntEnumerator> {
public:
    TCustomIntegerHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                            double LoadFactor = DefaultLoadFactor);

protected:
    uint32_t HashOf(const int32_t& Key) const final { return static_cast<uint32_t>(Key); }
};

class TCustomPointerHashTable
    : public benchkit::collections::TKeyedHashTable<benchkit::collections::TPointerKind,
                                                    TPtrEnumerator> {
public:
    TCustomPointerHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                            double LoadFactor = DefaultLoadFactor);

protected:
    uint32_t HashOf(void* const& Key) const final {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Key));
    }
};

// Interface keys: one reference held per key, identity by pointer (pass the
// object's IUnknown, so that one object is one key).
class TCustomInterfaceHashTable
    : public benchkit::collections::TKeyedHashTable<benchkit::collections::TInterfaceKind,
                                                    TIntfEnumerator> {
public:
    TCustomInterfaceHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                              double LoadFactor = DefaultLoadFactor);

protected:
    uint32_t HashOf(const InterfacePtr<IInterface>& Key) const override { return Hash(Key.Get()); }
    static uint32_t Hash(const IInterface* Key) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Key) >> 2);
    }
};

// ---- Object values with ownership ------------------------------------------

namespace benchkit::collections {

// Object values that the table may own (okValues): it then frees a value
// when its entry is removed or the value replaced.
template <class B> class TObjectValuesTable : public THashTableOf<B, TObjectKind, TObjEnumerator> {
public:
    ~TObjectValuesTable() override { this->DestroyEntries(); }

    TObjectOwnershipKind GetOwnershipKind() const { return FOwnershipKind; }

    // Removes the key's entry without freeing its value, and returns the
    // value (null when the key is absent).
    TObject* Extract(const typename B::TKey& Key) {
        TObject* value = this->GetItem(Key);
        this->Plain(); // settled while the table's own ownership holds
        {
            auto keep = runpak::SaveAndRestore(FOwnershipKind, okNone);
            this->Remove(Key);
        }
        return value;
    }

protected:
    template <class... A>
    TObjectValuesTable(TObjectOwnershipKind OwnershipKind, A... Args)
        : THashTableOf<B, TObjectKind, TObjEnumerator>(Args...), FOwnershipKind(OwnershipKind) {
        this->FCompareValuesProc = CompareObjectWords;
    }

    void ReleaseValue(TCustomHashTable::PBaseHashEntry Entry) override {
        if (FOwnershipKind != okValues) return;
        if (FValueMayBeKey && Entry->Value == Entry->Key) return;
        delete reinterpret_cast<TObject*>(Entry->Value);
    }

    // Raises unless Dest is free of ownership, then copies the pairs.
    void CopyToUnowned(TObjectValuesTable* Dest) const;

    static bool CompareObjectWords(uintptr_t A, uintptr_t B2) {
        return ObjectEquals(reinterpret_cast<TObject*>(A), reinterpret_cast<TObject*>(B2));
    }

    TObjectOwnershipKind FOwnershipKind;
    bool FValueMayBeKey = false;
};

[[noreturn]] void RaiseOwnedAssign();

template <class B> void TObjectValuesTable<B>::CopyToUnowned(TObjectValuesTable* Dest) const {
    if (Dest->FOwnershipKind == okValues) RaiseOwnedAssign();
    this->CopyPairsTo(Dest);
}

} // namespace benchkit::collections

// ---- Leaf classes -------------------------------------------------------------

class TStringHashTable
    : public benchkit::collections::THashTableOf<
          TCustomStringHashTable, benchkit::collections::TStringKind, TStrEnumerator> {
public:
    TStringHashTable(bool CaseSensitive, uint32_t InitialCapacity = DefaultHashCapacity,
                     double LoadFactor = DefaultLoadFactor);
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

protected:
    void AssignTo(TCustomHashTable* Dest) override;
    bool SkipsValue(const UnicodeString& Value) const override { return Value.empty(); }
};

class TWideStringHashTable
    : public benchkit::collections::THashTableOf<
          TCustomWideStringHashTable, benchkit::collections::TStringKind, TWideStrEnumerator> {
public:
    TWideStringHashTable(bool CaseSensitive, uint32_t InitialCapacity = DefaultHashCapacity,
                         double LoadFactor = DefaultLoadFactor);
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

protected:
    void AssignTo(TCustomHashTable* Dest) override;
    bool SkipsValue(const UnicodeString& Value) const override { return Value.empty(); }
};

class TStringObjHashTable
    : public benchkit::collections::TObjectValuesTable<TCustomStringHashTable> {
public:
    TStringObjHashTable(bool CaseSensitive, TObjectOwnershipKind OwnershipKind,
                        uint32_t InitialCapacity = DefaultHashCapacity,
                        double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

// Assigning from this table always raises the assign error.
class TWideStringObjHashTable
    : public benchkit::collections::TObjectValuesTable<TCustomWideStringHashTable> {
public:
    TWideStringObjHashTable(bool CaseSensitive, TObjectOwnershipKind OwnershipKind,
                            uint32_t InitialCapacity = DefaultHashCapacity,
                            double LoadFactor = DefaultLoadFactor);
};

// Never frees a value that is its own key.
class TObjectHashTable : public benchkit::collections::TObjectValuesTable<TCustomObjectHashTable> {
public:
    TObjectHashTable(TObjectOwnershipKind OwnershipKind,
                     uint32_t InitialCapacity = DefaultHashCapacity,
                     double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

class TIntegerObjHashTable
    : public benchkit::collections::TObjectValuesTable<TCustomIntegerHashTable> {
public:
    TIntegerObjHashTable(TObjectOwnershipKind OwnershipKind,
                         uint32_t InitialCapacity = DefaultHashCapacity,
                         double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
    // Without ownership its entries hold plain words.
    bool IsPlain() const override;
};

class TPointerHashTable
    : public benchkit::collections::THashTableOf<
          TCustomPointerHashTable, benchkit::collections::TPointerKind, TPtrEnumerator> {
public:
    TPointerHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                      double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
    bool IsPlain() const override;
};

// ---- Interface values, and string values by interface ------------------------

// May hold a null interface as a value.
class TStringIHashTable
    : public benchkit::collections::THashTableOf<
          TCustomStringHashTable, benchkit::collections::TInterfaceKind, TIntfEnumerator> {
public:
    TStringIHashTable(bool CaseSensitive, uint32_t InitialCapacity = DefaultHashCapacity,
                      double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

class TWideStringIHashTable
    : public benchkit::collections::THashTableOf<
          TCustomWideStringHashTable, benchkit::collections::TInterfaceKind, TIntfEnumerator> {
public:
    TWideStringIHashTable(bool CaseSensitive, uint32_t InitialCapacity = DefaultHashCapacity,
                          double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

class TObjectIHashTable
    : public benchkit::collections::THashTableOf<
          TCustomObjectHashTable, benchkit::collections::TInterfaceKind, TIntfEnumerator> {
public:
    TObjectIHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                      double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

class TIntegerIHashTable
    : public benchkit::collections::THashTableOf<
          TCustomIntegerHashTable, benchkit::collections::TInterfaceKind, TIntfEnumerator> {
public:
    TIntegerIHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                       double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

// String values compared without regard to case.
class TInterfaceStrHashTable
    : public benchkit::collections::THashTableOf<
          TCustomInterfaceHashTable, benchkit::collections::TStringKind, TStrEnumerator> {
public:
    TInterfaceStrHashTable(uint32_t InitialCapacity = DefaultHashCapacity,
                           double LoadFactor = DefaultLoadFactor);

protected:
    void AssignTo(TCustomHashTable* Dest) override;
};

#pragma GCC visibility pop
