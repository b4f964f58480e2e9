// Routines on framework wide strings and the length-prefixed stream format.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

UnicodeString WideLowerCase(const UnicodeString& S) { return AnsiLowerCase(S); }

UnicodeString WideUpperCase(const UnicodeString& S) { return AnsiUpperCase(S); }

UnicodeString WideStringOfChar(char16_t Ch, int Count) {
    return Count > 0 ? UnicodeString(Count, Ch) : UnicodeString();
}

int WideCharPos(const UnicodeString& S, char16_t Ch, int Index) {
    if (Index < 1) Index = 1;
    for (size_t i = Index - 1; i < S.size(); ++i)
        if (S[i] == Ch) return static_cast<int>(i) + 1;
    return 0;
}

UnicodeString WideQuotedStr(const UnicodeString& S, char16_t Quote) {
    UnicodeString out(1, Quote);
    for (char16_t c : S) {
        out += c;
        if (c == Quote) out += c;
    }
    out += Quote;
    return out;
}

UnicodeString WideExtractQuotedStr(PCWideChar& P, char16_t Quote) {
    if (!P || *P != Quote) return {};
    UnicodeString out;
    ++P;
    while (*P) {
        if (*P == Quote) {
            ++P;
            if (*P != Quote) break; // the closing quote
        }
        out += *P++;
    }
    return out;
}

UnicodeString WideAdjustLineBreaks(const UnicodeString& S) {
    UnicodeString out;
    out.reserve(S.size());
    for (size_t i = 0; i < S.size(); ++i) {
        char16_t c = S[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < S.size() && S[i + 1] == u'\n') ++i;
            out += u'\u2028';
        } else {
            out += c;
        }
    }
    return out;
}

void InsertW(const UnicodeString& Sub, UnicodeString& S, int Index) {
    if (Index < 0 || Index > static_cast<int>(S.size())) return;
    S.insert(static_cast<size_t>(Index), Sub);
}

UnicodeString IntToStrW(int64_t Value) { return IntToStr(static_cast<long long>(Value)); }

UnicodeString AddCommas(const UnicodeString& Digits) {
    WCHAR sep[8] = {0};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, 8) <= 0) sep[0] = u',';
    UnicodeString separator(sep);
    UnicodeString out;
    size_t first = Digits.size() % 3;
    if (first == 0) first = 3;
    size_t i = 0;
    for (size_t len = first; i < Digits.size(); i += len, len = 3) {
        if (i > 0) out += separator;
        out += Digits.substr(i, len);
    }
    return out;
}

UnicodeString LoadWideString(TStream* S) {
    int32_t count = 0;
    S->ReadBuffer(&count, sizeof count);
    // Trust no count the stream cannot hold: a corrupt count must not
    // allocate gigabytes or read past the end.
    int64_t remaining = S->GetSize() - S->GetPosition();
    if (count < 0 || int64_t(count) * 2 > remaining) throw EReadError(u"Stream read error");
    UnicodeString out(static_cast<size_t>(count), u'\0');
    for (int32_t i = 0; i < count; ++i) {
        uint8_t b[2];
        S->ReadBuffer(b, 2);
        out[i] = static_cast<char16_t>(b[0] | (b[1] << 8));
    }
    return out;
}

void SaveWideString(TStream* S, const UnicodeString& Str) {
    int32_t count = static_cast<int32_t>(Str.size());
    std::string bytes(sizeof count + Str.size() * 2, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((uint32_t(count) >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < Str.size(); ++i) {
        bytes[4 + 2 * i] = static_cast<char>(Str[i] & 0xFF);
        bytes[5 + 2 * i] = static_cast<char>(Str[i] >> 8);
    }
    S->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}
