// Streaming conveniences: text and stream round trips, the registry of class
// descriptions that forms load at creation, and the finders of components
// that references to other forms name.
#include <runpak/Filer.h>

#include "ObjectModelText.h"

#include <map>
#include <mutex>
#include <utility>

// --- Text and streams -----------------------------------------------------------------

TComponent* ObjectTextToComponent(const UnicodeString& Text, TComponent* Root) {
    TReader reader(Text);
    return reader.ReadRootComponent(Root);
}

UnicodeString ComponentToObjectText(TComponent* Component) {
    TStringStream stream;
    {
        TWriter writer(&stream);
        writer.WriteRootComponent(Component);
    }
    return stream.GetDataString();
}

void LoadComponentFromText(TComponent* Root, const UnicodeString& Text) {
    ObjectTextToComponent(Text, Root);
}

TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance) {
    TReader reader(Stream);
    return reader.ReadRootComponent(Instance);
}

void WriteComponentToStream(TStream* Stream, TComponent* Instance) {
    TWriter writer(Stream);
    writer.WriteRootComponent(Instance);
}

// --- Descriptions by class ----------------------------------------------------------------

namespace {

struct TextRegistry {
    std::mutex Lock;
    std::map<UnicodeString, UnicodeString> ByClass; // upper-cased class name
};

TextRegistry& Texts() {
    static TextRegistry registry;
    return registry;
}

bool FindComponentText(const UnicodeString& className, UnicodeString& text) {
    TextRegistry& registry = Texts();
    std::lock_guard<std::mutex> guard(registry.Lock);
    auto found = registry.ByClass.find(runpak::UpperIdent(className));
    if (found == registry.ByClass.end()) return false;
    text = found->second;
    return true;
}

bool InitComponent(TComponent* instance, TClass cls, TClass rootAncestor) {
    if (!cls || cls == rootAncestor || cls == TComponent::StaticClass()) return false;
    bool found = InitComponent(instance, cls->ClassParent(), rootAncestor);
    UnicodeString text;
    if (FindComponentText(cls->ClassName(), text)) {
        TReader reader(text);
        reader.ReadRootComponent(instance);
        found = true;
    }
    return found;
}

} // namespace

void RegisterComponentText(const UnicodeString& ClassName, const UnicodeString& Text) {
    TextRegistry& registry = Texts();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.ByClass[runpak::UpperIdent(ClassName)] = Text;
}

void UnRegisterComponentText(const UnicodeString& ClassName) {
    TextRegistry& registry = Texts();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.ByClass.erase(runpak::UpperIdent(ClassName));
}

bool HasComponentText(const UnicodeString& ClassName) {
    UnicodeString ignored;
    return FindComponentText(ClassName, ignored);
}

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
    return InitComponent(Instance, Instance->ClassType(), RootAncestor);
}

// --- Global component finders ---------------------------------------------------------------

namespace {

struct FinderRegistry {
    std::mutex Lock;
    int NextCookie = 1;
    std::vector<std::pair<int, TFindGlobalComponent>> Finders;
};

FinderRegistry& Finders() {
    static FinderRegistry registry;
    return registry;
}

} // namespace

int RegisterFindGlobalComponent(TFindGlobalComponent Finder) {
    FinderRegistry& registry = Finders();
    std::lock_guard<std::mutex> guard(registry.Lock);
    int cookie = registry.NextCookie++;
    registry.Finders.emplace_back(cookie, std::move(Finder));
    return cookie;
}

void UnregisterFindGlobalComponent(int Cookie) {
    FinderRegistry& registry = Finders();
    std::lock_guard<std::mutex> guard(registry.Lock);
    std::erase_if(registry.Finders, [Cookie](const auto& entry) { return entry.first == Cookie; });
}

TComponent* FindGlobalComponent(const UnicodeString& Name) {
    std::vector<std::pair<int, TFindGlobalComponent>> finders;
    {
        FinderRegistry& registry = Finders();
        std::lock_guard<std::mutex> guard(registry.Lock);
        finders = registry.Finders;
    }
    // Called outside the lock: a finder may itself stream or register.
    for (const auto& entry : finders)
        if (TComponent* found = entry.second(Name)) return found;
    return nullptr;
}
