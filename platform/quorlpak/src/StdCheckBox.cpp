// TCheckBox and TRadioButton over the system button class.
#include <quorlpak/StdCtrls.h>

#include "PublishControls.h"

namespace {

TClassBuilder<TCheckBox> CheckBoxDescription() {
    using T = TCheckBox;
    TClassBuilder<T> b(u"TCheckBox", TCustomCheckBox::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    b.Property(u"Alignment", TypeInfo_TLeftRight, &T::GetAlignment, &T::SetAlignment)
        .Default(taRightJustify)
        .Property(u"AllowGrayed", BooleanTypeInfo, &T::GetAllowGrayed, &T::SetAllowGrayed)
        .Default(0)
        .Property(u"Checked", BooleanTypeInfo, &T::GetChecked, &T::SetChecked)
        .Stored(false)
        .Property(u"State", TypeInfo_TCheckBoxState, &T::GetState, &T::SetState)
        .Default(cbUnchecked)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(0);
    return b;
}

TClassBuilder<TRadioButton> RadioButtonDescription() {
    using T = TRadioButton;
    TClassBuilder<T> b(u"TRadioButton", TButtonControl::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    b.Property(u"Alignment", TypeInfo_TLeftRight, &T::GetAlignment, &T::SetAlignment)
        .Default(taRightJustify)
        .Property(u"Checked", BooleanTypeInfo, &T::GetChecked, &T::SetChecked)
        .Default(0)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(0);
    return b;
}

} // namespace

TClass TCustomCheckBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomCheckBox>(u"TCustomCheckBox", TButtonControl::StaticClass()));
    return &meta;
}

TClass TCheckBox::StaticClass() {
    static const TMetaClass meta(CheckBoxDescription());
    return &meta;
}

TClass TRadioButton::StaticClass() {
    static const TMetaClass meta(RadioButtonDescription());
    return &meta;
}

// --- TCustomCheckBox -----------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    FWidth = 97;
    FHeight = 17;
    FTabStop = true;
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    // Not an automatic box: the control decides the next state (Toggle).
    Params.Style |= BS_3STATE;
    if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageW(FHandle, BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (FState == Value) return;
    FState = Value;
    if (FHandle) SendMessageW(FHandle, BM_SETCHECK, static_cast<WPARAM>(Value), 0);
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
        return;
    }
    if (Message.Msg == CM_DIALOGCHAR && IsAccel(char16_t(Message.WParam), GetCaption()) &&
        CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
    }
    TButtonControl::Dispatch(Message);
}

// --- TRadioButton
// ---------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    FWidth = 113;
    FHeight = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    // Not automatic: SetChecked unchecks the siblings, so that the object
    // and the window agree.
    Params.Style |= BS_RADIOBUTTON;
    if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TLeftRight Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    RecreateWnd();
}

void TRadioButton::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    // The checked button of a group is the one Tab stops at.
    SetTabStop(Value);
    if (FHandle) SendMessageW(FHandle, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!Value) return;
    if (FParent) {
        for (int i = 0; i < FParent->GetControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(FParent->GetControls(i));
            if (sibling && sibling != this) sibling->SetChecked(false);
        }
    }
    if (!ClicksDisabled()) Click();
}

void TRadioButton::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR && IsAccel(char16_t(Message.WParam), GetCaption()) &&
        CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        Message.Result = 1;
        return;
    }
    if (Message.Msg == CN_COMMAND) {
        switch (HIWORD(Message.WParam)) {
        case BN_CLICKED:
            SetChecked(true);
            break;
        case BN_DOUBLECLICKED:
            DblClick();
            break;
        default:
            break;
        }
        return;
    }
    TButtonControl::Dispatch(Message);
}
