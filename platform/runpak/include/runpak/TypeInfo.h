// What the streaming system, automation and the object inspector know of a
// class: its TMetaClass (name, parent, factory, published properties), the
// type records of property values, and the registry of classes by name.
//
// A described class returns its metaclass from StaticClass(), built on first
// use, and from ClassType():
//
//   class TDial : public TComponent {
//   public:
//       explicit TDial(TComponent* AOwner);
//       static TClass StaticClass();
//       TClass ClassType() const override { return StaticClass(); }
//       ...
//   };
//
//   TClass TDial::StaticClass() {
//       static const TMetaClass meta(
//           TClassBuilder<TDial>(u"TDial", TComponent::StaticClass())
//               .Property(u"Position", IntegerTypeInfo, &TDial::GetPosition, &TDial::SetPosition)
//               .Default(0)
//               .Property(u"Kind", TypeInfo_TDialKind, &TDial::GetKind, &TDial::SetKind)
//               .Default(dkRound)
//               .Property(u"Font", ClassTypeInfo<TFont>, &TDial::GetFont, &TDial::SetFont)
//               .Event(u"OnChange", &TDial::OnChange));
//       return &meta;
//   }
//
// Property types are named by functions returning the type record, so that
// classes may refer to each other without building each other early.
// RegisterClass makes a class findable by name; start-up functions call it.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Object.h>
#include <runpak/Set.h>

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

class TPersistent;
class TComponent;

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray,
    tkUString,
    tkClassRef,
    tkPointer,
    tkProcedure
};
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The type of a property value.
struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    UnicodeString Name;
    TFloatType FloatType = ftDouble;      // tkFloat
    std::vector<UnicodeString> EnumNames; // tkEnumeration: the value names in order
    const TTypeInfo* CompType = nullptr;  // tkSet: the enumeration of its elements
    TClass ClassType = nullptr;           // tkClass
};
using PTypeInfo = const TTypeInfo*;
using TTypeInfoFn = PTypeInfo (*)();

// Type records of the common types. Enumerations and sets define their own:
//   PTypeInfo TypeInfo_TDialKind() {
//       static const TTypeInfo info = MakeEnumTypeInfo(u"TDialKind", {u"dkRound", u"dkFlat"});
//       return &info;
//   }
PTypeInfo IntegerTypeInfo();
PTypeInfo CardinalTypeInfo();
PTypeInfo Int64TypeInfo();
PTypeInfo SingleTypeInfo();
PTypeInfo DoubleTypeInfo();
PTypeInfo ExtendedTypeInfo();
PTypeInfo BooleanTypeInfo(); // an enumeration: False, True
PTypeInfo WideCharTypeInfo();
PTypeInfo UnicodeStringTypeInfo();
PTypeInfo VariantTypeInfo();
PTypeInfo MethodTypeInfo(); // events
TTypeInfo MakeEnumTypeInfo(UnicodeString name, std::vector<UnicodeString> valueNames);
TTypeInfo MakeSetTypeInfo(UnicodeString name, PTypeInfo elements);
template <class C> PTypeInfo ClassTypeInfo();

// An event handler in transit: the event's own std::function, type-erased.
// A handler made from a published method also carries the method's name and
// the object it is bound to, so that the writer can stream it by name.
struct TMethodValue {
    TMethodValue() = default;
    TMethodValue(std::any handler, UnicodeString methodName = {}, TObject* data = nullptr)
        : Handler(std::move(handler)), MethodName(std::move(methodName)), Data(data) {}

    std::any Handler;
    UnicodeString MethodName; // empty unless bound from a published method
    TObject* Data = nullptr;  // the object the published method runs on
};

// A property value in transit. Ordinals (integers, enumerations, Boolean,
// characters, sets as bit masks) and Int64 travel as int64_t, floats as
// long double, strings as UnicodeString, objects as TObject*, events as
// TMethodValue; monostate is "no value" (an unassigned Variant).
using TPropValue =
    std::variant<std::monostate, int64_t, long double, UnicodeString, TObject*, TMethodValue>;

