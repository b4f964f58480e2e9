#include <runpak/ComObj.h>

#include <gtest/gtest.h>

namespace {

TEST(OleVariantBridgeTest, FrameworkValuesRoundTrip) {
    const Variant values[] = {Variant(),          Null(),         Variant(short(-3)),
                              Variant(70000),     Variant(2.5),   Variant(true),
                              Variant(u"text"),   Variant(int64_t(1) << 40),
                              Variant::FromCurrency(12.3456),     Variant(TDateTime(45000.5))};
    for (const Variant& value : values) {
        SCOPED_TRACE(int(value.VarType()));
        TOleVariant ole;
        ASSERT_EQ(VariantToOle(value, ole.Ptr()), S_OK);
        const Variant back = OleToVariant(ole.Value());
        if (value.IsNull())
            EXPECT_TRUE(back.IsNull());
        else
            EXPECT_TRUE(back == value);
    }
}

TEST(OleVariantBridgeTest, StringsBecomeBstrsAndObjectsHaveNoFrameworkKind) {
    TOleVariant ole;
    ASSERT_EQ(VariantToOle(Variant(u"abc"), ole.Ptr()), S_OK);
    EXPECT_EQ(ole.vt(), VT_BSTR);
    EXPECT_EQ(SysStringLen(ole.Value().bstrVal), 3u);
    EXPECT_EQ(OleToVariant(ole.Value()).VarType(), varOleStr);

    TOleVariant object;
    object.Value().vt = VT_DISPATCH; // a null object
    EXPECT_THROW(OleToVariant(object.Value()), EVariantTypeCastError);
    EXPECT_EQ(VariantToOle(VarArrayOf({1, 2}), ole.Ptr()), DISP_E_BADVARTYPE);
    EXPECT_EQ(ole.vt(), VT_EMPTY);
}

TEST(OleErrorTest, OleCheckRaisesFailuresWithTheirCode) {
    EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
    try {
        OleCheck(DISP_E_UNKNOWNNAME);
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode, DISP_E_UNKNOWNNAME);
        EXPECT_EQ(e.GetMessage(), u"Unknown name.");
    }
}

} // namespace
