// Text types. UnicodeString is UTF-16 text, as everywhere inside the system;
// 8-bit text appears only at the edges (files, terminal, code pages).
#pragma once
#pragma GCC visibility push(default)

#include <string>
#include <string_view>

using UnicodeString = std::u16string;
using WideString = std::u16string;

// UTF-8 <-> UTF-16 for the edges of the system and for tests. Invalid input
// never throws: ill-formed UTF-8 bytes become U+FFFD, lone surrogates become
// U+FFFD in UTF-8.
UnicodeString Utf8ToUnicode(std::string_view utf8);
std::string UnicodeToUtf8(std::u16string_view text);

#pragma GCC visibility pop
