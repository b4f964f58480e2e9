// Tables keyed by objects, integers and pointers.
#include "benchkit/controls/Collections.h"

#include <typeinfo>

namespace benchkit::collections {

// The root class has no hash or equality of its own yet: an object is
// hashed by its address and equal only to itself.
uint32_t ObjectHashCode(const TObject* Object) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Object));
}

bool ObjectEquals(const TObject* Object, const TObject* Other) {
    return Object == Other;
}

void RaiseOwnedAssign() {
    throw Exception(u"Cannot assign to or from collections that lifetime-manage objects");
}

} // namespace benchkit::collections

namespace {

bool SameWords(uintptr_t a, uintptr_t b) {
    return a == b;
}

bool SameObjectWords(uintptr_t a, uintptr_t b) {
    return benchkit::collections::ObjectEquals(reinterpret_cast<TObject*>(a),
                                               reinterpret_cast<TObject*>(b));
}

} // namespace

// ---- Key classes ------------------------------------------------------------

TCustomObjectHashTable::TCustomObjectHashTable(uint32_t InitialCapacity, double LoadFactor)
    : TKeyedHashTable(InitialCapacity, LoadFactor) {
    FCompareProc = SameObjectWords;
}

uint32_t TCustomObjectHashTable::HashOf(TObject* const& Key) const {
    return benchkit::collections::ObjectHashCode(Key);
}

TCustomIntegerHashTable::TCustomIntegerHashTable(uint32_t InitialCapacity, double LoadFactor)
    : TKeyedHashTable(InitialCapacity, LoadFactor) {
    FCompareProc = SameWords;
    FKeysByIdentity = true;
}

TCustomPointerHashTable::TCustomPointerHashTable(uint32_t InitialCapacity, double LoadFactor)
    : TKeyedHashTable(InitialCapacity, LoadFactor) {
    FCompareProc = SameWords;
    FKeysByIdentity = true;
}

// ---- Leaf classes -------------------------------------------------------------

TObjectHashTable::TObjectHashTable(TObjectOwnershipKind OwnershipKind, uint32_t InitialCapacity,
                                   double LoadFactor)
    : TObjectValuesTable(OwnershipKind, InitialCapacity, LoadFactor) {
    FValueMayBeKey = true;
}

void TObjectHashTable::AssignTo(TCustomHashTable* Dest) {
    auto* dest = dynamic_cast<TObjectHashTable*>(Dest);
    if (!dest) AssignError(this, Dest);
    CopyToUnowned(dest);
}

TIntegerObjHashTable::TIntegerObjHashTable(TObjectOwnershipKind OwnershipKind,
                                           uint32_t InitialCapacity, double LoadFactor)
    : TObjectValuesTable(OwnershipKind, InitialCapacity, LoadFactor) {}

void TIntegerObjHashTable::AssignTo(TCustomHashTable* Dest) {
    auto* dest = dynamic_cast<TIntegerObjHashTable*>(Dest);
    if (!dest) AssignError(this, Dest);
    CopyToUnowned(dest);
}

bool TIntegerObjHashTable::IsPlain() const {
    return FOwnershipKind == okNone && typeid(*this) == typeid(TIntegerObjHashTable);
}

TPointerHashTable::TPointerHashTable(uint32_t InitialCapacity, double LoadFactor)
    : THashTableOf(InitialCapacity, LoadFactor) {
    FCompareValuesProc = SameWords;
}

void TPointerHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TPointerHashTable>(Dest);
}

bool TPointerHashTable::IsPlain() const {
    return typeid(*this) == typeid(TPointerHashTable);
}
