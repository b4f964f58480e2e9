// Links (the listeners of a set), the relay set, and field-class registration.
#include "benchkit/props/IDEPropSet.h"

#include <quorlpak/WinControl.h>
#include <runpak/ScopeGuard.h>

// ---- TPropLink --------------------------------------------------------------------------------

TPropLink::~TPropLink() {
    if (FPropSet) FPropSet->RemoveLink(this);
}

void TPropLink::SetPropSet(TCustomPropSet* Value) {
    if (Value == FPropSet) return;
    if (FPropSet) FPropSet->RemoveLink(this);
    if (Value) Value->AddLink(this);
    UpdateState();
}

void TPropLink::UpdateState() {
    SetActive(FPropSet && FPropSet->GetState() != psInactive);
}

void TPropLink::SetActive(bool Value) {
    FActive = Value;
    ActiveChanged();
}

void TPropLink::UpdateRecord() {
    FUpdating = true;
    auto updating = runpak::ScopeExit([this] { FUpdating = false; });
    UpdateData();
}

void TPropLink::DataEvent(TPropEvent Event, void* Info) {
    if (Event == peUpdateState) {
        UpdateState();
        return;
    }
    if (Event == peUpdateAttributes) {
        UpdateAttributes(static_cast<TComponent*>(Info));
        return;
    }
    if (!FActive) return;
    switch (Event) {
    case peFieldChange:
    case peRecordChange:
        if (!FUpdating) RecordChanged(static_cast<TPropField*>(Info));
        break;
    case peFocusControl:
        FocusControl(static_cast<TPropField**>(Info));
        break;
    case peUpdateRecord:
        UpdateRecord();
        break;
    default:
        break;
    }
}

// ---- TPropSetLink -------------------------------------------------------------------------------

void TPropSetLink::DataEvent(TPropEvent Event, void* Info) {
    FPropSetSource->DataEvent(Event, Info);
    TPropLink::DataEvent(Event, Info);
}

void TPropSetLink::ActiveChanged() {
    // Straight to the relay's links: a relay that just lost its target would
    // drop the event, and its links would keep fields of a set that is gone.
    FPropSetSource->NotifyPropLinks(peUpdateState, nullptr);
}

// ---- TFieldPropLink
// ------------------------------------------------------------------------------

void TFieldPropLink::SetFieldName(const UnicodeString& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    UpdateField();
}

void TFieldPropLink::UpdateField() {
    SetField(nullptr);
    if (!FActive || !FPropSet || FFieldName.empty()) return;
    TPropField* field;
    if (FControl) {
        field = FPropSet->FindField(FFieldName);
        if (!field) PropErrorFmt(u"%s: Field '%s' not found", {FControl->GetName(), FFieldName});
    } else {
        field = FPropSet->FieldByName(FFieldName);
    }
    SetField(field);
}

void TFieldPropLink::SetField(TPropField* Value) {
    if (Value == FField) return;
    FField = Value;
    RecordChanged(nullptr);
}

void TFieldPropLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldPropLink::RecordChanged(TPropField* Field) {
    if (Field && Field != FField) return;
    {
        auto updating = runpak::SaveAndRestore(FUpdating, true);
        if (OnDataChange) OnDataChange(this);
    }
    FModified = false;
}

void TFieldPropLink::UpdateData() {
    if (!FModified) return;
    if (FField && OnUpdateData) OnUpdateData(this);
    FModified = false;
}

void TFieldPropLink::FocusControl(TPropField** FieldRef) {
    if (!FieldRef || !*FieldRef || *FieldRef != FField) return;
    auto* control = dynamic_cast<TWinControl*>(FControl);
    if (!control || !control->CanFocus()) return;
    *FieldRef = nullptr;
    control->SetFocus();
}

void TFieldPropLink::UpdateAttributes(TComponent* Component) {
    if (Component && Component == FControl && OnAttributesChange) OnAttributesChange(this);
}

// ---- TPropSetSource
// ---------------------------------------------------------------------------------

