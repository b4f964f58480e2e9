#include "IDEDesktopComboBox.h"

#include <win32/winuser.h>

TClass TDesktopComboBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TDesktopComboBox>(u"TDesktopComboBox", TCustomComboBox::StaticClass()));
    return &meta;
}

TDesktopComboBox::TDesktopComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

void TDesktopComboBox::DropDown() {
    FDropDownIndex = GetItemIndex();
    FWasDropped = true;
    FSelCancelled = false;
    FSelConfirmed = false;
    if (OnDropDown) OnDropDown(this);
}

void TDesktopComboBox::Click() {
    FWasDropped = false;
    TCustomComboBox::Click();
}

// The choice from the list stands: the field shows it and the owner hears of it once.
void TDesktopComboBox::Confirm() {
    const int index = GetItemIndex();
    if (index >= 0 && index < FItems->GetCount()) SetText(FItems->Get(index));
    Click();
    FWasDropped = false;
}

void TDesktopComboBox::Dispatch(TMessage& Message) {
    if (Message.Msg != CN_COMMAND) {
        TCustomComboBox::Dispatch(Message);
        return;
    }
    switch (HIWORD(Message.WParam)) {
    case CBN_DROPDOWN:
        DropDown();
        break;
    case CBN_SELENDOK:
        FSelConfirmed = true;
        TCustomComboBox::Dispatch(Message);
        break;
    case CBN_SELENDCANCEL:
        FSelCancelled = true;
        FWasDropped = false;
        break;
    case CBN_SELCHANGE:
        // Browsing the open list, or the arrow keys on the closed combo, choose nothing;
        // a choice confirmed as the list closed is taken here when the list reports it late.
        if (FWasDropped && !GetDroppedDown() && !FSelCancelled) Confirm();
        break;
    case CBN_CLOSEUP:
        TCustomComboBox::Dispatch(Message);
        if (FWasDropped && FSelConfirmed && !FSelCancelled)
            Confirm();
        else if (FSelCancelled && GetItemIndex() != FDropDownIndex)
            SetItemIndex(FDropDownIndex); // browsing a cancelled list leaves the choice as it was
        // Whatever happened, the list is closed: later selection changes are not its choices.
        FWasDropped = false;
        break;
    default:
        TCustomComboBox::Dispatch(Message);
        break;
    }
}
