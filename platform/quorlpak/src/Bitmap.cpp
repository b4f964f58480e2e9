#include "BitmapFile.h"

#include <quorlpak/Bitmap.h>

#include <runpak/Streams.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <cstring>

// The canvas of a bitmap: a memory DC of its own with the DIB selected.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    // The DC with the bitmap selected, tools or not.
    HDC DC() {
        RequiredState({csHandleValid});
        return FHandle;
    }
    // Deselects the bitmap and frees the DC; the next use makes a new one.
    void FreeContext() {
        if (!FHandle) return;
        HDC dc = FHandle;
        SetHandle(nullptr);
        if (FOldBitmap) SelectObject(dc, FOldBitmap);
        FOldBitmap = nullptr;
        DeleteDC(dc);
    }

protected:
    void CreateHandle() override {
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return;
        if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
        SetHandle(dc);
    }
    void Changed() override {
        TCanvas::Changed();
        FBitmap->Changed();
    }

private:
    TBitmap* FBitmap;
    HGDIOBJ FOldBitmap = nullptr;
};

namespace {

uint32_t ColorRefToPixel(COLORREF c) {
    return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

} // namespace

TClass TBitmap::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TBitmap>(u"TBitmap", TGraphic::StaticClass()));
    return &meta;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int AWidth, int AHeight) {
    SetSize(AWidth, AHeight);
}

TBitmap::~TBitmap() {
    delete FCanvas;
    FreeMask();
    if (FHandle) DeleteObject(FHandle);
}

int TBitmap::Bpp() const {
    return FPixelFormat == pf24bit ? 24 : 32;
}

int TBitmap::Stride() const {
    return ((FWidth * Bpp() + 31) / 32) * 4;
}

TCanvas* TBitmap::GetCanvas() {
    if (!FCanvas) FCanvas = new TBitmapCanvas(this);
    return FCanvas;
}

void TBitmap::FreeMask() {
    if (FMaskHandle) DeleteObject(FMaskHandle);
    FMaskHandle = nullptr;
}

// Replaces the DIB by one of the given size and depth, keeping what fits of
// the old pixels when asked.
void TBitmap::NewImage(int AWidth, int AHeight, int NewBpp, bool CopyOld) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (FCanvas) FCanvas->FreeContext();
    FreeMask();
    HBITMAP handle = nullptr;
    uint8_t* bits = nullptr;
    if (AWidth > 0 && AHeight > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = AWidth;
        info.bmiHeader.biHeight = AHeight; // bottom-up, as the framework makes them
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(NewBpp);
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        if (!handle) throw EOutOfMemory(u"Out of system resources");
        bits = static_cast<uint8_t*>(p);
    }
    if (CopyOld && FHandle && handle) {
        const int oldBpp = Bpp(), oldStride = Stride();
        const int newStride = ((AWidth * NewBpp + 31) / 32) * 4;
        const int rows = std::min(FHeight, AHeight), cols = std::min(FWidth, AWidth);
        for (int y = 0; y < rows; ++y) {
            const uint8_t* src = FBits + size_t(FHeight - 1 - y) * oldStride;
            uint8_t* dst = bits + size_t(AHeight - 1 - y) * newStride;
            for (int x = 0; x < cols; ++x) {
                std::memcpy(dst + x * NewBpp / 8, src + x * oldBpp / 8, 3);
                if (NewBpp == 32) dst[x * 4 + 3] = oldBpp == 32 ? src[x * 4 + 3] : 0;
            }
        }
    }
    if (FHandle) DeleteObject(FHandle);
    FHandle = handle;
    FBits = bits;
    // A size with one side 0 has no pixels but is kept, so that setting Width
    // and then Height makes the image.
    FWidth = AWidth;
    FHeight = AHeight;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    if (AWidth == FWidth && AHeight == FHeight) return;
    NewImage(AWidth, AHeight, Bpp(), true);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    if (FPixelFormat == Value) return;
    const int newBpp = Value == pf24bit ? 24 : 32;
    if (newBpp != Bpp()) {
        NewImage(FWidth, FHeight, newBpp, true);
    }
    FPixelFormat = Value;
    Changed();
}

