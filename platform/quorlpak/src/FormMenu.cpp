// TCustomForm: its menu bar (the Menu property), the menu's commands, and
// the streaming of the components that lie on no control.
#include <quorlpak/Form.h>
#include <quorlpak/Menus.h>

void TCustomForm::SetMenu(TMainMenu* Value) {
    if (FMenu == Value) return;
    if (FMenu) {
        FMenu->RemoveFreeNotification(this);
        FMenu->SetWindowHandle(nullptr);
    }
    FMenu = Value;
    if (FMenu) FMenu->FreeNotification(this);
    // Only a top-level window has a menu bar; a parented form keeps the menu for later.
    if (FHandle && !(GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD)) {
        if (FMenu)
            FMenu->SetWindowHandle(FHandle);
        else
            ::SetMenu(FHandle, nullptr);
    }
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
    TWinControl::CreateWindowHandle(Params);
    if (FHandle && FMenu && !(Params.Style & WS_CHILD)) FMenu->SetWindowHandle(FHandle);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMenu) {
        FMenu = nullptr;
        if (FHandle && !(GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD))
            ::SetMenu(FHandle, nullptr);
    }
}

void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    // Menus, dialogs and timers lie on no control: TWinControl streams what a
    // root owns of those first, so the form adds nothing of its own.
    TWinControl::GetChildren(Proc, Root);
}

bool TCustomForm::MenuMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COMMAND:
        // A menu's command: no control window, notification code 0.
        if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu &&
            FMenu->DispatchCommand(LOWORD(Message.WParam))) {
            Message.Result = 0;
            return true;
        }
        return false;
    case WM_DESTROY:
        // The window would take the menu with it; the menu stays the form's.
        if (FMenu && FHandle && FMenu->HandleAllocated() &&
            ::GetMenu(FHandle) == FMenu->GetHandle())
            FMenu->SetWindowHandle(nullptr);
        return false;
    default:
        return false;
    }
}
