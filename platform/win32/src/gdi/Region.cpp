#include "Region.h"

#include <win32/wingdi.h>

#include <algorithm>

namespace win32 {
namespace {

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Sorts spans and merges those that overlap or touch.
void Normalize(std::vector<Span>& spans) {
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.left < b.left; });
    std::vector<Span> out;
    for (const Span& s : spans) {
        if (s.right <= s.left) continue;
        if (!out.empty() && s.left <= out.back().right)
            out.back().right = std::max(out.back().right, s.right);
        else
            out.push_back(s);
    }
    spans = std::move(out);
}

bool Inside(const std::vector<Span>& spans, int x) {
    for (const Span& s : spans)
        if (x >= s.left && x < s.right) return true;
    return false;
}

bool Apply(RegionOp op, bool a, bool b) {
    switch (op) {
    case RegionOp::And:
        return a && b;
    case RegionOp::Or:
        return a || b;
    case RegionOp::Xor:
        return a != b;
    case RegionOp::Diff:
        return a && !b;
    }
    return false;
}

// Combines two span lists of one band by sweeping their edges.
std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b,
                               RegionOp op) {
    std::vector<int> xs;
    for (const Span& s : a)
        xs.insert(xs.end(), {s.left, s.right});
    for (const Span& s : b)
        xs.insert(xs.end(), {s.left, s.right});
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (!Apply(op, Inside(a, xs[i]), Inside(b, xs[i]))) continue;
        if (!out.empty() && out.back().right == xs[i])
            out.back().right = xs[i + 1];
        else
            out.push_back({xs[i], xs[i + 1]});
    }
    return out;
}

const std::vector<Span>& SpansAt(const std::vector<Band>& bands, int y) {
    static const std::vector<Span> none;
    auto it = std::upper_bound(bands.begin(), bands.end(), y,
                               [](int v, const Band& b) { return v < b.bottom; });
    if (it == bands.end() || y < it->top) return none;
    return it->spans;
}

} // namespace

Region::Region(const RECT& r) {
    SetRect(r);
}

void Region::SetRect(const RECT& r) {
    bands_.clear();
    if (!IsEmpty(r)) bands_.push_back({r.top, r.bottom, {{r.left, r.right}}});
}

void Region::AppendBand(int top, int bottom, std::vector<Span>&& spans) {
    if (spans.empty() || bottom <= top) return;
    if (!bands_.empty() && bands_.back().bottom == top && bands_.back().spans == spans) {
        bands_.back().bottom = bottom;
        return;
    }
    bands_.push_back({top, bottom, std::move(spans)});
}

Region Region::FromRows(int top, int bottom,
                        const std::function<void(int, std::vector<Span>&)>& rowSpans) {
    Region r;
    std::vector<Span> spans;
    for (int y = top; y < bottom; ++y) {
        spans.clear();
        rowSpans(y, spans);
        Normalize(spans);
        r.AppendBand(y, y + 1, std::vector<Span>(spans));
    }
    return r;
}

int Region::Complexity() const {
    if (bands_.empty()) return NULLREGION;
    if (bands_.size() == 1 && bands_[0].spans.size() == 1) return SIMPLEREGION;
    return COMPLEXREGION;
}

RECT Region::Box() const {
    if (bands_.empty()) return RECT{0, 0, 0, 0};
    RECT box{bands_.front().spans.front().left, bands_.front().top,
             bands_.front().spans.back().right, bands_.back().bottom};
    for (const Band& b : bands_) {
        box.left = std::min<LONG>(box.left, b.spans.front().left);
        box.right = std::max<LONG>(box.right, b.spans.back().right);
    }
    return box;
}

std::vector<RECT> Region::Rects() const {
    std::vector<RECT> out;
    for (const Band& b : bands_)
        for (const Span& s : b.spans)
            out.push_back({s.left, b.top, s.right, b.bottom});
    return out;
}

const Band* Region::BandAt(int y) const {
    auto it = std::upper_bound(bands_.begin(), bands_.end(), y,
                               [](int v, const Band& b) { return v < b.bottom; });
    if (it == bands_.end() || y < it->top) return nullptr;
    return &*it;
}

bool Region::Contains(int x, int y) const {
    const Band* b = BandAt(y);
    return b && Inside(b->spans, x);
}

bool Region::Intersects(const RECT& r) const {
    if (IsEmpty(r)) return false;
    for (const Band& b : bands_) {
        if (b.bottom <= r.top || b.top >= r.bottom) continue;
        for (const Span& s : b.spans)
            if (s.right > r.left && s.left < r.right) return true;
    }
    return false;
}

void Region::Offset(int dx, int dy) {
    for (Band& b : bands_) {
        b.top += dy;
        b.bottom += dy;
        for (Span& s : b.spans) {
            s.left += dx;
            s.right += dx;
        }
    }
}

Region Region::Combine(const Region& other, RegionOp op) const {
    // Every band edge of either region starts a new band of the result.
    std::vector<int> ys;
    for (const Band& b : bands_)
        ys.insert(ys.end(), {b.top, b.bottom});
    for (const Band& b : other.bands_)
        ys.insert(ys.end(), {b.top, b.bottom});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    Region out;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const auto& a = SpansAt(bands_, ys[i]);
        const auto& b = SpansAt(other.bands_, ys[i]);
        if (a.empty() && b.empty()) continue;
        out.AppendBand(ys[i], ys[i + 1], CombineSpans(a, b, op));
    }
    return out;
}

} // namespace win32
