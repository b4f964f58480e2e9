// Variant conversions and construction.
#include "AnsiText.h"
#include "VariantKinds.h"

#include <runpak/Strings.h>
#include <runpak/Variant.h>

#include <cmath>
#include <limits>

using namespace runpak::variantkinds;

namespace runpak::variantkinds {

bool IsIntegerType(TVarType t) {
    switch (t) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
        return true;
    default:
        return false;
    }
}

bool IsFloatType(TVarType t) {
    return t == varSingle || t == varDouble || t == varCurrency || t == varDate;
}

bool IsStringType(TVarType t) {
    return t == varString || t == varUString || t == varOleStr;
}

[[noreturn]] void RaiseOverflow(TVarType from, TVarType to) {
    throw EVariantOverflowError(u"Overflow while converting variant of type (" +
                                VarTypeAsText(from) + u") into type (" + VarTypeAsText(to) + u")");
}

[[noreturn]] void RaiseInvalidOperation() {
    throw EVariantError(u"Invalid variant operation");
}

} // namespace runpak::variantkinds

namespace {

// Rounds half to even, as the framework rounds floats into integers.
bool RoundToInt64(double d, int64_t& out) {
    if (!std::isfinite(d)) return false;
    double r = std::nearbyint(d);
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
    out = static_cast<int64_t>(r);
    return true;
}

} // namespace

Variant Variant::Null() {
    return Variant(varNull, std::monostate{});
}

Variant Variant::FromCurrency(double amount) {
    return Variant(varCurrency, static_cast<int64_t>(std::llround(amount * 10000.0)));
}

Variant Variant::FromOleStr(const UnicodeString& text) {
    return Variant(varOleStr, text);
}

Variant Variant::CreateArray(int low, int high) {
    ArrayData data;
    data.Low = low;
    if (high >= low) data.Items.resize(static_cast<size_t>(high - low + 1));
    return Variant(varArray | varVariant, std::move(data));
}

Variant Variant::ArrayOf(std::initializer_list<Variant> items) {
    ArrayData data;
    data.Items.assign(items.begin(), items.end());
    return Variant(varArray | varVariant, std::move(data));
}

void Variant::CastError(TVarType to) const {
    throw EVariantTypeCastError(u"Could not convert variant of type (" + VarTypeAsText(FType) +
                                u") into type (" + VarTypeAsText(to) + u")");
}

int64_t Variant::AsInt64() const {
    return ToInt64(varInt64);
}

int64_t Variant::ToInt64(TVarType target) const {
    switch (FType) {
    case varEmpty:
        return 0;
    case varBoolean:
        return std::get<bool>(FValue) ? -1 : 0;
    case varUInt64: {
        uint64_t u = std::get<uint64_t>(FValue);
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            RaiseOverflow(FType, target);
        return static_cast<int64_t>(u);
    }
    case varCurrency: {
        int64_t out;
        if (!RoundToInt64(static_cast<double>(std::get<int64_t>(FValue)) / 10000.0, out))
            RaiseOverflow(FType, target);
        return out;
    }
    default:
        break;
    }
    if (IsIntegerType(FType)) return std::get<int64_t>(FValue);
    if (IsFloatType(FType)) {
        int64_t out;
        if (!RoundToInt64(std::get<double>(FValue), out)) RaiseOverflow(FType, target);
        return out;
    }
    if (IsStringType(FType)) {
        UnicodeString text = AsString();
        int64_t out;
        if (TryStrToInt64(text, out)) return out;
        long double d;
        if (TryStrToFloat(text, d)) {
            if (!RoundToInt64(static_cast<double>(d), out)) RaiseOverflow(FType, target);
            return out;
        }
    }
    CastError(target);
}

int Variant::AsInteger() const {
    int64_t v = ToInt64(varInteger);
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        RaiseOverflow(FType, varInteger);
    return static_cast<int>(v);
}

uint64_t Variant::AsUInt64() const {
    if (FType == varUInt64) return std::get<uint64_t>(FValue);
    if (FType == varNull || IsArray()) CastError(varUInt64);
    if (IsStringType(FType)) {
        uint64_t out;
        if (TryStrToUInt64(AsString(), out)) return out;
    }
    int64_t v = AsInt64();
    if (v < 0) RaiseOverflow(FType, varUInt64);
    return static_cast<uint64_t>(v);
}

