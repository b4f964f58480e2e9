#include "Fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace win32 {

namespace {

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        FT_Init_FreeType(&l);
        return l;
    }();
    return library;
}

std::string Lower(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        // Full-width Latin letters in Japanese face names fold to ASCII.
        if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<char16_t>(c - 0xFEE0);
        if (c == 0x3000) c = ' ';
        if (c < 0x80) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else {
            // Keep other characters as UTF-8 so that Japanese names can be matched.
            if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
            } else {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            }
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct FaceChoice {
    std::vector<const char*> families; // tried in order through fontconfig
    BYTE family = FF_SWISS;
    bool japanese = false;
    bool fixed = false;
};

// The Windows face names the system's code uses, mapped to installed families.
FaceChoice ChooseFamilies(const LOGFONTW& lf) {
    static const std::vector<const char*> sans{"Liberation Sans", "Arimo", "DejaVu Sans"};
    static const std::vector<const char*> serif{"Liberation Serif", "Tinos", "DejaVu Serif"};
    static const std::vector<const char*> mono{"Liberation Mono", "Cousine", "DejaVu Sans Mono"};
    static const std::vector<const char*> wide{"DejaVu Sans", "Liberation Sans"};
    static const std::vector<const char*> jaProp{"IPAPGothic", "IPAGothic"};
    static const std::vector<const char*> jaFixed{"IPAGothic", "IPAPGothic"};
    std::u16string face(lf.lfFaceName,
                        std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0'));
    std::string name = Lower(face);
    static const std::map<std::string, int> known{
        {"ms sans serif", 0},
        {"microsoft sans serif", 0},
        {"tahoma", 0},
        {"segoe ui", 0},
        {"ms shell dlg", 0},
        {"ms shell dlg 2", 0},
        {"arial", 0},
        {"helvetica", 0},
        {"system", 0},
        {"verdana", 1},
        {"courier new", 2},
        {"courier", 2},
        {"consolas", 2},
        {"lucida console", 2},
        {"fixedsys", 2},
        {"terminal", 2},
        {"times new roman", 3},
        {"times", 3},
        {"georgia", 3},
        {"ms serif", 3},
        {"ms ui gothic", 4},
        {"ms pgothic", 4},
        {"ms p\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf", 4},
        {"meiryo", 4},
        {"meiryo ui", 4},
        {"yu gothic", 4},
        {"yu gothic ui", 4},
        {"ms gothic", 5},
        {"ms \xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf", 5},
        {"ms mincho", 5},
        {"ms \xe6\x98\x8e\xe6\x9c\x9d", 5},
    };
    BYTE pitch = lf.lfPitchAndFamily & 3, family = lf.lfPitchAndFamily & 0xF0;
    int kind = -1;
    if (auto it = known.find(name); it != known.end()) kind = it->second;
    if (kind < 0) {
        if (pitch == FIXED_PITCH || family == FF_MODERN)
            kind = 2;
        else if (family == FF_ROMAN)
            kind = 3;
        else if (lf.lfCharSet == SHIFTJIS_CHARSET)
            kind = 4;
        else
            kind = 0;
    }
    switch (kind) {
    case 1:
        return {wide, FF_SWISS, false, false};
    case 2:
        return {mono, FF_MODERN, false, true};
    case 3:
        return {serif, FF_ROMAN, false, false};
    case 4:
        return {jaProp, FF_SWISS, true, false};
    case 5:
        return {jaFixed, FF_MODERN, true, true};
    default:
        return {sans, FF_SWISS, false, false};
    }
}

struct Match {
    std::string file;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

// Asks fontconfig for the best file of the first installed family.
bool MatchFamily(const std::vector<const char*>& families, bool bold, bool italic, Match& out) {
    FcInit();
    for (const char* fam : families) {
        FcPattern* pat = FcPatternCreate();
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam));
        FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result;
        FcPattern* found = FcFontMatch(nullptr, pat, &result);
        FcPatternDestroy(pat);
        if (!found) continue;
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        bool ok = FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch &&
                  FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch &&
                  strcasecmp(reinterpret_cast<const char*>(family), fam) == 0;
        if (ok) {
            out.file = reinterpret_cast<const char*>(file);
            FcPatternGetInteger(found, FC_INDEX, 0, &out.index);
            FcPatternGetInteger(found, FC_WEIGHT, 0, &out.weight);
            FcPatternGetInteger(found, FC_SLANT, 0, &out.slant);
        }
        FcPatternDestroy(found);
        if (ok) return true;
    }
    return false;
}

struct FaceMetrics {
    int unitsPerEm;
    int winAscent;
    int winDescent;
    int lineGap; // hhea line gap
    int hheaAscent;
    int hheaDescent; // negative
    int avgWidth;
    int underlinePos;
    int underlineThickness;
    int strikePos;
    int strikeSize;
};

FaceMetrics ReadMetrics(FT_Face face) {
    FaceMetrics m{};
    m.unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
    m.hheaAscent = face->ascender;
    m.hheaDescent = face->descender;
    m.lineGap = face->height - (face->ascender - face->descender);
    m.winAscent = face->ascender;
    m.winDescent = -face->descender;
    m.avgWidth = m.unitsPerEm / 2;
    m.underlinePos = face->underline_position;
    m.underlineThickness = face->underline_thickness;
    m.strikePos = m.unitsPerEm / 4;
    m.strikeSize = m.underlineThickness;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            m.winAscent = os2->usWinAscent;
            m.winDescent = os2->usWinDescent;
        }
        if (os2->xAvgCharWidth > 0) m.avgWidth = os2->xAvgCharWidth;
        if (os2->yStrikeoutSize > 0) {
            m.strikePos = os2->yStrikeoutPosition;
            m.strikeSize = os2->yStrikeoutSize;
        }
    }
    return m;
}

} // namespace

