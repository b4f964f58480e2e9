#include "benchkit/shell/IDEVirtualScrollbars.h"

#include <quorlpak/Colors.h>
#include <runpak/TypeInfo.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cmath>

namespace {

bool Inside(const TRect& R, const TPoint& P) {
    return P.x >= R.left && P.x < R.right && P.y >= R.top && P.y < R.bottom;
}

int RoundDiv(int64_t numerator, int64_t denominator) {
    return static_cast<int>(std::llround(static_cast<double>(numerator) / denominator));
}

TPoint PointOf(LPARAM LParam) {
    return TPoint(static_cast<int16_t>(LOWORD(LParam)), static_cast<int16_t>(HIWORD(LParam)));
}

} // namespace

// --- Colours --------------------------------------------------------------------

TScrollBarColors::TScrollBarColors(TCustomOwnerDrawScrollbar* AOwner)
    : FThumbButton(clScrollBar), FBackGround(clScrollBar), FScrollbar(AOwner) {}

void TScrollBarColors::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TScrollBarColors*>(Source);
    if (!other) return TPersistent::Assign(Source);
    FThumbButton = other->FThumbButton;
    FBackGround = other->FBackGround;
    FBackgroundBlend = other->FBackgroundBlend;
    FPageScrollHot = other->FPageScrollHot;
    Changed();
}

void TScrollBarColors::Changed() {
    if (FScrollbar) FScrollbar->RebuildDefaultColors();
}

void TScrollBarColors::SetThumbButton(TColor Value) {
    if (Value == FThumbButton) return;
    FThumbButton = Value;
    Changed();
}

void TScrollBarColors::SetBackGround(TColor Value) {
    if (Value == FBackGround) return;
    FBackGround = Value;
    Changed();
}

void TScrollBarColors::SetBackgroundBlend(TColor Value) {
    if (Value == FBackgroundBlend) return;
    FBackgroundBlend = Value;
    Changed();
}

// --- Construction -------------------------------------------------------------------

TClass TCustomOwnerDrawScrollbar::StaticClass() {
    using T = TCustomOwnerDrawScrollbar;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TCustomOwnerDrawScrollbar", TCustomControl::StaticClass()));
    return &meta;
}

TClass TOwnerDrawScrollbar::StaticClass() {
    using T = TOwnerDrawScrollbar;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TOwnerDrawScrollbar", TCustomOwnerDrawScrollbar::StaticClass())
            .Property(u"Flat", BooleanTypeInfo, &T::GetFlat, &T::SetFlat)
            .Default(false)
            .Property(u"LargeChange", IntegerTypeInfo, &T::GetLargeChange, &T::SetLargeChange)
            .Default(1)
            .Property(u"Max", IntegerTypeInfo, &T::GetMax, &T::SetMax)
            .Default(100)
            .Property(u"Min", IntegerTypeInfo, &T::GetMin, &T::SetMin)
            .Default(0)
            .Property(u"PageSize", IntegerTypeInfo, &T::GetPageSize, &T::SetPageSize)
            .Default(1)
            .Property(u"Position", IntegerTypeInfo, &T::GetPosition, &T::SetPosition)
            .Default(0)
            .Property(u"SmallChange", IntegerTypeInfo, &T::GetSmallChange, &T::SetSmallChange)
            .Default(1));
    return &meta;
}

TCustomOwnerDrawScrollbar::TCustomOwnerDrawScrollbar(TComponent* AOwner)
    : TCustomControl(AOwner), FColors(new TScrollBarColors(this)) {
    SetBounds(GetLeft(), GetTop(), GetSystemMetrics(SM_CXVSCROLL), 200);
    SetColor(clScrollBar);
    SetTabStop(false);
    RebuildDefaultColors();
}

TCustomOwnerDrawScrollbar::~TCustomOwnerDrawScrollbar() {
    FreeThemes();
    if (FBkGndBrush) DeleteObject(FBkGndBrush);
    if (FBkGndBitmap) DeleteObject(FBkGndBitmap);
    delete FColors;
}

void TCustomOwnerDrawScrollbar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // The bar is always as wide as the system's, except while its stored
    // bounds are read back.
    if (!GetComponentState().Contains(csLoading)) AWidth = GetSystemMetrics(SM_CXVSCROLL);
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomOwnerDrawScrollbar::CreateWnd() {
    TCustomControl::CreateWnd();
    RebuildDefaultColors();
    SendMessageW(GetHandle(), WM_THEMECHANGED, 0, 0);
}

