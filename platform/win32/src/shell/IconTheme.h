// Icons from the desktop's icon theme: the named icon of the theme in use (and
// the themes it inherits from, hicolor last) at a pixel size, read from PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

// Straight (not premultiplied) BGRA pixels, row by row from the top.
struct IconPixels {
    int size = 0;
    std::vector<uint32_t> argb;
    bool Empty() const { return argb.empty(); }
};

// The file of the first of `names` that the theme has, best matching `size`;
// empty when none has a PNG. Names are tried in order, each through the whole
// chain of themes, as the desktop does with its fallback names.
std::string FindThemedIcon(const std::vector<std::string>& names, int size);

// The icon at exactly size x size: the PNG scaled when its size differs; empty
// when the file is missing or not a PNG.
IconPixels LoadIconPixels(const std::string& file, int size);

} // namespace win32
