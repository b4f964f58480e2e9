// MultiByteToWideChar and WideCharToMultiByte over the layer's code pages,
// and the code page queries.
#include "CodePage.h"

#include <win32/winbase.h>
#include <win32/winnls.h>

#include <cstring>

using win32::CodePage;
using win32::FindCodePage;

namespace {

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// Copies a converted text to the caller: the size when only asked for it,
// 0 with ERROR_INSUFFICIENT_BUFFER when it does not fit.
template <class Char, class Text> int Deliver(const Text& text, Char* out, int outSize) {
    int size = static_cast<int>(text.size());
    if (outSize == 0) return size;
    if (size > outSize) {
        std::memcpy(out, text.data(), outSize * sizeof(Char));
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(out, text.data(), size * sizeof(Char));
    return size;
}

void AppendUtf16(char32_t c, std::u16string& out) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | c >> 10);
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount,
                        LPWSTR wideChar, int wideCharCount) {
    const CodePage* page = FindCodePage(codePage);
    if (!page) return Fail(ERROR_INVALID_PARAMETER);
    DWORD allowed = page->Id() == CP_UTF8
                        ? MB_ERR_INVALID_CHARS
                        : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
    if (flags & ~allowed) return Fail(ERROR_INVALID_FLAGS);
    if (!multiByte || multiByteCount == 0 || multiByteCount < -1 || wideCharCount < 0 ||
        (wideCharCount > 0 && !wideChar))
        return Fail(ERROR_INVALID_PARAMETER);

    size_t length = multiByteCount == -1 ? std::strlen(multiByte) + 1 : multiByteCount;
    auto in = reinterpret_cast<const BYTE*>(multiByte);
    std::u16string text;
    for (size_t at = 0; at < length;) {
        size_t used;
        int32_t c = page->Decode(in + at, length - at, used);
        at += used;
        if (c < 0) {
            if (flags & MB_ERR_INVALID_CHARS) return Fail(ERROR_NO_UNICODE_TRANSLATION);
            text += page->UnicodeDefault();
        } else {
            AppendUtf16(static_cast<char32_t>(c), text);
        }
    }
    return Deliver(text, wideChar, wideCharCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wideChar, int wideCharCount,
                        LPSTR multiByte, int multiByteCount, LPCCH defaultChar,
                        LPBOOL usedDefaultChar) {
    const CodePage* page = FindCodePage(codePage);
    if (!page) return Fail(ERROR_INVALID_PARAMETER);
    bool utf8 = page->Id() == CP_UTF8;
    DWORD allowed = utf8 ? WC_ERR_INVALID_CHARS
                         : WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_COMPOSITECHECK |
                               WC_NO_BEST_FIT_CHARS;
    if (flags & ~allowed) return Fail(ERROR_INVALID_FLAGS);
    if (utf8 && (defaultChar || usedDefaultChar)) return Fail(ERROR_INVALID_PARAMETER);
    if (!wideChar || wideCharCount == 0 || wideCharCount < -1 || multiByteCount < 0 ||
        (multiByteCount > 0 && !multiByte))
        return Fail(ERROR_INVALID_PARAMETER);

    std::string substitute = "?";
    if (defaultChar && *defaultChar)
        substitute.assign(
            defaultChar,
            page->MaxCharSize() > 1 && page->IsLeadByte(*defaultChar) && defaultChar[1] ? 2 : 1);
    size_t length = wideCharCount == -1 ? std::char_traits<char16_t>::length(wideChar) + 1
                                        : static_cast<size_t>(wideCharCount);
    bool usedDefault = false;
    std::string text;
    for (size_t at = 0; at < length; ++at) {
        char16_t unit = wideChar[at];
        char32_t c = unit;
        bool lone = false;
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < length && wideChar[at + 1] >= 0xDC00 &&
            wideChar[at + 1] <= 0xDFFF) {
            c = 0x10000 + ((unit - 0xD800) << 10) + (wideChar[++at] - 0xDC00);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            lone = true;
        }
        if (utf8) {
            if (lone && (flags & WC_ERR_INVALID_CHARS)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
            page->Encode(lone ? 0xFFFD : c, text);
        } else if (lone || !page->Encode(c, text)) {
            text += substitute;
            usedDefault = true;
        }
    }
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    return Deliver(text, multiByte, multiByteCount);
}

UINT GetACP() {
    return win32::AnsiCodePage();
}

// The OEM code page that goes with the ANSI one.
UINT GetOEMCP() {
    UINT ansi = win32::AnsiCodePage();
    return ansi == 1252 ? 437 : ansi;
}

BOOL IsValidCodePage(UINT codePage) {
    return codePage != CP_ACP && codePage != CP_OEMCP && codePage != CP_THREAD_ACP &&
           FindCodePage(codePage) != nullptr;
}

BOOL GetCPInfo(UINT codePage, LPCPINFO info) {
    const CodePage* page = FindCodePage(codePage);
    if (!page || !info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *info = CPINFO{};
    info->MaxCharSize = page->MaxCharSize();
    info->DefaultChar[0] = '?';
    // Lead byte ranges as pairs of first and last.
    int pair = 0;
    for (int b = 0; b < 256 && pair + 1 < MAX_LEADBYTES; ++b) {
        if (!page->IsLeadByte(static_cast<BYTE>(b))) continue;
        int last = b;
        while (last + 1 < 256 && page->IsLeadByte(static_cast<BYTE>(last + 1)))
            ++last;
        info->LeadByte[pair++] = static_cast<BYTE>(b);
        info->LeadByte[pair++] = static_cast<BYTE>(last);
        b = last;
    }
    return TRUE;
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
    const CodePage* page = FindCodePage(codePage);
    if (!page) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return page->IsLeadByte(testChar) ? TRUE : FALSE;
}

BOOL IsDBCSLeadByte(BYTE testChar) {
    return IsDBCSLeadByteEx(CP_ACP, testChar);
}
