// The framework's side of COM: its OLE error classes, OleCheck, and the
// bridge between its Variant and the automation VARIANT.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Exceptions.h>
#include <runpak/Variant.h>

#include <win32/oleauto.h>

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

#pragma GCC visibility pop