// One published property.
struct TPropInfo {
    UnicodeString Name;
    TTypeInfoFn PropTypeFn = nullptr;
    std::function<TPropValue(TObject*)> GetProc;
    std::function<void(TObject*, const TPropValue&)> SetProc; // empty: read-only
    std::function<bool(TObject*)> StoredProc;                 // empty: always stored
    std::optional<int64_t> Default;                           // ordinal default, if any
    std::optional<int> Index;                                 // index specifier, if any

    PTypeInfo PropType() const { return PropTypeFn(); }
    bool IsReadOnly() const { return !SetProc; }
};
using PPropInfo = const TPropInfo*;

// A published method: a member function that streamed events name
// ("OnClick = Button1Click"). Bind makes the event handler that calls it on
// an instance of the class.
//
// A method published for late-bound calls (automation) also carries Call,
// which runs it on an instance with its arguments converted from property
// values, and the types of its parameters and result (ResultType null: it
// returns nothing). Call is empty for methods that only serve as handlers.
struct TMethodInfo {
    UnicodeString Name;
    std::function<TMethodValue(TObject* instance)> Bind;
    std::vector<TTypeInfoFn> ParamTypes;
    TTypeInfoFn ResultType = nullptr;
    std::function<TPropValue(TObject* instance, const std::vector<TPropValue>& args)> Call;

    bool IsCallable() const { return bool(Call); }
};
using PMethodInfo = const TMethodInfo*;

// A published field: the member of an owner that points at its owned
// component of the same name. TComponent keeps it in step as components are
// named, inserted and removed. CanHold answers whether a component fits the
// member's type; SetProc stores a component that fits, or null.
struct TFieldInfo {
    UnicodeString Name;
    std::function<bool(TComponent* value)> CanHold;
    std::function<void(TObject* instance, TComponent* value)> SetProc;
};
using PFieldInfo = const TFieldInfo*;

// What a TClassBuilder gathers for a TMetaClass.
struct TClassDescription {
    UnicodeString Name;
    TClass Parent = nullptr;
    TComponent* (*ComponentFactory)(TComponent* owner) = nullptr;
    TPersistent* (*PersistentFactory)() = nullptr;
    std::vector<TPropInfo> Properties;
    std::vector<TMethodInfo> Methods;
    std::vector<TFieldInfo> Fields;
};

class TMetaClass {
public:
    explicit TMetaClass(const TClassDescription& description);
    TMetaClass(const TMetaClass&) = delete;
    TMetaClass& operator=(const TMetaClass&) = delete;

    const UnicodeString& ClassName() const { return FName; }
    TClass ClassParent() const { return FParent; }
    // True for this class and for its descendants.
    bool InheritsFrom(TClass ancestor) const;
    // The properties this class publishes itself, in declaration order.
    const std::vector<TPropInfo>& OwnProperties() const { return FProperties; }
    // The methods and fields this class publishes itself.
    const std::vector<TMethodInfo>& OwnMethods() const { return FMethods; }
    const std::vector<TFieldInfo>& OwnFields() const { return FFields; }
    // The type record of a property holding objects of this class.
    PTypeInfo ClassInfo() const { return &FClassInfo; }

    bool IsComponentClass() const { return FComponentFactory != nullptr; }
    // A new component of this class; EInvalidOperation if it is none.
    TComponent* CreateComponent(TComponent* AOwner) const;
    // A new default-constructed persistent; EInvalidOperation if it is none.
    TPersistent* CreateInstance() const;

private:
    UnicodeString FName;
    TClass FParent;
    TComponent* (*FComponentFactory)(TComponent*);
    TPersistent* (*FPersistentFactory)();
    std::vector<TPropInfo> FProperties;
    std::vector<TMethodInfo> FMethods;
    std::vector<TFieldInfo> FFields;
    TTypeInfo FClassInfo;
};

template <class C> PTypeInfo ClassTypeInfo() {
    return C::StaticClass()->ClassInfo();
}

// --- Class registry -----------------------------------------------------------
// Names are compared without regard to case. Registering a class registers
// its ancestors up to TPersistent too; a different class under a name already
// taken raises EFilerError.
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass AClass);
void UnRegisterClasses(std::initializer_list<TClass> classes);
TClass GetClass(const UnicodeString& name);  // null when not registered
TClass FindClass(const UnicodeString& name); // EClassNotFound when not registered

