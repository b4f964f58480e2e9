#include "IDEColorGrdEx.h"

#include <runpak/TypeInfo.h>
#include <quorlpak/Form.h>
#include <runpak/Format.h>

namespace {

// The marks drawn on the chosen squares.
const char16_t* const SFGR = u"FG";
const char16_t* const SBGR = u"BG";
const char16_t* const SFBG = u"FB";

} // namespace

TClass TIDEColorGridEx::StaticClass() {
    using T = TIDEColorGridEx;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEColorGridEx", TCustomControl::StaticClass())
            .Property(u"ClickEnablesColor", BooleanTypeInfo, &T::GetClickEnablesColor,
                      &T::SetClickEnablesColor)
            .Default(false)
            .Property(u"ColumnCount", IntegerTypeInfo, &T::GetColumnCount, &T::SetColumnCount)
            .Default(12)
            .Property(u"RowCount", IntegerTypeInfo, &T::GetRowCount, &T::SetRowCount)
            .Default(18)
            .Property(u"ForegroundEnabled", BooleanTypeInfo, &T::GetForegroundEnabled,
                      &T::SetForegroundEnabled)
            .Default(true)
            .Property(u"BackgroundEnabled", BooleanTypeInfo, &T::GetBackgroundEnabled,
                      &T::SetBackgroundEnabled)
            .Default(true));
    return &meta;
}

TIDEColorGridEx::TIDEColorGridEx(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle.Include(csOpaque);
    SetColor(clBtnFace);
    SetTabStop(true);
    GetCanvas()->GetBrush()->SetStyle(bsSolid);
    GetCanvas()->GetPen()->SetColor(clBlack);
    SetBounds(0, 0, 100, 100);
    SetCtl3D(false);
}

void TIDEColorGridEx::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPSIBLINGS;
}

void TIDEColorGridEx::Loaded() {
    TCustomControl::Loaded();
    if (OnFillColorPalette) OnFillColorPalette(this);
}

void TIDEColorGridEx::SetGridOrdering(TGridOrdering Value) {
    if (Value == FGridOrdering) return;
    FGridOrdering = Value;
    FNumXSquares = 16 >> Value;
    FNumYSquares = 1 << Value;
    UpdateCellSizes();
    Invalidate();
}

void TIDEColorGridEx::SetColumnCount(int Value) {
    FNumXSquares = std::max(1, Value);
    UpdateCellSizes();
    Invalidate();
}

void TIDEColorGridEx::SetRowCount(int Value) {
    FNumYSquares = std::max(1, Value);
    UpdateCellSizes();
    Invalidate();
}

void TIDEColorGridEx::UpdateCellSizes() {
    int w = FNumXSquares * (GetWidth() / FNumXSquares);
    int h = FNumYSquares * (GetHeight() / FNumYSquares);
    if (w != GetWidth() || h != GetHeight()) SetBounds(GetLeft(), GetTop(), w, h);
    FCellXSize = GetWidth() / FNumXSquares;
    FCellYSize = GetHeight() / FNumYSquares;
}

void TIDEColorGridEx::Resize() {
    TCustomControl::Resize();
    UpdateCellSizes();
}

int TIDEColorGridEx::SquareFromPos(int X, int Y) const {
    X = std::clamp(X, 0, std::max(0, GetWidth() - 1));
    Y = std::clamp(Y, 0, std::max(0, GetHeight() - 1));
    if (FCellXSize <= 0 || FCellYSize <= 0) return 0;
    return (Y / FCellYSize) * FNumXSquares + X / FCellXSize;
}

TColor TIDEColorGridEx::SquareColor(int Index) const {
    if (!Valid(Index)) return clNone;
    const TPaletteEntry& e = FPalette[Index];
    return static_cast<TColor>(RGB(e.peRed, e.peGreen, e.peBlue));
}

TRect TIDEColorGridEx::SquareRect(int Index) const {
    int x = (Index % FNumXSquares) * FCellXSize, y = (Index / FNumXSquares) * FCellYSize;
    return TRect(x, y, x + FCellXSize, y + FCellYSize);
}

int TIDEColorGridEx::ColorToIndex(TColor AColor) const {
    COLORREF rgb = ColorToRGB(AColor);
    for (int i = 0; i < 216; ++i)
        if (COLORREF(SquareColor(i)) == rgb) return i;
    return -1;
}

