// Late-bound dispatch: the VARIANT value record, the arguments and exception
// records of a call, and IDispatch. The routines over them (BSTRs, variant
// copies and conversions) are in oleauto.h.
#pragma once
#pragma GCC visibility push(default)

#include <win32/objidl.h>
#include <win32/unknwn.h>
#include <win32/windef.h>
#include <win32/winerror.h>

// A length-prefixed UTF-16 string: the 32-bit byte length lies just before
// the first character, and a null follows the last. Null is the empty string.
typedef OLECHAR* BSTR;
typedef BSTR* LPBSTR;

typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
typedef LONG SCODE;
typedef double DATE;
typedef LONG DISPID;
typedef DISPID MEMBERID;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

// Money: a 64-bit count of ten-thousandths.
typedef union tagCY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
} CY;

enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF
};

struct IDispatch;
struct ITypeInfo; // type libraries are not provided; GetTypeInfo answers E_NOTIMPL

// One value of any automation type; vt says which member of the union holds it.
// A VARIANT owns its BSTR and holds a reference on its interface (except with
// VT_BYREF); VariantClear lets them go.
typedef struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        LONG* plVal;
        SHORT* piVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        struct tagVARIANT* pvarVal;
        void* byref;
    };
} VARIANT;
typedef VARIANT VARIANTARG;
typedef VARIANT* LPVARIANT;
typedef VARIANT* LPVARIANTARG;

// The member ids with a fixed meaning.
#define DISPID_UNKNOWN (-1)
#define DISPID_VALUE 0
#define DISPID_PROPERTYPUT (-3)
#define DISPID_NEWENUM (-4)
#define DISPID_EVALUATE (-5)
#define DISPID_CONSTRUCTOR (-6)
#define DISPID_DESTRUCTOR (-7)
#define DISPID_COLLECT (-8)

// What Invoke is asked to do (may be combined: a name used as method or getter).
#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

// The arguments of a call. rgvarg holds them in reverse order (the last
// argument first); the first cNamedArgs of them are named by
// rgdispidNamedArgs (a property put names its value DISPID_PROPERTYPUT).
typedef struct tagDISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
} DISPPARAMS;

// What went wrong in a call that answered DISP_E_EXCEPTION. The BSTRs belong
// to the caller, who frees them.
typedef struct tagEXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(struct tagEXCEPINFO*);
    SCODE scode;
} EXCEPINFO, *LPEXCEPINFO;

struct IDispatch : virtual IUnknown {
    static constexpr InterfaceID<IDispatch> IID_{"{00020400-0000-0000-C000-000000000046}"};

    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid,
                                                  ITypeInfo** ppTInfo) noexcept = 0;
    // Member ids for cNames names (the member, then its parameters); names
    // not known give DISPID_UNKNOWN and DISP_E_UNKNOWNNAME.
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                                    LCID lcid, DISPID* rgDispId) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid,
                                             WORD wFlags, DISPPARAMS* pDispParams,
                                             VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                             UINT* puArgErr) noexcept = 0;

protected:
    ~IDispatch() = default;
};
typedef IDispatch* LPDISPATCH;

// Whether failures of an interface's calls carry error information.
struct ISupportErrorInfo : virtual IUnknown {
    static constexpr InterfaceID<ISupportErrorInfo> IID_{"{DF0B3D60-548F-101B-8E65-08002B2BD119}"};
    // S_OK when the interface iid sets error information, S_FALSE otherwise.
    virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept = 0;

protected:
    ~ISupportErrorInfo() = default;
};

inline constexpr IID IID_IDispatch = IIDOf<IDispatch>();
inline constexpr IID IID_ISupportErrorInfo = IIDOf<ISupportErrorInfo>();

#pragma GCC visibility pop
