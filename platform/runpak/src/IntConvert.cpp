// Integers and booleans to and from text.
#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <limits>

namespace {

UnicodeString Digits(unsigned long long magnitude, bool negative) {
    char16_t buffer[24];
    char16_t* end = buffer + 24;
    char16_t* p = end;
    do {
        *--p = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--p = u'-';
    return UnicodeString(p, end);
}

UnicodeString Signed(long long v) {
    unsigned long long magnitude =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    return Digits(magnitude, v < 0);
}

UnicodeString Hex(unsigned long long v, int digits) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    UnicodeString out;
    do {
        out.insert(out.begin(), kDigits[v & 15]);
        v >>= 4;
    } while (v != 0);
    if (digits > static_cast<int>(out.size()))
        out.insert(0, static_cast<size_t>(digits) - out.size(), u'0');
    return out;
}

// Reads an integer as the framework's Val does: leading blanks, a sign, then
// decimal digits or hex digits after "$", "0x" or "x"; nothing may follow.
// The magnitude must fit in limit; hex may use the full unsigned width of
// the type (hexLimit).
bool ParseInteger(const UnicodeString& s, unsigned long long limitPositive,
                  unsigned long long limitNegative, unsigned long long hexLimit, bool& negative,
                  unsigned long long& magnitude) {
    size_t i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    } else if (i < s.size() && (s[i] == u'x' || s[i] == u'X')) {
        hex = true;
        ++i;
    }
    if (i >= s.size()) return false;
    unsigned long long limit = hex ? hexLimit : (negative ? limitNegative : limitPositive);
    unsigned base = hex ? 16 : 10;
    magnitude = 0;
    for (; i < s.size(); ++i) {
        char16_t c = s[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        if (digit > limit || magnitude > (limit - digit) / base) return false;
        magnitude = magnitude * base + digit;
    }
    return true;
}

template <class T> bool TryParseSigned(const UnicodeString& s, T& value) {
    using U = std::make_unsigned_t<T>;
    const unsigned long long maxPos =
        static_cast<unsigned long long>(std::numeric_limits<T>::max());
    bool negative;
    unsigned long long magnitude;
    if (!ParseInteger(s, maxPos, maxPos + 1, std::numeric_limits<U>::max(), negative, magnitude))
        return false;
    // Two's complement wrap: "$FFFFFFFF" is -1, "-1" is -1.
    U bits = static_cast<U>(magnitude);
    if (negative) bits = static_cast<U>(U(0) - bits);
    value = static_cast<T>(bits);
    return true;
}

template <class T> bool TryParseUnsigned(const UnicodeString& s, T& value) {
    const unsigned long long max = std::numeric_limits<T>::max();
    bool negative;
    unsigned long long magnitude;
    if (!ParseInteger(s, max, 0, max, negative, magnitude)) return false;
    if (negative && magnitude != 0) return false;
    value = static_cast<T>(magnitude);
    return true;
}

[[noreturn]] void InvalidInteger(const UnicodeString& s) {
    throw EConvertError(u"'" + s + u"' is not a valid integer value");
}

} // namespace

UnicodeString IntToStr(int value) {
    return Signed(value);
}
UnicodeString IntToStr(long value) {
    return Signed(value);
}
UnicodeString IntToStr(long long value) {
    return Signed(value);
}
UnicodeString IntToStr(unsigned value) {
    return Digits(value, false);
}
UnicodeString IntToStr(unsigned long value) {
    return Digits(value, false);
}
UnicodeString IntToStr(unsigned long long value) {
    return Digits(value, false);
}
UnicodeString UIntToStr(unsigned long long value) {
    return Digits(value, false);
}

UnicodeString IntToHex(int value, int digits) {
    return Hex(static_cast<unsigned>(value), digits);
}
UnicodeString IntToHex(long value, int digits) {
    return Hex(static_cast<unsigned long>(value), digits);
}
UnicodeString IntToHex(long long value, int digits) {
    return Hex(static_cast<unsigned long long>(value), digits);
}
UnicodeString IntToHex(unsigned value, int digits) {
    return Hex(value, digits);
}
UnicodeString IntToHex(unsigned long value, int digits) {
    return Hex(value, digits);
}
UnicodeString IntToHex(unsigned long long value, int digits) {
    return Hex(value, digits);
}

bool TryStrToInt(const UnicodeString& s, int& value) {
    return TryParseSigned(s, value);
}

int StrToInt(const UnicodeString& s) {
    int value;
    if (!TryStrToInt(s, value)) InvalidInteger(s);
    return value;
}

int StrToIntDef(const UnicodeString& s, int fallback) {
    int value;
    return TryStrToInt(s, value) ? value : fallback;
}

bool TryStrToInt64(const UnicodeString& s, int64_t& value) {
    return TryParseSigned(s, value);
}

int64_t StrToInt64(const UnicodeString& s) {
    int64_t value;
    if (!TryStrToInt64(s, value)) InvalidInteger(s);
    return value;
}

int64_t StrToInt64Def(const UnicodeString& s, int64_t fallback) {
    int64_t value;
    return TryStrToInt64(s, value) ? value : fallback;
}

bool TryStrToUInt(const UnicodeString& s, unsigned& value) {
    return TryParseUnsigned(s, value);
}

unsigned StrToUInt(const UnicodeString& s) {
    unsigned value;
    if (!TryStrToUInt(s, value)) InvalidInteger(s);
    return value;
}

unsigned StrToUIntDef(const UnicodeString& s, unsigned fallback) {
    unsigned value;
    return TryStrToUInt(s, value) ? value : fallback;
}

bool TryStrToUInt64(const UnicodeString& s, uint64_t& value) {
    return TryParseUnsigned(s, value);
}

uint64_t StrToUInt64(const UnicodeString& s) {
    uint64_t value;
    if (!TryStrToUInt64(s, value)) InvalidInteger(s);
    return value;
}

// ---- Booleans ------------------------------------------------------------------------

UnicodeString BoolToStr(bool value, bool useBoolStrs) {
    if (useBoolStrs) return value ? u"True" : u"False";
    return value ? u"-1" : u"0";
}

bool TryStrToBool(const UnicodeString& s, bool& value) {
    if (SameText(s, u"True")) {
        value = true;
        return true;
    }
    if (SameText(s, u"False")) {
        value = false;
        return true;
    }
    long double number;
    if (!TryStrToFloat(s, number)) return false;
    value = number != 0;
    return true;
}

bool StrToBool(const UnicodeString& s) {
    bool value;
    if (!TryStrToBool(s, value)) throw EConvertError(u"'" + s + u"' is not a valid boolean value");
    return value;
}

bool StrToBoolDef(const UnicodeString& s, bool fallback) {
    bool value;
    return TryStrToBool(s, value) ? value : fallback;
}
