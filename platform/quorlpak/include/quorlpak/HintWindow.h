// The hint window: a borderless pop-up that shows a hint text next to the
// mouse. Controls with hints of their own derive from it and say which
// class to use through THintInfo::HintWindowClass (CM_HINTSHOW).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The window's size for Hint (and the caller's Data), at most MaxWidth wide.
    virtual TRect CalcHintRect(int MaxWidth, const UnicodeString& Hint, void* Data);
    // Shows the window at Rect (screen coordinates) without activating it.
    virtual void ActivateHint(TRect Rect, const UnicodeString& Hint);
    virtual void ActivateHintData(TRect Rect, const UnicodeString& Hint, void* Data);
    // Whether Msg ends the hint (input other than a plain mouse move).
    virtual bool IsHintMsg(const MSG& Msg);
    // Hides the window and lets its handle go.
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void Paint() override;
};

// Makes a hint window (the framework's class reference).
using THintWindowClass = THintWindow* (*)(TComponent* AOwner);
THintWindow* MakeHintWindow(TComponent* AOwner);

// The part of a hint before "|" (the long part after it goes to the status line).
UnicodeString GetShortHint(const UnicodeString& Hint);
UnicodeString GetLongHint(const UnicodeString& Hint);

#pragma GCC visibility pop
