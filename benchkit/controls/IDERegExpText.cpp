#include "benchkit/controls/IDERegExpText.h"

// Stand-in until the framework's locale-aware upper-casing is available.
UnicodeString REUpperCase(const UnicodeString& S) {
    UnicodeString out(S);
    for (char16_t& c : out)
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c -= 32;
    return out;
}
