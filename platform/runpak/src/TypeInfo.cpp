#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>

#include "ObjectModelText.h"

#include <algorithm>
#include <map>
#include <mutex>

using runpak::SameIdent;

// --- TObject's description --------------------------------------------------------

TClass TObject::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TObject>(u"TObject", nullptr));
    return &meta;
}

TClass TObject::ClassType() const {
    return StaticClass();
}

// --- Type records -------------------------------------------------------------------

namespace {

TTypeInfo Simple(TTypeKind kind, const char16_t* name, TFloatType floatType = ftDouble) {
    TTypeInfo info;
    info.Kind = kind;
    info.Name = name;
    info.FloatType = floatType;
    return info;
}

} // namespace

PTypeInfo IntegerTypeInfo() {
    static const TTypeInfo info = Simple(tkInteger, u"Integer");
    return &info;
}
PTypeInfo CardinalTypeInfo() {
    static const TTypeInfo info = Simple(tkInteger, u"Cardinal");
    return &info;
}
PTypeInfo Int64TypeInfo() {
    static const TTypeInfo info = Simple(tkInt64, u"Int64");
    return &info;
}
PTypeInfo SingleTypeInfo() {
    static const TTypeInfo info = Simple(tkFloat, u"Single", ftSingle);
    return &info;
}
PTypeInfo DoubleTypeInfo() {
    static const TTypeInfo info = Simple(tkFloat, u"Double", ftDouble);
    return &info;
}
PTypeInfo ExtendedTypeInfo() {
    static const TTypeInfo info = Simple(tkFloat, u"Extended", ftExtended);
    return &info;
}
PTypeInfo BooleanTypeInfo() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"Boolean", {u"False", u"True"});
    return &info;
}
PTypeInfo WideCharTypeInfo() {
    static const TTypeInfo info = Simple(tkWChar, u"WideChar");
    return &info;
}
PTypeInfo UnicodeStringTypeInfo() {
    static const TTypeInfo info = Simple(tkUString, u"UnicodeString");
    return &info;
}
PTypeInfo VariantTypeInfo() {
    static const TTypeInfo info = Simple(tkVariant, u"Variant");
    return &info;
}
PTypeInfo MethodTypeInfo() {
    static const TTypeInfo info = Simple(tkMethod, u"TMethod");
    return &info;
}

TTypeInfo MakeEnumTypeInfo(UnicodeString name, std::vector<UnicodeString> valueNames) {
    TTypeInfo info;
    info.Kind = tkEnumeration;
    info.Name = std::move(name);
    info.EnumNames = std::move(valueNames);
    return info;
}

TTypeInfo MakeSetTypeInfo(UnicodeString name, PTypeInfo elements) {
    TTypeInfo info;
    info.Kind = tkSet;
    info.Name = std::move(name);
    info.CompType = elements;
    return info;
}

UnicodeString GetEnumName(PTypeInfo type, int64_t value) {
    if (!type || type->Kind != tkEnumeration) return {};
    if (value < 0 || value >= int64_t(type->EnumNames.size())) return {};
    return type->EnumNames[size_t(value)];
}

int GetEnumValue(PTypeInfo type, const UnicodeString& name) {
    if (!type || type->Kind != tkEnumeration) return -1;
    for (size_t i = 0; i < type->EnumNames.size(); ++i)
        if (SameIdent(type->EnumNames[i], name)) return int(i);
    return -1;
}

// --- Metaclasses ----------------------------------------------------------------------

TMetaClass::TMetaClass(const TClassDescription& description)
    : FName(description.Name), FParent(description.Parent),
      FComponentFactory(description.ComponentFactory),
      FPersistentFactory(description.PersistentFactory), FProperties(description.Properties),
      FMethods(description.Methods), FFields(description.Fields) {
    FClassInfo.Kind = tkClass;
    FClassInfo.Name = FName;
    FClassInfo.ClassType = this;
}

