// TCustomForm: ShowModal and its loop.
#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/Screen.h>

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <win32/winbase.h>

#include <vector>

namespace {

// Disables every enabled visible top-level window of this thread but the
// modal one; answers the windows to enable again.
std::vector<HWND> DisableTaskWindows(HWND modal) {
    struct Collect {
        HWND modal;
        std::vector<HWND> windows;
    } collect{modal, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(param);
            if (hwnd != c->modal && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
                c->windows.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    for (HWND hwnd : collect.windows)
        EnableWindow(hwnd, FALSE);
    return collect.windows;
}

void EnableTaskWindows(const std::vector<HWND>& windows) {
    for (HWND hwnd : windows)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
}

} // namespace

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone)
            FModalResult = mrNone;
        else if (action == caFree)
            ReleaseForm();
    } catch (...) {
        FModalResult = mrNone;
        if (!Application) throw;
        Application->HandleException(this);
    }
}

int TCustomForm::ShowModal() {
    if (FVisible || !FEnabled || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation(u"Cannot make a visible window modal");
    if (!Application) throw EInvalidOperation(u"The application is not initialized");
    AfterConstruction();
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    Application->ModalStarted();
    FFormState.Include(fsModal);
    HWND activeWindow = GetActiveWindow();
    TCustomForm* savedFocusedForm = Screen ? Screen->GetFocusedForm() : nullptr;
    if (Screen) Screen->SetFocusedForm(this);
    TCursor savedCursor = Screen ? Screen->GetCursor() : crDefault;
    if (Screen) Screen->SetCursor(crDefault);
    std::vector<HWND> disabled = DisableTaskWindows(GetHandle());
    int result = mrNone;

    auto restore = [&] {
        if (Screen) Screen->SetCursor(savedCursor);
        EnableTaskWindows(disabled);
        if (Screen)
            Screen->SetFocusedForm(Screen->HasForm(savedFocusedForm) ? savedFocusedForm : nullptr);
        if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
        FFormState.Exclude(fsModal);
        Application->ModalFinished();
    };
    auto restoreOnExit = runpak::ScopeExit(restore);
    auto hideOnError = runpak::ScopeExit([this] {
        if (FVisible) Hide();
    });
    Show();
    SendMessageW(FHandle, CM_ACTIVATE, 0, 0);
    FModalResult = mrNone;
    do {
        Application->HandleMessage();
        if (Application->GetTerminated())
            FModalResult = mrCancel;
        else if (FModalResult != mrNone)
            CloseModal();
    } while (FModalResult == mrNone);
    result = FModalResult;
    if (FHandle) SendMessageW(FHandle, CM_DEACTIVATE, 0, 0);
    if (GetActiveWindow() != FHandle) activeWindow = nullptr;
    Hide();
    hideOnError.Release();
    return result;
}