double Variant::AsDouble() const {
    switch (FType) {
    case varEmpty:
        return 0;
    case varBoolean:
        return std::get<bool>(FValue) ? -1 : 0;
    case varUInt64:
        return static_cast<double>(std::get<uint64_t>(FValue));
    case varCurrency:
        return static_cast<double>(std::get<int64_t>(FValue)) / 10000.0;
    default:
        break;
    }
    if (IsIntegerType(FType)) return static_cast<double>(std::get<int64_t>(FValue));
    if (IsFloatType(FType)) return std::get<double>(FValue);
    if (IsStringType(FType)) {
        UnicodeString text = AsString();
        long double d;
        if (TryStrToFloat(text, d)) return static_cast<double>(d);
        int64_t i;
        if (TryStrToInt64(text, i)) return static_cast<double>(i); // hex forms
    }
    CastError(varDouble);
}

double Variant::AsCurrency() const {
    if (FType == varNull || IsArray()) CastError(varCurrency);
    return std::round(AsDouble() * 10000.0) / 10000.0;
}

bool Variant::AsBoolean() const {
    switch (FType) {
    case varEmpty:
        return false;
    case varBoolean:
        return std::get<bool>(FValue);
    case varUInt64:
        return std::get<uint64_t>(FValue) != 0;
    case varCurrency:
        return std::get<int64_t>(FValue) != 0;
    default:
        break;
    }
    if (IsIntegerType(FType)) return std::get<int64_t>(FValue) != 0;
    if (IsFloatType(FType)) return std::get<double>(FValue) != 0;
    if (IsStringType(FType)) {
        bool out;
        if (TryStrToBool(AsString(), out)) return out;
    }
    CastError(varBoolean);
}

UnicodeString Variant::AsString() const {
    switch (FType) {
    case varEmpty:
        return {};
    case varBoolean:
        return BoolToStr(std::get<bool>(FValue), true);
    case varUString:
    case varOleStr:
        return std::get<UnicodeString>(FValue);
    case varString:
        return runpak::AnsiToUnicode(std::get<std::string>(FValue));
    case varUInt64:
        return IntToStr(static_cast<unsigned long long>(std::get<uint64_t>(FValue)));
    case varCurrency:
        return CurrToStr(static_cast<long double>(std::get<int64_t>(FValue)) / 10000);
    // A single holds about seven digits; more would show its binary noise.
    case varSingle:
        return FloatToStrF(std::get<double>(FValue), ffGeneral, 7, 0);
    case varDouble:
        return FloatToStr(std::get<double>(FValue));
    case varDate:
        return DateTimeToStr(std::get<double>(FValue));
    default:
        break;
    }
    if (IsIntegerType(FType)) return IntToStr(static_cast<long long>(std::get<int64_t>(FValue)));
    CastError(varUString);
}

TDateTime Variant::AsDateTime() const {
    if (FType == varDate) return std::get<double>(FValue);
    if (FType == varNull || IsArray()) CastError(varDate);
    if (IsStringType(FType)) {
        UnicodeString text = AsString();
        TDateTime out;
        if (TryStrToDateTime(text, out)) return out;
        long double d;
        if (TryStrToFloat(text, d)) return static_cast<double>(d);
        CastError(varDate);
    }
    return AsDouble();
}

// ---- Arrays ---------------------------------------------------------------------------

int Variant::ArrayLowBound() const {
    if (!IsArray()) throw EVariantError(u"Variant is not an array");
    return std::get<ArrayData>(FValue).Low;
}

int Variant::ArrayHighBound() const {
    if (!IsArray()) throw EVariantError(u"Variant is not an array");
    const ArrayData& a = std::get<ArrayData>(FValue);
    return a.Low + static_cast<int>(a.Items.size()) - 1;
}

const Variant& Variant::operator[](int index) const {
    if (!IsArray()) throw EVariantError(u"Variant is not an array");
    const ArrayData& a = std::get<ArrayData>(FValue);
    long long at = static_cast<long long>(index) - a.Low;
    if (at < 0 || at >= static_cast<long long>(a.Items.size()))
        throw EVariantBadIndexError(u"Variant or safe array index out of bounds");
    return a.Items[static_cast<size_t>(at)];
}

Variant& Variant::operator[](int index) {
    return const_cast<Variant&>(static_cast<const Variant&>(*this)[index]);
}

// ---- Free functions ----------------------------------------------------------------------

