// TReader: builds components from a parsed description, property by
// property through the published-property registry.
#include <runpak/Filer.h>
#include <runpak/ScopeGuard.h>

#include "FormText.h"
#include "ObjectModelText.h"

#include <algorithm>
#include <climits>

using runpak::SameIdent;
using runpak::TextObject;
using runpak::TextProperty;
using runpak::TextValue;
using runpak::TextValueKind;

namespace {

// An error already reported with its context ("Error reading ..."): passes
// through the enclosing property reads unchanged.
class EReportedReadError : public EReadError {
public:
    using EReadError::EReadError;
};

[[noreturn]] void InvalidValue() {
    throw EReadError(u"Invalid property value");
}

std::vector<UnicodeString> SplitPath(const UnicodeString& path) {
    std::vector<UnicodeString> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = path.find(u'.', start);
        parts.push_back(path.substr(start, dot - start));
        if (dot == UnicodeString::npos) return parts;
        start = dot + 1;
    }
}

bool ClassNamed(TClass cls, const UnicodeString& name) {
    for (TClass c = cls; c; c = c->ClassParent())
        if (SameIdent(c->ClassName(), name)) return true;
    return false;
}

int64_t SetMask(PTypeInfo setType, const std::vector<UnicodeString>& names) {
    PTypeInfo elements = setType ? setType->CompType : nullptr;
    int64_t mask = 0;
    for (const UnicodeString& name : names) {
        int ordinal = GetEnumValue(elements, name);
        if (ordinal < 0 || ordinal > 63) throw EReadError(u"Invalid property element: " + name);
        mask |= int64_t(1) << ordinal;
    }
    return mask;
}

bool IsAscii(const UnicodeString& text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

TValueType TypeOf(const TextValue& value) {
    switch (value.Kind) {
    case TextValueKind::Integer:
        if (value.Integer >= INT8_MIN && value.Integer <= INT8_MAX) return vaInt8;
        if (value.Integer >= INT16_MIN && value.Integer <= INT16_MAX) return vaInt16;
        if (value.Integer >= INT32_MIN && value.Integer <= INT32_MAX) return vaInt32;
        return vaInt64;
    case TextValueKind::Float:
        return vaExtended;
    case TextValueKind::String:
        return IsAscii(value.Text) ? vaString : vaWString;
    case TextValueKind::Ident:
        return vaIdent;
    case TextValueKind::True:
        return vaTrue;
    case TextValueKind::False:
        return vaFalse;
    case TextValueKind::Nil:
        return vaNil;
    case TextValueKind::Set:
        return vaSet;
    case TextValueKind::List:
        if (!value.Items.empty() && value.Items.front().Kind == TextValueKind::Block)
            return vaCollection;
        return vaList;
    case TextValueKind::Binary:
        return vaBinary;
    case TextValueKind::Block:
        break;
    }
    return vaNull;
}

// Integer properties take what their type holds; unknown integer types
// anything from the signed to the unsigned 32-bit range.
bool FitsInteger(PTypeInfo type, int64_t value) {
    if (type == IntegerTypeInfo()) return value >= INT32_MIN && value <= INT32_MAX;
    if (type == CardinalTypeInfo()) return value >= 0 && value <= UINT32_MAX;
    return value >= INT32_MIN && value <= UINT32_MAX;
}

UnicodeString IdentOf(const TextValue& value) {
    switch (value.Kind) {
    case TextValueKind::Ident:
        return value.Text;
    case TextValueKind::True:
        return u"True";
    case TextValueKind::False:
        return u"False";
    case TextValueKind::Nil:
        return u"nil";
    default:
        InvalidValue();
    }
}

} // namespace

// The values a read procedure works through: one property's value, or the
// elements of a list it entered.
struct TReader::Frame {
    const TextValue* Values = nullptr;
    size_t Count = 0;
    size_t Index = 0;
    bool IsList = false;
};

// A component reference, set once every component is read.
struct TReader::Fixup {
    TPersistent* Instance = nullptr;
    PPropInfo Prop = nullptr;
    UnicodeString Name;
    UnicodeString Context;
};

