// TCategoryButtons: categories of buttons with collapsible headers.
#include <quorlpak/CategoryButtons.h>

#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <quorlpak/DragObjects.h>
#include <quorlpak/Messages.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>
#include <cstdlib>

// --- Items, categories and the category list --------------------------------------------------

void TButtonItem::SetCaption(const UnicodeString& Value) {
    FCaption = Value;
    if (FCategory && FCategory->FOwner) FCategory->FOwner->Changed();
}

int TButtonItem::GetIndex() const {
    if (!FCategory) return -1;
    auto it = std::find(FCategory->FItems.begin(), FCategory->FItems.end(), this);
    return it == FCategory->FItems.end() ? -1 : int(it - FCategory->FItems.begin());
}

TButtonCategory::~TButtonCategory() {
    for (TButtonItem* item : FItems) {
        if (FOwner) FOwner->ItemRemoved(item);
        delete item;
    }
}

void TButtonCategory::SetCaption(const UnicodeString& Value) {
    FCaption = Value;
    if (FOwner) FOwner->Changed();
}

void TButtonCategory::SetCollapsed(bool Value) {
    if (FCollapsed == Value) return;
    FCollapsed = Value;
    if (FOwner) FOwner->Changed();
}

TButtonItem* TButtonCategory::Add() {
    TButtonItem* item = FOwner ? FOwner->CreateButton(this) : new TButtonItem(this);
    FItems.push_back(item);
    if (FOwner) FOwner->Changed();
    return item;
}

void TButtonCategory::Delete(int Index) {
    TButtonItem* item = FItems.at(size_t(Index));
    FItems.erase(FItems.begin() + Index);
    if (FOwner) FOwner->ItemRemoved(item);
    delete item;
    if (FOwner) FOwner->Changed();
}

void TButtonCategory::InsertItem(TButtonItem* Item, int Index) {
    if (TButtonCategory* from = Item->FCategory) {
        auto& list = from->FItems;
        list.erase(std::remove(list.begin(), list.end(), Item), list.end());
    }
    Index = std::clamp(Index, 0, int(FItems.size()));
    FItems.insert(FItems.begin() + Index, Item);
    Item->FCategory = this;
    if (FOwner) FOwner->Changed();
}

int TButtonCategory::GetIndex() const {
    if (!FOwner) return -1;
    TButtonCategories* list = FOwner->GetCategories();
    auto it = std::find(list->FItems.begin(), list->FItems.end(), this);
    return it == list->FItems.end() ? -1 : int(it - list->FItems.begin());
}

TButtonCategories::~TButtonCategories() {
    for (TButtonCategory* category : FItems) delete category;
}

TButtonCategory* TButtonCategories::Add() {
    TButtonCategory* category = FOwner ? FOwner->CreateCategory(this) : new TButtonCategory(nullptr);
    FItems.push_back(category);
    if (FOwner) FOwner->Changed();
    return category;
}

void TButtonCategories::Delete(int Index) {
    delete FItems.at(size_t(Index));
    FItems.erase(FItems.begin() + Index);
    if (FOwner) FOwner->Changed();
}

// --- The control --------------------------------------------------------------------------------

TClass TCategoryButtons::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCategoryButtons>(u"TCategoryButtons", TCustomControl::StaticClass()));
    return &meta;
}

TCategoryButtons::TCategoryButtons(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle.Exclude(csSetCaption);
    FColor = clWindow;
    FParentColor = false;
    SetBounds(0, 0, 150, 200);
}

TCategoryButtons::~TCategoryButtons() {
    TButtonCategories* categories = FCategories;
    FCategories = nullptr;
    if (categories) {
        for (TButtonCategory* category : categories->FItems) category->FOwner = nullptr;
        delete categories;
    }
}

TButtonCategories* TCategoryButtons::GetCategories() {
    if (!FCategories) FCategories = CreateCategories();
    return FCategories;
}

TButtonCategories* TCategoryButtons::CreateCategories() {
    return new TButtonCategories(this);
}

TButtonCategory* TCategoryButtons::CreateCategory(TButtonCategories*) {
    return new TButtonCategory(this);
}

TButtonItem* TCategoryButtons::CreateButton(TButtonCategory* Category) {
    return new TButtonItem(Category);
}

void TCategoryButtons::Changed() {
    Invalidate();
}

void TCategoryButtons::ItemRemoved(TButtonItem* Item) {
    if (FSelectedItem == Item) FSelectedItem = nullptr;
    if (FDownButton == Item) FDownButton = nullptr;
    if (FDragButton == Item) FDragButton = nullptr;
}

void TCategoryButtons::SetSelectedItem(TButtonItem* Value) {
    if (FSelectedItem == Value) return;
    FSelectedItem = Value;
    Invalidate();
}

void TCategoryButtons::SetButtonHeight(int Value) {
    if (FButtonHeight == Value || Value <= 0) return;
    FButtonHeight = Value;
    Invalidate();
}

void TCategoryButtons::SetScrollPos(int Value) {
    FScrollPos = std::max(0, Value);
    Invalidate();
}

int TCategoryButtons::HeaderHeight() {
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(GetFont());
    return canvas->TextHeight(u"Wg") + 6;
}

TRect TCategoryButtons::GetCategoryBounds(TButtonCategory* Category) {
    int y = -FScrollPos;
    const int width = GetClientWidth();
    const int header = HeaderHeight();
    for (TButtonCategory* c : GetCategories()->FItems) {
        const int h = header + (c->GetCollapsed() ? 0 : c->GetCount() * FButtonHeight);
        if (c == Category) return TRect(0, y, width, y + h);
        y += h + 1;
    }
    return TRect();
}