bool VarIsNumeric(const Variant& v) {
    TVarType t = v.VarType();
    return IsIntegerType(t) || t == varSingle || t == varDouble || t == varCurrency;
}

bool VarIsOrdinal(const Variant& v) {
    return IsIntegerType(v.VarType()) || v.VarType() == varBoolean;
}
bool VarIsFloat(const Variant& v) {
    return IsFloatType(v.VarType());
}
bool VarIsStr(const Variant& v) {
    return IsStringType(v.VarType());
}

UnicodeString VarToStr(const Variant& v) {
    return v.IsNull() ? UnicodeString() : v.AsString();
}

UnicodeString VarToStrDef(const Variant& v, const UnicodeString& fallback) {
    return v.IsNull() || v.IsEmpty() ? fallback : v.AsString();
}

namespace {

int64_t InRange(const Variant& v, TVarType to, int64_t low, int64_t high) {
    int64_t x = v.AsInt64();
    if (x < low || x > high) RaiseOverflow(v.VarType(), to);
    return x;
}

} // namespace

Variant VarAsType(const Variant& v, TVarType type) {
    if (v.VarType() == type) return v;
    if (type == varEmpty) return Variant();
    if (type == varNull) return Variant::Null();
    if (v.IsNull() || v.IsArray()) v.CastError(type);
    switch (type) {
    case varSmallint:
        return Variant(static_cast<short>(InRange(v, type, -32768, 32767)));
    case varInteger:
        return Variant(v.AsInteger());
    case varSingle:
        return Variant(static_cast<float>(v.AsDouble()));
    case varDouble:
        return Variant(v.AsDouble());
    case varCurrency:
        return Variant::FromCurrency(v.AsCurrency());
    case varDate:
        return Variant(v.AsDateTime());
    case varOleStr:
        return Variant::FromOleStr(v.AsString());
    case varBoolean:
        return Variant(v.AsBoolean());
    case varShortInt:
        return Variant(static_cast<signed char>(InRange(v, type, -128, 127)));
    case varByte:
        return Variant(static_cast<unsigned char>(InRange(v, type, 0, 255)));
    case varWord:
        return Variant(static_cast<unsigned short>(InRange(v, type, 0, 65535)));
    case varLongWord:
        return Variant(static_cast<unsigned>(InRange(v, type, 0, 4294967295LL)));
    case varInt64:
        return Variant(static_cast<long long>(v.AsInt64()));
    case varUInt64:
        return Variant(static_cast<unsigned long long>(v.AsUInt64()));
    case varString:
        return Variant(runpak::UnicodeToAnsi(v.AsString()));
    case varUString:
        return Variant(v.AsString());
    default:
        v.CastError(type);
    }
}

UnicodeString VarTypeAsText(TVarType type) {
    if (type & varArray) return u"Array " + VarTypeAsText(type & varTypeMask);
    switch (type) {
    case varEmpty:
        return u"Empty";
    case varNull:
        return u"Null";
    case varSmallint:
        return u"Smallint";
    case varInteger:
        return u"Integer";
    case varSingle:
        return u"Single";
    case varDouble:
        return u"Double";
    case varCurrency:
        return u"Currency";
    case varDate:
        return u"Date";
    case varOleStr:
        return u"OleStr";
    case varDispatch:
        return u"Dispatch";
    case varError:
        return u"Error";
    case varBoolean:
        return u"Boolean";
    case varVariant:
        return u"Variant";
    case varUnknown:
        return u"Unknown";
    case varShortInt:
        return u"ShortInt";
    case varByte:
        return u"Byte";
    case varWord:
        return u"Word";
    case varLongWord:
        return u"LongWord";
    case varInt64:
        return u"Int64";
    case varUInt64:
        return u"UInt64";
    case varString:
        return u"String";
    case varUString:
        return u"UnicodeString";
    default:
        return u"$" + IntToHex(static_cast<int>(type), 4);
    }
}

Variant VarArrayOf(std::initializer_list<Variant> items) {
    return Variant::ArrayOf(items);
}
Variant VarArrayCreate(int low, int high) {
    return Variant::CreateArray(low, high);
}
int VarArrayLowBound(const Variant& v, int dim) {
    if (dim != 1) throw EVariantError(u"Variant array dimension out of range");
    return v.ArrayLowBound();
}
int VarArrayHighBound(const Variant& v, int dim) {
    if (dim != 1) throw EVariantError(u"Variant array dimension out of range");
    return v.ArrayHighBound();
}
