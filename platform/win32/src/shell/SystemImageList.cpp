// The system image list: the shell's built-in icons, drawn with GDI on first
// use at 16x16 and 32x32, in the order of SystemIcon.
#include "ShellFolder.h"

#include <win32/commctrl.h>
#include <win32/winuser.h>

#include <mutex>

namespace win32 {
namespace {

const COLORREF kClear = RGB(255, 0, 255); // transparent in the strip

// Draws on a grid of 16 units, whatever the pixel size.
class Painter {
public:
    Painter(HDC dc, int left, int unit) : dc_(dc), left_(left), unit_(unit) {}
    void Box(int l, int t, int r, int b, COLORREF colour) const {
        RECT rect{left_ + l * unit_, t * unit_, left_ + r * unit_, b * unit_};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_, &rect, brush);
        DeleteObject(brush);
    }
    // A filled box with a one-unit border.
    void Framed(int l, int t, int r, int b, COLORREF fill, COLORREF border) const {
        Box(l, t, r, b, border);
        Box(l + 1, t + 1, r - 1, b - 1, fill);
    }

private:
    HDC dc_;
    int left_, unit_;
};

const COLORREF kInk = RGB(64, 64, 64);
const COLORREF kPaper = RGB(255, 255, 255);
const COLORREF kYellow = RGB(240, 200, 80);
const COLORREF kPale = RGB(250, 225, 140);
const COLORREF kGrey = RGB(170, 170, 170);
const COLORREF kBlue = RGB(40, 90, 200);

void Page(const Painter& p) {
    p.Framed(3, 1, 13, 15, kPaper, kInk);
}

void DrawIcon(const Painter& p, int icon) {
    switch (icon) {
    case kIconFile: Page(p); break;
    case kIconText:
        Page(p);
        for (int y = 4; y <= 12; y += 2)
            p.Box(5, y, 11, y + 1, kInk);
        break;
    case kIconImage:
        Page(p);
        p.Box(5, 4, 11, 12, RGB(90, 170, 230));
        p.Box(5, 9, 11, 12, RGB(60, 160, 60));
        break;
    case kIconExecutable:
        p.Framed(1, 3, 15, 13, kPaper, kInk);
        p.Box(2, 4, 14, 6, kBlue);
        break;
    case kIconFolder:
        p.Framed(1, 3, 7, 6, kYellow, kInk);
        p.Framed(1, 5, 15, 14, kYellow, kInk);
        break;
    case kIconFolderOpen:
        p.Framed(1, 3, 7, 6, kYellow, kInk);
        p.Framed(1, 5, 14, 14, kYellow, kInk);
        p.Framed(3, 8, 16, 14, kPale, kInk);
        break;
    case kIconDrive:
        p.Framed(1, 6, 15, 12, kGrey, kInk);
        p.Box(11, 8, 13, 10, RGB(40, 200, 40));
        break;
    case kIconTrashEmpty:
    case kIconTrashFull:
        p.Framed(3, 4, 13, 15, kGrey, kInk);
        p.Box(2, 3, 14, 4, kInk);
        if (icon == kIconTrashFull) p.Framed(5, 1, 11, 4, kPaper, kInk);
        break;
    case kIconComputer:
        p.Framed(1, 2, 15, 11, RGB(90, 170, 230), kInk);
        p.Box(6, 11, 10, 13, kInk);
        p.Box(4, 13, 12, 14, kInk);
        break;
    case kIconLinkOverlay:
        p.Framed(0, 10, 6, 16, kPaper, kInk);
        p.Box(2, 12, 5, 13, kBlue); // the arrow: a bar and its head
        p.Box(4, 12, 5, 15, kBlue);
        break;
    }
}

HIMAGELIST BuildList(int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kSystemIconCount, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size * kSystemIconCount;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP strip = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, strip);
    RECT whole{0, 0, size * kSystemIconCount, size};
    HBRUSH clear = CreateSolidBrush(kClear);
    FillRect(dc, &whole, clear);
    DeleteObject(clear);
    for (int icon = 0; icon < kSystemIconCount; ++icon)
        DrawIcon(Painter(dc, icon * size, size / 16), icon);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(list, strip, kClear);
    DeleteObject(strip);
    ImageList_SetOverlayImage(list, kIconLinkOverlay, 1);
    return list;
}

} // namespace

// Made once and never destroyed, as the shell's own list is shared by all.
HIMAGELIST SystemImageList(bool small) {
    static std::once_flag once;
    static HIMAGELIST lists[2];
    std::call_once(once, [] {
        lists[0] = BuildList(32);
        lists[1] = BuildList(16);
    });
    return lists[small ? 1 : 0];
}

} // namespace win32
