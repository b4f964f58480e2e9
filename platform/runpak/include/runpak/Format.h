// Format(fmt, args...): the framework's formatting of a list of values.
//
//   Format(u"%s=%d", name, 42)     Format(u"%1:s %0:s", a, b)     Format(u"%*.*f", 8, 2, x)
//
// Directives: %[index:][-][width][.precision]type, where index, width and
// precision may be '*' (taken from the next argument). Type letters are
// case-insensitive, except that X writes upper-case hex digits:
//   d  decimal integer; precision = minimum digits (zero padded)
//   u  unsigned decimal (negative 32-bit values as 32-bit unsigned)
//   x  hexadecimal, lower-case digits (upper-case with X); precision = minimum digits
//   e  scientific, precision = significant digits (default 15), "1.5E+003"
//   f  fixed, precision = decimals (default 2)
//   g  general, shortest of fixed and scientific (default 15 digits); the
//      scientific form has no '+' and at least three exponent digits: "1E020"
//   n  fixed with thousand separators (default 2 decimals)
//   m  money, as the settings' currency format (default CurrencyDecimals)
//   p  pointer as 16 upper-case hex digits
//   s  string or character; precision = maximum characters
//   %% a percent sign
// The width pads with blanks on the left, or on the right after '-'; a
// leading zero in the width does not pad with zeros (use the precision).
// A directive whose argument has the wrong kind, or an unknown directive,
// raises EConvertError "Format '<fmt>' invalid or incompatible with argument";
// a missing argument raises "No argument for format '<fmt>'".
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct TFormatSettings;

// One argument of Format: a small tagged record, as the framework's open
// array of constants. Strings are referenced, not copied: a TVarRec lives
// no longer than the expression that made it.
struct TVarRec {
    enum Kind : unsigned char {
        vtInteger,    // VInteger (32-bit signed)
        vtInt64,      // VInt64
        vtUInt64,     // VUInt64 (unsigned 32 and 64-bit)
        vtBoolean,    // VBoolean
        vtChar,       // VChar: one 8-bit character
        vtWideChar,   // VWideChar
        vtExtended,   // VExtended: every floating kind
        vtPointer,    // VPointer
        vtPWideChar,  // VText/VLength: UTF-16 text (UnicodeString or char16_t*)
        vtAnsiString, // VText/VLength: 8-bit text in the ANSI code page
    };

    Kind VType;
    union {
        int32_t VInteger;
        int64_t VInt64;
        uint64_t VUInt64;
        bool VBoolean;
        char VChar;
        char16_t VWideChar;
        long double VExtended;
        const void* VPointer;
        const void* VText;
    };
    size_t VLength = 0;

    TVarRec(int v) : VType(vtInteger), VInteger(v) {}
    TVarRec(short v) : VType(vtInteger), VInteger(v) {}
    TVarRec(signed char v) : VType(vtInteger), VInteger(v) {}
    TVarRec(unsigned char v) : VType(vtInteger), VInteger(v) {}
    TVarRec(unsigned short v) : VType(vtInteger), VInteger(v) {}
    TVarRec(long v) : VType(vtInt64), VInt64(v) {}
    TVarRec(long long v) : VType(vtInt64), VInt64(v) {}
    TVarRec(unsigned v) : VType(vtUInt64), VUInt64(v) {}
    TVarRec(unsigned long v) : VType(vtUInt64), VUInt64(v) {}
    TVarRec(unsigned long long v) : VType(vtUInt64), VUInt64(v) {}
    TVarRec(bool v) : VType(vtBoolean), VBoolean(v) {}
    TVarRec(char v) : VType(vtChar), VChar(v) {}
    TVarRec(char16_t v) : VType(vtWideChar), VWideChar(v) {}
    TVarRec(float v) : VType(vtExtended), VExtended(v) {}
    TVarRec(double v) : VType(vtExtended), VExtended(v) {}
    TVarRec(long double v) : VType(vtExtended), VExtended(v) {}
    TVarRec(const char16_t* s)
        : VType(vtPWideChar), VText(s), VLength(s ? std::char_traits<char16_t>::length(s) : 0) {}
    TVarRec(const UnicodeString& s) : VType(vtPWideChar), VText(s.data()), VLength(s.size()) {}
    TVarRec(std::u16string_view s) : VType(vtPWideChar), VText(s.data()), VLength(s.size()) {}
    TVarRec(const char* s)
        : VType(vtAnsiString), VText(s), VLength(s ? std::char_traits<char>::length(s) : 0) {}
    TVarRec(const std::string& s) : VType(vtAnsiString), VText(s.data()), VLength(s.size()) {}
    TVarRec(std::string_view s) : VType(vtAnsiString), VText(s.data()), VLength(s.size()) {}
    template <class T> TVarRec(const T* p) : VType(vtPointer), VPointer(p) {}
    TVarRec(std::nullptr_t) : VType(vtPointer), VPointer(nullptr) {}

    std::u16string_view WideText() const { return {static_cast<const char16_t*>(VText), VLength}; }
    std::string_view AnsiText() const { return {static_cast<const char*>(VText), VLength}; }
};

// The work of Format, over an array of arguments.
UnicodeString FormatV(std::u16string_view fmt, const TVarRec* args, size_t count);
UnicodeString FormatV(std::u16string_view fmt, const TVarRec* args, size_t count,
                      const TFormatSettings& settings);

inline UnicodeString Format(std::u16string_view fmt) {
    return FormatV(fmt, nullptr, 0);
}

template <class... Args> UnicodeString Format(std::u16string_view fmt, const Args&... args) {
    const TVarRec list[] = {TVarRec(args)...};
    return FormatV(fmt, list, sizeof...(Args));
}

// Format with explicit settings; the settings come first because the
// argument list is open.
template <class... Args>
UnicodeString FormatS(const TFormatSettings& settings, std::u16string_view fmt,
                      const Args&... args) {
    const TVarRec list[] = {TVarRec(args)..., TVarRec(0)};
    return FormatV(fmt, list, sizeof...(Args), settings);
}

#pragma GCC visibility pop
