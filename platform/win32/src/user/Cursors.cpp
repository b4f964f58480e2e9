// Cursors and icons: the shared system set behind fixed handles, and icons
// made from bitmaps. The window manager draws no pointer, so a cursor is only
// an identity that SetCursor records; icons carry images that DrawIconEx draws.
#include "res/Resources.h"

#include <win32/winbase.h>
#include <win32/winerror.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

struct IconObject {
    bool shared = false;
    bool icon = true;
    WORD id = 0; // of a shared system image
    DWORD hotX = 0, hotY = 0;
    HBITMAP mask = nullptr;  // owned copy; AND mask
    HBITMAP color = nullptr; // owned copy; may be null for a monochrome icon
    int width = 32, height = 32;
};

constexpr WORD kCursorIds[] = {32512, 32513, 32514, 32515, 32516, 32640, 32641, 32642,
                               32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};
constexpr WORD kIconIds[] = {32512, 32513, 32514, 32515, 32516, 32517};

struct Registry {
    std::mutex lock;
    std::unordered_set<IconObject*> made; // by CreateIconIndirect and the copies
    IconObject cursors[std::size(kCursorIds)];
    IconObject icons[std::size(kIconIds)];
    // Shared images loaded from modules, by module, kind and upper-case name.
    std::map<std::pair<HINSTANCE, std::u16string>, IconObject*> loaded;

    Registry() {
        for (size_t i = 0; i < std::size(kCursorIds); ++i)
            cursors[i] = IconObject{true, false, kCursorIds[i], 0, 0, nullptr, nullptr, 32, 32};
        for (size_t i = 0; i < std::size(kIconIds); ++i)
            icons[i] = IconObject{true, true, kIconIds[i], 0, 0, nullptr, nullptr, 32, 32};
    }
};

Registry& R() {
    // Never destroyed: shared cursors and icons live until the process ends,
    // and windows may still ask for them while other statics go away.
    static Registry& registry = *new Registry;
    return registry;
}

bool IsShared(const IconObject* o) {
    Registry& r = R();
    return (o >= std::begin(r.cursors) && o < std::end(r.cursors)) ||
           (o >= std::begin(r.icons) && o < std::end(r.icons));
}

// The object behind a handle, or null; caller holds R().lock.
IconObject* Lookup(HICON handle) {
    auto* o = reinterpret_cast<IconObject*>(handle);
    if (!o) return nullptr;
    if (IsShared(o) || R().made.count(o)) return o;
    return nullptr;
}

HICON Shared(IconObject* table, const WORD* ids, size_t count, HINSTANCE instance, LPCWSTR name) {
    if (!instance && IS_INTRESOURCE(name)) {
        WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        for (size_t i = 0; i < count; ++i)
            if (ids[i] == id) return reinterpret_cast<HICON>(&table[i]);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

// A copy of a bitmap in its own format; 32-bit DIB sections keep their alpha.
HBITMAP CopyBitmap(HBITMAP source) {
    if (!source) return nullptr;
    BITMAP bm{};
    if (!GetObjectW(source, sizeof(bm), &bm)) return nullptr;
    if (bm.bmBits && bm.bmBitsPixel == 32) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = bm.bmWidth;
        info.bmiHeader.biHeight = -bm.bmHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!copy) return nullptr;
        HDC mem = CreateCompatibleDC(nullptr);
        GetDIBits(mem, source, 0, static_cast<UINT>(bm.bmHeight), bits, &info, DIB_RGB_COLORS);
        DeleteDC(mem);
        return copy;
    }
    HBITMAP copy = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, bm.bmBitsPixel == 1 ? 1 : 32, nullptr);
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, source), oldDst = SelectObject(dst, copy);
    BitBlt(dst, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
    SelectObject(src, oldSrc);
    SelectObject(dst, oldDst);
    DeleteDC(src);
    DeleteDC(dst);
    return copy;
}

bool HasAlpha(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmBitsPixel != 32 || !bm.bmBits)
        return false;
    for (LONG y = 0; y < bm.bmHeight; ++y) {
        const auto* row = static_cast<const uint8_t*>(bm.bmBits) + size_t(y) * bm.bmWidthBytes;
        for (LONG x = 0; x < bm.bmWidth; ++x)
            if (row[4 * x + 3]) return true;
    }
    return false;
}

