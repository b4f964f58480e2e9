// TCustomListView over the system list view: the window's styles from the
// properties, its notifications turned into the list's events, owner data,
// sorting and custom draw.
#include <quorlpak/ListView.h>

#include <quorlpak/Colors.h>
#include <quorlpak/Messages.h>
#include <runpak/ScopeGuard.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/commctrl.h>
#include <win32/windows.h>

#include <algorithm>

using namespace ComCtrls;

TClass TCustomListView::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomListView>(u"TCustomListView", TWinControl::StaticClass()));
    return &meta;
}

TClass TListView::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListView>(u"TListView", TCustomListView::StaticClass()));
    return &meta;
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), FListItems(std::make_unique<TListItems>(this)),
      FListColumns(std::make_unique<TListColumns>(this)),
      FImageChangeLink(std::make_unique<TChangeLink>()), FCanvas(std::make_unique<TCanvas>()) {
    FControlStyle = {csDoubleClicks};
    FWidth = 250;
    FHeight = 150;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(clWindow);
    FImageChangeLink->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
}

TCustomListView::~TCustomListView() {
    // The window goes first, while the items it points at are still here; its
    // last notices are no user's deletions.
    FDeletingAll = true;
    if (HandleAllocated()) DestroyHandle();
    for (TCustomImageList* list : {FLargeImages, FSmallImages, FStateImages})
        if (list) list->UnRegisterChanges(FImageChangeLink.get());
}

// --- Properties ---------------------------------------------------------------------------------

void TCustomListView::SetItems(TListItems* Value) {
    FListItems->Assign(Value);
}

void TCustomListView::SetColumns(TListColumns* Value) {
    FListColumns->Assign(Value);
}

DWORD TCustomListView::ViewStyleBits() const {
    switch (FViewStyle) {
    case vsIcon:
        return LVS_ICON;
    case vsSmallIcon:
        return LVS_SMALLICON;
    case vsList:
        return LVS_LIST;
    case vsReport:
        return LVS_REPORT;
    }
    return LVS_ICON;
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
    if (Value == FViewStyle) return;
    FViewStyle = Value;
    if (!HandleAllocated()) return;
    const LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    SetWindowLongPtrW(FHandle, GWL_STYLE, (style & ~LVS_TYPEMASK) | ViewStyleBits());
    // A report that was never shown has no columns in the window yet.
    if (Value == vsReport) CopyColumnsToWindow();
}

void TCustomListView::StyleChanged() {
    if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetOwnerData(bool Value) {
    if (Value == FOwnerData) return;
    FListItems->Clear();
    FOwnerData = Value;
    StyleChanged();
}

void TCustomListView::SetHideSelection(bool Value) {
    if (Value == FHideSelection) return;
    FHideSelection = Value;
    StyleChanged();
}

void TCustomListView::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    StyleChanged();
}

void TCustomListView::SetMultiSelect(bool Value) {
    if (Value == FMultiSelect) return;
    FMultiSelect = Value;
    StyleChanged();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
    if (Value == FShowColumnHeaders) return;
    FShowColumnHeaders = Value;
    StyleChanged();
}

void TCustomListView::SetColumnClick(bool Value) {
    if (Value == FColumnClick) return;
    FColumnClick = Value;
    StyleChanged();
}

void TCustomListView::SetRowSelect(bool Value) {
    if (Value == FRowSelect) return;
    FRowSelect = Value;
    UpdateExtendedStyles();
}

void TCustomListView::SetGridLines(bool Value) {
    if (Value == FGridLines) return;
    FGridLines = Value;
    UpdateExtendedStyles();
}

void TCustomListView::UpdateExtendedStyles() {
    if (!HandleAllocated()) return;
    const DWORD mask = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
    DWORD value = 0;
    if (FGridLines) value |= LVS_EX_GRIDLINES;
    if (FRowSelect) value |= LVS_EX_FULLROWSELECT;
    SendMessageW(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, value);
}

