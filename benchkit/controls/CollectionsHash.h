// Hash functions of the typed hash tables. Every function gives 0 for an
// empty key.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

#include <cstdint>
#include <string_view>

using THashProc = uint32_t (*)(std::u16string_view Key);

// Rotate-and-xor over the bytes of the key's UTF-16LE storage.
uint32_t HashStringCaseSensitive(std::u16string_view Key);
// Sum of per-character random weights (rotated after every four characters)
// over the key upper-cased as AnsiSameText compares it, so that keys equal
// under that comparison hash alike.
uint32_t HashStringIgnoreCase(std::u16string_view Key);
// ELF hash over the UTF-16 code units.
uint32_t HashWideString(std::u16string_view Key);
// HashWideString of the key lower-cased as WideSameText compares it.
uint32_t HashWideStringIgnoreCase(std::u16string_view Key);

// A one-to-one mix of a hash, so that every bit of it reaches the low bits
// by which a table of 2^n buckets places its entries. The string tables
// place keys by the mixed hash of their hash function.
uint32_t ScrambleHash(uint32_t Hash);

// Fills the weights of HashStringIgnoreCase; done on first use, once per process.
void InitRandomHashTable();

// The key and value equalities of the string tables. The "Text" forms
// ignore case exactly as the matching hash functions fold it.
bool AnsiSameStrView(std::u16string_view A, std::u16string_view B);
bool AnsiSameTextView(std::u16string_view A, std::u16string_view B);
bool WideSameStrView(std::u16string_view A, std::u16string_view B);
bool WideSameTextView(std::u16string_view A, std::u16string_view B);

#pragma GCC visibility pop