void TComponent::ReadState(TReader* Reader) {
    Reader->ReadData(this);
}

// --- Construction ------------------------------------------------------------------

TReader::TReader(TStream* Stream, int BufSize) {
    int64_t count = Stream->GetSize() - Stream->GetPosition();
    if (count > INT_MAX) throw EReadError(u"Description too large");
    std::string bytes(size_t(std::max<int64_t>(count, 0)), '\0');
    if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), int(bytes.size()));
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    FText = Utf8ToUnicode(bytes);
}

TReader::TReader(const UnicodeString& Text) : FText(Text) {}

TReader::~TReader() = default;

void TReader::Parse() {
    if (!FDocument)
        FDocument = std::make_unique<runpak::TextDocument>(runpak::ParseDescription(FText));
}

// --- Components ----------------------------------------------------------------------

TComponent* TReader::ReadRootComponent(TComponent* Root) {
    Parse();
    const TextObject& node = FDocument->Root;
    TComponent* createdRoot = nullptr;
    auto abandon = runpak::ScopeExit([&] { Abandon(createdRoot); });
    if (!Root) {
        TClass rootClass = FindClass(node.ClassName);
        createdRoot = Root = rootClass->CreateComponent(nullptr);
    } else if (!ClassNamed(Root->ClassType(), node.ClassName)) {
        throw EReadError(u"Cannot read a " + node.ClassName + u" into a " +
                         Root->ClassType()->ClassName());
    }
    FRoot = FLookupRoot = Root;
    Root->FComponentState.Include(csLoading).Include(csReading);
    FLoaded.push_back(Root);
    if (!node.Name.empty()) {
        // A second instance of a form must not clash with the first.
        UnicodeString name = node.Name;
        if (TComponent* owner = Root->GetOwner())
            for (int n = 1; owner->FindComponent(name) && owner->FindComponent(name) != Root; ++n)
                name = node.Name + u"_" + runpak::IntText(n);
        if (OnSetName) OnSetName(this, Root, name);
        Root->SetName(name);
    }
    FNodes.push_back(&node);
    FNextChild.push_back(0);
    FCurrent = Root;
    Root->ReadState(this);
    FNodes.pop_back();
    FNextChild.pop_back();
    Root->FComponentState.Exclude(csReading);
    ResolveFixups();
    CallLoaded();
    abandon.Release();
    return Root;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
    if (FNodes.empty()) return nullptr;
    const TextObject& node = *FNodes.back();
    size_t& next = FNextChild.back();
    if (next >= node.Children.size()) return nullptr;
    const TextObject& child = node.Children[next++];
    if (Component) {
        // Read into the given component, as if the owner had it already.
        Component->FComponentState.Include(csLoading);
        if (std::find(FLoaded.begin(), FLoaded.end(), Component) == FLoaded.end())
            FLoaded.push_back(Component);
    }
    return ReadComponentNode(child, Component);
}

