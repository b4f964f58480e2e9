// Cursors and icons: the shared system set behind fixed handles, and icons
// made from bitmaps. The window manager draws no pointer, so a cursor is only
// an identity that SetCursor records; icons carry images that DrawIconEx draws.
#include <win32/winbase.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

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

    Registry() {
        for (size_t i = 0; i < std::size(kCursorIds); ++i)
            cursors[i] = IconObject{true, false, kCursorIds[i], 0, 0, nullptr, nullptr, 32, 32};
        for (size_t i = 0; i < std::size(kIconIds); ++i)
            icons[i] = IconObject{true, true, kIconIds[i], 0, 0, nullptr, nullptr, 32, 32};
    }
};

Registry& R() {
    static Registry registry;
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

} // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    return Shared(R().cursors, kCursorIds, std::size(kCursorIds), instance, name);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
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
