// Format: the framework's directives over an array of TVarRec.
#include "AnsiText.h"
#include "FloatText.h"

#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/FormatSettings.h>
#include <runpak/Strings.h>

#include <cstdio>

namespace {

class Formatter {
public:
    Formatter(std::u16string_view fmt, const TVarRec* args, size_t count, const TFormatSettings& fs)
        : FFormat(fmt), FArgs(args), FCount(count), FSettings(fs) {}

    UnicodeString Run();

private:
    [[noreturn]] void Invalid() const {
        throw EConvertError(u"Format '" + UnicodeString(FFormat) +
                            u"' invalid or incompatible with argument");
    }
    [[noreturn]] void Missing() const {
        throw EConvertError(u"No argument for format '" + UnicodeString(FFormat) + u"'");
    }
    const TVarRec& NextArg() {
        if (FArgIndex >= FCount) Missing();
        return FArgs[FArgIndex++];
    }
    // A number in the directive, or '*' for the next argument (an integer).
    bool ReadNumber(size_t& i, int& value);
    UnicodeString Convert(char16_t type, bool upper, const TVarRec& arg, int precision);
    UnicodeString Integer(const TVarRec& arg, int precision, bool isUnsigned);
    UnicodeString Hex(const TVarRec& arg, int precision, bool upper);
    UnicodeString Float(char16_t type, const TVarRec& arg, int precision);
    UnicodeString Text(const TVarRec& arg, int precision);

    std::u16string_view FFormat;
    const TVarRec* FArgs;
    size_t FCount;
    const TFormatSettings& FSettings;
    size_t FArgIndex = 0;
};

// Widths and precisions beyond this are refused rather than allocated.
constexpr long long kMaxWidth = 1000000;

bool Formatter::ReadNumber(size_t& i, int& value) {
    long long n = 0;
    if (i < FFormat.size() && FFormat[i] == u'*') {
        ++i;
        const TVarRec& arg = NextArg();
        if (arg.VType == TVarRec::vtInteger)
            n = arg.VInteger;
        else if (arg.VType == TVarRec::vtInt64)
            n = arg.VInt64;
        else if (arg.VType == TVarRec::vtUInt64 && arg.VUInt64 <= static_cast<uint64_t>(kMaxWidth))
            n = static_cast<long long>(arg.VUInt64);
        else
            Invalid();
        if (n > kMaxWidth || n < -kMaxWidth) Invalid();
        value = static_cast<int>(n);
        return true;
    }
    if (i >= FFormat.size() || FFormat[i] < u'0' || FFormat[i] > u'9') return false;
    while (i < FFormat.size() && FFormat[i] >= u'0' && FFormat[i] <= u'9') {
        n = n * 10 + (FFormat[i] - u'0');
        if (n > kMaxWidth) Invalid();
        ++i;
    }
    value = static_cast<int>(n);
    return true;
}

UnicodeString Formatter::Integer(const TVarRec& arg, int precision, bool isUnsigned) {
    UnicodeString digits;
    bool negative = false;
    switch (arg.VType) {
    case TVarRec::vtInteger:
        if (isUnsigned)
            digits = IntToStr(static_cast<unsigned>(arg.VInteger));
        else
            digits = IntToStr(arg.VInteger);
        break;
    case TVarRec::vtInt64:
        if (isUnsigned)
            digits = IntToStr(static_cast<unsigned long long>(arg.VInt64));
        else
            digits = IntToStr(static_cast<long long>(arg.VInt64));
        break;
    case TVarRec::vtUInt64:
        digits = IntToStr(static_cast<unsigned long long>(arg.VUInt64));
        break;
    default:
        Invalid();
    }
    if (!digits.empty() && digits[0] == u'-') {
        negative = true;
        digits.erase(0, 1);
    }
    if (precision > static_cast<int>(digits.size()))
        digits.insert(0, static_cast<size_t>(precision) - digits.size(), u'0');
    return negative ? u"-" + digits : digits;
}

UnicodeString Formatter::Hex(const TVarRec& arg, int precision, bool upper) {
    int digits = precision < 0 ? 0 : precision;
    UnicodeString text;
    switch (arg.VType) {
    case TVarRec::vtInteger:
        text = IntToHex(arg.VInteger, digits);
        break;
    case TVarRec::vtInt64:
        text = IntToHex(static_cast<long long>(arg.VInt64), digits);
        break;
    case TVarRec::vtUInt64:
        text = IntToHex(static_cast<unsigned long long>(arg.VUInt64), digits);
        break;
    default:
        Invalid();
    }
    return upper ? text : LowerCase(text);
}

UnicodeString Formatter::Float(char16_t type, const TVarRec& arg, int precision) {
    if (arg.VType != TVarRec::vtExtended) Invalid();
    long double v = arg.VExtended;
    switch (type) {
    case u'e':
        return FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3, FSettings);
    case u'g':
        return FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 3, FSettings);
    case u'f':
        return FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision, FSettings);
    case u'n':
        return FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision, FSettings);
    default:
        return FloatToStrF(v, ffCurrency, 18,
                           precision < 0 ? FSettings.CurrencyDecimals : precision, FSettings);
    }
}

