#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Graphic.h>

#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>
#include <win32/winuser.h>

TClass TCanvas::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCanvas>(u"TCanvas", TPersistent::StaticClass()));
    return &meta;
}

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    FPen->OnChange = [this](TObject*) { PenChanged(); };
    FBrush->OnChange = [this](TObject*) { BrushChanged(); };
    FFont->SetOwner(this);
    FPen->SetOwner(this);
    FBrush->SetOwner(this);
    FStockPen = GetStockObject(BLACK_PEN);
    FStockBrush = GetStockObject(HOLLOW_BRUSH);
    FStockFont = GetStockObject(SYSTEM_FONT);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
    FFont.reset();
    FPen.reset();
    FBrush.reset();
}

// --- State -----------------------------------------------------------------------------

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

void TCanvas::RequiredState(const TCanvasState& State) {
    TCanvasState needed = State - FState;
    if (needed.Empty()) return;
    if (needed.Contains(csHandleValid)) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation(u"Canvas does not allow drawing");
    }
    if (needed.Contains(csFontValid)) SelectFont();
    if (needed.Contains(csPenValid)) SelectPen();
    if (needed.Contains(csBrushValid)) SelectBrush();
    FState += needed;
}

void TCanvas::SelectFont() {
    SelectObject(FHandle, FFont->GetHandle());
    SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
}

void TCanvas::SelectPen() {
    SelectObject(FHandle, FPen->GetHandle());
    SetROP2(FHandle, PenModeToRop2(FPen->GetMode()));
}

void TCanvas::SelectBrush() {
    SelectObject(FHandle, FBrush->GetHandle());
    // Text and hatch backgrounds follow the brush: opaque in its colour, or none.
    if (FBrush->GetStyle() == bsSolid) {
        SetBkColor(FHandle, ColorToRGB(FBrush->GetColor()));
        SetBkMode(FHandle, OPAQUE);
    } else {
        SetBkColor(FHandle, ~ColorToRGB(FBrush->GetColor()) & 0xFFFFFF);
        SetBkMode(FHandle, TRANSPARENT);
    }
}

void TCanvas::FontChanged() {
    if (!FState.Contains(csFontValid)) return;
    FState.Exclude(csFontValid);
    SelectObject(FHandle, FStockFont);
}

void TCanvas::PenChanged() {
    if (!FState.Contains(csPenValid)) return;
    FState.Exclude(csPenValid);
    SelectObject(FHandle, FStockPen);
}

void TCanvas::BrushChanged() {
    if (!FState.Contains(csBrushValid)) return;
    FState.Exclude(csBrushValid);
    SelectObject(FHandle, FStockBrush);
}

void TCanvas::DeselectHandles() {
    if (!FHandle) return;
    if (FState.Contains(csPenValid)) SelectObject(FHandle, FStockPen);
    if (FState.Contains(csBrushValid)) SelectObject(FHandle, FStockBrush);
    if (FState.Contains(csFontValid)) SelectObject(FHandle, FStockFont);
    FState -= TCanvasState{csPenValid, csBrushValid, csFontValid};
}

HDC TCanvas::GetHandle() {
    Changing();
    RequiredState({csHandleValid, csFontValid, csPenValid, csBrushValid});
    return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
    if (FHandle == Value) return;
    if (FHandle) {
        DeselectHandles();
        POINT p{};
        GetCurrentPositionEx(FHandle, &p);
        FPenPos = p;
        FHandle = nullptr;
        FState.Exclude(csHandleValid);
    }
    if (Value) {
        FState.Include(csHandleValid);
        FHandle = Value;
        MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
    }
}

void TCanvas::Refresh() {
    DeselectHandles();
}

TRect TCanvas::GetClipRect() {
    RequiredState({csHandleValid});
    RECT r{};
    GetClipBox(FHandle, &r);
    return r;
}

// --- Locking ----------------------------------------------------------------------------

void TCanvas::Lock() {
    FLock.lock();
    ++FLockCount;
}

void TCanvas::Unlock() {
    --FLockCount;
    FLock.unlock();
}

bool TCanvas::TryLock() {
    if (!FLock.try_lock()) return false;
    ++FLockCount;
    return true;
}

// --- Lines and shapes -----------------------------------------------------------------------

