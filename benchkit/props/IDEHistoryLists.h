// History managers: named most-recently-used lists of strings (search
// texts, paths, commands), merged with move-to-front rules and kept in any
// INI-style store or, for THistoryManager, under a registry key.
//
// Layout, one section per list: BaseSection\ListName holding "Count" and
// "Item0".."Item<Count-1>", most recent first.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDERegIniPropSet.h"

#include <runpak/IniFiles.h>
#include <runpak/StringList.h>

#include <functional>
#include <vector>

// Sender is the manager. NewList true: the lists were reloaded, refill from
// them; false: merge your current text into your list now.
using THistoryUpdateEvent = std::function<void(TObject* Sender, bool NewList)>;

class TCustomHistoryManager : public TComponent {
public:
    explicit TCustomHistoryManager(TComponent* AOwner);
    ~TCustomHistoryManager() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // One registration per object: a second one for the same object is ignored.
    void AddUpdateEvent(TObject* Client, const THistoryUpdateEvent& Event);
    void RemoveUpdateEvent(TObject* Client);
    // Calls every registration in order.
    void UpdateHistoryLists(bool NewList);

    // Fills Target with the non-empty entries of list Name; Target stays as
    // it is when the list is unknown or has no history yet.
    void GetHistoryList(const UnicodeString& Name, TStrings* Target);
    // Puts Value at the front of list Name (file-name comparison finds an
    // existing entry, which moves). Unknown names and empty values are ignored.
    void UpdateHistoryList(const WideString& Name, const WideString& Value);
    // The history of list Name (null when none yet, or the name is unknown).
    TStringList* GetHistory(const UnicodeString& Name) const;

    void LoadHistoryLists(TCustomIniFile* IniFile, const UnicodeString& BaseSection);
    void SaveHistoryLists(TCustomIniFile* IniFile, const UnicodeString& BaseSection);

    // The list names; each object slot holds that name's history.
    TStrings* GetLists() const { return FLists; }
    // Frees every history, then takes Value's names and a copy of each
    // history its object slots hold.
    void SetLists(TStrings* Value);
    int GetMaxItems() const { return FMaxItems; }
    // 0 (or less) keeps nothing new: merges leave the histories as they are.
    void SetMaxItems(int Value) { FMaxItems = Value; }

private:
    struct TUpdateRegistration {
        TObject* Client;
        THistoryUpdateEvent Event;
    };

    void FreeHistories();

    TStringList* FLists;
    int FMaxItems = 30;
    std::vector<TUpdateRegistration> FEventList;
};

// A history manager kept under RootKey\KeyPath, or under the key a registry
// property set has open when it is assigned.
class THistoryManager : public TCustomHistoryManager {
public:
    explicit THistoryManager(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Nothing without a root or a key path.
    void LoadHistory();
    void SaveHistory();

    const UnicodeString& GetKeyPath() const { return FKeyPath; }
    // Drops the property-set binding first.
    void SetKeyPath(const UnicodeString& Value);
    TRootKey GetRootKey() const { return HKEYToRootKey(FRootKeyValue); }
    // hkNone and hkCustom change nothing.
    void SetRootKey(TRootKey Value);
    HKEY GetRootKeyValue() const { return FRootKeyValue; }
    TRegistryPropSet* GetRegistryPropSet() const { return FRegistryPropSet; }
    // Takes the set's open key and root; none clears both.
    void SetRegistryPropSet(TRegistryPropSet* Value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    template <class Action> void WithRegistryIni(Action action);

    UnicodeString FKeyPath;
    TRegistryPropSet* FRegistryPropSet = nullptr;
    HKEY FRootKeyValue = HKEY_CURRENT_USER;
};

void InitializeIDEHistoryLists();
void FinalizeIDEHistoryLists();

#pragma GCC visibility pop
