#include <runpak/Variant.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

TEST(VariantKinds, ConstructorsChooseTheKind) {
    struct Case {
        Variant v;
        TVarType type;
    } cases[] = {
        {Variant(), varEmpty},
        {Null(), varNull},
        {Unassigned(), varEmpty},
        {Variant(true), varBoolean},
        {Variant(static_cast<signed char>(-1)), varShortInt},
        {Variant(static_cast<unsigned char>(1)), varByte},
        {Variant(static_cast<short>(1)), varSmallint},
        {Variant(static_cast<unsigned short>(1)), varWord},
        {Variant(1), varInteger},
        {Variant(1u), varLongWord},
        {Variant(int64_t(1)), varInt64},
        {Variant(uint64_t(1)), varUInt64},
        {Variant(1.5f), varSingle},
        {Variant(1.5), varDouble},
        {Variant(TDateTime(45000.0)), varDate},
        {Variant(u"text"), varUString},
        {Variant(UnicodeString(u"text")), varUString},
        {Variant("ansi"), varString},
        {Variant::FromOleStr(u"ole"), varOleStr},
        {Variant::FromCurrency(1.25), varCurrency},
        {VarArrayOf({1, 2}), varArray | varVariant},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarType(c.v), c.type) << U8(VarTypeAsText(c.type));
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_TRUE(VarIsEmpty(Variant()));
    EXPECT_TRUE(VarIsClear(Unassigned()));
    EXPECT_FALSE(VarIsEmpty(Null()));
    EXPECT_TRUE(VarIsNumeric(Variant(1.5)));
    EXPECT_FALSE(VarIsNumeric(Variant(true)));
    EXPECT_TRUE(VarIsOrdinal(Variant(true)));
    EXPECT_TRUE(VarIsStr(Variant("a")));
    EXPECT_TRUE(VarIsFloat(Variant(TDateTime(1.0))));
}

TEST(VariantConvert, ToNumbers) {
    EXPECT_EQ(Variant(u"12").AsInteger(), 12);
    EXPECT_EQ(Variant(u" -7").AsInteger(), -7);
    EXPECT_EQ(Variant(u"$10").AsInteger(), 16);
    EXPECT_EQ(Variant(u"2.5").AsInteger(), 2); // half to even
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(false).AsInteger(), 0);
    EXPECT_EQ(Variant().AsInteger(), 0);
    EXPECT_EQ(Variant::FromCurrency(12.3456).AsDouble(), 12.3456);
    EXPECT_EQ(Variant(u"1.5").AsDouble(), 1.5);
    EXPECT_EQ(Variant("0.25").AsDouble(), 0.25);
    EXPECT_EQ(Variant(int64_t(1) << 40).AsInt64(), int64_t(1) << 40);
    EXPECT_EQ(Variant(UINT64_MAX).AsUInt64(), UINT64_MAX);
    EXPECT_EQ(static_cast<int>(Variant(u"42")), 42);
    EXPECT_EQ(static_cast<double>(Variant(7)), 7.0);
}

