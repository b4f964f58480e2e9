// TParvoInstallBtn: a flat, button-like panel of the package installer with
// hover and disabled colours.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ExtCtrls.h>

class TParvoInstallBtn : public TCustomPanel {
public:
    explicit TParvoInstallBtn(TComponent* AOwner);
    ~TParvoInstallBtn() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TColor GetBorderColor() const { return FBorderColor; }
    TColor GetBkgColor() const { return FBkgColor; }
    TColor GetFontColor() const { return FFontColor; }
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    void ApplyColors();
    void MouseEntered(TObject* Sender);
    void MouseLeft(TObject* Sender);

    TColor FBorderColor;
    TColor FBkgColor;
    TColor FFontColor;
};

#pragma GCC visibility pop
