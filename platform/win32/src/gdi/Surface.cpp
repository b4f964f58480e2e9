#include "Surface.h"

namespace win32 {

Surface::Surface(int width, int height, bool monochrome)
    : width_(width < 0 ? 0 : width), height_(height < 0 ? 0 : height), bpp_(32), mono_(monochrome),
      stride_(width_ * 4) {
    own_.assign(static_cast<size_t>(width_) * height_ + 1, 0);
    top_ = reinterpret_cast<uint8_t*>(own_.data());
}

Surface::Surface(int width, int height, int bitsPerPixel, uint8_t* firstRow, int stride)
    : width_(width), height_(height), bpp_(bitsPerPixel), mono_(false), stride_(stride),
      top_(firstRow) {}

uint32_t Surface::Quantize(uint32_t value) {
    // Nearest of black and white, by the sum of the channels as GDI does.
    int sum = ((value >> 16) & 0xFF) + ((value >> 8) & 0xFF) + (value & 0xFF);
    return sum >= 384 ? 0xFFFFFF : 0;
}

} // namespace win32