// --- Component palette ------------------------------------------------------------
// A host's design environment sets RegisterComponentsProc to put component
// classes on a page of its palette; RegisterComponents hands them to it and
// raises EComponentError when no design environment listens.
using TRegisterComponentsProc =
    std::function<void(const UnicodeString& Page, const std::vector<TClass>& ComponentClasses)>;
extern TRegisterComponentsProc RegisterComponentsProc;
void RegisterComponents(const UnicodeString& Page, std::initializer_list<TClass> ComponentClasses);

// --- Properties -----------------------------------------------------------------
// Lookup along the class chain, most derived first; null when absent.
PPropInfo GetPropInfo(TClass AClass, const UnicodeString& name);
PPropInfo GetPropInfo(const TObject* instance, const UnicodeString& name);
// Every published property, ancestors' first, each in declaration order; a
// property a descendant publishes again keeps its place with the new record.
std::vector<PPropInfo> GetPropList(TClass AClass);
std::vector<PPropInfo> GetPropList(const TObject* instance);
bool IsPublishedProp(const TObject* instance, const UnicodeString& name);
bool IsStoredProp(TObject* instance, PPropInfo prop);

// Access by record or by name (EPropertyError for an unknown name, for a
// property of another kind, and for writing a read-only property).
TPropValue GetPropValue(TObject* instance, PPropInfo prop);
void SetPropValue(TObject* instance, PPropInfo prop, const TPropValue& value);
int64_t GetOrdProp(TObject* instance, PPropInfo prop); // ordinals and Int64
int64_t GetOrdProp(TObject* instance, const UnicodeString& name);
void SetOrdProp(TObject* instance, PPropInfo prop, int64_t value);
void SetOrdProp(TObject* instance, const UnicodeString& name, int64_t value);
UnicodeString GetStrProp(TObject* instance, PPropInfo prop);
UnicodeString GetStrProp(TObject* instance, const UnicodeString& name);
void SetStrProp(TObject* instance, PPropInfo prop, const UnicodeString& value);
void SetStrProp(TObject* instance, const UnicodeString& name, const UnicodeString& value);
long double GetFloatProp(TObject* instance, PPropInfo prop);
long double GetFloatProp(TObject* instance, const UnicodeString& name);
void SetFloatProp(TObject* instance, PPropInfo prop, long double value);
void SetFloatProp(TObject* instance, const UnicodeString& name, long double value);
TObject* GetObjectProp(TObject* instance, PPropInfo prop);
TObject* GetObjectProp(TObject* instance, const UnicodeString& name);
// An object not of the property's class raises EPropertyError.
void SetObjectProp(TObject* instance, PPropInfo prop, TObject* value);
void SetObjectProp(TObject* instance, const UnicodeString& name, TObject* value);
// Enumerations by value name (EPropertyError for a name the type lacks).
UnicodeString GetEnumProp(TObject* instance, const UnicodeString& name);
void SetEnumProp(TObject* instance, const UnicodeString& name, const UnicodeString& value);
TMethodValue GetMethodProp(TObject* instance, PPropInfo prop);
void SetMethodProp(TObject* instance, PPropInfo prop, const TMethodValue& value);

// --- Published methods and fields ------------------------------------------------------
// Lookup along the class chain, regardless of case; null when absent.
PMethodInfo GetMethodInfo(TClass AClass, const UnicodeString& name);
PFieldInfo GetFieldInfo(TClass AClass, const UnicodeString& name);

// Name of an enumeration value ("" when out of range), and the value of a
// name regardless of case (-1 when the type has no such name).
UnicodeString GetEnumName(PTypeInfo type, int64_t value);
int GetEnumValue(PTypeInfo type, const UnicodeString& name);

