// A control bar whose owner can stop a band from being dragged.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ToolWin.h>

#include <functional>

using TBandDragEvent = std::function<void(TObject* Sender, TControl* Control, bool& Drag)>;

class TXControlBar : public TControlBar {
public:
    using TControlBar::TControlBar;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBandDragEvent OnBandDrag;

protected:
    bool DragControl(TControl* AControl, int X, int Y, bool KeepCapture) override;
};

#pragma GCC visibility pop
