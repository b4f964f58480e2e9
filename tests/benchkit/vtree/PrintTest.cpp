// Printing a tree on the printer whose pages are bitmaps: how many pages
// the content takes, and what lands on them at which scale.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Printers.h>

namespace {

// Rows A, B (selected, full row), C on a 200 x 120 client without a border.
class Print : public VirtualTreeTest {
protected:
    static constexpr int Row = 18;
    void SetUp() override {
        VirtualTreeTest::SetUp();
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TVirtualDrawTree(form);
        tree->SetParent(form);
        tree->SetBorderStyle(bsNone);
        tree->SetBounds(0, 0, 200, 120);
        tree->HandleNeeded();
        TCustomVirtualTreeOptions* options = tree->GetTreeOptions();
        options->SetSelectionOptions(options->GetSelectionOptions() + toFullRowSelect);
        tree->SetRootNodeCount(3);
        tree->SetSelected(tree->GetNextSibling(tree->GetFirst()), true);
        tree->SetColor(clYellow);
        Pump();
    }
    static COLORREF At(TPrinter& Printer, int Page, int X, int Y) {
        return ColorToRGB(Printer.GetPage(Page)->GetCanvas()->GetPixel(X, Y));
    }
    COLORREF Selection() const {
        return ColorToRGB(tree->GetColors()->GetColor(TVTColors::UnfocusedSelectionColorIndex));
    }

    TVirtualDrawTree* tree = nullptr;
};

TEST_F(Print, TheContentTakesAsManyPagesAsItNeedsAndNoMore) {
    ASSERT_EQ(tree->GetTreeRect(), (TRect{0, 0, 200, 120}));
    struct Case {
        int PageWidth, PageHeight;
        bool Shown, Printed; // the header
        int Pages;
    } cases[] = {
        {400, 300, false, false, 1},
        {150, 100, false, false, 4},
        {100, 60, false, false, 4}, // exact multiples: no blank row or column of pages
        {200, 120, false, false, 1},
        // A shown header takes 17 of the 120 from the client: 103 rows, with
        // the header printed above them 120 again.
        {100, 52, true, true, 6},
        {100, 52, true, false, 4},
    };
    tree->GetHeader()->GetColumns()->Add()->SetWidth(200);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.PageWidth << " x " << c.PageHeight << " header "
                                        << c.Shown << c.Printed);
        TVTHeaderOptions header = tree->GetHeader()->GetOptions();
        tree->GetHeader()->SetOptions(c.Shown ? header + hoVisible : header - hoVisible);
        TPrinter printer(c.PageWidth, c.PageHeight, 96);
        tree->Print(&printer, c.Printed);
        EXPECT_FALSE(printer.GetPrinting());
        EXPECT_EQ(printer.GetPageCount(), c.Pages);
    }
}

TEST_F(Print, PagesShowTheTreeOnWhiteAtThePrintersScale) {
    struct Case {
        int PixelsPerInch;
        double Scale; // printer pixels per tree pixel, near enough
    } cases[] = {{96, 1.0}, {192, 2.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.PixelsPerInch);
        TPrinter printer(600, 400, c.PixelsPerInch);
        tree->Print(&printer, false);
        ASSERT_EQ(printer.GetPageCount(), 1);
        const auto y = [&](double TreeY) { return int(TreeY * c.Scale); };
        EXPECT_EQ(At(printer, 0, 150, y(Row + 9)), Selection());
        EXPECT_EQ(At(printer, 0, 150, y(9)), ColorToRGB(clWhite)) << "the tree prints on white";
        EXPECT_EQ(At(printer, 0, 150, y(2 * Row + 9)), ColorToRGB(clWhite));
        EXPECT_EQ(At(printer, 0, 580, 390), ColorToRGB(clWhite)) << "beyond the content";
    }
    EXPECT_EQ(tree->GetColor(), clYellow);
    EXPECT_EQ(tree->GetFont()->GetQuality(), fqDefault);
    tree->Print(nullptr, false); // no printer: nothing
}

} // namespace
