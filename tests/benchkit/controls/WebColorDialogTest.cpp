// The web colour dialog, driven inside its modal loop by a script of user
// steps run one per idle turn: the palettes, the named squares without a
// colour, typing values, the up-downs, the colour lists, the answer with and
// without names, and the form going away.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEWebColorDlgs.h"

#include <win32/readback.h>

#include <functional>
#include <set>

namespace {

class WebColorDialogTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        dlg = new TWebColorDlg(Form);
        dlg->SetAllowUseOfColorName(true);
        dlg->OnAccept = [this](TObject*) { events.push_back("accept"); };
        dlg->OnCancel = [this](TObject*) { events.push_back("cancel"); };
        dlg->OnClose = [this](TObject*) { events.push_back("close"); };
    }
    void TearDown() override {
        Application->OnIdle = nullptr;
        ControlsTest::TearDown();
    }
    // Shows the dialog modally and runs one step per idle turn; a dialog
    // still open once the steps are done is cancelled.
    int RunModal(std::vector<std::function<void()>> steps) {
        size_t next = 0;
        Application->OnIdle = [&](TObject*, bool& done) {
            done = false;
            TWebColorFrm* f = dlg->GetWebColorForm();
            if (next < steps.size())
                steps[next++]();
            else if (f)
                f->SetModalResult(mrCancel);
        };
        const int result = dlg->ShowModal();
        Application->OnIdle = nullptr;
        EXPECT_EQ(next, steps.size()) << "steps left when the dialog closed";
        return result;
    }
    TWebColorFrm* F() { return dlg->GetWebColorForm(); }
    // A square of a colour grid, clicked in its middle.
    static void ClickSquare(TIDEColorGridEx* grid, int square) {
        const TRect r = grid->SquareRect(square);
        TestSeams::Click(TestSeams::ClientPoint(grid->GetHandle(), (r.left + r.right) / 2,
                                                (r.top + r.bottom) / 2));
    }
    std::vector<int> Rgb() {
        return {F()->RedUpDown->GetPosition(), F()->GreenUpDown->GetPosition(),
                F()->BlueUpDown->GetPosition()};
    }

    TWebColorDlg* dlg = nullptr;
    std::vector<std::string> events;
};

TEST(WebColorPaletteTest, SquaresFollowTheWebSafeFormula) {
    struct Case {
        int square, red, green, blue;
    } cases[] = {{0, 255, 0, 255},  {5, 255, 255, 255}, {6, 255, 255, 102}, {11, 255, 0, 102},
                 {12, 204, 0, 255}, {72, 255, 0, 204},  {215, 0, 0, 0}};
    for (const Case& c : cases) {
        const COLORREF rgb = static_cast<COLORREF>(WebPaletteColor(c.square));
        EXPECT_EQ(GetRValue(rgb), c.red) << c.square;
        EXPECT_EQ(GetGValue(rgb), c.green) << c.square;
        EXPECT_EQ(GetBValue(rgb), c.blue) << c.square;
    }
    // 216 distinct colours.
    std::set<TColor> all;
    for (int i = 0; i < 216; ++i)
        all.insert(WebPaletteColor(i));
    EXPECT_EQ(all.size(), 216u);
    const TColorArray& named = WebColorDlgNamedColors();
    EXPECT_EQ(named.size(), 138u);
    EXPECT_EQ(named.front().Name, u"clWebBlack");
    EXPECT_EQ(named.back().Name, u"clWebWhite");
}

