#include "benchkit/mvc/IDEPeer.h"

#include <designpak/DesignServices.h>

#include <runpak/TypeInfo.h>
#include <win32/wingdi.h>

namespace PeerDetail {

char16_t KeyCharOfKey(WPARAM Key) {
    if (Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_SPACE)
        return char16_t(Key);
    if ((Key >= 0x30 && Key <= 0x39) || (Key >= 0x41 && Key <= 0x5A)) return char16_t(Key);
    return 0;
}

int32_t KeyModifiers(LPARAM KeyData) {
    TShiftState s = KeyDataToShiftState(KeyData);
    return (s.Contains(ssShift) ? SHIFT_MASK : 0) | (s.Contains(ssCtrl) ? CTRL_MASK : 0) |
           (s.Contains(ssAlt) ? ALT_MASK : 0);
}

int32_t MouseModifiers(WPARAM Keys) {
    return ((Keys & MK_SHIFT) ? 1 : 0) | ((Keys & MK_CONTROL) ? 2 : 0) |
           ((Keys & MK_RBUTTON) ? 4 : 0) | ((Keys & MK_MBUTTON) ? 8 : 0) |
           ((Keys & MK_LBUTTON) ? 16 : 0);
}

int32_t ShiftModifiers(TShiftState Shift) {
    return (Shift.Contains(ssShift) ? 1 : 0) | (Shift.Contains(ssCtrl) ? 2 : 0) |
           (Shift.Contains(ssRight) ? 4 : 0) | (Shift.Contains(ssMiddle) ? 8 : 0) |
           (Shift.Contains(ssLeft) ? 16 : 0);
}

int32_t ButtonModifier(TMouseButton Button) {
    switch (Button) {
    case mbRight:
        return 4;
    case mbMiddle:
        return 8;
    default:
        return 16;
    }
}

} // namespace PeerDetail

TClass TJPanel::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TJPanel>(u"TJPanel", TPanel::StaticClass()));
    return &meta;
}

TClass TBeanPanel::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TBeanPanel>(u"TBeanPanel", TJPanel::StaticClass()));
    return &meta;
}

// --- TScrollBox2 ------------------------------------------------------------------------------

TScrollBox2::TScrollBox2(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csDoubleClicks};
    SetBounds(GetLeft(), GetTop(), 185, 41);
}

TClass TScrollBox2::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TScrollBox2>(u"TScrollBox2", TScrollingWinControl::StaticClass()));
    return &meta;
}

void TScrollBox2::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TScrollBox2::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        // A 3-D control draws a sunken client edge instead of a flat line.
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TScrollBox2::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCHITTEST:
        Message.Result = DefWndProcCall(Message.Msg, Message.WParam, Message.LParam);
        return;
    case CM_CTL3DCHANGED:
        if (FBorderStyle == bsSingle) RecreateWnd();
        break;
    }
    TScrollingWinControl::Dispatch(Message);
}

// --- TJScrollPane -----------------------------------------------------------------------------

TJScrollPane::TJScrollPane(TComponent* AOwner) : TPeer(AOwner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
    // Painting goes through the framework's paint handler to Paint.
    FControlState.Include(csCustomPaint);
}

TJScrollPane::~TJScrollPane() {
    delete FCanvas;
}

TClass TJScrollPane::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TJScrollPane>(u"TJScrollPane", TScrollBox2::StaticClass()));
    return &meta;
}

void TJScrollPane::PaintWindow(HDC DC) {
    FCanvas->Lock();
    FCanvas->SetHandle(DC);
    struct Restore {
        TControlCanvas* canvas;
        ~Restore() {
            canvas->SetHandle(nullptr);
            canvas->Unlock();
        }
    } restore{FCanvas};
    Paint();
}

bool TJScrollPane::TranslateMessage(TMessage& Message) {
    const UINT msg = Message.Msg;
    const bool input = msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR ||
                       (msg >= 0x0200 && msg <= 0x020E) || msg == CM_MOUSEENTER ||
                       msg == CM_MOUSELEAVE;
    if (input && FUpdateCount > 0) return false;
    return TPeer::TranslateMessage(Message);
}

void TJScrollPane::Dispatch(TMessage& Message) {
    TPeer::Dispatch(Message);
}

void TJScrollPane::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TPeer::MouseDown(Button, Shift, X, Y);
    int32_t mods = PeerDetail::ShiftModifiers(Shift) | PeerDetail::ButtonModifier(Button);
    Send(new IDEUIEvent::TMouseEvent(this, MOUSE_PRESSED, Now(), mods, X, Y,
                                     Shift.Contains(ssDouble) ? 2 : 1,
                                     Button == mbRight || Shift.Contains(ssRight)));
}

