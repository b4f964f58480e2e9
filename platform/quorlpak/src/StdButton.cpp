// TButtonControl and TButton: push buttons that paint themselves.
#include <quorlpak/Form.h>
#include <quorlpak/StdCtrls.h>

#include "PublishControls.h"

#include <win32/wingdi.h>

TClass TButtonControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TButtonControl>(u"TButtonControl", TWinControl::StaticClass()));
    return &meta;
}

namespace {

TClassBuilder<TButton> ButtonDescription() {
    using T = TButton;
    TClassBuilder<T> b(u"TButton", TButtonControl::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    b.Property(u"Cancel", BooleanTypeInfo, &T::GetCancel, &T::SetCancel)
        .Default(0)
        .Property(u"Default", BooleanTypeInfo, &T::GetDefault, &T::SetDefault)
        .Default(0)
        .Property(u"ModalResult", TypeInfo_TModalResult, &T::GetModalResult, &T::SetModalResult)
        .Default(mrNone)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(0);
    return b;
}

// Repaints the buttons of a form whose "Enter clicks me" look may have
// changed with the focus.
void InvalidateButtons(TWinControl* Parent) {
    for (int i = 0; i < Parent->GetControlCount(); ++i) {
        auto* control = dynamic_cast<TWinControl*>(Parent->GetControls(i));
        if (!control) continue;
        if (auto* button = dynamic_cast<TButton*>(control)) {
            if (button->GetDefault() && button->HandleAllocated()) button->Invalidate();
        } else {
            InvalidateButtons(control);
        }
    }
}

} // namespace

TClass TButton::StaticClass() {
    static const TMetaClass meta(ButtonDescription());
    return &meta;
}

// --- TButtonControl --------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TButtonControl::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    RecreateWnd();
}

bool TButtonControl::ClicksDisabled() const {
    return FClicksDisabled || GetComponentState().Contains(csLoading);
}

void TButtonControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, u"Button");
    if (FWordWrap) Params.Style |= BS_MULTILINE;
}

void TButtonControl::Dispatch(TMessage& Message) {
    TWinControl::Dispatch(Message);
}

// --- TButton ------------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    FWidth = 75;
    FHeight = 25;
    FTabStop = true;
}

void TButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    // Owner drawn, so that the font's colour shows; a quick second click is
    // another click, not a double click.
    Params.Style |= BS_OWNERDRAW;
    Params.WindowClass.style &= ~CS_DBLCLKS;
}

void TButton::SetDefault(bool Value) {
    if (FDefault == Value) return;
    FDefault = Value;
    if (FHandle) Invalidate();
}

bool TButton::IsActive() {
    if (Focused()) return true;
    if (!FDefault) return false;
    TWinControl* focused = FindControl(GetFocus());
    return !dynamic_cast<TButton*>(focused);
}

void TButton::Click() {
    // The modal result first, so that OnClick may still change it.
    if (FModalResult != mrNone)
        if (TCustomForm* form = GetParentForm()) form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::DrawButton(HDC DC, const TRect& R, UINT State) {
    RECT rc = R;
    FillRect(DC, &rc, GetSysColorBrush(COLOR_BTNFACE));
    if (IsActive()) {
        FrameRect(DC, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&rc, -1, -1);
    }
    const bool down = (State & ODS_SELECTED) != 0;
    RECT inner = rc;
    DrawFrameControl(DC, &inner, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
    if (down) OffsetRect(&inner, 1, 1);
    DrawCaption(DC, inner, State);
    if (State & ODS_FOCUS) {
        RECT focus = rc;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(DC, &focus);
    }
}

void TButton::DrawCaption(HDC DC, const TRect& R, UINT State) {
    UnicodeString caption = GetCaption();
    if (caption.empty()) return;
    HGDIOBJ oldFont = SelectObject(DC, FFont->GetHandle());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, (State & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                                            : ColorToRGB(FFont->GetColor()));
    RECT r = R;
    if (FWordWrap) {
        RECT measured = r;
        DrawTextW(DC, caption.c_str(), int(caption.size()), &measured,
                  DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        int h = measured.bottom - measured.top;
        r.top += (r.bottom - r.top - h) / 2;
        DrawTextW(DC, caption.c_str(), int(caption.size()), &r, DT_CENTER | DT_WORDBREAK);
    } else {
        DrawTextW(DC, caption.c_str(), int(caption.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(DC, oldFont);
}

void TButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED) {
            Click();
            return;
        }
        break;
    case CN_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        if (!item) break;
        DrawButton(item->hDC, TRect(item->rcItem), item->itemState);
        Message.Result = 1;
        return;
    }
    case CM_DIALOGKEY: {
        const WPARAM key = Message.WParam;
        if (((key == VK_RETURN && IsActive()) || (key == VK_ESCAPE && FCancel)) &&
            KeyDataToShiftState(Message.LParam) == TShiftState{} && CanFocus()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(char16_t(Message.WParam), GetCaption()) && CanFocus()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TButtonControl::Dispatch(Message);
        if (TCustomForm* form = GetParentForm()) InvalidateButtons(form);
        return;
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TButtonControl::Dispatch(Message);
}
