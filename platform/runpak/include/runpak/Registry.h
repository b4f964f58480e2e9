// TRegistry: one open key at a time over the layer's registry, with typed
// reads and writes; TRegIniFile, which treats subkeys as sections.
//
// The layer's HKEY_LOCAL_MACHINE is writable by the user, so opening it with
// the default access (KEY_ALL_ACCESS) succeeds where Windows would ask for
// administrator rights.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/DateTime.h>
#include <runpak/IniFiles.h>
#include <runpak/Object.h>
#include <win32/winreg.h>

#include <cstdint>
#include <functional>

class TStrings;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegKeyInfo {
    int NumSubKeys;
    int MaxSubKeyLen;
    int NumValues;
    int MaxValueLen;
    int MaxDataLen;
    FILETIME FileTime;
};

struct TRegDataInfo {
    TRegDataType RegData;
    int DataSize;
};

// Reads of a value of another type raise ERegistryException
// "Invalid data type for '<name>'"; a refused write raises "Failed to set
// data for '<name>'"; a missing value read as a number raises "Failed to get
// data for '<name>'". Opening a missing or forbidden key answers false.
class TRegistry : public TObject {
public:
    // HKEY_CURRENT_USER, KEY_ALL_ACCESS, lazy writes.
    TRegistry();
    explicit TRegistry(unsigned access);
    ~TRegistry() override;
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // --- Keys ------------------------------------------------------------
    // Opens key, relative to the current key unless it starts with '\'
    // (then relative to the root key); creates the missing part when
    // canCreate is set. The opened key becomes the current key.
    bool OpenKey(const UnicodeString& key, bool canCreate);
    // Opens for reading only; writes through it are refused.
    bool OpenKeyReadOnly(const UnicodeString& key);
    void CloseKey();
    // Creates key (relative as OpenKey) without opening it; raises
    // ERegistryException "Failed to create key <key>" when refused.
    bool CreateKey(const UnicodeString& key);
    // Deletes key with everything below it.
    bool DeleteKey(const UnicodeString& key);
    bool KeyExists(const UnicodeString& key);
    bool HasSubKeys();
    // Copies oldName's key tree to newName (relative to the current key),
    // then deletes the old tree when del is set. Nothing happens when the
    // target already exists.
    void MoveKey(const UnicodeString& oldName, const UnicodeString& newName, bool del);
    bool GetKeyInfo(TRegKeyInfo& value);
    // Names of the current key's subkeys and values, replacing strings' content.
    void GetKeyNames(TStrings* strings);
    void GetValueNames(TStrings* strings);

    // --- Values ----------------------------------------------------------
    bool ValueExists(const UnicodeString& name);
    bool GetDataInfo(const UnicodeString& valueName, TRegDataInfo& value);
    // rdUnknown / -1 when the value does not exist.
    TRegDataType GetDataType(const UnicodeString& valueName);
    int GetDataSize(const UnicodeString& valueName);
    bool DeleteValue(const UnicodeString& name);
    // Nothing happens when oldName is missing or newName exists.
    void RenameValue(const UnicodeString& oldName, const UnicodeString& newName);

    // Strings: a missing value reads as empty.
    UnicodeString ReadString(const UnicodeString& name);
    void WriteString(const UnicodeString& name, const UnicodeString& value);
    void WriteExpandString(const UnicodeString& name, const UnicodeString& value);
    // REG_DWORD.
    int ReadInteger(const UnicodeString& name);
    void WriteInteger(const UnicodeString& name, int value);
    bool ReadBool(const UnicodeString& name);
    void WriteBool(const UnicodeString& name, bool value);
    // Doubles, dates and currency as 8 binary bytes.
    double ReadFloat(const UnicodeString& name);
    void WriteFloat(const UnicodeString& name, double value);
    TDateTime ReadDateTime(const UnicodeString& name);
    void WriteDateTime(const UnicodeString& name, TDateTime value);
    TDateTime ReadDate(const UnicodeString& name);
    void WriteDate(const UnicodeString& name, TDateTime value);
    TDateTime ReadTime(const UnicodeString& name);
    void WriteTime(const UnicodeString& name, TDateTime value);
    // Currency keeps four decimals, as a 64-bit count of ten-thousandths.
    double ReadCurrency(const UnicodeString& name);
    void WriteCurrency(const UnicodeString& name, double value);
    // Copies the value into buffer and answers its size (0 for a missing
    // value); a value larger than bufSize raises.
    int ReadBinaryData(const UnicodeString& name, void* buffer, int bufSize);
    void WriteBinaryData(const UnicodeString& name, const void* buffer, int bufSize);

    // --- Properties --------------------------------------------------------
    HKEY GetRootKey() const { return FRootKey; }
    // Closes the current key when the root changes.
    void SetRootKey(HKEY value);
    unsigned GetAccess() const { return FAccess; }
    void SetAccess(unsigned value) { FAccess = value; }
    HKEY GetCurrentKey() const { return FCurrentKey; }
    // The current key's path below the root, without a leading '\'.
    const UnicodeString& GetCurrentPath() const { return FCurrentPath; }
    // Without lazy writes, closing a key flushes it to disk.
    bool GetLazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool value) { FLazyWrite = value; }

