// Controls whose windows are made from a Unicode twin of their window class,
// so that shell names travel as UTF-16 into and out of the window, and the
// routines that keep a control's wide text in step with its 8-bit form.
// TCustomWideEdit is the edit control made this way.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Messages.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/WinControl.h>
#include <runpak/AnsiString.h>

#include <functional>

// --- Character messages ----------------------------------------------------------------
// A UTF-16 character that does not fit 8 bits travels in WM_CHAR as low word
// 255 and the character in the high word of WParam, so that 8-bit handlers
// see a placeholder and the window gets the character back whole.
bool IsTextMessage(UINT Msg);
void MakeWMCharMsgSafeForAnsi(TMessage& Message);
void RestoreWMCharMsg(TMessage& Message);
char16_t GetWideCharFromWMCharMsg(const TMessage& Message);
void SetWideCharForWMCharMsg(TMessage& Message, char16_t WideChar);
// A resource name that is an integer (its high bits are 0).
bool Wem_Is_IntResource(const void* Name);

// --- Wide text beside 8-bit text -------------------------------------------------------
using TSetAnsiStrEvent = std::function<void(const AnsiString& Value)>;
// WideStr, unless the 8-bit text was changed elsewhere: then that text, widened.
UnicodeString GetSyncedWideString(UnicodeString& WideStr, const AnsiString& AnsiStr);
// Keeps Value as the wide text and hands its 8-bit form to SetAnsiStr. When
// Value has characters the code page lacks and its 8-bit form equals the
// present 8-bit text, SetAnsiStr first gets an empty text, so that whoever
// watches the 8-bit text still sees a change.
void SetSyncedWideString(const UnicodeString& Value, UnicodeString& WideStr,
                         const AnsiString& AnsiStr, const TSetAnsiStrEvent& SetAnsiStr);

// --- Windows -----------------------------------------------------------------------------
// Registers (or re-registers, when its procedure differs) the class named
// Params' class name + ".UnicodeClass", built from Params' window class; the
// framework's initial window procedure runs it, so the framework finds the
// control of each window. Raises EOSError when registration fails.
void RegisterUnicodeClass(const TCreateParams& Params, UnicodeString& WideWinClassName,
                          bool IDEWindow);
// Creates the control's window from the Unicode twin class, without a
// caption; the control's default procedure is SubClass's (DefWindowProcW
// when there is none). Answers the window; raises EOSError on failure.
HWND CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params,
                         const UnicodeString& SubClass, bool IDEWindow);
// Gives a new window the control's stored text (Caption when none is stored).
void SubClassUnicodeControl(TWinControl* Control, const UnicodeString& Caption, bool IDEWindow);

UnicodeString WemControl_GetText(TControl* Control);
void WemControl_SetText(TControl* Control, const UnicodeString& Text);
bool WemControl_IsCaptionStored(TControl* Control);
UnicodeString WemControl_GetStoredText(TControl* Control, const UnicodeString& Default);
void Wem_SetWindowTextW(HWND Window, const UnicodeString& Text);
UnicodeString WemCustomEdit_GetSelText(TCustomEdit* Edit);
void WemCustomEdit_SetSelText(TCustomEdit* Edit, const UnicodeString& Value);

// --- The wide edit ------------------------------------------------------------------------
class TCustomWideEdit : public TCustomEdit {
public:
    explicit TCustomWideEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
    ~TCustomWideEdit() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetText() { return WemControl_GetText(this); }
    void SetText(const UnicodeString& Value) { WemControl_SetText(this, Value); }
    UnicodeString GetSelText() { return WemCustomEdit_GetSelText(this); }
    void SetSelText(const UnicodeString& Value) { WemCustomEdit_SetSelText(this, Value); }
    // Selects from Start to End once the queue gets to it.
    void SelectText(int Start, int End);

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
};

class TWideEdit : public TCustomWideEdit {
public:
    using TCustomWideEdit::TCustomWideEdit;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

void InitializeIDEVirtualUnicodeControls();
void FinalizeIDEVirtualUnicodeControls();

#pragma GCC visibility pop