bool TMetaClass::InheritsFrom(TClass ancestor) const {
    for (TClass c = this; c; c = c->FParent)
        if (c == ancestor) return true;
    return false;
}

TComponent* TMetaClass::CreateComponent(TComponent* AOwner) const {
    if (!FComponentFactory) throw EInvalidOperation(u"Cannot create a component of class " + FName);
    return FComponentFactory(AOwner);
}

TPersistent* TMetaClass::CreateInstance() const {
    if (!FPersistentFactory) throw EInvalidOperation(u"Cannot create an instance of " + FName);
    return FPersistentFactory();
}

// --- Class registry --------------------------------------------------------------------

namespace {

struct ClassRegistry {
    std::mutex Lock;
    std::map<UnicodeString, TClass> ByName; // upper-cased name
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

} // namespace

void RegisterClass(TClass AClass) {
    if (!AClass) return;
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    // The class itself, then its ancestors up to TPersistent, so that streams
    // naming an ancestor find it too.
    for (TClass c = AClass; c && c != TObject::StaticClass(); c = c->ClassParent()) {
        UnicodeString key = runpak::UpperIdent(c->ClassName());
        auto found = registry.ByName.find(key);
        if (found != registry.ByName.end()) {
            if (c == AClass && found->second != AClass)
                throw EFilerError(u"A class named " + c->ClassName() + u" already exists");
            break;
        }
        registry.ByName.emplace(key, c);
        if (c == TPersistent::StaticClass()) break;
    }
}

void RegisterClasses(std::initializer_list<TClass> classes) {
    for (TClass c : classes)
        RegisterClass(c);
}

void UnRegisterClass(TClass AClass) {
    if (!AClass) return;
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    auto found = registry.ByName.find(runpak::UpperIdent(AClass->ClassName()));
    if (found != registry.ByName.end() && found->second == AClass) registry.ByName.erase(found);
}

void UnRegisterClasses(std::initializer_list<TClass> classes) {
    for (TClass c : classes)
        UnRegisterClass(c);
}

TClass GetClass(const UnicodeString& name) {
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    auto found = registry.ByName.find(runpak::UpperIdent(name));
    return found == registry.ByName.end() ? nullptr : found->second;
}

TClass FindClass(const UnicodeString& name) {
    TClass found = GetClass(name);
    if (!found) throw EClassNotFound(u"Class " + name + u" not found");
    return found;
}

// --- Property lookup -----------------------------------------------------------------------

PPropInfo GetPropInfo(TClass AClass, const UnicodeString& name) {
    for (TClass c = AClass; c; c = c->ClassParent())
        for (const TPropInfo& prop : c->OwnProperties())
            if (SameIdent(prop.Name, name)) return &prop;
    return nullptr;
}

PPropInfo GetPropInfo(const TObject* instance, const UnicodeString& name) {
    return instance ? GetPropInfo(instance->ClassType(), name) : nullptr;
}

std::vector<PPropInfo> GetPropList(TClass AClass) {
    std::vector<TClass> chain;
    for (TClass c = AClass; c; c = c->ClassParent())
        chain.push_back(c);
    std::vector<PPropInfo> list;
    for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
        for (const TPropInfo& prop : (*c)->OwnProperties()) {
            auto same = std::find_if(list.begin(), list.end(),
                                     [&](PPropInfo p) { return SameIdent(p->Name, prop.Name); });
            if (same != list.end())
                *same = &prop;
            else
                list.push_back(&prop);
        }
    }
    return list;
}

std::vector<PPropInfo> GetPropList(const TObject* instance) {
    return instance ? GetPropList(instance->ClassType()) : std::vector<PPropInfo>{};
}

PMethodInfo GetMethodInfo(TClass AClass, const UnicodeString& name) {
    for (TClass c = AClass; c; c = c->ClassParent())
        for (const TMethodInfo& method : c->OwnMethods())
            if (SameIdent(method.Name, name)) return &method;
    return nullptr;
}

