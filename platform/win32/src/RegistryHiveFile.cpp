#include "RegistryHiveFile.h"

#include "RegistryText.h"

#include <win32/winreg.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace win32 {
namespace {

const char hexDigits[] = "0123456789abcdef";

bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendHex(std::string& out, uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += hexDigits[(value >> shift) & 15];
}

// Appends text as UTF-8, writing `escape` + 4 hex digits for each unit that
// needs escaping (as told by mustEscape) or cannot be UTF-8 (a lone surrogate).
template <class MustEscape>
void AppendEscaped(std::string& out, std::u16string_view text, const char* escape,
                   MustEscape mustEscape) {
    size_t start = 0; // start of the run of plain units not yet written
    auto flush = [&](size_t end) { out += ToUtf8(text.substr(start, end - start)); };
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            ++i; // a proper pair: plain text
            continue;
        }
        if (!IsSurrogate(c) && !mustEscape(c)) continue;
        flush(i);
        out += escape;
        AppendHex(out, c, 4);
        start = i + 1;
    }
    flush(text.size());
}

void AppendQuoted(std::string& out, std::u16string_view text) {
    out += '"';
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char* named = nullptr;
        if (i < text.size()) {
            switch (text[i]) {
            case u'"':
                named = "\\\"";
                break;
            case u'\\':
                named = "\\\\";
                break;
            case u'\n':
                named = "\\n";
                break;
            case u'\r':
                named = "\\r";
                break;
            case u'\t':
                named = "\\t";
                break;
            default:
                continue;
            }
        }
        AppendEscaped(out, text.substr(start, i - start), "\\u",
                      [](char16_t c) { return c < 0x20 || c == 0x7F; });
        if (named) out += named;
        start = i + 1;
    }
    out += '"';
}

void AppendKeyName(std::string& out, std::u16string_view name) {
    AppendEscaped(out, name, "%", [](char16_t c) { return c < 0x20 || c == 0x7F || c == u'%'; });
}

std::u16string Units(const std::vector<BYTE>& data) {
    std::u16string units;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return units;
}

std::vector<BYTE> Bytes(std::u16string_view units) {
    std::vector<BYTE> data;
    data.reserve(units.size() * 2);
    for (char16_t c : units) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    return data;
}

std::vector<std::u16string> SplitMulti(std::u16string_view units) {
    std::vector<std::u16string> list;
    size_t start = 0;
    for (size_t i = 0; i + 1 < units.size(); ++i) {
        if (units[i] != 0) continue;
        list.emplace_back(units.substr(start, i - start));
        start = i + 1;
    }
    return list;
}

std::u16string JoinMulti(const std::vector<std::u16string>& list) {
    std::u16string units;
    for (const auto& item : list) {
        units += item;
        units += u'\0';
    }
    units += u'\0';
    return units;
}

uint64_t LittleEndian(const std::vector<BYTE>& data) {
    uint64_t value = 0;
    for (size_t i = data.size(); i-- > 0;)
        value = (value << 8) | data[i];
    return value;
}

void AppendData(std::string& out, DWORD type, const std::vector<BYTE>& data) {
    bool evenWithNul = data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == 0 &&
                       data[data.size() - 2] == 0;
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && evenWithNul) {
        out += type == REG_SZ ? "sz:" : "expand_sz:";
        std::u16string units = Units(data);
        AppendQuoted(out, std::u16string_view(units).substr(0, units.size() - 1));
        return;
    }
    if (type == REG_MULTI_SZ && evenWithNul) {
        std::u16string units = Units(data);
        std::vector<std::u16string> list = SplitMulti(units);
        if (JoinMulti(list) == units) {
            out += "multi_sz:";
            for (size_t i = 0; i < list.size(); ++i) {
                if (i) out += ',';
                AppendQuoted(out, list[i]);
            }
            return;
        }
    }
    if (type == REG_DWORD && data.size() == 4) {
        out += "dword:";
        AppendHex(out, LittleEndian(data), 8);
        return;
    }
    if (type == REG_QWORD && data.size() == 8) {
        out += "qword:";
        AppendHex(out, LittleEndian(data), 16);
        return;
    }
    if (type == REG_BINARY) {
        out += "hex:";
    } else {
        int digits = 1;
        while (digits < 8 && (type >> (4 * digits)) != 0)
            ++digits;
        out += "hex(";
        AppendHex(out, type, digits);
        out += "):";
    }
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out += ',';
        AppendHex(out, data[i], 2);
    }
}

