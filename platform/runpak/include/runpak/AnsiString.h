// 8-bit text that knows its code page, for the edges of the system (files,
// command lines, pipes, 8-bit APIs). Conversion to and from UnicodeString
// goes through the layer's code-page conversion; characters the code page
// lacks become its default character ('?').
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

#include <string>
#include <string_view>

class AnsiString {
public:
    // Empty text in the ANSI code page.
    AnsiString();
    // Bytes already in the ANSI code page.
    AnsiString(const char* bytes);
    // Bytes in codePage (0 = the ANSI code page).
    AnsiString(std::string bytes, unsigned codePage = 0);
    // Text converted into codePage (0 = the ANSI code page).
    AnsiString(std::u16string_view text, unsigned codePage = 0);
    AnsiString(const UnicodeString& text) : AnsiString(std::u16string_view(text)) {}
    AnsiString(const char16_t* text) : AnsiString(std::u16string_view(text ? text : u"")) {}

    // The code page number, never 0 (the ANSI code page is resolved).
    unsigned CodePage() const { return FCodePage; }
    // Changes the code page; with convert the text is re-encoded, without it
    // the bytes stay and are read in the new code page.
    void SetCodePage(unsigned codePage, bool convert = true);

    UnicodeString ToUnicode() const;
    operator UnicodeString() const { return ToUnicode(); }

    const std::string& Bytes() const { return FBytes; }
    const char* c_str() const { return FBytes.c_str(); }
    int Length() const { return static_cast<int>(FBytes.size()); }
    bool IsEmpty() const { return FBytes.empty(); }

    // Text from another code page is converted into this one first.
    AnsiString& operator+=(const AnsiString& other);
    friend AnsiString operator+(AnsiString a, const AnsiString& b) { return a += b; }
    // Byte comparison when the code pages agree, else comparison of the text.
    friend bool operator==(const AnsiString& a, const AnsiString& b);
    friend bool operator!=(const AnsiString& a, const AnsiString& b) { return !(a == b); }
    friend bool operator<(const AnsiString& a, const AnsiString& b);

private:
    std::string FBytes;
    unsigned FCodePage;
};

// UTF-8 text (code page 65001).
class UTF8String : public AnsiString {
public:
    UTF8String() : AnsiString(std::string(), 65001) {}
    UTF8String(std::u16string_view text) : AnsiString(text, 65001) {}
    UTF8String(const UnicodeString& text) : AnsiString(std::u16string_view(text), 65001) {}
    UTF8String(const char16_t* text) : AnsiString(std::u16string_view(text ? text : u""), 65001) {}
    // Bytes that are already UTF-8.
    static UTF8String FromBytes(std::string bytes);
};

// Bytes kept as they come, with whatever code page they were given.
using RawByteString = AnsiString;

UTF8String UTF8Encode(const UnicodeString& text);
UnicodeString UTF8ToString(const AnsiString& utf8);
UnicodeString UTF8Decode(const AnsiString& utf8);
// The code page of s, as the framework's StringCodePage.
unsigned StringCodePage(const AnsiString& s);

#pragma GCC visibility pop
