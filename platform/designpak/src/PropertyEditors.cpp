// Editors over the framework's published properties: one class per kind of
// value, all reading and writing through the property records, so that any
// registered class can be inspected and edited.
#include <designpak/PropertyEditors.h>

#include <quorlpak/Application.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <quorlpak/TypeInfos.h>
#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <cassert>
#include <cstdint>

namespace {

// The designed root of an object: its topmost owner below the application.
TComponent* RootOf(TPersistent* instance) {
    auto* component = dynamic_cast<TComponent*>(instance);
    if (!component) return nullptr;
    while (TComponent* owner = component->GetOwner()) {
        if (dynamic_cast<TApplication*>(owner)) break;
        component = owner;
    }
    return component;
}

bool IsMethodKind(PPropInfo prop) {
    return prop->PropType()->Kind == tkMethod;
}

// The base editor: ordinals, strings and floats as plain text.
class TPropertyEditor : public TInterfacedObject,
                        public IProperty80,
                        public IWidePropertyDescription {
public:
    TPropertyEditor(std::vector<TPersistent*> components, PPropInfo prop)
        : FComponents(std::move(components)), FProp(prop) {
        assert(!FComponents.empty() && FProp);
    }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IProperty, IProperty70, IProperty80, IWidePropertyDescription>(
                this, iid, out))
            return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }

    void Activate() override {}
    bool AllEqual() override {
        if (FComponents.size() < 2) return true;
        const UnicodeString first = ValueOf(FComponents[0]);
        for (size_t i = 1; i < FComponents.size(); ++i)
            if (ValueOf(FComponents[i]) != first) return false;
        return true;
    }
    bool AutoFill() override { return true; }
    void Edit() override {}
    void Edit(IPropertyHost*, bool) override { Edit(); }
    TPropertyAttributes GetAttributes() override {
        TPropertyAttributes a = 0;
        if (FProp->IsReadOnly()) a |= paReadOnly;
        if (FProp->Default) a |= paRevertable;
        return a;
    }
    int GetEditLimit() override { return -1; }
    bool GetEditValue(UnicodeString& Value) override {
        Value = GetValue();
        return !FProp->IsReadOnly();
    }
    UnicodeString GetName() override { return FProp->Name; }
    void GetProperties(const TGetPropProc&) override {}
    PPropInfo GetPropInfo() override { return FProp; }
    PTypeInfo GetPropType() override { return FProp->PropType(); }
    UnicodeString GetValue() override { return ValueOf(FComponents[0]); }
    void GetValues(const TGetStrProc&) override {}
    void Revert() override {
        if (!FProp->Default || FProp->IsReadOnly()) return;
        for (TPersistent* c : FComponents)
            SetPropValue(c, FProp, TPropValue(*FProp->Default));
    }
    void SetValue(const UnicodeString& Value) override {
        const TPropValue v = Parse(Value);
        for (TPersistent* c : FComponents)
            SetPropValue(c, FProp, v);
    }
    bool ValueAvailable() override { return true; }
    bool GetIsDefault() override {
        const TPropValue v = GetPropValue(FComponents[0], FProp);
        if (FProp->Default) return runpak::OrdinalOf(v) == *FProp->Default;
        if (auto* s = std::get_if<UnicodeString>(&v)) return s->empty();
        if (auto* f = std::get_if<long double>(&v)) return *f == 0;
        return true;
    }
    UnicodeString GetDescription() override { return {}; }