void AppendKey(std::string& out, const RegistryKey& key, const std::string& path, bool isRoot) {
    if (key.IsVolatile()) return;
    if (!isRoot || !key.Values().empty()) {
        out += "\n[" + path + "]\n";
        for (const RegistryValue& value : key.Values()) {
            out += FormatValueLine(value.name, value.type, value.data);
        }
    }
    for (const auto& subkey : key.Subkeys()) {
        std::string subpath = isRoot ? "" : path + "\\";
        AppendKeyName(subpath, subkey->Name());
        AppendKey(out, *subkey, subpath, false);
    }
}

// --- Reading -------------------------------------------------------------------

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads four hex digits at pos into a UTF-16 unit.
bool ReadUnit(std::u16string_view text, size_t& pos, char16_t& unit) {
    if (pos + 4 > text.size()) return false;
    unsigned value = 0;
    for (int k = 0; k < 4; ++k) {
        int digit = HexValue(text[pos + k]);
        if (digit < 0) return false;
        value = value * 16 + digit;
    }
    pos += 4;
    unit = static_cast<char16_t>(value);
    return true;
}

// A cursor over one line of the file.
class LineReader {
public:
    explicit LineReader(std::u16string_view line) : m_line(line) {}

    bool AtEnd() const { return m_pos >= m_line.size(); }
    void SkipBlanks() {
        while (!AtEnd() && (m_line[m_pos] == u' ' || m_line[m_pos] == u'\t'))
            ++m_pos;
    }
    bool Take(char16_t c) {
        if (AtEnd() || m_line[m_pos] != c) return false;
        ++m_pos;
        return true;
    }
    bool Peek(char16_t c) const { return !AtEnd() && m_line[m_pos] == c; }

