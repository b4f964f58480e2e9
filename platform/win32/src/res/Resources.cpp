// Module resources: the tables modules register, FindResource and its
// neighbours over them, and the DIB decoding the image loaders share.
#include "res/Resources.h"

#include "Modules.h"

#include <win32/ModuleResources.h>
#include <win32/winbase.h>
#include <win32/winerror.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace win32 {
namespace {

// A type or name: an integer id, or upper-case text ("#12" is id 12).
struct ResourceKey {
    WORD id = 0;
    std::u16string text;

    bool operator==(const ResourceKey& other) const {
        return id == other.id && text == other.text;
    }
};

ResourceKey KeyOf(LPCWSTR value) {
    ResourceKey key;
    if (IS_INTRESOURCE(value)) {
        key.id = LOWORD(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    std::u16string text(value);
    if (text.size() > 1 && text[0] == u'#') {
        unsigned long id = 0;
        bool digits = true;
        for (size_t i = 1; i < text.size() && digits; ++i) {
            digits = text[i] >= u'0' && text[i] <= u'9';
            id = id * 10 + (text[i] - u'0');
            if (id > 0xFFFF) digits = false;
        }
        if (digits) {
            key.id = static_cast<WORD>(id);
            return key;
        }
    }
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    key.text = std::move(text);
    return key;
}

struct Entry {
    ResourceKey type, name;
    LPCWSTR nameAsGiven; // handed to EnumResourceNamesW
    const BYTE* data;
    DWORD size;
};

struct ResourceTables {
    std::mutex lock;
    // Entries never move once added: a resource handle is an entry's address.
    std::map<HMODULE, std::vector<Entry*>> byModule;
};

ResourceTables& Tables() {
    static auto* tables = new ResourceTables;
    return *tables;
}

HMODULE Resolve(HMODULE module) {
    return module ? module : ProgramModule();
}

// Caller holds the lock.
const Entry* Find(HMODULE module, LPCWSTR type, LPCWSTR name) {
    ResourceTables& tables = Tables();
    auto it = tables.byModule.find(Resolve(module));
    if (it == tables.byModule.end()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const ResourceKey typeKey = KeyOf(type), nameKey = KeyOf(name);
    bool typeSeen = false;
    for (const Entry* e : it->second) {
        if (!(e->type == typeKey)) continue;
        typeSeen = true;
        if (e->name == nameKey) return e;
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

// Whether `handle` is an entry of `module`; caller holds the lock.
bool Owns(HMODULE module, const Entry* handle) {
    auto it = Tables().byModule.find(Resolve(module));
    if (it == Tables().byModule.end()) return false;
    for (const Entry* e : it->second)
        if (e == handle) return true;
    return false;
}

} // namespace

HMODULE RegisterModuleResources(LPCWSTR moduleName, const ResourceEntry* entries, size_t count) {
    HMODULE module = moduleName ? RegisterModule(moduleName, {}) : ProgramModule();
    ResourceTables& tables = Tables();
    std::lock_guard<std::mutex> guard(tables.lock);
    std::vector<Entry*>& list = tables.byModule[module];
    for (size_t i = 0; i < count; ++i) {
        const ResourceEntry& r = entries[i];
        ResourceKey type = KeyOf(r.type), name = KeyOf(r.name);
        bool known = false;
        for (const Entry* e : list)
            known = known || (e->type == type && e->name == name);
        if (known) continue;
        // Lives as long as the process, as the module's data does.
        list.push_back(new Entry{std::move(type), std::move(name), r.name, r.data, r.size});
    }
    return module;
}

ResourceBytes FindResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name) {
    if (!type || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    std::lock_guard<std::mutex> guard(Tables().lock);
    const Entry* e = Find(module, type, name);
    return e ? ResourceBytes{e->data, e->size} : ResourceBytes{};
}

// --- DIB decoding ---------------------------------------------------------------------------

namespace {

uint32_t ReadU32(const BYTE* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

int RowBytes(int width, int bpp) {
    return ((width * bpp + 31) / 32) * 4;
}

} // namespace

bool DecodeDib(const BYTE* data, size_t size, bool withMask, DecodedDib& out) {
    if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof(h));
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biPlanes != 1 ||
        h.biCompression != BI_RGB || h.biWidth <= 0 || h.biWidth > 4096 || h.biHeight == 0)
        return false;
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    const bool topDown = h.biHeight < 0;
    int height = topDown ? -h.biHeight : h.biHeight;
    if (withMask) {
        if (topDown || height % 2) return false;
        height /= 2;
    }
    if (height > 4096) return false;
    const int width = h.biWidth;
    size_t colors = 0;
    if (bpp <= 8) colors = h.biClrUsed ? h.biClrUsed : (1u << bpp);
    if (colors > 256) return false;
    const size_t tableAt = h.biSize, bitsAt = tableAt + colors * 4;
    const size_t colorBytes = size_t(RowBytes(width, bpp)) * height;
    const size_t maskBytes = withMask ? size_t(RowBytes(width, 1)) * height : 0;
    if (bitsAt + colorBytes + maskBytes > size) return false;

    out.width = width;
    out.height = height;
    out.pixels.assign(size_t(width) * height, 0);
    out.mask.clear();
    const BYTE* table = data + tableAt;
    const BYTE* bits = data + bitsAt;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = bits + size_t(RowBytes(width, bpp)) * (topDown ? y : height - 1 - y);
        uint32_t* target = &out.pixels[size_t(y) * width];
        for (int x = 0; x < width; ++x) {
            uint32_t value;
            if (bpp <= 8) {
                const int perByte = 8 / bpp;
                const int shift = (perByte - 1 - x % perByte) * bpp;
                const unsigned index = (row[x / perByte] >> shift) & ((1u << bpp) - 1);
                if (index >= colors) return false;
                value = ReadU32(table + index * 4) & 0xFFFFFF;
            } else if (bpp == 24) {
                value = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
            } else {
                value = ReadU32(row + 4 * x) & 0xFFFFFF;
            }
            target[x] = value;
        }
    }
    if (withMask) {
        out.mask.assign(size_t(width) * height, 0);
        const BYTE* maskBits = bits + colorBytes;
        for (int y = 0; y < height; ++y) {
            const BYTE* row = maskBits + size_t(RowBytes(width, 1)) * (height - 1 - y);
            for (int x = 0; x < width; ++x)
                out.mask[size_t(y) * width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return true;
}

HBITMAP BitmapFromPixels(const DecodedDib& dib, bool dibSection) {
    if (!dibSection)
        return CreateBitmap(dib.width, dib.height, 1, 32, dib.pixels.data());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = dib.width;
    info.bmiHeader.biHeight = -dib.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::memcpy(bits, dib.pixels.data(), dib.pixels.size() * 4);
    return bitmap;
}

} // namespace win32

using namespace win32;

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (!name || !type) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(Tables().lock);
    return reinterpret_cast<HRSRC>(const_cast<Entry*>(Find(module, type, name)));
}

// Every resource here is language neutral: any language finds it.
HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
    return FindResourceW(module, name, type);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    std::lock_guard<std::mutex> guard(Tables().lock);
    const auto* e = reinterpret_cast<const Entry*>(resource);
    if (!e || !Owns(module, e)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return const_cast<BYTE*>(e->data);
}

LPVOID LockResource(HGLOBAL data) {
    return data;
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    std::lock_guard<std::mutex> guard(Tables().lock);
    const auto* e = reinterpret_cast<const Entry*>(resource);
    if (!e || !Owns(module, e)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    return e->size;
}

BOOL FreeResource(HGLOBAL data) {
    return FALSE;
}

BOOL EnumResourceNamesW(HMODULE module, LPCWSTR type, ENUMRESNAMEPROCW proc, LONG_PTR param) {
    if (!type || !proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The callback may load resources itself, so it runs without the lock.
    std::vector<LPCWSTR> names;
    {
        std::lock_guard<std::mutex> guard(Tables().lock);
        auto it = Tables().byModule.find(Resolve(module));
        const ResourceKey typeKey = KeyOf(type);
        if (it != Tables().byModule.end())
            for (const Entry* e : it->second)
                if (e->type == typeKey) names.push_back(e->nameAsGiven);
    }
    if (names.empty()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    for (LPCWSTR name : names)
        if (!proc(module, type, const_cast<LPWSTR>(name), param)) {
            SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
            return FALSE;
        }
    return TRUE;
}