void TCustomListView::SetSortType(TSortType Value) {
    if (Value == FSortType) return;
    FSortType = Value;
    if (Value != stNone) AlphaSort();
}

void TCustomListView::SetImageList(TCustomImageList*& Field, TCustomImageList* Value, int Slot) {
    if (Field == Value) return;
    if (Field) {
        Field->UnRegisterChanges(FImageChangeLink.get());
        Field->RemoveFreeNotification(this);
    }
    Field = Value;
    if (Field) {
        Field->RegisterChanges(FImageChangeLink.get());
        Field->FreeNotification(this);
    }
    if (HandleAllocated())
        SendMessageW(FHandle, LVM_SETIMAGELIST, static_cast<WPARAM>(Slot),
                     reinterpret_cast<LPARAM>(Field ? Field->GetHandle() : nullptr));
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
    SetImageList(FLargeImages, Value, LVSIL_NORMAL);
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
    SetImageList(FSmallImages, Value, LVSIL_SMALL);
}

void TCustomListView::SetStateImages(TCustomImageList* Value) {
    SetImageList(FStateImages, Value, LVSIL_STATE);
}

void TCustomListView::ImageListChange(TObject* Sender) {
    if (!HandleAllocated()) return;
    int slot = -1;
    if (Sender == FLargeImages) slot = LVSIL_NORMAL;
    if (Sender == FSmallImages) slot = LVSIL_SMALL;
    if (Sender == FStateImages) slot = LVSIL_STATE;
    if (slot < 0) return;
    auto* list = static_cast<TCustomImageList*>(Sender);
    SendMessageW(FHandle, LVM_SETIMAGELIST, static_cast<WPARAM>(slot),
                 reinterpret_cast<LPARAM>(list->GetHandle()));
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FLargeImages) SetLargeImages(nullptr);
    if (AComponent == FSmallImages) SetSmallImages(nullptr);
    if (AComponent == FStateImages) SetStateImages(nullptr);
}

// --- The window ---------------------------------------------------------------------------------

void TCustomListView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_LISTVIEW);
    Params.Style |= ViewStyleBits() | LVS_SHAREIMAGELISTS | WS_CLIPCHILDREN;
    if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
    if (!FMultiSelect) Params.Style |= LVS_SINGLESEL;
    if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
    if (FOwnerData) Params.Style |= LVS_OWNERDATA;
    if (!FShowColumnHeaders) Params.Style |= LVS_NOCOLUMNHEADER;
    if (!FColumnClick) Params.Style |= LVS_NOSORTHEADER;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd() {
    TWinControl::CreateWnd();
    if (FLargeImages)
        SendMessageW(FHandle, LVM_SETIMAGELIST, LVSIL_NORMAL,
                     reinterpret_cast<LPARAM>(FLargeImages->GetHandle()));
    if (FSmallImages)
        SendMessageW(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL,
                     reinterpret_cast<LPARAM>(FSmallImages->GetHandle()));
    if (FStateImages)
        SendMessageW(FHandle, LVM_SETIMAGELIST, LVSIL_STATE,
                     reinterpret_cast<LPARAM>(FStateImages->GetHandle()));
    UpdateExtendedStyles();
    CopyColumnsToWindow();
    if (FOwnerData)
        SendMessageW(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(FListItems->FCount), 0);
    else
        CopyItemsToWindow();
}

void TCustomListView::DestroyWnd() {
    // The states stay with the items for the next window.
    if (!FOwnerData)
        for (TListItem* item : FListItems->FItems) {
            const int index = FListItems->IndexOf(item);
            const UINT state = static_cast<UINT>(
                SendMessageW(FHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(index),
                             LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED));
            item->FStates = TItemStates{};
            if (state & LVIS_SELECTED) item->FStates.Include(isSelected);
            if (state & LVIS_FOCUSED) item->FStates.Include(isFocused);
            if (state & LVIS_CUT) item->FStates.Include(isCut);
            if (state & LVIS_DROPHILITED) item->FStates.Include(isDropHilited);
        }
    const bool old = FDeletingAll;
    FDeletingAll = true;
    TWinControl::DestroyWnd();
    FDeletingAll = old;
}