void TCustomOwnerDrawScrollbar::OpenThemes() {
    // The layer draws no visual styles, so the bar never has a theme to open.
    FreeThemes();
    FState.Exclude(ssThemesAvailable);
}

void TCustomOwnerDrawScrollbar::FreeThemes() {
    FThemeScrollbar = nullptr;
}

bool TCustomOwnerDrawScrollbar::Themed() const {
    return FState.Contains(ssThemesAvailable) && FOptions.Contains(soThemeAware);
}

void TCustomOwnerDrawScrollbar::RebuildDefaultColors() {
    // An 8x8 checkerboard of the background and the blend colour.
    COLORREF background = ColorToRGB(FColors->GetBackGround());
    COLORREF blend = ColorToRGB(FColors->GetBackgroundBlend());
    uint32_t pixels[64];
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) {
            COLORREF c = (i + j) % 2 ? background : blend;
            pixels[j * 8 + i] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        }
    if (FBkGndBrush) DeleteObject(FBkGndBrush);
    if (FBkGndBitmap) DeleteObject(FBkGndBitmap);
    FBkGndBitmap = CreateBitmap(8, 8, 1, 32, pixels);
    FBkGndBrush = CreatePatternBrush(FBkGndBitmap);
    if (HandleAllocated()) {
        Invalidate();
        Update();
    }
}

// --- Geometry --------------------------------------------------------------------

int TCustomOwnerDrawScrollbar::Metric(TScrollDimensions Dimension) {
    const int height = GetClientHeight();
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    switch (Dimension) {
    case sbVArrowWidth: return GetSystemMetrics(SM_CXVSCROLL);
    case sbVArrowHeight: return 2 * arrow < height ? arrow : height / 2;
    case sbVThumbClientHeight: return std::max(height - 2 * arrow, 0);
    case sbVThumbHeight: {
        const int client = Metric(sbVThumbClientHeight);
        int thumb = RoundDiv(int64_t(client) * FPageSize, int64_t(FMax) - FMin);
        thumb = std::max(thumb, GetSystemMetrics(SM_CYVTHUMB) / 2);
        return thumb > client ? 0 : thumb;
    }
    }
    return 0;
}

TRect TCustomOwnerDrawScrollbar::ScrollArea(TScrollArea Area) {
    const TRect client = GetClientRect();
    const int arrowWidth = Metric(sbVArrowWidth), arrowHeight = Metric(sbVArrowHeight);
    TRect thumbClient(client.left, client.top + arrowHeight, client.right,
                      client.bottom - arrowHeight);
    auto thumb = [&] {
        const int height = Metric(sbVThumbHeight);
        const int top = CalculateThumbCenterPixel() - height / 2;
        return TRect(thumbClient.left, top, thumbClient.right, top + height);
    };
    switch (Area) {
    case saBackground:
        // The track between the buttons: what the background paint covers.
        return thumbClient;
    case saScrollUp: return TRect(client.left, client.top, client.left + arrowWidth, client.top + arrowHeight);
    case saScrollDown:
        return TRect(client.left, client.bottom - arrowHeight, client.left + arrowWidth, client.bottom);
    case saThumbClient: return thumbClient;
    case saThumb: return thumb();
    case saThumbPageDownClient: {
        TRect r = thumbClient;
        r.top = std::min(thumb().bottom, r.bottom);
        return r;
    }
    case saThumbPageUpClient: {
        TRect r = thumbClient;
        r.bottom = std::max(thumb().top, r.top);
        return r;
    }
    }
    return TRect();
}

int TCustomOwnerDrawScrollbar::CalculateThumbCenterPixel() {
    const int client = Metric(sbVThumbClientHeight);
    const int top = Metric(sbVArrowHeight);
    const int half = Metric(sbVThumbHeight) / 2;
    if (FPosition <= FMin) return top + half;
    if (FPosition >= GetMax()) return top + client - half;
    const int span = client - 2 * half;
    return top + half + RoundDiv(int64_t(FPosition - FMin) * span, int64_t(GetMax()) - FMin);
}

int TCustomOwnerDrawScrollbar::CalcuatePositionByPixel(int Y) {
    const int half = Metric(sbVThumbHeight) / 2;
    const int top = Metric(sbVArrowHeight) + half;
    const int span = Metric(sbVThumbClientHeight) - 2 * half;
    if (Y < top || span <= 0 || GetMax() <= FMin) return FMin;
    if (Y >= top + span) return GetMax();
    return FMin + RoundDiv(int64_t(Y - top) * (int64_t(GetMax()) - FMin), span);
}

// --- Properties -------------------------------------------------------------------