TEST(VariantConvert, ToBooleanAndText) {
    EXPECT_TRUE(Variant(u"True").AsBoolean());
    EXPECT_FALSE(Variant(u"false").AsBoolean());
    EXPECT_TRUE(Variant(u"-1").AsBoolean());
    EXPECT_FALSE(Variant(u"0").AsBoolean());
    EXPECT_TRUE(Variant(2).AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_FALSE(Variant().AsBoolean());
    EXPECT_EQ(U8(Variant(true).AsString()), "True");
    EXPECT_EQ(U8(Variant(-12).AsString()), "-12");
    EXPECT_EQ(U8(Variant(1.5).AsString()), "1.5");
    EXPECT_EQ(U8(Variant(0.1f).AsString()), "0.1");
    EXPECT_EQ(U8(Variant(UINT64_MAX).AsString()), "18446744073709551615");
    EXPECT_EQ(U8(Variant::FromCurrency(2.5).AsString()), "2.5");
    EXPECT_EQ(U8(Variant("caf\xe9").AsString()), "café"); // 8-bit text
    EXPECT_EQ(U8(Variant(EncodeDateTime(2024, 3, 5, 14, 7, 9, 0)).AsString()),
              "2024/03/05 14:07:09");
    EXPECT_EQ(U8(Variant().AsString()), "");
}

TEST(VariantConvert, ToDateTime) {
    EXPECT_DOUBLE_EQ(Variant(u"2024/03/05").AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(Variant(45000).AsDateTime(), 45000.0);
    EXPECT_DOUBLE_EQ(Variant(u"45000.5").AsDateTime(), 45000.5);
    EXPECT_THROW(Variant(u"soon").AsDateTime(), EVariantTypeCastError);
}

TEST(VariantConvert, FailuresRaiseTypeCastErrors) {
    EXPECT_THROW(Variant(u"abc").AsInteger(), EVariantTypeCastError);
    EXPECT_THROW(Variant(u"abc").AsDouble(), EVariantError);
    EXPECT_THROW(Variant(u"maybe").AsBoolean(), EVariantTypeCastError);
    EXPECT_THROW(Variant(u"").AsInteger(), EVariantTypeCastError);
    EXPECT_THROW(Null().AsInteger(), EVariantTypeCastError);
    EXPECT_THROW(Null().AsDouble(), EVariantTypeCastError);
    EXPECT_THROW(Null().AsString(), EVariantTypeCastError);
    EXPECT_THROW(Null().AsBoolean(), EVariantTypeCastError);
    EXPECT_THROW(VarArrayOf({1}).AsInteger(), EVariantTypeCastError);
    try {
        Variant(u"abc").AsInteger();
    } catch (const EVariantError& e) {
        EXPECT_EQ(U8(e.GetMessage()),
                  "Could not convert variant of type (UnicodeString) into type (Integer)");
    }
    try {
        Null().AsDouble();
    } catch (const EVariantError& e) {
        EXPECT_EQ(U8(e.GetMessage()),
                  "Could not convert variant of type (Null) into type (Double)");
    }
}

TEST(VariantConvert, OverflowRaises) {
    EXPECT_THROW(Variant(int64_t(1) << 40).AsInteger(), EVariantOverflowError);
    EXPECT_THROW(Variant(1e300).AsInt64(), EVariantOverflowError);
    EXPECT_THROW(Variant(u"99999999999").AsInteger(), EVariantOverflowError);
    EXPECT_THROW(Variant(-1).AsUInt64(), EVariantOverflowError);
    EXPECT_THROW(VarAsType(Variant(300), varByte), EVariantOverflowError);
    EXPECT_THROW(Variant(NAN).AsInteger(), EVariantOverflowError);
}

TEST(VariantConvert, VarToStrAndVarAsType) {
    EXPECT_EQ(U8(VarToStr(Null())), "");
    EXPECT_EQ(U8(VarToStr(Variant(5))), "5");
    EXPECT_EQ(U8(VarToStrDef(Null(), u"n/a")), "n/a");
    EXPECT_EQ(U8(VarToStrDef(Variant(), u"n/a")), "n/a");
    EXPECT_EQ(U8(VarToStrDef(Variant(u""), u"n/a")), "");
    Variant v = VarAsType(Variant(u"12"), varInteger);
    EXPECT_EQ(VarType(v), varInteger);
    EXPECT_EQ(v.AsInteger(), 12);
    EXPECT_EQ(VarType(VarAsType(Variant(12), varUString)), varUString);
    EXPECT_EQ(VarType(VarAsType(Variant(12), varString)), varString);
    EXPECT_EQ(VarType(VarAsType(Variant(200), varByte)), varByte);
    EXPECT_EQ(VarType(VarAsType(Variant(1), varBoolean)), varBoolean);
    EXPECT_EQ(VarType(VarAsType(Null(), varEmpty)), varEmpty);
    EXPECT_THROW(VarAsType(Null(), varInteger), EVariantTypeCastError);
    EXPECT_EQ(U8(VarTypeAsText(varOleStr)), "OleStr");
}

TEST(VariantCompare, NumbersStringsAndMixes) {
    EXPECT_TRUE(Variant(1) == Variant(1.0));
    EXPECT_TRUE(Variant(2) < Variant(2.5));
    EXPECT_TRUE(Variant(u"12") == Variant(12)); // the string is read as a number
    EXPECT_TRUE(Variant(u"9") < Variant(10));
    EXPECT_TRUE(Variant(u"9") > Variant(u"10")); // two strings compare as text
    EXPECT_TRUE(Variant(u"abc") == Variant("abc"));
    EXPECT_FALSE(Variant(u"abc") == Variant(u"ABC"));
    EXPECT_TRUE(Variant(u"a") < Variant(u"B"));
    EXPECT_TRUE(Variant(UINT64_MAX) > Variant(int64_t(-1)));
    EXPECT_TRUE(Variant(INT64_MAX) < Variant(UINT64_MAX));
    EXPECT_TRUE(Variant(true) == Variant(-1));
    EXPECT_TRUE(Variant(true) == Variant(u"True"));
    EXPECT_TRUE(Variant(TDateTime(EncodeDate(2024, 3, 5))) == Variant(u"2024/03/05"));
    EXPECT_THROW((void)(Variant(u"abc") == Variant(1)), EVariantTypeCastError);
    EXPECT_FALSE(Variant(NAN) == Variant(NAN));
}

TEST(VariantCompare, NullAndEmptyRules) {
    EXPECT_TRUE(Null() == Null());
    EXPECT_FALSE(Null() == Variant());
    EXPECT_FALSE(Null() == Variant(0));
    EXPECT_TRUE(Null() != Variant(u""));
    EXPECT_TRUE(Null() < Variant(-1000));
    EXPECT_FALSE(Variant(-1000) < Null());
    EXPECT_FALSE(Null() < Null());
    EXPECT_TRUE(Variant() == Variant());
    EXPECT_TRUE(Variant() == Variant(0));
    EXPECT_TRUE(Variant() == Variant(u""));
    EXPECT_TRUE(Variant() < Variant(1));
}

TEST(VariantArithmetic, AddingNumbersAndStrings) {
    Variant sum = Variant(2) + Variant(3);
    EXPECT_EQ(VarType(sum), varInteger);
    EXPECT_EQ(sum.AsInteger(), 5);
    EXPECT_EQ(VarType(Variant(2) + Variant(0.5)), varDouble);
    EXPECT_EQ((Variant(2) + Variant(0.5)).AsDouble(), 2.5);
    Variant text = Variant(u"ab") + Variant(u"cd");
    EXPECT_EQ(VarType(text), varUString);
    EXPECT_EQ(U8(text.AsString()), "abcd");
    EXPECT_EQ(VarType(Variant("ab") + Variant("cd")), varString);
    EXPECT_EQ((Variant(u"12") + Variant(1)).AsInteger(), 13); // text read as a number
    EXPECT_EQ((Variant(u"1.5") + Variant(1)).AsDouble(), 2.5);
    EXPECT_THROW(Variant(u"x") + Variant(1), EVariantTypeCastError);
    EXPECT_TRUE(VarIsNull(Null() + Variant(1)));
    EXPECT_TRUE(VarIsNull(Variant(u"a") + Null()));
    EXPECT_EQ((Variant() + Variant(4)).AsInteger(), 4);
    EXPECT_EQ(U8((Variant() + Variant(u"s")).AsString()), "s");
}

TEST(VariantArithmetic, WideningAndDates) {
    Variant big = Variant(INT32_MAX) + Variant(1);
    EXPECT_EQ(VarType(big), varInt64);
    EXPECT_EQ(big.AsInt64(), int64_t(INT32_MAX) + 1);
    Variant huge = Variant(INT64_MAX) + Variant(1);
    EXPECT_EQ(VarType(huge), varUInt64);
    EXPECT_EQ((Variant(10) - Variant(15)).AsInteger(), -5);
    EXPECT_EQ((Variant(6) * Variant(7)).AsInteger(), 42);
    Variant tomorrow = Variant(TDateTime(EncodeDate(2024, 2, 28))) + Variant(1);
    EXPECT_EQ(VarType(tomorrow), varDate);
    EXPECT_DOUBLE_EQ(tomorrow.AsDateTime(), EncodeDate(2024, 2, 29));
    Variant span = Variant(TDateTime(10.0)) - Variant(TDateTime(4.0));
    EXPECT_EQ(VarType(span), varDouble);
    EXPECT_EQ(VarType(Variant::FromCurrency(1.5) + Variant(1)), varCurrency);
    Variant acc = 1;
    acc += 2;
    acc -= 10;
    EXPECT_EQ(acc.AsInteger(), -7);
}

TEST(VariantArray, BoundsAndElements) {
    Variant a = VarArrayCreate(1, 3);
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayLowBound(a), 1);
    EXPECT_EQ(VarArrayHighBound(a), 3);
    EXPECT_TRUE(VarIsEmpty(a[1]));
    a[2] = u"two";
    EXPECT_EQ(U8(a[2].AsString()), "two");
    EXPECT_THROW(a[0], EVariantBadIndexError);
    EXPECT_THROW(a[4], EVariantBadIndexError);
    Variant copy = a;
    copy[2] = 2;
    EXPECT_EQ(U8(a[2].AsString()), "two"); // copies do not share elements
    Variant b = VarArrayOf({1, u"x", Null()});
    EXPECT_EQ(VarArrayLowBound(b), 0);
    EXPECT_EQ(VarArrayHighBound(b), 2);
    EXPECT_TRUE(VarIsNull(b[2]));
    EXPECT_TRUE(VarArrayOf({1, 2}) == VarArrayOf({1, 2}));
    EXPECT_THROW(Variant(1) + b, EVariantError);
    EXPECT_THROW(VarArrayLowBound(Variant(1)), EVariantError);
}

} // namespace
