// Colour helpers of the framework's graphics utilities: hue, luminance and
// saturation on the 0..240 scale, and lighter or darker shades of a colour.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Colors.h>

#include <cstdint>

void ColorRGBToHLS(COLORREF Color, uint16_t& Hue, uint16_t& Luminance, uint16_t& Saturation);
COLORREF ColorHLSToRGB(uint16_t Hue, uint16_t Luminance, uint16_t Saturation);
// The colour with its luminance raised (or, for a negative change, lowered)
// by Luminance steps of 240, kept within black and white. System colours
// are resolved first.
TColor GetHighLightColor(TColor Color, int Luminance = 19);
TColor GetShadowColor(TColor Color, int Luminance = -50);

#pragma GCC visibility pop
