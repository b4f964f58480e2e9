// TRegistry over the layer's Reg* calls.
#include <runpak/Registry.h>

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A key argument: relative to the current key unless it starts with '\'.
struct KeyArgument {
    bool relative;
    UnicodeString path; // without leading or trailing '\'
};

KeyArgument SplitKey(const UnicodeString& key) {
    KeyArgument result{key.empty() || key[0] != u'\\', key};
    if (!result.relative) result.path.erase(0, 1);
    while (!result.path.empty() && result.path.back() == u'\\')
        result.path.pop_back();
    return result;
}

TRegDataType RegDataOf(DWORD type) {
    switch (type) {
    case REG_SZ:
        return rdString;
    case REG_EXPAND_SZ:
        return rdExpandString;
    case REG_DWORD:
        return rdInteger;
    case REG_BINARY:
        return rdBinary;
    default:
        return rdUnknown;
    }
}

DWORD TypeOf(TRegDataType regData) {
    switch (regData) {
    case rdString:
        return REG_SZ;
    case rdExpandString:
        return REG_EXPAND_SZ;
    case rdInteger:
        return REG_DWORD;
    case rdBinary:
        return REG_BINARY;
    default:
        return REG_NONE;
    }
}

const DWORD readAccess = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

// The names of key's subkeys (or values), in the registry's order.
std::vector<UnicodeString> EnumNames(HKEY key, bool values) {
    std::vector<UnicodeString> names;
    std::vector<WCHAR> buffer(256);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        LSTATUS rc = values ? RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr,
                                            nullptr, nullptr)
                            : RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr,
                                            nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(buffer.data(), length);
        ++index;
    }
    return names;
}

// Deletes parent\name and everything below it.
bool DeleteTree(HKEY parent, const UnicodeString& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, readAccess, &key) == ERROR_SUCCESS) {
        for (const UnicodeString& child : EnumNames(key, false))
            DeleteTree(key, child);
        RegCloseKey(key);
    }
    return RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

// Copies every value and subkey of source into target.
void CopyTree(HKEY source, HKEY target) {
    for (const UnicodeString& name : EnumNames(source, true)) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(source, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            continue;
        std::vector<BYTE> data(size);
        if (RegQueryValueExW(source, name.c_str(), nullptr, &type, data.data(), &size) ==
            ERROR_SUCCESS)
            RegSetValueExW(target, name.c_str(), 0, type, data.data(), size);
    }
    for (const UnicodeString& name : EnumNames(source, false)) {
        HKEY from = nullptr;
        HKEY to = nullptr;
        if (RegOpenKeyExW(source, name.c_str(), 0, readAccess, &from) != ERROR_SUCCESS) continue;
        if (RegCreateKeyExW(target, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &to, nullptr) == ERROR_SUCCESS) {
            CopyTree(from, to);
            RegCloseKey(to);
        }
        RegCloseKey(from);
    }
}

