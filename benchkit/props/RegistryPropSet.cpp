// The registry store: values cached per key path, loaded from and saved to
// the registry key (or each subkey) on request, optionally under a lock.
#include "benchkit/props/IDERegIniPropSet.h"
#include "benchkit/props/PropCache.h"

#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

using benchkit::props::AcceptsStoredValue;
using benchkit::props::ReadCachedValue;
using benchkit::props::WriteCachedValue;

namespace {

const HKEY kRootKeys[] = {nullptr,
                          nullptr,
                          HKEY_CLASSES_ROOT,
                          HKEY_CURRENT_USER,
                          HKEY_LOCAL_MACHINE,
                          HKEY_USERS,
                          HKEY_PERFORMANCE_DATA,
                          HKEY_CURRENT_CONFIG,
                          HKEY_DYN_DATA};

// Holds the set's lock for a scope (a no-op unless the set is thread-safe).
class TPropSetLock {
public:
    explicit TPropSetLock(TRegistryPropSet* set) : FSet(set) { FSet->Lock(); }
    ~TPropSetLock() { FSet->UnLock(); }
    TPropSetLock(const TPropSetLock&) = delete;
    TPropSetLock& operator=(const TPropSetLock&) = delete;

private:
    TRegistryPropSet* FSet;
};

// The stored text of a field's default: an enum's is the name of its value
// when it has one, as every enum value is kept.
UnicodeString DefaultText(TPropField* field) {
    Variant def = field->GetDefaultValue();
    if (field->GetFieldType() == ptEnum) {
        int index = field->GetValueNames()->IndexOfValue(def.AsInteger());
        if (index >= 0) return field->GetValueNames()->GetNames(index);
    }
    return VarToStr(def);
}

} // namespace

HKEY RootKeyToHKEY(TRootKey Value) {
    return Value <= hkDynData ? kRootKeys[Value] : nullptr;
}

TRootKey HKEYToRootKey(HKEY Value) {
    if (!Value) return hkNone;
    for (int i = hkClassesRoot; i <= hkDynData; ++i)
        if (kRootKeys[i] == Value) return TRootKey(i);
    return hkCustom;
}

// ---- Construction ----------------------------------------------------------------------------

TRegistryPropSet::TRegistryPropSet(TComponent* AOwner)
    : TPropSet(AOwner), FRegistry(new TRegistry), FValues(new TMemIniFile(u"")),
      FSubKeys(new TStringList), FLock(new TCriticalSection) {
    FState = psActive;
}

TRegistryPropSet::~TRegistryPropSet() {
    // Links and fields go while the cache still exists.
    Destroying();
    DetachLinks();
    DestroyFields();
    delete FValues;
    delete FRegistry;
    delete FSubKeys;
    delete FLock;
}

// ---- Keys
// ------------------------------------------------------------------------------------------

TRootKey TRegistryPropSet::GetRootKey() const {
    return HKEYToRootKey(FRegistry->GetRootKey());
}

void TRegistryPropSet::SetRootKey(TRootKey Value) {
    HKEY root = RootKeyToHKEY(Value);
    if (root == FRegistry->GetRootKey()) return;
    FRegistry->CloseKey();
    if (root) FRegistry->SetRootKey(root);
}

void TRegistryPropSet::SetKeyPath(const UnicodeString& Value) {
    if (AnsiSameText(Value, FKeyPath)) return;
    FKeyPath = Value;
    DataEvent(peRecordChange, nullptr);
}

void TRegistryPropSet::SetKeyIndex(int Value) {
    if (Value == FKeyIndex) return;
    FKeyIndex = Value;
    DataEvent(peRecordChange, nullptr);
}

void TRegistryPropSet::SetSubKeys(TStrings* Value) {
    FSubKeys->Assign(Value);
}

UnicodeString TRegistryPropSet::GetCurrentPath() const {
    UnicodeString path = FKeyPath;
    if (FKeyIndex >= 0 && FSubKeys->GetCount() > 0) {
        UnicodeString subKey = FSubKeys->GetStrings(FKeyIndex);
        if (subKey.empty() || subKey[0] != u'\\') path += u'\\';
        path += subKey;
    }
    return path;
}

void TRegistryPropSet::OpenKeyIndex(int Index) {
    SetKeyIndex(Index);
    OpenCurrentKey();
}

void TRegistryPropSet::OpenCurrentKey() {
    UnicodeString path = GetCurrentPath();
    // From the root, whatever key is open now.
    if (!FRegistry->OpenKey(u"\\" + path, true)) PropErrorFmt(u"Unable to open Key: %s", {path});
}

void TRegistryPropSet::Lock() {
    if (FThreadSafe) FLock->Enter();
}

void TRegistryPropSet::UnLock() {
    if (FThreadSafe) FLock->Leave();
}

// ---- Cache
// ---------------------------------------------------------------------------------------------

bool TRegistryPropSet::GetFieldData(TPropField* Field, Variant& Value) {
    TPropSetLock lock(this);
    bool handled = ReadCachedValue(FValues, GetCurrentPath(), Field->GetFieldName(), Field, Value);
    if (handled && Field->GetFieldType() == ptBoolean) Value = Value.AsBoolean();
    return handled;
}

void TRegistryPropSet::SetFieldData(TPropField* Field, const Variant& Value) {
    {
        TPropSetLock lock(this);
        WriteCachedValue(FValues, GetCurrentPath(), Field->GetFieldName(), Field, Value);
    }
    DataEvent(peFieldChange, Field);
}

// ---- Load and save
// ---------------------------------------------------------------------------------------

