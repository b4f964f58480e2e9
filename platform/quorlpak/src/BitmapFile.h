// The BMP file format: decoding any common BMP into 32-bit pixels, and
// encoding 24- or 32-bit pixels. Internal to the library.
#pragma once

#include <cstdint>
#include <vector>

namespace quorlpak {

struct BmpImage {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;             // as stored in the file
    std::vector<uint32_t> Pixels; // top-down rows, 0xAARRGGBB as a DIB holds them
};

// Throws EInvalidGraphic "Bitmap image is not valid" for anything it cannot read.
BmpImage DecodeBmp(const std::vector<uint8_t>& file);
// A whole file (file header, info header, bottom-up rows); BitCount 24 or 32.
std::vector<uint8_t> EncodeBmp(const BmpImage& image);

} // namespace quorlpak
