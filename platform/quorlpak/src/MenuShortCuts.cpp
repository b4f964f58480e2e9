// Short cuts (a key and its modifiers in one number, as items store them)
// and the hot keys that '&' marks in captions.
#include <quorlpak/Menus.h>

#include <runpak/Strings.h>

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
    TShortCut result = Key & 0xFF;
    if (Shift.Contains(ssShift)) result |= scShift;
    if (Shift.Contains(ssCtrl)) result |= scCtrl;
    if (Shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift) {
    Key = ShortCut & 0xFF;
    Shift.Clear();
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

namespace {

struct KeyName {
    uint16_t Key;
    const char16_t* Name;
};

constexpr KeyName kKeyNames[] = {
    {VK_BACK, u"BkSp"},   {VK_TAB, u"Tab"},    {VK_RETURN, u"Enter"}, {VK_ESCAPE, u"Esc"},
    {VK_SPACE, u"Space"}, {VK_PRIOR, u"PgUp"}, {VK_NEXT, u"PgDn"},    {VK_END, u"End"},
    {VK_HOME, u"Home"},   {VK_LEFT, u"Left"},  {VK_UP, u"Up"},        {VK_RIGHT, u"Right"},
    {VK_DOWN, u"Down"},   {VK_INSERT, u"Ins"}, {VK_DELETE, u"Del"},
};

UnicodeString KeyToText(uint16_t Key) {
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z'))
        return UnicodeString(1, static_cast<char16_t>(Key));
    if (Key >= VK_F1 && Key <= VK_F1 + 23) return u"F" + IntToStr(Key - VK_F1 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.Key == Key) return k.Name;
    return {};
}

} // namespace

UnicodeString ShortCutToText(TShortCut ShortCut) {
    UnicodeString name = KeyToText(ShortCut & 0xFF);
    if (name.empty()) return {};
    UnicodeString text;
    if (ShortCut & scShift) text += u"Shift+";
    if (ShortCut & scCtrl) text += u"Ctrl+";
    if (ShortCut & scAlt) text += u"Alt+";
    return text + name;
}

TShortCut TextToShortCut(const UnicodeString& Text) {
    TShortCut modifiers = 0;
    UnicodeString rest = Text;
    for (;;) {
        if (rest.size() > 6 && StartsText(u"Shift+", rest)) {
            modifiers |= scShift;
            rest = rest.substr(6);
        } else if (rest.size() > 5 && StartsText(u"Ctrl+", rest)) {
            modifiers |= scCtrl;
            rest = rest.substr(5);
        } else if (rest.size() > 4 && StartsText(u"Alt+", rest)) {
            modifiers |= scAlt;
            rest = rest.substr(4);
        } else {
            break;
        }
    }
    if (rest.empty()) return scNone;
    for (uint16_t key = 1; key < 0xFF; ++key) {
        UnicodeString name = KeyToText(key);
        if (!name.empty() && SameText(name, rest)) return modifiers | key;
    }
    return scNone;
}

UnicodeString StripHotkey(const UnicodeString& Text) {
    UnicodeString result;
    const std::u16string& s = Text;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size())
            ++i; // "&&" keeps one '&'
        else if (s[i] == u'&')
            continue;
        result += s[i];
    }
    return result;
}

char16_t GetHotkey(const UnicodeString& Text) {
    const std::u16string& s = Text;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != u'&') continue;
        if (s[i + 1] == u'&') {
            ++i;
            continue;
        }
        char16_t c = s[i + 1];
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    return 0;
}
