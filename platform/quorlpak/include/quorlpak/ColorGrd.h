// TColorGrid: the 16 standard colours as a grid of squares, with a
// foreground choice (left button or the F key) and a background choice
// (right button or the B key), each of which can be switched off. The
// arrow keys move the keyboard selection. Change (OnChange) follows every
// change of a choice.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <runpak/TypeInfo.h>

// Columns by rows: 16 x 1, 8 x 2, 4 x 4, 2 x 8 or 1 x 16.
enum TGridOrdering { go16x1, go8x2, go4x4, go2x8, go1x16 };
PTypeInfo TypeInfo_TGridOrdering();

class TCustomColorGrid : public TCustomControl {
public:
    static constexpr int kColors = 16;

    explicit TCustomColorGrid(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TGridOrdering GetGridOrdering() const { return FGridOrdering; }
    void SetGridOrdering(TGridOrdering Value);
    int GetSelection() const { return FSelection; }
    void SetSelection(int Value);
    int GetForegroundIndex() const { return FForegroundIndex; }
    void SetForegroundIndex(int Value);
    int GetBackgroundIndex() const { return FBackgroundIndex; }
    void SetBackgroundIndex(int Value);
    bool GetForegroundEnabled() const { return FForegroundEnabled; }
    void SetForegroundEnabled(bool Value);
    bool GetBackgroundEnabled() const { return FBackgroundEnabled; }
    void SetBackgroundEnabled(bool Value);
    // A click on a switched-off choice switches it on.
    bool GetClickEnablesColor() const { return FClickEnablesColor; }
    void SetClickEnablesColor(bool Value) { FClickEnablesColor = Value; }
    TColor GetForegroundColor() const { return ColorOf(FForegroundIndex); }
    TColor GetBackgroundColor() const { return ColorOf(FBackgroundIndex); }
    static TColor ColorOf(int Index);

    int ColumnCount() const { return 16 >> FGridOrdering; }
    int RowCount() const { return 1 << FGridOrdering; }
    TRect SquareRect(int Index);
    // The square at a client point, or -1.
    int SquareFromPos(int X, int Y);

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;
    // Every change of a choice or of whether it is on.
    virtual void Change();

private:
    static bool Valid(int Index) { return Index >= 0 && Index < kColors; }
    TGridOrdering FGridOrdering = go4x4;
    int FSelection = 0;
    int FForegroundIndex = 0;
    int FBackgroundIndex = 15;
    bool FForegroundEnabled = true;
    bool FBackgroundEnabled = true;
    bool FClickEnablesColor = false;
};

class TColorGrid : public TCustomColorGrid {
public:
    using TCustomColorGrid::TCustomColorGrid;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

void RegisterColorGridClasses();

#pragma GCC visibility pop
