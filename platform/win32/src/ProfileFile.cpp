#include "ProfileFile.h"

#include "CodePage.h"
#include "RegistryText.h"

#include <algorithm>
#include <cerrno>

namespace win32 {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsComment(std::u16string_view line) {
    line = Trim(line);
    return !line.empty() && line[0] == u';';
}

// The name of a "[name]" line; false when the line is no section header.
bool SectionHeader(std::u16string_view line, std::u16string_view& name) {
    line = Trim(line);
    if (line.empty() || line[0] != u'[') return false;
    size_t close = line.find(u']');
    if (close == std::u16string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// The key and raw value of a "key=value" line; false for other lines.
bool Entry(std::u16string_view line, std::u16string_view& key, std::u16string_view& value) {
    if (IsComment(line)) return false;
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return false;
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

std::u16string_view Unquote(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Decodes 8-bit text in a code page; false when some bytes are not valid in it.
bool Decode(const CodePage& page, std::string_view bytes, std::u16string& text) {
    text.clear();
    const BYTE* in = reinterpret_cast<const BYTE*>(bytes.data());
    size_t left = bytes.size();
    while (left > 0) {
        size_t used = 1;
        int32_t cp = page.Decode(in, left, used);
        if (cp < 0) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (cp >> 10));
            text += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            text += static_cast<char16_t>(cp);
        }
        in += used;
        left -= used;
    }
    return true;
}

// Encodes text in a code page; false when it lacks some character.
bool Encode(const CodePage& page, std::u16string_view text, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (!page.Encode(cp, bytes)) return false;
    }
    return true;
}

std::u16string Header(std::u16string_view section) {
    std::u16string line = u"[";
    line += section;
    line += u']';
    return line;
}

std::u16string Join(std::u16string_view a, char16_t separator, std::u16string_view b) {
    std::u16string text(a);
    text += separator;
    text += b;
    return text;
}

bool HasLoneSurrogate(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i; // a pair
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) return true;
    }
    return false;
}

} // namespace

ProfileFile::LoadResult ProfileFile::Load(const std::string& path) {
    m_lines.clear();
    m_trailing.clear();
    m_encoding = Encoding::Utf8;
    m_codePage = 0;
    m_newline = u"\r\n";
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return errno == ENOENT ? LoadResult::Missing : LoadResult::Unreadable;

    std::u16string text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        m_encoding = Encoding::Utf16Le;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
        // Half a unit at the end is no text, but it is the file's: kept for the rewrite.
        if (bytes.size() % 2) m_trailing = bytes.substr(bytes.size() - 1);
    } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0 &&
               FromUtf8(std::string_view(bytes).substr(3), text)) {
        m_encoding = Encoding::Utf8Bom;
    } else if (!FromUtf8(bytes, text)) {
        // 8-bit text in the ANSI code page; bytes that page cannot decode are
        // taken as Latin-1 instead, which keeps every byte for the rewrite.
        m_encoding = Encoding::CodePage;
        m_codePage = AnsiCodePage();
        const CodePage* page = FindCodePage(m_codePage);
        if (!page || !Decode(*page, bytes, text)) {
            m_codePage = 28591;
            text = FromLatin1(bytes);
        }
    }

    if (text.find(u"\r\n") == std::u16string::npos && text.find(u'\n') != std::u16string::npos)
        m_newline = u"\n";
    size_t start = 0;
    // CR LF, LF and a lone CR each end a line.
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        m_lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (end < text.size() && text[end] == u'\r' && start < text.size() && text[start] == u'\n')
            ++start;
    }
    return LoadResult::Loaded;
}

bool ProfileFile::Save(const std::string& path) const {
    std::u16string text;
    for (const auto& line : m_lines)
        text += line + m_newline;

    std::string bytes;
    Encoding encoding = m_encoding;
    if (encoding == Encoding::CodePage) {
        const CodePage* page = FindCodePage(m_codePage);
        // The 8-bit form cannot hold all of the new text: UTF-8 loses nothing.
        if (!page || !Encode(*page, text, bytes)) encoding = Encoding::Utf8;
    }
    // A lone surrogate (the layer's escape for a name byte that is not UTF-8,
    // in a path kept as a value) has no UTF-8 form: UTF-16 keeps it exactly.
    if ((encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom) && HasLoneSurrogate(text))
        encoding = Encoding::Utf16Le;
    switch (encoding) {
    case Encoding::Utf16Le:
        bytes = "\xFF\xFE";
        for (char16_t c : text) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        break;
    case Encoding::Utf8Bom:
        bytes = "\xEF\xBB\xBF" + ToUtf8(text);
        break;
    case Encoding::Utf8:
        bytes = ToUtf8(text);
        break;
    case Encoding::CodePage:
        break; // encoded above
    }
    if (encoding == Encoding::Utf16Le) bytes += m_trailing;
    return WriteFileAtomically(path, bytes);
}

std::vector<ProfileFile::Range> ProfileFile::Sections(std::u16string_view name) const {
    std::vector<Range> ranges;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        std::u16string_view header;
        if (!SectionHeader(m_lines[i], header)) continue;
        if (!ranges.empty() && ranges.back().end == 0) ranges.back().end = i;
        if (EqualNoCase(header, name)) ranges.push_back({i, 0});
    }
    if (!ranges.empty() && ranges.back().end == 0) ranges.back().end = m_lines.size();
    return ranges;
}

