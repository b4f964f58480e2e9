// Dockable tool bars and the small workbench inputs: a cool bar with two
// docked tool bars (one torn off into its floating window by the page's
// exercise), a control bar, the filter box, the recent-entries and desktop
// combo boxes, the platform and build-configuration selectors, category
// buttons, hot commands and a description pane.
#include "WorkbenchPage.h"

#include <benchkit/controls/Filters.h>
#include <benchkit/controls/IDECategoryButtons.h>
#include <benchkit/controls/IDEDescriptionPane.h>
#include <benchkit/controls/IDEDesktopComboBox.h>
#include <benchkit/controls/IDEDockBar.h>
#include <benchkit/controls/IDEHotCommands.h>
#include <benchkit/controls/IDEPgCtrlTree.h>
#include <benchkit/controls/IDEPlatformsComboBox.h>
#include <benchkit/controls/IDETargetsComboBox.h>
#include <benchkit/controls/IDEXControlBar.h>
#include <benchkit/controls/MRUCombos.h>
#include <quorlpak/ActnList.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/StringList.h>

#include <utility>
#include <vector>

namespace {

TDockToolBar* AddToolBar(TWinControl* Sheet, const char16_t* Name,
                         std::initializer_list<const char16_t*> Captions) {
    auto* bar = new TDockToolBar(Sheet);
    bar->SetName(Name);
    bar->SetCaption(Name);
    bar->SetShowCaptions(true);
    bar->SetButtonHeight(22);
    for (const char16_t* caption : Captions) {
        auto* action = new TAction(Sheet);
        action->SetCaption(caption);
        auto* button = new TToolButton(bar);
        button->SetParent(bar);
        button->SetAction(action);
    }
    return bar;
}

void Build(TWinControl* Sheet) {
    auto* cool = new TDockCoolBar(Sheet);
    cool->SetName(u"DockCoolBar");
    cool->SetParent(Sheet);
    AddToolBar(Sheet, u"Standard", {u"New", u"Open", u"Save", u"Save all"})->ManualDock(cool);
    AddToolBar(Sheet, u"Debug", {u"Run", u"Pause", u"Step over", u"Trace into"})->ManualDock(cool);
    AddToolBar(Sheet, u"View", {u"Units", u"Forms", u"Toggle"})->ManualDock(cool);

    auto* label = new TLabel(Sheet);
    label->SetParent(Sheet);
    label->SetBounds(16, 60, 400, 16);
    label->SetCaption(u"Control bar (drag a band by its grip):");
    auto* controlBar = new TXControlBar(Sheet);
    controlBar->SetParent(Sheet);
    controlBar->SetBounds(16, 80, 420, 44);
    const char16_t* names[] = {u"Search", u"Bookmarks"};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new TPanel(Sheet);
        panel->SetParent(controlBar);
        panel->SetBounds(12 + i * 170, 6, 150, 30);
        panel->SetCaption(names[i]);
    }

    auto* filter = new TFilterEdit(Sheet);
    filter->SetParent(Sheet);
    filter->SetBounds(16, 140, 200, 22);
    auto* filtered = new TFilterEdit(Sheet);
    filtered->SetParent(Sheet);
    filtered->SetBounds(230, 140, 200, 22);
    filtered->SetText(u"Form*.pas");

    auto* mru = new TMRUComboBox(Sheet);
    mru->SetParent(Sheet);
    mru->SetBounds(16, 176, 200, 22);
    for (const char16_t* t : {u"C:\\src\\old.cpp", u"C:\\src\\main.cpp", u"C:\\src\\unit1.cpp"})
        mru->GetItems()->Add(t);
    mru->SetItemIndex(0);

    auto* desktops = new TDesktopComboBox(Sheet);
    desktops->SetParent(Sheet);
    desktops->SetBounds(230, 176, 200, 22);
    desktops->SetStyle(csDropDownList);
    for (const char16_t* t : {u"Default layout", u"Debug layout", u"Classic undocked"})
        desktops->GetItems()->Add(t);
    desktops->SetItemIndex(0);

