// TControl: message routing, mouse handling, wheel and the parent-property
// notifications.
#include "DragOrigin.h"

#include <quorlpak/Application.h>
#include <quorlpak/Control.h>
#include <quorlpak/Form.h>
#include <quorlpak/Menus.h>
#include <quorlpak/WinControl.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The windowless control that has the mouse through its parent's capture.
TControl* gCaptureControl = nullptr;

} // namespace

TControl* GetCaptureControl() {
    TControl* control = FindControl(GetCapture());
    if (control && gCaptureControl && gCaptureControl->GetParent() == control)
        return gCaptureControl;
    return control;
}

void SetCaptureControl(TControl* Control) {
    gCaptureControl = nullptr;
    ReleaseCapture();
    if (!Control) return;
    auto* windowed = dynamic_cast<TWinControl*>(Control);
    if (!windowed) {
        if (!Control->GetParent()) return;
        gCaptureControl = Control;
        windowed = Control->GetParent();
    }
    SetCapture(windowed->GetHandle());
}

bool TControl::GetMouseCapture() const {
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (GetMouseCapture() == Value) return;
    SetCaptureControl(Value ? this : nullptr);
}

// --- Routing
// ---------------------------------------------------------------------------------------

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage message{Msg, WParam, LParam, 0};
    FWindowProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& Message) {
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
        // A control without double clicks sees a second press.
        if (!FControlStyle.Contains(csDoubleClicks) &&
            (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK ||
             Message.Msg == WM_MBUTTONDBLCLK))
            Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        // Moves arm the hint, presses end it.
        if (Application) Application->HintMouseMessage(this, Message);
        switch (Message.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            quorlpak::NoteMousePress(ClientToScreen(
                TPoint{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))}));
            if (FDragMode == dmAutomatic) {
                BeginDrag(false);
                return;
            }
            FControlState.Include(csLButtonDown);
            break;
        case WM_LBUTTONUP:
            FControlState.Exclude(csLButtonDown);
            break;
        default:
            break;
        }
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        WMMouseDown(Message, mbLeft, {});
        return;
    case WM_LBUTTONDBLCLK:
        WMMouseDown(Message, mbLeft, {ssDouble});
        return;
    case WM_RBUTTONDOWN:
        WMMouseDown(Message, mbRight, {});
        return;
    case WM_RBUTTONDBLCLK:
        WMMouseDown(Message, mbRight, {ssDouble});
        return;
    case WM_MBUTTONDOWN:
        WMMouseDown(Message, mbMiddle, {});
        return;
    case WM_MBUTTONDBLCLK:
        WMMouseDown(Message, mbMiddle, {ssDouble});
        return;
    case WM_LBUTTONUP:
        WMMouseUp(Message, mbLeft);
        return;
    case WM_RBUTTONUP:
        // The window's default handling asks for the context menu.
        WMMouseUp(Message, mbRight);
        return;
    case WM_MBUTTONUP:
        WMMouseUp(Message, mbMiddle);
        return;
    case WM_MOUSEMOVE:
        WMMouseMove(Message);
        return;
    case WM_MOUSEWHEEL:
        WMMouseWheel(Message);
        return;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        return;
    case WM_CANCELMODE:
        WMCancelMode(Message);
        return;
    case CM_MOUSEWHEEL:
        CMMouseWheel(Message);
        return;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_BIDIMODECHANGED:
        Invalidate();
        return;
    case CM_VISIBLECHANGED:
        InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
        return;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        return;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        return;
    case CM_PARENTSHOWHINTCHANGED:
        CMParentShowHintChanged(Message);
        return;
    case CM_PARENTBIDIMODECHANGED:
        CMParentBiDiModeChanged(Message);
        return;
    case CM_MOUSEENTER:
        DoMouseEnter();
        return;
    case CM_MOUSELEAVE:
        DoMouseLeave();
        return;
    case CM_HITTEST:
        Message.Result = HTCLIENT;
        return;
    case CM_HINTSHOW:
        CMHintShow(Message);
        return;
    case CM_DRAG:
        CMDrag(Message);
        return;
    default:
        DefaultHandler(Message);
    }
}

// The text of a windowless control (and of a windowed one without its window).
void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char16_t*>(Message.LParam);
        if (!buffer || Message.WParam == 0) {
            Message.Result = 0;
            return;
        }
        size_t n = std::min(FText.size(), static_cast<size_t>(Message.WParam) - 1);
        std::copy_n(FText.begin(), n, buffer);
        buffer[n] = 0;
        Message.Result = static_cast<LRESULT>(n);
        return;
    }
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(FText.size());
        return;
    case WM_SETTEXT: {
        auto* text = reinterpret_cast<const char16_t*>(Message.LParam);
        FText = text ? text : u"";
        Message.Result = 1;
        return;
    }
    default:
        Message.Result = 0;
    }
}

// --- Mouse
// --------------------------------------------------------------------------------------------

void TControl::SendCancelMode(TControl* Sender) {
    for (TControl* control = this; control; control = control->FParent)
        if (auto* form = dynamic_cast<TCustomForm*>(control)) form->SendCancelMode(Sender);
}

