// TWinControl: construction, the window's life and the list of children.
#include "WindowProcs.h"

#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/TypeInfos.h>
#include <quorlpak/WinControl.h>
#include <quorlpak/DragObjects.h>

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <win32/winbase.h>

#include <algorithm>
#include <atomic>

TClass TWinControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TWinControl>(u"TWinControl", TControl::StaticClass()));
    return &meta;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
    FBrush->SetOwner(this);
    FBrush->SetColor(FColor);
    FDefWndProc = DefWindowProcW;
}

TWinControl::~TWinControl() {
    Destroying();
    if (FDockSite) RegisterDockSite(this, false);
    for (TControl* client : FDockClients)
        if (client->FHostDockSite == this) client->FHostDockSite = nullptr;
    FDockClients.clear();
    // Leave the parent while still a windowed control: the parent tells
    // windowed and windowless children apart.
    if (FParent) SetParent(nullptr);
    if (FHandle) DestroyWindowHandle();
    while (!FControls.empty() || !FWinControls.empty()) {
        TControl* child =
            !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
        Remove(child);
        child->BeforeDestruction();
        delete child;
    }
    FBrush.reset();
}

TWinControl* TWinControl::CreateParented(HWND ParentWindow) {
    auto* control = new TWinControl(nullptr);
    control->SetParentWindow(ParentWindow);
    return control;
}

// --- Children ------------------------------------------------------------------------------------

TControl* TWinControl::GetControls(int Index) const {
    if (Index < 0 || Index >= GetControlCount())
        throw EListError(u"List index out of bounds (%d)", {Index});
    size_t i = static_cast<size_t>(Index);
    if (i < FControls.size()) return FControls[i];
    return FWinControls[i - FControls.size()];
}

void TWinControl::Insert(TControl* AControl) {
    if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
        FTabList.push_back(windowed);
        FWinControls.push_back(windowed);
    } else {
        FControls.push_back(AControl);
    }
    AControl->FParent = this;
}

void TWinControl::Remove(TControl* AControl) {
    // Both lists: a control being destroyed no longer knows its own kind.
    std::erase(FControls, AControl);
    std::erase_if(FWinControls,
                  [&](TWinControl* c) { return static_cast<TControl*>(c) == AControl; });
    std::erase_if(FTabList, [&](TWinControl* c) { return static_cast<TControl*>(c) == AControl; });
    AControl->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl) return;
    for (TWinControl* p = this; p; p = p->FParent)
        if (static_cast<TControl*>(p) == AControl)
            throw EInvalidOperation(u"A control cannot be placed inside itself");
    Insert(AControl);
    if (!AControl->GetComponentState().Contains(csReading)) {
        AControl->Perform(CM_PARENTCOLORCHANGED);
        AControl->Perform(CM_PARENTFONTCHANGED);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED);
        AControl->Perform(CM_PARENTBIDIMODECHANGED);
        if (auto* windowed = dynamic_cast<TWinControl*>(AControl))
            windowed->UpdateControlState();
        else if (HandleAllocated())
            AControl->Invalidate();
        AlignControl(AControl);
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
        windowed->RemoveFocus(true);
        windowed->DestroyHandle();
    } else if (HandleAllocated()) {
        AControl->InvalidateControl(AControl->GetVisible(), false);
    }
    Remove(AControl);
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
    for (TControl* c = Control; c; c = c->FParent)
        if (c == this) return true;
    return false;
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    // The root (a form) also streams what it owns that lies on no parent:
    // timers, menus, dialogs; they come first, as they are read first.
    if (Root == this)
        for (int i = 0; i < GetComponentCount(); ++i)
            if (!GetComponents(i)->HasParent()) Proc(GetComponents(i));
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* control = GetControls(i);
        if (control->GetOwner() == Root) Proc(control);
    }
}

