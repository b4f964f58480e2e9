// TCustomForm and TForm: top-level windows holding controls. A form keeps
// track of the focused control (OnEnter/OnExit of its controls come from
// here), shows itself modally or not, and closes with OnCloseQuery/OnClose.
//
// Creation: whoever creates a form calls AfterConstruction once the object
// is complete (Application->CreateForm does); that reads the form's
// description through the form initializer, if one is installed, and fires
// OnCreate. Show and ShowModal do it for a form that was not told.
// Destruction: ReleaseForm, FreeAndNil or the owner fire OnDestroy while the form
// is whole (BeforeDestruction); a plain delete fires it from the destructor.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <quorlpak/Icon.h>

#include <functional>
#include <memory>

class TMainMenu;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon, 8>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem, 8>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm;
// Reads a form's description into a new form (installed by component streaming).
using TFormInitializer = std::function<void(TCustomForm* Form)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Reads the description (if an initializer is installed) and fires OnCreate, once.
    virtual void AfterConstruction();
    void BeforeDestruction() override;
    static void SetFormInitializer(TFormInitializer Initializer);

    // --- Showing and closing ---
    void Show();
    void Hide();
    // Asks OnCloseQuery, then OnClose decides: hide, free, minimise or stay.
    // The main form's closing ends the application; a modal form's ends ShowModal.
    void Close();
    // Frees the form once the messages in the queue before it are handled.
    // (The framework's Release; the name Release belongs to IInterface here.)
    void ReleaseForm();
    // Shows the form with every other window of the thread disabled, handles
    // messages (timers included) until ModalResult is set, and answers it.
    int ShowModal();
    virtual bool CloseQuery();
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }

    // --- Focus ---
    TWinControl* GetActiveControl() const { return FActiveControl; }
    // EInvalidOperation "Cannot focus a disabled or invisible window" for a
    // control that is not this form's or cannot take the focus.
    void SetActiveControl(TWinControl* Control);
    TWinControl* GetFocusedControl() const { return FFocusedControl; }
    // Moves the form's focus to Control, with OnExit and OnEnter along the
    // way; false when a handler moved the focus elsewhere meanwhile.
    virtual bool SetFocusedControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);
    void SetFocus() override;
    bool GetActive() const { return FActive; }
    bool GetKeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    void SendCancelMode(TControl* Sender);

    // --- Looks and placement ---
    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState GetWindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    TFormStyle GetFormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TFormState GetFormState() const { return FFormState; }
    TIcon* GetIcon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
    TMainMenu* GetMenu() const { return FMenu; }
    void SetMenu(TMainMenu* Value); // FormMenu.cpp
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
    bool GetScaled() const { return FScaled; }
    void SetScaled(bool Value) { FScaled = Value; }
    TCanvas* GetCanvas() const { return FCanvas; }

    void Dispatch(TMessage& Message) override;

    // --- Events ---
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    // --- Menu bar and streamed components (FormMenu.cpp) ---
    // The form streams the components it owns that lie on no control
    // (menus, dialogs, timers) before its controls.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

protected:
    // A top-level form's window is made with its menu bar.
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The menu's messages (its commands, the window going); true when handled.
    bool MenuMessage(TMessage& Message);
    // --- End of the menu bar block ---

protected:
    void CreateParams(TCreateParams& Params) override;
    void PaintWindow(HDC DC) override;
    void Loaded() override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();

private:
    void SetActive(bool Value);
    void SetWindowFocus();
    void CloseModal();
    void PlaceOnScreen();
    void ActivateAnotherForm();
    bool SendFocusMessage(HWND Window, UINT Msg);

    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDefaultPosOnly;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TFormState FFormState{fsCreating};
    TModalResult FModalResult = mrNone;
    std::unique_ptr<TIcon> FIcon;
    TMainMenu* FMenu = nullptr;
    TControlCanvas* FCanvas;
    int FPixelsPerInch = 96;
    bool FScaled = true;
    bool FKeyPreview = false;
    bool FActive = false;
    bool FDestroyFired = false;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// The form a control lies on (the topmost one), or null.
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
// As GetParentForm, raising EInvalidOperation when there is none.
TCustomForm* ValidParentForm(TControl* Control, bool TopForm = true);

#pragma GCC visibility pop
