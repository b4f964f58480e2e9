#include "ParvoScrollBar.h"

#include <runpak/TypeInfo.h>
#include <algorithm>

namespace {

bool Inside(const TRect& R, int X, int Y) {
    return X >= R.left && X < R.right && Y >= R.top && Y < R.bottom;
}

} // namespace

TClass TParvoScrollBar::StaticClass() {
    using T = TParvoScrollBar;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TParvoScrollBar", TCustomControl::StaticClass())
            .Property(u"Min", IntegerTypeInfo, &T::GetMin, &T::SetMin)
            .Default(0)
            .Property(u"Max", IntegerTypeInfo, &T::GetMax, &T::SetMax)
            .Default(100)
            .Property(u"PageSize", IntegerTypeInfo, &T::GetPageSize, &T::SetPageSize)
            .Default(20)
            .Property(u"Position", IntegerTypeInfo, &T::GetPosition, &T::SetPosition)
            .Default(0)
            .Property(u"IndentBorder", IntegerTypeInfo, &T::GetIndentBorder, &T::SetIndentBorder)
            .Default(1)
            .Property(u"IndentCorner", IntegerTypeInfo, &T::GetIndentCorner, &T::SetIndentCorner)
            .Default(0)
            .Property(u"IndentArrow", IntegerTypeInfo, &T::GetIndentArrow, &T::SetIndentArrow)
            .Default(3)
            .Property(u"IndentArrLonger", IntegerTypeInfo, &T::GetIndentArrLonger,
                      &T::SetIndentArrLonger)
            .Default(0));
    return &meta;
}

TParvoScrollBar::TParvoScrollBar(TComponent* AOnwer) : TCustomControl(AOnwer) {
    FControlStyle.Include(csOpaque);
    SetColor(clWhite);
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->SetPixelFormat(pf24bit);
    FBitmap->SetSize(1600, 60);
    FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(80);
    FTimer->OnTimer = [this](TObject* S) { TimerTick(S); };
    SetBounds(GetLeft(), GetTop(), 20, 200);
    SetCaption(u"");
}

TParvoScrollBar::~TParvoScrollBar() = default;

void TParvoScrollBar::SetKind(TScrollBarKind Value) {
    if (Value == FKind) return;
    FKind = Value;
    Invalidate();
}

void TParvoScrollBar::SetMin(int Value) {
    if (Value == FMin) return;
    FMin = Value;
    FPos = std::clamp(FPos, FMin, std::max(FMin, FMax));
    Invalidate();
}

void TParvoScrollBar::SetMax(int Value) {
    if (Value == FMax) return;
    FMax = Value;
    FPos = std::clamp(FPos, std::min(FMin, FMax), FMax);
    Invalidate();
}

void TParvoScrollBar::SetPageSize(int Value) {
    if (Value == FPage) return;
    FPage = Value;
    Invalidate();
}

#define PARVO_SETTER(Name, Field)                                                                  \
    void TParvoScrollBar::Set##Name(decltype(Field) Value) {                                       \
        if (Value == Field) return;                                                                \
        Field = Value;                                                                             \
        Invalidate();                                                                              \
    }
PARVO_SETTER(IndentBorder, FIndentBorder)
PARVO_SETTER(IndentCorner, FIndentCorner)
PARVO_SETTER(IndentArrow, FIndentArrow)
PARVO_SETTER(IndentArrLonger, FIndentArrLonger)
PARVO_SETTER(ColorBorder, FColorBorder)
PARVO_SETTER(ColorArrow, FColorArrow)
PARVO_SETTER(ColorScrolled, FColorScrolled)
#undef PARVO_SETTER

void TParvoScrollBar::SetPos(int Value) {
    Value = std::clamp(Value, FMin, std::max(FMin, FMax));
    if (Value == FPos) return;
    FPos = Value;
    Invalidate();
    if (OnChange) OnChange(this);
}

void TParvoScrollBar::ScrollBy(int Delta) {
    int v = FPos + Delta;
    if (Delta > 0) v = std::min(v, FMax - FPage);
    SetPos(v);
}

