// History managers: merging, client callbacks, and load/save through INI-style stores.
#include "benchkit/props/IDEHistoryLists.h"

#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <memory>

// ---- TCustomHistoryManager ------------------------------------------------------------------

TCustomHistoryManager::TCustomHistoryManager(TComponent* AOwner)
    : TComponent(AOwner), FLists(new TStringList) {}

TCustomHistoryManager::~TCustomHistoryManager() {
    FreeHistories();
    delete FLists;
}

void TCustomHistoryManager::FreeHistories() {
    for (int i = 0; i < FLists->GetCount(); ++i) {
        delete FLists->GetObjects(i);
        FLists->SetObjects(i, nullptr);
    }
}

void TCustomHistoryManager::AddUpdateEvent(TObject* Client, const THistoryUpdateEvent& Event) {
    for (const TUpdateRegistration& r : FEventList)
        if (r.Client == Client) return;
    FEventList.push_back({Client, Event});
}

void TCustomHistoryManager::RemoveUpdateEvent(TObject* Client) {
    auto it = std::find_if(FEventList.begin(), FEventList.end(),
                           [Client](const TUpdateRegistration& r) { return r.Client == Client; });
    if (it != FEventList.end()) FEventList.erase(it);
}

void TCustomHistoryManager::UpdateHistoryLists(bool NewList) {
    // A client may unregister while it is called: walk a copy.
    const std::vector<TUpdateRegistration> registrations = FEventList;
    for (const TUpdateRegistration& r : registrations)
        if (r.Event) r.Event(this, NewList);
}

TStringList* TCustomHistoryManager::GetHistory(const UnicodeString& Name) const {
    int index = FLists->IndexOf(Name);
    return index < 0 ? nullptr : static_cast<TStringList*>(FLists->GetObjects(index));
}

void TCustomHistoryManager::GetHistoryList(const UnicodeString& Name, TStrings* Target) {
    TStringList* history = GetHistory(Name);
    if (!history || !Target) return;
    auto update = runpak::UpdateBracket(*Target);
    Target->Clear();
    for (int i = 0; i < history->GetCount(); ++i)
        if (!history->GetStrings(i).empty()) Target->Add(history->GetStrings(i));
}

void TCustomHistoryManager::UpdateHistoryList(const WideString& Name, const WideString& Value) {
    int index = FLists->IndexOf(Name);
    if (index < 0 || Value.empty()) return;
    // A list allowed no entries keeps none (and an empty full list has no
    // last entry to drop).
    if (FMaxItems <= 0) return;
    auto* history = static_cast<TStringList*>(FLists->GetObjects(index));
    if (!history) {
        history = new TStringList;
        FLists->SetObjects(index, history);
    }
    int found = -1;
    for (int i = history->GetCount() - 1; i >= 0; --i)
        if (AnsiCompareFileName(history->GetStrings(i), Value) == 0) {
            found = i;
            break;
        }
    if (found == 0) return;
    if (found > 0)
        history->Delete(found);
    else if (history->GetCount() == FMaxItems)
        history->Delete(history->GetCount() - 1);
    history->Insert(0, Value);
}

void TCustomHistoryManager::LoadHistoryLists(TCustomIniFile* IniFile,
                                             const UnicodeString& BaseSection) {
    for (int i = 0; i < FLists->GetCount(); ++i) {
        delete FLists->GetObjects(i);
        FLists->SetObjects(i, nullptr);
        UnicodeString section = BaseSection + u"\\" + FLists->GetStrings(i);
        if (!IniFile->SectionExists(section) || !IniFile->ValueExists(section, u"Count")) continue;
        // The stored count is only a claim: a list never holds more than
        // MaxItems, nor more entries than the section has besides its count.
        TStringList names;
        IniFile->ReadSection(section, &names);
        int present = names.GetCount() - 1;
        int count = std::min({IniFile->ReadInteger(section, u"Count", 0), present,
                              std::max(FMaxItems, 0)});
        auto history = std::make_unique<TStringList>();
        for (int k = 0; k < count; ++k)
            history->Add(IniFile->ReadString(section, u"Item" + IntToStr(k), u""));
        FLists->SetObjects(i, history.release());
    }
    UpdateHistoryLists(true);
}

void TCustomHistoryManager::SaveHistoryLists(TCustomIniFile* IniFile,
                                             const UnicodeString& BaseSection) {
    UpdateHistoryLists(false);
    for (int i = 0; i < FLists->GetCount(); ++i) {
        const UnicodeString name = FLists->GetStrings(i);
        if (name.empty()) continue;
        UnicodeString section = BaseSection + u"\\" + name;
        auto* history = static_cast<TStringList*>(FLists->GetObjects(i));
        if (history && history->GetCount() > 0) {
            IniFile->WriteInteger(section, u"Count", history->GetCount());
            for (int k = 0; k < history->GetCount(); ++k)
                IniFile->WriteString(section, u"Item" + IntToStr(k), history->GetStrings(k));
        } else {
            IniFile->EraseSection(section);
        }
    }
}

