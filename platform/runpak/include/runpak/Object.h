// The root of the framework's class tree.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

#include <type_traits>

// A class's description: name, parent, factory and published properties
// (TypeInfo.h). TClass is the framework's "class of TObject".
class TMetaClass;
using TClass = const TMetaClass*;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;

    // The name of the object's own class, as written in the source ("TStringList").
    UnicodeString ClassName() const;

    // True when the object is a T or derives from it.
    template <class T> bool InheritsFrom() const { return dynamic_cast<const T*>(this) != nullptr; }

    // The description of TObject itself.
    static TClass StaticClass();
    // The description of the object's class: a described class overrides this
    // to return its own StaticClass(); a class that does not inherits the
    // answer of its nearest described ancestor (it publishes nothing new).
    virtual TClass ClassType() const;

    // Runs before the destructors, while the object is still whole; FreeAndNil
    // and the last Release of a counted object call it.
    virtual void BeforeDestruction() {}
};

// Deletes the object and clears the pointer first, so that code run by the
// destructor sees the pointer already cleared.
template <class T> void FreeAndNil(T*& object) {
    T* doomed = object;
    object = nullptr;
    if (!doomed) return;
    if constexpr (std::is_base_of_v<TObject, T>) doomed->BeforeDestruction();
    delete doomed;
}

#pragma GCC visibility pop
