// FormatFloat: picture formats such as "0.00", "#,##0.##" and "0.###E+00".
#include "FloatText.h"

#include <runpak/Strings.h>

#include <cmath>
#include <vector>

namespace {

// Splits fmt at ';' outside quoted text.
std::vector<UnicodeString> Sections(const UnicodeString& fmt) {
    std::vector<UnicodeString> out(1);
    char16_t quote = 0;
    for (char16_t c : fmt) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

bool IsExponentAt(const UnicodeString& s, size_t i) {
    return (s[i] == u'E' || s[i] == u'e') && i + 1 < s.size() &&
           (s[i + 1] == u'+' || s[i + 1] == u'-');
}

// What a section asks for, read once before the digits are placed.
struct Picture {
    int intPlaces = 0;     // '0' and '#' before the point
    int minIntDigits = 0;  // from the first '0' before the point
    int fracPlaces = 0;    // '0' and '#' after the point
    int minFracDigits = 0; // up to the last '0' after the point
    bool thousands = false;
    bool scientific = false;
    int expDigits = 0;
};

Picture Analyse(const UnicodeString& s) {
    Picture p;
    bool afterPoint = false;
    bool seenIntZero = false;
    char16_t quote = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                ++p.fracPlaces;
                if (c == u'0') p.minFracDigits = p.fracPlaces;
            } else {
                ++p.intPlaces;
                if (c == u'0') seenIntZero = true;
                if (seenIntZero) ++p.minIntDigits;
            }
        } else if (c == u'.') {
            afterPoint = true;
        } else if (c == u',') {
            if (!afterPoint && p.intPlaces > 0) p.thousands = true;
        } else if (IsExponentAt(s, i)) {
            p.scientific = true;
            i += 2;
            while (i < s.size() && s[i] == u'0') {
                ++p.expDigits;
                ++i;
            }
            --i;
            break; // everything after the exponent is literal text
        }
    }
    return p;
}

UnicodeString Ascii(const std::string& s) {
    return UnicodeString(s.begin(), s.end());
}

} // namespace

UnicodeString FormatFloat(const UnicodeString& format, long double value,
                          const TFormatSettings& fs) {
    UnicodeString special = runpak::NonFiniteText(value);
    if (!special.empty()) return special;
    if (format.empty()) return FloatToStrF(value, ffGeneral, 15, 0, fs);

    std::vector<UnicodeString> sections = Sections(format);
    UnicodeString section = sections[0];
    bool writeSign = value < 0;
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        section = sections[1];
        writeSign = false;
    } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
        section = sections[2];
    }
    long double magnitude = std::fabs(value);
    Picture p = Analyse(section);

    // Digits before and after the point, and the exponent when scientific.
    UnicodeString whole, fraction;
    int exponent = 0;
    runpak::TFloatRec rec;
    if (p.scientific) {
        int places = p.intPlaces < 1 ? 1 : p.intPlaces;
        rec = runpak::FloatToDecimal(magnitude, places + p.fracPlaces, 9999);
        std::string d = rec.Digits;
        if (!d.empty()) exponent = rec.Exponent - places;
        d.resize(static_cast<size_t>(places) + d.size(), '0');
        whole = Ascii(d.substr(0, static_cast<size_t>(places)));
        fraction = Ascii(d.substr(static_cast<size_t>(places)));
        fraction.resize(static_cast<size_t>(p.fracPlaces), u'0');
        // Leading zeros of the whole part only as '0' places ask for them.
        while (static_cast<int>(whole.size()) > p.minIntDigits && !whole.empty() &&
               whole[0] == u'0')
            whole.erase(0, 1);
    } else {
        rec = runpak::FloatToDecimal(magnitude, 18, p.fracPlaces);
        const std::string& d = rec.Digits;
        for (int i = 0; i < rec.Exponent; ++i)
            whole += i < static_cast<int>(d.size()) ? char16_t(d[static_cast<size_t>(i)]) : u'0';
        for (int i = rec.Exponent; i < static_cast<int>(d.size()); ++i)
            fraction += i < 0 ? u'0' : char16_t(d[static_cast<size_t>(i)]);
    }
    if (static_cast<int>(whole.size()) < p.minIntDigits)
        whole.insert(0, static_cast<size_t>(p.minIntDigits) - whole.size(), u'0');
    while (static_cast<int>(fraction.size()) > p.minFracDigits && fraction.back() == u'0')
        fraction.pop_back();
    if (static_cast<int>(fraction.size()) < p.minFracDigits)
        fraction.append(static_cast<size_t>(p.minFracDigits) - fraction.size(), u'0');

    // Place the digits into the picture.
    UnicodeString out;
    if (writeSign && !rec.Digits.empty()) out += u'-';
    const int wholeLen = static_cast<int>(whole.size());
    auto putWholeDigit = [&](int index) {
        out += whole[static_cast<size_t>(index)];
        int right = wholeLen - 1 - index;
        if (p.thousands && right > 0 && right % 3 == 0) out += fs.ThousandSeparator;
    };
    int intPlace = 0, fracPlace = 0;
    bool afterPoint = false;
    char16_t quote = 0;
    for (size_t i = 0; i < section.size(); ++i) {
        char16_t c = section[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if ((c == u'0' || c == u'#') && !afterPoint) {
            if (intPlace == 0)
                for (int k = 0; k < wholeLen - p.intPlaces; ++k)
                    putWholeDigit(k);
            int right = p.intPlaces - 1 - intPlace;
            if (right < wholeLen) putWholeDigit(wholeLen - 1 - right);
            ++intPlace;
        } else if (c == u'0' || c == u'#') {
            if (fracPlace < static_cast<int>(fraction.size()))
                out += fraction[static_cast<size_t>(fracPlace)];
            ++fracPlace;
        } else if (c == u'.') {
            if (!afterPoint && !fraction.empty()) out += fs.DecimalSeparator;
            afterPoint = true;
        } else if (c == u',') {
            // Thousand separators come from the digits above.
        } else if (p.scientific && IsExponentAt(section, i)) {
            out += c;
            bool plus = section[i + 1] == u'+';
            if (exponent < 0)
                out += u'-';
            else if (plus)
                out += u'+';
            UnicodeString digits = IntToStr(exponent < 0 ? -exponent : exponent);
            if (static_cast<int>(digits.size()) < p.expDigits)
                digits.insert(0, static_cast<size_t>(p.expDigits) - digits.size(), u'0');
            out += digits;
            i += 2;
            while (i < section.size() && section[i] == u'0')
                ++i;
            --i;
            afterPoint = true;
        } else {
            out += c;
        }
    }
    return out;
}

UnicodeString FormatFloat(const UnicodeString& format, long double value) {
    return FormatFloat(format, value, FormatSettings());
}