    auto* hot = new THotCommands(Sheet);
    hot->SetParent(Sheet);
    hot->SetBounds(16, 214, 300, 44);
    hot->GetCommands()->SetText(u"New project\r\nOpen project\r\nOpen recent\r\nCheck for updates\r\n");
    hot->SetCommandState(3, false);

    // A project of two platforms with its configuration tree.
    InterfacePtr<IOTAProject> project = CreateDesignProject(u"Native", {u"Win32", u"Linux64"});
    auto* platforms = new TPlatformsComboBox(Sheet);
    platforms->SetParent(Sheet);
    platforms->SetBounds(340, 214, 160, 22);
    platforms->SetStyle(csDropDownList);
    platforms->SetProject(project);
    platforms->SelectActivePlatform();
    auto* targets = new TTargetsComboBox(Sheet);
    targets->SetParent(Sheet);
    targets->SetBounds(510, 214, 220, 22);
    targets->SetStyle(csOwnerDrawFixed);
    targets->SetProject(project);

    auto* categories = new TIDECategoryButtons(Sheet);
    categories->SetParent(Sheet);
    categories->SetBounds(340, 250, 180, 200);
    const std::pair<const char16_t*, std::vector<const char16_t*>> groups[] = {
        {u"Files", {u"New unit", u"Open", u"Save all"}},
        {u"Tools", {u"Options", u"Filters"}},
    };
    for (const auto& [caption, items] : groups) {
        TButtonCategory* category = categories->GetCategories()->Add();
        category->SetCaption(caption);
        for (const char16_t* item : items) category->Add()->SetCaption(item);
    }
    categories->SetSelectedItem(categories->GetCategories()->GetItems(0)->GetItems(1));

    auto* pane = new TDescriptionPane(Sheet);
    pane->SetParent(Sheet);
    pane->SetBounds(16, 270, 300, 80);
    pane->SetSubjectText(u"Docking tool bars");
    pane->SetDescriptionText(u"Pull a band out of the cool bar, or hold Ctrl, to float it; "
                             u"drag the floating window's caption over the bar to dock it again.");

    // Options pages, one of them holding pages of its own, with the tree
    // that mirrors them beside.
    auto* options = new TPageControl(Sheet);
    options->SetParent(Sheet);
    options->SetBounds(710, 300, 280, 160);
    auto addPages = [Sheet](TPageControl* Pages, std::vector<const char16_t*> Captions) {
        std::vector<TTabSheet*> sheets;
        for (const char16_t* caption : Captions) {
            auto* page = new TTabSheet(Sheet);
            page->SetPageControl(Pages);
            page->SetCaption(caption);
            sheets.push_back(page);
        }
        return sheets;
    };
    const std::vector<TTabSheet*> outer = addPages(options, {u"Editor", u"Build", u"Debug"});
    auto* build = new TPageControl(Sheet);
    build->SetParent(outer[1]);
    build->SetAlign(alClient);
    addPages(build, {u"Compile", u"Link"});
    auto* tree = new TTabCtrlTree(Sheet);
    tree->SetName(u"OptionsTree");
    tree->SetParent(Sheet);
    tree->SetBounds(550, 300, 150, 160);
    tree->SetHideSelection(false);
    tree->SetTabControl(options);
    tree->FullExpand();
}

// The "View" bar is torn off: it floats in its own tool window next to the
// page; the nested "Link" page is picked in the options tree.
void Exercise(TWinControl* Sheet) {
    if (auto* tree = dynamic_cast<TTabCtrlTree*>(Sheet->FindComponent(u"OptionsTree")))
        tree->SetSelected(tree->GetItems()->GetFirstNode()->getNextSibling()->GetItem(1));
    auto* view = dynamic_cast<TDockToolBar*>(Sheet->FindComponent(u"View"));
    if (!view) return;
    const TPoint at = Sheet->ClientToScreen(TPoint(460, 60));
    view->ManualFloat(Bounds(at.x, at.y, view->GetWidth(), view->GetHeight()));
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage DockingPage = {"docking", u"Docking", Build, Exercise};
