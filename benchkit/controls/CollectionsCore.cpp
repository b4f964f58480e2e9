#include "benchkit/controls/CollectionsCore.h"

#include <runpak/ScopeGuard.h>
#include <runpak/Streams.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

const char16_t SArgumentOutOfRange[] = u"Argument out of range";
const char16_t SIteratorActive[] = u"Can not modify a collection while iterating";
const char16_t SFixedSizeZero[] = u"Hash table is fixed with size 0";

TCustomHashTable::PHashEntryList NewBuckets(uint32_t length) {
    if (length == 0) return nullptr;
    void* block = std::calloc(length, sizeof(TCustomHashTable::PBaseHashEntry));
    if (!block) throw EOutOfMemory(u"Out of memory");
    return static_cast<TCustomHashTable::PHashEntryList>(block);
}

} // namespace

TCustomHashTable::TCustomHashTable(uint32_t InitialCapacity, double LoadFactor) {
    if (!(LoadFactor >= 0.1 && LoadFactor <= 7))
        throw EArgumentOutOfRangeException(SArgumentOutOfRange);
    FLoadFactor = LoadFactor;
    FInitialCapacity = InitialCapacity;
    SetTableLength(InitialCapacity);
    FGrowThreshold = ThresholdFor(InitialCapacity);
    FTable = NewBuckets(InitialCapacity);
}

TCustomHashTable::~TCustomHashTable() {
    DestroyEntries();
    FreePool();
}

// Blocks double with the table, up to a size that keeps the waste of a
// half-used last block small.
// A block is this header followed by its entries.
struct TCustomHashTable::TEntryBlock {
    TEntryBlock* Next;
    uint32_t Length;
    TBaseHashEntry* Entries() { return reinterpret_cast<TBaseHashEntry*>(this + 1); }
};

namespace {

// Blocks grow with the table up to this many entries; blocks of that size
// are kept for reuse when a table lets them go.
constexpr uint32_t kLargeBlock = 1024;

// Large blocks that tables of this thread gave back, for its next table.
// Handing them straight back to the heap lets it return the pages to the
// system, and a table built after that pays a page fault per page again.
struct TBlockCache {
    TCustomHashTable::TEntryBlock* First = nullptr;
    int Count = 0;
    static constexpr int MaxCount = 64; // 2 MB
    ~TBlockCache();
};
thread_local TBlockCache gBlockCache;

} // namespace

TBlockCache::~TBlockCache() {
    while (TCustomHashTable::TEntryBlock* block = First) {
        First = block->Next;
        std::free(block);
    }
}

void TCustomHashTable::GrowPool() {
    static_assert(sizeof(TEntryBlock) % alignof(TBaseHashEntry) == 0);
    const uint32_t length = std::clamp<uint32_t>(FPooled, 16, kLargeBlock);
    TEntryBlock* block = nullptr;
    if (length == kLargeBlock && gBlockCache.First) {
        block = gBlockCache.First;
        gBlockCache.First = block->Next;
        --gBlockCache.Count;
    } else {
        const size_t bytes =
            sizeof(TEntryBlock) + static_cast<size_t>(length) * sizeof(TBaseHashEntry);
        block = static_cast<TEntryBlock*>(std::malloc(bytes));
        if (!block) throw EOutOfMemory(u"Out of memory");
        block->Length = length;
    }
    block->Next = FBlocks;
    FBlocks = block;
    FPooled += length;
    FUnused = block->Entries();
    FUnusedEnd = FUnused + length;
}

void TCustomHashTable::FreePool() {
    while (TEntryBlock* block = FBlocks) {
        FBlocks = block->Next;
        if (block->Length == kLargeBlock && gBlockCache.Count < TBlockCache::MaxCount) {
            block->Next = gBlockCache.First;
            gBlockCache.First = block;
            ++gBlockCache.Count;
        } else {
            std::free(block);
        }
    }
    FFreeEntries = FUnused = FUnusedEnd = nullptr;
    FPooled = 0;
}

void TCustomHashTable::DestroyEntries() {
    while (FIterators)
        FIterators->Detach();
    FInitialCapacity = 0;
    ClearEntries();
}