void TParvoScrollBar::DoUpdateThumbRect() {
    const int start = TrackStart(), end = TrackEnd(), length = end - start;
    if (length < 10) {
        FInThumb = FInPageUp = FInPageDown = TRect();
        return;
    }
    auto px = [&](int64_t v) -> int {
        if (FMax <= FMin) return start;
        return start + static_cast<int>(length * (v - FMin) / (int64_t(FMax) - FMin));
    };
    int thumbStart = std::min(px(FPos), end - 10);
    int thumbEnd = std::min(std::max(px(int64_t(FPos) + FPage), thumbStart + 10), end);
    if (Vertical()) {
        FInThumb = TRect(FIn.left, thumbStart, FIn.right, thumbEnd);
        FInPageUp = TRect(FIn.left, start, FIn.right, thumbStart);
        FInPageDown = TRect(FIn.left, thumbEnd, FIn.right, end);
    } else {
        FInThumb = TRect(thumbStart, FIn.top, thumbEnd, FIn.bottom);
        FInPageUp = TRect(start, FIn.top, thumbStart, FIn.bottom);
        FInPageDown = TRect(thumbEnd, FIn.top, end, FIn.bottom);
    }
}

void TParvoScrollBar::PaintTo(TCanvas* C) {
    const int w = GetClientWidth(), h = GetClientHeight();
    FIn = TRect(0, 0, w, h);
    FInCorner = TRect();
    if (FIndentCorner > 0) {
        if (Vertical()) {
            FInCorner = TRect(0, h - FIndentCorner, w, h);
            FIn.bottom -= FIndentCorner;
        } else {
            FInCorner = TRect(w - FIndentCorner, 0, w, h);
            FIn.right -= FIndentCorner;
        }
    } else if (FIndentCorner < 0) {
        if (Vertical()) {
            FInCorner = TRect(0, 0, w, -FIndentCorner);
            FIn.top -= FIndentCorner;
        } else {
            FInCorner = TRect(0, 0, -FIndentCorner, h);
            FIn.left -= FIndentCorner;
        }
    }
    C->GetBrush()->SetStyle(bsSolid);
    if (!IsRectEmpty(&FInCorner)) {
        C->GetBrush()->SetColor(GetColor());
        C->FillRect(FInCorner);
    }
    C->GetBrush()->SetColor(FColorBorder);
    C->FillRect(FIn);
    InflateRect(&FIn, -FIndentBorder, -FIndentBorder);

    const int thickness = Vertical() ? FIn.Width() : FIn.Height();
    const int length = Vertical() ? FIn.Height() : FIn.Width();
    const int a = std::min(thickness, length / 2) + FIndentArrLonger;
    if (Vertical()) {
        FInUp = TRect(FIn.left, FIn.top, FIn.right, FIn.top + a);
        FInDown = TRect(FIn.left, FIn.bottom - a, FIn.right, FIn.bottom);
        PaintArrow(C, FInUp, etArrowUp);
        PaintArrow(C, FInDown, etArrowDown);
        FIn.top += a;
        FIn.bottom -= a;
    } else {
        FInUp = TRect(FIn.left, FIn.top, FIn.left + a, FIn.bottom);
        FInDown = TRect(FIn.right - a, FIn.top, FIn.right, FIn.bottom);
        PaintArrow(C, FInUp, etArrowLeft);
        PaintArrow(C, FInDown, etArrowRight);
        FIn.left += a;
        FIn.right -= a;
    }
    C->GetBrush()->SetColor(GetColor());
    C->FillRect(FIn);

    DoUpdateThumbRect();
    if (FMouseDown && (FMouseDownOnPageUp || FMouseDownOnPageDown)) {
        C->GetBrush()->SetColor(FColorScrolled);
        C->FillRect(FMouseDownOnPageUp ? FInPageUp : FInPageDown);
    }
    if (IsRectEmpty(&FInThumb)) return;
    C->GetBrush()->SetColor(FColorFill);
    C->GetPen()->SetColor(FColorRect);
    C->Rectangle(FInThumb);
    const int thumbLength = Vertical() ? FInThumb.Height() : FInThumb.Width();
    if (thumbLength < 21) return;
    for (int d : {-2, 0, 2}) {
        if (Vertical()) {
            int y = (FInThumb.top + FInThumb.bottom) / 2 + d;
            C->MoveTo(FInThumb.left + 4, y);
            C->LineTo(FInThumb.right - 4, y);
        } else {
            int x = (FInThumb.left + FInThumb.right) / 2 + d;
            C->MoveTo(x, FInThumb.top + 4);
            C->LineTo(x, FInThumb.bottom - 4);
        }
    }
}

