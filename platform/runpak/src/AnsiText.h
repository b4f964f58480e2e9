// 8-bit text in the layer's ANSI code page, for the places that take it
// without an AnsiString (Format arguments, Variant strings).
#pragma once

#include <runpak/UString.h>

#include <string>
#include <string_view>

namespace runpak {

UnicodeString AnsiToUnicode(std::string_view bytes);
std::string UnicodeToAnsi(std::u16string_view text);

}  // namespace runpak