UnicodeString TIDEColorGridEx::GetWebColor() const {
    if (!Valid(FSelection)) return u"";
    const TPaletteEntry& e = FPalette[FSelection];
    return Format(u"#%.2x%.2x%.2x", int(e.peRed), int(e.peGreen), int(e.peBlue));
}

void TIDEColorGridEx::Change() {
    if (OnChange) OnChange(this);
}

void TIDEColorGridEx::DrawSquare(int Which, bool ShowSelector) {
    if (!Valid(Which) || !HandleAllocated()) return;
    TCanvas* c = GetCanvas();
    TRect r = SquareRect(Which);
    TColor color = SquareColor(Which);
    c->GetBrush()->SetStyle(bsSolid);
    if (GetCtl3D()) {
        c->GetPen()->SetColor(clBtnFace);
        c->GetBrush()->SetStyle(bsClear);
        c->Rectangle(r);
        InflateRect(&r, -1, -1);
        TRect frame = r;
        DrawEdge(c->GetHandle(), &frame, BDR_SUNKENOUTER, BF_RECT);
        c->GetPen()->SetColor(color);
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(color);
    } else {
        c->GetPen()->SetColor(clBlack);
        c->GetBrush()->SetColor(color);
    }
    if (!ShowSelector) {
        c->Rectangle(r);
        return;
    }
    if (GetCtl3D()) {
        c->Rectangle(r);
        InflateRect(&r, -1, -1);
        c->DrawFocusRect(r);
        return;
    }
    c->GetPen()->SetColor(TColor(0x808080));
    c->GetPen()->SetMode(pmNot);
    c->Rectangle(r);
    c->GetPen()->SetMode(pmCopy);
    c->Rectangle(TRect(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2));
}

void TIDEColorGridEx::DrawFgBg() {
    if (!HandleAllocated()) return;
    TCanvas* c = GetCanvas();
    SetBkMode(c->GetHandle(), TRANSPARENT);
    auto mark = [&](int index, const char16_t* text) {
        if (!Valid(index)) return;
        TRect r = SquareRect(index);
        const TPaletteEntry& e = FPalette[index];
        // A component of 128 or more turns dark, below turns light.
        c->GetFont()->SetColor(RGB(e.peRed >= 128 ? 0 : 255, e.peGreen >= 128 ? 0 : 255,
                                   e.peBlue >= 128 ? 0 : 255));
        c->GetBrush()->SetStyle(bsClear);
        UnicodeString s = text;
        TTextFormat f;
        f.Include(tfCenter);
        f.Include(tfVerticalCenter);
        f.Include(tfSingleLine);
        f.Include(tfNoClip);
        c->TextRect(r, s, f);
        c->GetBrush()->SetStyle(bsSolid);
    };
    const bool both = FForegroundEnabled && FBackgroundEnabled &&
                      FForegroundIndex == FBackgroundIndex;
    if (both) {
        mark(FForegroundIndex, SFBG);
        return;
    }
    if (FForegroundEnabled) mark(FForegroundIndex, SFGR);
    if (FBackgroundEnabled) mark(FBackgroundIndex, SBGR);
}

void TIDEColorGridEx::Paint() {
    for (int i = 0; i < FNumXSquares * FNumYSquares && i < kSquares; ++i)
        DrawSquare(i, false);
    if (FHasFocus) DrawSquare(FSelection, true);
    DrawFgBg();
}

void TIDEColorGridEx::SetSelection(int Value) {
    if (Value == FSelection) return;
    if (Value >= kSquares) return; // squares past the palette cannot be chosen
    DrawSquare(FSelection, false);
    FSelection = Value;
    DrawSquare(FSelection, FHasFocus);
    DrawFgBg();
    Change();
}

void TIDEColorGridEx::SetForegroundIndex(int Value) {
    if (Value == FForegroundIndex || !FForegroundEnabled || !Valid(Value)) return;
    DrawSquare(FForegroundIndex, FForegroundIndex == FSelection && FHasFocus);
    FForegroundIndex = Value;
    if (FForegroundIndex == FBackgroundIndex)
        DrawSquare(FForegroundIndex, FForegroundIndex == FSelection && FHasFocus);
    DrawFgBg();
    Change();
}