TComponent* TReader::ReadComponentNode(const TextObject& node, TComponent* component) {
    TClass componentClass = GetClass(node.ClassName);
    if (!componentClass && OnFindComponentClass)
        OnFindComponentClass(this, node.ClassName, componentClass);
    if (!componentClass) throw EClassNotFound(u"Class " + node.ClassName + u" not found");

    TComponent* owner = FOwner ? FOwner : FRoot;
    bool created = false;
    if (!component && !node.Name.empty()) {
        // A component the owner had before this read (an ancestor's
        // description made it) is read into; one this read made is a
        // duplicate, which SetName refuses.
        TComponent* existing = owner->FindComponent(node.Name);
        bool madeHere = std::find(FCreated.begin(), FCreated.end(), existing) != FCreated.end();
        if (existing && !madeHere && existing->ClassType()->InheritsFrom(componentClass))
            component = existing;
    }
    if (!component) {
        if (OnCreateComponent) OnCreateComponent(this, componentClass, component);
        if (!component) component = componentClass->CreateComponent(owner);
        FCreated.push_back(component);
        created = true;
    }
    component->FComponentState.Include(csLoading).Include(csReading);
    if (std::find(FLoaded.begin(), FLoaded.end(), component) == FLoaded.end())
        FLoaded.push_back(component);
    UnicodeString name = node.Name;
    if (OnSetName) OnSetName(this, component, name);
    if (component->GetName() != name) component->SetName(name);
    if (FParent && component->HasParent()) {
        component->SetParentComponent(FParent);
        if (!created) FParent->SetChildOrder(component, int(FNextChild.back()) - 1);
    }

    runpak::TSaveAndRestore<TComponent*> savedCurrent(FCurrent);
    FCurrent = component;
    FNodes.push_back(&node);
    FNextChild.push_back(0);
    auto pop = runpak::ScopeExit([this] {
        FNodes.pop_back();
        FNextChild.pop_back();
    });
    component->ReadState(this);
    component->FComponentState.Exclude(csReading);
    return component;
}

void TReader::ReadData(TComponent* Instance) {
    if (FNodes.empty()) return;
    ReadPropertyList(Instance, FNodes.back()->Properties);
    if (FIgnoreChildren) return;
    runpak::TSaveAndRestore<TComponent*> savedParent(FParent);
    runpak::TSaveAndRestore<TComponent*> savedOwner(FOwner);
    FParent = Instance->GetChildParent();
    FOwner = Instance->GetChildOwner();
    if (!FOwner) FOwner = FRoot;
    while (ReadComponent(nullptr)) {
    }
}

void TReader::ResolveFixups() {
    std::vector<Fixup> fixups = std::move(FFixups);
    FFixups.clear();
    for (const Fixup& fixup : fixups) {
        try {
            TComponent* target = FindReference(fixup.Name);
            if (!target) throw EReadError(u"Component " + fixup.Name + u" not found");
            SetObjectProp(fixup.Instance, fixup.Prop, target);
        } catch (const EReportedReadError&) {
            throw;
        } catch (const Exception& error) {
            HandleError(fixup.Context + error.GetMessage());
        }
    }
}

TComponent* TReader::FindReference(const UnicodeString& path) const {
    std::vector<UnicodeString> parts = SplitPath(path);
    TComponent* found = FRoot->FindComponent(parts[0]);
    if (!found && SameIdent(FRoot->GetName(), parts[0])) found = FRoot;
    if (!found) found = FindGlobalComponent(parts[0]);
    for (size_t i = 1; found && i < parts.size(); ++i)
        found = found->FindComponent(parts[i]);
    return found;
}

void TReader::CallLoaded() {
    // Loaded may start more streaming; this reader's list stays its own.
    std::vector<TComponent*> loaded = FLoaded;
    for (TComponent* component : loaded)
        component->Loaded();
    FLoaded.clear();
    FCreated.clear();
}

void TReader::Abandon(TComponent* createdRoot) {
    FFixups.clear();
    FFrames.clear();
    FNodes.clear();
    FNextChild.clear();
    // Newest first: an owner or parent made by this read is older than what
    // it holds, so nothing is freed twice.
    for (auto c = FCreated.rbegin(); c != FCreated.rend(); ++c) {
        TComponent* component = *c;
        FLoaded.erase(std::remove(FLoaded.begin(), FLoaded.end(), component), FLoaded.end());
        component->BeforeDestruction();
        delete component;
    }
    FCreated.clear();
    for (TComponent* survivor : FLoaded)
        if (survivor != createdRoot)
            survivor->FComponentState.Exclude(csLoading).Exclude(csReading);
    FLoaded.clear();
    if (createdRoot) {
        createdRoot->BeforeDestruction();
        delete createdRoot;
    }
}

// --- Properties ------------------------------------------------------------------------

UnicodeString TReader::ErrorContext(const UnicodeString& propPath) const {
    UnicodeString name;
    if (FCurrent) name = FCurrent->GetName().empty() ? FCurrent->ClassName() : FCurrent->GetName();
    return u"Error reading " + name + u"." + FPathPrefix + propPath + u": ";
}

