// The small workbench controls: gauges of every kind, the gradient tab
// strips in their three styles, the installer's button, scroll bars and step
// list, the grids with edit styles and version information, and the tab
// controls.
#include "WorkbenchPage.h"

#include <benchkit/controls/IDE.GradientTabs.h>
#include <benchkit/controls/IDEGauges.h>
#include <benchkit/controls/IDETabControl.h>
#include <benchkit/controls/IDEVersionInfo.h>
#include <benchkit/controls/IDEWebColorDlgs.h>
#include <benchkit/controls/IDEXGrid.h>
#include <benchkit/controls/ParvoInstallBtn.h>
#include <benchkit/controls/ParvoInstallStepsSlider.h>
#include <benchkit/controls/ParvoScrollBar.h>
#include <quorlpak/CheckLst.h>
#include <quorlpak/ColorBox.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/HeaderControl.h>
#include <quorlpak/LabeledEdit.h>
#include <quorlpak/StatusBar.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/StringList.h>

namespace {

void AddGauges(TWinControl* Sheet) {
    const TGaugeKind kinds[] = {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle};
    const int progress[] = {35, 62, 48, 70, 25};
    for (int i = 0; i < 5; ++i) {
        auto* gauge = new TIDEGauge(Sheet);
        gauge->SetParent(Sheet);
        gauge->SetBounds(16 + i * 112, 16, 100, 100);
        gauge->SetKind(kinds[i]);
        gauge->SetForeColor(TColor(0x9A5B1E));
        gauge->SetProgress(progress[i]);
    }
}

void AddTabSets(TWinControl* Sheet) {
    const char16_t* captions[] = {u"Welcome", u"Unit1.cpp", u"Unit1.h", u"Form1", u"Project"};
    for (int style = 0; style < 3; ++style) {
        auto* set = new TGradientTabSet(Sheet);
        set->SetParent(Sheet);
        set->SetBounds(16, 140 + style * 34, 560, set->GetHeight());
        set->GetDrawer()->SetDrawingStyle(static_cast<TTabDrawingStyle>(style));
        for (const char16_t* c : captions)
            set->GetItems()->Add(c);
        set->SetTabIndex(1);
    }
    // Too many tabs for the width: the scroller with its view buttons.
    auto* ide = new TIDEGradientTabSet(Sheet);
    ide->SetParent(Sheet);
    ide->SetBounds(16, 250, 360, ide->GetHeight());
    for (int i = 0; i < 9; ++i)
        ide->GetTabs()->Add(u"Module" + UnicodeString(1, char16_t(u'1' + i)) + u".cpp");
    ide->SetTabIndex(2);
}

void AddInstallerControls(TWinControl* Sheet) {
    auto* button = new TParvoInstallBtn(Sheet);
    button->SetParent(Sheet);
    button->SetBounds(600, 16, 140, 36);
    auto* disabled = new TParvoInstallBtn(Sheet);
    disabled->SetParent(Sheet);
    disabled->SetBounds(600, 64, 140, 36);
    disabled->SetEnabled(false);
    auto* vertical = new TParvoScrollBar(Sheet);
    vertical->SetParent(Sheet);
    vertical->SetBounds(760, 16, 20, 200);
    vertical->SetPosition(30);
    auto* horizontal = new TParvoScrollBar(Sheet);
    horizontal->SetParent(Sheet);
    horizontal->SetKind(sbHorizontal);
    horizontal->SetBounds(600, 230, 200, 20);
    horizontal->SetPageSize(40);
}

void AddInstallSteps(TWinControl* Sheet) {
    auto* steps = new TInstallStepSliderGrid(Sheet);
    steps->SetParent(Sheet);
    steps->SetParentColor(false);
    steps->SetColor(TColor(0x5A3A10));
    steps->SetBounds(16, 290, 260, 160);
    const char16_t* titles[] = {u"Download", u"Verify", u"Install", u"Register"};
    const char16_t* descs[] = {u"Fetching the package", u"Checking signatures", u"Copying files",
                               u"Adding to the palette"};
    for (int i = 0; i < 4; ++i)
        steps->AddStep(
            TStepData{UnicodeString(1, char16_t(u'1' + i)), titles[i], descs[i], nullptr});
}

// Loaded is where the grid names its columns; the page has no form file to load.
class TPageVerInfoGrid : public TVerInfoStringGrid {
public:
    using TVerInfoStringGrid::TVerInfoStringGrid;
    void Named() { Loaded(); }
};

void AddGrids(TWinControl* Sheet) {
    auto* version = new TPageVerInfoGrid(Sheet);
    version->SetParent(Sheet);
    version->SetBounds(292, 290, 300, 160);
    version->SetDefaultRowHeight(20);
    version->SetColWidths(0, 130);
    version->SetColWidths(1, 150);
    version->Named();
    TStringList data;
    for (const char16_t* line : {u"CompanyName=Example Ltd", u"FileVersion=1.0.0.0",
                                 u"ProductName=Workbench", u"Comments=Nightly"})
        data.AddObject(line, VIRequiredFlag);
    data.AddObject(u"BuildHost=ci-04", nullptr);
    version->FillGridFromData(&data);

    auto* grid = new TXGrid(Sheet);
    grid->SetName(u"EditStyleGrid");
    grid->SetParent(Sheet);
    grid->SetBounds(616, 290, 300, 110);
    grid->SetColCount(3);
    grid->SetRowCount(4);
    grid->SetDefaultColWidth(90);
    grid->SetDefaultRowHeight(22);
    grid->OnGetEditStyle = [grid](TObject*, TEditStyle& Style) {
        Style = grid->GetCol() == 1 ? esPickList : grid->GetCol() == 2 ? esEllipsis : esSimple;
    };
    grid->OnDropDown = [](TObject*, TStrings* Items, TRect&, int& Index) {
        for (const char16_t* s : {u"Debug", u"Release", u"Profile"})
            Items->Add(s);
        Index = 0;
    };
    grid->SetCol(2);
}

void AddTabControls(TWinControl* Sheet) {
    auto* tabs = new TXTabControl(Sheet);
    tabs->SetParent(Sheet);
    tabs->SetBounds(16, 470, 300, 120);
    for (const char16_t* t : {u"Standard", u"Additional", u"System"})
        tabs->GetTabs()->Add(t);
    tabs->SetTabIndex(1);
    auto* label = new TLabel(tabs);
    label->SetParent(tabs);
    label->SetCaption(u"Components of the page");
    label->SetBounds(12, 40, 200, 16);

    auto* editorTabs = new TCodeEditorTabControl(Sheet);
    editorTabs->SetParent(Sheet);
    editorTabs->SetBounds(332, 470, 400, 24);
    for (const char16_t* t : {u"Unit1.cpp", u"Unit1.h", u"Main.cpp"})
        editorTabs->GetTabs()->Add(t);
    editorTabs->SetTabIndex(0);

    auto* pages = new TXPageControl(Sheet);
    pages->SetParent(Sheet);
    pages->SetBounds(332, 505, 300, 90);
    for (const char16_t* t : {u"Code", u"Design"}) {
        auto* sheet = new TTabSheet(pages);
        sheet->SetPageControl(pages);
        sheet->SetCaption(t);
    }
}

// An up-down on a labelled edit, a colour box and a colour list, and the web
// colour dialog behind a button; the colour chosen shows in the colour box.
void AddColourControls(TWinControl* Sheet) {
    auto* edit = new TLabeledEdit(Sheet);
    edit->SetParent(Sheet);
    edit->SetBounds(800, 470, 60, 21);
    edit->SetLabelPosition(lpLeft);
    edit->GetEditLabel()->SetCaption(u"&Steps:");
    auto* updown = new TUpDown(Sheet);
    updown->SetParent(Sheet);
    updown->SetMax(1000);
    updown->SetPosition(120);
    updown->SetIncrement(10);
    updown->SetAssociate(edit);

    auto* box = new TColorBox(Sheet);
    box->SetName(u"ColourBox");
    box->SetParent(Sheet);
    box->SetBounds(760, 500, 150, 22);
    box->SetStyle(TColorBoxStyle{cbStandardColors, cbExtendedColors, cbPrettyNames});
    box->SetSelected(clTeal);

    auto* list = new TColorListBox(Sheet);
    list->SetParent(Sheet);
    list->SetBounds(760, 562, 150, 100);
    list->SetStyle(TColorBoxStyle{cbSystemColors, cbPrettyNames});
    list->SetSelected(clActiveBorder);

    auto* dialog = new TWebColorDlg(Sheet);
    auto* button = new TButton(Sheet);
    button->SetParent(Sheet);
    button->SetBounds(760, 530, 150, 25);
    button->SetCaption(u"&Web colour...");
    button->OnClick = [dialog, box](TObject*) {
        if (!dialog->Execute()) return;
        box->SetSelected(dialog->GetWebColorForm()->GetPreviewColor());
    };
}

// A check list with a header row, a grayed and a disabled item.
void AddCheckList(TWinControl* Sheet) {
    auto* list = new TCheckListBox(Sheet);
    list->SetName(u"CheckList");
    list->SetParent(Sheet);
    list->SetBounds(648, 520, 104, 112);
    list->SetAllowGrayed(true);
    for (const char16_t* text : {u"Build", u"Sources", u"Resources", u"Run", u"Debug symbols", u"Profile"})
        list->GetItems()->Add(text);
    list->SetHeader(0, true);
    list->SetChecked(1, true);
    list->SetState(2, cbGrayed);
    list->SetHeader(3, true);
    list->SetChecked(4, true);
    list->SetItemEnabled(4, false);
}

// A header with three sections over a status bar with three panels, the
// last one raised.
void AddHeaderAndStatus(TWinControl* Sheet) {
    auto* header = new THeaderControl(Sheet);
    header->SetAlign(alNone);
    header->SetParent(Sheet);
    header->SetBounds(16, 600, 320, 17);
    for (auto [text, width] : {std::pair{u"Name", 140}, {u"Size", 70}, {u"Modified", 110}}) {
        THeaderSection* section = header->GetSections()->Add();
        section->SetText(text);
        section->SetWidth(width);
    }
    auto* status = new TStatusBar(Sheet);
    status->SetAlign(alNone);
    status->SetParent(Sheet);
    status->SetBounds(16, 636, 600, 19);
    for (auto [text, width] : {std::pair{u"Ready", 200}, {u"Ln 12, Col 4", 120}, {u"Insert", 80}}) {
        TStatusPanel* panel = status->GetPanels()->Add();
        panel->SetText(text);
        panel->SetWidth(width);
    }
    status->GetPanels()->GetItems(2)->SetBevel(pbRaised);
}

void Build(TWinControl* Sheet) {
    AddGauges(Sheet);
    AddTabSets(Sheet);
    AddInstallerControls(Sheet);
    AddInstallSteps(Sheet);
    AddGrids(Sheet);
    AddTabControls(Sheet);
    AddColourControls(Sheet);
    AddCheckList(Sheet);
    AddHeaderAndStatus(Sheet);
}

// The edit-style grid shows its editor (with the ellipsis button) once it has the focus.
void Exercise(TWinControl* Sheet) {
    if (auto* grid = dynamic_cast<TXGrid*>(Sheet->FindComponent(u"EditStyleGrid")))
        grid->SetFocus();
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage ControlsPage = {"Controls", u"Controls", Build, Exercise};
