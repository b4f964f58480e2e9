// The list button and its pop-up list.
#include "benchkit/props/IDEListBtns.h"

#include <quorlpak/Application.h>
#include <quorlpak/Bitmap.h>
#include <quorlpak/Messages.h>
#include <quorlpak/Screen.h>
#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <win32/monitors.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

constexpr int kMaxShownItems = 20;

RECT MonitorAreaAt(const TPoint& p) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcMonitor;
}

} // namespace

TRect ListDropRect(const TPoint& Origin, const TSize& ButtonSize, const TSize& ListSize,
                   TDropAlign Align) {
    // The monitor's own edges count, not the primary screen's: a monitor
    // whose top is not 0 still opens the list where there is room on it.
    const RECT monitor = MonitorAreaAt(Origin);
    int top = Origin.y + ButtonSize.cy - 1;
    if (monitor.bottom < top + ListSize.cy) top = Origin.y - ListSize.cy + 1;
    top = std::max<int>(top, monitor.top);
    int left = Origin.x;
    if (Align == daRight) left = Origin.x + ButtonSize.cx - ListSize.cx;
    left = std::max<int>(left, monitor.left);
    return Bounds(left, top, ListSize.cx, ListSize.cy);
}

// ---- TPopupListBox ------------------------------------------------------------------------

TPopupListBox::TPopupListBox(TComponent* AOwner, TListButton* Button)
    : TListBox(AOwner), FButton(Button) {}

void TPopupListBox::CreateParams(TCreateParams& Params) {
    TListBox::CreateParams(Params);
    // A top-level tool window owned by the button's window, so that it can
    // reach beyond the form and never takes the activation.
    Params.Style = (Params.Style & ~DWORD(WS_CHILD)) | WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    Params.WindowClass.style |= CS_SAVEBITS;
}

void TPopupListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TListBox::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) FButton->CloseUp(GetClientRect().Contains(TPoint(X, Y)));
}

// ---- TListButton --------------------------------------------------------------------------

TClass TListButton::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TListButton>(u"TListButton", TCustomControl::StaticClass()));
    return &meta;
}

TListButton::TListButton(TComponent* AOwner) : TCustomControl(AOwner) {
    FWidth = 17;
    FHeight = 17;
    FColor = clBtnFace;
    FListBox = new TPopupListBox(this, this);
    FListBox->SetVisible(false);
    FListBox->SetSorted(true);
    FPopupPanel = new TPopupPanel(this, this);
}

TListButton::~TListButton() = default;

void TListButton::SetListWidth(int Value) {
    FListWidth = Value;
    FAutoWidth = false;
}

bool TListButton::GetDropped() {
    return (FListBox->HandleAllocated() && IsWindowVisible(FListBox->GetHandle())) ||
           (FPopupPanel->HandleAllocated() && IsWindowVisible(FPopupPanel->GetHandle()));
}