std::vector<std::u16string> ProfileFile::SectionNames() const {
    std::vector<std::u16string> names;
    for (const auto& line : m_lines) {
        std::u16string_view name;
        if (!SectionHeader(line, name)) continue;
        bool seen = std::any_of(names.begin(), names.end(), [&](const std::u16string& known) {
            return EqualNoCase(known, name);
        });
        if (!seen) names.emplace_back(name);
    }
    return names;
}

std::vector<std::u16string> ProfileFile::KeyNames(std::u16string_view section) const {
    section = Trim(section); // names count without surrounding blanks, as in the file
    std::vector<std::u16string> names;
    auto ranges = Sections(section);
    if (ranges.empty()) return names;
    for (size_t i = ranges[0].header + 1; i < ranges[0].end; ++i) {
        std::u16string_view key, value;
        if (!Entry(m_lines[i], key, value)) continue;
        bool seen = std::any_of(names.begin(), names.end(), [&](const std::u16string& known) {
            return EqualNoCase(known, key);
        });
        if (!seen) names.emplace_back(key);
    }
    return names;
}

std::vector<std::u16string> ProfileFile::SectionLines(std::u16string_view section) const {
    section = Trim(section); // names count without surrounding blanks, as in the file
    std::vector<std::u16string> lines;
    auto ranges = Sections(section);
    if (ranges.empty()) return lines;
    for (size_t i = ranges[0].header + 1; i < ranges[0].end; ++i) {
        std::u16string_view key, value;
        if (Entry(m_lines[i], key, value))
            lines.push_back(Join(key, u'=', value));
        else if (!IsComment(m_lines[i]) && !Trim(m_lines[i]).empty())
            lines.emplace_back(Trim(m_lines[i]));
    }
    return lines;
}

bool ProfileFile::FindValue(std::u16string_view section, std::u16string_view key,
                            std::u16string& value) const {
    section = Trim(section); // names count without surrounding blanks, as in the file
    key = Trim(key);
    auto ranges = Sections(section);
    if (ranges.empty()) return false;
    for (size_t i = ranges[0].header + 1; i < ranges[0].end; ++i) {
        std::u16string_view name, raw;
        if (Entry(m_lines[i], name, raw) && EqualNoCase(name, key)) {
            value = Unquote(raw);
            return true;
        }
    }
    return false;
}

bool ProfileFile::SetValue(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value) {
    section = Trim(section); // names count without surrounding blanks, as in the file
    key = Trim(key);
    auto ranges = Sections(section);
    if (ranges.empty()) {
        m_lines.push_back(Header(section));
        m_lines.push_back(Join(key, u'=', value));
        return true;
    }
    Range range = ranges[0];
    size_t last = range.header; // the last non-blank line of the section
    for (size_t i = range.header + 1; i < range.end; ++i) {
        std::u16string_view name, raw;
        if (Entry(m_lines[i], name, raw) && EqualNoCase(name, key)) {
            std::u16string line = Join(name, u'=', value); // the key keeps its case
            if (line == m_lines[i]) return false;
            m_lines[i] = std::move(line);
            return true;
        }
        if (!Trim(m_lines[i]).empty()) last = i;
    }
    // New keys go after the section's last line, before the blank lines that
    // separate it from the next one.
    m_lines.insert(m_lines.begin() + last + 1, Join(key, u'=', value));
    return true;
}

bool ProfileFile::DeleteKey(std::u16string_view section, std::u16string_view key) {
    section = Trim(section); // names count without surrounding blanks, as in the file
    key = Trim(key);
    auto ranges = Sections(section);
    if (ranges.empty()) return false;
    bool changed = false;
    for (size_t i = ranges[0].end; i-- > ranges[0].header + 1;) {
        std::u16string_view name, raw;
        if (Entry(m_lines[i], name, raw) && EqualNoCase(name, key)) {
            m_lines.erase(m_lines.begin() + i);
            changed = true;
        }
    }
    return changed;
}

bool ProfileFile::DeleteSection(std::u16string_view section) {
    section = Trim(section); // names count without surrounding blanks, as in the file
    auto ranges = Sections(section);
    // Every occurrence goes, or the next one would take its place.
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        m_lines.erase(m_lines.begin() + it->header, m_lines.begin() + it->end);
    return !ranges.empty();
}

bool ProfileFile::ReplaceSection(std::u16string_view section,
                                 const std::vector<std::u16string>& lines) {
    section = Trim(section); // names count without surrounding blanks, as in the file
    auto ranges = Sections(section);
    if (ranges.empty()) {
        m_lines.push_back(Header(section));
        m_lines.insert(m_lines.end(), lines.begin(), lines.end());
        return true;
    }
    Range range = ranges[0];
    std::vector<std::u16string> comments, trailingBlanks;
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (Trim(m_lines[i]).empty())
            trailingBlanks.push_back(m_lines[i]);
        else
            trailingBlanks.clear();
        if (IsComment(m_lines[i])) comments.push_back(m_lines[i]);
    }
    std::vector<std::u16string> body = comments;
    body.insert(body.end(), lines.begin(), lines.end());
    body.insert(body.end(), trailingBlanks.begin(), trailingBlanks.end());
    m_lines.erase(m_lines.begin() + range.header + 1, m_lines.begin() + range.end);
    m_lines.insert(m_lines.begin() + range.header + 1, body.begin(), body.end());
    return true;
}

} // namespace win32
