// TCustomForm: creation, window parameters, showing, closing and releasing.
#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/FormDescriptions.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Screen.h>
#include <quorlpak/TypeInfos.h>

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>

namespace {

TFormInitializer& Initializer() {
    static TFormInitializer initializer;
    return initializer;
}

} // namespace

TClass TCustomForm::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomForm>(u"TCustomForm", TWinControl::StaticClass()));
    return &meta;
}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), FIcon(new TIcon), FCanvas(new TControlCanvas) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csDoubleClicks};
    FCanvas->SetControl(this);
    FVisible = false;
    FParentFont = false;
    FParentColor = false;
    FLeft = 0;
    FTop = 0;
    FWidth = 320;
    FHeight = 240;
    SetColor(clBtnFace);
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (!FDestroyFired) {
        FDestroyFired = true;
        DoDestroy();
    }
    if (Screen) Screen->RemoveForm(this);
    // The window goes while the form is still a form, so that its messages
    // reach the form's own handlers.
    if (FHandle) DestroyHandle();
    // Focus moving while the window went may have made it the screen's
    // focused form again; the screen must not keep a form that is gone.
    if (Screen) Screen->RemoveForm(this);
    delete FCanvas;
    FCanvas = nullptr;
    FIcon.reset();
}

void TCustomForm::SetFormInitializer(TFormInitializer Value) {
    Initializer() = std::move(Value);
}

void TCustomForm::AfterConstruction() {
    if (!FFormState.Contains(fsCreating)) return;
    // A form class registered with a description reads it (its controls,
    // their properties and handlers) unless another initializer is installed.
    if (Initializer())
        Initializer()(this);
    else
        ReadFormDescription(this);
    FFormState.Exclude(fsCreating);
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    TWinControl::BeforeDestruction();
    if (Screen) Screen->RemoveForm(this);
    if (FHandle && FVisible) Hide();
    if (!FDestroyFired) {
        FDestroyFired = true;
        DoDestroy();
    }
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    if (FScaled && Screen && FPixelsPerInch != Screen->GetPixelsPerInch()) {
        ChangeScale(Screen->GetPixelsPerInch(), FPixelsPerInch);
        FPixelsPerInch = Screen->GetPixelsPerInch();
    }
}