    std::optional<std::u16string> Quoted() {
        if (!Take(u'"')) return std::nullopt;
        std::u16string text;
        while (!AtEnd()) {
            char16_t c = m_line[m_pos++];
            if (c == u'"') return text;
            if (c != u'\\') {
                text += c;
                continue;
            }
            if (AtEnd()) return std::nullopt;
            char16_t escaped = m_line[m_pos++];
            switch (escaped) {
            case u'"':
                text += u'"';
                break;
            case u'\\':
                text += u'\\';
                break;
            case u'n':
                text += u'\n';
                break;
            case u'r':
                text += u'\r';
                break;
            case u't':
                text += u'\t';
                break;
            case u'u': {
                char16_t unit;
                if (!ReadUnit(m_line, m_pos, unit)) return std::nullopt;
                text += unit;
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt; // no closing quote
    }

    // The type word before ':', as in sz or hex(5).
    std::u16string Word() {
        size_t start = m_pos;
        while (!AtEnd() && m_line[m_pos] != u':' && m_line[m_pos] != u' ')
            ++m_pos;
        return std::u16string(m_line.substr(start, m_pos - start));
    }

    std::optional<uint64_t> HexNumber(size_t maxDigits) {
        size_t digits = 0;
        uint64_t value = 0;
        while (!AtEnd() && HexValue(m_line[m_pos]) >= 0) {
            value = value * 16 + HexValue(m_line[m_pos++]);
            if (++digits > maxDigits) return std::nullopt;
        }
        if (digits == 0) return std::nullopt;
        return value;
    }

private:
    std::u16string_view m_line;
    size_t m_pos = 0;
};

std::optional<std::vector<BYTE>> ReadHexBytes(LineReader& reader) {
    std::vector<BYTE> data;
    reader.SkipBlanks();
    if (reader.AtEnd()) return data;
    do {
        reader.SkipBlanks();
        std::optional<uint64_t> byte = reader.HexNumber(2);
        if (!byte) return std::nullopt;
        data.push_back(static_cast<BYTE>(*byte));
        reader.SkipBlanks();
    } while (reader.Take(u','));
    if (!reader.AtEnd()) return std::nullopt;
    return data;
}

std::vector<BYTE> LittleEndianBytes(uint64_t value, size_t size) {
    std::vector<BYTE> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<BYTE>(value >> (8 * i));
    return data;
}

// Reads `type:data` into a value; false when it is malformed.
bool ReadData(LineReader& reader, RegistryValue& value) {
    std::u16string word = reader.Word();
    if (!reader.Take(u':')) return false;
    if (word == u"sz" || word == u"expand_sz") {
        std::optional<std::u16string> text = reader.Quoted();
        reader.SkipBlanks();
        if (!text || !reader.AtEnd()) return false;
        value.type = word == u"sz" ? REG_SZ : REG_EXPAND_SZ;
        value.data = Bytes(*text + u'\0');
        return true;
    }
    if (word == u"multi_sz") {
        std::vector<std::u16string> list;
        reader.SkipBlanks();
        while (!reader.AtEnd()) {
            std::optional<std::u16string> item = reader.Quoted();
            if (!item) return false;
            list.push_back(*item);
            reader.SkipBlanks();
            if (reader.AtEnd()) break;
            if (!reader.Take(u',')) return false;
            reader.SkipBlanks();
        }
        value.type = REG_MULTI_SZ;
        value.data = Bytes(JoinMulti(list));
        return true;
    }
    if (word == u"dword" || word == u"qword") {
        size_t size = word == u"dword" ? 4 : 8;
        std::optional<uint64_t> number = reader.HexNumber(size * 2);
        reader.SkipBlanks();
        if (!number || !reader.AtEnd()) return false;
        value.type = word == u"dword" ? REG_DWORD : REG_QWORD;
        value.data = LittleEndianBytes(*number, size);
        return true;
    }
    DWORD type = REG_BINARY;
    if (word.rfind(u"hex(", 0) == 0 && word.size() > 5 && word.back() == u')') {
        LineReader typeReader(std::u16string_view(word).substr(4, word.size() - 5));
        std::optional<uint64_t> number = typeReader.HexNumber(8);
        if (!number || !typeReader.AtEnd()) return false;
        type = static_cast<DWORD>(*number);
    } else if (word != u"hex") {
        return false;
    }
    std::optional<std::vector<BYTE>> bytes = ReadHexBytes(reader);
    if (!bytes) return false;
    value.type = type;
    value.data = std::move(*bytes);
    return true;
}

bool ReadValueLine(std::u16string_view line, RegistryKey& key) {
    LineReader reader(line);
    RegistryValue value;
    if (!reader.Take(u'@')) {
        std::optional<std::u16string> name = reader.Quoted();
        if (!name || name->empty()) return false; // the default value is written as @
        value.name = std::move(*name);
    }
    reader.SkipBlanks();
    if (!reader.Take(u'=')) return false;
    reader.SkipBlanks();
    if (reader.Take(u'-')) { // a deletion appended to the file
        reader.SkipBlanks();
        if (!reader.AtEnd()) return false;
        key.DeleteValue(value.name);
        return true;
    }
    if (!ReadData(reader, value)) return false;
    key.SetValue(value.name, value.type, std::move(value.data));
    return true;
}

// The parts of a bracketed key path; nullopt when malformed.
std::optional<std::vector<std::u16string>> ReadKeyPath(std::u16string_view path) {
    std::vector<std::u16string> parts;
    if (path.empty()) return parts;
    std::u16string part;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'\\') {
            if (part.empty()) return std::nullopt;
            parts.push_back(std::move(part));
            part.clear();
        } else if (path[i] == u'%') {
            size_t pos = i + 1;
            char16_t unit;
            if (!ReadUnit(path, pos, unit)) return std::nullopt;
            part += unit;
            i = pos - 1;
        } else {
            part += path[i];
        }
    }
    return parts;
}

std::string_view TrimLine(std::string_view line) {
    const char* blanks = " \t\r";
    size_t first = line.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = line.find_last_not_of(blanks);
    return line.substr(first, last - first + 1);
}

} // namespace