void TListButton::DropDown() {
    if (GetDropped()) return;
    bool canDrop = true;
    if (OnDropDown) OnDropDown(this, canDrop);
    if (!canDrop) return;
    if (!FListBox->GetParent()) FListBox->SetParent(this);
    TCanvas* canvas = GetCanvas();
    canvas->GetFont()->Assign(GetFont());
    const int count = GetItemCount();
    if (FAutoWidth) {
        int pad = 5;
        if (count > kMaxShownItems) pad += GetSystemMetrics(SM_CXVSCROLL);
        FListWidth = FMinListWidth;
        for (int i = 0; i < count; ++i) {
            int w = canvas->TextWidth(GetItemText(i));
            if (OnMeasureWidth) OnMeasureWidth(FListBox, i, w);
            w += pad;
            if (FMaxListWidth > 0) w = std::min(w, FMaxListWidth);
            FListWidth = std::max(FListWidth, w);
        }
    }
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    const RECT monitor = MonitorAreaAt(origin);
    const int available =
        std::max<int>(origin.y - monitor.top, monitor.bottom - GetHeight() - origin.y + 1);
    int height = 2;
    if (count == 0) {
        height += canvas->TextHeight(u"E") + 4;
    } else {
        for (int i = 0; i < count && i < kMaxShownItems; ++i) {
            int h = FListBox->GetItemHeight();
            if (OnMeasureHeight) OnMeasureHeight(FListBox, i, h);
            if (height + h > available) break;
            height += h;
        }
    }
    const TRect r =
        ListDropRect(origin, TSize(GetWidth(), GetHeight()), TSize(FListWidth, height), FDropAlign);
    FListBox->SetBounds(r.left, r.top, r.Width(), r.Height());
    SetWindowPos(FListBox->GetHandle(), HWND_TOPMOST, r.left, r.top, r.Width(), r.Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (CanFocus()) SetFocus();
    ClearSelectString();
}

void TListButton::CloseUp(bool Accept) {
    if (!GetDropped()) return;
    constexpr UINT hide = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW;
    if (FListBox->HandleAllocated()) SetWindowPos(FListBox->GetHandle(), HWND_BOTTOM, 0, 0, 0, 0, hide);
    FPopupPanel->SetModalResult(mrCancel);
    if (FPopupPanel->HandleAllocated())
        SetWindowPos(FPopupPanel->GetHandle(), HWND_BOTTOM, 0, 0, 0, 0, hide);
    if (Accept && GetItemIndex() >= 0) {
        if (OnAccept) OnAccept(this);
    } else if (OnCancel) {
        OnCancel(this);
    }
    FPopupPanel->SetControl(nullptr);
}

void TListButton::DropDown(TControl* Control) {
    if (!Control || GetDropped()) return;
    FPopupPanel->SetControl(Control);
    TPopupPanel* panel = FPopupPanel;
    panel->HandleNeeded();
    const int minClient = std::max(panel->GetCanvas()->TextHeight(u"E"), 1);
    if (panel->GetWidth() < FMinListWidth) panel->SetWidth(FMinListWidth);
    if (panel->GetClientHeight() < minClient) panel->SetClientHeight(minClient);
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST), &info);
    const RECT work = info.rcWork;
    // Below the button, or above it when the work area's bottom is too near.
    int top = origin.y + GetHeight() - 1;
    if (work.bottom < top + panel->GetHeight() + 2) top = origin.y - panel->GetHeight() + 1;
    int left = origin.x;
    if (FDropAlign == daRight) left = origin.x + GetWidth() - panel->GetWidth() - 2;
    left = std::max<int>(left, info.rcMonitor.left);
    panel->SetBounds(left, top, panel->GetWidth(), panel->GetHeight());
    SetWindowPos(panel->GetHandle(), HWND_TOPMOST, left, top, panel->GetWidth(),
                 panel->GetHeight(), SWP_NOACTIVATE);
    panel->ShowPanelModal();
}

void TListButton::Click() {
    if (GetDropped()) {
        CloseUp(false);
        return;
    }
    DropDown();
    if (!GetDropped()) TCustomControl::Click();
}

int TListButton::SearchItem(const UnicodeString& Text) {
    for (int i = 0; i < GetItemCount(); ++i) {
        const UnicodeString item = GetItemText(i);
        if (item.size() >= Text.size() && AnsiSameText(item.substr(0, Text.size()), Text)) return i;
    }
    return -1;
}

void TListButton::SetSelectString(const UnicodeString& Text) {
    const int i = SearchItem(Text);
    if (i < 0) return;
    SetItemIndex(i);
    FSelectString = GetItemText(i).substr(0, Text.size());
}

void TListButton::KeyDown(uint16_t& Key, TShiftState Shift) {
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        ClearSelectString();
        if (FListBox->HandleAllocated()) SendMessageW(FListBox->GetHandle(), WM_KEYDOWN, Key, 0);
        Key = 0;
        return;
    default:
        TCustomControl::KeyDown(Key, Shift);
    }
}

