// Floating-point values to and from text.
#include "FloatText.h"

#include <runpak/Exceptions.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace runpak {

namespace {

// Rounds the digit string to keep digits, half away from zero.
void RoundDigits(TFloatRec& rec, int keep) {
    if (keep >= static_cast<int>(rec.Digits.size())) return;
    if (keep < 0) {
        rec.Digits.clear();
        return;
    }
    bool up = rec.Digits[static_cast<size_t>(keep)] >= '5';
    rec.Digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && rec.Digits[static_cast<size_t>(i)] == '9') {
            rec.Digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++rec.Digits[static_cast<size_t>(i)];
        } else {
            rec.Digits.insert(rec.Digits.begin(), '1');
            ++rec.Exponent;
        }
    }
    while (!rec.Digits.empty() && rec.Digits.back() == '0')
        rec.Digits.pop_back();
}

} // namespace

TFloatRec FloatToDecimal(long double value, int precision, int decimals) {
    TFloatRec rec;
    rec.Negative = std::signbit(value);
    long double magnitude = std::fabs(value);
    if (magnitude == 0 || !std::isfinite(magnitude)) return rec;
    // 18 significant digits, as the framework's extended type carries; the
    // decimal rounding below then rounds half away from zero on those.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", magnitude);
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') rec.Digits.push_back(*p);
    rec.Exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
    while (!rec.Digits.empty() && rec.Digits.back() == '0')
        rec.Digits.pop_back();

    if (precision > 18) precision = 18;
    if (precision < 1) precision = 1;
    // One rounding to whichever limit leaves fewer digits: rounding twice
    // would turn 1.00499... into 1.005 and then into 1.01.
    int keep = precision;
    if (decimals < 9999 && rec.Exponent + decimals < keep) keep = rec.Exponent + decimals;
    RoundDigits(rec, keep);
    if (rec.Digits.empty()) rec.Exponent = 0;
    return rec;
}

UnicodeString NonFiniteText(long double value) {
    if (std::isnan(value)) return u"NAN";
    if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
    return {};
}

UnicodeString GroupThousands(const UnicodeString& digits, char16_t separator) {
    UnicodeString out;
    size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        out += digits[i];
        size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0 && separator) out += separator;
    }
    return out;
}

} // namespace runpak

using runpak::TFloatRec;

namespace {

UnicodeString Ascii(const std::string& s) {
    return UnicodeString(s.begin(), s.end());
}

// "E+003": the exponent with its sign (always with plus, or minus only) and
// at least minDigits digits.
UnicodeString ExponentText(int exponent, int minDigits, bool plus) {
    UnicodeString out = u"E";
    if (exponent < 0)
        out += u'-';
    else if (plus)
        out += u'+';
    UnicodeString digits = IntToStr(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), u'0');
    return out + digits;
}

UnicodeString Scientific(const TFloatRec& rec, int mantissaDigits, int expDigits, bool plus,
                         char16_t decimal) {
    std::string digits = rec.Digits.empty() ? "0" : rec.Digits;
    if (static_cast<int>(digits.size()) < mantissaDigits)
        digits.resize(static_cast<size_t>(mantissaDigits), '0');
    UnicodeString out;
    if (rec.Negative && !rec.Digits.empty()) out += u'-';
    out += static_cast<char16_t>(digits[0]);
    if (digits.size() > 1) {
        out += decimal;
        out += Ascii(digits.substr(1));
    }
    return out + ExponentText(rec.Digits.empty() ? 0 : rec.Exponent - 1, expDigits, plus);
}

// Integer and fraction digits of rec, the fraction padded to decimals
// digits (or as many as there are, when decimals < 0).
void SplitDigits(const TFloatRec& rec, int decimals, UnicodeString& whole,
                 UnicodeString& fraction) {
    const std::string& d = rec.Digits;
    int e = rec.Exponent;
    whole.clear();
    fraction.clear();
    if (e > 0) {
        for (int i = 0; i < e; ++i)
            whole += i < static_cast<int>(d.size()) ? char16_t(d[static_cast<size_t>(i)]) : u'0';
    } else {
        whole = u"0";
    }
    for (int i = e; i < static_cast<int>(d.size()); ++i) {
        if (i < 0)
            fraction += u'0';
        else
            fraction += static_cast<char16_t>(d[static_cast<size_t>(i)]);
    }
    if (decimals >= 0 && static_cast<int>(fraction.size()) < decimals)
        fraction.append(static_cast<size_t>(decimals) - fraction.size(), u'0');
}

UnicodeString General(const TFloatRec& rec, int precision, int expDigits, char16_t decimal) {
    if (rec.Digits.empty()) return u"0";
    if (rec.Exponent > precision || rec.Exponent < -3)
        return Scientific(rec, 0, expDigits, false, decimal);
    UnicodeString whole, fraction;
    SplitDigits(rec, -1, whole, fraction);
    UnicodeString out = rec.Negative ? u"-" : u"";
    out += whole;
    if (!fraction.empty()) out += decimal + fraction;
    return out;
}