void TJScrollPane::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TPeer::MouseUp(Button, Shift, X, Y);
    int32_t mods = PeerDetail::ShiftModifiers(Shift) | PeerDetail::ButtonModifier(Button);
    bool popup = Button == mbRight || Shift.Contains(ssRight);
    TRect client = GetClientRect();
    if (X >= client.left && X < client.right && Y >= client.top && Y < client.bottom)
        Send(new IDEUIEvent::TMouseEvent(this, MOUSE_CLICKED, Now(), mods, X, Y, 1, popup));
    Send(new IDEUIEvent::TMouseEvent(this, MOUSE_RELEASED, Now(), mods, X, Y, 1, popup));
}

void TJScrollPane::MouseMove(TShiftState Shift, int X, int Y) {
    TPeer::MouseMove(Shift, X, Y);
    int32_t id = GetControlState().Contains(csLButtonDown) ? MOUSE_DRAGGED : MOUSE_MOVED;
    Send(new IDEUIEvent::TMouseEvent(this, id, Now(), PeerDetail::ShiftModifiers(Shift), X, Y, 1,
                                     Shift.Contains(ssRight)));
}

// --- TScrollPane ------------------------------------------------------------------------------

namespace {
constexpr int32_t AllEventKinds = COMPONENT_EVENT_MASK | CONTAINER_EVENT_MASK | FOCUS_EVENT_MASK |
                                  KEY_EVENT_MASK | MOUSE_EVENT_MASK | MOUSE_MOTION_EVENT_MASK |
                                  DRAG_EVENT_MASK;
}

TScrollPane::TScrollPane(TComponent* AOwner)
    : TBeanPeer(AOwner, AllEventKinds), FInsets(new TInsets(0, 0, 0, 0)) {}

TScrollPane::~TScrollPane() {
    delete FInsets;
}

TClass TScrollPane::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TScrollPane>(u"TScrollPane", TJScrollPane::StaticClass()));
    return &meta;
}

void TScrollPane::CreateParams(TCreateParams& Params) {
    TBeanPeer::CreateParams(Params);
    // A resize repaints only what it uncovers.
    Params.WindowClass.style &= ~(CS_VREDRAW | CS_HREDRAW);
}

void TScrollPane::CreateWnd() {
    TBeanPeer::CreateWnd();
    DoLayout();
}

void TScrollPane::DoLayout() {
    if (!HandleAllocated() || !HasLayoutContent()) return;
    MSG pending;
    HWND h = GetHandle();
    UINT id = DeferDoLayoutMsg();
    if (PeekMessageW(&pending, h, id, id, PM_NOREMOVE)) return;
    PostMessageW(h, id, 0, 0);
}

void TScrollPane::DoLayout2() {
    TDimension size = GetPreferredSize();
    if (OnOverrideScrollRange) OnOverrideScrollRange(this, size);
    GetVertScrollBar()->SetRange(size.Height);
    GetHorzScrollBar()->SetRange(size.Width);
}

void TScrollPane::WndProc(TMessage& Message) {
    if (Message.Msg == DeferDoLayoutMsg()) {
        DoLayout2();
        return;
    }
    TBeanPeer::WndProc(Message);
}

TDimension TScrollPane::GetViewportSize() {
    return Dimension(GetClientWidth() - FInsets->GetRight() - FInsets->GetLeft(),
                     GetClientHeight() - FInsets->GetTop() - FInsets->GetBottom());
}

POINT TScrollPane::GetScrollPosition() {
    return POINT{GetHorzScrollBar()->GetPosition(), GetVertScrollBar()->GetPosition()};
}

void TScrollPane::SetScrollPosition(int X, int Y) {
    GetHorzScrollBar()->SetPosition(X);
    GetVertScrollBar()->SetPosition(Y);
}

// --- TJTextField, TTextField ------------------------------------------------------------------

TJTextField::TJTextField(TComponent* AOwner) : TPeer(AOwner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
}

TJTextField::~TJTextField() {
    delete FCanvas;
}

TClass TJTextField::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TJTextField>(u"TJTextField", TEdit::StaticClass()));
    return &meta;
}

ULONG TJTextField::Release() noexcept {
    if (--FRefCount > 0) return ULONG(FRefCount);
    FRefCount = 0;
    if (!GetOwner()) delete this;
    return 0;
}

TDimension TJTextField::GetPreferredSize() {
    FCanvas->GetFont()->Assign(GetFont());
    TSize size = FCanvas->TextExtent(GetText());
    return Dimension(size.cx + 10, size.cy);
}

TTextField::TTextField(TComponent* AOwner)
    : TBeanPeer(AOwner, AllEventKinds), FInsets(new TInsets(0, 0, 0, 0)) {}

TTextField::~TTextField() {
    delete FInsets;
}

TClass TTextField::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTextField>(u"TTextField", TJTextField::StaticClass()));
    return &meta;
}

void TTextField::CreateParams(TCreateParams& Params) {
    TBeanPeer::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_VREDRAW | CS_HREDRAW);
}

void TTextField::CreateWnd() {
    TBeanPeer::CreateWnd();
    GetPreferredSize(); // the field lays out nothing else
}