// --- Binding members to property records ---------------------------------------------
namespace runpak {

template <class V> struct IsTSet : std::false_type {};
template <class E, unsigned N> struct IsTSet<TSet<E, N>> : std::true_type {};
template <class> inline constexpr bool kNoPropConversion = false;

[[noreturn]] void RaiseInvalidCast();
int64_t OrdinalOf(const TPropValue& value);
long double FloatOf(const TPropValue& value);
UnicodeString StringOf(const TPropValue& value);
TObject* ObjectOf(const TPropValue& value);
[[noreturn]] void RaiseInvalidPropValue();

template <class V> TPropValue ToPropValue(const V& value) {
    if constexpr (std::is_same_v<V, TPropValue>)
        return value;
    else if constexpr (IsTSet<V>::value)
        return static_cast<int64_t>(value.ToInt());
    else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
        return static_cast<int64_t>(value);
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<long double>(value);
    else if constexpr (std::is_same_v<V, UnicodeString>)
        return value;
    else if constexpr (std::is_pointer_v<V>)
        return static_cast<TObject*>(value);
    else
        static_assert(kNoPropConversion<V>, "no published-property conversion for this type");
}

template <class V> V FromPropValue(const TPropValue& value) {
    if constexpr (std::is_same_v<V, TPropValue>)
        return value;
    else if constexpr (IsTSet<V>::value)
        return V::FromInt(static_cast<uint64_t>(OrdinalOf(value)));
    else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
        return static_cast<V>(OrdinalOf(value));
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<V>(FloatOf(value));
    else if constexpr (std::is_same_v<V, UnicodeString>)
        return StringOf(value);
    else if constexpr (std::is_pointer_v<V>) {
        TObject* object = ObjectOf(value);
        if (!object) return nullptr;
        V typed = dynamic_cast<V>(object);
        if (!typed) RaiseInvalidPropValue();
        return typed;
    } else
        static_assert(kNoPropConversion<V>, "no published-property conversion for this type");
}

template <class T> T* InstanceOf(TObject* instance) {
    T* typed = dynamic_cast<T*>(instance);
    if (!typed) RaiseInvalidCast();
    return typed;
}

// The callable inside an event handler made from a published method: it
// remembers the method's name and object so that the handler can be streamed
// back by name.
template <class Signature> struct TBoundMethod;
template <class R, class... Args> struct TBoundMethod<R(Args...)> {
    TObject* Data = nullptr;
    UnicodeString Name;
    std::function<R(Args...)> Call;
    R operator()(Args... args) const { return Call(std::forward<Args>(args)...); }
};

// The type record of a parameter or result of a callable published method.
template <class V> TTypeInfoFn TypeInfoFnOf() {
    using U = std::remove_cvref_t<V>;
    if constexpr (std::is_void_v<U>)
        return nullptr;
    else if constexpr (std::is_same_v<U, bool>)
        return BooleanTypeInfo;
    else if constexpr (std::is_same_v<U, int64_t> || std::is_same_v<U, uint64_t>)
        return Int64TypeInfo;
    else if constexpr (std::is_integral_v<U> && std::is_unsigned_v<U> && sizeof(U) >= 4)
        return CardinalTypeInfo;
    else if constexpr (std::is_integral_v<U>)
        return IntegerTypeInfo;
    else if constexpr (std::is_same_v<U, float>)
        return SingleTypeInfo;
    else if constexpr (std::is_floating_point_v<U>)
        return DoubleTypeInfo;
    else if constexpr (std::is_same_v<U, UnicodeString>)
        return UnicodeStringTypeInfo;
    else if constexpr (std::is_pointer_v<U> &&
                       std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<U>>>)
        return ClassTypeInfo<std::remove_cv_t<std::remove_pointer_t<U>>>;
    else
        static_assert(kNoPropConversion<U>, "no published-method conversion for this type");
}

// The call signature of an event type (a std::function), if it is one.
template <class E> struct EventSignature { static constexpr bool Known = false; };
template <class Signature> struct EventSignature<std::function<Signature>> {
    static constexpr bool Known = true;
    using Type = Signature;
};

} // namespace runpak

