#include "benchkit/shell/IDEVirtualUnicodeControls.h"

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/winbase.h>
#include <win32/winnls.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// One wide caption per control that keeps one while it has no window.
struct TWideCaptionHolder {
    TControl* FControl;
    UnicodeString FWideCaption;
    UnicodeString FWideHint;
};

// Sorted by control, found by binary search.
std::vector<TWideCaptionHolder>* CaptionHolders = nullptr;
ATOM WindowAtom = 0;  // "Tamrel%.8X": the process
ATOM ControlAtom = 0; // "ControlOfs%.8X%.8X": the module and thread

std::vector<TWideCaptionHolder>& Holders() {
    if (!CaptionHolders) CaptionHolders = new std::vector<TWideCaptionHolder>;
    return *CaptionHolders;
}

std::vector<TWideCaptionHolder>::iterator FindHolder(TControl* Control) {
    auto& holders = Holders();
    return std::lower_bound(holders.begin(), holders.end(), Control,
                            [](const TWideCaptionHolder& h, TControl* c) { return h.FControl < c; });
}

TWideCaptionHolder* HolderOf(TControl* Control, bool Create) {
    auto at = FindHolder(Control);
    if (at != Holders().end() && at->FControl == Control) return &*at;
    if (!Create) return nullptr;
    return &*Holders().insert(at, TWideCaptionHolder{Control, {}, {}});
}

void DropHolder(TControl* Control) {
    if (!CaptionHolders) return;
    auto at = FindHolder(Control);
    if (at != Holders().end() && at->FControl == Control) Holders().erase(at);
}

[[noreturn]] void RaiseLastOSError(const UnicodeString& What) {
    DWORD code = GetLastError();
    EOSError error(What + u": " + SysErrorMessage(code));
    error.ErrorCode = code;
    throw error;
}

// The text in the 8-bit code page, as the framework's 8-bit side holds it.
AnsiString Narrow(const UnicodeString& Text) {
    return AnsiString(std::u16string_view(Text), CP_ACP);
}

} // namespace

// --- Character messages ------------------------------------------------------------------

bool IsTextMessage(UINT Msg) {
    return Msg == WM_SETTEXT || Msg == WM_GETTEXT || Msg == WM_GETTEXTLENGTH;
}

void MakeWMCharMsgSafeForAnsi(TMessage& Message) {
    WORD low = LOWORD(Message.WParam), high = HIWORD(Message.WParam);
    if (high != 0) low = static_cast<WORD>((high << 8) | (low & 0xFF));
    high = 0;
    if (low >= 256) {
        high = low;
        low = 255;
    }
    Message.WParam = MAKEWPARAM(low, high);
}

void RestoreWMCharMsg(TMessage& Message) {
    Message.WParam = GetWideCharFromWMCharMsg(Message);
}

char16_t GetWideCharFromWMCharMsg(const TMessage& Message) {
    WORD low = LOWORD(Message.WParam), high = HIWORD(Message.WParam);
    return low == 255 && high != 0 ? high : low;
}

void SetWideCharForWMCharMsg(TMessage& Message, char16_t WideChar) {
    Message.WParam = WideChar;
    MakeWMCharMsgSafeForAnsi(Message);
}

bool Wem_Is_IntResource(const void* Name) {
    return (reinterpret_cast<uintptr_t>(Name) >> 16) == 0;
}

// --- Wide text beside 8-bit text -------------------------------------------------------------

UnicodeString GetSyncedWideString(UnicodeString& WideStr, const AnsiString& AnsiStr) {
    if (Narrow(WideStr).Bytes() != AnsiStr.Bytes()) WideStr = AnsiStr.ToUnicode();
    return WideStr;
}

void SetSyncedWideString(const UnicodeString& Value, UnicodeString& WideStr,
                         const AnsiString& AnsiStr, const TSetAnsiStrEvent& SetAnsiStr) {
    UnicodeString synced = WideStr;
    if (Value == GetSyncedWideString(synced, AnsiStr)) return;
    const AnsiString narrow = Narrow(Value);
    const bool lossy = narrow.ToUnicode() != Value;
    if (lossy && narrow.Bytes() == AnsiStr.Bytes() && SetAnsiStr) SetAnsiStr(AnsiString());
    WideStr = Value;
    if (SetAnsiStr) SetAnsiStr(narrow);
}

// --- Windows ---------------------------------------------------------------------------------

void RegisterUnicodeClass(const TCreateParams& Params, UnicodeString& WideWinClassName, bool) {
    WideWinClassName = Params.WinClassName + u".UnicodeClass";
    HINSTANCE module = Params.WindowClass.hInstance;
    // The framework's own initial procedure ties each new window to the
    // control being created, whichever way the window was asked for.
    WNDCLASSW existing{};
    const bool registered = GetClassInfoW(module, WideWinClassName.c_str(), &existing);
    if (registered && existing.lpfnWndProc == InitWndProc) return;
    if (registered) UnregisterClassW(WideWinClassName.c_str(), module);
    WNDCLASSW wc = Params.WindowClass;
    wc.lpfnWndProc = InitWndProc;
    wc.lpszClassName = WideWinClassName.c_str();
    if (wc.lpszMenuName && !Wem_Is_IntResource(wc.lpszMenuName)) {
        // The class keeps a pointer to the name: a copy that lives on.
        static std::vector<UnicodeString>* menuNames = new std::vector<UnicodeString>;
        menuNames->push_back(wc.lpszMenuName);
        wc.lpszMenuName = menuNames->back().c_str();
    }
    if (!RegisterClassW(&wc)) RaiseLastOSError(u"Cannot register " + WideWinClassName);
}

