// BSTR strings and VARIANT copies and conversions.
#include <win32/oleauto.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

// --- BSTR ---------------------------------------------------------------------------------
// The block: 4 bytes of padding (keeps the text 8-byte aligned), the 32-bit
// byte length, the text, a terminating null.
namespace {

constexpr size_t kPrefix = 8;

BSTR AllocBytes(const void* data, UINT bytes) {
    if (bytes > std::numeric_limits<uint32_t>::max() - kPrefix - sizeof(OLECHAR) * 2) return nullptr;
    // Room for a whole trailing null character even after an odd byte count.
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR) * 2));
    if (!block) return nullptr;
    const uint32_t length = bytes;
    std::memset(block, 0, kPrefix);
    std::memcpy(block + kPrefix - sizeof(uint32_t), &length, sizeof length);
    if (data)
        std::memcpy(block + kPrefix, data, bytes);
    else
        std::memset(block + kPrefix, 0, bytes);
    std::memset(block + kPrefix + bytes, 0, sizeof(OLECHAR) * 2);
    return reinterpret_cast<BSTR>(block + kPrefix);
}

size_t TextLength(const OLECHAR* text) {
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}

} // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    return SysAllocStringLen(psz, UINT(TextLength(psz)));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > std::numeric_limits<uint32_t>::max() / sizeof(OLECHAR)) return nullptr;
    return AllocBytes(strIn, UINT(ui * sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
    return AllocBytes(psz, len);
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    if (!pbstr) return FALSE;
    return SysReAllocStringLen(pbstr, psz, psz ? UINT(TextLength(psz)) : 0);
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
    if (!pbstr) return FALSE;
    // The new text may be part of the old string: copy before freeing.
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh) return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

void SysFreeString(BSTR bstrString) {
    if (!bstrString) return;
    std::free(reinterpret_cast<unsigned char*>(bstrString) - kPrefix);
}

UINT SysStringByteLen(BSTR bstr) {
    if (!bstr) return 0;
    uint32_t length;
    std::memcpy(&length, reinterpret_cast<unsigned char*>(bstr) - sizeof length, sizeof length);
    return length;
}

UINT SysStringLen(BSTR pbstr) {
    return SysStringByteLen(pbstr) / sizeof(OLECHAR);
}

// --- VARIANT ------------------------------------------------------------------------------
namespace {

bool IsKnownScalar(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool IsKnown(VARTYPE vt) {
    if (vt & VT_ARRAY) return false;
    if (vt & VT_BYREF) {
        const VARTYPE base = vt & VT_TYPEMASK;
        return base == VT_VARIANT || (base != VT_EMPTY && base != VT_NULL && IsKnownScalar(base));
    }
    return IsKnownScalar(vt);
}

// The value a by-reference variant points at, as a variant that borrows it
// (no copy of strings, no extra reference).
VARIANT Deref(const VARIANT& v) {
    VARIANT out;
    VariantInit(&out);
    if (!(v.vt & VT_BYREF)) return v;
    const VARTYPE base = v.vt & VT_TYPEMASK;
    if (!v.byref) return out;
    if (base == VT_VARIANT) return Deref(*v.pvarVal);
    out.vt = base;
    switch (base) {
    case VT_I1: case VT_UI1: std::memcpy(&out.bVal, v.byref, 1); break;
    case VT_I2: case VT_UI2: case VT_BOOL: std::memcpy(&out.iVal, v.byref, 2); break;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR:
        std::memcpy(&out.lVal, v.byref, 4);
        break;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY:
        std::memcpy(&out.llVal, v.byref, 8);
        break;
    case VT_BSTR: out.bstrVal = *v.pbstrVal; break;
    case VT_DISPATCH: out.pdispVal = *v.ppdispVal; break;
    case VT_UNKNOWN: out.punkVal = *v.ppunkVal; break;
    default: out.vt = VT_EMPTY; break;
    }
    return out;
}

// A plain value between conversions.
struct Scalar {
    enum Kind { Int, UInt, Real, Bool, Text } kind = Int;
    int64_t i = 0;
    uint64_t u = 0;
    double d = 0;
    bool b = false;
    std::u16string s;
    bool currency = false; // a Real that came from money (exact to four decimals)
};

bool ParseBool(std::u16string_view text, bool& out) {
    auto equalsIgnoringCase = [&](std::u16string_view word) {
        if (text.size() != word.size()) return false;
        for (size_t k = 0; k < word.size(); ++k) {
            char16_t c = text[k];
            if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
            if (c != word[k]) return false;
        }
        return true;
    };
    if (equalsIgnoringCase(u"true")) return out = true, true;
    if (equalsIgnoringCase(u"false")) return out = false, true;
    return false;
}

// A number in the text (leading and trailing blanks allowed, '.' as the
// decimal separator); false when it is none.
bool ParseNumber(const std::u16string& text, Scalar& out) {
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F) return false;
        ascii.push_back(char(c));
    }
    const size_t first = ascii.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const size_t last = ascii.find_last_not_of(" \t");
    ascii = ascii.substr(first, last - first + 1);
    if (ascii.find_first_not_of("+-0123456789.eE") != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    if (ascii.find_first_of(".eE") == std::string::npos) {
        const long long value = std::strtoll(ascii.c_str(), &end, 10);
        if (end && *end == 0 && errno == 0) {
            out.kind = Scalar::Int;
            out.i = value;
            return true;
        }
        if (errno == ERANGE && ascii[0] != '-') {
            errno = 0;
            const unsigned long long big = std::strtoull(ascii.c_str(), &end, 10);
            if (end && *end == 0 && errno == 0) {
                out.kind = Scalar::UInt;
                out.u = big;
                return true;
            }
        }
    }
    errno = 0;
    const double value = std::strtod(ascii.c_str(), &end);
    if (!end || *end != 0 || end == ascii.c_str()) return false;
    if (!std::isfinite(value)) return false;
    out.kind = Scalar::Real;
    out.d = value;
    return true;
}

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string RealText(double value, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
    return Widen(buffer);
}

// Reads a known, non-empty, non-null scalar.
HRESULT ReadScalar(const VARIANT& v, Scalar& out) {
    switch (v.vt) {
    case VT_EMPTY: out.kind = Scalar::Int; out.i = 0; return S_OK;
    case VT_I1: out.i = v.cVal; return S_OK;
    case VT_UI1: out.i = v.bVal; return S_OK;
    case VT_I2: out.i = v.iVal; return S_OK;
    case VT_UI2: out.i = v.uiVal; return S_OK;
    case VT_I4: out.i = v.lVal; return S_OK;
    case VT_INT: out.i = v.intVal; return S_OK;
    case VT_UI4: out.i = v.ulVal; return S_OK;
    case VT_UINT: out.i = v.uintVal; return S_OK;
    case VT_I8: out.i = v.llVal; return S_OK;
    case VT_UI8: out.kind = Scalar::UInt; out.u = v.ullVal; return S_OK;
    case VT_R4: out.kind = Scalar::Real; out.d = v.fltVal; return S_OK;
    case VT_R8: case VT_DATE: out.kind = Scalar::Real; out.d = v.dblVal; return S_OK;
    case VT_CY:
        out.kind = Scalar::Real;
        out.d = double(v.cyVal.int64) / 10000.0;
        out.currency = true;
        out.i = v.cyVal.int64;
        return S_OK;
    case VT_BOOL: out.kind = Scalar::Bool; out.b = v.boolVal != VARIANT_FALSE; return S_OK;
    case VT_BSTR:
        out.kind = Scalar::Text;
        out.s.assign(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// Half-way values go to the even neighbour, as automation rounds.
double RoundEven(double value) {
    return std::nearbyint(value);
}

// The scalar as a whole number within [low, high].
HRESULT ToInteger(const Scalar& s, long double low, long double high, int64_t& out,
                  uint64_t* unsignedOut = nullptr) {
    switch (s.kind) {
    case Scalar::Int:
        if (static_cast<long double>(s.i) < low || static_cast<long double>(s.i) > high) return DISP_E_OVERFLOW;
        out = s.i;
        if (unsignedOut) *unsignedOut = uint64_t(s.i);
        return S_OK;
    case Scalar::UInt:
        if (static_cast<long double>(s.u) > high) return DISP_E_OVERFLOW;
        out = int64_t(s.u);
        if (unsignedOut) *unsignedOut = s.u;
        return S_OK;
    case Scalar::Bool:
        if (low > -1 && s.b) return DISP_E_OVERFLOW; // True is -1
        out = s.b ? -1 : 0;
        if (unsignedOut) *unsignedOut = uint64_t(out);
        return S_OK;
    case Scalar::Real: {
        const long double rounded = RoundEven(s.d);
        if (rounded < low || rounded > high) return DISP_E_OVERFLOW;
        if (unsignedOut && rounded > static_cast<long double>(std::numeric_limits<int64_t>::max()))
            *unsignedOut = uint64_t(rounded);
        else {
            out = int64_t(rounded);
            if (unsignedOut) *unsignedOut = uint64_t(out);
        }
        return S_OK;
    }
    case Scalar::Text: {
        Scalar number;
        bool flag;
        if (ParseNumber(s.s, number)) return ToInteger(number, low, high, out, unsignedOut);
        if (ParseBool(s.s, flag)) {
            number.kind = Scalar::Bool;
            number.b = flag;
            return ToInteger(number, low, high, out, unsignedOut);
        }
        return DISP_E_TYPEMISMATCH;
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ToReal(const Scalar& s, double& out) {
    switch (s.kind) {
    case Scalar::Int: out = double(s.i); return S_OK;
    case Scalar::UInt: out = double(s.u); return S_OK;
    case Scalar::Real: out = s.d; return S_OK;
    case Scalar::Bool: out = s.b ? -1.0 : 0.0; return S_OK;
    case Scalar::Text: {
        Scalar number;
        bool flag;
        if (ParseNumber(s.s, number)) return ToReal(number, out);
        if (ParseBool(s.s, flag)) return out = flag ? -1.0 : 0.0, S_OK;
        return DISP_E_TYPEMISMATCH;
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ToText(const Scalar& s, VARTYPE from, USHORT flags, std::u16string& out) {
    switch (s.kind) {
    case Scalar::Int: out = Widen(std::to_string(s.i)); return S_OK;
    case Scalar::UInt: out = Widen(std::to_string(s.u)); return S_OK;
    case Scalar::Bool:
        if (flags & VARIANT_ALPHABOOL)
            out = s.b ? u"True" : u"False";
        else
            out = s.b ? u"-1" : u"0";
        return S_OK;
    case Scalar::Text: out = s.s; return S_OK;
    case Scalar::Real:
        if (from == VT_DATE) return DISP_E_TYPEMISMATCH; // dates have no text form here
        out = RealText(s.d, from == VT_R4 ? 7 : 15);
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

// Converts a dereferenced, known source into a fresh result (not yet stored).
HRESULT Convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& result) {
    VariantInit(&result);
    if (vt == VT_EMPTY) return S_OK;
    if (src.vt == VT_NULL) {
        if (vt != VT_NULL) return DISP_E_TYPEMISMATCH;
        result.vt = VT_NULL;
        return S_OK;
    }
    if (vt == VT_NULL) return DISP_E_TYPEMISMATCH;
    if (vt == VT_VARIANT) return VariantCopy(&result, &src);

    if (src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN) {
        if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
            if (!src.punkVal) {
                result.vt = vt;
                result.punkVal = nullptr;
                return S_OK;
            }
            void* out = nullptr;
            const HRESULT hr = src.vt == VT_DISPATCH
                                   ? src.pdispVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch
                                                                                    : IID_IUnknown,
                                                                  &out)
                                   : src.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch
                                                                                   : IID_IUnknown,
                                                                 &out);
            if (FAILED(hr)) return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
            result.vt = vt;
            if (vt == VT_DISPATCH)
                result.pdispVal = static_cast<IDispatch*>(out);
            else
                result.punkVal = static_cast<IUnknown*>(out);
            return S_OK;
        }
        // An object reads as the value of its default property.
        if (src.vt != VT_DISPATCH || !src.pdispVal || (flags & VARIANT_NOVALUEPROP))
            return DISP_E_TYPEMISMATCH;
        DISPPARAMS none{};
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = src.pdispVal->Invoke(DISPID_VALUE, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                          &value, nullptr, nullptr);
        if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
        if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
            VariantClear(&value);
            return DISP_E_TYPEMISMATCH;
        }
        hr = VariantChangeType(&result, &value, flags | VARIANT_NOVALUEPROP, vt);
        VariantClear(&value);
        return hr;
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        if (src.vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
        result.vt = vt;
        result.punkVal = nullptr;
        return S_OK;
    }
    if (src.vt == VT_ERROR || vt == VT_ERROR) {
        if (src.vt != vt) return DISP_E_TYPEMISMATCH;
        result = src;
        return S_OK;
    }

    Scalar s;
    if (src.vt == VT_EMPTY && vt == VT_BSTR) {
        result.vt = VT_BSTR;
        result.bstrVal = SysAllocStringLen(u"", 0);
        return result.bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT hr = ReadScalar(src, s);
    if (FAILED(hr)) return hr;

    int64_t whole = 0;
    uint64_t wholeUnsigned = 0;
    double real = 0;
    switch (vt) {
    case VT_I1:
        hr = ToInteger(s, -128, 127, whole);
        result.cVal = CHAR(whole);
        break;
    case VT_UI1:
        hr = ToInteger(s, 0, 255, whole);
        result.bVal = BYTE(whole);
        break;
    case VT_I2:
        hr = ToInteger(s, -32768, 32767, whole);
        result.iVal = SHORT(whole);
        break;
    case VT_UI2:
        hr = ToInteger(s, 0, 65535, whole);
        result.uiVal = USHORT(whole);
        break;
    case VT_I4:
    case VT_INT:
        hr = ToInteger(s, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                       whole);
        result.lVal = LONG(whole);
        break;
    case VT_UI4:
    case VT_UINT:
        hr = ToInteger(s, 0, std::numeric_limits<uint32_t>::max(), whole);
        result.ulVal = ULONG(whole);
        break;
    case VT_I8:
        hr = ToInteger(s, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
                       whole);
        result.llVal = whole;
        break;
    case VT_UI8:
        hr = ToInteger(s, 0, std::numeric_limits<uint64_t>::max(), whole, &wholeUnsigned);
        result.ullVal = wholeUnsigned;
        break;
    case VT_R4:
        hr = ToReal(s, real);
        if (SUCCEEDED(hr) && std::fabs(real) > std::numeric_limits<float>::max())
            hr = DISP_E_OVERFLOW;
        result.fltVal = float(real);
        break;
    case VT_R8:
    case VT_DATE:
        hr = ToReal(s, real);
        result.dblVal = real;
        break;
    case VT_CY:
        if (s.currency) {
            result.cyVal.int64 = s.i;
            break;
        }
        hr = ToReal(s, real);
        if (SUCCEEDED(hr)) {
            const long double scaled = RoundEven(real * 10000.0);
            if (scaled < static_cast<long double>(std::numeric_limits<int64_t>::min()) ||
                scaled >= static_cast<long double>(std::numeric_limits<int64_t>::max()))
                hr = DISP_E_OVERFLOW;
            else
                result.cyVal.int64 = int64_t(scaled);
        }
        break;
    case VT_BOOL: {
        bool flag = false;
        if (s.kind == Scalar::Bool)
            flag = s.b;
        else if (s.kind == Scalar::Text && ParseBool(s.s, flag))
            ;
        else {
            hr = ToReal(s, real);
            flag = real != 0;
        }
        result.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    }
    case VT_BSTR: {
        std::u16string text;
        hr = ToText(s, src.vt, flags, text);
        if (SUCCEEDED(hr)) {
            result.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
            if (!result.bstrVal) hr = E_OUTOFMEMORY;
        }
        break;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
    if (FAILED(hr)) {
        VariantInit(&result);
        return hr;
    }
    result.vt = vt;
    return S_OK;
}

} // namespace

void VariantInit(VARIANTARG* pvarg) {
    if (!pvarg) return;
    std::memset(pvarg, 0, sizeof *pvarg);
    pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (!pvarg) return E_INVALIDARG;
    if (!(pvarg->vt & VT_BYREF) && !IsKnown(pvarg->vt)) return DISP_E_BADVARTYPE;
    if (!(pvarg->vt & VT_BYREF)) {
        switch (pvarg->vt) {
        case VT_BSTR: SysFreeString(pvarg->bstrVal); break;
        case VT_DISPATCH:
            if (pvarg->pdispVal) pvarg->pdispVal->Release();
            break;
        case VT_UNKNOWN:
            if (pvarg->punkVal) pvarg->punkVal->Release();
            break;
        default: break;
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    if (!IsKnown(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    VARIANT copy = *pvargSrc;
    if (!(copy.vt & VT_BYREF)) {
        if (copy.vt == VT_BSTR && copy.bstrVal) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(pvargSrc->bstrVal),
                                                 SysStringByteLen(pvargSrc->bstrVal));
            if (!copy.bstrVal) return E_OUTOFMEMORY;
        } else if ((copy.vt == VT_DISPATCH || copy.vt == VT_UNKNOWN) && copy.punkVal) {
            if (copy.vt == VT_DISPATCH)
                copy.pdispVal->AddRef();
            else
                copy.punkVal->AddRef();
        }
    }
    const HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
    if (!pvarDest || !pvargSrc) return E_INVALIDARG;
    if (!IsKnown(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    const VARIANT value = Deref(*pvargSrc);
    if (pvarDest == pvargSrc) {
        VARIANT copy;
        VariantInit(&copy);
        const HRESULT hr = VariantCopy(&copy, &value);
        if (FAILED(hr)) return hr;
        *pvarDest = copy; // the by-reference source owned nothing
        return S_OK;
    }
    return VariantCopy(pvarDest, &value);
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt) {
    if (!pvargDest || !pvarSrc) return E_INVALIDARG;
    if (!IsKnown(pvarSrc->vt)) return DISP_E_BADVARTYPE;
    if (vt != VT_VARIANT && !IsKnownScalar(vt)) return DISP_E_BADVARTYPE;
    const VARIANT value = Deref(*pvarSrc);
    VARIANT result;
    const HRESULT hr = Convert(value, wFlags, vt, result);
    if (FAILED(hr)) return hr;
    // The source may be the destination: it is cleared only now, after the
    // conversion has read it.
    const HRESULT cleared = VariantClear(pvargDest);
    if (FAILED(cleared)) {
        VariantClear(&result);
        return cleared;
    }
    *pvargDest = result;
    return S_OK;
}

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID, USHORT wFlags,
                            VARTYPE vt) {
    return VariantChangeType(pvargDest, pvarSrc, wFlags, vt);
}
