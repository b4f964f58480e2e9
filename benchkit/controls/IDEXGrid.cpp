#include "IDEXGrid.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>
#include <runpak/StringList.h>
#include <win32/monitors.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

constexpr int kSearchLimit = 32;
constexpr DWORD kSearchPause = 2000;
constexpr int kListRows = 7;

TPoint MessagePoint(const TMessage& Message) {
    return TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

} // namespace

// --- TPopupListbox ---------------------------------------------------------------------------

TClass TPopupListbox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPopupListbox>(u"TPopupListbox", TCustomListBox::StaticClass()));
    return &meta;
}

TPopupListbox::TPopupListbox(TComponent* AOwner) : TCustomListBox(AOwner) {}

void TPopupListbox::CreateParams(TCreateParams& Params) {
    TCustomListBox::CreateParams(Params);
    Params.Style |= WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WindowClass.style = CS_SAVEBITS;
}

void TPopupListbox::CreateWnd() {
    TCustomListBox::CreateWnd();
    // A child of the desktop: it floats over everything and never becomes
    // active, so the editor keeps the focus; told it has the focus, it draws
    // as focused and does not take the focus on a click.
    ::SetParent(GetHandle(), nullptr);
    CallWindowProcW(GetDefWndProc(), GetHandle(), WM_SETFOCUS, 0, 0);
}

void TPopupListbox::Dispatch(TMessage& Message) {
    // A click on the list must not take the activation (and with it the focus)
    // from the form the editor is on.
    if (Message.Msg == WM_MOUSEACTIVATE) {
        Message.Result = MA_NOACTIVATE;
        return;
    }
    TCustomListBox::Dispatch(Message);
}

void TPopupListbox::KeyPress(char16_t& Key) {
    switch (Key) {
    case u'\b':
    case 27:
        FSearchText.clear();
        break;
    default:
        if (Key >= 32 && Key <= 255) {
            const DWORD tick = GetTickCount();
            if (tick - FSearchTickCount > kSearchPause) FSearchText.clear();
            FSearchTickCount = tick;
            if (static_cast<int>(FSearchText.size()) < kSearchLimit) FSearchText += Key;
            // A start index past the end searches the whole list.
            SendMessageW(GetHandle(), LB_SELECTSTRING, 0xFFFF,
                         reinterpret_cast<LPARAM>(FSearchText.c_str()));
            Key = 0;
            return;
        }
        break;
    }
    TCustomListBox::KeyPress(Key);
}

void TPopupListbox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomListBox::MouseUp(Button, Shift, X, Y);
    if (auto* editor = dynamic_cast<TXGridInplaceEdit*>(GetOwner()))
        editor->CloseUp(X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight());
}

// --- TXGrid --------------------------------------------------------------------------------

TClass TXGrid::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TXGrid>(u"TXGrid", TDrawGrid::StaticClass()));
    return &meta;
}

TXGrid::TXGrid(TComponent* AOwner) : TDrawGrid(AOwner) {
    SetOptions(GetOptions() + goEditing + goAlwaysShowEditor);
}

TInplaceEdit* TXGrid::CreateEditor() {
    return new TXGridInplaceEdit(this);
}

void TXGrid::CloseUp(TObject* Sender, int SelectedIndex, const UnicodeString& SelectedText) {
    if (OnCloseUp) OnCloseUp(Sender, SelectedIndex, SelectedText);
}

void TXGrid::DropDown(TObject* Sender, TStrings* Items, TRect& DropdownRect, int& SelectedIndex) {
    if (OnDropDown) OnDropDown(Sender, Items, DropdownRect, SelectedIndex);
}

void TXGrid::EditButtonClick(TObject* Sender) {
    if (OnEditButtonClick) OnEditButtonClick(Sender);
}

void TXGrid::GetEditStyle(TObject* Sender, TEditStyle& Style) {
    if (OnGetEditStyle) OnGetEditStyle(Sender, Style);
}

// --- TXGridInplaceEdit -----------------------------------------------------------------------

TClass TXGridInplaceEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TXGridInplaceEdit>(u"TXGridInplaceEdit", TInplaceEdit::StaticClass()));
    return &meta;
}

TXGridInplaceEdit::TXGridInplaceEdit(TComponent* AOwner)
    : TInplaceEdit(AOwner), FButtonWidth(GetSystemMetrics(SM_CXVSCROLL)) {}

TXGrid* TXGridInplaceEdit::Grid() {
    return static_cast<TXGrid*>(GetGrid());
}

void TXGridInplaceEdit::UpdateContents() {
    TEditStyle style = esSimple;
    if (Grid()) Grid()->GetEditStyle(this, style);
    ApplyEditStyle(style);
    TInplaceEdit::UpdateContents();
}

