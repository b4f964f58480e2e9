// A rectangle of pixels that device contexts draw on. Pixels are read and
// written as 0xAARRGGBB values (BGRA bytes in memory); a surface stores them
// as 32-bit or 24-bit rows, top-down or bottom-up (a negative stride), so that
// a DIB section's own bits are the surface and stay shared with its DC.
// A monochrome surface holds only black and white.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace win32 {

// COLORREF (0x00BBGGRR) to a pixel value (0x00RRGGBB, alpha 0) and back.
inline uint32_t PixelFromColor(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ColorFromPixel(uint32_t p) {
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

class Surface {
public:
    // A surface that owns zero-filled 32-bit top-down pixels.
    Surface(int width, int height, bool monochrome = false);
    // A surface over pixels owned by someone else (a DIB section's bits).
    // `stride` is negative for bottom-up rows; `firstRow` is the top row.
    Surface(int width, int height, int bitsPerPixel, uint8_t* firstRow, int stride);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }
    bool Monochrome() const { return mono_; }
    int Stride() const { return stride_; }
    uint8_t* Row(int y) const { return top_ + static_cast<ptrdiff_t>(y) * stride_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    uint32_t Get(int x, int y) const {
        const uint8_t* p = Row(y) + x * (bpp_ / 8);
        if (bpp_ == 32) return *reinterpret_cast<const uint32_t*>(p);
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    void Put(int x, int y, uint32_t value) {
        if (mono_) value = Quantize(value);
        uint8_t* p = Row(y) + x * (bpp_ / 8);
        if (bpp_ == 32) {
            *reinterpret_cast<uint32_t*>(p) = value;
            return;
        }
        p[0] = value & 0xFF;
        p[1] = (value >> 8) & 0xFF;
        p[2] = (value >> 16) & 0xFF;
    }

    // Black or white: what a colour becomes on a monochrome surface.
    static uint32_t Quantize(uint32_t value);

private:
    int width_;
    int height_;
    int bpp_;
    bool mono_;
    int stride_;
    uint8_t* top_;
    std::vector<uint32_t> own_; // storage when the surface owns its pixels
};

using SurfacePtr = std::shared_ptr<Surface>;

} // namespace win32

#pragma GCC visibility pop
