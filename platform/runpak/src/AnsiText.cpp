#include "AnsiText.h"

#include <win32/winnls.h>

#include <climits>

namespace runpak {

UnicodeString CodePageToUnicode(std::string_view bytes, unsigned codePage) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int length = static_cast<int>(bytes.size());
    int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    UnicodeString out(static_cast<size_t>(needed), u'\0');
    int written = MultiByteToWideChar(codePage, 0, bytes.data(), length, out.data(), needed);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

std::string UnicodeToCodePage(std::u16string_view text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    int needed =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<size_t>(needed), '\0');
    int written =
        WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), needed, nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

UnicodeString AnsiToUnicode(std::string_view bytes) {
    return CodePageToUnicode(bytes, CP_ACP);
}
std::string UnicodeToAnsi(std::u16string_view text) {
    return UnicodeToCodePage(text, CP_ACP);
}

} // namespace runpak
