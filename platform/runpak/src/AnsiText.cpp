#include "AnsiText.h"

namespace runpak {

// TODO: convert through the layer's ANSI code page (MultiByteToWideChar with
// CP_ACP) once the code-page calls land; until then 8-bit text is Latin-1.
UnicodeString AnsiToUnicode(std::string_view bytes) {
    UnicodeString out;
    out.reserve(bytes.size());
    for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

std::string UnicodeToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out += c < 0x100 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace runpak
