// Colour helpers of the framework's graphics utilities: hue, luminance and
// saturation on the 0..240 scale, and lighter or darker shades of a colour.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Colors.h>

#include <cstdint>
#include <vector>

void ColorRGBToHLS(COLORREF Color, uint16_t& Hue, uint16_t& Luminance, uint16_t& Saturation);
COLORREF ColorHLSToRGB(uint16_t Hue, uint16_t Luminance, uint16_t Saturation);
// The colour with its luminance raised (or, for a negative change, lowered)
// by Luminance steps of 240, kept within black and white. System colours
// are resolved first.
TColor GetHighLightColor(TColor Color, int Luminance = 19);
TColor GetShadowColor(TColor Color, int Luminance = -50);

// --- Web colours ---------------------------------------------------------------------------
// The named colours of web pages: value (a COLORREF) and name, the name
// written with the five-character prefix "clWeb" ("clWebAliceBlue").
struct TColorArrayEntry {
    TColor Value;
    UnicodeString Name;
};
using TColorArray = std::vector<TColorArrayEntry>;
constexpr int WebNamedColorsCount = 138;
// The 138 named web colours, in alphabetical order.
const TColorArray& WebNamedColors();
// Sorts Colors[StartIndex..EndIndex] (inclusive) by SortType: 0 the red,
// green, blue value, 1 hue, 2 luminance, 3 saturation (equal keys keep
// their order); Reverse sorts from the top down.
void SortColorArray(TColorArray& Colors, int StartIndex, int EndIndex, int SortType,
                    bool Reverse = false);
// "#RRGGBB"; system colours are resolved first.
UnicodeString ColorToWebColorStr(TColor Color);
UnicodeString RGBToWebColorStr(COLORREF RGB);
// The prefixed name of the named web colour with this value, else its "#RRGGBB".
UnicodeString ColorToWebColorName(TColor Color);
UnicodeString RGBToWebColorName(COLORREF RGB);

#pragma GCC visibility pop