PFieldInfo GetFieldInfo(TClass AClass, const UnicodeString& name) {
    for (TClass c = AClass; c; c = c->ClassParent())
        for (const TFieldInfo& field : c->OwnFields())
            if (SameIdent(field.Name, name)) return &field;
    return nullptr;
}

bool IsPublishedProp(const TObject* instance, const UnicodeString& name) {
    return GetPropInfo(instance, name) != nullptr;
}

bool IsStoredProp(TObject* instance, PPropInfo prop) {
    return !prop->StoredProc || prop->StoredProc(instance);
}

// --- Property access -----------------------------------------------------------------------

namespace runpak {

void RaiseInvalidCast() {
    throw EInvalidCast(u"Invalid class typecast");
}

void RaiseInvalidPropValue() {
    throw EPropertyError(u"Invalid property value");
}

int64_t OrdinalOf(const TPropValue& value) {
    if (const int64_t* ordinal = std::get_if<int64_t>(&value)) return *ordinal;
    RaiseInvalidPropValue();
}

long double FloatOf(const TPropValue& value) {
    if (const long double* number = std::get_if<long double>(&value)) return *number;
    if (const int64_t* ordinal = std::get_if<int64_t>(&value))
        return static_cast<long double>(*ordinal);
    RaiseInvalidPropValue();
}

UnicodeString StringOf(const TPropValue& value) {
    if (const UnicodeString* text = std::get_if<UnicodeString>(&value)) return *text;
    RaiseInvalidPropValue();
}

TObject* ObjectOf(const TPropValue& value) {
    if (TObject* const* object = std::get_if<TObject*>(&value)) return *object;
    if (std::holds_alternative<std::monostate>(value)) return nullptr;
    RaiseInvalidPropValue();
}

} // namespace runpak

namespace {

enum class KindGroup { Ordinal, Float, String, Object, Method, Any };

bool InGroup(TTypeKind kind, KindGroup group) {
    switch (group) {
    case KindGroup::Ordinal:
        return kind == tkInteger || kind == tkChar || kind == tkEnumeration || kind == tkSet ||
               kind == tkWChar || kind == tkInt64;
    case KindGroup::Float:
        return kind == tkFloat;
    case KindGroup::String:
        return kind == tkString || kind == tkLString || kind == tkWString || kind == tkUString;
    case KindGroup::Object:
        return kind == tkClass;
    case KindGroup::Method:
        return kind == tkMethod;
    case KindGroup::Any:
        return true;
    }
    return false;
}

PPropInfo Checked(PPropInfo prop, KindGroup group) {
    PTypeInfo type = prop->PropType();
    if (!InGroup(type->Kind, group)) throw EPropertyError(u"Invalid property type: " + type->Name);
    return prop;
}

PPropInfo Named(TObject* instance, const UnicodeString& name, KindGroup group) {
    PPropInfo prop = GetPropInfo(instance, name);
    if (!prop) throw EPropertyError(u"Property " + name + u" does not exist");
    return Checked(prop, group);
}

void Write(TObject* instance, PPropInfo prop, const TPropValue& value) {
    if (prop->IsReadOnly()) throw EPropertyError(u"Property " + prop->Name + u" is read-only");
    prop->SetProc(instance, value);
}

} // namespace

TPropValue GetPropValue(TObject* instance, PPropInfo prop) {
    return prop->GetProc(instance);
}

void SetPropValue(TObject* instance, PPropInfo prop, const TPropValue& value) {
    Write(instance, prop, value);
}

