// Late-bound access to published members.
#include <runpak/ObjectDispatch.h>

#include <runpak/ComObj.h>
#include <runpak/Component.h>
#include <runpak/AnsiString.h>

#include <cmath>
#include <exception>

namespace {

bool IsBoolean(PTypeInfo type) {
    return type == BooleanTypeInfo();
}

// Fills the caller's exception record for an exception the member raised.
void DescribeException(EXCEPINFO* info, const UnicodeString& source, const UnicodeString& message,
                       HRESULT code) {
    if (!info) return;
    *info = EXCEPINFO{};
    info->bstrSource = SysAllocStringLen(source.data(), UINT(source.size()));
    info->bstrDescription = SysAllocStringLen(message.data(), UINT(message.size()));
    info->scode = code;
}

} // namespace

TObjectDispatch::TObjectDispatch(TObject* Instance, bool Owned)
    : FInstance(Instance), FOwned(Owned) {}

TObjectDispatch::~TObjectDispatch() {
    if (FOwned) FreeAndNil(FInstance);
}

HRESULT TObjectDispatch::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IDispatch>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT TObjectDispatch::GetTypeInfoCount(UINT* pctinfo) noexcept {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT TObjectDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

IDispatch* TObjectDispatch::GetObjectDispatch(TObject* Obj) {
    auto* dispatch = new TObjectDispatch(Obj, false);
    dispatch->AddRef();
    return dispatch;
}

PMethodInfo TObjectDispatch::GetMethodInfo(const UnicodeString& Name, TObject*& Instance) {
    if (!Instance) return nullptr;
    PMethodInfo method = ::GetMethodInfo(Instance->ClassType(), Name);
    return method && method->IsCallable() ? method : nullptr;
}

PPropInfo TObjectDispatch::GetPropInfo(const UnicodeString& Name, TObject*& Instance,
                                       int& CompIndex) {
    if (!Instance) return nullptr;
    if (PPropInfo prop = ::GetPropInfo(Instance, Name)) return prop;
    if (auto* component = dynamic_cast<TComponent*>(Instance))
        if (TComponent* owned = component->FindComponent(Name)) CompIndex = owned->GetComponentIndex();
    return nullptr;
}

HRESULT TObjectDispatch::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                       DISPID* rgDispId) noexcept {
    if (!rgszNames || !rgDispId) return E_POINTER;
    if (cNames == 0) return E_INVALIDARG;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    try {
        const UnicodeString name = rgszNames[0] ? rgszNames[0] : u"";
        TMember member;
        member.Instance = FInstance;
        member.Method = GetMethodInfo(name, member.Instance);
        if (!member.Method) {
            member.Instance = FInstance;
            member.Prop = GetPropInfo(name, member.Instance, member.CompIndex);
        }
        if (!member.Instance || (!member.Method && !member.Prop && member.CompIndex < 0))
            return DISP_E_UNKNOWNNAME;
        // One id per distinct member, so that repeated lookups stay small.
        DISPID id = 0;
        for (size_t k = 0; k < FMembers.size() && id == 0; ++k) {
            const TMember& known = FMembers[k];
            if (known.Method == member.Method && known.Prop == member.Prop &&
                known.Instance == member.Instance && known.CompIndex == member.CompIndex)
                id = DISPID(k + 1);
        }
        if (id == 0) {
            FMembers.push_back(member);
            id = DISPID(FMembers.size());
        }
        rgDispId[0] = id;
        // Parameters are positional only: their names are not known.
        return cNames > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return DISP_E_UNKNOWNNAME;
    }
}

