#include "benchkit/props/PropMaskText.h"

namespace benchkit::props {

namespace {

bool IsInputChar(char16_t c) {
    switch (c) {
    case u'L':
    case u'l':
    case u'A':
    case u'a':
    case u'C':
    case u'c':
    case u'0':
    case u'9':
    case u'#':
        return true;
    default:
        return false;
    }
}

char16_t ApplyCase(char16_t c, int caseMode) {
    if (caseMode > 0 && c >= u'a' && c <= u'z') return char16_t(c - u'a' + u'A');
    if (caseMode < 0 && c >= u'A' && c <= u'Z') return char16_t(c - u'A' + u'a');
    return c;
}

} // namespace

UnicodeString FormatMaskText(const UnicodeString& EditMask, const UnicodeString& Value) {
    // Split "mask;save;blank" at the last two unescaped separators.
    UnicodeString mask = EditMask;
    bool saveLiterals = true;
    size_t sep = mask.rfind(u';');
    if (sep != UnicodeString::npos && sep > 0 && mask[sep - 1] != u'\\') {
        UnicodeString tail = mask.substr(sep + 1);
        UnicodeString head = mask.substr(0, sep);
        size_t sep2 = head.rfind(u';');
        if (sep2 != UnicodeString::npos && sep2 > 0 && head[sep2 - 1] != u'\\') {
            saveLiterals = head.substr(sep2 + 1) != u"0";
            mask = head.substr(0, sep2);
        } else {
            saveLiterals = tail != u"0";
            mask = head;
        }
    }

    UnicodeString out;
    size_t pos = 0;
    int caseMode = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        char16_t m = mask[i];
        if (m == u'!') continue;
        if (m == u'>') {
            caseMode = (i + 1 < mask.size() && mask[i + 1] == u'<') ? (++i, 0) : 1;
            continue;
        }
        if (m == u'<') {
            caseMode = -1;
            continue;
        }
        if (m == u'\\' && i + 1 < mask.size())
            m = mask[++i];
        else if (IsInputChar(m)) {
            out += pos < Value.size() ? ApplyCase(Value[pos++], caseMode) : u' ';
            continue;
        }
        // A literal: the value carries it too when literals are saved.
        out += m;
        if (saveLiterals && pos < Value.size() && Value[pos] == m) ++pos;
    }
    return out;
}

} // namespace benchkit::props
