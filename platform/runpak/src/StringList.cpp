#include <runpak/Exceptions.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include "StringsUpdate.h"

#include <algorithm>
#include <numeric>

TClass TStringList::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStringList>(u"TStringList", TStrings::StaticClass()));
    return &meta;
}

TStringList::~TStringList() {
    // Nobody listens to a list that is going away.
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects)
        for (TStringItem& item : FList)
            delete item.FObject;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount()) Error("List index out of bounds (%d)", index);
}

void TStringList::Changing() {
    if (GetUpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
    if (GetUpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const UnicodeString& s1, const UnicodeString& s2) const {
    return FCaseSensitive ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

// --- Items -----------------------------------------------------------------

UnicodeString TStringList::Get(int index) const {
    CheckIndex(index);
    return FList[index].FString;
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return FList[index].FObject;
}

void TStringList::Put(int index, const UnicodeString& s) {
    if (FSorted) Error("Operation not allowed on sorted list", 0);
    CheckIndex(index);
    Changing();
    FList[index].FString = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* object) {
    CheckIndex(index);
    Changing();
    FList[index].FObject = object;
    Changed();
}

void TStringList::SetCapacity(int newCapacity) {
    if (newCapacity < GetCount()) Error("List capacity out of bounds (%d)", newCapacity);
    FList.reserve(newCapacity);
}

void TStringList::InsertItem(int index, const UnicodeString& s, TObject* object) {
    Changing();
    FList.insert(FList.begin() + index, TStringItem{s, object});
    Changed();
}

int TStringList::Add(const UnicodeString& s) {
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const UnicodeString& s, TObject* object) {
    int index = GetCount();
    if (FSorted && Find(s, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) Error("String list does not allow duplicates", 0);
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const UnicodeString& s) {
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const UnicodeString& s, TObject* object) {
    if (FSorted) Error("Operation not allowed on sorted list", 0);
    if (index < 0 || index > GetCount()) Error("List index out of bounds (%d)", index);
    InsertItem(index, s, object);
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    TObject* object = FList[index].FObject;
    FList.erase(FList.begin() + index);
    if (FOwnsObjects) delete object;
    Changed();
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    // Out of the list before the objects go, so that their destructors see
    // a consistent list.
    std::vector<TStringItem> old;
    old.swap(FList);
    if (FOwnsObjects)
        for (TStringItem& item : old)
            delete item.FObject;
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FList[index1], FList[index2]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    if (FSorted) Error("Operation not allowed on sorted list", 0);
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    Changing();
    TStringItem item = std::move(FList[curIndex]);
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, std::move(item));
    Changed();
}

void TStringList::Assign(TPersistent* source) {
    auto* list = dynamic_cast<TStringList*>(source);
    if (!list || list == this) {
        TStrings::Assign(source);
        return;
    }
    // The copy takes the source's order as it is, then its sorting rules.
    runpak::Updating(*this, [&] {
        FSorted = false;
        TStrings::Assign(source);
        FCaseSensitive = list->FCaseSensitive;
        FDuplicates = list->FDuplicates;
        FSorted = list->FSorted;
    });
}

// --- Searching and sorting -------------------------------------------------

bool TStringList::Find(const UnicodeString& s, int& index) const {
    int low = 0, high = GetCount() - 1;
    bool found = false;
    while (low <= high) {
        int middle = low + (high - low) / 2;
        int order = CompareStrings(FList[middle].FString, s);
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (order == 0) found = true;
        }
    }
    index = low;
    return found;
}

int TStringList::IndexOf(const UnicodeString& s) const {
    if (!FSorted) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::Sort() {
    CustomSort([](TStringList* list, int index1, int index2) {
        return list->CompareStrings(list->FList[index1].FString, list->FList[index2].FString);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
    if (FSorted || GetCount() < 2) return;
    Changing();
    // The compare function reads items by index, so the list stays as it is
    // while an order of its indexes is sorted, and is rearranged after.
    std::vector<int> order(FList.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(this, a, b) < 0; });
    std::vector<TStringItem> sorted;
    sorted.reserve(FList.size());
    for (int i : order)
        sorted.push_back(std::move(FList[i]));
    FList.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool value) {
    if (value == FSorted) return;
    if (value) Sort();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (value == FCaseSensitive) return;
    FCaseSensitive = value;
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}
