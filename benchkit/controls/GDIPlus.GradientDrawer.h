// TGradientTabDrawer: draws one tab of a horizontal strip with GDI+: an
// outline path filled with a vertical two-colour gradient, a one-pixel
// outline, an optional image with overlay, and the caption. A strip draws
// its inactive tabs first and the active tab last, with one drawer.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>
#include <win32/gdiplus.h>

#include <memory>

enum TTabDrawingStyle { tdsRounded, tdsSquared, tdsModern };

class TTabColors : public TPersistent {
public:
    using TChangedEvent = std::function<void(TTabColors* Sender)>;
    explicit TTabColors(TChangedEvent OnChanged = nullptr) : FChangedEvent(std::move(OnChanged)) {}

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;

    TColor GetColor(int Index) const { return FColors[Index]; }
    void SetColor(int Index, TColor Value);
    TColor GetActiveStart() const { return FColors[0]; }
    void SetActiveStart(TColor Value) { SetColor(0, Value); }
    TColor GetActiveEnd() const { return FColors[1]; }
    void SetActiveEnd(TColor Value) { SetColor(1, Value); }
    TColor GetInActiveStart() const { return FColors[2]; }
    void SetInActiveStart(TColor Value) { SetColor(2, Value); }
    TColor GetInActiveEnd() const { return FColors[3]; }
    void SetInActiveEnd(TColor Value) { SetColor(3, Value); }

    void SetChangedEvent(TChangedEvent Value) { FChangedEvent = std::move(Value); }

private:
    TChangedEvent FChangedEvent;
    TColor FColors[4] = {clBtnFace, clBtnFace, clBtnFace, clBtnFace};
};

class TGradientTabDrawer : public TObject {
public:
    static constexpr int CLeftTextOffset = 5;

    explicit TGradientTabDrawer(TCanvas* ACanvas);
    ~TGradientTabDrawer() override;

    void SetDrawingOffsets(int Left, int Bottom, int Right);
    void DrawActiveTab(int TabLeft, int TabWidth, const UnicodeString& Caption, int ImageIndex,
                       int OverlayIndex);
    void DrawInactiveTab(int TabLeft, int TabWidth, const UnicodeString& Caption, int ImageIndex,
                         int OverlayIndex);
    int GetTextWidth(const UnicodeString& Caption);
    void ResetColors();

    TTabDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TTabDrawingStyle Value) { FDrawingStyle = Value; }
    TCustomImageList* GetImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value) { FImageList = Value; }
    TTabColors* GetTabColors() const { return FTabColors.get(); }
    // Copies the colours into the drawer's own object; the caller keeps Value.
    void SetTabColors(TTabColors* Value);
    int GetTabTop() const { return FTabTop; }
    void SetTabTop(int Value) { FTabTop = Value; }
    int GetTabBottom() const { return FTabBottom; }
    void SetTabBottom(int Value) { FTabBottom = Value; }
    int GetTabHeight() const { return FTabHeight; }
    void SetTabHeight(int Value) { FTabHeight = Value; }

    // Whether the cached brushes exist (they are rebuilt lazily after colour changes).
    bool HasBrushes() const { return FActiveGradientBrush || FInActiveGradientBrush; }

private:
    void AddOutline(int L, int R, int T);
    void DrawContents(TGPLinearGradientBrush* Brush, const UnicodeString& Caption, int L, int Width,
                      int ImageIndex, int OverlayIndex);
    TGPGraphicsPath* Path();
    TGPPen* OutlinePen();
    TGPLinearGradientBrush* Brush(bool Active);
    void FreeBrushes();
    void ColorsChanged(TTabColors* Sender);

    TCanvas* FCanvas;
    int FTabTop = 0;
    std::unique_ptr<TGPGraphicsPath> FPath;
    std::unique_ptr<TGPGraphics> FGraphics;
    std::unique_ptr<TGPPen> FOutlinePen;
    std::unique_ptr<TGPLinearGradientBrush> FActiveGradientBrush;
    std::unique_ptr<TGPLinearGradientBrush> FInActiveGradientBrush;
    int FTabBottom = 0;
    int FTotalWidth = 0;
    int FLeftPos = 0;
    TCustomImageList* FImageList = nullptr;
    HDC FLastHandle = nullptr;
    TTabDrawingStyle FDrawingStyle = tdsSquared;
    std::unique_ptr<TTabColors> FTabColors;
    int FTabHeight = 0;
};

#pragma GCC visibility pop
