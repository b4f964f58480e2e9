#include <quorlpak/Bitmap.h>
#include <quorlpak/GraphicsObjects.h>

#include <quorlpak/TypeInfos.h>

namespace {

PTypeInfo TypeInfo_TPenStyle() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TPenStyle", {u"psSolid", u"psDash", u"psDot", u"psDashDot", u"psDashDotDot", u"psClear",
                       u"psInsideFrame", u"psUserStyle", u"psAlternate"});
    return &info;
}

PTypeInfo TypeInfo_TPenMode() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TPenMode", {u"pmBlack", u"pmWhite", u"pmNop", u"pmNot", u"pmCopy", u"pmNotCopy",
                      u"pmMergePenNot", u"pmMaskPenNot", u"pmMergeNotPen", u"pmMaskNotPen",
                      u"pmMerge", u"pmNotMerge", u"pmMask", u"pmNotMask", u"pmXor", u"pmNotXor"});
    return &info;
}

PTypeInfo TypeInfo_TBrushStyle() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TBrushStyle", {u"bsSolid", u"bsClear", u"bsHorizontal", u"bsVertical", u"bsFDiagonal",
                         u"bsBDiagonal", u"bsCross", u"bsDiagCross"});
    return &info;
}

} // namespace

// --- TGraphicsObject ------------------------------------------------------------------

TClass TGraphicsObject::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TGraphicsObject>(u"TGraphicsObject", TPersistent::StaticClass()));
    return &meta;
}

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

int PenModeToRop2(TPenMode Mode) {
    static const int kRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return kRop2[Mode];
}

// --- TPen ----------------------------------------------------------------------------------

TClass TPen::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPen>(u"TPen", TGraphicsObject::StaticClass())
            .Property(u"Color", TypeInfo_TColor, &TPen::GetColor, &TPen::SetColor)
            .Default(clBlack)
            .Property(u"Mode", TypeInfo_TPenMode, &TPen::GetMode, &TPen::SetMode)
            .Default(pmCopy)
            .Property(u"Style", TypeInfo_TPenStyle, &TPen::GetStyle, &TPen::SetStyle)
            .Default(psSolid)
            .Property(u"Width", IntegerTypeInfo, &TPen::GetWidth, &TPen::SetWidth)
            .Default(1));
    return &meta;
}

TPen::~TPen() {
    if (FHandle) DeleteObject(FHandle);
}

void TPen::Replace() {
    HPEN old = FHandle;
    FHandle = nullptr;
    Changed();
    if (old) DeleteObject(old);
}

void TPen::Assign(TPersistent* Source) {
    if (auto* pen = dynamic_cast<TPen*>(Source)) {
        FColor = pen->FColor;
        FWidth = pen->FWidth;
        FStyle = pen->FStyle;
        FMode = pen->FMode;
        Replace();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TPen::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Replace();
}

void TPen::SetWidth(int Value) {
    if (Value < 0 || FWidth == Value) return;
    FWidth = Value;
    Replace();
}

void TPen::SetStyle(TPenStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Replace();
}

void TPen::SetMode(TPenMode Value) {
    if (FMode == Value) return;
    FMode = Value;
    Changed(); // the mode is the canvas's ROP2, not part of the pen handle
}

HPEN TPen::GetHandle() {
    if (!FHandle) {
        static const int kStyles[] = {PS_SOLID,       PS_DASH,       PS_DOT,
                                      PS_DASHDOT,     PS_DASHDOTDOT, PS_NULL,
                                      PS_INSIDEFRAME, PS_USERSTYLE,  PS_ALTERNATE};
        int style = kStyles[FStyle];
        if (style == PS_USERSTYLE || style == PS_ALTERNATE) style = PS_DOT;
        FHandle = CreatePen(style, FWidth, ColorToRGB(FColor));
    }
    return FHandle;
}

void TPen::SetHandle(HPEN Value) {
    LOGPEN lp{};
    if (!Value || !GetObjectW(Value, sizeof(lp), &lp)) return;
    HPEN old = FHandle;
    FHandle = Value;
    FColor = static_cast<TColor>(lp.lopnColor);
    FWidth = lp.lopnWidth.x;
    FStyle = lp.lopnStyle <= PS_INSIDEFRAME ? static_cast<TPenStyle>(lp.lopnStyle) : psSolid;
    Changed();
    if (old && old != Value) DeleteObject(old);
}

// --- TBrush ------------------------------------------------------------------------------------

TClass TBrush::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TBrush>(u"TBrush", TGraphicsObject::StaticClass())
            .Property(u"Color", TypeInfo_TColor, &TBrush::GetColor, &TBrush::SetColor)
            .Default(clWhite)
            .Property(u"Style", TypeInfo_TBrushStyle, &TBrush::GetStyle, &TBrush::SetStyle)
            .Default(bsSolid));
    return &meta;
}

TBrush::~TBrush() {
    if (FHandle) DeleteObject(FHandle);
}

void TBrush::Replace() {
    HBRUSH old = FHandle;
    FHandle = nullptr;
    Changed();
    if (old) DeleteObject(old);
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* brush = dynamic_cast<TBrush*>(Source)) {
        FColor = brush->FColor;
        FStyle = brush->FStyle;
        FBitmap = brush->FBitmap;
        Replace();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
    if (FColor == Value && FStyle != bsClear) return;
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Replace();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Replace();
}

void TBrush::SetBitmap(TBitmap* Value) {
    if (FBitmap == Value) return;
    FBitmap = Value;
    Replace();
}

HBRUSH TBrush::GetHandle() {
    if (FHandle) return FHandle;
    if (FBitmap && FBitmap->GetHandle()) {
        FHandle = CreatePatternBrush(FBitmap->GetHandle());
    } else if (FStyle == bsClear) {
        // A null brush of our own, so that freeing it never touches a stock object.
        LOGBRUSH lb{BS_NULL, 0, 0};
        FHandle = CreateBrushIndirect(&lb);
    } else if (FStyle == bsSolid) {
        FHandle = CreateSolidBrush(ColorToRGB(FColor));
    } else {
        static const int kHatch[] = {
            0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
        FHandle = CreateHatchBrush(kHatch[FStyle], ColorToRGB(FColor));
    }
    return FHandle;
}

void TBrush::SetHandle(HBRUSH Value) {
    LOGBRUSH lb{};
    if (!Value || !GetObjectW(Value, sizeof(lb), &lb)) return;
    HBRUSH old = FHandle;
    FHandle = Value;
    FBitmap = nullptr;
    FColor = static_cast<TColor>(lb.lbColor);
    if (lb.lbStyle == BS_NULL)
        FStyle = bsClear;
    else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
        FStyle = static_cast<TBrushStyle>(lb.lbHatch + bsHorizontal);
    else
        FStyle = bsSolid;
    Changed();
    if (old && old != Value) DeleteObject(old);
}
