// The system image lists: the shell's own icons first, in the order of
// SystemIcon, then one icon per file type as types are first shown. Icons come
// from the desktop's icon theme; an icon the theme lacks is drawn with GDI, so
// the lists work on a machine with no theme at all. Both lists grow together,
// so that one index names one icon in each.
#include "FileTypes.h"
#include "IconTheme.h"
#include "ShellFolder.h"

#include <win32/Verify.h>
#include <win32/commctrl.h>
#include <win32/winuser.h>

#include <map>
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
    case kIconFile:
        Page(p);
        break;
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

// The themed names of each built-in icon, in the order of SystemIcon. The
// link overlay is ours: a theme's emblem fills the whole icon.
const std::vector<std::string>& BuiltinNames(int icon) {
    static const std::vector<std::string> names[kSystemIconCount] = {
        {"application-x-generic", "text-x-generic"},
        {"text-x-generic"},
        {"image-x-generic"},
        {"application-x-executable"},
        {"folder"},
        {"folder-open", "folder"},
        {"drive-harddisk"},
        {"user-trash"},
        {"user-trash-full", "user-trash"},
        {"computer"},
        {},
    };
    return names[icon];
}

HBITMAP NewDib(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Image lists keep a one-bit mask: a pixel is shown when at least half opaque.
int AddPixels(HIMAGELIST list, const IconPixels& icon) {
    void* colourBits = nullptr;
    void* maskBits = nullptr;
    HBITMAP colour = NewDib(nullptr, icon.size, icon.size, &colourBits);
    HBITMAP mask = NewDib(nullptr, icon.size, icon.size, &maskBits);
    int index = -1;
    if (colour && mask) {
        auto* c = static_cast<uint32_t*>(colourBits);
        auto* m = static_cast<uint32_t*>(maskBits);
        for (size_t i = 0; i < icon.argb.size(); ++i) {
            bool shown = (icon.argb[i] >> 24) >= 128;
            c[i] = shown ? icon.argb[i] & 0xFFFFFF : 0;
            m[i] = shown ? 0 : 0xFFFFFF;
        }
        index = ImageList_Add(list, colour, mask);
    }
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return index;
}

int AddDrawn(HIMAGELIST list, int icon, int size) {
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = NewDib(dc, size, size, &bits);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT whole{0, 0, size, size};
    HBRUSH clear = CreateSolidBrush(kClear);
    FillRect(dc, &whole, clear);
    DeleteObject(clear);
    DrawIcon(Painter(dc, 0, size / 16), icon);
    SelectObject(dc, old);
    DeleteDC(dc);
    int index = ImageList_AddMasked(list, bitmap, kClear);
    DeleteObject(bitmap);
    return index;
}

HIMAGELIST BuildList(int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kSystemIconCount, 16);
    for (int icon = 0; icon < kSystemIconCount; ++icon) {
        IconPixels themed = LoadIconPixels(FindThemedIcon(BuiltinNames(icon), size), size);
        int index = themed.Empty() ? -1 : AddPixels(list, themed);
        if (index < 0) index = AddDrawn(list, icon, size);
        VERIFY(index == icon);
    }
    ImageList_SetOverlayImage(list, kIconLinkOverlay, 1);
    return list;
}

struct Lists {
    HIMAGELIST large = nullptr, small = nullptr, extraLarge = nullptr;
    std::mutex lock;                        // held while the lists grow
    std::map<std::string, int> byType;      // content type -> index
    std::map<std::string, int> byIconFiles; // types sharing an icon share its index
};

// Made once and never destroyed, as the shell's own lists are shared by all.
Lists& TheLists() {
    static std::once_flag once;
    static Lists* lists;
    std::call_once(once, [] {
        lists = new Lists;
        lists->large = BuildList(32);
        lists->small = BuildList(16);
        lists->extraLarge = BuildList(48);
    });
    return *lists;
}

// The drawn icon of a type's family, for types the theme has no icon for.
int BuiltinOfFamily(const std::string& generic) {
    if (generic == "text-x-generic") return kIconText;
    if (generic == "image-x-generic") return kIconImage;
    if (generic == "application-x-executable") return kIconExecutable;
    return kIconFile;
}

} // namespace

HIMAGELIST SystemImageList(bool small) {
    Lists& lists = TheLists();
    return small ? lists.small : lists.large;
}

HIMAGELIST ExtraLargeSystemImageList() {
    return TheLists().extraLarge;
}

int SystemIconOfType(const std::string& contentType) {
    Lists& lists = TheLists();
    std::lock_guard guard(lists.lock);
    auto known = lists.byType.find(contentType);
    if (known != lists.byType.end()) return known->second;

    const FileType& type = FileTypeOf(contentType);
    std::string large = FindThemedIcon(type.icons, 32), small = FindThemedIcon(type.icons, 16),
                extra = FindThemedIcon(type.icons, 48);
    int index = BuiltinOfFamily(type.genericIcon);
    if (!large.empty() && !small.empty() && !extra.empty()) {
        const std::string key = large + '\n' + small + '\n' + extra;
        auto shared = lists.byIconFiles.find(key);
        if (shared != lists.byIconFiles.end()) {
            index = shared->second;
        } else {
            IconPixels l = LoadIconPixels(large, 32), s = LoadIconPixels(small, 16),
                       x = LoadIconPixels(extra, 48);
            if (!l.Empty() && !s.Empty() && !x.Empty()) {
                int atLarge = AddPixels(lists.large, l), atSmall = AddPixels(lists.small, s),
                    atExtra = AddPixels(lists.extraLarge, x);
                // Lists that fell out of step would show wrong icons for every
                // later type; keep them in step by dropping the odd ones.
                if (atLarge >= 0 && atLarge == atSmall && atLarge == atExtra) {
                    index = atLarge;
                } else {
                    if (atLarge >= 0) ImageList_Remove(lists.large, atLarge);
                    if (atSmall >= 0) ImageList_Remove(lists.small, atSmall);
                    if (atExtra >= 0) ImageList_Remove(lists.extraLarge, atExtra);
                }
            }
            lists.byIconFiles[key] = index;
        }
    }
    lists.byType[contentType] = index;
    return index;
}

} // namespace win32
