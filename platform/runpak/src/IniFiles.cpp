// TCustomIniFile's typed reads and writes, and TIniFile over the profile calls.
#include <runpak/IniFiles.h>

#include <runpak/Exceptions.h>
#include <runpak/Streams.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <win32/profileapi.h>

#include <vector>

namespace {

// The longest value or list the profile calls are asked for (in characters).
constexpr DWORD maxProfileText = 1 << 20;

UnicodeString ReadIntegerText(TCustomIniFile& ini, const UnicodeString& section,
                              const UnicodeString& ident) {
    return Trim(ini.ReadString(section, ident, u""));
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Splits a list of null-terminated strings ending in an empty one.
std::vector<UnicodeString> SplitList(const std::vector<WCHAR>& buffer, DWORD length) {
    std::vector<UnicodeString> items;
    const WCHAR* p = buffer.data();
    const WCHAR* end = p + length;
    while (p < end && *p) {
        UnicodeString item(p);
        p += item.size() + 1;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

// --- TCustomIniFile --------------------------------------------------------------

int TCustomIniFile::ReadInteger(const UnicodeString& section, const UnicodeString& ident,
                                int defaultValue) {
    return StrToIntDef(ReadIntegerText(*this, section, ident), defaultValue);
}

void TCustomIniFile::WriteInteger(const UnicodeString& section, const UnicodeString& ident,
                                  int value) {
    WriteString(section, ident, IntToStr(value));
}

int64_t TCustomIniFile::ReadInt64(const UnicodeString& section, const UnicodeString& ident,
                                  int64_t defaultValue) {
    return StrToInt64Def(ReadIntegerText(*this, section, ident), defaultValue);
}

void TCustomIniFile::WriteInt64(const UnicodeString& section, const UnicodeString& ident,
                                int64_t value) {
    WriteString(section, ident, IntToStr(static_cast<long long>(value)));
}

bool TCustomIniFile::ReadBool(const UnicodeString& section, const UnicodeString& ident,
                              bool defaultValue) {
    bool value;
    return TryStrToBool(ReadIntegerText(*this, section, ident), value) ? value : defaultValue;
}

void TCustomIniFile::WriteBool(const UnicodeString& section, const UnicodeString& ident,
                               bool value) {
    WriteString(section, ident, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(const UnicodeString& section, const UnicodeString& ident,
                                 double defaultValue) {
    double value;
    return TryStrToFloat(ReadString(section, ident, u""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteFloat(const UnicodeString& section, const UnicodeString& ident,
                                double value) {
    WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const UnicodeString& section, const UnicodeString& ident,
                                   TDateTime defaultValue) {
    TDateTime value;
    return TryStrToDate(ReadString(section, ident, u""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteDate(const UnicodeString& section, const UnicodeString& ident,
                               TDateTime value) {
    WriteString(section, ident, DateToStr(value));
}

TDateTime TCustomIniFile::ReadDateTime(const UnicodeString& section, const UnicodeString& ident,
                                       TDateTime defaultValue) {
    TDateTime value;
    return TryStrToDateTime(ReadString(section, ident, u""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteDateTime(const UnicodeString& section, const UnicodeString& ident,
                                   TDateTime value) {
    WriteString(section, ident, DateTimeToStr(value));
}

TDateTime TCustomIniFile::ReadTime(const UnicodeString& section, const UnicodeString& ident,
                                   TDateTime defaultValue) {
    TDateTime value;
    return TryStrToTime(ReadString(section, ident, u""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteTime(const UnicodeString& section, const UnicodeString& ident,
                               TDateTime value) {
    WriteString(section, ident, TimeToStr(value));
}

int TCustomIniFile::ReadBinaryStream(const UnicodeString& section, const UnicodeString& name,
                                     TStream* value) {
    UnicodeString text = ReadString(section, name, u"");
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        int high = HexDigit(text[i]);
        int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) break; // what follows bad text is not data
        bytes.push_back(uint8_t(high << 4 | low));
    }
    if (!bytes.empty()) value->WriteBuffer(bytes.data(), int(bytes.size()));
    return int(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const UnicodeString& section, const UnicodeString& name,
                                       TStream* value) {
    static const char16_t digits[] = u"0123456789ABCDEF";
    int64_t count = value->GetSize() - value->GetPosition();
    std::vector<uint8_t> bytes(size_t(count > 0 ? count : 0));
    if (!bytes.empty()) value->ReadBuffer(bytes.data(), int(bytes.size()));
    UnicodeString text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    WriteString(section, name, text);
}

bool TCustomIniFile::SectionExists(const UnicodeString& section) {
    TStringList keys;
    ReadSection(section, &keys);
    return keys.GetCount() > 0;
}

bool TCustomIniFile::ValueExists(const UnicodeString& section, const UnicodeString& ident) {
    TStringList keys;
    ReadSection(section, &keys);
    return keys.IndexOf(ident) >= 0;
}

// --- TIniFile -------------------------------------------------------------------------

namespace {

[[noreturn]] void RaiseWriteError(const UnicodeString& fileName) {
    throw EIniFileException(u"Unable to write to %s", {fileName});
}

// Asks a profile call for text, growing the buffer while the answer may have
// been cut short: a cut answer is cutMargin below the buffer's size.
template <class Call> std::vector<WCHAR> ProfileText(DWORD& length, int cutMargin, Call call) {
    std::vector<WCHAR> buffer(2048);
    for (;;) {
        length = call(buffer.data(), DWORD(buffer.size()));
        if (length + cutMargin < buffer.size() || buffer.size() >= maxProfileText) return buffer;
        buffer.resize(buffer.size() * 4);
    }
}

} // namespace

UnicodeString TIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                   const UnicodeString& defaultValue) {
    DWORD length = 0;
    auto buffer = ProfileText(length, 1, [&](LPWSTR text, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), ident.c_str(), defaultValue.c_str(), text,
                                        size, FFileName.c_str());
    });
    return UnicodeString(buffer.data(), length);
}

void TIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                           const UnicodeString& value) {
    if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), value.c_str(),
                                    FFileName.c_str()))
        RaiseWriteError(FFileName);
}

void TIniFile::ReadSection(const UnicodeString& section, TStrings* strings) {
    DWORD length = 0;
    auto buffer = ProfileText(length, 2, [&](LPWSTR text, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), nullptr, nullptr, text, size,
                                        FFileName.c_str());
    });
    strings->BeginUpdate();
    strings->Clear();
    for (const UnicodeString& key : SplitList(buffer, length))
        strings->Add(key);
    strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* strings) {
    DWORD length = 0;
    auto buffer = ProfileText(length, 2, [&](LPWSTR text, DWORD size) {
        return GetPrivateProfileSectionNamesW(text, size, FFileName.c_str());
    });
    strings->BeginUpdate();
    strings->Clear();
    for (const UnicodeString& name : SplitList(buffer, length))
        strings->Add(name);
    strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) {
    TStringList keys;
    ReadSection(section, &keys);
    strings->BeginUpdate();
    strings->Clear();
    for (int i = 0; i < keys.GetCount(); ++i) {
        UnicodeString key = keys.GetStrings(i);
        strings->Add(key + u"=" + ReadString(section, key, u""));
    }
    strings->EndUpdate();
}

void TIniFile::EraseSection(const UnicodeString& section) {
    if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, FFileName.c_str()))
        RaiseWriteError(FFileName);
}

void TIniFile::DeleteKey(const UnicodeString& section, const UnicodeString& ident) {
    WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FFileName.c_str());
}

void TIniFile::UpdateFile() {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, FFileName.c_str());
}
