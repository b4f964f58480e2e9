// TFont: a logical font with the framework's properties; Size and Height are
// two views of one value (Height negative: the character height in pixels).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/GraphicsObjects.h>

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 8>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality {
    fqDefault,
    fqDraft,
    fqProof,
    fqNonAntialiased,
    fqAntialiased,
    fqClearType,
    fqClearTypeNatural
};
using TFontCharset = uint8_t;
using TFontName = UnicodeString;

class TFont : public TGraphicsObject {
public:
    TFont();
    ~TFont() override;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    // Copies everything but the pixels per inch; the size in points is kept
    // when the two fonts differ in it.
    void Assign(TPersistent* Source) override;

    const TFontName& GetName() const { return FName; }
    void SetName(const TFontName& Value);
    int GetSize() const;
    void SetSize(int Value);
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFontCharset GetCharset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    TFontPitch GetPitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    // Tenths of a degree.
    int GetOrientation() const { return FOrientation; }
    void SetOrientation(int Value);
    TFontQuality GetQuality() const { return FQuality; }
    void SetQuality(TFontQuality Value);
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

    HFONT GetHandle();
    // Adopts a font made elsewhere (the font frees it); its description becomes ours.
    void SetHandle(HFONT Value);
    LOGFONTW GetLogFont() const;
    // True when both describe the same font and colour.
    bool SameAs(const TFont& Other) const;

private:
    template <class V> void Set(V& field, const V& value);
    void Replace();

    TFontName FName;
    int FHeight;
    TFontStyles FStyle;
    TColor FColor;
    TFontCharset FCharset;
    TFontPitch FPitch = fpDefault;
    int FOrientation = 0;
    TFontQuality FQuality = fqDefault;
    int FPixelsPerInch = 96;
    HFONT FHandle = nullptr;
};

#pragma GCC visibility pop
