// TRegistryIniFile: TCustomIniFile over a registry key, sections as subkeys.
#include <runpak/Registry.h>

#include <runpak/StringList.h>
#include <runpak/Strings.h>

TRegistryIniFile::TRegistryIniFile(const UnicodeString& fileName, unsigned access)
    : TCustomIniFile(fileName), FRegIniFile(new TRegIniFile(fileName, access)) {}

TRegistryIniFile::~TRegistryIniFile() {
    delete FRegIniFile;
}

UnicodeString TRegistryIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                           const UnicodeString& defaultValue) {
    UnicodeString result = defaultValue;
    TRegIniFile& reg = *FRegIniFile;
    reg.InSection(section, false, [&] {
        TRegDataType type = reg.GetDataType(ident);
        if (type == rdInteger)
            result = IntToStr(reg.ReadInteger(ident));
        else if (reg.ValueExists(ident))
            result = reg.ReadString(ident);
    });
    return result;
}

void TRegistryIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                                   const UnicodeString& value) {
    FRegIniFile->WriteString(section, ident, value);
}

int TRegistryIniFile::ReadInteger(const UnicodeString& section, const UnicodeString& ident,
                                  int defaultValue) {
    return FRegIniFile->ReadInteger(section, ident, defaultValue);
}

void TRegistryIniFile::WriteInteger(const UnicodeString& section, const UnicodeString& ident,
                                    int value) {
    TRegIniFile& reg = *FRegIniFile;
    reg.InSection(section, true, [&] {
        if (reg.GetDataType(ident) == rdString)
            reg.WriteString(ident, IntToStr(value));
        else
            reg.WriteInteger(ident, value);
    });
}

double
TRegistryIniFile::ReadDouble(const UnicodeString& section, const UnicodeString& ident,
                             double defaultValue,
                             const std::function<bool(const UnicodeString&, double&)>& parse) {
    double result = defaultValue;
    TRegIniFile& reg = *FRegIniFile;
    reg.InSection(section, false, [&] {
        if (!reg.ValueExists(ident)) return;
        if (reg.GetDataType(ident) == rdString) {
            double value;
            if (parse(reg.ReadString(ident), value)) result = value;
        } else {
            result = reg.ReadFloat(ident); // another type raises
        }
    });
    return result;
}

void TRegistryIniFile::WriteDouble(const UnicodeString& section, const UnicodeString& ident,
                                   double value,
                                   const std::function<UnicodeString(double)>& format) {
    TRegIniFile& reg = *FRegIniFile;
    reg.InSection(section, true, [&] {
        if (reg.GetDataType(ident) == rdString)
            reg.WriteString(ident, format(value));
        else
            reg.WriteFloat(ident, value);
    });
}

namespace {

// Text conversions of the values kept as strings.
bool ParseFloat(const UnicodeString& text, double& value) {
    return TryStrToFloat(text, value);
}

template <bool (*Try)(const UnicodeString&, TDateTime&)>
bool ParseDate(const UnicodeString& text, double& value) {
    TDateTime date;
    if (!Try(text, date)) return false;
    value = date;
    return true;
}

} // namespace

double TRegistryIniFile::ReadFloat(const UnicodeString& section, const UnicodeString& ident,
                                   double defaultValue) {
    return ReadDouble(section, ident, defaultValue, ParseFloat);
}

void TRegistryIniFile::WriteFloat(const UnicodeString& section, const UnicodeString& ident,
                                  double value) {
    WriteDouble(section, ident, value, [](double v) { return FloatToStr(v); });
}

TDateTime TRegistryIniFile::ReadDate(const UnicodeString& section, const UnicodeString& ident,
                                     TDateTime defaultValue) {
    return ReadDouble(section, ident, defaultValue, ParseDate<TryStrToDate>);
}

void TRegistryIniFile::WriteDate(const UnicodeString& section, const UnicodeString& ident,
                                 TDateTime value) {
    WriteDouble(section, ident, value, [](double v) { return DateToStr(v); });
}

TDateTime TRegistryIniFile::ReadDateTime(const UnicodeString& section, const UnicodeString& ident,
                                         TDateTime defaultValue) {
    return ReadDouble(section, ident, defaultValue, ParseDate<TryStrToDateTime>);
}

void TRegistryIniFile::WriteDateTime(const UnicodeString& section, const UnicodeString& ident,
                                     TDateTime value) {
    WriteDouble(section, ident, value, [](double v) { return DateTimeToStr(v); });
}

TDateTime TRegistryIniFile::ReadTime(const UnicodeString& section, const UnicodeString& ident,
                                     TDateTime defaultValue) {
    return ReadDouble(section, ident, defaultValue, ParseDate<TryStrToTime>);
}

void TRegistryIniFile::WriteTime(const UnicodeString& section, const UnicodeString& ident,
                                 TDateTime value) {
    WriteDouble(section, ident, value, [](double v) { return TimeToStr(v); });
}

void TRegistryIniFile::ReadSection(const UnicodeString& section, TStrings* strings) {
    FRegIniFile->ReadSection(section, strings);
}

void TRegistryIniFile::ReadSections(TStrings* strings) {
    FRegIniFile->ReadSections(strings);
}

void TRegistryIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) {
    FRegIniFile->ReadSectionValues(section, strings);
}

void TRegistryIniFile::EraseSection(const UnicodeString& section) {
    FRegIniFile->EraseSection(section);
}

void TRegistryIniFile::DeleteKey(const UnicodeString& section, const UnicodeString& ident) {
    FRegIniFile->DeleteKey(section, ident);
}
