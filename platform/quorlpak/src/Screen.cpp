#include <quorlpak/Control.h>
#include <quorlpak/Form.h>
#include <quorlpak/Screen.h>
#include <quorlpak/WinControl.h>

#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>
#include <win32/winbase.h>
#include <win32/wingdi.h>

#include <algorithm>

TScreen* Screen = nullptr;

namespace {

// The system cursor behind each standard slot.
LPCWSTR SystemCursorOf(TCursor Index) {
    switch (Index) {
    case crArrow:
        return IDC_ARROW;
    case crCross:
        return IDC_CROSS;
    case crIBeam:
        return IDC_IBEAM;
    case crSizeNESW:
        return IDC_SIZENESW;
    case crSizeNS:
        return IDC_SIZENS;
    case crSizeNWSE:
        return IDC_SIZENWSE;
    case crSizeWE:
        return IDC_SIZEWE;
    case crUpArrow:
        return IDC_UPARROW;
    case crHourGlass:
        return IDC_WAIT;
    case crNo:
        return IDC_NO;
    case crAppStart:
        return IDC_APPSTARTING;
    case crHelp:
        return IDC_HELP;
    case crHandPoint:
        return IDC_HAND;
    case crSizeAll:
        return IDC_SIZEALL;
    default:
        return nullptr;
    }
}

// The framework's own cursors (drag, splitters, database wait): shapes of
// their own, made here from the nearest system cursor.
struct OwnCursor {
    TCursor Index;
    LPCWSTR Base;
};
const OwnCursor kOwnCursors[] = {{crDrag, IDC_ARROW},      {crNoDrop, IDC_NO},
                                 {crHSplit, IDC_SIZEWE},   {crVSplit, IDC_SIZENS},
                                 {crMultiDrag, IDC_ARROW}, {crSQLWait, IDC_WAIT}};

// Face names the layer draws with.
const char16_t* const kFontFaces[] = {
    u"Arial",        u"Consolas",       u"Courier",        u"Courier New",     u"Fixedsys",
    u"Georgia",      u"Helvetica",      u"Lucida Console", u"Meiryo",          u"Meiryo UI",
    u"MS Gothic",    u"MS Mincho",      u"MS PGothic",     u"MS Sans Serif",   u"MS Serif",
    u"MS Shell Dlg", u"MS Shell Dlg 2", u"MS UI Gothic",   u"Segoe UI",        u"System",
    u"Tahoma",       u"Terminal",       u"Times",          u"Times New Roman", u"Verdana",
    u"Yu Gothic",    u"Yu Gothic UI"};

} // namespace

TClass TScreen::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TScreen>(u"TScreen", TComponent::StaticClass()));
    return &meta;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
    HDC dc = GetDC(nullptr);
    if (dc) {
        int ppi = GetDeviceCaps(dc, LOGPIXELSY);
        if (ppi > 0) FPixelsPerInch = ppi;
        ReleaseDC(nullptr, dc);
    }
    FDefaultKbLayout = GetKeyboardLayout(0);
    for (const OwnCursor& own : kOwnCursors)
        FCursors[own.Index] = CopyCursor(LoadCursorW(nullptr, own.Base));
}

TScreen::~TScreen() {
    for (auto& [index, handle] : FCursors)
        if (handle) DestroyCursor(handle);
    delete FFonts;
}

void TScreen::SetCursor(TCursor Value) {
    if (Value != FCursor) {
        FCursor = Value;
        POINT p{};
        GetCursorPos(&p);
        HWND under = WindowFromPoint(p);
        if (Value == crDefault && under &&
            GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
            // Let the window under the mouse choose again.
            LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
            SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                         MAKELPARAM(hit, WM_MOUSEMOVE));
        } else {
            ::SetCursor(GetCursors(Value));
        }
    }
    ++FCursorCount;
}

HCURSOR TScreen::GetCursors(TCursor Index) const {
    if (Index == crNone) return nullptr;
    auto it = FCursors.find(Index);
    if (it != FCursors.end() && it->second) return it->second;
    if (LPCWSTR system = SystemCursorOf(Index)) return LoadCursorW(nullptr, system);
    return LoadCursorW(nullptr, IDC_ARROW);
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
    if (Index == crDefault || SystemCursorOf(Index)) return; // the standard ones stay
    auto it = FCursors.find(Index);
    if (it != FCursors.end()) {
        if (it->second == Handle) return;
        if (it->second) DestroyCursor(it->second);
    }
    FCursors[Index] = Handle;
}

TCustomForm* TScreen::GetForms(int Index) const {
    if (Index < 0 || Index >= GetFormCount())
        throw EListError(u"List index out of bounds (%d)", {Index});
    return FForms[static_cast<size_t>(Index)];
}

bool TScreen::HasForm(TCustomForm* Form) const {
    return Form && std::find(FForms.begin(), FForms.end(), Form) != FForms.end();
}

int TScreen::GetWidth() const {
    return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::GetHeight() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

TStrings* TScreen::GetFonts() {
    if (!FFonts) {
        FFonts = new TStringList;
        for (const char16_t* face : kFontFaces)
            FFonts->Add(face);
    }
    return FFonts;
}

void TScreen::AddForm(TCustomForm* Form) {
    if (!HasForm(Form)) FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
    std::erase(FForms, Form);
    if (FActiveForm == Form) FActiveForm = nullptr;
    if (FFocusedForm == Form) FFocusedForm = nullptr;
    if (FActiveControl && FActiveControl->GetParentForm() == Form) FActiveControl = nullptr;
}

void TScreen::FocusedControlChanged(TCustomForm* Form, TWinControl* Control) {
    bool controlChanged = FActiveControl != Control;
    bool formChanged = FActiveForm != Form;
    FActiveControl = Control;
    FActiveForm = Form;
    auto it = std::find(FForms.begin(), FForms.end(), Form);
    if (it != FForms.end()) std::rotate(FForms.begin(), it, it + 1);
    if (formChanged && OnActiveFormChange) OnActiveFormChange(this);
    if (controlChanged && OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::ControlDestroyed(TControl* Control) {
    if (static_cast<TControl*>(FActiveControl) == Control) FActiveControl = nullptr;
}
