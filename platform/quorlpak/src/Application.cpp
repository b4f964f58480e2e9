#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/Icon.h>
#include <quorlpak/Screen.h>
#include <quorlpak/UtilWindow.h>
#include <quorlpak/WinControl.h>

#include <runpak/TypeInfo.h>
#include <win32/winbase.h>

TApplication* Application = nullptr;

namespace {

constexpr UINT kIconStop = 0x10;

// The system's message box: a modal loop that keeps the thread's messages
// (timers too) going until it is answered.
int SystemMessageBox(HWND Owner, const UnicodeString& Text, const UnicodeString& Caption,
                     UINT Flags) {
    return MessageBoxW(Owner, Text.c_str(), Caption.c_str(), Flags);
}

} // namespace

TClass TApplication::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TApplication>(u"TApplication", TComponent::StaticClass()));
    return &meta;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), FIcon(new TIcon) {
    FHandle = AllocateHWnd([this](TMessage& Message) {
        Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
    });
}

TApplication::~TApplication() {
    // The forms go while the application is whole: their destructors report here.
    DestroyComponents();
    DeallocateHWnd(FHandle);
    FIcon.reset();
}

void TApplication::SetIcon(TIcon* Value) {
    FIcon->Assign(Value);
}

// --- The loop
// -------------------------------------------------------------------------------------

bool TApplication::IsKeyMsg(MSG& Msg) {
    if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
    HWND wnd = GetCapture();
    if (!wnd) {
        // The nearest window of ours gets the key first.
        wnd = Msg.hwnd;
        while (wnd && !FindControl(wnd))
            wnd = GetParent(wnd);
        if (!wnd) return false;
    } else if (!FindControl(wnd)) {
        return false;
    }
    return SendMessageW(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
    if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (Msg.message == WM_QUIT) {
        FTerminate = true;
        return true;
    }
    bool handled = false;
    if (OnMessage) OnMessage(Msg, handled);
    if (!handled && !IsKeyMsg(Msg)) {
        TranslateMessage(&Msg);
        DispatchMessageW(&Msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Idle() {
    bool done = true;
    try {
        if (OnIdle) OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
    if (FSynchronize && FSynchronize()) done = false;
    if (done) WaitMessage();
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::Run() {
    FRunning = true;
    if (FMainForm) {
        if (FShowMainForm) {
            if (FMainForm->GetWindowState() == wsMinimized)
                Minimize();
            else
                FMainForm->Show();
        }
        while (!FTerminate) {
            try {
                HandleMessage();
            } catch (...) {
                HandleException(this);
            }
        }
    }
    FRunning = false;
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

// --- Forms
// ------------------------------------------------------------------------------------------

void TApplication::FormCreated(TCustomForm* Form) {
    if (!FMainForm && dynamic_cast<TForm*>(Form)) {
        Form->HandleNeeded();
        FMainForm = Form;
    }
}

HWND TApplication::GetActiveFormHandle() const {
    HWND active = GetActiveWindow();
    return active && FindControl(active) ? active : nullptr;
}

bool TApplication::GetActive() const {
    return GetActiveFormHandle() != nullptr;
}

void TApplication::BringToFront() {
    if (FMainForm && FMainForm->HandleAllocated()) SetActiveWindow(FMainForm->GetHandle());
}

void TApplication::Minimize() {
    if (FMainForm) {
        FMainForm->SetWindowState(wsMinimized);
        if (!FMainForm->GetVisible()) FMainForm->Show();
    }
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (FMainForm) FMainForm->SetWindowState(wsNormal);
    if (OnRestore) OnRestore(this);
}

void TApplication::ModalStarted() {
    if (++FModalLevel == 1 && OnModalBegin) OnModalBegin(this);
}

void TApplication::ModalFinished() {
    if (FModalLevel > 0 && --FModalLevel == 0 && OnModalEnd) OnModalEnd(this);
}

// --- Exceptions
// -----------------------------------------------------------------------------------------

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    auto report = [&](Exception& E) {
        if (OnException)
            OnException(Sender, &E);
        else
            ShowException(&E);
    };
    try {
        std::rethrow_exception(current);
    } catch (EAbort&) {
        // Silent by design.
    } catch (Exception& E) {
        report(E);
    } catch (std::exception& E) {
        Exception wrapped(Utf8ToUnicode(E.what()));
        report(wrapped);
    } catch (...) {
        Exception wrapped(u"Unknown exception");
        report(wrapped);
    }
}

void TApplication::ShowException(Exception* E) {
    UnicodeString text = E->GetMessage();
    if (!text.empty() && text.back() > u'.') text += u'.';
    MessageBox(text, FTitle, kIconStop);
}

int TApplication::MessageBox(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags) {
    HWND owner = GetActiveFormHandle();
    return SystemMessageBox(owner ? owner : FHandle, Text, Caption, Flags);
}

// --- The control under the mouse
// ------------------------------------------------------------------------

void TApplication::SetMouseControl(TControl* Control) {
    if (FMouseControl == Control) return;
    TControl* old = FMouseControl;
    FMouseControl = Control;
    if (old) old->Perform(CM_MOUSELEAVE);
    if (Control && FMouseControl == Control) Control->Perform(CM_MOUSEENTER);
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
    if (Message.Msg == WM_MOUSEMOVE) SetMouseControl(Control);
}

void TApplication::MouseLeftWindow(TWinControl* Control) {
    if (FMouseControl && (FMouseControl == Control || FMouseControl->GetParent() == Control))
        SetMouseControl(nullptr);
}

void TApplication::SetHint(const UnicodeString& Value) {
    if (FHint == Value) return;
    FHint = Value;
    if (OnHint) OnHint(this);
}

void TApplication::ControlDestroyed(TControl* Control) {
    if (FMouseControl == Control) FMouseControl = nullptr;
    if (static_cast<TControl*>(FMainForm) == Control) FMainForm = nullptr;
    if (Screen) Screen->ControlDestroyed(Control);
}
