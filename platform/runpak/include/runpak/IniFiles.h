// INI files: the abstract TCustomIniFile with its typed reads and writes,
// TIniFile over the layer's profile calls, and TMemIniFile, which holds the
// whole file in memory.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/DateTime.h>
#include <runpak/Object.h>
#include <runpak/TextEncoding.h>

#include <cstdint>
#include <vector>

class TStream;
class TStrings;

// Every value is text in the file. The typed reads answer the default when
// the value is missing or does not convert.
class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const UnicodeString& fileName) : FFileName(fileName) {}
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const UnicodeString& GetFileName() const { return FFileName; }

    virtual UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                                     const UnicodeString& defaultValue) = 0;
    virtual void WriteString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& value) = 0;
    // Decimal, or hex as "$1F" or "0x1F".
    virtual int ReadInteger(const UnicodeString& section, const UnicodeString& ident,
                            int defaultValue);
    virtual void WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value);
    virtual int64_t ReadInt64(const UnicodeString& section, const UnicodeString& ident,
                              int64_t defaultValue);
    virtual void WriteInt64(const UnicodeString& section, const UnicodeString& ident,
                            int64_t value);
    // Written as "1" / "0"; read as a number (zero is false) or True/False.
    virtual bool ReadBool(const UnicodeString& section, const UnicodeString& ident,
                          bool defaultValue);
    virtual void WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value);
    // Floats, dates and times as the format settings write them.
    virtual double ReadFloat(const UnicodeString& section, const UnicodeString& ident,
                             double defaultValue);
    virtual void WriteFloat(const UnicodeString& section, const UnicodeString& ident, double value);
    virtual TDateTime ReadDate(const UnicodeString& section, const UnicodeString& ident,
                               TDateTime defaultValue);
    virtual void WriteDate(const UnicodeString& section, const UnicodeString& ident,
                           TDateTime value);
    virtual TDateTime ReadDateTime(const UnicodeString& section, const UnicodeString& ident,
                                   TDateTime defaultValue);
    virtual void WriteDateTime(const UnicodeString& section, const UnicodeString& ident,
                               TDateTime value);
    virtual TDateTime ReadTime(const UnicodeString& section, const UnicodeString& ident,
                               TDateTime defaultValue);
    virtual void WriteTime(const UnicodeString& section, const UnicodeString& ident,
                           TDateTime value);
    // Bytes as upper-case hex text. Reading writes the bytes at the stream's
    // position and answers their count; writing takes the stream from its
    // position to its end.
    virtual int ReadBinaryStream(const UnicodeString& section, const UnicodeString& name,
                                 TStream* value);
    virtual void WriteBinaryStream(const UnicodeString& section, const UnicodeString& name,
                                   TStream* value);

    // Key names of a section, section names, and "name=value" items; each
    // replaces the content of strings.
    virtual void ReadSection(const UnicodeString& section, TStrings* strings) = 0;
    virtual void ReadSections(TStrings* strings) = 0;
    virtual void ReadSectionValues(const UnicodeString& section, TStrings* strings) = 0;
    // A section exists when it holds at least one key.
    virtual bool SectionExists(const UnicodeString& section);
    virtual bool ValueExists(const UnicodeString& section, const UnicodeString& ident);
    virtual void EraseSection(const UnicodeString& section) = 0;
    virtual void DeleteKey(const UnicodeString& section, const UnicodeString& ident) = 0;
    // Writes what is held in memory to the file.
    virtual void UpdateFile() = 0;

protected:
    UnicodeString FFileName;
};

// An INI file read and written through the profile calls: every write goes
// to the file at once. A bare file name ("app.ini") lies in the Windows
// directory, as the profile calls place it; a missing file reads as empty.
// A refused write raises EIniFileException "Unable to write to <file>".
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const UnicodeString& fileName) : TCustomIniFile(fileName) {}

    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& defaultValue) override;
    void WriteString(const UnicodeString& section, const UnicodeString& ident,
                     const UnicodeString& value) override;
    void ReadSection(const UnicodeString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void ReadSectionValues(const UnicodeString& section, TStrings* strings) override;
    void EraseSection(const UnicodeString& section) override;
    void DeleteKey(const UnicodeString& section, const UnicodeString& ident) override;
    void UpdateFile() override;
};

// An INI file held in memory: the constructor reads it (a missing file is
// empty), UpdateFile writes it back; nothing reaches the file otherwise.
// Sections and keys match without regard to case unless CaseSensitive is
// set. Comment lines (starting with ';') are kept in place; names and values
// are trimmed. Text is read in the given encoding, or else as the file's
// byte-order mark or bytes say; it is written back in that same encoding
// (UTF-8 for a new file). With an empty file name the object is a pure
// in-memory store and UpdateFile does nothing.
class TMemIniFile : public TCustomIniFile {
public:
    explicit TMemIniFile(const UnicodeString& fileName);
    TMemIniFile(const UnicodeString& fileName, TTextEncoding encoding, bool caseSensitive = false);

    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& defaultValue) override;
    void WriteString(const UnicodeString& section, const UnicodeString& ident,
                     const UnicodeString& value) override;
    void ReadSection(const UnicodeString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void ReadSectionValues(const UnicodeString& section, TStrings* strings) override;
    void EraseSection(const UnicodeString& section) override;
    void DeleteKey(const UnicodeString& section, const UnicodeString& ident) override;
    void UpdateFile() override;

    // Drops every section.
    void Clear();
    // The file as lines, and the reverse (replacing everything held).
    void GetStrings(TStrings* list);
    void SetStrings(TStrings* list);
    // Takes a new file name; with reload, the content is read from it.
    void Rename(const UnicodeString& fileName, bool reload);

    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value) { FCaseSensitive = value; }
    TTextEncoding GetEncoding() const { return FEncoding; }
    void SetEncoding(TTextEncoding value) { FEncoding = value; }

private:
    struct TIniLine {
        UnicodeString Name; // the whole line for comments and lines without '='
        UnicodeString Value;
        bool IsValue;
    };
    struct TIniSection {
        UnicodeString Name;
        std::vector<TIniLine> Lines;
    };

    void LoadValues();
    bool SameName(const UnicodeString& a, const UnicodeString& b) const;
    TIniSection* FindSection(const UnicodeString& section);
    TIniLine* FindValue(TIniSection* section, const UnicodeString& ident);

    std::vector<UnicodeString> FPreamble; // comments before the first section
    std::vector<TIniSection> FSections;
    TTextEncoding FEncoding = teUTF8;
    bool FEncodingGiven = false;
    std::string FTrailingByte; // an odd last byte of a UTF-16 file, kept for the rewrite
    bool FCaseSensitive = false;
};

#pragma GCC visibility pop
