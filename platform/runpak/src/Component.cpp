#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>

#include "ObjectModelText.h"

#include <algorithm>

// --- TPersistent ----------------------------------------------------------------------

TClass TPersistent::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPersistent>(u"TPersistent", TObject::StaticClass()));
    return &meta;
}

void TPersistent::Assign(TPersistent* Source) {
    if (!Source) AssignError(nullptr);
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    UnicodeString sourceName = Source ? Source->ClassName() : UnicodeString(u"nil");
    throw EConvertError(u"Cannot assign a " + sourceName + u" to a " + ClassName());
}

UnicodeString TPersistent::GetNamePath() const {
    UnicodeString path = ClassName();
    if (TPersistent* owner = GetOwner()) {
        UnicodeString ownerPath = owner->GetNamePath();
        if (!ownerPath.empty()) path = ownerPath + u"." + path;
    }
    return path;
}

// --- TComponent: construction and destruction -------------------------------------------

namespace {

bool IsValidIdent(const UnicodeString& name) {
    if (name.empty()) return false;
    auto letter = [](char16_t c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
    };
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin() + 1, name.end(),
                       [&](char16_t c) { return letter(c) || digit(c); });
}

} // namespace

TClass TComponent::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TComponent>(u"TComponent", TPersistent::StaticClass())
            // The writer puts the name in the object's header, not among its properties.
            .Property(u"Name", UnicodeStringTypeInfo, &TComponent::GetName, &TComponent::SetName)
            .Stored(false)
            .Property(u"Tag", Int64TypeInfo, &TComponent::GetTag, &TComponent::SetTag)
            .Default(0));
    return &meta;
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::BeforeDestruction() {
    if (!FComponentState.Contains(csDestroying)) Destroying();
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* owned : FComponents)
        owned->Destroying();
}

void TComponent::DestroyComponents() {
    // Always the last one, fresh from the list: a notification may delete
    // or remove others while this runs.
    while (!FComponents.empty()) {
        TComponent* instance = FComponents.back();
        bool tellOthers =
            instance->FComponentState.Contains(csFreeNotification) ||
            (FComponentState.Contains(csDesigning) && FComponentState.Contains(csInline));
        if (tellOthers)
            RemoveComponent(instance);
        else
            Remove(instance);
        instance->BeforeDestruction();
        delete instance;
    }
}

// --- Ownership ----------------------------------------------------------------------------

void TComponent::Insert(TComponent* AComponent) {
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
    auto found = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (found != FComponents.end()) FComponents.erase(found);
    AComponent->FOwner = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    // An owner cycle would make each delete the other.
    for (TComponent* c = this; c; c = c->FOwner)
        if (c == AComponent) throw EComponentError(u"A component cannot own itself or its owner");
    ValidateInsert(AComponent);
    ValidateRename(AComponent, u"", AComponent->FName);
    // One owner at a time: a component in two lists would be deleted twice.
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    AComponent->SetReference(true);
    if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    ValidateRename(AComponent, AComponent->FName, u"");
    Notification(AComponent, opRemove);
    AComponent->SetReference(false);
    Remove(AComponent);
}

TComponent* TComponent::GetComponents(int Index) const {
    if (Index < 0 || Index >= GetComponentCount()) runpak::RaiseListIndexError(Index);
    return FComponents[size_t(Index)];
}

int TComponent::GetComponentIndex() const {
    if (!FOwner) return -1;
    const auto& list = FOwner->FComponents;
    auto found = std::find(list.begin(), list.end(), this);
    return found == list.end() ? -1 : int(found - list.begin());
}

void TComponent::SetComponentIndex(int Value) {
    int current = GetComponentIndex();
    if (current < 0) return;
    auto& list = FOwner->FComponents;
    Value = std::clamp(Value, 0, int(list.size()) - 1);
    if (Value == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + Value, this);
}

TComponent* TComponent::FindComponent(const UnicodeString& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (runpak::SameIdent(c->FName, AName)) return c;
    return nullptr;
}

// --- Name --------------------------------------------------------------------------------

void TComponent::SetName(const UnicodeString& NewName) {
    if (FName == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError(u"'" + NewName + u"' is not a valid component name");
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    if (FOwner && !NewName.empty()) {
        PFieldInfo field = GetFieldInfo(FOwner->ClassType(), NewName);
        if (field && !field->CanHold(this))
            throw EComponentError(u"Field " + NewName + u" of " + FOwner->ClassName() +
                                  u" cannot hold a " + ClassName());
    }
    SetReference(false);
    FName = NewName;
    SetReference(true);
}

void TComponent::SetReference(bool Enable) {
    if (!FOwner || FName.empty()) return;
    PFieldInfo field = GetFieldInfo(FOwner->ClassType(), FName);
    if (field) field->SetProc(FOwner, Enable ? this : nullptr);
}

void TComponent::ValidateRename(TComponent* AComponent, const UnicodeString& CurName,
                                const UnicodeString& NewName) {
    if (!AComponent || NewName.empty() || runpak::SameIdent(CurName, NewName)) return;
    TComponent* existing = FindComponent(NewName);
    if (existing && existing != AComponent)
        throw EComponentError(u"A component named " + NewName + u" already exists");
}

UnicodeString TComponent::GetNamePath() const {
    return FName;
}

// --- State -------------------------------------------------------------------------------

void TComponent::SetSubComponent(bool IsSubComponent) {
    if (IsSubComponent)
        FComponentStyle.Include(csSubComponent);
    else
        FComponentStyle.Exclude(csSubComponent);
}

static void SetState(TComponentState& state, TComponentStateItem item, bool on) {
    if (on)
        state.Include(item);
    else
        state.Exclude(item);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    SetState(FComponentState, csDesigning, Value);
    if (SetChildren)
        for (TComponent* owned : FComponents)
            owned->SetDesigning(Value, true);
}

void TComponent::SetAncestor(bool Value) {
    SetState(FComponentState, csAncestor, Value);
    for (TComponent* owned : FComponents)
        owned->SetAncestor(Value);
}

void TComponent::SetInline(bool Value) {
    SetState(FComponentState, csInline, Value);
}

void TComponent::SetDesignInstance(bool Value) {
    SetState(FComponentState, csDesignInstance, Value);
}

void TComponent::Loading() {
    FComponentState.Include(csLoading);
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::Updating() {
    FComponentState.Include(csUpdating);
}

void TComponent::Updated() {
    FComponentState.Exclude(csUpdating);
}

// --- Notifications -----------------------------------------------------------------------

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Handlers may delete or remove components of this list: re-read the
    // list at each step and never hold an element across a call.
    int i = GetComponentCount() - 1;
    while (i >= 0) {
        FComponents[size_t(i)]->Notification(AComponent, Operation);
        --i;
        if (i >= GetComponentCount()) i = GetComponentCount() - 1;
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    // Linked on both sides whatever the owners: a component that is later
    // moved to another owner still tells the ones that asked.
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(AComponent);
        AComponent->FreeNotification(this);
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    UnlinkFreeNotification(AComponent);
    AComponent->UnlinkFreeNotification(this);
}

void TComponent::UnlinkFreeNotification(TComponent* AComponent) {
    auto found = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
    if (found != FFreeNotifies.end()) FFreeNotifies.erase(found);
}

void TComponent::RemoveFreeNotifications() {
    // Unlink before telling, so that no list keeps this component even when
    // a Notification override does not call the base.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        other->UnlinkFreeNotification(this);
        other->Notification(this, opRemove);
    }
}

// --- IInterface ----------------------------------------------------------------------------

HRESULT TComponent::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown) {
        *out = static_cast<IUnknown*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