void TCustomHistoryManager::SetLists(TStrings* Value) {
    FreeHistories();
    FLists->Clear();
    if (!Value) return;
    // The manager owns its histories: it takes copies of the given ones, so
    // that assigning one manager's lists to another frees nothing twice.
    for (int i = 0; i < Value->GetCount(); ++i) {
        TStringList* history = nullptr;
        if (auto* given = dynamic_cast<TStrings*>(Value->GetObjects(i))) {
            history = new TStringList;
            history->Assign(given);
        }
        FLists->AddObject(Value->GetStrings(i), history);
    }
}

// ---- THistoryManager
// --------------------------------------------------------------------------------

THistoryManager::THistoryManager(TComponent* AOwner) : TCustomHistoryManager(AOwner) {}

template <class Action> void THistoryManager::WithRegistryIni(Action action) {
    if (!FRootKeyValue || FKeyPath.empty()) return;
    auto ini = std::make_unique<TRegistryIniFile>(FKeyPath);
    TRegIniFile* reg = ini->GetRegIniFile();
    reg->SetRootKey(FRootKeyValue);
    // Sections name their path from the root (RootKey\KeyPath\ListName),
    // whichever root is in use.
    reg->CloseKey();
    action(ini.get());
}

void THistoryManager::LoadHistory() {
    WithRegistryIni([this](TCustomIniFile* ini) { LoadHistoryLists(ini, FKeyPath); });
}

void THistoryManager::SaveHistory() {
    WithRegistryIni([this](TCustomIniFile* ini) { SaveHistoryLists(ini, FKeyPath); });
}

void THistoryManager::SetKeyPath(const UnicodeString& Value) {
    if (Value == FKeyPath) return;
    SetRegistryPropSet(nullptr);
    FKeyPath = Value;
}

void THistoryManager::SetRootKey(TRootKey Value) {
    HKEY root = RootKeyToHKEY(Value);
    if (root && root != FRootKeyValue) FRootKeyValue = root;
}

void THistoryManager::SetRegistryPropSet(TRegistryPropSet* Value) {
    if (Value == FRegistryPropSet) return;
    if (FRegistryPropSet) FRegistryPropSet->RemoveFreeNotification(this);
    FRegistryPropSet = Value;
    if (Value) {
        FKeyPath = Value->GetRegistry()->GetCurrentPath();
        FRootKeyValue = Value->GetRegistry()->GetRootKey();
        Value->FreeNotification(this);
    } else {
        FKeyPath.clear();
        FRootKeyValue = nullptr;
    }
}

void THistoryManager::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomHistoryManager::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FRegistryPropSet) {
        FRegistryPropSet = nullptr;
        FKeyPath.clear();
        FRootKeyValue = nullptr;
    }
}

// ---- Classes
// ----------------------------------------------------------------------------------------------

TClass TCustomHistoryManager::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomHistoryManager>(u"TCustomHistoryManager", TComponent::StaticClass()));
    return &meta;
}

TClass THistoryManager::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<THistoryManager>(u"THistoryManager", TCustomHistoryManager::StaticClass())
            .Property(u"KeyPath", UnicodeStringTypeInfo, &THistoryManager::GetKeyPath,
                      &THistoryManager::SetKeyPath)
            .Stored([](THistoryManager* m) { return m->GetRegistryPropSet() == nullptr; })
            .Property(
                u"RootKey", IntegerTypeInfo,
                [](THistoryManager* m) { return int(m->GetRootKey()); },
                [](THistoryManager* m, int v) { m->SetRootKey(TRootKey(v)); })
            .Default(hkCurrentUser)
            .Stored([](THistoryManager* m) { return m->GetRegistryPropSet() == nullptr; })
            .Property(u"Lists", ClassTypeInfo<TStrings>, &THistoryManager::GetLists,
                      &THistoryManager::SetLists)
            .Property(u"MaxItems", IntegerTypeInfo, &THistoryManager::GetMaxItems,
                      &THistoryManager::SetMaxItems)
            .Default(30)
            .Property(u"RegistryPropSet", ClassTypeInfo<TRegistryPropSet>,
                      &THistoryManager::GetRegistryPropSet, &THistoryManager::SetRegistryPropSet));
    return &meta;
}

void InitializeIDEHistoryLists() {
    RegisterClass(THistoryManager::StaticClass());
}

void FinalizeIDEHistoryLists() {
    UnRegisterClass(THistoryManager::StaticClass());
}
