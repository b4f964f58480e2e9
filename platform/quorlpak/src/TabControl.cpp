// TTabControl over the system tab control.
#include <quorlpak/TabControl.h>

#include <runpak/StringList.h>
#include <runpak/TypeInfo.h>
#include <win32/commctrl.h>
#include <win32/windows.h>

TClass TCustomTabControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomTabControl>(u"TCustomTabControl", TWinControl::StaticClass()));
    return &meta;
}

TClass TTabControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTabControl>(u"TTabControl", TCustomTabControl::StaticClass()));
    return &meta;
}

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TWinControl(AOwner), FTabs(std::make_unique<TStringList>()),
      FImageChangeLink(std::make_unique<TChangeLink>()) {
    FControlStyle = TControlStyle{csAcceptsControls, csDoubleClicks};
    FTabStop = true;
    SetBounds(0, 0, 289, 193);
    FTabs->OnChange = [this](TObject*) { TabsChanged(); };
    FImageChangeLink->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
}

TCustomTabControl::~TCustomTabControl() {
    FTabs->OnChange = nullptr;
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
}

TStrings* TCustomTabControl::GetTabs() const {
    return FTabs.get();
}

void TCustomTabControl::SetTabs(TStrings* Value) {
    FTabs->Assign(Value);
}

void TCustomTabControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TABCONTROL);
    Params.Style |= WS_CLIPCHILDREN;
    if (FStyle == tsButtons) Params.Style |= TCS_BUTTONS;
    if (FStyle == tsFlatButtons) Params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    if (FTabWidth > 0) Params.Style |= TCS_FIXEDWIDTH;
}

void TCustomTabControl::CreateWnd() {
    TWinControl::CreateWnd();
    if (FImages)
        SendMessageW(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->GetHandle()));
    if (FTabWidth > 0 || FTabHeight > 0)
        SendMessageW(FHandle, TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    CopyTabsToWindow();
    SendMessageW(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    Realign();
}

void TCustomTabControl::DestroyWnd() {
    FTabIndex = GetTabIndex();
    TWinControl::DestroyWnd();
}

void TCustomTabControl::CopyTabsToWindow() {
    if (!HandleAllocated()) return;
    SendMessageW(FHandle, TCM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < FTabs->GetCount(); ++i) {
        UnicodeString text = FTabs->GetStrings(i);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text.data();
        item.iImage = GetImageIndex(i);
        SendMessageW(FHandle, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
    }
}

// The window's tabs follow the list; the current tab stays where it can.
void TCustomTabControl::TabsChanged() {
    if (!HandleAllocated()) {
        if (FTabIndex >= FTabs->GetCount()) FTabIndex = FTabs->GetCount() - 1;
        return;
    }
    const int current = GetTabIndex();
    CopyTabsToWindow();
    SendMessageW(FHandle, TCM_SETCURSEL,
                 static_cast<WPARAM>(std::min(current, FTabs->GetCount() - 1)), 0);
    Realign();
}

int TCustomTabControl::GetTabIndex() {
    if (!HandleAllocated()) return FTabIndex;
    return static_cast<int>(SendMessageW(FHandle, TCM_GETCURSEL, 0, 0));
}

void TCustomTabControl::SetTabIndex(int Value) {
    if (Value < -1 || Value >= FTabs->GetCount()) return;
    FTabIndex = Value;
    if (HandleAllocated()) SendMessageW(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
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
    if (HandleAllocated())
        SendMessageW(FHandle, TCM_SETIMAGELIST, 0,
                     reinterpret_cast<LPARAM>(FImages ? FImages->GetHandle() : nullptr));
    UpdateTabImages();
    Realign();
}

void TCustomTabControl::ImageListChange(TObject*) {
    if (HandleAllocated() && FImages)
        SendMessageW(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->GetHandle()));
    UpdateTabImages();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TCustomTabControl::SetStyle(TTabStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTabControl::SetTabWidth(int Value) {
    if (Value == FTabWidth || Value < 0) return;
    const bool fixedChanged = (Value > 0) != (FTabWidth > 0);
    FTabWidth = Value;
    if (!HandleAllocated()) return;
    if (fixedChanged) return RecreateWnd();
    SendMessageW(FHandle, TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    Realign();
}

void TCustomTabControl::SetTabHeight(int Value) {
    if (Value == FTabHeight || Value < 0) return;
    FTabHeight = Value;
    if (!HandleAllocated()) return;
    SendMessageW(FHandle, TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    Realign();
}

int TCustomTabControl::GetImageIndex(int TabIndex) {
    int index = TabIndex;
    if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, index);
    return index;
}

void TCustomTabControl::UpdateTabImages() {
    if (!HandleAllocated()) return;
    for (int i = 0; i < FTabs->GetCount(); ++i) {
        TCITEMW item{};
        item.mask = TCIF_IMAGE;
        item.iImage = GetImageIndex(i);
        SendMessageW(FHandle, TCM_SETITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
    }
}

TRect TCustomTabControl::GetDisplayRect() {
    TRect r = GetClientRect();
    if (HandleAllocated())
        SendMessageW(GetHandle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
    Rect = GetDisplayRect();
    TWinControl::AdjustClientRect(Rect);
}

TRect TCustomTabControl::TabRect(int Index) {
    TRect r;
    if (!HandleAllocated() ||
        !SendMessageW(GetHandle(), TCM_GETITEMRECT, static_cast<WPARAM>(Index),
                      reinterpret_cast<LPARAM>(&r)))
        return TRect();
    return r;
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) {
    if (!HandleAllocated()) return -1;
    TCHITTESTINFO info{};
    info.pt = POINT{X, Y};
    return static_cast<int>(
        SendMessageW(GetHandle(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

THitTests TCustomTabControl::GetHitTestInfoAt(int X, int Y) {
    THitTests result;
    const TRect client = GetClientRect();
    if (X < client.left || Y < client.top || X >= client.right || Y >= client.bottom) {
        if (X < client.left) result.Include(htToLeft);
        if (X >= client.right) result.Include(htToRight);
        if (Y < client.top) result.Include(htAbove);
        if (Y >= client.bottom) result.Include(htBelow);
        return result;
    }
    if (!HandleAllocated()) return THitTests{htNowhere};
    TCHITTESTINFO info{};
    info.pt = POINT{X, Y};
    SendMessageW(GetHandle(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
    if (info.flags & TCHT_NOWHERE) result.Include(htNowhere);
    if (info.flags & TCHT_ONITEMICON) result.Include(htOnIcon);
    if (info.flags & TCHT_ONITEMLABEL) result.Include(htOnLabel);
    if (info.flags & (TCHT_ONITEMICON | TCHT_ONITEMLABEL)) result.Include(htOnItem);
    return result;
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() {
    if (OnChange) OnChange(this);
}

void TCustomTabControl::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_BASE + WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
        if (header && header->code == TCN_SELCHANGING) {
            Message.Result = CanChange() ? 0 : 1;
            return;
        }
        if (header && header->code == TCN_SELCHANGE) {
            FTabIndex = GetTabIndex();
            Change();
            Message.Result = 0;
            return;
        }
    }
    TWinControl::Dispatch(Message);
    if (Message.Msg == WM_SIZE) Realign();
}