UnicodeString Currency(const UnicodeString& amount, bool negative, const TFormatSettings& fs) {
    const UnicodeString& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1:
            return amount + c;
        case 2:
            return c + u" " + amount;
        case 3:
            return amount + u" " + c;
        default:
            return c + amount;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1:
        return u"-" + c + amount;
    case 2:
        return c + u"-" + amount;
    case 3:
        return c + amount + u"-";
    case 4:
        return u"(" + amount + c + u")";
    case 5:
        return u"-" + amount + c;
    case 6:
        return amount + u"-" + c;
    case 7:
        return amount + c + u"-";
    case 8:
        return u"-" + amount + u" " + c;
    case 9:
        return u"-" + c + u" " + amount;
    case 10:
        return amount + u" " + c + u"-";
    case 11:
        return c + u" " + amount + u"-";
    case 12:
        return c + u" -" + amount;
    case 13:
        return amount + u"- " + c;
    case 14:
        return u"(" + c + u" " + amount + u")";
    case 15:
        return u"(" + amount + u" " + c + u")";
    default:
        return u"(" + c + amount + u")";
    }
}

} // namespace

UnicodeString FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                          const TFormatSettings& fs) {
    UnicodeString special = runpak::NonFiniteText(value);
    if (!special.empty()) return special;
    if (precision > 18) precision = 18;
    if (precision < 1) precision = 1;
    if (digits < 0) digits = 0;
    switch (format) {
    case ffGeneral:
        return General(runpak::FloatToDecimal(value, precision, 9999), precision, digits,
                       fs.DecimalSeparator);
    case ffExponent:
        return Scientific(runpak::FloatToDecimal(value, precision, 9999), precision, digits, true,
                          fs.DecimalSeparator);
    default:
        break;
    }
    if (digits > 18) digits = 18;
    TFloatRec rec = runpak::FloatToDecimal(value, precision, digits);
    // Too many digits before the point to show them all: scientific instead.
    if (rec.Exponent > precision)
        return General(runpak::FloatToDecimal(value, precision, 9999), precision, 0,
                       fs.DecimalSeparator);
    UnicodeString whole, fraction;
    SplitDigits(rec, digits, whole, fraction);
    fraction.resize(static_cast<size_t>(digits));
    if (format != ffFixed) whole = runpak::GroupThousands(whole, fs.ThousandSeparator);
    UnicodeString amount = whole;
    if (digits > 0) amount += fs.DecimalSeparator + fraction;
    bool negative = rec.Negative && !rec.Digits.empty();
    if (format == ffCurrency) return Currency(amount, negative, fs);
    return negative ? u"-" + amount : amount;
}

UnicodeString FloatToStrF(long double value, TFloatFormat format, int precision, int digits) {
    return FloatToStrF(value, format, precision, digits, FormatSettings());
}

UnicodeString FloatToStr(long double value, const TFormatSettings& settings) {
    return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

UnicodeString FloatToStr(long double value) {
    return FloatToStr(value, FormatSettings());
}

UnicodeString CurrToStr(long double value) {
    return FloatToStrF(value, ffGeneral, 18, 0);
}

UnicodeString CurrToStrF(long double value, TFloatFormat format, int digits) {
    return FloatToStrF(value, format, 18, digits);
}

// ---- Text to float ------------------------------------------------------------------

namespace {

locale_t CLocale() {
    static locale_t locale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    return locale;
}

} // namespace

bool TryStrToFloat(const UnicodeString& s, long double& value, const TFormatSettings& fs) {
    UnicodeString t = Trim(s);
    if (SameText(t, u"NAN")) {
        value = NAN;
        return true;
    }
    if (SameText(t, u"INF") || SameText(t, u"+INF")) {
        value = INFINITY;
        return true;
    }
    if (SameText(t, u"-INF")) {
        value = -INFINITY;
        return true;
    }
    // Checked by hand so that strtold sees only the plain C form.
    std::string plain;
    size_t i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) plain += static_cast<char>(t[i++]);
    int mantissaDigits = 0;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') {
        plain += static_cast<char>(t[i++]);
        ++mantissaDigits;
    }
    if (i < t.size() && t[i] == fs.DecimalSeparator) {
        plain += '.';
        ++i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') {
            plain += static_cast<char>(t[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        plain += 'e';
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) plain += static_cast<char>(t[i++]);
        int expDigits = 0;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') {
            plain += static_cast<char>(t[i++]);
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != t.size()) return false;
    locale_t c = CLocale();
    long double v = c ? strtold_l(plain.c_str(), nullptr, c) : std::strtold(plain.c_str(), nullptr);
    if (std::isinf(v)) return false; // out of range
    value = v;
    return true;
}

bool TryStrToFloat(const UnicodeString& s, long double& value) {
    return TryStrToFloat(s, value, FormatSettings());
}

bool TryStrToFloat(const UnicodeString& s, double& value) {
    long double v;
    if (!TryStrToFloat(s, v)) return false;
    value = static_cast<double>(v);
    return true;
}

long double StrToFloat(const UnicodeString& s, const TFormatSettings& settings) {
    long double value;
    if (!TryStrToFloat(s, value, settings))
        throw EConvertError(u"'" + s + u"' is not a valid floating point value");
    return value;
}

long double StrToFloat(const UnicodeString& s) {
    return StrToFloat(s, FormatSettings());
}

long double StrToFloatDef(const UnicodeString& s, long double fallback) {
    long double value;
    return TryStrToFloat(s, value) ? value : fallback;
}
