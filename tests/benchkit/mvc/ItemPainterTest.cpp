// Item painters drawn into real bitmaps and read back pixel by pixel.
#include "benchkit/mvc/IDEItemPainters.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <quorlpak/Quorlpak.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TTestSite : public TInterfacedObject, public IItemPaintSite {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IItemPaintSite>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    TColor GetBackground() override { return Background; }
    TColor GetForeground() override { return clBlack; }
    TFont* GetFont() override { return nullptr; }
    TAlignmentSet GetAlignment() override { return Alignment; }
    TInsets* GetItemMargins() override { return new TInsets(2, 2, 2, 1); }
    TColor Background = clWhite;
    TAlignmentSet Alignment;
};

class ItemPainterTest : public testing::Test {
protected:
    void SetUp() override {
        InitializeQuorlpak();
        Bitmap.reset(new TBitmap);
        Bitmap->SetPixelFormat(pf32bit);
        Bitmap->SetSize(120, 24);
        Canvas()->GetBrush()->SetColor(clFuchsia);
        Canvas()->FillRect(Rect(0, 0, 120, 24));
    }
    void TearDown() override {
        Bitmap.reset();
        FinalizeQuorlpak();
    }
    TCanvas* Canvas() { return Bitmap->GetCanvas(); }
    TColor Pixel(int x, int y) { return Canvas()->GetPixel(x, y); }
    // True when some pixel of the column range has the colour.
    bool Painted(int x0, int x1, TColor color) {
        for (int x = x0; x < x1; ++x)
            for (int y = 0; y < 24; ++y)
                if (Pixel(x, y) == ColorToRGB(color)) return true;
        return false;
    }
    std::unique_ptr<TBitmap> Bitmap;
};

InterfacePtr<IInterface> Text(const char16_t* s) {
    return InterfacePtr<IInterface>(static_cast<IStringObject*>(new TTextObject(s)));
}

TEST_F(ItemPainterTest, SelectedItemOfAnInactiveViewIsButtonFaceBehindWindowText) {
    struct Case {
        TItemState states;
        TColor background, text;
    } cases[] = {
        {TItemState{isSelected, isInactive}, clBtnFace, clWindowText},
        {TItemState{isSelected}, clHighlight, clHighlightText},
        {TItemState{}, clWhite, clBlack},
    };
    InterfacePtr<IItemPainter> painter(new TSelectableTextItemPainter);
    InterfacePtr<TTestSite> site(new TTestSite);
    for (const Case& c : cases) {
        painter->Paint(Text(u"WWWW").Get(), Canvas(), site.Get(), c.states, Rectangle(0, 0, 60, 24));
        EXPECT_EQ(Pixel(59, 0), ColorToRGB(c.background));
        EXPECT_TRUE(Painted(0, 60, c.text));
        EXPECT_EQ(Pixel(60, 0), ColorToRGB(clFuchsia)); // nothing beyond the rectangle
    }
}

TEST_F(ItemPainterTest, ClippedTextEndsInAnEllipsisThatFits) {
    const std::u16string text = u"Configuration";
    InterfacePtr<TClippedTextItemPainter> clipped(
        new TClippedTextItemPainter(TAlignmentSet{aLeft, aTop}, new TInsets(0, 0, 0, 0)));
    InterfacePtr<TTextItemPainter> plain(
        new TTextItemPainter(TAlignmentSet{aLeft, aTop}, new TInsets(0, 0, 0, 0)));
    const int full = Canvas()->TextWidth(text);
    for (int width : {full - 3, full / 2, Canvas()->TextWidth(u"...") - 2}) {
        // The longest prefix that fits together with "...".
        std::u16string expect = u"...";
        for (size_t n = text.size(); n > 0; --n)
            if (Canvas()->TextWidth(text.substr(0, n) + u"...") <= width) {
                expect = text.substr(0, n) + u"...";
                break;
            }
        TBitmap want;
        want.SetPixelFormat(pf32bit);
        want.SetSize(120, 24);
        want.GetCanvas()->GetBrush()->SetColor(clWhite);
        Canvas()->GetBrush()->SetColor(clWhite);
        clipped->Paint(Text(text.c_str()).Get(), Canvas(), nullptr, {}, Rectangle(0, 0, width, 24));
        plain->Paint(Text(expect.c_str()).Get(), want.GetCanvas(), nullptr, {},
                     Rectangle(0, 0, width, 24));
        for (int x = 0; x < width; x += 1)
            for (int y = 0; y < 24; y += 1)
                ASSERT_EQ(Pixel(x, y), want.GetCanvas()->GetPixel(x, y)) << "width " << width;
    }
}

TEST_F(ItemPainterTest, MeasuringWithoutADrawableCanvasUsesTheLastGoodMeasure) {
    InterfacePtr<IItemPainter> painter(new TTextItemPainter(TAlignmentSet{aLeft},
                                                            new TInsets(1, 2, 3, 4)));
    TDimension good = painter->GetPreferredSize(Text(u"abcd").Get(), Canvas(), nullptr, {});
    TSize extent = Canvas()->TextExtent(u"abcd");
    EXPECT_EQ(good, Dimension(extent.cx + 4, extent.cy + 6));
    TCanvas blind; // no device context: it cannot measure
    TDimension guess = painter->GetPreferredSize(Text(u"abcdabcd").Get(), &blind, nullptr, {});
    EXPECT_EQ(guess, Dimension(2 * extent.cx + 4, extent.cy + 6));
    EXPECT_EQ(painter->GetPreferredSize(Text(u"x").Get(), nullptr, nullptr, {}), Dimension(0, 0));
}

