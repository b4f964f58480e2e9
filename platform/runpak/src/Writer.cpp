// TWriter: writes a component tree as description text, leaving out what
// equals the defaults (or, for a descendant, its ancestor).
#include <runpak/Filer.h>
#include <runpak/ScopeGuard.h>

#include "FormText.h"
#include "ObjectModelText.h"

namespace {

bool IsOrdinalKind(TTypeKind kind) {
    return kind == tkInteger || kind == tkChar || kind == tkWChar || kind == tkEnumeration ||
           kind == tkSet || kind == tkInt64;
}

bool IsStringKind(TTypeKind kind) {
    return kind == tkString || kind == tkLString || kind == tkWString || kind == tkUString;
}

bool IsBooleanType(PTypeInfo type) {
    return type->Kind == tkEnumeration && type->EnumNames.size() == 2 &&
           type->EnumNames[0] == u"False" && type->EnumNames[1] == u"True";
}

int FloatTypeCode(TFloatType type) {
    if (type == ftSingle) return 0;
    if (type == ftDouble) return 1;
    return 2;
}

UnicodeString HexBytes(const uint8_t* bytes, size_t count) {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    UnicodeString text;
    for (size_t i = 0; i < count; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0xF];
    }
    return text;
}

} // namespace

// The property being written (one value) or a list (values joined by commas).
struct TWriter::Context {
    bool IsList = false;
    int Count = 0;
};

void TComponent::WriteState(TWriter* Writer) {
    Writer->WriteData(this);
}

TWriter::TWriter(TStream* Stream, int BufSize) : FStream(Stream) {}

TWriter::~TWriter() {
    try {
        FlushBuffer();
    } catch (...) {
        // A destructor must not throw; the stream's own errors surfaced at
        // the end of each root.
    }
}

void TWriter::FlushBuffer() {
    if (!FStream || FText.empty()) return;
    std::string bytes = UnicodeToUtf8(FText);
    FText.clear();
    FStream->WriteBuffer(bytes.data(), int(bytes.size()));
}

// --- Components ----------------------------------------------------------------------

void TWriter::WriteRootComponent(TComponent* Root) {
    WriteDescendent(Root, nullptr);
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* Ancestor) {
    FRoot = FLookupRoot = Root;
    FRootAncestor = Ancestor;
    FIndent = 0;
    FContexts.clear();
    WriteComponent(Root);
    Raw(u"\n");
    FlushBuffer();
}

void TWriter::WriteComponent(TComponent* Component) {
    auto savedAncestor = runpak::SaveAndRestore(FAncestor);
    if (Component == FRoot)
        FAncestor = FRootAncestor;
    else if (FRootAncestor && !Component->GetName().empty())
        FAncestor = FRootAncestor->FindComponent(Component->GetName());
    else
        FAncestor = nullptr;

    if (FIndent > 0) NewLine();
    Raw(Component->ClassType()->ClassName());
    if (!Component->GetName().empty()) Raw(u" " + Component->GetName());
    Raw(u" {");
    ++FIndent;
    Component->FComponentState.Include(csWriting);
    {
        auto written = runpak::ScopeExit([&] {
            Component->FComponentState.Exclude(csWriting);
            --FIndent;
        });
        Component->WriteState(this);
    }
    NewLine();
    Raw(u"}");
}

void TWriter::WriteData(TComponent* Instance) {
    WriteProperties(Instance);
    if (FIgnoreChildren) return;
    TPersistent* ancestor = FAncestor;
    Instance->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
    FAncestor = ancestor;
}

// --- Properties ------------------------------------------------------------------------

TPersistent* TWriter::AncestorFor(TPersistent* Instance) const {
    if (!FAncestor || FAncestor->ClassType() != Instance->ClassType()) return nullptr;
    return FAncestor;
}

