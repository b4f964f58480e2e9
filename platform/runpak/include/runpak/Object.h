// The root of the framework's class tree.
#pragma once

#include <runpak/UString.h>

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
};

// Deletes the object and clears the pointer first, so that code run by the
// destructor sees the pointer already cleared.
template <class T> void FreeAndNil(T*& object) {
    T* doomed = object;
    object = nullptr;
    delete doomed;
}
