// A vertical scroll bar that the control draws itself, so that a host control
// can place it anywhere and paint over any part of it. It never takes the
// focus. User actions go to an owner control as ordinary vertical-scroll
// messages; without an owner the bar moves its own position.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Canvas.h>
#include <quorlpak/CustomControl.h>
#include <runpak/Set.h>

#include <functional>

enum TScrollState {
    ssDraggingThumb,
    ssDownPressed,
    ssHotDown,
    ssHotThumb,
    ssHotUp,
    ssMouseCaptured,
    ssPageDownPressed,
    ssPageScrollPause,
    ssPageUpPressed,
    ssScrollDown,
    ssScrollUp,
    ssUpPressed,
    ssThemesAvailable
};
using TScrollStates = TSet<TScrollState, 16>;

enum TScrollArea {
    saBackground,
    saScrollUp,
    saScrollDown,
    saThumb,
    saThumbClient,
    saThumbPageDownClient,
    saThumbPageUpClient
};
enum TScrollDimensions { sbVArrowWidth, sbVArrowHeight, sbVThumbHeight, sbVThumbClientHeight };
enum TScrollPaintCycle { pcBackground, pcScrollUp, pcScrollDown, pcThumb };
enum TScrollPaintState { psNormal, psHot, psPressed, psScrolling, psDisabled };
enum TScrollOption { soThemeAware };
using TScrollOptions = TSet<TScrollOption, 8>;

class TCustomOwnerDrawScrollbar;

// Handled = true skips the built-in painting of that part.
using TOnScrollCustomPaint =
    std::function<void(TObject* Sender, TScrollPaintCycle PaintCycle,
                       TScrollPaintState ScrollPaintState, const TRect& PaintRect,
                       TCanvas* Canvas, bool& Handled)>;

// The bar's colours. Changing the thumb, background or blend colour rebuilds
// the page brush.
class TScrollBarColors : public TPersistent {
public:
    explicit TScrollBarColors(TCustomOwnerDrawScrollbar* AOwner);
    void Assign(TPersistent* Source) override;

    TColor GetThumbButton() const { return FThumbButton; }
    void SetThumbButton(TColor Value);
    TColor GetBackGround() const { return FBackGround; }
    void SetBackGround(TColor Value);
    TColor GetBackgroundBlend() const { return FBackgroundBlend; }
    void SetBackgroundBlend(TColor Value);
    TColor GetPageScrollHot() const { return FPageScrollHot; }
    void SetPageScrollHot(TColor Value) { FPageScrollHot = Value; }

private:
    void Changed();

    TColor FThumbButton;
    TColor FBackGround;
    TColor FPageScrollHot = clBlack;
    TCustomOwnerDrawScrollbar* FScrollbar;
    TColor FBackgroundBlend = clWhite;
};

class TCustomOwnerDrawScrollbar : public TCustomControl {
public:
    // Timer ids on the bar's window.
    static constexpr UINT_PTR HotTimer = 201;
    static constexpr UINT_PTR AutoScrollTimer = 202;
    static constexpr UINT_PTR AutoScrollDelayTimer = 203;

    explicit TCustomOwnerDrawScrollbar(TComponent* AOwner);
    ~TCustomOwnerDrawScrollbar() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;

    int Metric(TScrollDimensions Dimension);
    TRect ScrollArea(TScrollArea Area);
    int CalculateThumbCenterPixel();
    int CalcuatePositionByPixel(int Y);
    void SetRange(int AMin, int AMax);
    void RebuildDefaultColors();

    TScrollBarColors* GetColors() const { return FColors; }
    void SetColors(TScrollBarColors* Value) { FColors->Assign(Value); }
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    int GetLargeChange() const { return FLargeChange; }
    void SetLargeChange(int Value) { FLargeChange = Value; }
    int GetSmallChange() const { return FSmallChange; }
    void SetSmallChange(int Value) { FSmallChange = Value; }
    // The highest position: the stored maximum less the page.
    int GetMax() const { return FMax - FPageSize; }
    void SetMax(int Value);
    int GetMin() const { return FMin; }
    void SetMin(int Value);
    int GetPageSize() const { return FPageSize; }
    void SetPageSize(int Value);
    int GetPosition() const { return FPosition; }
    void SetPosition(int Value);
    TScrollOptions GetOptions() const { return FOptions; }
    void SetOptions(TScrollOptions Value);
    TWinControl* GetOwnerControl() const { return FOwnerControl; }
    void SetOwnerControl(TWinControl* Value) { FOwnerControl = Value; }
    TScrollStates GetState() const { return FState; }
    unsigned GetAutoScrollTime() const { return FAutoScrollTime; }
    void SetAutoScrollTime(unsigned Value) { FAutoScrollTime = Value; }

    TOnScrollCustomPaint OnScrollCustomPaint;

protected:
    void CreateWnd() override;
    void Paint() override;

    bool CanScrollPage();
    void ScrollClick(const TPoint& Point);
    bool SendScrollMsg(WORD Code, WORD Pos);
    void HandleHotTracking(const TPoint& Point, bool Clear);
    void HandleHotTimer(bool Enable);
    void HandleAutoScrollTimer(bool Enable, bool Delay);
    void DoPaintScrollBkgnd(HDC DC);
    void DoPaintScrollButton(TScrollPaintCycle Cycle, HDC DC);
    void OpenThemes();
    void FreeThemes();
    void SetState(TScrollStates Value);

private:
    bool Themed() const;
    bool DoCustomPaint(TScrollPaintCycle Cycle, const TRect& R, HDC DC);
    void ButtonDown(const TPoint& Point, bool Capture);
    void ButtonUp();
    void MouseMoved(const TPoint& Point);
    void TimerFired(UINT_PTR Id);
    // Moves the position itself when no owner takes the message.
    void Step(WORD Code, int Delta);
    void Refresh(const TRect& R, bool Erase);

    HBRUSH FBkGndBrush = nullptr;
    HBITMAP FBkGndBitmap = nullptr;
    TScrollStates FState;
    bool FFlat = false;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FPageSize = 1;
    UINT_PTR FTimerHot = 0;
    UINT_PTR FTimerAutoScroll = 0;
    UINT_PTR FTimerAutoScrollDelay = 0;
    unsigned FAutoScrollTime = 100;
    TScrollBarColors* FColors; // owned
    TScrollOptions FOptions{soThemeAware};
    HANDLE FThemeScrollbar = nullptr;
    TWinControl* FOwnerControl = nullptr;
    int FLargeChange = 1;
    int FSmallChange = 1;
};

class TOwnerDrawScrollbar : public TCustomOwnerDrawScrollbar {
public:
    using TCustomOwnerDrawScrollbar::TCustomOwnerDrawScrollbar;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
