// The workbench's pages in tab order: add a page's declaration and its entry.
#include "WorkbenchPage.h"

extern const TWorkbenchPage PackagePage;
extern const TWorkbenchPage CPUPage;
extern const TWorkbenchPage ModelViewPage;
extern const TWorkbenchPage InspectorPage;
extern const TWorkbenchPage BoundControlsPage;
extern const TWorkbenchPage TreePage;
extern const TWorkbenchPage DrawTreePage;
extern const TWorkbenchPage ControlsPage;
extern const TWorkbenchPage ShellExtrasPage;
extern const TWorkbenchPage DockingPage;
extern const TWorkbenchPage ShellControlsPage;

namespace {
const TWorkbenchPage* const kPages[] = {
    &TreePage,
    &DrawTreePage,
    &PackagePage,
    &CPUPage,
    &ModelViewPage,
    &InspectorPage,
    &BoundControlsPage,
    &ControlsPage,
    &ShellExtrasPage,
    &DockingPage,
    &ShellControlsPage,
};
} // namespace

const TWorkbenchPage* const* WorkbenchPages(int& Count) {
    Count = static_cast<int>(sizeof kPages / sizeof kPages[0]);
    return kPages;
}