void TControl::WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    TWMMouse mouse(Message);
    if (Button == mbLeft) SendCancelMode(this);
    DefaultHandler(Message);
    if (Button == mbLeft) {
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (FControlStyle.Contains(csClickEvents)) {
            if (Shift.Contains(ssDouble))
                DblClick();
            else
                FControlState.Include(csClicked);
        }
    }
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseDown(Button, KeysToShiftState(static_cast<uint16_t>(mouse.Keys)) + Shift, mouse.XPos,
                  mouse.YPos);
}

void TControl::WMMouseUp(TMessage& Message, TMouseButton Button) {
    TWMMouse mouse(Message);
    DefaultHandler(Message);
    if (Button == mbLeft) {
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
        if (FControlState.Contains(csClicked)) {
            FControlState.Exclude(csClicked);
            // A press and release over the control is a click.
            if (GetClientRect().Contains(mouse.Pos())) Click();
        }
    }
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseUp(Button, KeysToShiftState(static_cast<uint16_t>(mouse.Keys)), mouse.XPos,
                mouse.YPos);
}

void TControl::WMMouseMove(TMessage& Message) {
    TWMMouse mouse(Message);
    DefaultHandler(Message);
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseMove(KeysToShiftState(static_cast<uint16_t>(mouse.Keys)), mouse.XPos, mouse.YPos);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::DoMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::DoMouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::WMCancelMode(TMessage& Message) {
    if (GetMouseCapture()) {
        SetMouseCapture(false);
        FControlState -= TControlState{csLButtonDown, csClicked};
    }
    DefaultHandler(Message);
}

// --- Wheel: the focused control's form asks the focused control, which asks its parents ---

void TControl::WMMouseWheel(TMessage& Message) {
    TWMMouseWheel wheel(Message);
    TShiftState shift = KeysToShiftState(wheel.Keys);
    WPARAM wParam =
        MAKEWPARAM(static_cast<WORD>(shift.ToInt()), static_cast<WORD>(wheel.WheelDelta));
    TCustomForm* form = GetParentForm();
    TControl* target = this;
    if (form && form->GetFocusedControl()) target = form->GetFocusedControl();
    Message.Result = target->Perform(CM_MOUSEWHEEL, wParam, Message.LParam);
    if (Message.Result == 0) DefaultHandler(Message);
}

void TControl::CMMouseWheel(TMessage& Message) {
    TCMMouseWheel wheel(Message);
    TShiftState shift = TShiftState::FromInt(wheel.ShiftBits);
    Message.Result = 0;
    if (DoMouseWheel(shift, wheel.WheelDelta, TPoint(wheel.XPos, wheel.YPos)))
        Message.Result = 1;
    else if (FParent)
        Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled) return true;
    // Each full notch is one up or down step.
    int steps = std::abs(WheelDelta) / WHEEL_DELTA;
    if (steps == 0) steps = 1;
    for (int i = 0; i < steps; ++i)
        handled =
            WheelDelta < 0 ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    TPoint pos(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    // (-1, -1) comes from the keyboard: no position.
    const bool keyboard = pos.x == -1 && pos.y == -1;
    TPoint client = keyboard ? pos : ScreenToClient(pos);
    auto* windowed = dynamic_cast<TWinControl*>(this);
    // A windowless control under the mouse is asked first; what it leaves
    // unhandled this control handles as its own.
    if (windowed && !keyboard) {
        TControl* inner = windowed->ControlAtPos(client, false);
        if (inner && inner != this) {
            Message.Result = inner->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
            if (Message.Result != 0) return;
        }
    }
    bool handled = false;
    DoContextPopup(client, handled);
    if (!handled) handled = ShowControlPopupMenu(this, pos);
    Message.Result = handled ? 1 : 0;
    if (handled) return;
    // A windowless control was asked by its parent, which goes on from here.
    if (!windowed) return;
    DefaultHandler(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

// --- Parent properties
// ------------------------------------------------------------------------------

void TControl::CMParentFontChanged(TMessage& Message) {
    if (!FParentFont) return;
    if (Message.WParam)
        SetFont(reinterpret_cast<TFont*>(Message.LParam));
    else if (FParent)
        SetFont(FParent->GetFont());
    FParentFont = true;
}

void TControl::CMParentColorChanged(TMessage& Message) {
    if (!FParentColor) return;
    if (Message.WParam)
        SetColor(static_cast<TColor>(Message.LParam));
    else if (FParent)
        SetColor(FParent->GetColor());
    FParentColor = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (!FParentShowHint || !FParent) return;
    SetShowHint(FParent->GetShowHint());
    FParentShowHint = true;
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
    if (!FParentBiDiMode || !FParent) return;
    SetBiDiMode(FParent->GetBiDiMode());
    FParentBiDiMode = true;
}

void TControl::CMHintShow(TMessage& Message) {
    // Nothing to add: the hint text is the control's own.
    Message.Result = 0;
}
