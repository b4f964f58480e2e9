// Variant: a value of one of the framework's variant kinds, with the
// framework's conversions, comparisons and arithmetic.
//
//   Variant v = 12;            v.AsString() == u"12"
//   Variant s = u"12";         s.AsInteger() == 12, s + 1 == 13 (text is read as a number)
//   Variant n = Null();        VarToStr(n) == u"", n.AsInteger() raises
//
// Conversions that cannot be made raise EVariantTypeCastError (an
// EVariantError): "Could not convert variant of type (X) into type (Y)".
#pragma once
#pragma GCC visibility push(default)

#include <runpak/DateTime.h>
#include <runpak/Exceptions.h>
#include <runpak/UString.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

using TVarType = unsigned short;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varString = 0x0100;
constexpr TVarType varUString = 0x0102;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;

class EVariantTypeCastError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantOverflowError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantBadIndexError : public EVariantError {
public:
    using EVariantError::EVariantError;
};

// The library's own arithmetic on variants, a friend of Variant and not exported.
#pragma GCC visibility push(hidden)
class VariantMath;
#pragma GCC visibility pop

class Variant {
public:
    Variant() = default; // varEmpty
    Variant(bool v) : FType(varBoolean), FValue(v) {}
    Variant(signed char v) : FType(varShortInt), FValue(int64_t(v)) {}
    Variant(unsigned char v) : FType(varByte), FValue(int64_t(v)) {}
    Variant(short v) : FType(varSmallint), FValue(int64_t(v)) {}
    Variant(unsigned short v) : FType(varWord), FValue(int64_t(v)) {}
    Variant(int v) : FType(varInteger), FValue(int64_t(v)) {}
    Variant(unsigned v) : FType(varLongWord), FValue(int64_t(v)) {}
    Variant(long v) : FType(varInt64), FValue(int64_t(v)) {}
    Variant(long long v) : FType(varInt64), FValue(int64_t(v)) {}
    Variant(unsigned long v) : FType(varUInt64), FValue(uint64_t(v)) {}
    Variant(unsigned long long v) : FType(varUInt64), FValue(uint64_t(v)) {}
    Variant(float v) : FType(varSingle), FValue(double(v)) {}
    Variant(double v) : FType(varDouble), FValue(v) {}
    Variant(TDateTime v) : FType(varDate), FValue(v.Val()) {}
    Variant(const UnicodeString& v) : FType(varUString), FValue(v) {}
    Variant(UnicodeString&& v) : FType(varUString), FValue(std::move(v)) {}
    Variant(const char16_t* v) : FType(varUString), FValue(UnicodeString(v ? v : u"")) {}
    // 8-bit text in the ANSI code page (varString).
    Variant(const std::string& v) : FType(varString), FValue(v) {}
    Variant(const char* v) : FType(varString), FValue(std::string(v ? v : "")) {}

    static Variant Null();
    // Money with four decimals, as the framework's fixed-point currency.
    static Variant FromCurrency(double amount);
    // The same text as a COM string (varOleStr).
    static Variant FromOleStr(const UnicodeString& text);
    // A one-dimensional array of variants indexed low..high.
    static Variant CreateArray(int low, int high);
    static Variant ArrayOf(std::initializer_list<Variant> items);

    TVarType VarType() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsArray() const { return (FType & varArray) != 0; }
    void Clear() { *this = Variant(); }

    // Conversions, as the framework casts: raise EVariantTypeCastError or
    // EVariantOverflowError when the value does not fit the type.
    int AsInteger() const;
    int64_t AsInt64() const;
    uint64_t AsUInt64() const;
    double AsDouble() const;
    bool AsBoolean() const;
    UnicodeString AsString() const;
    TDateTime AsDateTime() const;
    double AsCurrency() const;