void TReader::HandleError(const UnicodeString& message) {
    bool handled = false;
    if (OnError) OnError(this, message, handled);
    if (!handled) throw EReportedReadError(message);
}

void TReader::ReadProperties(TPersistent* Instance) {
    if (!FNodes.empty()) ReadPropertyList(Instance, FNodes.back()->Properties);
}

void TReader::ReadPropertyList(TPersistent* Instance, const std::vector<TextProperty>& props) {
    for (const TextProperty& prop : props)
        ReadProperty(Instance, prop);
}

void TReader::ReadProperty(TPersistent* Instance, const TextProperty& prop) {
    try {
        std::vector<UnicodeString> parts = SplitPath(prop.Path);
        TPersistent* target = Instance;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            PPropInfo step = GetPropInfo(target, parts[i]);
            if (!step) throw EReadError(u"Property " + parts[i] + u" does not exist");
            if (step->PropType()->Kind != tkClass) InvalidValue();
            target = dynamic_cast<TPersistent*>(GetObjectProp(target, step));
            if (!target) InvalidValue();
        }
        PPropInfo info = GetPropInfo(target, parts.back());
        if (!info) {
            ReadDefinedProperty(target, parts.back(), prop.Value);
            return;
        }
        if (info->PropType()->Kind != tkClass) {
            ApplyValue(target, info, prop.Value);
            return;
        }
        // Class properties: a nested object's block, a collection's items,
        // nil, or a component's name.
        TObject* object = GetObjectProp(target, info);
        runpak::TSaveAndRestore<UnicodeString> savedPrefix(FPathPrefix);
        switch (prop.Value.Kind) {
        case TextValueKind::Block: {
            auto* nested = dynamic_cast<TPersistent*>(object);
            if (!nested) InvalidValue();
            FPathPrefix += prop.Path + u".";
            ReadPropertyList(nested, prop.Value.Properties);
            return;
        }
        case TextValueKind::List: {
            auto* collection = dynamic_cast<TCollection*>(object);
            if (!collection) InvalidValue();
            FPathPrefix += prop.Path;
            ReadItems(collection, prop.Value);
            return;
        }
        default:
            ApplyValue(target, info, prop.Value);
        }
    } catch (const EReportedReadError&) {
        throw;
    } catch (const Exception& error) {
        HandleError(ErrorContext(prop.Path) + error.GetMessage());
    }
}

void TReader::ApplyValue(TPersistent* Instance, PPropInfo prop, const TextValue& value) {
    PTypeInfo type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64:
        if (value.Kind != TextValueKind::Integer) InvalidValue();
        if (type->Kind == tkInteger && !FitsInteger(type, value.Integer)) InvalidValue();
        SetOrdProp(Instance, prop, value.Integer);
        return;
    case tkChar:
    case tkWChar:
        if (value.Kind == TextValueKind::String && value.Text.size() == 1)
            SetOrdProp(Instance, prop, value.Text[0]);
        else if (value.Kind == TextValueKind::Integer && value.Integer >= 0 &&
                 value.Integer <= 0xFFFF)
            SetOrdProp(Instance, prop, value.Integer);
        else
            InvalidValue();
        return;
    case tkEnumeration: {
        int ordinal = GetEnumValue(type, IdentOf(value));
        if (ordinal < 0) InvalidValue();
        SetOrdProp(Instance, prop, ordinal);
        return;
    }
    case tkSet:
        if (value.Kind != TextValueKind::Set) InvalidValue();
        SetOrdProp(Instance, prop, SetMask(type, value.Names));
        return;
    case tkFloat:
        if (value.Kind == TextValueKind::Float)
            SetFloatProp(Instance, prop, value.Float);
        else if (value.Kind == TextValueKind::Integer)
            SetFloatProp(Instance, prop, static_cast<long double>(value.Integer));
        else
            InvalidValue();
        return;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
        if (value.Kind != TextValueKind::String) InvalidValue();
        SetStrProp(Instance, prop, value.Text);
        return;
    case tkMethod:
        if (value.Kind == TextValueKind::Nil)
            SetMethodProp(Instance, prop, TMethodValue{});
        else if (value.Kind == TextValueKind::Ident && value.Text.find(u'.') == UnicodeString::npos)
            SetMethodProp(Instance, prop, FindMethod(value.Text));
        else
            InvalidValue();
        return;
    case tkClass:
        if (value.Kind == TextValueKind::Nil) {
            SetObjectProp(Instance, prop, nullptr);
        } else if (value.Kind == TextValueKind::Ident) {
            if (!type->ClassType || !type->ClassType->InheritsFrom(TComponent::StaticClass()) ||
                prop->IsReadOnly())
                InvalidValue();
            FFixups.push_back({Instance, prop, value.Text, ErrorContext(prop->Name)});
        } else {
            InvalidValue();
        }
        return;
    default:
        InvalidValue();
    }
}

