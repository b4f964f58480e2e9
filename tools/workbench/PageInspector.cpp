// The inspector page: a property list over the live controls of a small
// panel; the page's exercise expands the font and edits properties through
// the rows' editors, and the controls follow.
#include "WorkbenchPage.h"

#include <benchkit/props/IDEInspListBox.h>
#include <designpak/PropertyEditors.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>
#include <win32/windows.h>

namespace {

TButton* gSubject = nullptr;
TInspListBox* gList = nullptr;

void Build(TWinControl* Sheet) {
    auto* panel = new TPanel(Sheet);
    panel->SetParent(Sheet);
    panel->SetBounds(8, 8, 200, 120);
    panel->SetCaption(u"");

    gSubject = new TButton(Sheet);
    gSubject->SetName(u"Subject");
    gSubject->SetParent(panel);
    gSubject->SetBounds(16, 16, 120, 28);
    gSubject->SetCaption(u"Subject");

    auto* check = new TCheckBox(Sheet);
    check->SetParent(panel);
    check->SetBounds(16, 60, 150, 20);
    check->SetCaption(u"A check box");

    auto* caption = new TLabel(Sheet);
    caption->SetParent(Sheet);
    caption->SetBounds(220, 8, 300, 16);
    caption->SetCaption(u"Properties of Subject:");

    gList = new TInspListBox(Sheet);
    gList->SetParent(Sheet);
    gList->SetBounds(220, 28, 320, 420);
    gList->SetSelection(CreatePropertySelection({gSubject}).Get());
}

// Edits a row as a user does: selects it, types the text and presses Enter.
void TypeInto(const UnicodeString& path, const UnicodeString& value) {
    const int row = gList->FindItem(path);
    if (row < 0) return;
    gList->SelectItem(row);
    gList->GetEdit()->SetText(value);
    gList->GetEdit()->Perform(WM_CHAR, u'\r', 0);
    PumpWorkbench();
}

// Chooses a value from the row's drop-down list.
void Choose(const UnicodeString& path, const UnicodeString& value) {
    const int row = gList->FindItem(path);
    if (row < 0) return;
    gList->SelectItem(row);
    TListButton* button = gList->GetListButton();
    button->DropDown();
    button->SetItemIndex(button->GetItems()->IndexOf(value));
    button->CloseUp(true);
    PumpWorkbench();
}

void Exercise(TWinControl*) {
    gList->AdjustItem(gList->FindItem(u"Font"));
    PumpWorkbench();
    gList->AdjustItem(gList->FindItem(u"Font.Style"));
    TypeInto(u"Caption", u"Edited by the inspector");
    TypeInto(u"Width", u"180");
    Choose(u"Font.Style.fsBold", u"True");
    Choose(u"Font.Color", u"clMaroon");
    // Leave the value list of the colour open in the picture.
    gList->SelectItem(gList->FindItem(u"Font.Color"));
    gList->GetListButton()->DropDown();
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage InspectorPage = {"inspector", u"Inspector", Build, Exercise};