TEST_F(WebColorDialogTest, ChoosingFromThePalettesAndTypingValues) {
    EXPECT_EQ(dlg->GetSelectedColor(), u"#FF00FF"); // before the first show
    const int result = RunModal({
        [&] {
            EXPECT_EQ(F()->GetCaption(), u"Color Selector");
            EXPECT_EQ(F()->GetClientWidth(), 552);
            EXPECT_EQ(F()->GetClientHeight(), 407);
            EXPECT_EQ(F()->GetHelpContext(), 12467);
            EXPECT_EQ(F()->PageControl1->GetActivePage(), F()->WebPaletteTab);
            EXPECT_TRUE(F()->UseNamesChk->GetVisible());
            EXPECT_EQ(F()->ColorLabel->GetText(), u"#FF00FF");
            EXPECT_EQ(F()->WebNameLabel->GetText(), u"Fuchsia");
            EXPECT_EQ(Rgb(), (std::vector<int>{255, 0, 255}));
            ClickSquare(F()->WebPaletteColorGrid, 6);
        },
        [&] {
            EXPECT_EQ(F()->WebPaletteColorGrid->GetSelection(), 6);
            EXPECT_EQ(F()->ColorLabel->GetText(), u"#FFFF66");
            EXPECT_EQ(F()->WebNameLabel->GetText(), u"#FFFF66"); // no name
            EXPECT_EQ(F()->GreenEdit->GetText(), u"255");
            EXPECT_EQ(F()->BlueEdit->GetText(), u"102");
            EXPECT_EQ(F()->GetPreviewColor(), TColor(RGB(255, 255, 102)));
            ClickSquare(F()->WebPaletteColorGrid, 12); // 204, 0, 255
        },
        [&] {
            EXPECT_EQ(F()->RedEdit->GetText(), u"204");
            F()->RedEdit->SetFocus();
            F()->RedEdit->SelectAll();
            TestSeams::TypeText(u"255");
        },
        [&] {
            EXPECT_EQ(F()->WebPaletteColorGrid->GetSelection(), -1);
            EXPECT_EQ(F()->GetPreviewColor(), TColor(RGB(255, 0, 255)));
            EXPECT_EQ(F()->ColorLabel->GetText(), u"#FF00FF");
            EXPECT_EQ(F()->WebNameLabel->GetText(), u"Fuchsia");
            EXPECT_EQ(Rgb(), (std::vector<int>{255, 0, 255})); // kept while typing
            TestSeams::KeyPress(VK_RETURN);                    // the default button
        },
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(events, (std::vector<std::string>{"accept"}));
    EXPECT_EQ(dlg->GetSelectedColor(), u"#FF00FF");
}

TEST_F(WebColorDialogTest, NamedSquaresWithoutAColourCannotBeChosen) {
    RunModal({
        [&] { F()->PageControl1->SelectNextPage(true); },
        [&] {
            EXPECT_EQ(F()->PageControl1->GetActivePage(), F()->NamedColorsTab);
            EXPECT_EQ(F()->WebNameLabel->GetText(), u"Black");
            ClickSquare(F()->NamedColorGrid, 20);
        },
        [&] {
            const TColorArrayEntry& chosen = WebColorDlgNamedColors()[20];
            EXPECT_EQ(F()->WebNameLabel->GetText(), chosen.Name.substr(5));
            EXPECT_EQ(F()->ColorLabel->GetText(), ColorToWebColorStr(chosen.Value));
            ClickSquare(F()->NamedColorGrid, 140); // past the last name
        },
        [&] {
            EXPECT_EQ(F()->NamedColorGrid->GetSelection(), 20);
            EXPECT_EQ(F()->WebNameLabel->GetText(), WebColorDlgNamedColors()[20].Name.substr(5));
            UnicodeString hint = u"unchanged";
            F()->NamedSquareHint(F()->NamedColorGrid, 140, hint);
            EXPECT_EQ(hint, u"unchanged");
            F()->NamedSquareHint(F()->NamedColorGrid, 0, hint);
            EXPECT_EQ(hint, u"Black (#000000)\rR: 0\rG: 0\rB: 0");
            F()->WebSquareHint(F()->WebPaletteColorGrid, 6, hint);
            EXPECT_EQ(hint, u"#FFFF66");
            TestSeams::KeyPress(VK_ESCAPE);
        },
    });
    EXPECT_EQ(events, (std::vector<std::string>{"cancel"}));
}

TEST_F(WebColorDialogTest, UpDownsAndColourListsSetTheColour) {
    RunModal({
        [&] {
            TUpDown* ud = F()->GreenUpDown;
            TestSeams::Click(TestSeams::ClientPoint(ud->GetHandle(), ud->GetWidth() / 2, 2));
        },
        [&] {
            EXPECT_EQ(F()->GreenEdit->GetText(), u"1");
            EXPECT_TRUE(F()->GreenEdit->Focused());
            EXPECT_EQ(F()->WebPaletteColorGrid->GetSelection(), -1);
            EXPECT_EQ(F()->GetPreviewColor(), TColor(RGB(255, 1, 255)));
            EXPECT_EQ(F()->ColorLabel->GetText(), u"#FF01FF");
            F()->PageControl1->SetActivePage(F()->OtherColorsTab);
            F()->PageControl1Change(F()->PageControl1);
        },
        [&] {
            // The system list's colour: the active border, resolved.
            EXPECT_EQ(F()->WebNameLabel->GetText(), u"ActiveBorder");
            const COLORREF border = GetSysColor(COLOR_ACTIVEBORDER);
            EXPECT_EQ(F()->ColorLabel->GetText(), RGBToWebColorStr(border));
            EXPECT_EQ(Rgb(),
                      (std::vector<int>{GetRValue(border), GetGValue(border), GetBValue(border)}));
            TColorListBox* list = F()->StdColorListBox;
            ClickAt(list, 10, list->ItemRect(9).top + 4); // "Red"
        },
        [&] {
            EXPECT_EQ(F()->WebNameLabel->GetText(), u"Red");
            EXPECT_EQ(F()->ColorLabel->GetText(), u"#FF0000");
            EXPECT_EQ(F()->GetPreviewColor(), clRed);
            TestSeams::KeyPress(VK_RETURN);
        },
    });
    EXPECT_EQ(dlg->GetSelectedColor(), u"#FF0000");
}

TEST_F(WebColorDialogTest, TheAnswerWithNamesAndAfterTheFormIsGone) {
    dlg->SetAllowUseOfColorName(false);
    RunModal({
        [&] {
            EXPECT_FALSE(F()->UseNamesChk->GetVisible());
            F()->SetModalResult(mrOk);
        },
    });
    dlg->SetAllowUseOfColorName(true);
    RunModal({
        [&] {
            EXPECT_TRUE(F()->UseNamesChk->GetVisible());
            F()->UseNamesChk->SetChecked(true);
            ClickSquare(F()->WebPaletteColorGrid, 6); // no name
        },
        [&] {
            EXPECT_EQ(dlg->GetSelectedColor(), u"#FFFF66");
            EXPECT_TRUE(F()->WebNameLabel->GetFont()->GetStyle().Contains(fsBold));
            EXPECT_FALSE(F()->ColorLabel->GetFont()->GetStyle().Contains(fsBold));
            ClickSquare(F()->WebPaletteColorGrid, 215);
        },
        [&] {
            EXPECT_EQ(dlg->GetSelectedColor(), u"Black");
            F()->SetModalResult(mrOk);
        },
    });
    EXPECT_EQ(events, (std::vector<std::string>{"accept", "accept"}));
    TWebColorFrm* first = F();
    delete first;
    EXPECT_EQ(F(), nullptr);
    EXPECT_EQ(events.back(), "close");
    EXPECT_EQ(dlg->GetSelectedColor(), u"Black"); // the colour last chosen
    // The next use makes a new form, starting afresh.
    bool executed = true;
    size_t steps = 0;
    Application->OnIdle = [&](TObject*, bool& done) {
        done = false;
        if (steps++ == 0) {
            EXPECT_NE(F(), nullptr);
            EXPECT_FALSE(F()->UseNamesChk->GetChecked());
            TestSeams::KeyPress(VK_ESCAPE);
        } else if (F()) {
            F()->SetModalResult(mrCancel);
        }
    };
    executed = dlg->Execute();
    Application->OnIdle = nullptr;
    EXPECT_FALSE(executed);
    EXPECT_EQ(events.back(), "cancel");
    EXPECT_EQ(dlg->GetSelectedColor(), u"#FF00FF");
}

// The page tabs' captions are drawn in the font they were measured in:
// nothing of them spills past the last tab.
TEST_F(WebColorDialogTest, PageTabsHoldTheirCaptions) {
    RunModal({
        [&] {
            TPageControl* pages = F()->PageControl1;
            pages->Invalidate();
            pages->Update();
            const TRect last = pages->TabRect(2);
            HDC dc = GetDC(pages->GetHandle());
            const std::vector<COLORREF> strip = win32::ReadPixels(
                dc, RECT{last.right + 1, 0, pages->GetClientWidth(), last.bottom - 1});
            ReleaseDC(pages->GetHandle(), dc);
            int dark = 0;
            for (COLORREF c : strip)
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 384) ++dark;
            EXPECT_EQ(dark, 0);
        },
    });
}

TEST_F(WebColorDialogTest, HelpButtonAsksTheApplicationForTheFormsHelp) {
    std::vector<LONG_PTR> contexts;
    Application->OnHelp = [&](WORD Command, LONG_PTR Data, bool&) {
        EXPECT_EQ(Command, HELP_CONTEXT);
        contexts.push_back(Data);
        return true;
    };
    RunModal({
        [&] {
            TButton* help = F()->HelpButton;
            TestSeams::Click(
                TestSeams::ClientPoint(help->GetHandle(), help->GetWidth() / 2, help->GetHeight() / 2));
        },
        [&] { EXPECT_EQ(contexts, (std::vector<LONG_PTR>{12467})) << "the dialog stays open"; },
    });
    Application->OnHelp = nullptr;
    EXPECT_EQ(events, (std::vector<std::string>{"cancel"}));
}

} // namespace