// Length x load factor, rounded half to even, as far as 32 bits reach.
uint32_t TCustomHashTable::ThresholdFor(uint32_t Length) const {
    const double t = std::nearbyint(static_cast<double>(Length) * FLoadFactor);
    if (t >= static_cast<double>(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(t);
}

void TCustomHashTable::CheckNotIterating() const {
    if (FIterators) throw ENotSupportedException(SIteratorActive);
}

uint32_t TCustomHashTable::AdjustTableSize(uint32_t Size) {
    if (Size == 0) return 32;
    if (Size > std::numeric_limits<uint32_t>::max() / 2) return Size; // cannot double any further
    return Size * 2;
}

void TCustomHashTable::AdjustTable() {
    const uint32_t length = AdjustTableSize(FTableLength);
    if (length == FTableLength) return;
    PHashEntryList table = NewBuckets(length);
    FGrowThreshold = ThresholdFor(length);
    for (uint32_t i = 0; i < FTableLength; ++i) {
        PBaseHashEntry entry = FTable[i];
        while (entry) {
            PBaseHashEntry next = entry->Next;
            PBaseHashEntry& head = table[(length & (length - 1)) == 0 ? entry->Hash & (length - 1)
                                                                      : entry->Hash % length];
            entry->Next = head;
            head = entry;
            entry = next;
        }
    }
    std::free(FTable);
    FTable = table;
    SetTableLength(length);
}

// A power-of-two length takes the remainder by a mask, which is the same
// number without a division.
void TCustomHashTable::SetTableLength(uint32_t Length) {
    FTableLength = Length;
    FTableMask = Length != 0 && (Length & (Length - 1)) == 0 ? Length - 1 : 0;
}

TCustomHashTable::PBaseHashEntry TCustomHashTable::FindCompared(PBaseHashEntry e, uintptr_t Key,
                                                               uint32_t Hash) const {
    for (; e; e = e->Next)
        if (e->Hash == Hash && FCompareProc(Key, e->Key)) return e;
    return nullptr;
}

void TCustomHashTable::Add(uintptr_t Key, uintptr_t Value, uint32_t Hash) {
    CheckNotIterating();
    if (FCount >= static_cast<int64_t>(FGrowThreshold) && !FIsFixedSize) AdjustTable();
    if (!FTable) throw ENotSupportedException(SFixedSizeZero);
    const bool plain = Plain();
    if (PBaseHashEntry e = Find(Key, Hash)) {
        if (plain) {
            e->Value = Value;
            return;
        }
        Notify(e, htValueChanging);
        e->Value = Value;
        Notify(e, htValueChanged);
        return;
    }
    PBaseHashEntry& head = FTable[BucketOf(Hash)];
    PBaseHashEntry e = NewEntry();
    *e = TBaseHashEntry{head, Hash, Key, Value};
    head = e;
    ++FCount;
    if (plain) return;
    // The entry could not take its key or value: it never was.
    auto undo = runpak::ScopeExit([&] {
        head = e->Next;
        --FCount;
        FreeEntry(e);
    });
    Notify(e, htAdded);
    undo.Release();
}

void TCustomHashTable::Remove(uintptr_t Key, uint32_t Hash) {
    CheckNotIterating();
    if (!FTable) return;
    for (PBaseHashEntry* link = &FTable[BucketOf(Hash)]; *link; link = &(*link)->Next) {
        PBaseHashEntry e = *link;
        if (FKeysByIdentity ? e->Key != Key : e->Hash != Hash || !FCompareProc(Key, e->Key))
            continue;
        *link = e->Next;
        --FCount;
        if (Plain()) {
            FreeEntry(e);
            return;
        }
        auto doomed = runpak::ScopeExit([&] { FreeEntry(e); }); // freed even when Notify raises
        Notify(e, htRemoved);
        return;
    }
}

bool TCustomHashTable::ContainsValue(uintptr_t Value) const {
    THashEntryEnumerator values(this, THashEntryEnumerator::eoValue);
    while (values.MoveNext())
        if (FCompareValuesProc(values.FEntry->Value, Value)) return true;
    return false;
}

void TCustomHashTable::Clear() {
    CheckNotIterating();
    ClearEntries();
}

void TCustomHashTable::ClearEntries() {
    if (FTable) {
        // Entries that need no notification go back with their blocks.
        const bool plain = FPlain > 0;
        for (uint32_t i = 0; i < FTableLength && FCount > 0 && !plain; ++i) {
            while (PBaseHashEntry e = FTable[i]) {
                FTable[i] = e->Next;
                --FCount;
                auto doomed = runpak::ScopeExit([&] { FreeEntry(e); });
                Notify(e, htRemoved);
            }
        }
        std::free(FTable);
        FTable = nullptr;
    }
    FreePool();
    SetTableLength(FInitialCapacity);
    FTable = NewBuckets(FInitialCapacity);
    FGrowThreshold = ThresholdFor(FInitialCapacity);
    FCount = 0;
}

void TCustomHashTable::SetIsFixedSize(bool Value) {
    if (Value == FIsFixedSize) return;
    if (Value && !FTable) throw EArgumentException(SFixedSizeZero);
    FIsFixedSize = Value;
}

void TCustomHashTable::AssignError(const TObject* Source, const TObject* Dest) {
    const UnicodeString from = Source ? Source->ClassName() : UnicodeString(u"nil");
    throw EConvertError(u"Cannot assign a " + from + u" to a " + Dest->ClassName());
}

void TCustomHashTable::Assign(TCustomHashTable* Source) {
    if (!Source) AssignError(nullptr, this);
    Source->AssignTo(this);
}

void TCustomHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignError(this, Dest);
}

void TCustomHashTable::Notify(PBaseHashEntry, THashTableNotification) {}
void TCustomHashTable::LoadFromStream(TStream*) {}

void TCustomHashTable::LoadFromFile(const UnicodeString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TCustomHashTable::SaveToFile(const UnicodeString& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TCustomHashTable::SaveToStream(TStream*) {}

THashEnumerator::THashEnumerator(const TCustomHashTable* AHashTable) {
    Attach(AHashTable);
}

THashEnumerator::THashEnumerator(THashEnumerator&& Other) noexcept
    : FIndex(Other.FIndex), FEntry(Other.FEntry) {
    Attach(Other.FHashTable);
    Other.Detach();
}

THashEnumerator::~THashEnumerator() {
    Detach();
}

void THashEnumerator::Attach(const TCustomHashTable* Table) {
    FHashTable = Table;
    if (!Table) return;
    FNextLive = Table->FIterators;
    if (FNextLive) FNextLive->FPrevLive = this;
    Table->FIterators = this;
}

void THashEnumerator::Detach() {
    if (!FHashTable) return;
    if (FPrevLive)
        FPrevLive->FNextLive = FNextLive;
    else
        FHashTable->FIterators = FNextLive;
    if (FNextLive) FNextLive->FPrevLive = FPrevLive;
    FPrevLive = FNextLive = nullptr;
    FHashTable = nullptr;
    FEntry = nullptr;
}

bool THashEnumerator::MoveNext() {
    if (!FHashTable) return false;
    if (FEntry) FEntry = FEntry->Next;
    while (!FEntry && FIndex < FHashTable->FTableLength)
        FEntry = FHashTable->FTable[FIndex++];
    return FEntry != nullptr;
}