void TParvoScrollBar::PaintArrow(TCanvas* C, const TRect& R, TElemType Part) {
    if (Part > etArrowRight) return;
    C->GetBrush()->SetStyle(bsSolid);
    C->GetBrush()->SetColor(FColorRect);
    C->FillRect(R);
    TRect inner = R;
    InflateRect(&inner, -1, -1);
    C->GetBrush()->SetColor(FColorFill);
    C->FillRect(inner);
    const int cx = (R.left + R.right) / 2, cy = (R.top + R.bottom) / 2;
    const int i = FIndentArrow, h = i / 2;
    std::vector<TPoint> t;
    switch (Part) {
    case etArrowUp:
        t = {{cx - i, cy + h}, {cx + i, cy + h}, {cx, cy + h - i}};
        break;
    case etArrowDown:
        t = {{cx - i, cy - h}, {cx + i, cy - h}, {cx, cy - h + i}};
        break;
    case etArrowLeft:
        t = {{cx + h, cy - i}, {cx + h, cy + i}, {cx + h - i, cy}};
        break;
    default:
        t = {{cx - h - 1, cy - i}, {cx - h - 1, cy + i}, {cx - h - 1 + i, cy}};
        break;
    }
    C->GetBrush()->SetColor(FColorArrow);
    C->GetPen()->SetColor(FColorArrow);
    C->Polygon(t);
}

void TParvoScrollBar::Paint() {
    PaintTo(FBitmap->GetCanvas());
    TRect r = GetClientRect();
    BitBlt(GetCanvas()->GetHandle(), 0, 0, r.Width(), r.Height(),
           FBitmap->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

void TParvoScrollBar::Resize() {
    TCustomControl::Resize();
    // The back buffer grows along the bar and never shrinks.
    if (Vertical())
        FBitmap->SetSize(GetWidth(), std::max(FBitmap->GetHeight(), GetHeight()));
    else
        FBitmap->SetSize(std::max(FBitmap->GetWidth(), GetWidth()), GetHeight());
}

void TParvoScrollBar::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TParvoScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    FMouseDown = Button == mbLeft;
    FMouseDownOnThumb = Inside(FInThumb, X, Y);
    FMouseDownOnUp = Inside(FInUp, X, Y);
    FMouseDownOnDown = Inside(FInDown, X, Y);
    FMouseDownOnPageUp = Inside(FInPageUp, X, Y);
    FMouseDownOnPageDown = Inside(FInPageDown, X, Y);
    FMouseDragOffset = Along(TPoint(X, Y)) - (Vertical() ? FInThumb.top : FInThumb.left);
    if (FMouseDown && (FMouseDownOnUp || FMouseDownOnDown || FMouseDownOnPageUp ||
                       FMouseDownOnPageDown))
        FTimer->SetEnabled(true);
    Invalidate();
}

void TParvoScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FMouseDown || !FMouseDownOnThumb) return;
    const int length = std::max(TrackEnd() - TrackStart(), 1);
    int64_t v = FMin + int64_t(Along(TPoint(X, Y)) - FMouseDragOffset - TrackStart()) *
                           (int64_t(FMax) - FMin) / length;
    v = std::max<int64_t>(v, FMin);
    v = std::min<int64_t>(v, int64_t(FMax) - FPage);
    SetPos(static_cast<int>(v));
}

void TParvoScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FMouseDown = false;
    FMouseDownOnThumb = false;
    FTimer->SetEnabled(false);
    Invalidate();
}

void TParvoScrollBar::TimerTick(TObject*) {
    POINT p;
    GetCursorPos(&p);
    TPoint c = ScreenToClient(TPoint(p.x, p.y));
    if (FMouseDownOnDown && Inside(FInDown, c.x, c.y)) ScrollBy(5);
    else if (FMouseDownOnUp && Inside(FInUp, c.x, c.y)) ScrollBy(-5);
    else if (FMouseDownOnPageDown && Inside(FInPageDown, c.x, c.y)) ScrollBy(5 * FPage);
    else if (FMouseDownOnPageUp && Inside(FInPageUp, c.x, c.y)) ScrollBy(-5 * FPage);
}
