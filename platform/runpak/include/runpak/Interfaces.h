// Interfaces in the framework: IInterface, a counted reference holder,
// interface queries (Supports), GUID text and the counted object base.
//
// A class implements interfaces by deriving from them (they derive virtually
// from IUnknown, see <win32/unknwn.h>) and answers for them in QueryInterface:
//
//   class TListener : public TInterfacedObject, public IListener {
//   public:
//       HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
//           if (ProvideInterface<IListener>(this, iid, out)) return S_OK;
//           return TInterfacedObject::QueryInterface(iid, out);
//       }
//       ...
//   };
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Exceptions.h>
#include <runpak/Object.h>
#include <win32/unknwn.h>

#include <atomic>
#include <cstddef>
#include <type_traits>
#include <utility>

using IInterface = IUnknown;

// Raised by InterfaceCast when the source lacks the interface.
class EIntfCastError : public Exception {
public:
    using Exception::Exception;
};

// Holds one counted reference to an interface: AddRef on taking a pointer,
// Release on letting it go, as the framework's interface variables do.
template <class I> class InterfacePtr {
public:
    InterfacePtr() = default;
    InterfacePtr(std::nullptr_t) {}
    InterfacePtr(I* pointer) : FPointer(pointer) {
        if (FPointer) FPointer->AddRef();
    }
    InterfacePtr(const InterfacePtr& other) : InterfacePtr(other.FPointer) {}
    InterfacePtr(InterfacePtr&& other) noexcept
        : FPointer(std::exchange(other.FPointer, nullptr)) {}
    template <class J>
    requires std::is_convertible_v<J*, I*> InterfacePtr(const InterfacePtr<J>& other)
        : InterfacePtr(static_cast<I*>(other.Get())) {}
    ~InterfacePtr() { Reset(); }

    InterfacePtr& operator=(InterfacePtr other) noexcept {
        std::swap(FPointer, other.FPointer);
        return *this;
    }

    I* Get() const { return FPointer; }
    I* operator->() const { return FPointer; }
    I& operator*() const { return *FPointer; }
    explicit operator bool() const { return FPointer != nullptr; }

    void Reset() {
        if (I* old = std::exchange(FPointer, nullptr)) old->Release();
    }
    // Takes over a reference the caller already owns (no AddRef).
    void Attach(I* pointer) {
        Reset();
        FPointer = pointer;
    }
    // Gives up the reference without releasing it.
    I* Detach() { return std::exchange(FPointer, nullptr); }
    // For out parameters that hand over a counted pointer: releases the
    // current reference and returns the slot to fill.
    I** Out() {
        Reset();
        return &FPointer;
    }

    friend bool operator==(const InterfacePtr& a, const InterfacePtr& b) {
        return a.FPointer == b.FPointer;
    }
    friend bool operator==(const InterfacePtr& a, std::nullptr_t) { return a.FPointer == nullptr; }

private:
    I* FPointer = nullptr;
};

// The framework's counted object: the count starts at 0, each AddRef and
// Release is atomic, and the last Release deletes the object.
class TInterfacedObject : public TObject, public virtual IInterface {
public:
    TInterfacedObject() = default;
    TInterfacedObject(const TInterfacedObject&) = delete;
    TInterfacedObject& operator=(const TInterfacedObject&) = delete;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;

    LONG GetRefCount() const { return FRefCount.load(); }

private:
    friend bool SupportsWithoutReference(TObject* instance, REFIID iid);
    std::atomic<LONG> FRefCount{0};
};

// For QueryInterface implementations: when iid names one of Interfaces,
// stores self as that interface in *out, counts the reference and answers true.
template <class... Interfaces, class Self>
bool ProvideInterface(Self* self, REFIID iid, void** out) noexcept {
    if (!out) return false; // the base QueryInterface answers E_POINTER
    bool found =
        ((iid == IIDOf<Interfaces>() ? (*out = static_cast<Interfaces*>(self), true) : false) ||
         ...);
    if (found) self->AddRef();
    return found;
}

// The IUnknown of an object, or null when it implements no interface.
IUnknown* UnknownOf(TObject* instance);

// Interface queries on a null-safe source; *out is cleared on failure.
bool SupportsInterface(IUnknown* instance, REFIID iid, void** out);
// An object source: asked through the object's IUnknown.
bool SupportsObject(TObject* instance, REFIID iid, void** out);
// Only whether the object has the interface. Unlike a query that takes and
// drops a reference, this never frees a counted object that nobody holds yet.
bool SupportsWithoutReference(TObject* instance, REFIID iid);

// Supports(source, iid, out), Supports(source, iid) and Supports(source, ptr)
// for interface pointers and for framework objects alike.
template <class T> bool Supports(T* instance, REFIID iid, void** out) {
    if constexpr (std::is_convertible_v<T*, TObject*>)
        return SupportsObject(instance, iid, out);
    else
        return SupportsInterface(instance, iid, out);
}
template <class T> bool Supports(T* instance, REFIID iid) {
    if constexpr (std::is_convertible_v<T*, TObject*>)
        return SupportsWithoutReference(instance, iid);
    else {
        if (!instance) return false;
        void* found = nullptr;
        if (!SupportsInterface(instance, iid, &found)) return false;
        // Same object, one count: dropping the reference through the source is
        // correct even though found is typed as an unknown interface.
        static_cast<IUnknown*>(instance)->Release();
        return true;
    }
}
template <class I, class T> bool Supports(T* instance, InterfacePtr<I>& out) {
    void* found = nullptr;
    bool ok = Supports(instance, IIDOf<I>(), &found);
    out.Attach(static_cast<I*>(found));
    return ok;
}

// The framework's "as" on interfaces: the interface, or EIntfCastError.
[[noreturn]] void RaiseInterfaceNotSupported();
template <class I, class T> InterfacePtr<I> InterfaceCast(T* instance) {
    InterfacePtr<I> result;
    if (!Supports(instance, result)) RaiseInterfaceNotSupported();
    return result;
}

// GUIDs in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
UnicodeString GUIDToString(const GUID& guid);
// Accepts upper or lower case; anything else raises EConvertError.
GUID StringToGUID(const UnicodeString& text);

#pragma GCC visibility pop