protected:
    virtual UnicodeString ValueOf(TPersistent* c) {
        const TPropValue v = GetPropValue(c, FProp);
        switch (FProp->PropType()->Kind) {
        case tkInteger:
        case tkInt64:
            return IntToStr(static_cast<long long>(runpak::OrdinalOf(v)));
        case tkChar:
        case tkWChar:
            return UnicodeString(1, char16_t(runpak::OrdinalOf(v)));
        case tkFloat:
            return FloatToStr(runpak::FloatOf(v));
        default:
            return runpak::StringOf(v);
        }
    }
    virtual TPropValue Parse(const UnicodeString& text) {
        switch (FProp->PropType()->Kind) {
        case tkInteger:
        case tkInt64:
            return TPropValue(int64_t(StrToInt64(Trim(text))));
        case tkChar:
        case tkWChar:
            if (text.size() != 1) throw EPropertyError(u"Invalid property value");
            return TPropValue(int64_t(text[0]));
        case tkFloat:
            return TPropValue(static_cast<long double>(StrToFloat(Trim(text))));
        default:
            return TPropValue(text);
        }
    }

    std::vector<TPersistent*> FComponents;
    PPropInfo FProp;
};

// Enumerations and Boolean: a value list of the type's names.
class TEnumPropertyEditor : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override {
        return TPropertyEditor::GetAttributes() | paValueList | paSortList;
    }
    void GetValues(const TGetStrProc& Proc) override {
        for (const UnicodeString& name : FProp->PropType()->EnumNames)
            Proc(name);
    }

protected:
    UnicodeString ValueOf(TPersistent* c) override {
        const int64_t v = GetOrdProp(c, FProp);
        UnicodeString name = GetEnumName(FProp->PropType(), v);
        return name.empty() ? IntToStr(static_cast<long long>(v)) : name;
    }
    TPropValue Parse(const UnicodeString& text) override {
        const int v = GetEnumValue(FProp->PropType(), Trim(text));
        if (v < 0) throw EPropertyError(u"Invalid property value");
        return TPropValue(int64_t(v));
    }
};

// Colours: a value list of the named colours, or any number.
class TColorPropertyEditor : public TPropertyEditor, public ICustomPropertyListDrawing {
public:
    using TPropertyEditor::TPropertyEditor;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<ICustomPropertyListDrawing>(this, iid, out)) return S_OK;
        return TPropertyEditor::QueryInterface(iid, out);
    }
    TPropertyAttributes GetAttributes() override {
        return TPropertyEditor::GetAttributes() | paValueList | paValueEditable;
    }
    void GetValues(const TGetStrProc& Proc) override {
        static const TColor standard[] = {clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple,
                                          clTeal,  clGray,   clSilver, clRed,  clLime,   clYellow,
                                          clBlue,  clFuchsia, clAqua, clWhite, clMoneyGreen,
                                          clSkyBlue, clCream, clMedGray, clNone, clDefault};
        UnicodeString ident;
        for (TColor c : standard)
            if (ColorToIdent(c, ident)) Proc(ident);
        for (int i = 0; i <= 30; ++i)
            if (ColorToIdent(TColor(clSystemColor | i), ident)) Proc(ident);
    }
    void ListMeasureWidth(const UnicodeString&, TCanvas* Canvas, int& Width) override {
        Width += Canvas->TextHeight(u"M");
    }
    void ListMeasureHeight(const UnicodeString&, TCanvas*, int&) override {}
    void ListDrawValue(const UnicodeString& Value, TCanvas* Canvas, const TRect& Rect,
                       bool Selected) override {
        // A swatch of the colour, then its name.
        const int side = Rect.bottom - Rect.top;
        TColor color = clNone;
        try {
            color = StringToColor(Value);
        } catch (const EConvertError&) {
        }
        const TColor oldBrush = Canvas->GetBrush()->GetColor();
        const TColor oldPen = Canvas->GetPen()->GetColor();
        Canvas->GetPen()->SetColor(clBlack);
        Canvas->GetBrush()->SetColor(color == clNone ? clWindow : color);
        Canvas->Rectangle(Rect.left + 1, Rect.top + 1, Rect.left + side - 1, Rect.bottom - 1);
        Canvas->GetBrush()->SetColor(oldBrush);
        Canvas->GetPen()->SetColor(oldPen);
        TRect rest = Rect;
        rest.left += side;
        DefaultPropertyListDrawValue(Value, Canvas, rest, Selected);
    }

