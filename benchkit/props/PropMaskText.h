// The edit-mask text form used to show string fields: the mask's literals
// placed around the value's characters.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

namespace benchkit::props {

// EditMask is "mask[;save-literals[;blank]]". With save-literals "0" the
// value holds only the entered characters and the literals are put in; else
// the value already holds them. Positions the value does not fill show blanks.
UnicodeString FormatMaskText(const UnicodeString& EditMask, const UnicodeString& Value);

} // namespace benchkit::props

#pragma GCC visibility pop
