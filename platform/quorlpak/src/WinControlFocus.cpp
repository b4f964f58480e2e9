// TWinControl: focus, tab order and the keyboard.
#include <quorlpak/Form.h>
#include <quorlpak/Menus.h>
#include <quorlpak/WinControl.h>

#include <runpak/Exceptions.h>

#include <algorithm>

namespace {

// WM_GETDLGCODE answers.
constexpr LRESULT kWantArrows = 0x0001;
constexpr LRESULT kWantTab = 0x0002;
constexpr LRESULT kWantAllKeys = 0x0004;
constexpr LRESULT kWantChars = 0x0080;

} // namespace

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

bool TWinControl::CanFocus() {
    TCustomForm* form = GetParentForm();
    if (!form) return false;
    for (TWinControl* control = this; control != form; control = control->FParent)
        if (!control || !control->FVisible || !control->GetEnabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm())
        form->FocusControl(this);
    else if (FParentWindow)
        ::SetFocus(GetHandle());
    else
        throw EInvalidOperation(u"Control '" + GetName() + u"' has no parent window");
}

void TWinControl::RemoveFocus(bool Removing) {
    if (TCustomForm* form = GetParentForm()) form->DefocusControl(this, Removing);
}

void TWinControl::SelectFirst() {
    TCustomForm* form = GetParentForm();
    if (!form) return;
    TWinControl* control = FindNextControl(nullptr, true, true, false);
    if (!control) control = FindNextControl(nullptr, true, false, false);
    if (control) form->SetActiveControl(control);
}

// --- Tab order ---------------------------------------------------------------------------------

int TWinControl::GetTabOrder() const {
    if (!FParent) return -1;
    const auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!FParent) return;
    auto& list = FParent->FTabList;
    int current = GetTabOrder();
    if (current < 0) return;
    // Out of range means last, as the framework has it.
    if (Value < 0 || Value >= static_cast<int>(list.size()))
        Value = static_cast<int>(list.size()) - 1;
    if (Value == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + Value, this);
    Perform(CM_TABSTOPCHANGED);
}

void TWinControl::SetTabStop(bool Value) {
    if (FTabStop == Value) return;
    FTabStop = Value;
    if (FHandle) {
        LONG style = GetWindowLongW(FHandle, GWL_STYLE);
        SetWindowLongW(FHandle, GWL_STYLE, Value ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
    Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
    for (TWinControl* control : FTabList) {
        List.push_back(control);
        control->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const int count = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start =
        found != list.end() ? static_cast<int>(found - list.begin()) : (GoForward ? count - 1 : 0);
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* candidate = list[static_cast<size_t>(i)];
        if (candidate->CanFocus() && (!CheckTabStop || candidate->FTabStop) &&
            (!CheckParent || candidate->FParent == this))
            return candidate;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (next) next->SetFocus();
}

// --- Enter and exit (sent by the form's focus tracking)
// ----------------------------------------------

void TWinControl::CMEnter(TMessage&) {
    DoEnter();
}
void TWinControl::CMExit(TMessage&) {
    DoExit();
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

// --- Keys
// ---------------------------------------------------------------------------------------------------

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char16_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

// True when the key was eaten (by the form's preview or by the control).
bool TWinControl::DoKeyDown(TMessage& Message) {
    TCustomForm* form = GetParentForm();
    if (form && form != this && form->GetKeyPreview() && form->DoKeyDown(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        uint16_t key = static_cast<uint16_t>(Message.WParam);
        KeyDown(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TCustomForm* form = GetParentForm();
    if (form && form != this && form->GetKeyPreview() && form->DoKeyUp(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        uint16_t key = static_cast<uint16_t>(Message.WParam);
        KeyUp(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm();
    if (form && form != this && form->GetKeyPreview() && form->DoKeyPress(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        char16_t ch = static_cast<char16_t>(Message.WParam);
        KeyPress(ch);
        Message.WParam = ch;
        if (ch == 0) return true;
    }
    return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

// The application loop offers every key to the control first: Tab, arrows,
// Enter and Escape become dialog keys of the form unless the control wants them.
void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (GetComponentState().Contains(csDesigning)) {
        Message.Result = 0;
        return;
    }
    const WPARAM key = Message.WParam;
    // Menu short cuts come before what the control does with the key.
    if (IsMenuKey(this, static_cast<uint16_t>(key), KeyboardStateToShiftState())) return;
    if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB:
        mask = kWantTab;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = kWantArrows;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = kWantAllKeys;
        break;
    default:
        break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, 0) == 0 &&
        (Perform(WM_GETDLGCODE) & mask) == 0) {
        TCustomForm* form = GetParentForm();
        if (form && form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) return;
    }
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 1;
    if (!GetComponentState().Contains(csDesigning) && (Perform(WM_GETDLGCODE) & kWantChars) == 0) {
        TCustomForm* form = GetParentForm();
        if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
    }
    Message.Result = 0;
}

// Dialog keys and characters go to every child until one takes them
// (default and cancel buttons, accelerators).
void TWinControl::CMDialogKey(TMessage& Message) {
    Broadcast(Message);
}
void TWinControl::CMDialogChar(TMessage& Message) {
    Broadcast(Message);
}
