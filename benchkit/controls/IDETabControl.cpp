#include "IDETabControl.h"

#include <quorlpak/Application.h>
#include <win32/commctrl.h>
#include <win32/windows.h>

namespace {

// Lets the window ask for its frame again after the border changed.
void RecalcFrame(TWinControl* Control) {
    Control->Perform(CM_BORDERCHANGED);
    if (Control->HandleAllocated())
        SetWindowPos(Control->GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

NCCALCSIZE_PARAMS* CalcSizeParams(const TMessage& Message) {
    return reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
}

} // namespace

// --- TXTabControl ----------------------------------------------------------------------------

TClass TXTabControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TXTabControl>(u"TXTabControl", TTabControl::StaticClass()));
    return &meta;
}

TXTabControl::TXTabControl(TComponent* AOwner) : TTabControl(AOwner) {
    SetDoubleBuffered(true);
}

void TXTabControl::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecalcFrame(this);
}

void TXTabControl::DoUpdateTabImages() {
    UpdateTabImages();
}

void TXTabControl::UpdateImageAtIndex(int Index, int ImageIndex) {
    if (!HandleAllocated()) return;
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    item.iImage = ImageIndex;
    SendMessageW(GetHandle(), TCM_SETITEMW, static_cast<WPARAM>(Index),
                 reinterpret_cast<LPARAM>(&item));
}

void TXTabControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCCALCSIZE:
        // Without a border the client area reaches past the panel's edges,
        // so that they fall outside the window.
        if (FBorderStyle == bsNone && Message.WParam) {
            RECT& r = CalcSizeParams(Message)->rgrc[0];
            r.left -= 1;
            r.right += 2;
            r.bottom += 2;
        }
        Message.Result = 0;
        return;
    case WM_NCHITTEST:
        TTabControl::Dispatch(Message);
        if (Message.Result == HTTRANSPARENT) Message.Result = HTCLIENT;
        return;
    default:
        TTabControl::Dispatch(Message);
    }
}

// --- TXPageControl ---------------------------------------------------------------------------

TClass TXPageControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TXPageControl>(u"TXPageControl", TPageControl::StaticClass()));
    return &meta;
}

TXPageControl::TXPageControl(TComponent* AOwner) : TPageControl(AOwner) {}

void TXPageControl::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecalcFrame(this);
}

void TXPageControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCCALCSIZE:
        if (FBorderStyle == bsNone && Message.WParam) {
            RECT& r = CalcSizeParams(Message)->rgrc[0];
            r.top -= 6;
            r.left -= 4;
            r.right += 2;
            r.bottom += 4;
        }
        Message.Result = 0;
        return;
    case WM_PAINT:
        if (FBorderStyle == bsNone) {
            // The strip along the top stays as it is: the tabs' edge lies there.
            PAINTSTRUCT ps;
            HDC dc = Message.WParam ? reinterpret_cast<HDC>(Message.WParam)
                                    : BeginPaint(GetHandle(), &ps);
            const int saved = SaveDC(dc);
            const TRect client = GetClientRect();
            ExcludeClipRect(dc, client.left, client.top, client.right, 3);
            TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
            PaintHandler(paint);
            RestoreDC(dc, saved);
            if (!Message.WParam) EndPaint(GetHandle(), &ps);
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TPageControl::Dispatch(Message);
}

// --- TComponentPaletteTabControl --------------------------------------------------------------

TClass TComponentPaletteTabControl::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TComponentPaletteTabControl>(
        u"TComponentPaletteTabControl", TXTabControl::StaticClass()));
    return &meta;
}

void TComponentPaletteTabControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_HELP) {
        bool handled = false;
        if (OnHelpRequest) OnHelpRequest(this, Message, handled);
        if (handled) return;
    }
    TXTabControl::Dispatch(Message);
}

// --- TCodeEditorTabControl -------------------------------------------------------------------

TClass TCodeEditorTabControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCodeEditorTabControl>(u"TCodeEditorTabControl", TTabSet::StaticClass()));
    return &meta;
}

TCodeEditorTabControl::TCodeEditorTabControl(TComponent* AOwner) : TTabSet(AOwner) {
    SetStyle(tsModernTabs);
    SetTabPosition(tpTop);
    SetStartMargin(1);
    SetEndMargin(1);
}

void TCodeEditorTabControl::SetTabIndex(int Value) {
    if (Value == GetTabIndex()) return;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (allow) TTabSet::SetTabIndex(Value);
    if (OnChange) OnChange(this);
}

int TCodeEditorTabControl::IndexOfTabAt(int X, int Y) {
    return ItemAtPos(TPoint(X, Y));
}

TRect TCodeEditorTabControl::TabRect(int Index) {
    TRect r = ItemRect(Index);
    // A tab that is not shown lies past the right edge.
    if (r.left == 0 && r.right == 0) r.left = GetWidth();
    return r;
}

THitTests TCodeEditorTabControl::GetHitTestInfoAt(int X, int Y) {
    const TRect client = GetClientRect();
    if (X < client.left || Y < client.top || X >= client.right || Y >= client.bottom) return {};
    const int index = IndexOfTabAt(X, Y);
    if (index < 0) return THitTests{htNowhere};
    THitTests result{htOnItem};
    if (GetImages() && GetImageIndex(index) != -1) {
        const TRect r = TabRect(index);
        if (X >= r.left + 3 && X <= r.left + 14 && Y >= r.top + 2 && Y <= r.top + 13)
            result.Include(htOnIcon);
    }
    return result;
}

void TCodeEditorTabControl::DoUpdateTabImages() {
    Invalidate();
}

void TCodeEditorTabControl::UpdateImageAtIndex(int Index) {
    if (Index < 0 || !HandleAllocated()) return;
    const TRect r = TabRect(Index);
    ::InvalidateRect(GetHandle(), &r, TRUE);
}

void TCodeEditorTabControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_HINTSHOW: {
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        FLastTabHintIndex = -1;
        Message.Result = 1; // no hint unless a tab gives one
        if (!info || info->HintControl != this || !OnGetTabHintText) return;
        const int index = IndexOfTabAt(info->CursorPos.x, info->CursorPos.y);
        if (index < 0) return;
        UnicodeString text;
        bool handled = false;
        OnGetTabHintText(this, index, text, handled);
        if (!handled || text.empty()) return;
        info->HintStr = text;
        info->CursorRect = TabRect(index);
        FLastTabHintIndex = index;
        Message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        Message.Result = 0;
        return;
    default:
        TTabSet::Dispatch(Message);
    }
}

void TCodeEditorTabControl::MouseMove(TShiftState Shift, int X, int Y) {
    TTabSet::MouseMove(Shift, X, Y);
    if (FLastTabHintIndex != -1 && IndexOfTabAt(X, Y) != FLastTabHintIndex)
        Application->CancelHint();
}
