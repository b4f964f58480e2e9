// The shell controls side by side, browsing the home folder: the combo box
// with the folder chain above, the folder tree on the left and the folder's
// contents on the right, linked so that each follows the others.
#include "WorkbenchPage.h"

#include <benchkit/controls/IDEShellComboBox.h>
#include <benchkit/controls/IDEShellListView.h>
#include <benchkit/controls/IDEShellTreeView.h>
#include <quorlpak/StdCtrls.h>
#include <win32/shlobj.h>

namespace {

TIDEShellComboBox* Combo = nullptr;
TIDEShellTreeView* Tree = nullptr;
TIDEShellListView* List = nullptr;

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
    const UnicodeString home = HomeFolder();
    Caption(Sheet, 16, 8, u"The home folder: " + home);

    Combo = new TIDEShellComboBox(Sheet);
    Combo->SetParent(Sheet);
    Combo->SetBounds(16, 28, 400, 24);
    Combo->SetDropDownCount(12);

    Tree = new TIDEShellTreeView(Sheet);
    Tree->SetParent(Sheet);
    Tree->SetBounds(16, 60, 260, 560);

    List = new TIDEShellListView(Sheet);
    List->SetParent(Sheet);
    List->SetBounds(284, 60, 700, 560);
    List->SetObjectTypes({otFolders, otNonFolders});

    // One root for all three; then each learns of the others.
    Tree->SetRoot(home);
    Tree->SetShellComboBox(Combo);
    Tree->SetShellListView(List);
    Combo->SetShellListView(List);
}

void Exercise(TWinControl*) {
    // The tree's first folder chosen, as a user's click would: the combo box
    // shows its chain and the list its contents.
    TTreeNode* root = Tree->GetItems()->GetFirstNode();
    if (root && root->GetCount() > 0) {
        root->GetItem(0)->SetSelected(true);
        PumpWorkbench();
    }
}

} // namespace

extern const TWorkbenchPage ShellControlsPage = {"shellcontrols", u"Shell controls", Build,
                                                 Exercise};
