// 8-bit text in the layer's ANSI code page, for the places that take it
// without an AnsiString (Format arguments, Variant strings).
#pragma once

#include <runpak/UString.h>

#include <string>
#include <string_view>

namespace runpak {

// Through the layer's code-page conversion; characters a code page lacks
// become its default character.
UnicodeString CodePageToUnicode(std::string_view bytes, unsigned codePage);
std::string UnicodeToCodePage(std::u16string_view text, unsigned codePage);
UnicodeString AnsiToUnicode(std::string_view bytes);
std::string UnicodeToAnsi(std::u16string_view text);

} // namespace runpak
