// TLabel: caption drawn with DrawText on the parent's window.
#include <quorlpak/StdCtrls.h>

#include "PublishControls.h"

#include <win32/wingdi.h>

#include <cwctype>

TClass TCustomLabel::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomLabel>(u"TCustomLabel", TGraphicControl::StaticClass()));
    return &meta;
}

namespace {

TClassBuilder<TLabel> LabelDescription() {
    using T = TLabel;
    TClassBuilder<T> b(u"TLabel", TCustomLabel::StaticClass());
    quorlpak::PublishControl(b);
    quorlpak::PublishCaption(b);
    b.Property(u"Alignment", TypeInfo_TAlignment, &T::GetAlignment, &T::SetAlignment)
        .Default(taLeftJustify)
        .Property(u"AutoSize", BooleanTypeInfo, &T::GetAutoSize, &T::SetAutoSize)
        .Default(1)
        .Property(u"EllipsisPosition", TypeInfo_TEllipsisPosition, &T::GetEllipsisPosition,
                  &T::SetEllipsisPosition)
        .Default(epNone)
        .Property(u"FocusControl", ClassTypeInfo<TWinControl>, &T::GetFocusControl,
                  &T::SetFocusControl)
        .Property(u"Layout", TypeInfo_TTextLayout, &T::GetLayout, &T::SetLayout)
        .Default(tlTop)
        .Property(u"ShowAccelChar", BooleanTypeInfo, &T::GetShowAccelChar, &T::SetShowAccelChar)
        .Default(1)
        .Property(u"Transparent", BooleanTypeInfo, &T::GetTransparent, &T::SetTransparent)
        .Default(0)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(0);
    return b;
}

} // namespace

TClass TLabel::StaticClass() {
    static const TMetaClass meta(LabelDescription());
    return &meta;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle.Include(csOpaque).Include(csReplicatable);
    FWidth = 65;
    FHeight = 17;
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
    if (FAutoSize == Value) return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    if (Value)
        FControlStyle.Exclude(csOpaque);
    else
        FControlStyle.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (FShowAccelChar == Value) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
    if (FEllipsisPosition == Value) return;
    FEllipsisPosition = Value;
    // An ellipsis needs a fixed width to cut at.
    if (Value != epNone) FAutoSize = false;
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
    if (FFocusControl == Value) return;
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

bool IsAccel(char16_t Key, const UnicodeString& Caption) {
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != u'&') continue;
        if (Caption[i + 1] == u'&') {
            ++i; // "&&" is a plain "&"
            continue;
        }
        return towupper(Caption[i + 1]) == towupper(Key);
    }
    return false;
}

UINT TCustomLabel::TextFlags() const {
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT flags = DT_EXPANDTABS | alignments[FAlignment];
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    else
        flags |= DT_SINGLELINE;
    if (!FShowAccelChar) flags |= DT_NOPREFIX;
    switch (FEllipsisPosition) {
    case epPathEllipsis:
        flags |= DT_PATH_ELLIPSIS;
        break;
    case epEndEllipsis:
        flags |= DT_END_ELLIPSIS;
        break;
    case epWordEllipsis:
        flags |= DT_WORD_ELLIPSIS;
        break;
    default:
        break;
    }
    return flags;
}

void TCustomLabel::DoDrawText(TRect& R, UINT Flags) {
    UnicodeString text = GetCaption();
    // An empty caption measures as one line, so that an autosized label keeps a height.
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == u"&"))) text = u" ";
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(FFont);
    HDC dc = canvas->GetHandle();
    RECT r = R;
    if (!GetEnabled() && !(Flags & DT_CALCRECT)) {
        // Disabled text: embossed, a light copy under a shadowed one.
        SetBkMode(dc, TRANSPARENT);
        OffsetRect(&r, 1, 1);
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        DrawTextW(dc, text.c_str(), int(text.size()), &r, Flags);
        OffsetRect(&r, -1, -1);
        SetTextColor(dc, ColorToRGB(clBtnShadow));
        DrawTextW(dc, text.c_str(), int(text.size()), &r, Flags);
    } else {
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text.c_str(), int(text.size()), &r, Flags);
    }
    R = r;
}

void TCustomLabel::Paint() {
    TCanvas* canvas = GetCanvas();
    TRect client = GetClientRect();
    if (!FTransparent) {
        canvas->GetBrush()->SetColor(FColor);
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->FillRect(client);
    }
    canvas->GetBrush()->SetStyle(bsClear);
    UINT flags = TextFlags();
    TRect r = client;
    if (FLayout != tlTop) {
        TRect measured = client;
        DoDrawText(measured, flags | DT_CALCRECT);
        int h = measured.Height();
        r.top = FLayout == tlBottom ? client.bottom - h : client.top + (client.Height() - h) / 2;
        r.bottom = r.top + h;
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (GetComponentState().Contains(csLoading) || !FAutoSize) return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, FFont->GetHandle());
    UnicodeString text = GetCaption();
    if (text.empty() || (FShowAccelChar && text == u"&")) text = u" ";
    RECT r{0, 0, FWordWrap ? FWidth : 0, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r,
              (TextFlags() & ~(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) |
                  DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    int left = FLeft;
    int width = r.right - r.left;
    if (FWordWrap) width = FWidth;
    // A right-aligned label grows to the left, a centred one both ways.
    if (FAlignment == taRightJustify)
        left += FWidth - width;
    else if (FAlignment == taCenter)
        left += (FWidth - width) / 2;
    SetBounds(left, FTop, width, r.bottom - r.top);
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        AdjustBounds();
        return;
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(Message);
        AdjustBounds();
        return;
    case CM_PARENTFONTCHANGED:
        TGraphicControl::Dispatch(Message);
        AdjustBounds();
        return;
    case CM_DIALOGCHAR:
        // The accelerator focuses the control the label names.
        if (FFocusControl && GetEnabled() && FShowAccelChar && GetShowing() &&
            IsAccel(char16_t(Message.WParam), GetCaption()) && FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
            return;
        }
        TGraphicControl::Dispatch(Message);
        return;
    default:
        TGraphicControl::Dispatch(Message);
    }
}