UnicodeString Formatter::Text(const TVarRec& arg, int precision) {
    UnicodeString text;
    switch (arg.VType) {
    case TVarRec::vtPWideChar:
        text = arg.WideText();
        break;
    case TVarRec::vtAnsiString:
        text = runpak::AnsiToUnicode(arg.AnsiText());
        break;
    case TVarRec::vtWideChar:
        text = UnicodeString(1, arg.VWideChar);
        break;
    case TVarRec::vtChar:
        text = runpak::AnsiToUnicode(std::string_view(&arg.VChar, 1));
        break;
    default:
        Invalid();
    }
    if (precision >= 0 && static_cast<size_t>(precision) < text.size())
        text.resize(static_cast<size_t>(precision));
    return text;
}

UnicodeString Formatter::Convert(char16_t type, bool upper, const TVarRec& arg, int precision) {
    switch (type) {
    case u'd':
        return Integer(arg, precision, false);
    case u'u':
        return Integer(arg, precision, true);
    case u'x':
        return Hex(arg, precision, upper);
    case u'e':
    case u'f':
    case u'g':
    case u'n':
    case u'm':
        return Float(type, arg, precision);
    case u's':
        return Text(arg, precision);
    case u'p':
        if (arg.VType != TVarRec::vtPointer) Invalid();
        return IntToHex(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(arg.VPointer)),
                        static_cast<int>(sizeof(void*) * 2));
    default:
        Invalid();
    }
}

UnicodeString Formatter::Run() {
    UnicodeString out;
    out.reserve(FFormat.size() + 16);
    size_t i = 0;
    while (i < FFormat.size()) {
        char16_t c = FFormat[i++];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i >= FFormat.size()) Invalid();
        if (FFormat[i] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // [index:]
        int number = 0;
        bool haveNumber = ReadNumber(i, number);
        if (haveNumber && i < FFormat.size() && FFormat[i] == u':') {
            if (number < 0) Invalid();
            FArgIndex = static_cast<size_t>(number);
            ++i;
            haveNumber = false;
        }
        bool left = false;
        int width = -1;
        if (haveNumber) {
            width = number;
        } else {
            if (i < FFormat.size() && FFormat[i] == u'-') {
                left = true;
                ++i;
            }
            if (ReadNumber(i, number)) width = number;
        }
        int precision = -1;
        if (i < FFormat.size() && FFormat[i] == u'.') {
            ++i;
            if (!ReadNumber(i, precision)) precision = 0;
        }
        if (i >= FFormat.size()) Invalid();
        char16_t type = FFormat[i++];
        const bool upper = type >= u'A' && type <= u'Z';
        if (upper) type = static_cast<char16_t>(type + 32);
        UnicodeString text = Convert(type, upper, NextArg(), precision);
        if (width > static_cast<int>(text.size())) {
            size_t pad = static_cast<size_t>(width) - text.size();
            if (left)
                text.append(pad, u' ');
            else
                text.insert(0, pad, u' ');
        }
        out += text;
    }
    return out;
}

} // namespace

UnicodeString FormatV(std::u16string_view fmt, const TVarRec* args, size_t count,
                      const TFormatSettings& settings) {
    return Formatter(fmt, args, count, settings).Run();
}

UnicodeString FormatV(std::u16string_view fmt, const TVarRec* args, size_t count) {
    return FormatV(fmt, args, count, FormatSettings());
}