void TListButton::KeyPress(char16_t& Key) {
    switch (Key) {
    case u'\b':
        if (FSelectString.empty()) {
            SetItemIndex(GetItemCount() > 0 ? 0 : -1);
        } else {
            const UnicodeString shorter = FSelectString.substr(0, FSelectString.size() - 1);
            FSelectString = shorter;
            if (!shorter.empty()) SetSelectString(shorter);
        }
        break;
    case u'\r':
        CloseUp(true);
        break;
    case 0x1B:
        CloseUp(false);
        break;
    default:
        SetSelectString(FSelectString + Key);
    }
    Key = 0;
}

void TListButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && !FViaKillFocus) {
        if (GetDropped())
            CloseUp(false);
        else
            DropDown();
    }
    FViaKillFocus = false;
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TListButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        return;
    case WM_KILLFOCUS:
        if (GetDropped()) {
            FViaKillFocus = true;
            CloseUp(false);
        }
        break;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}

void TListButton::SetGlyph(TBitmap* Value) {
    if (!Value) {
        FGlyph.reset();
    } else {
        if (!FGlyph) FGlyph = std::make_unique<TBitmap>();
        FGlyph->Assign(Value);
        FGlyph->SetTransparent(true);
    }
    Invalidate();
}

void TListButton::Paint() {
    TCanvas* canvas = GetCanvas();
    RECT r = GetClientRect();
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->FillRect(TRect(r));
    DrawEdge(canvas->GetHandle(), &r, EDGE_RAISED, BF_RECT);
    const bool enabled = IsWindowEnabled(GetHandle());
    if (FGlyph && !FGlyph->GetEmpty()) {
        // Centred, rounded toward zero; a disabled button greys its glyph.
        const int x = (GetClientWidth() - FGlyph->GetWidth()) / 2;
        const int y = (GetClientHeight() - FGlyph->GetHeight()) / 2;
        if (enabled) {
            canvas->Draw(x, y, FGlyph.get());
        } else {
            TBitmap grey;
            grey.Assign(FGlyph.get());
            TCanvas* g = grey.GetCanvas();
            const TColor key = FGlyph->GetTransparentColor();
            for (int gy = 0; gy < grey.GetHeight(); ++gy)
                for (int gx = 0; gx < grey.GetWidth(); ++gx)
                    if (g->GetPixel(gx, gy) != key) g->SetPixel(gx, gy, clGrayText);
            grey.SetTransparentColor(key);
            grey.SetTransparent(true);
            canvas->Draw(x, y, &grey);
        }
        return;
    }
    // The arrow, centred.
    const int cx = GetClientWidth() / 2, cy = GetClientHeight() / 2;
    canvas->GetPen()->SetColor(enabled ? clBtnText : clGrayText);
    for (int i = 0; i < 4; ++i) {
        canvas->MoveTo(cx - 3 + i, cy - 1 + i);
        canvas->LineTo(cx + 4 - i, cy - 1 + i);
    }
}

// ---- TPopupPanel --------------------------------------------------------------------------

TPopupPanel::TPopupPanel(TComponent* AOwner, TListButton* Button)
    : TCustomForm(AOwner), FButton(Button) {
    SetBorderStyle(bsNone);
    SetBorderIcons({});
    FVisible = false;
}

TPopupPanel::~TPopupPanel() {
    SetControl(nullptr);
}

void TPopupPanel::CreateParams(TCreateParams& Params) {
    TCustomForm::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TPopupPanel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FControl) FControl = nullptr;
}

void TPopupPanel::SetControl(TControl* Control) {
    if (FControl && FControl != Control) {
        FControl->OnResize = nullptr;
        FControl->RemoveFreeNotification(this);
        FControl->SetParent(nullptr);
        FControl = nullptr;
    }
    if (!Control || Control == FControl) return;
    FControl = Control;
    Control->FreeNotification(this);
    SetBounds(GetLeft(), GetTop(), Control->GetWidth() + 2, Control->GetHeight() + 2);
    Control->SetAlign(alClient);
    Control->SetParent(this);
    Control->SetVisible(true);
    Control->OnResize = [this](TObject*) { ControlResized(); };
}

