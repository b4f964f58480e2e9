// Search, edit, trimming, case mapping, comparison and quoting.
#include "CaseMap.h"

#include <runpak/Strings.h>

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace runpak {

namespace {

// glibc's case tables through a UTF-8 C locale, made once on first use and
// kept for the life of the process. Without it, case mapping stays ASCII.
locale_t CaseLocale() {
    static locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
        if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", locale_t(0));
        return l;
    }();
    return locale;
}

} // namespace

char32_t ToUpperCodePoint(char32_t cp) {
    if (cp < 0x80) return cp >= U'a' && cp <= U'z' ? cp - 32 : cp;
    locale_t l = CaseLocale();
    return l ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), l)) : cp;
}

char32_t ToLowerCodePoint(char32_t cp) {
    if (cp < 0x80) return cp >= U'A' && cp <= U'Z' ? cp + 32 : cp;
    locale_t l = CaseLocale();
    return l ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), l)) : cp;
}

} // namespace runpak

namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point at s[i] and the number of units it takes.
char32_t CodePointAt(const UnicodeString& s, size_t i, size_t& units) {
    if (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
        units = 2;
        return 0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    }
    units = 1;
    return s[i];
}

// Maps every code point with map, keeping the length: a mapping that would
// change the number of UTF-16 units is not applied.
UnicodeString MapCase(const UnicodeString& s, char32_t (*map)(char32_t)) {
    UnicodeString out = s;
    for (size_t i = 0; i < out.size();) {
        size_t units;
        char32_t cp = CodePointAt(out, i, units);
        char32_t mapped = map(cp);
        if (mapped != cp && (mapped >= 0x10000) == (units == 2)) {
            if (units == 1) {
                out[i] = static_cast<char16_t>(mapped);
            } else {
                mapped -= 0x10000;
                out[i] = static_cast<char16_t>(0xD800 + (mapped >> 10));
                out[i + 1] = static_cast<char16_t>(0xDC00 + (mapped & 0x3FF));
            }
        }
        i += units;
    }
    return out;
}

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - 32 : c;
}

int Sign(long long v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

// Compares code point by code point after mapping each through fold.
int CompareFolded(const UnicodeString& a, const UnicodeString& b, char32_t (*fold)(char32_t)) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        size_t ua, ub;
        char32_t ca = fold(CodePointAt(a, i, ua));
        char32_t cb = fold(CodePointAt(b, j, ub));
        if (ca != cb) return ca < cb ? -1 : 1;
        i += ua;
        j += ub;
    }
    return Sign(static_cast<long long>(a.size() - i) - static_cast<long long>(b.size() - j));
}

char32_t Identity(char32_t c) {
    return c;
}

} // namespace

// ---- Search and edit ---------------------------------------------------------

int Pos(const UnicodeString& sub, const UnicodeString& s) {
    return PosEx(sub, s, 1);
}

int PosEx(const UnicodeString& sub, const UnicodeString& s, int offset) {
    if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
    size_t at = s.find(sub, static_cast<size_t>(offset - 1));
    return at == UnicodeString::npos ? 0 : static_cast<int>(at) + 1;
}

UnicodeString Copy(const UnicodeString& s, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<size_t>(index) > s.size()) return {};
    return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

UnicodeString Copy(const UnicodeString& s, int index) {
    if (index < 1) index = 1;
    if (static_cast<size_t>(index) > s.size()) return {};
    return s.substr(static_cast<size_t>(index - 1));
}

