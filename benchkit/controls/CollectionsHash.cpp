#include "benchkit/controls/CollectionsHash.h"

#include <runpak/Strings.h>

#include <chrono>
#include <mutex>

namespace {

uint32_t Rotl(uint32_t h, int n) {
    return (h << n) | (h >> (32 - n));
}

bool IsAscii(std::u16string_view s) {
    for (char16_t c : s)
        if (c >= 0x80) return false;
    return true;
}

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - 32 : c;
}
char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

uint16_t gWeights[256];

// The framework's generator: a 32-bit linear congruence, seeded from the clock.
uint32_t gRandSeed = 0;
uint32_t RandomBelow(uint32_t range) {
    gRandSeed = gRandSeed * 134775813u + 1;
    return static_cast<uint32_t>((static_cast<uint64_t>(gRandSeed) * range) >> 32);
}

void FillWeights() {
    if (gRandSeed == 0)
        gRandSeed =
            static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (uint16_t& w : gWeights)
        w = 0;
    gWeights[0] = 1;
    for (int c = 1; c <= 127; ++c)
        gWeights[c] = static_cast<uint16_t>(RandomBelow(65535) + 1);
    for (int c = 'a'; c <= 'z'; ++c)
        gWeights[c] = gWeights[c - 32];
}

const uint16_t* Weights() {
    InitRandomHashTable();
    return gWeights;
}

uint32_t WeightedHash(std::u16string_view key) {
    const uint16_t* w = Weights();
    uint32_t h = 0;
    size_t i = 0;
    while (i < key.size()) {
        for (int j = 0; j < 4; ++j, ++i) {
            if (i == key.size()) return h;
            const char16_t c = key[i];
            if (c == 0) return h;
            if (c < (j == 1 ? 255 : 8364)) h += w[c & 0xFF];
        }
        h = Rotl(h, 6);
    }
    return h;
}

} // namespace

// Once only: tables already filled would lose their keys under new weights.
void InitRandomHashTable() {
    static std::once_flag once;
    std::call_once(once, FillWeights);
}

// Every byte of the key: taking as many bytes as there are characters would
// leave the second half of the key out, and keys that share their first half
// would all collide.
uint32_t HashStringCaseSensitive(std::u16string_view Key) {
    uint32_t h = 0;
    for (char16_t c : Key) {
        h = Rotl(h, 5) ^ (c & 0xFF);
        h = Rotl(h, 5) ^ (c >> 8);
    }
    return h;
}

uint32_t HashStringIgnoreCase(std::u16string_view Key) {
    if (Key.empty()) return 0;
    if (IsAscii(Key)) {
        // Upper-casing ASCII letters changes no weight ('a'..'z' weigh as 'A'..'Z').
        return WeightedHash(Key);
    }
    return WeightedHash(AnsiUpperCase(UnicodeString(Key)));
}

uint32_t HashWideString(std::u16string_view Key) {
    uint32_t h = 0;
    for (char16_t c : Key) {
        h = (h << 4) + c;
        const uint32_t g = h & 0xF0000000u;
        if (g != 0) {
            h ^= g >> 24;
            h &= ~g;
        }
    }
    return h;
}

uint32_t HashWideStringIgnoreCase(std::u16string_view Key) {
    if (IsAscii(Key)) {
        uint32_t h = 0;
        for (char16_t c : Key) {
            h = (h << 4) + AsciiLower(c);
            const uint32_t g = h & 0xF0000000u;
            if (g != 0) {
                h ^= g >> 24;
                h &= ~g;
            }
        }
        return h;
    }
    return HashWideString(AnsiLowerCase(UnicodeString(Key)));
}

uint32_t ScrambleHash(uint32_t Hash) {
    Hash ^= Hash >> 16;
    Hash *= 0x85EBCA6Bu;
    Hash ^= Hash >> 13;
    Hash *= 0xC2B2AE35u;
    Hash ^= Hash >> 16;
    return Hash;
}

bool AnsiSameStrView(std::u16string_view A, std::u16string_view B) {
    return A == B;
}
bool WideSameStrView(std::u16string_view A, std::u16string_view B) {
    return A == B;
}

bool AnsiSameTextView(std::u16string_view A, std::u16string_view B) {
    if (A.size() == B.size()) {
        size_t i = 0;
        while (i < A.size() && A[i] < 0x80 && B[i] < 0x80 && AsciiUpper(A[i]) == AsciiUpper(B[i]))
            ++i;
        if (i == A.size()) return true;
        if (A[i] < 0x80 && B[i] < 0x80) return false;
    }
    // Characters outside ASCII may fold onto ASCII ones ('ſ' onto 'S').
    if (IsAscii(A) && IsAscii(B)) return false;
    return AnsiUpperCase(UnicodeString(A)) == AnsiUpperCase(UnicodeString(B));
}

bool WideSameTextView(std::u16string_view A, std::u16string_view B) {
    if (A.size() == B.size()) {
        size_t i = 0;
        while (i < A.size() && A[i] < 0x80 && B[i] < 0x80 && AsciiLower(A[i]) == AsciiLower(B[i]))
            ++i;
        if (i == A.size()) return true;
        if (A[i] < 0x80 && B[i] < 0x80) return false;
    }
    if (IsAscii(A) && IsAscii(B)) return false;
    return AnsiLowerCase(UnicodeString(A)) == AnsiLowerCase(UnicodeString(B));
}
