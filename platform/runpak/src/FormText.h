// The parsed form of a description text (grammar in Filer.h), and the
// spelling of values that the writer shares with the parser.
#pragma once

#include <runpak/Streams.h>
#include <runpak/UString.h>

#include <cstdint>
#include <vector>

namespace runpak {

struct TextProperty;

enum class TextValueKind {
    Integer,
    Float,
    String,
    Ident,
    True,
    False,
    Nil,
    Set,
    List,
    Block,
    Binary
};

struct TextValue {
    TextValueKind Kind = TextValueKind::Nil;
    int Line = 0;
    int Column = 0;
    int64_t Integer = 0;
    long double Float = 0;
    UnicodeString Text;                   // string, or identifier path ("Owner.Name")
    std::vector<UnicodeString> Names;     // set elements
    std::vector<TextValue> Items;         // list elements
    std::vector<TextProperty> Properties; // block
    TBytes Bytes;                         // binary
};

struct TextProperty {
    UnicodeString Path; // "Font.Size"
    int Line = 0;
    int Column = 0;
    TextValue Value;
};

struct TextObject {
    UnicodeString ClassName;
    UnicodeString Name;
    int Line = 0;
    int Column = 0;
    std::vector<TextProperty> Properties;
    std::vector<TextObject> Children;
};

struct TextDocument {
    TextObject Root;
};

// EParserError with the position of the first fault.
TextDocument ParseDescription(const UnicodeString& text);

bool IsTextIdent(const UnicodeString& text);
// "..." with the escapes the parser reads.
UnicodeString QuoteText(const UnicodeString& text);
// The shortest spelling that reads back to the same value of the float type
// (0 single, 1 double, 2 extended), always with a point or an exponent.
UnicodeString FloatText(long double value, int floatType);

} // namespace runpak
