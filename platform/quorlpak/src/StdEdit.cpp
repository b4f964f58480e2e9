// TEdit: a single-line edit over the system "Edit" class.
#include <quorlpak/Form.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/ScopeGuard.h>

#include "PublishControls.h"

TClass TCustomEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomEdit>(u"TCustomEdit", TWinControl::StaticClass()));
    return &meta;
}

namespace {

TClassBuilder<TEdit> EditDescription() {
    using T = TEdit;
    TClassBuilder<T> b(u"TEdit", TCustomEdit::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"Alignment", TypeInfo_TAlignment, &T::GetAlignment, &T::SetAlignment)
        .Default(taLeftJustify)
        .Property(u"AutoSelect", BooleanTypeInfo, &T::GetAutoSelect, &T::SetAutoSelect)
        .Default(1)
        .Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
        .Default(bsSingle)
        .Property(u"CharCase", TypeInfo_TEditCharCase, &T::GetCharCase, &T::SetCharCase)
        .Default(ecNormal)
        .Property(u"MaxLength", IntegerTypeInfo, &T::GetMaxLength, &T::SetMaxLength)
        .Default(0)
        .Property(u"PasswordChar", WideCharTypeInfo, &T::GetPasswordChar, &T::SetPasswordChar)
        .Default(0)
        .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
        .Default(0)
        .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange));
    return b;
}

} // namespace

TClass TEdit::StaticClass() {
    static const TMetaClass meta(EditDescription());
    return &meta;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    FWidth = 121;
    FHeight = 21;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, u"Edit");
    static const DWORD cases[] = {0, ES_UPPERCASE, ES_LOWERCASE};
    static const DWORD aligns[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | cases[FCharCase] | aligns[FAlignment];
    if (FReadOnly) Params.Style |= ES_READONLY;
    if (FPasswordChar != 0) Params.Style |= ES_PASSWORD;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomEdit::CreateWnd() {
    {
        FCreating = true;
        auto created = runpak::ScopeExit([this] { FCreating = false; });
        TWinControl::CreateWnd();
    }
    HWND handle = FHandle;
    SendMessageW(handle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FPasswordChar != 0) SendMessageW(handle, EM_SETPASSWORDCHAR, FPasswordChar, 0);
    SendMessageW(handle, EM_SETMODIFY, FModified ? 1 : 0, 0);
}

void TCustomEdit::DestroyWnd() {
    FModified = GetModified();
    TWinControl::DestroyWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
    if (Value < 0) Value = 0;
    if (FMaxLength == Value) return;
    FMaxLength = Value;
    if (FHandle) SendMessageW(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
    if (FReadOnly == Value) return;
    FReadOnly = Value;
    if (FHandle) SendMessageW(FHandle, EM_SETREADONLY, Value ? 1 : 0, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomEdit::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (FCharCase == Value) return;
    FCharCase = Value;
    RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char16_t Value) {
    if (FPasswordChar == Value) return;
    FPasswordChar = Value;
    if (FHandle) {
        SendMessageW(FHandle, EM_SETPASSWORDCHAR, Value, 0);
        InvalidateRect(FHandle, nullptr, TRUE);
    }
}

bool TCustomEdit::GetModified() {
    if (!FHandle) return FModified;
    return SendMessageW(FHandle, EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value) {
    FModified = Value;
    if (FHandle) SendMessageW(FHandle, EM_SETMODIFY, Value ? 1 : 0, 0);
}

int TCustomEdit::GetSelStart() {
    DWORD start = 0, end = 0;
    SendMessageW(GetHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) {
    SendMessageW(GetHandle(), EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::GetSelLength() {
    DWORD start = 0, end = 0;
    SendMessageW(GetHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
    int start = GetSelStart();
    SendMessageW(GetHandle(), EM_SETSEL, static_cast<WPARAM>(start), start + Value);
    SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
}

UnicodeString TCustomEdit::GetSelText() {
    UnicodeString text = GetText();
    int start = GetSelStart(), length = GetSelLength();
    if (start < 0 || start > int(text.size())) return {};
    return text.substr(size_t(start), size_t(length));
}

void TCustomEdit::SetSelText(const UnicodeString& Value) {
    SendMessageW(GetHandle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
    if (FHandle) SendMessageW(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::Clear() {
    SetText(u"");
}

void TCustomEdit::DoEnter() {
    // Entered by the keyboard (not by a click into it): the whole text is selected.
    if (FAutoSelect && !(GetKeyState(VK_LBUTTON) & 0x8000)) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == EN_CHANGE) {
        if (!FCreating && !GetComponentState().Contains(csLoading)) Change();
        return;
    }
    TWinControl::Dispatch(Message);
}