HWND CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params,
                         const UnicodeString& SubClass, bool IDEWindow) {
    UnicodeString className;
    RegisterUnicodeClass(Params, className, IDEWindow);
    HWND window = CreateWindowExW(Params.ExStyle, className.c_str(), nullptr, Params.Style,
                                  Params.X, Params.Y, Params.Width, Params.Height,
                                  Params.WndParent, nullptr, Params.WindowClass.hInstance,
                                  Params.Param);
    if (!window) RaiseLastOSError(u"Cannot create the window of " + Control->GetName());
    (void)SubClass; // the framework already made SubClass's procedure the default one
    return window;
}

void SubClassUnicodeControl(TWinControl* Control, const UnicodeString& Caption, bool) {
    const UnicodeString text = WemControl_GetStoredText(Control, Caption);
    DropHolder(Control); // the window keeps the text from now on
    Wem_SetWindowTextW(Control->GetHandle(), text);
}

UnicodeString WemControl_GetText(TControl* Control) {
    auto* windowed = dynamic_cast<TWinControl*>(Control);
    if (windowed && windowed->HandleAllocated()) {
        HWND window = windowed->GetHandle();
        const int length = GetWindowTextLengthW(window);
        UnicodeString text(static_cast<size_t>(length) + 1, u'\0');
        const int got = GetWindowTextW(window, text.data(), length + 1);
        text.resize(static_cast<size_t>(std::max(got, 0)));
        return text;
    }
    if (TWideCaptionHolder* holder = HolderOf(Control, false)) {
        AnsiString framework = Narrow(Control->GetText());
        return GetSyncedWideString(holder->FWideCaption, framework);
    }
    return Control->GetText();
}

void WemControl_SetText(TControl* Control, const UnicodeString& Text) {
    auto* windowed = dynamic_cast<TWinControl*>(Control);
    if (windowed && windowed->HandleAllocated()) {
        if (Text == WemControl_GetText(Control)) return;
        Wem_SetWindowTextW(windowed->GetHandle(), Text);
        Control->Perform(CM_TEXTCHANGED);
        return;
    }
    // Without a window the holder keeps the wide text. The framework's text
    // is UTF-16 as well, so it gets the whole text, never a lossy 8-bit form.
    HolderOf(Control, true)->FWideCaption = Text;
    Control->SetText(Text);
}

bool WemControl_IsCaptionStored(TControl*) {
    return true; // no action links supply captions here
}

UnicodeString WemControl_GetStoredText(TControl* Control, const UnicodeString& Default) {
    TWideCaptionHolder* holder = HolderOf(Control, false);
    return holder ? holder->FWideCaption : Default;
}

void Wem_SetWindowTextW(HWND Window, const UnicodeString& Text) {
    SetWindowTextW(Window, Text.c_str());
}

UnicodeString WemCustomEdit_GetSelText(TCustomEdit* Edit) {
    const UnicodeString text = WemControl_GetText(Edit);
    const size_t start = static_cast<size_t>(std::max(Edit->GetSelStart(), 0));
    return start < text.size() ? text.substr(start, static_cast<size_t>(Edit->GetSelLength()))
                               : UnicodeString();
}

void WemCustomEdit_SetSelText(TCustomEdit* Edit, const UnicodeString& Value) {
    SendMessageW(Edit->GetHandle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

// --- The wide edit --------------------------------------------------------------------------

TClass TCustomWideEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomWideEdit>(u"TCustomWideEdit", TCustomEdit::StaticClass()));
    return &meta;
}

TClass TWideEdit::StaticClass() {
    using T = TWideEdit;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TWideEdit", TCustomWideEdit::StaticClass())
            .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText));
    return &meta;
}

TCustomWideEdit::~TCustomWideEdit() {
    DropHolder(this);
}

void TCustomWideEdit::CreateWindowHandle(const TCreateParams& Params) {
    FHandle = CreateUnicodeHandle(this, Params, u"EDIT", false);
    SubClassUnicodeControl(this, Params.Caption, false);
}

void TCustomWideEdit::DestroyWnd() {
    // The wide text waits in the holder for the next window.
    if (HandleAllocated() && !GetComponentState().Contains(csDestroying))
        HolderOf(this, true)->FWideCaption = WemControl_GetText(this);
    TCustomEdit::DestroyWnd();
}

void TCustomWideEdit::SelectText(int Start, int End) {
    if (HandleAllocated()) PostMessageW(GetHandle(), EM_SETSEL, Start, End);
}

// --- Unit start and end ------------------------------------------------------------------

void InitializeIDEVirtualUnicodeControls() {
    char name[64];
    std::snprintf(name, sizeof name, "Tamrel%.8X", static_cast<unsigned>(GetCurrentProcessId()));
    WindowAtom = GlobalAddAtomA(name);
    std::snprintf(name, sizeof name, "ControlOfs%.8X%.8X",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr))),
                  static_cast<unsigned>(GetCurrentThreadId()));
    ControlAtom = GlobalAddAtomA(name);
    Holders();
}

void FinalizeIDEVirtualUnicodeControls() {
    if (WindowAtom) GlobalDeleteAtom(WindowAtom);
    if (ControlAtom) GlobalDeleteAtom(ControlAtom);
    WindowAtom = ControlAtom = 0;
    delete CaptionHolders;
    CaptionHolders = nullptr;
}
