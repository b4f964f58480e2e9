// The floating window of the workbench's dockable tool bars. Dialog
// characters (accelerators) typed while it is active go to the main form
// first, so a floating tool bar does not swallow the main window's shortcuts.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/DockForm.h>

class TXToolDockForm : public TToolDockForm {
public:
    using TToolDockForm::TToolDockForm;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Dispatch(TMessage& Message) override;
};

// Registers the form's class for streaming (the unit's start-up).
void InitializeIDEDockForm();
void FinalizeIDEDockForm();

#pragma GCC visibility pop
