// A windowed control whose content is larger than its client area: two
// scroll bars (the window's own) hold the content's size as their range and
// the visible part's offset as their position. With AutoScroll (a scroll
// box's default) the ranges follow the children's extent and aligned
// children lie on the whole scrolled content. TScrollBox is such a control
// with a border.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/WinControl.h>

enum TScrollBarKind { sbHorizontal, sbVertical };

class TScrollingWinControl;

class TControlScrollBar : public TPersistent {
public:
    TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind)
        : FControl(AControl), FKind(AKind) {}

    TScrollBarKind GetKind() const { return FKind; }
    int GetRange() const { return FRange; }
    void SetRange(int Value);
    int GetPosition() const { return FPosition; }
    // Clamped to 0 .. range - visible size; the content moves with it.
    void SetPosition(int Value);
    int GetIncrement() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value > 0 ? Value : 1; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    // The part of the content the client area shows along this bar.
    int ControlSize() const;
    // Sends the range, page and position to the window's scroll bar.
    void Update();
    // WM_HSCROLL or WM_VSCROLL for this bar.
    void ScrollMessage(WPARAM WParam);

private:
    int MaxPosition() const;

    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    int FRange = 0;
    int FPosition = 0;
    int FIncrement = 8;
    bool FVisible = true;
};

class TScrollingWinControl : public TWinControl {
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TControlScrollBar* GetHorzScrollBar() const { return FHorzScrollBar; }
    TControlScrollBar* GetVertScrollBar() const { return FVertScrollBar; }
    // Moves the content (child controls and pixels) by the given deltas.
    void ScrollBy(int DeltaX, int DeltaY);
    bool GetAutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);
    // Scrolls the least needed so that the child is wholly visible (its top
    // left when it is larger than the client area).
    void ScrollInView(TControl* AControl);
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // With AutoScroll, aligned children lie on the whole scrolled content.
    void AdjustClientRect(TRect& Rect) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // The ranges from the children's extent (AutoScroll).
    void CalcAutoRange();

private:
    TControlScrollBar* FHorzScrollBar;
    TControlScrollBar* FVertScrollBar;
    bool FAutoScroll = false;
    bool FCalculatingRange = false;
};

class TScrollBox : public TScrollingWinControl {
public:
    explicit TScrollBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

#pragma GCC visibility pop