void TReader::ReadItems(TCollection* Collection, const TextValue& list) {
    auto update = runpak::UpdateBracket(*Collection);
    Collection->Clear();
    UnicodeString prefix = FPathPrefix;
    for (size_t i = 0; i < list.Items.size(); ++i) {
        const TextValue& item = list.Items[i];
        if (item.Kind != TextValueKind::Block) InvalidValue();
        FPathPrefix = prefix + u"[" + runpak::IntText(int64_t(i)) + u"].";
        ReadPropertyList(Collection->Add(), item.Properties);
    }
    FPathPrefix = prefix;
}

TMethodValue TReader::FindMethod(const UnicodeString& name) {
    TMethodValue method;
    bool error = true;
    if (PMethodInfo info = GetMethodInfo(FRoot->ClassType(), name)) {
        method = info->Bind(FRoot);
        error = false;
    }
    if (OnFindMethod) OnFindMethod(this, name, method, error);
    if (error) throw EReadError(u"Method " + name + u" not found");
    return method;
}

// --- DefineProperties -------------------------------------------------------------------

void TReader::ReadDefinedProperty(TPersistent* Instance, const UnicodeString& name,
                                  const TextValue& value) {
    runpak::TSaveAndRestore<UnicodeString> savedName(FPropName);
    runpak::TSaveAndRestore<const TextValue*> savedValue(FPropValue);
    runpak::TSaveAndRestore<bool> savedFound(FPropFound);
    FPropName = name;
    FPropValue = &value;
    FPropFound = false;
    Instance->DefineProperties(this);
    if (!FPropFound) throw EReadError(u"Property " + name + u" does not exist");
}

void TReader::DefineProperty(const UnicodeString& Name, TReaderProc ReadData, TWriterProc, bool) {
    if (FPropFound || FPropName.empty() || !ReadData || !SameIdent(Name, FPropName)) return;
    FPropFound = true;
    FPropName.clear(); // properties defined while reading it are others
    size_t depth = FFrames.size();
    FFrames.push_back({FPropValue, 1, 0, false});
    auto unwind = runpak::ScopeExit([&] { FFrames.resize(depth); });
    ReadData(this);
}

void TReader::DefineBinaryProperty(const UnicodeString& Name, TStreamProc ReadData, TStreamProc,
                                   bool) {
    if (FPropFound || FPropName.empty() || !ReadData || !SameIdent(Name, FPropName)) return;
    FPropFound = true;
    FPropName.clear();
    if (FPropValue->Kind != TextValueKind::Binary) InvalidValue();
    TMemoryStream stream;
    if (!FPropValue->Bytes.empty())
        stream.WriteBuffer(FPropValue->Bytes.data(), int(FPropValue->Bytes.size()));
    stream.SetPosition(0);
    ReadData(&stream);
}

// --- Values by hand ----------------------------------------------------------------------

void TReader::ValueError() {
    InvalidValue();
}

