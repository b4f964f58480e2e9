// The list view's items and columns: TListItem, TListItems, TListColumn and
// TListColumns. Items are kept here and stand in the window as callbacks
// (their lParam is the item), so the window always shows what they hold.
#include <quorlpak/ListView.h>

#include <runpak/StringList.h>
#include <runpak/TypeInfo.h>
#include <win32/commctrl.h>
#include <win32/windows.h>

#include <algorithm>

using namespace ComCtrls;

// --- TListItem ---------------------------------------------------------------------------------

TClass TListItem::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListItem>(u"TListItem", TPersistent::StaticClass()));
    return &meta;
}

TListItem::TListItem(TListItems* AOwner)
    : FOwner(AOwner), FSubItems(std::make_unique<TStringList>()) {
    FSubItems->OnChange = [this](TObject*) { SubItemsChanged(); };
}

TListItem::~TListItem() {
    FSubItems->OnChange = nullptr;
}

TCustomListView* TListItem::GetListView() const {
    return FOwner ? FOwner->GetListView() : nullptr;
}

TPersistent* TListItem::GetOwner() const {
    return FOwner;
}

TStrings* TListItem::GetSubItems() const {
    return FSubItems.get();
}

void TListItem::SetSubItems(TStrings* Value) {
    FSubItems->Assign(Value);
}

int TListItem::GetIndex() const {
    if (FTempIndex >= 0) return FTempIndex;
    return FOwner ? FOwner->IndexOf(this) : -1;
}

namespace {

// The window of a list view with a handle, else null.
HWND WindowOf(const TListItem* item) {
    TCustomListView* list = item->GetListView();
    return list && list->HandleAllocated() ? list->GetHandle() : nullptr;
}

UINT StateBit(TItemState which) {
    switch (which) {
    case isCut:
        return LVIS_CUT;
    case isDropHilited:
        return LVIS_DROPHILITED;
    case isFocused:
        return LVIS_FOCUSED;
    case isSelected:
        return LVIS_SELECTED;
    default:
        return 0;
    }
}

} // namespace

void TListItem::SetCaption(const UnicodeString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    TCustomListView* list = GetListView();
    if (FTempIndex < 0 && list &&
        (list->GetSortType() == stText || list->GetSortType() == stBoth) &&
        FOwner->FUpdateCount == 0)
        list->AlphaSort();
    Update();
}

void TListItem::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Update();
}

void TListItem::SetIndent(int Value) {
    if (Value == FIndent) return;
    FIndent = Value;
    Update();
}

void TListItem::SetStateIndex(int Value) {
    if (Value == FStateIndex) return;
    FStateIndex = Value;
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (!hwnd || index < 0 || FTempIndex >= 0) return;
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(std::max(Value + 1, 0)));
    SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

bool TListItem::GetState(TItemState Which) const {
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (!hwnd || index < 0) return FStates.Contains(Which);
    return SendMessageW(hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(index), StateBit(Which)) != 0;
}

void TListItem::SetState(TItemState Which, bool Value) {
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (Value)
        FStates.Include(Which);
    else
        FStates.Exclude(Which);
    if (!hwnd || index < 0) return;
    LVITEMW item{};
    item.stateMask = StateBit(Which);
    item.state = Value ? item.stateMask : 0;
    SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

void TListItem::SubItemsChanged() {
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (!hwnd || index < 0 || FTempIndex >= 0) return;
    // The window asks for every sub-item the item has.
    for (int i = 0; i < FSubItems->GetCount(); ++i) {
        LVITEMW item{};
        item.iSubItem = i + 1;
        item.pszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(hwnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
    }
    Update();
}

void TListItem::Delete() {
    if (FTempIndex >= 0 || !FOwner) return;
    FOwner->Delete(GetIndex());
}

bool TListItem::EditCaption() {
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (!hwnd || index < 0) return false;
    return SendMessageW(hwnd, LVM_EDITLABELW, static_cast<WPARAM>(index), 0) != 0;
}

void TListItem::CancelEdit() {
    if (HWND hwnd = WindowOf(this)) SendMessageW(hwnd, LVM_EDITLABELW, static_cast<WPARAM>(-1), 0);
}

void TListItem::MakeVisible(bool PartialOK) {
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (hwnd && index >= 0)
        SendMessageW(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), PartialOK);
}

void TListItem::Update() {
    if (FTempIndex >= 0) return; // an owner-data item is being filled for the window
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    if (hwnd && index >= 0) SendMessageW(hwnd, LVM_UPDATE, static_cast<WPARAM>(index), 0);
}

TRect TListItem::DisplayRect(TDisplayCode Code) const {
    HWND hwnd = WindowOf(this);
    const int index = GetIndex();
    RECT r{static_cast<LONG>(Code), 0, 0, 0};
    if (!hwnd || index < 0 ||
        !SendMessageW(hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&r)))
        return TRect();
    return TRect(r);
}

