#include <win32/winbase.h>

#include <climits>
#include <cstdint>

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    // Round the magnitude, halves away from zero, then restore the sign.
    uint64_t magnitude = product < 0 ? 0 - static_cast<uint64_t>(product) : product;
    uint64_t divisor = denominator < 0
                           ? 0 - static_cast<uint64_t>(static_cast<int64_t>(denominator))
                           : static_cast<uint64_t>(denominator);
    uint64_t quotient = (magnitude + divisor / 2) / divisor;
    bool negative = (product < 0) != (denominator < 0);
    if (quotient > (negative ? static_cast<uint64_t>(INT_MAX) + 1 : static_cast<uint64_t>(INT_MAX)))
        return -1;
    return negative ? static_cast<int>(0 - static_cast<int64_t>(quotient))
                    : static_cast<int>(quotient);
}