// Builds the description of class T. Getters and setters are member
// functions (const or not) or data members; the value type is the getter's.
// Default and Stored apply to the property added last.
template <class T> class TClassBuilder : public TClassDescription {
public:
    TClassBuilder(UnicodeString name, TClass parent) {
        Name = std::move(name);
        Parent = parent;
        if constexpr (!std::is_abstract_v<T>) {
            if constexpr (std::is_convertible_v<T*, TComponent*> &&
                          std::is_constructible_v<T, TComponent*>)
                ComponentFactory = [](TComponent* owner) -> TComponent* { return new T(owner); };
            else if constexpr (std::is_convertible_v<T*, TPersistent*> &&
                               std::is_default_constructible_v<T>)
                PersistentFactory = []() -> TPersistent* { return new T(); };
        }
    }

    template <class Getter, class Setter>
    TClassBuilder& Property(UnicodeString name, TTypeInfoFn type, Getter get, Setter set) {
        using V = std::remove_cvref_t<std::invoke_result_t<Getter, T*>>;
        TPropInfo& prop = Add(std::move(name), type, get);
        prop.SetProc = [set](TObject* instance, const TPropValue& value) {
            T* self = runpak::InstanceOf<T>(instance);
            if constexpr (std::is_member_object_pointer_v<Setter>)
                self->*set = runpak::FromPropValue<V>(value);
            else
                std::invoke(set, self, runpak::FromPropValue<V>(value));
        };
        return *this;
    }

    template <class Getter>
    TClassBuilder& ReadOnlyProperty(UnicodeString name, TTypeInfoFn type, Getter get) {
        Add(std::move(name), type, get);
        return *this;
    }

    // A property with an index specifier: get(index) and set(index, value).
    template <class Getter, class Setter>
    TClassBuilder& IndexedProperty(UnicodeString name, TTypeInfoFn type, int index, Getter get,
                                   Setter set) {
        using V = std::remove_cvref_t<std::invoke_result_t<Getter, T*, int>>;
        TPropInfo& prop = NewProperty(std::move(name), type);
        prop.Index = index;
        prop.GetProc = [get, index](TObject* instance) {
            return runpak::ToPropValue<V>(std::invoke(get, runpak::InstanceOf<T>(instance), index));
        };
        prop.SetProc = [set, index](TObject* instance, const TPropValue& value) {
            std::invoke(set, runpak::InstanceOf<T>(instance), index,
                        runpak::FromPropValue<V>(value));
        };
        return *this;
    }

    // An event: a std::function data member.
    template <class E>
    TClassBuilder& Event(UnicodeString name, E T::*member, TTypeInfoFn type = MethodTypeInfo) {
        TPropInfo& prop = NewProperty(std::move(name), type);
        prop.GetProc = [member](TObject* instance) -> TPropValue {
            const E& handler = runpak::InstanceOf<T>(instance)->*member;
            if (!handler) return TMethodValue{}; // unassigned: no handler at all
            TMethodValue result{handler};
            if constexpr (runpak::EventSignature<E>::Known) {
                using Bound = runpak::TBoundMethod<typename runpak::EventSignature<E>::Type>;
                if (const Bound* bound = handler.template target<Bound>()) {
                    result.MethodName = bound->Name;
                    result.Data = bound->Data;
                }
            }
            return result;
        };
        prop.SetProc = [member](TObject* instance, const TPropValue& value) {
            T* self = runpak::InstanceOf<T>(instance);
            const auto* method = std::get_if<TMethodValue>(&value);
            if (!method && !std::holds_alternative<std::monostate>(value))
                runpak::RaiseInvalidPropValue();
            if (!method || !method->Handler.has_value()) {
                self->*member = nullptr;
                return;
            }
            const E* handler = std::any_cast<E>(&method->Handler);
            if (!handler) runpak::RaiseInvalidPropValue();
            self->*member = *handler;
        };
        return *this;
    }

    // A published method, for events bound by name when streamed:
    //   .Method(u"Button1Click", &TForm1::Button1Click)
    // Its handler fits events of type std::function<R(Args...)>.
    template <class R, class... Args>
    TClassBuilder& Method(UnicodeString name, R (T::*method)(Args...)) {
        TMethodInfo& info = Methods.emplace_back();
        info.Name = name;
        info.Bind = [name, method](TObject* instance) {
            T* self = runpak::InstanceOf<T>(instance);
            runpak::TBoundMethod<R(Args...)> bound;
            bound.Data = instance;
            bound.Name = name;
            bound.Call = [self, method](Args... args) -> R {
                return (self->*method)(std::forward<Args>(args)...);
            };
            return TMethodValue{std::function<R(Args...)>(std::move(bound)), name, instance};
        };
        return *this;
    }

    // A method published for late-bound calls, by name with its arguments:
    //   .Callable(u"GetItems", &TMenuItemWrapper::GetItems)
    // Parameters and result are numbers, Booleans, strings or objects.
    template <class R, class... Args>
    TClassBuilder& Callable(UnicodeString name, R (T::*method)(Args...)) {
        return AddCallable<R, Args...>(std::move(name), [method](T* self, Args... args) -> R {
            return (self->*method)(std::forward<Args>(args)...);
        });
    }
    template <class R, class... Args>
    TClassBuilder& Callable(UnicodeString name, R (T::*method)(Args...) const) {
        return AddCallable<R, Args...>(std::move(name), [method](T* self, Args... args) -> R {
            return (self->*method)(std::forward<Args>(args)...);
        });
    }

    // A published field: the member holding the owned component of that name,
    //   .Field(u"Button1", &TForm1::Button1)
    template <class C> TClassBuilder& Field(UnicodeString name, C* T::*member) {
        TFieldInfo& info = Fields.emplace_back();
        info.Name = std::move(name);
        info.CanHold = [](TComponent* value) {
            return !value || dynamic_cast<C*>(value) != nullptr;
        };
        info.SetProc = [member](TObject* instance, TComponent* value) {
            runpak::InstanceOf<T>(instance)->*member = dynamic_cast<C*>(value);
        };
        return *this;
    }

    TClassBuilder& Default(int64_t value) {
        Properties.back().Default = value;
        return *this;
    }
    TClassBuilder& NoDefault() {
        Properties.back().Default.reset();
        return *this;
    }
    TClassBuilder& Stored(bool stored) {
        Properties.back().StoredProc = [stored](TObject*) { return stored; };
        return *this;
    }
    template <class Predicate> TClassBuilder& Stored(Predicate isStored) {
        Properties.back().StoredProc = [isStored](TObject* instance) {
            return bool(std::invoke(isStored, runpak::InstanceOf<T>(instance)));
        };
        return *this;
    }

private:
    template <class R, class... Args, class F> TClassBuilder& AddCallable(UnicodeString name, F call) {
        TMethodInfo& info = Methods.emplace_back();
        info.Name = name;
        info.ParamTypes = {runpak::TypeInfoFnOf<Args>()...};
        info.ResultType = runpak::TypeInfoFnOf<R>();
        info.Bind = [name, call](TObject* instance) {
            T* self = runpak::InstanceOf<T>(instance);
            runpak::TBoundMethod<R(Args...)> bound;
            bound.Data = instance;
            bound.Name = name;
            bound.Call = [self, call](Args... args) -> R {
                return call(self, std::forward<Args>(args)...);
            };
            return TMethodValue{std::function<R(Args...)>(std::move(bound)), name, instance};
        };
        info.Call = [call](TObject* instance, const std::vector<TPropValue>& args) -> TPropValue {
            if (args.size() != sizeof...(Args)) runpak::RaiseInvalidPropValue();
            T* self = runpak::InstanceOf<T>(instance);
            return CallWith<R, Args...>(call, self, args, std::index_sequence_for<Args...>{});
        };
        return *this;
    }
    template <class R, class... Args, class F, size_t... I>
    static TPropValue CallWith(const F& call, T* self, const std::vector<TPropValue>& args,
                               std::index_sequence<I...>) {
        if constexpr (std::is_void_v<R>) {
            call(self, runpak::FromPropValue<std::remove_cvref_t<Args>>(args[I])...);
            return TPropValue{};
        } else {
            return runpak::ToPropValue<std::remove_cvref_t<R>>(
                call(self, runpak::FromPropValue<std::remove_cvref_t<Args>>(args[I])...));
        }
    }

    TPropInfo& NewProperty(UnicodeString name, TTypeInfoFn type) {
        TPropInfo& prop = Properties.emplace_back();
        prop.Name = std::move(name);
        prop.PropTypeFn = type;
        return prop;
    }
    template <class Getter> TPropInfo& Add(UnicodeString name, TTypeInfoFn type, Getter get) {
        using V = std::remove_cvref_t<std::invoke_result_t<Getter, T*>>;
        TPropInfo& prop = NewProperty(std::move(name), type);
        prop.GetProc = [get](TObject* instance) {
            return runpak::ToPropValue<V>(std::invoke(get, runpak::InstanceOf<T>(instance)));
        };
        return prop;
    }
};

#pragma GCC visibility pop
