// The description text's lexer and recursive-descent parser, and the value
// spellings the writer shares with them.
#include "FormText.h"

#include <runpak/Filer.h>

#include "ObjectModelText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace runpak {

namespace {

// Deeper nesting than any form needs; it keeps hostile text from
// exhausting the stack.
constexpr int kMaxDepth = 200;

bool IsLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

enum class TokenKind { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
    TokenKind Kind = TokenKind::End;
    int Line = 1;
    int Column = 1;
    UnicodeString Text; // identifier or string
    char16_t Symbol = 0;
    int64_t Integer = 0;
    long double Float = 0;
    TBytes Bytes;
};

UnicodeString Describe(const Token& token) {
    switch (token.Kind) {
    case TokenKind::End:
        return u"end of text";
    case TokenKind::Ident:
        return u"'" + token.Text + u"'";
    case TokenKind::Symbol:
        return u"'" + UnicodeString(1, token.Symbol) + u"'";
    case TokenKind::String:
        return u"a string";
    case TokenKind::Binary:
        return u"binary data";
    default:
        return u"a number";
    }
}

class Lexer {
public:
    explicit Lexer(const UnicodeString& text) : FText(text) {}

    Token Next() {
        SkipBlanks();
        Token token;
        token.Line = FLine;
        token.Column = FColumn;
        if (AtEnd()) return token;
        char16_t c = Peek();
        if (IsLetter(c)) return LexIdent(token);
        if (IsDigit(c) || (c == u'-' && (IsDigit(Peek(1)) || Peek(1) == u'i')))
            return LexNumber(token);
        if (c == u'"') return LexString(token);
        if (c == u'<') return LexBinary(token);
        if (UnicodeString(u"{}()[]=,.").find(c) != UnicodeString::npos) {
            Advance();
            token.Kind = TokenKind::Symbol;
            token.Symbol = c;
            return token;
        }
        Fail(u"Unexpected character '" + UnicodeString(1, c) + u"'", FLine, FColumn);
    }

    [[noreturn]] static void Fail(const UnicodeString& what, int line, int column) {
        throw EParserError(what, line, column);
    }

private:
    bool AtEnd() const { return FPos >= FText.size(); }
    char16_t Peek(size_t ahead = 0) const {
        return FPos + ahead < FText.size() ? FText[FPos + ahead] : char16_t(0);
    }
    char16_t Advance() {
        char16_t c = FText[FPos++];
        if (c == u'\n' || (c == u'\r' && Peek() != u'\n')) {
            ++FLine;
            FColumn = 1;
        } else if (c != u'\r') {
            ++FColumn;
        }
        return c;
    }

    void SkipBlanks() {
        while (!AtEnd()) {
            char16_t c = Peek();
            if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\uFEFF') {
                Advance();
            } else if (c == u'#') {
                while (!AtEnd() && Peek() != u'\n' && Peek() != u'\r')
                    Advance();
            } else {
                break;
            }
        }
    }

    Token& LexIdent(Token& token) {
        while (!AtEnd() && (IsLetter(Peek()) || IsDigit(Peek())))
            token.Text += Advance();
        token.Kind = TokenKind::Ident;
        if (token.Text == u"inf" || token.Text == u"nan") {
            token.Kind = TokenKind::Float;
            token.Float = token.Text == u"inf" ? HUGE_VALL : std::nanl("");
        }
        return token;
    }

    Token& LexNumber(Token& token) {
        std::string digits;
        if (Peek() == u'-') digits += char(Advance());
        if (Peek() == u'i') {
            Token word;
            LexIdent(word);
            if (word.Kind != TokenKind::Float || word.Text != u"inf")
                Fail(u"Invalid number", token.Line, token.Column);
            token.Kind = TokenKind::Float;
            token.Float = -HUGE_VALL;
            return token;
        }
        bool negative = !digits.empty();
        if (Peek() == u'0' && (Peek(1) == u'x' || Peek(1) == u'X')) {
            Advance();
            Advance();
            uint64_t value = 0;
            int count = 0;
            while (HexValue(Peek()) >= 0) {
                if (++count > 16) Fail(u"Integer out of range", token.Line, token.Column);
                value = value << 4 | uint64_t(HexValue(Advance()));
            }
            if (count == 0) Fail(u"Invalid number", token.Line, token.Column);
            token.Kind = TokenKind::Integer;
            token.Integer = int64_t(negative ? 0 - value : value); // all 64 bits, as masks need
            return EndOfNumber(token);
        }
        bool isFloat = false;
        while (IsDigit(Peek()))
            digits += char(Advance());
        if (Peek() == u'.') {
            isFloat = true;
            digits += char(Advance());
            if (!IsDigit(Peek())) Fail(u"Invalid number", token.Line, token.Column);
            while (IsDigit(Peek()))
                digits += char(Advance());
        }
        if (Peek() == u'e' || Peek() == u'E') {
            isFloat = true;
            digits += char(Advance());
            if (Peek() == u'+' || Peek() == u'-') digits += char(Advance());
            if (!IsDigit(Peek())) Fail(u"Invalid number", token.Line, token.Column);
            while (IsDigit(Peek()))
                digits += char(Advance());
        }
        const char* first = digits.data();
        const char* last = first + digits.size();
        if (isFloat) {
            token.Kind = TokenKind::Float;
            auto [end, error] = std::from_chars(first, last, token.Float);
            if (error != std::errc() || end != last)
                Fail(u"Invalid number", token.Line, token.Column);
        } else {
            token.Kind = TokenKind::Integer;
            auto [end, error] = std::from_chars(first, last, token.Integer);
            if (error != std::errc() || end != last)
                Fail(u"Integer out of range", token.Line, token.Column);
        }
        return EndOfNumber(token);
    }

