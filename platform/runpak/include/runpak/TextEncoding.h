// Text encodings of string lists and string streams, and the conversions
// between UTF-16 text and their bytes.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

#include <cstddef>
#include <string>
#include <string_view>

// teAnsi is the system's ANSI code page (GetACP).
enum TTextEncoding { teAnsi, teUTF8, teUTF16LE, teUTF16BE };

namespace runpak {

// The byte-order mark that starts a file in the encoding (none for ANSI).
std::string TextPreamble(TTextEncoding encoding);
std::string EncodeText(std::u16string_view text, TTextEncoding encoding);
// Ill-formed input never throws: it decodes to U+FFFD where it cannot be read.
UnicodeString DecodeText(std::string_view bytes, TTextEncoding encoding);
bool IsValidUtf8(std::string_view bytes);
// The encoding of text read from a file: a byte-order mark when there is one
// (preambleLength receives its size), else UTF-8 when the bytes are valid
// UTF-8, else ANSI.
TTextEncoding DetectTextEncoding(std::string_view bytes, size_t& preambleLength);

} // namespace runpak

#pragma GCC visibility pop