void TBitmap::SetMonochrome(bool Value) {
    if (Value)
        SetPixelFormat(pf1bit);
    else if (FPixelFormat == pf1bit)
        SetPixelFormat(pfDevice);
}

void TBitmap::SetAlphaFormat(TAlphaFormat Value) {
    if (FAlphaFormat == Value) return;
    FAlphaFormat = Value;
    Changed();
}

void* TBitmap::GetScanLine(int Row) {
    if (!FBits || Row < 0 || Row >= FHeight)
        throw EInvalidGraphicOperation(u"Scan line index out of range");
    return FBits + size_t(FHeight - 1 - Row) * Stride();
}

void TBitmap::Changed() {
    FreeMask();
    TGraphic::Changed();
}

// --- Handles -------------------------------------------------------------------------------

void TBitmap::SetHandle(HBITMAP Value) {
    if (Value == FHandle) return;
    BITMAP bm{};
    if (!Value || !GetObjectW(Value, sizeof(bm), &bm)) {
        NewImage(0, 0, Bpp(), false);
        Changed();
        return;
    }
    FPixelFormat = bm.bmBitsPixel == 24 ? pf24bit : bm.bmBitsPixel == 1 ? pf1bit : pf32bit;
    NewImage(bm.bmWidth, bm.bmHeight, Bpp(), false);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = FWidth;
    info.bmiHeader.biHeight = FHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(Bpp());
    info.bmiHeader.biCompression = BI_RGB;
    // Room for a colour table, which GetDIBits may write for monochrome sources.
    struct {
        BITMAPINFO info;
        RGBQUAD more[255];
    } full{info, {}};
    HDC dc = CreateCompatibleDC(nullptr);
    if (FBits)
        GetDIBits(dc, Value, 0, static_cast<UINT>(FHeight), FBits, &full.info, DIB_RGB_COLORS);
    DeleteDC(dc);
    DeleteObject(Value);
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    if (FCanvas) FCanvas->FreeContext();
    FreeMask();
    HBITMAP handle = FHandle;
    FHandle = nullptr;
    FBits = nullptr;
    FWidth = FHeight = 0;
    return handle;
}

// --- Transparency -----------------------------------------------------------------------------

TColor TBitmap::GetTransparentColor() {
    if (FTransparentColor != clDefault) return static_cast<TColor>(ColorToRGB(FTransparentColor));
    if (GetMonochrome()) return clWhite;
    if (!FBits) return clBlack;
    // The bottom-left pixel decides, as the framework has it.
    const uint8_t* p = FBits; // the bottom row comes first in a bottom-up DIB
    return static_cast<TColor>(p[0] << 16 | p[1] << 8 | p[2]);
}

