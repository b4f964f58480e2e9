// The framework's side of COM: its OLE error classes, OleCheck, and the
// bridge between its Variant and the automation VARIANT.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Exceptions.h>
#include <runpak/Interfaces.h>
#include <runpak/Variant.h>

#include <win32/objbase.h>
#include <win32/oleauto.h>

#include <functional>
#include <vector>

// A failed COM call.
class EOleError : public Exception {
public:
    using Exception::Exception;
};

// A failed COM call and its result code.
class EOleSysError : public EOleError {
public:
    EOleSysError(UnicodeString message, HRESULT errorCode)
        : EOleError(std::move(message)), ErrorCode(errorCode) {}
    HRESULT ErrorCode;
};

// A call through IDispatch answered DISP_E_EXCEPTION: the callee's own
// message and source.
class EOleException : public EOleSysError {
public:
    EOleException(UnicodeString message, HRESULT errorCode, UnicodeString source)
        : EOleSysError(std::move(message), errorCode), Source(std::move(source)) {}
    UnicodeString Source;
};

// The text of a result code ("Unspecified error", "Unknown name.", ...), or
// its hexadecimal form for a code without a text of its own.
UnicodeString OleErrorMessage(HRESULT code);
// Raises EOleSysError with the code's text.
[[noreturn]] void OleError(HRESULT code);
// Raises EOleSysError when the code is a failure; gives the code otherwise.
HRESULT OleCheck(HRESULT code);

// A VARIANT that clears itself.
class TOleVariant {
public:
    TOleVariant() { VariantInit(&FValue); }
    TOleVariant(const TOleVariant&) = delete;
    TOleVariant& operator=(const TOleVariant&) = delete;
    ~TOleVariant() { VariantClear(&FValue); }

    VARIANT* Ptr() { return &FValue; }
    VARIANT& Value() { return FValue; }
    const VARIANT& Value() const { return FValue; }
    VARTYPE vt() const { return FValue.vt; }

private:
    VARIANT FValue;
};

// The framework value as a VARIANT, into out (which is cleared first). Strings
// become BSTRs; arrays are not carried (DISP_E_BADVARTYPE, out left empty).
HRESULT VariantToOle(const Variant& value, VARIANT* out);
// The VARIANT as a framework value; by-reference values are read through.
// Objects and error codes have no framework kind: EVariantTypeCastError.
Variant OleToVariant(const VARIANT& value);

// --- COM servers in the framework ------------------------------------------------------------
// A server (TComServerObject) owns class factories (TComObjectFactory), each
// of which makes objects of one class (TComObject) for COM. The class manager
// finds a factory by class id.

class TComObjectFactory;

enum TClassInstancing { ciInternal, ciSingleInstance, ciMultiInstance };
enum TThreadingModel { tmSingle, tmApartment, tmFree, tmBoth, tmNeutral };

// What a server tells about itself, and the count of what it has made.
class TComServerObject : public TObject {
public:
    virtual void CountObject(bool Created) = 0;
    virtual void CountFactory(bool Created) = 0;
    virtual UnicodeString GetHelpFileName() = 0;
    virtual UnicodeString GetServerFileName() = 0;
    virtual UnicodeString GetServerKey() = 0;
    virtual UnicodeString GetServerName() = 0;
    virtual bool GetStartSuspended() = 0;
    // The server's type library; this framework has none to give.
    virtual IUnknown* GetTypeLib() = 0;
    virtual void SetHelpFileName(const UnicodeString& Value) = 0;
};

// An object made by a class factory. Its count starts at 0 and its last
// Release frees it; Initialize runs once the factory has made it (an
// exception there fails the creation).
class TComObject : public TInterfacedObject {
public:
    TComObject() = default;
    ~TComObject() override;

    virtual void Initialize() {}
    TComObjectFactory* GetFactory() const { return FFactory; }

private:
    friend class TComObjectFactory;
    TComObjectFactory* FFactory = nullptr;
};

using TComClass = std::function<TComObject*()>;

// Makes the objects of one class; listed with the class manager from
// construction to destruction, and, once RegisterClassObject has run,
// registered with COM for this process until destroyed.
class TComObjectFactory : public TObject, public IClassFactory {
public:
    TComObjectFactory(TComServerObject* ComServer, TComClass ComClass, const CLSID& ClassID,
                      UnicodeString ClassName, UnicodeString Description,
                      TClassInstancing Instancing, TThreadingModel ThreadingModel = tmSingle);
    ~TComObjectFactory() override;

    void RegisterClassObject();

    const CLSID& GetClassID() const { return FClassID; }
    const UnicodeString& GetClassName() const { return FClassName; }
    const UnicodeString& GetDescription() const { return FDescription; }
    TComServerObject* GetComServer() const { return FComServer; }
    TClassInstancing GetInstancing() const { return FInstancing; }
    TThreadingModel GetThreadingModel() const { return FThreadingModel; }

    // The factory lives until its owner frees it; COM's references do not free it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                             void** ppvObject) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) noexcept override;

private:
    TComServerObject* FComServer;
    TComClass FComClass;
    CLSID FClassID;
    UnicodeString FClassName;
    UnicodeString FDescription;
    TClassInstancing FInstancing;
    TThreadingModel FThreadingModel;
    DWORD FRegister = 0;
};

// Every factory of the process.
class TComClassManager : public TObject {
public:
    TComObjectFactory* GetFactoryFromClassID(const CLSID& ClassID);
    void ForEachFactory(TComServerObject* ComServer,
                        const std::function<void(TComObjectFactory*)>& FactoryProc);

private:
    friend class TComObjectFactory;
    void AddObjectFactory(TComObjectFactory* Factory);
    void RemoveObjectFactory(TComObjectFactory* Factory);
    std::vector<TComObjectFactory*> FFactories;
};

TComClassManager* ComClassManager();

#pragma GCC visibility pop
