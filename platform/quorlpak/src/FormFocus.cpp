// TCustomForm: the form's focused control, activation and the enter/exit
// sequence of its controls.
#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/Screen.h>

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>

namespace {

// Bumped by every focus change, so that a handler that moves the focus
// elsewhere stops the sequence it interrupted.
int gFocusCount = 0;

} // namespace

bool TCustomForm::SendFocusMessage(HWND Window, UINT Msg) {
    int count = gFocusCount;
    SendMessageW(Window, Msg, 0, 0);
    return gFocusCount == count;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) return;
    if (Control && (Control == this || Control->GetParentForm() != this ||
                    (!GetComponentState().Contains(csLoading) && !Control->CanFocus())))
        throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (!GetComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
    TWinControl* target = FActiveControl ? FActiveControl : this;
    if (target->FHandle && IsWindowVisible(target->FHandle)) ::SetFocus(target->FHandle);
}

void TCustomForm::SetFocus() {
    if (FActive) return;
    if (!FVisible || !FEnabled)
        throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
    SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    bool wasActive = FActive;
    SetActiveControl(Control);
    if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && Control->ContainsControl(FFocusedControl))
        FFocusedControl = Control->GetParent();
    if (Control->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

void TCustomForm::SetActive(bool Value) {
    FActive = Value;
    if (!Value) return;
    if (!FActiveControl && !GetComponentState().Contains(csDesigning))
        FActiveControl = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    ++gFocusCount;
    FActiveControl = Control != this ? Control : nullptr;
    if (Screen) Screen->FocusedControlChanged(this, Control);
    if (Control->GetControlState().Contains(csFocusing)) return false;
    Control->FControlState.Include(csFocusing);
    auto done = runpak::ScopeExit([Control] { Control->FControlState.Exclude(csFocusing); });

    if (Screen && Screen->GetFocusedForm() != this) {
        if (TCustomForm* previous = Screen->GetFocusedForm()) {
            Screen->SetFocusedForm(nullptr);
            if (previous->FHandle && !SendFocusMessage(previous->FHandle, CM_DEACTIVATE))
                return false;
        }
        Screen->SetFocusedForm(this);
        if (!SendFocusMessage(GetHandle(), CM_ACTIVATE)) return false;
    }
    if (!FFocusedControl) FFocusedControl = this;
    if (FFocusedControl != Control) {
        // Leave every control on the way up that does not contain the new one...
        while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
            HWND handle = FFocusedControl->FHandle;
            FFocusedControl = FFocusedControl->GetParent();
            if (handle && !SendFocusMessage(handle, CM_EXIT)) return false;
        }
        // ...and enter every control on the way down to it.
        while (FFocusedControl != Control) {
            TWinControl* step = Control;
            while (step->GetParent() != FFocusedControl)
                step = step->GetParent();
            FFocusedControl = step;
            if (!SendFocusMessage(step->GetHandle(), CM_ENTER)) return false;
        }
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    }
    return true;
}

void TCustomForm::SendCancelMode(TControl* Sender) {
    if (FActive && FActiveControl)
        FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}
