// Actions and the standard edit actions.
#include <quorlpak/ActnList.h>
#include <quorlpak/Messages.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/WinControl.h>
#include <win32/windows.h>

namespace {

// The control that has the keyboard focus, when it is one of ours.
TWinControl* FocusedControl() {
    return FindControl(GetFocus());
}

} // namespace

bool TBasicAction::Execute() {
    if (OnExecute) {
        OnExecute(this);
        return true;
    }
    TWinControl* control = FocusedControl();
    if (!control) return false;
    if (control->Perform(CM_ACTIONEXECUTE, 0, LPARAM(this)) != 0) return true;
    if (!HandlesTarget(control)) return false;
    ExecuteTarget(control);
    return true;
}

bool TBasicAction::Update() {
    if (OnUpdate) {
        OnUpdate(this);
        return true;
    }
    TWinControl* control = FocusedControl();
    if (!control) return false;
    if (control->Perform(CM_ACTIONUPDATE, 0, LPARAM(this)) != 0) return true;
    if (!HandlesTarget(control)) return false;
    UpdateTarget(control);
    return true;
}

bool TCustomAction::Execute() {
    return FEnabled && TBasicAction::Execute();
}

// --- Edit actions
// ---------------------------------------------------------------------------------

namespace {

TCustomEdit* EditOf(TObject* Target) {
    return dynamic_cast<TCustomEdit*>(Target);
}

bool CanPasteText() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

} // namespace

bool TEditAction::HandlesTarget(TObject* Target) {
    // Only edit controls are worked on here; other controls take the
    // action themselves when it is offered to them.
    TCustomEdit* edit = EditOf(Target);
    if (!edit || !edit->Focused()) return false;
    return !FControl || edit == FControl;
}

void TEditCut::ExecuteTarget(TObject* Target) {
    if (auto* edit = EditOf(Target)) edit->Perform(WM_CUT);
}

void TEditCut::UpdateTarget(TObject* Target) {
    auto* edit = EditOf(Target);
    SetEnabled(edit && !edit->GetReadOnly() && edit->GetSelLength() > 0);
}

void TEditCopy::ExecuteTarget(TObject* Target) {
    if (auto* edit = EditOf(Target)) edit->Perform(WM_COPY);
}

void TEditCopy::UpdateTarget(TObject* Target) {
    auto* edit = EditOf(Target);
    SetEnabled(edit && edit->GetSelLength() > 0);
}

void TEditPaste::ExecuteTarget(TObject* Target) {
    if (auto* edit = EditOf(Target)) edit->Perform(WM_PASTE);
}

void TEditPaste::UpdateTarget(TObject* Target) {
    auto* edit = EditOf(Target);
    SetEnabled(edit && !edit->GetReadOnly() && CanPasteText());
}

void TEditSelectAll::ExecuteTarget(TObject* Target) {
    if (auto* edit = EditOf(Target)) edit->SelectAll();
}

void TEditSelectAll::UpdateTarget(TObject* Target) {
    auto* edit = EditOf(Target);
    SetEnabled(edit && edit->GetTextLen() > 0);
}

void TEditDelete::ExecuteTarget(TObject* Target) {
    if (auto* edit = EditOf(Target)) edit->Perform(WM_CLEAR);
}

void TEditDelete::UpdateTarget(TObject* Target) {
    auto* edit = EditOf(Target);
    SetEnabled(edit && !edit->GetReadOnly() && edit->GetSelLength() > 0);
}
