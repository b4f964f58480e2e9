#include "GDIPlus.GradientDrawer.h"

#include <runpak/TypeInfo.h>
#include <quorlpak/GraphUtil.h>
#include <quorlpak/TypeInfos.h>

#include <cmath>

namespace {

ARGB ToARGB(TColor Color) {
    return ColorRefToARGB(ColorToRGB(Color));
}

} // namespace

TClass TTabColors::StaticClass() {
    using T = TTabColors;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TTabColors", TPersistent::StaticClass())
            .Property(u"ActiveStart", TypeInfo_TColor, &T::GetActiveStart, &T::SetActiveStart)
            .Property(u"ActiveEnd", TypeInfo_TColor, &T::GetActiveEnd, &T::SetActiveEnd)
            .Property(u"InActiveStart", TypeInfo_TColor, &T::GetInActiveStart,
                      &T::SetInActiveStart)
            .Property(u"InActiveEnd", TypeInfo_TColor, &T::GetInActiveEnd, &T::SetInActiveEnd));
    return &meta;
}

void TTabColors::SetColor(int Index, TColor Value) {
    if (FColors[Index] == Value) return;
    FColors[Index] = Value;
    if (FChangedEvent) FChangedEvent(this);
}

void TTabColors::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TTabColors*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    bool changed = false;
    for (int i = 0; i < 4; ++i) {
        changed |= FColors[i] != other->FColors[i];
        FColors[i] = other->FColors[i];
    }
    if (changed && FChangedEvent) FChangedEvent(this);
}

TGradientTabDrawer::TGradientTabDrawer(TCanvas* ACanvas) : FCanvas(ACanvas) {
    FTabColors = std::make_unique<TTabColors>([this](TTabColors* S) { ColorsChanged(S); });
    ResetColors();
    FTabHeight = static_cast<int>(std::ceil(FCanvas->TextHeight(u"lWg") * 1.2));
}

TGradientTabDrawer::~TGradientTabDrawer() = default;

void TGradientTabDrawer::SetDrawingOffsets(int Left, int Bottom, int Right) {
    FLeftPos = Left;
    FTabBottom = Bottom;
    FTotalWidth = Right - Left + 1;
    FTabTop = 0;
}

int TGradientTabDrawer::GetTextWidth(const UnicodeString& Caption) {
    return FCanvas->TextWidth(Caption);
}

void TGradientTabDrawer::ResetColors() {
    FTabColors->SetActiveStart(GetHighLightColor(clBtnFace, 40));
    FTabColors->SetActiveEnd(clBtnFace);
    FTabColors->SetInActiveStart(GetShadowColor(clBtnFace, -15));
    FTabColors->SetInActiveEnd(GetHighLightColor(clBtnFace, 15));
    FOutlinePen.reset();
}

void TGradientTabDrawer::SetTabColors(TTabColors* Value) {
    FTabColors->Assign(Value);
    FreeBrushes();
}

void TGradientTabDrawer::ColorsChanged(TTabColors*) {
    FreeBrushes();
}

void TGradientTabDrawer::FreeBrushes() {
    FActiveGradientBrush.reset();
    FInActiveGradientBrush.reset();
}

TGPGraphicsPath* TGradientTabDrawer::Path() {
    if (!FPath) FPath = std::make_unique<TGPGraphicsPath>();
    return FPath.get();
}

TGPPen* TGradientTabDrawer::OutlinePen() {
    if (!FOutlinePen)
        FOutlinePen = std::make_unique<TGPPen>(ToARGB(GetShadowColor(clBtnFace, -75)), 1.0f);
    return FOutlinePen.get();
}

TGPLinearGradientBrush* TGradientTabDrawer::Brush(bool Active) {
    auto& brush = Active ? FActiveGradientBrush : FInActiveGradientBrush;
    if (!brush) {
        TColor start = Active ? FTabColors->GetActiveStart() : FTabColors->GetInActiveStart();
        TColor end = Active ? FTabColors->GetActiveEnd() : FTabColors->GetInActiveEnd();
        brush = std::make_unique<TGPLinearGradientBrush>(
            TGPPoint{0, FTabBottom + 1}, TGPPoint{0, FTabBottom + FTabHeight + 8}, ToARGB(start),
            ToARGB(end));
    }
    return brush.get();
}