UnicodeString JoinPath(const UnicodeString& base, const UnicodeString& sub) {
    if (base.empty()) return sub;
    if (sub.empty()) return base;
    return base + u"\\" + sub;
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(unsigned access) : FAccess(access) {}

TRegistry::~TRegistry() {
    CloseKey();
}

// --- Keys ----------------------------------------------------------------------

HKEY TRegistry::GetBaseKey(bool relative) const {
    return (FCurrentKey && relative) ? FCurrentKey : FRootKey;
}

void TRegistry::ChangeKey(HKEY value, const UnicodeString& path) {
    CloseKey();
    FCurrentKey = value;
    FCurrentPath = path;
}

void TRegistry::SetRootKey(HKEY value) {
    if (value == FRootKey) return;
    FRootKey = value;
    CloseKey();
}

bool TRegistry::OpenKey(const UnicodeString& key, bool canCreate) {
    KeyArgument arg = SplitKey(key);
    HKEY base = GetBaseKey(arg.relative);
    HKEY opened = nullptr;
    LSTATUS rc;
    if (!canCreate || arg.path.empty())
        rc = RegOpenKeyExW(base, arg.path.c_str(), 0, FAccess, &opened);
    else
        rc = RegCreateKeyExW(base, arg.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess,
                             nullptr, &opened, nullptr);
    if (rc != ERROR_SUCCESS) return false;
    UnicodeString path =
        (FCurrentKey && arg.relative) ? JoinPath(FCurrentPath, arg.path) : arg.path;
    ChangeKey(opened, path);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const UnicodeString& key) {
    unsigned saved = FAccess;
    bool result = false;
    for (unsigned access : {unsigned(KEY_READ), unsigned(readAccess), unsigned(KEY_QUERY_VALUE)}) {
        FAccess = access;
        result = OpenKey(key, false);
        if (result) break;
    }
    FAccess = saved;
    return result;
}

void TRegistry::CloseKey() {
    if (!FCurrentKey) return;
    if (!FLazyWrite) RegFlushKey(FCurrentKey);
    RegCloseKey(FCurrentKey);
    FCurrentKey = nullptr;
    FCurrentPath.clear();
}

bool TRegistry::CreateKey(const UnicodeString& key) {
    KeyArgument arg = SplitKey(key);
    HKEY created = nullptr;
    if (RegCreateKeyExW(GetBaseKey(arg.relative), arg.path.c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, FAccess, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        throw ERegistryException(u"Failed to create key %s", {key});
    RegCloseKey(created);
    return true;
}

bool TRegistry::DeleteKey(const UnicodeString& key) {
    KeyArgument arg = SplitKey(key);
    return DeleteTree(GetBaseKey(arg.relative), arg.path);
}

bool TRegistry::KeyExists(const UnicodeString& key) {
    KeyArgument arg = SplitKey(key);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(GetBaseKey(arg.relative), arg.path.c_str(), 0, readAccess, &opened) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::HasSubKeys() {
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::MoveKey(const UnicodeString& oldName, const UnicodeString& newName, bool del) {
    if (!KeyExists(oldName) || KeyExists(newName)) return;
    KeyArgument from = SplitKey(oldName);
    KeyArgument to = SplitKey(newName);
    HKEY source = nullptr;
    HKEY target = nullptr;
    if (RegOpenKeyExW(GetBaseKey(from.relative), from.path.c_str(), 0, readAccess, &source) !=
        ERROR_SUCCESS)
        return;
    if (RegCreateKeyExW(GetBaseKey(to.relative), to.path.c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &target,
                        nullptr) == ERROR_SUCCESS) {
        CopyTree(source, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
    if (del) DeleteKey(oldName);
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& value) {
    std::memset(&value, 0, sizeof value);
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
    if (RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                         &values, &maxValueLen, &maxDataLen, nullptr,
                         &value.FileTime) != ERROR_SUCCESS)
        return false;
    value.NumSubKeys = int(subKeys);
    value.MaxSubKeyLen = int(maxSubKeyLen);
    value.NumValues = int(values);
    value.MaxValueLen = int(maxValueLen);
    value.MaxDataLen = int(maxDataLen);
    return true;
}

void TRegistry::GetKeyNames(TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    if (FCurrentKey)
        for (const UnicodeString& name : EnumNames(FCurrentKey, false))
            strings->Add(name);
    strings->EndUpdate();
}

void TRegistry::GetValueNames(TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    if (FCurrentKey)
        for (const UnicodeString& name : EnumNames(FCurrentKey, true))
            strings->Add(name);
    strings->EndUpdate();
}

// --- Values --------------------------------------------------------------------

bool TRegistry::GetDataInfo(const UnicodeString& valueName, TRegDataInfo& value) {
    value = {rdUnknown, 0};
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(FCurrentKey, valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return false;
    value.RegData = RegDataOf(type);
    value.DataSize = int(size);
    return true;
}

bool TRegistry::ValueExists(const UnicodeString& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

TRegDataType TRegistry::GetDataType(const UnicodeString& valueName) {
    TRegDataInfo info;
    return GetDataInfo(valueName, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const UnicodeString& valueName) {
    TRegDataInfo info;
    return GetDataInfo(valueName, info) ? info.DataSize : -1;
}

bool TRegistry::DeleteValue(const UnicodeString& name) {
    return RegDeleteValueW(FCurrentKey, name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::RenameValue(const UnicodeString& oldName, const UnicodeString& newName) {
    if (!ValueExists(oldName) || ValueExists(newName)) return;
    DWORD type = 0;
    DWORD size = 0;
    RegQueryValueExW(FCurrentKey, oldName.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(FCurrentKey, oldName.c_str(), nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS)
        return;
    if (RegSetValueExW(FCurrentKey, newName.c_str(), 0, type, data.data(), size) == ERROR_SUCCESS)
        DeleteValue(oldName);
}

int TRegistry::GetData(const UnicodeString& name, void* buffer, int bufSize,
                       TRegDataType& regData) {
    DWORD type = 0;
    DWORD size = DWORD(bufSize);
    if (RegQueryValueExW(FCurrentKey, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS)
        throw ERegistryException(u"Failed to get data for '%s'", {name});
    regData = RegDataOf(type);
    return int(size);
}

void TRegistry::PutData(const UnicodeString& name, const void* buffer, int bufSize,
                        TRegDataType regData) {
    if (RegSetValueExW(FCurrentKey, name.c_str(), 0, TypeOf(regData),
                       static_cast<const BYTE*>(buffer), DWORD(bufSize)) != ERROR_SUCCESS)
        throw ERegistryException(u"Failed to set data for '%s'", {name});
}

void TRegistry::ReadError(const UnicodeString& name) {
    throw ERegistryException(u"Invalid data type for '%s'", {name});
}

UnicodeString TRegistry::ReadString(const UnicodeString& name) {
    int size = GetDataSize(name);
    if (size <= 0) return {};
    UnicodeString text((size_t(size) + 1) / 2, u'\0');
    TRegDataType regData;
    GetData(name, text.data(), size, regData);
    if (regData != rdString && regData != rdExpandString) ReadError(name);
    // The stored text ends with a null; anything from the first null on goes.
    size_t end = text.find(u'\0');
    if (end != UnicodeString::npos) text.resize(end);
    return text;
}

void TRegistry::WriteString(const UnicodeString& name, const UnicodeString& value) {
    PutData(name, value.c_str(), int((value.size() + 1) * sizeof(char16_t)), rdString);
}

void TRegistry::WriteExpandString(const UnicodeString& name, const UnicodeString& value) {
    PutData(name, value.c_str(), int((value.size() + 1) * sizeof(char16_t)), rdExpandString);
}

int TRegistry::ReadInteger(const UnicodeString& name) {
    TRegDataInfo info;
    if (GetDataInfo(name, info) && info.RegData != rdInteger) ReadError(name);
    int32_t value = 0;
    TRegDataType regData;
    GetData(name, &value, sizeof value, regData);
    return value;
}

void TRegistry::WriteInteger(const UnicodeString& name, int value) {
    int32_t data = value;
    PutData(name, &data, sizeof data, rdInteger);
}

bool TRegistry::ReadBool(const UnicodeString& name) {
    return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const UnicodeString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

double TRegistry::ReadBinaryDouble(const UnicodeString& name) {
    TRegDataInfo info;
    if (GetDataInfo(name, info) && (info.RegData != rdBinary || info.DataSize != sizeof(double)))
        ReadError(name);
    double value = 0;
    TRegDataType regData;
    GetData(name, &value, sizeof value, regData);
    return value;
}

double TRegistry::ReadFloat(const UnicodeString& name) {
    return ReadBinaryDouble(name);
}

void TRegistry::WriteFloat(const UnicodeString& name, double value) {
    PutData(name, &value, sizeof value, rdBinary);
}

TDateTime TRegistry::ReadDateTime(const UnicodeString& name) {
    return ReadBinaryDouble(name);
}

void TRegistry::WriteDateTime(const UnicodeString& name, TDateTime value) {
    WriteFloat(name, value.Val());
}

TDateTime TRegistry::ReadDate(const UnicodeString& name) {
    return ReadBinaryDouble(name);
}

void TRegistry::WriteDate(const UnicodeString& name, TDateTime value) {
    WriteFloat(name, value.Val());
}

TDateTime TRegistry::ReadTime(const UnicodeString& name) {
    return ReadBinaryDouble(name);
}

void TRegistry::WriteTime(const UnicodeString& name, TDateTime value) {
    WriteFloat(name, value.Val());
}

double TRegistry::ReadCurrency(const UnicodeString& name) {
    TRegDataInfo info;
    if (GetDataInfo(name, info) && (info.RegData != rdBinary || info.DataSize != sizeof(int64_t)))
        ReadError(name);
    int64_t scaled = 0;
    TRegDataType regData;
    GetData(name, &scaled, sizeof scaled, regData);
    return double(scaled) / 10000.0;
}

void TRegistry::WriteCurrency(const UnicodeString& name, double value) {
    int64_t scaled = std::llround(value * 10000.0);
    PutData(name, &scaled, sizeof scaled, rdBinary);
}

int TRegistry::ReadBinaryData(const UnicodeString& name, void* buffer, int bufSize) {
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) return 0;
    if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > bufSize)
        ReadError(name);
    TRegDataType regData;
    return GetData(name, buffer, info.DataSize, regData);
}

void TRegistry::WriteBinaryData(const UnicodeString& name, const void* buffer, int bufSize) {
    PutData(name, buffer, bufSize, rdBinary);
}

// --- TRegIniFile ---------------------------------------------------------------

TRegIniFile::TRegIniFile(const UnicodeString& fileName, unsigned access)
    : TRegistry(access), FFileName(fileName) {
    if (!OpenKey(fileName, true)) OpenKey(fileName, false);
}

bool TRegIniFile::InSection(const UnicodeString& section, bool create,
                            const std::function<void()>& action) {
    if (section.empty()) {
        action();
        return true;
    }
    HKEY base = GetBaseKey(true);
    HKEY key = nullptr;
    LSTATUS rc = create ? RegCreateKeyExW(base, section.c_str(), 0, nullptr,
                                          REG_OPTION_NON_VOLATILE, FAccess, nullptr, &key, nullptr)
                        : RegOpenKeyExW(base, section.c_str(), 0, FAccess, &key);
    if (rc != ERROR_SUCCESS) return false;
    auto closeKey = runpak::ScopeExit([key] { RegCloseKey(key); });
    auto current = runpak::SaveAndRestore(FCurrentKey, key);
    action();
    return true;
}

UnicodeString TRegIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                      const UnicodeString& defaultValue) {
    UnicodeString result = defaultValue;
    InSection(section, false, [&] {
        if (ValueExists(ident)) result = TRegistry::ReadString(ident);
    });
    return result;
}

void TRegIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                              const UnicodeString& value) {
    if (!InSection(section, true, [&] { TRegistry::WriteString(ident, value); }))
        throw ERegistryException(u"Failed to create key %s", {section});
}

int TRegIniFile::ReadInteger(const UnicodeString& section, const UnicodeString& ident,
                             int defaultValue) {
    int result = defaultValue;
    InSection(section, false, [&] {
        if (!ValueExists(ident)) return;
        if (GetDataType(ident) == rdString)
            result = StrToIntDef(TRegistry::ReadString(ident), defaultValue);
        else
            result = TRegistry::ReadInteger(ident);
    });
    return result;
}

void TRegIniFile::WriteInteger(const UnicodeString& section, const UnicodeString& ident,
                               int value) {
    WriteString(section, ident, IntToStr(value));
}

bool TRegIniFile::ReadBool(const UnicodeString& section, const UnicodeString& ident,
                           bool defaultValue) {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value) {
    WriteString(section, ident, value ? u"1" : u"0");
}

void TRegIniFile::ReadSection(const UnicodeString& section, TStrings* strings) {
    strings->Clear();
    InSection(section, false, [&] { GetValueNames(strings); });
}

void TRegIniFile::ReadSections(TStrings* strings) {
    GetKeyNames(strings);
}

void TRegIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    InSection(section, false, [&] {
        for (const UnicodeString& name : EnumNames(FCurrentKey, true)) {
            UnicodeString value;
            TRegDataType type = GetDataType(name);
            if (type == rdInteger)
                value = IntToStr(TRegistry::ReadInteger(name));
            else if (type == rdString || type == rdExpandString)
                value = TRegistry::ReadString(name);
            strings->Add(name + u"=" + value);
        }
    });
    strings->EndUpdate();
}

void TRegIniFile::EraseSection(const UnicodeString& section) {
    TRegistry::DeleteKey(section);
}

void TRegIniFile::DeleteKey(const UnicodeString& section, const UnicodeString& ident) {
    InSection(section, false, [&] { DeleteValue(ident); });
}
