#include "ObjectModelText.h"

#include <runpak/Exceptions.h>

#include <string>

namespace runpak {

static char16_t UpperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
}

bool SameIdent(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

UnicodeString UpperIdent(std::u16string_view text) {
    UnicodeString upper(text);
    for (char16_t& c : upper)
        c = UpperAscii(c);
    return upper;
}

UnicodeString IntText(int64_t value) {
    return Utf8ToUnicode(std::to_string(value));
}

void RaiseListIndexError(int64_t index) {
    throw EListError(u"List index out of bounds (" + IntText(index) + u")");
}

} // namespace runpak
