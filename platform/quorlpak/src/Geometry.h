// The bound on control positions and sizes, shared by the places where they enter.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quorlpak {

// Positions and sizes are kept within 2^24 pixels either way: far beyond any
// screen, and far enough from the int limits that sums of them (a right
// edge, a client origin, a scaled size) never overflow. Form descriptions and
// settings files may hold any number.
constexpr int64_t kGeometryLimit = 1 << 24;

inline int ClampGeometry(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, -kGeometryLimit, kGeometryLimit));
}

} // namespace quorlpak