void TBitmap::SetTransparentColor(TColor Value) {
    if (FTransparentColor == Value) return;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    FTransparentColor = Value;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (FTransparentMode == Value) return;
    if (Value == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(GetTransparentColor());
}

void TBitmap::Mask(TColor TransparentColor) {
    FreeMask();
    if (!FBits) return;
    const uint32_t key = ColorRefToPixel(ColorToRGB(TransparentColor)) & 0xFFFFFF;
    const int maskStride = ((FWidth + 15) / 16) * 2; // device bitmaps pad rows to 16 bits
    std::vector<uint8_t> mask(size_t(maskStride) * FHeight, 0);
    const int bpp = Bpp() / 8;
    for (int y = 0; y < FHeight; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(GetScanLine(y));
        for (int x = 0; x < FWidth; ++x) {
            const uint8_t* p = row + x * bpp;
            uint32_t pixel = p[0] | p[1] << 8 | p[2] << 16;
            if (pixel == key) mask[size_t(y) * maskStride + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    FMaskHandle = CreateBitmap(FWidth, FHeight, 1, 1, mask.data());
    FMaskColor = TransparentColor;
}

HBITMAP TBitmap::GetMaskHandle() {
    TColor key = GetTransparentColor();
    if (!FMaskHandle || FMaskColor != key) Mask(key);
    return FMaskHandle;
}

// --- Drawing and copying
// ---------------------------------------------------------------------------

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (GetEmpty()) return;
    HDC dest = ACanvas->GetHandle();
    GetCanvas();
    HDC src = FCanvas->DC();
    if (GetTransparent()) {
        TransparentBlt(dest, Rect.left, Rect.top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth,
                       FHeight, ColorToRGB(GetTransparentColor()));
    } else if (FPixelFormat == pf32bit && FAlphaFormat != afIgnored) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dest, Rect.left, Rect.top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth,
                   FHeight, blend);
    } else {
        StretchBlt(dest, Rect.left, Rect.top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth,
                   FHeight, ACanvas->GetCopyMode());
    }
}

void TBitmap::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TBitmap*>(Source);
    if (!other) {
        if (!Source) {
            NewImage(0, 0, Bpp(), false);
            Changed();
            return;
        }
        TGraphic::Assign(Source);
        return;
    }
    if (other == this) return;
    FPixelFormat = other->FPixelFormat;
    FAlphaFormat = other->FAlphaFormat;
    FTransparentColor = other->FTransparentColor;
    FTransparentMode = other->FTransparentMode;
    SetTransparent(other->GetTransparent());
    NewImage(other->FWidth, other->FHeight, Bpp(), false);
    if (FBits && other->FBits) std::memcpy(FBits, other->FBits, size_t(Stride()) * FHeight);
    Changed();
}

// --- Files
// -----------------------------------------------------------------------------------------

void TBitmap::LoadFromStream(TStream* Stream) {
    std::vector<uint8_t> file(14);
    Stream->ReadBuffer(file.data(), 14);
    if (file[0] != 'B' || file[1] != 'M') throw EInvalidGraphic(u"Bitmap image is not valid");
    uint32_t size = file[2] | file[3] << 8 | file[4] << 16 | uint32_t(file[5]) << 24;
    int64_t rest = Stream->GetSize() - Stream->GetPosition();
    // A size that disagrees with the stream: take what the stream has.
    int64_t want = size > 14 && size - 14 <= rest ? int64_t(size) - 14 : rest;
    file.resize(14 + size_t(want));
    Stream->ReadBuffer(file.data() + 14, static_cast<int>(want));
    quorlpak::BmpImage image = quorlpak::DecodeBmp(file);

    FPixelFormat = image.BitCount == 1    ? pf1bit
                   : image.BitCount == 4  ? pf4bit
                   : image.BitCount == 8  ? pf8bit
                   : image.BitCount == 16 ? pf16bit
                   : image.BitCount == 24 ? pf24bit
                                          : pf32bit;
    NewImage(image.Width, image.Height, Bpp(), false);
    const int bpp = Bpp() / 8;
    for (int y = 0; y < FHeight; ++y) {
        auto* row = static_cast<uint8_t*>(GetScanLine(y));
        const uint32_t* in = image.Pixels.data() + size_t(y) * FWidth;
        for (int x = 0; x < FWidth; ++x)
            std::memcpy(row + x * bpp, &in[x], bpp);
    }
    Changed();
}

void TBitmap::SaveToStream(TStream* Stream) {
    quorlpak::BmpImage image;
    image.Height = FBits ? FHeight : 0;
    image.Width = FBits ? FWidth : 0;
    // 32-bit formats keep their fourth byte; everything else is written as 24 bits.
    image.BitCount = FPixelFormat == pf32bit ? 32 : 24;
    image.Pixels.resize(size_t(image.Width) * image.Height);
    const int bpp = Bpp() / 8;
    for (int y = 0; y < image.Height; ++y) {
        const auto* row = static_cast<const uint8_t*>(GetScanLine(y));
        uint32_t* out = image.Pixels.data() + size_t(y) * image.Width;
        for (int x = 0; x < image.Width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, row + x * bpp, bpp);
            out[x] = v;
        }
    }
    std::vector<uint8_t> file = quorlpak::EncodeBmp(image);
    Stream->WriteBuffer(file.data(), static_cast<int>(file.size()));
}
