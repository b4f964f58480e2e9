#include "benchkit/controls/IDEMUIStringSupport.h"

#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include <memory>
#include <unordered_map>

namespace {

// Created on the first registration, freed at unit shut-down.
std::unique_ptr<std::unordered_map<UnicodeString, UnicodeString>> gRegistry;

UnicodeString KeyOf(const UnicodeString& Section, const UnicodeString& Name) {
    return Section + u"@" + Name;
}

} // namespace

void AddMUIString(const UnicodeString& Section, const UnicodeString& Name,
                  const UnicodeString& Value) {
    if (!gRegistry)
        gRegistry = std::make_unique<std::unordered_map<UnicodeString, UnicodeString>>();
    gRegistry->emplace(KeyOf(Section, Name), Value);
}

UnicodeString LookupMUIString(const UnicodeString& Section, const UnicodeString& Name) {
    if (!gRegistry) return {};
    const auto it = gRegistry->find(KeyOf(Section, Name));
    return it == gRegistry->end() ? UnicodeString() : it->second;
}

void RegisterMUIString(const UnicodeString& Section, const UnicodeString& Name,
                       const UnicodeString& ResString) {
    AddMUIString(Section, Name, ResString);
}

void RegisterMUIStrings(TComponent* DataModule, const UnicodeString& Section) {
    for (int i = 0; i < DataModule->GetComponentCount(); ++i)
        if (auto* item = dynamic_cast<TMUIResourceItem*>(DataModule->GetComponents(i)))
            AddMUIString(Section, item->GetName(), item->GetTranslatedName());
}

TClass TMUIResourceItem::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TMUIResourceItem>(u"TMUIResourceItem", TComponent::StaticClass())
            .Property(u"TranslatedName", UnicodeStringTypeInfo,
                      &TMUIResourceItem::GetTranslatedName, &TMUIResourceItem::SetTranslatedName)
            // The stand-in text for a missing translation is no translation to keep.
            .Stored([](TMUIResourceItem* item) { return !item->FTranslatedName.empty(); }));
    return &meta;
}

UnicodeString TMUIResourceItem::GetTranslatedName() const {
    if (FTranslatedName.empty()) return u"No translation found(" + GetName() + u")";
    return FTranslatedName;
}

void TMUIResourceItem::SetTranslatedName(const UnicodeString& Value) {
    if (Value != FTranslatedName) FTranslatedName = Value;
}

void FinalizeIDEMUIStringSupport() {
    gRegistry.reset();
}

UnicodeString ExpandLocaleString(const UnicodeString& S) {
    UnicodeString result;
    std::u16string_view rest(S);
    while (!rest.empty()) {
        const size_t at = rest.find(u'@');
        if (at == rest.npos) {
            result += rest;
            break;
        }
        // The text before the marker stays, wherever the marker stands.
        result += rest.substr(0, at);
        rest.remove_prefix(at);
        if (rest.size() >= 2 && rest[1] == u'@') {
            result += u'@';
            rest.remove_prefix(2);
            continue;
        }
        if (rest.size() < 2 || rest[1] != u'(') {
            result += u'@';
            rest.remove_prefix(1);
            continue;
        }
        rest.remove_prefix(2);
        UnicodeString section, name;
        const size_t comma = rest.find(u',');
        if (comma != rest.npos) {
            section = Trim(UnicodeString(rest.substr(0, comma)));
            rest.remove_prefix(comma + 1);
            const size_t close = rest.find(u')');
            if (close != rest.npos) {
                name = Trim(UnicodeString(rest.substr(0, close)));
                rest.remove_prefix(close + 1);
            } else {
                rest = {};
            }
        } else {
            rest = {};
        }
        result += LookupMUIString(section, name);
    }
    return result;
}
