// Small text helpers shared by the object-model sources.
#pragma once

#include <runpak/UString.h>

#include <cstdint>
#include <string_view>

namespace runpak {

// Identifiers compare without regard to ASCII case, as the framework's names do.
bool SameIdent(std::u16string_view a, std::u16string_view b);
UnicodeString UpperIdent(std::u16string_view text);
UnicodeString IntText(int64_t value);
// EListError "List index out of bounds (%d)".
[[noreturn]] void RaiseListIndexError(int64_t index);

} // namespace runpak
