// Printing the tree: the whole content painted once into a bitmap, then cut
// into page tiles stretched onto the printer's pages.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Font.h>
#include <quorlpak/Printers.h>

#include <win32/windows.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Stretches the whole 32-bit bitmap into R of DC through its device-
// independent bits, which any printer surface takes.
void PrtStretchDrawDIB(HDC DC, const TRect& R, TBitmap* Bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = Bitmap->GetWidth();
    info.bmiHeader.biHeight = Bitmap->GetHeight();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> bits(size_t(Bitmap->GetWidth()) * size_t(Bitmap->GetHeight()) * 4);
    HDC source = Bitmap->GetCanvas()->GetHandle();
    GetDIBits(source, Bitmap->GetHandle(), 0, UINT(Bitmap->GetHeight()), bits.data(), &info,
              DIB_RGB_COLORS);
    StretchDIBits(DC, R.left, R.top, R.right - R.left, R.bottom - R.top, 0, 0, Bitmap->GetWidth(),
                  Bitmap->GetHeight(), bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

// Pages needed for Size at Page per page; an exact multiple needs no page
// more (a trailing blank row or column of pages would waste paper).
int PagesFor(int Size, int Page) {
    return std::max(1, (Size + Page - 1) / Page);
}

} // namespace

void TBaseVirtualTree::Print(TPrinter* Printer, bool PrintHeader) {
    if (!Printer) return;
    auto update = runpak::UpdateBracket(*this);
    // Printed text is smoothed; the tree's own look comes back afterwards.
    const TFontQuality treeQuality = GetFont()->GetQuality();
    const TFontQuality headerQuality = FHeader->GetFont()->GetQuality();
    const TColor treeColor = GetColor();
    auto restore = runpak::ScopeExit([&] {
        GetFont()->SetQuality(treeQuality);
        FHeader->GetFont()->SetQuality(headerQuality);
        SetColor(treeColor);
    });
    GetFont()->SetQuality(fqAntialiased);

    const TRect content = GetTreeRect();
    const int width = content.right - content.left;
    const bool withHeader = PrintHeader && FHeader->GetOptions().Contains(hoVisible);
    const int headerHeight = withHeader ? FHeader->GetHeight() : 0;
    const int height = content.bottom - content.top + headerHeight;
    if (width <= 0 || height <= 0) return;
    TBitmap image;
    image.SetPixelFormat(pf32bit);
    image.SetSize(width, height);
    if (withHeader) {
        FHeader->GetFont()->SetQuality(fqAntialiased);
        FHeader->GetColumns()->PaintHeader(image.GetCanvas()->GetHandle(),
                                           TRect{0, 0, width, headerHeight}, 0);
    }
    SetColor(clWhite);
    PaintTree(image.GetCanvas(), content, TPoint{0, headerHeight}, PrintPaintOptions, pf32bit);

    Printer->BeginDoc();
    // The printer's resolution sets the scale: a tree pixel becomes as many
    // printer pixels as the font grows from screen to paper.
    TBitmap screen;
    screen.SetPixelFormat(pf32bit);
    screen.SetSize(1, 1);
    screen.GetCanvas()->GetFont()->Assign(GetFont());
    TCanvas* paper = Printer->GetCanvas();
    paper->GetFont()->Assign(GetFont());
    const int screenText = screen.GetCanvas()->TextHeight(u"Tj");
    const double scale = screenText > 0 ? double(paper->TextHeight(u"Tj")) / screenText : 1.0;
    const int pageWidth = std::max(1, int(std::lround(Printer->GetPageWidth() / scale)));
    const int pageHeight = std::max(1, int(std::lround(Printer->GetPageHeight() / scale)));
    const int columns = PagesFor(width, pageWidth);
    const int rows = PagesFor(height, pageHeight);
    TBitmap tile;
    tile.SetPixelFormat(pf32bit);
    tile.SetSize(pageWidth, pageHeight);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            TCanvas* canvas = tile.GetCanvas();
            canvas->GetBrush()->SetColor(clWhite);
            canvas->FillRect(TRect{0, 0, pageWidth, pageHeight});
            // The last row and column of tiles take what is left; the rest stays white.
            const int left = column * pageWidth, top = row * pageHeight;
            BitBlt(canvas->GetHandle(), 0, 0, std::min(pageWidth, width - left),
                   std::min(pageHeight, height - top), image.GetCanvas()->GetHandle(), left, top,
                   SRCCOPY);
            if (row != 0 || column != 0) Printer->NewPage();
            PrtStretchDrawDIB(Printer->GetCanvas()->GetHandle(),
                              TRect{0, 0, Printer->GetPageWidth(), Printer->GetPageHeight() - 1},
                              &tile);
        }
    }
    Printer->EndDoc();
}