void TWinControl::Broadcast(TMessage& Message) {
    for (int i = 0; i < GetControlCount(); ++i) {
        GetControls(i)->FWindowProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT Msg) {
    TMessage message{Msg, 0, 0, 0};
    Broadcast(message);
}

void TWinControl::SetParent(TWinControl* AParent) {
    if (FParent != AParent && !AParent && FParentWindow == nullptr && HandleAllocated())
        DestroyHandle();
    TControl::SetParent(AParent);
}

void TWinControl::SetParentWindow(HWND Value) {
    if (FParent || FParentWindow == Value) return;
    if (HandleAllocated()) DestroyHandle();
    FParentWindow = Value;
    UpdateControlState();
}

// --- The window
// ------------------------------------------------------------------------------------------

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = TCreateParams{};
    Params.Caption = FText;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle.Contains(csAcceptsControls)) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
    if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
    if (!GetComponentState().Contains(csDesigning) && !FEnabled) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    if (FParent)
        Params.WndParent = FStylesOnly ? FParent->FHandle : FParent->GetHandle();
    else
        Params.WndParent = FParentWindow;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = DefWindowProcW;
    Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Params.WindowClass.hbrBackground = nullptr;
    Params.WindowClass.hInstance = GetModuleHandleW(nullptr);
    Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char16_t* ControlClassName) {
    if (!ControlClassName) return;
    WNDCLASSW system{};
    if (!GetClassInfoW(nullptr, ControlClassName, &system) &&
        !GetClassInfoW(Params.WindowClass.hInstance, ControlClassName, &system))
        throw EInvalidOperation(u"Window class '" + UnicodeString(ControlClassName) +
                                u"' is not registered");
    HINSTANCE instance = Params.WindowClass.hInstance;
    Params.WindowClass = system;
    Params.WindowClass.hInstance = instance;
    // Our class is private to the program; a shared DC would be the system class's.
    Params.WindowClass.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
    Params.WindowClass.style |= CS_VREDRAW | CS_HREDRAW;
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    // Child windows get an id of their own, so that notifications naming a
    // child by id (WM_MEASUREITEM, even during creation) find its control.
    static std::atomic<unsigned> nextId{0};
    HMENU id = nullptr;
    if (Params.Style & WS_CHILD)
        id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId.fetch_add(1) % 0xFFFE + 1));
    FHandle = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                              Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                              Params.WndParent, id, Params.WindowClass.hInstance, Params.Param);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if (!params.WndParent && (params.Style & WS_CHILD))
        throw EInvalidOperation(u"Control '" + GetName() + u"' has no parent window");
    FDefWndProc = params.WindowClass.lpfnWndProc;
    WNDCLASSW existing{};
    bool registered =
        GetClassInfoW(params.WindowClass.hInstance, params.WinClassName.c_str(), &existing);
    if (!registered || existing.lpfnWndProc != InitWndProc) {
        if (registered) UnregisterClassW(params.WinClassName.c_str(), params.WindowClass.hInstance);
        WNDCLASSW wc = params.WindowClass;
        wc.lpfnWndProc = InitWndProc;
        wc.lpszClassName = params.WinClassName.c_str();
        if (!RegisterClassW(&wc)) {
            EOSError error(u"Cannot register the window class " + params.WinClassName);
            error.ErrorCode = GetLastError();
            throw error;
        }
    }
    quorlpak::SetCreationControl(this);
    CreateWindowHandle(params);
    quorlpak::SetCreationControl(nullptr);
    if (!FHandle) {
        EOSError error(u"Cannot create the window of " + GetName());
        error.ErrorCode = GetLastError();
        throw error;
    }
    FText.clear(); // the window keeps the text from now on
    UpdateBounds();
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), 1);
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    CreateWnd();
    if (FParent)
        SetWindowPos(FHandle, FParent->PrecedingWindow(this), 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int i = 0; i < GetControlCount(); ++i)
        GetControls(i)->UpdateAnchorRules();
}

HWND TWinControl::PrecedingWindow(TWinControl* Control) const {
    auto it = std::find(FWinControls.begin(), FWinControls.end(), Control);
    if (it == FWinControls.end()) return HWND_TOP;
    // Later in the list is higher in z-order: go behind the first later one with a window.
    for (++it; it != FWinControls.end(); ++it)
        if ((*it)->FHandle) return (*it)->FHandle;
    return HWND_BOTTOM;
}

void TWinControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded();
    CreateHandle();
}

HWND TWinControl::GetHandle() {
    HandleNeeded();
    return FHandle;
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (TWinControl* child : FWinControls)
        child->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    // Keep the text for the next window.
    FText = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    FControlState.Include(csDestroyingHandle);
    HWND handle = FHandle;
    if (handle) DestroyWindow(handle);
    FControlState.Exclude(csDestroyingHandle);
    FHandle = nullptr;
    FShowing = false;
}

