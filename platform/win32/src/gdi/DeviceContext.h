// A device context: the drawing state (selected objects, colours, modes,
// origins, clip) over a surface. A memory DC draws on its selected bitmap; a
// surface DC draws on a surface it does not own, at an offset and inside a
// clip given by its creator (the window manager, for window DCs).
#pragma once

#include "GdiObjects.h"

#include <optional>

namespace win32 {

struct DcState {
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<FontObject> font;
    std::shared_ptr<BitmapObject> bitmap; // memory DCs only
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF dcBrushColor = RGB(255, 255, 255);
    COLORREF dcPenColor = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    int mapMode = MM_TEXT;
    int charExtra = 0;
    UINT textAlign = TA_LEFT | TA_TOP;
    POINT windowOrg{0, 0};
    POINT viewportOrg{0, 0};
    POINT brushOrg{0, 0};
    POINT position{0, 0};
    std::optional<Region> clip; // in device coordinates; none: no clip region
};

class DeviceContext : public GdiObject {
public:
    enum class Kind { Memory, Surface };

    // A memory DC over the default 1x1 monochrome bitmap.
    DeviceContext();
    // A DC on someone else's surface; device (0,0) is `origin` on the surface,
    // and nothing outside `limit` (surface coordinates) is ever touched.
    DeviceContext(SurfacePtr surface, POINT origin, const Region& limit);
    ~DeviceContext() override;

    DWORD Type() const override { return kind_ == Kind::Memory ? OBJ_MEMDC : OBJ_DC; }
    Kind GetKind() const { return kind_; }

    DcState& State() { return state_; }
    Surface& Target() const;
    SurfacePtr TargetPtr() const;
    POINT Origin() const { return origin_; }

    // Selects a bitmap into a memory DC; false if it is selected elsewhere.
    bool SelectBitmap(const std::shared_ptr<BitmapObject>& bitmap);
    void SetSurfaceLimits(POINT origin, const Region& limit);

    // Logical to device coordinates (MM_TEXT: a translation).
    POINT ToDevice(POINT p) const {
        return {p.x - state_.windowOrg.x + state_.viewportOrg.x,
                p.y - state_.windowOrg.y + state_.viewportOrg.y};
    }
    POINT ToLogical(POINT p) const {
        return {p.x - state_.viewportOrg.x + state_.windowOrg.x,
                p.y - state_.viewportOrg.y + state_.windowOrg.y};
    }
    // Logical to surface coordinates.
    POINT ToSurface(POINT p) const {
        POINT d = ToDevice(p);
        return {d.x + origin_.x, d.y + origin_.y};
    }
    int DxSurface() const { return origin_.x - state_.windowOrg.x + state_.viewportOrg.x; }
    int DySurface() const { return origin_.y - state_.windowOrg.y + state_.viewportOrg.y; }

    // Where drawing may touch, in surface coordinates: the surface, the
    // creator's limit and the clip region together.
    const Region& Visible();
    // The device area of the DC (its bitmap or surface limit), device coordinates.
    RECT DeviceBounds() const;
    // Call after any change of the clip region or the bitmap.
    void ClipChanged() { visibleValid_ = false; }

    int Save();
    bool Restore(int level);

    // The colour actually used for a COLORREF on this DC's surface.
    uint32_t PixelOf(COLORREF c) const;

private:
    Kind kind_;
    SurfacePtr surface_; // surface DCs
    POINT origin_{0, 0};
    std::optional<Region> limit_;
    DcState state_;
    std::vector<DcState> saved_;
    Region visible_;
    bool visibleValid_ = false;
};

// The DC behind a handle, or null (last error set).
std::shared_ptr<DeviceContext> LookupDC(HDC dc);

} // namespace win32
