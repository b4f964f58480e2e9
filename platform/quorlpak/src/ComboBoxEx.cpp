// TComboBoxEx over the system "ComboBoxEx32" class.
#include <quorlpak/ComboBoxEx.h>

#include "PublishControls.h"
#include "StdSupport.h"

#include <quorlpak/Messages.h>
#include <win32/comboboxex.h>
#include <win32/commctrl.h>

namespace {

TClassBuilder<TComboBoxEx> ComboBoxExDescription() {
    using T = TComboBoxEx;
    TClassBuilder<T> b(u"TComboBoxEx", TCustomComboBoxEx::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"DropDownCount", IntegerTypeInfo, &T::GetDropDownCount, &T::SetDropDownCount)
        .Default(8)
        .Property(u"Style", TypeInfo_TComboBoxExStyle, &T::GetStyle, &T::SetStyle)
        .Default(csExDropDown)
        .Property(u"Images", ClassTypeInfo<TCustomImageList>, &T::GetImages, &T::SetImages)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomComboBoxEx::OnChange))
        .Event(u"OnCloseUp", static_cast<TNotifyEvent T::*>(&TCustomComboBoxEx::OnCloseUp))
        .Event(u"OnDropDown", static_cast<TNotifyEvent T::*>(&TCustomComboBoxEx::OnDropDown))
        .Event(u"OnSelect", static_cast<TNotifyEvent T::*>(&TCustomComboBoxEx::OnSelect));
    return b;
}

} // namespace

PTypeInfo TypeInfo_TComboBoxExStyle() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TComboBoxExStyle", {u"csExDropDown", u"csExSimple", u"csExDropDownList"});
    return &info;
}

// --- TComboExItem ---------------------------------------------------------------------

void TComboExItem::SetCaption(const UnicodeString& Value) {
    FCaption = Value;
    Changed();
}

void TComboExItem::SetImageIndex(int Value) {
    FImageIndex = Value;
    Changed();
}

void TComboExItem::SetSelectedImageIndex(int Value) {
    FSelectedImageIndex = Value;
    Changed();
}

void TComboExItem::SetOverlayImageIndex(int Value) {
    FOverlayImageIndex = Value;
    Changed();
}

void TComboExItem::SetIndent(int Value) {
    FIndent = Value;
    Changed();
}

int TComboExItem::GetIndex() const { return FOwner->IndexOf(this); }

void TComboExItem::Changed() {
    int index = GetIndex();
    if (index >= 0 && FOwner->FOwner) FOwner->FOwner->ItemChanged(index);
}

// --- TComboExItems --------------------------------------------------------------------

TComboExItems::~TComboExItems() = default;

TComboExItem* TComboExItems::Add() { return Insert(GetCount()); }

TComboExItem* TComboExItems::AddItem(const UnicodeString& Caption, int ImageIndex,
                                     int SelectedImageIndex, int OverlayImageIndex, int Indent,
                                     void* Data) {
    auto item = std::make_unique<TComboExItem>(this);
    item->FCaption = Caption;
    item->FImageIndex = ImageIndex;
    item->FSelectedImageIndex = SelectedImageIndex;
    item->FOverlayImageIndex = OverlayImageIndex;
    item->FIndent = Indent;
    item->FData = Data;
    FItems.push_back(std::move(item));
    if (FOwner) FOwner->ItemInserted(GetCount() - 1);
    return FItems.back().get();
}

TComboExItem* TComboExItems::Insert(int Index) {
    if (Index < 0 || Index > GetCount()) throw EListError(u"List index out of bounds (%d)", {Index});
    FItems.insert(FItems.begin() + Index, std::make_unique<TComboExItem>(this));
    if (FOwner) FOwner->ItemInserted(Index);
    return FItems[static_cast<size_t>(Index)].get();
}

void TComboExItems::Delete(int Index) {
    if (Index < 0 || Index >= GetCount()) throw EListError(u"List index out of bounds (%d)", {Index});
    FItems.erase(FItems.begin() + Index);
    if (FOwner) FOwner->ItemDeleted(Index);
}

void TComboExItems::Clear() {
    FItems.clear();
    if (FOwner) FOwner->ItemsCleared();
}

TComboExItem* TComboExItems::GetComboItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) throw EListError(u"List index out of bounds (%d)", {Index});
    return FItems[static_cast<size_t>(Index)].get();
}

int TComboExItems::IndexOf(const TComboExItem* Item) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == Item) return static_cast<int>(i);
    return -1;
}

void TComboExItems::BeginUpdate() {
    if (FUpdateCount++ == 0 && FOwner) FOwner->UpdateLockChanged(true);
}

void TComboExItems::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner) FOwner->UpdateLockChanged(false);
}

// --- TCustomComboBoxEx ---------------------------------------------------------------

TClass TCustomComboBoxEx::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomComboBoxEx>(u"TCustomComboBoxEx", TWinControl::StaticClass()));
    return &meta;
}

TClass TComboBoxEx::StaticClass() {
    static const TMetaClass meta(ComboBoxExDescription());
    return &meta;
}

TCustomComboBoxEx::TCustomComboBoxEx(TComponent* AOwner)
    : TWinControl(AOwner), FItemsEx(std::make_unique<TComboExItems>(this)),
      FImageChangeLink(std::make_unique<TChangeLink>()) {
    FControlStyle = {csSetCaption, csDoubleClicks, csFixedHeight};
    FWidth = 145;
    FHeight = 21;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(clWindow);
    FImageChangeLink->OnChange = [this](TObject*) { ApplyImageList(); };
}

