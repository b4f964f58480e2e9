// Case folding shared by the regular-expression compiler and matcher.
#pragma once

#include <runpak/UString.h>

// The text upper-cased character by character, keeping its length so that
// positions in the folded text are positions in the original.
UnicodeString REUpperCase(const UnicodeString& S);
