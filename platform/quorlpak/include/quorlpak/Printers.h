// TPrinter: the printer a program prints a document on. This system has no
// print spooler, so the printer is a surface of its own: each page of the
// document is drawn on a white 32-bit bitmap of the page's size, at the
// printer's resolution, and the pages of the last document stay readable
// (to save, show or check) until the next one begins.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <runpak/Exceptions.h>
#include <runpak/Object.h>

#include <memory>
#include <vector>

class EPrinter : public Exception {
public:
    using Exception::Exception;
};

class TPrinter : public TObject {
public:
    // A page of PageWidth x PageHeight pixels at PixelsPerInch (fonts on the
    // page's canvas are sized for that resolution). The default is A4 at 300 dpi.
    TPrinter(int PageWidth = 2480, int PageHeight = 3508, int PixelsPerInch = 300);
    ~TPrinter() override;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Starts a document on its first page (the previous document's pages
    // are dropped); EPrinter "Printing in progress" while one is open.
    void BeginDoc();
    // Ends the document; its pages stay. EPrinter "Printer is not currently
    // printing" without an open document, as NewPage.
    void EndDoc();
    void NewPage();
    // Ends the document and drops its pages.
    void Abort();

    // The current page's canvas (valid until the next page or document).
    TCanvas* GetCanvas();
    int GetPageWidth() const { return FPageWidth; }
    int GetPageHeight() const { return FPageHeight; }
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    // 1 for the first page of a document.
    int GetPageNumber() const { return int(FPages.size()); }
    bool GetPrinting() const { return FPrinting; }
    bool GetAborted() const { return FAborted; }
    UnicodeString Title;

    // The pages of the document printed last (or being printed).
    int GetPageCount() const { return int(FPages.size()); }
    TBitmap* GetPage(int Index) const;

private:
    void AddPage();
    void CheckPrinting() const;

    int FPageWidth;
    int FPageHeight;
    int FPixelsPerInch;
    bool FPrinting = false;
    bool FAborted = false;
    std::vector<std::unique_ptr<TBitmap>> FPages;
};

#pragma GCC visibility pop
