// TBitmap: an image in a DIB section, with a canvas to draw on it, the BMP
// file format, transparency by a key colour and a mask made from it.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Canvas.h>
#include <quorlpak/Graphic.h>

// The bitmap's canvas is the framework's own: declared hidden here so that
// its members stay out of the library's exports.
class __attribute__((visibility("hidden"))) TBitmapCanvas;

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int AWidth, int AHeight);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;

    bool GetEmpty() const override { return FWidth == 0 || FHeight == 0; }
    int GetWidth() const override { return FWidth; }
    void SetWidth(int Value) override { SetSize(Value, FHeight); }
    int GetHeight() const override { return FHeight; }
    void SetHeight(int Value) override { SetSize(FWidth, Value); }
    // Keeps the pixels that still fit; new pixels are black (0).
    void SetSize(int AWidth, int AHeight) override;

    // The DIB keeps 24-bit pixels for pf24bit and 32-bit pixels for every
    // other format (formats below 24 bits are remembered, not packed).
    TPixelFormat GetPixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat Value);
    bool GetMonochrome() const { return FPixelFormat == pf1bit; }
    void SetMonochrome(bool Value);
    TBitmapHandleType GetHandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType Value) { FHandleType = Value; }
    TAlphaFormat GetAlphaFormat() const { return FAlphaFormat; }
    void SetAlphaFormat(TAlphaFormat Value);

    // The canvas of the bitmap: a memory DC with the bitmap selected.
    TCanvas* GetCanvas();
    // The DIB section (null while empty).
    HBITMAP GetHandle() const { return FHandle; }
    // Adopts a bitmap made elsewhere: its pixels are copied into a new DIB
    // and the given bitmap is deleted, as the bitmap now owns the image.
    void SetHandle(HBITMAP Value);
    // Gives the DIB to the caller; the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();
    // Row Row of the pixels (top row 0), in the DIB's own format.
    void* GetScanLine(int Row);

    // --- Transparency ---
    TColor GetTransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode GetTransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);
    // A monochrome mask, white where the transparent colour is; made on demand.
    HBITMAP GetMaskHandle();
    void Mask(TColor TransparentColor);

    // --- Files: the BMP format (1, 4, 8, 16, 24 and 32 bits; uncompressed or bit fields) ---
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

    // --- Module resources: the module's RT_BITMAP; EResNotFound when it has none of that name ---
    void LoadFromResourceName(HINSTANCE Instance, const UnicodeString& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);

    // Kept for the framework's callers; the image always stays in its DIB.
    void Dormant() {}
    void FreeImage() {}

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    void Changed() override;

private:
    friend class TBitmapCanvas;
    void NewImage(int AWidth, int AHeight, int Bpp, bool CopyOld);
    void FreeMask();
    int Stride() const;
    int Bpp() const;

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    TBitmapHandleType FHandleType = bmDIB;
    TAlphaFormat FAlphaFormat = afIgnored;
    HBITMAP FHandle = nullptr;
    uint8_t* FBits = nullptr;
    HBITMAP FMaskHandle = nullptr;
    TColor FMaskColor = clNone;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    class TBitmapCanvas* FCanvas = nullptr;
};

// A module's bitmap with the colours OldColors[i] replaced by NewColors[i];
// EResNotFound when the module has no bitmap of that name.
HBITMAP CreateMappedRes(HINSTANCE Instance, const char16_t* ResName, const TColor* OldColors,
                        const TColor* NewColors, int Count);
// The same with the greys of classic artwork following the system's button
// colours: silver becomes clBtnFace, grey clBtnShadow, white clBtnHighlight.
HBITMAP CreateGrayMappedRes(HINSTANCE Instance, const char16_t* ResName);

#pragma GCC visibility pop