void TPopupPanel::ControlResized() {
    // The hosted control asked for a new size: the panel follows, keeping
    // its right edge where it was.
    if (FInResize || !FControl) return;
    const int dw = FControl->GetWidth() - GetClientWidth();
    const int dh = FControl->GetHeight() - GetClientHeight();
    if (dw == 0 && dh == 0) return;
    int left = GetLeft() - dw;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (HMONITOR monitor = MonitorFromPoint(TPoint(left, GetTop()), MONITOR_DEFAULTTONEAREST);
        monitor && GetMonitorInfoW(monitor, &info))
        left = std::max<int>(left, info.rcMonitor.left);
    else
        left = std::max(left, 0);
    FInResize = true;
    SetBounds(left, GetTop(), GetWidth() + dw, GetHeight() + dh);
    FInResize = false;
}

bool TPopupPanel::OwnsWindow(HWND Window) {
    if (!HandleAllocated()) return false;
    return Window == GetHandle() || IsChild(GetHandle(), Window);
}

void TPopupPanel::WatchMessage(const MSG& Msg) {
    switch (Msg.message) {
    case WM_KEYDOWN:
        if (Msg.wParam == VK_ESCAPE && OwnsWindow(Msg.hwnd)) SetModalResult(mrCancel);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        if (!OwnsWindow(Msg.hwnd)) SetModalResult(mrCancel);
        break;
    default:
        break;
    }
}

int TPopupPanel::ShowPanelModal() {
    if (FVisible || !FEnabled || FInModalLoop || GetFormStyle() == fsMDIChild)
        throw EInvalidOperation(u"Cannot make a visible window modal");
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    Application->ModalStarted();
    FInModalLoop = true;
    HWND activeWindow = GetActiveWindow();
    HWND focus = GetFocus();
    TCustomForm* savedFocusedForm = Screen ? Screen->GetFocusedForm() : nullptr;
    const TCursor savedCursor = Screen ? Screen->GetCursor() : crDefault;
    if (Screen) Screen->SetCursor(crDefault);
    auto restore = runpak::ScopeExit([&] {
        if (Screen) {
            Screen->SetCursor(savedCursor);
            Screen->SetFocusedForm(Screen->HasForm(savedFocusedForm) ? savedFocusedForm : nullptr);
        }
        if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
        if (focus && IsWindow(focus)) ::SetFocus(focus);
        FInModalLoop = false;
        Application->ModalFinished();
    });
    auto hideOnError = runpak::ScopeExit([this] {
        if (FVisible) Hide();
    });
    Show();
    SendMessageW(GetHandle(), CM_ACTIVATE, 0, 0);
    SetModalResult(mrNone);
    if (auto* windowed = dynamic_cast<TWinControl*>(FControl); windowed && windowed->CanFocus())
        windowed->SetFocus();
    // A message hook in all but name: every message this loop takes off the
    // queue is looked at before it is handled.
    while (GetModalResult() == mrNone) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            WaitMessage();
            continue;
        }
        WatchMessage(msg);
        Application->HandleMessage();
        if (Application->GetTerminated()) SetModalResult(mrCancel);
    }
    const int result = GetModalResult();
    if (HandleAllocated()) SendMessageW(GetHandle(), CM_DEACTIVATE, 0, 0);
    if (GetActiveWindow() != GetHandle()) activeWindow = nullptr;
    Hide();
    hideOnError.Release();
    return result;
}

void TPopupPanel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ACTIVATE:
        TCustomForm::Dispatch(Message);
        // Another window took the activation: the drop-down closes.
        if (LOWORD(Message.WParam) == WA_INACTIVE && FInModalLoop && FVisible) {
            if (FButton)
                FButton->CloseUp(false);
            else
                SetModalResult(mrCancel);
        }
        return;
    default:
        TCustomForm::Dispatch(Message);
    }
}
