#include "IDEGauges.h"

#include <runpak/TypeInfo.h>
#include <runpak/Exceptions.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/TypeInfos.h>
#include <runpak/Format.h>
#include <win32/winuser.h>

#include <climits>
#include <algorithm>
#include <cmath>

namespace {

const char16_t* const SOutOfRange = u"Value must be between %d and %d";

// Round half to even, as the gauge rounds its pie and needle end points.
int RoundEven(double V) {
    return static_cast<int>(std::nearbyint(V));
}

void ClearToBlack(TBitmap* Bitmap) {
    PatBlt(Bitmap->GetCanvas()->GetHandle(), 0, 0, Bitmap->GetWidth(), Bitmap->GetHeight(),
           BLACKNESS);
}

void XorOnto(TBitmap* Image, TBitmap* Layer) {
    BitBlt(Image->GetCanvas()->GetHandle(), 0, 0, Layer->GetWidth(), Layer->GetHeight(),
           Layer->GetCanvas()->GetHandle(), 0, 0, SRCINVERT);
}

} // namespace

int GaugePercent(int64_t Value, int64_t Min, int64_t Max) {
    // Wide arithmetic: ranges near the whole 32-bit span must not overflow.
    int64_t range = Max - Min;
    if (range == 0) return 0;
    return static_cast<int>((Value - Min) * 100 / range);
}

int GaugeScale(int Percent, int Length) {
    return static_cast<int>(Percent * 0.01 * Length);
}

void TBltBitmap::MakeLike(TBitmap* ATemplate) {
    SetSize(ATemplate->GetWidth(), ATemplate->GetHeight());
    GetCanvas()->GetBrush()->SetColor(clWindowFrame);
    GetCanvas()->GetBrush()->SetStyle(bsSolid);
    GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
}

PTypeInfo TypeInfo_TGaugeKind() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TGaugeKind", {u"gkText", u"gkHorizontalBar", u"gkVerticalBar", u"gkPie", u"gkNeedle"});
    return &info;
}

TClass TIDEGauge::StaticClass() {
    using T = TIDEGauge;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEGauge", TGraphicControl::StaticClass())
            .Property(u"Kind", TypeInfo_TGaugeKind, &T::GetKind, &T::SetKind)
            .Default(gkHorizontalBar)
            .Property(u"ShowText", BooleanTypeInfo, &T::GetShowText, &T::SetShowText)
            .Default(true)
            .Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle,
                      &T::SetBorderStyle)
            .Default(bsSingle)
            .Property(u"ForeColor", TypeInfo_TColor, &T::GetForeColor, &T::SetForeColor)
            .Default(clBlack)
            .Property(u"BackColor", TypeInfo_TColor, &T::GetBackColor, &T::SetBackColor)
            .Default(clWhite)
            .Property(u"MinValue", IntegerTypeInfo, &T::GetMinValue, &T::SetMinValue)
            .Default(0)
            .Property(u"MaxValue", IntegerTypeInfo, &T::GetMaxValue, &T::SetMaxValue)
            .Default(100)
            .Property(u"Progress", IntegerTypeInfo, &T::GetProgress, &T::SetProgress)
            .Default(0));
    return &meta;
}

TIDEGauge::TIDEGauge(TComponent* AOwner) : TGraphicControl(AOwner) {
    TControlStyle style = GetControlStyle();
    style.Include(csFramed);
    style.Include(csOpaque);
    SetControlStyle(style);
    SetBounds(GetLeft(), GetTop(), 100, 100);
}

int TIDEGauge::GetPercentDone() const {
    return GaugePercent(FCurValue, FMinValue, FMaxValue);
}

void TIDEGauge::SetMinValue(int Value) {
    if (Value == FMinValue) return;
    if (Value > FMaxValue && !GetComponentState().Contains(csLoading))
        throw EInvalidOperation(SOutOfRange, {INT_MIN + 1, FMaxValue - 1});
    FMinValue = Value;
    if (FCurValue < Value) FCurValue = Value;
    Refresh();
}

void TIDEGauge::SetMaxValue(int Value) {
    if (Value == FMaxValue) return;
    if (Value < FMinValue && !GetComponentState().Contains(csLoading))
        throw EInvalidOperation(SOutOfRange, {FMinValue + 1, INT_MAX});
    FMaxValue = Value;
    if (FCurValue > Value) FCurValue = Value;
    Refresh();
}

void TIDEGauge::SetProgress(int Value) {
    int before = GetPercentDone();
    if (Value < FMinValue) Value = FMinValue;
    else if (Value > FMaxValue) Value = FMaxValue;
    if (Value == FCurValue) return;
    FCurValue = Value;
    if (before != GetPercentDone()) Refresh();
}

void TIDEGauge::AddProgress(int Value) {
    SetProgress(static_cast<int>(
        std::clamp<int64_t>(int64_t(FCurValue) + Value, INT_MIN, INT_MAX)));
    Refresh();
}

void TIDEGauge::SetKind(TGaugeKind Value) {
    if (Value == FKind) return;
    FKind = Value;
    Refresh();
}

void TIDEGauge::SetShowText(bool Value) {
    if (Value == FShowText) return;
    FShowText = Value;
    Refresh();
}

void TIDEGauge::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    Refresh();
}

void TIDEGauge::SetForeColor(TColor Value) {
    if (Value == FForeColor) return;
    FForeColor = Value;
    Refresh();
}

void TIDEGauge::SetBackColor(TColor Value) {
    if (Value == FBackColor) return;
    FBackColor = Value;
    Refresh();
}