const TextValue& TReader::Peek() {
    if (FFrames.empty() || FFrames.back().Index >= FFrames.back().Count) ValueError();
    return FFrames.back().Values[FFrames.back().Index];
}

const TextValue& TReader::Take() {
    const TextValue& value = Peek();
    ++FFrames.back().Index;
    return value;
}

TValueType TReader::NextValue() {
    if (FFrames.empty() || FFrames.back().Index >= FFrames.back().Count) return vaNull;
    return TypeOf(Peek());
}

TValueType TReader::ReadValue() {
    TValueType type = NextValue();
    const TextValue& value = Take();
    if (value.Kind == TextValueKind::List)
        FFrames.push_back({value.Items.data(), value.Items.size(), 0, true});
    return type;
}

void TReader::SkipValue() {
    Take();
}

bool TReader::EndOfList() {
    return FFrames.empty() || FFrames.back().Index >= FFrames.back().Count;
}

void TReader::ReadListBegin() {
    if (Peek().Kind != TextValueKind::List) ValueError();
    ReadValue();
}

void TReader::ReadListEnd() {
    if (FFrames.empty() || !FFrames.back().IsList || !EndOfList()) ValueError();
    FFrames.pop_back();
}

void TReader::ReadCollection(TCollection* Collection) {
    if (!EndOfList() && Peek().Kind == TextValueKind::List) {
        ReadItems(Collection, Take());
        return;
    }
    // Inside a collection that ReadValue entered: its remaining items.
    if (FFrames.empty() || !FFrames.back().IsList) ValueError();
    Frame frame = FFrames.back();
    TextValue rest;
    rest.Kind = TextValueKind::List;
    rest.Items.assign(frame.Values + frame.Index, frame.Values + frame.Count);
    FFrames.pop_back();
    ReadItems(Collection, rest);
}

int64_t TReader::ReadInt64() {
    if (Peek().Kind != TextValueKind::Integer) ValueError();
    return Take().Integer;
}

int TReader::ReadInteger() {
    if (Peek().Kind != TextValueKind::Integer) ValueError();
    int64_t value = Peek().Integer;
    if (value < INT32_MIN || value > INT32_MAX) ValueError();
    Take();
    return int(value);
}

bool TReader::ReadBoolean() {
    TextValueKind kind = Peek().Kind;
    if (kind != TextValueKind::True && kind != TextValueKind::False) ValueError();
    Take();
    return kind == TextValueKind::True;
}

char16_t TReader::ReadChar() {
    const TextValue& value = Peek();
    if (value.Kind == TextValueKind::String && value.Text.size() == 1) return Take().Text[0];
    if (value.Kind == TextValueKind::Integer && value.Integer >= 0 && value.Integer <= 0xFFFF)
        return char16_t(Take().Integer);
    ValueError();
}

long double TReader::ReadFloat() {
    const TextValue& value = Peek();
    if (value.Kind == TextValueKind::Float) return Take().Float;
    if (value.Kind == TextValueKind::Integer) return static_cast<long double>(Take().Integer);
    ValueError();
}

double TReader::ReadDouble() {
    return static_cast<double>(ReadFloat());
}

float TReader::ReadSingle() {
    return static_cast<float>(ReadFloat());
}

UnicodeString TReader::ReadString() {
    if (Peek().Kind != TextValueKind::String) ValueError();
    return Take().Text;
}

UnicodeString TReader::ReadIdent() {
    UnicodeString ident = IdentOf(Peek());
    Take();
    return ident;
}

int64_t TReader::ReadSet(PTypeInfo SetType) {
    if (Peek().Kind != TextValueKind::Set) ValueError();
    int64_t mask = SetMask(SetType, Peek().Names);
    Take();
    return mask;
}

std::vector<UnicodeString> TReader::ReadSetNames() {
    if (Peek().Kind != TextValueKind::Set) ValueError();
    return Take().Names;
}

TBytes TReader::ReadBinary() {
    if (Peek().Kind != TextValueKind::Binary) ValueError();
    return Take().Bytes;
}
