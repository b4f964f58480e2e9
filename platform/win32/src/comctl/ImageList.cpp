// Image lists: images kept as pixels with a transparency mask, drawn pixel by
// pixel onto any DC. Handles live in their own table, so a stale or foreign
// handle is refused rather than followed.
#include <win32/commctrl.h>
#include <win32/winuser.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace win32 {
namespace {

struct Image {
    std::vector<COLORREF> pixels; // row by row
    std::vector<bool> opaque;
};

struct ImageList {
    int cx = 0, cy = 0;
    UINT flags = 0;
    COLORREF background = CLR_NONE;
    std::vector<Image> images;
    int overlays[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

struct Table {
    std::mutex lock;
    std::map<uintptr_t, std::unique_ptr<ImageList>> lists;
    uintptr_t next = 0x4000;
};

Table& TheTable() {
    // Never destroyed: image lists held by other statics are destroyed at
    // exit too, in an order no one chooses, and must find their table.
    static Table& table = *new Table;
    return table;
}

// Callers hold the table lock while they use the list.
ImageList* Find(HIMAGELIST himl) {
    auto found = TheTable().lists.find(reinterpret_cast<uintptr_t>(himl));
    return found == TheTable().lists.end() ? nullptr : found->second.get();
}

// The pixels of a bitmap, row by row from the top; false for a bad handle.
bool ReadBitmap(HBITMAP bitmap, int& width, int& height, std::vector<COLORREF>& pixels) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return false;
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bgra(size_t(width) * height);
    HDC dc = CreateCompatibleDC(nullptr);
    int lines = GetDIBits(dc, bitmap, 0, UINT(height), bgra.data(), &header, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (lines != height) return false;
    pixels.resize(bgra.size());
    for (size_t i = 0; i < bgra.size(); ++i)
        pixels[i] = RGB((bgra[i] >> 16) & 0xFF, (bgra[i] >> 8) & 0xFF, bgra[i] & 0xFF);
    return true;
}

// Cuts a strip of images out of a bitmap; `transparent` tells which pixels to drop.
template <class Transparent>
int AddStrip(ImageList& list, const std::vector<COLORREF>& pixels, int width, int height,
             Transparent transparent) {
    if (height < list.cy || width < list.cx) return -1;
    int first = int(list.images.size());
    for (int left = 0; left + list.cx <= width; left += list.cx) {
        Image image;
        for (int y = 0; y < list.cy; ++y)
            for (int x = 0; x < list.cx; ++x) {
                size_t at = size_t(y) * width + left + x;
                image.pixels.push_back(pixels[at]);
                image.opaque.push_back(!transparent(at));
            }
        list.images.push_back(std::move(image));
    }
    return first;
}

// Mixes b into a: weight of b in quarters.
COLORREF Blend(COLORREF a, COLORREF b, int quarters) {
    auto mix = [quarters](int x, int y) { return (x * (4 - quarters) + y * quarters) / 4; };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

void DrawImage(const ImageList& list, const Image& image, HDC dc, int x, int y, int dx, int dy,
               COLORREF background, COLORREF foreground, UINT style) {
    bool transparent = (style & ILD_TRANSPARENT) || background == CLR_NONE;
    COLORREF blend = foreground == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : foreground;
    const int quarters = foreground == CLR_NONE ? 0 : (style & ILD_BLEND50) ? 2 : (style & ILD_BLEND25) ? 1 : 0;
    for (int row = 0; row < dy && row < list.cy; ++row)
        for (int column = 0; column < dx && column < list.cx; ++column) {
            size_t at = size_t(row) * list.cx + column;
            COLORREF colour = image.pixels[at];
            if (style & ILD_MASK) {
                SetPixelV(dc, x + column, y + row, image.opaque[at] ? RGB(0, 0, 0)
                                                                    : RGB(255, 255, 255));
                continue;
            }
            if (!image.opaque[at]) {
                if (!transparent) SetPixelV(dc, x + column, y + row, background);
                continue;
            }
            if (quarters) colour = Blend(colour, blend, quarters);
            SetPixelV(dc, x + column, y + row, colour);
        }
}

} // namespace
} // namespace win32

using namespace win32;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0) return nullptr;
    auto list = std::make_unique<ImageList>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    Table& table = TheTable();
    std::lock_guard guard(table.lock);
    uintptr_t handle = table.next;
    table.next += 4;
    table.lists[handle] = std::move(list);
    return reinterpret_cast<HIMAGELIST>(handle);
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
    std::lock_guard guard(TheTable().lock);
    return TheTable().lists.erase(reinterpret_cast<uintptr_t>(himl)) == 1;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    return list ? int(list->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
    int width = 0, height = 0, maskWidth = 0, maskHeight = 0;
    std::vector<COLORREF> pixels, mask;
    if (!ReadBitmap(hbmImage, width, height, pixels)) return -1;
    bool useMask = hbmMask && ReadBitmap(hbmMask, maskWidth, maskHeight, mask) &&
                   maskWidth == width && maskHeight == height;
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list) return -1;
    bool masked = useMask && (list->flags & ILC_MASK);
    return AddStrip(*list, pixels, width, height,
                    [&](size_t at) { return masked && mask[at] != RGB(0, 0, 0); });
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    if (!ReadBitmap(hbmImage, width, height, pixels)) return -1;
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list) return -1;
    return AddStrip(*list, pixels, width, height,
                    [&](size_t at) { return pixels[at] == (crMask & 0xFFFFFF); });
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list) return FALSE;
    if (i == -1) {
        list->images.clear();
        for (int& overlay : list->overlays) overlay = -1;
        return TRUE;
    }
    if (i < 0 || i >= int(list->images.size())) return FALSE;
    list->images.erase(list->images.begin() + i);
    for (int& overlay : list->overlays)
        if (overlay == i)
            overlay = -1;
        else if (overlay > i)
            --overlay;
    return TRUE;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST himl, int iImage, int iOverlay) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list || iOverlay < 1 || iOverlay > 15 || iImage < 0 || iImage >= int(list->images.size()))
        return FALSE;
    list->overlays[iOverlay] = iImage;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list) return CLR_NONE;
    COLORREF old = list->background;
    list->background = clrBk;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    return list ? list->background : CLR_NONE;
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                      COLORREF rgbBk, COLORREF rgbFg, UINT fStyle) {
    std::lock_guard guard(TheTable().lock);
    ImageList* list = Find(himl);
    if (!list || !hdcDst || i < 0 || i >= int(list->images.size())) return FALSE;
    if (dx <= 0) dx = list->cx;
    if (dy <= 0) dy = list->cy;
    COLORREF background = rgbBk == CLR_DEFAULT ? list->background : rgbBk;
    DrawImage(*list, list->images[size_t(i)], hdcDst, x, y, dx, dy, background, rgbFg, fStyle);
    int overlay = int((fStyle & ILD_OVERLAYMASK) >> 8);
    if (overlay && list->overlays[overlay] >= 0)
        DrawImage(*list, list->images[size_t(list->overlays[overlay])], hdcDst, x, y, dx, dy,
                  CLR_NONE, rgbFg, (fStyle & ~ILD_OVERLAYMASK) | ILD_TRANSPARENT);
    return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}