void TIDEColorGridEx::SetBackgroundIndex(int Value) {
    if (Value == FBackgroundIndex || !FBackgroundEnabled || !Valid(Value)) return;
    DrawSquare(FBackgroundIndex, FBackgroundIndex == FSelection && FHasFocus);
    FBackgroundIndex = Value;
    if (FBackgroundIndex == FForegroundIndex)
        DrawSquare(FBackgroundIndex, FBackgroundIndex == FSelection && FHasFocus);
    DrawFgBg();
    Change();
}

void TIDEColorGridEx::SetForegroundEnabled(bool Value) {
    if (Value == FForegroundEnabled) return;
    FForegroundEnabled = Value;
    DrawSquare(FForegroundIndex, FForegroundIndex == FSelection && FHasFocus);
    DrawFgBg();
}

void TIDEColorGridEx::SetBackgroundEnabled(bool Value) {
    if (Value == FBackgroundEnabled) return;
    FBackgroundEnabled = Value;
    DrawSquare(FBackgroundIndex, FBackgroundIndex == FSelection && FHasFocus);
    DrawFgBg();
}

void TIDEColorGridEx::ChooseForeground(int Square) {
    if (!FForegroundEnabled && FClickEnablesColor) {
        DrawSquare(FForegroundIndex, false);
        FForegroundIndex = -1;
        FForegroundEnabled = true;
    }
    SetForegroundIndex(Square);
}

void TIDEColorGridEx::ChooseBackground(int Square) {
    if (!FBackgroundEnabled && FClickEnablesColor) {
        DrawSquare(FBackgroundIndex, false);
        FBackgroundIndex = -1;
        FBackgroundEnabled = true;
    }
    SetBackgroundIndex(Square);
}

void TIDEColorGridEx::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const int n = std::min(FNumXSquares * FNumYSquares, kSquares);
    const int s = FSelection, w = FNumXSquares;
    int target = s;
    switch (Key) {
    case VK_RIGHT:
    case VK_SPACE:
        target = s + 1 >= n ? 0 : s + 1;
        break;
    case VK_LEFT:
        target = s - 1 < 0 ? n - 1 : s - 1;
        break;
    case VK_UP:
        if (s >= w) target = s - w;
        else if (s > 0) target = n - w + s - 1;
        else target = n - 1;
        break;
    case VK_DOWN:
        if (s + w < n) target = s + w;
        else if (s == n - 1) target = 0;
        else target = s % w + 1;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = n - 1;
        break;
    case 'F':
        ChooseForeground(s);
        Click();
        Key = 0;
        return;
    case 'B':
        ChooseBackground(s);
        Click();
        Key = 0;
        return;
    default:
        return;
    }
    Key = 0;
    if (target != s) SetSelection(target);
}

void TIDEColorGridEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    FButton = Button;
    FButtonDown = true;
    int square = SquareFromPos(X, Y);
    if (!Valid(square)) return;
    if (Button == mbLeft) {
        ChooseForeground(square);
    } else if (Button == mbRight) {
        SetMouseCapture(true);
        ChooseBackground(square);
    }
    SetSelection(square);
    if (GetTabStop() && CanFocus()) SetFocus();
}

void TIDEColorGridEx::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FButtonDown) return;
    int square = SquareFromPos(X, Y);
    if (!Valid(square)) return;
    if (FButton == mbLeft) SetForegroundIndex(square);
    else if (FButton == mbRight) SetBackgroundIndex(square);
    SetSelection(square);
}

void TIDEColorGridEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FButtonDown = false;
    if (Button != mbRight) return;
    SetMouseCapture(false);
    Click();
}

void TIDEColorGridEx::DoEnter() {
    TCustomControl::DoEnter();
    FHasFocus = true;
    DrawSquare(FSelection, true);
    DrawFgBg();
}

void TIDEColorGridEx::DoExit() {
    TCustomControl::DoExit();
    FHasFocus = false;
    DrawSquare(FSelection, false);
    DrawFgBg();
}

void TIDEColorGridEx::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case CM_HINTSHOW: {
        Message.Result = 0;
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        if (!info || info->HintControl != this || !OnSquareHint) return;
        int square = SquareFromPos(info->CursorPos.x, info->CursorPos.y);
        if (!Valid(square)) return;
        OnSquareHint(this, square, info->HintStr);
        TRect r = SquareRect(square);
        info->CursorRect = r;
        info->HintPos = ClientToScreen(TPoint(r.left, r.bottom + FCellYSize));
        return;
    }
    }
    TCustomControl::Dispatch(Message);
}