class FontFace {
public:
    FontFace(FT_Face face, bool bold, bool italic, bool antialias)
        : face_(face), bold_(bold), italic_(italic), antialias_(antialias),
          metrics_(ReadMetrics(face)) {}
    ~FontFace() { FT_Done_Face(face_); }

    static std::unique_ptr<FontFace> Open(const Match& m, bool wantBold, bool wantItalic,
                                          bool antialias) {
        FT_Face face = nullptr;
        if (FT_New_Face(Library(), m.file.c_str(), m.index, &face) != 0) return nullptr;
        // What the file lacks is synthesised: emboldened or slanted outlines.
        bool synthBold = wantBold && m.weight < FC_WEIGHT_DEMIBOLD;
        bool synthItalic = wantItalic && m.slant == FC_SLANT_ROMAN;
        return std::make_unique<FontFace>(face, synthBold, synthItalic, antialias);
    }

    void SetSize(double ppemY, double ppemX) {
        FT_Set_Char_Size(face_, static_cast<FT_F26Dot6>(std::lround(ppemX * 64)),
                         static_cast<FT_F26Dot6>(std::lround(ppemY * 64)), 72, 72);
        scale_ = ppemY / metrics_.unitsPerEm;
    }

    FT_UInt Index(char32_t c) const { return FT_Get_Char_Index(face_, c); }
    FT_Face Face() const { return face_; }
    const FaceMetrics& Metrics() const { return metrics_; }
    double Scale() const { return scale_; }
    bool SyntheticBold() const { return bold_; }

    Glyph Render(FT_UInt index) {
        Glyph g;
        FT_Int32 flags = antialias_ ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO;
        if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT | flags) != 0) return g;
        FT_GlyphSlot slot = face_->glyph;
        if (italic_) FT_GlyphSlot_Oblique(slot);
        if (bold_) FT_GlyphSlot_Embolden(slot);
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, antialias_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0)
            return g;
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.coverage.assign(static_cast<size_t>(g.width) * g.rows, 0);
        for (int y = 0; y < g.rows; ++y) {
            const uint8_t* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
            for (int x = 0; x < g.width; ++x) {
                uint8_t v = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                ? (((row[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0)
                                : row[x];
                g.coverage[static_cast<size_t>(y) * g.width + x] = v;
            }
        }
        return g;
    }

private:
    FT_Face face_;
    bool bold_;
    bool italic_;
    bool antialias_;
    FaceMetrics metrics_;
    double scale_ = 1;
};

FontInstance::FontInstance(const LOGFONTW& lf, std::unique_ptr<FontFace> primary,
                           std::unique_ptr<FontFace> fallback)
    : primary_(std::move(primary)), fallback_(std::move(fallback)), underline_(lf.lfUnderline != 0),
      strikeOut_(lf.lfStrikeOut != 0) {
    const FaceMetrics& m = primary_->Metrics();
    double cellUnits = m.winAscent + m.winDescent;
    // Negative heights give the em height, positive ones the cell height.
    double ppem;
    if (lf.lfHeight < 0)
        ppem = -lf.lfHeight;
    else if (lf.lfHeight > 0)
        ppem = lf.lfHeight * m.unitsPerEm / cellUnits;
    else
        ppem = 16 * m.unitsPerEm / cellUnits;
    double ppemX = ppem;
    if (lf.lfWidth > 0) ppemX = static_cast<double>(lf.lfWidth) * m.unitsPerEm / m.avgWidth;
    primary_->SetSize(ppem, ppemX);
    if (fallback_) fallback_->SetSize(ppem, ppemX);

    double s = ppem / m.unitsPerEm;
    TEXTMETRICW& tm = metrics_;
    tm.tmAscent = static_cast<LONG>(std::lround(m.winAscent * s));
    tm.tmDescent = static_cast<LONG>(std::lround(m.winDescent * s));
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - static_cast<LONG>(std::lround(ppem)));
    int gap = m.lineGap - ((m.winAscent + m.winDescent) - (m.hheaAscent - m.hheaDescent));
    tm.tmExternalLeading = std::max<LONG>(0, static_cast<LONG>(std::lround(gap * s)));
    tm.tmAveCharWidth =
        lf.lfWidth > 0 ? lf.lfWidth : static_cast<LONG>(std::lround(m.avgWidth * s));
    FT_Face f = primary_->Face();
    tm.tmMaxCharWidth =
        static_cast<LONG>(std::ceil((f->bbox.xMax - f->bbox.xMin) * ppemX / m.unitsPerEm));
    tm.tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = lf.lfItalic ? 1 : 0;
    tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    bool fixed = FT_IS_FIXED_WIDTH(f);
    tm.tmPitchAndFamily =
        static_cast<BYTE>(TMPF_TRUETYPE | TMPF_VECTOR | (fixed ? 0 : TMPF_FIXED_PITCH) |
                          (lf.lfPitchAndFamily & 0xF0));
    tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : lf.lfCharSet;

    underlineThickness_ = std::max(1, static_cast<int>(std::lround(m.underlineThickness * s)));
    underlineY_ = tm.tmAscent - static_cast<int>(std::lround(m.underlinePos * s));
    strikeOutThickness_ = std::max(1, static_cast<int>(std::lround(m.strikeSize * s)));
    strikeOutY_ = tm.tmAscent - static_cast<int>(std::lround(m.strikePos * s));
    underlineY_ = std::min<int>(underlineY_, tm.tmHeight - underlineThickness_);

    const char* family = f->family_name ? f->family_name : "";
    for (const char* p = family; *p; ++p)
        faceName_ += static_cast<char16_t>(static_cast<unsigned char>(*p));
}