TRect TCategoryButtons::GetButtonRect(TButtonItem* Item) {
    if (!Item || !Item->GetCategory() || Item->GetCategory()->GetCollapsed()) return TRect();
    const TRect bounds = GetCategoryBounds(Item->GetCategory());
    const int top = bounds.top + HeaderHeight() + Item->GetIndex() * FButtonHeight;
    return TRect(bounds.left + 2, top, bounds.right - 2, top + FButtonHeight);
}

TButtonCategory* TCategoryButtons::GetCategoryAt(int X, int Y) {
    for (TButtonCategory* c : GetCategories()->FItems)
        if (GetCategoryBounds(c).Contains(TPoint(X, Y))) return c;
    return nullptr;
}

TButtonItem* TCategoryButtons::GetButtonAt(int X, int Y) {
    TButtonCategory* category = GetCategoryAt(X, Y);
    if (!category) return nullptr;
    for (TButtonItem* item : category->FItems)
        if (GetButtonRect(item).Contains(TPoint(X, Y))) return item;
    return nullptr;
}

void TCategoryButtons::MoveButtonTo(TButtonItem* Button, int X, int Y) {
    TButtonCategory* category = GetCategoryAt(X, Y);
    if (!Button || !category) return;
    TButtonItem* at = GetButtonAt(X, Y);
    if (at == Button) return;
    int index = at ? at->GetIndex() : category->GetCount();
    // It leaves its place first: a later place in the same category moves up by one.
    if (Button->GetCategory() == category && Button->GetIndex() < index) --index;
    category->InsertItem(Button, index);
}

void TCategoryButtons::DoBeginDrag() {
    FDragButton = FDownButton;
    FDownButton = nullptr;
    BeginDrag(true);
}

void TCategoryButtons::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FDownPos = TPoint(X, Y);
    FDownButton = GetButtonAt(X, Y);
    if (!FDownButton) {
        const TRect bounds = GetCategoryBounds(GetCategoryAt(X, Y));
        if (TButtonCategory* category = GetCategoryAt(X, Y); category && Y < bounds.top + HeaderHeight())
            category->SetCollapsed(!category->GetCollapsed());
    }
}

void TCategoryButtons::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FDownButton || !CanReorder()) return;
    const int threshold = GetSystemMetrics(SM_CXDRAG);
    if (std::abs(X - FDownPos.x) >= threshold || std::abs(Y - FDownPos.y) >= threshold)
        DoBeginDrag();
}

void TCategoryButtons::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    TButtonItem* pressed = FDownButton;
    FDownButton = nullptr;
    if (Button != mbLeft || !pressed || GetButtonAt(X, Y) != pressed) return;
    SetSelectedItem(pressed);
    if (pressed->OnClick)
        pressed->OnClick(this);
    else if (OnButtonClicked)
        OnButtonClicked(this, pressed);
}

void TCategoryButtons::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DRAG) {
        // A button of this control dragged over it: taken, and moved where it is dropped.
        auto* record = reinterpret_cast<TDragRec*>(Message.LParam);
        auto* source = record ? dynamic_cast<TDragControlObject*>(record->Source) : nullptr;
        const bool own = source && source->GetControl() == this && FDragButton;
        switch (Message.WParam) {
        case dmFindTarget:
            Message.Result = 0;
            return;
        case dmDragEnter:
        case dmDragMove:
            Message.Result = own ? 1 : 0;
            return;
        case dmDragDrop:
            if (own) {
                const TPoint p = ScreenToClient(record->Pos);
                MoveButtonTo(FDragButton, p.x, p.y);
            }
            FDragButton = nullptr;
            return;
        default:
            FDragButton = nullptr;
            return;
        }
    }
    TCustomControl::Dispatch(Message);
}

void TCategoryButtons::Paint() {
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(GetFont());
    canvas->GetBrush()->SetColor(FColor);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(TRect(0, 0, GetClientWidth(), GetClientHeight()));
    const int header = HeaderHeight();
    for (TButtonCategory* category : GetCategories()->FItems) {
        const TRect bounds = GetCategoryBounds(category);
        const TRect head(bounds.left, bounds.top, bounds.right, bounds.top + header);
        canvas->GetBrush()->SetColor(clBtnFace);
        canvas->FillRect(head);
        canvas->GetBrush()->SetStyle(bsClear);
        canvas->GetFont()->SetColor(clWindowText);
        canvas->TextOut(head.left + 4, head.top + 3,
                        UnicodeString(category->GetCollapsed() ? u"+ " : u"- ") + category->GetCaption());
        canvas->GetBrush()->SetStyle(bsSolid);
        if (category->GetCollapsed()) continue;
        for (TButtonItem* item : category->FItems) {
            const TRect r = GetButtonRect(item);
            const bool selected = item == FSelectedItem;
            canvas->GetBrush()->SetColor(selected ? clHighlight : FColor);
            canvas->FillRect(r);
            canvas->GetBrush()->SetStyle(bsClear);
            canvas->GetFont()->SetColor(selected ? clHighlightText : clWindowText);
            canvas->TextOut(r.left + 6, r.top + (r.Height() - canvas->TextHeight(u"Wg")) / 2,
                            item->GetCaption());
            canvas->GetBrush()->SetStyle(bsSolid);
        }
    }
}