    explicit operator int() const { return AsInteger(); }
    explicit operator int64_t() const { return AsInt64(); }
    explicit operator double() const { return AsDouble(); }
    explicit operator bool() const { return AsBoolean(); }
    explicit operator UnicodeString() const { return AsString(); }
    explicit operator TDateTime() const { return AsDateTime(); }

    // Array elements; indices outside the bounds raise EVariantBadIndexError.
    int ArrayLowBound() const;
    int ArrayHighBound() const;
    const Variant& operator[](int index) const;
    Variant& operator[](int index);

    // Comparison: Null equals only Null and orders before everything else;
    // Empty reads as 0 or "" against the other operand; a string against a
    // number is read as a number (raising when it is not one); strings
    // compare case-sensitively as AnsiCompareStr.
    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator<(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
    friend bool operator>(const Variant& a, const Variant& b) { return b < a; }
    friend bool operator<=(const Variant& a, const Variant& b) { return !(b < a); }
    friend bool operator>=(const Variant& a, const Variant& b) { return !(a < b); }

    // Arithmetic: Null in, Null out; two strings concatenate with '+';
    // otherwise numbers (strings read as numbers), widening to the larger
    // kind; a date plus a number stays a date.
    friend Variant operator+(const Variant& a, const Variant& b);
    friend Variant operator-(const Variant& a, const Variant& b);
    friend Variant operator*(const Variant& a, const Variant& b);
    Variant& operator+=(const Variant& b) { return *this = *this + b; }
    Variant& operator-=(const Variant& b) { return *this = *this - b; }

private:
    using Array = std::vector<Variant>;
    struct ArrayData {
        int Low = 0;
        Array Items;
    };
    // Integers of every kind are int64 (varUInt64 uses uint64); every
    // floating kind and dates are double; currency is int64 ten-thousandths.
    using Storage = std::variant<std::monostate, int64_t, uint64_t, double, bool, UnicodeString,
                                 std::string, ArrayData>;

    Variant(TVarType type, Storage value) : FType(type), FValue(std::move(value)) {}
    [[noreturn]] void CastError(TVarType to) const;
    // The integer value; errors name target as the type asked for.
    int64_t ToInt64(TVarType target) const;
    friend Variant VarAsType(const Variant& v, TVarType type);
    friend class VariantMath;

    TVarType FType = varEmpty;
    Storage FValue;
};


inline Variant Unassigned() {
    return Variant();
}
inline Variant Null() {
    return Variant::Null();
}

inline TVarType VarType(const Variant& v) {
    return v.VarType();
}
inline bool VarIsNull(const Variant& v) {
    return v.IsNull();
}
inline bool VarIsEmpty(const Variant& v) {
    return v.IsEmpty();
}
inline bool VarIsClear(const Variant& v) {
    return v.IsEmpty();
}
inline bool VarIsArray(const Variant& v) {
    return v.IsArray();
}
bool VarIsNumeric(const Variant& v); // integer, floating, currency (not boolean)
bool VarIsOrdinal(const Variant& v); // integer kinds and boolean
bool VarIsFloat(const Variant& v);   // single, double, currency, date
bool VarIsStr(const Variant& v);     // varString, varUString, varOleStr
// The text of a variant; Null and Empty give an empty string.
UnicodeString VarToStr(const Variant& v);
// As VarToStr, with fallback for Null and Empty.
UnicodeString VarToStrDef(const Variant& v, const UnicodeString& fallback);
// The value converted to another kind; raises as the conversions do.
Variant VarAsType(const Variant& v, TVarType type);
// The framework's name of a kind ("Integer", "UnicodeString", "Null").
UnicodeString VarTypeAsText(TVarType type);
Variant VarArrayOf(std::initializer_list<Variant> items);
// low..high elements of varVariant (Empty), as VarArrayCreate([low, high], varVariant).
Variant VarArrayCreate(int low, int high);
int VarArrayLowBound(const Variant& v, int dim = 1);
int VarArrayHighBound(const Variant& v, int dim = 1);

#pragma GCC visibility pop