void TCustomListView::Loaded() {
    TWinControl::Loaded();
    if (FSortType != stNone) AlphaSort();
}

void TCustomListView::SetColumnInWindow(int Index) {
    if (!HandleAllocated() || Index < 0 || Index >= FListColumns->GetCount()) return;
    TListColumn* column = FListColumns->GetItems(Index);
    LVCOLUMNW c{};
    UnicodeString caption = column->FCaption;
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.pszText = caption.data();
    c.cx = column->FWidth;
    switch (column->FAlignment) {
    case taLeftJustify:
        c.fmt = LVCFMT_LEFT;
        break;
    case taRightJustify:
        c.fmt = LVCFMT_RIGHT;
        break;
    case taCenter:
        c.fmt = LVCFMT_CENTER;
        break;
    }
    if (column->FImageIndex >= 0) {
        c.mask |= LVCF_IMAGE;
        c.fmt |= LVCFMT_IMAGE;
        c.iImage = column->FImageIndex;
    }
    SendMessageW(FHandle, LVM_SETCOLUMNW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&c));
    if (column->FAutoSize)
        SendMessageW(FHandle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Index),
                     static_cast<LPARAM>(LVSCW_AUTOSIZE_USEHEADER));
}

void TCustomListView::CopyColumnsToWindow() {
    if (!HandleAllocated()) return;
    while (SendMessageW(FHandle, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int i = 0; i < FListColumns->GetCount(); ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_WIDTH;
        c.cx = 50;
        SendMessageW(FHandle, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&c));
        SetColumnInWindow(i);
    }
}

void TCustomListView::CopyItemsToWindow() {
    for (size_t i = 0; i < FListItems->FItems.size(); ++i)
        FListItems->InsertIntoWindow(FListItems->FItems[i], static_cast<int>(i));
}

// --- Queries ------------------------------------------------------------------------------------

TListItem* TCustomListView::ItemOfIndex(int Index) {
    return FListItems->GetItem(Index);
}

