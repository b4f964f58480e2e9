// The floating windows of docking: a dragged or floated control that no dock
// site takes lives alone in one of these, which goes once its control leaves.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Form.h>

class TCustomDockForm : public TCustomForm {
public:
    explicit TCustomDockForm(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Dispatch(TMessage& Message) override;

protected:
    void DoAddDockClient(TControl* Client, const TRect& ARect) override;
    void DoRemoveDockClient(TControl* Client) override;
};

// The floating window of tool bars: a small tool-window frame.
class TToolDockForm : public TCustomDockForm {
public:
    explicit TToolDockForm(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
