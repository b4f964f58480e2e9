// The root of COM: IUnknown, interface identifiers and IClassFactory.
//
// An interface is an abstract class that derives *virtually* from IUnknown and
// names its IID in a static member:
//
//   struct IFoo : virtual IUnknown {
//       static constexpr InterfaceID<IFoo> IID_{"{12345678-1234-1234-1234-123456789ABC}"};
//       virtual HRESULT STDMETHODCALLTYPE Bar(int value) noexcept = 0;
//   };
//
// IIDOf<IFoo>() gives the IID. An interface that derives from another one
// declares its own IID_ (IIDOf refuses to compile otherwise).
//
// The virtual base gives an object that implements several interfaces exactly
// one IUnknown: one reference count, one identity, and one implementation of
// QueryInterface/AddRef/Release shared by every interface it implements.
// The price: an interface pointer is not an IUnknown pointer at the same
// address. The void* that QueryInterface fills is a pointer to the interface
// that was asked for; cast it back to that type only (never to IUnknown*), and
// reach IUnknown through a static_cast of the typed pointer.
//
// COM methods never let an exception escape; the methods of IUnknown are
// noexcept so that every implementation is held to it.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>
#include <win32/winerror.h>

#include <type_traits>

#ifndef STDMETHODCALLTYPE
#define STDMETHODCALLTYPE
#endif

namespace win32 {

consteval unsigned HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return unsigned(c - '0');
    if (c >= 'a' && c <= 'f') return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return unsigned(c - 'A' + 10);
    throw "not a hexadecimal digit"; // stops compilation: bad IID text
}

consteval unsigned long long HexValue(const char* text, int digits) {
    unsigned long long value = 0;
    for (int i = 0; i < digits; ++i)
        value = value * 16 + HexDigitValue(text[i]);
    return value;
}

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" while compiling.
consteval GUID ParseGUID(const char (&text)[39]) {
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}')
        throw "IID text must read {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    GUID g{};
    g.Data1 = static_cast<uint32_t>(HexValue(text + 1, 8));
    g.Data2 = static_cast<uint16_t>(HexValue(text + 10, 4));
    g.Data3 = static_cast<uint16_t>(HexValue(text + 15, 4));
    g.Data4[0] = static_cast<uint8_t>(HexValue(text + 20, 2));
    g.Data4[1] = static_cast<uint8_t>(HexValue(text + 22, 2));
    for (int i = 0; i < 6; ++i)
        g.Data4[2 + i] = static_cast<uint8_t>(HexValue(text + 25 + 2 * i, 2));
    return g;
}

} // namespace win32

// The IID of interface I. The type parameter ties the IID to the interface
// that declares it, so that a derived interface cannot silently inherit it.
template <class I> struct InterfaceID {
    consteval explicit InterfaceID(const char (&text)[39]) : Value(win32::ParseGUID(text)) {}
    GUID Value;
};

template <class I> constexpr const IID& IIDOf() {
    static_assert(std::is_same_v<decltype(I::IID_), const InterfaceID<I>>,
                  "the interface must declare its own IID_");
    return I::IID_.Value;
}

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return a == b;
}

struct IUnknown {
    static constexpr InterfaceID<IUnknown> IID_{"{00000000-0000-0000-C000-000000000046}"};

    // Fills *ppvObject with a counted pointer to the interface riid, or with
    // null and E_NOINTERFACE. Asking for IUnknown always gives the same
    // pointer for one object: that is the object's identity.
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) noexcept = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() noexcept = 0;
    virtual ULONG STDMETHODCALLTYPE Release() noexcept = 0;

protected:
    // Objects go through Release, never through delete on an interface.
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : virtual IUnknown {
    static constexpr InterfaceID<IClassFactory> IID_{"{00000001-0000-0000-C000-000000000046}"};

    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                     void** ppvObject) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) noexcept = 0;

protected:
    ~IClassFactory() = default;
};
typedef IClassFactory* LPCLASSFACTORY;

inline constexpr IID IID_IUnknown = IIDOf<IUnknown>();
inline constexpr IID IID_IClassFactory = IIDOf<IClassFactory>();
inline constexpr GUID GUID_NULL = {};

#pragma GCC visibility pop