void TCustomOwnerDrawScrollbar::SetMax(int Value) {
    FMax = FMin >= Value ? FMin + 1 : Value;
}

void TCustomOwnerDrawScrollbar::SetMin(int Value) {
    FMin = Value >= FMax ? FMax - 1 : Value;
}

void TCustomOwnerDrawScrollbar::SetPageSize(int Value) {
    FPageSize = std::max(std::min(Value, FMax - FMin), 1);
}

void TCustomOwnerDrawScrollbar::SetPosition(int Value) {
    FPosition = std::max(std::min(Value, GetMax()), FMin);
    Refresh(ScrollArea(saThumbClient), true);
}

// Min is taken as given: clamping it against the old maximum first would turn
// a range above the present one (1000..1050 after 0..100) into a wrong one.
void TCustomOwnerDrawScrollbar::SetRange(int AMin, int AMax) {
    FMin = AMin;
    SetMax(std::max(AMax, FMin));
}

void TCustomOwnerDrawScrollbar::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TCustomOwnerDrawScrollbar::SetOptions(TScrollOptions Value) {
    FOptions = Value;
    Invalidate();
}

void TCustomOwnerDrawScrollbar::Refresh(const TRect& R, bool Erase) {
    if (!HandleAllocated()) return;
    RECT r = R;
    InvalidateRect(GetHandle(), &r, Erase);
    UpdateWindow(GetHandle());
}

void TCustomOwnerDrawScrollbar::SetState(TScrollStates Value) {
    const TScrollStates changed = (FState - Value) + (Value - FState);
    FState = Value;
    auto any = [&](std::initializer_list<TScrollState> states) {
        for (TScrollState s : states)
            if (changed.Contains(s)) return true;
        return false;
    };
    // One rectangle: the widest part that changed wins.
    TRect r;
    bool erase = false, dirty = false;
    if (any({ssDownPressed, ssHotDown})) r = ScrollArea(saScrollDown), dirty = true;
    if (any({ssUpPressed, ssHotUp})) r = ScrollArea(saScrollUp), dirty = true;
    if (any({ssHotThumb, ssDraggingThumb})) r = ScrollArea(saThumb), dirty = true;
    if (any({ssPageDownPressed, ssPageUpPressed})) r = ScrollArea(saThumbClient), erase = dirty = true;
    if (dirty) Refresh(r, erase);
}

// --- Scrolling -------------------------------------------------------------------------

bool TCustomOwnerDrawScrollbar::SendScrollMsg(WORD Code, WORD Pos) {
    if (!FOwnerControl) return false;
    // lParam names this bar, so that an owner with several can tell them apart.
    HWND owner = FOwnerControl->GetHandle();
    SendMessageW(owner, WM_VSCROLL, MAKEWPARAM(Code, Pos), reinterpret_cast<LPARAM>(this));
    if (Code != SB_THUMBTRACK)
        SendMessageW(owner, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(this));
    return true;
}

void TCustomOwnerDrawScrollbar::Step(WORD Code, int Delta) {
    if (!SendScrollMsg(Code, 0)) SetPosition(FPosition + Delta);
}

void TCustomOwnerDrawScrollbar::ScrollClick(const TPoint& Point) {
    TScrollStates state = FState;
    if (Inside(ScrollArea(saScrollUp), Point)) {
        SetState(state.Include(ssUpPressed));
        Step(SB_LINEUP, -FSmallChange);
    } else if (Inside(ScrollArea(saScrollDown), Point)) {
        SetState(state.Include(ssDownPressed));
        Step(SB_LINEDOWN, FSmallChange);
    } else if (Inside(ScrollArea(saThumb), Point)) {
        SetState(state.Include(ssDraggingThumb));
    } else if (Inside(ScrollArea(saThumbPageDownClient), Point)) {
        SetState(state.Include(ssPageDownPressed));
        Step(SB_PAGEDOWN, FLargeChange);
    } else if (Inside(ScrollArea(saThumbPageUpClient), Point)) {
        SetState(state.Include(ssPageUpPressed));
        Step(SB_PAGEUP, -FLargeChange);
    }
}

bool TCustomOwnerDrawScrollbar::CanScrollPage() {
    POINT screen;
    GetCursorPos(&screen);
    const TPoint cursor = ScreenToClient(TPoint(screen.x, screen.y));
    bool can = (FState.Contains(ssPageDownPressed) &&
                Inside(ScrollArea(saThumbPageDownClient), cursor)) ||
               (FState.Contains(ssPageUpPressed) && Inside(ScrollArea(saThumbPageUpClient), cursor));
    TScrollStates state = FState;
    if (can) state.Include(ssPageScrollPause);
    else state.Exclude(ssPageScrollPause);
    SetState(state);
    return can;
}

