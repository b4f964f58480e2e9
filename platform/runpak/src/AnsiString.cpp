#include "AnsiText.h"

#include <runpak/AnsiString.h>

#include <win32/winnls.h>

namespace {

unsigned Resolve(unsigned codePage) {
    return codePage == CP_ACP ? GetACP() : codePage;
}

} // namespace

AnsiString::AnsiString() : FCodePage(GetACP()) {}

AnsiString::AnsiString(const char* bytes) : FBytes(bytes ? bytes : ""), FCodePage(GetACP()) {}

AnsiString::AnsiString(std::string bytes, unsigned codePage)
    : FBytes(std::move(bytes)), FCodePage(Resolve(codePage)) {}

AnsiString::AnsiString(std::u16string_view text, unsigned codePage)
    : FBytes(runpak::UnicodeToCodePage(text, Resolve(codePage))), FCodePage(Resolve(codePage)) {}

void AnsiString::SetCodePage(unsigned codePage, bool convert) {
    codePage = Resolve(codePage);
    if (codePage == FCodePage) return;
    if (convert) FBytes = runpak::UnicodeToCodePage(ToUnicode(), codePage);
    FCodePage = codePage;
}

UnicodeString AnsiString::ToUnicode() const {
    return runpak::CodePageToUnicode(FBytes, FCodePage);
}

AnsiString& AnsiString::operator+=(const AnsiString& other) {
    if (other.FCodePage == FCodePage)
        FBytes += other.FBytes;
    else
        FBytes += runpak::UnicodeToCodePage(other.ToUnicode(), FCodePage);
    return *this;
}

// Declared only as friends in the header, which gives them no visibility of
// their own: exported here.
#pragma GCC visibility push(default)
bool operator==(const AnsiString& a, const AnsiString& b) {
    if (a.FCodePage == b.FCodePage) return a.FBytes == b.FBytes;
    return a.ToUnicode() == b.ToUnicode();
}

bool operator<(const AnsiString& a, const AnsiString& b) {
    if (a.FCodePage == b.FCodePage) return a.FBytes < b.FBytes;
    return a.ToUnicode() < b.ToUnicode();
}
#pragma GCC visibility pop

UTF8String UTF8String::FromBytes(std::string bytes) {
    UTF8String s;
    static_cast<AnsiString&>(s) = AnsiString(std::move(bytes), CP_UTF8);
    return s;
}

UTF8String UTF8Encode(const UnicodeString& text) {
    return UTF8String(text);
}

UnicodeString UTF8ToString(const AnsiString& utf8) {
    return runpak::CodePageToUnicode(utf8.Bytes(), CP_UTF8);
}

UnicodeString UTF8Decode(const AnsiString& utf8) {
    return UTF8ToString(utf8);
}

unsigned StringCodePage(const AnsiString& s) {
    return s.CodePage();
}
