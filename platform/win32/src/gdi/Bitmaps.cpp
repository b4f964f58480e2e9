// Device bitmaps, DIB sections and the DIB transfer calls.
#include "Blit.h"

#include <algorithm>
#include <cstring>

using namespace win32;

namespace {

int DibStride(int width, int bpp) {
    return ((width * bpp + 31) / 32) * 4;
}

HBITMAP InsertBitmap(std::shared_ptr<BitmapObject> b) {
    return static_cast<HBITMAP>(InsertGdiObject(std::move(b)));
}

// The colour table follows the header; it is longer than the one entry declared.
const RGBQUAD* ColorTable(const BITMAPINFO& info) {
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(&info) +
                                            info.bmiHeader.biSize);
}

int ColorTableSize(const BITMAPINFOHEADER& h) {
    if (h.biBitCount > 8) return 0;
    return h.biClrUsed ? static_cast<int>(h.biClrUsed) : 1 << h.biBitCount;
}

// Reads pixel x of a DIB row in any of the uncompressed formats.
uint32_t DibPixel(const BITMAPINFO& info, const uint8_t* row, int x) {
    const BITMAPINFOHEADER& h = info.bmiHeader;
    auto palette = [&](int index) {
        if (index >= ColorTableSize(h)) return 0u;
        const RGBQUAD& q = ColorTable(info)[index];
        return static_cast<uint32_t>(q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue);
    };
    switch (h.biBitCount) {
    case 1:
        return palette((row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
        return palette((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
    case 8:
        return palette(row[x]);
    case 16: {
        unsigned v = row[2 * x] | row[2 * x + 1] << 8;
        unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return (r * 255 / 31) << 16 | (g * 255 / 31) << 8 | (b * 255 / 31);
    }
    case 24:
        return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    default: {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v;
    }
    }
}

bool SupportedDib(const BITMAPINFO* info) {
    if (!info) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int bpp = h.biBitCount;
    bool known = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    return known && h.biWidth > 0 && h.biHeight != 0 && h.biPlanes == 1 &&
           (h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && bpp == 32));
}

// A packed DIB as a top-down surface, for the blits that take DIB bits.
SurfacePtr SurfaceFromDib(const BITMAPINFO& info, const void* bits) {
    const BITMAPINFOHEADER& h = info.bmiHeader;
    int width = h.biWidth, height = std::abs(h.biHeight);
    auto s = std::make_shared<Surface>(width, height);
    int stride = DibStride(width, h.biBitCount);
    for (int y = 0; y < height; ++y) {
        int scan = h.biHeight > 0 ? height - 1 - y : y;
        const uint8_t* row = static_cast<const uint8_t*>(bits) + static_cast<size_t>(scan) * stride;
        for (int x = 0; x < width; ++x)
            s->Put(x, y, DibPixel(info, row, x));
    }
    return s;
}

} // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    GdiLock lock;
    if (width < 0 || height < 0 || planes != 1 ||
        (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32)) {
        SetInvalidParameter();
        return nullptr;
    }
    if (width == 0 || height == 0) return static_cast<HBITMAP>(DefaultBitmap()->handle);
    auto b = std::make_shared<BitmapObject>();
    b->bitsPerPixel = static_cast<int>(bitsPerPixel);
    b->surface = std::make_shared<Surface>(width, height, bitsPerPixel == 1);
    if (bits) {
        // Device bitmap rows are padded to 16 bits; a set mask bit is white.
        int stride = ((width * static_cast<int>(bitsPerPixel) + 15) / 16) * 2;
        const auto* src = static_cast<const uint8_t*>(bits);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = src + static_cast<size_t>(y) * stride;
            for (int x = 0; x < width; ++x) {
                uint32_t v;
                if (bitsPerPixel == 1)
                    v = ((row[x / 8] >> (7 - x % 8)) & 1) ? 0xFFFFFF : 0;
                else if (bitsPerPixel == 24)
                    v = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
                else
                    std::memcpy(&v, row + 4 * x, 4);
                b->surface->Put(x, y, v);
            }
        }
    }
    return InsertBitmap(std::move(b));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return nullptr;
    if (width < 0 || height < 0) {
        SetInvalidParameter();
        return nullptr;
    }
    // Compatible with a fresh memory DC means monochrome, as GDI has it.
    bool mono = ctx->Target().Monochrome();
    return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
    GdiLock lock;
    if (bits) *bits = nullptr;
    if (!info || section || usage != DIB_RGB_COLORS) {
        SetInvalidParameter();
        return nullptr;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int bpp = h.biBitCount;
    if ((bpp != 24 && bpp != 32) || !SupportedDib(info)) {
        SetInvalidParameter();
        return nullptr;
    }
    int width = h.biWidth, height = std::abs(h.biHeight);
    int stride = DibStride(width, bpp);
    auto b = std::make_shared<BitmapObject>();
    b->dib = true;
    b->bitsPerPixel = bpp;
    b->header = h;
    b->header.biSize = sizeof(BITMAPINFOHEADER);
    b->dibBits.assign((static_cast<size_t>(stride) * height + 3) / 4 + 1, 0);
    auto* base = reinterpret_cast<uint8_t*>(b->dibBits.data());
    // Bottom-up DIBs keep their first scan line at the bottom: a negative stride.
    if (h.biHeight > 0)
        b->surface = std::make_shared<Surface>(
            width, height, bpp, base + static_cast<size_t>(height - 1) * stride, -stride);
    else
        b->surface = std::make_shared<Surface>(width, height, bpp, base, stride);
    if (bits) *bits = base;
    return InsertBitmap(std::move(b));
}

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
              UINT usage) {
    GdiLock lock;
    auto b = LookupGdi<BitmapObject>(bitmap);
    if (!LookupDC(dc) || !b || !info) {
        SetInvalidParameter();
        return 0;
    }
    const Surface& s = *b->surface;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (!bits) {
        // Only the format is asked for: describe the bitmap as a bottom-up DIB.
        if (h.biBitCount == 0) {
            h.biWidth = s.Width();
            h.biHeight = s.Height();
            h.biPlanes = 1;
            h.biBitCount = static_cast<WORD>(b->bitsPerPixel);
            h.biCompression = BI_RGB;
            h.biSizeImage = DibStride(s.Width(), b->bitsPerPixel) * s.Height();
            h.biClrUsed = 0;
        }
        return s.Height();
    }
    int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 24 && bpp != 32) {
        SetInvalidParameter();
        return 0;
    }
    int width = std::min<int>(h.biWidth, s.Width()), height = s.Height();
    int stride = DibStride(h.biWidth, bpp);
    if (bpp == 1) {
        auto* colors = const_cast<RGBQUAD*>(ColorTable(*info));
        colors[0] = {0, 0, 0, 0};
        colors[1] = {255, 255, 255, 0};
    }
    bool bottomUp = h.biHeight > 0;
    int copied = 0;
    for (UINT scan = start; scan < start + lines && static_cast<int>(scan) < height;
         ++scan, ++copied) {
        int y = bottomUp ? height - 1 - static_cast<int>(scan) : static_cast<int>(scan);
        auto* row = static_cast<uint8_t*>(bits) + static_cast<size_t>(scan - start) * stride;
        std::memset(row, 0, stride);
        for (int x = 0; x < width; ++x) {
            uint32_t v = s.Get(x, y);
            if (bpp == 1) {
                if ((v & 0xFFFFFF) == 0xFFFFFF) row[x / 8] |= 0x80 >> (x % 8);
            } else if (bpp == 24) {
                row[3 * x] = v & 0xFF;
                row[3 * x + 1] = (v >> 8) & 0xFF;
                row[3 * x + 2] = (v >> 16) & 0xFF;
            } else {
                std::memcpy(row + 4 * x, &v, 4);
            }
        }
    }
    return copied;
}

