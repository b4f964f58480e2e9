#include <quorlpak/GraphUtil.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScale = 240.0;

double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

TColor Shifted(TColor Color, int Luminance) {
    uint16_t h, l, s;
    ColorRGBToHLS(ColorToRGB(Color), h, l, s);
    int shifted = std::clamp(int(l) + Luminance, 0, int(kScale));
    return static_cast<TColor>(ColorHLSToRGB(h, uint16_t(shifted), s));
}

} // namespace

void ColorRGBToHLS(COLORREF Color, uint16_t& Hue, uint16_t& Luminance, uint16_t& Saturation) {
    double r = GetRValue(Color) / 255.0, g = GetGValue(Color) / 255.0, b = GetBValue(Color) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double l = (mx + mn) / 2, h = 0, s = 0;
    if (mx != mn) {
        double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r) h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g) h = (b - r) / d + 2;
        else h = (r - g) / d + 4;
        h /= 6;
    }
    Hue = uint16_t(std::lround(h * kScale)) % 240;
    Luminance = uint16_t(std::lround(l * kScale));
    Saturation = uint16_t(std::lround(s * kScale));
}

COLORREF ColorHLSToRGB(uint16_t Hue, uint16_t Luminance, uint16_t Saturation) {
    double h = Hue / kScale, l = std::min(Luminance / kScale, 1.0),
           s = std::min(Saturation / kScale, 1.0);
    auto byte = [](double v) { return BYTE(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    if (s == 0) return RGB(byte(l), byte(l), byte(l));
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    double p = 2 * l - q;
    return RGB(byte(HueToChannel(p, q, h + 1.0 / 3)), byte(HueToChannel(p, q, h)),
               byte(HueToChannel(p, q, h - 1.0 / 3)));
}

TColor GetHighLightColor(TColor Color, int Luminance) {
    return Shifted(Color, Luminance);
}

TColor GetShadowColor(TColor Color, int Luminance) {
    return Shifted(Color, Luminance);
}
