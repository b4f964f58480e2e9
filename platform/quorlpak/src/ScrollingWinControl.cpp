#include <quorlpak/ScrollingWinControl.h>

#include <quorlpak/StdCtrls.h>

#include <runpak/TypeInfo.h>

#include <algorithm>

int TControlScrollBar::ControlSize() const {
    RECT r{};
    if (FControl->HandleAllocated())
        ::GetClientRect(FControl->GetHandle(), &r);
    else
        r = RECT{0, 0, FControl->GetWidth(), FControl->GetHeight()};
    return FKind == sbHorizontal ? r.right - r.left : r.bottom - r.top;
}

int TControlScrollBar::MaxPosition() const {
    return std::max(0, FRange - ControlSize());
}

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
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
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
    case SB_LINEUP:
        SetPosition(FPosition - FIncrement);
        break;
    case SB_LINEDOWN:
        SetPosition(FPosition + FIncrement);
        break;
    case SB_PAGEUP:
        SetPosition(FPosition - page);
        break;
    case SB_PAGEDOWN:
        SetPosition(FPosition + page);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetPosition(int(HIWORD(WParam)));
        break;
    case SB_TOP:
        SetPosition(0);
        break;
    case SB_BOTTOM:
        SetPosition(FRange);
        break;
    default:
        break;
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
    // Aligned children would be put back one by one while the others still
    // wait to move; they are all moved first and aligned once afterwards.
    DisableAlign();
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControls(i);
        c->SetBounds(c->GetLeft() + DeltaX, c->GetTop() + DeltaY, c->GetWidth(), c->GetHeight());
    }
    EnableAlign();
    if (HandleAllocated()) ::InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
    if (Value == FAutoScroll) return;
    FAutoScroll = Value;
    if (Value) {
        CalcAutoRange();
    } else {
        FHorzScrollBar->SetRange(0);
        FVertScrollBar->SetRange(0);
    }
}

void TScrollingWinControl::AdjustClientRect(TRect& Rect) {
    if (!FAutoScroll) return TWinControl::AdjustClientRect(Rect);
    const int width = std::max(FHorzScrollBar->GetRange(), int(Rect.right - Rect.left));
    const int height = std::max(FVertScrollBar->GetRange(), int(Rect.bottom - Rect.top));
    Rect = TRect(-FHorzScrollBar->GetPosition(), -FVertScrollBar->GetPosition(), 0, 0);
    Rect.right = Rect.left + width;
    Rect.bottom = Rect.top + height;
    TWinControl::AdjustClientRect(Rect);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    // The ranges first: controls aligned to the far edges lie at the content's end.
    CalcAutoRange();
    TWinControl::AlignControls(AControl, Rect);
}

// Controls aligned to the near edge or not aligned reach as far as they lie;
// controls aligned to the far edge add their size, as they will sit after them.
void TScrollingWinControl::CalcAutoRange() {
    if (!FAutoScroll || FCalculatingRange) return;
    FCalculatingRange = true;
    int right = 0, bottom = 0, rightMargin = 0, bottomMargin = 0;
    const int x0 = FHorzScrollBar->GetPosition(), y0 = FVertScrollBar->GetPosition();
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControls(i);
        if (!c->GetVisible()) continue;
        switch (c->GetAlign()) {
        case alNone:
            right = std::max(right, x0 + c->GetLeft() + c->GetWidth());
            bottom = std::max(bottom, y0 + c->GetTop() + c->GetHeight());
            break;
        case alLeft:
            right = std::max(right, x0 + c->GetLeft() + c->GetWidth());
            break;
        case alTop:
            bottom = std::max(bottom, y0 + c->GetTop() + c->GetHeight());
            break;
        case alRight:
            rightMargin += c->GetWidth();
            break;
        case alBottom:
            bottomMargin += c->GetHeight();
            break;
        default:
            break;
        }
    }
    FHorzScrollBar->SetRange(right + rightMargin + GetBorderWidth());
    FVertScrollBar->SetRange(bottom + bottomMargin + GetBorderWidth());
    FCalculatingRange = false;
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl)) return;
    CalcAutoRange();
    const TRect client = GetClientRect();
    auto bring = [](TControlScrollBar* bar, int near, int far, int size) {
        if (far > size)
            bar->SetPosition(bar->GetPosition() + std::min(far - size, near));
        else if (near < 0)
            bar->SetPosition(bar->GetPosition() + near);
    };
    bring(FHorzScrollBar, AControl->GetLeft(), AControl->GetLeft() + AControl->GetWidth(),
          client.Width());
    bring(FVertScrollBar, AControl->GetTop(), AControl->GetTop() + AControl->GetHeight(),
          client.Height());
}

// --- TScrollBox ------------------------------------------------------------------------------

TClass TScrollBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TScrollBox>(u"TScrollBox", TScrollingWinControl::StaticClass()));
    return &meta;
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csDoubleClicks};
    SetBounds(0, 0, 185, 41);
    SetAutoScroll(true);
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (GetCtl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
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
