// The printer whose pages are bitmaps (see Printers.h).
#include <quorlpak/Printers.h>

#include <quorlpak/Colors.h>
#include <quorlpak/Font.h>

TPrinter::TPrinter(int PageWidth, int PageHeight, int PixelsPerInch)
    : FPageWidth(PageWidth > 0 ? PageWidth : 1), FPageHeight(PageHeight > 0 ? PageHeight : 1),
      FPixelsPerInch(PixelsPerInch > 0 ? PixelsPerInch : 96) {}

TPrinter::~TPrinter() = default;

void TPrinter::CheckPrinting() const {
    if (!FPrinting) throw EPrinter(u"Printer is not currently printing");
}

void TPrinter::AddPage() {
    auto page = std::make_unique<TBitmap>();
    page->SetPixelFormat(pf32bit);
    page->SetSize(FPageWidth, FPageHeight);
    TCanvas* canvas = page->GetCanvas();
    canvas->GetBrush()->SetColor(clWhite);
    canvas->FillRect(TRect{0, 0, FPageWidth, FPageHeight});
    // Text on the page is measured and drawn at the printer's resolution.
    TFont* font = canvas->GetFont();
    const int size = font->GetSize();
    font->SetPixelsPerInch(FPixelsPerInch);
    font->SetSize(size);
    FPages.push_back(std::move(page));
}

void TPrinter::BeginDoc() {
    if (FPrinting) throw EPrinter(u"Printing in progress");
    FPages.clear();
    FAborted = false;
    FPrinting = true;
    AddPage();
}

void TPrinter::EndDoc() {
    CheckPrinting();
    FPrinting = false;
}

void TPrinter::NewPage() {
    CheckPrinting();
    AddPage();
}

void TPrinter::Abort() {
    CheckPrinting();
    FPrinting = false;
    FAborted = true;
    FPages.clear();
}

TCanvas* TPrinter::GetCanvas() {
    CheckPrinting();
    return FPages.back()->GetCanvas();
}

TBitmap* TPrinter::GetPage(int Index) const {
    if (Index < 0 || Index >= int(FPages.size())) return nullptr;
    return FPages[size_t(Index)].get();
}