class TFixedPainter : public TInterfacedObject, public IItemPainter {
public:
    explicit TFixedPainter(TDimension Size) : FSize(Size) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IItemPainter>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    TDimension GetPreferredSize(IInterface*, TCanvas*, IItemPaintSite*, TItemState) override {
        return FSize;
    }
    void Paint(IInterface*, TCanvas*, IItemPaintSite*, TItemState, const TRectangle&) override {}

private:
    TDimension FSize;
};

TEST(CompositeItemPainter, SizesAndRectsByOrientation) {
    struct Case {
        TDimension first, second;
        TOrientation orientation;
        TDimension size;
        TRectangle r1, r2; // in (10, 20, 50, 31)
    } cases[] = {
        {{16, 16}, {30, 13}, oHorizontal, {50, 16}, {10, 27, 16, 16}, {30, 29, 30, 13}},
        {{0, 0}, {30, 13}, oHorizontal, {30, 13}, {10, 35, 0, 0}, {10, 29, 30, 13}},
        {{16, 16}, {30, 13}, oVertical, {30, 33}, {27, 20, 16, 16}, {20, 40, 30, 13}},
        {{16, 0}, {30, 13}, oVertical, {30, 13}, {27, 20, 16, 0}, {20, 20, 30, 13}},
    };
    for (const Case& c : cases) {
        InterfacePtr<TCompositeItemPainter> p(new TCompositeItemPainter(
            new TFixedPainter(c.first), new TFixedPainter(c.second), c.orientation));
        EXPECT_EQ(p->GetPreferredSize(nullptr, nullptr, nullptr, {}), c.size);
        TRectangle r1{}, r2{};
        p->CalculateRects(nullptr, nullptr, Rectangle(10, 20, 50, 31), nullptr, {}, r1, r2);
        EXPECT_EQ(r1, c.r1);
        EXPECT_EQ(r2, c.r2);
    }
}

TEST_F(ItemPainterTest, ImageSitsByAlignmentAndTheRestIsBackground) {
    auto* image = new TBitmap;
    image->SetPixelFormat(pf32bit);
    image->SetSize(4, 4);
    image->GetCanvas()->GetBrush()->SetColor(clRed);
    image->GetCanvas()->FillRect(Rect(0, 0, 4, 4));
    image->GetCanvas()->SetPixel(0, 3, clBlue); // the corner names the transparent colour
    InterfacePtr<IInterface> data(static_cast<IImageObject*>(new TImageObject(image)));
    InterfacePtr<TTestSite> site(new TTestSite);
    site->Background = clLime;
    InterfacePtr<IItemPainter> painter(new TImageItemPainter(nullptr));
    EXPECT_EQ(painter->GetPreferredSize(data.Get(), Canvas(), site.Get(), {}), Dimension(4, 4));
    // Centred in 11 x 11: the odd pixel goes right and down.
    painter->Paint(data.Get(), Canvas(), site.Get(), {}, Rectangle(0, 0, 11, 11));
    EXPECT_EQ(Pixel(2, 2), ColorToRGB(clLime));
    EXPECT_EQ(Pixel(3, 3), ColorToRGB(clRed));
    EXPECT_EQ(Pixel(6, 6), ColorToRGB(clRed));
    EXPECT_EQ(Pixel(3, 6), ColorToRGB(clFuchsia)); // transparent: what was there stays
    EXPECT_EQ(Pixel(7, 7), ColorToRGB(clLime));
    EXPECT_EQ(Pixel(10, 0), ColorToRGB(clLime));
    EXPECT_EQ(Pixel(11, 0), ColorToRGB(clFuchsia));
    // Without an image only the background is painted.
    painter->Paint(nullptr, Canvas(), site.Get(), {}, Rectangle(20, 0, 11, 11));
    EXPECT_EQ(Pixel(25, 5), ColorToRGB(clLime));
    delete image;
}

TEST_F(ItemPainterTest, FocusRectangleOnlyWhenFocused) {
    InterfacePtr<TTestSite> site(new TTestSite);
    InterfacePtr<IItemPainter> painter(new TFocusableItemPainter(new TTextItemPainter));
    painter->Paint(Text(u"").Get(), Canvas(), site.Get(), {}, Rectangle(0, 0, 40, 20));
    EXPECT_EQ(Pixel(0, 0), ColorToRGB(clWhite));
    painter->Paint(Text(u"").Get(), Canvas(), site.Get(), TItemState{isFocused},
                   Rectangle(0, 0, 40, 20));
    EXPECT_NE(Pixel(0, 0), ColorToRGB(clWhite));
    EXPECT_EQ(Pixel(20, 10), ColorToRGB(clWhite));
}

TEST(ItemFormatter, FormatsTextAndParsesIntoTextObjects) {
    TItemFormatter f;
    EXPECT_EQ(f.Format(Text(u"abc").Get()), u"abc");
    InterfacePtr<IInterface> parsed = f.Parse(u"xyz");
    EXPECT_EQ(InterfaceCast<IStringObject>(parsed.Get())->GetString(), u"xyz");
    InterfacePtr<IInterface> number(static_cast<IIndexObject*>(new TIntegerObject(3)));
    EXPECT_THROW(f.Format(number.Get()), EIntfCastError);
}

} // namespace
