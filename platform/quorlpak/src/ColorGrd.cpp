// TColorGrid: the standard colours with a foreground and a background choice.
#include <quorlpak/ColorGrd.h>
#include <quorlpak/Messages.h>

#include "PublishControls.h"

namespace {

constexpr TColor kPalette[TCustomColorGrid::kColors] = {
    clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
    clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

TClassBuilder<TColorGrid> ColorGridDescription() {
    using T = TColorGrid;
    TClassBuilder<T> b(u"TColorGrid", TCustomColorGrid::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"ClickEnablesColor", BooleanTypeInfo, &T::GetClickEnablesColor,
               &T::SetClickEnablesColor)
        .Default(0)
        .Property(u"GridOrdering", TypeInfo_TGridOrdering, &T::GetGridOrdering, &T::SetGridOrdering)
        .Default(go4x4)
        .Property(u"ForegroundIndex", IntegerTypeInfo, &T::GetForegroundIndex,
                  &T::SetForegroundIndex)
        .Default(0)
        .Property(u"BackgroundIndex", IntegerTypeInfo, &T::GetBackgroundIndex,
                  &T::SetBackgroundIndex)
        .Default(15)
        .Property(u"ForegroundEnabled", BooleanTypeInfo, &T::GetForegroundEnabled,
                  &T::SetForegroundEnabled)
        .Default(1)
        .Property(u"BackgroundEnabled", BooleanTypeInfo, &T::GetBackgroundEnabled,
                  &T::SetBackgroundEnabled)
        .Default(1)
        .Property(u"Selection", IntegerTypeInfo, &T::GetSelection, &T::SetSelection)
        .Default(0)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomColorGrid::OnChange));
    return b;
}

} // namespace

PTypeInfo TypeInfo_TGridOrdering() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TGridOrdering", {u"go16x1", u"go8x2", u"go4x4", u"go2x8", u"go1x16"});
    return &info;
}

TClass TCustomColorGrid::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomColorGrid>(u"TCustomColorGrid", TCustomControl::StaticClass()));
    return &meta;
}

TClass TColorGrid::StaticClass() {
    static const TMetaClass meta(ColorGridDescription());
    return &meta;
}

TCustomColorGrid::TCustomColorGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    FWidth = 100;
    FHeight = 100;
    FTabStop = true;
}

TColor TCustomColorGrid::ColorOf(int Index) {
    return Valid(Index) ? kPalette[Index] : clNone;
}

TRect TCustomColorGrid::SquareRect(int Index) {
    const int w = std::max(1, GetClientWidth() / ColumnCount());
    const int h = std::max(1, GetClientHeight() / RowCount());
    const int x = (Index % ColumnCount()) * w, y = (Index / ColumnCount()) * h;
    return TRect(x, y, x + w, y + h);
}

int TCustomColorGrid::SquareFromPos(int X, int Y) {
    const int w = std::max(1, GetClientWidth() / ColumnCount());
    const int h = std::max(1, GetClientHeight() / RowCount());
    if (X < 0 || Y < 0 || X >= w * ColumnCount() || Y >= h * RowCount()) return -1;
    return (Y / h) * ColumnCount() + X / w;
}

void TCustomColorGrid::SetGridOrdering(TGridOrdering Value) {
    if (FGridOrdering == Value) return;
    FGridOrdering = Value;
    Invalidate();
}

void TCustomColorGrid::SetSelection(int Value) {
    if (FSelection == Value || !Valid(Value)) return;
    FSelection = Value;
    Invalidate();
}

void TCustomColorGrid::SetForegroundIndex(int Value) {
    if (FForegroundIndex == Value || !Valid(Value)) return;
    FForegroundIndex = Value;
    Invalidate();
    Change();
}

void TCustomColorGrid::SetBackgroundIndex(int Value) {
    if (FBackgroundIndex == Value || !Valid(Value)) return;
    FBackgroundIndex = Value;
    Invalidate();
    Change();
}

void TCustomColorGrid::SetForegroundEnabled(bool Value) {
    if (FForegroundEnabled == Value) return;
    FForegroundEnabled = Value;
    Invalidate();
    Change();
}

void TCustomColorGrid::SetBackgroundEnabled(bool Value) {
    if (FBackgroundEnabled == Value) return;
    FBackgroundEnabled = Value;
    Invalidate();
    Change();
}

void TCustomColorGrid::Change() {
    if (OnChange) OnChange(this);
}

void TCustomColorGrid::Paint() {
    TCanvas* c = GetCanvas();
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(GetClientRect());
    for (int i = 0; i < kColors; ++i) {
        TRect r = SquareRect(i);
        c->GetPen()->SetColor(clBtnShadow);
        c->GetBrush()->SetColor(kPalette[i]);
        c->Rectangle(r);
        UnicodeString mark;
        if (FForegroundEnabled && i == FForegroundIndex) mark += u"FG";
        if (FBackgroundEnabled && i == FBackgroundIndex) mark = mark.empty() ? u"BG" : u"FB";
        if (!mark.empty()) {
            const COLORREF rgb = ColorToRGB(kPalette[i]);
            // Dark marks on light squares and light marks on dark ones.
            const bool light = GetRValue(rgb) + GetGValue(rgb) * 2 + GetBValue(rgb) > 500;
            c->GetFont()->SetColor(light ? clBlack : clWhite);
            c->GetBrush()->SetStyle(bsClear);
            TTextFormat f;
            f.Include(tfCenter);
            f.Include(tfVerticalCenter);
            f.Include(tfSingleLine);
            c->TextRect(r, mark, f);
            c->GetBrush()->SetStyle(bsSolid);
        }
        if (i == FSelection && Focused()) {
            TRect focus = r;
            InflateRect(&focus, -2, -2);
            c->DrawFocusRect(focus);
        }
    }
}

void TCustomColorGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const int columns = ColumnCount();
    int target = FSelection;
    switch (Key) {
    case VK_LEFT:
        target = (FSelection + kColors - 1) % kColors;
        break;
    case VK_RIGHT:
        target = (FSelection + 1) % kColors;
        break;
    case VK_UP:
        target = (FSelection + kColors - columns) % kColors;
        break;
    case VK_DOWN:
        target = (FSelection + columns) % kColors;
        break;
    case 'F':
        if (FClickEnablesColor) SetForegroundEnabled(true);
        if (FForegroundEnabled) SetForegroundIndex(FSelection);
        Key = 0;
        return;
    case 'B':
        if (FClickEnablesColor) SetBackgroundEnabled(true);
        if (FBackgroundEnabled) SetBackgroundIndex(FSelection);
        Key = 0;
        return;
    default:
        return;
    }
    Key = 0;
    SetSelection(target);
}

void TCustomColorGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (GetTabStop() && CanFocus() && !Focused()) SetFocus();
    const int square = SquareFromPos(X, Y);
    if (square < 0) return;
    SetSelection(square);
    if (Button == mbLeft) {
        if (FClickEnablesColor) SetForegroundEnabled(true);
        if (FForegroundEnabled) SetForegroundIndex(square);
    } else if (Button == mbRight) {
        if (FClickEnablesColor) SetBackgroundEnabled(true);
        if (FBackgroundEnabled) SetBackgroundIndex(square);
    }
}

void TCustomColorGrid::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TCustomColorGrid::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TCustomColorGrid::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TCustomControl::Dispatch(Message);
}

void RegisterColorGridClasses() {
    RegisterClasses({TColorGrid::StaticClass()});
}
