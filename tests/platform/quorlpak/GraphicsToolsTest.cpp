// Pens, brushes and fonts: change events, handles and assignment.
#include <quorlpak/Graphics.h>

#include <gtest/gtest.h>

namespace {

struct ChangeCounter {
    int count = 0;
    TNotifyEvent Handler() {
        return [this](TObject*) { ++count; };
    }
};

TEST(FontTest, EachPropertyChangeFiresOnceAndSameValueNotAtAll) {
    TFont font;
    ChangeCounter changes;
    font.OnChange = changes.Handler();
    font.SetName(u"Arial");
    font.SetSize(12);
    font.SetStyle({fsBold});
    font.SetColor(clRed);
    font.SetPitch(fpFixed);
    EXPECT_EQ(changes.count, 5);
    font.SetName(u"Arial");
    font.SetSize(12);
    font.SetStyle({fsBold});
    font.SetColor(clRed);
    EXPECT_EQ(changes.count, 5);
}

TEST(FontTest, SizeAndHeightAreOneValueAt96Dpi) {
    TFont font;
    EXPECT_EQ(font.GetHeight(), -11);
    EXPECT_EQ(font.GetSize(), 8);
    font.SetSize(12);
    EXPECT_EQ(font.GetHeight(), -16);
    font.SetHeight(-20);
    EXPECT_EQ(font.GetSize(), 15);
}

TEST(FontTest, HandleFollowsTheDescriptionAndIsRemadeAfterAChange) {
    TFont font;
    font.SetName(u"Courier New");
    font.SetStyle({fsBold, fsItalic});
    HFONT first = font.GetHandle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(font.GetHandle(), first);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(first, sizeof(lf), &lf));
    EXPECT_EQ(std::u16string(lf.lfFaceName), u"Courier New");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_EQ(lf.lfHeight, -11);

    font.SetSize(20);
    HFONT second = font.GetHandle();
    ASSERT_TRUE(GetObjectW(second, sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -27);
}

TEST(FontTest, AssignCopiesDescriptionAndFiresChange) {
    TFont source, dest;
    source.SetName(u"Times New Roman");
    source.SetHeight(-20);
    source.SetStyle({fsUnderline});
    source.SetColor(clBlue);
    ChangeCounter changes;
    dest.OnChange = changes.Handler();
    dest.Assign(&source);
    EXPECT_EQ(changes.count, 1);
    EXPECT_TRUE(dest.SameAs(source));
}

TEST(FontTest, AssignKeepsPointSizeAcrossPixelDensities) {
    TFont source, dest;
    source.SetSize(10);
    dest.SetPixelsPerInch(192);
    dest.Assign(&source);
    EXPECT_EQ(dest.GetSize(), 10);
    EXPECT_EQ(dest.GetHeight(), -27);
}

TEST(FontTest, AssignFromAnotherClassRaises) {
    TFont font;
    TPen pen;
    EXPECT_THROW(font.Assign(&pen), EConvertError);
}

TEST(PenTest, ChangesFireAndTheHandleDescribesThePen) {
    TPen pen;
    ChangeCounter changes;
    pen.OnChange = changes.Handler();
    pen.SetColor(clRed);
    pen.SetWidth(3);
    pen.SetStyle(psDash);
    pen.SetMode(pmXor);
    pen.SetWidth(3);
    EXPECT_EQ(changes.count, 4);
    LOGPEN lp{};
    ASSERT_TRUE(GetObjectW(pen.GetHandle(), sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnColor, 0x0000FFu);
    EXPECT_EQ(lp.lopnWidth.x, 3);
    // Wide pens draw solid, as GDI makes them.
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_SOLID));
    pen.SetWidth(1);
    ASSERT_TRUE(GetObjectW(pen.GetHandle(), sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(PenModeToRop2(pmXor), R2_XORPEN);
}

TEST(BrushTest, ColourOnAClearBrushMakesItSolid) {
    TBrush brush;
    ChangeCounter changes;
    brush.OnChange = changes.Handler();
    brush.SetStyle(bsClear);
    brush.SetColor(clWhite); // same colour, but the brush turns solid
    EXPECT_EQ(brush.GetStyle(), bsSolid);
    EXPECT_EQ(changes.count, 2);
}

TEST(BrushTest, HandleKinds) {
    struct Case {
        TBrushStyle style;
        UINT lbStyle;
    };
    for (Case c : {Case{bsSolid, BS_SOLID}, Case{bsClear, BS_NULL}, Case{bsCross, BS_HATCHED}}) {
        TBrush brush;
        brush.SetColor(clGreen);
        brush.SetStyle(c.style);
        LOGBRUSH lb{};
        ASSERT_TRUE(GetObjectW(brush.GetHandle(), sizeof(lb), &lb));
        EXPECT_EQ(lb.lbStyle, c.lbStyle) << c.style;
    }
}

TEST(ColorTest, SystemColoursResolveThroughTheSystemTable) {
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clWindow), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000F));
}

TEST(ColorTest, NamesRoundTrip) {
    EXPECT_EQ(ColorToString(clFuchsia), u"clFuchsia");
    EXPECT_EQ(ColorToString(0x123456), u"$00123456");
    EXPECT_EQ(StringToColor(u"clBtnFace"), clBtnFace);
    EXPECT_EQ(StringToColor(u"$00123456"), 0x123456);
    EXPECT_THROW(StringToColor(u"notacolour"), EConvertError);
}

} // namespace