TCustomComboBoxEx::~TCustomComboBoxEx() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
    // The window goes first, so that it does not report items already freed.
    DestroyHandle();
    FItemsEx->FOwner = nullptr;
}

void TCustomComboBoxEx::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_COMBOBOXEX);
    switch (FStyle) {
    case csExDropDownList:
        Params.Style |= CBS_DROPDOWNLIST;
        break;
    case csExSimple:
        Params.Style |= CBS_SIMPLE;
        break;
    default:
        Params.Style |= CBS_DROPDOWN;
        break;
    }
    if (FStyle != csExSimple)
        Params.Height += FDropDownCount * (quorlpak::FontHeight(FFont) + 2) + 2;
}

void TCustomComboBoxEx::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyImageList();
    for (int i = 0; i < FItemsEx->GetCount(); ++i) ItemInserted(i);
    if (FItemIndex >= FItemsEx->GetCount()) FItemIndex = -1;
    if (FItemIndex >= 0) SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TCustomComboBoxEx::DestroyWnd() {
    FItemIndex = static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
    TWinControl::DestroyWnd();
}

void TCustomComboBoxEx::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

HIMAGELIST TCustomComboBoxEx::ImageListHandle() {
    return FImages ? FImages->GetHandle() : nullptr;
}

void TCustomComboBoxEx::ApplyImageList() {
    if (HandleAllocated())
        SendMessageW(FHandle, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageListHandle()));
}

void TCustomComboBoxEx::SetImages(TCustomImageList* Value) {
    if (Value == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    ApplyImageList();
}

void TCustomComboBoxEx::SetStyle(TComboBoxExStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    RecreateWnd();
}

int TCustomComboBoxEx::GetItemIndex() {
    if (!HandleAllocated()) return FItemIndex;
    return static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TCustomComboBoxEx::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItemsEx->GetCount()) Value = -1;
    if (!HandleAllocated()) {
        FItemIndex = Value;
        return;
    }
    if (GetItemIndex() != Value) SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

bool TCustomComboBoxEx::GetDroppedDown() {
    return HandleAllocated() && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBoxEx::SetDroppedDown(bool Value) {
    SendMessageW(GetHandle(), CB_SHOWDROPDOWN, Value ? 1 : 0, 0);
}

UnicodeString TCustomComboBoxEx::GetText() {
    if (HandleAllocated()) return TWinControl::GetText();
    return FItemIndex >= 0 ? FItemsEx->GetComboItem(FItemIndex)->GetCaption() : UnicodeString();
}

void TCustomComboBoxEx::ItemInserted(int Index) {
    if (!HandleAllocated()) return;
    TComboExItem* item = FItemsEx->GetComboItem(Index);
    COMBOBOXEXITEMW record{};
    record.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY | CBEIF_INDENT |
                  CBEIF_LPARAM;
    record.iItem = Index;
    record.pszText = const_cast<LPWSTR>(item->GetCaption().c_str());
    record.iImage = item->GetImageIndex();
    record.iSelectedImage = item->GetSelectedImageIndex();
    record.iOverlay = item->GetOverlayImageIndex();
    record.iIndent = item->GetIndent();
    record.lParam = reinterpret_cast<LPARAM>(item->GetData());
    SendMessageW(FHandle, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&record));
}

void TCustomComboBoxEx::ItemChanged(int Index) {
    if (!HandleAllocated()) return;
    TComboExItem* item = FItemsEx->GetComboItem(Index);
    COMBOBOXEXITEMW record{};
    record.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY | CBEIF_INDENT;
    record.iItem = Index;
    record.pszText = const_cast<LPWSTR>(item->GetCaption().c_str());
    record.iImage = item->GetImageIndex();
    record.iSelectedImage = item->GetSelectedImageIndex();
    record.iOverlay = item->GetOverlayImageIndex();
    record.iIndent = item->GetIndent();
    SendMessageW(FHandle, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&record));
}

void TCustomComboBoxEx::ItemDeleted(int Index) {
    if (HandleAllocated()) SendMessageW(FHandle, CB_DELETESTRING, static_cast<WPARAM>(Index), 0);
}

void TCustomComboBoxEx::ItemsCleared() {
    if (HandleAllocated()) SendMessageW(FHandle, CB_RESETCONTENT, 0, 0);
}

void TCustomComboBoxEx::UpdateLockChanged(bool Locked) {
    if (!HandleAllocated()) return;
    SendMessageW(FHandle, WM_SETREDRAW, Locked ? FALSE : TRUE, 0);
    if (!Locked) InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomComboBoxEx::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBoxEx::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBoxEx::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        switch (HIWORD(Message.WParam)) {
        case CBN_SELCHANGE:
            Click();
            Select();
            break;
        case CBN_EDITCHANGE:
            Change();
            break;
        case CBN_DROPDOWN:
            if (OnDropDown) OnDropDown(this);
            break;
        case CBN_CLOSEUP:
            if (OnCloseUp) OnCloseUp(this);
            break;
        default:
            break;
        }
        return;
    }
    if (Message.Msg == CN_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
        if (header->code == CBEN_ENDEDITW &&
            reinterpret_cast<NMCBEENDEDITW*>(Message.LParam)->iWhy == CBENF_RETURN) {
            // Enter in the edit reaches the control as the key it is.
            uint16_t key = VK_RETURN;
            KeyDown(key, {});
        }
        Message.Result = 0;
        return;
    }
    TWinControl::Dispatch(Message);
}