TPoint TListItem::GetPosition() const {
    const TRect r = DisplayRect(drBounds);
    return TPoint(r.left, r.top);
}

void TListItem::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TListItem*>(Source);
    if (!other) return TPersistent::Assign(Source);
    SetCaption(other->FCaption);
    FSubItems->Assign(other->FSubItems.get());
    SetImageIndex(other->FImageIndex);
    SetStateIndex(other->FStateIndex);
    SetIndent(other->FIndent);
    FData = other->FData;
}

// --- TListItems --------------------------------------------------------------------------------

TClass TListItems::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListItems>(u"TListItems", TPersistent::StaticClass()));
    return &meta;
}

TListItems::TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}

TPersistent* TListItems::GetOwner() const {
    return FOwner;
}

TListItems::~TListItems() {
    for (TListItem* item : FItems)
        delete item;
}

int TListItems::GetCount() const {
    return FOwner->GetOwnerData() ? FCount : static_cast<int>(FItems.size());
}

void TListItems::SetCount(int Value) {
    if (!FOwner->GetOwnerData() || Value < 0) return;
    FCount = Value;
    if (FOwner->HandleAllocated())
        SendMessageW(FOwner->GetHandle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(Value), 0);
}

TListItem* TListItems::Add() {
    return Insert(static_cast<int>(FItems.size()));
}

TListItem* TListItems::Insert(int Index) {
    return AddItem(new TListItem(this), Index);
}

TListItem* TListItems::AddItem(TListItem* Item, int Index) {
    if (!Item) Item = new TListItem(this);
    Item->FOwner = this;
    if (Index < 0 || Index > static_cast<int>(FItems.size()))
        Index = static_cast<int>(FItems.size());
    if (FOwner->GetOwnerData()) {
        // An owner-data list holds no items: the count grows instead.
        delete Item;
        SetCount(FCount + 1);
        return GetItem(FCount - 1);
    }
    FItems.insert(FItems.begin() + Index, Item);
    InsertIntoWindow(Item, Index);
    if (!FOwner->HandleAllocated()) FOwner->InsertItem(Item);
    return Item;
}

void TListItems::InsertIntoWindow(TListItem* Item, int Index) {
    if (!FOwner->HandleAllocated()) return;
    LVITEMW info{};
    info.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    info.iItem = Index;
    info.pszText = LPSTR_TEXTCALLBACKW;
    info.iImage = I_IMAGECALLBACK;
    info.lParam = reinterpret_cast<LPARAM>(Item);
    info.stateMask =
        LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED | LVIS_STATEIMAGEMASK;
    for (TItemState s : {isCut, isDropHilited, isFocused, isSelected})
        if (Item->FStates.Contains(s)) info.state |= StateBit(s);
    info.state |= INDEXTOSTATEIMAGEMASK(static_cast<UINT>(std::max(Item->FStateIndex + 1, 0)));
    HWND hwnd = FOwner->GetHandle();
    SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info));
    Item->SubItemsChanged();
}

void TListItems::Delete(int Index) {
    if (FOwner->GetOwnerData()) {
        if (Index >= 0 && Index < FCount) SetCount(FCount - 1);
        return;
    }
    if (Index < 0 || Index >= static_cast<int>(FItems.size())) return;
    TListItem* item = FItems[static_cast<size_t>(Index)];
    if (FOwner->HandleAllocated())
        SendMessageW(FOwner->GetHandle(), LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
    else
        FOwner->Delete(item);
    Remove(item);
    delete item;
}

void TListItems::Remove(TListItem* Item) {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it != FItems.end()) FItems.erase(it);
}

void TListItems::Clear() {
    if (FOwner->GetOwnerData()) {
        SetCount(0);
        return;
    }
    BeginUpdate();
    if (FOwner->HandleAllocated())
        SendMessageW(FOwner->GetHandle(), LVM_DELETEALLITEMS, 0, 0);
    else
        for (TListItem* item : FItems)
            FOwner->Delete(item);
    std::vector<TListItem*> items;
    items.swap(FItems);
    for (TListItem* item : items)
        delete item;
    EndUpdate();
}

