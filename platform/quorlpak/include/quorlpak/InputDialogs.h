// A small modal form asking for one line of text.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Strings.h>

// Shows ACaption with APrompt over an edit holding Value. OK stores the
// edit's text in Value and answers true; Cancel or closing leaves Value as it
// was and answers false.
bool InputQuery(const UnicodeString& ACaption, const UnicodeString& APrompt, UnicodeString& Value);

#pragma GCC visibility pop
