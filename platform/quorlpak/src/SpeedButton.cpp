#include <quorlpak/Buttons.h>
#include <quorlpak/CustomControl.h>
#include <runpak/TypeInfo.h>

TClass TSpeedButton::StaticClass() {
    using T = TSpeedButton;
    static const TMetaClass meta(TClassBuilder<T>(u"TSpeedButton", TGraphicControl::StaticClass())
                                     .Property(u"Flat", BooleanTypeInfo, &T::GetFlat, &T::SetFlat)
                                     .Default(false));
    return &meta;
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 23, 22);
    FControlStyle.Include(csCaptureMouse);
    FControlStyle.Include(csDoubleClicks);
}

void TSpeedButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetEnabled(bool Value) {
    TGraphicControl::SetEnabled(Value);
    FState = Value ? bsUp : bsDisabled;
    Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !GetEnabled()) return;
    FState = bsDown;
    FDragging = true;
    Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    bool inside = X >= 0 && X < GetWidth() && Y >= 0 && Y < GetHeight();
    TButtonState state = inside ? bsDown : bsUp;
    if (state == FState) return;
    FState = state;
    Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging || Button != mbLeft) return;
    FDragging = false;
    bool inside = X >= 0 && X < GetWidth() && Y >= 0 && Y < GetHeight();
    FState = GetEnabled() ? bsUp : bsDisabled;
    Invalidate();
    if (inside) Click();
}

void TSpeedButton::DoMouseEnter() {
    TGraphicControl::DoMouseEnter();
    FMouseInControl = true;
    if (FFlat && GetEnabled()) Invalidate();
}

void TSpeedButton::DoMouseLeave() {
    TGraphicControl::DoMouseLeave();
    FMouseInControl = false;
    if (FFlat && GetEnabled()) Invalidate();
}

void TSpeedButton::Paint() {
    TRect r(0, 0, GetWidth(), GetHeight());
    GetCanvas()->GetBrush()->SetColor(GetColor());
    GetCanvas()->GetBrush()->SetStyle(bsSolid);
    GetCanvas()->FillRect(r);
    if (FFlat && !FMouseInControl && FState != bsDown) return;
    UINT edge = FState == bsDown ? BDR_SUNKENOUTER : BDR_RAISEDINNER;
    DrawEdge(GetCanvas()->GetHandle(), &r, edge, BF_RECT);
}
