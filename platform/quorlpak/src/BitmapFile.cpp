#include "BitmapFile.h"

#include <quorlpak/Graphic.h>

#include <cstring>

namespace quorlpak {

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(u"Bitmap image is not valid");
}

uint32_t Read32(const std::vector<uint8_t>& d, size_t at) {
    if (at + 4 > d.size()) Invalid();
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24;
}

uint16_t Read16(const std::vector<uint8_t>& d, size_t at) {
    if (at + 2 > d.size()) Invalid();
    return static_cast<uint16_t>(d[at] | d[at + 1] << 8);
}

void Put16(std::vector<uint8_t>& d, uint16_t v) {
    d.push_back(v & 0xFF);
    d.push_back(v >> 8);
}

void Put32(std::vector<uint8_t>& d, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        d.push_back((v >> (8 * i)) & 0xFF);
}

// Scales a masked field to 8 bits.
uint32_t Field(uint32_t value, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t max = mask >> shift;
    return ((value & mask) >> shift) * 255 / max;
}

} // namespace

BmpImage DecodeBmp(const std::vector<uint8_t>& file) {
    if (file.size() < 26 || file[0] != 'B' || file[1] != 'M') Invalid();
    const uint32_t offBits = Read32(file, 10);
    const uint32_t headerSize = Read32(file, 14);
    BmpImage image;
    bool topDown = false;
    uint32_t compression = 0, colorsUsed = 0;
    size_t paletteAt, entrySize;
    if (headerSize == 12) { // the old core header
        image.Width = Read16(file, 18);
        image.Height = Read16(file, 20);
        image.BitCount = Read16(file, 24);
        paletteAt = 26;
        entrySize = 3;
    } else if (headerSize >= 40) {
        image.Width = static_cast<int32_t>(Read32(file, 18));
        int32_t height = static_cast<int32_t>(Read32(file, 22));
        topDown = height < 0;
        image.Height = topDown ? -height : height;
        image.BitCount = Read16(file, 28);
        compression = Read32(file, 30);
        colorsUsed = Read32(file, 46);
        paletteAt = 14 + headerSize;
        entrySize = 4;
    } else {
        Invalid();
    }
    const int bpp = image.BitCount;
    if (image.Width <= 0 || image.Height <= 0 || image.Width > 32768 || image.Height > 32768)
        Invalid();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
    if (compression != 0 && compression != 3) Invalid(); // RLE is not read

    // Bit-field masks: after a 40-byte header, or inside a larger one.
    uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    if (bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if (compression == 3) {
        if (bpp != 16 && bpp != 32) Invalid();
        for (int i = 0; i < 3; ++i)
            masks[i] = Read32(file, 14 + 40 + 4 * i);
        if (headerSize >= 56) masks[3] = Read32(file, 14 + 40 + 12);
        if (headerSize == 40) paletteAt += 12;
    }
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        size_t count = colorsUsed ? colorsUsed : size_t(1) << bpp;
        if (count > 256) Invalid();
        for (size_t i = 0; i < count; ++i) {
            size_t at = paletteAt + i * entrySize;
            if (at + 3 > file.size()) Invalid();
            palette.push_back(file[at] | file[at + 1] << 8 | file[at + 2] << 16);
        }
    }

    const size_t stride = ((size_t(image.Width) * bpp + 31) / 32) * 4;
    if (offBits > file.size() || stride * image.Height > file.size() - offBits) Invalid();
    image.Pixels.resize(size_t(image.Width) * image.Height);
    for (int y = 0; y < image.Height; ++y) {
        const uint8_t* row = file.data() + offBits + stride * (topDown ? y : image.Height - 1 - y);
        uint32_t* out = image.Pixels.data() + size_t(y) * image.Width;
        for (int x = 0; x < image.Width; ++x) {
            uint32_t v = 0;
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                int perByte = 8 / bpp;
                int shift = (perByte - 1 - x % perByte) * bpp;
                size_t index = (row[x / perByte] >> shift) & ((1 << bpp) - 1);
                v = index < palette.size() ? palette[index] : 0;
                break;
            }
            case 16: {
                uint32_t raw = row[2 * x] | row[2 * x + 1] << 8;
                v = Field(raw, masks[0]) << 16 | Field(raw, masks[1]) << 8 | Field(raw, masks[2]);
                break;
            }
            case 24:
                v = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
                break;
            default: {
                uint32_t raw;
                std::memcpy(&raw, row + 4 * x, 4);
                if (compression == 3) {
                    v = Field(raw, masks[0]) << 16 | Field(raw, masks[1]) << 8 |
                        Field(raw, masks[2]);
                    if (masks[3]) v |= Field(raw, masks[3]) << 24;
                } else {
                    v = raw; // the fourth byte is kept: 32-bit images may carry alpha
                }
            }
            }
            out[x] = v;
        }
    }
    return image;
}

std::vector<uint8_t> EncodeBmp(const BmpImage& image) {
    const int bpp = image.BitCount == 24 ? 24 : 32;
    const size_t stride = ((size_t(image.Width) * bpp + 31) / 32) * 4;
    const uint32_t imageSize = static_cast<uint32_t>(stride * image.Height);
    const uint32_t offBits = 14 + 40;
    std::vector<uint8_t> d;
    d.reserve(offBits + imageSize);
    d.push_back('B');
    d.push_back('M');
    Put32(d, offBits + imageSize);
    Put32(d, 0);
    Put32(d, offBits);
    Put32(d, 40);
    Put32(d, static_cast<uint32_t>(image.Width));
    Put32(d, static_cast<uint32_t>(image.Height)); // bottom-up, as most readers expect
    Put16(d, 1);
    Put16(d, static_cast<uint16_t>(bpp));
    Put32(d, 0); // BI_RGB
    Put32(d, imageSize);
    Put32(d, 3780); // 96 dpi in pixels per metre
    Put32(d, 3780);
    Put32(d, 0);
    Put32(d, 0);
    for (int y = image.Height - 1; y >= 0; --y) {
        const uint32_t* in = image.Pixels.data() + size_t(y) * image.Width;
        size_t start = d.size();
        for (int x = 0; x < image.Width; ++x) {
            uint32_t v = in[x];
            d.push_back(v & 0xFF);
            d.push_back((v >> 8) & 0xFF);
            d.push_back((v >> 16) & 0xFF);
            if (bpp == 32) d.push_back(v >> 24);
        }
        d.resize(start + stride, 0);
    }
    return d;
}

} // namespace quorlpak
