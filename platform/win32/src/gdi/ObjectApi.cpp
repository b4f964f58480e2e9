// Creating, selecting, querying and deleting GDI objects.
#include "DeviceContext.h"
#include "Fonts.h"

#include <win32/winbase.h>

#include <cstring>

using namespace win32;

namespace {

SurfacePtr CopySurface(const Surface& s) {
    auto copy = std::make_shared<Surface>(s.Width(), s.Height(), s.Monochrome());
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            copy->Put(x, y, s.Get(x, y));
    return copy;
}

HPEN InsertPen(std::shared_ptr<PenObject> pen) {
    return static_cast<HPEN>(InsertGdiObject(std::move(pen)));
}

HBRUSH InsertBrush(std::shared_ptr<BrushObject> brush) {
    return static_cast<HBRUSH>(InsertGdiObject(std::move(brush)));
}

} // namespace

HGDIOBJ GetStockObject(int object) {
    GdiLock lock;
    auto stock = StockObject(object);
    return stock ? stock->handle : nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiLock lock;
    auto obj = LookupGdiObject(object);
    if (!obj || obj->Type() == OBJ_DC || obj->Type() == OBJ_MEMDC) {
        SetInvalidParameter();
        return FALSE;
    }
    if (obj->stock) return TRUE;
    // A bitmap selected into a DC stays; pens, brushes and fonts lose their
    // handle but live on in the DCs that still hold them.
    if (auto bitmap = std::dynamic_pointer_cast<BitmapObject>(obj); bitmap && bitmap->selectedInto)
        return FALSE;
    RemoveGdiObject(object);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    auto obj = LookupGdiObject(object);
    if (!ctx || !obj) {
        SetInvalidHandle();
        return nullptr;
    }
    DcState& st = ctx->State();
    switch (obj->Type()) {
    case OBJ_PEN:
    case OBJ_EXTPEN: {
        HGDIOBJ old = st.pen->handle;
        st.pen = std::static_pointer_cast<PenObject>(obj);
        return old;
    }
    case OBJ_BRUSH: {
        HGDIOBJ old = st.brush->handle;
        st.brush = std::static_pointer_cast<BrushObject>(obj);
        return old;
    }
    case OBJ_FONT: {
        HGDIOBJ old = st.font->handle;
        st.font = std::static_pointer_cast<FontObject>(obj);
        return old;
    }
    case OBJ_BITMAP: {
        HGDIOBJ old = st.bitmap ? st.bitmap->handle : nullptr;
        if (!ctx->SelectBitmap(std::static_pointer_cast<BitmapObject>(obj))) return nullptr;
        return old;
    }
    case OBJ_REGION: {
        int result = SelectClipRgn(dc, static_cast<HRGN>(object));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
    }
    default:
        return nullptr;
    }
}

DWORD GetObjectType(HGDIOBJ object) {
    GdiLock lock;
    auto obj = LookupGdiObject(object);
    if (!obj) {
        SetInvalidHandle();
        return 0;
    }
    return obj->Type();
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx) return nullptr;
    DcState& st = ctx->State();
    switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return st.pen->handle;
    case OBJ_BRUSH:
        return st.brush->handle;
    case OBJ_FONT:
        return st.font->handle;
    case OBJ_BITMAP:
        return st.bitmap ? st.bitmap->handle : nullptr;
    default:
        SetInvalidParameter();
        return nullptr;
    }
}