void TIDEGauge::Paint() {
    TBitmap image(GetWidth(), GetHeight());
    ClearToBlack(&image);
    TRect paintRect = GetClientRect();
    if (FBorderStyle == bsSingle) InflateRect(&paintRect, -1, -1);

    TBltBitmap work;
    work.MakeLike(&image);
    ClearToBlack(&work);
    switch (FKind) {
    case gkText:
        PaintAsNothing(work.GetCanvas(), paintRect);
        break;
    case gkHorizontalBar:
    case gkVerticalBar:
        PaintAsBar(work.GetCanvas(), paintRect);
        break;
    case gkPie:
        PaintAsPie(work.GetCanvas(), paintRect);
        break;
    case gkNeedle:
        PaintAsNeedle(work.GetCanvas(), paintRect);
        break;
    }
    XorOnto(&image, &work);
    if (FShowText) {
        TBltBitmap text;
        text.MakeLike(&image);
        ClearToBlack(&text);
        PaintAsText(text.GetCanvas(), paintRect);
        XorOnto(&image, &text);
    }
    GetCanvas()->SetCopyMode(cmSrcCopy);
    GetCanvas()->Draw(0, 0, &image);
}

void TIDEGauge::PaintBackground(TCanvas* AnImage) {
    AnImage->GetBrush()->SetColor(GetColor());
    AnImage->GetBrush()->SetStyle(bsSolid);
    AnImage->FillRect(GetClientRect());
}

void TIDEGauge::PaintAsText(TCanvas* AnImage, const TRect& PaintRect) {
    UnicodeString s = Format(u"%d%%", GetPercentDone());
    AnImage->GetBrush()->SetStyle(bsClear);
    AnImage->SetFont(GetFont());
    AnImage->GetFont()->SetColor(clWhite);
    TSize size = AnImage->TextExtent(s);
    // Centred on the rectangle's size, not offset by its own corner.
    int x = (PaintRect.right - PaintRect.left + 1 - size.cx) / 2;
    int y = (PaintRect.bottom - PaintRect.top + 1 - size.cy) / 2;
    AnImage->TextRect(PaintRect, x, y, s);
}

void TIDEGauge::PaintAsNothing(TCanvas* AnImage, const TRect& PaintRect) {
    AnImage->GetBrush()->SetColor(FBackColor);
    AnImage->GetBrush()->SetStyle(bsSolid);
    AnImage->FillRect(PaintRect);
}

void TIDEGauge::PaintAsBar(TCanvas* AnImage, const TRect& PaintRect) {
    int percent = GetPercentDone();
    int w = PaintRect.right - PaintRect.left + 1;
    int h = PaintRect.bottom - PaintRect.top + 1;
    AnImage->GetBrush()->SetColor(FBackColor);
    AnImage->GetBrush()->SetStyle(bsSolid);
    AnImage->FillRect(PaintRect);
    AnImage->GetPen()->SetColor(FForeColor);
    AnImage->GetPen()->SetWidth(1);
    AnImage->GetBrush()->SetColor(FForeColor);
    if (FKind == gkHorizontalBar) {
        int n = std::min(GaugeScale(percent, w), w);
        if (n > 0) AnImage->FillRect(TRect(PaintRect.left, PaintRect.top, n, h));
        return;
    }
    int n = std::min(GaugeScale(percent, h), h - 1);
    AnImage->FillRect(TRect(PaintRect.left, h - n, w, h));
}

// The pie and the needle start alike: the background filled, the dial's
// colours chosen, and the size (one more each way inside a single border).
void TIDEGauge::PrepareDial(TCanvas* AnImage, const TRect& PaintRect, int& w, int& h) {
    w = PaintRect.right - PaintRect.left;
    h = PaintRect.bottom - PaintRect.top;
    if (FBorderStyle == bsSingle) {
        ++w;
        ++h;
    }
    AnImage->GetBrush()->SetColor(GetColor());
    AnImage->GetBrush()->SetStyle(bsSolid);
    AnImage->FillRect(PaintRect);
    AnImage->GetBrush()->SetColor(FBackColor);
    AnImage->GetPen()->SetColor(FForeColor);
    AnImage->GetPen()->SetWidth(1);
}

void TIDEGauge::PaintAsPie(TCanvas* AnImage, const TRect& PaintRect) {
    int w, h;
    PrepareDial(AnImage, PaintRect, w, h);
    AnImage->Ellipse(PaintRect.left, PaintRect.top, w, h);
    int percent = GetPercentDone();
    if (percent <= 0) return;
    AnImage->GetBrush()->SetColor(FForeColor);
    int cx = w / 2, cy = h / 2;
    double a = (percent / 50.0 + 0.5) * M_PI;
    AnImage->Pie(PaintRect.left, PaintRect.top, w, h, RoundEven(cx * (1 - std::cos(a))),
                 RoundEven(cy * (1 - std::sin(a))), cx, 0);
}

void TIDEGauge::PaintAsNeedle(TCanvas* AnImage, const TRect& PaintRect) {
    int w, h;
    PrepareDial(AnImage, PaintRect, w, h);
    // The upper half of an ellipse twice the height is the dial.
    AnImage->Pie(PaintRect.left, PaintRect.top, w, h * 2 - 1, PaintRect.left + w,
                 PaintRect.bottom - 1, PaintRect.left, PaintRect.bottom - 1);
    AnImage->MoveTo(PaintRect.left, PaintRect.bottom);
    AnImage->LineTo(PaintRect.left + w, PaintRect.bottom);
    int percent = GetPercentDone();
    if (percent <= 0) return;
    int x0 = GetWidth() / 2;
    double a = percent / 100.0 * M_PI;
    AnImage->MoveTo(x0, PaintRect.bottom - 1);
    AnImage->LineTo(RoundEven((1 - std::cos(a)) * x0),
                    RoundEven((1 - std::sin(a)) * (PaintRect.bottom - 1)));
}
