// The printer whose pages are bitmaps: the document's life, white pages of
// the page size, and fonts sized for the printer's resolution.
#include <quorlpak/Font.h>
#include <quorlpak/Printers.h>

#include <gtest/gtest.h>

namespace {

TEST(PrinterTest, ADocumentIsItsPages) {
    TPrinter printer(40, 30, 96);
    EXPECT_FALSE(printer.GetPrinting());
    EXPECT_THROW(printer.NewPage(), EPrinter);
    EXPECT_THROW(printer.GetCanvas(), EPrinter);
    printer.BeginDoc();
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_EQ(printer.GetPageNumber(), 1);
    printer.GetCanvas()->GetBrush()->SetColor(clRed);
    printer.GetCanvas()->FillRect(TRect{0, 0, 10, 10});
    printer.NewPage();
    EXPECT_EQ(printer.GetPageNumber(), 2);
    printer.EndDoc();
    EXPECT_THROW(printer.EndDoc(), EPrinter);

    ASSERT_EQ(printer.GetPageCount(), 2);
    TBitmap* first = printer.GetPage(0);
    EXPECT_EQ(first->GetWidth(), 40);
    EXPECT_EQ(first->GetHeight(), 30);
    EXPECT_EQ(first->GetCanvas()->GetPixel(5, 5), clRed);
    EXPECT_EQ(first->GetCanvas()->GetPixel(20, 20), clWhite);
    EXPECT_EQ(printer.GetPage(1)->GetCanvas()->GetPixel(5, 5), clWhite);
    EXPECT_EQ(printer.GetPage(2), nullptr);

    // The next document starts afresh; an aborted one leaves no pages.
    printer.BeginDoc();
    EXPECT_EQ(printer.GetPageCount(), 1);
    printer.Abort();
    EXPECT_TRUE(printer.GetAborted());
    EXPECT_EQ(printer.GetPageCount(), 0);
}

TEST(PrinterTest, TextIsSizedForThePrintersResolution) {
    TPrinter printer(400, 300, 192);
    printer.BeginDoc();
    TFont screenFont;
    screenFont.SetSize(10);
    TCanvas* canvas = printer.GetCanvas();
    canvas->GetFont()->Assign(&screenFont);
    EXPECT_EQ(canvas->GetFont()->GetSize(), 10);
    EXPECT_EQ(canvas->GetFont()->GetHeight(), -27); // 10 points at 192 dpi
    TBitmap screen;
    screen.SetPixelFormat(pf32bit);
    screen.SetSize(10, 10);
    screen.GetCanvas()->GetFont()->Assign(&screenFont);
    const int onScreen = screen.GetCanvas()->TextHeight(u"Tj");
    EXPECT_NEAR(canvas->TextHeight(u"Tj"), 2 * onScreen, 2);
    printer.EndDoc();
}

} // namespace
