// A page of the workbench: one tab of the main window showing a component
// family of benchkit. Each page lives in its own Page<Name>.cpp and is listed
// once in Pages.cpp; nothing registers itself at load time.
#pragma once

class TWinControl;

struct TWorkbenchPage {
    // File name of the page's picture (<Name>.png) and its name on the command line.
    const char* Name;
    // The tab's caption.
    const char16_t* Caption;
    // Creates the page's controls on its tab sheet (which owns and parents them).
    void (*Build)(TWinControl* Sheet);
    // Optional: drives the page as a user would (synthetic input) before its
    // picture is taken. The page is active and painted when it is called.
    void (*Exercise)(TWinControl* Sheet);
};

// The pages in tab order.
const TWorkbenchPage* const* WorkbenchPages(int& Count);

// Handles every waiting message, repeatedly, until the queue stays empty (a
// page's Exercise calls it between steps so that paints and posted work run).
void PumpWorkbench();