protected:
    void ChangeKey(HKEY value, const UnicodeString& path);
    HKEY GetBaseKey(bool relative) const;
    // Raw access; a failure raises as described above.
    int GetData(const UnicodeString& name, void* buffer, int bufSize, TRegDataType& regData);
    void PutData(const UnicodeString& name, const void* buffer, int bufSize, TRegDataType regData);
    [[noreturn]] static void ReadError(const UnicodeString& name);

    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = nullptr;
    UnicodeString FCurrentPath;
    unsigned FAccess = KEY_ALL_ACCESS;
    bool FLazyWrite = true;

private:
    double ReadBinaryDouble(const UnicodeString& name);
};

// A registry key used like an INI file: fileName is the key (below
// HKEY_CURRENT_USER), sections are its subkeys. Numbers and booleans are
// stored as strings.
class TRegIniFile : public TRegistry {
public:
    explicit TRegIniFile(const UnicodeString& fileName, unsigned access = KEY_ALL_ACCESS);
    const UnicodeString& GetFileName() const { return FFileName; }

    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& defaultValue);
    void WriteString(const UnicodeString& section, const UnicodeString& ident,
                     const UnicodeString& value);
    int ReadInteger(const UnicodeString& section, const UnicodeString& ident, int defaultValue);
    void WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value);
    bool ReadBool(const UnicodeString& section, const UnicodeString& ident, bool defaultValue);
    void WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value);
    void ReadSection(const UnicodeString& section, TStrings* strings);
    void ReadSections(TStrings* strings);
    void ReadSectionValues(const UnicodeString& section, TStrings* strings);
    void EraseSection(const UnicodeString& section);
    void DeleteKey(const UnicodeString& section, const UnicodeString& ident);
    // Runs action with section's key (below the file's key) as the current
    // key, creating it when asked; false, without running action, when the
    // key cannot be opened.
    bool InSection(const UnicodeString& section, bool create, const std::function<void()>& action);

    using TRegistry::DeleteKey;
    using TRegistry::ReadBool;
    using TRegistry::ReadInteger;
    using TRegistry::ReadString;
    using TRegistry::WriteBool;
    using TRegistry::WriteInteger;
    using TRegistry::WriteString;

private:
    UnicodeString FFileName;
};

// TCustomIniFile over a registry key (below HKEY_CURRENT_USER unless the
// RegIniFile's root is changed and the key reopened): sections are subkeys.
// Integers are DWORD values and floats, dates and times binary doubles, as
// TRegistry writes them; values already stored as strings are read and
// rewritten as strings.
class TRegistryIniFile : public TCustomIniFile {
public:
    explicit TRegistryIniFile(const UnicodeString& fileName, unsigned access = KEY_ALL_ACCESS);
    ~TRegistryIniFile() override;

    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& defaultValue) override;
    void WriteString(const UnicodeString& section, const UnicodeString& ident,
                     const UnicodeString& value) override;
    int ReadInteger(const UnicodeString& section, const UnicodeString& ident,
                    int defaultValue) override;
    void WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value) override;
    double ReadFloat(const UnicodeString& section, const UnicodeString& ident,
                     double defaultValue) override;
    void WriteFloat(const UnicodeString& section, const UnicodeString& ident,
                    double value) override;
    TDateTime ReadDate(const UnicodeString& section, const UnicodeString& ident,
                       TDateTime defaultValue) override;
    void WriteDate(const UnicodeString& section, const UnicodeString& ident,
                   TDateTime value) override;
    TDateTime ReadDateTime(const UnicodeString& section, const UnicodeString& ident,
                           TDateTime defaultValue) override;
    void WriteDateTime(const UnicodeString& section, const UnicodeString& ident,
                       TDateTime value) override;
    TDateTime ReadTime(const UnicodeString& section, const UnicodeString& ident,
                       TDateTime defaultValue) override;
    void WriteTime(const UnicodeString& section, const UnicodeString& ident,
                   TDateTime value) override;
    void ReadSection(const UnicodeString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void ReadSectionValues(const UnicodeString& section, TStrings* strings) override;
    void EraseSection(const UnicodeString& section) override;
    void DeleteKey(const UnicodeString& section, const UnicodeString& ident) override;
    // Registry writes need no saving.
    void UpdateFile() override {}

    TRegIniFile* GetRegIniFile() const { return FRegIniFile; }

private:
    // Binary doubles, or text converted by parse / format when the value is
    // already a string.
    double ReadDouble(const UnicodeString& section, const UnicodeString& ident, double defaultValue,
                      const std::function<bool(const UnicodeString&, double&)>& parse);
    void WriteDouble(const UnicodeString& section, const UnicodeString& ident, double value,
                     const std::function<UnicodeString(double)>& format);

    TRegIniFile* FRegIniFile;
};

#pragma GCC visibility pop
