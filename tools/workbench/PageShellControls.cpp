// The shell controls side by side, browsing the home folder: the combo box
// with the folder chain above, linked so that they follow each other.
#include "WorkbenchPage.h"

#include <benchkit/controls/IDEShellComboBox.h>
#include <quorlpak/StdCtrls.h>
#include <win32/shlobj.h>

namespace {

TIDEShellComboBox* Combo = nullptr;

UnicodeString HomeFolder() {
    WCHAR path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, path) != S_OK) return u"C:\\";
    return path;
}

void Caption(TWinControl* Sheet, int X, int Y, const UnicodeString& Text) {
    auto* label = new TLabel(Sheet);
    label->SetParent(Sheet);
    label->SetLeft(X);
    label->SetTop(Y);
    label->SetCaption(Text);
}

void Build(TWinControl* Sheet) {
    Caption(Sheet, 16, 8, u"Shell combo box (root: the home folder)");
    Combo = new TIDEShellComboBox(Sheet);
    Combo->SetParent(Sheet);
    Combo->SetBounds(16, 28, 360, 24);
    Combo->SetDropDownCount(12);
    Combo->SetRoot(HomeFolder());
}

void Exercise(TWinControl*) {
    // A folder below the root: the combo box shows the chain down to it.
    WCHAR path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path) == S_OK) {
        try {
            Combo->SetPath(path);
        } catch (const Exception&) {
        }
    }
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage ShellControlsPage = {"shellcontrols", u"Shell controls", Build,
                                                 Exercise};
