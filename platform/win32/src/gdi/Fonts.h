// Fonts as drawn: a LOGFONTW resolved through fontconfig to a Latin face (by
// the usual Windows face names) and a Japanese fallback face for characters
// the first lacks, both rasterised by FreeType. Glyphs are cached per font
// instance; measuring and drawing read the same advances.
#pragma once

#include <win32/wingdi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace win32 {

struct Glyph {
    int advance = 0; // whole pixels, what measuring and drawing both use
    int left = 0;    // bitmap offset from the pen position
    int top = 0;     // bitmap top above the baseline
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage; // rows * width, 0..255
};

class FontFace;

class FontInstance {
public:
    FontInstance(const LOGFONTW& logFont, std::unique_ptr<FontFace> primary,
                 std::unique_ptr<FontFace> fallback);
    ~FontInstance();

    const TEXTMETRICW& Metrics() const { return metrics_; }
    const std::u16string& FaceName() const { return faceName_; }
    bool Underline() const { return underline_; }
    bool StrikeOut() const { return strikeOut_; }
    // Rows below the top of the cell, and thickness, of the two lines.
    int UnderlineY() const { return underlineY_; }
    int UnderlineThickness() const { return underlineThickness_; }
    int StrikeOutY() const { return strikeOutY_; }
    int StrikeOutThickness() const { return strikeOutThickness_; }

    const Glyph& GlyphFor(char32_t c);
    int Advance(char32_t c) { return GlyphFor(c).advance; }
    // A + B + C of a character, as GetCharABCWidths reports.
    ABC AbcFor(char32_t c);

private:
    std::unique_ptr<FontFace> primary_;
    std::unique_ptr<FontFace> fallback_;
    TEXTMETRICW metrics_{};
    std::u16string faceName_;
    bool underline_;
    bool strikeOut_;
    int underlineY_ = 0;
    int underlineThickness_ = 1;
    int strikeOutY_ = 0;
    int strikeOutThickness_ = 1;
    std::unordered_map<char32_t, Glyph> cache_;
};

// The instance for a logical font (cached: equal LOGFONTs share one).
std::shared_ptr<FontInstance> ResolveFont(const LOGFONTW& logFont);

// Decodes UTF-16 into code points; `units[i]` is the index of the first unit
// of code point i.
std::u32string DecodeUtf16(const WCHAR* text, int length, std::vector<int>* units = nullptr);

} // namespace win32