void TListItems::BeginUpdate() {
    if (FUpdateCount++ == 0 && FOwner->HandleAllocated())
        SendMessageW(FOwner->GetHandle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    if (FOwner->HandleAllocated()) {
        SendMessageW(FOwner->GetHandle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(FOwner->GetHandle(), nullptr, TRUE);
    }
}

TListItem* TListItems::GetItem(int Index) {
    if (!FOwner->GetOwnerData()) {
        if (Index < 0 || Index >= static_cast<int>(FItems.size())) return nullptr;
        return FItems[static_cast<size_t>(Index)];
    }
    if (Index < 0 || Index >= FCount) return nullptr;
    if (!FTemp) FTemp = std::make_unique<TListItem>(this);
    TListItem& item = *FTemp;
    // A fresh item each time, filled by the owner.
    item.FTempIndex = Index;
    item.FCaption.clear();
    item.FSubItems->Clear();
    item.FImageIndex = -1;
    item.FStateIndex = -1;
    item.FIndent = 0;
    item.FData = nullptr;
    FOwner->OwnerDataFetch(&item, TItemRequests{irText, irImage, irParam, irState, irIndent});
    return &item;
}

int TListItems::IndexOf(const TListItem* Value) const {
    if (Value && Value->FTempIndex >= 0) return Value->FTempIndex;
    auto it = std::find(FItems.begin(), FItems.end(), Value);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TListItems::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TListItems*>(Source);
    if (!other) return TPersistent::Assign(Source);
    BeginUpdate();
    Clear();
    for (int i = 0; i < other->GetCount(); ++i)
        Add()->Assign(other->GetItem(i));
    EndUpdate();
}

// --- TListColumn -------------------------------------------------------------------------------

TClass TListColumn::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListColumn>(u"TListColumn", TCollectionItem::StaticClass()));
    return &meta;
}

TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}

TListColumn::~TListColumn() = default;

TCustomListView* TListColumn::ListView() const {
    auto* columns = dynamic_cast<TListColumns*>(GetCollection());
    return columns ? columns->GetListView() : nullptr;
}

void TListColumn::DoChange() {
    Changed(false);
}

void TListColumn::SetCaption(const UnicodeString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    DoChange();
}

int TListColumn::GetWidth() const {
    TCustomListView* list = ListView();
    if (list && list->HandleAllocated() && list->GetViewStyle() == vsReport)
        return static_cast<int>(SendMessageW(list->GetHandle(), LVM_GETCOLUMNWIDTH,
                                             static_cast<WPARAM>(GetIndex()), 0));
    return FWidth;
}

void TListColumn::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    DoChange();
}

void TListColumn::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    DoChange();
}

void TListColumn::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    DoChange();
}

void TListColumn::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    DoChange();
}

UnicodeString TListColumn::GetDisplayName() const {
    return FCaption.empty() ? TCollectionItem::GetDisplayName() : FCaption;
}

void TListColumn::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TListColumn*>(Source);
    if (!other) return TCollectionItem::Assign(Source);
    FCaption = other->FCaption;
    FWidth = other->FWidth;
    FAlignment = other->FAlignment;
    FImageIndex = other->FImageIndex;
    FAutoSize = other->FAutoSize;
    FTag = other->FTag;
    DoChange();
}

// --- TListColumns ------------------------------------------------------------------------------

TClass TListColumns::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListColumns>(u"TListColumns", TCollection::StaticClass()));
    return &meta;
}

TListColumns::TListColumns(TCustomListView* AOwner)
    : TCollection(NewCollectionItem<TListColumn>), FOwner(AOwner) {}

TPersistent* TListColumns::GetOwner() const {
    return FOwner;
}

TListColumn* TListColumns::Add() {
    return static_cast<TListColumn*>(TCollection::Add());
}

TListColumn* TListColumns::GetItems(int Index) const {
    return static_cast<TListColumn*>(TCollection::GetItems(Index));
}

void TListColumns::Update(TCollectionItem* Item) {
    if (!FOwner->HandleAllocated()) return;
    if (Item)
        FOwner->SetColumnInWindow(Item->GetIndex());
    else
        FOwner->CopyColumnsToWindow();
}

void TListColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    if (!FOwner->HandleAllocated()) return;
    HWND hwnd = FOwner->GetHandle();
    if (Action == cnAdded) {
        LVCOLUMNW c{};
        c.mask = LVCF_WIDTH;
        c.cx = 50;
        SendMessageW(hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(Item->GetIndex()),
                     reinterpret_cast<LPARAM>(&c));
    } else {
        SendMessageW(hwnd, LVM_DELETECOLUMN, static_cast<WPARAM>(Item->GetIndex()), 0);
    }
}