template <class Action> void TRegistryPropSet::ForEachKey(Action action) {
    if (FSubKeys->GetCount() == 0) {
        // Without subkeys the path is the key path whatever the index.
        FKeyIndex = -1;
        OpenCurrentKey();
        action(GetCurrentPath());
        return;
    }
    // Back at the remembered key in the end; after a failure, the first
    // failure is the one to report.
    auto reopen = runpak::ScopeExit([this, remembered = FKeyIndex] {
        FKeyIndex = remembered;
        OpenCurrentKey();
    });
    for (int i = 0; i < FSubKeys->GetCount(); ++i) {
        FKeyIndex = i;
        OpenCurrentKey();
        action(GetCurrentPath());
    }
}

void TRegistryPropSet::InternalLoadPropValues() {
    {
        TPropSetLock lock(this);
        ForEachKey([this](const UnicodeString& section) { LoadKey(section); });
    }
    DataEvent(peRecordChange, nullptr);
}

void TRegistryPropSet::InternalSavePropValues() {
    TPropSetLock lock(this);
    TPropSet::InternalSavePropValues();
    ForEachKey([this](const UnicodeString& section) { SaveKey(section); });
}

void TRegistryPropSet::LoadKey(const UnicodeString& Section) {
    for (TPropField* field : FFields) {
        const UnicodeString& name = field->GetFieldName();
        bool present = FRegistry->ValueExists(name);
        Variant def = field->GetDefaultValue();
        switch (field->GetFieldType()) {
        case ptString:
        case ptBoolean:
        case ptColor:
            FValues->WriteString(Section, name,
                                 present ? FRegistry->ReadString(name) : VarToStr(def));
            break;
        case ptEnum:
            FValues->WriteString(Section, name,
                                 present ? FRegistry->ReadString(name) : DefaultText(field));
            break;
        case ptInteger:
            FValues->WriteInteger(Section, name,
                                  present ? FRegistry->ReadInteger(name) : def.AsInteger());
            break;
        case ptReal:
            FValues->WriteFloat(Section, name,
                                present ? FRegistry->ReadFloat(name) : def.AsDouble());
            break;
        case ptDate:
            FValues->WriteDate(Section, name,
                               present ? FRegistry->ReadDate(name) : def.AsDateTime());
            break;
        case ptTime:
            FValues->WriteTime(Section, name,
                               present ? FRegistry->ReadTime(name) : def.AsDateTime());
            break;
        case ptDateTime:
            FValues->WriteDateTime(Section, name,
                                   present ? FRegistry->ReadDateTime(name) : def.AsDateTime());
            break;
        default:
            break;
        }
        // A stored value the field refuses reads as the field's default.
        Variant loaded;
        if (GetFieldData(field, loaded) && !AcceptsStoredValue(field, loaded))
            FValues->DeleteKey(Section, name);
    }
}

void TRegistryPropSet::SaveKey(const UnicodeString& Section) {
    for (TPropField* field : FFields) {
        const UnicodeString& name = field->GetFieldName();
        Variant def = field->GetDefaultValue();
        // A value never loaded or set is saved as the field's default.
        switch (field->GetFieldType()) {
        case ptString:
        case ptBoolean:
        case ptEnum:
        case ptColor:
            FRegistry->WriteString(name, FValues->ReadString(Section, name, DefaultText(field)));
            break;
        case ptInteger:
            FRegistry->WriteInteger(name, FValues->ReadInteger(Section, name, def.AsInteger()));
            break;
        case ptReal:
            FRegistry->WriteFloat(name, FValues->ReadFloat(Section, name, def.AsDouble()));
            break;
        case ptDate:
            FRegistry->WriteDate(name, FValues->ReadDate(Section, name, def.AsDateTime()));
            break;
        case ptTime:
            FRegistry->WriteTime(name, FValues->ReadTime(Section, name, def.AsDateTime()));
            break;
        case ptDateTime:
            FRegistry->WriteDateTime(name, FValues->ReadDateTime(Section, name, def.AsDateTime()));
            break;
        default:
            break;
        }
    }
}

TClass TRegistryPropSet::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TRegistryPropSet>(u"TRegistryPropSet", TPropSet::StaticClass())
            .Property(u"KeyPath", UnicodeStringTypeInfo, &TRegistryPropSet::GetKeyPath,
                      &TRegistryPropSet::SetKeyPath)
            .Property(
                u"RootKey", IntegerTypeInfo,
                [](TRegistryPropSet* s) { return int(s->GetRootKey()); },
                [](TRegistryPropSet* s, int v) { s->SetRootKey(TRootKey(v)); })
            .Property(u"SubKeys", ClassTypeInfo<TStrings>, &TRegistryPropSet::GetSubKeys,
                      &TRegistryPropSet::SetSubKeys)
            .Property(u"ThreadSafe", BooleanTypeInfo, &TRegistryPropSet::GetThreadSafe,
                      &TRegistryPropSet::SetThreadSafe)
            .Default(0)
            .Event(u"AfterLoad",
                   static_cast<TPropSetNotifyEvent TRegistryPropSet::*>(&TPropSet::AfterLoad))
            .Event(u"AfterSave",
                   static_cast<TPropSetNotifyEvent TRegistryPropSet::*>(&TPropSet::AfterSave))
            .Event(u"BeforeLoad",
                   static_cast<TPropSetNotifyEvent TRegistryPropSet::*>(&TPropSet::BeforeLoad))
            .Event(u"BeforeSave",
                   static_cast<TPropSetNotifyEvent TRegistryPropSet::*>(&TPropSet::BeforeSave)));
    return &meta;
}