void TXGridInplaceEdit::ApplyEditStyle(TEditStyle Value) {
    if (Value == FEditStyle) return;
    FEditStyle = Value;
    if (Value == esPickList) {
        if (!FPickList) {
            FPickList = new TPopupListbox(this);
            FPickList->SetVisible(false);
            FPickList->SetParent(this);
            FPickList->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, int X,
                                          int Y) { ListMouseUp(S, B, Sh, X, Y); };
            SendMessageW(FPickList->GetHandle(), LB_SETITEMHEIGHT, 0, 11);
        }
        FActiveList = FPickList;
    } else {
        FActiveList = nullptr;
    }
    BoundsChanged();
    Repaint();
}

TRect TXGridInplaceEdit::ButtonRect() {
    if (FEditStyle == esSimple) return TRect();
    return TRect(GetWidth() - FButtonWidth, 0, GetWidth(), GetHeight());
}

bool TXGridInplaceEdit::OverButton(const TPoint& P) {
    const TRect r = ButtonRect();
    return !r.IsEmpty() && P.x >= r.left && P.x < r.right && P.y >= r.top && P.y < r.bottom;
}

void TXGridInplaceEdit::BoundsChanged() {
    if (!HandleAllocated()) return;
    RECT r{2, 2, GetWidth() - 2, GetHeight()};
    if (FEditStyle != esSimple) r.right -= FButtonWidth;
    SendMessageW(GetHandle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageW(GetHandle(), EM_SCROLLCARET, 0, 0);
}

void TXGridInplaceEdit::PaintButton(HDC DC) {
    TRect r = ButtonRect();
    if (r.IsEmpty()) return;
    if (FEditStyle == esPickList) {
        UINT flags = DFCS_SCROLLCOMBOBOX;
        if (!FActiveList) flags |= DFCS_INACTIVE;
        if (FPressed) flags |= DFCS_FLAT | DFCS_PUSHED;
        DrawFrameControl(DC, &r, DFC_SCROLL, flags);
        return;
    }
    DrawEdge(DC, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | (FPressed ? BF_FLAT : 0));
    const int d = FButtonWidth <= 7 ? 1 : FButtonWidth / 8;
    const int x = r.left + r.Width() / 2 + (FPressed ? 1 : -1);
    const int y = GetHeight() / 2;
    for (int dx : {-2 * d, 0, 2 * d})
        PatBlt(DC, x + dx, y, d, d, BLACKNESS);
}

void TXGridInplaceEdit::TrackButton(int X, int Y) {
    const bool pressed = OverButton(TPoint(X, Y));
    if (pressed == FPressed) return;
    FPressed = pressed;
    const TRect r = ButtonRect();
    ::InvalidateRect(GetHandle(), &r, FALSE);
}

void TXGridInplaceEdit::StopTracking() {
    if (!FTracking) return;
    TrackButton(-1, -1);
    FTracking = false;
    if (GetCapture() == GetHandle()) ReleaseCapture();
}

void TXGridInplaceEdit::DropDown() {
    if (FListVisible || !FActiveList || !Grid()) return;
    FActiveList->SetWidth(GetWidth());
    FActiveList->SetColor(GetColor());
    FActiveList->GetFont()->Assign(GetFont());
    const int itemHeight =
        std::max(1, int(SendMessageW(FActiveList->GetHandle(), LB_GETITEMHEIGHT, 0, 0)));
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    // The handler gets the rectangle the list wants below the editor; the
    // size it leaves there is the list's size.
    TRect rect(origin.x, origin.y + GetHeight(), origin.x + GetWidth(),
               origin.y + GetHeight() + kListRows * itemHeight + 4);
    int selected = -1;
    TStrings* items = FActiveList->GetItems();
    items->BeginUpdate();
    Grid()->DropDown(this, items, rect, selected);
    items->EndUpdate();
    FActiveList->SetItemIndex(selected);

    // On the monitor of the editor: below it when the list fits there, else
    // above it when it fits there, else on the roomier side, cut to fit.
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(GetHandle(), MONITOR_DEFAULTTONEAREST), &mi);
    const RECT screen = mi.rcWork;
    int width = std::min<int>(std::max<int>(rect.Width(), 1), screen.right - screen.left);
    int height = std::max<int>(rect.Height(), 1);
    int left = std::clamp<int>(rect.left, screen.left, screen.right - width);
    const int below = screen.bottom - (origin.y + GetHeight());
    const int above = origin.y - screen.top;
    int top = rect.top;
    if (height > below) {
        if (height <= above || above > below) {
            height = std::min(height, above);
            top = origin.y - height;
        } else {
            height = below;
            top = origin.y + GetHeight();
        }
    }
    SetWindowPos(FActiveList->GetHandle(), HWND_TOP, left, top, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FListVisible = true;
    Invalidate();
    ::SetFocus(GetHandle());
}

void TXGridInplaceEdit::CloseUp(bool Accept) {
    if (!FListVisible || !FActiveList) return;
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    if (EditCanModify()) {
        const int index = FActiveList->GetItemIndex();
        if (Accept && index >= 0) {
            const UnicodeString text = FActiveList->GetItems()->GetStrings(index);
            Grid()->CloseUp(this, index, text);
            SetText(text);
        } else {
            Grid()->CloseUp(this, -1, UnicodeString());
        }
    }
    SetWindowPos(FActiveList->GetHandle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    FListVisible = false;
    Invalidate();
}

void TXGridInplaceEdit::ListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || !FActiveList) return;
    const TRect r = FActiveList->GetClientRect();
    CloseUp(X >= r.left && Y >= r.top && X < r.right && Y < r.bottom);
}