// --- Window parameters
// ----------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    if (!FParent && !FParentWindow) {
        Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
        // Secondary forms belong to the main form, so that they stay above it.
        TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
        Params.WndParent = main && main != this && main->FHandle ? main->FHandle : nullptr;
    }
    Params.WindowClass.style = CS_DBLCLKS;
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
        Params.X = CW_USEDEFAULT;
        Params.Y = CW_USEDEFAULT;
    }
    TBorderIcons icons = FBorderIcons;
    switch (FBorderStyle) {
    case bsNone:
        if (!FParent && !FParentWindow) Params.Style |= WS_POPUP;
        icons.Clear();
        break;
    case bsSingle:
    case bsToolWindow:
        Params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        icons = icons * TBorderIcons{biSystemMenu, biHelp};
        Params.WindowClass.style |= CS_SAVEBITS;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (icons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    if (icons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    if (FWindowState == wsMinimized)
        Params.Style |= WS_MINIMIZE;
    else if (FWindowState == wsMaximized)
        Params.Style |= WS_MAXIMIZE;
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (FBorderIcons == Value) return;
    FBorderIcons = Value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    if (FFormStyle == Value) return;
    FFormStyle = Value;
    if (FHandle)
        SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState Value) {
    if (FWindowState == Value) return;
    FWindowState = Value;
    if (FHandle && FShowing)
        ShowWindow(FHandle, Value == wsMinimized   ? SW_MINIMIZE
                            : Value == wsMaximized ? SW_SHOWMAXIMIZED
                                                   : SW_RESTORE);
}

// --- Painting
// -----------------------------------------------------------------------------------------

void TCustomForm::Dispatch(TMessage& Message) {
    if (MenuMessage(Message)) return;
    switch (Message.Msg) {
    case WM_PAINT:
        FControlState.Include(csCustomPaint);
        TWinControl::Dispatch(Message);
        FControlState.Exclude(csCustomPaint);
        return;
    case WM_ACTIVATE:
        SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
        return;
    case WM_CLOSE:
        Close();
        return;
    case CM_ACTIVATE:
        Activate();
        return;
    case CM_DEACTIVATE:
        Deactivate();
        return;
    case CM_RELEASE:
        BeforeDestruction();
        delete this;
        return;
    case CM_SHOWINGCHANGED:
        if (FShowing) {
            try {
                DoShow();
            } catch (...) {
                if (!Application) throw;
                Application->HandleException(this);
            }
            PlaceOnScreen();
            ShowWindow(FHandle, FWindowState == wsMaximized   ? SW_SHOWMAXIMIZED
                                : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                                              : SW_SHOWNORMAL);
        } else {
            if (GetActiveWindow() == FHandle) ActivateAnotherForm();
            ShowWindow(FHandle, SW_HIDE);
            DoHide();
        }
        return;
    case CM_DIALOGKEY:
        // Tab and the arrows move the focus between this form's controls.
        if (GetKeyState(VK_MENU) >= 0) {
            if (Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            if (Message.WParam == VK_LEFT || Message.WParam == VK_RIGHT ||
                Message.WParam == VK_UP || Message.WParam == VK_DOWN) {
                if (FActiveControl && FActiveControl->GetParent()) {
                    FActiveControl->GetParent()->SelectNext(
                        FActiveControl, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN,
                        false);
                    Message.Result = 1;
                }
                return;
            }
        }
        TWinControl::Dispatch(Message);
        return;
    default:
        TWinControl::Dispatch(Message);
    }
}

void TCustomForm::PaintWindow(HDC DC) {
    if (!FCanvas) return;
    FCanvas->Lock();
    FCanvas->FreeHandle();
    FCanvas->SetHandle(DC);
    auto release = runpak::ScopeExit([this] {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    });
    Paint();
}

// --- Showing
// ----------------------------------------------------------------------------------------------

void TCustomForm::Show() {
    AfterConstruction();
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::PlaceOnScreen() {
    if (!Screen) return;
    TCustomForm* center = nullptr;
    switch (FPosition) {
    case poMainFormCenter:
        center = Application ? Application->GetMainForm() : nullptr;
        break;
    case poOwnerFormCenter:
        center = dynamic_cast<TCustomForm*>(GetOwner());
        break;
    case poScreenCenter:
    case poDesktopCenter:
        break;
    default:
        return;
    }
    if (center == this || (center && !center->GetVisible())) center = nullptr;
    TRect area =
        center ? center->GetBoundsRect() : TRect(0, 0, Screen->GetWidth(), Screen->GetHeight());
    int x = area.left + (area.Width() - FWidth) / 2;
    int y = area.top + (area.Height() - FHeight) / 2;
    SetBounds(std::max(x, 0), std::max(y, 0), FWidth, FHeight);
}

void TCustomForm::ActivateAnotherForm() {
    if (!Screen) return;
    for (int i = 0; i < Screen->GetFormCount(); ++i) {
        TCustomForm* form = Screen->GetForms(i);
        if (form != this && form->FHandle && form->FShowing && IsWindowEnabled(form->FHandle)) {
            SetActiveWindow(form->FHandle);
            return;
        }
    }
}

// --- Closing
// ---------------------------------------------------------------------------------------------

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->GetMainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        ReleaseForm();
}

void TCustomForm::ReleaseForm() {
    // Posted, so that the handler asking for it returns before the form goes.
    if (FHandle)
        PostMessageW(FHandle, CM_RELEASE, 0, 0);
    else
        throw EInvalidOperation(u"Cannot release a form without a window");
}

// --- Helpers
// ---------------------------------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* Control, bool TopForm) {
    return Control ? Control->GetParentForm(TopForm) : nullptr;
}

TCustomForm* ValidParentForm(TControl* Control, bool TopForm) {
    TCustomForm* form = GetParentForm(Control, TopForm);
    if (!form)
        throw EInvalidOperation(u"Control '" + (Control ? Control->GetName() : UnicodeString()) +
                                u"' has no parent form");
    return form;
}

// --- TForm
// ---------------------------------------------------------------------------------------------------

TClass TForm::StaticClass() {
    using F = TForm;
    static const TMetaClass meta(
        TClassBuilder<F>(u"TForm", TCustomForm::StaticClass())
            .Property(u"Caption", UnicodeStringTypeInfo, &F::GetCaption, &F::SetCaption)
            .Property(u"ClientWidth", IntegerTypeInfo, &F::GetClientWidth, &F::SetClientWidth)
            .Stored(false)
            .Property(u"ClientHeight", IntegerTypeInfo, &F::GetClientHeight, &F::SetClientHeight)
            .Stored(false)
            .Property(u"Color", TypeInfo_TColor, &F::GetColor, &F::SetColor)
            .Default(clBtnFace)
            .Property(u"Font", ClassTypeInfo<TFont>, &F::GetFont, &F::SetFont)
            .Property(u"BorderStyle", TypeInfo_TFormBorderStyle, &F::GetBorderStyle,
                      &F::SetBorderStyle)
            .Default(bsSizeable)
            .Property(u"BorderIcons", TypeInfo_TBorderIcons, &F::GetBorderIcons, &F::SetBorderIcons)
            .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize}.ToInt())
            .Property(u"Position", TypeInfo_TPosition, &F::GetPosition, &F::SetPosition)
            .Default(poDefaultPosOnly)
            .Property(u"WindowState", TypeInfo_TWindowState, &F::GetWindowState, &F::SetWindowState)
            .Default(wsNormal)
            .Property(u"FormStyle", TypeInfo_TFormStyle, &F::GetFormStyle, &F::SetFormStyle)
            .Default(fsNormal)
            .Property(u"KeyPreview", BooleanTypeInfo, &F::GetKeyPreview, &F::SetKeyPreview)
            .Default(0)
            .Property(u"Visible", BooleanTypeInfo, &F::GetVisible, &F::SetVisible)
            .Default(0)
            .Property(u"Enabled", BooleanTypeInfo, &F::GetEnabled, &F::SetEnabled)
            .Default(1)
            .Property(u"Hint", UnicodeStringTypeInfo, &F::GetHint, &F::SetHint)
            .Property(u"ShowHint", BooleanTypeInfo, &F::GetShowHint, &F::SetShowHint)
            .Property(u"PixelsPerInch", IntegerTypeInfo, &F::GetPixelsPerInch, &F::SetPixelsPerInch)
            .Property(u"Scaled", BooleanTypeInfo, &F::GetScaled, &F::SetScaled)
            .Default(1)
            .Property(u"ActiveControl", ClassTypeInfo<TWinControl>, &F::GetActiveControl,
                      &F::SetActiveControl)
            .Property(u"Menu", ClassTypeInfo<TMainMenu>, &F::GetMenu, &F::SetMenu)
            .Property(u"PopupMenu", ClassTypeInfo<TPopupMenu>, &F::GetPopupMenu, &F::SetPopupMenu)
            .Event(u"OnActivate", static_cast<TNotifyEvent F::*>(&TCustomForm::OnActivate))
            .Event(u"OnClick", static_cast<TNotifyEvent F::*>(&TControl::OnClick))
            .Event(u"OnClose", static_cast<TCloseEvent F::*>(&TCustomForm::OnClose))
            .Event(u"OnCloseQuery", static_cast<TCloseQueryEvent F::*>(&TCustomForm::OnCloseQuery))
            .Event(u"OnCreate", static_cast<TNotifyEvent F::*>(&TCustomForm::OnCreate))
            .Event(u"OnDeactivate", static_cast<TNotifyEvent F::*>(&TCustomForm::OnDeactivate))
            .Event(u"OnDestroy", static_cast<TNotifyEvent F::*>(&TCustomForm::OnDestroy))
            .Event(u"OnHide", static_cast<TNotifyEvent F::*>(&TCustomForm::OnHide))
            .Event(u"OnKeyDown", static_cast<TKeyEvent F::*>(&TWinControl::OnKeyDown))
            .Event(u"OnKeyPress", static_cast<TKeyPressEvent F::*>(&TWinControl::OnKeyPress))
            .Event(u"OnKeyUp", static_cast<TKeyEvent F::*>(&TWinControl::OnKeyUp))
            .Event(u"OnPaint", static_cast<TNotifyEvent F::*>(&TCustomForm::OnPaint))
            .Event(u"OnResize", static_cast<TNotifyEvent F::*>(&TControl::OnResize))
            .Event(u"OnShow", static_cast<TNotifyEvent F::*>(&TCustomForm::OnShow)));
    return &meta;
}
