// Tables with interface keys or interface values.
#include "benchkit/controls/Collections.h"

namespace {

bool SameWords(uintptr_t a, uintptr_t b) {
    return a == b;
}

bool SameTextWords(uintptr_t a, uintptr_t b) {
    return AnsiSameTextView(benchkit::collections::StringOfWord(a),
                            benchkit::collections::StringOfWord(b));
}

} // namespace

TCustomInterfaceHashTable::TCustomInterfaceHashTable(uint32_t InitialCapacity, double LoadFactor)
    : TKeyedHashTable(InitialCapacity, LoadFactor) {
    FCompareProc = SameWords;
    FKeysByIdentity = true;
}

TStringIHashTable::TStringIHashTable(bool CaseSensitive, uint32_t InitialCapacity,
                                     double LoadFactor)
    : THashTableOf(CaseSensitive, InitialCapacity, LoadFactor) {
    FCompareValuesProc = SameWords;
}

void TStringIHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TStringIHashTable>(Dest);
}

TWideStringIHashTable::TWideStringIHashTable(bool CaseSensitive, uint32_t InitialCapacity,
                                             double LoadFactor)
    : THashTableOf(CaseSensitive, InitialCapacity, LoadFactor) {
    FCompareValuesProc = SameWords;
}

void TWideStringIHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TWideStringIHashTable>(Dest);
}

TObjectIHashTable::TObjectIHashTable(uint32_t InitialCapacity, double LoadFactor)
    : THashTableOf(InitialCapacity, LoadFactor) {
    FCompareValuesProc = SameWords;
}

void TObjectIHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TObjectIHashTable>(Dest);
}

TIntegerIHashTable::TIntegerIHashTable(uint32_t InitialCapacity, double LoadFactor)
    : THashTableOf(InitialCapacity, LoadFactor) {
    FCompareValuesProc = SameWords;
}

void TIntegerIHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TIntegerIHashTable>(Dest);
}

TInterfaceStrHashTable::TInterfaceStrHashTable(uint32_t InitialCapacity, double LoadFactor)
    : THashTableOf(InitialCapacity, LoadFactor) {
    FCompareValuesProc = SameTextWords;
}

void TInterfaceStrHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TInterfaceStrHashTable>(Dest);
}
