#include <runpak/Collection.h>
#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <runpak/TypeInfo.h>

#include "ObjectModelText.h"

#include <algorithm>

// --- TCollectionItem ---------------------------------------------------------------------

TClass TCollectionItem::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCollectionItem>(u"TCollectionItem", TPersistent::StaticClass()));
    return &meta;
}

TCollectionItem::TCollectionItem(TCollection* Collection) {
    if (!Collection) return;
    Collection->FItems.push_back(this);
    FCollection = Collection;
    FID = Collection->FNextID++;
}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::BeforeDestruction() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (FCollection == Value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
    if (!FCollection) return -1;
    const auto& items = FCollection->FItems;
    auto found = std::find(items.begin(), items.end(), this);
    return found == items.end() ? -1 : int(found - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int current = GetIndex();
    if (current < 0 || current == Value) return;
    auto& items = FCollection->FItems;
    if (Value < 0 || Value >= int(items.size())) runpak::RaiseListIndexError(Value);
    items.erase(items.begin() + current);
    items.insert(items.begin() + Value, this);
    Changed(true);
}

UnicodeString TCollectionItem::GetDisplayName() const {
    return ClassName();
}

void TCollectionItem::SetDisplayName(const UnicodeString&) {
    Changed(false);
}

UnicodeString TCollectionItem::GetNamePath() const {
    if (!FCollection) return ClassName();
    return FCollection->GetNamePath() + u"[" + runpak::IntText(GetIndex()) + u"]";
}

TPersistent* TCollectionItem::GetOwner() const {
    return FCollection;
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

// --- TCollection ----------------------------------------------------------------------------

TClass TCollection::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCollection>(u"TCollection", TPersistent::StaticClass()));
    return &meta;
}

TClass TOwnedCollection::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TOwnedCollection>(u"TOwnedCollection", TCollection::StaticClass()));
    return &meta;
}

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection() {
    // The derived parts are gone: nobody is left to tell.
    while (!FItems.empty()) {
        TCollectionItem* item = FItems.back();
        FItems.pop_back();
        item->FCollection = nullptr;
        delete item;
    }
}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    auto found = std::find(FItems.begin(), FItems.end(), Item);
    if (found != FItems.end()) FItems.erase(found);
    Item->FCollection = nullptr;
    Changed();
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = FItemClass(this);
    Notify(item, cnAdded);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int Index) {
    // Checked first, so that a bad index leaves no stray item at the end.
    if (Index < 0 || Index > GetCount()) runpak::RaiseListIndexError(Index);
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = GetItems(Index);
    Notify(item, cnDeleting);
    RemoveItem(item);
    item->BeforeDestruction();
    delete item;
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    auto update = runpak::UpdateBracket(*this);
    while (!FItems.empty()) {
        TCollectionItem* item = FItems.back();
        RemoveItem(item);
        item->BeforeDestruction();
        delete item;
    }
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == ID) return item;
    return nullptr;
}

TCollectionItem* TCollection::GetItems(int Index) const {
    if (Index < 0 || Index >= GetCount()) runpak::RaiseListIndexError(Index);
    return FItems[size_t(Index)];
}

void TCollection::SetItems(int Index, TCollectionItem* Value) {
    GetItems(Index)->Assign(Value);
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return; // clearing first would lose every item
    auto update = runpak::UpdateBracket(*this);
    Clear();
    for (TCollectionItem* item : source->FItems)
        Add()->Assign(item);
}

UnicodeString TCollection::GetPropName() const {
    TPersistent* owner = GetOwner();
    if (!owner) return {};
    for (PPropInfo prop : GetPropList(owner))
        if (prop->PropType()->Kind == tkClass && GetObjectProp(owner, prop) == this)
            return prop->Name;
    return {};
}

UnicodeString TCollection::GetNamePath() const {
    UnicodeString path = ClassName();
    TPersistent* owner = GetOwner();
    if (!owner) return path;
    UnicodeString ownerPath = owner->GetNamePath();
    UnicodeString propName = GetPropName();
    if (ownerPath.empty() || propName.empty()) return path;
    return ownerPath + u"." + propName;
}

UnicodeString TCollection::GetItemAttr(int Index, int ItemIndex) const {
    return Index == 0 ? GetItems(ItemIndex)->GetDisplayName() : UnicodeString();
}