TListItem* TCustomListView::GetSelected() {
    if (!HandleAllocated()) {
        for (TListItem* item : FListItems->FItems)
            if (item->FStates.Contains(isSelected)) return item;
        return nullptr;
    }
    return ItemOfIndex(static_cast<int>(
        SendMessageW(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
}

void TCustomListView::SetSelected(TListItem* Value) {
    if (Value) {
        if (!FMultiSelect) ClearSelection();
        Value->SetSelected(true);
        Value->SetFocused(true);
        return;
    }
    ClearSelection();
}

TListItem* TCustomListView::GetItemFocused() {
    if (!HandleAllocated()) {
        for (TListItem* item : FListItems->FItems)
            if (item->FStates.Contains(isFocused)) return item;
        return nullptr;
    }
    return ItemOfIndex(static_cast<int>(
        SendMessageW(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

void TCustomListView::SetItemFocused(TListItem* Value) {
    if (Value) Value->SetFocused(true);
}

int TCustomListView::GetItemIndex() {
    TListItem* item = GetSelected();
    return item ? item->GetIndex() : -1;
}

void TCustomListView::SetItemIndex(int Value) {
    if (Value < 0) return ClearSelection();
    if (!HandleAllocated()) {
        SetSelected(FListItems->GetItem(Value));
        return;
    }
    if (!FMultiSelect) ClearSelection();
    LVITEMW state{};
    state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Value),
                 reinterpret_cast<LPARAM>(&state));
}

int TCustomListView::GetSelCount() {
    if (!HandleAllocated()) {
        int n = 0;
        for (TListItem* item : FListItems->FItems)
            n += item->FStates.Contains(isSelected) ? 1 : 0;
        return n;
    }
    return static_cast<int>(SendMessageW(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
}

void TCustomListView::ClearSelection() {
    if (!HandleAllocated()) {
        for (TListItem* item : FListItems->FItems)
            item->FStates.Exclude(isSelected);
        return;
    }
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    SendMessageW(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
}

void TCustomListView::SelectAll() {
    if (!FMultiSelect) return;
    LVITEMW state{};
    state.state = state.stateMask = LVIS_SELECTED;
    if (HandleAllocated())
        SendMessageW(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
    else
        for (TListItem* item : FListItems->FItems)
            item->FStates.Include(isSelected);
}

TListItem* TCustomListView::GetTopItem() {
    if (!HandleAllocated() || (FViewStyle != vsReport && FViewStyle != vsList)) return nullptr;
    return ItemOfIndex(static_cast<int>(SendMessageW(FHandle, LVM_GETTOPINDEX, 0, 0)));
}

int TCustomListView::GetVisibleRowCount() {
    return HandleAllocated() ? static_cast<int>(SendMessageW(FHandle, LVM_GETCOUNTPERPAGE, 0, 0))
                             : 0;
}

TListItem* TCustomListView::GetNextItem(TListItem* StartItem, TSearchDirection Direction,
                                        TItemStates States) {
    if (!HandleAllocated()) return nullptr;
    UINT flags = LVNI_ALL;
    switch (Direction) {
    case sdAbove:
        flags |= LVNI_ABOVE;
        break;
    case sdBelow:
        flags |= LVNI_BELOW;
        break;
    case sdLeft:
        flags |= LVNI_TOLEFT;
        break;
    case sdRight:
        flags |= LVNI_TORIGHT;
        break;
    case sdAll:
        break;
    }
    if (States.Contains(isCut)) flags |= LVNI_CUT;
    if (States.Contains(isDropHilited)) flags |= LVNI_DROPHILITED;
    if (States.Contains(isFocused)) flags |= LVNI_FOCUSED;
    if (States.Contains(isSelected)) flags |= LVNI_SELECTED;
    const int start = StartItem ? StartItem->GetIndex() : -1;
    return ItemOfIndex(static_cast<int>(
        SendMessageW(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0))));
}

TListItem* TCustomListView::GetItemAt(int X, int Y) {
    if (!HandleAllocated()) return nullptr;
    LVHITTESTINFO info{};
    info.pt = POINT{X, Y};
    return ItemOfIndex(
        static_cast<int>(SendMessageW(FHandle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))));
}

TListItem* TCustomListView::FindCaption(int StartIndex, const UnicodeString& Value, bool Partial,
                                        bool Inclusive, bool Wrap) {
    if (!HandleAllocated()) return nullptr;
    LVFINDINFOW info{};
    info.flags = LVFI_STRING | (Partial ? LVFI_PARTIAL : 0) | (Wrap ? LVFI_WRAP : 0);
    info.psz = Value.c_str();
    // The window begins after its start; an inclusive search begins at it.
    const int start = Inclusive ? StartIndex - 1 : StartIndex;
    return ItemOfIndex(static_cast<int>(SendMessageW(
        FHandle, LVM_FINDITEMW, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&info))));
}

TListItem* TCustomListView::FindData(int StartIndex, void* Value, bool Inclusive, bool Wrap) {
    if (FOwnerData) return nullptr;
    const int count = FListItems->GetCount();
    const int from = std::max(0, Inclusive ? StartIndex : StartIndex + 1);
    for (int i = from; i < count; ++i)
        if (FListItems->FItems[static_cast<size_t>(i)]->FData == Value)
            return FListItems->FItems[static_cast<size_t>(i)];
    if (Wrap)
        for (int i = 0; i < std::min(from, count); ++i)
            if (FListItems->FItems[static_cast<size_t>(i)]->FData == Value)
                return FListItems->FItems[static_cast<size_t>(i)];
    return nullptr;
}

void TCustomListView::Scroll(int DX, int DY) {
    if (HandleAllocated()) SendMessageW(FHandle, LVM_SCROLL, static_cast<WPARAM>(DX), DY);
}

bool TCustomListView::IsEditing() const {
    return FHandle && SendMessageW(FHandle, LVM_GETEDITCONTROL, 0, 0) != 0;
}

void TCustomListView::Clear() {
    FListItems->Clear();
}

void TCustomListView::UpdateItems(int FirstIndex, int LastIndex) {
    if (HandleAllocated())
        SendMessageW(FHandle, LVM_REDRAWITEMS, static_cast<WPARAM>(FirstIndex), LastIndex);
}

// --- Sorting ------------------------------------------------------------------------------------

namespace {

struct SortContext {
    TCustomListView* list;
    TLVCompare proc;
    intptr_t data;
};

int CALLBACK CompareThroughProc(LPARAM a, LPARAM b, LPARAM context) {
    auto* c = reinterpret_cast<SortContext*>(context);
    return c->proc(reinterpret_cast<TListItem*>(a), reinterpret_cast<TListItem*>(b), c->data);
}

int DefaultCompare(TListItem* a, TListItem* b, intptr_t data) {
    auto* list = reinterpret_cast<TCustomListView*>(data);
    int result = 0;
    if (list->OnCompare) {
        list->OnCompare(list, a, b, 0, result);
        return result;
    }
    return AnsiCompareText(a->GetCaption(), b->GetCaption());
}

} // namespace

bool TCustomListView::AlphaSort() {
    return CustomSort(DefaultCompare, reinterpret_cast<intptr_t>(this));
}

bool TCustomListView::CustomSort(TLVCompare SortProc, intptr_t Data) {
    if (FOwnerData || !SortProc) return false;
    std::vector<TListItem*>& items = FListItems->FItems;
    if (!HandleAllocated()) {
        std::stable_sort(items.begin(), items.end(),
                         [&](TListItem* a, TListItem* b) { return SortProc(a, b, Data) < 0; });
        return true;
    }
    SortContext context{this, SortProc, Data};
    if (!SendMessageW(FHandle, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                      reinterpret_cast<LPARAM>(CompareThroughProc)))
        return false;
    // The items follow the window's new order.
    for (size_t i = 0; i < items.size(); ++i) {
        LVITEMW info{};
        info.mask = LVIF_PARAM;
        info.iItem = static_cast<int>(i);
        SendMessageW(FHandle, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
        items[i] = reinterpret_cast<TListItem*>(info.lParam);
    }
    return true;
}

// --- Events -------------------------------------------------------------------------------------

bool TCustomListView::OwnerDataFetch(TListItem* Item, TItemRequests) {
    if (!OnData) return false;
    OnData(this, Item);
    return true;
}

int TCustomListView::OwnerDataFind(TItemFind Find, const UnicodeString& FindString,
                                   const TPoint& FindPosition, void* FindData, int StartIndex,
                                   TSearchDirection Direction, bool Wrap) {
    int index = -1;
    if (OnDataFind)
        OnDataFind(this, Find, FindString, FindPosition, FindData, StartIndex, Direction, Wrap,
                   index);
    return index;
}

bool TCustomListView::OwnerDataHint(int StartIndex, int EndIndex) {
    if (!OnDataHint) return false;
    OnDataHint(this, StartIndex, EndIndex);
    return true;
}

bool TCustomListView::OwnerDataStateChange(int StartIndex, int EndIndex, TItemStates OldState,
                                           TItemStates NewState) {
    if (!OnDataStateChange) return false;
    OnDataStateChange(this, StartIndex, EndIndex, OldState, NewState);
    return true;
}

bool TCustomListView::CanEdit(TListItem* Item) {
    bool allow = !FReadOnly;
    if (OnEditing) OnEditing(this, Item, allow);
    return allow;
}

void TCustomListView::Edit(const LVITEMW& Item) {
    TListItem* item = ItemOfIndex(Item.iItem);
    if (!item || !Item.pszText) return;
    UnicodeString text = Item.pszText;
    if (OnEdited) OnEdited(this, item, text);
    if (!FOwnerData) item->SetCaption(text);
}

bool TCustomListView::CanChange(TListItem* Item, int Change) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Item, static_cast<TItemChange>(Change), allow);
    return allow;
}

void TCustomListView::Change(TListItem* Item, int Change) {
    if (OnChange) OnChange(this, Item, static_cast<TItemChange>(Change));
}

void TCustomListView::DoSelectItem(TListItem* Item, bool Selected) {
    if (OnSelectItem) OnSelectItem(this, Item, Selected);
}

void TCustomListView::ColClick(TListColumn* Column) {
    if (OnColumnClick) OnColumnClick(this, Column);
}

void TCustomListView::Delete(TListItem* Item) {
    if (OnDeletion) OnDeletion(this, Item);
}

void TCustomListView::InsertItem(TListItem* Item) {
    if (OnInsert) OnInsert(this, Item);
}

int TCustomListView::GetImageIndex(TListItem* Item) {
    if (OnGetImageIndex) OnGetImageIndex(this, Item);
    return Item->GetImageIndex();
}

bool TCustomListView::IsCustomDrawn() const {
    return OnCustomDraw || OnCustomDrawItem || OnCustomDrawSubItem;
}

bool TCustomListView::CustomDraw(const TRect& ARect, TCustomDrawStage Stage) {
    bool defaultDraw = true;
    if (Stage == cdPrePaint && OnCustomDraw) OnCustomDraw(this, ARect, defaultDraw);
    return defaultDraw;
}

bool TCustomListView::CustomDrawItem(TListItem* Item, TCustomDrawState State,
                                     TCustomDrawStage Stage) {
    bool defaultDraw = true;
    if (Stage == cdPrePaint && OnCustomDrawItem) OnCustomDrawItem(this, Item, State, defaultDraw);
    return defaultDraw;
}

bool TCustomListView::CustomDrawSubItem(TListItem* Item, int SubItem, TCustomDrawState State,
                                        TCustomDrawStage Stage) {
    bool defaultDraw = true;
    if (Stage == cdPrePaint && OnCustomDrawSubItem)
        OnCustomDrawSubItem(this, Item, SubItem, State, defaultDraw);
    return defaultDraw;
}

// --- Notifications ------------------------------------------------------------------------------

namespace {

TItemStates StatesOf(UINT state) {
    TItemStates s;
    if (state & LVIS_CUT) s.Include(isCut);
    if (state & LVIS_DROPHILITED) s.Include(isDropHilited);
    if (state & LVIS_FOCUSED) s.Include(isFocused);
    if (state & LVIS_SELECTED) s.Include(isSelected);
    return s;
}

int ChangeOf(UINT changed) {
    if (changed & LVIF_TEXT) return ctText;
    if (changed & LVIF_IMAGE) return ctImage;
    return ctState;
}

} // namespace

void TCustomListView::GetDispInfo(NMLVDISPINFOW& Info) {
    LVITEMW& it = Info.item;
    TListItem* item = nullptr;
    if (FOwnerData) {
        if (it.iItem < 0 || it.iItem >= FListItems->FCount) return;
        if (!FListItems->FTemp) FListItems->FTemp = std::make_unique<TListItem>(FListItems.get());
        item = FListItems->FTemp.get();
        item->FTempIndex = it.iItem;
        item->FCaption.clear();
        item->FSubItems->Clear();
        item->FImageIndex = -1;
        item->FIndent = 0;
        item->FData = nullptr;
        TItemRequests requests;
        if (it.mask & LVIF_TEXT) requests.Include(irText);
        if (it.mask & LVIF_IMAGE) requests.Include(irImage);
        if (it.mask & LVIF_PARAM) requests.Include(irParam);
        if (it.mask & LVIF_STATE) requests.Include(irState);
        if (it.mask & LVIF_INDENT) requests.Include(irIndent);
        OwnerDataFetch(item, requests);
    } else {
        item = reinterpret_cast<TListItem*>(it.lParam);
        if (!item) item = FListItems->GetItem(it.iItem);
        if (!item) return;
    }
    if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
        UnicodeString text;
        if (it.iSubItem == 0)
            text = item->GetCaption();
        else if (it.iSubItem - 1 < item->FSubItems->GetCount())
            text = item->FSubItems->Get(it.iSubItem - 1);
        const size_t n = std::min(text.size(), static_cast<size_t>(it.cchTextMax - 1));
        std::copy_n(text.begin(), n, it.pszText);
        it.pszText[n] = 0;
    }
    if (it.mask & LVIF_IMAGE)
        it.iImage =
            it.iSubItem == 0 ? (FOwnerData ? item->GetImageIndex() : GetImageIndex(item)) : -1;
    if (it.mask & LVIF_INDENT) it.iIndent = item->GetIndent();
    if (it.mask & LVIF_STATE)
        it.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(std::max(item->GetStateIndex() + 1, 0)));
}

LRESULT TCustomListView::DoCustomDraw(NMLVCUSTOMDRAW& Draw) {
    if (!IsCustomDrawn()) return CDRF_DODEFAULT;
    NMCUSTOMDRAW& cd = Draw.nmcd;
    FCanvas->SetHandle(cd.hdc);
    auto release = runpak::ScopeExit([this] { FCanvas->SetHandle(nullptr); });
    TCustomDrawState state;
    if (cd.uItemState & CDIS_SELECTED) state.Include(cdsSelected);
    if (cd.uItemState & CDIS_FOCUS) state.Include(cdsFocused);
    if (cd.uItemState & CDIS_HOT) state.Include(cdsHot);
    if (cd.uItemState & CDIS_DISABLED) state.Include(cdsDisabled);
    switch (cd.dwDrawStage) {
    case CDDS_PREPAINT: {
        if (!CustomDraw(TRect(cd.rc), cdPrePaint)) return CDRF_SKIPDEFAULT;
        return (OnCustomDrawItem || OnCustomDrawSubItem) ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        TListItem* item = ItemOfIndex(static_cast<int>(cd.dwItemSpec));
        if (!item) return CDRF_DODEFAULT;
        // The owner paints with the canvas: what it leaves in the font and
        // brush colours are the item's colours.
        FCanvas->GetFont()->SetColor(static_cast<TColor>(
            Draw.clrText == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : Draw.clrText));
        FCanvas->GetBrush()->SetColor(static_cast<TColor>(
            Draw.clrTextBk == CLR_NONE || Draw.clrTextBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW)
                                                                        : Draw.clrTextBk));
        const bool sub = cd.dwDrawStage & CDDS_SUBITEM;
        const bool draw = sub ? CustomDrawSubItem(item, Draw.iSubItem, state, cdPrePaint)
                              : CustomDrawItem(item, state, cdPrePaint);
        if (!draw) return CDRF_SKIPDEFAULT;
        Draw.clrText = ColorToRGB(FCanvas->GetFont()->GetColor());
        Draw.clrTextBk = ColorToRGB(FCanvas->GetBrush()->GetColor());
        return (!sub && OnCustomDrawSubItem) ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    }
    }
    return CDRF_DODEFAULT;
}

void TCustomListView::CNNotify(TMessage& Message) {
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    Message.Result = 0;
    switch (hdr->code) {
    case LVN_GETDISPINFOW:
        GetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(hdr));
        return;
    case LVN_ODCACHEHINT: {
        auto* hint = reinterpret_cast<NMLVCACHEHINT*>(hdr);
        OwnerDataHint(hint->iFrom, hint->iTo);
        return;
    }
    case LVN_ODFINDITEMW: {
        auto* find = reinterpret_cast<NMLVFINDITEMW*>(hdr);
        const LVFINDINFOW& info = find->lvfi;
        TItemFind kind = ifExactString;
        if (info.flags & LVFI_PARAM)
            kind = ifData;
        else if (info.flags & (LVFI_PARTIAL | LVFI_SUBSTRING))
            kind = ifPartialString;
        else if (info.flags & LVFI_NEARESTXY)
            kind = ifNearest;
        TSearchDirection direction = sdAll;
        switch (info.vkDirection) {
        case VK_LEFT:
            direction = sdLeft;
            break;
        case VK_RIGHT:
            direction = sdRight;
            break;
        case VK_UP:
            direction = sdAbove;
            break;
        case VK_DOWN:
            direction = sdBelow;
            break;
        }
        Message.Result =
            OwnerDataFind(kind, info.psz ? UnicodeString(info.psz) : UnicodeString(),
                          TPoint(info.pt.x, info.pt.y), reinterpret_cast<void*>(info.lParam),
                          find->iStart, direction, (info.flags & LVFI_WRAP) != 0);
        return;
    }
    case LVN_ODSTATECHANGED: {
        auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(hdr);
        OwnerDataStateChange(change->iFrom, change->iTo, StatesOf(change->uOldState),
                             StatesOf(change->uNewState));
        return;
    }
    case LVN_ITEMCHANGING: {
        auto* n = reinterpret_cast<NMLISTVIEW*>(hdr);
        TListItem* item = n->iItem >= 0 ? ItemOfIndex(n->iItem) : nullptr;
        Message.Result = CanChange(item, ChangeOf(n->uChanged)) ? 0 : 1;
        return;
    }
    case LVN_ITEMCHANGED: {
        auto* n = reinterpret_cast<NMLISTVIEW*>(hdr);
        TListItem* item = n->iItem >= 0 ? ItemOfIndex(n->iItem) : nullptr;
        Change(item, ChangeOf(n->uChanged));
        if ((n->uChanged & LVIF_STATE) && ((n->uOldState ^ n->uNewState) & LVIS_SELECTED))
            DoSelectItem(n->iItem >= 0 ? ItemOfIndex(n->iItem) : nullptr,
                         (n->uNewState & LVIS_SELECTED) != 0);
        return;
    }
    case LVN_COLUMNCLICK: {
        auto* n = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (FColumnClick && n->iSubItem >= 0 && n->iSubItem < FListColumns->GetCount())
            ColClick(FListColumns->GetItems(n->iSubItem));
        return;
    }
    case LVN_BEGINLABELEDITW: {
        auto* n = reinterpret_cast<NMLVDISPINFOW*>(hdr);
        TListItem* item = ItemOfIndex(n->item.iItem);
        Message.Result = item && CanEdit(item) ? 0 : 1;
        return;
    }
    case LVN_ENDLABELEDITW: {
        auto* n = reinterpret_cast<NMLVDISPINFOW*>(hdr);
        if (n->item.pszText && n->item.iItem >= 0) Edit(n->item);
        return; // the item's caption is what the window shows
    }
    case LVN_DELETEALLITEMS:
        Message.Result = FDeletingAll ? TRUE : FALSE;
        return;
    case LVN_DELETEITEM: {
        auto* n = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (!FDeletingAll) Delete(reinterpret_cast<TListItem*>(n->lParam));
        return;
    }
    case LVN_INSERTITEM: {
        auto* n = reinterpret_cast<NMLISTVIEW*>(hdr);
        InsertItem(reinterpret_cast<TListItem*>(n->lParam));
        return;
    }
    case NM_CUSTOMDRAW:
        Message.Result = DoCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
        return;
    }
}

void TCustomListView::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_BASE + WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
        if (hdr && hdr->hwndFrom == FHandle) {
            CNNotify(Message);
            return;
        }
    }
    TWinControl::Dispatch(Message);
}
