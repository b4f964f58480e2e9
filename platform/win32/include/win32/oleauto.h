// Automation routines: BSTR strings and VARIANT copies and conversions.
#pragma once
#pragma GCC visibility push(default)

#include <win32/oaidl.h>

// --- BSTR ---------------------------------------------------------------------------------
// A new BSTR with a copy of the null-terminated text (null for null text).
BSTR SysAllocString(const OLECHAR* psz);
// A new BSTR of ui characters, copied from strIn or zero-filled when it is
// null; the text may hold nulls of its own.
BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
// A BSTR holding len bytes, copied from psz or zero-filled when it is null.
BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
// Replaces *pbstr with a new copy of psz; FALSE (and *pbstr unchanged) when
// memory runs out.
INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
// Frees a BSTR; null is allowed.
void SysFreeString(BSTR bstrString);
// Characters (bytes) in the string, from its length prefix; 0 for null.
UINT SysStringLen(BSTR pbstr);
UINT SysStringByteLen(BSTR bstr);

// --- VARIANT ------------------------------------------------------------------------------
// Flags of VariantChangeType.
#define VARIANT_NOVALUEPROP 0x01 // an object is not read through its value property
#define VARIANT_ALPHABOOL 0x02   // Booleans become "True" and "False" instead of "-1" and "0"

// Makes the variant VT_EMPTY without looking at what it held.
void VariantInit(VARIANTARG* pvarg);
// Frees what the variant owns (its BSTR, its interface reference) and
// leaves it VT_EMPTY. DISP_E_BADVARTYPE for a type this layer does not know
// (the variant is left as it was).
HRESULT VariantClear(VARIANTARG* pvarg);
// Clears the destination, then copies the source into it: a BSTR is
// duplicated, an interface is referenced again. By-reference values are
// copied as the reference.
HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// As VariantCopy, but a by-reference source is copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc);
// Converts the source to type vt into the destination (which may be the
// source itself). Numbers, Booleans, dates, money and strings convert into
// each other; an out-of-range number gives DISP_E_OVERFLOW, a string that is
// not a number or Boolean DISP_E_TYPEMISMATCH. Empty reads as 0 or "";
// Null converts only to Null. An object converts to a value through its
// DISPID_VALUE property unless VARIANT_NOVALUEPROP is given. Arrays are not
// supported (DISP_E_BADVARTYPE). On failure the destination is unchanged.
HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid,
                            USHORT wFlags, VARTYPE vt);

#pragma GCC visibility pop
