// TIDEColorGridEx: a focusable grid of coloured squares whose palette its
// user fills. It keeps a keyboard selection and, optionally, foreground and
// background choices made with the mouse buttons or the F and B keys.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ColorGrd.h>
#include <quorlpak/CustomControl.h>

#include <array>

struct TPaletteEntry {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};
using TPaletteArray = std::array<TPaletteEntry, 217>;

class TIDEColorGridEx;
using TSquareHintEvent =
    std::function<void(TIDEColorGridEx* Sender, int Square, UnicodeString& Hint)>;

class TIDEColorGridEx : public TCustomControl {
public:
    static constexpr int kSquares = 217;

    explicit TIDEColorGridEx(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetClickEnablesColor() const { return FClickEnablesColor; }
    void SetClickEnablesColor(bool Value) { FClickEnablesColor = Value; }
    int GetColumnCount() const { return FNumXSquares; }
    void SetColumnCount(int Value);
    int GetRowCount() const { return FNumYSquares; }
    void SetRowCount(int Value);
    bool GetForegroundEnabled() const { return FForegroundEnabled; }
    void SetForegroundEnabled(bool Value);
    bool GetBackgroundEnabled() const { return FBackgroundEnabled; }
    void SetBackgroundEnabled(bool Value);
    TGridOrdering GetGridOrdering() const { return FGridOrdering; }
    void SetGridOrdering(TGridOrdering Value);
    int GetSelection() const { return FSelection; }
    void SetSelection(int Value);
    int GetForegroundIndex() const { return FForegroundIndex; }
    void SetForegroundIndex(int Value);
    int GetBackgroundIndex() const { return FBackgroundIndex; }
    void SetBackgroundIndex(int Value);
    TColor GetForegroundColor() const { return SquareColor(FForegroundIndex); }
    TColor GetBackgroundColor() const { return SquareColor(FBackgroundIndex); }
    // "#rrggbb" of the selected square; empty while no square is selected.
    UnicodeString GetWebColor() const;
    TPaletteArray& PaletteEntries() { return FPalette; }
    int GetCellXSize() const { return FCellXSize; }
    int GetCellYSize() const { return FCellYSize; }

    int ColorToIndex(TColor AColor) const;
    int SquareFromPos(int X, int Y) const;
    TColor SquareColor(int Index) const;
    TRect SquareRect(int Index) const;

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnFillColorPalette;
    TSquareHintEvent OnSquareHint;

protected:
    void Loaded() override;
    void Paint() override;
    void Resize() override;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;
    virtual void Change();

private:
    void UpdateCellSizes();
    void DrawSquare(int Which, bool ShowSelector);
    void DrawFgBg();
    void ChooseForeground(int Square);
    void ChooseBackground(int Square);
    bool Valid(int Index) const { return Index >= 0 && Index < kSquares; }

    bool FClickEnablesColor = false;
    int FForegroundIndex = 0;
    int FBackgroundIndex = 0;
    bool FForegroundEnabled = true;
    bool FBackgroundEnabled = true;
    int FSelection = 0;
    int FCellXSize = 0;
    int FCellYSize = 0;
    int FNumXSquares = 12;
    int FNumYSquares = 18;
    TGridOrdering FGridOrdering = go4x4;
    bool FHasFocus = false;
    TMouseButton FButton = mbLeft;
    bool FButtonDown = false;
    TPaletteArray FPalette{};
};

#pragma GCC visibility pop
