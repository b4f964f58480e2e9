// TIDEGauge: a windowless progress gauge (text, bars, pie, needle). It paints
// off screen and combines its layers by exclusive or, so that the percentage
// shows white over the empty part and inverted over the filled one.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Bitmap.h>
#include <quorlpak/CustomControl.h>

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

class TBltBitmap : public TBitmap {
public:
    // The template's size, filled with the window-frame colour.
    void MakeLike(TBitmap* ATemplate);
};

class TIDEGauge : public TGraphicControl {
public:
    explicit TIDEGauge(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetMinValue() const { return FMinValue; }
    void SetMinValue(int Value);
    int GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value);
    int GetProgress() const { return FCurValue; }
    void SetProgress(int Value);
    TGaugeKind GetKind() const { return FKind; }
    void SetKind(TGaugeKind Value);
    bool GetShowText() const { return FShowText; }
    void SetShowText(bool Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TColor GetForeColor() const { return FForeColor; }
    void SetForeColor(TColor Value);
    TColor GetBackColor() const { return FBackColor; }
    void SetBackColor(TColor Value);

    int GetPercentDone() const;
    void AddProgress(int Value);

protected:
    void Paint() override;

private:
    void PaintBackground(TCanvas* AnImage);
    void PaintAsText(TCanvas* AnImage, const TRect& PaintRect);
    void PaintAsNothing(TCanvas* AnImage, const TRect& PaintRect);
    void PaintAsBar(TCanvas* AnImage, const TRect& PaintRect);
    void PaintAsPie(TCanvas* AnImage, const TRect& PaintRect);
    void PaintAsNeedle(TCanvas* AnImage, const TRect& PaintRect);
    void PrepareDial(TCanvas* AnImage, const TRect& PaintRect, int& w, int& h);

    int FMinValue = 0;
    int FMaxValue = 100;
    int FCurValue = 0;
    TGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    TBorderStyle FBorderStyle = bsSingle;
    TColor FForeColor = clBlack;
    TColor FBackColor = clWhite;
};

// Whole percent of Value within [Min, Max]; 0 for an empty range.
int GaugePercent(int64_t Value, int64_t Min, int64_t Max);
// Percent of Length, truncated.
int GaugeScale(int Percent, int Length);

#pragma GCC visibility pop