void TCustomOwnerDrawScrollbar::HandleHotTracking(const TPoint& Point, bool Clear) {
    const TScrollStates hot{ssHotUp, ssHotDown, ssHotThumb};
    auto become = [&](TScrollState s) {
        if (!FState.Contains(s)) SetState((FState - hot).Include(s));
    };
    if (!Clear && Inside(ScrollArea(saScrollUp), Point)) become(ssHotUp);
    else if (!Clear && Inside(ScrollArea(saScrollDown), Point)) become(ssHotDown);
    else if (!Clear && Inside(ScrollArea(saThumb), Point)) become(ssHotThumb);
    else if (Clear || (!(FState * hot).Empty() && !FState.Contains(ssDraggingThumb)))
        SetState(FState - hot);
}

void TCustomOwnerDrawScrollbar::HandleHotTimer(bool Enable) {
    if (Enable && !FTimerHot && HandleAllocated())
        FTimerHot = SetTimer(GetHandle(), HotTimer, 50, nullptr);
    else if (!Enable && FTimerHot) {
        KillTimer(GetHandle(), HotTimer);
        FTimerHot = 0;
    }
}

void TCustomOwnerDrawScrollbar::HandleAutoScrollTimer(bool Enable, bool Delay) {
    if (!HandleAllocated()) return;
    auto stop = [&](UINT_PTR& timer, UINT_PTR id) {
        if (timer) KillTimer(GetHandle(), id);
        timer = 0;
    };
    if (!Enable) {
        stop(FTimerAutoScroll, AutoScrollTimer);
        stop(FTimerAutoScrollDelay, AutoScrollDelayTimer);
    } else if (Delay) {
        stop(FTimerAutoScroll, AutoScrollTimer);
        FTimerAutoScrollDelay = SetTimer(GetHandle(), AutoScrollDelayTimer, 500, nullptr);
    } else {
        stop(FTimerAutoScrollDelay, AutoScrollDelayTimer);
        FTimerAutoScroll = SetTimer(GetHandle(), AutoScrollTimer, FAutoScrollTime, nullptr);
    }
}

void TCustomOwnerDrawScrollbar::TimerFired(UINT_PTR Id) {
    if (Id == HotTimer) {
        POINT screen;
        GetCursorPos(&screen);
        const TPoint cursor = ScreenToClient(TPoint(screen.x, screen.y));
        if (Inside(GetClientRect(), cursor)) {
            HandleHotTracking(cursor, false);
        } else {
            HandleHotTracking(cursor, true);
            HandleHotTimer(false);
        }
    } else if (Id == AutoScrollDelayTimer) {
        HandleAutoScrollTimer(true, false);
    } else if (Id == AutoScrollTimer) {
        if (FState.Contains(ssUpPressed)) Step(SB_LINEUP, -FSmallChange);
        else if (FState.Contains(ssDownPressed)) Step(SB_LINEDOWN, FSmallChange);
        else if (CanScrollPage()) {
            if (FState.Contains(ssPageDownPressed)) Step(SB_PAGEDOWN, FLargeChange);
            else if (FState.Contains(ssPageUpPressed)) Step(SB_PAGEUP, -FLargeChange);
        }
    }
}

// --- Mouse -------------------------------------------------------------------------------

void TCustomOwnerDrawScrollbar::ButtonDown(const TPoint& Point, bool Capture) {
    if (Capture) SetState(TScrollStates(FState).Include(ssMouseCaptured));
    ScrollClick(Point);
    HandleAutoScrollTimer(true, true);
}

void TCustomOwnerDrawScrollbar::ButtonUp() {
    HandleAutoScrollTimer(false, false);
    if (FState.Contains(ssDraggingThumb)) SendScrollMsg(SB_ENDSCROLL, 0);
    SetState(FState - TScrollStates{ssDraggingThumb, ssDownPressed, ssMouseCaptured,
                                    ssPageDownPressed, ssPageUpPressed, ssUpPressed});
}

void TCustomOwnerDrawScrollbar::MouseMoved(const TPoint& Point) {
    HandleHotTimer(true);
    HandleHotTracking(Point, false);
    if (FState.Contains(ssDraggingThumb) && FState.Contains(ssMouseCaptured)) {
        SetPosition(CalcuatePositionByPixel(Point.y));
        SendScrollMsg(SB_THUMBTRACK, static_cast<WORD>(FPosition));
    }
}

