// Zero-terminated UTF-16 routines, the wide counterparts of the run-time
// library's 8-bit ones.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Strings.h>

#include <cstring>

unsigned StrLenW(PCWideChar Str) {
    if (!Str) return 0;
    unsigned n = 0;
    while (Str[n]) ++n;
    return n;
}

PWideChar StrEndW(PCWideChar Str) { return const_cast<PWideChar>(Str + StrLenW(Str)); }

PWideChar StrMoveW(PWideChar Dest, PCWideChar Source, unsigned Count) {
    if (Count) std::memmove(Dest, Source, Count * sizeof(char16_t));
    return Dest;
}

PWideChar StrCopyW(PWideChar Dest, PCWideChar Source) {
    StrECopyW(Dest, Source);
    return Dest;
}

PWideChar StrECopyW(PWideChar Dest, PCWideChar Source) {
    unsigned len = StrLenW(Source);
    StrMoveW(Dest, Source, len);
    Dest[len] = 0;
    return Dest + len;
}

PWideChar StrLCopyW(PWideChar Dest, PCWideChar Source, unsigned MaxLen) {
    unsigned n = 0;
    while (n < MaxLen && Source && Source[n]) {
        Dest[n] = Source[n];
        ++n;
    }
    Dest[n] = 0;
    return Dest;
}

PWideChar StrPCopyW(PWideChar Dest, const UnicodeString& Source) {
    return StrPLCopyW(Dest, Source, static_cast<unsigned>(Source.size()));
}

PWideChar StrPLCopyW(PWideChar Dest, const UnicodeString& Source, unsigned MaxLen) {
    if (Source.empty()) return Dest;
    return StrLCopyW(Dest, Source.c_str(), MaxLen);
}

PWideChar StrCatW(PWideChar Dest, PCWideChar Source) {
    StrCopyW(StrEndW(Dest), Source);
    return Dest;
}

PWideChar StrLCatW(PWideChar Dest, PCWideChar Source, unsigned MaxLen) {
    unsigned len = StrLenW(Dest);
    if (len < MaxLen) StrLCopyW(Dest + len, Source, MaxLen - len);
    return Dest;
}

namespace {

// Code-point order for UTF-16: surrogates move above every other unit.
int Adjusted(char16_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) return c + 0x2000;
    if (c >= 0xE000) return c - 0x800;
    return c;
}

int CompareUnits(PCWideChar a, PCWideChar b, unsigned maxLen) {
    static const char16_t empty[1] = {0};
    if (!a) a = empty;
    if (!b) b = empty;
    for (unsigned i = 0; i < maxLen; ++i) {
        if (a[i] != b[i]) return Adjusted(a[i]) - Adjusted(b[i]);
        if (!a[i]) break;
    }
    return 0;
}

UnicodeString Prefix(PCWideChar s, unsigned maxLen) {
    UnicodeString out;
    for (unsigned i = 0; s && i < maxLen && s[i]; ++i) out += s[i];
    return out;
}

} // namespace

int StrCompW(PCWideChar Str1, PCWideChar Str2) { return CompareUnits(Str1, Str2, ~0u); }

int StrLCompW(PCWideChar Str1, PCWideChar Str2, unsigned MaxLen) {
    return CompareUnits(Str1, Str2, MaxLen);
}

int StrICompW(PCWideChar Str1, PCWideChar Str2) {
    return AnsiCompareText(Prefix(Str1, ~0u), Prefix(Str2, ~0u));
}

// The bound is honoured: callers compare prefixes with it.
int StrLICompW(PCWideChar Str1, PCWideChar Str2, unsigned MaxLen) {
    return AnsiCompareText(Prefix(Str1, MaxLen), Prefix(Str2, MaxLen));
}

PWideChar StrLowerW(PWideChar Str) {
    UnicodeString lower = AnsiLowerCase(Prefix(Str, ~0u));
    std::memcpy(Str, lower.data(), lower.size() * sizeof(char16_t));
    return Str;
}

PWideChar StrUpperW(PWideChar Str) {
    UnicodeString upper = AnsiUpperCase(Prefix(Str, ~0u));
    std::memcpy(Str, upper.data(), upper.size() * sizeof(char16_t));
    return Str;
}

PWideChar StrScanW(PCWideChar Str, char16_t Chr) {
    if (!Str) return nullptr;
    for (PCWideChar p = Str;; ++p) {
        if (*p == Chr) return const_cast<PWideChar>(p);
        if (!*p) return nullptr;
    }
}

PWideChar StrScanW(PCWideChar Str, char16_t Chr, unsigned StrLen) {
    if (!Str || StrLen == 0) return const_cast<PWideChar>(Str);
    for (unsigned i = 0; i < StrLen; ++i)
        if (Str[i] == Chr) return const_cast<PWideChar>(Str + i);
    return nullptr;
}

PWideChar StrRScanW(PCWideChar Str, char16_t Chr) {
    if (!Str) return nullptr;
    PCWideChar found = nullptr;
    for (PCWideChar p = Str;; ++p) {
        if (*p == Chr) found = p;
        if (!*p) break;
    }
    return const_cast<PWideChar>(found);
}

int StrNScanW(PCWideChar S1, PCWideChar S2) {
    if (!S1 || !S2) return -1;
    int i = 0;
    for (; S1[i]; ++i)
        if (StrScanW(S2, S1[i])) return i;
    return i;
}

// Scans back from the end of S1; answers the index of the last unit of S1
// that occurs in S2, -1 when none does or an argument is nil.
int StrRNScanW(PCWideChar S1, PCWideChar S2) {
    if (!S1 || !S2) return -1;
    for (int i = static_cast<int>(StrLenW(S1)) - 1; i >= 0; --i)
        if (StrScanW(S2, S1[i])) return i;
    return -1;
}

PWideChar StrPosW(PCWideChar Str, PCWideChar SubStr) {
    if (!Str || !SubStr || !*SubStr) return nullptr;
    for (PCWideChar p = Str; *p; ++p) {
        unsigned i = 0;
        while (SubStr[i] && p[i] == SubStr[i]) ++i; // stops at Str's terminator too
        if (!SubStr[i]) return const_cast<PWideChar>(p);
    }
    return nullptr;
}

// Buffers carry their byte size (the size field included) just before the text.
PWideChar StrAllocW(unsigned Size) {
    uint32_t bytes = Size * sizeof(char16_t) + sizeof(uint32_t);
    auto* block = static_cast<uint8_t*>(::operator new(bytes));
    std::memset(block, 0, bytes);
    std::memcpy(block, &bytes, sizeof bytes);
    return reinterpret_cast<PWideChar>(block + sizeof(uint32_t));
}

unsigned StrBufSizeW(PCWideChar Str) {
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<const uint8_t*>(Str) - sizeof(uint32_t), sizeof bytes);
    return (bytes - sizeof(uint32_t)) / sizeof(char16_t);
}

PWideChar StrNewW(PCWideChar Str) {
    if (!Str) return nullptr;
    unsigned len = StrLenW(Str);
    return StrMoveW(StrAllocW(len + 1), Str, len);
}

void StrDisposeW(PWideChar Str) {
    if (Str) ::operator delete(reinterpret_cast<uint8_t*>(Str) - sizeof(uint32_t));
}

void StrSwapByteOrder(PWideChar Str) {
    for (PWideChar p = Str; p && *p; ++p) *p = static_cast<char16_t>((*p >> 8) | (*p << 8));
}