namespace {

template <class T> int CopyOut(const T& value, int size, LPVOID buffer) {
    if (!buffer) return sizeof(T);
    int n = size < static_cast<int>(sizeof(T)) ? size : static_cast<int>(sizeof(T));
    std::memcpy(buffer, &value, n);
    return n;
}

BITMAP BitmapInfoOf(BitmapObject& b) {
    BITMAP bm{};
    bm.bmWidth = b.surface->Width();
    bm.bmHeight = b.surface->Height();
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(b.bitsPerPixel);
    int rowBits = bm.bmWidth * b.bitsPerPixel;
    // DIB rows are padded to 4 bytes, device bitmaps' rows to 2.
    bm.bmWidthBytes = b.dib ? ((rowBits + 31) / 32) * 4 : ((rowBits + 15) / 16) * 2;
    bm.bmBits = b.Bits();
    return bm;
}

} // namespace

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
    GdiLock lock;
    auto obj = LookupGdiObject(object);
    if (!obj) {
        SetInvalidHandle();
        return 0;
    }
    if (auto pen = std::dynamic_pointer_cast<PenObject>(obj)) {
        if (pen->extended) {
            EXTLOGPEN e{};
            e.elpPenStyle = pen->style;
            e.elpWidth = pen->width;
            e.elpBrushStyle = pen->brush.lbStyle;
            e.elpColor = pen->color;
            e.elpHatch = pen->brush.lbHatch;
            e.elpNumEntries = static_cast<DWORD>(pen->userStyle.size());
            return CopyOut(e, size, buffer);
        }
        LOGPEN p{pen->style, {pen->width, 0}, pen->color};
        return CopyOut(p, size, buffer);
    }
    if (auto brush = std::dynamic_pointer_cast<BrushObject>(obj)) {
        LOGBRUSH b{brush->style, brush->color, 0};
        if (brush->style == BS_HATCHED) b.lbHatch = brush->hatch;
        if (brush->style == BS_PATTERN)
            b.lbHatch = reinterpret_cast<ULONG_PTR>(brush->patternHandle);
        return CopyOut(b, size, buffer);
    }
    if (auto font = std::dynamic_pointer_cast<FontObject>(obj))
        return CopyOut(font->logFont, size, buffer);
    if (auto bitmap = std::dynamic_pointer_cast<BitmapObject>(obj)) {
        BITMAP bm = BitmapInfoOf(*bitmap);
        if (bitmap->dib && (size >= static_cast<int>(sizeof(DIBSECTION)) || !buffer)) {
            DIBSECTION ds{};
            ds.dsBm = bm;
            ds.dsBmih = bitmap->header;
            ds.dsBmih.biSizeImage = bm.bmWidthBytes * bm.bmHeight;
            return CopyOut(ds, size, buffer);
        }
        return CopyOut(bm, size, buffer);
    }
    SetInvalidParameter();
    return 0;
}

BOOL GdiFlush() {
    return TRUE;
}

// --- Pens -------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
    GdiLock lock;
    if ((style & PS_STYLE_MASK) > PS_INSIDEFRAME) {
        SetInvalidParameter();
        return nullptr;
    }
    auto pen = std::make_shared<PenObject>();
    pen->style = style & PS_STYLE_MASK;
    pen->width = width < 0 ? 0 : width;
    pen->color = color;
    // Wide pens draw solid whatever their style, as GDI does.
    if (pen->width > 1 && pen->style != PS_NULL && pen->style != PS_INSIDEFRAME)
        pen->style = PS_SOLID;
    return InsertPen(std::move(pen));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) {
        SetInvalidParameter();
        return nullptr;
    }
    return CreatePen(pen->lopnStyle, pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                  const DWORD* styles) {
    GdiLock lock;
    DWORD type = style & PS_TYPE_MASK, line = style & PS_STYLE_MASK;
    bool bad = !brush || (type == PS_COSMETIC && width != 1) ||
               (line == PS_ALTERNATE && type != PS_COSMETIC) ||
               (line == PS_USERSTYLE && (!styles || styleCount == 0 || styleCount > 16)) ||
               (line != PS_USERSTYLE && styleCount != 0) || line > PS_ALTERNATE;
    if (bad) {
        SetInvalidParameter();
        return nullptr;
    }
    auto pen = std::make_shared<PenObject>();
    pen->extended = true;
    pen->style = style;
    pen->width = static_cast<int>(width);
    pen->brush = *brush;
    pen->color = brush->lbStyle == BS_NULL ? 0 : brush->lbColor;
    if (brush->lbStyle == BS_NULL) pen->style = (style & ~PS_STYLE_MASK) | PS_NULL;
    if (line == PS_USERSTYLE) pen->userStyle.assign(styles, styles + styleCount);
    return InsertPen(std::move(pen));
}

// --- Brushes ------------------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF color) {
    GdiLock lock;
    auto brush = std::make_shared<BrushObject>();
    brush->color = color;
    return InsertBrush(std::move(brush));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    GdiLock lock;
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
        SetInvalidParameter();
        return nullptr;
    }
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_HATCHED;
    brush->hatch = hatch;
    brush->color = color;
    return InsertBrush(std::move(brush));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    GdiLock lock;
    auto bm = LookupGdi<BitmapObject>(bitmap);
    if (!bm || bm->surface->Width() == 0 || bm->surface->Height() == 0) {
        SetInvalidHandle();
        return nullptr;
    }
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_PATTERN;
    // The brush keeps its own copy: the bitmap may be deleted right after.
    brush->pattern = CopySurface(*bm->surface);
    brush->patternHandle = bitmap;
    return InsertBrush(std::move(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) {
        SetInvalidParameter();
        return nullptr;
    }
    switch (brush->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(brush->lbColor);
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8:
        return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    case BS_NULL: {
        GdiLock lock;
        auto b = std::make_shared<BrushObject>();
        b->style = BS_NULL;
        return InsertBrush(std::move(b));
    }
    default:
        SetInvalidParameter();
        return nullptr;
    }
}
