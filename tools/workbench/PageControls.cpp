// The small workbench controls: gauges of every kind, the gradient tab
// strips in their three styles, and the installer's button and scroll bars.
#include "WorkbenchPage.h"

#include <benchkit/controls/IDE.GradientTabs.h>
#include <benchkit/controls/IDEGauges.h>
#include <benchkit/controls/ParvoInstallBtn.h>
#include <benchkit/controls/ParvoScrollBar.h>
#include <quorlpak/StdCtrls.h>

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

void Build(TWinControl* Sheet) {
    AddGauges(Sheet);
    AddTabSets(Sheet);
    AddInstallerControls(Sheet);
}

} // namespace

extern const TWorkbenchPage ControlsPage = {"Controls", u"Controls", Build, nullptr};
