// TDesktopComboBox: picks a saved desktop layout. It acts only on a choice
// confirmed from its open list (a click on an item, or Enter), so browsing
// the list with the keys, cancelling it, or stepping through the closed
// combo with the arrow keys switches nothing.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

class TDesktopComboBox : public TCustomComboBox {
public:
    explicit TDesktopComboBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Click() override;
    void Dispatch(TMessage& Message) override;

    bool GetWasDropped() const { return FWasDropped; }

protected:
    virtual void DropDown();

private:
    void Confirm();

    bool FWasDropped = false;
    bool FSelCancelled = false;
    bool FSelConfirmed = false;
    int FDropDownIndex = -1;
};

#pragma GCC visibility pop
