#include <quorlpak/ScrollingWinControl.h>

#include <runpak/TypeInfo.h>

#include <algorithm>

int TControlScrollBar::ControlSize() const {
    RECT r{};
    if (FControl->HandleAllocated()) ::GetClientRect(FControl->GetHandle(), &r);
    else
        r = RECT{0, 0, FControl->GetWidth(), FControl->GetHeight()};
    return FKind == sbHorizontal ? r.right - r.left : r.bottom - r.top;
}

int TControlScrollBar::MaxPosition() const { return std::max(0, FRange - ControlSize()); }

void TControlScrollBar::SetRange(int Value) {
    FRange = std::max(0, Value);
    Update();
    // A smaller range may leave the content scrolled past its end.
    SetPosition(FPosition);
}

void TControlScrollBar::SetPosition(int Value) {
    int pos = std::clamp(Value, 0, MaxPosition());
    if (pos == FPosition) return;
    int delta = FPosition - pos;
    FPosition = pos;
    if (FKind == sbHorizontal) FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
    if (FControl->HandleAllocated())
        ::SetScrollPos(FControl->GetHandle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, FPosition,
                       TRUE);
}

void TControlScrollBar::SetVisible(bool Value) {
    FVisible = Value;
    Update();
}

void TControlScrollBar::Update() {
    if (!FControl->HandleAllocated()) return;
    int bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    // A bar that is switched off, or whose content fits, is hidden by an
    // empty range.
    si.nMax = FVisible && FRange > ControlSize() ? FRange - 1 : 0;
    si.nPage = FVisible && FRange > ControlSize() ? UINT(ControlSize()) : 0;
    si.nPos = FPosition;
    ::SetScrollInfo(FControl->GetHandle(), bar, &si, TRUE);
}

void TControlScrollBar::ScrollMessage(WPARAM WParam) {
    int page = std::max(1, ControlSize() * 9 / 10);
    switch (LOWORD(WParam)) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - page); break;
    case SB_PAGEDOWN: SetPosition(FPosition + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: SetPosition(int(HIWORD(WParam))); break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(FRange); break;
    default: break;
    }
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical)) {}

TScrollingWinControl::~TScrollingWinControl() {
    delete FHorzScrollBar;
    delete FVertScrollBar;
}

TClass TScrollingWinControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TScrollingWinControl>(u"TScrollingWinControl", TWinControl::StaticClass()));
    return &meta;
}

void TScrollingWinControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style |= WS_HSCROLL | WS_VSCROLL;
}

void TScrollingWinControl::CreateWnd() {
    TWinControl::CreateWnd();
    FHorzScrollBar->Update();
    FVertScrollBar->Update();
}

void TScrollingWinControl::ScrollBy(int DeltaX, int DeltaY) {
    if (DeltaX == 0 && DeltaY == 0) return;
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControls(i);
        c->SetBounds(c->GetLeft() + DeltaX, c->GetTop() + DeltaY, c->GetWidth(), c->GetHeight());
    }
    if (HandleAllocated()) ::InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
        if (Message.LParam == 0) {
            FHorzScrollBar->ScrollMessage(Message.WParam);
            return;
        }
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) {
            FVertScrollBar->ScrollMessage(Message.WParam);
            return;
        }
        break;
    case WM_SIZE:
        TWinControl::Dispatch(Message);
        FHorzScrollBar->Update();
        FVertScrollBar->Update();
        FHorzScrollBar->SetPosition(FHorzScrollBar->GetPosition());
        FVertScrollBar->SetPosition(FVertScrollBar->GetPosition());
        return;
    }
    TWinControl::Dispatch(Message);
}
