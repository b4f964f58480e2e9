// Flat gradient buttons that paint a symbol over their outline: close,
// drop-down, up and cycle.
#pragma once
#pragma GCC visibility push(default)

#include "GDIPlus.GradientTabs.h"

#include <memory>

class TCustomGradientButton : public TGradientButton {
public:
    using TGradientButton::TGradientButton;

protected:
    void Paint() override;
    virtual void PaintSymbol() {}
    // Draws the pen polylines, then fills the shape from (FillX, FillY).
    void DrawSymbol(const std::vector<std::vector<TPoint>>& Lines, int FillX, int FillY);
    int SymbolOffset() const { return Pressed() ? 4 : 3; }
};

class TCloseButton : public TCustomGradientButton {
public:
    using TCustomGradientButton::TCustomGradientButton;

protected:
    void PaintSymbol() override;
};

class TDownButton : public TCustomGradientButton {
public:
    using TCustomGradientButton::TCustomGradientButton;

protected:
    void PaintSymbol() override;
};

class TUpButton : public TCustomGradientButton {
public:
    using TCustomGradientButton::TCustomGradientButton;

protected:
    void PaintSymbol() override;
};

// Shows image 0 of the shared speed-button images.
class TCycleButton : public TCustomGradientButton {
public:
    using TCustomGradientButton::TCustomGradientButton;

protected:
    void PaintSymbol() override;
};

// The shared images of the gradient buttons, made on first use.
class TSpeedButtonData : public TComponent {
public:
    explicit TSpeedButtonData(TComponent* AOwner);
    std::unique_ptr<TCustomImageList> SpeedButtonImages;
};
TSpeedButtonData* SpeedButtonData();
void FreeSpeedButtonData();

#pragma GCC visibility pop
