#include "DeviceContext.h"

namespace win32 {
namespace {

void InitDefaults(DcState& s) {
    s.pen = std::static_pointer_cast<PenObject>(StockObject(BLACK_PEN));
    s.brush = std::static_pointer_cast<BrushObject>(StockObject(WHITE_BRUSH));
    s.font = std::static_pointer_cast<FontObject>(StockObject(SYSTEM_FONT));
}

} // namespace

DeviceContext::DeviceContext() : kind_(Kind::Memory) {
    InitDefaults(state_);
    state_.bitmap = DefaultBitmap();
}

DeviceContext::DeviceContext(SurfacePtr surface, POINT origin, const Region& limit)
    : kind_(Kind::Surface), surface_(std::move(surface)), origin_(origin), limit_(limit) {
    InitDefaults(state_);
}

DeviceContext::~DeviceContext() {
    if (state_.bitmap && state_.bitmap->selectedInto == this) state_.bitmap->selectedInto = nullptr;
    for (DcState& s : saved_)
        if (s.bitmap && s.bitmap->selectedInto == this) s.bitmap->selectedInto = nullptr;
}

Surface& DeviceContext::Target() const {
    return *TargetPtr();
}

SurfacePtr DeviceContext::TargetPtr() const {
    return kind_ == Kind::Memory ? state_.bitmap->surface : surface_;
}

bool DeviceContext::SelectBitmap(const std::shared_ptr<BitmapObject>& bitmap) {
    if (kind_ != Kind::Memory) return false;
    if (!bitmap->stock && bitmap->selectedInto && bitmap->selectedInto != this) return false;
    if (state_.bitmap && state_.bitmap->selectedInto == this) state_.bitmap->selectedInto = nullptr;
    state_.bitmap = bitmap;
    if (!bitmap->stock) bitmap->selectedInto = this;
    // Selecting a bitmap resets the clip region to the whole bitmap, as GDI does.
    state_.clip.reset();
    ClipChanged();
    return true;
}

void DeviceContext::SetSurfaceLimits(POINT origin, const Region& limit) {
    origin_ = origin;
    limit_ = limit;
    ClipChanged();
}

RECT DeviceContext::DeviceBounds() const {
    const Surface& s = Target();
    RECT r{0, 0, s.Width(), s.Height()};
    if (limit_) r = limit_->Intersect(r).Box();
    return {r.left - origin_.x, r.top - origin_.y, r.right - origin_.x, r.bottom - origin_.y};
}

const Region& DeviceContext::Visible() {
    if (visibleValid_) return visible_;
    const Surface& s = Target();
    Region v(RECT{0, 0, s.Width(), s.Height()});
    if (limit_) v = v.Combine(*limit_, RegionOp::And);
    if (state_.clip) {
        Region c = *state_.clip;
        c.Offset(origin_.x, origin_.y);
        v = v.Combine(c, RegionOp::And);
    }
    visible_ = std::move(v);
    visibleValid_ = true;
    return visible_;
}

int DeviceContext::Save() {
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

bool DeviceContext::Restore(int level) {
    int count = static_cast<int>(saved_.size());
    if (level < 0) level = count + level + 1;
    if (level <= 0 || level > count) return false;
    std::shared_ptr<BitmapObject> before = state_.bitmap;
    state_ = saved_[level - 1];
    saved_.resize(level - 1);
    if (kind_ == Kind::Memory && before != state_.bitmap) {
        if (before && before->selectedInto == this) before->selectedInto = nullptr;
        if (!state_.bitmap->stock) state_.bitmap->selectedInto = this;
    }
    ClipChanged();
    return true;
}

uint32_t DeviceContext::PixelOf(COLORREF c) const {
    // Palette-relative forms carry flags in the high byte; only the RGB counts here.
    uint32_t p = PixelFromColor(c & 0xFFFFFF);
    return Target().Monochrome() ? Surface::Quantize(p) : p;
}

std::shared_ptr<DeviceContext> LookupDC(HDC dc) {
    auto object = LookupGdi<DeviceContext>(dc);
    if (!object) SetInvalidHandle();
    return object;
}

} // namespace win32