void Delete(UnicodeString& s, int index, int count) {
    if (index < 1 || count <= 0 || static_cast<size_t>(index) > s.size()) return;
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(const UnicodeString& source, UnicodeString& s, int index) {
    if (index < 1) index = 1;
    size_t at = std::min(static_cast<size_t>(index - 1), s.size());
    s.insert(at, source);
}

UnicodeString StringReplace(const UnicodeString& s, const UnicodeString& oldPattern,
                            const UnicodeString& newPattern, TReplaceFlags flags) {
    if (oldPattern.empty()) return s;
    bool ignoreCase = flags.Contains(rfIgnoreCase);
    // Upper-casing keeps the length, so positions in the folded text are
    // positions in the original.
    const UnicodeString haystack = ignoreCase ? AnsiUpperCase(s) : s;
    const UnicodeString needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    UnicodeString out;
    size_t from = 0;
    while (from <= s.size()) {
        size_t at = haystack.find(needle, from);
        if (at == UnicodeString::npos) break;
        out.append(s, from, at - from);
        out += newPattern;
        from = at + needle.size();
        if (!flags.Contains(rfReplaceAll)) break;
    }
    if (from < s.size()) out.append(s, from, UnicodeString::npos);
    return out;
}

UnicodeString StringOfChar(char16_t ch, int count) {
    return count > 0 ? UnicodeString(static_cast<size_t>(count), ch) : UnicodeString();
}

UnicodeString DupeString(const UnicodeString& s, int count) {
    UnicodeString out;
    if (count <= 0) return out;
    out.reserve(s.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out += s;
    return out;
}

// ---- Trimming ------------------------------------------------------------------

UnicodeString Trim(const UnicodeString& s) {
    size_t first = 0, last = s.size();
    while (first < last && s[first] <= u' ')
        ++first;
    while (last > first && s[last - 1] <= u' ')
        --last;
    return s.substr(first, last - first);
}

UnicodeString TrimLeft(const UnicodeString& s) {
    size_t first = 0;
    while (first < s.size() && s[first] <= u' ')
        ++first;
    return s.substr(first);
}

UnicodeString TrimRight(const UnicodeString& s) {
    size_t last = s.size();
    while (last > 0 && s[last - 1] <= u' ')
        --last;
    return s.substr(0, last);
}

// ---- Case mapping ----------------------------------------------------------------

char16_t UpCase(char16_t ch) {
    return AsciiUpper(ch);
}

UnicodeString UpperCase(const UnicodeString& s) {
    UnicodeString out = s;
    for (char16_t& c : out)
        c = AsciiUpper(c);
    return out;
}

UnicodeString LowerCase(const UnicodeString& s) {
    UnicodeString out = s;
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c += 32;
    return out;
}

UnicodeString AnsiUpperCase(const UnicodeString& s) {
    return MapCase(s, runpak::ToUpperCodePoint);
}
UnicodeString AnsiLowerCase(const UnicodeString& s) {
    return MapCase(s, runpak::ToLowerCodePoint);
}

// ---- Comparison --------------------------------------------------------------------

int CompareStr(const UnicodeString& a, const UnicodeString& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return int(a[i]) - int(b[i]);
    return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

int CompareText(const UnicodeString& a, const UnicodeString& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t ca = AsciiUpper(a[i]), cb = AsciiUpper(b[i]);
        if (ca != cb) return int(ca) - int(cb);
    }
    return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

int AnsiCompareStr(const UnicodeString& a, const UnicodeString& b) {
    int primary = CompareFolded(a, b, runpak::ToLowerCodePoint);
    if (primary != 0) return primary;
    // Same letters: at the first difference in case, lower case comes first.
    size_t i = 0;
    while (i < a.size() && i < b.size()) {
        size_t ua, ub;
        char32_t ca = CodePointAt(a, i, ua);
        char32_t cb = CodePointAt(b, i, ub);
        if (ca != cb) {
            bool aLower = runpak::ToLowerCodePoint(ca) == ca;
            bool bLower = runpak::ToLowerCodePoint(cb) == cb;
            if (aLower != bLower) return aLower ? -1 : 1;
            return ca < cb ? -1 : 1;
        }
        i += ua;
    }
    return CompareFolded(a, b, Identity);
}

int AnsiCompareText(const UnicodeString& a, const UnicodeString& b) {
    return CompareFolded(a, b, runpak::ToUpperCodePoint);
}

bool SameStr(const UnicodeString& a, const UnicodeString& b) {
    return a == b;
}
bool SameText(const UnicodeString& a, const UnicodeString& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}
bool AnsiSameStr(const UnicodeString& a, const UnicodeString& b) {
    return a == b;
}
bool AnsiSameText(const UnicodeString& a, const UnicodeString& b) {
    return AnsiCompareText(a, b) == 0;
}

bool StartsStr(const UnicodeString& subText, const UnicodeString& text) {
    return text.size() >= subText.size() && text.compare(0, subText.size(), subText) == 0;
}

bool EndsStr(const UnicodeString& subText, const UnicodeString& text) {
    return text.size() >= subText.size() &&
           text.compare(text.size() - subText.size(), subText.size(), subText) == 0;
}

bool ContainsStr(const UnicodeString& text, const UnicodeString& subText) {
    return text.find(subText) != UnicodeString::npos;
}

bool StartsText(const UnicodeString& subText, const UnicodeString& text) {
    return text.size() >= subText.size() && AnsiSameText(text.substr(0, subText.size()), subText);
}

bool EndsText(const UnicodeString& subText, const UnicodeString& text) {
    return text.size() >= subText.size() &&
           AnsiSameText(text.substr(text.size() - subText.size()), subText);
}

bool ContainsText(const UnicodeString& text, const UnicodeString& subText) {
    return AnsiUpperCase(text).find(AnsiUpperCase(subText)) != UnicodeString::npos;
}

int AnsiPosText(const UnicodeString& sub, const UnicodeString& s) {
    return Pos(AnsiUpperCase(sub), AnsiUpperCase(s));
}

// ---- Quoting -----------------------------------------------------------------------

UnicodeString QuotedStr(const UnicodeString& s) {
    return AnsiQuotedStr(s, u'\'');
}

UnicodeString AnsiQuotedStr(const UnicodeString& s, char16_t quote) {
    UnicodeString out;
    out.reserve(s.size() + 2);
    out += quote;
    for (char16_t c : s) {
        out += c;
        if (c == quote) out += quote;
    }
    out += quote;
    return out;
}

UnicodeString AnsiDequotedStr(const UnicodeString& s, char16_t quote) {
    if (s.empty() || s[0] != quote) return s;
    UnicodeString out;
    size_t i = 1;
    for (; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                ++i;
                continue;
            }
            ++i; // past the closing quote
            break;
        }
        out += s[i];
    }
    // Text that is not one properly quoted string comes back as it was,
    // unless text follows the closing quote.
    bool restEmpty = i >= s.size();
    bool enclosed = s.size() >= 2 && s.back() == quote;
    if ((out.empty() || restEmpty) && !enclosed) return s;
    return out;
}