TPropSetSource::TPropSetSource(TComponent* AOwner)
    : TCustomPropSet(AOwner), FPropSetLink(new TPropSetLink(this)) {}

TPropSetSource::~TPropSetSource() {
    DetachLinks();
    delete FPropSetLink;
    FPropSetLink = nullptr;
}

TCustomPropSet* TPropSetSource::GetPropSet() const {
    return FPropSetLink->GetPropSet();
}

void TPropSetSource::SetPropSet(TCustomPropSet* Value) {
    if (Value == this) PropError(u"Cannot link a TPropSetSource to itself");
    TCustomPropSet* old = GetPropSet();
    if (Value == old) return;
    if (old) old->RemoveFreeNotification(this);
    FPropSetLink->SetPropSet(Value);
    if (Value) Value->FreeNotification(this);
}

void TPropSetSource::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPropSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FPropSetLink && AComponent == GetPropSet())
        FPropSetLink->SetPropSet(nullptr);
}

void TPropSetSource::AddField(TPropField* Field) {
    if (TCustomPropSet* target = GetPropSet()) target->AddField(Field);
}

void TPropSetSource::DataEvent(TPropEvent Event, void* Info) {
    if (FDisableCount != 0 || !GetPropSet()) return;
    NotifyPropLinks(Event, Info);
    if (Event == peFieldChange && Info) static_cast<TPropField*>(Info)->Changed();
    if (FDesigner) FDesigner->DataEvent(Event, Info);
}

TPropField* TPropSetSource::GetField(int Index) {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetField(Index) : nullptr;
}

TPropFieldClass TPropSetSource::GetFieldClass(TPropFieldType FieldType) {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetFieldClass(FieldType) : nullptr;
}

int TPropSetSource::GetFieldCount() {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetFieldCount() : 0;
}

bool TPropSetSource::GetFieldData(TPropField* Field, Variant& Value) {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetFieldData(Field, Value) : false;
}

TPropFieldDefs* TPropSetSource::GetFieldDefs() {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetFieldDefs() : nullptr;
}

Variant TPropSetSource::GetFieldValue(const UnicodeString& FieldNames) {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetFieldValue(FieldNames) : Variant();
}

TPropValueNames* TPropSetSource::GetFieldValuesList(const UnicodeString& FieldName) {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetFieldValuesList(FieldName) : FEmptyValuesList;
}

TPropSetState TPropSetSource::GetState() {
    TCustomPropSet* target = GetPropSet();
    return target ? target->GetState() : psInactive;
}

void TPropSetSource::RemoveField(TPropField* Field) {
    if (TCustomPropSet* target = GetPropSet()) target->RemoveField(Field);
}

void TPropSetSource::SetFieldData(TPropField* Field, const Variant& Value) {
    if (TCustomPropSet* target = GetPropSet()) target->SetFieldData(Field, Value);
}

void TPropSetSource::SetFieldValue(const UnicodeString& FieldNames, const Variant& Value) {
    if (TCustomPropSet* target = GetPropSet()) target->SetFieldValue(FieldNames, Value);
}

void TPropSetSource::SetState(TPropSetState Value) {
    if (TCustomPropSet* target = GetPropSet()) target->SetState(Value);
}

void TPropSetSource::GetFieldNames(TStrings* List) {
    if (TCustomPropSet* target = GetPropSet())
        target->GetFieldNames(List);
    else
        List->Clear();
}

// ---- Registration
// -----------------------------------------------------------------------------------

// Constant-initialised: loading the library sets nothing.
TRegisterPropFieldsProc RegisterPropFieldsProc = nullptr;

void RegisterPropFields(const TPropFieldClass* FieldClasses, int Count) {
    if (!RegisterPropFieldsProc) PropError(u"Invalid Prop Field registration proc");
    RegisterPropFieldsProc(FieldClasses, Count);
}

void RegisterPropFields(std::initializer_list<TPropFieldClass> FieldClasses) {
    RegisterPropFields(FieldClasses.begin(), int(FieldClasses.size()));
}
