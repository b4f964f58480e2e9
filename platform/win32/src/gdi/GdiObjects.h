// GDI objects behind HGDIOBJ handles: pens, brushes, fonts, bitmaps, regions
// and device contexts share one process-wide table, separate from the kernel
// handle table. Every GDI entry point holds the GDI lock, so objects may be
// used from any thread (one at a time).
#pragma once

#include "Region.h"
#include "Surface.h"

#include <win32/wingdi.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace win32 {

class DeviceContext;
class FontInstance;

// Held by every GDI entry point; recursive so that entry points may call others.
class GdiLock {
public:
    GdiLock();
    ~GdiLock();
    GdiLock(const GdiLock&) = delete;
    GdiLock& operator=(const GdiLock&) = delete;
};

class GdiObject {
public:
    virtual ~GdiObject() = default;
    virtual DWORD Type() const = 0;
    HGDIOBJ handle = nullptr;
    bool stock = false; // stock objects are never deleted
};

class PenObject : public GdiObject {
public:
    DWORD Type() const override { return extended ? OBJ_EXTPEN : OBJ_PEN; }
    DWORD style = PS_SOLID; // full style word (type, end cap, join, line style)
    int width = 1;
    COLORREF color = 0;
    bool extended = false;
    LOGBRUSH brush{BS_SOLID, 0, 0};
    std::vector<DWORD> userStyle;
    int LineStyle() const { return static_cast<int>(style & PS_STYLE_MASK); }
};

class BrushObject : public GdiObject {
public:
    DWORD Type() const override { return OBJ_BRUSH; }
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    SurfacePtr pattern; // BS_PATTERN: a private copy of the bitmap
    HBITMAP patternHandle = nullptr;
};

class BitmapObject : public GdiObject {
public:
    DWORD Type() const override { return OBJ_BITMAP; }
    SurfacePtr surface;
    int bitsPerPixel = 32; // as reported: 1 for masks, 24 or 32 for DIBs
    bool dib = false;
    BITMAPINFOHEADER header{};
    std::vector<uint32_t> dibBits; // storage of a DIB section's bits
    DeviceContext* selectedInto = nullptr;
    void* Bits() { return dib ? static_cast<void*>(dibBits.data()) : nullptr; }
};

class FontObject : public GdiObject {
public:
    DWORD Type() const override { return OBJ_FONT; }
    LOGFONTW logFont{};
    // Resolved on first use, so that creating a font never touches the disk.
    std::shared_ptr<FontInstance> instance;
    std::shared_ptr<FontInstance> Instance();
};

class RegionObject : public GdiObject {
public:
    DWORD Type() const override { return OBJ_REGION; }
    Region region;
};

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupGdiObject(HGDIOBJ handle);
bool RemoveGdiObject(HGDIOBJ handle);

template <class T> std::shared_ptr<T> LookupGdi(HGDIOBJ handle) {
    return std::dynamic_pointer_cast<T>(LookupGdiObject(handle));
}

// Stock objects, created on first use.
std::shared_ptr<GdiObject> StockObject(int index);
// The 1x1 monochrome bitmap every new memory DC starts with.
std::shared_ptr<BitmapObject> DefaultBitmap();

// Fails with ERROR_INVALID_HANDLE, for the entry points' error paths.
void SetInvalidHandle();
void SetInvalidParameter();

} // namespace win32