void TCustomOwnerDrawScrollbar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        DoPaintScrollBkgnd(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 1;
        return;
    case WM_LBUTTONDOWN:
        TCustomControl::Dispatch(Message);
        ButtonDown(PointOf(Message.LParam), true);
        return;
    case WM_LBUTTONDBLCLK:
        TCustomControl::Dispatch(Message);
        ButtonDown(PointOf(Message.LParam), false);
        return;
    case WM_LBUTTONUP:
        TCustomControl::Dispatch(Message);
        ButtonUp();
        return;
    case WM_MOUSEMOVE:
        TCustomControl::Dispatch(Message);
        MouseMoved(PointOf(Message.LParam));
        return;
    case WM_MOUSEACTIVATE:
        if (GetComponentState().Contains(csDesigning)) return TCustomControl::Dispatch(Message);
        Message.Result = MA_NOACTIVATE; // clicking the bar never activates its window
        return;
    case WM_PRINTCLIENT: {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        DoPaintScrollBkgnd(dc);
        DoPaintScrollButton(pcScrollUp, dc);
        DoPaintScrollButton(pcScrollDown, dc);
        DoPaintScrollButton(pcThumb, dc);
        return;
    }
    case WM_SYSCOLORCHANGE:
        TCustomControl::Dispatch(Message);
        RebuildDefaultColors();
        return;
    case WM_THEMECHANGED:
        TCustomControl::Dispatch(Message);
        OpenThemes();
        return;
    case WM_TIMER:
        TimerFired(Message.WParam);
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

// --- Painting ----------------------------------------------------------------------------

bool TCustomOwnerDrawScrollbar::DoCustomPaint(TScrollPaintCycle Cycle, const TRect& R, HDC DC) {
    if (!OnScrollCustomPaint) return false;
    TCanvas canvas;
    canvas.SetHandle(DC);
    bool handled = false;
    OnScrollCustomPaint(this, Cycle, psNormal, R, &canvas, handled);
    canvas.SetHandle(nullptr);
    return handled;
}

void TCustomOwnerDrawScrollbar::DoPaintScrollBkgnd(HDC DC) {
    if (DoCustomPaint(pcBackground, ScrollArea(saBackground), DC)) return;
    auto fill = [&](TScrollArea Area, bool Pressed) {
        RECT r = ScrollArea(Area);
        if (!Pressed) return (void)FillRect(DC, &r, FBkGndBrush);
        HBRUSH hot = CreateSolidBrush(ColorToRGB(FColors->GetPageScrollHot()));
        FillRect(DC, &r, hot);
        DeleteObject(hot);
    };
    fill(saThumbPageUpClient, FState.Contains(ssPageUpPressed));
    fill(saThumbPageDownClient, FState.Contains(ssPageDownPressed));
}

void TCustomOwnerDrawScrollbar::DoPaintScrollButton(TScrollPaintCycle Cycle, HDC DC) {
    const TScrollArea area = Cycle == pcScrollUp ? saScrollUp
                             : Cycle == pcScrollDown ? saScrollDown
                                                     : saThumb;
    const TRect bounds = ScrollArea(area);
    if (DoCustomPaint(Cycle, bounds, DC)) return;
    RECT r = bounds;
    if (Cycle == pcThumb) {
        if (r.bottom - r.top < 1) return;
        HBRUSH face = CreateSolidBrush(ColorToRGB(FColors->GetThumbButton()));
        FillRect(DC, &r, face);
        DeleteObject(face);
        if (FFlat) {
            HBRUSH shadow = CreateSolidBrush(ColorToRGB(clBtnShadow));
            FrameRect(DC, &r, shadow);
            DeleteObject(shadow);
        } else {
            DrawEdge(DC, &r, EDGE_RAISED, BF_RECT);
        }
        return;
    }
    const bool pressed = FState.Contains(Cycle == pcScrollUp ? ssUpPressed : ssDownPressed);
    UINT state = Cycle == pcScrollUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (!GetEnabled()) state |= DFCS_INACTIVE;
    if (FFlat) state |= DFCS_FLAT;
    if (pressed) state |= FFlat ? DFCS_PUSHED : DFCS_FLAT;
    DrawFrameControl(DC, &r, DFC_SCROLL, state);
}

void TCustomOwnerDrawScrollbar::Paint() {
    HDC dc = GetCanvas()->GetHandle();
    DoPaintScrollButton(pcScrollUp, dc);
    DoPaintScrollButton(pcScrollDown, dc);
    DoPaintScrollButton(pcThumb, dc);
}