void TWriter::WriteProperties(TPersistent* Instance) {
    TPersistent* ancestor = AncestorFor(Instance);
    for (PPropInfo prop : GetPropList(Instance))
        WriteProperty(Instance, prop, ancestor);
    TPersistent* saved = FAncestor;
    FAncestor = ancestor;
    Instance->DefineProperties(this);
    FAncestor = saved;
}

void TWriter::WriteProperty(TPersistent* Instance, PPropInfo prop, TPersistent* ancestor) {
    if (!IsStoredProp(Instance, prop)) return;
    PTypeInfo type = prop->PropType();
    if (type->Kind == tkClass) {
        WriteObjectProperty(Instance, prop, ancestor);
        return;
    }
    if (prop->IsReadOnly()) return;

    if (IsOrdinalKind(type->Kind)) {
        int64_t value = GetOrdProp(Instance, prop);
        if (ancestor) {
            if (value == GetOrdProp(ancestor, prop)) return;
        } else if (prop->Default ? value == *prop->Default : type->Kind == tkInt64 && value == 0) {
            return;
        }
        size_t mark = BeginProperty(prop->Name);
        if (type->Kind == tkEnumeration && IsBooleanType(type))
            WriteBoolean(value != 0);
        else if (type->Kind == tkEnumeration)
            WriteIdent(GetEnumName(type, value));
        else if (type->Kind == tkSet)
            WriteSet(type, value);
        else if (type->Kind == tkChar || type->Kind == tkWChar)
            WriteChar(char16_t(value));
        else
            WriteInteger(value);
        EndProperty(mark);
    } else if (type->Kind == tkFloat) {
        long double value = GetFloatProp(Instance, prop);
        if (ancestor ? value == GetFloatProp(ancestor, prop) : value == 0) return;
        size_t mark = BeginProperty(prop->Name);
        BeginValue();
        Raw(runpak::FloatText(value, FloatTypeCode(type->FloatType)));
        EndProperty(mark);
    } else if (IsStringKind(type->Kind)) {
        UnicodeString value = GetStrProp(Instance, prop);
        if (ancestor ? value == GetStrProp(ancestor, prop) : value.empty()) return;
        size_t mark = BeginProperty(prop->Name);
        WriteString(value);
        EndProperty(mark);
    } else if (type->Kind == tkMethod) {
        UnicodeString name = MethodName(GetMethodProp(Instance, prop));
        UnicodeString ancestorName = ancestor ? GetMethodProp(ancestor, prop).MethodName : u"";
        if (runpak::SameIdent(name, ancestorName)) return;
        size_t mark = BeginProperty(prop->Name);
        if (name.empty())
            WriteNil();
        else
            WriteIdent(name);
        EndProperty(mark);
    }
    // Variants and the other kinds have no text form.
}

void TWriter::WriteObjectProperty(TPersistent* Instance, PPropInfo prop, TPersistent* ancestor) {
    TObject* value = GetObjectProp(Instance, prop);
    TObject* ancestorValue = ancestor ? GetObjectProp(ancestor, prop) : nullptr;
    if (!value) {
        if (ancestorValue && !prop->IsReadOnly()) {
            size_t mark = BeginProperty(prop->Name);
            WriteNil();
            EndProperty(mark);
        }
        return;
    }

    auto* component = dynamic_cast<TComponent*>(value);
    if (component && !component->GetComponentStyle().Contains(csSubComponent)) {
        // A reference to a component: by name.
        if (prop->IsReadOnly()) return;
        UnicodeString name = ReferenceName(component);
        if (name.empty()) return;
        if (auto* ancestorComponent = dynamic_cast<TComponent*>(ancestorValue))
            if (runpak::SameIdent(ancestorComponent->GetName(), component->GetName())) return;
        size_t mark = BeginProperty(prop->Name);
        BeginValue();
        Raw(name);
        EndProperty(mark);
        return;
    }

    if (auto* collection = dynamic_cast<TCollection*>(value)) {
        auto* ancestorCollection = dynamic_cast<TCollection*>(ancestorValue);
        if (collection->GetCount() == 0 &&
            (!ancestorCollection || ancestorCollection->GetCount() == 0))
            return;
        size_t mark = BeginProperty(prop->Name);
        WriteCollection(collection);
        EndProperty(mark);
        return;
    }

    auto* nested = dynamic_cast<TPersistent*>(value);
    if (!nested) return;
    size_t mark = BeginProperty(prop->Name);
    BeginValue();
    Raw(u"{");
    size_t inside = FText.size();
    {
        auto ancestor =
            runpak::SaveAndRestore(FAncestor, dynamic_cast<TPersistent*>(ancestorValue));
        auto indent = runpak::SaveAndRestore(FIndent, FIndent + 1);
        WriteProperties(nested);
    }
    if (FText.size() == inside) {
        // Nothing differs: no block at all.
        FContexts.back().Count = 0;
    } else {
        NewLine();
        Raw(u"}");
    }
    EndProperty(mark);
}