HICON Copy(HICON handle) {
    IconObject copy;
    {
        std::lock_guard<std::mutex> guard(R().lock);
        IconObject* o = Lookup(handle);
        if (!o) {
            SetLastError(ERROR_INVALID_CURSOR_HANDLE);
            return nullptr;
        }
        copy = *o;
    }
    copy.shared = false;
    copy.mask = CopyBitmap(copy.mask);
    copy.color = CopyBitmap(copy.color);
    auto* made = new IconObject(copy);
    std::lock_guard<std::mutex> guard(R().lock);
    R().made.insert(made);
    return reinterpret_cast<HICON>(made);
}

BOOL Destroy(HICON handle) {
    IconObject* doomed = nullptr;
    {
        std::lock_guard<std::mutex> guard(R().lock);
        IconObject* o = Lookup(handle);
        if (!o) {
            SetLastError(ERROR_INVALID_CURSOR_HANDLE);
            return FALSE;
        }
        if (o->shared) return TRUE;
        R().made.erase(o);
        doomed = o;
    }
    if (doomed->mask) DeleteObject(doomed->mask);
    if (doomed->color) DeleteObject(doomed->color);
    delete doomed;
    return TRUE;
}

uint16_t ReadU16(const BYTE* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// The key under which a shared module image is kept: kind, then the name.
std::u16string SharedKey(LPCWSTR name, bool cursor) {
    std::u16string key(cursor ? u"C" : u"I");
    if (IS_INTRESOURCE(name)) {
        std::string id = "#" + std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
        key.append(id.begin(), id.end());
        return key;
    }
    for (LPCWSTR c = name; *c; ++c)
        key.push_back(*c >= u'a' && *c <= u'z' ? static_cast<char16_t>(*c - u'a' + u'A') : *c);
    return key;
}

// A 1-bit device bitmap: a set bit (white) where the image is transparent.
HBITMAP MaskBitmap(const win32::DecodedDib& dib) {
    const int stride = ((dib.width + 15) / 16) * 2;
    std::vector<uint8_t> bits(size_t(stride) * dib.height, 0);
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            if (dib.mask[size_t(y) * dib.width + x])
                bits[size_t(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    return CreateBitmap(dib.width, dib.height, 1, 1, bits.data());
}

// Reads the group directory and its chosen image into a new object.
IconObject* MakeFromResource(HINSTANCE instance, LPCWSTR name, bool cursor, int cx, int cy) {
    using namespace win32;
    ResourceBytes group =
        FindResourceBytes(instance, cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON, name);
    if (!group.data) return nullptr;
    const BYTE* g = group.data;
    const int count = group.size >= 6 ? ReadU16(g + 4) : 0;
    if (count == 0 || ReadU16(g) != 0 || ReadU16(g + 2) != (cursor ? 2 : 1) ||
        group.size < 6u + 14u * count) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const int wanted = cx > 0 ? cx : 32;
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const BYTE* e = g + 6 + 14 * i;
        int width = cursor ? ReadU16(e) : (e[0] ? e[0] : 256);
        if (std::abs(width - wanted) < bestDistance) {
            bestDistance = std::abs(width - wanted);
            best = i;
        }
    }
    const WORD id = ReadU16(g + 6 + 14 * best + 12);
    ResourceBytes image =
        FindResourceBytes(instance, cursor ? RT_CURSOR : RT_ICON, MAKEINTRESOURCEW(id));
    if (!image.data) return nullptr;
    const size_t skip = cursor ? 4 : 0; // a cursor image starts with its hot spot
    DecodedDib dib;
    if (image.size < skip || !DecodeDib(image.data + skip, image.size - skip, true, dib)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto* made = new IconObject;
    made->icon = !cursor;
    made->hotX = cursor ? ReadU16(image.data) : DWORD(dib.width / 2);
    made->hotY = cursor ? ReadU16(image.data + 2) : DWORD(dib.height / 2);
    made->width = dib.width;
    made->height = dib.height;
    made->color = BitmapFromPixels(dib, true);
    made->mask = MaskBitmap(dib);
    return made;
}

} // namespace

HICON win32::LoadIconResource(HINSTANCE instance, LPCWSTR name, bool cursor, int cx, int cy,
                              bool shared) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const auto key = std::make_pair(instance, SharedKey(name, cursor));
    if (shared) {
        std::lock_guard<std::mutex> guard(R().lock);
        auto it = R().loaded.find(key);
        if (it != R().loaded.end()) return reinterpret_cast<HICON>(it->second);
    }
    IconObject* made = MakeFromResource(instance, name, cursor, cx, cy);
    if (!made) return nullptr;
    made->shared = shared;
    std::lock_guard<std::mutex> guard(R().lock);
    if (shared) {
        // Another thread may have loaded it meanwhile; the first one stays.
        auto [it, added] = R().loaded.emplace(key, made);
        if (!added) {
            if (made->mask) DeleteObject(made->mask);
            if (made->color) DeleteObject(made->color);
            delete made;
            return reinterpret_cast<HICON>(it->second);
        }
    }
    R().made.insert(made);
    return reinterpret_cast<HICON>(made);
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    if (instance) return win32::LoadIconResource(instance, name, true, 0, 0, true);
    return Shared(R().cursors, kCursorIds, std::size(kCursorIds), instance, name);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (instance) return win32::LoadIconResource(instance, name, false, 0, 0, true);
    return Shared(R().icons, kIconIds, std::size(kIconIds), instance, name);
}

BOOL DestroyCursor(HCURSOR cursor) {
    return Destroy(cursor);
}
BOOL DestroyIcon(HICON icon) {
    return Destroy(icon);
}
HCURSOR CopyCursor(HCURSOR cursor) {
    return Copy(cursor);
}
HICON CopyIcon(HICON icon) {
    return Copy(icon);
}

HICON CreateIconIndirect(PICONINFO info) {
    if (!info || !info->hbmMask) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    BITMAP bm{};
    if (!GetObjectW(info->hbmColor ? info->hbmColor : info->hbmMask, sizeof(bm), &bm)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* made = new IconObject;
    made->icon = info->fIcon != FALSE;
    made->hotX = info->fIcon ? static_cast<DWORD>(bm.bmWidth / 2) : info->xHotspot;
    made->hotY = info->fIcon ? static_cast<DWORD>(bm.bmHeight / 2) : info->yHotspot;
    made->width = bm.bmWidth;
    // A monochrome icon stacks its AND and XOR masks in one bitmap.
    made->height = info->hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    made->mask = CopyBitmap(info->hbmMask);
    made->color = CopyBitmap(info->hbmColor);
    std::lock_guard<std::mutex> guard(R().lock);
    R().made.insert(made);
    return reinterpret_cast<HICON>(made);
}

BOOL GetIconInfo(HICON icon, PICONINFO info) {
    if (!info) return FALSE;
    IconObject copy;
    {
        std::lock_guard<std::mutex> guard(R().lock);
        IconObject* o = Lookup(icon);
        if (!o) {
            SetLastError(ERROR_INVALID_CURSOR_HANDLE);
            return FALSE;
        }
        copy = *o;
    }
    info->fIcon = copy.icon;
    info->xHotspot = copy.hotX;
    info->yHotspot = copy.hotY;
    info->hbmMask = CopyBitmap(copy.mask);
    info->hbmColor = CopyBitmap(copy.color);
    return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step,
                HBRUSH flickerFreeBrush, UINT flags) {
    IconObject o;
    {
        std::lock_guard<std::mutex> guard(R().lock);
        IconObject* found = Lookup(icon);
        if (!found) {
            SetLastError(ERROR_INVALID_CURSOR_HANDLE);
            return FALSE;
        }
        o = *found;
    }
    if (width == 0) width = o.width;
    if (height == 0) height = o.height;
    if (!o.mask && !o.color) return TRUE; // a system image: nothing of ours to draw
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = nullptr;
    if (o.color && (flags & DI_IMAGE) && HasAlpha(o.color)) {
        old = SelectObject(mem, o.color);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, x, y, width, height, mem, 0, 0, o.width, o.height, blend);
    } else {
        if (flags & DI_MASK) {
            old = SelectObject(mem, o.mask);
            StretchBlt(dc, x, y, width, height, mem, 0, 0, o.width, o.height, SRCAND);
        }
        if (flags & DI_IMAGE) {
            HGDIOBJ prev = SelectObject(mem, o.color ? o.color : o.mask);
            if (!old) old = prev;
            StretchBlt(dc, x, y, width, height, mem, 0, o.color ? 0 : o.height, o.width, o.height,
                       SRCINVERT);
        }
    }
    if (old) SelectObject(mem, old);
    DeleteDC(mem);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}
