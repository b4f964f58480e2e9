// The two bases of controls that paint themselves: TCustomControl (with a
// window) and TGraphicControl (without one, painted on its parent's window).
// Both have a Canvas and a virtual Paint. TControlCanvas is a canvas on a
// control's device context; a DC it takes outside painting is given back
// after the message being handled (FreeDeviceContexts), so that it never
// outlives a move of its control.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Canvas.h>
#include <quorlpak/WinControl.h>

class TControlCanvas : public TCanvas {
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;

    TControl* GetControl() const { return FControl; }
    void SetControl(TControl* Value);
    // Releases the DC the canvas got from the control (not a DC given by SetHandle).
    void FreeHandle();
    // Sets ETO_RTLREADING when the control reads right to left.
    void UpdateTextFlags();

protected:
    void CreateHandle() override;

private:
    TControl* FControl = nullptr;
    HDC FDeviceContext = nullptr;
    HWND FWindowHandle = nullptr;
};

// Releases the DCs that control canvases of this thread took; the window
// procedure calls it after every message.
void FreeDeviceContexts();

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Usable inside Paint (on the paint DC) and outside it (on a window DC).
    TCanvas* GetCanvas() const { return FCanvas; }
    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;
    void DestroyWnd() override;

    TControlCanvas* FCanvas;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCanvas* GetCanvas() const { return FCanvas; }
    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint() {}

    TControlCanvas* FCanvas;
};

#pragma GCC visibility pop
