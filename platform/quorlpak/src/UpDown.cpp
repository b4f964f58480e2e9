// TUpDown: arrow buttons over the system up-down control.
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Messages.h>

#include <win32/commctrl.h>

#include "PublishControls.h"

#include <algorithm>

PTypeInfo TypeInfo_TUDAlignButton() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TUDAlignButton", {u"udLeft", u"udRight"});
    return &info;
}

PTypeInfo TypeInfo_TUDOrientation() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TUDOrientation", {u"udHorizontal", u"udVertical"});
    return &info;
}

TClass TCustomUpDown::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomUpDown>(u"TCustomUpDown", TWinControl::StaticClass()));
    return &meta;
}

namespace {

TClassBuilder<TUpDown> UpDownDescription() {
    using T = TUpDown;
    TClassBuilder<T> b(u"TUpDown", TCustomUpDown::StaticClass());
    b.Property(u"Align", TypeInfo_TAlign, &T::GetAlign, &T::SetAlign)
        .Default(alNone)
        .Property(u"Anchors", TypeInfo_TAnchors, &T::GetAnchors, &T::SetAnchors)
        .Default(TAnchors{akLeft, akTop}.ToInt())
        .Property(u"AlignButton", TypeInfo_TUDAlignButton, &T::GetAlignButton, &T::SetAlignButton)
        .Default(udRight)
        .Property(u"Associate", ClassTypeInfo<TWinControl>, &T::GetAssociate, &T::SetAssociate)
        .Property(u"ArrowKeys", BooleanTypeInfo, &T::GetArrowKeys, &T::SetArrowKeys)
        .Default(1)
        .Property(u"Enabled", BooleanTypeInfo, &T::GetEnabled, &T::SetEnabled)
        .Default(1)
        .Property(u"Hint", UnicodeStringTypeInfo, &T::GetHint, &T::SetHint)
        .Property(u"Min", IntegerTypeInfo, &T::GetMin, &T::SetMin)
        .Default(0)
        .Property(u"Max", IntegerTypeInfo, &T::GetMax, &T::SetMax)
        .Default(100)
        .Property(u"Increment", IntegerTypeInfo, &T::GetIncrement, &T::SetIncrement)
        .Default(1)
        .Property(u"Orientation", TypeInfo_TUDOrientation, &T::GetOrientation, &T::SetOrientation)
        .Default(udVertical)
        .Property(u"ParentShowHint", BooleanTypeInfo, &T::GetParentShowHint, &T::SetParentShowHint)
        .Default(1)
        .Property(u"Position", IntegerTypeInfo, &T::GetPosition, &T::SetPosition)
        .Default(0)
        .Property(u"ShowHint", BooleanTypeInfo, &T::GetShowHint, &T::SetShowHint)
        .Stored([](T* c) { return !c->GetParentShowHint(); })
        .Property(u"TabOrder", IntegerTypeInfo, &T::GetTabOrder, &T::SetTabOrder)
        .Property(u"TabStop", BooleanTypeInfo, &T::GetTabStop, &T::SetTabStop)
        .Property(u"Thousands", BooleanTypeInfo, &T::GetThousands, &T::SetThousands)
        .Default(1)
        .Property(u"Visible", BooleanTypeInfo, &T::GetVisible, &T::SetVisible)
        .Default(1)
        .Property(u"Wrap", BooleanTypeInfo, &T::GetWrap, &T::SetWrap)
        .Default(0)
        .Event(u"OnChanging", static_cast<TUDChangingEvent T::*>(&TCustomUpDown::OnChanging))
        .Event(u"OnChangingEx", static_cast<TUDChangingEventEx T::*>(&TCustomUpDown::OnChangingEx))
        .Event(u"OnClick", static_cast<TUDClickEvent T::*>(&TCustomUpDown::OnClick))
        .Event(u"OnEnter", static_cast<TNotifyEvent T::*>(&TWinControl::OnEnter))
        .Event(u"OnExit", static_cast<TNotifyEvent T::*>(&TWinControl::OnExit));
    return b;
}

} // namespace

TClass TUpDown::StaticClass() {
    static const TMetaClass meta(UpDownDescription());
    return &meta;
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = GetSystemMetrics(SM_CXVSCROLL);
    FHeight = GetSystemMetrics(SM_CYVSCROLL) * 2;
    FControlStyle.Exclude(csDoubleClicks);
}

TCustomUpDown::~TCustomUpDown() {
    if (FAssociate) FAssociate->RemoveFreeNotification(this);
}

void TCustomUpDown::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, UPDOWN_CLASS);
    Params.Style |= UDS_SETBUDDYINT;
    if (FAssociate) Params.Style |= FAlignButton == udLeft ? UDS_ALIGNLEFT : UDS_ALIGNRIGHT;
    if (FArrowKeys) Params.Style |= UDS_ARROWKEYS;
    if (FOrientation == udHorizontal) Params.Style |= UDS_HORZ;
    if (!FThousands) Params.Style |= UDS_NOTHOUSANDS;
    if (FWrap) Params.Style |= UDS_WRAP;
}

