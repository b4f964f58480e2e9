// TBitBtn: push buttons of a kind, with an optional glyph.
#include <quorlpak/Buttons.h>
#include <quorlpak/Form.h>

#include "PublishControls.h"

#include <win32/wingdi.h>

namespace {

struct KindInfo {
    const char16_t* Caption;
    TModalResult Result;
};

constexpr KindInfo kKinds[] = {
    {u"", mrNone},          // bkCustom
    {u"OK", mrOk},          // bkOK
    {u"Cancel", mrCancel},  // bkCancel
    {u"&Help", mrNone},     // bkHelp
    {u"&Yes", mrYes},       // bkYes
    {u"&No", mrNo},         // bkNo
    {u"&Close", mrNone},    // bkClose
    {u"Abort", mrAbort},    // bkAbort
    {u"&Retry", mrRetry},   // bkRetry
    {u"&Ignore", mrIgnore}, // bkIgnore
    {u"&All", mrAll},       // bkAll
};

bool IsDefaultKind(TBitBtnKind Kind) {
    return Kind == bkOK || Kind == bkYes;
}
bool IsCancelKind(TBitBtnKind Kind) {
    return Kind == bkCancel || Kind == bkNo;
}

TClassBuilder<TBitBtn> BitBtnDescription() {
    using T = TBitBtn;
    TClassBuilder<T> b(u"TBitBtn", TButton::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    // Kind first: reading it sets what the properties after it may change again.
    b.Property(u"Kind", TypeInfo_TBitBtnKind, &T::GetKind, &T::SetKind)
        .Default(bkCustom)
        .Property(u"Cancel", BooleanTypeInfo, &T::GetCancel, &T::SetCancel)
        .Stored([](T* c) { return c->GetKind() == bkCustom; })
        .Property(u"Default", BooleanTypeInfo, &T::GetDefault, &T::SetDefault)
        .Stored([](T* c) { return c->GetKind() == bkCustom; })
        .Property(u"ModalResult", TypeInfo_TModalResult, &T::GetModalResult, &T::SetModalResult)
        .Stored([](T* c) { return c->GetKind() == bkCustom; })
        .Property(u"Glyph", ClassTypeInfo<TBitmap>, &T::GetGlyph, &T::SetGlyph)
        .Stored([](T* c) { return c->GetKind() == bkCustom; })
        .Property(u"Layout", TypeInfo_TButtonLayout, &T::GetLayout, &T::SetLayout)
        .Default(blGlyphLeft)
        .Property(u"Margin", IntegerTypeInfo, &T::GetMargin, &T::SetMargin)
        .Default(-1)
        .Property(u"NumGlyphs", IntegerTypeInfo, &T::GetNumGlyphs, &T::SetNumGlyphs)
        .Default(1)
        .Property(u"Spacing", IntegerTypeInfo, &T::GetSpacing, &T::SetSpacing)
        .Default(4)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(0);
    return b;
}

} // namespace

UnicodeString BitBtnCaption(TBitBtnKind Kind) {
    return kKinds[Kind].Caption;
}

TModalResult BitBtnModalResult(TBitBtnKind Kind) {
    return kKinds[Kind].Result;
}

TClass TBitBtn::StaticClass() {
    static const TMetaClass meta(BitBtnDescription());
    return &meta;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap) {
    FGlyph->OnChange = [this](TObject*) {
        FModifiedGlyph = true;
        Invalidate();
    };
}

TBitBtn::~TBitBtn() {
    FGlyph->OnChange = nullptr;
    FGlyph.reset();
}

TBitBtnKind TBitBtn::GetKind() const {
    if (FKind == bkCustom) return bkCustom;
    if (IsDefaultKind(FKind) != FDefault || IsCancelKind(FKind) != FCancel ||
        FModalResult != kKinds[FKind].Result || FModifiedGlyph)
        return bkCustom;
    return FKind;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
    if (Value == FKind && Value == GetKind()) return;
    if (Value != bkCustom) {
        SetDefault(IsDefaultKind(Value));
        SetCancel(IsCancelKind(Value));
        // A description may give its own caption, before or after the kind.
        if (!GetComponentState().Contains(csLoading) || GetCaption().empty())
            SetCaption(kKinds[Value].Caption);
        SetModalResult(kKinds[Value].Result);
        FModifiedGlyph = false;
    }
    FKind = Value;
    Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* Value) {
    FGlyph->Assign(Value);
    FModifiedGlyph = true;
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TBitBtn::SetMargin(int Value) {
    if (FMargin == Value || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
    if (FSpacing == Value) return;
    FSpacing = Value;
    Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs Value) {
    Value = std::clamp(Value, 1, 4);
    if (FNumGlyphs == Value) return;
    FNumGlyphs = Value;
    Invalidate();
}

void TBitBtn::Click() {
    if (FKind == bkClose && GetKind() == bkClose) {
        if (TCustomForm* form = GetParentForm()) {
            form->Close();
            TControl::Click();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::DrawCaption(HDC DC, const TRect& R, UINT State) {
    UnicodeString caption = GetCaption();
    // The glyph is the first (or, disabled, the second) of NumGlyphs images side by side.
    int glyphWidth = 0, glyphHeight = 0;
    if (!FGlyph->GetEmpty()) {
        glyphWidth = FGlyph->GetWidth() / FNumGlyphs;
        glyphHeight = FGlyph->GetHeight();
    }
    HGDIOBJ oldFont = SelectObject(DC, FFont->GetHandle());
    RECT measured{0, 0, 0, 0};
    if (!caption.empty())
        DrawTextW(DC, caption.c_str(), int(caption.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
    const int textWidth = measured.right, textHeight = measured.bottom;
    const bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    const int spacing = glyphWidth > 0 && !caption.empty() ? FSpacing : 0;
    const int totalWidth =
        horizontal ? glyphWidth + spacing + textWidth : std::max(glyphWidth, textWidth);
    const int totalHeight =
        horizontal ? std::max(glyphHeight, textHeight) : glyphHeight + spacing + textHeight;
    int x = R.left + (R.Width() - totalWidth) / 2;
    int y = R.top + (R.Height() - totalHeight) / 2;
    if (FMargin >= 0 && FLayout == blGlyphLeft) x = R.left + FMargin;
    if (FMargin >= 0 && FLayout == blGlyphRight) x = R.right - FMargin - totalWidth;
    int glyphX = x, glyphY = y + (totalHeight - glyphHeight) / 2;
    int textX = x + glyphWidth + spacing, textY = y + (totalHeight - textHeight) / 2;
    switch (FLayout) {
    case blGlyphRight:
        textX = x;
        glyphX = x + textWidth + spacing;
        break;
    case blGlyphTop:
        glyphX = x + (totalWidth - glyphWidth) / 2;
        glyphY = y;
        textX = x + (totalWidth - textWidth) / 2;
        textY = y + glyphHeight + spacing;
        break;
    case blGlyphBottom:
        textX = x + (totalWidth - textWidth) / 2;
        textY = y;
        glyphX = x + (totalWidth - glyphWidth) / 2;
        glyphY = y + textHeight + spacing;
        break;
    default:
        break;
    }
    if (glyphWidth > 0) {
        const int image = (State & ODS_DISABLED) && FNumGlyphs > 1 ? 1 : 0;
        HDC source = FGlyph->GetCanvas()->GetHandle();
        BitBlt(DC, glyphX, glyphY, glyphWidth, glyphHeight, source, image * glyphWidth, 0, SRCCOPY);
    }
    if (!caption.empty()) {
        SetBkMode(DC, TRANSPARENT);
        SetTextColor(DC, (State & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                                                : ColorToRGB(FFont->GetColor()));
        RECT r{textX, textY, textX + textWidth, textY + textHeight};
        DrawTextW(DC, caption.c_str(), int(caption.size()), &r, DT_SINGLELINE | DT_CENTER);
    }
    SelectObject(DC, oldFont);
}
