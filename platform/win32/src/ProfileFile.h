// One profile (INI) file, held as its lines so that a rewrite keeps comments,
// blank lines, order and the file's encoding and line ends.
//
// Sections are "[name]" lines; entries are "key=value" lines inside a section.
// Names match without regard to case and keep the case they have in the file.
// When a name occurs twice, the first occurrence counts, as on Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

class ProfileFile {
public:
    enum class LoadResult { Loaded, Missing, Unreadable };
    LoadResult Load(const std::string& path);
    // Writes the lines back atomically in the encoding the file was read in
    // (UTF-8 without BOM and CR LF line ends for a new file).
    bool Save(const std::string& path) const;

    std::vector<std::u16string> SectionNames() const;
    std::vector<std::u16string> KeyNames(std::u16string_view section) const;
    // The section's lines as "key=value" (other non-comment lines as they are).
    std::vector<std::u16string> SectionLines(std::u16string_view section) const;
    // The value trimmed of blanks and of one pair of surrounding quotes.
    bool FindValue(std::u16string_view section, std::u16string_view key,
                   std::u16string& value) const;

    // Edits return true when the file's lines changed.
    bool SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    bool DeleteKey(std::u16string_view section, std::u16string_view key);
    bool DeleteSection(std::u16string_view section);
    // Replaces the section's entries by `lines` ("key=value" each); its
    // comments and blank lines stay.
    bool ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& lines);

private:
    enum class Encoding { Utf8, Utf8Bom, Utf16Le, CodePage };

    // The lines of one section: [header, end).
    struct Range {
        size_t header;
        size_t end;
    };
    std::vector<Range> Sections(std::u16string_view name) const;

    std::vector<std::u16string> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    unsigned m_codePage = 0; // for Encoding::CodePage
    std::u16string m_newline = u"\r\n";
    std::string m_trailing; // an odd last byte of a UTF-16 file
};

} // namespace win32