void TWinControl::RecreateWnd() {
    if (FHandle) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage&) {
    bool wasFocused = Focused();
    {
        FControlState.Include(csRecreating);
        auto recreated = runpak::ScopeExit([this] { FControlState.Exclude(csRecreating); });
        DestroyHandle();
        UpdateControlState();
    }
    if (wasFocused && FHandle) ::SetFocus(FHandle);
}

void TWinControl::WMNCDestroy(TMessage& Message) {
    DefaultHandler(Message);
    FHandle = nullptr;
    FShowing = false;
}

// --- Showing
// ---------------------------------------------------------------------------------------------

// Makes the window (and its children's) exist and show when the control is
// visible; hides it otherwise.
void TWinControl::UpdateShowing() {
    bool show = FVisible && !FControlState.Contains(csReadingState);
    if (show) {
        if (!FHandle) CreateHandle();
        for (size_t i = 0; i < FWinControls.size(); ++i)
            FWinControls[i]->UpdateShowing();
    }
    if (FHandle && FShowing != show) {
        FShowing = show;
        auto undo = runpak::ScopeExit([this, show] { FShowing = !show; });
        Perform(CM_SHOWINGCHANGED);
        undo.Release();
    }
}

void TWinControl::UpdateControlState() {
    TWinControl* control = this;
    while (control->FParent) {
        control = control->FParent;
        if (!control->GetShowing()) return;
    }
    if (dynamic_cast<TCustomForm*>(control) || control->FParentWindow) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
    if (!FVisible && FParent) RemoveFocus(false);
    UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
    if (!FEnabled && FParent) RemoveFocus(false);
    if (FHandle) EnableWindow(FHandle, FEnabled);
    TControl::Dispatch(Message); // repaint
}

void TWinControl::CMColorChanged(TMessage& Message) {
    FBrush->SetColor(FColor);
    NotifyControls(CM_PARENTCOLORCHANGED);
    TControl::Dispatch(Message);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), 0);
    NotifyControls(CM_PARENTFONTCHANGED);
    TControl::Dispatch(Message);
}

void TWinControl::CMBorderChanged(TMessage&) {
    Realign();
    if (FHandle) {
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        Invalidate();
    }
}

void TWinControl::SetBorderWidth(TBorderWidth Value) {
    if (FBorderWidth == Value) return;
    FBorderWidth = Value;
    Perform(CM_BORDERCHANGED);
}

void TWinControl::SetParentBackground(bool Value) {
    if (GetParentBackground() == Value) return;
    if (Value)
        FControlStyle.Include(csParentBackground);
    else
        FControlStyle.Exclude(csParentBackground);
    Invalidate();
}

void TWinControl::SetBevelEdges(TBevelEdges Value) {
    if (FBevelEdges == Value) return;
    FBevelEdges = Value;
    Perform(CM_BORDERCHANGED);
}

void TWinControl::SetBevelInner(TBevelCut Value) {
    if (FBevelInner == Value) return;
    FBevelInner = Value;
    Perform(CM_BORDERCHANGED);
}

void TWinControl::SetBevelOuter(TBevelCut Value) {
    if (FBevelOuter == Value) return;
    FBevelOuter = Value;
    Perform(CM_BORDERCHANGED);
}

void TWinControl::SetBevelKind(TBevelKind Value) {
    if (FBevelKind == Value) return;
    FBevelKind = Value;
    Perform(CM_BORDERCHANGED);
}

void TWinControl::SetBevelWidth(TBevelWidth Value) {
    if (FBevelWidth == Value || Value < 1) return;
    FBevelWidth = Value;
    Perform(CM_BORDERCHANGED);
}

void TWinControl::SetCtl3D(bool Value) {
    if (FCtl3D == Value) return;
    FCtl3D = Value;
    FParentCtl3D = false;
    Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
    if (FParentCtl3D == Value) return;
    FParentCtl3D = Value;
    if (Value && FParent) {
        SetCtl3D(FParent->GetCtl3D());
        FParentCtl3D = true;
    }
}

void TWinControl::SetZOrder(bool TopMost) {
    if (!FParent) {
        if (FHandle)
            SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    auto& list = FParent->FWinControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (TopMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    if (FHandle)
        SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
}
