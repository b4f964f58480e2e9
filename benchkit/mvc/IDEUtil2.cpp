#include "benchkit/mvc/IDEUtil2.h"

// --- THashtable ----------------------------------------------------------------------

THashtable::THashtable(int InitialCapacity, int LoadFactor) : FLoadFactor(LoadFactor) {
    if (InitialCapacity <= 0 || LoadFactor <= 0) throw EIllegalArgumentException(UnicodeString());
    FTable.SetCount(InitialCapacity);
    FThreshold = InitialCapacity * LoadFactor / 100;
}

THashtable::~THashtable() {
    Clear();
}

int THashtable::BucketOf(int32_t Hash) const {
    return int((uint32_t(Hash) & 0x7FFFFFFF) % uint32_t(FTable.GetCount()));
}

THashtableEntry* THashtable::Bucket(int Index) const {
    return static_cast<THashtableEntry*>(FTable.GetItems(Index));
}

THashtableEntry* THashtable::Lookup(IHashObject* Key, int32_t Hash,
                                    THashtableEntry** Before) const {
    THashtableEntry* before = nullptr;
    for (THashtableEntry* e = Bucket(BucketOf(Hash)); e; before = e, e = e->FNext) {
        if (e->FHash == Hash && e->FKey.Get() == Key) {
            if (Before) *Before = before;
            return e;
        }
    }
    return nullptr;
}

InterfacePtr<IInterface> THashtable::Get(IHashObject* Key) {
    THashtableEntry* e = Lookup(Key, Key->GetHashCode(), nullptr);
    return e ? e->FValue : nullptr;
}

InterfacePtr<IInterface> THashtable::Put(IHashObject* Key, IInterface* Value) {
    if (!Value) throw ENullPointerException(UnicodeString());
    const int32_t hash = Key->GetHashCode();
    for (;;) {
        if (THashtableEntry* e = Lookup(Key, hash, nullptr)) {
            InterfacePtr<IInterface> old = e->FValue;
            e->FValue = Value;
            return old;
        }
        if (FCount < FThreshold) break;
        Rehash();
    }
    auto* entry = new THashtableEntry(hash, Key, Value);
    entry->AddRef();
    const int index = BucketOf(hash);
    entry->FNext = Bucket(index);
    FTable.SetItems(index, entry);
    ++FCount;
    return nullptr;
}

InterfacePtr<IInterface> THashtable::Remove(IHashObject* Key) {
    const int32_t hash = Key->GetHashCode();
    THashtableEntry* before = nullptr;
    THashtableEntry* e = Lookup(Key, hash, &before);
    if (!e) return nullptr;
    if (before)
        before->FNext = e->FNext;
    else
        FTable.SetItems(BucketOf(hash), e->FNext);
    e->FNext = nullptr; // the entry goes alone; the chain's reference moved on
    --FCount;
    InterfacePtr<IInterface> value = e->FValue;
    e->Release();
    return value;
}

bool THashtable::ContainsKey(IHashObject* Key) {
    return Lookup(Key, Key->GetHashCode(), nullptr) != nullptr;
}

bool THashtable::Contains(IInterface* Value) {
    if (!Value) throw ENullPointerException(UnicodeString());
    for (int i = 0; i < FTable.GetCount(); ++i)
        for (THashtableEntry* e = Bucket(i); e; e = e->FNext)
            if (e->FValue.Get() == Value) return true;
    return false;
}

void THashtable::Rehash() {
    const int oldCount = FTable.GetCount();
    const int newCount = oldCount * 2 + 1;
    TList old;
    old.Assign(&FTable);
    FTable.Clear();
    FTable.SetCount(newCount);
    FThreshold = newCount * FLoadFactor / 100;
    // The references move with the entries: nothing is counted up or down.
    for (int i = oldCount - 1; i >= 0; --i) {
        THashtableEntry* e = static_cast<THashtableEntry*>(old.GetItems(i));
        while (e) {
            THashtableEntry* next = e->FNext;
            const int index = BucketOf(e->FHash);
            e->FNext = Bucket(index);
            FTable.SetItems(index, e);
            e = next;
        }
    }
}

void THashtable::Clear() {
    for (int i = 0; i < FTable.GetCount(); ++i) {
        THashtableEntry* head = Bucket(i);
        FTable.SetItems(i, nullptr);
        if (head) head->Release(); // frees the chain behind it
    }
    FCount = 0;
}

InterfacePtr<IInterface> THashtable::Clone() {
    throw Exception(u"clone");
}

InterfacePtr<IEnumeration> THashtable::Keys() {
    return static_cast<IEnumeration*>(new THashtableEnumerator(this, true));
}

InterfacePtr<IEnumeration> THashtable::Elements() {
    return static_cast<IEnumeration*>(new THashtableEnumerator(this, false));
}

// --- THashtableEntry -----------------------------------------------------------------

THashtableEntry::~THashtableEntry() {
    // Iteratively, so that a long chain cannot exhaust the stack.
    THashtableEntry* next = FNext;
    FNext = nullptr;
    while (next) {
        if (next->GetRefCount() > 1) { // an enumerator holds it: the rest stays with it
            next->Release();
            break;
        }
        THashtableEntry* after = next->FNext;
        next->FNext = nullptr;
        next->Release();
        next = after;
    }
}

HRESULT THashtableEntry::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IHashtableEntry>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterface> THashtableEntry::Clone() {
    throw Exception(u"clone");
}

// --- THashtableEnumerator ------------------------------------------------------------

THashtableEnumerator::THashtableEnumerator(THashtable* Table, bool Keys)
    : FKeys(Keys), FIndex(Table->FTable.GetCount()), FTable(&Table->FTable),
      FOwner(static_cast<IInterface*>(Table)) {}

HRESULT THashtableEnumerator::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IEnumeration>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

bool THashtableEnumerator::HasMoreElements() {
    while (!FEntry && FIndex > 0)
        FEntry = static_cast<THashtableEntry*>(FTable->GetItems(--FIndex));
    return bool(FEntry);
}

InterfacePtr<IInterface> THashtableEnumerator::NextElement() {
    if (!HasMoreElements()) throw ENoSuchElementException(u"HashtableEnumerator");
    THashtableEntry* e = FEntry->Ptr();
    InterfacePtr<IInterface> result = FKeys ? InterfacePtr<IInterface>(e->FKey) : e->FValue;
    FEntry = e->FNext;
    return result;
}
