// PNG writing and reading with libpng, and pixel read-back.
#include "DeviceContext.h"

#include <win32/readback.h>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace win32;

namespace win32 {
namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Writes rows of a surface area; false on any libpng or file error.
bool WritePng(const Surface& s, const RECT& area, bool alpha, const std::string& path) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    int width = area.right - area.left, height = area.bottom - area.top;
    int channels = alpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<size_t>(width) * channels);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = area.top; y < area.bottom; ++y) {
        png_byte* out = row.data();
        for (int x = area.left; x < area.right; ++x) {
            uint32_t v = s.Get(x, y);
            unsigned a = (v >> 24) & 0xFF;
            for (int shift : {16, 8, 0}) {
                unsigned c = (v >> shift) & 0xFF;
                // Bitmaps hold premultiplied colour; PNG holds it straight.
                if (alpha && a > 0 && a < 255) c = std::min(255u, (c * 255 + a / 2) / a);
                *out++ = static_cast<png_byte>(c);
            }
            if (alpha) *out++ = static_cast<png_byte>(a);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file.get()) == 0;
}

} // namespace

std::vector<COLORREF> ReadPixels(HDC dc, const RECT& rect) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return {};
    std::vector<COLORREF> out;
    const Region& visible = ctx->Visible();
    Surface& s = ctx->Target();
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            POINT p = ctx->ToSurface({x, y});
            out.push_back(visible.Contains(p.x, p.y) ? ColorFromPixel(s.Get(p.x, p.y) & 0xFFFFFF)
                                                     : CLR_INVALID);
        }
    return out;
}

bool SaveDCAsPng(HDC dc, const std::string& path) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return false;
    RECT device = ctx->DeviceBounds();
    POINT o = ctx->Origin();
    RECT area{device.left + o.x, device.top + o.y, device.right + o.x, device.bottom + o.y};
    if (area.right <= area.left || area.bottom <= area.top) return false;
    return WritePng(ctx->Target(), area, false, path);
}

bool SaveBitmapAsPng(HBITMAP bitmap, const std::string& path, bool keepAlpha) {
    GdiLock lock;
    auto b = LookupGdi<BitmapObject>(bitmap);
    if (!b) return false;
    const Surface& s = *b->surface;
    return WritePng(s, {0, 0, s.Width(), s.Height()}, keepAlpha && b->bitsPerPixel == 32, path);
}

HBITMAP LoadPngAsBitmap(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return nullptr;
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(image.width);
    info.bmiHeader.biHeight = -static_cast<LONG>(image.height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* out = static_cast<uint8_t*>(bits);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        unsigned a = pixels[i + 3];
        out[i] = static_cast<uint8_t>((pixels[i] * a + 127) / 255);
        out[i + 1] = static_cast<uint8_t>((pixels[i + 1] * a + 127) / 255);
        out[i + 2] = static_cast<uint8_t>((pixels[i + 2] * a + 127) / 255);
        out[i + 3] = static_cast<uint8_t>(a);
    }
    return bitmap;
}

} // namespace win32