void TWriter::WriteCollection(TCollection* Value) {
    BeginValue();
    Raw(u"(");
    if (Value->GetCount() == 0) {
        Raw(u")");
        return;
    }
    TPersistent* saved = FAncestor;
    FAncestor = nullptr;
    std::vector<Context> outer = std::move(FContexts);
    FContexts.clear();
    ++FIndent;
    for (int i = 0; i < Value->GetCount(); ++i) {
        NewLine();
        Raw(u"{");
        ++FIndent;
        WriteProperties(Value->GetItems(i));
        --FIndent;
        NewLine();
        Raw(i + 1 < Value->GetCount() ? u"}," : u"}");
    }
    --FIndent;
    FContexts = std::move(outer);
    FAncestor = saved;
    NewLine();
    Raw(u")");
}

UnicodeString TWriter::ReferenceName(TComponent* Component) const {
    if (Component->GetName().empty()) return {};
    if (Component == FLookupRoot) return Component->GetName();
    UnicodeString path = Component->GetName();
    for (TComponent* owner = Component->GetOwner(); owner; owner = owner->GetOwner()) {
        if (owner == FLookupRoot) return path;
        if (owner->GetName().empty()) return {};
        path = owner->GetName() + u"." + path;
        // Outside this root: the owner is found among the forms by name.
        if (!owner->GetOwner() || !owner->GetOwner()->GetOwner()) return path;
    }
    return path;
}

UnicodeString TWriter::MethodName(const TMethodValue& method) {
    if (!method.Handler.has_value()) return {};
    UnicodeString name;
    if (method.Data == FLookupRoot) name = method.MethodName;
    if (OnFindMethodName) OnFindMethodName(this, method, name);
    return name;
}

// --- DefineProperties -------------------------------------------------------------------

void TWriter::DefineProperty(const UnicodeString& Name, TReaderProc, TWriterProc WriteData,
                             bool HasData) {
    if (!HasData || !WriteData) return;
    size_t mark = BeginProperty(Name);
    size_t depth = FContexts.size();
    WriteData(this);
    if (FContexts.size() != depth) throw EWriteError(u"Unbalanced list in property " + Name);
    EndProperty(mark);
}

void TWriter::DefineBinaryProperty(const UnicodeString& Name, TStreamProc, TStreamProc WriteData,
                                   bool HasData) {
    if (!HasData || !WriteData) return;
    TMemoryStream stream;
    WriteData(&stream);
    TBytes bytes(size_t(stream.GetSize()));
    if (!bytes.empty()) {
        stream.SetPosition(0);
        stream.ReadBuffer(bytes.data(), int(bytes.size()));
    }
    size_t mark = BeginProperty(Name);
    WriteBinary(bytes);
    EndProperty(mark);
}

// --- Text ---------------------------------------------------------------------------------

void TWriter::Raw(const UnicodeString& text) {
    FText += text;
}