HRESULT TObjectDispatch::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags,
                                DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept {
    if (dispIdMember <= 0 || size_t(dispIdMember) > FMembers.size()) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{};
    const DISPPARAMS& params = pDispParams ? *pDispParams : none;
    if (params.cArgs > 0 && !params.rgvarg) return E_INVALIDARG;
    // Hold the object while the member runs: a member may drop the client's
    // last reference to it.
    InterfacePtr<IDispatch> self(this);
    const TMember member = FMembers[size_t(dispIdMember) - 1];
    try {
        return InvokeMember(member, wFlags, params, pVarResult, puArgErr);
    } catch (const EOleSysError& e) {
        DescribeException(pExcepInfo, e.ClassName(), e.GetMessage(), e.ErrorCode);
    } catch (const Exception& e) {
        DescribeException(pExcepInfo, e.ClassName(), e.GetMessage(), E_FAIL);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        DescribeException(pExcepInfo, u"", UTF8ToString(AnsiString(std::string(e.what()), 65001)), E_FAIL);
    } catch (...) {
        DescribeException(pExcepInfo, u"", u"", E_FAIL);
    }
    return DISP_E_EXCEPTION;
}

HRESULT TObjectDispatch::InvokeMember(const TMember& member, WORD flags, const DISPPARAMS& params,
                                      VARIANT* result, UINT* argErr) {
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (params.cNamedArgs > 0 &&
        !(put && params.cNamedArgs == 1 && params.rgdispidNamedArgs &&
          params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT))
        return DISP_E_NONAMEDARGS;
    TOleVariant value;

    if (member.Method) {
        if (put || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        const PMethodInfo method = member.Method;
        if (params.cArgs != method->ParamTypes.size()) return DISP_E_BADPARAMCOUNT;
        std::vector<TPropValue> args(params.cArgs);
        for (UINT i = 0; i < params.cArgs; ++i) {
            // The arguments come last first.
            const UINT position = params.cArgs - 1 - i;
            const HRESULT hr = VariantToValue(params.rgvarg[position], method->ParamTypes[i](), args[i]);
            if (FAILED(hr)) {
                if (argErr) *argErr = position;
                return hr;
            }
        }
        const TPropValue answer = method->Call(member.Instance, args);
        if (!result || !method->ResultType) return S_OK;
        return ValueToVariant(answer, method->ResultType(), result);
    }

    if (member.CompIndex >= 0) {
        if (put || params.cArgs > 0) return DISP_E_MEMBERNOTFOUND;
        auto* owner = dynamic_cast<TComponent*>(member.Instance);
        if (!owner || member.CompIndex >= owner->GetComponentCount()) return DISP_E_MEMBERNOTFOUND;
        if (!result) return S_OK;
        return ValueToVariant(static_cast<TObject*>(owner->GetComponents(member.CompIndex)),
                              TObject::StaticClass()->ClassInfo(), result);
    }

    const PPropInfo prop = member.Prop;
    const PTypeInfo type = prop->PropType();
    if (type->Kind == tkMethod) return DISP_E_MEMBERNOTFOUND; // events are not reachable
    if (put) {
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        if (prop->IsReadOnly()) return DISP_E_MEMBERNOTFOUND;
        TPropValue newValue;
        const HRESULT hr = VariantToValue(params.rgvarg[0], type, newValue);
        if (FAILED(hr)) {
            if (argErr) *argErr = 0;
            return hr;
        }
        SetPropValue(member.Instance, prop, newValue);
        return S_OK;
    }
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    return ValueToVariant(GetPropValue(member.Instance, prop), type, result);
}

HRESULT TObjectDispatch::ValueToVariant(const TPropValue& value, PTypeInfo type, VARIANT* out) {
    TOleVariant v;
    VARIANT& r = v.Value();
    switch (type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkSet:
        if (type == CardinalTypeInfo()) {
            r.vt = VT_UI4;
            r.ulVal = ULONG(runpak::OrdinalOf(value));
        } else {
            r.vt = VT_I4;
            r.lVal = LONG(runpak::OrdinalOf(value));
        }
        break;
    case tkInt64:
        r.vt = VT_I8;
        r.llVal = runpak::OrdinalOf(value);
        break;
    case tkEnumeration:
        if (IsBoolean(type)) {
            r.vt = VT_BOOL;
            r.boolVal = runpak::OrdinalOf(value) ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            const UnicodeString name = GetEnumName(type, runpak::OrdinalOf(value));
            r.bstrVal = SysAllocStringLen(name.data(), UINT(name.size()));
            r.vt = VT_BSTR;
        }
        break;
    case tkFloat:
        r.vt = VT_R8;
        r.dblVal = double(runpak::FloatOf(value));
        break;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
        const UnicodeString text = runpak::StringOf(value);
        r.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
        if (!r.bstrVal) return E_OUTOFMEMORY;
        r.vt = VT_BSTR;
        break;
    }
    case tkClass: {
        TObject* object = runpak::ObjectOf(value);
        r.vt = VT_DISPATCH;
        r.pdispVal = object ? GetObjectDispatch(object) : nullptr;
        break;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
    VariantClear(out);
    *out = r;
    VariantInit(&r); // handed over
    return S_OK;
}

HRESULT TObjectDispatch::VariantToValue(const VARIANT& in, PTypeInfo type, TPropValue& out) {
    TOleVariant converted;
    auto as = [&](VARTYPE vt) { return VariantChangeType(converted.Ptr(), &in, 0, vt); };
    HRESULT hr = S_OK;
    switch (type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkSet:
        if (type == CardinalTypeInfo()) {
            if (FAILED(hr = as(VT_UI4))) return hr;
            out = int64_t(converted.Value().ulVal);
        } else {
            if (FAILED(hr = as(VT_I4))) return hr;
            out = int64_t(converted.Value().lVal);
        }
        return S_OK;
    case tkInt64:
        if (FAILED(hr = as(VT_I8))) return hr;
        out = int64_t(converted.Value().llVal);
        return S_OK;
    case tkEnumeration: {
        if (IsBoolean(type)) {
            if (FAILED(hr = as(VT_BOOL))) return hr;
            out = int64_t(converted.Value().boolVal != VARIANT_FALSE ? 1 : 0);
            return S_OK;
        }
        // By value name, or by number within the type's range.
        if (SUCCEEDED(as(VT_BSTR))) {
            const BSTR text = converted.Value().bstrVal;
            const int byName = GetEnumValue(type, UnicodeString(text ? text : u"", SysStringLen(text)));
            if (byName >= 0) return out = int64_t(byName), S_OK;
        }
        if (FAILED(hr = as(VT_I4))) return DISP_E_TYPEMISMATCH;
        const LONG number = converted.Value().lVal;
        if (number < 0 || size_t(number) >= type->EnumNames.size()) return DISP_E_OVERFLOW;
        out = int64_t(number);
        return S_OK;
    }
    case tkFloat:
        if (FAILED(hr = as(VT_R8))) return hr;
        out = static_cast<long double>(converted.Value().dblVal);
        return S_OK;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
        if (FAILED(hr = as(VT_BSTR))) return hr;
        const BSTR text = converted.Value().bstrVal;
        out = UnicodeString(text ? text : u"", SysStringLen(text));
        return S_OK;
    }
    case tkClass: {
        if (FAILED(hr = VariantCopyInd(converted.Ptr(), &in))) return hr;
        const VARIANT& v = converted.Value();
        if (v.vt == VT_EMPTY || v.vt == VT_NULL ||
            ((v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && !v.punkVal))
            return out = static_cast<TObject*>(nullptr), S_OK;
        if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
        IUnknown* unknown = v.vt == VT_DISPATCH ? static_cast<IUnknown*>(v.pdispVal) : v.punkVal;
        auto* dispatch = dynamic_cast<TObjectDispatch*>(unknown);
        if (!dispatch) return DISP_E_TYPEMISMATCH; // not an object of this process's framework
        TObject* object = dispatch->GetArgumentObject();
        if (object && type->ClassType && !object->ClassType()->InheritsFrom(type->ClassType))
            return DISP_E_TYPEMISMATCH;
        out = object;
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}
