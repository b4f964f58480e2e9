// The abstract set (links, names, update brackets) and the concrete base
// with its fields, definitions and load/save cycle.
#include "benchkit/props/IDEPropSet.h"

#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <utility>

// ---- TCustomPropSet ---------------------------------------------------------------------

TCustomPropSet::TCustomPropSet(TComponent* AOwner)
    : TComponent(AOwner), FEmptyValuesList(new TPropValueNames) {}

TCustomPropSet::~TCustomPropSet() {
    DetachLinks();
    delete FDesigner;
    FDesigner = nullptr;
    delete FEmptyValuesList;
}

void TCustomPropSet::DetachLinks() {
    while (!FLinks.empty()) {
        TPropLink* link = FLinks.back();
        RemoveLink(link);
        link->UpdateState();
    }
}

void TCustomPropSet::AddLink(TPropLink* Link) {
    FLinks.push_back(Link);
    Link->FPropSet = this;
}

void TCustomPropSet::RemoveLink(TPropLink* Link) {
    Link->FPropSet = nullptr;
    auto it = std::find(FLinks.begin(), FLinks.end(), Link);
    if (it != FLinks.end()) FLinks.erase(it);
}

TPropLink* TCustomPropSet::GetLinks(int Index) const {
    if (Index < 0 || Index >= int(FLinks.size()))
        TList::Error("List index out of bounds (%d)", Index);
    return FLinks[size_t(Index)];
}

void TCustomPropSet::NotifyPropLinks(TPropEvent Event, void* Info) {
    // A handler may detach links (a control dropping the set or being
    // freed): walk a copy, and call only links still attached, so that
    // none is skipped and none is called after it left.
    const std::vector<TPropLink*> links = FLinks;
    for (TPropLink* link : links) {
        if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) continue;
        link->DataEvent(Event, Info);
    }
}

void TCustomPropSet::ForgetField(TPropField* Field) {
    const std::vector<TPropLink*> links = FLinks;
    for (TPropLink* link : links) {
        if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) continue;
        if (auto* fieldLink = dynamic_cast<TFieldPropLink*>(link)) {
            if (fieldLink->GetField() == Field) fieldLink->SetField(nullptr);
        } else if (auto* relayLink = dynamic_cast<TPropSetLink*>(link)) {
            // A relay shows this set's fields to links of its own.
            relayLink->FPropSetSource->ForgetField(Field);
        }
    }
}

TPropField* TCustomPropSet::FindField(const UnicodeString& FieldName) {
    int count = GetFieldCount();
    for (int i = 0; i < count; ++i) {
        TPropField* field = GetField(i);
        if (AnsiSameText(field->GetFieldName(), FieldName)) return field;
    }
    return nullptr;
}

TPropField* TCustomPropSet::FieldByName(const UnicodeString& FieldName) {
    TPropField* field = FindField(FieldName);
    if (!field) PropErrorFmt(u"Field '%s' not found", {FieldName});
    return field;
}

void TCustomPropSet::CheckFieldName(const UnicodeString& FieldName) {
    if (FieldName.empty()) PropError(u"Field name missing");
    if (FindField(FieldName)) PropErrorFmt(u"Duplicate field name '%s'", {FieldName});
}

void TCustomPropSet::BeginUpdate() {
    if (FDisableCount == 0) FEnableEvent = peRecordChange;
    ++FDisableCount;
}

void TCustomPropSet::EndUpdate() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) DataEvent(FEnableEvent, nullptr);
}

void TCustomPropSet::DisableControls() {
    if (FDisableCount == 0) FEnableEvent = peFieldListChange;
    ++FDisableCount;
}

void TCustomPropSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) DataEvent(FEnableEvent, nullptr);
}

UnicodeString TCustomPropSet::GetDefaultControlClass(TPropFieldClass FieldClass) {
    if (FieldClass && FieldClass->InheritsFrom(TBooleanPropField::StaticClass()))
        return u"TPropCheckBox";
    if (FieldClass && FieldClass->InheritsFrom(TEnumPropField::StaticClass()))
        return u"TPropComboBox";
    return u"TPropEdit";
}

void TCustomPropSet::SetDesigner(TPropSetDesigner* Value) {
    if (Value == FDesigner) return;
    // The old designer is no longer ours by the time it is freed, so that it
    // does not clear the new one.
    TPropSetDesigner* old = std::exchange(FDesigner, Value);
    delete old;
}

// ---- TPropSetDesigner -------------------------------------------------------------------------

TPropSetDesigner::TPropSetDesigner(TCustomPropSet* PropSet) : FPropSet(PropSet) {
    if (FPropSet) FPropSet->SetDesigner(this);
}

TPropSetDesigner::~TPropSetDesigner() {
    if (FPropSet && FPropSet->FDesigner == this) FPropSet->FDesigner = nullptr;
}