void TWriter::NewLine() {
    FText += u'\n';
    FText.append(size_t(FIndent) * 4, u' ');
}

size_t TWriter::BeginProperty(const UnicodeString& name) {
    if (!runpak::IsTextIdent(name)) throw EWriteError(u"Invalid property name " + name);
    size_t mark = FText.size();
    NewLine();
    Raw(name + u" = ");
    FContexts.push_back({false, 0});
    return mark;
}

void TWriter::EndProperty(size_t mark) {
    bool wrote = !FContexts.empty() && FContexts.back().Count > 0;
    if (!FContexts.empty()) FContexts.pop_back();
    if (!wrote) FText.resize(mark); // a write procedure that wrote nothing
}

void TWriter::BeginValue() {
    if (FContexts.empty()) throw EWriteError(u"A value is written outside a property");
    Context& context = FContexts.back();
    if (!context.IsList && context.Count > 0)
        throw EWriteError(u"A property holds one value; write a list for more");
    if (context.IsList && context.Count > 0) Raw(u", ");
    ++context.Count;
}

// --- Values by hand ----------------------------------------------------------------------

void TWriter::WriteListBegin() {
    BeginValue();
    Raw(u"(");
    FContexts.push_back({true, 0});
}

void TWriter::WriteListEnd() {
    if (FContexts.empty() || !FContexts.back().IsList) throw EWriteError(u"No list to end");
    FContexts.pop_back();
    Raw(u")");
}

void TWriter::WriteInteger(int64_t Value) {
    BeginValue();
    Raw(runpak::IntText(Value));
}

void TWriter::WriteBoolean(bool Value) {
    BeginValue();
    Raw(Value ? u"true" : u"false");
}

void TWriter::WriteChar(char16_t Value) {
    WriteString(UnicodeString(1, Value));
}

void TWriter::WriteFloat(long double Value) {
    BeginValue();
    Raw(runpak::FloatText(Value, 2));
}

void TWriter::WriteDouble(double Value) {
    BeginValue();
    Raw(runpak::FloatText(Value, 1));
}

void TWriter::WriteSingle(float Value) {
    BeginValue();
    Raw(runpak::FloatText(Value, 0));
}

void TWriter::WriteString(const UnicodeString& Value) {
    BeginValue();
    Raw(runpak::QuoteText(Value));
}

void TWriter::WriteIdent(const UnicodeString& Value) {
    if (!runpak::IsTextIdent(Value)) throw EWriteError(u"'" + Value + u"' is not an identifier");
    BeginValue();
    Raw(Value);
}

void TWriter::WriteSet(PTypeInfo SetType, int64_t Value) {
    PTypeInfo elements = SetType ? SetType->CompType : nullptr;
    UnicodeString text = u"[";
    for (int bit = 0; bit < 64; ++bit) {
        if (!(uint64_t(Value) >> bit & 1)) continue;
        UnicodeString name = GetEnumName(elements, bit);
        if (name.empty())
            throw EWriteError(u"Set element " + runpak::IntText(bit) + u" has no name");
        if (text.size() > 1) text += u", ";
        text += name;
    }
    BeginValue();
    Raw(text + u"]");
}

void TWriter::WriteBinary(const TBytes& Value) {
    constexpr size_t kBytesPerLine = 32;
    BeginValue();
    if (Value.size() <= kBytesPerLine) {
        Raw(u"<" + HexBytes(Value.data(), Value.size()) + u">");
        return;
    }
    Raw(u"<");
    ++FIndent;
    for (size_t at = 0; at < Value.size(); at += kBytesPerLine) {
        NewLine();
        Raw(HexBytes(Value.data() + at, std::min(kBytesPerLine, Value.size() - at)));
    }
    --FIndent;
    NewLine();
    Raw(u">");
}

void TWriter::WriteNil() {
    BeginValue();
    Raw(u"nil");
}