FontInstance::~FontInstance() = default;

const Glyph& FontInstance::GlyphFor(char32_t c) {
    auto it = cache_.find(c);
    if (it != cache_.end()) return it->second;
    FontFace* face = primary_.get();
    FT_UInt index = primary_->Index(c);
    if (index == 0 && fallback_) {
        if (FT_UInt other = fallback_->Index(c)) {
            face = fallback_.get();
            index = other;
        }
    }
    Glyph g;
    if (c == u'\t' || c == u'\r' || c == u'\n' || c < 0x20)
        g = face->Render(face->Index(u' ')); // control characters draw as blanks
    else
        g = face->Render(index);
    return cache_.emplace(c, std::move(g)).first->second;
}

ABC FontInstance::AbcFor(char32_t c) {
    const Glyph& g = GlyphFor(c);
    if (g.width == 0) return {0, static_cast<UINT>(std::max(0, g.advance)), 0};
    int a = g.left, b = g.width;
    return {a, static_cast<UINT>(b), g.advance - a - b};
}

namespace {

struct FontKey {
    std::vector<uint8_t> bytes;
    bool operator<(const FontKey& o) const { return bytes < o.bytes; }
};

FontKey KeyOf(const LOGFONTW& lf) {
    LOGFONTW copy = lf;
    // Bytes after the face name's terminator do not make a different font.
    WCHAR* end = std::find(copy.lfFaceName, copy.lfFaceName + LF_FACESIZE, u'\0');
    std::fill(end, copy.lfFaceName + LF_FACESIZE, u'\0');
    const auto* p = reinterpret_cast<const uint8_t*>(&copy);
    return {std::vector<uint8_t>(p, p + sizeof(copy))};
}

} // namespace

std::shared_ptr<FontInstance> ResolveFont(const LOGFONTW& lf) {
    static auto* cache = new std::map<FontKey, std::shared_ptr<FontInstance>>;
    FontKey key = KeyOf(lf);
    if (auto it = cache->find(key); it != cache->end()) return it->second;

    FaceChoice choice = ChooseFamilies(lf);
    bool bold = lf.lfWeight >= FW_SEMIBOLD, italic = lf.lfItalic != 0;
    bool antialias = lf.lfQuality != NONANTIALIASED_QUALITY;
    Match m;
    std::unique_ptr<FontFace> primary;
    if (MatchFamily(choice.families, bold, italic, m))
        primary = FontFace::Open(m, bold, italic, antialias);
    if (!primary && MatchFamily({"DejaVu Sans", "sans-serif"}, bold, italic, m))
        primary = FontFace::Open(m, bold, italic, antialias);
    if (!primary) return nullptr;
    std::unique_ptr<FontFace> fallback;
    Match fm;
    std::vector<const char*> ja = choice.fixed
                                      ? std::vector<const char*>{"IPAGothic", "IPAPGothic"}
                                      : std::vector<const char*>{"IPAPGothic", "IPAGothic"};
    if (!choice.japanese && MatchFamily(ja, bold, italic, fm))
        fallback = FontFace::Open(fm, bold, italic, antialias);

    LOGFONTW adjusted = lf;
    if (adjusted.lfCharSet == DEFAULT_CHARSET && choice.japanese)
        adjusted.lfCharSet = SHIFTJIS_CHARSET;
    if ((adjusted.lfPitchAndFamily & 0xF0) == 0) adjusted.lfPitchAndFamily |= choice.family;
    auto instance =
        std::make_shared<FontInstance>(adjusted, std::move(primary), std::move(fallback));
    (*cache)[key] = instance;
    return instance;
}

std::u32string DecodeUtf16(const WCHAR* text, int length, std::vector<int>* units) {
    std::u32string out;
    if (units) units->clear();
    for (int i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (units) units->push_back(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

} // namespace win32
