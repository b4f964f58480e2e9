// The C run-time calls that take the layer's Windows paths and code pages.
// Files opened here are ordinary stdio streams (fgets, fprintf, feof, fclose
// work on them); in text mode, as the Windows run-time does, "\n" is written
// as CR LF, CR LF reads as "\n" and Ctrl+Z ends the input.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <cstddef>
#include <cstdio>

namespace crt {

// path: a Windows path in the locale's code page (see setlocale below).
// mode: "r", "w", "a", optionally "+", then "t" (default) or "b".
FILE* fopen(const char* path, const char* mode);
FILE* _wfopen(const WCHAR* path, const WCHAR* mode);

// The character-type locale of the run-time, for the conversions below:
// "C" (the default: ASCII only), "" (the layer's ANSI code page), or a
// Windows locale name such as "jpn", "japanese", "Japanese_Japan.932",
// "english", or ".932" / ".1252" / ".65001". Returns the locale's full name,
// or null when it is unknown (the locale stays as it was). Process-wide.
char* setlocale(int category, const char* locale);

// UTF-16 to multi-byte text of the current locale. Writes at most `count`
// bytes and never splits a character; ends with NUL when there is room.
// Returns the bytes written (without the NUL), or (size_t)-1 when a
// character cannot be represented. With dest null: the size needed.
size_t wcstombs(char* dest, const WCHAR* src, size_t count);
// Multi-byte text of the current locale to UTF-16; at most `count` units.
size_t mbstowcs(WCHAR* dest, const char* src, size_t count);

} // namespace crt

#pragma GCC visibility pop
