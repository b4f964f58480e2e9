// TApplication: the program's message loop, its main form and the handling
// of exceptions that escape event handlers.
//
// The global Application (and Screen) exist between InitializeQuorlpak and
// FinalizeQuorlpak (Quorlpak.h); nothing is created at load time.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <quorlpak/Messages.h>
#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>

#include <functional>
#include <memory>

#ifndef HELP_CONTEXT
#define HELP_CONTEXT 0x0001L
#endif

class TCustomForm;
class TControl;
class TWinControl;
class TIcon;
class THintWindow;

using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
// Asked for help: Command says what kind (HELP_CONTEXT: Data is a help
// context number). Answers whether the help was shown; CallHelp (true on
// entry) left true asks for the help system as well.
using THelpEvent = std::function<bool(WORD Command, LONG_PTR Data, bool& CallHelp)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Start and loop ---
    void Initialize() {}
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T> void CreateForm(T*& Reference);
    // Shows the main form and handles messages until Terminate (the main
    // form's closing calls it) or WM_QUIT.
    void Run();
    // Handles every message waiting, then returns.
    void ProcessMessages();
    // Handles one message, or idles (OnIdle) and waits for one.
    void HandleMessage();
    // Ends the loop: posts WM_QUIT.
    void Terminate();
    bool GetTerminated() const { return FTerminate; }
    bool GetRunning() const { return FRunning; }
    // Offered every time the loop idles on the main thread: answers whether
    // it ran something (runpak's TThread queue goes here).
    void SetSynchronizeHook(std::function<bool()> Hook) { FSynchronize = std::move(Hook); }

    // --- The main form and the application window ---
    TCustomForm* GetMainForm() const { return FMainForm; }
    bool GetMainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool Value) { FMainFormOnTaskBar = Value; }
    bool GetShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool Value) { FShowMainForm = Value; }
    // A hidden window of the application (owner of message boxes).
    HWND GetHandle() const { return FHandle; }
    HWND GetActiveFormHandle() const;
    const UnicodeString& GetTitle() const { return FTitle; }
    void SetTitle(const UnicodeString& Value) { FTitle = Value; }
    TIcon* GetIcon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value);
    bool GetActive() const;
    void BringToFront();
    void Minimize();
    void Restore();
    bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }
    TBiDiMode GetBiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }

    // --- Exceptions: call HandleException from inside a catch block ---
    void HandleException(TObject* Sender);
    // A message box with the message (a full stop added), titled with Title.
    void ShowException(Exception* E);
    int MessageBox(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags = 0);

    // --- Modal loops ---
    void ModalStarted();
    void ModalFinished();
    int GetModalLevel() const { return FModalLevel; }

    // --- Hints ---
    // The status-line text of the control under the mouse (OnHint).
    const UnicodeString& GetHint() const { return FHint; }
    void SetHint(const UnicodeString& Value);
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value) { FShowHint = Value; }
    int GetHintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int GetHintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }
    int GetHintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int Value) { FHintShortPause = Value; }
    // Hides a shown hint and forgets a pending one; the next hint waits the
    // full HintPause again.
    void CancelHint();
    // Hides a shown hint; moving within its cursor rectangle does not bring it back.
    void HideHint();
    // The window showing hints (null before the first hint).
    THintWindow* GetHintWindow() const { return FHintWindow; }
    TControl* GetHintControl() const { return FHintControl; }
    // There is no help viewer: help for a context goes to OnHelp, and the
    // answer is whether it showed the help (false without a handler).
    bool HelpContext(int Context);

    // --- Events ---
    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TNotifyEvent OnHint;
    THelpEvent OnHelp;
    TNotifyEvent OnModalBegin;
    TNotifyEvent OnModalEnd;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // --- For the controls ---
    void ControlDestroyed(TControl* Control);
    // Tracks the control under the mouse (CM_MOUSEENTER / CM_MOUSELEAVE).
    // Also drives the hint: mouse moves arm and re-arm it, presses cancel it.
    void HintMouseMessage(TControl* Control, TMessage& Message);
    void MouseLeftWindow(TWinControl* Control);
    TControl* GetMouseControl() const { return FMouseControl; }
    // Registers the first form as the main form (CreateForm's last step).
    void FormCreated(TCustomForm* Form);

private:
    bool ProcessMessage(MSG& Msg);
    void Idle();
    bool IsKeyMsg(MSG& Msg);
    void SetMouseControl(TControl* Control);
    // --- The hint driver (Application.cpp, hints section)
    void WndProc(TMessage& Message);
    bool IsHintMsg(const MSG& Msg);
    void StartHintTimer(UINT_PTR Kind, int Delay);
    void StopHintTimers();
    void HintTimerExpired(UINT_PTR Kind);
    void ActivateHint(const TPoint& CursorPos);

    TCustomForm* FMainForm = nullptr;
    bool FMainFormOnTaskBar = false;
    bool FShowMainForm = true;
    bool FTerminate = false;
    bool FRunning = false;
    HWND FHandle = nullptr;
    UnicodeString FTitle;
    std::unique_ptr<TIcon> FIcon;
    TBiDiMode FBiDiMode = bdLeftToRight;
    int FModalLevel = 0;
    UnicodeString FHint;
    bool FShowHint = true;
    int FHintPause = 500;
    int FHintHidePause = 2500;
    int FHintShortPause = 50;
    TControl* FMouseControl = nullptr;
    // The hint: its window (a component of the application, recreated when a
    // control asks for another class), the control it is for, the screen area
    // it stays valid in, and whether one is up (the next comes after the
    // short pause).
    THintWindow* FHintWindow = nullptr;
    THintWindow* (*FHintWindowClass)(TComponent* AOwner) = nullptr;
    TControl* FHintControl = nullptr;
    TRect FHintCursorRect{};
    bool FHintActive = false;
    std::function<bool()> FSynchronize;
};

extern TApplication* Application;

template <class T> void TApplication::CreateForm(T*& Reference) {
    Reference = nullptr;
    T* form = new T(this);
    Reference = form;
    auto abandon = runpak::ScopeExit([&] {
        Reference = nullptr;
        delete form;
    });
    form->AfterConstruction();
    abandon.Release();
    FormCreated(form);
}

#pragma GCC visibility pop