    Token& EndOfNumber(Token& token) {
        if (IsLetter(Peek()) || IsDigit(Peek())) Fail(u"Invalid number", token.Line, token.Column);
        return token;
    }

    Token& LexString(Token& token) {
        Advance(); // the opening quote
        token.Kind = TokenKind::String;
        for (;;) {
            if (AtEnd() || Peek() == u'\n' || Peek() == u'\r')
                Fail(u"Unterminated string", token.Line, token.Column);
            int line = FLine, column = FColumn;
            char16_t c = Advance();
            if (c == u'"') return token;
            if (c != u'\\') {
                token.Text += c;
                continue;
            }
            char16_t escape = AtEnd() ? char16_t(0) : Advance();
            switch (escape) {
            case u'"':
            case u'\\':
                token.Text += escape;
                break;
            case u'n':
                token.Text += u'\n';
                break;
            case u'r':
                token.Text += u'\r';
                break;
            case u't':
                token.Text += u'\t';
                break;
            case u'u': {
                unsigned code = 0;
                for (int i = 0; i < 4; ++i) {
                    int digit = HexValue(Peek());
                    if (digit < 0) Fail(u"Invalid escape in string", line, column);
                    Advance();
                    code = code << 4 | unsigned(digit);
                }
                token.Text += char16_t(code);
                break;
            }
            default:
                Fail(u"Invalid escape in string", line, column);
            }
        }
    }

    Token& LexBinary(Token& token) {
        Advance(); // '<'
        token.Kind = TokenKind::Binary;
        int high = -1;
        for (;;) {
            SkipBlanks();
            if (AtEnd()) Fail(u"Unterminated binary data", token.Line, token.Column);
            int line = FLine, column = FColumn;
            char16_t c = Advance();
            if (c == u'>') break;
            int digit = HexValue(c);
            if (digit < 0) Fail(u"Invalid hex digit in binary data", line, column);
            if (high < 0) {
                high = digit;
            } else {
                token.Bytes.push_back(uint8_t(high << 4 | digit));
                high = -1;
            }
        }
        if (high >= 0) Fail(u"Odd number of hex digits in binary data", token.Line, token.Column);
        return token;
    }

    const UnicodeString& FText;
    size_t FPos = 0;
    int FLine = 1;
    int FColumn = 1;
};

class Parser {
public:
    explicit Parser(const UnicodeString& text) : FLexer(text) { FToken = FLexer.Next(); }

    TextDocument Parse() {
        TextDocument document;
        if (FToken.Kind != TokenKind::Ident) Fail(u"Expected a class name");
        Token className = Take();
        document.Root = ParseComponent(className, 0);
        if (FToken.Kind != TokenKind::End) Fail(u"Expected end of text");
        return document;
    }

private:
    Token Take() {
        Token taken = std::move(FToken);
        FToken = FLexer.Next();
        return taken;
    }
    bool IsSymbol(char16_t symbol) const {
        return FToken.Kind == TokenKind::Symbol && FToken.Symbol == symbol;
    }
    void Expect(char16_t symbol) {
        if (!IsSymbol(symbol))
            Fail(u"Expected '" + UnicodeString(1, symbol) + u"' but found " + Describe(FToken));
        Take();
    }
    UnicodeString ExpectIdent() {
        if (FToken.Kind != TokenKind::Ident)
            Fail(u"Expected an identifier but found " + Describe(FToken));
        return Take().Text;
    }
    [[noreturn]] void Fail(const UnicodeString& what) {
        Lexer::Fail(what, FToken.Line, FToken.Column);
    }
    void Deeper(int depth) {
        if (depth > kMaxDepth) Fail(u"Nesting too deep");
    }

    // After the class name: [name] "{" body "}".
    TextObject ParseComponent(const Token& className, int depth) {
        Deeper(depth);
        TextObject object;
        object.ClassName = className.Text;
        object.Line = className.Line;
        object.Column = className.Column;
        if (FToken.Kind == TokenKind::Ident) object.Name = Take().Text;
        Expect(u'{');
        while (!IsSymbol(u'}')) {
            if (FToken.Kind != TokenKind::Ident)
                Fail(u"Expected a property or a component but found " + Describe(FToken));
            Token first = Take();
            if (FToken.Kind == TokenKind::Ident || IsSymbol(u'{'))
                object.Children.push_back(ParseComponent(first, depth + 1));
            else
                object.Properties.push_back(ParseProperty(first, depth));
        }
        Take();
        return object;
    }