void TPropSetDesigner::BeginDesign() {
    FPropSet->DisableControls();
}

void TPropSetDesigner::EndDesign() {
    FPropSet->EnableControls();
}

// ---- TPropSet ---------------------------------------------------------------------------------

TPropSet::TPropSet(TComponent* AOwner)
    : TCustomPropSet(AOwner), FFieldDefs(new TPropFieldDefs(this)) {}

TPropSet::~TPropSet() {
    // Fields removed from here on must not announce a field-list change.
    Destroying();
    DetachLinks();
    DestroyFields();
    delete FFieldDefs;
    FFieldDefs = nullptr;
}

void TPropSet::AddField(TPropField* Field) {
    FFields.push_back(Field);
    Field->AttachSet(this);
    DataEvent(peFieldListChange, nullptr);
}

void TPropSet::RemoveField(TPropField* Field) {
    auto it = std::find(FFields.begin(), FFields.end(), Field);
    if (it == FFields.end()) return;
    Field->AttachSet(nullptr);
    FFields.erase(it);
    ForgetField(Field);
    if (!GetComponentState().Contains(csDestroying)) DataEvent(peFieldListChange, nullptr);
}

void TPropSet::DestroyFields() {
    while (!FFields.empty()) {
        TPropField* field = FFields.back();
        RemoveField(field);
        field->BeforeDestruction();
        delete field;
    }
}

TPropField* TPropSet::GetField(int Index) {
    if (Index < 0 || Index >= int(FFields.size()))
        TList::Error("List index out of bounds (%d)", Index);
    return FFields[size_t(Index)];
}

TPropFieldClass TPropSet::GetFieldClass(TPropFieldType FieldType) {
    switch (FieldType) {
    case ptString:
        return TStringPropField::StaticClass();
    case ptInteger:
        return TIntegerPropField::StaticClass();
    case ptBoolean:
        return TBooleanPropField::StaticClass();
    case ptReal:
        return TFloatPropField::StaticClass();
    case ptDate:
        return TDatePropField::StaticClass();
    case ptEnum:
        return TEnumPropField::StaticClass();
    default:
        return TPropField::StaticClass();
    }
}

void TPropSet::GetFieldNames(TStrings* List) {
    auto update = runpak::UpdateBracket(*List);
    List->Clear();
    if (FFields.empty()) {
        UpdateFieldDefs();
        for (int i = 0; i < FFieldDefs->GetCount(); ++i)
            List->Add(FFieldDefs->GetItems(i)->GetName());
    } else {
        for (TPropField* field : FFields)
            List->Add(field->GetFieldName());
    }
}

void TPropSet::UpdateFieldDefs() {
    if (FFieldDefs->GetUpdated()) return;
    InitFieldDefs();
    FFieldDefs->SetUpdated(true);
}

void TPropSet::CreateDefaultFields() {
    UpdateFieldDefs();
    for (int i = 0; i < FFieldDefs->GetCount(); ++i)
        FFieldDefs->GetItems(i)->CreateField(GetOwner());
}

TPropValueNames* TPropSet::GetFieldValuesList(const UnicodeString& FieldName) {
    UpdateFieldDefs();
    if (!FFields.empty() || FFieldDefs->GetCount() == 0)
        return FieldByName(FieldName)->GetValueNames();
    return FFieldDefs->Find(FieldName)->GetValueNames();
}

void TPropSet::SetState(TPropSetState Value) {
    if (Value == FState) return;
    FState = Value;
    StateChanged();
    // State changes are never held back by update brackets.
    NotifyPropLinks(peUpdateState, nullptr);
}

void TPropSet::DataEvent(TPropEvent Event, void* Info) {
    if (FDisableCount != 0) return;
    NotifyPropLinks(Event, Info);
    if (Event == peFieldChange && Info) static_cast<TPropField*>(Info)->Changed();
    if (FDesigner) FDesigner->DataEvent(Event, Info);
}

void TPropSet::LoadPropValues() {
    DoBeforeLoad();
    InternalLoadPropValues();
    DoAfterLoad();
}

void TPropSet::SavePropValues() {
    DoBeforeSave();
    InternalSavePropValues();
    DoAfterSave();
}

void TPropSet::DoAfterLoad() {
    if (AfterLoad) AfterLoad(this);
}

void TPropSet::DoAfterSave() {
    if (AfterSave) AfterSave(this);
}

void TPropSet::DoBeforeLoad() {
    if (BeforeLoad) BeforeLoad(this);
}

void TPropSet::DoBeforeSave() {
    if (BeforeSave) BeforeSave(this);
}

void TPropSet::InternalLoadPropValues() {
    SetState(psActive);
}

void TPropSet::InternalSavePropValues() {
    DataEvent(peUpdateRecord, nullptr);
}

