// TWinControl: message routing, the default window procedure, mouse
// messages for windowless children and notifications reflected to children.
#include <quorlpak/Application.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/Form.h>
#include <quorlpak/Screen.h>
#include <quorlpak/WinControl.h>

namespace {

// The head of a DRAWITEMSTRUCT, enough to find the item's window.
struct DrawItemHead {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
};
// The head of a MEASUREITEMSTRUCT.
struct MeasureItemHead {
    UINT CtlType;
    UINT CtlID;
};
constexpr UINT kOwnerDrawMenu = 1;

} // namespace

void TWinControl::MainWndProc(TMessage& Message) {
    try {
        FWindowProc(Message);
    } catch (...) {
        FreeDeviceContexts();
        if (!Application) throw;
        Application->HandleException(this);
        return;
    }
    FreeDeviceContexts();
}

LRESULT TWinControl::DefWndProcCall(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!FHandle) return 0;
    return CallWindowProcW(FDefWndProc, FHandle, Msg, WParam, LParam);
}

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS:
        if (TCustomForm* form = GetParentForm(); form && !form->SetFocusedControl(this)) return;
        break;
    case WM_KILLFOCUS:
        if (FControlState.Contains(csFocusing)) return;
        break;
    case WM_NCHITTEST: {
        TControl::WndProc(Message);
        if (Message.Result == HTTRANSPARENT) {
            TPoint p =
                ScreenToClient(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
            if (ControlAtPos(p, false)) Message.Result = HTCLIENT;
        }
        return;
    }
    case WM_MOUSEMOVE:
        TrackMouseLeave();
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (IsControlMouseMsg(Message)) {
            // The handler may have taken the window away (Parent = nil).
            if (Message.Result == 0 && FHandle)
                DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        if (Dragging()) return;
        break;
    case WM_CANCELMODE:
        if (TControl* capture = GetCaptureControl();
            capture && capture != this && capture->GetParent() == this)
            capture->Perform(WM_CANCELMODE);
        break;
    default:
        break;
    }
    TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        return;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        return;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_WINDOWPOSCHANGED:
        WMWindowPosChanged(Message);
        return;
    case WM_SETCURSOR:
        WMSetCursor(Message);
        return;
    case WM_COMMAND:
        WMCommand(Message);
        return;
    case WM_NOTIFY:
        WMNotify(Message);
        return;
    case WM_DRAWITEM:
        WMDrawItem(Message);
        return;
    case WM_MEASUREITEM:
        WMMeasureItem(Message);
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        WMScroll(Message);
        return;
    case WM_NCDESTROY:
        WMNCDestroy(Message);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        WMKeyDown(Message);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyUp(Message);
        return;
    case WM_CHAR:
        WMChar(Message);
        return;
    case WM_MOUSELEAVE:
        WMMouseLeave(Message);
        return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(Message);
        return;
    case CN_CHAR:
    case CN_SYSCHAR:
        CNChar(Message);
        return;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        return;
    case CM_COLORCHANGED:
        CMColorChanged(Message);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case CM_VISIBLECHANGED:
        CMVisibleChanged(Message);
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(Message);
        return;
    case CM_RECREATEWND:
        CMRecreateWnd(Message);
        return;
    case CM_INVALIDATE:
        CMInvalidate(Message);
        return;
    case CM_ENTER:
        CMEnter(Message);
        return;
    case CM_EXIT:
        CMExit(Message);
        return;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        return;
    case CM_BORDERCHANGED:
        CMBorderChanged(Message);
        return;
    case CM_CTL3DCHANGED:
        RecreateWnd();
        return;
    default:
        TControl::Dispatch(Message);
    }
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (!FHandle) {
        TControl::DefaultHandler(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // The child's colours are the child control's to give.
        if (DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) return;
        break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        SetTextColor(dc, ColorToRGB(FFont->GetColor()));
        SetBkColor(dc, ColorToRGB(FBrush->GetColor()));
        Message.Result = reinterpret_cast<LRESULT>(FBrush->GetHandle());
        return;
    }
    default:
        break;
    }
    Message.Result =
        CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// --- Mouse messages of windowless children
// ----------------------------------------------------------

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) {
    auto hit = [&](TControl* c) {
        if (!c->FVisible || (!c->GetEnabled() && !AllowDisabled)) return false;
        if (!c->GetBoundsRect().Contains(Pos)) return false;
        return c->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.x - c->FLeft, Pos.y - c->FTop)) != 0;
    };
    if (AllowWinControls)
        for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* control = nullptr;
    if (GetCapture() == FHandle) {
        TControl* capture = GetCaptureControl();
        if (capture && capture != this && capture->GetParent() == this) control = capture;
    } else {
        control =
            ControlAtPos(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)), false);
    }
    if (!control) return false;
    int x = GET_X_LPARAM(Message.LParam) - control->FLeft;
    int y = GET_Y_LPARAM(Message.LParam) - control->FTop;
    Message.Result = control->Perform(Message.Msg, Message.WParam, MAKELPARAM(x, y));
    return true;
}

void TWinControl::TrackMouseLeave() {
    if (!FHandle) return;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
    TrackMouseEvent(&track);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
    if (Application) Application->MouseLeftWindow(this);
    DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
    if (reinterpret_cast<HWND>(Message.WParam) == FHandle &&
        static_cast<short>(LOWORD(Message.LParam)) == HTCLIENT && Screen) {
        TCursor cursor = Screen->GetCursor();
        if (cursor == crDefault) {
            POINT p{};
            GetCursorPos(&p);
            TControl* control = ControlAtPos(ScreenToClient(p), false);
            if (control) cursor = control->FCursor;
            if (cursor == crDefault) cursor = FCursor;
        }
        if (cursor != crDefault) {
            ::SetCursor(Screen->GetCursors(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

// --- Reflection
// -------------------------------------------------------------------------------------

bool TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message) {
    TWinControl* control = FindControl(ControlHandle);
    if (!control || control == this) return false;
    Message.Result = control->Perform(Message.Msg + CN_BASE, Message.WParam, Message.LParam);
    return true;
}

void TWinControl::WMCommand(TMessage& Message) {
    if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
    auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
    if (!header || !DoControlMsg(header->hwndFrom, Message)) DefaultHandler(Message);
}

void TWinControl::WMDrawItem(TMessage& Message) {
    auto* item = reinterpret_cast<DrawItemHead*>(Message.LParam);
    if (!item || item->CtlType == kOwnerDrawMenu || !DoControlMsg(item->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMMeasureItem(TMessage& Message) {
    auto* item = reinterpret_cast<MeasureItemHead*>(Message.LParam);
    HWND child = item && item->CtlType != kOwnerDrawMenu && FHandle
                     ? GetDlgItem(FHandle, static_cast<int>(item->CtlID))
                     : nullptr;
    if (!child || !DoControlMsg(child, Message)) DefaultHandler(Message);
}

void TWinControl::WMScroll(TMessage& Message) {
    HWND bar = reinterpret_cast<HWND>(Message.LParam);
    if (!bar || !DoControlMsg(bar, Message)) DefaultHandler(Message);
}