void TGradientTabDrawer::AddOutline(int L, int R, int T) {
    TGPGraphicsPath* p = Path();
    const int B = FTabBottom;
    if (FDrawingStyle == tdsModern) {
        p->AddLine(L, B, L, T);
        p->AddLine(L, T, R, T);
        p->AddLine(R, T, R, B);
        return;
    }
    p->AddLine(L, B - 3, L, T + 6);
    if (FDrawingStyle == tdsRounded) {
        TGPPoint left[] = {{L + 1, T + 5}, {L + 1, T + 4}, {L + 2, T + 3},
                           {L + 3, T + 2}, {L + 4, T + 1}, {L + 5, T + 1}};
        p->AddCurve(left, 6);
    } else {
        TGPPoint left[] = {{L, T + 2}, {L + 1, T + 1}, {L + 2, T}};
        p->AddCurve(left, 3);
    }
    p->AddLine(L + 6, T, R - 6, T);
    if (FDrawingStyle == tdsRounded) {
        TGPPoint right[] = {{R - 5, T + 1}, {R - 4, T + 1}, {R - 3, T + 2}, {R - 2, T + 3},
                            {R - 1, T + 4}, {R - 1, T + 5}, {R, T + 6}};
        p->AddCurve(right, 7);
    } else {
        TGPPoint right[] = {{R - 2, T}, {R - 1, T + 1}, {R, T + 2}};
        p->AddCurve(right, 3);
    }
}

void TGradientTabDrawer::DrawActiveTab(int TabLeft, int TabWidth, const UnicodeString& Caption,
                                       int ImageIndex, int OverlayIndex) {
    const int T = FTabTop, B = FTabBottom, H = FTabHeight, L = TabLeft, R = TabLeft + TabWidth,
              S = FLeftPos, E = FTotalWidth;
    TGPGraphicsPath* p = Path();
    p->Reset();
    if (FDrawingStyle == tdsModern) {
        AddOutline(L, R, T);
        p->AddLine(S, B - 1, E, B - 1);
        FCanvas->GetFont()->SetColor(ColorToRGB(clBtnText));
    } else {
        p->AddLine(S, B + 1, S, B - 2);
        if (S < L) p->AddLine(S + 1, B - 3, L, B - 3);
        AddOutline(L, R, T);
        if (FDrawingStyle == tdsRounded) {
            static const int dx[14] = {0, 0, 1, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9};
            static const int dy[14] = {0, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10, 11, 11};
            TGPPoint side[14];
            for (int i = 0; i < 14; ++i)
                side[i] = {R + dx[i], T + 10 + dy[i]};
            p->AddCurve(side, 14);
        } else {
            p->AddLine(R, T + 3, R, B - 3);
        }
        p->AddLine(R + 10, B - 3, E, B - 3);
        p->AddLine(E, T + H, E, B + 1);
    }
    DrawContents(Brush(true), Caption, L, TabWidth, ImageIndex, OverlayIndex);
}

void TGradientTabDrawer::DrawInactiveTab(int TabLeft, int TabWidth, const UnicodeString& Caption,
                                         int ImageIndex, int OverlayIndex) {
    const int B = FTabBottom, L = TabLeft, R = TabLeft + TabWidth;
    TGPGraphicsPath* p = Path();
    p->Reset();
    if (FDrawingStyle == tdsModern) {
        p->AddLine(R, FTabTop + 4, R, B - 4);
        FCanvas->GetFont()->SetColor(ColorToRGB(clWindowText));
    } else {
        // Inactive tabs stand one pixel lower than the active one.
        const int T = FTabTop + 1;
        AddOutline(L, R, T);
        p->AddLine(R, T + 7, R, B - 2);
    }
    DrawContents(Brush(false), Caption, L, TabWidth, ImageIndex, OverlayIndex);
}

void TGradientTabDrawer::DrawContents(TGPLinearGradientBrush* Brush, const UnicodeString& Caption,
                                      int L, int Width, int ImageIndex, int OverlayIndex) {
    const int T = FTabTop, B = FTabBottom, H = FTabHeight, R = L + Width;
    HDC dc = FCanvas->GetHandle();
    if (!FGraphics || FLastHandle != dc) {
        FGraphics = std::make_unique<TGPGraphics>(dc);
        FLastHandle = dc;
    }
    FGraphics->FillPath(Brush, Path());
    FGraphics->DrawPath(OutlinePen(), Path());

    int x = L + CLeftTextOffset;
    if (ImageIndex != -1 && FImageList) {
        int yi = static_cast<int>(B / 2.0 - FImageList->GetHeight() / 2.0) + T;
        FImageList->Draw(FCanvas, x + 1, yi - 1, ImageIndex, true);
        if (OverlayIndex != -1) FImageList->Draw(FCanvas, x + 1, yi - 1, OverlayIndex, true);
        x += FImageList->GetWidth() + 4;
    }
    int yt = static_cast<int>(H / 2.0 - FCanvas->TextHeight(u"Xy") / 2.0) + T + 1;
    TRect r(x, yt, x, yt);
    UnicodeString text = Caption;
    TTextFormat measure;
    measure.Include(tfCalcRect);
    measure.Include(tfSingleLine);
    FCanvas->TextRect(r, text, measure);
    if (r.right + 3 > R) r.right = R - 3;
    FCanvas->GetBrush()->SetStyle(bsClear);
    TTextFormat draw;
    draw.Include(tfSingleLine);
    draw.Include(tfEndEllipsis);
    text = Caption;
    FCanvas->TextRect(r, text, draw);
}
