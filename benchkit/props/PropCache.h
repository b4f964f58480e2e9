// The value cache shared by the registry and INI sets: how each field type
// is read from and written to a memory INI section.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDEPropSet.h"

#include <runpak/IniFiles.h>

namespace benchkit::props {

// False, leaving Value untouched, for types the stores do not keep.
bool ReadCachedValue(TCustomIniFile* Cache, const UnicodeString& Section, const UnicodeString& Name,
                     TPropField* Field, Variant& Value);
// Booleans and enums are written as the name of their value when it has one.
void WriteCachedValue(TCustomIniFile* Cache, const UnicodeString& Section,
                      const UnicodeString& Name, TPropField* Field, const Variant& Value);

// True when Field would take Value (its own checks and OnValidate): a stored
// value it refuses, such as one beyond its bounds, is not handed out.
bool AcceptsStoredValue(TPropField* Field, const Variant& Value);

} // namespace benchkit::props

#pragma GCC visibility pop
