#include <runpak/TextEncoding.h>
#include <win32/winnls.h>

namespace runpak {

std::string TextPreamble(TTextEncoding encoding) {
    switch (encoding) {
    case teUTF8:
        return "\xEF\xBB\xBF";
    case teUTF16LE:
        return "\xFF\xFE";
    case teUTF16BE:
        return "\xFE\xFF";
    case teAnsi:
        break;
    }
    return {};
}

static std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t ch : text) {
        char low = static_cast<char>(ch & 0xFF), high = static_cast<char>(ch >> 8);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    }
    return out;
}

static UnicodeString DecodeUtf16(std::string_view bytes, bool bigEndian) {
    UnicodeString out;
    out.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    // A dangling odd byte cannot be a character.
    if (bytes.size() % 2) out.push_back(0xFFFD);
    return out;
}

// The system's ANSI code page, through the layer's conversions. Characters
// the page lacks become its default character.
static std::string EncodeAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

static UnicodeString DecodeAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    int length = static_cast<int>(bytes.size());
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    UnicodeString out(static_cast<size_t>(size > 0 ? size : 0), u'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, out.data(), size);
    return out;
}

std::string EncodeText(std::u16string_view text, TTextEncoding encoding) {
    switch (encoding) {
    case teUTF8:
        return UnicodeToUtf8(text);
    case teUTF16LE:
        return EncodeUtf16(text, false);
    case teUTF16BE:
        return EncodeUtf16(text, true);
    case teAnsi:
        break;
    }
    return EncodeAnsi(text);
}

UnicodeString DecodeText(std::string_view bytes, TTextEncoding encoding) {
    switch (encoding) {
    case teUTF8:
        return Utf8ToUnicode(bytes);
    case teUTF16LE:
        return DecodeUtf16(bytes, false);
    case teUTF16BE:
        return DecodeUtf16(bytes, true);
    case teAnsi:
        break;
    }
    return DecodeAnsi(bytes);
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        size_t length;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

TTextEncoding DetectTextEncoding(std::string_view bytes, size_t& preambleLength) {
    for (TTextEncoding encoding : {teUTF8, teUTF16LE, teUTF16BE}) {
        std::string preamble = TextPreamble(encoding);
        if (bytes.substr(0, preamble.size()) == preamble) {
            preambleLength = preamble.size();
            return encoding;
        }
    }
    preambleLength = 0;
    return IsValidUtf8(bytes) ? teUTF8 : teAnsi;
}

} // namespace runpak
