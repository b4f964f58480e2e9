#include "IDEGradientSpeedButtons.h"
#include "IDEGradientSpeedButtonsUnit.h"

#include <win32/wingdi.h>

#include <memory>

namespace {

std::unique_ptr<TSpeedButtonData> GSpeedButtonData;

} // namespace

void TCustomGradientButton::Paint() {
    PaintOutline();
    PaintSymbol();
}

void TCustomGradientButton::DrawSymbol(const std::vector<std::vector<TPoint>>& Lines, int FillX,
                                       int FillY) {
    TCanvas* c = GetCanvas();
    c->GetPen()->SetColor(PenColor());
    for (const auto& line : Lines)
        c->Polyline(line);
    c->GetBrush()->SetColor(FillColor());
    c->GetBrush()->SetStyle(bsSolid);
    HDC dc = c->GetHandle();
    ExtFloodFill(dc, FillX, FillY, ::GetPixel(dc, FillX, FillY), FLOODFILLSURFACE);
}

void TCloseButton::PaintSymbol() {
    const int a = SymbolOffset(), b = a + 1;
    DrawSymbol({{{a, b}, {a, b + 1}, {a + 1, b + 2}, {a + 2, b + 3}, {a + 1, b + 4}, {a, b + 5},
                 {a, b + 7}},
                {{a + 1, b - 1}, {a + 2, b - 1}, {a + 3, b}, {a + 4, b + 1}, {a + 5, b},
                 {a + 6, b - 1}, {a + 8, b - 1}},
                {{a + 8, b}, {a + 8, b + 1}, {a + 7, b + 2}, {a + 6, b + 3}, {a + 7, b + 4},
                 {a + 8, b + 5}, {a + 8, b + 7}},
                {{a + 1, b + 7}, {a + 2, b + 7}, {a + 3, b + 6}, {a + 4, b + 5}, {a + 5, b + 6},
                 {a + 6, b + 7}, {a + 8, b + 7}}},
               a + 3, b + 1);
}

void TDownButton::PaintSymbol() {
    const int a = SymbolOffset(), b = a + 2;
    DrawSymbol({{{a, b + 1}, {a, b + 2}, {a + 1, b + 3}, {a + 2, b + 4}, {a + 3, b + 5},
                 {a + 4, b + 6}, {a + 5, b + 5}, {a + 6, b + 4}, {a + 7, b + 3}, {a + 8, b + 2},
                 {a + 8, b}},
                {{a + 1, b}, {a + 2, b}, {a + 3, b + 1}, {a + 4, b + 2}, {a + 5, b + 1},
                 {a + 6, b}, {a + 8, b}}},
               a + 3, b + 2);
}

void TUpButton::PaintSymbol() {
    const int a = SymbolOffset(), h = GetHeight() - (Pressed() ? 4 : 5);
    DrawSymbol({{{a, h - 1}, {a, h - 2}, {a + 1, h - 3}, {a + 2, h - 4}, {a + 3, h - 5},
                 {a + 4, h - 6}, {a + 5, h - 5}, {a + 6, h - 4}, {a + 7, h - 3}, {a + 8, h - 2},
                 {a + 8, h}},
                {{a + 1, h}, {a + 2, h}, {a + 3, h - 1}, {a + 4, h - 2}, {a + 5, h - 1},
                 {a + 6, h}, {a + 8, h}}},
               a + 3, h - 2);
}

void TCycleButton::PaintSymbol() {
    const int p = Pressed() ? 2 : 1;
    SpeedButtonData()->SpeedButtonImages->Draw(GetCanvas(), p, p, 0, GetEnabled());
}

// The cycle symbol: two arrow heads on a ring, drawn once into a 12 x 12 image.
TSpeedButtonData::TSpeedButtonData(TComponent* AOwner) : TComponent(AOwner) {
    SpeedButtonImages = std::make_unique<TCustomImageList>(12, 12);
    TBitmap image(12, 12);
    TCanvas* c = image.GetCanvas();
    c->GetBrush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 12, 12));
    c->GetPen()->SetColor(clBlack);
    c->GetBrush()->SetStyle(bsClear);
    c->Arc(1, 1, 11, 11, 11, 3, 1, 9);
    c->Arc(1, 1, 11, 11, 1, 9, 11, 3);
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(clBlack);
    c->Polygon({{8, 0}, {11, 3}, {7, 4}});
    c->Polygon({{3, 11}, {0, 8}, {4, 7}});
    SpeedButtonImages->AddMasked(&image, clFuchsia);
}

TSpeedButtonData* SpeedButtonData() {
    if (!GSpeedButtonData) GSpeedButtonData = std::make_unique<TSpeedButtonData>(nullptr);
    return GSpeedButtonData.get();
}

void FreeSpeedButtonData() {
    GSpeedButtonData.reset();
}

void FinalizeIDEGradientSpeedButtons() {
    FreeSpeedButtonData();
}
