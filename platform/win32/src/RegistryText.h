// Text and file helpers shared by the registry and the profile (INI) files:
// case-insensitive names, UTF-8 <-> UTF-16, and files replaced atomically.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

// Upper-case mapping for name comparison (ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and full-width Latin), as names compare on Windows.
char16_t FoldCase(char16_t c);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Strict UTF-8 to UTF-16; false (and out unspecified) when the bytes are not UTF-8.
bool FromUtf8(std::string_view bytes, std::u16string& out);
// Each byte as the character of the same number.
std::u16string FromLatin1(std::string_view bytes);

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Replaces a file by writing a temporary file beside it and renaming it over
// the old one, so that a reader or a crash sees the old or the new file, never
// a mix. A symbolic link is followed: its target is replaced. The old file's
// permissions are kept. False, with errno telling why, when the file cannot be
// written; the old file is then untouched.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

} // namespace win32