    // After the property's first name: { "." ident } "=" value.
    TextProperty ParseProperty(const Token& first, int depth) {
        TextProperty prop;
        prop.Path = first.Text;
        prop.Line = first.Line;
        prop.Column = first.Column;
        while (IsSymbol(u'.')) {
            Take();
            prop.Path += u"." + ExpectIdent();
        }
        Expect(u'=');
        prop.Value = ParseValue(depth + 1);
        return prop;
    }

    TextValue ParseValue(int depth) {
        Deeper(depth);
        TextValue value;
        value.Line = FToken.Line;
        value.Column = FToken.Column;
        switch (FToken.Kind) {
        case TokenKind::Integer:
            value.Kind = TextValueKind::Integer;
            value.Integer = Take().Integer;
            return value;
        case TokenKind::Float:
            value.Kind = TextValueKind::Float;
            value.Float = Take().Float;
            return value;
        case TokenKind::String:
            value.Kind = TextValueKind::String;
            value.Text = Take().Text;
            return value;
        case TokenKind::Binary:
            value.Kind = TextValueKind::Binary;
            value.Bytes = Take().Bytes;
            return value;
        case TokenKind::Ident:
            return ParseIdentValue(value);
        case TokenKind::Symbol:
            if (IsSymbol(u'[')) return ParseSet(value);
            if (IsSymbol(u'(')) return ParseList(value, depth);
            if (IsSymbol(u'{')) return ParseBlock(value, depth);
            break;
        default:
            break;
        }
        Fail(u"Expected a value but found " + Describe(FToken));
    }

    TextValue& ParseIdentValue(TextValue& value) {
        UnicodeString word = Take().Text;
        if (SameIdent(word, u"true")) {
            value.Kind = TextValueKind::True;
        } else if (SameIdent(word, u"false")) {
            value.Kind = TextValueKind::False;
        } else if (SameIdent(word, u"nil")) {
            value.Kind = TextValueKind::Nil;
        } else {
            value.Kind = TextValueKind::Ident;
            value.Text = word;
            while (IsSymbol(u'.')) {
                Take();
                value.Text += u"." + ExpectIdent();
            }
        }
        return value;
    }

    TextValue& ParseSet(TextValue& value) {
        Take();
        value.Kind = TextValueKind::Set;
        while (!IsSymbol(u']')) {
            value.Names.push_back(ExpectIdent());
            if (!IsSymbol(u',')) break;
            Take();
        }
        Expect(u']');
        return value;
    }

    TextValue& ParseList(TextValue& value, int depth) {
        Take();
        value.Kind = TextValueKind::List;
        while (!IsSymbol(u')')) {
            value.Items.push_back(ParseValue(depth + 1));
            if (!IsSymbol(u',')) break;
            Take();
        }
        Expect(u')');
        return value;
    }

    TextValue& ParseBlock(TextValue& value, int depth) {
        Take();
        value.Kind = TextValueKind::Block;
        while (!IsSymbol(u'}')) {
            if (FToken.Kind != TokenKind::Ident)
                Fail(u"Expected a property but found " + Describe(FToken));
            Token first = Take();
            value.Properties.push_back(ParseProperty(first, depth));
        }
        Take();
        return value;
    }

    Lexer FLexer;
    Token FToken;
};

} // namespace

TextDocument ParseDescription(const UnicodeString& text) {
    return Parser(text).Parse();
}

bool IsTextIdent(const UnicodeString& text) {
    if (text.empty() || !IsLetter(text[0])) return false;
    for (char16_t c : text)
        if (!IsLetter(c) && !IsDigit(c)) return false;
    return true;
}

UnicodeString QuoteText(const UnicodeString& text) {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    UnicodeString quoted = u"\"";
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool low = c >= 0xDC00 && c <= 0xDFFF;
        bool paired = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (c == u'"' || c == u'\\') {
            quoted += u'\\';
            quoted += c;
        } else if (c == u'\n') {
            quoted += u"\\n";
        } else if (c == u'\r') {
            quoted += u"\\r";
        } else if (c == u'\t') {
            quoted += u"\\t";
        } else if (c < 0x20 || c == 0x7F || c == 0xFEFF || low || (high && !paired)) {
            // Control characters and lone surrogates would not survive the
            // trip through UTF-8 or an editor; they travel as code units.
            quoted += u"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                quoted += kHex[(c >> shift) & 0xF];
        } else if (paired) {
            quoted += c;
            quoted += text[++i];
        } else {
            quoted += c;
        }
    }
    return quoted + u"\"";
}

UnicodeString FloatText(long double value, int floatType) {
    if (std::isnan(value)) return u"nan";
    if (std::isinf(value)) return value < 0 ? u"-inf" : u"inf";
    char buffer[64];
    std::to_chars_result result;
    if (floatType == 0)
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    else if (floatType == 1)
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value));
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return UnicodeString(text.begin(), text.end());
}

} // namespace runpak

EParserError::EParserError(const UnicodeString& What, int Line, int Column)
    : Exception(What + u" on line " + runpak::IntText(Line) + u", column " +
                runpak::IntText(Column)),
      FLine(Line), FColumn(Column) {}
