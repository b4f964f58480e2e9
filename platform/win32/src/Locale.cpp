// The locale queries: one fixed user locale that follows the ANSI code page.
#include <win32/winbase.h>
#include <win32/winnls.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

LANGID DefaultLanguage() {
    return GetACP() == 932 ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

LANGID LanguageOf(LCID locale) {
    LANGID language = LANGIDFROMLCID(locale);
    switch (locale) {
    case LOCALE_USER_DEFAULT:
    case LOCALE_SYSTEM_DEFAULT:
    case LOCALE_NEUTRAL:
        return DefaultLanguage();
    case LOCALE_INVARIANT:
        return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    default:
        return language;
    }
}

UINT AnsiCodePageOf(LANGID language) {
    switch (PRIMARYLANGID(language)) {
    case LANG_JAPANESE:
        return 932;
    case LANG_ENGLISH:
    case LANG_GERMAN:
    case LANG_FRENCH:
        return 1252;
    default:
        return GetACP();
    }
}

// The item as text, or as a number (isNumber); false for items not known.
bool Item(LANGID language, LCTYPE type, std::u16string& text, DWORD& number, bool& isNumber) {
    bool japanese = PRIMARYLANGID(language) == LANG_JAPANESE;
    isNumber = true;
    switch (type) {
    case LOCALE_IDEFAULTANSICODEPAGE:
        number = AnsiCodePageOf(language);
        break;
    case LOCALE_IDEFAULTCODEPAGE:
        number = japanese ? 932 : 437;
        break;
    case LOCALE_ILANGUAGE:
        number = language;
        break;
    default:
        isNumber = false;
    }
    if (isNumber) {
        char digits[16];
        // LOCALE_ILANGUAGE is hexadecimal text, the code pages decimal.
        std::snprintf(digits, sizeof digits, type == LOCALE_ILANGUAGE ? "%04x" : "%u", number);
        text.assign(digits, digits + std::strlen(digits));
        return true;
    }
    switch (type) {
    case LOCALE_SLIST:
        text = u",";
        return true;
    case LOCALE_SDECIMAL:
        text = u".";
        return true;
    case LOCALE_STHOUSAND:
        text = u",";
        return true;
    case LOCALE_SENGLANGUAGE:
        text = japanese ? u"Japanese" : u"English";
        return true;
    case LOCALE_SENGCOUNTRY:
        text = japanese ? u"Japan" : u"United States";
        return true;
    case LOCALE_SISO639LANGNAME:
        text = japanese ? u"ja" : u"en";
        return true;
    case LOCALE_SISO3166CTRYNAME:
        text = japanese ? u"JP" : u"US";
        return true;
    default:
        return false;
    }
}

} // namespace

LCID GetUserDefaultLCID() {
    return MAKELCID(DefaultLanguage(), SORT_DEFAULT);
}
LCID GetSystemDefaultLCID() {
    return GetUserDefaultLCID();
}
LCID GetThreadLocale() {
    return GetUserDefaultLCID();
}
LANGID GetUserDefaultLangID() {
    return DefaultLanguage();
}
LANGID GetSystemDefaultLangID() {
    return DefaultLanguage();
}

int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int size) {
    if (size < 0 || (size > 0 && !data)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool asNumber = type & LOCALE_RETURN_NUMBER;
    std::u16string text;
    DWORD number = 0;
    bool isNumber = false;
    if (!Item(LanguageOf(locale), type & ~(LOCALE_RETURN_NUMBER | LOCALE_NOUSEROVERRIDE), text,
              number, isNumber) ||
        (asNumber && !isNumber)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (asNumber) {
        // The DWORD takes two characters' room.
        if (size == 0) return 2;
        if (size < 2) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(data, &number, sizeof number);
        return 2;
    }
    int needed = static_cast<int>(text.size()) + 1;
    if (size == 0) return needed;
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(data, text.c_str(), needed * sizeof(WCHAR));
    return needed;
}
