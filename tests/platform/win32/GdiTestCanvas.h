// A memory DC over a 32-bit top-down DIB section, for GDI tests: drawing is
// checked through the DIB's own bits as well as through GetPixel.
#pragma once

#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class GdiTestCanvas {
public:
    GdiTestCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255), bool bottomUp = false)
        : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = bottomUp ? height : -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~GdiTestCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    GdiTestCanvas(const GdiTestCanvas&) = delete;
    GdiTestCanvas& operator=(const GdiTestCanvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    uint32_t* bits() const { return static_cast<uint32_t*>(bits_); }
    int width() const { return width_; }
    int height() const { return height_; }

    void Fill(COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        RECT r{0, 0, width_, height_};
        FillRect(dc_, &r, b);
        DeleteObject(b);
    }
    // The colour at a device pixel, read straight from the DIB bits.
    COLORREF At(int x, int y) const {
        uint32_t v = bits()[static_cast<size_t>(y) * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // One character per pixel of a rectangle: '#' where the colour is `ink`, '.' elsewhere.
    std::string Map(RECT r, COLORREF ink) const {
        std::string out;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                out += At(x, y) == ink ? '#' : '.';
            out += '\n';
        }
        return out;
    }
    // Bounding box of pixels that differ from `background`; empty when none.
    RECT InkBox(COLORREF background) const { return Box(background, false); }
    // Bounding box of pixels of exactly colour `c`; empty when none.
    RECT BoxOf(COLORREF c) const { return Box(c, true); }
    RECT Box(COLORREF c, bool equal) const {
        RECT box{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if ((At(x, y) == c) == equal) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.right == 0) box = {0, 0, 0, 0};
        return box;
    }
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                n += At(x, y) == c;
        return n;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};