protected:
    UnicodeString ValueOf(TPersistent* c) override {
        return ColorToString(TColor(GetOrdProp(c, FProp)));
    }
    TPropValue Parse(const UnicodeString& text) override {
        return TPropValue(int64_t(StringToColor(Trim(text))));
    }
};

// One element of a set: False or True.
class TSetElementPropertyEditor : public TPropertyEditor {
public:
    TSetElementPropertyEditor(std::vector<TPersistent*> components, PPropInfo prop, int element)
        : TPropertyEditor(std::move(components), prop), FElement(element) {}
    TPropertyAttributes GetAttributes() override {
        return paValueList | paSortList | (FProp->IsReadOnly() ? paReadOnly : 0);
    }
    UnicodeString GetName() override {
        return GetEnumName(FProp->PropType()->CompType, FElement);
    }
    void GetValues(const TGetStrProc& Proc) override {
        Proc(u"False");
        Proc(u"True");
    }
    void SetValue(const UnicodeString& Value) override {
        bool on;
        if (SameText(Value, u"True"))
            on = true;
        else if (SameText(Value, u"False"))
            on = false;
        else
            throw EPropertyError(u"Invalid property value");
        for (TPersistent* c : FComponents) {
            uint64_t bits = uint64_t(GetOrdProp(c, FProp));
            bits = on ? bits | (uint64_t(1) << FElement) : bits & ~(uint64_t(1) << FElement);
            SetOrdProp(c, FProp, int64_t(bits));
        }
    }
    bool GetIsDefault() override {
        if (!FProp->Default) return true;
        const uint64_t mask = uint64_t(1) << FElement;
        return (uint64_t(GetOrdProp(FComponents[0], FProp)) & mask) ==
               (uint64_t(*FProp->Default) & mask);
    }
    void Revert() override {}

protected:
    UnicodeString ValueOf(TPersistent* c) override {
        return (uint64_t(GetOrdProp(c, FProp)) >> FElement) & 1 ? u"True" : u"False";
    }

private:
    int FElement;
};

// Sets: "[a,b]", edited through one sub-property per element.
class TSetPropertyEditor : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override {
        return TPropertyEditor::GetAttributes() | paSubProperties | paReadOnly;
    }
    bool GetEditValue(UnicodeString& Value) override {
        Value = GetValue();
        return false;
    }
    void GetProperties(const TGetPropProc& Proc) override {
        const int n = int(FProp->PropType()->CompType->EnumNames.size());
        for (int i = 0; i < n; ++i) {
            InterfacePtr<IProperty> element(new TSetElementPropertyEditor(FComponents, FProp, i));
            Proc(element.Get());
        }
    }

protected:
    UnicodeString ValueOf(TPersistent* c) override {
        const uint64_t bits = uint64_t(GetOrdProp(c, FProp));
        PTypeInfo elements = FProp->PropType()->CompType;
        UnicodeString text = u"[";
        for (size_t i = 0; i < elements->EnumNames.size() && i < 64; ++i)
            if ((bits >> i) & 1) {
                if (text.size() > 1) text += u',';
                text += elements->EnumNames[i];
            }
        return text + u"]";
    }
};

// Objects the instance owns (fonts, lists): "(TFont)" and their properties.
class TClassPropertyEditor : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override {
        TPropertyAttributes a = paReadOnly;
        if (TObject* o = GetObjectProp(FComponents[0], FProp); o && !GetPropList(o).empty())
            a |= paSubProperties;
        return a;
    }
    bool GetEditValue(UnicodeString& Value) override {
        Value = GetValue();
        return false;
    }
    void GetProperties(const TGetPropProc& Proc) override {
        std::vector<TPersistent*> objects;
        for (TPersistent* c : FComponents) {
            auto* o = dynamic_cast<TPersistent*>(GetObjectProp(c, FProp));
            if (!o) return;
            objects.push_back(o);
        }
        GetComponentProperties(objects, pkProperties, Proc);
    }

