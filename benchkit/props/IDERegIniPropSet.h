// The two stores of property values: a registry key (optionally one subkey
// per entry of a list) and an INI file. Both keep the live values in a
// memory INI cache and exchange them with the store only on LoadPropValues
// and SavePropValues.
//
// Registry layout, per field (value named by the field name): strings,
// Booleans, enums and colours as REG_SZ (a Boolean or enum as the name of
// its value, or its number as text), integers as REG_DWORD, floats, dates
// and times as 8-byte REG_BINARY doubles (days since 1899-12-30).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDEPropSet.h"

#include <runpak/IniFiles.h>
#include <runpak/Registry.h>
#include <runpak/SyncObjs.h>

enum TRootKey : uint8_t {
    hkNone,
    hkCustom,
    hkClassesRoot,
    hkCurrentUser,
    hkLocalMachine,
    hkUsers,
    hkPerformanceData,
    hkCurrentConfig,
    hkDynData
};

// The predefined root of an element (0 for hkNone and hkCustom), and back:
// 0 gives hkNone, a predefined root its element, anything else hkCustom.
HKEY RootKeyToHKEY(TRootKey Value);
TRootKey HKEYToRootKey(HKEY Value);

class TRegistryPropSet : public TPropSet {
public:
    explicit TRegistryPropSet(TComponent* AOwner);
    ~TRegistryPropSet() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetFieldData(TPropField* Field, Variant& Value) override;
    // Writes the cache only, then announces the change.
    void SetFieldData(TPropField* Field, const Variant& Value) override;

    TRootKey GetRootKey() const;
    // hkNone and hkCustom only close the open key.
    void SetRootKey(TRootKey Value);
    const UnicodeString& GetKeyPath() const { return FKeyPath; }
    void SetKeyPath(const UnicodeString& Value);
    int GetKeyIndex() const { return FKeyIndex; }
    void SetKeyIndex(int Value);
    TStrings* GetSubKeys() const { return FSubKeys; }
    void SetSubKeys(TStrings* Value);
    bool GetThreadSafe() const { return FThreadSafe; }
    // Not while a lock is held.
    void SetThreadSafe(bool Value) { FThreadSafe = Value; }
    TRegistry* GetRegistry() const { return FRegistry; }

    // KeyPath, then "\" and subkey KeyIndex when there is one.
    UnicodeString GetCurrentPath() const;
    // Makes Index current and opens its key, creating what is missing.
    void OpenKeyIndex(int Index);

    // Serialise access to the cache and the registry in thread-safe mode.
    void Lock();
    void UnLock();

protected:
    void InitFieldDefs() override {}
    void StateChanged() override {}
    void InternalLoadPropValues() override;
    void InternalSavePropValues() override;

private:
    void OpenCurrentKey();
    // The cache section of subkey index (-1: the key path alone).
    void LoadKey(const UnicodeString& Section);
    void SaveKey(const UnicodeString& Section);
    // Runs action for the key path alone, or for each subkey in turn,
    // restoring the current subkey afterwards, also on failure.
    template <class Action> void ForEachKey(Action action);

    TRegistry* FRegistry;
    TMemIniFile* FValues;
    UnicodeString FKeyPath;
    TStringList* FSubKeys;
    int FKeyIndex = -1;
    bool FThreadSafe = false;
    // Made with the set, so that no two threads can race to make it.
    TCriticalSection* FLock;
};

class TIniPropSet : public TPropSet {
public:
    explicit TIniPropSet(TComponent* AOwner);
    ~TIniPropSet() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetFieldData(TPropField* Field, Variant& Value) override;
    void SetFieldData(TPropField* Field, const Variant& Value) override;

    // The file is not read until LoadPropValues.
    UnicodeString GetFileName() const { return FValues->GetFileName(); }
    void SetFileName(const UnicodeString& Value);
    const UnicodeString& GetRootName() const { return FRootName; }
    void SetRootName(const UnicodeString& Value) { FRootName = Value; }

    // RootName, followed by the folder part of the field name ("Editor\Font"
    // lands in "Root\Editor\" as "Font").
    UnicodeString GetFieldSection(const UnicodeString& FieldName) const;
    TMemIniFile* GetValues() const { return FValues; }

protected:
    void InitFieldDefs() override {}
    void StateChanged() override {}
    // Re-reads the file; no event.
    void InternalLoadPropValues() override;
    // Writes the file; bound controls are not asked to push first.
    void InternalSavePropValues() override;

private:
    TMemIniFile* FValues;
    UnicodeString FRootName;
};

void InitializeIDERegIniPropSet();
void FinalizeIDERegIniPropSet();

#pragma GCC visibility pop
