#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/HintWindow.h>
#include <quorlpak/Icon.h>
#include <quorlpak/Screen.h>
#include <quorlpak/UtilWindow.h>
#include <quorlpak/WinControl.h>

#include <runpak/TypeInfo.h>
#include <win32/winbase.h>

TApplication* Application = nullptr;

namespace {

constexpr UINT kIconStop = 0x10;

TControl* HintControlOf(TControl* Control);
TControl* ControlAt(const TPoint& Screen);
TPoint CursorPosition();

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
    FHandle = AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
}

void TApplication::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TIMER) {
        HintTimerExpired(Message.WParam);
        return;
    }
    Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

TApplication::~TApplication() {
    StopHintTimers();
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
    if (FHintControl && IsHintMsg(Msg)) CancelHint();
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

void TApplication::MouseLeftWindow(TWinControl* Control) {
    if (FMouseControl && (FMouseControl == Control || FMouseControl->GetParent() == Control)) {
        SetMouseControl(nullptr);
        // Onto a neighbour with hints the hint moves on (after the short
        // pause) when that neighbour sees the mouse; elsewhere it ends.
        if (!HintControlOf(ControlAt(CursorPosition()))) CancelHint();
    }
}

void TApplication::SetHint(const UnicodeString& Value) {
    if (FHint == Value) return;
    FHint = Value;
    if (OnHint) OnHint(this);
}

void TApplication::ControlDestroyed(TControl* Control) {
    if (FMouseControl == Control) FMouseControl = nullptr;
    if (static_cast<TControl*>(FHintWindow) == Control) {
        FHintWindow = nullptr;
        FHintActive = false;
    }
    if (FHintControl == Control) CancelHint();
    if (static_cast<TControl*>(FMainForm) == Control) FMainForm = nullptr;
    if (Screen) Screen->ControlDestroyed(Control);
}

// --- Hints
// ------------------------------------------------------------------------------------------
//
// The mouse resting over a control with ShowHint arms a timer (HintPause);
// when it fires the control is asked (CM_HINTSHOW) what to show and where, and
// the hint window shows it until HintHidePause passes, the mouse leaves the
// cursor rectangle the control gave, or a click or key ends it. Moving on to
// another hint while one shows waits only HintShortPause. Every delay runs on
// the layer's timers, so the clock tests use drives it too.

namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
constexpr UINT_PTR kHintReshowTimer = 3;

// The control whose hint applies at Control: the nearest one with ShowHint.
TControl* HintControlOf(TControl* Control) {
    while (Control && !Control->GetShowHint())
        Control = Control->GetParent();
    if (Control && Control->GetComponentState().Contains(csDesigning)) return nullptr;
    return Control;
}

// The control under a screen point (hint windows let the mouse through).
TControl* ControlAt(const TPoint& Screen) {
    HWND window = WindowFromPoint(POINT{Screen.x, Screen.y});
    TWinControl* control = nullptr;
    for (; window && !control; window = GetParent(window))
        control = FindControl(window);
    if (!control) return nullptr;
    if (TControl* child = control->ControlAtPos(control->ScreenToClient(Screen), false))
        return child;
    return control;
}

TPoint CursorPosition() {
    POINT p{};
    GetCursorPos(&p);
    return TPoint(p.x, p.y);
}

} // namespace

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
    if (Message.Msg != WM_MOUSEMOVE && Message.Msg != WM_NCMOUSEMOVE) {
        // A press, release or wheel turn ends the hint.
        CancelHint();
        return;
    }
    if (Message.Msg == WM_MOUSEMOVE) SetMouseControl(Control);
    TControl* hintControl = FShowHint ? HintControlOf(Control) : nullptr;
    if (!hintControl) {
        CancelHint();
        return;
    }
    const TPoint p = CursorPosition();
    if (hintControl == FHintControl && PtInRect(&FHintCursorRect, p)) return;
    // Moving on from a shown hint: the next one follows after the short pause.
    int pause = FHintActive ? FHintShortPause : FHintPause;
    hintControl->Perform(CM_HINTSHOWPAUSE, FHintActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
    HideHint();
    FHintControl = hintControl;
    FHintCursorRect = TRect();
    if (pause <= 0)
        ActivateHint(p);
    else
        StartHintTimer(kHintShowTimer, pause);
}