int64_t GetOrdProp(TObject* instance, PPropInfo prop) {
    return runpak::OrdinalOf(Checked(prop, KindGroup::Ordinal)->GetProc(instance));
}
int64_t GetOrdProp(TObject* instance, const UnicodeString& name) {
    return GetOrdProp(instance, Named(instance, name, KindGroup::Ordinal));
}
void SetOrdProp(TObject* instance, PPropInfo prop, int64_t value) {
    Write(instance, Checked(prop, KindGroup::Ordinal), value);
}
void SetOrdProp(TObject* instance, const UnicodeString& name, int64_t value) {
    SetOrdProp(instance, Named(instance, name, KindGroup::Ordinal), value);
}

UnicodeString GetStrProp(TObject* instance, PPropInfo prop) {
    return runpak::StringOf(Checked(prop, KindGroup::String)->GetProc(instance));
}
UnicodeString GetStrProp(TObject* instance, const UnicodeString& name) {
    return GetStrProp(instance, Named(instance, name, KindGroup::String));
}
void SetStrProp(TObject* instance, PPropInfo prop, const UnicodeString& value) {
    Write(instance, Checked(prop, KindGroup::String), value);
}
void SetStrProp(TObject* instance, const UnicodeString& name, const UnicodeString& value) {
    SetStrProp(instance, Named(instance, name, KindGroup::String), value);
}

long double GetFloatProp(TObject* instance, PPropInfo prop) {
    return runpak::FloatOf(Checked(prop, KindGroup::Float)->GetProc(instance));
}
long double GetFloatProp(TObject* instance, const UnicodeString& name) {
    return GetFloatProp(instance, Named(instance, name, KindGroup::Float));
}
void SetFloatProp(TObject* instance, PPropInfo prop, long double value) {
    Write(instance, Checked(prop, KindGroup::Float), value);
}
void SetFloatProp(TObject* instance, const UnicodeString& name, long double value) {
    SetFloatProp(instance, Named(instance, name, KindGroup::Float), value);
}

TObject* GetObjectProp(TObject* instance, PPropInfo prop) {
    return runpak::ObjectOf(Checked(prop, KindGroup::Object)->GetProc(instance));
}
TObject* GetObjectProp(TObject* instance, const UnicodeString& name) {
    return GetObjectProp(instance, Named(instance, name, KindGroup::Object));
}
void SetObjectProp(TObject* instance, PPropInfo prop, TObject* value) {
    Write(instance, Checked(prop, KindGroup::Object), value);
}
void SetObjectProp(TObject* instance, const UnicodeString& name, TObject* value) {
    SetObjectProp(instance, Named(instance, name, KindGroup::Object), value);
}

UnicodeString GetEnumProp(TObject* instance, const UnicodeString& name) {
    PPropInfo prop = Named(instance, name, KindGroup::Ordinal);
    return GetEnumName(prop->PropType(), GetOrdProp(instance, prop));
}

void SetEnumProp(TObject* instance, const UnicodeString& name, const UnicodeString& value) {
    PPropInfo prop = Named(instance, name, KindGroup::Ordinal);
    int ordinal = GetEnumValue(prop->PropType(), value);
    if (ordinal < 0) throw EPropertyError(u"Invalid property element: " + value);
    SetOrdProp(instance, prop, ordinal);
}

TMethodValue GetMethodProp(TObject* instance, PPropInfo prop) {
    TPropValue value = Checked(prop, KindGroup::Method)->GetProc(instance);
    if (const TMethodValue* method = std::get_if<TMethodValue>(&value)) return *method;
    return {};
}

void SetMethodProp(TObject* instance, PPropInfo prop, const TMethodValue& value) {
    Write(instance, Checked(prop, KindGroup::Method), value);
}

// --- Component palette ---------------------------------------------------------------

TRegisterComponentsProc RegisterComponentsProc;

void RegisterComponents(const UnicodeString& Page, std::initializer_list<TClass> ComponentClasses) {
    if (!RegisterComponentsProc)
        throw EComponentError(u"Component registration is not supported");
    RegisterComponentsProc(Page, std::vector<TClass>(ComponentClasses));
}
