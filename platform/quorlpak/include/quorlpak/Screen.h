// TScreen: what the program sees of the display: its size and density, the
// cursor and the cursor table, the forms and which of them has the focus.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <runpak/Component.h>
#include <runpak/StringList.h>
#include <win32/winuser.h>

#include <map>
#include <vector>

class TCustomForm;
class TForm;
class TWinControl;
class TControl;

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Cursors ---
    // The cursor for the whole program; crDefault lets each control choose.
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    // The handle of a cursor of the table: the standard ones (crArrow, ...)
    // are the system's; other slots hold what the program put there, and an
    // empty slot gives the arrow.
    HCURSOR GetCursors(TCursor Index) const;
    // Puts a cursor into a slot; the screen destroys it when replaced or at the end.
    void SetCursors(TCursor Index, HCURSOR Handle);

    // --- Forms, most recently focused first ---
    int GetFormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* GetForms(int Index) const;
    int GetCustomFormCount() const { return GetFormCount(); }
    TCustomForm* GetCustomForms(int Index) const { return GetForms(Index); }
    bool HasForm(TCustomForm* Form) const;
    TCustomForm* GetActiveForm() const { return FActiveForm; }
    TCustomForm* GetActiveCustomForm() const { return FActiveForm; }
    TWinControl* GetActiveControl() const { return FActiveControl; }
    TCustomForm* GetFocusedForm() const { return FFocusedForm; }

    // --- The display ---
    int GetWidth() const;
    int GetHeight() const;
    int GetDesktopWidth() const { return GetWidth(); }
    int GetDesktopHeight() const { return GetHeight(); }
    TRect GetDesktopRect() const { return TRect(0, 0, GetWidth(), GetHeight()); }
    TRect GetWorkAreaRect() const { return GetDesktopRect(); }
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    HKL GetDefaultKbLayout() const { return FDefaultKbLayout; }
    // The names of the font faces the program may ask for.
    TStrings* GetFonts();

    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

    // --- Bookkeeping of the forms (called by TCustomForm) ---
    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void SetFocusedForm(TCustomForm* Form) { FFocusedForm = Form; }
    void FocusedControlChanged(TCustomForm* Form, TWinControl* Control);
    // Drops every reference to a control that is going away.
    void ControlDestroyed(TControl* Control);

private:
    TCursor FCursor = crDefault;
    int FCursorCount = 0;
    std::map<TCursor, HCURSOR> FCursors; // the program's own slots
    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TStringList* FFonts = nullptr;
    int FPixelsPerInch = 96;
    HKL FDefaultKbLayout = nullptr;
};

extern TScreen* Screen;

#pragma GCC visibility pop
