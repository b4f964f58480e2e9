// Variant comparison and arithmetic.
#include "VariantKinds.h"

#include <runpak/Strings.h>
#include <runpak/Variant.h>

#include <cmath>
#include <limits>

using namespace runpak::variantkinds;

class VariantMath {
public:
    using Wide = __int128;

    // The exact integer value of an integral, boolean or empty variant, or of
    // a string holding an integer; false for everything else.
    static bool ExactInteger(const Variant& v, Wide& out) {
        TVarType t = v.FType;
        if (t == varUInt64) {
            out = static_cast<Wide>(std::get<uint64_t>(v.FValue));
            return true;
        }
        if (IsIntegerType(t) || t == varBoolean || t == varEmpty) {
            out = v.AsInt64();
            return true;
        }
        if (IsStringType(t)) {
            int64_t i;
            if (!TryStrToInt64(v.AsString(), i)) return false;
            out = i;
            return true;
        }
        return false;
    }

    static bool IsStrOrEmpty(const Variant& v) {
        return IsStringType(v.FType) || v.FType == varEmpty;
    }

    // < 0, 0, > 0, or 2 when the values are unordered (not-a-number).
    static int Compare(const Variant& a, const Variant& b) {
        if (a.IsArray() || b.IsArray()) return CompareArrays(a, b);
        if (IsStrOrEmpty(a) && IsStrOrEmpty(b)) {
            int c = AnsiCompareStr(a.AsString(), b.AsString());
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        bool aStr = IsStringType(a.FType), bStr = IsStringType(b.FType);
        if ((a.FType == varBoolean && (bStr || b.FType == varBoolean)) ||
            (b.FType == varBoolean && aStr)) {
            int x = a.AsBoolean() ? -1 : 0, y = b.AsBoolean() ? -1 : 0;
            return x < y ? -1 : x > y ? 1 : 0;
        }
        if ((a.FType == varDate && bStr) || (b.FType == varDate && aStr))
            return CompareDoubles(a.AsDateTime().Val(), b.AsDateTime().Val());
        Wide x, y;
        if (!IsFloatType(a.FType) && !IsFloatType(b.FType) && ExactInteger(a, x) &&
            ExactInteger(b, y))
            return x < y ? -1 : x > y ? 1 : 0;
        return CompareDoubles(a.AsDouble(), b.AsDouble());
    }

    static int CompareDoubles(double x, double y) {
        if (std::isnan(x) || std::isnan(y)) return 2;
        return x < y ? -1 : x > y ? 1 : 0;
    }

    static int CompareArrays(const Variant& a, const Variant& b) {
        if (!a.IsArray() || !b.IsArray()) RaiseInvalidOperation();
        const auto& x = std::get<Variant::ArrayData>(a.FValue).Items;
        const auto& y = std::get<Variant::ArrayData>(b.FValue).Items;
        for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
            if (x[i] == y[i]) continue;
            return x[i] < y[i] ? -1 : 1;
        }
        return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
    }

    // Integer kinds no wider than 32 bits keep an Integer result while it fits.
    static bool IsNarrow(TVarType t) {
        return t == varSmallint || t == varInteger || t == varShortInt || t == varByte ||
               t == varWord || t == varBoolean || t == varEmpty || IsStringType(t);
    }

    static Variant Combine(const Variant& a, const Variant& b, char op) {
        if (a.IsNull() || b.IsNull()) return Variant::Null();
        if (a.IsArray() || b.IsArray()) RaiseInvalidOperation();
        if (op == '+' && IsStrOrEmpty(a) && IsStrOrEmpty(b) &&
            (a.FType != varEmpty || b.FType != varEmpty)) {
            UnicodeString text = a.AsString() + b.AsString();
            bool ansi = (a.FType == varString || a.FType == varEmpty) &&
                        (b.FType == varString || b.FType == varEmpty);
            return ansi ? VarAsType(Variant(text), varString) : Variant(std::move(text));
        }
        Wide x, y;
        if (!IsFloatType(a.FType) && !IsFloatType(b.FType) && ExactInteger(a, x) &&
            ExactInteger(b, y)) {
            Wide r = op == '+' ? x + y : op == '-' ? x - y : x * y;
            if (IsNarrow(a.FType) && IsNarrow(b.FType) && r >= std::numeric_limits<int>::min() &&
                r <= std::numeric_limits<int>::max())
                return Variant(static_cast<int>(r));
            if (r >= std::numeric_limits<int64_t>::min() &&
                r <= std::numeric_limits<int64_t>::max())
                return Variant(static_cast<long long>(r));
            if (r >= 0 && r <= static_cast<Wide>(std::numeric_limits<uint64_t>::max()))
                return Variant(static_cast<unsigned long long>(r));
            return Variant(static_cast<double>(r));
        }
        double dx = a.FType == varDate ? a.AsDateTime().Val() : a.AsDouble();
        double dy = b.FType == varDate ? b.AsDateTime().Val() : b.AsDouble();
        double r = op == '+' ? dx + dy : op == '-' ? dx - dy : dx * dy;
        bool aDate = a.FType == varDate, bDate = b.FType == varDate;
        if ((op == '+' && aDate != bDate) || (op == '-' && aDate && !bDate))
            return Variant(TDateTime(r));
        bool aMoney = a.FType == varCurrency, bMoney = b.FType == varCurrency;
        if ((aMoney || bMoney) && !IsFloatType(aMoney ? b.FType : a.FType) &&
            (aMoney && bMoney ? op != '*' : true))
            return Variant::FromCurrency(r);
        return Variant(r);
    }
};

// Declared only as friends in the header, which gives them no visibility of
// their own: exported here.
#pragma GCC visibility push(default)
bool operator==(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
    return VariantMath::Compare(a, b) == 0;
}

bool operator<(const Variant& a, const Variant& b) {
    if (a.IsNull()) return !b.IsNull();
    if (b.IsNull()) return false;
    return VariantMath::Compare(a, b) == -1;
}

Variant operator+(const Variant& a, const Variant& b) {
    return VariantMath::Combine(a, b, '+');
}
Variant operator-(const Variant& a, const Variant& b) {
    return VariantMath::Combine(a, b, '-');
}
Variant operator*(const Variant& a, const Variant& b) {
    return VariantMath::Combine(a, b, '*');
}
#pragma GCC visibility pop
