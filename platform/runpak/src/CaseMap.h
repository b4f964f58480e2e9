// Unicode case mapping of single code points, shared by the string routines.
#pragma once

namespace runpak {

char32_t ToUpperCodePoint(char32_t cp);
char32_t ToLowerCodePoint(char32_t cp);

} // namespace runpak
