// The INI store: the memory INI object is both the cache and the file.
#include "benchkit/props/IDERegIniPropSet.h"
#include "benchkit/props/PropCache.h"

#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

TIniPropSet::TIniPropSet(TComponent* AOwner) : TPropSet(AOwner), FValues(new TMemIniFile(u"")) {
    FState = psActive;
}

TIniPropSet::~TIniPropSet() {
    Destroying();
    DetachLinks();
    DestroyFields();
    delete FValues;
}

void TIniPropSet::SetFileName(const UnicodeString& Value) {
    FValues->Rename(Value, false);
}

UnicodeString TIniPropSet::GetFieldSection(const UnicodeString& FieldName) const {
    UnicodeString folder = ExtractFilePath(FieldName);
    if (folder.empty()) return FRootName;
    if (folder[0] != u'\\') folder.insert(folder.begin(), u'\\');
    return FRootName + folder;
}

bool TIniPropSet::GetFieldData(TPropField* Field, Variant& Value) {
    const UnicodeString& name = Field->GetFieldName();
    return benchkit::props::ReadCachedValue(FValues, GetFieldSection(name), ExtractFileName(name),
                                            Field, Value);
}

void TIniPropSet::SetFieldData(TPropField* Field, const Variant& Value) {
    const UnicodeString& name = Field->GetFieldName();
    benchkit::props::WriteCachedValue(FValues, GetFieldSection(name), ExtractFileName(name), Field,
                                      Value);
    DataEvent(peFieldChange, Field);
}

void TIniPropSet::InternalLoadPropValues() {
    FValues->Rename(FValues->GetFileName(), true);
    // A stored value the field refuses reads as the field's default (and is
    // not written back).
    for (TPropField* field : FFields) {
        Variant loaded;
        if (GetFieldData(field, loaded) && !benchkit::props::AcceptsStoredValue(field, loaded)) {
            const UnicodeString& name = field->GetFieldName();
            FValues->DeleteKey(GetFieldSection(name), ExtractFileName(name));
        }
    }
}

void TIniPropSet::InternalSavePropValues() {
    FValues->UpdateFile();
}

TClass TIniPropSet::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TIniPropSet>(u"TIniPropSet", TPropSet::StaticClass())
            .Property(u"FileName", UnicodeStringTypeInfo, &TIniPropSet::GetFileName,
                      &TIniPropSet::SetFileName)
            .Property(u"RootName", UnicodeStringTypeInfo, &TIniPropSet::GetRootName,
                      &TIniPropSet::SetRootName)
            .Event(u"AfterLoad",
                   static_cast<TPropSetNotifyEvent TIniPropSet::*>(&TPropSet::AfterLoad))
            .Event(u"AfterSave",
                   static_cast<TPropSetNotifyEvent TIniPropSet::*>(&TPropSet::AfterSave))
            .Event(u"BeforeLoad",
                   static_cast<TPropSetNotifyEvent TIniPropSet::*>(&TPropSet::BeforeLoad))
            .Event(u"BeforeSave",
                   static_cast<TPropSetNotifyEvent TIniPropSet::*>(&TPropSet::BeforeSave)));
    return &meta;
}

void InitializeIDERegIniPropSet() {
    RegisterClasses({TRegistryPropSet::StaticClass(), TIniPropSet::StaticClass()});
}

void FinalizeIDERegIniPropSet() {
    UnRegisterClasses({TRegistryPropSet::StaticClass(), TIniPropSet::StaticClass()});
}