protected:
    UnicodeString ValueOf(TPersistent* c) override {
        TObject* o = GetObjectProp(c, FProp);
        return o ? u"(" + o->ClassName() + u")" : UnicodeString();
    }
};

// References to other components: the referenced one's name, chosen from the
// components of the same root that fit the property's class.
class TComponentPropertyEditor : public TPropertyEditor, public IReferenceProperty {
public:
    using TPropertyEditor::TPropertyEditor;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IReferenceProperty>(this, iid, out)) return S_OK;
        return TPropertyEditor::QueryInterface(iid, out);
    }
    TPropertyAttributes GetAttributes() override {
        TPropertyAttributes a = TPropertyEditor::GetAttributes() | paValueList | paSortList;
        if (Referenced() && !GetPropList(Referenced()).empty()) a |= paSubProperties;
        return a;
    }
    void GetValues(const TGetStrProc& Proc) override {
        TComponent* root = RootOf(FComponents[0]);
        if (!root) return;
        TClass wanted = FProp->PropType()->ClassType;
        for (int i = 0; i < root->GetComponentCount(); ++i) {
            TComponent* c = root->GetComponents(i);
            if (!c->GetName().empty() && (!wanted || c->ClassType()->InheritsFrom(wanted)))
                Proc(c->GetName());
        }
    }
    void GetProperties(const TGetPropProc& Proc) override {
        if (TComponent* c = Referenced()) GetComponentProperties({c}, pkProperties, Proc);
    }
    uint32_t GetReferenceIdentity() override {
        const auto p = reinterpret_cast<uintptr_t>(Referenced());
        return uint32_t(p ^ (uint64_t(p) >> 32)) | (p ? 1u : 0u);
    }
    bool GetIsDefault() override { return Referenced() == nullptr; }

protected:
    TComponent* Referenced() {
        return dynamic_cast<TComponent*>(GetObjectProp(FComponents[0], FProp));
    }
    UnicodeString ValueOf(TPersistent* c) override {
        auto* referenced = dynamic_cast<TComponent*>(GetObjectProp(c, FProp));
        return referenced ? referenced->GetName() : UnicodeString();
    }
    TPropValue Parse(const UnicodeString& text) override {
        if (Trim(text).empty()) return TPropValue(static_cast<TObject*>(nullptr));
        TComponent* root = RootOf(FComponents[0]);
        TComponent* found = root ? (SameText(root->GetName(), Trim(text))
                                        ? root
                                        : root->FindComponent(Trim(text)))
                                 : nullptr;
        if (!found) throw EPropertyError(u"Invalid property value");
        return TPropValue(static_cast<TObject*>(found));
    }
};

// Events: the name of the bound published method of the root.
class TMethodPropertyEditor : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override { return paValueList | paSortList; }
    void GetValues(const TGetStrProc& Proc) override {
        TComponent* root = RootOf(FComponents[0]);
        for (TClass c = root ? root->ClassType() : nullptr; c; c = c->ClassParent())
            for (const TMethodInfo& m : c->OwnMethods())
                Proc(m.Name);
    }
    bool GetIsDefault() override {
        return !GetMethodProp(FComponents[0], FProp).Handler.has_value();
    }
    void Revert() override {}

protected:
    UnicodeString ValueOf(TPersistent* c) override { return GetMethodProp(c, FProp).MethodName; }
    TPropValue Parse(const UnicodeString& text) override {
        const UnicodeString name = Trim(text);
        if (name.empty()) return TPropValue(TMethodValue{});
        TComponent* root = RootOf(FComponents[0]);
        PMethodInfo method = root ? ::GetMethodInfo(root->ClassType(), name) : nullptr;
        if (!method) throw EPropertyError(u"Invalid property value");
        return TPropValue(method->Bind(root));
    }
};

