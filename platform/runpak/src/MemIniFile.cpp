// TMemIniFile: an INI file parsed into sections held in memory.
#include <runpak/IniFiles.h>

#include <runpak/FileSystem.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>

#include <runpak/Exceptions.h>
#include <win32/fileapi.h>

#include <algorithm>
#include <string>

namespace {

// The whole file as bytes; EFOpenError when it cannot be read.
std::string ReadWholeFile(const UnicodeString& fileName) {
    HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFOpenError(u"Cannot open file \"%s\". %s",
                          {fileName, SysErrorMessage(GetLastError())});
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

// Replaces the file with bytes: they go to a new file beside it, which then
// takes its name, so that a failure at any point (a full disk) leaves the old
// file whole. EFCreateError when it cannot be written.
void WriteWholeFile(const UnicodeString& fileName, const std::string& bytes) {
    auto fail = [&](DWORD error) {
        throw EFCreateError(u"Cannot create file \"%s\". %s", {fileName, SysErrorMessage(error)});
    };
    UnicodeString folder = ExtractFilePath(fileName);
    if (folder.empty()) folder = u".";
    WCHAR temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), u"ini", 0, temp)) fail(GetLastError());
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        DeleteFileW(temp);
        fail(error);
    }
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(file);
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (ok && !MoveFileExW(temp, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileW(temp);
        fail(error);
    }
}

} // namespace

TMemIniFile::TMemIniFile(const UnicodeString& fileName) : TCustomIniFile(fileName) {
    LoadValues();
}

TMemIniFile::TMemIniFile(const UnicodeString& fileName, TTextEncoding encoding, bool caseSensitive)
    : TCustomIniFile(fileName), FEncoding(encoding), FEncodingGiven(true),
      FCaseSensitive(caseSensitive) {
    LoadValues();
}

void TMemIniFile::LoadValues() {
    Clear();
    if (FFileName.empty() || !FileExists(FFileName)) return;
    std::string bytes = ReadWholeFile(FFileName);
    size_t preamble = 0;
    TTextEncoding detected = runpak::DetectTextEncoding(bytes, preamble);
    if (!FEncodingGiven) FEncoding = detected;
    // A byte-order mark of the encoding in use is not text.
    std::string mark = runpak::TextPreamble(FEncoding);
    std::string_view text(bytes);
    if (!mark.empty() && text.substr(0, mark.size()) == mark) text.remove_prefix(mark.size());
    TStringList lines;
    lines.SetText(runpak::DecodeText(text, FEncoding));
    SetStrings(&lines);
}

void TMemIniFile::UpdateFile() {
    if (FFileName.empty()) return;
    TStringList lines;
    GetStrings(&lines);
    // UTF-16 files carry their byte-order mark; UTF-8 and ANSI files none.
    std::string bytes = FEncoding == teUTF16LE || FEncoding == teUTF16BE
                            ? runpak::TextPreamble(FEncoding)
                            : std::string();
    bytes += runpak::EncodeText(lines.GetText(), FEncoding);
    WriteWholeFile(FFileName, bytes);
}

void TMemIniFile::Rename(const UnicodeString& fileName, bool reload) {
    FFileName = fileName;
    if (reload) LoadValues();
}

void TMemIniFile::Clear() {
    FPreamble.clear();
    FSections.clear();
}

// --- Lines ------------------------------------------------------------------------

void TMemIniFile::SetStrings(TStrings* list) {
    Clear();
    TIniSection* current = nullptr;
    for (int i = 0; i < list->GetCount(); ++i) {
        UnicodeString line = Trim(list->GetStrings(i));
        if (line.empty()) continue;
        bool isHeader = line.front() == u'[' && line.back() == u']';
        if (isHeader) {
            UnicodeString name = Trim(line.substr(1, line.size() - 2));
            // A section that comes twice is one section: its lines join the first.
            current = FindSection(name);
            if (!current) current = &FSections.emplace_back(TIniSection{name, {}});
            continue;
        }
        if (!current) {
            FPreamble.push_back(line);
            continue;
        }
        size_t equals = line.find(u'=');
        if (line.front() == u';' || equals == UnicodeString::npos)
            current->Lines.push_back({line, {}, false});
        else
            current->Lines.push_back(
                {TrimRight(line.substr(0, equals)), TrimLeft(line.substr(equals + 1)), true});
    }
}

void TMemIniFile::GetStrings(TStrings* list) {
    list->BeginUpdate();
    list->Clear();
    for (const UnicodeString& line : FPreamble)
        list->Add(line);
    for (const TIniSection& section : FSections) {
        list->Add(u"[" + section.Name + u"]");
        for (const TIniLine& line : section.Lines)
            list->Add(line.IsValue ? line.Name + u"=" + line.Value : line.Name);
        list->Add(u"");
    }
    list->EndUpdate();
}

// --- Look-up ----------------------------------------------------------------------

bool TMemIniFile::SameName(const UnicodeString& a, const UnicodeString& b) const {
    // Names in the file are read trimmed; names from callers count trimmed
    // too, or " Key " would be written anew each time and never found.
    UnicodeString left = Trim(a), right = Trim(b);
    return FCaseSensitive ? left == right : AnsiSameText(left, right);
}

TMemIniFile::TIniSection* TMemIniFile::FindSection(const UnicodeString& section) {
    for (TIniSection& candidate : FSections)
        if (SameName(candidate.Name, section)) return &candidate;
    return nullptr;
}

TMemIniFile::TIniLine* TMemIniFile::FindValue(TIniSection* section, const UnicodeString& ident) {
    if (!section) return nullptr;
    for (TIniLine& line : section->Lines)
        if (line.IsValue && SameName(line.Name, ident)) return &line;
    return nullptr;
}

// --- Reads and writes ---------------------------------------------------------------

UnicodeString TMemIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                      const UnicodeString& defaultValue) {
    TIniLine* line = FindValue(FindSection(section), ident);
    return line ? line->Value : defaultValue;
}

void TMemIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                              const UnicodeString& value) {
    TIniSection* target = FindSection(section);
    if (!target) target = &FSections.emplace_back(TIniSection{Trim(section), {}});
    if (TIniLine* line = FindValue(target, ident))
        line->Value = value;
    else
        target->Lines.push_back({Trim(ident), value, true});
}

void TMemIniFile::ReadSection(const UnicodeString& section, TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    if (TIniSection* found = FindSection(section))
        for (const TIniLine& line : found->Lines)
            if (line.IsValue) strings->Add(line.Name);
    strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    for (const TIniSection& section : FSections)
        strings->Add(section.Name);
    strings->EndUpdate();
}

void TMemIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    if (TIniSection* found = FindSection(section))
        for (const TIniLine& line : found->Lines)
            if (line.IsValue) strings->Add(line.Name + u"=" + line.Value);
    strings->EndUpdate();
}

void TMemIniFile::EraseSection(const UnicodeString& section) {
    std::erase_if(FSections,
                  [&](const TIniSection& candidate) { return SameName(candidate.Name, section); });
}

void TMemIniFile::DeleteKey(const UnicodeString& section, const UnicodeString& ident) {
    TIniSection* found = FindSection(section);
    if (!found) return;
    auto& lines = found->Lines;
    auto match = std::find_if(lines.begin(), lines.end(), [&](const TIniLine& line) {
        return line.IsValue && SameName(line.Name, ident);
    });
    if (match != lines.end()) lines.erase(match);
}
