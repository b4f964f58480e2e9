// The IDEMUIStringSupport unit: one process-wide table of translated
// user-interface strings, keyed by section and name, and the expansion of
// references to them ("@(section, name)") inside other texts. Used from the
// GUI thread only.
#pragma once

#include <runpak/UString.h>

// Registers the text of a resource string under Section and Name; the first
// registration of a key wins.
void RegisterMUIString(const UnicodeString& Section, const UnicodeString& Name,
                       const UnicodeString& ResString);

// S with every "@(section, name)" replaced by the registered text (nothing
// when unregistered) and every "@@" by "@"; other text is kept as it stands.
UnicodeString ExpandLocaleString(const UnicodeString& S);

// The table's two primitives: add when the key is new, and look up (empty
// when the key or the whole table is missing).
void AddMUIString(const UnicodeString& Section, const UnicodeString& Name,
                  const UnicodeString& Value);
UnicodeString LookupMUIString(const UnicodeString& Section, const UnicodeString& Name);

// Unit shut-down: frees the table.
void FinalizeIDEMUIStringSupport();