TPoint TCanvas::GetPenPos() {
    RequiredState({csHandleValid});
    POINT p{};
    GetCurrentPositionEx(FHandle, &p);
    return p;
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState({csHandleValid});
    MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::LineTo(FHandle, X, Y);
    Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState({csHandleValid, csPenValid});
    ::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Ellipse(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Rectangle(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    if (Points.empty()) return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    std::vector<POINT> pts(Points.begin(), Points.end());
    ::Polygon(FHandle, pts.data(), static_cast<int>(pts.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    if (Points.empty()) return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    std::vector<POINT> pts(Points.begin(), Points.end());
    ::Polyline(FHandle, pts.data(), static_cast<int>(pts.size()));
    Changed();
}

// --- Fills ---------------------------------------------------------------------------------

void TCanvas::FillRect(const TRect& R) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FillRect(FHandle, &R, FBrush->GetHandle());
    Changed();
}

void TCanvas::FrameRect(const TRect& R) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(FHandle, &R, FBrush->GetHandle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(FHandle, &R);
    Changed();
}

// --- Text ------------------------------------------------------------------------------------

void TCanvas::TextOut(int X, int Y, const UnicodeString& Text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ExtTextOutW(FHandle, X, Y, static_cast<UINT>(FTextFlags), nullptr, Text.c_str(),
                static_cast<UINT>(Text.size()), nullptr);
    SIZE size{};
    GetTextExtentPoint32W(FHandle, Text.c_str(), static_cast<int>(Text.size()), &size);
    MoveToEx(FHandle, X + size.cx, Y, nullptr);
    Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const UnicodeString& Text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT options = ETO_CLIPPED | static_cast<UINT>(FTextFlags);
    if (FBrush->GetStyle() != bsClear) options |= ETO_OPAQUE;
    ExtTextOutW(FHandle, X, Y, options, &R, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
    Changed();
}

UINT TextFormatToDrawTextFlags(const TTextFormat& Format) {
    static const UINT kFlags[] = {
        DT_BOTTOM,       DT_CALCRECT,      DT_CENTER,        DT_EDITCONTROL,
        DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_EXPANDTABS,    DT_EXTERNALLEADING,
        DT_LEFT,         DT_MODIFYSTRING,  DT_NOCLIP,        DT_NOPREFIX,
        DT_RIGHT,        DT_RTLREADING,    DT_SINGLELINE,    DT_TOP,
        DT_VCENTER,      DT_WORDBREAK,     DT_HIDEPREFIX,    DT_NOFULLWIDTHCHARBREAK,
        DT_PREFIXONLY,   DT_TABSTOP,       DT_WORD_ELLIPSIS, 0};
    UINT flags = 0;
    for (unsigned i = 0; i < std::size(kFlags); ++i)
        if (Format.Contains(static_cast<TTextFormats>(i))) flags |= kFlags[i];
    return flags;
}

void TCanvas::TextRect(TRect& R, UnicodeString& Text, const TTextFormat& Format) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT flags = TextFormatToDrawTextFlags(Format);
    if (flags & DT_MODIFYSTRING) {
        // DrawTextW may write an ellipsis into the text: give it room.
        UnicodeString buffer = Text;
        buffer.append(4, u'\0');
        DrawTextW(FHandle, buffer.data(), static_cast<int>(Text.size()), &R, flags);
        Text = buffer.c_str();
    } else {
        DrawTextW(FHandle, Text.c_str(), static_cast<int>(Text.size()), &R, flags);
    }
    Changed();
}

TSize TCanvas::TextExtent(const UnicodeString& Text) {
    RequiredState({csHandleValid, csFontValid});
    SIZE size{};
    GetTextExtentPoint32W(FHandle, Text.c_str(), static_cast<int>(Text.size()), &size);
    return size;
}

// --- Images -----------------------------------------------------------------------------------

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->GetEmpty()) return;
    StretchDraw(Bounds(X, Y, Graphic->GetWidth(), Graphic->GetHeight()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
    if (!Graphic || Graphic->GetEmpty()) return;
    Changing();
    RequiredState({csHandleValid});
    SetBkColor(FHandle, ColorToRGB(FBrush->GetColor()));
    SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
    Graphic->Draw(this, R);
    // The colours set for the draw are no longer the brush's and font's.
    FState -= TCanvasState{csFontValid, csBrushValid};
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    Canvas->RequiredState({csHandleValid, csBrushValid});
    StretchBlt(FHandle, Dest.left, Dest.top, Dest.Width(), Dest.Height(), Canvas->FHandle,
               Source.left, Source.top, Source.Width(), Source.Height(), FCopyMode);
    Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
    if (!Bitmap || Bitmap->GetEmpty()) return;
    Changing();
    RequiredState({csHandleValid});
    HDC src = Bitmap->GetCanvas()->GetHandle();
    TransparentBlt(FHandle, Dest.left, Dest.top, Dest.Width(), Dest.Height(), src, Source.left,
                   Source.top, Source.Width(), Source.Height(), ColorToRGB(Color));
    Changed();
}

TColor TCanvas::GetPixel(int X, int Y) {
    RequiredState({csHandleValid});
    return static_cast<TColor>(::GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Value) {
    Changing();
    RequiredState({csHandleValid, csPenValid});
    ::SetPixel(FHandle, X, Y, ColorToRGB(Value));
    Changed();
}