namespace {

// "a; b ;c" -> the trimmed names.
std::vector<UnicodeString> SplitFieldNames(const UnicodeString& names) {
    std::vector<UnicodeString> result;
    size_t start = 0;
    while (true) {
        size_t end = names.find(u';', start);
        result.push_back(Trim(names.substr(start, end == UnicodeString::npos ? end : end - start)));
        if (end == UnicodeString::npos) break;
        start = end + 1;
    }
    return result;
}

} // namespace

Variant TPropSet::GetFieldValue(const UnicodeString& FieldNames) {
    if (FieldNames.find(u';') == UnicodeString::npos) return FieldByName(FieldNames)->GetValue();
    std::vector<UnicodeString> names = SplitFieldNames(FieldNames);
    std::vector<TPropField*> fields;
    for (const UnicodeString& name : names)
        fields.push_back(FieldByName(name));
    Variant result = VarArrayCreate(0, int(fields.size()) - 1);
    for (size_t i = 0; i < fields.size(); ++i)
        result[int(i)] = fields[i]->GetValue();
    return result;
}

void TPropSet::SetFieldValue(const UnicodeString& FieldNames, const Variant& Value) {
    if (FieldNames.find(u';') == UnicodeString::npos) {
        FieldByName(FieldNames)->SetValue(Value);
        return;
    }
    std::vector<UnicodeString> names = SplitFieldNames(FieldNames);
    std::vector<TPropField*> fields;
    for (const UnicodeString& name : names)
        fields.push_back(FieldByName(name));
    if (!Value.IsArray() ||
        Value.ArrayHighBound() - Value.ArrayLowBound() + 1 != int(fields.size()))
        PropErrorFmt(u"%s: %d values expected", {GetName(), int(fields.size())});
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->SetValue(Value[Value.ArrayLowBound() + int(i)]);
}

// ---- Field definitions
// ----------------------------------------------------------------------------

TPropFieldDef::TPropFieldDef(TPropFieldDefs* Owner, const UnicodeString& Name,
                             TPropFieldType DataType, int Size, int FieldNo)
    : FOwner(Owner), FName(Name), FDataType(DataType), FValueNames(new TPropValueNames),
      FFieldNo(FieldNo), FSize(Size) {
    FOwner->FItems.push_back(this);
    FOwner->FUpdated = false;
}

TPropFieldDef::~TPropFieldDef() {
    if (FOwner) {
        auto& items = FOwner->FItems;
        auto it = std::find(items.begin(), items.end(), this);
        if (it != items.end()) items.erase(it);
        FOwner->FUpdated = false;
    }
    delete FValueNames;
}

TPropField* TPropFieldDef::CreateField(TComponent* Owner) {
    TPropSet* set = FOwner->GetPropSet();
    TPropFieldClass fieldClass = set->GetFieldClass(FDataType);
    if (!fieldClass) PropErrorFmt(u"Field '%s' is of an unknown type", {FName});
    auto* field = dynamic_cast<TPropField*>(fieldClass->CreateComponent(Owner));
    if (!field) PropErrorFmt(u"Field '%s' is of an unknown type", {FName});
    auto abandon = runpak::ScopeExit([field] { delete field; });
    field->SetSize(FSize);
    field->SetFieldNo(FFieldNo);
    field->SetFieldName(FName);
    field->GetValueNames()->Assign(FValueNames);
    field->SetPropSet(set);
    abandon.Release();
    return field;
}

TPropFieldDefs::~TPropFieldDefs() {
    Clear();
}

void TPropFieldDefs::Add(const UnicodeString& Name, TPropFieldType DataType, int Size,
                         int FieldNo) {
    if (Name.empty()) PropError(u"Field name missing");
    if (IndexOf(Name) >= 0) PropErrorFmt(u"Duplicate field name '%s'", {Name});
    new TPropFieldDef(this, Name, DataType, Size, FieldNo);
}

int TPropFieldDefs::IndexOf(const UnicodeString& Name) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (AnsiSameText(FItems[i]->GetName(), Name)) return int(i);
    return -1;
}

TPropFieldDef* TPropFieldDefs::Find(const UnicodeString& Name) const {
    int index = IndexOf(Name);
    if (index < 0) PropErrorFmt(u"%s: Field '%s' not found", {FPropSet->GetName(), Name});
    return FItems[size_t(index)];
}

TPropFieldDef* TPropFieldDefs::GetItems(int Index) const {
    if (Index < 0 || Index >= int(FItems.size()))
        TList::Error("List index out of bounds (%d)", Index);
    return FItems[size_t(Index)];
}

void TPropFieldDefs::Clear() {
    while (!FItems.empty())
        delete FItems.back();
    FUpdated = false;
}

void TPropFieldDefs::Update() {
    FPropSet->UpdateFieldDefs();
}