void TApplication::StartHintTimer(UINT_PTR Kind, int Delay) {
    if (Kind == kHintShowTimer) KillTimer(FHandle, kHintReshowTimer);
    SetTimer(FHandle, Kind, UINT(Delay), nullptr);
}

void TApplication::StopHintTimers() {
    if (!FHandle) return;
    KillTimer(FHandle, kHintShowTimer);
    KillTimer(FHandle, kHintHideTimer);
    KillTimer(FHandle, kHintReshowTimer);
}

void TApplication::HintTimerExpired(UINT_PTR Kind) {
    KillTimer(FHandle, Kind);
    switch (Kind) {
    case kHintShowTimer:
    case kHintReshowTimer:
        ActivateHint(CursorPosition());
        break;
    case kHintHideTimer:
        HideHint();
        FHintActive = false;
        break;
    default:
        break;
    }
}

bool TApplication::IsHintMsg(const MSG& Msg) {
    if (FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->GetHandle()))
        return FHintWindow->IsHintMsg(Msg);
    // A pending hint gives way to typing.
    return Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN;
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
    TControl* control = FHintControl;
    // The mouse may have moved on while the timer ran.
    if (!control || HintControlOf(ControlAt(CursorPos)) != control) {
        CancelHint();
        return;
    }
    THintInfo info;
    info.HintControl = control;
    info.HintPos = TPoint(CursorPos.x, CursorPos.y + GetSystemMetrics(SM_CYCURSOR) * 3 / 4);
    info.HintMaxWidth = Screen ? Screen->GetWidth() : GetSystemMetrics(SM_CXSCREEN);
    info.CursorPos = control->ScreenToClient(CursorPos);
    info.CursorRect = control->GetClientRect();
    info.HideTimeout = FHintHidePause;
    info.HintStr = GetShortHint(control->GetHint());
    const bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    // The control may be gone or the hint cancelled while it answered.
    if (FHintControl != control) return;

    if (!canShow || info.HintStr.empty()) {
        // No cursor rectangle: the next move asks again (a tree may answer
        // differently over another cell).
        HideHint();
        return;
    }
    const TPoint origin = control->ClientToScreen(TPoint(0, 0));
    FHintCursorRect = info.CursorRect;
    OffsetRect(&FHintCursorRect, origin.x, origin.y);
    THintWindowClass windowClass = info.HintWindowClass ? info.HintWindowClass : &MakeHintWindow;
    if (FHintWindow && FHintWindowClass != windowClass) {
        THintWindow* old = FHintWindow;
        FHintWindow = nullptr;
        delete old;
    }
    if (!FHintWindow) {
        FHintWindow = windowClass(this);
        FHintWindowClass = windowClass;
    }
    FHintWindow->SetColor(info.HintColor);
    TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    OffsetRect(&r, info.HintPos.x, info.HintPos.y);
    FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
    // The window may decline (an empty rectangle): then no hint is up.
    FHintActive = FHintWindow && FHintWindow->HandleAllocated() &&
                  IsWindowVisible(FHintWindow->GetHandle());
    if (!FHintActive) return;
    if (info.HideTimeout > 0) StartHintTimer(kHintHideTimer, info.HideTimeout);
    if (info.ReshowTimeout > 0) StartHintTimer(kHintReshowTimer, info.ReshowTimeout);
}

void TApplication::HideHint() {
    if (FHandle) {
        KillTimer(FHandle, kHintHideTimer);
        KillTimer(FHandle, kHintReshowTimer);
    }
    if (FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->GetHandle()))
        ShowWindow(FHintWindow->GetHandle(), SW_HIDE);
}

void TApplication::CancelHint() {
    if (!FHintControl && !FHintActive) return;
    StopHintTimers();
    HideHint();
    FHintControl = nullptr;
    FHintActive = false;
    FHintCursorRect = TRect();
}

bool TApplication::HelpContext(int Context) {
    if (!OnHelp) return false;
    bool callHelp = true;
    return OnHelp(static_cast<WORD>(HELP_CONTEXT), Context, callHelp);
}
