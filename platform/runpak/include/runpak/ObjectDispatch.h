// TObjectDispatch: late-bound access (IDispatch) to an object's published
// members. A client asks for names and calls them by the ids it got:
//
//   InterfacePtr<IDispatch> d(new TObjectDispatch(form, false));
//   // "Caption" -> property get / put, "FindComponent" -> method call,
//   // an owned component's name -> that component, as a dispatch of its own
//
// Names are looked up without regard to case: published callable methods
// first, then published properties, then (for components) owned components
// by name. Values travel as VARIANTs: numbers, Booleans and strings; an
// enumeration goes out as its value name and comes in as a name or a number;
// an object goes out as a new dispatch object over it (GetObjectDispatch) and
// comes in as a dispatch object made here.
//
// Failures: an unknown name gives DISP_E_UNKNOWNNAME; a call of the wrong
// kind (writing a read-only property, calling a property with arguments)
// DISP_E_MEMBERNOTFOUND; the wrong number of arguments DISP_E_BADPARAMCOUNT;
// named arguments other than a property's value DISP_E_NONAMEDARGS; an
// argument that does not convert DISP_E_TYPEMISMATCH with its position in
// puArgErr; an exception raised by the member DISP_E_EXCEPTION with its
// message in the EXCEPINFO.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <runpak/TypeInfo.h>

#include <win32/oleauto.h>

#include <vector>

class TObjectDispatch : public TInterfacedObject, public IDispatch {
public:
    // Owned: the instance is freed with the dispatch object.
    explicit TObjectDispatch(TObject* Instance, bool Owned = true);
    ~TObjectDispatch() override;

    TObject* GetInstance() const { return FInstance; }
    // The object a client means when it passes this dispatch as an argument.
    virtual TObject* GetArgumentObject() const { return FInstance; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override;

protected:
    // A new dispatch object for an object result (counted once for the
    // caller); null when the object cannot be reached. The base gives a
    // dispatch that does not own the object.
    virtual IDispatch* GetObjectDispatch(TObject* Obj);
    // A callable published method of that name, and the object it runs on
    // (Instance starts as the dispatch's instance).
    virtual PMethodInfo GetMethodInfo(const UnicodeString& Name, TObject*& Instance);
    // A published property of that name, and the object it belongs to. A
    // result of null with CompIndex set (0 or more) names the owned component
    // at that index of Instance; CompIndex starts at -1.
    virtual PPropInfo GetPropInfo(const UnicodeString& Name, TObject*& Instance, int& CompIndex);

private:
    struct TMember {
        PMethodInfo Method = nullptr;
        PPropInfo Prop = nullptr;
        TObject* Instance = nullptr;
        int CompIndex = -1;
    };

    HRESULT InvokeMember(const TMember& member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result, UINT* argErr);
    HRESULT ValueToVariant(const TPropValue& value, PTypeInfo type, VARIANT* out);
    HRESULT VariantToValue(const VARIANT& in, PTypeInfo type, TPropValue& out);

    TObject* FInstance;
    bool FOwned;
    std::vector<TMember> FMembers; // DISPID n is FMembers[n - 1]
};

#pragma GCC visibility pop
