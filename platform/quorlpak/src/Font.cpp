#include <quorlpak/Font.h>
#include <quorlpak/TypeInfos.h>

#include <win32/winbase.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The framework's default font: Tahoma at 8 points on a 96 dpi screen.
constexpr const char16_t* kDefaultName = u"Tahoma";
constexpr int kDefaultHeight = -11;

} // namespace

TClass TFont::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TFont>(u"TFont", TGraphicsObject::StaticClass())
            .Property(u"Charset", TypeInfo_TFontCharset, &TFont::GetCharset, &TFont::SetCharset)
            .Default(DEFAULT_CHARSET)
            .Property(u"Color", TypeInfo_TColor, &TFont::GetColor, &TFont::SetColor)
            .Default(clWindowText)
            .Property(u"Height", IntegerTypeInfo, &TFont::GetHeight, &TFont::SetHeight)
            .Property(u"Name", UnicodeStringTypeInfo, &TFont::GetName, &TFont::SetName)
            .Property(u"Orientation", IntegerTypeInfo, &TFont::GetOrientation,
                      &TFont::SetOrientation)
            .Default(0)
            .Property(u"Pitch", TypeInfo_TFontPitch, &TFont::GetPitch, &TFont::SetPitch)
            .Default(fpDefault)
            .Property(u"Size", IntegerTypeInfo, &TFont::GetSize, &TFont::SetSize)
            .Stored(false)
            .Property(u"Style", TypeInfo_TFontStyles, &TFont::GetStyle, &TFont::SetStyle)
            .Default(0)
            .Property(u"Quality", TypeInfo_TFontQuality, &TFont::GetQuality, &TFont::SetQuality)
            .Default(fqDefault));
    return &meta;
}

TFont::TFont()
    : FName(kDefaultName), FHeight(kDefaultHeight), FColor(clWindowText),
      FCharset(DEFAULT_CHARSET) {}

TFont::~TFont() {
    if (FHandle) DeleteObject(FHandle);
}

void TFont::Replace() {
    // Listeners deselect the old handle while it still exists; then it goes.
    HFONT old = FHandle;
    FHandle = nullptr;
    Changed();
    if (old) DeleteObject(old);
}

template <class V> void TFont::Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Replace();
}

void TFont::Assign(TPersistent* Source) {
    auto* font = dynamic_cast<TFont*>(Source);
    if (!font) {
        TGraphicsObject::Assign(Source);
        return;
    }
    FName = font->FName;
    FHeight = font->FPixelsPerInch == FPixelsPerInch ? font->FHeight
                                                     : -MulDiv(font->GetSize(), FPixelsPerInch, 72);
    FStyle = font->FStyle;
    FColor = font->FColor;
    FCharset = font->FCharset;
    FPitch = font->FPitch;
    FOrientation = font->FOrientation;
    FQuality = font->FQuality;
    Replace();
}

void TFont::SetName(const TFontName& Value) {
    if (Value.empty()) return;
    Set(FName, Value);
}

int TFont::GetSize() const {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

namespace {

// Font heights beyond this many pixels either way are taken as this: no glyph
// is drawn larger, and the arithmetic on them stays far from the int limits.
constexpr int64_t kFontHeightLimit = 16384;

int ClampFontHeight(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, -kFontHeightLimit, kFontHeightLimit));
}

} // namespace

void TFont::SetSize(int Value) {
    // Sizes far beyond any glyph are brought near first; the height then clamps.
    SetHeight(-MulDiv(std::clamp(Value, -1000000, 1000000), FPixelsPerInch, 72));
}

void TFont::SetHeight(int Value) {
    Set(FHeight, ClampFontHeight(Value));
}
void TFont::SetStyle(TFontStyles Value) {
    Set(FStyle, Value);
}
void TFont::SetCharset(TFontCharset Value) {
    Set(FCharset, Value);
}
void TFont::SetPitch(TFontPitch Value) {
    Set(FPitch, Value);
}
void TFont::SetOrientation(int Value) {
    Set(FOrientation, Value);
}
void TFont::SetQuality(TFontQuality Value) {
    Set(FQuality, Value);
}

void TFont::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Changed(); // the colour is the canvas's text colour, not part of the handle
}

LOGFONTW TFont::GetLogFont() const {
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfEscapement = FOrientation;
    lf.lfOrientation = FOrientation;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    static const BYTE kQuality[] = {DEFAULT_QUALITY,
                                    DRAFT_QUALITY,
                                    PROOF_QUALITY,
                                    NONANTIALIASED_QUALITY,
                                    ANTIALIASED_QUALITY,
                                    CLEARTYPE_QUALITY,
                                    6 /* ClearType, natural widths */};
    lf.lfQuality = kQuality[FQuality];
    lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                          : FPitch == fpVariable ? VARIABLE_PITCH
                                                 : DEFAULT_PITCH;
    size_t n = std::min<size_t>(FName.size(), LF_FACESIZE - 1);
    std::copy_n(FName.begin(), n, lf.lfFaceName);
    return lf;
}

HFONT TFont::GetHandle() {
    if (!FHandle) {
        LOGFONTW lf = GetLogFont();
        FHandle = CreateFontIndirectW(&lf);
    }
    return FHandle;
}

void TFont::SetHandle(HFONT Value) {
    LOGFONTW lf{};
    if (!Value || !GetObjectW(Value, sizeof(lf), &lf)) return;
    HFONT old = FHandle;
    FHandle = Value;
    FHeight = lf.lfHeight;
    FOrientation = lf.lfOrientation;
    FStyle.Clear();
    if (lf.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
    if (lf.lfItalic) FStyle.Include(fsItalic);
    if (lf.lfUnderline) FStyle.Include(fsUnderline);
    if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
    FCharset = lf.lfCharSet;
    FName =
        UnicodeString(lf.lfFaceName, std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0'));
    switch (lf.lfPitchAndFamily & 3) {
    case FIXED_PITCH:
        FPitch = fpFixed;
        break;
    case VARIABLE_PITCH:
        FPitch = fpVariable;
        break;
    default:
        FPitch = fpDefault;
    }
    Changed();
    if (old && old != Value) DeleteObject(old);
}

bool TFont::SameAs(const TFont& Other) const {
    return FName == Other.FName && FHeight == Other.FHeight && FStyle == Other.FStyle &&
           FColor == Other.FColor && FCharset == Other.FCharset && FPitch == Other.FPitch &&
           FOrientation == Other.FOrientation && FQuality == Other.FQuality;
}
