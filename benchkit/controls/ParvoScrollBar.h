// TParvoScrollBar: a flat scroll bar drawn entirely by the control: arrow
// buttons, a thumb with grip lines, page areas and auto-repeat while held.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Bitmap.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/ScrollingWinControl.h>
#include <quorlpak/Timer.h>

#include <memory>

enum TElemType {
    etArrowUp,
    etArrowDown,
    etArrowLeft,
    etArrowRight,
    etScrollThumbV,
    etScrollThumbH,
    etScrollAreaH,
    etScrollAreaV,
    etScrolledAreaH,
    etScrolledAreaV,
    etCorner
};

class TParvoScrollBar : public TCustomControl {
public:
    explicit TParvoScrollBar(TComponent* AOnwer);
    ~TParvoScrollBar() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TScrollBarKind GetKind() const { return FKind; }
    void SetKind(TScrollBarKind Value);
    int GetMin() const { return FMin; }
    void SetMin(int Value);
    int GetMax() const { return FMax; }
    void SetMax(int Value);
    int GetPageSize() const { return FPage; }
    void SetPageSize(int Value);
    int GetPosition() const { return FPos; }
    void SetPosition(int Value) { SetPos(Value); }
    int GetIndentBorder() const { return FIndentBorder; }
    void SetIndentBorder(int Value);
    int GetIndentCorner() const { return FIndentCorner; }
    void SetIndentCorner(int Value);
    int GetIndentArrow() const { return FIndentArrow; }
    void SetIndentArrow(int Value);
    int GetIndentArrLonger() const { return FIndentArrLonger; }
    void SetIndentArrLonger(int Value);
    TColor GetColorBorder() const { return FColorBorder; }
    void SetColorBorder(TColor Value);
    TColor GetColorArrow() const { return FColorArrow; }
    void SetColorArrow(TColor Value);
    TColor GetColorScrolled() const { return FColorScrolled; }
    void SetColorScrolled(TColor Value);

    // Lays the parts out for the current size and draws them on ACanvas.
    void PaintTo(TCanvas* ACanvas);
    // The parts' rectangles after the last layout.
    TRect GetTrackRect() const { return FIn; }
    TRect GetUpRect() const { return FInUp; }
    TRect GetDownRect() const { return FInDown; }
    TRect GetThumbRect() const { return FInThumb; }
    TRect GetPageUpRect() const { return FInPageUp; }
    TRect GetPageDownRect() const { return FInPageDown; }
    TBitmap* GetBackBuffer() const { return FBitmap.get(); }

    TNotifyEvent OnChange;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void SetPos(int Value);
    void ScrollBy(int Delta);
    void DoUpdateThumbRect();
    void PaintArrow(TCanvas* ACanvas, const TRect& R, TElemType Part);
    void TimerTick(TObject* Sender);
    bool Vertical() const { return FKind == sbVertical; }
    int Along(const TPoint& P) const { return Vertical() ? P.y : P.x; }
    int TrackStart() const { return Vertical() ? FIn.top : FIn.left; }
    int TrackEnd() const { return Vertical() ? FIn.bottom : FIn.right; }

    TScrollBarKind FKind = sbVertical;
    int FIndentBorder = 1;
    int FIndentCorner = 0;
    int FIndentArrow = 3;
    int FIndentArrLonger = 0;
    int FMin = 0;
    int FMax = 100;
    int FPage = 20;
    int FPos = 0;
    TColor FColorBorder = 0xC0C0C0;
    TColor FColorArrow = 0x404040;
    TColor FColorRect = 0x808080;
    TColor FColorFill = 0xFFFFFF;
    TColor FColorScrolled = 0xC8C8C8;
    TRect FIn, FInUp, FInDown, FInThumb, FInPageUp, FInPageDown, FInCorner;
    std::unique_ptr<TBitmap> FBitmap;
    std::unique_ptr<TTimer> FTimer;
    bool FMouseDown = false;
    int FMouseDragOffset = 0;
    bool FMouseDownOnUp = false;
    bool FMouseDownOnDown = false;
    bool FMouseDownOnThumb = false;
    bool FMouseDownOnPageUp = false;
    bool FMouseDownOnPageDown = false;
};

#pragma GCC visibility pop