IProperty* CreateEditor(const std::vector<TPersistent*>& components, PPropInfo prop) {
    PTypeInfo type = prop->PropType();
    if (type == TypeInfo_TColor()) return new TColorPropertyEditor(components, prop);
    switch (type->Kind) {
    case tkEnumeration:
        return new TEnumPropertyEditor(components, prop);
    case tkSet:
        return new TSetPropertyEditor(components, prop);
    case tkMethod:
        return new TMethodPropertyEditor(components, prop);
    case tkClass: {
        TObject* value = GetObjectProp(components[0], prop);
        auto* referenced = dynamic_cast<TComponent*>(value);
        const bool owned = referenced && referenced->GetOwner() == components[0];
        const bool componentClass =
            type->ClassType && type->ClassType->InheritsFrom(TComponent::StaticClass());
        if (componentClass && !owned) return new TComponentPropertyEditor(components, prop);
        return new TClassPropertyEditor(components, prop);
    }
    default:
        return new TPropertyEditor(components, prop);
    }
}

} // namespace

void GetComponentProperties(const std::vector<TPersistent*>& Components, TPropertyKinds Kinds,
                            const TGetPropProc& Proc) {
    if (Components.empty()) return;
    for (PPropInfo prop : GetPropList(Components[0])) {
        if (IsMethodKind(prop) != (Kinds == pkEvents)) continue;
        bool common = true;
        for (size_t i = 1; i < Components.size() && common; ++i)
            if (PPropInfo same = GetPropInfo(Components[i], prop->Name))
                common = same->PropType() == prop->PropType();
            else
                common = false;
        if (!common) continue;
        InterfacePtr<IProperty> editor(CreateEditor(Components, prop));
        Proc(editor.Get());
    }
}

namespace {

class TPropertySelection : public TInterfacedObject, public IPropListBoxSelection {
public:
    TPropertySelection(const std::vector<TPersistent*>& components, TPropertyKinds kinds) {
        GetComponentProperties(components, kinds,
                               [this](IProperty* p) { FProperties.emplace_back(p); });
    }
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IPropListBoxSelection>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    int GetCount() override { return int(FProperties.size()); }
    InterfacePtr<IProperty> GetActiveProperty() override { return FActive; }
    InterfacePtr<IProperty> GetSubProperty(int Index) override {
        return Index >= 0 && Index < int(FSub.size()) ? FSub[size_t(Index)] : nullptr;
    }
    int GetSubPropertyCount() override { return int(FSub.size()); }
    InterfacePtr<IProperty> GetProperty(int Index) override {
        return Index >= 0 && Index < int(FProperties.size()) ? FProperties[size_t(Index)]
                                                             : nullptr;
    }
    void SetActiveProperty(IProperty* Prop) override {
        FActive = Prop;
        FSub.clear();
        if (Prop) Prop->GetProperties([this](IProperty* p) { FSub.emplace_back(p); });
    }

private:
    std::vector<InterfacePtr<IProperty>> FProperties;
    std::vector<InterfacePtr<IProperty>> FSub;
    InterfacePtr<IProperty> FActive;
};

bool gDesktopLocked = false;

} // namespace

InterfacePtr<IPropListBoxSelection> CreatePropertySelection(
    const std::vector<TPersistent*>& Components, TPropertyKinds Kinds) {
    return InterfacePtr<IPropListBoxSelection>(new TPropertySelection(Components, Kinds));
}

UnicodeString GetDisplayValue(IProperty* Prop) {
    if (!Prop) return {};
    try {
        if (!Prop->AllEqual()) return {};
        return Prop->GetValue();
    } catch (const Exception& e) {
        return u"(" + e.GetMessage() + u")";
    }
}

void DefaultPropertyListDrawValue(const UnicodeString& Value, TCanvas* Canvas, const TRect& Rect,
                                  bool) {
    Canvas->TextRect(Rect, Rect.left + 1, Rect.top + 1, Value);
}

bool IsDesktopLocked() {
    return gDesktopLocked;
}

void SetDesktopLocked(bool Locked) {
    gDesktopLocked = Locked;
}