void TCustomUpDown::CreateWnd() {
    TWinControl::CreateWnd();
    HWND handle = FHandle;
    SendMessageW(handle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    UDACCEL accel{0, static_cast<UINT>(FIncrement)};
    SendMessageW(handle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    SendMessageW(handle, UDM_SETPOS32, 0, FPosition);
    UpdateBuddy();
}

void TCustomUpDown::DestroyWnd() {
    GetPosition();
    TWinControl::DestroyWnd();
}

void TCustomUpDown::UpdateBuddy() {
    if (!FHandle) return;
    HWND buddy = nullptr;
    if (FAssociate && FAssociate->GetParent()) buddy = FAssociate->GetHandle();
    SendMessageW(FHandle, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
}

void TCustomUpDown::SetAssociate(TWinControl* Value) {
    if (Value == this) Value = nullptr;
    if (FAssociate == Value) return;
    if (FAssociate) FAssociate->RemoveFreeNotification(this);
    const bool alignChanges = (FAssociate == nullptr) != (Value == nullptr);
    FAssociate = Value;
    if (Value) Value->FreeNotification(this);
    if (!FHandle) return;
    if (alignChanges)
        RecreateWnd();
    else
        UpdateBuddy();
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate) {
        FAssociate = nullptr;
        if (FHandle) SendMessageW(FHandle, UDM_SETBUDDY, 0, 0);
    }
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value) {
    if (FAlignButton == Value) return;
    FAlignButton = Value;
    if (FHandle) RecreateWnd();
}

void TCustomUpDown::SetArrowKeys(bool Value) {
    if (FArrowKeys == Value) return;
    FArrowKeys = Value;
    if (FHandle) RecreateWnd();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
    if (FOrientation == Value) return;
    FOrientation = Value;
    if (FHandle) RecreateWnd();
}

void TCustomUpDown::SetThousands(bool Value) {
    if (FThousands == Value) return;
    FThousands = Value;
    if (FHandle) RecreateWnd();
}

void TCustomUpDown::SetWrap(bool Value) {
    if (FWrap == Value) return;
    FWrap = Value;
    if (FHandle) RecreateWnd();
}

void TCustomUpDown::SetIncrement(int Value) {
    if (Value < 1) Value = 1;
    if (FIncrement == Value) return;
    FIncrement = Value;
    if (!FHandle) return;
    UDACCEL accel{0, static_cast<UINT>(Value)};
    SendMessageW(FHandle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TCustomUpDown::SetMin(int Value) {
    if (FMin == Value) return;
    FMin = Value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
    if (FHandle) SendMessageW(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
}

void TCustomUpDown::SetMax(int Value) {
    if (FMax == Value) return;
    FMax = Value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
    if (FHandle) SendMessageW(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
}

int TCustomUpDown::GetPosition() {
    if (FHandle) FPosition = static_cast<int>(SendMessageW(FHandle, UDM_GETPOS32, 0, 0));
    return FPosition;
}

void TCustomUpDown::SetPosition(int Value) {
    // While being read the range may not be there yet: keep the value as given.
    if (!GetComponentState().Contains(csLoading))
        Value = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
    FPosition = Value;
    if (FHandle) SendMessageW(FHandle, UDM_SETPOS32, 0, Value);
}

bool TCustomUpDown::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

bool TCustomUpDown::DoCanChange(int NewVal, int Delta) {
    bool allow = CanChange();
    if (allow && OnChangingEx)
        OnChangingEx(this, allow, NewVal, Delta == 0 ? updNone : Delta > 0 ? updUp : updDown);
    return allow;
}

void TCustomUpDown::Click(TUDBtnType Button) {
    if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_NOTIFY) {
        auto* nm = reinterpret_cast<NMUPDOWN*>(Message.LParam);
        if (nm && nm->hdr.code == UDN_DELTAPOS) {
            const int lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
            const int64_t wanted = static_cast<int64_t>(nm->iPos) + nm->iDelta;
            const int next = static_cast<int>(std::clamp<int64_t>(wanted, lo, hi));
            const bool allow = DoCanChange(next, nm->iDelta);
            FLastDelta = allow ? nm->iDelta : 0;
            Message.Result = allow ? 0 : 1;
            return;
        }
    }
    if (Message.Msg == CN_VSCROLL || Message.Msg == CN_HSCROLL) {
        if (LOWORD(Message.WParam) == SB_THUMBPOSITION) {
            GetPosition();
            const int delta = FLastDelta;
            FLastDelta = 0;
            // Towards Max is "next", whichever way round the range is.
            const bool towardsMax = FMax >= FMin ? delta > 0 : delta < 0;
            Click(towardsMax ? btNext : btPrev);
        }
        Message.Result = 0;
        return;
    }
    TWinControl::Dispatch(Message);
}
