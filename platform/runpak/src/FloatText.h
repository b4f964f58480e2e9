// Decimal digits of floating-point values, shared by FloatToStrF, FormatFloat
// and Format.
#pragma once

#include <runpak/Strings.h>

#include <string>

namespace runpak {

// value = 0.<Digits> x 10^Exponent. Digits has no trailing zeros; it is
// empty for zero and for values that rounded to zero.
struct TFloatRec {
    int Exponent = 0;
    bool Negative = false;
    std::string Digits;
};

// Rounds half away from zero to at most precision significant digits
// (at most 18) and at most decimals digits after the point.
TFloatRec FloatToDecimal(long double value, int precision, int decimals);

// "NAN", "INF", "-INF" for values that are not finite; empty otherwise.
UnicodeString NonFiniteText(long double value);

// Digits with thousand separators inserted every three places.
UnicodeString GroupThousands(const UnicodeString& digits, char16_t separator);

} // namespace runpak
