// TCanvas over a DC: lazy selection of the tools, text measuring against the
// pixels drawn, and the canvas's own rules (no handle, detaching).
#include <quorlpak/Graphics.h>

#include <win32/readback.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The bounding box of pixels that are not `background` in a bitmap.
TRect InkBox(TBitmap& b, TColor background) {
    TRect box(b.GetWidth(), b.GetHeight(), -1, -1);
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x)
            if (b.GetCanvas()->GetPixel(x, y) != background) {
                box.left = std::min<int>(box.left, x);
                box.top = std::min<int>(box.top, y);
                box.right = std::max<int>(box.right, x + 1);
                box.bottom = std::max<int>(box.bottom, y + 1);
            }
    return box;
}

TEST(CanvasTextTest, ExtentsAgreeWithTheInkDrawn) {
    for (const char16_t* text : {u"Hello, world", u"WWW", u"ij", u"日本語テキスト"}) {
        TBitmap b;
        b.SetSize(300, 60);
        TCanvas* c = b.GetCanvas();
        c->GetBrush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, 300, 60));
        c->GetFont()->SetName(u"Arial");
        c->GetFont()->SetSize(14);
        c->GetFont()->SetColor(clBlack);
        TSize extent = c->TextExtent(text);
        ASSERT_GT(extent.cx, 0);
        c->TextOut(10, 10, text);
        TRect ink = InkBox(b, clWhite);
        ASSERT_LT(ink.left, ink.right) << "nothing drawn";
        EXPECT_GE(ink.left, 10);
        EXPECT_GE(ink.top, 10);
        EXPECT_LE(ink.right, 10 + extent.cx + 1);
        EXPECT_LE(ink.bottom, 10 + extent.cy);
        // The text fills its extent: the ink reaches near both horizontal ends.
        EXPECT_LE(ink.left - 10, 3);
        EXPECT_GE(ink.right - 10, extent.cx - 4);
        EXPECT_EQ(c->TextWidth(text), extent.cx);
        EXPECT_EQ(c->TextHeight(text), extent.cy);
        // TextOut leaves the pen after the text.
        EXPECT_EQ(c->GetPenPos(), Point(10 + extent.cx, 10));
    }
}

TEST(CanvasTextTest, LargerFontsMeasureLarger) {
    TBitmap b;
    b.SetSize(10, 10);
    TCanvas* c = b.GetCanvas();
    c->GetFont()->SetSize(8);
    TSize small = c->TextExtent(u"Measure");
    c->GetFont()->SetSize(16);
    TSize large = c->TextExtent(u"Measure");
    EXPECT_GT(large.cx, small.cx);
    EXPECT_GT(large.cy, small.cy);
}

TEST(CanvasTextTest, FontChangeAfterSelectionTakesEffect) {
    TBitmap b;
    b.SetSize(100, 30);
    TCanvas* c = b.GetCanvas();
    c->GetBrush()->SetStyle(bsClear);
    c->GetFont()->SetSize(20);
    c->GetFont()->SetQuality(fqNonAntialiased);
    c->GetFont()->SetColor(clRed);
    c->TextOut(0, 0, u"A");
    c->GetFont()->SetColor(clLime);
    c->TextOut(50, 0, u"A");
    bool red = false, lime = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x) {
            TColor p = c->GetPixel(x, y);
            if (x < 50 && p == clRed) red = true;
            if (x >= 50 && p == clLime) lime = true;
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(lime);
}

TEST(CanvasTextTest, TextRectFillsAndClips) {
    TBitmap b;
    b.SetSize(60, 20);
    TCanvas* c = b.GetCanvas();
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 60, 20));
    c->GetBrush()->SetColor(clYellow);
    c->TextRect(Rect(5, 0, 20, 20), 5, 2, u"MMMMMMMMMMMM");
    EXPECT_EQ(c->GetPixel(5, 19), clYellow); // the rectangle is filled
    for (int x = 20; x < 60; ++x)
        for (int y = 0; y < 20; ++y)
            ASSERT_EQ(c->GetPixel(x, y), clWhite) << x << "," << y;
}

TEST(CanvasTextTest, CalcRectMeasuresWithoutDrawing) {
    TBitmap b;
    b.SetSize(200, 100);
    TCanvas* c = b.GetCanvas();
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 200, 100));
    TRect r(0, 0, 200, 0);
    UnicodeString text = u"Two\nlines";
    c->TextRect(r, text, {tfCalcRect});
    EXPECT_EQ(r.Height(), 2 * c->TextHeight(u"Two"));
    EXPECT_EQ(InkBox(b, clWhite).right, -1);
}

TEST(CanvasTest, WithoutADeviceContextDrawingRaises) {
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    EXPECT_THROW(canvas.GetHandle(), EInvalidOperation);
}

TEST(CanvasTest, WrapsAForeignDcAndDetaches) {
    TBitmap target;
    target.SetSize(10, 10);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target.ReleaseHandle());
    {
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.GetBrush()->SetColor(clPurple);
        canvas.FillRect(Rect(0, 0, 10, 10));
        EXPECT_EQ(GetPixel(dc, 4, 4), ColorToRGB(clPurple));
        canvas.SetHandle(nullptr);
        EXPECT_FALSE(canvas.HandleAllocated());
    }
    // The DC outlives the canvas and still works.
    EXPECT_EQ(GetPixel(dc, 9, 9), ColorToRGB(clPurple));
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

TEST(CanvasTest, ChangeEventsBracketEachDrawing) {
    TBitmap b;
    b.SetSize(4, 4);
    TCanvas* c = b.GetCanvas();
    std::vector<char> events;
    c->OnChanging = [&](TObject*) { events.push_back('<'); };
    c->OnChange = [&](TObject*) { events.push_back('>'); };
    c->Rectangle(0, 0, 4, 4);
    c->Ellipse(0, 0, 4, 4);
    EXPECT_EQ(std::string(events.begin(), events.end()), "<><>");
}

TEST(CanvasTest, LockIsRecursiveAndCounts) {
    TCanvas canvas;
    canvas.Lock();
    EXPECT_TRUE(canvas.TryLock());
    EXPECT_EQ(canvas.GetLockCount(), 2);
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_EQ(canvas.GetLockCount(), 0);
}

TEST(CanvasTest, ShapesUsePenAndBrush) {
    TBitmap b;
    b.SetSize(20, 20);
    TCanvas* c = b.GetCanvas();
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 20, 20));
    c->GetPen()->SetColor(clRed);
    c->GetBrush()->SetColor(clBlue);
    c->Rectangle(2, 2, 12, 12);
    EXPECT_EQ(c->GetPixel(2, 2), clRed);
    EXPECT_EQ(c->GetPixel(6, 6), clBlue);
    c->Polygon({Point(14, 14), Point(19, 14), Point(19, 19)});
    EXPECT_EQ(c->GetPixel(19, 14), clRed);
    c->GetPen()->SetStyle(psClear);
    c->GetBrush()->SetColor(clLime);
    c->Ellipse(0, 12, 8, 20);
    EXPECT_EQ(c->GetPixel(4, 16), clLime);
}

} // namespace
