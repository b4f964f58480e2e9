// An area of the plane kept as Windows keeps it: horizontal bands sorted top
// to bottom, each with sorted, disjoint spans; vertically adjacent bands with
// equal spans are merged. Combining two regions is exact.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <functional>
#include <vector>

namespace win32 {

struct Span {
    int left;
    int right; // exclusive
    bool operator==(const Span&) const = default;
};

struct Band {
    int top;
    int bottom; // exclusive
    std::vector<Span> spans;
    bool operator==(const Band&) const = default;
};

enum class RegionOp { And, Or, Xor, Diff };

class Region {
public:
    Region() = default;
    explicit Region(const RECT& r);

    // Builds a region from per-row spans: rowSpans(y, out) appends the spans
    // of row y (any order, may overlap) for y in [top, bottom).
    static Region FromRows(int top, int bottom,
                           const std::function<void(int, std::vector<Span>&)>& rowSpans);

    bool Empty() const { return bands_.empty(); }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Complexity() const;
    RECT Box() const;
    const std::vector<Band>& Bands() const { return bands_; }
    std::vector<RECT> Rects() const;

    bool Contains(int x, int y) const;
    bool Intersects(const RECT& r) const;
    void Offset(int dx, int dy);
    void SetRect(const RECT& r);

    Region Combine(const Region& other, RegionOp op) const;
    Region Intersect(const RECT& r) const { return Combine(Region(r), RegionOp::And); }

    // The band that holds row y, or null.
    const Band* BandAt(int y) const;

    bool operator==(const Region&) const = default;

private:
    std::vector<Band> bands_;
    void AppendBand(int top, int bottom, std::vector<Span>&& spans);
};

} // namespace win32

#pragma GCC visibility pop
