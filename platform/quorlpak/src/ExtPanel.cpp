// TPanel: bevelled area with a caption that holds controls.
#include <quorlpak/ExtCtrls.h>

#include "PublishControls.h"

#include <win32/wingdi.h>

#include <algorithm>

namespace {

TClassBuilder<TPanel> PanelDescription() {
    using T = TPanel;
    TClassBuilder<T> b(u"TPanel", TCustomPanel::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    b.Property(u"Alignment", TypeInfo_TAlignment, &T::GetAlignment, &T::SetAlignment)
        .Default(taCenter)
        .Property(u"BevelInner", TypeInfo_TBevelCut, &T::GetBevelInner, &T::SetBevelInner)
        .Default(bvNone)
        .Property(u"BevelOuter", TypeInfo_TBevelCut, &T::GetBevelOuter, &T::SetBevelOuter)
        .Default(bvRaised)
        .Property(u"BevelWidth", IntegerTypeInfo, &T::GetBevelWidth, &T::SetBevelWidth)
        .Default(1)
        .Property(u"BorderWidth", IntegerTypeInfo, &T::GetBorderWidth, &T::SetBorderWidth)
        .Default(0)
        .Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
        .Default(bsNone)
        .Property(u"FullRepaint", BooleanTypeInfo, &T::GetFullRepaint, &T::SetFullRepaint)
        .Default(1)
        .Property(u"ShowCaption", BooleanTypeInfo, &T::GetShowCaption, &T::SetShowCaption)
        .Default(1)
        .Property(u"VerticalAlignment", TypeInfo_TTextLayout, &T::GetVerticalAlignment,
                  &T::SetVerticalAlignment)
        .Default(tlCenter);
    return b;
}

void Bevel(HDC DC, RECT& R, TBevelCut Cut, int Width) {
    if (Cut == bvNone) return;
    // Rings beyond half the rectangle paint nothing more.
    Width = std::min(Width, std::max(0, (std::min(R.right - R.left, R.bottom - R.top) + 1) / 2));
    COLORREF topLeft = GetSysColor(Cut == bvLowered ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    COLORREF bottomRight = GetSysColor(Cut == bvLowered ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
    if (Cut == bvSpace) topLeft = bottomRight = GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < Width; ++i) {
        HBRUSH light = CreateSolidBrush(topLeft), dark = CreateSolidBrush(bottomRight);
        RECT top{R.left, R.top, R.right, R.top + 1}, left{R.left, R.top, R.left + 1, R.bottom};
        RECT bottom{R.left, R.bottom - 1, R.right, R.bottom};
        RECT right{R.right - 1, R.top, R.right, R.bottom};
        FillRect(DC, &top, light);
        FillRect(DC, &left, light);
        FillRect(DC, &bottom, dark);
        FillRect(DC, &right, dark);
        DeleteObject(light);
        DeleteObject(dark);
        InflateRect(&R, -1, -1);
    }
}

} // namespace

TClass TCustomPanel::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomPanel>(u"TCustomPanel", TCustomControl::StaticClass()));
    return &meta;
}

TClass TPanel::StaticClass() {
    static const TMetaClass meta(PanelDescription());
    return &meta;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csOpaque,          csDoubleClicks, csReplicatable};
    FWidth = 185;
    FHeight = 41;
    // The panel's own bevels (not the bevel kind's edges).
    FBevelInner = bvNone;
    FBevelOuter = bvRaised;
    FBevelWidth = 1;
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TTextLayout Value) {
    if (FVerticalAlignment == Value) return;
    FVerticalAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomPanel::SetShowCaption(bool Value) {
    if (FShowCaption == Value) return;
    FShowCaption = Value;
    Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    int64_t bevels = (FBevelOuter != bvNone ? int64_t(FBevelWidth) : 0) +
                     (FBevelInner != bvNone ? int64_t(FBevelWidth) : 0);
    // The client rectangle is empty long before this bound.
    int inset = static_cast<int>(std::min<int64_t>(bevels, 1 << 24));
    Rect.left += inset;
    Rect.top += inset;
    Rect.right -= inset;
    Rect.bottom -= inset;
}

void TCustomPanel::Paint() {
    TCanvas* canvas = GetCanvas();
    HDC dc = canvas->GetHandle();
    RECT r = GetClientRect();
    Bevel(dc, r, FBevelOuter, FBevelWidth);
    // The border width is the panel's colour between the bevels.
    HBRUSH back = CreateSolidBrush(ColorToRGB(FColor));
    int rings = std::min(FBorderWidth, std::max(0, (std::min(r.right - r.left, r.bottom - r.top) + 1) / 2));
    for (int i = 0; i < rings; ++i) {
        RECT ring = r;
        FrameRect(dc, &ring, back);
        InflateRect(&r, -1, -1);
    }
    Bevel(dc, r, FBevelInner, FBevelWidth);
    FillRect(dc, &r, back);
    DeleteObject(back);
    UnicodeString caption = GetCaption();
    if (!FShowCaption || caption.empty()) return;
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    static const UINT layouts[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    HGDIOBJ oldFont = SelectObject(dc, FFont->GetHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetEnabled() ? ColorToRGB(FFont->GetColor()) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, caption.c_str(), int(caption.size()), &r,
              DT_SINGLELINE | DT_EXPANDTABS | alignments[FAlignment] | layouts[FVerticalAlignment]);
    SelectObject(dc, oldFont);
}

void TCustomPanel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    case CM_BORDERCHANGED:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}