std::string FormatHive(const RegistryKey& root, std::string_view title) {
    std::string out = "; ";
    out += title;
    out += "\n; Registry hive of the platform layer: [key path], then \"name\"=type:data; "
           "@ is the default value.\n";
    AppendKey(out, root, "", true);
    return out;
}

std::string FormatKeyPath(const RegistryKey& key, const std::vector<std::u16string_view>& below) {
    std::vector<std::u16string_view> parts;
    for (const RegistryKey* at = &key; at->Parent(); at = at->Parent())
        parts.push_back(at->Name());
    std::reverse(parts.begin(), parts.end());
    parts.insert(parts.end(), below.begin(), below.end());
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) path += '\\';
        AppendKeyName(path, parts[i]);
    }
    return path;
}

std::string FormatKeyRecord(const RegistryKey& key, const std::vector<std::u16string_view>& below) {
    return "[" + FormatKeyPath(key, below) + "]\n";
}

std::string FormatDeletedKeyRecord(const RegistryKey& key) {
    return "-[" + FormatKeyPath(key, {}) + "]\n";
}

std::string FormatValueLine(std::u16string_view name, DWORD type, const std::vector<BYTE>& data) {
    std::string line;
    if (name.empty())
        line += '@';
    else
        AppendQuoted(line, name);
    line += '=';
    AppendData(line, type, data);
    line += '\n';
    return line;
}

std::string FormatDeletedValueLine(std::u16string_view name) {
    std::string line;
    if (name.empty())
        line += '@';
    else
        AppendQuoted(line, name);
    return line + "=-\n";
}

size_t ParseHive(std::string_view text, RegistryKey& root) {
    size_t bad = 0;
    RegistryKey* current = &root;
    std::shared_ptr<RegistryKey> held; // keeps `current` alive while we read into it
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = TrimLine(text.substr(start, end - start));
        start = end + 1;
        if (raw.empty() || raw[0] == ';') continue;

        std::u16string line;
        if (!FromUtf8(raw, line)) {
            ++bad;
            continue;
        }
        bool deletion = line.size() > 1 && line[0] == u'-' && line[1] == u'[';
        if (line[0] == u'[' || deletion) {
            size_t open = deletion ? 1 : 0;
            std::optional<std::vector<std::u16string>> parts;
            if (line.back() == u']')
                parts = ReadKeyPath(std::u16string_view(line).substr(open + 1, line.size() - open - 2));
            // Deeper than a hive may go, or a deletion of the root: unreadable.
            if (parts && (parts->size() > kMaxKeyDepth || (deletion && parts->empty())))
                parts.reset();
            if (!parts) {
                ++bad;
                current = nullptr; // its values have nowhere to go
                continue;
            }
            current = &root;
            for (const std::u16string& part : *parts) {
                held = current->FindSubkey(part);
                if (!held && deletion) break;
                if (!held) held = current->AddSubkey(part, false);
                current = held.get();
            }
            if (deletion) {
                if (held && current->Parent()) current->Parent()->RemoveSubkey(current);
                current = nullptr; // values after a deletion have no key
                held.reset();
            }
            continue;
        }
        if (!current || !ReadValueLine(line, *current)) ++bad;
    }
    return bad;
}

} // namespace win32
