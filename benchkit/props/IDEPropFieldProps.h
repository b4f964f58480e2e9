// Property-set fields as properties of the workbench's inspector: the host
// makes one of these per field and shows it among its property editors.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDEPropSet.h"

#include <designpak/PropertyEditors.h>
#include <win32/oaidl.h>

// Presents one field (not owned) through the host's property interfaces.
class TPropFieldProperty : public TInterfacedObject,
                           public IWidePropertyDescription,
                           public IProperty80,
                           public ISupportErrorInfo,
                           public IDispatch {
public:
    explicit TPropFieldProperty(TPropField* PropField) : FPropField(PropField) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;

    // IWidePropertyDescription
    UnicodeString GetDescription() override;
    // IProperty
    void Activate() override {}
    bool AllEqual() override { return true; }
    bool AutoFill() override { return true; }
    void Edit() override {}
    TPropertyAttributes GetAttributes() override { return 0; }
    int GetEditLimit() override { return -1; }
    bool GetEditValue(UnicodeString& Value) override;
    UnicodeString GetName() override;
    void GetProperties(const TGetPropProc&) override {}
    PPropInfo GetPropInfo() override { return nullptr; }
    PTypeInfo GetPropType() override { return nullptr; }
    UnicodeString GetValue() override;
    void GetValues(const TGetStrProc&) override {}
    void Revert() override {}
    void SetValue(const UnicodeString& Value) override;
    bool ValueAvailable() override { return true; }
    // IProperty70, IProperty80
    bool GetIsDefault() override { return false; }
    void Edit(IPropertyHost*, bool) override {}
    bool HasInstance(TPersistent*) { return false; }
    // ISupportErrorInfo: every failure carries its message.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) noexcept override {
        return S_OK;
    }
    // IDispatch: no late-bound calls.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) noexcept override {
        return E_NOTIMPL;
    }

    TPropField* GetPropField() const { return FPropField; }

protected:
    TPropField* FPropField;
};

// A Boolean field as a choice between "No" and "Yes".
class TBooleanPropFieldProperty : public TPropFieldProperty {
public:
    using TPropFieldProperty::TPropFieldProperty;
    TPropertyAttributes GetAttributes() override { return paValueList; }
    UnicodeString GetValue() override;
    bool GetEditValue(UnicodeString& Value) override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const UnicodeString& Value) override;
};

// An enumerated field as a choice among the names of its value list: the name
// shown is that of the stored value, and a chosen name stores its value.
class TEnumPropFieldProperty : public TPropFieldProperty {
public:
    using TPropFieldProperty::TPropFieldProperty;
    TPropertyAttributes GetAttributes() override { return paValueList | paAutoUpdate; }
    UnicodeString GetValue() override;
    bool GetEditValue(UnicodeString& Value) override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const UnicodeString& Value) override;
};

// The texts of a Boolean field property.
extern const char16_t* const SPropFieldYes;
extern const char16_t* const SPropFieldNo;

#pragma GCC visibility pop
