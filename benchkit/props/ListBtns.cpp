// The list button and its pop-up list.
#include "benchkit/props/IDEListBtns.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Messages.h>
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
}

TListButton::~TListButton() = default;

void TListButton::SetListWidth(int Value) {
    FListWidth = Value;
    FAutoWidth = false;
}

bool TListButton::GetDropped() {
    return FListBox->HandleAllocated() && IsWindowVisible(FListBox->GetHandle());
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
    SetWindowPos(FListBox->GetHandle(), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (Accept && GetItemIndex() >= 0) {
        if (OnAccept) OnAccept(this);
    } else if (OnCancel) {
        OnCancel(this);
    }
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