int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
    GdiLock lock;
    auto b = LookupGdi<BitmapObject>(bitmap);
    if (!b || !bits || !SupportedDib(info) || usage != DIB_RGB_COLORS) {
        SetInvalidParameter();
        return 0;
    }
    Surface& s = *b->surface;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int height = std::abs(h.biHeight), stride = DibStride(h.biWidth, h.biBitCount);
    int width = std::min<int>(h.biWidth, s.Width());
    int copied = 0;
    for (UINT scan = start; scan < start + lines && static_cast<int>(scan) < height;
         ++scan, ++copied) {
        int y = h.biHeight > 0 ? s.Height() - 1 - static_cast<int>(scan) : static_cast<int>(scan);
        if (y < 0 || y >= s.Height()) continue;
        const auto* row =
            static_cast<const uint8_t*>(bits) + static_cast<size_t>(scan - start) * stride;
        for (int x = 0; x < width; ++x)
            s.Put(x, y, DibPixel(*info, row, x));
    }
    return copied;
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return 0;
    if (!bits || !SupportedDib(info) || usage != DIB_RGB_COLORS) {
        SetInvalidParameter();
        return 0;
    }
    SurfacePtr src = SurfaceFromDib(*info, bits);
    // Source coordinates count from the DIB's top-left once it is top-down.
    BlitSource source;
    source.surface = src.get();
    int top = info->bmiHeader.biHeight > 0 ? src->Height() - ySrc - srcHeight : ySrc;
    source.rect = {xSrc, top, xSrc + srcWidth, top + srcHeight};
    BlitParams params;
    params.rop = rop;
    params.stretchMode = ctx->State().stretchMode;
    Blit(*ctx, xDest, yDest, destWidth, destHeight, &source, params);
    return std::abs(srcHeight);
}

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return 0;
    if (!bits || !SupportedDib(info) || usage != DIB_RGB_COLORS) {
        SetInvalidParameter();
        return 0;
    }
    // The bits hold scan lines [startScan, startScan + lines) of the whole DIB.
    BITMAPINFOHEADER partial = info->bmiHeader;
    bool bottomUp = partial.biHeight > 0;
    int fullHeight = std::abs(partial.biHeight);
    int count = std::min<int>(lines, fullHeight - static_cast<int>(startScan));
    if (count <= 0) return 0;
    std::vector<uint8_t> copy(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    std::memcpy(copy.data(), info, sizeof(BITMAPINFOHEADER));
    std::memcpy(copy.data() + sizeof(BITMAPINFOHEADER), ColorTable(*info),
                ColorTableSize(partial) * sizeof(RGBQUAD));
    auto* part = reinterpret_cast<BITMAPINFO*>(copy.data());
    part->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    part->bmiHeader.biHeight = bottomUp ? count : -count;
    SurfacePtr src = SurfaceFromDib(*part, bits);
    // Rows of the partial surface, in top-down DIB coordinates of the whole DIB.
    int firstRow =
        bottomUp ? fullHeight - static_cast<int>(startScan) - count : static_cast<int>(startScan);
    int top = bottomUp ? fullHeight - ySrc - static_cast<int>(height) : ySrc;
    BlitSource source;
    source.surface = src.get();
    source.rect = {xSrc, top - firstRow, xSrc + static_cast<int>(width),
                   top - firstRow + static_cast<int>(height)};
    BlitParams params;
    Blit(*ctx, xDest, yDest, static_cast<int>(width), static_cast<int>(height), &source, params);
    return count;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits) {
    GdiLock lock;
    auto b = LookupGdi<BitmapObject>(bitmap);
    if (!b) {
        SetInvalidHandle();
        return 0;
    }
    const Surface& s = *b->surface;
    int bpp = b->bitsPerPixel;
    int stride = ((s.Width() * bpp + 15) / 16) * 2;
    LONG total = stride * s.Height();
    if (!bits) return total;
    LONG copied = std::min(size, total);
    std::vector<uint8_t> all(total, 0);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            uint32_t v = s.Get(x, y);
            uint8_t* row = all.data() + static_cast<size_t>(y) * stride;
            if (bpp == 1) {
                if (v & 0xFFFFFF) row[x / 8] |= 0x80 >> (x % 8);
            } else if (bpp == 24) {
                row[3 * x] = v & 0xFF;
                row[3 * x + 1] = (v >> 8) & 0xFF;
                row[3 * x + 2] = (v >> 16) & 0xFF;
            } else {
                std::memcpy(row + 4 * x, &v, 4);
            }
        }
    std::memcpy(bits, all.data(), copied);
    return copied;
}

BOOL GetBitmapDimensionEx(HBITMAP bitmap, LPSIZE size) {
    GdiLock lock;
    if (!LookupGdi<BitmapObject>(bitmap) || !size) return FALSE;
    *size = {0, 0}; // no physical dimension is ever set
    return TRUE;
}
