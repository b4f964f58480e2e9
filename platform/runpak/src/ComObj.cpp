// OLE errors and the Variant bridge.
#include <runpak/ComObj.h>

#include <runpak/Format.h>

#include <cmath>

UnicodeString OleErrorMessage(HRESULT code) {
    switch (code) {
    case E_UNEXPECTED: return u"Catastrophic failure";
    case E_NOTIMPL: return u"Not implemented";
    case E_OUTOFMEMORY: return u"Not enough memory resources are available to complete this operation";
    case E_INVALIDARG: return u"The parameter is incorrect";
    case E_NOINTERFACE: return u"No such interface supported";
    case E_POINTER: return u"Invalid pointer";
    case E_ABORT: return u"Operation aborted";
    case E_FAIL: return u"Unspecified error";
    case E_ACCESSDENIED: return u"General access denied error";
    case E_PENDING: return u"The data necessary to complete this operation is not yet available";
    case CLASS_E_CLASSNOTAVAILABLE: return u"ClassFactory cannot supply requested class";
    case REGDB_E_CLASSNOTREG: return u"Class not registered";
    case CO_E_CLASSSTRING: return u"Invalid class string";
    case DISP_E_UNKNOWNINTERFACE: return u"Unknown interface.";
    case DISP_E_MEMBERNOTFOUND: return u"Member not found.";
    case DISP_E_PARAMNOTFOUND: return u"Parameter not found.";
    case DISP_E_TYPEMISMATCH: return u"Type mismatch.";
    case DISP_E_UNKNOWNNAME: return u"Unknown name.";
    case DISP_E_NONAMEDARGS: return u"No named arguments.";
    case DISP_E_BADVARTYPE: return u"Bad variable type.";
    case DISP_E_EXCEPTION: return u"Exception occurred.";
    case DISP_E_OVERFLOW: return u"Out of present range.";
    case DISP_E_BADINDEX: return u"Invalid index.";
    case DISP_E_BADPARAMCOUNT: return u"Invalid number of parameters.";
    case DISP_E_PARAMNOTOPTIONAL: return u"Parameter not optional.";
    case INET_E_DEFAULT_ACTION: return u"Use the default protocol handler";
    case INET_E_INVALID_URL: return u"The URL is invalid";
    case INET_E_RESOURCE_NOT_FOUND: return u"The server or proxy was not found";
    case INET_E_UNKNOWN_PROTOCOL: return u"The protocol is not known";
    default: break;
    }
    return Format(u"OLE error %.8X", int(code));
}

void OleError(HRESULT code) {
    throw EOleSysError(OleErrorMessage(code), code);
}

HRESULT OleCheck(HRESULT code) {
    if (FAILED(code)) OleError(code);
    return code;
}

HRESULT VariantToOle(const Variant& value, VARIANT* out) {
    if (!out) return E_POINTER;
    HRESULT hr = VariantClear(out);
    if (FAILED(hr)) return hr;
    VARIANT& v = *out;
    switch (value.VarType()) {
    case varEmpty: return S_OK;
    case varNull: v.vt = VT_NULL; return S_OK;
    case varSmallint: v.vt = VT_I2; v.iVal = SHORT(value.AsInteger()); return S_OK;
    case varInteger: v.vt = VT_I4; v.lVal = value.AsInteger(); return S_OK;
    case varShortInt: v.vt = VT_I1; v.cVal = CHAR(value.AsInteger()); return S_OK;
    case varByte: v.vt = VT_UI1; v.bVal = BYTE(value.AsInteger()); return S_OK;
    case varWord: v.vt = VT_UI2; v.uiVal = USHORT(value.AsInteger()); return S_OK;
    case varLongWord: v.vt = VT_UI4; v.ulVal = ULONG(value.AsInt64()); return S_OK;
    case varInt64: v.vt = VT_I8; v.llVal = value.AsInt64(); return S_OK;
    case varUInt64: v.vt = VT_UI8; v.ullVal = value.AsUInt64(); return S_OK;
    case varSingle: v.vt = VT_R4; v.fltVal = float(value.AsDouble()); return S_OK;
    case varDouble: v.vt = VT_R8; v.dblVal = value.AsDouble(); return S_OK;
    case varDate: v.vt = VT_DATE; v.date = value.AsDateTime().Val(); return S_OK;
    case varCurrency:
        v.vt = VT_CY;
        v.cyVal.int64 = int64_t(std::llround(value.AsCurrency() * 10000.0));
        return S_OK;
    case varBoolean: v.vt = VT_BOOL; v.boolVal = value.AsBoolean() ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    case varOleStr:
    case varString:
    case varUString: {
        const UnicodeString text = value.AsString();
        v.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
        if (!v.bstrVal) return E_OUTOFMEMORY;
        v.vt = VT_BSTR;
        return S_OK;
    }
    default: return DISP_E_BADVARTYPE;
    }
}

namespace {

[[noreturn]] void NoFrameworkKind(VARTYPE vt) {
    throw EVariantTypeCastError(Format(u"Variant of type %d has no framework kind", int(vt)));
}

} // namespace

Variant OleToVariant(const VARIANT& source) {
    TOleVariant direct;
    const VARIANT* value = &source;
    if (source.vt & VT_BYREF) {
        if (FAILED(VariantCopyInd(direct.Ptr(), &source))) NoFrameworkKind(source.vt);
        value = &direct.Value();
    }
    const VARIANT& v = *value;
    switch (v.vt) {
    case VT_EMPTY: return Variant();
    case VT_NULL: return Null();
    case VT_I2: return Variant(short(v.iVal));
    case VT_I4: return Variant(int(v.lVal));
    case VT_INT: return Variant(int(v.intVal));
    case VT_I1: return Variant((signed char)v.cVal);
    case VT_UI1: return Variant((unsigned char)v.bVal);
    case VT_UI2: return Variant((unsigned short)v.uiVal);
    case VT_UI4: return Variant(unsigned(v.ulVal));
    case VT_UINT: return Variant(unsigned(v.uintVal));
    case VT_I8: return Variant((long long)v.llVal);
    case VT_UI8: return Variant((unsigned long long)v.ullVal);
    case VT_R4: return Variant(v.fltVal);
    case VT_R8: return Variant(v.dblVal);
    case VT_DATE: return Variant(TDateTime(v.date));
    case VT_CY: return Variant::FromCurrency(double(v.cyVal.int64) / 10000.0);
    case VT_BOOL: return Variant(v.boolVal != VARIANT_FALSE);
    case VT_BSTR:
        return Variant::FromOleStr(UnicodeString(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)));
    default: NoFrameworkKind(v.vt);
    }
}