bool TXGridInplaceEdit::DoDropDownKeys(uint16_t Key, TShiftState Shift) {
    switch (Key) {
    case VK_RETURN:
    case VK_ESCAPE:
        if (FListVisible && !Shift.Contains(ssAlt)) {
            CloseUp(Key == VK_RETURN);
            return true;
        }
        return false;
    case VK_UP:
    case VK_DOWN:
        if (!Shift.Contains(ssAlt)) return false;
        if (FListVisible)
            CloseUp(true);
        else
            DropDown();
        return true;
    default:
        return false;
    }
}

void TXGridInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (FEditStyle == esEllipsis && Key == VK_RETURN && Shift.Contains(ssCtrl)) {
        Grid()->EditButtonClick(this);
        // The character Ctrl+Enter would type goes with it.
        MSG msg;
        if (PeekMessageW(&msg, GetHandle(), WM_CHAR, WM_CHAR, PM_REMOVE) && msg.message == WM_QUIT)
            PostQuitMessage(static_cast<int>(msg.wParam));
        Key = 0;
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TXGridInplaceEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
        if (FEditStyle == esPickList) {
            const TShiftState shift = KeyDataToShiftState(Message.LParam);
            if (DoDropDownKeys(static_cast<uint16_t>(Message.WParam), shift)) {
                Message.Result = 0;
                return;
            }
            if (FListVisible && FActiveList) {
                Message.Result = SendMessageW(FActiveList->GetHandle(), Message.Msg, Message.WParam,
                                              Message.LParam);
                return;
            }
        }
        break;
    case WM_GETDLGCODE:
        TInplaceEdit::Dispatch(Message);
        // Enter and Escape close an open list instead of reaching the form.
        if (FListVisible) Message.Result |= DLGC_WANTALLKEYS;
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const TPoint p = MessagePoint(Message);
        if (!OverButton(p)) break;
        if (Message.Msg == WM_LBUTTONDBLCLK) return;
        if (FListVisible) {
            CloseUp(false);
        } else {
            SetCapture(GetHandle());
            FTracking = true;
            TrackButton(p.x, p.y);
            if (FActiveList) DropDown();
        }
        return;
    }
    case WM_MOUSEMOVE:
        if (FTracking) {
            const TPoint p = MessagePoint(Message);
            TrackButton(p.x, p.y);
            if (FListVisible) {
                // Dragging into the list hands the press over to it.
                const TPoint lp = FActiveList->ScreenToClient(ClientToScreen(p));
                const TRect lr = FActiveList->GetClientRect();
                if (lp.x >= lr.left && lp.y >= lr.top && lp.x < lr.right && lp.y < lr.bottom) {
                    StopTracking();
                    SendMessageW(FActiveList->GetHandle(), WM_LBUTTONDOWN, 0,
                                 MAKELPARAM(lp.x, lp.y));
                    return;
                }
            }
            return;
        }
        break;
    case WM_LBUTTONUP: {
        const bool wasPressed = FPressed;
        const bool wasTracking = FTracking;
        StopTracking();
        if (wasPressed && FEditStyle == esEllipsis) Grid()->EditButtonClick(this);
        if (wasTracking) return;
        break;
    }
    case WM_SETCURSOR: {
        POINT cursor;
        GetCursorPos(&cursor);
        if (OverButton(ScreenToClient(TPoint(cursor)))) {
            ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            Message.Result = 1;
            return;
        }
        break;
    }
    case WM_CANCELMODE:
        StopTracking();
        break;
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (sender != this && sender != FActiveList) CloseUp(false);
        break;
    }
    case WM_KILLFOCUS:
        TInplaceEdit::Dispatch(Message);
        CloseUp(false);
        return;
    case WM_PAINT:
        TInplaceEdit::Dispatch(Message);
        if (FEditStyle != esSimple && HandleAllocated()) {
            HDC dc = GetDC(GetHandle());
            PaintButton(dc);
            ReleaseDC(GetHandle(), dc);
        }
        return;
    default:
        break;
    }
    TInplaceEdit::Dispatch(Message);
}
