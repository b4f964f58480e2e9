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
//
// Changes are appended to the file as records, each starting with a key line,
// so that a reader can take up the file at any record:
//
//   [Software\Vendor\App]             creates the key (and its parents)
//   "Name"=sz:"new text"               sets a value in it
//   "Old"=-                            deletes a value
//   -[Software\Vendor\Gone]           deletes a key and everything below it
#pragma once

#include "RegistryKey.h"

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

std::string FormatHive(const RegistryKey& root, std::string_view title);

// The bracketed path of a key below its hive's root, with `below` appended.
std::string FormatKeyPath(const RegistryKey& key, const std::vector<std::u16string_view>& below);
// "[path]\n" and "-[path]\n".
std::string FormatKeyRecord(const RegistryKey& key, const std::vector<std::u16string_view>& below);
std::string FormatDeletedKeyRecord(const RegistryKey& key);
// One value line, and the line that deletes a value.
std::string FormatValueLine(std::u16string_view name, DWORD type, const std::vector<BYTE>& data);
std::string FormatDeletedValueLine(std::u16string_view name);

// Applies what the text holds to root: a whole file, or the records appended
// to it since it was last read. Returns the number of lines that could not be
// read (values under an unreadable key line count too, and so do key paths
// deeper than kMaxKeyDepth); zero for a sound file.
size_t ParseHive(std::string_view text, RegistryKey& root);

} // namespace win32
