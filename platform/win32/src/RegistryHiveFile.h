// The text form of a persisted hive, made to be read by a person:
//
//   ; comment
//   [Software\Vendor\App]
//   "Name"=sz:"text with \"quotes\", \\ and \n escaped"
//   @=sz:"the key's default value"
//   "Count"=dword:0000002a
//   "Big"=qword:000000000000002a
//   "Path"=expand_sz:"%HOME%\\bin"
//   "List"=multi_sz:"one","two"
//   "Blob"=hex:01,02,ff
//   "Odd"=hex(5):00,00,00,2a      any type as raw bytes, type number in hex
//
// Text is UTF-8. In quoted strings \" \\ \n \r \t and \uXXXX (one UTF-16 unit,
// for control characters and lone surrogates) are escapes. Key paths in
// brackets use %XXXX for '%', control characters and lone surrogates, since
// '\' separates their parts. Values whose bytes do not fit their type's
// friendly form (a string without its terminating NUL, a DWORD of 3 bytes)
// are written as hex(N) so that every byte comes back. Volatile keys are
// never written.
#pragma once

#include "RegistryKey.h"

#include <string>
#include <string_view>

namespace win32 {

std::string FormatHive(const RegistryKey& root, std::string_view title);

// Adds what the text holds to root. Returns the number of lines that could not
// be read (values under an unreadable key line count too); zero for a sound file.
size_t ParseHive(std::string_view text, RegistryKey& root);

} // namespace win32
