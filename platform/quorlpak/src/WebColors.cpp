// The named web colours and the "#RRGGBB" notation of web pages.
#include <quorlpak/GraphUtil.h>

#include <algorithm>
#include <cstdio>

namespace {

struct NamedRGB {
    uint32_t rgb; // 0xRRGGBB as web pages write it
    const char16_t* name;
};

// Two names of the web's list share a value with another (the cyan and the
// magenta under their other names); each value is listed once.
constexpr NamedRGB kWebColors[] = {
    {0xF0F8FF, u"AliceBlue"},
    {0xFAEBD7, u"AntiqueWhite"},
    {0x00FFFF, u"Aqua"},
    {0x7FFFD4, u"Aquamarine"},
    {0xF0FFFF, u"Azure"},
    {0xF5F5DC, u"Beige"},
    {0xFFE4C4, u"Bisque"},
    {0x000000, u"Black"},
    {0xFFEBCD, u"BlanchedAlmond"},
    {0x0000FF, u"Blue"},
    {0x8A2BE2, u"BlueViolet"},
    {0xA52A2A, u"Brown"},
    {0xDEB887, u"BurlyWood"},
    {0x5F9EA0, u"CadetBlue"},
    {0x7FFF00, u"Chartreuse"},
    {0xD2691E, u"Chocolate"},
    {0xFF7F50, u"Coral"},
    {0x6495ED, u"CornflowerBlue"},
    {0xFFF8DC, u"Cornsilk"},
    {0xDC143C, u"Crimson"},
    {0x00008B, u"DarkBlue"},
    {0x008B8B, u"DarkCyan"},
    {0xB8860B, u"DarkGoldenrod"},
    {0xA9A9A9, u"DarkGray"},
    {0x006400, u"DarkGreen"},
    {0xBDB76B, u"DarkKhaki"},
    {0x8B008B, u"DarkMagenta"},
    {0x556B2F, u"DarkOliveGreen"},
    {0xFF8C00, u"DarkOrange"},
    {0x9932CC, u"DarkOrchid"},
    {0x8B0000, u"DarkRed"},
    {0xE9967A, u"DarkSalmon"},
    {0x8FBC8F, u"DarkSeaGreen"},
    {0x483D8B, u"DarkSlateBlue"},
    {0x2F4F4F, u"DarkSlateGray"},
    {0x00CED1, u"DarkTurquoise"},
    {0x9400D3, u"DarkViolet"},
    {0xFF1493, u"DeepPink"},
    {0x00BFFF, u"DeepSkyBlue"},
    {0x696969, u"DimGray"},
    {0x1E90FF, u"DodgerBlue"},
    {0xB22222, u"Firebrick"},
    {0xFFFAF0, u"FloralWhite"},
    {0x228B22, u"ForestGreen"},
    {0xFF00FF, u"Fuchsia"},
    {0xDCDCDC, u"Gainsboro"},
    {0xF8F8FF, u"GhostWhite"},
    {0xFFD700, u"Gold"},
    {0xDAA520, u"Goldenrod"},
    {0x808080, u"Gray"},
    {0x008000, u"Green"},
    {0xADFF2F, u"GreenYellow"},
    {0xF0FFF0, u"Honeydew"},
    {0xFF69B4, u"HotPink"},
    {0xCD5C5C, u"IndianRed"},
    {0x4B0082, u"Indigo"},
    {0xFFFFF0, u"Ivory"},
    {0xF0E68C, u"Khaki"},
    {0xE6E6FA, u"Lavender"},
    {0xFFF0F5, u"LavenderBlush"},
    {0x7CFC00, u"LawnGreen"},
    {0xFFFACD, u"LemonChiffon"},
    {0xADD8E6, u"LightBlue"},
    {0xF08080, u"LightCoral"},
    {0xE0FFFF, u"LightCyan"},
    {0xFAFAD2, u"LightGoldenrodYellow"},
    {0xD3D3D3, u"LightGray"},
    {0x90EE90, u"LightGreen"},
    {0xFFB6C1, u"LightPink"},
    {0xFFA07A, u"LightSalmon"},
    {0x20B2AA, u"LightSeaGreen"},
    {0x87CEFA, u"LightSkyBlue"},
    {0x778899, u"LightSlateGray"},
    {0xB0C4DE, u"LightSteelBlue"},
    {0xFFFFE0, u"LightYellow"},
    {0x00FF00, u"Lime"},
    {0x32CD32, u"LimeGreen"},
    {0xFAF0E6, u"Linen"},
    {0x800000, u"Maroon"},
    {0x66CDAA, u"MediumAquamarine"},
    {0x0000CD, u"MediumBlue"},
    {0xBA55D3, u"MediumOrchid"},
    {0x9370DB, u"MediumPurple"},
    {0x3CB371, u"MediumSeaGreen"},
    {0x7B68EE, u"MediumSlateBlue"},
    {0x00FA9A, u"MediumSpringGreen"},
    {0x48D1CC, u"MediumTurquoise"},
    {0xC71585, u"MediumVioletRed"},
    {0x191970, u"MidnightBlue"},
    {0xF5FFFA, u"MintCream"},
    {0xFFE4E1, u"MistyRose"},
    {0xFFE4B5, u"Moccasin"},
    {0xFFDEAD, u"NavajoWhite"},
    {0x000080, u"Navy"},
    {0xFDF5E6, u"OldLace"},
    {0x808000, u"Olive"},
    {0x6B8E23, u"OliveDrab"},
    {0xFFA500, u"Orange"},
    {0xFF4500, u"OrangeRed"},
    {0xDA70D6, u"Orchid"},
    {0xEEE8AA, u"PaleGoldenrod"},
    {0x98FB98, u"PaleGreen"},
    {0xAFEEEE, u"PaleTurquoise"},
    {0xDB7093, u"PaleVioletRed"},
    {0xFFEFD5, u"PapayaWhip"},
    {0xFFDAB9, u"PeachPuff"},
    {0xCD853F, u"Peru"},
    {0xFFC0CB, u"Pink"},
    {0xDDA0DD, u"Plum"},
    {0xB0E0E6, u"PowderBlue"},
    {0x800080, u"Purple"},
    {0xFF0000, u"Red"},
    {0xBC8F8F, u"RosyBrown"},
    {0x4169E1, u"RoyalBlue"},
    {0x8B4513, u"SaddleBrown"},
    {0xFA8072, u"Salmon"},
    {0xF4A460, u"SandyBrown"},
    {0x2E8B57, u"SeaGreen"},
    {0xFFF5EE, u"Seashell"},
    {0xA0522D, u"Sienna"},
    {0xC0C0C0, u"Silver"},
    {0x87CEEB, u"SkyBlue"},
    {0x6A5ACD, u"SlateBlue"},
    {0x708090, u"SlateGray"},
    {0xFFFAFA, u"Snow"},
    {0x00FF7F, u"SpringGreen"},
    {0x4682B4, u"SteelBlue"},
    {0xD2B48C, u"Tan"},
    {0x008080, u"Teal"},
    {0xD8BFD8, u"Thistle"},
    {0xFF6347, u"Tomato"},
    {0x40E0D0, u"Turquoise"},
    {0xEE82EE, u"Violet"},
    {0xF5DEB3, u"Wheat"},
    {0xFFFFFF, u"White"},
    {0xF5F5F5, u"WhiteSmoke"},
    {0xFFFF00, u"Yellow"},
    {0x9ACD32, u"YellowGreen"},
};
static_assert(std::size(kWebColors) == WebNamedColorsCount);

COLORREF FromWeb(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int SortKey(TColor Color, int SortType) {
    const COLORREF c = ColorToRGB(Color);
    uint16_t h = 0, l = 0, s = 0;
    ColorRGBToHLS(c, h, l, s);
    switch (SortType) {
    case 1:
        return h;
    case 2:
        return l;
    case 3:
        return s;
    default:
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
}

} // namespace

const TColorArray& WebNamedColors() {
    static const TColorArray colors = [] {
        TColorArray out;
        out.reserve(std::size(kWebColors));
        for (const NamedRGB& c : kWebColors)
            out.push_back({static_cast<TColor>(FromWeb(c.rgb)), u"clWeb" + UnicodeString(c.name)});
        return out;
    }();
    return colors;
}

void SortColorArray(TColorArray& Colors, int StartIndex, int EndIndex, int SortType, bool Reverse) {
    StartIndex = std::max(StartIndex, 0);
    EndIndex = std::min(EndIndex, static_cast<int>(Colors.size()) - 1);
    if (StartIndex >= EndIndex) return;
    std::stable_sort(Colors.begin() + StartIndex, Colors.begin() + EndIndex + 1,
                     [SortType, Reverse](const TColorArrayEntry& a, const TColorArrayEntry& b) {
                         const int ka = SortKey(a.Value, SortType), kb = SortKey(b.Value, SortType);
                         return Reverse ? ka > kb : ka < kb;
                     });
}

UnicodeString RGBToWebColorStr(COLORREF RGB) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", GetRValue(RGB), GetGValue(RGB),
                  GetBValue(RGB));
    return UnicodeString(buffer, buffer + 7);
}

UnicodeString ColorToWebColorStr(TColor Color) {
    return RGBToWebColorStr(ColorToRGB(Color) & 0xFFFFFF);
}

UnicodeString RGBToWebColorName(COLORREF RGB) {
    RGB &= 0xFFFFFF;
    for (const TColorArrayEntry& c : WebNamedColors())
        if (static_cast<COLORREF>(c.Value) == RGB) return c.Name;
    return RGBToWebColorStr(RGB);
}

UnicodeString ColorToWebColorName(TColor Color) {
    return RGBToWebColorName(ColorToRGB(Color));
}
